#include "core/Paths.h"

#include <shlobj.h>

#include <cwchar>
#include <mutex>

namespace {

// The override of GetConfigDir. Heap-allocated and never destroyed so that background tasks
// still running while the process exits never read a destroyed object.
struct ConfigOverride {
    std::mutex lock;
    std::wstring dir;
};
ConfigOverride& Override() {
    static ConfigOverride* o = new ConfigOverride();
    return *o;
}

HRESULT RealShellFolder(int csidl, wchar_t* buffer) {
    return SHGetFolderPathW(nullptr, csidl, nullptr, 0, buffer);
}
DWORD RealTempPath(DWORD length, wchar_t* buffer) { return GetTempPathW(length, buffer); }
void RealCreateDir(const std::wstring& dir) { CreateDirectoryW(dir.c_str(), nullptr); }

wchar_t FoldAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c; }

bool EqualsAsciiNoCase(const std::wstring& a, const std::wstring& b, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

bool IsTrimChar(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

}  // namespace

namespace core_detail {

std::wstring ChooseConfigDir(ShellFolderFn shellFolder, TempPathFn tempPath, CreateDirFn createDir) {
    for (int csidl : {CSIDL_PERSONAL, CSIDL_LOCAL_APPDATA}) {
        wchar_t buf[MAX_PATH] = {};
        if (shellFolder && SUCCEEDED(shellFolder(csidl, buf))) {
            buf[MAX_PATH - 1] = 0;
            std::wstring base = buf;
            std::wstring dir = base + L"\\Tarnwick\\config";
            createDir(base + L"\\Tarnwick");
            createDir(dir);
            return dir;
        }
    }
    if (tempPath) {
        wchar_t buf[MAX_PATH] = {};
        DWORD n = tempPath(MAX_PATH, buf);
        if (n >= 1 && n < MAX_PATH) {
            std::wstring base(buf, n);
            std::wstring dir = base + L"Tarnwick\\config";
            createDir(base + L"Tarnwick");
            createDir(dir);
            return dir;
        }
    }
    return L"C:\\Tarnwick\\config";
}

}  // namespace core_detail

void SetConfigDirOverride(const std::wstring& dir) {
    ConfigOverride& o = Override();
    std::lock_guard<std::mutex> guard(o.lock);
    o.dir = NormalizePath(dir);
}

std::wstring GetConfigDir() {
    {
        ConfigOverride& o = Override();
        std::lock_guard<std::mutex> guard(o.lock);
        if (!o.dir.empty()) {
            // Create the folder and its parent, as for the real folder.
            size_t cut = o.dir.find_last_of(L'\\');
            if (cut != std::wstring::npos && cut > 2) RealCreateDir(o.dir.substr(0, cut));
            RealCreateDir(o.dir);
            return o.dir;
        }
    }
    return core_detail::ChooseConfigDir(&RealShellFolder, &RealTempPath, &RealCreateDir);
}

std::wstring GetLangDir() {
    std::wstring dir = GetConfigDir() + L"\\lang";
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

std::wstring GetDesktopDir() {
    wchar_t buf[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, buf))) return {};
    buf[MAX_PATH - 1] = 0;
    return buf;
}

bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

std::wstring DriveRootOf(const std::wstring& path) {
    if (path.size() < 2) return path;
    for (size_t i = path.size() - 1; i >= 1; --i) {
        if (path[i] == L':' && IsAsciiLetter(path[i - 1])) {
            wchar_t letter = path[i - 1];
            if (letter >= L'a' && letter <= L'z') letter = static_cast<wchar_t>(letter - 32);
            return std::wstring{letter, L':'};
        }
    }
    return path;
}

std::wstring NormalizePath(std::wstring path) {
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    if (path.size() == 3 && path[1] == L':' && path[2] == L'\\') path.resize(2);
    return path;
}

bool IsPathUnderBase(const std::wstring& path, const std::wstring& base) {
    if (path.empty() || base.empty()) return false;
    std::wstring p = NormalizePath(path);
    std::wstring b = NormalizePath(base);
    if (b.empty()) return false;
    if (p.size() == b.size() && EqualsAsciiNoCase(p, b, b.size())) return true;
    return p.size() > b.size() && EqualsAsciiNoCase(p, b, b.size()) && p[b.size()] == L'\\';
}

