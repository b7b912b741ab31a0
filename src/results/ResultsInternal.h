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

// Icon modes: the cells on screen (clipped to the list area, DC state restored).
void PaintIconViewRows(HDC hdc, const ListPaintFrame& frame, const std::vector<MatchItem>& rows);

// The header title of a List column with the sort arrow of the current sort column.
std::wstring GetResultHeaderTitle(int column);

// The row-number column's text of a row index: counted from 1, at least two digits.
std::wstring FormatRowNumber(int64_t row);
