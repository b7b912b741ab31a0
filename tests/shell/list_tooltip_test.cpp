// The results list's hover tip: it is placed inside the monitor's work area, and it is hidden
// when what it points at goes away (mode switch, deactivation, hiding, a menu, scrolling).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "results/ListInput.h"
#include "results/Results.h"
#include "search/Search.h"
#include "shell/Shell.h"
#include "ui/Tooltip.h"
#include "ui/Ui.h"
#include "ui/WindowUnit.h"

namespace {

// A stand-in main window with the tracking tooltip that the real one makes when it is created,
// and a list geometry with room for 8 rows.
class ListTooltipTest : public testing::Test {
protected:
    HWND window = nullptr;
    HWND previousMain = nullptr;
    RECT work{};

    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
        previousMain = g_hMainWnd;
        window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, window);
        g_hMainWnd = window;
        g_hTooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, g_hTooltip);
        SendMessageW(g_hTooltip, TTM_SETMAXTIPWIDTH, 0, 600);
        TOOLINFOW ti = TrackingToolOf(window);
        ti.lpszText = const_cast<wchar_t*>(L"");
        ASSERT_TRUE(SendMessageW(g_hTooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)));
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        g_dpi = 96;
        g_viewMode = 0;
        g_filterLayoutSidebar = false;
        g_clientWidth = 1300;
        g_clientHeight = 500;
        g_listAreaTop = 70;
        const int defaults[kResultColumnCount] = {60, 280, 100, 160, 160, 72, 400};
        for (int c = 0; c < kResultColumnCount; ++c) g_columnWidths[c] = defaults[c];
    }
    void TearDown() override {
        if (g_hTooltip) DestroyWindow(g_hTooltip);
        g_hTooltip = nullptr;
        if (window) DestroyWindow(window);
        g_hMainWnd = previousMain;
        g_hoveredRow = -1;
        g_hoveredColumn = -1;
        PublishRows(0);
        g_visibleResultCount = 0;
        g_scrollY = 0;
        g_scrollX = 0;
    }

    static void PublishRows(size_t count) {
        auto rows = std::make_shared<std::vector<MatchItem>>(count);
        {
            std::lock_guard<std::mutex> lock(g_resultsMutex);
            g_results = rows;
        }
        GetVisibleResults();  // the list's row count follows the published set
    }

    // Shows a tip as a hover over cell (row 3, column 2) does.
    void Hover() {
        g_hoveredRow = 3;
        g_hoveredColumn = 2;
        ShowTrackingTooltip(window, L"92 KB", POINT{work.left + 100, work.top + 100});
    }

    RECT TipRect() const {
        RECT r{};
        GetWindowRect(g_hTooltip, &r);
        return r;
    }
};

}  // namespace

TEST(TrackingTooltipPlacement, ClampsToEveryEdgeOfTheWorkArea) {
    // A secondary monitor left of and above the primary one: negative coordinates.
    const RECT work{-1280, -200, 0, 824};
    struct Case {
        POINT anchor;
        int w, h;
        POINT want;
    } cases[] = {
        {{-600, 100}, 200, 40, {-600, 100}},    // fits: unchanged
        {{-100, 100}, 200, 40, {-200, 100}},    // past the right edge: pulled left
        {{-600, 800}, 200, 40, {-600, 784}},    // past the bottom: pulled up
        {{-1400, -300}, 200, 40, {-1280, -200}},  // left of and above the work area: to its corner
        {{-100, 100}, 1500, 40, {-1280, 100}},  // wider than the work area: pinned to its left edge
        {{-600, 100}, 200, 1100, {-600, -200}}, // taller than the work area: pinned to its top
        {{-100, 800}, 0, 0, {-100, 800}},       // no size known: only the left and top edges count
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.anchor.x << "," << c.anchor.y << " " << c.w << "x" << c.h);
        const POINT got = ClampToWorkArea(c.anchor, c.w, c.h, work);
        EXPECT_EQ(c.want.x, got.x);
        EXPECT_EQ(c.want.y, got.y);
    }
}

TEST_F(ListTooltipTest, TipIsPlacedInsideTheWorkAreaByItsRealSize) {
    const std::wstring wide(120, L'W');
    const POINT corners[] = {{work.right - 5, work.bottom - 5}, {work.left - 50, work.top - 50}};
    for (POINT anchor : corners) {
        SCOPED_TRACE(testing::Message() << anchor.x << "," << anchor.y);
        ShowTrackingTooltip(window, wide, anchor);
        ASSERT_TRUE(IsTrackingTooltipShown());
        const RECT r = TipRect();
        EXPECT_GT(r.right - r.left, 100);
        EXPECT_GE(r.left, work.left);
        EXPECT_GE(r.top, work.top);
        EXPECT_LE(r.right, work.right);
        EXPECT_LE(r.bottom, work.bottom);
        HideTrackingTooltip(window);
        EXPECT_FALSE(IsTrackingTooltipShown());
    }
}

TEST_F(ListTooltipTest, TipIsHiddenWhenWhatItPointsAtGoesAway) {
    WindowUnit& unit = ListTooltipWindowUnit();
    auto message = [&](UINT msg, WPARAM wParam) {
        LRESULT result = 0;
        return unit.OnMessage(window, msg, wParam, 0, result);
    };
    PublishRows(1000);  // enough rows to scroll
    struct Event {
        const char* name;
        std::function<void()> run;
    } events[] = {
        {"mode change", [&] { unit.OnModeChanged(window, 0, 2); }},
        {"deactivation", [&] { EXPECT_FALSE(message(WM_ACTIVATE, WA_INACTIVE)); }},
        {"hidden", [&] { EXPECT_FALSE(message(WM_SHOWWINDOW, FALSE)); }},
        {"minimised", [&] { EXPECT_FALSE(message(WM_SIZE, SIZE_MINIMIZED)); }},
        {"menu", [&] { EXPECT_FALSE(message(WM_ENTERMENULOOP, FALSE)); }},
        {"vertical scroll", [&] { SetVerticalScroll(g_scrollY + 44); }},
    };
    for (const Event& e : events) {
        SCOPED_TRACE(e.name);
        Hover();
        ASSERT_TRUE(IsTrackingTooltipShown());
        e.run();
        EXPECT_FALSE(IsTrackingTooltipShown());
        EXPECT_EQ(-1, g_hoveredColumn);  // the next move over the cell shows its tip again
    }
    // What leaves the list where it was keeps the tip.
    Hover();
    EXPECT_FALSE(message(WM_ACTIVATE, WA_ACTIVE));
    SetVerticalScroll(g_scrollY);
    EXPECT_TRUE(IsTrackingTooltipShown());
}
