#include "core/TextLines.h"

#include <windows.h>
#include <io.h>

#include <cstdio>
#include <cwchar>
#include <iterator>

namespace {

// Marks the buffer positions the runtime did not write, so that a piece's true length is known
// even when the file holds NUL characters.
constexpr wchar_t kUnwritten = static_cast<wchar_t>(0xFFFF);

}  // namespace

bool ReadTextLines(const std::wstring& path, const std::function<void(const std::wstring&)>& onLine,
                   size_t maxLineChars, size_t maxFileChars) {
    FILE* f = _wfopen(path.c_str(), L"r, ccs=UTF-8");
    if (!f) return false;
    std::wstring pending;
    bool overlong = false;
    size_t total = 0;
    wchar_t buf[8192];
    auto flush = [&]() {
        while (!pending.empty() && (pending.back() == L'\n' || pending.back() == L'\r')) pending.pop_back();
        if (!overlong && pending.size() <= maxLineChars) onLine(pending);
        pending.clear();
        overlong = false;
    };
    while (total < maxFileChars) {
        std::fill(std::begin(buf), std::end(buf), kUnwritten);
        if (!fgetws(buf, static_cast<int>(std::size(buf)), f)) break;
        size_t n = std::size(buf) - 1;
        while (n > 0 && buf[n] == kUnwritten) --n;
        while (n > 0 && buf[n] != L'\0') --n;  // n: the runtime's terminator
        total += n;
        if (!overlong) {
            if (pending.size() + n > maxLineChars + 2) {  // room for the line end (checked at the flush)
                overlong = true;
                pending.clear();
            } else {
                for (size_t i = 0; i < n; ++i)
                    if (buf[i] != L'\0') pending.push_back(buf[i]);
            }
        }
        if (n > 0 && buf[n - 1] == L'\n') flush();
    }
    if ((!pending.empty() || overlong) && total < maxFileChars) flush();
    fclose(f);
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
        SetLastError(error);
    }
    return ok;
}
