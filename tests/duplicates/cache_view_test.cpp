#include <gtest/gtest.h>

#include "dup_test_support.h"
#include "duplicates/Duplicates.h"

namespace {

DupGroup Group(int64_t size, const std::wstring& key, std::vector<std::wstring> paths) {
    DupGroup g{size, key, {}, 0};
    for (auto& p : paths) g.files.push_back({p, size, 0});
    g.totalBytes = DupGroupTotalBytes(g);
    return g;
}

class DupCacheFileTest : public ::testing::Test {
protected:
    void SetUp() override { path_ = testfx::MakeScratchDir(L"dupcache") + L"\\D.dup"; }
    std::wstring path_;
};

TEST_F(DupCacheFileTest, RoundTripAndExactBytes) {
    const std::wstring hash(64, L'c');
    std::vector<DupGroup> groups = {Group(2048, L"size-only:.jpg", {L"D:\\a.jpg", L"D:\\b b .jpg"}),
                                    Group(5000, hash, {L"D:\\x\\\u00e9t\u00e9", L"D:\\y", L"D:\\z"})};
    ASSERT_TRUE(SaveDupCache(path_, L'D', 1024, 77, groups));
    EXPECT_EQ(testfx::ReadFileBytes(path_).substr(0, 103),
              "DUPCACHE1\ndrive=D\nmin=1024\nsig=77\n---\nsize=2048\nhash=size-only:.jpg\nD:\\a.jpg\nD:\\b b .jpg\n---\n"
              "size=5000\n");
    std::vector<DupGroup> back;
    ASSERT_TRUE(ReadDupCache(path_, L'D', 1024, 77, &back));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].key, hash);
    EXPECT_EQ(back[1].files[0].path, L"D:\\x\\\u00e9t\u00e9");
    EXPECT_EQ(back[0].files[1].path, L"D:\\b b .jpg");  // trailing blanks of a path are kept
    EXPECT_EQ(back[1].totalBytes, 15000);
    EXPECT_EQ(back[1].files[2].size, 5000);
    // Another drive, minimum or signature: not this scan's cache.
    EXPECT_FALSE(ReadDupCache(path_, L'E', 1024, 77, &back));
    EXPECT_FALSE(ReadDupCache(path_, L'D', 1, 77, &back));
    EXPECT_FALSE(ReadDupCache(path_, L'D', 1024, 78, &back));
    EXPECT_TRUE(back.empty());
    // A scan without groups writes the header alone.
    ASSERT_TRUE(SaveDupCache(path_, L'*', 1024, 5, {}));
    EXPECT_EQ(testfx::ReadFileBytes(path_), "DUPCACHE1\ndrive=*\nmin=1024\nsig=5\n---\n");
    EXPECT_TRUE(ReadDupCache(path_, L'*', 1024, 5, &back));
    EXPECT_TRUE(back.empty());
}

