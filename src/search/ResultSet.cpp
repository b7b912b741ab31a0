#include "search/ResultSet.h"

#include "core/Core.h"
#include "index/Index.h"
#include "search/QueryParser.h"
#include "search/SearchInternal.h"
#include "core/Window.h"

std::shared_ptr<std::vector<MatchItem>> g_results = std::make_shared<std::vector<MatchItem>>();
std::mutex g_resultsMutex;
std::atomic<int> g_sortColumn{-1};
std::atomic<bool> g_sortAscending{true};
std::atomic<int64_t> g_visibleResultCount{0};

namespace {
std::atomic<ResultsPublishedObserver> g_publishObserver{nullptr};
}

void SetResultsPublishedObserver(ResultsPublishedObserver observer) { g_publishObserver.store(observer); }

std::shared_ptr<std::vector<MatchItem>> GetResultsSnapshot() {
    std::lock_guard<std::mutex> lock(g_resultsMutex);
    return g_results;
}

bool PublishResultSet(std::shared_ptr<std::vector<MatchItem>> set, uint64_t generation, LPARAM kind,
                      SortStateChange sortChange, int sortColumn, bool sortAscending) {
    if (!set) set = std::make_shared<std::vector<MatchItem>>();
    {
        // The generation is tested under the mutex: a newer producer either published before us
        // (then the generation moved on and we drop our set) or publishes after us.
        std::lock_guard<std::mutex> lock(g_resultsMutex);
        if (generation != g_searchGeneration.load() || g_shuttingDown.load()) return false;
        g_results = set;
        switch (sortChange) {
            case SortStateChange::None: break;
            case SortStateChange::ResetColumn: g_sortColumn.store(-1); break;
            case SortStateChange::Restore:
            case SortStateChange::Set:
                g_sortColumn.store(sortColumn);
                g_sortAscending.store(sortAscending);
                break;
        }
    }
    if (auto observer = g_publishObserver.load()) observer(set, generation, kind);
    if (g_hMainWnd) PostMessageW(g_hMainWnd, WM_SEARCH_RESULTS_READY, static_cast<WPARAM>(generation), kind);
    return true;
}

namespace {

// Caller holds the volume's index lock (shared).
bool IsLiveLocked(const VolumeIndex& v, uint32_t recordIndex) {
    return recordIndex < v.records.size() && !v.records[recordIndex].deleted;
}

}  // namespace

bool IsMatchItemLive(const MatchItem& item) {
    if (!item.volume) return false;
    AcquireSRWLockShared(&item.volume->indexLock);
    bool live = IsLiveLocked(*item.volume, item.recordIndex);
    ReleaseSRWLockShared(&item.volume->indexLock);
    return live;
}

bool GetMatchItemPath(const MatchItem& item, std::wstring& name, std::wstring& fullPath, std::wstring& folder) {
    if (!item.volume) return false;
    VolumeIndex& v = *item.volume;
    bool reachedRoot = false;
    {
        AcquireSRWLockShared(&v.indexLock);
        SharedIndexLockRelease release{&v.indexLock};
        if (!IsLiveLocked(v, item.recordIndex)) return false;
        const FileRecord& r = v.records[item.recordIndex];
        if (r.name)
            name.assign(r.name, r.nameLength);
        else
            name.clear();
        fullPath = v.BuildFullPath(item.recordIndex, &reachedRoot);
    }
    // A path from a broken parent chain names some other place: never hand it out.
    if (!reachedRoot) return false;
    size_t slash = fullPath.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return false;
    folder = fullPath.substr(0, slash);
    return !name.empty() && !folder.empty();
}

bool FindMatchItemByPath(const std::wstring& fullPath, MatchItem& out) {
    if (fullPath.size() < 3) return false;
    const std::wstring key = NormalizePathKey(std::wstring(fullPath));
    const std::wstring rootKey = NormalizePathKey(fullPath.substr(0, 2));
    size_t slash = key.find_last_of(L'\\');
    const std::wstring nameKey = slash == std::wstring::npos ? key : key.substr(slash + 1);
    if (nameKey.empty()) return false;

    std::lock_guard<std::mutex> engineLock(g_searchEngine.mutex);
    for (const auto& owned : g_searchEngine.volumes) {
        VolumeIndex* v = owned.get();
        if (!v || NormalizePathKey(std::wstring(v->root)) != rootKey) continue;
        std::vector<uint32_t> candidates;
        AcquireSRWLockShared(&v->indexLock);
        SharedIndexLockRelease release{&v->indexLock};
        const size_t count = v->records.size();
        for (size_t r = 0; r < count; ++r) {
            const FileRecord& rec = v->records[r];
            if (rec.deleted || !rec.name || rec.nameLength != nameKey.size()) continue;
            const wchar_t* lower = rec.name + rec.nameLength + 1;  // the pool's lower-case copy
            if (std::wstring_view(lower, rec.nameLength) == nameKey) candidates.push_back(static_cast<uint32_t>(r));
        }
        for (uint32_t r : candidates) {
            bool reachedRoot = false;
            std::wstring path = v->BuildFullPath(r, &reachedRoot);
            if (reachedRoot && NormalizePathKey(std::move(path)) == key) {
                out = MatchItem{v, r};
                return true;
            }
        }
    }
    return false;
}
