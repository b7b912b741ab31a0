// Column auto-sizing, the filter sidebar's scroll state and the row hit test over the visible
// set: the parts of the list geometry that read the result set and measure text.
#include <algorithm>

#include "i18n/I18n.h"
#include "index/Index.h"
#include "results/Results.h"
#include "search/Search.h"
#include "core/Window.h"
#include "ui/Ui.h"

namespace {

int MeasureText(HDC hdc, const std::wstring& text) {
    if (text.empty()) return 0;
    SIZE sz{};
    if (!GetTextExtentPoint32W(hdc, text.c_str(), static_cast<int>(text.size()), &sz)) return 0;
    return sz.cx;
}

}  // namespace

void AutoSizeColumns() {
    if (IsIconViewMode()) return;
    ResultListLayout l = CurrentResultListLayout();
    HWND main = (g_hMainWnd && IsWindow(g_hMainWnd)) ? g_hMainWnd : nullptr;
    HDC hdc = main ? GetDC(main) : nullptr;

    int typeHeader = -1;  // no DC: the Type column keeps its base width
    std::vector<int> extensionWidths;
    std::vector<int> pathWidths;
    if (hdc) {
        const int rowHeight = std::max(GetResultRowHeightIn(l), 1);
        const int listTop = GetResultsListTopIn(l);
        const int visibleHeight = std::max(l.clientHeight - ResultScale(l, 2) - listTop, ResultScale(l, 50));
        const int64_t first = std::max<int64_t>(l.scrollY / rowHeight, 0);
        const int64_t count = visibleHeight / rowHeight + 2;
        auto rows = GetVisibleResults();
        const int64_t end = rows ? std::min<int64_t>(first + count, static_cast<int64_t>(rows->size())) : 0;

        HFONT fallback = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        HGDIOBJ oldFont = SelectObject(hdc, g_fontUiSemibold ? g_fontUiSemibold : fallback);
        typeHeader = MeasureText(hdc, Tr(L"Header_Type", L"类型", L"Type"));
        SelectObject(hdc, g_fontUiMedium ? g_fontUiMedium : fallback);
        for (int64_t row = first; row < end; ++row) {
            const MatchItem& item = (*rows)[static_cast<size_t>(row)];
            VolumeIndex* v = item.volume;
            if (!v) continue;
            std::wstring name, path;
            bool live = false, isDir = false;
            AcquireSRWLockShared(&v->indexLock);
            if (item.recordIndex < v->records.size()) {
                const FileRecord& rec = v->records[item.recordIndex];
                live = !rec.deleted && rec.name && rec.nameLength > 0;
                if (live) {
                    name.assign(rec.name, rec.nameLength);
                    isDir = rec.isDirectory != 0;
                    path = v->BuildFullPath(item.recordIndex);
                }
            }
            ReleaseSRWLockShared(&v->indexLock);
            if (!live) continue;
            if (!isDir) extensionWidths.push_back(MeasureText(hdc, GetLowerExtension(false, name)));
            pathWidths.push_back(MeasureText(hdc, path));
        }
        SelectObject(hdc, oldFont);
        ReleaseDC(main, hdc);
    }
    AutoColumnWidths widths =
        ComputeAutoColumnWidths(l, typeHeader, extensionWidths, pathWidths, g_pathColumnMinWidth);
    g_columnWidths[5] = widths.type;
    g_columnWidths[6] = widths.path;
}

int64_t HitTestResultRow(int x, int y, const std::shared_ptr<std::vector<MatchItem>>& rows) {
    if (!rows) return -1;
    return HitTestResultRowIn(CurrentResultListLayout(), x, y, static_cast<int64_t>(rows->size()));
}

int64_t HitTestResultRow(int x, int y) { return HitTestResultRow(x, y, GetVisibleResults()); }
