#pragma once
// The disk-analysis mode of the main window as a feature unit: its three controls (Back to
// Search, drive combo, Scan/Rescan), the panel's layout, painting, input, context menu and the
// scan's progress and done messages. UI thread only.
#include <windows.h>

#include "ui/WindowUnit.h"

// The controls of the mode (null before the unit's OnCreate and after its OnDestroy).
struct AnalysisControls {
    HWND driveCombo = nullptr;
    HWND scanButton = nullptr;
    HWND backButton = nullptr;
};
const AnalysisControls& GetAnalysisControls();

// Mode switches the panel's menu asks of the window (set by the shell; null = none).
using AnalysisModeSwitchFn = void (*)(HWND window, int mode);
void SetAnalysisModeSwitcher(AnalysisModeSwitchFn fn);

void LayoutAnalysisControls(HWND window);
void UpdateAnalysisButtons();
// "All Drives (ALL)", then the available indexed volumes by their display names.
void FillAnalysisDriveCombo();

// The analysis mode as a feature unit of the main window.
class AnalysisModeUnit final : public WindowUnit {
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

AnalysisModeUnit& AnalysisWindowUnit();
