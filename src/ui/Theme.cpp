#include "ui/Theme.h"

#include <dwmapi.h>
#include <shellapi.h>
#include <uxtheme.h>

#include "ui/Controls.h"
#include "ui/Ui.h"

HBRUSH g_brushSurface = nullptr;
HBRUSH g_brushHeaderBg = nullptr;
HBRUSH g_brushSidebarBg = nullptr;
HBRUSH g_brushSidebarItemSel = nullptr;
HBRUSH g_brushSidebarItemHover = nullptr;
HBRUSH g_brushRowSel = nullptr;
HBRUSH g_brushCellBg = nullptr;
HBRUSH g_brushSearchHit = nullptr;
HBRUSH g_brushRowHover = nullptr;
HBRUSH g_brushToolbar = nullptr;
HBRUSH g_brushBorder = nullptr;
HPEN g_penDivider = nullptr;
HPEN g_penBorder = nullptr;
HPEN g_penCellBorder = nullptr;
HPEN g_penCellBorderSel = nullptr;
HPEN g_penSidebarItemSel = nullptr;
HPEN g_penSidebarItemHover = nullptr;
HPEN g_penSidebarEdge = nullptr;
HICON g_defaultFolderIcon = nullptr;
HBRUSH g_brushEditWell = nullptr;
HBRUSH g_brushControlBg = nullptr;

namespace {

// Attributes of newer systems that older SDK headers lack.
constexpr DWORD kDwmUseImmersiveDarkMode = 20;
constexpr DWORD kDwmCaptionColor = 35;
constexpr DWORD kDwmTextColor = 36;

struct BrushSlot { HBRUSH* brush; COLORREF UiPalette::*color; };
struct PenSlot { HPEN* pen; COLORREF UiPalette::*color; };

const BrushSlot kBrushes[] = {
    {&g_brushSurface, &UiPalette::surface},
    {&g_brushHeaderBg, &UiPalette::headerBg},
    {&g_brushSidebarBg, &UiPalette::sidebarBg},
    {&g_brushSidebarItemSel, &UiPalette::sidebarItemSel},
    {&g_brushSidebarItemHover, &UiPalette::sidebarItemHover},
    {&g_brushRowSel, &UiPalette::rowSel},
    {&g_brushCellBg, &UiPalette::surface},
    {&g_brushSearchHit, &UiPalette::searchHit},
    {&g_brushRowHover, &UiPalette::rowHover},
    {&g_brushToolbar, &UiPalette::toolbar},
    {&g_brushBorder, &UiPalette::border},
};

const PenSlot kPens[] = {
    {&g_penDivider, &UiPalette::divider},
    {&g_penBorder, &UiPalette::border},
    {&g_penCellBorder, &UiPalette::divider},
    {&g_penCellBorderSel, &UiPalette::accent},
    {&g_penSidebarItemSel, &UiPalette::accent},
    {&g_penSidebarItemHover, &UiPalette::divider},
    {&g_penSidebarEdge, &UiPalette::border},
};

template <typename T>
void DeleteGdi(T& object) {
    if (object) {
        DeleteObject(object);
        object = nullptr;
    }
}

bool IsLive(HWND h) { return h && IsWindow(h); }

void SetDarkModeAttribute(HWND window, bool dark) {
    BOOL value = dark ? TRUE : FALSE;
    DwmSetWindowAttribute(window, kDwmUseImmersiveDarkMode, &value, sizeof(value));
}

void RedrawControl(HWND h) {
    if (!IsLive(h)) return;
    InvalidateRect(h, nullptr, TRUE);
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
}

}  // namespace

void CreateThemeGdiResources() {
    DestroyThemeGdiResources();
    for (const BrushSlot& b : kBrushes) *b.brush = CreateSolidBrush(g_uiPalette.*(b.color));
    for (const PenSlot& p : kPens) *p.pen = CreatePen(PS_SOLID, 1, g_uiPalette.*(p.color));
    SHFILEINFOW info{};
    if (SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof(info),
                       SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES))
        g_defaultFolderIcon = info.hIcon;
}

void DestroyThemeGdiResources() {
    for (const BrushSlot& b : kBrushes) DeleteGdi(*b.brush);
    for (const PenSlot& p : kPens) DeleteGdi(*p.pen);
    if (g_defaultFolderIcon) {
        DestroyIcon(g_defaultFolderIcon);
        g_defaultFolderIcon = nullptr;
    }
}

void RecreateControlBrushes() {
    DestroyControlBrushes();
    g_brushEditWell = CreateSolidBrush(g_uiPalette.editWell);
    g_brushControlBg = CreateSolidBrush(g_uiPalette.controlBg);
}

void DestroyControlBrushes() {
    DeleteGdi(g_brushEditWell);
    DeleteGdi(g_brushControlBg);
}

void SetTitleBarTheme(HWND window, bool dark) {
    if (!IsLive(window)) return;
    SetDarkModeAttribute(window, dark);
    COLORREF caption = dark ? g_uiPalette.surface : g_uiPalette.toolbar;
    COLORREF text = g_uiPalette.text;
    DwmSetWindowAttribute(window, kDwmCaptionColor, &caption, sizeof(caption));
    DwmSetWindowAttribute(window, kDwmTextColor, &text, sizeof(text));
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void EnableDarkTitleBar(HWND window) { SetTitleBarTheme(window, true); }
void DisableDarkTitleBar(HWND window) { SetTitleBarTheme(window, false); }

void ApplyDarkControlTheme(HWND control) {
    if (!IsLive(control)) return;
    SetDarkModeAttribute(control, true);
    SetWindowTheme(control, L"", L"");
}

void ApplyLightControlTheme(HWND control) {
    if (!IsLive(control)) return;
    SetDarkModeAttribute(control, false);
    SetWindowTheme(control, L"", nullptr);
}

void ApplyControlTheme(HWND control, bool dark) {
    if (dark) ApplyDarkControlTheme(control);
    else ApplyLightControlTheme(control);
}

void ApplyThemeToWindow(HWND mainWindow, const ThemedControls& c) {
    RecreateControlBrushes();
    CreateThemeGdiResources();
    SetTitleBarTheme(mainWindow, g_darkTheme);
    for (HWND h : c.combos) ApplyControlTheme(h, g_darkTheme);
    for (HWND h : c.datePickers) ApplyControlTheme(h, g_darkTheme);
    for (HWND h : c.scrollBars) ApplyFlatScrollBarTheme(h);
    if (IsLive(mainWindow)) RedrawWindow(mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (IsLive(c.searchEdit)) {
        RedrawControl(c.searchEdit);
        CenterEditTextVertically(c.searchEdit);
    }
    for (HWND h : c.filterTags) RedrawControl(h);
    for (HWND h : c.combos) RedrawControl(h);
    for (HWND h : c.pushButtons) RedrawControl(h);
    for (HWND h : c.datePickers) {
        ApplyMonthCalendarTheme(h);
        RedrawControl(h);
    }
    for (HWND h : c.combos) ApplyComboListTheme(h);
    for (HWND h : c.scrollBars) RedrawControl(h);
    if (IsLive(mainWindow)) UpdateWindow(mainWindow);
}

void FillWithSurface(HDC dc, const RECT& rect) {
    HBRUSH surface = CreateSolidBrush(g_uiPalette.surface);
    if (!surface) return;
    FillRect(dc, &rect, surface);
    DeleteObject(surface);
}
