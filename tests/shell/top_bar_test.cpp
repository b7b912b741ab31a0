// The top bar of the search mode: places of the scope combo, search box and filter controls.
#include <gtest/gtest.h>

#include "shell/Shell.h"
#include "ui/Ui.h"

namespace {

struct DpiScope {
    UINT saved = g_dpi;
    explicit DpiScope(UINT dpi) { g_dpi = dpi; }
    ~DpiScope() { g_dpi = saved; }
};

}  // namespace

TEST(TopBar, NarrowWindowKeepsTheSearchBoxUsable) {
    DpiScope dpi(96);
    TopBarLayout l = ComputeTopBarLayout(400, false, false);
    EXPECT_EQ(20, l.scopeX);
    EXPECT_EQ(152, l.editX);
    EXPECT_EQ(232, l.sizeX);
    EXPECT_EQ(80, l.editWidth);
    EXPECT_EQ(232 + 130 + 12, l.dateX);  // may run past the right edge
}

TEST(TopBar, CustomInputsMoveTheCombosLeft) {
    DpiScope dpi(96);
    TopBarLayout plain = ComputeTopBarLayout(1400, false, false);
    EXPECT_EQ(1400 - 260 - 12 - 20, plain.sizeX);
    EXPECT_EQ(plain.sizeX - 152 - 12, plain.editWidth);

    TopBarLayout size = ComputeTopBarLayout(1400, true, false);
    EXPECT_EQ(plain.sizeX - 171, size.sizeX);
    EXPECT_EQ(size.sizeX + 130 + 3, size.customEditX);
    EXPECT_EQ(size.sizeX + 130 + 78 + 6, size.unitX);
    EXPECT_EQ(plain.dateX - 9, size.dateX);

    TopBarLayout both = ComputeTopBarLayout(1400, true, true);
    EXPECT_EQ(size.sizeX - (2 * 130 + 12 + 3), both.sizeX);
    EXPECT_EQ(both.dateX + 130 + 3, both.fromX);
    EXPECT_EQ(both.dateX + 130 + 130 + 6, both.toX);
}

TEST(TopBar, EveryLengthIsScaledForTheDpi) {
    DpiScope dpi(144);
    TopBarLayout l = ComputeTopBarLayout(2100, false, false);
    EXPECT_EQ(30, l.scopeX);
    EXPECT_EQ(24, l.y);
    EXPECT_EQ(180, l.scopeWidth);
    EXPECT_EQ(2100 - 2 * 195 - 18 - 30, l.sizeX);
    EXPECT_EQ(57, ScaleForDpi(38));
    g_dpi = 120;
    EXPECT_EQ(13, ScaleForDpi(10));
}
