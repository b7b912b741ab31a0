// Name search, publication rule, folder scopes and path resolution over in-memory volumes.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>

#include "core/Core.h"
#include "i18n/I18n.h"
#include "search/Search.h"
#include "shell/Shell.h"
#include "search/ScanThreads.h"
#include "index/UsnTestData.h"
#include "support/synthetic_volume.h"

namespace {

using testfx::AddSyntheticRecord;
using testfx::MakeSyntheticVolume;

struct Publication {
    size_t rows;
    uint64_t generation;
    LPARAM kind;
};
std::vector<Publication> g_seen;
std::mutex g_seenMutex;

void Observe(const std::shared_ptr<std::vector<MatchItem>>& set, uint64_t generation, LPARAM kind) {
    std::lock_guard<std::mutex> lock(g_seenMutex);
    g_seen.push_back({set ? set->size() : 0, generation, kind});
}

// Receives the messages the search posts to the main window.
class SearchTest : public testing::Test {
protected:
    void SetUp() override {
        window_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        g_hMainWnd = window_;
        g_searchScope.store(0);
        g_initialSearchEnabled = true;
        g_seen.clear();
        SetResultsPublishedObserver(Observe);
    }
    void TearDown() override {
        SetResultsPublishedObserver(nullptr);
        g_hMainWnd = nullptr;
        DestroyWindow(window_);
        testfx::InstallVolumes({});
    }
    // Messages of one kind posted to the window so far.
    std::vector<MSG> Drain(UINT message) {
        std::vector<MSG> out;
        MSG m;
        while (PeekMessageW(&m, window_, 0, 0, PM_REMOVE))
            if (m.message == message) out.push_back(m);
            else if (m.message == WM_SEARCH_STATUS_TEXT) delete reinterpret_cast<std::wstring*>(m.lParam);
        return out;
    }
    // Runs the search task on this thread with a fresh generation; returns the final set.
    std::shared_ptr<std::vector<MatchItem>> Search(const std::wstring& query) {
        const uint64_t gen = ++g_searchGeneration;
        RunNameSearchTask(query, gen, false);
        return GetResultsSnapshot();
    }
    static std::vector<std::wstring> Names(const std::shared_ptr<std::vector<MatchItem>>& set) {
        std::vector<std::wstring> names;
        for (const auto& m : *set) {
            const FileRecord& r = m.volume->records[m.recordIndex];
            names.emplace_back(r.name, r.nameLength);
        }
        return names;
    }
    HWND window_ = nullptr;
};

// Volume C: with a small tree:
//   C:\Windows (10)  C:\Windows\notepad.exe  C:\Windows\System32 (11)  C:\Windows\System32\notepad.dll
//   C:\WindowsApps (12)  C:\WindowsApps\notepad.appx  C:\readme.txt  orphan.txt (parent 999, not indexed)
std::unique_ptr<VolumeIndex> MakeTree() {
    auto v = MakeSyntheticVolume(L"C:");
    AddSyntheticRecord(*v, 10, 5, L"Windows", true);
    AddSyntheticRecord(*v, 12, 5, L"WindowsApps", true);
    AddSyntheticRecord(*v, 20, 10, L"notepad.exe");
    AddSyntheticRecord(*v, 21, 12, L"notepad.appx");
    AddSyntheticRecord(*v, 22, 5, L"readme.txt");
    AddSyntheticRecord(*v, 23, 11, L"notepad.dll");  // before its folder's record
    AddSyntheticRecord(*v, 11, 10, L"System32", true);
    AddSyntheticRecord(*v, 24, 999, L"orphan.txt");
    AddSyntheticRecord(*v, 25, 10, L"gone.txt");
    v->records.back().deleted = 1;
    return v;
}

void InstallOne(std::unique_ptr<VolumeIndex> v) {
    std::vector<std::unique_ptr<VolumeIndex>> list;
    list.push_back(std::move(v));
    testfx::InstallVolumes(std::move(list));
}

TEST_F(SearchTest, PublicationRuleDropsStaleSets) {
    EXPECT_NE(GetResultsSnapshot(), nullptr);
    const uint64_t old = ++g_searchGeneration;
    const uint64_t current = ++g_searchGeneration;
    auto newer = std::make_shared<std::vector<MatchItem>>(3);
    ASSERT_TRUE(PublishResultSet(newer, current, kResultsFinal));
    EXPECT_FALSE(PublishResultSet(std::make_shared<std::vector<MatchItem>>(7), old, kResultsFinal));
    EXPECT_EQ(GetResultsSnapshot(), newer);
    auto posted = Drain(WM_SEARCH_RESULTS_READY);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].wParam, current);
    EXPECT_EQ(posted[0].lParam, kResultsFinal);
}

