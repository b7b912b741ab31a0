#pragma once
// Message ids that workers below the shell post to the main window.
#include <windows.h>

constexpr UINT WM_APP_DUP_PROGRESS = WM_APP + 90;  // duplicate scan progress (throttled)
constexpr UINT WM_APP_DUP_DONE = WM_APP + 91;      // wParam 1 finished, 0 cancelled or failed
