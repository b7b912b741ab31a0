// Sorting of the published result set by any column on a background task, with attribute
// hydration of uncached rows on worker threads and a two-phase publication.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <system_error>
#include <thread>
#include <unordered_set>

#include "core/Core.h"
#include "i18n/I18n.h"
#include "index/Index.h"
#include "search/FiltersInternal.h"
#include "search/Search.h"
#include "search/SortKeys.h"
#include "core/Window.h"

std::atomic<uint64_t> g_lastSortCacheSaveTick{0};
std::atomic<int> g_sortThreadStartFailures{0};

namespace {

// Rows read under one shared index lock at most.
constexpr size_t kLockRun = 4096;

struct SortHydrationContext {
    std::vector<MatchItem> misses;
    uint64_t missCount = 0;
    uint64_t slice = 0;
    int column = 0;
    SortRequest request;
    std::atomic<uint64_t> processed{0};
    std::atomic<uint64_t> lastProgressTick{0};
    bool showProgress = false;
};

bool IsCurrent(const SortRequest& r) { return IsSortRequestCurrent(r); }

// Publishes a sorted set (generation tested under the results mutex) and posts it as sorted.
bool PublishSorted(const std::shared_ptr<std::vector<MatchItem>>& set, const SortRequest& r) {
    return PublishResultSet(set, r.generation, kResultsSorted);
}

int64_t MsSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t).count();
}

std::vector<VolumeIndex*> DistinctVolumes(const std::vector<MatchItem>& rows) {
    std::vector<VolumeIndex*> out;
    std::unordered_set<VolumeIndex*> seen;
    for (const auto& r : rows)
        if (r.volume && seen.insert(r.volume).second) out.push_back(r.volume);
    return out;
}

void SortHydrateWorker(SortHydrationContext* ctx, unsigned threadIndex) {
    const uint64_t begin = static_cast<uint64_t>(threadIndex) * ctx->slice;
    const uint64_t end = std::min(begin + ctx->slice, ctx->missCount);
    const bool needTimes = ctx->column == 3 || ctx->column == 4;
    for (uint64_t i = begin; i < end; ++i) {
        if (!IsCurrent(ctx->request)) return;
        const MatchItem& item = ctx->misses[static_cast<size_t>(i)];
        FileAttrInfo scratch{};
        HydrateRecordAttributes(item.volume, item.recordIndex, &scratch, needTimes);
        const uint64_t done = ++ctx->processed;
        const uint64_t now = GetTickCount64();
        uint64_t last = ctx->lastProgressTick.load();
        if (ctx->showProgress && static_cast<int64_t>(now - last) > 150 && done % 800 == 0 &&
            ctx->lastProgressTick.compare_exchange_strong(last, now)) {
            const std::wstring fmt = Tr(L"Status_HydrateProgressFmt", L"多线程极速提取属性中... (已处理 %zu / %zu)",
                                        L"Extracting properties... (Processed %zu / %zu)");
            // Table texts follow the Microsoft convention; at most 255 characters are shown.
            std::wstring formatted =
                FormatTableText(fmt.c_str(), static_cast<size_t>(done), static_cast<size_t>(ctx->missCount));
            if (formatted.size() > 255) formatted.resize(255);
            auto* text = new std::wstring(std::move(formatted));
            if (!PostMessageIfWindow(g_hMainWnd, WM_SEARCH_STATUS_TEXT, static_cast<WPARAM>(ctx->request.generation),
                                     reinterpret_cast<LPARAM>(text)))
                delete text;
        }
    }
}

// Runs the hydration threads over the miss list and joins every one that started, also when
// starting a later one fails (its slice is then hydrated on this thread).
void RunHydrationThreads(SortHydrationContext& ctx, unsigned threadCount) {
    std::vector<std::thread> threads;
    threads.reserve(threadCount);
    for (unsigned i = 0; i < threadCount; ++i) {
        try {
            if (g_sortThreadStartFailures.load() > 0 && g_sortThreadStartFailures.fetch_sub(1) > 0)
                throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
            threads.emplace_back(SortHydrateWorker, &ctx, i);
        } catch (...) {
            SortHydrateWorker(&ctx, i);
        }
    }
    for (auto& t : threads)
        if (t.joinable()) t.join();
}

bool IsMiss(int column, VolumeIndex* v, uint64_t frn, bool isDirectory) {
    bool valid = false;
    uint64_t lastWrite = 0, creation = 0;
    bool found = false;
    AcquireSRWLockShared(&v->attrCacheLock);
    auto it = v->attrCache.find(frn);
    if (it != v->attrCache.end()) {
        found = true;
        valid = it->second.valid;
        lastWrite = AttrTimeU64(it->second.lastWrite);
        creation = AttrTimeU64(it->second.creation);
    }
    ReleaseSRWLockShared(&v->attrCacheLock);
    if (column == 2) {
        if (isDirectory) return false;
        if (found && valid) return false;
        SizePair sp{};
        return !v->LookupFileSize(frn, &sp);
    }
    if (!found || !valid) return true;
    return (column == 3 ? lastWrite : creation) == 0;
}

