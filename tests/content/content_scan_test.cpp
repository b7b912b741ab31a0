// Content search: term encoding and matching, the plain file scan over fixture files in UTF-8,
// UTF-16 and the ANSI code page, and the scan threads over rows of an in-memory volume.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <thread>

#include "content/Content.h"
#include "search/ContentScanThreads.h"
#include "core/Core.h"
#include "i18n/I18n.h"
#include "search/Search.h"
#include "shell/Shell.h"
#include "support/fixture.h"
#include "support/synthetic_volume.h"
#include "support/zip_builder.h"

namespace {

using G = TermGroups;

uint64_t CurrentGeneration() { return g_searchGeneration.load(); }

bool MatchText(const std::string& bytes, const G& groups) {
    auto enc = EncodeTermGroups(groups);
    return MatchTermGroupsInBytes(bytes.data(), bytes.data() + bytes.size(), bytes.size(), enc, CurrentGeneration());
}

std::string Utf16Le(const std::wstring& s, bool bom) {
    std::string out = bom ? std::string("\xFF\xFE", 2) : std::string();
    for (wchar_t c : s) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    return out;
}

TEST(ContentMatch, BytesInThreeEncodings) {
    const std::wstring text = L"Gr\u00fc\u00dfe aus K\u00f6ln, \u5317\u4eac invoice 2024";
    const std::string utf8 = WideToUtf8(text);
    const std::string utf16 = Utf16Le(text, true);
    // The test process's ANSI code page (1252 here) holds all but the two Chinese characters.
    const std::string ansi = WideToAnsi(L"Gr\u00fc\u00dfe aus K\u00f6ln, invoice 2024");
    for (const std::string* bytes : {&utf8, &utf16, &ansi}) {
        EXPECT_TRUE(MatchText(*bytes, {{L"K\u00f6ln", L"invoice"}}));
        EXPECT_FALSE(MatchText(*bytes, {{L"k\u00f6ln"}}));  // case-sensitive
        EXPECT_TRUE(MatchText(*bytes, {{L"missing"}, {L"2024"}}));
        EXPECT_FALSE(MatchText(*bytes, {{L"invoice", L"missing"}}));
    }
    EXPECT_TRUE(MatchText(utf8, {{L"\u5317\u4eac"}}));
    EXPECT_TRUE(MatchText(utf16, {{L"\u5317\u4eac"}}));
    EXPECT_TRUE(MatchText("a", {{L"a"}}));
    EXPECT_FALSE(MatchText("abc", {}));
}

TEST(ContentMatch, AnsiFormOnlyWhenTheCodePageHoldsTheTerm) {
    // Neither the default character nor a best-fit letter stands in for what the code page lacks:
    // such a term has no ANSI form, so "??" or a plain "A" does not match it.
    EXPECT_EQ(WideToAnsi(L"\u5317\u4eac"), "");
    EXPECT_EQ(WideToAnsi(L"\u0100"), "");  // A with macron: best fit would give "A"
    EXPECT_EQ(WideToAnsi(L"K\u00f6ln"), "K\xF6ln");
    EXPECT_FALSE(MatchText("x ?? y", {{L"\u5317\u4eac"}}));
    EXPECT_FALSE(MatchText("x A y", {{L"\u0100"}}));
    EXPECT_TRUE(MatchText(WideToUtf8(L"x \u5317\u4eac y"), {{L"\u5317\u4eac"}}));
}

TEST(ContentMatch, FaultInsideAMappedViewIsNoMatch) {
    // Two pages: the first readable and without the term, the second inaccessible as the lost
    // pages of a file cut short under its view are.
    SYSTEM_INFO si{};
    GetSystemInfo(&si);
    const size_t page = si.dwPageSize;
    char* view = static_cast<char*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(view, nullptr);
    memset(view, 'x', 2 * page);
    memcpy(view + 10, "early", 5);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(view + page, page, PAGE_NOACCESS, &old));
    auto enc = EncodeTermGroups({{L"needle"}});
    for (int round = 0; round < 3; ++round)  // the guard works again after a fault
        EXPECT_FALSE(MatchMappedBytes(view, 2 * page, enc, CurrentGeneration()));
    // Found before the fault: a match; the same range readable again: a plain search.
    EXPECT_TRUE(MatchMappedBytes(view, 2 * page, EncodeTermGroups({{L"early"}}), CurrentGeneration()));
    ASSERT_TRUE(VirtualProtect(view + page, page, PAGE_READWRITE, &old));
    memcpy(view + page + 7, "needle", 6);
    EXPECT_TRUE(MatchMappedBytes(view, 2 * page, enc, CurrentGeneration()));
    VirtualFree(view, 0, MEM_RELEASE);
}

