// Language list, language files, templates and language.ini.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/Core.h"
#include "i18n/I18n.h"
#include "i18n/I18nInternal.h"
#include "language_state.h"
#include "support/fixture.h"

namespace {

std::string Utf8(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr,
                        nullptr);
    return s;
}

// Each test starts with an empty lang folder, an empty active table and no language.ini, and
// leaves the language state as it found it.
class LanguageFilesTest : public LanguageStateTest {
protected:
    void SetUp() override {
        LanguageStateTest::SetUp();
        lang_ = GetLangDir();
        EmptyFolder(lang_);
        DeleteFileW((GetConfigDir() + L"\\language.ini").c_str());
        DeleteFileW((GetConfigDir() + L"\\perf_metrics.log").c_str());
        g_activeTextTable.clear();
    }
    void TearDown() override {
        EmptyFolder(lang_);
        LanguageStateTest::TearDown();
    }
    static void EmptyFolder(const std::wstring& dir) {
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return;
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                DeleteFileW((dir + L"\\" + fd.cFileName).c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    void WriteLang(const std::wstring& name, const std::wstring& text) {
        ASSERT_TRUE(testfx::WriteFileBytes(lang_ + L"\\" + name, "\xEF\xBB\xBF" + Utf8(text)));
    }
    std::string PerfLog() { return testfx::ReadFileBytes(GetConfigDir() + L"\\perf_metrics.log"); }

    std::wstring lang_;
};

TEST_F(LanguageFilesTest, ListHoldsBuiltinLanguagesThenSortedFileLanguages) {
    BuildLanguageList();
    const wchar_t* order[] = {L"zh-cn", L"zh-tw", L"en-us", L"ja-jp", L"ko-kr", L"de-de", L"fr-fr",
                              L"es-es", L"pt-br", L"it-it", L"ru-ru", L"no-no", L"ar-sa"};
    ASSERT_EQ(g_languageList.size(), 13u);
    for (size_t i = 0; i < 13; ++i) {
        EXPECT_EQ(g_languageList[i].code, order[i]);
        EXPECT_EQ(g_languageList[i].displayName, GetBuiltinTextTable(order[i]).at(L"Name"));
    }
    EXPECT_EQ(g_languageList[5].displayName, L"Deutsch (DE)");
    EXPECT_EQ(g_languageList[1].displayName, L"中文(繁體)");

    // Templates of the built-in languages add nothing; neither do override files or a second
    // file of a listed code.
    EnsureAllLanguageTemplates();
    WriteLang(L"xx.ini", L"# comment\nName = \"Klingon (Test)\"\nMenu_Open=Qapla\n");
    WriteLang(L"ww.ini", L"Menu_Open=W\n");
    WriteLang(L"xx.user.ini", L"Name=User\n");
    WriteLang(L"Custom.INI", L"Name=Custom\n");
    WriteLang(L"DE.ini", L"Name=Second German\n");
    WriteLang(L"XX-Y.INI", L"name='Quoted'\n");
    BuildLanguageList();
    ASSERT_EQ(g_languageList.size(), 16u);
    EXPECT_EQ(g_languageList[13].code, L"ww");
    EXPECT_EQ(g_languageList[13].displayName, L"ww");
    EXPECT_EQ(g_languageList[14].code, L"xx");
    EXPECT_EQ(g_languageList[14].displayName, L"Klingon (Test)");
    EXPECT_EQ(g_languageList[15].code, L"xx-y");
    EXPECT_EQ(g_languageList[15].displayName, L"Quoted");
}

TEST_F(LanguageFilesTest, AtMost128FileLanguagesTheSmallestCodes) {
    for (int i = 199; i >= 0; --i) {
        wchar_t name[32];
        swprintf(name, 32, L"q%03d.ini", i);
        WriteLang(name, L"");
    }
    BuildLanguageList();
    ASSERT_EQ(g_languageList.size(), 13u + 128u);
    EXPECT_EQ(g_languageList[13].code, L"q000");
    EXPECT_EQ(g_languageList.back().code, L"q127");
}

TEST_F(LanguageFilesTest, MergeSyntax) {
    WriteLang(L"t.ini",
              L"Menu_Open=First\n"
              L"Menu_Open = Second \n"
              L"Menu_Copy=\n"
              L"=NoKey\n"
              L"#Menu_Cut=Comment\n"
              L"Menu_Cut\n"
              L"menu_properties=lower case key\n"
              L"Header_Name='Apostrophes'\n"
              L"Header_Size=\"  Spaced  \"\n"
              L"Header_Type=a=b\n"
              L"Msg_ResetComplete=Line one\\nLine two\\tTab \\\\ back \\q\n");
    MergeLanguageFile(lang_ + L"\\t.ini");
    MergeLanguageFile(lang_ + L"\\missing.ini");
    EXPECT_EQ(g_activeTextTable.at(L"Menu_Open"), L"Second");
    EXPECT_EQ(g_activeTextTable.count(L"Menu_Copy"), 0u);
    EXPECT_EQ(g_activeTextTable.count(L"Menu_Cut"), 0u);
    EXPECT_EQ(g_activeTextTable.count(L""), 0u);
    EXPECT_EQ(g_activeTextTable.at(L"menu_properties"), L"lower case key");
    EXPECT_EQ(g_activeTextTable.at(L"Header_Name"), L"Apostrophes");
    EXPECT_EQ(g_activeTextTable.at(L"Header_Size"), L"  Spaced  ");
    EXPECT_EQ(g_activeTextTable.at(L"Header_Type"), L"a=b");
    EXPECT_EQ(g_activeTextTable.at(L"Msg_ResetComplete"), L"Line one\nLine two\tTab \\ back \\q");
    EXPECT_EQ(g_activeTextTable.size(), 6u);
}

TEST_F(LanguageFilesTest, DamagedFilesNeverCrashAndKeepTheirGoodLines) {
    // A huge line is read in pieces of 4095 characters, each taken as a line of its own.
    std::wstring huge = L"Menu_Open=" + std::wstring(10000, L'a');
    std::wstring piece3 = L"Menu_Copy=tail";
    std::wstring padded = std::wstring(4095 * 2, L'z') + piece3;
    std::string bytes = "\xEF\xBB\xBF" + Utf8(huge + L"\n" + padded + L"\n");
    bytes += "Header_Name=bad \xC3\x28 utf8 \xFF\xFE end\n";             // invalid UTF-8
    bytes += std::string("Header_Size=nul\0hidden\n", 23);               // NUL inside a line
    for (int i = 0; i < 4096; ++i) bytes += static_cast<char>((i * 131 + 7) & 0xFF);  // junk
    bytes += "\nHeader_Path=after junk\r\n";
    ASSERT_TRUE(testfx::WriteFileBytes(lang_ + L"\\bad.ini", bytes));
    MergeLanguageFile(lang_ + L"\\bad.ini");
    ASSERT_EQ(g_activeTextTable.count(L"Menu_Open"), 1u);
    EXPECT_EQ(g_activeTextTable.at(L"Menu_Open"), std::wstring(4095 - 10, L'a'));
    EXPECT_EQ(g_activeTextTable.at(L"Menu_Copy"), L"tail");
    EXPECT_EQ(g_activeTextTable.at(L"Header_Name").substr(0, 4), L"bad ");
    EXPECT_NE(g_activeTextTable.at(L"Header_Name").find(L'\xFFFD'), std::wstring::npos);
    EXPECT_EQ(g_activeTextTable.at(L"Header_Size"), L"nul");
    EXPECT_EQ(g_activeTextTable.at(L"Header_Path"), L"after junk");

    // Pure binary junk and an empty file merge nothing.
    std::string junk;
    for (int i = 0; i < 70000; ++i) junk += static_cast<char>((i * 7919 + 13) & 0xFF);
    ASSERT_TRUE(testfx::WriteFileBytes(lang_ + L"\\junk.ini", junk));
    ASSERT_TRUE(testfx::WriteFileBytes(lang_ + L"\\empty.ini", ""));
    g_activeTextTable.clear();
    MergeLanguageFile(lang_ + L"\\junk.ini");
    MergeLanguageFile(lang_ + L"\\empty.ini");
    for (const auto& [k, v] : g_activeTextTable) EXPECT_FALSE(k.empty() || v.empty());

    // UTF-16 LE with byte-order mark.
    ASSERT_TRUE(testfx::WriteFileBytes(lang_ + L"\\u16.ini",
                                       testfx::Utf16LeWithBom(L"Name=Ελληνικά\r\nMenu_Open=Άνοιγμα\r\n")));
    g_activeTextTable.clear();
    MergeLanguageFile(lang_ + L"\\u16.ini");
    EXPECT_EQ(g_activeTextTable.at(L"Menu_Open"), L"Άνοιγμα");
    EXPECT_EQ(ReadLanguageFileDisplayName(lang_ + L"\\u16.ini", L"fb"), L"Ελληνικά");
    EXPECT_EQ(ReadLanguageFileDisplayName(lang_ + L"\\junk.ini", L"fb"), L"fb");
    EXPECT_EQ(ReadLanguageFileDisplayName(lang_ + L"\\none.ini", L"fb"), L"fb");
}

TEST_F(LanguageFilesTest, TextsWithOtherPlaceholdersAreRefusedAndLogged) {
    WriteLang(L"p.ini",
              L"Dup_StatusDoneFmt=Found %s groups\n"          // %s where the English has %zu
              L"Analysis_ScanDoneFmt=%zu items on %s\n"      // order swapped
              L"Msg_RenameFailedFormat=Failed %n\n"
              L"Title_SearchFinalFmt=Tarnwick: %lld hits\n"  // same conversions: accepted
              L"TrayTip=No hotkey placeholder\n"             // "{0}" missing
              L"Status_ContentSizeLimitFmt=Limit %s\n"       // no built-in table has this key
              L"Msg_AdminRequired=One line is fine\n");      // line breaks may differ
    MergeLanguageFile(lang_ + L"\\p.ini");
    EXPECT_EQ(g_activeTextTable.count(L"Dup_StatusDoneFmt"), 0u);
    EXPECT_EQ(g_activeTextTable.count(L"Analysis_ScanDoneFmt"), 0u);
    EXPECT_EQ(g_activeTextTable.count(L"Msg_RenameFailedFormat"), 0u);
    EXPECT_EQ(g_activeTextTable.count(L"TrayTip"), 0u);
    EXPECT_EQ(g_activeTextTable.at(L"Title_SearchFinalFmt"), L"Tarnwick: %lld hits");
    EXPECT_EQ(g_activeTextTable.at(L"Msg_AdminRequired"), L"One line is fine");
    std::string log = PerfLog();
    EXPECT_NE(log.find("i18n bad_placeholders key=Dup_StatusDoneFmt file="), std::string::npos);
    EXPECT_NE(log.find("key=Analysis_ScanDoneFmt"), std::string::npos);

    // A key unknown to the built-in tables is checked against the caller's English default.
    bool chinese = g_languageIsChinese;
    g_languageIsChinese = false;
    EXPECT_EQ(Tr(L"Status_ContentSizeLimitFmt", L"限制 %zu MB", L"Limit %zu MB"), L"Limit %zu MB");
    EXPECT_EQ(Tr(L"Status_ContentSizeLimitFmt", L"限制 %s", L"Limit %s"), L"Limit %s");
    g_languageIsChinese = chinese;
}

TEST_F(LanguageFilesTest, TemplatesRoundTripEveryTextOfEveryTable) {
    EnsureAllLanguageTemplates();
    for (const std::wstring& code : GetBuiltinLanguageCodes()) {
        const std::wstring path = lang_ + L"\\" + code + L".ini";
        std::string bytes = testfx::ReadFileBytes(path);
        ASSERT_GE(bytes.size(), 3u) << code.c_str();
        EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
        EXPECT_EQ(bytes.find("\r\n") != std::string::npos, true);
        // As generated, the template changes nothing (the built-in texts stay in charge).
        g_activeTextTable.clear();
        MergeLanguageFile(path);
        EXPECT_TRUE(g_activeTextTable.empty()) << code.c_str();
        // An edit (here a note at the end) makes the whole file count: every text comes back
        // exactly, multi-line texts and texts with edge blanks or quotes included.
        ASSERT_TRUE(testfx::WriteFileBytes(path, bytes + "# my note\r\n"));
        g_activeTextTable.clear();
        MergeLanguageFile(path);
        EXPECT_EQ(g_activeTextTable, GetBuiltinTextTable(code)) << code.c_str();
    }
}

TEST_F(LanguageFilesTest, UneditedTemplateNeverOverridesNewerBuiltinText) {
    // A template written by an older build: unchanged, so the built-in texts stay.
    std::wstring old = i18n_detail::MakeTemplateText({L"Menu_Open=Old Open", L"Menu_Copy=Old Copy"});
    WriteLang(L"de-de.ini", old);
    LoadUiLanguageTexts(L"de");
    EXPECT_EQ(g_activeTextTable.at(L"Menu_Open"), GetBuiltinTextTable(L"de-de").at(L"Menu_Open"));
    // Once the user edits it, every entry of it counts.
    std::wstring edited = old;
    edited.replace(edited.find(L"Old Copy"), 8, L"Mine");
    WriteLang(L"de-de.ini", edited);
    LoadUiLanguageTexts(L"de");
    EXPECT_EQ(g_activeTextTable.at(L"Menu_Copy"), L"Mine");
    EXPECT_EQ(g_activeTextTable.at(L"Menu_Open"), L"Old Open");
}

TEST_F(LanguageFilesTest, ExistingTemplateIsNeverRewritten) {
    WriteLang(L"de-de.ini", L"");
    ASSERT_TRUE(testfx::WriteFileBytes(lang_ + L"\\fr-fr.ini", "Menu_Open=X\n"));
    EnsureAllLanguageTemplates();
    EXPECT_EQ(testfx::ReadFileBytes(lang_ + L"\\de-de.ini"), "\xEF\xBB\xBF");
    EXPECT_EQ(testfx::ReadFileBytes(lang_ + L"\\fr-fr.ini"), "Menu_Open=X\n");
    EXPECT_GT(testfx::ReadFileBytes(lang_ + L"\\ja-jp.ini").size(), 1000u);
    EnsureLanguageTemplate(L"xx");  // a code without a table gets the English texts
    std::string xx = testfx::ReadFileBytes(lang_ + L"\\xx.ini");
    EXPECT_NE(xx.find("Name=English (US)\r\n"), std::string::npos);
}

TEST_F(LanguageFilesTest, OverrideFilesInOrderAndChineseFlag) {
    WriteLang(L"de-de.ini", L"Menu_Open=A\nMenu_Copy=A\nMenu_Cut=A\n");
    WriteLang(L"de-de.user.ini", L"Menu_Open=B\nMenu_Copy=B\n");
    WriteLang(L"custom.ini", L"Menu_Open=C\n");
    EXPECT_EQ(LoadUiLanguageTexts(L" DE "), L"de-de");
    EXPECT_EQ(g_uiLanguageCode, L"de-de");
    EXPECT_EQ(g_activeTextTable.at(L"Menu_Open"), L"C");
    EXPECT_EQ(g_activeTextTable.at(L"Menu_Copy"), L"B");
    EXPECT_EQ(g_activeTextTable.at(L"Menu_Cut"), L"A");
    EXPECT_EQ(g_activeTextTable.at(L"Header_Size"), GetBuiltinTextTable(L"de-de").at(L"Header_Size"));
    EXPECT_FALSE(g_languageIsChinese);
    // Every built-in template exists after a load.
    for (const std::wstring& code : GetBuiltinLanguageCodes()) {
        EXPECT_NE(GetFileAttributesW((lang_ + L"\\" + code + L".ini").c_str()),
                  INVALID_FILE_ATTRIBUTES);
    }

    DeleteFileW((lang_ + L"\\custom.ini").c_str());
    WriteLang(L"xx.ini", L"Menu_Open=Xx\nLanguageIsChinese=YES\n");
    LoadUiLanguageTexts(L"xx");
    EXPECT_EQ(g_activeTextTable.at(L"Menu_Open"), L"Xx");
    EXPECT_EQ(g_activeTextTable.at(L"Menu_Copy"), GetBuiltinTextTable(L"en-us").at(L"Menu_Copy"));
    EXPECT_TRUE(g_languageIsChinese);

    WriteLang(L"zh-cn.user.ini", L"LanguageIsChinese=0\n");
    LoadUiLanguageTexts(L"zh");
    EXPECT_FALSE(g_languageIsChinese);
    LoadUiLanguageTexts(L"zh-tw");
    EXPECT_TRUE(g_languageIsChinese);

    // An empty code changes nothing.
    EXPECT_EQ(LoadUiLanguageTexts(L""), L"");
    EXPECT_EQ(g_uiLanguageCode, L"zh-tw");
}

TEST_F(LanguageFilesTest, MissingKeyShowsTheDefaultAndIsLoggedOnce) {
    LoadUiLanguageTexts(L"en-us");
    EXPECT_EQ(Tr(L"toolbar", L"工具栏背景", L"Toolbar background"), L"Toolbar background");
    EXPECT_EQ(Tr(L"toolbar", L"工具栏背景", L"Toolbar background"), L"Toolbar background");
    EXPECT_EQ(Tr(L"surface", L"窗口背景", L"Window background"), L"Window background");
    g_languageIsChinese = true;
    EXPECT_EQ(Tr(L"toolbar", L"工具栏背景", L"Toolbar background"), L"工具栏背景");
    std::string log = PerfLog();
    const std::string line = "i18n missing_key=toolbar lang=en-us";
    size_t first = log.find(line);
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_EQ(log.find(line, first + 1), std::string::npos);
    EXPECT_NE(log.find("i18n missing_key=surface lang=en-us"), std::string::npos);
    EXPECT_EQ(g_missingTextKeys.count(L"toolbar"), 1u);
    // A language file may supply such a key.
    WriteLang(L"custom.ini", L"toolbar=Werkzeugleiste\n");
    LoadUiLanguageTexts(L"de");
    EXPECT_EQ(Tr(L"toolbar", L"工具栏背景", L"Toolbar background"), L"Werkzeugleiste");
}

TEST_F(LanguageFilesTest, LookupsFromOtherThreadsDuringLanguageSwitches) {
    std::atomic<bool> stop{false};
    std::atomic<long> bad{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 4; ++i) {
        readers.emplace_back([&] {
            while (!stop.load()) {
                std::wstring t = Tr(L"Menu_Open", L"打开", L"Open");
                std::wstring f;
                FindActiveText(L"Filter.0", f);
                if (t.empty()) ++bad;
            }
        });
    }
    const wchar_t* codes[] = {L"de", L"ja", L"zh", L"en", L"ar-sa", L"xx"};
    for (int round = 0; round < 30; ++round) LoadUiLanguageTexts(codes[round % 6]);
    stop = true;
    for (auto& t : readers) t.join();
    EXPECT_EQ(bad.load(), 0);
}

// Points the configuration folder at root\a\b\config for one test and back after it.
class NestedConfig {
public:
    NestedConfig() : saved_(GetConfigDir()), root_(testfx::MakeScratchDir(L"i18n-nested")) {
        CreateDirectoryW((root_ + L"\\a").c_str(), nullptr);
        CreateDirectoryW((root_ + L"\\a\\b").c_str(), nullptr);
        SetConfigDirOverride(root_ + L"\\a\\b\\config");
    }
    ~NestedConfig() { SetConfigDirOverride(saved_); }
    const std::wstring& Root() const { return root_; }

private:
    std::wstring saved_;
    std::wstring root_;
};

// A language code names files, so a code that is no plain name (it could climb out of the
// language folder, or name a device) is absent wherever it comes in: the current language stays,
// nothing is written for it anywhere, and it is logged.
TEST_F(LanguageFilesTest, CodesThatAreNoPlainNameChangeNothingAndWriteNothing) {
    const std::wstring valid[] = {L"de-de", L"xx", L"pt_br", L"Q000", L" ZH ", std::wstring(32, L'a')};
    const std::wstring hostile[] = {
        L"..\\..\\..\\pwned", L"../../pwned", L"..", L".", L"C:\\pwned", L"c:pwned", L"de\\..\\..\\x",
        L"de:ads", L"con", L"NUL", L"com1", L"Lpt3", L"a b", L"x.y", L"\u00e9t\u00e9", L"de\x01",
        std::wstring(33, L'a'), L" ",
    };
    for (const auto& c : valid) EXPECT_TRUE(IsValidLanguageCode(NormalizeLanguageCode(c))) << c;
    for (const auto& c : hostile) EXPECT_FALSE(IsValidLanguageCode(NormalizeLanguageCode(c))) << c;

    NestedConfig nested;
    const std::wstring config = GetConfigDir();
    ASSERT_EQ(LoadUiLanguageTexts(L"de"), L"de-de");
    const std::wstring german = g_activeTextTable.at(L"Menu_Open");
    ASSERT_TRUE(WriteSavedLanguageCode(L"de-de"));
    for (const auto& c : hostile) {
        EXPECT_EQ(LoadUiLanguageTexts(c), L"") << c;
        SetUiLanguage(c);
        EnsureLanguageTemplate(c);
        EXPECT_FALSE(WriteSavedLanguageCode(c)) << c;
    }
    EXPECT_EQ(g_uiLanguageCode, L"de-de");
    EXPECT_EQ(g_activeTextTable.at(L"Menu_Open"), german);
    EXPECT_EQ(testfx::ReadFileBytes(config + L"\\language.ini"), "\xEF\xBB\xBFlang=de-de\r\n");

    // language.ini itself, as start-up reads it: absent, and the line is logged.
    ASSERT_TRUE(testfx::WriteFileBytes(config + L"\\language.ini", "lang=..\\..\\..\\pwned\r\n"));
    EXPECT_EQ(ReadSavedLanguageCode(), L"");
    const std::string log = testfx::ReadFileBytes(config + L"\\perf_metrics.log");
    EXPECT_NE(log.find("i18n invalid_language_code source=language.ini code=..\\..\\..\\pwned"), std::string::npos)
        << log;

    // File names of the language folder that are no plain code add no language.
    const std::wstring lang = GetLangDir();
    ASSERT_TRUE(testfx::WriteFileBytes(lang + L"\\a b.ini", "Name=Spaced\n"));
    ASSERT_TRUE(testfx::WriteFileBytes(lang + L"\\x.y.ini", "Name=Dotted\n"));
    ASSERT_TRUE(testfx::WriteFileBytes(lang + L"\\ok_1.ini", "Name=Fine\n"));
    BuildLanguageList();
    std::vector<std::wstring> files;
    for (size_t i = 13; i < g_languageList.size(); ++i) files.push_back(g_languageList[i].code);
    EXPECT_EQ(files, std::vector<std::wstring>{L"ok_1"});

    // Nothing anywhere but in the configuration folder.
    EXPECT_EQ(testfx::FilesUnder(nested.Root(), config), std::vector<std::wstring>{});
    LoadUiLanguageTexts(L"en-us");
}

TEST_F(LanguageFilesTest, LanguageIni) {
    const std::wstring path = GetConfigDir() + L"\\language.ini";
    EXPECT_EQ(ReadSavedLanguageCode(), L"");
    ASSERT_TRUE(WriteSavedLanguageCode(L"DE"));
    EXPECT_EQ(testfx::ReadFileBytes(path), "\xEF\xBB\xBFlang=de-de\r\n");
    EXPECT_EQ(ReadSavedLanguageCode(), L"de-de");

    struct Case {
        std::string bytes;
        const wchar_t* expected;
    } cases[] = {
        {"Lang=de-de\n", L""},                          // the key is case-sensitive
        {"# x\n\n  lang =  ja-jp  \r\nlang=ko\n", L"ja-jp"},
        {"lang=\n", L""},
        {"junk\nlang=fr-fr", L"fr-fr"},
        {testfx::Utf16LeWithBom(L"lang=ru-ru\r\n"), L"ru-ru"},
        {std::string(300, 'x') + "\nlang=es-es\n", L"es-es"},
        {"\xFF\xFE\x00", L""},
        // No valid language code: absent, so start-up takes the default language.
        {"lang=\xC3\x28", L""},
        {"lang=..\\..\\..\\..\\..\\..\\pwned\r\n", L""},
        {"lang=../x\n", L""},
        {"lang=C:\\x\n", L""},
        {"lang=con\n", L""},
        {"lang=de-de.\n", L""},
        {"lang=" + std::string(33, 'a') + "\n", L""},
        {"lang=" + std::string(32, 'a') + "\n", L"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"},
        {"lang=pt_BR\n", L"pt_BR"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(testfx::WriteFileBytes(path, c.bytes));
        EXPECT_EQ(ReadSavedLanguageCode(), c.expected) << c.bytes;
    }
}

}  // namespace
