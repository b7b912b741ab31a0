// Switching the UI language: language.ini, the filter-category question answered through its
// seam, the filter buttons relabelled in the new language, and the view hooks.
#include <gtest/gtest.h>

#include "core/Core.h"
#include "filters_test_env.h"
#include "i18n/I18n.h"
#include "search/Search.h"
#include "shell/Shell.h"
#include "support/fixture.h"

namespace {

int g_asked = 0;
int g_answer = IDCANCEL;
int Answer(HWND, const std::wstring&, const std::wstring&) {
    ++g_asked;
    return g_answer;
}
int g_settingsHookCalls = 0;
void SettingsHook() { ++g_settingsHookCalls; }

std::wstring ButtonText(size_t i) {
    wchar_t buf[512] = {};
    GetWindowTextW(g_filterButtons[i], buf, 511);
    return buf;
}

class LanguageSwitch : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = testfx::MakeScratchDir(L"filters-language");
        SetConfigDirOverride(dir_);
        savedQuestion_ = g_filterConflictQuestion;
        savedList_ = g_filterCategories;
        g_filterConflictQuestion = Answer;
        g_asked = 0;
        g_settingsHookCalls = 0;
        g_languageSwitchHooks.relocalizeSettingsCenter = SettingsHook;
    }
    void TearDown() override {
        for (HWND b : g_filterButtons)
            if (IsWindow(b)) DestroyWindow(b);
        g_filterButtons.clear();
        g_filterButtonWidths.clear();
        if (g_hMainWnd) DestroyWindow(g_hMainWnd);
        g_hMainWnd = nullptr;
        g_languageSwitchHooks = LanguageSwitchHooks{};
        g_filterConflictQuestion = savedQuestion_;
        g_filterCategories = savedList_;
        g_currentFilterCategory = 0;
        LoadUiLanguageTexts(L"en-us");
        SetConfigDirOverride(FiltersTestConfigDir());
    }
    void MakeMainWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TarnwickFiltersTestMain";
        RegisterClassW(&wc);  // a second registration fails harmlessly
        g_hMainWnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr,
                                     nullptr, wc.hInstance, nullptr);
        ASSERT_TRUE(g_hMainWnd) << GetLastError();
        g_clientWidth = 800;
        CreateFilterButtons();
    }
    std::wstring Path(const wchar_t* name) const { return dir_ + L"\\" + name; }
    bool Exists(const wchar_t* name) const { return GetFileAttributesW(Path(name).c_str()) != INVALID_FILE_ATTRIBUTES; }

    std::wstring dir_;
    FilterConflictQuestionFn savedQuestion_ = nullptr;
    std::vector<FilterCategory> savedList_;
};

}  // namespace

TEST_F(LanguageSwitch, EmptyCodeChangesNothing) {
    SetUiLanguage(L"");
    EXPECT_FALSE(Exists(L"language.ini"));
    EXPECT_EQ(0, g_settingsHookCalls);
}

TEST_F(LanguageSwitch, WithoutWindowSavesTheChoiceAndRelocalizesSettings) {
    SetUiLanguage(L"de");
    EXPECT_EQ(L"de-de", g_uiLanguageCode);
    EXPECT_EQ(L"de-de", ReadSavedLanguageCode());
    EXPECT_FALSE(g_languageIsChinese);
    EXPECT_EQ(1, g_settingsHookCalls);  // runs with or without a main window
    EXPECT_FALSE(Exists(L"filters.de-de.ini"));  // no filter reload without a main window
}

TEST_F(LanguageSwitch, CustomFiltersIniAsksAndCancelUsesDefaultsForNow) {
    const std::string custom = "Mine=\nDirs=.dir\nDocs=.doc\n";
    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"filters.ini"), custom));
    LoadUiLanguageTexts(L"en-us");
    g_filterCategories = {{L"Mine", {}}, {L"Dirs", {L".dir"}}, {L"Docs", {L".doc"}}};
    MakeMainWindow();
    ASSERT_EQ(3u, g_filterButtons.size());
    g_currentFilterCategory = 2;

    g_answer = IDCANCEL;
    SetUiLanguage(L"de-de");
    EXPECT_EQ(1, g_asked);
    ASSERT_EQ(8u, g_filterCategories.size());
    EXPECT_EQ(8u, g_filterButtons.size());  // buttons follow the new list
    EXPECT_FALSE(Exists(L"filters.de-de.ini"));
    EXPECT_EQ(custom, testfx::ReadFileBytes(Path(L"filters.ini")));
    // The buttons carry the German display names and a count.
    std::wstring german;
    ASSERT_TRUE(FindActiveText(L"Filter.2", german));
    EXPECT_EQ(german + L"\r\n(0)", ButtonText(2));
    wchar_t title[64] = {};
    GetWindowTextW(g_hMainWnd, title, 63);
    EXPECT_EQ(Tr(L"App_TitleMain", L"Tarnwick", L"Tarnwick"), title);

    // A second switch to the same language asks again; No keeps the user's own list.
    g_answer = IDNO;
    SetUiLanguage(L"de-de");
    EXPECT_EQ(2, g_asked);
    ASSERT_EQ(3u, g_filterCategories.size());
    EXPECT_EQ(3u, g_filterButtons.size());
    EXPECT_EQ(L"Docs\r\n(0)", ButtonText(2));  // edited category: its stored name
    std::wstring allFiles;
    ASSERT_TRUE(FindActiveText(L"Filter.0", allFiles));
    EXPECT_EQ(allFiles + L"\r\n(0)", ButtonText(0));  // entries as built in: the language's name

    // Yes writes the language's defaults to its own file; later switches load it silently.
    g_answer = IDYES;
    SetUiLanguage(L"de-de");
    EXPECT_EQ(3, g_asked);
    EXPECT_TRUE(Exists(L"filters.de-de.ini"));
    SetUiLanguage(L"de-de");
    EXPECT_EQ(3, g_asked);
}

TEST_F(LanguageSwitch, ShrinkingListResetsTheCurrentCategory) {
    g_filterCategories = g_defaultFilterCategories;
    MakeMainWindow();
    ASSERT_EQ(8u, g_filterButtons.size());
    g_currentFilterCategory = 6;
    g_filterCategories.resize(5);
    CreateFilterButtons();
    EXPECT_EQ(5u, g_filterButtons.size());
    EXPECT_EQ(0, g_currentFilterCategory.load());
}
