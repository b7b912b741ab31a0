#pragma once
// The shared result set: rows, the published set, its generation counter and the sort state,
// and the conversions between a row and a path.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "content/ContentQuery.h"

class VolumeIndex;

// lParam of WM_SEARCH_RESULTS_READY.
inline constexpr LPARAM kResultsFinal = 0;
inline constexpr LPARAM kResultsSorted = 1;
inline constexpr LPARAM kResultsPartial = 2;

// One result row: a record of a volume, by position. Rows never hold names or paths.
struct MatchItem {
    VolumeIndex* volume = nullptr;
    uint32_t recordIndex = 0;
};

inline bool operator==(const MatchItem& a, const MatchItem& b) {
    return a.volume == b.volume && a.recordIndex == b.recordIndex;
}

using MatchItemVector = std::vector<MatchItem>;
using ResultSetPtr = std::shared_ptr<std::vector<MatchItem>>;

// The current result set: never null, never changed in place once published.
extern std::shared_ptr<std::vector<MatchItem>> g_results;
// Guards the pointer g_results (not the vector behind it).
extern std::mutex g_resultsMutex;
// g_searchGeneration, the staleness counter of searches, is in content/ContentQuery.h.
// Sort state of the shown set: -1 unsorted; 1 Name, 2 Size, 3 Modified, 4 Created, 5 Type, 6 Path.
extern std::atomic<int> g_sortColumn;
extern std::atomic<bool> g_sortAscending;
// Row count of the set the list shows (set by GetVisibleResults and the filter pass).
extern std::atomic<int64_t> g_visibleResultCount;

// A copy of g_results taken under g_resultsMutex; read it without a lock.
std::shared_ptr<std::vector<MatchItem>> GetResultsSnapshot();

// How a publication changes the sort state.
enum class SortStateChange {
    None,          // leave g_sortColumn / g_sortAscending alone
    ResetColumn,   // a new search: g_sortColumn = -1
    Restore,       // a listing: put back the captured column and direction
    Set,           // a sort: set the given column and direction
};

// Publishes a completely built set when `generation` is still current and the program is not
// stopping: the generation test and the swap happen together under g_resultsMutex, so a stale
// producer can never replace a newer set. Then posts WM_SEARCH_RESULTS_READY(generation, kind)
// to the main window. Returns whether the set was published.
bool PublishResultSet(std::shared_ptr<std::vector<MatchItem>> set, uint64_t generation, LPARAM kind,
                      SortStateChange sortChange = SortStateChange::None, int sortColumn = -1,
                      bool sortAscending = true);

// Test seam: called after every successful publication with the set and its kind (may be null).
using ResultsPublishedObserver = void (*)(const std::shared_ptr<std::vector<MatchItem>>& set,
                                          uint64_t generation, LPARAM kind);
void SetResultsPublishedObserver(ResultsPublishedObserver observer);

// Row to name, full path and containing folder (under the volume's shared index lock).
// False when the row no longer names a live record, or when its path does not reach the
// drive root (a broken parent chain never yields a path to open or record).
bool GetMatchItemPath(const MatchItem& item, std::wstring& name, std::wstring& fullPath, std::wstring& folder);

// Full path back to a row of an indexed volume ('/' or '\', case ignored).
bool FindMatchItemByPath(const std::wstring& fullPath, MatchItem& out);

// True when the row names a live record: volume set, index below the record count, not deleted.
// Takes the volume's index lock shared.
bool IsMatchItemLive(const MatchItem& item);
