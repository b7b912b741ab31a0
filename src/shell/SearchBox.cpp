// The search box and the custom size edit: single-row edits made of multi-line EDIT controls
// (so that a formatting rectangle applies). They never take a line break or a TAB: the keys
// that act (Enter, Tab) are consumed together with their characters, and pasted text is put on
// one line.
#include "core/Core.h"
#include "core/Raii.h"
#include "i18n/I18n.h"
#include "search/Search.h"
#include "shell/ContentExtPicker.h"
#include "shell/Shell.h"
#include "shell/ShellInternal.h"
#include "ui/Controls.h"

namespace {

WNDPROC g_searchEditPrevProc = nullptr;
WNDPROC g_filterEditPrevProc = nullptr;

// Characters a single-row edit must not insert: they come from Enter, Ctrl+Enter and Tab.
bool IsRowBreakingChar(WPARAM ch) { return ch == L'\r' || ch == L'\n' || ch == L'\t'; }

// Pastes the clipboard's text with its line breaks and TABs turned into blanks.
void PasteOnOneLine(HWND edit) {
    if (!OpenClipboard(edit)) return;
    std::wstring text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const wchar_t* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            size_t limit = GlobalSize(data) / sizeof(wchar_t);
            size_t n = 0;
            while (n < limit && p[n]) ++n;
            text.assign(p, n);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    std::wstring line;
    line.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;  // CR LF is one break
        line += IsRowBreakingChar(c) ? L' ' : c;
    }
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(line.c_str()));
}

LRESULT CallPrevious(WNDPROC previous, HWND edit, UINT msg, WPARAM wParam, LPARAM lParam) {
    return previous ? CallWindowProcW(previous, edit, msg, wParam, lParam) : DefWindowProcW(edit, msg, wParam, lParam);
}

std::wstring EditText(HWND edit) {
    wchar_t buffer[256] = {};
    GetWindowTextW(edit, buffer, 256);
    return buffer;
}

// Messages after which the box may hold another text (typing, deleting, pasting, undo, a text
// set by the program).
bool MayChangeText(UINT msg, WPARAM wParam) {
    switch (msg) {
    case WM_SETTEXT:
    case WM_CHAR:
    case WM_IME_CHAR:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
    case EM_REPLACESEL:
        return true;
    case WM_KEYDOWN:
        return wParam == VK_DELETE;
    default:
        return false;
    }
}

}  // namespace

LRESULT CALLBACK SearchEditSubclassProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = g_searchEditPrevProc;
    HWND parent = GetParent(edit);
    // While a new hotkey is being pressed, keys belong to the capture, not to the search.
    if ((msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) && HandleHotkeyCaptureKey(parent, msg, wParam, lParam)) return 0;
    if (msg == WM_CHAR && IsRowBreakingChar(wParam)) return 0;
    if (msg == WM_PASTE) {
        PasteOnOneLine(edit);
        return 0;
    }
    // The box has the focus while the user scrolls the list below it.
    if ((msg == WM_MOUSEWHEEL || msg == WM_MOUSEHWHEEL) && parent) return SendMessageW(parent, msg, wParam, lParam);
    if (msg == WM_KEYDOWN && wParam == VK_RETURN) {
        if (parent) KillTimer(parent, TIMER_SEARCH_DEBOUNCE);
        std::wstring text = EditText(edit);
        TrimWhitespace(text);
        if (HasContentSearchPrefix(text) && !ParseContentQuery(text).isContent) {
            // A content query without terms: nothing is searched, its file types are picked.
            ShowContentExtPicker(parent);
            return 0;
        }
        if (!text.empty()) DoSearchAsync(text, false, false);
        else RefreshSearchResultsAfterIndexUpdate();
        return 0;
    }
    if (msg == WM_KEYDOWN && wParam == VK_F4) {
        if (HasContentSearchPrefix(EditText(edit))) {
            ShowContentExtPicker(parent);
            return 0;
        }
    }
    if (msg == WM_KEYDOWN && wParam == VK_ESCAPE) {
        std::wstring text = EditText(edit);
        if (text.size() >= 2 && (text[0] == L's' || text[0] == L'S') && text[1] == L':') {
            if (parent) KillTimer(parent, TIMER_SEARCH_DEBOUNCE);
            g_searchGeneration.fetch_add(1);
            // The scan's progress was shown in the title: the title says that it ended.
            const std::wstring canceled = Tr(L"Status_ContentSearchCanceled", L"内容搜索已取消。", L"Content search canceled.");
            SetStatusText(canceled);
            if (parent) SetWindowTextW(parent, (L"Tarnwick - " + canceled).c_str());
            return 0;
        }
        // Any other query: the key is the edit's, and the text stays.
    }
    if (msg == WM_CHAR && wParam == 0x1B) return 0;  // the Esc key's character
    if (msg == WM_ERASEBKGND) {
        // The rounded well in the edit colour, the corners outside it in the band's colour.
        if (HDC given = reinterpret_cast<HDC>(wParam)) {
            DrawRoundedEditFrame(edit, given, false);
            return 1;
        }
        WindowDc own(edit);
        if (!own) return CallPrevious(previous, edit, msg, wParam, lParam);
        DrawRoundedEditFrame(edit, own.get(), false);
        return 1;
    }
    if (msg == WM_PAINT || msg == WM_NCPAINT) {
        LRESULT r = CallPrevious(previous, edit, msg, wParam, lParam);
        DrawEditFrame(edit);
        return r;
    }
    const LRESULT r = CallPrevious(previous, edit, msg, wParam, lParam);
    // A crash report names the query that was in the box: its copy follows every change.
    if (MayChangeText(msg, wParam)) SetCrashQueryText(EditText(edit).c_str());
    return r;
}

LRESULT CALLBACK FilterEditSubclassProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CHAR && IsRowBreakingChar(wParam)) return 0;
    if (msg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_TAB)) return 0;
    if (msg == WM_PASTE) {
        PasteOnOneLine(edit);
        return 0;
    }
    if (msg == WM_PAINT) {
        LRESULT r = CallPrevious(g_filterEditPrevProc, edit, msg, wParam, lParam);
        DrawEditFrame(edit);
        return r;
    }
    return CallPrevious(g_filterEditPrevProc, edit, msg, wParam, lParam);
}

void InstallSearchEditSubclass(HWND edit) {
    if (!edit) return;
    g_searchEditPrevProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SearchEditSubclassProc)));
}

void InstallFilterEditSubclass(HWND edit) {
    if (!edit) return;
    g_filterEditPrevProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FilterEditSubclassProc)));
}
