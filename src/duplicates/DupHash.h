#pragma once
// SHA-256 of files for the duplicate finder: the quick hash (three 64 KiB samples and the size,
// or the whole content up to 262144 bytes), the full hash, and the per-file hash cache
// dupcache\files.hash (DUPHASH1).
//
// Files on drives that may not answer (network, removable) have a time limit per access: opens
// and time queries run on a helper thread and are given up after 5000 / 3000 ms; reads are
// overlapped and cancelled after 3000 ms. Local fixed drives are read directly. Each hash
// has an overall deadline kept per thread (tls_hashDeadline) and reports running out of time
// through tls_hashTimedOut. The cancel flag is honoured at every wait.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>

#include "core/Raii.h"

extern thread_local bool tls_hashTimedOut;
extern thread_local uint64_t tls_hashDeadline;

constexpr uint32_t kDupOpenWaitMs = 5000;
constexpr uint32_t kDupReadWaitMs = 3000;
constexpr uint32_t kDupCancelWaitMs = 400;
constexpr uint32_t kDupTimeQueryWaitMs = 3000;
constexpr uint32_t kDupSampleLength = 65536;
constexpr uint32_t kDupFullReadSize = 262144;

// 64 lower-case hex digits of the quick hash, empty on any failure. Valid only when all three
// samples were read and the file still has the given size.
std::wstring DupComputeQuickHash(const std::wstring& path, int64_t size, const std::atomic<bool>* cancel,
                                 uint32_t timeoutMs);
// The SHA-256 of the whole file; timeout 0 keeps the thread's deadline (30000 ms when none).
// expectedSize >= 0: empty unless the file still has that size.
std::wstring DupComputeFullHash(const std::wstring& path, const std::atomic<bool>* cancel, uint32_t timeoutMs,
                                int64_t expectedSize = -1);
bool DupHashDeadlinePassed();
std::wstring HashDigestToHex(const uint8_t digest[32]);

// True for a path on a local fixed drive (or RAM disk), whose files are opened and read on the
// calling thread; files anywhere else (network, removable, optical drives, UNC paths) go
// through the timed helper thread and overlapped reads. The answer per letter is kept 5 s.
bool DupPathIsOnLocalFixedDrive(const std::wstring& path);
// Set: every path takes the timed access, as on a network drive (lets tests check both ways).
extern std::atomic<bool> g_dupTimedAccessForAllDrives;

// The opened file for hashing (shared read, overlapped, sequential), or INVALID_HANDLE_VALUE
// after a failure, the open wait, the deadline or the cancel flag.
HANDLE OpenFileForHashTimed(const std::wstring& path, const std::atomic<bool>* cancel);

// Size and last-write time of a file from its attributes, asked on a helper thread.
struct DupFileStat {
    bool valid = false;
    int64_t size = 0;
    uint64_t mtime = 0;
};
DupFileStat DupQueryFileStat(const std::wstring& path);
// The last-write time alone (0 on failure or time-out).
uint64_t DupQueryFileMtime(const std::wstring& path);

// Volume serial number and file index: the identity of a file whatever the path it was
// reached by (two drive letters, a hard link), with its size, last-write time and change time.
// The change time (FILE_BASIC_INFO.ChangeTime) moves with every write, rename or attribute
// change and no program can set it back, unlike the last-write time. False when the file cannot
// be opened in time.
struct DupFileIdentity {
    uint32_t volumeSerial = 0;
    uint64_t fileIndex = 0;
    int64_t size = 0;
    uint64_t mtime = 0;  // last-write FILETIME as one number
    int64_t ctime = 0;   // change time (0 where the file system keeps none)
    // The same file (whatever its state).
    bool operator==(const DupFileIdentity& o) const {
        return volumeSerial == o.volumeSerial && fileIndex == o.fileIndex;
    }
    // The same file with the same size, last-write time and change time.
    bool SameState(const DupFileIdentity& o) const {
        return *this == o && size == o.size && mtime == o.mtime && ctime == o.ctime;
    }
};
bool DupQueryFileIdentity(const std::wstring& path, DupFileIdentity* out, const std::atomic<bool>* cancel);

// Told the number of bytes of each piece read.
using DupReadProgress = std::function<void(uint64_t bytes)>;

// How DupHashFileNow keeps a file open once it is hashed: against writing only (it can still be
// deleted or renamed, by this program too), or against writing, deleting and renaming (only
// reading is shared).
enum class DupHold { AgainstWriting, AgainstAnyChange };

