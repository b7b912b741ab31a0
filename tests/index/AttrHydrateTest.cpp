// Record attribute fill and the start-up prewarm.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "CacheTestSupport.h"

namespace {

using namespace cachetest;

class Hydrate : public ::testing::Test {
protected:
    void SetUp() override {
        root = testfx::FixtureDrive(L'T');
        if (root.empty()) GTEST_SKIP() << "fixture drive T: not mapped";
        ASSERT_TRUE(testfx::WriteFileBytes(root + L"real.txt", std::string(1234, 'x')));
        v = MakeVolume(L"T:");
        real = AddRec(*v, 0x0001000000000040ull, 5, L"real.txt");
        gone = AddRec(*v, 0x0001000000000041ull, 5, L"gone.txt");
        v->BuildReferenceMap();
    }
    std::wstring root;
    std::unique_ptr<VolumeIndex> v;
    uint64_t real = 0, gone = 0;
};

TEST_F(Hydrate, ReadsTheDiskAndStoresWhatItRead) {
    uint64_t reads = g_hydrateDiskReads;
    FileAttrInfo info;
    HydrateRecordAttributes(v.get(), real, &info, true);
    EXPECT_TRUE(info.valid);
    EXPECT_EQ(info.size, 1234u);
    EXPECT_NE(Ft(info.lastWrite), 0u);
    EXPECT_EQ(g_hydrateDiskReads - reads, 1u);
    FileAttrInfo cached;
    ASSERT_TRUE(v->LookupAttr(0x0001000000000040ull, &cached));
    EXPECT_EQ(cached.size, 1234u);

    // Now served from the cache: no second disk read, no second store.
    uint64_t changes = g_attrCacheChangeCount;
    FileAttrInfo again;
    HydrateRecordAttributes(v.get(), real, &again, true);
    EXPECT_EQ(again.size, 1234u);
    EXPECT_EQ(g_hydrateDiskReads - reads, 1u);
    EXPECT_EQ(g_attrCacheChangeCount, changes);
}

TEST_F(Hydrate, CheapestSourceFirst) {
    uint64_t reads = g_hydrateDiskReads;
    uint64_t changes = g_attrCacheChangeCount;
    // A cached entry without times serves a size-only request.
    v->attrCache[0x0001000000000040ull] = Attr(50, 0, 0);
    FileAttrInfo a;
    HydrateRecordAttributes(v.get(), real, &a, false);
    EXPECT_EQ(a.size, 50u);
    // The size map serves a size-only request for an uncached file; nothing is stored.
    MftSizeMap sizes;
    sizes[0x41] = SizePair{900, 4096};  // known by its record number only
    v->ReplaceFileSizes(sizes);
    FileAttrInfo b;
    HydrateRecordAttributes(v.get(), gone, &b, false);
    EXPECT_TRUE(b.valid);
    EXPECT_EQ(b.size, 900u);
    EXPECT_EQ(g_hydrateDiskReads, reads);
    EXPECT_EQ(g_attrCacheChangeCount, changes);
    EXPECT_EQ(v->attrCache.count(0x0001000000000041ull), 0u);
}

TEST_F(Hydrate, VanishedFileGetsSizeZeroAndNothingStored) {
    uint64_t changes = g_attrCacheChangeCount;
    FileAttrInfo info;
    HydrateRecordAttributes(v.get(), gone, &info, true);
    EXPECT_TRUE(info.valid);
    EXPECT_EQ(info.size, 0u);
    EXPECT_EQ(g_attrCacheChangeCount, changes);
    EXPECT_TRUE(v->attrCache.empty());
    // A record whose path does not reach the root is never read from the disk.
    uint64_t orphan = AddRec(*v, 0x50, 0x9999, L"real.txt");
    uint64_t reads = g_hydrateDiskReads;
    FileAttrInfo o;
    HydrateRecordAttributes(v.get(), orphan, &o, true);
    EXPECT_EQ(g_hydrateDiskReads, reads);
    EXPECT_TRUE(o.valid);
}

TEST_F(Hydrate, OutOfRangeAndUnavailableLeaveInfoAlone) {
    uint64_t calls = g_hydrateCalls, micros = g_hydrateMicros;
    FileAttrInfo info = Attr(3, 3, 3);
    info.valid = false;
    HydrateRecordAttributes(v.get(), 99, &info, true);
    EXPECT_EQ(g_hydrateCalls - calls, 1u);
    EXPECT_EQ(g_hydrateMicros, micros);
    EXPECT_FALSE(info.valid);
    EXPECT_EQ(info.size, 3u);
    v->available = false;
    HydrateRecordAttributes(v.get(), real, &info, true);
    HydrateRecordAttributes(nullptr, real, &info, true);
    EXPECT_EQ(g_hydrateCalls - calls, 1u);
    EXPECT_FALSE(info.valid);
}

bool WaitIdle(SearchEngine& e) {
    for (int i = 0; i < 1000 && e.prewarmBusy.load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return !e.prewarmBusy.load();
}

TEST(Prewarm, FillsTheFirstRecordsOfVolumesWithEmptyCaches) {
    SearchEngine engine;
    auto small = MakeVolume(L"T:");
    for (int i = 0; i < 120; ++i) AddRec(*small, 0x100 + i, 5, L"s" + std::to_wstring(i));
    auto big = MakeVolume(L"U:");
    for (int i = 0; i < 10000; ++i) AddRec(*big, 0x100000 + i, 5, L"b" + std::to_wstring(i));
    auto warm = MakeVolume(L"V:");
    for (int i = 0; i < 50; ++i) AddRec(*warm, 0x200 + i, 5, L"w" + std::to_wstring(i));
    warm->attrCache[1] = Attr(1, 1, 1);  // loaded from the file: not prewarmed
    for (VolumeIndex* v : {small.get(), big.get(), warm.get()}) v->BuildReferenceMap();
    engine.volumes.push_back(std::move(small));
    engine.volumes.push_back(std::move(big));
    engine.volumes.push_back(std::move(warm));

    engine.prewarmBusy = true;  // one runs already: nothing starts
    uint64_t calls = g_hydrateCalls;
    engine.PrewarmAttrCacheAsync();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(g_hydrateCalls, calls);

    engine.prewarmBusy = false;
    engine.PrewarmAttrCacheAsync();
    ASSERT_TRUE(WaitIdle(engine));
    EXPECT_EQ(g_hydrateCalls - calls, 120u + 3000u);
}

}  // namespace
