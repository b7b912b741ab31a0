// The attribute cache of each volume and its file attrcache.v1.bin.
#include "index/AttrCache.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <chrono>
#include <mutex>
#include <io.h>
#include <unordered_set>
#include <winioctl.h>

#include "core/Core.h"
#include "index/UsnRecords.h"
#include "platform/VolumeIo.h"

std::atomic<uint64_t> g_attrCacheHits{0};
std::atomic<bool> g_attrPrewarmActive{false};
std::atomic<bool> g_attrCacheSaveBusy{false};
std::atomic<uint64_t> g_attrCacheMisses{0};
std::atomic<uint64_t> g_attrCacheLockWaitUs{0};
std::atomic<uint64_t> g_attrCacheChangeCount{0};
std::atomic<uint64_t> g_attrCacheSavedCount{0};
std::atomic<uint64_t> g_attrCacheLoadMs{0};
std::atomic<uint64_t> g_attrCacheLoadEntries{0};
std::atomic<uint64_t> g_attrCacheLoadBytes{0};
std::atomic<uint64_t> g_attrCacheSaveMs{0};
std::atomic<uint64_t> g_attrCacheSaveEntries{0};
std::atomic<uint64_t> g_attrCacheSaveBytes{0};

namespace {
// A failed autosave was logged; cleared by the next save that succeeds.
std::atomic<bool> g_autosaveFailureLogged{false};
}  // namespace

namespace {

constexpr uint32_t kMagic = 0x56534348;  // "HCSV" in file order
// Version 2 keeps with each section the journal position its entries are current to (section
// header: letter u16, journal id u64, position i64, count u32). Version 1 had no position: its
// sections are read past, never trusted.
constexpr uint32_t kVersion = 2;
constexpr uint32_t kVersionWithoutPosition = 1;
constexpr uint32_t kMaxSections = 64;
constexpr uint64_t kMaxSectionRecords = 2000000;   // more makes the file corrupt
constexpr uint64_t kMaxLoadedRecords = 1000000;    // more: the section is skipped
constexpr size_t kHeaderBytes = 12;
constexpr size_t kSectionHeaderBytes = 22;
constexpr size_t kSectionHeaderBytesV1 = 14;
constexpr size_t kRecordBytes = 33;
// A section is dropped rather than filtered when more files than this changed since it was saved.
constexpr size_t kMaxChangedFiles = 4000000;
// Position written for a volume whose position could not be read: the next load drops it.
constexpr int64_t kUnknownPosition = -1;

using Clock = std::chrono::steady_clock;

uint64_t MicrosSince(Clock::time_point t0) {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - t0).count());
}
uint64_t MillisSince(Clock::time_point t0) {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count());
}

uint64_t FileTimeValue(const FILETIME& ft) {
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}
FILETIME MakeFileTime(uint64_t v) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(v & 0xFFFFFFFFu);
    ft.dwHighDateTime = static_cast<DWORD>(v >> 32);
    return ft;
}

uint16_t ReadU16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
uint32_t ReadU32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
uint64_t ReadU64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}
void PutU16(std::vector<uint8_t>& b, uint16_t v) { b.insert(b.end(), reinterpret_cast<uint8_t*>(&v), reinterpret_cast<uint8_t*>(&v) + 2); }
void PutU32(std::vector<uint8_t>& b, uint32_t v) { b.insert(b.end(), reinterpret_cast<uint8_t*>(&v), reinterpret_cast<uint8_t*>(&v) + 4); }
void PutU64(std::vector<uint8_t>& b, uint64_t v) { b.insert(b.end(), reinterpret_cast<uint8_t*>(&v), reinterpret_cast<uint8_t*>(&v) + 8); }

// Whole saves run one at a time: the exit save and a running autosave must never write the
// same temporary file at once. Never destroyed, so a save still running at exit is safe.
std::mutex& SaveMutex() {
    static std::mutex* m = new std::mutex();
    return *m;
}

void RaiseSavedMark(uint64_t value) {
    uint64_t cur = g_attrCacheSavedCount.load();
    while (cur < value && !g_attrCacheSavedCount.compare_exchange_weak(cur, value)) {
    }
}

struct SavedEntry {
    uint64_t frn;
    FileAttrInfo info;
};
struct SavedSection {
    wchar_t letter;
    uint64_t journalId;
    int64_t position;
    std::vector<SavedEntry> entries;
};

