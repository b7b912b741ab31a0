#include "core/TextLines.h"

#include <windows.h>
#include <io.h>

#include <cstdio>
#include <cwchar>
#include <cstdint>
#include <mutex>
#include <vector>

#include "core/Logs.h"
#include "core/Window.h"

namespace {

// Strict UTF-8: overlong forms, surrogates and values above U+10FFFF are invalid. An invalid
// byte becomes U+FFFD and decoding goes on with the next byte.
std::wstring DecodeUtf8(const unsigned char* p, size_t n, bool* invalid) {
    std::wstring out;
    out.reserve(n);
    size_t i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            out.push_back(static_cast<wchar_t>(b));
            ++i;
            continue;
        }
        size_t len = 0;
        uint32_t cp = 0, min = 0;
        if (b >= 0xC2 && b <= 0xDF) { len = 2; cp = b & 0x1F; min = 0x80; }
        else if (b >= 0xE0 && b <= 0xEF) { len = 3; cp = b & 0x0F; min = 0x800; }
        else if (b >= 0xF0 && b <= 0xF4) { len = 4; cp = b & 0x07; min = 0x10000; }
        bool ok = len != 0 && i + len <= n;
        for (size_t k = 1; ok && k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) ok = false;
            else cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if (ok && (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
        if (!ok) {
            *invalid = true;
            out.push_back(static_cast<wchar_t>(0xFFFD));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<wchar_t>(cp));
        }
        i += len;
    }
    return out;
}

std::wstring DecodeAnsi(const unsigned char* p, size_t n) {
    if (n == 0 || n > 0x7FFFFFFF) return {};
    const char* c = reinterpret_cast<const char*>(p);
    const int count = MultiByteToWideChar(CP_ACP, 0, c, static_cast<int>(n), nullptr, 0);
    if (count <= 0) return {};
    std::wstring out(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(CP_ACP, 0, c, static_cast<int>(n), out.data(), count);
    return out;
}

// A character that no text holds (see TextLinesShape::controlChars; CR is judged by its place).
bool IsNotTextChar(wchar_t c) {
    if (c == L'\t' || c == L'\r') return false;
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xFFFE || c == 0xFFFF;
}

// A high surrogate without a low one after it, or a low one without a high one before it. A high
// surrogate that ends text cut at the reading limit is the limit's doing, not the file's.
bool HasLoneSurrogate(const std::wstring& text, bool cut) {
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                ++i;
            } else if (!(cut && i + 1 == text.size())) {
                return true;
            }
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return true;
        }
    }
    return false;
}

// Reads at most maxBytes of the file; *cut when the file holds more.
bool ReadFileBytes(const std::wstring& path, size_t maxBytes, std::vector<unsigned char>& out, bool* cut) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(h, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(h);
        return false;
    }
    *cut = false;
    out.clear();
    unsigned char buf[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(h, buf, sizeof buf, &got, nullptr) || got == 0) break;
        const size_t room = maxBytes - out.size();
        if (got > room) {
            out.insert(out.end(), buf, buf + room);
            *cut = true;
            break;
        }
        out.insert(out.end(), buf, buf + got);
    }
    CloseHandle(h);
    return true;
}

}  // namespace

