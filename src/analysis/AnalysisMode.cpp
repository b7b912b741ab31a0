// The analysis mode's layout, controls and input.
#include "analysis/AnalysisMode.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cwctype>

#include "analysis/AnalysisView.h"
#include "core/Core.h"
#include "i18n/I18n.h"
#include "index/Index.h"
#include "results/FileActions.h"
#include "results/Results.h"
#include "ui/Controls.h"
#include "ui/Theme.h"
#include "ui/Ui.h"

std::atomic<int> g_analysisComboIndex{0};

namespace {

AnalysisControls g_controls;
AnalysisModeSwitchFn g_modeSwitcher = nullptr;
ULONGLONG g_lastProgressPaint = 0;

struct LayoutKey {
    int w = 0, h = 0, dpi = 0;
} g_layoutKey;

bool InMode() { return g_appMode == kAppModeAnalysis; }
int Dpi() { return g_dpi ? static_cast<int>(g_dpi) : 96; }

void Repaint(HWND window) {
    if (IsLiveWindow(window)) InvalidateRect(window, nullptr, FALSE);
}

void SwitchMode(HWND window, int mode) {
    if (g_modeSwitcher) g_modeSwitcher(window, mode);
}

}  // namespace

const AnalysisControls& GetAnalysisControls() { return g_controls; }

void SetAnalysisModeSwitcher(AnalysisModeSwitchFn fn) { g_modeSwitcher = fn; }

void InvalidateAnalysisLayout() { g_layoutKey = LayoutKey{}; }

void ComputeAnalysisLayout() {
    AnalysisView& v = g_analysisView;
    const int W = std::max(g_clientWidth, 100), H = g_clientHeight;
    const int dpiKey = Dpi();
    if (g_layoutKey.w == W && g_layoutKey.h == H && g_layoutKey.dpi == dpiKey) return;
    const int d = std::max(dpiKey, 96);
    auto S = [&](int x) { return std::max(1, MulDiv(x, d, 96)); };
    const int t = MulDiv(6, dpiKey, 96), m = S(10);
    v.layoutDpi = d;
    v.rowHeight = S(40);
    v.extRowHeight = S(28);
    v.scrollbarWidth = S(11);
    v.sizeColWidth = S(80);
    v.shareColWidth = S(58);
    v.extCountColWidth = S(78);
    v.extSizeColWidth = S(68);
    v.pathLabelWidth = S(44);
    v.topRect = RECT{0, 0, W, t};
    v.headerRect = RECT{m, t + m / 2, W - m, t + m / 2 + S(82)};
    const RECT& hd = v.headerRect;
    v.donutRect = RECT{hd.left + S(8), hd.top + S(4), hd.left + S(8) + S(60), hd.bottom - S(4)};
    int tl = hd.right - m - S(96) - S(220) - S(100) - 2 * S(8);
    tl = std::max(tl, static_cast<int>(v.donutRect.right) + S(20));
    const int tt = hd.top + (S(82) - S(34)) / 2;
    v.toolbarRect = RECT{tl, tt, hd.right - m / 2, tt + S(34)};
    v.headerTextRect = RECT{v.donutRect.right + S(12), hd.top + S(6), v.toolbarRect.left - S(12), hd.bottom - S(6)};
    v.pathBarRect = RECT{m, hd.bottom + S(8), W - S(100), hd.bottom + S(8) + S(34)};
    v.upRect = RECT{W - S(92), v.pathBarRect.top + S(3), W - m, v.pathBarRect.top + S(34) - S(3)};
    const int top = v.pathBarRect.bottom + S(8);
    const int bottom = std::max(std::max(H - t, 0), 120) - m + t;
    int x;
    if (W - 2 * m >= S(240) + S(260)) {
        x = W * 62 / 100;
        if (x - m < S(260)) x = S(260) + m;
        if (W - x - m < S(240)) x = W - S(240) - m;
    } else {
        x = m + (W - 2 * m) / 2;
    }
    v.ringRect = RECT{m, top, x - m / 2, bottom};
    v.rowsPanelRect = RECT{x + m / 2, top, W - m, bottom};
    const int rowsTop = top + S(28);
    const int left = v.rowsPanelRect.left;
    if (v.extExpanded) {
        const int space = bottom - rowsTop;
        const int extH = std::min(space * 40 / 100, std::max(space * 28 / 100, S(72)));
        v.rowListRect = RECT{left, rowsTop, W - m, bottom - extH - S(2) - S(26)};
        v.extHeaderRect = RECT{left, v.rowListRect.bottom + S(2), W - m, v.rowListRect.bottom + S(2) + S(26)};
        v.extListRect = RECT{left, v.extHeaderRect.bottom, W - m, bottom};
    } else {
        v.extListRect = RECT{left, bottom, W - m, bottom};
        v.extHeaderRect = RECT{left, bottom - S(26), W - m, bottom};
        v.rowListRect = RECT{left, rowsTop, W - m, v.extHeaderRect.top - S(2)};
    }
    v.LayoutBreadcrumbs();
    if (v.ready.load()) LayoutSunburst(v.chart, v.rows, v.ringRect, v.chartAccent, v.folderBase);
    v.ClampScroll();
    v.UpdateScrollbars();
    g_layoutKey = LayoutKey{W, H, dpiKey};
}

