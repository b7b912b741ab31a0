// Keys and mouse of the search mode's results list: selection clicks, the slow second click that
// renames, drag start, column resizing, header sorting, the filter sidebar, hover tooltips and
// cursor shapes.
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <exception>

#include "core/Core.h"
#include "index/Index.h"
#include "results/FileActions.h"
#include "results/ListInput.h"
#include "results/Results.h"
#include "search/Search.h"
#include "shell/Shell.h"
#include "shell/ShellInternal.h"
#include "ui/Tooltip.h"
#include "ui/Ui.h"
#include "ui/WindowUnit.h"

namespace {

constexpr int kBorderGrip = 9;        // pixels either side of a column border (not scaled)
constexpr int kMinColumnWidth = 30;   // pixels (not scaled)
constexpr uint64_t kRenameClickMin = 500;
constexpr uint64_t kRenameClickMax = 1200;

bool g_dragPending = false;
POINT g_pressPoint{};
bool g_columnResizing = false;
int g_resizeColumn = -1;
int g_resizeStartX = 0;
int g_resizeStartWidth = 0;
bool g_tooltipCrashReported = false;

int SidebarWidth() { return g_filterLayoutSidebar ? g_filterSidebarWidth : 0; }
int ListX(int x) { return x - SidebarWidth() + g_scrollX; }
int HeaderHeight() { return ScaleForDpi(40); }
bool InHeaderBand(int y) { return !IsIconViewMode() && y >= g_listAreaTop && y < g_listAreaTop + HeaderHeight(); }

// The column under a list x (-1 past the last column); always Name in the icon views.
int ColumnAt(int xList) {
    if (IsIconViewMode()) return 1;
    int right = 0;
    for (int c = 0; c < kResultColumnCount; ++c) {
        right += g_columnWidths[c];
        if (xList < right) return c;
    }
    return -1;
}

// The column whose right border lies under a list x (0..5), else -1.
int ColumnBorderAt(int xList) {
    int right = 0;
    for (int c = 0; c < kResultColumnCount - 1; ++c) {
        right += g_columnWidths[c];
        if (std::abs(xList - right) < kBorderGrip) return c;
    }
    return -1;
}

int SidebarItemAt(int y) {
    const int pitch = std::max(GetFilterSidebarRowPitch(), 1);
    const int pad = ScaleForDpi(8);
    if (y < g_listAreaTop + pad) return -1;
    const int index = (y - g_listAreaTop + g_filterSidebarScrollY - pad) / pitch;
    return index >= 0 && index < static_cast<int>(g_filterButtons.size()) ? index : -1;
}

void InvalidateListArea(HWND hwnd) {
    RECT rc{0, g_listAreaTop, g_clientWidth, g_clientHeight};
    InvalidateRect(hwnd, &rc, FALSE);
}

void InvalidateSidebar(HWND hwnd) {
    RECT rc{0, g_listAreaTop, g_filterSidebarWidth, g_clientHeight};
    InvalidateRect(hwnd, &rc, FALSE);
}

void TrackLeave(HWND hwnd) {
    TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd, 0};
    TrackMouseEvent(&tme);
}

// The tip of a cell below and right of the pointer, kept on the monitor (ui/Tooltip.h).
void ShowTooltip(HWND hwnd, const std::wstring& text) {
    POINT anchor{};
    GetCursorPos(&anchor);
    anchor.x += ScaleForDpi(12);
    anchor.y += ScaleForDpi(20);
    ShowTrackingTooltip(hwnd, text, anchor);
}

// The hover text of a cell; false when the record index is beyond the volume's records.
bool CellText(const MatchItem& item, int column, std::wstring& text) {
    text.clear();
    VolumeIndex* v = item.volume;
    if (!v || column <= 0) return true;
    uint64_t frn = 0;
    bool isDir = false;
    std::wstring name;
    AcquireSRWLockShared(&v->indexLock);
    const bool inRange = item.recordIndex < v->records.size();
    if (inRange) {
        const FileRecord& r = v->records[item.recordIndex];
        frn = r.frn;
        isDir = r.isDirectory != 0;
        if (r.name) name.assign(r.name, r.nameLength);
    }
    ReleaseSRWLockShared(&v->indexLock);
    if (!inRange) return false;
    switch (column) {
    case 1:
    case 6: text = v->BuildFullPathLocked(item.recordIndex); break;
    case 5: text = GetLowerExtension(isDir, name); break;
    case 2:
        if (isDir) {
            uint64_t size = 0;
            if (v->GetFolderSize(frn, &size, false) && size > 0) text = FormatSize(static_cast<long long>(size));
        } else {
            FileAttrInfo info;
            SizePair pair;
            if (v->LookupAttr(frn, &info) && info.valid) text = FormatSize(static_cast<long long>(info.size));
            else if (v->LookupFileSize(frn, &pair)) text = FormatSize(pair.size);
        }
        break;
    case 3:
    case 4: {
        FileAttrInfo info;
        if (!v->LookupAttr(frn, &info) || !info.valid) {
            if (!IsScrollInteractionActive()) RequestVisibleAttrHydrationAsync();
        } else {
            text = FormatFileTime(column == 3 ? info.lastWrite : info.creation);
        }
        break;
    }
    default: break;
    }
    return true;
}

}  // namespace

