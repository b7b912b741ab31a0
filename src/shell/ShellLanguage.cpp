// The main window's part of a language switch: everything visible is re-translated and laid out
// again once the text table of the new language is active; and the main window's language menu.
#include <cwchar>

#include "core/Core.h"
#include "duplicates/DupMode.h"
#include "i18n/I18n.h"
#include "settings/SettingsTools.h"
#include "shell/ContentExtPicker.h"
#include "shell/Shell.h"
#include "shell/ShellInternal.h"
#include "ui/Controls.h"
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
        FillSearchScopeCombo();  // "Desktop" and the drives' default names
        RelocalizeContentExtPicker();
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

// ---------------------------------------------------------------------------------------------
// The language menu

namespace {

// A language's name as a menu item: bounded, and an ampersand shown as itself.
std::wstring MenuItemName(const std::wstring& name) {
    constexpr size_t kMaxChars = 80;
    std::wstring text;
    for (wchar_t c : name.substr(0, kMaxChars)) {
        if (c == L'\t' || c == L'\r' || c == L'\n') c = L' ';
        text += c;
        if (c == L'&') text += L'&';
    }
    return text;
}

class LanguageMenuUnit final : public WindowUnit {
public:
    bool OnCommand(HWND window, int id, int code, HWND control) override {
        // The language file's command is the settings tools' (the Settings Center's button id).
        if (control || code != 0 || id < 0 || id == kCmdOpenLanguageFile) return false;
        return RunLanguageMenuCommand(window, static_cast<UINT>(id));
    }
};

}  // namespace

HMENU CreateLanguageMenu() {
    BuildLanguageList();
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    for (size_t i = 0; i < g_languageList.size(); ++i) {
        const LanguageEntry& entry = g_languageList[i];
        const bool current = _wcsicmp(entry.code.c_str(), g_uiLanguageCode.c_str()) == 0;
        AppendMenuItem(menu, MF_ENABLED | (current ? MF_CHECKED : MF_UNCHECKED), IDM_LANGUAGE_FIRST + i,
                       MenuItemName(entry.displayName));
    }
    AppendMenuSeparator(menu);
    AppendMenuItem(menu, MF_ENABLED, kCmdOpenLanguageFile,
                   Tr(L"Menu_OpenLanguageFolder", L"打开当前语言文件", L"Open Current Language File"));
    return menu;
}

bool RunLanguageMenuCommand(HWND window, UINT id) {
    if (id == static_cast<UINT>(kCmdOpenLanguageFile)) return RunSettingsToolCommand(window, kCmdOpenLanguageFile);
    const UINT first = static_cast<UINT>(IDM_LANGUAGE_FIRST);
    if (id < first || id - first >= g_languageList.size()) return false;
    const LanguageEntry entry = g_languageList[id - first];
    SetUiLanguage(entry.code);
    SetStatusText(Tr(L"LanguageChanged", L"语言已切换: ", L"Language switched: ") + entry.displayName);
    return true;
}

WindowUnit& LanguageMenuWindowUnit() {
    static LanguageMenuUnit unit;
    return unit;
}
