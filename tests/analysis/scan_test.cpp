// The analysis scan on a fixture drive: the index is copied, sizes come from the MFT scanner
// (or one query per file when the table cannot be read), and every folder total the model holds
// equals what du measures on the host for the same folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <thread>

#include "analysis_test_support.h"
#include "core/Core.h"
#include "core/Window.h"
#include "results/FileActions.h"
#include "index/Index.h"
#include "platform/VolumeIo.h"
#include "support/fixture.h"
#include "support/synthetic_volume.h"

namespace {

class ScanEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        dir = testfx::MakeScratchDir(L"analysis-scan-config");
        SetConfigDirOverride(dir);
        VolumeIoSetStateFolder(dir);
    }
    void TearDown() override {
        VolumeIoSetStateFolder(L"");
        SetConfigDirOverride(L"");
    }
    std::wstring dir;
};
ScanEnvironment* const g_env = static_cast<ScanEnvironment*>(::testing::AddGlobalTestEnvironment(new ScanEnvironment));

// Folders of the fixture (relative, "/" separated) and files with their sizes.
const char* const kFolders[] = {"docs", "docs/deep", "docs/deep/deeper", "media", "empty"};
struct FixtureFile {
    const char* path;
    size_t size;
};
const FixtureFile kFiles[] = {{"readme.txt", 1200},          {"docs/a.doc", 40000},
                              {"docs/b.txt", 0},             {"docs/deep/c.bin", 700000},
                              {"docs/deep/deeper/d.dat", 5}, {"docs/deep/deeper/e.dat", 123457},
                              {"media/song.mp3", 3000000},   {"media/clip.mp4", 480},
                              {"media/cover.JPG", 65536}};

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

class AnalysisScanOnDrive : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = testfx::FixtureDrive(L'T');
        out_ = testfx::FixtureDrive(L'U');
        if (root_.empty() || out_.empty()) GTEST_SKIP() << "fixture drives T: and U: not mapped";
        VolumeIoResetForTests();
        VolumeIoClearScripts();
        for (const char* f : kFolders) {
            std::wstring p = root_ + Wide(f);
            for (wchar_t& c : p)
                if (c == L'/') c = L'\\';
            ASSERT_TRUE(CreateDirectoryW(p.c_str(), nullptr));
        }
        for (const FixtureFile& f : kFiles) {
            std::wstring p = root_ + Wide(f.path);
            for (wchar_t& c : p)
                if (c == L'/') c = L'\\';
            ASSERT_TRUE(testfx::WriteFileBytes(p, std::string(f.size, 'x')));
        }
        IndexDrive();
    }
    // Indexes T: as the program does (again, when it was indexed before) and gives the engine it.
    void IndexDrive() {
        if (volume_) volume_->CloseVolume();
        auto v = MakeVolumeIndex();
        ASSERT_TRUE(v->BuildNtfs(L"T:"));
        volume_ = v.get();
        std::vector<std::unique_ptr<VolumeIndex>> list;
        list.push_back(std::move(v));
        testfx::InstallVolumes(std::move(list));
    }
    void TearDown() override {
        if (volume_) volume_->CloseVolume();
        testfx::InstallVolumes({});
        VolumeIoClearScripts();
    }

    // Bytes du counts for the files under a folder of T: (apparent sizes).
    int64_t DuBytes(const std::string& folder) {
        const std::string host = testfx::FixtureDriveHostPath(L'T') + (folder.empty() ? "" : "/" + folder);
        const std::string out = testfx::FixtureDriveHostPath(L'U') + "/du.txt";
        const int rc = testfx::RunHostCommand("find '" + host + "' -type f -print0 | du -cb --files0-from=- | tail -1 | cut -f1 > '" +
                                              out + "'");
        if (rc != 0) return -1;
        return std::atoll(testfx::ReadFileBytes(out_ + L"du.txt").c_str());
    }
    // The node of a folder path under the model's root.
    const ChildEntry* Folder(const DiskAnalysisModel& m, const std::string& path) {
        uint64_t at = m.rootFrn;
        const ChildEntry* found = nullptr;
        size_t start = 0;
        while (start < path.size()) {
            const size_t slash = path.find('/', start);
            const std::wstring part = Wide(path.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
            const std::vector<ChildEntry>* kids = m.ChildrenOf(at);
            if (!kids) return nullptr;
            found = nullptr;
            for (const ChildEntry& e : *kids)
                if (std::wstring(e.name, e.nameLength) == part) found = &e;
            if (!found) return nullptr;
            at = found->frn;
            start = slash == std::string::npos ? path.size() : slash + 1;
        }
        return found;
    }
    void ExpectTotalsMatchDu(const DiskAnalysisModel& m) {
        const int64_t all = DuBytes("");
        if (all < 0) GTEST_SKIP() << "host commands cannot be run";
        EXPECT_EQ(m.RootTotalSize(), all);
        for (const char* f : kFolders) {
            const ChildEntry* e = Folder(m, f);
            ASSERT_NE(e, nullptr) << f;
            EXPECT_EQ(e->totalSize, DuBytes(f)) << f;
        }
    }

    // Analyses T: and shows the drive in the panel; false (and a failure) when no drive came out.
    bool ScanAndShow() {
        AnalysisScanOutcome out = AnalyzeVolumes({volume_}, {}, {});
        EXPECT_EQ(out.drives.size(), 1u) << testing::PrintToString(out.error);
        if (out.drives.size() != 1) return false;
        std::vector<std::unique_ptr<DriveAnalysis>> drives;
        drives.push_back(std::move(out.drives[0]));
        atest::ShowDrives(std::move(drives), false);
        return true;
    }

    std::wstring root_, out_;
    VolumeIndex* volume_ = nullptr;
};

