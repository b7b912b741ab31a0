#pragma once
// The per-drive name index (VolumeIndex), its records, name pool and reference map, and the
// engine (SearchEngine, g_searchEngine) that owns the indexed drives.
//
// Locks, in the order they may be nested: engine mutex (SearchEngine::mutex), one volume's
// indexLock, one of that volume's cache locks (attrCacheLock, fileSizesLock, folderSizesLock).
#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <deque>
#include <vector>

#include "core/Raii.h"
#include "index/NameSignatures.h"

// The messages the index posts to the main window (WM_INDEX_READY, WM_NONNTFS_REFRESHED,
// WM_VOLUME_LOST, WM_VOLUMES_SYNCED) are defined with the main window's (shell/Shell.h).

// Low 48 bits of a file reference: the MFT record number.
constexpr uint64_t kFrnRecordMask = 0xFFFFFFFFFFFFull;
// Value of frnToRecord that marks the root folder (which has no record).
constexpr uint64_t kRootMarker = 0xFFFFFFFFFFFFFFFFull;

// One file or folder of a volume. A record's position in VolumeIndex::records is its index.
struct FileRecord {
    uint64_t frn;            // file reference (NTFS) or synthetic number (walked volume)
    uint64_t parentFrn;      // reference of the parent folder
    const wchar_t* name;     // into the NamePool: name, NUL, lower-case copy, NUL
    uint16_t nameLength;     // characters, without terminator; valid names have 1..255
    uint32_t isDirectory;    // 1 for a folder
    uint32_t deleted;        // 1 once the journal reported the file deleted
};

// Names in large chunks whose buffers never move: pointers returned by Append stay valid until
// the pool is cleared. Each entry is the name, NUL, its ASCII-lower-case copy, NUL.
struct NamePool {
    std::vector<std::vector<wchar_t>> chunks;
    uint64_t chunkChars = 0x200000;
    uint64_t usedChars = 0x200000;

    // The caller holds the volume's indexLock exclusively.
    const wchar_t* Append(const wchar_t* text, uint64_t length);
    // True when an Append of `needed` characters (2 * length + 2) would open a new chunk.
    bool NeedsChunk(uint64_t needed) const { return usedChars + needed > chunkChars; }
    // Opens `chunk` (chunkChars zero characters, made ready by another thread) as the next chunk,
    // as Append would open a new one; the caller checked NeedsChunk for an entry that fits it.
    void AddChunk(std::vector<wchar_t>&& chunk);
    // Frees every chunk; the next Append opens a new one.
    void Clear();
    // Bytes held by the chunks (capacity).
    uint64_t MemoryBytes() const;
};

// Storage of a record list's nodes: large blocks carved into the list's small fixed-size nodes,
// so that millions of records cost few allocations and a build can have blocks made ready (their
// pages touched) by other threads ahead of its parser. A block is freed when its last node is.
// Allocate and Deallocate are called by the volume's one writer at a time (the builder, or the
// monitor under indexLock), never concurrently.
class RecordNodePool {
public:
    static constexpr size_t kBlockBytes = size_t(1) << 20;
    // Requests up to this size come from the blocks (the list's nodes and small node maps).
    static constexpr size_t kMaxPooledBytes = 4096;

    // Where new blocks come from while it is set (a build's helper threads).
    class BlockSource {
    public:
        // A block of kBlockBytes, or null to have the pool allocate one itself.
        virtual void* TakeBlock() = 0;

    protected:
        ~BlockSource() = default;
    };

    RecordNodePool() = default;
    ~RecordNodePool();
    RecordNodePool(const RecordNodePool&) = delete;
    RecordNodePool& operator=(const RecordNodePool&) = delete;

    void* Allocate(size_t bytes);
    void Deallocate(void* p, size_t bytes) noexcept;
    void SetBlockSource(BlockSource* source) { source_ = source; }
    // Bytes held in blocks.
    uint64_t MemoryBytes() const { return static_cast<uint64_t>(blocks_.size()) * kBlockBytes; }

    // A block of kBlockBytes (committed, pages not yet touched), or null; and its release.
    static void* NewBlock();
    static void FreeBlock(void* block) noexcept;

private:
    struct Block {
        char* base;
        size_t live;  // nodes handed out and not yet returned
    };
    size_t FindBlock(const void* p) noexcept;

    std::vector<Block> blocks_;  // sorted by address
    char* cur_ = nullptr;        // free space of the newest block
    char* end_ = nullptr;
    char* curBase_ = nullptr;
    size_t lastFound_ = 0;
    BlockSource* source_ = nullptr;
};

