#pragma once
// Autostart at logon: a scheduled task "Tarnwick_AutoStart" made and removed with schtasks.exe
// (run invisibly), which starts the program with " -hidden" 15 s after logon at the highest run
// level. A value "Tarnwick" under HKCU\...\Run also counts as autostart; it is only read and
// deleted, never written.
//
// The synchronous calls below block for as long as schtasks.exe runs (up to 10 or 15 s): the
// window uses the cached state and the asynchronous toggle at the end of this header, which run
// schtasks.exe on background tasks and post their outcome back to the main window.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

inline constexpr wchar_t kAutoStartTaskName[] = L"Tarnwick_AutoStart";
inline constexpr wchar_t kAutoStartRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kAutoStartRunValue[] = L"Tarnwick";
inline constexpr DWORD kSchtasksQueryTimeoutMs = 10000;
inline constexpr DWORD kSchtasksCreateTimeoutMs = 15000;
inline constexpr DWORD kSchtasksDeleteTimeoutMs = 10000;
// The exit code reported when schtasks.exe cannot be started.
inline constexpr DWORD kAutoStartNotStarted = 0xFFFFFFFFu;

// Quotes one argument so that CommandLineToArgvW gives it back unchanged (an argument without
// blank, tab or double quote is returned as it is).
std::wstring QuoteCommandLineArg(const std::wstring& arg);
// <system folder>\schtasks.exe, or the bare "schtasks.exe" when the folder cannot be read.
std::wstring GetSchtasksPath();
// Runs exe with the arguments, without a window, and waits up to timeoutMs. True when it ran to
// its end (exitCode = its exit code). A time-out ends the process (exit code 1460) and returns
// false with exitCode 258; a failed start returns false and leaves exitCode untouched. exitCode
// may be null.
bool RunProcessHidden(const std::wstring& exe, const std::vector<std::wstring>& args, DWORD* exitCode,
                      DWORD timeoutMs);
// The same, but the wait also ends when *stop turns true (the program is ending): the process is
// left to finish on its own, and the result is false with exitCode ERROR_CANCELLED.
bool RunProcessHiddenUnless(const std::wstring& exe, const std::vector<std::wstring>& args, DWORD* exitCode,
                            DWORD timeoutMs, const std::atomic<bool>* stop);

// The program's own path, however long; false (path empty) when it cannot be read whole.
bool GetOwnProgramPath(std::wstring& path);
// The command the task runs: "<path>" -hidden.
std::wstring BuildAutoStartTaskCommand(const std::wstring& programPath);
// The argument lists of the three schtasks.exe runs.
std::vector<std::wstring> AutoStartQueryArgs();
std::vector<std::wstring> AutoStartCreateArgs(const std::wstring& taskCommand);
std::vector<std::wstring> AutoStartDeleteArgs();

// True when the task exists (schtasks.exe ran and answered 0). Blocks.
bool QueryAutoStartTask();
// True when the Run value exists, is a string and is not empty.
bool HasAutoStartRunValue();
// Deletes the Run value; true when it is gone (also when it was never there). registryError (may
// be null) gets the failing call's code, else 0.
bool DeleteAutoStartRunValue(DWORD* registryError);
// QueryAutoStartTask() or else HasAutoStartRunValue(). Blocks.
bool IsAutoStartEnabled();

// What a toggle did.
struct AutoStartOutcome {
    enum class Failure { None, Disable, Create };
    Failure failure = Failure::None;
    DWORD taskExitCode = 0;   // schtasks.exe's exit code (kAutoStartNotStarted: not started)
    DWORD registryError = 0;  // disabling only
    bool enabled = false;     // autostart is on afterwards
};
// Switches autostart off when it is on, on when it is off, and says what happened; shows
// nothing. Blocks while schtasks.exe runs.
AutoStartOutcome ToggleAutoStartQuietly();
// The error box text of a failed toggle (empty for a success), in the UI language group.
std::wstring AutoStartFailureText(const AutoStartOutcome& outcome);
// ToggleAutoStartQuietly and, on failure, an error box over the main window. Blocks.
void ToggleAutoStart();

// ---------------------------------------------------------------------------------------------
// The window's view: a cached state, refreshed and changed on background tasks.

enum class AutoStartState : int { Unknown = -1, Off = 0, On = 1 };
// The last known state (Unknown until the first query ends). Any thread.
AutoStartState GetAutoStartState();
// True while a query or a change runs (the autostart check box and menu item are disabled).
bool IsAutoStartBusy();
// Starts a query on the task "autostart_query" unless a query or change runs. The new state is
// posted to the main window (WM_APP_AUTOSTART_DONE); false when nothing was started.
bool RefreshAutoStartStateAsync();
// Starts a toggle on the task "autostart_toggle"; false (nothing started) while a query or a
// change runs. Its outcome is posted to the main window, which shows a failure there.
bool ToggleAutoStartAsync();
// The main window's handler of WM_APP_AUTOSTART_DONE (UI thread): shows a failed toggle's error
// box and tells the listener. True when msg was that message.
bool HandleAutoStartMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
// Called on the UI thread whenever the cached state or the busy flag changed (the Settings
// Center refreshes its check box). One listener; an empty function removes it.
void SetAutoStartChangedListener(std::function<void()> listener);

// Tests: replaces the process runner of the schtasks.exe runs (an empty function restores
// RunProcessHidden) and waits until no background query or change runs (false after limitMs).
using AutoStartProcessRunner =
    std::function<bool(const std::wstring& exe, const std::vector<std::wstring>& args, DWORD* exitCode,
                       DWORD timeoutMs)>;
void SetAutoStartProcessRunner(AutoStartProcessRunner runner);
bool WaitAutoStartIdle(DWORD limitMs);
