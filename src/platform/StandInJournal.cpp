// The layer's own change journal.
//
// Per drive it keeps a model of the folder tree (every file and folder with its reference,
// parent, name, attributes, times and size) and a log of USN_RECORD_V2 entries. The model is
// built by one walk of the drive (threads of its own list the folders, the caller builds the
// model from their listings meanwhile); afterwards every query or read of the journal runs a change scan
// that brings the model up to date and logs what changed:
//   - a subtree change notification on the drive root names the folders that changed. Wine
//     watches a folder below such a notification only once the folder is opened while the
//     notification is set up, and its cost of watching grows with the square of the watched
//     folders (a minute of the shared Wine server for 100,000 folders). So the notification is
//     set up before the walk, which opens every folder, only for the first
//     kWalkWatchLimit folders; on a larger drive it is set up again after the walk and covers the
//     root and the folders listed since (changed and new ones);
//   - a sweep compares the last-write time of every folder, a slice per scan, with the time seen
//     when the folder was last listed, so that a creation, deletion or rename anywhere is found
//     within one round of the sweep (its slices take kSweepShare of the elapsed time: a round of
//     about 8 s for 100,000 folders). A change of a file's data alone leaves its folder's time as
//     it was: where the notification does not cover every folder, a slower sweep of the files
//     compares each file's size and last-write time with the model (a round at most every
//     kFileSweepRound, its slices taking kFileSweepShare of the elapsed time: about 7 minutes for
//     a million files) and has the folder of a changed file listed again;
//   - a changed folder is listed again and compared entry by entry with the model: new
//     references are creations, vanished ones deletions, a reference under another name or
//     folder a rename, other sizes, times or attributes data and basic-info changes.
// File references are record numbers the layer assigns per drive, as NTFS numbers its FILE
// records: dense from kStandInFirstFileRecord up, kept by a file for as long as it exists (across
// renames and moves, which keep the file system's file index), and reused after a deletion only
// with the next sequence number (the reference's high 16 bits). The drive's root folder is 5.
// Entries without a usable index of their own (links, duplicates of a reference) get a stable
// synthetic reference from their parent and name and no record.
// The model is compact (StandInStore.h): an entry lives in its record's slot (a folder's entries
// linked from it), its name in a shared store, and file indexes find their records through an
// open-addressing table of record numbers.
#include "platform/StandInJournal.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/Core.h"
#include "platform/StandInListing.h"
#include "platform/StandInStore.h"

namespace volumeio {
namespace {

constexpr uint64_t kMask48 = 0xFFFFFFFFFFFFull;
constexpr uint64_t kRootRef = 5;
constexpr uint64_t kSyntheticBit = 1ull << 47;
constexpr DWORD kReasonDataOverwrite = 0x1, kReasonDataExtend = 0x2, kReasonDataTruncation = 0x4;
constexpr DWORD kReasonCreate = 0x100, kReasonDelete = 0x200, kReasonBasicInfo = 0x8000;
constexpr DWORD kReasonOldName = 0x1000, kReasonNewName = 0x2000, kReasonClose = 0x80000000;
constexpr size_t kMaxLogBytes = 32u << 20;            // USN bytes kept in memory
constexpr int64_t kUsnReservation = 64ll << 20;       // USN range reserved per state-file write
// Share of the elapsed time the sweep's slices take. A folder's time costs about 11 us under
// Wine (no server request): 100,000 folders take a round of about 7 s at this share.
constexpr double kSweepShare = 0.15;
constexpr std::chrono::milliseconds kSweepMaxSlice{100};   // longest slice of one scan
constexpr DWORD kMaxWaitMs = 10000;                   // longest wait of a waiting read
constexpr std::chrono::milliseconds kSweepInterval{50};   // at most one sweep slice per interval
// The files' sweep (see the top of this file): a file's time costs about as much as a folder's.
constexpr double kFileSweepShare = 0.03;
constexpr std::chrono::seconds kFileSweepRound{30};     // a new round starts at most this often
constexpr int kMaxDepth = 256;
// Listing threads of the first walk. Measured on the 1M tree under Wine, the model built beside
// them: three took 25-35 s where two took 32-43 s in the same minutes (each listing holds one
// lock of the process for most of its time; a lister spends the rest on its own bookkeeping).
constexpr unsigned kListers = 3;
constexpr DWORD kWatchFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                               FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE |
                               FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_CREATION;

// What a record number's slot holds.
enum SlotState : uint8_t {
    kFreeSlot = 0,
    kEntrySlot,       // an entry of the drive
    kExtensionSlot,   // the extension record of the entry `parent` names
    kReservedSlot,    // given to a file index asked for by handle before a scan found the file
};

// One entry of the model (72 bytes): in its record's slot, or in the map of synthetic entries.
struct Node {
    uint64_t parent = 0;       // the folder holding it (extension slots: the owner's reference)
    uint64_t next = 0;         // the next entry of the same folder; 0 ends the list
    uint64_t link = 0;         // folders: the first entry; files: the extension record, or 0
    int64_t written = 0;
    int64_t sizeOrStamp = 0;   // files: size; folders: last-write time when last listed
    int64_t usn = 0;
    uint64_t fileId = 0;       // the file system's file index (0: synthetic reference)
    uint32_t nameAt = 0;       // in the drive's NameStore
    DWORD attrs = 0;
    uint32_t createdPrint = 0;   // fingerprint of the creation time
    uint16_t sequence = 0;       // record slots: the sequence number last given out
    uint8_t nameLength = 0;
    uint8_t state = kFreeSlot;
    bool IsDir() const { return (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    bool Descend() const { return IsDir() && !(attrs & FILE_ATTRIBUTE_REPARSE_POINT); }
};
static_assert(sizeof(Node) == 72, "the model's entry stays small");

uint32_t CreatedPrint(int64_t created) {
    const uint64_t v = static_cast<uint64_t>(created);
    return static_cast<uint32_t>(v ^ (v >> 32));
}

struct LogRec {
    int64_t usn;
    uint64_t ref, parent;
    DWORD reason, attrs;
    int64_t timestamp;
    std::wstring name;
};

std::wstring Join(const std::wstring& folder, std::wstring_view name) {
    std::wstring p = folder;
    if (p.empty() || p.back() != L'\\') p += L'\\';
    p += name;
    return p;
}

DWORD RecordLength(size_t nameChars) { return (DWORD)((60 + nameChars * 2 + 7) & ~size_t(7)); }

// Writes one USN_RECORD_V2 (RecordLength bytes, zero padded) at p.
void WriteRecord(BYTE* p, const LogRec& r) {
    DWORD len = RecordLength(r.name.size());
    memset(p, 0, len);
    VolumeIoUsnRecordV2 h{};
    h.RecordLength = len;
    h.MajorVersion = 2;
    h.FileReferenceNumber = r.ref;
    h.ParentFileReferenceNumber = r.parent;
    h.Usn = r.usn;
    h.TimeStamp.QuadPart = r.timestamp;
    h.Reason = r.reason;
    h.FileAttributes = r.attrs;
    h.FileNameLength = (WORD)(r.name.size() * 2);
    h.FileNameOffset = 60;
    memcpy(p, &h, 60);
    memcpy(p + 60, r.name.data(), r.name.size() * 2);
}

int64_t NowFileTime() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return (int64_t)(((uint64_t)ft.dwHighDateTime << 32) | ft.dwLowDateTime);
}

// Process-wide state, never destroyed (volumes may be closed by destructors at exit).
struct Globals {
    std::mutex folderMutex;
    std::wstring stateFolder;
    std::mutex drivesMutex;
    std::array<std::shared_ptr<class Drive>, 26> drives;
};

Globals& G() {
    static Globals* g = new Globals();
    return *g;
}

std::wstring StateFolder() {
    {
        std::lock_guard<std::mutex> lock(G().folderMutex);
        if (!G().stateFolder.empty()) return G().stateFolder;
    }
    return GetConfigDir();
}

class Drive {
public:
    explicit Drive(wchar_t letter) : letter_(letter) {}
    ~Drive() { CloseWatch(); }

