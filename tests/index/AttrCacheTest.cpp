// Attribute cache: lookups and stores, attrcache.v1.bin loading and saving, damaged files.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <thread>
#include <unordered_set>
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
    FileBuilder& Header(uint32_t sections, uint32_t magic = 0x56534348, uint32_t version = 2) {
        return Put(magic).Put(version).Put(sections);
    }
    // A section current to journal position `usn`.
    FileBuilder& Section(wchar_t letter, uint64_t journal, uint32_t n, int64_t usn = 100) {
        return Put(static_cast<uint16_t>(letter)).Put(journal).Put(usn).Put(n);
    }
    FileBuilder& Record(uint64_t frn, uint64_t size, uint64_t w, uint64_t c, uint8_t valid = 1) {
        return Put(frn).Put(size).Put(w).Put(c).Put(valid);
    }
};

// The journals of the hand-made volumes: what changed since any position, or that they cannot say.
std::unordered_set<uint64_t> g_journalChanges;
bool g_journalCanSay = true;
int64_t g_journalAskedFrom = 0;

bool FakeJournal(VolumeIndex&, uint64_t, int64_t from, std::unordered_set<uint64_t>& changed, int64_t* reached) {
    g_journalAskedFrom = from;
    if (!g_journalCanSay) return false;
    changed.insert(g_journalChanges.begin(), g_journalChanges.end());
    *reached = from + 1000;
    return true;
}