TEST_F(SearchTest, PublicationRuleUnderRacingProducers) {
    // Every producer takes a new generation and publishes a set tagged with it; whatever the
    // interleaving, the set left at the end is the one of the last generation.
    SetResultsPublishedObserver(nullptr);
    g_hMainWnd = nullptr;
    std::vector<std::thread> producers;
    for (int t = 0; t < 8; ++t)
        producers.emplace_back([] {
            for (int i = 0; i < 2000; ++i) {
                const uint64_t gen = ++g_searchGeneration;
                auto set = std::make_shared<std::vector<MatchItem>>(1, MatchItem{nullptr, static_cast<uint32_t>(gen)});
                PublishResultSet(set, gen, kResultsFinal);
            }
        });
    for (auto& p : producers) p.join();
    auto last = GetResultsSnapshot();
    ASSERT_EQ(last->size(), 1u);
    EXPECT_EQ((*last)[0].recordIndex, static_cast<uint32_t>(g_searchGeneration.load()));
}

TEST_F(SearchTest, PartialSetAt3000ThenFinal) {
    auto v = MakeSyntheticVolume(L"D:");
    for (int i = 0; i < 5000; ++i) AddSyntheticRecord(*v, 100 + i, 5, L"match_" + std::to_wstring(i) + L".txt");
    for (int i = 0; i < 3000; ++i) AddSyntheticRecord(*v, 20000 + i, 5, L"other_" + std::to_wstring(i) + L".txt");
    for (int i = 0; i < 5000; ++i) AddSyntheticRecord(*v, 40000 + i, 5, L"\u4e2d" + std::to_wstring(i));
    InstallOne(std::move(v));

    auto set = Search(L"MATCH_");
    EXPECT_EQ(set->size(), 5000u);
    ASSERT_EQ(g_seen.size(), 2u);
    EXPECT_EQ(g_seen[0].rows, 3000u);
    EXPECT_EQ(g_seen[0].kind, kResultsPartial);
    EXPECT_EQ(g_seen[1].rows, 5000u);
    EXPECT_EQ(g_seen[1].kind, kResultsFinal);
    auto posted = Drain(WM_SEARCH_RESULTS_READY);
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].lParam, kResultsPartial);
    EXPECT_EQ(posted[1].lParam, kResultsFinal);
    EXPECT_EQ(posted[1].wParam, g_searchGeneration.load());

    g_seen.clear();
    EXPECT_EQ(Search(L"match_1")->size(), 1111u);  // 1, 10-19, 100-199, 1000-1999
    EXPECT_EQ(g_seen.size(), 1u);

    g_seen.clear();
    EXPECT_EQ(Search(L" \u4e2d ")->size(), 5000u);  // a single CJK character: no partial set
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(g_seen[0].kind, kResultsFinal);
}

TEST_F(SearchTest, StaleTaskPublishesNothing) {
    auto v = MakeSyntheticVolume(L"D:");
    for (int i = 0; i < 4000; ++i) AddSyntheticRecord(*v, 100 + i, 5, L"file" + std::to_wstring(i));
    InstallOne(std::move(v));
    const uint64_t gen = ++g_searchGeneration;
    ++g_searchGeneration;  // a newer keystroke
    auto before = GetResultsSnapshot();
    RunNameSearchTask(L"file", gen, false);
    EXPECT_EQ(GetResultsSnapshot(), before);
    EXPECT_TRUE(g_seen.empty());
    EXPECT_TRUE(Drain(WM_SEARCH_RESULTS_READY).empty());
}

