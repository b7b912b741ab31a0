// FILE records, $DATA sizes, mapping pairs and the scans of $MFT.
#include "index/MftScan.h"

#include <algorithm>
#include <cstring>

#include "platform/VolumeIo.h"

namespace {

constexpr uint32_t kAttrStandardEnd = 0xFFFFFFFF;
constexpr uint32_t kAttrAttributeList = 0x20;
constexpr uint32_t kAttrData = 0x80;
constexpr uint32_t kSector = 512;
constexpr uint64_t kChunkClusters = 64;
constexpr uint64_t kReserveRecords = 4u << 20;

uint16_t U16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
uint32_t U32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
uint64_t U64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}
int64_t I64(const uint8_t* p) { return static_cast<int64_t>(U64(p)); }

bool IsFileSignature(const uint8_t* record, uint32_t size) {
    return size >= 4 && std::memcmp(record, "FILE", 4) == 0;
}

// Walks the attributes of a record. `visit` gets the attribute's offset and length and returns
// true to stop. False when the walk is malformed or ends before `visit` stopped it.
template <typename Visit>
bool WalkAttributes(const uint8_t* record, uint32_t size, Visit visit) {
    if (size < 42) return false;
    uint32_t pos = U16(record + 20);
    if (pos < 42 || pos >= size || pos + 16 > size) return false;
    for (;;) {
        const uint32_t type = U32(record + pos);
        if (type == kAttrStandardEnd) return false;
        const uint32_t length = U32(record + pos + 4);
        if (length < 16 || length > size - pos) return false;
        if (visit(pos, type, length)) return true;
        pos += length;
        if (pos + 16 > size) return false;
    }
}

// Offset of the unnamed $DATA attribute, or false.
bool FindUnnamedData(const uint8_t* record, uint32_t size, uint32_t* at, uint32_t* length) {
    return WalkAttributes(record, size, [&](uint32_t pos, uint32_t type, uint32_t len) {
        if (type != kAttrData || record[pos + 9] != 0) return false;
        *at = pos;
        *length = len;
        return true;
    });
}

// Sizes of the $DATA attribute at `pos`; for a non-resident one also its lowest VCN.
bool DataSizesAt(const uint8_t* record, uint32_t size, uint32_t pos, int64_t* dataSize, int64_t* allocated,
                 uint64_t* lowestVcn) {
    *dataSize = *allocated = 0;
    if (lowestVcn) *lowestVcn = 0;
    if (record[pos + 8] != 0) {
        if (pos + 56 > size) return false;
        *allocated = std::max<int64_t>(I64(record + pos + 40), 0);
        *dataSize = std::max<int64_t>(I64(record + pos + 48), 0);
        if (lowestVcn) *lowestVcn = U64(record + pos + 16);
        return true;
    }
    if (pos + 24 > size) return false;
    *dataSize = *allocated = U32(record + pos + 16);
    return true;
}

bool VolumeRead(HANDLE volume, uint64_t offset, uint8_t* buffer, uint32_t bytes) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!VolumeIoSetFilePointerEx(volume, at, nullptr, FILE_BEGIN)) return false;
    DWORD got = 0;
    return VolumeIoReadFile(volume, buffer, bytes, &got, nullptr) && got == bytes;
}

// Applies the per-record rule: an in-use base record enters its own sizes; an extension record
// whose unnamed $DATA starts at VCN 0 enters the sizes under its base record's key.
void EnterRecord(uint8_t* record, uint32_t recordSize, uint64_t number, MftSizeMap& out) {
    if (!IsFileSignature(record, recordSize)) return;
    FileRecordFacts f = InspectFileRecord(record, recordSize);
    if (!f.valid || !f.hasData) return;
    if (f.size < 1 && f.allocated <= 0) return;
    const uint64_t key = f.extension ? f.baseReference
                                     : (number & kMftRecordMask) | (static_cast<uint64_t>(f.sequence) << 48);
    out[key] = SizePair{f.size, f.allocated};
}

