// The seven pages of the Settings Center: their controls, what each command does (applied and
// saved at once), and bringing every control to the current settings.
#include <windows.h>

#include <memory>

#include "content/Content.h"
#include "core/Core.h"
#include "core/Window.h"
#include "i18n/I18n.h"
#include "results/FilterBar.h"
#include "results/Results.h"
#include "search/Search.h"
#include "settings/AutoStart.h"
#include "settings/ColorPage.h"
#include "settings/ColorPicker.h"
#include "settings/ConfigFiles.h"
#include "settings/SettingsCenter.h"
#include "ui/Ui.h"
#include "ui/UiColors.h"

namespace {

constexpr DWORD kCheckBox = BS_AUTOCHECKBOX;
constexpr DWORD kDropList = CBS_DROPDOWNLIST | WS_VSCROLL;

std::wstring T(const wchar_t* key, const wchar_t* chinese, const wchar_t* english) {
    return Tr(key, chinese, english);
}

void Label(HWND page, const std::wstring& text, int x, int y, int w, int h, DWORD style = 0) {
    CreateSettingsControl(page, L"STATIC", text, style, -1, x, y, w, h);
}

HWND Check(HWND page, int id, const std::wstring& text, int y) {
    return CreateSettingsControl(page, L"BUTTON", text, kCheckBox, id, 24, y, 620, 26);
}

HWND PushButton(HWND page, int id, const std::wstring& text, int y, int height = 32) {
    return CreateSettingsControl(page, L"BUTTON", text, 0, id, 24, y, 620, height);
}

void AddItem(HWND combo, const std::wstring& text) {
    if (combo) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring PresetName(int i) {
    const ColorPreset& p = g_colorPresets[i];
    return Tr(p.nameChinese, p.nameChinese, p.nameEnglish);
}

void FillPresetCombo(HWND combo) {
    AddItem(combo, T(L"Settings_ColorPresetNone", L"（选择预设…）", L"(Choose a preset\u2026)"));
    for (int i = 0; i < kColorPresetCount; ++i) AddItem(combo, PresetName(i));
}

void FillLanguageCombo(HWND combo) {
    for (const LanguageEntry& e : g_languageList) AddItem(combo, e.displayName);
}

void BuildAppearancePage(HWND page) {
    Label(page, T(L"Settings_Language", L"语言", L"Language"), 24, 20, 100, 22);
    FillLanguageCombo(CreateSettingsControl(page, L"COMBOBOX", L"", kDropList, kSetLanguage, 130, 18, 320, 360));
    Label(page, T(L"Settings_Theme", L"主题", L"Theme"), 24, 60, 100, 22);
    HWND theme = CreateSettingsControl(page, L"COMBOBOX", L"", kDropList, kSetTheme, 130, 58, 200, 100);
    AddItem(theme, T(L"Theme_Light", L"浅色", L"Light"));
    AddItem(theme, T(L"Theme_Dark", L"深色", L"Dark"));
    CreateSettingsControl(page, L"BUTTON", T(L"Settings_UseSidebarLayout", L"使用侧边栏筛选布局", L"Use sidebar filter layout"),
                          kCheckBox, kSetSidebarLayout, 24, 102, 620, 26);
    CreateSettingsControl(page, L"BUTTON", T(L"Menu_ResultGridLinesToggle", L"结果网格线", L"Result grid lines"),
                          kCheckBox, kSetGridLines, 24, 138, 620, 26);
}

void BuildCommonPage(HWND page) {
    Check(page, kSetAutoStart, T(L"Menu_AutoStart", L"开机启动", L"Run on Startup"), 20);
    Check(page, kSetInitialSearch, T(L"Menu_InitialSearchToggle", L"初始搜索", L"Initial search"), 56);
    Check(page, kSetGlobalTrim, T(L"Menu_GlobalTrimToggle", L"全局内存整理", L"Global memory trim"), 92);
    Check(page, kSetAlwaysOnTop, T(L"Settings_AlwaysOnTop", L"窗口置顶", L"Keep window on top"), 128);
    Check(page, kSetShowRecent, T(L"Settings_ShowRecentOpens", L"显示最近打开的文件", L"Show recently opened files"), 164);
}

void BuildContentPage(HWND page) {
    Label(page, T(L"Settings_ContentMaxSize", L"跳过大于此大小的文件", L"Skip files larger than"), 24, 20, 320, 22);
    HWND size = CreateSettingsControl(page, L"COMBOBOX", L"", kDropList, kSetContentMaxSize, 350, 18, 260, 180);
    for (const wchar_t* item : {L"10 MB", L"20 MB", L"50 MB", L"100 MB", L"500 MB"}) AddItem(size, item);
    AddItem(size, T(L"Menu_ContentSizeNoLimit", L"不限制（可能较慢）", L"No limit (may be slow)"));
    Label(page, T(L"Settings_ContentThreads", L"内容搜索线程数", L"Content search threads"), 24, 62, 320, 22);
    HWND threads = CreateSettingsControl(page, L"COMBOBOX", L"", kDropList, kSetContentThreads, 350, 60, 160, 180);
    AddItem(threads, T(L"Settings_Auto", L"自动", L"Auto"));
    for (int i = 1; i <= 8; ++i) AddItem(threads, std::to_wstring(i));
}

void BuildHotkeyPage(HWND page) {
    const DWORD edit = ES_CENTER | ES_AUTOHSCROLL | ES_READONLY | WS_BORDER;
    const std::wstring set = T(L"Settings_ChangeHotkey", L"设置", L"Set");
    Label(page, T(L"Menu_SetHotkey", L"显示/隐藏快捷键", L"Show/Hide Hotkey"), 24, 20, 240, 22);
    CreateSettingsControl(page, L"EDIT", L"", edit, kSetHotkeyEdit, 270, 18, 260, 28);
    CreateSettingsControl(page, L"BUTTON", set, 0, kSetHotkeyButton, 542, 18, 80, 28);
    Label(page, T(L"Menu_SetHotkeyForegroundExe", L"前台程序快捷键", L"Foreground app hotkey"), 24, 64, 240, 22);
    CreateSettingsControl(page, L"EDIT", L"", edit, kSetFgHotkeyEdit, 270, 62, 260, 28);
    CreateSettingsControl(page, L"BUTTON", set, 0, kSetFgHotkeyButton, 542, 62, 80, 28);
    Label(page,
          T(L"Settings_HotkeyTip", L"提示：点击“设置”后按下组合键（Esc 取消）",
            L"Tip: click Set, then press keys (Esc cancel)"),
          24, 110, 620, 48, SS_EDITCONTROL);
}

void BuildConfigFilesPage(HWND page) {
    PushButton(page, kSetOpenFilters, T(L"Menu_OpenFilterConfig", L"打开筛选配置文件", L"Open Filter Config File"), 20);
    PushButton(page, kSetOpenLanguage,
               T(L"Menu_OpenLanguageFolder", L"打开当前语言文件", L"Open Current Language File"), 62);
    PushButton(page, kSetOpenZipExts, T(L"Settings_OpenZipExts", L"内容扩展名配置", L"Content extension config"), 104);
    PushButton(page, kSetOpenZipPatterns,
               T(L"Settings_OpenZipPatterns", L"Office/ZIP 内部路径", L"Office/ZIP inner paths"), 146);
    PushButton(page, kSetOpenUiColors, T(L"Settings_OpenUiColors", L"打开界面配色配置", L"Open UI colors config"), 188);
}

void BuildMaintenancePage(HWND page) {
    PushButton(page, kSetResetFilters,
               T(L"Menu_ResetFilterTags", L"恢复默认筛选标签", L"Reset Filter Tags to Defaults"), 20);
    PushButton(page, kSetClearRecent, T(L"Menu_ClearRecent", L"清除最近打开", L"Clear Recent Opens"), 62);
}

void BuildColorPage(HWND page) {
    Label(page, T(L"Settings_ColorPresetTitle", L"配色预设", L"Color preset"), 24, 20, 100, 22);
    FillPresetCombo(CreateSettingsControl(page, L"COMBOBOX", L"", kDropList, kSetColorPreset, 130, 18, 490, 420));
    Label(page,
          T(L"Settings_ColorTip", L"即时生效；可在下方微调（* = 已自定义）",
            L"Applies instantly; fine-tune below (* = customized)"),
          24, 60, 620, 28, SS_EDITCONTROL);
    for (int slot = 0; slot < kColorSlotCount; ++slot)
        CreateSettingsControl(page, L"BUTTON", GetColorSlotLabel(slot), BS_OWNERDRAW, kSetColorSwatchFirst + slot, 24,
                              92 + 34 * slot, 620, 30);
    CreateSettingsControl(page, L"BUTTON",
                          T(L"Settings_ColorReset", L"恢复主题默认配色", L"Reset colors to theme defaults"), 0,
                          kSetColorReset, 24, 436, 620, 30);
}

void SetCheck(HWND window, int id, bool on) {
    if (HWND box = FindSettingsControl(window, id))
        SendMessageW(box, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void SelectItem(HWND window, int id, int index) {
    if (HWND combo = FindSettingsControl(window, id)) SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Selection(HWND control) {
    return control ? static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0)) : CB_ERR;
}

bool Checked(HWND window, int id) { return IsSettingsCheckboxChecked(window, id); }

void SaveSettings() {
    if (g_settingsHost.saveWindowIni && IsLiveWindow(g_hMainWnd)) g_settingsHost.saveWindowIni(g_hMainWnd);
}

void SyncAutoStartBox(HWND window) {
    HWND box = FindSettingsControl(window, kSetAutoStart);
    if (!box) return;
    SendMessageW(box, BM_SETCHECK, GetAutoStartState() == AutoStartState::On ? BST_CHECKED : BST_UNCHECKED, 0);
    EnableWindow(box, IsAutoStartBusy() ? FALSE : TRUE);
}

void SyncHotkeyEdit(HWND window, int id, int target) {
    HWND edit = FindSettingsControl(window, id);
    if (!edit || !g_settingsHost.hotkeyText) return;
    if (g_settingsHost.hotkeyCaptureShownIn && g_settingsHost.hotkeyCaptureShownIn(target, window)) return;
    SetWindowTextW(edit, g_settingsHost.hotkeyText(target).c_str());
}

void SyncLanguageCombo(HWND window) {
    HWND combo = FindSettingsControl(window, kSetLanguage);
    if (!combo) return;
    if (static_cast<size_t>(SendMessageW(combo, CB_GETCOUNT, 0, 0)) != g_languageList.size()) {
        SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        FillLanguageCombo(combo);
    }
    int selected = 0;
    for (size_t i = 0; i < g_languageList.size(); ++i) {
        if (_wcsicmp(g_languageList[i].code.c_str(), g_uiLanguageCode.c_str()) == 0) {
            selected = static_cast<int>(i);
            break;
        }
    }
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void SyncPresetCombo(HWND window) {
    HWND combo = FindSettingsControl(window, kSetColorPreset);
    if (combo) {
        if (SendMessageW(combo, CB_GETCOUNT, 0, 0) != kColorPresetCount + 1) {
            SendMessageW(combo, CB_RESETCONTENT, 0, 0);
            FillPresetCombo(combo);
        }
        const int preset = g_lastColorPreset >= 0 && g_lastColorPreset < kColorPresetCount ? g_lastColorPreset + 1 : 0;
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(preset), 0);
    }
    RefreshColorSlotLabels(window);
}

// Captures end on any other button or when another combo is used.
void EndCaptureForCommand(int id, int code) {
    if (!g_settingsHost.hotkeyCaptureActive || !g_settingsHost.endHotkeyCapture) return;
    if (id == kSetHotkeyButton || id == kSetFgHotkeyButton) return;
    if (code == BN_CLICKED && g_settingsHost.hotkeyCaptureActive()) g_settingsHost.endHotkeyCapture(true);
    if ((code == CBN_SELCHANGE || code == CBN_DROPDOWN) && g_settingsHost.hotkeyCaptureActive())
        g_settingsHost.endHotkeyCapture(true);
}

}  // namespace

void WatchSettingsSources() {
    static bool watching = false;
    if (!watching) {
        watching = true;
        SetAutoStartChangedListener([] {
            if (IsLiveWindow(g_hSettingsWnd)) SyncAutoStartBox(g_hSettingsWnd);
        });
        SetUiColorsReappliedListener([] {
            if (IsLiveWindow(g_hSettingsWnd)) RefreshColorSlotLabels(g_hSettingsWnd);
        });
    }
    RefreshAutoStartStateAsync();
}

int ContentSizeLimitIndex(int megabytes) {
    for (int i = 0; i < 6; ++i)
        if (kContentSizeLimitChoicesMB[i] == megabytes) return i;
    return 3;
}

int ContentThreadsIndex(int threads) {
    if (threads < 1) return 0;
    if (threads > 8) return 8;
    return threads;
}

HWND BuildSettingsPage(HWND window, int index) {
    HWND page = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, ScaleForDpi(700), ScaleForDpi(420), window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSettingsPageIdFirst + index)),
                                GetModuleHandleW(nullptr), nullptr);
    if (!page) return nullptr;
    SendMessageW(page, WM_SETFONT, reinterpret_cast<WPARAM>(GetSettingsFont()), TRUE);
    SetWindowSubclass(page, SettingsPageSubclassProc, kSettingsSubclassId, 0);
    switch (index) {
    case 0: BuildAppearancePage(page); break;
    case 1: BuildCommonPage(page); break;
    case 2: BuildContentPage(page); break;
    case 3: BuildHotkeyPage(page); break;
    case 4: BuildConfigFilesPage(page); break;
    case 5: BuildMaintenancePage(page); break;
    case 6: BuildColorPage(page); break;
    default: break;
    }
    return page;
}

