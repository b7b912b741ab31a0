#include "ui/Ui.h"

#include <algorithm>
#include <vector>

#include "i18n/I18n.h"
#include "ui/Controls.h"

UINT g_dpi = 96;
HWND g_hTooltip = nullptr;

HFONT g_fontUi = nullptr;
HFONT g_fontUiMedium = nullptr;
HFONT g_fontUiSemibold = nullptr;
HFONT g_fontTitle = nullptr;
HFONT g_fontButton = nullptr;
HFONT g_fontSmall = nullptr;


namespace {

using GetDpiForSystemFn = UINT(WINAPI*)();
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

FARPROC User32Proc(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? GetProcAddress(user32, name) : nullptr;
}

void DeleteFontIf(HFONT& font) {
    if (font) {
        DeleteObject(font);
        font = nullptr;
    }
}

void SetFontIfWindow(HWND control, HFONT font) {
    if (control && IsWindow(control)) SendMessageW(control, WM_SETFONT, (WPARAM)font, TRUE);
}

struct FontUser {
    HWND control;
    UiFontRole role;
};
std::vector<FontUser> g_fontUsers;
HWND g_fontHost = nullptr;
HWND g_roundEdit = nullptr;

HFONT FontForRole(UiFontRole role) {
    if (role == UiFontRole::Button && g_fontButton) return g_fontButton;
    return g_fontUi;
}

}  // namespace

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

void RegisterUiFontUser(HWND control, UiFontRole role) {
    if (!control) return;
    for (FontUser& user : g_fontUsers) {
        if (user.control == control) {
            user.role = role;
            SetFontIfWindow(control, FontForRole(role));
            return;
        }
    }
    g_fontUsers.push_back({control, role});
    SetFontIfWindow(control, FontForRole(role));
}

void UnregisterUiFontUser(HWND control) {
    g_fontUsers.erase(std::remove_if(g_fontUsers.begin(), g_fontUsers.end(),
                                     [control](const FontUser& u) { return u.control == control; }),
                      g_fontUsers.end());
}

void SetUiFontHost(HWND mainWindow) { g_fontHost = mainWindow; }

void RecreateUiFonts() {
    // The new fonts are handed to every user before the old ones are deleted, so no control
    // ever holds a deleted font.
    HFONT old[] = {g_fontUi, g_fontUiMedium, g_fontUiSemibold, g_fontTitle, g_fontButton, g_fontSmall};
    g_fontUi = CreateUiFont(12, 500);
    g_fontUiMedium = CreateUiFont(13, 500);
    g_fontUiSemibold = CreateUiFont(12, 600);
    g_fontTitle = CreateUiFont(16, 600);
    g_fontButton = CreateUiFont(12, 600);
    g_fontSmall = CreateUiFont(11, 400);

    g_fontUsers.erase(std::remove_if(g_fontUsers.begin(), g_fontUsers.end(),
                                     [](const FontUser& u) { return !IsWindow(u.control); }),
                      g_fontUsers.end());
    for (const FontUser& user : g_fontUsers) SetFontIfWindow(user.control, FontForRole(user.role));
    if (g_fontHost && IsWindow(g_fontHost)) {
        for (HWND child = GetWindow(g_fontHost, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            int id = GetDlgCtrlID(child);
            if (id >= kFilterTagFirstId && id <= kFilterTagLastId) SetFontIfWindow(child, g_fontButton);
        }
    }
    for (const FontUser& user : g_fontUsers) {
        const int id = GetDlgCtrlID(user.control);
        if (IsOwnerDrawnComboId(id)) {
            ApplyComboItemHeights(user.control);
            int dropped = id == kComboScopeId ? 460
                        : (id == kComboAnalysisDriveId || id == kComboDupDriveId) ? 420
                        : id == kComboDupModeId ? 280 : 0;
            if (dropped) SendMessageW(user.control, CB_SETDROPPEDWIDTH, ScaleForDpi(dropped), 0);
        }
        if (user.role == UiFontRole::CenteredEdit) CenterEditTextVertically(user.control);
    }
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
    if (edit == g_roundEdit && clientHeight > 0) {
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

void SetSearchEditForCentering(HWND edit) {
    g_roundEdit = edit;
    SetRoundFramedEdit(edit);
}