bool ReadTextLines(const std::wstring& path, const std::function<void(const std::wstring&)>& onLine,
                   size_t maxLineChars, size_t maxFileChars, TextLinesShape* shape) {
    TextLinesShape local;
    TextLinesShape& sh = shape ? *shape : local;
    sh = TextLinesShape{};
    // Four bytes per character at most (a UTF-16 pair is two characters from four bytes).
    const size_t maxBytes = maxFileChars > (SIZE_MAX - 4) / 4 ? SIZE_MAX : maxFileChars * 4 + 4;
    std::vector<unsigned char> bytes;
    bool bytesCut = false;
    if (!ReadFileBytes(path, maxBytes, bytes, &bytesCut)) return false;

    std::wstring text;
    const unsigned char* p = bytes.data();
    size_t n = bytes.size();
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        if ((n - 2) % 2) sh.invalidBytes = true;
        text.reserve((n - 2) / 2);
        for (size_t i = 2; i + 1 < n; i += 2) text.push_back(static_cast<wchar_t>(p[i] | (p[i + 1] << 8)));
        if (HasLoneSurrogate(text, bytesCut)) sh.invalidBytes = true;
    } else {
        const bool bom = n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF;
        if (bom) {
            p += 3;
            n -= 3;
        }
        if (bytesCut) {  // the reading stopped inside the file: leave out a character cut in two
            size_t back = 0;
            while (back < 3 && back < n && (p[n - 1 - back] & 0xC0) == 0x80) ++back;
            if (back < n && p[n - 1 - back] >= 0xC0) n -= back + 1;
        }
        bool invalid = false;
        text = DecodeUtf8(p, n, &invalid);
        if (invalid) {
            sh.invalidBytes = true;
            if (!bom) text = DecodeAnsi(p, n);
        }
    }
    if (text.size() > maxFileChars || bytesCut) {
        sh.cutAtLimit = true;
        if (text.size() > maxFileChars) text.resize(maxFileChars);
    }

    std::wstring pending;
    bool overlong = false;
    size_t start = 0;
    while (start < text.size()) {
        const size_t lf = text.find(L'\n', start);
        const size_t end = lf == std::wstring::npos ? text.size() : lf;
        pending.clear();
        overlong = false;
        for (size_t i = start; i < end; ++i) {
            if (IsNotTextChar(text[i])) sh.controlChars = true;
            if (text[i] == L'\0') continue;
            if (pending.size() > maxLineChars + 1) {
                overlong = true;
                break;
            }
            pending.push_back(text[i]);
        }
        const bool ended = lf != std::wstring::npos;
        if (!ended) {
            // The text after the last line end: a line cut short (a CR alone still ends it).
            const bool endsWithCr = !pending.empty() && pending.back() == L'\r';
            if (!pending.empty() || overlong) sh.lastLineEnded = endsWithCr;
            if (sh.cutAtLimit) break;  // a line the limit cut is never handed out
        }
        while (!pending.empty() && pending.back() == L'\r') pending.pop_back();
        if (pending.find(L'\r') != std::wstring::npos) sh.controlChars = true;  // a CR inside a line
        if (!overlong && pending.size() <= maxLineChars && (ended || !pending.empty())) onLine(pending);
        if (!ended) break;
        start = lf + 1;
    }
    return true;
}

bool WriteTextFileReplacing(const std::wstring& path, const std::wstring& text) {
    const std::wstring temp = path + L".tmp";
    FILE* f = _wfopen(temp.c_str(), L"w, ccs=UTF-8");
    if (!f) return false;
    bool ok = fputws(text.c_str(), f) >= 0;
    ok = fflush(f) == 0 && ok;
    ok = !ferror(f) && ok;
    if (ok) {
        HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
        if (h != INVALID_HANDLE_VALUE) FlushFileBuffers(h);
    }
    ok = fclose(f) == 0 && ok;
    if (ok) ok = MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) {
        DWORD error = GetLastError();
        DeleteFileW(temp.c_str());
        ReportSettingsNotSaved(path, error);
        SetLastError(error);
    }
    return ok;
}

namespace {

struct SettingsNotice {
    std::mutex mutex;
    bool pending = false;
    bool told = false;
    std::wstring path;
};

// Never destroyed: a save may fail while the process exits.
SettingsNotice& Notice() {
    static SettingsNotice* n = new SettingsNotice();
    return *n;
}

}  // namespace

void ReportSettingsNotSaved(const std::wstring& path, unsigned long error) {
    LogGdi((L"settings file not saved: " + path + L" error " + std::to_wstring(error)).c_str());
    {
        std::lock_guard<std::mutex> lock(Notice().mutex);
        if (Notice().told || Notice().pending) return;
        Notice().pending = true;
        Notice().path = path;
    }
    PostToMainWindow(WM_SETTINGS_NOT_SAVED);
}

bool TakeSettingsNotSavedNotice(std::wstring* path) {
    std::lock_guard<std::mutex> lock(Notice().mutex);
    if (!Notice().pending || Notice().told) return false;
    Notice().pending = false;
    Notice().told = true;
    if (path) *path = Notice().path;
    return true;
}
