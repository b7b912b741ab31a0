#include "core/Logs.h"

#include <windows.h>

#include <cstdio>
#include <mutex>

#include "core/Paths.h"

namespace {

// Never destroyed: a background task may log while the process exits.
std::mutex& PerfLogMutex() {
    static std::mutex* m = new std::mutex();
    return *m;
}

}  // namespace

void AppendPerfMetric(const std::wstring& text) {
    std::lock_guard<std::mutex> guard(PerfLogMutex());
    std::wstring path = GetConfigDir() + L"\\perf_metrics.log";
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