class AttrCacheFile : public ::testing::Test {
protected:
    void TearDown() override { SetAttrCacheJournalReader(nullptr); }
    void SetUp() override {
        g_journalChanges.clear();
        g_journalCanSay = true;
        SetAttrCacheJournalReader(&FakeJournal);
        cfg = std::make_unique<ScratchConfig>(L"attrcache");
        path = cfg->dir + L"\\attrcache.v1.bin";
        auto c = MakeVolume(L"C:", L"NTFS", 0xC1);
        for (uint64_t i = 0; i < 10; ++i) AddRec(*c, 0x0001000000000100ull + i, 5, L"c" + std::to_wstring(i));
        c->BuildReferenceMap();
        auto d = MakeVolume(L"D:", L"NTFS", 0xD1);
        for (uint64_t i = 0; i < 10; ++i) AddRec(*d, 0x200 + i, 5, L"d" + std::to_wstring(i));
        d->BuildReferenceMap();
        c->nextUsn = 500;  // where the monitors have applied their journals to
        d->nextUsn = 700;
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
    EXPECT_EQ(file.size(), 12u + 2 * 22 + 3 * 33);
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
    EXPECT_NE(log.find(" entries=3 bytes=155"), std::string::npos) << log;
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

TEST_F(AttrCacheFile, SectionsMatchByJournalAndDropUnknownFiles) {
    FileBuilder b;
    b.Header(3);
    b.Section(L'C', 0xDEAD, 1);  // journal recreated since: it cannot say what changed
    b.Record(0x0001000000000100ull, 1, 1, 1);
    b.Section(L'D', 0xD1, 2).Record(0x200, 3, 3, 3).Record(0x0009000000000200ull, 2, 2, 2);  // 2nd: stale reference
    b.Section(L'D', 0xD1, 1).Record(0x201, 4, 4, 4, 7);  // the later D: section replaces the first
    ASSERT_TRUE(testfx::WriteFileBytes(path, b.bytes));
    LoadAttrCache(engine);
    EXPECT_TRUE(C().attrCache.empty());
    ASSERT_EQ(D().attrCache.size(), 1u);
    EXPECT_TRUE(D().attrCache[0x201].valid);
    EXPECT_EQ(D().attrCache[0x201].size, 4u);
    EXPECT_TRUE(FileExists(path));  // a dropped section is no damage
}

// Files the journal names since the section's position lost their entries; a journal that
// cannot say drops the whole section, and a file without positions is trusted for nothing.
TEST_F(AttrCacheFile, EntriesOfFilesChangedSinceTheSaveAreDropped) {
    C().attrCache[0x0001000000000100ull] = Attr(111, 11, 12);
    C().attrCache[0x0001000000000101ull] = Attr(222, 21, 22);
    D().attrCache[0x200] = Attr(444, 44, 45);
    ASSERT_TRUE(SaveAttrCache(engine));
    const std::string file = testfx::ReadFileBytes(path);
    int64_t savedC = 0;
    std::memcpy(&savedC, file.data() + 12 + 10, 8);
    EXPECT_EQ(savedC, 500);  // C:'s monitor position

    ClearCaches();
    g_journalChanges = {0x0001000000000101ull, 0x200};
    LoadAttrCache(engine);
    EXPECT_EQ(C().attrCache.count(0x0001000000000100ull), 1u);
    EXPECT_EQ(C().attrCache.count(0x0001000000000101ull), 0u);
    EXPECT_TRUE(D().attrCache.empty());
    EXPECT_EQ(g_journalAskedFrom, 700);  // D: read from its own position

    ClearCaches();
    g_journalCanSay = false;
    LoadAttrCache(engine);
    EXPECT_TRUE(C().attrCache.empty());
    EXPECT_TRUE(D().attrCache.empty());
    EXPECT_TRUE(FileExists(path));

    // A position the volume never had (a save during a build) and a file of version 1.
    g_journalCanSay = true;
    g_journalChanges.clear();
    ASSERT_TRUE(testfx::WriteFileBytes(
        path, FileBuilder().Header(1).Section(L'C', 0xC1, 1, -1).Record(0x0001000000000100ull, 1, 1, 1).bytes));
    LoadAttrCache(engine);
    EXPECT_TRUE(C().attrCache.empty());
    FileBuilder v1;
    v1.Header(2, 0x56534348, 1);
    v1.Put(static_cast<uint16_t>(L'C')).Put(uint64_t(0xC1)).Put(uint32_t(1)).Record(0x0001000000000100ull, 1, 1, 1);
    v1.Put(static_cast<uint16_t>(L'D')).Put(uint64_t(0xD1)).Put(uint32_t(1)).Record(0x200, 1, 1, 1);
    ASSERT_TRUE(testfx::WriteFileBytes(path, v1.bytes));
    LoadAttrCache(engine);
    EXPECT_TRUE(C().attrCache.empty());
    EXPECT_TRUE(D().attrCache.empty());
    EXPECT_TRUE(FileExists(path));
    EXPECT_NE(cfg->PerfLog().find("entries=0 bytes=" + std::to_string(12 + 2 * (14 + 33))), std::string::npos);
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
        {"version 3", FileBuilder().Header(0, 0x56534348, 3).bytes},
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

// The autosave of a cache that cannot be written gives up until the next change and says so
// once, instead of collecting and failing again every round.
TEST_F(AttrCacheFile, FailedAutosaveRaisesTheMarkAndLogsOnce) {
    C().attrCache[0x0001000000000100ull] = Attr(1, 1, 1);
    ASSERT_TRUE(CreateDirectoryW((path + L".tmp").c_str(), nullptr));
    g_attrCacheChangeCount.fetch_add(1);
    const uint64_t count = g_attrCacheChangeCount;
    EXPECT_FALSE(AutosaveAttrCache(engine));
    EXPECT_EQ(g_attrCacheSavedCount, count);  // nothing more to save until the next change
    g_attrCacheChangeCount.fetch_add(1);
    EXPECT_FALSE(AutosaveAttrCache(engine));
    EXPECT_EQ(g_attrCacheSavedCount, g_attrCacheChangeCount);
    const std::string log = cfg->PerfLog();
    const size_t first = log.find("cache_save failed path=");
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_EQ(log.find("cache_save failed", first + 1), std::string::npos) << log;

    // A save that works again ends the quiet: the next failure is logged anew.
    RemoveDirectoryW((path + L".tmp").c_str());
    g_attrCacheChangeCount.fetch_add(1);
    EXPECT_TRUE(AutosaveAttrCache(engine));
    ASSERT_TRUE(CreateDirectoryW((path + L".tmp").c_str(), nullptr));
    g_attrCacheChangeCount.fetch_add(1);
    EXPECT_FALSE(AutosaveAttrCache(engine));
    EXPECT_NE(cfg->PerfLog().find("cache_save failed", first + 1), std::string::npos);
    RemoveDirectoryW((path + L".tmp").c_str());
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
    EXPECT_EQ(testfx::ReadFileBytes(path).size(), 12u + 2 * 22 + 10 * 33);
    ClearCaches();
    LoadAttrCache(engine);
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(C().attrCache.size(), 10u);
}

}  // namespace
