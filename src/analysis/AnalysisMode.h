#pragma once
// The disk-analysis mode of the main window: its three controls (Back to Search, drive combo,
// Scan/Rescan), the panel's layout, painting and input. The window reaches the mode through
// these functions (its unit).
#include <windows.h>

// The controls of the mode (children of the main window, handed over when it is created).
struct AnalysisControls {
    HWND driveCombo = nullptr;
    HWND scanButton = nullptr;
    HWND backButton = nullptr;
};
extern AnalysisControls g_analysisControls;
// Set by the window: switches to the duplicate mode (the panel's menu offers it).
extern void (*g_analysisSwitchToDuplicates)(HWND window);

void AnalysisModeCreate(HWND window, HWND driveCombo, HWND scanButton, HWND backButton);
void AnalysisModeDestroy(HWND window);
// Entering the mode: a scan starts when the view is neither ready nor busy.
void AnalysisModeEnter(HWND window);
void AnalysisModeShowControls(bool visible);
void LayoutAnalysisControls(HWND window);
void UpdateAnalysisButtons();
void FillAnalysisDriveCombo();
void AnalysisModeLanguageChanged(HWND window);
void AnalysisModePaint(HDC dc);
// WM_COMMAND of the mode's controls; true when handled.
bool AnalysisModeCommand(HWND window, int id, int code);
// Mouse, keyboard and the scan's messages while the mode is shown; true when handled.
bool AnalysisModeMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
