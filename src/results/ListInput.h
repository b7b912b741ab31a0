#pragma once
// What the results list offers the main window's mouse handling: the overlay scroll bars' hit
// test, press and drag, and the hover state the painters read. UI thread only.
#include <windows.h>

#include <cstdint>

#include "ui/Controls.h"

// 1 inside the visible vertical track, 2 inside the visible horizontal track, else 0.
int HitTestOverlayScrollBars(int x, int y);
// A press on an overlay bar: starts a thumb drag (mouse captured) or jumps to the point.
// False when the point is on neither bar.
bool OnOverlayScrollBarMouseDown(HWND hwnd, int x, int y);
// Scrolls so that the thumb centre lands under the pointer.
void ScrollVerticalToTrackPoint(int y);
void ScrollHorizontalToTrackPoint(int x);

// The list cell under the mouse whose tooltip is shown (row -1 none). The filter tag or sidebar
// item under the mouse is g_hoveredFilterIndex (ui/Controls.h), which the tag painter reads too.
extern int64_t g_hoveredRow;
extern int g_hoveredColumn;
// Hides the hover tip (it would float over what changed under it: the list scrolled, the mode
// switched, the window went to the background); the next move over a cell shows that cell's tip.
void DropHoverTooltip();

// The filter sidebar scrolled by the wheel (notches up positive) and by its scroll bar (id 117).
void ScrollFilterSidebarByNotches(int notches);
void OnFilterSidebarScrollBar(WPARAM wParam, HWND bar);
