// window.ini: reading rules, the file written back, the safe rewrite and DPI round trips.
#include <gtest/gtest.h>
#include <windows.h>

#include "shell/WindowIni.h"
#include "support/fixture.h"

namespace {

WindowIniSettings Parse(std::initializer_list<const wchar_t*> lines) {
    WindowIniSettings s;
    for (const wchar_t* line : lines) ParseWindowIniLine(s, line);
    return s;
}

}  // namespace

TEST(WindowIni, AcceptedAndRejectedValues) {
    WindowIniSettings s = Parse({L"width=600", L"height=499", L"colType=120", L"col7=99",
                                 L"col5=20", L"col2 = 150 ", L"sizePreset=5", L"timePreset=4",
                                 L"sizeUnit=-1", L"viewMode=2", L"no equals sign", L"Width=900"});
    EXPECT_EQ(1100, s.width);
    EXPECT_EQ(700, s.height);
    EXPECT_EQ(72, s.colType);
    EXPECT_EQ(400, s.col5);
    EXPECT_EQ(150, s.col[2]);
    EXPECT_EQ(0, s.sizePreset);
    EXPECT_EQ(4, s.timePreset);
    EXPECT_EQ(2, s.sizeUnit);
    EXPECT_EQ(2, s.viewMode);

    s = Parse({L"width=800", L"height=500", L"colType=119", L"col5=30", L"colx=45"});
    EXPECT_EQ(800, s.width);
    EXPECT_EQ(500, s.height);
    EXPECT_EQ(119, s.colType);
    EXPECT_EQ(30, s.col5);
    EXPECT_EQ(45, s.col[0]);  // a non-numeric column index reads as 0
}

// Values no screen holds: the window stays reachable and the column widths stay summable.
TEST(WindowIni, HugeSizesAreBounded) {
    WindowIniSettings s = Parse({L"width=2147483647", L"height=2147483647", L"col0=2147483647",
                                 L"col4=99999", L"col5=2147483647"});
    EXPECT_EQ(kWindowIniMaxSide, s.width);
    EXPECT_EQ(kWindowIniMaxSide, s.height);
    EXPECT_EQ(kWindowIniMaxColumn, s.col[0]);
    EXPECT_EQ(kWindowIniMaxColumn, s.col[4]);
    EXPECT_EQ(kWindowIniMaxColumn, s.col5);
    long long sum = 0;
    for (int c : s.col) sum += WindowIniToPixels(c, 192);
    EXPECT_GT(sum, 0);
    EXPECT_LT(sum, 1 << 20);

    const RECT work{0, 0, 1024, 728};
    int width = WindowIniToPixels(s.width, 144), height = WindowIniToPixels(s.height, 144);
    ClampWindowSizeToWorkArea(&width, &height, work);
    EXPECT_EQ(1024, width);
    EXPECT_EQ(728, height);
    width = 900;
    height = 600;
    ClampWindowSizeToWorkArea(&width, &height, RECT{100, 50, 2020, 1130});
    EXPECT_EQ(900, width);  // a size that fits is kept
    EXPECT_EQ(600, height);
}

TEST(WindowIni, ThemeLayoutBooleansAndLimits) {
    struct Case { const wchar_t* line; bool dark; };
    for (Case c : {Case{L"themeMode=Dark", true}, Case{L"themeMode=1", true}, Case{L"themeMode=", true},
                   Case{L"themeMode=LIGHT", false}, Case{L"themeMode=false", false}, Case{L"themeMode=0", false}}) {
        EXPECT_EQ(c.dark, Parse({c.line}).darkTheme) << c.line;
    }
    EXPECT_FALSE(Parse({L"filterLayout=TopBar"}).filterLayoutSidebar);
    EXPECT_TRUE(Parse({L"filterLayout=side"}).filterLayoutSidebar);
    EXPECT_FALSE(Parse({L"showRecentOpens=OFF"}).showRecentOpens);
    EXPECT_TRUE(Parse({L"alwaysOnTop="}).alwaysOnTop);
    EXPECT_EQ(0, Parse({L"contentMaxFileSizeMB=-5"}).contentMaxFileSizeMB);
    EXPECT_EQ(1048576, Parse({L"contentMaxFileSizeMB=99999999"}).contentMaxFileSizeMB);
    EXPECT_EQ(64, Parse({L"contentSearchThreads=100"}).contentSearchThreads);
    std::vector<std::wstring> exts = Parse({L"contentSearchExts=TXT, .log ,,md"}).contentSearchExts;
    EXPECT_EQ((std::vector<std::wstring>{L".txt", L".log", L".md"}), exts);
}

