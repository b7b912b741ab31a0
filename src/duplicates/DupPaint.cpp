// The duplicate view painter: top bar, summary card with the total, chips and (while scanning)
// the phase, the file being hashed and a progress bar; the group list with a bar per group; the
// files of the selected group; the two scroll bars.
#include <algorithm>
#include <cstdio>

#include "duplicates/DupEngine.h"
#include "duplicates/DupView.h"
#include "i18n/I18n.h"
#include "ui/Ui.h"

namespace {

constexpr COLORREF kMuted = RGB(100, 116, 139);

COLORREF Mix(COLORREF x, int p, COLORREF y, int q) {
    return RGB((GetRValue(x) * p + GetRValue(y) * q) / 100, (GetGValue(x) * p + GetGValue(y) * q) / 100,
               (GetBValue(x) * p + GetBValue(y) * q) / 100);
}

COLORREF Contrast(COLORREF c) {
    return (299 * GetRValue(c) + 587 * GetGValue(c) + 114 * GetBValue(c)) / 1000 < 140 ? RGB(255, 255, 255)
                                                                                         : RGB(20, 20, 20);
}

void Fill(HDC dc, const RECT& r, COLORREF color) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    HBRUSH brush = CreateSolidBrush(color);
    if (!brush) return;
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void Line(HDC dc, int x0, int y, int x1, int width, COLORREF color) {
    RECT r{x0, y, x1, y + width};
    Fill(dc, r, color);
}

void Text(HDC dc, const std::wstring& text, RECT r, HFONT font, COLORREF color, UINT format) {
    if (text.empty() || r.right <= r.left) return;
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    SetTextColor(dc, color);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text.c_str(), (int)text.size(), &r, format);
    if (old) SelectObject(dc, old);
}

int TextWidth(HDC dc, const std::wstring& text, HFONT font) {
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), (int)text.size(), &size);
    if (old) SelectObject(dc, old);
    return size.cx;
}

constexpr UINT kLine = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;

std::wstring Format(const wchar_t* format, ...) {
    wchar_t buffer[256];
    va_list args;
    va_start(args, format);
    _vsnwprintf(buffer, 255, format, args);
    va_end(args);
    buffer[255] = 0;
    return buffer;
}

}  // namespace

std::wstring DupFormatByteSize(int64_t bytes) {
    if (bytes < 0) bytes = 0;
    if (bytes < 1024) return Format(L"%lld B", (long long)bytes);
    static const wchar_t* const kUnits[] = {L"KB", L"MB", L"GB", L"TB"};
    double value = (double)bytes / 1024.0;
    int unit = 0;
    while (unit < 3 && value >= 1024.0) {
        value /= 1024.0;
        ++unit;
    }
    const wchar_t* format = value >= 100 ? L"%.0f %ls" : value >= 10 ? L"%.1f %ls" : L"%.2f %ls";
    return Format(format, value, kUnits[unit]);
}

std::wstring DupDeleteCheckText(uint64_t done, uint64_t total) {
    const auto bytes = [](uint64_t n) { return DupFormatByteSize((int64_t)std::min<uint64_t>(n, INT64_MAX)); };
    return FormatTableText(TrW(L"Dup_StatusCheckingFmt", L"删除前正在核对副本：已读取 %s / %s（按 Esc 取消）",
                               L"Checking the copies before deleting: %s of %s read (Esc cancels)")
                               .c_str(),
                           bytes(done).c_str(), bytes(total).c_str());
}

void DupFillRoundRect(HDC dc, const RECT& r, int radius, COLORREF color) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    radius = std::max(1, std::min({radius, w / 2, h / 2}));
    HBRUSH brush = CreateSolidBrush(color);
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    if (brush && pen) {
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        RoundRect(dc, r.left, r.top, r.right, r.bottom, 2 * radius, 2 * radius);
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
    }
    if (brush) DeleteObject(brush);
    if (pen) DeleteObject(pen);
}

void DupPaintBar(HDC dc, bool shown, const RECT& track, const RECT& thumb, bool hot) {
    if (!shown) return;
    const UiPalette& p = g_uiPalette;
    Fill(dc, track, Mix(p.controlBg, 75, p.surface, 25));
    Fill(dc, thumb, hot ? p.accent : Mix(p.controlBg, 45, kMuted, 55));
}

