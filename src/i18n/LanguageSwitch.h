#pragma once
// Switching the UI language at run time. Included by the umbrella header i18n/I18n.h.
#include <atomic>
#include <string>

// Makes a language current: text table, Chinese flag, language.ini, then (with a main window)
// the filter categories, the filter bar, the titles, the filter lists and every view's texts.
void SetUiLanguage(const std::wstring& code);

// Views built elsewhere register how they re-translate themselves after a switch; a hook left
// null is skipped. Called on the UI thread by SetUiLanguage.
struct LanguageSwitchHooks {
    void (*relocalizeSettingsCenter)() = nullptr;  // re-translate an open Settings Center
};
extern LanguageSwitchHooks g_languageSwitchHooks;

// How the main window brings itself into the new language (tray tip, filter bar, titles, views),
// called by SetUiLanguage after the texts changed and before relocalizeSettingsCenter. Set once
// by the shell (InstallShellHooks); null: nothing but the texts changes.
using LanguageChangedHandler = void (*)();
extern std::atomic<LanguageChangedHandler> g_languageChangedHandler;