TEST(WindowIni, WrittenFileReadsBackAndKeepsValuesOnOneLine) {
    WindowIniSettings s;
    s.width = 1234;
    s.col[1] = 333;
    s.sizeRange = L"1-100\r\nthemeMode=dark";  // pasted text with a line break
    s.darkTheme = false;
    s.filterLayoutSidebar = true;
    s.contentSearchExts = {L".txt", L".md"};
    std::wstring text = FormatWindowIni(s);
    EXPECT_EQ(0u, text.find(L"width=1234\nheight=700\ncol0=60\ncol1=333\n"));
    EXPECT_NE(std::wstring::npos, text.find(L"contentSearchExts=.txt,.md\n"));

    WindowIniSettings back;
    size_t start = 0;
    int lines = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        ParseWindowIniLine(back, text.substr(start, end - start));
        start = end + 1;
        ++lines;
    }
    EXPECT_EQ(26, lines);  // every key written once
    EXPECT_EQ(1234, back.width);
    EXPECT_EQ(333, back.col[1]);
    EXPECT_FALSE(back.darkTheme);  // the pasted line break did not become a key
    EXPECT_TRUE(back.filterLayoutSidebar);
    EXPECT_EQ(s.contentSearchExts, back.contentSearchExts);
}

TEST(WindowIni, FileIsReplacedWholeAndLongLinesAreReadWhole) {
    std::wstring dir = testfx::MakeScratchDir(L"window_ini");
    std::wstring path = dir + L"\\window.ini";
    // A line longer than any fixed buffer: its tail must not be read as a line of its own.
    std::string longExts = "\xEF\xBB\xBF" "contentSearchExts=";
    for (int i = 0; i < 200; ++i) longExts += "ext" + std::to_string(i) + ",";
    longExts += "themeMode=dark\nwidth=900\n";
    ASSERT_TRUE(testfx::WriteFileBytes(path, longExts));
    WindowIniSettings s;
    ASSERT_TRUE(ReadWindowIniFile(path, s));
    EXPECT_FALSE(s.darkTheme);
    EXPECT_EQ(201u, s.contentSearchExts.size());
    EXPECT_EQ(L".thememode=dark", s.contentSearchExts.back());
    EXPECT_EQ(900, s.width);

    s.width = 1500;
    ASSERT_TRUE(WriteWindowIniFile(path, s));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((path + L".tmp").c_str()));
    WindowIniSettings again;
    ASSERT_TRUE(ReadWindowIniFile(path, again));
    EXPECT_EQ(1500, again.width);
    EXPECT_EQ(s.contentSearchExts, again.contentSearchExts);
    std::string bytes = testfx::ReadFileBytes(path);
    EXPECT_EQ(0u, bytes.find("\xEF\xBB\xBF" "width=1500\r\n"));

    // When the new file cannot be made, the old one stays as it was.
    HANDLE blocker = CreateFileW((path + L".tmp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, blocker);
    s.width = 1600;
    EXPECT_FALSE(WriteWindowIniFile(path, s));
    CloseHandle(blocker);
    EXPECT_EQ(bytes, testfx::ReadFileBytes(path));
}

TEST(WindowIni, DamagedFilesNeverBreakReading) {
    std::wstring dir = testfx::MakeScratchDir(L"window_ini_bad");
    std::wstring path = dir + L"\\window.ini";
    std::string junk = "col4=45\n\n=\n==\nheight=99999999999999999999\nwidth=";
    junk += std::string("\xFF\xFE\0\x01", 4);
    junk += "garbage\n";
    junk += std::string(300000, 'x');  // one huge line without an end
    ASSERT_TRUE(testfx::WriteFileBytes(path, junk));
    WindowIniSettings s;
    EXPECT_TRUE(ReadWindowIniFile(path, s));
    EXPECT_EQ(1100, s.width);
    EXPECT_EQ(45, s.col[4]);
    WindowIniSettings missing;
    EXPECT_FALSE(ReadWindowIniFile(dir + L"\\absent.ini", missing));
    EXPECT_EQ(1100, missing.width);
}

TEST(WindowIni, SizesDoNotDriftBetweenRuns) {
    for (UINT dpi : {72u, 96u, 120u, 144u, 168u}) {
        for (int stored : {800, 1100, 282, 283, 61, 399}) {
            int value = stored;
            for (int run = 0; run < 5; ++run) {
                int pixels = WindowIniToPixels(value, dpi);
                value = WindowIniFromPixels(pixels, value, dpi);
            }
            EXPECT_EQ(stored, value) << "dpi " << dpi;
        }
    }
    // A size the user changed is converted from pixels.
    EXPECT_EQ(1100, WindowIniFromPixels(1650, 1000, 144));
    EXPECT_EQ(100, WindowIniFromPixels(75, 282, 72));
}
