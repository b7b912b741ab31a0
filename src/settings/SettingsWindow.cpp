// The Settings Center window: its class, creation and reuse, size limits and layout, tab
// switching, hotkey capture while it is open, and re-translation after a language switch.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cwchar>

#include "core/AppInfo.h"
#include "core/Window.h"
#include "i18n/I18n.h"
#include "settings/ColorPage.h"
#include "settings/ColorPicker.h"
#include "settings/SettingsCenter.h"
#include "ui/Ui.h"

SettingsHostHooks g_settingsHost;
HWND g_hSettingsWnd = nullptr;
HWND g_settingsTab = nullptr;
HWND g_hSettingsPages[kSettingsPageCount] = {};
HWND g_settingsCurrentPage = nullptr;

namespace {

HFONT g_settingsFont = nullptr;  // kept for the process
bool g_settingsClassRegistered = false;

struct TabCaption {
    const wchar_t* key;
    const wchar_t* chinese;
    const wchar_t* english;
};
const TabCaption kTabs[kSettingsPageCount] = {
    {L"Settings_Cat1", L"外观与语言", L"Appearance & Language"},
    {L"Settings_Cat2", L"常用", L"Common"},
    {L"Settings_Cat3", L"内容搜索", L"Content Search"},
    {L"Settings_Cat4", L"快捷键", L"Hotkeys"},
    {L"Settings_Cat5", L"配置文件", L"Config Files"},
    {L"Settings_Cat6", L"维护", L"Maintenance"},
    {L"Settings_Cat7", L"界面配色", L"UI Colors"},
};

// A tab caption as the tab control draws it: an ampersand is text, not a mnemonic prefix.
std::wstring TabText(int i) {
    std::wstring text;
    for (wchar_t c : Tr(kTabs[i].key, kTabs[i].chinese, kTabs[i].english)) {
        text += c;
        if (c == L'&') text += L'&';
    }
    return text;
}
std::wstring TitleText() { return Tr(L"Settings_Title", L"设置中心", L"Settings Center"); }
std::wstring CloseText() { return Tr(L"Button_Close", L"关闭", L"Close"); }

void EndCapture(bool restore) {
    if (g_settingsHost.endHotkeyCapture) g_settingsHost.endHotkeyCapture(restore);
}

void CenterOn(HWND window, HWND owner) {
    HWND reference = owner ? owner : g_hMainWnd;
    if (g_settingsHost.centerWindow) g_settingsHost.centerWindow(window, reference);
}

void ForgetWindows() {
    g_hSettingsWnd = nullptr;
    g_settingsTab = nullptr;
    g_settingsCurrentPage = nullptr;
    for (HWND& page : g_hSettingsPages) page = nullptr;
}

void SetTabCaption(int index, const std::wstring& text) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(g_settingsTab, TCM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void BuildPages(HWND window) {
    for (int i = 0; i < kSettingsPageCount; ++i) g_hSettingsPages[i] = BuildSettingsPage(window, i);
    // The tab control stays below the pages that lie over it.
    if (IsLiveWindow(g_settingsTab))
        SetWindowPos(g_settingsTab, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

int SelectedTab() {
    if (!IsLiveWindow(g_settingsTab)) return 0;
    const int sel = static_cast<int>(SendMessageW(g_settingsTab, TCM_GETCURSEL, 0, 0));
    return sel < 0 ? 0 : sel;
}

LRESULT OnCreate(HWND window) {
    g_hSettingsWnd = window;
    SetWindowTextW(window, TitleText().c_str());
    if (HICON big = LoadProgramIcon(32)) SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (HICON small = LoadProgramIcon(16))
        SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));

    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);

    g_settingsTab = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                                    window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSettingsTabId)),
                                    GetModuleHandleW(nullptr), nullptr);
    if (g_settingsTab) {
        SendMessageW(g_settingsTab, WM_SETFONT, reinterpret_cast<WPARAM>(GetSettingsFont()), TRUE);
        for (int i = 0; i < kSettingsPageCount; ++i) {
            const std::wstring text = TabText(i);
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = const_cast<wchar_t*>(text.c_str());
            SendMessageW(g_settingsTab, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        }
    }
    BuildPages(window);
    CreateSettingsControl(window, L"BUTTON", CloseText(), 0, kSettingsCloseId, 380, 0, 90, 26);
    CreateSettingsControl(window, L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_ENDELLIPSIS | SS_NOPREFIX,
                          kSettingsStatusId, 16, 0, 360, 26);
    ShowSettingsPage(0);
    if (g_settingsTab) SendMessageW(g_settingsTab, TCM_SETCURSEL, 0, 0);
    SyncSettingsControls(window);
    LayoutSettingsWindow(window);
    return 0;
}

