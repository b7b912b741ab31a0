// Range, page, position and visibility of the filter sidebar's scroll bar.
#include <algorithm>

#include "results/Results.h"
#include "search/Search.h"
#include "shell/Shell.h"
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
