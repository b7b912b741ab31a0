#pragma once
// Localization: the text lookup every visible text goes through, language codes, the language
// list, language.ini, the lang folder (templates and override files) and the 13 built-in
// language tables.
//
// Lookup:   Tr(L"Menu_Open", L"打开", L"Open") returns the text of the current UI language,
//           else the en-us text, else the zh-cn text, else the caller's default of the current
//           language group (Chinese when g_languageIsChinese, English otherwise). A key known
//           nowhere is written once per run to the performance log ("i18n missing_key=").
//
// Formats:  table texts that take printf arguments follow the Microsoft convention of wide
//           formats: "%s" is a WIDE string. With MinGW and libstdc++ the C99 printf family
//           (swprintf, vswprintf, ...) reads "%s" in a wide format as a NARROW string and
//           prints one character or garbage. Format every text that came
//           from Tr/TrW (or from any table) with FormatTableText, never with swprintf:
//               std::wstring t = FormatTableText(Tr(L"Dup_StatusDoneFmt", L"...", L"...").c_str(),
//                                                groupCount);   // "%zu" takes a size_t
//           FormatTableText uses the runtime's Microsoft-semantics _vsnwprintf ("%s" = const
//           wchar_t*, "%zu" = size_t, "%lld" = long long, "%lu" = unsigned long) and grows its
//           buffer as needed. Every built-in translation keeps the conversions of its English
//           text, and a language-file text whose conversions differ from the English text of its
//           key is refused, so the arguments of the English text are always the right ones.
//
// Threads:  Tr, TrW, FindActiveText and GetBuiltinTextTable may be called from any thread.
//           The active table is replaced only on the UI thread (LoadUiLanguageTexts,
//           MergeLanguageFile), under g_activeTextTableMutex (held exclusively); other threads
//           read it through Tr/FindActiveText (shared lock). UI-thread code may read
//           g_activeTextTable directly.
#include <atomic>
#include <cstdarg>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// One language's texts: key -> text. Keys are case-sensitive and compared exactly.
using TextTable = std::unordered_map<std::wstring, std::wstring>;

// One offered language: normalised code and display name.
struct LanguageEntry {
    std::wstring code;
    std::wstring displayName;
};

// ---------------------------------------------------------------------------------------------
// Language state (process-wide)
// ---------------------------------------------------------------------------------------------

// Texts of the current UI language: a copy of its built-in table with the language files merged
// in. Empty until the first language switch (lookups are then answered by en-us, then zh-cn).
// Written only on the UI thread, under an exclusive lock of g_activeTextTableMutex.
extern TextTable g_activeTextTable;
extern std::shared_mutex g_activeTextTableMutex;
// Keys already reported missing (only grows). Guarded internally; read it only in tests.
extern std::unordered_set<std::wstring> g_missingTextKeys;
// Normalised code of the current UI language ("en-us"); empty until the first switch.
// Written on the UI thread under g_activeTextTableMutex.
extern std::wstring g_uiLanguageCode;
// Whether the UI language counts as Chinese; selects the default Tr returns. True until the
// start-up code sets it from the Windows UI language.
extern std::atomic<bool> g_languageIsChinese;  // read by background Tr calls
// The offered languages: 13 built-in in fixed order, then at most 128 file-based ones.
extern std::vector<LanguageEntry> g_languageList;
// Built-in tables by full lower-case code (13 entries once built; never changed afterwards).
extern std::map<std::wstring, TextTable> g_builtinTextTables;
// Dotted alias keys -> table keys ("app.name" -> "App_Name", ...).
extern std::unordered_map<std::wstring, std::wstring> g_textKeyAliases;

// ---------------------------------------------------------------------------------------------
// Lookup
// ---------------------------------------------------------------------------------------------

// The text of key in the current language (see the top of this header). Never fails.
std::wstring Tr(const std::wstring& key, const std::wstring& chineseDefault,
                const std::wstring& englishDefault);
// The same for null-terminated wide strings; a null pointer counts as an empty string.
std::wstring TrW(const wchar_t* key, const wchar_t* chineseDefault, const wchar_t* englishDefault);

// The text telling that a settings file could not be written, followed by the file's path
// (after a blank line when `ownParagraph`, else after a blank).
std::wstring SettingsNotSavedText(const std::wstring& path, bool ownParagraph);

// Reads the active table directly (no fallbacks, no alias, no logging); safe from any thread.
bool FindActiveText(const std::wstring& key, std::wstring& text);

