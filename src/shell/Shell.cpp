// Process-wide state of the main window and application shell.
#include "shell/Shell.h"

HWND g_hScopeCombo = nullptr;
HWND g_hListVScroll = nullptr;
HWND g_hListHScroll = nullptr;
HWND g_hSidebarScroll = nullptr;

// g_clientWidth, g_clientHeight, g_listAreaTop and g_filterSidebarWidth are defined with the
// result list geometry.

bool g_alwaysOnTop = false;
std::atomic<bool> g_firstSearchPending{false};
std::atomic<bool> g_filterButtonsRefreshPending{false};
bool g_startedHidden = false;
bool g_mainWindowShown = false;
bool g_exitRequested = false;
bool g_closeFromSystemMenu = false;
HBRUSH g_brushWindowClass = nullptr;

NOTIFYICONDATAW g_trayIconData{};
bool g_trayIconAdded = false;

UINT g_hotkeyModifiers = MOD_ALT;
UINT g_hotkeyKey = 'Z';
UINT g_fgHotkeyModifiers = MOD_CONTROL | MOD_SHIFT;
UINT g_fgHotkeyKey = 'O';
