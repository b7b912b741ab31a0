#include "duplicates/DupMode.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <atomic>

#include "core/Window.h"
#include "duplicates/DupDelete.h"
#include "duplicates/DupScan.h"
#include "duplicates/DupView.h"
#include "i18n/I18n.h"
#include "results/FileActions.h"
#include "results/Results.h"
#include "ui/Controls.h"
#include "ui/Theme.h"
#include "ui/Ui.h"

namespace {

DupControls g_controls;
std::atomic<int32_t> g_savedDriveIndex{0};
DupModeSwitchFn g_modeSwitcher = nullptr;
ULONGLONG g_lastProgressPaint = 0;

struct LayoutKey {
    int width = 0, height = 0, dpi = 0, running = -1;
} g_layoutKey;

constexpr UINT kMenuOpen = 10039;
constexpr UINT kMenuReveal = 10037;
constexpr UINT kMenuCopyPath = 10038;
constexpr UINT kMenuSelectAll = 10042;
constexpr UINT kMenuRecycle = 10040;
constexpr UINT kMenuDelete = 10041;
constexpr UINT kMenuToSearch = 10031;
constexpr UINT kMenuToAnalysis = 10030;
constexpr UINT kMenuToDuplicates = 10036;  // the results menu's entry, also reachable as WM_COMMAND

bool Live(HWND h) { return h && IsWindow(h); }
bool InMode() { return g_appMode == kAppModeDuplicates; }
int Dpi() { return g_dpi >= 96 ? (int)g_dpi : 96; }
int S(int v) { return std::max(1, MulDiv(v, Dpi(), 96)); }
int Sc(int v) { return MulDiv(v, (int)(g_dpi ? g_dpi : 96), 96); }

void SetStatusLine(const std::wstring& text) {
    if (Live(g_hStatusText)) SetWindowTextW(g_hStatusText, text.c_str());
}

void Repaint(HWND window) {
    if (Live(window)) InvalidateRect(window, nullptr, FALSE);
}

void SwitchMode(HWND window, int mode) {
    if (g_modeSwitcher) g_modeSwitcher(window, mode);
}

void FillModeCombo() {
    HWND combo = g_controls.modeCombo;
    if (!Live(combo)) return;
    int selection = (int)SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (selection < 0) selection = (int)g_dupFindView.compareMode;
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& item : {TrW(L"Dup_ModeSizeOnly", L"仅按大小（不计算哈希）", L"Size only (no hash)"),
                                     TrW(L"Dup_ModeFast", L"快速（抽样哈希）", L"Fast (sample hash)"),
                                     TrW(L"Dup_ModeExact", L"精确（完整哈希）", L"Exact (full hash)")}) {
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    SendMessageW(combo, CB_SETCURSEL, selection, 0);
}

void SetButtonText(HWND button, const std::wstring& text) {
    if (!Live(button)) return;
    wchar_t current[128] = {};
    GetWindowTextW(button, current, 128);
    if (text != current) SetWindowTextW(button, text.c_str());
}

void ShowContextMenu(HWND window, POINT client) {
    DuplicateFindView& view = g_dupFindView;
    const DupHit hit = view.HitTest(client.x, client.y);
    if (hit.kind == 3) {
        view.SelectGroup(hit.group);
        if (!view.IsFileSelected(hit.file)) view.SelectFile(hit.file);
        else view.focusFile = hit.file;
        Repaint(window);
    } else if (hit.kind == 1) {
        view.SelectGroup(hit.group);
        Repaint(window);
    }
    const std::vector<std::wstring> paths = view.GetSelectedPaths();
    const bool haveGroup = view.selectedGroup >= 0 && view.selectedGroup < (int)view.groups.size() &&
                           !view.groups[view.selectedGroup].files.empty();
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    auto item = [&](UINT id, const wchar_t* key, const wchar_t* chinese, const wchar_t* english, bool enabled) {
        AppendMenuW(menu, MF_STRING | (enabled ? 0 : MF_GRAYED), id, TrW(key, chinese, english).c_str());
    };
    item(kMenuOpen, L"Menu_Open", L"打开", L"Open", !paths.empty());
    item(kMenuReveal, L"Menu_OpenContainingFolder", L"打开所在文件夹", L"Open Containing Folder", !paths.empty());
    item(kMenuCopyPath, L"Menu_CopyFullPath", L"复制完整路径", L"Copy Full Path", !paths.empty());
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    item(kMenuSelectAll, L"Menu_SelectAll", L"全选\tCtrl+A", L"Select All\tCtrl+A", haveGroup);
    item(kMenuRecycle, L"Menu_MoveToRecycleDelete", L"移到回收站\tDelete", L"Move to Recycle Bin\tDelete",
         !paths.empty());
    item(kMenuDelete, L"Menu_DeletePermanentShiftDelete", L"永久删除\tShift+Delete",
         L"Delete Permanently\tShift+Delete", !paths.empty());
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    item(kMenuToSearch, L"Menu_SwitchToSearch", L"切换到搜索", L"Switch to Search", true);
    item(kMenuToAnalysis, L"Menu_SwitchToAnalysis", L"切换到磁盘分析", L"Switch to Analysis", true);
    POINT screen = client;
    ClientToScreen(window, &screen);
    const UINT chosen =
        (UINT)TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, window, nullptr);
    DestroyMenu(menu);
    switch (chosen) {
    case kMenuOpen: OpenFiles(window, paths); break;
    case kMenuReveal:
        if (!paths.empty()) RevealInExplorer(paths.front());
        break;
    case kMenuCopyPath: CopyTextToClipboard(JoinLinesCrLf(paths)); break;
    case kMenuSelectAll:
        view.SelectAllFiles();
        Repaint(window);
        break;
    case kMenuRecycle: DeleteSelectedInDuplicateView(window, true); break;
    case kMenuDelete: DeleteSelectedInDuplicateView(window, false); break;
    case kMenuToSearch: SwitchMode(window, kAppModeSearch); break;
    case kMenuToAnalysis: SwitchMode(window, kAppModeAnalysis); break;
    default: break;
    }
}

