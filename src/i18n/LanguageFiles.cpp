// The language list, language.ini, the lang folder's language files and generated templates, and
// loading a language's texts into the active table.
#include <windows.h>

#include <algorithm>
#include <set>

#include "core/Core.h"
#include "i18n/I18n.h"
#include "i18n/I18nInternal.h"

std::vector<LanguageEntry> g_languageList;

namespace {

constexpr wchar_t kTemplateHeader[] = L"# Auto-generated language template";
constexpr wchar_t kTemplateChecksumPrefix[] = L"# template-checksum=";
constexpr size_t kMaxFileLanguages = 128;
constexpr size_t kMaxBadPlaceholderLogs = 10;

void AsciiLower(std::wstring& s) {
    for (wchar_t& c : s) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
}

// A code that is no language code was met: logged with a printable piece of it, never used.
void LogRefusedLanguageCode(const wchar_t* source, const std::wstring& code) {
    std::wstring shown = code.substr(0, 64);
    for (wchar_t& c : shown) {
        if (c < 0x20 || c == 0x7F) c = L'?';
    }
    i18n_detail::WriteDiagnostic(std::wstring(L"i18n invalid_language_code source=") + source + L" code=" + shown);
}

bool EqualsIgnoreAsciiCase(std::wstring a, std::wstring b) {
    AsciiLower(a);
    AsciiLower(b);
    return a == b;
}

// \n, \r, \t and \\ in a value stand for a line feed, a CR, a TAB and a backslash.
std::wstring UnescapeValue(const std::wstring& value) {
    std::wstring out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        wchar_t c = value[i];
        if (c == L'\\' && i + 1 < value.size()) {
            wchar_t n = value[i + 1];
            wchar_t repl = n == L'n' ? L'\n' : n == L'r' ? L'\r' : n == L't' ? L'\t' : n == L'\\' ? L'\\' : 0;
            if (repl) {
                out += repl;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

// The value as a template line writes it: escaped, and quoted when trimming or quote stripping
// would change it on reading.
std::wstring EncodeValue(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size() + 8);
    for (wchar_t c : text) {
        switch (c) {
            case L'\\': out += L"\\\\"; break;
            case L'\n': out += L"\\n"; break;
            case L'\r': out += L"\\r"; break;
            case L'\t': out += L"\\t"; break;
            default: out += c;
        }
    }
    bool edgeBlank = !out.empty() && (out.front() == L' ' || out.back() == L' ');
    bool looksQuoted = out.size() >= 2 && ((out.front() == L'"' && out.back() == L'"') ||
                                          (out.front() == L'\'' && out.back() == L'\''));
    if (out.empty() || edgeBlank || looksQuoted) out = L"\"" + out + L"\"";
    return out;
}

// One "key=value" line of a language file; false for lines that carry no entry.
bool ParseEntryLine(std::wstring line, std::wstring& key, std::wstring& value) {
    TrimWhitespace(line);
    if (line.empty() || line[0] == L'#') return false;
    if (!SplitKeyValue(line, key, value)) return false;
    StripEnclosingQuotes(value);
    if (key.empty() || value.empty()) return false;
    value = UnescapeValue(value);
    return !value.empty();
}

uint32_t Fnv1a(const std::vector<std::wstring>& lines, size_t first) {
    uint32_t h = 2166136261u;
    auto mix = [&h](wchar_t c) {
        h ^= static_cast<uint32_t>(c) & 0xFFFF;
        h *= 16777619u;
    };
    for (size_t i = first; i < lines.size(); ++i) {
        for (wchar_t c : lines[i]) mix(c);
        mix(L'\n');
    }
    return h;
}

std::wstring ChecksumText(uint32_t h) {
    wchar_t buf[16];
    static const wchar_t kHex[] = L"0123456789abcdef";
    for (int i = 0; i < 8; ++i) buf[i] = kHex[(h >> (28 - 4 * i)) & 0xF];
    buf[8] = 0;
    return buf;
}

// A generated template that nobody has changed since it was written.
bool IsUneditedTemplate(const std::vector<std::wstring>& lines) {
    if (lines.size() < 2) return false;
    std::wstring header = lines[0];
    std::wstring sum = lines[1];
    TrimWhitespace(header);
    TrimWhitespace(sum);
    if (header != kTemplateHeader) return false;
    const std::wstring prefix = kTemplateChecksumPrefix;
    if (sum.compare(0, prefix.size(), prefix) != 0) return false;
    return sum.substr(prefix.size()) == ChecksumText(Fnv1a(lines, 2));
}

// The entries of a language file that may be merged (see MergeLanguageFile).
std::vector<std::pair<std::wstring, std::wstring>> ReadMergeableEntries(const std::wstring& path) {
    std::vector<std::pair<std::wstring, std::wstring>> entries;
    std::vector<std::wstring> lines;
    if (!i18n_detail::ReadTextFileLines(path, 4095, lines)) return entries;
    if (IsUneditedTemplate(lines)) return entries;
    const TextTable& english = GetBuiltinTextTable(L"en-us");
    size_t logged = 0;
    std::wstring key, value;
    for (const std::wstring& line : lines) {
        if (!ParseEntryLine(line, key, value)) continue;
        auto en = english.find(key);
        if (en != english.end() &&
            ExtractFormatPlaceholders(value) != ExtractFormatPlaceholders(en->second)) {
            if (logged++ < kMaxBadPlaceholderLogs) {
                i18n_detail::WriteDiagnostic(L"i18n bad_placeholders key=" + key.substr(0, 128) +
                                             L" file=" + path);
            }
            continue;
        }
        entries.emplace_back(key, value);
    }
    return entries;
}

void MergeEntriesInto(TextTable& table, const std::wstring& path) {
    for (auto& [key, value] : ReadMergeableEntries(path)) table[key] = std::move(value);
}

// Keys of a table in a stable order: the English key order, then any others sorted.
std::vector<std::wstring> OrderedKeys(const TextTable& table) {
    std::vector<std::wstring> keys;
    std::set<std::wstring> seen;
    for (const auto* group : {&GetMenuGroupKeys(), &GetTitleGroupKeys(), &GetMainGroupKeys(),
                              &GetSettingsGroupKeys(), &GetAnalysisGroupKeys(),
                              &GetRestGroupKeys(), &GetChineseOnlyKeys(), &GetAddedKeys()}) {
        for (const std::wstring& k : *group) {
            if (table.count(k) && seen.insert(k).second) keys.push_back(k);
        }
    }
    std::vector<std::wstring> others;
    for (const auto& [k, v] : table) {
        if (!seen.count(k)) others.push_back(k);
    }
    std::sort(others.begin(), others.end());
    keys.insert(keys.end(), others.begin(), others.end());
    return keys;
}

}  // namespace

namespace i18n_detail {

std::wstring MakeTemplateText(const std::vector<std::wstring>& bodyLines) {
    std::wstring text = kTemplateHeader;
    text += L"\n";
    text += kTemplateChecksumPrefix + ChecksumText(Fnv1a(bodyLines, 0)) + L"\n";
    for (const std::wstring& line : bodyLines) text += line + L"\n";
    return text;
}

std::wstring BuildLanguageTemplateText(const std::wstring& code) {
    const TextTable& table = GetBuiltinTextTable(code);
    std::vector<std::wstring> body;
    for (const std::wstring& key : OrderedKeys(table)) {
        body.push_back(key + L"=" + EncodeValue(table.at(key)));
    }
    return MakeTemplateText(body);
}

}  // namespace i18n_detail

void BuildLanguageList() {
    EnsureBuiltinLanguageTables();
    std::vector<LanguageEntry> list;
    std::set<std::wstring> listed;
    for (const std::wstring& builtin : GetBuiltinLanguageCodes()) {
        std::wstring code = NormalizeLanguageCode(builtin);
        listed.insert(code);
        const TextTable& table = GetBuiltinTextTable(code);
        auto name = table.find(L"Name");
        list.push_back({code, name != table.end() ? name->second : code});
    }

    const std::wstring langDir = GetLangDir();
    std::vector<std::pair<std::wstring, std::wstring>> files;  // code, file name
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((langDir + L"\\*.ini").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            std::wstring name = fd.cFileName;
            std::wstring lower = name;
            AsciiLower(lower);
            if (lower == L"custom.ini") continue;
            if (lower.size() >= 9 && lower.compare(lower.size() - 9, 9, L".user.ini") == 0) continue;
            size_t dot = name.rfind(L'.');
            if (dot == std::wstring::npos || dot == 0 || lower.substr(dot) != L".ini") continue;
            std::wstring code = NormalizeLanguageCode(name.substr(0, dot));
            if (!IsValidLanguageCode(code)) {
                LogRefusedLanguageCode(L"lang_folder", name);
                continue;
            }
            if (!listed.insert(code).second) continue;
            files.emplace_back(code, name);
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    // The codes are lower case already, so a plain comparison is the case-insensitive order.
    std::sort(files.begin(), files.end());
    if (files.size() > kMaxFileLanguages) files.resize(kMaxFileLanguages);
    for (const auto& [code, name] : files) {
        list.push_back({code, ReadLanguageFileDisplayName(PathInFolder(langDir, name), code)});
    }
    g_languageList = std::move(list);
}

std::wstring ReadLanguageFileDisplayName(const std::wstring& path, const std::wstring& fallback) {
    std::vector<std::wstring> lines;
    if (!i18n_detail::ReadTextFileLines(path, 1023, lines)) return fallback;
    std::wstring key, value;
    for (const std::wstring& line : lines) {
        if (ParseEntryLine(line, key, value) && EqualsIgnoreAsciiCase(key, L"Name")) return value;
    }
    return fallback;
}

std::wstring ReadSavedLanguageCode() {
    std::vector<std::wstring> lines;
    if (!i18n_detail::ReadTextFileLines(GetConfigDir() + L"\\language.ini", 255, lines, 1u << 20)) {
        return std::wstring();
    }
    for (const std::wstring& line : lines) {
        std::wstring key, value;
        if (!SplitKeyValue(line, key, value) || key != L"lang") continue;
        if (value.empty() || IsValidLanguageCode(NormalizeLanguageCode(value))) return value;
        LogRefusedLanguageCode(L"language.ini", value);  // the default language is used
        return std::wstring();
    }
    return std::wstring();
}

bool WriteSavedLanguageCode(const std::wstring& code) {
    const std::wstring c = NormalizeLanguageCode(code);
    if (!IsValidLanguageCode(c)) return false;
    return i18n_detail::WriteUtf8TextFile(GetConfigDir() + L"\\language.ini", L"lang=" + c + L"\n", false);
}

void MergeLanguageFile(const std::wstring& path) {
    auto entries = ReadMergeableEntries(path);
    if (entries.empty()) return;
    std::unique_lock<std::shared_mutex> lock(g_activeTextTableMutex);
    for (auto& [key, value] : entries) g_activeTextTable[key] = std::move(value);
}

void EnsureLanguageTemplate(const std::wstring& code) {
    const std::wstring c = NormalizeLanguageCode(code);
    if (!IsValidLanguageCode(c)) {
        LogRefusedLanguageCode(L"template", code);
        return;
    }
    const std::wstring path = PathInFolder(GetLangDir(), c + L".ini");
    if (path.empty()) return;
    // Any existing file (even an empty or unreadable one) is left as it is.
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    i18n_detail::WriteUtf8TextFile(path, i18n_detail::BuildLanguageTemplateText(c), true);
}

void EnsureAllLanguageTemplates() {
    for (const std::wstring& code : GetBuiltinLanguageCodes()) EnsureLanguageTemplate(code);
}

std::wstring LoadUiLanguageTexts(const std::wstring& code) {
    if (code.empty()) return std::wstring();
    const std::wstring c = NormalizeLanguageCode(code);
    if (!IsValidLanguageCode(c)) {
        if (!c.empty()) LogRefusedLanguageCode(L"switch", code);
        return std::wstring();
    }
    EnsureBuiltinLanguageTables();
    EnsureAllLanguageTemplates();
    TextTable table = GetBuiltinTextTable(c);
    const std::wstring langDir = GetLangDir();
    MergeEntriesInto(table, PathInFolder(langDir, c + L".ini"));
    MergeEntriesInto(table, PathInFolder(langDir, c + L".user.ini"));
    MergeEntriesInto(table, PathInFolder(langDir, L"custom.ini"));

    bool chinese = c.compare(0, 2, L"zh") == 0;
    auto flag = table.find(L"LanguageIsChinese");
    if (flag != table.end()) {
        std::wstring v = flag->second;
        AsciiLower(v);
        chinese = v == L"1" || v == L"true" || v == L"yes";
    }
    {
        std::unique_lock<std::shared_mutex> lock(g_activeTextTableMutex);
        g_activeTextTable.swap(table);
        g_uiLanguageCode = c;
    }
    g_languageIsChinese = chinese;
    return c;
}
