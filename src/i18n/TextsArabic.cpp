// Arabic texts: menu, title and main groups, then the settings and analysis groups.
#include "i18n/I18nInternal.h"

namespace i18n_detail {
namespace {

const TextPair kTexts[] = {
    {L"Name", L"العربية"},
    {L"Msg_SettingsNotSaved", L"تعذّر حفظ الإعدادات. قد تُفقد التغييرات عليها عند إغلاق البرنامج. تأكد من إمكانية الكتابة في هذا الملف (ومن عدم وجود مجلد يحمل اسمه):"},
    {L"LanguageIsChinese", L"0"},
    {L"Settings_Cat7", L"ألوان الواجهة"},
    {L"Settings_ColorPresetTitle", L"نمط الألوان"},
    {L"Settings_ColorPresetNone", L"(اختر نمطًا…)"},
    {L"Settings_ColorTip", L"يُطبَّق فورًا؛ اضبط التفاصيل أدناه (* = مخصص)"},
    {L"Settings_ColorReset", L"إعادة الألوان إلى افتراضيات السمة"},
    {L"Settings_OpenUiColors", L"فتح ملف إعدادات الألوان"},
    {L"Settings_ColorChange", L"تغيير"},
    {L"TrayTip", L"Tarnwick - {0} إظهار/إخفاء"},
    {L"Menu_Homepage", L"الصفحة الرئيسية"},
    {L"Menu_Language", L"اللغة"},
    {L"Menu_OpenLanguageFolder", L"فتح ملف اللغة الحالية"},
    {L"Menu_Enable", L"تمكين"},
    {L"Menu_Disable", L"تعطيل"},
    {L"Menu_InitialSearch", L"البحث عند البدء"},
    {L"Menu_InitialSearchToggle", L"البحث عند البدء (تشغيل/إيقاف)"},
    {L"Menu_Features", L"الميزات"},
    {L"Menu_AutoStart", L"التشغيل مع بدء النظام"},
    {L"Menu_SetHotkey", L"تعيين مفتاح الإظهار/الإخفاء"},
    {L"Menu_ClearRecent", L"مسح قائمة الملفات المفتوحة مؤخرًا"},
    {L"Menu_ShowMainWindow", L"إظهار النافذة"},
    {L"Menu_Exit", L"خروج"},
    {L"Menu_FilterLayoutSidebar", L"تخطيط عوامل التصفية: شريط جانبي"},
    {L"Menu_FilterLayoutTopbar", L"تخطيط عوامل التصفية: شريط علوي"},
    {L"Menu_ResultGridLinesToggle", L"خطوط الشبكة في النتائج (تبديل)"},
    {L"Menu_Open", L"فتح"},
    {L"Menu_OpenContainingFolder", L"فتح المجلد الحاوي"},
    {L"Menu_Properties", L"خصائص"},
    {L"Menu_SystemContext", L"قائمة النظام السياقية..."},
    {L"Menu_Copy", L"نسخ"},
    {L"Menu_Cut", L"قص"},
    {L"Menu_CopyFullPath", L"نسخ المسار الكامل"},
    {L"Menu_RenameF2", L"إعادة تسمية\tF2"},
    {L"Menu_MoveToRecycleDelete", L"نقل إلى سلة المحذوفات\tDelete"},
    {L"Menu_DeletePermanentShiftDelete", L"حذف نهائي\tShift+Delete"},
    {L"Menu_RunAsAdmin", L"تشغيل كمسؤول"},
    {L"Menu_OpenFilterConfig", L"فتح ملف إعدادات التصفية"},
    {L"Menu_ResetFilterTags", L"إعادة وسوم التصفية إلى الافتراضي"},
    {L"Menu_GlobalTrimToggle", L"تقليص الذاكرة الشامل (تبديل)"},
    {L"Menu_ThemeToggle", L"السمة: داكنة/فاتحة"},
    {L"Filter.0", L"كل الملفات"},
    {L"Filter.1", L"المجلدات"},
    {L"Filter.2", L"المستندات"},
    {L"Filter.3", L"الصور"},
    {L"Filter.4", L"الأرشيفات"},
    {L"Filter.5", L"التطبيقات"},
    {L"Filter.6", L"الفيديو"},
    {L"Filter.7", L"الصوت"},
    {L"Filter_Folders", L"المجلدات"},
    {L"LanguageChanged", L"تم تغيير اللغة: "},
    {L"Menu_SetHotkeyForegroundExe", L"تعيين مفتاح: إظهار التطبيق النشط في المستكشف"},
    {L"app.name", L"Tarnwick"},
    {L"app.title.main", L"Tarnwick"},
    {L"App_Name", L"Tarnwick"},
    {L"App_TitleMain", L"Tarnwick"},
    {L"App_TitleMainLower", L"Tarnwick"},
    {L"App_FilterTitlePrefix", L"Tarnwick - التصفية: "},
    {L"App_FilterTitleHitsSeparator", L" | النتائج: "},
    {L"Menu_RefreshNonNtfs", L"تحديث كل فهارس غير NTFS"},
    {L"Menu_View", L"عرض"},
    {L"Menu_ViewList", L"قائمة"},
    {L"Menu_ViewSmallIcons", L"أيقونات صغيرة"},
    {L"Menu_ViewLargeIcons", L"أيقونات كبيرة"},
    {L"Menu_Sort", L"فرز"},
    {L"Menu_SortByName", L"حسب الاسم"},
    {L"Menu_SortBySize", L"حسب الحجم"},
    {L"Menu_SortByModified", L"حسب وقت التعديل"},
    {L"Menu_SortByCreated", L"حسب وقت الإنشاء"},
    {L"Menu_SortByType", L"حسب النوع"},
    {L"Menu_SortByPath", L"حسب المسار"},
    {L"MsgTitle_Information", L"معلومات"},
    {L"MsgTitle_Error", L"خطأ"},
    {L"MsgTitle_Completed", L"اكتمل"},
    {L"MsgTitle_ConfirmDelete", L"تأكيد الحذف"},
    {L"MsgTitle_ConfirmReset", L"تأكيد إعادة التعيين"},
    {L"MsgTitle_LanguageSwitchConflict", L"تبديل اللغة - تعارض عوامل التصفية"},
    {L"Status_InitialSearchOn", L"تم تشغيل البحث عند البدء."},
    {L"Status_InitialSearchOff", L"تم إيقاف البحث عند البدء."},
    {L"Status_GlobalTrimOn", L"تم تشغيل تقليص الذاكرة الشامل."},
    {L"Status_GlobalTrimOff", L"تم إيقاف تقليص الذاكرة الشامل."},
    {L"Status_GridLinesOn", L"خطوط الشبكة في النتائج ظاهرة."},
    {L"Status_GridLinesOff", L"خطوط الشبكة في النتائج مخفية."},
    {L"Msg_AdminRequired", L"يجب تشغيل Tarnwick كمسؤول للوصول إلى سجل USN الخاص بالقرص.\n\nانقر بزر الماوس الأيمن على أيقونة البرنامج واختر \"تشغيل كمسؤول\"."},
    {L"Drive_LocalDiskPrefix", L"قرص محلي ("},
    {L"Msg_LanguageSwitchFilterConflict", L"لقد خصصت عوامل التصفية (filters.ini). كيف تريد التعامل معها عند تبديل اللغة؟\n\nنعم: استبدال filters.ini بعوامل التصفية الافتراضية للغة الجديدة (دائمًا).\nلا: الاحتفاظ بعوامل التصفية المخصصة الحالية (مستحسن).\nإلغاء: استخدام عوامل التصفية الافتراضية للغة الجديدة في هذه الجلسة فقط."},
    {L"Common_All", L"الكل"},
    {L"Common_Custom", L"مخصص"},
    {L"Time_Today", L"اليوم"},
    {L"Time_7Days", L"7 أيام"},
    {L"Time_30Days", L"30 يومًا"},
    {L"Time_RangeDefault", L"0-7(أيام مضت)"},
    {L"Status_HotkeyCaptureHint", L"اضغط مفتاح الإظهار/الإخفاء الجديد (Esc للإلغاء)..."},
    {L"Msg_HotkeyNeedModifier", L"يجب أن يتضمن مفتاح الاختصار Ctrl أو Alt أو Shift."},
    {L"Msg_HotkeyRegisterFailed", L"تعذر تسجيل مفتاح الاختصار. جرّب تركيبة أخرى."},
    {L"Msg_HotkeySetPrefix", L"تم تعيين مفتاح الاختصار إلى: "},
    {L"Log_RefreshNonNtfsPrefix", L"تحديث فهارس وحدات التخزين غير NTFS"},
    {L"Log_NoNonNtfsForRefresh", L"لا توجد وحدات تخزين غير NTFS لتحديثها."},
    {L"Log_ResultOk", L"نجاح"},
    {L"Log_ResultFail", L"فشل"},
    {L"Scope_Desktop", L"سطح المكتب"},
    {L"Msg_RenameInvalidChars", L"يحتوي الاسم على أحرف غير صالحة ولا يمكن استخدامه."},
    {L"Msg_RenameFailedFormat", L"فشلت إعادة التسمية.\nرمز الخطأ: %lu"},
    {L"Status_ContentSearchCanceled", L"تم إلغاء البحث في المحتوى."},
    {L"Header_RowNumber", L"#"},
    {L"Header_Name", L"الاسم"},
    {L"Header_Size", L"الحجم"},
    {L"Header_Modified", L"تاريخ التعديل"},
    {L"Header_Created", L"تاريخ الإنشاء"},
    {L"Header_Type", L"النوع"},
    {L"Header_Path", L"المسار"},
    {L"Status_IndexNotReadyRetry", L"لا يزال الفهرس قيد التهيئة. ستتم إعادة محاولة البحث قريبًا..."},
    {L"Status_FilteredFilesStartScanFmt", L"تمت تصفية %zu من الملفات النصية، جارٍ قراءة المحتوى... (Esc للإلغاء)"},
    {L"Status_ScanningProgressFmt", L"جارٍ فحص المحتوى... (تمت معالجة %zu / %zu)"},
    {L"Status_PrewarmSortingDisabled", L"جارٍ تجهيز ذاكرة التخزين المؤقت. الفرز معطّل مؤقتًا."},
    {L"Status_HydrateProgressFmt", L"جارٍ استخراج الخصائص... (تمت معالجة %zu / %zu)"},
    {L"Msg_DeleteSingleConfirmPrefix", L"هل تريد حذف هذا الملف نهائيًا؟\n\n"},
    {L"Msg_DeleteMultiConfirmPrefix", L"هل تريد الحذف النهائي للعناصر المحددة وعددها "},
    {L"Msg_DeleteMultiConfirmSuffix", L" عنصر؟"},
    {L"Msg_DeleteFailedCountFmt", L"تعذر حذف %zu من العناصر المحددة."},
    {L"Msg_RecycleDeleteFailed", L"تعذر النقل إلى سلة المحذوفات. وفشلت طريقة الحذف البديلة أيضًا."},
    {L"Msg_CopyClipboardFailed", L"تعذر النسخ إلى الحافظة."},
    {L"Status_InitializingIndex", L"جارٍ تهيئة فهرس كل الأقراص..."},
    {L"Status_InitIncompleteRetry", L"لم تكتمل التهيئة. جارٍ إعادة محاولة تحميل فهرس القرص في الخلفية..."},
    {L"Status_BackgroundStartupCompleted", L"اكتمل البدء في الخلفية. ستُعرض النتائج ويُجهَّز التخزين المؤقت عند فتح النافذة."},
    {L"Status_NewDiskDetected", L"تم اكتشاف قرص جديد؛ وتم تحديث قائمة محركات الأقراص."},
    {L"Status_DriveEjectDetected", L"تم اكتشاف إخراج محرك أقراص؛ وتم تحرير المقابض مبكرًا."},
    {L"Status_DriveRemoved", L"تمت إزالة قرص؛ وتم تحديث التحديد تلقائيًا."},
    {L"Status_NtfsIndexRemoved", L"تم اكتشاف قرص مفصول؛ وتمت إزالة فهرس NTFS الخاص به."},
    {L"Status_RefreshNonNtfsPrefix", L"تم تحديث "},
    {L"Status_RefreshNonNtfsSingleSuffix", L" من فهارس وحدات التخزين غير NTFS؛ راجع مخرجات التصحيح للتفاصيل."},
    {L"Status_RefreshNonNtfsFailedMid", L" من وحدات التخزين غير NTFS؛ "},
    {L"Status_RefreshNonNtfsFailedSuffix", L" فشلت؛ راجع مخرجات التصحيح للتفاصيل."},
    {L"Status_RefreshNonNtfsFailed", L"تعذر تحديث فهارس وحدات التخزين غير NTFS؛ راجع مخرجات التصحيح للتفاصيل."},
    {L"Title_SearchPartialFmt", L"Tarnwick - وُجد %lld+..."},
    {L"Title_SearchFinalFmt", L"Tarnwick - %lld نتيجة"},
    {L"Status_SearchingShowingPrefix", L"جارٍ البحث... يُعرض "},
    {L"Status_SearchingShowingSuffix", L" نتيجة"},
    {L"Status_FilterApplyingPrefix", L"التصفية: "},
    {L"Status_FilterApplyingSuffix", L" | جارٍ تطبيق التصفية..."},
    {L"Status_FilterHitsPrefix", L"التصفية: "},
    {L"Status_FilterHitsMid", L" | النتائج: "},
    {L"Status_RefreshingAllNonNtfs", L"جارٍ تحديث كل فهارس وحدات التخزين غير NTFS..."},
    {L"Msg_ResetFilterConfirm", L"هل تريد إعادة وسوم التصفية إلى الافتراضي؟\n\n(أعد تشغيل التطبيق لتحديث أزرار التصفية.)"},
    {L"Msg_ResetComplete", L"تمت إعادة تعيين الإعدادات."},
    {L"Msg_AlreadyRunningPrefix", L"Tarnwick قيد التشغيل بالفعل.\n\nاستخدم مفتاح الاختصار \""},
    {L"Msg_AlreadyRunningSuffix", L"\" لإظهار النافذة الرئيسية أو إخفائها."},
    {L"Status_InitializingSimple", L"جارٍ التهيئة..."},
    {L"Status_HotkeyCaptureHintFgExe", L"اضغط مفتاح التطبيق النشط الجديد (Esc للإلغاء)..."},
    {L"Msg_HotkeySetPrefixFgExe", L"تم تعيين مفتاح موقع التطبيق النشط إلى: "},
    {L"Msg_HotkeyConflict", L"هذه التركيبة مستخدمة بالفعل في مفتاح الاختصار الآخر. اختر تركيبة مختلفة."},
    {L"Msg_ForegroundExeOpenFailed", L"تعذر الحصول على مسار العملية في المقدمة (قد تكون محمية)."},
    {L"Drive_LocalDiskOnly", L"قرص محلي"},
    {L"Dup_StatusFailed", L"فشل الفحص"},
    {L"Dup_KeepOneCopy", L"تم تحديد كل النسخ في هذه المجموعة. احتفظ بنسخة واحدة على الأقل: لم يُحذف أي شيء."},
    {L"Dup_NoOtherCopy", L"تعذّر تأكيد وجود نسخة مطابقة أخرى (ربما تغيّرت الملفات أو أُزيلت منذ الفحص). لم يُحذف أي شيء."},
    {L"Status_JournalLostReindexFmt", L"فُقد سجل التغييرات لمحرك الأقراص %s؛ تجري إعادة فهرسة المحرك في الخلفية..."},
    {L"Status_DriveReindexedFmt", L"تمت إعادة فهرسة محرك الأقراص %s؛ تتم متابعة تغييراته مرة أخرى."},
    {L"Status_DriveReindexFailedFmt", L"تعذرت إعادة فهرسة محرك الأقراص %s؛ سيُستبعد من البحث حتى يتم تحديث الفهارس."},
    // The content extension picker, its buttons, and messages of the file actions, the hotkeys
    // and the duplicate scan.
    {L"Button_OK", L"موافق"},
    {L"Button_Cancel", L"إلغاء"},
    {L"ContentExt_Title", L"اختر أنواع الملفات للبحث في المحتوى"},
    {L"ContentExt_Tip", L"حدد الامتدادات ثم اضغط موافق؛ أضف أو احذف امتدادات مخصصة بالأسفل."},
    {L"ContentExt_Custom", L"امتداد مخصص"},
    {L"ContentExt_Add", L"إضافة"},
    {L"ContentExt_Delete", L"حذف"},
    {L"ContentExt_SelectAll", L"الكل"},
    {L"ContentExt_Invert", L"عكس"},
    {L"ContentExt_OpenConfig", L"الإعداد"},
    {L"ContentExt_InputHint", L"أدخل الامتدادات، مثل .pdf أو pdf,docx"},
    {L"ContentExt_DeleteHint", L"حدد أولاً الامتدادات المراد حذفها."},
    {L"ContentExt_DeleteConfirm", L"هل تريد حذف الامتدادات المحددة من القائمة؟\n(يتم تحديث ملف الإعداد أيضًا.)"},
    {L"ContentExt_NeedOne", L"يرجى تحديد امتداد واحد على الأقل."},
    {L"Status_ContentExtPicked", L"تم تعيين امتدادات البحث في المحتوى. اكتب الكلمات ثم اضغط Enter. لا يزال بإمكانك تعديل |الامتدادات يدويًا."},
    {L"Status_ContentSearchNoCandidates", L"لا توجد ملفات للفحص بعد تطبيق المرشحات."},
    {L"Status_ContentSearchIncompleteFmt", L"البحث في المحتوى غير مكتمل: تعذر بدء خيط فحص (تم العثور على %zu حتى الآن)"},
    {L"Status_HotkeyInUse", L"مفتاح الاختصار %s مستخدم من برنامج آخر؛ الاختصار النشط: %s."},
    {L"Status_HotkeyNone", L"لا يوجد"},
    {L"Msg_RecycleFailedAskPermanentFmt", L"تعذر نقل %zu من العناصر إلى سلة المحذوفات.\n\nهل تريد حذفها نهائيًا؟"},
    {L"Msg_RenameTrailingDot", L"لا يمكن أن ينتهي الاسم بنقطة أو مسافة."},
    {L"Msg_OpenManyConfirmFmt", L"هل تريد فتح %zu من العناصر؟"},
    {L"Dup_PhaseSlowRetry", L"إعادة محاولة الملفات البطيئة"},
    {L"Analysis_DeleteChangedFmt", L"تغيّر %zu من الملفات المحددة على القرص منذ التحليل ولم يُحذف. أعد الفحص لرؤيتها كما هي الآن."},
    {L"Dup_StatusCheckingFmt", L"جارٍ التحقق من النسخ قبل الحذف: تمت قراءة %s من %s (Esc للإلغاء)"},
    {L"Dup_StatusDeleteCancelled", L"أُلغي الحذف: لم يُحذف أي شيء."},
    {L"Dup_StatusHashUnavailable", L"فشل الفحص: تجزئة SHA-256 الخاصة بالنظام غير متاحة."},
};

const wchar_t* const kSettings[] = {
    L"إغلاق",  // Button_Close
    L"فاتحة",  // Theme_Light
    L"داكنة",  // Theme_Dark
    L"بلا حد (قد يكون بطيئًا)",  // Menu_ContentSizeNoLimit
    L"مركز الإعدادات",  // Settings_Title
    L"اللغة",  // Settings_Language
    L"السمة",  // Settings_Theme
    L"عرض عوامل التصفية في الشريط الجانبي",  // Settings_UseSidebarLayout
    L"تخطي الملفات الأكبر من",  // Settings_ContentMaxSize
    L"سلاسل البحث في المحتوى",  // Settings_ContentThreads
    L"تلقائي",  // Settings_Auto
    L"تعيين",  // Settings_ChangeHotkey
    L"تلميح: انقر تعيين ثم اضغط المفاتيح (Esc للإلغاء)",  // Settings_HotkeyTip
    L"إعدادات امتدادات المحتوى",  // Settings_OpenZipExts
    L"المسارات الداخلية لـ Office/ZIP",  // Settings_OpenZipPatterns
    L"المظهر واللغة",  // Settings_Cat1
    L"عام",  // Settings_Cat2
    L"البحث في المحتوى",  // Settings_Cat3
    L"مفاتيح الاختصار",  // Settings_Cat4
    L"ملفات الإعدادات",  // Settings_Cat5
    L"الصيانة",  // Settings_Cat6
    L"تم حفظ الإعدادات.",  // Settings_Saved
    L"تم تغيير السمة.",  // Settings_ThemeChanged
    L"تم مسح قائمة الملفات المفتوحة مؤخرًا.",  // Settings_RecentCleared
    L"تم تغيير اللغة.",  // Settings_LanguageChanged
    L"في الانتظار...",  // Settings_HotkeyWaiting
    L"يلزم Ctrl/Alt/Shift",  // Settings_HotkeyNeedModifierShort
    L"تعارض، أعد المحاولة",  // Settings_HotkeyConflictShort
    L"فشل، أعد المحاولة",  // Settings_HotkeyFailedShort
};

const wchar_t* const kAnalysis[] = {
    L"التبديل إلى التحليل",  // Menu_SwitchToAnalysis
    L"تم التبديل إلى التحليل (استخدم العودة إلى البحث للرجوع).",  // Status_SwitchedToAnalysis
    L"تم التبديل إلى البحث (التحليل من القائمة السياقية).",  // Status_SwitchedToSearch
    L"إعادة الفحص",  // Analysis_Rescan
    L"فحص",  // Analysis_StartScan
    L"جارٍ الفحص...",  // Analysis_ScanningBtn
    L"كل محركات الأقراص (ALL)",  // Analysis_DriveAll
    L"محرك الأقراص المراد تحليله",  // Analysis_DriveLabel
    L"العودة إلى البحث",  // Analysis_BackToSearch
    L"تحليل القرص",  // Analysis_ToolbarTitle
    L"جارٍ فحص MFT...",  // Analysis_ScanningMft
    L"اكتمل التحليل: %s (%zu عنصرًا)",  // Analysis_ScanDoneFmt
    L"فشل تحليل القرص",  // Analysis_ScanFailed
    L"يرجى اختيار محرك أقراص لتحليله",  // Analysis_NeedDrive
    L"لأعلى",  // Analysis_Up
    L"جارٍ فحص كل الأقراص...",  // Analysis_ScanningAll
    L"اكتمل التحليل",  // Analysis_ScanDoneSimple
    L"المسار",  // Analysis_Path
    L"المستخدم",  // Analysis_Used
    L"الحر",  // Analysis_Free
    L"الإجمالي",  // Analysis_Total
    L"تم تحليله",  // Analysis_Analyzed
    L"كل الأقراص",  // Analysis_AllDisks
    L"تحليل كل الأقراص",  // Analysis_AllDisksTitle
    L"ما الذي يشغل المساحة",  // Analysis_StoryTitle
    L"النسبة",  // Analysis_Pct
    L"الحجم",  // Analysis_Size
    L"حسب النوع (من الأكبر للأصغر)",  // Analysis_ByType
    L"انقر للتوسيع",  // Analysis_ClickExpand
    L"لا توجد إحصاءات للامتدادات",  // Analysis_NoExtStats
    L"لا توجد عناصر لعرضها في هذا المجلد",  // Analysis_NoItems
    L"لا يوجد توزيع للاستخدام لعرضه هنا",  // Analysis_NoSunburst
    L"جارٍ الفحص، يرجى الانتظار...",  // Analysis_ScanningWait
    L"اختر محرك أقراص أو ALL لبدء التحليل",  // Analysis_SelectDriveHint
    L"فشل الفحص",  // Analysis_ScanFailedShort
    L"أخرى",  // Analysis_Other
    L"أخرى (%d عناصر)",  // Analysis_OtherFmt
    L"انقر في المنتصف للصعود",  // Analysis_ClickCenterBack
    L"انقر للفتح",  // Analysis_ClickEnter
    L"محدد",  // Analysis_Selected
    L"(بلا امتداد)",  // Analysis_NoExt
    L" عنصر",  // Analysis_CountUnit
};

}  // namespace

LanguageTexts ArabicTexts() {
    LanguageTexts t;
    t.texts = kTexts;
    t.textCount = sizeof(kTexts) / sizeof(kTexts[0]);
    t.settings = kSettings;
    t.analysis = kAnalysis;
    return t;
}

}  // namespace i18n_detail
