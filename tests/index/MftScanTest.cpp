// FILE records, mapping pairs, the scans of $MFT and the size map with journal catch-up.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "CacheTestSupport.h"
#include "platform/VolumeIo.h"

namespace {

using namespace cachetest;

void P16(std::vector<uint8_t>& r, size_t at, uint16_t v) { std::memcpy(r.data() + at, &v, 2); }
void P32(std::vector<uint8_t>& r, size_t at, uint32_t v) { std::memcpy(r.data() + at, &v, 4); }
void P64(std::vector<uint8_t>& r, size_t at, uint64_t v) { std::memcpy(r.data() + at, &v, 8); }

// A hand-made FILE record: attributes are appended, Seal() writes the end marker and protects
// the sectors with a sequence value.
struct Rec {
    explicit Rec(uint32_t size = 1024, uint16_t flags = 1, uint64_t base = 0, uint16_t seq = 1) : b(size, 0) {
        std::memcpy(b.data(), "FILE", 4);
        P16(b, 4, 48);
        P16(b, 6, static_cast<uint16_t>(size / 512 + 1));
        P16(b, 16, seq);
        P16(b, 20, 56);
        P16(b, 22, flags);
        P64(b, 32, base);
    }
    Rec& Resident(uint32_t type, uint32_t valueLength, const std::wstring& name = L"",
                  const std::vector<uint8_t>& value = {}) {
        const uint32_t valueOffset = (24 + static_cast<uint32_t>(name.size()) * 2 + 7) & ~7u;
        const uint32_t len = (valueOffset + valueLength + 7) & ~7u;
        P32(b, pos, type);
        P32(b, pos + 4, len);
        b[pos + 9] = static_cast<uint8_t>(name.size());
        P16(b, pos + 10, 24);
        P32(b, pos + 16, valueLength);
        P16(b, pos + 20, static_cast<uint16_t>(valueOffset));
        if (!name.empty()) std::memcpy(b.data() + pos + 24, name.data(), name.size() * 2);
        if (!value.empty()) std::memcpy(b.data() + pos + valueOffset, value.data(), value.size());
        pos += len;
        return *this;
    }
    Rec& NonResident(int64_t allocated, int64_t size, const std::vector<uint8_t>& runs, uint64_t lowestVcn = 0,
                     const std::wstring& name = L"") {
        const uint32_t runsOffset = (64 + static_cast<uint32_t>(name.size()) * 2 + 7) & ~7u;
        const uint32_t len = (runsOffset + static_cast<uint32_t>(runs.size()) + 7) & ~7u;
        P32(b, pos, 0x80);
        P32(b, pos + 4, len);
        b[pos + 8] = 1;
        b[pos + 9] = static_cast<uint8_t>(name.size());
        P16(b, pos + 10, 64);
        if (!name.empty()) std::memcpy(b.data() + pos + 64, name.data(), name.size() * 2);
        P64(b, pos + 16, lowestVcn);
        P16(b, pos + 32, static_cast<uint16_t>(runsOffset));
        P64(b, pos + 40, static_cast<uint64_t>(allocated));
        P64(b, pos + 48, static_cast<uint64_t>(size));
        std::memcpy(b.data() + pos + runsOffset, runs.data(), runs.size());
        pos += len;
        return *this;
    }
    // Resident $ATTRIBUTE_LIST naming the record of each $DATA extent.
    Rec& AttributeList(const std::vector<std::pair<uint64_t, uint64_t>>& dataExtents) {
        std::vector<uint8_t> list;
        for (auto [vcn, segment] : dataExtents) {
            std::vector<uint8_t> e(32, 0);
            P32(e, 0, 0x80);
            P16(e, 4, 32);
            e[7] = 26;
            P64(e, 8, vcn);
            P64(e, 16, segment);
            list.insert(list.end(), e.begin(), e.end());
        }
        return Resident(0x20, static_cast<uint32_t>(list.size()), L"", list);
    }
    std::vector<uint8_t> Seal(bool torn = false) {
        P32(b, pos, 0xFFFFFFFF);
        const uint16_t sv = 0x0ABC;
        P16(b, 48, sv);
        for (size_t i = 1; i <= b.size() / 512; ++i) {
            std::memcpy(b.data() + 48 + 2 * i, b.data() + i * 512 - 2, 2);
            P16(b, i * 512 - 2, static_cast<uint16_t>(torn && i == 2 ? sv + 1 : sv));
        }
        return b;
    }
    std::vector<uint8_t> b;
    uint32_t pos = 56;
};

TEST(MftRecords, FixupsRestoreSectorTailsAndRejectTornOrMalformedRecords) {
    auto good = Rec().Resident(0x80, 600).Seal();
    EXPECT_EQ(good[510], 0xBC);
    ASSERT_TRUE(ApplyUpdateSequenceFixups(good.data(), 1024));
    EXPECT_EQ(good[510], 0);   // the bytes under each sector's tail came back
    EXPECT_EQ(good[1022], 0);

    auto torn = Rec().Seal(true);
    EXPECT_FALSE(ApplyUpdateSequenceFixups(torn.data(), 1024));
    auto badCount = Rec().Seal();
    P16(badCount, 6, 2);
    EXPECT_FALSE(ApplyUpdateSequenceFixups(badCount.data(), 1024));
    auto pastEnd = Rec().Seal();
    P16(pastEnd, 4, 1020);
    EXPECT_FALSE(ApplyUpdateSequenceFixups(pastEnd.data(), 1024));
    std::vector<uint8_t> odd(1000, 0);
    EXPECT_FALSE(ApplyUpdateSequenceFixups(odd.data(), 1000));

    // A torn record is still read by the scans (its fixups are ignored).
    auto tornData = Rec().Resident(0x80, 77).Seal(true);
    FileRecordFacts f = InspectFileRecord(tornData.data(), 1024);
    EXPECT_FALSE(f.fixupsOk);
    EXPECT_TRUE(f.hasData);
    EXPECT_EQ(f.size, 77);
}

TEST(MftRecords, DataSizesFromTheUnnamedStreamOnly) {
    struct Case {
        const char* what;
        std::vector<uint8_t> record;
        bool found;
        int64_t size, allocated;
    };
    const std::vector<uint8_t> runs{0x11, 0x02, 0x10, 0x00};
    std::vector<Case> cases{
        {"resident", Rec().Resident(0x10, 48).Resident(0x80, 300).Seal(), true, 300, 300},
        {"non-resident", Rec().NonResident(8192, 5000, runs).Seal(), true, 5000, 8192},
        {"negative sizes", Rec().NonResident(-1, -4096, runs).Seal(), true, 0, 0},
        {"named stream only", Rec().Resident(0x80, 40, L"Zone").Seal(), false, 0, 0},
        {"named stream first", Rec().Resident(0x80, 40, L"Zone").Resident(0x80, 12).Seal(), true, 12, 12},
        {"no attributes", Rec().Seal(), false, 0, 0},
    };
    auto shortLength = Rec().Resident(0x80, 10).Seal();
    P32(shortLength, 56 + 4, 8);
    cases.push_back({"attribute length below 16", shortLength, false, 0, 0});
    auto longLength = Rec().Resident(0x80, 10).Seal();
    P32(longLength, 56 + 4, 5000);
    cases.push_back({"attribute past the record", longLength, false, 0, 0});
    for (auto& c : cases) {
        ApplyUpdateSequenceFixups(c.record.data(), 1024);
        int64_t size = -9, allocated = -9;
        EXPECT_EQ(GetDataAttributeSizes(c.record.data(), 1024, &size, &allocated), c.found) << c.what;
        EXPECT_EQ(size, c.size) << c.what;
        EXPECT_EQ(allocated, c.allocated) << c.what;
    }
}

TEST(MftRecords, MappingPairs) {
    struct Case {
        const char* what;
        std::vector<uint8_t> pairs;
        uint64_t totalClusters;
        std::vector<std::pair<int64_t, uint64_t>> runs;   // empty = the decode fails
    };
    const std::vector<Case> cases{
        {"one run", {0x21, 0x10, 0x00, 0x10}, 0, {{4096, 16}}},
        {"then sparse", {0x21, 0x10, 0x00, 0x10, 0x01, 0x08, 0x00}, 0, {{4096, 16}, {-1, 8}}},
        {"backward delta", {0x21, 0x10, 0x00, 0x10, 0x11, 0x04, 0xF0, 0x00}, 0, {{4096, 16}, {4080, 4}}},
        {"header past the end", {0x21, 0x10, 0x00}, 0, {}},
        {"count wider than 8 bytes", {0x19, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0x00}, 0, {}},
        {"offset wider than 8 bytes", {0x91, 0x01, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0x00}, 0, {}},
        {"zero count", {0x11, 0x00, 0x10, 0x00}, 0, {}},
        {"cluster before the volume", {0x11, 0x04, 0xF0, 0x00}, 0, {}},
        {"cluster past the volume", {0x21, 0x10, 0x00, 0x10, 0x00}, 4100, {}},
        {"run ending past the volume", {0x21, 0x10, 0x00, 0x10, 0x00}, 4111, {}},
        {"empty list", {0x00}, 0, {}},
    };
    for (const Case& c : cases) {
        std::vector<DataRun> out;
        const bool ok = DecodeDataRuns(c.pairs.data(), c.pairs.size(), out, c.totalClusters);
        EXPECT_EQ(ok, !c.runs.empty()) << c.what;
        if (!ok) continue;
        ASSERT_EQ(out.size(), c.runs.size()) << c.what;
        for (size_t i = 0; i < out.size(); ++i) {
            EXPECT_EQ(out[i].lcn, c.runs[i].first) << c.what;
            EXPECT_EQ(out[i].clusterCount, c.runs[i].second) << c.what;
        }
    }
}

// A volume image in a plain file on drive T:, read by the run scan through the volume layer.
class MftImage : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = testfx::FixtureDrive(L'T');
        if (root_.empty()) GTEST_SKIP() << "fixture drive T: not mapped";
        VolumeIoResetForTests();
    }
    void TearDown() override {
        if (h_ != INVALID_HANDLE_VALUE) VolumeIoCloseHandle(h_);
        VolumeIoResetForTests();
    }
    void Place(uint64_t offset, const std::vector<uint8_t>& bytes) {
        if (image_.size() < offset + bytes.size()) image_.resize(offset + bytes.size(), 0);
        std::memcpy(image_.data() + offset, bytes.data(), bytes.size());
    }
    HANDLE Open() {
        std::string s(image_.begin(), image_.end());
        EXPECT_TRUE(testfx::WriteFileBytes(root_ + L"vol.img", s));
        h_ = VolumeIoCreateFile((root_ + L"vol.img").c_str(), GENERIC_READ, 7, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(h_, INVALID_HANDLE_VALUE);
        return h_;
    }
    std::wstring root_;
    std::vector<uint8_t> image_;
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

TEST_F(MftImage, RunScanNumbersRecordsAcrossClusterSizesAndSparseRuns) {
    struct Geometry {
        uint32_t cluster;
        std::vector<DataRun> runs;   // relative to the table
    };
    // 512-byte clusters: runs of odd lengths split records between runs; 64 KiB clusters: 64
    // records per cluster and a sparse cluster skips 64 numbers.
    const std::vector<Geometry> geometries{
        {512, {{10, 3}, {-1, 2}, {40, 4}, {70, 3}}},
        {65536, {{2, 1}, {-1, 1}, {5, 1}}},
        {4096, {{8, 1}, {-1, 3}, {20, 2}}},
    };
    for (const Geometry& g : geometries) {
        image_.clear();
        // The table as one stream of bytes: a record every 1024 bytes wherever it lies wholly
        // in data runs; then each run's share of the stream is placed at its clusters.
        uint64_t vcnBytes = 0;
        std::vector<std::pair<uint64_t, uint64_t>> dataRanges;
        for (const DataRun& r : g.runs) {
            if (r.lcn >= 0) dataRanges.push_back({vcnBytes, vcnBytes + r.clusterCount * g.cluster});
            vcnBytes += r.clusterCount * g.cluster;
        }
        auto inData = [&](uint64_t from, uint64_t to) {
            for (auto [a, b] : dataRanges)
                if (from < b && to > a && (from < a || to > b)) {
                    // partly in this range: the rest must be in the adjacent data range
                    bool whole = true;
                    for (uint64_t x = from; x < to; x += 512) {
                        bool any = false;
                        for (auto [c, d] : dataRanges) any = any || (x >= c && x < d);
                        whole = whole && any;
                    }
                    return whole;
                }
            for (auto [a, b] : dataRanges)
                if (from >= a && to <= b) return true;
            return false;
        };
        std::vector<uint8_t> stream(vcnBytes, 0);
        std::map<uint64_t, std::vector<uint8_t>> written;
        for (uint64_t n = 0; (n + 1) * 1024 <= vcnBytes; ++n) {
            if (!inData(n * 1024, (n + 1) * 1024)) continue;
            auto rec = Rec(1024, 1, 0, static_cast<uint16_t>(n & 7)).Resident(0x80, 100 + static_cast<uint32_t>(n)).Seal();
            std::memcpy(stream.data() + n * 1024, rec.data(), 1024);
            written[n] = rec;
        }
        uint64_t at = 0;
        for (const DataRun& r : g.runs) {
            const uint64_t bytes = r.clusterCount * g.cluster;
            if (r.lcn >= 0)
                Place(static_cast<uint64_t>(r.lcn) * g.cluster,
                      std::vector<uint8_t>(stream.begin() + at, stream.begin() + at + bytes));
            at += bytes;
        }
        MftVolumeGeometry geo;
        geo.bytesPerCluster = g.cluster;
        geo.bytesPerFileRecord = 1024;
        geo.mftValidDataLength = vcnBytes;
        MftSizeMap out;
        uint64_t lastDone = 0;
        ASSERT_EQ(ScanMftByDataRuns(Open(), geo, g.runs, out, [&](uint64_t d, uint64_t) { lastDone = d; }, nullptr),
                  MftScanResult::Complete);
        VolumeIoCloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
        EXPECT_EQ(lastDone, vcnBytes / 1024) << g.cluster;
        ASSERT_EQ(out.size(), written.size()) << g.cluster;
        for (auto& [n, rec] : written) {
            const uint64_t key = n | (static_cast<uint64_t>(rec[16] | (rec[17] << 8)) << 48);
            ASSERT_TRUE(out.count(key)) << g.cluster << " record " << n;
            EXPECT_EQ(out[key].size, static_cast<int64_t>(100 + n));
        }
    }
}

TEST_F(MftImage, ExtensionRecordsGiveTheirBaseItsSizeAndFailedReadsAreNotTheEnd) {
    // Record 0: table; 1: a folder; 2: a base with an attribute list; 3: its extension holding
    // $DATA; 4: a deleted file; 5: a file with only a named stream.
    const std::vector<uint8_t> runs{0x11, 0x02, 0x05, 0x00};
    Place(0 * 1024, Rec().NonResident(8192, 6 * 1024, {0x11, 0x02, 0x05, 0x00}).Seal());
    Place(1 * 1024, Rec(1024, 3).Seal());
    Place(2 * 1024, Rec(1024, 1, 0, 7).Resident(0x10, 48).AttributeList({{0, 3 | (1ull << 48)}}).Seal());
    Place(3 * 1024, Rec(1024, 1, 2 | (7ull << 48)).NonResident(1 << 20, 999999, runs).Seal());
    Place(4 * 1024, Rec(1024, 0).Resident(0x80, 50).Seal());
    Place(5 * 1024, Rec().Resident(0x80, 50, L"Zone").Seal());
    std::vector<uint8_t> table = image_;
    image_.assign(5 * 4096, 0);
    Place(5 * 4096, table);
    image_.resize(7 * 4096);
    MftVolumeGeometry geo{4096, 1024, 6 * 1024, 5, 0};
    MftSizeMap out;
    ASSERT_EQ(ScanMftByDataRuns(Open(), geo, {{5, 2}}, out, nullptr, nullptr), MftScanResult::Complete);
    ASSERT_EQ(out.size(), 2u);   // the table itself and the file of record 2
    ASSERT_TRUE(out.count(2 | (7ull << 48)));
    EXPECT_EQ(out[2 | (7ull << 48)].size, 999999);

    // Clusters past the end of the image cannot be read: a failure, not the end of the table.
    out.clear();
    EXPECT_EQ(ScanMftByDataRuns(h_, geo, {{5, 1}, {90, 1}}, out, nullptr, nullptr), MftScanResult::ReadFailed);

    // The same table read as a file, one record at a time, ends at the end of the file.
    VolumeIoCloseHandle(h_);
    image_ = table;
    out.clear();
    ASSERT_EQ(ScanMftFileSequential(Open(), 1024, 6, out, nullptr, nullptr), MftScanResult::Complete);
    EXPECT_EQ(out.size(), 2u);
    out.clear();
    int polls = 0;
    VolumeIoCloseHandle(h_);
    EXPECT_EQ(ScanMftFileSequential(Open(), 1024, 6, out, nullptr, [&] { return ++polls > 2; }), MftScanResult::Cancelled);
}

TEST_F(MftImage, TableRunsFollowItsAttributeListAndMustCoverTheValidLength) {
    // $MFT in two extents: record 0 holds clusters 0..1 at LCN 8, the extension record 0x20
    // holds clusters 2..3 at LCN 30.
    auto zero = Rec().Resident(0x10, 48).AttributeList({{0, 1ull << 48}, {2, 0x20 | (1ull << 48)}})
                    .NonResident(4 * 4096, 4 * 4096, {0x11, 0x02, 0x08, 0x00}).Seal();
    Place(8 * 4096, zero);
    image_.resize(40 * 4096);
    auto ext = Rec(1024, 1, 1ull << 48).NonResident(0, 0, {0x11, 0x02, 0x1E, 0x00}, 2).Seal();
    std::vector<BYTE> answer(12 + 1024, 0);
    uint64_t ref = 0x20;
    std::memcpy(answer.data(), &ref, 8);
    uint32_t len = 1024;
    std::memcpy(answer.data() + 8, &len, 4);
    std::memcpy(answer.data() + 12, ext.data(), 1024);
    HANDLE h = Open();
    MftVolumeGeometry geo{4096, 1024, 16 * 1024, 8, 1000};
    std::vector<DataRun> runs;
    VolumeIoScriptOutput(L'T', FSCTL_GET_NTFS_FILE_RECORD, answer);
    ASSERT_TRUE(ReadMftDataRuns(h, geo, runs));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[1].lcn, 30);

    // Without the extension the runs stop short of the valid length: refused.
    VolumeIoScriptError(L'T', FSCTL_GET_NTFS_FILE_RECORD, ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(ReadMftDataRuns(h, geo, runs));
    // An answer for another record (the asked one is not in use) is refused too.
    std::vector<BYTE> other = answer;
    ref = 0x1F;
    std::memcpy(other.data(), &ref, 8);
    VolumeIoScriptOutput(L'T', FSCTL_GET_NTFS_FILE_RECORD, other);
    EXPECT_FALSE(ReadMftDataRuns(h, geo, runs));
}

// The drive's files read through the layer's view of it as an NTFS volume.
class MftDrive : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = testfx::FixtureDrive(L'T');
        if (root_.empty()) GTEST_SKIP() << "fixture drive T: not mapped";
        VolumeIoResetForTests();
        state_ = testfx::MakeScratchDir(L"mftdrive-state");
        VolumeIoSetStateFolder(state_);
        cfg_ = std::make_unique<ScratchConfig>(L"mftdrive-config");
        cache_ = GetMftSizeCachePath(L'T');
        // Sizes chosen for every layout: empty, resident, non-resident in runs, large.
        const size_t sizes[] = {0, 1, 300, 481, 4096, 5000, 70000, 300000};
        CreateDirectoryW((root_ + L"a").c_str(), nullptr);
        CreateDirectoryW((root_ + L"a\\b").c_str(), nullptr);
        for (int i = 0; i < 40; ++i) {
            std::wstring p = root_ + (i % 3 == 0 ? L"" : i % 3 == 1 ? L"a\\" : L"a\\b\\") + L"f" + std::to_wstring(i);
            ASSERT_TRUE(testfx::WriteFileBytes(p, std::string(sizes[i % 8] + i, 'x')));
            files_.push_back(p);
        }
        // The journal is created as the index would.
        HANDLE v = VolumeIoCreateFile(L"\\\\.\\T:", GENERIC_READ, 7, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                      nullptr);
        ASSERT_NE(v, INVALID_HANDLE_VALUE);
        VolumeIoCreateUsnJournalData c{0x10000000, 0x1000000};
        DWORD got = 0;
        VolumeIoDeviceIoControl(v, FSCTL_CREATE_USN_JOURNAL, &c, sizeof c, nullptr, 0, &got, nullptr);
        VolumeIoCloseHandle(v);
    }
    void TearDown() override {
        VolumeIoResetForTests();
        VolumeIoSetStateFolder(L"");
    }
    uint64_t RefOf(const std::wstring& path) {
        HANDLE h = VolumeIoCreateFile(path.c_str(), 0, 7, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        BY_HANDLE_FILE_INFORMATION info{};
        EXPECT_TRUE(VolumeIoGetFileInformationByHandle(h, &info));
        VolumeIoCloseHandle(h);
        return (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    }
    int64_t SizeOf(const std::wstring& path) {
        WIN32_FILE_ATTRIBUTE_DATA d{};
        GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d);
        return static_cast<int64_t>((static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow);
    }
    void ExpectSizes(const MftSizeMap& m) {
        for (const std::wstring& p : files_) {
            if (GetFileAttributesW(p.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
            const int64_t size = SizeOf(p);
            auto it = m.find(RefOf(p));
            if (size == 0) {
                EXPECT_TRUE(it == m.end() || it->second.size == 0);
                continue;
            }
            ASSERT_TRUE(it != m.end()) << testing::PrintToString(p);
            EXPECT_EQ(it->second.size, size);
            EXPECT_GE(it->second.allocated, size);
        }
    }
    std::wstring root_, state_, cache_;
    std::unique_ptr<ScratchConfig> cfg_;
    std::vector<std::wstring> files_;
};

TEST_F(MftDrive, FullScanThenCatchUpRereadsOnlyTheChangedFiles) {
    MftSizeMap m;
    std::wstring error;
    MftSizeMapStats stats;
    // Every file is a record of the table: its number is below the table's record count, whichever
    // way the map was made.
    auto expectRecordsCounted = [&] {
        for (const std::wstring& p : files_) {
            if (GetFileAttributesW(p.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
            EXPECT_LT(RefOf(p) & kMftRecordMask, stats.fileRecords) << testing::PrintToString(p);
        }
    };
    ASSERT_TRUE(BuildMftSizeMap(L't', m, nullptr, nullptr, &error, &cache_, &stats)) << testing::PrintToString(error);
    EXPECT_TRUE(stats.fullScan);
    ExpectSizes(m);
    expectRecordsCounted();
    ASSERT_TRUE(FileExists(cache_));

    // Nothing changed: the cache is current.
    ASSERT_TRUE(BuildMftSizeMap(L'T', m, nullptr, nullptr, &error, &cache_, &stats));
    EXPECT_TRUE(stats.fromCache);
    EXPECT_EQ(stats.recordsReread, 0u);

    // Grow one file, shrink one whose data lives in an extension record, delete one, add one.
    ASSERT_TRUE(testfx::WriteFileBytes(files_[5], std::string(123456, 'y')));
    ASSERT_TRUE(testfx::WriteFileBytes(files_[3], std::string(7, 'y')));
    files_.push_back(root_ + L"a\\new.bin");
    ASSERT_TRUE(testfx::WriteFileBytes(files_.back(), std::string(9999, 'z')));
    const uint64_t gone = RefOf(files_[9]);   // deleted after the creation: its number is not reused
    ASSERT_TRUE(DeleteFileW(files_[9].c_str()));
    ASSERT_TRUE(VolumeIoRunChangeScan(L'T', true));
    ASSERT_TRUE(BuildMftSizeMap(L'T', m, nullptr, nullptr, &error, &cache_, &stats));
    EXPECT_TRUE(stats.fromCache);
    EXPECT_FALSE(stats.fullScan);
    EXPECT_GE(stats.journalChanges, 3u);
    EXPECT_LE(stats.recordsReread, 8u);   // the changed files (and an extension record each)
    ExpectSizes(m);
    expectRecordsCounted();
    EXPECT_FALSE(m.count(gone));

    // The caught-up map is what a full scan finds.
    MftSizeMap full;
    ASSERT_TRUE(BuildMftSizeMap(L'T', full, nullptr, nullptr, &error, nullptr, &stats));
    EXPECT_TRUE(stats.fullScan);
    EXPECT_EQ(full.size(), m.size());
    for (auto& [k, v] : full) {
        if ((k & kMftRecordMask) == 0) continue;   // the table's own entry
        EXPECT_EQ(m[k].size, v.size);
    }
}

TEST_F(MftDrive, CatchUpFaultsFallBackOrForgetTheFile) {
    MftSizeMap m;
    std::wstring error;
    MftSizeMapStats stats;
    ASSERT_TRUE(BuildMftSizeMap(L'T', m, nullptr, nullptr, &error, &cache_, &stats));
    const size_t before = m.size();

    // A journal read that fails for another reason than a deleted journal: a full scan, never a
    // partial map saved as current.
    ASSERT_TRUE(testfx::WriteFileBytes(files_[6], std::string(4444, 'q')));
    ASSERT_TRUE(VolumeIoRunChangeScan(L'T', true));
    VolumeIoScriptError(L'T', FSCTL_READ_USN_JOURNAL, ERROR_INVALID_PARAMETER);
    ASSERT_TRUE(BuildMftSizeMap(L'T', m, nullptr, nullptr, &error, &cache_, &stats));
    EXPECT_TRUE(stats.fullScan);
    ExpectSizes(m);

    // The record call answering a lower record: the asked file is gone.
    ASSERT_TRUE(testfx::WriteFileBytes(files_[7], std::string(5555, 'q')));
    ASSERT_TRUE(VolumeIoRunChangeScan(L'T', true));
    const uint64_t ref = RefOf(files_[7]);
    std::vector<BYTE> lower(12 + 1024, 0);
    const uint64_t answered = (ref & kMftRecordMask) - 1;
    std::memcpy(lower.data(), &answered, 8);
    VolumeIoScriptOutput(L'T', FSCTL_GET_NTFS_FILE_RECORD, lower);
    ASSERT_TRUE(BuildMftSizeMap(L'T', m, nullptr, nullptr, &error, &cache_, &stats));
    EXPECT_TRUE(stats.fromCache);
    EXPECT_FALSE(m.count(ref));
    EXPECT_EQ(m.size(), before - 1);

    // Cancelled while catching up: reported, map empty.
    ASSERT_TRUE(testfx::WriteFileBytes(files_[8], std::string(3, 'q')));
    ASSERT_TRUE(VolumeIoRunChangeScan(L'T', true));
    EXPECT_FALSE(BuildMftSizeMap(L'T', m, nullptr, [] { return true; }, &error, &cache_, &stats));
    EXPECT_TRUE(m.empty());
    EXPECT_EQ(error, L"MFT scan cancelled");
    EXPECT_FALSE(BuildMftSizeMap(L'!', m, nullptr, nullptr, &error, nullptr));
    EXPECT_EQ(error, L"Invalid drive letter");
}

}  // namespace
