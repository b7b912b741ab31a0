// Parsing USN_RECORD_V2 buffers: the enumeration's records and the monitor's changes.
#include <gtest/gtest.h>

#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

#include "UsnTestData.h"
#include "index/Index.h"

namespace {

using usntest::Entry;
using usntest::MakeBuffer;

UsnBatch* Batch(const std::vector<uint8_t>& bytes, uint32_t reported) {
    auto* b = new UsnBatch;
    b->data = bytes;
    b->data.resize(std::max<size_t>(bytes.size(), 0x10000), 0);
    b->bytesReturned = reported;
    return b;
}

std::wstring NameOf(const FileRecord& r) { return std::wstring(r.name, r.nameLength); }

TEST(UsnEnumeration, ParsesEntriesAndStopsAtMalformedOnes) {
    const std::vector<Entry> three = {{0x0001000000000020ull, 5, L"Docs", 0, 0x10},
                                      {0x0002000000000021ull, 0x0001000000000020ull, L"a.txt"},
                                      {0x22, 5, L"b.txt"}};
    // Entry offsets: 8, 8+72=80, 80+72=152 (each name <= 6 chars rounds to 72 bytes).
    struct Case {
        const char* what;
        size_t patchOffset;  // offset of a 32-bit field to patch (0: none)
        uint32_t value;
        size_t expected;
    } cases[] = {
        {"well formed", 0, 0, 3},
        {"third entry 40 bytes long", 152, 40, 2},
        {"second entry runs past the buffer", 80, 0x10000, 1},
        {"name runs past its entry", 80 + 56, 0x0040FFFF, 1},  // FileNameLength 0xFFFF
        {"zero length entry", 8, 0, 0},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> buf = MakeBuffer(0x99, three);
        if (c.patchOffset) usntest::Patch32(buf, c.patchOffset, c.value);
        VolumeIndex v;
        v.AddUsnRecords(Batch(buf, static_cast<uint32_t>(buf.size())));
        EXPECT_EQ(v.records.size(), c.expected) << c.what;
    }
    VolumeIndex v;
    std::vector<uint8_t> buf = MakeBuffer(0x99, three);
    v.AddUsnRecords(Batch(buf, static_cast<uint32_t>(buf.size())));
    ASSERT_EQ(v.records.size(), 3u);
    EXPECT_EQ(NameOf(v.records[0]), L"Docs");
    EXPECT_EQ(v.records[0].isDirectory, 1u);
    EXPECT_EQ(v.records[1].parentFrn, 0x0001000000000020ull);
    EXPECT_EQ(std::wstring(v.records[2].name + 6), L"b.txt");
    // The reference map is built afterwards: both keys of a sequenced reference.
    v.BuildReferenceMap();
    EXPECT_EQ(v.frnToRecord.find(0x0002000000000021ull)->second, 1u);
    EXPECT_EQ(v.frnToRecord.find(0x21)->second, 1u);
}

TEST(UsnEnumeration, HostileSizesAreBounded) {
    std::vector<uint8_t> buf = MakeBuffer(0x99, {{0x30, 5, L"x"}});
    VolumeIndex v;
    // Only the next-start reference; a claimed size beyond the buffer; an odd name offset.
    v.AddUsnRecords(Batch(MakeBuffer(0x99, {}), 8));
    EXPECT_TRUE(v.records.empty());
    auto* big = new UsnBatch;
    big->data = buf;
    big->bytesReturned = 0xFFFFFFFF;  // more than the buffer holds
    v.AddUsnRecords(big);
    EXPECT_EQ(v.records.size(), 1u);
    std::vector<uint8_t> odd = MakeBuffer(0x99, {{0x31, 5, L"abc"}});
    usntest::Patch16(odd, 8 + 58, 61);  // name at an odd offset, still inside the entry
    v.AddUsnRecords(Batch(odd, static_cast<uint32_t>(odd.size())));
    EXPECT_EQ(v.records.size(), 2u);
    v.AddUsnRecords(nullptr);
}

// The parser thread as the build runs it, on enough records for several name chunks and record
// blocks (made ready by its helpers) and a reference map with slots per record number.
TEST(UsnEnumeration, ParserThreadBuildsLargeVolumes) {
    constexpr uint64_t kCount = 150000;
    auto nameOf = [](uint64_t i) { return L"File_" + std::to_wstring(i * 7919) + L"_NAME.Txt"; };
    auto frnOf = [](uint64_t i) {
        // Dense numbers with sequence numbers; a few numbers far beyond the others; the last 100
        // records reuse the numbers of earlier ones (64, 1064, ...) with another sequence number.
        if (i % 50000 == 49999) return 0x0100000000000000ull | (1ull << 40) | i;
        if (i >= kCount - 100) return 0x0009000000000000ull | ((i - (kCount - 100)) * 1000 + 64);
        return (static_cast<uint64_t>(1 + i % 5) << 48) | (64 + i);
    };
    VolumeIndex v;
    v.root = L"T:";
    std::unordered_map<uint64_t, uint64_t> ref;
    {
        UsnBuildQueue q;
        q.volume = &v;
        std::thread consumer(UsnRecordWorkerThread, &q);
        std::vector<Entry> entries;
        auto flush = [&] {
            std::vector<uint8_t> buf = MakeBuffer(0, entries);
            entries.clear();
            std::lock_guard<std::mutex> lock(q.mutex);
            q.queue.push_back(Batch(buf, static_cast<uint32_t>(buf.size())));
            q.cv.notify_one();
        };
        for (uint64_t i = 0; i < kCount; ++i) {
            entries.push_back({frnOf(i), 5, nameOf(i), 0, i % 10 ? 0x20u : 0x10u});
            if (entries.size() == 600) flush();
        }
        flush();
        {
            std::lock_guard<std::mutex> lock(q.mutex);
            q.stop = true;
        }
        q.cv.notify_one();
        consumer.join();
    }
    ASSERT_EQ(v.records.size(), kCount);
    EXPECT_GT(v.names.chunks.size(), 2u);
    v.BuildReferenceMap();
    for (uint64_t i = 0; i < kCount; ++i) {
        ref[frnOf(i)] = i;
        ref[frnOf(i) & kFrnRecordMask] = i;
    }
    for (uint64_t i = 0; i < kCount; ++i) {
        const FileRecord& r = v.records[i];
        const std::wstring name = nameOf(i);
        ASSERT_EQ(std::wstring(r.name, r.nameLength), name) << i;
        std::wstring lower = name;
        for (wchar_t& c : lower) c = (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
        ASSERT_EQ(std::wstring(r.name + r.nameLength + 1), lower) << i;
        ASSERT_EQ(r.isDirectory, i % 10 ? 0u : 1u);
    }
    EXPECT_EQ(v.frnToRecord.size(), ref.size());
    for (const auto& [k, index] : ref) {
        auto it = v.frnToRecord.find(k);
        ASSERT_NE(it, v.frnToRecord.end()) << k;
        ASSERT_EQ(it->second, index) << k;
    }
    // Much less than a hashed map of that many references would take.
    EXPECT_LT(v.frnToRecord.MemoryBytes(), kCount * 8);
}

struct MonitorApply : ::testing::Test {
    VolumeIndex v;
    void SetUp() override {
        v.root = L"T:";
        v.rootFrn = 5;
        std::vector<uint8_t> buf = MakeBuffer(0, {{0x0001000000000040ull, 5, L"Dir", 0, 0x10},
                                                  {0x0001000000000041ull, 5, L"Other", 0, 0x10},
                                                  {0x0003000000000042ull, 0x0001000000000040ull, L"old.txt"}});
        v.AddUsnRecords(Batch(buf, static_cast<uint32_t>(buf.size())));
        v.BuildReferenceMap();
    }
    int64_t Apply(const std::vector<Entry>& entries, uint64_t next = 1000) {
        std::vector<uint8_t> buf = MakeBuffer(next, entries);
        return v.ApplyUsnJournalBuffer(buf.data(), static_cast<uint32_t>(buf.size()));
    }
    std::wstring Path(uint64_t frn) {
        auto it = v.frnToRecord.find(frn);
        if (it == v.frnToRecord.end()) return L"<none>";
        bool reached = false;
        std::wstring p = v.BuildFullPath(it->second, &reached);
        if (v.records[it->second].deleted) return L"<deleted>";
        return reached ? p : L"<unresolved>";
    }
};

TEST_F(MonitorApply, CreateRenameMoveDelete) {
    const uint64_t f = 0x0002000000000050ull;
    EXPECT_EQ(Apply({{f, 0x0001000000000040ull, L"new.txt", USN_REASON_FILE_CREATE}}, 1234), 1234);
    ASSERT_EQ(v.records.size(), 4u);
    EXPECT_EQ(Path(f), L"T:\\Dir\\new.txt");
    EXPECT_EQ(v.frnToRecord.find(0x50)->second, 3u);  // also under its record number
    // A rename: the old-name entry is skipped, the new-name entry renames.
    Apply({{f, 0x0001000000000040ull, L"new.txt", USN_REASON_RENAME_OLD_NAME},
           {f, 0x0001000000000040ull, L"renamed.txt", USN_REASON_RENAME_NEW_NAME}});
    EXPECT_EQ(Path(f), L"T:\\Dir\\renamed.txt");
    // A move to another folder.
    Apply({{f, 0x0001000000000041ull, L"renamed.txt", USN_REASON_RENAME_NEW_NAME}});
    EXPECT_EQ(Path(f), L"T:\\Other\\renamed.txt");
    EXPECT_EQ(v.records.size(), 4u);
    Apply({{f, 0x0001000000000041ull, L"renamed.txt", USN_REASON_FILE_DELETE | USN_REASON_CLOSE}});
    EXPECT_EQ(Path(f), L"<deleted>");
    EXPECT_EQ(v.deletedCount, 1u);
    // The same reference gets a name again: live once more.
    Apply({{f, 5, L"back.txt", USN_REASON_FILE_CREATE}});
    EXPECT_EQ(Path(f), L"T:\\back.txt");
    EXPECT_EQ(v.deletedCount, 0u);
}

TEST_F(MonitorApply, CreatedAndDeletedBetweenReads) {
    const uint64_t f = 0x60;
    Apply({{f, 5, L"tmp.txt", USN_REASON_FILE_CREATE},
           {f, 5, L"tmp.txt", USN_REASON_FILE_CREATE | USN_REASON_FILE_DELETE | USN_REASON_CLOSE}});
    EXPECT_EQ(Path(f), L"<deleted>");
    EXPECT_EQ(v.deletedCount, 1u);
}

TEST_F(MonitorApply, ChangesDropCachedSizesAndTimes) {
    const uint64_t f = 0x0003000000000042ull;
    auto fill = [&] {
        v.attrCache[f] = FileAttrInfo{10, {1, 0}, {1, 0}, true};
        v.fileSizes[f] = SizePair{10, 4096};
        v.fileSizes[0x42] = SizePair{10, 4096};
        v.folderSizesDirty = false;
    };
    for (uint32_t reason : {(uint32_t)USN_REASON_DATA_EXTEND, (uint32_t)USN_REASON_DATA_OVERWRITE,
                            (uint32_t)USN_REASON_DATA_TRUNCATION, (uint32_t)USN_REASON_BASIC_INFO_CHANGE,
                            (uint32_t)USN_REASON_FILE_DELETE}) {
        fill();
        Apply({{f, 0x0001000000000040ull, L"old.txt", reason}});
        EXPECT_TRUE(v.attrCache.empty()) << reason;
        EXPECT_TRUE(v.fileSizes.empty()) << reason;
        EXPECT_TRUE(v.folderSizesDirty) << reason;
    }
    // A deletion of an unknown reference changes no record but drops its cache entries.
    v.attrCache[0x77] = FileAttrInfo{1, {}, {}, true};
    const size_t before = v.records.size();
    Apply({{0x77, 5, L"x", USN_REASON_FILE_DELETE}});
    EXPECT_EQ(v.records.size(), before);
    EXPECT_TRUE(v.attrCache.empty());
}

TEST_F(MonitorApply, UnknownChangedFileIsAdded) {
    // A file written while the volume was enumerated: its data change brings it in.
    Apply({{0x70, 0x0001000000000040ull, L"late.txt", USN_REASON_DATA_EXTEND}});
    EXPECT_EQ(Path(0x70), L"T:\\Dir\\late.txt");
    // The old-name half of a rename never adds a record.
    const size_t n = v.records.size();
    Apply({{0x71, 5, L"was.txt", USN_REASON_RENAME_OLD_NAME}});
    EXPECT_EQ(v.records.size(), n);
}

TEST_F(MonitorApply, ShortBuffersKeepThePosition) {
    v.nextUsn = 77;
    uint8_t four[4] = {1, 2, 3, 4};
    EXPECT_EQ(v.ApplyUsnJournalBuffer(four, 4), 77);
    EXPECT_EQ(v.ApplyUsnJournalBuffer(nullptr, 100), 77);
    // A malformed entry drops the rest of the buffer but the position still moves on.
    std::vector<uint8_t> buf = MakeBuffer(500, {{0x80, 5, L"a", USN_REASON_FILE_CREATE}, {0x81, 5, L"b", USN_REASON_FILE_CREATE}});
    usntest::Patch32(buf, 8, 8);
    const size_t n = v.records.size();
    EXPECT_EQ(v.ApplyUsnJournalBuffer(buf.data(), static_cast<uint32_t>(buf.size())), 500);
    EXPECT_EQ(v.records.size(), n);
}

}  // namespace
