// The analysis panel painter: header with the usage donut and chips, path bar, ring, rows,
// extension list and scroll bars, into the main window's back buffer.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>

#include "analysis/AnalysisView.h"
#include "i18n/I18n.h"
#include "results/Results.h"
#include "ui/Ui.h"

COLORREF BlendColor(COLORREF a, COLORREF b, int p) {
    p = std::clamp(p, 0, 100);
    return RGB((GetRValue(a) * p + GetRValue(b) * (100 - p)) / 100, (GetGValue(a) * p + GetGValue(b) * (100 - p)) / 100,
               (GetBValue(a) * p + GetBValue(b) * (100 - p)) / 100);
}

std::wstring FormatItemCount(uint64_t count) {
    std::wstring digits = std::to_wstring(count);
    std::wstring out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0) out += L',';
        out += digits[i];
    }
    return out + Tr(L"Analysis_CountUnit", L" 项", L" items");
}

namespace {
bool IsPlaceholderExtension(const std::wstring& e) {
    if (e.empty() || e == L"<none>" || e == L"<None>" || e == L"<NONE>") return true;
    return e.size() < 9 && e.front() == L'<' && e.back() == L'>' && e.find(L'.') == std::wstring::npos;
}
}  // namespace

std::wstring ExtensionLabel(const std::wstring& extension) {
    if (IsPlaceholderExtension(extension)) return Tr(L"Analysis_NoExt", L"（无扩展名）", L"(no extension)");
    return extension;
}

namespace {

int Lum(COLORREF c) { return (299 * GetRValue(c) + 587 * GetGValue(c) + 114 * GetBValue(c)) / 1000; }

void FillRectIfNonEmpty(HDC dc, const RECT& r, COLORREF c) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc, &r, b);
    DeleteObject(b);
}

void DrawHLine(HDC dc, int x1, int x2, int y, COLORREF c) {
    HPEN pen = CreatePen(PS_SOLID, 1, c);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x1, y, nullptr);
    LineTo(dc, x2, y);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void DrawShareBar(HDC dc, const RECT& r, COLORREF fill, COLORREF track, double percent) {
    if (r.right <= r.left) return;
    FillRectIfNonEmpty(dc, r, track);
    const int w = static_cast<int>(std::min(std::max(percent, 0.0), 100.0) * (r.right - r.left) / 100);
    if (w > 0) FillRectIfNonEmpty(dc, RECT{r.left, r.top, r.left + w, r.bottom}, fill);
}

void Text(HDC dc, const std::wstring& s, RECT r, COLORREF c, UINT flags) {
    SetTextColor(dc, c);
    DrawTextW(dc, s.c_str(), static_cast<int>(s.size()), &r, flags | DT_NOPREFIX);
}

void DrawDonutArc(int cx, int cy, int outer, int inner, HDC dc, COLORREF c, double start, double end) {
    if (end - start < 0.5) return;
    const int steps = std::max(static_cast<int>((end - start) * 0.25), 8);
    std::vector<POINT> pts;
    auto at = [&](double deg, int radius) {
        const double a = deg * 3.14159265358979323846 / 180;
        return POINT{cx + static_cast<int>(std::cos(a) * radius + 0.5), cy - static_cast<int>(std::sin(a) * radius + 0.5)};
    };
    for (int i = 0; i <= steps; ++i) pts.push_back(at(start + double(i) / steps * (end - start), outer));
    for (int i = steps; i >= 0; --i) pts.push_back(at(start + double(i) / steps * (end - start), inner));
    HBRUSH b = CreateSolidBrush(c);
    HPEN p = CreatePen(PS_SOLID, 1, c);
    HGDIOBJ ob = SelectObject(dc, b), op = SelectObject(dc, p);
    Polygon(dc, pts.data(), static_cast<int>(pts.size()));
    SelectObject(dc, ob);
    SelectObject(dc, op);
    DeleteObject(b);
    DeleteObject(p);
}

