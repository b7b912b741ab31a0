// The colour page of the Settings Center, re-theming after a colour change, and the subclass
// procedure of every Settings Center page and control.
#include "core/Logs.h"
#include "settings/ColorPage.h"

#include "core/Raii.h"
#include "core/Window.h"
#include "i18n/I18n.h"
#include "settings/SettingsCenter.h"
#include "ui/Theme.h"
#include "ui/Ui.h"
#include "ui/UiColors.h"

namespace {

std::wstring SlotName(int slot) {
    const ColorSlot& s = g_colorSlots[slot];
    return Tr(s.key, s.labelChinese, s.labelEnglish);
}

bool IsPageWindow(HWND window) {
    if (!window) return false;
    for (HWND page : g_hSettingsPages)
        if (page == window) return true;
    return false;
}

void DrawFrame(HDC dc, const RECT& rc, COLORREF colour) {
    GdiObject<HBRUSH> brush(CreateSolidBrush(colour));
    if (brush) FrameRect(dc, &rc, brush.get());
}

void DrawTextIn(HDC dc, const std::wstring& text, RECT rc, COLORREF colour, UINT align) {
    SetTextColor(dc, colour);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc,
              align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace

std::wstring GetColorSlotLabel(int slot) {
    if (slot < 0 || slot >= kColorSlotCount) return L"";
    std::wstring label = SlotName(slot) + L"  " + FormatHexColor(GetUiColor(slot));
    if (g_customColorSet[slot]) label += L" *";
    return label;
}

void RefreshColorSlotLabels(HWND settingsWindow) {
    for (int slot = 0; slot < kColorSlotCount; ++slot) {
        HWND swatch = FindSettingsControl(settingsWindow, kSetColorSwatchFirst + slot);
        if (!swatch) continue;
        SetWindowTextW(swatch, GetColorSlotLabel(slot).c_str());
        InvalidateRect(swatch, nullptr, TRUE);
    }
}

void ApplyColorPreset(int preset, HWND settingsWindow) {
    if (preset < 0 || preset >= kColorPresetCount) return;
    const ColorPreset& p = g_colorPresets[preset];
    for (int i = 0; i < kColorSlotCount; ++i) {
        g_customColors[i] = p.colors[i];
        g_customColorSet[i] = true;
    }
    g_lastColorPreset = preset;
    if (p.isDark == 0 || p.isDark == 1) g_darkTheme = p.isDark == 1;
    if (!SaveUiColors()) LogFailure(L"saving ui_colors.ini", GetLastError());
    // Re-theming rebuilds the palette, brushes and pens even without a main window; with one,
    // the theme may have changed and window.ini keeps it.
    const bool hasMain = IsLiveWindow(g_hMainWnd);
    if (g_settingsHost.applyTheme) g_settingsHost.applyTheme(hasMain ? g_hMainWnd : nullptr);
    if (hasMain && g_settingsHost.saveWindowIni) g_settingsHost.saveWindowIni(g_hMainWnd);
    if (IsLiveWindow(settingsWindow)) {
        SyncSettingsControls(settingsWindow);
        RefreshColorSlotLabels(settingsWindow);
    }
}

SwatchLook GetSwatchLook(bool dark, COLORREF accent) {
    if (dark)
        return {RGB(0x22, 0x26, 0x30), RGB(0x2A, 0x30, 0x3C), RGB(0x3A, 0x42, 0x52),
                RGB(0xE2, 0xE8, 0xF0), RGB(0x9A, 0xA3, 0xB8), accent};
    return {RGB(0xF7, 0xF9, 0xFC), RGB(0xE8, 0xEE, 0xF4), RGB(0xD0, 0xD7, 0xE0),
            RGB(0x2D, 0x3A, 0x4A), RGB(0x6B, 0x7A, 0x8C), RGB(0x1F, 0x7A, 0x55)};
}

void PaintColorSwatch(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    if (!dc) return;
    const int slot = static_cast<int>(item.CtlID) - kSetColorSwatchFirst;
    const SwatchLook look = GetSwatchLook(g_darkTheme, g_uiPalette.accent);
    const RECT rc = item.rcItem;
    {
        GdiObject<HBRUSH> fill(CreateSolidBrush((item.itemState & ODS_SELECTED) ? look.backgroundPressed
                                                                                : look.background));
        if (fill) FillRect(dc, &rc, fill.get());
    }
    DrawFrame(dc, rc, look.frame);

    const COLORREF colour = GetUiColor(slot);
    RECT box{rc.left + ScaleForDpi(8), rc.top + ScaleForDpi(5), rc.left + ScaleForDpi(8) + ScaleForDpi(56),
             rc.bottom - ScaleForDpi(5)};
    {
        GdiObject<HBRUSH> fill(CreateSolidBrush(colour));
        if (fill) FillRect(dc, &box, fill.get());
    }
    DrawFrame(dc, box, RGB(0x33, 0x33, 0x33));
    RECT inner{box.left + 1, box.top + 1, box.right - 1, box.bottom - 1};
    DrawFrame(dc, inner, RGB(0xFF, 0xFF, 0xFF));

    HFONT font = GetSettingsFont();
    SelectedObject keepFont(dc, font);
    SetBkMode(dc, TRANSPARENT);
    std::wstring label = slot >= 0 && slot < kColorSlotCount ? SlotName(slot) : L"";
    if (slot >= 0 && slot < kColorSlotCount && g_customColorSet[slot]) label += L" *";
    DrawTextIn(dc, label, RECT{box.right + ScaleForDpi(12), rc.top, rc.right - ScaleForDpi(100), rc.bottom},
               look.label, DT_LEFT | DT_END_ELLIPSIS);
    DrawTextIn(dc, FormatHexColor(colour),
               RECT{rc.right - ScaleForDpi(168), rc.top, rc.right - ScaleForDpi(88), rc.bottom}, look.hex, DT_RIGHT);
    DrawTextIn(dc, Tr(L"Settings_ColorChange", L"修改颜色", L"Change"),
               RECT{rc.right - ScaleForDpi(84), rc.top, rc.right - ScaleForDpi(10), rc.bottom}, look.change,
               DT_RIGHT);
    if (item.itemState & ODS_FOCUS) {
        RECT focus{rc.left + 2, rc.top + 2, rc.right - 2, rc.bottom - 2};
        DrawFocusRect(dc, &focus);
    }
}

LRESULT CALLBACK SettingsPageSubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (g_settingsHost.hotkeyCaptureActive && g_settingsHost.hotkeyCaptureActive() &&
            IsLiveWindow(g_hSettingsWnd) && g_settingsHost.handleHotkeyCaptureKey &&
            g_settingsHost.handleHotkeyCaptureKey(g_hSettingsWnd, msg, wParam, lParam))
            return 0;
        break;
    case WM_COMMAND:
    case WM_NOTIFY:
        if (IsPageWindow(window) && IsLiveWindow(g_hSettingsWnd))
            return SendMessageW(g_hSettingsWnd, msg, wParam, lParam);
        break;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (IsPageWindow(window) && item && item->CtlType == ODT_BUTTON &&
            item->CtlID >= static_cast<UINT>(kSetColorSwatchFirst) &&
            item->CtlID < static_cast<UINT>(kSetColorSwatchFirst + kColorSlotCount)) {
            PaintColorSwatch(*item);
            return 1;
        }
        break;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, SettingsPageSubclassProc, kSettingsSubclassId);
        break;
    default:
        break;
    }
    return DefSubclassProc(window, msg, wParam, lParam);
}
