// The disk-analysis model: tree, totals, child lists, extensions, paths and removal.
#include <gtest/gtest.h>

#include "analysis_test_support.h"

namespace {

using atest::Tree;

std::wstring Name(const ChildEntry& e) { return std::wstring(e.name, e.nameLength); }

TEST(AnalysisModel, TreeTotalsOrderAndOrphans) {
    // No record 5: a root is made; "lost" names a parent the index does not have.
    Tree t;
    t.Folder(100, 5, L"docs").Folder(101, 100, L"deep").File(102, 101, L"a.TXT", 3000)
        .File(103, 100, L"b.bin", 500).Folder(104, 5, L"pics").Folder(105, 5, L"p2")
        .File(106, 104, L"x.jpg", 700).File(107, 105, L"y.jpg", 700)
        .File(108, 5, L"huge.iso", 900000).File(109, 999, L"lost.dat", 11)
        .File(110, 5, L"unsized", -1);
    DiskAnalysisModel m;
    ASSERT_TRUE(m.Build(t.entries.data(), t.entries.size(), t.sizes, L'T'));
    EXPECT_EQ(m.rootFrn, 5u);
    EXPECT_EQ(m.folderCount, 5u);  // four and the synthesised root
    EXPECT_EQ(m.fileCount, 7u);
    EXPECT_EQ(m.RootTotalSize(), 3000 + 500 + 700 + 700 + 900000 + 11);
    EXPECT_EQ(m.GetFullPath(5), L"T:\\");
    EXPECT_EQ(m.GetFullPath(102), L"T:\\docs\\deep\\a.TXT");

    const std::vector<ChildEntry>* root = m.ChildrenOf(5);
    ASSERT_NE(root, nullptr);
    std::vector<std::wstring> order;
    for (const ChildEntry& e : *root) order.push_back(Name(e));
    // Folders first (size, then the shorter name); the huge file still after every folder.
    const std::vector<std::wstring> expected = {L"docs", L"p2", L"pics", L"huge.iso", L"lost.dat", L"unsized"};
    EXPECT_EQ(order, expected);
    EXPECT_NEAR((*root)[0].share, 3500.0 * 100 / m.RootTotalSize(), 1e-9);
    EXPECT_EQ(root->back().totalSize, 0);  // no size known: 0, share 0
    EXPECT_EQ(root->back().share, 0.0);

    ChildEntry info;
    ASSERT_TRUE(m.GetNodeInfo(101, info));
    EXPECT_EQ(info.totalSize, 3000);
    EXPECT_FALSE(m.GetNodeInfo(4242, info));
    uint64_t parent = 0;
    EXPECT_TRUE(m.GetParentFrn(102, parent));
    EXPECT_EQ(parent, 101u);

    // Extensions: lower case; the unsized file counts with 0 bytes.
    uint64_t noExtCount = 0;
    for (const ExtStat& x : m.extensions) {
        if (x.extension == L".txt") {
            EXPECT_EQ(x.totalSize, 3000);
        }
        if (x.extension == L".jpg") {
            EXPECT_EQ(x.fileCount, 2u);
        }
        if (x.extension.empty()) noExtCount = x.fileCount;
    }
    EXPECT_EQ(noExtCount, 1u);
    EXPECT_EQ(m.extensions.front().extension, L".iso");
}

TEST(AnalysisModel, FullReferencesAndRecordNumbersBothFindNodesAndSizes) {
    const uint64_t seq = 3ull << 48;
    Tree t;
    t.Folder(5 | seq, 5, L"").Folder(20 | seq, 5 | seq, L"d").File(21 | seq, 20, L"f.txt", -1);
    t.sizes[21] = SizePair{1234, 4096};  // size map keyed by the record number only
    DiskAnalysisModel m;
    ASSERT_TRUE(m.Build(t.entries.data(), t.entries.size(), t.sizes, L'C'));
    EXPECT_EQ(m.rootFrn, 5 | seq);
    EXPECT_EQ(m.folderCount, 2u);
    EXPECT_EQ(m.RootTotalSize(), 1234);
    ASSERT_NE(m.ChildrenOf(20), nullptr);
    ASSERT_NE(m.ChildrenOf(20 | seq), nullptr);
    EXPECT_EQ(m.GetFullPath(21), L"C:\\d\\f.txt");
    EXPECT_TRUE(m.IsRoot(5));
}

TEST(AnalysisModel, ZeroFolderGivesZeroSharesAndEmptyInputFails) {
    Tree t;
    t.Folder(30, 5, L"empty").File(31, 30, L"a", 0).File(32, 30, L"b", 0);
    DiskAnalysisModel m;
    ASSERT_TRUE(m.Build(t.entries.data(), t.entries.size(), t.sizes, L'D'));
    for (const ChildEntry& e : *m.ChildrenOf(30)) EXPECT_EQ(e.share, 0.0);
    EXPECT_FALSE(m.Build(nullptr, 3, t.sizes, L'D'));
    EXPECT_FALSE(m.Build(t.entries.data(), 0, t.sizes, L'D'));
    AnalysisIndexEntry skipped = t.entries[1];
    skipped.skip = 1;
    EXPECT_FALSE(m.Build(&skipped, 1, t.sizes, L'D'));
}

TEST(AnalysisModel, DeepChainNeedsNoStackAndPathsKeepTheNearest512Names) {
    // 200000 nested folders would overflow a recursive sum.
    Tree t;
    const uint64_t depth = 200000;
    for (uint64_t i = 0; i < depth; ++i) t.Folder(100 + i, i == 0 ? 5 : 99 + i, L"d" + std::to_wstring(i));
    t.File(100 + depth, 99 + depth, L"leaf.bin", 77);
    DiskAnalysisModel m;
    ASSERT_TRUE(m.Build(t.entries.data(), t.entries.size(), t.sizes, L'E'));
    EXPECT_EQ(m.RootTotalSize(), 77);
    ChildEntry top;
    ASSERT_TRUE(m.GetNodeInfo(100, top));
    EXPECT_EQ(top.totalSize, 77);
    const std::vector<std::wstring> parts = m.GetPathComponents(100 + depth);
    ASSERT_EQ(parts.size(), 512u);
    EXPECT_EQ(parts.back(), L"leaf.bin");
    EXPECT_EQ(parts.front(), L"d" + std::to_wstring(depth - 511));
}

TEST(AnalysisModel, ParentCycleEndsTheSum) {
    Tree t;
    t.Folder(40, 41, L"a").Folder(41, 40, L"b").File(42, 40, L"f", 10).Folder(43, 5, L"c");
    DiskAnalysisModel m;
    ASSERT_TRUE(m.Build(t.entries.data(), t.entries.size(), t.sizes, L'F'));
    ChildEntry a;
    ASSERT_TRUE(m.GetNodeInfo(40, a));
    EXPECT_GE(a.totalSize, 10);
}

TEST(AnalysisModel, RemovingAFileLowersEveryAncestorAndNeverGoesNegative) {
    const int64_t gb = int64_t(1) << 30;
    Tree t;
    t.Folder(50, 5, L"a").Folder(51, 50, L"b").Folder(52, 51, L"c").File(53, 52, L"big.vhd", gb)
        .File(54, 52, L"small.txt", 100).File(55, 5, L"only.xyz", 9);
    DiskAnalysisModel m;
    ASSERT_TRUE(m.Build(t.entries.data(), t.entries.size(), t.sizes, L'G'));
    ASSERT_TRUE(m.RemoveFileNode(53));
    m.BuildChildLists();
    m.BuildExtensionStats();
    for (uint64_t f : {50ull, 51ull, 52ull}) {
        ChildEntry e;
        ASSERT_TRUE(m.GetNodeInfo(f, e));
        EXPECT_EQ(e.totalSize, 100) << f;
    }
    EXPECT_EQ(m.RootTotalSize(), 109);
    EXPECT_EQ(m.ChildrenOf(52)->size(), 1u);
    EXPECT_DOUBLE_EQ(m.ChildrenOf(52)->front().share, 100.0);
    for (const ExtStat& x : m.extensions) EXPECT_NE(x.extension, L".vhd");
    EXPECT_FALSE(m.RemoveFileNode(53));  // gone
    EXPECT_FALSE(m.RemoveFileNode(50));  // a folder

    // A folder total smaller than the file (a stale model) stops at 0.
    m.nodes[static_cast<size_t>(m.FindNode(52))].totalSize = 10;
    ASSERT_TRUE(m.RemoveFileNode(54));
    ChildEntry c;
    ASSERT_TRUE(m.GetNodeInfo(52, c));
    EXPECT_EQ(c.totalSize, 0);
}

// Names the size map does not know. The drive's file table has 200 records: empty.log (150) is
// one of them that the map leaves out, an empty file, and is not asked; one.dat and two.dat (200
// and 201) are not, and are asked by path. Both name one file (reference 190, whose own record is
// not among the names): both show its size, one carries it. solo.dat is a file whose other names
// the index does not hold: deleting it frees nothing. With no record count known, every name the
// map does not know is asked.
TEST(AnalysisModel, NamesOfOneFileCountItOnce) {
    struct Case {
        uint64_t tableRecords;
        std::vector<std::wstring> asked;
    } cases[] = {{200, {L"H:\\a\\one.dat", L"H:\\b\\two.dat"}},
                 {0, {L"H:\\a\\one.dat", L"H:\\b\\two.dat", L"H:\\a\\empty.log"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tableRecords);
        Tree t;
        t.Folder(100, 5, L"a").Folder(101, 5, L"b").File(200, 100, L"one.dat", -1).File(201, 101, L"two.dat", -1)
            .File(202, 101, L"own.txt", 10).File(203, 5, L"solo.dat", 50).File(150, 100, L"empty.log", -1);
        t.sizes[190] = SizePair{4000, 4096};
        std::vector<std::wstring> asked;
        const AnalysisFileQuery query = [&](const std::wstring& path, AnalysisFileFacts& f) {
            asked.push_back(path);
            if (path.find(L"empty.log") != std::wstring::npos) {
                f.reference = 150;
                return true;
            }
            f.reference = 190;
            f.size = 1;  // the map's sizes win for a reference it knows
            f.links = 2;
            return true;
        };
        DiskAnalysisModel m;
        ASSERT_TRUE(m.Build(t.entries.data(), t.entries.size(), t.sizes, L'H', query, c.tableRecords));
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(m.filesAskedByPath, c.asked.size());
        auto folder = [&](uint64_t f) {
            ChildEntry e;
            EXPECT_TRUE(m.GetNodeInfo(f, e));
            return e.totalSize;
        };
        EXPECT_EQ(m.RootTotalSize(), 4060);
        EXPECT_EQ(folder(100) + folder(101), 4010);
        for (uint64_t f : {200ull, 201ull}) {
            ChildEntry e;
            ASSERT_TRUE(m.GetNodeInfo(f, e));
            EXPECT_EQ(e.size, 4000) << f;
        }
        ChildEntry empty;
        ASSERT_TRUE(m.GetNodeInfo(150, empty));
        EXPECT_EQ(empty.size, 0);
        EXPECT_EQ(m.ChildrenOf(101)->front().size, 4000);  // rows are ordered by the size they show
        const ExtStat& dat = m.extensions.front();
        EXPECT_EQ(dat.extension, L".dat");
        EXPECT_EQ(dat.totalSize, 4050);
        EXPECT_EQ(dat.fileCount, 3u);

        // Deleting names while the file keeps others: the totals keep its data; the name left
        // carries it in its own folder.
        ASSERT_TRUE(m.RemoveFileNode(203, true));
        EXPECT_EQ(m.RootTotalSize(), 4060);
        const uint64_t carrier = m.nodes[m.FindNode(200)].carriesData ? 200 : 201;
        const uint64_t other = carrier == 200 ? 201 : 200;
        const uint64_t otherFolder = other == 200 ? 100 : 101;
        const int64_t before = folder(otherFolder);
        ASSERT_TRUE(m.RemoveFileNode(carrier, true));
        EXPECT_EQ(m.RootTotalSize(), 4060);
        EXPECT_EQ(folder(otherFolder), before + 4000);
        EXPECT_EQ(folder(100) + folder(101), 4010);
        // The last name goes with the data.
        ASSERT_TRUE(m.RemoveFileNode(other, false));
        EXPECT_EQ(m.RootTotalSize(), 60);
        EXPECT_EQ(folder(100) + folder(101), 10);
    }
}

TEST(AnalysisModel, ExtensionsColoursAndShortSizes) {
    struct Case {
        const wchar_t* name;
        const wchar_t* ext;
    } cases[] = {{L"archive.tar.GZ", L".gz"}, {L".profile", L".profile"}, {L"name.", L""},
                 {L"dir.d\\file", L""},       {L"a/b.c/x", L""},            {L"x.Jpeg", L".jpeg"}};
    for (const Case& c : cases) EXPECT_EQ(AnalysisExtensionOf(c.name, wcslen(c.name)), c.ext) << c.name;
    EXPECT_EQ(ExtensionColor(nullptr, 0), static_cast<COLORREF>(0x585981));
    EXPECT_EQ(ExtensionColor(L"noext", 5), RGB(129, 89, 88));
    EXPECT_EQ(ExtensionColor(L"A.TXT", 5), ExtensionColor(L"b.txt", 5));
    EXPECT_NE(ExtensionColor(L"a.txt", 5), ExtensionColor(L"a.bin", 5));

    struct Size {
        int64_t bytes;
        const wchar_t* text;
    } sizes[] = {{-5, L"0 B"},           {1023, L"1023 B"},           {1024, L"1.00 KB"},
                 {1536, L"1.50 KB"},     {int64_t(1) << 20, L"1.00 MB"}, {int64_t(3) << 30, L"3.00 GB"},
                 {int64_t(1) << 40, L"1.00 TB"}};
    for (const Size& s : sizes) EXPECT_EQ(FormatSizeShort(s.bytes), s.text) << s.bytes;
}

}  // namespace
