// filters.ini: line parsing, reading damaged files, writing, the start-up fallback chain with
// migration and backup, the language-change reload with its question, and the match rules.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/Core.h"
#include "i18n/I18n.h"
#include "search/Search.h"
#include "filters_test_env.h"
#include "support/fixture.h"

namespace {

std::string Utf8(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

const std::string kBom = "\xEF\xBB\xBF";

// A configuration folder of its own, the language state and the active list put back after.
class FiltersConfig : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = testfx::MakeScratchDir(L"filters-config");
        SetConfigDirOverride(dir_);
        savedCode_ = g_uiLanguageCode;
        savedChinese_ = g_languageIsChinese;
        savedList_ = g_filterCategories;
        savedQuestion_ = g_filterConflictQuestion;
        g_uiLanguageCode = L"en-us";
        g_languageIsChinese = false;
    }
    void TearDown() override {
        SetConfigDirOverride(FiltersTestConfigDir());
        g_uiLanguageCode = savedCode_;
        g_languageIsChinese = savedChinese_;
        g_filterCategories = savedList_;
        g_filterConflictQuestion = savedQuestion_;
    }
    std::wstring Path(const wchar_t* name) const { return dir_ + L"\\" + name; }
    bool Exists(const wchar_t* name) const { return GetFileAttributesW(Path(name).c_str()) != INVALID_FILE_ATTRIBUTES; }

    std::wstring dir_;
    std::wstring savedCode_;
    bool savedChinese_ = true;
    std::vector<FilterCategory> savedList_;
    FilterConflictQuestionFn savedQuestion_ = nullptr;
};

std::string EnglishDefaultsFile() {
    return kBom +
           "All Files=\r\nFolders=.dir\r\nDocuments=.doc,.docx,.pdf,.txt,.xls,.xlsx,.ppt,.pptx,.md,.csv\r\n"
           "Images=.jpg,.jpeg,.png,.gif,.bmp,.webp,.ico,.svg,.tif,.psd\r\n"
           "Archives=.zip,.rar,.7z,.tar,.gz,.iso,.cab\r\nApplications=.exe,.msi,.bat,.cmd,.dll,.sys,.ps1\r\n"
           "Videos=.mp4,.mkv,.avi,.mov,.wmv,.flv,.rmvb,.m3u8\r\nAudio=.mp3,.wav,.flac,.aac,.ogg,.m4a\r\n";
}

// 4 kB of binary bytes that happen to hold "=" and line ends, as a disk error or a stray program
// leaves them.
std::string BinaryJunk() {
    std::string junk;
    uint32_t x = 12345;
    for (int i = 0; i < 4096; ++i) {
        x = x * 1103515245u + 12345u;
        junk += i % 61 == 60 ? '\n' : i % 17 == 16 ? '=' : static_cast<char>(x >> 24);
    }
    return junk;
}

std::vector<std::wstring> Names(const std::vector<FilterCategory>& list) {
    std::vector<std::wstring> names;
    for (const auto& c : list) names.push_back(c.name);
    return names;
}

int g_questionCalls = 0;
int g_questionAnswer = IDCANCEL;
int ScriptedQuestion(HWND, const std::wstring&, const std::wstring&) {
    ++g_questionCalls;
    return g_questionAnswer;
}

}  // namespace

TEST(FilterLine, ParsesTheTableOfLines) {
    struct Case {
        const wchar_t* line;
        bool ok;
        const wchar_t* name;
        std::vector<std::wstring> exts;
    };
    const Case cases[] = {
        {L"  Docs = DOC, .Pdf ,, txt ,  ", true, L"Docs", {L".doc", L".pdf", L".txt"}},
        {L"# Docs=.doc", false, nullptr, {}},
        {L"   # Docs=.doc", false, nullptr, {}},
        {L"", false, nullptr, {}},
        {L" \t\r\n", false, nullptr, {}},
        {L"Docs .doc", false, nullptr, {}},
        {L"=.doc", false, nullptr, {}},
        {L"  = .doc", false, nullptr, {}},
        {L"Empty=", true, L"Empty", {}},
        {L"a=b=c", true, L"a", {L".b=c"}},
        {L"Arch=Tar GZ", true, L"Arch", {L".tar gz"}},
        {L"X=.A,.a", true, L"X", {L".a", L".a"}},  // duplicates stay
    };
    for (const auto& c : cases) {
        FilterCategory out{L"untouched", {L".keep"}};
        EXPECT_EQ(c.ok, ParseFilterLine(c.line, out)) << testing::PrintToString(std::wstring(c.line));
        if (c.ok) {
            EXPECT_EQ(c.name, out.name);
            EXPECT_EQ(c.exts, out.exts);
        } else {
            EXPECT_EQ(L"untouched", out.name);  // a failed parse leaves out alone
        }
    }
}

