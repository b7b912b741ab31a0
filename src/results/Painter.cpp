// The main window's painter: the whole client is drawn into an off-screen back buffer (bands,
// filter sidebar, the list of the current view mode, overlay scroll bars) and copied to the
// window with one BitBlt. The child controls lie on top of it.
#include <algorithm>

#include "results/Results.h"
#include "results/ResultsInternal.h"
#include "search/Search.h"
#include "core/Window.h"
#include "ui/Theme.h"
#include "ui/Ui.h"
#include "ui/WindowUnit.h"

namespace {

void FillBox(HDC hdc, int left, int top, int right, int bottom, HBRUSH brush) {
    if (!brush || right <= left || bottom <= top) return;
    RECT rc{left, top, right, bottom};
    FillRect(hdc, &rc, brush);
}

void DrawLine(HDC hdc, HPEN pen, int x0, int y0, int x1, int y1) {
    if (!pen) return;
    HGDIOBJ old = SelectObject(hdc, pen);
    MoveToEx(hdc, x0, y0, nullptr);
    LineTo(hdc, x1, y1);
    SelectObject(hdc, old);
}

HFONT ListFont() {
    if (g_fontUiMedium) return g_fontUiMedium;
    if (g_fontUi) return g_fontUi;
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// Splits a filter button title into the category name and its count part.
void SplitSidebarText(const std::wstring& text, std::wstring& name, std::wstring& count) {
    size_t crlf = text.find(L"\r\n");
    if (crlf != std::wstring::npos) {
        name = text.substr(0, crlf);
        count = text.substr(crlf + 2);
    } else {
        size_t tab = text.find(L'\t');
        name = text.substr(0, tab);
        count = tab == std::wstring::npos ? std::wstring() : text.substr(tab + 1);
    }
}

void PaintFilterSidebar(HDC hdc, int W, const PaintTools& t) {
    const int top = g_listAreaTop;
    const int bottom = g_clientHeight;
    FillBox(hdc, 0, top, W, bottom, t.sidebarBg);
    HWND sideBar = g_hMainWnd ? GetDlgItem(g_hMainWnd, IDC_SIDEBAR_VSCROLL) : nullptr;
    const int allowance = (sideBar && IsWindowVisible(sideBar)) ? 18 : 0;
    const int textLimit = std::max(W - allowance - 6, 10);
    const int itemH = ScaleForDpi(44);
    const int pitch = GetFilterSidebarRowPitch();
    int y = top + ScaleForDpi(8) - g_filterSidebarScrollY;
    DrawLine(hdc, t.borderPen, 0, top, W, top);

    int saved = SaveDC(hdc);
    IntersectClipRect(hdc, 0, top, textLimit, bottom);
    const int current = g_currentFilterCategory.load();
    const int hoveredIndex = GetHoveredFilterIndex();
    HGDIOBJ nullBrush = GetStockObject(NULL_BRUSH);
    // One row per filter button; the buttons carry the ids 200 + category index.
    const size_t buttonCount = g_filterCategories.size();
    for (size_t i = 0; i < buttonCount; ++i, y += pitch) {
        if (y + itemH <= top || y >= bottom) continue;
        const bool selected = static_cast<int>(i) == current;
        const bool hovered = !selected && static_cast<int>(i) == hoveredIndex;
        RECT item{ScaleForDpi(7), y + ScaleForDpi(2), std::max(textLimit - ScaleForDpi(4), ScaleForDpi(12)),
                  y + itemH - ScaleForDpi(2)};
        FillBox(hdc, 0, y, W, y + itemH, t.sidebarBg);
        HBRUSH itemBrush = selected ? t.sidebarItemSel : hovered ? t.sidebarItemHover : t.sidebarBg;
        FillBox(hdc, item.left, item.top, item.right, item.bottom, itemBrush);
        HPEN outline = selected ? t.accentPen : hovered ? t.dividerPen : nullptr;
        if (outline) {
            HGDIOBJ oldPen = SelectObject(hdc, outline);
            HGDIOBJ oldBrush = SelectObject(hdc, nullBrush);
            Rectangle(hdc, item.left, item.top, item.right, item.bottom);
            SelectObject(hdc, oldBrush);
            SelectObject(hdc, oldPen);
        }

        wchar_t buffer[257] = {};
        HWND button = g_hMainWnd ? GetDlgItem(g_hMainWnd, IDC_FILTER_BUTTON_FIRST + static_cast<int>(i)) : nullptr;
        int n = (button && IsWindow(button)) ? GetWindowTextW(button, buffer, 256) : 0;
        std::wstring text(buffer, static_cast<size_t>(std::max(n, 0)));
        if (text.empty() && i < g_filterCategories.size()) text = g_filterCategories[i].name;
        std::wstring name, count;
        SplitSidebarText(text, name, count);

        HGDIOBJ oldFont = SelectObject(hdc, g_fontButton ? g_fontButton : ListFont());
        SetTextColor(hdc, selected ? g_uiPalette.accent : hovered ? g_uiPalette.text : RGB(100, 116, 139));
        RECT textBox{item.left + ScaleForDpi(8), y + 4, item.right - ScaleForDpi(6), y + itemH};
        RECT nameBox = textBox;
        if (!count.empty()) {
            RECT countBox = textBox;
            countBox.left = std::max<LONG>(countBox.left, item.right - ScaleForDpi(96));
            DrawTextW(hdc, count.c_str(), static_cast<int>(count.size()), &countBox,
                      DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
            nameBox.right = countBox.left - 6;
        }
        if (!name.empty() && nameBox.right > nameBox.left)
            DrawTextW(hdc, name.c_str(), static_cast<int>(name.size()), &nameBox,
                      DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        SelectObject(hdc, oldFont);
    }
    RestoreDC(hdc, saved);

    FillBox(hdc, W - 1, top, W, bottom,
            t.border ? t.border : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawLine(hdc, t.borderPen, W, top, W, bottom);
}

void PaintSearchMode(HDC dc, HDC target) {
    if (g_clientHeight - g_listAreaTop < 1) return;

    const PaintTools tools;
    ListPaintFrame frame;
    frame.tools = &tools;
    frame.layout = CurrentResultListLayout();
    frame.rightEdge = GetResultsRightEdgeIn(frame.layout);
    frame.areaBottom = GetResultsAreaHeightIn(frame.layout);
    frame.highlightTerm = GetHighlightTerm();
    frame.scrolling = IsScrollInteractionActive();
    frame.gridLines = g_tableGridLines;
    const std::shared_ptr<std::vector<MatchItem>> rows = GetVisibleResults();
    const int W = frame.layout.sidebarWidth;
    const int R = frame.rightEdge;
    const int B = frame.areaBottom;
    const int cw = g_clientWidth;
    const int ch = g_clientHeight;
    const int top = g_listAreaTop;
    const int band = ScaleForDpi(70);
    HBRUSH toolbar = tools.toolbar ? tools.toolbar : tools.surface;

    FillBox(dc, 0, 0, cw, ch, tools.surface);
    FillBox(dc, 0, 0, cw, band, toolbar);
    if (g_filterLayoutSidebar) {
        if (top > band) FillBox(dc, 0, band, cw, top, toolbar);
    } else {
        FillBox(dc, 0, band, cw, top, toolbar);
        DrawLine(dc, tools.dividerPen, 0, top - 1, cw, top - 1);
    }

    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldPen = tools.dividerPen ? SelectObject(dc, tools.dividerPen) : nullptr;
    HGDIOBJ oldFont = SelectObject(dc, ListFont());

    if (R < cw) FillBox(dc, R, top, cw, B, tools.surface);
    if (B < ch) FillBox(dc, W, B, cw, ch, tools.surface);
    if (W >= 1) PaintFilterSidebar(dc, W, tools);

    bool needAttrHydration = false;
    const bool iconMode = IsIconViewModeIn(frame.layout);
    if (rows) {
        if (iconMode)
            PaintIconViewRows(dc, frame, *rows);
        else
            needAttrHydration = PaintListRows(dc, frame, *rows);
    }

    if (oldPen) SelectObject(dc, oldPen);
    if (oldFont) SelectObject(dc, oldFont);
    DrawOverlayScrollBars();

    if (target && target != dc) {
        if (frame.scrolling)
            BitBlt(target, 0, top, cw, std::max(ch - top, 0), dc, 0, top, SRCCOPY);
        else
            BitBlt(target, 0, 0, cw, ch, dc, 0, 0, SRCCOPY);
    }

    TrimIconCacheForGdiPressure(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));

    if (!iconMode && !frame.scrolling) {
        if (needAttrHydration) RequestVisibleAttrHydrationAsync();
        RequestVisibleOwnIconHydrationAsync();
    }
}

}  // namespace

void PaintMainWindow(HDC target, const RECT* /*paintRect*/) {
    // Without a back buffer the paint goes straight to the target.
    HDC dc = g_hBackBufferDC ? g_hBackBufferDC : target;
    if (!dc) return;
    const RECT client{0, 0, g_clientWidth, g_clientHeight};
    if (UnitsPaint(g_hMainWnd, dc, client)) {
        if (target && target != dc) BitBlt(target, 0, 0, g_clientWidth, g_clientHeight, dc, 0, 0, SRCCOPY);
        return;
    }
    if (g_appMode != kAppModeSearch) {
        // A mode whose unit did not paint: the bare surface.
        FillWithSurface(dc, client);
        if (target && target != dc) BitBlt(target, 0, 0, g_clientWidth, g_clientHeight, dc, 0, 0, SRCCOPY);
        return;
    }
    PaintSearchMode(dc, target);
}