TEST_F(SearchTest, TermsConnectorsPinyinAndSort) {
    auto v = MakeSyntheticVolume(L"D:");
    AddSyntheticRecord(*v, 100, 5, L"Annual Report 2024.docx");
    AddSyntheticRecord(*v, 101, 5, L"report draft.txt");
    AddSyntheticRecord(*v, 102, 5, L"\u5317\u4eac\u5730\u56fe.png");
    AddSyntheticRecord(*v, 103, 5, L"Beijing.txt");
    AddSyntheticRecord(*v, 104, 5, L"deleted report");
    v->records.back().deleted = 1;
    InstallOne(std::move(v));

    g_sortColumn.store(3);
    EXPECT_EQ(Names(Search(L"report and 2024")), (std::vector<std::wstring>{L"Annual Report 2024.docx"}));
    EXPECT_EQ(g_sortColumn.load(), -1);  // a new search is unsorted
    EXPECT_EQ(Search(L"report")->size(), 2u);
    EXPECT_EQ(Search(L"draft or png")->size(), 2u);
    EXPECT_EQ(Names(Search(L"bj")), (std::vector<std::wstring>{L"\u5317\u4eac\u5730\u56fe.png"}));
    EXPECT_TRUE(Search(L"bj and x")->empty());
    g_initialSearchEnabled = false;
    EXPECT_TRUE(Search(L"bj")->empty());
    EXPECT_EQ(Search(L"\"\"")->size(), 4u);  // no term groups: every live record
    EXPECT_EQ(Search(L"\\")->size(), 4u);
}

TEST_F(SearchTest, ScopeAndBusyVolumes) {
    std::vector<std::unique_ptr<VolumeIndex>> list;
    for (wchar_t letter : {L'D', L'E'}) {
        auto v = MakeSyntheticVolume(std::wstring(1, letter) + L":");
        AddSyntheticRecord(*v, 100, 5, L"same.txt");
        list.push_back(std::move(v));
    }
    VolumeIndex* d = list[0].get();
    VolumeIndex* e = list[1].get();
    testfx::InstallVolumes(std::move(list));

    EXPECT_EQ(Search(L"same")->size(), 2u);
    g_searchScope.store(3);  // the second volume only
    auto set = Search(L"same");
    ASSERT_EQ(set->size(), 1u);
    EXPECT_EQ((*set)[0].volume, e);
    g_searchScope.store(9);  // a vanished drive's position
    EXPECT_TRUE(Search(L"same")->empty());
    g_searchScope.store(0);

    e->building.store(true);
    EXPECT_EQ(Search(L"same")->size(), 1u);
    e->building.store(false);
    AcquireSRWLockExclusive(&d->indexLock);  // a USN batch holds the lock for writing
    set = Search(L"same");
    ReleaseSRWLockExclusive(&d->indexLock);
    ASSERT_EQ(set->size(), 1u);
    EXPECT_EQ((*set)[0].volume, e);
}

TEST_F(SearchTest, FolderScopes) {
    InstallOne(MakeTree());
    struct Case {
        std::wstring query;
        std::vector<std::wstring> names;
    };
    const Case cases[] = {
        {L"C:\\Windows", {L"Windows", L"notepad.exe", L"notepad.dll", L"System32"}},
        {L"c:/windows/", {L"Windows", L"notepad.exe", L"notepad.dll", L"System32"}},
        {L"C:\\Windows and notepad", {L"notepad.exe", L"notepad.dll"}},
        {L"C:\\Windows\\System32", {L"System32", L"notepad.dll"}},
        {L"C:\\Windows\\notepad.exe", {L"notepad.exe"}},
        {L"C:\\Windows\\missing", {}},
        {L"C:\\", {L"Windows", L"WindowsApps", L"notepad.exe", L"notepad.appx", L"readme.txt", L"notepad.dll",
                   L"System32", L"orphan.txt"}},
        {L"\"C:\\\" or readme", {L"readme.txt"}},
        {L"Q:\\Windows", {}},  // a drive that is not indexed
    };
    g_searchScope.store(2);  // a one-drive scope is ignored for a folder scope
    for (const auto& c : cases) EXPECT_EQ(Names(Search(c.query)), c.names) << testing::PrintToString(c.query);
}