// Trimmed, ASCII lower-cased code; "zh" -> "zh-cn", "en" -> "en-us", "de" -> "de-de",
// "ja" -> "ja-jp", "fr" -> "fr-fr", "ko" -> "ko-kr", "es" -> "es-es", "ru" -> "ru-ru",
// "no" -> "no-no", "ar" -> "ar-sa"; other codes unchanged.
std::wstring NormalizeLanguageCode(const std::wstring& code);
// A language code names files (lang\CODE.ini, filters.CODE.ini), so only a plain one is taken:
// 1 to 32 ASCII letters, digits, '-' and '_', and no device name (CON, NUL, COM1, ...). Every
// place a code comes in (language.ini, the lang folder's file names, the functions below that
// take one) treats any other code as absent and logs it.
bool IsValidLanguageCode(const std::wstring& code);

// The built-in table of NormalizeLanguageCode(code), the en-us table for other codes.
const TextTable& GetBuiltinTextTable(const std::wstring& code);

// ---------------------------------------------------------------------------------------------
// Formatting table texts (Microsoft convention: "%s" is a wide string)
// ---------------------------------------------------------------------------------------------

// printf-style formatting of a table text with the runtime's Microsoft-semantics wide
// formatter. The result is never truncated (the buffer grows up to 1 MiB characters; a text
// beyond that is cut there). A null format gives an empty string.
std::wstring FormatTableText(const wchar_t* format, ...);
std::wstring FormatTableTextV(const wchar_t* format, va_list args);

// The placeholders of a text in order, one token each: printf conversions with their flags,
// width, precision and length ("%zu", "%lld", "%.1f"; "%%" is not a placeholder), "{0}", and
// line feeds ("\n") and TABs ("\t"). Two texts take the same arguments when their tokens agree.
std::vector<std::wstring> ExtractTextPlaceholders(const std::wstring& text);
// Only the printf conversions and "{0}" of a text (what decides the arguments it takes).
std::vector<std::wstring> ExtractFormatPlaceholders(const std::wstring& text);

// ---------------------------------------------------------------------------------------------
// Built-in tables
// ---------------------------------------------------------------------------------------------

// Builds the 13 built-in tables and the alias map once (thread-safe); later calls return at once.
void EnsureBuiltinLanguageTables();
// The 272 English texts.
TextTable BuildEnglishTextTable();
// Copies of the English table with that language's 145 menu, title and main texts set.
TextTable BuildGermanTextTable(const TextTable& english);
TextTable BuildJapaneseTextTable(const TextTable& english);
TextTable BuildFrenchTextTable(const TextTable& english);
TextTable BuildKoreanTextTable(const TextTable& english);
TextTable BuildSpanishTextTable(const TextTable& english);
TextTable BuildRussianTextTable(const TextTable& english);
TextTable BuildNorwegianTextTable(const TextTable& english);
TextTable BuildArabicTextTable(const TextTable& english);

// Sets the 29 keys of the settings group, texts in the group's key order: Button_Close,
// Theme_Light, Theme_Dark, Menu_ContentSizeNoLimit, Settings_Title, Settings_Language,
// Settings_Theme, Settings_UseSidebarLayout, Settings_ContentMaxSize, Settings_ContentThreads,
// Settings_Auto, Settings_ChangeHotkey, Settings_HotkeyTip, Settings_OpenZipExts,
// Settings_OpenZipPatterns, Settings_Cat1..Settings_Cat6, Settings_Saved, Settings_ThemeChanged,
// Settings_RecentCleared, Settings_LanguageChanged, Settings_HotkeyWaiting,
// Settings_HotkeyNeedModifierShort, Settings_HotkeyConflictShort, Settings_HotkeyFailedShort.
void AddSettingsTexts(TextTable& table, const wchar_t* t1, const wchar_t* t2, const wchar_t* t3,
                      const wchar_t* t4, const wchar_t* t5, const wchar_t* t6, const wchar_t* t7,
                      const wchar_t* t8, const wchar_t* t9, const wchar_t* t10, const wchar_t* t11,
                      const wchar_t* t12, const wchar_t* t13, const wchar_t* t14,
                      const wchar_t* t15, const wchar_t* t16, const wchar_t* t17,
                      const wchar_t* t18, const wchar_t* t19, const wchar_t* t20,
                      const wchar_t* t21, const wchar_t* t22, const wchar_t* t23,
                      const wchar_t* t24, const wchar_t* t25, const wchar_t* t26,
                      const wchar_t* t27, const wchar_t* t28, const wchar_t* t29);
// Sets the 42 keys of the analysis group, texts in the group's key order (see
// GetAnalysisGroupKeys).
void AddAnalysisTexts(TextTable& table, const wchar_t* t1, const wchar_t* t2, const wchar_t* t3,
                      const wchar_t* t4, const wchar_t* t5, const wchar_t* t6, const wchar_t* t7,
                      const wchar_t* t8, const wchar_t* t9, const wchar_t* t10, const wchar_t* t11,
                      const wchar_t* t12, const wchar_t* t13, const wchar_t* t14,
                      const wchar_t* t15, const wchar_t* t16, const wchar_t* t17,
                      const wchar_t* t18, const wchar_t* t19, const wchar_t* t20,
                      const wchar_t* t21, const wchar_t* t22, const wchar_t* t23,
                      const wchar_t* t24, const wchar_t* t25, const wchar_t* t26,
                      const wchar_t* t27, const wchar_t* t28, const wchar_t* t29,
                      const wchar_t* t30, const wchar_t* t31, const wchar_t* t32,
                      const wchar_t* t33, const wchar_t* t34, const wchar_t* t35,
                      const wchar_t* t36, const wchar_t* t37, const wchar_t* t38,
                      const wchar_t* t39, const wchar_t* t40, const wchar_t* t41,
                      const wchar_t* t42);

