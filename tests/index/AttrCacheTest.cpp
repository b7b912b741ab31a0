// Attribute cache: lookups and stores, attrcache.v1.bin loading and saving, damaged files.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "CacheTestSupport.h"

namespace {

using namespace cachetest;

// attrcache.v1.bin writer for hand-made files.
struct FileBuilder {
    std::string bytes;
    template <typename T>
    FileBuilder& Put(T v) {
        bytes.append(reinterpret_cast<const char*>(&v), sizeof(T));
        return *this;
    }
    FileBuilder& Header(uint32_t sections, uint32_t magic = 0x56534348, uint32_t version = 1) {
        return Put(magic).Put(version).Put(sections);
    }
    FileBuilder& Section(wchar_t letter, uint64_t journal, uint32_t n) {
        return Put(static_cast<uint16_t>(letter)).Put(journal).Put(n);
    }
    FileBuilder& Record(uint64_t frn, uint64_t size, uint64_t w, uint64_t c, uint8_t valid = 1) {
        return Put(frn).Put(size).Put(w).Put(c).Put(valid);
    }
};

class AttrCacheFile : public ::testing::Test {
protected:
    void SetUp() override {
        cfg = std::make_unique<ScratchConfig>(L"attrcache");
        path = cfg->dir + L"\\attrcache.v1.bin";
        auto c = MakeVolume(L"C:", L"NTFS", 0xC1);
        for (uint64_t i = 0; i < 10; ++i) AddRec(*c, 0x0001000000000100ull + i, 5, L"c" + std::to_wstring(i));
        c->BuildReferenceMap();
        auto d = MakeVolume(L"D:", L"NTFS", 0xD1);
        for (uint64_t i = 0; i < 10; ++i) AddRec(*d, 0x200 + i, 5, L"d" + std::to_wstring(i));
        d->BuildReferenceMap();
        auto e = MakeVolume(L"E:", L"FAT32", 0);
        AddRec(*e, 0x300, 5, L"e");
        e->BuildReferenceMap();
        engine.volumes.push_back(std::move(c));
        engine.volumes.push_back(std::move(d));
        engine.volumes.push_back(std::move(e));
    }
    VolumeIndex& C() { return *engine.volumes[0]; }
    VolumeIndex& D() { return *engine.volumes[1]; }
    VolumeIndex& E() { return *engine.volumes[2]; }
    void ClearCaches() {
        for (auto& v : engine.volumes) v->attrCache.clear();
    }

