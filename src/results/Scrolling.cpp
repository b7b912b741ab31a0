// Scroll offsets of the results list, the hidden native scroll bars that carry their range, the
// overlay bar geometry, and the deferred repaint of the list area.
#include "results/Results.h"

#include <algorithm>

#include "results/ListInput.h"
#include "search/Search.h"
#include "core/Window.h"
#include "ui/Ui.h"

std::atomic<uint64_t> g_lastScrollTick{0};
bool g_scrollDragging = false;
int g_overlayScrollDrag = 0;
int g_overlayScrollHover = 0;
OverlayScrollBars g_overlayScrollBars;
std::atomic<bool> g_listRepaintPending{false};

namespace {

constexpr uint64_t kScrollActiveMs = 350;

bool MainWindowExists() { return g_hMainWnd && IsWindow(g_hMainWnd); }

// Lines of the visible set: rows in List mode, lines of cells in the icon modes.
int64_t ResultLineCount(const ResultListLayout& l) {
    int64_t rows = std::max<int64_t>(g_visibleResultCount.load(), 0);
    if (!IsIconViewModeIn(l)) return rows;
    int64_t columns = GetIconColumnsPerRowIn(l, std::max(GetResultsAreaWidthIn(l), 1));
    return (rows + columns - 1) / columns;
}

int ClampToInt(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

bool ScrollStillActive() {
    if (g_scrollDragging) return true;
    uint64_t last = g_lastScrollTick.load();
    return last != 0 && GetTickCount64() - last < kScrollActiveMs;
}

}  // namespace

bool IsScrollInteractionActive() { return ScrollStillActive(); }

void ScheduleResultsRepaint(UINT delayMs) {
    if (!MainWindowExists()) return;
    g_listRepaintPending.store(true);
    SetTimer(g_hMainWnd, TIMER_LIST_REPAINT, delayMs, nullptr);
}

void OnListRepaintTimer(HWND hwnd) {
    if (hwnd) KillTimer(hwnd, TIMER_LIST_REPAINT);
    if (g_listRepaintPending.exchange(false)) InvalidateResultsArea();
}

void InvalidateResultsArea() {
    if (!MainWindowExists()) return;
    RECT rc{0, g_listAreaTop, g_clientWidth, g_clientHeight};
    if (rc.bottom < rc.top) rc.bottom = rc.top;
    InvalidateRect(g_hMainWnd, &rc, FALSE);
}

void SetVerticalScroll(int64_t y) {
    ResultListLayout l = CurrentResultListLayout();
    int64_t rowHeight = std::max(GetResultRowHeightIn(l), 1);
    int64_t visible = std::max<int64_t>(GetResultsAreaHeightIn(l) - GetResultsListTopIn(l), 0);
    int64_t maximum = std::max<int64_t>(ResultLineCount(l) * rowHeight - visible, 0);
    y = std::clamp<int64_t>(y, 0, maximum);
    if (y == g_scrollY) return;
    g_scrollY = y;
    DropHoverTooltip();
    if (ScrollStillActive()) {
        ScheduleResultsRepaint(12);
        return;
    }
    if (!IsIconViewMode()) {
        AutoSizeColumns();
        LayoutNativeScrollBars();
        SetHorizontalScroll(g_scrollX);
    }
    auto hold = GetResultsSnapshot();
    UpdateScrollBar();
    InvalidateResultsArea();
}

void SetHorizontalScroll(int x) {
    int maximum = GetTotalColumnWidth() - GetResultsAreaWidth();
    x = std::clamp(x, 0, std::max(maximum, 0));
    if (x == g_scrollX) return;
    g_scrollX = x;
    DropHoverTooltip();
    if (g_overlayScrollDrag == 2) {
        ScheduleResultsRepaint(12);
        return;
    }
    HWND bar = MainWindowExists() ? GetDlgItem(g_hMainWnd, IDC_LIST_HSCROLL) : nullptr;
    if (bar) {
        SCROLLINFO si{sizeof(si), SIF_POS};
        si.nPos = g_scrollX;
        SetScrollInfo(bar, SB_CTL, &si, TRUE);
    }
    InvalidateResultsArea();
}

void UpdateScrollBar() {
    ResultListLayout l = CurrentResultListLayout();
    HWND main = MainWindowExists() ? g_hMainWnd : nullptr;
    HWND hbar = main ? GetDlgItem(main, IDC_LIST_HSCROLL) : nullptr;
    if (hbar) {
        SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS};
        si.nMin = 0;
        si.nMax = std::max(GetTotalColumnWidthIn(l) - 1, 0);
        si.nPage = static_cast<UINT>(std::max(GetResultsAreaWidthIn(l), 1));
        si.nPos = g_scrollX;
        SetScrollInfo(hbar, SB_CTL, &si, FALSE);
        ShowWindow(hbar, SW_HIDE);
    }
    if (!NeedsHorizontalScrollIn(l)) g_scrollX = 0;
    HWND vbar = main ? GetDlgItem(main, IDC_LIST_VSCROLL) : nullptr;
    if (vbar) {
        int rowHeight = std::max(GetResultRowHeightIn(l), 1);
        int64_t lines = ResultLineCount(l);
        SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS};
        si.nMin = 0;
        si.nMax = static_cast<int>(std::clamp<int64_t>(lines - 1, 0, INT32_MAX));
        si.nPage = static_cast<UINT>(
            std::max((GetResultsAreaHeightIn(l) - GetResultsListTopIn(l)) / rowHeight, 1));
        si.nPos = static_cast<int>(std::min<int64_t>(g_scrollY / rowHeight, INT32_MAX));
        SetScrollInfo(vbar, SB_CTL, &si, FALSE);
        ShowWindow(vbar, SW_HIDE);
    }
}