// While a delete is being checked the view takes no clicks or keys but Esc, which cancels the
// check; scrolling goes on.
bool HandleInputWhileChecking(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) CancelDupDeleteCheck(window);
        return true;
    case WM_LBUTTONDOWN:
        if (g_dupFindView.BeginScrollbarDrag(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) {
            SetCapture(window);
            Repaint(window);
        }
        return true;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONUP:
        return true;
    default:
        return false;
    }
}

// Esc cancels a running check wherever the focus is in the view: the view's own controls (the
// combos, the buttons) pass it to the cancel, and then on as usual (an open drop-down list
// closes too). Without a check their keys are theirs.
constexpr UINT_PTR kEscSubclassId = 0x44457363;

LRESULT CALLBACK EscCancelsCheckProc(HWND control, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (msg == WM_KEYDOWN && wParam == VK_ESCAPE && IsDupDeleteCheckRunning()) {
        CancelDupDeleteCheck(GetParent(control));
    } else if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(control, EscCancelsCheckProc, kEscSubclassId);
    }
    return DefSubclassProc(control, msg, wParam, lParam);
}

bool HandleInput(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (IsDupDeleteCheckRunning() && HandleInputWhileChecking(window, msg, wParam, lParam)) return true;
    DuplicateFindView& view = g_dupFindView;
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (msg) {
    case WM_LBUTTONDOWN: {
        if (view.BeginScrollbarDrag(x, y)) {
            SetCapture(window);
            Repaint(window);
            return true;
        }
        const DupHit hit = view.HitTest(x, y);
        if (hit.kind == 1) {
            view.SelectGroup(hit.group);
        } else if (hit.kind == 3) {
            view.SelectGroup(hit.group);
            if (wParam & MK_SHIFT) view.SelectFileRange(hit.file);
            else if (wParam & MK_CONTROL) view.ToggleFileSelection(hit.file);
            else view.SelectFile(hit.file);
            SetFocus(window);
        } else {
            return true;
        }
        Repaint(window);
        return true;
    }
    case WM_MOUSEMOVE: {
        if (view.dragMode != 0) {
            view.DragScrollTo(y);
            Repaint(window);
        } else {
            const DupHit hit = view.HitTest(x, y);
            const int group = hit.kind == 1 ? hit.group : -1;
            const int file = hit.kind == 3 ? hit.file : -1;
            const int bar = hit.kind == 2 ? 1 : hit.kind == 4 ? 2 : 0;
            if (group != view.hoverGroup || file != view.hoverFile || bar != view.hoverBar) {
                view.hoverGroup = group;
                view.hoverFile = file;
                view.hoverBar = bar;
                Repaint(window);
            }
        }
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, window, 0};
        TrackMouseEvent(&tme);
        return true;
    }
    case WM_LBUTTONUP:
        if (view.dragMode != 0) {
            view.dragMode = 0;
            ReleaseCapture();
            Repaint(window);
        }
        return true;
    case WM_LBUTTONDBLCLK: {
        const DupHit hit = view.HitTest(x, y);
        if (hit.kind == 3) {
            view.SelectGroup(hit.group);
            view.focusFile = hit.file;
            std::wstring path;
            if (view.GetPrimarySelectedPath(&path))
                ShellExecuteW(window, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        }
        return true;
    }
    case WM_MOUSEWHEEL: {
        POINT pt{x, y};
        ScreenToClient(window, &pt);
        view.OnMouseWheel(pt.x, pt.y, GET_WHEEL_DELTA_WPARAM(wParam) / 120);
        Repaint(window);
        return true;
    }
    case WM_MOUSELEAVE:
        if (view.hoverGroup != -1 || view.hoverFile != -1 || view.hoverBar != 0) {
            view.hoverGroup = view.hoverFile = -1;
            view.hoverBar = 0;
            Repaint(window);
        }
        return false;  // the window's own leave handling goes on
    case WM_RBUTTONUP:
        ShowContextMenu(window, POINT{x, y});
        return true;
    case WM_KEYDOWN: {
        if (IsFocusInTextInput(window)) return false;
        const bool ctrl = GetKeyState(VK_CONTROL) < 0;
        if (wParam == VK_DELETE) {
            DeleteSelectedInDuplicateView(window, GetKeyState(VK_SHIFT) >= 0);
            return true;
        }
        if (ctrl && (wParam == 'A' || wParam == 'a')) {
            view.SelectAllFiles();
            Repaint(window);
            return true;
        }
        if (wParam == VK_RETURN) {
            OpenFiles(window, view.GetSelectedPaths());
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

void OnDriveChanged(HWND window) {
    CancelDupDeleteCheck(window);
    DuplicateFindView& view = g_dupFindView;
    if (Live(g_controls.driveCombo)) {
        const int sel = (int)SendMessageW(g_controls.driveCombo, CB_GETCURSEL, 0, 0);
        if (sel >= 0) g_savedDriveIndex = sel;
    }
    const wchar_t drive = GetSelectedDupDrive();
    if (view.running.load()) return;
    if (LoadDupCache(window, drive)) return;
    if (drive != view.drive) {
        view.Reset();
        view.drive = drive;
        view.SetStatus(DupHintStatus());
    }
    InvalidateDupLayout();
    UpdateDupButtons();
    Repaint(window);
}

void OnCompareModeChanged(HWND window) {
    CancelDupDeleteCheck(window);
    DuplicateFindView& view = g_dupFindView;
    if (view.running.load() || !InMode() || !Live(g_controls.modeCombo)) return;
    const DupCompareMode mode = NormalizeDupCompareMode((int)SendMessageW(g_controls.modeCombo, CB_GETCURSEL, 0, 0));
    if (mode == view.compareMode) return;
    view.compareMode = mode;
    view.Reset();
    view.compareMode = mode;
    view.drive = GetSelectedDupDrive();
    view.SetStatus(DupHintStatus());
    if (LoadDupCache(window, view.drive)) return;
    InvalidateDupLayout();
    UpdateDupButtons();
    Repaint(window);
}

}  // namespace

void SetDupModeSwitcher(DupModeSwitchFn fn) { g_modeSwitcher = fn; }

const DupControls& GetDupControls() { return g_controls; }

void InvalidateDupLayout() { g_layoutKey = LayoutKey{0, 0, 0, -1}; }

void ComputeDupLayout() {
    DuplicateFindView& v = g_dupFindView;
    const int W = g_clientWidth, H = g_clientHeight, d = Dpi();
    // A scan or a delete's check shows its progress in a taller summary card.
    const int run = v.running.load() || v.deleteChecking ? 1 : 0;
    if (g_layoutKey.width == W && g_layoutKey.height == H && g_layoutKey.dpi == d && g_layoutKey.running == run) return;
    v.layoutDpi = d;
    const int pad = S(16);
    v.headerRect = RECT{0, 0, W, S(56)};
    const int sumTop = v.headerRect.bottom + S(8);
    v.summaryRect = RECT{pad, sumTop, W - pad, sumTop + (run ? S(168) : S(92))};
    const RECT& sum = v.summaryRect;
    const int split = sum.left + S(16) + (sum.right - 2 * S(16) - sum.left) * 58 / 100;
    v.titleRect = RECT{sum.left + S(16), sum.top + S(12), split - S(10), sum.top + S(12) + S(18)};
    if (run) {
        v.progressBarRect = RECT{sum.left + S(16), sum.bottom - S(8) - S(12), sum.right - S(16), sum.bottom - S(12)};
        const int fileBottom = v.progressBarRect.top - S(4);
        v.currentFileRect = RECT{sum.left + S(16), fileBottom - S(16), sum.right - S(16), fileBottom};
        const int phaseBottom = v.currentFileRect.top - S(2);
        v.phaseLineRect = RECT{sum.left + S(16), phaseBottom - S(16), sum.right - S(16), phaseBottom};
        v.statsRect = RECT{sum.left + S(16), v.titleRect.bottom + S(8), split - S(10),
                           std::min<int>(v.phaseLineRect.top - S(8), v.titleRect.bottom + S(8) + S(58))};
        v.chipsRect = RECT{split, v.titleRect.top, sum.right - S(16), v.phaseLineRect.top - S(4)};
    } else {
        v.phaseLineRect = v.currentFileRect = v.progressBarRect = RECT{};
        v.statsRect = RECT{sum.left + S(16), v.titleRect.bottom + S(6), split - S(10), sum.bottom - S(12)};
        v.chipsRect = RECT{split, v.titleRect.top, sum.right - S(16), sum.bottom - S(12)};
    }
    const int top = sum.bottom + S(8), bottom = H - S(12);
    const int gw = std::max(S(260), (W - 2 * pad) * 50 / 100);
    v.groupHeaderRect = RECT{pad, top, pad + gw, top + S(28)};
    v.groupListRect = RECT{pad, top + S(28), pad + gw, bottom};
    const int fileLeft = pad + gw + S(12);
    v.fileHeaderRect = RECT{fileLeft, top, W - pad, top + S(28)};
    v.fileListRect = RECT{fileLeft, top + S(28), W - pad, bottom};
    v.groupRowHeight = S(52);
    v.fileRowHeight = S(30);
    v.scrollbarWidth = S(11);
    v.UpdateScrollbars();
    g_layoutKey = LayoutKey{W, H, d, run};
}

void UpdateDupButtons() {
    const DupControls& c = g_controls;
    if (!Live(c.scanButton) && !Live(c.backButton) && !Live(c.pauseButton)) return;
    const DuplicateFindView& v = g_dupFindView;
    const bool run = v.running.load();
    SetButtonText(c.backButton, TrW(L"Dup_Back", L"返回", L"Back"));
    if (Live(c.backButton)) EnableWindow(c.backButton, TRUE);
    if (Live(c.pauseButton)) {
        ShowWindow(c.pauseButton, run && InMode() ? SW_SHOW : SW_HIDE);
        if (run) {
            EnableWindow(c.pauseButton, TRUE);
            SetButtonText(c.pauseButton, v.paused.load() ? TrW(L"Dup_Resume", L"继续", L"Resume")
                                                         : TrW(L"Dup_Pause", L"暂停", L"Pause"));
        }
    }
    if (Live(c.scanButton)) {
        EnableWindow(c.scanButton, TRUE);
        SetButtonText(c.scanButton, run                       ? TrW(L"Dup_Cancel", L"取消", L"Cancel")
                                    : v.resultsReady.load() ? TrW(L"Dup_Rescan", L"重新扫描", L"Rescan")
                                                            : TrW(L"Dup_Scan", L"扫描", L"Scan"));
    }
    if (Live(c.driveCombo)) EnableWindow(c.driveCombo, !run);
    if (Live(c.modeCombo)) EnableWindow(c.modeCombo, !run);
}

void LayoutDupControls() {
    const DupControls& c = g_controls;
    if (!Live(c.driveCombo) && !Live(c.scanButton) && !Live(c.backButton)) return;
    ComputeDupLayout();
    const RECT& header = g_dupFindView.headerRect;
    if (header.right - header.left <= 0) return;
    if (!InMode()) return;
    const bool run = g_dupFindView.running.load();
    const int ch = Sc(38), gap = Sc(8), back = Sc(72), scan = Sc(92), pause = run ? Sc(72) : 0, modeW = Sc(140),
              margin = Sc(16);
    const int avail = (header.right - header.left) - 2 * margin;
    const int backW = Live(c.backButton) ? back : 0;
    int dw = avail - (run ? 4 : 3) * gap - modeW - pause - scan - backW;
    dw = std::clamp(dw, Sc(80), Sc(180));
    auto rowWidth = [&] { return backW + dw + modeW + scan + pause + (run ? 4 : 3) * gap; };
    while (rowWidth() > avail && dw > Sc(64)) dw -= Sc(8);
    const int headerH = header.bottom - header.top;
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    int x = header.left + margin + (Live(c.backButton) ? back + gap : 0);
    const int yFirst = header.top + (headerH - ch) / 2;
    if (Live(c.driveCombo)) {
        SetWindowPos(c.driveCombo, nullptr, x, yFirst, dw, GetComboDropHeight(), flags);
        FitComboHeight(c.driveCombo, ch);
        SendMessageW(c.driveCombo, CB_SETDROPPEDWIDTH, Sc(380), 0);
    }
    if (Live(c.modeCombo)) {
        SetWindowPos(c.modeCombo, nullptr, x + dw + gap, yFirst, modeW, GetComboDropHeight(), flags);
        FitComboHeight(c.modeCombo, ch);
        SendMessageW(c.modeCombo, CB_SETDROPPEDWIDTH, Sc(260), 0);
    }
    const int h = Live(c.driveCombo) ? MeasureComboHeight(c.driveCombo)
                  : Live(c.modeCombo) ? MeasureComboHeight(c.modeCombo)
                                      : ch;
    const int y = header.top + (headerH - h) / 2;
    x = header.left + margin;
    if (Live(c.backButton)) {
        SetWindowPos(c.backButton, nullptr, x, y, back, h, flags | SWP_SHOWWINDOW);
        x += back + gap;
    }
    if (Live(c.driveCombo)) {
        SetWindowPos(c.driveCombo, nullptr, x, y, dw, GetComboDropHeight(), flags | SWP_SHOWWINDOW);
        FitComboHeight(c.driveCombo, h);
    }
    x += dw + gap;
    if (Live(c.modeCombo)) {
        SetWindowPos(c.modeCombo, nullptr, x, y, modeW, GetComboDropHeight(), flags | SWP_SHOWWINDOW);
        FitComboHeight(c.modeCombo, h);
    }
    x += modeW + gap;
    if (Live(c.pauseButton)) {
        if (run) {
            SetWindowPos(c.pauseButton, nullptr, x, y, pause, h, flags | SWP_SHOWWINDOW);
            x += pause + gap;
        } else {
            ShowWindow(c.pauseButton, SW_HIDE);
        }
    }
    if (Live(c.scanButton)) SetWindowPos(c.scanButton, nullptr, x, y, scan, h, flags | SWP_SHOWWINDOW);
    UpdateDupButtons();
    for (HWND combo : {c.driveCombo, c.modeCombo}) {
        if (Live(combo)) RedrawWindow(combo, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
    }
    for (HWND button : {c.backButton, c.scanButton}) {
        if (Live(button)) InvalidateRect(button, nullptr, FALSE);
    }
    if (run && Live(c.pauseButton)) InvalidateRect(c.pauseButton, nullptr, FALSE);
}

void FillDupDriveCombo() {
    HWND combo = g_controls.driveCombo;
    if (!Live(combo)) return;
    std::vector<DriveComboItem> drives;
    const DWORD mask = GetLogicalDrives();
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < 26; ++i) {
            if (!(mask & (1u << i))) continue;
            const wchar_t root[4] = {(wchar_t)(L'A' + i), L':', L'\\', 0};
            const bool fixed = GetDriveTypeW(root) == DRIVE_FIXED;
            if (fixed != (pass == 0)) continue;
            drives.push_back(DriveComboItem{(wchar_t)(L'A' + i), std::wstring{(wchar_t)(L'A' + i), L':'}});
        }
    }
    const int select = FillDriveCombo(combo, TrW(L"Dup_DriveAll", L"所有磁盘 (ALL)", L"All Drives (ALL)"), drives,
                                      g_savedDriveIndex.load());
    g_savedDriveIndex = std::max(select, 0);
}

wchar_t GetSelectedDupDrive() {
    HWND combo = g_controls.driveCombo;
    int index = Live(combo) ? (int)SendMessageW(combo, CB_GETCURSEL, 0, 0) : -1;
    if (index < 0) index = g_savedDriveIndex.load();
    if (index == 0) return L'*';
    if (!Live(combo) || index < 1) return L'C';
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR || length <= 0 || length > 64) return L'C';
    wchar_t text[65] = {};
    if (SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text)) == CB_ERR || !text[0]) return L'C';
    if (wcsstr(text, L"ALL") || wcsstr(text, L"All")) return L'*';
    const wchar_t first = (wchar_t)towupper(text[0]);
    return first >= L'A' && first <= L'Z' ? first : L'C';
}

