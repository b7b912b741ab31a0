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

namespace {

// Sorts [first, last) with less: equal slices on threads, then pairwise merges. The order is
// total, so the result equals one std::sort. A slice whose thread cannot start is sorted here.
template <typename It, typename Less>
void ParallelSort(It first, It last, Less less) {
    const size_t n = static_cast<size_t>(last - first);
    const unsigned hw = std::thread::hardware_concurrency();
    const size_t parts = std::min<size_t>(hw == 0 ? 1 : hw, 8);
    if (n < 200000 || parts < 2) {
        std::sort(first, last, less);
        return;
    }
    std::vector<size_t> bounds;
    for (size_t i = 0; i <= parts; ++i) bounds.push_back(n * i / parts);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < parts; ++i) {
        It a = first + static_cast<ptrdiff_t>(bounds[i]);
        It b = first + static_cast<ptrdiff_t>(bounds[i + 1]);
        try {
            threads.emplace_back([a, b, less]() { std::sort(a, b, less); });
        } catch (...) {
            std::sort(a, b, less);
        }
    }
    for (auto& t : threads)
        if (t.joinable()) t.join();
    for (size_t width = 1; width < parts; width *= 2) {
        for (size_t i = 0; i + width < parts; i += 2 * width) {
            std::inplace_merge(first + static_cast<ptrdiff_t>(bounds[i]), first + static_cast<ptrdiff_t>(bounds[i + width]),
                               first + static_cast<ptrdiff_t>(bounds[std::min(i + 2 * width, parts)]), less);
        }
    }
}

// Sorts [first, last) in equal slices on threads (without the merge step) and returns the slice
// bounds; one slice when the range is small or no thread helps.
template <typename It, typename Less>
std::vector<size_t> SortSlices(It first, It last, Less less) {
    const size_t n = static_cast<size_t>(last - first);
    const unsigned hw = std::thread::hardware_concurrency();
    const size_t parts = (n < 200000 || hw < 2) ? 1 : std::min<size_t>(hw, 8);
    std::vector<size_t> bounds;
    for (size_t i = 0; i <= parts; ++i) bounds.push_back(n * i / parts);
    if (parts == 1) {
        std::sort(first, last, less);
        return bounds;
    }
    std::vector<std::thread> threads;
    for (size_t i = 0; i < parts; ++i) {
        It a = first + static_cast<ptrdiff_t>(bounds[i]);
        It b = first + static_cast<ptrdiff_t>(bounds[i + 1]);
        try {
            threads.emplace_back([a, b, less]() { std::sort(a, b, less); });
        } catch (...) {
            std::sort(a, b, less);
        }
    }
    for (auto& t : threads)
        if (t.joinable()) t.join();
    return bounds;
}

}  // namespace

void SortNameRows(std::vector<NameSortRow>& rows, const SortComparatorState& state) {
    ParallelSort(rows.begin(), rows.end(),
                 [&state](const NameSortRow& a, const NameSortRow& b) { return NameSortRowLess(state, a, b); });
}

void NameSortTexts::Reserve(size_t rows, size_t tailChars) {
    entries_.reserve(rows);
    tail_.reserve(tailChars);
}

void NameSortTexts::Add(uint32_t row, const wchar_t* text, size_t length) {
    auto fold = [](wchar_t ch) {
        return (ch >= L'A' && ch <= L'Z') ? static_cast<wchar_t>(ch + (L'a' - L'A')) : ch;
    };
    Entry e;
    e.row = row;
    e.length = static_cast<uint32_t>(length);
    e.tailOffset = static_cast<uint32_t>(tail_.size());
    uint64_t k[2] = {0, 0};
    for (size_t i = 0; i < 8; ++i)
        k[i / 4] = (k[i / 4] << 16) | (i < length ? static_cast<uint16_t>(fold(text[i])) : 0u);
    e.key0 = k[0];
    e.key1 = k[1];
    for (size_t i = 8; i < length; ++i) tail_.push_back(fold(text[i]));
    entries_.push_back(e);
}

bool NameSortTexts::Less(const SortComparatorState& state, const Entry& a, const Entry& b) const {
    int r = 0;
    if (a.key0 != b.key0) {
        r = a.key0 < b.key0 ? -1 : 1;
    } else if (a.key1 != b.key1) {
        r = a.key1 < b.key1 ? -1 : 1;
    } else {
        // The first eight units agree (short texts are 0-padded): compare the rest, then lengths.
        const uint32_t n = std::min(a.length, b.length);
        const wchar_t* pa = tail_.data() + a.tailOffset;
        const wchar_t* pb = tail_.data() + b.tailOffset;
        for (uint32_t i = 8; i < n && r == 0; ++i, ++pa, ++pb) {
            if (*pa != *pb) r = static_cast<uint16_t>(*pa) < static_cast<uint16_t>(*pb) ? -1 : 1;
        }
        if (r == 0 && a.length != b.length) r = a.length < b.length ? -1 : 1;
    }
    if (r != 0) return state.ascending ? r < 0 : r > 0;
    const MatchItem& ia = rows_[a.row];
    const MatchItem& ib = rows_[b.row];
    if (ia.volume != ib.volume) return std::less<const void*>()(ia.volume, ib.volume);
    return ia.recordIndex < ib.recordIndex;
}

void NameSortTexts::SortInto(const SortComparatorState& state, std::vector<MatchItem>& out) {
    auto less = [this, &state](const Entry& a, const Entry& b) { return Less(state, a, b); };
    const std::vector<size_t> bounds = SortSlices(entries_.begin(), entries_.end(), less);
    // Merge the sorted slices straight into the output (no merge buffers): at most eight heads.
    out.clear();
    out.reserve(entries_.size());
    std::vector<size_t> head(bounds.begin(), bounds.end() - 1);
    const size_t parts = head.size();
    for (;;) {
        size_t best = parts;
        for (size_t p = 0; p < parts; ++p) {
            if (head[p] == bounds[p + 1]) continue;
            if (best == parts || less(entries_[head[p]], entries_[head[best]])) best = p;
        }
        if (best == parts) break;
        out.push_back(rows_[entries_[head[best]++].row]);
    }
}

unsigned SortHydrateThreadCount(unsigned h) {
    if (h == 0) return 2;
    return std::clamp(h / 2, 2u, 6u);
}
