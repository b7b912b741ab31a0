// The query language: term groups, connectors, quotes, escapes, folder scopes, content queries
// and the text helpers.
#include <gtest/gtest.h>

#include "content/Content.h"
#include "core/Core.h"
#include "support/fixture.h"
#include "search/Search.h"

namespace {

using G = TermGroups;

struct GroupCase {
    std::wstring text;
    G groups;
};

TEST(QueryParser, TermGroupsAfterPreparation) {
    const GroupCase cases[] = {
        {L"Report", {{L"report"}}},
        {L"Annual Report", {{L"annual report"}}},
        {L"foo and bar", {{L"foo", L"bar"}}},
        {L"foo AND bar", {{L"foo", L"bar"}}},
        {L"foo or bar", {{L"foo"}, {L"bar"}}},
        {L"a and b or c", {{L"a", L"b"}, {L"c"}}},
        {L"a or b and c", {{L"a"}, {L"b", L"c"}}},
        {L"\"foo and bar\"", {{L"foo and bar"}}},
        {L"foo\\ and bar", {{L"foo and bar"}}},
        {L"a\\\"b", {{L"a\"b"}}},
        {L"a  or  b", {{L"a"}, {L"b"}}},
        {L"a or or b", {{L"a"}, {L"or b"}}},
        {L"a and", {{L"a and"}}},
        {L"or b", {{L"or b"}}},
        {L"foo\tand\tbar", {{L"foo", L"bar"}}},
        {L"foo and\tbar Or BAZ", {{L"foo", L"bar"}, {L"baz"}}},
        {L"\"\"", {}},
        {L"\\", {}},
        {L"", {}},
        {L"  and  ", {}},
        {L"\"a or\" or b", {{L"a or"}, {L"b"}}},
        {L"\"unterminated and x", {{L"unterminated and x"}}},
        {L"ÄBC and Straße", {{L"Äbc", L"straße"}}},  // only ASCII letters fold
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PrepareNameTermGroups(ParseTermGroups(c.text)), c.groups) << "query: " << testing::PrintToString(c.text);
    }
}

TEST(QueryParser, ParseKeepsCase) {
    EXPECT_EQ(ParseTermGroups(L"Foo AND Bar"), (G{{L"Foo", L"Bar"}}));
}

struct ScopeCase {
    std::wstring text;
    bool hasScope;
    std::wstring folder;
    G groups;  // of the rest (with a scope) or of the whole text (without)
};

TEST(QueryParser, FolderScopes) {
    const ScopeCase cases[] = {
        {L"C:\\Windows and notepad", true, L"C:\\Windows", {{L"notepad"}}},
        {L"c:/windows/", true, L"c:\\windows", {}},
        {L"C:\\", true, L"C:", {}},
        {L"\"C:\\Program Files\" and readme", true, L"C:\\Program Files", {{L"readme"}}},
        {L"'C:\\Program Files' or readme", true, L"C:\\Program Files", {{L"readme"}}},
        {L"C:\\Program Files readme", true, L"C:\\Program Files readme", {}},
        {L"\" C:\\x \" and y", false, L"", {{L"c:x", L"y"}}},
        {L"D: and x", false, L"", {{L"d:", L"x"}}},
        {L"x and C:\\foo", false, L"", {{L"x", L"c:foo"}}},
        {L"'C:\\a and b' and x", false, L"", {{L"'c:a", L"b'", L"x"}}},
        {L"s:C:\\x", false, L"", {{L"s:c:x"}}},
        {L"1:\\x", false, L"", {{L"1:x"}}},
    };
    for (const auto& c : cases) {
        std::wstring folder = L"unchanged", rest = L"junk";
        bool has = SplitFolderScope(c.text, folder, rest);
        ASSERT_EQ(has, c.hasScope) << testing::PrintToString(c.text);
        if (has) {
            EXPECT_EQ(folder, c.folder) << testing::PrintToString(c.text);
            EXPECT_EQ(PrepareNameTermGroups(ParseTermGroups(rest)), c.groups) << testing::PrintToString(c.text);
        } else {
            EXPECT_TRUE(rest.empty());
            EXPECT_EQ(PrepareNameTermGroups(ParseTermGroups(c.text)), c.groups) << testing::PrintToString(c.text);
        }
    }
}

