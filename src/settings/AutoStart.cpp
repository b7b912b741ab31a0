// Autostart at logon through a scheduled task, and the Run value that is only read and deleted.
#include "settings/AutoStart.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>

#include "core/Raii.h"
#include "core/Tasks.h"
#include "core/Window.h"
#include "i18n/I18n.h"

namespace {

std::mutex g_runnerMutex;
AutoStartProcessRunner g_runner;  // empty: RunProcessHidden

std::atomic<int> g_state{static_cast<int>(AutoStartState::Unknown)};
std::atomic<bool> g_busy{false};
std::function<void()> g_listener;  // UI thread

bool RunSchtasks(const std::vector<std::wstring>& args, DWORD* exitCode, DWORD timeoutMs) {
    AutoStartProcessRunner runner;
    {
        std::lock_guard<std::mutex> lock(g_runnerMutex);
        runner = g_runner;
    }
    const std::wstring exe = GetSchtasksPath();
    // The end of the program does not wait for schtasks.exe.
    return runner ? runner(exe, args, exitCode, timeoutMs)
                  : RunProcessHiddenUnless(exe, args, exitCode, timeoutMs, &g_shuttingDown);
}

// What the worker hands to the UI thread.
struct AutoStartReport {
    bool toggled = false;
    AutoStartOutcome outcome;
};

void Notify() {
    if (g_listener) g_listener();
}

// Runs work on a background task while holding the busy flag; the flag is given back and the
// report posted when it ends (also when the task cannot be started).
bool StartAutoStartWork(const wchar_t* name, std::function<AutoStartReport()> work) {
    bool expected = false;
    if (!g_busy.compare_exchange_strong(expected, true)) return false;
    auto body = [work = std::move(work)]() {
        std::unique_ptr<AutoStartReport> report;
        try {
            report = std::make_unique<AutoStartReport>(work());
            g_state.store(report->outcome.enabled ? static_cast<int>(AutoStartState::On)
                                                  : static_cast<int>(AutoStartState::Off));
        } catch (...) {
            g_busy.store(false);
            PostToMainWindow(WM_APP_AUTOSTART_DONE, 0, 0);
            throw;  // logged by the task runner
        }
        g_busy.store(false);
        if (!g_shuttingDown.load()) PostValueToMainWindow(WM_APP_AUTOSTART_DONE, 0, std::move(report));
    };
    try {
        RunBackgroundTask(name, body);
    } catch (...) {
        g_busy.store(false);
        return false;
    }
    return true;
}

}  // namespace

std::wstring QuoteCommandLineArg(const std::wstring& arg) {
    if (arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
        } else if (c == L'"') {
            out.append(backslashes * 2 + 1, L'\\');
            out += c;
            backslashes = 0;
        } else {
            out.append(backslashes, L'\\');
            out += c;
            backslashes = 0;
        }
    }
    out.append(backslashes * 2, L'\\');
    out += L'"';
    return out;
}

std::wstring GetSchtasksPath() {
    wchar_t buffer[MAX_PATH] = {};
    UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return L"schtasks.exe";
    return std::wstring(buffer, length) + L"\\schtasks.exe";
}

bool RunProcessHidden(const std::wstring& exe, const std::vector<std::wstring>& args, DWORD* exitCode,
                      DWORD timeoutMs) {
    return RunProcessHiddenUnless(exe, args, exitCode, timeoutMs, nullptr);
}

bool RunProcessHiddenUnless(const std::wstring& exe, const std::vector<std::wstring>& args, DWORD* exitCode,
                            DWORD timeoutMs, const std::atomic<bool>* stop) {
    std::wstring commandLine = QuoteCommandLineArg(exe);
    for (const std::wstring& a : args) commandLine += L" " + QuoteCommandLineArg(a);
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(exe.c_str(), writable.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info))
        return false;
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);
    DWORD wait = WAIT_TIMEOUT;
    if (!stop) {
        wait = WaitForSingleObject(process.get(), timeoutMs);
    } else {
        // In slices, so that a stop request is seen within a moment.
        const ULONGLONG start = GetTickCount64();
        for (;;) {
            if (stop->load()) {
                if (exitCode) *exitCode = ERROR_CANCELLED;
                return false;
            }
            const ULONGLONG spent = GetTickCount64() - start;
            if (spent >= timeoutMs) break;
            wait = WaitForSingleObject(process.get(), static_cast<DWORD>(std::min<ULONGLONG>(timeoutMs - spent, 50)));
            if (wait != WAIT_TIMEOUT) break;
        }
    }
    if (wait == WAIT_TIMEOUT) {
        TerminateProcess(process.get(), ERROR_TIMEOUT);
        if (exitCode) *exitCode = WAIT_TIMEOUT;
        return false;
    }
    if (wait == WAIT_FAILED) {
        if (exitCode) *exitCode = GetLastError();
        return false;
    }
    DWORD code = 0xFFFFFFFFu;
    GetExitCodeProcess(process.get(), &code);
    if (exitCode) *exitCode = code;
    return true;
}