TEST_F(FiltersConfig, ReadsBomLfCrlfAndLongLines) {
    std::wstring longName(20000 - 3, L'n');
    const std::string file = "A=.a\nB=.b\r\n#c\r\n\r\nnot a category\n" + Utf8(longName) + "=.x\nLast=.z";
    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"f.ini"), file));
    std::vector<FilterCategory> list;
    ASSERT_TRUE(ReadFilterCategories(Path(L"f.ini"), list));
    ASSERT_EQ(4u, list.size());
    EXPECT_EQ(L"A", list[0].name);
    EXPECT_EQ(L"B", list[1].name);
    EXPECT_EQ(longName, list[2].name);  // a line of 20000 characters is read whole
    EXPECT_EQ(L"Last", list[3].name);   // a last line without a line end counts
    EXPECT_EQ(std::vector<std::wstring>{L".z"}, list[3].exts);

    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"bom.ini"), kBom + Utf8(L"文档=.doc\r\n")));
    ASSERT_TRUE(ReadFilterCategories(Path(L"bom.ini"), list));
    ASSERT_EQ(1u, list.size());
    EXPECT_EQ(L"文档", list[0].name);
}

TEST_F(FiltersConfig, DamagedAndEmptyFilesCountAsAbsent) {
    std::vector<FilterCategory> list{{L"keep", {}}};
    EXPECT_FALSE(ReadFilterCategories(Path(L"missing.ini"), list));
    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"comments.ini"), "# one\r\n  # two\r\n\r\n"));
    EXPECT_FALSE(ReadFilterCategories(Path(L"comments.ini"), list));
    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"empty.ini"), ""));
    EXPECT_FALSE(ReadFilterCategories(Path(L"empty.ini"), list));
    EXPECT_EQ(1u, list.size());  // untouched
    EXPECT_EQ(L"keep", list[0].name);

    // Binary garbage (invalid UTF-8, NUL bytes) is damaged as a whole: nothing of it is taken,
    // not even a good line after it.
    std::string garbage("\x80\xC3=\x01\x02\n\xFF\xFE\xFD\n", 10);
    garbage += std::string("\nNu\0l=.a\0b\nGood=.ok\n", 20);
    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"garbage.ini"), garbage));
    FilterFileState state = FilterFileState::kWhole;
    EXPECT_FALSE(ReadFilterCategories(Path(L"garbage.ini"), list, &state));
    EXPECT_EQ(FilterFileState::kDamaged, state);
    EXPECT_EQ(L"keep", list[0].name);

    // A huge line of text is dropped whole, and the lines around it are read.
    std::string huge = "First=.a\n" + std::string(3u << 20, 'x') + "\nGood=.ok\n";
    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"huge.ini"), huge));
    list.clear();
    ASSERT_TRUE(ReadFilterCategories(Path(L"huge.ini"), list, &state));
    EXPECT_EQ(FilterFileState::kWhole, state);
    ASSERT_EQ(2u, list.size());
    EXPECT_EQ(L"Good", list.back().name);

    // More categories than buttons can exist: the list is capped.
    std::string many;
    for (int i = 0; i < 1500; ++i) many.append("C").append(std::to_string(i)).append("=.c\n");
    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"many.ini"), many));
    ASSERT_TRUE(ReadFilterCategories(Path(L"many.ini"), list));
    EXPECT_EQ(kMaxFilterCategories, list.size());
}

