#pragma once
// Sort keys and comparators (shared by the sort task and its tests).
#include <string>
#include <vector>

#include "search/Search.h"

struct SortKey {
    MatchItem item;
    uint8_t isFolder = 0;
    uint8_t hasValue = 0;
    int64_t size = 0;
    FILETIME lastWrite{};
    FILETIME creation{};
};

// text holds the row's name, extension or full path with only A..Z folded to a..z, so that a
// plain code-unit comparison gives the case-insensitive order of the "C" locale.
struct NameSortRow {
    MatchItem item;
    std::wstring text;
};

bool SortKeyLess(const SortComparatorState& state, const SortKey& a, const SortKey& b);
bool NameSortRowLess(const SortComparatorState& state, const NameSortRow& a, const NameSortRow& b);
// Folds A..Z to a..z in place (no other character changes).
void FoldAsciiInPlace(std::wstring& s);
// Sorts name rows (in parallel for large sets); same order as std::sort with NameSortRowLess.
void SortNameRows(std::vector<NameSortRow>& rows, const SortComparatorState& state);
