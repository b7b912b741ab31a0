// List mode of the results list: the rows on screen with their seven columns, the header with
// the sort arrow, and the highlighting of the search term in names.
#include <cwctype>
#include <optional>

#include "core/Core.h"
#include "i18n/I18n.h"
#include "index/Index.h"
#include "results/Results.h"
#include "results/ResultsInternal.h"
#include "search/Search.h"
#include "core/Window.h"
#include "ui/Ui.h"

namespace {

// One visible row, copied under the volume's index lock before anything is drawn.
struct ListRowInfo {
    std::wstring name;
    bool isDir = false;
    bool valid = false;
    uint64_t frn = 0;
    std::wstring fullPath;
};

void TextOutClipped(HDC hdc, int x, int y, const RECT& clip, const std::wstring& text) {
    if (text.empty()) return;
    ExtTextOutW(hdc, x, y, ETO_CLIPPED, &clip, text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

void DrawLine(HDC hdc, int x0, int y0, int x1, int y1) {
    MoveToEx(hdc, x0, y0, nullptr);
    LineTo(hdc, x1, y1);
}

int TextWidth(HDC hdc, const wchar_t* text, size_t count) {
    if (count == 0) return 0;
    SIZE sz{};
    if (!GetTextExtentPoint32W(hdc, text, static_cast<int>(count), &sz)) return 0;
    return sz.cx;
}

bool TimesAreZero(const FileAttrInfo& info) {
    return info.lastWrite.dwLowDateTime == 0 && info.lastWrite.dwHighDateTime == 0 &&
           info.creation.dwLowDateTime == 0 && info.creation.dwHighDateTime == 0;
}

// Copies name, folder flag and frn of the rows first..end-1, and their full paths where needed.
std::vector<ListRowInfo> CollectRows(const std::vector<MatchItem>& rows, int64_t first, int64_t end,
                                     bool pathColumnVisible) {
    std::vector<ListRowInfo> infos(static_cast<size_t>(std::max<int64_t>(end - first, 0)));
    for (int64_t row = first; row < end; ++row) {
        const MatchItem& item = rows[static_cast<size_t>(row)];
        if (!item.volume) continue;
        VolumeIndex* v = item.volume;
        ListRowInfo& info = infos[static_cast<size_t>(row - first)];
        AcquireSRWLockShared(&v->indexLock);
        if (item.recordIndex < v->records.size()) {
            const FileRecord& rec = v->records[item.recordIndex];
            if (!rec.deleted && rec.name && rec.nameLength > 0) {
                info.name.assign(rec.name, rec.nameLength);
                info.isDir = rec.isDirectory != 0;
                info.frn = rec.frn;
                info.valid = true;
                if (pathColumnVisible || (!info.isDir && HasOwnIconExtension(info.name.c_str())))
                    info.fullPath = v->BuildFullPath(item.recordIndex);
            }
        }
        ReleaseSRWLockShared(&v->indexLock);
    }
    return infos;
}

std::wstring FolderSizeText(VolumeIndex* v, uint64_t frn) {
    uint64_t total = 0;
    bool found = false;
    AcquireSRWLockShared(&v->folderSizesLock);
    auto it = v->folderSizes.find(frn);
    if (it != v->folderSizes.end()) {
        found = true;
        total = it->second;
    }
    ReleaseSRWLockShared(&v->folderSizesLock);
    if (!found || total < 1) return L"-";
    return FormatSize(static_cast<long long>(total));
}

std::wstring HeaderTitle(int column) {
    switch (column) {
        case 0: return L"#";
        case 1: return Tr(L"Header_Name", L"名称", L"Name");
        case 2: return Tr(L"Header_Size", L"大小", L"Size");
        case 3: return Tr(L"Header_Modified", L"修改时间", L"Modified");
        case 4: return Tr(L"Header_Created", L"创建时间", L"Created");
        case 5: return Tr(L"Header_Type", L"类型", L"Type");
        default: return Tr(L"Header_Path", L"路径", L"Path");
    }
}

}  // namespace

std::wstring FormatRowNumber(int64_t row) {
    std::wstring number = std::to_wstring(row + 1);
    if (number.size() < 2) number.insert(0, 1, L'0');
    return number;
}

std::wstring GetResultHeaderTitle(int column) {
    std::wstring title = HeaderTitle(column);
    int sortColumn = g_sortColumn.load();
    if (column > 0 && column == sortColumn)
        title += g_sortAscending.load() ? L" \u2191" : L" \u2193";
    return title;
}

std::wstring HighlightTermFromText(std::wstring text) {
    TrimWhitespace(text);
    if (text.empty()) return text;
    if (text.size() >= 2 && text[0] == L's' && text[1] == L':') {
        text.erase(0, 2);
        size_t bar = text.find(L'|');
        if (bar != std::wstring::npos) text.erase(bar);
        TrimWhitespace(text);
    }
    if (text.empty() || IsSingleCjkChar(text)) return {};
    return ToLowerMove(std::move(text));
}

std::wstring GetHighlightTerm() {
    if (!g_hSearchEdit || !IsWindow(g_hSearchEdit)) return {};
    wchar_t buffer[256] = {};
    int n = GetWindowTextW(g_hSearchEdit, buffer, 256);
    if (n <= 0) return {};
    return HighlightTermFromText(std::wstring(buffer, static_cast<size_t>(n)));
}

void DrawTextWithHighlight(HDC hdc, const std::wstring& text, const std::wstring& term, int x,
                           int y, RECT clip) {
    if (!hdc || text.empty()) return;
    std::vector<size_t> hits;
    if (!term.empty() && term.size() <= text.size()) {
        std::wstring lowered = text;
        for (wchar_t& c : lowered) c = static_cast<wchar_t>(std::towlower(c));
        for (size_t p = lowered.find(term); p != std::wstring::npos; p = lowered.find(term, p + term.size()))
            hits.push_back(p);
    }
    HBRUSH hitBrush = hits.empty() ? nullptr : CreateSolidBrush(g_uiPalette.searchHit);
    if (hitBrush) {
        TEXTMETRICW tm{};
        GetTextMetricsW(hdc, &tm);
        for (size_t p : hits) {
            int a = TextWidth(hdc, text.c_str(), p);
            int b = TextWidth(hdc, text.c_str() + p, term.size());
            RECT box{x + a, y, x + a + b, y + tm.tmHeight};
            RECT visible{};
            if (IntersectRect(&visible, &box, &clip)) FillRect(hdc, &visible, hitBrush);
        }
        DeleteObject(hitBrush);
    }
    SetTextColor(hdc, g_uiPalette.text);
    TextOutClipped(hdc, x, y, clip, text);
    if (hits.empty()) return;
    SetTextColor(hdc, g_uiPalette.textHit);
    for (size_t p : hits) {
        int x0 = x + TextWidth(hdc, text.c_str(), p);
        RECT box = clip;
        box.left = std::max<LONG>(x0, clip.left);
        if (box.left >= clip.right) continue;
        ExtTextOutW(hdc, x0, y, ETO_CLIPPED, &box, text.c_str() + p, static_cast<UINT>(term.size()), nullptr);
    }
}

bool PaintListRows(HDC hdc, const ListPaintFrame& f, const std::vector<MatchItem>& rows) {
    const ResultListLayout& l = f.layout;
    const int W = l.sidebarWidth;
    const int R = f.rightEdge;
    const int B = f.areaBottom;
    const int T = GetResultsListTopIn(l);
    const int h = std::max(ResultScale(l, 44), 1);
    const int64_t count = static_cast<int64_t>(rows.size());
    const int64_t first = std::max<int64_t>(l.scrollY / h, 0);
    const int y0 = T - static_cast<int>(l.scrollY % h);
    const int64_t end = std::min<int64_t>(first + std::max(B - T, 0) / h + 2, count);
    bool needAttrHydration = false;
    std::optional<PaintTools> ownTools;  // only made when the caller passed none
    if (!f.tools) ownTools.emplace();
    const PaintTools& t = f.tools ? *f.tools : *ownTools;
    const int64_t hoveredRow = GetHoveredResultRow();

    int saved = SaveDC(hdc);
    IntersectClipRect(hdc, W, l.listAreaTop, R, B);

    const int pathLeft = GetColumnLeftIn(l, 6);
    const bool pathVisible = pathLeft < R && pathLeft + l.columnWidths[6] > W;
    std::vector<ListRowInfo> infos;
    if (end > first) infos = CollectRows(rows, first, end, pathVisible);

    const int icon16 = ResultScale(l, 16);
    const int textDy = (h - 17) / 2;
    const COLORREF emphasisText = g_darkTheme ? RGB(255, 255, 255) : RGB(30, 41, 59);

    for (int64_t row = first; row < end; ++row) {
        const ListRowInfo& info = infos[static_cast<size_t>(row - first)];
        if (!info.valid) continue;
        VolumeIndex* v = rows[static_cast<size_t>(row)].volume;

        // The cache's own lookup: the probe and its lock wait count in the hit-ratio summary.
        // An entry that is not valid is still copied (its size is the fallback below).
        FileAttrInfo attr;
        const bool attrValid = v->LookupAttr(info.frn, &attr);
        if (!f.scrolling && (!attrValid || (!info.isDir && TimesAreZero(attr)))) needAttrHydration = true;
        uint64_t fileSize = attr.size;
        if (!info.isDir && !attrValid) {
            SizePair pair;
            if (v->LookupFileSize(info.frn, &pair)) fileSize = static_cast<uint64_t>(std::max<int64_t>(pair.size, 0));
        }

        const int rowY = y0 + h * static_cast<int>(row - first);
        const bool hovered = row == hoveredRow;
        const bool selected = IsRowSelected(row);
        const COLORREF rowText = (hovered || selected) ? emphasisText : g_uiPalette.text;

        RECT rowBox{W + ResultScale(l, 8), rowY, R - ResultScale(l, 8), rowY + h - ResultScale(l, 4)};
        if (selected)
            FillRoundedBox(hdc, rowBox, ResultScale(l, 8), t.rowSel);
        else if (hovered)
            FillRoundedBox(hdc, rowBox, ResultScale(l, 8), t.rowHover ? t.rowHover : t.surface);

        for (int c = 0; c < kResultColumnCount; ++c) {
            const int L = GetColumnLeftIn(l, c);
            const int width = l.columnWidths[c];
            if (!(L < R && L + width > W)) continue;
            RECT cell{L + 10, rowY, L + width - 10, rowY + h};
            int tx = L + 15;
            const int ty = rowY + textDy;
            switch (c) {
                case 0: {
                    SetTextColor(hdc, g_uiPalette.rowNumberText);
                    TextOutClipped(hdc, tx, ty, cell, FormatRowNumber(row));
                    break;
                }
                case 1: {
                    HICON icon = nullptr;
                    if (info.isDir) {
                        icon = GetDefaultFolderIcon();
                    } else if (!info.fullPath.empty() && HasOwnIconExtension(info.name.c_str()) &&
                               IsIconCached(false, info.fullPath.c_str(), icon16, false)) {
                        icon = GetIconForPath(false, info.fullPath.c_str(), icon16, false, false);
                    } else {
                        icon = GetIconForPath(false, info.name.c_str(), icon16, false, false);
                    }
                    if (icon) {
                        DrawIconEx(hdc, L + 10, ty, icon, 16, 16, 0, nullptr, DI_NORMAL);
                        cell.left += 22;
                        tx += 22;
                    }
                    DrawTextWithHighlight(hdc, info.name, f.highlightTerm, tx, ty, cell);
                    break;
                }
                case 2: {
                    std::wstring text;
                    if (info.isDir)
                        text = FolderSizeText(v, info.frn);
                    else if (f.scrolling && !attrValid && fileSize == 0)
                        text = L"-";
                    else
                        text = FormatSize(static_cast<long long>(fileSize));
                    SetTextColor(hdc, rowText);
                    TextOutClipped(hdc, tx, ty, cell, text);
                    break;
                }
                case 3:
                case 4: {
                    const FILETIME& t = c == 3 ? attr.lastWrite : attr.creation;
                    std::wstring text = (!attrValid || TimesAreZero(attr)) ? std::wstring(L"-")
                                                                           : FormatFileTime(&t);
                    SetTextColor(hdc, rowText);
                    TextOutClipped(hdc, tx, ty, cell, text);
                    break;
                }
                case 5:
                    SetTextColor(hdc, rowText);
                    TextOutClipped(hdc, tx, ty, cell, GetLowerExtension(info.isDir, info.name));
                    break;
                default:
                    SetTextColor(hdc, g_uiPalette.textSecondary);
                    TextOutClipped(hdc, tx, ty, cell, info.fullPath);
                    break;
            }
            if (f.gridLines && c < 6 && L + width < R) DrawLine(hdc, L + width, rowY, L + width, rowY + h);
        }
        if (f.gridLines) DrawLine(hdc, W, rowY + h, R, rowY + h);
    }

    // Header, over the rows, inside the same clip.
    const int top = l.listAreaTop;
    const int headerH = ResultScale(l, 40);
    if (t.headerBg) {
        RECT band{0, top, l.clientWidth, top + headerH};
        FillRect(hdc, &band, t.headerBg);
        RECT list{W, top, R, top + headerH};
        FillRect(hdc, &list, t.headerBg);
    }
    SelectObject(hdc, g_fontUiSemibold ? g_fontUiSemibold : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    SetTextColor(hdc, g_uiPalette.header);
    for (int c = 0; c < kResultColumnCount; ++c) {
        const int x = GetColumnLeftIn(l, c);
        const int width = l.columnWidths[c];
        RECT clip{x + ResultScale(l, 12), top, x + width - ResultScale(l, 8), top + headerH};
        TextOutClipped(hdc, x + ResultScale(l, 12), top + (headerH - 15) / 2, clip, GetResultHeaderTitle(c));
        if (f.gridLines && c < 6 && W < x + width && x + width < R)
            DrawLine(hdc, x + width, top, x + width, top + headerH);
    }

    RestoreDC(hdc, saved);
    return needAttrHydration;
}
