// Traditional Chinese texts: the menu and title groups key by key, then the settings and analysis groups; every other key keeps the Simplified Chinese text.
#include "i18n/I18nInternal.h"

namespace i18n_detail {
namespace {

const TextPair kTexts[] = {
    {L"Name", L"中文(繁體)"},
    {L"Msg_SettingsNotSaved", L"無法儲存設定。之後的設定變更可能會在程式關閉時遺失。請確認該檔案可以寫入（且沒有同名資料夾）："},
    {L"LanguageIsChinese", L"1"},
    {L"Settings_Cat7", L"介面配色"},
    {L"Settings_ColorPresetTitle", L"配色預設"},
    {L"Settings_ColorPresetNone", L"（選擇預設…）"},
    {L"Settings_ColorTip", L"即時生效；可在下方微調（* = 已自訂）"},
    {L"Settings_ColorReset", L"還原主題預設配色"},
    {L"Settings_OpenUiColors", L"開啟介面配色設定"},
    {L"Settings_ColorChange", L"修改顏色"},
    {L"TrayTip", L"塔恩維克 - {0} 顯示/隱藏"},
    {L"Menu_Homepage", L"官方網站"},
    {L"Menu_Language", L"語言"},
    {L"Menu_OpenLanguageFolder", L"開啟目前語言檔"},
    {L"Menu_Enable", L"啟用"},
    {L"Menu_Disable", L"停用"},
    {L"Menu_InitialSearch", L"初始搜尋"},
    {L"Menu_InitialSearchToggle", L"初始搜尋（開/關）"},
    {L"Menu_Features", L"功能"},
    {L"Menu_AutoStart", L"開機自動啟動"},
    {L"Menu_SetHotkey", L"設定顯示/隱藏快速鍵"},
    {L"Menu_ClearRecent", L"清除最近開啟記錄"},
    {L"Menu_ShowMainWindow", L"顯示主視窗"},
    {L"Menu_Exit", L"結束"},
    {L"Menu_FilterLayoutSidebar", L"篩選版面：側邊欄"},
    {L"Menu_FilterLayoutTopbar", L"篩選版面：頂端列"},
    {L"Menu_ResultGridLinesToggle", L"結果格線（切換）"},
    {L"Menu_Open", L"開啟"},
    {L"Menu_OpenContainingFolder", L"開啟所在資料夾"},
    {L"Menu_Properties", L"內容"},
    {L"Menu_SystemContext", L"系統右鍵選單..."},
    {L"Menu_Copy", L"複製"},
    {L"Menu_Cut", L"剪下"},
    {L"Menu_CopyFullPath", L"複製完整路徑"},
    {L"Menu_RenameF2", L"重新命名\tF2"},
    {L"Menu_MoveToRecycleDelete", L"移至資源回收筒\tDelete"},
    {L"Menu_DeletePermanentShiftDelete", L"永久刪除\tShift+Delete"},
    {L"Menu_RunAsAdmin", L"以系統管理員身分執行"},
    {L"Menu_OpenFilterConfig", L"開啟篩選設定檔"},
    {L"Menu_ResetFilterTags", L"將篩選標籤重設為預設值"},
    {L"Menu_GlobalTrimToggle", L"全域記憶體整理（切換）"},
    {L"Menu_ThemeToggle", L"主題：深色/淺色"},
    {L"Filter.0", L"所有檔案"},
    {L"Filter.1", L"資料夾"},
    {L"Filter.2", L"文件"},
    {L"Filter.3", L"圖片"},
    {L"Filter.4", L"壓縮檔"},
    {L"Filter.5", L"應用程式"},
    {L"Filter.6", L"影片"},
    {L"Filter.7", L"音訊"},
    {L"Filter_Folders", L"資料夾"},
    {L"LanguageChanged", L"語言已切換: "},
    {L"Menu_SetHotkeyForegroundExe", L"設定快速鍵：在檔案總管中定位前景程式"},
    {L"app.name", L"塔恩維克"},
    {L"app.title.main", L"塔恩維克"},
    {L"App_Name", L"塔恩維克"},
    {L"App_TitleMain", L"塔恩維克"},
    {L"App_TitleMainLower", L"塔恩維克"},
    {L"App_FilterTitlePrefix", L"塔恩維克 - 篩選: "},
    {L"App_FilterTitleHitsSeparator", L" | 符合: "},
    {L"Dup_StatusFailed", L"掃描失敗"},
    {L"Dup_KeepOneCopy", L"此群組的所有副本都已選取。請至少保留一個副本：未刪除任何檔案。"},
    {L"Dup_NoOtherCopy", L"無法確認還有其他相同的副本（檔案可能在掃描後被修改或移除）。未刪除任何檔案。"},
    {L"Status_JournalLostReindexFmt", L"磁碟機 %s 的變更日誌已遺失，正在背景重新建立該磁碟機的索引..."},
    {L"Status_DriveReindexedFmt", L"磁碟機 %s 已重新建立索引，將再次追蹤其變更。"},
    {L"Status_DriveReindexFailedFmt", L"磁碟機 %s 無法重新建立索引，在重新整理索引之前不會出現在搜尋結果中。"},
    // The content extension picker, its buttons, and messages of the file actions, the hotkeys
    // and the duplicate scan.
    {L"Button_OK", L"確定"},
    {L"Button_Cancel", L"取消"},
    {L"ContentExt_Title", L"選擇內容搜尋的檔案類型"},
    {L"ContentExt_Tip", L"勾選副檔名後按確定；可在下方新增/刪除自訂副檔名。"},
    {L"ContentExt_Custom", L"自訂副檔名"},
    {L"ContentExt_Add", L"新增"},
    {L"ContentExt_Delete", L"刪除"},
    {L"ContentExt_SelectAll", L"全選"},
    {L"ContentExt_Invert", L"反選"},
    {L"ContentExt_OpenConfig", L"設定"},
    {L"ContentExt_InputHint", L"請輸入副檔名，例如 .pdf 或 pdf,docx"},
    {L"ContentExt_DeleteHint", L"請先勾選或選取要刪除的副檔名。"},
    {L"ContentExt_DeleteConfirm", L"從清單中刪除所選副檔名？\n（同時更新設定檔。）"},
    {L"ContentExt_NeedOne", L"請至少勾選一個副檔名。"},
    {L"Status_ContentExtPicked", L"已設定內容搜尋副檔名。輸入關鍵字後按 Enter；仍可手動修改 |副檔名。"},
    {L"Status_ContentSearchNoCandidates", L"篩選後沒有可掃描的檔案。"},
    {L"Status_ContentSearchIncompleteFmt", L"內容搜尋未完成：掃描執行緒無法啟動（已找到 %zu 個）"},
    {L"Status_HotkeyInUse", L"快速鍵 %s 已被其他程式佔用；目前快速鍵：%s。"},
    {L"Status_HotkeyNone", L"無"},
    {L"Msg_RecycleFailedAskPermanentFmt", L"%zu 個項目無法移到資源回收筒。\n\n是否永久刪除它們？"},
    {L"Msg_RenameTrailingDot", L"名稱不能以點或空格結尾。"},
    {L"Msg_OpenManyConfirmFmt", L"確定要開啟 %zu 個項目嗎？"},
    {L"Dup_PhaseSlowRetry", L"重試慢速檔案"},
    {L"Analysis_DeleteChangedFmt", L"%zu 個選取的檔案在分析後已在磁碟上變更，未被刪除。請重新掃描以查看其目前狀態。"},
    {L"Dup_StatusCheckingFmt", L"刪除前正在核對副本：已讀取 %s / %s（按 Esc 取消）"},
    {L"Dup_StatusDeleteCancelled", L"刪除已取消：未刪除任何檔案。"},
    {L"Dup_StatusHashUnavailable", L"掃描失敗：無法使用系統的 SHA-256 雜湊。"},
};

const wchar_t* const kSettings[] = {
    L"關閉",  // Button_Close
    L"淺色",  // Theme_Light
    L"深色",  // Theme_Dark
    L"不限制（可能較慢）",  // Menu_ContentSizeNoLimit
    L"設定中心",  // Settings_Title
    L"語言",  // Settings_Language
    L"主題",  // Settings_Theme
    L"使用側邊欄篩選版面",  // Settings_UseSidebarLayout
    L"略過大於此大小的檔案",  // Settings_ContentMaxSize
    L"內容搜尋執行緒數",  // Settings_ContentThreads
    L"自動",  // Settings_Auto
    L"設定",  // Settings_ChangeHotkey
    L"提示：按一下「設定」後按下組合鍵（Esc 取消）",  // Settings_HotkeyTip
    L"內容副檔名設定",  // Settings_OpenZipExts
    L"Office/ZIP 內部路徑",  // Settings_OpenZipPatterns
    L"外觀與語言",  // Settings_Cat1
    L"一般",  // Settings_Cat2
    L"內容搜尋",  // Settings_Cat3
    L"快速鍵",  // Settings_Cat4
    L"設定檔",  // Settings_Cat5
    L"維護",  // Settings_Cat6
    L"設定已儲存。",  // Settings_Saved
    L"主題已切換。",  // Settings_ThemeChanged
    L"最近開啟記錄已清除。",  // Settings_RecentCleared
    L"語言已切換。",  // Settings_LanguageChanged
    L"等待按鍵...",  // Settings_HotkeyWaiting
    L"需要 Ctrl/Alt/Shift",  // Settings_HotkeyNeedModifierShort
    L"衝突，請重試",  // Settings_HotkeyConflictShort
    L"失敗，請重試",  // Settings_HotkeyFailedShort
};

const wchar_t* const kAnalysis[] = {
    L"切換到磁碟分析",  // Menu_SwitchToAnalysis
    L"已切換到磁碟分析（按「返回搜尋」可返回）。",  // Status_SwitchedToAnalysis
    L"已切換到搜尋（可透過右鍵選單進入分析）。",  // Status_SwitchedToSearch
    L"重新掃描",  // Analysis_Rescan
    L"掃描",  // Analysis_StartScan
    L"掃描中...",  // Analysis_ScanningBtn
    L"所有磁碟 (ALL)",  // Analysis_DriveAll
    L"分析磁碟",  // Analysis_DriveLabel
    L"返回搜尋",  // Analysis_BackToSearch
    L"磁碟分析",  // Analysis_ToolbarTitle
    L"正在掃描 MFT...",  // Analysis_ScanningMft
    L"分析完成: %s（%zu 項）",  // Analysis_ScanDoneFmt
    L"磁碟分析失敗",  // Analysis_ScanFailed
    L"請選擇要分析的磁碟",  // Analysis_NeedDrive
    L"上一層",  // Analysis_Up
    L"正在掃描所有磁碟...",  // Analysis_ScanningAll
    L"分析完成",  // Analysis_ScanDoneSimple
    L"路徑",  // Analysis_Path
    L"已使用",  // Analysis_Used
    L"可用",  // Analysis_Free
    L"總計",  // Analysis_Total
    L"已分析",  // Analysis_Analyzed
    L"所有磁碟",  // Analysis_AllDisks
    L"全磁碟分析",  // Analysis_AllDisksTitle
    L"空間使用情形",  // Analysis_StoryTitle
    L"比例",  // Analysis_Pct
    L"大小",  // Analysis_Size
    L"依類型（由大到小）",  // Analysis_ByType
    L"按一下展開",  // Analysis_ClickExpand
    L"沒有副檔名統計",  // Analysis_NoExtStats
    L"此資料夾中沒有可顯示的項目",  // Analysis_NoItems
    L"這裡沒有可顯示的使用分布",  // Analysis_NoSunburst
    L"正在掃描，請稍候...",  // Analysis_ScanningWait
    L"選擇一個磁碟或 ALL 開始分析",  // Analysis_SelectDriveHint
    L"掃描失敗",  // Analysis_ScanFailedShort
    L"其他",  // Analysis_Other
    L"其他（%d 項）",  // Analysis_OtherFmt
    L"按一下中心返回上一層",  // Analysis_ClickCenterBack
    L"按一下開啟",  // Analysis_ClickEnter
    L"已選取",  // Analysis_Selected
    L"（無副檔名）",  // Analysis_NoExt
    L" 項",  // Analysis_CountUnit
};

}  // namespace

LanguageTexts ChineseTraditionalTexts() {
    LanguageTexts t;
    t.texts = kTexts;
    t.textCount = sizeof(kTexts) / sizeof(kTexts[0]);
    t.settings = kSettings;
    t.analysis = kAnalysis;
    return t;
}

}  // namespace i18n_detail
