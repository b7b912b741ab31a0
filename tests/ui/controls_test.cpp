// The themed controls' rules (thumb sizes, button looks, texts) and the font and theme objects
// on real windows.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "ui/Controls.h"
#include "ui/Theme.h"
#include "ui/Ui.h"
#include "ui/UiColors.h"

namespace {

SCROLLINFO Info(int min, int max, UINT page, int pos) {
    SCROLLINFO si{sizeof(si), SIF_ALL};
    si.nMin = min;
    si.nMax = max;
    si.nPage = page;
    si.nPos = pos;
    return si;
}

struct DpiScope {
    explicit DpiScope(UINT dpi) : old(g_dpi) { g_dpi = dpi; }
    ~DpiScope() { g_dpi = old; }
    UINT old;
};

}  // namespace

TEST(UiControls, FlatThumbLengthsAndOffsets) {
    DpiScope dpi(96);
    // A page over the whole range fills the track.
    FlatThumb whole = ComputeFlatThumb(200, Info(0, 99, 100, 0));
    EXPECT_EQ(200, whole.length);
    EXPECT_EQ(0, whole.offset);
    // A tiny page still gives the 18 px minimum, and the end position reaches the end.
    FlatThumb tiny = ComputeFlatThumb(500, Info(0, 100000, 10, 0));
    EXPECT_EQ(18, tiny.length);
    FlatThumb end = ComputeFlatThumb(500, Info(0, 100000, 10, 100000 - 10 + 1));
    EXPECT_EQ(500 - 18, end.offset);
    // A position past the range is clamped.
    EXPECT_EQ(500 - 18, ComputeFlatThumb(500, Info(0, 100000, 10, 200000)).offset);
    EXPECT_EQ(0, ComputeFlatThumb(500, Info(0, 100000, 10, -5)).offset);
    EXPECT_EQ(0, ComputeFlatThumb(0, Info(0, 10, 1, 0)).length);
    DpiScope big(144);
    EXPECT_EQ(27, ComputeFlatThumb(500, Info(0, 100000, 10, 0)).length);
}

TEST(UiControls, ButtonLooks) {
    ApplyThemePalette(false);
    const UiPalette& p = g_uiPalette;
    ButtonLook disabledPrimary = ComputeButtonLook(true, false, true, true);
    EXPECT_EQ(p.textMuted, disabledPrimary.text);
    EXPECT_EQ(RGB((GetRValue(p.border) * 12 + GetRValue(p.controlBg) * 88) / 100,
                  (GetGValue(p.border) * 12 + GetGValue(p.controlBg) * 88) / 100,
                  (GetBValue(p.border) * 12 + GetBValue(p.controlBg) * 88) / 100),
              disabledPrimary.fill);  // no hover look while disabled
    EXPECT_EQ(p.accent, ComputeButtonLook(true, false, false, false).fill);
    EXPECT_EQ(p.hoverBg, ComputeButtonLook(false, false, false, true).fill);
    EXPECT_EQ(p.accentTint, ComputeButtonLook(false, true, false, true).fill);
    EXPECT_EQ(RGB(0xF8, 0xFA, 0xFC), OnAccentTextColor(RGB(0x2F, 0xA3, 0x6E)));
    EXPECT_EQ(RGB(0x12, 0x16, 0x18), OnAccentTextColor(RGB(0xD0, 0xD0, 0xD0)));
    EXPECT_TRUE(IsPrimaryButtonId(122));
    EXPECT_FALSE(IsPrimaryButtonId(124));
}

TEST(UiControls, Texts) {
    EXPECT_EQ(L"Images (12)", FilterTagLine(L"Images\r\n(12)"));
    EXPECT_EQ(L"Images", FilterTagLine(L"Images"));
    EXPECT_EQ(L"D:", ComboSelectionDisplayText(104, L"d:  Data"));
    EXPECT_EQ(L"ALL", ComboSelectionDisplayText(104, L"ALL"));
    EXPECT_EQ(L"d:  Data", ComboSelectionDisplayText(106, L"d:  Data"));
    std::wstring label, rest;
    SplitMenuText(L"Rename\tF2", label, rest);
    EXPECT_EQ(L"Rename", label);
    EXPECT_EQ(L"F2", rest);
    SplitMenuText(L"Open", label, rest);
    EXPECT_EQ(L"Open", label);
    EXPECT_EQ(L"", rest);
    EXPECT_TRUE(IsOwnerDrawnComboId(110));
    EXPECT_FALSE(IsOwnerDrawnComboId(105));
}

