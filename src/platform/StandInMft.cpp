// The layer's view of a drive as an NTFS volume, for drives whose file system does not serve
// the NTFS data calls.
//
// FSCTL_GET_NTFS_VOLUME_DATA gives the table's length from the drive's record count; the first
// read that needs the table takes a snapshot of the drive's model (every file and folder with
// its record number and size) and lays out a master file table for it: record n is the FILE
// record of the entry the drive's journal numbered n (StandInJournal.cpp), with real multi-sector
// fixups; record 0 describes the table itself. The table is fragmented as a grown one is: its
// clusters lie in extents scattered over two zones of the volume (runs that jump forward and
// back), a stretch of unused records is a sparse run, and when the run list does not fit record 0
// the further extents are kept in extension records named by an attribute list. Files get
// resident or non-resident unnamed $DATA (several runs), some a named stream before it, and some
// keep their $DATA in an extension record reached through an attribute list. Raw reads of the
// volume's clusters are served from the snapshot until the next volume data call;
// FSCTL_GET_NTFS_FILE_RECORD builds the record from the current model, answering the nearest
// lower record for one not in use. Entries with synthetic references (links, second names) have
// no record.
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/StandInJournal.h"

namespace volumeio {
namespace {

constexpr uint32_t kCluster = 4096;
constexpr uint32_t kRecord = 1024;
constexpr uint32_t kRecordsPerCluster = kCluster / kRecord;
constexpr int64_t kMftStartLcn = 0x40;
constexpr uint64_t kMask48 = 0xFFFFFFFFFFFFull;
constexpr uint64_t kSyntheticBit = 1ull << 47;
constexpr uint32_t kRecordZeroRunBytes = 16;   // a few runs: most tables need extension records
constexpr uint32_t kExtensionRunBytes = 840;
constexpr uint64_t kFileDataLcnBase = 1ull << 36;
constexpr uint64_t kTotalClusters = kFileDataLcnBase + 100000 * 64 + 8192;   // the files' data fits

void Put16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }
void Put32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
void Put64(uint8_t* p, uint64_t v) { std::memcpy(p, &v, 8); }

struct Run {
    int64_t lcn;   // -1 sparse
    uint64_t count;
};

int UnsignedBytes(uint64_t v) {
    int n = 1;
    while (n < 8 && (v >> (8 * n)) != 0) ++n;
    return n;
}
int SignedBytes(int64_t v) {
    int n = 1;
    while (n < 8) {
        const int64_t lo = -(1ll << (8 * n - 1)), hi = (1ll << (8 * n - 1)) - 1;
        if (v >= lo && v <= hi) break;
        ++n;
    }
    return n;
}

// Mapping pairs of runs (LCN deltas from 0), ending in a 0 byte, written through `put`.
template <typename Put>
void EncodeRunsTo(const Run* runs, size_t count, Put put) {
    int64_t prev = 0;
    for (size_t k = 0; k < count; ++k) {
        const Run& r = runs[k];
        const int cb = UnsignedBytes(r.count);
        if (r.lcn < 0) {
            put(static_cast<uint8_t>(cb));
            for (int i = 0; i < cb; ++i) put(static_cast<uint8_t>(r.count >> (8 * i)));
            continue;
        }
        const int64_t delta = r.lcn - prev;
        const int ob = SignedBytes(delta);
        put(static_cast<uint8_t>(cb | (ob << 4)));
        for (int i = 0; i < cb; ++i) put(static_cast<uint8_t>(r.count >> (8 * i)));
        for (int i = 0; i < ob; ++i) put(static_cast<uint8_t>(static_cast<uint64_t>(delta) >> (8 * i)));
        prev = r.lcn;
    }
    put(0);
}

std::vector<uint8_t> EncodeRuns(const std::vector<Run>& runs) {
    std::vector<uint8_t> b;
    EncodeRunsTo(runs.data(), runs.size(), [&](uint8_t v) { b.push_back(v); });
    return b;
}

// Builds one FILE record attribute by attribute.
class RecordWriter {
public:
    RecordWriter(uint8_t* rec, uint64_t number, uint16_t flags, uint64_t baseRef) : r_(rec) {
        std::memset(r_, 0, kRecord);
        std::memcpy(r_, "FILE", 4);
        Put16(r_ + 4, 48);            // update sequence array
        Put16(r_ + 6, kRecord / 512 + 1);
        Put16(r_ + 18, 1);
        Put16(r_ + 20, 56);
        Put16(r_ + 22, flags);
        Put32(r_ + 28, kRecord);
        Put64(r_ + 32, baseRef);
        Put32(r_ + 44, static_cast<uint32_t>(number));
        pos_ = 56;
    }
    void Sequence(uint16_t s) { Put16(r_ + 16, s); }
    bool Fits(uint32_t len) const { return pos_ + ((len + 7) & ~7u) + 8 <= kRecord; }
    // A resident attribute with an optional name and `valueLength` value bytes (zeros or `value`).
    void Resident(uint32_t type, const wchar_t* name, uint32_t valueLength, const uint8_t* value = nullptr) {
        const uint32_t nameChars = name ? static_cast<uint32_t>(wcslen(name)) : 0;
        const uint32_t valueOffset = (24 + nameChars * 2 + 7) & ~7u;
        const uint32_t len = (valueOffset + valueLength + 7) & ~7u;
        uint8_t* a = r_ + pos_;
        Put32(a, type);
        Put32(a + 4, len);
        a[9] = static_cast<uint8_t>(nameChars);
        Put16(a + 10, 24);
        Put16(a + 14, nextId_++);
        Put32(a + 16, valueLength);
        Put16(a + 20, static_cast<uint16_t>(valueOffset));
        if (nameChars) std::memcpy(a + 24, name, nameChars * 2);
        if (value && valueLength) std::memcpy(a + valueOffset, value, valueLength);
        pos_ += len;
    }
    void NonResident(uint32_t type, uint64_t lowestVcn, uint64_t highestVcn, int64_t allocated, int64_t size,
                     const std::vector<uint8_t>& pairs) {
        NonResident(type, lowestVcn, highestVcn, allocated, size, pairs.data(), pairs.size());
    }
    void NonResident(uint32_t type, uint64_t lowestVcn, uint64_t highestVcn, int64_t allocated, int64_t size,
                     const uint8_t* pairs, size_t pairBytes) {
        const uint32_t len = (64 + static_cast<uint32_t>(pairBytes) + 7) & ~7u;
        uint8_t* a = r_ + pos_;
        Put32(a, type);
        Put32(a + 4, len);
        a[8] = 1;
        Put16(a + 10, 64);
        Put16(a + 14, nextId_++);
        Put64(a + 16, lowestVcn);
        Put64(a + 24, highestVcn);
        Put16(a + 32, 64);
        Put64(a + 40, static_cast<uint64_t>(allocated));
        Put64(a + 48, static_cast<uint64_t>(size));
        Put64(a + 56, static_cast<uint64_t>(size));
        std::memcpy(a + 64, pairs, pairBytes);
        pos_ += len;
    }
    void Finish(uint16_t sequenceValue) {
        Put32(r_ + pos_, 0xFFFFFFFF);
        Put32(r_ + 24, pos_ + 8);
        Put16(r_ + 40, nextId_);
        // Multi-sector protection: the last two bytes of each sector go to the array.
        Put16(r_ + 48, sequenceValue);
        for (uint32_t i = 1; i <= kRecord / 512; ++i) {
            std::memcpy(r_ + 48 + 2 * i, r_ + i * 512 - 2, 2);
            Put16(r_ + i * 512 - 2, sequenceValue);
        }
    }

private:
    uint8_t* r_;
    uint32_t pos_;
    uint16_t nextId_ = 0;
};

// One attribute-list entry (32 bytes, unnamed).
void ListEntry(uint8_t* e, uint32_t type, uint64_t lowestVcn, uint64_t segment, uint16_t id) {
    std::memset(e, 0, 32);
    Put32(e, type);
    Put16(e + 4, 32);
    e[7] = 26;
    Put64(e + 8, lowestVcn);
    Put64(e + 16, segment);
    Put16(e + 24, id);
}
void ListEntry(std::vector<uint8_t>& list, uint32_t type, uint64_t lowestVcn, uint64_t segment, uint16_t id) {
    uint8_t e[32];
    ListEntry(e, type, lowestVcn, segment, id);
    list.insert(list.end(), e, e + 32);
}

enum class Layout { Plain, NamedStreamFirst, InExtension };

Layout LayoutOf(const StandInFile& f) {
    if (f.directory) return Layout::Plain;
    if (f.extension) return Layout::InExtension;
    if ((f.ref & kMask48) % 5 == 2) return Layout::NamedStreamFirst;
    return Layout::Plain;
}

uint16_t SequenceValue(uint64_t n) { return static_cast<uint16_t>(0x100 + (n & 0xFF)); }
uint16_t SequenceOf(uint64_t ref) { return static_cast<uint16_t>(ref >> 48); }

// The unnamed $DATA of a file: resident when small, else non-resident in up to three runs.
void WriteData(RecordWriter& w, const StandInFile& f) {
    const uint64_t n = f.ref & kMask48;
    const int64_t size = std::max<int64_t>(f.size, 0);
    if (size <= 480 && n % 3 != 0) {
        w.Resident(0x80, nullptr, static_cast<uint32_t>(size));
        return;
    }
    const uint64_t clusters = (static_cast<uint64_t>(size) + kCluster - 1) / kCluster;
    Run runs[3];
    size_t count = 0;
    if (clusters > 0) {
        const uint64_t base = kFileDataLcnBase + (n % 100000) * 64;
        const uint64_t a = clusters >= 3 ? clusters / 3 : clusters;
        const uint64_t b = clusters >= 3 ? clusters / 3 : 0;
        runs[count++] = {static_cast<int64_t>(base + 1000), a};
        if (b) runs[count++] = {static_cast<int64_t>(base), b};               // a backward jump
        if (clusters - a - b) runs[count++] = {static_cast<int64_t>(base + 5000), clusters - a - b};
    }
    uint8_t pairs[3 * 17 + 1];
    size_t bytes = 0;
    EncodeRunsTo(runs, count, [&](uint8_t v) { pairs[bytes++] = v; });
    w.NonResident(0x80, 0, clusters ? clusters - 1 : 0, static_cast<int64_t>(clusters * kCluster), size, pairs, bytes);
}

// The FILE record of a drive entry (kind: base record, or its extension record holding $DATA).
void BuildFileRecord(uint8_t* rec, const StandInFile& f, bool extensionRecord) {
    const uint64_t n = f.ref & kMask48;
    const Layout layout = LayoutOf(f);
    if (extensionRecord) {
        const uint64_t number = f.extension & kMask48;
        RecordWriter w(rec, number, 1, f.ref);
        w.Sequence(SequenceOf(f.extension));
        WriteData(w, f);
        w.Finish(SequenceValue(number));
        return;
    }
    RecordWriter w(rec, n, static_cast<uint16_t>(f.directory ? 3 : 1), 0);
    w.Sequence(SequenceOf(f.ref));
    w.Resident(0x10, nullptr, 48);   // $STANDARD_INFORMATION
    if (layout == Layout::InExtension) {
        uint8_t list[64];
        ListEntry(list, 0x10, 0, f.ref, 0);
        ListEntry(list + 32, 0x80, 0, f.extension, 0);
        w.Resident(0x20, nullptr, sizeof list, list);
    } else if (!f.directory) {
        if (layout == Layout::NamedStreamFirst) w.Resident(0x80, L"Zone", 16);
        WriteData(w, f);
    }
    w.Finish(SequenceValue(n));
}

// A cluster range of the table: VCNs [vcn, vcn + count) at LCN lcn.
struct Island {
    uint64_t vcn, count;
    int64_t lcn;
};

enum class Kind : uint8_t { None, File, FileExtension, TableExtension };
struct Slot {
    Kind kind = Kind::None;
    uint32_t index = 0;   // into files, or the table extension's number
};

class Image {
public:
    // The volume data: the table's length from the drive's record count, with room for the
    // records the next files take (as NTFS keeps unused records in the table's valid length).
    // The records are laid out at the first read that needs them, from the drive as it is then.
    bool Prepare(wchar_t letter) {
        letter_ = letter;
        uint64_t count = 0;
        if (!StandInRecordCount(letter, &count)) return false;
        geometryRecords_ = (std::max<uint64_t>(count, kStandInFirstFileRecord) + 64 + 63) / 64 * 64;
        return true;
    }