void SaveAttrCacheTask() {
    struct BusyGuard {
        ~BusyGuard() { g_attrCacheSaveBusy.store(false); }
    } guard;
    if (!SaveAttrCache(g_searchEngine)) LogFailure(L"attribute cache autosave", GetLastError());
}

}  // namespace

static void EraseStaleRows(std::vector<MatchItem>& rows) {
    MatchItem* end = RemoveStaleResultRefs(rows.data(), rows.data() + rows.size());
    rows.resize(static_cast<size_t>(end - rows.data()));
}

MatchItem* RemoveStaleResultRefs(MatchItem* first, MatchItem* last) {
    // Tested in runs of rows of one volume under one shared lock (at most kLockRun rows).
    MatchItem* out = first;
    MatchItem* p = first;
    while (p != last) {
        VolumeIndex* v = p->volume;
        if (!v) {
            ++p;
            continue;
        }
        MatchItem* runEnd = p;
        AcquireSRWLockShared(&v->indexLock);
        const size_t count = v->records.size();
        while (runEnd != last && runEnd->volume == v && static_cast<size_t>(runEnd - p) < kLockRun) {
            if (runEnd->recordIndex < count && v->records[runEnd->recordIndex].deleted == 0) *out++ = *runEnd;
            ++runEnd;
        }
        ReleaseSRWLockShared(&v->indexLock);
        p = runEnd;
    }
    return out;
}

void MakeSortKeys(VolumeIndex* v, const MatchItem* rows, size_t count, int column, SortKey* out) {
    std::vector<uint64_t> frns(count, 0);
    bool anyFolder = false, anyFile = false;
    AcquireSRWLockShared(&v->indexLock);
    const size_t records = v->records.size();
    for (size_t i = 0; i < count; ++i) {
        SortKey& k = out[i];
        k = SortKey{};
        k.item = rows[i];
        // A row past the end of the records counts as a file with reference 0.
        if (rows[i].recordIndex < records) {
            const FileRecord& rec = v->records[rows[i].recordIndex];
            frns[i] = rec.frn;
            k.isFolder = rec.isDirectory ? 1 : 0;
        }
        anyFolder = anyFolder || k.isFolder;
        anyFile = anyFile || !k.isFolder;
    }
    ReleaseSRWLockShared(&v->indexLock);
    if (anyFolder) {
        // Folders: the folder total (both times stay zero).
        if (v->folderSizesDirty.load()) v->RebuildFolderSizes();
        AcquireSRWLockShared(&v->folderSizesLock);
        for (size_t i = 0; i < count; ++i) {
            if (!out[i].isFolder) continue;
            auto it = v->folderSizes.find(frns[i]);
            if (it != v->folderSizes.end()) {
                out[i].hasValue = 1;
                out[i].size = static_cast<int64_t>(it->second);
            }
        }
        ReleaseSRWLockShared(&v->folderSizesLock);
    }
    if (!anyFile) return;
    std::vector<FileAttrInfo> infos(count);
    std::vector<uint8_t> found(count, 0);
    AcquireSRWLockShared(&v->attrCacheLock);
    for (size_t i = 0; i < count; ++i) {
        if (out[i].isFolder) continue;
        auto it = v->attrCache.find(frns[i]);
        if (it != v->attrCache.end()) {
            infos[i] = it->second;
            found[i] = 1;
        }
    }
    ReleaseSRWLockShared(&v->attrCacheLock);
    for (size_t i = 0; i < count; ++i) {
        SortKey& k = out[i];
        if (k.isFolder) continue;
        const FileAttrInfo& info = infos[i];
        const bool valid = found[i] && info.valid;
        if (column == 2) {
            if (valid) {
                k.size = static_cast<int64_t>(info.size);
                if (k.size == 0) {
                    SizePair sp{};
                    if (v->LookupFileSize(frns[i], &sp) && sp.size > 0) k.size = sp.size;
                }
                k.hasValue = 1;
                k.lastWrite = U64ToFileTime(AttrTimeU64(info.lastWrite));
                k.creation = U64ToFileTime(AttrTimeU64(info.creation));
            } else {
                SizePair sp{};
                if (v->LookupFileSize(frns[i], &sp)) {
                    k.size = sp.size;
                    k.hasValue = 1;
                    if (found[i]) {
                        k.lastWrite = U64ToFileTime(AttrTimeU64(info.lastWrite));
                        k.creation = U64ToFileTime(AttrTimeU64(info.creation));
                    }
                }
            }
        } else if (valid) {
            k.size = static_cast<int64_t>(info.size);
            k.lastWrite = U64ToFileTime(AttrTimeU64(info.lastWrite));
            k.creation = U64ToFileTime(AttrTimeU64(info.creation));
            const uint64_t t = column == 3 ? AttrTimeU64(info.lastWrite) : AttrTimeU64(info.creation);
            k.hasValue = t != 0 ? 1 : 0;
        }
    }
}

