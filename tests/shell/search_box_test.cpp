// The single-row edits never take a line break or a TAB, neither typed nor pasted.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "core/Core.h"
#include "shell/Shell.h"
#include "shell/ShellInternal.h"
#include "support/fixture.h"

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

// A single-row edit (a multi-line EDIT) in a popup of its own; destroying the parent ends both.
HWND MakeRowEdit(HWND* parent) {
    *parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr, nullptr, nullptr);
    if (!*parent) return nullptr;
    return CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL, 0, 0, 300, 30,
                           *parent, nullptr, nullptr, nullptr);
}

}  // namespace

TEST(SingleRowEdit, EnterAndTabNeverBreakTheRow) {
    HWND parent = nullptr;
    HWND edit = MakeRowEdit(&parent);
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

namespace {

// The query line of a crash text written now.
std::string CrashQueryLine(const std::wstring& dir) {
    const std::wstring path = dir + L"\\crash_text.txt";
    CrashReportContext context;
    context.reason = L"test";
    WriteCrashText(context, path.c_str());
    const std::string text = testfx::ReadFileBytes(path);
    const size_t at = text.find("\nquery=");
    if (at == std::string::npos) return "<none>";
    return text.substr(at + 1, text.find('\r', at) - at - 1);
}

}  // namespace

// A crash report names the query in the box: its copy follows typing, deleting, pasting and
// the text the program sets.
TEST(SearchBoxCrashQuery, CopyFollowsEveryChangeOfTheText) {
    const std::wstring dir = testfx::MakeScratchDir(L"search_box_crash");
    HWND parent = nullptr;
    HWND edit = MakeRowEdit(&parent);
    ASSERT_NE(nullptr, edit);
    InstallSearchEditSubclass(edit);
    SetCrashQueryText(L"");
    Type(edit, L"report");
    EXPECT_EQ("query=report", CrashQueryLine(dir));
    SendMessageW(edit, WM_CHAR, VK_BACK, 0);
    EXPECT_EQ("query=repor", CrashQueryLine(dir));
    SetWindowTextW(edit, L"s:budget");
    EXPECT_EQ("query=s:budget", CrashQueryLine(dir));
    SendMessageW(edit, EM_SETSEL, 0, 2);
    SendMessageW(edit, WM_CLEAR, 0, 0);
    EXPECT_EQ("query=budget", CrashQueryLine(dir));
    ASSERT_TRUE(PutOnClipboard(parent, L" 2026\r\n"));
    SendMessageW(edit, EM_SETSEL, 6, 6);
    SendMessageW(edit, WM_PASTE, 0, 0);
    EXPECT_EQ("query=budget 2026 ", CrashQueryLine(dir));
    SetWindowTextW(edit, L"");
    EXPECT_EQ("query=", CrashQueryLine(dir));
    DestroyWindow(parent);
}

// A fault while the hover tooltip is built is reported once, names its step and the query, and
// the program goes on (the caches are still saved).
TEST(SearchBoxCrashQuery, TooltipFaultIsReportedOnce) {
    const std::wstring dir = testfx::MakeScratchDir(L"tooltip_crash");
    SetConfigDirOverride(dir);
    core_detail::SetCrashDumpEnabled(false);
    SetCrashQueryText(L"tip query");
    EXPECT_TRUE(ReportTooltipFault("bad cell"));
    EXPECT_FALSE(ReportTooltipFault(nullptr));
    const std::string text = testfx::ReadFileBytes(dir + L"\\crash_last.txt");
    EXPECT_NE(std::string::npos, text.find("reason=mousemove_tooltip_exception\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("extra=mousemove tooltip std::exception: bad cell\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("query=tip query\r\n")) << text;
    EXPECT_FALSE(g_crashInProgress.load());
    GetThreadCrashRecord().extra[0] = 0;
    core_detail::SetCrashDumpEnabled(true);
    SetConfigDirOverride(L"");
}
