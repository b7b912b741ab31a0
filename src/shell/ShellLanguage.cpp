// The main window's part of a language switch: everything visible is re-translated and laid out
// again once the text table of the new language is active.
#include "core/Core.h"
#include "duplicates/DupMode.h"
#include "i18n/I18n.h"
#include "shell/Shell.h"
#include "shell/ShellInternal.h"
#include "ui/Ui.h"
#include "ui/WindowUnit.h"

void RefreshWindowForLanguage() {

    if (g_hMainWnd) {
        HWND wnd = g_hMainWnd;
        if (ReloadFilterCategoriesForLanguage(wnd)) UpdateFilterButtonCounts();
        CreateFilterButtons();
        SetWindowTextW(wnd, Tr(L"App_TitleMain", L"Tarnwick", L"Tarnwick").c_str());
        if (g_hStatusText) SetWindowTextW(g_hStatusText, L"");
        PopulateSizeDateFilterCombos();
        UpdateCustomFilterControls();
        UpdateFilterButtonCounts();
        ApplyModeLayout(wnd);
        UnitsLanguageChanged(wnd);
        if (g_appMode == kAppModeSearch) {
            RelayoutResults();
            UpdateFilterSidebarScroll();
        }
        ShowScrollBar(wnd, SB_BOTH, FALSE);
        UpdateClientSize(wnd);
        ResizeBackBuffer(wnd, g_clientWidth, g_clientHeight);
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    }
}
