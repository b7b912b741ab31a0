// Renaming a result in place: a borderless edit over the caret row's Name cell; Enter or leaving
// it commits (MoveFileW, then the index record and the recent list follow), Esc cancels.
#include <windows.h>

#include "core/Core.h"
#include "i18n/I18n.h"
#include "index/Index.h"
#include "results/FileActions.h"
#include "search/Search.h"
#include "core/Window.h"
#include "ui/Ui.h"

HWND g_hRenameEdit = nullptr;
uint64_t g_lastNameClickTick = 0;
int64_t g_lastNameClickRow = -1;

namespace {

WNDPROC g_renameOldProc = nullptr;
MatchItem g_renameTarget{};
bool g_renameCommitting = false;

LRESULT CALLBACK RenameEditSubclassProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam);

void SelectAllInEdit() {
    if (!g_hRenameEdit) return;
    SetFocus(g_hRenameEdit);
    SendMessageW(g_hRenameEdit, EM_SETSEL, 0, -1);
}

// Shows an error box for the commit in progress. The box takes the focus from the edit; the
// commit flag stays set meanwhile so that this focus loss does not start a second commit.
void ShowRenameError(const std::wstring& text) {
    g_renameCommitting = true;
    FileActionMessageBox(g_hMainWnd, text, Tr(L"MsgTitle_Error", L"错误", L"Error"), MB_ICONERROR);
    g_renameCommitting = false;
    SelectAllInEdit();
}

// The name the file system really gave the item (a case-only change or a name ending in dots
// and blanks may be stored otherwise than asked); the asked name when it cannot be read.
std::wstring NameOnDisk(const std::wstring& path, const std::wstring& asked) {
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return asked;
    FindClose(find);
    std::wstring name = data.cFileName;
    return name.empty() ? asked : name;
}

}  // namespace

RenameNameProblem CheckNewName(const std::wstring& name) {
    if (name.empty()) return RenameNameProblem::Empty;
    if (name.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) return RenameNameProblem::InvalidCharacters;
    for (wchar_t c : name)
        if (c < 32) return RenameNameProblem::InvalidCharacters;
    const wchar_t last = name.back();
    if (last == L'.' || last == L' ') return RenameNameProblem::TrailingDotOrBlank;
    return RenameNameProblem::None;
}

size_t RenameSelectionEnd(const std::wstring& name, bool isFolder) {
    if (isFolder) return name.size();
    const size_t dot = name.find_last_of(L'.');
    if (dot == std::wstring::npos || dot < 1) return name.size();
    return dot;
}

void BeginInlineRename() {
    if (g_viewMode == 1 || g_viewMode == 2) return;
    if (g_hRenameEdit) {
        SelectAllInEdit();
        return;
    }
    std::shared_ptr<std::vector<MatchItem>> rows = GetVisibleResults();
    if (!rows || g_caretRow < 0 || g_caretRow >= static_cast<int64_t>(rows->size())) return;
    const MatchItem item = (*rows)[static_cast<size_t>(g_caretRow)];
    std::wstring name, fullPath, folder;
    if (!GetMatchItemPath(item, name, fullPath, folder)) return;
    bool isFolder = false;
    AcquireSRWLockShared(&item.volume->indexLock);
    if (item.recordIndex < item.volume->records.size()) isFolder = item.volume->records[item.recordIndex].isDirectory != 0;
    ReleaseSRWLockShared(&item.volume->indexLock);

    const int rowHeight = ScaleForDpi(44);
    const int header = ScaleForDpi(40);
    const int64_t top = (g_caretRow - g_scrollY / rowHeight) * rowHeight - (g_scrollY % rowHeight) + header + g_listAreaTop;
    if (top + rowHeight <= header + g_listAreaTop || top >= g_clientHeight) return;
    const int x = (g_filterLayoutSidebar ? g_filterSidebarWidth : 0) - g_scrollX + g_columnWidths[0] + 34;
    const int y = static_cast<int>(top) + 4;
    const int width = std::max(80, g_columnWidths[1] - 44);
    const int height = rowHeight - 8;

    g_renameTarget = item;
    g_hRenameEdit = CreateWindowExW(0, L"EDIT", name.c_str(), WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, x, y, width,
                                    height, g_hMainWnd, nullptr,
                                    reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(g_hMainWnd, GWLP_HINSTANCE)), nullptr);
    if (!g_hRenameEdit) {
        g_renameTarget = MatchItem{};
        return;
    }
    // Registered, so a font remade while the edit is open reaches it before the old one is deleted.
    RegisterUiFontUser(g_hRenameEdit, UiFontRole::Ui);
    g_renameOldProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(g_hRenameEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RenameEditSubclassProc)));
    SetFocus(g_hRenameEdit);
    SendMessageW(g_hRenameEdit, EM_SETSEL, 0, static_cast<LPARAM>(RenameSelectionEnd(name, isFolder)));
}