void DrawUsageDonut(HDC dc, const RECT& box, uint64_t total, uint64_t freeBytes, COLORREF base, COLORREF used,
                    COLORREF text, HFONT font) {
    const int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
    const int R = std::min(box.right - box.left, box.bottom - box.top) / 2 - 1;
    const int r = R * 68 / 100;
    if (R < 10) return;
    double u = total ? static_cast<double>(total > freeBytes ? total - freeBytes : 0) / static_cast<double>(total) : 0;
    u = std::clamp(u, 0.0, 1.0);
    DrawDonutArc(cx, cy, R, r, dc, RGB(std::min(GetRValue(base) + 38, 255), std::min(GetGValue(base) + 38, 255),
                                       std::min(GetBValue(base) + 42, 255)),
                 -270, 90);
    if (u * 360 > 0.5) DrawDonutArc(cx, cy, R, r, dc, used, 90 - u * 360, 90);
    wchar_t buf[16];
    _snwprintf(buf, 15, L"%.0f%%", u * 100);
    buf[15] = 0;
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    Text(dc, buf, RECT{cx - r, cy - 10, cx + r, cy + 10}, text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (old) SelectObject(dc, old);
}

void DrawSummaryChip(HDC dc, int& x, int top, int bottom, const std::wstring& label, const std::wstring& value,
                     COLORREF bgColor, COLORREF textColor, HFONT preferred, HFONT fallback, int limit, int gap) {
    if (x >= limit) return;
    const std::wstring t = label + L" " + value;
    HFONT f = preferred ? preferred : fallback ? fallback : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HGDIOBJ old = SelectObject(dc, f);
    SIZE sz{};
    GetTextExtentPoint32W(dc, t.c_str(), static_cast<int>(t.size()), &sz);
    int w = std::max(static_cast<int>(sz.cx) + 16, 56);
    w = std::min(w, limit - x);
    if (w >= 40) {
        FillRectIfNonEmpty(dc, RECT{x, top, x + w, bottom}, bgColor);
        Text(dc, t, RECT{x + 6, top, x + w - 6, bottom}, textColor, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        x += w + (gap > 0 ? gap : 8);
    }
    SelectObject(dc, old);
}

}  // namespace

void AnalysisView::Paint(HDC dc, HFONT panelFont, HFONT uiFont) {
    const UiPalette& pal = g_uiPalette;
    const COLORREF bg = pal.controlBg, text = pal.text, accent = pal.accent, border = pal.border, surface = pal.surface;
    const COLORREF slate = RGB(0x64, 0x74, 0x8B);
    const COLORREF onAccent = Lum(accent) >= 150 ? RGB(0x12, 0x16, 0x18) : RGB(0xF8, 0xFA, 0xFC);
    const bool dark = Lum(surface) < 128;
    chartAccent = accent;
    folderBase = BlendColor(accent, RGB(0, 0, 0), dark ? 82 : 74);
    const COLORREF chipBg = BlendColor(bg, surface, 75), crumbBg = BlendColor(bg, surface, 85),
                   crumbCurrent = BlendColor(bg, accent, 82), hoverBg = BlendColor(bg, accent, 55),
                   folderRowBg = BlendColor(bg, accent, 88), line = BlendColor(border, bg, 50),
                   upDisabled = BlendColor(bg, slate, 55), rankMuted = BlendColor(slate, bg, 45),
                   fileBar = BlendColor(accent, slate, 35);
    const int d = dark ? 30 : -18;
    const COLORREF barTrack = RGB(std::clamp(GetRValue(surface) + d, 0, 255), std::clamp(GetGValue(surface) + d, 0, 255),
                                  std::clamp(GetBValue(surface) + d, 0, 255));
    auto s = [&](int v) { return std::max(MulDiv(v, std::max(layoutDpi, 96), 96), 1); };
    if (!panelFont) panelFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (!uiFont) uiFont = panelFont;

    if (ready.load() && ringRect.right - ringRect.left > 0) LayoutSunburst(chart, rows, ringRect, chartAccent, folderBase);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, panelFont);

    // Hover link between rows and segments.
    int hovRow = hoveredRow, hovSeg = hoveredSegment;
    if (hovSeg >= 0 && static_cast<size_t>(hovSeg) < chart.segments.size() && hovRow < 0)
        hovRow = chart.segments[static_cast<size_t>(hovSeg)].rowIndex;
    else if (hovRow >= 0 && hovSeg < 0)
        hovSeg = FindSegmentForItem(chart, hovRow);

    const std::wstring status = StatusText();

    // Header.
    FillRectIfNonEmpty(dc, headerRect, bg);
    DrawUsageDonut(dc, donutRect, totalBytes, freeBytes, bg, accent, text, panelFont);
    RECT title{headerTextRect.left, headerTextRect.top, headerTextRect.right, headerTextRect.top + s(22)};
    int titleLeft = title.left;
    if (IsAllDisksLocation()) {
        RECT badge{title.left, title.top, title.left + s(48), title.bottom};
        FillRectIfNonEmpty(dc, badge, accent);
        Text(dc, L"ALL", badge, onAccent, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        titleLeft = badge.right + s(10);
    } else if (summaryLetter) {
        RECT badge{title.left, title.top, title.left + s(40), title.bottom};
        FillRectIfNonEmpty(dc, badge, accent);
        Text(dc, std::wstring(1, summaryLetter) + L":", badge, onAccent, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        titleLeft = badge.right + s(10);
    }
    std::wstring titleText;
    if (!status.empty() && (busy.load() || failed.load())) titleText = status;
    else if (!summaryLabel.empty()) titleText = summaryLabel;
    else if (IsAllDisksLocation()) titleText = Tr(L"Analysis_AllDisksTitle", L"全盘分析", L"All-disk analysis");
    Text(dc, titleText, RECT{titleLeft, title.top, title.right, title.bottom}, text,
         DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    {
        const int top = title.bottom + s(6);
        int bottom = headerTextRect.bottom;
        if (bottom - top < s(18)) bottom = top + s(20);
        int x = headerTextRect.left;
        const uint64_t used = freeBytes > totalBytes ? 0 : totalBytes - freeBytes;
        int64_t analyzed = 0;
        if (IsAllDisksLocation()) {
            for (const auto& dr : drives)
                if (dr && dr->ready) analyzed += dr->model.RootTotalSize();
        } else if (const DiskAnalysisModel* m = CurrentModel()) {
            analyzed = m->RootTotalSize();
        }
        const int lim = headerTextRect.right;
        DrawSummaryChip(dc, x, top, bottom, Tr(L"Analysis_Used", L"已用", L"Used"), FormatSizeShort(static_cast<int64_t>(used)),
                        chipBg, text, uiFont, panelFont, lim, s(8));
        DrawSummaryChip(dc, x, top, bottom, Tr(L"Analysis_Free", L"可用", L"Free"),
                        FormatSizeShort(static_cast<int64_t>(freeBytes)), chipBg, text, uiFont, panelFont, lim, s(8));
        DrawSummaryChip(dc, x, top, bottom, Tr(L"Analysis_Total", L"总计", L"Total"),
                        FormatSizeShort(static_cast<int64_t>(totalBytes)), chipBg, slate, uiFont, panelFont, lim, s(8));
        DrawSummaryChip(dc, x, top, bottom, Tr(L"Analysis_Analyzed", L"已分析", L"Analyzed"), FormatSizeShort(analyzed),
                        chipBg, accent, uiFont, panelFont, lim, s(8));
    }

    // Path bar.
    FillRectIfNonEmpty(dc, pathBarRect, bg);
    SelectObject(dc, uiFont);
    Text(dc, Tr(L"Analysis_Path", L"路径", L"Path"),
         RECT{pathBarRect.left, pathBarRect.top + s(2), pathBarRect.left + pathLabelWidth, pathBarRect.bottom - s(2)}, slate,
         DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, panelFont);
    for (size_t i = 0; i < crumbs.size(); ++i) {
        const AnalysisBreadcrumb& c = crumbs[i];
        const bool last = i + 1 == crumbs.size();
        COLORREF fill = crumbBg, fg = text;
        if (static_cast<int>(i) == hoveredCrumb && c.text != L"...") fill = hoverBg, fg = accent;
        else if (last) fill = crumbCurrent, fg = accent;
        FillRectIfNonEmpty(dc, c.rect, fill);
        Text(dc, c.text, RECT{c.rect.left + 6, c.rect.top, c.rect.right - 6, c.rect.bottom}, fg,
             DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        if (!last)
            Text(dc, L"/", RECT{c.rect.right, c.rect.top, c.rect.right + s(16), c.rect.bottom}, slate,
                 DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    const bool canUp = CanGoUp();
    FillRectIfNonEmpty(dc, upRect, canUp ? accent : upDisabled);
    Text(dc, Tr(L"Analysis_Up", L"上一级", L"Up"), upRect, canUp ? onAccent : slate, DT_CENTER | DT_VCENTER | DT_SINGLELINE);

    // Ring area.
    FillRectIfNonEmpty(dc, ringRect, surface);
    RECT msg = ringRect;
    InflateRect(&msg, -s(20), -s(20));
    if (ready.load() && chart.outerRadius > 0) {
        PaintSunburst(chart, dc, hovSeg, focusFrn, bg, border, text, slate, accent, panelFont, uiFont, ringTitle, ringValue);
        SetBkMode(dc, TRANSPARENT);
        SelectObject(dc, panelFont);
    } else {
        std::wstring m;
        if (ready.load()) {
            m = Tr(L"Analysis_NoSunburst", L"此处没有可显示的占用分布", L"No usage distribution to show here");
        } else {
            m = status;
            if (m.empty() && failed.load()) m = Tr(L"Analysis_ScanFailedShort", L"扫描失败", L"Scan failed");
            if (m.empty())
                m = busy.load() ? Tr(L"Analysis_ScanningWait", L"正在扫描，请稍候...", L"Scanning, please wait...")
                                : Tr(L"Analysis_SelectDriveHint", L"选择磁盘或 ALL 开始分析",
                                     L"Select a drive or ALL to start analysis");
        }
        Text(dc, m, msg, slate, DT_CENTER | DT_WORDBREAK);
    }
    if (busy.load() && !ready.load()) {
        RECT bar{ringRect.left, ringRect.bottom - s(6), ringRect.right, ringRect.bottom};
        FillRectIfNonEmpty(dc, bar, BlendColor(surface, border, 70));
        const uint64_t done = progressDone.load(), total = std::max<uint64_t>(progressTotal.load(), 1);
        const int w = static_cast<int>(static_cast<double>(bar.right - bar.left) * std::min<uint64_t>(done, total) / total);
        FillRectIfNonEmpty(dc, RECT{bar.left, bar.top, bar.left + w, bar.bottom}, accent);
    }

    // Rows header and list.
    const RECT rowsHeader{rowsPanelRect.left, rowsPanelRect.top, rowsPanelRect.right, rowListRect.top};
    FillRectIfNonEmpty(dc, rowsHeader, bg);
    const int reserve = rowBarVisible ? scrollbarWidth : 0;
    const int R0 = rowsHeader.right - s(4) - reserve;
    {
        const std::wstring fmt = Tr(L"Analysis_StoryTitle", L"谁在占用空间", L"What is using space");
        const std::wstring t = fmt + L"  (" + std::to_wstring(rows.size()) + L")";
        Text(dc, t, RECT{rowsHeader.left + s(10), rowsHeader.top, R0 - shareColWidth - sizeColWidth - s(12), rowsHeader.bottom},
             accent, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        SelectObject(dc, uiFont);
        Text(dc, Tr(L"Analysis_Pct", L"占比", L"Share"),
             RECT{R0 - shareColWidth - sizeColWidth, rowsHeader.top, R0 - s(4) - sizeColWidth, rowsHeader.bottom}, slate,
             DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
        Text(dc, Tr(L"Analysis_Size", L"大小", L"Size"), RECT{R0 - sizeColWidth, rowsHeader.top, R0, rowsHeader.bottom},
             slate, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
        SelectObject(dc, panelFont);
        DrawHLine(dc, rowsHeader.left, rowsHeader.right, rowsHeader.bottom - 1, line);
    }
    FillRectIfNonEmpty(dc, rowListRect, bg);
    {
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, rowListRect.left, rowListRect.top, rowListRect.right, rowListRect.bottom);
        const int H = std::max(rowHeight, 28);
        if (ready.load() && rows.empty() && !busy.load()) {
            RECT m = rowListRect;
            InflateRect(&m, -s(16), -s(16));
            Text(dc, Tr(L"Analysis_NoItems", L"此文件夹中没有可显示的项目", L"No items to show in this folder"), m, slate,
                 DT_CENTER | DT_WORDBREAK);
        } else {
            const DiskAnalysisModel* model = CurrentModel();
            for (int i = rowScroll / H, y = rowListRect.top - rowScroll % H; static_cast<size_t>(i) < rows.size() && y < rowListRect.bottom;
                 ++i, y += H) {
                const ChildEntry& e = rows[static_cast<size_t>(i)];
                const RECT r{rowListRect.left, y, rowListRect.right - reserve, y + H};
                const bool sel = IsSelected(e.frn);
                FillRectIfNonEmpty(dc, r, sel ? accent : i == hovRow ? hoverBg : e.isFolder ? folderRowBg : bg);
                DrawHLine(dc, r.left + s(4), r.right - s(4), r.bottom - 1, line);
                const COLORREF rank = i < 3 ? accent : rankMuted;
                const RECT badge{r.left + s(6), r.top + s(8), r.left + s(30), r.bottom - s(8)};
                FillRectIfNonEmpty(dc, badge, sel ? onAccent : rank);
                SelectObject(dc, uiFont);
                Text(dc, std::to_wstring(i + 1), badge,
                     sel ? accent : (Lum(rank) >= 150 ? RGB(0x12, 0x16, 0x18) : RGB(0xF8, 0xFA, 0xFC)),
                     DT_CENTER | DT_VCENTER | DT_SINGLELINE);
                SelectObject(dc, panelFont);
                const int iconSize = s(16);
                std::wstring iconPath;
                if (IsDriveRowFrn(e.frn)) iconPath = GetAnalysisItemPath(e.frn);
                else if (model) iconPath = model->GetFullPath(e.frn);
                if (iconPath.empty()) iconPath = e.nameLength ? std::wstring(e.name, e.nameLength) : (e.isFolder ? L"folder" : L"file");
                if (HICON icon = GetIconForPath(e.isFolder != 0, iconPath.c_str(), iconSize, false, false))
                    DrawIconEx(dc, r.left + s(34), r.top + (H - iconSize) / 2, icon, iconSize, iconSize, 0, nullptr, DI_NORMAL);
                const RECT sizeCol{r.right - s(4) - sizeColWidth, r.top, r.right - s(4), r.bottom};
                const RECT shareCol{sizeCol.left - s(6) - shareColWidth, r.top, sizeCol.left - s(6), r.bottom};
                const int barRight = shareCol.left - s(8);
                const int nameLeft = r.left + s(34) + iconSize + s(6);
                const std::wstring name = e.nameLength ? std::wstring(e.name, e.nameLength) : std::wstring(L"?");
                Text(dc, name, RECT{nameLeft, r.top + s(2), barRight, r.top + s(20)}, sel ? onAccent : text,
                     DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
                DrawShareBar(dc, RECT{nameLeft, r.bottom - s(11), barRight, r.bottom - s(5)}, e.isFolder ? accent : fileBar,
                             barTrack, e.share);
                wchar_t share[32];
                _snwprintf(share, 31, L"%.1f%%", e.share);
                share[31] = 0;
                SelectObject(dc, uiFont);
                Text(dc, share, shareCol, sel ? onAccent : slate, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
                SelectObject(dc, panelFont);
                Text(dc, FormatSizeShort(e.size), sizeCol, sel ? onAccent : text, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
            }
        }
        RestoreDC(dc, saved);
        SelectObject(dc, panelFont);
    }

    // Extension header and list.
    FillRectIfNonEmpty(dc, extHeaderRect, bg);
    {
        std::wstring t = std::wstring(extExpanded ? L"\u25BC" : L"\u25B6") + L"  " +
                         Tr(L"Analysis_ByType", L"按类型（从大到小）", L"By type (large->small)") + L"  (" +
                         std::to_wstring(extRows.size()) + L")";
        if (!extExpanded) t += L"  " + Tr(L"Analysis_ClickExpand", L"点击展开", L"Click to expand");
        Text(dc, t, RECT{extHeaderRect.left + s(10), extHeaderRect.top, extHeaderRect.right, extHeaderRect.bottom}, slate,
             DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    if (extExpanded) {
        FillRectIfNonEmpty(dc, extListRect, bg);
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, extListRect.left, extListRect.top, extListRect.right, extListRect.bottom);
        const int E = std::max(extRowHeight, 22);
        const int ereserve = extBarVisible ? scrollbarWidth : 0;
        int64_t D = 0;
        if (IsAllDisksLocation()) {
            for (const auto& dr : drives)
                if (dr && dr->ready) D += dr->model.RootTotalSize();
        } else if (const DiskAnalysisModel* m = CurrentModel()) {
            D = m->RootTotalSize();
        }
        D = std::max<int64_t>(D, 1);
        if (ready.load() && extRows.empty() && !busy.load()) {
            RECT m{extListRect.left + s(12), extListRect.top + s(8), extListRect.right - s(12), extListRect.bottom - s(8)};
            Text(dc, Tr(L"Analysis_NoExtStats", L"没有扩展名统计", L"No extension stats"), m, slate,
                 DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        } else {
            for (int i = extScroll / E, y = extListRect.top - extScroll % E; static_cast<size_t>(i) < extRows.size() && y < extListRect.bottom;
                 ++i, y += E) {
                const ExtStat& x = extRows[static_cast<size_t>(i)];
                const RECT r{extListRect.left, y, extListRect.right - ereserve, y + E};
                if (i == hoveredExtRow) {
                    FillRectIfNonEmpty(dc, r, hoverBg);
                    DrawHLine(dc, r.left + s(4), r.right - s(4), r.bottom - 1, line);
                }
                const int sw = s(16);
                const int sx = r.left + s(8), sy = r.top + (E - sw) / 2;
                HICON icon = nullptr;
                if (!IsPlaceholderExtension(x.extension)) {
                    std::wstring dummy = L"file";
                    if (x.extension.empty() || x.extension[0] != L'.') dummy += L'.';
                    dummy += x.extension;
                    icon = GetIconForPath(false, dummy.c_str(), sw, false, false);
                }
                if (icon) DrawIconEx(dc, sx, sy, icon, sw, sw, 0, nullptr, DI_NORMAL);
                else FillRectIfNonEmpty(dc, RECT{sx, sy, sx + sw, sy + sw}, x.color);
                const RECT sizeCol{r.right - s(4) - extSizeColWidth, r.top, r.right - s(4), r.bottom};
                const RECT countCol{sizeCol.left - s(4) - extCountColWidth, r.top, sizeCol.left - s(4), r.bottom};
                const RECT nameBox{sx + sw + s(8), r.top, countCol.left - s(8), r.bottom - s(6)};
                Text(dc, ExtensionLabel(x.extension), nameBox, text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
                DrawShareBar(dc, RECT{nameBox.left, r.bottom - s(7), nameBox.right, r.bottom - s(3)}, x.color, barTrack,
                             static_cast<double>(x.totalSize) * 100.0 / static_cast<double>(D));
                SelectObject(dc, uiFont);
                Text(dc, FormatItemCount(x.fileCount), countCol, slate, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
                SelectObject(dc, panelFont);
                Text(dc, FormatSizeShort(x.totalSize), sizeCol, text, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
            }
        }
        RestoreDC(dc, saved);
        SelectObject(dc, panelFont);
    }

    // Scroll bars.
    UpdateScrollbars();
    const COLORREF trackColor = RGB((3 * GetRValue(bg) + GetRValue(surface)) * 25 / 100,
                                    (3 * GetGValue(bg) + GetGValue(surface)) * 25 / 100,
                                    (3 * GetBValue(bg) + GetBValue(surface)) * 25 / 100);
    const COLORREF thumbIdle = RGB((45 * GetRValue(bg) + 55 * GetRValue(slate)) / 100,
                                   (45 * GetGValue(bg) + 55 * GetGValue(slate)) / 100,
                                   (45 * GetBValue(bg) + 55 * GetBValue(slate)) / 100);
    if (rowBarVisible) {
        FillRectIfNonEmpty(dc, rowTrack, trackColor);
        FillRectIfNonEmpty(dc, rowThumb, (hoveredBar == 1 || draggedBar == 1) ? accent : thumbIdle);
    }
    if (extBarVisible) {
        FillRectIfNonEmpty(dc, extTrack, trackColor);
        FillRectIfNonEmpty(dc, extThumb, (hoveredBar == 2 || draggedBar == 2) ? accent : thumbIdle);
    }
    SelectObject(dc, oldFont);
}
