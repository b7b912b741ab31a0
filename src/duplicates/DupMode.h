#pragma once
// The duplicate mode of the main window: its top-bar controls (Back, drive, compare mode,
// Pause/Resume, Scan/Rescan/Cancel), the layout of the view, its commands, mouse and keys, the
// context menu, and the scan's progress and done messages. UI thread only.
#include <windows.h>

#include <string>

#include "duplicates/DupTypes.h"
#include "ui/WindowUnit.h"

// Layout of the view for the present client size and DPI (cached by size, DPI and scan state).
void ComputeDupLayout();
void InvalidateDupLayout();
// Places the top-bar controls and updates their texts and states.
void LayoutDupControls();
void UpdateDupButtons();
// "All Drives (ALL)", then the fixed drives, then the others, as "X:".
void FillDupDriveCombo();
// '*' or a letter, from the drive combo (or its saved index).
wchar_t GetSelectedDupDrive();
// The scan button's start: the drive and mode of the combos.
void StartDupFindScan(HWND window, bool rescan);

// Mode switches the duplicate mode asks of the window (set by the shell; null = none).
using DupModeSwitchFn = void (*)(HWND window, int mode);
void SetDupModeSwitcher(DupModeSwitchFn fn);

// The duplicate mode as a feature unit of the main window.
class DupModeUnit final : public WindowUnit {
public:
    void OnCreate(HWND window) override;
    void OnDestroy(HWND window) override;
    void OnLayout(HWND window, int width, int height) override;
    bool OnPaint(HWND window, HDC dc, const RECT& client) override;
    bool OnCommand(HWND window, int id, int code, HWND control) override;
    bool OnMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnModeChanged(HWND window, int oldMode, int newMode) override;
    void OnLanguageChanged(HWND window) override;
    void OnThemeChanged(HWND window) override;
    void OnDrivesChanged(HWND window) override;
};

DupModeUnit& DuplicatesWindowUnit();

// The controls (null before OnCreate and after OnDestroy); for tests and the theme.
struct DupControls {
    HWND driveCombo = nullptr;
    HWND modeCombo = nullptr;
    HWND scanButton = nullptr;
    HWND pauseButton = nullptr;
    HWND backButton = nullptr;
};
const DupControls& GetDupControls();
