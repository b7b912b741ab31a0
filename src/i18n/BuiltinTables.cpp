// The 13 built-in language tables, the key groups and the key aliases.
#include <atomic>
#include <utility>

#include "i18n/I18n.h"
#include "i18n/I18nInternal.h"

std::map<std::wstring, TextTable> g_builtinTextTables;
std::unordered_map<std::wstring, std::wstring> g_textKeyAliases;

namespace {

std::mutex g_buildMutex;
std::atomic<bool> g_tablesBuilt{false};
const TextTable* g_englishTable = nullptr;
const TextTable* g_chineseTable = nullptr;

void SetTexts(TextTable& table, const i18n_detail::LanguageTexts& texts) {
    for (size_t i = 0; i < texts.textCount; ++i) table[texts.texts[i].key] = texts.texts[i].text;
}

void SetGroup(TextTable& table, const std::vector<std::wstring>& keys,
              const wchar_t* const* texts) {
    for (size_t i = 0; i < keys.size(); ++i) table[keys[i]] = texts[i];
}

template <size_t... I>
void CallAddSettings(TextTable& table, const wchar_t* const* t, std::index_sequence<I...>) {
    AddSettingsTexts(table, t[I]...);
}

template <size_t... I>
void CallAddAnalysis(TextTable& table, const wchar_t* const* t, std::index_sequence<I...>) {
    AddAnalysisTexts(table, t[I]...);
}

void AddSettings(TextTable& table, const i18n_detail::LanguageTexts& texts) {
    if (texts.settings) CallAddSettings(table, texts.settings, std::make_index_sequence<29>());
}

void AddAnalysis(TextTable& table, const i18n_detail::LanguageTexts& texts) {
    if (texts.analysis) CallAddAnalysis(table, texts.analysis, std::make_index_sequence<42>());
}

TextTable BuildFromEnglish(const TextTable& english, const i18n_detail::LanguageTexts& texts) {
    TextTable table = english;
    SetTexts(table, texts);
    return table;
}

void BuildAllTables() {
    using namespace i18n_detail;
    TextTable en = BuildEnglishTextTable();

    TextTable zhCn = en;
    const LanguageTexts zhCnTexts = ChineseSimplifiedTexts();
    SetTexts(zhCn, zhCnTexts);

    std::pair<const wchar_t*, TextTable> builders[] = {
        {L"de-de", BuildGermanTextTable(en)},    {L"ja-jp", BuildJapaneseTextTable(en)},
        {L"fr-fr", BuildFrenchTextTable(en)},    {L"ko-kr", BuildKoreanTextTable(en)},
        {L"es-es", BuildSpanishTextTable(en)},   {L"ru-ru", BuildRussianTextTable(en)},
        {L"no-no", BuildNorwegianTextTable(en)}, {L"ar-sa", BuildArabicTextTable(en)},
    };
    const LanguageTexts builderTexts[] = {GermanTexts(),  JapaneseTexts(), FrenchTexts(),
                                          KoreanTexts(),  SpanishTexts(),  RussianTexts(),
                                          NorwegianTexts(), ArabicTexts()};
    for (size_t i = 0; i < 8; ++i) AddSettings(builders[i].second, builderTexts[i]);

    TextTable zhTw = zhCn;
    const LanguageTexts zhTwTexts = ChineseTraditionalTexts();
    SetTexts(zhTw, zhTwTexts);
    AddSettings(zhTw, zhTwTexts);

    const LanguageTexts ptTexts = PortugueseTexts();
    TextTable ptBr = BuildFromEnglish(en, ptTexts);
    AddSettings(ptBr, ptTexts);
    const LanguageTexts itTexts = ItalianTexts();
    TextTable itIt = BuildFromEnglish(en, itTexts);
    AddSettings(itIt, itTexts);

    for (size_t i = 0; i < 8; ++i) AddAnalysis(builders[i].second, builderTexts[i]);
    AddAnalysis(ptBr, ptTexts);
    AddAnalysis(itIt, itTexts);
    // zh-tw sets its analysis texts one by one (it does not go through AddAnalysisTexts).
    if (zhTwTexts.analysis) SetGroup(zhTw, GetAnalysisGroupKeys(), zhTwTexts.analysis);

    std::map<std::wstring, TextTable> tables;
    tables.emplace(L"en-us", en);
    tables.emplace(L"zh-cn", zhCn);
    tables.emplace(L"zh-tw", zhTw);
    for (auto& [code, table] : builders) tables.emplace(code, std::move(table));
    tables.emplace(L"pt-br", std::move(ptBr));
    tables.emplace(L"it-it", std::move(itIt));

    // Feature texts come with all 13 translations in one row.
    const std::vector<std::wstring>& codes = GetBuiltinLanguageCodes();
    size_t featureCount = 0;
    const FeatureText* features = SettingsToolTexts(featureCount);
    for (size_t i = 0; i < featureCount; ++i)
        for (size_t c = 0; c < codes.size() && c < 13; ++c) tables[codes[c]][features[i].key] = features[i].texts[c];

    std::unordered_map<std::wstring, std::wstring> aliases;
    aliases.emplace(L"app.name", L"App_Name");
    aliases.emplace(L"menu.homepage", L"Menu_Homepage");
    aliases.emplace(L"menu.language", L"Menu_Language");
    aliases.emplace(L"menu.features", L"Menu_Features");
    aliases.emplace(L"dialog.title.error", L"MsgTitle_Error");
    aliases.emplace(L"dialog.title.information", L"MsgTitle_Information");

    g_builtinTextTables = std::move(tables);
    g_textKeyAliases = std::move(aliases);
    g_englishTable = &g_builtinTextTables.at(L"en-us");
    g_chineseTable = &g_builtinTextTables.at(L"zh-cn");
}

}  // namespace

