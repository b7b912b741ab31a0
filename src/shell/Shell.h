#pragma once
// The main window and application shell: start-up, the main window procedure, its child
// controls, custom messages, timers and the state other subsystems read or write.
// Everything here belongs to the UI thread unless it is atomic.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/WindowIni.h"

// ---------------------------------------------------------------------------------------------
// Messages posted to the main window by workers.
constexpr UINT WM_INDEX_READY = WM_USER + 1;             // wParam 0 first volume ready, 1 retry
constexpr UINT WM_SEARCH_RESULTS_READY = WM_USER + 2;    // wParam generation; lParam 0/1/2
constexpr UINT WM_SEARCH_STATUS_TEXT = WM_USER + 3;      // wParam generation; lParam new std::wstring*
constexpr UINT WM_FILTERED_RESULTS_READY = WM_USER + 4;  // wParam filter generation
constexpr UINT WM_RECENT_OPENS_LOADED = WM_USER + 5;
constexpr UINT WM_HYDRATION_UPDATED = WM_USER + 6;       // wParam hydration generation
constexpr UINT WM_NONNTFS_REFRESHED = WM_USER + 7;       // wParam refreshed, lParam failed
constexpr UINT WM_VOLUME_LOST = WM_USER + 8;
constexpr UINT WM_VOLUMES_SYNCED = WM_USER + 9;
constexpr UINT WM_RESORT_RESULTS = WM_USER + 40;         // wParam column 1..6, lParam ascending
constexpr UINT WM_APP_TRAY_NOTIFY = WM_APP + 1;
constexpr UINT WM_APP_ANALYSIS_PROGRESS = WM_APP + 80;
constexpr UINT WM_APP_ANALYSIS_DONE = WM_APP + 81;
constexpr UINT WM_APP_DUP_PROGRESS = WM_APP + 90;
constexpr UINT WM_APP_DUP_DONE = WM_APP + 91;

// Timers of the main window.
constexpr UINT_PTR HOTKEY_ID_SHOW_HIDE = 30001;
constexpr UINT_PTR ID_TIMER_TRAY_RETRY = 30002;
constexpr UINT_PTR TIMER_SEARCH_DEBOUNCE = 30003;
constexpr UINT_PTR TIMER_SCROLL_SETTLE = 30004;
constexpr UINT_PTR TIMER_STARTUP_RETRY = 30005;
constexpr UINT_PTR TIMER_ATTR_PREWARM_START = 30006;
constexpr UINT_PTR TIMER_ATTR_PREWARM_POLL = 30007;
constexpr UINT_PTR TIMER_FILTER_BUTTONS_REFRESH = 30008;
constexpr UINT_PTR TIMER_CACHE_AUTOSAVE = 30009;
constexpr UINT_PTR TIMER_IDLE_TRIM = 30010;
constexpr UINT_PTR HOTKEY_ID_FOREGROUND_APP = 30012;
constexpr UINT_PTR TIMER_LIST_REPAINT = 30014;

// Child control ids of the main window.
constexpr int IDC_SEARCH_EDIT = 101;
constexpr int IDC_STATUS_TEXT = 103;
constexpr int IDC_SCOPE_COMBO = 104;
constexpr int IDC_LIST_VSCROLL = 105;
constexpr int IDC_SIZE_FILTER_COMBO = 106;
constexpr int IDC_DATE_FILTER_COMBO = 107;
constexpr int IDC_CUSTOM_SIZE_EDIT = 108;
constexpr int IDC_DATE_RANGE_HINT_EDIT = 109;
constexpr int IDC_SIZE_UNIT_COMBO = 110;
constexpr int IDC_DATE_FROM_PICKER = 111;
constexpr int IDC_DATE_TO_PICKER = 112;
constexpr int IDC_LIST_HSCROLL = 113;
constexpr int IDC_SIDEBAR_VSCROLL = 117;
constexpr int IDC_ANALYSIS_SCAN = 122;
constexpr int IDC_ANALYSIS_DRIVE_COMBO = 123;
constexpr int IDC_ANALYSIS_BACK = 124;
constexpr int IDC_DUP_SCAN = 125;
constexpr int IDC_DUP_DRIVE_COMBO = 126;
constexpr int IDC_DUP_BACK = 127;
constexpr int IDC_DUP_MODE_COMBO = 128;
constexpr int IDC_DUP_PAUSE = 129;
constexpr int IDC_FILTER_BUTTON_FIRST = 200;