TEST_F(FiltersConfig, WritesBomCrLfAndNoSpaces) {
    ASSERT_TRUE(WriteFilterCategories(Path(L"w.ini"), {{L"All", {}}, {L"Docs", {L".doc", L".pdf"}}}));
    EXPECT_EQ(kBom + "All=\r\nDocs=.doc,.pdf\r\n", testfx::ReadFileBytes(Path(L"w.ini")));
    ASSERT_TRUE(WriteFilterCategories(Path(L"w.ini"), {}));
    EXPECT_EQ(kBom, testfx::ReadFileBytes(Path(L"w.ini")).substr(0, 3));
    EXPECT_FALSE(Exists(L"w.ini.tmp"));
    // A folder that does not exist: nothing written, failure reported to the caller.
    EXPECT_FALSE(WriteFilterCategories(Path(L"no\\such\\dir.ini"), {{L"A", {}}}));
}

TEST_F(FiltersConfig, PathsFollowTheLanguageCode) {
    g_uiLanguageCode = L"EN US";
    EXPECT_EQ(Path(L"filters.en_us.ini"), GetFiltersPath());
    g_uiLanguageCode.clear();
    EXPECT_EQ(Path(L"filters.ini"), GetFiltersPath());
    EXPECT_EQ(Path(L"filters.ini"), GetDefaultFiltersPath());
}

TEST_F(FiltersConfig, NoFileAtAllWritesTheLanguageDefaultsWithoutBackup) {
    InitFilterCategories();
    ASSERT_EQ(8u, g_filterCategories.size());
    EXPECT_EQ(L"All Files", g_filterCategories[0].name);
    EXPECT_EQ(EnglishDefaultsFile(), testfx::ReadFileBytes(Path(L"filters.en-us.ini")));
    EXPECT_FALSE(Exists(L"filters.bak"));

    // A Chinese UI gets the Chinese names.
    DeleteFileW(Path(L"filters.en-us.ini").c_str());
    g_languageIsChinese = true;
    g_uiLanguageCode = L"zh-cn";
    InitFilterCategories();
    EXPECT_EQ(L"所有文件", g_filterCategories[0].name);
    EXPECT_TRUE(Exists(L"filters.zh-cn.ini"));
}

TEST_F(FiltersConfig, ChineseDefaultsMigrateUnderAnEnglishUi) {
    std::wstring zh;
    for (const auto& c : g_defaultFilterCategories) {
        zh += c.name + L"=";
        for (size_t i = 0; i < c.exts.size(); ++i) zh += (i ? L"," : L"") + c.exts[i];
        zh += L"\r\n";
    }
    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"filters.ini"), kBom + Utf8(zh)));
    InitFilterCategories();
    ASSERT_EQ(8u, g_filterCategories.size());
    EXPECT_EQ(L"All Files", g_filterCategories[0].name);
    EXPECT_EQ(EnglishDefaultsFile(), testfx::ReadFileBytes(Path(L"filters.ini")));
    EXPECT_EQ(EnglishDefaultsFile(), testfx::ReadFileBytes(Path(L"filters.bak")));
    EXPECT_FALSE(Exists(L"filters.en-us.ini"));
}

TEST_F(FiltersConfig, FolderCategoryIsInsertedAndBackedUp) {
    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"filters.ini"), "Everything=\nDocs=.doc\n"));
    InitFilterCategories();
    ASSERT_EQ(3u, g_filterCategories.size());
    EXPECT_EQ(L"Folders", g_filterCategories[1].name);
    const std::string expected = kBom + "Everything=\r\nFolders=.dir\r\nDocs=.doc\r\n";
    EXPECT_EQ(expected, testfx::ReadFileBytes(Path(L"filters.ini")));
    EXPECT_EQ(expected, testfx::ReadFileBytes(Path(L"filters.bak")));

    // The per-language file wins over filters.ini; an unchanged list is not rewritten.
    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"filters.en-us.ini"), "Mine=\nDirs=.FOLDER\n"));
    InitFilterCategories();
    ASSERT_EQ(2u, g_filterCategories.size());
    EXPECT_EQ(L"Mine", g_filterCategories[0].name);
    EXPECT_EQ("Mine=\nDirs=.FOLDER\n", testfx::ReadFileBytes(Path(L"filters.en-us.ini")));
    EXPECT_EQ("Mine=\nDirs=.FOLDER\n", testfx::ReadFileBytes(Path(L"filters.bak")));
}

