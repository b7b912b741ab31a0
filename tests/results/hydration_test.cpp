// The prewarm of a new result set: limits and the busy flag.
#include <gtest/gtest.h>
#include <windows.h>

#include "results/Results.h"
#include "search/Search.h"

namespace {

void Publish(std::shared_ptr<std::vector<MatchItem>> rows) {
    std::lock_guard<std::mutex> lock(g_resultsMutex);
    g_results = std::move(rows);
}

bool WaitUntilIdle(const std::atomic<bool>& busy) {
    for (int i = 0; i < 500 && busy.load(); ++i) Sleep(10);
    return !busy.load();
}

TEST(ResultPrewarm, SkipsHugeSetsAndAlwaysGivesBackItsBusyFlag) {
    Publish(std::make_shared<std::vector<MatchItem>>(200001));
    const uint64_t before = g_prewarmGeneration.load();
    RequestResultAttrPrewarmAsync();
    EXPECT_EQ(g_prewarmGeneration.load(), before) << "a set above 200000 rows is not prewarmed";
    EXPECT_FALSE(g_prewarmBusy.load());

    // Rows without a volume are skipped; the task ends and clears its flag.
    Publish(std::make_shared<std::vector<MatchItem>>(50));
    RequestResultAttrPrewarmAsync();
    EXPECT_EQ(g_prewarmGeneration.load(), before + 1);
    EXPECT_TRUE(WaitUntilIdle(g_prewarmBusy));

    // A request while one runs goes through the retry task and still ends idle.
    g_prewarmBusy.store(true);
    RequestResultAttrPrewarmAsync();
    g_prewarmBusy.store(false);
    Sleep(400);
    EXPECT_TRUE(WaitUntilIdle(g_prewarmBusy));
    Publish(std::make_shared<std::vector<MatchItem>>());
}

}  // namespace
