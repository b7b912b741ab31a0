// Geometry of the results list: view-mode metrics, the split of the client area, column
// positions and the row hit test. The *In functions are pure arithmetic over a layout snapshot.
#include "results/Results.h"

#include <algorithm>
#include <cwctype>

#include "core/Window.h"
#include "ui/Ui.h"

int g_viewMode = 0;
int g_columnWidths[kResultColumnCount] = {60, 280, 100, 160, 160, 72, 400};
int g_pathColumnMinWidth = 400;
int g_listAreaTop = 70;
bool g_filterLayoutSidebar = false;
bool g_tableGridLines = true;
int g_filterSidebarWidth = 200;
int g_filterSidebarScrollY = 0;
int g_clientWidth = 0;
int g_clientHeight = 0;
int64_t g_scrollY = 0;
int g_scrollX = 0;

int ResultScale(const ResultListLayout& l, int value96) {
    return MulDiv(value96, l.dpi > 0 ? l.dpi : 96, 96);
}

bool IsIconViewModeIn(const ResultListLayout& l) {
    return l.viewMode == 1 || l.viewMode == 2;
}

int GetResultRowHeightIn(const ResultListLayout& l) {
    switch (l.viewMode) {
        case 1: return ResultScale(l, 84);
        case 2: return ResultScale(l, 112);
        default: return ResultScale(l, 44);
    }
}

int GetIconCellWidthIn(const ResultListLayout& l) {
    return ResultScale(l, l.viewMode == 2 ? 150 : 110);
}

int GetResultIconSizeIn(const ResultListLayout& l) {
    switch (l.viewMode) {
        case 1: return ResultScale(l, 24);
        case 2: return ResultScale(l, 48);
        default: return ResultScale(l, 16);
    }
}

int GetResultsListTopIn(const ResultListLayout& l) {
    return IsIconViewModeIn(l) ? l.listAreaTop : l.listAreaTop + ResultScale(l, 40);
}

int GetIconColumnsPerRowIn(const ResultListLayout& l, int width) {
    if (!IsIconViewModeIn(l)) return 1;
    int pitch = std::max(ResultScale(l, 72), GetIconCellWidthIn(l));
    if (pitch < 1) return 1;
    return std::max(width / pitch, 1);
}

int GetUsableClientWidthIn(const ResultListLayout& l) {
    return std::max(l.clientWidth - ResultScale(l, 2) - ResultScale(l, 10), 0);
}

int GetResultsRightEdgeIn(const ResultListLayout& l) {
    return std::max(l.sidebarWidth, GetUsableClientWidthIn(l));
}

int GetResultsAreaWidthIn(const ResultListLayout& l) {
    return std::max(GetResultsRightEdgeIn(l) - l.sidebarWidth, 0);
}

int GetTotalColumnWidthIn(const ResultListLayout& l) {
    int64_t total = 0;
    for (int w : l.columnWidths) total += std::max(w, 0);
    return static_cast<int>(std::min<int64_t>(total, INT32_MAX));
}

bool NeedsHorizontalScrollIn(const ResultListLayout& l) {
    if (IsIconViewModeIn(l)) return false;
    return GetTotalColumnWidthIn(l) > GetResultsAreaWidthIn(l);
}

int GetResultsAreaHeightIn(const ResultListLayout& l) {
    int bottom = std::max(l.clientHeight - ResultScale(l, 2), 0);
    if (NeedsHorizontalScrollIn(l)) bottom = std::max(bottom - ResultScale(l, 10), 0);
    return bottom;
}

int GetColumnLeftIn(const ResultListLayout& l, int column) {
    int x = l.sidebarWidth - l.scrollX;
    for (int c = 0; c < column && c < kResultColumnCount; ++c) x += l.columnWidths[c];
    return x;
}

int64_t HitTestResultRowIn(const ResultListLayout& l, int x, int y, int64_t rowCount) {
    if (rowCount <= 0) return -1;
    if (x < l.sidebarWidth) return -1;
    int top = GetResultsListTopIn(l);
    if (y < top) return -1;
    int64_t rowHeight = std::max(GetResultRowHeightIn(l), 1);
    int64_t line = (static_cast<int64_t>(y) - top + l.scrollY) / rowHeight;
    if (line < 0) return -1;
    int64_t row = line;
    if (IsIconViewModeIn(l)) {
        int cellWidth = std::max(GetIconCellWidthIn(l), 1);
        int column = (x - l.sidebarWidth) / cellWidth;
        int columns = GetIconColumnsPerRowIn(l, std::max(GetResultsAreaWidthIn(l), 1));
        if (column < 0 || column >= columns) return -1;
        row = line * columns + column;
    }
    return (row >= 0 && row < rowCount) ? row : -1;
}