TEST_F(FiltersConfig, BackupIsTheLastSourceBeforeTheDefaults) {
    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"filters.ini"), "# only comments\n"));
    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"filters.bak"), "Saved=\nPics=.png\n"));
    InitFilterCategories();
    ASSERT_EQ(3u, g_filterCategories.size());
    EXPECT_EQ(L"Saved", g_filterCategories[0].name);
    EXPECT_EQ(L"Folders", g_filterCategories[1].name);
    EXPECT_EQ(kBom + "Saved=\r\nFolders=.dir\r\nPics=.png\r\n", testfx::ReadFileBytes(Path(L"filters.en-us.ini")));
    EXPECT_EQ("Saved=\nPics=.png\n", testfx::ReadFileBytes(Path(L"filters.bak")));  // not refreshed
}

// A file cut in the middle of a line lost categories: it never replaces the backup, and a whole
// backup is what the session uses (the damaged file is kept beside it).
TEST_F(FiltersConfig, FileCutMidLineIsRestoredFromTheBackup) {
    const std::string backup = "All=\r\nFolders=.dir\r\nDocs=.doc,.pdf\r\nPics=.png\r\n";
    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"filters.bak"), backup));
    const std::string cut = kBom + "All=\r\nFolders=.dir\r\nDocs=.doc,.p";
    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"filters.en-us.ini"), cut));
    InitFilterCategories();
    ASSERT_EQ(4u, g_filterCategories.size());
    EXPECT_EQ(L"Pics", g_filterCategories[3].name);
    EXPECT_EQ((std::vector<std::wstring>{L".doc", L".pdf"}), g_filterCategories[2].exts);
    EXPECT_EQ(backup, testfx::ReadFileBytes(Path(L"filters.bak")));
    EXPECT_EQ(kBom + backup, testfx::ReadFileBytes(Path(L"filters.en-us.ini")));
    EXPECT_EQ(cut, testfx::ReadFileBytes(Path(L"filters.en-us.ini.damaged")));

    // Without a backup the part that was read is used, and no backup is made from it.
    DeleteFileW(Path(L"filters.bak").c_str());
    DeleteFileW(Path(L"filters.en-us.ini").c_str());
    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"filters.ini"), "Everything=\nFolders=.dir\nDocs=.do"));
    InitFilterCategories();
    ASSERT_EQ(3u, g_filterCategories.size());
    EXPECT_FALSE(Exists(L"filters.bak"));

    // A backup that is itself cut short is no better: the file is used as read, the backup kept.
    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"filters.bak"), "Old=\nOlder=.t"));
    InitFilterCategories();
    EXPECT_EQ(L"Everything", g_filterCategories[0].name);
    EXPECT_EQ("Old=\nOlder=.t", testfx::ReadFileBytes(Path(L"filters.bak")));
}

