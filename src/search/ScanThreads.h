#pragma once
// The name scan's threads: a pool started on first use and stopped when the process exits, so a
// search does not pay for starting threads.
#include <functional>

// Runs `body` on the calling thread and on up to `helpers` pool threads at once, and returns when
// every one of those calls has returned. Each call gets its work from shared state of its own
// (e.g. an atomic block counter), so fewer helpers (pool busy with another scan for more than a
// few milliseconds, a call from inside a body, threads that could not be started, the process
// stopping) only make the scan slower. `body` must not throw on a pool thread; an exception on
// the calling thread is passed on once the pool threads have left the body.
void RunOnScanThreads(unsigned helpers, const std::function<void()>& body);

// Starts the pool's threads and runs them through one empty job, so the first search does not
// pay for starting them (about 15 ms under load). Blocks for as long as that takes: call it
// from a background thread. Harmless when the pool is already running.
void StartScanThreads();

// Number of threads a scan may use (processors, 1..16), the caller included.
unsigned NameScanThreadCount();
