#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <stdexcept>

#include "dup_test_support.h"
#include "duplicates/Duplicates.h"

namespace {

using GroupSet = std::set<std::set<std::wstring>>;

// The fixture drive T: with known duplicate sets. Returns the hard link's path and its target.
void BuildFixture(const std::wstring& root, std::wstring* link, std::wstring* target) {
    using duptest::Bytes;
    using duptest::Put;
    const std::string small = Bytes(5000, 1);
    for (const wchar_t* p : {L"a\\x1.bin", L"b\\copy of x1.bin", L"c\\deep\\er\\x1.DAT"}) Put(root + p, small);
    Put(root + L"a\\other5000.bin", Bytes(5000, 2));  // same size, other content
    const size_t big = 600000;
    const std::string bigA = Bytes(big, 3);
    std::string outside = bigA;
    outside[150000] ^= 1;  // differs only between the samples
    Put(root + L"big\\one.iso", bigA);
    Put(root + L"big\\two.iso", bigA);
    Put(root + L"big\\near.iso", outside);
    const std::string limit = Bytes(262144, 4);
    std::string limitOther = limit;
    limitOther[100000] ^= 1;
    Put(root + L"lim\\l1", limit);
    Put(root + L"lim\\l2", limit);
    Put(root + L"lim\\l3", limitOther);
    Put(root + L"lim\\m1", Bytes(262145, 5));
    Put(root + L"lim\\m2", Bytes(262145, 5));
    Put(root + L"min\\k1", Bytes(1024, 6));
    Put(root + L"min\\k2", Bytes(1024, 6));
    Put(root + L"min\\s1", Bytes(1023, 7));  // below the minimum size
    Put(root + L"min\\s2", Bytes(1023, 7));
    Put(root + L"empty\\e1", "");
    Put(root + L"empty\\e2", "");
    for (int i = 0; i < 40; ++i) Put(root + L"uniq\\u" + std::to_wstring(i), Bytes(2000 + i * 37, 100 + i));
    *target = root + L"a\\x1.bin";
    *link = root + L"hl\\x1-link.bin";
    duptest::MakeDirs(*link);
    ASSERT_TRUE(CreateHardLinkW(link->c_str(), target->c_str(), nullptr));
}

GroupSet ToSet(const std::vector<DupGroup>& groups, const std::wstring& link, const std::wstring& target) {
    GroupSet out;
    for (const DupGroup& g : groups) {
        std::set<std::wstring> s;
        for (const DupFileItem& f : g.files) s.insert(f.path == link ? target : f.path);
        EXPECT_EQ(s.size(), g.files.size()) << "a file listed twice in one group";
        out.insert(s);
    }
    return out;
}

// The groups jdupes finds on the host, in Windows paths, without files below minSize.
GroupSet HostGroups(const std::wstring& root, const std::wstring& link, const std::wstring& target) {
    const std::wstring outDrive = testfx::FixtureDrive(L'U');
    if (outDrive.empty()) return {};
    const std::string host = testfx::FixtureDriveHostPath(L'T');
    const std::string outFile = testfx::FixtureDriveHostPath(L'U') + "/jdupes.txt";
    if (testfx::RunHostCommand("cd '" + host + "' && jdupes -r . > '" + outFile + "' 2>/dev/null") != 0) return {};
    const std::string text = testfx::ReadFileBytes(outDrive + L"jdupes.txt");
    GroupSet out;
    std::set<std::wstring> current;
    std::istringstream in(text);
    std::string line;
    auto flush = [&] {
        if (current.size() >= 2) out.insert(current);
        current.clear();
    };
    while (std::getline(in, line)) {
        if (line.empty()) {
            flush();
            continue;
        }
        std::wstring p = root;
        for (char c : line.substr(2)) p += c == '/' ? L'\\' : (wchar_t)(unsigned char)c;
        WIN32_FILE_ATTRIBUTE_DATA d{};
        if (GetFileAttributesExW(p.c_str(), GetFileExInfoStandard, &d) && d.nFileSizeLow < 1024 && !d.nFileSizeHigh)
            continue;
        current.insert(p == link ? target : p);
    }
    flush();
    return out;
}

class DupGroupingTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = testfx::FixtureDrive(L'T');
        if (root_.empty()) GTEST_SKIP() << "fixture drive T: not mapped";
        BuildFixture(root_, &link_, &target_);
    }
    std::vector<DupGroup> Scan(DupCompareMode mode, DupFileHashStore* store = nullptr) {
        std::vector<DupFileItem> files;
        std::atomic<uint64_t> seen{0};
        EXPECT_TRUE(DupCollectFilesByWalk(root_, 1024, files, nullptr, &seen));
        EXPECT_GE(seen.load(), files.size() + 4);  // the small and the empty files are seen too
        return DupBuildGroups(std::move(files), nullptr, nullptr, nullptr, nullptr, store, mode);
    }
    std::wstring root_, link_, target_;
};

