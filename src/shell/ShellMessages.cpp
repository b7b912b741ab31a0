// What the main window does with the messages of its workers, its timers and the system
// notifications that are not input.
#include <windows.h>
#include <dbt.h>

#include <algorithm>
#include <atomic>
#include <cwchar>

#include "core/Core.h"
#include "i18n/I18n.h"
#include "index/Index.h"
#include "results/FileActions.h"
#include "results/Results.h"
#include "search/Search.h"
#include "shell/Shell.h"
#include "shell/ShellInternal.h"
#include "ui/Ui.h"


namespace {

int g_prewarmPollCount = 0;
std::atomic<uint64_t> g_lastDeviceSyncTick{0};


void SetCurrentOperation(const wchar_t* text) {
    ThreadCrashRecord& record = GetThreadCrashRecord();
    if (text) swprintf(record.extra, 512, L"%ls", text);
    else record.extra[0] = 0;
}

std::wstring CurrentCategoryName() {
    int index = g_currentFilterCategory.load();
    if (index >= 0 && index < static_cast<int>(g_filterCategories.size()))
        return GetFilterDisplayName(index, g_filterCategories[index]);
    return std::wstring();
}

void EnableSearchBox() {
    if (!IsLiveWindow(g_hSearchEdit)) return;
    EnableWindow(g_hSearchEdit, TRUE);
    CenterEditTextVertically(g_hSearchEdit);
    InvalidateRect(g_hSearchEdit, nullptr, TRUE);
    RedrawWindow(g_hSearchEdit, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
    UpdateWindow(g_hSearchEdit);
}

void StartVisibleHydration() {
    NoteUserActivity();
    RequestResultAttrPrewarmAsync();
    RequestVisibleAttrHydrationAsync();
}

void OnSearchResultsReady(HWND hwnd, WPARAM generation, LPARAM kind) {
    EndInlineRename(false);
    const bool filterActive = IsAnyFilterActive();
    const bool restorePending =
        kind == kResultsPartial ? g_restoreScrollPending.load() : g_restoreScrollPending.exchange(false);
    ClearSelection();
    std::shared_ptr<std::vector<MatchItem>> snapshot = GetResultsSnapshot();
    long long count = snapshot ? static_cast<long long>(snapshot->size()) : 0;
    long long shown = count;
    bool keptFiltered = false;
    if (kind == kResultsSorted && filterActive) {
        std::lock_guard<std::mutex> lock(g_filteredResultsMutex);
        if (g_filteredResults) {
            shown = static_cast<long long>(g_filteredResults->size());
            keptFiltered = true;
        }
    }
    if (!keptFiltered) ResetFilteredResultsCache();
    g_visibleResultCount.store(shown);
    // While start-up drives are still being indexed a finished search is not the final word
    // either: it reads as partial until the all-done message re-runs it.
    const bool partialView = kind == kResultsPartial || g_searchEngine.startupRunning.load();

    const std::wstring format = partialView
        ? Tr(L"Title_SearchPartialFmt", L"Tarnwick - 已找到 %lld+ 个结果...", L"Tarnwick - %lld+ results found...")
        : Tr(L"Title_SearchFinalFmt", L"Tarnwick - 找到 %lld 个结果", L"Tarnwick - %lld results found");
    std::wstring title = FormatTableText(format.c_str(), shown);
    if (title.size() > 127) title.resize(127);
    SetWindowTextW(hwnd, title.c_str());

    const std::wstring category = CurrentCategoryName();
    std::wstring status;
    if (snapshot && !snapshot->empty()) {
        if (partialView) {
            status = Tr(L"Status_SearchingShowingPrefix", L"搜索中... 已显示 ", L"Searching... showing ") +
                     std::to_wstring(count) + Tr(L"Status_SearchingShowingSuffix", L" 个结果", L" results");
        } else if (g_currentFilterCategory.load() != 0) {
            status = Tr(L"Status_FilterApplyingPrefix", L"筛选: ", L"Filter: ") + category +
                     Tr(L"Status_FilterApplyingSuffix", L" | 正在应用筛选...", L" | Applying filter...");
        } else {
            status = Tr(L"Status_FilterHitsPrefix", L"筛选: ", L"Filter: ") + category +
                     Tr(L"Status_FilterHitsMid", L" | 命中: ", L" | Hits: ") + std::to_wstring(count);
        }
    }
    SetStatusText(status);

    if (kind == kResultsFinal) ScheduleFilterButtonsRefresh(60);
    if (kind != kResultsPartial || filterActive) RefreshFilteredResultsAsync();
    if (kind == kResultsFinal) {
        g_scrollY = 0;
        UpdateScrollBar();
        // After a deletion the list stays where it was (clamped to the new row count).
        if (restorePending) SetVerticalScroll(std::max<int64_t>(0, g_restoreScrollY.load()));
        InvalidateResultsArea();
        StartVisibleHydration();
    } else if (kind == kResultsSorted) {
        UpdateScrollBar();
        InvalidateResultsArea();
        StartVisibleHydration();
    } else {
        UpdateScrollBar();
        ScheduleResultsRepaint(100);
    }
    (void)generation;
}

void OnFilteredResultsReady(WPARAM generation) {
    ThreadCrashRecord& record = GetThreadCrashRecord();
    NoteUserActivity();
    swprintf(record.extra, 512, L"WM_USER+4 begin ticket=%llu", static_cast<unsigned long long>(generation));
    ClearSelection();
    long long n = static_cast<long long>(g_visibleResultCount.load());
    swprintf(record.extra, 512, L"WM_USER+4 before UpdateScrollBar filtered=%lld", n);
    UpdateScrollBar();
    ScheduleFilterButtonsRefresh(n <= 20000 ? 250 : 600);
    ScheduleResultsRepaint(60);
    if (!IsScrollInteractionActive()) RequestVisibleAttrHydrationAsync();
    swprintf(record.extra, 512, L"WM_USER+4 done filtered=%lld", n);
}

void OnIndexReady(HWND hwnd, WPARAM wParam) {
    if (wParam == 1) {
        SetStatusText(Tr(L"Status_InitIncompleteRetry", L"初始化未完成，正在后台重试加载磁盘索引...",
                         L"Initialization incomplete. Retrying disk index loading in background..."));
        g_searchEngine.SyncCurrentVolumesAsync(hwnd);
        SetTimer(hwnd, TIMER_STARTUP_RETRY, 5000, nullptr);
        return;
    }
    FillSearchScopeCombo();
    SetWindowTextW(hwnd, Tr(L"App_TitleMainLower", L"Tarnwick", L"Tarnwick").c_str());
    EnableSearchBox();
    FocusSearchBox();
    if (g_startedHidden && !g_mainWindowShown && !IsWindowVisible(hwnd)) {
        g_firstSearchPending.store(true);
        SetStatusText(Tr(L"Status_BackgroundStartupCompleted", L"后台启动完成。打开窗口后将显示结果并预热缓存。",
                         L"Background startup completed. Results and cache warmup will run when window is opened."));
    } else {
        g_firstSearchPending.store(false);
        ScheduleAttrPrewarm(hwnd, 7000);
        DoSearchAsync(L"", false, true);
    }
    if (g_startedHidden) SetTimer(hwnd, TIMER_IDLE_TRIM, 12000, nullptr);
}

void OnVolumesSynced(HWND hwnd, WPARAM who) {
    if (IsLiveWindow(g_hSearchEdit) && !IsWindowEnabled(g_hSearchEdit)) EnableSearchBox();
    FillSearchScopeCombo();
    ScheduleAttrPrewarm(hwnd, 5000);
    std::wstring text = ReadSearchBoxText();
    TrimWhitespace(text);
    if (text.empty()) DoSearchAsync(L"", false, true);
    else RefreshSearchResultsAfterIndexUpdate();
    // The end of the start-up is no news for the user; a sync is.
    if (who == kVolumesSyncedBySync)
        SetStatusText(Tr(L"Status_NewDiskDetected", L"检测到新磁盘，驱动器列表已更新。",
                         L"A new disk was detected and the drive list was updated."));
}

// A drive whose change journal was lost is indexed again in the background (Startup.cpp).
void OnVolumeReindex(WPARAM letter, LPARAM state) {
    const std::wstring drive = letter < 26 ? std::wstring{static_cast<wchar_t>(L'A' + letter), L':'} : std::wstring();
    std::wstring format;
    if (state == kReindexStarted) {
        format = Tr(L"Status_JournalLostReindexFmt", L"驱动器 %s 的变更日志已丢失，正在后台重新建立该驱动器的索引...",
                    L"The change journal of drive %s was lost; indexing the drive again in the background...");
    } else if (state == kReindexDone) {
        RefreshSearchResultsAfterIndexUpdate();
        format = Tr(L"Status_DriveReindexedFmt", L"驱动器 %s 已重新建立索引，其变更将再次被跟踪。",
                    L"Drive %s was indexed again; its changes are followed again.");
    } else {
        FillSearchScopeCombo();
        RerunCurrentSearch();
        format = Tr(L"Status_DriveReindexFailedFmt", L"驱动器 %s 无法重新建立索引，在刷新索引之前不会出现在搜索结果中。",
                    L"Drive %s could not be indexed again and is left out of searches until the indexes are refreshed.");
    }
    SetStatusText(FormatTableText(format.c_str(), drive.c_str()));
}

void OnNonNtfsRefreshed(WPARAM refreshed, LPARAM failed) {
    FillSearchScopeCombo();
    g_searchEngine.PrewarmAttrCacheAsync();
    if (static_cast<long long>(refreshed) < 1) {
        SetStatusText(Tr(L"Status_RefreshNonNtfsFailed", L"刷新非 NTFS 卷索引失败，请查看调试输出",
                         L"Failed to refresh non-NTFS volume indexes, see debug output"));
        return;
    }
    RefreshSearchResultsAfterIndexUpdate();
    std::wstring text = Tr(L"Status_RefreshNonNtfsPrefix", L"已刷新 ", L"Refreshed ") + std::to_wstring(refreshed);
    if (failed != 0) {
        text += Tr(L"Status_RefreshNonNtfsFailedMid", L" 个非 NTFS 卷，", L" non-NTFS volumes, ") +
                std::to_wstring(failed) +
                Tr(L"Status_RefreshNonNtfsFailedSuffix", L" 个失败，请查看调试输出", L" failed, see debug output");
    } else {
        text += Tr(L"Status_RefreshNonNtfsSingleSuffix", L" 个非 NTFS 卷索引，请查看调试输出",
                   L" non-NTFS volume indexes, see debug output");
    }
    SetStatusText(text);
}

void OnStartupRetryTimer(HWND hwnd) {
    KillTimer(hwnd, TIMER_STARTUP_RETRY);
    EnsureTrayIcon(hwnd);
    if (!g_searchEngine.indexReady.load()) {
        g_searchEngine.SyncCurrentVolumesAsync(hwnd);
        if (!g_startedHidden) return;
        if (!g_mainWindowShown && !IsWindowVisible(hwnd)) SetTimer(hwnd, TIMER_STARTUP_RETRY, 5000, nullptr);
    }
    if (g_startedHidden && !g_mainWindowShown && IsWindowVisible(hwnd)) ShowWindow(hwnd, SW_HIDE);
}

// The search generation when the filter buttons' refresh was last asked for.
std::atomic<uint64_t> g_filterButtonsRefreshSearch{0};

void OnFilterButtonsRefreshTimer(HWND hwnd) {
    KillTimer(hwnd, TIMER_FILTER_BUTTONS_REFRESH);
    SetCurrentOperation(L"TIMER_FILTER_BUTTONS_REFRESH");
    if (!g_filterButtonsRefreshPending.exchange(false)) {
        SetCurrentOperation(nullptr);
        return;
    }
    UpdateFilterButtonCounts();
    if (g_searchEngine.startupRunning.load()) {
        // The title keeps saying that the results are partial (OnSearchResultsReady).
        SetCurrentOperation(nullptr);
        return;
    }
    // A search started or cancelled since the refresh was asked for owns the title now (its
    // progress, or the notice that it was cancelled): only the counts are brought up to date.
    if (g_filterButtonsRefreshSearch.load() != g_searchGeneration.load()) {
        SetCurrentOperation(nullptr);
        return;
    }
    long long n = static_cast<long long>(g_visibleResultCount.load());
    std::wstring title = Tr(L"App_FilterTitlePrefix", L"Tarnwick - 筛选: ", L"Tarnwick - Filter: ") +
                         CurrentCategoryName() + Tr(L"App_FilterTitleHitsSeparator", L" | 命中: ", L" | Hits: ") +
                         std::to_wstring(n);
    SetWindowTextW(hwnd, title.c_str());
    SetCurrentOperation(nullptr);
}

}  // namespace

void ScheduleAttrPrewarm(HWND window, UINT delayMs) {
    if (!IsLiveWindow(window)) return;
    KillTimer(window, TIMER_ATTR_PREWARM_START);
    KillTimer(window, TIMER_ATTR_PREWARM_POLL);
    SetTimer(window, TIMER_ATTR_PREWARM_START, delayMs, nullptr);
}

void ScheduleFilterButtonsRefresh(UINT delayMs) {
    if (!IsLiveWindow(g_hMainWnd)) return;
    g_filterButtonsRefreshSearch.store(g_searchGeneration.load());
    g_filterButtonsRefreshPending.store(true);
    SetTimer(g_hMainWnd, TIMER_FILTER_BUTTONS_REFRESH, delayMs, nullptr);
}

bool HandleWorkerMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (msg) {
    case WM_INDEX_READY:
        OnIndexReady(hwnd, wParam);
        return true;
    case WM_SEARCH_RESULTS_READY:
        if (static_cast<uint64_t>(wParam) != g_searchGeneration.load()) return false;
        OnSearchResultsReady(hwnd, wParam, lParam);
        return true;
    case WM_SEARCH_STATUS_TEXT: {
        std::wstring* text = reinterpret_cast<std::wstring*>(lParam);
        if (text && static_cast<uint64_t>(wParam) == g_searchGeneration.load()) SetWindowTextW(hwnd, text->c_str());
        delete text;
        return true;
    }
    case WM_FILTERED_RESULTS_READY:
        if (static_cast<uint64_t>(wParam) != g_filterGeneration.load()) return false;
        OnFilteredResultsReady(wParam);
        return true;
    case WM_RECENT_OPENS_LOADED:
        RefreshRecentViewIfNeeded();
        return true;
    case WM_SETTINGS_NOT_SAVED: {
        // Told once per run: settings changed from now on may be lost at exit.
        std::wstring path;
        if (TakeSettingsNotSavedNotice(&path)) {
            const std::wstring text = SettingsNotSavedText(path, true);
            MessageBoxW(hwnd, text.c_str(), Tr(L"MsgTitle_Error", L"错误", L"Error").c_str(), MB_ICONWARNING | MB_OK);
        }
        return true;
    }
    case WM_HYDRATION_UPDATED:
        if (static_cast<uint64_t>(wParam) == g_hydrationGeneration.load()) {
            ScheduleResultsRepaint(100);
            // Under a size or date filter the tag counts count rows with attributes: recount.
            if (g_sizeFilterMode != 0 || g_dateFilterMode != 0) ScheduleFilterButtonsRefresh(250);
        }
        return true;
    case WM_NONNTFS_REFRESHED:
        OnNonNtfsRefreshed(wParam, lParam);
        return true;
    case WM_VOLUME_LOST:
        if (g_searchEngine.RemoveUnavailableVolumes()) {
            FillSearchScopeCombo();
            RerunCurrentSearch();
            SetStatusText(Tr(L"Status_NtfsIndexRemoved", L"检测到磁盘断开，已移除其 NTFS 索引。",
                             L"A disconnected disk was detected and its NTFS index was removed."));
        }
        return true;
    case WM_VOLUMES_SYNCED:
        OnVolumesSynced(hwnd, wParam);
        return true;
    case WM_VOLUME_REINDEX:
        OnVolumeReindex(wParam, lParam);
        return true;
    case WM_RESORT_RESULTS:
        if (wParam >= 1 && wParam <= 6) {
            g_sortAscending.store(lParam != 0);
            DoSortAsync(static_cast<int>(wParam), true);
        }
        return true;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) {
            LogGdi(L"WM_POWERBROADCAST resume");
            ResizeBackBuffer(hwnd, g_clientWidth, g_clientHeight);
            EnsureTrayIcon(hwnd);
            InvalidateRect(hwnd, nullptr, TRUE);
            UpdateWindow(hwnd);
            result = TRUE;
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool HandleTimer(HWND hwnd, UINT_PTR id) {
    switch (id) {
    case TIMER_SEARCH_DEBOUNCE: {
        KillTimer(hwnd, id);
        std::wstring query = g_currentQuery;
        DoSearchAsync(query, false, false);
        return true;
    }
    case TIMER_SCROLL_SETTLE:
        if (IsScrollInteractionActive()) {
            SetTimer(hwnd, id, 80, nullptr);
        } else {
            // A thumbnail run that is still busy drops this request; the timer then comes back
            // for the cells on screen now, since the icon view restarts it only for a new set.
            const bool thumbnailsBusy = g_thumbHydrationBusy.load();
            KillTimer(hwnd, id);
            RequestVisibleAttrHydrationAsync();
            RequestVisibleThumbnailHydrationAsync();
            RequestVisibleOwnIconHydrationAsync();
            ScheduleResultsRepaint(80);
            if (thumbnailsBusy && g_viewMode == static_cast<int>(ResultViewMode::LargeIcons))
                SetTimer(hwnd, id, 250, nullptr);
        }
        return true;
    case TIMER_STARTUP_RETRY:
        OnStartupRetryTimer(hwnd);
        return true;
    case TIMER_ATTR_PREWARM_START:
        KillTimer(hwnd, id);
        g_attrPrewarmActive.store(true);
        g_searchEngine.PrewarmAttrCacheAsync();
        g_prewarmPollCount = 0;
        SetTimer(hwnd, TIMER_ATTR_PREWARM_POLL, 500, nullptr);
        return true;
    case TIMER_ATTR_PREWARM_POLL:
        if (!g_searchEngine.prewarmBusy.load() || ++g_prewarmPollCount >= 60) {
            KillTimer(hwnd, id);
            g_attrPrewarmActive.store(false);
            g_prewarmPollCount = 0;
        }
        return true;
    case TIMER_FILTER_BUTTONS_REFRESH:
        OnFilterButtonsRefreshTimer(hwnd);
        return true;
    case TIMER_CACHE_AUTOSAVE: {
        // Saves the attribute cache when it changed since the last save, one save at a time.
        static std::atomic<bool> autosaveBusy{false};
        if (!g_shuttingDown.load() && g_attrCacheChangeCount.load() > g_attrCacheSavedCount.load() &&
            !autosaveBusy.exchange(true)) {
            try {
                RunBackgroundTask(L"cache_autosave", [] {
                    struct Done {
                        ~Done() { autosaveBusy.store(false); }
                    } done;
                    if (!g_shuttingDown.load()) AutosaveAttrCache(g_searchEngine);
                });
            } catch (...) {
                autosaveBusy.store(false);  // no thread could be started: try again next time
            }
        }
        return true;
    }
    case TIMER_IDLE_TRIM:
        KillTimer(hwnd, id);
        MaybeTrimOnIdle();
        return true;
    case TIMER_LIST_REPAINT:
        SetCurrentOperation(L"TIMER_LIST_REPAINT");
        OnListRepaintTimer(hwnd);
        SetCurrentOperation(nullptr);
        return true;
    default:
        return false;
    }
}

LRESULT OnDeviceChange(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    if (g_shuttingDown.load()) return TRUE;
    const DEV_BROADCAST_HDR* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
    if (!header || header->dbch_devicetype != DBT_DEVTYP_VOLUME) return TRUE;
    const uint32_t mask = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(lParam)->dbcv_unitmask;
    if (wParam == DBT_DEVICEQUERYREMOVE || wParam == DBT_DEVICEREMOVEPENDING) {
        if (IsAnyIndexedVolumeInDriveMask(mask) && g_searchEngine.CloseVolumeHandles(mask)) {
            try {
                RunBackgroundTask(L"device_change_refresh_ui",
                                  [hwnd] { PostMessageIfWindow(hwnd, WM_VOLUME_LOST, 0, 0); });
            } catch (...) {
            }
            SetStatusText(Tr(L"Status_DriveEjectDetected", L"检测到磁盘弹出，已主动释放句柄。",
                             L"Drive eject detected. Handles released proactively."));
        }
    } else if (wParam == DBT_DEVICEARRIVAL) {
        try {
            RunBackgroundTask(L"device_change_sync_volume", [hwnd, mask] {
                for (int i = 0; i < 26; ++i) {
                    if (!(mask & (1u << i))) continue;
                    wchar_t root[4] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', 0};
                    if (GetDriveTypeW(root) < DRIVE_REMOVABLE) continue;
                    if (!GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0)) continue;
                    uint64_t now = GetTickCount64();
                    uint64_t last = g_lastDeviceSyncTick.load();
                    if (now - last < 501) return;
                    if (!g_lastDeviceSyncTick.compare_exchange_strong(last, now)) return;
                    g_searchEngine.SyncCurrentVolumesAsync(hwnd);
                    return;
                }
            });
        } catch (...) {
        }
    } else if (wParam == DBT_DEVICEREMOVECOMPLETE) {
        if (IsAnyIndexedVolumeInDriveMask(mask) && g_searchEngine.CloseVolumeHandles(mask)) {
            FillSearchScopeCombo();
            RerunCurrentSearch();
            SetStatusText(Tr(L"Status_DriveRemoved", L"磁盘已移除，驱动器选择已自动更新。",
                             L"A disk was removed. The drive selection was updated automatically."));
        }
    }
    return TRUE;
}