void EnsureBuiltinLanguageTables() {
    if (g_tablesBuilt.load(std::memory_order_acquire)) return;
    std::lock_guard<std::mutex> lock(g_buildMutex);
    if (g_tablesBuilt.load(std::memory_order_relaxed)) return;
    BuildAllTables();  // an exception leaves both maps empty; the next call builds again
    g_tablesBuilt.store(true, std::memory_order_release);
}

TextTable BuildEnglishTextTable() {
    size_t count = 0;
    const i18n_detail::TextPair* texts = i18n_detail::EnglishTexts(count);
    TextTable table;
    table.max_load_factor(1.0f);
    for (size_t i = 0; i < count; ++i) table.emplace(texts[i].key, texts[i].text);
    return table;
}

TextTable BuildGermanTextTable(const TextTable& english) {
    return BuildFromEnglish(english, i18n_detail::GermanTexts());
}
TextTable BuildJapaneseTextTable(const TextTable& english) {
    return BuildFromEnglish(english, i18n_detail::JapaneseTexts());
}
TextTable BuildFrenchTextTable(const TextTable& english) {
    return BuildFromEnglish(english, i18n_detail::FrenchTexts());
}
TextTable BuildKoreanTextTable(const TextTable& english) {
    return BuildFromEnglish(english, i18n_detail::KoreanTexts());
}
TextTable BuildSpanishTextTable(const TextTable& english) {
    return BuildFromEnglish(english, i18n_detail::SpanishTexts());
}
TextTable BuildRussianTextTable(const TextTable& english) {
    return BuildFromEnglish(english, i18n_detail::RussianTexts());
}
TextTable BuildNorwegianTextTable(const TextTable& english) {
    return BuildFromEnglish(english, i18n_detail::NorwegianTexts());
}
TextTable BuildArabicTextTable(const TextTable& english) {
    return BuildFromEnglish(english, i18n_detail::ArabicTexts());
}

