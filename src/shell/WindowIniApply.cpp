// window.ini and the program's state: loading at start-up and saving whenever a setting changes.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "content/Content.h"
#include "core/Core.h"
#include "results/Results.h"
#include "search/Search.h"
#include "shell/Shell.h"
#include "ui/Ui.h"

namespace {

int Px(int stored96) { return WindowIniToPixels(stored96, g_dpi); }
int Stored(int pixels, int stored96) { return WindowIniFromPixels(pixels, stored96, g_windowIniDpi); }

int PickerDate(HWND picker, int fallback) {
    SYSTEMTIME st{};
    if (picker && IsWindow(picker) && SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) == GDT_VALID)
        return st.wYear * 10000 + st.wMonth * 100 + st.wDay;
    return fallback;
}

}  // namespace

std::wstring GetWindowIniPath() { return GetConfigDir() + L"\\window.ini"; }

void LoadWindowIni(int* width, int* height) {
    WindowIniSettings s;
    if (width) s.width = *width;
    if (height) s.height = *height;
    ReadWindowIniFile(GetWindowIniPath(), s);
    g_windowIni = s;
    g_windowIniDpi = g_dpi;
    for (int i = 0; i < 5; ++i) g_columnWidths[i] = Px(s.col[i]);
    g_columnWidths[5] = Px(s.colType);
    g_pathColumnMinWidth = Px(s.col5);
    g_sizeFilterMode = s.sizePreset;
    g_dateFilterMode = s.timePreset;
    g_sizeFilterUnit = s.sizeUnit;
    g_customSizeText = s.sizeRange;
    g_customSizeTextHash.store(Fnv1aHash32(g_customSizeText));
    g_customDateFrom = s.timeStart;
    g_customDateTo = s.timeEnd;
    g_filterLayoutSidebar = s.filterLayoutSidebar;
    g_darkTheme = s.darkTheme;
    g_initialSearchEnabled = s.initialSearchEnabled;
    g_viewMode = s.viewMode;
    g_globalTrimOnToggle = s.globalTrimOnToggle;
    g_tableGridLines = s.tableGridLines;
    g_alwaysOnTop = s.alwaysOnTop;
    g_showRecentOnEmpty = s.showRecentOpens;
    g_contentMaxFileSizeMB.store(s.contentMaxFileSizeMB);
    g_contentSearchThreads.store(s.contentSearchThreads);
    SetContentSearchExts(s.contentSearchExts);
    if (width) *width = Px(s.width);
    if (height) *height = Px(s.height);
    RECT work{};
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) ClampWindowSizeToWorkArea(width, height, work);
}

void RescaleWindowIniDpi(UINT newDpi) {
    if (!newDpi) newDpi = 96;
    const UINT oldDpi = g_windowIniDpi ? g_windowIniDpi : 96;
    if (newDpi == oldDpi) return;
    auto rescale = [&](int pixels, int stored96) {
        if (pixels == WindowIniToPixels(stored96, oldDpi)) return WindowIniToPixels(stored96, newDpi);
        return MulDiv(pixels, static_cast<int>(newDpi), static_cast<int>(oldDpi));
    };
    for (int i = 0; i < 5; ++i) g_columnWidths[i] = rescale(g_columnWidths[i], g_windowIni.col[i]);
    g_columnWidths[5] = rescale(g_columnWidths[5], g_windowIni.colType);
    g_pathColumnMinWidth = rescale(g_pathColumnMinWidth, g_windowIni.col5);
    g_windowIniDpi = newDpi;
}

void SaveWindowIni(HWND window) {
    if (!window || !IsWindow(window)) return;
    WINDOWPLACEMENT placement{sizeof(placement)};
    if (!GetWindowPlacement(window, &placement)) return;
    // Pixel values are in the DPI the stored values were last converted for (kept equal to the
    // window's DPI by RescaleWindowIniDpi).
    WindowIniSettings s = g_windowIni;
    const RECT& r = placement.rcNormalPosition;
    s.width = std::max(800, Stored(r.right - r.left, g_windowIni.width));
    s.height = std::max(500, Stored(r.bottom - r.top, g_windowIni.height));
    for (int i = 0; i < 5; ++i) s.col[i] = Stored(g_columnWidths[i], g_windowIni.col[i]);
    s.colType = Stored(g_columnWidths[5], g_windowIni.colType);
    s.col5 = Stored(g_pathColumnMinWidth, g_windowIni.col5);
    s.sizePreset = g_sizeFilterMode;
    s.timePreset = g_dateFilterMode;
    s.sizeUnit = g_sizeFilterUnit;
    if (g_hCustomSizeEdit && IsWindow(g_hCustomSizeEdit)) {
        wchar_t buffer[128] = {};
        GetWindowTextW(g_hCustomSizeEdit, buffer, 128);
        g_customSizeText = buffer;
    }
    s.sizeRange = g_customSizeText;
    g_customDateFrom = PickerDate(g_hDateFromPicker, g_customDateFrom);
    g_customDateTo = PickerDate(g_hDateToPicker, g_customDateTo);
    s.timeStart = g_customDateFrom;
    s.timeEnd = g_customDateTo;
    s.filterLayoutSidebar = g_filterLayoutSidebar;
    s.darkTheme = g_darkTheme;
    s.initialSearchEnabled = g_initialSearchEnabled;
    s.viewMode = g_viewMode;
    s.globalTrimOnToggle = g_globalTrimOnToggle;
    s.tableGridLines = g_tableGridLines;
    s.alwaysOnTop = g_alwaysOnTop;
    s.showRecentOpens = g_showRecentOnEmpty;
    s.contentMaxFileSizeMB = g_contentMaxFileSizeMB.load();
    s.contentSearchThreads = g_contentSearchThreads.load();
    s.contentSearchExts = GetContentSearchExtsCopy();
    if (WriteWindowIniFile(GetWindowIniPath(), s)) g_windowIni = s;
}