TEST_F(AnalysisScanOnDrive, SizesFromTheTableMatchDuForEveryFolder) {
    AnalysisScanJob job = MakeAnalysisScanJob(volume_, false);
    EXPECT_TRUE(job.isNtfs);
    EXPECT_EQ(job.letter, L'T');
    EXPECT_EQ(job.fileEntries, std::size(kFiles));
    EXPECT_TRUE(job.paths.empty());
    std::vector<AnalysisScanJob> jobs;
    jobs.push_back(std::move(job));
    std::vector<std::pair<uint64_t, uint64_t>> progress;
    AnalysisScanHooks hooks;
    hooks.progress = [&](uint64_t done, uint64_t total) { progress.emplace_back(done, total); };
    AnalysisScanOutcome out = AnalyzeDrives(jobs, hooks);
    ASSERT_EQ(out.drives.size(), 1u) << testing::PrintToString(out.error);
    const DriveAnalysis& d = *out.drives[0];
    EXPECT_TRUE(d.ready);
    EXPECT_EQ(d.displayName, L"T:  " + d.label);
    EXPECT_EQ(d.model.fileCount, std::size(kFiles));
    ExpectTotalsMatchDu(d.model);
    // The empty file, which the table leaves out, is a record of the table: it counts 0, and no
    // file is asked by its path.
    EXPECT_EQ(d.model.filesAskedByPath, 0u);
    // Progress: units of the drive, finished at the end.
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back().first, progress.back().second);
    // The sizes reached the volume in the engine too.
    uint64_t cbin = 0;
    for (const AnalysisNode& n : d.model.nodes)
        if (std::wstring(n.name, n.nameLength) == L"c.bin") cbin = n.frn;
    ASSERT_NE(cbin, 0u);
    SizePair p;
    ASSERT_TRUE(volume_->LookupFileSize(cbin, &p));
    EXPECT_EQ(p.size, 700000);
    // One line per analysed drive in the performance log.
    const std::string log = testfx::ReadFileBytes(g_env->dir + L"\\perf_metrics.log");
    EXPECT_NE(log.find("analysis drive=T files=9"), std::string::npos) << log;
}