// The SHA-256 of a file's whole content as it is now, never from a cache, with the file's
// identity, size and times (*stamp) from the same open. No overall time limit applies: a file on
// a local fixed drive is read to its end however long that takes; elsewhere each open and read
// keeps its own wait. Empty when the file cannot be read whole, changed while it was read, or
// the cancel flag was set. With hold, the file is opened without the sharing `how` forbids and,
// once hashed, stays open in *hold: while that handle lives no program can do what it forbids (a
// program that has the file open for such access already makes the open fail).
std::wstring DupHashFileNow(const std::wstring& path, const std::atomic<bool>* cancel, const DupReadProgress* progress,
                            DupFileIdentity* stamp, UniqueHandle* hold = nullptr,
                            DupHold how = DupHold::AgainstWriting);
// The identity and state of an open file, and whether it is about to go (a delete is pending on
// it: it goes when its last handle closes). False when they cannot be read.
bool DupIdentityOfHandle(HANDLE file, DupFileIdentity* out, bool* deletePending = nullptr);
// Opens a file to hold it against writing, as DupHashFileNow does (with the open's time limit
// off local fixed drives); INVALID_HANDLE_VALUE when it cannot be opened so.
HANDLE DupOpenHeldAgainstWriting(const std::wstring& path);

// Whether the system's SHA-256 provider can be opened (status: the failing call's NTSTATUS,
// which is also logged to the performance log; 0 when available).
[[nodiscard]] bool DupSha256Available(long* status);
// Tests: the CNG algorithm every hash opens (a name of static lifetime; null restores SHA256).
void SetDupHashAlgorithmForTest(const wchar_t* name);

// While an instance lives on a thread, that thread's timed opens and time queries go through
// one reused helper thread instead of a new thread each. A helper that is still stuck in a
// call when its time runs out is left behind and a fresh one serves the next call.
class DupTimedHelperScope {
public:
    DupTimedHelperScope();
    ~DupTimedHelperScope();
    DupTimedHelperScope(const DupTimedHelperScope&) = delete;
    DupTimedHelperScope& operator=(const DupTimedHelperScope&) = delete;
};

// ---------------------------------------------------------------------------------------------
// Text helpers shared by the cache files (UTF-8, LF line ends).
std::string DupWideToUtf8(const std::wstring& text);
bool DupUtf8ToWide(const std::string& text, std::wstring* out);
// Removes trailing CR and LF only (a path may end in blanks); true when anything is left.
bool TrimLineInPlace(std::string& line);
// True for exactly 64 lower-case hexadecimal characters.
bool IsDupHexDigest(const std::wstring& text);

// Reads a cache file line by line. A line longer than 1 MiB or a last line without its line
// end makes the whole read fail (the file was cut or damaged).
class DupLineReader {
public:
    explicit DupLineReader(FILE* file) : file_(file) {}
    // Next line without its line end; false at the end of the file or on damage (see failed()).
    bool Next(std::string* line);
    // Next line of a record body: false at the end of the file, at an empty line (the end of
    // the records) and on damage (see failed()).
    bool NextBodyLine(std::string* line) { return Next(line) && !line->empty(); }
    bool failed() const { return failed_; }

private:
    FILE* file_;
    bool failed_ = false;
};

// Writes a whole file through a temporary file in the same folder and a replacing move.
bool DupWriteFileAtomically(const std::wstring& path, const std::string& bytes);

// ---------------------------------------------------------------------------------------------
// Per-file hash cache.
struct DupFileHashEntry {
    int64_t size = 0;
    uint64_t mtime = 0;
    std::wstring quick;
    std::wstring full;
};

class DupFileHashStore {
public:
    // True when the file was read to its end; a damaged file loads nothing.
    bool Load(const std::wstring& path);
    // True when nothing needed writing or the file was replaced completely.
    bool Save(const std::wstring& path);
    void PutQuick(const std::wstring& path, int64_t size, uint64_t mtime, const std::wstring& quick);
    void PutFull(const std::wstring& path, int64_t size, uint64_t mtime, const std::wstring& full);
    bool FindQuick(const std::wstring& path, int64_t size, uint64_t mtime, std::wstring* quick);
    bool FindFull(const std::wstring& path, int64_t size, uint64_t mtime, std::wstring* full);
    bool dirty();
    size_t size();

private:
    std::mutex mutex_;
    std::unordered_map<std::wstring, DupFileHashEntry> map_;
    bool dirty_ = false;
};

// The quick / full hash through the cache (a hit needs equal size and time and opens nothing).
std::wstring DupGetQuickHashCached(const std::wstring& path, int64_t size, uint64_t mtime,
                                   const std::atomic<bool>* cancel, DupFileHashStore* store, uint32_t timeoutMs);
std::wstring DupGetFullHashCached(const std::wstring& path, int64_t size, uint64_t mtime,
                                  const std::atomic<bool>* cancel, DupFileHashStore* store, uint32_t timeoutMs);
