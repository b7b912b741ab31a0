// Autostart: command-line quoting, the hidden process runner (against the recording stand-in),
// the toggle's decisions between task and Run value, and the cached state of the async toggle.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "core/Raii.h"
#include "i18n/I18n.h"
#include "settings/AutoStart.h"
#include "support/fixture.h"

namespace {

std::wstring StandInPath() {
    std::wstring self = testfx::ThisExePath();
    return self.substr(0, self.find_last_of(L'\\') + 1) + L"settings_stand_in.exe";
}

void SetRunValue(const wchar_t* data) {
    RegKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kAutoStartRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), kAutoStartRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                             static_cast<DWORD>((wcslen(data) + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

// A scripted schtasks.exe: records every argument list and answers from a task flag.
struct FakeSchtasks {
    std::vector<std::vector<std::wstring>> calls;
    bool taskExists = false;
    DWORD createExit = 0;
    bool createStarts = true;
    bool queryFindsCreated = true;

    AutoStartProcessRunner Runner() {
        return [this](const std::wstring&, const std::vector<std::wstring>& args, DWORD* code, DWORD) {
            calls.push_back(args);
            const std::wstring verb = args.empty() ? L"" : args[0];
            if (verb == L"/Query") {
                *code = taskExists ? 0 : 1;
            } else if (verb == L"/Create") {
                if (!createStarts) return false;
                *code = createExit;
                if (createExit == 0 && queryFindsCreated) taskExists = true;
            } else if (verb == L"/Delete") {
                taskExists = false;
                *code = 0;
            }
            return true;
        };
    }
    std::vector<std::wstring> Verbs() const {
        std::vector<std::wstring> v;
        for (const auto& c : calls) v.push_back(c.empty() ? L"" : c[0]);
        return v;
    }
};

class AutoStartToggle : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteAutoStartRunValue(nullptr);
        SetAutoStartProcessRunner(fake.Runner());
    }
    void TearDown() override {
        SetAutoStartProcessRunner(nullptr);
        DeleteAutoStartRunValue(nullptr);
    }
    FakeSchtasks fake;
};

}  // namespace

TEST(AutoStartQuote, FollowsTheCommandLineSplittingRules) {
    const struct {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"/Query", L"/Query"},
        {L"", L""},
        {L"C:\\Program Files\\T\\Tarnwick.exe", L"\"C:\\Program Files\\T\\Tarnwick.exe\""},
        {L"\"C:\\A B\\T.exe\" -hidden", L"\"\\\"C:\\A B\\T.exe\\\" -hidden\""},
        {L"C:\\A B\\", L"\"C:\\A B\\\\\""},
        {L"a\\\\\"b", L"\"a\\\\\\\\\\\"b\""},  // two backslashes before a quote: 5 then the quote
        {L"tab\there", L"\"tab\there\""},
        {L"back\\slash", L"back\\slash"},
    };
    for (const auto& c : cases) EXPECT_EQ(QuoteCommandLineArg(c.in), c.out) << c.in;
}

TEST(AutoStartQuote, TheCreateLineNamesTheTaskAndAQuotedHiddenCommand) {
    const std::vector<std::wstring> args = AutoStartCreateArgs(BuildAutoStartTaskCommand(L"C:\\A B\\Tarnwick.exe"));
    const std::vector<std::wstring> want = {L"/Create", L"/F",      L"/TN", L"Tarnwick_AutoStart",
                                            L"/SC",     L"ONLOGON", L"/DELAY", L"0000:15",
                                            L"/RL",     L"HIGHEST", L"/TR", L"\"C:\\A B\\Tarnwick.exe\" -hidden"};
    EXPECT_EQ(args, want);
    EXPECT_EQ(QuoteCommandLineArg(args.back()), L"\"\\\"C:\\A B\\Tarnwick.exe\\\" -hidden\"");
}

