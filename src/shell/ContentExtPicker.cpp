#include "shell/ContentExtPicker.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "content/Content.h"
#include "core/Core.h"
#include "i18n/I18n.h"
#include "search/Search.h"
#include "shell/Shell.h"
#include "shell/WindowIni.h"
#include "ui/Ui.h"

HWND g_contentExtPickerWnd = nullptr;

namespace {

constexpr wchar_t kPickerClass[] = L"TarnwickContentExtPickerV4";
constexpr int kIdList = 42170;
constexpr int kIdOk = 42180;
constexpr int kIdAll = 42181;
constexpr int kIdCancel = 42182;
constexpr int kIdConfig = 42183;
constexpr int kIdEdit = 42184;
constexpr int kIdAdd = 42185;
constexpr int kIdInvert = 42186;
constexpr int kIdDelete = 42187;
constexpr int kIdTip = 42188;
constexpr int kIdCustomLabel = 42189;
constexpr UINT_PTR kKeySubclassId = 6;
// Posted to the picker itself: hand the keyboard back to the search box.
constexpr UINT kPickerReturnKeyboard = WM_APP + 1;

bool g_contentExtPickerClassRegistered = false;
bool g_contentExtPickerReloadPending = false;
WNDPROC g_pickerEditPrevProc = nullptr;
bool g_searchTextSetByPicker = false;
// Set while a picker opened by typing has not been activated yet: an activation that no click
// asked for (a window manager that focuses every new window) gives the keyboard back.
bool g_pickerOpenedWhileTyping = false;
std::wstring g_lastSearchTextSeen;

// The picker's labelled controls and their texts, looked up when the picker is made and again
// after a language switch.
struct PickerLabel {
    int id;
    const wchar_t* key;
    const wchar_t* chinese;
    const wchar_t* english;
};
const PickerLabel kPickerLabels[] = {
    {kIdTip, L"ContentExt_Tip",
     L"\u52fe\u9009\u540e\u7f00\u540e\u70b9\u51fb\u786e\u5b9a\uff1b\u53ef\u5728\u4e0b\u65b9\u6dfb\u52a0/\u5220\u9664\u81ea\u5b9a\u4e49\u540e\u7f00\u3002",
     L"Check extensions then OK; add/delete custom extensions below."},
    {kIdCustomLabel, L"ContentExt_Custom", L"\u81ea\u5b9a\u4e49\u540e\u7f00", L"Custom ext"},
    {kIdAdd, L"ContentExt_Add", L"\u6dfb\u52a0", L"Add"},
    {kIdDelete, L"ContentExt_Delete", L"\u5220\u9664", L"Delete"},
    {kIdOk, L"Button_OK", L"\u786e\u5b9a", L"OK"},
    {kIdAll, L"ContentExt_SelectAll", L"\u5168\u9009", L"All"},
    {kIdInvert, L"ContentExt_Invert", L"\u53cd\u9009", L"Invert"},
    {kIdConfig, L"ContentExt_OpenConfig", L"\u914d\u7f6e", L"Config"},
    {kIdCancel, L"Button_Cancel", L"\u53d6\u6d88", L"Cancel"},
};

std::wstring LabelText(int id) {
    for (const PickerLabel& l : kPickerLabels)
        if (l.id == id) return Tr(l.key, l.chinese, l.english);
    return {};
}

std::wstring PickerTitle() {
    return Tr(L"ContentExt_Title", L"\u9009\u62e9\u5185\u5bb9\u641c\u7d22\u7684\u6587\u4ef6\u7c7b\u578b",
              L"Choose content-search file types");
}

int Message(HWND owner, const std::wstring& text, UINT flags) {
    return MessageBoxW(owner, text.c_str(), PickerTitle().c_str(), flags);
}

HWND List(HWND picker) { return GetDlgItem(picker, kIdList); }

std::wstring RowText(HWND list, int row) {
    wchar_t buffer[64] = {};
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = buffer;
    item.cchTextMax = 64;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return buffer;
}

int RowCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

bool RowChecked(HWND list, int row) {
    const UINT state = static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
    return (state & LVIS_STATEIMAGEMASK) != INDEXTOSTATEIMAGEMASK(1);
}

void SetRowChecked(HWND list, int row, bool checked) {
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

int AppendRow(HWND list, const std::wstring& text) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = RowCount(list);
    item.pszText = const_cast<wchar_t*>(text.c_str());
    return static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void FillExtListView(HWND list, const std::vector<std::wstring>& items, const std::vector<std::wstring>& checked) {
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (const auto& e : items) {
        const int row = AppendRow(list, e);
        if (row < 0) continue;
        const bool on = std::any_of(checked.begin(), checked.end(),
                                    [&](const std::wstring& c) { return _wcsicmp(c.c_str(), e.c_str()) == 0; });
        SetRowChecked(list, row, on);
    }
}

void ReloadExtListView(HWND picker) {
    FillExtListView(List(picker), LoadContentSearchExts(), GetActiveContentSearchExts());
}

std::vector<std::wstring> CollectExtListViewItems(HWND picker) {
    HWND list = List(picker);
    std::vector<std::wstring> rows;
    for (int i = 0, n = RowCount(list); i < n; ++i) rows.push_back(RowText(list, i));
    return NormalizeExtensionRows(rows);
}

std::vector<std::wstring> CheckedRows(HWND list) {
    std::vector<std::wstring> rows;
    for (int i = 0, n = RowCount(list); i < n; ++i)
        if (RowChecked(list, i)) rows.push_back(RowText(list, i));
    return NormalizeExtensionRows(rows);
}

std::wstring EditText(HWND edit, int limit) {
    std::wstring text(static_cast<size_t>(limit) + 1, L'\0');
    const int n = GetWindowTextW(edit, text.data(), limit + 1);
    text.resize(static_cast<size_t>(std::max(n, 0)));
    return text;
}

void AddCustomExtensions(HWND picker) {
    HWND edit = GetDlgItem(picker, kIdEdit), list = List(picker);
    if (!edit || !list) return;
    const std::vector<std::wstring> exts = ParseExtensionList(EditText(edit, 255));
    if (exts.empty()) {
        Message(picker,
                Tr(L"ContentExt_InputHint", L"\u8bf7\u8f93\u5165\u540e\u7f00\uff0c\u4f8b\u5982 .pdf \u6216 pdf,docx",
                   L"Enter extensions, e.g. .pdf or pdf,docx"),
                MB_ICONINFORMATION);
        SetFocus(edit);
        return;
    }
    for (const auto& e : exts) {
        int row = -1;
        for (int i = 0, n = RowCount(list); i < n && row < 0; ++i)
            if (_wcsicmp(NormalizeExtensionRow(RowText(list, i)).c_str(), e.c_str()) == 0) row = i;
        if (row < 0) row = AppendRow(list, e);
        if (row >= 0) SetRowChecked(list, row, true);
    }
    SaveContentSearchExts(CollectExtListViewItems(picker));
    SetWindowTextW(edit, L"");
    SetFocus(edit);
}

void DeleteCheckedExtensions(HWND picker) {
    HWND list = List(picker);
    if (!list) return;
    std::vector<int> rows;
    for (int i = 0, n = RowCount(list); i < n; ++i)
        if (RowChecked(list, i)) rows.push_back(i);
    if (rows.empty()) {
        const int selected = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
        if (selected >= 0) rows.push_back(selected);
    }
    if (rows.empty()) {
        Message(picker,
                Tr(L"ContentExt_DeleteHint", L"\u8bf7\u5148\u52fe\u9009\u6216\u9009\u4e2d\u8981\u5220\u9664\u7684\u540e\u7f00\u3002",
                   L"Check or select extensions to delete first."),
                MB_ICONINFORMATION);
        return;
    }
    // The question names the rows it removes: checked rows are easy to overlook in a long list.
    std::wstring names;
    for (int row : rows) names += (names.empty() ? L"" : L", ") + RowText(list, row);
    const std::wstring question =
        Tr(L"ContentExt_DeleteConfirm",
           L"\u4ece\u5217\u8868\u4e2d\u5220\u9664\u6240\u9009\u540e\u7f00\uff1f\n\uff08\u540c\u65f6\u66f4\u65b0\u914d\u7f6e\u6587\u4ef6\u3002\uff09",
           L"Delete the selected extensions from the list?\n(This also updates the config file.)") +
        L"\n\n" + names;
    if (Message(picker, question, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) SendMessageW(list, LVM_DELETEITEM, *it, 0);
    std::vector<std::wstring> items = CollectExtListViewItems(picker);
    if (items.empty()) {
        items = DefaultContentSearchExts();
        FillExtListView(list, items, items);
    }
    SaveContentSearchExts(items);
    SetContentSearchExts(KeepOfferedExtensions(GetContentSearchExtsCopy(), items));
    if (g_hMainWnd) SaveWindowIni(g_hMainWnd);
}

void DestroyPicker() {
    HWND picker = g_contentExtPickerWnd;
    g_contentExtPickerWnd = nullptr;
    if (picker && IsWindow(picker)) DestroyWindow(picker);
}

void ConfirmContentExtPicker(HWND picker) {
    const std::vector<std::wstring> checked = CheckedRows(List(picker));
    if (checked.empty()) {
        Message(picker,
                Tr(L"ContentExt_NeedOne", L"\u8bf7\u81f3\u5c11\u52fe\u9009\u4e00\u4e2a\u540e\u7f00\u3002",
                   L"Please check at least one extension."),
                MB_ICONWARNING);
        return;
    }
    SetContentSearchExts(checked);
    SaveContentSearchExts(CollectExtListViewItems(picker));
    ApplyPickedExtsToSearchBox(checked);
    if (g_hMainWnd) SaveWindowIni(g_hMainWnd);
    if (g_hStatusText)
        SetWindowTextW(g_hStatusText,
                       Tr(L"Status_ContentExtPicked",
                          L"\u5df2\u8bbe\u7f6e\u5185\u5bb9\u641c\u7d22\u540e\u7f00\u3002\u8f93\u5165\u5173\u952e\u8bcd\u540e\u6309\u56de\u8f66\uff1b"
                          L"\u4ecd\u53ef\u624b\u52a8\u4fee\u6539 |\u540e\u7f00\u3002",
                          L"Content-search extensions set. Type keywords then Enter. You can still edit |exts manually.")
                           .c_str());
    DestroyPicker();
}

void CancelPicker() {
    DestroyPicker();
    FocusSearchBox();
}

// Keys that act on the whole picker, whichever of its controls has the focus. True when handled.
bool HandlePickerKey(HWND picker, HWND from, WPARAM key) {
    switch (key) {
    case VK_ESCAPE:
        CancelPicker();
        return true;
    case VK_RETURN:
        if (from == GetDlgItem(picker, kIdEdit))
            AddCustomExtensions(picker);
        else
            ConfirmContentExtPicker(picker);
        return true;
    case VK_TAB: {
        const bool back = GetKeyState(VK_SHIFT) < 0;
        if (HWND next = GetNextDlgTabItem(picker, from == picker ? nullptr : from, back)) SetFocus(next);
        return true;
    }
    default:
        return false;
    }
}

LRESULT CALLBACK PickerKeySubclassProc(HWND control, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    HWND picker = GetParent(control);
    if (msg == WM_KEYDOWN && picker && HandlePickerKey(picker, control, wParam)) return 0;
    if (msg == WM_CHAR && (wParam == L'\r' || wParam == L'\t' || wParam == 0x1B)) return 0;
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(control, PickerKeySubclassProc, kKeySubclassId);
    return DefSubclassProc(control, msg, wParam, lParam);
}

LRESULT CALLBACK PickerEditSubclassProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND picker = GetParent(edit);
    if (msg == WM_KEYDOWN && picker && HandlePickerKey(picker, edit, wParam)) return 0;
    if (msg == WM_CHAR && (wParam == L'\r' || wParam == L'\t' || wParam == 0x1B)) return 0;
    return g_pickerEditPrevProc ? CallWindowProcW(g_pickerEditPrevProc, edit, msg, wParam, lParam)
                                : DefWindowProcW(edit, msg, wParam, lParam);
}

void CheckAll(HWND list, bool invert) {
    for (int i = 0, n = RowCount(list); i < n; ++i) SetRowChecked(list, i, invert ? !RowChecked(list, i) : true);
}

void OpenConfigFile() {
    LoadContentSearchExts();  // creates the file with the defaults when it is missing
    g_contentExtPickerReloadPending = true;
    const std::wstring path = GetConfigDir() + L"\\content_search_exts.ini";
    ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

LRESULT CALLBACK ContentExtPickerWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_DESTROY:
        if (hwnd == g_contentExtPickerWnd) g_contentExtPickerWnd = nullptr;
        for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            UnregisterUiFontUser(child);
        return 0;
    case kPickerReturnKeyboard:
        if (g_hMainWnd && IsWindow(g_hMainWnd)) {
            SetForegroundWindow(g_hMainWnd);
            FocusSearchBox();
        }
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_ACTIVE && g_pickerOpenedWhileTyping) {
            g_pickerOpenedWhileTyping = false;
            PostMessageW(hwnd, kPickerReturnKeyboard, 0, 0);
            break;
        }
        if (LOWORD(wParam) != WA_INACTIVE) {
            g_pickerOpenedWhileTyping = false;
            if (g_contentExtPickerReloadPending) {
                g_contentExtPickerReloadPending = false;
                ReloadExtListView(hwnd);
            }
            // The keyboard goes to the list, so that Tab, Esc and Enter reach the controls.
            HWND focus = GetFocus();
            if (!focus || (focus != hwnd && !IsChild(hwnd, focus))) SetFocus(List(hwnd));
        }
        break;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->idFrom == kIdList && header->code == LVN_KEYDOWN &&
            reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey == VK_DELETE) {
            DeleteCheckedExtensions(hwnd);
            return 0;
        }
        break;
    }
    case WM_KEYDOWN:
        if (wParam == VK_DELETE) {
            DeleteCheckedExtensions(hwnd);
            return 0;
        }
        if (HandlePickerKey(hwnd, GetFocus(), wParam)) return 0;
        break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kIdOk: ConfirmContentExtPicker(hwnd); return 0;
        case kIdAll: CheckAll(List(hwnd), false); return 0;
        case kIdInvert: CheckAll(List(hwnd), true); return 0;
        case kIdAdd: AddCustomExtensions(hwnd); return 0;
        case kIdDelete: DeleteCheckedExtensions(hwnd); return 0;
        case kIdConfig: OpenConfigFile(); return 0;
        case kIdCancel: CancelPicker(); return 0;
        default: break;
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND CreateControl(HWND parent, DWORD exStyle, const wchar_t* cls, const std::wstring& text, DWORD style, int x, int y,
                   int w, int h, int id) {
    HWND control = CreateWindowExW(exStyle, cls, text.c_str(), style, ScaleForDpi(x), ScaleForDpi(y), ScaleForDpi(w),
                                   ScaleForDpi(h), parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    if (control) {
        // Registered, so a font remade for a new DPI or language reaches it before the old
        // one is deleted.
        if (g_fontUi)
            RegisterUiFontUser(control, UiFontRole::Ui);
        else
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
        if (style & WS_TABSTOP && id != kIdEdit) SetWindowSubclass(control, PickerKeySubclassProc, kKeySubclassId, 0);
    }
    return control;
}

void CreatePickerButton(HWND parent, int x, int w, int id, const std::wstring& text) {
    CreateControl(parent, 0, L"BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, 386, w, 28, id);
}

void CreatePickerControls(HWND picker) {
    const DWORD child = WS_CHILD | WS_VISIBLE;
    CreateControl(picker, 0, L"STATIC", LabelText(kIdTip), child, 12, 10, 370, 36, kIdTip);
    HWND list = CreateControl(picker, WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                              child | WS_VSCROLL | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_NOCOLUMNHEADER, 12, 48,
                              360, 290, kIdList);
    if (list) {
        SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                     LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH;
        column.cx = ScaleForDpi(320);
        SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
        FillExtListView(list, LoadContentSearchExts(), GetActiveContentSearchExts());
    }
    CreateControl(picker, 0, L"STATIC", LabelText(kIdCustomLabel), child, 12, 348, 90, 24, kIdCustomLabel);
    HWND edit = CreateControl(picker, WS_EX_CLIENTEDGE, L"EDIT", L"", child | WS_TABSTOP | ES_AUTOHSCROLL, 104, 344,
                              140, 26, kIdEdit);
    if (edit)
        g_pickerEditPrevProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PickerEditSubclassProc)));
    CreateControl(picker, 0, L"BUTTON", LabelText(kIdAdd), child | WS_TABSTOP, 250, 344, 60, 26, kIdAdd);
    CreateControl(picker, 0, L"BUTTON", LabelText(kIdDelete), child | WS_TABSTOP, 316, 344, 56, 26, kIdDelete);
    CreatePickerButton(picker, 12, 68, kIdOk, LabelText(kIdOk));
    CreatePickerButton(picker, 86, 68, kIdAll, LabelText(kIdAll));
    CreatePickerButton(picker, 160, 68, kIdInvert, LabelText(kIdInvert));
    CreatePickerButton(picker, 234, 80, kIdConfig, LabelText(kIdConfig));
    CreatePickerButton(picker, 320, 60, kIdCancel, LabelText(kIdCancel));
}

}  // namespace

