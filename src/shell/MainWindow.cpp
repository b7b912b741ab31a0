// The main window: its procedure, creation of the child controls, the top-bar layout, DPI and
// display changes, colours and owner-drawn items, closing and teardown.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "core/Core.h"
#include "duplicates/DupMode.h"
#include "i18n/I18n.h"
#include "index/Index.h"
#include "results/FileActions.h"
#include "results/Results.h"
#include "search/ScanThreads.h"
#include "search/Search.h"
#include "settings/SettingsTools.h"
#include "shell/ContentExtPicker.h"
#include "shell/Shell.h"
#include "shell/ShellInternal.h"
#include "ui/Controls.h"
#include "ui/Theme.h"
#include "ui/Ui.h"
#include "ui/UiColors.h"
#include "ui/WindowUnit.h"

UINT g_taskbarCreatedMsg = 0;
HANDLE g_singleInstanceMutex = nullptr;

namespace {

int BaseHeight() { return GetComboBaseHeight(); }


HWND CreateChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y,
                 int w, int h, int id) {
    return CreateWindowExW(0, cls, text, style, ScaleForDpi(x), ScaleForDpi(y), w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                           nullptr);
}

HWND CreateEdit(HWND parent, int id, DWORD extraStyle, int x, int y, int width) {
    HWND edit = CreateChild(parent, L"EDIT", L"", WS_CHILD | ES_MULTILINE | ES_AUTOHSCROLL | extraStyle, x, y,
                            ScaleForDpi(width), BaseHeight(), id);
    if (edit) {
        RegisterUiFontUser(edit, UiFontRole::CenteredEdit);
        CenterEditTextVertically(edit);
    }
    return edit;
}

HWND CreatePicker(HWND parent, int id, int x, int y) {
    HWND picker = CreateChild(parent, DATETIMEPICK_CLASSW, L"", WS_CHILD | WS_VISIBLE, x, y, ScaleForDpi(130),
                              BaseHeight(), id);
    if (picker) {
        RegisterUiFontUser(picker, UiFontRole::Ui);
        ApplyControlTheme(picker, g_darkTheme);
        InstallDateTimePickerSubclass(picker);
        ApplyMonthCalendarTheme(picker);
    }
    return picker;
}

// A combo is placed with its drop height; its closed box is made as high as the search box.
void PlaceCombo(HWND combo, int x, int y, int width, int wantHeight) {
    if (!IsLiveWindow(combo)) return;
    ::PlaceCombo(combo, x, y, width);
    FitComboHeight(combo, wantHeight);
}

