// recent.ini and the recent-opens list over an in-memory volume.
#include <gtest/gtest.h>

#include <windows.h>

#include "core/Core.h"
#include "search/Search.h"
#include "support/fixture.h"
#include "support/synthetic_volume.h"

namespace {

using testfx::AddSyntheticRecord;

class RecentTest : public testing::Test {
protected:
    void SetUp() override {
        dir_ = testfx::MakeScratchDir(L"recent_cfg");
        SetConfigDirOverride(dir_);
        std::lock_guard<std::mutex> lock(g_recentMutex);
        g_recentEntries.clear();
    }
    void TearDown() override {
        SetConfigDirOverride(L"");
        testfx::InstallVolumes({});
        std::lock_guard<std::mutex> lock(g_recentMutex);
        g_recentEntries.clear();
    }
    // Volume C: with C:\Docs (10) and files a.txt .. in it.
    VolumeIndex* InstallDocs(int files) {
        auto v = testfx::MakeSyntheticVolume(L"C:");
        AddSyntheticRecord(*v, 10, 5, L"Docs", true);
        for (int i = 0; i < files; ++i) AddSyntheticRecord(*v, 100 + i, 10, L"f" + std::to_wstring(i) + L".txt");
        VolumeIndex* raw = v.get();
        std::vector<std::unique_ptr<VolumeIndex>> list;
        list.push_back(std::move(v));
        testfx::InstallVolumes(std::move(list));
        return raw;
    }
    std::vector<std::wstring> Paths() {
        std::lock_guard<std::mutex> lock(g_recentMutex);
        std::vector<std::wstring> p;
        for (const auto& e : g_recentEntries) p.push_back(e.path);
        return p;
    }
    std::wstring dir_;
};

TEST_F(RecentTest, LoadSkipsDamagedLines) {
    const std::string file =
        "\xEF\xBB\xBF"
        "17\tC:\\a.txt\r\n"
        "no tab here\r\n"
        "\tC:\\leading-tab.txt\r\n"
        "5\t   \r\n"
        "x17\tC:\\x.txt\r\n"
        "17junk\tC:\\junk.txt\r\n"
        "99999999999999999999999\tC:\\big.txt\r\n"
        "3\t  C:\\blanks.txt\r\n"
        "4\tC:\\tab\tinside.txt\r\n"
        "\r\n"
        "   \r\n"
        "17\tC:\\a.txt\r\n" +
        std::string(5000, 'z') + "\r\n"
        "8\tC:\\after-long-line.txt";
    ASSERT_TRUE(testfx::WriteFileBytes(GetRecentListPath(), file));
    LoadRecentList();
    std::lock_guard<std::mutex> lock(g_recentMutex);
    struct Want {
        uint64_t tick;
        std::wstring path;
    };
    const Want want[] = {{17, L"C:\\a.txt"},         {0, L"C:\\x.txt"},         {17, L"C:\\junk.txt"},
                         {UINT64_MAX, L"C:\\big.txt"}, {3, L"  C:\\blanks.txt"}, {4, L"C:\\tab\tinside.txt"},
                         {17, L"C:\\a.txt"},         {8, L"C:\\after-long-line.txt"}};
    ASSERT_EQ(g_recentEntries.size(), std::size(want));
    for (size_t i = 0; i < std::size(want); ++i) {
        EXPECT_EQ(g_recentEntries[i].openedTick, want[i].tick) << i;
        EXPECT_EQ(g_recentEntries[i].path, want[i].path) << i;
        EXPECT_EQ(g_recentEntries[i].item.volume, nullptr);
    }
}

TEST_F(RecentTest, MissingOrBinaryFileNeverCrashes) {
    LoadRecentList();  // no file: the list stays as it is
    EXPECT_TRUE(Paths().empty());
    std::string junk;
    for (int i = 0; i < 70000; ++i) junk.push_back(static_cast<char>((i * 131) & 0xFF));
    // Good lines around the junk: the junk costs its own lines only, never the lines after it.
    ASSERT_TRUE(testfx::WriteFileBytes(GetRecentListPath(),
                                       "\xEF\xBB\xBF" "5\tC:\\before.txt\r\n" + junk + "\r\n6\tC:\\after.txt\r\n"));
    LoadRecentList();
    const std::vector<std::wstring> paths = Paths();
    ASSERT_GE(paths.size(), 2u);
    EXPECT_EQ(paths.front(), L"C:\\before.txt");
    EXPECT_EQ(paths.back(), L"C:\\after.txt");
    for (const std::wstring& p : paths) {
        EXPECT_FALSE(p.empty());
        EXPECT_EQ(p.find_first_of(L"\r\n"), std::wstring::npos);
        EXPECT_EQ(p.find(L'\0'), std::wstring::npos);
    }
}

TEST_F(RecentTest, RecordDedupeCapAndSave) {
    VolumeIndex* v = InstallDocs(120);
    {
        std::lock_guard<std::mutex> lock(g_recentMutex);
        g_recentEntries.push_back(RecentEntry{MatchItem{}, 1, L"c:/docs/F0.TXT"});
    }
    RecordRecentOpen(MatchItem{v, 1});  // C:\Docs\f0.txt replaces the entry read from the file
    EXPECT_EQ(Paths(), (std::vector<std::wstring>{L"C:\\Docs\\f0.txt"}));
    RecordRecentOpen(MatchItem{v, 2});
    RecordRecentOpen(MatchItem{v, 1});
    EXPECT_EQ(Paths(), (std::vector<std::wstring>{L"C:\\Docs\\f0.txt", L"C:\\Docs\\f1.txt"}));
    for (uint32_t r = 1; r <= 101; ++r) RecordRecentOpen(MatchItem{v, r});
    auto paths = Paths();
    ASSERT_EQ(paths.size(), 100u);
    EXPECT_EQ(paths.front(), L"C:\\Docs\\f100.txt");
    EXPECT_EQ(paths.back(), L"C:\\Docs\\f1.txt");

    // The saved file: BOM, one "tick<TAB>path" line per entry, CR LF.
    std::string saved = testfx::ReadFileBytes(GetRecentListPath());
    ASSERT_GE(saved.size(), 3u);
    EXPECT_EQ(saved.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(saved.find("\tC:\\Docs\\f100.txt\r\n"), std::string::npos);
    {
        std::lock_guard<std::mutex> lock(g_recentMutex);
        g_recentEntries.clear();
    }
    LoadRecentList();
    EXPECT_EQ(Paths(), paths);

    EXPECT_TRUE(ClearRecentList());
    EXPECT_TRUE(Paths().empty());
    EXPECT_EQ(testfx::ReadFileBytes(GetRecentListPath()), "\xEF\xBB\xBF");
}

TEST_F(RecentTest, NothingRecordedForDeadRowsOrBrokenPaths) {
    VolumeIndex* v = InstallDocs(2);
    const uint32_t orphan = AddSyntheticRecord(*v, 500, 777, L"orphan.txt");  // parent not indexed
    RecordRecentOpen(MatchItem{v, orphan});
    RecordRecentOpen(MatchItem{v, 99});
    v->records[1].deleted = 1;
    RecordRecentOpen(MatchItem{v, 1});
    RecordRecentOpen(MatchItem{});
    EXPECT_TRUE(Paths().empty());
}

TEST_F(RecentTest, RecentViewResolvesByPathAndNeverShowsAnotherFile) {
    VolumeIndex* v = InstallDocs(3);
    RecordRecentOpen(MatchItem{v, 2});  // f1.txt
    {
        std::lock_guard<std::mutex> lock(g_recentMutex);
        g_recentEntries.push_back(RecentEntry{MatchItem{}, 1, L"C:\\docs\\F2.TXT"});     // from the file
        g_recentEntries.push_back(RecentEntry{MatchItem{}, 1, L"C:\\Docs\\deleted.txt"});  // gone
    }
    auto rows = BuildRecentMatchItems();
    EXPECT_EQ(*rows, (std::vector<MatchItem>{{v, 2}, {v, 3}}));
    EXPECT_EQ(Paths().size(), 3u);  // the unresolved entry stays in the list

    // A rebuild in place gives row 2 to another file and f1.txt a new row.
    AcquireSRWLockExclusive(&v->indexLock);
    v->ResetContents();
    ReleaseSRWLockExclusive(&v->indexLock);
    v->fileSystem = L"FAT32";
    AddSyntheticRecord(*v, 10, 5, L"Docs", true);
    AddSyntheticRecord(*v, 100, 10, L"other.txt");
    AddSyntheticRecord(*v, 101, 10, L"f2.txt");
    AddSyntheticRecord(*v, 102, 10, L"f1.txt");
    rows = BuildRecentMatchItems();
    EXPECT_EQ(*rows, (std::vector<MatchItem>{{v, 3}, {v, 2}}));
}

TEST_F(RecentTest, RenameFollowsEntries) {
    VolumeIndex* v = InstallDocs(2);
    RecordRecentOpen(MatchItem{v, 1});
    {
        std::lock_guard<std::mutex> lock(g_recentMutex);
        g_recentEntries.push_back(RecentEntry{MatchItem{}, 1, L"c:/docs/F0.txt"});
    }
    UpdateRecentPath(MatchItem{}, L"C:\\Docs\\f0.txt", L"C:\\Docs\\renamed.txt");  // no rename active
    EXPECT_EQ(Paths()[0], L"C:\\Docs\\f0.txt");
    UpdateRecentPath(MatchItem{v, 1}, L"C:\\Docs\\f0.txt", L"C:\\Docs\\renamed.txt");
    EXPECT_EQ(Paths(), (std::vector<std::wstring>{L"C:\\Docs\\renamed.txt", L"C:\\Docs\\renamed.txt"}));
    EXPECT_NE(testfx::ReadFileBytes(GetRecentListPath()).find("renamed.txt"), std::string::npos);
}

}  // namespace
