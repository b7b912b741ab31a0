// The duplicate scan as the window runs it (candidates from the index, sizes, hand-over, the
// group cache shown again), deleting copies safely, and the view's painter and layout.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>

#include "core/Paths.h"
#include "dup_test_support.h"
#include "duplicates/DupDelete.h"
#include "duplicates/DupMode.h"
#include "duplicates/DupScan.h"
#include "duplicates/Duplicates.h"
#include "results/FileActions.h"
#include "results/Results.h"
#include "support/synthetic_volume.h"
#include "ui/Ui.h"

namespace {

using duptest::Bytes;
using duptest::Put;
using GroupSet = std::set<std::set<std::wstring>>;

GroupSet ToSet(const std::vector<DupGroup>& groups) {
    GroupSet out;
    for (const DupGroup& g : groups) {
        std::set<std::wstring> s;
        for (const DupFileItem& f : g.files) s.insert(f.path);
        out.insert(s);
    }
    return out;
}

bool WaitUntil(const std::function<bool()>& done, int ms = 60000) {
    for (int i = 0; i < ms / 10; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

// Drive T: with duplicate sets, indexed by a synthetic volume whose size map the scan reuses.
class DupScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = testfx::FixtureDrive(L'T');
        if (root_.empty()) GTEST_SKIP() << "fixture drive T: not mapped";
        SetConfigDirOverride(testfx::MakeScratchDir(L"dupscan_cfg"));
        g_dupFindView.Reset();
        g_dupFindView.compareMode = DupCompareMode::SizeOnly;
        auto volume = testfx::MakeSyntheticVolume(L"T:");
        uint64_t frn = 100;
        auto file = [&](const std::wstring& name, const std::string& bytes, bool sized = true) {
            ASSERT_TRUE(Put(root_ + name, bytes));
            const uint64_t ref = frn++;
            testfx::AddSyntheticRecord(*volume, ref, 5, name);
            if (sized) volume->fileSizes[ref] = SizePair{(int64_t)bytes.size(), (int64_t)bytes.size()};
        };
        file(L"a1.bin", Bytes(5000, 1));
        file(L"a2.bin", Bytes(5000, 1));
        file(L"other.bin", Bytes(5000, 2));
        file(L"k1", Bytes(1024, 3));  // exactly the minimum size
        file(L"k2", Bytes(1024, 3));
        file(L"s1", Bytes(1023, 4));  // below it
        file(L"s2", Bytes(1023, 4));
        file(L"unsized1", Bytes(3000, 5), false);  // not in the size map: asked by path
        file(L"unsized2", Bytes(3000, 5), false);
        // The size map knows this one by its 48-bit record number only.
        ASSERT_TRUE(Put(root_ + L"r1.bin", Bytes(4000, 6)));
        ASSERT_TRUE(Put(root_ + L"r2.bin", Bytes(4000, 6)));
        testfx::AddSyntheticRecord(*volume, (7ull << 48) | 500, 5, L"r1.bin");
        testfx::AddSyntheticRecord(*volume, (7ull << 48) | 501, 5, L"r2.bin");
        volume->fileSizes[500] = SizePair{4000, 4000};
        volume->fileSizes[(9ull << 48) | 501] = SizePair{4000, 4000};
        testfx::AddSyntheticRecord(*volume, 900, 5, L"folder", true);
        std::vector<std::unique_ptr<VolumeIndex>> volumes;
        volumes.push_back(std::move(volume));
        testfx::InstallVolumes(std::move(volumes));
    }
    void TearDown() override {
        testfx::InstallVolumes({});
        SetConfigDirOverride(L"");
    }

    // Starts a scan of T: and waits for its end; the groups the view took over.
    bool ScanT(DupCompareMode mode, bool rescan = true) {
        if (!StartDupFindScanFor(nullptr, rescan, L't', mode)) return false;
        if (!WaitUntil([] { return !g_dupFindView.running.load() && RunningDupScanTasks() == 0; })) return false;
        return TakeFinishedDupScan();
    }

    std::wstring root_;
};

TEST_F(DupScanTest, ScanFromTheIndexGroupsAndShowsTheCacheNextTime) {
    ASSERT_TRUE(ScanT(DupCompareMode::Exact));
    const GroupSet expected = {{root_ + L"a1.bin", root_ + L"a2.bin"},
                               {root_ + L"k1", root_ + L"k2"},
                               {root_ + L"r1.bin", root_ + L"r2.bin"},
                               {root_ + L"unsized1", root_ + L"unsized2"}};
    EXPECT_EQ(ToSet(g_dupFindView.groups), expected);
    EXPECT_TRUE(g_dupFindView.resultsReady.load());
    EXPECT_FALSE(g_dupFindView.fromCache.load());
    EXPECT_EQ(g_dupFindView.GetStatusText(), L"Found 4 duplicate groups");
    EXPECT_EQ(g_dupFindView.groups[0].size, 5000);  // largest first
    const std::wstring dir = GetDupCacheDir();
    EXPECT_NE(GetFileAttributesW((dir + L"\\T.dup").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW((dir + L"\\files.hash").c_str()), INVALID_FILE_ATTRIBUTES);

    // A later visit shows the same groups from the cache, without scanning.
    g_dupFindView.Reset();
    g_dupFindView.compareMode = DupCompareMode::Exact;
    ASSERT_TRUE(LoadDupCache(nullptr, L't'));
    EXPECT_EQ(ToSet(g_dupFindView.groups), expected);
    EXPECT_TRUE(g_dupFindView.fromCache.load());
    EXPECT_FALSE(g_dupFindView.running.load());
    EXPECT_EQ(g_dupFindView.GetStatusText(), L"Loaded cache: 4 duplicate groups");
    // "Scan" (not "Rescan") shows it too.
    g_dupFindView.Reset();
    ASSERT_TRUE(StartDupFindScanFor(nullptr, false, L'T', DupCompareMode::Exact));
    EXPECT_FALSE(g_dupFindView.running.load());
    EXPECT_TRUE(g_dupFindView.fromCache.load());

    // Another compare mode, or another index, does not match.
    g_dupFindView.Reset();
    g_dupFindView.compareMode = DupCompareMode::Fast;
    EXPECT_FALSE(LoadDupCache(nullptr, L'T'));
    EXPECT_TRUE(g_dupFindView.groups.empty());
    g_dupFindView.compareMode = DupCompareMode::Exact;
    {
        std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
        testfx::AddSyntheticRecord(*g_searchEngine.volumes[0], 777, 5, L"new.txt");
    }
    EXPECT_FALSE(LoadDupCache(nullptr, L'T'));
}

TEST_F(DupScanTest, SizeOnlyAndFastModesSayWhatTheyFound) {
    ASSERT_TRUE(ScanT(DupCompareMode::SizeOnly));
    // other.bin has a5000's size and extension: the size-only group holds all three.
    bool three = false;
    for (const DupGroup& g : g_dupFindView.groups) three = three || g.files.size() == 3;
    EXPECT_TRUE(three);
    EXPECT_EQ(g_dupFindView.GetStatusText(), L"Found 4 size groups (no hash)");
    ASSERT_TRUE(ScanT(DupCompareMode::Fast));
    EXPECT_EQ(g_dupFindView.GetStatusText(), L"Found 4 groups (fast mode)");
}

TEST_F(DupScanTest, CancelLeavesNoGroupsAndNoCache) {
    const std::wstring cache = GetDupCachePath(L'T');
    DeleteFileW(cache.c_str());
    ASSERT_TRUE(StartDupFindScanFor(nullptr, true, L'T', DupCompareMode::Exact));
    g_dupFindView.paused = true;  // the hash workers wait
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    if (!g_dupFindView.running.load()) GTEST_SKIP() << "the scan ended before it could be paused";
    EXPECT_TRUE(g_dupFindView.running.load());
    RequestDupScanStop();
    ASSERT_TRUE(WaitUntil([] { return !g_dupFindView.running.load() && RunningDupScanTasks() == 0; }, 5000));
    EXPECT_EQ(g_dupFindView.GetStatusText(), L"Scan cancelled");
    EXPECT_FALSE(TakeFinishedDupScan());
    EXPECT_TRUE(g_dupFindView.groups.empty());
    EXPECT_EQ(GetFileAttributesW(cache.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(DupScanTest, NewerScanSupersedesTheRunningOne) {
    ASSERT_TRUE(StartDupFindScanFor(nullptr, true, L'T', DupCompareMode::Exact));
    g_dupFindView.paused = true;
    const uint64_t first = g_dupScanGeneration.load();
    ASSERT_TRUE(StartDupFindScanFor(nullptr, true, L'T', DupCompareMode::Exact));  // Rescan while running
    EXPECT_EQ(g_dupScanGeneration.load(), first + 1);
    ASSERT_TRUE(WaitUntil([] { return !g_dupFindView.running.load() && RunningDupScanTasks() == 0; }));
    ASSERT_TRUE(TakeFinishedDupScan());
    EXPECT_EQ(g_dupFindView.groups.size(), 4u);
}

TEST_F(DupScanTest, AScanWaitsForAnIndexStillBeingBuilt) {
    VolumeIndex* volume = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
        volume = g_searchEngine.volumes[0].get();
    }
    volume->building = true;
    ASSERT_TRUE(StartDupFindScanFor(nullptr, true, L'T', DupCompareMode::Exact));
    Sleep(300);
    EXPECT_TRUE(g_dupFindView.running.load());
    // The build adds a duplicate pair before it ends: the scan sees it.
    ASSERT_TRUE(Put(root_ + L"late1.bin", Bytes(2000, 7)));
    ASSERT_TRUE(Put(root_ + L"late2.bin", Bytes(2000, 7)));
    {
        SrwExclusive lock(volume->indexLock);
        testfx::AddSyntheticRecord(*volume, 950, 5, L"late1.bin");
        testfx::AddSyntheticRecord(*volume, 951, 5, L"late2.bin");
    }
    volume->building = false;
    ASSERT_TRUE(WaitUntil([] { return !g_dupFindView.running.load() && RunningDupScanTasks() == 0; }));
    ASSERT_TRUE(TakeFinishedDupScan());
    EXPECT_EQ(g_dupFindView.groups.size(), 5u);
}

TEST_F(DupScanTest, WithoutAnIndexTheDriveIsWalked) {
    testfx::InstallVolumes({});
    ASSERT_TRUE(ScanT(DupCompareMode::Exact));
    EXPECT_EQ(g_dupFindView.groups.size(), 4u);
    EXPECT_EQ(g_dupFindView.GetStatusText(), L"Found 4 duplicate groups");
}

// ---------------------------------------------------------------------------------------------
// Deleting

int AnswerNo(HWND, const std::wstring&, const std::wstring&, UINT) { return IDNO; }
int g_boxes = 0;
// Counts the boxes and answers Yes to a question.
int CountBox(HWND, const std::wstring&, const std::wstring&, UINT type) {
    ++g_boxes;
    return (type & 0xF) == MB_YESNO ? IDYES : IDOK;
}

DupGroup Group(int64_t size, std::vector<std::wstring> paths) {
    DupGroup g{size, std::wstring(64, L'a'), {}, 0};
    for (auto& p : paths) g.files.push_back({p, size, 0});
    g.totalBytes = DupGroupTotalBytes(g);
    return g;
}

TEST(DupDeleteEdit, DeletedPathsLeaveEveryGroup) {
    DuplicateFindView v;
    v.groupListRect = RECT{0, 0, 200, 500};
    v.fileListRect = RECT{300, 0, 500, 500};
    v.SetResults({Group(300, {L"X:\\p1", L"X:\\p2"}), Group(200, {L"X:\\t1", L"X:\\t2", L"X:\\t3"}),
                  Group(100, {L"X:\\q1", L"X:\\Q2", L"X:\\T1"})},
                 false);
    // Group order after SetResults: 900 (t), 600 (p), 300 (q).
    v.SelectGroup(1);
    v.SelectFile(0);
    DupApplyDeletedPaths(v, {L"x:\\P1", L"X:\\t1"});  // case ignored; t1 is listed in two groups
    ASSERT_EQ(v.groups.size(), 2u);  // the pair lost a member and went
    EXPECT_EQ(v.groups[0].files.size(), 2u);
    EXPECT_EQ(v.groups[0].totalBytes, 400);
    EXPECT_EQ(v.groups[1].files.size(), 2u);  // X:\T1 went too
    EXPECT_EQ(v.totalBytes, 600u);
    EXPECT_EQ(v.totalFiles, 4u);
    EXPECT_EQ(v.selectedGroup, 1);  // the group that moved into its place
    EXPECT_TRUE(v.selectedFiles.empty());
    EXPECT_EQ(v.focusFile, -1);
    DupApplyDeletedPaths(v, {L"X:\\q1", L"X:\\t2"});
    EXPECT_TRUE(v.groups.empty());
    EXPECT_EQ(v.selectedGroup, -1);
    EXPECT_EQ(v.totalBytes, 0u);
}

class DupDeleteTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = testfx::FixtureDrive(L'T');
        if (root_.empty()) GTEST_SKIP() << "fixture drive T: not mapped";
    }
    void TearDown() override { SetFileActionMessageBox(nullptr); }
    std::wstring root_;
};

// The kept copy is another file with the same content, read now: every case reads the files as
// they are, whatever the group says about them.
TEST_F(DupDeleteTest, AnotherCopyMustStay) {
    const std::string body = Bytes(3000, 9);
    std::string changed = body;
    changed[2999] ^= 1;
    for (const wchar_t* name : {L"c1", L"c2", L"c3", L"d1", L"h1", L"e1", L"e3"}) ASSERT_TRUE(Put(root_ + name, body));
    ASSERT_TRUE(Put(root_ + L"d2", changed));  // same size, other content since the scan
    ASSERT_TRUE(Put(root_ + L"e2", changed));
    ASSERT_TRUE(CreateHardLinkW((root_ + L"h2").c_str(), (root_ + L"h1").c_str(), nullptr));
    const DupGroup copies = Group(3000, {root_ + L"c1", root_ + L"c2", root_ + L"c3"});
    const DupGroup drifted = Group(3000, {root_ + L"d1", root_ + L"d2"});
    const DupGroup linked = Group(3000, {root_ + L"h1", root_ + L"h2"});
    const DupGroup gone = Group(3000, {root_ + L"c1", root_ + L"missing"});
    const DupGroup laterCopy = Group(3000, {root_ + L"e1", root_ + L"e2", root_ + L"e3"});
    struct Case {
        const char* name;
        const DupGroup* group;
        std::vector<std::wstring> paths;
        DupKeepCheck expected;
        std::wstring kept;
    } cases[] = {
        {"copy stays", &copies, {root_ + L"c2"}, DupKeepCheck::Ok, root_ + L"c1"},
        {"all selected", &copies, {root_ + L"c1", root_ + L"C2", root_ + L"c3"}, DupKeepCheck::NothingLeft, L""},
        {"kept one changed", &drifted, {root_ + L"d1"}, DupKeepCheck::NoOtherCopy, L""},
        {"selected one changed", &drifted, {root_ + L"d2"}, DupKeepCheck::NoOtherCopy, L""},
        {"selected ones differ", &laterCopy, {root_ + L"e1", root_ + L"e2"}, DupKeepCheck::NoOtherCopy, L""},
        {"a later member stays", &laterCopy, {root_ + L"e1"}, DupKeepCheck::Ok, root_ + L"e3"},
        {"same file twice", &linked, {root_ + L"h1"}, DupKeepCheck::NoOtherCopy, L""},
        {"kept one missing", &gone, {root_ + L"c1"}, DupKeepCheck::NoOtherCopy, L""},
    };
    for (const Case& c : cases) {
        DupKeepProof proof;
        EXPECT_EQ(DupCheckKeptCopy(*c.group, c.paths, nullptr, nullptr, &proof), c.expected) << c.name;
        EXPECT_EQ(proof.kept.path, c.kept) << c.name;
    }
    // Progress counts the bytes read, of what goes and of the copy that stays.
    uint64_t lastDone = 0, lastTotal = 0;
    DupKeepProof proof;
    ASSERT_EQ(DupCheckKeptCopy(copies, {root_ + L"c3"}, nullptr,
                               [&](uint64_t done, uint64_t total) {
                                   lastDone = done;
                                   lastTotal = total;
                               },
                               &proof),
              DupKeepCheck::Ok);
    EXPECT_EQ(lastDone, 6000u);
    EXPECT_EQ(lastTotal, 6000u);
    // While the proof is kept, no program can write to the files read (the user may take a while
    // to answer the question before a permanent deletion); the kept copy and the selected one
    // can still be read. Once let go, the copy that stays is no longer vouched for.
    EXPECT_TRUE(DupKeepProofStillHolds(proof));
    EXPECT_FALSE(Put(root_ + L"c1", changed));
    EXPECT_FALSE(Put(root_ + L"c3", changed));
    EXPECT_EQ(testfx::ReadFileBytes(root_ + L"c1"), body);
    EXPECT_TRUE(DupKeepProofStillHolds(proof));
    proof = DupKeepProof{};
    ASSERT_TRUE(Put(root_ + L"c1", changed));
    EXPECT_FALSE(DupKeepProofStillHolds(proof));
    // A file another program has open for writing may change under the check: it is neither
    // deleted nor trusted as the copy that stays.
    ASSERT_TRUE(Put(root_ + L"c1", body));
    {
        UniqueHandle writer(CreateFileW((root_ + L"c1").c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(writer);
        DupKeepProof other;
        EXPECT_EQ(DupCheckKeptCopy(copies, {root_ + L"c3"}, nullptr, nullptr, &other), DupKeepCheck::Ok);
        EXPECT_EQ(other.kept.path, root_ + L"c2");
        EXPECT_EQ(DupCheckKeptCopy(copies, {root_ + L"c1"}, nullptr, nullptr, nullptr), DupKeepCheck::NoOtherCopy);
    }
    const std::atomic<bool> cancel{true};
    EXPECT_EQ(DupCheckKeptCopy(copies, {root_ + L"c3"}, &cancel, nullptr, nullptr), DupKeepCheck::Cancelled);
}

// A host process (bound by no Windows sharing) writes over a file's first bytes and puts its size
// and times back.
bool HostRewriteKeepingTime(const std::string& hostPath) {
    return testfx::RunHostCommand("python3 -c \"import os,sys; p=sys.argv[1]; st=os.stat(p); "
                                  "f=open(p,'r+b'); f.write(b'rewritten'); f.close(); "
                                  "os.utime(p, ns=(st.st_atime_ns, st.st_mtime_ns))\" '" +
                                  hostPath + "'") == 0;
}

// Another Windows program writes over a file's first byte; true when it could.
bool WriteOver(const std::wstring& path) {
    UniqueHandle f(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr));
    DWORD wrote = 0;
    return f && WriteFile(f.get(), "x", 1, &wrote, nullptr) && wrote == 1;
}

// What may happen to the files between the reading and the deletion (while a question is open),
// and what the last look then says. Windows programs are kept out by the holds: the copy that
// stays cannot be written, deleted or renamed, a selected copy cannot be written. A host process
// is bound by no sharing and can put a file's size and last-write time back: the change time
// tells.
TEST_F(DupDeleteTest, LastLookBeforeDeleting) {
    const std::string host = testfx::FixtureDriveHostPath(L'T');
    ASSERT_FALSE(host.empty());
    const std::string body = Bytes(4000, 21);
    const std::wstring kept = root_ + L"lk", leaving = root_ + L"ls";
    auto hostRewrite = [&](const char* name) { return HostRewriteKeepingTime(host + "/" + name); };
    auto writeOver = WriteOver;
    struct Case {
        const char* name;
        std::function<bool()> act;  // true when the act went through
        bool acts;                  // whether it may
        bool keptHolds, leavingUnchanged;
    } cases[] = {
        {"nothing happens", [] { return true; }, true, true, true},
        {"a program deletes the kept copy", [&] { return DeleteFileW(kept.c_str()) != FALSE; }, false, true, true},
        {"a program renames the kept copy", [&] { return MoveFileW(kept.c_str(), (kept + L"x").c_str()) != FALSE; },
         false, true, true},
        {"a program writes the kept copy", [&] { return writeOver(kept); }, false, true, true},
        {"a program writes the selected copy", [&] { return writeOver(leaving); }, false, true, true},
        {"the host rewrites the kept copy, time put back", [&] { return hostRewrite("lk"); }, true, false, true},
        {"the host rewrites the selected copy, time put back", [&] { return hostRewrite("ls"); }, true, true, false},
        {"the host puts another file under the kept copy's name",
         [&] { return testfx::RunHostCommand("cd '" + host + "' && cp lk lk2 && mv lk2 lk") == 0; }, true, false,
         true},
    };
    const DupGroup group = Group(4000, {leaving, kept});
    for (const Case& c : cases) {
        ASSERT_TRUE(Put(kept, body) && Put(leaving, body)) << c.name;
        DeleteFileW((kept + L"x").c_str());
        DupKeepProof proof;
        ASSERT_EQ(DupCheckKeptCopy(group, {leaving}, nullptr, nullptr, &proof), DupKeepCheck::Ok) << c.name;
        ASSERT_EQ(proof.kept.path, kept);
        EXPECT_EQ(c.act(), c.acts) << c.name;
        EXPECT_EQ(DupKeptCopyStillHolds(proof), c.keptHolds) << c.name;
        EXPECT_EQ(DupLeavingCopyUnchanged(proof, leaving, true), c.leavingUnchanged) << c.name;
        EXPECT_EQ(DupKeepProofStillHolds(proof), c.keptHolds && c.leavingUnchanged) << c.name;
        proof = DupKeepProof{};
        if (!c.acts) {
            EXPECT_TRUE(testfx::ReadFileBytes(kept) == body) << c.name << ": the kept copy changed";
        }
    }
    // A selected copy let go before its deletion and taken again when it did not go: taken only
    // while it is still the file read, unchanged, and then held against writing again.
    ASSERT_TRUE(Put(kept, body) && Put(leaving, body));
    DupKeepProof proof;
    ASSERT_EQ(DupCheckKeptCopy(group, {leaving}, nullptr, nullptr, &proof), DupKeepCheck::Ok);
    DupReleaseLeavingCopy(proof, leaving);
    EXPECT_FALSE(DupLeavingCopyUnchanged(proof, leaving, true));  // not held
    ASSERT_TRUE(DupHoldLeavingCopyAgain(proof, leaving));
    EXPECT_FALSE(writeOver(leaving));
    DupReleaseLeavingCopy(proof, leaving);
    ASSERT_TRUE(hostRewrite("ls"));
    EXPECT_FALSE(DupHoldLeavingCopyAgain(proof, leaving));
    EXPECT_FALSE(DupLeavingCopyUnchanged(proof, leaving));
}

// The view's delete runs its check as a task and acts on the done message: a message-only window
// takes the messages the main window would.
LRESULT CALLBACK CheckWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (HandleDupDeleteCheckMessage(window, msg, wParam, lParam)) return 0;
    return DefWindowProcW(window, msg, wParam, lParam);
}

HWND MakeCheckWindow() {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = CheckWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"DupDeleteCheckTest";
        return RegisterClassW(&wc) != 0;
    }();
    if (!registered) return nullptr;
    return CreateWindowExW(0, L"DupDeleteCheckTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// Dispatches the window's messages until no check runs (false after the time limit).
bool PumpUntilChecked(int ms = 30000) {
    const uint64_t end = GetTickCount64() + ms;
    while (GetTickCount64() < end) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        if (!IsDupDeleteCheckRunning()) return true;
        Sleep(5);
    }
    return false;
}

std::vector<std::wstring> g_boxTitles;
// Records each box and answers Yes to a question.
int RecordBox(HWND, const std::wstring&, const std::wstring& title, UINT type) {
    g_boxTitles.push_back(title);
    return (type & 0xF) == MB_YESNO ? IDYES : IDOK;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST_F(DupDeleteTest, ViewDeletesOnlyWithACopyLeft) {
    const std::string body = Bytes(2500, 11);
    ASSERT_TRUE(Put(root_ + L"v1", body));
    ASSERT_TRUE(Put(root_ + L"v2", body));
    ASSERT_TRUE(Put(root_ + L"v3", body));
    HWND window = MakeCheckWindow();
    ASSERT_NE(window, nullptr);
    DuplicateFindView& v = g_dupFindView;
    v.Reset();
    v.compareMode = DupCompareMode::Exact;
    v.SetResults({Group(2500, {root_ + L"v1", root_ + L"v2", root_ + L"v3"})}, true);
    SetFileActionMessageBox(&CountBox);
    g_boxes = 0;
    v.SelectAllFiles();
    EXPECT_FALSE(DeleteSelectedInDuplicateView(window, false));  // every copy selected: refused at once
    EXPECT_EQ(g_boxes, 1);
    EXPECT_FALSE(IsDupDeleteCheckRunning());
    // A permanent deletion the user declines changes nothing.
    SetFileActionMessageBox(&AnswerNo);
    v.SelectFile(0);
    ASSERT_TRUE(DeleteSelectedInDuplicateView(window, false));
    ASSERT_TRUE(PumpUntilChecked());
    EXPECT_EQ(v.groups[0].files.size(), 3u);
    EXPECT_TRUE(Exists(root_ + L"v1"));
    // A check cancelled at once (Esc) deletes nothing, even when its result is already on its way;
    // a second Delete while a check runs starts nothing.
    SetFileActionMessageBox(&CountBox);
    g_boxes = 0;
    v.SelectFile(0);
    ASSERT_TRUE(DeleteSelectedInDuplicateView(window, false));
    EXPECT_TRUE(v.deleteChecking);
    EXPECT_FALSE(DeleteSelectedInDuplicateView(window, false));
    Sleep(200);
    EXPECT_TRUE(CancelDupDeleteCheck(window));
    EXPECT_FALSE(v.deleteChecking);
    ASSERT_TRUE(PumpUntilChecked());
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_EQ(g_boxes, 0);
    EXPECT_TRUE(Exists(root_ + L"v1"));
    // One of three goes: a group of two stays.
    v.SelectFile(0);
    ASSERT_TRUE(DeleteSelectedInDuplicateView(window, false));
    ASSERT_TRUE(PumpUntilChecked());
    EXPECT_EQ(g_boxes, 1);  // the question
    EXPECT_FALSE(Exists(root_ + L"v1"));
    ASSERT_EQ(v.groups.size(), 1u);
    EXPECT_EQ(v.groups[0].files.size(), 2u);
    EXPECT_EQ(v.groups[0].totalBytes, 5000);
    EXPECT_TRUE(v.resultsReady.load());
    v.Reset();
    DestroyWindow(window);
}

// The view's delete while a question is open and another program acts, then Yes: Shift+Delete's
// question, and the question that follows a recycle the Recycle Bin did not take. The copy that
// stays keeps its bytes whatever the other program tries; a selected copy that changed is kept.
bool FailRecycle(const std::wstring&, bool) { return false; }
const DeleteMethods kNoRecycleBin{&DeletePathDirect, &FailRecycle, &FailRecycle};
std::function<void()> g_duringQuestion;
std::vector<std::wstring> g_questions;
int ActThenYes(HWND, const std::wstring& text, const std::wstring&, UINT type) {
    g_questions.push_back(text);
    if ((type & 0xF) != MB_YESNO) return IDOK;
    if (g_duringQuestion) g_duringQuestion();
    return IDYES;
}

TEST_F(DupDeleteTest, AnotherProgramActsWhileTheQuestionIsOpen) {
    const std::string host = testfx::FixtureDriveHostPath(L'T');
    ASSERT_FALSE(host.empty());
    const std::string body = Bytes(3500, 31);
    const std::wstring kept = root_ + L"qk", leaving = root_ + L"qs";
    HWND window = MakeCheckWindow();
    ASSERT_NE(window, nullptr);
    struct Case {
        const char* name;
        bool recycle;  // Delete (the Recycle Bin fails) or Shift+Delete
        std::function<bool()> act;
        bool acts;         // whether the act may go through
        bool leavingGoes;  // whether the selected copy is deleted after Yes
    } cases[] = {
        {"Shift+Delete, a program deletes the kept copy", false, [&] { return DeleteFileW(kept.c_str()) != FALSE; },
         false, true},
        {"Shift+Delete, a program renames the kept copy", false,
         [&] { return MoveFileW(kept.c_str(), (kept + L"x").c_str()) != FALSE; }, false, true},
        {"Shift+Delete, the host rewrites the selected copy", false, [&] { return HostRewriteKeepingTime(host + "/qs"); },
         true, false},
        {"no Recycle Bin, a program writes the kept copy", true, [&] { return WriteOver(kept); }, false, true},
        {"no Recycle Bin, a program deletes the kept copy", true, [&] { return DeleteFileW(kept.c_str()) != FALSE; },
         false, true},
        {"no Recycle Bin, a program writes the selected copy", true, [&] { return WriteOver(leaving); }, false, true},
        {"no Recycle Bin, the host rewrites the selected copy", true,
         [&] { return HostRewriteKeepingTime(host + "/qs"); }, true, false},
        {"no Recycle Bin, the host rewrites the kept copy", true, [&] { return HostRewriteKeepingTime(host + "/qk"); },
         true, false},
    };
    SetDeleteMethods(&kNoRecycleBin);
    SetFileActionMessageBox(&ActThenYes);
    DuplicateFindView& v = g_dupFindView;
    for (const Case& c : cases) {
        ASSERT_TRUE(Put(leaving, body) && Put(kept, body)) << c.name;
        DeleteFileW((kept + L"x").c_str());
        v.Reset();
        v.compareMode = DupCompareMode::Exact;
        v.SetResults({Group(3500, {leaving, kept})}, true);
        v.SelectGroup(0);
        v.SelectFile(0);
        ASSERT_EQ(v.GetSelectedPaths(), std::vector<std::wstring>{leaving}) << c.name;
        int acted = -1;
        g_duringQuestion = [&] {
            if (acted < 0) acted = c.act() ? 1 : 0;
        };
        g_questions.clear();
        ASSERT_TRUE(DeleteSelectedInDuplicateView(window, c.recycle)) << c.name;
        ASSERT_TRUE(PumpUntilChecked()) << c.name;
        EXPECT_EQ(acted, c.acts ? 1 : 0) << c.name;
        // The question came (after the failed recycle, the one about the Recycle Bin).
        ASSERT_FALSE(g_questions.empty()) << c.name;
        EXPECT_EQ(g_questions.front().find(L"Recycle Bin") != std::wstring::npos, c.recycle) << c.name;
        // Then nothing, or the view's refusal (no failure box of the deletion).
        EXPECT_EQ(g_questions.size(), c.leavingGoes ? 1u : 2u) << c.name;
        if (g_questions.size() == 2) {
            EXPECT_NE(g_questions.back().find(L"No other identical copy"), std::wstring::npos) << c.name;
        }
        // The copy that stays keeps its bytes when no program could touch it; the selected copy
        // goes only when both still were what was read.
        if (!c.acts) {
            EXPECT_TRUE(testfx::ReadFileBytes(kept) == body) << c.name << ": the kept copy changed";
        }
        EXPECT_NE(Exists(leaving), c.leavingGoes) << c.name;
        EXPECT_TRUE(Exists(kept)) << c.name;
    }
    g_duringQuestion = nullptr;
    SetDeleteMethods(nullptr);
    SetFileActionMessageBox(nullptr);
    v.Reset();
    DestroyWindow(window);
}

// The Recycle Bin takes the first selected copy, and meanwhile the host rewrites the second one
// (time put back): the second stays, and the box says what was not deleted, not "nothing was".
std::string g_rewriteOnRecycle;
bool RecycleAndRewriteOther(const std::wstring& path, bool) {
    // A bin on the same drive: the file moves there (it keeps its data and identity).
    const bool gone = MoveFileW(path.c_str(), (path + L".binned").c_str()) != FALSE;
    if (!g_rewriteOnRecycle.empty()) HostRewriteKeepingTime(std::exchange(g_rewriteOnRecycle, std::string()));
    return gone;
}
const DeleteMethods kRecycleRewritesOther{&DeletePathDirect, &RecycleAndRewriteOther, &FailRecycle};

TEST_F(DupDeleteTest, ACopyChangedWhileOthersWentIsReportedAsNotDeleted) {
    const std::string host = testfx::FixtureDriveHostPath(L'T');
    ASSERT_FALSE(host.empty());
    const std::string body = Bytes(3100, 41);
    const std::wstring a = root_ + L"pa", b = root_ + L"pb", kept = root_ + L"pk";
    ASSERT_TRUE(Put(a, body) && Put(b, body) && Put(kept, body));
    HWND window = MakeCheckWindow();
    ASSERT_NE(window, nullptr);
    DuplicateFindView& v = g_dupFindView;
    v.Reset();
    v.compareMode = DupCompareMode::Exact;
    v.SetResults({Group(3100, {a, b, kept})}, true);
    v.SelectGroup(0);
    v.SelectFile(0);
    v.ToggleFileSelection(1);
    ASSERT_EQ(v.GetSelectedPaths().size(), 2u);
    g_rewriteOnRecycle = host + "/pb";
    SetDeleteMethods(&kRecycleRewritesOther);
    SetFileActionMessageBox(&ActThenYes);
    g_questions.clear();
    ASSERT_TRUE(DeleteSelectedInDuplicateView(window, true));
    ASSERT_TRUE(PumpUntilChecked());
    EXPECT_FALSE(Exists(a));
    EXPECT_TRUE(Exists(a + L".binned"));
    EXPECT_TRUE(Exists(b));
    EXPECT_TRUE(testfx::ReadFileBytes(kept) == body);
    ASSERT_EQ(g_questions.size(), 1u) << std::string(g_questions.front().begin(), g_questions.front().end());
    EXPECT_NE(g_questions.back().find(L"Failed to delete 1 selected"), std::wstring::npos);
    SetDeleteMethods(nullptr);
    SetFileActionMessageBox(nullptr);
    v.Reset();
    DestroyWindow(window);
}

// ---------------------------------------------------------------------------------------------
// Writes new bytes into a file and puts its times back, as tag editors and photo tools do.
bool RewriteKeepingTime(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    FILETIME created{}, accessed{}, written{};
    DWORD wrote = 0;
    const bool ok = GetFileTime(h, &created, &accessed, &written) &&
                    WriteFile(h, bytes.data(), (DWORD)bytes.size(), &wrote, nullptr) && wrote == bytes.size() &&
                    SetFileTime(h, &created, &accessed, &written);
    CloseHandle(h);
    return ok;
}

// A fresh Exact scan, and one that took a hash from its cache: the delete reads both files now
// and refuses when the copy that would stay is not equal any more.
TEST_F(DupScanTest, DeleteReadsTheFilesNowNotTheScan) {
    ASSERT_TRUE(ScanT(DupCompareMode::Exact));
    ASSERT_TRUE(RewriteKeepingTime(root_ + L"a2.bin", Bytes(5000, 77)));
    ASSERT_TRUE(ScanT(DupCompareMode::Exact));
    // The rescan took a2.bin's hash from the cache (same path, size and time): still a group.
    bool stale = false;
    for (const DupGroup& g : g_dupFindView.groups) stale = stale || g.files[0].path == root_ + L"a1.bin";
    ASSERT_TRUE(stale);
    ASSERT_TRUE(Put(root_ + L"k2", Bytes(1024, 78)));  // changed after this scan
    HWND window = MakeCheckWindow();
    ASSERT_NE(window, nullptr);
    SetFileActionMessageBox(&RecordBox);
    for (const auto& [selected, kept] : {std::pair{L"a1.bin", L"a2.bin"}, std::pair{L"k1", L"k2"}}) {
        DuplicateFindView& v = g_dupFindView;
        for (int g = 0; g < (int)v.groups.size(); ++g) {
            for (int f = 0; f < (int)v.groups[g].files.size(); ++f) {
                if (v.groups[g].files[f].path != root_ + selected) continue;
                v.SelectGroup(g);
                v.SelectFile(f);
            }
        }
        ASSERT_EQ(v.GetSelectedPaths(), std::vector<std::wstring>{root_ + selected});
        g_boxTitles.clear();
        ASSERT_TRUE(DeleteSelectedInDuplicateView(window, false));
        ASSERT_TRUE(PumpUntilChecked());
        // Refused before any question; both files stay.
        EXPECT_EQ(g_boxTitles, std::vector<std::wstring>{L"Duplicate Files"}) << selected;
        EXPECT_TRUE(Exists(root_ + selected));
        EXPECT_TRUE(Exists(root_ + kept));
    }
    SetFileActionMessageBox(nullptr);
    DestroyWindow(window);
}

// Without the system's SHA-256 a hashing scan ends as failed instead of finding nothing; the
// size-only mode reads no content and still works.
TEST_F(DupScanTest, AScanWithoutSha256EndsAsFailed) {
    SetDupHashAlgorithmForTest(L"NO-SUCH-HASH");
    const bool taken = ScanT(DupCompareMode::Exact);
    const bool running = g_dupFindView.running.load();
    const bool ready = g_dupFindView.resultsReady.load();
    const std::wstring status = g_dupFindView.GetStatusText();
    long code = 0;
    const bool available = DupSha256Available(&code);
    const bool sizeOnly = ScanT(DupCompareMode::SizeOnly);
    SetDupHashAlgorithmForTest(nullptr);
    EXPECT_FALSE(available);
    EXPECT_NE(code, 0);
    EXPECT_FALSE(taken);
    EXPECT_FALSE(running);
    EXPECT_FALSE(ready);
    EXPECT_EQ(status, L"Scan failed: the system's SHA-256 hashing is not available.");
    EXPECT_TRUE(sizeOnly);
}

// ---------------------------------------------------------------------------------------------
// Painter and layout

TEST(DupPainter, ByteSizes) {
    const std::pair<int64_t, const wchar_t*> cases[] = {
        {0, L"0 B"},           {1023, L"1023 B"},   {1024, L"1.00 KB"},
        {10 * 1024, L"10.0 KB"}, {100 * 1024, L"100 KB"}, {1536ll * 1024 * 1024, L"1.50 GB"},
        {-5, L"0 B"},          {5ll << 40, L"5.00 TB"},
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(DupFormatByteSize(bytes), text) << bytes;
}

// Paints into a 32-bit DIB and reads pixels back.
struct Canvas {
    Canvas(int w, int h) : width(w) {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB};
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        old = SelectObject(dc, bitmap);
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    COLORREF At(int x, int y) const {
        const uint32_t p = bits[y * width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    int width;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    uint32_t* bits = nullptr;
};

TEST(DupPainter, LayoutBadgesAndTinyBars) {
    ApplyThemePalette(true);
    g_dpi = 96;
    g_clientWidth = 1000;
    g_clientHeight = 700;
    DuplicateFindView& v = g_dupFindView;
    v.Reset();
    InvalidateDupLayout();
    v.running = true;
    ComputeDupLayout();
    EXPECT_EQ(v.summaryRect.bottom - v.summaryRect.top, 168);
    EXPECT_GT(v.progressBarRect.right, v.progressBarRect.left);
    v.running = false;
    ComputeDupLayout();
    EXPECT_EQ(v.summaryRect.bottom - v.summaryRect.top, 92);
    EXPECT_EQ(v.progressBarRect.right, v.progressBarRect.left);
    EXPECT_EQ(v.groupRowHeight, 52);

    std::vector<DupGroup> groups;
    for (int i = 0; i < 4; ++i) groups.push_back(Group(1000000 - i, {L"X:\\a" + std::to_wstring(i), L"X:\\b"}));
    groups.push_back(Group(1, {L"X:\\tiny1", L"X:\\tiny2"}));
    v.SetResults(std::move(groups), false);
    v.SelectGroup(1);
    Canvas canvas(1000, 700);
    v.Paint(canvas.dc, nullptr);
    const int badgeX = v.groupListRect.left + 10 + 3;  // inside the badge, clear of its number
    auto badgeAt = [&](int row) { return canvas.At(badgeX, v.groupListRect.top + row * 52 + 26); };
    const COLORREF accent = g_uiPalette.accent;
    EXPECT_EQ(badgeAt(0), accent);
    EXPECT_EQ(badgeAt(2), accent);
    EXPECT_NE(badgeAt(3), accent);  // the fourth is grey
    EXPECT_NE(badgeAt(1), accent);  // the selected row's badge is the contrast colour
    // The last group is tiny next to the largest but still shows a bar.
    const int x0 = v.groupListRect.left + 10 + 22 + 10;
    const int barY = v.groupListRect.top + 4 * 52 + 52 - 10;
    EXPECT_NE(canvas.At(x0, barY), canvas.At(x0 + 20, barY));
    // The file list shows the selected group's files; scanning state paints without groups too.
    v.Reset();
    v.running = true;
    v.SetWorkerFile(0, L"X:\\some\\file.bin");
    InvalidateDupLayout();
    ComputeDupLayout();
    v.Paint(canvas.dc, nullptr);
    v.Reset();
}

}  // namespace

namespace {

// The mode's controls on a window of the test: the drive combo lists "All Drives", then the fixed
// drives, then the others, and the selection (or the remembered one) gives the drive.
TEST(DupModeControls, DriveComboAndSelectedDrive) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(window);
    DuplicatesWindowUnit().OnCreate(window);
    const DupControls& c = GetDupControls();
    ASSERT_TRUE(c.driveCombo && c.modeCombo && c.scanButton && c.pauseButton && c.backButton);
    std::vector<std::wstring> expected = {L"All Drives (ALL)"};
    const DWORD mask = GetLogicalDrives();
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < 26; ++i) {
            const wchar_t root[4] = {(wchar_t)(L'A' + i), L':', L'\\', 0};
            if ((mask & (1u << i)) && (GetDriveTypeW(root) == DRIVE_FIXED) == (pass == 0))
                expected.push_back(std::wstring(1, (wchar_t)(L'A' + i)) + L":");
        }
    }
    std::vector<std::wstring> items;
    const int count = (int)SendMessageW(c.driveCombo, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        wchar_t text[64] = {};
        SendMessageW(c.driveCombo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    EXPECT_EQ(items, expected);
    EXPECT_EQ(GetSelectedDupDrive(), L'*');
    EXPECT_EQ(SendMessageW(c.modeCombo, CB_GETCOUNT, 0, 0), 3);
    for (int i = 1; i < count; ++i) {
        SendMessageW(c.driveCombo, CB_SETCURSEL, i, 0);
        EXPECT_EQ(GetSelectedDupDrive(), items[i][0]);
    }
    // No selection: the remembered index, which is 0 here ('*').
    SendMessageW(c.driveCombo, CB_SETCURSEL, (WPARAM)-1, 0);
    EXPECT_EQ(GetSelectedDupDrive(), L'*');
    DestroyWindow(window);
}

}  // namespace