// The journal position up to which the monitor has applied the volume's changes (and dropped
// the cached entries of changed files). Read under indexLock; a writer that holds the lock long
// (a build, whose caches start empty anyway) makes the position unknown rather than block the
// caller, who holds the engine mutex.
int64_t AppliedJournalPosition(VolumeIndex* v) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (TryAcquireSRWLockShared(&v->indexLock)) {
            const int64_t position = v->nextUsn;
            ReleaseSRWLockShared(&v->indexLock);
            return position >= 0 ? position : kUnknownPosition;
        }
        Sleep(1);
    }
    return kUnknownPosition;
}

// Reads the volume's own journal from `from` to its end, collecting the reference of every file
// any entry names. False when the journal cannot say (deleted, recreated, wrapped past `from`,
// unreadable, or too many changes).
bool ReadVolumeJournalChanges(VolumeIndex& volume, uint64_t journalId, int64_t from,
                              std::unordered_set<uint64_t>& changed, int64_t* reached) {
    if (from < 0) return false;
    std::vector<uint8_t> buffer(0x10000);
    if (from == 0) {
        // A read from 0 starts at the journal's first entry, wherever that now is: it tells
        // everything only while the journal still begins at 0.
        VolumeIoUsnJournalDataV0 journal{};
        DWORD bytes = 0;
        std::lock_guard<std::mutex> handleGuard(volume.handleMutex);
        if (volume.volumeHandle == INVALID_HANDLE_VALUE ||
            !VolumeIoDeviceIoControl(volume.volumeHandle, FSCTL_QUERY_USN_JOURNAL, nullptr, 0, &journal,
                                     sizeof journal, &bytes, nullptr) ||
            bytes < sizeof journal || journal.UsnJournalID != journalId || journal.FirstUsn > 0)
            return false;
    }
    int64_t start = from;
    for (;;) {
        if (g_shuttingDown.load()) return false;
        VolumeIoReadUsnJournalDataV0 input{};
        input.StartUsn = start;
        input.ReasonMask = 0xFFFFFFFF;
        input.UsnJournalID = journalId;
        DWORD bytes = 0;
        BOOL ok = FALSE;
        {
            std::lock_guard<std::mutex> handleGuard(volume.handleMutex);
            if (volume.volumeHandle == INVALID_HANDLE_VALUE) return false;
            ok = VolumeIoDeviceIoControl(volume.volumeHandle, FSCTL_READ_USN_JOURNAL, &input, sizeof input,
                                         buffer.data(), static_cast<DWORD>(buffer.size()), &bytes, nullptr);
        }
        if (!ok || bytes < 8) return false;
        if (bytes > buffer.size()) bytes = static_cast<DWORD>(buffer.size());
        int64_t next;
        std::memcpy(&next, buffer.data(), 8);
        const uint64_t entries = ForEachUsnEntry(
            buffer.data(), bytes, [&](const UsnEntry& e) { changed.insert(e.frn); }, [] { return true; });
        if (changed.size() > kMaxChangedFiles) return false;
        if (entries == 0 || next <= start) {
            if (next > start) start = next;
            break;  // the end of the journal
        }
        start = next;
    }
    *reached = start;
    return true;
}

std::atomic<AttrCacheJournalReader> g_journalReader{nullptr};

// What changed on the volume since `from`, covering at least every change the monitor has
// applied when the caller takes indexLock: false when that cannot be known.
bool ChangedSince(VolumeIndex& volume, uint64_t journalId, int64_t from, std::unordered_set<uint64_t>& changed) {
    if (from < 0 || volume.usnJournalId != journalId) return false;
    AttrCacheJournalReader reader = g_journalReader.load();
    int64_t position = from;
    // The monitor may apply more changes while the journal is read: read on until the reading
    // has passed what the monitor has applied.
    for (int round = 0; round < 8; ++round) {
        int64_t reached = position;
        const bool ok = reader ? reader(volume, journalId, position, changed, &reached)
                               : ReadVolumeJournalChanges(volume, journalId, position, changed, &reached);
        if (!ok) return false;
        AcquireSRWLockShared(&volume.indexLock);
        const int64_t applied = volume.nextUsn;
        ReleaseSRWLockShared(&volume.indexLock);
        if (applied <= reached) return true;
        position = reached;
    }
    return false;
}

bool IsNtfsVolumeForCache(const VolumeIndex* v) {
    return v && v->available.load() && v->fileSystem == L"NTFS";
}

}  // namespace

// ---- per-volume cache operations -------------------------------------------------------------

