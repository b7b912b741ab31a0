// Brushes and pens of one paint, rounded fills and the hover state the painters read.
#include "results/ListInput.h"
#include "results/ResultsInternal.h"
#include "ui/Ui.h"

PaintTools::PaintTools() {
    const UiPalette& p = g_uiPalette;
    surface = CreateSolidBrush(p.surface);
    toolbar = CreateSolidBrush(p.toolbar);
    headerBg = CreateSolidBrush(p.headerBg);
    sidebarBg = CreateSolidBrush(p.sidebarBg);
    sidebarItemSel = CreateSolidBrush(p.sidebarItemSel);
    sidebarItemHover = CreateSolidBrush(p.sidebarItemHover);
    rowSel = CreateSolidBrush(p.rowSel);
    rowHover = CreateSolidBrush(p.rowHover);
    border = CreateSolidBrush(p.border);
    dividerPen = CreatePen(PS_SOLID, 1, p.divider);
    borderPen = CreatePen(PS_SOLID, 1, p.border);
    accentPen = CreatePen(PS_SOLID, 1, p.accent);
}

PaintTools::~PaintTools() {
    for (HGDIOBJ o : {static_cast<HGDIOBJ>(surface), static_cast<HGDIOBJ>(toolbar), static_cast<HGDIOBJ>(headerBg),
                      static_cast<HGDIOBJ>(sidebarBg), static_cast<HGDIOBJ>(sidebarItemSel),
                      static_cast<HGDIOBJ>(sidebarItemHover), static_cast<HGDIOBJ>(rowSel),
                      static_cast<HGDIOBJ>(rowHover), static_cast<HGDIOBJ>(border), static_cast<HGDIOBJ>(dividerPen),
                      static_cast<HGDIOBJ>(borderPen), static_cast<HGDIOBJ>(accentPen)})
        if (o) DeleteObject(o);
}

void FillRoundedBox(HDC hdc, const RECT& box, int radius, HBRUSH brush) {
    if (!hdc || !brush) return;
    HRGN region = CreateRoundRectRgn(box.left, box.top, box.right + 1, box.bottom + 1, radius, radius);
    if (region) {
        FillRgn(hdc, region, brush);
        DeleteObject(region);
    } else {
        FillRect(hdc, &box, brush);
    }
}

int64_t g_hoveredRow = -1;
int g_hoveredColumn = -1;
int g_hoveredFilterIndex = -1;

int64_t GetHoveredResultRow() { return g_hoveredRow; }

int GetHoveredFilterIndex() { return g_hoveredFilterIndex; }
