// Folder walk, start-up indexing, sync, manual refresh and the drive watcher on the fixture
// drives of the test prefix (T: to W:).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>

#include "IndexTestSupport.h"
#include "core/Core.h"
#include "platform/VolumeIo.h"
#include "shell/Shell.h"
#include "support/fixture.h"

namespace {

using namespace indextest;

std::string HostDir(wchar_t letter) { return testfx::FixtureDriveHostPath(letter); }

// Empties a fixture drive (links included, which the Windows side cannot always remove) and
// returns its root, or an empty string when the drive is not mapped.
std::wstring CleanDrive(wchar_t letter) {
    std::wstring root = testfx::FixtureDrive(letter);
    const std::string h = HostDir(letter);
    if (!root.empty() && !h.empty()) testfx::RunHostCommand("find '" + h + "' -mindepth 1 -delete");
    return root;
}

// Reports the drive's file system as `fs` through the volume layer (so that a drive is indexed
// by a walk); false when the layer does not offer that.
bool ReportFileSystem(wchar_t letter, const std::wstring& fs) {
    VolumeIoDriveOptions o;
    o.fileSystemName = fs;
    VolumeIoSetDriveOptions(letter, o);
    wchar_t name[32] = {};
    std::wstring root = std::wstring(1, letter) + L":\\";
    return VolumeIoGetVolumeInformation(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, name, 32) && fs == name;
}

struct DriveTest : ::testing::Test {
    void SetUp() override {
        ResetEngine();
        VolumeIoClearDriveOptions();
        VolumeIoClearScripts();
    }
    void TearDown() override {
        ResetEngine();
        VolumeIoClearDriveOptions();
        VolumeIoClearScripts();
        SetIndexDriveMask(0x3FFFFFF);
    }
};

TEST_F(DriveTest, WalkGivesSyntheticReferencesInOrder) {
    std::wstring t = CleanDrive(L'T');
    if (t.empty()) GTEST_SKIP() << "fixture drive T: not mapped";
    ASSERT_TRUE(CreateDirectoryW(L"T:\\A", nullptr));
    ASSERT_TRUE(CreateDirectoryW(L"T:\\A\\B", nullptr));
    ASSERT_TRUE(testfx::WriteFileBytes(L"T:\\A\\B\\f.txt", "x"));
    VolumeIndex v;
    for (int round = 0; round < 2; ++round) {  // a second walk starts the references again
        ASSERT_TRUE(v.BuildByWalk(L"T:", L"FAT32"));
        ASSERT_EQ(v.records.size(), 3u);
        EXPECT_EQ(v.records[0].frn, 0x100000u);
        EXPECT_EQ(v.records[0].parentFrn, 1u);
        EXPECT_EQ(v.records[1].frn, 0x100001u);
        EXPECT_EQ(v.records[1].parentFrn, 0x100000u);
        EXPECT_EQ(v.records[2].frn, 0x100002u);
        EXPECT_EQ(v.records[2].parentFrn, 0x100001u);
        bool reached = false;
        EXPECT_EQ(v.BuildFullPath(2, &reached), L"T:\\A\\B\\f.txt");
        EXPECT_TRUE(reached);
        EXPECT_TRUE(v.available);
        EXPECT_FALSE(v.building);
        EXPECT_EQ(v.fileSystem, L"FAT32");
    }
}

TEST_F(DriveTest, WalkRecordsFolderLinksWithoutFollowingThem) {
    std::wstring t = CleanDrive(L'T');
    if (t.empty()) GTEST_SKIP() << "fixture drive T: not mapped";
    const std::string h = HostDir(L'T');
    // A link back to the drive root (a loop) and a link to a folder with content.
    ASSERT_EQ(testfx::RunHostCommand("mkdir -p '" + h + "/real/sub' && touch '" + h + "/real/sub/inner.txt' && ln -s '" + h +
                                     "' '" + h + "/loop' && ln -s '" + h + "/real' '" + h + "/alias'"),
              0);
    VolumeIndex v;
    ASSERT_TRUE(v.BuildByWalk(L"T:", L"FAT32"));
    std::vector<std::wstring> paths = LivePaths(v);
    std::sort(paths.begin(), paths.end());
    const std::vector<std::wstring> expected = {L"T:\\alias", L"T:\\loop", L"T:\\real", L"T:\\real\\sub",
                                                L"T:\\real\\sub\\inner.txt"};
    EXPECT_EQ(paths, expected);
}

TEST_F(DriveTest, WalkStopsBelowDepth128) {
    std::wstring t = CleanDrive(L'T');
    if (t.empty()) GTEST_SKIP() << "fixture drive T: not mapped";
    std::string chain;
    for (int i = 1; i <= 131; ++i) chain.append("/").append(std::to_string(i));
    ASSERT_EQ(testfx::RunHostCommand("mkdir -p '" + HostDir(L'T') + chain + "'"), 0);
    VolumeIndex v;
    ASSERT_TRUE(v.BuildByWalk(L"T:", L"FAT32"));
    EXPECT_EQ(v.records.size(), 129u);  // levels 1..129: level 129 is listed, not entered
}

TEST_F(DriveTest, WalkOfAnEmptyOrMissingDriveFails) {
    std::wstring t = CleanDrive(L'T');
    if (t.empty()) GTEST_SKIP() << "fixture drive T: not mapped";
    VolumeIndex v;
    EXPECT_FALSE(v.BuildByWalk(L"T:", L"FAT32"));
    EXPECT_FALSE(v.available);
    EXPECT_FALSE(v.BuildByWalk(L"Q:", L"FAT32"));
    EXPECT_FALSE(v.available);
}

TEST_F(DriveTest, StartupIndexesTwoDrivesSortedAndPostsReadyThenSynced) {
    if (CleanDrive(L'T').empty() || CleanDrive(L'U').empty()) GTEST_SKIP() << "no fixture drives";
    if (!ReportFileSystem(L'U', L"FAT32") || !ReportFileSystem(L'T', L"exFAT"))
        GTEST_SKIP() << "the volume layer cannot report another file system";
    ASSERT_TRUE(testfx::WriteFileBytes(L"T:\\t.txt", "t"));
    ASSERT_TRUE(testfx::WriteFileBytes(L"U:\\u.txt", "u"));
    SetIndexDriveMask(Bit(L'U') | Bit(L'T'));
    MessageSink sink;
    g_searchEngine.RunInitBackground(sink.hwnd);
    std::vector<Posted> got = sink.Drain();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].msg, WM_INDEX_READY);
    EXPECT_EQ(got[0].wParam, 0u);
    EXPECT_EQ(got[1].msg, WM_VOLUMES_SYNCED);
    std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
    ASSERT_EQ(g_searchEngine.volumes.size(), 2u);
    EXPECT_EQ(g_searchEngine.volumes[0]->root, L"T:");
    EXPECT_EQ(g_searchEngine.volumes[1]->root, L"U:");
    EXPECT_EQ(g_searchEngine.volumes[0]->fileSystem, L"exFAT");
    EXPECT_TRUE(g_searchEngine.indexReady);
    EXPECT_TRUE(HasPath(*g_searchEngine.volumes[1], L"U:\\u.txt"));
}

