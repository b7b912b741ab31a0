// Notifications of the main window's child controls, the results context menu and the tray
// menu, and the switch between the application modes.
#include <windows.h>
#include <commctrl.h>

#include "core/Core.h"
#include "duplicates/DupMode.h"
#include "i18n/I18n.h"
#include "index/Index.h"
#include "results/FileActions.h"
#include "results/Results.h"
#include "search/Search.h"
#include "settings/SettingsCenter.h"
#include "shell/ContentExtPicker.h"
#include "shell/Shell.h"
#include "shell/ShellInternal.h"
#include "ui/Controls.h"
#include "ui/Ui.h"
#include "ui/WindowUnit.h"

namespace {


void AppendItem(HMENU menu, UINT id, const std::wstring& text, bool enabled, bool checked = false) {
    AppendMenuItem(menu, (enabled ? MF_ENABLED : MF_GRAYED) | (checked ? MF_CHECKED : MF_UNCHECKED), id, text);
}

void AppendSeparator(HMENU menu) { AppendMenuSeparator(menu); }

int ComboSelection(HWND combo, int fallback) {
    LRESULT sel = IsLiveWindow(combo) ? SendMessageW(combo, CB_GETCURSEL, 0, 0) : CB_ERR;
    return sel == CB_ERR ? fallback : static_cast<int>(sel);
}

void ResendSize(HWND hwnd) { SendMessageW(hwnd, WM_SIZE, 0, MAKELPARAM(g_clientWidth, g_clientHeight)); }

void RefreshFiltersFromTop() {
    SetVerticalScroll(0);
    RefreshFilteredResultsAsync();
}

int PickerDate(HWND picker, int fallback) {
    SYSTEMTIME st{};
    if (IsLiveWindow(picker) && SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) == GDT_VALID)
        return st.wYear * 10000 + st.wMonth * 100 + st.wDay;
    return fallback;
}

void OnSearchEditChange(HWND hwnd) {
    wchar_t buffer[257] = {};
    GetWindowTextW(g_hSearchEdit, buffer, 257);
    SetCurrentQuery(std::wstring(buffer, wcsnlen(buffer, 256)));
    KillTimer(hwnd, TIMER_SEARCH_DEBOUNCE);
    MaybeShowContentExtPicker(g_currentQuery);
    // A content query waits for Enter.
    if (HasContentSearchPrefix(g_currentQuery)) return;
    SetTimer(hwnd, TIMER_SEARCH_DEBOUNCE, 260, nullptr);
}

void OnCustomSizeChange() {
    wchar_t buffer[128] = {};
    GetWindowTextW(g_hCustomSizeEdit, buffer, 128);
    g_customSizeText = buffer;
    g_customSizeTextHash.store(Fnv1aHash32(g_customSizeText));
    if (g_sizeFilterMode == kSizeFilterCustom) RefreshFiltersFromTop();
}

void SetViewMode(HWND hwnd, int mode) {
    g_viewMode = mode;
    g_scrollY = 0;
    g_lastScrollTick.store(GetTickCount64());
    SaveWindowIni(hwnd);
    ResendSize(hwnd);
    SetTimer(hwnd, TIMER_SCROLL_SETTLE, 220, nullptr);
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
}

}  // namespace