// A filters file that is not text (or holds an entry no file name can end with) is damaged: it
// is never applied and never copied over the backup; it is set aside and the file is restored
// from the backup.
TEST_F(FiltersConfig, DamagedFileIsRestoredFromTheBackupWhichStaysUntouched) {
    const std::string backup = "Saved=\r\nFolders=.dir\r\nPics=.png\r\n";
    const std::pair<const char*, std::string> damaged[] = {
        {"binary junk", BinaryJunk()},
        {"bytes of another code page", "Docs=.doc\nBilder\xE4=.png\n"},
        {"a bad byte after the UTF-8 mark", kBom + "Docs=.doc\nX\xFF=.png\n"},
        {"UTF-16 with a lone surrogate", testfx::Utf16LeWithBom(std::wstring(L"A=.a\r\nB\xD800=.b\r\n"))},
        {"a NUL byte", std::string("Docs=.doc\nPi\0cs=.png\n", 21)},
        {"a control byte", "Docs=.doc\x1B[31m\n"},
        {"an entry that is a path", "Docs=.doc,..\\..\\x\n"},
        {"an entry that is a stream", "Docs=.doc:secret\n"},
    };
    for (const auto& [what, bytes] : damaged) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(testfx::WriteFileBytes(Path(L"filters.bak"), backup));
        ASSERT_TRUE(testfx::WriteFileBytes(Path(L"filters.en-us.ini"), bytes));
        DeleteFileW(Path(L"filters.en-us.ini.damaged").c_str());
        g_filterCategories = {{L"Before", {}}};
        InitFilterCategories();
        EXPECT_EQ(Names(g_filterCategories), (std::vector<std::wstring>{L"Saved", L"Folders", L"Pics"}));
        EXPECT_EQ(backup, testfx::ReadFileBytes(Path(L"filters.bak")));
        EXPECT_EQ(kBom + backup, testfx::ReadFileBytes(Path(L"filters.en-us.ini")));
        EXPECT_EQ(bytes, testfx::ReadFileBytes(Path(L"filters.en-us.ini.damaged")));
    }
}

// Without a good backup a damaged file counts as absent: the next source or the defaults are
// used, the damaged file is set aside first (an earlier damaged copy is never replaced), and no
// backup is made from anything but a good file.
TEST_F(FiltersConfig, DamagedFileWithoutABackupIsSetAsideBeforeTheDefaults) {
    const std::string junk = BinaryJunk();
    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"filters.en-us.ini"), junk));
    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"filters.bak"), "Bad=\x01\n"));  // itself damaged
    InitFilterCategories();
    EXPECT_EQ(L"All Files", g_filterCategories[0].name);
    EXPECT_EQ(8u, g_filterCategories.size());
    EXPECT_EQ(EnglishDefaultsFile(), testfx::ReadFileBytes(Path(L"filters.en-us.ini")));
    EXPECT_EQ(junk, testfx::ReadFileBytes(Path(L"filters.en-us.ini.damaged")));
    EXPECT_EQ("Bad=\x01\n", testfx::ReadFileBytes(Path(L"filters.bak")));

    // Damaged again, with a good shared filters.ini: that one is used and backed up.
    DeleteFileW(Path(L"filters.bak").c_str());
    const std::string again("Again=\0\n", 8);
    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"filters.en-us.ini"), again));
    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"filters.ini"), "Mine=\nFolders=.dir\n"));
    InitFilterCategories();
    EXPECT_EQ(Names(g_filterCategories), (std::vector<std::wstring>{L"Mine", L"Folders"}));
    EXPECT_FALSE(Exists(L"filters.en-us.ini"));
    EXPECT_EQ(junk, testfx::ReadFileBytes(Path(L"filters.en-us.ini.damaged")));
    EXPECT_EQ(again, testfx::ReadFileBytes(Path(L"filters.en-us.ini.damaged.2")));
    EXPECT_EQ("Mine=\nFolders=.dir\n", testfx::ReadFileBytes(Path(L"filters.ini")));
    EXPECT_EQ("Mine=\nFolders=.dir\n", testfx::ReadFileBytes(Path(L"filters.bak")));

    // A language switch never applies a damaged per-language file either, and sets it aside
    // before the new language's defaults are written in its place.
    DeleteFileW(Path(L"filters.ini").c_str());
    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"filters.en-us.ini"), junk + "Tail=.t\n"));
    EXPECT_TRUE(ReloadFilterCategoriesForLanguage(nullptr));
    EXPECT_EQ(L"All Files", g_filterCategories[0].name);
    EXPECT_EQ(EnglishDefaultsFile(), testfx::ReadFileBytes(Path(L"filters.en-us.ini")));
    EXPECT_EQ(junk + "Tail=.t\n", testfx::ReadFileBytes(Path(L"filters.en-us.ini.damaged.3")));
}