TEST_F(AnalysisScanOnDrive, UnreadableTableFallsBackToOneQueryPerFile) {
    // Every NTFS control of the drive fails: the scanner reports an error, the per-file sizes
    // from the index's paths still give the real totals (not zeros).
    DeleteFileW(GetMftSizeCachePath(L'T').c_str());
    VolumeIoScriptError(L'T', 0, ERROR_INVALID_FUNCTION, 1000);
    MftSizeMap direct;
    std::wstring error;
    ASSERT_FALSE(BuildMftSizeMap(L'T', direct, nullptr, nullptr, &error, nullptr));
    VolumeIoClearScripts();
    VolumeIoScriptError(L'T', 0, ERROR_INVALID_FUNCTION, 1000);
    std::vector<AnalysisScanJob> jobs;
    jobs.push_back(MakeAnalysisScanJob(volume_, false));
    AnalysisScanOutcome out = AnalyzeDrives(jobs, {});
    VolumeIoClearScripts();
    ASSERT_EQ(out.drives.size(), 1u) << testing::PrintToString(out.error);
    ExpectTotalsMatchDu(out.drives[0]->model);
    // Sizes that follow no journal: a rescan never keeps this model.
    EXPECT_EQ(out.drives[0]->journalId, 0u);
    EXPECT_FALSE(AnalysisStillCurrent(*out.drives[0], volume_));
}

// The last line the analysis logged for T: (the log is ASCII).
std::string LastDriveLine() {
    const std::string log = testfx::ReadFileBytes(g_env->dir + L"\\perf_metrics.log");
    const size_t at = log.rfind("analysis drive=T ");
    return at == std::string::npos ? std::string() : log.substr(at, log.find('\n', at) - at);
}

TEST_F(AnalysisScanOnDrive, ARescanKeepsAnUnchangedDriveAndRebuildsAChangedOne) {
    DeleteFileW(GetMftSizeCachePath(L'T').c_str());
    AnalysisScanOutcome first = AnalyzeVolumes({volume_}, {}, {});
    ASSERT_EQ(first.drives.size(), 1u) << testing::PrintToString(first.error);
    const DriveAnalysis& shown = *first.drives[0];
    EXPECT_NE(shown.journalId, 0u);
    EXPECT_NE(LastDriveLine().find("kept=0"), std::string::npos) << LastDriveLine();
    auto other = MakeVolumeIndex();
    EXPECT_FALSE(AnalysisStillCurrent(shown, other.get()));

    // Nothing changed: the analysis is kept (a freed and remade one could have the same address,
    // so the log tells).
    const std::string why = "journal " + std::to_string(shown.journalId) + " sizes at " + std::to_string(shown.sizesUsn) +
                            " index at " + std::to_string(shown.indexUsn);
    AnalysisScanOutcome second = AnalyzeVolumes({volume_}, std::move(first.drives), {});
    ASSERT_EQ(second.drives.size(), 1u);
    EXPECT_NE(LastDriveLine().find("kept=1"), std::string::npos) << LastDriveLine() << "; " << why;
    const int64_t before = second.drives[0]->model.RootTotalSize();

    // A file grows: once the journal has it, the rescan catches the sizes up and builds the
    // model again.
    ASSERT_TRUE(testfx::WriteFileBytes(root_ + L"docs\\a.doc", std::string(50000, 'y')));
    const int64_t want = DuBytes("");
    if (want < 0) GTEST_SKIP() << "host commands cannot be run";
    ASSERT_EQ(want, before + 10000);
    std::vector<std::unique_ptr<DriveAnalysis>> previous = std::move(second.drives);
    for (int attempt = 0; attempt < 50; ++attempt) {
        AnalysisScanOutcome again = AnalyzeVolumes({volume_}, std::move(previous), {});
        ASSERT_EQ(again.drives.size(), 1u);
        previous = std::move(again.drives);
        if (previous[0]->model.RootTotalSize() == want) break;
        Sleep(100);
    }
    const std::string line = LastDriveLine();
    EXPECT_NE(line.find("kept=0"), std::string::npos) << line;
    EXPECT_NE(line.find("cached=1"), std::string::npos) << line;
    ExpectTotalsMatchDu(previous[0]->model);
}

