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
// The part of SortKeyLess before the tie-break as five 16-bit units whose plain (unsigned,
// unit by unit) order is that order: the folder/file and has-value class, then the compared
// size or time, mapped so that the direction is built in.
constexpr size_t kSortKeyUnits = 5;
void EncodeSortKey(const SortComparatorState& state, const SortKey& key, wchar_t units[kSortKeyUnits]);
// The keys of `count` rows of one volume `v` (not null) for a size or time column, as
// BuildSortKeys defines them, reading the records, folder totals and attributes in one pass per
// lock for the whole run.
void MakeSortKeys(VolumeIndex* v, const MatchItem* rows, size_t count, int column, SortKey* out);
// Size, Modified or Created: every row of `rows` (none is dropped) in SortKeyLess order, into out.
void SortRowsByKeys(const std::vector<MatchItem>& rows, int column, bool ascending, std::vector<MatchItem>& out);
bool NameSortRowLess(const SortComparatorState& state, const NameSortRow& a, const NameSortRow& b);
// Folds A..Z to a..z in place (no other character changes).
void FoldAsciiInPlace(std::wstring& s);
// A sort request is current while its generation is g_searchGeneration and no shutdown began.
bool IsSortRequestCurrent(const SortRequest& request);
// Name (1), Type (5) or Path (6): the live rows of `rows` (index inside the volume's records,
// not deleted) in the request's text order, into out. False when the request became stale.
bool SortRowsByText(const SortRequest& request, const std::vector<MatchItem>& rows, std::vector<MatchItem>& out);
