#pragma once
// The query language of the search box: term groups, folder scopes, content queries, and the
// text helpers that the search, the recent-opens list and the main window share.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "content/ContentQuery.h"


// Parsing.
TermGroups ParseTermGroups(const std::wstring& text);
// Lower-cases (ASCII) and trims every term, drops empty terms and groups: the form the name
// search matches against the lower-case names.
TermGroups PrepareNameTermGroups(TermGroups groups);
ContentQuery ParseContentQuery(const std::wstring& text);
bool SplitFolderScope(const std::wstring& query, std::wstring& folder, std::wstring& rest);
int64_t FindFirstBooleanConnector(const std::wstring& text);
bool IsAbsoluteFolderToken(const std::wstring& token);
std::wstring NormalizeScopeFolder(std::wstring token);
bool HasContentSearchPrefix(const std::wstring& text);

// Matching.
bool NameMatchesTermGroups(const TermGroups& groups, const wchar_t* lowerName, size_t length);
bool MatchPinyinInitials(const wchar_t* name, uint16_t length, const std::wstring& term);
// The initials form of a name that pinyin-initial terms match: up to the first '.', its ASCII
// letters (lower case) and digits and the initial letter of each CJK character with one. Writes
// at most kPinyinInitialsMax characters; 0 when that part of the name has no CJK character.
inline constexpr size_t kPinyinInitialsMax = 256;
size_t PinyinInitials(const wchar_t* name, size_t length, wchar_t* out);
bool IsAsciiLowerAlnumToken(const std::wstring& s);
bool IsSingleCjkChar(const std::wstring& s);

// Text helpers. Case folding folds only the ASCII letters A to Z.
inline wchar_t AsciiToLower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c + 32) : c; }
std::wstring ToLowerMove(std::wstring&& s);
std::wstring NormalizePathKey(std::wstring&& path);
uint32_t Fnv1aHash32(const std::wstring& s);
bool ParseYyyymmdd(int value, SYSTEMTIME& out);
int CompareYmd(const SYSTEMTIME& a, const SYSTEMTIME& b);

// Pinyin initial ('a'..'z') of a GB2312 first-level code (lead byte * 256 + trail byte), or 0.
char PinyinInitialOfGbCode(unsigned code);
