// French texts: menu, title and main groups, then the settings and analysis groups.
#include "i18n/I18nInternal.h"

namespace i18n_detail {
namespace {

const TextPair kTexts[] = {
    {L"Name", L"Français"},
    {L"Msg_SettingsNotSaved", L"Vos paramètres n'ont pas pu être enregistrés. Leurs modifications risquent d'être perdues à la fermeture du programme. Vérifiez que ce fichier peut être écrit (et qu'aucun dossier ne porte son nom) :"},
    {L"LanguageIsChinese", L"0"},
    {L"Settings_Cat7", L"Couleurs de l'interface"},
    {L"Settings_ColorPresetTitle", L"Préréglage de couleurs"},
    {L"Settings_ColorPresetNone", L"(Choisir un préréglage…)"},
    {L"Settings_ColorTip", L"S'applique immédiatement ; ajustez ci-dessous (* = personnalisé)"},
    {L"Settings_ColorReset", L"Rétablir les couleurs par défaut du thème"},
    {L"Settings_OpenUiColors", L"Ouvrir la configuration des couleurs"},
    {L"Settings_ColorChange", L"Modifier"},
    {L"TrayTip", L"Tarnwick - {0} Afficher/Masquer"},
    {L"Menu_Homepage", L"Site web"},
    {L"Menu_Language", L"Langue"},
    {L"Menu_OpenLanguageFolder", L"Ouvrir le fichier de langue actuel"},
    {L"Menu_Enable", L"Activer"},
    {L"Menu_Disable", L"Désactiver"},
    {L"Menu_InitialSearch", L"Recherche initiale"},
    {L"Menu_InitialSearchToggle", L"Recherche initiale (activer/désactiver)"},
    {L"Menu_Features", L"Fonctions"},
    {L"Menu_AutoStart", L"Lancer au démarrage"},
    {L"Menu_SetHotkey", L"Définir le raccourci Afficher/Masquer"},
    {L"Menu_ClearRecent", L"Vider la liste des fichiers récents"},
    {L"Menu_ShowMainWindow", L"Afficher la fenêtre"},
    {L"Menu_Exit", L"Quitter"},
    {L"Menu_FilterLayoutSidebar", L"Disposition des filtres : barre latérale"},
    {L"Menu_FilterLayoutTopbar", L"Disposition des filtres : barre supérieure"},
    {L"Menu_ResultGridLinesToggle", L"Quadrillage des résultats (basculer)"},
    {L"Menu_Open", L"Ouvrir"},
    {L"Menu_OpenContainingFolder", L"Ouvrir le dossier parent"},
    {L"Menu_Properties", L"Propriétés"},
    {L"Menu_SystemContext", L"Menu contextuel du système..."},
    {L"Menu_Copy", L"Copier"},
    {L"Menu_Cut", L"Couper"},
    {L"Menu_CopyFullPath", L"Copier le chemin complet"},
    {L"Menu_RenameF2", L"Renommer\tF2"},
    {L"Menu_MoveToRecycleDelete", L"Mettre à la corbeille\tSuppr"},
    {L"Menu_DeletePermanentShiftDelete", L"Supprimer définitivement\tMaj+Suppr"},
    {L"Menu_RunAsAdmin", L"Exécuter en tant qu'administrateur"},
    {L"Menu_OpenFilterConfig", L"Ouvrir le fichier de configuration des filtres"},
    {L"Menu_ResetFilterTags", L"Rétablir les filtres par défaut"},
    {L"Menu_GlobalTrimToggle", L"Nettoyage global de la mémoire (basculer)"},
    {L"Menu_ThemeToggle", L"Thème : sombre/clair"},
    {L"Filter.0", L"Tous les fichiers"},
    {L"Filter.1", L"Dossiers"},
    {L"Filter.2", L"Documents"},
    {L"Filter.3", L"Images"},
    {L"Filter.4", L"Archives"},
    {L"Filter.5", L"Applications"},
    {L"Filter.6", L"Vidéos"},
    {L"Filter.7", L"Audio"},
    {L"Filter_Folders", L"Dossiers"},
    {L"LanguageChanged", L"Langue changée : "},
    {L"Menu_SetHotkeyForegroundExe", L"Raccourci : afficher l'application active dans l'Explorateur"},
    {L"app.name", L"Tarnwick"},
    {L"app.title.main", L"Tarnwick"},
    {L"App_Name", L"Tarnwick"},
    {L"App_TitleMain", L"Tarnwick"},
    {L"App_TitleMainLower", L"Tarnwick"},
    {L"App_FilterTitlePrefix", L"Tarnwick - Filtre : "},
    {L"App_FilterTitleHitsSeparator", L" | Résultats : "},
    {L"Menu_RefreshNonNtfs", L"Actualiser tous les index non NTFS"},
    {L"Menu_View", L"Affichage"},
    {L"Menu_ViewList", L"Liste"},
    {L"Menu_ViewSmallIcons", L"Petites icônes"},
    {L"Menu_ViewLargeIcons", L"Grandes icônes"},
    {L"Menu_Sort", L"Trier"},
    {L"Menu_SortByName", L"Par nom"},
    {L"Menu_SortBySize", L"Par taille"},
    {L"Menu_SortByModified", L"Par date de modification"},
    {L"Menu_SortByCreated", L"Par date de création"},
    {L"Menu_SortByType", L"Par type"},
    {L"Menu_SortByPath", L"Par chemin"},
    {L"MsgTitle_Information", L"Information"},
    {L"MsgTitle_Error", L"Erreur"},
    {L"MsgTitle_Completed", L"Terminé"},
    {L"MsgTitle_ConfirmDelete", L"Confirmer la suppression"},
    {L"MsgTitle_ConfirmReset", L"Confirmer la réinitialisation"},
    {L"MsgTitle_LanguageSwitchConflict", L"Changement de langue - conflit de filtres"},
    {L"Status_InitialSearchOn", L"Recherche initiale activée."},
    {L"Status_InitialSearchOff", L"Recherche initiale désactivée."},
    {L"Status_GlobalTrimOn", L"Nettoyage global de la mémoire activé."},
    {L"Status_GlobalTrimOff", L"Nettoyage global de la mémoire désactivé."},
    {L"Status_GridLinesOn", L"Quadrillage des résultats affiché."},
    {L"Status_GridLinesOff", L"Quadrillage des résultats masqué."},
    {L"Msg_AdminRequired", L"Tarnwick doit être exécuté en tant qu'administrateur pour accéder au journal USN du disque.\n\nFaites un clic droit sur l'icône du programme et choisissez « Exécuter en tant qu'administrateur »."},
    {L"Drive_LocalDiskPrefix", L"Disque local ("},
    {L"Msg_LanguageSwitchFilterConflict", L"Vous avez personnalisé les filtres (filters.ini). Que faire lors du changement de langue ?\n\nOui : remplacer filters.ini par les filtres par défaut de la nouvelle langue (définitif).\nNon : conserver vos filtres personnalisés (recommandé).\nAnnuler : utiliser les filtres par défaut de la nouvelle langue pour cette session seulement."},
    {L"Common_All", L"Tous"},
    {L"Common_Custom", L"Personnalisé"},
    {L"Time_Today", L"Aujourd'hui"},
    {L"Time_7Days", L"7 jours"},
    {L"Time_30Days", L"30 jours"},
    {L"Time_RangeDefault", L"0-7(jours passés)"},
    {L"Status_HotkeyCaptureHint", L"Appuyez sur le nouveau raccourci Afficher/Masquer (Échap pour annuler)..."},
    {L"Msg_HotkeyNeedModifier", L"Le raccourci doit contenir Ctrl, Alt ou Maj."},
    {L"Msg_HotkeyRegisterFailed", L"Impossible d'enregistrer le raccourci. Essayez une autre combinaison."},
    {L"Msg_HotkeySetPrefix", L"Raccourci défini sur : "},
    {L"Log_RefreshNonNtfsPrefix", L"Actualiser les index des volumes non NTFS"},
    {L"Log_NoNonNtfsForRefresh", L"Aucun volume non NTFS à actualiser."},
    {L"Log_ResultOk", L"OK"},
    {L"Log_ResultFail", L"ÉCHEC"},
    {L"Scope_Desktop", L"Bureau"},
    {L"Msg_RenameInvalidChars", L"Le nom contient des caractères non valides et ne peut pas être utilisé."},
    {L"Msg_RenameFailedFormat", L"Échec du renommage.\nCode d'erreur : %lu"},
    {L"Status_ContentSearchCanceled", L"Recherche de contenu annulée."},
    {L"Header_RowNumber", L"#"},
    {L"Header_Name", L"Nom"},
    {L"Header_Size", L"Taille"},
    {L"Header_Modified", L"Modifié"},
    {L"Header_Created", L"Créé"},
    {L"Header_Type", L"Type"},
    {L"Header_Path", L"Chemin"},
    {L"Status_IndexNotReadyRetry", L"L'index est en cours d'initialisation. Nouvelle tentative de recherche sous peu..."},
    {L"Status_FilteredFilesStartScanFmt", L"%zu fichiers texte filtrés, lecture du contenu... (Échap pour annuler)"},
    {L"Status_ScanningProgressFmt", L"Analyse du contenu... (%zu / %zu traités)"},
    {L"Status_PrewarmSortingDisabled", L"Préchargement du cache en cours. Le tri est temporairement désactivé."},
    {L"Status_HydrateProgressFmt", L"Lecture des propriétés... (%zu / %zu traités)"},
    {L"Msg_DeleteSingleConfirmPrefix", L"Supprimer définitivement ce fichier ?\n\n"},
    {L"Msg_DeleteMultiConfirmPrefix", L"Supprimer définitivement les "},
    {L"Msg_DeleteMultiConfirmSuffix", L" éléments sélectionnés ?"},
    {L"Msg_DeleteFailedCountFmt", L"Échec de la suppression de %zu éléments sélectionnés."},
    {L"Msg_RecycleDeleteFailed", L"Impossible de mettre à la corbeille. La suppression de secours a également échoué."},
    {L"Msg_CopyClipboardFailed", L"Échec de la copie dans le presse-papiers."},
    {L"Status_InitializingIndex", L"Initialisation de l'index de tous les disques..."},
    {L"Status_InitIncompleteRetry", L"Initialisation incomplète. Nouvelle tentative de chargement de l'index en arrière-plan..."},
    {L"Status_BackgroundStartupCompleted", L"Démarrage en arrière-plan terminé. Les résultats et le préchargement du cache suivront à l'ouverture de la fenêtre."},
    {L"Status_NewDiskDetected", L"Un nouveau disque a été détecté ; la liste des lecteurs a été mise à jour."},
    {L"Status_DriveEjectDetected", L"Éjection d'un lecteur détectée ; les handles ont été libérés à l'avance."},
    {L"Status_DriveRemoved", L"Un disque a été retiré ; la sélection a été mise à jour automatiquement."},
    {L"Status_NtfsIndexRemoved", L"Un disque déconnecté a été détecté ; son index NTFS a été supprimé."},
    {L"Status_RefreshNonNtfsPrefix", L"Actualisés : "},
    {L"Status_RefreshNonNtfsSingleSuffix", L" index de volumes non NTFS ; détails dans la sortie de débogage."},
    {L"Status_RefreshNonNtfsFailedMid", L" volumes non NTFS ; "},
    {L"Status_RefreshNonNtfsFailedSuffix", L" en échec ; détails dans la sortie de débogage."},
    {L"Status_RefreshNonNtfsFailed", L"Échec de l'actualisation des index des volumes non NTFS ; détails dans la sortie de débogage."},
    {L"Title_SearchPartialFmt", L"Tarnwick - %lld+ résultats..."},
    {L"Title_SearchFinalFmt", L"Tarnwick - %lld résultats"},
    {L"Status_SearchingShowingPrefix", L"Recherche... affichage de "},
    {L"Status_SearchingShowingSuffix", L" résultats"},
    {L"Status_FilterApplyingPrefix", L"Filtre : "},
    {L"Status_FilterApplyingSuffix", L" | Application du filtre..."},
    {L"Status_FilterHitsPrefix", L"Filtre : "},
    {L"Status_FilterHitsMid", L" | Résultats : "},
    {L"Status_RefreshingAllNonNtfs", L"Actualisation de tous les index de volumes non NTFS..."},
    {L"Msg_ResetFilterConfirm", L"Rétablir les filtres par défaut ?\n\n(Redémarrez l'application pour actualiser les boutons de filtre.)"},
    {L"Msg_ResetComplete", L"Les paramètres ont été réinitialisés."},
    {L"Msg_AlreadyRunningPrefix", L"Tarnwick est déjà en cours d'exécution.\n\nUtilisez le raccourci \""},
    {L"Msg_AlreadyRunningSuffix", L"\" pour afficher ou masquer la fenêtre principale."},
    {L"Status_InitializingSimple", L"Initialisation..."},
    {L"Status_HotkeyCaptureHintFgExe", L"Appuyez sur le nouveau raccourci de l'application active (Échap pour annuler)..."},
    {L"Msg_HotkeySetPrefixFgExe", L"Raccourci d'emplacement de l'application active défini sur : "},
    {L"Msg_HotkeyConflict", L"Cette combinaison est déjà utilisée par l'autre raccourci. Choisissez-en une autre."},
    {L"Msg_ForegroundExeOpenFailed", L"Impossible d'obtenir le chemin du processus au premier plan (il est peut-être protégé)."},
    {L"Drive_LocalDiskOnly", L"Disque local"},
    {L"Dup_StatusFailed", L"Échec de l'analyse"},
    {L"Dup_KeepOneCopy", L"Toutes les copies de ce groupe sont sélectionnées. Conservez au moins une copie : rien n'a été supprimé."},
    {L"Dup_NoOtherCopy", L"Aucune autre copie identique n'a pu être confirmée (les fichiers ont peut-être changé ou disparu depuis l'analyse). Rien n'a été supprimé."},
    {L"Status_JournalLostReindexFmt", L"Le journal des modifications du lecteur %s a été perdu ; le lecteur est réindexé en arrière-plan..."},
    {L"Status_DriveReindexedFmt", L"Le lecteur %s a été réindexé ; ses modifications sont de nouveau suivies."},
    {L"Status_DriveReindexFailedFmt", L"Le lecteur %s n'a pas pu être réindexé ; il est exclu des recherches jusqu'à l'actualisation des index."},
    // The content extension picker, its buttons, and messages of the file actions, the hotkeys
    // and the duplicate scan.
    {L"Button_OK", L"OK"},
    {L"Button_Cancel", L"Annuler"},
    {L"ContentExt_Title", L"Choisir les types de fichiers pour la recherche de contenu"},
    {L"ContentExt_Tip", L"Cochez les extensions puis OK ; ajoutez/supprimez des extensions personnalisées ci-dessous."},
    {L"ContentExt_Custom", L"Extension perso"},
    {L"ContentExt_Add", L"Ajouter"},
    {L"ContentExt_Delete", L"Supprimer"},
    {L"ContentExt_SelectAll", L"Tout"},
    {L"ContentExt_Invert", L"Inverser"},
    {L"ContentExt_OpenConfig", L"Config."},
    {L"ContentExt_InputHint", L"Saisissez des extensions, par ex. .pdf ou pdf,docx"},
    {L"ContentExt_DeleteHint", L"Cochez ou sélectionnez d'abord les extensions à supprimer."},
    {L"ContentExt_DeleteConfirm", L"Supprimer les extensions sélectionnées de la liste ?\n(Le fichier de configuration est aussi mis à jour.)"},
    {L"ContentExt_NeedOne", L"Cochez au moins une extension."},
    {L"Status_ContentExtPicked", L"Extensions de recherche de contenu définies. Saisissez les mots-clés puis Entrée. Vous pouvez toujours modifier |exts à la main."},
    {L"Status_ContentSearchNoCandidates", L"Aucun fichier à analyser après les filtres."},
    {L"Status_ContentSearchIncompleteFmt", L"Recherche de contenu incomplète : un thread d'analyse n'a pas pu démarrer (%zu trouvés jusqu'ici)"},
    {L"Status_HotkeyInUse", L"Le raccourci %s est utilisé par un autre programme ; raccourci actif : %s."},
    {L"Status_HotkeyNone", L"aucun"},
    {L"Msg_RecycleFailedAskPermanentFmt", L"%zu élément(s) n'ont pas pu être placés dans la Corbeille.\n\nLes supprimer définitivement ?"},
    {L"Msg_RenameTrailingDot", L"Un nom ne peut pas se terminer par un point ou une espace."},
    {L"Msg_OpenManyConfirmFmt", L"Ouvrir %zu éléments ?"},
    {L"Dup_PhaseSlowRetry", L"Nouvel essai des fichiers lents"},
    {L"Analysis_DeleteChangedFmt", L"%zu fichier(s) sélectionné(s) ont changé sur le disque depuis l'analyse et n'ont pas été supprimés. Relancez l'analyse pour les voir tels qu'ils sont."},
    {L"Dup_StatusCheckingFmt", L"Vérification des copies avant suppression : %s sur %s lus (Échap pour annuler)"},
    {L"Dup_StatusDeleteCancelled", L"Suppression annulée : rien n'a été supprimé."},
    {L"Dup_StatusHashUnavailable", L"Échec de l'analyse : le hachage SHA-256 du système n'est pas disponible."},
};

const wchar_t* const kSettings[] = {
    L"Fermer",  // Button_Close
    L"Clair",  // Theme_Light
    L"Sombre",  // Theme_Dark
    L"Aucune limite (peut être lent)",  // Menu_ContentSizeNoLimit
    L"Centre de paramètres",  // Settings_Title
    L"Langue",  // Settings_Language
    L"Thème",  // Settings_Theme
    L"Afficher les filtres dans la barre latérale",  // Settings_UseSidebarLayout
    L"Ignorer les fichiers de plus de",  // Settings_ContentMaxSize
    L"Threads de recherche de contenu",  // Settings_ContentThreads
    L"Auto",  // Settings_Auto
    L"Définir",  // Settings_ChangeHotkey
    L"Astuce : cliquez sur Définir, puis appuyez sur les touches (Échap pour annuler)",  // Settings_HotkeyTip
    L"Extensions de la recherche de contenu",  // Settings_OpenZipExts
    L"Chemins internes Office/ZIP",  // Settings_OpenZipPatterns
    L"Apparence et langue",  // Settings_Cat1
    L"Général",  // Settings_Cat2
    L"Recherche de contenu",  // Settings_Cat3
    L"Raccourcis",  // Settings_Cat4
    L"Fichiers de configuration",  // Settings_Cat5
    L"Maintenance",  // Settings_Cat6
    L"Paramètres enregistrés.",  // Settings_Saved
    L"Thème modifié.",  // Settings_ThemeChanged
    L"Liste des fichiers récents vidée.",  // Settings_RecentCleared
    L"Langue modifiée.",  // Settings_LanguageChanged
    L"En attente...",  // Settings_HotkeyWaiting
    L"Ctrl/Alt/Maj requis",  // Settings_HotkeyNeedModifierShort
    L"Conflit, réessayez",  // Settings_HotkeyConflictShort
    L"Échec, réessayez",  // Settings_HotkeyFailedShort
};

const wchar_t* const kAnalysis[] = {
    L"Passer à l'analyse",  // Menu_SwitchToAnalysis
    L"Mode analyse (Retour à la recherche pour revenir).",  // Status_SwitchedToAnalysis
    L"Mode recherche (analyse via le menu contextuel).",  // Status_SwitchedToSearch
    L"Réanalyser",  // Analysis_Rescan
    L"Analyser",  // Analysis_StartScan
    L"Analyse...",  // Analysis_ScanningBtn
    L"Tous les lecteurs (ALL)",  // Analysis_DriveAll
    L"Lecteur à analyser",  // Analysis_DriveLabel
    L"Retour à la recherche",  // Analysis_BackToSearch
    L"Analyse du disque",  // Analysis_ToolbarTitle
    L"Analyse de la MFT...",  // Analysis_ScanningMft
    L"Analyse terminée : %s (%zu éléments)",  // Analysis_ScanDoneFmt
    L"Échec de l'analyse du disque",  // Analysis_ScanFailed
    L"Veuillez choisir un lecteur à analyser",  // Analysis_NeedDrive
    L"Remonter",  // Analysis_Up
    L"Analyse de tous les disques...",  // Analysis_ScanningAll
    L"Analyse terminée",  // Analysis_ScanDoneSimple
    L"Chemin",  // Analysis_Path
    L"Utilisé",  // Analysis_Used
    L"Libre",  // Analysis_Free
    L"Total",  // Analysis_Total
    L"Analysé",  // Analysis_Analyzed
    L"Tous les disques",  // Analysis_AllDisks
    L"Analyse de tous les disques",  // Analysis_AllDisksTitle
    L"Ce qui occupe l'espace",  // Analysis_StoryTitle
    L"Part",  // Analysis_Pct
    L"Taille",  // Analysis_Size
    L"Par type (du plus grand au plus petit)",  // Analysis_ByType
    L"Cliquer pour développer",  // Analysis_ClickExpand
    L"Aucune statistique par extension",  // Analysis_NoExtStats
    L"Aucun élément à afficher dans ce dossier",  // Analysis_NoItems
    L"Aucune répartition à afficher ici",  // Analysis_NoSunburst
    L"Analyse en cours, veuillez patienter...",  // Analysis_ScanningWait
    L"Choisissez un lecteur ou ALL pour lancer l'analyse",  // Analysis_SelectDriveHint
    L"Échec de l'analyse",  // Analysis_ScanFailedShort
    L"Autre",  // Analysis_Other
    L"Autre (%d éléments)",  // Analysis_OtherFmt
    L"Cliquer au centre pour remonter",  // Analysis_ClickCenterBack
    L"Cliquer pour ouvrir",  // Analysis_ClickEnter
    L"Sélectionné",  // Analysis_Selected
    L"(sans extension)",  // Analysis_NoExt
    L" éléments",  // Analysis_CountUnit
};

}  // namespace

LanguageTexts FrenchTexts() {
    LanguageTexts t;
    t.texts = kTexts;
    t.textCount = sizeof(kTexts) / sizeof(kTexts[0]);
    t.settings = kSettings;
    t.analysis = kAnalysis;
    return t;
}

}  // namespace i18n_detail
