#include "core/Trim.h"

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <system_error>

#include "core/Raii.h"
#include "core/Tasks.h"
#include "core/Window.h"

std::atomic<uint64_t> g_lastTrimTick{0};
std::atomic<uint64_t> g_lastUserActivityTick{0};
std::atomic<bool> g_globalTrimRunning{false};
bool g_globalTrimOnToggle = false;
std::atomic<uint64_t> g_globalTrimPasses{0};

namespace {

std::atomic<TrimActivityProbe> g_trimActivityProbe{nullptr};

constexpr uint64_t kUserActivityQuietMs = 60000;
constexpr uint64_t kIdleTrimIntervalMs = 30000;
constexpr uint32_t kForegroundIdleMs = 5000;
constexpr int64_t kMaxVisibleRowsForTrim = 5000;

void EmptyWorkingSetOf(HANDLE process) {
    SetProcessWorkingSetSize(process, static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
    K32EmptyWorkingSet(process);
}

void EnableIncreaseQuotaPrivilege() {
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) return;
    TOKEN_PRIVILEGES tp{};
    if (LookupPrivilegeValueW(nullptr, L"SeIncreaseQuotaPrivilege", &tp.Privileges[0].Luid)) {
        tp.PrivilegeCount = 1;
        tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        AdjustTokenPrivileges(token.get(), FALSE, &tp, sizeof(tp), nullptr, nullptr);
    }
}

void GlobalTrimAll() {
    EnableIncreaseQuotaPrivilege();
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        g_globalTrimRunning.store(false);
        return;
    }
    DWORD self = GetCurrentProcessId();
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL ok = Process32FirstW(snapshot.get(), &entry); ok; ok = Process32NextW(snapshot.get(), &entry)) {
        if (g_shuttingDown.load()) break;
        DWORD pid = entry.th32ProcessID;
        if (pid == 0 || pid == self) continue;
        UniqueHandle process(OpenProcess(PROCESS_SET_QUOTA | PROCESS_QUERY_INFORMATION, FALSE, pid));
        if (!process) continue;
        EmptyWorkingSetOf(process.get());
    }
    snapshot.reset();
    g_globalTrimPasses.fetch_add(1);
    g_globalTrimRunning.store(false);
}

}  // namespace

namespace core_detail {

bool TrimAllowed(const TrimGuardState& s) {
    if (s.shuttingDown) return false;
    if (s.hydrationBusy) return false;
    if (s.lastUserActivityTick != 0 && s.nowTick - s.lastUserActivityTick < kUserActivityQuietMs) return false;
    if (s.visibleResultCount > kMaxVisibleRowsForTrim) return false;
    if (!s.queryEmpty) return false;
    return true;
}

bool IdleTrimGate(std::atomic<uint64_t>& lastTrimTick, uint64_t nowTick, bool haveLastInput, uint32_t idleMs,
                  bool mainWindowIsForeground) {
    uint64_t last = lastTrimTick.load();
    if (nowTick - last < kIdleTrimIntervalMs) return false;
    if (haveLastInput && mainWindowIsForeground && idleMs < kForegroundIdleMs) return false;
    return lastTrimTick.compare_exchange_strong(last, nowTick);
}

}  // namespace core_detail

void SetTrimActivityProbe(TrimActivityProbe probe) { g_trimActivityProbe.store(probe); }

void TrimWorkingSet() {
    core_detail::TrimGuardState s;
    s.shuttingDown = g_shuttingDown.load();
    TrimActivityProbe probe = g_trimActivityProbe.load();
    const TrimActivity activity = probe ? probe() : TrimActivity{};
    s.hydrationBusy = activity.hydrationBusy;
    s.nowTick = GetTickCount64();
    s.lastUserActivityTick = g_lastUserActivityTick.load();
    s.visibleResultCount = activity.visibleResultCount;
    s.queryEmpty = activity.queryEmpty;
    if (!core_detail::TrimAllowed(s)) return;
    EmptyWorkingSetOf(GetCurrentProcess());
}

void MaybeTrimOnIdle() {
    if (g_shuttingDown.load()) return;
    uint64_t now = GetTickCount64();
    LASTINPUTINFO lii{};
    lii.cbSize = sizeof(lii);
    bool haveInput = GetLastInputInfo(&lii) != FALSE;
    uint32_t idle = haveInput ? static_cast<uint32_t>(GetTickCount() - lii.dwTime) : 0;
    HWND main = g_hMainWnd;
    bool foreground = main && IsWindow(main) && GetForegroundWindow() == main;
    if (!core_detail::IdleTrimGate(g_lastTrimTick, now, haveInput, idle, foreground)) return;
    TrimWorkingSet();
}

void NoteUserActivity() { g_lastUserActivityTick.store(GetTickCount64()); }

void RequestGlobalTrimAsync() {
    if (!g_globalTrimOnToggle) return;
    if (g_shuttingDown.load()) return;
    if (g_globalTrimRunning.exchange(true)) return;
    try {
        RunBackgroundTask(L"global_trim_all", &GlobalTrimAll);
    } catch (const std::system_error&) {
        g_globalTrimRunning.store(false);  // the task never started: do not stay marked busy
    }
}