bool VolumeIndex::LookupAttr(uint64_t frn, FileAttrInfo* out) {
    const auto t0 = Clock::now();
    AcquireSRWLockShared(&attrCacheLock);
    g_attrCacheLockWaitUs.fetch_add(MicrosSince(t0), std::memory_order_relaxed);
    bool valid = false;
    auto it = attrCache.find(frn);
    if (it == attrCache.end()) {
        g_attrCacheMisses.fetch_add(1, std::memory_order_relaxed);
    } else {
        if (out) *out = it->second;
        valid = it->second.valid;
        (valid ? g_attrCacheHits : g_attrCacheMisses).fetch_add(1, std::memory_order_relaxed);
    }
    ReleaseSRWLockShared(&attrCacheLock);
    return valid;
}

void VolumeIndex::StoreAttr(uint64_t frn, const FileAttrInfo& info) {
    const auto t0 = Clock::now();
    AcquireSRWLockExclusive(&attrCacheLock);
    g_attrCacheLockWaitUs.fetch_add(MicrosSince(t0), std::memory_order_relaxed);
    auto it = attrCache.find(frn);
    if (it != attrCache.end()) {
        const uint64_t oldSize = it->second.size;
        it->second = info;
        g_attrCacheChangeCount.fetch_add(1, std::memory_order_relaxed);
        if (oldSize != info.size) folderSizesDirty = true;
    } else if (attrCache.size() < kAttrCacheMaxEntries) {
        attrCache.emplace(frn, info);
        g_attrCacheChangeCount.fetch_add(1, std::memory_order_relaxed);
        if (static_cast<int64_t>(info.size) > 0) folderSizesDirty = true;
    }
    ReleaseSRWLockExclusive(&attrCacheLock);
}

// Called by the journal monitor for a file that was created, deleted, renamed, written or whose
// basic information changed, with indexLock held exclusively: what the caches knew of it is no
// longer true.
void VolumeIndex::DropCachedFileInfo(uint64_t frn) {
    AcquireSRWLockExclusive(&attrCacheLock);
    const size_t erased = attrCache.erase(frn);
    ReleaseSRWLockExclusive(&attrCacheLock);
    if (erased) {
        g_attrCacheChangeCount.fetch_add(1, std::memory_order_relaxed);
        folderSizesDirty = true;  // totals taken from the attribute cache change too
    }
    AcquireSRWLockExclusive(&fileSizesLock);
    if (!fileSizes.empty()) {
        fileSizes.erase(frn);
        fileSizes.erase(frn & kFrnRecordMask);
        folderSizesDirty = true;
    }
    ReleaseSRWLockExclusive(&fileSizesLock);
}

// ---- the cache file --------------------------------------------------------------------------

void SetAttrCacheJournalReader(AttrCacheJournalReader reader) { g_journalReader.store(reader); }

std::vector<std::wstring> GetAttrCachePath() { return {GetConfigDir() + L"\\attrcache.v1.bin"}; }

void DeleteCorruptAttrCache(FILE** file, const std::wstring& path) {
    if (file && *file) {
        fclose(*file);
        *file = nullptr;
    }
    if (path.empty()) return;
    DeleteFileW(path.c_str());
    AppendPerfMetric(L"cache_load corrupt_deleted path=" + path);
}