void ShowContentExtPicker(HWND owner, bool activate) {
    if (g_searchTextSetByPicker) return;
    if (!owner) owner = g_hMainWnd;
    g_pickerOpenedWhileTyping =
        !activate && !(g_contentExtPickerWnd && GetForegroundWindow() == g_contentExtPickerWnd);
    if (g_contentExtPickerWnd && IsWindow(g_contentExtPickerWnd)) {
        ReloadExtListView(g_contentExtPickerWnd);
        CenterWindowOnMonitor(g_contentExtPickerWnd, owner);
        ShowWindow(g_contentExtPickerWnd, activate ? SW_SHOW : SW_SHOWNOACTIVATE);
        if (activate) SetForegroundWindow(g_contentExtPickerWnd);
        return;
    }
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!g_contentExtPickerClassRegistered) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = ContentExtPickerWndProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kPickerClass;
        if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
            LogGdi((L"[ContentExtPicker] RegisterClassExW failed, error " + std::to_wstring(GetLastError())).c_str());
            return;
        }
        g_contentExtPickerClassRegistered = true;
    }
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    g_contentExtPickerWnd =
        CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kPickerClass, PickerTitle().c_str(),
                        WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, ScaleForDpi(400), ScaleForDpi(520), owner, nullptr,
                        instance, nullptr);
    if (!g_contentExtPickerWnd) {
        LogGdi((L"[ContentExtPicker] CreateWindowExW failed, error " + std::to_wstring(GetLastError())).c_str());
        return;
    }
    CenterWindowOnMonitor(g_contentExtPickerWnd, owner);
    CreatePickerControls(g_contentExtPickerWnd);
    ShowWindow(g_contentExtPickerWnd, activate ? SW_SHOW : SW_SHOWNOACTIVATE);
    if (activate) SetForegroundWindow(g_contentExtPickerWnd);
}