TEST(UiControls, MenuItemsArePlainStrings) {
    HMENU menu = CreatePopupMenu();
    ASSERT_TRUE(menu);
    EXPECT_TRUE(AppendMenuItem(menu, MF_OWNERDRAW | MF_GRAYED, 7, L"Seven"));
    EXPECT_TRUE(AppendMenuSeparator(menu));
    MENUITEMINFOW mii{sizeof(mii), MIIM_FTYPE | MIIM_STATE};
    ASSERT_TRUE(GetMenuItemInfoW(menu, 0, TRUE, &mii));
    EXPECT_EQ(0u, mii.fType & MFT_OWNERDRAW);
    EXPECT_NE(0u, mii.fState & MFS_GRAYED);
    EXPECT_EQ(2, GetMenuItemCount(menu));
    DestroyMenu(menu);
}

// Every registered control gets the new font before the old one is deleted, and a control that
// went away is forgotten.
TEST(UiControls, NewFontsReachEveryRegisteredControl) {
    DpiScope dpi(144);
    HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(host);
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_MULTILINE, 0, 0, 200, 40, host, nullptr, nullptr, nullptr);
    HWND button = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD, 0, 0, 80, 30, host, nullptr, nullptr, nullptr);
    HWND gone = CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 80, 30, host, nullptr, nullptr, nullptr);
    HWND tag = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD, 0, 0, 80, 30, host,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(203)), nullptr, nullptr);
    SetUiFontHost(host);
    RecreateUiFonts();
    RegisterUiFontUser(edit, UiFontRole::CenteredEdit);
    RegisterUiFontUser(button, UiFontRole::Button);
    RegisterUiFontUser(gone, UiFontRole::Ui);
    DestroyWindow(gone);
    HFONT oldUi = g_fontUi;
    RecreateUiFonts();
    EXPECT_NE(oldUi, g_fontUi);
    EXPECT_EQ(reinterpret_cast<LRESULT>(g_fontUi), SendMessageW(edit, WM_GETFONT, 0, 0));
    EXPECT_EQ(reinterpret_cast<LRESULT>(g_fontButton), SendMessageW(button, WM_GETFONT, 0, 0));
    EXPECT_EQ(reinterpret_cast<LRESULT>(g_fontButton), SendMessageW(tag, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    ASSERT_TRUE(GetObjectW(g_fontUi, sizeof(lf), &lf));
    EXPECT_EQ(-18, lf.lfHeight);  // 12 px at 144 DPI
    UnregisterUiFontUser(edit);
    UnregisterUiFontUser(button);
    SetUiFontHost(nullptr);
    DestroyWindow(host);
    DeleteUiFonts();
}

TEST(UiControls, ThemeObjectsFollowThePalette) {
    ApplyThemePalette(true);
    CreateThemeGdiResources();
    ASSERT_TRUE(g_brushSurface);
    LOGBRUSH lb{};
    ASSERT_TRUE(GetObjectW(g_brushSurface, sizeof(lb), &lb));
    EXPECT_EQ(GetBasePalette(true).surface, lb.lbColor);
    ApplyThemePalette(false);
    CreateThemeGdiResources();  // remakes without leaking the old ones
    ASSERT_TRUE(GetObjectW(g_brushSurface, sizeof(lb), &lb));
    EXPECT_EQ(GetBasePalette(false).surface, lb.lbColor);
    LOGPEN lp{};
    ASSERT_TRUE(GetObjectW(g_penCellBorderSel, sizeof(lp), &lp));
    EXPECT_EQ(GetBasePalette(false).accent, lp.lopnColor);
    DestroyThemeGdiResources();
    EXPECT_EQ(nullptr, g_brushSurface);
    EXPECT_EQ(nullptr, g_penDivider);
    EXPECT_EQ(nullptr, g_defaultFolderIcon);
}

// The themed controls draw without a failure even where the system answers less (a date picker
// whose info message fails keeps its native body).
TEST(UiControls, ThemedControlsPaint) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    ApplyThemePalette(true);
    HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr, nullptr,
                                nullptr);
    ASSERT_TRUE(host);
    HWND combo = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED |
                                                          CBS_HASSTRINGS | WS_VSCROLL,
                                 0, 0, 150, 280, host, reinterpret_cast<HMENU>(106), nullptr, nullptr);
    HWND picker = CreateWindowExW(0, DATETIMEPICK_CLASSW, L"", WS_CHILD | WS_VISIBLE, 0, 50, 130, 38, host,
                                  reinterpret_cast<HMENU>(111), nullptr, nullptr);
    HWND bar = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | SBS_VERT, 300, 0, 10, 200, host,
                               reinterpret_cast<HMENU>(105), nullptr, nullptr);
    ASSERT_TRUE(combo && picker && bar);
    InstallComboBoxSubclass(combo);
    InstallComboBoxSubclass(combo);  // once only
    InstallDateTimePickerSubclass(picker);
    ApplyMonthCalendarTheme(picker);
    ApplyFlatScrollBarTheme(bar);
    SCROLLINFO si = Info(0, 99, 10, 50);
    SetScrollInfo(bar, SB_CTL, &si, TRUE);
    UpdateWindow(host);
    RedrawWindow(host, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // The flat bar's track is the surface colour.
    HDC dc = GetDC(bar);
    ASSERT_TRUE(dc);
    PaintFlatScrollBar(bar, dc);
    EXPECT_EQ(g_uiPalette.surface, GetPixel(dc, 5, 1));
    ReleaseDC(bar, dc);
    ApplyComboListTheme(combo);
    RemoveComboListSubclass(combo);
    DestroyWindow(host);
}

