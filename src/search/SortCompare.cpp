// Comparators of the sort: size/time keys and name/type/path texts, both ending in a total
// tie-break on volume address and record index.
#include <algorithm>
#include <functional>

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

void EncodeSortKey(const SortComparatorState& state, const SortKey& key, wchar_t units[kSortKeyUnits]) {
    // Class: folders before files (ascending) or after them (descending), except by size; then
    // the rows with a value before those without, in both directions.
    uint32_t group = 0;
    if (state.column != 2) group = state.ascending ? (key.isFolder ? 0u : 1u) : (key.isFolder ? 1u : 0u);
    units[0] = static_cast<wchar_t>((group << 1) | (key.hasValue ? 0u : 1u));
    uint64_t value = 0;
    if (state.column == 2) {
        value = static_cast<uint64_t>(key.size) ^ 0x8000000000000000ull;  // signed order as unsigned
    } else {
        const FILETIME& t = state.column == 3 ? key.lastWrite : key.creation;
        value = (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;  // as CompareFileTime
    }
    if (!state.ascending) value = ~value;
    for (size_t i = 0; i < 4; ++i) units[1 + i] = static_cast<wchar_t>(value >> (48 - 16 * i));
}

bool NameSortRowLess(const SortComparatorState& state, const NameSortRow& a, const NameSortRow& b) {
    const int r = a.text.compare(b.text);
    if (r != 0) return state.ascending ? r < 0 : r > 0;
    return TieBreakLess(a.item, b.item);
}

unsigned SortHydrateThreadCount(unsigned h) {
    if (h == 0) return 2;
    return std::clamp(h / 2, 2u, 6u);
}
