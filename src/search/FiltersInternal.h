#pragma once
// Helpers shared by the filter, filter-bar and sort sources (not part of the public interface).
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "index/Index.h"
#include "search/Search.h"

// The attribute cache's interface as the sort and the size/date test use it (declared again
// here exactly as the attribute cache declares it).
extern std::atomic<uint64_t> g_attrCacheHits;
extern std::atomic<uint64_t> g_attrCacheMisses;
[[nodiscard]] bool SaveAttrCache(SearchEngine& engine);
void HydrateRecordAttributes(VolumeIndex* volume, uint64_t recordIndex, FileAttrInfo* info, bool needTimes);

// Attribute times may be held as FILETIME or as a plain 64-bit count.
inline uint64_t AttrTimeU64(const FILETIME& ft) {
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}
inline uint64_t AttrTimeU64(uint64_t v) { return v; }

// Reads a window's text (at most maxChars characters); empty for a missing control.
std::wstring ReadWindowTextBounded(HWND hwnd, int maxChars);
// Reads both custom date pickers; true when both exist and give a valid date.
bool ReadDatePickers(SYSTEMTIME& from, SYSTEMTIME& to);

// The filter settings part of the filtered-set key.
struct FilterKeyValues {
    int category;
    int sizeMode;
    int dateMode;
    int sizeUnit;
    uint32_t sizeTextHash;
    int dateFrom;
    int dateTo;
};
FilterKeyValues CurrentFilterKeyValues();
// The following three: caller holds g_filteredResultsMutex.
bool FilteredKeyMatchesLocked(const FilterKeyValues& v, const std::shared_ptr<std::vector<MatchItem>>& set);
void ResetFilteredResultsLocked();
void StoreFilteredResultsLocked(const FilterKeyValues& v, const std::shared_ptr<std::vector<MatchItem>>& source,
                                std::shared_ptr<std::vector<MatchItem>> filtered);
// The cached filtered set when its key matches the current settings and this very set.
std::shared_ptr<std::vector<MatchItem>> FindCachedFilteredSet(const std::shared_ptr<std::vector<MatchItem>>& set);