TEST_F(DriveTest, StartupWithoutAnyDrivePostsNotReady) {
    std::wstring t = CleanDrive(L'T');
    if (t.empty()) GTEST_SKIP() << "fixture drive T: not mapped";
    if (!ReportFileSystem(L'T', L"FAT32")) GTEST_SKIP() << "the volume layer cannot report another file system";
    SetIndexDriveMask(Bit(L'T'));  // empty: the walk finds nothing
    MessageSink sink;
    g_searchEngine.RunInitBackground(sink.hwnd);
    std::vector<Posted> got = sink.Drain();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].msg, WM_INDEX_READY);
    EXPECT_EQ(got[0].wParam, 1u);
    EXPECT_FALSE(g_searchEngine.indexReady);
}

TEST_F(DriveTest, SyncAddsNewDrivesAndStartsOnlyOnce) {
    if (CleanDrive(L'T').empty() || CleanDrive(L'V').empty()) GTEST_SKIP() << "no fixture drives";
    if (!ReportFileSystem(L'T', L"FAT32") || !ReportFileSystem(L'V', L"FAT32"))
        GTEST_SKIP() << "the volume layer cannot report another file system";
    ASSERT_TRUE(testfx::WriteFileBytes(L"T:\\a.txt", "a"));
    ASSERT_TRUE(testfx::WriteFileBytes(L"V:\\b.txt", "b"));
    SetIndexDriveMask(Bit(L'T'));
    MessageSink sink;
    g_searchEngine.RunInitBackground(sink.hwnd);
    sink.Drain();
    SetIndexDriveMask(Bit(L'T') | Bit(L'V'));
    g_searchEngine.syncBusy = true;  // a sync "runs": a second request starts nothing
    g_searchEngine.SyncCurrentVolumesAsync(sink.hwnd);
    EXPECT_FALSE(sink.WaitFor(WM_VOLUMES_SYNCED, 300));
    g_searchEngine.syncBusy = false;
    g_searchEngine.SyncCurrentVolumesAsync(sink.hwnd);
    ASSERT_TRUE(sink.WaitFor(WM_VOLUMES_SYNCED, 10000));
    EXPECT_TRUE(WaitUntil([] { return !g_searchEngine.syncBusy; }, 2000));
    std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
    ASSERT_EQ(g_searchEngine.volumes.size(), 2u);
    EXPECT_EQ(g_searchEngine.volumes[1]->root, L"V:");
}