TEST_F(SearchTest, PathResolution) {
    InstallOne(MakeTree());
    VolumeIndex* v = g_searchEngine.volumes[0].get();
    std::wstring name, full, folder;
    ASSERT_TRUE(GetMatchItemPath(MatchItem{v, 4}, name, full, folder));
    EXPECT_EQ(name, L"readme.txt");
    EXPECT_EQ(full, L"C:\\readme.txt");
    EXPECT_EQ(folder, L"C:");
    ASSERT_TRUE(GetMatchItemPath(MatchItem{v, 5}, name, full, folder));
    EXPECT_EQ(full, L"C:\\Windows\\System32\\notepad.dll");
    EXPECT_EQ(folder, L"C:\\Windows\\System32");
    EXPECT_FALSE(GetMatchItemPath(MatchItem{v, 7}, name, full, folder));   // broken parent chain
    EXPECT_FALSE(GetMatchItemPath(MatchItem{v, 8}, name, full, folder));   // deleted
    EXPECT_FALSE(GetMatchItemPath(MatchItem{v, 99}, name, full, folder));  // out of range
    EXPECT_FALSE(GetMatchItemPath(MatchItem{}, name, full, folder));

    MatchItem found;
    ASSERT_TRUE(FindMatchItemByPath(L"c:/WINDOWS/system32/NOTEPAD.DLL", found));
    EXPECT_EQ(found, (MatchItem{v, 5}));
    EXPECT_FALSE(FindMatchItemByPath(L"C:", found));
    EXPECT_FALSE(FindMatchItemByPath(L"C:\\Windows\\gone.txt", found));
    EXPECT_FALSE(FindMatchItemByPath(L"D:\\readme.txt", found));
    EXPECT_FALSE(FindMatchItemByPath(L"C:\\orphan.txt", found));
}

TEST_F(SearchTest, ListingRestoresSortAndAsksForResort) {
    InstallOne(MakeTree());
    for (int column : {2, 1}) {
        const uint64_t gen = ++g_searchGeneration;
        RunScopeListingTask(gen, -1, 0, L"", column, false);
        EXPECT_EQ(GetResultsSnapshot()->size(), 8u);
        EXPECT_EQ(g_sortColumn.load(), column);
        EXPECT_FALSE(g_sortAscending.load());
        auto resort = Drain(WM_RESORT_RESULTS);
        if (column == 2) {
            ASSERT_EQ(resort.size(), 1u);
            EXPECT_EQ(resort[0].wParam, 2u);
            EXPECT_EQ(resort[0].lParam, 0);
        } else {
            EXPECT_TRUE(resort.empty());
        }
    }
}

}  // namespace

namespace {

// Waits (pumping this thread's messages) for a message to the window; false on timeout.
bool WaitForMessage(HWND window, UINT message, MSG* out, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (GetTickCount64() < end) {
        MSG m;
        while (PeekMessageW(&m, window, 0, 0, PM_REMOVE)) {
            if (m.message == message) {
                *out = m;
                return true;
            }
            if (m.message == WM_SEARCH_STATUS_TEXT) delete reinterpret_cast<std::wstring*>(m.lParam);
        }
        Sleep(5);
    }
    return false;
}

TEST_F(SearchTest, IndexNotReadyShowsRetryTextAndArmsTimer) {
    testfx::InstallVolumes({});
    HWND status = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    g_hStatusText = status;
    const uint64_t before = g_searchGeneration.load();
    DoSearchAsync(L"  report  ", false, false);
    EXPECT_EQ(g_searchGeneration.load(), before + 1);
    EXPECT_EQ(g_currentQuery, L"report");
    wchar_t text[256] = {};
    GetWindowTextW(status, text, 256);
    EXPECT_EQ(std::wstring(text), Tr(L"Status_IndexNotReadyRetry",
                                     L"\u7d22\u5f15\u5c1a\u672a\u5c31\u7eea\uff0c\u6b63\u5728\u81ea\u52a8\u91cd\u8bd5\u641c\u7d22...",
                                     L"Index is still initializing. Retrying search shortly..."));
    MSG m{};
    ASSERT_TRUE(WaitForMessage(window_, WM_TIMER, &m, 3000));
    EXPECT_EQ(m.wParam, TIMER_SEARCH_DEBOUNCE);
    KillTimer(window_, TIMER_SEARCH_DEBOUNCE);
    g_hStatusText = nullptr;
    DestroyWindow(status);
}

TEST_F(SearchTest, AsyncRoadsPublishForTheirGeneration) {
    InstallOne(MakeTree());
    g_suppressRecentView.store(false);
    DoSearchAsync(L"notepad", false, false);  // "do_search"
    MSG m{};
    ASSERT_TRUE(WaitForMessage(window_, WM_SEARCH_RESULTS_READY, &m, 5000));
    EXPECT_EQ(m.wParam, g_searchGeneration.load());
    EXPECT_EQ(GetResultsSnapshot()->size(), 3u);

    g_showRecentOnEmpty = false;
    DoSearchAsync(L" ", false, false);  // a blank query is the empty query: the (empty) recent view
    ASSERT_TRUE(WaitForMessage(window_, WM_SEARCH_RESULTS_READY, &m, 5000));
    EXPECT_EQ(m.wParam, g_searchGeneration.load());
    EXPECT_TRUE(GetResultsSnapshot()->empty());
    g_showRecentOnEmpty = true;

    // While a listing is shown for the empty box, the recent view does not replace it.
    g_suppressRecentView.store(true);
    const uint64_t gen = g_searchGeneration.load();
    DoSearchAsync(L"", false, true);
    EXPECT_EQ(g_searchGeneration.load(), gen + 1);
    EXPECT_FALSE(WaitForMessage(window_, WM_SEARCH_RESULTS_READY, &m, 300));
    g_suppressRecentView.store(false);
}

}  // namespace

