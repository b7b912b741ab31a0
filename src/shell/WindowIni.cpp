// window.ini: parsing, formatting and the safe rewrite of the file.
#include "shell/WindowIni.h"

#include "core/Core.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <io.h>

WindowIniSettings g_windowIni;
UINT g_windowIniDpi = 96;

namespace {

constexpr size_t kMaxSizeRangeChars = 127;       // the custom size edit holds no more
constexpr size_t kMaxExtensionChars = 64;
constexpr size_t kMaxExtensions = 4096;

std::wstring AsciiLower(std::wstring s) {
    for (wchar_t& c : s)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return s;
}

bool ParseBool(const std::wstring& value) {
    std::wstring v = AsciiLower(value);
    return !(v == L"0" || v == L"false" || v == L"off");
}

// A value written on one line: line breaks would start new keys, so they become blanks.
std::wstring OneLine(std::wstring s) {
    for (wchar_t& c : s)
        if (c == L'\r' || c == L'\n' || c == 0) c = L' ';
    return s;
}

void AppendKey(std::wstring& out, const wchar_t* key, const std::wstring& value) {
    out += key;
    out += L'=';
    out += value;
    out += L'\n';
}

void AppendKey(std::wstring& out, const wchar_t* key, int value) {
    AppendKey(out, key, std::to_wstring(value));
}

}  // namespace

void ParseWindowIniLine(WindowIniSettings& s, std::wstring line) {
    std::wstring key, value;
    if (!SplitKeyValue(line, key, value)) return;
    const int n = _wtoi(value.c_str());

    if (key == L"width") {
        if (n >= 800) s.width = std::min(n, kWindowIniMaxSide);
    } else if (key == L"height") {
        if (n >= 500) s.height = std::min(n, kWindowIniMaxSide);
    } else if (key == L"colType") {
        if (n >= 30 && n <= 119) s.colType = n;
    } else if (key.compare(0, 3, L"col") == 0) {
        int index = _wtoi(key.c_str() + 3);
        if (n < 30) return;
        if (index >= 0 && index <= 4) s.col[index] = std::min(n, kWindowIniMaxColumn);
        else if (index == 5) s.col5 = std::min(n, kWindowIniMaxColumn);
    } else if (key == L"sizePreset") {
        if (n >= 0 && n <= 4) s.sizePreset = n;
    } else if (key == L"timePreset") {
        if (n >= 0 && n <= 4) s.timePreset = n;
    } else if (key == L"sizeUnit") {
        if (n >= 0 && n <= 3) s.sizeUnit = n;
    } else if (key == L"sizeRange") {
        s.sizeRange = value.substr(0, kMaxSizeRangeChars);
    } else if (key == L"timeStart") {
        s.timeStart = n;
    } else if (key == L"timeEnd") {
        s.timeEnd = n;
    } else if (key == L"filterLayout") {
        s.filterLayoutSidebar = AsciiLower(value) != L"topbar";
    } else if (key == L"themeMode") {
        std::wstring v = AsciiLower(value);
        s.darkTheme = !(v == L"0" || v == L"false" || v == L"light");
    } else if (key == L"initialSearchEnabled") {
        s.initialSearchEnabled = ParseBool(value);
    } else if (key == L"viewMode") {
        if (n >= 0 && n <= 2) s.viewMode = n;
    } else if (key == L"globalTrimOnToggle") {
        s.globalTrimOnToggle = ParseBool(value);
    } else if (key == L"tableGridLines") {
        s.tableGridLines = ParseBool(value);
    } else if (key == L"alwaysOnTop") {
        s.alwaysOnTop = ParseBool(value);
    } else if (key == L"showRecentOpens") {
        s.showRecentOpens = ParseBool(value);
    } else if (key == L"contentMaxFileSizeMB") {
        s.contentMaxFileSizeMB = n <= 0 ? 0 : (n > 1048576 ? 1048576 : n);
    } else if (key == L"contentSearchThreads") {
        s.contentSearchThreads = n <= 0 ? 0 : (n > 64 ? 64 : n);
    } else if (key == L"contentSearchExts") {
        s.contentSearchExts.clear();
        size_t start = 0;
        while (start <= value.size() && s.contentSearchExts.size() < kMaxExtensions) {
            size_t comma = value.find(L',', start);
            std::wstring piece = value.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
            TrimWhitespace(piece);
            piece = AsciiLower(piece);
            if (!piece.empty()) {
                if (piece[0] != L'.') piece.insert(piece.begin(), L'.');
                if (piece.size() <= kMaxExtensionChars) s.contentSearchExts.push_back(piece);
            }
            if (comma == std::wstring::npos) break;
            start = comma + 1;
        }
    }
}