// Start-up and a volume sync (or a manual refresh, which starts one) that overlap, started in
// varying order: every drive ends in the engine exactly once, and the start-up's claim on its
// drives ends with it.
TEST_F(DriveTest, OverlappingStartupAndSyncKeepOneVolumePerDrive) {
    const wchar_t letters[] = {L'T', L'U', L'V', L'W'};
    uint32_t mask = 0;
    for (wchar_t l : letters) {
        if (CleanDrive(l).empty()) GTEST_SKIP() << "no fixture drives";
        if (!ReportFileSystem(l, L"FAT32")) GTEST_SKIP() << "the volume layer cannot report another file system";
        // A few hundred entries, so that a build takes long enough to be overlapped.
        ASSERT_EQ(testfx::RunHostCommand("cd '" + HostDir(l) + "' && for d in 1 2 3 4 5 6 7 8; do mkdir -p d$d && "
                                         "(cd d$d && touch $(seq -f 'f%g.txt' 1 40)); done"),
                  0);
        mask |= Bit(l);
    }
    SetIndexDriveMask(mask);
    enum class Other { Sync, Refresh };
    for (Other other : {Other::Sync, Other::Refresh}) {
        for (int round = 0; round < 12; ++round) {
            ResetEngine();
            const DWORD delayMs = static_cast<DWORD>(round % 4) * 3;  // the other task a little later, or first
            std::thread startup([&] {
                if (round % 4 == 3) Sleep(5);
                g_searchEngine.RunInitBackground(nullptr);
            });
            std::thread second([&] {
                Sleep(delayMs);
                if (other == Other::Sync) g_searchEngine.RunSyncCurrentVolumes(nullptr);
                else g_searchEngine.RefreshAllNonNtfs(nullptr);
            });
            startup.join();
            second.join();
            ASSERT_TRUE(WaitUntil([] { return !g_searchEngine.syncBusy; }, 10000));
            std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
            std::vector<std::wstring> roots;
            for (auto& v : g_searchEngine.volumes) roots.push_back(v->root);
            const std::vector<std::wstring> expected = {L"T:", L"U:", L"V:", L"W:"};
            ASSERT_EQ(roots, expected) << (other == Other::Sync ? "sync" : "refresh") << ", round " << round;
            EXPECT_EQ(g_searchEngine.startupPendingDrives, 0u);
            EXPECT_FALSE(g_searchEngine.startupRunning);
        }
    }
}

TEST_F(DriveTest, ManualRefreshRewalksNonNtfsDrives) {
    if (CleanDrive(L'T').empty()) GTEST_SKIP() << "no fixture drives";
    if (!ReportFileSystem(L'T', L"FAT32")) GTEST_SKIP() << "the volume layer cannot report another file system";
    ASSERT_TRUE(testfx::WriteFileBytes(L"T:\\one.txt", "1"));
    SetIndexDriveMask(Bit(L'T'));
    MessageSink sink;
    g_searchEngine.RunInitBackground(sink.hwnd);
    sink.Drain();
    ASSERT_TRUE(testfx::WriteFileBytes(L"T:\\two.txt", "2"));
    EXPECT_TRUE(RefreshVolumeAvailability());
    g_searchEngine.RefreshAllNonNtfs(sink.hwnd);
    Posted p{};
    ASSERT_TRUE(sink.WaitFor(WM_NONNTFS_REFRESHED, 5000, &p));
    EXPECT_EQ(p.wParam, 1u);
    EXPECT_EQ(p.lParam, 0);
    std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
    ASSERT_EQ(g_searchEngine.volumes.size(), 1u);
    EXPECT_TRUE(HasPath(*g_searchEngine.volumes[0], L"T:\\two.txt"));
}

