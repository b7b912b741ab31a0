// Russian texts: menu, title and main groups, then the settings and analysis groups.
#include "i18n/I18nInternal.h"

namespace i18n_detail {
namespace {

const TextPair kTexts[] = {
    {L"Name", L"Русский"},
    {L"Msg_SettingsNotSaved", L"Не удалось сохранить настройки. Изменения могут быть потеряны при закрытии программы. Убедитесь, что в этот файл можно записывать (и что нет папки с таким именем):"},
    {L"LanguageIsChinese", L"0"},
    {L"Settings_Cat7", L"Цвета интерфейса"},
    {L"Settings_ColorPresetTitle", L"Цветовая схема"},
    {L"Settings_ColorPresetNone", L"(Выберите схему…)"},
    {L"Settings_ColorTip", L"Применяется сразу; точная настройка ниже (* = изменено)"},
    {L"Settings_ColorReset", L"Сбросить цвета к теме по умолчанию"},
    {L"Settings_OpenUiColors", L"Открыть файл цветов интерфейса"},
    {L"Settings_ColorChange", L"Изменить"},
    {L"TrayTip", L"Tarnwick — {0} Показать/Скрыть"},
    {L"Menu_Homepage", L"Домашняя страница"},
    {L"Menu_Language", L"Язык"},
    {L"Menu_OpenLanguageFolder", L"Открыть файл текущего языка"},
    {L"Menu_Enable", L"Включить"},
    {L"Menu_Disable", L"Отключить"},
    {L"Menu_InitialSearch", L"Начальный поиск"},
    {L"Menu_InitialSearchToggle", L"Начальный поиск (вкл./выкл.)"},
    {L"Menu_Features", L"Функции"},
    {L"Menu_AutoStart", L"Запускать при старте системы"},
    {L"Menu_SetHotkey", L"Горячая клавиша показа/скрытия"},
    {L"Menu_ClearRecent", L"Очистить список недавних файлов"},
    {L"Menu_ShowMainWindow", L"Показать окно"},
    {L"Menu_Exit", L"Выход"},
    {L"Menu_FilterLayoutSidebar", L"Фильтры: боковая панель"},
    {L"Menu_FilterLayoutTopbar", L"Фильтры: верхняя панель"},
    {L"Menu_ResultGridLinesToggle", L"Сетка в результатах (вкл./выкл.)"},
    {L"Menu_Open", L"Открыть"},
    {L"Menu_OpenContainingFolder", L"Открыть папку с файлом"},
    {L"Menu_Properties", L"Свойства"},
    {L"Menu_SystemContext", L"Системное контекстное меню..."},
    {L"Menu_Copy", L"Копировать"},
    {L"Menu_Cut", L"Вырезать"},
    {L"Menu_CopyFullPath", L"Копировать полный путь"},
    {L"Menu_RenameF2", L"Переименовать\tF2"},
    {L"Menu_MoveToRecycleDelete", L"Переместить в корзину\tDel"},
    {L"Menu_DeletePermanentShiftDelete", L"Удалить навсегда\tShift+Del"},
    {L"Menu_RunAsAdmin", L"Запуск от имени администратора"},
    {L"Menu_OpenFilterConfig", L"Открыть файл настроек фильтров"},
    {L"Menu_ResetFilterTags", L"Сбросить фильтры по умолчанию"},
    {L"Menu_GlobalTrimToggle", L"Глобальная очистка памяти (вкл./выкл.)"},
    {L"Menu_ThemeToggle", L"Тема: тёмная/светлая"},
    {L"Filter.0", L"Все файлы"},
    {L"Filter.1", L"Папки"},
    {L"Filter.2", L"Документы"},
    {L"Filter.3", L"Изображения"},
    {L"Filter.4", L"Архивы"},
    {L"Filter.5", L"Программы"},
    {L"Filter.6", L"Видео"},
    {L"Filter.7", L"Аудио"},
    {L"Filter_Folders", L"Папки"},
    {L"LanguageChanged", L"Язык изменён: "},
    {L"Menu_SetHotkeyForegroundExe", L"Горячая клавиша: показать активное приложение в Проводнике"},
    {L"app.name", L"Tarnwick"},
    {L"app.title.main", L"Tarnwick"},
    {L"App_Name", L"Tarnwick"},
    {L"App_TitleMain", L"Tarnwick"},
    {L"App_TitleMainLower", L"Tarnwick"},
    {L"App_FilterTitlePrefix", L"Tarnwick — Фильтр: "},
    {L"App_FilterTitleHitsSeparator", L" | Совпадений: "},
    {L"Menu_RefreshNonNtfs", L"Обновить все индексы не-NTFS"},
    {L"Menu_View", L"Вид"},
    {L"Menu_ViewList", L"Список"},
    {L"Menu_ViewSmallIcons", L"Мелкие значки"},
    {L"Menu_ViewLargeIcons", L"Крупные значки"},
    {L"Menu_Sort", L"Сортировка"},
    {L"Menu_SortByName", L"По имени"},
    {L"Menu_SortBySize", L"По размеру"},
    {L"Menu_SortByModified", L"По дате изменения"},
    {L"Menu_SortByCreated", L"По дате создания"},
    {L"Menu_SortByType", L"По типу"},
    {L"Menu_SortByPath", L"По пути"},
    {L"MsgTitle_Information", L"Сведения"},
    {L"MsgTitle_Error", L"Ошибка"},
    {L"MsgTitle_Completed", L"Готово"},
    {L"MsgTitle_ConfirmDelete", L"Подтверждение удаления"},
    {L"MsgTitle_ConfirmReset", L"Подтверждение сброса"},
    {L"MsgTitle_LanguageSwitchConflict", L"Смена языка — конфликт фильтров"},
    {L"Status_InitialSearchOn", L"Начальный поиск включён."},
    {L"Status_InitialSearchOff", L"Начальный поиск отключён."},
    {L"Status_GlobalTrimOn", L"Глобальная очистка памяти включена."},
    {L"Status_GlobalTrimOff", L"Глобальная очистка памяти отключена."},
    {L"Status_GridLinesOn", L"Сетка в результатах показана."},
    {L"Status_GridLinesOff", L"Сетка в результатах скрыта."},
    {L"Msg_AdminRequired", L"Для доступа к журналу USN диска Tarnwick нужно запускать от имени администратора.\n\nЩёлкните значок программы правой кнопкой мыши и выберите «Запуск от имени администратора»."},
    {L"Drive_LocalDiskPrefix", L"Локальный диск ("},
    {L"Msg_LanguageSwitchFilterConflict", L"Вы настроили фильтры (filters.ini). Что с ними сделать при смене языка?\n\nДа: заменить filters.ini фильтрами нового языка по умолчанию (навсегда).\nНет: сохранить ваши фильтры (рекомендуется).\nОтмена: использовать фильтры нового языка только в этом сеансе."},
    {L"Common_All", L"Все"},
    {L"Common_Custom", L"Настроить"},
    {L"Time_Today", L"Сегодня"},
    {L"Time_7Days", L"7 дней"},
    {L"Time_30Days", L"30 дней"},
    {L"Time_RangeDefault", L"0-7(дней назад)"},
    {L"Status_HotkeyCaptureHint", L"Нажмите новую клавишу показа/скрытия (Esc — отмена)..."},
    {L"Msg_HotkeyNeedModifier", L"Горячая клавиша должна включать Ctrl, Alt или Shift."},
    {L"Msg_HotkeyRegisterFailed", L"Не удалось зарегистрировать горячую клавишу. Попробуйте другое сочетание."},
    {L"Msg_HotkeySetPrefix", L"Горячая клавиша: "},
    {L"Log_RefreshNonNtfsPrefix", L"Обновление индексов томов не-NTFS"},
    {L"Log_NoNonNtfsForRefresh", L"Нет томов не-NTFS для обновления."},
    {L"Log_ResultOk", L"УСПЕХ"},
    {L"Log_ResultFail", L"ОШИБКА"},
    {L"Scope_Desktop", L"Рабочий стол"},
    {L"Msg_RenameInvalidChars", L"Имя содержит недопустимые символы и не может быть использовано."},
    {L"Msg_RenameFailedFormat", L"Не удалось переименовать.\nКод ошибки: %lu"},
    {L"Status_ContentSearchCanceled", L"Поиск по содержимому отменён."},
    {L"Header_RowNumber", L"№"},
    {L"Header_Name", L"Имя"},
    {L"Header_Size", L"Размер"},
    {L"Header_Modified", L"Изменён"},
    {L"Header_Created", L"Создан"},
    {L"Header_Type", L"Тип"},
    {L"Header_Path", L"Путь"},
    {L"Status_IndexNotReadyRetry", L"Индекс ещё инициализируется. Поиск скоро будет повторён..."},
    {L"Status_FilteredFilesStartScanFmt", L"Отобрано текстовых файлов: %zu, чтение содержимого... (Esc — отмена)"},
    {L"Status_ScanningProgressFmt", L"Поиск по содержимому... (обработано %zu / %zu)"},
    {L"Status_PrewarmSortingDisabled", L"Идёт прогрев кэша. Сортировка временно недоступна."},
    {L"Status_HydrateProgressFmt", L"Получение свойств... (обработано %zu / %zu)"},
    {L"Msg_DeleteSingleConfirmPrefix", L"Удалить этот файл навсегда?\n\n"},
    {L"Msg_DeleteMultiConfirmPrefix", L"Удалить навсегда выбранные элементы: "},
    {L"Msg_DeleteMultiConfirmSuffix", L" шт.?"},
    {L"Msg_DeleteFailedCountFmt", L"Не удалось удалить выбранные элементы: %zu."},
    {L"Msg_RecycleDeleteFailed", L"Не удалось переместить в корзину. Резервный способ удаления тоже не сработал."},
    {L"Msg_CopyClipboardFailed", L"Не удалось скопировать в буфер обмена."},
    {L"Status_InitializingIndex", L"Инициализация индекса всех дисков..."},
    {L"Status_InitIncompleteRetry", L"Инициализация не завершена. Повторная загрузка индекса в фоне..."},
    {L"Status_BackgroundStartupCompleted", L"Фоновый запуск завершён. Результаты и прогрев кэша — при открытии окна."},
    {L"Status_NewDiskDetected", L"Обнаружен новый диск; список дисков обновлён."},
    {L"Status_DriveEjectDetected", L"Обнаружено извлечение диска; дескрипторы освобождены заранее."},
    {L"Status_DriveRemoved", L"Диск отключён; выбор обновлён автоматически."},
    {L"Status_NtfsIndexRemoved", L"Обнаружен отключённый диск; его индекс NTFS удалён."},
    {L"Status_RefreshNonNtfsPrefix", L"Обновлено "},
    {L"Status_RefreshNonNtfsSingleSuffix", L" индексов томов не-NTFS; подробности в отладочном выводе."},
    {L"Status_RefreshNonNtfsFailedMid", L" томов не-NTFS; "},
    {L"Status_RefreshNonNtfsFailedSuffix", L" с ошибкой; подробности в отладочном выводе."},
    {L"Status_RefreshNonNtfsFailed", L"Не удалось обновить индексы томов не-NTFS; подробности в отладочном выводе."},
    {L"Title_SearchPartialFmt", L"Tarnwick — найдено %lld+..."},
    {L"Title_SearchFinalFmt", L"Tarnwick — совпадений: %lld"},
    {L"Status_SearchingShowingPrefix", L"Поиск... показано "},
    {L"Status_SearchingShowingSuffix", L" результатов"},
    {L"Status_FilterApplyingPrefix", L"Фильтр: "},
    {L"Status_FilterApplyingSuffix", L" | Применение фильтра..."},
    {L"Status_FilterHitsPrefix", L"Фильтр: "},
    {L"Status_FilterHitsMid", L" | Совпадений: "},
    {L"Status_RefreshingAllNonNtfs", L"Обновление всех индексов томов не-NTFS..."},
    {L"Msg_ResetFilterConfirm", L"Сбросить фильтры по умолчанию?\n\n(Перезапустите приложение, чтобы обновить кнопки фильтров.)"},
    {L"Msg_ResetComplete", L"Настройки сброшены."},
    {L"Msg_AlreadyRunningPrefix", L"Tarnwick уже запущен.\n\nНажмите горячую клавишу \""},
    {L"Msg_AlreadyRunningSuffix", L"\", чтобы показать или скрыть главное окно."},
    {L"Status_InitializingSimple", L"Инициализация..."},
    {L"Status_HotkeyCaptureHintFgExe", L"Нажмите новую клавишу для активного приложения (Esc — отмена)..."},
    {L"Msg_HotkeySetPrefixFgExe", L"Клавиша расположения активного приложения: "},
    {L"Msg_HotkeyConflict", L"Это сочетание уже занято другой горячей клавишей. Выберите другое."},
    {L"Msg_ForegroundExeOpenFailed", L"Не удалось получить путь активного процесса (возможно, он защищён)."},
    {L"Drive_LocalDiskOnly", L"Локальный диск"},
    {L"Dup_StatusFailed", L"Сканирование не удалось"},
    {L"Dup_KeepOneCopy", L"Выбраны все копии в этой группе. Оставьте хотя бы одну копию: ничего не удалено."},
    {L"Dup_NoOtherCopy", L"Не удалось подтвердить другую идентичную копию (файлы могли измениться или исчезнуть после сканирования). Ничего не удалено."},
    {L"Status_JournalLostReindexFmt", L"Журнал изменений диска %s утерян; диск заново индексируется в фоновом режиме..."},
    {L"Status_DriveReindexedFmt", L"Диск %s проиндексирован заново; его изменения снова отслеживаются."},
    {L"Status_DriveReindexFailedFmt", L"Не удалось заново проиндексировать диск %s; он исключён из поиска до обновления индексов."},
    // The content extension picker, its buttons, and messages of the file actions, the hotkeys
    // and the duplicate scan.
    {L"Button_OK", L"ОК"},
    {L"Button_Cancel", L"Отмена"},
    {L"ContentExt_Title", L"Типы файлов для поиска по содержимому"},
    {L"ContentExt_Tip", L"Отметьте расширения и нажмите ОК; свои расширения добавляются и удаляются ниже."},
    {L"ContentExt_Custom", L"Своё расшир."},
    {L"ContentExt_Add", L"Добавить"},
    {L"ContentExt_Delete", L"Удалить"},
    {L"ContentExt_SelectAll", L"Все"},
    {L"ContentExt_Invert", L"Обратить"},
    {L"ContentExt_OpenConfig", L"Настройка"},
    {L"ContentExt_InputHint", L"Введите расширения, например .pdf или pdf,docx"},
    {L"ContentExt_DeleteHint", L"Сначала отметьте или выделите расширения для удаления."},
    {L"ContentExt_DeleteConfirm", L"Удалить выбранные расширения из списка?\n(Файл настроек тоже будет обновлён.)"},
    {L"ContentExt_NeedOne", L"Отметьте хотя бы одно расширение."},
    {L"Status_ContentExtPicked", L"Расширения для поиска по содержимому заданы. Введите слова и нажмите Enter. |расширения можно изменить вручную."},
    {L"Status_ContentSearchNoCandidates", L"После фильтров не осталось файлов для проверки."},
    {L"Status_ContentSearchIncompleteFmt", L"Поиск по содержимому не завершён: поток сканирования не запустился (пока найдено %zu)"},
    {L"Status_HotkeyInUse", L"Сочетание %s занято другой программой; активное сочетание: %s."},
    {L"Status_HotkeyNone", L"нет"},
    {L"Msg_RecycleFailedAskPermanentFmt", L"Не удалось переместить в корзину элементов: %zu.\n\nУдалить их безвозвратно?"},
    {L"Msg_RenameTrailingDot", L"Имя не может оканчиваться точкой или пробелом."},
    {L"Msg_OpenManyConfirmFmt", L"Открыть элементов: %zu?"},
    {L"Dup_PhaseSlowRetry", L"Повтор для медленных файлов"},
    {L"Analysis_DeleteChangedFmt", L"Выбранные файлы (%zu) изменились на диске после анализа и не были удалены. Повторите сканирование, чтобы увидеть их текущее состояние."},
    {L"Dup_StatusCheckingFmt", L"Проверка копий перед удалением: прочитано %s из %s (Esc — отмена)"},
    {L"Dup_StatusDeleteCancelled", L"Удаление отменено: ничего не удалено."},
    {L"Dup_StatusHashUnavailable", L"Сканирование не удалось: хеширование SHA-256 системы недоступно."},
};

const wchar_t* const kSettings[] = {
    L"Закрыть",  // Button_Close
    L"Светлая",  // Theme_Light
    L"Тёмная",  // Theme_Dark
    L"Без ограничения (может быть медленно)",  // Menu_ContentSizeNoLimit
    L"Центр настроек",  // Settings_Title
    L"Язык",  // Settings_Language
    L"Тема",  // Settings_Theme
    L"Фильтры на боковой панели",  // Settings_UseSidebarLayout
    L"Пропускать файлы больше",  // Settings_ContentMaxSize
    L"Потоки поиска по содержимому",  // Settings_ContentThreads
    L"Авто",  // Settings_Auto
    L"Задать",  // Settings_ChangeHotkey
    L"Совет: нажмите «Задать», затем нужные клавиши (Esc — отмена)",  // Settings_HotkeyTip
    L"Расширения для поиска по содержимому",  // Settings_OpenZipExts
    L"Внутренние пути Office/ZIP",  // Settings_OpenZipPatterns
    L"Оформление и язык",  // Settings_Cat1
    L"Общие",  // Settings_Cat2
    L"Поиск по содержимому",  // Settings_Cat3
    L"Горячие клавиши",  // Settings_Cat4
    L"Файлы настроек",  // Settings_Cat5
    L"Обслуживание",  // Settings_Cat6
    L"Настройки сохранены.",  // Settings_Saved
    L"Тема изменена.",  // Settings_ThemeChanged
    L"Список недавних файлов очищен.",  // Settings_RecentCleared
    L"Язык изменён.",  // Settings_LanguageChanged
    L"Ожидание...",  // Settings_HotkeyWaiting
    L"Нужен Ctrl/Alt/Shift",  // Settings_HotkeyNeedModifierShort
    L"Конфликт, ещё раз",  // Settings_HotkeyConflictShort
    L"Ошибка, ещё раз",  // Settings_HotkeyFailedShort
};

const wchar_t* const kAnalysis[] = {
    L"Перейти к анализу",  // Menu_SwitchToAnalysis
    L"Режим анализа (кнопка «Назад к поиску» — возврат).",  // Status_SwitchedToAnalysis
    L"Режим поиска (анализ — через контекстное меню).",  // Status_SwitchedToSearch
    L"Пересканировать",  // Analysis_Rescan
    L"Сканировать",  // Analysis_StartScan
    L"Сканирование...",  // Analysis_ScanningBtn
    L"Все диски (ALL)",  // Analysis_DriveAll
    L"Диск для анализа",  // Analysis_DriveLabel
    L"Назад к поиску",  // Analysis_BackToSearch
    L"Анализ диска",  // Analysis_ToolbarTitle
    L"Сканирование MFT...",  // Analysis_ScanningMft
    L"Анализ завершён: %s (%zu элем.)",  // Analysis_ScanDoneFmt
    L"Ошибка анализа диска",  // Analysis_ScanFailed
    L"Выберите диск для анализа",  // Analysis_NeedDrive
    L"Вверх",  // Analysis_Up
    L"Сканирование всех дисков...",  // Analysis_ScanningAll
    L"Анализ завершён",  // Analysis_ScanDoneSimple
    L"Путь",  // Analysis_Path
    L"Занято",  // Analysis_Used
    L"Свободно",  // Analysis_Free
    L"Всего",  // Analysis_Total
    L"Проанализировано",  // Analysis_Analyzed
    L"Все диски",  // Analysis_AllDisks
    L"Анализ всех дисков",  // Analysis_AllDisksTitle
    L"Что занимает место",  // Analysis_StoryTitle
    L"Доля",  // Analysis_Pct
    L"Размер",  // Analysis_Size
    L"По типу (по убыванию)",  // Analysis_ByType
    L"Нажмите, чтобы развернуть",  // Analysis_ClickExpand
    L"Нет статистики по расширениям",  // Analysis_NoExtStats
    L"В этой папке нечего показать",  // Analysis_NoItems
    L"Здесь нет распределения для показа",  // Analysis_NoSunburst
    L"Идёт сканирование, подождите...",  // Analysis_ScanningWait
    L"Выберите диск или ALL, чтобы начать анализ",  // Analysis_SelectDriveHint
    L"Ошибка сканирования",  // Analysis_ScanFailedShort
    L"Прочее",  // Analysis_Other
    L"Прочее (%d элем.)",  // Analysis_OtherFmt
    L"Нажмите в центр, чтобы подняться",  // Analysis_ClickCenterBack
    L"Нажмите, чтобы открыть",  // Analysis_ClickEnter
    L"Выбрано",  // Analysis_Selected
    L"(без расширения)",  // Analysis_NoExt
    L" шт.",  // Analysis_CountUnit
};

}  // namespace

LanguageTexts RussianTexts() {
    LanguageTexts t;
    t.texts = kTexts;
    t.textCount = sizeof(kTexts) / sizeof(kTexts[0]);
    t.settings = kSettings;
    t.analysis = kAnalysis;
    return t;
}

}  // namespace i18n_detail
