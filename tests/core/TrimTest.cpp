#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/Core.h"
#include "shell/Shell.h"

namespace {

using core_detail::IdleTrimGate;
using core_detail::TrimAllowed;
using core_detail::TrimGuardState;

TEST(CoreTrim, GuardsOfTrimWorkingSet) {
    TrimGuardState idle;  // right after start-up: no search yet, nothing shown
    idle.nowTick = 1000;
    EXPECT_TRUE(TrimAllowed(idle));

    struct Case {
        const char* what;
        void (*change)(TrimGuardState&);
        bool allowed;
    };
    const Case cases[] = {
        {"shutting down", [](TrimGuardState& s) { s.shuttingDown = true; }, false},
        {"hydration busy", [](TrimGuardState& s) { s.hydrationBusy = true; }, false},
        {"5000 rows", [](TrimGuardState& s) { s.visibleResultCount = 5000; }, true},
        {"5001 rows", [](TrimGuardState& s) { s.visibleResultCount = 5001; }, false},
        {"query shown", [](TrimGuardState& s) { s.queryEmpty = false; }, false},
        {"search 59.999 s ago", [](TrimGuardState& s) { s.nowTick = 100000; s.lastUserActivityTick = 40001; }, false},
        {"search 60 s ago", [](TrimGuardState& s) { s.nowTick = 100000; s.lastUserActivityTick = 40000; }, true},
    };
    for (const Case& c : cases) {
        TrimGuardState s = idle;
        c.change(s);
        EXPECT_EQ(TrimAllowed(s), c.allowed) << c.what;
    }
}

TEST(CoreTrim, IdleGateLimitsToOncePer30Seconds) {
    std::atomic<uint64_t> last{0};
    const uint64_t t0 = 1000000;
    EXPECT_TRUE(IdleTrimGate(last, t0, true, 60000, false));
    EXPECT_EQ(last.load(), t0);
    EXPECT_FALSE(IdleTrimGate(last, t0 + 10000, true, 60000, false));  // 10 s later
    EXPECT_EQ(last.load(), t0);
    EXPECT_TRUE(IdleTrimGate(last, t0 + 30000, true, 60000, false));
    EXPECT_EQ(last.load(), t0 + 30000);
}

TEST(CoreTrim, IdleGateSparesAForegroundWindowInUse) {
    std::atomic<uint64_t> last{0};
    const uint64_t now = 5000000;
    EXPECT_FALSE(IdleTrimGate(last, now, true, 2000, true));  // input 2 s ago, in front
    EXPECT_EQ(last.load(), 0u);                               // the tick did not move
    EXPECT_TRUE(IdleTrimGate(last, now, true, 5000, true));   // 5 s idle is enough
    last = 0;
    EXPECT_TRUE(IdleTrimGate(last, now, true, 2000, false));  // not in front
    last = 0;
    EXPECT_TRUE(IdleTrimGate(last, now, false, 0, true));     // no input time: test skipped
}

TEST(CoreTrim, IdleGateHasOneWinnerAmongRacers) {
    std::atomic<uint64_t> last{0};
    std::atomic<int> winners{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([&] {
            if (IdleTrimGate(last, 900000, false, 0, false)) ++winners;
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(winners.load(), 1);
}

bool WaitUntilFalse(const std::atomic<bool>& flag, int ms) {
    for (int i = 0; i < ms / 10 && flag.load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return !flag.load();
}

TEST(CoreTrim, GlobalTrimStartsOnlyWhenAllowed) {
    const uint64_t passes = g_globalTrimPasses.load();
    g_globalTrimOnToggle = false;
    RequestGlobalTrimAsync();  // the option is off: no pass
    EXPECT_FALSE(g_globalTrimRunning.load());

    g_globalTrimOnToggle = true;
    g_globalTrimRunning = true;  // one already runs: nothing new starts (nothing would clear it)
    RequestGlobalTrimAsync();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(g_globalTrimRunning.load());
    EXPECT_EQ(g_globalTrimPasses.load(), passes);

    g_globalTrimRunning = false;
    RequestGlobalTrimAsync();  // runs over every process it may open, then clears the flag
    for (int i = 0; i < 2000 && g_globalTrimPasses.load() == passes; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(g_globalTrimPasses.load(), passes + 1);  // the request really ran one pass
    EXPECT_TRUE(WaitUntilFalse(g_globalTrimRunning, 20000));
    g_globalTrimOnToggle = false;
}

// The trim may run on any thread: it reads the layers above only through the registered probe
// (which reads atomics), never the UI thread's query text.
TEST(CoreTrim, TrimReadsActivityThroughTheProbe) {
    static std::atomic<int> calls{0};
    calls = 0;
    SetTrimActivityProbe([] {
        ++calls;
        TrimActivity a;
        a.queryEmpty = false;  // a search is shown: nothing is trimmed
        return a;
    });
    std::thread([] { TrimWorkingSet(); }).join();
    EXPECT_EQ(calls.load(), 1);
    SetTrimActivityProbe(nullptr);
    TrimWorkingSet();  // without a probe: nothing busy, empty query
    EXPECT_EQ(calls.load(), 1);
}

TEST(CoreTrim, NoteUserActivityBlocksTrim) {
    NoteUserActivity();
    uint64_t noted = g_lastUserActivityTick.load();
    EXPECT_NE(noted, 0u);
    TrimGuardState s;
    s.nowTick = GetTickCount64();
    s.lastUserActivityTick = noted;
    EXPECT_FALSE(TrimAllowed(s));
    g_lastUserActivityTick = 0;
}

}  // namespace
