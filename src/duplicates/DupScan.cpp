#include "duplicates/DupScan.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "core/Logs.h"
#include "core/Raii.h"
#include "core/Tasks.h"
#include "duplicates/DupEngine.h"
#include "i18n/I18n.h"
#include "index/Index.h"

std::atomic<uint64_t> g_dupScanGeneration{0};

namespace {

// The cancel flag of the newest scan (replaced by every start).
std::mutex g_dupCancelMutex;
std::shared_ptr<std::atomic<bool>> g_dupCancel;
std::atomic<int> g_dupScanTasks{0};
std::atomic<bool> g_dupWindowClosing{false};

bool Closing() { return g_shuttingDown.load() || g_dupWindowClosing.load(); }

struct DupIndexFile {
    uint64_t reference = 0;
    std::wstring path;
};

struct DupScanVolume {
    wchar_t letter = 0;
    bool isNtfs = false;
    std::vector<DupIndexFile> files;
    MftSizeMap sizes;
    bool haveSizes = false;
};

wchar_t RootLetter(const VolumeIndex& v) { return (wchar_t)towupper(v.root[0]); }

bool IsFixedDrive(wchar_t letter) {
    const wchar_t root[4] = {letter, L':', L'\\', 0};
    return GetDriveTypeW(root) == DRIVE_FIXED;
}

// A volume takes part in a scan of `drive`: any fixed drive for '*', else the same letter.
bool VolumeChosen(const VolumeIndex& v, wchar_t drive) {
    if (!v.available.load() || v.root.empty()) return false;
    const wchar_t letter = RootLetter(v);
    return drive == L'*' ? IsFixedDrive(letter) : letter == (wchar_t)towupper(drive);
}

void PostProgress(HWND window) { PostMessageIfWindow(window, WM_APP_DUP_PROGRESS, 0, 0); }

// True while a volume the scan of `drive` takes part in is being indexed (again): its records are
// not all there yet.
bool ChosenVolumeBuilding(wchar_t drive) {
    std::lock_guard<std::mutex> engine(g_searchEngine.mutex);
    for (const auto& holder : g_searchEngine.volumes)
        if (holder && VolumeChosen(*holder, drive) && holder->building.load()) return true;
    return false;
}

// Files of the chosen volumes (path resolved to the root), in record order.
std::vector<DupScanVolume> CollectIndexFiles(wchar_t drive, uint64_t generation) {
    std::vector<DupScanVolume> out;
    std::lock_guard<std::mutex> engine(g_searchEngine.mutex);
    for (const auto& holder : g_searchEngine.volumes) {
        if (!holder || !VolumeChosen(*holder, drive)) continue;
        VolumeIndex& v = *holder;
        DupScanVolume vol;
        vol.letter = RootLetter(v);
        vol.isNtfs = _wcsicmp(v.fileSystem.Get().c_str(), L"NTFS") == 0;
        {
            SrwShared lock(v.indexLock);
            vol.files.reserve(v.records.size() / 2 + 1);
            std::wstring path;
            for (uint64_t i = 0; i < v.records.size(); ++i) {
                if ((i & 4095) == 0 && IsDupScanCancelled(generation)) return out;
                const FileRecord& r = v.records[i];
                if (r.deleted || r.isDirectory) continue;
                if (!v.BuildFullPath(i, path) || path.empty()) continue;
                vol.files.push_back({r.frn, std::move(path)});
                path.clear();
            }
        }
        if (!vol.files.empty()) out.push_back(std::move(vol));
        if (drive != L'*') break;
    }
    return out;
}

// Sizes the index already holds for the volume (from the size cache, an analysis or an
// earlier scan).
void TakeKnownSizes(DupScanVolume& vol) {
    std::lock_guard<std::mutex> engine(g_searchEngine.mutex);
    for (const auto& holder : g_searchEngine.volumes) {
        if (!holder || holder->root.empty() || RootLetter(*holder) != vol.letter) continue;
        SrwShared lock(holder->fileSizesLock);
        if (!holder->fileSizes.empty()) {
            vol.sizes = holder->fileSizes;
            vol.haveSizes = true;
        }
        return;
    }
}

void MergeSizesIntoIndex(wchar_t letter, const MftSizeMap& sizes) {
    std::lock_guard<std::mutex> engine(g_searchEngine.mutex);
    for (const auto& holder : g_searchEngine.volumes) {
        if (holder && !holder->root.empty() && RootLetter(*holder) == letter) {
            holder->MergeFileSizes(sizes);
            return;
        }
    }
}

bool FolderWalk(wchar_t letter, const DupScanRequest& req, std::vector<DupFileItem>& out) {
    const std::wstring root = std::wstring(1, letter) + L":\\";
    std::vector<DupFileItem> found;
    const bool ok = DupCollectFilesByWalk(root, req.minSize, found, req.cancel.get(), &g_dupFindView.progressDone);
    out.insert(out.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
    return ok;
}

// The scan ends as failed: the buttons come back, the status says why, the window hears of it.
void ReportDupScanFailed(uint64_t generation, HWND window, const DupStatus& status) {
    if (g_dupScanGeneration.load() != generation || Closing()) return;
    g_dupFindView.running = false;
    g_dupFindView.SetStatus(status);
    PostMessageIfWindow(window, WM_APP_DUP_DONE, 0, 0);
}

void ScanBody(const DupScanRequest& req) {
    DuplicateFindView& view = g_dupFindView;
    const uint64_t gen = req.generation;
    auto cancelled = [&] { return IsDupScanCancelled(gen) || (req.cancel && req.cancel->load()); };
    auto endCancelled = [&] { ReportDupScanCancelled(gen, req.window); };

    // Without the system's SHA-256 no content can be compared: every file would go unhashed and
    // the scan would read as "no duplicates".
    long hashStatus = 0;
    if (req.mode != DupCompareMode::SizeOnly && !DupSha256Available(&hashStatus)) {
        wchar_t code[16];
        _snwprintf(code, 16, L"0x%08lX", (unsigned long)hashStatus);
        LogGdi((std::wstring(L"dup_find_scan: SHA-256 provider not available, status=") + code).c_str());
        return ReportDupScanFailed(gen, req.window,
                                   DupStatus(L"Dup_StatusHashUnavailable", L"扫描失败：无法使用系统的 SHA-256 哈希。",
                                        L"Scan failed: the system's SHA-256 hashing is not available."));
    }

    // A drive whose index is being built would give a partial file list: the scan waits for it.
    while (ChosenVolumeBuilding(req.drive)) {
        if (cancelled()) return endCancelled();
        Sleep(50);
    }
    std::vector<DupScanVolume> volumes = CollectIndexFiles(req.drive, gen);
    if (cancelled()) return endCancelled();

    std::vector<DupFileItem> candidates;
    if (!volumes.empty()) {
        for (DupScanVolume& vol : volumes) TakeKnownSizes(vol);
        uint64_t grandTotal = 0;
        for (const DupScanVolume& vol : volumes) grandTotal += vol.files.size();
        view.progressTotal = std::max<uint64_t>(grandTotal, 1);
        PostProgress(req.window);

        uint64_t processed = 0;
        for (DupScanVolume& vol : volumes) {
            if (cancelled()) return endCancelled();
            const uint64_t earlier = processed;
            const SizeScanProgress progress = [&, earlier](uint64_t done, uint64_t total) {
                view.progressDone = earlier + done;
                view.progressTotal = grandTotal ? grandTotal : (total ? total : 1);
                if (grandTotal) view.permille = (uint32_t)std::min<uint64_t>(280, (earlier + done) * 280 / grandTotal);
                PostProgress(req.window);
            };
            const SizeScanCancel cancel = [&] { return cancelled(); };
            bool found = false;
            if (vol.haveSizes) {
                view.SetPhase(2, DupStatus(L"Dup_StatusMftReuse", L"复用分析得到的大小（跳过 MFT）...",
                                      L"Reusing analysis sizes (skip MFT)..."));
                found = true;
            } else {
                if (vol.isNtfs) {
                    view.SetPhase(2, DupStatus(L"Dup_StatusMft", L"正在从 MFT 读取文件大小...",
                                          L"Reading file sizes from MFT..."));
                    std::wstring error;
                    const std::wstring cachePath = GetMftSizeCachePath(vol.letter);
                    found = BuildMftSizeMap(vol.letter, vol.sizes, progress, cancel, &error, &cachePath);
                }
                if (!found && !cancelled()) {
                    std::vector<FilePathEntry> entries;
                    entries.reserve(vol.files.size());
                    for (const DupIndexFile& f : vol.files) entries.push_back({f.reference, f.path});
                    found = BuildSizeMapFromPaths(entries, vol.sizes, progress, cancel);
                }
                if (found && !vol.sizes.empty()) MergeSizesIntoIndex(vol.letter, vol.sizes);
            }
            if (cancelled()) return endCancelled();

            if (found) {
                std::unordered_map<uint64_t, int64_t> byRecord;
                byRecord.reserve(vol.sizes.size());
                for (const auto& [ref, pair] : vol.sizes) byRecord.try_emplace(ref & kFrnRecordMask, pair.size);
                view.SetPhase(3, DupStatus(L"Dup_PhaseFilter", L"按大小筛选", L"Filtering by size"));
                // Files the size map does not know (a map kept from before they were made) are
                // asked for their size by path rather than dropped as empty.
                std::vector<FilePathEntry> unknown;
                for (DupIndexFile& f : vol.files) {
                    if (cancelled()) return endCancelled();
                    int64_t size = -1;
                    if (auto it = vol.sizes.find(f.reference); it != vol.sizes.end()) {
                        size = it->second.size;
                    } else if (auto rec = byRecord.find(f.reference & kFrnRecordMask); rec != byRecord.end()) {
                        size = rec->second;
                    }
                    if (size < 0) {
                        unknown.push_back({f.reference, std::move(f.path)});
                    } else if (size >= req.minSize) {
                        candidates.push_back({std::move(f.path), size, 0});
                    }
                    if (++processed % 16384 == 0) {
                        view.progressDone = processed;
                        view.permille =
                            (uint32_t)std::min<uint64_t>(360, 280 + processed * 80 / std::max<uint64_t>(grandTotal, 1));
                        PostProgress(req.window);
                    }
                }
                if (!unknown.empty()) {
                    MftSizeMap found;
                    if (!BuildSizeMapFromPaths(unknown, found, nullptr, cancel)) return endCancelled();
                    for (FilePathEntry& e : unknown) {
                        auto it = found.find(e.frn);
                        if (it != found.end() && it->second.size >= req.minSize)
                            candidates.push_back({std::move(e.path), it->second.size, 0});
                    }
                    if (!found.empty()) MergeSizesIntoIndex(vol.letter, found);
                }
            } else {
                view.SetPhase(1, DupStatus(L"Dup_StatusNoIndex", L"索引未就绪，改为遍历文件夹...",
                                      L"Index not ready; falling back to folder walk..."));
                if (!FolderWalk(vol.letter, req, candidates) && cancelled()) return endCancelled();
                processed += vol.files.size();
            }
            vol.files.clear();
            vol.sizes.clear();
        }
        view.progressDone = processed;
    } else {
        view.SetPhase(1, DupStatus(L"Dup_StatusNoIndex", L"索引未就绪，改为遍历文件夹...",
                              L"Index not ready; falling back to folder walk..."));
        if (!req.allDrives) {
            if (!FolderWalk((wchar_t)towupper(req.drive), req, candidates) && cancelled()) return endCancelled();
        } else {
            const DWORD mask = GetLogicalDrives();
            for (int i = 0; i < 26; ++i) {
                const wchar_t letter = (wchar_t)(L'A' + i);
                if (!(mask & (1u << i)) || !IsFixedDrive(letter)) continue;
                if (!FolderWalk(letter, req, candidates) && cancelled()) return endCancelled();
            }
        }
    }
    if (cancelled()) return endCancelled();

    DupFileHashStore store;
    const bool hashing = req.mode != DupCompareMode::SizeOnly;
    const std::wstring storePath = GetDupCacheDir() + L"\\files.hash";
    if (hashing) store.Load(storePath);
    switch (req.mode) {
    case DupCompareMode::SizeOnly:
        view.SetPhase(3, DupStatus(L"Dup_StatusSizeOnly", L"按大小/扩展名分组（不计算哈希）...",
                              L"Grouping by size/extension (no hash)..."));
        break;
    case DupCompareMode::Fast:
        view.SetPhase(4, DupStatus(L"Dup_StatusHashFast", L"快速抽样比较（跳过完整哈希）...",
                              L"Fast sample compare (skip full hash)..."));
        break;
    case DupCompareMode::Exact:
        view.SetPhase(4, DupStatus(L"Dup_StatusHash", L"正在比较候选文件内容...", L"Comparing candidate file content..."));
        break;
    }
    PostProgress(req.window);

    std::vector<DupGroup> groups =
        DupBuildGroups(std::move(candidates), req.cancel.get(), &view.progressDone, &view.progressTotal, &view,
                       hashing ? &store : nullptr, req.mode);
    // Nothing is written while the program closes; a user's cancel keeps the hashes made so far.
    if (Closing()) return;
    if (cancelled()) {
        if (hashing && store.dirty()) store.Save(storePath);
        return endCancelled();
    }
    if (hashing && store.dirty()) store.Save(storePath);
    // A cache that cannot be written costs the next visit a scan; the groups are shown all the same.
    if (!SaveDupCache(req.cachePath, req.drive, req.minSize, req.signature, groups)) {
        LogGdi((L"dup_find_scan: group cache not written: " + req.cachePath).c_str());
    }
    const size_t count = groups.size();
    view.ParkResults(std::move(groups), false, gen);
    const wchar_t* key = req.mode == DupCompareMode::SizeOnly ? L"Dup_StatusDoneSizeFmt"
                         : req.mode == DupCompareMode::Fast  ? L"Dup_StatusDoneFastFmt"
                                                             : L"Dup_StatusDoneFmt";
    const wchar_t* english = req.mode == DupCompareMode::SizeOnly ? L"Found %zu size groups (no hash)"
                             : req.mode == DupCompareMode::Fast  ? L"Found %zu groups (fast mode)"
                                                                 : L"Found %zu duplicate groups";
    view.SetStatus(DupStatus(key, nullptr, english, {count}));
    view.running = false;
    PostMessageIfWindow(req.window, WM_APP_DUP_DONE, 1, 0);
}

}  // namespace

bool IsDupScanCancelled(uint64_t generation) {
    return g_dupScanGeneration.load() != generation || g_dupFindView.stopRequested.load() || Closing();
}

void ReportDupScanCancelled(uint64_t generation, HWND window) {
    if (g_dupScanGeneration.load() != generation || Closing()) return;
    g_dupFindView.running = false;
    g_dupFindView.SetStatus(DupStatus(L"Dup_StatusCancelled", L"扫描已取消", L"Scan cancelled"));
    PostMessageIfWindow(window, WM_APP_DUP_DONE, 0, 0);
}

bool CollectDupIndexSample(wchar_t drive, uint64_t* fileCount, std::vector<std::pair<uint64_t, uint64_t>>* samples) {
    *fileCount = 0;
    samples->clear();
    std::lock_guard<std::mutex> engine(g_searchEngine.mutex);
    for (const auto& holder : g_searchEngine.volumes) {
        if (!holder || !VolumeChosen(*holder, drive)) continue;
        VolumeIndex& v = *holder;
        std::vector<uint64_t> refs;
        {
            SrwShared lock(v.indexLock);
            refs.reserve(v.records.size() / 2 + 1);
            for (const FileRecord& r : v.records) {
                if (!r.deleted && !r.isDirectory) refs.push_back(r.frn);
            }
        }
        *fileCount += refs.size();
        DupSampleReferences(refs, RootLetter(v), samples);
        if (drive != L'*') break;
    }
    return *fileCount > 0 || drive == L'*';
}

uint64_t CurrentDupCacheSignature(wchar_t drive, int64_t minSize, DupCompareMode mode) {
    uint64_t count = 0;
    std::vector<std::pair<uint64_t, uint64_t>> samples;
    CollectDupIndexSample(drive, &count, &samples);
    return ComputeDupCacheSignature(drive, (uint64_t)minSize, (uint32_t)mode, samples, count);
}

bool LoadDupCache(HWND window, wchar_t drive) {
    DuplicateFindView& view = g_dupFindView;
    if (view.running.load()) return false;
    const wchar_t d = drive == L'*' ? L'*' : (wchar_t)towupper(drive);
    const uint64_t signature = CurrentDupCacheSignature(d, view.minSize, view.compareMode);
    std::vector<DupGroup> groups;
    if (!ReadDupCache(GetDupCachePath(d), d, view.minSize, signature, &groups)) return false;
    view.stopRequested = false;
    view.running = false;
    view.notifyWindow = window;
    view.drive = d;
    view.SetResults(std::move(groups), true);
    view.SetStatus(DupStatus(L"Dup_StatusCacheFmt", L"已加载缓存: %zu 组重复文件", L"Loaded cache: %zu duplicate groups",
                             {view.groups.size()}));
    PostMessageIfWindow(window, WM_APP_DUP_DONE, 1, 0);
    return true;
}

void RequestDupScanStop() {
    g_dupFindView.paused = false;
    g_dupFindView.stopRequested = true;
    std::lock_guard<std::mutex> lock(g_dupCancelMutex);
    if (g_dupCancel) g_dupCancel->store(true);
}

void StopDupScansForExit() {
    g_dupWindowClosing = true;
    RequestDupScanStop();
}

int RunningDupScanTasks() { return g_dupScanTasks.load(); }

bool WaitForDupScanTasks(uint32_t timeoutMs) {
    const uint64_t end = GetTickCount64() + timeoutMs;
    while (g_dupScanTasks.load() > 0) {
        if (GetTickCount64() >= end) return false;
        Sleep(10);
    }
    return true;
}

bool StartDupFindScanFor(HWND window, bool rescan, wchar_t drive, DupCompareMode mode) {
    DuplicateFindView& view = g_dupFindView;
    if (view.running.load()) {
        if (!rescan) return false;
        RequestDupScanStop();
    }
    drive = drive == L'*' ? L'*' : (wchar_t)towupper(drive);
    view.compareMode = mode;
    if (!rescan && LoadDupCache(window, drive)) return true;

    DupScanRequest req;
    req.window = window;
    req.minSize = view.minSize;
    req.drive = drive;
    req.allDrives = drive == L'*';
    req.cachePath = GetDupCachePath(drive);
    req.signature = CurrentDupCacheSignature(drive, view.minSize, mode);
    req.mode = mode;
    req.cancel = std::make_shared<std::atomic<bool>>(false);
    {
        std::lock_guard<std::mutex> lock(g_dupCancelMutex);
        if (g_dupCancel) g_dupCancel->store(true);
        g_dupCancel = req.cancel;
    }
    req.generation = ++g_dupScanGeneration;

    view.Reset();
    view.compareMode = mode;
    view.stopRequested = false;
    view.paused = false;
    view.running = true;
    view.notifyWindow = window;
    view.drive = drive;
    view.progressDone = 0;
    view.progressTotal = 1;
    view.phase = 1;
    view.SetStatus(req.allDrives ? DupStatus(L"Dup_StatusEnumAll", L"正在收集所有磁盘的索引...",
                                            L"Collecting all-drive index...")
                                     : DupStatus(L"Dup_StatusEnum", L"正在读取索引 / MFT 大小...",
                                            L"Reading index / MFT sizes..."));
    g_dupScanTasks.fetch_add(1);
    try {
        RunBackgroundTask(L"dup_find_scan", [req] {
            struct Count {
                ~Count() { g_dupScanTasks.fetch_sub(1); }
            } count;
            RunDupScanDriver(req);
        });
    } catch (...) {
        g_dupScanTasks.fetch_sub(1);
        view.running = false;
        view.SetStatus(DupStatus(L"Dup_StatusFailed", L"扫描失败", L"Scan failed"));
        LogBackgroundException(L"dup_find_scan");
        return false;
    }
    return true;
}

void RunDupScanDriver(const DupScanRequest& request) {
    try {
        ScanBody(request);
    } catch (...) {
        ReportDupScanFailed(request.generation, request.window, DupStatus(L"Dup_StatusFailed", L"扫描失败", L"Scan failed"));
        throw;
    }
}

bool TakeFinishedDupScan() {
    std::vector<DupGroup> groups;
    bool cached = false;
    uint64_t generation = 0;
    if (!g_dupFindView.TakeParkedResults(&groups, &cached, &generation)) return false;
    if (generation != g_dupScanGeneration.load() || g_dupFindView.running.load()) return false;
    g_dupFindView.SetResults(std::move(groups), cached);
    return true;
}