// A language code from language.ini names the per-language filters file: one that climbs out of
// the configuration folder is refused at start-up (the default language is used), and even a
// code put in place otherwise names no file. Nothing outside the folder is read as filters,
// rewritten, or created.
TEST_F(FiltersConfig, AHostileLanguageCodeNeverReachesAPathOutsideTheFolder) {
    // root\a\b\c\config: every code below climbs out of the folder but stays inside root.
    const std::wstring root = testfx::MakeScratchDir(L"filters-hostile-code");
    std::wstring config = root;
    for (const wchar_t* part : {L"a", L"b", L"c"}) {
        config = config + L"\\" + part;
        CreateDirectoryW(config.c_str(), nullptr);
    }
    config += L"\\config";
    SetConfigDirOverride(config);
    ASSERT_EQ(config, GetConfigDir());  // created
    const std::wstring victimPath = root + L"\\a\\victim.ini";
    const std::string victim = "[section]\r\nkey=value\r\n";
    ASSERT_TRUE(testfx::WriteFileBytes(victimPath, victim));
    // "filters." + code + ".ini": the first ".." joins "filters.", each further one climbs a level.
    for (const char* code : {"..\\..\\..\\..\\..\\..\\pwned", "..\\..\\..\\..\\..\\victim", "..\\..\\..\\new"}) {
        SCOPED_TRACE(code);
        ASSERT_TRUE(testfx::WriteFileBytes(config + L"\\language.ini", std::string("lang=") + code + "\r\n"));
        // The start-up's order: the saved code, else the default; the language; the filters.
        std::wstring saved = ReadSavedLanguageCode();
        EXPECT_EQ(L"", saved);
        if (saved.empty()) saved = L"en-us";
        SetUiLanguage(saved);
        InitFilterCategories();
        EXPECT_EQ(L"en-us", g_uiLanguageCode);
        EXPECT_EQ(L"All Files", g_filterCategories[0].name);
    }
    EXPECT_EQ("\xEF\xBB\xBFlang=en-us\r\n", testfx::ReadFileBytes(config + L"\\language.ini"));

    g_uiLanguageCode = L"..\\..\\..\\..\\..\\victim";
    EXPECT_EQ(L"", GetFiltersPath());
    InitFilterCategories();
    ReloadFilterCategoriesForLanguage(nullptr);

    EXPECT_EQ(victim, testfx::ReadFileBytes(victimPath));
    EXPECT_EQ(std::vector<std::wstring>{victimPath}, testfx::FilesUnder(root, config));
}

TEST(FilterFolders, EnsureFolderCategoryAndFolderTests) {
    std::vector<FilterCategory> a{{L"All", {}}, {L"D", {L".doc"}}, {L"E", {}}, {L"F", {L".FOLDER"}}};
    EXPECT_FALSE(EnsureFolderCategory(a));
    std::vector<FilterCategory> b{{L"All", {L".dir"}}, {L"D", {L".doc"}}};
    EXPECT_FALSE(EnsureFolderCategory(b));
    std::vector<FilterCategory> c;
    EXPECT_TRUE(EnsureFolderCategory(c));
    ASSERT_EQ(1u, c.size());
    EXPECT_EQ(std::vector<std::wstring>{L".dir"}, c[0].exts);

    const auto saved = g_filterCategories;
    g_filterCategories = b;
    EXPECT_FALSE(IsFolderCategory(0));  // position 0 is never a folder category
    EXPECT_FALSE(IsFolderCategory(2));
    g_filterCategories = a;
    EXPECT_TRUE(IsFolderCategory(3));
    EXPECT_FALSE(IsFolderCategory(4));
    EXPECT_FALSE(IsFolderCategory(-1));
    g_filterCategories = saved;
}

