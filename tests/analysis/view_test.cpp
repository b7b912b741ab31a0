// The analysis panel: navigation and history, selection, breadcrumbs, scroll bars, layout, the
// ring chart's geometry and hit test, and deleting from the panel.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/AnalysisMode.h"
#include "analysis_test_support.h"
#include "core/Window.h"
#include "results/FileActions.h"
#include "results/Results.h"
#include "support/fixture.h"
#include "ui/Ui.h"

namespace {

using atest::Tree;

Tree NestedTree() {
    Tree t;
    t.Folder(100, 5, L"one").Folder(101, 100, L"two").Folder(102, 101, L"three").File(103, 102, L"f.bin", 5000)
        .File(104, 100, L"a.txt", 300).File(105, 100, L"b.txt", 200).File(106, 100, L"c.txt", 100)
        .Folder(107, 100, L"side").File(108, 107, L"s.dat", 50).File(109, 5, L"top.iso", 10000);
    return t;
}

class AnalysisViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_clientWidth = 1100;
        g_clientHeight = 700;
        g_dpi = 96;
    }
    void TearDown() override { g_analysisView.Reset(); }
    AnalysisView& v = g_analysisView;
    int RowOf(const wchar_t* name) {
        for (size_t i = 0; i < v.rows.size(); ++i)
            if (std::wstring(v.rows[i].name, v.rows[i].nameLength) == name) return static_cast<int>(i);
        return -1;
    }
};

TEST_F(AnalysisViewTest, AllDisksHistoryGoesBackThroughEveryStepAndForwardReplaysThem) {
    std::vector<std::unique_ptr<DriveAnalysis>> drives;
    drives.push_back(NestedTree().Drive(L'T'));
    drives.push_back(Tree().File(200, 5, L"x", 10).Drive(L'U'));
    atest::ShowDrives(std::move(drives), true);
    ASSERT_TRUE(v.IsAllDisksLocation());
    ASSERT_EQ(v.rows.size(), 2u);
    EXPECT_TRUE(IsDriveRowFrn(v.rows[0].frn));   // the larger drive first
    EXPECT_EQ(v.rows[0].totalSize, 15650);
    EXPECT_FALSE(v.CanGoUp());

    v.NavigateTo(v.rows[0].frn);  // opens drive 0
    ASSERT_EQ(v.currentDrive, 0);
    EXPECT_TRUE(v.CanGoUp());     // up leads to All Disks
    v.NavigateTo(100);
    v.NavigateTo(101);
    EXPECT_EQ(v.crumbs.size(), 4u);  // All Disks, the drive, one, two
    EXPECT_EQ(v.crumbs.back().text, L"two");

    ASSERT_TRUE(v.GoBack());
    EXPECT_EQ(v.currentFolder, 100u);
    ASSERT_TRUE(v.GoBack());
    EXPECT_TRUE(v.CurrentModel()->IsRoot(v.currentFolder));
    ASSERT_TRUE(v.GoBack());
    EXPECT_TRUE(v.IsAllDisksLocation());
    EXPECT_FALSE(v.GoBack());  // nothing behind, and All Disks has no parent

    ASSERT_TRUE(v.GoForward());
    EXPECT_EQ(v.currentDrive, 0);
    ASSERT_TRUE(v.GoForward());
    EXPECT_EQ(v.currentFolder, 100u);
    ASSERT_TRUE(v.GoForward());
    EXPECT_EQ(v.currentFolder, 101u);

    // A new step after going back drops what lay ahead.
    v.GoBack();
    v.NavigateTo(107);
    EXPECT_TRUE(v.forwardStack.empty());
    // The Up of a folder leads to its parent, and the breadcrumb of the drive to its root.
    v.GoUp();
    EXPECT_EQ(v.currentFolder, 100u);
    v.OnBreadcrumbClick(1);
    EXPECT_TRUE(v.CurrentModel()->IsRoot(v.currentFolder));
    v.OnBreadcrumbClick(0);
    EXPECT_TRUE(v.IsAllDisksLocation());
}

TEST_F(AnalysisViewTest, HistoryKeeps64StepsAndSingleDriveRootCannotGoUp) {
    Tree t;
    for (uint64_t i = 0; i < 80; ++i) t.Folder(300 + i, 5, L"f" + std::to_wstring(i)).File(600 + i, 300 + i, L"x", 1);
    std::vector<std::unique_ptr<DriveAnalysis>> drives;
    drives.push_back(t.Drive(L'T'));
    atest::ShowDrives(std::move(drives), false);
    EXPECT_FALSE(v.CanGoUp());
    for (uint64_t i = 0; i < 70; ++i) v.NavigateTo(300 + i);
    EXPECT_EQ(v.backStack.size(), 64u);
    EXPECT_EQ(v.backStack.front().folder, 305u);  // the root and the first five are gone
}