TEST_F(AnalysisScanOnDrive, AFileReplacedJustBeforeARescanIsCountedWithItsNewSize) {
    DeleteFileW(GetMftSizeCachePath(L'T').c_str());
    AnalysisScanOutcome first = AnalyzeVolumes({volume_}, {}, {});
    ASSERT_EQ(first.drives.size(), 1u) << testing::PrintToString(first.error);
    const int64_t before = first.drives[0]->model.RootTotalSize();
    // Replaced as editors save: a new file under the old name, so a new reference.
    const std::string host = testfx::FixtureDriveHostPath(L'T');
    ASSERT_EQ(testfx::RunHostCommand("head -c 90000 /dev/zero > '" + host + "/media/clip.new' && mv -f '" + host +
                                     "/media/clip.new' '" + host + "/media/clip.mp4'"),
              0);
    const int64_t after = before - 480 + 90000;
    // Until the journal has the change the old total stands; never a total without the file.
    std::vector<std::unique_ptr<DriveAnalysis>> previous = std::move(first.drives);
    int64_t total = before;
    for (int attempt = 0; attempt < 50 && total != after; ++attempt) {
        AnalysisScanOutcome again = AnalyzeVolumes({volume_}, std::move(previous), {});
        ASSERT_EQ(again.drives.size(), 1u);
        previous = std::move(again.drives);
        total = previous[0]->model.RootTotalSize();
        ASSERT_TRUE(total == before || total == after) << "total " << total << ", before " << before << ", after " << after;
        if (total != after) Sleep(20);
    }
    EXPECT_EQ(total, after);
}

TEST_F(AnalysisScanOnDrive, AnIndexBeingBuiltIsWaitedFor) {
    volume_->building = true;
    std::atomic<bool> finished{false};
    AnalysisScanOutcome out;
    std::thread worker([&] {
        out = AnalyzeVolumes({volume_}, {}, {});
        finished = true;
    });
    Sleep(300);
    EXPECT_FALSE(finished.load());
    volume_->building = false;
    worker.join();
    ASSERT_EQ(out.drives.size(), 1u) << testing::PrintToString(out.error);
    EXPECT_EQ(out.drives[0]->model.fileCount, std::size(kFiles));

    // A cancelled scan does not wait.
    volume_->building = true;
    AnalysisScanHooks stop;
    stop.cancelled = [] { return true; };
    out = AnalyzeVolumes({volume_}, {}, stop);
    volume_->building = false;
    EXPECT_TRUE(out.stopped);
    EXPECT_TRUE(out.drives.empty());
}

TEST_F(AnalysisScanOnDrive, AnEmptyMapForADriveWithFilesIsAFailure) {
    AnalysisScanJob job = MakeAnalysisScanJob(volume_, true);
    job.isNtfs = false;
    ASSERT_EQ(job.paths.size(), std::size(kFiles));
    for (const FixtureFile& f : kFiles) {
        std::wstring p = root_ + Wide(f.path);
        for (wchar_t& c : p)
            if (c == L'/') c = L'\\';
        DeleteFileW(p.c_str());
    }
    std::vector<AnalysisScanJob> jobs;
    jobs.push_back(std::move(job));
    AnalysisScanOutcome out = AnalyzeDrives(jobs, {});
    EXPECT_TRUE(out.drives.empty());
    EXPECT_FALSE(out.stopped);  // a failure, not a cancel

    // Cancelled before it starts: nothing, and said so.
    jobs[0].paths.clear();
    AnalysisScanHooks stop;
    stop.cancelled = [] { return true; };
    out = AnalyzeDrives(jobs, stop);
    EXPECT_TRUE(out.stopped);
    EXPECT_TRUE(out.drives.empty());
}