TEST_F(DupCacheFileTest, DamagedFilesMakeNoGroups) {
    const std::string head = "DUPCACHE1\ndrive=D\nmin=1024\nsig=9\n---\n";
    const std::string h(64, 'e');
    const std::string body = "size=4096\nhash=" + h + "\nD:\\p1\nD:\\p2\n---\n";
    struct Case {
        const char* name;
        std::string bytes;
        bool loads;
        size_t groups;
    } cases[] = {
        {"whole", head + body, true, 1},
        {"crlf", "DUPCACHE1\r\ndrive=D\r\nmin=1024\r\nsig=9\r\n---\r\nsize=4096\r\nhash=" + h + "\r\nD:\\p1\r\nD:\\p2\r\n---\r\n",
         true, 1},
        {"one file group dropped", head + "size=4096\nhash=" + h + "\nD:\\p1\n---\n", true, 0},
        {"path before any size", head + "D:\\stray\n" + body, true, 1},
        {"cut inside a path", (head + body).substr(0, head.size() + body.size() - 7), false, 0},
        {"last line end missing", (head + body).substr(0, head.size() + body.size() - 1), false, 0},
        {"hash cut short", head + "size=4096\nhash=" + h.substr(0, 40) + "\nD:\\p1\nD:\\p2\n---\n", false, 0},
        {"hash missing", head + "size=4096\nD:\\p1\nD:\\p2\n---\n", false, 0},
        {"empty drive line", "DUPCACHE1\ndrive=\nmin=1024\nsig=9\n---\n" + body, false, 0},
        {"header cut", "DUPCACHE1\ndrive=D\nmin=1024\n", false, 0},
        {"size below minimum", head + "size=10\nhash=" + h + "\nD:\\p1\nD:\\p2\n---\n", false, 0},
        {"negative size", head + "size=-4096\nhash=" + h + "\nD:\\p1\nD:\\p2\n---\n", false, 0},
        {"size above 2^62", head + "size=4611686018427387905\nhash=" + h + "\nD:\\p1\nD:\\p2\n---\n", false, 0},
        {"size beyond 64 bits", head + "size=99999999999999999999\nhash=" + h + "\nD:\\p1\nD:\\p2\n---\n", false, 0},
        {"size not a number", head + "size=4096k\nhash=" + h + "\nD:\\p1\nD:\\p2\n---\n", false, 0},
        {"path listed twice", head + "size=4096\nhash=" + h + "\nD:\\p1\nD:\\p2\nD:\\p1\n---\n", false, 0},
        {"path twice in other case", head + "size=4096\nhash=" + h + "\nD:\\dir\\p1\nd:\\DIR\\P1\n---\n", false, 0},
        {"same name in two groups", head + body + body, true, 2},
        {"wrong magic", "DUPCACHE2\n" + head.substr(10) + body, false, 0},
        // Paths that a scan of drive D never wrote: the whole cache is refused (a scan runs anew).
        {"path on another drive", head + "size=4096\nhash=" + h + "\nD:\\p1\nC:\\Windows\\x.dll\n---\n", false, 0},
        {"path that climbs out", head + "size=4096\nhash=" + h + "\nD:\\p1\nD:\\a\\..\\..\\x\n---\n", false, 0},
        {"relative path", head + "size=4096\nhash=" + h + "\nD:\\p1\np2\n---\n", false, 0},
        {"stream of a file", head + "size=4096\nhash=" + h + "\nD:\\p1\nD:\\p1:hidden\n---\n", false, 0},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(testfx::WriteFileBytes(path_, c.bytes));
        std::vector<DupGroup> groups;
        EXPECT_EQ(ReadDupCache(path_, L'D', 1024, 9, &groups), c.loads) << c.name;
        EXPECT_EQ(groups.size(), c.groups) << c.name;
    }
}

// The largest size a cache may give, many times over: the totals stop at the largest value
// instead of wrapping round to small or negative numbers.
TEST_F(DupCacheFileTest, TotalsOfHugeGroupsDoNotOverflow) {
    const std::string h(64, 'e');
    const std::string group = "size=4611686018427387904\nhash=" + h + "\nD:\\p1\nD:\\p2\nD:\\p3\n---\n";
    ASSERT_TRUE(testfx::WriteFileBytes(path_, "DUPCACHE1\ndrive=D\nmin=1024\nsig=9\n---\n" + group +
                                                 "size=4611686018427387904\nhash=" + std::string(64, 'f') +
                                                 "\nD:\\q1\nD:\\q2\n---\n"));
    std::vector<DupGroup> groups;
    ASSERT_TRUE(ReadDupCache(path_, L'D', 1024, 9, &groups));
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].totalBytes, INT64_MAX);
    DuplicateFindView view;
    view.SetResults(std::move(groups), true);
    EXPECT_EQ(view.totalBytes, (uint64_t)INT64_MAX);
    EXPECT_EQ(view.totalFiles, 5u);
    EXPECT_EQ(view.groups[0].files.size(), 3u);  // sorted as the largest all the same
    EXPECT_EQ(DupFormatByteSize((int64_t)view.totalBytes), L"8388608 TB");
}

TEST(DupCacheSignature, SamplesAndSignature) {
    const struct {
        size_t n;
        size_t pairs;
        uint64_t secondRef;
    } cases[] = {{1, 1, 0}, {63, 64, 1}, {64, 65, 1}, {6400, 65, 100}};
    for (const auto& c : cases) {
        std::vector<uint64_t> refs(c.n);
        for (size_t i = 0; i < c.n; ++i) refs[i] = i;
        std::vector<std::pair<uint64_t, uint64_t>> samples;
        DupSampleReferences(refs, L'D', &samples);
        ASSERT_EQ(samples.size(), c.pairs) << c.n;
        if (c.n > 1) {
            EXPECT_EQ(samples[1].first, c.secondRef);
            EXPECT_EQ(samples.back().first, c.n - 1);
        }
        EXPECT_EQ(samples[0].second, (uint64_t)L'D');
    }
    std::vector<std::pair<uint64_t, uint64_t>> s = {{5, 68}, {9, 68}};
    const uint64_t sig = ComputeDupCacheSignature(L'd', 1024, 2, s, 2);
    EXPECT_EQ(sig, ComputeDupCacheSignature(L'D', 1024, 2, s, 2));
    EXPECT_NE(sig, ComputeDupCacheSignature(L'D', 1024, 1, s, 2));
    EXPECT_NE(sig, ComputeDupCacheSignature(L'D', 1024, 2, {{5, 68}, {10, 68}}, 2));
}

