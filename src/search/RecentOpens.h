#pragma once
// The recently opened files (recent.ini), shown for the empty query.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "search/ResultSet.h"

struct RecentEntry {
    MatchItem item;           // zero for an entry read from recent.ini until resolved by path
    uint64_t openedTick = 0;  // GetTickCount64 at the open
    std::wstring path;        // full path when the open was recorded
    uint64_t frn = 0;         // file reference of the row on an NTFS volume (memory only; 0 unknown)
};

extern std::vector<RecentEntry> g_recentEntries;
extern std::mutex g_recentMutex;

inline constexpr size_t kMaxRecentEntries = 100;

std::wstring GetRecentListPath();
// Writes recent.ini from the list; false when the file could not be written.
bool SaveRecentList();
void LoadRecentList();
// Empties the list and recent.ini; false when the file could not be written (the list in
// memory is empty all the same).
[[nodiscard]] bool ClearRecentList();
void RecordRecentOpen(const MatchItem& item);
// Follows an in-place rename of the row `renamed` (the result list's inline rename passes the row
// it edits): every entry of that row or of oldPath gets newPath. A null volume changes nothing.
void UpdateRecentPath(const MatchItem& renamed, const std::wstring& oldPath, const std::wstring& newPath);
std::shared_ptr<std::vector<MatchItem>> BuildRecentMatchItems();
void LoadRecentOpensAsync();
