// Brushes and pens of one paint, rounded fills and the hover state the painters read.
#include "results/ListInput.h"
#include "results/ResultsInternal.h"
#include "core/Window.h"
#include "ui/Theme.h"
#include "ui/Tooltip.h"
#include "ui/Ui.h"

namespace {

// The theme's object when it exists, else one made for this paint (and remembered for deletion).
template <typename T>
T Pick(T theme, COLORREF color, std::vector<HGDIOBJ>& owned, bool pen) {
    if (theme) return theme;
    T made = pen ? reinterpret_cast<T>(CreatePen(PS_SOLID, 1, color)) : reinterpret_cast<T>(CreateSolidBrush(color));
    if (made) owned.push_back(made);
    return made;
}

}  // namespace

PaintTools::PaintTools() {
    const UiPalette& p = g_uiPalette;
    surface = Pick(g_brushSurface, p.surface, owned_, false);
    toolbar = Pick(g_brushToolbar, p.toolbar, owned_, false);
    headerBg = Pick(g_brushHeaderBg, p.headerBg, owned_, false);
    sidebarBg = Pick(g_brushSidebarBg, p.sidebarBg, owned_, false);
    sidebarItemSel = Pick(g_brushSidebarItemSel, p.sidebarItemSel, owned_, false);
    sidebarItemHover = Pick(g_brushSidebarItemHover, p.sidebarItemHover, owned_, false);
    rowSel = Pick(g_brushRowSel, p.rowSel, owned_, false);
    rowHover = Pick(g_brushRowHover, p.rowHover, owned_, false);
    cellBg = Pick(g_brushCellBg, p.surface, owned_, false);
    border = Pick(g_brushBorder, p.border, owned_, false);
    dividerPen = Pick(g_penDivider, p.divider, owned_, true);
    borderPen = Pick(g_penBorder, p.border, owned_, true);
    accentPen = Pick(g_penCellBorderSel, p.accent, owned_, true);
    cellBorderPen = Pick(g_penCellBorder, p.divider, owned_, true);
}

PaintTools::~PaintTools() {
    for (HGDIOBJ o : owned_) DeleteObject(o);
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

int64_t GetHoveredResultRow() { return g_hoveredRow; }

void DropHoverTooltip() {
    HideTrackingTooltip(g_hMainWnd);
    g_hoveredColumn = -1;
}

int GetHoveredFilterIndex() { return g_hoveredFilterIndex; }
