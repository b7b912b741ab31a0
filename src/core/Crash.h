#pragma once
// Crash reporter: hooks for fatal faults, a minidump and a key=value crash text.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>

// Per-thread breadcrumb: the last message the thread dispatched and a step text.
// Only the UI thread fills it (its message loop and window procedure).
struct ThreadCrashRecord {
    UINT msg = 0;
    HWND hwnd = nullptr;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    wchar_t extra[512] = {};
};
// The calling thread's record.
ThreadCrashRecord& GetThreadCrashRecord();

// Set when a fatal fault is being reported (never cleared): the attribute cache is then no
// longer saved. A report the program survives (a first-chance fault that gets handled, the
// main window's own catch blocks) does not set it.
extern std::atomic<bool> g_crashInProgress;

// The query the crash text prints: a fixed-size copy (at most 255 characters) that the main
// window keeps current whenever the search text changes. The reporter never asks a window.
void SetCrashQueryText(const wchar_t* text);

// The counter the crash text prints as ticket= (the search generation): its owner registers it
// where it defines it. Unregistered, the ticket reads 0.
void SetCrashTicketSource(const std::atomic<uint64_t>* counter);

struct CrashReportContext {
    const wchar_t* reason = nullptr;
    const wchar_t* dumpPath = nullptr;
    EXCEPTION_POINTERS* exceptionPointers = nullptr;
};

// Writes crash_last.dmp and crash_early.txt beside the program and crash_last.txt in the
// configuration folder, then returns (the caller decides whether the process ends).
void WriteCrashReport(const wchar_t* reason, EXCEPTION_POINTERS* exceptionPointers);
// Writes one crash text to `path` (UTF-8 with BOM, CR LF lines).
void WriteCrashText(const CrashReportContext& context, const wchar_t* path);
// Writes "key=0x<address> module=<path> offset=0x<offset>" (or module=<unknown>).
void WriteAddressWithModule(FILE* file, const wchar_t* key, const void* address);

// The hooks (installed by InstallCrashHooks, first thing in wWinMain).
LONG WINAPI CrashVectoredHandler(EXCEPTION_POINTERS* exceptionPointers);
LONG WINAPI CrashUnhandledFilter(EXCEPTION_POINTERS* exceptionPointers);
void CrashOnTerminate();
void CrashOnInvalidParameter(const wchar_t* expression, const wchar_t* function, const wchar_t* file,
                             unsigned int line, uintptr_t reserved);
void CrashOnPureCall();
// Installs the five hooks in order: vectored handler (first in the chain), unhandled filter,
// terminate handler, invalid-parameter handler, pure-call handler.
void InstallCrashHooks();

// True for the exception codes the vectored handler reports.
bool IsFatalExceptionCode(DWORD code);

namespace core_detail {
// Turns the minidump off (tests that only look at the texts; a dump takes seconds under some
// debuggers and emulators). On by default.
void SetCrashDumpEnabled(bool enabled);
}  // namespace core_detail
