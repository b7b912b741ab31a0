// The selection of the result list: rows of the visible set, caret and anchor.
#include <algorithm>

#include "search/Search.h"

std::unordered_set<int64_t> g_selectedRows;
int64_t g_caretRow = -1;
int64_t g_anchorRow = -1;

void ClearSelection() {
    g_selectedRows.clear();
    g_caretRow = -1;
    g_anchorRow = -1;
}

bool IsRowSelected(int64_t row) { return g_selectedRows.count(row) != 0; }

void SelectSingleRow(int64_t row) {
    g_selectedRows.clear();
    if (row >= 0) {
        g_selectedRows.insert(row);
        g_caretRow = g_anchorRow = row;
    } else {
        g_caretRow = g_anchorRow = -1;
    }
}

void ToggleRowSelection(int64_t row) {
    if (row < 0) return;
    if (!g_selectedRows.erase(row)) g_selectedRows.insert(row);
    g_caretRow = g_anchorRow = row;
    if (g_selectedRows.empty()) g_caretRow = g_anchorRow = -1;
}

void SelectRowRange(int64_t row) {
    if (row < 0) return;
    if (g_anchorRow < 0) g_anchorRow = row;
    g_selectedRows.clear();
    const int64_t lo = std::min(g_anchorRow, row);
    const int64_t hi = std::max(g_anchorRow, row);
    for (int64_t r = lo; r <= hi; ++r) g_selectedRows.insert(r);
    g_caretRow = row;
}

std::vector<int64_t> GetSelectedRowIndices(int64_t rowCount) {
    std::vector<int64_t> out;
    for (int64_t r : g_selectedRows)
        if (r >= 0 && r < rowCount) out.push_back(r);
    std::sort(out.begin(), out.end());
    return out;
}