void LayoutNativeScrollBars() {
    if (!MainWindowExists()) return;
    UpdateClientSize(g_hMainWnd);
    int bottom = GetResultsAreaHeight();
    if (bottom > g_clientHeight) bottom = std::max(g_clientHeight - ScaleForDpi(2), 0);
    int sidebar = GetEffectiveSidebarWidth();
    HWND hbar = GetDlgItem(g_hMainWnd, IDC_LIST_HSCROLL);
    if (hbar)
        SetWindowPos(hbar, nullptr, sidebar, bottom, std::max(GetUsableClientWidth() - sidebar, 0),
                     ScaleForDpi(10), SWP_NOZORDER | SWP_NOACTIVATE);
    HWND sideBar = GetDlgItem(g_hMainWnd, IDC_SIDEBAR_VSCROLL);
    if (sideBar) {
        if (g_filterLayoutSidebar) {
            int x = std::max(g_filterSidebarWidth - ScaleForDpi(10), 0);
            int y = g_listAreaTop + ScaleForDpi(8);
            int height = std::max(bottom - y, 0);
            height = std::min(height, std::max(g_clientHeight - ScaleForDpi(2) - y, 0));
            SetWindowPos(sideBar, nullptr, x, y, ScaleForDpi(10), height, SWP_NOZORDER | SWP_NOACTIVATE);
        } else {
            ShowWindow(sideBar, SW_HIDE);
        }
    }
    HWND vbar = GetDlgItem(g_hMainWnd, IDC_LIST_VSCROLL);
    if (vbar) ShowWindow(vbar, SW_HIDE);
    if (hbar) ShowWindow(hbar, SW_HIDE);
}

void RelayoutResults() {
    if (MainWindowExists()) UpdateClientSize(g_hMainWnd);
    AutoSizeColumns();
    LayoutNativeScrollBars();
    UpdateScrollBar();
    LayoutNativeScrollBars();
    SetHorizontalScroll(g_scrollX);
}

void ComputeOverlayScrollBars() {
    ResultListLayout l = CurrentResultListLayout();
    OverlayScrollBars bars;
    const int R = GetResultsRightEdgeIn(l);
    const int L = l.sidebarWidth;
    const int T = GetResultsListTopIn(l);
    const int B = GetResultsAreaHeightIn(l);
    const int trackHeight = std::max(B - T, 0);
    const int areaWidth = std::max(R - L, 0);
    const int rowHeight = std::max(GetResultRowHeightIn(l), 1);
    const int inset = std::max(ResultScale(l, 1), 1);
    const int strip = ResultScale(l, 10);
    const int minThumb = ResultScale(l, 28);
    const int64_t lines = ResultLineCount(l);
    const int visibleLines = std::max(trackHeight / rowHeight, 1);

    if (lines > visibleLines && trackHeight > ResultScale(l, 24)) {
        bars.verticalVisible = true;
        bars.verticalTrack = {R, T, R + strip, B};
        int thumb = std::min(trackHeight, MulDiv(trackHeight, visibleLines, ClampToInt(lines)));
        thumb = std::max(thumb, minThumb);
        int64_t firstLine = l.scrollY / rowHeight;
        int64_t scrollable = std::max<int64_t>(lines - visibleLines, 0);
        int64_t freeTrack = std::max(trackHeight - thumb, 0);
        int offset = 0;
        if (freeTrack >= 1 && scrollable >= 1)
            offset = MulDiv(static_cast<int>(freeTrack), ClampToInt(std::min(firstLine, scrollable)),
                            ClampToInt(scrollable));
        bars.verticalThumb = {R + inset, T + offset, R + strip - inset, T + offset + thumb};
    }
    if (NeedsHorizontalScrollIn(l) && areaWidth > ResultScale(l, 24)) {
        bars.horizontalVisible = true;
        bars.horizontalTrack = {L, B, R, B + strip};
        int64_t total = std::max(GetTotalColumnWidthIn(l), 1);
        int64_t view = std::max(areaWidth, 1);
        int thumb = std::min(areaWidth, MulDiv(areaWidth, static_cast<int>(view), static_cast<int>(total)));
        thumb = std::max(thumb, minThumb);
        int64_t scrollable = std::max<int64_t>(total - view, 0);
        int64_t freeTrack = std::max(areaWidth - thumb, 0);
        int offset = 0;
        if (freeTrack >= 1 && scrollable >= 1)
            offset = MulDiv(static_cast<int>(freeTrack),
                            static_cast<int>(std::clamp<int64_t>(l.scrollX, 0, scrollable)),
                            static_cast<int>(scrollable));
        bars.horizontalThumb = {L + offset, B + inset, L + offset + thumb, B + strip - inset};
    }
    g_overlayScrollBars = bars;
}

