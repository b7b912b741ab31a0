// The Settings Center in this process (no main window): one window however often it is opened,
// a stale handle forgotten and left alone, the language combo switching after its own
// notification returned, every control brought to the settings and every command applying and
// saving through the main window's hooks, and the colour page's presets and labels.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/Content.h"
#include "core/Core.h"
#include "i18n/I18n.h"
#include "results/Results.h"
#include "search/Search.h"
#include "settings/ColorPage.h"
#include "settings/SettingsCenter.h"
#include "support/fixture.h"
#include "ui/Ui.h"
#include "ui/UiColors.h"
#include "ui/WindowUnit.h"

namespace {

// What the main window's hooks were asked to do.
struct HostLog {
    int themeApplied = 0;
    int windowIniSaved = 0;
    std::vector<bool> layouts;
    bool onTop = false;
    std::vector<int> captures;
    int captureEnds = 0;
    bool captureActive = false;
};
HostLog g_log;

void InstallFakeHost() {
    g_log = HostLog{};
    SettingsHostHooks& h = g_settingsHost;
    h = SettingsHostHooks{};
    h.applyTheme = [](HWND) {
        ++g_log.themeApplied;
        ApplyThemePalette(g_darkTheme);
        ApplyCustomColorOverrides();
    };
    h.saveWindowIni = [](HWND) { ++g_log.windowIniSaved; };
    h.setFilterLayout = [](bool sidebar) {
        g_log.layouts.push_back(sidebar);
        g_filterLayoutSidebar = sidebar;
    };
    h.alwaysOnTop = [] { return g_log.onTop; };
    h.setAlwaysOnTop = [](bool on) { g_log.onTop = on; };
    h.beginHotkeyCapture = [](int target, HWND) {
        g_log.captures.push_back(target);
        g_log.captureActive = true;
    };
    h.endHotkeyCapture = [](bool) {
        ++g_log.captureEnds;
        g_log.captureActive = false;
    };
    h.hotkeyCaptureActive = [] { return g_log.captureActive; };
    h.hotkeyText = [](int target) { return std::wstring(target == 1 ? L"Ctrl+Shift+O" : L"Alt+Z"); };
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

HWND Control(int id) { return FindSettingsControl(g_hSettingsWnd, id); }

std::wstring Text(HWND h) {
    wchar_t buffer[512] = {};
    if (h) GetWindowTextW(h, buffer, 512);
    return buffer;
}

int ComboSel(int id) { return static_cast<int>(SendMessageW(Control(id), CB_GETCURSEL, 0, 0)); }
bool IsChecked(int id) { return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

// What a user's click or choice sends: the control notifies its page, which forwards it.
void Notify(int id, int code) {
    HWND control = Control(id);
    ASSERT_NE(nullptr, control) << id;
    SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}
void Click(int id) {
    HWND box = Control(id);
    ASSERT_NE(nullptr, box) << id;
    // An auto check box flips itself before it notifies.
    const LONG_PTR style = GetWindowLongPtrW(box, GWL_STYLE) & BS_TYPEMASK;
    if (style == BS_AUTOCHECKBOX)
        SendMessageW(box, BM_SETCHECK, IsChecked(id) ? BST_UNCHECKED : BST_CHECKED, 0);
    Notify(id, BN_CLICKED);
}
void Choose(int id, int item) {
    SendMessageW(Control(id), CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    Notify(id, CBN_SELCHANGE);
}

int LanguageIndex(const wchar_t* code) {
    for (size_t i = 0; i < g_languageList.size(); ++i)
        if (g_languageList[i].code == code) return static_cast<int>(i);
    return -1;
}

class SettingsCenter : public ::testing::Test {
protected:
    void SetUp() override {
        SetConfigDirOverride(testfx::MakeScratchDir(L"settings_center_cfg"));
        InstallFakeHost();
        g_languageSwitchHooks.relocalizeSettingsCenter = &RelocalizeSettingsCenter;
        SetUiLanguage(L"en-us");
        for (int i = 0; i < kColorSlotCount; ++i) g_customColorSet[i] = false;
        g_lastColorPreset = -1;
        g_darkTheme = false;
        ApplyThemePalette(false);
    }
    void TearDown() override {
        if (IsLiveWindow(g_hSettingsWnd)) DestroyWindow(g_hSettingsWnd);
        Pump();
        EXPECT_EQ(nullptr, g_hSettingsWnd);
        g_languageSwitchHooks.relocalizeSettingsCenter = nullptr;
        g_settingsHost = SettingsHostHooks{};
        SetUiLanguage(L"en-us");
        SetConfigDirOverride(L"");
    }
};

}  // namespace

TEST(SettingsChoices, SizeLimitAndThreadItems) {
    struct Case {
        int value, sizeItem, threadItem;
    } cases[] = {{10, 0, 8}, {20, 1, 8}, {50, 2, 8}, {100, 3, 8}, {500, 4, 8}, {0, 5, 0},
                 {30, 3, 8}, {-1, 3, 0}, {1, 3, 1}, {8, 3, 8}, {12, 3, 8}, {5, 3, 5}};
    for (const Case& c : cases) {
        EXPECT_EQ(c.sizeItem, ContentSizeLimitIndex(c.value)) << c.value;
        EXPECT_EQ(c.threadItem, ContentThreadsIndex(c.value)) << c.value;
    }
}

TEST_F(SettingsCenter, OpensOneWindowWithSevenPages) {
    ShowSettingsCenter(nullptr);
    HWND first = g_hSettingsWnd;
    ASSERT_TRUE(IsLiveWindow(first));
    EXPECT_EQ(L"Settings Center", Text(first));
    EXPECT_EQ(7, SendMessageW(g_settingsTab, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < kSettingsPageCount; ++i) ASSERT_TRUE(IsLiveWindow(g_hSettingsPages[i])) << i;
    EXPECT_EQ(g_hSettingsPages[0], g_settingsCurrentPage);
    EXPECT_TRUE(IsWindowVisible(g_hSettingsPages[0]));
    EXPECT_FALSE(IsWindowVisible(g_hSettingsPages[6]));

    // Close hides; the next open shows the same window again, and so does a second open.
    SendMessageW(first, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(first));
    EXPECT_FALSE(IsWindowVisible(first));
    ShowSettingsCenter(nullptr);
    ShowSettingsCenter(nullptr);
    EXPECT_EQ(first, g_hSettingsWnd);
    EXPECT_TRUE(IsWindowVisible(first));
    EXPECT_EQ(first, FindWindowW(kSettingsWindowClass, nullptr));

    // An index beyond the last page shows the first.
    ShowSettingsPage(6);
    EXPECT_TRUE(IsWindowVisible(g_hSettingsPages[6]));
    ShowSettingsPage(9);
    EXPECT_EQ(g_hSettingsPages[0], g_settingsCurrentPage);
    EXPECT_FALSE(IsWindowVisible(g_hSettingsPages[6]));
}

TEST_F(SettingsCenter, LayoutKeepsCloseAtTheCornerAndRefusesSmallSizes) {
    ShowSettingsCenter(nullptr);
    HWND window = g_hSettingsWnd;
    SetWindowPos(window, nullptr, 0, 0, 100, 100, SWP_NOZORDER | SWP_NOMOVE);
    RECT outer{};
    GetWindowRect(window, &outer);
    EXPECT_GE(outer.right - outer.left, ScaleForDpi(680));
    EXPECT_GE(outer.bottom - outer.top, ScaleForDpi(600));
    SetWindowPos(window, nullptr, 0, 0, 900, 800, SWP_NOZORDER | SWP_NOMOVE);
    RECT client{}, close{};
    GetClientRect(window, &client);
    HWND button = GetDlgItem(window, kSettingsCloseId);
    ASSERT_NE(nullptr, button);
    GetWindowRect(button, &close);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&close), 2);
    EXPECT_EQ(client.right - ScaleForDpi(108), close.left);
    EXPECT_EQ(client.bottom - ScaleForDpi(34), close.top);
    // The Close button hides the window.
    Click(kSettingsCloseId);
    EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(SettingsCenter, StaleHandleIsForgottenNotDestroyed) {
    // A window of another class now holds the remembered number.
    HWND other = CreateWindowExW(0, L"STATIC", L"someone else", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, other);
    g_hSettingsWnd = other;
    ShowSettingsCenter(nullptr);
    EXPECT_TRUE(IsWindow(other));
    EXPECT_NE(other, g_hSettingsWnd);
    EXPECT_TRUE(IsLiveWindow(g_hSettingsWnd));
    DestroyWindow(other);

    // A dead handle: a new window is made.
    HWND live = g_hSettingsWnd;
    DestroyWindow(live);
    EXPECT_EQ(nullptr, g_hSettingsWnd);
    ShowSettingsCenter(nullptr);
    EXPECT_TRUE(IsLiveWindow(g_hSettingsWnd));
}

TEST_F(SettingsCenter, LanguageComboSwitchesAfterItsNotification) {
    ShowSettingsCenter(nullptr);
    HWND combo = Control(kSetLanguage);
    ASSERT_NE(nullptr, combo);
    const int german = LanguageIndex(L"de-de");
    ASSERT_GE(german, 0);
    ShowSettingsPage(3);
    SendMessageW(g_settingsTab, TCM_SETCURSEL, 3, 0);

    Choose(kSetLanguage, german);
    // The combo and its page still exist while the notification is being handled and right after.
    EXPECT_TRUE(IsWindow(combo));
    EXPECT_EQ(L"en-us", g_uiLanguageCode);
    Pump();
    EXPECT_EQ(L"de-de", g_uiLanguageCode);
    EXPECT_FALSE(IsWindow(combo));  // the pages were built again in the new language
    EXPECT_EQ(Tr(L"Settings_Title", L"设置中心", L"Settings Center"), Text(g_hSettingsWnd));
    EXPECT_NE(L"Settings Center", Text(g_hSettingsWnd));
    EXPECT_EQ(german, ComboSel(kSetLanguage));
    EXPECT_EQ(3, SendMessageW(g_settingsTab, TCM_GETCURSEL, 0, 0));  // the tab stays
    EXPECT_EQ(g_hSettingsPages[3], g_settingsCurrentPage);
    EXPECT_TRUE(IsWindowVisible(g_hSettingsPages[3]));
    wchar_t caption[128] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption;
    item.cchTextMax = 128;
    SendMessageW(g_settingsTab, TCM_GETITEMW, 6, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(Tr(L"Settings_Cat7", L"界面配色", L"UI Colors"), std::wstring(caption));
    EXPECT_NE(L"UI Colors", std::wstring(caption));
}

TEST_F(SettingsCenter, ControlsFollowTheSettings) {
    g_initialSearchEnabled = false;
    g_tableGridLines = true;
    g_globalTrimOnToggle = true;
    g_filterLayoutSidebar = false;
    g_showRecentOnEmpty = true;
    g_log.onTop = true;
    g_contentMaxFileSizeMB.store(30);
    g_contentSearchThreads.store(12);
    g_darkTheme = true;
    g_lastColorPreset = 3;
    ShowSettingsCenter(nullptr);
    EXPECT_FALSE(IsChecked(kSetInitialSearch));
    EXPECT_TRUE(IsChecked(kSetGridLines));
    EXPECT_TRUE(IsChecked(kSetGlobalTrim));
    EXPECT_FALSE(IsChecked(kSetSidebarLayout));
    EXPECT_TRUE(IsChecked(kSetShowRecent));
    EXPECT_TRUE(IsChecked(kSetAlwaysOnTop));
    EXPECT_EQ(3, ComboSel(kSetContentMaxSize));  // 30 is no choice: 100 MB
    EXPECT_EQ(8, ComboSel(kSetContentThreads));
    EXPECT_EQ(1, ComboSel(kSetTheme));
    EXPECT_EQ(4, ComboSel(kSetColorPreset));
    EXPECT_EQ(11, SendMessageW(Control(kSetColorPreset), CB_GETCOUNT, 0, 0));
    EXPECT_EQ(LanguageIndex(L"en-us"), ComboSel(kSetLanguage));
    EXPECT_EQ(L"Alt+Z", Text(Control(kSetHotkeyEdit)));
    EXPECT_EQ(L"Ctrl+Shift+O", Text(Control(kSetFgHotkeyEdit)));

    // Changed elsewhere, shown at the next open.
    g_tableGridLines = false;
    g_contentMaxFileSizeMB.store(0);
    g_lastColorPreset = -1;
    SendMessageW(g_hSettingsWnd, WM_CLOSE, 0, 0);
    ShowSettingsCenter(nullptr);
    EXPECT_FALSE(IsChecked(kSetGridLines));
    EXPECT_EQ(5, ComboSel(kSetContentMaxSize));
    EXPECT_EQ(0, ComboSel(kSetColorPreset));
    g_darkTheme = false;
}

TEST_F(SettingsCenter, UnitOpensOnTheMenuCommandAndFollowsTheTheme) {
    WindowUnit& unit = SettingsCenterWindowUnit();
    EXPECT_FALSE(unit.OnCommand(nullptr, kMenuSettingsCenter, 0, reinterpret_cast<HWND>(1)));  // a control's
    EXPECT_FALSE(unit.OnCommand(nullptr, kMenuSettingsCenter + 1, 0, nullptr));
    EXPECT_EQ(nullptr, g_hSettingsWnd);
    EXPECT_TRUE(unit.OnCommand(nullptr, kMenuSettingsCenter, 0, nullptr));
    ASSERT_TRUE(IsLiveWindow(g_hSettingsWnd));
    EXPECT_EQ(0, ComboSel(kSetTheme));
    g_darkTheme = true;  // switched elsewhere
    unit.OnThemeChanged(nullptr);
    EXPECT_EQ(1, ComboSel(kSetTheme));
    g_darkTheme = false;
}

TEST_F(SettingsCenter, CommandsApplyAndSave) {
    g_initialSearchEnabled = true;
    g_tableGridLines = true;
    g_globalTrimOnToggle = false;
    g_showRecentOnEmpty = false;
    g_filterLayoutSidebar = false;
    ShowSettingsCenter(nullptr);

    // Without a main window nothing is saved (window.ini belongs to it); the values change.
    Click(kSetInitialSearch);
    EXPECT_FALSE(g_initialSearchEnabled);
    Click(kSetGridLines);
    EXPECT_FALSE(g_tableGridLines);
    Click(kSetGlobalTrim);
    EXPECT_TRUE(g_globalTrimOnToggle);
    Click(kSetShowRecent);
    EXPECT_TRUE(g_showRecentOnEmpty);
    Click(kSetAlwaysOnTop);
    EXPECT_TRUE(g_log.onTop);
    Click(kSetSidebarLayout);
    ASSERT_EQ(1u, g_log.layouts.size());
    EXPECT_TRUE(g_log.layouts[0]);
    EXPECT_TRUE(IsChecked(kSetSidebarLayout));

    struct SizeCase {
        int item, megabytes;
    } sizes[] = {{0, 10}, {1, 20}, {2, 50}, {3, 100}, {4, 500}, {5, 0}};
    for (const SizeCase& c : sizes) {
        Choose(kSetContentMaxSize, c.item);
        EXPECT_EQ(c.megabytes, g_contentMaxFileSizeMB.load()) << c.item;
    }
    Choose(kSetContentThreads, 0);
    EXPECT_EQ(0, g_contentSearchThreads.load());
    Choose(kSetContentThreads, 6);
    EXPECT_EQ(6, g_contentSearchThreads.load());

    // Choosing the theme that is active re-themes nothing; the other one does.
    Choose(kSetTheme, 0);
    EXPECT_EQ(0, g_log.themeApplied);
    EXPECT_FALSE(g_darkTheme);

    // Set starts a capture of its hotkey; another button ends it before it acts.
    Click(kSetFgHotkeyButton);
    ASSERT_EQ(1u, g_log.captures.size());
    EXPECT_EQ(1, g_log.captures[0]);
    Click(kSetClearRecent);
    EXPECT_EQ(1, g_log.captureEnds);
    Click(kSetHotkeyButton);
    Choose(kSetContentThreads, 2);
    EXPECT_EQ(2, g_log.captureEnds);
    g_showRecentOnEmpty = true;
    g_globalTrimOnToggle = false;
    g_filterLayoutSidebar = false;
}

// The two maintenance buttons act at once and tell on the status line what they did, or that
// their file could not be written; the next visit starts with an empty status line.
TEST_F(SettingsCenter, MaintenanceButtonsTellTheirOutcome) {
    ShowSettingsCenter(nullptr);
    HWND status = GetDlgItem(g_hSettingsWnd, kSettingsStatusId);
    ASSERT_NE(nullptr, status);
    EXPECT_EQ(L"", Text(status));

    Click(kSetResetFilters);
    EXPECT_EQ(L"Settings have been reset.", Text(status));
    EXPECT_FALSE(testfx::ReadFileBytes(GetFiltersPath()).empty());
    Click(kSetClearRecent);
    EXPECT_EQ(L"Recent opens cleared.", Text(status));
    EXPECT_EQ("\xEF\xBB\xBF", testfx::ReadFileBytes(GetRecentListPath()));

    // A folder where a file belongs: the button says so instead of claiming success.
    struct Case {
        int button;
        std::wstring path;
    } cases[] = {{kSetResetFilters, GetFiltersPath()}, {kSetClearRecent, GetRecentListPath()}};
    for (const Case& c : cases) {
        DeleteFileW(c.path.c_str());
        ASSERT_TRUE(CreateDirectoryW(c.path.c_str(), nullptr)) << c.button;
        Click(c.button);
        const std::wstring text = Text(status);
        EXPECT_EQ(0u, text.find(L"Your settings could not be saved.")) << text;
        EXPECT_EQ(text.size() - c.path.size(), text.rfind(c.path)) << text;
        RemoveDirectoryW(c.path.c_str());
    }

    SendMessageW(g_hSettingsWnd, WM_CLOSE, 0, 0);
    ShowSettingsCenter(nullptr);
    EXPECT_EQ(L"", Text(status));
}

TEST_F(SettingsCenter, PresetsCustomiseEverySlotAndReset) {
    ShowSettingsCenter(nullptr);
    const int midnight = 3;  // "Midnight Slate", a dark set
    ASSERT_STREQ(L"Midnight Slate", g_colorPresets[midnight].nameEnglish);
    Choose(kSetColorPreset, midnight + 1);
    EXPECT_TRUE(g_darkTheme);
    EXPECT_EQ(midnight, g_lastColorPreset);
    EXPECT_EQ(1, g_log.themeApplied);
    for (int slot = 0; slot < kColorSlotCount; ++slot) {
        EXPECT_TRUE(g_customColorSet[slot]) << slot;
        EXPECT_EQ(g_colorPresets[midnight].colors[slot], GetUiColor(slot));
        const std::wstring label = Text(Control(kSetColorSwatchFirst + slot));
        EXPECT_EQ(GetColorSlotLabel(slot), label);
        EXPECT_EQ(L" *", label.substr(label.size() - 2)) << slot;
    }
    EXPECT_EQ(midnight + 1, ComboSel(kSetColorPreset));
    // The file holds the ten colours.
    const std::string ini = testfx::ReadFileBytes(GetUiColorsPath());
    EXPECT_NE(std::string::npos, ini.find("surface=")) << ini;
    EXPECT_NE(std::string::npos, ini.find("border=")) << ini;

    // The first item changes nothing.
    Choose(kSetColorPreset, 0);
    EXPECT_EQ(midnight, g_lastColorPreset);
    EXPECT_EQ(1, g_log.themeApplied);

    // Reset: theme colours, no star, the first preset item.
    Click(kSetColorReset);
    EXPECT_EQ(2, g_log.themeApplied);
    EXPECT_EQ(-1, g_lastColorPreset);
    EXPECT_EQ(0, ComboSel(kSetColorPreset));
    for (int slot = 0; slot < kColorSlotCount; ++slot) {
        EXPECT_FALSE(g_customColorSet[slot]);
        const std::wstring label = Text(Control(kSetColorSwatchFirst + slot));
        EXPECT_EQ(std::wstring::npos, label.find(L'*')) << slot;
        EXPECT_NE(std::wstring::npos, label.find(FormatHexColor(GetBasePalette(true).*(g_colorSlots[slot].entry))));
    }
    g_darkTheme = false;
}

TEST(ColorPage, SlotLabels) {
    SetUiLanguage(L"en-us");
    for (int i = 0; i < kColorSlotCount; ++i) g_customColorSet[i] = false;
    ApplyThemePalette(false);
    EXPECT_EQ(L"Window background  " + FormatHexColor(g_uiPalette.surface), GetColorSlotLabel(0));
    g_customColors[8] = RGB(0x12, 0x34, 0x56);
    g_customColorSet[8] = true;
    EXPECT_EQ(L"Accent  #123456 *", GetColorSlotLabel(8));
    g_customColorSet[8] = false;
    EXPECT_EQ(L"", GetColorSlotLabel(-1));
    EXPECT_EQ(L"", GetColorSlotLabel(10));
}

TEST(ColorPage, SwatchLookFollowsTheTheme) {
    const COLORREF accent = RGB(1, 2, 3);
    const SwatchLook light = GetSwatchLook(false, accent);
    const SwatchLook dark = GetSwatchLook(true, accent);
    EXPECT_EQ(RGB(0xF7, 0xF9, 0xFC), light.background);
    EXPECT_EQ(RGB(0x1F, 0x7A, 0x55), light.change);
    EXPECT_EQ(RGB(0x22, 0x26, 0x30), dark.background);
    EXPECT_EQ(accent, dark.change);  // the palette's accent in the dark look
}
