// Records, name pool, reference map and path building.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <unordered_map>

#include "index/Index.h"
#include "support/synthetic_volume.h"

namespace {

// Appends a record the way the builds do (caller acts as the builder).
uint64_t AddRecord(VolumeIndex& v, uint64_t frn, uint64_t parent, const std::wstring& name, bool dir = false) {
    return testfx::AppendSyntheticRecord(v, frn, parent, name, dir);
}

TEST(NamePool, StoresNameAndAsciiLowerCopy) {
    NamePool pool;
    const wchar_t* p = pool.Append(L"Readme.TXT", 10);
    EXPECT_EQ(std::wstring(p), L"Readme.TXT");
    EXPECT_EQ(std::wstring(p + 11), L"readme.txt");
    const wchar_t* q = pool.Append(L"\u00C4BC", 3);  // non-ASCII letters are not folded
    EXPECT_EQ(std::wstring(q + 4), L"\u00C4bc");
    const wchar_t* e = pool.Append(L"", 0);
    EXPECT_EQ(e[0], 0);
    EXPECT_EQ(e[1], 0);
    ASSERT_EQ(pool.chunks.size(), 1u);
    EXPECT_EQ(pool.chunks[0].size(), 0x200000u);
}

TEST(NamePool, NewChunkKeepsEarlierPointersValid) {
    NamePool pool;
    std::wstring big(1000, L'x');
    const wchar_t* first = pool.Append(L"First", 5);
    size_t appended = 0;
    while (pool.chunks.size() < 3) {
        pool.Append(big.c_str(), big.size());
        ++appended;
    }
    EXPECT_EQ(std::wstring(first), L"First");
    EXPECT_EQ(std::wstring(first + 6), L"first");
    // An entry larger than a chunk gets a chunk of its own size.
    std::wstring huge(0x100000 + 5, L'Y');
    const wchar_t* h = pool.Append(huge.c_str(), huge.size());
    EXPECT_EQ(h[huge.size() + 1], L'y');
    EXPECT_EQ(pool.chunks.back().size(), 2 * huge.size() + 2);
    pool.Clear();
    EXPECT_TRUE(pool.chunks.empty());
    EXPECT_EQ(pool.usedChars, pool.chunkChars);
}

TEST(FrnMap, FullReferenceAndRecordNumberKeys) {
    FrnMap m;
    const uint64_t a = 0x0003000000000010ull;  // record 0x10, sequence 3
    m.Insert(a, 7);
    m.Insert(0x20, 8);  // no sequence number: one key
    EXPECT_EQ(m.size(), 3u);
    ASSERT_NE(m.find(a), m.end());
    EXPECT_EQ(m.find(a)->second, 7u);
    ASSERT_NE(m.find(0x10), m.end());
    EXPECT_EQ(m.find(0x10)->second, 7u);
    EXPECT_EQ(m.find(0x0004000000000010ull), m.end());  // other sequence number: not a key
    EXPECT_EQ(m.find(0x20)->second, 8u);
    EXPECT_EQ(m.count(0x21), 0u);

    // A reused record number: the new reference takes the 48-bit key, the old one keeps its own.
    const uint64_t b = 0x0004000000000010ull;
    m.Insert(b, 9);
    EXPECT_EQ(m.find(b)->second, 9u);
    EXPECT_EQ(m.find(0x10)->second, 9u);
    EXPECT_EQ(m.find(a)->second, 7u);
    EXPECT_EQ(m.size(), 4u);

    m.InsertExact(1, kRootMarker);
    EXPECT_EQ(m.find(1)->second, kRootMarker);
    m.clear();
    EXPECT_TRUE(m.empty());
    EXPECT_EQ(m.find(a), m.end());
}

TEST(FrnMap, GrowsAndMatchesAPlainMapOnManyKeys) {
    // Hashed slots only, and with record numbers below 40000 in slots of their own.
    for (const uint64_t direct : {uint64_t(0), uint64_t(40000)}) {
        FrnMap m;
        m.PrepareDirect(direct);
        std::unordered_map<uint64_t, uint64_t> ref;
        uint64_t x = 12345;
        for (uint64_t i = 0; i < 50000; ++i) {
            x = x * 6364136223846793005ull + 1442695040888963407ull;
            uint64_t frn;
            if (i % 3 == 0)
                frn = (x >> 20) & kFrnRecordMask;  // a plain record number, mostly far beyond 40000
            else if (i % 3 == 1)
                frn = ((x >> 8) & 0xFFFF00000000FFFFull) | (i << 16 & 0xFFFF0000ull);
            else
                frn = ((x >> 40) << 48) | (x % 30000);  // dense numbers, often reused with another sequence
            m.Insert(frn, i);
            ref[frn] = i;
            if ((frn & kFrnRecordMask) != frn) ref[frn & kFrnRecordMask] = i;
        }
        EXPECT_EQ(m.size(), ref.size()) << direct;
        for (const auto& [k, v] : ref) {
            auto it = m.find(k);
            ASSERT_NE(it, m.end()) << k;
            EXPECT_EQ(it->second, v) << k;
        }
        EXPECT_EQ(m.find(0x0001000000000000ull | 29999) == m.end(), ref.count(0x0001000000000000ull | 29999) == 0);
        EXPECT_EQ(m.find(35000), m.end());  // a free slot of its own
        m.InsertExact(35000, kRootMarker);
        EXPECT_EQ(m.find(35000)->second, kRootMarker);
        EXPECT_GE(m.MemoryBytes(), direct * 6);
        m.clear();
        EXPECT_EQ(m.find(35000), m.end());
        EXPECT_TRUE(m.empty());
    }
}

TEST(RecordList, NodesComeFromBlocksThatAreFreedWithTheRecords) {
    VolumeIndex v;
    const uint64_t empty = v.RecordMemoryBytes();
    for (uint64_t i = 0; i < 100000; ++i) {
        FileRecord r{};
        r.frn = i;
        r.parentFrn = 5;
        v.records.push_back(r);
    }
    EXPECT_GE(v.RecordMemoryBytes(), 100000 * sizeof(FileRecord));
    EXPECT_LE(v.RecordMemoryBytes(), 100000 * sizeof(FileRecord) * 11 / 10 + 2 * RecordNodePool::kBlockBytes);
    for (uint64_t i = 0; i < 100000; i += 999) ASSERT_EQ(v.records[i].frn, i);
    v.ResetContents();
    EXPECT_LE(v.RecordMemoryBytes(), empty + RecordNodePool::kBlockBytes);
    FileRecord r{};
    r.frn = 7;
    v.records.push_back(r);
    EXPECT_EQ(v.records[0].frn, 7u);
}

struct PathFixture : ::testing::Test {
    VolumeIndex v;
    void SetUp() override {
        v.root = L"C:";
        v.rootFrn = 5;
    }
    void Map() { v.BuildReferenceMap(); }
};

TEST_F(PathFixture, JoinsAncestorsUpToTheRoot) {
    const uint64_t dir = AddRecord(v, 0x0001000000000020ull, 0x0005000000000005ull, L"Users", true);
    const uint64_t sub = AddRecord(v, 0x0002000000000021ull, 0x0001000000000020ull, L"Ann", true);
    const uint64_t f = AddRecord(v, 0x0001000000000022ull, 0x0002000000000021ull, L"a.txt");
    Map();
    bool reached = false;
    EXPECT_EQ(v.BuildFullPath(f, &reached), L"C:\\Users\\Ann\\a.txt");
    EXPECT_TRUE(reached);
    EXPECT_EQ(v.BuildFullPath(dir, &reached), L"C:\\Users");
    EXPECT_TRUE(reached);
    EXPECT_EQ(v.BuildResolvedPath(sub), L"C:\\Users\\Ann");
    // A parent found only by its record number (the reference in the record has another sequence).
    const uint64_t g = AddRecord(v, 0x23, 0x0009000000000021ull, L"b.txt");
    Map();
    EXPECT_EQ(v.BuildFullPath(g, &reached), L"C:\\Users\\Ann\\b.txt");
    EXPECT_TRUE(reached);
    // Every reference whose record number is the root's is the root.
    EXPECT_TRUE(v.IsRootFrn(0));
    EXPECT_TRUE(v.IsRootFrn(0x0007000000000005ull));
    EXPECT_FALSE(v.IsRootFrn(0x20));
}

TEST_F(PathFixture, UnresolvedChainsAreFlagged) {
    // Parent unknown, a loop, a deleted parent, an index past the end, a broken name.
    const uint64_t orphan = AddRecord(v, 0x30, 0x999, L"orphan.txt");
    const uint64_t a = AddRecord(v, 0x40, 0x41, L"A", true);
    AddRecord(v, 0x41, 0x40, L"B", true);
    const uint64_t gone = AddRecord(v, 0x50, 5, L"Gone", true);
    v.records[gone].deleted = 1;
    const uint64_t underGone = AddRecord(v, 0x51, 0x50, L"x.txt");
    const uint64_t empty = AddRecord(v, 0x60, 5, L"");
    Map();
    struct Case {
        uint64_t index;
        std::wstring path;
    } cases[] = {
        {orphan, L"C:\\orphan.txt"},
        {a, L"C:\\B\\A"},
        {underGone, L"C:\\x.txt"},
        {9999, L"C:"},
        {empty, L"C:"},
    };
    for (const Case& c : cases) {
        bool reached = true;
        EXPECT_EQ(v.BuildFullPath(c.index, &reached), c.path);
        EXPECT_FALSE(reached) << c.index;
        EXPECT_TRUE(v.BuildResolvedPath(c.index).empty()) << c.index;
        std::wstring out = L"junk";
        EXPECT_FALSE(v.BuildFullPath(c.index, out));
    }
    std::wstring out;
    EXPECT_FALSE(v.BuildFullPath(9999, out));
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(v.BuildFullPathLocked(9999).empty());
    EXPECT_TRUE(v.BuildFullPathLocked(empty).empty());
    EXPECT_EQ(v.BuildFullPathLocked(orphan), L"C:\\orphan.txt");
}

TEST_F(PathFixture, DeepChainKeepsTheNearest64Ancestors) {
    uint64_t parent = 5;
    for (int i = 0; i < 70; ++i) {
        AddRecord(v, 0x100 + i, parent, L"d" + std::to_wstring(i), true);
        parent = 0x100 + i;
    }
    const uint64_t f = AddRecord(v, 0x1000, parent, L"f");
    Map();
    bool reached = true;
    std::wstring p = v.BuildFullPath(f, &reached);
    EXPECT_FALSE(reached);
    EXPECT_EQ(p.rfind(L"C:\\d6\\d7\\", 0), 0u) << p;  // d0..d5 missing: 64 ancestors kept
    EXPECT_EQ(p.substr(p.size() - 5), L"d69\\f");
}

TEST_F(PathFixture, WalkedVolumeRootMarkerAndRename) {
    v.rootFrn = 1;
    const uint64_t f = AddRecord(v, 0x100000, 1, L"file.txt");
    Map();
    v.frnToRecord.InsertExact(1, kRootMarker);
    bool reached = false;
    EXPECT_EQ(v.BuildFullPath(f, &reached), L"C:\\file.txt");
    EXPECT_TRUE(reached);
    EXPECT_TRUE(v.RenameRecord(f, L"New.txt", 7));
    EXPECT_EQ(v.BuildFullPathLocked(f), L"C:\\New.txt");
    EXPECT_EQ(std::wstring(v.records[f].name + 8), L"new.txt");
    EXPECT_FALSE(v.RenameRecord(f, L"", 0));
    EXPECT_FALSE(v.RenameRecord(f + 1, L"x", 1));
}

TEST_F(PathFixture, ResetContentsEmptiesEverything) {
    AddRecord(v, 0x30, 5, L"a");
    Map();
    v.deletedCount = 1;
    v.attrCache[0x30] = FileAttrInfo{1, {}, {}, true};
    v.fileSizes[0x30] = SizePair{1, 1};
    v.folderSizes[5] = 1;
    v.folderSizesDirty = false;
    v.ResetContents();
    EXPECT_TRUE(v.records.empty());
    EXPECT_TRUE(v.names.chunks.empty());
    EXPECT_TRUE(v.frnToRecord.empty());
    EXPECT_EQ(v.deletedCount, 0u);
    EXPECT_TRUE(v.attrCache.empty());
    EXPECT_TRUE(v.fileSizes.empty());
    EXPECT_TRUE(v.folderSizes.empty());
    EXPECT_TRUE(v.folderSizesDirty);
}

}  // namespace

// A rebuild may rename a volume's file system while searches read it: every read sees one whole
// name, never a torn or freed one.
TEST(VolumeIndex, FileSystemNameIsReadWhileARebuildRenamesIt) {
    VolumeIndex v;
    v.fileSystem = L"FAT32";
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        const std::wstring names[] = {L"FAT32", L"a file system name longer than any short-string buffer"};
        for (int i = 0; i < 20000 && !stop.load(); ++i) v.fileSystem = names[i % 2];
        stop = true;
    });
    int odd = 0;
    while (!stop.load()) {
        const std::wstring seen = v.fileSystem;
        if (seen != L"FAT32" && seen != L"a file system name longer than any short-string buffer") ++odd;
        if (v.fileSystem == L"NTFS") ++odd;
    }
    writer.join();
    EXPECT_EQ(odd, 0);
}
