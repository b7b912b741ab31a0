// The layer's own change journal.
//
// Per drive it keeps a model of the folder tree (every file and folder with its reference,
// parent, name, attributes, times and size) and a log of USN_RECORD_V2 entries. The model is
// built by one walk of the drive; afterwards every query or read of the journal runs a change
// scan that brings the model up to date and logs what changed:
//   - a subtree change notification on the drive root names the folders that changed (every
//     folder is opened once by the walk, so that the notification covers folders that existed
//     before it was set up);
//   - a sweep compares the last-write time of a slice of the folders per scan (at most one
//     slice per 50 ms) with the time seen when the folder was last listed, so that a change the
//     notification missed is found within one round of the sweep;
//   - a changed folder is listed again and compared entry by entry with the model: new
//     references are creations, vanished ones deletions, a reference under another name or
//     folder a rename, other sizes, times or attributes data and basic-info changes.
// File references are record numbers the layer assigns per drive, as NTFS numbers its FILE
// records: dense from kStandInFirstFileRecord up, kept by a file for as long as it exists (across
// renames and moves, which keep the file system's file index), and reused after a deletion only
// with the next sequence number (the reference's high 16 bits). The drive's root folder is 5.
// Entries without a usable index of their own (links, duplicates of a reference) get a stable
// synthetic reference from their parent and name and no record.
#include "platform/StandInJournal.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <memory>
#include <mutex>
#include <condition_variable>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/Core.h"

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
constexpr int kSweepBudgetWatchedUs = 4000;           // sweep time per scan with notifications
constexpr int kSweepBudgetUnwatchedUs = 25000;        // sweep time per scan without them
constexpr DWORD kMaxWaitMs = 10000;                   // longest wait of a waiting read
constexpr std::chrono::milliseconds kSweepInterval{50};   // at most one sweep slice per interval
constexpr int kMaxDepth = 256;
constexpr DWORD kWatchFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                               FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE |
                               FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_CREATION;

