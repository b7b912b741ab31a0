// Filling sizes, times, thumbnails and own icons of the rows on screen on background tasks; each
// task that filled something asks the main window to repaint the list.
#include "results/Results.h"

#include <algorithm>
#include <set>

#include "core/Core.h"
#include "index/Index.h"
#include "search/Search.h"
#include "core/Window.h"
#include "ui/Ui.h"

std::atomic<uint64_t> g_hydrationGeneration{0};
std::atomic<bool> g_attrHydrationBusy{false};
std::atomic<uint64_t> g_prewarmGeneration{0};
std::atomic<bool> g_prewarmBusy{false};
std::atomic<uint64_t> g_thumbHydrationGeneration{0};
std::atomic<bool> g_thumbHydrationBusy{false};
std::atomic<uint64_t> g_ownIconHydrationGeneration{0};
std::atomic<bool> g_ownIconHydrationBusy{false};

namespace {

constexpr size_t kPrewarmMaxRows = 200000;
constexpr size_t kPrewarmLimit = 8000;
constexpr int kPrewarmPostEvery = 256;
constexpr int kOwnIconsPerRun = 48;

struct RowRange {
    size_t begin = 0;
    size_t end = 0;
    int64_t lines = 0;
};

RowRange RowsOnScreen(size_t rowCount) {
    const ResultListLayout l = CurrentResultListLayout();
    const int h = std::max(GetResultRowHeightIn(l), 1);
    RowRange r;
    r.lines = (GetResultsAreaHeightIn(l) - GetResultsListTopIn(l)) / h + 2;
    const int64_t firstLine = std::max<int64_t>(l.scrollY / h, 0);
    int64_t begin = firstLine, end = firstLine + r.lines;
    if (IsIconViewModeIn(l)) {
        const int64_t columns = std::max(GetIconColumnsPerRowIn(l, std::max(GetResultsAreaWidthIn(l), 1)), 1);
        begin = firstLine * columns;
        end = columns * (firstLine + r.lines);
    }
    r.begin = static_cast<size_t>(std::min<int64_t>(begin, static_cast<int64_t>(rowCount)));
    r.end = static_cast<size_t>(std::clamp<int64_t>(end, 0, static_cast<int64_t>(rowCount)));
    return r;
}

// Takes a kind's busy flag for the rows on screen; false (flag left as it was, or given back)
// when that kind already runs or no row is on screen.
bool ClaimRowsOnScreen(std::atomic<bool>& busy, size_t rowCount, RowRange& range) {
    if (busy.exchange(true)) return false;
    range = RowsOnScreen(rowCount);
    if (range.lines >= 1 && range.begin < range.end) return true;
    busy.store(false);
    return false;
}

bool TimesValid(const FileAttrInfo& info) {
    return info.valid && (info.lastWrite.dwLowDateTime || info.lastWrite.dwHighDateTime ||
                          info.creation.dwLowDateTime || info.creation.dwHighDateTime);
}

void PostHydrated() {
    if (!g_shuttingDown.load()) PostMessageIfWindow(g_hMainWnd, WM_HYDRATION_UPDATED, g_hydrationGeneration.load(), 0);
}

// A task is stale once the program stops, its own counter moved on or a new search started.
struct Staleness {
    const std::atomic<uint64_t>& counter;
    uint64_t generation;
    uint64_t searchGeneration;
    bool operator()() const {
        return g_shuttingDown.load() || counter.load() != generation || g_searchGeneration.load() != searchGeneration;
    }
};

// Clears a busy flag on every way out of a task.
struct BusyFlag {
    std::atomic<bool>& flag;
    ~BusyFlag() { flag.store(false); }
};

// Starts a task; when no thread can be started the busy flag is cleared so that the next
// request can try again.
void StartTask(const wchar_t* name, std::atomic<bool>& busy, const std::function<void()>& work) {
    try {
        RunBackgroundTask(name, work);
    } catch (...) {
        LogBackgroundException(name);
        busy.store(false);
    }
}

// The record's file reference and flags under the shared index lock; false when out of range.
struct RecordFacts {
    uint64_t frn = 0;
    bool isDir = false;
    bool deleted = false;
    std::wstring name;
};
bool ReadRecord(VolumeIndex* v, uint32_t index, RecordFacts& out, bool withName) {
    AcquireSRWLockShared(&v->indexLock);
    const bool ok = index < v->records.size();
    if (ok) {
        const FileRecord& r = v->records[index];
        out.frn = r.frn;
        out.isDir = r.isDirectory != 0;
        out.deleted = r.deleted != 0;
        if (withName && r.name) out.name.assign(r.name, r.nameLength);
    }
    ReleaseSRWLockShared(&v->indexLock);
    return ok;
}

// The path of a row for loading an icon or thumbnail: empty unless it reached the root and is
// a usable local path.
std::wstring IconPathOf(VolumeIndex* v, uint32_t index) {
    bool reachedRoot = false;
    std::wstring path = v->BuildFullPathLocked(index, &reachedRoot);
    if (!reachedRoot || path.empty() || !IsUsableLocalPath(path.c_str(), false)) return std::wstring();
    return path;
}

void AttrHydrationBody(std::shared_ptr<std::vector<MatchItem>> rows, RowRange range, uint64_t generation,
                       uint64_t searchGeneration) {
    BusyFlag done{g_attrHydrationBusy};
    const Staleness stale{g_hydrationGeneration, generation, searchGeneration};
    try {
        bool changed = false;
        std::set<VolumeIndex*> refresh;
        for (size_t i = range.begin; i < range.end && i < rows->size(); ++i) {
            if (stale()) return;
            try {
                const MatchItem& item = (*rows)[i];
                if (!item.volume) continue;
                RecordFacts facts;
                if (!ReadRecord(item.volume, item.recordIndex, facts, false)) continue;
                if (facts.isDir && item.volume->folderSizesDirty.load()) refresh.insert(item.volume);
                FileAttrInfo info;
                if (item.volume->LookupAttr(facts.frn, &info) && TimesValid(info)) continue;
                FileAttrInfo filled;
                HydrateRecordAttributes(item.volume, item.recordIndex, &filled, true);
                if (filled.valid) changed = true;  // a row that cannot be read asks for no repaint
            } catch (...) {
            }
        }
        for (VolumeIndex* v : refresh) {
            if (stale()) return;
            if (v->folderSizesDirty.load()) {
                v->RebuildFolderSizes();
                changed = true;
            }
        }
        if (changed && !stale()) PostMessageIfWindow(g_hMainWnd, WM_HYDRATION_UPDATED, generation, 0);
    } catch (...) {
        LogBackgroundException(L"attr_hydration_inner");
    }
}

void PrewarmBody(std::shared_ptr<std::vector<MatchItem>> rows, size_t limit, uint64_t generation,
                 uint64_t searchGeneration) {
    BusyFlag done{g_prewarmBusy};
    int counted = 0;
    for (size_t i = 0; i < limit && i < rows->size(); ++i) {
        if (g_shuttingDown.load() || g_prewarmGeneration.load() != generation ||
            g_searchGeneration.load() != searchGeneration)
            return;
        const MatchItem& item = (*rows)[i];
        if (!item.volume || !item.volume->available.load()) continue;
        RecordFacts facts;
        if (!ReadRecord(item.volume, item.recordIndex, facts, false) || facts.deleted) continue;
        FileAttrInfo info;
        if (item.volume->LookupAttr(facts.frn, &info) && TimesValid(info)) continue;
        FileAttrInfo filled;
        HydrateRecordAttributes(item.volume, item.recordIndex, &filled, true);
        if (TimesValid(filled) && ++counted >= kPrewarmPostEvery) {
            counted = 0;
            PostHydrated();
        }
        if (i % 64 == 0) Sleep(1);
    }
    if (g_searchGeneration.load() == searchGeneration) PostHydrated();
}

void ThumbnailBody(std::shared_ptr<std::vector<MatchItem>> rows, RowRange range, int size, uint64_t generation,
                   uint64_t searchGeneration) {
    BusyFlag done{g_thumbHydrationBusy};
    const Staleness stale{g_thumbHydrationGeneration, generation, searchGeneration};
    int loaded = 0;
    size_t tried = 0;
    for (size_t i = range.begin; i < range.end && i < rows->size(); ++i) {
        if (stale()) return;
        try {
            const MatchItem& item = (*rows)[i];
            if (!item.volume) continue;
            RecordFacts facts;
            if (!ReadRecord(item.volume, item.recordIndex, facts, false) || facts.deleted || facts.isDir) continue;
            const std::wstring path = IconPathOf(item.volume, item.recordIndex);
            if (path.empty() || !HasThumbnailExtension(path.c_str())) continue;
            // Cached, or failed a moment ago (retried only after its retry time).
            if (IsIconCached(false, path.c_str(), size, true) || IsThumbnailFailureRecent(path.c_str(), size)) continue;
            // A failed thumbnail still hands back the file type's icon: only a thumbnail that is
            // now cached counts as a load (and asks for a repaint).
            ++tried;
            GetIconForPath(false, path.c_str(), size, true, true);
            if (IsIconCached(false, path.c_str(), size, true)) ++loaded;
        } catch (...) {
        }
    }
    if (stale()) return;
    // The handle log shows each run, so a view that keeps re-reading its files can be seen.
    LogGdi((L"thumb_hydration rows=" + std::to_wstring(range.end - range.begin) + L" tried=" +
            std::to_wstring(tried) + L" loaded=" + std::to_wstring(loaded))
               .c_str());
    if (loaded > 0) PostHydrated();
}

void OwnIconBody(std::shared_ptr<std::vector<MatchItem>> rows, RowRange range, int size, uint64_t generation,
                 uint64_t searchGeneration) {
    BusyFlag done{g_ownIconHydrationBusy};
    const Staleness stale{g_ownIconHydrationGeneration, generation, searchGeneration};
    int loads = 0;
    for (size_t i = range.begin; i < range.end && i < rows->size() && loads < kOwnIconsPerRun; ++i) {
        if (stale()) return;
        try {
            const MatchItem& item = (*rows)[i];
            if (!item.volume) continue;
            RecordFacts facts;
            if (!ReadRecord(item.volume, item.recordIndex, facts, true) || facts.deleted || facts.isDir ||
                facts.name.empty() || !HasOwnIconExtension(facts.name.c_str()))
                continue;
            const std::wstring path = IconPathOf(item.volume, item.recordIndex);
            if (path.empty() || IsIconCached(false, path.c_str(), size, false)) continue;
            if (GetIconForPath(false, path.c_str(), size, false, true)) ++loads;
        } catch (...) {
        }
    }
    if (loads > 0 && !stale()) PostHydrated();
}

}  // namespace

