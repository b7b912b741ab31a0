// Drawing of the two overlay scroll bars into the back buffer.
#include "results/Results.h"
#include "results/ResultsInternal.h"
#include "shell/Shell.h"
#include "ui/Ui.h"

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