TEST(FilterMatch, ExtensionRulesOfTheBuiltInList) {
    const auto saved = g_filterCategories;
    g_filterCategories = g_defaultFilterCategories;
    EXPECT_TRUE(MatchesFilterCategory(L"report.PDF", 2));
    EXPECT_FALSE(MatchesFilterCategory(L"README", 2));
    EXPECT_TRUE(MatchesFilterCategory(L"README", 0));
    EXPECT_TRUE(MatchesFilterCategory(L"a.tar.gz", 4));
    EXPECT_FALSE(MatchesFilterCategory(L"a.gz.tar2", 4));
    EXPECT_TRUE(MatchesFilterCategory(L".txt", 2));     // a name that is all extension
    EXPECT_FALSE(MatchesFilterCategory(L"name.", 2));
    EXPECT_TRUE(MatchesFilterCategory(L"notes.dir", 1));  // the counts treat .dir as an extension
    g_filterCategories.push_back({L"Empty", {}});
    EXPECT_FALSE(MatchesFilterCategory(L"a.doc", 8));
    g_filterCategories = saved;

    EXPECT_FALSE(FilterCategoriesEqual({{L"A", {L".doc"}}}, {{L"A", {L".DOC"}}}));
    EXPECT_FALSE(FilterCategoriesEqual({{L"A", {}}}, {{L"a", {}}}));
    EXPECT_TRUE(FilterCategoriesEqual({{L"A", {L".x"}}}, {{L"A", {L".x"}}}));
}

TEST_F(FiltersConfig, LanguageChangeAsksOnlyWhenFiltersIniDiffers) {
    g_filterConflictQuestion = ScriptedQuestion;
    g_questionCalls = 0;
    const std::vector<FilterCategory> defaults = BuildLocalizedDefaultFilters();
    ASSERT_EQ(8u, defaults.size());

    // No file at all: the defaults are written to the per-language file, no question.
    EXPECT_TRUE(ReloadFilterCategoriesForLanguage(nullptr));
    EXPECT_TRUE(FilterCategoriesEqual(defaults, g_filterCategories));
    EXPECT_TRUE(Exists(L"filters.en-us.ini"));
    EXPECT_EQ(0, g_questionCalls);
    DeleteFileW(Path(L"filters.en-us.ini").c_str());

    // filters.ini equal to the defaults: nothing changes, no recount.
    ASSERT_TRUE(WriteFilterCategories(Path(L"filters.ini"), defaults));
    g_filterCategories = {{L"Current", {}}};
    EXPECT_FALSE(ReloadFilterCategoriesForLanguage(nullptr));
    EXPECT_EQ(L"Current", g_filterCategories[0].name);
    EXPECT_EQ(0, g_questionCalls);

    // Customised filters.ini: Cancel uses the defaults for now and writes nothing; asked again.
    const std::string custom = "Mine=\nDirs=.dir\n";
    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"filters.ini"), custom));
    g_questionAnswer = IDCANCEL;
    EXPECT_TRUE(ReloadFilterCategoriesForLanguage(nullptr));
    EXPECT_TRUE(FilterCategoriesEqual(defaults, g_filterCategories));
    EXPECT_FALSE(Exists(L"filters.en-us.ini"));
    EXPECT_EQ(custom, testfx::ReadFileBytes(Path(L"filters.ini")));
    EXPECT_TRUE(ReloadFilterCategoriesForLanguage(nullptr));
    EXPECT_EQ(2, g_questionCalls);

    // No keeps the user's list; Yes writes the defaults to the per-language file.
    g_questionAnswer = IDNO;
    ReloadFilterCategoriesForLanguage(nullptr);
    EXPECT_EQ(L"Mine", g_filterCategories[0].name);
    g_questionAnswer = IDYES;
    ReloadFilterCategoriesForLanguage(nullptr);
    EXPECT_TRUE(FilterCategoriesEqual(defaults, g_filterCategories));
    EXPECT_EQ(EnglishDefaultsFile(), testfx::ReadFileBytes(Path(L"filters.en-us.ini")));

    // With a per-language file present it is loaded without any question.
    ASSERT_TRUE(testfx::WriteFileBytes(Path(L"filters.en-us.ini"), "Lang=\n"));
    g_questionCalls = 0;
    EXPECT_TRUE(ReloadFilterCategoriesForLanguage(nullptr));
    EXPECT_EQ(L"Lang", g_filterCategories[0].name);
    EXPECT_EQ(0, g_questionCalls);
}