TEST(ContentMatch, StaleGenerationMatchesNothing) {
    auto enc = EncodeTermGroups({{L"abc"}});
    const std::string bytes = "xxabcxx";
    const uint64_t old = CurrentGeneration();
    ++g_searchGeneration;
    EXPECT_FALSE(MatchTermGroupsInBytes(bytes.data(), bytes.data() + bytes.size(), bytes.size(), enc, old));
    EXPECT_TRUE(MatchTermGroupsInBytes(bytes.data(), bytes.data() + bytes.size(), bytes.size(), enc, CurrentGeneration()));
}

TEST(ContentMatch, Utf8TextRetryWithoutBlanks) {
    auto enc = EncodeTermGroups({{L"foo bar"}});
    auto run = [&](const std::string& s) {
        return MatchQueryInUtf8Text(s.data(), s.data() + s.size(), enc, CurrentGeneration());
    };
    EXPECT_TRUE(run("xx foo bar yy"));
    EXPECT_TRUE(run("xx foo\r\nbar yy"));
    EXPECT_TRUE(run("xx foo\xC2\xA0" "bar yy"));
    EXPECT_FALSE(run("xx foo baz"));
    // A term of ideographic spaces only is empty in the retry and fails its group.
    auto onlySpaces = EncodeTermGroups({{L"\u3000\u3000"}});
    const std::string t = "a\xE3\x80\x80\xE3\x80\x80" "b";
    EXPECT_TRUE(MatchQueryInUtf8Text(t.data(), t.data() + t.size(), onlySpaces, CurrentGeneration()));
    const std::string u = "a\xE3\x80\x80" "b";
    EXPECT_FALSE(MatchQueryInUtf8Text(u.data(), u.data() + u.size(), onlySpaces, CurrentGeneration()));
}

TEST(ContentMatch, WideTextSkipsInvisibleCharacters) {
    EXPECT_TRUE(MatchTermGroupsInWideText(L"in\u200Bvoice", {{L"invoice"}}, CurrentGeneration()));
    EXPECT_TRUE(MatchTermGroupsInWideText(L"a c", {{L"a", L"b"}, {L"c"}}, CurrentGeneration()));
    EXPECT_FALSE(MatchTermGroupsInWideText(L"Invoice", {{L"invoice"}}, CurrentGeneration()));
    EXPECT_FALSE(MatchTermGroupsInWideText(L"", {{L"x"}}, CurrentGeneration()));
    const std::string bad = "in\xFFvoice";  // invalid UTF-8 becomes U+FFFD
    EXPECT_TRUE(MatchTermGroupsInUtf8AsWide(bad.data(), bad.data() + bad.size(), {{L"voice"}}, CurrentGeneration()));
    EXPECT_EQ(StripInvisibleChars(L" a\u00A0b\uFEFFc\u3000"), L"abc");
}

TEST(ContentMatch, ThreadCount) {
    EXPECT_EQ(ChooseContentThreadCount(0, 16, 1000), 16u);
    EXPECT_EQ(ChooseContentThreadCount(8, 16, 1000), 8u);
    EXPECT_EQ(ChooseContentThreadCount(100, 4, 1000), 64u);
    EXPECT_EQ(ChooseContentThreadCount(0, 128, 1000), 64u);
    EXPECT_EQ(ChooseContentThreadCount(0, 0, 1000), 1u);
    EXPECT_EQ(ChooseContentThreadCount(0, 16, 3), 3u);
}

