// Comparators of the sort: size/time keys and name/type/path texts, both ending in a total
// tie-break on volume address and record index.
#include <algorithm>
#include <functional>
#include <thread>

#include "search/SortKeys.h"

namespace {

// Volume address, then record index, ascending in both directions.
bool TieBreakLess(const MatchItem& a, const MatchItem& b) {
    if (a.volume != b.volume) return std::less<const void*>()(a.volume, b.volume);
    return a.recordIndex < b.recordIndex;
}

}  // namespace

void FoldAsciiInPlace(std::wstring& s) {
    for (auto& ch : s)
        if (ch >= L'A' && ch <= L'Z') ch = static_cast<wchar_t>(ch + (L'a' - L'A'));
}

bool SortKeyLess(const SortComparatorState& state, const SortKey& a, const SortKey& b) {
    if (state.column != 2 && a.isFolder != b.isFolder) return state.ascending ? a.isFolder > b.isFolder : a.isFolder < b.isFolder;
    if (a.hasValue != b.hasValue) return a.hasValue > b.hasValue;
    int cmp = 0;
    if (state.column == 2) {
        cmp = a.size < b.size ? -1 : (a.size > b.size ? 1 : 0);
    } else if (state.column == 3) {
        cmp = CompareFileTime(&a.lastWrite, &b.lastWrite);
    } else {
        cmp = CompareFileTime(&a.creation, &b.creation);
    }
    if (cmp != 0) return state.ascending ? cmp < 0 : cmp > 0;
    return TieBreakLess(a.item, b.item);
}

bool NameSortRowLess(const SortComparatorState& state, const NameSortRow& a, const NameSortRow& b) {
    const int r = a.text.compare(b.text);
    if (r != 0) return state.ascending ? r < 0 : r > 0;
    return TieBreakLess(a.item, b.item);
}

void SortNameRows(std::vector<NameSortRow>& rows, const SortComparatorState& state) {
    auto less = [&state](const NameSortRow& a, const NameSortRow& b) { return NameSortRowLess(state, a, b); };
    const size_t n = rows.size();
    unsigned hw = std::thread::hardware_concurrency();
    size_t parts = std::min<size_t>(hw == 0 ? 1 : hw, 8);
    if (n < 200000 || parts < 2) {
        std::sort(rows.begin(), rows.end(), less);
        return;
    }
    // Sort equal slices on threads, then merge them pairwise; the order is total, so the result
    // equals a single std::sort. Any failure to start a thread sorts that slice here instead.
    std::vector<size_t> bounds;
    for (size_t i = 0; i <= parts; ++i) bounds.push_back(n * i / parts);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < parts; ++i) {
        auto first = rows.begin() + static_cast<ptrdiff_t>(bounds[i]);
        auto last = rows.begin() + static_cast<ptrdiff_t>(bounds[i + 1]);
        try {
            threads.emplace_back([first, last, less]() { std::sort(first, last, less); });
        } catch (...) {
            std::sort(first, last, less);
        }
    }
    for (auto& t : threads)
        if (t.joinable()) t.join();
    for (size_t width = 1; width < parts; width *= 2) {
        for (size_t i = 0; i + width < parts; i += 2 * width) {
            auto first = rows.begin() + static_cast<ptrdiff_t>(bounds[i]);
            auto mid = rows.begin() + static_cast<ptrdiff_t>(bounds[i + width]);
            auto last = rows.begin() + static_cast<ptrdiff_t>(bounds[std::min(i + 2 * width, parts)]);
            std::inplace_merge(first, mid, last, less);
        }
    }
}

unsigned SortHydrateThreadCount(unsigned h) {
    if (h == 0) return 2;
    return std::clamp(h / 2, 2u, 6u);
}
