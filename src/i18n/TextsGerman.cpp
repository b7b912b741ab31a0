// German texts: menu, title and main groups, then the settings and analysis groups.
#include "i18n/I18nInternal.h"

namespace i18n_detail {
namespace {

const TextPair kTexts[] = {
    {L"Name", L"Deutsch (DE)"},
    {L"Msg_SettingsNotSaved", L"Ihre Einstellungen konnten nicht gespeichert werden. Änderungen daran können beim Beenden des Programms verloren gehen. Stellen Sie sicher, dass diese Datei geschrieben werden kann (und dass kein Ordner ihren Namen trägt):"},
    {L"LanguageIsChinese", L"0"},
    {L"Settings_Cat7", L"UI-Farben"},
    {L"Settings_ColorPresetTitle", L"Farbvorlage"},
    {L"Settings_ColorPresetNone", L"(Vorlage wählen…)"},
    {L"Settings_ColorTip", L"Wirkt sofort; unten feinabstimmen (* = angepasst)"},
    {L"Settings_ColorReset", L"Farben auf Design-Standard zurücksetzen"},
    {L"Settings_OpenUiColors", L"UI-Farbkonfiguration öffnen"},
    {L"Settings_ColorChange", L"Ändern"},
    {L"TrayTip", L"Tarnwick – {0} Ein-/Ausblenden"},
    {L"Menu_Homepage", L"Startseite"},
    {L"Menu_Language", L"Sprache"},
    {L"Menu_OpenLanguageFolder", L"Aktuelle Sprachdatei öffnen"},
    {L"Menu_Enable", L"Aktivieren"},
    {L"Menu_Disable", L"Deaktivieren"},
    {L"Menu_InitialSearch", L"Startsuche"},
    {L"Menu_InitialSearchToggle", L"Startsuche (ein/aus)"},
    {L"Menu_Features", L"Funktionen"},
    {L"Menu_AutoStart", L"Beim Systemstart ausführen"},
    {L"Menu_SetHotkey", L"Hotkey zum Ein-/Ausblenden festlegen"},
    {L"Menu_ClearRecent", L"Liste der zuletzt geöffneten Dateien leeren"},
    {L"Menu_ShowMainWindow", L"Fenster anzeigen"},
    {L"Menu_Exit", L"Beenden"},
    {L"Menu_FilterLayoutSidebar", L"Filterlayout: Seitenleiste"},
    {L"Menu_FilterLayoutTopbar", L"Filterlayout: Obere Leiste"},
    {L"Menu_ResultGridLinesToggle", L"Gitternetzlinien in Ergebnissen (umschalten)"},
    {L"Menu_Open", L"Öffnen"},
    {L"Menu_OpenContainingFolder", L"Übergeordneten Ordner öffnen"},
    {L"Menu_Properties", L"Eigenschaften"},
    {L"Menu_SystemContext", L"System-Kontextmenü..."},
    {L"Menu_Copy", L"Kopieren"},
    {L"Menu_Cut", L"Ausschneiden"},
    {L"Menu_CopyFullPath", L"Vollständigen Pfad kopieren"},
    {L"Menu_RenameF2", L"Umbenennen\tF2"},
    {L"Menu_MoveToRecycleDelete", L"In den Papierkorb verschieben\tEntf"},
    {L"Menu_DeletePermanentShiftDelete", L"Endgültig löschen\tUmschalt+Entf"},
    {L"Menu_RunAsAdmin", L"Als Administrator ausführen"},
    {L"Menu_OpenFilterConfig", L"Filterkonfiguration öffnen"},
    {L"Menu_ResetFilterTags", L"Filter-Tags auf Standard zurücksetzen"},
    {L"Menu_GlobalTrimToggle", L"Globale Speicherbereinigung (umschalten)"},
    {L"Menu_ThemeToggle", L"Design: Dunkel/Hell"},
    {L"Filter.0", L"Alle Dateien"},
    {L"Filter.1", L"Ordner"},
    {L"Filter.2", L"Dokumente"},
    {L"Filter.3", L"Bilder"},
    {L"Filter.4", L"Archive"},
    {L"Filter.5", L"Anwendungen"},
    {L"Filter.6", L"Videos"},
    {L"Filter.7", L"Audio"},
    {L"Filter_Folders", L"Ordner"},
    {L"LanguageChanged", L"Sprache gewechselt: "},
    {L"Menu_SetHotkeyForegroundExe", L"Hotkey festlegen: Vordergrund-App im Explorer zeigen"},
    {L"app.name", L"Tarnwick"},
    {L"app.title.main", L"Tarnwick"},
    {L"App_Name", L"Tarnwick"},
    {L"App_TitleMain", L"Tarnwick"},
    {L"App_TitleMainLower", L"Tarnwick"},
    {L"App_FilterTitlePrefix", L"Tarnwick – Filter: "},
    {L"App_FilterTitleHitsSeparator", L" | Treffer: "},
    {L"Menu_RefreshNonNtfs", L"Alle Nicht-NTFS-Indizes aktualisieren"},
    {L"Menu_View", L"Ansicht"},
    {L"Menu_ViewList", L"Liste"},
    {L"Menu_ViewSmallIcons", L"Kleine Symbole"},
    {L"Menu_ViewLargeIcons", L"Große Symbole"},
    {L"Menu_Sort", L"Sortieren"},
    {L"Menu_SortByName", L"Nach Name"},
    {L"Menu_SortBySize", L"Nach Größe"},
    {L"Menu_SortByModified", L"Nach Änderungsdatum"},
    {L"Menu_SortByCreated", L"Nach Erstellungsdatum"},
    {L"Menu_SortByType", L"Nach Typ"},
    {L"Menu_SortByPath", L"Nach Pfad"},
    {L"MsgTitle_Information", L"Hinweis"},
    {L"MsgTitle_Error", L"Fehler"},
    {L"MsgTitle_Completed", L"Abgeschlossen"},
    {L"MsgTitle_ConfirmDelete", L"Löschen bestätigen"},
    {L"MsgTitle_ConfirmReset", L"Zurücksetzen bestätigen"},
    {L"MsgTitle_LanguageSwitchConflict", L"Sprachwechsel – Filterkonflikt"},
    {L"Status_InitialSearchOn", L"Startsuche aktiviert."},
    {L"Status_InitialSearchOff", L"Startsuche deaktiviert."},
    {L"Status_GlobalTrimOn", L"Globale Speicherbereinigung aktiviert."},
    {L"Status_GlobalTrimOff", L"Globale Speicherbereinigung deaktiviert."},
    {L"Status_GridLinesOn", L"Gitternetzlinien werden angezeigt."},
    {L"Status_GridLinesOff", L"Gitternetzlinien sind ausgeblendet."},
    {L"Msg_AdminRequired", L"Tarnwick muss als Administrator ausgeführt werden, um das USN-Journal des Datenträgers zu lesen.\n\nKlicken Sie mit der rechten Maustaste auf das Programmsymbol und wählen Sie „Als Administrator ausführen“."},
    {L"Drive_LocalDiskPrefix", L"Lokaler Datenträger ("},
    {L"Msg_LanguageSwitchFilterConflict", L"Sie haben die Filter angepasst (filters.ini). Wie soll beim Sprachwechsel damit verfahren werden?\n\nJa: filters.ini mit den Standardfiltern der neuen Sprache überschreiben (dauerhaft).\nNein: Ihre eigenen Filter behalten (empfohlen).\nAbbrechen: Die Standardfilter der neuen Sprache nur für diese Sitzung verwenden."},
    {L"Common_All", L"Alle"},
    {L"Common_Custom", L"Benutzerdefiniert"},
    {L"Time_Today", L"Heute"},
    {L"Time_7Days", L"7 Tage"},
    {L"Time_30Days", L"30 Tage"},
    {L"Time_RangeDefault", L"0-7(Tage zurück)"},
    {L"Status_HotkeyCaptureHint", L"Drücken Sie den neuen Hotkey zum Ein-/Ausblenden (Esc bricht ab)..."},
    {L"Msg_HotkeyNeedModifier", L"Der Hotkey muss Strg, Alt oder Umschalt enthalten."},
    {L"Msg_HotkeyRegisterFailed", L"Der Hotkey konnte nicht registriert werden. Versuchen Sie eine andere Kombination."},
    {L"Msg_HotkeySetPrefix", L"Hotkey festgelegt auf: "},
    {L"Log_RefreshNonNtfsPrefix", L"Nicht-NTFS-Volumeindizes aktualisieren"},
    {L"Log_NoNonNtfsForRefresh", L"Keine Nicht-NTFS-Volumes zum Aktualisieren vorhanden."},
    {L"Log_ResultOk", L"OK"},
    {L"Log_ResultFail", L"FEHLER"},
    {L"Scope_Desktop", L"Desktop"},
    {L"Msg_RenameInvalidChars", L"Der Name enthält ungültige Zeichen und kann nicht verwendet werden."},
    {L"Msg_RenameFailedFormat", L"Umbenennen fehlgeschlagen.\nFehlercode: %lu"},
    {L"Status_ContentSearchCanceled", L"Inhaltssuche abgebrochen."},
    {L"Header_RowNumber", L"Nr."},
    {L"Header_Name", L"Name"},
    {L"Header_Size", L"Größe"},
    {L"Header_Modified", L"Geändert"},
    {L"Header_Created", L"Erstellt"},
    {L"Header_Type", L"Typ"},
    {L"Header_Path", L"Pfad"},
    {L"Status_IndexNotReadyRetry", L"Der Index wird noch initialisiert. Die Suche wird gleich erneut versucht..."},
    {L"Status_FilteredFilesStartScanFmt", L"%zu Textdateien gefiltert, Inhalt wird gelesen... (Esc bricht ab)"},
    {L"Status_ScanningProgressFmt", L"Inhalte werden durchsucht... (%zu / %zu verarbeitet)"},
    {L"Status_PrewarmSortingDisabled", L"Cache wird vorgeladen. Sortieren ist vorübergehend deaktiviert."},
    {L"Status_HydrateProgressFmt", L"Eigenschaften werden ermittelt... (%zu / %zu verarbeitet)"},
    {L"Msg_DeleteSingleConfirmPrefix", L"Diese Datei endgültig löschen?\n\n"},
    {L"Msg_DeleteMultiConfirmPrefix", L"Die ausgewählten "},
    {L"Msg_DeleteMultiConfirmSuffix", L" Elemente endgültig löschen?"},
    {L"Msg_DeleteFailedCountFmt", L"%zu ausgewählte Elemente konnten nicht gelöscht werden."},
    {L"Msg_RecycleDeleteFailed", L"Verschieben in den Papierkorb nicht möglich. Auch das ersatzweise Löschen ist fehlgeschlagen."},
    {L"Msg_CopyClipboardFailed", L"Kopieren in die Zwischenablage fehlgeschlagen."},
    {L"Status_InitializingIndex", L"Index aller Laufwerke wird initialisiert..."},
    {L"Status_InitIncompleteRetry", L"Initialisierung unvollständig. Der Laufwerksindex wird im Hintergrund erneut geladen..."},
    {L"Status_BackgroundStartupCompleted", L"Start im Hintergrund abgeschlossen. Ergebnisse und Cache-Vorladen folgen beim Öffnen des Fensters."},
    {L"Status_NewDiskDetected", L"Ein neues Laufwerk wurde erkannt; die Laufwerksliste wurde aktualisiert."},
    {L"Status_DriveEjectDetected", L"Auswerfen eines Laufwerks erkannt; Handles wurden vorzeitig freigegeben."},
    {L"Status_DriveRemoved", L"Ein Laufwerk wurde entfernt; die Auswahl wurde automatisch angepasst."},
    {L"Status_NtfsIndexRemoved", L"Ein getrenntes Laufwerk wurde erkannt; sein NTFS-Index wurde entfernt."},
    {L"Status_RefreshNonNtfsPrefix", L"Aktualisiert: "},
    {L"Status_RefreshNonNtfsSingleSuffix", L" Nicht-NTFS-Volumeindizes; Details in der Debug-Ausgabe."},
    {L"Status_RefreshNonNtfsFailedMid", L" Nicht-NTFS-Volumes; "},
    {L"Status_RefreshNonNtfsFailedSuffix", L" fehlgeschlagen; Details in der Debug-Ausgabe."},
    {L"Status_RefreshNonNtfsFailed", L"Nicht-NTFS-Volumeindizes konnten nicht aktualisiert werden; Details in der Debug-Ausgabe."},
    {L"Title_SearchPartialFmt", L"Tarnwick – %lld+ Treffer..."},
    {L"Title_SearchFinalFmt", L"Tarnwick – %lld Treffer"},
    {L"Status_SearchingShowingPrefix", L"Suche läuft... angezeigt: "},
    {L"Status_SearchingShowingSuffix", L" Ergebnisse"},
    {L"Status_FilterApplyingPrefix", L"Filter: "},
    {L"Status_FilterApplyingSuffix", L" | Filter wird angewendet..."},
    {L"Status_FilterHitsPrefix", L"Filter: "},
    {L"Status_FilterHitsMid", L" | Treffer: "},
    {L"Status_RefreshingAllNonNtfs", L"Alle Nicht-NTFS-Volumeindizes werden aktualisiert..."},
    {L"Msg_ResetFilterConfirm", L"Filter-Tags auf Standard zurücksetzen?\n\n(Starten Sie die App neu, um die Filterschaltflächen zu aktualisieren.)"},
    {L"Msg_ResetComplete", L"Die Einstellungen wurden zurückgesetzt."},
    {L"Msg_AlreadyRunningPrefix", L"Tarnwick wird bereits ausgeführt.\n\nMit dem Hotkey \""},
    {L"Msg_AlreadyRunningSuffix", L"\" blenden Sie das Hauptfenster ein oder aus."},
    {L"Status_InitializingSimple", L"Initialisierung..."},
    {L"Status_HotkeyCaptureHintFgExe", L"Drücken Sie den neuen Hotkey für die Vordergrund-App (Esc bricht ab)..."},
    {L"Msg_HotkeySetPrefixFgExe", L"Hotkey für den Speicherort der Vordergrund-App festgelegt auf: "},
    {L"Msg_HotkeyConflict", L"Diese Kombination wird bereits vom anderen Hotkey verwendet. Wählen Sie eine andere."},
    {L"Msg_ForegroundExeOpenFailed", L"Der Pfad des Vordergrundprozesses konnte nicht ermittelt werden (er ist möglicherweise geschützt)."},
    {L"Drive_LocalDiskOnly", L"Lokaler Datenträger"},
    {L"Dup_StatusFailed", L"Scan fehlgeschlagen"},
    {L"Dup_KeepOneCopy", L"Alle Kopien dieser Gruppe sind ausgewählt. Behalten Sie mindestens eine Kopie: Es wurde nichts gelöscht."},
    {L"Dup_NoOtherCopy", L"Es konnte keine andere identische Kopie bestätigt werden (Dateien wurden seit dem Scan möglicherweise geändert oder entfernt). Es wurde nichts gelöscht."},
    {L"Status_JournalLostReindexFmt", L"Das Änderungsjournal von Laufwerk %s ging verloren; das Laufwerk wird im Hintergrund neu indiziert..."},
    {L"Status_DriveReindexedFmt", L"Laufwerk %s wurde neu indiziert; seine Änderungen werden wieder verfolgt."},
    {L"Status_DriveReindexFailedFmt", L"Laufwerk %s konnte nicht neu indiziert werden und bleibt bis zur Aktualisierung der Indizes von der Suche ausgeschlossen."},
    // The content extension picker, its buttons, and messages of the file actions, the hotkeys
    // and the duplicate scan.
    {L"Button_OK", L"OK"},
    {L"Button_Cancel", L"Abbrechen"},
    {L"ContentExt_Title", L"Dateitypen für die Inhaltssuche wählen"},
    {L"ContentExt_Tip", L"Erweiterungen ankreuzen, dann OK; eigene Erweiterungen unten hinzufügen/löschen."},
    {L"ContentExt_Custom", L"Eigene Endung"},
    {L"ContentExt_Add", L"Hinzufügen"},
    {L"ContentExt_Delete", L"Löschen"},
    {L"ContentExt_SelectAll", L"Alle"},
    {L"ContentExt_Invert", L"Umkehren"},
    {L"ContentExt_OpenConfig", L"Konfig."},
    {L"ContentExt_InputHint", L"Erweiterungen eingeben, z. B. .pdf oder pdf,docx"},
    {L"ContentExt_DeleteHint", L"Zuerst die zu löschenden Erweiterungen ankreuzen oder markieren."},
    {L"ContentExt_DeleteConfirm", L"Die gewählten Erweiterungen aus der Liste löschen?\n(Die Konfigurationsdatei wird ebenfalls aktualisiert.)"},
    {L"ContentExt_NeedOne", L"Bitte mindestens eine Erweiterung ankreuzen."},
    {L"Status_ContentExtPicked", L"Erweiterungen für die Inhaltssuche gesetzt. Suchbegriffe eingeben, dann Enter. |Endungen lassen sich weiter von Hand ändern."},
    {L"Status_ContentSearchNoCandidates", L"Nach den Filtern bleiben keine Dateien zum Durchsuchen."},
    {L"Status_ContentSearchIncompleteFmt", L"Inhaltssuche unvollständig: ein Suchthread konnte nicht starten (bisher %zu gefunden)"},
    {L"Status_HotkeyInUse", L"Der Hotkey %s wird von einem anderen Programm verwendet; aktiver Hotkey: %s."},
    {L"Status_HotkeyNone", L"keiner"},
    {L"Msg_RecycleFailedAskPermanentFmt", L"%zu Element(e) konnten nicht in den Papierkorb verschoben werden.\n\nEndgültig löschen?"},
    {L"Msg_RenameTrailingDot", L"Ein Name darf nicht mit einem Punkt oder Leerzeichen enden."},
    {L"Msg_OpenManyConfirmFmt", L"%zu Elemente öffnen?"},
    {L"Dup_PhaseSlowRetry", L"Langsame Dateien werden erneut versucht"},
    {L"Analysis_DeleteChangedFmt", L"%zu ausgewählte Datei(en) wurden seit der Analyse auf dem Datenträger geändert und nicht gelöscht. Erneut scannen, um den aktuellen Stand zu sehen."},
    {L"Dup_StatusCheckingFmt", L"Kopien werden vor dem Löschen geprüft: %s von %s gelesen (Esc bricht ab)"},
    {L"Dup_StatusDeleteCancelled", L"Löschen abgebrochen: Es wurde nichts gelöscht."},
    {L"Dup_StatusHashUnavailable", L"Scan fehlgeschlagen: Das SHA-256-Hashing des Systems ist nicht verfügbar."},
};

const wchar_t* const kSettings[] = {
    L"Schließen",  // Button_Close
    L"Hell",  // Theme_Light
    L"Dunkel",  // Theme_Dark
    L"Keine Begrenzung (evtl. langsam)",  // Menu_ContentSizeNoLimit
    L"Einstellungen",  // Settings_Title
    L"Sprache",  // Settings_Language
    L"Design",  // Settings_Theme
    L"Filter in der Seitenleiste anzeigen",  // Settings_UseSidebarLayout
    L"Dateien überspringen, größer als",  // Settings_ContentMaxSize
    L"Threads für die Inhaltssuche",  // Settings_ContentThreads
    L"Auto",  // Settings_Auto
    L"Festlegen",  // Settings_ChangeHotkey
    L"Tipp: Auf Festlegen klicken, dann Tasten drücken (Esc bricht ab)",  // Settings_HotkeyTip
    L"Konfiguration der Inhaltserweiterungen",  // Settings_OpenZipExts
    L"Innere Pfade in Office/ZIP",  // Settings_OpenZipPatterns
    L"Darstellung & Sprache",  // Settings_Cat1
    L"Allgemein",  // Settings_Cat2
    L"Inhaltssuche",  // Settings_Cat3
    L"Hotkeys",  // Settings_Cat4
    L"Konfigurationsdateien",  // Settings_Cat5
    L"Wartung",  // Settings_Cat6
    L"Einstellungen gespeichert.",  // Settings_Saved
    L"Design geändert.",  // Settings_ThemeChanged
    L"Liste der zuletzt geöffneten Dateien geleert.",  // Settings_RecentCleared
    L"Sprache geändert.",  // Settings_LanguageChanged
    L"Warte auf Eingabe...",  // Settings_HotkeyWaiting
    L"Strg/Alt/Umschalt nötig",  // Settings_HotkeyNeedModifierShort
    L"Konflikt, erneut versuchen",  // Settings_HotkeyConflictShort
    L"Fehlgeschlagen, erneut versuchen",  // Settings_HotkeyFailedShort
};

const wchar_t* const kAnalysis[] = {
    L"Zur Analyse wechseln",  // Menu_SwitchToAnalysis
    L"Zur Analyse gewechselt (mit „Zurück zur Suche“ zurückkehren).",  // Status_SwitchedToAnalysis
    L"Zur Suche gewechselt (Analyse über das Kontextmenü).",  // Status_SwitchedToSearch
    L"Erneut scannen",  // Analysis_Rescan
    L"Scannen",  // Analysis_StartScan
    L"Scanne...",  // Analysis_ScanningBtn
    L"Alle Laufwerke (ALL)",  // Analysis_DriveAll
    L"Laufwerk analysieren",  // Analysis_DriveLabel
    L"Zurück zur Suche",  // Analysis_BackToSearch
    L"Datenträgeranalyse",  // Analysis_ToolbarTitle
    L"MFT wird gescannt...",  // Analysis_ScanningMft
    L"Analyse fertig: %s (%zu Einträge)",  // Analysis_ScanDoneFmt
    L"Datenträgeranalyse fehlgeschlagen",  // Analysis_ScanFailed
    L"Bitte ein Laufwerk zur Analyse auswählen",  // Analysis_NeedDrive
    L"Nach oben",  // Analysis_Up
    L"Alle Laufwerke werden gescannt...",  // Analysis_ScanningAll
    L"Analyse fertig",  // Analysis_ScanDoneSimple
    L"Pfad",  // Analysis_Path
    L"Belegt",  // Analysis_Used
    L"Frei",  // Analysis_Free
    L"Gesamt",  // Analysis_Total
    L"Analysiert",  // Analysis_Analyzed
    L"Alle Laufwerke",  // Analysis_AllDisks
    L"Analyse aller Laufwerke",  // Analysis_AllDisksTitle
    L"Was belegt den Speicherplatz",  // Analysis_StoryTitle
    L"Anteil",  // Analysis_Pct
    L"Größe",  // Analysis_Size
    L"Nach Typ (groß->klein)",  // Analysis_ByType
    L"Zum Aufklappen klicken",  // Analysis_ClickExpand
    L"Keine Statistik nach Erweiterung",  // Analysis_NoExtStats
    L"In diesem Ordner gibt es nichts anzuzeigen",  // Analysis_NoItems
    L"Hier gibt es keine Verteilung anzuzeigen",  // Analysis_NoSunburst
    L"Scan läuft, bitte warten...",  // Analysis_ScanningWait
    L"Laufwerk oder ALL wählen, um die Analyse zu starten",  // Analysis_SelectDriveHint
    L"Scan fehlgeschlagen",  // Analysis_ScanFailedShort
    L"Sonstiges",  // Analysis_Other
    L"Sonstiges (%d Einträge)",  // Analysis_OtherFmt
    L"Zum Hochgehen in die Mitte klicken",  // Analysis_ClickCenterBack
    L"Zum Öffnen klicken",  // Analysis_ClickEnter
    L"Ausgewählt",  // Analysis_Selected
    L"(keine Erweiterung)",  // Analysis_NoExt
    L" Einträge",  // Analysis_CountUnit
};

}  // namespace

LanguageTexts GermanTexts() {
    LanguageTexts t;
    t.texts = kTexts;
    t.textCount = sizeof(kTexts) / sizeof(kTexts[0]);
    t.settings = kSettings;
    t.analysis = kAnalysis;
    return t;
}

}  // namespace i18n_detail