class PlainFileScan : public testing::Test {
protected:
    void SetUp() override {
        dir_ = testfx::MakeScratchDir(L"content_plain");
        savedCap_ = g_contentMaxFileSizeMB.load();
    }
    void TearDown() override { g_contentMaxFileSizeMB.store(savedCap_); }
    std::wstring Write(const std::wstring& name, const std::string& bytes) {
        std::wstring p = dir_ + L"\\" + name;
        EXPECT_TRUE(testfx::WriteFileBytes(p, bytes));
        return p;
    }
    bool Scan(const std::wstring& path, const G& groups) {
        return SearchPlainFile(path, EncodeTermGroups(groups), CurrentGeneration());
    }
    std::wstring dir_;
    int savedCap_ = 100;
};

TEST_F(PlainFileScan, FixtureFilesInEachEncoding) {
    const std::wstring text = L"Rechnung f\u00fcr M\u00fcller\r\nTotal: 42 EUR\r\n";
    const auto utf8 = Write(L"u8.txt", "\xEF\xBB\xBF" + WideToUtf8(text));
    const auto utf16 = Write(L"u16.txt", Utf16Le(text, true));
    const auto ansi = Write(L"ansi.txt", WideToAnsi(text));
    for (const auto& p : {utf8, utf16, ansi}) {
        EXPECT_TRUE(Scan(p, {{L"M\u00fcller", L"42 EUR"}})) << testing::PrintToString(p);
        EXPECT_FALSE(Scan(p, {{L"m\u00fcller"}}));
        EXPECT_FALSE(Scan(p, {{L"Rechnung", L"USD"}}));
    }
    EXPECT_FALSE(Scan(Write(L"empty.txt", ""), {{L"x"}}));
    EXPECT_FALSE(Scan(dir_ + L"\\missing.txt", {{L"x"}}));
    EXPECT_FALSE(Scan(L"\\\\server\\share\\a.txt", {{L"x"}}));
    EXPECT_FALSE(Scan(utf8, {}));
    // One byte never holds a UTF-16 form, but its UTF-8 form can match.
    const auto one = Write(L"one.txt", "a");
    EXPECT_TRUE(Scan(one, {{L"a"}}));
}

TEST_F(PlainFileScan, SizeCapSkipsLargerFiles) {
    std::string bytes(1048576 + 1, 'x');
    bytes.replace(10, 6, "needle");
    const auto p = Write(L"big.txt", bytes);
    g_contentMaxFileSizeMB.store(1);
    EXPECT_FALSE(Scan(p, {{L"needle"}}));
    g_contentMaxFileSizeMB.store(2);
    EXPECT_TRUE(Scan(p, {{L"needle"}}));
    g_contentMaxFileSizeMB.store(0);
    EXPECT_TRUE(Scan(p, {{L"needle"}}));
}

TEST_F(PlainFileScan, StreamedFileFindsTermsAcrossChunkBorders) {
    g_contentMaxFileSizeMB.store(0);
    std::string bytes(kContentMapLimit + 1, '.');
    // An occurrence that starts 3 bytes before the first 4 MiB boundary, and a second term of the
    // same group megabytes later.
    bytes.replace(kContentChunkSize - 3, 8, "boundary");
    bytes.replace(kContentMapLimit - 100, 4, "tail");
    EXPECT_TRUE(Scan(Write(L"streamed.txt", bytes), {{L"boundary", L"tail"}}));
    EXPECT_FALSE(Scan(dir_ + L"\\streamed.txt", {{L"boundary", L"absent"}}));
    // A UTF-16 form crossing the second border.
    const std::string w16 = Utf16Le(L"wide", false);
    bytes.replace(kContentChunkSize * 2 - 3, w16.size(), w16);
    EXPECT_TRUE(Scan(Write(L"streamed16.txt", bytes), {{L"wide"}}));
}

