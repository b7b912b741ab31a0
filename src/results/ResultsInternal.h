#pragma once
// Pieces shared by the result list's painters; not used outside src/results and its tests.
#include <string>
#include <vector>

#include "results/Results.h"

// Brushes and pens of one paint: the theme's objects, or (before they exist) stand-ins made
// from the current palette and deleted with the object, so a paint leaves no GDI object behind.
struct PaintTools {
    HBRUSH surface = nullptr;
    HBRUSH toolbar = nullptr;
    HBRUSH headerBg = nullptr;
    HBRUSH sidebarBg = nullptr;
    HBRUSH sidebarItemSel = nullptr;
    HBRUSH sidebarItemHover = nullptr;
    HBRUSH rowSel = nullptr;
    HBRUSH rowHover = nullptr;
    HBRUSH cellBg = nullptr;
    HBRUSH border = nullptr;
    HPEN dividerPen = nullptr;
    HPEN borderPen = nullptr;
    HPEN accentPen = nullptr;
    HPEN cellBorderPen = nullptr;
    PaintTools();
    ~PaintTools();
    PaintTools(const PaintTools&) = delete;
    PaintTools& operator=(const PaintTools&) = delete;

private:
    std::vector<HGDIOBJ> owned_;
};

// Fills a rounded box: the region (left, top, right + 1, bottom + 1) with radius x radius
// corners, or the plain box when the region cannot be made.
void FillRoundedBox(HDC hdc, const RECT& box, int radius, HBRUSH brush);

// The small shell icon of a folder, made once per process and never destroyed.
HICON GetDefaultFolderIcon();

// Row of the visible set and filter sidebar item under the mouse (-1 none).
int64_t GetHoveredResultRow();
int GetHoveredFilterIndex();

// Values a search-mode paint takes once, at its start.
struct ListPaintFrame {
    const PaintTools* tools = nullptr;
    ResultListLayout layout;  // sidebarWidth is W
    int rightEdge = 0;        // R
    int areaBottom = 0;       // B
    std::wstring highlightTerm;
    bool scrolling = false;
    bool gridLines = true;
};

// List mode rows and header into hdc (clipped to the list area, DC state restored).
// Returns true when a row on screen lacked attributes (the paint then asks for hydration).
bool PaintListRows(HDC hdc, const ListPaintFrame& frame, const std::vector<MatchItem>& rows);

// Icon modes: the cells on screen (clipped to the list area, DC state restored). In the large
// mode a paint with more than 48 files still waiting for a thumbnail restarts the settle timer
// (70 ms), but only when that set of files changed since the last restart.
void PaintIconViewRows(HDC hdc, const ListPaintFrame& frame, const std::vector<MatchItem>& rows);

// One cell of an icon-mode paint.
struct IconCellInfo {
    int64_t row = 0;  // index into the visible result set
    int32_t x = 0;    // top-left of the cell
    int32_t y = 0;
    std::wstring name;
    std::wstring fullPath;
    bool isDir = false;
    bool thumbnailEligible = false;        // a file with a thumbnail extension
    bool thumbnailCached = false;          // its thumbnail is cached at the mode's icon size
    bool thumbnailFailedRecently = false;  // its last thumbnail load failed within the retry time
    bool sizeKnown = false;                // size from a valid attribute-cache entry
    uint64_t size = 0;
};

// The cells on screen, line by line; rows whose record is gone get no cell. Cache state and
// sizes are filled in the large mode only.
std::vector<IconCellInfo> BuildIconCells(const ListPaintFrame& frame, const std::vector<MatchItem>& rows);
// Known sizes first (ascending, then by row), then the rest by row.
void SortThumbnailCandidates(std::vector<size_t>& indices, const std::vector<IconCellInfo>& cells);
// Indices of the cells still waiting for a thumbnail (eligible, not cached, not failed
// recently), in the order they are preferred.
std::vector<size_t> ThumbnailCandidates(const std::vector<IconCellInfo>& cells);

// Remembers the set of waiting files the settle timer was last restarted for.
class ThumbnailSettleGate {
public:
    // True when more than 48 candidates wait and they are not the set of the last restart.
    bool ShouldRestart(const std::vector<IconCellInfo>& cells, const std::vector<size_t>& candidates);

private:
    uint64_t last_ = 0;
    bool have_ = false;
};

// The header title of a List column with the sort arrow of the current sort column.
std::wstring GetResultHeaderTitle(int column);

// The row-number column's text of a row index: counted from 1, at least two digits.
std::wstring FormatRowNumber(int64_t row);