void RequestVisibleAttrHydrationAsync() {
    if (g_shuttingDown.load()) return;
    std::shared_ptr<std::vector<MatchItem>> rows = GetVisibleResults();
    if (!rows || rows->empty()) return;
    const RowRange range = RowsOnScreen(rows->size());
    if (range.lines < 1 || range.begin >= range.end) return;
    if (g_attrHydrationBusy.exchange(true)) return;
    const uint64_t generation = ++g_hydrationGeneration;
    const uint64_t searchGeneration = g_searchGeneration.load();
    StartTask(L"attr_hydration", g_attrHydrationBusy,
              [rows, range, generation, searchGeneration] { AttrHydrationBody(rows, range, generation, searchGeneration); });
}

void RequestResultAttrPrewarmAsync() {
    std::shared_ptr<std::vector<MatchItem>> rows = GetResultsSnapshot();
    if (!rows || rows->empty() || g_shuttingDown.load() || rows->size() > kPrewarmMaxRows) return;
    const size_t limit = std::min(rows->size(), kPrewarmLimit);
    const uint64_t generation = ++g_prewarmGeneration;
    const uint64_t searchGeneration = g_searchGeneration.load();
    if (g_prewarmBusy.exchange(true)) {
        try {
            RunBackgroundTask(L"result_attr_prewarm_retry", [] {
                Sleep(250);
                if (!g_shuttingDown.load()) RequestResultAttrPrewarmAsync();
            });
        } catch (...) {
            LogBackgroundException(L"result_attr_prewarm_retry");
        }
        return;
    }
    StartTask(L"result_attr_prewarm", g_prewarmBusy,
              [rows, limit, generation, searchGeneration] { PrewarmBody(rows, limit, generation, searchGeneration); });
}