bool ReportTooltipFault(const char* what) {
    if (g_tooltipCrashReported) return false;  // one report per run, not one per mouse move
    g_tooltipCrashReported = true;
    ThreadCrashRecord& record = GetThreadCrashRecord();
    if (what) {
        wchar_t message[385] = {};
        MultiByteToWideChar(CP_UTF8, 0, what, -1, message, 384);
        _snwprintf(record.extra, 511, L"mousemove tooltip std::exception: %ls", message);
        record.extra[511] = 0;
        WriteCrashReport(L"mousemove_tooltip_exception", nullptr);
    } else {
        _snwprintf(record.extra, 511, L"mousemove tooltip unknown exception");
        record.extra[511] = 0;
        WriteCrashReport(L"mousemove_tooltip_unknown_exception", nullptr);
    }
    return true;
}

namespace {

void UpdateHoverTooltip(HWND hwnd, int x, int y) {
    try {
        std::shared_ptr<std::vector<MatchItem>> rows = GetVisibleResults();
        if (!rows || rows->empty()) {
            HideTrackingTooltip(hwnd);
            return;
        }
        const int64_t row = HitTestResultRow(x, y, rows);
        const int column = ColumnAt(ListX(x));
        if (row < 0 || row >= static_cast<int64_t>(rows->size()) || column < 0) return;
        if (row == g_hoveredRow && column == g_hoveredColumn) return;
        const bool repaintRows = row != g_hoveredRow;
        g_hoveredRow = row;
        g_hoveredColumn = column;
        if (repaintRows) InvalidateListArea(hwnd);
        std::wstring text;
        if (!CellText((*rows)[static_cast<size_t>(row)], column, text)) {
            HideTrackingTooltip(hwnd);
            return;
        }
        ShowTooltip(hwnd, text);
    } catch (const std::exception& e) {
        HideTrackingTooltip(hwnd);
        ReportTooltipFault(e.what());
    } catch (...) {
        HideTrackingTooltip(hwnd);
        ReportTooltipFault(nullptr);
    }
}

void UpdateFilterHover(HWND hwnd, int x, int y) {
    int index = -1;
    if (g_filterLayoutSidebar) {
        if (x < g_filterSidebarWidth) index = SidebarItemAt(y);
    } else {
        POINT screen{x, y};
        ClientToScreen(hwnd, &screen);
        for (size_t i = 0; i < g_filterButtons.size(); ++i) {
            RECT rc{};
            if (IsWindowVisible(g_filterButtons[i]) && GetWindowRect(g_filterButtons[i], &rc) && PtInRect(&rc, screen)) {
                index = static_cast<int>(i);
                break;
            }
        }
    }
    if (index == g_hoveredFilterIndex) return;
    const int old = g_hoveredFilterIndex;
    g_hoveredFilterIndex = index;
    if (g_filterLayoutSidebar) {
        InvalidateSidebar(hwnd);
        return;
    }
    for (int i : {old, index})
        if (i >= 0 && i < static_cast<int>(g_filterButtons.size())) InvalidateRect(g_filterButtons[i], nullptr, FALSE);
}

void OnLButtonDown(HWND hwnd, WPARAM wParam, int x, int y) {
    if (OnOverlayScrollBarMouseDown(hwnd, x, y)) return;
    g_dragPending = false;
    const bool shift = (wParam & MK_SHIFT) != 0;
    const bool ctrl = (wParam & MK_CONTROL) != 0;
    if (g_filterLayoutSidebar && x < g_filterSidebarWidth) {
        const int index = SidebarItemAt(y);
        if (index >= 0) {
            g_hoveredFilterIndex = index;
            SelectFilterCategory(index);
            InvalidateListArea(hwnd);
        }
        return;
    }
    if (x < SidebarWidth()) return;
    const int xList = ListX(x);
    if (InHeaderBand(y)) {
        const int border = ColumnBorderAt(xList);
        if (border >= 0) {
            g_resizeColumn = border;
            g_resizeStartX = xList;
            g_resizeStartWidth = g_columnWidths[border];
            g_columnResizing = true;
            SetCapture(hwnd);
            return;
        }
        const int column = ColumnAt(xList);
        if (column >= 0) DoSortAsync(column, false);
        return;
    }
    if (y < GetResultsListTop()) return;
    std::shared_ptr<std::vector<MatchItem>> rows = GetVisibleResults();
    const int64_t row = HitTestResultRow(x, y, rows);
    if (row < 0 || !rows || row >= static_cast<int64_t>(rows->size())) {
        if (!ctrl && !shift) {
            ClearSelection();
            InvalidateListArea(hwnd);
        }
        return;
    }
    const int column = ColumnAt(xList);
    const uint64_t now = GetTickCount64();
    if (column == 1 && row == g_caretRow && row == g_lastNameClickRow && now - g_lastNameClickTick >= kRenameClickMin &&
        now - g_lastNameClickTick <= kRenameClickMax) {
        g_dragPending = false;
        g_lastNameClickTick = 0;
        g_lastNameClickRow = -1;
        BeginInlineRename();
        return;
    }
    if (shift) SelectRowRange(row);
    else if (ctrl) ToggleRowSelection(row);
    else if (!IsRowSelected(row)) SelectSingleRow(row);
    else if (g_selectedRows.size() > 1) g_caretRow = g_anchorRow = row;  // keep the selection to drag it
    else SelectSingleRow(row);
    g_lastNameClickTick = column == 1 ? now : 0;
    g_lastNameClickRow = column == 1 ? row : -1;
    SetFocus(hwnd);
    InvalidateListArea(hwnd);
    g_dragPending = true;
    g_pressPoint = POINT{x, y};
}

void OnMouseMove(HWND hwnd, int x, int y) {
    if (g_overlayScrollDrag == 1) {
        ScrollVerticalToTrackPoint(y);
        return;
    }
    if (g_overlayScrollDrag == 2) {
        ScrollHorizontalToTrackPoint(x);
        return;
    }
    if (g_columnResizing && g_resizeColumn >= 0) {
        const int width = std::max(kMinColumnWidth, g_resizeStartWidth + ListX(x) - g_resizeStartX);
        if (width != g_columnWidths[g_resizeColumn]) {
            g_columnWidths[g_resizeColumn] = width;
            ScheduleResultsRepaint(16);
        }
        return;
    }
    const int hover = HitTestOverlayScrollBars(x, y);
    if (hover != g_overlayScrollHover) {
        g_overlayScrollHover = hover;
        InvalidateRect(hwnd, nullptr, FALSE);
    }
    if (g_dragPending && (std::abs(x - g_pressPoint.x) >= GetSystemMetrics(SM_CXDRAG) ||
                          std::abs(y - g_pressPoint.y) >= GetSystemMetrics(SM_CYDRAG))) {
        g_dragPending = false;
        StartFileDrag(hwnd);
        return;
    }
    UpdateFilterHover(hwnd, x, y);
    if (x < SidebarWidth() || y < GetResultsListTop()) {
        if (g_hoveredRow >= 0) InvalidateListArea(hwnd);
        g_hoveredRow = -1;
        HideTrackingTooltip(hwnd);
        TrackLeave(hwnd);
        return;
    }
    UpdateHoverTooltip(hwnd, x, y);
    TrackLeave(hwnd);
}

void OnLButtonUp(HWND hwnd) {
    g_dragPending = false;
    if (g_overlayScrollDrag != 0) {
        g_overlayScrollDrag = 0;
        g_scrollDragging = false;
        g_lastScrollTick.store(GetTickCount64());
        ReleaseCapture();
        RelayoutResults();
        SetTimer(hwnd, TIMER_SCROLL_SETTLE, 350, nullptr);
        ScheduleResultsRepaint(16);
        return;
    }
    if (g_columnResizing) {
        g_columnResizing = false;
        g_resizeColumn = -1;
        ReleaseCapture();
        RelayoutResults();
        SaveWindowIni(hwnd);
        InvalidateRect(hwnd, nullptr, FALSE);
    }
}

void OnLButtonDoubleClick(HWND hwnd, int x, int y) {
    g_dragPending = false;
    g_lastNameClickTick = 0;
    g_lastNameClickRow = -1;
    if (x < SidebarWidth() || y < GetResultsListTop()) return;
    std::shared_ptr<std::vector<MatchItem>> rows = GetVisibleResults();
    const int64_t row = HitTestResultRow(x, y, rows);
    if (row < 0 || !rows || row >= static_cast<int64_t>(rows->size())) return;
    g_caretRow = row;
    InvalidateListArea(hwnd);
    ExecuteResultCommand(ResultCommand::Open);
}

bool OnKeyDown(HWND hwnd, WPARAM key) {
    const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    const HWND focus = GetFocus();
    const bool inSearchBox = focus && focus == g_hSearchEdit;
    switch (key) {
    case VK_RETURN:
        if (inSearchBox) return false;
        ExecuteResultCommand(ResultCommand::Open);
        return true;
    case VK_F2:
        if (g_hRenameEdit && focus == g_hRenameEdit) return false;
        BeginInlineRename();
        return true;
    case VK_DELETE:
        if (inSearchBox) return false;
        ExecuteResultCommand(shift ? ResultCommand::DeletePermanently : ResultCommand::MoveToRecycleBin);
        return true;
    default: break;
    }
    if (!ctrl || inSearchBox) return false;
    switch (key) {
    case 'C': ExecuteResultCommand(ResultCommand::CopyFiles); return true;
    case 'X': ExecuteResultCommand(ResultCommand::CutFiles); return true;
    case 'D': ExecuteResultCommand(ResultCommand::DeletePermanently); return true;
    default: return false;
    }
    (void)hwnd;
}

bool OnSetCursor(HWND hwnd, LPARAM lParam) {
    LPCWSTR cursor = IDC_ARROW;
    if (g_columnResizing) {
        cursor = IDC_SIZEWE;
    } else if (g_overlayScrollDrag || g_overlayScrollHover) {
        cursor = IDC_HAND;
    } else if (LOWORD(lParam) != HTCLIENT) {
        return false;
    } else {
        POINT pt{};
        GetCursorPos(&pt);
        ScreenToClient(hwnd, &pt);
        if (pt.x >= SidebarWidth() && InHeaderBand(pt.y) && ColumnBorderAt(ListX(pt.x)) >= 0) cursor = IDC_SIZEWE;
    }
    SetCursor(LoadCursorW(nullptr, cursor));
    return true;
}

// Hides the list's hover tip when what it points at goes away: another mode takes the client
// area, the window is deactivated, hidden or minimised, or a menu opens. It never consumes the
// message.
class ListTooltipUnit final : public WindowUnit {
public:
    void OnModeChanged(HWND /*window*/, int /*oldMode*/, int /*newMode*/) override {
        g_hoveredRow = -1;
        DropHoverTooltip();
    }
    bool OnMessage(HWND /*window*/, UINT msg, WPARAM wParam, LPARAM /*lParam*/, LRESULT& /*result*/) override {
        if ((msg == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) || (msg == WM_SHOWWINDOW && !wParam) ||
            (msg == WM_SIZE && wParam == SIZE_MINIMIZED) || msg == WM_ENTERMENULOOP)
            DropHoverTooltip();
        return false;
    }
};

}  // namespace

