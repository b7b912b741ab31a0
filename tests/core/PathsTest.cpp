#include <windows.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Core.h"
#include "support/fixture.h"

namespace {

bool DirExists(const std::wstring& p) {
    DWORD a = GetFileAttributesW(p.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(CorePaths, ConfigDirIsDocumentsFolderAndIsRecreated) {
    wchar_t docs[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, docs)));
    std::wstring expected = std::wstring(docs) + L"\\Tarnwick\\config";
    EXPECT_EQ(GetConfigDir(), expected);
    EXPECT_TRUE(DirExists(expected));
    // Deleted since the last call: the next call creates both levels again.
    std::wstring lang = expected + L"\\lang";
    testfx::RemoveTree(expected);  // other tests may have left files there
    RemoveDirectoryW(expected.c_str());
    ASSERT_FALSE(DirExists(expected));
    EXPECT_EQ(GetConfigDir(), expected);
    EXPECT_TRUE(DirExists(std::wstring(docs) + L"\\Tarnwick"));
    EXPECT_TRUE(DirExists(expected));
    EXPECT_EQ(GetLangDir(), expected + L"\\lang");
    EXPECT_TRUE(DirExists(lang));
}

std::vector<std::wstring> g_created;
void RecordCreate(const std::wstring& d) { g_created.push_back(d); }
HRESULT NoShellFolder(int, wchar_t*) { return E_FAIL; }
HRESULT OnlyLocalAppData(int csidl, wchar_t* buf) {
    if (csidl != CSIDL_LOCAL_APPDATA) return E_FAIL;
    wcscpy(buf, L"C:\\Users\\u\\AppData\\Local");
    return S_OK;
}
DWORD NoTemp(DWORD, wchar_t*) { return 0; }
DWORD LongTemp(DWORD, wchar_t*) { return MAX_PATH; }  // length not below the buffer: refused
DWORD GoodTemp(DWORD, wchar_t* buf) {
    wcscpy(buf, L"C:\\Temp\\");
    return 8;
}

TEST(CorePaths, ConfigDirFallbacks) {
    g_created.clear();
    EXPECT_EQ(core_detail::ChooseConfigDir(&OnlyLocalAppData, &NoTemp, &RecordCreate),
              L"C:\\Users\\u\\AppData\\Local\\Tarnwick\\config");
    EXPECT_EQ(g_created, (std::vector<std::wstring>{L"C:\\Users\\u\\AppData\\Local\\Tarnwick",
                                                    L"C:\\Users\\u\\AppData\\Local\\Tarnwick\\config"}));
    g_created.clear();
    EXPECT_EQ(core_detail::ChooseConfigDir(&NoShellFolder, &GoodTemp, &RecordCreate), L"C:\\Temp\\Tarnwick\\config");
    EXPECT_EQ(g_created, (std::vector<std::wstring>{L"C:\\Temp\\Tarnwick", L"C:\\Temp\\Tarnwick\\config"}));
    for (auto temp : {&NoTemp, &LongTemp}) {
        g_created.clear();
        EXPECT_EQ(core_detail::ChooseConfigDir(&NoShellFolder, temp, &RecordCreate), L"C:\\Tarnwick\\config");
        EXPECT_TRUE(g_created.empty());
    }
}

TEST(CorePaths, ConfigDirOverride) {
    std::wstring scratch = testfx::MakeScratchDir(L"core-override");
    SetConfigDirOverride(scratch + L"\\cfg\\");
    EXPECT_EQ(GetConfigDir(), scratch + L"\\cfg");
    EXPECT_TRUE(DirExists(scratch + L"\\cfg"));
    SetConfigDirOverride(L"");
    EXPECT_NE(GetConfigDir(), scratch + L"\\cfg");
}

TEST(CorePaths, DesktopDir) {
    wchar_t desk[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desk)));
    EXPECT_EQ(GetDesktopDir(), desk);
}

