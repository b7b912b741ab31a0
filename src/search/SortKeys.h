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

// The texts of a name, type or path sort for rows of one result vector: the first eight code
// units of each text packed into two integers, the rest in one shared buffer, so that millions
// of rows cost no allocation each and most comparisons are two integer compares. The order is
// exactly that of NameSortRowLess on the same (folded) texts.
class NameSortTexts {
public:
    explicit NameSortTexts(const std::vector<MatchItem>& rows) : rows_(rows) {}
    void Reserve(size_t rows, size_t tailChars);
    // Appends row `row` of the vector; the text is folded (A..Z to a..z) as it is stored.
    void Add(uint32_t row, const wchar_t* text, size_t length);
    size_t Size() const { return entries_.size(); }
    // Sorts the rows (slices in parallel for large sets) and writes them to out in order.
    void SortInto(const SortComparatorState& state, std::vector<MatchItem>& out);

private:
    struct Entry {
        uint64_t key0;  // first four code units, big-endian, 0-padded
        uint64_t key1;  // next four
        uint32_t row;
        uint32_t tailOffset;  // code units from the ninth on, in tail_
        uint32_t length;
    };
    bool Less(const SortComparatorState& state, const Entry& a, const Entry& b) const;
    const std::vector<MatchItem>& rows_;
    std::vector<wchar_t> tail_;
    std::vector<Entry> entries_;
};

// A sort request is current while its generation is g_searchGeneration and no shutdown began.
bool IsSortRequestCurrent(const SortRequest& request);
// Name (1), Type (5) or Path (6): the live rows of `rows` (index inside the volume's records,
// not deleted) in the request's text order, into out. False when the request became stale.
bool SortRowsByText(const SortRequest& request, const std::vector<MatchItem>& rows, std::vector<MatchItem>& out);