struct Node {
    uint64_t parent = 0;
    std::wstring name;
    DWORD attrs = 0;
    int64_t created = 0, written = 0, size = 0;
    int64_t usn = 0;
    int64_t dirStamp = 0;               // folders: last-write time when last listed
    uint64_t fileId = 0;                // the file system's file index (0: synthetic reference)
    uint64_t extension = 0;             // reference of the extension record holding its data, or 0
    std::vector<uint64_t> children;     // folders: references of the entries
    bool IsDir() const { return (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    bool Descend() const { return IsDir() && !(attrs & FILE_ATTRIBUTE_REPARSE_POINT); }
};

struct Listed {
    uint64_t fileId = 0;
    std::wstring name;
    DWORD attrs = 0;
    int64_t created = 0, written = 0, size = 0;
};

struct LogRec {
    int64_t usn;
    uint64_t ref, parent;
    DWORD reason, attrs;
    int64_t timestamp;
    std::wstring name;
};

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
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
        *count = records_.size();
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
    uint64_t KnownRef(uint64_t id) const;
    uint64_t AllocateRef(uint64_t id);
    uint64_t TakeRecord(uint64_t owner, bool extension);
    void FreeRecords(uint64_t ref, const Node& n);
    StandInFile FileOf(uint64_t ref, const Node& n) const;
    uint64_t SyntheticRef(uint64_t parent, const std::wstring& name) const;
    bool ListFolder(const std::wstring& path, std::vector<Listed>& out);
    bool EnsureTree();
    void WalkNew(uint64_t folderRef, const std::wstring& path, int depth, std::unordered_set<uint64_t>* pending);
    uint64_t BaselineRef(uint64_t parent, const Listed& e);
    uint64_t AddNode(uint64_t parent, const Listed& e, uint64_t ref, bool log);
    uint64_t Place(uint64_t folderRef, const Listed& e, std::unordered_set<uint64_t>& pending, bool* walk);
    void RelistFolder(uint64_t ref, int64_t stamp, std::unordered_set<uint64_t>& pendingDelete);
    void DeleteSubtree(uint64_t ref);
    void DetachFromParent(uint64_t ref, uint64_t parent);
    void Emit(uint64_t ref, uint64_t parent, const std::wstring& name, DWORD reason, DWORD attrs);
    void TrimLog();
    void Scan(bool fullSweep);
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
    std::unordered_map<uint64_t, Node> nodes_;
    // Record numbers: who holds each one (its base reference; 0 = free) and its last sequence.
    struct RecordSlot {
        uint64_t owner = 0;
        uint16_t sequence = 0;
        bool extension = false;
    };
    std::vector<RecordSlot> records_;
    std::set<uint64_t> freeRecords_;                   // lowest first, as NTFS reuses them
    std::unordered_map<uint64_t, uint64_t> idRefs_;    // file index -> reference
    std::vector<uint64_t> enumOrder_;
    std::map<std::pair<uint64_t, std::wstring>, uint64_t> aliases_;   // earlier (parent, name) of folders
    std::vector<uint64_t> sweepList_;
    size_t sweepPos_ = 0;
    std::chrono::steady_clock::time_point lastSweep_{};
    std::vector<BYTE> listBuf_;
    // notification
    HANDLE watchDir_ = INVALID_HANDLE_VALUE;
    OVERLAPPED watchOv_{};
    std::vector<DWORD> watchBuf_;
    bool watchPending_ = false;
    // stats
    uint64_t scans_ = 0, foldersChecked_ = 0, foldersListed_ = 0, notifications_ = 0;
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

// The reference of a file index seen before, or 0.
uint64_t Drive::KnownRef(uint64_t id) const {
    if (rootFileIdKnown_ && id == rootFileId_) return kRootRef;
    auto it = idRefs_.find(id);
    return it == idRefs_.end() ? 0 : it->second;
}

// Takes the lowest free record number with its next sequence number; returns the reference.
uint64_t Drive::TakeRecord(uint64_t owner, bool extension) {
    if (records_.size() < kStandInFirstFileRecord) records_.resize(kStandInFirstFileRecord);
    uint64_t number;
    if (!freeRecords_.empty()) {
        number = *freeRecords_.begin();
        freeRecords_.erase(freeRecords_.begin());
    } else {
        number = records_.size();
        records_.emplace_back();
    }
    RecordSlot& slot = records_[number];
    if (++slot.sequence == 0) slot.sequence = 1;
    const uint64_t ref = number | (static_cast<uint64_t>(slot.sequence) << 48);
    slot.owner = owner ? owner : ref;
    slot.extension = extension;
    return ref;
}

// A reference for a file index not seen before. A file asked for by handle before a scan found
// it keeps the reference given here when the scan adds it.
uint64_t Drive::AllocateRef(uint64_t id) {
    const uint64_t ref = TakeRecord(0, false);
    idRefs_[id] = ref;
    return ref;
}

void Drive::FreeRecords(uint64_t ref, const Node& n) {
    auto release = [this](uint64_t r, uint64_t owner) {
        const uint64_t number = r & kMask48;
        if (r == kRootRef || (r & kSyntheticBit) || number >= records_.size()) return;
        if (records_[number].owner != owner) return;
        records_[number].owner = 0;
        freeRecords_.insert(number);
    };
    if (n.fileId) {
        auto it = idRefs_.find(n.fileId);
        if (it != idRefs_.end() && it->second == ref) idRefs_.erase(it);
    }
    if (n.extension) release(n.extension, ref);
    release(ref, ref);
}

StandInFile Drive::FileOf(uint64_t ref, const Node& n) const {
    return StandInFile{ref, n.IsDir(), n.size, n.IsDir() ? 0 : n.extension};
}

uint64_t Drive::SyntheticRef(uint64_t parent, const std::wstring& name) const {
    uint64_t h = 0xCBF29CE484222325ull ^ parent;
    for (wchar_t c : name) {
        h ^= (uint64_t)c;
        h *= 0x100000001B3ull;
    }
    for (int probe = 0; probe < 64; ++probe) {
        uint64_t r = kSyntheticBit | ((h + (uint64_t)probe * 0x9E3779B97F4A7C15ull) & (kSyntheticBit - 1));
        auto it = nodes_.find(r);
        if (it == nodes_.end() || (it->second.parent == parent && it->second.name == name)) return r;
    }
    return kSyntheticBit | (h & (kSyntheticBit - 1));
}

std::wstring Drive::PathOf(uint64_t ref) const {
    std::vector<const std::wstring*> parts;
    uint64_t cur = ref;
    for (int depth = 0; cur != kRootRef && depth < kMaxDepth + 2; ++depth) {
        auto it = nodes_.find(cur);
        if (it == nodes_.end()) break;
        parts.push_back(&it->second.name);
        cur = it->second.parent;
    }
    std::wstring p = RootPath();
    for (size_t i = parts.size(); i-- > 0;) {
        p += *parts[i];
        if (i) p += L'\\';
    }
    return p;
}

// Lists a folder's entries (without "." and "..") into out; buf is the caller's 64 KiB buffer.
bool ListFolderEntries(const std::wstring& path, std::vector<BYTE>& buf, std::vector<Listed>& out) {
    out.clear();
    HANDLE h = CreateFileW(path.c_str(), FILE_LIST_DIRECTORY, 7, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    if (buf.size() != 65536) buf.assign(65536, 0);
    FILE_INFO_BY_HANDLE_CLASS cls = FileIdBothDirectoryRestartInfo;
    bool ok = true;
    while (GetFileInformationByHandleEx(h, cls, buf.data(), (DWORD)buf.size())) {
        cls = FileIdBothDirectoryInfo;
        size_t off = 0;
        for (;;) {
            if (off + sizeof(FILE_ID_BOTH_DIR_INFO) > buf.size()) break;
            auto* e = reinterpret_cast<FILE_ID_BOTH_DIR_INFO*>(buf.data() + off);
            size_t nameBytes = e->FileNameLength;
            size_t nameOff = off + offsetof(FILE_ID_BOTH_DIR_INFO, FileName);
            if (nameOff + nameBytes > buf.size()) break;
            size_t n = nameBytes / 2;
            bool dot = (n == 1 && e->FileName[0] == L'.') || (n == 2 && e->FileName[0] == L'.' && e->FileName[1] == L'.');
            if (!dot && n > 0 && n <= 255) {
                Listed l;
                l.fileId = (uint64_t)e->FileId.QuadPart;
                l.name.assign(e->FileName, n);
                l.attrs = e->FileAttributes;
                l.created = e->CreationTime.QuadPart;
                l.written = e->LastWriteTime.QuadPart;
                l.size = (l.attrs & FILE_ATTRIBUTE_DIRECTORY) ? 0 : e->EndOfFile.QuadPart;
                out.push_back(std::move(l));
            }
            if (!e->NextEntryOffset) break;
            off += e->NextEntryOffset;
        }
    }
    DWORD err = GetLastError();
    if (err != ERROR_NO_MORE_FILES && err != ERROR_FILE_NOT_FOUND) ok = false;
    CloseHandle(h);
    return ok;
}

// Lists the folders a walk will enter next on one helper thread while the walk goes on. Listing
// is nearly all of a walk's time and mostly waits on the file system: two listings at a time
// take little more than one, while more than two contend with each other. The walk announces
// each folder it will enter (Ahead) and takes its listing (List); the helper lists the most
// recently announced folders first (a depth-first walk enters them next). A listing the helper
// has not started is made by the caller itself.
class ReadAheadLister {
public:
    ReadAheadLister() = default;
    ReadAheadLister(const ReadAheadLister&) = delete;
    ReadAheadLister& operator=(const ReadAheadLister&) = delete;
    ~ReadAheadLister() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        cv_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

    void Ahead(const std::wstring& path) {
        if (!started_) {
            started_ = true;
            try {
                thread_ = std::thread([this] { Run(); });
            } catch (...) {
                return;  // no helper: every listing is made by the caller
            }
        }
        if (!thread_.joinable()) return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(path);
        }
        cv_.notify_all();
    }

    bool List(const std::wstring& path, std::vector<BYTE>& buf, std::vector<Listed>& out) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            for (;;) {
                auto it = done_.find(path);
                if (it != done_.end()) {
                    const bool ok = it->second.ok;
                    out = std::move(it->second.entries);
                    done_.erase(it);
                    cv_.notify_all();
                    return ok;
                }
                if (busy_ && current_ == path) {
                    cv_.wait(lock);
                    continue;
                }
                for (size_t i = requests_.size(); i-- > 0;) {
                    if (requests_[i] == path) {
                        requests_.erase(requests_.begin() + static_cast<std::ptrdiff_t>(i));
                        break;
                    }
                }
                break;
            }
        }
        return ListFolderEntries(path, buf, out);
    }

private:
    struct Result {
        bool ok = false;
        std::vector<Listed> entries;
    };
    static constexpr size_t kMaxReady = 512;  // listings made but not yet taken