// The record list's allocator: nodes from the volume's RecordNodePool, larger requests (the
// list's map of nodes once it grows) from the heap.
template <typename T>
struct RecordAllocator {
    using value_type = T;
    RecordNodePool* pool;

    explicit RecordAllocator(RecordNodePool* p) noexcept : pool(p) {}
    template <typename U>
    RecordAllocator(const RecordAllocator<U>& other) noexcept : pool(other.pool) {}

    T* allocate(size_t n) {
        if (n * sizeof(T) <= RecordNodePool::kMaxPooledBytes) return static_cast<T*>(pool->Allocate(n * sizeof(T)));
        return std::allocator<T>().allocate(n);
    }
    void deallocate(T* p, size_t n) noexcept {
        if (n * sizeof(T) <= RecordNodePool::kMaxPooledBytes)
            pool->Deallocate(p, n * sizeof(T));
        else
            std::allocator<T>().deallocate(p, n);
    }
    template <typename U>
    bool operator==(const RecordAllocator<U>& other) const noexcept {
        return pool == other.pool;
    }
};

using RecordList = std::deque<FileRecord, RecordAllocator<FileRecord>>;

// Attribute cache entry.
struct FileAttrInfo {
    uint64_t size = 0;
    FILETIME lastWrite{};
    FILETIME creation{};
    bool valid = false;
};

struct SizePair {
    int64_t size = 0;
    int64_t allocated = 0;
};
using MftSizeMap = std::unordered_map<uint64_t, SizePair>;

// The reference map: file reference -> record index, with the lookup semantics of a plain hash
// map in which every record is entered under its full reference and, when that differs, also
// under its 48-bit record number (a later record with the same key replaces an earlier one).
// Stored compactly (one 12-byte slot per record number) because volumes hold millions of
// records. The interface is the subset of std::unordered_map that callers use: find / end /
// count / contains / size / empty / clear / reserve, plus Insert for the two-key entry.
class FrnMap {
public:
    struct value_type {
        uint64_t first;   // key as asked
        uint64_t second;  // record index, or kRootMarker
    };
    class const_iterator {
    public:
        const_iterator() = default;
        const value_type& operator*() const { return v_; }
        const value_type* operator->() const { return &v_; }
        bool operator==(const const_iterator& o) const { return end_ == o.end_ && (end_ || v_.first == o.v_.first); }
        bool operator!=(const const_iterator& o) const { return !(*this == o); }

    private:
        friend class FrnMap;
        value_type v_{0, 0};
        bool end_ = true;
    };
    using iterator = const_iterator;

    FrnMap() = default;
    FrnMap(const FrnMap&) = delete;
    FrnMap& operator=(const FrnMap&) = delete;

    const_iterator find(uint64_t key) const;
    const_iterator end() const { return const_iterator(); }
    size_t count(uint64_t key) const { return find(key) != end() ? 1 : 0; }
    bool contains(uint64_t key) const { return count(key) != 0; }
    // Number of distinct keys (a record whose reference has a sequence number counts twice).
    size_t size() const;
    bool empty() const { return size() == 0; }
    void clear();
    // Room for n records without rehashing.
    void reserve(size_t n);
    // On an empty map: gives every record number below `numbers` a slot of its own (no hashing,
    // 6 bytes per number), for volumes whose record numbers are dense. Numbers at or above it
    // are hashed as before. The table is cleared on several threads when it is large.
    void PrepareDirect(uint64_t numbers);
    // Enters value under frn and, when frn has a sequence number, under frn & kFrnRecordMask.
    void Insert(uint64_t frn, uint64_t value);
    // Enters value under exactly one key (the root marker of a walked volume uses this).
    void InsertExact(uint64_t key, uint64_t value);
    uint64_t MemoryBytes() const;

private:
    static constexpr uint64_t kEmpty = 0xFFFFFFFFFFFFFFFFull;
    static constexpr uint32_t kSlotRootMarker = 0xFFFFFFFFu;
    size_t SlotOf(uint64_t low48) const;  // index of the slot holding low48, or of the free slot for it
    void Grow();
    void PutLow(uint64_t low48, uint64_t fullKey, uint32_t value);
    void PutDirect(uint64_t low48, uint64_t fullKey, uint32_t value);

