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

#include "core/Window.h"
#include "results/FilterBar.h"
#include "results/Results.h"
#include "search/Search.h"
#include "shell/WindowIni.h"

class WindowUnit;

// The window class of the main window (also used to find a running instance).
inline constexpr wchar_t kMainWindowClass[] = L"MARROWLENS";
// The single-instance mutex.
inline constexpr wchar_t kSingletonMutexName[] = L"Tarnwick_Singleton_Mutex_2024";

// ---------------------------------------------------------------------------------------------
// Window handles (null until created; cleared again when the window goes).
extern HWND g_hScopeCombo;
extern HWND g_hListVScroll;
extern HWND g_hListHScroll;
extern HWND g_hSidebarScroll;


// Application state.
extern bool g_alwaysOnTop;
extern std::atomic<bool> g_firstSearchPending;
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
// Registers the window's hooks with the layers below (language switch, UI fonts, trim probe).
// Idempotent; wWinMain calls it first, and the main window again when it is created.
void InstallShellHooks();
// Fills the Settings Center's hooks into the main window (called by InstallShellHooks).
void InstallSettingsHost();
// The main window's part of a language switch (the handler InstallShellHooks registers).
void RefreshWindowForLanguage();

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
// window and its controls.
void ApplyTheme(HWND mainWindow);

// The language menu of the main window (a submenu of the results menu): one item per entry of
// the language list, rebuilt from the language folder first, the current language checked, then
// "Open Current Language File". Null when no menu can be made; the caller owns it.
HMENU CreateLanguageMenu();
// A command of the language menu: a language entry switches the UI language and tells the switch
// on the status line; the last item opens the current language's file. False for other ids.
bool RunLanguageMenuCommand(HWND window, UINT id);

// Modes. The disk-analysis and duplicate modes are units: they show, lay out and enter
// themselves on the mode change.
void ApplyModeLayout(HWND window);
void SetAppMode(HWND window, int mode);
void ToggleSearchAnalysisMode(HWND window);

// Deferred work of the main window.
void ScheduleAttrPrewarm(HWND window, UINT delayMs);
void ScheduleFilterButtonsRefresh(UINT delayMs);

// Tray icon (Tray.cpp): the icon, its tip and menu, and the tracking tooltip.
constexpr UINT kTrayShowWindow = 20001;
constexpr UINT kTrayExit = 20002;
constexpr UINT kTrayAutoStart = 20005;
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

// The window's feature units (Tray.cpp, Hotkeys.cpp, ShellLanguage.cpp: the language menu's
// commands as the window receives them) and their registration (Units.cpp), done once before the
// window is created.
WindowUnit& TrayWindowUnit();
WindowUnit& HotkeysWindowUnit();
WindowUnit& LanguageMenuWindowUnit();
WindowUnit& ListTooltipWindowUnit();
void RegisterShellUnits();

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
// True while a capture of `target` (0 show/hide, 1 foreground app) runs in `settingsWindow`.
bool IsHotkeyCaptureShownIn(int target, HWND settingsWindow);
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