void DuplicateFindView::Paint(HDC dc, HFONT mainFont) {
    if (!dc) return;
    const UiPalette& pal = g_uiPalette;
    const COLORREF C = pal.controlBg, S = pal.surface, A = pal.accent, B = pal.border, T = pal.text;
    HFONT ui = g_fontUi ? g_fontUi : mainFont;
    if (!mainFont) mainFont = ui;
    const int dpi = std::max(96, layoutDpi);
    auto s = [dpi](int v) { return std::max(1, MulDiv(v, dpi, 96)); };
    const bool isRunning = running.load();

    // 1. Backgrounds.
    for (const RECT* r : {&headerRect, &summaryRect, &groupListRect, &fileListRect}) Fill(dc, *r, C);
    Fill(dc, groupHeaderRect, Mix(C, 82, S, 18));
    Fill(dc, fileHeaderRect, Mix(C, 82, S, 18));

    // 2. Title.
    Text(dc, TrW(L"Dup_Title", L"重复文件", L"Duplicate Files"), titleRect, ui, kMuted, kLine);

    // 3. Total size and its label.
    const std::wstring total = DupFormatByteSize((int64_t)totalBytes);
    const std::wstring label = TrW(L"Dup_WasteLabel", L"总大小", L"Total size");
    const int statsH = std::max<int>(s(22), statsRect.bottom - statsRect.top);
    if (isRunning && statsH >= s(48)) {
        RECT top = statsRect;
        top.bottom = top.top + s(34);
        Text(dc, total, top, mainFont, A, kLine);
        RECT below{statsRect.left, top.bottom + s(2), statsRect.right, statsRect.bottom};
        Text(dc, label, below, ui, kMuted, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    } else if (isRunning) {
        Text(dc, total, statsRect, mainFont, A, kLine);
    } else {
        Text(dc, total, statsRect, mainFont, A, kLine);
        RECT r = statsRect;
        r.left = std::min<LONG>(statsRect.left + TextWidth(dc, total, mainFont) + s(10), statsRect.right - s(8));
        Text(dc, label, r, ui, kMuted, kLine);
    }

    // 4. Chips.
    std::vector<std::wstring> chips;
    if (isRunning && groups.empty() && totalFiles == 0) {
        chips.push_back(TrW(L"Dup_Scanning", L"扫描中...", L"scanning"));
    } else {
        if (!(isRunning && groups.empty()))
            chips.push_back(Format(L"%ls %zu", TrW(L"Dup_GroupsChip", L"分组", L"Groups").c_str(), groups.size()));
        if (!isRunning || totalFiles > 0)
            chips.push_back(Format(L"%ls %d", TrW(L"Dup_FilesChip", L"文件", L"Files").c_str(), (int)totalFiles));
        if (fromCache.load()) chips.push_back(TrW(L"Dup_FromCache", L"缓存", L"cached"));
    }
    {
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, chipsRect.left, chipsRect.top, chipsRect.right, chipsRect.bottom);
        int y = chipsRect.top;
        const COLORREF chipColor = Mix(S, 22, C, 78);
        for (const std::wstring& chip : chips) {
            if (y + s(20) > chipsRect.bottom) break;
            const int width = std::min<int>(chipsRect.right - chipsRect.left, TextWidth(dc, chip, ui) + s(14));
            RECT r{chipsRect.right - width, y, chipsRect.right, y + s(20)};
            Fill(dc, r, chipColor);
            Line(dc, r.left + s(4), r.bottom - 2, r.right - s(4), 2, Mix(chipColor, 45, A, 55));
            RECT tr{r.left + s(7), r.top, r.right - s(7), r.bottom};
            Text(dc, chip, tr, ui, kMuted, kLine);
            y += s(20) + s(6);
        }
        RestoreDC(dc, saved);
    }

    auto progressBar = [&](int part) {
        Fill(dc, progressBarRect, Mix(S, 62, C, 38));
        const int filled = MulDiv(progressBarRect.right - progressBarRect.left, part, 1000);
        if (filled > 0) {
            RECT r = progressBarRect;
            r.right = r.left + filled;
            Fill(dc, r, A);
        }
    };

    // 5. Progress while scanning.
    if (isRunning) {
        std::wstring line = GetStatusText();
        if (line.empty()) line = DupPhaseName(phase.load());
        if (paused.load()) line = TrW(L"Dup_Paused", L"已暂停", L"Paused") + L" · " + line;
        const uint64_t done = progressDone.load(), all = progressTotal.load();
        if (all != 0) line += Format(L"  %llu/%llu", (unsigned long long)done, (unsigned long long)all);
        if (timeoutCount.load() > 0) line += Format(L"  跳过%d", (int)timeoutCount.load());
        Text(dc, line, phaseLineRect, ui, kMuted, kLine);

        std::wstring path;
        uint32_t age = 0;
        if (GetOldestWorkerFile(&path, &age)) {
            const bool stuck = age >= 3;
            std::wstring text = stuck ? Format(L"卡住 %ds · ", (int)age)
                                      : TrW(L"Dup_CurrentFile", L"当前", L"Current") + L" · ";
            const size_t sep = path.find_last_of(L"\\/");
            if (sep == std::wstring::npos || sep + 1 >= path.size()) {
                text += path;
            } else {
                text += path.substr(sep + 1) + L"  \u2014 " + path;
            }
            Text(dc, text, currentFileRect, ui, stuck ? A : kMuted, kLine);
        }
        progressBar((int)permille.load());
    }

    // 5b. Progress of a delete's check.
    if (!isRunning && deleteChecking) {
        Text(dc, DupDeleteCheckText(checkBytesDone, checkBytesTotal), phaseLineRect, ui, kMuted, kLine);
        progressBar(checkBytesTotal ? (int)std::min(1000.0, 1000.0 * (double)checkBytesDone / (double)checkBytesTotal)
                                    : 0);
    }

    // 6. Headers.
    const bool haveGroup = selectedGroup >= 0 && selectedGroup < (int)groups.size();
    {
        RECT r = groupHeaderRect;
        InflateRect(&r, -s(10), 0);
        Text(dc, TrW(L"Dup_ChartHeader", L"按大小排列的重复分组（点击查看）", L"Duplicate groups by size (click to inspect)"),
             r, ui, kMuted, kLine);
        r = fileHeaderRect;
        InflateRect(&r, -s(10), 0);
        std::wstring header =
            haveGroup ? Format(L"%ls  %ls  \u00d7%zu", TrW(L"Dup_DetailHeader", L"组内文件", L"Files in group").c_str(),
                               DupFormatByteSize(groups[selectedGroup].size).c_str(),
                               groups[selectedGroup].files.size())
                      : TrW(L"Dup_DetailEmpty", L"在左侧选择一个分组", L"Select a group on the left");
        Text(dc, header, r, ui, kMuted, kLine);
    }
    UpdateScrollbars();

    // 7. Empty state.
    if (!isRunning && groups.empty()) {
        RECT r = groupListRect;
        InflateRect(&r, -s(16), -s(16));
        // Without results the status says how the last scan ended (cancelled, failed), else how
        // to start one; either is looked up now, in the language of now.
        std::wstring hint = resultsReady.load() ? TrW(L"Dup_NoResults", L"未找到重复文件", L"No duplicate files found")
                                                : GetStatusText();
        if (hint.empty()) hint = DupHintStatus().Text();
        Text(dc, hint, r, mainFont, kMuted, kLine | DT_CENTER);
    }

    // 8. Group rows.
    if (!groups.empty()) {
        const int saved = SaveDC(dc);
        const int right = groupListRect.right - (groupBarShown ? scrollbarWidth : 0);
        IntersectClipRect(dc, groupListRect.left, groupListRect.top, right, groupListRect.bottom);
        int64_t maxTotal = 1;
        for (const DupGroup& g : groups) maxTotal = std::max(maxTotal, g.totalBytes);
        const int first = std::max(0, groupScroll / std::max(1, groupRowHeight));
        for (int i = first; i < (int)groups.size(); ++i) {
            const int top = groupListRect.top - groupScroll + i * groupRowHeight;
            if (top >= groupListRect.bottom) break;
            if (top + groupRowHeight <= groupListRect.top) continue;
            const DupGroup& g = groups[i];
            const RECT row{groupListRect.left, top, right, top + groupRowHeight};
            const bool selected = i == selectedGroup;
            if (selected) {
                Fill(dc, row, Mix(C, 68, A, 32));
                Fill(dc, RECT{row.left, row.top, row.left + s(3), row.bottom}, A);
            } else if (i == hoverGroup) {
                Fill(dc, row, Mix(C, 52, A, 48));
            }
            // Rank badge.
            const std::wstring rank = std::to_wstring(i + 1);
            const int bw = std::max(s(22), TextWidth(dc, rank, ui) + s(14));
            const int by = row.top + (groupRowHeight - s(22)) / 2;
            const RECT badge{row.left + s(10), by, row.left + s(10) + bw, by + s(22)};
            COLORREF badgeColor, numberColor;
            if (selected) {
                badgeColor = Contrast(A);
                numberColor = A;
            } else {
                badgeColor = i < 3 ? A : Mix(C, 55, kMuted, 45);
                numberColor = Contrast(badgeColor);
            }
            DupFillRoundRect(dc, badge, s(22) / 2, badgeColor);
            Text(dc, rank, badge, ui, numberColor, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
            // Texts.
            const int x0 = badge.right + s(10), x1 = row.right - s(10);
            const std::wstring right = Format(L"%ls \u00d7 %zu", DupFormatByteSize(g.size).c_str(), g.files.size());
            const int rw = std::min(std::max(s(72), (x1 - x0) / 3), TextWidth(dc, right, ui) + s(4));
            const RECT rightBox{x1 - rw, row.top + s(6), x1, row.top + s(24)};
            Text(dc, right, rightBox, ui, selected ? Mix(Contrast(A), 70, kMuted, 30) : kMuted, kLine | DT_RIGHT);
            const RECT leftBox{x0, row.top + s(6), rightBox.left - s(8), row.top + s(24)};
            Text(dc, Format(L"%ls  %ls", TrW(L"Dup_WasteShort", L"合计", L"Total").c_str(),
                            DupFormatByteSize(g.totalBytes).c_str()),
                 leftBox, mainFont, selected ? Contrast(A) : T, kLine);
            // Size bar.
            const RECT track{x0, row.bottom - s(14), x1, row.bottom - s(6)};
            DupFillRoundRect(dc, track, s(3), Mix(S, 58, C, 42));
            const int trackW = std::max<int>(x1 - x0, 0);
            int w = (int)((double)g.totalBytes / (double)maxTotal * trackW + 0.5);
            if (g.totalBytes > 0) w = std::max(w, 2);
            w = std::min(w, trackW);
            if (w > 0) {
                const int inner = SaveDC(dc);
                IntersectClipRect(dc, track.left, track.top, track.left + w, track.bottom);
                DupFillRoundRect(dc, track, s(3), selected ? A : Mix(kMuted, 28, A, 72));
                RestoreDC(dc, inner);
            }
            Line(dc, row.left + s(4), row.bottom - 1, row.right - s(4), 1, Mix(B, 55, C, 45));
        }
        RestoreDC(dc, saved);
    }

    // 9. File rows of the selected group.
    if (haveGroup) {
        const int saved = SaveDC(dc);
        const int right = fileListRect.right - (fileBarShown ? scrollbarWidth : 0);
        IntersectClipRect(dc, fileListRect.left, fileListRect.top, right, fileListRect.bottom);
        const auto& files = groups[selectedGroup].files;
        const int first = std::max(0, fileScroll / std::max(1, fileRowHeight));
        for (int j = first; j < (int)files.size(); ++j) {
            const int top = fileListRect.top - fileScroll + j * fileRowHeight;
            if (top >= fileListRect.bottom) break;
            if (top + fileRowHeight <= fileListRect.top) continue;
            const RECT row{fileListRect.left, top, right, top + fileRowHeight};
            if (IsFileSelected(j)) {
                Fill(dc, row, Mix(C, 62, A, 38));
            } else if (j == hoverFile) {
                Fill(dc, row, Mix(C, 52, A, 48));
            }
            Line(dc, row.left + s(8), row.bottom - 1, row.right - s(8), 1, Mix(B, 55, C, 45));
            const RECT pathBox{row.left + s(12), row.top, row.right - s(90), row.bottom};
            Text(dc, files[j].path, pathBox, mainFont, T, kLine | DT_PATH_ELLIPSIS);
            const RECT sizeBox{row.right - s(86), row.top, row.right - s(10), row.bottom};
            Text(dc, DupFormatByteSize(files[j].size), sizeBox, ui, kMuted,
                 DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
        }
        RestoreDC(dc, saved);
    }

    // 10. Scroll bars.
    DupPaintBar(dc, groupBarShown, groupTrackRect, groupThumbRect, hoverBar == 1 || dragMode == 1);
    DupPaintBar(dc, fileBarShown, fileTrackRect, fileThumbRect, hoverBar == 2 || dragMode == 2);
}
