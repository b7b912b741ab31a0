#include "core/Window.h"

HWND g_hMainWnd = nullptr;
HWND g_hSearchEdit = nullptr;
HWND g_hStatusText = nullptr;
int g_appMode = kAppModeSearch;

bool IsLiveWindow(HWND h) { return h && IsWindow(h); }

bool PostMessageIfWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!IsLiveWindow(hwnd)) return false;
    return PostMessageW(hwnd, msg, wParam, lParam) != FALSE;
}

bool PostToMainWindow(UINT msg, WPARAM wParam, LPARAM lParam) {
    return PostMessageIfWindow(g_hMainWnd, msg, wParam, lParam);
}