    BOOL Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned,
                 HANDLE cancelEvent);
    uint64_t FileReference(uint64_t fileIndex);
    VolumeIoStandInStats Stats();
    bool CollectFiles(std::vector<StandInFile>& out);
    bool FindRecord(uint64_t record, StandInRecord* out);
    bool RecordCount(uint64_t* count) {
        std::lock_guard<std::mutex> lock(mutex);
        LoadJournal();
        if (!EnsureTree()) return false;
        Scan(false);
        *count = slots_.size();
        return true;
    }
    bool RunScan(bool fullSweep) {
        std::lock_guard<std::mutex> lock(mutex);
        if (!treeBuilt_) return false;
        Scan(fullSweep);
        return true;
    }

private:
    // Journal state (persisted: id, reserved USN range, root identity).
    void LoadJournal();
    void SaveJournal();
    void ReserveUsn();
    uint64_t NewJournalId() const;
    BOOL Query(void* out, DWORD outSize, DWORD* returned);
    BOOL Create(const void* in, DWORD inSize, DWORD* returned);
    BOOL Delete(const void* in, DWORD inSize, DWORD* returned);
    BOOL Enumerate(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned);
    BOOL Read(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned, HANDLE cancelEvent,
              std::unique_lock<std::mutex>& lock);
    DWORD FillRead(int64_t startUsn, DWORD mask, bool onlyOnClose, BYTE* out, DWORD outSize, size_t* matched);

    // Tree model.
    std::wstring RootPath() const;
    std::wstring PathOf(uint64_t ref) const;
    Node* Get(uint64_t ref);
    const Node* Get(uint64_t ref) const { return const_cast<Drive*>(this)->Get(ref); }
    uint64_t SlotRef(uint64_t number) const {
        return number | (static_cast<uint64_t>(slots_[number].sequence) << 48);
    }
    std::wstring_view NameOf(const Node& n) const { return names_.Get(n.nameAt, n.nameLength); }
    void SetName(Node& n, std::wstring_view name);
    template <class Fn>
    void ForEachEntry(Fn fn);   // fn(ref, node) for every entry, the root included
    uint64_t KnownRef(uint64_t id) const;
    void IndexId(uint64_t id, uint64_t number);
    void UnindexId(uint64_t id, uint64_t number);
    uint64_t AllocateRef(uint64_t id);
    uint64_t TakeRecord(uint64_t owner, bool extension);
    void RemoveEntry(uint64_t ref);
    StandInFile FileOf(uint64_t ref, const Node& n) const;
    uint64_t SyntheticRef(uint64_t parent, std::wstring_view name) const;
    bool ListFolder(const std::wstring& path, Listing& out);
    bool EnsureTree();
    void WalkFirst();
    void WalkNew(uint64_t folderRef, const std::wstring& path, int depth, std::unordered_set<uint64_t>& pending);
    uint64_t BaselineRef(uint64_t parent, const ListedEntry& e, std::wstring_view name);
    uint64_t AddNode(uint64_t parent, const ListedEntry& e, std::wstring_view name, uint64_t ref, bool log);
    uint64_t Place(uint64_t folderRef, const ListedEntry& e, std::wstring_view name,
                   std::unordered_set<uint64_t>& pending, bool* walk);
    void RelistFolder(uint64_t ref, int64_t stamp, std::unordered_set<uint64_t>& pendingDelete);
    void DeleteSubtree(uint64_t ref);
    void AttachToParent(uint64_t ref, Node& n, uint64_t parent);
    void DetachFromParent(uint64_t ref, uint64_t parent);
    void CompactNames();
    void Emit(uint64_t ref, uint64_t parent, std::wstring_view name, DWORD reason, DWORD attrs);
    void TrimLog();
    void Scan(bool fullSweep);
    void SweepFiles(bool whole, std::unordered_set<uint64_t>& dirty);
    void DrainWatch(std::unordered_set<uint64_t>& dirty, bool& overflow);
    uint64_t ResolveFolder(const wchar_t* rel, size_t len);
    void OpenWatch();
    void ArmWatch();
    void CloseWatch();

