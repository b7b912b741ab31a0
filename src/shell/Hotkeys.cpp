// The two global hotkeys: hotkey.ini, registering and changing them, what each does, and the
// capture of a new combination from the Settings Center.
#include <windows.h>

#include <cwchar>

#include "core/Core.h"
#include "i18n/I18n.h"
#include "shell/Shell.h"
#include "ui/WindowUnit.h"
#include "shell/ShellInternal.h"

namespace {

constexpr UINT kModifierBits = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;
constexpr UINT kDefaultModifiers = MOD_ALT;
constexpr UINT kDefaultKey = 'Z';
constexpr UINT kDefaultFgModifiers = MOD_CONTROL | MOD_SHIFT;
constexpr UINT kDefaultFgKey = 'O';
constexpr int kHotkeyEditShowHide = 40017;
constexpr int kHotkeyEditForeground = 40018;
constexpr int kHotkeyButtonShowHide = 40007;
constexpr int kHotkeyButtonForeground = 40008;

bool g_captureActive = false;
int g_captureTarget = 0;
HWND g_captureWindow = nullptr;

bool IsLive(HWND h) { return h && IsWindow(h); }

struct FindChild {
    int id;
    HWND found;
};

BOOL CALLBACK FindChildById(HWND child, LPARAM param) {
    auto* f = reinterpret_cast<FindChild*>(param);
    if (GetDlgCtrlID(child) == f->id) {
        f->found = child;
        return FALSE;
    }
    return TRUE;
}

HWND CaptureEdit() {
    if (!IsLive(g_captureWindow)) return nullptr;
    FindChild f{g_captureTarget == 1 ? kHotkeyEditForeground : kHotkeyEditShowHide, nullptr};
    EnumChildWindows(g_captureWindow, FindChildById, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

bool Register(HWND window, UINT_PTR id, UINT modifiers, UINT vk) {
    return RegisterHotKey(window, static_cast<int>(id), modifiers, vk) != FALSE;
}

}  // namespace

bool g_hotkeyCaptureActive = false;
std::wstring g_hotkeyStartupNotice;

bool IsValidHotkeyCombination(UINT modifiers, UINT vk) {
    if ((modifiers & kModifierBits) == 0 || (modifiers & ~kModifierBits) != 0) return false;
    if (vk < 0x08 || vk > 0xFE) return false;  // mouse buttons and out of range
    switch (vk) {
    case VK_SHIFT: case VK_CONTROL: case VK_MENU: case VK_LWIN: case VK_RWIN:
    case VK_LSHIFT: case VK_RSHIFT: case VK_LCONTROL: case VK_RCONTROL: case VK_LMENU: case VK_RMENU:
        return false;
    default:
        return true;
    }
}

void LoadHotkeyIni(const std::wstring& path) {
    UINT values[4] = {g_hotkeyModifiers, g_hotkeyKey, g_fgHotkeyModifiers, g_fgHotkeyKey};
    ReadTextLines(path, [&values](const std::wstring& line) {
        std::wstring key, value;
        if (!SplitKeyValue(line, key, value)) return;
        UINT number = static_cast<UINT>(_wtoi(value.c_str()));
        if (key == L"modifiers") values[0] = number;
        else if (key == L"key") values[1] = number;
        else if (key == L"fg_modifiers") values[2] = number;
        else if (key == L"fg_key") values[3] = number;
    });
    // A pair that is no usable combination (no modifier would take a bare key from every program)
    // keeps its defaults.
    if (IsValidHotkeyCombination(values[0], values[1])) {
        g_hotkeyModifiers = values[0];
        g_hotkeyKey = values[1];
    } else {
        g_hotkeyModifiers = kDefaultModifiers;
        g_hotkeyKey = kDefaultKey;
    }
    if (IsValidHotkeyCombination(values[2], values[3])) {
        g_fgHotkeyModifiers = values[2];
        g_fgHotkeyKey = values[3];
    } else {
        g_fgHotkeyModifiers = kDefaultFgModifiers;
        g_fgHotkeyKey = kDefaultFgKey;
    }
}

std::wstring FormatHotkeyIni(UINT modifiers, UINT key, UINT fgModifiers, UINT fgKey) {
    return L"modifiers=" + std::to_wstring(modifiers) + L"\nkey=" + std::to_wstring(key) + L"\nfg_modifiers=" +
           std::to_wstring(fgModifiers) + L"\nfg_key=" + std::to_wstring(fgKey) + L"\n";
}

void SaveHotkeyConfig() {
    const std::wstring path = GetConfigDir() + L"\\hotkey.ini";
    if (!WriteTextFileReplacing(path, FormatHotkeyIni(g_hotkeyModifiers, g_hotkeyKey, g_fgHotkeyModifiers,
                                                      g_fgHotkeyKey)))
        LogGdi((L"hotkey.ini not saved, error " + std::to_wstring(GetLastError())).c_str());
}

bool IsHotkeyInUse(UINT modifiers, UINT vk, int target) {
    const bool isShowHide = modifiers == g_hotkeyModifiers && vk == g_hotkeyKey;
    const bool isForeground = modifiers == g_fgHotkeyModifiers && vk == g_fgHotkeyKey;
    if (target == 0) return isForeground;
    if (target == 1) return isShowHide;
    return isShowHide || isForeground;
}

bool SetShowHideHotkey(HWND window, UINT modifiers, UINT vk, bool save) {
    if (modifiers == g_fgHotkeyModifiers && vk == g_fgHotkeyKey) return false;
    UnregisterHotKey(window, static_cast<int>(HOTKEY_ID_SHOW_HIDE));
    if (!Register(window, HOTKEY_ID_SHOW_HIDE, modifiers, vk)) {
        const DWORD error = GetLastError();
        Register(window, HOTKEY_ID_SHOW_HIDE, g_hotkeyModifiers, g_hotkeyKey);
        SetLastError(error);
        return false;
    }
    g_hotkeyModifiers = modifiers;
    g_hotkeyKey = vk;
    UpdateTrayTip();
    if (save) SaveHotkeyConfig();
    return true;
}

bool SetForegroundAppHotkey(HWND window, UINT modifiers, UINT vk, bool save) {
    if (modifiers == g_hotkeyModifiers && vk == g_hotkeyKey) return false;
    UnregisterHotKey(window, static_cast<int>(HOTKEY_ID_FOREGROUND_APP));
    if (!Register(window, HOTKEY_ID_FOREGROUND_APP, modifiers, vk)) {
        const DWORD error = GetLastError();
        Register(window, HOTKEY_ID_FOREGROUND_APP, g_fgHotkeyModifiers, g_fgHotkeyKey);
        SetLastError(error);
        return false;
    }
    g_fgHotkeyModifiers = modifiers;
    g_fgHotkeyKey = vk;
    if (save) SaveHotkeyConfig();
    return true;
}

void HotkeysOnCreate(HWND window) {
    const UINT wantedModifiers = g_hotkeyModifiers, wantedKey = g_hotkeyKey;
    if (!SetShowHideHotkey(window, wantedModifiers, wantedKey, false)) {
        const DWORD error = GetLastError();
        LogGdi((L"show/hide hotkey not registered, error " + std::to_wstring(error)).c_str());
        // A combination another program holds: the built-in one keeps a way back to the window,
        // and the status line says why the configured one is not active.
        const bool isDefault = wantedModifiers == kDefaultModifiers && wantedKey == kDefaultKey;
        if (!isDefault && Register(window, HOTKEY_ID_SHOW_HIDE, kDefaultModifiers, kDefaultKey)) {
            g_hotkeyModifiers = kDefaultModifiers;
            g_hotkeyKey = kDefaultKey;
            UpdateTrayTip();
        }
        const bool fellBack = !isDefault && g_hotkeyKey == kDefaultKey && g_hotkeyModifiers == kDefaultModifiers;
        const std::wstring active =
            fellBack ? FormatHotkeyText(g_hotkeyModifiers, g_hotkeyKey) : Tr(L"Status_HotkeyNone", L"无", L"none");
        g_hotkeyStartupNotice =
            FormatTableText(Tr(L"Status_HotkeyInUse", L"快捷键 %s 已被其他程序占用；当前快捷键：%s。",
                               L"The hotkey %s is used by another program; active hotkey: %s.")
                                .c_str(),
                            FormatHotkeyText(wantedModifiers, wantedKey).c_str(), active.c_str());
        LogGdi(g_hotkeyStartupNotice.c_str());
    }
    UnregisterHotKey(window, static_cast<int>(HOTKEY_ID_FOREGROUND_APP));
    Register(window, HOTKEY_ID_FOREGROUND_APP, g_fgHotkeyModifiers, g_fgHotkeyKey);
}

void HotkeysOnDestroy(HWND window) {
    UnregisterHotKey(window, static_cast<int>(HOTKEY_ID_SHOW_HIDE));
    UnregisterHotKey(window, static_cast<int>(HOTKEY_ID_FOREGROUND_APP));
}

bool OpenForegroundAppInExplorer() {
    HWND foreground = GetForegroundWindow();
    DWORD pid = 0;
    if (!foreground || !GetWindowThreadProcessId(foreground, &pid) || !pid) return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return false;
    std::wstring path(32768, L'\0');
    DWORD size = static_cast<DWORD>(path.size());
    const BOOL ok = QueryFullProcessImageNameW(process, 0, &path[0], &size);
    CloseHandle(process);
    if (!ok || size == 0) return false;
    path.resize(size);
    wchar_t windows[MAX_PATH] = {};
    UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    const std::wstring explorer = std::wstring(windows) + L"\\explorer.exe";
    const std::wstring params = L"/select,\"" + path + L"\"";
    HINSTANCE r = ShellExecuteW(nullptr, nullptr, explorer.c_str(), params.c_str(), nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(r) > 32;
}

bool HotkeysHandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg != WM_HOTKEY) return false;
    result = 0;
    if (wParam == HOTKEY_ID_SHOW_HIDE) {
        LogGdi(L"WM_HOTKEY toggle");
        if (!IsWindowVisible(window)) {
            EnsureTrayIcon(window);
            ShowMainWindow(window);
        } else {
            ShowWindow(window, SW_HIDE);
            try {
                RunBackgroundTask(L"hotkey_hide_trim_self", [] { TrimWorkingSet(); });
            } catch (...) {
            }
            RequestGlobalTrimAsync();
        }
    } else if (wParam == HOTKEY_ID_FOREGROUND_APP) {
        if (!OpenForegroundAppInExplorer()) {
            MessageBoxW(window,
                        Tr(L"Msg_ForegroundExeOpenFailed", L"无法获取前台进程路径（可能受保护）。",
                           L"Could not get the foreground process path (it may be protected).")
                            .c_str(),
                        Tr(L"MsgTitle_Information", L"提示", L"Information").c_str(), MB_ICONINFORMATION);
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Capture of a new combination

void SetHotkeyEditText(const std::wstring& text) {
    if (HWND edit = CaptureEdit()) SetWindowTextW(edit, text.c_str());
}

void EndHotkeyCapture(bool restore) {
    if (!g_captureActive) return;
    g_captureActive = false;
    g_hotkeyCaptureActive = false;
    HWND settings = g_captureWindow;
    g_captureWindow = nullptr;
    if (restore && IsLive(settings)) {
        HWND show = nullptr, fg = nullptr;
        FindChild a{kHotkeyEditShowHide, nullptr}, b{kHotkeyEditForeground, nullptr};
        EnumChildWindows(settings, FindChildById, reinterpret_cast<LPARAM>(&a));
        EnumChildWindows(settings, FindChildById, reinterpret_cast<LPARAM>(&b));
        show = a.found;
        fg = b.found;
        if (show) SetWindowTextW(show, FormatHotkeyText(g_hotkeyModifiers, g_hotkeyKey).c_str());
        if (fg) SetWindowTextW(fg, FormatHotkeyText(g_fgHotkeyModifiers, g_fgHotkeyKey).c_str());
    }
}

bool IsHotkeyCaptureShownIn(int target, HWND settingsWindow) {
    return g_captureActive && g_captureTarget == target && settingsWindow && g_captureWindow == settingsWindow;
}

void BeginHotkeyCapture(int target, HWND settingsWindow) {
    if (g_captureActive) EndHotkeyCapture(true);
    g_captureTarget = target == 1 ? 1 : 0;
    g_captureActive = true;
    g_hotkeyCaptureActive = true;
    g_captureWindow = settingsWindow;
    HWND edit = CaptureEdit();
    SetHotkeyEditText(Tr(L"Settings_HotkeyWaiting", L"等待按键...", L"Waiting..."));
    if (edit) SetFocus(edit);
    else if (IsLive(settingsWindow)) SetFocus(settingsWindow);
}

bool HandleHotkeyCaptureKey(HWND window, UINT message, WPARAM vk, LPARAM flags) {
    if (!g_captureActive || (message != WM_KEYDOWN && message != WM_SYSKEYDOWN)) return false;
    if (flags & (1 << 30)) return true;  // auto-repeat
    if (HWND focus = GetFocus()) {
        bool inside = false;
        for (HWND h = focus; h; h = GetParent(h)) {
            const int id = GetDlgCtrlID(h);
            const bool ours = g_captureTarget == 1 ? (id == kHotkeyEditForeground || id == kHotkeyButtonForeground)
                                                   : (id == kHotkeyEditShowHide || id == kHotkeyButtonShowHide);
            if (ours) {
                inside = true;
                break;
            }
            if (h == g_captureWindow) break;
        }
        if (!inside) {
            EndHotkeyCapture(true);
            return false;
        }
    }
    if (vk == VK_ESCAPE) {
        EndHotkeyCapture(true);
        return true;
    }
    if (vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU || vk == VK_LWIN || vk == VK_RWIN) return true;
    UINT modifiers = 0;
    if (GetKeyState(VK_CONTROL) & 0x8000) modifiers |= MOD_CONTROL;
    if (GetKeyState(VK_MENU) & 0x8000) modifiers |= MOD_ALT;
    if (GetKeyState(VK_SHIFT) & 0x8000) modifiers |= MOD_SHIFT;
    if (!modifiers) {
        SetHotkeyEditText(Tr(L"Settings_HotkeyNeedModifierShort", L"需要 Ctrl/Alt/Shift", L"Need Ctrl/Alt/Shift"));
        return true;
    }
    const UINT key = static_cast<UINT>(vk);
    if (IsHotkeyInUse(modifiers, key, g_captureTarget)) {
        SetHotkeyEditText(Tr(L"Settings_HotkeyConflictShort", L"冲突，请重试", L"Conflict, retry"));
        return true;
    }
    HWND main = g_hMainWnd ? g_hMainWnd : window;
    const bool ok = g_captureTarget == 1 ? SetForegroundAppHotkey(main, modifiers, key, true)
                                         : SetShowHideHotkey(main, modifiers, key, true);
    if (!ok) {
        SetHotkeyEditText(Tr(L"Settings_HotkeyFailedShort", L"失败，请重试", L"Failed, retry"));
        return true;
    }
    EndHotkeyCapture(true);
    return true;
}

namespace {

// Both global hotkeys as a unit: registered with the window, released before it goes.
class HotkeysUnit final : public WindowUnit {
public:
    void OnCreate(HWND window) override { HotkeysOnCreate(window); }
    void OnDestroy(HWND window) override { HotkeysOnDestroy(window); }
    bool OnMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        return HotkeysHandleMessage(window, msg, wParam, lParam, result);
    }
};

}  // namespace

WindowUnit& HotkeysWindowUnit() {
    static HotkeysUnit unit;
    return unit;
}