void LoadAttrCache(SearchEngine& engine) {
    const auto t0 = Clock::now();
    FILE* f = nullptr;
    std::wstring path;
    for (const std::wstring& candidate : GetAttrCachePath()) {
        f = _wfopen(candidate.c_str(), L"rb");
        if (f) {
            path = candidate;
            break;
        }
    }
    if (!f) return;

    uint8_t header[kHeaderBytes];
    if (fread(header, 1, kHeaderBytes, f) != kHeaderBytes || ReadU32(header) != kMagic ||
        (ReadU32(header + 4) != kVersion && ReadU32(header + 4) != kVersionWithoutPosition) ||
        ReadU32(header + 8) > kMaxSections) {
        DeleteCorruptAttrCache(&f, path);
        return;
    }
    const bool withPosition = ReadU32(header + 4) == kVersion;
    const size_t sectionHeaderBytes = withPosition ? kSectionHeaderBytes : kSectionHeaderBytesV1;
    const uint32_t sections = ReadU32(header + 8);
    int64_t fileSize = 0;
    if (_fseeki64(f, 0, SEEK_END) == 0) fileSize = _ftelli64(f);
    if (_fseeki64(f, kHeaderBytes, SEEK_SET) != 0 || fileSize < static_cast<int64_t>(kHeaderBytes)) {
        DeleteCorruptAttrCache(&f, path);
        return;
    }

    std::vector<VolumeIndex*> volumes;
    {
        std::lock_guard<std::mutex> lock(engine.mutex);
        for (auto& v : engine.volumes) {
            if (IsNtfsVolumeForCache(v.get())) volumes.push_back(v.get());
        }
    }

    uint64_t consumed = kHeaderBytes;
    uint64_t loaded = 0;
    std::vector<uint8_t> chunk;
    for (uint32_t s = 0; s < sections; ++s) {
        uint8_t sh[kSectionHeaderBytes];
        if (fread(sh, 1, sectionHeaderBytes, f) != sectionHeaderBytes) {
            DeleteCorruptAttrCache(&f, path);
            return;
        }
        consumed += sectionHeaderBytes;
        const wchar_t letter = static_cast<wchar_t>(ReadU16(sh));
        const uint64_t journalId = ReadU64(sh + 2);
        const int64_t position = withPosition ? static_cast<int64_t>(ReadU64(sh + 10)) : kUnknownPosition;
        const uint64_t n = ReadU32(sh + (withPosition ? 18 : 10));
        if (n > kMaxSectionRecords || consumed + kRecordBytes * n > static_cast<uint64_t>(fileSize)) {
            DeleteCorruptAttrCache(&f, path);
            return;
        }
        // Only the volume whose journal wrote the section can say what changed since: a section
        // of a recreated journal, or one whose journal has lost the position, is dropped whole.
        VolumeIndex* target = nullptr;
        for (VolumeIndex* v : volumes) {
            if (!v->root.empty() && v->root[0] == letter && v->usnJournalId == journalId) {
                target = v;
                break;
            }
        }
        std::unordered_set<uint64_t> changed;
        if (target && n > 0 && n <= kMaxLoadedRecords && !ChangedSince(*target, journalId, position, changed)) {
            target = nullptr;
        }
        if (!target || n > kMaxLoadedRecords) {
            if (_fseeki64(f, static_cast<int64_t>(kRecordBytes * n), SEEK_CUR) != 0) {
                DeleteCorruptAttrCache(&f, path);
                return;
            }
            consumed += kRecordBytes * n;
            continue;
        }

        bool shortRead = false;
        AcquireSRWLockShared(&target->indexLock);
        AcquireSRWLockExclusive(&target->attrCacheLock);
        target->attrCache.clear();
        target->attrCache.reserve(static_cast<size_t>(n));
        // Records are read in blocks: the bounds above guarantee they are inside the file.
        const uint64_t blockRecords = 4096;
        for (uint64_t done = 0; done < n && !shortRead;) {
            const uint64_t count = std::min<uint64_t>(blockRecords, n - done);
            chunk.resize(static_cast<size_t>(count * kRecordBytes));
            const size_t got = fread(chunk.data(), 1, chunk.size(), f);
            const uint64_t whole = got / kRecordBytes;
            for (uint64_t i = 0; i < whole; ++i) {
                const uint8_t* r = chunk.data() + i * kRecordBytes;
                const uint64_t frn = ReadU64(r);
                consumed += kRecordBytes;
                if (!target->frnToRecord.contains(frn) || changed.count(frn)) continue;
                FileAttrInfo info;
                info.size = ReadU64(r + 8);
                info.lastWrite = MakeFileTime(ReadU64(r + 16));
                info.creation = MakeFileTime(ReadU64(r + 24));
                info.valid = r[32] != 0;
                target->attrCache[frn] = info;
                ++loaded;
            }
            if (got != chunk.size()) shortRead = true;
            done += count;
        }
        ReleaseSRWLockExclusive(&target->attrCacheLock);
        ReleaseSRWLockShared(&target->indexLock);
        if (shortRead) {
            DeleteCorruptAttrCache(&f, path);
            return;
        }
    }
    fclose(f);

    const uint64_t ms = MillisSince(t0);
    g_attrCacheLoadMs.fetch_add(ms, std::memory_order_relaxed);
    g_attrCacheLoadEntries.fetch_add(loaded, std::memory_order_relaxed);
    g_attrCacheLoadBytes.fetch_add(consumed, std::memory_order_relaxed);
    const uint64_t count = g_attrCacheChangeCount.fetch_add(1) + 1;
    g_attrCacheSavedCount.store(count);
    AppendPerfMetric(L"cache_load ms=" + std::to_wstring(ms) + L" path=" + path + L" entries=" +
                     std::to_wstring(loaded) + L" bytes=" + std::to_wstring(consumed));
}

