// The filter bar: one owner-drawn button per category with its hit count, laid out in rows in
// the top bar (or hidden for the sidebar layout), and the selection of the current category.
#include <algorithm>
#include <cwchar>

#include "core/Core.h"
#include "i18n/I18n.h"
#include "index/Index.h"
#include "search/FiltersInternal.h"
#include "search/Search.h"
#include "results/FilterBar.h"
#include "results/Results.h"
#include "core/Window.h"
#include "ui/Controls.h"
#include "ui/Ui.h"

std::vector<HWND> g_filterButtons;
std::vector<int> g_filterButtonWidths;

namespace {

constexpr size_t kCountRowLimit = 80000;

void HideButton(HWND b) {
    if (IsLiveWindow(b)) ShowWindow(b, SW_HIDE);
}

}  // namespace

int MeasureFilterButtonWidth(HWND button) {
    if (!IsLiveWindow(button)) return ScaleForDpi(72);
    std::wstring text = ReadWindowTextBounded(button, 255);
    std::wstring name = text, count;
    size_t crlf = text.find(L"\r\n");
    if (crlf != std::wstring::npos) {
        name = text.substr(0, crlf);
        count = text.substr(crlf + 2);
    }
    HWND dcOwner = IsLiveWindow(g_hMainWnd) ? g_hMainWnd : button;
    HDC dc = GetDC(dcOwner);
    if (!dc) return ScaleForDpi(72);
    HFONT font = g_fontButton ? g_fontButton : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HGDIOBJ old = SelectObject(dc, font);
    SIZE nameSize{}, countSize{};
    GetTextExtentPoint32W(dc, name.c_str(), static_cast<int>(name.size()), &nameSize);
    if (!count.empty()) GetTextExtentPoint32W(dc, count.c_str(), static_cast<int>(count.size()), &countSize);
    SelectObject(dc, old);
    ReleaseDC(dcOwner, dc);
    return FilterButtonWidthFromParts(nameSize.cx, countSize.cx, !count.empty());
}

void LayoutFilterButtons() {
    if (g_appMode != kAppModeSearch) {
        for (HWND b : g_filterButtons) HideButton(b);
        return;
    }
    const FilterBarMetrics m = GetFilterBarMetrics();
    if (g_filterLayoutSidebar) {
        for (HWND b : g_filterButtons) {
            if (IsLiveWindow(b))
                SetWindowPos(b, nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
        }
        g_listAreaTop = m.listBase;
        HideButton(g_hStatusText);
        return;
    }
    if (g_filterButtons.empty()) {
        g_listAreaTop = m.bottomPad + m.listPad + m.listBase;
        HideButton(g_hStatusText);
        return;
    }
    std::vector<HWND> live;
    std::vector<int> widths;
    for (HWND b : g_filterButtons) {
        if (!IsLiveWindow(b)) continue;
        live.push_back(b);
        widths.push_back(MeasureFilterButtonWidth(b));
    }
    const FilterBarLayout layout = ComputeFilterBarLayout(widths, g_clientWidth, m);
    for (size_t i = 0; i < live.size(); ++i) {
        const RECT& r = layout.rects[i];
        const int w = r.right - r.left;
        RECT cur{};
        bool inPlace = false;
        if (GetWindowRect(live[i], &cur) && IsLiveWindow(g_hMainWnd)) {
            MapWindowPoints(nullptr, g_hMainWnd, reinterpret_cast<POINT*>(&cur), 2);
            inPlace = cur.left == r.left && cur.top == r.top && cur.right - cur.left == w &&
                      cur.bottom - cur.top == m.height;
        }
        if (inPlace)
            ShowWindow(live[i], SW_SHOWNA);
        else
            SetWindowPos(live[i], nullptr, r.left, r.top, w, m.height,
                         SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    g_listAreaTop = layout.listAreaTop;
    HideButton(g_hStatusText);
    if (IsLiveWindow(g_hMainWnd)) LayoutNativeScrollBars();
}

void CreateFilterButtons() {
    if (!g_hMainWnd) return;
    HINSTANCE inst = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(g_hMainWnd, GWLP_HINSTANCE));
    while (g_filterButtons.size() < g_filterCategories.size() && g_filterButtons.size() < kMaxFilterCategories) {
        const size_t i = g_filterButtons.size();
        const std::wstring text = GetFilterDisplayName(static_cast<int>(i), g_filterCategories[i]) + L"\r\n(0)";
        DWORD style = WS_CHILD | BS_MULTILINE | BS_OWNERDRAW;
        if (g_appMode == kAppModeSearch) style |= WS_VISIBLE;
        HWND b = CreateWindowExW(0, L"BUTTON", text.c_str(), style, 15, 60, ScaleForDpi(72), ScaleForDpi(40),
                                 g_hMainWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(200 + i)), inst, nullptr);
        if (!b) break;
        SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(g_fontButton ? g_fontButton : g_fontUi), TRUE);
        SetWindowLongPtrW(b, GWL_EXSTYLE, GetWindowLongPtrW(b, GWL_EXSTYLE) | WS_EX_COMPOSITED);
        SubclassThemedBackground(b);
        g_filterButtons.push_back(b);
    }
    while (g_filterButtons.size() > g_filterCategories.size()) {
        HWND b = g_filterButtons.back();
        if (IsLiveWindow(b)) DestroyWindow(b);
        g_filterButtons.pop_back();
    }
    const int cur = g_currentFilterCategory.load();
    if (cur < 0 || cur >= static_cast<int>(g_filterCategories.size())) g_currentFilterCategory.store(0);
    LayoutFilterButtons();
    for (HWND b : g_filterButtons)
        if (IsLiveWindow(b)) SendMessageW(b, BM_SETSTYLE, BS_MULTILINE | BS_OWNERDRAW, TRUE);
}