void AddSettingsTexts(TextTable& table, const wchar_t* t1, const wchar_t* t2, const wchar_t* t3,
                      const wchar_t* t4, const wchar_t* t5, const wchar_t* t6, const wchar_t* t7,
                      const wchar_t* t8, const wchar_t* t9, const wchar_t* t10, const wchar_t* t11,
                      const wchar_t* t12, const wchar_t* t13, const wchar_t* t14,
                      const wchar_t* t15, const wchar_t* t16, const wchar_t* t17,
                      const wchar_t* t18, const wchar_t* t19, const wchar_t* t20,
                      const wchar_t* t21, const wchar_t* t22, const wchar_t* t23,
                      const wchar_t* t24, const wchar_t* t25, const wchar_t* t26,
                      const wchar_t* t27, const wchar_t* t28, const wchar_t* t29) {
    const wchar_t* const texts[] = {t1,  t2,  t3,  t4,  t5,  t6,  t7,  t8,  t9,  t10,
                                    t11, t12, t13, t14, t15, t16, t17, t18, t19, t20,
                                    t21, t22, t23, t24, t25, t26, t27, t28, t29};
    SetGroup(table, GetSettingsGroupKeys(), texts);
}

void AddAnalysisTexts(TextTable& table, const wchar_t* t1, const wchar_t* t2, const wchar_t* t3,
                      const wchar_t* t4, const wchar_t* t5, const wchar_t* t6, const wchar_t* t7,
                      const wchar_t* t8, const wchar_t* t9, const wchar_t* t10, const wchar_t* t11,
                      const wchar_t* t12, const wchar_t* t13, const wchar_t* t14,
                      const wchar_t* t15, const wchar_t* t16, const wchar_t* t17,
                      const wchar_t* t18, const wchar_t* t19, const wchar_t* t20,
                      const wchar_t* t21, const wchar_t* t22, const wchar_t* t23,
                      const wchar_t* t24, const wchar_t* t25, const wchar_t* t26,
                      const wchar_t* t27, const wchar_t* t28, const wchar_t* t29,
                      const wchar_t* t30, const wchar_t* t31, const wchar_t* t32,
                      const wchar_t* t33, const wchar_t* t34, const wchar_t* t35,
                      const wchar_t* t36, const wchar_t* t37, const wchar_t* t38,
                      const wchar_t* t39, const wchar_t* t40, const wchar_t* t41,
                      const wchar_t* t42) {
    const wchar_t* const texts[] = {t1,  t2,  t3,  t4,  t5,  t6,  t7,  t8,  t9,  t10, t11,
                                    t12, t13, t14, t15, t16, t17, t18, t19, t20, t21, t22,
                                    t23, t24, t25, t26, t27, t28, t29, t30, t31, t32, t33,
                                    t34, t35, t36, t37, t38, t39, t40, t41, t42};
    SetGroup(table, GetAnalysisGroupKeys(), texts);
}

const std::vector<std::wstring>& GetBuiltinLanguageCodes() {
    static const std::vector<std::wstring> kCodes = {
        L"zh-cn", L"zh-tw", L"en-us", L"ja-jp", L"ko-kr", L"de-de", L"fr-fr",
        L"es-es", L"pt-br", L"it-it", L"ru-ru", L"no-no", L"ar-sa"};
    return kCodes;
}

const std::vector<std::wstring>& GetMenuGroupKeys() {
    static const std::vector<std::wstring> kKeys = {
        L"Name", L"LanguageIsChinese", L"TrayTip", L"Menu_Homepage", L"Menu_Language",
        L"Menu_OpenLanguageFolder", L"Menu_Enable", L"Menu_Disable", L"Menu_InitialSearch",
        L"Menu_InitialSearchToggle", L"Menu_Features", L"Menu_AutoStart", L"Menu_SetHotkey",
        L"Menu_ClearRecent", L"Menu_ShowMainWindow", L"Menu_Exit", L"Menu_FilterLayoutSidebar",
        L"Menu_FilterLayoutTopbar", L"Menu_ResultGridLinesToggle", L"Menu_Open",
        L"Menu_OpenContainingFolder", L"Menu_Properties", L"Menu_SystemContext", L"Menu_Copy",
        L"Menu_Cut", L"Menu_CopyFullPath", L"Menu_RenameF2", L"Menu_MoveToRecycleDelete",
        L"Menu_DeletePermanentShiftDelete", L"Menu_RunAsAdmin", L"Menu_OpenFilterConfig",
        L"Menu_ResetFilterTags", L"Menu_GlobalTrimToggle", L"Menu_ThemeToggle", L"Filter.0",
        L"Filter.1", L"Filter.2", L"Filter.3", L"Filter.4", L"Filter.5", L"Filter.6", L"Filter.7",
        L"Filter_Folders", L"LanguageChanged", L"Menu_SetHotkeyForegroundExe",
    };
    return kKeys;
}

