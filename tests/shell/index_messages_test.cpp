// What the main window shows of the index's messages: results found while start-up drives are
// still being indexed, the end of the start-up, a sync, and a drive indexed again after its
// change journal was lost.
#include <gtest/gtest.h>

#include "analysis/AnalysisMode.h"
#include "core/Core.h"
#include "duplicates/DupMode.h"
#include "i18n/I18n.h"
#include "index/Index.h"
#include "search/Search.h"
#include "shell/Shell.h"
#include "shell/ShellInternal.h"
#include "ui/Controls.h"
#include "ui/WindowUnit.h"

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

// A sync refills the scope combo, and with it the drive combos of the analysis and duplicate
// modes: the drive lists of the three views follow the same event.
TEST_F(IndexMessages, ASyncRefillsTheDriveCombosOfEveryMode) {
    g_hScopeCombo = CreateThemedCombo(window, IDC_SCOPE_COMBO, true, 0, 0, 120, 300);
    ASSERT_TRUE(g_hScopeCombo);
    ClearWindowUnits();
    RegisterWindowUnit(AnalysisWindowUnit());
    RegisterWindowUnit(DuplicatesWindowUnit());
    AnalysisWindowUnit().OnCreate(window);
    DuplicatesWindowUnit().OnCreate(window);
    HWND analysis = GetAnalysisControls().driveCombo;
    HWND duplicates = GetDupControls().driveCombo;
    ASSERT_TRUE(analysis && duplicates);
    for (HWND combo : {g_hScopeCombo, analysis, duplicates}) SendMessageW(combo, CB_RESETCONTENT, 0, 0);

    Deliver(WM_VOLUMES_SYNCED, kVolumesSyncedBySync, 0);
    EXPECT_GE(SendMessageW(g_hScopeCombo, CB_GETCOUNT, 0, 0), 2);  // ALL and Desktop at least
    wchar_t first[64] = {};
    SendMessageW(analysis, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_STREQ(first, L"All Drives (ALL)");
    int drives = 0;
    for (DWORD mask = GetLogicalDrives(); mask; mask &= mask - 1) ++drives;
    EXPECT_EQ(SendMessageW(duplicates, CB_GETCOUNT, 0, 0), drives + 1);

    AnalysisWindowUnit().OnDestroy(window);
    ClearWindowUnits();
    g_hScopeCombo = nullptr;
}

}  // namespace
