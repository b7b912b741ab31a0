// SetUiLanguage: builds the active text table for a language, saves the choice and brings the
// visible user interface into the new language.
#include "core/Core.h"
#include "i18n/I18n.h"
#include "results/Results.h"
#include "search/Search.h"
#include "shell/Shell.h"
#include "ui/Ui.h"

LanguageSwitchHooks g_languageSwitchHooks;

namespace {

void CallHook(void (*hook)()) {
    if (hook) hook();
}

}  // namespace

void SetUiLanguage(const std::wstring& code) {
    if (code.empty()) return;
    // Texts, code and Chinese flag of the new language; then the choice is saved.
    const std::wstring c = LoadUiLanguageTexts(code);
    WriteSavedLanguageCode(c);
    UpdateTrayTip();

    if (g_hMainWnd) {
        HWND wnd = g_hMainWnd;
        if (ReloadFilterCategoriesForLanguage(wnd)) UpdateFilterButtonCounts();
        CreateFilterButtons();
        SetWindowTextW(wnd, Tr(L"App_TitleMain", L"Tarnwick", L"Tarnwick").c_str());
        if (g_hStatusText) SetWindowTextW(g_hStatusText, L"");
        PopulateSizeDateFilterCombos();
        UpdateFilterButtonCounts();
        ApplyModeLayout(wnd);
        CallHook(g_languageSwitchHooks.fillAnalysisDriveCombo);
        CallHook(g_languageSwitchHooks.fillDupDriveCombo);
        if (g_appMode == 1) {
            CallHook(g_languageSwitchHooks.rebuildAnalysisView);
        } else if (g_appMode == 2) {
            CallHook(g_languageSwitchHooks.refreshDupView);
        } else {
            RelayoutResults();
            UpdateFilterSidebarScroll();
        }
        ShowScrollBar(wnd, SB_BOTH, FALSE);
        UpdateClientSize(wnd);
        ResizeBackBuffer(wnd, g_clientWidth, g_clientHeight);
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    }
    CallHook(g_languageSwitchHooks.relocalizeSettingsCenter);
}