TEST(QueryParser, ScopeHelpers) {
    EXPECT_EQ(FindFirstBooleanConnector(L""), -1);
    EXPECT_EQ(FindFirstBooleanConnector(L"a and b"), 1);
    EXPECT_EQ(FindFirstBooleanConnector(L"\"a and b\" or c"), 9);
    EXPECT_EQ(FindFirstBooleanConnector(L"a\\ and b"), 2);  // no escapes here
    EXPECT_EQ(FindFirstBooleanConnector(L"band"), -1);
    EXPECT_TRUE(IsAbsoluteFolderToken(L" \"c:/x\" "));
    EXPECT_FALSE(IsAbsoluteFolderToken(L"C:"));
    EXPECT_FALSE(IsAbsoluteFolderToken(L"\\\\server\\share"));
    EXPECT_EQ(NormalizeScopeFolder(L"  D:\\data\\\\//  "), L"D:\\data");
    EXPECT_EQ(NormalizeScopeFolder(L"d:/"), L"d:");
    EXPECT_EQ(NormalizeScopeFolder(L"\"E:\\\""), L"E:");
}

TEST(QueryParser, ContentQueries) {
    SetConfigDirOverride(testfx::MakeScratchDir(L"parser_cfg"));  // the extension offer file goes there
    SetContentSearchExts({});
    ContentQuery q = ParseContentQuery(L"s: Budget 2024 | TXT, .Log ,,md");
    EXPECT_TRUE(q.isContent);
    EXPECT_EQ(q.termGroups, (G{{L"Budget 2024"}}));
    EXPECT_EQ(q.exts, (std::vector<std::wstring>{L".txt", L".log", L".md"}));

    q = ParseContentQuery(L"s:foo|");
    EXPECT_TRUE(q.isContent);
    EXPECT_TRUE(q.exts.empty());

    q = ParseContentQuery(L"s:a and B or c|txt");
    EXPECT_EQ(q.termGroups, (G{{L"a", L"B"}, {L"c"}}));

    for (const wchar_t* notContent : {L"s:", L"s:   ", L"s:|txt", L"S:budget", L" s:budget", L"budget", L"s"}) {
        EXPECT_FALSE(ParseContentQuery(notContent).isContent) << testing::PrintToString(std::wstring(notContent));
    }
    EXPECT_TRUE(HasContentSearchPrefix(L"  S:budget"));
    EXPECT_TRUE(HasContentSearchPrefix(L"s:"));
    EXPECT_FALSE(HasContentSearchPrefix(L"x:s"));
    SetConfigDirOverride(L"");
}

TEST(QueryParser, NameMatching) {
    const std::wstring name = L"annual report 2024.docx";
    auto match = [&](const G& g) { return NameMatchesTermGroups(g, name.c_str(), name.size()); };
    EXPECT_TRUE(match({}));
    EXPECT_TRUE(match({{L"report", L"2024"}}));
    EXPECT_FALSE(match({{L"report", L"2023"}}));
    EXPECT_TRUE(match({{L"report", L"2023"}, {L"docx"}}));
    EXPECT_FALSE(match({{L"annual report 2024.docx!"}}));
    EXPECT_FALSE(NameMatchesTermGroups({}, nullptr, 0));
    // Only the first `length` characters count.
    EXPECT_FALSE(NameMatchesTermGroups({{L"docx"}}, name.c_str(), 10));
}