TEST(CorePaths, NormalizePath) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:/Temp/", L"C:\\Temp"}, {L"C:\\", L"C:"},     {L"C:\\\\\\", L"C:"},    {L"C:", L"C:"},
        {L"", L""},                 {L"ab\\", L"ab\\"},   {L"\\\\", L"\\\\"},      {L"D:\\a\\b\\\\", L"D:\\a\\b"},
        {L"x:/", L"x:"},
    };
    for (auto& [in, out] : cases) EXPECT_EQ(NormalizePath(in), out) << in;
}

TEST(CorePaths, IsPathUnderBase) {
    struct Case {
        const wchar_t* path;
        const wchar_t* base;
        bool under;
    };
    const Case cases[] = {
        {L"C:\\Data\\a.txt", L"c:\\data\\", true}, {L"C:\\Database", L"C:\\Data", false},
        {L"C:\\Data", L"C:\\Data", true},          {L"D:\\x", L"D:\\", true},
        {L"D:\\x", L"D:", true},                   {L"", L"C:\\", false},
        {L"C:\\x", L"", false},                    {L"C:/Data/x", L"C:\\DATA", true},
        {L"C:\\Data", L"C:\\Data\\sub", false},    {L"C:\\\u00C4\\x", L"C:\\\u00E4", false},
    };
    for (auto& c : cases) EXPECT_EQ(IsPathUnderBase(c.path, c.base), c.under) << c.path << L" | " << c.base;
}

// Names built from what a file says: only a plain name is joined to its folder; anything that
// would reach another folder, a drive, a stream or a device gives no path at all.
TEST(CorePaths, PathInFolderRefusesNamesThatLeaveTheFolder) {
    const std::wstring folder = L"C:\\cfg\\lang";
    const wchar_t* const plain[] = {L"de-de.ini", L"filters.en_us.ini", L"a", L".hidden", L"x..y",
                                    L"com10.ini", L"console.ini", L"nul-x.ini", L" lead.ini",
                                    L"\u4E2D\u6587.ini"};
    for (const wchar_t* name : plain) {
        EXPECT_TRUE(IsPlainFileName(name)) << name;
        EXPECT_EQ(PathInFolder(folder, name), folder + L"\\" + name) << name;
    }
    const std::wstring refused[] = {
        L"", L".", L"..", L"..\\..\\pwned.ini", L"../pwned.ini", L"sub\\x.ini", L"sub/x.ini",
        L"C:\\pwned.ini", L"C:pwned.ini", L"\\\\server\\share", L"de.ini:stream", L"de.ini::$DATA",
        L"trail.", L"trail.ini.", L"trail ", L"...", L"CON", L"con.ini", L"Nul.tar.gz", L"aux .ini",
        L"COM1.ini", L"lpt9", L"COM\u00B9.ini", L"conin$.ini", L"CONOUT$", L"a*b", L"a?b", L"a\"b",
        L"a<b", L"a>b", L"a|b", L"tab\tname", L"line\nname", std::wstring(L"nul\0x", 5),
        std::wstring(256, L'a'),
    };
    for (const std::wstring& name : refused) {
        EXPECT_FALSE(IsPlainFileName(name)) << name;
        EXPECT_EQ(PathInFolder(folder, name), L"") << name;
    }
    EXPECT_TRUE(IsPlainFileName(std::wstring(255, L'a')));
    EXPECT_EQ(PathInFolder(L"", L"x.ini"), L"");
}