TEST_F(AnalysisViewTest, SelectionTakesFilesOnlyAndRangesFromTheAnchor) {
    std::vector<std::unique_ptr<DriveAnalysis>> drives;
    drives.push_back(NestedTree().Drive(L'T'));
    atest::ShowDrives(std::move(drives), false);
    v.NavigateTo(100);
    // Rows: two (5000), side (50), a.txt, b.txt, c.txt.
    ASSERT_EQ(v.rows.size(), 5u);
    const int a = RowOf(L"a.txt"), c = RowOf(L"c.txt"), folder = RowOf(L"two");
    EXPECT_EQ(folder, 0);
    EXPECT_FALSE(v.IsSelectableRow(folder));

    v.SelectRowRange(RowOf(L"b.txt"));  // no anchor: only the clicked file
    EXPECT_EQ(v.selection.size(), 1u);
    v.SelectRowRange(c);                 // now from b to c
    EXPECT_EQ(v.selection.size(), 2u);
    v.SelectRow(a);
    v.SelectRowRange(c);
    EXPECT_EQ(v.selection.size(), 3u);
    v.ToggleRowSelection(a);
    EXPECT_EQ(v.selection.size(), 2u);
    EXPECT_EQ(v.focusFrn, 104u);
    v.SelectAllFiles();
    EXPECT_EQ(v.selection.size(), 3u);
    const std::vector<std::wstring> paths = v.GetSelectedPaths();
    EXPECT_EQ(paths.size(), 3u);
    for (const std::wstring& p : paths) EXPECT_EQ(p.rfind(L"T:\\one\\", 0), 0u) << testing::PrintToString(p);

    // Only subfolders: Ctrl+A selects nothing and leaves the anchor.
    v.NavigateTo(101);
    v.anchorRow = 7;
    v.SelectAllFiles();
    EXPECT_TRUE(v.selection.empty());
    EXPECT_EQ(v.anchorRow, 7);
}

TEST_F(AnalysisViewTest, LayoutSplitsThePanelAndTheRingAnswersHitTests) {
    g_clientWidth = 800;
    std::vector<std::unique_ptr<DriveAnalysis>> drives;
    drives.push_back(NestedTree().Drive(L'T'));
    atest::ShowDrives(std::move(drives), false);
    EXPECT_EQ(v.ringRect.left, 10);
    EXPECT_EQ(v.ringRect.right, 491);
    EXPECT_EQ(v.rowsPanelRect.left, 501);
    EXPECT_EQ(v.rowsPanelRect.right, 790);

    g_clientWidth = 400;  // narrower than both panes: halves
    InvalidateAnalysisLayout();
    ComputeAnalysisLayout();
    EXPECT_EQ(v.ringRect.right, 10 + 190 - 5);

    // Collapsed type list: the rows reach 2 px above its 26 px header.
    g_clientWidth = 1100;
    v.extExpanded = false;
    InvalidateAnalysisLayout();
    ComputeAnalysisLayout();
    EXPECT_EQ(v.extHeaderRect.bottom - v.extHeaderRect.top, 26);
    EXPECT_EQ(v.rowListRect.bottom, v.extHeaderRect.top - 2);
    EXPECT_EQ(v.ExtScrollMax(), 0);
    v.extExpanded = true;
    InvalidateAnalysisLayout();
    ComputeAnalysisLayout();
    v.Rebuild();

    // At the root: top.iso (10000) and the folder one (5650) as segments.
    ASSERT_GT(v.chart.outerRadius, 24.0);
    ASSERT_EQ(v.chart.segments.size(), 2u);
    const RingSegment& s = v.chart.segments[0];
    const double mid = s.start + s.sweep / 2, rr = (v.chart.innerRadius + v.chart.outerRadius) / 2;
    const int x = v.chart.cx + static_cast<int>(std::lround(rr * std::cos(mid)));
    const int y = v.chart.cy - static_cast<int>(std::lround(rr * std::sin(mid)));
    const AnalysisHit hit = v.HitTest(x, y);
    EXPECT_EQ(hit.kind, kHitRing);
    EXPECT_EQ(hit.frn, s.frn);
    EXPECT_EQ(GetAnalysisItemIndex(hit), s.rowIndex);
    EXPECT_EQ(v.HitTest(v.chart.cx, v.chart.cy).kind, kHitHole);
    // Exactly on the inner radius is on the ring; in the gap at twelve o'clock nothing.
    EXPECT_EQ(SunburstHitTest(v.chart, v.chart.cx, v.chart.cy - static_cast<int>(std::ceil(rr))), -1);
    const AnalysisHit row = v.HitTest(v.rowListRect.left + 50, v.rowListRect.top + 5);
    EXPECT_EQ(row.kind, kHitRows);
    EXPECT_EQ(row.index, 0);
    EXPECT_EQ(v.HitTest(v.upRect.left + 2, v.upRect.top + 2).kind, kHitUp);
}

