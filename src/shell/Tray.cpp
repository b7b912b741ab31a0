// The notification-area icon: adding it (with a retry timer while the shell is not ready),
// re-adding it after "TaskbarCreated", its tip and its menu.
#include <windows.h>
#include <commctrl.h>

#include <cwchar>

#include "core/Core.h"
#include "i18n/I18n.h"
#include "settings/AutoStart.h"
#include "settings/SettingsTools.h"
#include "settings/SettingsCenter.h"
#include "shell/Shell.h"
#include "ui/WindowUnit.h"
#include "shell/ShellInternal.h"
#include "ui/Controls.h"
#include "ui/Ui.h"

namespace {

bool g_trayIconOwned = false;  // the icon came from the program's resource and is destroyed at exit
std::wstring g_pendingNotice;  // a notice shown as a balloon once the icon exists

void ShowPendingNotice() {
    if (g_pendingNotice.empty() || !g_trayIconAdded) return;
    NOTIFYICONDATAW data = g_trayIconData;
    data.uFlags = NIF_INFO;
    wcsncpy(data.szInfo, g_pendingNotice.c_str(), sizeof(data.szInfo) / sizeof(wchar_t) - 1);
    wcsncpy(data.szInfoTitle, L"Tarnwick", sizeof(data.szInfoTitle) / sizeof(wchar_t) - 1);
    data.dwInfoFlags = NIIF_WARNING;
    Shell_NotifyIconW(NIM_MODIFY, &data);
    g_pendingNotice.clear();
}

bool IsLive(HWND h) { return h && IsWindow(h); }

}  // namespace

void LoadTrayIcon() {
    if (g_trayIconData.hIcon) return;
    g_trayIconData.hIcon = LoadProgramIcon(16);
    g_trayIconOwned = g_trayIconData.hIcon != nullptr;
    if (!g_trayIconData.hIcon) g_trayIconData.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
}

std::wstring BuildTrayTip(const std::wstring& pattern, const std::wstring& hotkey) {
    std::wstring tip = pattern;
    size_t at = tip.find(L"{0}");
    if (at != std::wstring::npos) tip.replace(at, 3, hotkey);
    else tip += L" " + hotkey;
    return tip;
}

void UpdateTrayTip() {
    const std::wstring tip = BuildTrayTip(Tr(L"TrayTip", L"Tarnwick - {0} 显示/隐藏", L"Tarnwick - {0} Show/Hide"),
                                          FormatHotkeyText(g_hotkeyModifiers, g_hotkeyKey));
    const size_t capacity = sizeof(g_trayIconData.szTip) / sizeof(g_trayIconData.szTip[0]);
    wcsncpy(g_trayIconData.szTip, tip.c_str(), capacity - 1);
    g_trayIconData.szTip[capacity - 1] = 0;
    if (g_trayIconAdded && g_trayIconData.hWnd) Shell_NotifyIconW(NIM_MODIFY, &g_trayIconData);
}

bool EnsureTrayIcon(HWND window) {
    g_trayIconData.hWnd = window;
    LoadTrayIcon();
    UpdateTrayTip();
    if (g_trayIconAdded) {
        Shell_NotifyIconW(NIM_MODIFY, &g_trayIconData);
    } else if (Shell_NotifyIconW(NIM_ADD, &g_trayIconData)) {
        g_trayIconAdded = true;
        Shell_NotifyIconW(NIM_MODIFY, &g_trayIconData);
    } else if (Shell_NotifyIconW(NIM_MODIFY, &g_trayIconData)) {
        // A shell that kept the icon across its restart refuses a second add; the icon is there.
        g_trayIconAdded = true;
    }
    ShowPendingNotice();
    if (IsLive(window)) {
        if (g_trayIconAdded) KillTimer(window, ID_TIMER_TRAY_RETRY);
        else SetTimer(window, ID_TIMER_TRAY_RETRY, 1500, nullptr);
    }
    return g_trayIconAdded;
}

void ShowTrayNotice(const std::wstring& text) {
    g_pendingNotice = text;
    ShowPendingNotice();
}

void TrayOnCreate(HWND window) {
    g_trayIconData = NOTIFYICONDATAW{};
    g_trayIconData.cbSize = sizeof(NOTIFYICONDATAW);
    g_trayIconData.hWnd = window;
    g_trayIconData.uID = 1;
    g_trayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    g_trayIconData.uCallbackMessage = WM_APP_TRAY_NOTIFY;
    LoadTrayIcon();
    g_trayIconAdded = false;
    EnsureTrayIcon(window);
}