const std::vector<std::wstring>& GetTitleGroupKeys() {
    static const std::vector<std::wstring> kKeys = {
        L"app.name", L"app.title.main", L"App_Name", L"App_TitleMain", L"App_TitleMainLower",
        L"App_FilterTitlePrefix", L"App_FilterTitleHitsSeparator",
    };
    return kKeys;
}

const std::vector<std::wstring>& GetMainGroupKeys() {
    static const std::vector<std::wstring> kKeys = {
        L"Menu_RefreshNonNtfs", L"Menu_View", L"Menu_ViewList", L"Menu_ViewSmallIcons",
        L"Menu_ViewLargeIcons", L"Menu_Sort", L"Menu_SortByName", L"Menu_SortBySize",
        L"Menu_SortByModified", L"Menu_SortByCreated", L"Menu_SortByType", L"Menu_SortByPath",
        L"MsgTitle_Information", L"MsgTitle_Error", L"MsgTitle_Completed",
        L"MsgTitle_ConfirmDelete", L"MsgTitle_ConfirmReset", L"MsgTitle_LanguageSwitchConflict",
        L"Status_InitialSearchOn", L"Status_InitialSearchOff", L"Status_GlobalTrimOn",
        L"Status_GlobalTrimOff", L"Status_GridLinesOn", L"Status_GridLinesOff",
        L"Msg_AdminRequired", L"Drive_LocalDiskPrefix", L"Msg_LanguageSwitchFilterConflict",
        L"Common_All", L"Common_Custom", L"Time_Today", L"Time_7Days", L"Time_30Days",
        L"Time_RangeDefault", L"Status_HotkeyCaptureHint", L"Msg_HotkeyNeedModifier",
        L"Msg_HotkeyRegisterFailed", L"Msg_HotkeySetPrefix", L"Log_RefreshNonNtfsPrefix",
        L"Log_NoNonNtfsForRefresh", L"Log_ResultOk", L"Log_ResultFail", L"Scope_Desktop",
        L"Msg_RenameInvalidChars", L"Msg_RenameFailedFormat", L"Status_ContentSearchCanceled",
        L"Header_RowNumber", L"Header_Name", L"Header_Size", L"Header_Modified", L"Header_Created",
        L"Header_Type", L"Header_Path", L"Status_IndexNotReadyRetry",
        L"Status_FilteredFilesStartScanFmt", L"Status_ScanningProgressFmt",
        L"Status_PrewarmSortingDisabled", L"Status_HydrateProgressFmt",
        L"Msg_DeleteSingleConfirmPrefix", L"Msg_DeleteMultiConfirmPrefix",
        L"Msg_DeleteMultiConfirmSuffix", L"Msg_DeleteFailedCountFmt", L"Msg_RecycleDeleteFailed",
        L"Msg_CopyClipboardFailed", L"Status_InitializingIndex", L"Status_InitIncompleteRetry",
        L"Status_BackgroundStartupCompleted", L"Status_NewDiskDetected",
        L"Status_DriveEjectDetected", L"Status_DriveRemoved", L"Status_NtfsIndexRemoved",
        L"Status_RefreshNonNtfsPrefix", L"Status_RefreshNonNtfsSingleSuffix",
        L"Status_RefreshNonNtfsFailedMid", L"Status_RefreshNonNtfsFailedSuffix",
        L"Status_RefreshNonNtfsFailed", L"Title_SearchPartialFmt", L"Title_SearchFinalFmt",
        L"Status_SearchingShowingPrefix", L"Status_SearchingShowingSuffix",
        L"Status_FilterApplyingPrefix", L"Status_FilterApplyingSuffix", L"Status_FilterHitsPrefix",
        L"Status_FilterHitsMid", L"Status_RefreshingAllNonNtfs", L"Msg_ResetFilterConfirm",
        L"Msg_ResetComplete", L"Msg_AlreadyRunningPrefix", L"Msg_AlreadyRunningSuffix",
        L"Status_InitializingSimple", L"Status_HotkeyCaptureHintFgExe", L"Msg_HotkeySetPrefixFgExe",
        L"Msg_HotkeyConflict", L"Msg_ForegroundExeOpenFailed",
    };
    return kKeys;
}