bool GetOwnProgramPath(std::wstring& path) {
    path.clear();
    // Long paths exceed MAX_PATH; a path cut short must never reach the task.
    for (DWORD size = MAX_PATH; size <= 32768 * 2; size *= 2) {
        std::wstring buffer(size, L'\0');
        SetLastError(ERROR_SUCCESS);
        DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0) return false;
        if (length < size && GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            buffer.resize(length);
            path = std::move(buffer);
            return true;
        }
    }
    return false;
}

std::wstring BuildAutoStartTaskCommand(const std::wstring& programPath) {
    return L"\"" + programPath + L"\" -hidden";
}

std::vector<std::wstring> AutoStartQueryArgs() { return {L"/Query", L"/TN", kAutoStartTaskName}; }

std::vector<std::wstring> AutoStartCreateArgs(const std::wstring& taskCommand) {
    return {L"/Create", L"/F",      L"/TN", kAutoStartTaskName, L"/SC", L"ONLOGON", L"/DELAY",
            L"0000:15", L"/RL",     L"HIGHEST", L"/TR",          taskCommand};
}

std::vector<std::wstring> AutoStartDeleteArgs() { return {L"/Delete", L"/TN", kAutoStartTaskName, L"/F"}; }

bool QueryAutoStartTask() {
    DWORD code = 0xFFFFFFFFu;
    return RunSchtasks(AutoStartQueryArgs(), &code, kSchtasksQueryTimeoutMs) && code == 0;
}

bool HasAutoStartRunValue() {
    RegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kAutoStartRunKey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return false;
    // One more character than the buffer holds stays zero, so the data always ends.
    wchar_t data[2049] = {};
    DWORD type = 0;
    DWORD bytes = 4096;
    LONG rc = RegQueryValueExW(key.get(), kAutoStartRunValue, nullptr, &type, reinterpret_cast<BYTE*>(data),
                               &bytes);
    return rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) && bytes >= sizeof(wchar_t) &&
           data[0] != L'\0';
}