    wchar_t letter_;
    // journal
    bool loaded_ = false;
    bool active_ = false;
    uint64_t journalId_ = 0;
    uint64_t lastJournalId_ = 0;
    uint64_t maxSize_ = 32u << 20;
    uint64_t allocDelta_ = 8u << 20;
    int64_t firstUsn_ = 0, nextUsn_ = 0, reservedUsn_ = 0;
    std::deque<LogRec> log_;
    size_t logBytes_ = 0;
    // tree
    bool treeBuilt_ = false;
    uint64_t rootFileId_ = 0;
    bool rootFileIdKnown_ = false;
    ChunkedArray<Node> slots_;                          // by record number
    std::unordered_map<uint64_t, Node> synthetic_;      // entries with synthetic references
    NameStore names_;
    RecordIndex ids_;                                   // file index -> record number
    std::set<uint64_t> freeRecords_;                    // lowest first, as NTFS reuses them
    std::map<std::pair<uint64_t, std::wstring>, uint64_t> aliases_;   // earlier (parent, name) of folders
    std::vector<uint64_t> sweepList_;
    size_t sweepPos_ = 0;
    std::chrono::steady_clock::time_point lastSweep_{};
    bool watchPartial_ = false;                          // the walk gave up the notification
    size_t fileSweepPos_ = 0;                            // next record number of the files' sweep
    std::chrono::steady_clock::time_point lastFileSweep_{}, fileRoundStart_{};
    std::vector<BYTE> listBuf_;
    // notification
    HANDLE watchDir_ = INVALID_HANDLE_VALUE;
    OVERLAPPED watchOv_{};
    std::vector<DWORD> watchBuf_;
    bool watchPending_ = false;
    // stats
    uint64_t scans_ = 0, foldersChecked_ = 0, foldersListed_ = 0, notifications_ = 0;
    uint64_t filesChecked_ = 0, filesChanged_ = 0;
    double lastScanMs_ = 0;

public:
    std::mutex mutex;
};


std::shared_ptr<Drive> DriveOf(wchar_t letter) {
    wchar_t up = (letter >= L'a' && letter <= L'z') ? (wchar_t)(letter - 32) : letter;
    if (up < L'A' || up > L'Z') return nullptr;
    std::lock_guard<std::mutex> lock(G().drivesMutex);
    auto& d = G().drives[up - L'A'];
    if (!d) d = std::make_shared<Drive>(up);
    return d;
}

// ---- journal state ----------------------------------------------------------------------------

std::wstring JournalFile(wchar_t letter) {
    std::wstring f = StateFolder();
    f += L"\\standin-journal.";
    f += letter;
    f += L".txt";
    return f;
}

uint64_t ParseHex(const std::string& s, bool* ok) {
    uint64_t v = 0;
    *ok = !s.empty() && s.size() <= 16;
    for (char c : s) {
        int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
        if (d < 0) { *ok = false; return 0; }
        v = (v << 4) | (uint64_t)d;
    }
    return v;
}


std::wstring Drive::RootPath() const {
    std::wstring p = L"\\\\?\\";
    p += letter_;
    p += L":\\";
    return p;
}

void Drive::LoadJournal() {
    if (loaded_) return;
    loaded_ = true;
    // The root folder's file index identifies the volume behind the letter.
    HANDLE h = CreateFileW(RootPath().c_str(), 0, 7, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        BY_HANDLE_FILE_INFORMATION bi{};
        if (GetFileInformationByHandle(h, &bi)) {
            rootFileId_ = ((uint64_t)bi.nFileIndexHigh << 32) | bi.nFileIndexLow;
            rootFileIdKnown_ = true;
        }
        CloseHandle(h);
    }
    std::string text;
    HANDLE f = CreateFileW(JournalFile(letter_).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
        char buf[4096];
        DWORD got = 0;
        if (ReadFile(f, buf, sizeof buf, &got, nullptr)) text.assign(buf, got);
        CloseHandle(f);
    }
    uint64_t id = 0, root = 0, reserved = 0, maxSize = 0;
    bool haveId = false, haveRoot = false, haveReserved = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        bool ok = false;
        uint64_t v = ParseHex(value, &ok);
        if (!ok) continue;
        if (key == "id") { id = v; haveId = true; }
        else if (key == "root") { root = v; haveRoot = true; }
        else if (key == "reserved") { reserved = v; haveReserved = true; }
        else if (key == "maxsize") maxSize = v;
    }
    if (haveReserved && reserved < (1ull << 62)) reservedUsn_ = (int64_t)reserved;
    if (haveId && id != 0 && haveReserved && haveRoot && (!rootFileIdKnown_ || root == rootFileId_)) {
        active_ = true;
        journalId_ = id;
        if (maxSize >= (1u << 20) && maxSize <= (1ull << 40)) maxSize_ = maxSize;
    }
    lastJournalId_ = id;
    // Every USN handed out in an earlier run lies below the reserved mark: start above it, so a
    // position from an earlier run is older than the journal's first entry.
    firstUsn_ = nextUsn_ = (reservedUsn_ + 7) & ~int64_t(7);
    if (active_) ReserveUsn();
}

void Drive::SaveJournal() {
    std::wstring path = JournalFile(letter_);
    std::wstring tmp = path + L".tmp";
    char text[256];
    snprintf(text, sizeof text, "id=%llx\nroot=%llx\nreserved=%llx\nmaxsize=%llx\n",
             (unsigned long long)(active_ ? journalId_ : 0), (unsigned long long)rootFileId_,
             (unsigned long long)reservedUsn_, (unsigned long long)maxSize_);
    HANDLE f = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    BOOL ok = WriteFile(f, text, (DWORD)strlen(text), &written, nullptr);
    CloseHandle(f);
    if (!ok || !MoveFileExW(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        DeleteFileW(tmp.c_str());
}

void Drive::ReserveUsn() {
    if (nextUsn_ + (1 << 20) < reservedUsn_) return;
    reservedUsn_ = nextUsn_ + kUsnReservation;
    SaveJournal();
}

uint64_t Drive::NewJournalId() const {
    LARGE_INTEGER qpc;
    QueryPerformanceCounter(&qpc);
    uint64_t v = (uint64_t)NowFileTime() ^ ((uint64_t)qpc.QuadPart << 17) ^ ((uint64_t)letter_ << 56) ^
                 ((uint64_t)GetCurrentProcessId() << 40);
    v ^= v >> 29;
    v *= 0xBF58476D1CE4E5B9ull;
    v ^= v >> 32;
    if (v == 0 || v == lastJournalId_ || v == journalId_) v = (lastJournalId_ ^ journalId_) + 0x9E3779B97F4A7C15ull;
    return v ? v : 1;
}

// ---- tree model -------------------------------------------------------------------------------

Node* Drive::Get(uint64_t ref) {
    if (ref & kSyntheticBit) {
        auto it = synthetic_.find(ref);
        return it == synthetic_.end() ? nullptr : &it->second;
    }
    const uint64_t number = ref & kMask48;
    if (number >= slots_.size()) return nullptr;
    Node& n = slots_[number];
    return n.state == kEntrySlot && SlotRef(number) == ref ? &n : nullptr;
}

template <class Fn>
void Drive::ForEachEntry(Fn fn) {
    for (size_t i = 0; i < slots_.size(); ++i)
        if (slots_[i].state == kEntrySlot) fn(SlotRef(i), slots_[i]);
    for (auto& [ref, n] : synthetic_) fn(ref, n);
}

void Drive::SetName(Node& n, std::wstring_view name) {
    if (n.nameLength) names_.Release(n.nameLength);
    n.nameLength = 0;
    n.nameAt = names_.Add(name);
    n.nameLength = static_cast<uint8_t>(name.size());
}

// The reference of a file index seen before, or 0.
uint64_t Drive::KnownRef(uint64_t id) const {
    if (rootFileIdKnown_ && id == rootFileId_) return kRootRef;
    const uint32_t number = ids_.Find(id, [this](uint32_t n) { return slots_[n].fileId; });
    return number ? SlotRef(number) : 0;
}

void Drive::IndexId(uint64_t id, uint64_t number) {
    slots_[number].fileId = id;
    ids_.Insert(id, static_cast<uint32_t>(number), [this](uint32_t n) { return slots_[n].fileId; });
}

void Drive::UnindexId(uint64_t id, uint64_t number) {
    ids_.Erase(id, static_cast<uint32_t>(number), [this](uint32_t n) { return slots_[n].fileId; });
}

// Takes the lowest free record number with its next sequence number; returns the reference.
uint64_t Drive::TakeRecord(uint64_t owner, bool extension) {
    slots_.grow_to(kStandInFirstFileRecord);
    uint64_t number;
    if (!freeRecords_.empty()) {
        number = *freeRecords_.begin();
        freeRecords_.erase(freeRecords_.begin());
    } else {
        number = slots_.size();
        if (number >= 0xFFFFFFFFull) throw std::length_error("record numbers exhausted");
        slots_.emplace_back();
    }
    Node& slot = slots_[number];
    uint16_t sequence = static_cast<uint16_t>(slot.sequence + 1);
    if (sequence == 0) sequence = 1;
    slot = Node{};
    slot.sequence = sequence;
    slot.state = extension ? kExtensionSlot : kReservedSlot;
    const uint64_t ref = SlotRef(number);
    slot.parent = extension ? owner : 0;
    return ref;
}

// A reference for a file index not seen before. A file asked for by handle before a scan found
// it keeps the reference given here when the scan adds it.
uint64_t Drive::AllocateRef(uint64_t id) {
    const uint64_t ref = TakeRecord(0, false);
    IndexId(id, ref & kMask48);
    return ref;
}

// Takes an entry out of the model: its records become free, its name dead. The caller has
// detached it from its folder.
void Drive::RemoveEntry(uint64_t ref) {
    Node* n = Get(ref);
    if (!n) return;
    names_.Release(n->nameLength);
    if (ref & kSyntheticBit) {
        synthetic_.erase(ref);
        return;
    }
    auto release = [this](uint64_t r) {
        const uint64_t number = r & kMask48;
        if (r == kRootRef || (r & kSyntheticBit) || number >= slots_.size() || SlotRef(number) != r) return;
        Node& slot = slots_[number];
        if (slot.state == kFreeSlot) return;
        if (slot.fileId && KnownRef(slot.fileId) == r) UnindexId(slot.fileId, number);
        const uint16_t sequence = slot.sequence;
        slot = Node{};
        slot.sequence = sequence;
        freeRecords_.insert(number);
    };
    if (!n->IsDir() && n->link) {
        const uint64_t ext = n->link;
        const uint64_t number = ext & kMask48;
        if (number < slots_.size() && slots_[number].state == kExtensionSlot && slots_[number].parent == ref)
            release(ext);
    }
    release(ref);
}

StandInFile Drive::FileOf(uint64_t ref, const Node& n) const {
    return StandInFile{ref, n.IsDir(), n.IsDir() ? 0 : n.sizeOrStamp, n.IsDir() ? 0 : n.link};
}

uint64_t Drive::SyntheticRef(uint64_t parent, std::wstring_view name) const {
    uint64_t h = 0xCBF29CE484222325ull ^ parent;
    for (wchar_t c : name) {
        h ^= (uint64_t)c;
        h *= 0x100000001B3ull;
    }
    for (int probe = 0; probe < 64; ++probe) {
        uint64_t r = kSyntheticBit | ((h + (uint64_t)probe * 0x9E3779B97F4A7C15ull) & (kSyntheticBit - 1));
        auto it = synthetic_.find(r);
        if (it == synthetic_.end() || (it->second.parent == parent && NameOf(it->second) == name)) return r;
    }
    return kSyntheticBit | (h & (kSyntheticBit - 1));
}

std::wstring Drive::PathOf(uint64_t ref) const {
    std::vector<std::wstring_view> parts;
    uint64_t cur = ref;
    for (int depth = 0; cur != kRootRef && depth < kMaxDepth + 2; ++depth) {
        const Node* n = Get(cur);
        if (!n) break;
        parts.push_back(NameOf(*n));
        cur = n->parent;
    }
    std::wstring p = RootPath();
    for (size_t i = parts.size(); i-- > 0;) {
        p += parts[i];
        if (i) p += L'\\';
    }
    return p;
}

bool Drive::ListFolder(const std::wstring& path, Listing& out) {
    ++foldersListed_;
    return ListFolderEntries(path, listBuf_, out);
}

void Drive::Emit(uint64_t ref, uint64_t parent, std::wstring_view name, DWORD reason, DWORD attrs) {
    LogRec r{nextUsn_, ref, parent, reason, attrs, NowFileTime(), std::wstring(name)};
    DWORD len = RecordLength(name.size());
    nextUsn_ += len;
    logBytes_ += len;
    if (Node* n = Get(ref)) n->usn = r.usn;
    log_.push_back(std::move(r));
    TrimLog();
    ReserveUsn();
}

void Drive::TrimLog() {
    size_t limit = (size_t)std::min<uint64_t>(maxSize_, kMaxLogBytes);
    while (logBytes_ > limit && !log_.empty()) {
        logBytes_ -= RecordLength(log_.front().name.size());
        log_.pop_front();
        firstUsn_ = log_.empty() ? nextUsn_ : log_.front().usn;
    }
}

uint64_t Drive::BaselineRef(uint64_t parent, const ListedEntry& e, std::wstring_view name) {
    bool synthetic = (e.attrs & FILE_ATTRIBUTE_REPARSE_POINT) || e.fileId == 0;
    if (!synthetic) {
        uint64_t ref = KnownRef(e.fileId);
        if (ref == 0) return AllocateRef(e.fileId);
        if (ref != kRootRef && !Get(ref)) return ref;
    }
    return SyntheticRef(parent, name);   // a link, or a second name of one file
}

void Drive::AttachToParent(uint64_t ref, Node& n, uint64_t parent) {
    n.parent = parent;
    n.next = 0;
    Node* p = Get(parent);
    if (!p || ref == kRootRef) return;
    n.next = p->link;
    p->link = ref;
}

void Drive::DetachFromParent(uint64_t ref, uint64_t parent) {
    Node* p = Get(parent);
    if (!p) return;
    uint64_t* at = &p->link;
    for (size_t guard = 0; *at && guard < (size_t)1 << 32; ++guard) {
        Node* c = Get(*at);
        if (!c) {   // a stale link ends the list here
            *at = 0;
            return;
        }
        if (*at == ref) {
            *at = c->next;
            c->next = 0;
            return;
        }
        at = &c->next;
    }
}

uint64_t Drive::AddNode(uint64_t parent, const ListedEntry& e, std::wstring_view name, uint64_t ref, bool log) {
    Node* n;
    if (ref & kSyntheticBit) {
        n = &synthetic_[ref];
        *n = Node{};
    } else {
        Node& slot = slots_[ref & kMask48];
        const uint16_t sequence = slot.sequence;
        slot = Node{};
        slot.sequence = sequence;
        n = &slot;
    }
    n->state = kEntrySlot;
    n->attrs = e.attrs;
    n->createdPrint = CreatedPrint(e.created);
    n->written = e.written;
    n->sizeOrStamp = n->IsDir() ? e.written : e.size;
    n->usn = firstUsn_;
    SetName(*n, name);
    if (!(ref & kSyntheticBit) && ref != kRootRef) {
        IndexId(e.fileId, ref & kMask48);
        // Some files keep their data in an extension record, as files with many attributes do.
        if (!n->IsDir() && (ref & kMask48) % 7 == 3) {
            const uint64_t ext = TakeRecord(ref, true);
            n = Get(ref);
            n->link = ext;
        }
    }
    AttachToParent(ref, *n, parent);
    if (log) Emit(ref, parent, name, kReasonCreate | kReasonClose, e.attrs);
    return ref;
}

// The drive's first walk: the listers list the folders ahead while this thread builds the
// model from their listings, in the order of a walk by one thread (depth first, each folder's
// entries in the order of its listing), so that an unchanged drive gets the same references in
// every run.
void Drive::WalkFirst() {
    const uint64_t watchLimit = DriveWalkWatchLimit(letter_);
    struct Item {
        uint64_t ref;
        int depth;
        std::wstring path;
    };
    std::vector<Item> stack{{kRootRef, 0, RootPath()}};
    ParallelLister lister(kListers, stack.back().path, kMaxDepth);
    ParallelLister::Result r;
    while (!stack.empty()) {
        const Item folder = std::move(stack.back());
        stack.pop_back();
        lister.Take(folder.path, r);
        ++foldersListed_;
        // Past the limit the notification is given up for the rest of the walk (see the top of
        // this file) and set up again after it.
        if (watchDir_ != INVALID_HANDLE_VALUE && foldersListed_ > watchLimit) {
            CloseWatch();
            watchPartial_ = true;
        }
        if (!r.ok) continue;
        const Listing& l = r.listing;
        for (const ListedEntry& e : l.entries) {
            const std::wstring_view name = l.Name(e);
            const uint64_t ref = AddNode(folder.ref, e, name, BaselineRef(folder.ref, e, name), false);
            if (folder.depth < kMaxDepth && Get(ref)->Descend()) stack.push_back({ref, folder.depth + 1, Join(folder.path, name)});
        }
    }
}

// Adds a folder found by a scan with everything below it.
void Drive::WalkNew(uint64_t folderRef, const std::wstring& path, int depth, std::unordered_set<uint64_t>& pending) {
    struct Item { uint64_t ref; std::wstring path; int depth; };
    std::vector<Item> stack{{folderRef, path, depth}};
    Listing listing;
    while (!stack.empty()) {
        Item it = std::move(stack.back());
        stack.pop_back();
        if (!ListFolder(it.path, listing)) continue;
        for (const ListedEntry& e : listing.entries) {
            bool walk = false;
            const std::wstring_view name = listing.Name(e);
            const uint64_t ref = Place(it.ref, e, name, pending, &walk);
            if (walk && it.depth < kMaxDepth) stack.push_back({ref, Join(it.path, name), it.depth + 1});
        }
    }
}

bool Drive::EnsureTree() {
    if (treeBuilt_) return true;
    std::wstring root = RootPath();
    if (GetFileAttributesW(root.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    // A walk that failed half way (out of memory) starts again from nothing.
    slots_.clear();
    synthetic_.clear();
    names_.Clear();
    ids_.Clear();
    freeRecords_.clear();
    aliases_.clear();
    slots_.grow_to(kStandInFirstFileRecord);
    Node& r = slots_[kRootRef];
    r.state = kEntrySlot;
    r.parent = kRootRef;
    r.attrs = FILE_ATTRIBUTE_DIRECTORY;
    WIN32_FILE_ATTRIBUTE_DATA fa{};
    if (GetFileAttributesExW(root.c_str(), GetFileExInfoStandard, &fa))
        r.sizeOrStamp = (int64_t)(((uint64_t)fa.ftLastWriteTime.dwHighDateTime << 32) | fa.ftLastWriteTime.dwLowDateTime);
    // The notification comes first, so that nothing changed during the walk goes unseen, and the
    // walk opens every folder, which brings it under the notification, as long as the drive has
    // few folders. On a larger drive it is set up again after the walk: then it covers the root
    // and every folder listed from then on, and a change the walk missed, in a folder after its
    // listing, is found by the sweep (the folder's time differs from what its parent's listing
    // gave).
    watchPartial_ = false;
    OpenWatch();
    WalkFirst();
    if (watchDir_ == INVALID_HANDLE_VALUE) OpenWatch();
    treeBuilt_ = true;
    sweepList_.clear();
    sweepPos_ = 0;
    fileSweepPos_ = 0;
    fileRoundStart_ = lastFileSweep_ = std::chrono::steady_clock::now();
    return true;
}

void Drive::DeleteSubtree(uint64_t ref) {
    // Deepest entries first, as a file system reports them.
    std::vector<uint64_t> order{ref};
    for (size_t i = 0; i < order.size(); ++i) {
        const Node* n = Get(order[i]);
        if (!n || !n->IsDir()) continue;
        for (uint64_t c = n->link; c; ) {
            const Node* cn = Get(c);
            if (!cn) break;
            order.push_back(c);
            c = cn->next;
        }
    }
    if (const Node* top = Get(ref)) DetachFromParent(ref, top->parent);
    for (size_t i = order.size(); i-- > 0;) {
        const Node* n = Get(order[i]);
        if (!n) continue;
        Emit(order[i], n->parent, NameOf(*n), kReasonDelete | kReasonClose, n->attrs);
        RemoveEntry(order[i]);
    }
}

// Brings one entry listed in folder `folderRef` into the model and logs what changed; returns
// its reference and sets *walk for a folder whose contents are new to the model.
uint64_t Drive::Place(uint64_t folderRef, const ListedEntry& e, std::wstring_view name,
                      std::unordered_set<uint64_t>& pending, bool* walk) {
    *walk = false;
    bool synthetic = (e.attrs & FILE_ATTRIBUTE_REPARSE_POINT) || e.fileId == 0;
    uint64_t ref = synthetic ? SyntheticRef(folderRef, name) : KnownRef(e.fileId);
    if (ref == 0) ref = AllocateRef(e.fileId);
    Node* found = Get(ref);
    if (found && !synthetic && ref != kRootRef && found->parent != folderRef && !pending.count(ref)) {
        // Known elsewhere: moved here, or a second name of the same file.
        std::wstring oldPath = PathOf(ref);
        if (GetFileAttributesW(oldPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
            ref = SyntheticRef(folderRef, name);
            found = Get(ref);
        }
    }
    if (ref == kRootRef) {
        ref = SyntheticRef(folderRef, name);
        found = Get(ref);
    }
    if (!found) {
        uint64_t added = AddNode(folderRef, e, name, ref, true);
        *walk = Get(added)->Descend();
        return added;
    }
    if (found->parent != folderRef || NameOf(*found) != name) {
        Emit(ref, found->parent, NameOf(*found), kReasonOldName, found->attrs);
        found = Get(ref);
        if (found->Descend()) {
            if (aliases_.size() >= 10000) aliases_.clear();
            aliases_[{found->parent, std::wstring(NameOf(*found))}] = ref;
        }
        if (found->parent != folderRef) {
            DetachFromParent(ref, found->parent);
            AttachToParent(ref, *found, folderRef);
        }
        pending.erase(ref);
        SetName(*found, name);
        Emit(ref, folderRef, name, kReasonNewName | kReasonClose, e.attrs);
    }
    Node& m = *Get(ref);
    DWORD reason = 0;
    if (!m.IsDir()) {
        if (e.size > m.sizeOrStamp) reason |= kReasonDataExtend;
        else if (e.size < m.sizeOrStamp) reason |= kReasonDataTruncation;
        else if (e.written != m.written) reason |= kReasonDataOverwrite;
    }
    const DWORD basicMask = ~(DWORD)(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NORMAL);
    // Some file systems derive the creation time from the write time: a creation time that moved
    // with the write time is part of the data change.
    if ((e.attrs & basicMask) != (m.attrs & basicMask) ||
        (CreatedPrint(e.created) != m.createdPrint && e.written == m.written))
        reason |= kReasonBasicInfo;
    const bool wasDir = m.Descend();
    if (m.IsDir() != ((e.attrs & FILE_ATTRIBUTE_DIRECTORY) != 0)) {
        // A file became a folder or the other way round under the same reference: its link and
        // size field change meaning.
        if (!m.IsDir() && m.link) {
            const uint64_t ext = m.link;
            m.link = 0;
            const uint64_t number = ext & kMask48;
            if (number < slots_.size() && slots_[number].state == kExtensionSlot && slots_[number].parent == ref) {
                const uint16_t sequence = slots_[number].sequence;
                slots_[number] = Node{};
                slots_[number].sequence = sequence;
                freeRecords_.insert(number);
            }
        } else if (m.IsDir()) {
            // Its entries are gone with it: the next listing of the folder deletes them.
            for (uint64_t c = m.link; c;) {
                Node* cn = Get(c);
                if (!cn) break;
                pending.insert(c);
                c = cn->next;
            }
        }
        m.sizeOrStamp = e.written;
    }
    m.attrs = e.attrs;
    m.createdPrint = CreatedPrint(e.created);
    m.written = e.written;
    if (!m.IsDir()) m.sizeOrStamp = e.size;
    if (reason) Emit(ref, folderRef, name, reason | kReasonClose, e.attrs);
    if (!wasDir && Get(ref)->Descend()) *walk = true;
    return ref;
}

void Drive::RelistFolder(uint64_t folderRef, int64_t stamp, std::unordered_set<uint64_t>& pendingDelete) {
    const Node* f = Get(folderRef);
    if (!f || !f->Descend()) return;
    std::wstring path = PathOf(folderRef);
    Listing listing;
    if (!ListFolder(path, listing)) {
        // The folder itself went away or cannot be read: its parent's listing tells.
        if (folderRef != kRootRef && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            uint64_t parent = f->parent;
            if (parent != folderRef) RelistFolder(parent, 0, pendingDelete);
        }
        return;
    }
    Node* fn = Get(folderRef);
    if (!fn) return;
    if (stamp) fn->sizeOrStamp = stamp;
    std::vector<uint64_t> before;
    for (uint64_t c = fn->link; c;) {
        const Node* cn = Get(c);
        if (!cn) break;
        before.push_back(c);
        c = cn->next;
    }
    std::unordered_set<uint64_t> present;
    present.reserve(listing.entries.size() * 2 + 1);
    for (const ListedEntry& e : listing.entries) {
        bool walk = false;
        const std::wstring_view name = listing.Name(e);
        uint64_t ref = Place(folderRef, e, name, pendingDelete, &walk);
        present.insert(ref);
        if (walk) WalkNew(ref, Join(path, name), 1, pendingDelete);
    }
    for (uint64_t ref : before) {
        if (present.count(ref)) continue;
        const Node* n = Get(ref);
        if (n && n->parent == folderRef) pendingDelete.insert(ref);
    }
}

// Copies the live names into a fresh store once renames and deletions left more dead than live.
void Drive::CompactNames() {
    NameStore fresh;
    ForEachEntry([&](uint64_t, Node& n) {
        if (!n.nameLength) return;
        n.nameAt = fresh.Add(NameOf(n));
    });
    names_.Swap(fresh);
}

// ---- change notification ---------------------------------------------------------------------

void Drive::OpenWatch() {
    CloseWatch();
    watchDir_ = CreateFileW(RootPath().c_str(), FILE_LIST_DIRECTORY, 7, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    if (watchDir_ == INVALID_HANDLE_VALUE) return;
    watchOv_ = OVERLAPPED{};
    watchOv_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    watchBuf_.assign(65536 / sizeof(DWORD), 0);
    ArmWatch();
}

void Drive::ArmWatch() {
    watchPending_ = false;
    if (watchDir_ == INVALID_HANDLE_VALUE || !watchOv_.hEvent) return;
    ResetEvent(watchOv_.hEvent);
    if (ReadDirectoryChangesW(watchDir_, watchBuf_.data(), (DWORD)(watchBuf_.size() * sizeof(DWORD)), TRUE,
                              kWatchFilter, nullptr, &watchOv_, nullptr)) {
        watchPending_ = true;
    } else {
        CloseHandle(watchDir_);
        watchDir_ = INVALID_HANDLE_VALUE;
    }
}

void Drive::CloseWatch() {
    if (watchDir_ != INVALID_HANDLE_VALUE) {
        if (watchPending_) {
            CancelIoEx(watchDir_, &watchOv_);
            DWORD got = 0;
            GetOverlappedResult(watchDir_, &watchOv_, &got, TRUE);
        }
        CloseHandle(watchDir_);
        watchDir_ = INVALID_HANDLE_VALUE;
    }
    if (watchOv_.hEvent) CloseHandle(watchOv_.hEvent);
    watchOv_ = OVERLAPPED{};
    watchPending_ = false;
}

uint64_t Drive::ResolveFolder(const wchar_t* rel, size_t len) {
    uint64_t cur = kRootRef;
    size_t pos = 0;
    while (pos < len) {
        size_t end = pos;
        while (end < len && rel[end] != L'\\') ++end;
        if (end == len) break;   // the last part is the entry itself
        std::wstring part(rel + pos, end - pos);
        const Node* folder = Get(cur);
        if (!folder) break;
        uint64_t next = 0;
        for (uint64_t c = folder->link; c;) {
            const Node* cn = Get(c);
            if (!cn) break;
            if (cn->Descend() && NameOf(*cn) == part) {
                next = c;
                break;
            }
            c = cn->next;
        }
        if (!next) {
            // Notifications inside a renamed folder may still carry its old path.
            auto a = aliases_.find({cur, part});
            if (a != aliases_.end()) {
                const Node* an = Get(a->second);
                if (an && an->Descend()) next = a->second;
            }
        }
        if (!next) break;   // an unknown folder: listing the known one above finds it
        cur = next;
        pos = end + 1;
    }
    return cur;
}

void Drive::DrainWatch(std::unordered_set<uint64_t>& dirty, bool& overflow) {
    std::unordered_map<std::wstring, uint64_t> resolved;
    for (int round = 0; round < 64 && watchPending_; ++round) {
        if (WaitForSingleObject(watchOv_.hEvent, 0) != WAIT_OBJECT_0) return;
        DWORD got = 0;
        BOOL ok = GetOverlappedResult(watchDir_, &watchOv_, &got, FALSE);
        watchPending_ = false;
        if (!ok || got == 0) {
            overflow = true;   // lost notifications (or the watch ended): check every folder
        } else {
            const BYTE* base = reinterpret_cast<const BYTE*>(watchBuf_.data());
            size_t off = 0;
            while (off + sizeof(FILE_NOTIFY_INFORMATION) <= got) {
                auto* e = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(base + off);
                size_t nameBytes = e->FileNameLength;
                if (off + offsetof(FILE_NOTIFY_INFORMATION, FileName) + nameBytes > got) break;
                ++notifications_;
                // Many notifications name the same folder: resolve each folder path once.
                size_t n = nameBytes / 2;
                size_t cut = n;
                while (cut > 0 && e->FileName[cut - 1] != L'\\') --cut;
                std::wstring folder(e->FileName, cut);
                auto m = resolved.find(folder);
                if (m == resolved.end()) m = resolved.emplace(folder, ResolveFolder(e->FileName, n)).first;
                dirty.insert(m->second);
                if (!e->NextEntryOffset) break;
                off += e->NextEntryOffset;
            }
        }
        ArmWatch();
        if (watchDir_ == INVALID_HANDLE_VALUE) overflow = true;
    }
}

// A slice of the files' sweep (all files when whole): a file whose size or last-write time
// differs from the model, or that cannot be asked, has its folder listed again.
void Drive::SweepFiles(bool whole, std::unordered_set<uint64_t>& dirty) {
    const auto t0 = std::chrono::steady_clock::now();
    if (whole) {
        fileSweepPos_ = 0;
    } else if (fileSweepPos_ == 0) {
        // A round starts at most every kFileSweepRound; the time until then earns no budget.
        if (t0 - fileRoundStart_ < kFileSweepRound) {
            lastFileSweep_ = t0;
            return;
        }
        fileRoundStart_ = t0;
    }
    const auto since = t0 - lastFileSweep_;
    if (!whole && since < kSweepInterval) return;
    lastFileSweep_ = t0;
    const auto budget = std::min<std::chrono::steady_clock::duration>(
        kSweepMaxSlice, std::chrono::duration_cast<std::chrono::steady_clock::duration>(since * kFileSweepShare));
    size_t checked = 0;
    while (fileSweepPos_ < slots_.size()) {
        const size_t number = fileSweepPos_++;
        const Node& n = slots_[number];
        if (n.state != kEntrySlot || n.IsDir() || dirty.count(n.parent)) continue;
        ++checked;
        ++filesChecked_;
        WIN32_FILE_ATTRIBUTE_DATA fa{};
        if (!GetFileAttributesExW(PathOf(SlotRef(number)).c_str(), GetFileExInfoStandard, &fa)) {
            dirty.insert(n.parent);
        } else {
            const int64_t size = (int64_t)(((uint64_t)fa.nFileSizeHigh << 32) | fa.nFileSizeLow);
            const int64_t written =
                (int64_t)(((uint64_t)fa.ftLastWriteTime.dwHighDateTime << 32) | fa.ftLastWriteTime.dwLowDateTime);
            if (size != n.sizeOrStamp || written != n.written) {
                dirty.insert(n.parent);
                ++filesChanged_;
            }
        }
        if (!whole && (checked & 15) == 0 && std::chrono::steady_clock::now() - t0 > budget) return;
    }
    fileSweepPos_ = 0;
}

void Drive::Scan(bool fullSweep) {
    auto t0 = std::chrono::steady_clock::now();
    ++scans_;
    std::unordered_set<uint64_t> dirty;
    bool overflow = false;
    DrainWatch(dirty, overflow);
    std::unordered_map<uint64_t, int64_t> stamps;
    // Sweep: a slice of the folders per scan (all of them after lost notifications).
    if (sweepList_.empty() || sweepPos_ >= sweepList_.size()) {
        sweepList_.clear();
        ForEachEntry([&](uint64_t ref, const Node& n) {
            if (n.Descend()) sweepList_.push_back(ref);
        });
        sweepPos_ = 0;
    }
    bool all = fullSweep || overflow;
    if (all) sweepPos_ = 0;
    // Calls that come in quick succession (a query, then a read) share one slice; a slice takes
    // kSweepShare of the time since the last one.
    const auto since = t0 - lastSweep_;
    const bool sweep = all || since >= kSweepInterval;
    const auto budget = std::min<std::chrono::steady_clock::duration>(
        kSweepMaxSlice, std::chrono::duration_cast<std::chrono::steady_clock::duration>(since * kSweepShare));
    if (sweep) lastSweep_ = t0;
    size_t checked = 0;
    while (sweep && sweepPos_ < sweepList_.size()) {
        uint64_t ref = sweepList_[sweepPos_++];
        ++checked;
        const Node* n = Get(ref);
        if (n && n->Descend()) {
            std::wstring p = PathOf(ref);
            WIN32_FILE_ATTRIBUTE_DATA fa{};
            ++foldersChecked_;
            if (!GetFileAttributesExW(p.c_str(), GetFileExInfoStandard, &fa)) {
                if (ref != kRootRef) dirty.insert(n->parent);
            } else {
                int64_t w = (int64_t)(((uint64_t)fa.ftLastWriteTime.dwHighDateTime << 32) | fa.ftLastWriteTime.dwLowDateTime);
                if (w != n->sizeOrStamp) {
                    dirty.insert(ref);
                    stamps[ref] = w;
                }
            }
        }
        if (!all && (checked & 15) == 0 && std::chrono::steady_clock::now() - t0 > budget) break;
    }
    // Without a notification for every folder a change of a file's data would go unseen.
    if (watchPartial_ || watchDir_ == INVALID_HANDLE_VALUE) SweepFiles(fullSweep, dirty);
    if (!dirty.empty()) {
        std::unordered_set<uint64_t> pendingDelete;
        // Upper folders first, so that a folder moved between two listed folders is seen as moved.
        std::vector<std::pair<size_t, uint64_t>> order;
        for (uint64_t ref : dirty) {
            size_t depth = 0;
            uint64_t cur = ref;
            while (cur != kRootRef && depth < (size_t)kMaxDepth + 2) {
                const Node* n = Get(cur);
                if (!n) break;
                cur = n->parent;
                ++depth;
            }
            order.push_back({depth, ref});
        }
        std::sort(order.begin(), order.end());
        for (auto& [depth, ref] : order) {
            auto st = stamps.find(ref);
            int64_t stamp = 0;
            if (st != stamps.end()) stamp = st->second;
            else {
                WIN32_FILE_ATTRIBUTE_DATA fa{};
                std::wstring p = PathOf(ref);
                if (GetFileAttributesExW(p.c_str(), GetFileExInfoStandard, &fa))
                    stamp = (int64_t)(((uint64_t)fa.ftLastWriteTime.dwHighDateTime << 32) | fa.ftLastWriteTime.dwLowDateTime);
            }
            RelistFolder(ref, stamp, pendingDelete);
        }
        for (uint64_t ref : pendingDelete)
            if (Get(ref)) DeleteSubtree(ref);
        if (names_.WantsCompaction()) CompactNames();
    }
    lastScanMs_ = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// ---- control codes ----------------------------------------------------------------------------

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

BOOL Drive::Query(void* out, DWORD outSize, DWORD* returned) {
    if (!active_) return Fail(ERROR_JOURNAL_NOT_ACTIVE);
    if (!out || outSize < sizeof(VolumeIoUsnJournalDataV0)) return Fail(ERROR_INSUFFICIENT_BUFFER);
    if (treeBuilt_) Scan(false);
    VolumeIoUsnJournalDataV0 d{};
    d.UsnJournalID = journalId_;
    d.FirstUsn = firstUsn_;
    d.NextUsn = nextUsn_;
    d.LowestValidUsn = firstUsn_;
    d.MaxUsn = 0x7FFFFFFFFFFF0000ll;
    d.MaximumSize = maxSize_;
    d.AllocationDelta = allocDelta_;
    memcpy(out, &d, sizeof d);
    *returned = sizeof d;
    return TRUE;
}

BOOL Drive::Create(const void* in, DWORD inSize, DWORD* returned) {
    if (!in || inSize < sizeof(VolumeIoCreateUsnJournalData)) return Fail(ERROR_INVALID_PARAMETER);
    VolumeIoCreateUsnJournalData c;
    memcpy(&c, in, sizeof c);
    if (c.MaximumSize) maxSize_ = std::clamp<uint64_t>(c.MaximumSize, 1u << 20, 1ull << 40);
    if (c.AllocationDelta) allocDelta_ = std::min<uint64_t>(c.AllocationDelta, maxSize_);
    if (!active_) {
        journalId_ = NewJournalId();
        active_ = true;
        log_.clear();
        logBytes_ = 0;
        firstUsn_ = nextUsn_;
    }
    reservedUsn_ = nextUsn_ + kUsnReservation;
    SaveJournal();
    TrimLog();
    *returned = 0;
    return TRUE;
}

BOOL Drive::Delete(const void* in, DWORD inSize, DWORD* returned) {
    if (!in || inSize < sizeof(VolumeIoDeleteUsnJournalData)) return Fail(ERROR_INVALID_PARAMETER);
    VolumeIoDeleteUsnJournalData d;
    memcpy(&d, in, sizeof d);
    if (!active_) return Fail(ERROR_JOURNAL_NOT_ACTIVE);
    if (d.UsnJournalID != journalId_) return Fail(ERROR_INVALID_PARAMETER);
    if (d.DeleteFlags & 1) {
        lastJournalId_ = journalId_;
        active_ = false;
        journalId_ = 0;
        log_.clear();
        logBytes_ = 0;
        firstUsn_ = nextUsn_;
        SaveJournal();
    }
    *returned = 0;
    return TRUE;
}

// Entries come in record-number order, then the synthetic ones in the order of their references;
// StartFileReferenceNumber and the next start returned are positions in that order (a record
// number, or a synthetic reference).
BOOL Drive::Enumerate(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
    if (!in || inSize < sizeof(VolumeIoMftEnumDataV0)) return Fail(ERROR_INVALID_PARAMETER);
    VolumeIoMftEnumDataV1 q{};
    memcpy(&q, in, std::min<size_t>(inSize, sizeof q));
    if (inSize >= sizeof(VolumeIoMftEnumDataV1) && (q.MaxMajorVersion < 2 || q.MinMajorVersion > 2))
        return Fail(ERROR_INVALID_PARAMETER);
    if (!out || outSize < 8) return Fail(ERROR_INSUFFICIENT_BUFFER);
    if (!EnsureTree()) return Fail(ERROR_DEVICE_NOT_CONNECTED);
    BYTE* o = static_cast<BYTE*>(out);
    DWORD used = 8;
    const uint64_t start = q.StartFileReferenceNumber & kMask48;
    uint64_t next = start;
    bool any = false, full = false;
    // Writes one entry; false when it does not fit.
    auto put = [&](uint64_t ref, const Node& n) {
        if (n.usn < q.LowUsn || n.usn > q.HighUsn) return true;
        const std::wstring_view name = NameOf(n);
        const DWORD len = RecordLength(name.size());
        if (used + len > outSize) return false;
        WriteRecord(o + used, LogRec{n.usn, ref, n.parent, 0, n.attrs, n.written, std::wstring(name)});
        used += len;
        any = true;
        return true;
    };
    if (start < kSyntheticBit) {
        for (uint64_t number = start; number < slots_.size(); ++number) {
            const Node& n = slots_[number];
            if (n.state == kEntrySlot && number != kRootRef && !put(SlotRef(number), n)) {
                full = true;
                break;
            }
            next = number + 1;
        }
    }
    if (!full) {
        std::vector<uint64_t> synthetic;
        for (auto& [ref, n] : synthetic_)
            if ((ref & kMask48) >= start) synthetic.push_back(ref);
        std::sort(synthetic.begin(), synthetic.end());
        for (uint64_t ref : synthetic) {
            if (!put(ref, synthetic_.at(ref))) {
                full = true;
                break;
            }
            next = (ref & kMask48) + 1;
        }
        if (!full) next = std::max<uint64_t>(next, kSyntheticBit);
    }
    if (!any) {
        if (!full) {
            *returned = 0;
            return Fail(ERROR_HANDLE_EOF);
        }
        if (next == start) {   // the first entry does not fit the buffer
            *returned = 0;
            return Fail(ERROR_MORE_DATA);
        }
    }
    memcpy(o, &next, 8);
    *returned = used;
    return TRUE;
}


DWORD Drive::FillRead(int64_t startUsn, DWORD mask, bool onlyOnClose, BYTE* out, DWORD outSize, size_t* matched) {
    DWORD used = 8;
    int64_t next = nextUsn_;
    *matched = 0;
    auto pos = std::lower_bound(log_.begin(), log_.end(), startUsn,
                                [](const LogRec& r, int64_t u) { return r.usn < u; });
    for (; pos != log_.end(); ++pos) {
        const LogRec& r = *pos;
        if (!(r.reason & mask) || (onlyOnClose && !(r.reason & kReasonClose))) continue;
        DWORD len = RecordLength(r.name.size());
        if (used + len > outSize) {
            next = r.usn;
            break;
        }
        WriteRecord(out + used, r);
        used += len;
        ++*matched;
    }
    memcpy(out, &next, 8);
    return used;
}

BOOL Drive::Read(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned, HANDLE cancelEvent,
                 std::unique_lock<std::mutex>& lock) {
    if (!in || inSize < sizeof(VolumeIoReadUsnJournalDataV0)) return Fail(ERROR_INVALID_PARAMETER);
    VolumeIoReadUsnJournalDataV1 q{};
    memcpy(&q, in, std::min<size_t>(inSize, sizeof q));
    if (inSize >= sizeof(VolumeIoReadUsnJournalDataV1) && (q.MaxMajorVersion < 2 || q.MinMajorVersion > 2))
        return Fail(ERROR_INVALID_PARAMETER);
    if (!out || outSize < 8) return Fail(ERROR_INSUFFICIENT_BUFFER);
    auto deadline = std::chrono::steady_clock::now() +
                    std::chrono::milliseconds(q.Timeout && q.Timeout < kMaxWaitMs / 1000 ? q.Timeout * 1000 : kMaxWaitMs);
    for (;;) {
        if (!active_) return Fail(ERROR_JOURNAL_NOT_ACTIVE);
        if (q.UsnJournalID != journalId_) return Fail(ERROR_JOURNAL_ENTRY_DELETED);
        if (!EnsureTree()) return Fail(ERROR_DEVICE_NOT_CONNECTED);
        if (GetFileAttributesW(RootPath().c_str()) == INVALID_FILE_ATTRIBUTES) return Fail(ERROR_DEVICE_NOT_CONNECTED);
        Scan(false);
        int64_t start = q.StartUsn == 0 ? firstUsn_ : q.StartUsn;
        if (start < firstUsn_) return Fail(ERROR_JOURNAL_ENTRY_DELETED);
        size_t matched = 0;
        DWORD used = FillRead(start, q.ReasonMask, q.ReturnOnlyOnClose != 0, static_cast<BYTE*>(out), outSize, &matched);
        if (matched == 0 && used == 8 && start < nextUsn_ && outSize < 8 + 64) {
            // Records are waiting but none fits the buffer.
            *returned = 0;
            return Fail(ERROR_INSUFFICIENT_BUFFER);
        }
        if (matched > 0 || q.BytesToWaitFor == 0 || std::chrono::steady_clock::now() >= deadline) {
            *returned = used;
            return TRUE;
        }
        // A waiting read: look again shortly, without holding the drive.
        lock.unlock();
        DWORD w = cancelEvent ? WaitForSingleObject(cancelEvent, 100) : (Sleep(100), WAIT_TIMEOUT);
        lock.lock();
        if (w == WAIT_OBJECT_0) return Fail(ERROR_OPERATION_ABORTED);
    }
}

BOOL Drive::Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned,
                    HANDLE cancelEvent) {
    std::unique_lock<std::mutex> lock(mutex);
    DWORD dummy = 0;
    if (!returned) returned = &dummy;
    *returned = 0;
    LoadJournal();
    switch (code) {
        case FSCTL_QUERY_USN_JOURNAL: return Query(out, outSize, returned);
        case FSCTL_CREATE_USN_JOURNAL: return Create(in, inSize, returned);
        case FSCTL_DELETE_USN_JOURNAL: return Delete(in, inSize, returned);
        case FSCTL_ENUM_USN_DATA: return Enumerate(in, inSize, out, outSize, returned);
        case FSCTL_READ_USN_JOURNAL: return Read(in, inSize, out, outSize, returned, cancelEvent, lock);
        default: return Fail(ERROR_INVALID_FUNCTION);
    }
}

uint64_t Drive::FileReference(uint64_t fileIndex) {
    std::lock_guard<std::mutex> lock(mutex);
    LoadJournal();
    const uint64_t ref = KnownRef(fileIndex);
    return ref ? ref : AllocateRef(fileIndex);
}

bool Drive::CollectFiles(std::vector<StandInFile>& out) {
    std::lock_guard<std::mutex> lock(mutex);
    LoadJournal();
    out.clear();
    if (!EnsureTree()) return false;
    Scan(false);
    ForEachEntry([&](uint64_t ref, const Node& n) { out.push_back(FileOf(ref, n)); });
    return true;
}

bool Drive::FindRecord(uint64_t record, StandInRecord* out) {
    std::lock_guard<std::mutex> lock(mutex);
    LoadJournal();
    if (!EnsureTree()) return false;
    // As the file system does: the record asked for when in use, else the nearest one below.
    uint64_t number = std::min<uint64_t>(record & kMask48, slots_.size() ? slots_.size() - 1 : 0);
    for (; number < slots_.size(); --number) {
        const Node& slot = slots_[number];
        const uint64_t ref = SlotRef(number);
        if (slot.state == kEntrySlot) {
            out->file = FileOf(ref, slot);
            out->extension = false;
            out->reference = ref;
            return true;
        }
        if (slot.state == kExtensionSlot) {
            const Node* owner = Get(slot.parent);
            if (owner && !owner->IsDir() && owner->link == ref) {
                out->file = FileOf(slot.parent, *owner);
                out->extension = true;
                out->reference = ref;
                return true;
            }
        }
        if (number == 0) break;
    }
    return false;
}

VolumeIoStandInStats Drive::Stats() {
    std::lock_guard<std::mutex> lock(mutex);
    VolumeIoStandInStats s;
    s.active = active_;
    s.journalId = journalId_;
    ForEachEntry([&](uint64_t ref, const Node& n) {
        if (ref == kRootRef) return;
        ++s.entries;
        if (n.IsDir()) ++s.folders;
    });
    s.scans = scans_;
    s.foldersChecked = foldersChecked_;
    s.foldersListed = foldersListed_;
    s.notifications = notifications_;
    s.filesChecked = filesChecked_;
    s.filesChanged = filesChanged_;
    s.lastScanMs = lastScanMs_;
    return s;
}

}  // namespace

bool IsJournalControlCode(DWORD code) {
    return code == FSCTL_QUERY_USN_JOURNAL || code == FSCTL_CREATE_USN_JOURNAL || code == FSCTL_DELETE_USN_JOURNAL ||
           code == FSCTL_ENUM_USN_DATA || code == FSCTL_READ_USN_JOURNAL;
}

BOOL StandInControl(wchar_t letter, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                    DWORD* returned, HANDLE cancelEvent) {
    auto d = DriveOf(letter);
    if (!d) return Fail(ERROR_INVALID_PARAMETER);
    return d->Control(code, in, inSize, out, outSize, returned, cancelEvent);
}

uint64_t StandInFileReference(wchar_t letter, uint64_t fileIndex) {
    auto d = DriveOf(letter);
    return d ? d->FileReference(fileIndex) : fileIndex;
}

void StandInSetStateFolder(const std::wstring& folder) {
    std::lock_guard<std::mutex> lock(G().folderMutex);
    G().stateFolder = folder;
}

void StandInReset() {
    std::array<std::shared_ptr<Drive>, 26> old;
    {
        std::lock_guard<std::mutex> lock(G().drivesMutex);
        old.swap(G().drives);
    }
}

VolumeIoStandInStats StandInStats(wchar_t letter) {
    auto d = DriveOf(letter);
    return d ? d->Stats() : VolumeIoStandInStats{};
}

bool StandInCollectFiles(wchar_t letter, std::vector<StandInFile>& out) {
    auto d = DriveOf(letter);
    return d && d->CollectFiles(out);
}

bool StandInRecordCount(wchar_t letter, uint64_t* count) {
    auto d = DriveOf(letter);
    return d && d->RecordCount(count);
}

bool StandInFindRecord(wchar_t letter, uint64_t record, StandInRecord* out) {
    auto d = DriveOf(letter);
    return d && d->FindRecord(record, out);
}

bool StandInRunScan(wchar_t letter, bool fullSweep) {
    auto d = DriveOf(letter);
    return d && d->RunScan(fullSweep);
}

}  // namespace volumeio