WindowUnit& ListTooltipWindowUnit() {
    static ListTooltipUnit unit;
    return unit;
}

bool HandleResultsListInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (msg) {
    case WM_INITMENUPOPUP:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_MENUCHAR:
        return ForwardMenuMessageToShellMenu(msg, wParam, lParam, result);
    default: break;
    }
    if (g_appMode != 0) return false;
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        return OnKeyDown(hwnd, wParam);
    case WM_LBUTTONDOWN:
        OnLButtonDown(hwnd, wParam, x, y);
        return true;
    case WM_MOUSEMOVE:
        OnMouseMove(hwnd, x, y);
        return true;
    case WM_LBUTTONUP:
        OnLButtonUp(hwnd);
        return true;
    case WM_LBUTTONDBLCLK:
        OnLButtonDoubleClick(hwnd, x, y);
        return true;
    case WM_MOUSELEAVE:
        if (g_hoveredRow >= 0) InvalidateListArea(hwnd);
        g_hoveredRow = -1;
        g_hoveredColumn = -1;
        if (g_hoveredFilterIndex >= 0) UpdateFilterHover(hwnd, -1, -1);
        g_hoveredFilterIndex = -1;
        g_overlayScrollHover = 0;
        HideTrackingTooltip(hwnd);
        MaybeTrimOnIdle();
        return true;
    case WM_SETCURSOR:
        if (OnSetCursor(hwnd, lParam)) {
            result = TRUE;
            return true;
        }
        return false;
    default:
        return false;
    }
}