void RequestVisibleThumbnailHydrationAsync() {
    if (g_viewMode != static_cast<int>(ResultViewMode::LargeIcons) || g_shuttingDown.load()) return;
    std::shared_ptr<std::vector<MatchItem>> rows = GetVisibleResults();
    RowRange range;
    if (!rows || rows->empty() || !ClaimRowsOnScreen(g_thumbHydrationBusy, rows->size(), range)) return;
    const uint64_t generation = ++g_thumbHydrationGeneration;
    const uint64_t searchGeneration = g_searchGeneration.load();
    const int size = GetResultIconSize();
    StartTask(L"thumb_hydration", g_thumbHydrationBusy, [rows, range, size, generation, searchGeneration] {
        ThumbnailBody(rows, range, size, generation, searchGeneration);
    });
}

void RequestVisibleOwnIconHydrationAsync() {
    if (g_shuttingDown.load() || IsScrollInteractionActive()) return;
    std::shared_ptr<std::vector<MatchItem>> rows = GetVisibleResults();
    RowRange range;
    if (!rows || rows->empty() || !ClaimRowsOnScreen(g_ownIconHydrationBusy, rows->size(), range)) return;
    const uint64_t generation = ++g_ownIconHydrationGeneration;
    const uint64_t searchGeneration = g_searchGeneration.load();
    const int size = IsIconViewMode() ? GetResultIconSize() : ScaleForDpi(16);
    StartTask(L"own_icon_hydration", g_ownIconHydrationBusy, [rows, range, size, generation, searchGeneration] {
        OwnIconBody(rows, range, size, generation, searchGeneration);
    });
}
