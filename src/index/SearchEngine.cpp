// The engine's volume set: detaching vanished drives, availability, ordering, and the drive mask.
#include <windows.h>

#include <algorithm>

#include "core/Core.h"
#include "index/VolumeIndex.h"
#include "platform/VolumeIo.h"

SearchEngine g_searchEngine;

namespace {
std::atomic<uint32_t> g_indexDriveMask{0x3FFFFFFu};

// Drive letter index of a root ("C:" -> 2), or -1.
int LetterIndex(const std::wstring& root) {
    if (root.empty()) return -1;
    const wchar_t c = static_cast<wchar_t>(towupper(root[0]));
    return (c >= L'A' && c <= L'Z') ? c - L'A' : -1;
}

bool IsNtfs(const std::wstring& fs) { return fs == L"NTFS"; }

// Letters that are present, asking no drive (a drive may be slow to answer, and the window's
// thread calls this): listed by GetLogicalDrives, less those whose root did not answer the
// drive watcher's last poll. A letter that stays listed without a medium or a device behind it
// (card readers, a vanished mapping) thus counts as gone, as it does for the watcher.
uint32_t PresentDrives() { return GetLogicalDrives() & ~GetUnansweringDrives(); }
}  // namespace

void SetIndexDriveMask(uint32_t mask) { g_indexDriveMask = mask & 0x3FFFFFFu; }
uint32_t GetIndexDriveMask() { return g_indexDriveMask; }
uint32_t GetIndexedLogicalDrives() { return GetLogicalDrives() & g_indexDriveMask; }

SearchEngine::~SearchEngine() {
    // Process exit: every monitor is stopped and joined before the volumes go.
    std::lock_guard<std::mutex> lock(mutex);
    for (auto& v : volumes) v->CloseVolume();
    for (auto& v : retiredVolumes) v->CloseVolume();
}

void SearchEngine::SortVolumesByRoot() {
    std::stable_sort(volumes.begin(), volumes.end(),
                     [](const std::unique_ptr<VolumeIndex>& a, const std::unique_ptr<VolumeIndex>& b) {
                         return a->root < b->root;
                     });
}

void SearchEngine::RemoveVanishedNonNtfsVolumes(const std::vector<std::pair<std::wstring, std::wstring>>& targets) {
    std::vector<std::unique_ptr<VolumeIndex>> kept;
    kept.reserve(volumes.size());
    for (auto& v : volumes) {
        bool keep = IsNtfs(v->fileSystem);
        for (size_t i = 0; !keep && i < targets.size(); ++i) keep = targets[i].first == v->root;
        if (keep) {
            kept.push_back(std::move(v));
        } else {
            // Result rows may still name it: detach it and keep the object until exit.
            v->available = false;
            retiredVolumes.push_back(std::move(v));
        }
    }
    volumes.swap(kept);
}

void SearchEngine::ReleaseAllVolumes() {
    std::lock_guard<std::mutex> lock(mutex);
    for (auto& v : volumes) {
        v->available = false;
        v->CloseVolume();
        retiredVolumes.push_back(std::move(v));
    }
    volumes.clear();
}

bool SearchEngine::RemoveUnavailableVolumes() {
    std::vector<VolumeIndex*> detached;
    const uint32_t drives = PresentDrives();
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (auto& v : volumes) {
            const int letter = LetterIndex(v->root);
            const bool gone = letter < 0 || !(drives & (1u << letter));
            bool take = gone && v->available.exchange(false);
            // A monitor that ended because it lost its volume or journal left its handle and
            // thread behind: release them too, whether the letter is still listed or not.
            if (v->releasePending.exchange(false)) take = true;
            if (take) detached.push_back(v.get());
        }
    }
    if (detached.empty()) return false;
    // Volumes are never freed while the process runs (see retiredVolumes): the pointers stay good.
    RunBackgroundTask(L"remove_unavailable_volumes", [detached] {
        for (VolumeIndex* v : detached) v->ReleaseDetached();
    });
    return true;
}

bool SearchEngine::CloseVolumeHandles(uint32_t driveMask) {
    if (driveMask == 0) return false;
    std::vector<VolumeIndex*> detached;
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (auto& v : volumes) {
            const int letter = LetterIndex(v->root);
            if (letter < 0 || !(driveMask & (1u << letter))) continue;
            if (v->available.exchange(false)) detached.push_back(v.get());
        }
    }
    if (detached.empty()) return false;
    for (VolumeIndex* v : detached) v->ReleaseDetached();
    return true;
}

bool IsAnyIndexedVolumeInDriveMask(uint32_t driveMask) {
    if (driveMask == 0) return false;
    std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
    for (auto& v : g_searchEngine.volumes) {
        const int letter = LetterIndex(v->root);
        if (letter >= 0 && (driveMask & (1u << letter))) return true;
    }
    return false;
}

bool RefreshVolumeAvailability() {
    const uint32_t drives = PresentDrives();
    std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
    for (auto& v : g_searchEngine.volumes) {
        if (!v->available) continue;
        const int letter = LetterIndex(v->root);
        if (letter < 0 || !(drives & (1u << letter))) {
            v->available = false;
            continue;
        }
        if (!IsNtfs(v->fileSystem)) return true;
    }
    return false;
}