bool SaveAttrCache(SearchEngine& engine) {
    if (g_crashInProgress.load()) return false;
    std::lock_guard<std::mutex> saveGuard(SaveMutex());
    if (g_crashInProgress.load()) return false;
    const auto t0 = Clock::now();
    std::vector<std::wstring> candidates = GetAttrCachePath();
    if (candidates.empty() || candidates[0].empty()) return false;
    const std::wstring path = candidates[0];
    const std::wstring tmp = path + L".tmp";

    // The changes this save can contain: those counted before the entries are collected.
    const uint64_t changeMark = g_attrCacheChangeCount.load();
    std::vector<SavedSection> sections;
    {
        std::lock_guard<std::mutex> lock(engine.mutex);
        for (auto& vp : engine.volumes) {
            VolumeIndex* v = vp.get();
            if (!IsNtfsVolumeForCache(v) || v->root.empty()) continue;
            SavedSection sec{v->root[0], v->usnJournalId, AppliedJournalPosition(v), {}};
            AcquireSRWLockShared(&v->attrCacheLock);
            sec.entries.reserve(v->attrCache.size());
            for (const auto& [frn, info] : v->attrCache) {
                if (info.valid && (FileTimeValue(info.lastWrite) != 0 || FileTimeValue(info.creation) != 0)) {
                    sec.entries.push_back({frn, info});
                }
            }
            ReleaseSRWLockShared(&v->attrCacheLock);
            sections.push_back(std::move(sec));
        }
    }

    FILE* f = _wfopen(tmp.c_str(), L"wb");
    if (!f) return false;
    bool ok = true;
    uint64_t bytes = 0;
    uint64_t entries = 0;
    std::vector<uint8_t> buf;
    buf.reserve(1 << 20);
    auto flushBuf = [&]() {
        if (ok && !buf.empty() && fwrite(buf.data(), 1, buf.size(), f) != buf.size()) ok = false;
        buf.clear();
    };
    PutU32(buf, kMagic);
    PutU32(buf, kVersion);
    PutU32(buf, static_cast<uint32_t>(sections.size()));
    bytes += kHeaderBytes;
    for (const SavedSection& sec : sections) {
        PutU16(buf, static_cast<uint16_t>(sec.letter));
        PutU64(buf, sec.journalId);
        PutU64(buf, static_cast<uint64_t>(sec.position));
        PutU32(buf, static_cast<uint32_t>(sec.entries.size()));
        bytes += kSectionHeaderBytes;
        for (const SavedEntry& e : sec.entries) {
            PutU64(buf, e.frn);
            PutU64(buf, e.info.size);
            PutU64(buf, FileTimeValue(e.info.lastWrite));
            PutU64(buf, FileTimeValue(e.info.creation));
            buf.push_back(1);
            bytes += kRecordBytes;
            ++entries;
            if (buf.size() >= (1u << 20)) flushBuf();
        }
    }
    flushBuf();
    // The data reach the disk before the file replaces the old one.
    if (ok) ok = fflush(f) == 0 && _commit(_fileno(f)) == 0;
    fclose(f);
    if (!ok) {
        DeleteFileW(tmp.c_str());
        return false;
    }
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (!MoveFileExW(tmp.c_str(), path.c_str(), flags)) {
        DeleteFileW(path.c_str());
        if (!MoveFileExW(tmp.c_str(), path.c_str(), flags)) {
            DeleteFileW(tmp.c_str());
            return false;
        }
    }
    const uint64_t ms = MillisSince(t0);
    g_attrCacheSaveMs.fetch_add(ms, std::memory_order_relaxed);
    g_attrCacheSaveEntries.fetch_add(entries, std::memory_order_relaxed);
    g_attrCacheSaveBytes.fetch_add(bytes, std::memory_order_relaxed);
    RaiseSavedMark(changeMark);
    AppendPerfMetric(L"cache_save ms=" + std::to_wstring(ms) + L" path=" + path + L" entries=" +
                     std::to_wstring(entries) + L" bytes=" + std::to_wstring(bytes));
    return true;
}

bool AutosaveAttrCache(SearchEngine& engine) {
    const uint64_t captured = g_attrCacheChangeCount.load();
    if (SaveAttrCache(engine)) {
        g_autosaveFailureLogged.store(false);
        return true;
    }
    if (g_crashInProgress.load()) return false;
    RaiseSavedMark(captured);
    if (!g_autosaveFailureLogged.exchange(true)) {
        const std::vector<std::wstring> candidates = GetAttrCachePath();
        AppendPerfMetric(L"cache_save failed path=" + (candidates.empty() ? std::wstring() : candidates[0]));
    }
    return false;
}