// Cuts the stream of $MFT bytes into records, whatever the cluster size: a record may straddle
// two chunks or two runs.
class RecordAssembler {
public:
    RecordAssembler(uint32_t recordSize, uint64_t totalRecords, MftSizeMap& out)
        : size_(recordSize), total_(totalRecords), out_(out), pending_(recordSize, 0) {}

    void Feed(uint8_t* p, uint64_t len) {
        while (len > 0 && !Done()) {
            if (fill_ == 0 && len >= size_) {
                EnterRecord(p, size_, n_++, out_);
                p += size_;
                len -= size_;
                continue;
            }
            const uint64_t take = std::min<uint64_t>(size_ - fill_, len);
            std::memcpy(pending_.data() + fill_, p, static_cast<size_t>(take));
            fill_ += static_cast<uint32_t>(take);
            p += take;
            len -= take;
            if (fill_ == size_) {
                EnterRecord(pending_.data(), size_, n_++, out_);
                fill_ = 0;
            }
        }
    }
    // A sparse stretch: zero bytes, which hold no record.
    void Skip(uint64_t len) {
        if (fill_ > 0) {
            const uint64_t take = std::min<uint64_t>(size_ - fill_, len);
            fill_ += static_cast<uint32_t>(take);
            len -= take;
            if (fill_ < size_) return;
            ++n_;
            fill_ = 0;
        }
        n_ += len / size_;
        fill_ = static_cast<uint32_t>(len % size_);
        if (fill_) std::memset(pending_.data(), 0, fill_);
    }
    uint64_t Records() const { return n_; }
    bool Done() const { return total_ != 0 && n_ >= total_; }

private:
    uint32_t size_;
    uint64_t total_;
    MftSizeMap& out_;
    std::vector<uint8_t> pending_;
    uint32_t fill_ = 0;
    uint64_t n_ = 0;
};

}  // namespace

bool EnablePrivilege(const wchar_t* name) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
    LUID luid;
    if (!LookupPrivilegeValueW(nullptr, name, &luid)) {
        CloseHandle(token);
        return false;
    }
    TOKEN_PRIVILEGES tp{};
    tp.PrivilegeCount = 1;
    tp.Privileges[0].Luid = luid;
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    const BOOL ok = AdjustTokenPrivileges(token, FALSE, &tp, sizeof tp, nullptr, nullptr);
    const DWORD error = GetLastError();
    CloseHandle(token);
    return ok && error == ERROR_SUCCESS;
}

bool ApplyUpdateSequenceFixups(uint8_t* record, uint32_t size) {
    if (size < 42 || size % kSector != 0) return false;
    const uint32_t offset = U16(record + 4);
    const uint32_t count = U16(record + 6);
    if (offset == 0 || count < 2 || offset + 2 * count > size || count != size / kSector + 1) return false;
    const uint16_t sequence = U16(record + offset);
    for (uint32_t i = 1; i <= size / kSector; ++i) {
        uint8_t* tail = record + i * kSector - 2;
        if (U16(tail) != sequence) return false;
        std::memcpy(tail, record + offset + 2 * i, 2);
    }
    return true;
}

bool GetDataAttributeSizes(const uint8_t* record, uint32_t size, int64_t* dataSize, int64_t* allocated) {
    *dataSize = *allocated = 0;
    uint32_t pos = 0, length = 0;
    if (!FindUnnamedData(record, size, &pos, &length)) return false;
    return DataSizesAt(record, size, pos, dataSize, allocated, nullptr);
}