// The keys of each group in their fixed order (menu 45, title 7, main 93, settings 29,
// analysis 42, rest 56, Chinese-only 3).
const std::vector<std::wstring>& GetMenuGroupKeys();
const std::vector<std::wstring>& GetTitleGroupKeys();
const std::vector<std::wstring>& GetMainGroupKeys();
const std::vector<std::wstring>& GetSettingsGroupKeys();
const std::vector<std::wstring>& GetAnalysisGroupKeys();
const std::vector<std::wstring>& GetRestGroupKeys();
const std::vector<std::wstring>& GetChineseOnlyKeys();
// Keys added after the groups above were fixed; every built-in table translates them.
const std::vector<std::wstring>& GetAddedKeys();

// The 13 built-in codes in offer order: zh-cn, zh-tw, en-us, ja-jp, ko-kr, de-de, fr-fr, es-es,
// pt-br, it-it, ru-ru, no-no, ar-sa.
const std::vector<std::wstring>& GetBuiltinLanguageCodes();

// ---------------------------------------------------------------------------------------------
// Language list, language.ini and the lang folder
// ---------------------------------------------------------------------------------------------
//
// Language files (lang\CODE.ini, lang\CODE.user.ini, lang\custom.ini): one "key=value" per
// line; lines are trimmed; empty lines, "#" lines and lines without "=" are skipped; key and
// value are trimmed and the value loses one pair of enclosing double quotes or apostrophes
// (so a value with edge blanks is written "  like this  "). In a value, \n, \r, \t and \\ stand
// for a line feed, a carriage return, a TAB and a backslash; any other backslash is kept.
// UTF-8 (with or without byte-order mark) and UTF-16 LE with byte-order mark are read;
// invalid bytes become U+FFFD; lines longer than 4095 characters are read in pieces; only the
// first 16 MiB of a file are read. A text whose printf conversions or "{0}" differ from the
// English text of its key is refused and logged ("i18n bad_placeholders key=... file=..."), and
// Tr compares a file's text for a key that no built-in table holds with the caller's English
// default, so a language file can never make a formatted call read the wrong arguments.
// Generated templates start with "# Auto-generated language template" and a checksum line;
// while the checksum still matches (nobody edited the file) the template is not merged.

// Refills g_languageList: the 13 built-in entries, then file-based languages of the lang folder
// (sorted by code, at most 128).
void BuildLanguageList();
// The value of the file's first non-empty "Name" entry (key case ignored), else fallback.
std::wstring ReadLanguageFileDisplayName(const std::wstring& path, const std::wstring& fallback);
// The value of "lang" in <config>\language.ini (trimmed; may be empty); empty without one, and
// empty (logged) when it is no valid language code.
std::wstring ReadSavedLanguageCode();
// Writes <config>\language.ini as "lang=" + NormalizeLanguageCode(code) (replaced atomically).
// Returns false when it could not be written or the code is not valid (nothing is reported).
[[nodiscard]] bool WriteSavedLanguageCode(const std::wstring& code);
// Merges the entries of a language file into g_activeTextTable. A missing file changes nothing.
// An unedited generated template is not merged (the built-in texts are newer or equal).
void MergeLanguageFile(const std::wstring& path);
// Writes lang\CODE.ini from the built-in table when that file does not exist (never rewrites);
// an invalid code writes nothing.
void EnsureLanguageTemplate(const std::wstring& code);
// EnsureLanguageTemplate for each of the 13 built-in codes.
void EnsureAllLanguageTemplates();

// Makes a language's texts current (no UI work): EnsureBuiltinLanguageTables,
// EnsureAllLanguageTemplates, g_uiLanguageCode = NormalizeLanguageCode(code), the active table =
// a copy of the built-in table merged with lang\CODE.ini, lang\CODE.user.ini and lang\custom.ini
// (in this order), and g_languageIsChinese from the table's LanguageIsChinese ("1", "true" or
// "yes", any case) or, without that key, from the code beginning with "zh". An empty or invalid
// code changes nothing and returns an empty text (an invalid one is logged); otherwise the
// normalised code is returned. The UI language switch builds on this.
std::wstring LoadUiLanguageTexts(const std::wstring& code);

// Switching the UI language at run time (SetUiLanguage).
#include "i18n/LanguageSwitch.h"
