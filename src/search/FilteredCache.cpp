// The cached filtered set and its key: the filter settings it was built from and the very
// publication of the result set that was filtered.
#include "search/FiltersInternal.h"
#include "search/Search.h"

std::atomic<uint64_t> g_filterGeneration{0};
std::shared_ptr<std::vector<MatchItem>> g_filteredResults;
std::mutex g_filteredResultsMutex;
FilteredResultsKey g_filteredResultsKey;

namespace {

// The held reference names the same set (same owner), which is still alive: a newer set that
// reuses a freed set's address never matches.
bool SameSet(const std::weak_ptr<std::vector<MatchItem>>& held, const std::shared_ptr<std::vector<MatchItem>>& set) {
    if (!set || held.expired()) return false;
    return !held.owner_before(set) && !set.owner_before(held);
}

}  // namespace

bool FilteredKeyMatchesLocked(const FilterKeyValues& v, const std::shared_ptr<std::vector<MatchItem>>& set) {
    const FilteredResultsKey& k = g_filteredResultsKey;
    return k.category.load() == v.category && k.sizeMode.load() == v.sizeMode && k.dateMode.load() == v.dateMode &&
           k.sizeUnit.load() == v.sizeUnit && k.sizeTextHash.load() == v.sizeTextHash &&
           k.dateFrom.load() == v.dateFrom && k.dateTo.load() == v.dateTo && set &&
           k.source.load() == static_cast<const void*>(set.get()) && SameSet(k.sourceRef, set);
}

void ResetFilteredResultsLocked() {
    FilteredResultsKey& k = g_filteredResultsKey;
    g_filteredResults.reset();
    k.category = -1;
    k.sizeMode = -1;
    k.dateMode = -1;
    k.sizeUnit = -1;
    k.sizeTextHash = 0;
    k.dateFrom = -1;
    k.dateTo = -1;
    k.source = nullptr;
    k.sourceRef.reset();
}

void StoreFilteredResultsLocked(const FilterKeyValues& v, const std::shared_ptr<std::vector<MatchItem>>& source,
                                std::shared_ptr<std::vector<MatchItem>> filtered) {
    FilteredResultsKey& k = g_filteredResultsKey;
    g_filteredResults = std::move(filtered);
    k.category = v.category;
    k.sizeMode = v.sizeMode;
    k.dateMode = v.dateMode;
    k.sizeUnit = v.sizeUnit;
    k.sizeTextHash = v.sizeTextHash;
    k.dateFrom = v.dateFrom;
    k.dateTo = v.dateTo;
    k.source = static_cast<const void*>(source.get());
    k.sourceRef = source;
}

bool IsAnyFilterActive() {
    return g_currentFilterCategory.load() != 0 || g_sizeFilterMode != 0 || g_dateFilterMode != 0;
}

void ResetFilteredResultsCache() {
    std::lock_guard<std::mutex> lock(g_filteredResultsMutex);
    ResetFilteredResultsLocked();
}

FilterKeyValues CurrentFilterKeyValues() {
    return {g_currentFilterCategory.load(), g_sizeFilterMode, g_dateFilterMode, g_sizeFilterUnit,
            g_customSizeTextHash.load(), g_customDateFrom, g_customDateTo};
}

std::shared_ptr<std::vector<MatchItem>> FindCachedFilteredSet(const std::shared_ptr<std::vector<MatchItem>>& set) {
    const FilterKeyValues v = CurrentFilterKeyValues();
    std::lock_guard<std::mutex> lock(g_filteredResultsMutex);
    if (g_filteredResults && FilteredKeyMatchesLocked(v, set)) return g_filteredResults;
    return nullptr;
}