void TrayOnDestroy(HWND window) {
    KillTimer(window, ID_TIMER_TRAY_RETRY);
    Shell_NotifyIconW(NIM_DELETE, &g_trayIconData);
    g_trayIconAdded = false;
}

void TrayReleaseIcon() {
    if (g_trayIconOwned && g_trayIconData.hIcon) DestroyIcon(g_trayIconData.hIcon);
    g_trayIconData.hIcon = nullptr;
    g_trayIconOwned = false;
}

bool TrayHandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (g_taskbarCreatedMsg && msg == g_taskbarCreatedMsg) {
        LogGdi(L"TaskbarCreated received");
        g_trayIconAdded = false;
        EnsureTrayIcon(window);
        result = 0;
        return true;
    }
    if (msg == WM_APP_TRAY_NOTIFY) {
        OnTrayNotify(window, lParam);
        result = 0;
        return true;
    }
    if (msg == WM_TIMER && wParam == ID_TIMER_TRAY_RETRY) {
        LogGdi(L"ID_TIMER_TRAY_RETRY fired");
        EnsureTrayIcon(window);
        result = 0;
        return true;
    }
    return false;
}

void OnTrayNotify(HWND hwnd, LPARAM lParam) {
    const UINT mouse = static_cast<UINT>(lParam);
    if (mouse == WM_LBUTTONDBLCLK) {
        EnsureTrayIcon(hwnd);
        ShowMainWindow(hwnd);
        return;
    }
    if (mouse != WM_RBUTTONUP) return;
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    // Tarnwick has no web site: the tray menu offers no home page.
    AppendMenuItem(menu, MF_ENABLED, kTrayShowWindow, Tr(L"Menu_ShowMainWindow", L"显示窗口", L"Show Window"));
    AppendMenuItem(menu, MF_ENABLED, kTraySettingsCenter, Tr(L"Settings_Title", L"设置中心", L"Settings Center"));
    // Autostart shows its last known state and cannot be chosen while a query or change runs.
    const UINT autoStartFlags = (IsAutoStartBusy() ? MF_GRAYED : MF_ENABLED) |
                                (GetAutoStartState() == AutoStartState::On ? MF_CHECKED : MF_UNCHECKED);
    AppendMenuItem(menu, autoStartFlags, kTrayAutoStart, Tr(L"Menu_AutoStart", L"开机启动", L"Run on Startup"));
    AppendMenuSeparator(menu);
    AppendMenuItem(menu, MF_ENABLED, kTrayExit, Tr(L"Menu_Exit", L"退出", L"Exit"));
    POINT cursor{};
    GetCursorPos(&cursor);
    SetForegroundWindow(hwnd);
    UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, hwnd, nullptr));
    DestroyMenu(menu);
    RunTrayCommand(hwnd, chosen);
    MaybeTrimOnIdle();
}

void RunTrayCommand(HWND hwnd, UINT id) {
    if (id == kTrayShowWindow) {
        EnsureTrayIcon(hwnd);
        ShowMainWindow(hwnd);
    } else if (id == kTrayAutoStart) {
        RunSettingsToolCommand(hwnd, kCmdToggleAutoStart);
    } else if (id == kTraySettingsCenter) {
        ShowSettingsCenter(hwnd);
    } else if (id == kTrayExit) {
        g_exitRequested = true;
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
    }
}

namespace {

// The tray icon as a unit of the main window: the icon lives from the window's creation to its
// destruction, answers its own messages and commands, and re-reads its tip on a language switch.
class TrayUnit final : public WindowUnit {
public:
    void OnCreate(HWND window) override { TrayOnCreate(window); }
    void OnDestroy(HWND window) override { TrayOnDestroy(window); }
    bool OnMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        return TrayHandleMessage(window, msg, wParam, lParam, result);
    }
    bool OnCommand(HWND window, int id, int /*code*/, HWND control) override {
        if (control) return false;
        if (id != static_cast<int>(kTrayShowWindow) && id != static_cast<int>(kTrayExit) && id != kTraySettingsCenter &&
            id != static_cast<int>(kTrayAutoStart))
            return false;
        RunTrayCommand(window, static_cast<UINT>(id));
        return true;
    }
    void OnLanguageChanged(HWND /*window*/) override { UpdateTrayTip(); }
};

}  // namespace

WindowUnit& TrayWindowUnit() {
    static TrayUnit unit;
    return unit;
}
