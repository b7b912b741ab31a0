#pragma once
// Working-set trimming: give memory back while the program is hidden or idle.
#include <atomic>
#include <cstdint>

extern std::atomic<uint64_t> g_lastTrimTick;          // tick of the last idle trim let through
extern std::atomic<uint64_t> g_lastUserActivityTick;  // last search or result delivery; 0 = never
extern std::atomic<bool> g_globalTrimRunning;         // a "global_trim_all" task runs
extern bool g_globalTrimOnToggle;                     // option: trim every process on hide
extern std::atomic<uint64_t> g_globalTrimPasses;      // "global_trim_all" passes run to their end

// What the trim guard reads from the layers above, from any thread: the main window registers
// a probe that reads only atomics. Without one nothing is busy, no row is shown and the query
// is empty.
struct TrimActivity {
    bool hydrationBusy = false;  // any of the result list's hydration/prewarm flags
    int64_t visibleResultCount = 0;
    bool queryEmpty = true;
};
using TrimActivityProbe = TrimActivity (*)();
void SetTrimActivityProbe(TrimActivityProbe probe);

// Trims the program's own working set unless shutting down, a hydration runs, the user was
// active within 60 s, more than 5000 rows are shown or the search text is not empty.
void TrimWorkingSet();
// At most once per 30 s, and not while the main window is foreground with input < 5 s ago.
void MaybeTrimOnIdle();
// Records now as the last user activity.
void NoteUserActivity();
// Starts "global_trim_all" (all other processes) when the option is on and none runs.
void RequestGlobalTrimAsync();

namespace core_detail {
// The decisions of the functions above, with their inputs given (tests).
struct TrimGuardState {
    bool shuttingDown = false;
    bool hydrationBusy = false;  // any of the result list's hydration/prewarm flags
    uint64_t nowTick = 0;
    uint64_t lastUserActivityTick = 0;
    int64_t visibleResultCount = 0;
    bool queryEmpty = true;
};
bool TrimAllowed(const TrimGuardState& state);

// The idle gate of MaybeTrimOnIdle: true when the caller may trim now (it then owns the
// advance of lastTrimTick to nowTick). haveLastInput false skips the foreground test.
bool IdleTrimGate(std::atomic<uint64_t>& lastTrimTick, uint64_t nowTick, bool haveLastInput,
                  uint32_t idleMs, bool mainWindowIsForeground);
}  // namespace core_detail