bool DecodeDataRuns(const uint8_t* runs, uint64_t length, std::vector<DataRun>& out, uint64_t totalClusters) {
    out.clear();
    int64_t lcn = 0;
    uint64_t i = 0;
    while (i < length) {
        const uint8_t header = runs[i++];
        if (header == 0) break;
        const uint32_t lenBytes = header & 15;
        const uint32_t offBytes = header >> 4;
        // Fields wider than 8 bytes do not fit a 64-bit value; they occur on no valid volume.
        if (lenBytes == 0 || lenBytes > 8 || offBytes > 8 || i + lenBytes + offBytes > length) return false;
        uint64_t count = 0;
        for (uint32_t b = 0; b < lenBytes; ++b) count |= static_cast<uint64_t>(runs[i + b]) << (8 * b);
        i += lenBytes;
        if (count == 0) return false;
        if (offBytes == 0) {
            out.push_back(DataRun{-1, count});
            continue;
        }
        uint64_t raw = 0;
        for (uint32_t b = 0; b < offBytes; ++b) raw |= static_cast<uint64_t>(runs[i + b]) << (8 * b);
        i += offBytes;
        if (offBytes < 8 && (runs[i - 1] & 0x80)) raw |= ~0ull << (8 * offBytes);
        const int64_t delta = static_cast<int64_t>(raw);
        if ((delta > 0 && lcn > INT64_MAX - delta) || (delta < 0 && lcn < INT64_MIN - delta)) return false;
        lcn += delta;
        if (lcn < 0) return false;
        if (totalClusters != 0 &&
            (static_cast<uint64_t>(lcn) >= totalClusters || count > totalClusters - static_cast<uint64_t>(lcn)))
            return false;
        out.push_back(DataRun{lcn, count});
    }
    return !out.empty();
}

FileRecordFacts InspectFileRecord(uint8_t* record, uint32_t size) {
    FileRecordFacts f;
    if (size < 48 || !IsFileSignature(record, size)) return f;
    f.fixupsOk = ApplyUpdateSequenceFixups(record, size);
    const uint16_t flags = U16(record + 22);
    if (!(flags & 1)) return f;
    f.valid = true;
    f.sequence = U16(record + 16);
    f.baseReference = U64(record + 32);
    f.extension = f.baseReference != 0;
    f.directory = (flags & 2) != 0;
    WalkAttributes(record, size, [&](uint32_t pos, uint32_t type, uint32_t) {
        if (type == kAttrAttributeList) f.hasAttributeList = true;
        return false;
    });
    if (f.directory) {
        f.hasData = !f.extension;   // a folder counts with size 0
        return f;
    }
    uint32_t pos = 0, length = 0;
    if (!FindUnnamedData(record, size, &pos, &length)) return f;
    uint64_t lowestVcn = 0;
    if (!DataSizesAt(record, size, pos, &f.size, &f.allocated, &lowestVcn)) return f;
    // Only the first extent of a fragmented attribute carries its sizes.
    f.hasData = lowestVcn == 0;
    if (!f.hasData) f.size = f.allocated = 0;
    return f;
}

bool ListDataExtensionRecords(const uint8_t* record, uint32_t size, uint64_t ownRecord, std::vector<uint64_t>& out) {
    out.clear();
    uint32_t listAt = 0, listLength = 0;
    const bool found = WalkAttributes(record, size, [&](uint32_t pos, uint32_t type, uint32_t len) {
        if (type != kAttrAttributeList) return false;
        listAt = pos;
        listLength = len;
        return true;
    });
    if (!found || record[listAt + 8] != 0 || listAt + 24 > size) return false;   // resident lists only
    const uint32_t valueLength = U32(record + listAt + 16);
    const uint32_t valueOffset = U16(record + listAt + 20);
    if (valueOffset > listLength || valueLength > listLength - valueOffset) return false;
    const uint8_t* p = record + listAt + valueOffset;
    uint32_t at = 0;
    while (at + 26 <= valueLength) {
        const uint32_t type = U32(p + at);
        const uint32_t entryLength = U16(p + at + 4);
        if (entryLength < 26 || entryLength > valueLength - at) break;
        const uint8_t nameLength = p[at + 6];
        const uint64_t segment = U64(p + at + 16);
        if (type == kAttrData && nameLength == 0 && (segment & kMftRecordMask) != (ownRecord & kMftRecordMask) &&
            std::find(out.begin(), out.end(), segment) == out.end())
            out.push_back(segment);
        at += entryLength;
    }
    return !out.empty();
}