    std::vector<uint64_t> keys_;    // full key per slot (kEmpty when free)
    std::vector<uint32_t> values_;  // record index per slot (kSlotRootMarker = root marker)
    // Record numbers below directSize_: slot = the number itself; directValues_ holds the record
    // index + 1 (0 when free, kSlotRootMarker for the root marker) and directSeq_ the sequence
    // number of the reference that owns the number. These numbers never enter keys_.
    std::unique_ptr<uint32_t[]> directValues_;
    std::unique_ptr<uint16_t[]> directSeq_;
    uint64_t directSize_ = 0;
    size_t used_ = 0;      // direct slots in use
    size_t hashUsed_ = 0;  // hashed slots in use
    size_t aliasKeys_ = 0;  // slots whose full key differs from its record number (two keys)
    // Full keys whose record number now belongs to a later record, and keys that cannot go into
    // the slots (all-ones references).
    std::unordered_map<uint64_t, uint64_t> exact_;
};

struct BuildSupply;

// The file-system name of a volume ("NTFS", "FAT32", ...). A rebuild may rename it while other
// threads read it, so it is only copied, compared and replaced under its own lock.
class FileSystemName {
public:
    FileSystemName() = default;
    FileSystemName(const FileSystemName&) = delete;
    FileSystemName& operator=(const FileSystemName&) = delete;
    FileSystemName& operator=(std::wstring name);
    std::wstring Get() const;
    operator std::wstring() const { return Get(); }
    bool operator==(const wchar_t* other) const;
    bool operator==(const std::wstring& other) const { return *this == other.c_str(); }

private:
    mutable SRWLOCK lock_ = SRWLOCK_INIT;
    std::wstring name_;
};

class VolumeIndex {
    // Node storage of `records` (declared first: it outlives the list).
    RecordNodePool recordNodes_;

public:
    VolumeIndex();
    ~VolumeIndex();
    VolumeIndex(const VolumeIndex&) = delete;
    VolumeIndex& operator=(const VolumeIndex&) = delete;