void StripEnclosingQuotes(std::wstring& s) {
    if (s.size() < 2) return;
    wchar_t first = s.front();
    wchar_t last = s.back();
    if ((first == L'"' && last == L'"') || (first == L'\'' && last == L'\'')) {
        s = s.substr(1, s.size() - 2);
    }
}

void TrimWhitespace(std::wstring& s) {
    size_t end = s.size();
    while (end > 0 && IsTrimChar(s[end - 1])) --end;
    size_t begin = 0;
    while (begin < end && IsTrimChar(s[begin])) ++begin;
    if (begin == 0 && end == s.size()) return;
    s = s.substr(begin, end - begin);
}

bool SplitKeyValue(const std::wstring& line, std::wstring& key, std::wstring& value) {
    const size_t eq = line.find(L'=');
    if (eq == std::wstring::npos) return false;
    key = line.substr(0, eq);
    value = line.substr(eq + 1);
    TrimWhitespace(key);
    TrimWhitespace(value);
    return true;
}

namespace {

bool IsControlChar(wchar_t c) { return c < 0x20 || c == 0x7F; }

// The part of a name before its first dot, trailing blanks removed, is one of the system's device
// names: the name opens the device wherever it is joined.
bool IsDeviceName(const std::wstring& name) {
    std::wstring base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    for (wchar_t& c : base) c = FoldAscii(c);
    static const wchar_t* const kFixed[] = {L"con", L"prn", L"aux", L"nul", L"conin$", L"conout$", L"clock$"};
    for (const wchar_t* d : kFixed) {
        if (base == d) return true;
    }
    if (base.size() == 4 && (base.compare(0, 3, L"com") == 0 || base.compare(0, 3, L"lpt") == 0)) {
        const wchar_t n = base[3];
        // Digits, and the superscript digits 1, 2 and 3 that the system also takes for them.
        return (n >= L'0' && n <= L'9') || n == 0x00B9 || n == 0x00B2 || n == 0x00B3;
    }
    return false;
}

}  // namespace

bool IsPlainFileName(const std::wstring& name) {
    if (name.empty() || name.size() > 255) return false;
    if (name == L"." || name == L"..") return false;
    if (name.back() == L'.' || name.back() == L' ') return false;
    for (wchar_t c : name) {
        if (IsControlChar(c) || wcschr(L"\\/:*?\"<>|", c)) return false;
    }
    return !IsDeviceName(name);
}

std::wstring PathInFolder(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty() || !IsPlainFileName(name)) return std::wstring();
    return folder + L"\\" + name;
}

bool IsFullLocalPath(const std::wstring& path, wchar_t drive) {
    if (path.size() < 4 || !IsAsciiLetter(path[0]) || path[1] != L':' || path[2] != L'\\') return false;
    if (drive != L'*' && FoldAscii(path[0]) != FoldAscii(drive)) return false;
    size_t start = 3;
    while (start <= path.size()) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) end = path.size();
        const std::wstring part = path.substr(start, end - start);
        if (part.empty() || part == L"." || part == L"..") return false;
        for (wchar_t c : part) {
            if (IsControlChar(c) || c == L':' || c == L'/') return false;
        }
        start = end + 1;
    }
    return true;
}

std::wstring FormatSize(long long bytes) {
    wchar_t buf[64] = {};
    if (bytes < 1024) {
        swprintf(buf, 64, L"%lld B", bytes);
    } else if (bytes < 1048576) {
        swprintf(buf, 64, L"%lld KB", bytes >> 10);
    } else if (bytes < 1073741824) {
        swprintf(buf, 64, L"%.2f MB", static_cast<double>(bytes) / 1048576.0);
    } else {
        swprintf(buf, 64, L"%.2f GB", static_cast<double>(bytes) / 1073741824.0);
    }
    return buf;
}

std::wstring FormatFileTime(const FILETIME& time) {
    if (time.dwLowDateTime == 0 && time.dwHighDateTime == 0) return L"-";
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    if (!FileTimeToSystemTime(&time, &utc)) return L"-";
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return L"-";
    wchar_t buf[64] = {};
    swprintf(buf, 64, L"%04d-%02d-%02d %02d:%02d", local.wYear, local.wMonth, local.wDay, local.wHour,
             local.wMinute);
    return buf;
}

std::wstring FormatFileTime(const FILETIME* time) {
    if (!time) return L"-";
    return FormatFileTime(*time);
}