void CloseContentExtPicker() { DestroyPicker(); }

void RelocalizeContentExtPicker() {
    HWND picker = g_contentExtPickerWnd;
    if (!picker || !IsWindow(picker)) return;
    SetWindowTextW(picker, PickerTitle().c_str());
    for (const PickerLabel& l : kPickerLabels)
        if (HWND control = GetDlgItem(picker, l.id)) SetWindowTextW(control, LabelText(l.id).c_str());
}

bool MaybeShowContentExtPicker(const std::wstring& text) {
    if (g_searchTextSetByPicker) return false;
    std::wstring current = text;
    TrimWhitespace(current);
    const std::wstring previous = g_lastSearchTextSeen;
    g_lastSearchTextSeen = current;
    if (!ShouldOpenExtensionPicker(current, previous)) return false;
    ShowContentExtPicker(g_hMainWnd, false);
    return true;
}

void ApplyPickedExtsToSearchBox(const std::vector<std::wstring>& exts) {
    if (!g_hSearchEdit || !IsWindow(g_hSearchEdit)) return;
    const PickedSearchText picked = BuildPickedSearchText(EditText(g_hSearchEdit, 511), exts);
    g_searchTextSetByPicker = true;
    SetWindowTextW(g_hSearchEdit, picked.text.c_str());
    g_lastSearchTextSeen = picked.text;
    g_currentQuery = picked.text.substr(0, 256);
    g_searchTextSetByPicker = false;
    SendMessageW(g_hSearchEdit, EM_SETSEL, picked.caret, picked.caret);
    SetFocus(g_hSearchEdit);
}
