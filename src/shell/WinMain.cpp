// Program entry: start-up, the single instance, the main window and the message loop.
#include <windows.h>
#include <shlobj.h>

#include "content/Content.h"
#include "core/Core.h"
#include "i18n/I18n.h"
#include "index/Index.h"
#include "search/Search.h"
#include "shell/Shell.h"
#include "shell/ShellInternal.h"
#include "ui/Ui.h"
#include "ui/UiColors.h"

namespace {

using SetDpiContextFn = BOOL(WINAPI*)(HANDLE);

void SetDpiAwareness() {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    auto setContext = user32 ? reinterpret_cast<SetDpiContextFn>(GetProcAddress(user32, "SetProcessDpiAwarenessContext"))
                             : nullptr;
    if (!setContext) return;
    for (INT_PTR context : {-4, -3, -2, -5}) {
        if (setContext(reinterpret_cast<HANDLE>(context))) return;
    }
}

void EnablePrivileges() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
    for (const wchar_t* name : {L"SeBackupPrivilege", L"SeRestorePrivilege", L"SeManageVolumePrivilege"}) {
        TOKEN_PRIVILEGES tp{};
        if (!LookupPrivilegeValueW(nullptr, name, &tp.Privileges[0].Luid)) continue;
        tp.PrivilegeCount = 1;
        tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        AdjustTokenPrivileges(token, FALSE, &tp, sizeof(tp), nullptr, nullptr);
    }
    CloseHandle(token);
}

void WaitForShell() {
    for (int attempt = 0; attempt < 6; ++attempt) {
        if (GetShellWindow() && FindWindowW(L"Shell_TrayWnd", nullptr)) return;
        Sleep(500);
    }
}

void CloseOwnMutex() {
    if (g_singleInstanceMutex) {
        CloseHandle(g_singleInstanceMutex);
        g_singleInstanceMutex = nullptr;
    }
}

// True once the instance that held the mutex has ended (the mutex was released or abandoned):
// this process owns it from then on.
bool TookOverMutex() {
    if (!g_singleInstanceMutex) return false;
    const DWORD state = WaitForSingleObject(g_singleInstanceMutex, 0);
    return state == WAIT_OBJECT_0 || state == WAIT_ABANDONED;
}

// A window that is being destroyed (its thread busy with the teardown and the exit saves) does not
// answer; a running instance does.
bool WindowAnswers(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 400, &result) != 0;
}