TEST_F(AnalysisViewTest, RingFoldsSmallRowsIntoOther) {
    SunburstChart chart;
    const RECT box{0, 0, 400, 400};
    std::vector<std::wstring> names;
    for (int i = 0; i < 20; ++i) names.push_back(L"n" + std::to_wstring(i));
    std::vector<ChildEntry> rows(20);
    for (int i = 0; i < 20; ++i) {
        rows[i].frn = 1000 + i;
        rows[i].name = names[i].c_str();
        rows[i].nameLength = static_cast<uint16_t>(names[i].size());
        rows[i].totalSize = 100;
    }
    LayoutSunburst(chart, rows, box, RGB(66, 184, 131), RGB(58, 158, 114));
    ASSERT_EQ(chart.segments.size(), 17u);
    EXPECT_EQ(chart.otherCount, 4u);
    EXPECT_TRUE(chart.segments.back().isOther);
    EXPECT_NEAR(chart.segments.back().percent, 20.0, 1e-9);
    EXPECT_EQ(chart.segments.back().frn, 0u);

    // 1.4 % goes into Other even with room; ".." and empty rows never get a segment.
    rows.resize(3);
    rows[0].totalSize = 986;
    rows[1].totalSize = 14;
    rows[2].name = L"..";
    rows[2].nameLength = 2;
    rows[2].totalSize = 5000;
    LayoutSunburst(chart, rows, box, 0, 0);
    ASSERT_EQ(chart.segments.size(), 2u);
    EXPECT_TRUE(chart.segments[1].isOther);

    rows.resize(1);
    LayoutSunburst(chart, rows, box, 0, 0);
    ASSERT_EQ(chart.segments.size(), 1u);
    EXPECT_NEAR(chart.segments[0].sweep, 2 * 3.14159265358979323846 - 0.008, 1e-9);
    EXPECT_NEAR(chart.segments[0].start, 3.14159265358979323846 / 2 + 0.004, 1e-9);

    LayoutSunburst(chart, rows, RECT{0, 0, 60, 60}, 0, 0);
    EXPECT_NEAR(chart.outerRadius, 20.4, 1e-9);
    EXPECT_TRUE(chart.segments.empty());
    LayoutSunburst(chart, rows, RECT{0, 0, 39, 300}, 0, 0);
    EXPECT_EQ(chart.outerRadius, 0.0);
}

TEST_F(AnalysisViewTest, ScrollThumbAndDragFollowTheRows) {
    v.Reset();
    v.rows.assign(200, ChildEntry{});
    v.rowHeight = 28;
    v.scrollbarWidth = 11;
    v.rowListRect = RECT{500, 100, 800, 380};
    v.UpdateScrollbars();
    ASSERT_TRUE(v.rowBarVisible);
    EXPECT_EQ(v.rowThumb.bottom - v.rowThumb.top, 24);
    ASSERT_TRUE(v.BeginScrollbarDrag(795, 150));
    v.DragScrollbar(10000);
    EXPECT_EQ(v.rowScroll, 5320);
    v.OnMouseWheel(true, 1);
    EXPECT_EQ(v.rowScroll, 5320 - 84);
}