    void Geometry(uint8_t* out96) const {
        std::memset(out96, 0, 96);
        Put64(out96 + 0, 0x5441524E00000000ull | static_cast<uint64_t>(letter_));
        Put64(out96 + 8, kTotalClusters * (kCluster / 512));
        Put64(out96 + 16, kTotalClusters);
        Put32(out96 + 40, 512);
        Put32(out96 + 44, kCluster);
        Put32(out96 + 48, kRecord);
        Put32(out96 + 52, 0);
        Put64(out96 + 56, geometryRecords_ * kRecord);
        Put64(out96 + 64, static_cast<uint64_t>(kMftStartLcn));
        Put64(out96 + 72, static_cast<uint64_t>(kMftStartLcn) + 2);
    }

    // Bytes of the volume at offset; clusters outside the table read as zeros.
    void Read(uint64_t offset, uint8_t* out, uint32_t bytes) const {
        Ensure();
        ReadLaid(offset, out, bytes);
    }

    // The highest record of the table's own (record 0 and its extension records) at or below
    // `number`.
    uint64_t TableRecordAtOrBelow(uint64_t number) const {
        Ensure();
        for (uint64_t e = tableExtensions_.size(); e > 0; --e)
            if (kStandInTableExtensionFirst + e - 1 <= number) return kStandInTableExtensionFirst + e - 1;
        return 0;
    }
    void TableRecord(uint64_t number, uint8_t* rec) const {
        Ensure();
        RecordAt(number, rec);
    }

private:
    void Ensure() const {
        std::call_once(built_, [this] { const_cast<Image*>(this)->Build(); });
    }

