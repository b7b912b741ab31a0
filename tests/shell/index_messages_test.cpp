// What the main window shows of the index's messages: results found while start-up drives are
// still being indexed, the end of the start-up, a sync, and a drive indexed again after its
// change journal was lost.
#include <gtest/gtest.h>

#include "core/Core.h"
#include "i18n/I18n.h"
#include "index/Index.h"
#include "search/Search.h"
#include "shell/Shell.h"
#include "shell/ShellInternal.h"

namespace {

std::wstring TextOf(HWND h) {
    wchar_t buffer[512] = {};
    GetWindowTextW(h, buffer, 512);
    return buffer;
}

std::wstring Title(bool partial) {
    const std::wstring format =
        partial ? Tr(L"Title_SearchPartialFmt", L"Tarnwick - 已找到 %lld+ 个结果...", L"Tarnwick - %lld+ results found...")
                : Tr(L"Title_SearchFinalFmt", L"Tarnwick - 找到 %lld 个结果", L"Tarnwick - %lld results found");
    return FormatTableText(format.c_str(), static_cast<long long>(g_visibleResultCount.load()));
}

// A top-level window and a status line standing in for the main window's.
struct IndexMessages : ::testing::Test {
    HWND window = nullptr;
    HWND status = nullptr;
    void SetUp() override {
        window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
        status = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 300, 20, window, nullptr, nullptr, nullptr);
        ASSERT_TRUE(window && status);
        g_hStatusText = status;
    }
    void TearDown() override {
        g_searchEngine.startupRunning = false;
        g_hStatusText = nullptr;
        DestroyWindow(window);
    }
    void Deliver(UINT msg, WPARAM wParam, LPARAM lParam) {
        LRESULT result = 0;
        EXPECT_TRUE(HandleWorkerMessage(window, msg, wParam, lParam, result));
    }
};

TEST_F(IndexMessages, ResultsReadAsPartialUntilEveryStartupDriveIsDone) {
    // The first drive is ready, others are still being indexed: a finished search is not final.
    g_searchEngine.startupRunning = true;
    Deliver(WM_SEARCH_RESULTS_READY, g_searchGeneration.load(), kResultsFinal);
    EXPECT_EQ(TextOf(window), Title(true));
    // The filter-tag recount that follows a final set keeps that title.
    g_filterButtonsRefreshPending = true;
    EXPECT_TRUE(HandleTimer(window, TIMER_FILTER_BUTTONS_REFRESH));
    EXPECT_EQ(TextOf(window), Title(true));

    // Every start-up drive is done: results are final again.
    g_searchEngine.startupRunning = false;
    Deliver(WM_SEARCH_RESULTS_READY, g_searchGeneration.load(), kResultsFinal);
    EXPECT_EQ(TextOf(window), Title(false));

    // The start-up's all-done message re-runs the query and is no news of a new disk; a sync's is.
    SetWindowTextW(status, L"");
    const uint64_t before = g_searchGeneration.load();
    Deliver(WM_VOLUMES_SYNCED, kVolumesSyncedStartupDone, 0);
    EXPECT_GT(g_searchGeneration.load(), before);
    EXPECT_EQ(TextOf(status), L"");
    Deliver(WM_VOLUMES_SYNCED, kVolumesSyncedBySync, 0);
    EXPECT_EQ(TextOf(status), Tr(L"Status_NewDiskDetected", L"检测到新磁盘，驱动器列表已更新。",
                                 L"A new disk was detected and the drive list was updated."));
}

TEST_F(IndexMessages, DriveIndexedAgainAfterALostJournalIsReported) {
    struct Case {
        LPARAM state;
        const wchar_t* key;
        const wchar_t* english;
        bool reruns;
    };
    const Case cases[] = {
        {kReindexStarted, L"Status_JournalLostReindexFmt",
         L"The change journal of drive %s was lost; indexing the drive again in the background...", false},
        {kReindexDone, L"Status_DriveReindexedFmt", L"Drive %s was indexed again; its changes are followed again.", true},
        {kReindexFailed, L"Status_DriveReindexFailedFmt",
         L"Drive %s could not be indexed again and is left out of searches until the indexes are refreshed.", true},
    };
    for (const Case& c : cases) {
        const uint64_t before = g_searchGeneration.load();
        Deliver(WM_VOLUME_REINDEX, L'E' - L'A', c.state);
        const std::wstring format = Tr(c.key, c.english, c.english);
        EXPECT_EQ(TextOf(status), FormatTableText(format.c_str(), L"E:")) << c.key;
        EXPECT_NE(TextOf(status).find(L"E:"), std::wstring::npos) << c.key;
        // Results are shown again from the rebuilt (or left-out) drive.
        EXPECT_EQ(g_searchGeneration.load() > before, c.reruns) << c.key;
    }
}

}  // namespace
