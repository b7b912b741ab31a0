// List geometry: metrics per view mode and DPI, the split of the client area, and the row hit
// test, checked as tables over explicit layouts.
#include <gtest/gtest.h>

#include <vector>

#include "results/Results.h"
#include "search/Search.h"

namespace {

ResultListLayout Layout(int viewMode, int clientW, int clientH, int sidebar = 0, int dpi = 96) {
    ResultListLayout l;
    l.dpi = dpi;
    l.viewMode = viewMode;
    l.clientWidth = clientW;
    l.clientHeight = clientH;
    l.sidebarWidth = sidebar;
    l.listAreaTop = MulDiv(70, dpi, 96);
    return l;
}

}  // namespace

TEST(ResultGeometry, MetricsPerViewModeAndDpi) {
    struct Case {
        int mode, dpi, rowH, cellW, icon, listTopOffset, columns1000;
    } cases[] = {
        {0, 96, 44, 110, 16, 40, 1},    {1, 96, 84, 110, 24, 0, 9},
        {2, 96, 112, 150, 48, 0, 6},    {0, 144, 66, 165, 24, 60, 1},
        {2, 144, 168, 225, 72, 0, 4},   {7, 96, 44, 110, 16, 40, 1},  // unknown mode acts as List
        {-1, 96, 44, 110, 16, 40, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " dpi " << c.dpi);
        ResultListLayout l = Layout(c.mode, 1000, 700, 0, c.dpi);
        EXPECT_EQ(c.rowH, GetResultRowHeightIn(l));
        EXPECT_EQ(c.cellW, GetIconCellWidthIn(l));
        EXPECT_EQ(c.icon, GetResultIconSizeIn(l));
        EXPECT_EQ(l.listAreaTop + c.listTopOffset, GetResultsListTopIn(l));
        EXPECT_EQ(c.columns1000, GetIconColumnsPerRowIn(l, 1000));
        EXPECT_EQ(1, GetIconColumnsPerRowIn(l, 0));  // never fewer than one column
    }
}

TEST(ResultGeometry, ClientAreaSplit) {
    struct Case {
        int mode, clientW, clientH, sidebar;
        int usable, right, areaW, bottom;
        bool hbar;
    } cases[] = {
        // Default columns sum to 1232: a 1100 px window needs the horizontal bar in List mode.
        {0, 1100, 700, 0, 1088, 1088, 1088, 688, true},
        {0, 1300, 700, 0, 1288, 1288, 1288, 698, false},
        {0, 1300, 700, 200, 1288, 1288, 1088, 688, true},
        // Icon modes never need the horizontal bar, whatever the column widths.
        {1, 1100, 700, 0, 1088, 1088, 1088, 698, false},
        {2, 300, 700, 200, 288, 288, 88, 698, false},
        // Narrower than the sidebar: the right edge is the sidebar width, the area is empty.
        {0, 150, 400, 200, 138, 200, 0, 388, true},
        {1, 150, 400, 200, 138, 200, 0, 398, false},
        // Degenerate client sizes never go negative.
        {0, 5, 1, 0, 0, 0, 0, 0, true},
        {0, 0, 0, 0, 0, 0, 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " " << c.clientW << "x" << c.clientH
                                        << " sidebar " << c.sidebar);
        ResultListLayout l = Layout(c.mode, c.clientW, c.clientH, c.sidebar);
        EXPECT_EQ(c.usable, GetUsableClientWidthIn(l));
        EXPECT_EQ(c.right, GetResultsRightEdgeIn(l));
        EXPECT_EQ(c.areaW, GetResultsAreaWidthIn(l));
        EXPECT_EQ(c.hbar, NeedsHorizontalScrollIn(l));
        EXPECT_EQ(c.bottom, GetResultsAreaHeightIn(l));
    }
    ResultListLayout narrow = Layout(1, 150, 400, 200);
    EXPECT_EQ(1, GetIconColumnsPerRowIn(narrow, GetResultsAreaWidthIn(narrow)));
}

TEST(ResultGeometry, ColumnLeftEdgesFollowSidebarAndHorizontalScroll) {
    ResultListLayout l = Layout(0, 1100, 700, 200);
    l.scrollX = 50;
    int expected[kResultColumnCount] = {150, 210, 490, 590, 750, 910, 982};
    for (int c = 0; c < kResultColumnCount; ++c) EXPECT_EQ(expected[c], GetColumnLeftIn(l, c));
    EXPECT_EQ(1232, GetTotalColumnWidthIn(l));
}