// Scan threads over rows of an in-memory volume whose records name real files of a folder.
TEST(ContentScanThreads, FindsHitsOfEverySliceAndJoinsAll) {
    const std::wstring drive = testfx::FixtureDrive(L'T');
    if (drive.empty()) GTEST_SKIP() << "fixture drive T: is not mapped";
    ASSERT_TRUE(CreateDirectoryW(L"T:\\docs", nullptr));
    auto v = testfx::MakeSyntheticVolume(L"T:");
    testfx::AddSyntheticRecord(*v, 100, 5, L"docs", true);
    std::vector<MatchItem> candidates;
    std::vector<uint32_t> expected;
    for (int i = 0; i < 40; ++i) {
        const std::wstring name = L"f" + std::to_wstring(i) + L".txt";
        const bool hit = i % 3 == 0;
        ASSERT_TRUE(testfx::WriteFileBytes(L"T:\\docs\\" + name, hit ? "has needle inside" : "nothing here"));
        const uint32_t r = testfx::AddSyntheticRecord(*v, 200 + i, 100, name);
        candidates.push_back(MatchItem{v.get(), r});
        if (hit) expected.push_back(r);
    }
    candidates.push_back(MatchItem{nullptr, 0});  // a null volume is skipped
    // A record whose parent is not in the index: its path does not reach the root, never opened.
    ASSERT_TRUE(testfx::WriteFileBytes(L"T:\\orphan.txt", "needle"));
    candidates.push_back(MatchItem{v.get(), testfx::AddSyntheticRecord(*v, 300, 999, L"orphan.txt")});

    ContentQuery q;
    q.isContent = true;
    q.termGroups = {{L"needle"}};
    const auto groups = EncodeTermGroups(q.termGroups);
    auto results = std::make_shared<std::vector<MatchItem>>();
    const uint64_t gen = ++g_searchGeneration;
    EXPECT_TRUE(RunContentScanThreads(candidates, groups, q, {}, {}, gen, 7, results));
    std::vector<uint32_t> got;
    for (const auto& r : *results) got.push_back(r.recordIndex);
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, expected);

    // A stale generation scans nothing.
    auto stale = std::make_shared<std::vector<MatchItem>>();
    RunContentScanThreads(candidates, groups, q, {}, {}, gen - 1, 4, stale);
    EXPECT_TRUE(stale->empty());
}