// The window class of the main window (also used to find a running instance).
inline constexpr wchar_t kMainWindowClass[] = L"MARROWLENS";
// The single-instance mutex.
inline constexpr wchar_t kSingletonMutexName[] = L"Tarnwick_Singleton_Mutex_2024";

// ---------------------------------------------------------------------------------------------
// Window handles (null until created; cleared again when the window goes).
extern HWND g_hMainWnd;
extern HWND g_hSearchEdit;
extern HWND g_hScopeCombo;
extern HWND g_hStatusText;
extern HWND g_hSizeFilterCombo;
extern HWND g_hDateFilterCombo;
extern HWND g_hSizeUnitCombo;
extern HWND g_hCustomSizeEdit;
extern HWND g_hDateRangeHintEdit;
extern HWND g_hDateFromPicker;
extern HWND g_hDateToPicker;
extern HWND g_hListVScroll;
extern HWND g_hListHScroll;
extern HWND g_hSidebarScroll;
extern HWND g_hAnalysisDriveCombo;
extern HWND g_hAnalysisScanButton;
extern HWND g_hAnalysisBackButton;
extern HWND g_hDupDriveCombo;
extern HWND g_hDupModeCombo;
extern HWND g_hDupScanButton;
extern HWND g_hDupPauseButton;
extern HWND g_hDupBackButton;
extern HWND g_hTooltip;

// Layout state.
extern int g_clientWidth;
extern int g_clientHeight;
extern int g_listAreaTop;          // top of the result-list area (written by the filter bar layout)
extern int g_filterSidebarWidth;   // pixels (200 at 96 DPI)

// Application state.
extern int g_appMode;                       // 0 search, 1 disk analysis, 2 duplicate files
extern std::wstring g_currentQuery;         // search box text (at most 256 characters)
extern std::atomic<int> g_searchScope;      // 0 all drives, 1 Desktop, n >= 2 volume n - 2
extern bool g_filterLayoutSidebar;          // filter categories in a left sidebar
extern bool g_globalTrimOnToggle;
extern bool g_initialSearchEnabled;
extern bool g_showRecentOnEmpty;
extern bool g_alwaysOnTop;
extern bool g_tableGridLines;                // grid lines in the List view
extern std::atomic<bool> g_attrPrewarmActive;
extern std::atomic<bool> g_firstSearchPending;
extern std::atomic<bool> g_attrCacheSaveBusy;
extern std::atomic<bool> g_filterButtonsRefreshPending;
extern bool g_startedHidden;
extern bool g_mainWindowShown;
extern bool g_exitRequested;
extern bool g_closeFromSystemMenu;
extern HBRUSH g_brushWindowClass;

// Tray icon (the icon itself is added by the tray code).
extern NOTIFYICONDATAW g_trayIconData;
extern bool g_trayIconAdded;

// Hotkeys read from hotkey.ini at start-up (defaults Alt+Z and Ctrl+Shift+O).
extern UINT g_hotkeyModifiers;
extern UINT g_hotkeyKey;
extern UINT g_fgHotkeyModifiers;
extern UINT g_fgHotkeyKey;

// ---------------------------------------------------------------------------------------------
// Main window procedure and helpers.
LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK SearchEditSubclassProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK FilterEditSubclassProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam);
// Put the two procedures over an edit's own procedure (kept for everything they pass on).
void InstallSearchEditSubclass(HWND edit);
void InstallFilterEditSubclass(HWND edit);

void ShowMainWindow(HWND window);
void FocusSearchBox();
void EnsureWindowOnScreen(HWND window);
void CenterWindowOnMonitor(HWND window, HWND reference);
void ApplyAlwaysOnTop();
void SetFilterLayout(bool sidebar);
void UpdateCustomFilterControls();
void InvalidateScopeCombo();
std::wstring GetDriveDisplayName(const std::wstring& root);
void ClearQueryAndReset(HWND window);

// Search scope combo: "ALL", Desktop, then one item per available volume; keeps the choice.
void FillSearchScopeCombo();

// Positions of the top bar of the search mode (pixels) for a client width at the current DPI.
struct TopBarLayout {
    int y = 0;
    int scopeX = 0, scopeWidth = 0;
    int editX = 0, editWidth = 0;
    int sizeX = 0, comboWidth = 0;
    int customEditX = 0, customEditWidth = 0;
    int unitX = 0, unitWidth = 0;
    int dateX = 0;
    int fromX = 0, toX = 0, pickerWidth = 0;
};
TopBarLayout ComputeTopBarLayout(int clientWidth, bool sizeCustom, bool dateCustom);

