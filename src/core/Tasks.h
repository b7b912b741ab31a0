#pragma once
// Named background tasks, the per-thread task tag and posting to the main window.
#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "core/Window.h"

// Set once (true) by the main window during WM_DESTROY; every task, worker loop and poster
// tests it and stops. Trivially destructible, so it stays readable until the process ends.
extern std::atomic<bool> g_shuttingDown;

// Runs `work` on a new detached thread whose tag is `name` ("background" when null). An
// exception escaping `work` is caught and logged once with LogBackgroundException(name).
// `name` must have static lifetime (only the pointer is kept). Throws std::system_error when
// the thread cannot be started (the work then does not run).
// Every task started here is registered until it returns, so the exit can wait for it.
void RunBackgroundTask(const wchar_t* name, const std::function<void()>& work);

// A task that can be asked to stop: `work` receives a flag that turns true when CancelTask is
// called for it, or for every task when the program ends. Long work checks it between steps and
// returns early. Same naming, exception and failure rules as RunBackgroundTask. The id is never 0.
using TaskId = std::uint64_t;
TaskId RunCancellableTask(const wchar_t* name, const std::function<void(const std::atomic<bool>& cancel)>& work);
// Asks one task to stop (no effect when it has already returned).
void CancelTask(TaskId id);
// True while the task has not returned.
bool IsTaskRunning(TaskId id);
// The number of registered tasks that have not returned.
std::size_t RunningTaskCount();
// Asks every task to stop and waits until all have returned or `timeoutMs` has passed. True when
// none is left; otherwise the names of those still running are logged once.
[[nodiscard]] bool StopAndWaitForTasks(DWORD timeoutMs);

// The calling thread's tag: "main" unless the thread runs a named task.
const wchar_t* GetThreadTag();
// Sets the calling thread's tag (a text of static lifetime; null reads back as "background").
void SetThreadTag(const wchar_t* tag);
