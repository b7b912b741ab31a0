// Starting the program while the previous instance is still closing: the new start waits for it
// to end and then runs on its own, instead of handing over to a window that is going away.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "shell/Shell.h"
#include "support/fixture.h"

namespace {

// The program in the build tree: build/Tarnwick.exe, the tests are in build/tests.
std::wstring ProgramPath() {
    std::wstring path = testfx::ThisExePath();
    for (int up = 0; up < 2; ++up) {
        const size_t slash = path.find_last_of(L'\\');
        if (slash == std::wstring::npos) return L"";
        path.resize(slash);
    }
    path += L"\\Tarnwick.exe";
    return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES ? L"" : path;
}

struct WindowOfProcess {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindMainWindowOf(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowOfProcess*>(param);
    wchar_t cls[64] = {};
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && GetClassNameW(window, cls, 64) && std::wstring(cls) == kMainWindowClass) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND MainWindowOf(DWORD pid) {
    WindowOfProcess search{pid, nullptr};
    EnumWindows(FindMainWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST(SingleInstance, StartWhileThePreviousInstanceClosesRunsOnItsOwn) {
    const std::wstring exe = ProgramPath();
    if (exe.empty()) GTEST_SKIP() << "Tarnwick.exe not built";

    // Stand-in for an instance in its teardown: it holds the single-instance mutex and a main
    // window that no longer answers (its thread is busy with the exit saves).
    HANDLE mutex = CreateMutexW(nullptr, TRUE, kSingletonMutexName);
    ASSERT_NE(mutex, nullptr);
    ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "an instance of the program still runs";
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kMainWindowClass;
    ASSERT_TRUE(RegisterClassW(&wc));
    HWND closing = CreateWindowExW(0, kMainWindowClass, L"Tarnwick", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                   nullptr, wc.hInstance, nullptr);
    ASSERT_NE(closing, nullptr);

    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));

    // The new start finds the mutex and the silent window (after its own start-up pause) ...
    Sleep(3000);
    // ... then the previous instance ends.
    DestroyWindow(closing);
    UnregisterClassW(kMainWindowClass, wc.hInstance);
    ReleaseMutex(mutex);
    CloseHandle(mutex);

    HWND own = nullptr;
    for (int waited = 0; waited < 20000 && !own; waited += 100) {
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
        own = MainWindowOf(pi.dwProcessId);
        if (!own) Sleep(100);
    }
    EXPECT_NE(own, nullptr) << "the new start ended or showed no main window";
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));

    if (own) PostMessageW(own, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 15000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

}  // namespace
