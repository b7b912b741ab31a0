#pragma once
// Shared inside the localization sources only (not part of the public header).
#include <cstddef>
#include <string>
#include <vector>

#include "i18n/I18n.h"

namespace i18n_detail {

// One built-in text.
struct TextPair {
    const wchar_t* key;
    const wchar_t* text;
};

// The texts one language contributes to its built-in table.
struct LanguageTexts {
    const TextPair* texts = nullptr;  // set key by key over the copied table
    size_t textCount = 0;
    const wchar_t* const* settings = nullptr;  // 29 texts in the settings group's order
    const wchar_t* const* analysis = nullptr;  // 42 texts in the analysis group's order
};

// One key of a feature with its text in every built-in language, in the order of
// GetBuiltinLanguageCodes().
struct FeatureText {
    const wchar_t* key;
    const wchar_t* texts[13];
};

// The texts of each built-in language (one source file per language).
const TextPair* EnglishTexts(size_t& count);
LanguageTexts ChineseSimplifiedTexts();   // every key (texts only)
LanguageTexts ChineseTraditionalTexts();  // menu and title groups, settings, analysis
LanguageTexts GermanTexts();
LanguageTexts JapaneseTexts();
LanguageTexts FrenchTexts();
LanguageTexts KoreanTexts();
LanguageTexts SpanishTexts();
LanguageTexts RussianTexts();
LanguageTexts NorwegianTexts();
LanguageTexts ArabicTexts();
LanguageTexts PortugueseTexts();  // menu group, settings, analysis
LanguageTexts ItalianTexts();     // menu group, settings, analysis
// Keys added by features after the six groups, translated into every language at once.
const FeatureText* SettingsToolTexts(size_t& count);

// The built tables that every lookup falls back to (valid once the tables are built).
const TextTable* EnglishTable();
const TextTable* ChineseTable();
bool IsEnglishTableKey(const std::wstring& key);

// Writes one line to the performance log (best effort).
void WriteDiagnostic(const std::wstring& text);

// Reads a text file as lines (UTF-8 with or without BOM, UTF-16 LE with BOM; invalid bytes become
// U+FFFD). A line longer than maxLineChars is returned in pieces of maxLineChars characters.
// At most maxBytes bytes of the file are read. False when the file cannot be opened.
bool ReadTextFileLines(const std::wstring& path, size_t maxLineChars,
                       std::vector<std::wstring>& lines, size_t maxBytes = 16u << 20);
// Writes text (line feeds become CR LF) as UTF-8 with a byte-order mark. With createNew the file
// must not exist yet; otherwise it is replaced atomically. False on any failure.
bool WriteUtf8TextFile(const std::wstring& path, const std::wstring& text, bool createNew);

// A generated language template: the header, the checksum of the body lines, the body lines.
// MergeLanguageFile skips a template whose body still has its checksum (nobody edited it).
std::wstring MakeTemplateText(const std::vector<std::wstring>& bodyLines);
// The template of a built-in language: every entry of its table as "key=value", values escaped
// (\n, \r, \t, \\) and quoted when they begin or end with a blank or look quoted.
std::wstring BuildLanguageTemplateText(const std::wstring& code);

}  // namespace i18n_detail