    void Build() {
        if (!StandInCollectFiles(letter_, files_)) files_.clear();
        uint64_t last = geometryRecords_ - 1;
        for (const StandInFile& f : files_) {
            if (f.ref & kSyntheticBit) continue;
            last = std::max(last, f.ref & kMask48);
            if (LayoutOf(f) == Layout::InExtension) last = std::max(last, f.extension & kMask48);
        }
        slots_.assign(static_cast<size_t>(last + 1), Slot{});
        for (uint32_t i = 0; i < files_.size(); ++i) {
            const StandInFile& f = files_[i];
            const uint64_t n = f.ref & kMask48;
            if ((f.ref & kSyntheticBit) || n == 0 || n > last) continue;
            slots_[n] = Slot{Kind::File, i};
            if (LayoutOf(f) == Layout::InExtension) slots_[f.extension & kMask48] = Slot{Kind::FileExtension, i};
        }
        // Extents of about ten clusters on a small drive; on a large one about 128 extents, so
        // that the table is read in few large reads.
        uint32_t scale = 1;
        while (slots_.size() / kRecordsPerCluster / (10ull * scale) > 128) scale *= 2;
        while (!Lay(scale)) scale *= 2;
    }

    void ReadLaid(uint64_t offset, uint8_t* out, uint32_t bytes) const {
        uint8_t cluster[kCluster];
        const uint64_t end = offset + bytes;
        for (uint64_t lcn = offset / kCluster; lcn * kCluster < end; ++lcn) {
            const uint64_t cStart = lcn * kCluster;
            const uint64_t from = std::max(cStart, offset), to = std::min(cStart + kCluster, end);
            uint8_t* dest = out + (from - offset);
            const size_t length = static_cast<size_t>(to - from);
            auto it = std::upper_bound(byLcn_.begin(), byLcn_.end(), lcn,
                                       [](uint64_t v, const Island& i) { return v < static_cast<uint64_t>(i.lcn); });
            if (it == byLcn_.begin() || lcn >= static_cast<uint64_t>((it - 1)->lcn) + (it - 1)->count) {
                std::memset(dest, 0, length);
                continue;
            }
            --it;
            const uint64_t vcn = it->vcn + (lcn - static_cast<uint64_t>(it->lcn));
            // Whole clusters are built in place; a partial one through the scratch cluster.
            uint8_t* target = length == kCluster ? dest : cluster;
            for (uint32_t k = 0; k < kRecordsPerCluster; ++k) RecordAt(vcn * kRecordsPerCluster + k, target + k * kRecord);
            if (target == cluster) std::memcpy(dest, cluster + (from - cStart), length);
        }
    }

