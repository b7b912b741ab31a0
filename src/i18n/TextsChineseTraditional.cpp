// Traditional Chinese texts (Taiwan wording): every key but the settings and analysis groups, then
// those two groups.
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
    // The main group: the View and Sort menus, message boxes, column headers and status texts.
    {L"Menu_RefreshNonNtfs", L"重新整理所有非 NTFS 磁碟索引"},
    {L"Menu_View", L"檢視"},
    {L"Menu_ViewList", L"清單"},
    {L"Menu_ViewSmallIcons", L"小圖示"},
    {L"Menu_ViewLargeIcons", L"大圖示"},
    {L"Menu_Sort", L"排序"},
    {L"Menu_SortByName", L"依名稱"},
    {L"Menu_SortBySize", L"依大小"},
    {L"Menu_SortByModified", L"依修改時間"},
    {L"Menu_SortByCreated", L"依建立時間"},
    {L"Menu_SortByType", L"依類型"},
    {L"Menu_SortByPath", L"依路徑"},
    {L"MsgTitle_Information", L"提示"},
    {L"MsgTitle_Error", L"錯誤"},
    {L"MsgTitle_Completed", L"完成"},
    {L"MsgTitle_ConfirmDelete", L"確認刪除"},
    {L"MsgTitle_ConfirmReset", L"確認重設"},
    {L"MsgTitle_LanguageSwitchConflict", L"切換語言 - 篩選設定衝突"},
    {L"Status_InitialSearchOn", L"已開啟初始搜尋。"},
    {L"Status_InitialSearchOff", L"已關閉初始搜尋。"},
    {L"Status_GlobalTrimOn", L"已開啟全域記憶體整理。"},
    {L"Status_GlobalTrimOff", L"已關閉全域記憶體整理。"},
    {L"Status_GridLinesOn", L"已顯示結果格線。"},
    {L"Status_GridLinesOff", L"已隱藏結果格線。"},
    {L"Msg_AdminRequired", L"塔恩維克需要以系統管理員身分執行，才能讀取磁碟的 USN 日誌。\n\n請在程式圖示上按右鍵，然後選擇「以系統管理員身分執行」。"},
    {L"Drive_LocalDiskPrefix", L"本機磁碟 ("},
    {L"Msg_LanguageSwitchFilterConflict", L"偵測到你已自訂篩選設定 (filters.ini)。切換語言時要如何處理？\n\n是：以新語言的預設篩選覆寫設定檔（永久）。\n否：保留目前的自訂設定（建議）。\n取消：暫時使用新語言的預設篩選，僅在本次執行期間有效。"},
    {L"Common_All", L"全部"},
    {L"Common_Custom", L"自訂"},
    {L"Time_Today", L"今天"},
    {L"Time_7Days", L"7 天內"},
    {L"Time_30Days", L"30 天內"},
    {L"Time_RangeDefault", L"0-7(天前)"},
    {L"Status_HotkeyCaptureHint", L"請按下新的顯示/隱藏快速鍵（Esc 取消）..."},
    {L"Msg_HotkeyNeedModifier", L"快速鍵必須包含 Ctrl、Alt 或 Shift。"},
    {L"Msg_HotkeyRegisterFailed", L"快速鍵註冊失敗，請嘗試其他組合。"},
    {L"Msg_HotkeySetPrefix", L"快速鍵已設定為："},
    {L"Log_RefreshNonNtfsPrefix", L"重新整理非 NTFS 磁碟索引"},
    {L"Log_NoNonNtfsForRefresh", L"沒有可重新整理的非 NTFS 磁碟。"},
    {L"Log_ResultOk", L"成功"},
    {L"Log_ResultFail", L"失敗"},
    {L"Scope_Desktop", L"桌面"},
    {L"Msg_RenameInvalidChars", L"名稱包含無效字元，無法使用。"},
    {L"Msg_RenameFailedFormat", L"重新命名失敗。\n錯誤碼: %lu"},
    {L"Status_ContentSearchCanceled", L"已取消內容搜尋。"},
    {L"Header_RowNumber", L"序號"},
    {L"Header_Name", L"名稱"},
    {L"Header_Size", L"大小"},
    {L"Header_Modified", L"修改時間"},
    {L"Header_Created", L"建立時間"},
    {L"Header_Type", L"類型"},
    {L"Header_Path", L"路徑"},
    {L"Status_IndexNotReadyRetry", L"索引尚未就緒，稍後將自動重試搜尋..."},
    {L"Status_FilteredFilesStartScanFmt", L"已篩選出 %zu 個文字檔，開始讀取內容...（Esc 可取消）"},
    {L"Status_ScanningProgressFmt", L"正在掃描內容...（已處理 %zu / %zu）"},
    {L"Status_PrewarmSortingDisabled", L"正在預熱快取，暫時無法排序，請稍候..."},
    {L"Status_HydrateProgressFmt", L"正在以多執行緒擷取屬性... (已處理 %zu / %zu)"},
    {L"Msg_DeleteSingleConfirmPrefix", L"確定要永久刪除此檔案嗎？\n\n"},
    {L"Msg_DeleteMultiConfirmPrefix", L"確定要永久刪除選取的 "},
    {L"Msg_DeleteMultiConfirmSuffix", L" 個項目嗎？"},
    {L"Msg_DeleteFailedCountFmt", L"有 %zu 個選取的項目刪除失敗。"},
    {L"Msg_RecycleDeleteFailed", L"無法移至資源回收筒，備用的刪除方式也失敗了。"},
    {L"Msg_CopyClipboardFailed", L"無法複製到剪貼簿。"},
    {L"Status_InitializingIndex", L"正在初始化全磁碟索引..."},
    {L"Status_InitIncompleteRetry", L"初始化未完成，正在背景重試載入磁碟索引..."},
    {L"Status_BackgroundStartupCompleted", L"背景啟動完成。開啟視窗時才會顯示結果並預熱快取。"},
    {L"Status_NewDiskDetected", L"偵測到新磁碟，已更新磁碟機清單。"},
    {L"Status_DriveEjectDetected", L"偵測到磁碟機退出，已提前釋放控制代碼。"},
    {L"Status_DriveRemoved", L"有磁碟被移除，已自動更新所選磁碟機。"},
    {L"Status_NtfsIndexRemoved", L"偵測到磁碟已中斷連線，已移除其 NTFS 索引。"},
    {L"Status_RefreshNonNtfsPrefix", L"已重新整理 "},
    {L"Status_RefreshNonNtfsSingleSuffix", L" 個非 NTFS 磁碟索引，詳情請見偵錯輸出。"},
    {L"Status_RefreshNonNtfsFailedMid", L" 個非 NTFS 磁碟，其中 "},
    {L"Status_RefreshNonNtfsFailedSuffix", L" 個失敗，詳情請見偵錯輸出。"},
    {L"Status_RefreshNonNtfsFailed", L"重新整理非 NTFS 磁碟索引失敗，詳情請見偵錯輸出。"},
    {L"Title_SearchPartialFmt", L"塔恩維克 - 已找到 %lld+ 個..."},
    {L"Title_SearchFinalFmt", L"塔恩維克 - 共命中 %lld 個"},
    {L"Status_SearchingShowingPrefix", L"正在搜尋... 已顯示 "},
    {L"Status_SearchingShowingSuffix", L" 個結果"},
    {L"Status_FilterApplyingPrefix", L"篩選: "},
    {L"Status_FilterApplyingSuffix", L" | 正在套用篩選..."},
    {L"Status_FilterHitsPrefix", L"篩選: "},
    {L"Status_FilterHitsMid", L" | 符合: "},
    {L"Status_RefreshingAllNonNtfs", L"正在重新整理所有非 NTFS 磁碟索引..."},
    {L"Msg_ResetFilterConfirm", L"確定要將篩選標籤重設為預設值嗎？\n\n（重新啟動程式後篩選按鈕才會更新。）"},
    {L"Msg_ResetComplete", L"設定已重設。"},
    {L"Msg_AlreadyRunningPrefix", L"塔恩維克已在執行。\n\n請使用快速鍵「"},
    {L"Msg_AlreadyRunningSuffix", L"」顯示或隱藏主視窗。"},
    {L"Status_InitializingSimple", L"正在初始化..."},
    {L"Status_HotkeyCaptureHintFgExe", L"請按下新的前景程式定位快速鍵（Esc 取消）..."},
    {L"Msg_HotkeySetPrefixFgExe", L"「前景程式位置」快速鍵已設定為："},
    {L"Msg_HotkeyConflict", L"此組合已被另一個快速鍵使用，請換一個組合。"},
    {L"Msg_ForegroundExeOpenFailed", L"無法取得前景處理程序的路徑（它可能受到保護）。"},
    // The duplicate finder, Select All, the analysis columns and hints, and two Settings Center
    // options.
    {L"Menu_SelectAll", L"全選\tCtrl+A"},
    {L"Analysis_FolderCol", L"資料夾"},
    {L"Analysis_ExtCol", L"副檔名"},
    {L"Analysis_AutoSelectDrive", L"分析模式已選擇第一個磁碟，可在下拉式清單中切換磁碟。"},
    {L"Analysis_DesktopHint", L"桌面範圍僅用於搜尋模式；分析會使用第一個磁碟。選擇 ALL 可分析所有磁碟。"},
    {L"Settings_AlwaysOnTop", L"視窗置頂"},
    {L"Settings_ShowRecentOpens", L"顯示最近開啟的檔案"},
    {L"Menu_SwitchToDup", L"切換到重複檔案"},
    {L"Status_SwitchedToDup", L"已切換到重複檔案（按右鍵可切換模式）"},
    {L"Dup_Title", L"重複檔案"},
    {L"Dup_ListHeader", L"群組（內容相同）"},
    {L"Dup_NoResults", L"找不到重複檔案"},
    {L"Dup_HintStart", L"選擇磁碟後按一下「掃描」"},
    {L"Dup_DriveAll", L"所有磁碟 (ALL)"},
    {L"Dup_Scan", L"掃描"},
    {L"Dup_Rescan", L"重新掃描"},
    {L"Dup_Scanning", L"掃描中..."},
    {L"Dup_Cancel", L"取消"},
    {L"Dup_Pause", L"暫停"},
    {L"Dup_Resume", L"繼續"},
    {L"Dup_Paused", L"已暫停"},
    {L"Dup_CurrentFile", L"目前"},
    {L"Dup_StatusCancelling", L"正在取消掃描..."},
    {L"Dup_Back", L"返回"},
    {L"Dup_StatusEnum", L"正在讀取索引 / MFT 大小..."},
    {L"Dup_StatusEnumAll", L"正在收集所有磁碟的索引..."},
    {L"Dup_StatusMft", L"正在從 MFT 讀取檔案大小..."},
    {L"Dup_StatusMftReuse", L"沿用分析取得的大小（略過 MFT）..."},
    {L"Dup_StatusHash", L"正在比對候選檔案內容..."},
    {L"Dup_StatusHashFast", L"快速抽樣比對（略過完整雜湊）..."},
    {L"Dup_StatusSizeOnly", L"依大小/副檔名分組（不計算雜湊）..."},
    {L"Dup_StatusQuickStatsFmt", L"抽樣雜湊: %llu（略過唯一大小 %llu / 候選 %llu，大小分組 %llu）"},
    {L"Dup_StatusDoneFmt", L"找到 %zu 組重複檔案"},
    {L"Dup_StatusCacheFmt", L"已載入快取: %zu 組重複檔案"},
    {L"Dup_StatusCancelled", L"已取消掃描"},
    {L"Dup_StatusNoIndex", L"索引尚未就緒，改為逐一瀏覽資料夾..."},
    {L"Dup_WasteLabel", L"總大小"},
    {L"Dup_WasteShort", L"合計"},
    {L"Dup_GroupsChip", L"群組"},
    {L"Dup_FilesChip", L"檔案"},
    {L"Dup_FromCache", L"快取"},
    {L"Dup_PhaseIndex", L"讀取索引"},
    {L"Dup_PhaseMft", L"讀取 MFT 大小"},
    {L"Dup_PhaseFilter", L"依大小篩選"},
    {L"Dup_PhaseQuick", L"快速雜湊比對"},
    {L"Dup_PhaseFull", L"完整雜湊驗證"},
    {L"Dup_PhaseCache", L"載入快取"},
    {L"Dup_ModeSizeOnly", L"僅比對大小（不計算雜湊）"},
    {L"Dup_ModeFast", L"快速（抽樣雜湊）"},
    {L"Dup_ModeExact", L"精確（完整雜湊）"},
    {L"Dup_StatusDoneSizeFmt", L"找到 %zu 個大小分組（未計算雜湊）"},
    {L"Dup_StatusDoneFastFmt", L"找到 %zu 組（快速模式）"},
    {L"Dup_StatusSizeOnlyFmt", L"僅比對大小: 相同副檔名 %llu 組，混合副檔名 %llu 組（略過唯一 %llu / 候選 %llu）"},
    {L"Dup_ChartHeader", L"依大小排列的重複群組（按一下查看）"},
    {L"Dup_DetailHeader", L"群組內的檔案"},
    {L"Dup_DetailEmpty", L"在左側選擇一個群組"},
    // The caption of an unlabeled drive and the names of the search and analysis modes.
    {L"Drive_LocalDiskOnly", L"本機磁碟"},
    {L"Mode_Search", L"搜尋"},
    {L"Mode_Analysis", L"分析"},
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
