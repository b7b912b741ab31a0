#pragma once
// Starting searches: the four roads from a query to a published result set.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "search/ResultSet.h"

class VolumeIndex;
struct SizeDateFilterParams;

// The search box text as last taken by a search (at most 256 characters; UI thread), and
// whether it is empty (any thread). Write both through SetCurrentQuery.
extern std::wstring g_currentQuery;
extern std::atomic<bool> g_currentQueryEmpty;
void SetCurrentQuery(std::wstring query);
// The search scope: 0 all drives, 1 Desktop, n >= 2 volume n - 2.
extern std::atomic<int> g_searchScope;
// Options: pinyin-initial matching of single ASCII tokens; the recent view for an empty query.
extern bool g_initialSearchEnabled;
extern bool g_showRecentOnEmpty;
// While set, an empty query does not replace the shown listing by the recent view.
extern std::atomic<bool> g_suppressRecentView;

// UI thread: increments g_searchGeneration and starts the search of the query.
void DoSearchAsync(std::wstring query, bool keepSort, bool showRecent);
void RerunCurrentSearch();
void RefreshSearchResultsAfterIndexUpdate();
void RefreshRecentViewIfNeeded();

// Bodies of the search tasks, run on the task's thread (tests call them directly).
// The filter snapshot is taken on the UI thread when the search starts; the three-argument form
// takes it on the calling thread.
void RunNameSearchTask(const std::wstring& query, uint64_t generation, bool keepSort,
                       const SizeDateFilterParams& filter);
void RunNameSearchTask(const std::wstring& query, uint64_t generation, bool keepSort);
void RunRecentResultsTask(uint64_t generation, bool keepSort);
// Index in `volumes` of the volume a search scope names (the scope combo lists only available
// volumes); -1 for all volumes, volumes.size() when that volume is gone.
int ScopeVolumeIndex(const std::vector<VolumeIndex*>& volumes, int scope);
void RunScopeListingTask(uint64_t generation, int volumePosition, int scope, const std::wstring& desktop,
                         int sortColumn, bool sortAscending);

// Lists the scope folder and every live record below it (the scope's own volume only).
void CollectFolderSubtree(const std::wstring& folder, const std::vector<VolumeIndex*>& volumes,
                          std::shared_ptr<std::vector<MatchItem>>& results, uint64_t generation);

// Adds the name-signature bits of a name (followed by NUL and its lower-case copy): those of the
// texts the name search matches it by. Every program that links the name search has builds sign
// their blocks with it (NameSignatures::SetNameBits).
void AddNameSignatureBits(uint64_t* bits, const wchar_t* name, uint16_t length);

// Rows at which a long name search publishes its one partial set.
inline constexpr size_t kPartialPublishRows = 3000;