void StartDupFindScan(HWND window, bool rescan) {
    DuplicateFindView& view = g_dupFindView;
    DupCompareMode mode = view.compareMode;
    if (Live(g_controls.modeCombo)) {
        mode = NormalizeDupCompareMode((int)SendMessageW(g_controls.modeCombo, CB_GETCURSEL, 0, 0));
    }
    const bool wasRunning = view.running.load();
    if (StartDupFindScanFor(window, rescan, GetSelectedDupDrive(), mode) && (view.running.load() || wasRunning)) {
        InvalidateDupLayout();
        ComputeDupLayout();
        LayoutDupControls();
        Repaint(window);
    }
}

DupModeUnit& DuplicatesWindowUnit() {
    static DupModeUnit unit;
    return unit;
}

void DupModeUnit::OnCreate(HWND window) {
    g_controls.driveCombo = CreateThemedCombo(window, IDC_DUP_DRIVE_COMBO, false, 20, 14, 280, 420);
    g_controls.modeCombo = CreateThemedCombo(window, IDC_DUP_MODE_COMBO, false, 310, 14, 160, 280);
    if (Live(g_controls.modeCombo)) SendMessageW(g_controls.modeCombo, CB_SETCURSEL, 0, 0);
    FillModeCombo();
    g_dupFindView.compareMode = DupCompareMode::SizeOnly;
    g_controls.scanButton = CreateThemedButton(window, IDC_DUP_SCAN, 312, 14, 110, TrW(L"Dup_Scan", L"扫描", L"Scan"));
    g_controls.pauseButton = CreateThemedButton(window, IDC_DUP_PAUSE, 430, 14, 80, TrW(L"Dup_Pause", L"暂停", L"Pause"));
    g_controls.backButton = CreateThemedButton(window, IDC_DUP_BACK, 20, 14, 96, TrW(L"Dup_Back", L"返回", L"Back"));
    FillDupDriveCombo();
    g_dupFindView.SetStatus(DupHintStatus());
    for (HWND h : {g_controls.driveCombo, g_controls.modeCombo, g_controls.scanButton, g_controls.pauseButton,
                   g_controls.backButton}) {
        if (h) SetWindowSubclass(h, EscCancelsCheckProc, kEscSubclassId, 0);
    }
}

