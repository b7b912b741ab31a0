// The filter bar's top-bar layout as a pure function, and the selection model.
#include <gtest/gtest.h>

#include "results/FilterBar.h"
#include "search/Search.h"

namespace {
const FilterBarMetrics k96{20, 8, 74, 40, 16, 4, 70};
}

TEST(FilterBarLayout, WrapsToANewRowWhenTheNextButtonDoesNotFit) {
    // Available width 500 at 96 DPI: client width 540.
    FilterBarLayout l = ComputeFilterBarLayout({200, 200, 200}, 540, k96);
    ASSERT_EQ(3u, l.rects.size());
    EXPECT_EQ(20, l.rects[0].left);
    EXPECT_EQ(74, l.rects[0].top);
    EXPECT_EQ(228, l.rects[1].left);
    EXPECT_EQ(74, l.rects[1].top);
    EXPECT_EQ(20, l.rects[2].left);
    EXPECT_EQ(122, l.rects[2].top);
    EXPECT_EQ(40, l.rects[2].bottom - l.rects[2].top);
    EXPECT_EQ(178, l.listAreaTop);
}

TEST(FilterBarLayout, OneRowAndOversizedButtons) {
    FilterBarLayout one = ComputeFilterBarLayout({72, 72}, 1000, k96);
    EXPECT_EQ(16 + 40 + 4 + 70, one.listAreaTop);
    EXPECT_EQ(100, one.rects[1].left);
    // A single button wider than the room is shrunk to it and does not wrap.
    FilterBarLayout wide = ComputeFilterBarLayout({900}, 540, k96);
    EXPECT_EQ(20, wide.rects[0].left);
    EXPECT_EQ(500, wide.rects[0].right - wide.rects[0].left);
    EXPECT_EQ(74, wide.rects[0].top);
    // No room at all: widths become 0 but every button keeps a place.
    FilterBarLayout none = ComputeFilterBarLayout({100, 100}, 10, k96);
    EXPECT_EQ(0, none.rects[0].right - none.rects[0].left);
}

TEST(FilterBarLayout, ButtonWidthIsClampedAndCountsTheGap) {
    // At 96 DPI: name + count + 6 + 2 * 12, clamped to 72..220.
    EXPECT_EQ(100 + 30 + 6 + 24, FilterButtonWidthFromParts(100, 30, true));
    EXPECT_EQ(72, FilterButtonWidthFromParts(10, 0, false));
    EXPECT_EQ(220, FilterButtonWidthFromParts(400, 40, true));
    EXPECT_EQ(72, FilterButtonWidthFromParts(40, 99, false));  // no count part: its width is ignored
}

class SelectionTest : public ::testing::Test {
protected:
    void SetUp() override { ClearSelection(); }
    void TearDown() override { ClearSelection(); }
};

TEST_F(SelectionTest, RangeWithAndWithoutAnchor) {
    SelectRowRange(5);
    EXPECT_EQ((std::vector<int64_t>{5}), GetSelectedRowIndices(100));
    EXPECT_EQ(5, g_anchorRow);
    EXPECT_EQ(5, g_caretRow);
    SelectRowRange(2);
    EXPECT_EQ((std::vector<int64_t>{2, 3, 4, 5}), GetSelectedRowIndices(100));
    EXPECT_EQ(5, g_anchorRow);
    EXPECT_EQ(2, g_caretRow);
    SelectRowRange(-1);  // ignored
    EXPECT_EQ(4u, g_selectedRows.size());
    // Rows beyond the given count are ignored, not removed.
    EXPECT_EQ((std::vector<int64_t>{2, 3}), GetSelectedRowIndices(4));
    EXPECT_EQ(4u, g_selectedRows.size());
}

TEST_F(SelectionTest, SingleAndToggle) {
    SelectSingleRow(3);
    EXPECT_TRUE(IsRowSelected(3));
    ToggleRowSelection(7);
    EXPECT_EQ((std::vector<int64_t>{3, 7}), GetSelectedRowIndices(10));
    EXPECT_EQ(7, g_caretRow);
    EXPECT_EQ(7, g_anchorRow);
    ToggleRowSelection(3);
    ToggleRowSelection(7);
    EXPECT_TRUE(g_selectedRows.empty());
    EXPECT_EQ(-1, g_caretRow);
    EXPECT_EQ(-1, g_anchorRow);
    SelectSingleRow(-4);
    EXPECT_TRUE(g_selectedRows.empty());
    EXPECT_EQ(-1, g_caretRow);
    ToggleRowSelection(-1);
    EXPECT_TRUE(g_selectedRows.empty());
}
