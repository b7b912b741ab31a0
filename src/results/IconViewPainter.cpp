// Icon modes of the results list: a grid of cells, each with an icon (in the large mode a
// thumbnail once one is cached) above the file name. The paint never reads a file: thumbnails are
// loaded by the thumbnail hydration task and only drawn here once cached.
#include <algorithm>

#include "core/Tasks.h"
#include "core/Window.h"
#include "index/Index.h"
#include "results/Results.h"
#include "results/ResultsInternal.h"
#include "search/Search.h"
#include "ui/Ui.h"

namespace {

constexpr size_t kLargeIconCandidateLimit = 48;
constexpr UINT kThumbnailSettleMs = 70;

// The candidate set the last settle restart was made for (UI thread only).
ThumbnailSettleGate g_thumbnailSettleGate;

// Copies name, folder flag and full path of a row under its volume's shared index lock; false for
// a row without a volume or a record that is out of range, deleted or nameless.
bool ReadCellRecord(const MatchItem& item, IconCellInfo& cell, uint64_t& frn) {
    VolumeIndex* v = item.volume;
    if (!v) return false;
    bool ok = false;
    AcquireSRWLockShared(&v->indexLock);
    if (item.recordIndex < v->records.size()) {
        const FileRecord& rec = v->records[item.recordIndex];
        if (!rec.deleted && rec.name && rec.nameLength > 0) {
            cell.name.assign(rec.name, rec.nameLength);
            cell.isDir = rec.isDirectory != 0;
            v->BuildFullPath(item.recordIndex, cell.fullPath);
            frn = rec.frn;
            ok = true;
        }
    }
    ReleaseSRWLockShared(&v->indexLock);
    return ok;
}

// The icon of a cell from the cache, without file access: the thumbnail when it is cached and
// wanted, else the shell's icon for the name and attributes.
HICON CellIcon(const IconCellInfo& cell, int iconSize, bool useThumbnail) {
    if (cell.isDir && !useThumbnail && iconSize <= 20) return GetDefaultFolderIcon();
    const std::wstring& path = cell.fullPath.empty() ? cell.name : cell.fullPath;
    // Asking for an uncached thumbnail without file access would note a failure for it, so the
    // thumbnail key is looked up first.
    HICON icon = nullptr;
    if (IsIconCached(cell.isDir, path.c_str(), iconSize, useThumbnail))
        icon = GetIconForPath(cell.isDir, path.c_str(), iconSize, useThumbnail, false);
    if (!icon) icon = GetIconForPath(cell.isDir, path.c_str(), iconSize, false, false);
    return icon;
}

void DrawCell(HDC hdc, const ListPaintFrame& frame, const IconCellInfo& cell, int pitch, int h, int iconSize,
              bool useThumbnail) {
    const PaintTools& t = *frame.tools;
    const bool selected = IsRowSelected(cell.row);
    RECT box{cell.x, cell.y, std::min(frame.rightEdge, cell.x + pitch), cell.y + h};
    HBRUSH fill = selected ? t.rowSel : t.cellBg;
    if (fill && box.right > box.left) FillRect(hdc, &box, fill);

    const int iconX = cell.x + (pitch - iconSize) / 2;
    const int iconY = cell.y + ScaleForDpi(8);
    if (HICON icon = CellIcon(cell, iconSize, useThumbnail))
        DrawIconEx(hdc, iconX, iconY, icon, iconSize, iconSize, 0, nullptr, DI_NORMAL);

    HPEN pen = selected ? t.accentPen : (t.cellBorderPen ? t.cellBorderPen : t.dividerPen);
    if (pen) {
        HGDIOBJ oldPen = SelectObject(hdc, pen);
        HGDIOBJ oldBrush = SelectObject(hdc, GetStockObject(NULL_BRUSH));
        Rectangle(hdc, box.left + 1, box.top + 1, box.right - 1, box.bottom - 1);
        SelectObject(hdc, oldBrush);
        SelectObject(hdc, oldPen);
    }

    SetTextColor(hdc, g_uiPalette.text);
    RECT caption{cell.x + ScaleForDpi(6), iconY + iconSize + ScaleForDpi(6), cell.x + pitch - ScaleForDpi(6),
                 cell.y + h - ScaleForDpi(6)};
    if (!cell.name.empty() && caption.right > caption.left && caption.bottom > caption.top)
        DrawTextW(hdc, cell.name.c_str(), static_cast<int>(cell.name.size()), &caption,
                  DT_CENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}

}  // namespace

void SortThumbnailCandidates(std::vector<size_t>& indices, const std::vector<IconCellInfo>& cells) {
    std::sort(indices.begin(), indices.end(), [&cells](size_t a, size_t b) {
        const IconCellInfo& x = cells[a];
        const IconCellInfo& y = cells[b];
        if (x.sizeKnown != y.sizeKnown) return x.sizeKnown;
        if (x.sizeKnown && x.size != y.size) return x.size < y.size;
        return x.row < y.row;
    });
}

std::vector<IconCellInfo> BuildIconCells(const ListPaintFrame& frame, const std::vector<MatchItem>& rows) {
    std::vector<IconCellInfo> cells;
    const ResultListLayout& l = frame.layout;
    const int W = l.sidebarWidth;
    const int T = GetResultsListTopIn(l);
    const int h = std::max(GetResultRowHeightIn(l), 1);
    const int pitch = std::max(ResultScale(l, 72), GetIconCellWidthIn(l));
    const int64_t columns = std::max(GetIconColumnsPerRowIn(l, std::max(frame.rightEdge - W, 1)), 1);
    const int iconSize = GetResultIconSizeIn(l);
    const bool thumbnails = l.viewMode == static_cast<int>(ResultViewMode::LargeIcons);
    const int64_t count = static_cast<int64_t>(rows.size());
    const int64_t lines = (count + columns - 1) / columns;
    const int64_t scrollY = std::max<int64_t>(l.scrollY, 0);
    const int64_t firstLine = scrollY / h;
    const int y0 = T - static_cast<int>(scrollY % h);
    const int64_t lastLine = std::min(lines, firstLine + std::max(frame.areaBottom - T, 0) / h + 2);

    for (int64_t line = firstLine; line < lastLine; ++line) {
        for (int64_t column = 0; column < columns; ++column) {
            const int64_t row = line * columns + column;
            if (row >= count) break;
            IconCellInfo cell;
            uint64_t frn = 0;
            if (!ReadCellRecord(rows[static_cast<size_t>(row)], cell, frn)) continue;
            cell.row = row;
            cell.x = W + static_cast<int>(column) * pitch;
            cell.y = y0 + static_cast<int>(line - firstLine) * h;
            cell.thumbnailEligible = !cell.isDir && HasThumbnailExtension(cell.fullPath.c_str());
            if (cell.thumbnailEligible && thumbnails) {
                cell.thumbnailCached = IsIconCached(false, cell.fullPath.c_str(), iconSize, true);
                if (!cell.thumbnailCached)
                    cell.thumbnailFailedRecently = IsThumbnailFailureRecent(cell.fullPath.c_str(), iconSize);
                FileAttrInfo info;
                VolumeIndex* v = rows[static_cast<size_t>(row)].volume;
                if (v->LookupAttr(frn, &info) && info.valid) {
                    cell.sizeKnown = true;
                    cell.size = info.size;
                }
            }
            cells.push_back(std::move(cell));
        }
    }
    return cells;
}

std::vector<size_t> ThumbnailCandidates(const std::vector<IconCellInfo>& cells) {
    std::vector<size_t> candidates;
    for (size_t i = 0; i < cells.size(); ++i) {
        const IconCellInfo& c = cells[i];
        // A thumbnail that failed a moment ago is not waited for: it is retried only after its
        // retry time, by a later hydration run.
        if (c.thumbnailEligible && !c.thumbnailCached && !c.thumbnailFailedRecently) candidates.push_back(i);
    }
    SortThumbnailCandidates(candidates, cells);
    return candidates;
}

bool ThumbnailSettleGate::ShouldRestart(const std::vector<IconCellInfo>& cells,
                                        const std::vector<size_t>& candidates) {
    if (candidates.size() <= kLargeIconCandidateLimit) {
        have_ = false;
        return false;
    }
    // FNV-1a over the candidates' paths in load order: the same files waiting again are the
    // same set, whatever repaint shows them.
    uint64_t h = 0xCBF29CE484222325ull;
    auto mix = [&h](uint64_t value) {
        for (int i = 0; i < 8; ++i) {
            h ^= (value >> (i * 8)) & 0xFF;
            h *= 0x100000001B3ull;
        }
    };
    mix(candidates.size());
    for (size_t index : candidates) {
        mix(static_cast<uint64_t>(cells[index].row));
        for (wchar_t c : cells[index].fullPath) mix(static_cast<uint16_t>(c));
    }
    const bool changed = !have_ || h != last_;
    have_ = true;
    last_ = h;
    return changed;
}

void PaintIconViewRows(HDC hdc, const ListPaintFrame& frame, const std::vector<MatchItem>& rows) {
    const ResultListLayout& l = frame.layout;
    const int W = l.sidebarWidth;
    const int R = frame.rightEdge;
    const int B = frame.areaBottom;
    const int h = std::max(GetResultRowHeightIn(l), 1);
    const int pitch = std::max(ResultScale(l, 72), GetIconCellWidthIn(l));
    const int iconSize = GetResultIconSizeIn(l);
    const bool thumbnails = l.viewMode == static_cast<int>(ResultViewMode::LargeIcons);

    const std::vector<IconCellInfo> cells = BuildIconCells(frame, rows);
    const std::vector<size_t> candidates = thumbnails ? ThumbnailCandidates(cells) : std::vector<size_t>();
    std::vector<bool> preferred(cells.size(), false);
    for (size_t i = 0; i < std::min(candidates.size(), kLargeIconCandidateLimit); ++i) preferred[candidates[i]] = true;

    const int saved = SaveDC(hdc);
    IntersectClipRect(hdc, W, l.listAreaTop, R, B);
    SetBkMode(hdc, TRANSPARENT);
    for (size_t i = 0; i < cells.size(); ++i) {
        const IconCellInfo& cell = cells[i];
        const bool useThumbnail = thumbnails && cell.thumbnailEligible && (cell.thumbnailCached || preferred[i]);
        DrawCell(hdc, frame, cell, pitch, h, iconSize, useThumbnail);
    }
    RestoreDC(hdc, saved);

    // Many thumbnails still missing: the settle timer starts the next hydration run. It is
    // restarted only when the set of waiting files changed, so a view whose files give no
    // thumbnail goes quiet instead of repainting and re-reading them for ever.
    if (thumbnails && g_thumbnailSettleGate.ShouldRestart(cells, candidates) && g_hMainWnd &&
        !g_shuttingDown.load())
        SetTimer(g_hMainWnd, TIMER_SCROLL_SETTLE, kThumbnailSettleMs, nullptr);
}
