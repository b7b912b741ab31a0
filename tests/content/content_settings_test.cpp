// Content-search settings files: the extension offer and the ZIP document lists.
#include <gtest/gtest.h>

#include "content/Content.h"
#include "search/QueryParser.h"
#include "core/Core.h"
#include "support/fixture.h"

namespace {

using Exts = std::vector<std::wstring>;

class ContentSettingsTest : public testing::Test {
protected:
    void SetUp() override {
        SetConfigDirOverride(testfx::MakeScratchDir(L"content_cfg"));
        SetContentSearchExts({});
    }
    void TearDown() override {
        SetConfigDirOverride(L"");
        SetContentSearchExts({});
    }
    static void Write(const std::wstring& path, const std::string& utf8) {
        ASSERT_TRUE(testfx::WriteFileBytes(path, "\xEF\xBB\xBF" + utf8));
    }
    static std::pair<Exts, std::vector<std::string>> ZipLists() {
        LoadContentZipSettings();
        AcquireSRWLockShared(&g_contentZipSettingsLock);
        auto r = std::make_pair(g_contentZipExts, g_contentZipPatterns);
        ReleaseSRWLockShared(&g_contentZipSettingsLock);
        return r;
    }
};

TEST_F(ContentSettingsTest, ExtensionListParsing) {
    EXPECT_EQ(ParseExtensionList(L"a, .B,c,,A"), (Exts{L".a", L".b", L".c"}));
    EXPECT_EQ(ParseExtensionList(L" . "), (Exts{L"."}));
    EXPECT_EQ(JoinExtensionList({L".a", L".b"}), L".a,.b");
    EXPECT_EQ(DefaultContentSearchExts().size(), 17u);
}

TEST_F(ContentSettingsTest, OfferFileAndActiveSet) {
    // Missing file: the defaults, written back.
    EXPECT_EQ(LoadContentSearchExts(), DefaultContentSearchExts());
    EXPECT_NE(testfx::ReadFileBytes(GetContentSearchExtsPath()).find("exts=.txt,.log,.md"), std::string::npos);
    // Only comments: rewritten with the defaults.
    Write(GetContentSearchExtsPath(), "# nothing\r\n#exts=.pdf\r\n");
    EXPECT_EQ(LoadContentSearchExts().size(), 17u);
    Write(GetContentSearchExtsPath(), ".txt\r\nexts=.md, .log\r\n" + std::string(3000, 'q') + "\r\n");
    const Exts offer = LoadContentSearchExts();
    ASSERT_GE(offer.size(), 3u);
    EXPECT_EQ(Exts(offer.begin(), offer.begin() + 3), (Exts{L".txt", L".md", L".log"}));

    Write(GetContentSearchExtsPath(), "exts=.txt,.log,.md\r\n");
    SetContentSearchExts({L".LOG", L".pdf"});
    EXPECT_EQ(GetActiveContentSearchExts(), (Exts{L".LOG"}));
    SetContentSearchExts({L".pdf"});
    EXPECT_EQ(GetActiveContentSearchExts(), (Exts{L".txt", L".log", L".md"}));
    // A content query without its own list searches the active set.
    EXPECT_EQ(ParseContentQuery(L"s:budget").exts, (Exts{L".txt", L".log", L".md"}));
}

TEST_F(ContentSettingsTest, OfferFileKeptWhenOnlyMomentarilyUnreadable) {
    const std::wstring path = GetContentSearchExtsPath();
    Write(path, "exts=.pdf,.rtf\r\n");
    const std::string before = testfx::ReadFileBytes(path);
    {
        // Another program holds the file without sharing it.
        HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_EQ(LoadContentSearchExts(), DefaultContentSearchExts());  // usable now...
        CloseHandle(held);
    }
    EXPECT_EQ(testfx::ReadFileBytes(path), before);  // ...and the user's list is still there
    EXPECT_EQ(LoadContentSearchExts(), (Exts{L".pdf", L".rtf"}));
    SaveContentSearchExts({L".md"});
    EXPECT_NE(testfx::ReadFileBytes(path).find("exts=.md\r\n"), std::string::npos);
    EXPECT_EQ(GetFileAttributesW((path + L".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
    // Every letter is lower-cased, not only ASCII ones.
    EXPECT_EQ(ParseExtensionList(L"\u00c4BC, .\u00dcML,\u0416"), (Exts{L".\u00e4bc", L".\u00fcml", L".\u0436"}));
}

TEST_F(ContentSettingsTest, ZipSettingsFiles) {
    auto [exts, patterns] = ZipLists();  // both files missing: defaults, files written
    EXPECT_EQ(exts, DefaultZipExtensions());
    EXPECT_EQ(patterns, DefaultZipInnerPatterns());
    EXPECT_NE(testfx::ReadFileBytes(GetContentZipExtsPath()).find("exts=.docx,.pptx"), std::string::npos);
    EXPECT_NE(testfx::ReadFileBytes(GetContentZipPatternsPath()).find("word/document.xml\r\n"), std::string::npos);

    Write(GetContentZipExtsPath(), "exts=.epub\r\n");
    Write(GetContentZipPatternsPath(), "patterns=Word/*.XML\r\n");
    std::tie(exts, patterns) = ZipLists();
    Exts want = {L".epub"};
    for (auto& d : DefaultZipExtensions()) want.push_back(d);
    EXPECT_EQ(exts, want);
    EXPECT_EQ(patterns.front(), "word/*.xml");
    EXPECT_EQ(patterns.back(), "*.xml");
    EXPECT_EQ(testfx::ReadFileBytes(GetContentZipExtsPath()), "\xEF\xBB\xBF" "exts=.epub\r\n");  // never rewritten

    Write(GetContentZipExtsPath(), "# c\r\nDOCX, .Docx ,docx,.,,\r\nExts=.txt\r\n");
    std::tie(exts, patterns) = ZipLists();
    EXPECT_EQ(Exts(exts.begin(), exts.begin() + 4), (Exts{L".docx", L".docx", L".docx", L".exts=.txt"}));
    EXPECT_TRUE(IsZipDocumentExtension(L".DOCX", {}));
    EXPECT_TRUE(IsZipDocumentExtension(L".epub", {L".epub"}));
    EXPECT_FALSE(IsZipDocumentExtension(L".txt", {L".epub"}));

    // Damaged bytes never crash the reader and the defaults stay in force.
    std::string junk;
    for (int i = 0; i < 9000; ++i) junk.push_back(static_cast<char>((i * 37 + 11) & 0xFF));
    ASSERT_TRUE(testfx::WriteFileBytes(GetContentZipPatternsPath(), junk));
    std::tie(exts, patterns) = ZipLists();
    EXPECT_EQ(patterns.back(), "*.xml");
}

}  // namespace