TEST(CorePaths, FullLocalPathStaysOnItsDrive) {
    struct Case {
        const wchar_t* path;
        wchar_t drive;
        bool ok;
    };
    const Case cases[] = {
        {L"D:\\a\\b.txt", L'D', true},      {L"d:\\a\\b.txt", L'D', true},
        {L"D:\\a\\b.txt", L'*', true},      {L"E:\\a.txt", L'D', false},
        {L"D:\\name. \\con", L'D', true},   // names as a drive may hold them
        {L"D:\\a\\..\\..\\x", L'D', false}, {L"D:\\.\\x", L'D', false},
        {L"D:\\a\\\\x", L'D', false},       {L"D:\\a\\", L'D', false},
        {L"D:\\a:ads", L'D', false},        {L"D:\\a/b", L'D', false},
        {L"D:a.txt", L'D', false},          {L"\\\\?\\D:\\a", L'D', false},
        {L"\\\\srv\\share\\a", L'*', false}, {L"D:\\", L'D', false},
        {L"D:\\a\tb", L'D', false},        {L"1:\\a", L'*', false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsFullLocalPath(c.path, c.drive), c.ok) << c.path;
}

TEST(CorePaths, DriveRootOfAndLetters) {
    EXPECT_EQ(DriveRootOf(L"d:\\music"), L"D:");
    EXPECT_EQ(DriveRootOf(L"\\\\?\\C:\\x"), L"C:");
    EXPECT_EQ(DriveRootOf(L"name.txt"), L"name.txt");
    EXPECT_EQ(DriveRootOf(L"C"), L"C");
    EXPECT_EQ(DriveRootOf(L""), L"");
    EXPECT_EQ(DriveRootOf(L":x"), L":x");
    EXPECT_EQ(DriveRootOf(L"a:b:c"), L"B:");  // the last letter-colon pair wins
    EXPECT_EQ(DriveRootOf(L"1:\\x"), L"1:\\x");
    EXPECT_TRUE(IsAsciiLetter(L'a'));
    EXPECT_TRUE(IsAsciiLetter(L'Z'));
    EXPECT_FALSE(IsAsciiLetter(L'@'));
    EXPECT_FALSE(IsAsciiLetter(L'['));
    EXPECT_FALSE(IsAsciiLetter(L'\u00E9'));
}

TEST(CorePaths, TrimAndQuotes) {
    const std::pair<const wchar_t*, const wchar_t*> trims[] = {
        {L"  a b \t\r\n", L"a b"}, {L" \t\r\n ", L""}, {L"", L""}, {L"x", L"x"}, {L"\u3000x", L"\u3000x"},
    };
    for (auto& [in, out] : trims) {
        std::wstring s = in;
        TrimWhitespace(s);
        EXPECT_EQ(s, out);
    }
    const std::pair<const wchar_t*, const wchar_t*> quotes[] = {
        {L"\"abc\"", L"abc"}, {L"'abc'", L"abc"}, {L"\"abc'", L"\"abc'"}, {L"''", L""},
        {L"\"", L"\""},       {L"\"\"x\"\"", L"\"x\""}, {L"abc", L"abc"},
    };
    for (auto& [in, out] : quotes) {
        std::wstring s = in;
        StripEnclosingQuotes(s);
        EXPECT_EQ(s, out) << in;
    }
}

TEST(CorePaths, FormatSize) {
    const std::pair<long long, const wchar_t*> cases[] = {
        {0, L"0 B"},
        {-5, L"-5 B"},
        {1023, L"1023 B"},
        {1024, L"1 KB"},
        {1536, L"1 KB"},
        {1048575, L"1023 KB"},
        {1048576, L"1.00 MB"},
        {1572864, L"1.50 MB"},
        {1073741823, L"1024.00 MB"},
        {1073741824, L"1.00 GB"},
        {5LL * 1024 * 1073741824, L"5120.00 GB"},
        {LLONG_MIN, L"-9223372036854775808 B"},
    };
    for (auto& [in, out] : cases) EXPECT_EQ(FormatSize(in), out) << in;
}

TEST(CorePaths, FormatFileTime) {
    FILETIME zero{};
    EXPECT_EQ(FormatFileTime(zero), L"-");
    EXPECT_EQ(FormatFileTime(static_cast<const FILETIME*>(nullptr)), L"-");
    FILETIME huge{0xFFFFFFFF, 0xFFFFFFFF};  // beyond what the system converts
    EXPECT_EQ(FormatFileTime(huge), L"-");

    SYSTEMTIME utc{2024, 3, 0, 15, 12, 34, 56, 0};
    FILETIME ft{};
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
    SYSTEMTIME local{};
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local));
    wchar_t expected[64];
    swprintf(expected, 64, L"%04d-%02d-%02d %02d:%02d", local.wYear, local.wMonth, local.wDay, local.wHour,
             local.wMinute);
    EXPECT_EQ(FormatFileTime(ft), expected);
    EXPECT_EQ(FormatFileTime(&ft), expected);
    EXPECT_EQ(FormatFileTime(ft).size(), 16u);
}

}  // namespace
