// The size map of one NTFS drive: the cached map brought up to date from the change journal, or
// a full scan of $MFT.
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "core/Logs.h"
#include "index/MftScan.h"
#include "platform/VolumeIo.h"

namespace {

constexpr DWORD kReadMask = 0x80378377;
constexpr DWORD kChangeMask = 0x80278177;
constexpr DWORD kReasonDelete = 0x200;
constexpr DWORD kJournalBufferBytes = 65536;
constexpr uint64_t kMinChangeLimit = 50000;

std::wstring Format(const wchar_t* fmt, DWORD value) {
    wchar_t text[128];
    _snwprintf(text, 127, fmt, static_cast<unsigned long>(value));
    text[127] = 0;
    return text;
}

bool QueryJournal(HANDLE volume, VolumeIoUsnJournalDataV0& data) {
    DWORD got = 0;
    data = VolumeIoUsnJournalDataV0{};
    return VolumeIoDeviceIoControl(volume, FSCTL_QUERY_USN_JOURNAL, nullptr, 0, &data, sizeof data, &got, nullptr) != 0;
}

bool QueryOrCreateJournal(HANDLE volume, VolumeIoUsnJournalDataV0& data) {
    if (QueryJournal(volume, data)) return true;
    VolumeIoCreateUsnJournalData create{0x20000000, 0x800000};
    DWORD got = 0;
    VolumeIoDeviceIoControl(volume, FSCTL_CREATE_USN_JOURNAL, &create, sizeof create, nullptr, 0, &got, nullptr);
    return QueryJournal(volume, data);
}

uint16_t U16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

// The FILE record of one reference: false when the call fails, the record is unusable, or the
// call answered with another (lower) record, which means the asked one is no longer in use
// (*gone is then set).
bool ReadRecordOf(HANDLE volume, uint64_t reference, uint32_t recordSize, std::vector<uint8_t>& record, bool* gone) {
    *gone = false;
    LARGE_INTEGER in;
    in.QuadPart = static_cast<LONGLONG>(reference & kMftRecordMask);
    std::vector<uint8_t> buf(recordSize + 76, 0);
    DWORD got = 0;
    if (!VolumeIoDeviceIoControl(volume, FSCTL_GET_NTFS_FILE_RECORD, &in, sizeof in, buf.data(),
                                 static_cast<DWORD>(buf.size()), &got, nullptr))
        return false;
    if (got < 54) return false;
    uint64_t answered;
    std::memcpy(&answered, buf.data(), 8);
    if ((answered & kMftRecordMask) != (reference & kMftRecordMask)) {
        *gone = true;
        return false;
    }
    if (got < 12 + recordSize || std::memcmp(buf.data() + 12, "FILE", 4) != 0) return false;
    record.assign(buf.begin() + 12, buf.begin() + 12 + recordSize);
    return true;
}

enum class CatchUp { Done, FallBack };

struct CatchUpContext {
    HANDLE volume;
    wchar_t letter;
    uint32_t serial;
    uint32_t recordSize;
    const std::wstring& cachePath;
    const SizeScanProgress& progress;
    const SizeScanCancel& cancel;
    MftSizeMapStats& stats;
};

// Re-reads one changed file's FILE record and updates its entry.
void ApplyChange(const CatchUpContext& c, uint64_t reference, MftSizeMap& out) {
    if (c.recordSize < 512 || c.recordSize > 65536) return;
    std::vector<uint8_t> record;
    bool gone = false;
    ++c.stats.recordsReread;
    if (!ReadRecordOf(c.volume, reference, c.recordSize, record, &gone)) {
        if (gone) {
            out.erase(reference);
            out.erase(reference & kMftRecordMask);
        }
        return;
    }
    if (!ApplyUpdateSequenceFixups(record.data(), c.recordSize)) return;
    FileRecordFacts f = InspectFileRecord(record.data(), c.recordSize);
    const uint64_t key = (reference & kMftRecordMask) | (static_cast<uint64_t>(U16(record.data() + 16)) << 48);
    bool wanted = f.valid && !f.extension;
    if (wanted && !f.directory && !f.hasData) {
        // The data lives in an extension record named by the attribute list.
        std::vector<uint64_t> extensions;
        bool found = false;
        if (f.hasAttributeList && ListDataExtensionRecords(record.data(), c.recordSize, reference, extensions)) {
            for (uint64_t ext : extensions) {
                std::vector<uint8_t> extRecord;
                bool extGone = false;
                ++c.stats.recordsReread;
                if (!ReadRecordOf(c.volume, ext, c.recordSize, extRecord, &extGone)) continue;
                FileRecordFacts e = InspectFileRecord(extRecord.data(), c.recordSize);
                if (e.valid && e.extension && e.hasData &&
                    (e.baseReference & kMftRecordMask) == (reference & kMftRecordMask)) {
                    f.size = e.size;
                    f.allocated = e.allocated;
                    found = true;
                    break;
                }
            }
            if (!found) return;   // keep what the map knew
        }
    }
    out.erase(reference);
    if (key != reference) out.erase(key);
    if (wanted && (f.size > 0 || f.allocated > 0)) out[key] = SizePair{f.size, f.allocated};
}

CatchUp RunCatchUp(const CatchUpContext& c, MftSizeMap& out) {
    MftSizeCacheHeader header;
    if (!LoadMftSizeCache(c.cachePath, c.serial, out, header)) return CatchUp::FallBack;
    if (header.bytesPerFileRecord != 0 && header.bytesPerFileRecord != c.recordSize) return CatchUp::FallBack;
    if (header.usnJournalId == 0) return CatchUp::FallBack;
    VolumeIoUsnJournalDataV0 first{};
    if (!QueryJournal(c.volume, first)) return CatchUp::FallBack;
    if (first.UsnJournalID != header.usnJournalId || first.FirstUsn > header.usn) return CatchUp::FallBack;
    if (first.NextUsn <= header.usn) {
        if (c.progress) c.progress(1, 1);
        c.stats.fromCache = true;
        c.stats.journalId = header.usnJournalId;
        c.stats.journalUsn = header.usn;
        // The file already holds this map under this header: it is written again only to fill
        // in a record size an older file left at 0.
        if (header.bytesPerFileRecord != c.recordSize &&
            !SaveMftSizeCache(c.cachePath, {c.serial, header.usnJournalId, header.usn, c.recordSize}, out))
            LogFailure(L"size cache save", GetLastError());
        return CatchUp::Done;
    }
    VolumeIoUsnJournalDataV0 second{};
    if (!QueryJournal(c.volume, second) || second.UsnJournalID != header.usnJournalId || header.usn < second.FirstUsn)
        return CatchUp::FallBack;
    int64_t end = second.NextUsn;
    int64_t start = header.usn;
    // More changes than this and a full scan is cheaper; the set never grows past it.
    const uint64_t limit = std::max<uint64_t>(kMinChangeLimit, out.size() / 5 + 1);
    std::unordered_map<uint64_t, bool> changes;
    changes.reserve(4096);
    std::vector<uint8_t> buf(kJournalBufferBytes);
    for (;;) {
        if (c.cancel && c.cancel()) return CatchUp::FallBack;
        VolumeIoReadUsnJournalDataV0 read{start, kReadMask, 0, 0, 0, header.usnJournalId};
        DWORD got = 0;
        if (!VolumeIoDeviceIoControl(c.volume, FSCTL_READ_USN_JOURNAL, &read, sizeof read, buf.data(),
                                     kJournalBufferBytes, &got, nullptr))
            return CatchUp::FallBack;   // the journal is gone or unreadable: the map cannot be trusted
        if (got < 8) break;
        int64_t next;
        std::memcpy(&next, buf.data(), 8);
        if (got < 72) {
            start = next;
            break;
        }
        size_t taken = 0;
        for (DWORD off = 8; off + 64 <= got;) {
            VolumeIoUsnRecordV2 r;
            std::memcpy(&r, buf.data() + off, 60);
            if (r.RecordLength < 64 || r.RecordLength > got - off) break;
            ++taken;
            if (r.Reason & kReasonDelete) {
                changes[r.FileReferenceNumber] = true;
            } else if (r.Reason & kChangeMask) {
                changes.emplace(r.FileReferenceNumber, false);
            }
            off += r.RecordLength;
        }
        if (changes.size() > limit) return CatchUp::FallBack;
        if (taken == 0 || next <= start) break;   // nothing usable: no progress is possible
        start = next;
        if (next >= end) break;
        if ((changes.size() % 16384) == 0) {
            VolumeIoUsnJournalDataV0 again{};
            if (QueryJournal(c.volume, again)) {
                if (again.UsnJournalID != header.usnJournalId) return CatchUp::FallBack;
                end = again.NextUsn;
            }
        }
    }
    // The map is current up to where reading stopped, not up to a later query's end.
    const int64_t newUsn = start;
    c.stats.journalChanges = changes.size();
    const uint64_t total = std::max<uint64_t>(changes.size(), 1);
    uint64_t applied = 0;
    for (const auto& [reference, deleted] : changes) {
        if (c.cancel && c.cancel()) return CatchUp::FallBack;
        if (deleted) {
            out.erase(reference);
            out.erase(reference & kMftRecordMask);
        } else {
            ApplyChange(c, reference, out);
        }
        ++applied;
        if (c.progress && (applied % 64) == 0) c.progress(applied, total);
    }
    if (c.progress) c.progress(total, total);
    c.stats.fromCache = true;
    c.stats.journalId = first.UsnJournalID;
    c.stats.journalUsn = newUsn;
    if (!SaveMftSizeCache(c.cachePath, {c.serial, first.UsnJournalID, newUsn, c.recordSize}, out)) LogFailure(L"size cache save", GetLastError());
    return CatchUp::Done;
}

// The upper-case form of a drive letter; 0 for anything else.
wchar_t DriveLetter(wchar_t letter) {
    if (letter >= L'a' && letter <= L'z') letter = static_cast<wchar_t>(letter - 32);
    return letter >= L'A' && letter <= L'Z' ? letter : 0;
}

// The volume of an (upper-case) drive letter, opened for reading; INVALID_HANDLE_VALUE on failure.
HANDLE OpenVolume(wchar_t letter) {
    wchar_t volumePath[] = L"\\\\.\\X:";
    volumePath[4] = letter;
    return VolumeIoCreateFile(volumePath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

bool BuildMftSizeMap(wchar_t letter, MftSizeMap& out, const SizeScanProgress& progress, const SizeScanCancel& cancel,
                     std::wstring* error, const std::wstring* cachePath, MftSizeMapStats* statsOut) {
    out.clear();
    MftSizeMapStats stats;
    auto fail = [&](const std::wstring& text) {
        out.clear();
        if (error) *error = text;
        if (statsOut) *statsOut = stats;
        return false;
    };
    EnablePrivilege(L"SeBackupPrivilege");
    EnablePrivilege(L"SeRestorePrivilege");
    letter = DriveLetter(letter);
    if (!letter) return fail(L"Invalid drive letter");

    wchar_t root[] = L"X:\\";
    root[0] = letter;
    DWORD serial = 0;
    if (!VolumeIoGetVolumeInformation(root, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) serial = 0;

    HANDLE volume = OpenVolume(letter);
    if (volume == INVALID_HANDLE_VALUE) return fail(Format(L"Cannot open volume (err=%lu)", GetLastError()));
    struct Closer {
        HANDLE h;
        ~Closer() { VolumeIoCloseHandle(h); }
    } closer{volume};

    uint8_t data[96] = {};
    DWORD got = 0;
    if (!VolumeIoDeviceIoControl(volume, FSCTL_GET_NTFS_VOLUME_DATA, nullptr, 0, data, sizeof data, &got, nullptr))
        return fail(Format(L"Not NTFS or FSCTL_GET_NTFS_VOLUME_DATA failed (err=%lu)", GetLastError()));
    MftVolumeGeometry g;
    std::memcpy(&g.totalClusters, data + 16, 8);
    std::memcpy(&g.bytesPerCluster, data + 44, 4);
    std::memcpy(&g.bytesPerFileRecord, data + 48, 4);
    std::memcpy(&g.mftValidDataLength, data + 56, 8);
    std::memcpy(&g.mftStartLcn, data + 64, 8);
    const uint32_t recordSize = g.bytesPerFileRecord;
    if (g.bytesPerCluster < 512 || g.bytesPerCluster > (2u << 20) || recordSize < 512 || recordSize > 65536 ||
        recordSize % 512 != 0)
        return fail(L"Unusable NTFS volume data");
    const uint64_t totalRecords = g.mftValidDataLength / recordSize;
    stats.fileRecords = totalRecords;

    const bool useCache = cachePath && !cachePath->empty();
    if (useCache) {
        CatchUpContext c{volume, letter, serial, recordSize, *cachePath, progress, cancel, stats};
        if (RunCatchUp(c, out) == CatchUp::Done) {
            if (statsOut) *statsOut = stats;
            return true;
        }
        out.clear();
        stats = MftSizeMapStats{};
        stats.fileRecords = totalRecords;
        if (cancel && cancel()) return fail(L"MFT scan cancelled");
    }

    // The journal position is taken before the scan: changes made while it runs are then read
    // again by the next catch-up instead of being lost.
    VolumeIoUsnJournalDataV0 journal{};
    const bool haveJournal = useCache && QueryOrCreateJournal(volume, journal);

    stats.fullScan = true;
    wchar_t mftPath[] = L"\\\\.\\X:\\$MFT";
    mftPath[4] = letter;
    HANDLE mft = VolumeIoCreateFile(mftPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0x0A200000, nullptr);
    if (mft != INVALID_HANDLE_VALUE) {
        const MftScanResult r = ScanMftFileSequential(mft, recordSize, totalRecords, out, progress, cancel);
        VolumeIoCloseHandle(mft);
        if (r != MftScanResult::Complete) return fail(L"MFT scan cancelled or read failed");
    } else {
        std::vector<DataRun> runs;
        if (!ReadMftDataRuns(volume, g, runs)) return fail(L"Cannot parse $MFT data runs");
        if (ScanMftByDataRuns(volume, g, runs, out, progress, cancel) != MftScanResult::Complete)
            return fail(L"Volume MFT run scan failed or cancelled");
    }
    if (haveJournal) {
        stats.journalId = journal.UsnJournalID;
        stats.journalUsn = journal.NextUsn;
        if (!SaveMftSizeCache(*cachePath, {serial, journal.UsnJournalID, journal.NextUsn, recordSize}, out))
            LogFailure(L"size cache save", GetLastError());
    }
    if (statsOut) *statsOut = stats;
    return true;
}

bool MftJournalPosition(wchar_t letter, uint64_t* journalId, int64_t* nextUsn) {
    letter = DriveLetter(letter);
    if (!letter) return false;
    HANDLE volume = OpenVolume(letter);
    if (volume == INVALID_HANDLE_VALUE) return false;
    VolumeIoUsnJournalDataV0 data{};
    const bool asked = QueryJournal(volume, data);
    VolumeIoCloseHandle(volume);
    if (!asked) return false;
    *journalId = data.UsnJournalID;
    *nextUsn = data.NextUsn;
    return true;
}
