// The filtered result set: built on a background task from the published set for the current
// category and size/date filters, cached with the settings and the publication it came from.
#include <cwchar>

#include "core/Core.h"
#include "index/Index.h"
#include "search/FiltersInternal.h"
#include "search/Search.h"
#include "core/Window.h"

namespace {

// The name's extension (from its last '.') equals one of the entries, ignoring case.
bool ExtensionMatches(const wchar_t* name, size_t len, const std::vector<std::wstring>& exts) {
    if (!name || len == 0 || exts.empty()) return false;
    size_t dot = len;
    while (dot > 0) {
        if (name[dot - 1] == L'.') break;
        --dot;
    }
    if (dot == 0) return false;
    const wchar_t* ext = name + dot - 1;
    const size_t extLen = len - (dot - 1);
    for (const auto& e : exts)
        if (e.size() == extLen && _wcsnicmp(ext, e.c_str(), extLen) == 0) return true;
    return false;
}

FilterKeyValues SnapshotKey(const FilterPassSnapshot& s) {
    return {s.category, s.sizeMode, s.dateMode, s.sizeUnit, s.sizeTextHash, s.dateFrom, s.dateTo};
}

void PostFilteredReady(uint64_t gen) {
    if (g_hMainWnd) PostMessageIfWindow(g_hMainWnd, WM_FILTERED_RESULTS_READY, static_cast<WPARAM>(gen), 0);
}

}  // namespace

void RefreshFilteredResultsAsync() {
    FilterPassSnapshot s;
    s.generation = ++g_filterGeneration;
    s.category = g_currentFilterCategory.load();
    if (s.category >= 1 && s.category < static_cast<int>(g_filterCategories.size())) {
        const FilterCategory& c = g_filterCategories[static_cast<size_t>(s.category)];
        s.categoryExts = c.exts;
        s.categoryIsFolder = CategoryIsFolder(c);
    }
    s.sizeMode = g_sizeFilterMode;
    s.dateMode = g_dateFilterMode;
    s.sizeUnit = g_sizeFilterUnit;
    s.useCreationTime = g_sortColumn == 4;
    s.dateFrom = g_customDateFrom;
    s.dateTo = g_customDateTo;
    if (g_hCustomSizeEdit && IsWindow(g_hCustomSizeEdit)) {
        s.sizeText = ReadWindowTextBounded(g_hCustomSizeEdit, 127);
        g_customSizeText = s.sizeText;
        g_customSizeTextHash.store(Fnv1aHash32(s.sizeText));
    }
    s.sizeTextHash = g_customSizeTextHash.load();
    if (ReadDatePickers(s.pickerFrom, s.pickerTo)) {
        s.pickersValid = true;
        s.dateFrom = SystemTimeToYyyymmdd(s.pickerFrom);
        s.dateTo = SystemTimeToYyyymmdd(s.pickerTo);
    }
    s.results = GetResultsSnapshot();
    {
        std::lock_guard<std::mutex> lock(g_filteredResultsMutex);
        if (g_filteredResults && FilteredKeyMatchesLocked(SnapshotKey(s), s.results)) {
            g_visibleResultCount.store(static_cast<int64_t>(g_filteredResults->size()));
            PostFilteredReady(s.generation);
            return;
        }
        ResetFilteredResultsLocked();
        g_visibleResultCount.store(s.results ? static_cast<int64_t>(s.results->size()) : 0);
    }
    // The visible set changes: a selection made in the old one must not act on the new rows.
    ClearSelection();
    const bool active = s.category != 0 || s.sizeMode != 0 || s.dateMode != 0;
    if (s.results && active) {
        try {
            RunBackgroundTask(L"refresh_filtered_results", [s]() { RunFilterPass(s); });
        } catch (...) {
            // No thread: the list keeps showing the unfiltered rows.
        }
        return;
    }
    PostFilteredReady(s.generation);
}

std::shared_ptr<std::vector<MatchItem>> RunFilterPass(const FilterPassSnapshot& snap) {
    auto out = std::make_shared<std::vector<MatchItem>>();
    if (!snap.results) return nullptr;
    out->reserve(snap.results->size());
    SizeDateFilterParams p;
    p.sizeMode = snap.sizeMode;
    p.dateMode = snap.dateMode;
    p.useCreationTime = snap.useCreationTime;
    if (p.sizeMode == 4) {
        int64_t mn = -1, mx = -1;
        p.customSizeValid = ParseSizeRangeText(snap.sizeText, snap.sizeUnit, mn, mx);
        if (p.customSizeValid) {
            p.customMin = mn;
            p.customMax = mx;
        }
    }
    FillFilterClock(p);
    p.pickersValid = snap.pickersValid;
    p.pickerFrom = snap.pickerFrom;
    p.pickerTo = snap.pickerTo;
    if (p.dateMode == 4) PrepareCustomDateRange(p);
    p.invalidCustomDatePasses = false;
    const bool sizeDateActive = p.sizeMode != 0 || p.dateMode != 0;

    for (const MatchItem& row : *snap.results) {
        if (g_filterGeneration.load() != snap.generation || g_shuttingDown.load()) return nullptr;
        VolumeIndex* v = row.volume;
        if (!v) continue;
        bool present = false, isFolder = false, deleted = false, extOk = false;
        uint64_t frn = 0;
        AcquireSRWLockShared(&v->indexLock);
        if (row.recordIndex < v->records.size()) {
            const auto& rec = v->records[row.recordIndex];
            present = true;
            isFolder = rec.isDirectory != 0;
            deleted = rec.deleted != 0;
            frn = rec.frn;
            if (!isFolder && snap.category != 0 && !snap.categoryIsFolder)
                extOk = ExtensionMatches(rec.name, rec.nameLength, snap.categoryExts);
        }
        ReleaseSRWLockShared(&v->indexLock);
        if (!present || deleted) continue;
        if (isFolder) {
            if (snap.category != 0 && snap.categoryIsFolder && !sizeDateActive) out->push_back(row);
            continue;
        }
        if (snap.category != 0 && !extOk) continue;
        if (!FilterPassesSizeDate(p, row, false, frn)) continue;
        out->push_back(row);
    }

    if (g_filterGeneration.load() != snap.generation || g_shuttingDown.load() ||
        g_currentFilterCategory.load() != snap.category)
        return nullptr;
    {
        std::lock_guard<std::mutex> lock(g_filteredResultsMutex);
        StoreFilteredResultsLocked(SnapshotKey(snap), snap.results, out);
        g_visibleResultCount.store(static_cast<int64_t>(out->size()));
    }
    PostFilteredReady(snap.generation);
    return out;
}