namespace {

// One FILE record by its number through FSCTL_GET_NTFS_FILE_RECORD; false when the call fails,
// answers another record (the asked one is not in use), or the record is not usable.
bool FetchRecord(HANDLE volume, uint64_t reference, uint32_t recordSize, std::vector<uint8_t>& out) {
    LARGE_INTEGER in;
    in.QuadPart = static_cast<LONGLONG>(reference & kMftRecordMask);
    std::vector<uint8_t> buf(recordSize + 76, 0);
    DWORD got = 0;
    if (!VolumeIoDeviceIoControl(volume, FSCTL_GET_NTFS_FILE_RECORD, &in, sizeof in, buf.data(),
                                 static_cast<DWORD>(buf.size()), &got, nullptr))
        return false;
    if (got < 12 + 42 || (U64(buf.data()) & kMftRecordMask) != (reference & kMftRecordMask)) return false;
    const uint32_t length = std::min<uint32_t>(U32(buf.data() + 8), got - 12);
    if (length < recordSize) return false;
    out.assign(buf.begin() + 12, buf.begin() + 12 + recordSize);
    return IsFileSignature(out.data(), recordSize);
}

// The runs of the unnamed non-resident $DATA attribute of a record, and its lowest VCN.
bool RecordDataRuns(const uint8_t* record, uint32_t size, uint64_t totalClusters, std::vector<DataRun>& runs,
                    uint64_t* lowestVcn) {
    uint32_t pos = 0, length = 0;
    if (!FindUnnamedData(record, size, &pos, &length) || record[pos + 8] != 1) return false;
    if (pos + 64 > size) return false;
    const uint32_t runsOffset = U16(record + pos + 32);
    if (runsOffset == 0 || runsOffset >= length) return false;
    *lowestVcn = U64(record + pos + 16);
    return DecodeDataRuns(record + pos + runsOffset, length - runsOffset, runs, totalClusters);
}

uint64_t RunClusters(const std::vector<DataRun>& runs) {
    uint64_t n = 0;
    for (const DataRun& r : runs) n += r.clusterCount;
    return n;
}

}  // namespace

