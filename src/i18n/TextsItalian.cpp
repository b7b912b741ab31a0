// Italian texts: the menu group, then the settings and analysis groups.
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
    {L"Menu_ClearRecent", L"Svuota l'elenco dei file recenti"},
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
    {L"Dup_StatusCheckingFmt", L"Verifica delle copie prima dell'eliminazione: %s di %s letti (Esc annulla)"},
    {L"Dup_StatusDeleteCancelled", L"Eliminazione annullata: non è stato eliminato nulla."},
    {L"Dup_StatusHashUnavailable", L"Scansione non riuscita: l'hash SHA-256 del sistema non è disponibile."},
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
    L"Elenco dei file recenti svuotato.",  // Settings_RecentCleared
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
