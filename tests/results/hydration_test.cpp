// The prewarm of a new result set (limits and the busy flag) and the thumbnail hydration of the
// large icon view (what counts as a load, what asks for a repaint).
#include <gtest/gtest.h>
#include <windows.h>

#include "core/Window.h"
#include "index/Index.h"
#include "results/Results.h"
#include "search/Search.h"
#include "support/fixture.h"
#include "support/synthetic_volume.h"
#include "ui/Ui.h"

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

// Runs one thumbnail hydration of the rows on screen in large icons and reports whether it
// asked the main window for a repaint.
bool ThumbnailRunAskedForRepaint(HWND window) {
    MSG msg;
    while (PeekMessageW(&msg, window, WM_HYDRATION_UPDATED, WM_HYDRATION_UPDATED, PM_REMOVE)) {
    }
    RequestVisibleThumbnailHydrationAsync();
    EXPECT_TRUE(WaitUntilIdle(g_thumbHydrationBusy));
    return PeekMessageW(&msg, window, WM_HYDRATION_UPDATED, WM_HYDRATION_UPDATED, PM_REMOVE) != FALSE;
}

TEST(ThumbnailHydration, OnlyARealThumbnailCountsAsALoad) {
    const std::wstring dir = testfx::MakeScratchDir(L"thumbrun");
    VolumeIndex volume;
    volume.root = dir;
    volume.rootFrn = 5;
    std::vector<MatchItem> rows;
    for (int i = 0; i < 3; ++i) {
        const std::wstring name = L"clip" + std::to_wstring(i) + L".mp4";
        ASSERT_TRUE(testfx::WriteFileBytes(dir + L"\\" + name, "not a video"));
        rows.push_back({&volume, testfx::AddSyntheticRecord(volume, 0x300000 + i, 5, name)});
    }
    Publish(std::make_shared<std::vector<MatchItem>>(rows));
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    g_hMainWnd = window;
    g_dpi = 96;
    g_viewMode = static_cast<int>(ResultViewMode::LargeIcons);
    g_clientWidth = 1100;
    g_clientHeight = 400;
    g_listAreaTop = 70;
    g_scrollY = 0;
    ClearIconCache();

    // Files that give no thumbnail: each is tried once, gets its type's icon and a remembered
    // failure, and nothing asks for a repaint (a repaint would only show the same icons).
    EXPECT_FALSE(ThumbnailRunAskedForRepaint(window));
    for (int i = 0; i < 3; ++i) {
        const std::wstring path = dir + L"\\clip" + std::to_wstring(i) + L".mp4";
        EXPECT_FALSE(IsIconCached(false, path.c_str(), 48, true));
        EXPECT_TRUE(IsThumbnailFailureRecent(path.c_str(), 48)) << i;
    }
    // Asked again within the retry time: still no file read that could change anything.
    EXPECT_FALSE(ThumbnailRunAskedForRepaint(window));

    // One real picture among them: its thumbnail is a load and asks for one repaint.
    ASSERT_TRUE(testfx::WriteFileBytes(dir + L"\\pic.bmp", testfx::MakeBmp(16, 16, 0, 200, 0)));
    rows.push_back({&volume, testfx::AddSyntheticRecord(volume, 0x300010, 5, L"pic.bmp")});
    Publish(std::make_shared<std::vector<MatchItem>>(rows));
    EXPECT_TRUE(ThumbnailRunAskedForRepaint(window));
    EXPECT_TRUE(IsIconCached(false, (dir + L"\\pic.bmp").c_str(), 48, true));
    EXPECT_FALSE(ThumbnailRunAskedForRepaint(window)) << "nothing new to load";

    g_hMainWnd = nullptr;
    DestroyWindow(window);
    g_viewMode = 0;
    Publish(std::make_shared<std::vector<MatchItem>>());
    ClearIconCache();
}

}  // namespace
