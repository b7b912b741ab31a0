// The rows the list shows (the published set, or the filtered set while it matches the
// current filters) and the rows the file actions work on.
#include "search/FiltersInternal.h"
#include "search/Search.h"

std::shared_ptr<std::vector<MatchItem>> GetVisibleResults() {
    std::shared_ptr<std::vector<MatchItem>> set = GetResultsSnapshot();
    if (!set) return std::make_shared<std::vector<MatchItem>>();
    if (!IsAnyFilterActive()) {
        g_visibleResultCount.store(static_cast<int64_t>(set->size()));
        return set;
    }
    if (auto cached = FindCachedFilteredSet(set)) return cached;
    g_visibleResultCount.store(static_cast<int64_t>(set->size()));
    return set;
}

std::vector<MatchItem> GetSelectedMatchItems() {
    std::vector<MatchItem> out;
    auto set = GetVisibleResults();
    if (!set || set->empty()) return out;
    const int64_t n = static_cast<int64_t>(set->size());
    std::vector<int64_t> rows = GetSelectedRowIndices(n);
    if (rows.empty() && g_caretRow >= 0 && g_caretRow < n) rows.push_back(g_caretRow);
    out.reserve(rows.size());
    for (int64_t r : rows) out.push_back((*set)[static_cast<size_t>(r)]);
    return out;
}