// "s:" end to end: candidates by extension from an in-memory volume of the fixture drive, files
// in UTF-8, UTF-16 and the ANSI code page, the final set and the status texts.
TEST(ContentSearchEndToEnd, SearchesInsidePlainTextFiles) {
    const std::wstring drive = testfx::FixtureDrive(L'T');
    if (drive.empty()) GTEST_SKIP() << "fixture drive T: is not mapped";
    SetConfigDirOverride(testfx::MakeScratchDir(L"content_e2e_cfg"));  // the ZIP settings files go there
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    g_hMainWnd = window;
    g_searchScope.store(0);
    const std::wstring text = L"Rechnung f\u00fcr M\u00fcller";
    ASSERT_TRUE(testfx::WriteFileBytes(L"T:\\u8.txt", WideToUtf8(text)));
    ASSERT_TRUE(testfx::WriteFileBytes(L"T:\\u16.TXT", Utf16Le(text, true)));
    ASSERT_TRUE(testfx::WriteFileBytes(L"T:\\ansi.txt", WideToAnsi(text)));
    ASSERT_TRUE(testfx::WriteFileBytes(L"T:\\other.txt", "nothing"));
    ASSERT_TRUE(testfx::WriteFileBytes(L"T:\\same.log", WideToUtf8(text)));
    ASSERT_TRUE(CreateDirectoryW(L"T:\\folder.txt", nullptr));
    ASSERT_TRUE(testfx::WriteFileBytes(L"T:\\caps.\u00c4BC", WideToUtf8(text)));
    auto v = testfx::MakeSyntheticVolume(L"T:");
    VolumeIndex* raw = v.get();
    for (const wchar_t* name : {L"u8.txt", L"u16.TXT", L"ansi.txt", L"other.txt", L"same.log"})
        testfx::AddSyntheticRecord(*v, 100 + raw->records.size(), 5, name);
    testfx::AddSyntheticRecord(*v, 200, 5, L"folder.txt", true);
    testfx::AddSyntheticRecord(*v, 201, 5, L"caps.\u00c4BC");
    std::vector<std::unique_ptr<VolumeIndex>> list;
    list.push_back(std::move(v));
    testfx::InstallVolumes(std::move(list));

    uint64_t gen = ++g_searchGeneration;
    RunNameSearchTask(L"s:M\u00fcller|txt", gen, false);
    auto set = GetResultsSnapshot();
    std::vector<uint32_t> rows;
    for (const auto& m : *set) rows.push_back(m.recordIndex);
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (std::vector<uint32_t>{0, 1, 2}));

    // An extension with a capital letter beyond ASCII, typed in either case, names the file.
    for (const wchar_t* query : {L"s:M\u00fcller|.\u00c4BC", L"s:M\u00fcller|\u00e4bc"}) {
        gen = ++g_searchGeneration;
        RunNameSearchTask(query, gen, false);
        set = GetResultsSnapshot();
        ASSERT_EQ(set->size(), 1u) << testing::PrintToString(std::wstring(query));
        EXPECT_EQ((*set)[0].recordIndex, 6u);
    }

    gen = ++g_searchGeneration;
    RunNameSearchTask(L"s:M\u00fcller|pdf", gen, false);
    EXPECT_TRUE(GetResultsSnapshot()->empty());
    std::vector<std::wstring> status;
    bool finalSeen = false;
    MSG m;
    while (PeekMessageW(&m, window, 0, 0, PM_REMOVE)) {
        if (m.message == WM_SEARCH_STATUS_TEXT) {
            auto* s = reinterpret_cast<std::wstring*>(m.lParam);
            if (m.wParam == gen) status.push_back(*s);
            delete s;
        } else if (m.message == WM_SEARCH_RESULTS_READY && m.wParam == gen) {
            finalSeen = m.lParam == kResultsFinal;
        }
    }
    const std::wstring noCandidates =
        Tr(L"Status_ContentSearchNoCandidates", L"\u7b5b\u9009\u540e\u6ca1\u6709\u53ef\u626b\u63cf\u7684\u6587\u4ef6\u3002",
           L"No candidate files after filters.");
    EXPECT_EQ(status, (std::vector<std::wstring>{noCandidates}));
    EXPECT_TRUE(finalSeen);
    g_hMainWnd = nullptr;
    DestroyWindow(window);
    testfx::InstallVolumes({});
    SetConfigDirOverride(L"");
}

// Office documents beside plain files through the search task; a scan thread that cannot start;
// and the engine mutex, which the window also takes, is free while the contents are scanned.
class ContentSearchTask : public testing::Test {
protected:
    void SetUp() override {
        drive_ = testfx::FixtureDrive(L'T');
        if (drive_.empty()) GTEST_SKIP() << "fixture drive T: is not mapped";
        SetConfigDirOverride(testfx::MakeScratchDir(L"content_task_cfg"));
        window_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        g_hMainWnd = window_;
        g_searchScope.store(0);
        const std::string doc = zipfx::Build(zipfx::Docx({"Harbour ", "dues"}));
        auto v = testfx::MakeSyntheticVolume(L"T:");
        for (int i = 0; i < 6; ++i) {
            const std::wstring name = L"doc" + std::to_wstring(i) + (i % 2 ? L".DOCX" : L".docx");
            ASSERT_TRUE(testfx::WriteFileBytes(drive_ + name, i < 4 ? doc : zipfx::Build(zipfx::Docx({"other"}))));
            testfx::AddSyntheticRecord(*v, 100 + i, 5, name);
        }
        ASSERT_TRUE(testfx::WriteFileBytes(drive_ + L"plain.txt", "Harbour dues paid"));
        testfx::AddSyntheticRecord(*v, 200, 5, L"plain.txt");
        std::vector<std::unique_ptr<VolumeIndex>> list;
        list.push_back(std::move(v));
        testfx::InstallVolumes(std::move(list));
        savedThreads_ = g_contentSearchThreads.load();
    }
    void TearDown() override {
        if (drive_.empty()) return;
        SetContentThreadStartFailureForTest(-1);
        SetZipDocumentScanner(SearchZipDocument);
        g_contentSearchThreads.store(savedThreads_);
        g_hMainWnd = nullptr;
        DrainMessages();
        DestroyWindow(window_);
        testfx::InstallVolumes({});
        SetConfigDirOverride(L"");
    }
    // The kinds of the result publications and the status texts of one generation.
    std::pair<std::vector<LPARAM>, std::vector<std::wstring>> DrainMessages(uint64_t gen = 0) {
        std::vector<LPARAM> kinds;
        std::vector<std::wstring> status;
        MSG m;
        while (PeekMessageW(&m, window_, 0, 0, PM_REMOVE)) {
            if (m.message == WM_SEARCH_STATUS_TEXT) {
                auto* text = reinterpret_cast<std::wstring*>(m.lParam);
                if (m.wParam == gen) status.push_back(*text);
                delete text;
            } else if (m.message == WM_SEARCH_RESULTS_READY && m.wParam == gen) {
                kinds.push_back(m.lParam);
            }
        }
        return {kinds, status};
    }
    static size_t Count() { return GetResultsSnapshot()->size(); }
    std::wstring drive_;
    HWND window_ = nullptr;
    int savedThreads_ = 0;
};

