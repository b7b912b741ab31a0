// Scroll clamping and the overlay bar geometry (no main window: the native bars are absent).
#include <gtest/gtest.h>

#include "results/Results.h"
#include "search/Search.h"
#include "shell/Shell.h"
#include "ui/Ui.h"

namespace {

class ScrollTest : public testing::Test {
protected:
    void SetUp() override {
        g_hMainWnd = nullptr;
        g_dpi = 96;
        g_viewMode = 0;
        g_filterLayoutSidebar = false;
        g_clientWidth = 1300;   // 1288 px area: the default columns fit
        g_clientHeight = 500;   // rows from 110 to 498: 388 px, 8 whole rows
        g_listAreaTop = 70;
        g_scrollY = 0;
        g_scrollX = 0;
        g_scrollDragging = false;
        g_lastScrollTick = 0;
        g_overlayScrollDrag = 0;
        const int defaults[kResultColumnCount] = {60, 280, 100, 160, 160, 72, 400};
        for (int c = 0; c < kResultColumnCount; ++c) g_columnWidths[c] = defaults[c];
    }
    void TearDown() override {
        g_visibleResultCount = 0;
        g_scrollY = 0;
        g_scrollX = 0;
        g_viewMode = 0;
    }
};

}  // namespace

TEST_F(ScrollTest, VerticalOffsetIsClampedToTheLastPage) {
    struct Case {
        int64_t rows, request, stored;
    } cases[] = {
        {5, 500, 0},            // fewer rows than fit: always 0
        {100, -50, 0},
        {100, 440, 440},
        {100, 1000000, 100 * 44 - 388},
        {0, 44, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows, y " << c.request);
        g_visibleResultCount = c.rows;
        g_scrollY = 0;
        SetVerticalScroll(c.request);
        EXPECT_EQ(c.stored, g_scrollY);
    }
    // Icon modes scroll by lines of cells: 100 rows in 11 columns of 110 px are 10 lines of 84.
    g_viewMode = 1;
    g_visibleResultCount = 100;
    SetVerticalScroll(1000000);
    EXPECT_EQ(10 * 84 - (498 - 70), g_scrollY);
}

TEST_F(ScrollTest, OverlayBarsAppearOnlyWhenNeeded) {
    g_visibleResultCount = 5;
    ComputeOverlayScrollBars();
    EXPECT_FALSE(g_overlayScrollBars.verticalVisible);
    EXPECT_FALSE(g_overlayScrollBars.horizontalVisible);

    // Millions of rows: the thumb keeps its minimum length and sits at the end when scrolled there.
    g_visibleResultCount = 5000000;
    g_scrollY = (5000000 - 8) * 44LL;
    ComputeOverlayScrollBars();
    ASSERT_TRUE(g_overlayScrollBars.verticalVisible);
    const RECT& thumb = g_overlayScrollBars.verticalThumb;
    EXPECT_EQ(28, thumb.bottom - thumb.top);
    EXPECT_EQ(498, thumb.bottom);
    EXPECT_EQ(1288, g_overlayScrollBars.verticalTrack.left);
    EXPECT_EQ(1298, g_overlayScrollBars.verticalTrack.right);

    // A list area of 24 px or less shows no vertical bar.
    g_clientHeight = 110 + 24 + 2;
    ComputeOverlayScrollBars();
    EXPECT_FALSE(g_overlayScrollBars.verticalVisible);

    // A narrow List window needs the horizontal bar; the icon modes never do.
    g_clientHeight = 500;
    g_clientWidth = 800;
    ComputeOverlayScrollBars();
    EXPECT_TRUE(g_overlayScrollBars.horizontalVisible);
    EXPECT_GE(g_overlayScrollBars.horizontalThumb.right - g_overlayScrollBars.horizontalThumb.left, 28);
    g_viewMode = 2;
    g_scrollX = 300;
    ComputeOverlayScrollBars();
    EXPECT_FALSE(g_overlayScrollBars.horizontalVisible);
    UpdateScrollBar();
    EXPECT_EQ(0, g_scrollX);
}

TEST_F(ScrollTest, HorizontalOffsetIsClamped) {
    g_clientWidth = 800;  // 788 px area for 1232 px of columns
    SetHorizontalScroll(100);
    EXPECT_EQ(100, g_scrollX);
    SetHorizontalScroll(5000);
    EXPECT_EQ(1232 - 788, g_scrollX);
    SetHorizontalScroll(-3);
    EXPECT_EQ(0, g_scrollX);
}

TEST_F(ScrollTest, ScrollInteractionLastsThreeHundredFiftyMilliseconds) {
    EXPECT_FALSE(IsScrollInteractionActive());
    g_lastScrollTick = GetTickCount64();
    EXPECT_TRUE(IsScrollInteractionActive());
    g_lastScrollTick = GetTickCount64() - 400;
    EXPECT_FALSE(IsScrollInteractionActive());
    g_scrollDragging = true;
    EXPECT_TRUE(IsScrollInteractionActive());
    g_scrollDragging = false;
}