void DupModeUnit::OnDestroy(HWND window) {
    // The scan stops at once, saves nothing, and nothing of it outlives the window for long; a
    // delete being checked is cancelled and deletes nothing.
    StopDupDeleteCheckForExit(3000);
    StopDupScansForExit();
    WaitForDupScanTasks(5000);
    for (HWND h : {g_controls.driveCombo, g_controls.modeCombo, g_controls.scanButton, g_controls.pauseButton,
                   g_controls.backButton}) {
        if (h) UnregisterUiFontUser(h);
    }
    g_controls = DupControls{};
}

void DupModeUnit::OnLayout(HWND window, int width, int height) {
    if (!InMode()) return;
    InvalidateDupLayout();
    ComputeDupLayout();
    LayoutDupControls();
}

bool DupModeUnit::OnPaint(HWND window, HDC dc, const RECT& client) {
    if (!InMode()) return false;
    FillWithSurface(dc, client);
    ComputeDupLayout();
    UpdateDupButtons();
    g_dupFindView.Paint(dc, g_fontUiMedium ? g_fontUiMedium : g_fontUi);
    return true;
}

bool DupModeUnit::OnCommand(HWND window, int id, int code, HWND control) {
    DuplicateFindView& view = g_dupFindView;
    switch (id) {
    case IDC_DUP_SCAN:
        if (code != BN_CLICKED) return true;
        if (!InMode()) return true;
        CancelDupDeleteCheck(window);
        if (view.running.load()) {
            RequestDupScanStop();
            UpdateDupButtons();
            LayoutDupControls();
            SetStatusLine(TrW(L"Dup_StatusCancelling", L"正在取消扫描...", L"Cancelling scan..."));
        } else {
            StartDupFindScan(window, view.resultsReady.load());
            LayoutDupControls();
        }
        Repaint(window);
        return true;
    case IDC_DUP_PAUSE:
        if (code == BN_CLICKED && InMode() && view.running.load()) {
            view.paused = !view.paused.load();
            UpdateDupButtons();
            LayoutDupControls();
            Repaint(window);
        }
        return true;
    case IDC_DUP_BACK:
        if (code != BN_CLICKED) return true;
        CancelDupDeleteCheck(window);
        // Back stops a running scan; the window then returns to the search.
        if (InMode() && view.running.load()) RequestDupScanStop();
        return false;
    case IDC_DUP_DRIVE_COMBO:
        if (code == CBN_SELCHANGE) OnDriveChanged(window);
        return true;
    case IDC_DUP_MODE_COMBO:
        if (code == CBN_SELCHANGE) OnCompareModeChanged(window);
        return true;
    case kMenuToDuplicates:
        if (!InMode()) SwitchMode(window, kAppModeDuplicates);
        return true;
    default:
        return false;
    }
}

