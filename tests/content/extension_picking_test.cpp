// The rules behind the extension picker: rows read back, the search text it writes, when typing
// opens it, and what a deletion leaves of the picked set.
#include <gtest/gtest.h>

#include "content/Content.h"

namespace {

using Exts = std::vector<std::wstring>;

TEST(ExtensionPicking, RowsReadBack) {
    EXPECT_EQ(NormalizeExtensionRow(L"  PDF \t"), L".pdf");
    EXPECT_EQ(NormalizeExtensionRow(L".\u00c4x"), L".\u00e4x");
    EXPECT_EQ(NormalizeExtensionRow(L" \r\n"), L"");
    EXPECT_EQ(NormalizeExtensionRows({L".txt", L"TXT", L"", L"md", L" .Md "}), (Exts{L".txt", L".md"}));
}

TEST(ExtensionPicking, SearchTextWritten) {
    struct Case {
        const wchar_t* box;
        Exts exts;
        const wchar_t* text;
        size_t caret;
    };
    const Case cases[] = {
        {L"s:report|.log", {L".txt", L".md"}, L"s:report|.txt,.md", 8},
        {L"", {L".txt", L".md"}, L"s:|.txt,.md", 2},
        {L"  S: two words  ", {L".docx"}, L"s:two words|.docx", 11},
        {L"plain name", {L".txt"}, L"s:|.txt", 2},
    };
    for (const Case& c : cases) {
        const PickedSearchText picked = BuildPickedSearchText(c.box, c.exts);
        EXPECT_EQ(picked.text, c.text) << c.box;
        EXPECT_EQ(picked.caret, c.caret) << c.box;
    }
}

TEST(ExtensionPicking, TypingOpensThePicker) {
    struct Case {
        const wchar_t* previous;
        const wchar_t* current;
        bool opens;
    };
    const Case cases[] = {
        {L"s", L"s:", true},           {L"s:", L"s:r", false},         {L"s:r", L"s:", true},
        {L"S:", L"s:", false},         {L"s:report", L"s:report|", true}, {L"s:report|", L"s:report|.", false},
        {L"s:report|.", L"s:report|", true}, {L"", L"s:x|", true},      {L"report", L"report|", false},
    };
    for (const Case& c : cases) EXPECT_EQ(ShouldOpenExtensionPicker(c.current, c.previous), c.opens) << c.current;
}

TEST(ExtensionPicking, DeletionTrimsThePickedSet) {
    EXPECT_EQ(KeepOfferedExtensions({L".log", L".PDF", L".md"}, {L".md", L".pdf"}), (Exts{L".PDF", L".md"}));
    EXPECT_TRUE(KeepOfferedExtensions({L".log"}, {L".txt"}).empty());
}

}  // namespace