    SearchEngine engine;
    std::unique_ptr<ScratchConfig> cfg;
    std::wstring path;
};

TEST(AttrCacheEntries, LookupCountsAndCopies) {
    auto v = MakeVolume(L"C:");
    uint64_t hits = g_attrCacheHits, misses = g_attrCacheMisses;
    FileAttrInfo out = Attr(7, 7, 7);
    EXPECT_FALSE(v->LookupAttr(42, &out));
    EXPECT_EQ(out.size, 7u);  // a miss leaves out untouched
    v->attrCache[42] = Attr(100, 1, 2);
    FileAttrInfo invalid = Attr(5, 0, 0);
    invalid.valid = false;
    v->attrCache[43] = invalid;
    EXPECT_TRUE(v->LookupAttr(42, &out));
    EXPECT_EQ(out.size, 100u);
    EXPECT_FALSE(v->LookupAttr(43, &out));  // found but not valid: copied all the same
    EXPECT_EQ(out.size, 5u);
    EXPECT_EQ(g_attrCacheHits - hits, 1u);
    EXPECT_EQ(g_attrCacheMisses - misses, 2u);
}

TEST(AttrCacheEntries, StoreCountsChangesAndMarksTotals) {
    auto v = MakeVolume(L"C:");
    v->folderSizesDirty = false;
    uint64_t changes = g_attrCacheChangeCount;
    v->StoreAttr(1, Attr(0, 1, 1));  // new entry of size 0: totals unaffected
    EXPECT_FALSE(v->folderSizesDirty);
    v->StoreAttr(1, Attr(0, 2, 2));  // same size again: counted, totals unaffected
    EXPECT_FALSE(v->folderSizesDirty);
    v->StoreAttr(1, Attr(10, 2, 2));  // size changed
    EXPECT_TRUE(v->folderSizesDirty);
    v->folderSizesDirty = false;
    v->StoreAttr(2, Attr(5, 0, 0));  // new entry with a size
    EXPECT_TRUE(v->folderSizesDirty);
    EXPECT_EQ(g_attrCacheChangeCount - changes, 4u);
}

TEST(AttrCacheEntries, FullCacheTakesNoNewKey) {
    auto v = MakeVolume(L"C:");
    v->attrCache.reserve(kAttrCacheMaxEntries);
    for (uint64_t i = 0; i < kAttrCacheMaxEntries; ++i) v->attrCache.emplace(i, FileAttrInfo{});
    v->folderSizesDirty = false;
    uint64_t changes = g_attrCacheChangeCount;
    v->StoreAttr(kAttrCacheMaxEntries + 1, Attr(9, 1, 1));
    EXPECT_EQ(v->attrCache.size(), kAttrCacheMaxEntries);
    EXPECT_EQ(g_attrCacheChangeCount, changes);
    EXPECT_FALSE(v->folderSizesDirty);
    v->StoreAttr(17, Attr(9, 1, 1));  // an existing key is still updated
    EXPECT_EQ(v->attrCache[17].size, 9u);
    EXPECT_EQ(g_attrCacheChangeCount, changes + 1);
}

TEST_F(AttrCacheFile, SaveThenLoadRoundTrip) {
    C().attrCache[0x0001000000000100ull] = Attr(111, 11, 12);
    C().attrCache[0x0001000000000101ull] = Attr(222, 0, 13);
    C().attrCache[0x0001000000000102ull] = Attr(333, 0, 0);  // no times: not written
    D().attrCache[0x200] = Attr(444, 44, 45);
    E().attrCache[0x300] = Attr(555, 55, 56);  // not NTFS: not written
    ASSERT_TRUE(SaveAttrCache(engine));
    EXPECT_EQ(g_attrCacheSavedCount.load(), g_attrCacheChangeCount.load());
    EXPECT_FALSE(FileExists(path + L".tmp"));
    std::string file = testfx::ReadFileBytes(path);
    EXPECT_EQ(file.size(), 12u + 2 * 14 + 3 * 33);
    EXPECT_EQ(file.substr(0, 4), "HCSV");

    ClearCaches();
    LoadAttrCache(engine);
    EXPECT_EQ(C().attrCache.size(), 2u);
    EXPECT_EQ(C().attrCache[0x0001000000000101ull].size, 222u);
    EXPECT_EQ(Ft(C().attrCache[0x0001000000000101ull].creation), 13u);
    EXPECT_EQ(Ft(D().attrCache[0x200].lastWrite), 44u);
    EXPECT_TRUE(E().attrCache.empty());
    EXPECT_EQ(g_attrCacheSavedCount.load(), g_attrCacheChangeCount.load());
    std::string log = cfg->PerfLog();
    EXPECT_NE(log.find("cache_save ms="), std::string::npos);
    EXPECT_NE(log.find(" entries=3 bytes=139"), std::string::npos) << log;
    EXPECT_NE(log.find("cache_load ms="), std::string::npos);
}

TEST_F(AttrCacheFile, EmptyFileOfZeroSectionsLoadsNothing) {
    ASSERT_TRUE(testfx::WriteFileBytes(path, FileBuilder().Header(0).bytes));
    C().attrCache[0x0001000000000100ull] = Attr(1, 1, 1);
    LoadAttrCache(engine);
    EXPECT_EQ(C().attrCache.size(), 1u);  // no section for C: leaves it alone
    EXPECT_EQ(g_attrCacheSavedCount.load(), g_attrCacheChangeCount.load());
    EXPECT_NE(cfg->PerfLog().find("entries=0 bytes=12"), std::string::npos);
    EXPECT_TRUE(FileExists(path));
}

TEST_F(AttrCacheFile, SectionsMatchByJournalThenLetterAndDropUnknownFiles) {
    FileBuilder b;
    b.Header(3);
    b.Section(L'C', 0xDEAD, 2);  // journal recreated since: the letter alone matches
    b.Record(0x0001000000000100ull, 1, 1, 1).Record(0x0009000000000100ull, 2, 2, 2);  // 2nd: stale reference
    b.Section(L'D', 0xD1, 1).Record(0x200, 3, 3, 3);
    b.Section(L'D', 0xD1, 1).Record(0x201, 4, 4, 4, 7);  // the later D: section replaces the first
    ASSERT_TRUE(testfx::WriteFileBytes(path, b.bytes));
    LoadAttrCache(engine);
    ASSERT_EQ(C().attrCache.size(), 1u);
    EXPECT_EQ(C().attrCache.count(0x0001000000000100ull), 1u);
    ASSERT_EQ(D().attrCache.size(), 1u);
    EXPECT_TRUE(D().attrCache[0x201].valid);
    EXPECT_EQ(D().attrCache[0x201].size, 4u);
}

TEST_F(AttrCacheFile, OversizedSectionIsSkippedAndLaterSectionsLoad) {
    FileBuilder b;
    b.Header(2).Section(L'C', 0xC1, 1200000);
    b.bytes.append(static_cast<size_t>(1200000) * 33, '\0');
    b.Section(L'D', 0xD1, 1).Record(0x202, 9, 9, 9);
    ASSERT_TRUE(testfx::WriteFileBytes(path, b.bytes));
    LoadAttrCache(engine);
    EXPECT_TRUE(C().attrCache.empty());
    EXPECT_EQ(D().attrCache.size(), 1u);
    EXPECT_TRUE(FileExists(path));
}

TEST_F(AttrCacheFile, DamagedFilesAreDeletedWithoutHarm) {
    std::mt19937 rng(1234);
    std::string random(4096, '\0');
    for (char& ch : random) ch = static_cast<char>(rng());
    std::string goodD = FileBuilder().Header(1).Section(L'D', 0xD1, 1).Record(0x203, 5, 5, 5).bytes;
    struct Case {
        const char* what;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"empty", ""},
        {"short header", FileBuilder().Header(1).bytes.substr(0, 7)},
        {"wrong magic", FileBuilder().Header(0, 0x12345678).bytes},
        {"version 2", FileBuilder().Header(0, 0x56534348, 2).bytes},
        {"65 sections", FileBuilder().Header(65).bytes},
        {"3 sections announced, 2 present",
         FileBuilder().Header(3).Section(L'F', 1, 0).Section(L'G', 1, 0).bytes},
        {"2,000,001 records", FileBuilder().Header(1).Section(L'C', 0xC1, 2000001).bytes},
        {"records beyond the end", FileBuilder().Header(1).Section(L'D', 0xD1, 1000).Record(0x200, 1, 1, 1).bytes},
        {"truncated record", goodD.substr(0, goodD.size() - 5)},
        {"huge count", FileBuilder().Header(1).Section(L'D', 0xD1, 0xFFFFFFFFu).bytes},
        {"random bytes", random},
        {"random after a valid header", FileBuilder().Header(64).bytes + random},
    };
    for (const Case& c : cases) {
        C().attrCache.clear();
        C().attrCache[0x0001000000000105ull] = Attr(77, 7, 7);
        uint64_t savedMark = g_attrCacheSavedCount;
        uint64_t loadCount = g_attrCacheLoadEntries;
        ASSERT_TRUE(testfx::WriteFileBytes(path, c.bytes)) << c.what;
        LoadAttrCache(engine);
        EXPECT_FALSE(FileExists(path)) << c.what;
        EXPECT_EQ(C().attrCache.size(), 1u) << c.what;  // no section for C: was read
        EXPECT_EQ(g_attrCacheSavedCount, savedMark) << c.what;
        EXPECT_EQ(g_attrCacheLoadEntries, loadCount) << c.what;
    }
    std::string log = cfg->PerfLog();
    size_t deleted = 0;
    for (size_t p = log.find("cache_load corrupt_deleted path="); p != std::string::npos;
         p = log.find("cache_load corrupt_deleted path=", p + 1))
        ++deleted;
    EXPECT_EQ(deleted, cases.size());
}

