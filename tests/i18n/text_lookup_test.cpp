#include <gtest/gtest.h>

#include "i18n/I18n.h"
#include "language_state.h"

namespace {

using LookupTest = LanguageStateTest;

TEST_F(LookupTest, ActiveTableThenEnglishThenChineseThenDefault) {
    g_activeTextTable = GetBuiltinTextTable(L"en-us");
    g_languageIsChinese = false;
    const std::wstring admin = Tr(L"Msg_AdminRequired", L"需要管理员", L"Run as administrator required.");
    EXPECT_NE(admin.find(L"USN journal"), std::wstring::npos);

    g_activeTextTable.clear();
    g_activeTextTable[L"Other"] = L"x";
    EXPECT_EQ(Tr(L"Msg_AdminRequired", L"zh", L"en"), admin);
    EXPECT_EQ(Tr(L"Dup_Scanning", L"扫描中", L"scanning"), L"Scanning...");

    // Only the Chinese tables have this key: their text wins over the caller's English default.
    EXPECT_EQ(Tr(L"Mode_Search", L"搜索", L"Search"), L"搜索");
    // The caption of an unlabeled drive has an English text, so an English UI never shows Chinese.
    EXPECT_EQ(Tr(L"Drive_LocalDiskOnly", L"本地磁盘", L"Local Disk"), L"Local Disk");
    g_activeTextTable = GetBuiltinTextTable(L"de-de");
    EXPECT_EQ(Tr(L"Drive_LocalDiskOnly", L"本地磁盘", L"Local Disk"), L"Lokaler Datenträger");
    g_activeTextTable = GetBuiltinTextTable(L"zh-tw");
    EXPECT_EQ(Tr(L"Title_SearchFinalFmt", L"", L""), L"塔恩维克 - 共命中 %lld 个");
    g_activeTextTable.clear();

    EXPECT_EQ(Tr(L"No_Such_Key_ForTest", L"中文", L"English"), L"English");
    g_languageIsChinese = true;
    EXPECT_EQ(Tr(L"No_Such_Key_ForTest", L"中文", L"English"), L"中文");
    EXPECT_EQ(Tr(L"", L"中文", L"English"), L"中文");
    EXPECT_EQ(TrW(nullptr, nullptr, nullptr), Tr(L"", L"", L""));
    EXPECT_EQ(TrW(L"No_Such_Key_ForTest", L"中文", nullptr), L"中文");
}

TEST_F(LookupTest, AliasesAndTextEqualToKey) {
    g_activeTextTable.clear();
    g_languageIsChinese = false;
    EXPECT_EQ(Tr(L"dialog.title.error", L"错误", L"Err"), Tr(L"MsgTitle_Error", L"错误", L"Err"));
    EXPECT_EQ(Tr(L"app.name", L"", L""), GetBuiltinTextTable(L"en-us").at(L"App_Name"));
    g_activeTextTable[L"Menu_Open"] = L"Menu_Open";  // a text equal to its own key counts as missing
    EXPECT_EQ(Tr(L"Menu_Open", L"打开", L"Open!"), L"Open!");
    g_activeTextTable[L"Menu_Open"] = L"";
    EXPECT_EQ(Tr(L"Menu_Open", L"打开", L"Open!"), L"Open!");
}

TEST(LanguageCodes, Normalize) {
    EXPECT_EQ(NormalizeLanguageCode(L"  ZH \t"), L"zh-cn");
    EXPECT_EQ(NormalizeLanguageCode(L"zh-TW"), L"zh-tw");
    EXPECT_EQ(NormalizeLanguageCode(L"pt"), L"pt");
    EXPECT_EQ(NormalizeLanguageCode(L"it"), L"it");
    EXPECT_EQ(NormalizeLanguageCode(L"NO"), L"no-no");
    EXPECT_EQ(NormalizeLanguageCode(L""), L"");
    EXPECT_EQ(&GetBuiltinTextTable(L"de"), &GetBuiltinTextTable(L"de-de"));
    EXPECT_EQ(&GetBuiltinTextTable(L"xx"), &GetBuiltinTextTable(L"en-us"));
}

TEST(TableTextFormat, MicrosoftConventionForWideStrings) {
    // "%s" is a wide string in table texts; size_t and 64-bit conversions work everywhere.
    EXPECT_EQ(FormatTableText(L"Analysis done: %s (%zu items)", L"C: Ü中", size_t(42)),
              L"Analysis done: C: Ü中 (42 items)");
    EXPECT_EQ(FormatTableText(L"%lld+ / %llu / %lu / %d / %.1f%%", -5LL, 18446744073709551615ULL,
                              4294967295UL, -7, 2.0),
              L"-5+ / 18446744073709551615 / 4294967295 / -7 / 2.0%");
    std::wstring big(5000, L'x');
    EXPECT_EQ(FormatTableText(L"[%s]", big.c_str()), L"[" + big + L"]");
    EXPECT_EQ(FormatTableText(nullptr), L"");
}

}  // namespace
