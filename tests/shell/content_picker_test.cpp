// The content-extension picker's keyboard: Tab moves between its controls, Esc and Enter act
// from whichever control has the focus, and OK writes the checked types into the search box.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "content/Content.h"
#include "core/Core.h"
#include "shell/ContentExtPicker.h"
#include "shell/Shell.h"
#include "support/fixture.h"
#include "ui/Ui.h"

namespace {

class ContentPicker : public testing::Test {
protected:
    void SetUp() override {
        SetConfigDirOverride(testfx::MakeScratchDir(L"picker_cfg"));
        SetContentSearchExts({});
        host_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr, nullptr, nullptr);
        g_hSearchEdit = CreateWindowExW(0, L"EDIT", L"s:report|.log", WS_CHILD | WS_VISIBLE, 0, 0, 300, 30, host_,
                                        nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        CloseContentExtPicker();
        DestroyWindow(host_);
        g_hSearchEdit = nullptr;
        SetContentSearchExts({});
        SetConfigDirOverride(L"");
    }
    static HWND Child(int id) { return GetDlgItem(g_contentExtPickerWnd, id); }
    static void Key(HWND control, WPARAM key) { SendMessageW(control, WM_KEYDOWN, key, 0); }
    static std::wstring Text(HWND w) {
        wchar_t buffer[512] = {};
        GetWindowTextW(w, buffer, 512);
        return buffer;
    }
    HWND host_ = nullptr;
};

TEST_F(ContentPicker, KeysActFromEveryControl) {
    ShowContentExtPicker(host_);
    ASSERT_TRUE(g_contentExtPickerWnd);
    HWND list = Child(42170);
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 17);  // the default offer, all checked

    SetFocus(list);
    Key(list, VK_TAB);
    EXPECT_EQ(GetFocus(), Child(42184));  // the custom extension edit
    Key(Child(42184), VK_TAB);
    EXPECT_EQ(GetFocus(), Child(42185));  // Add

    // Esc on a button closes the picker and changes nothing.
    Key(Child(42185), VK_ESCAPE);
    EXPECT_FALSE(g_contentExtPickerWnd);
    EXPECT_EQ(Text(g_hSearchEdit), L"s:report|.log");

    // Invert twice leaves everything checked; Enter on the Config button is OK.
    ShowContentExtPicker(host_);
    ASSERT_TRUE(g_contentExtPickerWnd);
    SendMessageW(g_contentExtPickerWnd, WM_COMMAND, 42186, 0);
    SendMessageW(g_contentExtPickerWnd, WM_COMMAND, 42186, 0);
    Key(Child(42183), VK_RETURN);
    EXPECT_FALSE(g_contentExtPickerWnd);
    EXPECT_EQ(Text(g_hSearchEdit), L"s:report|" + JoinExtensionList(DefaultContentSearchExts()));
    EXPECT_EQ(GetContentSearchExtsCopy(), DefaultContentSearchExts());
}

TEST_F(ContentPicker, EnterInTheEditAddsAndChecks) {
    ShowContentExtPicker(host_);
    ASSERT_TRUE(g_contentExtPickerWnd);
    SendMessageW(g_contentExtPickerWnd, WM_COMMAND, 42186, 0);  // nothing checked
    HWND edit = Child(42184);
    SetWindowTextW(edit, L"PDF, docx");
    Key(edit, VK_RETURN);
    EXPECT_EQ(Text(edit), L"");
    EXPECT_EQ(SendMessageW(Child(42170), LVM_GETITEMCOUNT, 0, 0), 18);
    EXPECT_NE(testfx::ReadFileBytes(GetContentSearchExtsPath()).find(".pdf"), std::string::npos);
    SendMessageW(g_contentExtPickerWnd, WM_COMMAND, 42180, 0);  // OK
    EXPECT_EQ(Text(g_hSearchEdit), L"s:report|.docx,.pdf");
}

}  // namespace

namespace {

// Every child of the picker holds the current UI font (none a deleted one).
int ChildrenWithoutFont(HWND picker, HFONT font) {
    int wrong = 0;
    for (HWND child = GetWindow(picker, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)) != font) ++wrong;
    return wrong;
}

}  // namespace

TEST_F(ContentPicker, FontsRemadeWhileOpenReachEveryControl) {
    RecreateUiFonts();
    ShowContentExtPicker(host_);
    ASSERT_TRUE(g_contentExtPickerWnd);
    EXPECT_EQ(0, ChildrenWithoutFont(g_contentExtPickerWnd, g_fontUi));
    // A DPI or language change remakes the fonts and deletes the old ones.
    RecreateUiFonts();
    EXPECT_EQ(0, ChildrenWithoutFont(g_contentExtPickerWnd, g_fontUi));
    CloseContentExtPicker();
    DeleteUiFonts();
}