void UpdateAnalysisButtons() {
    const AnalysisControls& c = g_controls;
    if (IsLiveWindow(c.backButton))
        SetWindowTextW(c.backButton, Tr(L"Analysis_BackToSearch", L"返回搜索", L"Back to Search").c_str());
    if (IsLiveWindow(c.scanButton)) {
        const bool busy = g_analysisView.busy.load();
        const std::wstring text = busy ? Tr(L"Analysis_ScanningBtn", L"扫描中...", L"Scanning...")
                                  : g_analysisView.ready.load() ? Tr(L"Analysis_Rescan", L"重新扫描", L"Rescan")
                                                                : Tr(L"Analysis_StartScan", L"扫描", L"Scan");
        wchar_t current[64] = {};
        GetWindowTextW(c.scanButton, current, 63);
        if (text != current) SetWindowTextW(c.scanButton, text.c_str());
        EnableWindow(c.scanButton, !busy);
    }
}

void LayoutAnalysisControls(HWND window) {
    const AnalysisControls& c = g_controls;
    if (!c.driveCombo && !c.scanButton && !c.backButton) return;
    ComputeAnalysisLayout();
    const RECT tb = g_analysisView.toolbarRect;
    if (tb.right - tb.left <= 0) return;
    auto s = [](int v) { return MulDiv(v, Dpi(), 96); };
    const int ch = s(38), gap = s(8), back = s(96), scan = s(100);
    int cw = std::clamp(static_cast<int>(tb.right - tb.left) - 2 * gap - scan - back, s(100), s(240));
    while (back + cw + scan + 2 * gap > tb.right - tb.left && cw > s(80)) cw -= s(8);
    const int midY = (tb.top + tb.bottom) / 2;
    if (IsLiveWindow(c.driveCombo)) {
        const int x = tb.left + (c.backButton ? back + gap : 0);
        SetWindowPos(c.driveCombo, nullptr, x, midY - ch / 2, cw, s(280), SWP_NOZORDER | SWP_NOACTIVATE);
        FitComboHeight(c.driveCombo, ch);
        SendMessageW(c.driveCombo, CB_SETDROPPEDWIDTH, s(380), 0);
    }
    const int h = IsLiveWindow(c.driveCombo) ? MeasureComboHeight(c.driveCombo) : ch;
    int x = tb.left;
    const int y = midY - h / 2;
    if (IsLiveWindow(c.backButton)) {
        SetWindowPos(c.backButton, nullptr, x, y, back, h, SWP_NOZORDER | SWP_NOACTIVATE);
        x += back + gap;
    }
    if (IsLiveWindow(c.driveCombo)) {
        SetWindowPos(c.driveCombo, nullptr, x, y, cw, s(280), SWP_NOZORDER | SWP_NOACTIVATE);
        x += cw + gap;
    }
    if (IsLiveWindow(c.scanButton)) SetWindowPos(c.scanButton, nullptr, x, y, scan, h, SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateAnalysisButtons();
    if (IsLiveWindow(c.driveCombo)) RedrawWindow(c.driveCombo, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
    for (HWND b : {c.backButton, c.scanButton})
        if (IsLiveWindow(b)) InvalidateRect(b, nullptr, TRUE);
    (void)window;
}

void FillAnalysisDriveCombo() {
    HWND combo = g_controls.driveCombo;
    if (!IsLiveWindow(combo)) return;
    std::vector<DriveComboItem> drives;
    {
        std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
        for (auto& v : g_searchEngine.volumes) {
            if (!v || !v->available.load()) continue;
            DriveAnalysis captions;
            FillDriveAnalysisCaptions(&captions, v->root, L"");
            drives.push_back(DriveComboItem{captions.letter, captions.displayName});
        }
    }
    const int choice = FillDriveCombo(combo, Tr(L"Analysis_DriveAll", L"全部磁盘 (ALL)", L"All Drives (ALL)"), drives,
                                      g_analysisComboIndex.load());
    g_analysisComboIndex.store(std::max(choice, 0));
}

namespace {

void EnterMode(HWND window) {
    FillAnalysisDriveCombo();
    InvalidateAnalysisLayout();
    LayoutAnalysisControls(window);
    // Drives finished while another mode was shown are taken now.
    bool waiting = false;
    {
        std::lock_guard<std::mutex> lock(g_analysisScanMutex);
        waiting = !g_analysisScanResults.empty();
    }
    if (waiting && !g_analysisView.busy.load()) OnAnalysisScanDone(window, 1);
    else if (!g_analysisView.ready.load() && !g_analysisView.busy.load()) StartDiskAnalysisScan(window, false);
    UpdateAnalysisButtons();
    Repaint(window);
}

// The panel laid out and drawn again in the new language (the mode is shown; its rows were
// rebuilt by AnalysisView::Relocalize).
void RetranslateView(HWND window) {
    InvalidateAnalysisLayout();
    LayoutAnalysisControls(window);
    Repaint(window);
}

bool RunControlCommand(HWND window, int id, int code) {
    if (id == IDC_ANALYSIS_SCAN && code == BN_CLICKED) {
        StartDiskAnalysisScan(window, true);
        LayoutAnalysisControls(window);
        return true;
    }
    if (id == IDC_ANALYSIS_DRIVE_COMBO && code == CBN_SELCHANGE) {
        const LRESULT sel = SendMessageW(g_controls.driveCombo, CB_GETCURSEL, 0, 0);
        g_analysisComboIndex.store(sel == CB_ERR ? 0 : static_cast<int>(sel));
        StartDiskAnalysisScan(window, true);
        LayoutAnalysisControls(window);
        return true;
    }
    return false;
}

void ContextMenu(HWND window, POINT client) {
    AnalysisView& v = g_analysisView;
    const AnalysisHit hit = v.HitTest(client.x, client.y);
    uint64_t target = 0;
    const int row = GetAnalysisItemIndex(hit);
    if (v.IsSelectableRow(row)) {
        if (!v.IsSelected(v.rows[static_cast<size_t>(row)].frn)) v.SelectRow(row);
        target = v.rows[static_cast<size_t>(row)].frn;
    } else if ((hit.kind == kHitRows || hit.kind == kHitRing) && hit.frn != 0) {
        v.focusFrn = hit.frn;
        target = hit.frn;
    } else {
        target = v.focusFrn;
        if (target == 0 && !v.IsAllDisksLocation()) target = v.currentFolder;
        if (target == 0 && v.currentDrive >= 0) target = MakeDriveRowFrn(static_cast<uint32_t>(v.currentDrive));
    }
    const std::vector<std::wstring> selected = v.GetSelectedPaths();
    const std::wstring path = !selected.empty() ? selected.front() : GetAnalysisItemPath(target);
    bool anySelectable = false;
    for (int32_t i = 0; static_cast<size_t>(i) < v.rows.size(); ++i) anySelectable = anySelectable || v.IsSelectableRow(i);
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    auto add = [&](UINT id, const std::wstring& text, bool enabled) {
        AppendMenuW(menu, MF_STRING | (enabled ? 0 : MF_GRAYED), id, text.c_str());
    };
    const bool hasPath = !path.empty();
    add(1, Tr(L"Menu_Open", L"打开", L"Open"), hasPath);
    add(2, Tr(L"Menu_OpenContainingFolder", L"打开所在文件夹", L"Open Containing Folder"), hasPath);
    add(3, Tr(L"Menu_CopyFullPath", L"复制完整路径", L"Copy Full Path"), hasPath);
    add(4, Tr(L"Menu_Properties", L"属性", L"Properties"), hasPath);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    add(5, Tr(L"Menu_SelectAll", L"全选\tCtrl+A", L"Select All\tCtrl+A"), anySelectable);
    add(6, Tr(L"Menu_MoveToRecycleDelete", L"移到回收站\tDelete", L"Move to Recycle Bin\tDelete"), !v.selection.empty());
    add(7, Tr(L"Menu_DeletePermanentShiftDelete", L"永久删除\tShift+Delete", L"Delete Permanently\tShift+Delete"),
        !v.selection.empty());
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    add(8, Tr(L"Menu_SwitchToSearch", L"切换到搜索", L"Switch to Search"), true);
    add(9, Tr(L"Menu_SwitchToDup", L"切换到重复文件", L"Switch to Duplicate Files"), g_modeSwitcher != nullptr);
    POINT screen = client;
    ClientToScreen(window, &screen);
    Repaint(window);
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, window, nullptr));
    DestroyMenu(menu);
    switch (chosen) {
    case 1:
        if (!selected.empty()) OpenFiles(window, selected);
        else OpenFiles(window, {path});
        break;
    case 2: RevealInExplorer(path); break;
    case 3: CopyTextToClipboard(!selected.empty() ? JoinLinesCrLf(selected) : path); break;
    case 4: ShowFileProperties(path); break;
    case 5: v.SelectAllFiles(); break;
    case 6: DeleteSelectedInAnalysisView(true); break;
    case 7: DeleteSelectedInAnalysisView(false); break;
    case 8: SwitchMode(window, kAppModeSearch); break;
    case 9: SwitchMode(window, kAppModeDuplicates); break;
    default: break;
    }
    Repaint(window);
}

// Mouse and keys while the panel is shown; true when handled.
bool HandleInput(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    AnalysisView& v = g_analysisView;
    result = 0;
    switch (msg) {
    case WM_LBUTTONDOWN: {
        const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        if (v.BeginScrollbarDrag(x, y)) {
            SetCapture(window);
            Repaint(window);
            return true;
        }
        const AnalysisHit hit = v.HitTest(x, y);
        switch (hit.kind) {
        case kHitUp:
        case kHitHole: v.GoUp(); break;
        case kHitCrumb: v.OnBreadcrumbClick(hit.crumb); break;
        case kHitExtHeader:
            v.extExpanded = !v.extExpanded;
            InvalidateAnalysisLayout();
            LayoutAnalysisControls(window);
            break;
        case kHitRows:
        case kHitRing: {
            if (hit.frn == 0) break;
            const int row = GetAnalysisItemIndex(hit);
            const bool shift = (wParam & MK_SHIFT) != 0, ctrl = (wParam & MK_CONTROL) != 0;
            if (v.IsSelectableRow(row)) {
                if (shift) v.SelectRowRange(row);
                else if (ctrl) v.ToggleRowSelection(row);
                else v.SelectRow(row);
                SetFocus(window);
            } else if (!shift && !ctrl) {
                if (IsDriveRowFrn(hit.frn) || hit.isFolder) {
                    v.NavigateTo(hit.frn);
                } else {
                    v.focusFrn = hit.frn;
                    v.selection.clear();
                    v.anchorRow = -1;
                }
            }
            break;
        }
        default: break;
        }
        Repaint(window);
        return true;
    }
    case WM_LBUTTONUP:
        if (v.draggedBar) {
            v.draggedBar = 0;
            ReleaseCapture();
            Repaint(window);
        }
        return true;
    case WM_LBUTTONDBLCLK: {
        const AnalysisHit hit = v.HitTest(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        if (hit.kind == kHitHole) v.GoUp();
        else if (hit.kind == kHitRows || hit.kind == kHitRing) {
            if (IsDriveRowFrn(hit.frn)) v.OpenDrive(static_cast<int32_t>(hit.frn & 0xFFFFFFFFu));
            else if (hit.frn == 0) {
            } else if (hit.isFolder) v.NavigateTo(hit.frn);
            else {
                const std::wstring path = GetAnalysisItemPath(hit.frn);
                if (!path.empty()) ShellExecuteW(window, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
            }
        }
        Repaint(window);
        return true;
    }
    case WM_MOUSEMOVE: {
        const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        if (v.draggedBar) {
            v.DragScrollbar(y);
            Repaint(window);
            return true;
        }
        const AnalysisHit hit = v.HitTest(x, y);
        int row = hit.kind == kHitRows ? hit.index : -1;
        int seg = hit.kind == kHitRing ? hit.index : -1;
        const int ext = hit.kind == kHitExtList ? hit.index : -1;
        const int crumb = hit.kind == kHitCrumb ? hit.crumb : -1;
        const int bar = hit.kind == kHitRowScroll ? 1 : hit.kind == kHitExtScroll ? 2 : 0;
        if (seg >= 0 && static_cast<size_t>(seg) < v.chart.segments.size() && v.chart.segments[static_cast<size_t>(seg)].rowIndex >= 0)
            row = v.chart.segments[static_cast<size_t>(seg)].rowIndex;
        else if (row >= 0 && seg < 0)
            seg = FindSegmentForItem(v.chart, row);
        if (row != v.hoveredRow || seg != v.hoveredSegment || ext != v.hoveredExtRow || crumb != v.hoveredCrumb ||
            bar != v.hoveredBar) {
            v.hoveredRow = row;
            v.hoveredSegment = seg;
            v.hoveredExtRow = ext;
            v.hoveredCrumb = crumb;
            v.hoveredBar = bar;
            Repaint(window);
        }
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, window, 0};
        TrackMouseEvent(&tme);
        return true;
    }
    case WM_MOUSELEAVE:
        v.hoveredRow = v.hoveredSegment = v.hoveredExtRow = v.hoveredCrumb = -1;
        v.hoveredBar = 0;
        Repaint(window);
        return true;
    case WM_MOUSEWHEEL: {
        const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / 120;
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(window, &pt);
        const AnalysisHit hit = v.HitTest(pt.x, pt.y);
        auto in = [&](const RECT& r) { return PtInRect(&r, pt) != FALSE; };
        const RECT rowsHeader{v.rowsPanelRect.left, v.rowsPanelRect.top, v.rowsPanelRect.right, v.rowListRect.top};
        if (hit.kind == kHitExtHeader || hit.kind == kHitExtList || hit.kind == kHitExtScroll || in(v.extListRect)) {
            if (v.extExpanded) v.OnMouseWheel(false, notches);
        } else if (hit.kind == kHitRows || hit.kind == kHitRowScroll || in(v.rowListRect) || in(rowsHeader) ||
                   in(v.ringRect) || in(v.headerRect)) {
            v.OnMouseWheel(true, notches);
        }
        Repaint(window);
        return true;
    }
    case WM_XBUTTONUP: {
        const bool changed = GET_XBUTTON_WPARAM(wParam) == XBUTTON1 ? v.GoBack() : v.GoForward();
        if (changed) {
            InvalidateAnalysisLayout();
            Repaint(window);
        }
        result = TRUE;
        return true;
    }
    case WM_APPCOMMAND: {
        const int cmd = GET_APPCOMMAND_LPARAM(lParam);
        if (cmd != APPCOMMAND_BROWSER_BACKWARD && cmd != APPCOMMAND_BROWSER_FORWARD) return false;
        if (cmd == APPCOMMAND_BROWSER_BACKWARD ? v.GoBack() : v.GoForward()) {
            InvalidateAnalysisLayout();
            Repaint(window);
        }
        result = TRUE;
        return true;
    }
    case WM_KEYDOWN: {
        if (IsFocusInTextInput(window)) return false;
        const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
        if (wParam == VK_DELETE) {
            DeleteSelectedInAnalysisView(!shift);
        } else if (wParam == 'A' && ctrl) {
            v.SelectAllFiles();
        } else if (wParam == VK_RETURN) {
            const std::vector<std::wstring> paths = v.GetSelectedPaths();
            if (!paths.empty()) OpenFiles(window, paths);
        } else if (wParam == VK_BACK) {
            if (v.GoBack()) InvalidateAnalysisLayout();
        } else {
            return false;
        }
        Repaint(window);
        return true;
    }
    case WM_RBUTTONUP:
        ContextMenu(window, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return true;
    case WM_CONTEXTMENU:
        // From the keyboard only (the mouse's menu opened on the button's release).
        if (lParam == -1) ContextMenu(window, POINT{g_analysisView.rowListRect.left + 8, g_analysisView.rowListRect.top + 8});
        return true;
    default:
        return false;
    }
}

}  // namespace

AnalysisModeUnit& AnalysisWindowUnit() {
    static AnalysisModeUnit unit;
    return unit;
}

void AnalysisModeUnit::OnCreate(HWND window) {
    g_controls.driveCombo = CreateThemedCombo(window, IDC_ANALYSIS_DRIVE_COMBO, false, 20, 14, 280, 420);
    g_controls.scanButton =
        CreateThemedButton(window, IDC_ANALYSIS_SCAN, 312, 14, 110, Tr(L"Analysis_StartScan", L"扫描", L"Scan"));
    g_controls.backButton = CreateThemedButton(window, IDC_ANALYSIS_BACK, 20, 16, 96,
                                               Tr(L"Analysis_BackToSearch", L"返回搜索", L"Back to Search"));
    FillAnalysisDriveCombo();
}

void AnalysisModeUnit::OnDestroy(HWND) {
    g_analysisView.cancel.store(true);
    ++g_analysisScanGeneration;  // a running worker publishes nothing more
    for (HWND h : {g_controls.driveCombo, g_controls.scanButton, g_controls.backButton})
        if (h) UnregisterUiFontUser(h);
    g_controls = AnalysisControls{};
}

void AnalysisModeUnit::OnLayout(HWND window, int, int) {
    if (InMode()) LayoutAnalysisControls(window);
}

bool AnalysisModeUnit::OnPaint(HWND, HDC dc, const RECT& client) {
    if (!InMode()) return false;
    FillWithSurface(dc, client);
    ComputeAnalysisLayout();
    UpdateAnalysisButtons();
    g_analysisView.Paint(dc, g_fontUiMedium ? g_fontUiMedium : g_fontUi, g_fontUi);
    return true;
}

bool AnalysisModeUnit::OnCommand(HWND window, int id, int code, HWND) {
    if (id == IDC_ANALYSIS_BACK) {
        if (code == BN_CLICKED) SwitchMode(window, kAppModeSearch);
        return true;
    }
    return InMode() && RunControlCommand(window, id, code);
}

bool AnalysisModeUnit::OnMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_APP_ANALYSIS_DONE || msg == WM_APP_ANALYSIS_PROGRESS) {
        // In another mode finished drives wait in the scan's mailbox until the mode is entered.
        result = 0;
        if (!InMode()) return true;
        if (msg == WM_APP_ANALYSIS_DONE) {
            OnAnalysisScanDone(window, wParam);
            LayoutAnalysisControls(window);
            Repaint(window);
        } else if (GetTickCount64() - g_lastProgressPaint >= 150) {
            g_lastProgressPaint = GetTickCount64();
            UpdateAnalysisButtons();
            Repaint(window);
        }
        return true;
    }
    return InMode() && HandleInput(window, msg, wParam, lParam, result);
}

