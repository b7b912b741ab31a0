// The main window's language menu: every language of the language folder as it is now, a check
// on the current one, and its commands (a language switched and told on the status line, the
// current language's file opened), chosen in the menu or posted to the window.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "core/Core.h"
#include "i18n/I18n.h"
#include "settings/ConfigFiles.h"
#include "settings/SettingsTools.h"
#include "shell/Shell.h"
#include "support/fixture.h"
#include "ui/WindowUnit.h"

namespace {

std::wstring TextOf(HWND h) {
    wchar_t buffer[512] = {};
    GetWindowTextW(h, buffer, 512);
    return buffer;
}

struct Item {
    UINT id = 0;
    bool checked = false;
    bool separator = false;
    std::wstring text;
};

std::vector<Item> Items(HMENU menu) {
    std::vector<Item> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info{sizeof(info)};
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 256;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        items.push_back({info.wID, (info.fState & MFS_CHECKED) != 0, (info.fType & MFT_SEPARATOR) != 0, text});
    }
    return items;
}

int IndexOf(const wchar_t* code) {
    for (size_t i = 0; i < g_languageList.size(); ++i)
        if (g_languageList[i].code == code) return static_cast<int>(i);
    return -1;
}

// A configuration folder of its own and a status line standing in for the main window's.
struct LanguageMenu : ::testing::Test {
    std::wstring dir;
    HWND window = nullptr;
    HWND status = nullptr;
    void SetUp() override {
        dir = testfx::MakeScratchDir(L"language_menu");
        SetConfigDirOverride(dir);
        window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
        status = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 300, 20, window, nullptr, nullptr, nullptr);
        ASSERT_TRUE(window && status);
        g_hStatusText = status;
        SetUiLanguage(L"en-us");
    }
    void TearDown() override {
        SetShellOpenHook({});
        g_hStatusText = nullptr;
        DestroyWindow(window);
        SetUiLanguage(L"en-us");
        SetConfigDirOverride(L"");
        BuildLanguageList();
    }
};

}  // namespace

TEST_F(LanguageMenu, ListsTheLanguagesOfNowWithTheCurrentOneChecked) {
    SetUiLanguage(L"de");
    // A language file added while the program runs is offered the next time the menu opens.
    ASSERT_TRUE(testfx::WriteFileBytes(dir + L"\\lang\\xx.ini", "Name=\"Xish\"\nMenu_Open=Xopen\n"));
    HMENU menu = CreateLanguageMenu();
    ASSERT_NE(nullptr, menu);
    const std::vector<Item> items = Items(menu);
    DestroyMenu(menu);
    ASSERT_EQ(g_languageList.size() + 2, items.size());
    ASSERT_GE(IndexOf(L"xx"), 13);
    for (size_t i = 0; i < g_languageList.size(); ++i) {
        EXPECT_EQ(IDM_LANGUAGE_FIRST + i, items[i].id) << i;
        EXPECT_EQ(g_languageList[i].displayName, items[i].text) << i;
        EXPECT_EQ(g_languageList[i].code == L"de-de", items[i].checked) << i;
    }
    EXPECT_EQ(L"Xish", items[IndexOf(L"xx")].text);
    EXPECT_TRUE(items[items.size() - 2].separator);
    EXPECT_EQ(static_cast<UINT>(kCmdOpenLanguageFile), items.back().id);
    EXPECT_EQ(Tr(L"Menu_OpenLanguageFolder", L"打开当前语言文件", L"Open Current Language File"), items.back().text);
    EXPECT_NE(L"Open Current Language File", items.back().text);  // in German
}

TEST_F(LanguageMenu, EntrySwitchesTheLanguageAndTellsItOnTheStatusLine) {
    BuildLanguageList();
    const int japanese = IndexOf(L"ja-jp");
    ASSERT_GE(japanese, 0);
    EXPECT_TRUE(RunLanguageMenuCommand(window, IDM_LANGUAGE_FIRST + japanese));
    EXPECT_EQ(L"ja-jp", g_uiLanguageCode);
    EXPECT_EQ(L"言語を切り替えました: 日本語", TextOf(status));
    EXPECT_NE(std::string::npos, testfx::ReadFileBytes(dir + L"\\language.ini").find("lang=ja-jp"));

    // Ids past the list, or below it, are no language.
    for (UINT id : {static_cast<UINT>(IDM_LANGUAGE_FIRST + g_languageList.size()), IDM_LANGUAGE_FIRST - 1u,
                    static_cast<UINT>(kCmdOpenLanguageFile) + 1u})
        EXPECT_FALSE(RunLanguageMenuCommand(window, id)) << id;
    EXPECT_EQ(L"ja-jp", g_uiLanguageCode);

    // The same ids posted to the window (no control, no notification code) act the same.
    WindowUnit& unit = LanguageMenuWindowUnit();
    const int english = IndexOf(L"en-us");
    EXPECT_FALSE(unit.OnCommand(window, IDM_LANGUAGE_FIRST + english, 0, status));  // a control's
    EXPECT_TRUE(unit.OnCommand(window, IDM_LANGUAGE_FIRST + english, 0, nullptr));
    EXPECT_EQ(L"en-us", g_uiLanguageCode);
    EXPECT_EQ(L"Language switched: English (US)", TextOf(status));

    // The last item opens the current language's file.
    std::vector<std::wstring> opened;
    SetShellOpenHook([&](const std::wstring& path) { opened.push_back(path); });
    EXPECT_TRUE(RunLanguageMenuCommand(window, kCmdOpenLanguageFile));
    ASSERT_EQ(1u, opened.size());
    EXPECT_EQ(dir + L"\\lang\\en-us.ini", opened[0]);
}
