#include "ui/Tooltip.h"

#include <algorithm>

#include "ui/Ui.h"

namespace {

constexpr size_t kClampedTextLimit = 512;  // longer texts are placed by the window's size alone

bool TooltipExists() { return g_hTooltip && IsWindow(g_hTooltip); }

RECT WorkAreaNear(POINT p) {
    RECT work{};
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    HMONITOR monitor = MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST);
    if (monitor && GetMonitorInfoW(monitor, &info)) work = info.rcWork;
    else SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

}  // namespace

TOOLINFOW TrackingToolOf(HWND window) {
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
    ti.hwnd = window;
    ti.uId = reinterpret_cast<UINT_PTR>(window);
    return ti;
}

POINT ClampToWorkArea(POINT p, int w, int h, const RECT& work) {
    POINT out;
    out.x = (w > 0 && p.x + w > work.right) ? std::max<LONG>(work.right - w, work.left) : std::max<LONG>(p.x, work.left);
    out.y = (h > 0 && p.y + h > work.bottom) ? std::max<LONG>(work.bottom - h, work.top)
                                             : std::max<LONG>(p.y, work.top);
    return out;
}

POINT ClampTooltipToMonitor(POINT anchor, TOOLINFOW ti) {
    if (!TooltipExists()) return anchor;
    const LRESULT size = SendMessageW(g_hTooltip, TTM_GETBUBBLESIZE, 0, reinterpret_cast<LPARAM>(&ti));
    return ClampToWorkArea(anchor, LOWORD(size), HIWORD(size), WorkAreaNear(anchor));
}

void MoveTrackingTooltip(HWND /*window*/, POINT anchor) {
    if (!TooltipExists()) return;
    RECT rc{};
    if (!GetWindowRect(g_hTooltip, &rc)) return;
    // The window as it is placed (a tooltip may add its border around the tracking point): moved
    // by as much as its own rectangle leaves the work area.
    const POINT placed{rc.left, rc.top};
    const POINT inside = ClampToWorkArea(placed, rc.right - rc.left, rc.bottom - rc.top, WorkAreaNear(anchor));
    const POINT p{anchor.x + inside.x - placed.x, anchor.y + inside.y - placed.y};
    if (p.x != anchor.x || p.y != anchor.y)
        SendMessageW(g_hTooltip, TTM_TRACKPOSITION, 0, MAKELPARAM(static_cast<short>(p.x), static_cast<short>(p.y)));
}

void HideTrackingTooltip(HWND window) {
    if (!TooltipExists()) return;
    TOOLINFOW ti = TrackingToolOf(window);
    SendMessageW(g_hTooltip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
}

bool IsTrackingTooltipShown() { return TooltipExists() && IsWindowVisible(g_hTooltip); }

void ShowTrackingTooltip(HWND window, const std::wstring& text, POINT anchor) {
    if (!TooltipExists()) return;
    if (text.empty()) {
        HideTrackingTooltip(window);
        return;
    }
    TOOLINFOW ti = TrackingToolOf(window);
    ti.lpszText = const_cast<wchar_t*>(text.c_str());  // the tooltip keeps a copy
    SendMessageW(g_hTooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    POINT p = anchor;
    if (text.size() < kClampedTextLimit) p = ClampTooltipToMonitor(anchor, ti);
    // Screen coordinates may be negative (a monitor left of or above the primary one).
    SendMessageW(g_hTooltip, TTM_TRACKPOSITION, 0, MAKELPARAM(static_cast<short>(p.x), static_cast<short>(p.y)));
    SendMessageW(g_hTooltip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
    MoveTrackingTooltip(window, p);
}