    std::wstring root;        // "C:" (upper-case letter and colon)
    FileSystemName fileSystem;  // "NTFS" or the name GetVolumeInformationW gave
    std::atomic<bool> available{true};
    std::atomic<bool> building{false};
    RecordList records;
    NamePool names;
    FrnMap frnToRecord;
    NameSignatures nameSignatures;  // skip structure of the name search (see NameSignatures.h)
    uint64_t rootFrn = 5;
    SRWLOCK indexLock = SRWLOCK_INIT;
    HANDLE volumeHandle = INVALID_HANDLE_VALUE;
    uint64_t usnJournalId = 0;
    int64_t nextUsn = 0;
    std::atomic<bool> monitorRunning{false};
    std::thread monitorThread;
    // Signalled to cut the monitor's pause between two journal reads short (WakeUsnMonitor).
    UniqueHandle monitorWake{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    uint64_t deletedCount = 0;
    std::unordered_map<uint64_t, FileAttrInfo> attrCache;
    SRWLOCK attrCacheLock = SRWLOCK_INIT;
    MftSizeMap fileSizes;
    SRWLOCK fileSizesLock = SRWLOCK_INIT;
    std::unordered_map<uint64_t, uint64_t> folderSizes;
    SRWLOCK folderSizesLock = SRWLOCK_INIT;
    std::atomic<bool> folderSizesDirty{true};
    std::atomic<uint64_t> nextSyntheticFrn{0x100000};

    // Set when the monitor ended because the volume or its journal was lost: its handle and
    // thread still need releasing (SearchEngine::RemoveUnavailableVolumes does it).
    std::atomic<bool> releasePending{false};
    // Set when the monitor ended because the change journal was lost (wrapped past its
    // position, deleted, replaced): the records no longer follow the disk and the volume waits
    // for the engine to enumerate it again (SearchEngine::RebuildJournalLostVolumesAsync).
    std::atomic<bool> journalLost{false};
    // Serialises the volume's handle and monitor thread (open, stop, close); never held while
    // waiting for indexLock.
    std::mutex handleMutex;
    // Serialises whole builds of this volume (start-up, sync and refresh may meet).
    std::mutex buildMutex;

    // --- Records, names, paths -------------------------------------------------------------
    // Caller holds indexLock (shared suffices).
    bool IsRootFrn(uint64_t frn) const;
    // The root followed by the names of up to 64 ancestors joined with "\". An index past the
    // end or a broken name gives `root` alone. *reachedRoot is true only when the walk up the
    // parents ended cleanly at the root: only then is the result a real path.
    // Caller holds indexLock (shared suffices) or is the volume's builder.
    std::wstring BuildFullPath(uint64_t recordIndex, bool* reachedRoot = nullptr) const;
    // Same walk; `path` is empty when the record cannot be resolved at all. Returns true only
    // when the root was reached (use the path to open, hydrate, delete or record only then).
    bool BuildFullPath(uint64_t recordIndex, std::wstring& path, bool* reachedRoot = nullptr) const;
    // The same walk under indexLock taken shared; empty when the record cannot be resolved at
    // all (index past the end, broken name).
    std::wstring BuildFullPathLocked(uint64_t recordIndex, bool* reachedRoot = nullptr);
    // The full path only when the root was reached, else empty. Caller holds indexLock.
    std::wstring BuildResolvedPath(uint64_t recordIndex) const;
    std::wstring BuildResolvedPathLocked(uint64_t recordIndex);
    // In-place rename of a live record (inline rename); caller holds indexLock exclusively.
    // False when the index is out of range, the record is deleted or the name is not 1..255.
    bool RenameRecord(uint64_t recordIndex, const wchar_t* newName, size_t newLength);
    // Clearing step of every build; caller holds indexLock exclusively.
    void ResetContents();
    // Number of records (takes indexLock shared).
    uint64_t RecordCountLocked();

    // --- Handle and monitor ----------------------------------------------------------------
    // Stops the monitor and closes the volume handle.
    void CloseVolume();
    void StopUsnMonitor();
    // Asks the monitor to read the journal now rather than at its next poll.
    void WakeUsnMonitor();
    // Releases a volume detached by the engine: stops the monitor and closes the handle, unless
    // a rebuild made the volume available again meanwhile.
    void ReleaseDetached();

    // --- Builds ----------------------------------------------------------------------------
    bool BuildNtfs(const std::wstring& root);
    bool BuildByWalk(const std::wstring& root, const std::wstring& fileSystem);
    void WalkFolder(const std::wstring& path, uint64_t parentFrn, int depth);
    // Parses one FSCTL_ENUM_USN_DATA buffer (8-byte next reference, then USN_RECORD_V2
    // entries) into records; frees the batch. Bounds-checked against bytesReturned.
    void AddUsnRecords(struct UsnBatch* batch);
    // Signs the blocks of records the build has completed since its last call (nothing while
    // no name-bits function is set; see NameSignatures). Caller holds indexLock exclusively.
    void SignBuiltBlocks();
    // Enters every record into frnToRecord (step after the enumeration).
    void BuildReferenceMap();
    // Memory made ready ahead of the parser during an enumeration pass (set by the parser
    // thread for its run; null otherwise).
    void SetBuildSupply(BuildSupply* supply);
    // Bytes held by the record list (node blocks and the list's map).
    uint64_t RecordMemoryBytes() const;
    RecordNodePool& RecordNodes() { return recordNodes_; }
    void RunUsnMonitor();
    // Applies one FSCTL_READ_USN_JOURNAL buffer (8-byte next USN, then entries); caller holds
    // indexLock exclusively. Returns the buffer's next USN (or the current one when the buffer
    // is shorter than 8 bytes).
    int64_t ApplyUsnJournalBuffer(const uint8_t* data, uint32_t bytes);

    // --- Attribute cache, sizes and folder totals (implemented with the caches) ------------
    bool LookupAttr(uint64_t frn, FileAttrInfo* out);
    void StoreAttr(uint64_t frn, const FileAttrInfo& info);
    bool LookupFileSize(uint64_t frn, SizePair* out);
    void ReplaceFileSizes(MftSizeMap sizes);
    // Enters the sizes over the volume's map (other entries stay) and recomputes the totals.
    void MergeFileSizes(MftSizeMap sizes);
    void RebuildFolderSizes();
    bool GetFolderSize(uint64_t folderFrn, uint64_t* out, bool rebuildIfDirty);

private:
    BuildSupply* buildSupply_ = nullptr;
    size_t builtBlocksSigned_ = 0;  // blocks SignBuiltBlocks has passed since the last reset
    void CloseVolumeHandleLocked();  // caller holds handleMutex
    void StopUsnMonitorLocked();     // caller holds handleMutex
    // Drops the cached attributes and sizes of frn; caller holds indexLock exclusively.
    void DropCachedFileInfo(uint64_t frn);
};

std::unique_ptr<VolumeIndex> MakeVolumeIndex();

// One FSCTL_ENUM_USN_DATA output buffer moving from the enumerating thread to the parser.
struct UsnBatch {
    std::vector<uint8_t> data;
    uint32_t bytesReturned = 0;
};

// Shared by the enumerating thread and the parser of one enumeration pass.
struct UsnBuildQueue {
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable cv;
    std::deque<UsnBatch*> queue;
    VolumeIndex* volume = nullptr;
};
void UsnRecordWorkerThread(UsnBuildQueue* queue);

// The engine: every indexed drive, sorted by root.
class SearchEngine {
public:
    SearchEngine() = default;
    ~SearchEngine();
    SearchEngine(const SearchEngine&) = delete;
    SearchEngine& operator=(const SearchEngine&) = delete;

