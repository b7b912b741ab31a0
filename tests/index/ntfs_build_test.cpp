// The NTFS build and the journal monitor against scripted answers of the volume layer, and
// against real changes on a fixture drive served by the layer's own journal.
#include <gtest/gtest.h>

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <thread>

#include "IndexTestSupport.h"
#include "UsnTestData.h"
#include "core/Core.h"
#include "platform/VolumeIo.h"
#include "shell/Shell.h"
#include "support/fixture.h"

namespace {

using namespace indextest;

// For every test of this program: the performance log (start-up) and the volume layer's state
// files stay out of the shared test home.
class ScratchConfigEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        const std::wstring dir = testfx::MakeScratchDir(L"index-ntfs-config");
        SetConfigDirOverride(dir);
        VolumeIoSetStateFolder(dir);
    }
    void TearDown() override {
        VolumeIoSetStateFolder(L"");
        SetConfigDirOverride(L"");
    }
};
const auto* const g_scratchConfig = ::testing::AddGlobalTestEnvironment(new ScratchConfigEnvironment);
using usntest::Entry;
using usntest::MakeBuffer;

std::vector<BYTE> Bytes(const void* p, size_t n) {
    const BYTE* b = static_cast<const BYTE*>(p);
    return std::vector<BYTE>(b, b + n);
}

std::vector<BYTE> JournalData(uint64_t id, int64_t nextUsn) {
    VolumeIoUsnJournalDataV0 d{};
    d.UsnJournalID = id;
    d.NextUsn = nextUsn;
    d.MaximumSize = 0x10000000;
    return Bytes(&d, sizeof d);
}

