// The live colour picker: colour arithmetic, and the modal picker driven from inside its own loop
// (drags, swatches, typing, OK, Cancel and the end of the program).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "core/Paths.h"
#include "settings/ColorPicker.h"
#include "support/fixture.h"
#include "ui/Ui.h"
#include "ui/UiColors.h"

namespace {

COLORREF Hex(unsigned rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// Runs `step` from inside the picker's loop once its window exists.
std::function<void(HWND)> g_step;
void CALLBACK StepTimer(HWND, UINT, UINT_PTR id, DWORD) {
    HWND picker = GetLiveColorPickerWindow();
    if (!picker) return;
    KillTimer(nullptr, id);
    auto step = std::move(g_step);
    g_step = nullptr;
    if (step) step(picker);
}

bool RunPicker(int slot, std::function<void(HWND)> step) {
    g_step = std::move(step);
    UINT_PTR timer = SetTimer(nullptr, 0, 20, StepTimer);
    bool ok = ShowLiveColorPicker(nullptr, slot);
    KillTimer(nullptr, timer);
    return ok;
}

void Click(HWND w, UINT down, int x, int y) { SendMessageW(w, down, MK_LBUTTON, MAKELPARAM(x, y)); }

RECT SquareOf() {
    // The square's place for the current DPI: left 112, top 16, 220 x 180.
    return {ScaleForDpi(112), ScaleForDpi(16), ScaleForDpi(112) + ScaleForDpi(220), ScaleForDpi(16) + ScaleForDpi(180)};
}

class Picker : public ::testing::Test {
protected:
    void SetUp() override {
        dir = testfx::MakeScratchDir(L"picker");
        SetConfigDirOverride(dir);
        for (int i = 0; i < kColorSlotCount; ++i) g_customColorSet[i] = false;
        g_lastColorPreset = 3;
        g_darkTheme = false;
        ApplyThemePalette(false);
        ApplyCustomColorOverrides();
    }
    void TearDown() override { SetConfigDirOverride(L""); }
    std::wstring dir;
};

}  // namespace

TEST(PickerColors, HsvConversionsMatchTheirReferencePoints) {
    const struct {
        double h, s, v;
        unsigned rgb;
    } cases[] = {
        {0, 1, 1, 0xFF0000},   {120, 1, 1, 0x00FF00}, {240, 1, 1, 0x0000FF}, {60, 1, 1, 0xFFFF00},
        {360, 1, 1, 0xFF0000}, {-120, 1, 1, 0x0000FF}, {300, 0.5, 1, 0xFF80FF}, {0, 0, 0.5, 0x808080},
        {30, 2, -1, 0x000000},  // clamped
    };
    for (const auto& c : cases) EXPECT_EQ(HsvToRgb(c.h, c.s, c.v), Hex(c.rgb)) << c.h << " " << c.s << " " << c.v;

    double h, s, v;
    RgbToHsv(Hex(0x808080), h, s, v);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(s, 0);
    RgbToHsv(Hex(0x42B883), h, s, v);
    EXPECT_EQ(HsvToRgb(h, s, v), Hex(0x42B883));
    EXPECT_GE(h, 0);
    EXPECT_LT(h, 360);
    for (COLORREF c : kPickerSwatches) {
        RgbToHsv(c, h, s, v);
        EXPECT_EQ(HsvToRgb(h, s, v), c);
    }
}

TEST_F(Picker, RefusesSlotsOutsideTheTable) {
    EXPECT_FALSE(ShowLiveColorPicker(nullptr, -1));
    EXPECT_FALSE(ShowLiveColorPicker(nullptr, 10));
    EXPECT_FALSE(IsLiveColorPickerOpen());
}

TEST_F(Picker, CancelAfterDragsRestoresAnUncustomisedSlot) {
    const COLORREF base = g_uiPalette.surface;
    COLORREF during = 0;
    bool ok = RunPicker(0, [&](HWND w) {
        EXPECT_TRUE(IsLiveColorPickerOpen());
        EXPECT_FALSE(ShowLiveColorPicker(nullptr, 1));  // a second picker is refused
        const RECT sq = SquareOf();
        Click(w, WM_LBUTTONDOWN, sq.right - 2, sq.top + 2);
        Click(w, WM_MOUSEMOVE, sq.right - 20, sq.top + 30);
        Click(w, WM_LBUTTONUP, sq.right - 20, sq.top + 30);
        during = g_uiPalette.surface;
        EXPECT_TRUE(g_customColorSet[0]);
        SendMessageW(w, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_FALSE(ok);
    EXPECT_NE(during, base);  // the palette followed the drag live
    EXPECT_FALSE(g_customColorSet[0]);
    EXPECT_EQ(g_uiPalette.surface, base);
    EXPECT_EQ(g_lastColorPreset, 3);
    EXPECT_FALSE(testfx::ReadFileBytes(dir + L"\\ui_colors.ini").size());
}

TEST_F(Picker, CancelPutsBackACustomColour) {
    g_customColorSet[8] = true;
    g_customColors[8] = Hex(0x123456);
    ApplyCustomColorOverrides();
    RunPicker(8, [](HWND w) {
        Click(w, WM_LBUTTONDOWN, ScaleForDpi(16) + 3, ScaleForDpi(210) + 3);  // first swatch: black
        Click(w, WM_LBUTTONUP, 0, 0);
        EXPECT_EQ(g_uiPalette.accent, Hex(0x000000));
        SendMessageW(w, WM_CLOSE, 0, 0);
    });
    EXPECT_TRUE(g_customColorSet[8]);
    EXPECT_EQ(g_customColors[8], Hex(0x123456));
    EXPECT_EQ(g_uiPalette.accent, Hex(0x123456));
}

TEST_F(Picker, OkWritesTheSlotAndForgetsThePreset) {
    bool ok = RunPicker(3, [](HWND w) {
        HWND edit = GetDlgItem(w, kPickerHexId);
        ASSERT_TRUE(edit);
        SetWindowTextW(edit, L"#12ab3");  // five digits: nothing changes
        EXPECT_NE(GetUiColor(3), Hex(0x12AB30));
        SetWindowTextW(edit, L"#12ab3c");
        EXPECT_EQ(GetUiColor(3), Hex(0x12AB3C));
        EXPECT_EQ(SendMessageW(GetDlgItem(w, kPickerGreenId), TBM_GETPOS, 0, 0), 0xAB);
        SendMessageW(w, WM_COMMAND, IDOK, 0);
    });
    EXPECT_TRUE(ok);
    EXPECT_TRUE(g_customColorSet[3]);
    EXPECT_EQ(g_customColors[3], Hex(0x12AB3C));
    EXPECT_EQ(g_lastColorPreset, -1);
    EXPECT_NE(testfx::ReadFileBytes(dir + L"\\ui_colors.ini").find("text=12AB3C"), std::string::npos);
}

TEST_F(Picker, OkWithoutChangesStillCustomisesTheSlot) {
    const COLORREF base = GetUiColor(6);
    EXPECT_TRUE(RunPicker(6, [](HWND w) { SendMessageW(w, WM_COMMAND, IDOK, 0); }));
    EXPECT_TRUE(g_customColorSet[6]);
    EXPECT_EQ(g_customColors[6], base);
}

TEST_F(Picker, TheLeftEdgeOfTheSquareIsGreyAndResetsTheHue) {
    RunPicker(8, [](HWND w) {
        const RECT sq = SquareOf();
        Click(w, WM_LBUTTONDOWN, sq.left, sq.top + 40);
        Click(w, WM_LBUTTONUP, sq.left, sq.top + 40);
        const COLORREF c = GetUiColor(8);
        EXPECT_EQ(GetRValue(c), GetGValue(c));
        EXPECT_EQ(GetGValue(c), GetBValue(c));
        // Moving right again now gives a red: the hue went back to 0.
        Click(w, WM_LBUTTONDOWN, sq.right - 1, sq.top);
        Click(w, WM_LBUTTONUP, sq.right - 1, sq.top);
        EXPECT_EQ(GetUiColor(8), Hex(0xFF0000));
        SendMessageW(w, WM_COMMAND, IDCANCEL, 0);
    });
}

TEST_F(Picker, TheTrackBarsSetTheColourAndTheHexText) {
    RunPicker(2, [](HWND w) {
        HWND red = GetDlgItem(w, kPickerRedId);
        ASSERT_TRUE(red);
        SendMessageW(GetDlgItem(w, kPickerRedId), TBM_SETPOS, TRUE, 0x10);
        SendMessageW(GetDlgItem(w, kPickerGreenId), TBM_SETPOS, TRUE, 0x20);
        SendMessageW(GetDlgItem(w, kPickerBlueId), TBM_SETPOS, TRUE, 0x30);
        SendMessageW(w, WM_HSCROLL, TB_ENDTRACK, reinterpret_cast<LPARAM>(red));
        EXPECT_EQ(GetUiColor(2), Hex(0x102030));
        wchar_t text[32] = {};
        GetWindowTextW(GetDlgItem(w, kPickerHexId), text, 32);
        EXPECT_STREQ(text, L"#102030");
        SendMessageW(w, WM_COMMAND, IDCANCEL, 0);
    });
}

TEST_F(Picker, TheEndOfTheProgramClosesThePickerAsCancelAndReachesTheMainLoop) {
    bool ok = RunPicker(0, [](HWND) { PostQuitMessage(5); });
    EXPECT_FALSE(ok);
    EXPECT_FALSE(IsLiveColorPickerOpen());
    EXPECT_FALSE(GetLiveColorPickerWindow());
    EXPECT_FALSE(g_customColorSet[0]);
    MSG m{};
    ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(m.wParam, 5u);
}
