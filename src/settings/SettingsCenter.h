#pragma once
// The Settings Center: a top-level window owned by the main window with seven tab pages on
// which every user setting is changed and saved at once (no OK or Apply, only Close). The window
// is created once, hidden by Close and shown again with its controls re-synchronised; a language
// switch rebuilds its pages in the new language. UI thread only; every use of a handle is
// preceded by a null and IsWindow test.
#include <windows.h>

#include <string>

// ---------------------------------------------------------------------------------------------
// What the Settings Center needs of the main window, which lives in a higher layer. The shell
// fills these in once at start-up; a hook left null is skipped.
struct SettingsHostHooks {
    void (*applyTheme)(HWND mainWindow) = nullptr;       // rebuild the palette, re-theme the window
    void (*saveWindowIni)(HWND mainWindow) = nullptr;    // rewrite window.ini
    void (*setFilterLayout)(bool sidebar) = nullptr;     // switch the filter bar and the sidebar
    bool (*alwaysOnTop)() = nullptr;                     // "keep window on top" as set now
    void (*setAlwaysOnTop)(bool onTop) = nullptr;        // store it and apply it to the window
    void (*centerWindow)(HWND window, HWND reference) = nullptr;  // centre in the work area
    // Hotkey capture (target 0 show/hide, 1 foreground app).
    void (*beginHotkeyCapture)(int target, HWND settingsWindow) = nullptr;
    bool (*handleHotkeyCaptureKey)(HWND window, UINT message, WPARAM vk, LPARAM flags) = nullptr;
    void (*endHotkeyCapture)(bool restore) = nullptr;
    bool (*hotkeyCaptureActive)() = nullptr;
    // True while a capture of `target` runs with `window` as its capture window.
    bool (*hotkeyCaptureShownIn)(int target, HWND window) = nullptr;
    std::wstring (*hotkeyText)(int target) = nullptr;    // the combination as text
};
extern SettingsHostHooks g_settingsHost;

// ---------------------------------------------------------------------------------------------
// Ids
inline constexpr wchar_t kSettingsWindowClass[] = L"TarnwickSettingsTabsV2";
inline constexpr int kSettingsPageCount = 7;
inline constexpr int kSettingsTabId = 40992;
inline constexpr int kSettingsCloseId = 40015;
inline constexpr int kSettingsStatusId = 40023;  // the status line left of Close
inline constexpr int kSettingsPageIdFirst = 41000;  // page of tab i: 41000 + i

// Page controls.
inline constexpr int kSetAutoStart = 40001;
inline constexpr int kSetInitialSearch = 40002;
inline constexpr int kSetGridLines = 40003;
inline constexpr int kSetGlobalTrim = 40004;
inline constexpr int kSetSidebarLayout = 40005;
inline constexpr int kSetContentMaxSize = 40006;
inline constexpr int kSetHotkeyButton = 40007;
inline constexpr int kSetFgHotkeyButton = 40008;
inline constexpr int kSetOpenFilters = 40009;
inline constexpr int kSetOpenLanguage = 40010;
inline constexpr int kSetOpenZipExts = 40011;
inline constexpr int kSetOpenZipPatterns = 40012;
inline constexpr int kSetResetFilters = 40013;
inline constexpr int kSetClearRecent = 40014;
inline constexpr int kSetContentThreads = 40016;
inline constexpr int kSetHotkeyEdit = 40017;
inline constexpr int kSetFgHotkeyEdit = 40018;
inline constexpr int kSetLanguage = 40019;
inline constexpr int kSetTheme = 40020;
inline constexpr int kSetAlwaysOnTop = 40021;
inline constexpr int kSetShowRecent = 40022;
inline constexpr int kSetColorSwatchFirst = 40100;  // 40100 + slot, slot 0..9
inline constexpr int kSetColorReset = 40150;
inline constexpr int kSetOpenUiColors = 40151;
inline constexpr int kSetColorPreset = 40160;

// Menu ids that open the Settings Center (results context menu, tray menu).
inline constexpr int kMenuSettingsCenter = 10029;
inline constexpr int kTraySettingsCenter = 20025;

// The size-limit choices of the content search page in MiB, in combo order (0 = no limit).
inline constexpr int kContentSizeLimitChoicesMB[6] = {10, 20, 50, 100, 500, 0};

// The Settings Center's unit of the main window (SettingsUnit.cpp).
class WindowUnit;
WindowUnit& SettingsCenterWindowUnit();

// ---------------------------------------------------------------------------------------------
// State
extern HWND g_hSettingsWnd;
extern HWND g_settingsTab;
extern HWND g_hSettingsPages[kSettingsPageCount];
extern HWND g_settingsCurrentPage;

// ---------------------------------------------------------------------------------------------
// Window (SettingsWindow.cpp)

// Opens the window, or brings the existing one to the front re-synchronised and centred.
void ShowSettingsCenter(HWND owner);
LRESULT CALLBACK SettingsTabsWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
// Re-translates an open Settings Center (after a language switch), keeping the selected tab.
void RelocalizeSettingsCenter();
// Shows page `index` (above 6 counts as 0) and hides the others.
void ShowSettingsPage(int index);
void LayoutSettingsWindow(HWND window);
// A child control with the Settings Center's font and page subclass; x, y, width and height are
// 96-DPI values. Null when it cannot be created.
HWND CreateSettingsControl(HWND parent, const wchar_t* className, const std::wstring& text, DWORD extraStyle,
                           int id, int x, int y, int width, int height);
// Shows what a command did on the window's status line (an empty text clears it).
void SetSettingsStatus(HWND window, const std::wstring& text);
// The font of every Settings Center control (the stock GUI font while it cannot be made).
HFONT GetSettingsFont();
// A control by id: a child of `window`, else of a page, else of the current page; null if none.
HWND FindSettingsControl(HWND window, int id);
HWND GetSettingsControl(HWND window, int id);
bool IsSettingsCheckboxChecked(HWND window, int id);

// ---------------------------------------------------------------------------------------------
// Pages and commands (SettingsPages.cpp)

// The page window of tab `index` with its controls (a hidden STATIC child of `window`).
HWND BuildSettingsPage(HWND window, int index);
// Brings every control to the current settings.
void SyncSettingsControls(HWND window);
// Follows the states kept elsewhere (autostart, colours) while the window is open and asks for a
// fresh autostart state; called whenever the window is shown.
void WatchSettingsSources();
// WM_COMMAND of the Settings Center; true when handled.
bool HandleSettingsCommand(HWND window, int id, int code, HWND control);
// Private messages of the Settings Center window.
// wParam 0, lParam a std::wstring* (language code) that the receiver frees.
inline constexpr UINT WM_SETTINGS_APPLY_LANGUAGE = WM_APP + 120;
void ApplyPostedLanguage(LPARAM lParam);

// Index of a size limit in kContentSizeLimitChoicesMB; 3 (100 MB) when it is not there.
int ContentSizeLimitIndex(int megabytes);
// Item of the thread combo for a thread setting: 0 below 1, 8 above 8, else the value.
int ContentThreadsIndex(int threads);
