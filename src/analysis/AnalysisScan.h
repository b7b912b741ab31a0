#pragma once
// The disk-analysis scan: a snapshot of the chosen drives' name indexes, a size for every file
// (the MFT size scanner, else one query per file), one DiskAnalysisModel per drive, and the
// hand-over of the finished drives to the UI thread through a locked mailbox.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "analysis/AnalysisModel.h"
#include "index/FileSizes.h"
#include "index/VolumeIndex.h"

// One analysed drive (owned by the mailbox, then by the view).
struct DriveAnalysis {
    DriveAnalysis();
    ~DriveAnalysis();
    DriveAnalysis(const DriveAnalysis&) = delete;
    DriveAnalysis& operator=(const DriveAnalysis&) = delete;

    wchar_t letter = L'C';
    std::wstring volumeLabel;       // the volume's own label; empty: none (see NameDriveAnalysis)
    std::wstring label;
    std::wstring fileSystem;
    std::wstring displayName;       // "X:  label"
    uint64_t totalBytes = 0;
    uint64_t freeBytes = 0;
    DiskAnalysisModel model;
    MftSizeMap sizes;               // empty after a scan: the drive's volume keeps the sizes
    bool ready = false;
    // What the model was made from, so that a rescan can tell whether it is still current:
    // the volume, the change journal the sizes follow (0: none, the model is never kept) and
    // the journal positions the sizes and the copy of the index had reached.
    VolumeIndex* volume = nullptr;
    uint64_t journalId = 0;
    int64_t sizesUsn = 0;
    int64_t indexUsn = 0;
};

// The input of one drive, copied out of its index.
struct AnalysisScanJob {
    AnalysisScanJob();
    ~AnalysisScanJob();
    AnalysisScanJob(AnalysisScanJob&&) noexcept;
    AnalysisScanJob& operator=(AnalysisScanJob&&) noexcept;

    wchar_t letter = L'C';
    bool isNtfs = false;
    std::vector<wchar_t> nameText;            // every record's name, one after another
    std::vector<AnalysisIndexEntry> entries;  // name pointers into nameText (see BindNames)
    std::vector<FilePathEntry> paths;         // files with their full paths (per-file sizes)
    uint64_t fileEntries = 0;
    std::wstring volumeLabel, label, fileSystem, displayName;
    uint64_t totalBytes = 0, freeBytes = 0;
    VolumeIndex* volume = nullptr;            // volumes live until the process ends
    uint64_t indexJournalId = 0;              // the index's journal and the position it had
    int64_t indexUsn = 0;                     // applied when the copy was made

    // Points every entry's name at its text (entries hold offsets until then).
    void BindNames();
};

// What the file system says of the file a path names, through the volume layer (so that the
// reference is the one the drive's index uses). False when it cannot be opened.
bool QueryAnalysisFile(const std::wstring& path, AnalysisFileFacts& out);

// Letter, label, file system, display name, total and free bytes of a drive.
void FillDriveAnalysisCaptions(DriveAnalysis* out, const std::wstring& root, const std::wstring& fileSystem);
// label and displayName from the letter and the volume's own label, or, for a volume without
// one, the current language's name of a local disk (again after a language switch).
void NameDriveAnalysis(DriveAnalysis* drive);

// The available volumes to analyse (caller holds the engine mutex): all of them, or the one the
// drive combo chose (saved index i: volume i - 1), else the first.
std::vector<VolumeIndex*> GetAnalysisVolumes(bool all);

// Copies one volume's live records into a job (takes the volume's index lock shared). With
// withPaths the full path of every file is collected too.
AnalysisScanJob MakeAnalysisScanJob(VolumeIndex* volume, bool withPaths);

// Hooks of one scan run.
struct AnalysisScanHooks {
    std::function<bool()> cancelled;                       // true: stop
    std::function<void(uint64_t done, uint64_t total)> progress;  // finished units of the run
};

// The result of AnalyzeDrives.
struct AnalysisScanOutcome {
    std::vector<std::unique_ptr<DriveAnalysis>> drives;
    // Why no drive was analysed, in the system's words (not translated): empty when at least
    // one drive was analysed, or when nothing more is known than that it failed.
    std::wstring error;
    bool stopped = false;           // cancelled
};

// Sizes and models of the jobs' drives (the worker's body; any thread). Sizes found are merged
// into the matching volume of the engine. Logs one line per analysed drive to the perf log.
AnalysisScanOutcome AnalyzeDrives(std::vector<AnalysisScanJob>& jobs, const AnalysisScanHooks& hooks);

// True when nothing on the previous analysis's drive changed since it was made: same volume,
// the model made from sizes and an index copy that followed the drive's journal, and neither
// that journal nor the index moved past those positions since.
bool AnalysisStillCurrent(const DriveAnalysis& previous, VolumeIndex* volume);

// An analysis of the volumes (the worker's body). A previous drive that is still current is
// kept as it is (captions refreshed); the other volumes are copied out of their indexes and
// analysed again. The drives come back in the order of `volumes`.
AnalysisScanOutcome AnalyzeVolumes(const std::vector<VolumeIndex*>& volumes,
                                   std::vector<std::unique_ptr<DriveAnalysis>> previous,
                                   const AnalysisScanHooks& hooks);

// The body the scan's worker runs (AnalyzeVolumes; tests put their own, null restores it).
using AnalysisVolumesScanner = AnalysisScanOutcome (*)(const std::vector<VolumeIndex*>& volumes,
                                                       std::vector<std::unique_ptr<DriveAnalysis>> previous,
                                                       const AnalysisScanHooks& hooks);
void SetAnalysisVolumesScanner(AnalysisVolumesScanner scanner);

// Generation of the scans: every start increments it.
extern std::atomic<uint64_t> g_analysisScanGeneration;

// Mailbox between the worker and the UI thread.
extern std::mutex g_analysisScanMutex;
extern std::vector<std::unique_ptr<DriveAnalysis>> g_analysisScanResults;
extern bool g_analysisScanAllDisks;
extern std::wstring g_analysisScanError;  // AnalysisScanOutcome::error of the last scan

// Starts a scan of the drive combo's choice (UI thread). force: the Scan/Rescan button and the
// drive combo; without it a running scan is left alone. The view's drives go to the scan, which
// keeps those whose drive has not changed.
void StartDiskAnalysisScan(HWND window, bool force);
// WM_APP_ANALYSIS_DONE on the UI thread: moves the mailbox into the view.
void OnAnalysisScanDone(HWND window, WPARAM wParam);
// Drops whatever waits in the mailbox (exit).
void ClearAnalysisMailbox();
