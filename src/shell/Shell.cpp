// Process-wide state of the main window and application shell.
#include "shell/Shell.h"

HWND g_hMainWnd = nullptr;
HWND g_hSearchEdit = nullptr;
HWND g_hScopeCombo = nullptr;
HWND g_hStatusText = nullptr;
HWND g_hSizeFilterCombo = nullptr;
HWND g_hDateFilterCombo = nullptr;
HWND g_hSizeUnitCombo = nullptr;
HWND g_hCustomSizeEdit = nullptr;
HWND g_hDateRangeHintEdit = nullptr;
HWND g_hDateFromPicker = nullptr;
HWND g_hDateToPicker = nullptr;
HWND g_hListVScroll = nullptr;
HWND g_hListHScroll = nullptr;
HWND g_hSidebarScroll = nullptr;
HWND g_hAnalysisDriveCombo = nullptr;
HWND g_hAnalysisScanButton = nullptr;
HWND g_hAnalysisBackButton = nullptr;
HWND g_hDupDriveCombo = nullptr;
HWND g_hDupModeCombo = nullptr;
HWND g_hDupScanButton = nullptr;
HWND g_hDupPauseButton = nullptr;
HWND g_hDupBackButton = nullptr;
HWND g_hTooltip = nullptr;

// g_clientWidth, g_clientHeight, g_listAreaTop and g_filterSidebarWidth are defined with the
// result list geometry.

int g_appMode = 0;
std::wstring g_currentQuery;
std::atomic<int> g_searchScope{0};
bool g_filterLayoutSidebar = false;
bool g_globalTrimOnToggle = false;
bool g_initialSearchEnabled = true;
bool g_showRecentOnEmpty = true;
bool g_alwaysOnTop = false;
bool g_tableGridLines = true;
std::atomic<bool> g_attrPrewarmActive{false};
std::atomic<bool> g_firstSearchPending{false};
std::atomic<bool> g_attrCacheSaveBusy{false};
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
