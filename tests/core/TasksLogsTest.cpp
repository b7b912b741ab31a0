#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>

#include "core/Core.h"
#include "support/fixture.h"

namespace {

std::string Utf8(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), s.data(), n, nullptr, nullptr);
    return s;
}

size_t CountOf(const std::string& hay, const std::string& needle) {
    size_t n = 0;
    for (size_t p = hay.find(needle); p != std::string::npos; p = hay.find(needle, p + 1)) ++n;
    return n;
}

// Waits until the handle log holds `needle` at least once (or 5 s passed).
std::string WaitForGdiLog(const std::string& needle) {
    std::string log;
    for (int i = 0; i < 250; ++i) {
        log = testfx::ReadFileBytes(GetGdiLogPath());
        if (log.find(needle) != std::string::npos) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return log;
}

TEST(CoreTasks, ThrowingTaskIsLoggedOnceUnderItsName) {
    static wchar_t name[64];
    swprintf(name, 64, L"core_test_throw_%lu_%llu", GetCurrentProcessId(), (unsigned long long)GetTickCount64());
    static std::atomic<const wchar_t*> seenTag{nullptr};
    RunBackgroundTask(name, [] {
        seenTag = GetThreadTag();
        throw std::runtime_error("boom");
    });
    std::string needle = "[BackgroundThreadException] " + Utf8(name) + "\r\n";
    std::string log = WaitForGdiLog(needle);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    log = testfx::ReadFileBytes(GetGdiLogPath());
    EXPECT_EQ(CountOf(log, needle), 1u);
    EXPECT_EQ(seenTag.load(), name);
    // The line carries the time stamp and the handle counts, and nothing of the exception.
    std::regex line("\\[\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\.\\d{3}\\] GDI=\\d+ USER=\\d+ \\[BackgroundThreadException\\] " +
                    Utf8(name) + "\r\n");
    EXPECT_TRUE(std::regex_search(log, line));
    EXPECT_EQ(log.find("boom"), std::string::npos);
}

TEST(CoreTasks, NullNameTagsBackgroundAndLogsUnknown) {
    static std::atomic<const wchar_t*> seenTag{nullptr};
    static std::atomic<bool> done{false};
    size_t before = CountOf(testfx::ReadFileBytes(GetGdiLogPath()), "[BackgroundThreadException] unknown\r\n");
    RunBackgroundTask(nullptr, [] {
        seenTag = GetThreadTag();
        done = true;
        throw 42;  // not a std::exception
    });
    for (int i = 0; i < 250; ++i) {
        if (CountOf(testfx::ReadFileBytes(GetGdiLogPath()), "[BackgroundThreadException] unknown\r\n") > before) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(done.load());
    ASSERT_NE(seenTag.load(), nullptr);
    EXPECT_STREQ(seenTag.load(), L"background");
    EXPECT_EQ(CountOf(testfx::ReadFileBytes(GetGdiLogPath()), "[BackgroundThreadException] unknown\r\n"), before + 1);
}

TEST(CoreTasks, EmptyWorkIsAFailureAndTaskCopiesItsWork) {
    static wchar_t name[64];
    swprintf(name, 64, L"core_test_empty_%lu_%llu", GetCurrentProcessId(), (unsigned long long)GetTickCount64());
    RunBackgroundTask(name, std::function<void()>());
    std::string needle = "[BackgroundThreadException] " + Utf8(name) + "\r\n";
    EXPECT_EQ(CountOf(WaitForGdiLog(needle), needle), 1u);

    // The caller's function object may die as soon as the call returns.
    std::atomic<int> ran{0};
    {
        std::function<void()> work = [&ran] { ran = 7; };
        RunBackgroundTask(L"core_test_copy", work);
    }
    for (int i = 0; i < 250 && ran.load() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ran.load(), 7);
}

TEST(CoreTasks, OtherThreadsKeepMainTag) {
    EXPECT_STREQ(GetThreadTag(), L"main");
    const wchar_t* other = nullptr;
    std::thread([&other] { other = GetThreadTag(); }).join();
    EXPECT_STREQ(other, L"main");
}

TEST(CoreTasks, PostMessageIfWindow) {
    EXPECT_FALSE(PostMessageIfWindow(nullptr, WM_USER + 1, 0, 0));
    HWND hwnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(PostMessageIfWindow(hwnd, WM_USER + 1, 11, 22));
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, hwnd, WM_USER + 1, WM_USER + 1, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 11u);
    EXPECT_EQ(msg.lParam, 22);
    DestroyWindow(hwnd);
    EXPECT_FALSE(PostMessageIfWindow(hwnd, WM_USER + 1, 0, 0));
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_USER + 1, WM_USER + 1, PM_REMOVE));
}

class CoreLogs : public ::testing::Test {
protected:
    void SetUp() override { dir_ = testfx::MakeScratchDir(L"core-logs"); }
    void TearDown() override { SetConfigDirOverride(L""); }
    std::wstring dir_;
};

TEST_F(CoreLogs, PerfMetricLinesWithBomAndCrLf) {
    SetConfigDirOverride(dir_ + L"\\cfg");
    AppendPerfMetric(L"startup index_ms=12 volume_count=3");
    AppendPerfMetric(L"i18n missing_key=K\u00E4y lang=zh-cn \u4E2D");
    std::string log = testfx::ReadFileBytes(dir_ + L"\\cfg\\perf_metrics.log");
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(CountOf(log, "\xEF\xBB\xBF"), 1u);
    std::regex re(
        "^\xEF\xBB\xBF\\[\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\.\\d{3}\\] startup index_ms=12 volume_count=3\r\n"
        "\\[\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\.\\d{3}\\] i18n missing_key=K\xC3\xA4y lang=zh-cn \xE4\xB8\xAD\r\n$");
    EXPECT_TRUE(std::regex_search(log, re)) << log;
}

