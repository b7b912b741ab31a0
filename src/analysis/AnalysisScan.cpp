#include "analysis/AnalysisScan.h"

#include <algorithm>
#include <chrono>
#include <cwctype>
#include <exception>

#include "analysis/AnalysisView.h"
#include "core/Core.h"
#include "core/Logs.h"
#include "core/Raii.h"
#include "core/Tasks.h"
#include "i18n/I18n.h"
#include "index/Index.h"
#include "index/MftScan.h"
#include "platform/VolumeIo.h"

std::atomic<uint64_t> g_analysisScanGeneration{0};
std::mutex g_analysisScanMutex;
std::vector<std::unique_ptr<DriveAnalysis>> g_analysisScanResults;
bool g_analysisScanAllDisks = false;
std::wstring g_analysisScanError;

DriveAnalysis::DriveAnalysis() {
    sizes.max_load_factor(1.0f);
    sizes.rehash(8);
}
DriveAnalysis::~DriveAnalysis() = default;

AnalysisScanJob::AnalysisScanJob() = default;
AnalysisScanJob::~AnalysisScanJob() = default;
AnalysisScanJob::AnalysisScanJob(AnalysisScanJob&&) noexcept = default;
AnalysisScanJob& AnalysisScanJob::operator=(AnalysisScanJob&&) noexcept = default;

void AnalysisScanJob::BindNames() {
    for (AnalysisIndexEntry& e : entries) {
        const size_t offset = reinterpret_cast<size_t>(e.name);
        e.name = offset + e.nameLength <= nameText.size() && e.nameLength ? nameText.data() + offset : nullptr;
        if (!e.name) e.nameLength = 0;
    }
}

void FillDriveAnalysisCaptions(DriveAnalysis* out, const std::wstring& root, const std::wstring& fileSystem) {
    out->letter = root.empty() ? L'C' : static_cast<wchar_t>(std::towupper(root[0]));
    out->fileSystem = fileSystem;
    const std::wstring path = std::wstring(1, out->letter) + L":\\";
    wchar_t label[261] = {};
    if (GetVolumeInformationW(path.c_str(), label, 260, nullptr, nullptr, nullptr, nullptr, 0) && label[0])
        out->volumeLabel = label;
    else
        out->volumeLabel.clear();
    NameDriveAnalysis(out);
    ULARGE_INTEGER freeToCaller{}, total{};
    if (GetDiskFreeSpaceExW(path.c_str(), &freeToCaller, &total, nullptr)) {
        out->totalBytes = total.QuadPart;
        out->freeBytes = freeToCaller.QuadPart;
    }
}

void NameDriveAnalysis(DriveAnalysis* drive) {
    drive->label = !drive->volumeLabel.empty() ? drive->volumeLabel : Tr(L"Drive_LocalDiskOnly", L"本地磁盘", L"Local Disk");
    drive->displayName = std::wstring(1, drive->letter) + L":  " + drive->label;
}

