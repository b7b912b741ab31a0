// Korean texts: menu, title and main groups, then the settings and analysis groups.
#include "i18n/I18nInternal.h"

namespace i18n_detail {
namespace {

const TextPair kTexts[] = {
    {L"Name", L"한국어"},
    {L"Msg_SettingsNotSaved", L"설정을 저장할 수 없습니다. 이후의 설정 변경은 프로그램을 닫을 때 사라질 수 있습니다. 이 파일에 쓸 수 있는지(같은 이름의 폴더가 없는지) 확인하세요:"},
    {L"LanguageIsChinese", L"0"},
    {L"Settings_Cat7", L"UI 색상"},
    {L"Settings_ColorPresetTitle", L"색상 프리셋"},
    {L"Settings_ColorPresetNone", L"(프리셋 선택…)"},
    {L"Settings_ColorTip", L"즉시 적용됩니다. 아래에서 세부 조정하세요(* = 사용자 지정됨)"},
    {L"Settings_ColorReset", L"테마 기본 색상으로 재설정"},
    {L"Settings_OpenUiColors", L"UI 색상 설정 파일 열기"},
    {L"Settings_ColorChange", L"변경"},
    {L"TrayTip", L"탄윅 - {0} 표시/숨기기"},
    {L"Menu_Homepage", L"홈페이지"},
    {L"Menu_Language", L"언어"},
    {L"Menu_OpenLanguageFolder", L"현재 언어 파일 열기"},
    {L"Menu_Enable", L"사용"},
    {L"Menu_Disable", L"사용 안 함"},
    {L"Menu_InitialSearch", L"시작 시 검색"},
    {L"Menu_InitialSearchToggle", L"시작 시 검색 (켜기/끄기)"},
    {L"Menu_Features", L"기능"},
    {L"Menu_AutoStart", L"시작 시 자동 실행"},
    {L"Menu_SetHotkey", L"표시/숨기기 단축키 설정"},
    {L"Menu_ClearRecent", L"최근 연 파일 목록 지우기"},
    {L"Menu_ShowMainWindow", L"창 표시"},
    {L"Menu_Exit", L"종료"},
    {L"Menu_FilterLayoutSidebar", L"필터 배치: 사이드바"},
    {L"Menu_FilterLayoutTopbar", L"필터 배치: 상단 바"},
    {L"Menu_ResultGridLinesToggle", L"결과 격자선 (전환)"},
    {L"Menu_Open", L"열기"},
    {L"Menu_OpenContainingFolder", L"포함된 폴더 열기"},
    {L"Menu_Properties", L"속성"},
    {L"Menu_SystemContext", L"시스템 상황에 맞는 메뉴..."},
    {L"Menu_Copy", L"복사"},
    {L"Menu_Cut", L"잘라내기"},
    {L"Menu_CopyFullPath", L"전체 경로 복사"},
    {L"Menu_RenameF2", L"이름 바꾸기\tF2"},
    {L"Menu_MoveToRecycleDelete", L"휴지통으로 이동\tDelete"},
    {L"Menu_DeletePermanentShiftDelete", L"영구 삭제\tShift+Delete"},
    {L"Menu_RunAsAdmin", L"관리자 권한으로 실행"},
    {L"Menu_OpenFilterConfig", L"필터 설정 파일 열기"},
    {L"Menu_ResetFilterTags", L"필터 태그를 기본값으로 재설정"},
    {L"Menu_GlobalTrimToggle", L"전역 메모리 정리 (전환)"},
    {L"Menu_ThemeToggle", L"테마: 다크/라이트"},
    {L"Filter.0", L"모든 파일"},
    {L"Filter.1", L"폴더"},
    {L"Filter.2", L"문서"},
    {L"Filter.3", L"이미지"},
    {L"Filter.4", L"압축 파일"},
    {L"Filter.5", L"응용 프로그램"},
    {L"Filter.6", L"동영상"},
    {L"Filter.7", L"오디오"},
    {L"Filter_Folders", L"폴더"},
    {L"LanguageChanged", L"언어가 변경됨: "},
    {L"Menu_SetHotkeyForegroundExe", L"단축키 설정: 탐색기에서 전면 앱 위치 열기"},
    {L"app.name", L"탄윅"},
    {L"app.title.main", L"탄윅"},
    {L"App_Name", L"탄윅"},
    {L"App_TitleMain", L"탄윅"},
    {L"App_TitleMainLower", L"탄윅"},
    {L"App_FilterTitlePrefix", L"탄윅 - 필터: "},
    {L"App_FilterTitleHitsSeparator", L" | 일치: "},
    {L"Menu_RefreshNonNtfs", L"모든 비NTFS 인덱스 새로 고침"},
    {L"Menu_View", L"보기"},
    {L"Menu_ViewList", L"목록"},
    {L"Menu_ViewSmallIcons", L"작은 아이콘"},
    {L"Menu_ViewLargeIcons", L"큰 아이콘"},
    {L"Menu_Sort", L"정렬"},
    {L"Menu_SortByName", L"이름순"},
    {L"Menu_SortBySize", L"크기순"},
    {L"Menu_SortByModified", L"수정한 날짜순"},
    {L"Menu_SortByCreated", L"만든 날짜순"},
    {L"Menu_SortByType", L"유형순"},
    {L"Menu_SortByPath", L"경로순"},
    {L"MsgTitle_Information", L"알림"},
    {L"MsgTitle_Error", L"오류"},
    {L"MsgTitle_Completed", L"완료"},
    {L"MsgTitle_ConfirmDelete", L"삭제 확인"},
    {L"MsgTitle_ConfirmReset", L"재설정 확인"},
    {L"MsgTitle_LanguageSwitchConflict", L"언어 전환 - 필터 충돌"},
    {L"Status_InitialSearchOn", L"시작 시 검색을 켰습니다."},
    {L"Status_InitialSearchOff", L"시작 시 검색을 껐습니다."},
    {L"Status_GlobalTrimOn", L"전역 메모리 정리를 켰습니다."},
    {L"Status_GlobalTrimOff", L"전역 메모리 정리를 껐습니다."},
    {L"Status_GridLinesOn", L"결과 격자선을 표시합니다."},
    {L"Status_GridLinesOff", L"결과 격자선을 숨깁니다."},
    {L"Msg_AdminRequired", L"디스크의 USN 저널에 접근하려면 탄윅을 관리자 권한으로 실행해야 합니다.\n\n프로그램 아이콘을 마우스 오른쪽 단추로 클릭하고 \"관리자 권한으로 실행\"을 선택하세요."},
    {L"Drive_LocalDiskPrefix", L"로컬 디스크 ("},
    {L"Msg_LanguageSwitchFilterConflict", L"필터를 사용자 지정했습니다 (filters.ini). 언어를 전환할 때 어떻게 처리할까요?\n\n예: filters.ini를 새 언어의 기본값으로 덮어씁니다 (영구).\n아니요: 현재 사용자 지정 필터를 유지합니다 (권장).\n취소: 이번 세션에서만 새 언어의 기본값을 사용합니다."},
    {L"Common_All", L"전체"},
    {L"Common_Custom", L"사용자 지정"},
    {L"Time_Today", L"오늘"},
    {L"Time_7Days", L"7일 이내"},
    {L"Time_30Days", L"30일 이내"},
    {L"Time_RangeDefault", L"0-7(일 전)"},
    {L"Status_HotkeyCaptureHint", L"새 표시/숨기기 단축키를 누르세요 (Esc로 취소)..."},
    {L"Msg_HotkeyNeedModifier", L"단축키에는 Ctrl, Alt 또는 Shift가 포함되어야 합니다."},
    {L"Msg_HotkeyRegisterFailed", L"단축키를 등록하지 못했습니다. 다른 조합을 시도하세요."},
    {L"Msg_HotkeySetPrefix", L"단축키 설정됨: "},
    {L"Log_RefreshNonNtfsPrefix", L"비NTFS 볼륨 인덱스 새로 고침"},
    {L"Log_NoNonNtfsForRefresh", L"새로 고칠 비NTFS 볼륨이 없습니다."},
    {L"Log_ResultOk", L"성공"},
    {L"Log_ResultFail", L"실패"},
    {L"Scope_Desktop", L"바탕 화면"},
    {L"Msg_RenameInvalidChars", L"이름에 사용할 수 없는 문자가 있어 사용할 수 없습니다."},
    {L"Msg_RenameFailedFormat", L"이름을 바꾸지 못했습니다.\n오류 코드: %lu"},
    {L"Status_ContentSearchCanceled", L"내용 검색을 취소했습니다."},
    {L"Header_RowNumber", L"#"},
    {L"Header_Name", L"이름"},
    {L"Header_Size", L"크기"},
    {L"Header_Modified", L"수정한 날짜"},
    {L"Header_Created", L"만든 날짜"},
    {L"Header_Type", L"유형"},
    {L"Header_Path", L"경로"},
    {L"Status_IndexNotReadyRetry", L"인덱스를 아직 초기화하는 중입니다. 잠시 후 검색을 다시 시도합니다..."},
    {L"Status_FilteredFilesStartScanFmt", L"텍스트 파일 %zu개를 걸러 내용을 읽는 중... (Esc로 취소)"},
    {L"Status_ScanningProgressFmt", L"내용 검사 중... (처리 %zu / %zu)"},
    {L"Status_PrewarmSortingDisabled", L"캐시를 준비하는 중입니다. 정렬을 잠시 사용할 수 없습니다."},
    {L"Status_HydrateProgressFmt", L"속성을 읽는 중... (처리 %zu / %zu)"},
    {L"Msg_DeleteSingleConfirmPrefix", L"이 파일을 영구 삭제할까요?\n\n"},
    {L"Msg_DeleteMultiConfirmPrefix", L"선택한 "},
    {L"Msg_DeleteMultiConfirmSuffix", L"개 항목을 영구 삭제할까요?"},
    {L"Msg_DeleteFailedCountFmt", L"선택한 항목 %zu개를 삭제하지 못했습니다."},
    {L"Msg_RecycleDeleteFailed", L"휴지통으로 이동하지 못했습니다. 대체 삭제 방법도 실패했습니다."},
    {L"Msg_CopyClipboardFailed", L"클립보드에 복사하지 못했습니다."},
    {L"Status_InitializingIndex", L"전체 디스크 인덱스를 초기화하는 중..."},
    {L"Status_InitIncompleteRetry", L"초기화가 완료되지 않았습니다. 백그라운드에서 디스크 인덱스 로드를 다시 시도하는 중..."},
    {L"Status_BackgroundStartupCompleted", L"백그라운드 시작이 끝났습니다. 결과 표시와 캐시 준비는 창을 열 때 진행됩니다."},
    {L"Status_NewDiskDetected", L"새 디스크를 감지하여 드라이브 목록을 업데이트했습니다."},
    {L"Status_DriveEjectDetected", L"드라이브 꺼내기를 감지하여 핸들을 미리 해제했습니다."},
    {L"Status_DriveRemoved", L"디스크가 제거되어 선택을 자동으로 업데이트했습니다."},
    {L"Status_NtfsIndexRemoved", L"연결이 끊긴 디스크를 감지하여 해당 NTFS 인덱스를 제거했습니다."},
    {L"Status_RefreshNonNtfsPrefix", L"새로 고침: "},
    {L"Status_RefreshNonNtfsSingleSuffix", L"개 비NTFS 볼륨 인덱스 완료. 자세한 내용은 디버그 출력을 확인하세요."},
    {L"Status_RefreshNonNtfsFailedMid", L"개 비NTFS 볼륨 중 "},
    {L"Status_RefreshNonNtfsFailedSuffix", L"개 실패. 자세한 내용은 디버그 출력을 확인하세요."},
    {L"Status_RefreshNonNtfsFailed", L"비NTFS 볼륨 인덱스를 새로 고치지 못했습니다. 자세한 내용은 디버그 출력을 확인하세요."},
    {L"Title_SearchPartialFmt", L"탄윅 - %lld개 이상 발견..."},
    {L"Title_SearchFinalFmt", L"탄윅 - %lld개 일치"},
    {L"Status_SearchingShowingPrefix", L"검색 중... 표시 "},
    {L"Status_SearchingShowingSuffix", L"개 결과"},
    {L"Status_FilterApplyingPrefix", L"필터: "},
    {L"Status_FilterApplyingSuffix", L" | 필터 적용 중..."},
    {L"Status_FilterHitsPrefix", L"필터: "},
    {L"Status_FilterHitsMid", L" | 일치: "},
    {L"Status_RefreshingAllNonNtfs", L"모든 비NTFS 볼륨 인덱스를 새로 고치는 중..."},
    {L"Msg_ResetFilterConfirm", L"필터 태그를 기본값으로 재설정할까요?\n\n(필터 버튼을 새로 고치려면 앱을 다시 시작하세요.)"},
    {L"Msg_ResetComplete", L"설정을 재설정했습니다."},
    {L"Msg_AlreadyRunningPrefix", L"탄윅이 이미 실행 중입니다.\n\n단축키 \""},
    {L"Msg_AlreadyRunningSuffix", L"\"를 눌러 기본 창을 표시하거나 숨기세요."},
    {L"Status_InitializingSimple", L"초기화 중..."},
    {L"Status_HotkeyCaptureHintFgExe", L"전면 앱용 새 단축키를 누르세요 (Esc로 취소)..."},
    {L"Msg_HotkeySetPrefixFgExe", L"전면 앱 위치 단축키 설정됨: "},
    {L"Msg_HotkeyConflict", L"이 조합은 다른 단축키에서 이미 사용 중입니다. 다른 조합을 선택하세요."},
    {L"Msg_ForegroundExeOpenFailed", L"전면 프로세스의 경로를 가져올 수 없습니다 (보호된 프로세스일 수 있음)."},
    {L"Drive_LocalDiskOnly", L"로컬 디스크"},
    {L"Dup_StatusFailed", L"스캔 실패"},
    {L"Dup_KeepOneCopy", L"이 그룹의 모든 사본이 선택되었습니다. 사본을 하나 이상 남겨 두세요. 아무것도 삭제되지 않았습니다."},
    {L"Dup_NoOtherCopy", L"동일한 다른 사본을 확인할 수 없습니다(스캔 이후 파일이 변경되었거나 사라졌을 수 있습니다). 아무것도 삭제되지 않았습니다."},
    {L"Status_JournalLostReindexFmt", L"드라이브 %s의 변경 저널이 손실되었습니다. 백그라운드에서 드라이브 색인을 다시 만드는 중..."},
    {L"Status_DriveReindexedFmt", L"드라이브 %s의 색인을 다시 만들었습니다. 변경 사항을 다시 추적합니다."},
    {L"Status_DriveReindexFailedFmt", L"드라이브 %s의 색인을 다시 만들 수 없습니다. 색인을 새로 고칠 때까지 검색에서 제외됩니다."},
    // The content extension picker, its buttons, and messages of the file actions, the hotkeys
    // and the duplicate scan.
    {L"Button_OK", L"확인"},
    {L"Button_Cancel", L"취소"},
    {L"ContentExt_Title", L"내용 검색 파일 형식 선택"},
    {L"ContentExt_Tip", L"확장자를 선택한 뒤 확인을 누르세요. 사용자 확장자는 아래에서 추가/삭제합니다."},
    {L"ContentExt_Custom", L"사용자 확장자"},
    {L"ContentExt_Add", L"추가"},
    {L"ContentExt_Delete", L"삭제"},
    {L"ContentExt_SelectAll", L"전체"},
    {L"ContentExt_Invert", L"반전"},
    {L"ContentExt_OpenConfig", L"설정"},
    {L"ContentExt_InputHint", L"확장자를 입력하세요(예: .pdf 또는 pdf,docx)"},
    {L"ContentExt_DeleteHint", L"먼저 삭제할 확장자를 체크하거나 선택하세요."},
    {L"ContentExt_DeleteConfirm", L"선택한 확장자를 목록에서 삭제할까요?\n(설정 파일도 함께 갱신됩니다.)"},
    {L"ContentExt_NeedOne", L"확장자를 하나 이상 선택하세요."},
    {L"Status_ContentExtPicked", L"내용 검색 확장자를 설정했습니다. 키워드를 입력하고 Enter를 누르세요. |확장자는 직접 수정할 수도 있습니다."},
    {L"Status_ContentSearchNoCandidates", L"필터 적용 후 검사할 파일이 없습니다."},
    {L"Status_ContentSearchIncompleteFmt", L"내용 검색 미완료: 검사 스레드를 시작할 수 없습니다(지금까지 %zu개 찾음)"},
    {L"Status_HotkeyInUse", L"단축키 %s은(는) 다른 프로그램이 사용 중입니다. 현재 단축키: %s."},
    {L"Status_HotkeyNone", L"없음"},
    {L"Msg_RecycleFailedAskPermanentFmt", L"%zu개 항목을 휴지통으로 옮길 수 없습니다.\n\n영구 삭제할까요?"},
    {L"Msg_RenameTrailingDot", L"이름은 마침표나 공백으로 끝날 수 없습니다."},
    {L"Msg_OpenManyConfirmFmt", L"%zu개 항목을 열까요?"},
    {L"Dup_PhaseSlowRetry", L"느린 파일 재시도 중"},
    {L"Analysis_DeleteChangedFmt", L"선택한 파일 %zu개가 분석 후 디스크에서 변경되어 삭제되지 않았습니다. 현재 상태를 보려면 다시 검사하세요."},
    {L"Dup_StatusCheckingFmt", L"삭제 전에 사본 확인 중: %s / %s 읽음 (Esc로 취소)"},
    {L"Dup_StatusDeleteCancelled", L"삭제가 취소되었습니다: 아무것도 삭제되지 않았습니다."},
    {L"Dup_StatusHashUnavailable", L"검사 실패: 시스템의 SHA-256 해시를 사용할 수 없습니다."},
};

const wchar_t* const kSettings[] = {
    L"닫기",  // Button_Close
    L"라이트",  // Theme_Light
    L"다크",  // Theme_Dark
    L"제한 없음 (느릴 수 있음)",  // Menu_ContentSizeNoLimit
    L"설정 센터",  // Settings_Title
    L"언어",  // Settings_Language
    L"테마",  // Settings_Theme
    L"사이드바 필터 배치 사용",  // Settings_UseSidebarLayout
    L"다음보다 큰 파일 건너뛰기",  // Settings_ContentMaxSize
    L"내용 검색 스레드 수",  // Settings_ContentThreads
    L"자동",  // Settings_Auto
    L"설정",  // Settings_ChangeHotkey
    L"팁: 설정을 클릭한 다음 키를 누르세요 (Esc로 취소)",  // Settings_HotkeyTip
    L"내용 검색 확장자 설정",  // Settings_OpenZipExts
    L"Office/ZIP 내부 경로",  // Settings_OpenZipPatterns
    L"모양 및 언어",  // Settings_Cat1
    L"일반",  // Settings_Cat2
    L"내용 검색",  // Settings_Cat3
    L"단축키",  // Settings_Cat4
    L"설정 파일",  // Settings_Cat5
    L"유지 관리",  // Settings_Cat6
    L"설정을 저장했습니다.",  // Settings_Saved
    L"테마를 변경했습니다.",  // Settings_ThemeChanged
    L"최근 연 파일 목록을 지웠습니다.",  // Settings_RecentCleared
    L"언어를 변경했습니다.",  // Settings_LanguageChanged
    L"입력 대기 중...",  // Settings_HotkeyWaiting
    L"Ctrl/Alt/Shift 필요",  // Settings_HotkeyNeedModifierShort
    L"충돌, 다시 시도",  // Settings_HotkeyConflictShort
    L"실패, 다시 시도",  // Settings_HotkeyFailedShort
};

const wchar_t* const kAnalysis[] = {
    L"분석으로 전환",  // Menu_SwitchToAnalysis
    L"분석으로 전환했습니다 (검색으로 돌아가기를 눌러 복귀).",  // Status_SwitchedToAnalysis
    L"검색으로 전환했습니다 (분석은 상황에 맞는 메뉴에서).",  // Status_SwitchedToSearch
    L"다시 검사",  // Analysis_Rescan
    L"검사",  // Analysis_StartScan
    L"검사 중...",  // Analysis_ScanningBtn
    L"모든 드라이브 (ALL)",  // Analysis_DriveAll
    L"분석할 드라이브",  // Analysis_DriveLabel
    L"검색으로 돌아가기",  // Analysis_BackToSearch
    L"디스크 분석",  // Analysis_ToolbarTitle
    L"MFT 검사 중...",  // Analysis_ScanningMft
    L"분석 완료: %s(%zu개)",  // Analysis_ScanDoneFmt
    L"디스크 분석 실패",  // Analysis_ScanFailed
    L"분석할 드라이브를 선택하세요",  // Analysis_NeedDrive
    L"위로",  // Analysis_Up
    L"모든 디스크 검사 중...",  // Analysis_ScanningAll
    L"분석 완료",  // Analysis_ScanDoneSimple
    L"경로",  // Analysis_Path
    L"사용 중",  // Analysis_Used
    L"여유",  // Analysis_Free
    L"전체",  // Analysis_Total
    L"분석됨",  // Analysis_Analyzed
    L"모든 디스크",  // Analysis_AllDisks
    L"전체 디스크 분석",  // Analysis_AllDisksTitle
    L"공간을 차지하는 항목",  // Analysis_StoryTitle
    L"비율",  // Analysis_Pct
    L"크기",  // Analysis_Size
    L"유형별 (큰 순)",  // Analysis_ByType
    L"클릭하여 펼치기",  // Analysis_ClickExpand
    L"확장자 통계 없음",  // Analysis_NoExtStats
    L"이 폴더에 표시할 항목이 없습니다",  // Analysis_NoItems
    L"표시할 사용량 분포가 없습니다",  // Analysis_NoSunburst
    L"검사 중입니다. 잠시 기다리세요...",  // Analysis_ScanningWait
    L"드라이브 또는 ALL을 선택하여 분석 시작",  // Analysis_SelectDriveHint
    L"검사 실패",  // Analysis_ScanFailedShort
    L"기타",  // Analysis_Other
    L"기타(%d개)",  // Analysis_OtherFmt
    L"가운데를 클릭하면 위로",  // Analysis_ClickCenterBack
    L"클릭하여 열기",  // Analysis_ClickEnter
    L"선택됨",  // Analysis_Selected
    L"(확장자 없음)",  // Analysis_NoExt
    L"개",  // Analysis_CountUnit
};

}  // namespace

LanguageTexts KoreanTexts() {
    LanguageTexts t;
    t.texts = kTexts;
    t.textCount = sizeof(kTexts) / sizeof(kTexts[0]);
    t.settings = kSettings;
    t.analysis = kAnalysis;
    return t;
}

}  // namespace i18n_detail
