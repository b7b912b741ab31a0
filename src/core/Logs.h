#pragma once
// Diagnostic channels: the performance log, the handle log and the debugger output.
// All are best-effort: a line that cannot be written is dropped silently.
#include <string>

// Both log files are kept small: once a file is above kLogFileCapBytes, the next line written
// first cuts it down to about its newest kLogFileKeepBytes (whole lines).
constexpr unsigned long long kLogFileCapBytes = 4ull << 20;
constexpr unsigned long long kLogFileKeepBytes = 1ull << 20;

// Appends "[yyyy-mm-dd hh:mm:ss.mmm] text" to perf_metrics.log in the configuration folder.
void AppendPerfMetric(const std::wstring& text);
// Appends "[time] GDI=n USER=n text" to Tarnwick_gdi.log in the temporary folder.
void LogGdi(const wchar_t* text);
// LogGdi("[BackgroundThreadException] " + tag), "unknown" for a null tag. Never throws.
void LogBackgroundException(const wchar_t* tag);
// LogGdi("<what> failed, error <error>"): the one line that reports a failure keeps its code.
void LogFailure(const wchar_t* what, unsigned long error);
// OutputDebugStringW("[Tarnwick][ManualRefresh] " + text + "\r\n").
void LogManualRefresh(const std::wstring& text);

// The path LogGdi writes to (the temporary folder, else the current directory).
std::wstring GetGdiLogPath();
