#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <exception>
#include <map>
#include <regex>
#include <string>

#include "core/Core.h"
#include "search/Search.h"
#include "shell/Shell.h"
#include "support/fixture.h"

namespace {

std::wstring EnvW(const wchar_t* name) {
    wchar_t buf[1024] = {};
    DWORD n = GetEnvironmentVariableW(name, buf, 1024);
    return (n > 0 && n < 1024) ? std::wstring(buf, n) : std::wstring();
}

// key=value lines of a crash text (BOM stripped; CR LF checked by the caller).
std::map<std::string, std::string> ParseCrashText(const std::string& text) {
    std::map<std::string, std::string> kv;
    size_t pos = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        size_t eq = line.find('=');
        if (eq == std::string::npos) kv[line] = "";
        else kv[line.substr(0, eq)] = line.substr(eq + 1);
        pos = end + 2;
    }
    return kv;
}

// ---- the child side: the test executable re-run with TARNWICK_CRASH_CHILD set -------------

struct PureBase {
    PureBase() { Call(); }
    virtual ~PureBase() = default;
    __attribute__((noinline, optimize("no-devirtualize"))) void Call() { F(); }
    virtual void F() = 0;
};
struct PureDerivedA : PureBase {
    void F() override {}
};
struct PureDerivedB : PureBase {
    void F() override { Sleep(0); }
};

volatile int g_recurseLimit = 1 << 30;
__attribute__((noinline)) int Recurse(int depth) {
    volatile char pad[4096];
    pad[0] = static_cast<char>(depth);
    if (depth >= g_recurseLimit) return pad[0];
    return Recurse(depth + 1) + pad[0];
}