bool DupModeUnit::OnMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (HandleDupDeleteCheckMessage(window, msg, wParam, lParam)) {
        result = 0;
        return true;
    }
    if (msg == WM_APP_DUP_PROGRESS || msg == WM_APP_DUP_DONE) {
        result = 0;
        // Groups of a finished scan are taken over whatever the mode.
        if (msg == WM_APP_DUP_DONE) TakeFinishedDupScan();
        if (!InMode()) return true;
        const ULONGLONG now = GetTickCount64();
        if (msg == WM_APP_DUP_DONE) {
            InvalidateDupLayout();
            ComputeDupLayout();
            LayoutDupControls();
            Repaint(window);
        } else if (now - g_lastProgressPaint >= 150) {
            g_lastProgressPaint = now;
            UpdateDupButtons();
            Repaint(window);
        }
        return true;
    }
    if (!InMode()) return false;
    if (HandleInput(window, msg, wParam, lParam)) {
        result = 0;
        return true;
    }
    return false;
}

void DupModeUnit::OnModeChanged(HWND window, int oldMode, int newMode) {
    const DupControls& c = g_controls;
    const bool shown = newMode == kAppModeDuplicates;
    for (HWND h : {c.driveCombo, c.modeCombo, c.scanButton, c.backButton}) {
        if (Live(h)) ShowWindow(h, shown ? SW_SHOW : SW_HIDE);
    }
    if (Live(c.pauseButton)) ShowWindow(c.pauseButton, shown && g_dupFindView.running.load() ? SW_SHOW : SW_HIDE);
    if (!shown) {
        CancelDupDeleteCheck(window);
        return;
    }
    InvalidateDupLayout();
    if (oldMode != kAppModeDuplicates && !LoadDupCache(window, GetSelectedDupDrive())) Repaint(window);
    LayoutDupControls();
    UpdateDupButtons();
}

void DupModeUnit::OnLanguageChanged(HWND window) {
    FillDupDriveCombo();
    FillModeCombo();
    if (!InMode()) return;
    InvalidateDupLayout();
    UpdateDupButtons();
    LayoutDupControls();
    Repaint(window);
}

void DupModeUnit::OnThemeChanged(HWND window) {
    const DupControls& c = g_controls;
    for (HWND combo : {c.driveCombo, c.modeCombo}) {
        if (!Live(combo)) continue;
        ApplyControlTheme(combo, g_darkTheme);
        ApplyComboListTheme(combo);
        InvalidateRect(combo, nullptr, TRUE);
    }
    for (HWND button : {c.scanButton, c.pauseButton, c.backButton}) {
        if (Live(button)) InvalidateRect(button, nullptr, TRUE);
    }
}

void DupModeUnit::OnDrivesChanged(HWND) { FillDupDriveCombo(); }
