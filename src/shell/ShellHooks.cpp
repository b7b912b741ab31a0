// What the main window registers with the layers below it: how a language switch reaches the
// window, which controls take the UI fonts, and what the working-set trim reads.
#include "analysis/AnalysisMode.h"
#include "core/Core.h"
#include "duplicates/DupMode.h"
#include "i18n/I18n.h"
#include "results/Results.h"
#include "search/Search.h"
#include "shell/Shell.h"
#include "shell/ShellInternal.h"
#include "ui/Ui.h"

namespace {

// Reads only atomics: the trim may run on any thread.
TrimActivity ReadTrimActivity() {
    TrimActivity a;
    a.hydrationBusy = g_attrHydrationBusy.load() || g_prewarmBusy.load() || g_thumbHydrationBusy.load();
    a.visibleResultCount = g_visibleResultCount.load();
    a.queryEmpty = g_currentQueryEmpty.load();
    return a;
}

// The Back buttons and menu switches of the analysis and duplicate modes: search gets the
// keyboard and says so; the duplicate mode says so too.
void SwitchModeFromUnit(HWND window, int mode) {
    SetAppMode(window, mode);
    if (mode == kAppModeSearch) {
        FocusSearchBox();
        SetStatusText(Tr(L"Status_SwitchedToSearch", L"已切换到搜索（右键菜单可进入分析）。",
                         L"Switched to Search (use context menu for Analysis)."));
    } else if (mode == kAppModeDuplicates) {
        SetStatusText(Tr(L"Status_SwitchedToDup", L"已切换到重复文件（右键可切换模式）。",
                         L"Switched to Duplicate Files (right-click to switch modes)."));
    }
}

}  // namespace

void InstallShellHooks() {
    SetDupModeSwitcher(&SwitchModeFromUnit);
    SetAnalysisModeSwitcher(&SwitchModeFromUnit);
    g_languageChangedHandler.store(&RefreshWindowForLanguage);
    SetTrimActivityProbe(&ReadTrimActivity);
    RegisterShellUnits();
    InstallSettingsHost();
}
