#pragma once
// The filter bar of the main window: one owner-drawn tag button per filter category (a row on top
// of the list or a left sidebar) and the size and date filter combos. UI thread.
#include <windows.h>

#include <string>
#include <vector>

#include "search/Filters.h"

// ---------------------------------------------------------------------------------------------

extern std::vector<HWND> g_filterButtons;
extern std::vector<int> g_filterButtonWidths;

// Top-bar placement as a pure function of the button widths (already scaled), the client width
// and the scaled constants: positions, one per width, and the resulting list top.
struct FilterBarMetrics {
    int leftMargin;  // S(20)
    int gap;         // S(8)
    int rowTop;      // S(74)
    int height;      // S(40)
    int bottomPad;   // S(16)
    int listPad;     // S(4)
    int listBase;    // S(70)
};
struct FilterBarLayout {
    std::vector<RECT> rects;
    int listAreaTop = 0;
};
FilterBarMetrics GetFilterBarMetrics();
FilterBarLayout ComputeFilterBarLayout(const std::vector<int>& widths, int clientWidth,
                                       const FilterBarMetrics& m);
// Width of a button from its measured name and count widths (count 0 = no count part).
int FilterButtonWidthFromParts(int nameWidth, int countWidth, bool hasCount);

int MeasureFilterButtonWidth(HWND button);
void LayoutFilterButtons();
void CreateFilterButtons();
std::wstring GetFilterDisplayName(int index, const FilterCategory& category);
void UpdateFilterButtonCounts();
void SelectFilterCategory(int index);

// Fills the size, date and unit combos in the UI language and selects the current modes.
void PopulateSizeDateFilterCombos();