bool DeleteAutoStartRunValue(DWORD* registryError) {
    if (registryError) *registryError = 0;
    RegKey key;
    LONG rc = RegOpenKeyExW(HKEY_CURRENT_USER, kAutoStartRunKey, 0, KEY_SET_VALUE, key.put());
    if (rc != ERROR_SUCCESS) {
        if (registryError) *registryError = static_cast<DWORD>(rc);
        return rc == ERROR_FILE_NOT_FOUND;
    }
    rc = RegDeleteValueW(key.get(), kAutoStartRunValue);
    if (registryError) *registryError = static_cast<DWORD>(rc);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool IsAutoStartEnabled() { return QueryAutoStartTask() || HasAutoStartRunValue(); }

AutoStartOutcome ToggleAutoStartQuietly() {
    AutoStartOutcome outcome;
    const bool taskExists = QueryAutoStartTask();
    const bool runValue = HasAutoStartRunValue();
    if (taskExists || runValue) {
        bool taskOk = true;
        DWORD code = 0;
        if (taskExists) taskOk = RunSchtasks(AutoStartDeleteArgs(), &code, kSchtasksDeleteTimeoutMs) && code == 0;
        DWORD registryError = 0;
        const bool regOk = DeleteAutoStartRunValue(&registryError);
        if (regOk) registryError = 0;
        outcome.taskExitCode = code;
        outcome.registryError = registryError;
        if (taskOk && regOk) {
            outcome.enabled = false;
        } else {
            outcome.failure = AutoStartOutcome::Failure::Disable;
            outcome.enabled = !taskOk || HasAutoStartRunValue();
        }
        return outcome;
    }
    std::wstring program;
    DWORD code = kAutoStartNotStarted;
    bool ran = false;
    if (GetOwnProgramPath(program)) {
        ran = RunSchtasks(AutoStartCreateArgs(BuildAutoStartTaskCommand(program)), &code, kSchtasksCreateTimeoutMs);
    } else {
        code = ERROR_INSUFFICIENT_BUFFER;  // no task for a path that could not be read whole
    }
    if (ran && code == 0) {
        DeleteAutoStartRunValue(nullptr);
        if (QueryAutoStartTask()) {
            outcome.enabled = true;
            return outcome;
        }
    }
    outcome.failure = AutoStartOutcome::Failure::Create;
    outcome.taskExitCode = code;
    outcome.enabled = false;
    return outcome;
}

std::wstring AutoStartFailureText(const AutoStartOutcome& outcome) {
    // These two texts are chosen by the language group directly, not through the text tables.
    const bool chinese = g_languageIsChinese.load();
    wchar_t text[360] = {};
    if (outcome.failure == AutoStartOutcome::Failure::Disable) {
        _snwprintf(text, 319,
                   chinese ? L"关闭开机启动失败。\n计划任务退出码: %lu\n注册表错误码: %lu"
                           : L"Failed to disable startup.\nTask exit code: %lu\nRegistry error: %lu",
                   static_cast<unsigned long>(outcome.taskExitCode),
                   static_cast<unsigned long>(outcome.registryError));
    } else if (outcome.failure == AutoStartOutcome::Failure::Create) {
        _snwprintf(text, 359,
                   chinese ? L"创建开机启动失败。\n计划任务退出码: %lu\n建议：以管理员身份运行后重新开启。"
                           : L"Failed to create startup task.\nTask exit code: %lu\nTip: run app as "
                             L"administrator and enable again.",
                   static_cast<unsigned long>(outcome.taskExitCode));
    }
    return text;
}

namespace {
void ShowAutoStartFailure(const AutoStartOutcome& outcome) {
    if (outcome.failure == AutoStartOutcome::Failure::None) return;
    MessageBoxW(g_hMainWnd, AutoStartFailureText(outcome).c_str(),
                Tr(L"MsgTitle_Error", L"错误", L"Error").c_str(), MB_ICONERROR);
}
}  // namespace

void ToggleAutoStart() {
    AutoStartOutcome outcome = ToggleAutoStartQuietly();
    g_state.store(outcome.enabled ? static_cast<int>(AutoStartState::On) : static_cast<int>(AutoStartState::Off));
    ShowAutoStartFailure(outcome);
}

AutoStartState GetAutoStartState() { return static_cast<AutoStartState>(g_state.load()); }

bool IsAutoStartBusy() { return g_busy.load(); }

bool RefreshAutoStartStateAsync() {
    return StartAutoStartWork(L"autostart_query", [] {
        AutoStartReport report;
        report.outcome.enabled = IsAutoStartEnabled();
        return report;
    });
}

bool ToggleAutoStartAsync() {
    bool started = StartAutoStartWork(L"autostart_toggle", [] {
        AutoStartReport report;
        report.toggled = true;
        report.outcome = ToggleAutoStartQuietly();
        return report;
    });
    if (started) Notify();  // the box shows the running change
    return started;
}

bool HandleAutoStartMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_APP_AUTOSTART_DONE) return false;
    std::unique_ptr<AutoStartReport> report = TakePosted<AutoStartReport>(lParam);
    Notify();
    if (report && report->toggled) ShowAutoStartFailure(report->outcome);
    return true;
}

void SetAutoStartChangedListener(std::function<void()> listener) { g_listener = std::move(listener); }

void SetAutoStartProcessRunner(AutoStartProcessRunner runner) {
    std::lock_guard<std::mutex> lock(g_runnerMutex);
    g_runner = std::move(runner);
}

bool WaitAutoStartIdle(DWORD limitMs) {
    const ULONGLONG end = GetTickCount64() + limitMs;
    while (g_busy.load()) {
        if (GetTickCount64() >= end) return false;
        Sleep(5);
    }
    return true;
}
