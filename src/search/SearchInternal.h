#pragma once
// Pieces shared by the search tasks (not part of the public search interface).
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/Core.h"
#include "index/Index.h"
#include "search/QueryParser.h"
#include "search/ResultSet.h"

struct SizeDateFilterParams;

// Posts WM_SEARCH_STATUS_TEXT (generation, heap copy of text) while the main window exists;
// frees the copy when the post fails.
void PostSearchStatusText(uint64_t generation, const std::wstring& text);

// True while the generation is current and the program is not stopping.
bool IsSearchCurrent(uint64_t generation);

// Everything the content branch of "do_search" works from. Entered with the engine mutex held;
// the branch releases it once the candidates are chosen, so that the scan of their contents never
// keeps the window (which takes the same mutex) waiting.
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
void RunContentSearchBranch(const ContentSearchRequest& request, std::unique_lock<std::mutex>& engineLock);

// Releases a volume's index lock taken shared when it leaves scope (also on an exception).
struct SharedIndexLockRelease {
    SRWLOCK* lock;
    ~SharedIndexLockRelease() { ReleaseSRWLockShared(lock); }
};

// Walks the records of every searchable volume of the scope (volumePosition -1 for all) in
// volume order, then record order, skipping busy volumes (index lock held for writing) and
// deleted records, and calls fn(volume, recordIndex, record) under the volume's shared lock.
// Tests g_shuttingDown on every record and the generation every 256 records; returns false,
// with the lock released, when the walk must stop without publishing.
template <class Fn>
bool ForEachLiveRecord(const std::vector<VolumeIndex*>& volumes, int volumePosition, uint64_t generation, Fn&& fn) {
    for (size_t i = 0; i < volumes.size(); ++i) {
        if (volumePosition >= 0 && static_cast<size_t>(volumePosition) != i) continue;
        VolumeIndex* v = volumes[i];
        if (!v || !v->available.load() || v->building.load()) continue;
        if (!TryAcquireSRWLockShared(&v->indexLock)) continue;
        SharedIndexLockRelease release{&v->indexLock};
        const size_t count = v->records.size();
        size_t r = 0;
        for (auto it = v->records.begin(); r < count; ++it, ++r) {
            if (g_shuttingDown.load(std::memory_order_relaxed) ||
                ((r & 255) == 0 && g_searchGeneration.load() != generation))
                return false;
            if (!it->deleted) fn(*v, r, *it);
        }
    }
    return true;
}