namespace {

// Names of many shapes: words, digits, upper case, CJK (with pinyin initials), dots, spaces.
std::wstring MixedName(uint32_t i) {
    static const wchar_t* words[] = {L"Report", L"budget", L"photo", L"zebra", L"QUOKKA", L"notes", L"a b", L"x.y"};
    static const wchar_t cjk[] = {0x5317, 0x4eac, 0x5730, 0x56fe, 0x4e2d, 0x6587};
    uint32_t s = i * 2654435761u + 12345u;
    auto next = [&] { return (s = s * 1103515245u + 12345u) >> 16; };
    std::wstring n;
    for (uint32_t k = 0, parts = 1 + next() % 3; k < parts; ++k) {
        if (next() % 4 == 0) {
            n.push_back(cjk[next() % std::size(cjk)]);
            n.push_back(cjk[next() % std::size(cjk)]);
        } else {
            n += words[next() % std::size(words)];
        }
        n += std::to_wstring(next() % 1000);
    }
    if (next() % 2) n += L".txt";
    return n;
}

}  // namespace

// Blocks passed by through their signatures never lose a match: every query gives the same rows
// from unsigned blocks (first search) and signed ones (second search), pinyin initials included
// even when the blocks were signed while initial search was off.
TEST_F(SearchTest, SignaturesNeverHideAMatch) {
    auto v = MakeSyntheticVolume(L"D:");
    for (uint32_t i = 0; i < 6000; ++i) AddSyntheticRecord(*v, 100 + i, 5, MixedName(i));
    for (uint32_t i = 0; i < 6000; i += 97) v->records[i].deleted = 1;
    VolumeIndex* vol = v.get();
    InstallOne(std::move(v));

    const wchar_t* queries[] = {L"zebra", L"REPORT4", L"quokka and 7", L"zebra9 or budget12", L"bj", L"bjd",
                                L"zw", L"\u5317", L"\u5317\u4eac", L"x.y", L"a b", L"9", L"t or 12 and photo",
                                L"notfoundanywhere", L"\"\""};
    for (bool initialsWhenSigning : {true, false}) {
        for (const wchar_t* q : queries) {
            vol->nameSignatures.Clear();
            g_initialSearchEnabled = initialsWhenSigning;
            Search(L"e");  // signs every complete block
            ASSERT_NE(vol->nameSignatures.Find(0), nullptr);
            g_initialSearchEnabled = true;
            const auto signedRows = Names(Search(q));
            vol->nameSignatures.Clear();
            EXPECT_EQ(signedRows, Names(Search(q))) << testing::PrintToString(std::wstring(q));
        }
    }
    EXPECT_EQ(Search(L"notfoundanywhere")->size(), 0u);
    EXPECT_GT(Search(L"bj")->size(), 10u);
    EXPECT_GT(Search(L"zebra9 or budget12")->size(), 10u);
}

