#pragma once
// The disk-analysis panel: its state (g_analysisView), the ring chart, navigation with history,
// breadcrumbs, scroll bars, hit testing, selection, painting, deletion, and the panel's layout.
// UI thread, except the atomics the scan worker writes.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "analysis/AnalysisModel.h"
#include "analysis/AnalysisScan.h"

// ---- Ring chart ------------------------------------------------------------------------------
struct RingSegment {
    double start = 0, sweep = 0;    // radians, counter-clockwise from +x, y up
    double innerRadius = 0, outerRadius = 0;
    uint64_t frn = 0;               // 0 for "Other"
    uint8_t isFolder = 0, isOther = 0;
    const wchar_t* name = L"";
    uint16_t nameLength = 0;
    int64_t size = 0;
    double percent = 0;
    COLORREF color = 0;
    int32_t rowIndex = -1;
};

struct SunburstChart {
    std::vector<RingSegment> segments;
    int cx = 0, cy = 0;
    double outerRadius = 0, innerRadius = 0;
    RECT rect{};
    std::wstring otherLabel;
    uint32_t otherCount = 0;
};

void LayoutSunburst(SunburstChart& chart, const std::vector<ChildEntry>& rows, const RECT& rect, COLORREF accent,
                    COLORREF folderBase);
// Segment index, -2 in the hole, -1 elsewhere (gaps included).
int SunburstHitTest(const SunburstChart& chart, int x, int y);
int FindSegmentForItem(const SunburstChart& chart, int rowIndex);
void PaintSunburst(const SunburstChart& chart, HDC dc, int hovered, uint64_t focusFrn, COLORREF bg, COLORREF border,
                   COLORREF text, COLORREF secondary, COLORREF accent, HFONT titleFont, HFONT valueFont,
                   const std::wstring& title, const std::wstring& value);

// ---- Panel -----------------------------------------------------------------------------------
struct AnalysisLocation {
    bool allDisks = false;
    int32_t drive = -1;
    uint64_t folder = 0;
    bool operator==(const AnalysisLocation& o) const {
        return allDisks == o.allDisks && drive == o.drive && folder == o.folder;
    }
};

struct AnalysisBreadcrumb {
    RECT rect{};
    std::wstring text;
    bool allDisks = false;
    int32_t drive = -1;
    uint64_t frn = 0;
};

enum AnalysisHitKind : int32_t {
    kHitNone = 0, kHitRows = 1, kHitRing = 2, kHitPathBar = 3, kHitUp = 4, kHitHeader = 5, kHitCrumb = 6,
    kHitRowScroll = 7, kHitExtHeader = 8, kHitExtList = 9, kHitExtScroll = 10, kHitHole = 11
};

struct AnalysisHit {
    int32_t kind = kHitNone;
    int32_t index = -1;
    uint64_t frn = 0;
    uint8_t isFolder = 0;
    int32_t crumb = -1;
};

// Drive rows of the All-Disks level carry FRNs with the top 16 bits set.
inline uint64_t MakeDriveRowFrn(uint32_t index) { return 0xFFFF000000000000ull + index; }
inline bool IsDriveRowFrn(uint64_t frn) { return (frn >> 48) == 0xFFFF; }

enum class AnalysisStatus { None, NeedDrive, ScanningAll, ScanningDrive, Done, Failed };

class AnalysisView {
public:
    AnalysisView();
    ~AnalysisView();

    SunburstChart chart;
    std::mutex mutex;               // drives, status, errorText
    std::atomic<bool> busy{false}, cancel{false}, failed{false};
    std::atomic<uint64_t> progressDone{0}, progressTotal{0};
    // What the panel's status says, kept as a state and looked up when it is shown (so that it
    // follows a language switch); errorText is what the system said of a failure (not
    // translated; empty when nothing more is known than that the scan failed).
    AnalysisStatus status = AnalysisStatus::None;
    std::wstring errorText;
    bool allDisksMode = false;
    int32_t currentDrive = -1;
    std::vector<std::unique_ptr<DriveAnalysis>> drives;
    uint64_t currentFolder = 0;
    uint64_t focusFrn = 0;
    std::unordered_set<uint64_t> selection;
    int32_t anchorRow = -1, hoveredRow = -1, hoveredSegment = -1, hoveredExtRow = -1, hoveredCrumb = -1;
    int32_t rowScroll = 0, extScroll = 0, draggedBar = 0, hoveredBar = 0;
    std::atomic<bool> ready{false};
    bool extExpanded = true;
    wchar_t summaryLetter = 0;
    std::wstring summaryLabel, summaryFileSystem;
    uint64_t totalBytes = 0, freeBytes = 0;