    void RecordAt(uint64_t number, uint8_t* rec) const {
        if (number == 0) {
            std::memcpy(rec, recordZero_.data(), kRecord);
            return;
        }
        const Slot slot = number < slots_.size() ? slots_[number] : Slot{};
        switch (slot.kind) {
            case Kind::File: BuildFileRecord(rec, files_[slot.index], false); break;
            case Kind::FileExtension: BuildFileRecord(rec, files_[slot.index], true); break;
            case Kind::TableExtension: std::memcpy(rec, tableExtensions_[slot.index].data(), kRecord); break;
            case Kind::None: std::memset(rec, 0, kRecord); break;
        }
    }

    // Lays out the table's clusters in extents of 4 to 16 times `scale` clusters; false when
    // its run list does not fit record 0 and the extension records.
    bool Lay(uint32_t scale) {
        const uint64_t totalVcns = (slots_.size() + kRecordsPerCluster - 1) / kRecordsPerCluster;
        auto used = [&](uint64_t vcn) {
            if (vcn == 0) return true;
            for (uint64_t n = vcn * kRecordsPerCluster; n < (vcn + 1) * kRecordsPerCluster && n < slots_.size(); ++n)
                if (slots_[n].kind != Kind::None || (n >= kStandInTableExtensionFirst && n < kStandInFirstFileRecord))
                    return true;
            return false;
        };
        // The extents: records 0-7, the unused records 8-15 (a sparse run), then the rest.
        std::vector<std::pair<uint64_t, uint64_t>> extents{{0, 2}, {2, 2}};
        for (uint64_t vcn = 4, k = 0; vcn < totalVcns; ++k) {
            const uint64_t count = std::min<uint64_t>(static_cast<uint64_t>(scale) * (4 + (k * 7) % 13), totalVcns - vcn);
            extents.push_back({vcn, count});
            vcn += count;
        }
        // Alternate extents between a low and a high zone of the volume: runs jump both ways.
        int64_t low = kMftStartLcn;
        int64_t high = kMftStartLcn + static_cast<int64_t>(totalVcns + 8 * extents.size() + 1024);
        std::vector<Island> islands;
        std::vector<Run> runs;
        for (size_t k = 0; k < extents.size(); ++k) {
            const auto [vcn, count] = extents[k];
            bool any = false;
            for (uint64_t v = vcn; v < vcn + count && !any; ++v) any = used(v);
            if (!any) {
                runs.push_back({-1, count});
                continue;
            }
            int64_t& zone = k == 0 || k % 2 == 1 ? low : high;
            islands.push_back(Island{vcn, count, zone});
            runs.push_back({zone, count});
            zone += static_cast<int64_t>(count) + 3 + static_cast<int64_t>(k % 5);
        }
        // Split the runs into extents that fit record 0 and the extension records.
        std::vector<std::vector<Run>> parts(1);
        std::vector<uint64_t> partVcn{0};
        uint64_t runVcn = 0;
        size_t partBytes = 1;   // the closing 0
        int64_t prevLcn = 0;    // each part's deltas start from 0
        for (const Run& r : runs) {
            const uint32_t budget = parts.size() == 1 ? kRecordZeroRunBytes : kExtensionRunBytes;
            auto bytesOf = [&](int64_t prev) {
                return static_cast<size_t>(1 + UnsignedBytes(r.count) + (r.lcn < 0 ? 0 : SignedBytes(r.lcn - prev)));
            };
            if (partBytes + bytesOf(prevLcn) > budget && !parts.back().empty()) {
                if (parts.size() > kStandInTableExtensionCount) return false;
                parts.emplace_back();
                partVcn.push_back(runVcn);
                partBytes = 1;
                prevLcn = 0;
            }
            partBytes += bytesOf(prevLcn);
            if (r.lcn >= 0) prevLcn = r.lcn;
            parts.back().push_back(r);
            runVcn += r.count;
        }
        byLcn_ = islands;
        std::sort(byLcn_.begin(), byLcn_.end(), [](const Island& a, const Island& b) { return a.lcn < b.lcn; });
        const uint64_t validLength = slots_.size() * kRecord;
        // Record 0: $STANDARD_INFORMATION, the attribute list when fragmented, the first part.
        recordZero_.assign(kRecord, 0);
        tableExtensions_.clear();
        for (uint64_t n = kStandInTableExtensionFirst; n < kStandInFirstFileRecord && n < slots_.size(); ++n)
            slots_[n] = Slot{};
        const int64_t allocated = static_cast<int64_t>(totalVcns * kCluster);
        RecordWriter w(recordZero_.data(), 0, 1, 0);
        w.Sequence(1);
        w.Resident(0x10, nullptr, 48);
        if (parts.size() > 1) {
            std::vector<uint8_t> list;
            ListEntry(list, 0x10, 0, 1ull << 48, 0);
            ListEntry(list, 0x80, 0, 1ull << 48, 2);
            for (size_t e = 1; e < parts.size(); ++e)
                ListEntry(list, 0x80, partVcn[e], (kStandInTableExtensionFirst + e - 1) | (1ull << 48), 0);
            w.Resident(0x20, nullptr, static_cast<uint32_t>(list.size()), list.data());
        }
        const uint64_t firstEnd = parts.size() > 1 ? partVcn[1] : totalVcns;
        w.NonResident(0x80, 0, firstEnd ? firstEnd - 1 : 0, allocated, static_cast<int64_t>(validLength),
                      EncodeRuns(parts[0]));
        w.Finish(SequenceValue(0));
        for (size_t e = 1; e < parts.size(); ++e) {
            const uint64_t number = kStandInTableExtensionFirst + e - 1;
            std::vector<uint8_t> rec(kRecord);
            RecordWriter x(rec.data(), number, 1, 1ull << 48);
            x.Sequence(1);
            const uint64_t end = e + 1 < parts.size() ? partVcn[e + 1] : totalVcns;
            x.NonResident(0x80, partVcn[e], end - 1, 0, 0, EncodeRuns(parts[e]));
            x.Finish(SequenceValue(number));
            slots_[number] = Slot{Kind::TableExtension, static_cast<uint32_t>(tableExtensions_.size())};
            tableExtensions_.push_back(std::move(rec));
        }
        return true;
    }