TEST_F(DupGroupingTest, ExactGroupsEqualThePeers) {
    const GroupSet peer = HostGroups(root_, link_, target_);
    ASSERT_FALSE(peer.empty()) << "jdupes did not run on the host";
    DupFileHashStore store;
    const auto groups = Scan(DupCompareMode::Exact, &store);
    EXPECT_EQ(ToSet(groups, link_, target_), peer);
    // Largest first, keys are hashes, every group at least two distinct files.
    for (size_t i = 1; i < groups.size(); ++i) EXPECT_GE(groups[i - 1].totalBytes, groups[i].totalBytes);
    for (const DupGroup& g : groups) EXPECT_TRUE(IsDupHexDigest(g.key));
    // With the cache warm the same groups come back.
    EXPECT_EQ(ToSet(Scan(DupCompareMode::Exact, &store), link_, target_), peer);
    // Candidates from the index come without times: the same groups, and the hard link and its
    // target (one file, one time) are still one member.
    std::vector<DupFileItem> files;
    ASSERT_TRUE(DupCollectFilesByWalk(root_, 1024, files, nullptr, nullptr));
    for (DupFileItem& f : files) f.mtime = 0;
    DupFileHashStore fresh;
    const auto untimed = DupBuildGroups(std::move(files), nullptr, nullptr, nullptr, nullptr, &fresh, DupCompareMode::Exact);
    EXPECT_EQ(ToSet(untimed, link_, target_), peer);
    for (const DupGroup& g : untimed) {
        const auto has = [&](const std::wstring& p) {
            return std::any_of(g.files.begin(), g.files.end(), [&](const DupFileItem& f) { return f.path == p; });
        };
        EXPECT_FALSE(has(link_) && has(target_));
        for (const DupFileItem& f : g.files) EXPECT_NE(f.mtime, 0u) << f.path;
    }
}

TEST_F(DupGroupingTest, FastModeTrustsTheSamples) {
    const auto groups = ToSet(Scan(DupCompareMode::Fast), link_, target_);
    const std::set<std::wstring> bigs{root_ + L"big\\one.iso", root_ + L"big\\two.iso", root_ + L"big\\near.iso"};
    EXPECT_TRUE(groups.count(bigs));
    EXPECT_TRUE(groups.count({root_ + L"lim\\l1", root_ + L"lim\\l2"}));
}

TEST_F(DupGroupingTest, CancelReturnsNoGroups) {
    std::vector<DupFileItem> files;
    ASSERT_TRUE(DupCollectFilesByWalk(root_, 1024, files, nullptr, nullptr));
    std::atomic<bool> cancel{true};
    DuplicateFindView view;
    EXPECT_TRUE(DupBuildGroups(files, &cancel, nullptr, nullptr, &view, nullptr, DupCompareMode::Exact).empty());
    std::vector<DupFileItem> walked;
    EXPECT_FALSE(DupCollectFilesByWalk(root_, 1024, walked, &cancel, nullptr));
}

TEST_F(DupGroupingTest, WalkSkipsFolderLinks) {
    const std::string host = testfx::FixtureDriveHostPath(L'T');
    ASSERT_EQ(testfx::RunHostCommand("ln -s '" + host + "/a' '" + host + "/loop'"), 0);
    std::vector<DupFileItem> files;
    ASSERT_TRUE(DupCollectFilesByWalk(root_.substr(0, 2), 1024, files, nullptr, nullptr));
    for (const DupFileItem& f : files) EXPECT_EQ(f.path.find(L"\\loop\\"), std::wstring::npos) << f.path;
    EXPECT_TRUE(std::any_of(files.begin(), files.end(), [&](const DupFileItem& f) { return f.path == root_ + L"min\\k1"; }));
    EXPECT_TRUE(std::none_of(files.begin(), files.end(), [&](const DupFileItem& f) { return f.path == root_ + L"min\\s1"; }));
}

// ---------------------------------------------------------------------------------------------

TEST(DupGroupingPure, SizeOnlyGroupsByExtension) {
    auto item = [](const wchar_t* p, int64_t size) { return DupFileItem{p, size, 0}; };
    // Paths that do not exist: their identity is unknown, so none is dropped.
    std::vector<DupFileItem> c = {item(L"Q:\\n\\b.JPG", 2048), item(L"Q:\\n\\a.jpg", 2048), item(L"Q:\\n\\c.png", 2048),
                                  item(L"Q:\\m\\x.gif", 4096),  item(L"Q:\\m\\y.bmp", 4096), item(L"Q:\\m\\README", 5000),
                                  item(L"Q:\\m\\arch.tar.", 5000), item(L"Q:\\u", 7000)};
    std::atomic<uint64_t> done{0}, total{0};
    auto groups = DupBuildGroups(c, nullptr, &done, &total, nullptr, nullptr, DupCompareMode::SizeOnly);
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].key, L"size-only:");  // README and "arch.tar." have no extension
    EXPECT_EQ(groups[0].totalBytes, 10000);
    EXPECT_EQ(groups[1].key, L"size-only:mixed");
    EXPECT_EQ(groups[2].key, L"size-only:.jpg");
    ASSERT_EQ(groups[2].files.size(), 2u);
    EXPECT_EQ(groups[2].files[0].path, L"Q:\\n\\a.jpg");  // sorted by path
    EXPECT_EQ(done.load(), 8u);
    EXPECT_EQ(total.load(), 8u);

    const struct {
        const wchar_t* path;
        const wchar_t* ext;
    } exts[] = {{L"C:\\x.y\\file", L""}, {L"C:\\d\\.profile", L"profile"}, {L"C:\\d\\A.TaR.Gz", L"gz"},
                {L"C:/d/e.Txt", L"txt"}, {L"C:\\d\\dot.", L""}};
    for (const auto& e : exts) EXPECT_EQ(DupLowerExtension(e.path), e.ext) << e.path;
}

TEST(DupGroupingPure, WorkerExceptionIsPassedOnAfterJoin) {
    std::atomic<int> ran{0};
    EXPECT_THROW(DupParallelFor(1000, nullptr,
                                [&](uint64_t i, int) {
                                    ran++;
                                    if (i == 3) throw std::runtime_error("boom");
                                    Sleep(1);
                                }),
                 std::runtime_error);
    EXPECT_LT(ran.load(), 1000);  // the others stopped taking indexes
    std::atomic<uint64_t> sum{0};
    DupParallelFor(100, nullptr, [&](uint64_t i, int t) {
        EXPECT_LT(t, 16);
        sum += i;
    });
    EXPECT_EQ(sum.load(), 4950u);
}

}  // namespace
