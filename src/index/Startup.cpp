// Start-up indexing of every drive, the volume sync and the manual refresh of non-NTFS drives.
#include <windows.h>

#include <chrono>
#include <future>

#include "core/Core.h"
#include "i18n/I18n.h"
#include "index/AttrCache.h"
#include "index/FileSizes.h"
#include "index/VolumeIndex.h"
#include "platform/VolumeIo.h"
#include "core/Window.h"

namespace {

std::wstring RootOf(int letter) {
    std::wstring root;
    root += static_cast<wchar_t>(L'A' + letter);
    root += L':';
    return root;
}

// The file-system name of a drive (32 characters at most); false when the call fails.
bool ReadFileSystemName(const std::wstring& root, std::wstring& name) {
    wchar_t fs[32] = {};
    const std::wstring path = root + L"\\";
    if (!VolumeIoGetVolumeInformation(path.c_str(), nullptr, 0, nullptr, nullptr, nullptr, fs, 32)) {
        name.clear();
        return false;
    }
    fs[31] = 0;
    name = fs;
    return true;
}

// Builds a volume the way its file system asks for.
bool BuildVolume(VolumeIndex& v, const std::wstring& root, const std::wstring& fileSystem) {
    if (fileSystem == L"NTFS") return v.BuildNtfs(root);
    return v.BuildByWalk(root, fileSystem);
}

VolumeIndex* FindVolumeByRoot(SearchEngine& engine, const std::wstring& root) {
    for (auto& v : engine.volumes)
        if (v->root == root) return v.get();
    return nullptr;
}

uint32_t LetterBit(const std::wstring& root) {
    const wchar_t c = root.empty() ? 0 : static_cast<wchar_t>(towupper(root[0]));
    return (c >= L'A' && c <= L'Z') ? 1u << (c - L'A') : 0;
}

// Per-drive work of the start-up. Whatever way it ends, the drive is no longer the start-up's
// to build: a sync may take it from then on.
void StartupIndexDrive(SearchEngine& engine, std::wstring root, HWND hwnd, std::shared_ptr<std::atomic<bool>> firstReadyPosted) {
    struct ReleaseDrive {
        SearchEngine& engine;
        uint32_t bit;
        ~ReleaseDrive() {
            std::lock_guard<std::mutex> lock(engine.mutex);
            engine.startupPendingDrives &= ~bit;
        }
    } release{engine, LetterBit(root)};
    std::wstring fs;
    if (!ReadFileSystemName(root, fs)) return;
    std::unique_ptr<VolumeIndex> v = MakeVolumeIndex();
    if (!BuildVolume(*v, root, fs)) return;  // the volume is destroyed unpublished
    std::unique_ptr<VolumeIndex> duplicate;  // destroyed after the engine mutex is released
    std::lock_guard<std::mutex> lock(engine.mutex);
    engine.startupPendingDrives &= ~release.bit;
    // Another task (a manual refresh) may have published this drive meanwhile: one volume per
    // drive, the published one stays (result rows may name it).
    if (FindVolumeByRoot(engine, root)) {
        duplicate = std::move(v);
        return;
    }
    engine.volumes.push_back(std::move(v));
    if (!engine.indexReady.exchange(true)) {
        if (!firstReadyPosted->exchange(true) && !g_shuttingDown) PostMessageIfWindow(hwnd, WM_INDEX_READY, 0, 0);
    }
}

// A volume whose journal was lost while it was being built (before it was published) is
// enumerated again once it is in the list.
void RebuildLostJournalsQuietly(SearchEngine& engine) {
    if (g_shuttingDown || !engine.AnyJournalLostVolume()) return;
    try {
        engine.RebuildJournalLostVolumesAsync();
    } catch (...) {
        // No thread could be started: the next start-up or sync end tries again.
    }
}

// Loads what the caches on disk know of the indexed volumes.
void LoadVolumeCaches(SearchEngine& engine) {
    LoadAttrCache(engine);
    {
        std::lock_guard<std::mutex> lock(engine.mutex);
        for (auto& v : engine.volumes) {
            if (!v || !v->available.load() || v->root.empty() || v->fileSystem != L"NTFS") continue;
            const wchar_t letter = static_cast<wchar_t>(towupper(v->root[0]));
            if (letter < L'A' || letter > L'Z') continue;
            const std::wstring path = GetMftSizeCachePath(letter);
            if (path.empty()) continue;
            const wchar_t rootPath[4] = {letter, L':', L'\\', 0};
            DWORD serial = 0;
            if (!GetVolumeInformationW(rootPath, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) continue;
            MftSizeMap sizes;
            MftSizeCacheHeader header;
            if (!LoadMftSizeCache(path, serial, sizes, header) || sizes.empty()) continue;
            // The keys are file references: they name the same files only while the journal the
            // cache was written against still reaches back to its position (a recreated journal
            // may come with renumbered files).
            VolumeIoUsnJournalDataV0 journal{};
            DWORD got = 0;
            if (header.usnJournalId == 0 || header.usnJournalId != v->usnJournalId ||
                v->volumeHandle == INVALID_HANDLE_VALUE ||
                !VolumeIoDeviceIoControl(v->volumeHandle, FSCTL_QUERY_USN_JOURNAL, nullptr, 0, &journal, sizeof journal,
                                         &got, nullptr) ||
                journal.UsnJournalID != header.usnJournalId || journal.FirstUsn > header.usn)
                continue;
            v->ReplaceFileSizes(std::move(sizes));
        }
    }
    // The cache file exists from the first start on.
    const std::vector<std::wstring> paths = GetAttrCachePath();
    FILE* f = paths.empty() ? nullptr : _wfopen(paths[0].c_str(), L"rb");
    if (f) {
        fclose(f);
    } else {
        if (!SaveAttrCache(engine)) LogFailure(L"first attribute cache save", GetLastError());
    }
}

}  // namespace

void SearchEngine::InitBackground(HWND hwnd) {
    // Set before the task starts: a search that finishes before it runs is not the final word.
    startupRunning = true;
    try {
        RunBackgroundTask(L"init_background", [this, hwnd] { RunInitBackground(hwnd); });
    } catch (...) {
        startupRunning = false;
        throw;
    }
}

void SearchEngine::RunInitBackground(HWND hwnd) {
    struct EndStartup {
        std::atomic<bool>& running;
        ~EndStartup() { running = false; }
    } endStartup{startupRunning};
    startupRunning = true;
    const auto start = std::chrono::steady_clock::now();
    const uint32_t drives = GetIndexedLogicalDrives();
    {
        // Claimed before any build starts, so that a sync running now leaves them alone.
        std::lock_guard<std::mutex> lock(mutex);
        startupPendingDrives |= drives;
    }
    auto firstReadyPosted = std::make_shared<std::atomic<bool>>(false);
    std::vector<std::future<void>> futures;
    for (int i = 0; i < 26; ++i) {
        if (!(drives & (1u << i))) continue;
        try {
            futures.push_back(std::async(std::launch::async, StartupIndexDrive, std::ref(*this), RootOf(i), hwnd,
                                         firstReadyPosted));
        } catch (...) {
            // The drive's task could not be started: it counts as a failed build.
            std::lock_guard<std::mutex> lock(mutex);
            startupPendingDrives &= ~(1u << i);
        }
    }
    for (auto& f : futures) {
        try {
            f.get();
        } catch (...) {
            // One drive's failure is that drive's failed build; the start-up goes on.
        }
    }
    if (g_shuttingDown) return;
    bool ready;
    {
        std::lock_guard<std::mutex> lock(mutex);
        SortVolumesByRoot();
        indexReady = !volumes.empty();
        ready = indexReady;
    }
    if (ready && !g_shuttingDown) LoadVolumeCaches(*this);
    size_t count;
    uint64_t names = 0;
    {
        // Lock order: engine mutex, then each volume's index lock (RecordCountLocked).
        std::lock_guard<std::mutex> lock(mutex);
        count = volumes.size();
        for (const auto& v : volumes)
            if (v) names += v->RecordCountLocked();
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    AppendPerfMetric(L"startup index_ms=" + std::to_wstring(ms) + L" volume_count=" + std::to_wstring(count) +
                     L" name_count=" + std::to_wstring(names));
    // Every start-up drive is done: cleared before the message goes, so that the searches the
    // window runs on it are final.
    startupRunning = false;
    RebuildLostJournalsQuietly(*this);
    if (!firstReadyPosted->load()) {
        if (!g_shuttingDown) PostMessageIfWindow(hwnd, WM_INDEX_READY, indexReady ? 0 : 1, 0);
    } else if (!g_shuttingDown) {
        PostMessageIfWindow(hwnd, WM_VOLUMES_SYNCED, kVolumesSyncedStartupDone, 0);
    }
}

void SearchEngine::SyncCurrentVolumesAsync(HWND hwnd) {
    if (syncBusy.exchange(true)) return;
    try {
        RunBackgroundTask(L"sync_current_volumes", [this, hwnd] { RunSyncCurrentVolumes(hwnd); });
    } catch (...) {
        syncBusy = false;
        throw;
    }
}

void SearchEngine::RunSyncCurrentVolumes(HWND hwnd) {
    struct ClearBusy {
        std::atomic<bool>& f;
        ~ClearBusy() { f = false; }
    } clearBusy{syncBusy};
    const uint32_t drives = GetIndexedLogicalDrives();
    for (int i = 0; i < 26 && !g_shuttingDown; ++i) {
        if (!(drives & (1u << i))) continue;
        const std::wstring root = RootOf(i);
        std::wstring fs;
        ReadFileSystemName(root, fs);
        VolumeIndex* existing;
        {
            std::lock_guard<std::mutex> lock(mutex);
            // The start-up is still building this drive: it publishes it itself.
            if (startupPendingDrives & (1u << i)) continue;
            existing = FindVolumeByRoot(*this, root);
        }
        if (!existing) {
            std::unique_ptr<VolumeIndex> v = MakeVolumeIndex();
            if (BuildVolume(*v, root, fs)) {
                std::unique_ptr<VolumeIndex> duplicate;  // destroyed after the mutex is released
                std::lock_guard<std::mutex> lock(mutex);
                if (!FindVolumeByRoot(*this, root)) volumes.push_back(std::move(v));
                else duplicate = std::move(v);
            }
        } else if (!existing->available) {
            // Published volumes are never freed while the process runs, so `existing` stays good.
            BuildVolume(*existing, root, fs);
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        SortVolumesByRoot();
        bool any = false;
        for (auto& v : volumes) any = any || v->available;
        indexReady = any;
    }
    RebuildLostJournalsQuietly(*this);
    if (!g_shuttingDown) PostMessageIfWindow(hwnd, WM_VOLUMES_SYNCED, kVolumesSyncedBySync, 0);
}

namespace {

// An available volume of the engine that lost its journal; the engine mutex is held.
VolumeIndex* FindJournalLostVolume(SearchEngine& engine) {
    for (auto& v : engine.volumes)
        if (v->journalLost && v->available) return v.get();
    return nullptr;
}

}  // namespace

bool SearchEngine::AnyJournalLostVolume() {
    std::lock_guard<std::mutex> lock(mutex);
    return FindJournalLostVolume(*this) != nullptr;
}

void SearchEngine::RebuildJournalLostVolumesAsync() {
    if (reindexBusy.exchange(true)) return;  // the running task takes it
    try {
        RunBackgroundTask(L"reindex_volumes", [this] {
            struct ClearBusy {
                std::atomic<bool>& f;
                ~ClearBusy() { f = false; }
            } clearBusy{reindexBusy};
            // A volume flagged while the task was leaving is not left behind.
            do {
                RunRebuildJournalLostVolumes();
                reindexBusy = false;
            } while (!g_shuttingDown && AnyJournalLostVolume() && !reindexBusy.exchange(true));
        });
    } catch (...) {
        reindexBusy = false;
        throw;
    }
}

void SearchEngine::RunRebuildJournalLostVolumes() {
    for (;;) {
        if (g_shuttingDown) return;
        VolumeIndex* v;
        {
            std::lock_guard<std::mutex> lock(mutex);
            v = FindJournalLostVolume(*this);
            if (!v) return;
            v->journalLost = false;
        }
        // Published volumes are never freed while the process runs, so `v` stays good. The
        // records stay as they are until the new enumeration replaces them under the volume's
        // own lock.
        const WPARAM letter = LetterBit(v->root) ? static_cast<WPARAM>(towupper(v->root[0]) - L'A') : 0;
        PostToMainWindow(WM_VOLUME_REINDEX, letter, kReindexStarted);
        const bool ok = v->BuildNtfs(v->root);
        if (g_shuttingDown) return;
        PostToMainWindow(WM_VOLUME_REINDEX, letter, ok ? kReindexDone : kReindexFailed);
    }
}

void SearchEngine::RefreshAllNonNtfsAsync(HWND hwnd) {
    RunBackgroundTask(L"refresh_non_ntfs", [this, hwnd] { RefreshAllNonNtfs(hwnd); });
}

void SearchEngine::RefreshAllNonNtfs(HWND hwnd) {
    if (!syncBusy) {
        SyncCurrentVolumesAsync(hwnd);
        for (int i = 0; i < 30 && syncBusy && !g_shuttingDown; ++i) Sleep(100);
    }
    std::wstring logText = Tr(L"Log_RefreshNonNtfsPrefix", L"刷新非NTFS盘索引", L"Refresh the index of non-NTFS drives.");
    std::vector<std::pair<std::wstring, std::wstring>> targets;
    const uint32_t drives = GetIndexedLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(drives & (1u << i))) continue;
        const std::wstring root = RootOf(i);
        std::wstring fs;
        if (!ReadFileSystemName(root, fs) || fs == L"NTFS") continue;
        targets.emplace_back(root, fs);
        logText += root + L"(" + fs + L") ";
    }
    if (targets.empty())
        LogManualRefresh(Tr(L"Log_NoNonNtfsForRefresh", L"未检测到可刷新的非NTFS盘。",
                            L"No non-NTFS volumes detected for manual refresh."));
    WPARAM refreshed = 0;
    LPARAM failed = 0;
    for (const auto& [root, fs] : targets) {
        if (g_shuttingDown) return;
        const int letter = root[0] - L'A';
        if (!(GetIndexedLogicalDrives() & (1u << letter))) {
            logText += root + L":SKIP ";
            continue;
        }
        VolumeIndex* existing;
        {
            std::lock_guard<std::mutex> lock(mutex);
            existing = FindVolumeByRoot(*this, root);
        }
        uint64_t count = 0;
        bool ok;
        if (!existing) {
            auto v = std::make_unique<VolumeIndex>();
            ok = v->BuildByWalk(root, fs);
            if (ok) {
                count = v->RecordCountLocked();
                std::lock_guard<std::mutex> lock(mutex);
                if (!FindVolumeByRoot(*this, root)) volumes.push_back(std::move(v));
            }
        } else {
            ok = existing->BuildByWalk(root, fs);
            if (ok) count = existing->RecordCountLocked();
        }
        if (ok) {
            ++refreshed;
            logText += root + L":" + Tr(L"Log_ResultOk", L"成功", L"OK") + L"[" + std::to_wstring(count) + L"] ";
        } else {
            ++failed;
            logText += root + L":" + Tr(L"Log_ResultFail", L"失败", L"FAIL") + L" ";
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        RemoveVanishedNonNtfsVolumes(targets);
        SortVolumesByRoot();
    }
    LogManualRefresh(logText);
    if (!g_shuttingDown) PostMessageIfWindow(hwnd, WM_NONNTFS_REFRESHED, refreshed, failed);
}
