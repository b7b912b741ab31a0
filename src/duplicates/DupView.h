#pragma once
// The state of the duplicate mode: scan flags and progress written by the scan and its hash
// workers, the worker slots, the groups shown, layout rectangles, scrolling, selection and
// hit testing. One instance, g_dupFindView.
//
// Threads: flags, progress, phase, permille and the time-out count are atomics. The status
// is guarded by `mutex`, the worker slots by `slotMutex` (never held together). The
// groups, totals, selection, scroll, hover and layout belong to the UI thread: a scan never
// writes them, it parks its finished groups with ParkResults and posts its done message; the
// UI thread then takes them over with TakeParkedResults and SetResults.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "duplicates/DupTypes.h"

constexpr int kDupWorkerSlots = 16;

// What the view's status says, kept as its text's key and counts rather than as text: the
// text is looked up each time it is shown, so it follows a switch of the UI language. The key
// and defaults are literals (static lifetime). No key: no status.
struct DupStatus {
    DupStatus() = default;
    DupStatus(const wchar_t* key, const wchar_t* chinese, const wchar_t* english,
              std::initializer_list<uint64_t> counts = {});
    // In the current language, the counts put into its placeholders; empty without a key.
    std::wstring Text() const;

    const wchar_t* key = nullptr;
    const wchar_t* chinese = nullptr;
    const wchar_t* english = nullptr;
    uint64_t counts[4] = {};
    int countCount = 0;
};

// The status of an idle view: how to start a scan.
DupStatus DupHintStatus();

// What lies under a point of the view.
struct DupHit {
    int32_t kind = 0;  // 0 nothing, 1 group row, 2 group scroll bar, 3 file row, 4 file scroll bar
    int32_t group = -1;
    int32_t file = -1;
};

class DuplicateFindView {
public:
    DuplicateFindView();

    std::mutex mutex;  // status (and the parked results)
    std::atomic<bool> running{false};
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> paused{false};
    std::atomic<uint64_t> progressDone{0};
    std::atomic<uint64_t> progressTotal{0};
    std::atomic<uint32_t> phase{0};  // 0 idle, 1..6 scan phases, 7 results shown
    std::atomic<uint32_t> permille{0};
    std::atomic<bool> resultsReady{false};
    std::atomic<bool> fromCache{false};
    std::atomic<uint32_t> timeoutCount{0};
    std::atomic<HWND> notifyWindow{nullptr};
    DupStatus status;  // under `mutex`; read it with GetStatusText
    wchar_t drive = 0;  // '*' all drives, a letter, or 0 after Reset
    int64_t minSize = 1024;
    DupCompareMode compareMode = DupCompareMode::SizeOnly;

    std::mutex slotMutex;
    std::wstring slotPath[kDupWorkerSlots];
    uint64_t slotStartTick[kDupWorkerSlots] = {};

    RECT headerRect{}, summaryRect{}, titleRect{}, statsRect{}, chipsRect{}, phaseLineRect{},
        currentFileRect{}, progressBarRect{}, groupHeaderRect{}, groupListRect{}, groupTrackRect{},
        groupThumbRect{}, fileHeaderRect{}, fileListRect{}, fileTrackRect{}, fileThumbRect{};
    int32_t groupRowHeight = 44;
    int32_t fileRowHeight = 30;
    int32_t scrollbarWidth = 11;
    int32_t layoutDpi = 96;
    bool groupBarShown = false;
    bool fileBarShown = false;

    std::vector<DupGroup> groups;
    uint64_t totalBytes = 0;  // at most INT64_MAX
    uint32_t totalFiles = 0;
    int32_t groupScroll = 0;
    int32_t fileScroll = 0;
    int32_t hoverGroup = -1;
    int32_t hoverFile = -1;
    int32_t selectedGroup = -1;
    int32_t focusFile = -1;
    int32_t anchorFile = -1;
    std::unordered_set<int32_t> selectedFiles;
    int32_t dragMode = 0;  // 0 none, 1 group bar, 2 file bar
    int32_t hoverBar = 0;  // 0 none, 1 group bar, 2 file bar
    // A delete being checked (DupDelete.h): the files are read before anything is deleted. The
    // summary card then shows the bytes read of the total.
    bool deleteChecking = false;
    uint64_t checkBytesDone = 0;
    uint64_t checkBytesTotal = 0;

    // Any thread.
    void SetWorkerFile(int slot, const std::wstring& path);
    void ClearWorkerFile(int slot);
    bool GetOldestWorkerFile(std::wstring* path, uint32_t* ageSeconds);
    void SetStatus(const DupStatus& status);
    // The status in the current language (empty when there is none).
    std::wstring GetStatusText();
    void SetPhase(uint32_t phase, const DupStatus& status);
    // Hand-over of a finished scan's groups (scan thread parks, UI thread takes), tagged with
    // the scan's generation so that the UI thread can drop the groups of a superseded scan.
    void ParkResults(std::vector<DupGroup> groups, bool fromCache, uint64_t generation = 0);
    bool TakeParkedResults(std::vector<DupGroup>* groups, bool* fromCache, uint64_t* generation = nullptr);

    // UI thread.
    void Reset();
    void SetResults(std::vector<DupGroup> groups, bool fromCache);
    // Each group's totalBytes, then totalBytes and totalFiles over the groups (both saturate
    // instead of wrapping).
    void RecomputeTotals();
    void SelectGroup(int i);
    bool IsFileSelected(int i) const;
    void SelectFile(int i);
    void ToggleFileSelection(int i);
    void SelectFileRange(int i);
    void SelectAllFiles();
    std::vector<std::wstring> GetSelectedPaths() const;
    bool GetPrimarySelectedPath(std::wstring* out) const;
    void ClampScroll();
    void UpdateScrollbars();
    void OnMouseWheel(int x, int y, int notches);
    bool BeginScrollbarDrag(int x, int y);
    void DragScrollTo(int y);
    DupHit HitTest(int x, int y) const;
    // Draws the whole mode into dc (the back buffer) from the layout rectangles; takes `mutex`
    // only for the status and `slotMutex` for the worker slots.
    void Paint(HDC dc, HFONT mainFont);

private:
    int SelectedFileCount() const;
    int MaxGroupScroll() const;
    int MaxFileScroll() const;
    void ClearSelection();

    std::vector<DupGroup> parkedGroups_;
    bool parkedFromCache_ = false;
    uint64_t parkedGeneration_ = 0;
    bool hasParked_ = false;
};

extern DuplicateFindView g_dupFindView;

// The scroll bar of one list: shown when the content is more than 2 pixels taller than the view.
void DupComputeScrollbar(const RECT& view, int content, int scroll, int scrollbarWidth, int dpi,
                         bool* shown, RECT* track, RECT* thumb);

// "0 B", "1023 B", "1.00 KB", "10.0 KB", "100 KB", ... up to TB; negative counts as 0.
std::wstring DupFormatByteSize(int64_t bytes);
// The progress of a delete's check: "Checking the copies before deleting: <done> of <total> read
// (Esc cancels)".
std::wstring DupDeleteCheckText(uint64_t done, uint64_t total);
// A filled and outlined rounded rectangle (radius limited to half the sides); nothing when empty.
void DupFillRoundRect(HDC dc, const RECT& r, int radius, COLORREF color);
// One scroll bar of the view (nothing when not shown).
void DupPaintBar(HDC dc, bool shown, const RECT& track, const RECT& thumb, bool hot);