TEST_F(DriveTest, RefreshRemovesAVanishedNonNtfsDriveButKeepsItsObject) {
    if (CleanDrive(L'T').empty() || CleanDrive(L'V').empty()) GTEST_SKIP() << "no fixture drives";
    if (!ReportFileSystem(L'T', L"FAT32") || !ReportFileSystem(L'V', L"FAT32"))
        GTEST_SKIP() << "the volume layer cannot report another file system";
    ASSERT_TRUE(testfx::WriteFileBytes(L"T:\\a.txt", "a"));
    ASSERT_TRUE(testfx::WriteFileBytes(L"V:\\b.txt", "b"));
    SetIndexDriveMask(Bit(L'T') | Bit(L'V'));
    MessageSink sink;
    g_searchEngine.RunInitBackground(sink.hwnd);
    VolumeIndex* gone;
    {
        std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
        ASSERT_EQ(g_searchEngine.volumes.size(), 2u);
        gone = g_searchEngine.volumes[1].get();
    }
    SetIndexDriveMask(Bit(L'T'));  // V: is no longer among the drives
    g_searchEngine.RefreshAllNonNtfs(sink.hwnd);
    std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
    ASSERT_EQ(g_searchEngine.volumes.size(), 1u);
    EXPECT_EQ(g_searchEngine.volumes[0]->root, L"T:");
    // Result rows may still name the removed volume: it stays readable.
    EXPECT_FALSE(gone->available);
    EXPECT_TRUE(HasPath(*gone, L"V:\\b.txt"));
}

TEST_F(DriveTest, DetachingKeepsTheVolumeAndReportsOnce) {
    if (CleanDrive(L'T').empty()) GTEST_SKIP() << "no fixture drives";
    if (!ReportFileSystem(L'T', L"FAT32")) GTEST_SKIP() << "the volume layer cannot report another file system";
    ASSERT_TRUE(testfx::WriteFileBytes(L"T:\\one.txt", "1"));
    SetIndexDriveMask(Bit(L'T'));
    MessageSink sink;
    g_searchEngine.RunInitBackground(sink.hwnd);
    EXPECT_FALSE(g_searchEngine.CloseVolumeHandles(0));
    EXPECT_TRUE(IsAnyIndexedVolumeInDriveMask(Bit(L'T')));
    EXPECT_FALSE(IsAnyIndexedVolumeInDriveMask(Bit(L'V')));
    EXPECT_TRUE(g_searchEngine.CloseVolumeHandles(Bit(L'T')));
    EXPECT_FALSE(g_searchEngine.CloseVolumeHandles(Bit(L'T')));
    std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
    ASSERT_EQ(g_searchEngine.volumes.size(), 1u);
    EXPECT_FALSE(g_searchEngine.volumes[0]->available);
    EXPECT_TRUE(HasPath(*g_searchEngine.volumes[0], L"T:\\one.txt"));  // rows stay readable
}

// Calls that ask a drive, counted when they come from one thread.
std::atomic<DWORD> g_askingThread{0};
std::atomic<int> g_driveQueries{0};
testfx::ImportPatch* g_attributesPatch = nullptr;
testfx::ImportPatch* g_volumePatch = nullptr;
DWORD WINAPI CountedGetFileAttributesW(LPCWSTR path) {
    if (GetCurrentThreadId() == g_askingThread) ++g_driveQueries;
    return reinterpret_cast<decltype(&GetFileAttributesW)>(g_attributesPatch->Original())(path);
}
BOOL WINAPI CountedGetVolumeInformationW(LPCWSTR root, LPWSTR label, DWORD labelSize, LPDWORD serial, LPDWORD length,
                                         LPDWORD flags, LPWSTR fs, DWORD fsSize) {
    if (GetCurrentThreadId() == g_askingThread) ++g_driveQueries;
    return reinterpret_cast<decltype(&GetVolumeInformationW)>(g_volumePatch->Original())(root, label, labelSize, serial,
                                                                                        length, flags, fs, fsSize);
}

