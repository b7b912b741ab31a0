#pragma once
// Message ids that the duplicate finder posts to the main window (the same values the shell
// handles under these names).
#include <windows.h>

#ifndef TARNWICK_DUP_MESSAGES_DEFINED
#define TARNWICK_DUP_MESSAGES_DEFINED
constexpr UINT WM_APP_DUP_PROGRESS = WM_APP + 90;  // duplicate scan progress (throttled)
constexpr UINT WM_APP_DUP_DONE = WM_APP + 91;      // wParam 1 finished, 0 cancelled or failed
// The check before a delete in the duplicate view: wParam the check's id; the done message carries
// the outcome (lParam, taken with TakePosted).
constexpr UINT WM_APP_DUP_CHECK_PROGRESS = WM_APP + 92;
constexpr UINT WM_APP_DUP_CHECK_DONE = WM_APP + 93;
#endif