void SyncSettingsControls(HWND window) {
    if (!IsLiveWindow(window)) return;
    SyncAutoStartBox(window);
    SetCheck(window, kSetInitialSearch, g_initialSearchEnabled);
    SetCheck(window, kSetGridLines, g_tableGridLines);
    SetCheck(window, kSetGlobalTrim, g_globalTrimOnToggle);
    SetCheck(window, kSetSidebarLayout, g_filterLayoutSidebar);
    SetCheck(window, kSetAlwaysOnTop, g_settingsHost.alwaysOnTop && g_settingsHost.alwaysOnTop());
    SetCheck(window, kSetShowRecent, g_showRecentOnEmpty);
    SelectItem(window, kSetContentMaxSize, ContentSizeLimitIndex(g_contentMaxFileSizeMB.load()));
    SelectItem(window, kSetContentThreads, ContentThreadsIndex(g_contentSearchThreads.load()));
    SyncHotkeyEdit(window, kSetHotkeyEdit, 0);
    SyncHotkeyEdit(window, kSetFgHotkeyEdit, 1);
    SyncLanguageCombo(window);
    SelectItem(window, kSetTheme, g_darkTheme ? 1 : 0);
    SyncPresetCombo(window);
}

void ApplyPostedLanguage(LPARAM lParam) {
    std::unique_ptr<std::wstring> code = TakePosted<std::wstring>(lParam);
    if (code && !code->empty()) SetUiLanguage(*code);
}