namespace {

// BuildSortKeys into a new vector (rows is left as it is).
void BuildSortKeysInto(const std::vector<MatchItem>& rows, int column, bool ascending, std::vector<MatchItem>& sorted) {
    // Folder totals that are out of date are rebuilt before any key is made (as the first folder
    // row of a volume would), so that the workers that make the keys all read the same totals.
    for (VolumeIndex* v : DistinctVolumes(rows)) {
        if (!v->folderSizesDirty.load()) continue;
        bool anyFolder = false;
        AcquireSRWLockShared(&v->indexLock);
        for (const MatchItem& r : rows)
            if (r.volume == v && r.recordIndex < v->records.size() && v->records[r.recordIndex].isDirectory) {
                anyFolder = true;
                break;
            }
        ReleaseSRWLockShared(&v->indexLock);
        if (anyFolder) v->RebuildFolderSizes();
    }
    SortRowsByKeys(rows, column, ascending, sorted);
}

}  // namespace

void BuildSortKeys(std::vector<MatchItem>& rows, int column, bool ascending) {
    std::vector<MatchItem> sorted;
    BuildSortKeysInto(rows, column, ascending, sorted);
    rows = std::move(sorted);
}

namespace {

void AppendSortPerfLine(int column, const wchar_t* kind, int64_t totalMs, int64_t hydrateMs, uint64_t misses,
                        uint64_t hits, size_t rows) {
    AppendPerfMetric(L"sort col=" + std::to_wstring(column) + L" type=" + kind + L" total_ms=" +
                     std::to_wstring(totalMs) + L" hydrate_ms=" + std::to_wstring(hydrateMs) + L" misses=" +
                     std::to_wstring(misses) + L" hits=" + std::to_wstring(hits) + L" rows=" + std::to_wstring(rows));
}

// Name, Type and Path: the rows in text order (SortRowsByText), published with their timing line.
void RunTextSort(const SortRequest& req, const std::vector<MatchItem>& rows, std::chrono::steady_clock::time_point t0,
                 uint64_t misses0, uint64_t hits0) {
    const int column = req.column;
    auto out = std::make_shared<std::vector<MatchItem>>();
    if (!SortRowsByText(req, rows, *out)) return;
    if (!IsCurrent(req) || !PublishSorted(out, req)) return;
    if (out->empty()) return;  // nothing was left: no timing line
    const uint64_t missesNow = g_attrCacheMisses.load();
    const uint64_t hitsNow = g_attrCacheHits.load();
    const uint64_t misses = missesNow > misses0 ? missesNow - misses0 : 0;
    const uint64_t hits = hitsNow > hits0 ? hitsNow - hits0 : 0;
    AppendSortPerfLine(column, misses == 0 ? L"warm" : L"cold", MsSince(t0), 0, misses, hits, out->size());
}

}  // namespace

void DoSortAsync(int column, bool keepDirection) {
    if (g_attrPrewarmActive.load()) {
        if (g_hStatusText)
            SetWindowTextW(g_hStatusText, Tr(L"Status_PrewarmSortingDisabled", L"正在预热缓存，暂不允许排序，请稍候...",
                                             L"Cache prewarming in progress. Sorting is temporarily disabled.")
                                              .c_str());
        return;
    }
    if (column == 0) return;
    if (column < 1 || column > 6) return;
    SortRequest req;
    req.column = column;
    if (keepDirection) {
        g_sortColumn = column;
        req.ascending = g_sortAscending;
        req.reverseOnly = false;
    } else if (column != g_sortColumn) {
        g_sortColumn = column;
        req.ascending = column != 2;
        req.reverseOnly = false;
        g_sortAscending = req.ascending;
    } else {
        req.ascending = !g_sortAscending;
        req.reverseOnly = column != 2;
        g_sortAscending = req.ascending;
    }
    req.generation = ++g_searchGeneration;
    try {
        RunBackgroundTask(L"do_sort", [req]() { RunSortRequest(req); });
    } catch (...) {
        // No thread could be started: the shown set stays as it is.
    }
    if (g_hMainWnd) InvalidateRect(g_hMainWnd, nullptr, FALSE);
}