TEST(AutoStartProcess, RunsHiddenReportsExitCodesAndEndsWhatTimesOut) {
    const std::wstring dir = testfx::MakeScratchDir(L"autostart_run");
    SetEnvironmentVariableW(L"TARNWICK_RECORD_DIR", dir.c_str());
    SetEnvironmentVariableW(L"TARNWICK_FAKE_CREATE_EXIT", L"7");
    const std::wstring exe = StandInPath();

    DWORD code = 12345;
    EXPECT_TRUE(RunProcessHidden(exe, {L"/Create", L"/TR", L"\"C:\\A B\\x.exe\" -hidden"}, &code, 10000));
    EXPECT_EQ(code, 7u);
    // The child saw the arguments back as they were given (its recorded line, re-split).
    const std::string log = testfx::ReadFileBytes(dir + L"\\settings_stand_in.log");
    EXPECT_NE(log.find("/Create /TR \"\\\"C:\\A B\\x.exe\\\" -hidden\""), std::string::npos) << log;

    code = 12345;
    EXPECT_FALSE(RunProcessHidden(exe, {L"/Sleep", L"20000"}, &code, 300));
    EXPECT_EQ(code, static_cast<DWORD>(WAIT_TIMEOUT));

    // The end of the program stops the wait at once (the process is left to finish).
    std::atomic<bool> stop{true};
    code = 12345;
    EXPECT_FALSE(RunProcessHiddenUnless(exe, {L"/Sleep", L"3000"}, &code, 10000, &stop));  // else 0 after 3 s
    EXPECT_EQ(code, static_cast<DWORD>(ERROR_CANCELLED));
    stop = false;
    EXPECT_TRUE(RunProcessHiddenUnless(exe, {L"/Delete"}, &code, 10000, &stop));
    EXPECT_EQ(code, 0u);

    code = 12345;
    EXPECT_FALSE(RunProcessHidden(dir + L"\\missing.exe", {L"/Query"}, &code, 1000));
    EXPECT_EQ(code, 12345u);  // not started: left untouched
    EXPECT_FALSE(RunProcessHidden(dir + L"\\missing.exe", {}, nullptr, 1000));

    SetEnvironmentVariableW(L"TARNWICK_FAKE_CREATE_EXIT", nullptr);
    SetEnvironmentVariableW(L"TARNWICK_RECORD_DIR", nullptr);
}

TEST(AutoStartProcess, TheOwnPathIsReadWhole) {
    std::wstring path;
    ASSERT_TRUE(GetOwnProgramPath(path));
    EXPECT_EQ(path, testfx::ThisExePath().substr(testfx::ThisExePath().size() - path.size()));
    EXPECT_NE(path.find(L"test_settings.exe"), std::wstring::npos);
}

