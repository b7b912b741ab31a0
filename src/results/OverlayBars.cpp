// Drawing of the two overlay scroll bars into the back buffer.
#include "results/Results.h"
#include "results/ListInput.h"
#include "results/ResultsInternal.h"
#include "core/Window.h"
#include "search/Search.h"
#include "ui/Ui.h"

#include <algorithm>

void DrawOverlayScrollBars() {
    HDC hdc = g_hBackBufferDC;
    if (!hdc) return;
    ComputeOverlayScrollBars();
    const OverlayScrollBars& bars = g_overlayScrollBars;
    if (!bars.verticalVisible && !bars.horizontalVisible) return;
    HBRUSH track = CreateSolidBrush(g_uiPalette.surface);
    HBRUSH thumb = CreateSolidBrush(g_uiPalette.scrollThumb);
    HBRUSH thumbHot = CreateSolidBrush(g_uiPalette.scrollThumbHot);
    const int radius = ScaleForDpi(3);
    auto drawBar = [&](const RECT& trackRect, const RECT& thumbRect, int which) {
        if (track) FillRect(hdc, &trackRect, track);
        if (IsRectEmpty(&thumbRect)) return;
        bool hot = g_overlayScrollHover == which || g_overlayScrollDrag == which;
        FillRoundedBox(hdc, thumbRect, radius, hot ? thumbHot : thumb);
    };
    if (bars.verticalVisible) drawBar(bars.verticalTrack, bars.verticalThumb, 1);
    if (bars.horizontalVisible) drawBar(bars.horizontalTrack, bars.horizontalThumb, 2);
    if (track) DeleteObject(track);
    if (thumb) DeleteObject(thumb);
    if (thumbHot) DeleteObject(thumbHot);
}

// ---------------------------------------------------------------------------------------------
// Pointer on the overlay bars.

namespace {

bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

int64_t OverlayLineCount(const ResultListLayout& l) {
    int64_t rows = std::max<int64_t>(g_visibleResultCount.load(), 0);
    if (!IsIconViewModeIn(l)) return rows;
    int64_t columns = std::max(GetIconColumnsPerRowIn(l, std::max(GetResultsAreaWidthIn(l), 1)), 1);
    return (rows + columns - 1) / columns;
}

}  // namespace

int HitTestOverlayScrollBars(int x, int y) {
    ComputeOverlayScrollBars();
    const OverlayScrollBars& bars = g_overlayScrollBars;
    if (bars.verticalVisible && Inside(bars.verticalTrack, x, y)) return 1;
    if (bars.horizontalVisible && Inside(bars.horizontalTrack, x, y)) return 2;
    return 0;
}

bool OnOverlayScrollBarMouseDown(HWND hwnd, int x, int y) {
    ComputeOverlayScrollBars();
    const OverlayScrollBars bars = g_overlayScrollBars;
    if (bars.verticalVisible && Inside(bars.verticalTrack, x, y)) {
        g_lastScrollTick.store(GetTickCount64());
        SetTimer(hwnd, TIMER_SCROLL_SETTLE, 220, nullptr);
        if (Inside(bars.verticalThumb, x, y)) {
            g_overlayScrollDrag = 1;
            g_scrollDragging = true;
            SetCapture(hwnd);
        } else {
            ScrollVerticalToTrackPoint(y);
        }
        InvalidateRect(hwnd, nullptr, FALSE);
        return true;
    }
    if (bars.horizontalVisible && Inside(bars.horizontalTrack, x, y)) {
        g_lastScrollTick.store(GetTickCount64());
        if (Inside(bars.horizontalThumb, x, y)) {
            g_overlayScrollDrag = 2;
            SetCapture(hwnd);
        } else {
            ScrollHorizontalToTrackPoint(x);
        }
        InvalidateRect(hwnd, nullptr, FALSE);
        return true;
    }
    return false;
}

void ScrollVerticalToTrackPoint(int y) {
    ComputeOverlayScrollBars();
    const OverlayScrollBars& bars = g_overlayScrollBars;
    if (!bars.verticalVisible) return;
    const ResultListLayout l = CurrentResultListLayout();
    const int rowHeight = std::max(GetResultRowHeightIn(l), 1);
    const int trackHeight = std::max<int>(bars.verticalTrack.bottom - bars.verticalTrack.top, 0);
    const int thumb = bars.verticalThumb.bottom - bars.verticalThumb.top;
    const int64_t visibleLines = std::max(trackHeight / rowHeight, 1);
    const int64_t scrollable = std::max<int64_t>(OverlayLineCount(l) - visibleLines, 0);
    const int freeTrack = std::max(trackHeight - thumb, 0);
    const int position = std::clamp(y - thumb / 2 - static_cast<int>(bars.verticalTrack.top), 0, freeTrack);
    int64_t firstLine = 0;
    if (scrollable >= 1 && freeTrack >= 1) firstLine = (scrollable * position + freeTrack / 2) / freeTrack;  // MulDiv
    SetVerticalScroll(firstLine * rowHeight);
}

void ScrollHorizontalToTrackPoint(int x) {
    ComputeOverlayScrollBars();
    const OverlayScrollBars& bars = g_overlayScrollBars;
    if (!bars.horizontalVisible) return;
    const ResultListLayout l = CurrentResultListLayout();
    const int trackWidth = std::max<int>(bars.horizontalTrack.right - bars.horizontalTrack.left, 0);
    const int thumb = bars.horizontalThumb.right - bars.horizontalThumb.left;
    const int freeTrack = std::max(trackWidth - thumb, 0);
    const int scrollable = std::max(std::max(GetTotalColumnWidthIn(l), 1) - trackWidth, 0);
    const int position = std::clamp(x - thumb / 2 - static_cast<int>(bars.horizontalTrack.left), 0, freeTrack);
    SetHorizontalScroll(scrollable >= 1 && freeTrack >= 1 ? MulDiv(scrollable, position, freeTrack) : 0);
}
