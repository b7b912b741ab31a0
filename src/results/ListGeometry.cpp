// Geometry of the results list: view-mode metrics, the split of the client area, column
// positions and the row hit test. The *In functions are pure arithmetic over a layout snapshot.
#include "results/Results.h"

#include <algorithm>
#include <cwctype>

int g_viewMode = 0;
int g_columnWidths[kResultColumnCount] = {60, 280, 100, 160, 160, 72, 400};
int g_pathColumnMinWidth = 400;
int g_listAreaTop = 70;
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

std::wstring GetLowerExtension(bool isDirectory, const std::wstring& name) {
    if (isDirectory) return {};
    size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos || dot + 1 >= name.size()) return {};
    std::wstring ext = name.substr(dot);
    for (wchar_t& c : ext) c = static_cast<wchar_t>(std::towlower(c));
    return ext;
}