void OnCommand(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (lParam == 0 && code == 0) {
        // A command without a control: the tray menu's and the results menu's choices, as the
        // test probe and other tools post them.
        if (id >= IDM_VIEW_LIST && id <= IDM_VIEW_LARGE_ICONS) {
            SetViewMode(hwnd, id - IDM_VIEW_LIST);
        } else if (id == IDM_SWITCH_TO_ANALYSIS) {
            ToggleSearchAnalysisMode(hwnd);
        }
        return;
    }
    if (IsOwnerDrawnComboId(id) && (code == CBN_DROPDOWN || code == CBN_CLOSEUP)) {
        HWND combo = reinterpret_cast<HWND>(lParam);
        if (code == CBN_DROPDOWN) ApplyComboListTheme(combo);
        else RemoveComboListSubclass(combo);
        return;
    }
    switch (id) {
    case IDC_SEARCH_EDIT:
        if (code == EN_CHANGE) OnSearchEditChange(hwnd);
        return;
    case IDC_CUSTOM_SIZE_EDIT:
        if (code == EN_CHANGE) OnCustomSizeChange();
        return;
    case IDC_SCOPE_COMBO:
        if (code == CBN_SELCHANGE) {
            KillTimer(hwnd, TIMER_SEARCH_DEBOUNCE);
            g_searchScope.store(ComboSelection(g_hScopeCombo, 0));
            InvalidateScopeCombo();
            FocusSearchBox();
        }
        return;
    case IDC_SIZE_FILTER_COMBO:
    case IDC_DATE_FILTER_COMBO:
        if (code == CBN_SELCHANGE) {
            if (id == IDC_SIZE_FILTER_COMBO) g_sizeFilterMode = ComboSelection(g_hSizeFilterCombo, 0);
            else g_dateFilterMode = ComboSelection(g_hDateFilterCombo, 0);
            UpdateCustomFilterControls();
            ResendSize(hwnd);
            RefreshFiltersFromTop();
        }
        return;
    case IDC_SIZE_UNIT_COMBO:
        if (code == CBN_SELCHANGE) {
            g_sizeFilterUnit = ComboSelection(g_hSizeUnitCombo, 2);
            if (g_sizeFilterMode == kSizeFilterCustom) RefreshFiltersFromTop();
        }
        return;
    case IDC_DUP_BACK:
        if (code == BN_CLICKED) {
            SetAppMode(hwnd, 0);
            FocusSearchBox();
            SetStatusText(Tr(L"Status_SwitchedToSearch", L"已切换到搜索（右键菜单可进入分析）。",
                             L"Switched to Search (use context menu for Analysis)."));
        }
        return;
    default:
        break;
    }
    if (id >= IDC_FILTER_BUTTON_FIRST && id < IDC_FILTER_BUTTON_FIRST + 1000 && code == BN_CLICKED)
        SelectFilterCategory(id - IDC_FILTER_BUTTON_FIRST);
}

LRESULT OnNotify(HWND hwnd, LPARAM lParam) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header) return 0;
    if ((header->idFrom == IDC_DATE_FROM_PICKER || header->idFrom == IDC_DATE_TO_PICKER) &&
        header->code == DTN_DATETIMECHANGE) {
        g_customDateFrom = PickerDate(g_hDateFromPicker, g_customDateFrom);
        g_customDateTo = PickerDate(g_hDateToPicker, g_customDateTo);
        if (g_dateFilterMode == kDateFilterCustom) RefreshFiltersFromTop();
    }
    if ((header->idFrom == IDC_DATE_FROM_PICKER || header->idFrom == IDC_DATE_TO_PICKER) &&
        header->code == DTN_DROPDOWN)
        ApplyMonthCalendarTheme(header->hwndFrom);
    (void)hwnd;
    return 0;
}

// The row commands of the results menu; true when the id was one of them.
static bool RunResultMenuCommand(HWND hwnd, UINT id, POINT cursor) {
    switch (id) {
    case IDM_OPEN: ExecuteResultCommand(ResultCommand::Open); return true;
    case IDM_OPEN_CONTAINING_FOLDER: ExecuteResultCommand(ResultCommand::OpenContainingFolder); return true;
    case IDM_DELETE_PERMANENTLY: ExecuteResultCommand(ResultCommand::DeletePermanently); return true;
    case IDM_RUN_AS_ADMIN: ExecuteResultCommand(ResultCommand::RunAsAdministrator); return true;
    case IDM_COPY_FULL_PATH: ExecuteResultCommand(ResultCommand::CopyFullPath); return true;
    case IDM_PROPERTIES: ExecuteResultCommand(ResultCommand::Properties); return true;
    case IDM_COPY_FILES: ExecuteResultCommand(ResultCommand::CopyFiles); return true;
    case IDM_CUT_FILES: ExecuteResultCommand(ResultCommand::CutFiles); return true;
    case IDM_MOVE_TO_RECYCLE_BIN: ExecuteResultCommand(ResultCommand::MoveToRecycleBin); return true;
    case IDM_RENAME: BeginInlineRename(); return true;
    case IDM_SYSTEM_CONTEXT_MENU: ShowShellContextMenu(hwnd, cursor); return true;
    default: return false;
    }
}

