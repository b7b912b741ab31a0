#pragma once
// Content-search settings shared with the main window and the Settings Center: thread count,
// size cap, picked extensions and the ZIP document lists.
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

// Number of content-scan threads; 0 or below means one per logical processor (window.ini
// contentSearchThreads).
extern std::atomic<int> g_contentSearchThreads;
// Size cap of a scanned file in MiB; 0 or below means no cap (window.ini contentMaxFileSizeMB).
extern std::atomic<int> g_contentMaxFileSizeMB;
// Extensions last picked in the content-extension picker (window.ini contentSearchExts).
// Replace and read it through the two functions below.
extern std::vector<std::wstring> g_contentSearchExts;
void SetContentSearchExts(std::vector<std::wstring> exts);
std::vector<std::wstring> GetContentSearchExtsCopy();

// ZIP document settings (content_zip_exts.ini, content_zip_inner_patterns.ini).
extern std::vector<std::wstring> g_contentZipExts;
extern std::vector<std::string> g_contentZipPatterns;
extern SRWLOCK g_contentZipSettingsLock;

std::vector<std::wstring> DefaultZipExtensions();
std::vector<std::string> DefaultZipInnerPatterns();
std::vector<std::wstring> DefaultContentSearchExts();

// Every letter lower-cased (not only ASCII ones), as extensions are compared.
std::wstring LowerCaseText(std::wstring text);

// Comma list to extensions (lower case, leading '.', duplicates ignoring case dropped).
std::vector<std::wstring> ParseExtensionList(const std::wstring& text);
std::wstring JoinExtensionList(const std::vector<std::wstring>& exts);

// content_search_exts.ini in the configuration folder: the offer of the extension picker.
std::wstring GetContentSearchExtsPath();
void SaveContentSearchExts(const std::vector<std::wstring>& exts);
std::vector<std::wstring> LoadContentSearchExts();
// The extensions a content query without its own "|" list searches.
std::vector<std::wstring> GetActiveContentSearchExts();

// content_zip_exts.ini and content_zip_inner_patterns.ini in the configuration folder.
std::wstring GetContentZipExtsPath();
std::wstring GetContentZipPatternsPath();
void WriteZipExtsFile(const std::vector<std::wstring>& exts);
void WriteZipInnerPatternsFile(const std::vector<std::string>& patterns);
// Rereads both files into g_contentZipExts / g_contentZipPatterns (a missing file is written with
// the defaults; the defaults are always present afterwards).
void LoadContentZipSettings();