AutoColumnWidths ComputeAutoColumnWidths(const ResultListLayout& l, int typeHeaderTextWidth,
                                         const std::vector<int>& extensionTextWidths,
                                         const std::vector<int>& pathTextWidths, int pathMinWidth) {
    AutoColumnWidths out;
    int type = ResultScale(l, 52);
    if (typeHeaderTextWidth >= 0) {
        type = std::max(type, typeHeaderTextWidth + ResultScale(l, 20) + ResultScale(l, 16));
        for (int w : extensionTextWidths) type = std::max(type, w + ResultScale(l, 20));
        type = std::min(ResultScale(l, 84), type);
    }
    out.type = type;
    int64_t fixed = 0;
    for (int c = 0; c < 5; ++c) fixed += l.columnWidths[c];
    fixed += type;
    int room = static_cast<int>(std::max<int64_t>(GetResultsAreaWidthIn(l) - fixed, 0));
    int minimum = std::max(ResultScale(l, 200), pathMinWidth);
    int widest = 0;
    for (int w : pathTextWidths) widest = std::max(widest, w);
    int path = std::max(room, minimum);
    if (widest > 0) path = std::max(path, widest + ResultScale(l, 20));
    out.path = path;
    return out;
}

SidebarScrollState ComputeSidebarScroll(int buttonCount, int clientHeight, int listAreaTop,
                                        int pad8, int pitch, int scrollY) {
    SidebarScrollState s;
    int available = std::max(clientHeight - listAreaTop - pad8, 0);
    pitch = std::max(pitch, 1);
    s.rowsThatFit = std::max((pad8 + available) / pitch, 1);
    int first = std::min(std::max(buttonCount - s.rowsThatFit, 0), std::max(scrollY, 0) / pitch);
    s.firstRow = std::max(first, 0);
    s.scrollY = s.firstRow * pitch;
    s.barNeeded = buttonCount > s.rowsThatFit;
    return s;
}

// ---------------------------------------------------------------------------------------------
// The same values from the current globals.

ResultListLayout CurrentResultListLayout() {
    ResultListLayout l;
    l.dpi = static_cast<int>(g_dpi);
    l.viewMode = g_viewMode;
    l.clientWidth = g_clientWidth;
    l.clientHeight = g_clientHeight;
    l.sidebarWidth = GetEffectiveSidebarWidth();
    l.listAreaTop = g_listAreaTop;
    for (int c = 0; c < kResultColumnCount; ++c) l.columnWidths[c] = g_columnWidths[c];
    l.scrollY = g_scrollY;
    l.scrollX = g_scrollX;
    return l;
}

int GetEffectiveSidebarWidth() {
    return g_filterLayoutSidebar ? std::max(g_filterSidebarWidth, 0) : 0;
}

int GetResultRowHeight() { return GetResultRowHeightIn(CurrentResultListLayout()); }
int GetIconCellWidth() { return GetIconCellWidthIn(CurrentResultListLayout()); }
int GetResultIconSize() { return GetResultIconSizeIn(CurrentResultListLayout()); }
int GetResultsListTop() { return GetResultsListTopIn(CurrentResultListLayout()); }
bool IsIconViewMode() { return g_viewMode == 1 || g_viewMode == 2; }
int GetIconColumnsPerRow(int width) { return GetIconColumnsPerRowIn(CurrentResultListLayout(), width); }
int GetFilterSidebarRowPitch() { return ScaleForDpi(44) + ScaleForDpi(8); }
int GetUsableClientWidth() { return GetUsableClientWidthIn(CurrentResultListLayout()); }
int GetResultsRightEdge() { return GetResultsRightEdgeIn(CurrentResultListLayout()); }
int GetResultsAreaWidth() { return GetResultsAreaWidthIn(CurrentResultListLayout()); }
int GetTotalColumnWidth() { return GetTotalColumnWidthIn(CurrentResultListLayout()); }
bool NeedsHorizontalScroll() { return NeedsHorizontalScrollIn(CurrentResultListLayout()); }
int GetResultsAreaHeight() { return GetResultsAreaHeightIn(CurrentResultListLayout()); }

void UpdateClientSize(HWND hwnd) {
    if (!hwnd || !IsWindow(hwnd)) return;
    RECT rc{};
    if (!GetClientRect(hwnd, &rc)) return;
    g_clientWidth = std::max<int>(rc.right - rc.left, 0);
    g_clientHeight = std::max<int>(rc.bottom - rc.top, 0);
}