// The root folder's reference as the build reads it.
uint64_t RootReference(const wchar_t* root) {
    HANDLE h = VolumeIoCreateFile(root, 0, 7, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 5;
    BY_HANDLE_FILE_INFORMATION info{};
    uint64_t frn = 5;
    if (VolumeIoGetFileInformationByHandle(h, &info)) frn = (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    VolumeIoCloseHandle(h);
    return frn ? frn : 5;
}

// Whether the volume layer plays scripted answers on drive T:.
bool ScriptingWorks() {
    HANDLE h = VolumeIoCreateFile(L"\\\\.\\T:", GENERIC_READ, 7, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    VolumeIoScriptError(L'T', FSCTL_GET_NTFS_VOLUME_DATA, ERROR_IO_DEVICE);
    BYTE out[128];
    DWORD bytes = 0;
    const BOOL ok = VolumeIoDeviceIoControl(h, FSCTL_GET_NTFS_VOLUME_DATA, nullptr, 0, out, sizeof out, &bytes, nullptr);
    const DWORD err = GetLastError();
    VolumeIoCloseHandle(h);
    VolumeIoClearScripts();
    return !ok && err == ERROR_IO_DEVICE;
}

struct NtfsScripted : ::testing::Test {
    MessageSink sink;
    uint64_t rootFrn = 5;
    void SetUp() override {
        VolumeIoClearScripts();
        if (testfx::FixtureDrive(L'T').empty()) GTEST_SKIP() << "fixture drive T: not mapped";
        if (!ScriptingWorks()) GTEST_SKIP() << "the volume layer plays no scripted answers";
        rootFrn = RootReference(L"T:\\");
        g_hMainWnd = sink.hwnd;
    }
    void TearDown() override {
        g_hMainWnd = nullptr;
        VolumeIoClearScripts();
    }
    void ScriptEnumeration(const std::vector<std::vector<uint8_t>>& buffers) {
        VolumeIoScriptOutput(L'T', FSCTL_ENUM_USN_DATA, MakeBuffer(0, {}));  // the probe
        for (const auto& b : buffers) VolumeIoScriptOutput(L'T', FSCTL_ENUM_USN_DATA, b);
        VolumeIoScriptError(L'T', FSCTL_ENUM_USN_DATA, ERROR_HANDLE_EOF);
    }
};

TEST_F(NtfsScripted, EnumeratesEveryBufferAndStartsTheMonitor) {
    const uint64_t dir = 0x0001000000000030ull;
    VolumeIoScriptOutput(L'T', FSCTL_QUERY_USN_JOURNAL, JournalData(0xABC, 4096));
    ScriptEnumeration({MakeBuffer(0x31, {{dir, rootFrn, L"Docs", 0, 0x10}}),
                       MakeBuffer(0x31, {}),  // only the next reference: skipped, the loop goes on
                       MakeBuffer(0x40, {{0x0002000000000031ull, dir, L"a.txt"}, {0x32, dir, L"b.txt"}})});
    // The monitor's first read brings a new file; the next one loses the device.
    VolumeIoScriptOutput(L'T', FSCTL_READ_USN_JOURNAL,
                         MakeBuffer(5000, {{0x33, dir, L"new.txt", USN_REASON_FILE_CREATE}}));
    VolumeIoScriptError(L'T', FSCTL_READ_USN_JOURNAL, ERROR_DEVICE_NOT_CONNECTED);
    VolumeIndex v;
    ASSERT_TRUE(v.BuildNtfs(L"T:"));
    EXPECT_EQ(v.usnJournalId, 0xABCu);
    EXPECT_EQ(v.fileSystem, L"NTFS");
    EXPECT_FALSE(v.building);
    EXPECT_EQ(v.rootFrn, rootFrn);
    EXPECT_EQ(v.frnToRecord.find(0x31)->second, 1u);  // 48-bit key of a sequenced reference
    // The monitor applies its buffer, then ends on the lost device and says so.
    Posted p{};
    ASSERT_TRUE(sink.WaitFor(WM_VOLUME_LOST, 5000, &p));
    EXPECT_TRUE(HasPath(v, L"T:\\Docs\\a.txt"));
    EXPECT_TRUE(HasPath(v, L"T:\\Docs\\new.txt"));
    EXPECT_EQ(v.nextUsn, 5000);
    EXPECT_FALSE(v.available);
    EXPECT_FALSE(v.monitorRunning);
    EXPECT_TRUE(v.releasePending);
    EXPECT_EQ(sink.Drain().size(), 0u);  // one message only
}

TEST_F(NtfsScripted, MissingJournalIsCreatedAndABrokenOneReplaced) {
    // No journal at first: created, then queried again.
    VolumeIoScriptError(L'T', FSCTL_QUERY_USN_JOURNAL, ERROR_JOURNAL_NOT_ACTIVE);
    VolumeIoScriptOutput(L'T', FSCTL_CREATE_USN_JOURNAL, {});
    VolumeIoScriptOutput(L'T', FSCTL_QUERY_USN_JOURNAL, JournalData(0x111, 10));
    // The probe fails: the journal is deleted and created again, and the new one is used.
    VolumeIoScriptError(L'T', FSCTL_ENUM_USN_DATA, ERROR_IO_DEVICE);
    VolumeIoScriptOutput(L'T', FSCTL_DELETE_USN_JOURNAL, {});
    VolumeIoScriptOutput(L'T', FSCTL_CREATE_USN_JOURNAL, {});
    VolumeIoScriptOutput(L'T', FSCTL_QUERY_USN_JOURNAL, JournalData(0x222, 20));
    VolumeIoScriptOutput(L'T', FSCTL_ENUM_USN_DATA, MakeBuffer(0x99, {{0x50, rootFrn, L"f.txt"}}));
    VolumeIoScriptError(L'T', FSCTL_ENUM_USN_DATA, ERROR_HANDLE_EOF);
    VolumeIoScriptError(L'T', FSCTL_READ_USN_JOURNAL, ERROR_JOURNAL_ENTRY_DELETED);
    VolumeIndex v;
    ASSERT_TRUE(v.BuildNtfs(L"T:"));
    EXPECT_EQ(v.usnJournalId, 0x222u);
    EXPECT_EQ(v.nextUsn, 20);
    EXPECT_TRUE(HasPath(v, L"T:\\f.txt"));
    // A journal that was deleted under the monitor: changes since are unknown, but the drive is
    // still there. Its records stay searchable, it waits to be enumerated again (by the engine,
    // which does not hold this volume), and it is not reported as a lost drive.
    ASSERT_TRUE(WaitUntil([&] { return !v.monitorRunning; }, 3000));
    EXPECT_TRUE(v.available);
    EXPECT_TRUE(v.journalLost);
    EXPECT_FALSE(v.releasePending);
    EXPECT_TRUE(HasPath(v, L"T:\\f.txt"));
    EXPECT_FALSE(sink.WaitFor(WM_VOLUME_LOST, 300));
}

// A burst of changes is read buffer after buffer: 40 full reads, then the device goes. Pausing
// 300 ms after each full read would take 12 s to get through them (and, on a real disk, let the
// journal wrap past the monitor's position).
TEST_F(NtfsScripted, MonitorDrainsFullReadsBeforeItPauses) {
    VolumeIoScriptOutput(L'T', FSCTL_QUERY_USN_JOURNAL, JournalData(0x444, 100));
    ScriptEnumeration({MakeBuffer(0x99, {{0x70, rootFrn, L"root.txt"}})});
    constexpr int kFullReads = 40;
    uint64_t frn = 0x10000;
    int64_t next = 100;
    for (int b = 0; b < kFullReads; ++b) {
        std::vector<uint8_t> buf = MakeBuffer(0, {});
        while (buf.size() + 80 <= 0x10000) {
            wchar_t name[16];
            swprintf(name, 16, L"n%08llx", static_cast<unsigned long long>(frn));
            usntest::AppendRecord(buf, {frn++, rootFrn, name, USN_REASON_FILE_CREATE});
        }
        next += static_cast<int64_t>(buf.size());
        std::memcpy(buf.data(), &next, 8);
        VolumeIoScriptOutput(L'T', FSCTL_READ_USN_JOURNAL, buf);
    }
    VolumeIoScriptError(L'T', FSCTL_READ_USN_JOURNAL, ERROR_DEVICE_NOT_CONNECTED);
    VolumeIndex v;
    ASSERT_TRUE(v.BuildNtfs(L"T:"));
    ASSERT_TRUE(sink.WaitFor(WM_VOLUME_LOST, 6000)) << "reads applied: " << v.nextUsn;
    EXPECT_EQ(v.nextUsn, next);
    wchar_t last[16];
    swprintf(last, 16, L"T:\\n%08llx", static_cast<unsigned long long>(frn - 1));
    EXPECT_TRUE(HasPath(v, last));
}

TEST_F(NtfsScripted, UnusableJournalFailsTheBuildAndClosesTheHandle) {
    VolumeIoScriptError(L'T', FSCTL_QUERY_USN_JOURNAL, ERROR_JOURNAL_NOT_ACTIVE, 2);
    VolumeIoScriptOutput(L'T', FSCTL_CREATE_USN_JOURNAL, {});
    VolumeIndex v;
    EXPECT_FALSE(v.BuildNtfs(L"T:"));
    EXPECT_FALSE(v.available);
    EXPECT_FALSE(v.building);
    EXPECT_EQ(v.volumeHandle, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(v.monitorRunning);
}

TEST_F(NtfsScripted, LostVolumeIsReleasedByTheEngine) {
    ResetEngine();
    VolumeIoScriptOutput(L'T', FSCTL_QUERY_USN_JOURNAL, JournalData(0x333, 1));
    ScriptEnumeration({MakeBuffer(0x99, {{0x60, rootFrn, L"x.txt"}})});
    VolumeIoScriptError(L'T', FSCTL_READ_USN_JOURNAL, ERROR_ACCESS_DENIED);
    auto owned = MakeVolumeIndex();
    VolumeIndex* v = owned.get();
    ASSERT_TRUE(v->BuildNtfs(L"T:"));
    {
        std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
        g_searchEngine.volumes.push_back(std::move(owned));
    }
    ASSERT_TRUE(WaitUntil([&] { return v->releasePending && !v->monitorRunning; }, 5000));
    EXPECT_FALSE(v->available);  // also when the monitor failed before the build had returned
    // The drive letter is still there, but the monitor lost the volume: the handle and the
    // finished thread are released all the same, once.
    EXPECT_TRUE(g_searchEngine.RemoveUnavailableVolumes());
    EXPECT_FALSE(g_searchEngine.RemoveUnavailableVolumes());
    EXPECT_TRUE(WaitUntil([&] { return v->volumeHandle == INVALID_HANDLE_VALUE && !v->monitorThread.joinable(); }, 3000))
        << "available " << v->available << " handle " << v->volumeHandle << " joinable " << v->monitorThread.joinable();
    EXPECT_TRUE(HasPath(*v, L"T:\\x.txt"));  // the records stay readable
    ResetEngine();
}

// The change journal of a published drive is lost under its monitor, through the layer's own
// journal: deleted, or deleted and replaced by a new one. The drive stays in the engine, the
// window is told, and the drive is enumerated again in the background, with the changes the old
// monitor missed, and followed again.
TEST(NtfsLive, LostJournalKeepsTheDriveAndIndexesItAgain) {
    if (testfx::FixtureDrive(L'U').empty()) GTEST_SKIP() << "fixture drive U: not mapped";
    const std::string h = testfx::FixtureDriveHostPath(L'U');
    VolumeIoClearScripts();
    MessageSink sink;
    g_hMainWnd = sink.hwnd;
    struct Restore {
        ~Restore() {
            g_hMainWnd = nullptr;
            ResetEngine();
        }
    } restore;
    for (const bool replaced : {false, true}) {
        SCOPED_TRACE(replaced ? "journal replaced" : "journal deleted");
        ResetEngine();
        sink.Drain();
        ASSERT_EQ(testfx::RunHostCommand("find '" + h + "' -mindepth 1 -delete && echo a > '" + h + "/before.txt'"), 0);
        auto owned = MakeVolumeIndex();
        VolumeIndex* v = owned.get();
        if (!v->BuildNtfs(L"U:")) GTEST_SKIP() << "the volume layer serves no journal for U:";
        ASSERT_TRUE(HasPath(*v, L"U:\\before.txt"));
        {
            std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
            g_searchEngine.volumes.push_back(std::move(owned));
        }
        const uint64_t oldId = v->usnJournalId;
        // While the monitor does not read, a change is made and the journal is lost: no monitor
        // reports that change, only a new enumeration finds it.
        v->StopUsnMonitor();
        ASSERT_EQ(testfx::RunHostCommand("echo b > '" + h + "/missed.txt'"), 0);
        HANDLE volume = VolumeIoCreateFile(L"\\\\.\\U:", GENERIC_READ | GENERIC_WRITE, 7, nullptr, OPEN_EXISTING,
                                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        ASSERT_NE(volume, INVALID_HANDLE_VALUE);
        DWORD got = 0;
        VolumeIoDeleteUsnJournalData del{oldId, USN_DELETE_FLAG_DELETE};
        ASSERT_TRUE(VolumeIoDeviceIoControl(volume, FSCTL_DELETE_USN_JOURNAL, &del, sizeof del, nullptr, 0, &got, nullptr));
        if (replaced) {
            VolumeIoCreateUsnJournalData create{1u << 20, 1u << 16};
            ASSERT_TRUE(VolumeIoDeviceIoControl(volume, FSCTL_CREATE_USN_JOURNAL, &create, sizeof create, nullptr, 0,
                                                &got, nullptr));
        }
        VolumeIoCloseHandle(volume);
        v->monitorRunning = true;
        v->monitorThread = std::thread(&VolumeIndex::RunUsnMonitor, v);  // reads again, from its old position

        Posted p{};
        ASSERT_TRUE(sink.WaitFor(WM_VOLUME_REINDEX, 5000, &p));
        EXPECT_EQ(p.wParam, static_cast<WPARAM>(L'U' - L'A'));
        EXPECT_EQ(p.lParam, kReindexStarted);
        ASSERT_TRUE(sink.WaitFor(WM_VOLUME_REINDEX, 30000, &p));
        EXPECT_EQ(p.lParam, kReindexDone);
        EXPECT_TRUE(v->available);
        EXPECT_NE(v->usnJournalId, oldId);
        EXPECT_TRUE(HasPath(*v, L"U:\\before.txt"));
        EXPECT_TRUE(HasPath(*v, L"U:\\missed.txt"));
        for (const Posted& other : sink.Drain()) EXPECT_NE(other.msg, WM_VOLUME_LOST);
        // Followed again from the new journal.
        ASSERT_EQ(testfx::RunHostCommand("echo c > '" + h + "/later.txt'"), 0);
        EXPECT_TRUE(WaitUntil([&] { return HasPath(*v, L"U:\\later.txt"); }, 5000));
        std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
        ASSERT_EQ(g_searchEngine.volumes.size(), 1u);
        EXPECT_EQ(g_searchEngine.volumes[0].get(), v);
    }
}

// Real changes made by a native program on a drive whose journal the volume layer serves.
TEST(NtfsLive, HostChangesReachTheIndexWithinTwoSeconds) {
    if (testfx::FixtureDrive(L'U').empty()) GTEST_SKIP() << "fixture drive U: not mapped";
    const std::string h = testfx::FixtureDriveHostPath(L'U');
    ASSERT_EQ(testfx::RunHostCommand("mkdir -p '" + h + "/dir' '" + h + "/other' && echo a > '" + h + "/dir/start.txt'"), 0);
    VolumeIoClearScripts();
    VolumeIndex v;
    if (!v.BuildNtfs(L"U:")) GTEST_SKIP() << "the volume layer serves no journal for U:";
    ASSERT_TRUE(HasPath(v, L"U:\\dir\\start.txt"));
    struct Step {
        const char* what;
        std::string command;
        std::wstring present;
        std::wstring absent;
    } steps[] = {
        {"create", "echo b > '" + h + "/dir/made.txt'", L"U:\\dir\\made.txt", L""},
        {"rename", "mv '" + h + "/dir/made.txt' '" + h + "/dir/renamed.txt'", L"U:\\dir\\renamed.txt", L"U:\\dir\\made.txt"},
        {"move", "mv '" + h + "/dir/renamed.txt' '" + h + "/other/renamed.txt'", L"U:\\other\\renamed.txt",
         L"U:\\dir\\renamed.txt"},
        {"delete", "rm '" + h + "/other/renamed.txt'", L"", L"U:\\other\\renamed.txt"},
    };
    for (const Step& s : steps) {
        ASSERT_EQ(testfx::RunHostCommand(s.command), 0) << s.what;
        const bool seen = WaitUntil(
            [&] { return (s.present.empty() || HasPath(v, s.present)) && (s.absent.empty() || !HasPath(v, s.absent)); },
            2000);
        EXPECT_TRUE(seen) << s.what;
    }
    v.CloseVolume();
    EXPECT_FALSE(v.monitorRunning);
    EXPECT_FALSE(v.monitorThread.joinable());
}

}  // namespace
