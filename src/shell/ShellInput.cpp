// Scrolling the result list with the wheel and its scroll bars.
#include <windows.h>

#include <algorithm>

#include "results/FileActions.h"
#include "results/ListInput.h"
#include "results/Results.h"
#include "shell/Shell.h"
#include "shell/ShellInternal.h"

namespace {

void NoteScroll(HWND hwnd, UINT settleMs) {
    g_lastScrollTick.store(GetTickCount64());
    SetTimer(hwnd, TIMER_SCROLL_SETTLE, settleMs, nullptr);
}

void OnListVScroll(HWND hwnd, WPARAM wParam, HWND bar) {
    SCROLLINFO si{sizeof(si), SIF_ALL};
    if (!GetScrollInfo(bar, SB_CTL, &si)) return;
    const int64_t h = std::max(1, GetResultRowHeight());
    const int64_t line = g_scrollY / h;
    NoteScroll(hwnd, 400);
    switch (LOWORD(wParam)) {
    case SB_LINEUP: SetVerticalScroll(h * (line - 1)); break;
    case SB_LINEDOWN: SetVerticalScroll(h * (line + 1)); break;
    case SB_PAGEUP:
    case SB_PAGEDOWN: {
        RECT rc{};
        if (!GetWindowRect(bar, &rc)) {
            SetVerticalScroll(h * (LOWORD(wParam) == SB_PAGEUP ? line - si.nPage : line + si.nPage));
            break;
        }
        const int arrow = GetSystemMetrics(SM_CYVSCROLL);
        const int top = rc.top + arrow;
        const int length = rc.bottom - arrow - top;
        if (length < 1) {
            SetVerticalScroll(h * line);
            break;
        }
        POINT cursor{};
        GetCursorPos(&cursor);
        double fraction = std::clamp(static_cast<double>(cursor.y - top) / length, 0.0, 1.0);
        SetVerticalScroll(h * static_cast<int64_t>(fraction * std::max<int>(si.nMax - static_cast<int>(si.nPage) + 1, 0)));
        break;
    }
    case SB_THUMBTRACK:
        g_scrollDragging = true;
        SetVerticalScroll(h * si.nTrackPos);
        break;
    case SB_ENDSCROLL:
        g_scrollDragging = false;
        NoteScroll(hwnd, 350);
        ScheduleResultsRepaint(16);
        break;
    default:
        SetVerticalScroll(h * line);
        break;
    }
}

void OnListHScroll(HWND hwnd, WPARAM wParam, HWND bar) {
    SCROLLINFO si{sizeof(si), SIF_ALL};
    GetScrollInfo(bar, SB_CTL, &si);
    switch (LOWORD(wParam)) {
    case SB_LINELEFT: SetHorizontalScroll(g_scrollX - 40); break;
    case SB_LINERIGHT: SetHorizontalScroll(g_scrollX + 40); break;
    case SB_PAGELEFT: SetHorizontalScroll(g_scrollX - static_cast<int>(si.nPage)); break;
    case SB_PAGERIGHT: SetHorizontalScroll(g_scrollX + static_cast<int>(si.nPage)); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: SetHorizontalScroll(si.nTrackPos); break;
    case SB_ENDSCROLL:
        ClearIconCache();
        InvalidateRect(hwnd, nullptr, FALSE);
        break;
    default: break;
    }
}

}  // namespace

bool HandleListScrollInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (g_appMode != 0) return false;
    switch (msg) {
    case WM_MOUSEWHEEL: {
        const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
        const int notches = delta / 120;
        POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ScreenToClient(hwnd, &pt);
        NoteScroll(hwnd, 400);
        if (g_filterLayoutSidebar && pt.x < g_filterSidebarWidth) {
            ScrollFilterSidebarByNotches(notches);
            return true;
        }
        if (IsIconViewMode() || !(GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT)) SetVerticalScroll(g_scrollY - delta * 100 / 120);
        else SetHorizontalScroll(g_scrollX + notches * 40);
        return true;
    }
    case WM_MOUSEHWHEEL:
        if (IsIconViewMode()) return false;
        NoteScroll(hwnd, 400);
        SetHorizontalScroll(g_scrollX + GET_WHEEL_DELTA_WPARAM(wParam) / 120 * 40);
        return true;
    case WM_VSCROLL: {
        EndInlineRename(false);
        if (lParam && GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_SIDEBAR_VSCROLL) {
            OnFilterSidebarScrollBar(wParam, reinterpret_cast<HWND>(lParam));
            return true;
        }
        HWND bar = lParam ? reinterpret_cast<HWND>(lParam) : g_hListVScroll;
        if (!bar || GetDlgCtrlID(bar) != IDC_LIST_VSCROLL) return false;
        OnListVScroll(hwnd, wParam, bar);
        return true;
    }
    case WM_HSCROLL: {
        HWND bar = reinterpret_cast<HWND>(lParam);
        if (!bar || GetDlgCtrlID(bar) != IDC_LIST_HSCROLL) return false;
        OnListHScroll(hwnd, wParam, bar);
        return true;
    }
    default:
        return false;
    }
}