    void Run() {
        std::vector<BYTE> buf;
        for (;;) {
            std::wstring path;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                cv_.wait(lock, [this] { return stop_ || (!requests_.empty() && done_.size() < kMaxReady); });
                if (stop_) return;
                // The newest folder is the one the walk enters next and most likely lists itself
                // while this one is made: the helper takes the one after it.
                const size_t pick = requests_.size() >= 2 ? requests_.size() - 2 : requests_.size() - 1;
                path = std::move(requests_[pick]);
                requests_.erase(requests_.begin() + static_cast<std::ptrdiff_t>(pick));
                current_ = path;
                busy_ = true;
            }
            Result r;
            bool made = true;
            try {
                r.ok = ListFolderEntries(path, buf, r.entries);
            } catch (...) {
                made = false;  // out of memory: the walk lists this folder itself
            }
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (made) {
                    try {
                        done_.emplace(path, std::move(r));
                    } catch (...) {
                    }
                }
                busy_ = false;
                current_.clear();
            }
            cv_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<std::wstring> requests_;
    std::unordered_map<std::wstring, Result> done_;
    std::wstring current_;
    bool busy_ = false;
    bool stop_ = false;
    bool started_ = false;
    std::thread thread_;
};

bool Drive::ListFolder(const std::wstring& path, std::vector<Listed>& out) {
    ++foldersListed_;
    return ListFolderEntries(path, listBuf_, out);
}

