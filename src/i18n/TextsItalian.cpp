// Italian texts: every key but the settings and analysis groups, then those two groups.
#include "i18n/I18nInternal.h"

namespace i18n_detail {
namespace {

const TextPair kTexts[] = {
    {L"Name", L"Italiano"},
    {L"Msg_SettingsNotSaved", L"Impossibile salvare le impostazioni. Le modifiche potrebbero andare perse alla chiusura del programma. Verificare che questo file sia scrivibile (e che nessuna cartella abbia il suo nome):"},
    {L"LanguageIsChinese", L"0"},
    {L"Settings_Cat7", L"Colori interfaccia"},
    {L"Settings_ColorPresetTitle", L"Preset colori"},
    {L"Settings_ColorPresetNone", L"(Scegli un preset…)"},
    {L"Settings_ColorTip", L"Si applica subito; rifinisci qui sotto (* = personalizzato)"},
    {L"Settings_ColorReset", L"Ripristina i colori predefiniti del tema"},
    {L"Settings_OpenUiColors", L"Apri configurazione colori"},
    {L"Settings_ColorChange", L"Modifica"},
    {L"TrayTip", L"Tarnwick - {0} Mostra/Nascondi"},
    {L"Menu_Homepage", L"Homepage"},
    {L"Menu_Language", L"Lingua"},
    {L"Menu_OpenLanguageFolder", L"Apri il file della lingua corrente"},
    {L"Menu_Enable", L"Attiva"},
    {L"Menu_Disable", L"Disattiva"},
    {L"Menu_InitialSearch", L"Ricerca iniziale"},
    {L"Menu_InitialSearchToggle", L"Ricerca iniziale (attiva/disattiva)"},
    {L"Menu_Features", L"Funzionalità"},
    {L"Menu_AutoStart", L"Avvia all'accensione"},
    {L"Menu_SetHotkey", L"Imposta tasto rapido Mostra/Nascondi"},
    {L"Menu_ClearRecent", L"Cancella file recenti"},
    {L"Menu_ShowMainWindow", L"Mostra finestra"},
    {L"Menu_Exit", L"Esci"},
    {L"Menu_FilterLayoutSidebar", L"Layout filtri: barra laterale"},
    {L"Menu_FilterLayoutTopbar", L"Layout filtri: barra superiore"},
    {L"Menu_ResultGridLinesToggle", L"Griglia nei risultati (attiva/disattiva)"},
    {L"Menu_Open", L"Apri"},
    {L"Menu_OpenContainingFolder", L"Apri percorso file"},
    {L"Menu_Properties", L"Proprietà"},
    {L"Menu_SystemContext", L"Menu contestuale di sistema..."},
    {L"Menu_Copy", L"Copia"},
    {L"Menu_Cut", L"Taglia"},
    {L"Menu_CopyFullPath", L"Copia percorso completo"},
    {L"Menu_RenameF2", L"Rinomina\tF2"},
    {L"Menu_MoveToRecycleDelete", L"Sposta nel Cestino\tCanc"},
    {L"Menu_DeletePermanentShiftDelete", L"Elimina definitivamente\tMaiusc+Canc"},
    {L"Menu_RunAsAdmin", L"Esegui come amministratore"},
    {L"Menu_OpenFilterConfig", L"Apri il file di configurazione dei filtri"},
    {L"Menu_ResetFilterTags", L"Ripristina i filtri predefiniti"},
    {L"Menu_GlobalTrimToggle", L"Pulizia globale della memoria (attiva/disattiva)"},
    {L"Menu_ThemeToggle", L"Tema: scuro/chiaro"},
    {L"Filter.0", L"Tutti i file"},
    {L"Filter.1", L"Cartelle"},
    {L"Filter.2", L"Documenti"},
    {L"Filter.3", L"Immagini"},
    {L"Filter.4", L"Archivi"},
    {L"Filter.5", L"Applicazioni"},
    {L"Filter.6", L"Video"},
    {L"Filter.7", L"Audio"},
    {L"Filter_Folders", L"Cartelle"},
    {L"LanguageChanged", L"Lingua cambiata: "},
    {L"Menu_SetHotkeyForegroundExe", L"Imposta tasto rapido: mostra l'app in primo piano in Esplora file"},
    // The title and main groups: window titles (the product's name alone stays as in the copied
    // English table), the View and Sort menus, message boxes, column headers and status texts.
    {L"App_FilterTitlePrefix", L"Tarnwick - Filtro: "},
    {L"App_FilterTitleHitsSeparator", L" | Risultati: "},
    {L"Menu_RefreshNonNtfs", L"Aggiorna tutti gli indici non NTFS"},
    {L"Menu_View", L"Visualizza"},
    {L"Menu_ViewList", L"Elenco"},
    {L"Menu_ViewSmallIcons", L"Icone piccole"},
    {L"Menu_ViewLargeIcons", L"Icone grandi"},
    {L"Menu_Sort", L"Ordina"},
    {L"Menu_SortByName", L"Per nome"},
    {L"Menu_SortBySize", L"Per dimensione"},
    {L"Menu_SortByModified", L"Per data di modifica"},
    {L"Menu_SortByCreated", L"Per data di creazione"},
    {L"Menu_SortByType", L"Per tipo"},
    {L"Menu_SortByPath", L"Per percorso"},
    {L"MsgTitle_Information", L"Informazioni"},
    {L"MsgTitle_Error", L"Errore"},
    {L"MsgTitle_Completed", L"Completato"},
    {L"MsgTitle_ConfirmDelete", L"Conferma eliminazione"},
    {L"MsgTitle_ConfirmReset", L"Conferma ripristino"},
    {L"MsgTitle_LanguageSwitchConflict", L"Cambio lingua - conflitto dei filtri"},
    {L"Status_InitialSearchOn", L"Ricerca iniziale attivata."},
    {L"Status_InitialSearchOff", L"Ricerca iniziale disattivata."},
    {L"Status_GlobalTrimOn", L"Pulizia globale della memoria attivata."},
    {L"Status_GlobalTrimOff", L"Pulizia globale della memoria disattivata."},
    {L"Status_GridLinesOn", L"Griglia dei risultati visibile."},
    {L"Status_GridLinesOff", L"Griglia dei risultati nascosta."},
    {L"Msg_AdminRequired", L"Tarnwick deve essere eseguito come amministratore per accedere al journal USN del disco.\n\nFai clic con il tasto destro sull'icona del programma e scegli \"Esegui come amministratore\"."},
    {L"Drive_LocalDiskPrefix", L"Disco locale ("},
    {L"Msg_LanguageSwitchFilterConflict", L"Hai personalizzato i filtri (filters.ini). Come procedere al cambio di lingua?\n\nSì: sovrascrivi filters.ini con i filtri predefiniti della nuova lingua (permanente).\nNo: mantieni i filtri personalizzati attuali (consigliato).\nAnnulla: usa i filtri predefiniti della nuova lingua solo per questa sessione."},
    {L"Common_All", L"Tutti"},
    {L"Common_Custom", L"Personalizzato"},
    {L"Time_Today", L"Oggi"},
    {L"Time_7Days", L"7 giorni"},
    {L"Time_30Days", L"30 giorni"},
    {L"Time_RangeDefault", L"0-7(giorni fa)"},
    {L"Status_HotkeyCaptureHint", L"Premi la nuova scorciatoia per mostra/nascondi (Esc per annullare)..."},
    {L"Msg_HotkeyNeedModifier", L"La scorciatoia deve includere Ctrl, Alt o Maiusc."},
    {L"Msg_HotkeyRegisterFailed", L"Impossibile registrare la scorciatoia. Prova un'altra combinazione."},
    {L"Msg_HotkeySetPrefix", L"Scorciatoia impostata su: "},
    {L"Log_RefreshNonNtfsPrefix", L"Aggiorna gli indici dei volumi non NTFS"},
    {L"Log_NoNonNtfsForRefresh", L"Nessun volume non NTFS da aggiornare."},
    {L"Log_ResultOk", L"OK"},
    {L"Log_ResultFail", L"ERRORE"},
    {L"Scope_Desktop", L"Desktop"},
    {L"Msg_RenameInvalidChars", L"Il nome contiene caratteri non validi e non può essere usato."},
    {L"Msg_RenameFailedFormat", L"Rinomina non riuscita.\nCodice di errore: %lu"},
    {L"Status_ContentSearchCanceled", L"Ricerca nel contenuto annullata."},
    {L"Header_RowNumber", L"#"},
    {L"Header_Name", L"Nome"},
    {L"Header_Size", L"Dimensione"},
    {L"Header_Modified", L"Modificato"},
    {L"Header_Created", L"Creato"},
    {L"Header_Type", L"Tipo"},
    {L"Header_Path", L"Percorso"},
    {L"Status_IndexNotReadyRetry", L"L'indice è ancora in inizializzazione. La ricerca verrà ripetuta a breve..."},
    {L"Status_FilteredFilesStartScanFmt", L"Filtrati %zu file di testo, lettura del contenuto... (Esc per annullare)"},
    {L"Status_ScanningProgressFmt", L"Analisi del contenuto... (elaborati %zu / %zu)"},
    {L"Status_PrewarmSortingDisabled", L"Precaricamento della cache in corso. L'ordinamento è temporaneamente disattivato."},
    {L"Status_HydrateProgressFmt", L"Lettura delle proprietà... (elaborati %zu / %zu)"},
    {L"Msg_DeleteSingleConfirmPrefix", L"Eliminare definitivamente questo file?\n\n"},
    {L"Msg_DeleteMultiConfirmPrefix", L"Eliminare definitivamente i "},
    {L"Msg_DeleteMultiConfirmSuffix", L" elementi selezionati?"},
    {L"Msg_DeleteFailedCountFmt", L"Impossibile eliminare %zu elementi selezionati."},
    {L"Msg_RecycleDeleteFailed", L"Impossibile spostare nel Cestino. Anche l'eliminazione alternativa non è riuscita."},
    {L"Msg_CopyClipboardFailed", L"Impossibile copiare negli Appunti."},
    {L"Status_InitializingIndex", L"Inizializzazione dell'indice di tutti i dischi..."},
    {L"Status_InitIncompleteRetry", L"Inizializzazione incompleta. Nuovo tentativo di caricare l'indice in background..."},
    {L"Status_BackgroundStartupCompleted", L"Avvio in background completato. Risultati e precaricamento della cache verranno eseguiti all'apertura della finestra."},
    {L"Status_NewDiskDetected", L"Rilevato un nuovo disco; l'elenco delle unità è stato aggiornato."},
    {L"Status_DriveEjectDetected", L"Rilevata l'espulsione di un'unità; gli handle sono stati rilasciati in anticipo."},
    {L"Status_DriveRemoved", L"Un disco è stato rimosso; la selezione è stata aggiornata automaticamente."},
    {L"Status_NtfsIndexRemoved", L"Rilevato un disco scollegato; il suo indice NTFS è stato rimosso."},
    {L"Status_RefreshNonNtfsPrefix", L"Aggiornati "},
    {L"Status_RefreshNonNtfsSingleSuffix", L" indici di volumi non NTFS; vedi l'output di debug per i dettagli."},
    {L"Status_RefreshNonNtfsFailedMid", L" volumi non NTFS; "},
    {L"Status_RefreshNonNtfsFailedSuffix", L" non riusciti; vedi l'output di debug per i dettagli."},
    {L"Status_RefreshNonNtfsFailed", L"Impossibile aggiornare gli indici dei volumi non NTFS; vedi l'output di debug per i dettagli."},
    {L"Title_SearchPartialFmt", L"Tarnwick - %lld+ risultati..."},
    {L"Title_SearchFinalFmt", L"Tarnwick - %lld risultati"},
    {L"Status_SearchingShowingPrefix", L"Ricerca in corso... visualizzati "},
    {L"Status_SearchingShowingSuffix", L" risultati"},
    {L"Status_FilterApplyingPrefix", L"Filtro: "},
    {L"Status_FilterApplyingSuffix", L" | Applicazione del filtro..."},
    {L"Status_FilterHitsPrefix", L"Filtro: "},
    {L"Status_FilterHitsMid", L" | Risultati: "},
    {L"Status_RefreshingAllNonNtfs", L"Aggiornamento di tutti gli indici dei volumi non NTFS..."},
    {L"Msg_ResetFilterConfirm", L"Ripristinare le etichette dei filtri predefinite?\n\n(Riavvia l'app per aggiornare i pulsanti dei filtri.)"},
    {L"Msg_ResetComplete", L"Le impostazioni sono state ripristinate."},
    {L"Msg_AlreadyRunningPrefix", L"Tarnwick è già in esecuzione.\n\nUsa la scorciatoia \""},
    {L"Msg_AlreadyRunningSuffix", L"\" per mostrare o nascondere la finestra principale."},
    {L"Status_InitializingSimple", L"Inizializzazione..."},
    {L"Status_HotkeyCaptureHintFgExe", L"Premi la nuova scorciatoia dell'app in primo piano (Esc per annullare)..."},
    {L"Msg_HotkeySetPrefixFgExe", L"Scorciatoia per la posizione dell'app in primo piano impostata su: "},
    {L"Msg_HotkeyConflict", L"Questa combinazione è già usata dall'altra scorciatoia. Scegline un'altra."},
    {L"Msg_ForegroundExeOpenFailed", L"Impossibile ottenere il percorso del processo in primo piano (potrebbe essere protetto)."},
    {L"Drive_LocalDiskOnly", L"Disco locale"},
    // The duplicate finder, Select All, the analysis columns and hints, and two Settings Center
    // options.
    {L"Menu_SelectAll", L"Seleziona tutto\tCtrl+A"},
    {L"Analysis_FolderCol", L"Cartella"},
    {L"Analysis_ExtCol", L"Estensione"},
    {L"Analysis_AutoSelectDrive", L"La modalità analisi ha selezionato la prima unità. Cambia unità dall'elenco a discesa."},
    {L"Analysis_DesktopHint", L"L'ambito Desktop vale per la modalità ricerca; l'analisi usa la prima unità. Scegli ALL per tutti i dischi."},
    {L"Settings_AlwaysOnTop", L"Finestra sempre in primo piano"},
    {L"Settings_ShowRecentOpens", L"Mostra i file aperti di recente"},
    {L"Menu_SwitchToDup", L"Passa ai file duplicati"},
    {L"Status_SwitchedToDup", L"Modalità file duplicati (clic destro per cambiare modalità)"},
    {L"Dup_Title", L"File duplicati"},
    {L"Dup_ListHeader", L"Gruppi (stesso contenuto)"},
    {L"Dup_NoResults", L"Nessun file duplicato trovato"},
    {L"Dup_HintStart", L"Seleziona un'unità e fai clic su Analizza"},
    {L"Dup_DriveAll", L"Tutte le unità (ALL)"},
    {L"Dup_Scan", L"Analizza"},
    {L"Dup_Rescan", L"Analizza di nuovo"},
    {L"Dup_Scanning", L"Analisi..."},
    {L"Dup_Cancel", L"Annulla"},
    {L"Dup_Pause", L"Pausa"},
    {L"Dup_Resume", L"Riprendi"},
    {L"Dup_Paused", L"In pausa"},
    {L"Dup_CurrentFile", L"Corrente"},
    {L"Dup_StatusCancelling", L"Annullamento dell'analisi..."},
    {L"Dup_Back", L"Indietro"},
    {L"Dup_StatusEnum", L"Lettura dell'indice / delle dimensioni MFT..."},
    {L"Dup_StatusEnumAll", L"Raccolta dell'indice di tutte le unità..."},
    {L"Dup_StatusMft", L"Lettura delle dimensioni dei file dalla MFT..."},
    {L"Dup_StatusMftReuse", L"Riuso delle dimensioni dell'analisi (senza MFT)..."},
    {L"Dup_StatusHash", L"Confronto del contenuto dei file candidati..."},
    {L"Dup_StatusHashFast", L"Confronto rapido a campione (senza hash completo)..."},
    {L"Dup_StatusSizeOnly", L"Raggruppamento per dimensione/estensione (senza hash)..."},
    {L"Dup_StatusQuickStatsFmt", L"Hash a campione: %llu (saltati per dimensione unica %llu / candidati %llu, gruppi per dimensione %llu)"},
    {L"Dup_StatusDoneFmt", L"Trovati %zu gruppi di duplicati"},
    {L"Dup_StatusCacheFmt", L"Cache caricata: %zu gruppi di duplicati"},
    {L"Dup_StatusCancelled", L"Analisi annullata"},
    {L"Dup_StatusNoIndex", L"Indice non ancora pronto; scansione delle cartelle..."},
    {L"Dup_WasteLabel", L"Dimensione totale"},
    {L"Dup_WasteShort", L"Totale"},
    {L"Dup_GroupsChip", L"Gruppi"},
    {L"Dup_FilesChip", L"File"},
    {L"Dup_FromCache", L"in cache"},
    {L"Dup_PhaseIndex", L"Lettura indice"},
    {L"Dup_PhaseMft", L"Lettura dimensioni MFT"},
    {L"Dup_PhaseFilter", L"Filtro per dimensione"},
    {L"Dup_PhaseQuick", L"Confronto hash rapido"},
    {L"Dup_PhaseFull", L"Verifica hash completa"},
    {L"Dup_PhaseCache", L"Caricamento cache"},
    {L"Dup_ModeSizeOnly", L"Solo dimensione (senza hash)"},
    {L"Dup_ModeFast", L"Rapido (hash a campione)"},
    {L"Dup_ModeExact", L"Esatto (hash completo)"},
    {L"Dup_StatusDoneSizeFmt", L"Trovati %zu gruppi per dimensione (senza hash)"},
    {L"Dup_StatusDoneFastFmt", L"Trovati %zu gruppi (modalità rapida)"},
    {L"Dup_StatusSizeOnlyFmt", L"Solo dimensione: stessa estensione %llu gruppi, estensioni miste %llu (saltati unici %llu / candidati %llu)"},
    {L"Dup_ChartHeader", L"Gruppi di duplicati per dimensione (clic per esaminare)"},
    {L"Dup_DetailHeader", L"File del gruppo"},
    {L"Dup_DetailEmpty", L"Seleziona un gruppo a sinistra"},
    {L"Dup_StatusFailed", L"Scansione non riuscita"},
    {L"Dup_KeepOneCopy", L"Tutte le copie di questo gruppo sono selezionate. Conserva almeno una copia: non è stato eliminato nulla."},
    {L"Dup_NoOtherCopy", L"Non è stato possibile confermare un'altra copia identica (i file potrebbero essere cambiati o spariti dopo la scansione). Non è stato eliminato nulla."},
    {L"Status_JournalLostReindexFmt", L"Il journal delle modifiche dell'unità %s è andato perso; l'unità viene reindicizzata in background..."},
    {L"Status_DriveReindexedFmt", L"L'unità %s è stata reindicizzata; le sue modifiche vengono di nuovo seguite."},
    {L"Status_DriveReindexFailedFmt", L"Impossibile reindicizzare l'unità %s; resta esclusa dalle ricerche finché gli indici non vengono aggiornati."},
    // The content extension picker, its buttons, and messages of the file actions, the hotkeys
    // and the duplicate scan.
    {L"Button_OK", L"OK"},
    {L"Button_Cancel", L"Annulla"},
    {L"ContentExt_Title", L"Scegli i tipi di file per la ricerca nel contenuto"},
    {L"ContentExt_Tip", L"Seleziona le estensioni e premi OK; aggiungi/elimina estensioni personalizzate qui sotto."},
    {L"ContentExt_Custom", L"Est. personale"},
    {L"ContentExt_Add", L"Aggiungi"},
    {L"ContentExt_Delete", L"Elimina"},
    {L"ContentExt_SelectAll", L"Tutti"},
    {L"ContentExt_Invert", L"Inverti"},
    {L"ContentExt_OpenConfig", L"Config."},
    {L"ContentExt_InputHint", L"Inserisci le estensioni, ad es. .pdf o pdf,docx"},
    {L"ContentExt_DeleteHint", L"Prima seleziona o spunta le estensioni da eliminare."},
    {L"ContentExt_DeleteConfirm", L"Eliminare dall'elenco le estensioni selezionate?\n(Viene aggiornato anche il file di configurazione.)"},
    {L"ContentExt_NeedOne", L"Seleziona almeno un'estensione."},
    {L"Status_ContentExtPicked", L"Estensioni per la ricerca nel contenuto impostate. Digita le parole chiave e premi Invio. Puoi ancora modificare |est a mano."},
    {L"Status_ContentSearchNoCandidates", L"Nessun file da analizzare dopo i filtri."},
    {L"Status_ContentSearchIncompleteFmt", L"Ricerca nel contenuto incompleta: un thread di scansione non è partito (%zu trovati finora)"},
    {L"Status_HotkeyInUse", L"La scorciatoia %s è usata da un altro programma; scorciatoia attiva: %s."},
    {L"Status_HotkeyNone", L"nessuna"},
    {L"Msg_RecycleFailedAskPermanentFmt", L"Impossibile spostare nel Cestino %zu elemento/i.\n\nEliminarli definitivamente?"},
    {L"Msg_RenameTrailingDot", L"Un nome non può terminare con un punto o uno spazio."},
    {L"Msg_OpenManyConfirmFmt", L"Aprire %zu elementi?"},
    {L"Dup_PhaseSlowRetry", L"Nuovo tentativo sui file lenti"},
    {L"Analysis_DeleteChangedFmt", L"%zu file selezionati sono cambiati sul disco dopo l'analisi e non sono stati eliminati. Ripeti la scansione per vederli come sono ora."},
};

const wchar_t* const kSettings[] = {
    L"Chiudi",  // Button_Close
    L"Chiaro",  // Theme_Light
    L"Scuro",  // Theme_Dark
    L"Nessun limite (può essere lento)",  // Menu_ContentSizeNoLimit
    L"Centro impostazioni",  // Settings_Title
    L"Lingua",  // Settings_Language
    L"Tema",  // Settings_Theme
    L"Mostra i filtri nella barra laterale",  // Settings_UseSidebarLayout
    L"Salta i file più grandi di",  // Settings_ContentMaxSize
    L"Thread per la ricerca nei contenuti",  // Settings_ContentThreads
    L"Auto",  // Settings_Auto
    L"Imposta",  // Settings_ChangeHotkey
    L"Suggerimento: fai clic su Imposta, poi premi i tasti (Esc annulla)",  // Settings_HotkeyTip
    L"Estensioni per la ricerca nei contenuti",  // Settings_OpenZipExts
    L"Percorsi interni di Office/ZIP",  // Settings_OpenZipPatterns
    L"Aspetto e lingua",  // Settings_Cat1
    L"Generale",  // Settings_Cat2
    L"Ricerca nei contenuti",  // Settings_Cat3
    L"Tasti rapidi",  // Settings_Cat4
    L"File di configurazione",  // Settings_Cat5
    L"Manutenzione",  // Settings_Cat6
    L"Impostazioni salvate.",  // Settings_Saved
    L"Tema cambiato.",  // Settings_ThemeChanged
    L"File recenti cancellati.",  // Settings_RecentCleared
    L"Lingua cambiata.",  // Settings_LanguageChanged
    L"In attesa...",  // Settings_HotkeyWaiting
    L"Serve Ctrl/Alt/Maiusc",  // Settings_HotkeyNeedModifierShort
    L"Conflitto, riprova",  // Settings_HotkeyConflictShort
    L"Non riuscito, riprova",  // Settings_HotkeyFailedShort
};

const wchar_t* const kAnalysis[] = {
    L"Passa all'analisi",  // Menu_SwitchToAnalysis
    L"Modalità analisi (usa Torna alla ricerca per tornare).",  // Status_SwitchedToAnalysis
    L"Modalità ricerca (analisi dal menu contestuale).",  // Status_SwitchedToSearch
    L"Analizza di nuovo",  // Analysis_Rescan
    L"Analizza",  // Analysis_StartScan
    L"Analisi...",  // Analysis_ScanningBtn
    L"Tutte le unità (ALL)",  // Analysis_DriveAll
    L"Unità da analizzare",  // Analysis_DriveLabel
    L"Torna alla ricerca",  // Analysis_BackToSearch
    L"Analisi disco",  // Analysis_ToolbarTitle
    L"Analisi della MFT...",  // Analysis_ScanningMft
    L"Analisi completata: %s (%zu elementi)",  // Analysis_ScanDoneFmt
    L"Analisi del disco non riuscita",  // Analysis_ScanFailed
    L"Seleziona un'unità da analizzare",  // Analysis_NeedDrive
    L"Su",  // Analysis_Up
    L"Analisi di tutti i dischi...",  // Analysis_ScanningAll
    L"Analisi completata",  // Analysis_ScanDoneSimple
    L"Percorso",  // Analysis_Path
    L"Usato",  // Analysis_Used
    L"Libero",  // Analysis_Free
    L"Totale",  // Analysis_Total
    L"Analizzato",  // Analysis_Analyzed
    L"Tutti i dischi",  // Analysis_AllDisks
    L"Analisi di tutti i dischi",  // Analysis_AllDisksTitle
    L"Cosa occupa spazio",  // Analysis_StoryTitle
    L"Quota",  // Analysis_Pct
    L"Dimensione",  // Analysis_Size
    L"Per tipo (dal più grande)",  // Analysis_ByType
    L"Fai clic per espandere",  // Analysis_ClickExpand
    L"Nessuna statistica per estensione",  // Analysis_NoExtStats
    L"Nessun elemento da mostrare in questa cartella",  // Analysis_NoItems
    L"Nessuna distribuzione da mostrare qui",  // Analysis_NoSunburst
    L"Analisi in corso, attendere...",  // Analysis_ScanningWait
    L"Seleziona un'unità o ALL per avviare l'analisi",  // Analysis_SelectDriveHint
    L"Analisi non riuscita",  // Analysis_ScanFailedShort
    L"Altro",  // Analysis_Other
    L"Altro (%d elementi)",  // Analysis_OtherFmt
    L"Fai clic al centro per salire",  // Analysis_ClickCenterBack
    L"Fai clic per aprire",  // Analysis_ClickEnter
    L"Selezionato",  // Analysis_Selected
    L"(nessuna estensione)",  // Analysis_NoExt
    L" elementi",  // Analysis_CountUnit
};

}  // namespace

LanguageTexts ItalianTexts() {
    LanguageTexts t;
    t.texts = kTexts;
    t.textCount = sizeof(kTexts) / sizeof(kTexts[0]);
    t.settings = kSettings;
    t.analysis = kAnalysis;
    return t;
}

}  // namespace i18n_detail