void CommitInlineRename() {
    if (!g_hRenameEdit || g_renameCommitting) return;
    wchar_t buffer[512] = {};
    GetWindowTextW(g_hRenameEdit, buffer, 512);
    std::wstring newName = buffer;
    TrimWhitespace(newName);
    std::wstring oldName, oldPath, folder;
    if (!GetMatchItemPath(g_renameTarget, oldName, oldPath, folder) || newName.empty()) {
        EndInlineRename(true);
        return;
    }
    switch (CheckNewName(newName)) {
    case RenameNameProblem::InvalidCharacters:
        ShowRenameError(Tr(L"Msg_RenameInvalidChars", L"名称包含无效字符。", L"The name contains invalid characters."));
        return;
    case RenameNameProblem::TrailingDotOrBlank:
        ShowRenameError(Tr(L"Msg_RenameTrailingDot", L"名称不能以点或空格结尾。",
                           L"A name cannot end with a dot or a blank."));
        return;
    default:
        break;
    }
    if (newName == oldName) {
        EndInlineRename(true);
        return;
    }
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    const std::wstring newPath = folder + newName;
    g_renameCommitting = true;
    if (!MoveFileW(oldPath.c_str(), newPath.c_str())) {
        const DWORD error = GetLastError();
        g_renameCommitting = false;
        ShowRenameError(FormatTableText(
            Tr(L"Msg_RenameFailedFormat", L"重命名失败。\n错误: %lu", L"Rename failed.\nError: %lu").c_str(),
            static_cast<unsigned long>(error)));
        return;
    }
    // The index keeps the name the file system stored, so that index and disk agree.
    const std::wstring stored = NameOnDisk(newPath, newName);
    const std::wstring storedPath = folder + stored;
    if (VolumeIndex* volume = g_renameTarget.volume) {
        AcquireSRWLockExclusive(&volume->indexLock);
        (void)volume->RenameRecord(g_renameTarget.recordIndex, stored.c_str(), stored.size());
        ReleaseSRWLockExclusive(&volume->indexLock);
    }
    UpdateRecentPath(g_renameTarget, oldPath, storedPath);
    EndInlineRename(false);
    if (g_caretRow >= 0) SelectSingleRow(g_caretRow);
    g_lastNameClickTick = 0;
    g_lastNameClickRow = -1;
    SetFocus(g_hMainWnd);
    ResetFilteredResultsCache();
    RECT list{0, g_listAreaTop, g_clientWidth, g_clientHeight};
    InvalidateRect(g_hMainWnd, &list, TRUE);
}

void EndInlineRename(bool refocus) {
    if (g_hRenameEdit) {
        HWND edit = g_hRenameEdit;
        g_hRenameEdit = nullptr;  // a focus loss while the edit goes must not commit
        if (g_renameOldProc) SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_renameOldProc));
        UnregisterUiFontUser(edit);
        DestroyWindow(edit);
    }
    g_renameTarget = MatchItem{};
    g_renameCommitting = false;
    g_renameOldProc = nullptr;
    if (refocus && g_hSearchEdit && IsWindow(g_hSearchEdit) && IsWindowEnabled(g_hSearchEdit)) {
        SetFocus(g_hSearchEdit);
        SendMessageW(g_hSearchEdit, EM_SETSEL, static_cast<WPARAM>(-1), -1);
    }
}

namespace {

LRESULT CALLBACK RenameEditSubclassProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC old = g_renameOldProc ? g_renameOldProc : DefWindowProcW;
    switch (msg) {
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            CommitInlineRename();
            return 0;
        }
        if (wParam == VK_ESCAPE) {
            EndInlineRename(true);
            return 0;
        }
        break;
    case WM_CHAR:
        // Enter and Esc are handled on key down; the edit would beep at their characters.
        if (wParam == L'\r' || wParam == 27) return 0;
        break;
    case WM_KILLFOCUS:
        if (!g_renameCommitting && edit == g_hRenameEdit) {
            CommitInlineRename();
            return 0;
        }
        break;
    case WM_PAINT: {
        LRESULT r = CallWindowProcW(old, edit, msg, wParam, lParam);
        if (HDC dc = GetDC(edit)) {
            RECT rc{};
            GetClientRect(edit, &rc);
            if (HBRUSH brush = CreateSolidBrush(g_uiPalette.border)) {
                FrameRect(dc, &rc, brush);
                DeleteObject(brush);
            }
            ReleaseDC(edit, dc);
        }
        return r;
    }
    default:
        break;
    }
    return CallWindowProcW(old, edit, msg, wParam, lParam);
}

}  // namespace
