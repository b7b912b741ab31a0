// Japanese texts: menu, title and main groups, then the settings and analysis groups.
#include "i18n/I18nInternal.h"

namespace i18n_detail {
namespace {

const TextPair kTexts[] = {
    {L"Name", L"日本語"},
    {L"Msg_SettingsNotSaved", L"設定を保存できませんでした。今後の設定の変更はプログラムの終了時に失われる可能性があります。このファイルに書き込めること（同じ名前のフォルダーがないこと）を確認してください:"},
    {L"LanguageIsChinese", L"0"},
    {L"Settings_Cat7", L"UI の配色"},
    {L"Settings_ColorPresetTitle", L"配色プリセット"},
    {L"Settings_ColorPresetNone", L"（プリセットを選択…）"},
    {L"Settings_ColorTip", L"すぐに反映されます。下で微調整できます（* = カスタマイズ済み）"},
    {L"Settings_ColorReset", L"テーマ既定の配色に戻す"},
    {L"Settings_OpenUiColors", L"UI 配色設定ファイルを開く"},
    {L"Settings_ColorChange", L"変更"},
    {L"TrayTip", L"ターンウィック - {0} 表示/非表示"},
    {L"Menu_Homepage", L"ホームページ"},
    {L"Menu_Language", L"言語"},
    {L"Menu_OpenLanguageFolder", L"現在の言語ファイルを開く"},
    {L"Menu_Enable", L"有効にする"},
    {L"Menu_Disable", L"無効にする"},
    {L"Menu_InitialSearch", L"起動時検索"},
    {L"Menu_InitialSearchToggle", L"起動時検索（オン/オフ）"},
    {L"Menu_Features", L"機能"},
    {L"Menu_AutoStart", L"スタートアップ時に起動"},
    {L"Menu_SetHotkey", L"表示/非表示ホットキーを設定"},
    {L"Menu_ClearRecent", L"最近開いた履歴を消去"},
    {L"Menu_ShowMainWindow", L"ウィンドウを表示"},
    {L"Menu_Exit", L"終了"},
    {L"Menu_FilterLayoutSidebar", L"フィルター配置: サイドバー"},
    {L"Menu_FilterLayoutTopbar", L"フィルター配置: 上部バー"},
    {L"Menu_ResultGridLinesToggle", L"結果のグリッド線（切り替え）"},
    {L"Menu_Open", L"開く"},
    {L"Menu_OpenContainingFolder", L"保存先フォルダーを開く"},
    {L"Menu_Properties", L"プロパティ"},
    {L"Menu_SystemContext", L"システムのコンテキストメニュー..."},
    {L"Menu_Copy", L"コピー"},
    {L"Menu_Cut", L"切り取り"},
    {L"Menu_CopyFullPath", L"フルパスをコピー"},
    {L"Menu_RenameF2", L"名前の変更\tF2"},
    {L"Menu_MoveToRecycleDelete", L"ごみ箱に移動\tDelete"},
    {L"Menu_DeletePermanentShiftDelete", L"完全に削除\tShift+Delete"},
    {L"Menu_RunAsAdmin", L"管理者として実行"},
    {L"Menu_OpenFilterConfig", L"フィルター設定ファイルを開く"},
    {L"Menu_ResetFilterTags", L"フィルタータグを既定に戻す"},
    {L"Menu_GlobalTrimToggle", L"全体メモリ整理（切り替え）"},
    {L"Menu_ThemeToggle", L"テーマ: ダーク/ライト"},
    {L"Filter.0", L"すべてのファイル"},
    {L"Filter.1", L"フォルダー"},
    {L"Filter.2", L"ドキュメント"},
    {L"Filter.3", L"画像"},
    {L"Filter.4", L"アーカイブ"},
    {L"Filter.5", L"アプリケーション"},
    {L"Filter.6", L"動画"},
    {L"Filter.7", L"音声"},
    {L"Filter_Folders", L"フォルダー"},
    {L"LanguageChanged", L"言語を切り替えました: "},
    {L"Menu_SetHotkeyForegroundExe", L"ホットキー設定: 前面アプリをエクスプローラーで表示"},
    {L"app.name", L"ターンウィック"},
    {L"app.title.main", L"ターンウィック"},
    {L"App_Name", L"ターンウィック"},
    {L"App_TitleMain", L"ターンウィック"},
    {L"App_TitleMainLower", L"ターンウィック"},
    {L"App_FilterTitlePrefix", L"ターンウィック - フィルター: "},
    {L"App_FilterTitleHitsSeparator", L" | ヒット: "},
    {L"Menu_RefreshNonNtfs", L"すべての非 NTFS インデックスを更新"},
    {L"Menu_View", L"表示"},
    {L"Menu_ViewList", L"一覧"},
    {L"Menu_ViewSmallIcons", L"小アイコン"},
    {L"Menu_ViewLargeIcons", L"大アイコン"},
    {L"Menu_Sort", L"並べ替え"},
    {L"Menu_SortByName", L"名前順"},
    {L"Menu_SortBySize", L"サイズ順"},
    {L"Menu_SortByModified", L"更新日時順"},
    {L"Menu_SortByCreated", L"作成日時順"},
    {L"Menu_SortByType", L"種類順"},
    {L"Menu_SortByPath", L"パス順"},
    {L"MsgTitle_Information", L"情報"},
    {L"MsgTitle_Error", L"エラー"},
    {L"MsgTitle_Completed", L"完了"},
    {L"MsgTitle_ConfirmDelete", L"削除の確認"},
    {L"MsgTitle_ConfirmReset", L"リセットの確認"},
    {L"MsgTitle_LanguageSwitchConflict", L"言語の切り替え - フィルターの競合"},
    {L"Status_InitialSearchOn", L"起動時検索を有効にしました。"},
    {L"Status_InitialSearchOff", L"起動時検索を無効にしました。"},
    {L"Status_GlobalTrimOn", L"全体メモリ整理を有効にしました。"},
    {L"Status_GlobalTrimOff", L"全体メモリ整理を無効にしました。"},
    {L"Status_GridLinesOn", L"結果のグリッド線を表示しました。"},
    {L"Status_GridLinesOff", L"結果のグリッド線を非表示にしました。"},
    {L"Msg_AdminRequired", L"ディスクの USN ジャーナルにアクセスするには、ターンウィックを管理者として実行する必要があります。\n\nプログラムのアイコンを右クリックし、「管理者として実行」を選んでください。"},
    {L"Drive_LocalDiskPrefix", L"ローカル ディスク ("},
    {L"Msg_LanguageSwitchFilterConflict", L"フィルターがカスタマイズされています (filters.ini)。言語の切り替え時にどう扱いますか？\n\nはい: filters.ini を新しい言語の既定で上書きします（永続）。\nいいえ: 現在のカスタム フィルターを維持します（推奨）。\nキャンセル: 新しい言語の既定をこのセッションだけ使います。"},
    {L"Common_All", L"すべて"},
    {L"Common_Custom", L"カスタム"},
    {L"Time_Today", L"今日"},
    {L"Time_7Days", L"7 日以内"},
    {L"Time_30Days", L"30 日以内"},
    {L"Time_RangeDefault", L"0-7(日前)"},
    {L"Status_HotkeyCaptureHint", L"新しい表示/非表示ホットキーを押してください（Esc でキャンセル）..."},
    {L"Msg_HotkeyNeedModifier", L"ホットキーには Ctrl、Alt、Shift のいずれかを含める必要があります。"},
    {L"Msg_HotkeyRegisterFailed", L"ホットキーを登録できませんでした。別の組み合わせを試してください。"},
    {L"Msg_HotkeySetPrefix", L"ホットキーを設定しました: "},
    {L"Log_RefreshNonNtfsPrefix", L"非 NTFS ボリュームのインデックスを更新"},
    {L"Log_NoNonNtfsForRefresh", L"更新できる非 NTFS ボリュームがありません。"},
    {L"Log_ResultOk", L"成功"},
    {L"Log_ResultFail", L"失敗"},
    {L"Scope_Desktop", L"デスクトップ"},
    {L"Msg_RenameInvalidChars", L"名前に使用できない文字が含まれているため、使用できません。"},
    {L"Msg_RenameFailedFormat", L"名前を変更できませんでした。\nエラー コード: %lu"},
    {L"Status_ContentSearchCanceled", L"内容検索をキャンセルしました。"},
    {L"Header_RowNumber", L"#"},
    {L"Header_Name", L"名前"},
    {L"Header_Size", L"サイズ"},
    {L"Header_Modified", L"更新日時"},
    {L"Header_Created", L"作成日時"},
    {L"Header_Type", L"種類"},
    {L"Header_Path", L"パス"},
    {L"Status_IndexNotReadyRetry", L"インデックスを初期化中です。まもなく検索を再試行します..."},
    {L"Status_FilteredFilesStartScanFmt", L"%zu 件のテキスト ファイルを絞り込みました。内容を読み込み中...（Esc でキャンセル）"},
    {L"Status_ScanningProgressFmt", L"内容をスキャン中...（処理済み %zu / %zu）"},
    {L"Status_PrewarmSortingDisabled", L"キャッシュを準備中です。並べ替えは一時的に無効です。"},
    {L"Status_HydrateProgressFmt", L"プロパティを取得中...（処理済み %zu / %zu）"},
    {L"Msg_DeleteSingleConfirmPrefix", L"このファイルを完全に削除しますか？\n\n"},
    {L"Msg_DeleteMultiConfirmPrefix", L"選択した "},
    {L"Msg_DeleteMultiConfirmSuffix", L" 個の項目を完全に削除しますか？"},
    {L"Msg_DeleteFailedCountFmt", L"選択した項目のうち %zu 個を削除できませんでした。"},
    {L"Msg_RecycleDeleteFailed", L"ごみ箱に移動できませんでした。代替の削除方法も失敗しました。"},
    {L"Msg_CopyClipboardFailed", L"クリップボードにコピーできませんでした。"},
    {L"Status_InitializingIndex", L"全ディスクのインデックスを初期化中..."},
    {L"Status_InitIncompleteRetry", L"初期化が完了していません。バックグラウンドでディスク インデックスの読み込みを再試行しています..."},
    {L"Status_BackgroundStartupCompleted", L"バックグラウンドでの起動が完了しました。結果の表示とキャッシュの準備はウィンドウを開いたときに行います。"},
    {L"Status_NewDiskDetected", L"新しいディスクを検出し、ドライブ一覧を更新しました。"},
    {L"Status_DriveEjectDetected", L"ドライブの取り出しを検出し、ハンドルを先に解放しました。"},
    {L"Status_DriveRemoved", L"ディスクが取り外されたため、選択を自動的に更新しました。"},
    {L"Status_NtfsIndexRemoved", L"切断されたディスクを検出し、その NTFS インデックスを削除しました。"},
    {L"Status_RefreshNonNtfsPrefix", L"更新済み: "},
    {L"Status_RefreshNonNtfsSingleSuffix", L" 個の非 NTFS ボリューム インデックス。詳細はデバッグ出力を参照してください。"},
    {L"Status_RefreshNonNtfsFailedMid", L" 個の非 NTFS ボリューム、失敗 "},
    {L"Status_RefreshNonNtfsFailedSuffix", L" 個。詳細はデバッグ出力を参照してください。"},
    {L"Status_RefreshNonNtfsFailed", L"非 NTFS ボリュームのインデックスを更新できませんでした。詳細はデバッグ出力を参照してください。"},
    {L"Title_SearchPartialFmt", L"ターンウィック - %lld+ 件が見つかりました..."},
    {L"Title_SearchFinalFmt", L"ターンウィック - %lld 件ヒット"},
    {L"Status_SearchingShowingPrefix", L"検索中... 表示中 "},
    {L"Status_SearchingShowingSuffix", L" 件"},
    {L"Status_FilterApplyingPrefix", L"フィルター: "},
    {L"Status_FilterApplyingSuffix", L" | フィルターを適用中..."},
    {L"Status_FilterHitsPrefix", L"フィルター: "},
    {L"Status_FilterHitsMid", L" | ヒット: "},
    {L"Status_RefreshingAllNonNtfs", L"すべての非 NTFS ボリュームのインデックスを更新中..."},
    {L"Msg_ResetFilterConfirm", L"フィルタータグを既定に戻しますか？\n\n（フィルター ボタンを更新するにはアプリを再起動してください。）"},
    {L"Msg_ResetComplete", L"設定をリセットしました。"},
    {L"Msg_AlreadyRunningPrefix", L"ターンウィックはすでに実行中です。\n\nホットキー「"},
    {L"Msg_AlreadyRunningSuffix", L"」でメイン ウィンドウの表示/非表示を切り替えられます。"},
    {L"Status_InitializingSimple", L"初期化中..."},
    {L"Status_HotkeyCaptureHintFgExe", L"前面アプリ用の新しいホットキーを押してください（Esc でキャンセル）..."},
    {L"Msg_HotkeySetPrefixFgExe", L"前面アプリの場所を開くホットキーを設定しました: "},
    {L"Msg_HotkeyConflict", L"この組み合わせはもう一方のホットキーで使用中です。別の組み合わせを選んでください。"},
    {L"Msg_ForegroundExeOpenFailed", L"前面プロセスのパスを取得できませんでした（保護されている可能性があります）。"},
    {L"Drive_LocalDiskOnly", L"ローカル ディスク"},
    {L"Dup_StatusFailed", L"スキャンに失敗しました"},
    {L"Dup_KeepOneCopy", L"このグループのすべてのコピーが選択されています。少なくとも 1 つのコピーを残してください。何も削除されていません。"},
    {L"Dup_NoOtherCopy", L"同一の別コピーを確認できませんでした（スキャン後にファイルが変更または削除された可能性があります）。何も削除されていません。"},
    {L"Status_JournalLostReindexFmt", L"ドライブ %s の変更ジャーナルが失われました。バックグラウンドでドライブのインデックスを再作成しています..."},
    {L"Status_DriveReindexedFmt", L"ドライブ %s のインデックスを再作成しました。変更の追跡を再開します。"},
    {L"Status_DriveReindexFailedFmt", L"ドライブ %s のインデックスを再作成できませんでした。インデックスを更新するまで検索対象外になります。"},
    // The content extension picker, its buttons, and messages of the file actions, the hotkeys
    // and the duplicate scan.
    {L"Button_OK", L"OK"},
    {L"Button_Cancel", L"キャンセル"},
    {L"ContentExt_Title", L"内容検索のファイル種類を選択"},
    {L"ContentExt_Tip", L"拡張子をチェックして OK を押します。独自の拡張子は下で追加/削除できます。"},
    {L"ContentExt_Custom", L"独自の拡張子"},
    {L"ContentExt_Add", L"追加"},
    {L"ContentExt_Delete", L"削除"},
    {L"ContentExt_SelectAll", L"すべて"},
    {L"ContentExt_Invert", L"反転"},
    {L"ContentExt_OpenConfig", L"設定"},
    {L"ContentExt_InputHint", L"拡張子を入力してください（例: .pdf または pdf,docx）"},
    {L"ContentExt_DeleteHint", L"先に削除する拡張子をチェックまたは選択してください。"},
    {L"ContentExt_DeleteConfirm", L"選択した拡張子を一覧から削除しますか？\n（設定ファイルも更新されます。）"},
    {L"ContentExt_NeedOne", L"拡張子を 1 つ以上チェックしてください。"},
    {L"Status_ContentExtPicked", L"内容検索の拡張子を設定しました。キーワードを入力して Enter を押してください。|拡張子 は手動でも編集できます。"},
    {L"Status_ContentSearchNoCandidates", L"フィルター後にスキャン対象のファイルがありません。"},
    {L"Status_ContentSearchIncompleteFmt", L"内容検索は未完了です: スキャン スレッドを開始できませんでした（これまでに %zu 件）"},
    {L"Status_HotkeyInUse", L"ホットキー %s は他のプログラムが使用中です。有効なホットキー: %s。"},
    {L"Status_HotkeyNone", L"なし"},
    {L"Msg_RecycleFailedAskPermanentFmt", L"%zu 個の項目をごみ箱に移動できませんでした。\n\n完全に削除しますか？"},
    {L"Msg_RenameTrailingDot", L"名前の末尾にピリオドや空白は使えません。"},
    {L"Msg_OpenManyConfirmFmt", L"%zu 個の項目を開きますか？"},
    {L"Dup_PhaseSlowRetry", L"低速なファイルを再試行中"},
    {L"Analysis_DeleteChangedFmt", L"選択した %zu 個のファイルは分析後にディスク上で変更されたため、削除されませんでした。再スキャンして現在の状態を確認してください。"},
    {L"Dup_StatusCheckingFmt", L"削除前にコピーを確認中: %s / %s 読み取り済み (Esc でキャンセル)"},
    {L"Dup_StatusDeleteCancelled", L"削除をキャンセルしました: 何も削除されていません。"},
    {L"Dup_StatusHashUnavailable", L"スキャンに失敗しました: システムの SHA-256 ハッシュを使用できません。"},
};

const wchar_t* const kSettings[] = {
    L"閉じる",  // Button_Close
    L"ライト",  // Theme_Light
    L"ダーク",  // Theme_Dark
    L"制限なし（遅くなる場合があります）",  // Menu_ContentSizeNoLimit
    L"設定センター",  // Settings_Title
    L"言語",  // Settings_Language
    L"テーマ",  // Settings_Theme
    L"フィルターをサイドバーに配置",  // Settings_UseSidebarLayout
    L"次より大きいファイルをスキップ",  // Settings_ContentMaxSize
    L"内容検索のスレッド数",  // Settings_ContentThreads
    L"自動",  // Settings_Auto
    L"設定",  // Settings_ChangeHotkey
    L"ヒント: [設定] をクリックしてからキーを押します（Esc でキャンセル）",  // Settings_HotkeyTip
    L"内容検索の拡張子設定",  // Settings_OpenZipExts
    L"Office/ZIP 内部パス",  // Settings_OpenZipPatterns
    L"外観と言語",  // Settings_Cat1
    L"一般",  // Settings_Cat2
    L"内容検索",  // Settings_Cat3
    L"ホットキー",  // Settings_Cat4
    L"設定ファイル",  // Settings_Cat5
    L"メンテナンス",  // Settings_Cat6
    L"設定を保存しました。",  // Settings_Saved
    L"テーマを変更しました。",  // Settings_ThemeChanged
    L"最近開いた履歴を消去しました。",  // Settings_RecentCleared
    L"言語を変更しました。",  // Settings_LanguageChanged
    L"入力待ち...",  // Settings_HotkeyWaiting
    L"Ctrl/Alt/Shift が必要",  // Settings_HotkeyNeedModifierShort
    L"競合、再試行",  // Settings_HotkeyConflictShort
    L"失敗、再試行",  // Settings_HotkeyFailedShort
};

const wchar_t* const kAnalysis[] = {
    L"分析に切り替え",  // Menu_SwitchToAnalysis
    L"分析に切り替えました（[検索に戻る] で戻れます）。",  // Status_SwitchedToAnalysis
    L"検索に切り替えました（分析はコンテキスト メニューから）。",  // Status_SwitchedToSearch
    L"再スキャン",  // Analysis_Rescan
    L"スキャン",  // Analysis_StartScan
    L"スキャン中...",  // Analysis_ScanningBtn
    L"すべてのドライブ (ALL)",  // Analysis_DriveAll
    L"分析するドライブ",  // Analysis_DriveLabel
    L"検索に戻る",  // Analysis_BackToSearch
    L"ディスク分析",  // Analysis_ToolbarTitle
    L"MFT をスキャン中...",  // Analysis_ScanningMft
    L"分析完了: %s（%zu 件）",  // Analysis_ScanDoneFmt
    L"ディスク分析に失敗しました",  // Analysis_ScanFailed
    L"分析するドライブを選択してください",  // Analysis_NeedDrive
    L"上へ",  // Analysis_Up
    L"すべてのディスクをスキャン中...",  // Analysis_ScanningAll
    L"分析完了",  // Analysis_ScanDoneSimple
    L"パス",  // Analysis_Path
    L"使用済み",  // Analysis_Used
    L"空き",  // Analysis_Free
    L"合計",  // Analysis_Total
    L"分析済み",  // Analysis_Analyzed
    L"すべてのディスク",  // Analysis_AllDisks
    L"全ディスク分析",  // Analysis_AllDisksTitle
    L"容量を使っているもの",  // Analysis_StoryTitle
    L"割合",  // Analysis_Pct
    L"サイズ",  // Analysis_Size
    L"種類別（大きい順）",  // Analysis_ByType
    L"クリックして展開",  // Analysis_ClickExpand
    L"拡張子の統計はありません",  // Analysis_NoExtStats
    L"このフォルダーに表示する項目はありません",  // Analysis_NoItems
    L"表示できる使用量の分布はありません",  // Analysis_NoSunburst
    L"スキャン中です。お待ちください...",  // Analysis_ScanningWait
    L"ドライブまたは ALL を選んで分析を開始",  // Analysis_SelectDriveHint
    L"スキャン失敗",  // Analysis_ScanFailedShort
    L"その他",  // Analysis_Other
    L"その他 (%d 件)",  // Analysis_OtherFmt
    L"中央をクリックして上へ",  // Analysis_ClickCenterBack
    L"クリックして開く",  // Analysis_ClickEnter
    L"選択済み",  // Analysis_Selected
    L"（拡張子なし）",  // Analysis_NoExt
    L" 件",  // Analysis_CountUnit
};

}  // namespace

LanguageTexts JapaneseTexts() {
    LanguageTexts t;
    t.texts = kTexts;
    t.textCount = sizeof(kTexts) / sizeof(kTexts[0]);
    t.settings = kSettings;
    t.analysis = kAnalysis;
    return t;
}

}  // namespace i18n_detail