bool ReadMftDataRuns(HANDLE volume, const MftVolumeGeometry& g, std::vector<DataRun>& out) {
    out.clear();
    const uint32_t cluster = g.bytesPerCluster, recordSize = g.bytesPerFileRecord;
    if (cluster == 0 || recordSize == 0 || g.mftStartLcn < 0) return false;
    std::vector<uint8_t> record(recordSize, 0);
    if (!VolumeRead(volume, static_cast<uint64_t>(g.mftStartLcn) * cluster, record.data(), recordSize)) return false;
    if (!IsFileSignature(record.data(), recordSize)) return false;
    ApplyUpdateSequenceFixups(record.data(), recordSize);
    uint64_t vcn = 0;
    if (!RecordDataRuns(record.data(), recordSize, g.totalClusters, out, &vcn) || vcn != 0) {
        out.clear();
        return false;
    }
    // A fragmented $MFT keeps further extents in extension records named by its attribute list.
    std::vector<uint64_t> extensions;
    if (ListDataExtensionRecords(record.data(), recordSize, 0, extensions)) {
        std::vector<std::pair<uint64_t, std::vector<DataRun>>> extents;
        std::vector<uint8_t> ext;
        for (uint64_t ref : extensions) {
            std::vector<DataRun> runs;
            uint64_t lowest = 0;
            if (!FetchRecord(volume, ref, recordSize, ext)) {
                out.clear();
                return false;
            }
            ApplyUpdateSequenceFixups(ext.data(), recordSize);
            if (!RecordDataRuns(ext.data(), recordSize, g.totalClusters, runs, &lowest)) {
                out.clear();
                return false;
            }
            extents.emplace_back(lowest, std::move(runs));
        }
        std::sort(extents.begin(), extents.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        uint64_t next = RunClusters(out);
        for (auto& [lowest, runs] : extents) {
            if (lowest != next) {
                out.clear();
                return false;
            }
            next += RunClusters(runs);
            out.insert(out.end(), runs.begin(), runs.end());
        }
    }
    // The runs must reach the end of the table's valid data, or records would be missed.
    const uint64_t clusters = RunClusters(out);
    if (clusters > UINT64_MAX / cluster || clusters * cluster < g.mftValidDataLength) {
        out.clear();
        return false;
    }
    return true;
}

MftScanResult ScanMftFileSequential(HANDLE mftFile, uint32_t recordSize, uint64_t totalRecords, MftSizeMap& out,
                                    const SizeScanProgress& progress, const SizeScanCancel& cancel) {
    if (recordSize == 0) return MftScanResult::ReadFailed;
    std::vector<uint8_t> buf(recordSize);
    uint64_t n = 0;
    for (;;) {
        if (cancel && cancel()) return MftScanResult::Cancelled;
        DWORD got = 0;
        if (!VolumeIoReadFile(mftFile, buf.data(), recordSize, &got, nullptr)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            return MftScanResult::ReadFailed;
        }
        if (got == 0) break;
        if (got < recordSize) std::memset(buf.data() + got, 0, recordSize - got);
        EnterRecord(buf.data(), recordSize, n, out);
        ++n;
        if (progress && (n % 4096) == 0) progress(n, totalRecords ? totalRecords : n + 1);
    }
    if (progress) progress(n, n);
    return MftScanResult::Complete;
}

MftScanResult ScanMftByDataRuns(HANDLE volume, const MftVolumeGeometry& g, const std::vector<DataRun>& runs,
                                MftSizeMap& out, const SizeScanProgress& progress, const SizeScanCancel& cancel) {
    const uint32_t cluster = g.bytesPerCluster, recordSize = g.bytesPerFileRecord;
    if (cluster == 0 || recordSize == 0) return MftScanResult::ReadFailed;
    const uint64_t total = g.mftValidDataLength / recordSize;
    std::vector<uint8_t> buf(static_cast<size_t>(kChunkClusters) * cluster, 0);
    // Most records of a table are files with data: room for them up front saves the rehashes.
    out.reserve(out.size() + static_cast<size_t>(std::min<uint64_t>(total, kReserveRecords)));
    RecordAssembler records(recordSize, total, out);
    uint64_t reported = 0;
    auto report = [&]() {
        const uint64_t done = records.Records();
        if (progress && done / 4096 != reported / 4096) progress(done, total ? total : done + 1);
        reported = done;
    };
    for (const DataRun& run : runs) {
        if (records.Done()) break;
        if (run.lcn < 0) {
            if (run.clusterCount > UINT64_MAX / cluster) return MftScanResult::ReadFailed;
            records.Skip(run.clusterCount * cluster);
            report();
            continue;
        }
        uint64_t lcn = static_cast<uint64_t>(run.lcn), remaining = run.clusterCount;
        while (remaining > 0 && !records.Done()) {
            if (cancel && cancel()) return MftScanResult::Cancelled;
            const uint64_t chunk = std::min(remaining, kChunkClusters);
            const uint32_t bytes = static_cast<uint32_t>(chunk * cluster);
            if (!VolumeRead(volume, lcn * cluster, buf.data(), bytes)) return MftScanResult::ReadFailed;
            records.Feed(buf.data(), bytes);
            report();
            lcn += chunk;
            remaining -= chunk;
        }
    }
    if (progress) progress(records.Records(), records.Records());
    return MftScanResult::Complete;
}