    std::vector<StandInFile> files_;
    std::vector<Slot> slots_;   // by record number
    std::vector<Island> byLcn_;
    std::vector<uint8_t> recordZero_;
    std::vector<std::vector<uint8_t>> tableExtensions_;
    wchar_t letter_ = 0;
    uint64_t geometryRecords_ = 0;
    mutable std::once_flag built_;
};

struct Views {
    std::mutex mutex;
    std::array<std::shared_ptr<const Image>, 26> images;
    std::array<uint64_t, 26> recordsServed{};
};

Views& V() {
    static Views* v = new Views();
    return *v;
}

int Slot(wchar_t letter) {
    if (letter >= L'a' && letter <= L'z') letter = static_cast<wchar_t>(letter - 32);
    return (letter >= L'A' && letter <= L'Z') ? letter - L'A' : -1;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

}  // namespace

bool IsNtfsDataControlCode(DWORD code) {
    return code == FSCTL_GET_NTFS_VOLUME_DATA || code == FSCTL_GET_NTFS_FILE_RECORD;
}

BOOL StandInNtfsControl(wchar_t letter, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                        DWORD* returned) {
    const int slot = Slot(letter);
    DWORD dummy = 0;
    if (!returned) returned = &dummy;
    *returned = 0;
    if (slot < 0) return Fail(ERROR_INVALID_PARAMETER);
    if (code == FSCTL_GET_NTFS_VOLUME_DATA) {
        if (!out || outSize < 96) return Fail(ERROR_INSUFFICIENT_BUFFER);
        auto image = std::make_shared<Image>();
        if (!image->Prepare(letter)) return Fail(ERROR_DEVICE_NOT_CONNECTED);
        image->Geometry(static_cast<uint8_t*>(out));
        std::lock_guard<std::mutex> lock(V().mutex);
        V().images[slot] = image;
        *returned = 96;
        return TRUE;
    }
    if (code != FSCTL_GET_NTFS_FILE_RECORD) return Fail(ERROR_INVALID_FUNCTION);
    if (!in || inSize < 8) return Fail(ERROR_INVALID_PARAMETER);
    if (!out || outSize < 12 + kRecord) return Fail(ERROR_INSUFFICIENT_BUFFER);
    uint64_t asked;
    std::memcpy(&asked, in, 8);
    asked &= kMask48;
    uint8_t* o = static_cast<uint8_t*>(out);
    std::shared_ptr<const Image> image;
    {
        std::lock_guard<std::mutex> lock(V().mutex);
        image = V().images[slot];
        ++V().recordsServed[slot];
    }
    // The asked record when in use, else the nearest one below: the drive's entries, or the
    // table's own records when the view has been made.
    StandInRecord found;
    const bool haveEntry = StandInFindRecord(letter, asked, &found);
    const uint64_t entryNumber = haveEntry ? found.reference & kMask48 : 0;
    uint64_t answered;
    // Only a number below the first file record can be answered by one of the table's records.
    if (image && (!haveEntry || entryNumber < kStandInFirstFileRecord) &&
        (!haveEntry || image->TableRecordAtOrBelow(asked) > entryNumber)) {
        answered = image->TableRecordAtOrBelow(asked);
        image->TableRecord(answered, o + 12);
        answered |= 1ull << 48;
    } else if (haveEntry) {
        answered = found.reference;
        BuildFileRecord(o + 12, found.file, found.extension);
    } else {
        return Fail(ERROR_FILE_NOT_FOUND);
    }
    Put64(o, answered);
    Put32(o + 8, kRecord);
    *returned = 12 + kRecord;
    return TRUE;
}

bool StandInReadVolume(wchar_t letter, uint64_t offset, void* buffer, DWORD bytes, DWORD* read) {
    const int slot = Slot(letter);
    if (slot < 0) return false;
    std::shared_ptr<const Image> image;
    {
        std::lock_guard<std::mutex> lock(V().mutex);
        image = V().images[slot];
    }
    if (!image) return false;
    image->Read(offset, static_cast<uint8_t*>(buffer), bytes);
    if (read) *read = bytes;
    return true;
}

void StandInMftReset() {
    std::lock_guard<std::mutex> lock(V().mutex);
    for (auto& i : V().images) i.reset();
    V().recordsServed.fill(0);
}

uint64_t StandInFileRecordsServed(wchar_t letter) {
    const int slot = Slot(letter);
    if (slot < 0) return 0;
    std::lock_guard<std::mutex> lock(V().mutex);
    return V().recordsServed[slot];
}

}  // namespace volumeio