void PlaceControl(HWND control, int x, int y, int width, int height) {
    if (IsLiveWindow(control))
        SetWindowPos(control, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT OnDpiChanged(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    UINT newDpi = LOWORD(wParam);
    if (!newDpi) newDpi = GetWindowDpi(hwnd);
    if (!newDpi) newDpi = 96;
    UINT oldDpi = g_dpi ? g_dpi : 96;
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    if (newDpi != oldDpi) {
        RescaleWindowIniDpi(newDpi);  // the column widths, exactly for unchanged ones
        g_filterSidebarWidth = MulDiv(g_filterSidebarWidth, static_cast<int>(newDpi), static_cast<int>(oldDpi));
        g_listAreaTop = MulDiv(g_listAreaTop, static_cast<int>(newDpi), static_cast<int>(oldDpi));
        g_dpi = newDpi;
        RecreateUiFonts();
        PopulateSizeDateFilterCombos();
        UpdateCustomFilterControls();
        LayoutFilterButtons();
        UpdateFilterButtonCounts();
        RelayoutResults();
    }
    if (suggested) {
        SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

void SetStatusText(const std::wstring& text) {
    if (IsLiveWindow(g_hStatusText)) SetWindowTextW(g_hStatusText, text.c_str());
}

std::wstring ReadSearchBoxText() {
    wchar_t buffer[256] = {};
    if (IsLiveWindow(g_hSearchEdit)) GetWindowTextW(g_hSearchEdit, buffer, 256);
    return buffer;
}

void FocusSearchBox() {
    if (IsLiveWindow(g_hSearchEdit) && IsWindowEnabled(g_hSearchEdit)) {
        SetFocus(g_hSearchEdit);
        SendMessageW(g_hSearchEdit, EM_SETSEL, static_cast<WPARAM>(-1), -1);
    }
}

void CenterWindowOnMonitor(HWND window, HWND reference) {
    if (!IsLiveWindow(window)) return;
    HMONITOR monitor = IsLiveWindow(reference) ? MonitorFromWindow(reference, MONITOR_DEFAULTTONEAREST) : nullptr;
    if (!monitor) monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    RECT work{};
    MONITORINFO info{sizeof(info)};
    if (monitor && GetMonitorInfoW(monitor, &info)) work = info.rcWork;
    else if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
        work = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT rc{};
    GetWindowRect(window, &rc);
    int width = rc.right - rc.left, height = rc.bottom - rc.top;
    int x = std::max<int>(work.left + (work.right - work.left - width) / 2, work.left);
    int y = std::max<int>(work.top + (work.bottom - work.top - height) / 2, work.top);
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void EnsureWindowOnScreen(HWND window) {
    RECT rc{};
    if (GetWindowRect(window, &rc) && !MonitorFromRect(&rc, MONITOR_DEFAULTTONULL))
        CenterWindowOnMonitor(window, window);
}

void ApplyAlwaysOnTop() {
    if (!IsLiveWindow(g_hMainWnd)) return;
    SetWindowPos(g_hMainWnd, g_alwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void ShowMainWindow(HWND window) {
    if (!IsLiveWindow(window)) return;
    g_mainWindowShown = true;
    KillTimer(window, TIMER_STARTUP_RETRY);
    ShowWindow(window, IsIconic(window) ? SW_RESTORE : SW_SHOW);
    EnsureWindowOnScreen(window);
    SetWindowPos(window, g_alwaysOnTop ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
    SetForegroundWindow(window);
    BringWindowToTop(window);
    FocusSearchBox();
    if (g_firstSearchPending.exchange(false)) {
        ScheduleAttrPrewarm(window, 1200);
        DoSearchAsync(L"", false, true);
    }
}

void InvalidateScopeCombo() {
    if (IsLiveWindow(g_hScopeCombo)) InvalidateRect(g_hScopeCombo, nullptr, TRUE);
}

std::wstring GetDriveDisplayName(const std::wstring& root) {
    std::wstring r = root.empty() ? std::wstring(L"C:") : root;
    if (r.size() == 1) r += L':';
    std::wstring path = std::wstring(1, r[0]) + L":\\";
    wchar_t label[261] = {};
    BOOL ok = GetVolumeInformationW(path.c_str(), label, 261, nullptr, nullptr, nullptr, nullptr, 0);
    std::wstring name = ok && label[0] ? std::wstring(label) : Tr(L"Drive_LocalDiskOnly", L"本地磁盘", L"Local Disk");
    return r + L"  " + name;
}

void FillSearchScopeCombo() {
    if (!IsLiveWindow(g_hScopeCombo)) return;
    std::wstring remembered;
    LRESULT sel = SendMessageW(g_hScopeCombo, CB_GETCURSEL, 0, 0);
    if (sel != CB_ERR) {
        LRESULT len = SendMessageW(g_hScopeCombo, CB_GETLBTEXTLEN, sel, 0);
        if (len != CB_ERR && len >= 0 && len < 4096) {
            remembered.assign(static_cast<size_t>(len) + 1, L'\0');
            SendMessageW(g_hScopeCombo, CB_GETLBTEXT, sel, reinterpret_cast<LPARAM>(&remembered[0]));
            remembered.resize(wcslen(remembered.c_str()));
        }
    }
    SendMessageW(g_hScopeCombo, CB_RESETCONTENT, 0, 0);
    const std::wstring desktop = Tr(L"Scope_Desktop", L"桌面", L"Desktop");
    SendMessageW(g_hScopeCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"ALL"));
    SendMessageW(g_hScopeCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(desktop.c_str()));
    // The choice is found again by its place (Desktop) or its drive ("X:  name"), not by words
    // of a language: a refill after a language switch keeps it.
    int select = sel == 1 ? 1 : 0;
    const std::wstring rememberedDrive = remembered.substr(0, remembered.find(L"  "));
    std::vector<std::wstring> roots;
    {
        std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
        for (const auto& volume : g_searchEngine.volumes)
            if (volume && volume->available.load()) roots.push_back(volume->root);
    }
    // Volume labels are read outside the engine mutex (a slow drive must not hold it).
    int item = 2;
    for (const std::wstring& root : roots) {
        std::wstring display = GetDriveDisplayName(root);
        SendMessageW(g_hScopeCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(display.c_str()));
        if (sel >= 2 && !remembered.empty() &&
            (_wcsicmp(remembered.c_str(), root.c_str()) == 0 ||
             _wcsicmp(rememberedDrive.c_str(), display.substr(0, display.find(L"  ")).c_str()) == 0)) {
            select = item;
        }
        ++item;
    }
    SendMessageW(g_hScopeCombo, CB_SETCURSEL, select, 0);
    g_searchScope.store(select);
    InvalidateRect(g_hScopeCombo, nullptr, TRUE);
    // The drive lists of the other modes follow the same drives.
    UnitsDrivesChanged(g_hMainWnd);
}

void UpdateCustomFilterControls() {
    const bool otherMode = g_appMode != kAppModeSearch;
    const bool showSize = !otherMode && g_sizeFilterMode == kSizeFilterCustom;
    const bool showDate = !otherMode && g_dateFilterMode == kDateFilterCustom;
    if (IsLiveWindow(g_hCustomSizeEdit)) {
        ShowWindow(g_hCustomSizeEdit, showSize ? SW_SHOW : SW_HIDE);
        if (showSize) {
            CenterEditTextVertically(g_hCustomSizeEdit);
            RedrawWindow(g_hCustomSizeEdit, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
        }
    }
    if (IsLiveWindow(g_hSizeUnitCombo)) ShowWindow(g_hSizeUnitCombo, showSize ? SW_SHOW : SW_HIDE);
    if (IsLiveWindow(g_hDateFromPicker)) ShowWindow(g_hDateFromPicker, showDate ? SW_SHOW : SW_HIDE);
    if (IsLiveWindow(g_hDateToPicker)) ShowWindow(g_hDateToPicker, showDate ? SW_SHOW : SW_HIDE);
    if (IsLiveWindow(g_hDateRangeHintEdit)) ShowWindow(g_hDateRangeHintEdit, SW_HIDE);
}

void SetFilterLayout(bool sidebar) {
    g_filterLayoutSidebar = sidebar;
    g_filterSidebarScrollY = 0;
    LayoutFilterButtons();
    if (IsLiveWindow(g_hMainWnd) && g_clientWidth > 0 && g_clientHeight > 0)
        SendMessageW(g_hMainWnd, WM_SIZE, 0, MAKELPARAM(g_clientWidth, g_clientHeight));
    UpdateFilterButtonCounts();
    if (g_hMainWnd) InvalidateRect(g_hMainWnd, nullptr, FALSE);
}

void LayoutTopBar(int clientWidth) {
    TopBarLayout l = ComputeTopBarLayout(clientWidth, g_sizeFilterMode == kSizeFilterCustom, g_dateFilterMode == kDateFilterCustom);
    const int base = BaseHeight();
    PlaceCombo(g_hScopeCombo, l.scopeX, l.y, l.scopeWidth, base);
    if (IsLiveWindow(g_hSearchEdit)) {
        SetWindowPos(g_hSearchEdit, nullptr, l.editX, l.y, l.editWidth, base, SWP_NOZORDER | SWP_NOACTIVATE);
        CenterEditTextVertically(g_hSearchEdit);
    }
    int wantH = base;
    RECT er{};
    if (IsLiveWindow(g_hSearchEdit) && GetWindowRect(g_hSearchEdit, &er) && er.bottom - er.top > 0)
        wantH = er.bottom - er.top;
    PlaceCombo(g_hScopeCombo, l.scopeX, l.y, l.scopeWidth, wantH);
    PlaceCombo(g_hSizeFilterCombo, l.sizeX, l.y, l.comboWidth, wantH);
    if (g_sizeFilterMode == kSizeFilterCustom) {
        PlaceControl(g_hCustomSizeEdit, l.customEditX, l.y, l.customEditWidth, base);
        CenterEditTextIfWindow(g_hCustomSizeEdit);
        PlaceCombo(g_hSizeUnitCombo, l.unitX, l.y, l.unitWidth, wantH);
    }
    PlaceCombo(g_hDateFilterCombo, l.dateX, l.y, l.comboWidth, wantH);
    if (g_dateFilterMode == kDateFilterCustom) {
        PlaceControl(g_hDateFromPicker, l.fromX, l.y, l.pickerWidth, base);
        PlaceControl(g_hDateToPicker, l.toX, l.y, l.pickerWidth, base);
    }
}

// ---------------------------------------------------------------------------------------------

LRESULT OnCreate(HWND hwnd) {
    LogGdi(L"WM_CREATE begin");
    g_hMainWnd = hwnd;  // the filter bar and the workers started below address the window
    InstallShellHooks();
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    CreateBackBuffer(hwnd);
    g_taskbarCreatedMsg = RegisterWindowMessageW(L"TaskbarCreated");
    g_dpi = GetWindowDpi(hwnd);
    RescaleWindowIniDpi(g_dpi);
    g_filterSidebarWidth = ScaleForDpi(200);
    SetUiFontHost(hwnd);
    RecreateUiFonts();
    ApplyThemePalette(g_darkTheme);
    ApplyCustomColorOverrides();
    CreateThemeGdiResources();
    RecreateControlBrushes();
    SetTitleBarTheme(hwnd, g_darkTheme);

    g_hScopeCombo = CreateThemedCombo(hwnd, IDC_SCOPE_COMBO, true, 20, 16, 120, 460);

    g_hSearchEdit = CreateEdit(hwnd, IDC_SEARCH_EDIT, WS_VISIBLE, 272, 16, 430);
    if (g_hSearchEdit) {
        SetSearchEditForCentering(g_hSearchEdit);
        CenterEditTextVertically(g_hSearchEdit);
        EnableWindow(g_hSearchEdit, FALSE);
        SendMessageW(g_hSearchEdit, EM_SETLIMITTEXT, 255, 0);
        InstallSearchEditSubclass(g_hSearchEdit);
    }
    g_hSizeFilterCombo = CreateThemedCombo(hwnd, IDC_SIZE_FILTER_COMBO, true, 630, 16, 130, 0);
    g_hDateFilterCombo = CreateThemedCombo(hwnd, IDC_DATE_FILTER_COMBO, true, 770, 16, 130, 0);
    g_hCustomSizeEdit = CreateEdit(hwnd, IDC_CUSTOM_SIZE_EDIT, WS_VISIBLE, 905, 16, 78);
    if (g_hCustomSizeEdit) {
        SendMessageW(g_hCustomSizeEdit, EM_SETLIMITTEXT, 127, 0);
        InstallFilterEditSubclass(g_hCustomSizeEdit);
    }
    g_hSizeUnitCombo = CreateThemedCombo(hwnd, IDC_SIZE_UNIT_COMBO, true, 1105, 16, 78, 0);
    g_hDateFromPicker = CreatePicker(hwnd, IDC_DATE_FROM_PICKER, 1180, 16);
    g_hDateToPicker = CreatePicker(hwnd, IDC_DATE_TO_PICKER, 1295, 16);
    g_hDateRangeHintEdit = CreateEdit(hwnd, IDC_DATE_RANGE_HINT_EDIT, 0, 905, 16, 78);

    PopulateSizeDateFilterCombos();
    UpdateCustomFilterControls();
    CreateFilterButtons();

    g_hStatusText = CreateChild(hwnd, L"STATIC", L"", WS_CHILD, 15, 46, ScaleForDpi(800), ScaleForDpi(20), IDC_STATUS_TEXT);
    RegisterUiFontUser(g_hStatusText, UiFontRole::Ui);

    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd, GWLP_HINSTANCE));
    g_hListVScroll = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | SBS_VERT,
                                     std::max(0, g_clientWidth - ScaleForDpi(10)), g_listAreaTop + ScaleForDpi(40),
                                     ScaleForDpi(10), 100, hwnd, reinterpret_cast<HMENU>(IDC_LIST_VSCROLL), instance, nullptr);
    g_hListHScroll = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | SBS_HORZ, g_filterSidebarWidth,
                                     std::max(0, g_clientHeight - ScaleForDpi(10)),
                                     std::max(0, g_clientWidth - g_filterSidebarWidth - ScaleForDpi(10)), ScaleForDpi(10),
                                     hwnd, reinterpret_cast<HMENU>(IDC_LIST_HSCROLL), instance, nullptr);
    ApplyFlatScrollBarTheme(g_hListVScroll);
    ApplyFlatScrollBarTheme(g_hListHScroll);
    ShowScrollBar(hwnd, SB_BOTH, FALSE);

    g_hTooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr, instance, nullptr);
    if (g_hTooltip) {
        RegisterUiFontUser(g_hTooltip, UiFontRole::Ui);
        SendMessageW(g_hTooltip, TTM_SETMAXTIPWIDTH, 0, ScaleForDpi(600));
        SetWindowPos(g_hTooltip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        TOOLINFOW ti{};
        ti.cbSize = sizeof(TOOLINFOW);
        ti.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
        ti.hwnd = hwnd;
        ti.uId = reinterpret_cast<UINT_PTR>(hwnd);
        ti.lpszText = const_cast<wchar_t*>(L"");
        SendMessageW(g_hTooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }

    g_hSidebarScroll = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | SBS_VERT,
                                       std::max(0, g_filterSidebarWidth - ScaleForDpi(10)), g_listAreaTop + ScaleForDpi(8),
                                       ScaleForDpi(10), ScaleForDpi(100), hwnd,
                                       reinterpret_cast<HMENU>(IDC_SIDEBAR_VSCROLL), instance, nullptr);
    ApplyFlatScrollBarTheme(g_hSidebarScroll);

    UnitsCreate(hwnd);
    if (!g_hotkeyStartupNotice.empty()) {
        SetStatusText(g_hotkeyStartupNotice);
        ShowTrayNotice(g_hotkeyStartupNotice);
    }
    if (g_startedHidden) SetTimer(hwnd, TIMER_STARTUP_RETRY, 3500, nullptr);
    SetTimer(hwnd, TIMER_CACHE_AUTOSAVE, 20000, nullptr);
    {
        // The search box's font as the control holds it (diagnostics of the DPI scaling).
        LOGFONTW lf{};
        HFONT font = g_hSearchEdit ? reinterpret_cast<HFONT>(SendMessageW(g_hSearchEdit, WM_GETFONT, 0, 0)) : nullptr;
        if (!font || !GetObjectW(font, sizeof(lf), &lf)) lf.lfHeight = 0;
        LogGdi((L"WM_CREATE end dpi=" + std::to_wstring(g_dpi) + L" search_font=" + std::to_wstring(-lf.lfHeight))
                   .c_str());
    }
    SetWindowTextW(hwnd, Tr(L"Status_InitializingIndex", L"正在初始化...", L"Initializing...").c_str());
    static bool indexStarted = false;
    if (!indexStarted) {
        indexStarted = true;
        g_searchEngine.InitBackground(hwnd);
        StartDriveWatcher(hwnd);
        // The name scan's threads start while the drives are read, not on the first search.
        try {
            RunBackgroundTask(L"scan-threads", [] { StartScanThreads(); });
        } catch (const std::exception&) {
            // The first search starts them instead.
        }
    }
    return 0;
}

LRESULT OnSize(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    EndInlineRename(false);
    g_clientWidth = LOWORD(lParam);
    g_clientHeight = HIWORD(lParam);
    UpdateClientSize(hwnd);
    if (g_clientWidth < 1 || g_clientHeight < 1) return 0;
    ShowScrollBar(hwnd, SB_BOTH, FALSE);
    ResizeBackBuffer(hwnd, g_clientWidth, g_clientHeight);
    UnitsLayout(hwnd, g_clientWidth, g_clientHeight);
    if (g_appMode != 0) {
        // The analysis and duplicate views lay themselves out when they are built.
        ApplyModeLayout(hwnd);
        if (wParam != SIZE_MINIMIZED) SaveWindowIni(hwnd);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    }
    LayoutTopBar(g_clientWidth);
    UpdateCustomFilterControls();
    LayoutFilterButtons();
    RelayoutResults();
    UpdateFilterSidebarScroll();
    SetVerticalScroll(g_scrollY);
    if (wParam != SIZE_MINIMIZED) SaveWindowIni(hwnd);
    if (!g_filterLayoutSidebar) {
        RECT band{0, ScaleForDpi(70), g_clientWidth, g_listAreaTop};
        InvalidateRect(hwnd, &band, FALSE);
    }
    InvalidateRect(hwnd, nullptr, FALSE);
    return 0;
}

LRESULT OnClose(HWND hwnd) {
    if (g_exitRequested) {
        DestroyWindow(hwnd);
    } else if (g_trayIconAdded && g_searchEngine.indexReady.load()) {
        if (g_closeFromSystemMenu) {
            g_closeFromSystemMenu = false;
            ClearQueryAndReset(hwnd);
        }
        TrimWorkingSet();
        ShowWindow(hwnd, SW_HIDE);
    } else if (g_trayIconAdded && g_startedHidden && GetSystemMetrics(SM_SHUTTINGDOWN) == 0) {
        g_closeFromSystemMenu = false;
        TrimWorkingSet();
        ShowWindow(hwnd, SW_HIDE);
    } else {
        g_closeFromSystemMenu = false;
        DestroyWindow(hwnd);
    }
    return 0;
}

void ClearQueryAndReset(HWND window) {
    g_suppressRecentView.store(false);
    if (g_searchScope.load() == 1 && IsLiveWindow(g_hScopeCombo)) {
        SendMessageW(g_hScopeCombo, CB_SETCURSEL, 0, 0);
        g_searchScope.store(0);
        InvalidateScopeCombo();
    }
    if (IsLiveWindow(g_hSearchEdit)) SetWindowTextW(g_hSearchEdit, L"");
    ClearSelection();
    SetVerticalScroll(0);
    DoSearchAsync(L"", false, true);
    InvalidateRect(window, nullptr, FALSE);
}

void OnDestroy(HWND hwnd) {
    LogGdi(L"WM_DESTROY begin");
    CloseContentExtPicker();
    SaveWindowIni(hwnd);
    for (UINT_PTR id : {ID_TIMER_TRAY_RETRY, TIMER_SEARCH_DEBOUNCE, TIMER_SCROLL_SETTLE, TIMER_STARTUP_RETRY,
                        TIMER_ATTR_PREWARM_START, TIMER_ATTR_PREWARM_POLL, TIMER_FILTER_BUTTONS_REFRESH,
                        TIMER_LIST_REPAINT, TIMER_CACHE_AUTOSAVE, TIMER_IDLE_TRIM}) {
        KillTimer(hwnd, id);
    }
    UnitsDestroy(hwnd);
    g_shuttingDown.store(true);
    // The exit save waits for a running autosave: whole saves never overlap.
    if (!g_crashInProgress.load() && g_attrCacheChangeCount.load() > g_attrCacheSavedCount.load())
        if (!SaveAttrCache(g_searchEngine)) LogFailure(L"attribute cache save at exit", GetLastError());
    AppendPerfMetric(FormatPerfSummary(g_attrCacheHits.load(), g_attrCacheMisses.load(), g_hydrateDiskReads.load(),
                                       g_hydrateCalls.load(), g_hydrateMicros.load(), g_attrCacheLockWaitUs.load(),
                                       g_attrCacheLoadMs.load(), g_attrCacheSaveMs.load()));
    DestroyControlBrushes();
    if (g_brushWindowClass) {
        DeleteObject(g_brushWindowClass);
        g_brushWindowClass = nullptr;
    }
    DestroyThemeGdiResources();
    // Volumes are stopped and taken out of the engine but not destroyed here: tasks that still
    // run may hold pointers to them; they are released when the process ends.
    g_searchEngine.ReleaseAllVolumes();
    DestroyBackBuffer();
    DeleteUiFonts();
    TrayReleaseIcon();
    LogGdi(L"WM_DESTROY end");
    if (g_hMainWnd == hwnd) g_hMainWnd = nullptr;
    Sleep(500);
    PostQuitMessage(0);
}

// ---------------------------------------------------------------------------------------------

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (HandleWorkerMessage(hwnd, msg, wParam, lParam, result)) return result;
    if ((msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) && HandleHotkeyCaptureKey(hwnd, msg, wParam, lParam)) return 0;
    if (UnitsMessage(hwnd, msg, wParam, lParam, result)) return result;
    if (HandleResultsListInput(hwnd, msg, wParam, lParam, result)) return result;
    if (HandleListScrollInput(hwnd, msg, wParam, lParam)) return 0;
    switch (msg) {
    case WM_CREATE:
        return OnCreate(hwnd);
    case WM_SIZE:
        return OnSize(hwnd, wParam, lParam);
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (dc) PaintMainWindow(dc, &ps.rcPaint);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_TIMER:
        if (HandleTimer(hwnd, wParam) || UnitsTimer(hwnd, wParam)) return 0;
        break;
    case WM_COMMAND:
        if (UnitsCommand(hwnd, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
        OnCommand(hwnd, wParam, lParam);
        return 0;
    case WM_NOTIFY:
        return OnNotify(hwnd, lParam);
    case WM_RBUTTONUP:
        if (g_appMode == 0) {
            POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ShowResultsContextMenu(hwnd, pt);
            return 0;
        }
        break;
    case WM_DEVICECHANGE:
        return OnDeviceChange(hwnd, wParam, lParam);
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !g_hotkeyCaptureActive) {
            FocusSearchBox();
            KillTimer(hwnd, TIMER_IDLE_TRIM);
        } else {
            SetTimer(hwnd, TIMER_IDLE_TRIM, 30000, nullptr);
        }
        break;
    case WM_DPICHANGED:
        return OnDpiChanged(hwnd, wParam, lParam);
    case WM_DISPLAYCHANGE:
        ResizeBackBuffer(hwnd, g_clientWidth, g_clientHeight);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, g_uiPalette.text);
        SetBkColor(dc, g_uiPalette.editWell);
        return reinterpret_cast<LRESULT>(g_brushEditWell ? g_brushEditWell : GetStockObject(BLACK_BRUSH));
    }
    case WM_CTLCOLORSCROLLBAR: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkColor(dc, g_uiPalette.controlBg);
        SetTextColor(dc, g_uiPalette.text);
        if (!g_brushControlBg) g_brushControlBg = CreateSolidBrush(g_uiPalette.controlBg);
        return reinterpret_cast<LRESULT>(g_brushControlBg);
    }
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (wParam && dis) {
            if (DrawOwnerDrawnComboItem(dis) || DrawThemedButton(dis) || DrawFilterTag(dis)) return TRUE;
        }
        break;
    }
    case WM_MEASUREITEM: {
        MEASUREITEMSTRUCT* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (mis && mis->CtlType == ODT_COMBOBOX && IsOwnerDrawnComboId(static_cast<int>(mis->CtlID))) {
            mis->itemHeight = mis->itemID == static_cast<UINT>(-1) ? GetComboSelectionHeight() : ScaleForDpi(28);
            return TRUE;
        }
        break;
    }
    case WM_SYSCOMMAND:
        // Hidden only while the tray icon is the way back; otherwise a plain minimise.
        if ((wParam & 0xFFF0) == SC_MINIMIZE && g_trayIconAdded) {
            TrimWorkingSet();
            ShowWindow(hwnd, SW_HIDE);
            return 0;
        }
        if ((wParam & 0xFFF0) == SC_CLOSE) g_closeFromSystemMenu = true;
        break;
    case WM_CLOSE:
        return OnClose(hwnd);
    case WM_DESTROY:
        OnDestroy(hwnd);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

