// The hidden switch, hotkey.ini, hotkey names and the exit summary line.
#include <gtest/gtest.h>

#include "shell/Shell.h"
#include "ui/Tooltip.h"
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
    // fg_key "abc" reads as 0, no key: the pair keeps its defaults.
    EXPECT_EQ(static_cast<UINT>(MOD_CONTROL | MOD_SHIFT), g_fgHotkeyModifiers);
    EXPECT_EQ(static_cast<UINT>('O'), g_fgHotkeyKey);

    // modifiers=0 would take a bare key from every program: the defaults stay.
    ASSERT_TRUE(testfx::WriteFileBytes(dir + L"\\hotkey.ini", "modifiers=0\nkey=65\nfg_modifiers=8\nfg_key=80\n"));
    LoadHotkeyIni(dir + L"\\hotkey.ini");
    EXPECT_EQ(static_cast<UINT>(MOD_ALT), g_hotkeyModifiers);
    EXPECT_EQ(static_cast<UINT>('Z'), g_hotkeyKey);
    EXPECT_EQ(static_cast<UINT>(MOD_WIN), g_fgHotkeyModifiers);
    EXPECT_EQ(80u, g_fgHotkeyKey);
    g_fgHotkeyModifiers = MOD_CONTROL | MOD_SHIFT;
    g_fgHotkeyKey = 'O';
    LoadHotkeyIni(dir + L"\\missing.ini");
    EXPECT_EQ(static_cast<UINT>(MOD_ALT), g_hotkeyModifiers);

    EXPECT_EQ(L"Alt+Z", FormatHotkeyText(MOD_ALT, 'Z'));
    EXPECT_EQ(L"Ctrl+Shift+O", FormatHotkeyText(MOD_CONTROL | MOD_SHIFT, 'O'));
    EXPECT_EQ(L"modifiers=1\nkey=90\nfg_modifiers=6\nfg_key=79\n", FormatHotkeyIni(1, 90, 6, 79));
}

TEST(ShellText, HotkeyCombinationRules) {
    struct Case { UINT modifiers; UINT vk; bool valid; };
    const Case cases[] = {
        {MOD_ALT, 'Z', true}, {MOD_CONTROL | MOD_SHIFT, VK_F5, true}, {MOD_WIN, '1', true},
        {0, 'Z', false}, {0x10, 'Z', false}, {MOD_ALT | 0x4000, 'Z', false}, {MOD_ALT, 0, false},
        {MOD_ALT, VK_LBUTTON, false}, {MOD_ALT, VK_SHIFT, false}, {MOD_CONTROL, VK_LWIN, false},
        {MOD_ALT, 300, false}, {MOD_ALT, 0xFF, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.valid, IsValidHotkeyCombination(c.modifiers, c.vk)) << c.modifiers << "+" << c.vk;
}

TEST(ShellText, TrayTipTakesTheHotkeyText) {
    EXPECT_EQ(L"Tarnwick - Alt+Z Show/Hide", BuildTrayTip(L"Tarnwick - {0} Show/Hide", L"Alt+Z"));
    EXPECT_EQ(L"Tarnwick Alt+Z", BuildTrayTip(L"Tarnwick", L"Alt+Z"));
    RECT work{0, 0, 800, 600};
    POINT p = ClampToWorkArea(POINT{790, 590}, 100, 40, work);
    EXPECT_EQ(700, p.x);
    EXPECT_EQ(560, p.y);
    p = ClampToWorkArea(POINT{10, 10}, 1000, 40, work);  // wider than the work area: its left edge
    EXPECT_EQ(0, p.x);
}

// A combination another window already holds is refused; the previous hotkey stays registered
// and nothing is changed or saved.
TEST(ShellText, TakenCombinationKeepsThePreviousHotkey) {
    HWND mine = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(mine && other);
    g_hotkeyModifiers = MOD_CONTROL | MOD_ALT;
    g_hotkeyKey = VK_F9;
    g_fgHotkeyModifiers = MOD_CONTROL | MOD_SHIFT;
    g_fgHotkeyKey = 'O';
    ASSERT_TRUE(SetShowHideHotkey(mine, MOD_CONTROL | MOD_ALT, VK_F9, false));
    ASSERT_TRUE(RegisterHotKey(other, 7, MOD_CONTROL | MOD_ALT, VK_F10));
    EXPECT_FALSE(SetShowHideHotkey(mine, MOD_CONTROL | MOD_ALT, VK_F10, false));
    EXPECT_EQ(static_cast<UINT>(VK_F9), g_hotkeyKey);
    // Still held by us: a second registration elsewhere fails.
    EXPECT_FALSE(RegisterHotKey(other, 8, MOD_CONTROL | MOD_ALT, VK_F9));
    // The foreground-program combination is refused without touching the registration.
    EXPECT_FALSE(SetShowHideHotkey(mine, MOD_CONTROL | MOD_SHIFT, 'O', false));
    EXPECT_TRUE(IsHotkeyInUse(MOD_CONTROL | MOD_SHIFT, 'O', 0));
    EXPECT_FALSE(IsHotkeyInUse(MOD_CONTROL | MOD_SHIFT, 'O', 1));
    EXPECT_TRUE(IsHotkeyInUse(MOD_CONTROL | MOD_ALT, VK_F9, 2));
    UnregisterHotKey(other, 7);
    HotkeysOnDestroy(mine);
    DestroyWindow(other);
    DestroyWindow(mine);
    g_hotkeyModifiers = MOD_ALT;
    g_hotkeyKey = 'Z';
}

TEST(ShellText, SummaryLineRatioHasTwoDecimals) {
    EXPECT_EQ(0u, FormatPerfSummary(1, 2, 0, 0, 0, 0, 0, 0).find(L"summary hit_ratio=33.33% hits=1 misses=2"));
    EXPECT_EQ(0u, FormatPerfSummary(19, 1981, 0, 0, 0, 0, 0, 0).find(L"summary hit_ratio=0.95% "));
    EXPECT_EQ(L"summary hit_ratio=0.00% hits=0 misses=0 disk_reads=3 hydrate_calls=4 hydrate_us=5 "
              L"lock_wait_us=6 cache_load_ms=7 cache_save_ms=8",
              FormatPerfSummary(0, 0, 3, 4, 5, 6, 7, 8));
}