TEST(QueryParser, PinyinInitials) {
    const std::wstring beijing = L"北京地图.png";
    auto py = [](const std::wstring& n, const std::wstring& t) {
        return MatchPinyinInitials(n.c_str(), static_cast<uint16_t>(n.size()), t);
    };
    EXPECT_TRUE(py(beijing, L"bj"));
    EXPECT_TRUE(py(beijing, L"jdt"));
    EXPECT_TRUE(py(beijing, L"bjdt"));
    EXPECT_FALSE(py(beijing, L"bjx"));
    EXPECT_FALSE(py(beijing, L"png"));  // cut at the first '.'
    EXPECT_FALSE(py(L"Beijing.txt", L"bj"));
    EXPECT_TRUE(py(L"2024北京.doc", L"2024bj"));
    EXPECT_TRUE(py(L"报告.2024.docx", L"bg"));
    EXPECT_FALSE(py(L"报告.2024.docx", L"bg2"));
    EXPECT_FALSE(py(L".北京", L"bj"));
    // 塌 (0xCBFA) is the first "t" character; 所 (0xCBF9) is still "s".
    EXPECT_TRUE(py(L"塌", L"t") || py(L"塌x", L"tx"));
    EXPECT_TRUE(py(L"塌方x", L"tfx"));
    EXPECT_TRUE(py(L"所以x", L"syx"));
    EXPECT_EQ(PinyinInitialOfGbCode(0xCBFA), 't');
    EXPECT_EQ(PinyinInitialOfGbCode(0xCBF9), 's');
    EXPECT_EQ(PinyinInitialOfGbCode(0xB0A1), 'a');
    EXPECT_EQ(PinyinInitialOfGbCode(0xD7F9), 'z');
    EXPECT_EQ(PinyinInitialOfGbCode(0xD8A1), 0);
    EXPECT_EQ(PinyinInitialOfGbCode(0x4141), 0);
}

TEST(QueryParser, TokenClassifiers) {
    EXPECT_FALSE(IsAsciiLowerAlnumToken(L"a"));
    EXPECT_TRUE(IsAsciiLowerAlnumToken(L"ab12"));
    EXPECT_FALSE(IsAsciiLowerAlnumToken(std::wstring(33, L'a')));
    EXPECT_TRUE(IsAsciiLowerAlnumToken(std::wstring(32, L'a')));
    EXPECT_FALSE(IsAsciiLowerAlnumToken(L"AB"));
    EXPECT_TRUE(IsSingleCjkChar(L" 中 "));
    EXPECT_FALSE(IsSingleCjkChar(L"中文"));
    EXPECT_FALSE(IsSingleCjkChar(L"a"));
}

TEST(QueryParser, TextHelpers) {
    EXPECT_EQ(NormalizePathKey(L"C:/Users/A"), L"c:\\users\\a");
    EXPECT_EQ(NormalizePathKey(L"C:/ÄÖ"), L"c:\\ÄÖ");
    EXPECT_EQ(ToLowerMove(L"MiXeD É"), L"mixed É");
    EXPECT_EQ(Fnv1aHash32(L""), 0x811C9DC5u);
    // FNV-1a of "a" over one 16-bit unit: (0x811C9DC5 ^ 0x61) * 0x01000193 mod 2^32.
    EXPECT_EQ(Fnv1aHash32(L"a"), static_cast<uint32_t>((0x811C9DC5u ^ 0x61u) * 0x01000193ull));
    EXPECT_NE(Fnv1aHash32(L"1-100"), Fnv1aHash32(L"1-101"));

    SYSTEMTIME st{};
    ASSERT_TRUE(ParseYyyymmdd(20240229, st));
    EXPECT_EQ(st.wYear, 2024);
    EXPECT_EQ(st.wMonth, 2);
    EXPECT_EQ(st.wDay, 29);
    EXPECT_TRUE(ParseYyyymmdd(20240231, st));
    EXPECT_EQ(st.wDay, 31);
    EXPECT_FALSE(ParseYyyymmdd(19691231, st));
    EXPECT_FALSE(ParseYyyymmdd(20241301, st));
    EXPECT_FALSE(ParseYyyymmdd(0, st));
    EXPECT_FALSE(ParseYyyymmdd(2147483647, st));  // year beyond what SYSTEMTIME holds

    SYSTEMTIME a{}, b{};
    a.wYear = 2024, a.wMonth = 5, a.wDay = 1, a.wHour = 23;
    b.wYear = 2024, b.wMonth = 5, b.wDay = 1;
    EXPECT_EQ(CompareYmd(a, b), 0);
    b.wDay = 2;
    EXPECT_EQ(CompareYmd(a, b), -1);
    EXPECT_EQ(CompareYmd(b, a), 1);
}

}  // namespace
