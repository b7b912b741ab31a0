#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Core.h"
#include "support/fixture.h"

namespace {

std::vector<std::wstring> Lines(const std::wstring& path, size_t maxLine = size_t(1) << 20) {
    std::vector<std::wstring> out;
    EXPECT_TRUE(ReadTextLines(path, [&](const std::wstring& l) { out.push_back(l); }, maxLine));
    return out;
}

TEST(CoreTextLines, SplitKeyValue) {
    std::wstring key, value;
    EXPECT_TRUE(SplitKeyValue(L"  width = 1200 \r\n", key, value));
    EXPECT_EQ(key, L"width");
    EXPECT_EQ(value, L"1200");
    EXPECT_TRUE(SplitKeyValue(L"a=b=c", key, value));
    EXPECT_EQ(key, L"a");
    EXPECT_EQ(value, L"b=c");
    EXPECT_TRUE(SplitKeyValue(L"=", key, value));
    EXPECT_EQ(key, L"");
    EXPECT_FALSE(SplitKeyValue(L"no separator", key, value));
}

TEST(CoreTextLines, WholeLinesFromDamagedFiles) {
    const std::wstring dir = testfx::MakeScratchDir(L"core-textlines");
    const std::wstring path = dir + L"\\t.ini";
    const std::string longLine(20000, 'x');
    struct Case {
        std::string bytes;
        std::vector<std::wstring> lines;
    } cases[] = {
        {"", {}},
        {"\xEF\xBB\xBFkey=1\r\nsecond\n", {L"key=1", L"second"}},
        {"no final line end", {L"no final line end"}},
        {"a\n\nb\n", {L"a", L"", L"b"}},
        {std::string("nul\0inside\n", 11), {L"nulinside"}},
        {"\xE4\xB8\xAD\xE6\x96\x87=1\n", {L"\u4E2D\u6587=1"}},
        // A line longer than the limit is dropped whole, not read as several lines.
        {"before\n" + longLine + "=x\nafter\n", {L"before", L"after"}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(testfx::WriteFileBytes(path, c.bytes));
        EXPECT_EQ(Lines(path, 10000), c.lines) << c.bytes.substr(0, 40);
    }
    // A long line within the limit arrives whole across the reader's buffers.
    ASSERT_TRUE(testfx::WriteFileBytes(path, longLine + "\nend"));
    const auto lines = Lines(path);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), longLine.size());
    EXPECT_FALSE(ReadTextLines(dir + L"\\missing.ini", [](const std::wstring&) {}));
}

}  // namespace
