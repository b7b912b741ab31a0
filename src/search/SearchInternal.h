#pragma once
// Pieces shared by the search tasks (not part of the public search interface).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "search/QueryParser.h"
#include "search/ResultSet.h"

class VolumeIndex;
struct SizeDateFilterParams;

// Posts WM_SEARCH_STATUS_TEXT (generation, heap copy of text) while the main window exists;
// frees the copy when the post fails.
void PostSearchStatusText(uint64_t generation, const std::wstring& text);

// True while the generation is current and the program is not stopping.
bool IsSearchCurrent(uint64_t generation);

// Everything the content branch of "do_search" works from. Runs with the engine mutex held.
struct ContentSearchRequest {
    const ContentQuery& query;
    uint64_t generation;
    bool keepSort;
    int volumePosition;    // -1 for all volumes
    int scope;             // g_searchScope as read by the task
    std::wstring desktop;  // the Desktop folder for scope 1
    const std::vector<VolumeIndex*>& volumes;
    const SizeDateFilterParams& filter;
};
void RunContentSearchBranch(const ContentSearchRequest& request);