void ShowResultsContextMenu(HWND hwnd, POINT pt) {
    if (g_filterLayoutSidebar && pt.x < g_filterSidebarWidth) return;
    if (pt.y < GetResultsListTop()) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    std::shared_ptr<std::vector<MatchItem>> rows = GetVisibleResults();
    int64_t row = HitTestResultRow(pt.x, pt.y, rows);
    if (row >= 0) {
        if (IsRowSelected(row)) g_caretRow = row;
        else SelectSingleRow(row);
        SetFocus(hwnd);
        RECT list{0, g_listAreaTop, g_clientWidth, g_clientHeight};
        InvalidateRect(hwnd, &list, FALSE);
    }
    const bool rowCommands = row >= 0;
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    AppendItem(menu, IDM_OPEN, Tr(L"Menu_Open", L"打开", L"Open"), rowCommands);
    AppendItem(menu, IDM_COPY_FILES, Tr(L"Menu_Copy", L"复制", L"Copy"), rowCommands);
    AppendItem(menu, IDM_CUT_FILES, Tr(L"Menu_Cut", L"剪切", L"Cut"), rowCommands);
    AppendItem(menu, IDM_OPEN_CONTAINING_FOLDER, Tr(L"Menu_OpenContainingFolder", L"打开所在文件夹", L"Open Containing Folder"), rowCommands);
    AppendItem(menu, IDM_COPY_FULL_PATH, Tr(L"Menu_CopyFullPath", L"复制完整路径", L"Copy Full Path"), rowCommands);
    AppendItem(menu, IDM_RUN_AS_ADMIN, Tr(L"Menu_RunAsAdmin", L"以管理员身份运行", L"Run as Administrator"), rowCommands);
    AppendSeparator(menu);
    AppendItem(menu, IDM_RENAME, Tr(L"Menu_RenameF2", L"重命名\tF2", L"Rename\tF2"), rowCommands);
    AppendItem(menu, IDM_MOVE_TO_RECYCLE_BIN, Tr(L"Menu_MoveToRecycleDelete", L"移到回收站\tDelete", L"Move to Recycle Bin\tDelete"),
               rowCommands);
    AppendItem(menu, IDM_DELETE_PERMANENTLY,
               Tr(L"Menu_DeletePermanentShiftDelete", L"永久删除\tShift+Delete", L"Delete Permanently\tShift+Delete"),
               rowCommands);
    AppendSeparator(menu);
    AppendItem(menu, IDM_SYSTEM_CONTEXT_MENU, Tr(L"Menu_SystemContext", L"系统右键菜单...", L"System Context Menu..."), rowCommands);
    AppendItem(menu, IDM_PROPERTIES, Tr(L"Menu_Properties", L"属性", L"Properties"), rowCommands);
    AppendSeparator(menu);
    AppendItem(menu, IDM_REFRESH_NON_NTFS, Tr(L"Menu_RefreshNonNtfs", L"刷新所有非 NTFS 索引", L"Refresh All Non-NTFS Indexes"), true);
    AppendSeparator(menu);
    HMENU view = CreatePopupMenu();
    if (view) {
        AppendItem(view, IDM_VIEW_LIST, Tr(L"Menu_ViewList", L"列表", L"List"), true, g_viewMode == 0);
        AppendItem(view, IDM_VIEW_SMALL_ICONS, Tr(L"Menu_ViewSmallIcons", L"小图标", L"Small Icons"), true, g_viewMode == 1);
        AppendItem(view, IDM_VIEW_LARGE_ICONS, Tr(L"Menu_ViewLargeIcons", L"大图标", L"Large Icons"), true, g_viewMode == 2);
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(view), Tr(L"Menu_View", L"视图", L"View").c_str());
    }
    HMENU sort = CreatePopupMenu();
    if (sort) {
        AppendItem(sort, IDM_SORT_BY_NAME, Tr(L"Menu_SortByName", L"按名称", L"By Name"), true);
        AppendItem(sort, IDM_SORT_BY_SIZE, Tr(L"Menu_SortBySize", L"按大小", L"By Size"), true);
        AppendItem(sort, IDM_SORT_BY_MODIFIED, Tr(L"Menu_SortByModified", L"按修改时间", L"By Modified Time"), true);
        AppendItem(sort, IDM_SORT_BY_CREATED, Tr(L"Menu_SortByCreated", L"按创建时间", L"By Created Time"), true);
        AppendItem(sort, IDM_SORT_BY_TYPE, Tr(L"Menu_SortByType", L"按类型", L"By Type"), true);
        AppendItem(sort, IDM_SORT_BY_PATH, Tr(L"Menu_SortByPath", L"按路径", L"By Path"), true);
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sort), Tr(L"Menu_Sort", L"排序", L"Sort").c_str());
    }
    AppendSeparator(menu);
    AppendItem(menu, IDM_FILTER_LAYOUT_SIDEBAR, Tr(L"Menu_FilterLayoutSidebar", L"筛选布局：侧边栏", L"Filter Layout: Sidebar"), true,
               g_filterLayoutSidebar);
    AppendItem(menu, IDM_FILTER_LAYOUT_TOPBAR, Tr(L"Menu_FilterLayoutTopbar", L"筛选布局：顶部栏", L"Filter Layout: Top Bar"), true,
               !g_filterLayoutSidebar);
    AppendSeparator(menu);
    AppendItem(menu, IDM_CLEAR_RECENT, Tr(L"Menu_ClearRecent", L"清除最近打开", L"Clear Recent Opens"), true);
    AppendItem(menu, IDM_SWITCH_TO_ANALYSIS, Tr(L"Menu_SwitchToAnalysis", L"切换到分析", L"Switch to Analysis"), true);
    AppendItem(menu, IDM_SWITCH_TO_DUPLICATES, Tr(L"Menu_SwitchToDup", L"切换到重复文件", L"Switch to Duplicate Files"), true);
    if (HMENU language = CreateLanguageMenu())
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(language), Tr(L"Menu_Language", L"语言", L"Language").c_str());
    AppendItem(menu, kMenuSettingsCenter, Tr(L"Settings_Title", L"设置中心", L"Settings Center"), true);

    UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, hwnd, nullptr));
    DestroyMenu(menu);
    if (RunResultMenuCommand(hwnd, chosen, cursor) || RunLanguageMenuCommand(hwnd, chosen)) return;
    switch (chosen) {
    case IDM_REFRESH_NON_NTFS:
        if (RefreshVolumeAvailability()) {
            SetStatusText(Tr(L"Status_RefreshingAllNonNtfs", L"正在刷新所有非 NTFS 卷索引...",
                             L"Refreshing all non-NTFS volume indexes..."));
            g_searchEngine.RefreshAllNonNtfsAsync(hwnd);
        }
        break;
    case IDM_VIEW_LIST:
    case IDM_VIEW_SMALL_ICONS:
    case IDM_VIEW_LARGE_ICONS:
        SetViewMode(hwnd, static_cast<int>(chosen - IDM_VIEW_LIST));
        break;
    case IDM_SORT_BY_NAME: DoSortAsync(1, false); break;
    case IDM_SORT_BY_SIZE: DoSortAsync(2, false); break;
    case IDM_SORT_BY_MODIFIED: DoSortAsync(3, false); break;
    case IDM_SORT_BY_CREATED: DoSortAsync(4, false); break;
    case IDM_SORT_BY_TYPE: DoSortAsync(5, false); break;
    case IDM_SORT_BY_PATH: DoSortAsync(6, false); break;
    case IDM_FILTER_LAYOUT_SIDEBAR: SetFilterLayout(true); break;
    case IDM_FILTER_LAYOUT_TOPBAR: SetFilterLayout(false); break;
    case IDM_SWITCH_TO_ANALYSIS:
        ToggleSearchAnalysisMode(hwnd);
        break;
    case IDM_SWITCH_TO_DUPLICATES:
        SetAppMode(hwnd, 2);
        SetStatusText(Tr(L"Status_SwitchedToDup", L"已切换到重复文件（右键可切换模式）。",
                         L"Switched to Duplicate Files (right-click to switch modes)."));
        break;
    case IDM_CLEAR_RECENT:
        // A recent.ini that cannot be written is told by the main window (once per run).
        (void)ClearRecentList();
        RefreshRecentViewIfNeeded();
        break;
    case kMenuSettingsCenter:
        ShowSettingsCenter(hwnd);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Modes

void ApplyModeLayout(HWND window) {
    const int mode = g_appMode;
    auto show = [](HWND h, bool visible) {
        if (IsLiveWindow(h)) ShowWindow(h, visible ? SW_SHOW : SW_HIDE);
    };
    for (HWND h : {g_hScopeCombo, g_hSearchEdit, g_hSizeFilterCombo, g_hDateFilterCombo}) show(h, mode == 0);
    for (HWND h : g_filterButtons) show(h, mode == 0);
    if (mode != 0) {
        for (HWND h : {g_hCustomSizeEdit, g_hSizeUnitCombo, g_hDateFromPicker, g_hDateToPicker}) show(h, false);
    }
    for (HWND h : {g_hListVScroll, g_hListHScroll, g_hSidebarScroll}) show(h, false);
    if (mode == 0) {
        UpdateCustomFilterControls();
        LayoutFilterButtons();
        RelayoutResults();
        UpdateFilterSidebarScroll();
    } else {
        // The other modes are units that place their own controls.
        UnitsLayout(window, g_clientWidth, g_clientHeight);
    }
    if (window) InvalidateRect(window, nullptr, FALSE);
}

void SetAppMode(HWND window, int mode) {
    if (mode == g_appMode) {
        ApplyModeLayout(window);
        return;
    }
    const int oldMode = g_appMode;
    g_appMode = mode;
    UnitsModeChanged(window, oldMode, mode);
    ApplyModeLayout(window);
    if (IsLiveWindow(window)) SendMessageW(window, WM_SIZE, 0, MAKELPARAM(g_clientWidth, g_clientHeight));
    if (mode != 0 && window) InvalidateRect(window, nullptr, FALSE);
}

void ToggleSearchAnalysisMode(HWND window) {
    if (g_appMode != 1) {
        SetAppMode(window, 1);
        SetStatusText(Tr(L"Status_SwitchedToAnalysis", L"已切换到分析（点击返回搜索可回到搜索）。",
                         L"Switched to Analysis (use Back to Search to return)."));
        return;
    }
    const int oldMode = g_appMode;
    g_appMode = 0;
    UnitsModeChanged(window, oldMode, 0);
    ApplyModeLayout(window);
    if (IsLiveWindow(window)) SendMessageW(window, WM_SIZE, 0, MAKELPARAM(g_clientWidth, g_clientHeight));
    FocusSearchBox();
    SetStatusText(Tr(L"Status_SwitchedToSearch", L"已切换到搜索（右键菜单可进入分析）。",
                     L"Switched to Search (use context menu for Analysis)."));
}
