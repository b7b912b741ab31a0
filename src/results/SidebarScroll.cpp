// Range, page, position and visibility of the filter sidebar's scroll bar.
#include <algorithm>

#include "results/ListInput.h"
#include "results/Results.h"
#include "search/Search.h"
#include "core/Window.h"
#include "ui/Ui.h"

void UpdateFilterSidebarScroll() {
    HWND bar = (g_hMainWnd && IsWindow(g_hMainWnd)) ? GetDlgItem(g_hMainWnd, IDC_SIDEBAR_VSCROLL) : nullptr;
    if (!bar) return;
    if (!g_filterLayoutSidebar) {
        ShowWindow(bar, SW_HIDE);
        return;
    }
    int n = static_cast<int>(std::min<size_t>(g_filterCategories.size(), INT32_MAX));
    SidebarScrollState s = ComputeSidebarScroll(n, g_clientHeight, g_listAreaTop, ScaleForDpi(8),
                                                GetFilterSidebarRowPitch(), g_filterSidebarScrollY);
    g_filterSidebarScrollY = s.scrollY;
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS};
    si.nMin = 0;
    si.nMax = std::max(n - 1, 0);
    si.nPage = static_cast<UINT>(s.rowsThatFit);
    si.nPos = s.firstRow;
    SetScrollInfo(bar, SB_CTL, &si, TRUE);
    ShowWindow(bar, s.barNeeded ? SW_SHOW : SW_HIDE);
}

namespace {

int SidebarRowsThatFit() {
    const int pitch = std::max(GetFilterSidebarRowPitch(), 1);
    return std::max(1, (std::max(0, g_clientHeight - g_listAreaTop - ScaleForDpi(8)) + ScaleForDpi(8)) / pitch);
}

// Moves the sidebar to a first row, clamped to the last full page; repaints the sidebar.
void ScrollSidebarToRow(int position) {
    const int pitch = std::max(GetFilterSidebarRowPitch(), 1);
    const int buttons = static_cast<int>(std::min<size_t>(g_filterCategories.size(), INT32_MAX));
    position = std::clamp(position, 0, std::max(0, buttons - SidebarRowsThatFit()));
    g_filterSidebarScrollY = pitch * position;
    if (HWND bar = (g_hMainWnd && IsWindow(g_hMainWnd)) ? GetDlgItem(g_hMainWnd, IDC_SIDEBAR_VSCROLL) : nullptr) {
        SCROLLINFO si{sizeof(si), SIF_POS};
        si.nPos = position;
        SetScrollInfo(bar, SB_CTL, &si, TRUE);
    }
    if (g_hMainWnd) {
        RECT rc{0, g_listAreaTop, g_filterSidebarWidth, g_clientHeight};
        InvalidateRect(g_hMainWnd, &rc, FALSE);
    }
}

int SidebarFirstRow() { return g_filterSidebarScrollY / std::max(GetFilterSidebarRowPitch(), 1); }

}  // namespace

void ScrollFilterSidebarByNotches(int notches) { ScrollSidebarToRow(SidebarFirstRow() - notches); }

void OnFilterSidebarScrollBar(WPARAM wParam, HWND bar) {
    SCROLLINFO si{sizeof(si), SIF_ALL};
    if (bar) GetScrollInfo(bar, SB_CTL, &si);
    const int rows = SidebarRowsThatFit();
    int position = SidebarFirstRow();
    switch (LOWORD(wParam)) {
    case SB_LINEUP: --position; break;
    case SB_LINEDOWN: ++position; break;
    case SB_PAGEUP: position -= rows; break;
    case SB_PAGEDOWN: position += rows; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: position = si.nTrackPos; break;
    case SB_ENDSCROLL: return;
    default: break;
    }
    ScrollSidebarToRow(position);
}
