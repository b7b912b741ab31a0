// Norwegian texts: menu, title and main groups, then the settings and analysis groups.
#include "i18n/I18nInternal.h"

namespace i18n_detail {
namespace {

const TextPair kTexts[] = {
    {L"Name", L"Norsk"},
    {L"Msg_SettingsNotSaved", L"Innstillingene kunne ikke lagres. Endringer i dem kan gå tapt når programmet lukkes. Kontroller at denne filen kan skrives (og at ingen mappe har navnet dens):"},
    {L"LanguageIsChinese", L"0"},
    {L"Settings_Cat7", L"Grensesnittfarger"},
    {L"Settings_ColorPresetTitle", L"Fargeforhåndsvalg"},
    {L"Settings_ColorPresetNone", L"(Velg et forhåndsvalg…)"},
    {L"Settings_ColorTip", L"Brukes straks; finjuster nedenfor (* = tilpasset)"},
    {L"Settings_ColorReset", L"Tilbakestill farger til temastandard"},
    {L"Settings_OpenUiColors", L"Åpne fargekonfigurasjon"},
    {L"Settings_ColorChange", L"Endre"},
    {L"TrayTip", L"Tarnwick – {0} Vis/Skjul"},
    {L"Menu_Homepage", L"Hjemmeside"},
    {L"Menu_Language", L"Språk"},
    {L"Menu_OpenLanguageFolder", L"Åpne gjeldende språkfil"},
    {L"Menu_Enable", L"Aktiver"},
    {L"Menu_Disable", L"Deaktiver"},
    {L"Menu_InitialSearch", L"Oppstartssøk"},
    {L"Menu_InitialSearchToggle", L"Oppstartssøk (på/av)"},
    {L"Menu_Features", L"Funksjoner"},
    {L"Menu_AutoStart", L"Kjør ved oppstart"},
    {L"Menu_SetHotkey", L"Angi hurtigtast for vis/skjul"},
    {L"Menu_ClearRecent", L"Tøm nylig åpnede"},
    {L"Menu_ShowMainWindow", L"Vis vindu"},
    {L"Menu_Exit", L"Avslutt"},
    {L"Menu_FilterLayoutSidebar", L"Filteroppsett: sidepanel"},
    {L"Menu_FilterLayoutTopbar", L"Filteroppsett: topplinje"},
    {L"Menu_ResultGridLinesToggle", L"Rutenett i resultater (av/på)"},
    {L"Menu_Open", L"Åpne"},
    {L"Menu_OpenContainingFolder", L"Åpne mappen filen ligger i"},
    {L"Menu_Properties", L"Egenskaper"},
    {L"Menu_SystemContext", L"Systemets hurtigmeny..."},
    {L"Menu_Copy", L"Kopier"},
    {L"Menu_Cut", L"Klipp ut"},
    {L"Menu_CopyFullPath", L"Kopier full bane"},
    {L"Menu_RenameF2", L"Gi nytt navn\tF2"},
    {L"Menu_MoveToRecycleDelete", L"Flytt til papirkurven\tDel"},
    {L"Menu_DeletePermanentShiftDelete", L"Slett permanent\tShift+Del"},
    {L"Menu_RunAsAdmin", L"Kjør som administrator"},
    {L"Menu_OpenFilterConfig", L"Åpne filterkonfigurasjonen"},
    {L"Menu_ResetFilterTags", L"Tilbakestill filtre til standard"},
    {L"Menu_GlobalTrimToggle", L"Global minnerydding (av/på)"},
    {L"Menu_ThemeToggle", L"Tema: mørkt/lyst"},
    {L"Filter.0", L"Alle filer"},
    {L"Filter.1", L"Mapper"},
    {L"Filter.2", L"Dokumenter"},
    {L"Filter.3", L"Bilder"},
    {L"Filter.4", L"Arkiver"},
    {L"Filter.5", L"Programmer"},
    {L"Filter.6", L"Videoer"},
    {L"Filter.7", L"Lyd"},
    {L"Filter_Folders", L"Mapper"},
    {L"LanguageChanged", L"Språk byttet: "},
    {L"Menu_SetHotkeyForegroundExe", L"Angi hurtigtast: vis aktivt program i Utforsker"},
    {L"app.name", L"Tarnwick"},
    {L"app.title.main", L"Tarnwick"},
    {L"App_Name", L"Tarnwick"},
    {L"App_TitleMain", L"Tarnwick"},
    {L"App_TitleMainLower", L"Tarnwick"},
    {L"App_FilterTitlePrefix", L"Tarnwick – Filter: "},
    {L"App_FilterTitleHitsSeparator", L" | Treff: "},
    {L"Menu_RefreshNonNtfs", L"Oppdater alle ikke-NTFS-indekser"},
    {L"Menu_View", L"Visning"},
    {L"Menu_ViewList", L"Liste"},
    {L"Menu_ViewSmallIcons", L"Små ikoner"},
    {L"Menu_ViewLargeIcons", L"Store ikoner"},
    {L"Menu_Sort", L"Sorter"},
    {L"Menu_SortByName", L"Etter navn"},
    {L"Menu_SortBySize", L"Etter størrelse"},
    {L"Menu_SortByModified", L"Etter endringstid"},
    {L"Menu_SortByCreated", L"Etter opprettelsestid"},
    {L"Menu_SortByType", L"Etter type"},
    {L"Menu_SortByPath", L"Etter bane"},
    {L"MsgTitle_Information", L"Informasjon"},
    {L"MsgTitle_Error", L"Feil"},
    {L"MsgTitle_Completed", L"Fullført"},
    {L"MsgTitle_ConfirmDelete", L"Bekreft sletting"},
    {L"MsgTitle_ConfirmReset", L"Bekreft tilbakestilling"},
    {L"MsgTitle_LanguageSwitchConflict", L"Språkbytte – filterkonflikt"},
    {L"Status_InitialSearchOn", L"Oppstartssøk er slått på."},
    {L"Status_InitialSearchOff", L"Oppstartssøk er slått av."},
    {L"Status_GlobalTrimOn", L"Global minnerydding er slått på."},
    {L"Status_GlobalTrimOff", L"Global minnerydding er slått av."},
    {L"Status_GridLinesOn", L"Rutenett i resultater vises."},
    {L"Status_GridLinesOff", L"Rutenett i resultater er skjult."},
    {L"Msg_AdminRequired", L"Tarnwick må kjøres som administrator for å lese diskens USN-journal.\n\nHøyreklikk på programikonet og velg «Kjør som administrator»."},
    {L"Drive_LocalDiskPrefix", L"Lokal disk ("},
    {L"Msg_LanguageSwitchFilterConflict", L"Du har tilpasset filtrene (filters.ini). Hva skal skje med dem når du bytter språk?\n\nJa: Overskriv filters.ini med standardfiltrene for det nye språket (permanent).\nNei: Behold dine egne filtre (anbefalt).\nAvbryt: Bruk standardfiltrene for det nye språket bare i denne økten."},
    {L"Common_All", L"Alle"},
    {L"Common_Custom", L"Egendefinert"},
    {L"Time_Today", L"I dag"},
    {L"Time_7Days", L"7 dager"},
    {L"Time_30Days", L"30 dager"},
    {L"Time_RangeDefault", L"0-7(dager siden)"},
    {L"Status_HotkeyCaptureHint", L"Trykk den nye hurtigtasten for vis/skjul (Esc avbryter)..."},
    {L"Msg_HotkeyNeedModifier", L"Hurtigtasten må inneholde Ctrl, Alt eller Skift."},
    {L"Msg_HotkeyRegisterFailed", L"Kunne ikke registrere hurtigtasten. Prøv en annen kombinasjon."},
    {L"Msg_HotkeySetPrefix", L"Hurtigtast satt til: "},
    {L"Log_RefreshNonNtfsPrefix", L"Oppdater indekser for ikke-NTFS-volumer"},
    {L"Log_NoNonNtfsForRefresh", L"Ingen ikke-NTFS-volumer å oppdatere."},
    {L"Log_ResultOk", L"OK"},
    {L"Log_ResultFail", L"FEIL"},
    {L"Scope_Desktop", L"Skrivebord"},
    {L"Msg_RenameInvalidChars", L"Navnet inneholder ugyldige tegn og kan ikke brukes."},
    {L"Msg_RenameFailedFormat", L"Kunne ikke gi nytt navn.\nFeilkode: %lu"},
    {L"Status_ContentSearchCanceled", L"Innholdssøket ble avbrutt."},
    {L"Header_RowNumber", L"#"},
    {L"Header_Name", L"Navn"},
    {L"Header_Size", L"Størrelse"},
    {L"Header_Modified", L"Endret"},
    {L"Header_Created", L"Opprettet"},
    {L"Header_Type", L"Type"},
    {L"Header_Path", L"Bane"},
    {L"Status_IndexNotReadyRetry", L"Indeksen initialiseres fortsatt. Søket prøves igjen om litt..."},
    {L"Status_FilteredFilesStartScanFmt", L"Filtrerte %zu tekstfiler, leser innhold... (Esc avbryter)"},
    {L"Status_ScanningProgressFmt", L"Søker i innhold... (behandlet %zu / %zu)"},
    {L"Status_PrewarmSortingDisabled", L"Hurtigbufferen forvarmes. Sortering er midlertidig deaktivert."},
    {L"Status_HydrateProgressFmt", L"Henter egenskaper... (behandlet %zu / %zu)"},
    {L"Msg_DeleteSingleConfirmPrefix", L"Slette denne filen permanent?\n\n"},
    {L"Msg_DeleteMultiConfirmPrefix", L"Slette de valgte "},
    {L"Msg_DeleteMultiConfirmSuffix", L" elementene permanent?"},
    {L"Msg_DeleteFailedCountFmt", L"Kunne ikke slette %zu valgte elementer."},
    {L"Msg_RecycleDeleteFailed", L"Kunne ikke flytte til papirkurven. Reservesletting mislyktes også."},
    {L"Msg_CopyClipboardFailed", L"Kunne ikke kopiere til utklippstavlen."},
    {L"Status_InitializingIndex", L"Initialiserer indeks for alle disker..."},
    {L"Status_InitIncompleteRetry", L"Initialiseringen er ufullstendig. Prøver å laste diskindeksen på nytt i bakgrunnen..."},
    {L"Status_BackgroundStartupCompleted", L"Oppstart i bakgrunnen er ferdig. Resultater og forvarming av hurtigbuffer kjøres når vinduet åpnes."},
    {L"Status_NewDiskDetected", L"En ny disk ble oppdaget; stasjonslisten er oppdatert."},
    {L"Status_DriveEjectDetected", L"Utløsing av stasjon oppdaget; referanser ble frigitt tidlig."},
    {L"Status_DriveRemoved", L"En disk ble fjernet; utvalget ble oppdatert automatisk."},
    {L"Status_NtfsIndexRemoved", L"En frakoblet disk ble oppdaget; NTFS-indeksen dens ble fjernet."},
    {L"Status_RefreshNonNtfsPrefix", L"Oppdaterte "},
    {L"Status_RefreshNonNtfsSingleSuffix", L" indekser for ikke-NTFS-volumer; se feilsøkingsutdata for detaljer."},
    {L"Status_RefreshNonNtfsFailedMid", L" ikke-NTFS-volumer; "},
    {L"Status_RefreshNonNtfsFailedSuffix", L" mislyktes; se feilsøkingsutdata for detaljer."},
    {L"Status_RefreshNonNtfsFailed", L"Kunne ikke oppdatere indekser for ikke-NTFS-volumer; se feilsøkingsutdata for detaljer."},
    {L"Title_SearchPartialFmt", L"Tarnwick – %lld+ treff..."},
    {L"Title_SearchFinalFmt", L"Tarnwick – %lld treff"},
    {L"Status_SearchingShowingPrefix", L"Søker... viser "},
    {L"Status_SearchingShowingSuffix", L" resultater"},
    {L"Status_FilterApplyingPrefix", L"Filter: "},
    {L"Status_FilterApplyingSuffix", L" | Bruker filter..."},
    {L"Status_FilterHitsPrefix", L"Filter: "},
    {L"Status_FilterHitsMid", L" | Treff: "},
    {L"Status_RefreshingAllNonNtfs", L"Oppdaterer alle indekser for ikke-NTFS-volumer..."},
    {L"Msg_ResetFilterConfirm", L"Tilbakestille filtrene til standard?\n\n(Start appen på nytt for å oppdatere filterknappene.)"},
    {L"Msg_ResetComplete", L"Innstillingene er tilbakestilt."},
    {L"Msg_AlreadyRunningPrefix", L"Tarnwick kjører allerede.\n\nBruk hurtigtasten \""},
    {L"Msg_AlreadyRunningSuffix", L"\" for å vise eller skjule hovedvinduet."},
    {L"Status_InitializingSimple", L"Initialiserer..."},
    {L"Status_HotkeyCaptureHintFgExe", L"Trykk den nye hurtigtasten for aktivt program (Esc avbryter)..."},
    {L"Msg_HotkeySetPrefixFgExe", L"Hurtigtast for plasseringen til aktivt program satt til: "},
    {L"Msg_HotkeyConflict", L"Denne kombinasjonen brukes allerede av den andre hurtigtasten. Velg en annen."},
    {L"Msg_ForegroundExeOpenFailed", L"Kunne ikke hente banen til prosessen i forgrunnen (den kan være beskyttet)."},
    {L"Drive_LocalDiskOnly", L"Lokal disk"},
    {L"Dup_StatusFailed", L"Skanningen mislyktes"},
    {L"Dup_KeepOneCopy", L"Alle kopiene i denne gruppen er valgt. Behold minst én kopi: ingenting ble slettet."},
    {L"Dup_NoOtherCopy", L"Ingen annen identisk kopi kunne bekreftes (filene kan ha endret seg eller forsvunnet siden skanningen). Ingenting ble slettet."},
    {L"Status_JournalLostReindexFmt", L"Endringsjournalen for stasjon %s gikk tapt; stasjonen indekseres på nytt i bakgrunnen..."},
    {L"Status_DriveReindexedFmt", L"Stasjon %s er indeksert på nytt; endringene følges igjen."},
    {L"Status_DriveReindexFailedFmt", L"Stasjon %s kunne ikke indekseres på nytt og holdes utenfor søk til indeksene oppdateres."},
    // The content extension picker, its buttons, and messages of the file actions, the hotkeys
    // and the duplicate scan.
    {L"Button_OK", L"OK"},
    {L"Button_Cancel", L"Avbryt"},
    {L"ContentExt_Title", L"Velg filtyper for innholdssøk"},
    {L"ContentExt_Tip", L"Kryss av filendelser og trykk OK; legg til/slett egne filendelser nedenfor."},
    {L"ContentExt_Custom", L"Egen endelse"},
    {L"ContentExt_Add", L"Legg til"},
    {L"ContentExt_Delete", L"Slett"},
    {L"ContentExt_SelectAll", L"Alle"},
    {L"ContentExt_Invert", L"Inverter"},
    {L"ContentExt_OpenConfig", L"Oppsett"},
    {L"ContentExt_InputHint", L"Skriv inn filendelser, f.eks. .pdf eller pdf,docx"},
    {L"ContentExt_DeleteHint", L"Kryss av eller merk filendelsene som skal slettes først."},
    {L"ContentExt_DeleteConfirm", L"Slette de valgte filendelsene fra listen?\n(Konfigurasjonsfilen oppdateres også.)"},
    {L"ContentExt_NeedOne", L"Kryss av minst én filendelse."},
    {L"Status_ContentExtPicked", L"Filendelser for innholdssøk er satt. Skriv søkeord og trykk Enter. Du kan fortsatt endre |endelser for hånd."},
    {L"Status_ContentSearchNoCandidates", L"Ingen filer å søke i etter filtrene."},
    {L"Status_ContentSearchIncompleteFmt", L"Innholdssøket er ufullstendig: en søketråd kunne ikke starte (%zu funnet så langt)"},
    {L"Status_HotkeyInUse", L"Hurtigtasten %s brukes av et annet program; aktiv hurtigtast: %s."},
    {L"Status_HotkeyNone", L"ingen"},
    {L"Msg_RecycleFailedAskPermanentFmt", L"%zu element(er) kunne ikke flyttes til papirkurven.\n\nSlette dem permanent?"},
    {L"Msg_RenameTrailingDot", L"Et navn kan ikke slutte med punktum eller mellomrom."},
    {L"Msg_OpenManyConfirmFmt", L"Åpne %zu elementer?"},
    {L"Dup_PhaseSlowRetry", L"Prøver trege filer på nytt"},
    {L"Analysis_DeleteChangedFmt", L"%zu valgte fil(er) er endret på disken siden analysen og ble ikke slettet. Skann på nytt for å se dem slik de er nå."},
    {L"Dup_StatusCheckingFmt", L"Kontrollerer kopiene før sletting: %s av %s lest (Esc avbryter)"},
    {L"Dup_StatusDeleteCancelled", L"Sletting avbrutt: ingenting ble slettet."},
    {L"Dup_StatusHashUnavailable", L"Skanningen mislyktes: systemets SHA-256-hashing er ikke tilgjengelig."},
};

const wchar_t* const kSettings[] = {
    L"Lukk",  // Button_Close
    L"Lyst",  // Theme_Light
    L"Mørkt",  // Theme_Dark
    L"Ingen grense (kan være tregt)",  // Menu_ContentSizeNoLimit
    L"Innstillingssenter",  // Settings_Title
    L"Språk",  // Settings_Language
    L"Tema",  // Settings_Theme
    L"Vis filtre i sidepanelet",  // Settings_UseSidebarLayout
    L"Hopp over filer større enn",  // Settings_ContentMaxSize
    L"Tråder for innholdssøk",  // Settings_ContentThreads
    L"Auto",  // Settings_Auto
    L"Angi",  // Settings_ChangeHotkey
    L"Tips: klikk Angi og trykk tastene (Esc avbryter)",  // Settings_HotkeyTip
    L"Filtyper for innholdssøk",  // Settings_OpenZipExts
    L"Interne baner i Office/ZIP",  // Settings_OpenZipPatterns
    L"Utseende og språk",  // Settings_Cat1
    L"Generelt",  // Settings_Cat2
    L"Innholdssøk",  // Settings_Cat3
    L"Hurtigtaster",  // Settings_Cat4
    L"Konfigurasjonsfiler",  // Settings_Cat5
    L"Vedlikehold",  // Settings_Cat6
    L"Innstillingene er lagret.",  // Settings_Saved
    L"Temaet er endret.",  // Settings_ThemeChanged
    L"Listen over nylig åpnede er tømt.",  // Settings_RecentCleared
    L"Språket er endret.",  // Settings_LanguageChanged
    L"Venter...",  // Settings_HotkeyWaiting
    L"Krever Ctrl/Alt/Skift",  // Settings_HotkeyNeedModifierShort
    L"Konflikt, prøv igjen",  // Settings_HotkeyConflictShort
    L"Mislyktes, prøv igjen",  // Settings_HotkeyFailedShort
};

const wchar_t* const kAnalysis[] = {
    L"Bytt til analyse",  // Menu_SwitchToAnalysis
    L"Byttet til analyse (bruk Tilbake til søk for å gå tilbake).",  // Status_SwitchedToAnalysis
    L"Byttet til søk (analyse via hurtigmenyen).",  // Status_SwitchedToSearch
    L"Skann på nytt",  // Analysis_Rescan
    L"Skann",  // Analysis_StartScan
    L"Skanner...",  // Analysis_ScanningBtn
    L"Alle stasjoner (ALL)",  // Analysis_DriveAll
    L"Stasjon som skal analyseres",  // Analysis_DriveLabel
    L"Tilbake til søk",  // Analysis_BackToSearch
    L"Diskanalyse",  // Analysis_ToolbarTitle
    L"Skanner MFT...",  // Analysis_ScanningMft
    L"Analyse ferdig: %s (%zu elementer)",  // Analysis_ScanDoneFmt
    L"Diskanalysen mislyktes",  // Analysis_ScanFailed
    L"Velg en stasjon som skal analyseres",  // Analysis_NeedDrive
    L"Opp",  // Analysis_Up
    L"Skanner alle disker...",  // Analysis_ScanningAll
    L"Analyse ferdig",  // Analysis_ScanDoneSimple
    L"Bane",  // Analysis_Path
    L"Brukt",  // Analysis_Used
    L"Ledig",  // Analysis_Free
    L"Totalt",  // Analysis_Total
    L"Analysert",  // Analysis_Analyzed
    L"Alle disker",  // Analysis_AllDisks
    L"Analyse av alle disker",  // Analysis_AllDisksTitle
    L"Hva som bruker plass",  // Analysis_StoryTitle
    L"Andel",  // Analysis_Pct
    L"Størrelse",  // Analysis_Size
    L"Etter type (stor->liten)",  // Analysis_ByType
    L"Klikk for å utvide",  // Analysis_ClickExpand
    L"Ingen statistikk for filtyper",  // Analysis_NoExtStats
    L"Ingen elementer å vise i denne mappen",  // Analysis_NoItems
    L"Ingen fordeling å vise her",  // Analysis_NoSunburst
    L"Skanner, vent litt...",  // Analysis_ScanningWait
    L"Velg en stasjon eller ALL for å starte analysen",  // Analysis_SelectDriveHint
    L"Skanning mislyktes",  // Analysis_ScanFailedShort
    L"Annet",  // Analysis_Other
    L"Annet (%d elementer)",  // Analysis_OtherFmt
    L"Klikk i midten for å gå opp",  // Analysis_ClickCenterBack
    L"Klikk for å åpne",  // Analysis_ClickEnter
    L"Valgt",  // Analysis_Selected
    L"(ingen filtype)",  // Analysis_NoExt
    L" elementer",  // Analysis_CountUnit
};

}  // namespace

LanguageTexts NorwegianTexts() {
    LanguageTexts t;
    t.texts = kTexts;
    t.textCount = sizeof(kTexts) / sizeof(kTexts[0]);
    t.settings = kSettings;
    t.analysis = kAnalysis;
    return t;
}

}  // namespace i18n_detail