// Hard links: one file under three names (two folders and the root). The drive counts its data
// once, as du does, and every name shows the file's size; deleting a name from the panel is not
// refused as a change, and the totals follow what the disk holds after each deletion: nothing
// freed while another name keeps the data, the file's size once the last name goes.
std::vector<std::wstring> DeleteForGood(const std::vector<std::wstring>& paths, bool) {
    std::vector<std::wstring> done;
    for (const std::wstring& p : paths)
        if (DeleteFileW(p.c_str())) done.push_back(p);
    return done;
}
int g_noticeBoxes = 0;
int CountNotice(HWND, const std::wstring&, const std::wstring&, UINT) {
    ++g_noticeBoxes;
    return IDOK;
}

TEST_F(AnalysisScanOnDrive, AFileWithSeveralNamesCountsOnceAndEachNameCanBeDeleted) {
    const std::string host = testfx::FixtureDriveHostPath(L'T');
    if (testfx::RunHostCommand("ln '" + host + "/docs/deep/c.bin' '" + host + "/media/c-link.bin' && ln '" + host +
                               "/docs/deep/c.bin' '" + host + "/c-top.bin'") != 0)
        GTEST_SKIP() << "host commands cannot be run";
    IndexDrive();  // with the links
    ASSERT_TRUE(ScanAndShow());
    AnalysisView& view = g_analysisView;
    DiskAnalysisModel& m = *view.CurrentModel();
    EXPECT_EQ(m.RootTotalSize(), DuBytes(""));
    // Only the two further names were asked by path, not the fixture's empty file.
    EXPECT_EQ(m.filesAskedByPath, 2u);

    std::vector<std::string> names = {"media/c-link.bin", "c-top.bin", "docs/deep/c.bin"};
    auto frnOf = [&](const std::string& path) {
        const size_t slash = path.rfind('/');
        const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
        const std::wstring leaf = Wide(path.substr(slash == std::string::npos ? 0 : slash + 1));
        const std::vector<ChildEntry>* kids = m.ChildrenOf(folder.empty() ? m.rootFrn : Folder(m, folder)->frn);
        for (const ChildEntry& e : kids ? *kids : std::vector<ChildEntry>())
            if (std::wstring(e.name, e.nameLength) == leaf) {
                EXPECT_EQ(e.size, 700000) << path;  // every name shows the file's size
                return e.frn;
            }
        return uint64_t{0};
    };
    // The name that carries the data goes first: another name takes it over.
    std::stable_partition(names.begin(), names.end(),
                          [&](const std::string& n) { return m.nodes[m.FindNode(frnOf(n))].carriesData; });
    ASSERT_EQ(m.nodes[m.FindNode(frnOf(names[1]))].carriesData, 0);
    SetFileActionMessageBox(&CountNotice);
    for (const std::string& name : names) {
        const uint64_t frn = frnOf(name);
        ASSERT_NE(frn, 0u) << name;
        view.NavigateTo(m.rootFrn);
        view.selection = {frn};
        DeleteSelectedInAnalysisView(false, &DeleteForGood);
        EXPECT_EQ(g_noticeBoxes, 0) << name << " was refused as changed on disk";
        std::wstring path = root_ + Wide(name);
        for (wchar_t& c : path)
            if (c == L'/') c = L'\\';
        EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << name;
        EXPECT_EQ(m.RootTotalSize(), DuBytes("")) << "after deleting " << name;
        // The name's folder holds no other name of the file: it no longer counts the data.
        const size_t slash = name.rfind('/');
        if (slash != std::string::npos) {
            EXPECT_EQ(Folder(m, name.substr(0, slash))->totalSize, DuBytes(name.substr(0, slash))) << name;
        }
        for (const std::string& rest : names)
            if (GetFileAttributesW((root_ + Wide(rest)).c_str()) != INVALID_FILE_ATTRIBUTES) frnOf(rest);
    }
    SetFileActionMessageBox(nullptr);
    g_analysisView.Reset();
}