    // Layout (ComputeAnalysisLayout).
    RECT topRect{}, headerRect{}, donutRect{}, headerTextRect{}, toolbarRect{}, pathBarRect{}, upRect{}, ringRect{},
        rowsPanelRect{}, extHeaderRect{}, extListRect{}, rowListRect{};
    RECT rowTrack{}, rowThumb{}, extTrack{}, extThumb{};
    int rowHeight = 34, extRowHeight = 28, scrollbarWidth = 11, sizeColWidth = 78, shareColWidth = 56,
        extCountColWidth = 78, extSizeColWidth = 68, pathLabelWidth = 44, layoutDpi = 96;
    bool rowBarVisible = false, extBarVisible = false;

    std::vector<ChildEntry> rows;
    std::vector<ExtStat> extRows;
    std::vector<AnalysisBreadcrumb> crumbs;
    std::vector<ChildEntry> driveRows;
    std::wstring ringTitle, ringValue;
    COLORREF chartAccent = RGB(0x42, 0xB8, 0x83);
    COLORREF folderBase = RGB(0x3A, 0x9E, 0x72);
    std::vector<AnalysisLocation> backStack, forwardStack;
    bool fromHistory = false;

    // The status in the current language (empty for none); takes `mutex`.
    std::wstring StatusText();
    void SetStatus(AnalysisStatus newStatus, const std::wstring& error = {});

    // State and navigation.
    void Reset();
    // After a language switch: the drives' default names, the summary and the rows in the new
    // language.
    void Relocalize();
    DriveAnalysis* CurrentDrive() const;
    DiskAnalysisModel* CurrentModel() const;
    void UpdateSummary();
    void Rebuild();
    bool CanGoUp() const;
    void GoUp();
    void ShowAllDisks();
    void OpenDrive(int32_t index);
    void NavigateTo(uint64_t frn);
    void OnBreadcrumbClick(int32_t index);
    void PushHistory(const AnalysisLocation& previous);
    bool GoBack();
    bool GoForward();
    bool IsAllDisksLocation() const { return allDisksMode && currentDrive < 0; }
    AnalysisLocation CurrentLocation() const;

    // Breadcrumbs and scroll bars.
    void LayoutBreadcrumbs();
    void AddBreadcrumb(const std::wstring& text, bool allDisks, int32_t drive, uint64_t frn);
    void ClampScroll();
    void UpdateScrollbars();
    void OnMouseWheel(bool rowsList, int notches);
    bool BeginScrollbarDrag(int x, int y);
    void DragScrollbar(int y);
    int RowScrollMax() const;
    int ExtScrollMax() const;

    // Hit testing and selection.
    AnalysisHit HitTest(int x, int y) const;
    bool IsSelectableRow(int32_t row) const;
    bool IsSelected(uint64_t frn) const { return frn != 0 && selection.count(frn) != 0; }
    void SelectRow(int32_t row);
    void ToggleRowSelection(int32_t row);
    void SelectRowRange(int32_t row);
    void SelectAllFiles();
    std::vector<uint64_t> GetSelectedFrns() const;
    std::vector<std::wstring> GetSelectedPaths() const;

    // Painting (Part of the main painter's back buffer).
    void Paint(HDC dc, HFONT panelFont, HFONT uiFont);

    // A finished scan's drives become the view's; the first location is All Disks, or the root of
    // the only drive.
    void TakeDrives(std::vector<std::unique_ptr<DriveAnalysis>> list, bool allDisks);

private:
    // Location change without history: selection, anchor and row scroll start afresh.
    void MoveTo(int32_t drive, uint64_t folder, bool summary);
    void ApplyHistoryEntry(const AnalysisLocation& entry);
    void ClearChart();
};

extern AnalysisView g_analysisView;

int32_t GetAnalysisItemIndex(const AnalysisHit& hit);
std::wstring GetAnalysisItemPath(uint64_t frn);

// Deletes the selected files (recycle or for good) and takes them out of the model.
// `deleter` defaults to DeleteFilesWithConfirm (tests pass their own).
using AnalysisDeleter = std::vector<std::wstring> (*)(const std::vector<std::wstring>& paths, bool recycle);
void DeleteSelectedInAnalysisView(bool recycle, AnalysisDeleter deleter = nullptr);

// ---- Layout and controls ---------------------------------------------------------------------
extern std::atomic<int> g_analysisComboIndex;  // 0 = All Drives
void ComputeAnalysisLayout();
void InvalidateAnalysisLayout();
COLORREF BlendColor(COLORREF a, COLORREF b, int percentOfA);
std::wstring FormatItemCount(uint64_t count);
std::wstring ExtensionLabel(const std::wstring& extension);