    std::vector<std::unique_ptr<VolumeIndex>> volumes;
    std::mutex mutex;
    std::atomic<bool> indexReady{false};
    std::atomic<bool> syncBusy{false};
    std::atomic<bool> prewarmBusy{false};
    // The start-up indexing runs: results shown meanwhile may still miss whole drives.
    std::atomic<bool> startupRunning{false};
    // Drive letters (bit 0 = A:) whose start-up build has not ended yet; guarded by `mutex`. A
    // sync leaves these letters to the start-up, so that no drive is built twice.
    uint32_t startupPendingDrives = 0;
    // Volumes taken out of `volumes` (vanished non-NTFS drives, shutdown): kept alive until the
    // process ends, because result rows, tasks and caches may still point to them.
    std::vector<std::unique_ptr<VolumeIndex>> retiredVolumes;

    void InitBackground(HWND hwnd);
    void SyncCurrentVolumesAsync(HWND hwnd);
    void RefreshAllNonNtfsAsync(HWND hwnd);
    void RefreshAllNonNtfs(HWND hwnd);
    bool RemoveUnavailableVolumes();
    bool CloseVolumeHandles(uint32_t driveMask);
    void PrewarmAttrCacheAsync();
    // Enumerates again, in place and one after another on the task "reindex_volumes", every
    // available volume of the engine whose monitor lost its change journal; posts
    // WM_VOLUME_REINDEX to the main window as each starts and ends. A running task takes the
    // volumes flagged after it started. Takes no lock on the calling thread (a monitor calls
    // it as it ends, and the engine mutex may be held by a thread that joins that monitor).
    void RebuildJournalLostVolumesAsync();
    // Takes `mutex`.
    bool AnyJournalLostVolume();
    // The body of that task, on the calling thread (tests).
    void RunRebuildJournalLostVolumes();
    std::atomic<bool> reindexBusy{false};
    // Caller holds `mutex`.
    void SortVolumesByRoot();
    // Takes out of `volumes` every non-NTFS volume whose root is not among the targets
    // (root, file-system name); caller holds `mutex`.
    void RemoveVanishedNonNtfsVolumes(const std::vector<std::pair<std::wstring, std::wstring>>& targets);
    // Shutdown (the main window's WM_DESTROY and the end of wWinMain): stops every monitor,
    // closes every handle and empties `volumes`; the objects stay alive until the process ends,
    // so a task still holding a result row never reads freed memory. Use it instead of
    // emptying `volumes` directly. Takes `mutex` itself.
    void ReleaseAllVolumes();
    // Tests/shutdown: the body of the start-up task, run on the calling thread.
    void RunInitBackground(HWND hwnd);
    void RunSyncCurrentVolumes(HWND hwnd);
};

extern SearchEngine g_searchEngine;

bool IsAnyIndexedVolumeInDriveMask(uint32_t driveMask);
bool RefreshVolumeAvailability();

// Drive letters the index considers (bit 0 = A:); all letters by default. A seam for tests
// (and for callers that want to leave drives out): every drive enumeration of the index goes
// through GetIndexedLogicalDrives, which is GetLogicalDrives() limited to this mask.
void SetIndexDriveMask(uint32_t mask);
uint32_t GetIndexDriveMask();
uint32_t GetIndexedLogicalDrives();

// Drive watcher.
extern std::atomic<bool> g_driveWatcherStarted;
// Letters whose root did not answer at the drive watcher's last poll (bit 0 = A:; 0 before the
// first poll). The watcher asks the drives on its own thread and sets this before it posts what
// changed; availability checks on the UI thread read it instead of asking a drive.
void SetUnansweringDrives(uint32_t mask);
uint32_t GetUnansweringDrives();
void StartDriveWatcher(HWND hwnd);
void DriveWatcherLoop(HWND hwnd);
