// SetUiLanguage: builds the active text table for a language, saves the choice and brings the
// visible user interface into the new language.
#include "core/Core.h"
#include "i18n/I18n.h"

LanguageSwitchHooks g_languageSwitchHooks;
std::atomic<LanguageChangedHandler> g_languageChangedHandler{nullptr};

namespace {

void CallHook(void (*hook)()) {
    if (hook) hook();
}

}  // namespace

void SetUiLanguage(const std::wstring& code) {
    if (code.empty()) return;
    // Texts, code and Chinese flag of the new language; then the choice is saved.
    const std::wstring c = LoadUiLanguageTexts(code);
    if (c.empty()) return;  // no valid code: nothing changes
    if (!WriteSavedLanguageCode(c)) LogFailure(L"saving the language choice", GetLastError());
    // The window and its views follow (the main window registers how).
    if (LanguageChangedHandler handler = g_languageChangedHandler.load()) handler();
    CallHook(g_languageSwitchHooks.relocalizeSettingsCenter);
}