bool HandleSettingsCommand(HWND window, int id, int code, HWND control) {
    EndCaptureForCommand(id, code);
    const bool clicked = code == BN_CLICKED;
    const bool selected = code == CBN_SELCHANGE;
    const int sel = selected ? Selection(control ? control : FindSettingsControl(window, id)) : CB_ERR;
    switch (id) {
    case kSetAutoStart:
        if (!clicked) return false;
        ToggleAutoStartAsync();
        SyncSettingsControls(window);
        return true;
    case kSetInitialSearch:
        if (!clicked) return false;
        g_initialSearchEnabled = Checked(window, id);
        SaveSettings();
        return true;
    case kSetGridLines:
        if (!clicked) return false;
        g_tableGridLines = Checked(window, id);
        SaveSettings();
        if (IsLiveWindow(g_hMainWnd)) InvalidateRect(g_hMainWnd, nullptr, FALSE);
        return true;
    case kSetGlobalTrim:
        if (!clicked) return false;
        g_globalTrimOnToggle = Checked(window, id);
        SaveSettings();
        return true;
    case kSetAlwaysOnTop:
        if (!clicked) return false;
        if (g_settingsHost.setAlwaysOnTop) g_settingsHost.setAlwaysOnTop(Checked(window, id));
        SaveSettings();
        return true;
    case kSetShowRecent:
        if (!clicked) return false;
        g_showRecentOnEmpty = Checked(window, id);
        SaveSettings();
        RefreshRecentViewIfNeeded();
        return true;
    case kSetSidebarLayout:
        if (!clicked) return false;
        if (g_settingsHost.setFilterLayout) g_settingsHost.setFilterLayout(Checked(window, id));
        SyncSettingsControls(window);
        return true;
    case kSetContentMaxSize: {
        if (!selected) return false;
        if (sel >= 0 && sel < 6) {
            g_contentMaxFileSizeMB.store(kContentSizeLimitChoicesMB[sel]);
            SaveSettings();
        }
        return true;
    }
    case kSetContentThreads: {
        if (!selected) return false;
        if (sel >= 0) {
            g_contentSearchThreads.store(sel);
            SaveSettings();
        }
        return true;
    }
    case kSetLanguage: {
        if (!selected) return false;
        // The switch rebuilds every page, this combo's too: it runs once the combo's
        // notification has returned.
        if (sel >= 0 && static_cast<size_t>(sel) < g_languageList.size())
            PostValue(window, WM_SETTINGS_APPLY_LANGUAGE, 0,
                      std::make_unique<std::wstring>(g_languageList[static_cast<size_t>(sel)].code));
        return true;
    }
    case kSetTheme: {
        if (!selected) return false;
        const bool dark = sel == 1;
        if (dark != g_darkTheme) {
            g_darkTheme = dark;
            if (g_settingsHost.applyTheme && IsLiveWindow(g_hMainWnd)) g_settingsHost.applyTheme(g_hMainWnd);
        }
        SaveSettings();
        SyncSettingsControls(window);
        return true;
    }
    case kSetColorPreset: {
        if (!selected) return false;
        if (sel > 0) ApplyColorPreset(sel - 1, window);
        return true;
    }
    case kSetColorReset:
        if (!clicked) return false;
        ResetUiColors();
        // The palette is rebuilt even without a main window: the swatches show its colours.
        if (g_settingsHost.applyTheme) g_settingsHost.applyTheme(IsLiveWindow(g_hMainWnd) ? g_hMainWnd : nullptr);
        SyncSettingsControls(window);
        return true;
    case kSetOpenUiColors:
        if (!SaveUiColors()) LogFailure(L"saving ui_colors.ini", GetLastError());
        ShellOpenPath(GetUiColorsPath());
        return true;
    case kSetHotkeyButton:
    case kSetFgHotkeyButton:
        if (g_settingsHost.beginHotkeyCapture) g_settingsHost.beginHotkeyCapture(id == kSetFgHotkeyButton ? 1 : 0, window);
        return true;
    case kSetOpenFilters:
        OpenFiltersIni();
        return true;
    case kSetOpenLanguage:
        OpenLanguageFile();
        return true;
    case kSetOpenZipExts:
        LoadContentZipSettings();
        ShellOpenPath(GetContentZipExtsPath());
        return true;
    case kSetOpenZipPatterns:
        LoadContentZipSettings();
        ShellOpenPath(GetContentZipPatternsPath());
        return true;
    case kSetResetFilters: {
        ResetFilterCategoriesToDefaults();
        const bool saved = WriteFilterCategories(GetFiltersPath(), g_filterCategories);
        CreateFilterButtons();
        UpdateFilterButtonCounts();
        SetSettingsStatus(window, saved ? T(L"Msg_ResetComplete", L"重置完成。", L"Reset complete.")
                                        : SettingsNotSavedText(GetFiltersPath(), false));
        return true;
    }
    case kSetClearRecent: {
        const bool saved = ClearRecentList();
        RefreshRecentViewIfNeeded();
        SetSettingsStatus(window, saved ? T(L"Settings_RecentCleared", L"最近打开记录已清空。", L"Recent opens cleared.")
                                        : SettingsNotSavedText(GetRecentListPath(), false));
        return true;
    }
    case kSettingsCloseId:
        SendMessageW(window, WM_CLOSE, 0, 0);
        return true;
    default:
        break;
    }
    if (id >= kSetColorSwatchFirst && id < kSetColorSwatchFirst + kColorSlotCount) {
        if (!clicked) return false;
        if (ShowLiveColorPicker(window, id - kSetColorSwatchFirst)) SyncSettingsControls(window);
        return true;
    }
    return false;
}
