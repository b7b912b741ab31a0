// The start-up loads the attribute cache and the size caches into the indexed volumes.
#include <gtest/gtest.h>

#include "CacheTestSupport.h"
#include "IndexTestSupport.h"
#include "platform/VolumeIo.h"

namespace {

using namespace cachetest;
using namespace indextest;

VolumeIndex* Volume(wchar_t letter) {
    std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
    for (auto& v : g_searchEngine.volumes)
        if (!v->root.empty() && v->root[0] == letter) return v.get();
    return nullptr;
}

uint64_t FrnOf(VolumeIndex& v, const std::wstring& name) {
    for (const FileRecord& r : v.records)
        if (std::wstring(r.name, r.nameLength) == name) return r.frn;
    return 0;
}

struct StartupCaches : ::testing::Test {
    void SetUp() override {
        ResetEngine();
        VolumeIoClearDriveOptions();
        VolumeIoClearScripts();
    }
    void TearDown() override {
        ResetEngine();
        SetIndexDriveMask(0x3FFFFFF);
    }
    // Indexes T: alone, as a program start does; T:'s volume.
    VolumeIndex* StartOnT() {
        SetIndexDriveMask(Bit(L'T'));
        g_searchEngine.RunInitBackground(sink.hwnd);
        return Volume(L'T');
    }
    MessageSink sink;
};

TEST_F(StartupCaches, FirstStartWritesTheFileNextStartLoadsBoth) {
    std::wstring t = testfx::FixtureDrive(L'T');
    if (t.empty()) GTEST_SKIP() << "fixture drive T: not mapped";
    ScratchConfig cfg(L"startup-caches");
    ASSERT_TRUE(testfx::WriteFileBytes(L"T:\\a.txt", "abc"));
    VolumeIndex* v = StartOnT();
    ASSERT_NE(v, nullptr);
    if (v->fileSystem != L"NTFS") GTEST_SKIP() << "T: is not indexed as NTFS here";
    const std::wstring attrPath = cfg.dir + L"\\attrcache.v1.bin";
    ASSERT_TRUE(FileExists(attrPath));  // an empty cache with one section for T:
    EXPECT_EQ(testfx::ReadFileBytes(attrPath).size(), 12u + 22u);
    const uint64_t frn = FrnOf(*v, L"a.txt");
    ASSERT_NE(frn, 0u);

    // What a previous run left: times of a.txt, and the sizes of a scan of T:.
    v->StoreAttr(frn, Attr(3, 1234, 5678));
    ASSERT_TRUE(SaveAttrCache(g_searchEngine));
    DWORD serial = 0;
    ASSERT_TRUE(GetVolumeInformationW(L"T:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0));
    MftSizeCacheHeader h{serial, v->usnJournalId, v->nextUsn, 1024};
    ASSERT_TRUE(SaveMftSizeCache(GetMftSizeCachePath(L't'), h, MftSizeMap{{frn, {777, 4096}}}));

    ResetEngine();
    v = StartOnT();
    ASSERT_NE(v, nullptr);
    FileAttrInfo info;
    ASSERT_TRUE(v->LookupAttr(frn, &info));
    EXPECT_EQ(Ft(info.lastWrite), 1234u);
    SizePair sp;
    ASSERT_TRUE(v->LookupFileSize(frn, &sp));
    EXPECT_EQ(sp.size, 777);
    EXPECT_FALSE(v->folderSizesDirty);  // handed over with its totals built

    // Sizes saved against another journal may name other files: not loaded.
    h.usnJournalId ^= 1;
    ASSERT_TRUE(SaveMftSizeCache(GetMftSizeCachePath(L't'), h, MftSizeMap{{frn, {777, 4096}}}));
    ResetEngine();
    v = StartOnT();
    ASSERT_NE(v, nullptr);
    EXPECT_FALSE(v->LookupFileSize(frn, &sp));
}

// Sizes and times kept from an earlier run are never shown for a file changed since: one the
// journal names since the save loses its entry, and when the journal cannot say (a new process'
// stand-in journal does not reach back before it started) the drive's whole section goes.
TEST_F(StartupCaches, RestartDropsEntriesOfFilesChangedSinceTheSave) {
    std::wstring t = testfx::FixtureDrive(L'T');
    if (t.empty()) GTEST_SKIP() << "fixture drive T: not mapped";
    ScratchConfig cfg(L"startup-restart");
    ASSERT_TRUE(testfx::WriteFileBytes(L"T:\\kept.txt", "12345"));
    ASSERT_TRUE(testfx::WriteFileBytes(L"T:\\grown.txt", "abc"));
    VolumeIndex* v = StartOnT();
    ASSERT_NE(v, nullptr);
    if (v->fileSystem != L"NTFS") GTEST_SKIP() << "T: is not indexed as NTFS here";
    const uint64_t kept = FrnOf(*v, L"kept.txt"), grown = FrnOf(*v, L"grown.txt");
    ASSERT_NE(kept, 0u);
    ASSERT_NE(grown, 0u);
    v->StoreAttr(kept, Attr(5, 1111, 2222));
    v->StoreAttr(grown, Attr(3, 3333, 4444));
    ASSERT_TRUE(SaveAttrCache(g_searchEngine));

    // Changed after the save: the journal names it at the next start.
    ResetEngine();
    ASSERT_TRUE(testfx::WriteFileBytes(L"T:\\grown.txt", "abcdefgh"));
    VolumeIoRunChangeScan(L'T', true);
    v = StartOnT();
    ASSERT_NE(v, nullptr);
    FileAttrInfo info;
    EXPECT_FALSE(v->LookupAttr(grown, &info)) << "stale size " << info.size;
    ASSERT_TRUE(v->LookupAttr(kept, &info));
    EXPECT_EQ(Ft(info.lastWrite), 1111u);
    ASSERT_TRUE(SaveAttrCache(g_searchEngine));

    // Changed while no program ran: the new process' journal cannot say what happened.
    ResetEngine();
    VolumeIoResetForTests();
    ASSERT_TRUE(testfx::WriteFileBytes(L"T:\\kept.txt", "1"));
    v = StartOnT();
    ASSERT_NE(v, nullptr);
    EXPECT_FALSE(v->LookupAttr(kept, &info)) << "stale size " << info.size;
    EXPECT_NE(cfg.PerfLog().find("cache_load ms="), std::string::npos);
}

}  // namespace