TEST_F(CoreLogs, PerfMetricIntoUnusableFolderIsSilent) {
    ASSERT_TRUE(testfx::WriteFileBytes(dir_ + L"\\file", "x"));
    SetConfigDirOverride(dir_ + L"\\file\\cfg");  // cannot be created under a file
    AppendPerfMetric(L"lost");
    EXPECT_EQ(GetFileAttributesW((dir_ + L"\\file\\cfg\\perf_metrics.log").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(CoreLogs, ConcurrentPerfMetricsNeverInterleave) {
    SetConfigDirOverride(dir_ + L"\\cfg");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 25; ++i) AppendPerfMetric(L"line t=" + std::to_wstring(t) + L" i=" + std::to_wstring(i));
        });
    }
    for (auto& th : threads) th.join();
    std::string log = testfx::ReadFileBytes(dir_ + L"\\cfg\\perf_metrics.log");
    EXPECT_EQ(CountOf(log, "\r\n"), 100u);
    EXPECT_EQ(CountOf(log, "] line t="), 100u);
}

// A performance log left from long use is cut to its newest whole lines, not grown for ever.
TEST_F(CoreLogs, PerfMetricLogIsCappedKeepingTheNewestLines) {
    SetConfigDirOverride(dir_ + L"\\cfg");
    AppendPerfMetric(L"first");
    const std::wstring path = dir_ + L"\\cfg\\perf_metrics.log";
    std::string big = testfx::ReadFileBytes(path);
    size_t n = 0;
    while (big.size() <= kLogFileCapBytes)
        big += "[2026-01-01 00:00:00.000] line " + std::to_string(n++) + " sort col=1 dir=asc rows=123456 ms=7\r\n";
    ASSERT_TRUE(testfx::WriteFileBytes(path, big));
    AppendPerfMetric(L"newest");
    const std::string log = testfx::ReadFileBytes(path);
    EXPECT_LE(log.size(), kLogFileKeepBytes + 200);
    EXPECT_GE(log.size(), kLogFileKeepBytes - 200);
    EXPECT_EQ(log.substr(0, 4), "\xEF\xBB\xBF[");  // the mark, then a whole line
    EXPECT_EQ(log.find("] first"), std::string::npos);
    EXPECT_NE(log.find("] line " + std::to_string(n - 1) + " sort"), std::string::npos);
    EXPECT_EQ(log.substr(log.size() - 8), "newest\r\n");
    EXPECT_EQ(GetFileAttributesW((path + L".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(CoreLogs, GdiLogLineFormat) {
    std::string before = testfx::ReadFileBytes(GetGdiLogPath());
    LogGdi(L"WM_CREATE begin \u00E9");
    LogGdi(nullptr);
    LogBackgroundException(L"");
    std::string log = testfx::ReadFileBytes(GetGdiLogPath());
    ASSERT_GT(log.size(), before.size());
    std::string added = log.substr(before.size());
    std::regex re(
        "^\\[[-0-9 :.]{23}\\] GDI=\\d+ USER=\\d+ WM_CREATE begin \xC3\xA9\r\n"
        "\\[[-0-9 :.]{23}\\] GDI=\\d+ USER=\\d+ \r\n"
        "\\[[-0-9 :.]{23}\\] GDI=\\d+ USER=\\d+ \\[BackgroundThreadException\\] unknown\r\n$");
    EXPECT_TRUE(std::regex_search(added, re)) << added;
    EXPECT_EQ(log.substr(0, 3), "\xEF\xBB\xBF");
}

}  // namespace

namespace {

// Cancellable tasks: a cancel reaches only its own task, the exit waits for every task (also
// the plain ones) and a task that ignores the flag is reported, not waited for forever.
TEST(CoreTasks, CancelReachesItsTaskAndExitWaitsForAll) {
    std::atomic<bool> plainMayEnd{false};
    std::atomic<int> finished{0};
    auto loop = [&finished](const std::atomic<bool>& cancel) {
        while (!cancel.load()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        finished.fetch_add(1);
    };
    const TaskId first = RunCancellableTask(L"test_cancel_a", loop);
    const TaskId second = RunCancellableTask(L"test_cancel_b", loop);
    ASSERT_NE(first, 0u);
    ASSERT_NE(first, second);
    RunBackgroundTask(L"test_plain", [&] {
        while (!plainMayEnd.load()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        finished.fetch_add(1);
    });

    CancelTask(first);
    for (int i = 0; i < 500 && IsTaskRunning(first); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(IsTaskRunning(first));
    EXPECT_TRUE(IsTaskRunning(second));
    EXPECT_EQ(finished.load(), 1);

    // The plain task does not see a cancel flag: the wait gives up and says so.
    EXPECT_FALSE(StopAndWaitForTasks(100));
    EXPECT_FALSE(IsTaskRunning(second));
    EXPECT_NE(WaitForGdiLog("test_plain").find("tasks still running at exit: test_plain"), std::string::npos);

    plainMayEnd = true;
    EXPECT_TRUE(StopAndWaitForTasks(5000));
    EXPECT_EQ(RunningTaskCount(), 0u);
    EXPECT_EQ(finished.load(), 3);
}

}  // namespace