// Theming a date picker's calendar (at creation and at every drop-down) sizes only the calendar's
// own drop-down container: the window that holds the picker keeps its size however often it runs
// (where the calendar is a pop-up of its own, its owner is that window).
TEST(UiControls, CalendarThemeLeavesThePickersWindowAlone) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    HWND host = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 50, 50, 700, 500, nullptr, nullptr, nullptr,
                                nullptr);
    ASSERT_TRUE(host);
    HWND picker = CreateWindowExW(0, DATETIMEPICK_CLASSW, L"", WS_CHILD | WS_VISIBLE, 10, 10, 130, 30, host,
                                  reinterpret_cast<HMENU>(111), nullptr, nullptr);
    ASSERT_TRUE(picker);
    RECT before{};
    GetWindowRect(host, &before);
    for (int i = 0; i < 3; ++i) ApplyMonthCalendarTheme(picker);
    RECT after{};
    GetWindowRect(host, &after);
    EXPECT_EQ(before.right - before.left, after.right - after.left);
    EXPECT_EQ(before.bottom - before.top, after.bottom - after.top);
    DestroyWindow(host);
}

// A drive combo keeps the drive the user chose when the drives before it come or go, falls back
// to "all" when that drive went, and takes the remembered index only when it had no selection.
TEST(UiControls, DriveComboRefillKeepsTheChosenDrive) {
    HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(host);
    HWND combo = CreateThemedCombo(host, 126, true, 0, 0, 150, 300);
    ASSERT_TRUE(combo);
    auto drives = [](const std::wstring& letters) {
        std::vector<DriveComboItem> list;
        for (wchar_t c : letters) list.push_back(DriveComboItem{c, std::wstring{c, L':'}});
        return list;
    };
    auto text = [&](int index) {
        wchar_t buffer[64] = {};
        SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer));
        return std::wstring(buffer);
    };
    struct Case {
        const wchar_t* before;  // drives listed before the refill
        int selected;           // selection before (-1 none)
        int preferred;
        const wchar_t* after;
        int want;
    };
    const Case cases[] = {
        {L"", -1, 2, L"CT", 2},     // first fill: the remembered index
        {L"", -1, 5, L"CT", 0},     // a remembered index past the list: "all"
        {L"CTU", 2, 2, L"TU", 1},   // C went: T is still chosen, one place up
        {L"TU", 1, 1, L"CDTU", 3},  // D came before it
        {L"CTU", 2, 2, L"CU", 0},   // the chosen drive went: "all", not its neighbour
        {L"CT", 0, 2, L"CTU", 0},   // "all" stays "all"
        {L"ct", 2, 0, L"CT", 2},    // letters compare without case
    };
    for (const Case& c : cases) {
        FillDriveCombo(combo, L"All", drives(c.before), 0);
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(c.selected), 0);
        const int got = FillDriveCombo(combo, L"All", drives(c.after), c.preferred);
        EXPECT_EQ(c.want, got) << c.before << " -> " << c.after;
        EXPECT_EQ(c.want, SendMessageW(combo, CB_GETCURSEL, 0, 0));
        EXPECT_EQ(static_cast<LRESULT>(wcslen(c.after) + 1), SendMessageW(combo, CB_GETCOUNT, 0, 0));
        EXPECT_EQ(L"All", text(0));
    }
    EXPECT_EQ(L"T:", text(2));
    EXPECT_EQ(-1, FillDriveCombo(nullptr, L"All", drives(L"C"), 0));
    DestroyWindow(host);
}
