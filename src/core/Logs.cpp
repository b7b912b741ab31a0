#include "core/Logs.h"

#include <windows.h>

#include <cstdio>
#include <mutex>
#include <string>

#include "core/Paths.h"

namespace {

// Never destroyed: a background task may log while the process exits.
std::mutex& PerfLogMutex() {
    static std::mutex* m = new std::mutex();
    return *m;
}

// Cuts a log file above the cap down to its newest lines (about kLogFileKeepBytes), through a
// temporary file and a move. Best-effort like the logs themselves: any failure leaves the file.
void CapLogFile(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return;
    const unsigned long long size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (size <= kLogFileCapBytes) return;
    HANDLE in = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in == INVALID_HANDLE_VALUE) return;
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size - kLogFileKeepBytes);
    std::string tail(static_cast<size_t>(kLogFileKeepBytes), '\0');
    DWORD got = 0;
    const bool read = SetFilePointerEx(in, at, nullptr, FILE_BEGIN) &&
                      ReadFile(in, tail.data(), static_cast<DWORD>(tail.size()), &got, nullptr);
    CloseHandle(in);
    if (!read) return;
    tail.resize(got);
    // Keep whole lines only: drop the part of the line the cut fell into.
    const size_t lineEnd = tail.find('\n');
    tail.erase(0, lineEnd == std::string::npos ? tail.size() : lineEnd + 1);
    const std::wstring temp = path + L".tmp";
    HANDLE out = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    bool ok = WriteFile(out, "\xEF\xBB\xBF", 3, &written, nullptr) && written == 3;
    ok = ok && WriteFile(out, tail.data(), static_cast<DWORD>(tail.size()), &written, nullptr) && written == tail.size();
    CloseHandle(out);
    if (!ok || !MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) DeleteFileW(temp.c_str());
}

}  // namespace

void AppendPerfMetric(const std::wstring& text) {
    std::lock_guard<std::mutex> guard(PerfLogMutex());
    std::wstring path = GetConfigDir() + L"\\perf_metrics.log";
    CapLogFile(path);
    FILE* f = _wfopen(path.c_str(), L"a, ccs=UTF-8");
    if (!f) return;
    SYSTEMTIME st{};
    GetLocalTime(&st);
    fwprintf(f, L"[%04u-%02u-%02u %02u:%02u:%02u.%03u] %ls\n", st.wYear, st.wMonth, st.wDay, st.wHour,
             st.wMinute, st.wSecond, st.wMilliseconds, text.c_str());
    fclose(f);
}

std::wstring GetGdiLogPath() {
    wchar_t buf[MAX_PATH] = {};
    DWORD n = GetTempPathW(MAX_PATH, buf);
    if (n == 0 || n >= MAX_PATH) return L".\\Tarnwick_gdi.log";
    return std::wstring(buf, n) + L"Tarnwick_gdi.log";
}

void LogGdi(const wchar_t* text) {
    std::wstring path = GetGdiLogPath();
    CapLogFile(path);
    FILE* f = _wfopen(path.c_str(), L"a, ccs=UTF-8");
    if (!f) return;
    SYSTEMTIME st{};
    GetLocalTime(&st);
    DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    fwprintf(f, L"[%04u-%02u-%02u %02u:%02u:%02u.%03u] GDI=%lu USER=%lu %ls\n", st.wYear, st.wMonth, st.wDay,
             st.wHour, st.wMinute, st.wSecond, st.wMilliseconds, static_cast<unsigned long>(gdi),
             static_cast<unsigned long>(user), text ? text : L"");
    fclose(f);
}

void LogBackgroundException(const wchar_t* tag) {
    try {
        std::wstring line = L"[BackgroundThreadException] ";
        line += (tag && *tag) ? tag : L"unknown";
        LogGdi(line.c_str());
    } catch (...) {
        // Out of memory while logging: the line is lost, the caller goes on.
    }
}

void LogFailure(const wchar_t* what, unsigned long error) {
    try {
        std::wstring line = (what && *what) ? what : L"operation";
        line += L" failed, error " + std::to_wstring(error);
        LogGdi(line.c_str());
    } catch (...) {
    }
}

void LogManualRefresh(const std::wstring& text) {
    std::wstring line = L"[Tarnwick][ManualRefresh] " + text + L"\r\n";
    OutputDebugStringW(line.c_str());
}