void AnalysisModeUnit::OnModeChanged(HWND window, int, int newMode) {
    const bool shown = newMode == kAppModeAnalysis;
    for (HWND h : {g_controls.driveCombo, g_controls.scanButton, g_controls.backButton})
        if (IsLiveWindow(h)) ShowWindow(h, shown ? SW_SHOW : SW_HIDE);
    if (shown) EnterMode(window);
}

void AnalysisModeUnit::OnLanguageChanged(HWND window) {
    FillAnalysisDriveCombo();
    // Names kept by the panel (drives without a label, the ring's title) follow at once, also
    // while another mode is shown; the ring takes its "Other" label when it is laid out again.
    g_analysisView.Relocalize();
    if (InMode()) RetranslateView(window);
}

void AnalysisModeUnit::OnThemeChanged(HWND) {
    if (IsLiveWindow(g_controls.driveCombo)) {
        ApplyControlTheme(g_controls.driveCombo, g_darkTheme);
        ApplyComboListTheme(g_controls.driveCombo);
        InvalidateRect(g_controls.driveCombo, nullptr, TRUE);
    }
    for (HWND b : {g_controls.scanButton, g_controls.backButton})
        if (IsLiveWindow(b)) InvalidateRect(b, nullptr, TRUE);
}

void AnalysisModeUnit::OnDrivesChanged(HWND) { FillAnalysisDriveCombo(); }
