// File sizes, folder totals, the monitor's invalidation and size maps built from paths.
#include <gtest/gtest.h>

#include "../index/UsnTestData.h"
#include "CacheTestSupport.h"

namespace {

using namespace cachetest;

uint64_t Total(VolumeIndex& v, uint64_t folder) {
    uint64_t t = 0;
    return v.GetFolderSize(folder, &t, false) ? t : 0;
}

TEST(FileSizes, LookupTriesFullReferenceThenRecordNumber) {
    auto v = MakeVolume(L"C:");
    SizePair sp;
    EXPECT_FALSE(v->LookupFileSize(0x0003000000000010ull, &sp));  // empty map
    MftSizeMap m;
    m[0x10] = SizePair{1, 2};
    m[0x0003000000000011ull] = SizePair{3, 4};
    m[0x11] = SizePair{5, 6};
    v->ReplaceFileSizes(m);
    ASSERT_TRUE(v->LookupFileSize(0x0003000000000010ull, &sp));
    EXPECT_EQ(sp.size, 1);
    ASSERT_TRUE(v->LookupFileSize(0x0003000000000011ull, &sp));  // the full key wins
    EXPECT_EQ(sp.allocated, 4);
    EXPECT_FALSE(v->LookupFileSize(0x12, &sp));
}

TEST(FolderTotals, ClimbEachAncestorOnce) {
    auto v = MakeVolume(L"C:");
    // C:\A\B\f.txt (100), C:\A\g.txt (0), C:\A\B\sub (folder), C:\Gone\x.txt in a deleted folder,
    // C:\A\B\old.txt deleted, orphan whose parent has no record, a file with parent 0.
    AddRec(*v, 0x20, 5, L"A", true);
    AddRec(*v, 0x21, 0x20, L"B", true);
    AddRec(*v, 0x22, 0x21, L"f.txt");
    AddRec(*v, 0x23, 0x20, L"g.txt");
    AddRec(*v, 0x24, 0x21, L"sub", true);
    uint64_t goneDir = AddRec(*v, 0x30, 5, L"Gone", true);
    AddRec(*v, 0x31, 0x30, L"x.txt");
    uint64_t old = AddRec(*v, 0x25, 0x21, L"old.txt");
    AddRec(*v, 0x40, 0x777, L"orphan.txt");
    AddRec(*v, 0x41, 0, L"noparent.txt");
    v->records[goneDir].deleted = 1;
    v->records[old].deleted = 1;
    v->frnToRecord.InsertExact(5, kRootMarker);
    v->BuildReferenceMap();
    MftSizeMap m;
    m[0x22] = {100, 4096};
    m[0x23] = {0, 0};
    m[0x24] = {999, 999};  // a folder's own entry counts nothing
    m[0x31] = {7, 7};
    m[0x25] = {50, 50};
    m[0x40] = {9, 9};
    m[0x41] = {11, 11};
    v->ReplaceFileSizes(m);
    EXPECT_FALSE(v->folderSizesDirty);
    EXPECT_EQ(Total(*v, 0x21), 100u);
    EXPECT_EQ(Total(*v, 0x20), 100u);
    EXPECT_EQ(Total(*v, 5), 100u);  // the root, once
    EXPECT_EQ(Total(*v, 0x30), 7u);  // the deleted folder itself; its ancestors not
    EXPECT_EQ(Total(*v, 0x777), 9u);
    uint64_t t = 0;
    EXPECT_FALSE(v->GetFolderSize(0x24, &t, false));  // no counted file below it
    EXPECT_FALSE(v->GetFolderSize(0, &t, false));
}

TEST(FolderTotals, ChainOf70ReachesThe64NearestFolders) {
    auto v = MakeVolume(L"C:");
    uint64_t parent = 5;
    for (uint64_t i = 0; i < 70; ++i) {
        AddRec(*v, 0x100 + i, parent, L"d", true);
        parent = 0x100 + i;
    }
    AddRec(*v, 0x1000, parent, L"f");
    v->BuildReferenceMap();
    v->attrCache[0x1000] = Attr(10, 1, 1);  // fileSizes empty: the attribute cache serves
    v->RebuildFolderSizes();
    EXPECT_EQ(Total(*v, 0x100 + 69), 10u);
    EXPECT_EQ(Total(*v, 0x100 + 6), 10u);  // the 64th nearest
    EXPECT_EQ(Total(*v, 0x100 + 5), 0u);
    EXPECT_EQ(Total(*v, 5), 0u);
}

TEST(FolderTotals, FromAttributeCacheOnlyValidPositiveEntries) {
    auto v = MakeVolume(L"C:");
    AddRec(*v, 0x20, 5, L"A", true);
    AddRec(*v, 0x21, 0x20, L"a");
    AddRec(*v, 0x22, 0x20, L"b");
    AddRec(*v, 0x23, 0x20, L"c");
    v->BuildReferenceMap();
    v->attrCache[0x21] = Attr(30, 1, 1);
    FileAttrInfo invalid = Attr(500, 1, 1);
    invalid.valid = false;
    v->attrCache[0x22] = invalid;
    v->attrCache[0x23] = Attr(0, 1, 1);
    uint64_t t = 0;
    EXPECT_TRUE(v->folderSizesDirty);
    EXPECT_FALSE(v->GetFolderSize(0x20, &t, false));  // answers from the totals as they are
    EXPECT_TRUE(v->GetFolderSize(0x20, &t, true));
    EXPECT_EQ(t, 30u);
    EXPECT_FALSE(v->folderSizesDirty);
    v->StoreAttr(0x23, Attr(12, 1, 1));
    EXPECT_TRUE(v->folderSizesDirty);
    EXPECT_TRUE(v->GetFolderSize(0x20, &t, true));
    EXPECT_EQ(t, 42u);
}

TEST(FolderTotals, ReplacingTheSizeMapRebuildsAtOnce) {
    auto v = MakeVolume(L"C:");
    AddRec(*v, 0x20, 5, L"A", true);
    AddRec(*v, 0x21, 0x20, L"a");
    v->BuildReferenceMap();
    v->ReplaceFileSizes(MftSizeMap{{0x21, {5, 5}}});
    EXPECT_EQ(Total(*v, 0x20), 5u);
    v->ReplaceFileSizes(MftSizeMap{{0x21, {8, 8}}});  // replaces, does not merge
    EXPECT_EQ(Total(*v, 0x20), 8u);
    v->ReplaceFileSizes(MftSizeMap{});
    EXPECT_EQ(Total(*v, 0x20), 0u);
}

TEST(MonitorInvalidation, ChangedFileLosesCachedSizeAndTimes) {
    auto v = MakeVolume(L"C:");
    AddRec(*v, 0x0002000000000020ull, 5, L"A", true);
    AddRec(*v, 0x0002000000000021ull, 0x0002000000000020ull, L"a.txt");
    AddRec(*v, 0x0002000000000022ull, 0x0002000000000020ull, L"b.txt");
    v->BuildReferenceMap();
    v->attrCache[0x0002000000000021ull] = Attr(10, 1, 1);
    v->attrCache[0x0002000000000022ull] = Attr(20, 1, 1);
    v->ReplaceFileSizes(MftSizeMap{{0x21, {10, 10}}, {0x0002000000000022ull, {20, 20}}});
    EXPECT_FALSE(v->folderSizesDirty);
    uint64_t changes = g_attrCacheChangeCount;
    // a.txt was written to; b.txt got new times.
    auto buf = usntest::MakeBuffer(
        100, {{0x0002000000000021ull, 0x0002000000000020ull, L"a.txt", 0x00000002 /* DATA_EXTEND */},
              {0x0002000000000022ull, 0x0002000000000020ull, L"b.txt", 0x00008000 /* BASIC_INFO_CHANGE */}});
    AcquireSRWLockExclusive(&v->indexLock);
    v->ApplyUsnJournalBuffer(buf.data(), static_cast<uint32_t>(buf.size()));
    ReleaseSRWLockExclusive(&v->indexLock);
    EXPECT_TRUE(v->attrCache.empty());
    EXPECT_EQ(g_attrCacheChangeCount - changes, 2u);
    SizePair sp;
    EXPECT_FALSE(v->LookupFileSize(0x0002000000000021ull, &sp));
    EXPECT_FALSE(v->LookupFileSize(0x0002000000000022ull, &sp));
    EXPECT_TRUE(v->folderSizesDirty);
}

TEST(SizeMapFromPaths, SizesOfExistingFilesOnly) {
    std::wstring dir = testfx::MakeScratchDir(L"sizemap");
    ASSERT_TRUE(testfx::WriteFileBytes(dir + L"\\a.bin", std::string(300, 'a')));
    ASSERT_TRUE(testfx::WriteFileBytes(dir + L"\\empty.bin", ""));
    std::vector<FilePathEntry> entries = {
        {1, dir + L"\\a.bin"}, {2, dir + L"\\empty.bin"}, {3, dir}, {4, dir + L"\\vanished.bin"}};
    MftSizeMap out{{99, {1, 1}}};
    std::vector<std::pair<uint64_t, uint64_t>> calls;
    EXPECT_TRUE(BuildSizeMapFromPaths(entries, out, [&](uint64_t d, uint64_t t) { calls.push_back({d, t}); }, nullptr));
    EXPECT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1].size, 300);
    EXPECT_EQ(out[1].allocated, 300);
    EXPECT_EQ(out[2].size, 0);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), (std::pair<uint64_t, uint64_t>{4, 4}));

    calls.clear();
    EXPECT_TRUE(BuildSizeMapFromPaths({}, out, [&](uint64_t d, uint64_t t) { calls.push_back({d, t}); }, nullptr));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(calls, (std::vector<std::pair<uint64_t, uint64_t>>{{0, 0}}));
    EXPECT_FALSE(BuildSizeMapFromPaths(entries, out, nullptr, [] { return true; }));
}

}  // namespace

namespace {

TEST(FileSizes, MergeKeepsOtherEntriesAndRecomputesTotals) {
    auto v = cachetest::MakeVolume(L"C:");
    cachetest::AddRec(*v, 0x20, 5, L"A", true);
    cachetest::AddRec(*v, 0x22, 0x20, L"f.txt");
    cachetest::AddRec(*v, 0x23, 0x20, L"g.txt");
    v->frnToRecord.InsertExact(5, kRootMarker);
    v->BuildReferenceMap();
    v->ReplaceFileSizes(MftSizeMap{{0x22, {100, 100}}, {0x23, {5, 5}}});
    v->MergeFileSizes(MftSizeMap{{0x23, {50, 4096}}});
    SizePair sp;
    ASSERT_TRUE(v->LookupFileSize(0x22, &sp));
    EXPECT_EQ(sp.size, 100);
    ASSERT_TRUE(v->LookupFileSize(0x23, &sp));
    EXPECT_EQ(sp.allocated, 4096);
    uint64_t total = 0;
    ASSERT_TRUE(v->GetFolderSize(0x20, &total, false));
    EXPECT_EQ(total, 150u);
}

}  // namespace
