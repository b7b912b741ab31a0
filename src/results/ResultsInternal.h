#pragma once
// Pieces shared by the result list's painters; not used outside src/results and its tests.
#include <string>
#include <vector>

#include "results/Results.h"

// Values a search-mode paint takes once, at its start.
struct ListPaintFrame {
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
