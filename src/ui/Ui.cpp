#include "ui/Ui.h"

#include "shell/Shell.h"

UINT g_dpi = 96;

HFONT g_fontUi = nullptr;
HFONT g_fontUiMedium = nullptr;
HFONT g_fontUiSemibold = nullptr;
HFONT g_fontTitle = nullptr;
HFONT g_fontButton = nullptr;
HFONT g_fontSmall = nullptr;

// The language subsystem sets this; the fonts read it when they are made.
extern bool g_languageIsChinese;

namespace {

using GetDpiForSystemFn = UINT(WINAPI*)();
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

FARPROC User32Proc(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? GetProcAddress(user32, name) : nullptr;
}

constexpr UiPalette kLightBase = {
    RGB(0x1E, 0x29, 0x3B), RGB(0x94, 0xA3, 0xB8), RGB(0x0F, 0x76, 0x46), RGB(0xF1, 0xF4, 0xF8),
    RGB(0xE8, 0xED, 0xF3), RGB(0x94, 0xA3, 0xB8), RGB(0x64, 0x74, 0x8B), RGB(0xFF, 0xFF, 0xFF),
    RGB(0xE2, 0xE8, 0xF0), RGB(0x64, 0x74, 0x8B), RGB(0xE4, 0xE9, 0xF0), RGB(0xB0, 0xED, 0xD0),
    RGB(0xFF, 0xFF, 0xFF), RGB(0x33, 0x41, 0x55), RGB(0x2F, 0xA3, 0x6E), RGB(0xCB, 0xD5, 0xE1),
    RGB(0xCB, 0xD5, 0xE1), RGB(0xFF, 0xFF, 0xFF), RGB(0xD8, 0xF3, 0xE6), RGB(0xE8, 0xEE, 0xF5),
    RGB(0xD8, 0xF3, 0xE6), RGB(0x25, 0x8A, 0x5B), RGB(0xE8, 0xED, 0xF3), RGB(0xDC, 0xE3, 0xEC),
    RGB(0x33, 0x41, 0x55), RGB(0xDC, 0xE3, 0xEC)};

constexpr UiPalette kDarkBase = {
    RGB(0xCB, 0xD5, 0xE1), RGB(0x3B, 0x42, 0x52), RGB(0x5C, 0xE0, 0xAB), RGB(0x12, 0x14, 0x1C),
    RGB(0x16, 0x18, 0x23), RGB(0x42, 0xB8, 0x83), RGB(0x64, 0x74, 0x8B), RGB(0x1E, 0x22, 0x30),
    RGB(0x1E, 0x20, 0x2A), RGB(0x7A, 0x82, 0x96), RGB(0x16, 0x18, 0x23), RGB(0x35, 0x5A, 0x48),
    RGB(0x1E, 0x22, 0x30), RGB(0x9A, 0xA3, 0xB8), RGB(0x42, 0xB8, 0x83), RGB(0x23, 0x27, 0x38),
    RGB(0x22, 0x24, 0x30), RGB(0x1E, 0x22, 0x30), RGB(0x26, 0x3A, 0x33), RGB(0x16, 0x19, 0x25),
    RGB(0x26, 0x3A, 0x33), RGB(0x38, 0xA0, 0x74), RGB(0x12, 0x14, 0x1C), RGB(0x18, 0x1A, 0x25),
    RGB(0x9A, 0xA3, 0xB8), RGB(0x1C, 0x1F, 0x2B)};

void DeleteFontIf(HFONT& font) {
    if (font) {
        DeleteObject(font);
        font = nullptr;
    }
}

void SetFontIfWindow(HWND control, HFONT font) {
    if (control && IsWindow(control)) SendMessageW(control, WM_SETFONT, (WPARAM)font, TRUE);
}

}  // namespace

UiPalette g_uiPalette = kDarkBase;
bool g_darkTheme = false;

void ApplyThemePalette(bool dark) { g_uiPalette = dark ? kDarkBase : kLightBase; }

