// The hidden switch, hotkey.ini, hotkey names and the exit summary line.
#include <gtest/gtest.h>

#include "shell/Shell.h"
#include "support/fixture.h"

TEST(ShellText, HiddenSwitchIsAWholeArgumentInAnyCase) {
    EXPECT_TRUE(CommandLineAsksHidden(L"Tarnwick.exe /HIDDEN", nullptr));
    EXPECT_TRUE(CommandLineAsksHidden(L"\"C:\\x y\\Tarnwick.exe\" -Hidden", nullptr));
    EXPECT_FALSE(CommandLineAsksHidden(L"Tarnwick.exe -hiddenx", nullptr));
    EXPECT_FALSE(CommandLineAsksHidden(L"-hidden", nullptr));  // the program name itself
    EXPECT_FALSE(CommandLineAsksHidden(L"Tarnwick.exe", nullptr));
    // Without a parsable command line the raw arguments are searched.
    EXPECT_TRUE(CommandLineAsksHidden(nullptr, L"x -hidden"));
    EXPECT_FALSE(CommandLineAsksHidden(nullptr, nullptr));
}

TEST(ShellText, HotkeyIniAndHotkeyNames) {
    std::wstring dir = testfx::MakeScratchDir(L"hotkey_ini");
    ASSERT_TRUE(testfx::WriteFileBytes(dir + L"\\hotkey.ini",
                                       "# comment=1\r\nmodifiers = 2\r\nkey=81\r\nKey=1\r\nfg_key=abc\r\n"));
    LoadHotkeyIni(dir + L"\\hotkey.ini");
    EXPECT_EQ(2u, g_hotkeyModifiers);
    EXPECT_EQ(81u, g_hotkeyKey);
    EXPECT_EQ(0u, g_fgHotkeyKey);
    g_hotkeyModifiers = MOD_ALT;
    g_hotkeyKey = 'Z';
    g_fgHotkeyKey = 'O';
    LoadHotkeyIni(dir + L"\\missing.ini");
    EXPECT_EQ(static_cast<UINT>(MOD_ALT), g_hotkeyModifiers);

    EXPECT_EQ(L"Alt+Z", FormatHotkeyText(MOD_ALT, 'Z'));
    EXPECT_EQ(L"Ctrl+Shift+O", FormatHotkeyText(MOD_CONTROL | MOD_SHIFT, 'O'));
}

TEST(ShellText, SummaryLineRatioHasTwoDecimals) {
    EXPECT_EQ(0u, FormatPerfSummary(1, 2, 0, 0, 0, 0, 0, 0).find(L"summary hit_ratio=33.33% hits=1 misses=2"));
    EXPECT_EQ(0u, FormatPerfSummary(19, 1981, 0, 0, 0, 0, 0, 0).find(L"summary hit_ratio=0.95% "));
    EXPECT_EQ(L"summary hit_ratio=0.00% hits=0 misses=0 disk_reads=3 hydrate_calls=4 hydrate_us=5 "
              L"lock_wait_us=6 cache_load_ms=7 cache_save_ms=8",
              FormatPerfSummary(0, 0, 3, 4, 5, 6, 7, 8));
}