void RunSortRequest(const SortRequest& req) {
    const auto t0 = std::chrono::steady_clock::now();
    const uint64_t misses0 = g_attrCacheMisses.load();
    const uint64_t hits0 = g_attrCacheHits.load();
    auto rows = GetResultsSnapshot();
    if (!rows || rows->empty() || !IsCurrent(req)) return;

    if (req.reverseOnly) {
        auto out = std::make_shared<std::vector<MatchItem>>(*rows);
        EraseStaleRows(*out);
        std::reverse(out->begin(), out->end());
        if (!IsCurrent(req) || !PublishSorted(out, req)) return;
        AppendPerfMetric(L"sort col=" + std::to_wstring(req.column) + L" type=reverse total_ms=" +
                         std::to_wstring(MsSince(t0)) + L" rows=" + std::to_wstring(out->size()));
        return;
    }

    const int column = req.column;
    if (column != 2 && column != 3 && column != 4) {
        RunTextSort(req, *rows, t0, misses0, hits0);
        return;
    }
    auto out = std::make_shared<std::vector<MatchItem>>(*rows);
    EraseStaleRows(*out);
    if (out->empty()) {
        if (IsCurrent(req)) PublishSorted(out, req);
        return;
    }
    const auto tH = std::chrono::steady_clock::now();
    if (column == 2) {
        for (VolumeIndex* v : DistinctVolumes(*out))
            if (v->folderSizesDirty.load()) v->RebuildFolderSizes();
    }
    SortHydrationContext ctx;
    bool firstPhase = false;
    {
        ctx.misses.reserve(out->size() / 8 + 1024);
        for (const MatchItem& item : *out) {
            if (!IsCurrent(req)) return;
            VolumeIndex* v = item.volume;
            bool present = false, isDirectory = false;
            uint64_t frn = 0;
            AcquireSRWLockShared(&v->indexLock);
            if (item.recordIndex < v->records.size()) {
                present = true;
                frn = v->records[item.recordIndex].frn;
                isDirectory = v->records[item.recordIndex].isDirectory != 0;
            }
            ReleaseSRWLockShared(&v->indexLock);
            if (present && IsMiss(column, v, frn, isDirectory)) ctx.misses.push_back(item);
        }
        if (!ctx.misses.empty()) {
            BuildSortKeys(*out, column, req.ascending);
            if (!IsCurrent(req) || !PublishSorted(out, req)) return;
            firstPhase = true;
            const unsigned threadCount = SortHydrateThreadCount(std::thread::hardware_concurrency());
            ctx.missCount = ctx.misses.size();
            ctx.column = column;
            ctx.request = req;
            const uint64_t rowCount = std::max<uint64_t>(out->size(), 1);
            ctx.showProgress = ctx.missCount >= 5000 || ctx.missCount * 100 / rowCount >= 15;
            ctx.slice = (ctx.missCount + threadCount - 1) / threadCount;
            RunHydrationThreads(ctx, threadCount);
        }
    }
    const auto tAfter = std::chrono::steady_clock::now();
    if (!IsCurrent(req)) return;
    if (column == 2 && !ctx.misses.empty()) {
        for (VolumeIndex* v : DistinctVolumes(*out)) {
            v->folderSizesDirty.store(true, std::memory_order_release);
            v->RebuildFolderSizes();
        }
    }
    if (firstPhase) {
        // The first phase's vector may be read by the list: the final order goes to a new one.
        auto finalSet = std::make_shared<std::vector<MatchItem>>();
        BuildSortKeysInto(*out, column, req.ascending, *finalSet);
        out = std::move(finalSet);
    } else {
        BuildSortKeys(*out, column, req.ascending);
    }
    // Publication posts the sorted set; the timing line and the cache save follow it.
    if (!IsCurrent(req) || !PublishSorted(out, req)) return;

    const uint64_t missesNow = g_attrCacheMisses.load();
    const uint64_t hitsNow = g_attrCacheHits.load();
    const uint64_t misses = missesNow > misses0 ? missesNow - misses0 : 0;
    const uint64_t hits = hitsNow > hits0 ? hitsNow - hits0 : 0;
    const wchar_t* kind = misses == 0 ? L"warm" : (firstPhase ? L"cold-2phase" : L"cold");
    const int64_t hydrateMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(tAfter - tH).count();
    AppendSortPerfLine(column, kind, MsSince(t0), hydrateMs, misses, hits, out->size());

    {
        const uint64_t now = GetTickCount64();
        uint64_t last = g_lastSortCacheSaveTick.load();
        if (now - last > 3000 && g_lastSortCacheSaveTick.compare_exchange_strong(last, now) &&
            !g_attrCacheSaveBusy.exchange(true)) {
            try {
                RunBackgroundTask(L"sort_attr_cache_save", []() { SaveAttrCacheTask(); });
            } catch (...) {
                g_attrCacheSaveBusy.store(false);
            }
        }
    }
}