TEST_F(AttrCacheFile, FailedSaveIsNotCountedAsSaved) {
    C().attrCache[0x0001000000000100ull] = Attr(1, 1, 1);
    // The temporary file cannot be created: a folder of that name stands in the way.
    ASSERT_TRUE(CreateDirectoryW((path + L".tmp").c_str(), nullptr));
    ASSERT_TRUE(testfx::WriteFileBytes(path, "old"));
    uint64_t mark = g_attrCacheSavedCount;
    g_attrCacheChangeCount.fetch_add(1);
    EXPECT_FALSE(SaveAttrCache(engine));
    EXPECT_EQ(g_attrCacheSavedCount, mark);
    EXPECT_EQ(testfx::ReadFileBytes(path), "old");  // the old file is kept
    RemoveDirectoryW((path + L".tmp").c_str());
    EXPECT_TRUE(SaveAttrCache(engine));
    EXPECT_EQ(g_attrCacheSavedCount, g_attrCacheChangeCount);
}

TEST_F(AttrCacheFile, NoSaveWhileACrashIsReported) {
    g_crashInProgress = true;
    EXPECT_FALSE(SaveAttrCache(engine));
    g_crashInProgress = false;
    EXPECT_FALSE(FileExists(path));
}

TEST_F(AttrCacheFile, ConcurrentSavesNeverMixTheirFiles) {
    for (uint64_t i = 0; i < 10; ++i) C().attrCache[0x0001000000000100ull + i] = Attr(i, i + 1, i + 2);
    std::vector<std::thread> threads;
    std::atomic<int> ok{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 8; ++i) ok += SaveAttrCache(engine) ? 1 : 0;
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(ok.load(), 32);
    EXPECT_FALSE(FileExists(path + L".tmp"));
    EXPECT_EQ(testfx::ReadFileBytes(path).size(), 12u + 2 * 14 + 10 * 33);
    ClearCaches();
    LoadAttrCache(engine);
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(C().attrCache.size(), 10u);
}

}  // namespace
