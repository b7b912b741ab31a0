#pragma once
// The main window's tracking tooltip (g_hTooltip, ui/Ui.h): the hover tip of the results list.
// Its one tool is identified by the main window (TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE). UI
// thread only; every helper does nothing while there is no tooltip.
#include <windows.h>
#include <commctrl.h>

#include <string>

// The tool of `window` as the tooltip knows it.
TOOLINFOW TrackingToolOf(HWND window);
// Shows `text` with its top-left corner at `anchor` (screen coordinates), moved inside the work
// area of the monitor nearest to the anchor by the bubble's size (texts shorter than 512
// characters) and then by the real size of the tooltip window. An empty text hides the tip.
void ShowTrackingTooltip(HWND window, const std::wstring& text, POINT anchor);
// Hides the tip (TTM_TRACKACTIVATE false).
void HideTrackingTooltip(HWND window);
// Whether the tip is shown now.
bool IsTrackingTooltipShown();

// A box of size w x h at p moved inside `work`: pulled left or up when it would cross the right or
// bottom edge, but never left of the left edge or above the top edge (a box wider or taller than
// the work area is pinned to its left or top edge).
POINT ClampToWorkArea(POINT p, int w, int h, const RECT& work);
// The anchor moved so that the bubble of the tool (TTM_GETBUBBLESIZE) stays inside the work area
// of the monitor nearest to it.
POINT ClampTooltipToMonitor(POINT anchor, TOOLINFOW ti);
// After activation: moves the tip by as much as its window's real rectangle (GetWindowRect) leaves
// the work area of the monitor nearest to the anchor; TTM_TRACKPOSITION only when it moves.
void MoveTrackingTooltip(HWND window, POINT anchor);