// Theme: rebuilds the palette from the base and the custom colours and re-themes the main
// window and its controls; the toggle switches light and dark and saves window.ini.
void ApplyTheme(HWND mainWindow);
void ToggleTheme(HWND mainWindow);
// Menu id of the results context menu's theme switch.
constexpr UINT kMenuThemeToggle = 10047;

// Modes. The disk-analysis and duplicate views fill these hooks: entering their mode (start a
// scan or show the cached result), laying out their controls, and the duplicate scan's state.
struct ModeHooks {
    void (*enterAnalysis)(HWND window) = nullptr;
    void (*layoutAnalysis)(HWND window) = nullptr;
    void (*enterDuplicates)(HWND window) = nullptr;
    void (*layoutDuplicates)(HWND window) = nullptr;
    bool (*dupScanRunning)() = nullptr;
    void (*stopDupScan)() = nullptr;
};
extern ModeHooks g_modeHooks;
void ApplyModeLayout(HWND window);
void SetAppMode(HWND window, int mode);
void ToggleSearchAnalysisMode(HWND window);

// Deferred work of the main window.
void ScheduleAttrPrewarm(HWND window, UINT delayMs);
void ScheduleFilterButtonsRefresh(UINT delayMs);

// Tray icon (Tray.cpp): the icon, its tip and menu, and the tracking tooltip.
constexpr UINT kTrayShowWindow = 20001;
constexpr UINT kTrayExit = 20002;
void LoadTrayIcon();
// The tip from its pattern: "{0}" replaced by the hotkey text, else the text appended after a blank.
std::wstring BuildTrayTip(const std::wstring& pattern, const std::wstring& hotkey);
void UpdateTrayTip();
// Adds (or refreshes) the icon; while adding fails a 1500 ms timer retries. True when added.
bool EnsureTrayIcon(HWND window);
void TrayOnCreate(HWND window);
void TrayOnDestroy(HWND window);
void TrayReleaseIcon();
// A balloon of the tray icon (shown once the icon exists).
void ShowTrayNotice(const std::wstring& text);
// "TaskbarCreated", the icon's mouse messages and the retry timer; true when handled.
bool TrayHandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
// The tray menu's commands (Show Window, Exit); also reachable as WM_COMMAND with the same ids.
void RunTrayCommand(HWND window, UINT id);
void HideTrackingTooltip(HWND window);
POINT ClampToWorkArea(POINT p, int w, int h, const RECT& work);
POINT ClampTooltipToMonitor(POINT anchor, TOOLINFOW ti);
void MoveTrackingTooltip(HWND window, POINT anchor);

// Global hotkeys (Hotkeys.cpp).
extern bool g_hotkeyCaptureActive;
// Set at start-up when the configured show/hide combination could not be registered.
extern std::wstring g_hotkeyStartupNotice;
std::wstring FormatHotkeyText(UINT modifiers, UINT vk);
// At least one of Alt, Ctrl, Shift, Win (and no other bit) and a key that is not a mouse button
// or a modifier itself.
bool IsValidHotkeyCombination(UINT modifiers, UINT vk);
std::wstring FormatHotkeyIni(UINT modifiers, UINT key, UINT fgModifiers, UINT fgKey);
void SaveHotkeyConfig();
bool IsHotkeyInUse(UINT modifiers, UINT vk, int target);
bool SetShowHideHotkey(HWND window, UINT modifiers, UINT vk, bool save);
bool SetForegroundAppHotkey(HWND window, UINT modifiers, UINT vk, bool save);
void HotkeysOnCreate(HWND window);
void HotkeysOnDestroy(HWND window);
bool HotkeysHandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
bool OpenForegroundAppInExplorer();
void BeginHotkeyCapture(int target, HWND settingsWindow);
bool HandleHotkeyCaptureKey(HWND window, UINT message, WPARAM vk, LPARAM flags);
void EndHotkeyCapture(bool restore);
void SetHotkeyEditText(const std::wstring& text);

// Command line: true when an argument is "-hidden" or "/hidden" (any case).
bool CommandLineAsksHidden(const wchar_t* commandLine, const wchar_t* lpCmdLine);

// Reads hotkey.ini (start-up reader): keys modifiers, key, fg_modifiers, fg_key; a pair that is
// no valid combination keeps its defaults.
void LoadHotkeyIni(const std::wstring& path);

// The performance summary line written at exit ("summary hit_ratio=...").
std::wstring FormatPerfSummary(uint64_t hits, uint64_t misses, uint64_t diskReads,
                               uint64_t hydrateCalls, uint64_t hydrateMicros,
                               uint64_t lockWaitUs, uint64_t loadMs, uint64_t saveMs);
