// The drive watcher: notices drive letters that appear and vanish and tells the main window.
#include <windows.h>

#include <chrono>
#include <thread>

#include "core/Core.h"
#include "index/VolumeIndex.h"
#include "core/Window.h"

std::atomic<bool> g_driveWatcherStarted{false};

namespace {
constexpr auto kPollInterval = std::chrono::seconds(2);
std::atomic<uint32_t> g_unansweringDrives{0};

// Letters (limited to the index's drive mask) whose root answers GetFileAttributesW.
uint32_t AnsweringDrives() {
    const uint32_t mask = GetIndexDriveMask();
    uint32_t current = 0;
    wchar_t root[] = L"A:\\";
    for (int i = 0; i < 26; ++i) {
        if (!(mask & (1u << i))) continue;
        root[0] = static_cast<wchar_t>(L'A' + i);
        if (GetFileAttributesW(root) != INVALID_FILE_ATTRIBUTES) current |= 1u << i;
    }
    return current;
}
}  // namespace

void SetUnansweringDrives(uint32_t mask) { g_unansweringDrives.store(mask & 0x3FFFFFFu); }
uint32_t GetUnansweringDrives() { return g_unansweringDrives.load(); }

void StartDriveWatcher(HWND hwnd) {
    if (g_driveWatcherStarted.exchange(true)) return;
    try {
        std::thread(DriveWatcherLoop, hwnd).detach();
    } catch (...) {
        g_driveWatcherStarted = false;
        throw;
    }
}

void DriveWatcherLoop(HWND hwnd) {
    uint32_t previous = GetIndexedLogicalDrives();
    while (!g_shuttingDown) {
        const auto until = std::chrono::steady_clock::now() + kPollInterval;
        while (!g_shuttingDown && std::chrono::steady_clock::now() < until) Sleep(100);
        if (g_shuttingDown) break;
        const uint32_t current = AnsweringDrives();
        // Before anything is posted: the window's availability checks read it.
        SetUnansweringDrives(GetIndexDriveMask() & ~current);
        if (current == previous) continue;
        if ((current & ~previous) && !g_shuttingDown && IsWindow(hwnd)) PostMessageW(hwnd, WM_INDEX_READY, 1, 0);
        if ((previous & ~current) && !g_shuttingDown && IsWindow(hwnd)) PostMessageW(hwnd, WM_VOLUME_LOST, 0, 0);
        previous = current;
    }
    g_driveWatcherStarted = false;
}