// Runs after the crash reporter's own vectored handler: keeps a copy of the text the first
// report left, and whether it marked the run as crashing.
LONG WINAPI ObserveFirstReport(EXCEPTION_POINTERS* ep) {
    static LONG seen = 0;
    if (ep->ExceptionRecord->ExceptionCode == 0xC0000005 && InterlockedExchange(&seen, 1) == 0) {
        std::wstring cfg = GetConfigDir();
        CopyFileW((cfg + L"\\crash_last.txt").c_str(), (cfg + L"\\crash_vectored.txt").c_str(), FALSE);
        testfx::WriteFileBytes(cfg + L"\\flag_after_vectored.txt", g_crashInProgress.load() ? "1" : "0");
        // A dump costs seconds under Wine: only the final report of this run writes one.
        core_detail::SetCrashDumpEnabled(EnvW(L"TARNWICK_CRASH_NODUMP").empty());
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

// A fault that a task's catch-all survives lets the process go on: end it once the report
// is there (a fault that ends the process ends it earlier).
void WaitForReportThenExit() {
    std::wstring path = GetConfigDir() + L"\\crash_last.txt";
    for (int i = 0; i < 300 && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(50);
    Sleep(500);
    if (EnvW(L"TARNWICK_CRASH_NODUMP").empty()) {
        // Wait until the dump beside the program has stopped growing (at most 45 s).
        std::wstring exe = testfx::ThisExePath();
        std::wstring dump = exe.substr(0, exe.find_last_of(L'\\')) + L"\\crash_last.dmp";
        size_t last = 0;
        for (int i = 0; i < 45; ++i) {
            Sleep(1000);
            size_t now = testfx::ReadFileBytes(dump).size();
            if (now > 0 && now == last) break;
            last = now;
        }
    }
    ExitProcess(0);
}

TEST(CrashChild, Run) {
    std::wstring kind = EnvW(L"TARNWICK_CRASH_CHILD");
    if (kind.empty()) GTEST_SKIP() << "only run as a crash child";
    SetConfigDirOverride(EnvW(L"TARNWICK_CRASH_CONFIG"));
    core_detail::SetCrashDumpEnabled(false);
    if (kind != L"av_task") core_detail::SetCrashDumpEnabled(EnvW(L"TARNWICK_CRASH_NODUMP").empty());
    InstallCrashHooks();
    AddVectoredExceptionHandler(0, &ObserveFirstReport);
    SetCrashQueryText(L"report \u00E9\u4E2D query");
    g_appMode = 2;
    g_searchGeneration = 77;
    if (kind == L"av_task") {
        RunBackgroundTask(L"crash_task", [] {
            volatile int* p = nullptr;
            (void)*p;
        });
        WaitForReportThenExit();
    } else if (kind == L"handled") {
        // Two first-chance faults that the system handles itself: the program goes on.
        BOOL bad1 = IsBadReadPtr(reinterpret_cast<void*>(16), 4);
        std::wstring cfg = GetConfigDir();
        CopyFileW((cfg + L"\\crash_last.txt").c_str(), (cfg + L"\\crash_handled.txt").c_str(), FALSE);
        DeleteFileW((cfg + L"\\crash_last.txt").c_str());
        BOOL bad2 = IsBadReadPtr(reinterpret_cast<void*>(32), 4);
        std::string out = std::string(bad1 ? "bad1 " : "") + (bad2 ? "bad2 " : "") +
                          (g_crashInProgress.load() ? "flag=1" : "flag=0");
        testfx::WriteFileBytes(cfg + L"\\handled_done.txt", out);
        ExitProcess(0);
    } else if (kind == L"terminate") {
        std::terminate();
    } else if (kind == L"purecall") {
        if (GetTickCount64() != 0) {
            PureDerivedA a;
        } else {
            PureDerivedB b;
        }
    } else if (kind == L"overflow") {
        RunBackgroundTask(L"overflow_task", [] { Recurse(0); });
        WaitForReportThenExit();
    }
    ExitProcess(99);
}

// ---- the parent side ------------------------------------------------------------------------

class CrashReport : public ::testing::Test {
protected:
    void SetUp() override {
        // The child is a copy of this program in a scratch folder, so that the files the
        // reporter writes beside the program land there.
        dir_ = testfx::MakeScratchDir(L"core-crash");
        cfg_ = dir_ + L"\\cfg";
        CreateDirectoryW(cfg_.c_str(), nullptr);
        child_ = dir_ + L"\\crash_child.exe";
        ASSERT_TRUE(CopyFileW(testfx::ThisExePath().c_str(), child_.c_str(), FALSE));
    }

    // Runs the child and returns its exit code (-1 when it did not end within 60 s).
    // Minidumps take seconds under Wine: only the test that looks at one asks for it.
    int RunChild(const wchar_t* kind, bool withDump = false) {
        SetEnvironmentVariableW(L"TARNWICK_CRASH_NODUMP", withDump ? nullptr : L"1");
        SetEnvironmentVariableW(L"TARNWICK_CRASH_CHILD", kind);
        SetEnvironmentVariableW(L"TARNWICK_CRASH_CONFIG", cfg_.c_str());
        std::wstring cmd = L"\"" + child_ + L"\" --gtest_filter=CrashChild.Run";
        SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
        HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                                 OPEN_EXISTING, 0, nullptr);
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = si.hStdOutput = si.hStdError = nul;
        PROCESS_INFORMATION pi{};
        BOOL ok = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
        SetEnvironmentVariableW(L"TARNWICK_CRASH_CHILD", nullptr);
        SetEnvironmentVariableW(L"TARNWICK_CRASH_CONFIG", nullptr);
        SetEnvironmentVariableW(L"TARNWICK_CRASH_NODUMP", nullptr);
        CloseHandle(nul);
        if (!ok) return -2;
        DWORD code = static_cast<DWORD>(-1);
        if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
        else TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        return static_cast<int>(code);
    }

    std::string ReadCfg(const wchar_t* name) { return testfx::ReadFileBytes(cfg_ + L"\\" + name); }

    // The keys every crash text has, in their order, and the shape of the back-trace.
    void ExpectCommonShape(const std::string& text) {
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.compare(0, 3, "\xEF\xBB\xBF"), 0);
        std::string order = "time=.*\r\nreason=.*\r\ndump=.*crash_last\\.dmp\r\n(exception_[^\r]*\r\n|av_[^\r]*\r\n)*"
                            "thread_id=\\d+\r\nthread_tag=.*\r\nlast_msg=0x[0-9A-F]{4}\r\nlast_hwnd=0x[0-9A-F]{16}\r\n"
                            "last_wparam=0x[0-9A-F]{16}\r\nlast_lparam=0x[0-9A-F]{16}\r\n(extra=.*\r\n)?query=.*\r\n"
                            "ticket=\\d+\r\nmode=-?\\d+\r\nstack_begin\r\n(bt_\\d{2}=0x[0-9A-F]{16} module=.*\r\n)+"
                            "stack_end\r\n$";
        EXPECT_TRUE(std::regex_search(text, std::regex(order))) << text;
    }

    std::wstring dir_;
    std::wstring cfg_;
    std::wstring child_;
};

TEST_F(CrashReport, AccessViolationInTaskWritesTextsAndDump) {
    RunChild(L"av_task", true);  // a crashed process exits with a code of no meaning under test
    std::string last = ReadCfg(L"crash_last.txt");
    ExpectCommonShape(last);
    auto kv = ParseCrashText(last);
    // The vectored handler reports the fault first; when nothing handles it, the unhandled
    // filter reports it again (a task's catch-all may also end it, depending on the compiler).
    EXPECT_TRUE(kv["reason"] == "vectored_exception" || kv["reason"] == "unhandled_exception") << kv["reason"];
    EXPECT_EQ(kv["exception_code"], "0xC0000005");
    EXPECT_EQ(kv["av_type"], "read");
    EXPECT_EQ(kv["av_target"], "0x0000000000000000");
    EXPECT_EQ(kv["exception_param_count"], "2");
    EXPECT_EQ(kv["thread_tag"], "crash_task");
    EXPECT_EQ(kv["last_msg"], "0x0000");
    EXPECT_EQ(kv.count("extra"), 0u);
    EXPECT_EQ(kv["query"], "report \xC3\xA9\xE4\xB8\xAD query");
    EXPECT_EQ(kv["ticket"], "77");
    EXPECT_EQ(kv["mode"], "2");
    EXPECT_NE(kv["exception_module"].find("module="), std::string::npos);
    EXPECT_NE(kv["bt_00"].find("crash_child.exe"), std::string::npos) << kv["bt_00"];
    // The first report came from the vectored handler, without marking the run as crashed.
    auto first = ParseCrashText(ReadCfg(L"crash_vectored.txt"));
    EXPECT_EQ(first["reason"], "vectored_exception");
    EXPECT_EQ(first["thread_tag"], "crash_task");
    EXPECT_EQ(first["av_type"], "read");
    EXPECT_EQ(ReadCfg(L"flag_after_vectored.txt"), "0");
    // The same text beside the program, and a minidump.
    auto early = ParseCrashText(testfx::ReadFileBytes(dir_ + L"\\crash_early.txt"));
    EXPECT_EQ(early["reason"], kv["reason"]);
    std::string dump = testfx::ReadFileBytes(dir_ + L"\\crash_last.dmp");
    ASSERT_GT(dump.size(), 1000u);
    EXPECT_EQ(dump.substr(0, 4), "MDMP");
}

TEST_F(CrashReport, HandledFirstChanceFaultIsReportedOnceAndRunGoesOn) {
    EXPECT_EQ(RunChild(L"handled"), 0);
    EXPECT_EQ(ReadCfg(L"handled_done.txt"), "bad1 bad2 flag=0");
    auto kv = ParseCrashText(ReadCfg(L"crash_handled.txt"));
    EXPECT_EQ(kv["reason"], "vectored_exception");
    EXPECT_EQ(kv["exception_code"], "0xC0000005");
    EXPECT_EQ(kv["av_target"], "0x0000000000000010");
    // The second fault of the run is not reported.
    EXPECT_TRUE(ReadCfg(L"crash_last.txt").empty());
}

TEST_F(CrashReport, TerminateAndPureCallExitCodes) {
    EXPECT_EQ(RunChild(L"terminate"), 3);
    std::string text = ReadCfg(L"crash_last.txt");
    ExpectCommonShape(text);
    auto kv = ParseCrashText(text);
    EXPECT_EQ(kv["reason"], "std_terminate");
    EXPECT_EQ(kv.count("exception_code"), 0u);
    EXPECT_EQ(kv["thread_tag"], "main");

    EXPECT_EQ(RunChild(L"purecall"), 5);
    EXPECT_EQ(ParseCrashText(ReadCfg(L"crash_last.txt"))["reason"], "pure_virtual_call");
}

TEST_F(CrashReport, StackOverflowIsReportedFromAThreadWithStack) {
    RunChild(L"overflow");
    std::string text = ReadCfg(L"crash_last.txt");
    ExpectCommonShape(text);
    auto kv = ParseCrashText(text);
    EXPECT_EQ(kv["exception_code"], "0xC00000FD");
    EXPECT_EQ(kv["thread_tag"], "overflow_task");
    // The back-trace is the overflowing thread's: its frames are in the test program.
    EXPECT_NE(kv["bt_00"].find("crash_child.exe"), std::string::npos) << text;
    EXPECT_NE(kv["bt_05"].find("crash_child.exe"), std::string::npos) << text;
}

// In-process: the text writer's bounds and a survivable report.
TEST_F(CrashReport, TextListsAtMostFifteenParameters) {
    SetConfigDirOverride(cfg_);
    EXCEPTION_RECORD er{};
    er.ExceptionCode = 0xE0000001;
    er.NumberParameters = 20;  // more than the record can hold: only its 15 slots are read
    for (int i = 0; i < 15; ++i) er.ExceptionInformation[i] = 0x100 + i;
    CONTEXT ctx{};
    EXCEPTION_POINTERS ep{&er, &ctx};
    CrashReportContext c;
    c.reason = nullptr;
    c.dumpPath = L"X:\\d.dmp";
    c.exceptionPointers = &ep;
    std::wstring path = cfg_ + L"\\t.txt";
    WriteCrashText(c, path.c_str());
    std::string text = testfx::ReadFileBytes(path);
    auto kv = ParseCrashText(text);
    EXPECT_EQ(kv["reason"], "unknown");
    EXPECT_EQ(kv["exception_param_count"], "20");
    EXPECT_EQ(kv["exception_param_14"], "0x000000000000010E");
    EXPECT_EQ(kv.count("exception_param_15"), 0u);
    EXPECT_EQ(kv.count("av_type"), 0u);
    SetConfigDirOverride(L"");
}

TEST_F(CrashReport, SurvivableReportNamesLastMessageAndKeepsSaving) {
    SetConfigDirOverride(cfg_);
    ThreadCrashRecord& rec = GetThreadCrashRecord();
    rec.msg = WM_MOUSEMOVE;
    rec.hwnd = reinterpret_cast<HWND>(0x1234);
    rec.wParam = 1;
    rec.lParam = 0x00500060;
    swprintf(rec.extra, 512, L"mousemove tooltip std::exception: %ls", L"bad \u00E9");
    WriteCrashReport(L"mousemove_tooltip_exception", nullptr);
    rec = ThreadCrashRecord{};
    auto kv = ParseCrashText(ReadCfg(L"crash_last.txt"));
    EXPECT_EQ(kv["reason"], "mousemove_tooltip_exception");
    EXPECT_EQ(kv["last_msg"], "0x0200");
    EXPECT_EQ(kv["last_hwnd"], "0x0000000000001234");
    EXPECT_EQ(kv["last_lparam"], "0x0000000000500060");
    EXPECT_EQ(kv["extra"], "mousemove tooltip std::exception: bad \xC3\xA9");
    EXPECT_EQ(kv["thread_tag"], "main");
    EXPECT_FALSE(g_crashInProgress.load());
    SetConfigDirOverride(L"");
}

TEST(CrashCodes, FatalCodes) {
    for (DWORD c : {0x80000002u, 0xC0000005u, 0xC0000006u, 0xC000001Du, 0xC000008Cu, 0xC000008Eu, 0xC0000094u,
                    0xC0000096u, 0xC00000FDu, 0xC0000374u, 0xC0000409u})
        EXPECT_TRUE(IsFatalExceptionCode(c)) << std::hex << c;
    for (DWORD c : {0x80000003u, 0xE06D7363u, 0x20474343u, 0xC0000008u, 0u}) EXPECT_FALSE(IsFatalExceptionCode(c));
}

}  // namespace
