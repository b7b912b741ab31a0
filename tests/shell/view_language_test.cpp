// A language switch brings every view into the new language, whatever state it is in: each case
// puts a view into a state with the Chinese UI, switches to English the way the program does
// (SetUiLanguage with the main window's handler) and reads back what the view draws or holds.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "analysis/AnalysisMode.h"
#include "analysis/AnalysisScan.h"
#include "analysis/AnalysisView.h"
#include "analysis/analysis_test_support.h"
#include "core/Core.h"
#include "core/Window.h"
#include "duplicates/DupEngine.h"
#include "duplicates/DupHash.h"
#include "duplicates/DupMode.h"
#include "duplicates/DupScan.h"
#include "duplicates/DupView.h"
#include "i18n/I18n.h"
#include "search/Search.h"
#include "settings/ColorPicker.h"
#include "shell/ContentExtPicker.h"
#include "shell/Shell.h"
#include "support/fixture.h"
#include "support/synthetic_volume.h"
#include "ui/Controls.h"
#include "ui/Ui.h"
#include "ui/WindowUnit.h"

namespace {

// Every text the painters draw while a recorder lives.
std::vector<std::wstring> g_drawn;
using DrawTextFn = int(WINAPI*)(HDC, LPCWSTR, int, LPRECT, UINT);
DrawTextFn g_realDrawText = nullptr;
int WINAPI RecordDrawText(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format) {
    if (text) g_drawn.push_back(count < 0 ? std::wstring(text) : std::wstring(text, static_cast<size_t>(count)));
    return g_realDrawText(dc, text, count, rect, format);
}

// The texts a painter draws into a back buffer of the client size.
std::vector<std::wstring> Drawn(const std::function<void(HDC)>& paint) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, g_clientWidth, g_clientHeight);
    HGDIOBJ old = SelectObject(dc, bitmap);
    g_drawn.clear();
    {
        testfx::ImportPatch patch("user32.dll", "DrawTextW", reinterpret_cast<void*>(&RecordDrawText));
        EXPECT_TRUE(patch.Installed());
        g_realDrawText = reinterpret_cast<DrawTextFn>(patch.Original());
        paint(dc);
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return g_drawn;
}

std::vector<std::wstring> DupViewTexts() {
    InvalidateDupLayout();
    ComputeDupLayout();
    return Drawn([](HDC dc) { g_dupFindView.Paint(dc, g_fontUi); });
}

std::vector<std::wstring> AnalysisViewTexts() {
    InvalidateAnalysisLayout();
    ComputeAnalysisLayout();
    return Drawn([](HDC dc) { g_analysisView.Paint(dc, g_fontUi, g_fontUi); });
}

