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

std::wstring Ansi(const char* s) {
    wchar_t out[64] = {};
    MultiByteToWideChar(CP_ACP, 0, s, -1, out, 63);
    return out;
}

// Bytes that are not UTF-8 (a file saved by a legacy editor, or damaged) never end the reading:
// every line after them still arrives, and the shape tells a line cut short.
TEST(CoreTextLines, BytesThatAreNotUtf8AndCutFiles) {
    const std::wstring dir = testfx::MakeScratchDir(L"core-textlines-bytes");
    const std::wstring path = dir + L"\\t.ini";
    struct Case {
        std::string bytes;
        std::vector<std::wstring> lines;
        bool lastLineEnded;
        bool invalid;
    } cases[] = {
        // Without a byte-order mark: the ANSI code page of a legacy editor.
        {"width=1200\ncaf\xE9=1\nheight=800\n", {L"width=1200", Ansi("caf\xE9=1"), L"height=800"}, true, true},
        // With the mark: the bad byte reads as U+FFFD, the lines after it still come.
        {"\xEF\xBB\xBF" "a=1\nb\xFF\xC3=2\nc=3\n", {L"a=1", L"b\uFFFD\uFFFD=2", L"c=3"}, true, true},
        {"\xEF\xBB\xBF" "a=1\n\xED\xA0\x80\nz=9\n", {L"a=1", L"\uFFFD\uFFFD\uFFFD", L"z=9"}, true, true},
        // UTF-16LE with its mark.
        {std::string("\xFF\xFE" "k\0=\0" "1\0\r\0\n\0" "\x2D\x4E\n\0", 16), {L"k=1", L"\u4E2D"}, true, false},
        // Cut in the middle of a line: the part arrives, the shape says so.
        {"a=1\r\nDocs=.doc,.p", {L"a=1", L"Docs=.doc,.p"}, false, false},
        {"a=1\r\nb=2\r\n", {L"a=1", L"b=2"}, true, false},
        {"\xF0\x9F\x98\x80\n", {L"\U0001F600"}, true, false},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(testfx::WriteFileBytes(path, c.bytes));
        std::vector<std::wstring> out;
        TextLinesShape shape;
        EXPECT_TRUE(ReadTextLines(path, [&](const std::wstring& l) { out.push_back(l); }, 1000, 1 << 20, &shape));
        EXPECT_EQ(out, c.lines) << c.bytes.substr(0, 40);
        EXPECT_EQ(shape.lastLineEnded, c.lastLineEnded) << c.bytes.substr(0, 40);
        EXPECT_EQ(shape.invalidBytes, c.invalid) << c.bytes.substr(0, 40);
        EXPECT_FALSE(shape.cutAtLimit);
    }
    // The character limit: the line it cuts is not handed out and the shape says so.
    ASSERT_TRUE(testfx::WriteFileBytes(path, "one\ntwo\nthree\n"));
    std::vector<std::wstring> out;
    TextLinesShape shape;
    EXPECT_TRUE(ReadTextLines(path, [&](const std::wstring& l) { out.push_back(l); }, 1000, 10, &shape));
    EXPECT_EQ(out, (std::vector<std::wstring>{L"one", L"two"}));
    EXPECT_TRUE(shape.cutAtLimit);
    EXPECT_FALSE(shape.Complete());
    // A folder is no file.
    EXPECT_FALSE(ReadTextLines(dir, [](const std::wstring&) {}));
}

// What the shape calls text: the readers of files that must not be taken from binary junk (the
// filter categories) refuse the rest.
TEST(CoreTextLines, ShapeTellsWhatIsNotText) {
    const std::wstring path = testfx::MakeScratchDir(L"core-textlines-text") + L"\\t.ini";
    const std::pair<std::string, bool> cases[] = {
        {"a=1\r\nb=2\n", true},
        {"a=1\tx\r\r\nlast\r", true},
        {"\xEF\xBB\xBF\xE4\xB8\xAD=1\n", true},
        {std::string("\xFF\xFE" "\x3D\xD8\x00\xDE" "\n\0", 8), true},  // a surrogate pair
        {"a\rb=1\n", false},                                           // a CR inside a line
        {"a\x01=1\n", false},
        {std::string("a\0b=1\n", 6), false},
        {"a\x7F\n", false},
        {"\xC2\x85=1\n", false},                                       // a C1 control
        {"caf\xE9=1\n", false},                                         // not UTF-8
        {std::string("\xFF\xFE" "\x00\xD8" "A\0", 6), false},             // a lone high surrogate
        {std::string("\xFF\xFE" "\x00\xDC" "A\0", 6), false},             // a lone low surrogate
        {std::string("\xFF\xFE" "\xFE\xFF", 4), false},                    // U+FFFE
        {std::string("\xFF\xFE" "A\0B", 5), false},                         // an odd length
    };
    for (const auto& [bytes, text] : cases) {
        ASSERT_TRUE(testfx::WriteFileBytes(path, bytes));
        TextLinesShape shape;
        EXPECT_TRUE(ReadTextLines(path, [](const std::wstring&) {}, 1000, 1 << 20, &shape));
        EXPECT_EQ(shape.IsText(), text) << testing::PrintToString(bytes);
    }
}

}  // namespace

namespace {

// A settings file that cannot be written (a folder in its place): the save says so, the old
// file is untouched, and the user is told once per run, not at every save.
TEST(CoreTextLines, SettingsThatCannotBeWrittenAreToldOnce) {
    const std::wstring dir = testfx::MakeScratchDir(L"core-settings-unwritable");
    const std::wstring blocked = dir + L"\\window.ini";
    ASSERT_TRUE(CreateDirectoryW(blocked.c_str(), nullptr));
    EXPECT_FALSE(WriteTextFileReplacing(blocked, L"width=900\n"));
    EXPECT_TRUE(GetFileAttributesW(blocked.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesW((blocked + L".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(WriteTextFileReplacing(dir + L"\\no\\such\\folder.ini", L"x=1\n"));
    std::wstring path;
    ASSERT_TRUE(TakeSettingsNotSavedNotice(&path));
    EXPECT_EQ(path, blocked);  // the first failure is the one named
    EXPECT_FALSE(TakeSettingsNotSavedNotice(&path));
    EXPECT_FALSE(WriteTextFileReplacing(blocked, L"width=901\n"));
    EXPECT_FALSE(TakeSettingsNotSavedNotice(&path));  // told already
}

}  // namespace