// Every name of a file deleted in one go (both names selected): each name saw two links before
// the deletion, but nothing keeps the data afterwards, so the totals drop by the file's size.
// When one of the names could not be deleted, the data stays and so do the totals.
TEST_F(AnalysisScanOnDrive, DeletingEveryNameOfAFileAtOnceFreesItsData) {
    const std::string host = testfx::FixtureDriveHostPath(L'T');
    if (testfx::RunHostCommand("ln '" + host + "/docs/deep/c.bin' '" + host + "/media/c-link.bin'") != 0)
        GTEST_SKIP() << "host commands cannot be run";
    IndexDrive();
    struct Case {
        const char* name;
        bool secondDeleted;  // the deleter deletes the first name only otherwise
    } cases[] = {{"both names deleted", true}, {"one name left", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.secondDeleted) {
            ASSERT_EQ(testfx::RunHostCommand("ln '" + host + "/docs/deep/c.bin' '" + host + "/media/c-link.bin'"), 0);
            IndexDrive();
        }
        ASSERT_TRUE(ScanAndShow());
        AnalysisView& view = g_analysisView;
        DiskAnalysisModel& m = *view.CurrentModel();
        const int64_t before = m.RootTotalSize();
        EXPECT_EQ(before, DuBytes(""));
        auto leaf = [&](const std::string& folder, const wchar_t* name) {
            for (const ChildEntry& e : *m.ChildrenOf(Folder(m, folder)->frn))
                if (std::wstring(e.name, e.nameLength) == name) return e.frn;
            return uint64_t{0};
        };
        const uint64_t a = leaf("docs/deep", L"c.bin"), b = leaf("media", L"c-link.bin");
        ASSERT_NE(a, 0u);
        ASSERT_NE(b, 0u);
        view.NavigateTo(m.rootFrn);
        view.selection = {a, b};
        static bool s_secondDeleted;
        s_secondDeleted = c.secondDeleted;
        DeleteSelectedInAnalysisView(false, [](const std::vector<std::wstring>& paths, bool) {
            std::vector<std::wstring> done;
            for (const std::wstring& p : paths)
                if ((done.empty() || s_secondDeleted) && DeleteFileW(p.c_str())) done.push_back(p);
            return done;
        });
        EXPECT_EQ(m.RootTotalSize(), DuBytes(""));
        EXPECT_EQ(m.RootTotalSize(), c.secondDeleted ? before - 700000 : before);
        EXPECT_EQ(Folder(m, "docs")->totalSize + Folder(m, "media")->totalSize, DuBytes("docs") + DuBytes("media"));
        g_analysisView.Reset();
        // What the first case left: c.bin and its link are gone; the second case makes them anew.
        if (c.secondDeleted) {
            ASSERT_TRUE(testfx::WriteFileBytes(root_ + L"docs\\deep\\c.bin", std::string(700000, 'x')));
        }
    }
}

// Takes the scan's done message from the window's queue (at most 5 s).
bool WaitForScanDone(HWND window, MSG* m) {
    for (const ULONGLONG end = GetTickCount64() + 5000; GetTickCount64() < end; Sleep(5))
        if (PeekMessageW(m, window, WM_APP_ANALYSIS_DONE, WM_APP_ANALYSIS_DONE, PM_REMOVE)) return true;
    return false;
}

// A worker that ends by an exception of any kind does not leave the panel busy (the Scan button
// would stay on "Scanning..." for the rest of the session): it reports a failed scan.
AnalysisScanOutcome ThrowsInteger(const std::vector<VolumeIndex*>&, std::vector<std::unique_ptr<DriveAnalysis>>,
                                  const AnalysisScanHooks&) {
    throw 42;
}
AnalysisScanOutcome ThrowsStdException(const std::vector<VolumeIndex*>&, std::vector<std::unique_ptr<DriveAnalysis>>,
                                       const AnalysisScanHooks&) {
    throw std::runtime_error("scan");
}