// The window thread calls these on a device change and on the Refresh command: a drive that is
// slow to answer must not freeze it, so they ask no drive; what the drive watcher found on its
// own thread decides which listed letters are gone.
TEST_F(DriveTest, AvailabilityChecksAskNoDriveOnTheCallingThread) {
    if (CleanDrive(L'T').empty()) GTEST_SKIP() << "no fixture drives";
    if (!ReportFileSystem(L'T', L"FAT32")) GTEST_SKIP() << "the volume layer cannot report another file system";
    ASSERT_TRUE(testfx::WriteFileBytes(L"T:\\one.txt", "1"));
    SetIndexDriveMask(Bit(L'T'));
    MessageSink sink;
    g_searchEngine.RunInitBackground(sink.hwnd);
    testfx::ImportPatch attributes("kernel32.dll", "GetFileAttributesW", reinterpret_cast<void*>(&CountedGetFileAttributesW));
    testfx::ImportPatch volume("kernel32.dll", "GetVolumeInformationW", reinterpret_cast<void*>(&CountedGetVolumeInformationW));
    ASSERT_TRUE(attributes.Installed() && volume.Installed());
    g_attributesPatch = &attributes;
    g_volumePatch = &volume;
    g_driveQueries = 0;
    g_askingThread = GetCurrentThreadId();

    SetUnansweringDrives(0);
    EXPECT_TRUE(RefreshVolumeAvailability());  // T: is listed and answered: a walked drive to refresh
    EXPECT_FALSE(g_searchEngine.RemoveUnavailableVolumes());
    SetUnansweringDrives(Bit(L'T'));  // still listed, but its root did not answer the watcher
    EXPECT_TRUE(g_searchEngine.RemoveUnavailableVolumes());
    EXPECT_FALSE(RefreshVolumeAvailability());
    g_askingThread = 0;
    SetUnansweringDrives(0);
    EXPECT_EQ(g_driveQueries.load(), 0);
    std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
    ASSERT_EQ(g_searchEngine.volumes.size(), 1u);
    EXPECT_FALSE(g_searchEngine.volumes[0]->available);
}

TEST_F(DriveTest, VanishedLetterIsNoticedDetachedAndRebuiltWhenBack) {
    if (CleanDrive(L'W').empty()) GTEST_SKIP() << "fixture drive W: not mapped";
    if (testfx::RunHostCommand("test -L \"$WINEPREFIX/dosdevices/w:\"") != 0) GTEST_SKIP() << "no prefix link for W:";
    const bool walked = ReportFileSystem(L'W', L"FAT32");
    ASSERT_TRUE(testfx::WriteFileBytes(L"W:\\w.txt", "w"));
    SetIndexDriveMask(Bit(L'W'));
    MessageSink sink;
    if (walked) g_searchEngine.RunInitBackground(sink.hwnd);
    sink.Drain();
    StartDriveWatcher(sink.hwnd);
    StartDriveWatcher(sink.hwnd);  // a second start starts nothing
    Sleep(300);
    const std::string link = "\"$WINEPREFIX/dosdevices/w:\"";
    ASSERT_EQ(testfx::RunHostCommand("readlink " + link + " > \"$WINEPREFIX/w-link.txt\" && rm " + link), 0);
    const bool lost = sink.WaitFor(WM_VOLUME_LOST, 6000);
    // The letter may stay listed by GetLogicalDrives; its root no longer answers.
    const bool detached = walked && g_searchEngine.RemoveUnavailableVolumes();
    ASSERT_EQ(testfx::RunHostCommand("ln -s \"$(cat \"$WINEPREFIX/w-link.txt\")\" " + link), 0);
    EXPECT_TRUE(lost);
    Posted p{};
    EXPECT_TRUE(sink.WaitFor(WM_INDEX_READY, 6000, &p));
    EXPECT_EQ(p.wParam, 1u);
    if (!walked) return;
    EXPECT_TRUE(detached);
    {
        std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
        ASSERT_EQ(g_searchEngine.volumes.size(), 1u);
        EXPECT_FALSE(g_searchEngine.volumes[0]->available);
    }
    // What the main window does on that message: a sync, which rebuilds the detached volume.
    g_searchEngine.RunSyncCurrentVolumes(sink.hwnd);
    std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
    ASSERT_EQ(g_searchEngine.volumes.size(), 1u);
    EXPECT_TRUE(g_searchEngine.volumes[0]->available);
    EXPECT_TRUE(HasPath(*g_searchEngine.volumes[0], L"W:\\w.txt"));
}

}  // namespace