TEST(ResultGeometry, HitTestList) {
    ResultListLayout l = Layout(0, 1100, 700, 200);  // rows start at y 110, 44 px each
    struct Case {
        int x, y;
        int64_t scrollY, count, row;
    } cases[] = {
        {300, 110, 0, 10, 0},       {300, 153, 0, 10, 0},   {300, 154, 0, 10, 1},
        {199, 120, 0, 10, -1},      // left of the list (sidebar)
        {300, 109, 0, 10, -1},      // inside the header
        {300, 80, 0, 10, -1},       // top band
        {300, 110 + 44 * 10, 0, 10, -1},  // below the last row
        {300, 110 + 44 * 9, 0, 10, 9},
        {1090, 120, 0, 10, 0},      // right of the last column still hits the row
        {300, 110, 88, 10, 2},      // scrolled by two rows
        {300, 130, 0, 0, -1},       // empty set
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.x << "," << c.y << ") scroll " << c.scrollY);
        l.scrollY = c.scrollY;
        EXPECT_EQ(c.row, HitTestResultRowIn(l, c.x, c.y, c.count));
    }
}

TEST(ResultGeometry, HitTestIconModes) {
    // LargeIcons in a 1000 px window without sidebar: 988 px area, 6 cells of 150 per line.
    ResultListLayout l = Layout(2, 1000, 700, 0);
    struct Case {
        int x, y;
        int64_t scrollY, count, row;
    } cases[] = {
        {10, 70, 0, 100, 0},    {160, 70, 0, 100, 1},    {899, 70, 0, 100, 5},
        {900, 70, 0, 100, -1},  // beyond the last full cell column
        {10, 70 + 112, 0, 100, 6}, {160, 70 + 112, 112, 100, 13},
        {10, 69, 0, 100, -1},   {10, 70 + 112 * 2, 0, 13, 12}, {160, 70 + 112 * 2, 0, 13, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.x << "," << c.y << ") scroll " << c.scrollY);
        l.scrollY = c.scrollY;
        EXPECT_EQ(c.row, HitTestResultRowIn(l, c.x, c.y, c.count));
    }
}

TEST(ResultGeometry, LowerExtension) {
    struct Case {
        bool isDir;
        const wchar_t* name;
        const wchar_t* ext;
    } cases[] = {
        {false, L"archive.TAR.GZ", L".gz"}, {false, L"README", L""},
        {true, L"a.b", L""},                {false, L"ends with dot.", L""},
        {false, L".profile", L".profile"},  {false, L"Photo.JPG", L".jpg"},
        {false, L"", L""},                  {false, L".", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.ext, GetLowerExtension(c.isDir, c.name)) << c.name;
}

TEST(ResultGeometry, AutoSizedTypeAndPathColumns) {
    struct Case {
        int clientW, dpi, header;
        std::vector<int> exts, paths;
        int pathMin, type, path;
    } cases[] = {
        // Nothing measurable (no window): Type keeps S(52); Path fills the room, at least col5.
        {1100, 96, -1, {}, {}, 400, 52, 400},
        // No rows on screen: header text + S(36), at most S(84).
        {1100, 96, 30, {}, {}, 400, 66, 400},
        {1100, 96, 10, {}, {}, 400, 52, 400},
        {1100, 96, 30, {70}, {}, 400, 84, 400},
        {1100, 96, 30, {40, 50}, {}, 400, 70, 400},
        // Room wins over a smaller minimum; never below S(200).
        {1600, 96, 30, {}, {}, 100, 66, 762},
        {900, 96, 30, {}, {}, 100, 66, 200},
        // The widest visible path plus S(20).
        {1600, 96, 30, {}, {900, 120}, 100, 66, 920},
        {1100, 144, 30, {}, {}, 400, 84, 400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.clientW << " px at " << c.dpi << " dpi, header " << c.header);
        ResultListLayout l;
        l.dpi = c.dpi;
        l.clientWidth = c.clientW;
        l.clientHeight = 700;
        AutoColumnWidths w = ComputeAutoColumnWidths(l, c.header, c.exts, c.paths, c.pathMin);
        EXPECT_EQ(c.type, w.type);
        EXPECT_EQ(c.path, w.path);
    }
}

TEST(ResultGeometry, SidebarScrollPulledBackToLastFullPage) {
    struct Case {
        int buttons, clientH, scrollY;
        int fit, first, scrolled;
        bool bar;
    } cases[] = {
        {10, 400, 1000, 6, 4, 208, true},  // past the end: back to the last full page
        {10, 400, 60, 6, 1, 52, true},     // snapped to whole rows
        {10, 400, -5, 6, 0, 0, true},
        {3, 400, 200, 6, 0, 0, false},     // everything fits
        {3, 50, 200, 1, 2, 104, true},     // a window shorter than the list top
        {0, 400, 52, 6, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.buttons << " buttons, height " << c.clientH << ", y " << c.scrollY);
        SidebarScrollState s = ComputeSidebarScroll(c.buttons, c.clientH, 70, 8, 52, c.scrollY);
        EXPECT_EQ(c.fit, s.rowsThatFit);
        EXPECT_EQ(c.first, s.firstRow);
        EXPECT_EQ(c.scrolled, s.scrollY);
        EXPECT_EQ(c.bar, s.barNeeded);
    }
}