TEST(AnalysisScanWorker, AnyExceptionEndsTheScanAsFailed) {
    std::vector<std::unique_ptr<VolumeIndex>> list;
    list.push_back(testfx::MakeSyntheticVolume(L"T:"));
    testfx::InstallVolumes(std::move(list));
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    for (AnalysisVolumesScanner scanner : {&ThrowsInteger, &ThrowsStdException}) {
        SetAnalysisVolumesScanner(scanner);
        StartDiskAnalysisScan(window, true);
        const ULONGLONG end = GetTickCount64() + 5000;
        while (g_analysisView.busy.load() && GetTickCount64() < end) Sleep(5);
        EXPECT_FALSE(g_analysisView.busy.load());
        MSG m{};
        ASSERT_TRUE(WaitForScanDone(window, &m));
        EXPECT_EQ(m.wParam, 0u);
        OnAnalysisScanDone(window, m.wParam);
        EXPECT_TRUE(g_analysisView.failed.load());
        EXPECT_FALSE(g_analysisView.ready.load());
    }
    SetAnalysisVolumesScanner(nullptr);
    g_analysisView.Reset();
    DestroyWindow(window);
    testfx::InstallVolumes({});
}


// A scan that was replaced by a newer one and then fails must not take the newer scan's results
// away: the newer drive is still shown.
HANDLE g_staleEntered = nullptr;
HANDLE g_staleRelease = nullptr;
std::atomic<int> g_staleCalls{0};
AnalysisScanOutcome FirstFailsLate(const std::vector<VolumeIndex*>&, std::vector<std::unique_ptr<DriveAnalysis>>,
                                   const AnalysisScanHooks&) {
    if (g_staleCalls++ == 0) {
        SetEvent(g_staleEntered);
        WaitForSingleObject(g_staleRelease, 10000);
        throw 7;
    }
    AnalysisScanOutcome outcome;
    outcome.drives.push_back(std::make_unique<DriveAnalysis>());
    outcome.drives.back()->letter = L'T';
    outcome.drives.back()->ready = true;
    return outcome;
}

TEST(AnalysisScanWorker, AReplacedScanThatFailsLeavesTheNewerResults) {
    std::vector<std::unique_ptr<VolumeIndex>> list;
    list.push_back(testfx::MakeSyntheticVolume(L"T:"));
    testfx::InstallVolumes(std::move(list));
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    g_staleEntered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_staleRelease = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_staleCalls = 0;
    const size_t tasksBefore = RunningTaskCount();
    SetAnalysisVolumesScanner(&FirstFailsLate);
    StartDiskAnalysisScan(window, true);
    ASSERT_EQ(WaitForSingleObject(g_staleEntered, 5000), WAIT_OBJECT_0);
    StartDiskAnalysisScan(window, true);  // the newer scan
    MSG m{};
    ASSERT_TRUE(WaitForScanDone(window, &m));
    EXPECT_EQ(m.wParam, 1u);
    // The replaced scan fails now, before the window takes the newer results.
    SetEvent(g_staleRelease);
    for (const ULONGLONG end = GetTickCount64() + 5000; RunningTaskCount() > tasksBefore && GetTickCount64() < end;) Sleep(5);
    EXPECT_EQ(RunningTaskCount(), tasksBefore);
    OnAnalysisScanDone(window, m.wParam);
    EXPECT_TRUE(g_analysisView.ready.load());
    EXPECT_FALSE(g_analysisView.failed.load());
    SetAnalysisVolumesScanner(nullptr);
    g_analysisView.Reset();
    DestroyWindow(window);
    CloseHandle(g_staleEntered);
    CloseHandle(g_staleRelease);
    testfx::InstallVolumes({});
}

}  // namespace