// ---------------------------------------------------------------------------------------------

class DupViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        v.groupListRect = RECT{0, 0, 200, 104};  // two rows of 52
        v.fileListRect = RECT{300, 0, 500, 90};   // three rows of 30
        v.groupRowHeight = 52;
        v.fileRowHeight = 30;
        std::vector<DupGroup> g = {Group(10, std::wstring(64, L'a'), {L"s1", L"s2"}),
                                   Group(1000, std::wstring(64, L'b'), {L"b1", L"b2", L"b3", L"b4"}),
                                   Group(500, std::wstring(64, L'c'), {L"m1", L"m2"})};
        v.SetResults(std::move(g), false);
    }
    DuplicateFindView v;
};

TEST_F(DupViewTest, ResultsAreSortedAndSelected) {
    ASSERT_EQ(v.groups.size(), 3u);
    EXPECT_EQ(v.groups[0].files[0].path, L"b1");
    EXPECT_EQ(v.groups[2].files[0].path, L"s1");
    EXPECT_EQ(v.totalBytes, 5020u);
    EXPECT_EQ(v.totalFiles, 8u);
    EXPECT_EQ(v.selectedGroup, 0);
    EXPECT_EQ(v.phase.load(), 7u);
    DuplicateFindView empty;
    empty.SetResults({}, true);
    EXPECT_EQ(empty.selectedGroup, -1);
    EXPECT_TRUE(empty.resultsReady);
}

TEST_F(DupViewTest, SelectionModel) {
    v.SelectFile(1);
    v.ToggleFileSelection(1);  // the only selected file
    EXPECT_TRUE(v.selectedFiles.empty());
    EXPECT_EQ(v.focusFile, -1);
    EXPECT_EQ(v.anchorFile, 1);
    v.SelectFileRange(3);
    EXPECT_EQ(v.GetSelectedPaths(), (std::vector<std::wstring>{L"b2", L"b3", L"b4"}));
    v.SelectGroup(1);
    EXPECT_TRUE(v.GetSelectedPaths().empty());
    v.SelectFileRange(1);  // no anchor: just that file
    EXPECT_EQ(v.GetSelectedPaths(), (std::vector<std::wstring>{L"m2"}));
    v.SelectFile(7);  // out of range: unchanged
    EXPECT_EQ(v.anchorFile, 1);
}

TEST_F(DupViewTest, ScrollBarsAndHitTest) {
    v.UpdateScrollbars();
    EXPECT_TRUE(v.groupBarShown);   // 156 > 104 + 2
    EXPECT_TRUE(v.fileBarShown);    // 120 > 92
    v.fileListRect.bottom = 118;    // 120 is within 2 pixels
    v.UpdateScrollbars();
    EXPECT_FALSE(v.fileBarShown);
    DupHit hit = v.HitTest(10, 60);
    EXPECT_EQ(hit.kind, 1);
    EXPECT_EQ(hit.group, 1);
    hit = v.HitTest(310, 65);
    EXPECT_EQ(hit.kind, 3);
    EXPECT_EQ(hit.file, 2);
    EXPECT_EQ(v.HitTest(195, 10).kind, 2);
    // A press on the track below the thumb jumps to the end.
    ASSERT_TRUE(v.BeginScrollbarDrag(195, 103));
    EXPECT_EQ(v.groupScroll, 52);
    v.OnMouseWheel(10, 10, 5);
    EXPECT_EQ(v.groupScroll, 0);
    v.SetWorkerFile(16, L"x");
    v.SetWorkerFile(-1, L"x");
    std::wstring p;
    uint32_t age = 9;
    EXPECT_FALSE(v.GetOldestWorkerFile(&p, &age));
    EXPECT_EQ(age, 0u);
}

}  // namespace
