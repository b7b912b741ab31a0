#pragma once
// The main window as every layer sees it: its handle, its mode, the ids of its messages, timers
// and child controls, and the one way work reaches it from another thread (the post helpers).
// Higher layers register hooks or units with the window; lower layers never include the
// shell's headers.
#include <windows.h>

#include <memory>

#include "core/Messages.h"  // the duplicate scan's ids

// ---------------------------------------------------------------------------------------------
// Messages posted to the main window by workers.
constexpr UINT WM_INDEX_READY = WM_USER + 1;             // wParam 0 first volume ready, 1 retry
constexpr UINT WM_SEARCH_RESULTS_READY = WM_USER + 2;    // wParam generation; lParam 0/1/2
constexpr UINT WM_SEARCH_STATUS_TEXT = WM_USER + 3;      // wParam generation; lParam std::wstring*
constexpr UINT WM_FILTERED_RESULTS_READY = WM_USER + 4;  // wParam filter generation
constexpr UINT WM_RECENT_OPENS_LOADED = WM_USER + 5;
constexpr UINT WM_HYDRATION_UPDATED = WM_USER + 6;       // wParam hydration generation
constexpr UINT WM_NONNTFS_REFRESHED = WM_USER + 7;       // wParam refreshed, lParam failed
constexpr UINT WM_VOLUME_LOST = WM_USER + 8;
constexpr UINT WM_VOLUMES_SYNCED = WM_USER + 9;         // wParam: who ended (below)
constexpr WPARAM kVolumesSyncedBySync = 0;               // a volume sync (new or returned drives)
constexpr WPARAM kVolumesSyncedStartupDone = 1;          // the start-up, after its first ready notice
constexpr UINT WM_VOLUME_REINDEX = WM_USER + 10;         // wParam drive letter (0 = A:), lParam below
constexpr LPARAM kReindexStarted = 0;                    // the change journal was lost: rebuilding
constexpr LPARAM kReindexDone = 1;                       // rebuilt, following the journal again
constexpr LPARAM kReindexFailed = 2;                     // the rebuild failed: left out of searches
constexpr UINT WM_RESORT_RESULTS = WM_USER + 40;         // wParam column 1..6, lParam ascending
constexpr UINT WM_SETTINGS_NOT_SAVED = WM_USER + 61;     // a settings file could not be written
constexpr UINT WM_APP_TRAY_NOTIFY = WM_APP + 1;
constexpr UINT WM_APP_ANALYSIS_PROGRESS = WM_APP + 80;
constexpr UINT WM_APP_ANALYSIS_DONE = WM_APP + 81;
constexpr UINT WM_APP_AUTOSTART_DONE = WM_APP + 100;   // lParam the outcome (settings/AutoStart.h)

// Timers and hotkeys of the main window.
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
constexpr int IDC_FILTER_BUTTON_FIRST = 200;  // one id per filter category, 200..1199

// Menu command ids of the main window's context menus (search, analysis and duplicate views).
enum MenuCommand : int {
    IDM_OPEN = 10001,
    IDM_OPEN_CONTAINING_FOLDER = 10002,
    IDM_DELETE_PERMANENTLY = 10003,
    IDM_RUN_AS_ADMIN = 10004,
    IDM_COPY_FULL_PATH = 10005,
    IDM_PROPERTIES = 10006,
    IDM_COPY_FILES = 10009,
    IDM_CUT_FILES = 10010,
    IDM_CLEAR_RECENT = 10011,
    IDM_MOVE_TO_RECYCLE_BIN = 10013,
    IDM_RENAME = 10014,
    IDM_REFRESH_NON_NTFS = 10015,
    IDM_FILTER_LAYOUT_SIDEBAR = 10016,
    IDM_FILTER_LAYOUT_TOPBAR = 10017,
    IDM_VIEW_LIST = 10018,
    IDM_VIEW_SMALL_ICONS = 10019,
    IDM_VIEW_LARGE_ICONS = 10020,
    IDM_SORT_BY_NAME = 10021,
    IDM_SORT_BY_SIZE = 10022,
    IDM_SORT_BY_MODIFIED = 10023,
    IDM_SORT_BY_CREATED = 10024,
    IDM_SORT_BY_PATH = 10025,
    IDM_SYSTEM_CONTEXT_MENU = 10026,
    IDM_SETTINGS_CENTER = 10029,
    IDM_SWITCH_TO_ANALYSIS = 10030,
    IDM_SWITCH_TO_SEARCH = 10031,
    IDM_ANALYSIS_OPEN = 10032,
    IDM_ANALYSIS_OPEN_CONTAINING_FOLDER = 10033,
    IDM_ANALYSIS_COPY_FULL_PATH = 10034,
    IDM_ANALYSIS_PROPERTIES = 10035,
    IDM_SWITCH_TO_DUPLICATES = 10036,
    IDM_DUP_OPEN_CONTAINING_FOLDER = 10037,
    IDM_DUP_COPY_FULL_PATH = 10038,
    IDM_DUP_OPEN = 10039,
    IDM_DUP_MOVE_TO_RECYCLE_BIN = 10040,
    IDM_DUP_DELETE_PERMANENTLY = 10041,
    IDM_DUP_SELECT_ALL = 10042,
    IDM_ANALYSIS_MOVE_TO_RECYCLE_BIN = 10043,
    IDM_ANALYSIS_DELETE_PERMANENTLY = 10044,
    IDM_ANALYSIS_SELECT_ALL = 10045,
    IDM_SORT_BY_TYPE = 10046,
    IDM_LANGUAGE_FIRST = 20100,  // the language menu: entry i of the language list is 20100 + i
};

// ---------------------------------------------------------------------------------------------
// The application mode (g_appMode).
enum AppMode : int { kAppModeSearch = 0, kAppModeAnalysis = 1, kAppModeDuplicates = 2 };

// The main window (null until created; cleared again when it goes), and the two of its controls
// that code below the shell reads: the search box and the status line. UI thread.
extern HWND g_hMainWnd;
extern HWND g_hSearchEdit;
extern HWND g_hStatusText;
extern int g_appMode;  // AppMode value

// True when h is a window (not null and IsWindow).
bool IsLiveWindow(HWND h);

// ---------------------------------------------------------------------------------------------
// Posting to the main window.

// Posts only while hwnd is a window; false when it is null, not a window, or the post fails.
bool PostMessageIfWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The same to g_hMainWnd.
bool PostToMainWindow(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

// Hands `value` to the UI thread: posts msg with wParam and the value's address in lParam. The
// receiver owns it (take it with TakePosted<T>); when the post fails it is freed here, so
// nothing leaks and nothing is freed twice. False when not posted.
template <class T>
bool PostValue(HWND hwnd, UINT msg, WPARAM wParam, std::unique_ptr<T> value) {
    if (!PostMessageIfWindow(hwnd, msg, wParam, reinterpret_cast<LPARAM>(value.get()))) return false;
    value.release();  // the receiver frees it
    return true;
}
template <class T>
bool PostValueToMainWindow(UINT msg, WPARAM wParam, std::unique_ptr<T> value) {
    return PostValue(g_hMainWnd, msg, wParam, std::move(value));
}
// The receiving side: takes ownership of a value handed over by PostValue (null stays null).
template <class T>
std::unique_ptr<T> TakePosted(LPARAM lParam) {
    return std::unique_ptr<T>(reinterpret_cast<T*>(lParam));
}