// A build signs every complete block as its parser goes (on the helper threads), with the bits
// the search's own signing gives; the last, incomplete block is left unsigned. Rows are the same
// from the build's signatures as without any.
TEST_F(SearchTest, ABuildSignsItsBlocksAsTheSearchWould) {
    constexpr uint32_t kNames = 40010;  // several sign jobs and an incomplete last block
    auto v = MakeSyntheticVolume(L"D:");
    VolumeIndex* vol = v.get();
    {
        UsnBuildQueue q;
        q.volume = vol;
        std::vector<usntest::Entry> batch;
        auto flush = [&] {
            auto* b = new UsnBatch;
            b->data = usntest::MakeBuffer(0, batch);
            b->bytesReturned = static_cast<uint32_t>(b->data.size());
            q.queue.push_back(b);
            batch.clear();
        };
        for (uint32_t i = 0; i < kNames; ++i) {
            usntest::Entry e;
            e.frn = 100 + i;
            e.name = MixedName(i);
            batch.push_back(e);
            if (batch.size() == 500) flush();
        }
        flush();
        q.stop = true;
        AcquireSRWLockExclusive(&vol->indexLock);
        UsnRecordWorkerThread(&q);
        ReleaseSRWLockExclusive(&vol->indexLock);
    }
    ASSERT_EQ(vol->records.size(), kNames);
    constexpr size_t kBlocks = kNames / NameSignatures::kBlockRecords;
    ASSERT_EQ(vol->nameSignatures.SignedBlocks(), kBlocks);
    EXPECT_EQ(vol->nameSignatures.Find(kBlocks), nullptr);
    std::vector<uint64_t> built;
    for (size_t b = 0; b < kBlocks; ++b) {
        const uint64_t* bits = vol->nameSignatures.Find(b);
        ASSERT_NE(bits, nullptr) << b;
        built.insert(built.end(), bits, bits + NameSignatures::kBlockWords);
    }
    InstallOne(std::move(v));

    const wchar_t* queries[] = {L"zebra", L"quokka and 7", L"bj", L"\u5317\u4eac", L"x.y", L"notfoundanywhere"};
    std::vector<std::vector<std::wstring>> fromBuild;
    for (const wchar_t* q : queries) fromBuild.push_back(Names(Search(q)));
    vol->nameSignatures.Clear();
    for (size_t i = 0; i < std::size(queries); ++i)
        EXPECT_EQ(fromBuild[i], Names(Search(queries[i]))) << testing::PrintToString(std::wstring(queries[i]));
    EXPECT_GT(fromBuild[2].size(), 10u);
    ASSERT_EQ(vol->nameSignatures.SignedBlocks(), kBlocks);  // signed again by the searches
    for (size_t b = 0; b < kBlocks; ++b)
        EXPECT_TRUE(std::equal(built.begin() + b * NameSignatures::kBlockWords, built.begin() + (b + 1) * NameSignatures::kBlockWords,
                               vol->nameSignatures.Find(b)))
            << "block " << b;
}