// The title of a top-level window and the texts of its controls.
std::vector<std::wstring> WindowTexts(HWND window) {
    std::vector<std::wstring> texts;
    auto add = [](HWND h, LPARAM out) -> BOOL {
        wchar_t text[512] = {};
        GetWindowTextW(h, text, 512);
        reinterpret_cast<std::vector<std::wstring>*>(out)->push_back(text);
        return TRUE;
    };
    add(window, reinterpret_cast<LPARAM>(&texts));
    EnumChildWindows(window, add, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

bool WaitUntil(const std::function<bool()>& done, int ms = 20000) {
    for (int waited = 0; waited < ms; waited += 10) {
        if (done()) return true;
        Sleep(10);
    }
    return done();
}

// A scan of the analysis that holds until it is let go, then analyses nothing.
std::atomic<bool> g_holdAnalysis{false};
AnalysisScanOutcome NothingAnalysed(const std::vector<VolumeIndex*>&, std::vector<std::unique_ptr<DriveAnalysis>>,
                                    const AnalysisScanHooks& hooks) {
    while (g_holdAnalysis.load() && !(hooks.cancelled && hooks.cancelled())) Sleep(5);
    return {};
}

// Starts an analysis of a drive T: whose scan analyses nothing (held until let go with hold).
void StartAnalysisOfT(HWND window, bool hold) {
    std::vector<std::unique_ptr<VolumeIndex>> volumes;
    volumes.push_back(testfx::MakeSyntheticVolume(L"T:\\"));
    testfx::InstallVolumes(std::move(volumes));
    g_analysisComboIndex = 1;
    g_holdAnalysis = hold;
    SetAnalysisVolumesScanner(&NothingAnalysed);
    StartDiskAnalysisScan(window, true);
    EXPECT_TRUE(g_analysisView.busy.load() || !hold);
}

void FinishAnalysisScan(HWND window) {
    g_holdAnalysis = false;
    ASSERT_TRUE(WaitUntil([] { return !g_analysisView.busy.load(); }));
    OnAnalysisScanDone(window, 0);
}

struct Text {
    const wchar_t* key;
    const wchar_t* chinese;
    const wchar_t* english;
};

struct Case {
    const wchar_t* name;
    int mode;
    std::function<void(HWND window)> enter;                 // puts the view into its state
    std::function<std::vector<std::wstring>()> read;        // what the view shows
    std::vector<Text> texts;                                // shown in that state
    std::function<void(HWND window)> leave = [](HWND) {};
};

bool Contains(const std::vector<std::wstring>& shown, const std::wstring& text) {
    for (const std::wstring& s : shown)
        if (s.find(text) != std::wstring::npos) return true;
    return false;
}

std::wstring Join(const std::vector<std::wstring>& shown) {
    std::wstring all;
    for (const std::wstring& s : shown) all += L"[" + s + L"] ";
    return all;
}

std::string Narrow(const std::wstring& w) {
    std::string s(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, &s[0], static_cast<int>(s.size()), nullptr, nullptr);
    if (!s.empty()) s.pop_back();
    return s;
}

// A main window with the duplicate and analysis units and the scope combo, switched the way the
// program switches (its language handler refreshes the window and calls every unit).
struct ViewLanguage : ::testing::Test {
    HWND window = nullptr;
    FilterConflictQuestionFn savedQuestion = nullptr;
    LanguageChangedHandler savedHandler = nullptr;
    LanguageSwitchHooks savedSwitchHooks;
    int savedMode = 0;

    void SetUp() override {
        SetConfigDirOverride(testfx::MakeScratchDir(L"view_language"));
        savedQuestion = g_filterConflictQuestion;
        g_filterConflictQuestion = [](HWND, const std::wstring&, const std::wstring&) { return IDCANCEL; };
        savedHandler = g_languageChangedHandler.load();
        savedSwitchHooks = g_languageSwitchHooks;
        savedMode = g_appMode;
        InstallShellHooks();
        testfx::InstallVolumes({});
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TarnwickViewLanguageTest";
        RegisterClassW(&wc);  // a second registration fails harmlessly
        window = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 1100, 700, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        ASSERT_TRUE(window);
        g_hMainWnd = window;
        g_clientWidth = 1100;
        g_clientHeight = 700;
        g_dpi = 96;
        SetUiLanguage(L"zh-cn");
        g_hScopeCombo = CreateThemedCombo(window, IDC_SCOPE_COMBO, true, 0, 0, 120, 300);
        ClearWindowUnits();
        RegisterWindowUnit(DuplicatesWindowUnit());
        RegisterWindowUnit(AnalysisWindowUnit());
        UnitsCreate(window);
    }
    void TearDown() override {
        g_holdAnalysis = false;
        SetAnalysisVolumesScanner(nullptr);
        SetDupHashAlgorithmForTest(nullptr);
        UnitsDestroy(window);
        ClearWindowUnits();
        g_dupFindView.Reset();
        g_analysisView.Reset();
        ClearAnalysisMailbox();
        for (HWND b : g_filterButtons)
            if (IsWindow(b)) DestroyWindow(b);
        g_filterButtons.clear();
        g_filterButtonWidths.clear();
        DestroyWindow(window);
        g_hMainWnd = nullptr;
        g_hScopeCombo = nullptr;
        g_appMode = savedMode;
        testfx::InstallVolumes({});
        g_languageChangedHandler = savedHandler;
        g_languageSwitchHooks = savedSwitchHooks;
        g_filterConflictQuestion = savedQuestion;
        LoadUiLanguageTexts(L"en-us");
        SetConfigDirOverride(L"");
    }
};

}  // namespace

TEST_F(ViewLanguage, EveryViewStateFollowsASwitch) {
    const Case cases[] = {
        {L"duplicates, idle", kAppModeDuplicates,
         [](HWND w) {
             g_dupFindView.Reset();  // the drive chosen below is new to the view
             SendMessageW(GetDupControls().driveCombo, CB_SETCURSEL, 0, 0);
             DuplicatesWindowUnit().OnCommand(w, IDC_DUP_DRIVE_COMBO, CBN_SELCHANGE, GetDupControls().driveCombo);
         },
         DupViewTexts,
         {{L"Dup_HintStart", L"选择磁盘后点击“扫描”", L"Select a drive and click Scan"}}},
        {L"duplicates, scan cancelled", kAppModeDuplicates,
         [](HWND) {
             g_dupFindView.Reset();
             ReportDupScanCancelled(g_dupScanGeneration.load(), nullptr);
         },
         DupViewTexts, {{L"Dup_StatusCancelled", L"扫描已取消", L"Scan cancelled"}}},
        {L"duplicates, scan failed", kAppModeDuplicates,
         [](HWND) {
             SetDupHashAlgorithmForTest(L"NO-SUCH-HASH");
             ASSERT_TRUE(StartDupFindScanFor(nullptr, true, L'T', DupCompareMode::Exact));
             ASSERT_TRUE(WaitUntil([] { return !g_dupFindView.running.load() && RunningDupScanTasks() == 0; }));
             SetDupHashAlgorithmForTest(nullptr);
         },
         DupViewTexts,
         {{L"Dup_StatusHashUnavailable", L"扫描失败：无法使用系统的 SHA-256 哈希。",
           L"Scan failed: the system's SHA-256 hashing is not available."}}},
        {L"duplicates, finished without groups", kAppModeDuplicates,
         [](HWND) {
             g_dupFindView.Reset();
             g_dupFindView.SetResults({}, false);
         },
         DupViewTexts, {{L"Dup_NoResults", L"未找到重复文件", L"No duplicate files found"}}},
        {L"duplicates, scanning", kAppModeDuplicates,
         [](HWND) {
             g_dupFindView.Reset();
             g_dupFindView.running = true;
             DupReportPhase(&g_dupFindView, 4, 10, 360);
         },
         DupViewTexts, {{L"Dup_PhaseQuick", L"快速哈希比较", L"Quick hash compare"}},
         [](HWND) { g_dupFindView.running = false; }},
        {L"analysis, no drive to scan", kAppModeAnalysis, [](HWND w) { StartDiskAnalysisScan(w, true); },
         AnalysisViewTexts, {{L"Analysis_NeedDrive", L"请选择一个磁盘", L"Please select a drive"}}},
        {L"analysis, scanning", kAppModeAnalysis,
         [](HWND w) { StartAnalysisOfT(w, true); },
         AnalysisViewTexts, {{L"Analysis_ScanningMft", L"正在扫描 MFT...", L"Scanning MFT..."}},
         [](HWND w) { FinishAnalysisScan(w); }},
        {L"analysis, scan failed", kAppModeAnalysis,
         [](HWND w) {
             StartAnalysisOfT(w, false);
             FinishAnalysisScan(w);
             ASSERT_TRUE(g_analysisView.failed.load());
         },
         AnalysisViewTexts, {{L"Analysis_ScanFailed", L"磁盘分析失败", L"Disk analysis failed"}}},
        // Shown while the search is: the drive rows and the ring keep names of their own.
        {L"analysis, all disks analysed (switched in another mode)", kAppModeSearch,
         [](HWND) {
             std::vector<std::unique_ptr<DriveAnalysis>> drives;
             for (wchar_t letter : {L'T', L'U'}) {
                 drives.push_back(atest::Tree().File(300, 5, L"x.bin", 100 + letter).Drive(letter));
                 FillDriveAnalysisCaptions(drives.back().get(), std::wstring(1, letter) + L":\\", L"NTFS");
             }
             atest::ShowDrives(std::move(drives), true);
         },
         AnalysisViewTexts,
         {{L"Drive_LocalDiskOnly", L"本地磁盘", L"Local Disk"}, {L"Analysis_AllDisks", L"全部磁盘", L"All Disks"}}},
        {L"search scope, Desktop chosen", kAppModeSearch,
         [](HWND) {
             FillSearchScopeCombo();
             SendMessageW(g_hScopeCombo, CB_SETCURSEL, 1, 0);
         },
         [] {
             wchar_t text[128] = {};
             const LRESULT sel = SendMessageW(g_hScopeCombo, CB_GETCURSEL, 0, 0);
             SendMessageW(g_hScopeCombo, CB_GETLBTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(text));
             return std::vector<std::wstring>{text};
         },
         {{L"Scope_Desktop", L"桌面", L"Desktop"}}},
        {L"content-search file types, picker open", kAppModeSearch, [](HWND w) { ShowContentExtPicker(w, false); },
         [] { return WindowTexts(g_contentExtPickerWnd); },
         {{L"ContentExt_Title", L"选择内容搜索的文件类型", L"Choose content-search file types"},
          {L"Button_OK", L"确定", L"OK"}},
         [](HWND) { CloseContentExtPicker(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        SetUiLanguage(L"zh-cn");
        g_appMode = c.mode;
        c.enter(window);
        std::vector<std::wstring> before;
        for (const Text& t : c.texts) before.push_back(TrW(t.key, t.chinese, t.english));
        EXPECT_TRUE(Contains(c.read(), before[0])) << Narrow(Join(c.read()));  // the state shows its text

        SetUiLanguage(L"en-us");
        const std::vector<std::wstring> shown = c.read();
        for (size_t i = 0; i < c.texts.size(); ++i) {
            const std::wstring after = TrW(c.texts[i].key, c.texts[i].chinese, c.texts[i].english);
            ASSERT_NE(before[i], after);
            EXPECT_TRUE(Contains(shown, after)) << Narrow(after) << " in " << Narrow(Join(shown));
            EXPECT_FALSE(Contains(shown, before[i])) << Narrow(before[i]) << " in " << Narrow(Join(shown));
        }
        c.leave(window);
    }
}

// The colour picker is modal: the switch happens while its loop runs (as from the main window's
// language menu while the picker is open over the Settings Center).
TEST_F(ViewLanguage, AnOpenColourPickerFollowsASwitch) {
    static std::vector<std::wstring> before, after;
    before.clear();
    after.clear();
    SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        HWND picker = GetLiveColorPickerWindow();
        if (!picker) return;
        before = WindowTexts(picker);
        SetUiLanguage(L"en-us");
        after = WindowTexts(picker);
        PostMessageW(picker, WM_CLOSE, 0, 0);
    });
    const Text texts[] = {{L"Settings_ColorPickerTitle", L"实时配色 - ", L"Live color - "},
                          {L"Button_OK", L"确定", L"OK"},
                          {L"Button_Cancel", L"取消", L"Cancel"}};
    std::vector<std::wstring> chinese;
    for (const Text& t : texts) chinese.push_back(TrW(t.key, t.chinese, t.english));
    EXPECT_FALSE(ShowLiveColorPicker(nullptr, 0));  // closed: the colour is put back
    for (size_t i = 0; i < std::size(texts); ++i) {
        const std::wstring english = TrW(texts[i].key, texts[i].chinese, texts[i].english);
        ASSERT_NE(chinese[i], english);
        EXPECT_TRUE(Contains(before, chinese[i])) << Narrow(Join(before));
        EXPECT_TRUE(Contains(after, english)) << Narrow(Join(after));
        EXPECT_FALSE(Contains(after, chinese[i])) << Narrow(Join(after));
    }
}
