#pragma once
// The duplicate scan as the window starts it: the group cache lookup (a valid cache of the
// drive is shown at once), the scan start on the UI thread and the scan driver that runs as the
// task "dup_find_scan" (candidates from the index with their sizes, or a folder walk, then
// grouping, both caches saved, the groups parked for the UI thread).
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "duplicates/DupTypes.h"

// Bumped by every scan start; a scan that sees another value ends without publishing.
extern std::atomic<uint64_t> g_dupScanGeneration;

// What the scan task takes with it.
struct DupScanRequest {
    HWND window = nullptr;
    uint64_t generation = 0;
    int64_t minSize = 1024;
    wchar_t drive = L'C';  // '*' for all fixed drives
    bool allDrives = false;
    std::wstring cachePath;
    uint64_t signature = 0;
    DupCompareMode mode = DupCompareMode::SizeOnly;
    // Set when this scan is to stop (Cancel, Back, a newer scan, the window going away). The
    // hash workers poll it; a newer scan never clears it.
    std::shared_ptr<std::atomic<bool>> cancel;
};

// True when the generation is stale, a stop was requested, or the program is closing.
bool IsDupScanCancelled(uint64_t generation);
// For a current generation (and not while closing): running off, "Scan cancelled", done 0.
void ReportDupScanCancelled(uint64_t generation, HWND window);

// The index sample of the drive ('*': every fixed drive) and its live-file count.
bool CollectDupIndexSample(wchar_t drive, uint64_t* fileCount, std::vector<std::pair<uint64_t, uint64_t>>* samples);
// The signature the group cache of this drive must carry to be shown for the present index.
uint64_t CurrentDupCacheSignature(wchar_t drive, int64_t minSize, DupCompareMode mode);

// UI thread. Shows the drive's group cache when it matches the present index, minimum size and
// compare mode: the view takes its groups, status "Loaded cache: ...", done 1 is posted.
// False (view untouched) while a scan runs or for a missing, stale or damaged cache.
bool LoadDupCache(HWND window, wchar_t drive);

// UI thread. Starts a scan of the drive in the mode (or, unless rescan, shows a valid cache
// instead). While a scan runs: nothing unless rescan, which stops it and starts anew. True when
// a scan was started or a cache shown.
bool StartDupFindScanFor(HWND window, bool rescan, wchar_t drive, DupCompareMode mode);

// Asks the running scan to stop (any thread): pause off, stop flag on, its workers cancelled.
void RequestDupScanStop();
// The window is going: every scan stops at once and writes nothing more.
void StopDupScansForExit();
// Scan tasks that have not ended yet.
int RunningDupScanTasks();
// Waits up to timeoutMs for every scan task to end; true when none is left.
bool WaitForDupScanTasks(uint32_t timeoutMs);

// The body of the task (tests run it on their own thread). An exception ends the scan as failed
// (running off, "Scan failed", done 0) and is passed on to the task's catch-all.
void RunDupScanDriver(const DupScanRequest& request);

// UI thread, on WM_APP_DUP_DONE: hands groups parked by the current scan to the view.
// True when the view took new groups.
bool TakeFinishedDupScan();
