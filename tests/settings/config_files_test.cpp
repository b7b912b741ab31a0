// Opening configuration files: which file is opened, and what is written first.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "core/Paths.h"
#include "i18n/I18n.h"
#include "search/Filters.h"
#include "settings/ConfigFiles.h"
#include "support/fixture.h"

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class ConfigFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir = testfx::MakeScratchDir(L"config_files");
        SetConfigDirOverride(dir);
        savedCode = g_uiLanguageCode;
        savedCategories = g_filterCategories;
        SetShellOpenHook([this](const std::wstring& p) { opened.push_back(p); });
    }
    void TearDown() override {
        SetShellOpenHook(nullptr);
        g_uiLanguageCode = savedCode;
        g_filterCategories = savedCategories;
        SetConfigDirOverride(L"");
    }
    std::wstring dir;
    std::wstring savedCode;
    std::vector<FilterCategory> savedCategories;
    std::vector<std::wstring> opened;
};

}  // namespace

TEST_F(ConfigFiles, MissingLanguageFiltersAreWrittenFromTheCategoriesInUse) {
    g_uiLanguageCode = L"de-de";
    g_filterCategories = {{L"Bilder", {L".png", L".jpg"}}, {L"Texte", {L".txt"}}};
    OpenFiltersIni();
    const std::wstring path = dir + L"\\filters.de-de.ini";
    ASSERT_EQ(opened, std::vector<std::wstring>{path});
    std::vector<FilterCategory> back;
    ASSERT_TRUE(ReadFilterCategories(path, back));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].name, L"Bilder");
    EXPECT_EQ(back[1].exts, std::vector<std::wstring>{L".txt"});
    EXPECT_FALSE(Exists(dir + L"\\filters.ini"));
}

TEST_F(ConfigFiles, EmptyCategoriesAreFilledWithTheDefaultsBeforeWriting) {
    g_uiLanguageCode = L"en-us";
    g_filterCategories.clear();
    OpenFiltersIni();
    std::vector<FilterCategory> back;
    ASSERT_TRUE(ReadFilterCategories(dir + L"\\filters.en-us.ini", back));
    EXPECT_FALSE(back.empty());
}

TEST_F(ConfigFiles, TheLanguageIndependentFileIsOpenedWhenOnlyItExists) {
    g_uiLanguageCode = L"fr-fr";
    ASSERT_TRUE(testfx::WriteFileBytes(dir + L"\\filters.ini", "A=.a\r\n"));
    OpenFiltersIni();
    EXPECT_EQ(opened, std::vector<std::wstring>{dir + L"\\filters.ini"});
    EXPECT_FALSE(Exists(dir + L"\\filters.fr-fr.ini"));
    EXPECT_EQ(testfx::ReadFileBytes(dir + L"\\filters.ini"), "A=.a\r\n");

    // An existing language file wins and is left as it is.
    ASSERT_TRUE(testfx::WriteFileBytes(dir + L"\\filters.fr-fr.ini", "B=.b\r\n"));
    opened.clear();
    OpenFiltersIni();
    EXPECT_EQ(opened, std::vector<std::wstring>{dir + L"\\filters.fr-fr.ini"});
    EXPECT_EQ(testfx::ReadFileBytes(dir + L"\\filters.fr-fr.ini"), "B=.b\r\n");
}

TEST_F(ConfigFiles, AFolderInPlaceOfTheFileIsNotOpenedAsTheFile) {
    g_uiLanguageCode = L"en-us";
    ASSERT_TRUE(CreateDirectoryW((dir + L"\\filters.ini").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((dir + L"\\filters.en-us.ini").c_str(), nullptr));
    OpenFiltersIni();
    // Nothing usable can be written there: the path is still handed on, nothing is destroyed.
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], dir + L"\\filters.en-us.ini");
    EXPECT_TRUE(GetFileAttributesW(opened[0].c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(ConfigFiles, TheLanguageFileIsMadeInANewLangFolder) {
    EnsureBuiltinLanguageTables();
    const struct {
        const wchar_t* code;
        const wchar_t* file;
    } cases[] = {{L"DE-DE", L"de-de.ini"}, {L"", L"zh-cn.ini"}, {L"xx-yy", L"xx-yy.ini"}};
    for (const auto& c : cases) {
        testfx::RemoveTree(dir);
        RemoveDirectoryW((dir + L"\\lang").c_str());
        opened.clear();
        g_uiLanguageCode = c.code;
        OpenLanguageFile();
        const std::wstring path = dir + L"\\lang\\" + c.file;
        ASSERT_EQ(opened, std::vector<std::wstring>{path}) << c.code;
        EXPECT_TRUE(Exists(path)) << c.code;
        EXPECT_TRUE(Exists(dir + L"\\lang\\ja-jp.ini"));  // every built-in template too
    }
}

// A language code that is no plain name (set by whatever means) opens nothing and writes no
// template outside the language folder.
TEST_F(ConfigFiles, ALanguageCodeThatClimbsOutOpensAndWritesNothing) {
    EnsureBuiltinLanguageTables();
    const std::wstring parent = dir.substr(0, dir.rfind(L'\\'));
    DeleteFileW((parent + L"\\outside.ini").c_str());
    for (const wchar_t* code : {L"..\\..\\outside", L"../outside", L"con"}) {
        opened.clear();
        g_uiLanguageCode = code;
        OpenLanguageFile();
        EXPECT_TRUE(opened.empty()) << code;
    }
    EXPECT_FALSE(Exists(parent + L"\\outside.ini"));
    EXPECT_FALSE(Exists(dir + L"\\outside.ini"));
}