void Close(HWND window) {
    EndCapture(true);
    ShowWindow(window, SW_HIDE);
}

}  // namespace

HFONT GetSettingsFont() {
    if (!g_settingsFont) g_settingsFont = CreateUiFont(12, 400);
    return g_settingsFont ? g_settingsFont : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

HWND FindSettingsControl(HWND window, int id) {
    HWND found = IsLiveWindow(window) ? GetDlgItem(window, id) : nullptr;
    for (int i = 0; !found && i < kSettingsPageCount; ++i)
        if (IsLiveWindow(g_hSettingsPages[i])) found = GetDlgItem(g_hSettingsPages[i], id);
    if (!found && IsLiveWindow(g_settingsCurrentPage)) found = GetDlgItem(g_settingsCurrentPage, id);
    return found;
}

HWND GetSettingsControl(HWND window, int id) {
    (void)window;
    return FindSettingsControl(g_hSettingsWnd, id);
}

bool IsSettingsCheckboxChecked(HWND window, int id) {
    HWND box = FindSettingsControl(window, id);
    return box && SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

HWND CreateSettingsControl(HWND parent, const wchar_t* className, const std::wstring& text, DWORD extraStyle,
                           int id, int x, int y, int width, int height) {
    DWORD style = WS_CHILD | WS_VISIBLE;
    if (_wcsicmp(className, L"STATIC") != 0) style |= WS_TABSTOP;
    style |= extraStyle;
    HWND control = CreateWindowExW(0, className, text.c_str(), style, ScaleForDpi(x), ScaleForDpi(y),
                                   ScaleForDpi(width), ScaleForDpi(height), parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                   nullptr);
    if (!control) return nullptr;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetSettingsFont()), TRUE);
    SetWindowSubclass(control, SettingsPageSubclassProc, kSettingsSubclassId, 0);
    return control;
}

void ShowSettingsPage(int index) {
    if (index < 0 || index >= kSettingsPageCount) index = 0;
    for (int i = 0; i < kSettingsPageCount; ++i)
        if (IsLiveWindow(g_hSettingsPages[i])) ShowWindow(g_hSettingsPages[i], i == index ? SW_SHOW : SW_HIDE);
    g_settingsCurrentPage = g_hSettingsPages[index];
}

void LayoutSettingsWindow(HWND window) {
    if (!IsLiveWindow(window)) return;
    RECT client{};
    GetClientRect(window, &client);
    const int w = client.right, h = client.bottom;
    const int bottom = h - ScaleForDpi(40);
    if (IsLiveWindow(g_settingsTab)) {
        MoveWindow(g_settingsTab, ScaleForDpi(8), ScaleForDpi(8), std::max(0, w - ScaleForDpi(16)),
                   std::max(0, bottom - ScaleForDpi(8)), TRUE);
        RECT page{ScaleForDpi(8), ScaleForDpi(8), w - ScaleForDpi(8), bottom};
        SendMessageW(g_settingsTab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
        for (HWND p : g_hSettingsPages)
            if (IsLiveWindow(p))
                MoveWindow(p, page.left, page.top, std::max(0L, page.right - page.left),
                           std::max(0L, page.bottom - page.top), TRUE);
    }
    if (HWND close = GetDlgItem(window, kSettingsCloseId))
        MoveWindow(close, w - ScaleForDpi(108), h - ScaleForDpi(34), ScaleForDpi(90), ScaleForDpi(26), TRUE);
    if (HWND status = GetDlgItem(window, kSettingsStatusId))
        MoveWindow(status, ScaleForDpi(16), h - ScaleForDpi(34), std::max(0, w - ScaleForDpi(108) - ScaleForDpi(28)),
                   ScaleForDpi(26), TRUE);
}

void SetSettingsStatus(HWND window, const std::wstring& text) {
    if (HWND status = IsLiveWindow(window) ? GetDlgItem(window, kSettingsStatusId) : nullptr)
        SetWindowTextW(status, text.c_str());
}

void ShowSettingsCenter(HWND owner) {
    BuildLanguageList();
    WatchSettingsSources();
    if (IsLiveWindow(g_hSettingsWnd)) {
        wchar_t className[65] = {};
        GetClassNameW(g_hSettingsWnd, className, 65);
        if (_wcsicmp(className, kSettingsWindowClass) == 0) {
            SetSettingsStatus(g_hSettingsWnd, L"");  // what was done on an earlier visit is no news
            SyncSettingsControls(g_hSettingsWnd);
            ShowWindow(g_hSettingsWnd, SW_SHOWNORMAL);
            CenterOn(g_hSettingsWnd, owner);
            SetForegroundWindow(g_hSettingsWnd);
            return;
        }
    }
    // A handle that is not our window any more (ours went, the number was given to another
    // window): forget it; it is not ours to destroy.
    if (g_hSettingsWnd) ForgetWindows();

    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!g_settingsClassRegistered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = SettingsTabsWndProc;
        wc.hInstance = instance;
        wc.hIcon = LoadProgramIcon(32);
        if (!wc.hIcon) wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kProgramIconId));
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kSettingsWindowClass;
        if (RegisterClassW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) g_settingsClassRegistered = true;
    }
    HWND window = CreateWindowExW(WS_EX_APPWINDOW, kSettingsWindowClass, TitleText().c_str(),
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX, 0, 0,
                                  ScaleForDpi(720), ScaleForDpi(740), owner, nullptr, instance, nullptr);
    if (!window) {
        ForgetWindows();
        return;
    }
    g_hSettingsWnd = window;
    CenterOn(window, owner);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
}