TEST_F(ContentSearchTask, FindsTermsInDocumentsAndPlainFiles) {
    uint64_t gen = ++g_searchGeneration;
    RunNameSearchTask(L"s:\"Harbour dues\"|.docx,.txt", gen, false);
    EXPECT_EQ(Count(), 5u);
    EXPECT_EQ(DrainMessages(gen).first.back(), kResultsFinal);
    gen = ++g_searchGeneration;
    RunNameSearchTask(L"s:Harbour|.docx", gen, false);
    EXPECT_EQ(Count(), 4u);
}

TEST_F(ContentSearchTask, AThreadThatCannotStartLeavesTheResultIncomplete) {
    g_contentSearchThreads.store(3);
    SetContentThreadStartFailureForTest(1);
    const uint64_t gen = ++g_searchGeneration;
    RunNameSearchTask(L"s:Harbour|.docx", gen, false);
    auto [kinds, status] = DrainMessages(gen);
    ASSERT_FALSE(kinds.empty());
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), kResultsFinal), 0);
    EXPECT_EQ(kinds.back(), kResultsPartial);
    EXPECT_EQ(Count(), 2u);  // the first slice of two of the six documents
    ASSERT_FALSE(status.empty());
    const std::wstring& last = status.back();
    // The text comes from the built-in tables (English, or Chinese in a Chinese interface).
    EXPECT_TRUE(last.find(L"incomplete") != std::wstring::npos || last.find(L"\u672a\u5b8c\u6210") != std::wstring::npos)
        << testing::PrintToString(last);
}

std::atomic<int> g_blockedScans{0};
HANDLE g_releaseScans = nullptr;
bool BlockingScanner(const std::wstring&, const std::vector<EncodedTermGroup>&, uint64_t, const std::vector<std::string>&,
                     const TermGroups&) {
    ++g_blockedScans;
    WaitForSingleObject(g_releaseScans, 10000);
    return true;
}

TEST_F(ContentSearchTask, EngineMutexIsFreeWhileContentsAreScanned) {
    g_releaseScans = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetZipDocumentScanner(BlockingScanner);
    g_contentSearchThreads.store(2);
    const uint64_t gen = ++g_searchGeneration;
    std::thread search([gen] { RunNameSearchTask(L"s:Harbour|.docx", gen, false); });
    while (g_blockedScans.load() < 2) Sleep(5);
    // What the window does during a scan (volume refresh, scope list, device changes) takes this
    // mutex: it must not wait for the scan.
    const bool free = g_searchEngine.mutex.try_lock();
    if (free) g_searchEngine.mutex.unlock();
    EXPECT_TRUE(free);
    // Esc: the generation moves on and the scan ends without a final publication.
    ++g_searchGeneration;
    SetEvent(g_releaseScans);
    search.join();
    CloseHandle(g_releaseScans);
    EXPECT_TRUE(DrainMessages(gen).first.empty() || DrainMessages(gen).first.back() != kResultsFinal);
}

}  // namespace