const std::vector<std::wstring>& GetSettingsGroupKeys() {
    static const std::vector<std::wstring> kKeys = {
        L"Button_Close", L"Theme_Light", L"Theme_Dark", L"Menu_ContentSizeNoLimit",
        L"Settings_Title", L"Settings_Language", L"Settings_Theme", L"Settings_UseSidebarLayout",
        L"Settings_ContentMaxSize", L"Settings_ContentThreads", L"Settings_Auto",
        L"Settings_ChangeHotkey", L"Settings_HotkeyTip", L"Settings_OpenZipExts",
        L"Settings_OpenZipPatterns", L"Settings_Cat1", L"Settings_Cat2", L"Settings_Cat3",
        L"Settings_Cat4", L"Settings_Cat5", L"Settings_Cat6", L"Settings_Saved",
        L"Settings_ThemeChanged", L"Settings_RecentCleared", L"Settings_LanguageChanged",
        L"Settings_HotkeyWaiting", L"Settings_HotkeyNeedModifierShort",
        L"Settings_HotkeyConflictShort", L"Settings_HotkeyFailedShort",
    };
    return kKeys;
}

const std::vector<std::wstring>& GetAnalysisGroupKeys() {
    static const std::vector<std::wstring> kKeys = {
        L"Menu_SwitchToAnalysis", L"Status_SwitchedToAnalysis", L"Status_SwitchedToSearch",
        L"Analysis_Rescan", L"Analysis_StartScan", L"Analysis_ScanningBtn", L"Analysis_DriveAll",
        L"Analysis_DriveLabel", L"Analysis_BackToSearch", L"Analysis_ToolbarTitle",
        L"Analysis_ScanningMft", L"Analysis_ScanDoneFmt", L"Analysis_ScanFailed",
        L"Analysis_NeedDrive", L"Analysis_Up", L"Analysis_ScanningAll", L"Analysis_ScanDoneSimple",
        L"Analysis_Path", L"Analysis_Used", L"Analysis_Free", L"Analysis_Total",
        L"Analysis_Analyzed", L"Analysis_AllDisks", L"Analysis_AllDisksTitle",
        L"Analysis_StoryTitle", L"Analysis_Pct", L"Analysis_Size", L"Analysis_ByType",
        L"Analysis_ClickExpand", L"Analysis_NoExtStats", L"Analysis_NoItems",
        L"Analysis_NoSunburst", L"Analysis_ScanningWait", L"Analysis_SelectDriveHint",
        L"Analysis_ScanFailedShort", L"Analysis_Other", L"Analysis_OtherFmt",
        L"Analysis_ClickCenterBack", L"Analysis_ClickEnter", L"Analysis_Selected",
        L"Analysis_NoExt", L"Analysis_CountUnit",
    };
    return kKeys;
}