TEST_F(AnalysisViewTest, LongPathsElideTheMiddleCrumbs) {
    Tree t;
    for (uint64_t i = 0; i < 10; ++i) t.Folder(400 + i, i ? 399 + i : 5, L"folder_with_a_long_name_" + std::to_wstring(i));
    t.File(500, 409, L"end.bin", 1);
    g_clientWidth = 700;
    std::vector<std::unique_ptr<DriveAnalysis>> drives;
    drives.push_back(t.Drive(L'T'));
    atest::ShowDrives(std::move(drives), false);
    v.NavigateTo(409);
    ASSERT_EQ(v.crumbs.size(), 4u);
    EXPECT_EQ(v.crumbs[0].text, L"T:\\");
    EXPECT_EQ(v.crumbs[1].text, L"...");
    EXPECT_EQ(v.crumbs[2].text, L"folder_with_a_long_name_8");
    EXPECT_EQ(v.crumbs[3].text, L"folder_with_a_long_name_9");
    v.OnBreadcrumbClick(1);  // the elision does nothing
    EXPECT_EQ(v.currentFolder, 409u);
    v.OnBreadcrumbClick(2);
    EXPECT_EQ(v.currentFolder, 408u);
}

// Deleting: the deleter stands in for the confirmation and the shell.
std::vector<std::wstring> g_askedPaths;
std::vector<std::wstring> g_deletedPaths;
std::vector<std::wstring> g_boxTexts;
int FakeBox(HWND, const std::wstring& text, const std::wstring&, UINT) {
    g_boxTexts.push_back(text);
    return IDOK;
}
std::vector<std::wstring> FakeDelete(const std::vector<std::wstring>& paths, bool) {
    g_askedPaths = paths;
    return g_deletedPaths;
}

TEST_F(AnalysisViewTest, DeletingTakesOnlyDeletedFilesOutAndChecksTheDiskFirst) {
    const std::wstring root = testfx::FixtureDrive(L'T');
    if (root.empty()) GTEST_SKIP() << "fixture drive T: not mapped";
    CreateDirectoryW((root + L"one").c_str(), nullptr);
    ASSERT_TRUE(testfx::WriteFileBytes(root + L"one\\a.txt", std::string(300, 'a')));
    ASSERT_TRUE(testfx::WriteFileBytes(root + L"one\\b.txt", std::string(200, 'b')));
    ASSERT_TRUE(testfx::WriteFileBytes(root + L"one\\c.txt", std::string(999, 'c')));  // size differs from the model
    // On an NTFS drive the reference must match too: these made-up references do not.
    std::vector<std::unique_ptr<DriveAnalysis>> drives;
    drives.push_back(NestedTree().Drive(L'T'));
    atest::ShowDrives(std::move(drives), false);
    v.NavigateTo(100);
    v.SelectAllFiles();
    g_askedPaths.clear();
    g_deletedPaths = {L"T:\\one\\a.txt"};
    g_boxTexts.clear();
    SetFileActionMessageBox(&FakeBox);
    DeleteSelectedInAnalysisView(true, &FakeDelete);
    EXPECT_TRUE(g_askedPaths.empty());
    EXPECT_EQ(v.rows.size(), 5u);
    // The user is told that nothing was deleted, and why.
    ASSERT_EQ(g_boxTexts.size(), 1u);
    EXPECT_EQ(g_boxTexts[0].rfind(L"3 selected file(s) changed on disk", 0), 0u) << g_boxTexts[0];

    // A walked drive's references are its own: size and kind are checked.
    drives.push_back(NestedTree().Drive(L'T'));
    drives.back()->fileSystem = L"FAT32";
    atest::ShowDrives(std::move(drives), false);
    v.NavigateTo(100);
    v.SelectAllFiles();
    ASSERT_EQ(v.selection.size(), 3u);

    // Declined: nothing changes.
    g_deletedPaths.clear();
    g_boxTexts.clear();
    DeleteSelectedInAnalysisView(true, &FakeDelete);
    EXPECT_EQ(g_askedPaths.size(), 2u);  // c.txt is no longer the file the panel shows
    ASSERT_EQ(g_boxTexts.size(), 1u);
    EXPECT_EQ(g_boxTexts[0].rfind(L"1 selected file(s)", 0), 0u) << g_boxTexts[0];
    EXPECT_EQ(v.selection.size(), 3u);
    EXPECT_EQ(v.rows.size(), 5u);

    // One of the two deleted: only it leaves the model and the selection, and the focus that
    // named it falls back to the folder.
    v.focusFrn = 104;
    g_deletedPaths = {L"t:\\ONE\\a.txt"};
    DeleteSelectedInAnalysisView(true, &FakeDelete);
    EXPECT_EQ(v.focusFrn, 0u);
    EXPECT_EQ(v.rows.size(), 4u);
    EXPECT_EQ(RowOf(L"a.txt"), -1);
    EXPECT_EQ(v.selection.size(), 2u);
    ChildEntry one;
    ASSERT_TRUE(v.CurrentModel()->GetNodeInfo(100, one));
    EXPECT_EQ(one.totalSize, 5650 - 300);
    EXPECT_EQ(v.CurrentModel()->RootTotalSize(), 15650 - 300);
    SetFileActionMessageBox(nullptr);
}

}  // namespace

