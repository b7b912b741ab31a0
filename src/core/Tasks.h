#pragma once
// Named background tasks, the per-thread task tag and posting to the main window.
#include <windows.h>

#include <atomic>
#include <functional>

#include "core/Window.h"

// Set once (true) by the main window during WM_DESTROY; every task, worker loop and poster
// tests it and stops. Trivially destructible, so it stays readable until the process ends.
extern std::atomic<bool> g_shuttingDown;

// Runs `work` on a new detached thread whose tag is `name` ("background" when null). An
// exception escaping `work` is caught and logged once with LogBackgroundException(name).
// `name` must have static lifetime (only the pointer is kept). Throws std::system_error when
// the thread cannot be started (the work then does not run).
void RunBackgroundTask(const wchar_t* name, const std::function<void()>& work);

// The calling thread's tag: "main" unless the thread runs a named task.
const wchar_t* GetThreadTag();
// Sets the calling thread's tag (a text of static lifetime; null reads back as "background").
void SetThreadTag(const wchar_t* tag);