std::wstring GetFilterDisplayName(int index, const FilterCategory& category) {
    std::wstring text;
    if (!category.name.empty() && FindActiveText(category.name, text) && !text.empty()) return text;
    if (index < 0 || index >= static_cast<int>(g_defaultFilterCategories.size())) return category.name;
    const auto& builtin = g_defaultFilterCategories[static_cast<size_t>(index)].exts;
    if (builtin.size() != category.exts.size()) return category.name;
    for (size_t i = 0; i < builtin.size(); ++i)
        if (_wcsicmp(builtin[i].c_str(), category.exts[i].c_str()) != 0) return category.name;
    if (FindActiveText(L"Filter." + std::to_wstring(index), text) && !text.empty()) return text;
    return category.name;
}

void UpdateFilterButtonCounts() {
    auto rows = GetResultsSnapshot();
    const size_t catCount = g_filterCategories.size();
    std::vector<int64_t> counts(catCount, 0);
    std::wstring sizeText;
    if (IsLiveWindow(g_hCustomSizeEdit)) {
        sizeText = ReadWindowTextBounded(g_hCustomSizeEdit, 127);
        g_customSizeText = sizeText;
        g_customSizeTextHash.store(Fnv1aHash32(sizeText));
    }
    SizeDateFilterParams p = SizeDateFilterModes(sizeText);
    const bool filterActive = p.sizeMode != 0 || p.dateMode != 0;
    p.pickersValid = ReadDatePickers(p.pickerFrom, p.pickerTo);
    p.invalidCustomDatePasses = !p.pickersValid;
    bool missing = false;
    if (rows && !rows->empty()) {
        const size_t n = std::min(rows->size(), kCountRowLimit);
        FillFilterClock(p);
        if (p.dateMode == 4) PrepareCustomDateRange(p);
        std::wstring name;
        for (size_t r = 0; r < n; ++r) {
            const MatchItem& item = (*rows)[r];
            VolumeIndex* v = item.volume;
            if (!v) continue;
            bool ok = false, isFolder = false, deleted = false;
            uint64_t frn = 0;
            AcquireSRWLockShared(&v->indexLock);
            if (item.recordIndex < v->records.size()) {
                const auto& rec = v->records[item.recordIndex];
                if (rec.name && rec.nameLength >= 1 && rec.nameLength <= 1024) {
                    name.assign(rec.name, rec.nameLength);
                    isFolder = rec.isDirectory != 0;
                    deleted = rec.deleted != 0;
                    frn = rec.frn;
                    ok = true;
                }
            }
            ReleaseSRWLockShared(&v->indexLock);
            if (!ok || deleted) continue;
            if (filterActive) {
                if (isFolder) continue;
                FileAttrInfo info{};
                bool valid = false;
                AcquireSRWLockShared(&v->attrCacheLock);
                auto it = v->attrCache.find(frn);
                if (it != v->attrCache.end() && it->second.valid) {
                    info = it->second;
                    valid = true;
                }
                ReleaseSRWLockShared(&v->attrCacheLock);
                if (!valid) {
                    missing = true;
                    continue;
                }
                if (!SizePassesFilter(p, static_cast<int64_t>(info.size))) continue;
                if (p.dateMode != 0) {
                    const uint64_t t = p.useCreationTime ? AttrTimeU64(info.creation) : AttrTimeU64(info.lastWrite);
                    if (t == 0) {
                        missing = true;
                        continue;
                    }
                    if (!TimePassesFilter(p, t)) continue;
                }
            }
            if (catCount > 0) counts[0]++;
            for (size_t i = 1; i < catCount; ++i) {
                if (isFolder ? IsFolderCategory(static_cast<int>(i))
                             : MatchesFilterCategory(name.c_str(), static_cast<int>(i)))
                    counts[i]++;
            }
        }
        if (rows->size() > kCountRowLimit && catCount > 0) counts[0] = static_cast<int64_t>(rows->size());
    }
    if (missing && g_hMainWnd) SetTimer(g_hMainWnd, TIMER_SCROLL_SETTLE, 60, nullptr);
    for (size_t i = 0; i < catCount && i < g_filterButtons.size(); ++i) {
        HWND b = g_filterButtons[i];
        if (!IsLiveWindow(b)) continue;
        const std::wstring text = GetFilterDisplayName(static_cast<int>(i), g_filterCategories[i]) + L"\r\n(" +
                                  std::to_wstring(counts[i]) + L")";
        if (ReadWindowTextBounded(b, 511) != text) SetWindowTextW(b, text.c_str());
    }
    if (g_filterLayoutSidebar) {
        if (IsLiveWindow(g_hMainWnd)) ScheduleResultsRepaint(60);
        return;
    }
    if (g_appMode != kAppModeSearch) {
        for (HWND b : g_filterButtons) HideButton(b);
        return;
    }
    bool same = g_filterButtonWidths.size() == g_filterButtons.size();
    for (size_t i = 0; same && i < g_filterButtons.size(); ++i) {
        if (IsLiveWindow(g_filterButtons[i]) && MeasureFilterButtonWidth(g_filterButtons[i]) != g_filterButtonWidths[i])
            same = false;
    }
    if (same) return;
    const int oldTop = g_listAreaTop;
    LayoutFilterButtons();
    g_filterButtonWidths.clear();
    for (HWND b : g_filterButtons)
        g_filterButtonWidths.push_back(IsLiveWindow(b) ? MeasureFilterButtonWidth(b) : ScaleForDpi(72));
    if (g_listAreaTop != oldTop) {
        RelayoutResults();
        if (IsLiveWindow(g_hMainWnd)) {
            RECT r{0, g_listAreaTop, g_clientWidth, g_clientHeight};
            InvalidateRect(g_hMainWnd, &r, FALSE);
        }
    }
}

void SelectFilterCategory(int index) {
    if (index < 0 || index >= static_cast<int>(g_filterCategories.size())) return;
    g_currentFilterCategory.store(index);
    // The visible set is about to change: no command may act on rows of the old one.
    ClearSelection();
    for (HWND b : g_filterButtons) {
        if (!IsLiveWindow(b)) continue;
        SendMessageW(b, BM_SETSTYLE, BS_MULTILINE | BS_OWNERDRAW, TRUE);
        SendMessageW(b, BM_SETSTATE, FALSE, 0);
        InvalidateRect(b, nullptr, FALSE);
        UpdateWindow(b);
        SetWindowPos(b, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    }
    SetVerticalScroll(0);
    RefreshFilteredResultsAsync();
    if (IsLiveWindow(g_hSearchEdit) && IsWindowEnabled(g_hSearchEdit)) {
        SetFocus(g_hSearchEdit);
        SendMessageW(g_hSearchEdit, EM_SETSEL, static_cast<WPARAM>(-1), -1);
    }
}
