// The sort task: direction rules of DoSortAsync, reverse-only, stale rows, text columns, the
// two-phase size sort with hydration, staleness and the rate-limited cache save.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/Core.h"
#include "index/Index.h"
#include "search/Search.h"
#include "shell/Shell.h"
#include "support/fixture.h"
#include "volume_fixture.h"

namespace {

class SortTask : public ::testing::Test {
protected:
    void SetUp() override {
        b_ = vol_.Add(L"beta.TXT");
        a_ = vol_.Add(L"Alpha.doc");
        dir_ = vol_.Add(L"zeta", true);
        gone_ = vol_.Add(L"gone.txt");
        vol_.Delete(gone_);
        c_ = vol_.Add(L"gamma");
        set_ = PublishRows({vol_.Row(b_), vol_.Row(a_), vol_.Row(dir_), vol_.Row(gone_), vol_.Row(c_)});
        g_sortColumn = -1;
        g_sortAscending = true;
        g_attrPrewarmActive = false;
    }
    void TearDown() override {
        ++g_searchGeneration;
        PublishRows({});
    }
    SortRequest Request(int column, bool ascending, bool reverseOnly = false) {
        SortRequest r;
        r.generation = ++g_searchGeneration;
        r.column = column;
        r.ascending = ascending;
        r.reverseOnly = reverseOnly;
        return r;
    }
    std::vector<uint32_t> Shown() { return RecordIndices(*GetResultsSnapshot()); }

    TestVolume vol_;
    uint32_t a_ = 0, b_ = 0, c_ = 0, dir_ = 0, gone_ = 0;
    std::shared_ptr<std::vector<MatchItem>> set_;
};

}  // namespace

TEST_F(SortTask, DirectionRulesOfSortRequests) {
    struct Step {
        int column;
        bool keep;
        int expectColumn;
        bool expectAscending;
    };
    // New column ascending (Size starts largest first); same column flips; keep uses the flag.
    const Step steps[] = {{1, false, 1, true}, {1, false, 1, false}, {2, false, 2, false},
                          {2, false, 2, true}, {3, false, 3, true},  {5, true, 5, true}};
    for (const auto& s : steps) {
        DoSortAsync(s.column, s.keep);
        EXPECT_EQ(s.expectColumn, g_sortColumn.load());
        EXPECT_EQ(s.expectAscending, g_sortAscending.load());
    }
    const uint64_t gen = g_searchGeneration.load();
    DoSortAsync(0, false);  // the row-number column
    EXPECT_EQ(gen, g_searchGeneration.load());
    g_attrPrewarmActive = true;  // refused while the prewarm runs
    DoSortAsync(1, false);
    EXPECT_EQ(gen, g_searchGeneration.load());
    EXPECT_EQ(5, g_sortColumn.load());
    g_attrPrewarmActive = false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // let the stale tasks end
}

TEST_F(SortTask, NameTypeAndPathOrders) {
    RunSortRequest(Request(1, true));
    // Stale rows are dropped; names compare with ASCII case folded.
    EXPECT_EQ((std::vector<uint32_t>{a_, b_, c_, dir_}), Shown());
    RunSortRequest(Request(1, false, true));  // reverse only
    EXPECT_EQ((std::vector<uint32_t>{dir_, c_, b_, a_}), Shown());
    RunSortRequest(Request(5, true));  // Type: "" (folder, no dot), "", .doc, .txt
    EXPECT_EQ((std::vector<uint32_t>{dir_, c_, a_, b_}), Shown());
    RunSortRequest(Request(6, false));  // Path: T:\zeta, T:\gamma, T:\beta.TXT, T:\Alpha.doc
    EXPECT_EQ((std::vector<uint32_t>{dir_, c_, b_, a_}), Shown());
}

TEST_F(SortTask, StaleRequestPublishesNothing) {
    SortRequest r = Request(1, true);
    ++g_searchGeneration;  // a new search was typed
    RunSortRequest(r);
    EXPECT_EQ(set_, GetResultsSnapshot());
}

TEST_F(SortTask, AllRowsGoneGivesAnEmptySet) {
    PublishRows({vol_.Row(gone_), MatchItem{nullptr, 3}, MatchItem{vol_.v.get(), 999}});
    RunSortRequest(Request(2, false));
    EXPECT_TRUE(GetResultsSnapshot()->empty());
}

TEST_F(SortTask, SizeSortHydratesMissesAndSavesTheCacheOncePer3Seconds) {
    vol_.SetAttr(a_, 300);
    vol_.SetMapSize(b_, 10);        // size map only: no miss
    vol_.SetAttr(c_, 0);            // cached 0, size map says more
    vol_.SetMapSize(c_, 700);
    const uint32_t cold = vol_.Add(L"cold.bin");  // nothing cached: read from the drive
    const std::wstring drive = testfx::FixtureDrive(L'T');
    ASSERT_FALSE(drive.empty());
    ASSERT_TRUE(testfx::WriteFileBytes(drive + L"cold.bin", std::string(2000, 'x')));
    PublishRows({vol_.Row(b_), vol_.Row(a_), vol_.Row(dir_), vol_.Row(c_), vol_.Row(cold)});
    const uint64_t calls = g_hydrateCalls.load();
    g_lastSortCacheSaveTick = 0;
    g_attrCacheSaveBusy = false;
    RunSortRequest(Request(2, false));
    EXPECT_EQ(calls + 1, g_hydrateCalls.load());
    // The hydrated size (cold) comes from the disk; the folder without a total sorts last.
    // Largest first: the hydrated file read from the disk, the size map replacing a cached 0,
    // the cached size, the size map; the folder without a known total comes last.
    EXPECT_EQ((std::vector<uint32_t>{cold, c_, a_, b_, dir_}), Shown());
    const uint64_t tick = g_lastSortCacheSaveTick.load();
    EXPECT_NE(0u, tick);
    // A second size sort within 3000 ms does not consider a save.
    RunSortRequest(Request(2, true));
    EXPECT_EQ(tick, g_lastSortCacheSaveTick.load());
    for (int i = 0; i < 200 && g_attrCacheSaveBusy.load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(g_attrCacheSaveBusy.load());
}

TEST_F(SortTask, HydrationThreadsThatCannotStartLeaveNoRowBehind) {
    const std::wstring drive = testfx::FixtureDrive(L'T');
    ASSERT_FALSE(drive.empty());
    std::vector<MatchItem> rows;
    for (int i = 0; i < 40; ++i) {
        const std::wstring name = L"f" + std::to_wstring(i) + L".bin";
        ASSERT_TRUE(testfx::WriteFileBytes(drive + name, std::string(static_cast<size_t>(i + 1), 'x')));
        rows.push_back(vol_.Row(vol_.Add(name)));
    }
    PublishRows(rows);
    const uint64_t calls = g_hydrateCalls.load();
    g_sortThreadStartFailures = 3;  // some starts fail: their slices are filled on the sort's thread
    RunSortRequest(Request(2, true));
    g_sortThreadStartFailures = 0;
    EXPECT_EQ(calls + 40, g_hydrateCalls.load());
    auto shown = Shown();
    ASSERT_EQ(40u, shown.size());
    EXPECT_EQ(rows.front().recordIndex, shown.front());  // 1 byte: smallest
    EXPECT_EQ(rows.back().recordIndex, shown.back());    // 40 bytes: largest
}
