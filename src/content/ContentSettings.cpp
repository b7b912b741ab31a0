#include "content/ContentSettings.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <mutex>

#include "content/ContentMatch.h"
#include "core/Core.h"

std::atomic<int> g_contentSearchThreads{0};
std::atomic<int> g_contentMaxFileSizeMB{100};
std::vector<std::wstring> g_contentSearchExts;
std::vector<std::wstring> g_contentZipExts;
std::vector<std::string> g_contentZipPatterns;
SRWLOCK g_contentZipSettingsLock = SRWLOCK_INIT;

namespace {

// The picked set is replaced on the UI thread and read by the search task.
std::mutex g_contentSearchExtsMutex;

bool ContainsIgnoringCase(const std::vector<std::wstring>& list, const std::wstring& s) {
    for (const auto& e : list)
        if (_wcsicmp(e.c_str(), s.c_str()) == 0) return true;
    return false;
}

// The lines of a list settings file: comment and empty lines skipped, an exact leading prefix
// ("exts=") removed. False when the file cannot be opened.
bool ReadSettingsListLines(const std::wstring& path, const wchar_t* prefix,
                           const std::function<void(const std::wstring&)>& onLine) {
    const size_t prefixLength = wcslen(prefix);
    return ReadTextLines(path, [&](const std::wstring& text) {
        std::wstring line = text;
        TrimWhitespace(line);
        if (line.empty() || line[0] == L'#') return;
        if (line.compare(0, prefixLength, prefix) == 0) {
            line.erase(0, prefixLength);
            TrimWhitespace(line);
        }
        onLine(line);
    });
}

// Writes a whole settings file as UTF-8 with a byte-order mark through a temporary file and a
// move, so that a failed write never leaves the file cut short. False when it failed.
bool SaveSettingsText(const std::wstring& path, const std::wstring& text) { return WriteTextFileReplacing(path, text); }

bool IsExistingFile(const std::wstring& path) {
    const DWORD attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::wstring LowerCaseText(std::wstring text) {
    bool ascii = true;
    for (wchar_t& c : text) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
        else if (c >= 0x80) ascii = false;
    }
    if (!ascii && !text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

void SetContentSearchExts(std::vector<std::wstring> exts) {
    std::lock_guard<std::mutex> lock(g_contentSearchExtsMutex);
    g_contentSearchExts = std::move(exts);
}

std::vector<std::wstring> GetContentSearchExtsCopy() {
    std::lock_guard<std::mutex> lock(g_contentSearchExtsMutex);
    return g_contentSearchExts;
}

std::vector<std::wstring> DefaultZipExtensions() {
    return {L".docx", L".pptx", L".xlsx", L".xlsm", L".docm", L".pptm", L".odt", L".ods", L".odp"};
}

std::vector<std::string> DefaultZipInnerPatterns() {
    return {"word/document.xml",      "word/footnotes.xml",        "word/endnotes.xml",
            "word/comments.xml",      "word/header*.xml",          "word/footer*.xml",
            "xl/sharedstrings.xml",   "xl/worksheets/sheet*.xml",  "xl/comments*.xml",
            "ppt/slides/slide*.xml",  "ppt/notesslides/notesslide*.xml", "ppt/comments*.xml",
            "docprops/core.xml",      "docprops/app.xml",          "content.xml",
            "styles.xml",             "*.xml"};
}

std::vector<std::wstring> DefaultContentSearchExts() {
    std::vector<std::wstring> exts = {L".txt", L".log", L".md", L".csv", L".json", L".xml", L".html", L".htm"};
    for (auto& z : DefaultZipExtensions())
        if (!ContainsIgnoringCase(exts, z)) exts.push_back(z);
    return exts;
}

std::vector<std::wstring> ParseExtensionList(const std::wstring& text) {
    std::vector<std::wstring> out;
    size_t start = 0;
    while (true) {
        size_t comma = text.find(L',', start);
        std::wstring piece = text.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
        TrimWhitespace(piece);
        piece = LowerCaseText(std::move(piece));
        if (!piece.empty()) {
            if (piece[0] != L'.') piece.insert(piece.begin(), L'.');
            if (!ContainsIgnoringCase(out, piece)) out.push_back(std::move(piece));
        }
        if (comma == std::wstring::npos) break;
        start = comma + 1;
    }
    return out;
}

std::wstring JoinExtensionList(const std::vector<std::wstring>& exts) {
    std::wstring s;
    for (size_t i = 0; i < exts.size(); ++i) {
        if (i) s += L',';
        s += exts[i];
    }
    return s;
}

std::wstring GetContentSearchExtsPath() { return GetConfigDir() + L"\\content_search_exts.ini"; }

void SaveContentSearchExts(const std::vector<std::wstring>& exts) {
    std::wstring text = L"# Content search selectable extensions (edit this file to add/remove types).\n";
    text += L"# \u5185\u5bb9\u641c\u7d22\u53ef\u9009\u540e\u7f00\uff1a\u6bcf\u884c\u4e00\u4e2a\u6216\u7528\u82f1\u6587\u9017\u53f7\u5206\u9694\uff1b\u4fdd\u5b58\u540e\u91cd\u65b0\u6253\u5f00\u9009\u62e9\u7a97\u53e3\u5373\u53ef\u751f\u6548\u3002\n";
    text += L"# Example / \u793a\u4f8b: .txt,.log,.md  \u6216\u6bcf\u884c\u5199 .pdf\n";
    text += L"exts=" + JoinExtensionList(exts) + L"\n";
    SaveSettingsText(GetContentSearchExtsPath(), text);
}

std::vector<std::wstring> LoadContentSearchExts() {
    std::vector<std::wstring> result;
    const std::wstring path = GetContentSearchExtsPath();
    const bool exists = IsExistingFile(path);
    bool opened = false;
    if (exists) {
        opened = ReadSettingsListLines(path, L"exts=", [&](const std::wstring& line) {
            for (auto& e : ParseExtensionList(line))
                if (!ContainsIgnoringCase(result, e)) result.push_back(std::move(e));
        });
    }
    if (result.empty()) {
        result = DefaultContentSearchExts();
        // A file that exists but cannot be read just now (another program holds it) keeps what
        // the user wrote in it; only a missing file or one without entries gets the defaults.
        if (!exists || opened) SaveContentSearchExts(result);
    }
    return result;
}

std::vector<std::wstring> GetActiveContentSearchExts() {
    std::vector<std::wstring> offer = LoadContentSearchExts();
    std::vector<std::wstring> picked = GetContentSearchExtsCopy();
    if (picked.empty()) return offer;
    std::vector<std::wstring> active;
    for (const auto& e : picked)
        if (ContainsIgnoringCase(offer, e) && !ContainsIgnoringCase(active, e)) active.push_back(e);
    return active.empty() ? offer : active;
}

std::wstring GetContentZipExtsPath() { return GetConfigDir() + L"\\content_zip_exts.ini"; }
std::wstring GetContentZipPatternsPath() { return GetConfigDir() + L"\\content_zip_inner_patterns.ini"; }

void WriteZipExtsFile(const std::vector<std::wstring>& exts) {
    std::wstring text = L"# Content search: extensions below are read as ZIP (Office Open XML / ODF).\n";
    text += L"# Sister file content_zip_inner_patterns.ini controls which inner entries are scanned.\n";
    text += L"# \u4e0e content_zip_inner_patterns.ini \u914d\u5957\uff1a\u540e\u8005\u51b3\u5b9a ZIP \u5185\u626b\u63cf\u54ea\u4e9b\u5185\u5d4c\u6587\u4ef6\u3002\n";
    text += L"# Comma-separated; optional prefix exts=\n";
    text += L"# \u5185\u5bb9\u641c\u7d22\uff1a\u4ee5\u4e0b\u6269\u5c55\u540d\u5c06\u6309 ZIP \u89e3\u538b\uff0c\u4ec5\u5728 Office/ODF \u76f8\u5173\u5185\u5d4c XML \u4e2d\u5339\u914d\u5173\u952e\u5b57\uff08\u53ef\u968f\u65f6\u7f16\u8f91\u672c\u6587\u4ef6\uff09\u3002\n";
    text += L"exts=" + JoinExtensionList(exts) + L"\n";
    SaveSettingsText(GetContentZipExtsPath(), text);
}

void WriteZipInnerPatternsFile(const std::vector<std::string>& patterns) {
    std::wstring text = L"# ZIP internal paths (forward slashes). Multiple patterns per line: comma-separated.\n";
    text += L"# Wildcard * matches any substring. Example: *.xml matches every .xml entry in the archive.\n";
    text += L"# ZIP \u5305\u5185\u8def\u5f84\uff08\u6b63\u659c\u6760\uff09\uff1b\u4e00\u884c\u591a\u4e2a\u89c4\u5219\u8bf7\u7528\u82f1\u6587\u9017\u53f7\u5206\u9694\uff1b*.xml \u8868\u793a\u5339\u914d\u5168\u90e8 XML\u3002\n";
    for (const auto& p : patterns) {
        std::wstring line;
        if (!p.empty()) {
            int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, p.data(), static_cast<int>(p.size()), nullptr, 0);
            if (n > 0) {
                line.resize(static_cast<size_t>(n));
                MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, p.data(), static_cast<int>(p.size()), line.data(), n);
            }
        }
        text += line + L"\n";
    }
    SaveSettingsText(GetContentZipPatternsPath(), text);
}

namespace {

// Items of a settings file: comment and empty lines skipped, an exact prefix removed, comma lists
// split and trimmed. False when the file exists but cannot be opened; *exists tells which.
bool ReadZipSettingsItems(const std::wstring& path, const wchar_t* prefix, std::vector<std::wstring>& items,
                          bool* exists) {
    *exists = IsExistingFile(path);
    if (!*exists) return false;
    return ReadSettingsListLines(path, prefix, [&](const std::wstring& line) {
        size_t start = 0;
        while (true) {
            size_t comma = line.find(L',', start);
            std::wstring item = line.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
            TrimWhitespace(item);
            if (!item.empty()) items.push_back(std::move(item));
            if (comma == std::wstring::npos) break;
            start = comma + 1;
        }
    });
}

}  // namespace

void LoadContentZipSettings() {
    std::vector<std::wstring> exts;
    std::vector<std::string> patterns;
    bool exists = false;
    std::vector<std::wstring> items;
    if (ReadZipSettingsItems(GetContentZipExtsPath(), L"exts=", items, &exists)) {
        for (auto& item : items) {
            item = LowerCaseText(std::move(item));
            if (item[0] != L'.') item.insert(item.begin(), L'.');
            if (item != L".") exts.push_back(std::move(item));
        }
    } else if (!exists) {
        exts = DefaultZipExtensions();
        WriteZipExtsFile(exts);
    } else {
        AcquireSRWLockShared(&g_contentZipSettingsLock);
        exts = g_contentZipExts;
        ReleaseSRWLockShared(&g_contentZipSettingsLock);
    }
    for (auto& e : DefaultZipExtensions())
        if (!ContainsIgnoringCase(exts, e)) exts.push_back(std::move(e));

    items.clear();
    if (ReadZipSettingsItems(GetContentZipPatternsPath(), L"patterns=", items, &exists)) {
        for (const auto& item : items) {
            std::string p = WideToUtf8(item);
            for (auto& b : p)
                if (static_cast<unsigned char>(b) < 0x80) b = static_cast<char>(tolower(static_cast<unsigned char>(b)));
            if (!p.empty()) patterns.push_back(std::move(p));
        }
    } else if (!exists) {
        patterns = DefaultZipInnerPatterns();
        WriteZipInnerPatternsFile(patterns);
    } else {
        AcquireSRWLockShared(&g_contentZipSettingsLock);
        patterns = g_contentZipPatterns;
        ReleaseSRWLockShared(&g_contentZipSettingsLock);
    }
    for (auto& p : DefaultZipInnerPatterns())
        if (std::find(patterns.begin(), patterns.end(), p) == patterns.end()) patterns.push_back(std::move(p));

    AcquireSRWLockExclusive(&g_contentZipSettingsLock);
    g_contentZipExts = std::move(exts);
    g_contentZipPatterns = std::move(patterns);
    ReleaseSRWLockExclusive(&g_contentZipSettingsLock);
}