void Drive::Emit(uint64_t ref, uint64_t parent, const std::wstring& name, DWORD reason, DWORD attrs) {
    LogRec r{nextUsn_, ref, parent, reason, attrs, NowFileTime(), name};
    DWORD len = RecordLength(name.size());
    nextUsn_ += len;
    logBytes_ += len;
    auto it = nodes_.find(ref);
    if (it != nodes_.end()) it->second.usn = r.usn;
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

uint64_t Drive::BaselineRef(uint64_t parent, const Listed& e) {
    bool synthetic = (e.attrs & FILE_ATTRIBUTE_REPARSE_POINT) || e.fileId == 0;
    if (!synthetic) {
        uint64_t ref = KnownRef(e.fileId);
        if (ref == 0) return AllocateRef(e.fileId);
        if (ref != kRootRef && !nodes_.count(ref)) return ref;
    }
    return SyntheticRef(parent, e.name);   // a link, or a second name of one file
}

uint64_t Drive::AddNode(uint64_t parent, const Listed& e, uint64_t ref, bool log) {
    Node n;
    n.parent = parent;
    n.name = e.name;
    n.attrs = e.attrs;
    n.created = e.created;
    n.written = e.written;
    n.size = e.size;
    n.dirStamp = e.written;
    n.usn = firstUsn_;
    if (!(ref & kSyntheticBit) && ref != kRootRef) {
        n.fileId = e.fileId;
        // Some files keep their data in an extension record, as files with many attributes do.
        if (!n.IsDir() && (ref & kMask48) % 7 == 3) n.extension = TakeRecord(ref, true);
    }
    nodes_[ref] = std::move(n);
    auto p = nodes_.find(parent);
    if (p != nodes_.end()) p->second.children.push_back(ref);
    if (log) Emit(ref, parent, e.name, kReasonCreate | kReasonClose, e.attrs);
    return ref;
}

void Drive::WalkNew(uint64_t folderRef, const std::wstring& path, int depth, std::unordered_set<uint64_t>* pending) {
    struct Item { uint64_t ref; std::wstring path; int depth; };
    std::vector<Item> stack{{folderRef, path, depth}};
    std::vector<Listed> entries;
    // The first walk of a drive lists ahead; the walks of new folders found by a scan are small.
    std::unique_ptr<ReadAheadLister> ahead;
    if (!pending) ahead = std::make_unique<ReadAheadLister>();
    while (!stack.empty()) {
        Item it = std::move(stack.back());
        stack.pop_back();
        const bool listed = ahead ? (++foldersListed_, ahead->List(it.path, listBuf_, entries)) : ListFolder(it.path, entries);
        if (!listed) continue;
        for (const Listed& e : entries) {
            uint64_t ref;
            bool walk;
            if (pending) {
                ref = Place(it.ref, e, *pending, &walk);
            } else {
                ref = AddNode(it.ref, e, BaselineRef(it.ref, e), false);
                walk = nodes_[ref].Descend();
            }
            if (walk && it.depth < kMaxDepth) {
                stack.push_back({ref, Join(it.path, e.name), it.depth + 1});
                if (ahead) ahead->Ahead(stack.back().path);
            }
        }
    }
}

bool Drive::EnsureTree() {
    if (treeBuilt_) return true;
    std::wstring root = RootPath();
    if (GetFileAttributesW(root.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    nodes_.clear();
    aliases_.clear();
    Node r;
    r.parent = kRootRef;
    r.attrs = FILE_ATTRIBUTE_DIRECTORY;
    WIN32_FILE_ATTRIBUTE_DATA fa{};
    if (GetFileAttributesExW(root.c_str(), GetFileExInfoStandard, &fa))
        r.dirStamp = (int64_t)(((uint64_t)fa.ftLastWriteTime.dwHighDateTime << 32) | fa.ftLastWriteTime.dwLowDateTime);
    nodes_[kRootRef] = std::move(r);
    if (records_.size() < kStandInFirstFileRecord) records_.resize(kStandInFirstFileRecord);
    records_[kRootRef].owner = kRootRef;
    // The notification comes first, so that nothing changed during the walk goes unseen; the
    // walk opens every folder, which also brings it under the notification.
    OpenWatch();
    WalkNew(kRootRef, root, 0, nullptr);
    treeBuilt_ = true;
    enumOrder_.clear();
    sweepList_.clear();
    sweepPos_ = 0;
    return true;
}

void Drive::DetachFromParent(uint64_t ref, uint64_t parent) {
    auto p = nodes_.find(parent);
    if (p == nodes_.end()) return;
    auto& c = p->second.children;
    auto it = std::find(c.begin(), c.end(), ref);
    if (it != c.end()) {
        *it = c.back();
        c.pop_back();
    }
}

void Drive::DeleteSubtree(uint64_t ref) {
    // Deepest entries first, as a file system reports them.
    std::vector<uint64_t> order{ref};
    for (size_t i = 0; i < order.size(); ++i) {
        auto it = nodes_.find(order[i]);
        if (it == nodes_.end()) continue;
        for (uint64_t c : it->second.children) order.push_back(c);
    }
    auto top = nodes_.find(ref);
    if (top != nodes_.end()) DetachFromParent(ref, top->second.parent);
    for (size_t i = order.size(); i-- > 0;) {
        auto it = nodes_.find(order[i]);
        if (it == nodes_.end()) continue;
        Emit(order[i], it->second.parent, it->second.name, kReasonDelete | kReasonClose, it->second.attrs);
        FreeRecords(order[i], it->second);
        nodes_.erase(it);
    }
}

// Brings one entry listed in folder `folderRef` into the model and logs what changed; returns
// its reference and sets *walk for a folder whose contents are new to the model.
uint64_t Drive::Place(uint64_t folderRef, const Listed& e, std::unordered_set<uint64_t>& pending, bool* walk) {
    *walk = false;
    bool synthetic = (e.attrs & FILE_ATTRIBUTE_REPARSE_POINT) || e.fileId == 0;
    uint64_t ref = synthetic ? SyntheticRef(folderRef, e.name) : KnownRef(e.fileId);
    if (ref == 0) ref = AllocateRef(e.fileId);
    auto it = nodes_.find(ref);
    if (it != nodes_.end() && !synthetic && ref != kRootRef && it->second.parent != folderRef &&
        !pending.count(ref)) {
        // Known elsewhere: moved here, or a second name of the same file.
        std::wstring oldPath = PathOf(ref);
        if (GetFileAttributesW(oldPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
            ref = SyntheticRef(folderRef, e.name);
            it = nodes_.find(ref);
        }
    }
    if (ref == kRootRef) {
        ref = SyntheticRef(folderRef, e.name);
        it = nodes_.find(ref);
    }
    if (it == nodes_.end()) {
        uint64_t added = AddNode(folderRef, e, ref, true);
        *walk = nodes_[added].Descend();
        return added;
    }
    Node& n = it->second;
    if (n.parent != folderRef || n.name != e.name) {
        Emit(ref, n.parent, n.name, kReasonOldName, n.attrs);
        if (n.Descend()) {
            if (aliases_.size() >= 10000) aliases_.clear();
            aliases_[{n.parent, n.name}] = ref;
        }
        if (n.parent != folderRef) {
            DetachFromParent(ref, n.parent);
            auto f2 = nodes_.find(folderRef);
            if (f2 != nodes_.end()) f2->second.children.push_back(ref);
        }
        pending.erase(ref);
        Node& m = nodes_[ref];
        m.parent = folderRef;
        m.name = e.name;
        Emit(ref, folderRef, e.name, kReasonNewName | kReasonClose, e.attrs);
    }
    Node& m = nodes_[ref];
    DWORD reason = 0;
    if (!m.IsDir()) {
        if (e.size > m.size) reason |= kReasonDataExtend;
        else if (e.size < m.size) reason |= kReasonDataTruncation;
        else if (e.written != m.written) reason |= kReasonDataOverwrite;
    }
    const DWORD basicMask = ~(DWORD)(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NORMAL);
    // Some file systems derive the creation time from the write time: a creation time that moved
    // with the write time is part of the data change.
    if ((e.attrs & basicMask) != (m.attrs & basicMask) || (e.created != m.created && e.written == m.written))
        reason |= kReasonBasicInfo;
    bool wasDir = m.Descend();
    m.attrs = e.attrs;
    m.created = e.created;
    m.written = e.written;
    m.size = e.size;
    if (reason) Emit(ref, folderRef, e.name, reason | kReasonClose, e.attrs);
    if (!wasDir && m.Descend()) *walk = true;
    return ref;
}

void Drive::RelistFolder(uint64_t folderRef, int64_t stamp, std::unordered_set<uint64_t>& pendingDelete) {
    auto fit = nodes_.find(folderRef);
    if (fit == nodes_.end() || !fit->second.Descend()) return;
    std::wstring path = PathOf(folderRef);
    std::vector<Listed> entries;
    if (!ListFolder(path, entries)) {
        // The folder itself went away or cannot be read: its parent's listing tells.
        if (folderRef != kRootRef && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            uint64_t parent = fit->second.parent;
            if (parent != folderRef) RelistFolder(parent, 0, pendingDelete);
        }
        return;
    }
    fit = nodes_.find(folderRef);
    if (fit == nodes_.end()) return;
    if (stamp) fit->second.dirStamp = stamp;
    std::vector<uint64_t> before = fit->second.children;
    std::unordered_set<uint64_t> present;
    present.reserve(entries.size() * 2 + 1);
    for (const Listed& e : entries) {
        bool walk = false;
        uint64_t ref = Place(folderRef, e, pendingDelete, &walk);
        present.insert(ref);
        if (walk) WalkNew(ref, Join(path, e.name), 1, &pendingDelete);
    }
    for (uint64_t ref : before) {
        if (present.count(ref)) continue;
        auto it = nodes_.find(ref);
        if (it != nodes_.end() && it->second.parent == folderRef) pendingDelete.insert(ref);
    }
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
        auto it = nodes_.find(cur);
        if (it == nodes_.end()) break;
        uint64_t next = 0;
        for (uint64_t c : it->second.children) {
            auto ci = nodes_.find(c);
            if (ci != nodes_.end() && ci->second.Descend() && ci->second.name == part) { next = c; break; }
        }
        if (!next) {
            // Notifications inside a renamed folder may still carry its old path.
            auto a = aliases_.find({cur, part});
            if (a != aliases_.end()) {
                auto ai = nodes_.find(a->second);
                if (ai != nodes_.end() && ai->second.Descend()) next = a->second;
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

void Drive::Scan(bool fullSweep) {
    auto t0 = std::chrono::steady_clock::now();
    ++scans_;
    std::unordered_set<uint64_t> dirty;
    bool overflow = false;
    bool watched = watchDir_ != INVALID_HANDLE_VALUE;
    DrainWatch(dirty, overflow);
    std::unordered_map<uint64_t, int64_t> stamps;
    // Sweep: a slice of the folders per scan (all of them after lost notifications).
    if (sweepList_.empty() || sweepPos_ >= sweepList_.size()) {
        sweepList_.clear();
        for (auto& [ref, n] : nodes_)
            if (n.Descend()) sweepList_.push_back(ref);
        sweepPos_ = 0;
    }
    bool all = fullSweep || overflow;
    if (all) sweepPos_ = 0;
    int budgetUs = watched ? kSweepBudgetWatchedUs : kSweepBudgetUnwatchedUs;
    size_t checked = 0;
    // Calls that come in quick succession (a query, then a read) share one slice.
    const bool sweep = all || t0 - lastSweep_ >= kSweepInterval;
    if (sweep) lastSweep_ = t0;
    while (sweep && sweepPos_ < sweepList_.size()) {
        uint64_t ref = sweepList_[sweepPos_++];
        ++checked;
        auto it = nodes_.find(ref);
        if (it != nodes_.end() && it->second.Descend()) {
            std::wstring p = PathOf(ref);
            WIN32_FILE_ATTRIBUTE_DATA fa{};
            ++foldersChecked_;
            if (!GetFileAttributesExW(p.c_str(), GetFileExInfoStandard, &fa)) {
                if (ref != kRootRef) dirty.insert(it->second.parent);
            } else {
                int64_t w = (int64_t)(((uint64_t)fa.ftLastWriteTime.dwHighDateTime << 32) | fa.ftLastWriteTime.dwLowDateTime);
                if (w != it->second.dirStamp) {
                    dirty.insert(ref);
                    stamps[ref] = w;
                }
            }
        }
        if (!all && (checked & 15) == 0 &&
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0).count() > budgetUs)
            break;
    }
    if (!dirty.empty()) {
        std::unordered_set<uint64_t> pendingDelete;
        // Upper folders first, so that a folder moved between two listed folders is seen as moved.
        std::vector<std::pair<size_t, uint64_t>> order;
        for (uint64_t ref : dirty) {
            size_t depth = 0;
            uint64_t cur = ref;
            while (cur != kRootRef && depth < (size_t)kMaxDepth + 2) {
                auto it = nodes_.find(cur);
                if (it == nodes_.end()) break;
                cur = it->second.parent;
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
        for (uint64_t ref : pendingDelete) {
            auto it = nodes_.find(ref);
            if (it != nodes_.end()) DeleteSubtree(ref);
        }
        enumOrder_.clear();
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

BOOL Drive::Enumerate(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
    if (!in || inSize < sizeof(VolumeIoMftEnumDataV0)) return Fail(ERROR_INVALID_PARAMETER);
    VolumeIoMftEnumDataV1 q{};
    memcpy(&q, in, std::min<size_t>(inSize, sizeof q));
    if (inSize >= sizeof(VolumeIoMftEnumDataV1) && (q.MaxMajorVersion < 2 || q.MinMajorVersion > 2))
        return Fail(ERROR_INVALID_PARAMETER);
    if (!out || outSize < 8) return Fail(ERROR_INSUFFICIENT_BUFFER);
    if (!EnsureTree()) return Fail(ERROR_DEVICE_NOT_CONNECTED);
    if (enumOrder_.empty() || q.StartFileReferenceNumber == 0) {
        enumOrder_.clear();
        enumOrder_.reserve(nodes_.size());
        for (auto& [ref, n] : nodes_)
            if (ref != kRootRef) enumOrder_.push_back(ref);
        std::sort(enumOrder_.begin(), enumOrder_.end());
    }
    BYTE* o = static_cast<BYTE*>(out);
    DWORD used = 8;
    auto pos = std::lower_bound(enumOrder_.begin(), enumOrder_.end(), q.StartFileReferenceNumber);
    uint64_t next = q.StartFileReferenceNumber;
    bool any = false;
    for (; pos != enumOrder_.end(); ++pos) {
        auto it = nodes_.find(*pos);
        if (it == nodes_.end()) { next = *pos + 1; continue; }
        const Node& n = it->second;
        if (n.usn < q.LowUsn || n.usn > q.HighUsn) { next = *pos + 1; continue; }
        DWORD len = RecordLength(n.name.size());
        if (used + len > outSize) break;
        WriteRecord(o + used, LogRec{n.usn, *pos, n.parent, 0, n.attrs, n.written, n.name});
        used += len;
        next = *pos + 1;
        any = true;
    }
    if (!any) {
        if (pos == enumOrder_.end()) {
            *returned = 0;
            return Fail(ERROR_HANDLE_EOF);
        }
        if (next == q.StartFileReferenceNumber) {   // the first entry does not fit the buffer
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
    out.reserve(nodes_.size());
    for (auto& [ref, n] : nodes_) out.push_back(FileOf(ref, n));
    return true;
}

bool Drive::FindRecord(uint64_t record, StandInRecord* out) {
    std::lock_guard<std::mutex> lock(mutex);
    LoadJournal();
    if (!EnsureTree()) return false;
    // As the file system does: the record asked for when in use, else the nearest one below.
    uint64_t number = std::min<uint64_t>(record & kMask48, records_.empty() ? 0 : records_.size() - 1);
    for (; number < records_.size(); --number) {
        const RecordSlot& slot = records_[number];
        auto it = slot.owner ? nodes_.find(slot.owner) : nodes_.end();
        if (it != nodes_.end()) {
            const StandInFile f = FileOf(it->first, it->second);
            const uint64_t ref = number | (static_cast<uint64_t>(slot.sequence) << 48);
            if (!slot.extension || f.extension == ref) {
                out->file = f;
                out->extension = slot.extension;
                out->reference = slot.extension ? ref : it->first;
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
    s.entries = nodes_.empty() ? 0 : nodes_.size() - 1;
    for (auto& [ref, n] : nodes_)
        if (ref != kRootRef && n.IsDir()) ++s.folders;
    s.scans = scans_;
    s.foldersChecked = foldersChecked_;
    s.foldersListed = foldersListed_;
    s.notifications = notifications_;
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