void RelocalizeSettingsCenter() {
    RelocalizeLiveColorPicker();  // open over the Settings Center, or on its own
    HWND window = g_hSettingsWnd;
    if (!IsLiveWindow(window)) return;
    EndCapture(true);
    const int tab = SelectedTab();
    SetWindowTextW(window, TitleText().c_str());
    if (HWND close = GetDlgItem(window, kSettingsCloseId)) SetWindowTextW(close, CloseText().c_str());
    SetSettingsStatus(window, L"");
    if (IsLiveWindow(g_settingsTab)) {
        for (int i = 0; i < kSettingsPageCount; ++i) SetTabCaption(i, TabText(i));
        SendMessageW(g_settingsTab, WM_SETFONT, reinterpret_cast<WPARAM>(GetSettingsFont()), TRUE);
    }
    for (HWND& page : g_hSettingsPages) {
        if (IsLiveWindow(page)) DestroyWindow(page);
        page = nullptr;
    }
    g_settingsCurrentPage = nullptr;
    BuildPages(window);
    ShowSettingsPage(tab);
    if (IsLiveWindow(g_settingsTab)) SendMessageW(g_settingsTab, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    SyncSettingsControls(window);
    LayoutSettingsWindow(window);
    InvalidateRect(window, nullptr, TRUE);
}

LRESULT CALLBACK SettingsTabsWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        return OnCreate(window);
    case WM_SIZE:
        LayoutSettingsWindow(window);
        return 0;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize.x = ScaleForDpi(680);
        info->ptMinTrackSize.y = ScaleForDpi(600);
        return 0;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE && g_settingsHost.hotkeyCaptureShownIn &&
            (g_settingsHost.hotkeyCaptureShownIn(0, window) || g_settingsHost.hotkeyCaptureShownIn(1, window)))
            EndCapture(true);
        break;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->idFrom == static_cast<UINT_PTR>(kSettingsTabId) && header->code == TCN_SELCHANGE) {
            EndCapture(true);
            ShowSettingsPage(SelectedTab());
            return 0;
        }
        break;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (g_settingsHost.handleHotkeyCaptureKey &&
            g_settingsHost.handleHotkeyCaptureKey(window, msg, wParam, lParam))
            return 0;
        break;
    case WM_COMMAND:
        if (HandleSettingsCommand(window, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
        break;
    case WM_SETTINGS_APPLY_LANGUAGE:
        ApplyPostedLanguage(lParam);
        return 0;
    case WM_CLOSE:
        Close(window);
        return 0;
    case WM_DESTROY:
        EndCapture(false);
        if (g_hSettingsWnd == window) ForgetWindows();
        g_settingsCurrentPage = nullptr;
        g_settingsTab = nullptr;
        for (HWND& page : g_hSettingsPages) page = nullptr;
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}
