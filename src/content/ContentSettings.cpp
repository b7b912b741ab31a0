#include "content/ContentSettings.h"

#include <cstdio>
#include <cwchar>
#include <mutex>

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

wchar_t AsciiLower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c + 32) : c; }

}  // namespace

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
        for (auto& c : piece) c = AsciiLower(c);
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
    FILE* f = _wfopen(GetContentSearchExtsPath().c_str(), L"w, ccs=UTF-8");
    if (!f) return;
    fputws(L"# Content search selectable extensions (edit this file to add/remove types).\n", f);
    fputws(L"# \u5185\u5bb9\u641c\u7d22\u53ef\u9009\u540e\u7f00\uff1a\u6bcf\u884c\u4e00\u4e2a\u6216\u7528\u82f1\u6587\u9017\u53f7\u5206\u9694\uff1b\u4fdd\u5b58\u540e\u91cd\u65b0\u6253\u5f00\u9009\u62e9\u7a97\u53e3\u5373\u53ef\u751f\u6548\u3002\n", f);
    fputws(L"# Example / \u793a\u4f8b: .txt,.log,.md  \u6216\u6bcf\u884c\u5199 .pdf\n", f);
    std::wstring line = L"exts=" + JoinExtensionList(exts) + L"\n";
    fputws(line.c_str(), f);
    fclose(f);
}

std::vector<std::wstring> LoadContentSearchExts() {
    std::vector<std::wstring> result;
    const std::wstring path = GetContentSearchExtsPath();
    DWORD attrs = GetFileAttributesW(path.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY)) {
        if (FILE* f = _wfopen(path.c_str(), L"r, ccs=UTF-8")) {
            wchar_t buf[2048];
            while (fgetws(buf, 2048, f)) {
                std::wstring line = buf;
                TrimWhitespace(line);
                if (line.empty() || line[0] == L'#') continue;
                if (line.compare(0, 5, L"exts=") == 0) {
                    line.erase(0, 5);
                    TrimWhitespace(line);
                }
                for (auto& e : ParseExtensionList(line))
                    if (!ContainsIgnoringCase(result, e)) result.push_back(std::move(e));
            }
            fclose(f);
        }
    }
    if (result.empty()) {
        result = DefaultContentSearchExts();
        SaveContentSearchExts(result);
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

void LoadContentZipSettings() {
    // The settings files are not read yet: the lists hold the built-in defaults, which every
    // load keeps anyway.
    std::vector<std::wstring> exts;
    std::vector<std::string> patterns;
    AcquireSRWLockShared(&g_contentZipSettingsLock);
    exts = g_contentZipExts;
    patterns = g_contentZipPatterns;
    ReleaseSRWLockShared(&g_contentZipSettingsLock);
    for (auto& e : DefaultZipExtensions())
        if (!ContainsIgnoringCase(exts, e)) exts.push_back(std::move(e));
    for (auto& p : DefaultZipInnerPatterns()) {
        bool found = false;
        for (const auto& q : patterns) found = found || q == p;
        if (!found) patterns.push_back(std::move(p));
    }
    AcquireSRWLockExclusive(&g_contentZipSettingsLock);
    g_contentZipExts = std::move(exts);
    g_contentZipPatterns = std::move(patterns);
    ReleaseSRWLockExclusive(&g_contentZipSettingsLock);
}
