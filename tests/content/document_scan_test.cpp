// Text of XML parts and the scan of ZIP documents (Office Open XML, OpenDocument): extraction
// rules, the ZIP container reader over damaged archives, and the document scan over files.
#include <gtest/gtest.h>

#include <windows.h>

#include "content/Content.h"
#include "content/ContentMemory.h"
#include "content/XmlText.h"
#include "content/ZipReader.h"
#include "search/Search.h"
#include "support/fixture.h"
#include "support/zip_builder.h"

namespace {

std::string Bytes(void (*extract)(const char*, size_t, char*, size_t*), const std::string& xml) {
    std::string out(xml.size() + 1, '\x7F');
    size_t n = 12345;
    extract(xml.data(), xml.size(), out.data(), &n);
    EXPECT_EQ(out[n], '\0');
    return out.substr(0, n);
}
std::string Office(const std::string& xml) { return Bytes(OoxmlXmlToText, xml); }
std::string Plain(const std::string& xml) { return Bytes(XmlToPlainText, xml); }
std::wstring OfficeW(const std::wstring& xml) { return OoxmlXmlToTextW(xml); }
std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

TEST(XmlText, OfficeExtractorsKeepTextElementsAndBreaks) {
    struct Case {
        const char* xml;
        const char* office;  // both Office extractors (ASCII cases)
    };
    const Case cases[] = {
        {"<w:p><w:r><w:t>Quar</w:t></w:r><w:r><w:t>terly</w:t></w:r></w:p>", "Quarterly"},
        {"<w:p><w:t>one</w:t></w:p><w:p><w:t>two</w:t><w:tab/><w:t>three</w:t></w:p>", "one two three"},
        {"<w:tc><w:t>cell</w:t></w:tc><w:tc><w:t>next</w:t></w:tc>", "cell next"},
        {"<w:t>a</w:t><w:br /><w:t>b</w:t>", "a b"},                       // blank before the slash
        {"<w:t/>outside<w:t>in</w:t>", "in"},                               // empty text element
        {"<text:p>odf text</text:p><w:t a=\"x>y\">kept</w:t>", "kept"},     // '>' inside quotes
        {"<c><v>42</v></c><c><v>7</v></c>", "42 7"},
        {"<w:t>R&amp;D &lt;b&gt; &quot;q&quot; &apos;</w:t>", "R&D <b> \"q\" '"},
        {"<w:t>&amp;lt;</w:t>", "&lt;"},                                    // decoded once
        {"<w:t>  spaced \t\r\n out  </w:t>", "spaced out"},
        {"<w:t>cut <w:r", "cut"},                                           // unterminated tag ends it
        {"<W:T>Upper</W:T>", "Upper"},
        {"<?xml version=\"1.0\"?><!-- <w:t>no</w:t> --><w:t>yes</w:t>", "yes"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Office(c.xml), c.office) << c.xml;
        EXPECT_EQ(OfficeW(Widen(c.xml)), Widen(c.office)) << c.xml;
    }
}

TEST(XmlText, PlainExtractorKeepsAllCharacterData) {
    EXPECT_EQ(Plain("<office:text><text:p>odf <text:span a=\"v\">para</text:span></text:p><text:p>two</text:p>"),
              "odf paratwo");
    EXPECT_EQ(Plain("<a><![CDATA[x < y & z]]></a>"), "x < y & z");
    // A '>' inside a quoted attribute value does not end the tag; an apostrophe outside a value
    // (a comment's text) opens no quote.
    EXPECT_EQ(Plain("<a b=\"1>2\" c = '3>4'>t</a>"), "t");
    EXPECT_EQ(Plain("<!-- don't --><p>after</p>"), "after");
    EXPECT_EQ(Plain("<a b=\"open>lost<p>kept</p>"), "kept");
    EXPECT_EQ(Plain("<p>\r\n  lines \r\n </p>"), "lines");
    EXPECT_EQ(Plain("<p>&#x4F60;&#22909;</p>"), "\xE4\xBD\xA0\xE5\xA5\xBD");
}

TEST(XmlText, EntityEdgeCases) {
    // Characters beyond the Basic Multilingual Plane: bytes in the byte extractors, literal text
    // in the UTF-16 one. Unknown names: dropped by the byte extractors, kept by the UTF-16 one.
    EXPECT_EQ(Office("<w:t>&#x1F600;</w:t>"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(OfficeW(L"<w:t>&#x1F600;</w:t>"), L"&#x1F600;");
    EXPECT_EQ(Office("<w:t>a&nbsp;b</w:t>"), "ab");
    EXPECT_EQ(OfficeW(L"<w:t>a&nbsp;b</w:t>"), L"a&nbsp;b");
    // A UTF-8 character holding the byte A0 passes through unchanged.
    EXPECT_EQ(Office("<w:t>\xC3\xA0\xE4\xBD\xA0</w:t>"), "\xC3\xA0\xE4\xBD\xA0");

    // Invalid references are no character: a value that wraps past 32 bits (2^32 + 65), 0,
    // surrogates, past U+10FFFF.
    char out[4];
    for (const char* bad : {"#4294967361", "#x100000041", "#0", "#x0", "#xD800", "#57343", "#x110000", "#", "#x",
                            "#12a", "#x-1"})
        EXPECT_EQ(DecodeXmlNumericEntity(bad, static_cast<int>(strlen(bad)), out), 0) << bad;
    for (const wchar_t* bad : {L"#4294967361", L"#0", L"#xDC00", L"#x10000", L"lt;"})
        EXPECT_EQ(DecodeXmlNamedEntityW(bad), 0) << bad;
    EXPECT_EQ(DecodeXmlNumericEntity("#65", 3, out), 1);
    EXPECT_EQ(DecodeXmlNamedEntityW(L"#x41"), L'A');

    // An unterminated '&' ends at '<', at a blank or after the longest name: the tags after it are
    // still tags and the text after it still text.
    EXPECT_EQ(Office("<w:p><w:t>AT&T</w:t></w:p><w:p><w:t>x;y</w:t></w:p>"), "AT&T x;y");
    EXPECT_EQ(Office("<w:t>fish & chips; more</w:t>"), "fish & chips; more");
    EXPECT_EQ(Office("<w:t>&abcdefghijklmnopqrstuvwxyz;</w:t>"), "&abcdefghijklmnopqrstuvwxyz;");
    EXPECT_EQ(Plain("<p>AT&T</p><p>and;</p>"), "AT&Tand;");
    EXPECT_EQ(Plain("<p>tail &amp"), "tail &amp");
}

TEST(XmlText, DecodeTextBytes) {
    std::wstring w;
    const unsigned char le[] = {0xFF, 0xFE, 'h', 0, 'i', 0, 0x60, 0x4F};
    ASSERT_TRUE(DecodeTextBytes(le, sizeof le, w));
    EXPECT_EQ(w, L"hi\u4F60");
    const unsigned char be[] = {0xFE, 0xFF, 0, 'o', 0, 'k', 9};
    ASSERT_TRUE(DecodeTextBytes(be, sizeof be, w));
    EXPECT_EQ(w, L"ok");
    const unsigned char bom8[] = {0xEF, 0xBB, 0xBF, 0xC3, 0xA9};
    ASSERT_TRUE(DecodeTextBytes(bom8, sizeof bom8, w));
    EXPECT_EQ(w, L"\u00e9");
    const unsigned char ansi[] = {'c', 'a', 'f', 0xE9};  // not UTF-8: the ANSI code page (1252)
    ASSERT_TRUE(DecodeTextBytes(ansi, sizeof ansi, w));
    EXPECT_EQ(w, L"caf\u00e9");
    EXPECT_FALSE(DecodeTextBytes(bom8, 3, w));
    EXPECT_FALSE(DecodeTextBytes(nullptr, 4, w));
}

TEST(ZipContainer, WildcardMatch) {
    EXPECT_TRUE(WildcardMatch("word/header.xml", "word/header*.xml"));
    EXPECT_TRUE(WildcardMatch("word/header12.xml", "word/header*.xml"));
    EXPECT_TRUE(WildcardMatch(".xml", "*.xml"));
    EXPECT_FALSE(WildcardMatch("docprops/", "docprops/*"));
    EXPECT_TRUE(WildcardMatch("docprops/app.xml", "docprops/*"));
    EXPECT_FALSE(WildcardMatch("word/document.xml.rels", "*.xml"));
    EXPECT_TRUE(WildcardMatch("", ""));
    EXPECT_FALSE(WildcardMatch("a", ""));
    EXPECT_FALSE(WildcardMatch("word\\document.xml", "word/document.xml"));
}

TEST(ZipContainer, ReadsStoredAndDeflatedEntries) {
    std::string big;
    for (int i = 0; i < 20000; ++i) big += "line " + std::to_string(i) + "\n";
    const std::string zip = zipfx::Build({{"a/stored.txt", "plain bytes", false}, {"b/deflated.txt", big}, {"dir/", ""}});
    ZipMemorySource source(zip.data(), zip.size());
    ZipReader reader;
    ASSERT_TRUE(reader.Open(source));
    ASSERT_EQ(reader.EntryCount(), 3u);
    EXPECT_TRUE(reader.Entry(2).isDirectory);
    std::unique_ptr<char[]> out;
    ASSERT_EQ(reader.Extract(0, 1 << 20, out), ZipExtractStatus::Ok);
    EXPECT_EQ(std::string(out.get()), "plain bytes");
    ASSERT_EQ(reader.Extract(1, 1 << 20, out), ZipExtractStatus::Ok);
    EXPECT_EQ(std::string(out.get(), big.size()), big);
    EXPECT_EQ(reader.Extract(1, 1000, out), ZipExtractStatus::TooLarge);
    EXPECT_FALSE(out);
}

TEST(ZipContainer, DamagedArchivesAreRefusedSafely) {
    const std::string text = "<w:t>needle</w:t>";
    const std::string good = zipfx::Build({{"word/document.xml", text}});
    struct Case {
        const char* what;
        std::string zip;
        bool opens;
        ZipExtractStatus status;  // of entry 0 when it opens
    };
    std::string badStream = zipfx::Build({{"x.xml", text}});
    badStream[30 + 5] = '\xFF';  // the first block's type: reserved
    const Case cases[] = {
        {"good", good, true, ZipExtractStatus::Ok},
        {"bad CRC", zipfx::Build({{"x.xml", text, true, 0, true}}), true, ZipExtractStatus::BadCrc},
        {"encrypted", zipfx::Build({{"x.xml", text, true, 1}}), true, ZipExtractStatus::Unsupported},
        {"declared size smaller", zipfx::Build({{"x.xml", text, true, 0, false, 5}}), true, ZipExtractStatus::BadData},
        {"declared size larger", zipfx::Build({{"x.xml", text, true, 0, false, 500}}), true, ZipExtractStatus::BadData},
        {"huge declared size", zipfx::Build({{"x.xml", text, true, 0, false, 0xFFFFFFF0ll}}), true,
         ZipExtractStatus::TooLarge},
        {"local offset past the end", zipfx::Build({{"x.xml", text, true, 0, false, -1, 1 << 20}}), true,
         ZipExtractStatus::Unsupported},
        {"local offset on other bytes", zipfx::Build({{"x.xml", text, true, 0, false, -1, 3}}), true,
         ZipExtractStatus::BadData},
        {"damaged deflate stream", badStream, true, ZipExtractStatus::BadData},
        {"zip64 marker", zipfx::Build({{"x.xml", text}}, true), false, ZipExtractStatus::Ok},
        {"truncated in the middle", good.substr(0, good.size() / 2), false, ZipExtractStatus::Ok},
        {"truncated end record", good.substr(0, good.size() - 3), false, ZipExtractStatus::Ok},
        {"no archive", std::string(200, 'x'), false, ZipExtractStatus::Ok},
        {"empty", std::string(), false, ZipExtractStatus::Ok},
    };
    for (const Case& c : cases) {
        ZipMemorySource source(c.zip.data(), c.zip.size());
        ZipReader reader;
        const bool opened = reader.Open(source);
        EXPECT_EQ(opened, c.opens) << c.what;
        if (!opened || !c.opens) continue;
        std::unique_ptr<char[]> out;
        EXPECT_EQ(reader.Extract(0, 52428800, out), c.status) << c.what;
        EXPECT_EQ(static_cast<bool>(out), c.status == ZipExtractStatus::Ok) << c.what;
    }
    // A central directory whose offset or size points past the end record.
    std::string moved = good;
    moved[moved.size() - 6] = '\x7F';
    ZipMemorySource source(moved.data(), moved.size());
    ZipReader reader;
    EXPECT_FALSE(reader.Open(source));
}

class ZipDocumentTest : public testing::Test {
protected:
    void SetUp() override { dir_ = testfx::MakeScratchDir(L"zipdocs"); }
    std::wstring Write(const std::wstring& name, const std::string& bytes) {
        const std::wstring path = dir_ + L"\\" + name;
        EXPECT_TRUE(testfx::WriteFileBytes(path, bytes));
        return path;
    }
    static bool Search(const std::wstring& path, const TermGroups& groups) {
        return SearchZipDocument(path, EncodeTermGroups(groups), g_searchGeneration.load(), DefaultZipInnerPatterns(),
                                 groups);
    }
    std::wstring dir_;
};

TEST_F(ZipDocumentTest, FindsTextInsideDocuments) {
    using zipfx::Part;
    struct Case {
        const char* what;
        std::vector<Part> parts;
        const wchar_t* term;
        bool hit;
    };
    const std::string odt =
        "<office:document-content><office:body><office:text><text:p>Minutes of the <text:span>harbour</text:span> "
        "board</text:p></office:text></office:body></office:document-content>";
    const std::string sheet = "<sst><si><t>Revenue</t></si><si><t>Fjord&amp;Co</t></si></sst>";
    const std::string slide = "<p:sld><a:p><a:r><a:t>Launch </a:t></a:r><a:r><a:t>window</a:t></a:r></a:p></p:sld>";
    const std::string utf16 = std::string("\xFF\xFE<\0w\0:\0t\0>\0S\0\xFC\0" "d\0<\0/\0w\0:\0t\0>\0", 28);
    const Case cases[] = {
        {"runs split", zipfx::Docx({"Quar", "terly ", "report"}), L"Quarterly", true},
        {"two terms across runs", zipfx::Docx({"alpha ", "beta"}), L"beta", true},
        {"absent", zipfx::Docx({"nothing here"}), L"Quarterly", false},
        {"upper-case inner name", {{"Word\\Document.xml", zipfx::WordXml({"Shouted"})}}, L"Shouted", true},
        {"odt text in text:p", {{"mimetype", "application/vnd.oasis.opendocument.text", false}, {"content.xml", odt}},
         L"harbour board", true},
        {"xlsx shared strings", {{"xl/sharedStrings.xml", sheet}}, L"Fjord&Co", true},
        {"pptx slide", {{"ppt/slides/slide1.xml", slide}}, L"Launch window", true},
        {"utf-16 part", {{"word/document.xml", utf16}}, L"S\u00fcd", true},
        {"only in an attribute", {{"word/document.xml", "<w:t w:val=\"secret\">x</w:t>"}}, L"secret", false},
        {"attribute holding '>'", {{"word/document.xml", "<w:t w:val=\"a>secret\">x</w:t>"}}, L"secret", false},
        {"odt attribute holding '>'",
         {{"content.xml", "<text:p text:style-name=\"x>secret\">shown</text:p>"}}, L"secret", false},
        {"part not named", {{"media/image1.png", "<w:t>hidden</w:t>"}}, L"hidden", false},
        {"bad CRC", {{"word/document.xml", zipfx::WordXml({"needle"}), true, 0, true}}, L"needle", false},
        {"encrypted", {{"word/document.xml", zipfx::WordXml({"needle"}), true, 1}}, L"needle", false},
        {"damaged part then a good one",
         {{"word/document.xml", zipfx::WordXml({"needle"}), true, 0, true}, {"word/footer1.xml", "<w:t>needle</w:t>"}},
         L"needle", true},
        {"huge declared size", {{"word/document.xml", zipfx::WordXml({"needle"}), true, 0, false, 0xFFFFFFF0ll}},
         L"needle", false},
    };
    for (const Case& c : cases) {
        const std::wstring path = Write(L"case.docx", zipfx::Build(c.parts));
        EXPECT_EQ(Search(path, {{c.term}}), c.hit) << c.what;
    }
    const std::string whole = zipfx::Build(zipfx::Docx({"needle"}));
    EXPECT_TRUE(Search(Write(L"whole.docx", whole), {{L"needle"}}));
    EXPECT_FALSE(Search(Write(L"cut.docx", whole.substr(0, whole.size() - 30)), {{L"needle"}}));
    EXPECT_FALSE(Search(Write(L"plain.docx", "needle in a plain file"), {{L"needle"}}));
    EXPECT_FALSE(Search(dir_ + L"\\missing.docx", {{L"needle"}}));
    EXPECT_EQ(ContentScanMemoryBudget().InUse(), 0u);
}

TEST_F(ZipDocumentTest, StaleSearchStopsAndBudgetWaitsForRoom) {
    const std::wstring path = Write(L"stale.docx", zipfx::Build(zipfx::Docx({"needle"})));
    const TermGroups groups = {{L"needle"}};
    const uint64_t old = g_searchGeneration.load();
    ++g_searchGeneration;
    EXPECT_FALSE(SearchZipDocument(path, EncodeTermGroups(groups), old, DefaultZipInnerPatterns(), groups));

    ContentMemoryBudget budget(100);
    const uint64_t gen = g_searchGeneration.load();
    ASSERT_TRUE(budget.Acquire(80, gen));
    ASSERT_TRUE(budget.Acquire(20, gen));
    std::atomic<bool> got{false};
    std::thread waiter([&] {
        got = budget.Acquire(50, gen);
    });
    Sleep(100);
    EXPECT_FALSE(got.load());  // no room until a release
    budget.Release(80);
    waiter.join();
    EXPECT_TRUE(got.load());
    EXPECT_EQ(budget.InUse(), 70u);
    // A request larger than the whole budget is served once nothing else is held; a stale one
    // gives up.
    std::thread stale([&] { EXPECT_FALSE(budget.Acquire(500, gen)); });
    Sleep(50);
    ++g_searchGeneration;
    stale.join();
    budget.Release(70);
    EXPECT_TRUE(budget.Acquire(500, g_searchGeneration.load()));
}

}  // namespace