const std::vector<std::wstring>& GetRestGroupKeys() {
    static const std::vector<std::wstring> kKeys = {
        L"Menu_SelectAll", L"Analysis_FolderCol", L"Analysis_ExtCol", L"Analysis_AutoSelectDrive",
        L"Analysis_DesktopHint", L"Settings_AlwaysOnTop", L"Settings_ShowRecentOpens",
        L"Menu_SwitchToDup", L"Status_SwitchedToDup", L"Dup_Title", L"Dup_ListHeader",
        L"Dup_NoResults", L"Dup_HintStart", L"Dup_DriveAll", L"Dup_Scan", L"Dup_Rescan",
        L"Dup_Scanning", L"Dup_Cancel", L"Dup_Pause", L"Dup_Resume", L"Dup_Paused",
        L"Dup_CurrentFile", L"Dup_StatusCancelling", L"Dup_Back", L"Dup_StatusEnum",
        L"Dup_StatusEnumAll", L"Dup_StatusMft", L"Dup_StatusMftReuse", L"Dup_StatusHash",
        L"Dup_StatusHashFast", L"Dup_StatusSizeOnly", L"Dup_StatusQuickStatsFmt",
        L"Dup_StatusDoneFmt", L"Dup_StatusCacheFmt", L"Dup_StatusCancelled", L"Dup_StatusNoIndex",
        L"Dup_WasteLabel", L"Dup_WasteShort", L"Dup_GroupsChip", L"Dup_FilesChip", L"Dup_FromCache",
        L"Dup_PhaseIndex", L"Dup_PhaseMft", L"Dup_PhaseFilter", L"Dup_PhaseQuick", L"Dup_PhaseFull",
        L"Dup_PhaseCache", L"Dup_ModeSizeOnly", L"Dup_ModeFast", L"Dup_ModeExact",
        L"Dup_StatusDoneSizeFmt", L"Dup_StatusDoneFastFmt", L"Dup_StatusSizeOnlyFmt",
        L"Dup_ChartHeader", L"Dup_DetailHeader", L"Dup_DetailEmpty",
    };
    return kKeys;
}

const std::vector<std::wstring>& GetAddedKeys() {
    static const std::vector<std::wstring> kKeys = {
        L"Dup_StatusFailed", L"Dup_KeepOneCopy", L"Dup_NoOtherCopy", L"Status_JournalLostReindexFmt",
        L"Status_DriveReindexedFmt", L"Status_DriveReindexFailedFmt", L"Msg_SettingsNotSaved",
        L"Settings_ColorPickerTitle", L"Settings_ColorLiveTip",
        // The Settings Center's colour page and its seventh category.
        L"Settings_Cat7", L"Settings_ColorTip", L"Settings_ColorChange", L"Settings_ColorReset",
        L"Settings_ColorPresetTitle", L"Settings_ColorPresetNone", L"Settings_OpenUiColors",
        // The content extension picker and its buttons, and messages of the content scan, the
        // file actions, the hotkeys and the duplicate scan.
        L"Button_OK", L"Button_Cancel", L"ContentExt_Title", L"ContentExt_Tip", L"ContentExt_Custom",
        L"ContentExt_Add", L"ContentExt_Delete", L"ContentExt_SelectAll", L"ContentExt_Invert",
        L"ContentExt_OpenConfig", L"ContentExt_InputHint", L"ContentExt_DeleteHint",
        L"ContentExt_DeleteConfirm", L"ContentExt_NeedOne", L"Status_ContentExtPicked",
        L"Status_ContentSearchNoCandidates", L"Status_ContentSearchIncompleteFmt", L"Status_HotkeyInUse",
        L"Status_HotkeyNone", L"Msg_RecycleFailedAskPermanentFmt", L"Msg_RenameTrailingDot",
        L"Msg_OpenManyConfirmFmt", L"Dup_PhaseSlowRetry", L"Analysis_DeleteChangedFmt",
        // The check before a delete in the duplicate view, and a scan without SHA-256.
        L"Dup_StatusCheckingFmt", L"Dup_StatusDeleteCancelled", L"Dup_StatusHashUnavailable",
    };
    return kKeys;
}

const std::vector<std::wstring>& GetChineseOnlyKeys() {
    static const std::vector<std::wstring> kKeys = {
        L"Mode_Search", L"Mode_Analysis", L"Drive_LocalDiskOnly",
    };
    return kKeys;
}

namespace i18n_detail {

const TextTable* EnglishTable() {
    EnsureBuiltinLanguageTables();
    return g_englishTable;
}

const TextTable* ChineseTable() {
    EnsureBuiltinLanguageTables();
    return g_chineseTable;
}

bool IsEnglishTableKey(const std::wstring& key) {
    return EnglishTable()->count(key) != 0;
}

}  // namespace i18n_detail