bool QueryAnalysisFile(const std::wstring& path, AnalysisFileFacts& out) {
    HANDLE h = VolumeIoCreateFile(path.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_STANDARD_INFO standard{};
    const bool ok = VolumeIoGetFileInformationByHandle(h, &info) != FALSE;
    const bool haveAllocation = GetFileInformationByHandleEx(h, FileStandardInfo, &standard, sizeof standard) != FALSE;
    VolumeIoCloseHandle(h);
    if (!ok) return false;
    out.reference = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    out.size = static_cast<int64_t>((static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    out.allocated = haveAllocation ? standard.AllocationSize.QuadPart : out.size;
    out.links = info.nNumberOfLinks;
    out.isFolder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return true;
}

std::vector<VolumeIndex*> GetAnalysisVolumes(bool all) {
    std::vector<VolumeIndex*> list;
    for (auto& v : g_searchEngine.volumes)
        if (v && v->available.load()) list.push_back(v.get());
    if (list.empty() || all) return list;
    const int i = g_analysisComboIndex.load();
    if (i >= 1 && static_cast<size_t>(i - 1) < list.size()) return {list[static_cast<size_t>(i - 1)]};
    return {list.front()};
}

AnalysisScanJob MakeAnalysisScanJob(VolumeIndex* volume, bool withPaths) {
    AnalysisScanJob job;
    job.volume = volume;
    DriveAnalysis captions;
    FillDriveAnalysisCaptions(&captions, volume->root, volume->fileSystem.Get());
    job.letter = captions.letter;
    job.volumeLabel = captions.volumeLabel;
    job.label = captions.label;
    job.fileSystem = captions.fileSystem;
    job.displayName = captions.displayName;
    job.totalBytes = captions.totalBytes;
    job.freeBytes = captions.freeBytes;
    job.isNtfs = _wcsicmp(job.fileSystem.c_str(), L"NTFS") == 0;

    SrwShared lock(volume->indexLock);
    job.indexJournalId = volume->usnJournalId;
    job.indexUsn = volume->nextUsn;
    size_t chars = 0, live = 0;
    for (const FileRecord& r : volume->records)
        if (!r.deleted) {
            chars += r.nameLength;
            ++live;
        }
    job.nameText.reserve(chars);
    job.entries.reserve(live);
    uint32_t index = 0;
    for (const FileRecord& r : volume->records) {
        const uint32_t recordIndex = index++;
        if (r.deleted) continue;
        AnalysisIndexEntry e;
        e.frn = r.frn;
        e.parentFrn = r.parentFrn;
        // An offset into nameText until BindNames (the text may still move).
        e.name = reinterpret_cast<const wchar_t*>(job.nameText.size());
        e.nameLength = r.name ? r.nameLength : 0;
        if (r.name) job.nameText.insert(job.nameText.end(), r.name, r.name + r.nameLength);
        e.isFolder = r.isDirectory ? 1 : 0;
        e.recordIndex = recordIndex;
        job.entries.push_back(e);
        if (!r.isDirectory) {
            ++job.fileEntries;
            if (withPaths) {
                std::wstring path = volume->BuildResolvedPath(recordIndex);
                if (!path.empty()) job.paths.push_back({r.frn, std::move(path)});
            }
        }
    }
    job.BindNames();
    return job;
}

namespace {

// Per-file sizes of a drive whose table could not be read: the paths come from the index.
bool SizesFromPaths(AnalysisScanJob& job, MftSizeMap& map, const SizeScanCancel& cancel) {
    if (job.paths.empty() && job.volume && job.fileEntries) {
        AnalysisScanJob again = MakeAnalysisScanJob(job.volume, true);
        job.paths = std::move(again.paths);
    }
    return BuildSizeMapFromPaths(job.paths, map, nullptr, cancel);
}

// One line per analysed drive in the perf log.
void LogDriveAnalysis(const DriveAnalysis& drive, std::chrono::steady_clock::time_point started, bool table,
                      bool cached, uint64_t reread, bool kept) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    wchar_t line[260];
    _snwprintf(line, 259,
               L"analysis drive=%lc files=%llu folders=%llu asked=%llu bytes=%lld ms=%lld table=%d cached=%d reread=%llu "
               L"kept=%d",
               drive.letter, static_cast<unsigned long long>(drive.model.fileCount),
               static_cast<unsigned long long>(drive.model.folderCount),
               static_cast<unsigned long long>(drive.model.filesAskedByPath),
               static_cast<long long>(drive.model.RootTotalSize()), static_cast<long long>(ms.count()), table ? 1 : 0,
               cached ? 1 : 0, static_cast<unsigned long long>(reread), kept ? 1 : 0);
    line[259] = 0;
    AppendPerfMetric(line);
}

void MergeIntoVolume(wchar_t letter, MftSizeMap map) {
    if (map.empty()) return;
    std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
    for (auto& v : g_searchEngine.volumes)
        if (v && !v->root.empty() && std::towupper(v->root[0]) == std::towupper(letter)) {
            v->MergeFileSizes(std::move(map));
            break;
        }
}

}  // namespace

AnalysisScanOutcome AnalyzeDrives(std::vector<AnalysisScanJob>& jobs, const AnalysisScanHooks& hooks) {
    AnalysisScanOutcome outcome;
    auto stop = [&] { return hooks.cancelled && hooks.cancelled(); };
    uint64_t unitTotal = 0, unitsDone = 0;
    for (const AnalysisScanJob& j : jobs) unitTotal += std::max<uint64_t>(j.entries.size(), 1);
    const SizeScanCancel cancel = [&] { return stop(); };
    const SizeScanProgress progress = [&](uint64_t, uint64_t) {
        if (hooks.progress) hooks.progress(unitsDone, std::max<uint64_t>(unitTotal, 1));
    };
    std::wstring lastError;
    for (AnalysisScanJob& job : jobs) {
        if (stop()) break;
        const auto started = std::chrono::steady_clock::now();
        MftSizeMap map;
        MftSizeMapStats stats;
        std::wstring error;
        bool ok = false, usedFallback = false;
        if (job.isNtfs) {
            const std::wstring cachePath = GetMftSizeCachePath(job.letter);
            ok = BuildMftSizeMap(job.letter, map, progress, cancel, &error, &cachePath, &stats);
            // The table could not be read: one query per file, from the index's paths.
            if (!ok && !stop()) {
                MftSizeMap fallback;
                if (SizesFromPaths(job, fallback, cancel) && !(fallback.empty() && job.fileEntries)) {
                    map = std::move(fallback);
                    ok = true;
                    error.clear();
                    stats = MftSizeMapStats{};
                    usedFallback = true;
                }
            }
        } else {
            ok = BuildSizeMapFromPaths(job.paths, map, progress, cancel);
            if (ok && map.empty() && job.fileEntries) {
                // Files listed, none measured: not an honest result of all zeros.
                ok = false;
            }
        }
        unitsDone += std::max<uint64_t>(job.entries.size(), 1);
        if (stop()) break;
        if (hooks.progress) hooks.progress(unitsDone, std::max<uint64_t>(unitTotal, 1));
        if (!ok) {
            lastError = error;
            continue;
        }
        auto drive = std::make_unique<DriveAnalysis>();
        drive->letter = job.letter;
        drive->volumeLabel = job.volumeLabel;
        drive->label = job.label;
        drive->fileSystem = job.fileSystem;
        drive->displayName = job.displayName;
        drive->totalBytes = job.totalBytes;
        drive->freeBytes = job.freeBytes;
        // A file the table does not know is empty, as long as its reference is a record of the
        // table (the table leaves empty files out). A reference beyond the table's records is a
        // further name of a file on a drive whose volume layer gives such names references of
        // their own: only those are asked by their path, and only where the references are the
        // file system's, so that its answer names the same files. On NTFS itself every name of a
        // file has the file's reference: nothing is asked.
        AnalysisFileQuery query;
        if (job.isNtfs)
            query = [&](const std::wstring& path, AnalysisFileFacts& facts) {
                return !stop() && QueryAnalysisFile(path, facts);
            };
        const bool built =
            drive->model.Build(job.entries.data(), job.entries.size(), map, job.letter, query, stats.fileRecords);
        // The volume keeps the map and the model every size it shows: the map is handed over,
        // not copied (the drive's own copy was never read again).
        MergeIntoVolume(job.letter, std::move(map));
        if (!built) {
            lastError.clear();
            continue;
        }
        drive->ready = true;
        drive->volume = job.volume;
        // Only sizes and an index that follow one journal make a model a rescan may keep.
        const bool tracked = job.isNtfs && !usedFallback && stats.journalId != 0 && stats.journalId == job.indexJournalId;
        drive->journalId = tracked ? stats.journalId : 0;
        drive->sizesUsn = stats.journalUsn;
        drive->indexUsn = job.indexUsn;
        LogDriveAnalysis(*drive, started, job.isNtfs && !usedFallback, stats.fromCache, stats.recordsReread, false);
        outcome.drives.push_back(std::move(drive));
    }
    outcome.stopped = stop();
    if (outcome.drives.empty()) outcome.error = lastError;
    return outcome;
}

namespace {

// AnalysisStillCurrent against a journal position the caller asked for.
bool StillCurrentAt(const DriveAnalysis& previous, VolumeIndex* volume, uint64_t journalId, int64_t journalNext) {
    if (!volume || !previous.ready || previous.volume != volume || previous.journalId == 0 ||
        journalId != previous.journalId)
        return false;
    {
        SrwShared lock(volume->indexLock);
        if (volume->usnJournalId != previous.journalId || volume->nextUsn != previous.indexUsn) return false;
    }
    // A rebuilt index starts with no sizes: the analysis hands them over again.
    {
        SrwShared lock(volume->fileSizesLock);
        if (volume->fileSizes.empty()) return false;
    }
    // Both the sizes and the index copy must have seen everything the journal holds now.
    return journalNext <= std::min(previous.sizesUsn, previous.indexUsn);
}

// The volume's index applies what its journal holds (up to `journalNext`) before it is copied:
// the sizes read next follow the same journal, and a file replaced a moment ago must not keep,
// in the copy, the reference the sizes no longer know (it would count as empty). Bounded; an
// index without a running monitor is copied as it is.
void LetIndexCatchUp(VolumeIndex* v, uint64_t journalId, int64_t journalNext, const std::function<bool()>& stop) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (v->monitorRunning.load()) {
        {
            SrwShared lock(v->indexLock);
            if (v->usnJournalId != journalId || v->nextUsn >= journalNext) return;
        }
        if (stop() || std::chrono::steady_clock::now() >= deadline) return;
        v->WakeUsnMonitor();
        Sleep(2);
    }
}

}  // namespace

bool AnalysisStillCurrent(const DriveAnalysis& previous, VolumeIndex* volume) {
    if (!volume || previous.volume != volume || previous.journalId == 0) return false;
    uint64_t journalId = 0;
    int64_t next = 0;
    return MftJournalPosition(previous.letter, &journalId, &next) && StillCurrentAt(previous, volume, journalId, next);
}

AnalysisScanOutcome AnalyzeVolumes(const std::vector<VolumeIndex*>& volumes,
                                   std::vector<std::unique_ptr<DriveAnalysis>> previous,
                                   const AnalysisScanHooks& hooks) {
    auto stop = [&] { return hooks.cancelled && hooks.cancelled(); };
    std::vector<std::unique_ptr<DriveAnalysis>> kept(volumes.size());
    std::vector<AnalysisScanJob> jobs;
    for (size_t i = 0; i < volumes.size() && !stop(); ++i) {
        VolumeIndex* v = volumes[i];
        // An index being built (again) does not hold all the drive's files yet: wait for it.
        while (v->building.load() && !stop()) Sleep(50);
        if (stop()) break;
        const auto started = std::chrono::steady_clock::now();
        // Where the drive's journal stands now, asked once for both uses below.
        uint64_t journalId = 0;
        int64_t journalNext = 0;
        const bool positioned = !v->root.empty() && _wcsicmp(v->fileSystem.Get().c_str(), L"NTFS") == 0 &&
                                MftJournalPosition(v->root[0], &journalId, &journalNext);
        for (auto& p : previous)
            if (positioned && p && StillCurrentAt(*p, v, journalId, journalNext)) {
                kept[i] = std::move(p);
                break;
            }
        if (kept[i]) {
            FillDriveAnalysisCaptions(kept[i].get(), v->root, v->fileSystem.Get());
            LogDriveAnalysis(*kept[i], started, true, true, 0, true);
            continue;
        }
        // The copy of the index is made here, on the worker, not on the UI thread.
        if (positioned) LetIndexCatchUp(v, journalId, journalNext, stop);
        AnalysisScanJob job = MakeAnalysisScanJob(v, false);
        if (!job.isNtfs) job = MakeAnalysisScanJob(v, true);
        jobs.push_back(std::move(job));
    }
    previous.clear();
    AnalysisScanOutcome fresh = AnalyzeDrives(jobs, hooks);
    AnalysisScanOutcome outcome;
    outcome.stopped = stop();
    if (outcome.stopped) return outcome;
    for (size_t i = 0; i < volumes.size(); ++i) {
        if (kept[i]) {
            outcome.drives.push_back(std::move(kept[i]));
            continue;
        }
        for (auto& d : fresh.drives)
            if (d && d->volume == volumes[i]) {
                outcome.drives.push_back(std::move(d));
                break;
            }
    }
    if (outcome.drives.empty()) outcome.error = fresh.error;
    return outcome;
}

namespace {

std::atomic<AnalysisVolumesScanner> g_volumesScanner{&AnalyzeVolumes};

struct ScanRequest {
    HWND window = nullptr;
    uint64_t generation = 0;
    bool all = false;
    std::vector<VolumeIndex*> volumes;
    // The drives the view showed (shared only to pass through the task's copyable closure).
    std::shared_ptr<std::vector<std::unique_ptr<DriveAnalysis>>> previous;
};

bool Current(uint64_t generation) {
    return g_analysisScanGeneration.load() == generation && !g_shuttingDown.load();
}

void FinishScan(const ScanRequest& req, bool published, bool anyDrive) {
    if (!Current(req.generation)) return;
    g_analysisView.busy.store(false);
    PostMessageIfWindow(req.window, WM_APP_ANALYSIS_DONE, published && anyDrive ? 1 : 0, 0);
}

void RunScan(const ScanRequest& req) {
    auto cancelled = [&] {
        return g_analysisScanGeneration.load() != req.generation || g_analysisView.cancel.load() ||
               g_shuttingDown.load();
    };
    try {
        std::vector<std::unique_ptr<DriveAnalysis>> previous;
        if (req.previous) previous = std::move(*req.previous);
        AnalysisScanHooks hooks;
        hooks.cancelled = cancelled;
        hooks.progress = [&](uint64_t done, uint64_t total) {
            if (g_analysisScanGeneration.load() != req.generation) return;
            g_analysisView.progressDone.store(done);
            g_analysisView.progressTotal.store(std::max<uint64_t>(total, 1));
            PostMessageIfWindow(req.window, WM_APP_ANALYSIS_PROGRESS, 0, 0);
        };
        AnalysisScanOutcome outcome = g_volumesScanner.load()(req.volumes, std::move(previous), hooks);
        if (cancelled()) {
            FinishScan(req, false, false);
            return;
        }
        const bool any = !outcome.drives.empty();
        {
            // A newer scan may have published already: a stale worker leaves its results alone.
            std::lock_guard<std::mutex> lock(g_analysisScanMutex);
            if (!Current(req.generation)) return;
            g_analysisScanResults = std::move(outcome.drives);
            g_analysisScanAllDisks = req.all;
            g_analysisScanError = any ? std::wstring() : outcome.error;
        }
        FinishScan(req, true, any);
    } catch (...) {
        // Whatever was thrown, the scan ends as failed: the view must not stay busy.
        try {
            std::lock_guard<std::mutex> lock(g_analysisScanMutex);
            if (Current(req.generation)) {
                g_analysisScanResults.clear();
                g_analysisScanError.clear();
            }
        } catch (...) {
        }
        LogBackgroundException(L"analysis_scan");
        FinishScan(req, true, false);
    }
}

}  // namespace

void SetAnalysisVolumesScanner(AnalysisVolumesScanner scanner) {
    g_volumesScanner.store(scanner ? scanner : &AnalyzeVolumes);
}

void StartDiskAnalysisScan(HWND window, bool force) {
    AnalysisView& view = g_analysisView;
    if (view.busy.load()) {
        if (!force) return;
        view.cancel.store(true);
    }
    const int combo = g_analysisComboIndex.load();
    const bool all = combo == 0;
    const uint64_t generation = ++g_analysisScanGeneration;
    std::vector<VolumeIndex*> volumes;
    {
        std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
        volumes = GetAnalysisVolumes(all);
    }
    if (volumes.empty()) {
        if (force) view.Reset();
        view.SetStatus(AnalysisStatus::NeedDrive);
        if (IsLiveWindow(window)) InvalidateRect(window, nullptr, FALSE);
        return;
    }
    // The shown drives go to the scan (it keeps those that are still current); the view lets go
    // of everything that points into them first.
    auto previous = std::make_shared<std::vector<std::unique_ptr<DriveAnalysis>>>();
    {
        std::lock_guard<std::mutex> lock(view.mutex);
        *previous = std::move(view.drives);
        view.drives.clear();
    }
    view.Reset();
    view.cancel.store(false);
    view.allDisksMode = all || volumes.size() > 1;
    view.busy.store(true);
    view.failed.store(false);
    view.ready.store(false);
    view.progressDone.store(0);
    view.progressTotal.store(0);
    view.SetStatus(all ? AnalysisStatus::ScanningAll : AnalysisStatus::ScanningDrive);
    InvalidateAnalysisLayout();
    if (IsLiveWindow(window)) InvalidateRect(window, nullptr, FALSE);

    ScanRequest req{window, generation, all, std::move(volumes), std::move(previous)};
    try {
        RunBackgroundTask(L"analysis_scan", [req] { RunScan(req); });
    } catch (const std::exception&) {
        // No thread: the view does not stay busy for ever.
        view.busy.store(false);
        view.failed.store(true);
        view.SetStatus(AnalysisStatus::Failed);
    }
}

void OnAnalysisScanDone(HWND window, WPARAM wParam) {
    std::vector<std::unique_ptr<DriveAnalysis>> list;
    bool allDisks = false;
    std::wstring error;
    {
        std::lock_guard<std::mutex> lock(g_analysisScanMutex);
        list = std::move(g_analysisScanResults);
        g_analysisScanResults.clear();
        allDisks = g_analysisScanAllDisks;
        error = g_analysisScanError;
    }
    AnalysisView& view = g_analysisView;
    if (wParam == 1 && !list.empty()) {
        view.TakeDrives(std::move(list), allDisks);
    } else {
        view.failed.store(true);
        view.ready.store(false);
        view.SetStatus(AnalysisStatus::Failed, error);
    }
    InvalidateAnalysisLayout();
    if (IsLiveWindow(window)) InvalidateRect(window, nullptr, FALSE);
}

void ClearAnalysisMailbox() {
    std::lock_guard<std::mutex> lock(g_analysisScanMutex);
    g_analysisScanResults.clear();
}