TEST_F(AutoStartToggle, TheRunValueCountsOnlyWhenItHoldsText) {
    EXPECT_FALSE(HasAutoStartRunValue());
    SetRunValue(L"");
    EXPECT_FALSE(HasAutoStartRunValue());
    EXPECT_FALSE(IsAutoStartEnabled());
    SetRunValue(L"C:\\x.exe");
    EXPECT_TRUE(HasAutoStartRunValue());
    EXPECT_TRUE(IsAutoStartEnabled());
    DWORD error = 99;
    EXPECT_TRUE(DeleteAutoStartRunValue(&error));
    EXPECT_EQ(error, 0u);
    EXPECT_TRUE(DeleteAutoStartRunValue(&error));  // already gone counts as done
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(AutoStartToggle, OnlyARunValueIsTurnedOffWithoutRunningADelete) {
    SetRunValue(L"C:\\x.exe");
    AutoStartOutcome outcome = ToggleAutoStartQuietly();
    EXPECT_EQ(outcome.failure, AutoStartOutcome::Failure::None);
    EXPECT_FALSE(outcome.enabled);
    EXPECT_FALSE(HasAutoStartRunValue());
    EXPECT_EQ(fake.Verbs(), (std::vector<std::wstring>{L"/Query"}));
}

TEST_F(AutoStartToggle, TurningOnCreatesTheTaskRemovesTheRunValueAndChecks) {
    AutoStartOutcome outcome = ToggleAutoStartQuietly();
    EXPECT_EQ(outcome.failure, AutoStartOutcome::Failure::None);
    EXPECT_TRUE(outcome.enabled);
    EXPECT_EQ(fake.Verbs(), (std::vector<std::wstring>{L"/Query", L"/Create", L"/Query"}));
    std::wstring self;
    ASSERT_TRUE(GetOwnProgramPath(self));
    EXPECT_EQ(fake.calls[1].back(), L"\"" + self + L"\" -hidden");

    // And off again: the task is deleted.
    fake.calls.clear();
    outcome = ToggleAutoStartQuietly();
    EXPECT_EQ(outcome.failure, AutoStartOutcome::Failure::None);
    EXPECT_FALSE(outcome.enabled);
    EXPECT_EQ(fake.Verbs(), (std::vector<std::wstring>{L"/Query", L"/Delete"}));
}

TEST_F(AutoStartToggle, CreationFailuresCarryTheExitCode) {
    const struct {
        DWORD createExit;
        bool starts;
        bool queryFinds;
        DWORD shown;
    } cases[] = {
        {1, true, true, 1},                     // refused (not elevated enough)
        {0, true, false, 0},                    // created, but the query does not find it
        {0, false, true, kAutoStartNotStarted},  // schtasks.exe could not be started
    };
    for (const auto& c : cases) {
        fake = FakeSchtasks{};
        fake.createExit = c.createExit;
        fake.createStarts = c.starts;
        fake.queryFindsCreated = c.queryFinds;
        SetAutoStartProcessRunner(fake.Runner());
        AutoStartOutcome outcome = ToggleAutoStartQuietly();
        EXPECT_EQ(outcome.failure, AutoStartOutcome::Failure::Create);
        EXPECT_EQ(outcome.taskExitCode, c.shown);
        EXPECT_FALSE(outcome.enabled);
        const bool wasChinese = g_languageIsChinese.exchange(false);
        const std::wstring text = AutoStartFailureText(outcome);
        g_languageIsChinese = true;
        const std::wstring chinese = AutoStartFailureText(outcome);
        g_languageIsChinese = wasChinese;
        EXPECT_EQ(text.rfind(L"Failed to create startup task.\nTask exit code: " + std::to_wstring(c.shown) + L"\n", 0), 0u)
            << text;
        EXPECT_NE(chinese.find(L"计划任务退出码: " + std::to_wstring(c.shown)), std::wstring::npos);
    }
}

TEST(AutoStartText, TheDisableBoxNamesBothCodes) {
    AutoStartOutcome outcome;
    outcome.failure = AutoStartOutcome::Failure::Disable;
    outcome.taskExitCode = 258;
    outcome.registryError = 5;
    const bool wasChinese = g_languageIsChinese.exchange(false);
    EXPECT_EQ(AutoStartFailureText(outcome), L"Failed to disable startup.\nTask exit code: 258\nRegistry error: 5");
    g_languageIsChinese = wasChinese;
    EXPECT_EQ(AutoStartFailureText(AutoStartOutcome{}), L"");
}

TEST_F(AutoStartToggle, TheAsyncToggleHoldsTheBusyFlagAndCachesTheState) {
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetAutoStartProcessRunner([&](const std::wstring& exe, const std::vector<std::wstring>& args, DWORD* code,
                                  DWORD timeout) {
        WaitForSingleObject(release, 10000);
        return fake.Runner()(exe, args, code, timeout);
    });
    ASSERT_TRUE(ToggleAutoStartAsync());
    EXPECT_TRUE(IsAutoStartBusy());
    EXPECT_FALSE(ToggleAutoStartAsync());        // one change at a time
    EXPECT_FALSE(RefreshAutoStartStateAsync());  // and no query beside it
    SetEvent(release);
    ASSERT_TRUE(WaitAutoStartIdle(10000));
    EXPECT_EQ(GetAutoStartState(), AutoStartState::On);
    ASSERT_TRUE(RefreshAutoStartStateAsync());
    ASSERT_TRUE(WaitAutoStartIdle(10000));
    EXPECT_EQ(GetAutoStartState(), AutoStartState::On);
    fake.taskExists = false;
    ASSERT_TRUE(RefreshAutoStartStateAsync());
    ASSERT_TRUE(WaitAutoStartIdle(10000));
    EXPECT_EQ(GetAutoStartState(), AutoStartState::Off);
    CloseHandle(release);
}
