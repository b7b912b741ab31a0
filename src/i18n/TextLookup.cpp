// Text lookup: the active table, the language state and Tr/TrW.
#include "core/Core.h"
#include "i18n/I18n.h"
#include "i18n/I18nInternal.h"

TextTable g_activeTextTable;
std::shared_mutex g_activeTextTableMutex;
std::unordered_set<std::wstring> g_missingTextKeys;
std::wstring g_uiLanguageCode;
std::atomic<bool> g_languageIsChinese{true};

namespace {
std::mutex g_missingTextKeysMutex;

// Looks the key up in the active table (shared lock), then en-us, then zh-cn.
bool LookupText(const std::wstring& key, std::wstring& text) {
    {
        std::shared_lock<std::shared_mutex> lock(g_activeTextTableMutex);
        auto it = g_activeTextTable.find(key);
        if (it != g_activeTextTable.end()) {
            text = it->second;
            return true;
        }
    }
    for (const TextTable* table : {i18n_detail::EnglishTable(), i18n_detail::ChineseTable()}) {
        auto it = table->find(key);
        if (it != table->end()) {
            text = it->second;
            return true;
        }
    }
    return false;
}

void ReportMissingKey(const std::wstring& key) {
    {
        std::lock_guard<std::mutex> lock(g_missingTextKeysMutex);
        if (!g_missingTextKeys.insert(key).second) return;
    }
    std::wstring code;
    {
        std::shared_lock<std::shared_mutex> lock(g_activeTextTableMutex);
        code = g_uiLanguageCode;
    }
    i18n_detail::WriteDiagnostic(L"i18n missing_key=" + key + L" lang=" + code);
}
}  // namespace

std::wstring Tr(const std::wstring& key, const std::wstring& chineseDefault,
                const std::wstring& englishDefault) {
    EnsureBuiltinLanguageTables();
    const std::wstring* lookupKey = &key;
    auto alias = g_textKeyAliases.find(key);
    if (alias != g_textKeyAliases.end()) lookupKey = &alias->second;

    std::wstring result;
    bool found = LookupText(*lookupKey, result);
    if (!found) {
        ReportMissingKey(*lookupKey);
        result = *lookupKey;
    } else if (!englishDefault.empty() &&
               !i18n_detail::IsEnglishTableKey(*lookupKey) &&
               ExtractFormatPlaceholders(result) != ExtractFormatPlaceholders(englishDefault)) {
        // A key that no built-in table holds came from a language file: its text must take the
        // arguments of the caller's format, or the caller's default is used instead.
        result.clear();
    }
    if (result.empty() || result == key) {
        return g_languageIsChinese ? chineseDefault : englishDefault;
    }
    return result;
}

std::wstring TrW(const wchar_t* key, const wchar_t* chineseDefault, const wchar_t* englishDefault) {
    return Tr(key ? key : L"", chineseDefault ? chineseDefault : L"",
              englishDefault ? englishDefault : L"");
}

bool FindActiveText(const std::wstring& key, std::wstring& text) {
    std::shared_lock<std::shared_mutex> lock(g_activeTextTableMutex);
    auto it = g_activeTextTable.find(key);
    if (it == g_activeTextTable.end()) return false;
    text = it->second;
    return true;
}

std::wstring NormalizeLanguageCode(const std::wstring& code) {
    std::wstring c = code;
    TrimWhitespace(c);
    for (wchar_t& ch : c) {
        if (ch >= L'A' && ch <= L'Z') ch = static_cast<wchar_t>(ch - L'A' + L'a');
    }
    if (c.size() == 2) {
        static const std::pair<const wchar_t*, const wchar_t*> kShort[] = {
            {L"zh", L"zh-cn"}, {L"en", L"en-us"}, {L"de", L"de-de"}, {L"ja", L"ja-jp"},
            {L"fr", L"fr-fr"}, {L"ko", L"ko-kr"}, {L"es", L"es-es"}, {L"ru", L"ru-ru"},
            {L"no", L"no-no"}, {L"ar", L"ar-sa"}};
        for (const auto& [from, to] : kShort) {
            if (c == from) return to;
        }
    }
    return c;
}

bool IsValidLanguageCode(const std::wstring& code) {
    if (code.empty() || code.size() > 32) return false;
    for (wchar_t c : code) {
        const bool allowed = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
                             c == L'-' || c == L'_';
        if (!allowed) return false;
    }
    return IsPlainFileName(code + L".ini");  // no device name
}

const TextTable& GetBuiltinTextTable(const std::wstring& code) {
    EnsureBuiltinLanguageTables();
    auto it = g_builtinTextTables.find(NormalizeLanguageCode(code));
    if (it != g_builtinTextTables.end()) return it->second;
    return g_builtinTextTables.at(L"en-us");
}

std::wstring SettingsNotSavedText(const std::wstring& path, bool ownParagraph) {
    return Tr(L"Msg_SettingsNotSaved", L"无法保存设置。之后的设置更改可能会在程序关闭时丢失。请确认该文件可以写入（且没有同名文件夹）：",
              L"Your settings could not be saved. Changes to them may be lost when the program closes. "
              L"Make sure this file can be written (and that no folder has its name):") +
           (ownParagraph ? L"\n\n" : L" ") + path;
}