namespace {

// The mode as a unit of a window: its controls show only in the mode, a scan that ends in
// another mode waits in the mailbox until the mode is entered, and only the mode paints.
TEST_F(AnalysisViewTest, UnitOwnsItsControlsAndTakesWaitingDrivesOnEntering) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 1100, 700, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(window);
    AnalysisModeUnit& unit = AnalysisWindowUnit();
    unit.OnCreate(window);
    const AnalysisControls& c = GetAnalysisControls();
    ASSERT_TRUE(c.driveCombo && c.scanButton && c.backButton);
    wchar_t first[64] = {};
    SendMessageW(c.driveCombo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_STREQ(L"All Drives (ALL)", first);
    EXPECT_FALSE(IsWindowVisible(c.driveCombo));

    const int oldMode = g_appMode;
    g_appMode = kAppModeSearch;
    {
        std::lock_guard<std::mutex> lock(g_analysisScanMutex);
        g_analysisScanResults.clear();
        g_analysisScanResults.push_back(NestedTree().Drive(L'T'));
        g_analysisScanAllDisks = false;
    }
    LRESULT result = 1;
    EXPECT_TRUE(unit.OnMessage(window, WM_APP_ANALYSIS_DONE, 1, 0, result));
    EXPECT_EQ(0, result);
    EXPECT_FALSE(v.ready.load());
    LRESULT ignored = 0;
    EXPECT_FALSE(unit.OnMessage(window, WM_LBUTTONDOWN, 0, MAKELPARAM(600, 200), ignored));
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 1100, 700);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const RECT client{0, 0, 1100, 700};
    EXPECT_FALSE(unit.OnPaint(window, dc, client));

    ShowWindow(window, SW_SHOWNA);
    g_appMode = kAppModeAnalysis;
    unit.OnModeChanged(window, kAppModeSearch, kAppModeAnalysis);
    EXPECT_TRUE(IsWindowVisible(c.driveCombo) && IsWindowVisible(c.scanButton) && IsWindowVisible(c.backButton));
    EXPECT_TRUE(v.ready.load());
    ASSERT_FALSE(v.rows.empty());
    {
        std::lock_guard<std::mutex> lock(g_analysisScanMutex);
        EXPECT_TRUE(g_analysisScanResults.empty());
    }
    EXPECT_TRUE(unit.OnPaint(window, dc, client));

    g_appMode = kAppModeSearch;
    unit.OnModeChanged(window, kAppModeAnalysis, kAppModeSearch);
    EXPECT_FALSE(IsWindowVisible(c.driveCombo));
    unit.OnDestroy(window);
    EXPECT_FALSE(GetAnalysisControls().driveCombo);
    g_appMode = oldMode;
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    DestroyWindow(window);
}

}  // namespace

namespace {

// Segments far thinner than a pixel (a file of a few bytes beside megabytes, folded into
// "Other") paint at every start angle without bringing the program down.
TEST(AnalysisRing, HairlineSegmentsPaintSafely) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 700, 560);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SunburstChart chart;
    chart.rect = RECT{10, 10, 690, 550};
    chart.cx = 350;
    chart.cy = 280;
    chart.outerRadius = 183.6;
    chart.innerRadius = 0.52 * chart.outerRadius;
    const double sweeps[] = {2e-6, 1e-5, 5.6e-5, 3e-4, 2e-3};
    for (int step = 0; step < 720; ++step) {
        chart.segments.clear();
        for (double sweep : sweeps) {
            RingSegment s;
            s.start = step * 0.00873 + chart.segments.size() * 0.9;
            s.sweep = sweep;
            s.innerRadius = chart.innerRadius;
            s.outerRadius = chart.outerRadius;
            s.color = RGB(90, 120, 200);
            s.isOther = 1;
            chart.segments.push_back(s);
        }
        PaintSunburst(chart, dc, step % 5, 0, RGB(255, 255, 255), RGB(200, 200, 200), RGB(0, 0, 0),
                      RGB(90, 90, 90), RGB(60, 180, 120), nullptr, nullptr, L"", L"");
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

}  // namespace