// A signed block follows its records: renames (in place and by the journal), records appended
// to the last block, and a rebuild.
TEST_F(SearchTest, SignedBlocksFollowTheRecords) {
    auto v = MakeSyntheticVolume(L"D:");
    for (int i = 0; i < 150; ++i) AddSyntheticRecord(*v, 100 + i, 5, L"file_" + std::to_wstring(i) + L".txt");
    VolumeIndex* vol = v.get();
    InstallOne(std::move(v));

    // A stale search gives back the blocks it claimed; the next one signs them.
    const uint64_t stale = ++g_searchGeneration;
    ++g_searchGeneration;
    RunNameSearchTask(L"file", stale, false);
    EXPECT_EQ(vol->nameSignatures.Find(0), nullptr);
    EXPECT_EQ(Search(L"file")->size(), 150u);
    ASSERT_NE(vol->nameSignatures.Find(1), nullptr);
    EXPECT_EQ(vol->nameSignatures.Find(2), nullptr);  // the last block is not complete

    AcquireSRWLockExclusive(&vol->indexLock);
    ASSERT_TRUE(vol->RenameRecord(70, L"Zebra.txt", 9));
    ASSERT_TRUE(vol->RenameRecord(71, L"\u5317\u4eac.txt", 6));
    ReleaseSRWLockExclusive(&vol->indexLock);
    EXPECT_EQ(Names(Search(L"zebra")), (std::vector<std::wstring>{L"Zebra.txt"}));
    EXPECT_EQ(Names(Search(L"bj")), (std::vector<std::wstring>{L"\u5317\u4eac.txt"}));
    EXPECT_EQ(Search(L"zebra")->size(), 1u);  // again, from the block signed anew

    for (int i = 150; i < 200; ++i) AddSyntheticRecord(*vol, 100 + i, 5, i == 190 ? L"yak.bin" : L"more.bin");
    EXPECT_EQ(Search(L"yak")->size(), 1u);
    EXPECT_NE(vol->nameSignatures.Find(2), nullptr);
    EXPECT_EQ(Search(L"yak")->size(), 1u);

    AcquireSRWLockExclusive(&vol->indexLock);
    vol->ResetContents();
    ReleaseSRWLockExclusive(&vol->indexLock);
    for (int i = 0; i < 128; ++i) AddSyntheticRecord(*vol, 100 + i, 5, L"walrus" + std::to_wstring(i));
    EXPECT_EQ(Search(L"walrus")->size(), 128u);
    EXPECT_EQ(Search(L"file")->size(), 0u);
}

// The scan threads: concurrent and nested callers each get all their work done.
TEST(ScanThreads, ConcurrentAndNestedCallersFinish) {
    std::atomic<int> total{0};
    auto run = [&total] {
        std::atomic<int> next{0};
        const std::function<void()> body = [&] {
            while (next.fetch_add(1) < 1000) total.fetch_add(1);
        };
        RunOnScanThreads(NameScanThreadCount() - 1, body);
    };
    std::vector<std::thread> callers;
    for (int i = 0; i < 4; ++i) callers.emplace_back(run);
    for (auto& c : callers) c.join();
    EXPECT_EQ(total.load(), 4000);

    total = 0;
    std::atomic<int> outer{0};
    const std::function<void()> nested = [&] {
        while (outer.fetch_add(1) < 3) run();
    };
    RunOnScanThreads(3, nested);
    EXPECT_EQ(total.load(), 3000);
}

// Result vectors are reused by later searches only once nobody holds them any more.
TEST_F(SearchTest, HeldResultSetsStayUnchanged) {
    auto v = MakeSyntheticVolume(L"D:");
    for (int i = 0; i < 300; ++i) AddSyntheticRecord(*v, 100 + i, 5, (i % 2 ? L"odd_" : L"even_") + std::to_wstring(i));
    InstallOne(std::move(v));
    const auto held = Search(L"odd");
    const std::vector<std::wstring> before = Names(held);
    ASSERT_EQ(before.size(), 150u);
    for (const wchar_t* q : {L"even", L"odd_1", L"even_2", L"zzz", L"even"}) {
        const auto other = Search(q);
        EXPECT_NE(other, held);
        EXPECT_NE(other->data(), held->data());
    }
    EXPECT_EQ(Names(held), before);
}

// The scope combo lists only available drives: its n-th drive item is the n-th available volume,
// not the n-th of the engine's list.
TEST(SearchScope, DriveItemsCountOnlyAvailableVolumes) {
    auto c = MakeVolumeIndex(), d = MakeVolumeIndex(), e = MakeVolumeIndex();
    d->available.store(false);
    const std::vector<VolumeIndex*> volumes{c.get(), d.get(), e.get()};
    EXPECT_EQ(ScopeVolumeIndex(volumes, 0), -1);
    EXPECT_EQ(ScopeVolumeIndex(volumes, 1), -1);
    EXPECT_EQ(ScopeVolumeIndex(volumes, 2), 0);
    EXPECT_EQ(ScopeVolumeIndex(volumes, 3), 2);  // the second item is E:, behind the lost D:
    EXPECT_EQ(ScopeVolumeIndex(volumes, 4), 3);  // beyond the list: no volume at all
}
