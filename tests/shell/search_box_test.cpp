// The single-row edits never take a line break or a TAB, neither typed nor pasted.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "shell/Shell.h"

namespace {

std::wstring TextOf(HWND edit) {
    wchar_t buffer[256] = {};
    GetWindowTextW(edit, buffer, 256);
    return buffer;
}

void Type(HWND edit, const std::wstring& keys) {
    for (wchar_t c : keys) {
        if (c == L'\r') SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
        if (c == L'\t') SendMessageW(edit, WM_KEYDOWN, VK_TAB, 0);
        SendMessageW(edit, WM_CHAR, c, 0);
    }
}

bool PutOnClipboard(HWND owner, const std::wstring& text) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    if (!mem) {
        CloseClipboard();
        return false;
    }
    memcpy(GlobalLock(mem), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(mem);
    bool ok = SetClipboardData(CF_UNICODETEXT, mem) != nullptr;
    CloseClipboard();
    return ok;
}

}  // namespace

TEST(SingleRowEdit, EnterAndTabNeverBreakTheRow) {
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, parent);
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL, 0, 0, 300, 30,
                                parent, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, edit);
    InstallFilterEditSubclass(edit);
    Type(edit, L"1-100\r\t\n");
    EXPECT_EQ(L"1-100", TextOf(edit));
    EXPECT_EQ(1, SendMessageW(edit, EM_GETLINECOUNT, 0, 0));

    ASSERT_TRUE(PutOnClipboard(parent, L"5\r\n-\t9\n"));
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, WM_PASTE, 0, 0);
    EXPECT_EQ(L"5 - 9 ", TextOf(edit));
    EXPECT_EQ(1, SendMessageW(edit, EM_GETLINECOUNT, 0, 0));
    DestroyWindow(parent);
}
