// The disk-analysis mode joined to the main window: its controls, mode hooks, painting, input
// and the scan's messages.
#include "analysis/AnalysisMode.h"
#include "core/Core.h"
#include "i18n/I18n.h"
#include "i18n/LanguageSwitch.h"
#include "results/Results.h"
#include "shell/Shell.h"
#include "shell/ShellInternal.h"

namespace {

void SwitchToDuplicates(HWND window) {
    SetAppMode(window, kAppModeDuplicates);
    SetStatusText(Tr(L"Status_SwitchedToDup", L"已切换到重复文件（右键可切换模式）。",
                     L"Switched to Duplicate Files (right-click to switch modes)."));
}

void PaintIfAnalysis(HDC dc) {
    if (g_appMode == kAppModeAnalysis) AnalysisModePaint(dc);
}

}  // namespace

void AnalysisOnCreate(HWND window) {
    AnalysisModeCreate(window, g_hAnalysisDriveCombo, g_hAnalysisScanButton, g_hAnalysisBackButton);
    g_modeHooks.enterAnalysis = &AnalysisModeEnter;
    g_modeHooks.layoutAnalysis = &LayoutAnalysisControls;
    g_analysisSwitchToDuplicates = &SwitchToDuplicates;
    g_languageSwitchHooks.fillAnalysisDriveCombo = &FillAnalysisDriveCombo;
    g_languageSwitchHooks.rebuildAnalysisView = [] { AnalysisModeLanguageChanged(g_hMainWnd); };
    g_alternativeModePainter = &PaintIfAnalysis;
}

void AnalysisOnDestroy(HWND window) { AnalysisModeDestroy(window); }

bool AnalysisHandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (g_appMode != kAppModeAnalysis) return false;
    if (msg == WM_COMMAND) return AnalysisModeCommand(window, LOWORD(wParam), HIWORD(wParam));
    return AnalysisModeMessage(window, msg, wParam, lParam, result);
}