UINT GetSystemDpi() {
    if (auto fn = reinterpret_cast<GetDpiForSystemFn>(User32Proc("GetDpiForSystem"))) {
        UINT dpi = fn();
        if (dpi) return dpi;
    }
    HDC screen = GetDC(nullptr);
    if (!screen) return 96;
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

UINT GetWindowDpi(HWND window) {
    if (window) {
        if (auto fn = reinterpret_cast<GetDpiForWindowFn>(User32Proc("GetDpiForWindow"))) {
            UINT dpi = fn(window);
            if (dpi) return dpi;
        }
    }
    return GetSystemDpi();
}

int ScaleForDpi(int value) { return MulDiv(value, static_cast<int>(g_dpi ? g_dpi : 96), 96); }

HFONT CreateUiFont(int size, int weight) {
    const wchar_t* face = g_languageIsChinese ? L"Microsoft YaHei UI" : L"Segoe UI";
    return CreateFontW(-ScaleForDpi(size), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                       face);
}

void DeleteUiFonts() {
    DeleteFontIf(g_fontUi);
    DeleteFontIf(g_fontUiMedium);
    DeleteFontIf(g_fontUiSemibold);
    DeleteFontIf(g_fontTitle);
    DeleteFontIf(g_fontButton);
    DeleteFontIf(g_fontSmall);
}

void RecreateUiFonts() {
    // The new fonts are handed to the children before the old ones are deleted, so no control
    // ever holds a deleted font.
    HFONT old[] = {g_fontUi, g_fontUiMedium, g_fontUiSemibold, g_fontTitle, g_fontButton, g_fontSmall};
    g_fontUi = CreateUiFont(12, 500);
    g_fontUiMedium = CreateUiFont(13, 500);
    g_fontUiSemibold = CreateUiFont(12, 600);
    g_fontTitle = CreateUiFont(16, 600);
    g_fontButton = CreateUiFont(12, 600);
    g_fontSmall = CreateUiFont(11, 400);

    for (HWND control : {g_hScopeCombo, g_hAnalysisDriveCombo, g_hDupDriveCombo, g_hDupModeCombo,
                         g_hSizeFilterCombo, g_hDateFilterCombo, g_hSizeUnitCombo, g_hSearchEdit,
                         g_hCustomSizeEdit, g_hDateRangeHintEdit, g_hDateFromPicker,
                         g_hDateToPicker, g_hStatusText, g_hTooltip}) {
        SetFontIfWindow(control, g_fontUi);
    }
    HFONT buttonFont = g_fontButton ? g_fontButton : g_fontUi;
    for (HWND button : {g_hAnalysisScanButton, g_hAnalysisBackButton, g_hDupScanButton,
                        g_hDupPauseButton, g_hDupBackButton}) {
        SetFontIfWindow(button, buttonFont);
    }
    if (g_hMainWnd) {
        for (HWND child = GetWindow(g_hMainWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            int id = GetDlgCtrlID(child);
            if (id >= IDC_FILTER_BUTTON_FIRST && id < IDC_FILTER_BUTTON_FIRST + 1000)
                SetFontIfWindow(child, g_fontButton);
        }
    }
    struct DroppedWidth { HWND combo; int width; };
    for (DroppedWidth d : {DroppedWidth{g_hScopeCombo, 460}, DroppedWidth{g_hAnalysisDriveCombo, 420},
                           DroppedWidth{g_hDupDriveCombo, 420}, DroppedWidth{g_hDupModeCombo, 280}}) {
        if (d.combo && IsWindow(d.combo)) SendMessageW(d.combo, CB_SETDROPPEDWIDTH, ScaleForDpi(d.width), 0);
    }
    CenterEditTextIfWindow(g_hSearchEdit);
    CenterEditTextIfWindow(g_hCustomSizeEdit);
    CenterEditTextIfWindow(g_hDateRangeHintEdit);
    for (HFONT font : old)
        if (font) DeleteObject(font);
}

void CenterEditTextVertically(HWND edit) {
    if (!edit) return;
    SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    RECT rc{};
    GetClientRect(edit, &rc);
    int inset = ScaleForDpi(2);
    int clientHeight = rc.bottom - rc.top;
    if (edit == g_hSearchEdit && clientHeight > 0) {
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0));
        HDC dc = font ? GetDC(edit) : nullptr;
        if (dc) {
            HGDIOBJ previous = SelectObject(dc, font);
            TEXTMETRICW tm{};
            if (GetTextMetricsW(dc, &tm)) {
                int centred = (clientHeight - tm.tmHeight) / 2;
                inset = centred > 0 ? centred : 0;
            }
            SelectObject(dc, previous);
            ReleaseDC(edit, dc);
        }
    }
    RECT format{rc.left + ScaleForDpi(14), rc.top + inset, rc.right - ScaleForDpi(8), rc.bottom - inset};
    SendMessageW(edit, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&format));
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

void CenterEditTextIfWindow(HWND edit) {
    if (edit && IsWindow(edit)) CenterEditTextVertically(edit);
}