void BringToFront(HWND other) {
    // The running instance shows itself as its tray's Show does: an instance started hidden then
    // knows that its window was opened on purpose and does not hide it again while it starts up.
    PostMessageW(other, WM_COMMAND, kTrayShowWindow, 0);
    ShowWindowAsync(other, IsIconic(other) ? SW_RESTORE : SW_SHOW);
    SetWindowPos(other, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
    SetForegroundWindow(other);
    BringWindowToTop(other);
}

// The mutex exists: another instance runs, or one that is still closing (its window already
// destroyed or in its teardown). Returns true when this start ends (the running instance was
// brought to the front, or the user was told); false when the other instance ended meanwhile and
// this process now owns the mutex and goes on starting.
bool HandOverToRunningInstance() {
    if (g_startedHidden) {
        CloseOwnMutex();
        return true;
    }
    HWND seen = nullptr;
    const ULONGLONG start = GetTickCount64();
    while (GetTickCount64() - start < 5000) {
        if (TookOverMutex()) return false;
        HWND other = FindWindowW(kMainWindowClass, nullptr);
        if (other && IsWindow(other)) {
            seen = other;
            if (WindowAnswers(other)) {
                CloseOwnMutex();
                BringToFront(other);
                return true;
            }
        }
        Sleep(100);
    }
    if (TookOverMutex()) return false;
    CloseOwnMutex();
    if (seen && IsWindow(seen)) {  // a running instance that is busy
        BringToFront(seen);
        return true;
    }
    std::wstring text = Tr(L"Msg_AlreadyRunningPrefix", L"Tarnwick 已在运行。\n\n请使用热键 \"",
                           L"Tarnwick is already running.\n\nUse the hotkey \"") +
                        FormatHotkeyText(g_hotkeyModifiers, g_hotkeyKey) +
                        Tr(L"Msg_AlreadyRunningSuffix", L"\" 显示或隐藏主窗口。", L"\" to show or hide the main window.");
    MessageBoxW(nullptr, text.c_str(), Tr(L"MsgTitle_Information", L"提示", L"Information").c_str(), MB_ICONINFORMATION);
    return true;
}

// Without its main window (no desktop or display to create it on) the program cannot run: the
// failing call and its error go to the handle log, the exit code is 1.
int StartupFailed(const wchar_t* call) {
    wchar_t line[128];
    _snwprintf(line, 127, L"startup failed: %ls error %lu", call, static_cast<unsigned long>(GetLastError()));
    line[127] = 0;
    LogGdi(line);
    return 1;
}

// Stops what is left of the volumes after the loop (normally WM_DESTROY has done it).
void ReleaseVolumesAfterLoop() { g_searchEngine.ReleaseAllVolumes(); }

}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR lpCmdLine, int nCmdShow) {
    InstallCrashHooks();
    InstallShellHooks();
    SetDpiAwareness();
    g_dpi = GetSystemDpi();
    Sleep(1000);
    g_languageIsChinese = (GetUserDefaultUILanguage() & 0x3FF) == LANG_CHINESE;
    LoadHotkeyIni(GetConfigDir() + L"\\hotkey.ini");
    BuildLanguageList();
    std::wstring code = ReadSavedLanguageCode();
    if (code.empty()) code = g_languageIsChinese ? L"zh-cn" : L"en-us";
    SetUiLanguage(code);
    g_startedHidden = CommandLineAsksHidden(GetCommandLineW(), lpCmdLine);

    g_singleInstanceMutex = CreateMutexW(nullptr, TRUE, kSingletonMutexName);
    if ((!g_singleInstanceMutex || GetLastError() == ERROR_ALREADY_EXISTS) && HandOverToRunningInstance()) return 0;

    EnablePrivileges();
    if (g_startedHidden) WaitForShell();
    if (!IsUserAnAdmin() && !g_startedHidden) {
        MessageBoxW(nullptr,
                    Tr(L"Msg_AdminRequired", L"需要以管理员身份运行。", L"Run as administrator required.").c_str(),
                    Tr(L"App_Name", L"Tarnwick", L"Tarnwick").c_str(), MB_ICONERROR);
        ExitProcess(1);
    }

    InitFilterCategories();
    LoadContentZipSettings();
    int width = 1100, height = 700;
    LoadWindowIni(&width, &height);
    LoadUiColors();
    ApplyThemePalette(g_darkTheme);
    ApplyCustomColorOverrides();

    g_brushWindowClass = CreateSolidBrush(g_uiPalette.surface);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = hInstance;
    wc.hIcon = LoadProgramIcon(32);
    if (!wc.hIcon) wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    // The caption and the task bar take the small image drawn for their size, not the 32 px one
    // shrunk (a system may shrink the large icon when the class names no small one).
    wc.hIconSm = LoadProgramIcon(GetSystemMetrics(SM_CXSMICON));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = g_brushWindowClass;
    wc.lpszClassName = kMainWindowClass;
    if (!RegisterClassExW(&wc)) return StartupFailed(L"RegisterClassExW");

    RECT work{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
        work = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const int x = work.left + (work.right - work.left - width) / 2;
    const int y = work.top + (work.bottom - work.top - height) / 2;
    HWND window = CreateWindowExW(WS_EX_COMPOSITED, kMainWindowClass,
                                  Tr(L"Status_InitializingSimple", L"正在初始化...", L"Initializing...").c_str(),
                                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y, width, height, nullptr, nullptr,
                                  hInstance, nullptr);
    if (!window) return StartupFailed(L"CreateWindowExW");
    g_hMainWnd = window;
    ApplyAlwaysOnTop();
    try {
        RunBackgroundTask(L"load_recent_opens", [] { LoadRecentOpensAsync(); });
    } catch (...) {
    }
    ShowWindow(window, g_startedHidden ? SW_HIDE : nCmdShow);
    // A settings file that could not be written before the window existed is told now.
    PostToMainWindow(WM_SETTINGS_NOT_SAVED);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ThreadCrashRecord& record = GetThreadCrashRecord();
        record.hwnd = msg.hwnd;
        record.msg = msg.message;
        record.wParam = msg.wParam;
        record.lParam = msg.lParam;
        record.extra[0] = 0;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }

    // Background tasks are asked to stop and waited for (with a limit) before globals go; the
    // exit never takes less than half a second, so late posts and log lines settle.
    const ULONGLONG exitStart = GetTickCount64();
    ReleaseVolumesAfterLoop();
    if (!StopAndWaitForTasks(2500)) LogGdi(L"exit: not every background task stopped in time");
    const ULONGLONG spent = GetTickCount64() - exitStart;
    if (spent < 500) Sleep(static_cast<DWORD>(500 - spent));
    if (g_singleInstanceMutex) CloseHandle(g_singleInstanceMutex);
    return 0;
}
