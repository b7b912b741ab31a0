// Spanish texts: menu, title and main groups, then the settings and analysis groups.
#include "i18n/I18nInternal.h"

namespace i18n_detail {
namespace {

const TextPair kTexts[] = {
    {L"Name", L"Español"},
    {L"Msg_SettingsNotSaved", L"No se pudo guardar la configuración. Los cambios pueden perderse al cerrar el programa. Compruebe que este archivo se puede escribir (y que ninguna carpeta tiene su nombre):"},
    {L"LanguageIsChinese", L"0"},
    {L"Settings_Cat7", L"Colores de la interfaz"},
    {L"Settings_ColorPresetTitle", L"Combinación de colores"},
    {L"Settings_ColorPresetNone", L"(Elegir una combinación…)"},
    {L"Settings_ColorTip", L"Se aplica al instante; ajuste abajo (* = personalizado)"},
    {L"Settings_ColorReset", L"Restablecer los colores del tema"},
    {L"Settings_OpenUiColors", L"Abrir configuración de colores"},
    {L"Settings_ColorChange", L"Cambiar"},
    {L"TrayTip", L"Tarnwick - {0} Mostrar/Ocultar"},
    {L"Menu_Homepage", L"Página web"},
    {L"Menu_Language", L"Idioma"},
    {L"Menu_OpenLanguageFolder", L"Abrir el archivo de idioma actual"},
    {L"Menu_Enable", L"Activar"},
    {L"Menu_Disable", L"Desactivar"},
    {L"Menu_InitialSearch", L"Búsqueda inicial"},
    {L"Menu_InitialSearchToggle", L"Búsqueda inicial (activar/desactivar)"},
    {L"Menu_Features", L"Funciones"},
    {L"Menu_AutoStart", L"Ejecutar al iniciar Windows"},
    {L"Menu_SetHotkey", L"Definir atajo para mostrar/ocultar"},
    {L"Menu_ClearRecent", L"Vaciar la lista de archivos recientes"},
    {L"Menu_ShowMainWindow", L"Mostrar ventana"},
    {L"Menu_Exit", L"Salir"},
    {L"Menu_FilterLayoutSidebar", L"Diseño de filtros: barra lateral"},
    {L"Menu_FilterLayoutTopbar", L"Diseño de filtros: barra superior"},
    {L"Menu_ResultGridLinesToggle", L"Cuadrícula de resultados (alternar)"},
    {L"Menu_Open", L"Abrir"},
    {L"Menu_OpenContainingFolder", L"Abrir carpeta contenedora"},
    {L"Menu_Properties", L"Propiedades"},
    {L"Menu_SystemContext", L"Menú contextual del sistema..."},
    {L"Menu_Copy", L"Copiar"},
    {L"Menu_Cut", L"Cortar"},
    {L"Menu_CopyFullPath", L"Copiar ruta completa"},
    {L"Menu_RenameF2", L"Cambiar nombre\tF2"},
    {L"Menu_MoveToRecycleDelete", L"Mover a la papelera\tSupr"},
    {L"Menu_DeletePermanentShiftDelete", L"Eliminar permanentemente\tMayús+Supr"},
    {L"Menu_RunAsAdmin", L"Ejecutar como administrador"},
    {L"Menu_OpenFilterConfig", L"Abrir archivo de configuración de filtros"},
    {L"Menu_ResetFilterTags", L"Restablecer filtros predeterminados"},
    {L"Menu_GlobalTrimToggle", L"Liberación global de memoria (alternar)"},
    {L"Menu_ThemeToggle", L"Tema: oscuro/claro"},
    {L"Filter.0", L"Todos los archivos"},
    {L"Filter.1", L"Carpetas"},
    {L"Filter.2", L"Documentos"},
    {L"Filter.3", L"Imágenes"},
    {L"Filter.4", L"Comprimidos"},
    {L"Filter.5", L"Aplicaciones"},
    {L"Filter.6", L"Vídeos"},
    {L"Filter.7", L"Audio"},
    {L"Filter_Folders", L"Carpetas"},
    {L"LanguageChanged", L"Idioma cambiado: "},
    {L"Menu_SetHotkeyForegroundExe", L"Definir atajo: mostrar la aplicación activa en el Explorador"},
    {L"app.name", L"Tarnwick"},
    {L"app.title.main", L"Tarnwick"},
    {L"App_Name", L"Tarnwick"},
    {L"App_TitleMain", L"Tarnwick"},
    {L"App_TitleMainLower", L"Tarnwick"},
    {L"App_FilterTitlePrefix", L"Tarnwick - Filtro: "},
    {L"App_FilterTitleHitsSeparator", L" | Coincidencias: "},
    {L"Menu_RefreshNonNtfs", L"Actualizar todos los índices no NTFS"},
    {L"Menu_View", L"Ver"},
    {L"Menu_ViewList", L"Lista"},
    {L"Menu_ViewSmallIcons", L"Iconos pequeños"},
    {L"Menu_ViewLargeIcons", L"Iconos grandes"},
    {L"Menu_Sort", L"Ordenar"},
    {L"Menu_SortByName", L"Por nombre"},
    {L"Menu_SortBySize", L"Por tamaño"},
    {L"Menu_SortByModified", L"Por fecha de modificación"},
    {L"Menu_SortByCreated", L"Por fecha de creación"},
    {L"Menu_SortByType", L"Por tipo"},
    {L"Menu_SortByPath", L"Por ruta"},
    {L"MsgTitle_Information", L"Información"},
    {L"MsgTitle_Error", L"Error"},
    {L"MsgTitle_Completed", L"Completado"},
    {L"MsgTitle_ConfirmDelete", L"Confirmar eliminación"},
    {L"MsgTitle_ConfirmReset", L"Confirmar restablecimiento"},
    {L"MsgTitle_LanguageSwitchConflict", L"Cambio de idioma - conflicto de filtros"},
    {L"Status_InitialSearchOn", L"Búsqueda inicial activada."},
    {L"Status_InitialSearchOff", L"Búsqueda inicial desactivada."},
    {L"Status_GlobalTrimOn", L"Liberación global de memoria activada."},
    {L"Status_GlobalTrimOff", L"Liberación global de memoria desactivada."},
    {L"Status_GridLinesOn", L"Cuadrícula de resultados visible."},
    {L"Status_GridLinesOff", L"Cuadrícula de resultados oculta."},
    {L"Msg_AdminRequired", L"Tarnwick debe ejecutarse como administrador para acceder al diario USN del disco.\n\nHaga clic con el botón derecho en el icono del programa y elija \"Ejecutar como administrador\"."},
    {L"Drive_LocalDiskPrefix", L"Disco local ("},
    {L"Msg_LanguageSwitchFilterConflict", L"Ha personalizado los filtros (filters.ini). ¿Qué desea hacer al cambiar de idioma?\n\nSí: sobrescribir filters.ini con los filtros predeterminados del nuevo idioma (permanente).\nNo: conservar sus filtros personalizados (recomendado).\nCancelar: usar los filtros predeterminados del nuevo idioma solo en esta sesión."},
    {L"Common_All", L"Todo"},
    {L"Common_Custom", L"Personalizado"},
    {L"Time_Today", L"Hoy"},
    {L"Time_7Days", L"7 días"},
    {L"Time_30Days", L"30 días"},
    {L"Time_RangeDefault", L"0-7(días atrás)"},
    {L"Status_HotkeyCaptureHint", L"Pulse el nuevo atajo para mostrar/ocultar (Esc para cancelar)..."},
    {L"Msg_HotkeyNeedModifier", L"El atajo debe incluir Ctrl, Alt o Mayús."},
    {L"Msg_HotkeyRegisterFailed", L"No se pudo registrar el atajo. Pruebe otra combinación."},
    {L"Msg_HotkeySetPrefix", L"Atajo establecido en: "},
    {L"Log_RefreshNonNtfsPrefix", L"Actualizar índices de volúmenes no NTFS"},
    {L"Log_NoNonNtfsForRefresh", L"No hay volúmenes no NTFS para actualizar."},
    {L"Log_ResultOk", L"OK"},
    {L"Log_ResultFail", L"ERROR"},
    {L"Scope_Desktop", L"Escritorio"},
    {L"Msg_RenameInvalidChars", L"El nombre contiene caracteres no válidos y no se puede usar."},
    {L"Msg_RenameFailedFormat", L"No se pudo cambiar el nombre.\nCódigo de error: %lu"},
    {L"Status_ContentSearchCanceled", L"Búsqueda de contenido cancelada."},
    {L"Header_RowNumber", L"#"},
    {L"Header_Name", L"Nombre"},
    {L"Header_Size", L"Tamaño"},
    {L"Header_Modified", L"Modificado"},
    {L"Header_Created", L"Creado"},
    {L"Header_Type", L"Tipo"},
    {L"Header_Path", L"Ruta"},
    {L"Status_IndexNotReadyRetry", L"El índice aún se está inicializando. Se reintentará la búsqueda en breve..."},
    {L"Status_FilteredFilesStartScanFmt", L"%zu archivos de texto filtrados, leyendo contenido... (Esc para cancelar)"},
    {L"Status_ScanningProgressFmt", L"Examinando contenido... (procesados %zu / %zu)"},
    {L"Status_PrewarmSortingDisabled", L"Precargando la caché. La ordenación está desactivada temporalmente."},
    {L"Status_HydrateProgressFmt", L"Obteniendo propiedades... (procesados %zu / %zu)"},
    {L"Msg_DeleteSingleConfirmPrefix", L"¿Eliminar permanentemente este archivo?\n\n"},
    {L"Msg_DeleteMultiConfirmPrefix", L"¿Eliminar permanentemente los "},
    {L"Msg_DeleteMultiConfirmSuffix", L" elementos seleccionados?"},
    {L"Msg_DeleteFailedCountFmt", L"No se pudieron eliminar %zu elementos seleccionados."},
    {L"Msg_RecycleDeleteFailed", L"No se pudo mover a la papelera. La eliminación alternativa también falló."},
    {L"Msg_CopyClipboardFailed", L"No se pudo copiar al portapapeles."},
    {L"Status_InitializingIndex", L"Inicializando el índice de todos los discos..."},
    {L"Status_InitIncompleteRetry", L"Inicialización incompleta. Reintentando cargar el índice en segundo plano..."},
    {L"Status_BackgroundStartupCompleted", L"Inicio en segundo plano completado. Los resultados y la precarga de la caché se harán al abrir la ventana."},
    {L"Status_NewDiskDetected", L"Se detectó un disco nuevo; la lista de unidades se actualizó."},
    {L"Status_DriveEjectDetected", L"Se detectó la expulsión de una unidad; los identificadores se liberaron antes."},
    {L"Status_DriveRemoved", L"Se quitó un disco; la selección se actualizó automáticamente."},
    {L"Status_NtfsIndexRemoved", L"Se detectó un disco desconectado; su índice NTFS se eliminó."},
    {L"Status_RefreshNonNtfsPrefix", L"Actualizados "},
    {L"Status_RefreshNonNtfsSingleSuffix", L" índices de volúmenes no NTFS; consulte la salida de depuración."},
    {L"Status_RefreshNonNtfsFailedMid", L" volúmenes no NTFS; "},
    {L"Status_RefreshNonNtfsFailedSuffix", L" con errores; consulte la salida de depuración."},
    {L"Status_RefreshNonNtfsFailed", L"No se pudieron actualizar los índices de volúmenes no NTFS; consulte la salida de depuración."},
    {L"Title_SearchPartialFmt", L"Tarnwick - %lld+ resultados..."},
    {L"Title_SearchFinalFmt", L"Tarnwick - %lld resultados"},
    {L"Status_SearchingShowingPrefix", L"Buscando... mostrando "},
    {L"Status_SearchingShowingSuffix", L" resultados"},
    {L"Status_FilterApplyingPrefix", L"Filtro: "},
    {L"Status_FilterApplyingSuffix", L" | Aplicando filtro..."},
    {L"Status_FilterHitsPrefix", L"Filtro: "},
    {L"Status_FilterHitsMid", L" | Coincidencias: "},
    {L"Status_RefreshingAllNonNtfs", L"Actualizando todos los índices de volúmenes no NTFS..."},
    {L"Msg_ResetFilterConfirm", L"¿Restablecer los filtros predeterminados?\n\n(Reinicie la aplicación para actualizar los botones de filtro.)"},
    {L"Msg_ResetComplete", L"La configuración se ha restablecido."},
    {L"Msg_AlreadyRunningPrefix", L"Tarnwick ya se está ejecutando.\n\nUse el atajo \""},
    {L"Msg_AlreadyRunningSuffix", L"\" para mostrar u ocultar la ventana principal."},
    {L"Status_InitializingSimple", L"Inicializando..."},
    {L"Status_HotkeyCaptureHintFgExe", L"Pulse el nuevo atajo de la aplicación activa (Esc para cancelar)..."},
    {L"Msg_HotkeySetPrefixFgExe", L"Atajo de ubicación de la aplicación activa establecido en: "},
    {L"Msg_HotkeyConflict", L"Esta combinación ya la usa el otro atajo. Elija otra."},
    {L"Msg_ForegroundExeOpenFailed", L"No se pudo obtener la ruta del proceso en primer plano (puede estar protegido)."},
    {L"Drive_LocalDiskOnly", L"Disco local"},
    {L"Dup_StatusFailed", L"El análisis falló"},
    {L"Dup_KeepOneCopy", L"Todas las copias de este grupo están seleccionadas. Conserve al menos una copia: no se eliminó nada."},
    {L"Dup_NoOtherCopy", L"No se pudo confirmar ninguna otra copia idéntica (los archivos pueden haber cambiado o desaparecido desde el análisis). No se eliminó nada."},
    {L"Status_JournalLostReindexFmt", L"Se perdió el diario de cambios de la unidad %s; la unidad se está volviendo a indexar en segundo plano..."},
    {L"Status_DriveReindexedFmt", L"La unidad %s se volvió a indexar; sus cambios se siguen de nuevo."},
    {L"Status_DriveReindexFailedFmt", L"No se pudo volver a indexar la unidad %s; queda fuera de las búsquedas hasta que se actualicen los índices."},
    // The content extension picker, its buttons, and messages of the file actions, the hotkeys
    // and the duplicate scan.
    {L"Button_OK", L"Aceptar"},
    {L"Button_Cancel", L"Cancelar"},
    {L"ContentExt_Title", L"Elegir tipos de archivo para la búsqueda de contenido"},
    {L"ContentExt_Tip", L"Marque las extensiones y pulse Aceptar; añada o elimine extensiones propias abajo."},
    {L"ContentExt_Custom", L"Ext. propia"},
    {L"ContentExt_Add", L"Añadir"},
    {L"ContentExt_Delete", L"Eliminar"},
    {L"ContentExt_SelectAll", L"Todo"},
    {L"ContentExt_Invert", L"Invertir"},
    {L"ContentExt_OpenConfig", L"Config."},
    {L"ContentExt_InputHint", L"Escriba extensiones, p. ej. .pdf o pdf,docx"},
    {L"ContentExt_DeleteHint", L"Primero marque o seleccione las extensiones que desea eliminar."},
    {L"ContentExt_DeleteConfirm", L"¿Eliminar de la lista las extensiones seleccionadas?\n(También se actualiza el archivo de configuración.)"},
    {L"ContentExt_NeedOne", L"Marque al menos una extensión."},
    {L"Status_ContentExtPicked", L"Extensiones de búsqueda de contenido fijadas. Escriba las palabras clave y pulse Intro. Puede seguir editando |exts a mano."},
    {L"Status_ContentSearchNoCandidates", L"No quedan archivos que examinar tras los filtros."},
    {L"Status_ContentSearchIncompleteFmt", L"Búsqueda de contenido incompleta: no se pudo iniciar un hilo de análisis (%zu encontrados hasta ahora)"},
    {L"Status_HotkeyInUse", L"Otro programa usa el atajo %s; atajo activo: %s."},
    {L"Status_HotkeyNone", L"ninguno"},
    {L"Msg_RecycleFailedAskPermanentFmt", L"%zu elemento(s) no se pudieron mover a la Papelera de reciclaje.\n\n¿Eliminarlos permanentemente?"},
    {L"Msg_RenameTrailingDot", L"Un nombre no puede terminar en punto ni en espacio."},
    {L"Msg_OpenManyConfirmFmt", L"¿Abrir %zu elementos?"},
    {L"Dup_PhaseSlowRetry", L"Reintentando archivos lentos"},
    {L"Analysis_DeleteChangedFmt", L"%zu archivo(s) seleccionado(s) cambiaron en el disco desde el análisis y no se eliminaron. Vuelva a analizar para verlos como están ahora."},
    {L"Dup_StatusCheckingFmt", L"Comprobando las copias antes de eliminar: %s de %s leídos (Esc cancela)"},
    {L"Dup_StatusDeleteCancelled", L"Eliminación cancelada: no se eliminó nada."},
    {L"Dup_StatusHashUnavailable", L"Error en el análisis: el hash SHA-256 del sistema no está disponible."},
};

const wchar_t* const kSettings[] = {
    L"Cerrar",  // Button_Close
    L"Claro",  // Theme_Light
    L"Oscuro",  // Theme_Dark
    L"Sin límite (puede ser lento)",  // Menu_ContentSizeNoLimit
    L"Centro de configuración",  // Settings_Title
    L"Idioma",  // Settings_Language
    L"Tema",  // Settings_Theme
    L"Mostrar los filtros en la barra lateral",  // Settings_UseSidebarLayout
    L"Omitir archivos mayores de",  // Settings_ContentMaxSize
    L"Hilos de búsqueda de contenido",  // Settings_ContentThreads
    L"Auto",  // Settings_Auto
    L"Definir",  // Settings_ChangeHotkey
    L"Consejo: haga clic en Definir y pulse las teclas (Esc para cancelar)",  // Settings_HotkeyTip
    L"Extensiones de la búsqueda de contenido",  // Settings_OpenZipExts
    L"Rutas internas de Office/ZIP",  // Settings_OpenZipPatterns
    L"Apariencia e idioma",  // Settings_Cat1
    L"General",  // Settings_Cat2
    L"Búsqueda de contenido",  // Settings_Cat3
    L"Atajos",  // Settings_Cat4
    L"Archivos de configuración",  // Settings_Cat5
    L"Mantenimiento",  // Settings_Cat6
    L"Configuración guardada.",  // Settings_Saved
    L"Tema cambiado.",  // Settings_ThemeChanged
    L"Lista de archivos recientes vaciada.",  // Settings_RecentCleared
    L"Idioma cambiado.",  // Settings_LanguageChanged
    L"Esperando...",  // Settings_HotkeyWaiting
    L"Requiere Ctrl/Alt/Mayús",  // Settings_HotkeyNeedModifierShort
    L"Conflicto, reintente",  // Settings_HotkeyConflictShort
    L"Error, reintente",  // Settings_HotkeyFailedShort
};

const wchar_t* const kAnalysis[] = {
    L"Cambiar a análisis",  // Menu_SwitchToAnalysis
    L"Modo análisis (use Volver a la búsqueda para regresar).",  // Status_SwitchedToAnalysis
    L"Modo búsqueda (análisis desde el menú contextual).",  // Status_SwitchedToSearch
    L"Volver a analizar",  // Analysis_Rescan
    L"Analizar",  // Analysis_StartScan
    L"Analizando...",  // Analysis_ScanningBtn
    L"Todas las unidades (ALL)",  // Analysis_DriveAll
    L"Unidad a analizar",  // Analysis_DriveLabel
    L"Volver a la búsqueda",  // Analysis_BackToSearch
    L"Análisis de disco",  // Analysis_ToolbarTitle
    L"Analizando la MFT...",  // Analysis_ScanningMft
    L"Análisis listo: %s (%zu elementos)",  // Analysis_ScanDoneFmt
    L"Error en el análisis del disco",  // Analysis_ScanFailed
    L"Seleccione una unidad para analizar",  // Analysis_NeedDrive
    L"Subir",  // Analysis_Up
    L"Analizando todos los discos...",  // Analysis_ScanningAll
    L"Análisis listo",  // Analysis_ScanDoneSimple
    L"Ruta",  // Analysis_Path
    L"Usado",  // Analysis_Used
    L"Libre",  // Analysis_Free
    L"Total",  // Analysis_Total
    L"Analizado",  // Analysis_Analyzed
    L"Todos los discos",  // Analysis_AllDisks
    L"Análisis de todos los discos",  // Analysis_AllDisksTitle
    L"Qué ocupa espacio",  // Analysis_StoryTitle
    L"Proporción",  // Analysis_Pct
    L"Tamaño",  // Analysis_Size
    L"Por tipo (de mayor a menor)",  // Analysis_ByType
    L"Clic para expandir",  // Analysis_ClickExpand
    L"Sin estadísticas por extensión",  // Analysis_NoExtStats
    L"No hay elementos que mostrar en esta carpeta",  // Analysis_NoItems
    L"No hay distribución de uso que mostrar aquí",  // Analysis_NoSunburst
    L"Analizando, espere...",  // Analysis_ScanningWait
    L"Seleccione una unidad o ALL para empezar el análisis",  // Analysis_SelectDriveHint
    L"Error de análisis",  // Analysis_ScanFailedShort
    L"Otros",  // Analysis_Other
    L"Otros (%d elementos)",  // Analysis_OtherFmt
    L"Clic en el centro para subir",  // Analysis_ClickCenterBack
    L"Clic para abrir",  // Analysis_ClickEnter
    L"Seleccionado",  // Analysis_Selected
    L"(sin extensión)",  // Analysis_NoExt
    L" elementos",  // Analysis_CountUnit
};

}  // namespace

LanguageTexts SpanishTexts() {
    LanguageTexts t;
    t.texts = kTexts;
    t.textCount = sizeof(kTexts) / sizeof(kTexts[0]);
    t.settings = kSettings;
    t.analysis = kAnalysis;
    return t;
}

}  // namespace i18n_detail