bool ReadWindowIniFile(const std::wstring& path, WindowIniSettings& settings) {
    return ReadTextLines(path, [&](const std::wstring& line) { ParseWindowIniLine(settings, line); });
}

std::wstring FormatWindowIni(const WindowIniSettings& s) {
    std::wstring out;
    AppendKey(out, L"width", s.width);
    AppendKey(out, L"height", s.height);
    for (int i = 0; i < 5; ++i) AppendKey(out, (L"col" + std::to_wstring(i)).c_str(), s.col[i]);
    AppendKey(out, L"colType", s.colType);
    AppendKey(out, L"col5", s.col5);
    AppendKey(out, L"sizePreset", s.sizePreset);
    AppendKey(out, L"timePreset", s.timePreset);
    AppendKey(out, L"sizeUnit", s.sizeUnit);
    AppendKey(out, L"sizeRange", OneLine(s.sizeRange));
    AppendKey(out, L"timeStart", s.timeStart);
    AppendKey(out, L"timeEnd", s.timeEnd);
    AppendKey(out, L"filterLayout", s.filterLayoutSidebar ? L"sidebar" : L"topbar");
    AppendKey(out, L"themeMode", s.darkTheme ? L"dark" : L"light");
    AppendKey(out, L"initialSearchEnabled", s.initialSearchEnabled ? 1 : 0);
    AppendKey(out, L"viewMode", s.viewMode);
    AppendKey(out, L"globalTrimOnToggle", s.globalTrimOnToggle ? 1 : 0);
    AppendKey(out, L"tableGridLines", s.tableGridLines ? 1 : 0);
    AppendKey(out, L"alwaysOnTop", s.alwaysOnTop ? 1 : 0);
    AppendKey(out, L"showRecentOpens", s.showRecentOpens ? 1 : 0);
    AppendKey(out, L"contentMaxFileSizeMB", s.contentMaxFileSizeMB);
    AppendKey(out, L"contentSearchThreads", s.contentSearchThreads);
    std::wstring exts;
    for (size_t i = 0; i < s.contentSearchExts.size(); ++i) {
        if (i) exts += L',';
        exts += OneLine(s.contentSearchExts[i]);
    }
    AppendKey(out, L"contentSearchExts", exts);
    return out;
}

bool WriteWindowIniFile(const std::wstring& path, const WindowIniSettings& settings) {
    return WriteTextFileReplacing(path, FormatWindowIni(settings));
}

void ClampWindowSizeToWorkArea(int* width, int* height, const RECT& workArea) {
    const int areaWidth = workArea.right - workArea.left;
    const int areaHeight = workArea.bottom - workArea.top;
    if (width && areaWidth > 0 && *width > areaWidth) *width = areaWidth;
    if (height && areaHeight > 0 && *height > areaHeight) *height = areaHeight;
}

int WindowIniToPixels(int stored96, UINT dpi) {
    return MulDiv(stored96, static_cast<int>(dpi ? dpi : 96), 96);
}

int WindowIniFromPixels(int pixels, int stored96, UINT dpi) {
    if (pixels == WindowIniToPixels(stored96, dpi)) return stored96;
    return MulDiv(pixels, 96, static_cast<int>(dpi ? dpi : 96));
}
