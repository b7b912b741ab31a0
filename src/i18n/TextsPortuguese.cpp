// Brazilian Portuguese texts: every key but the settings and analysis groups, then those two groups.
#include "i18n/I18nInternal.h"

namespace i18n_detail {
namespace {

const TextPair kTexts[] = {
    {L"Name", L"Português (BR)"},
    {L"Msg_SettingsNotSaved", L"Não foi possível salvar as configurações. As alterações podem ser perdidas quando o programa for fechado. Verifique se este arquivo pode ser gravado (e se nenhuma pasta tem o nome dele):"},
    {L"LanguageIsChinese", L"0"},
    {L"Settings_Cat7", L"Cores da interface"},
    {L"Settings_ColorPresetTitle", L"Predefinição de cores"},
    {L"Settings_ColorPresetNone", L"(Escolha uma predefinição…)"},
    {L"Settings_ColorTip", L"Aplica-se na hora; ajuste abaixo (* = personalizado)"},
    {L"Settings_ColorReset", L"Redefinir cores para o padrão do tema"},
    {L"Settings_OpenUiColors", L"Abrir configuração de cores"},
    {L"Settings_ColorChange", L"Alterar"},
    {L"TrayTip", L"Tarnwick - {0} Mostrar/Ocultar"},
    {L"Menu_Homepage", L"Página inicial"},
    {L"Menu_Language", L"Idioma"},
    {L"Menu_OpenLanguageFolder", L"Abrir arquivo do idioma atual"},
    {L"Menu_Enable", L"Ativar"},
    {L"Menu_Disable", L"Desativar"},
    {L"Menu_InitialSearch", L"Pesquisa inicial"},
    {L"Menu_InitialSearchToggle", L"Pesquisa inicial (ligar/desligar)"},
    {L"Menu_Features", L"Recursos"},
    {L"Menu_AutoStart", L"Iniciar com o Windows"},
    {L"Menu_SetHotkey", L"Definir atalho de mostrar/ocultar"},
    {L"Menu_ClearRecent", L"Limpar arquivos recentes"},
    {L"Menu_ShowMainWindow", L"Mostrar janela"},
    {L"Menu_Exit", L"Sair"},
    {L"Menu_FilterLayoutSidebar", L"Layout dos filtros: barra lateral"},
    {L"Menu_FilterLayoutTopbar", L"Layout dos filtros: barra superior"},
    {L"Menu_ResultGridLinesToggle", L"Linhas de grade nos resultados (alternar)"},
    {L"Menu_Open", L"Abrir"},
    {L"Menu_OpenContainingFolder", L"Abrir pasta do arquivo"},
    {L"Menu_Properties", L"Propriedades"},
    {L"Menu_SystemContext", L"Menu de contexto do sistema..."},
    {L"Menu_Copy", L"Copiar"},
    {L"Menu_Cut", L"Recortar"},
    {L"Menu_CopyFullPath", L"Copiar caminho completo"},
    {L"Menu_RenameF2", L"Renomear\tF2"},
    {L"Menu_MoveToRecycleDelete", L"Mover para a Lixeira\tDelete"},
    {L"Menu_DeletePermanentShiftDelete", L"Excluir permanentemente\tShift+Delete"},
    {L"Menu_RunAsAdmin", L"Executar como administrador"},
    {L"Menu_OpenFilterConfig", L"Abrir arquivo de configuração dos filtros"},
    {L"Menu_ResetFilterTags", L"Restaurar filtros padrão"},
    {L"Menu_GlobalTrimToggle", L"Limpeza global de memória (alternar)"},
    {L"Menu_ThemeToggle", L"Tema: escuro/claro"},
    {L"Filter.0", L"Todos os arquivos"},
    {L"Filter.1", L"Pastas"},
    {L"Filter.2", L"Documentos"},
    {L"Filter.3", L"Imagens"},
    {L"Filter.4", L"Compactados"},
    {L"Filter.5", L"Aplicativos"},
    {L"Filter.6", L"Vídeos"},
    {L"Filter.7", L"Áudio"},
    {L"Filter_Folders", L"Pastas"},
    {L"LanguageChanged", L"Idioma alterado: "},
    {L"Menu_SetHotkeyForegroundExe", L"Definir atalho: mostrar o app em primeiro plano no Explorer"},
    // The title and main groups: window titles (the product's name alone stays as in the copied
    // English table), the View and Sort menus, message boxes, column headers and status texts.
    {L"App_FilterTitlePrefix", L"Tarnwick - Filtro: "},
    {L"App_FilterTitleHitsSeparator", L" | Resultados: "},
    {L"Menu_RefreshNonNtfs", L"Atualizar todos os índices não NTFS"},
    {L"Menu_View", L"Exibir"},
    {L"Menu_ViewList", L"Lista"},
    {L"Menu_ViewSmallIcons", L"Ícones pequenos"},
    {L"Menu_ViewLargeIcons", L"Ícones grandes"},
    {L"Menu_Sort", L"Classificar"},
    {L"Menu_SortByName", L"Por nome"},
    {L"Menu_SortBySize", L"Por tamanho"},
    {L"Menu_SortByModified", L"Por data de modificação"},
    {L"Menu_SortByCreated", L"Por data de criação"},
    {L"Menu_SortByType", L"Por tipo"},
    {L"Menu_SortByPath", L"Por caminho"},
    {L"MsgTitle_Information", L"Informação"},
    {L"MsgTitle_Error", L"Erro"},
    {L"MsgTitle_Completed", L"Concluído"},
    {L"MsgTitle_ConfirmDelete", L"Confirmar exclusão"},
    {L"MsgTitle_ConfirmReset", L"Confirmar redefinição"},
    {L"MsgTitle_LanguageSwitchConflict", L"Troca de idioma - conflito de filtros"},
    {L"Status_InitialSearchOn", L"Pesquisa inicial ativada."},
    {L"Status_InitialSearchOff", L"Pesquisa inicial desativada."},
    {L"Status_GlobalTrimOn", L"Liberação global de memória ativada."},
    {L"Status_GlobalTrimOff", L"Liberação global de memória desativada."},
    {L"Status_GridLinesOn", L"Linhas de grade dos resultados visíveis."},
    {L"Status_GridLinesOff", L"Linhas de grade dos resultados ocultas."},
    {L"Msg_AdminRequired", L"O Tarnwick precisa ser executado como administrador para acessar o diário USN do disco.\n\nClique com o botão direito no ícone do programa e escolha \"Executar como administrador\"."},
    {L"Drive_LocalDiskPrefix", L"Disco local ("},
    {L"Msg_LanguageSwitchFilterConflict", L"Você personalizou os filtros (filters.ini). O que fazer ao trocar de idioma?\n\nSim: substituir filters.ini pelos filtros padrão do novo idioma (permanente).\nNão: manter seus filtros personalizados (recomendado).\nCancelar: usar os filtros padrão do novo idioma só nesta sessão."},
    {L"Common_All", L"Todos"},
    {L"Common_Custom", L"Personalizado"},
    {L"Time_Today", L"Hoje"},
    {L"Time_7Days", L"7 dias"},
    {L"Time_30Days", L"30 dias"},
    {L"Time_RangeDefault", L"0-7(dias atrás)"},
    {L"Status_HotkeyCaptureHint", L"Pressione o novo atalho para mostrar/ocultar (Esc para cancelar)..."},
    {L"Msg_HotkeyNeedModifier", L"O atalho deve incluir Ctrl, Alt ou Shift."},
    {L"Msg_HotkeyRegisterFailed", L"Não foi possível registrar o atalho. Tente outra combinação."},
    {L"Msg_HotkeySetPrefix", L"Atalho definido como: "},
    {L"Log_RefreshNonNtfsPrefix", L"Atualizar índices de volumes não NTFS"},
    {L"Log_NoNonNtfsForRefresh", L"Nenhum volume não NTFS disponível para atualizar."},
    {L"Log_ResultOk", L"OK"},
    {L"Log_ResultFail", L"FALHA"},
    {L"Scope_Desktop", L"Área de Trabalho"},
    {L"Msg_RenameInvalidChars", L"O nome contém caracteres inválidos e não pode ser usado."},
    {L"Msg_RenameFailedFormat", L"Falha ao renomear.\nCódigo de erro: %lu"},
    {L"Status_ContentSearchCanceled", L"Pesquisa de conteúdo cancelada."},
    {L"Header_RowNumber", L"#"},
    {L"Header_Name", L"Nome"},
    {L"Header_Size", L"Tamanho"},
    {L"Header_Modified", L"Modificado"},
    {L"Header_Created", L"Criado"},
    {L"Header_Type", L"Tipo"},
    {L"Header_Path", L"Caminho"},
    {L"Status_IndexNotReadyRetry", L"O índice ainda está sendo inicializado. A pesquisa será repetida em instantes..."},
    {L"Status_FilteredFilesStartScanFmt", L"%zu arquivos de texto filtrados, lendo o conteúdo... (Esc para cancelar)"},
    {L"Status_ScanningProgressFmt", L"Verificando o conteúdo... (processados %zu / %zu)"},
    {L"Status_PrewarmSortingDisabled", L"Pré-carregando o cache. A classificação está desativada temporariamente."},
    {L"Status_HydrateProgressFmt", L"Obtendo propriedades... (processados %zu / %zu)"},
    {L"Msg_DeleteSingleConfirmPrefix", L"Excluir este arquivo permanentemente?\n\n"},
    {L"Msg_DeleteMultiConfirmPrefix", L"Excluir permanentemente os "},
    {L"Msg_DeleteMultiConfirmSuffix", L" itens selecionados?"},
    {L"Msg_DeleteFailedCountFmt", L"Falha ao excluir %zu itens selecionados."},
    {L"Msg_RecycleDeleteFailed", L"Não foi possível mover para a Lixeira. A exclusão alternativa também falhou."},
    {L"Msg_CopyClipboardFailed", L"Falha ao copiar para a área de transferência."},
    {L"Status_InitializingIndex", L"Inicializando o índice de todos os discos..."},
    {L"Status_InitIncompleteRetry", L"Inicialização incompleta. Tentando carregar o índice dos discos de novo em segundo plano..."},
    {L"Status_BackgroundStartupCompleted", L"Inicialização em segundo plano concluída. Os resultados e o pré-carregamento do cache serão feitos quando a janela for aberta."},
    {L"Status_NewDiskDetected", L"Um novo disco foi detectado; a lista de unidades foi atualizada."},
    {L"Status_DriveEjectDetected", L"Ejeção de unidade detectada; os identificadores foram liberados antes."},
    {L"Status_DriveRemoved", L"Um disco foi removido; a seleção foi atualizada automaticamente."},
    {L"Status_NtfsIndexRemoved", L"Um disco desconectado foi detectado; seu índice NTFS foi removido."},
    {L"Status_RefreshNonNtfsPrefix", L"Atualizados "},
    {L"Status_RefreshNonNtfsSingleSuffix", L" índices de volumes não NTFS; veja a saída de depuração para detalhes."},
    {L"Status_RefreshNonNtfsFailedMid", L" volumes não NTFS; "},
    {L"Status_RefreshNonNtfsFailedSuffix", L" com falha; veja a saída de depuração para detalhes."},
    {L"Status_RefreshNonNtfsFailed", L"Falha ao atualizar os índices de volumes não NTFS; veja a saída de depuração para detalhes."},
    {L"Title_SearchPartialFmt", L"Tarnwick - %lld+ resultados..."},
    {L"Title_SearchFinalFmt", L"Tarnwick - %lld resultados"},
    {L"Status_SearchingShowingPrefix", L"Pesquisando... mostrando "},
    {L"Status_SearchingShowingSuffix", L" resultados"},
    {L"Status_FilterApplyingPrefix", L"Filtro: "},
    {L"Status_FilterApplyingSuffix", L" | Aplicando filtro..."},
    {L"Status_FilterHitsPrefix", L"Filtro: "},
    {L"Status_FilterHitsMid", L" | Resultados: "},
    {L"Status_RefreshingAllNonNtfs", L"Atualizando todos os índices de volumes não NTFS..."},
    {L"Msg_ResetFilterConfirm", L"Redefinir as etiquetas de filtro para o padrão?\n\n(Reinicie o aplicativo para atualizar os botões de filtro.)"},
    {L"Msg_ResetComplete", L"As configurações foram redefinidas."},
    {L"Msg_AlreadyRunningPrefix", L"O Tarnwick já está em execução.\n\nUse o atalho \""},
    {L"Msg_AlreadyRunningSuffix", L"\" para mostrar ou ocultar a janela principal."},
    {L"Status_InitializingSimple", L"Inicializando..."},
    {L"Status_HotkeyCaptureHintFgExe", L"Pressione o novo atalho do aplicativo em primeiro plano (Esc para cancelar)..."},
    {L"Msg_HotkeySetPrefixFgExe", L"Atalho de local do aplicativo em primeiro plano definido como: "},
    {L"Msg_HotkeyConflict", L"Esta combinação já é usada pelo outro atalho. Escolha outra."},
    {L"Msg_ForegroundExeOpenFailed", L"Não foi possível obter o caminho do processo em primeiro plano (ele pode estar protegido)."},
    {L"Drive_LocalDiskOnly", L"Disco local"},
    // The duplicate finder, Select All, the analysis columns and hints, and two Settings Center
    // options.
    {L"Menu_SelectAll", L"Selecionar tudo\tCtrl+A"},
    {L"Analysis_FolderCol", L"Pasta"},
    {L"Analysis_ExtCol", L"Extensão"},
    {L"Analysis_AutoSelectDrive", L"O modo de análise selecionou a primeira unidade. Troque de unidade na lista suspensa."},
    {L"Analysis_DesktopHint", L"O escopo Área de Trabalho é do modo de pesquisa; a análise usa a primeira unidade. Escolha ALL para todos os discos."},
    {L"Settings_AlwaysOnTop", L"Manter a janela sempre visível"},
    {L"Settings_ShowRecentOpens", L"Mostrar arquivos abertos recentemente"},
    {L"Menu_SwitchToDup", L"Alternar para arquivos duplicados"},
    {L"Status_SwitchedToDup", L"Modo de arquivos duplicados (clique com o botão direito para trocar de modo)"},
    {L"Dup_Title", L"Arquivos duplicados"},
    {L"Dup_ListHeader", L"Grupos (mesmo conteúdo)"},
    {L"Dup_NoResults", L"Nenhum arquivo duplicado encontrado"},
    {L"Dup_HintStart", L"Selecione uma unidade e clique em Verificar"},
    {L"Dup_DriveAll", L"Todas as unidades (ALL)"},
    {L"Dup_Scan", L"Verificar"},
    {L"Dup_Rescan", L"Verificar de novo"},
    {L"Dup_Scanning", L"Verificando..."},
    {L"Dup_Cancel", L"Cancelar"},
    {L"Dup_Pause", L"Pausar"},
    {L"Dup_Resume", L"Retomar"},
    {L"Dup_Paused", L"Pausado"},
    {L"Dup_CurrentFile", L"Atual"},
    {L"Dup_StatusCancelling", L"Cancelando a verificação..."},
    {L"Dup_Back", L"Voltar"},
    {L"Dup_StatusEnum", L"Lendo o índice / tamanhos da MFT..."},
    {L"Dup_StatusEnumAll", L"Coletando o índice de todas as unidades..."},
    {L"Dup_StatusMft", L"Lendo os tamanhos de arquivo da MFT..."},
    {L"Dup_StatusMftReuse", L"Reutilizando os tamanhos da análise (sem MFT)..."},
    {L"Dup_StatusHash", L"Comparando o conteúdo dos arquivos candidatos..."},
    {L"Dup_StatusHashFast", L"Comparação rápida por amostras (sem hash completo)..."},
    {L"Dup_StatusSizeOnly", L"Agrupando por tamanho/extensão (sem hash)..."},
    {L"Dup_StatusQuickStatsFmt", L"Hash de amostra: %llu (ignorados por tamanho único %llu / candidatos %llu, grupos de tamanho %llu)"},
    {L"Dup_StatusDoneFmt", L"%zu grupos de duplicados encontrados"},
    {L"Dup_StatusCacheFmt", L"Cache carregado: %zu grupos de duplicados"},
    {L"Dup_StatusCancelled", L"Verificação cancelada"},
    {L"Dup_StatusNoIndex", L"Índice ainda não está pronto; percorrendo as pastas..."},
    {L"Dup_WasteLabel", L"Tamanho total"},
    {L"Dup_WasteShort", L"Total"},
    {L"Dup_GroupsChip", L"Grupos"},
    {L"Dup_FilesChip", L"Arquivos"},
    {L"Dup_FromCache", L"em cache"},
    {L"Dup_PhaseIndex", L"Lendo o índice"},
    {L"Dup_PhaseMft", L"Lendo tamanhos da MFT"},
    {L"Dup_PhaseFilter", L"Filtrando por tamanho"},
    {L"Dup_PhaseQuick", L"Comparação rápida de hash"},
    {L"Dup_PhaseFull", L"Verificação com hash completo"},
    {L"Dup_PhaseCache", L"Carregando o cache"},
    {L"Dup_ModeSizeOnly", L"Só tamanho (sem hash)"},
    {L"Dup_ModeFast", L"Rápido (hash de amostra)"},
    {L"Dup_ModeExact", L"Exato (hash completo)"},
    {L"Dup_StatusDoneSizeFmt", L"%zu grupos de tamanho encontrados (sem hash)"},
    {L"Dup_StatusDoneFastFmt", L"%zu grupos encontrados (modo rápido)"},
    {L"Dup_StatusSizeOnlyFmt", L"Só tamanho: mesma extensão %llu grupos, extensão mista %llu (ignorados únicos %llu / candidatos %llu)"},
    {L"Dup_ChartHeader", L"Grupos duplicados por tamanho (clique para examinar)"},
    {L"Dup_DetailHeader", L"Arquivos do grupo"},
    {L"Dup_DetailEmpty", L"Selecione um grupo à esquerda"},
    {L"Dup_StatusFailed", L"Falha na verificação"},
    {L"Dup_KeepOneCopy", L"Todas as cópias deste grupo estão selecionadas. Mantenha pelo menos uma cópia: nada foi excluído."},
    {L"Dup_NoOtherCopy", L"Não foi possível confirmar outra cópia idêntica (os arquivos podem ter mudado ou sumido desde a verificação). Nada foi excluído."},
    {L"Status_JournalLostReindexFmt", L"O diário de alterações da unidade %s foi perdido; a unidade está sendo indexada novamente em segundo plano..."},
    {L"Status_DriveReindexedFmt", L"A unidade %s foi indexada novamente; suas alterações voltam a ser acompanhadas."},
    {L"Status_DriveReindexFailedFmt", L"Não foi possível indexar novamente a unidade %s; ela fica fora das pesquisas até que os índices sejam atualizados."},
    // The content extension picker, its buttons, and messages of the file actions, the hotkeys
    // and the duplicate scan.
    {L"Button_OK", L"OK"},
    {L"Button_Cancel", L"Cancelar"},
    {L"ContentExt_Title", L"Escolher tipos de arquivo para a pesquisa de conteúdo"},
    {L"ContentExt_Tip", L"Marque as extensões e clique em OK; adicione/exclua extensões personalizadas abaixo."},
    {L"ContentExt_Custom", L"Ext. própria"},
    {L"ContentExt_Add", L"Adicionar"},
    {L"ContentExt_Delete", L"Excluir"},
    {L"ContentExt_SelectAll", L"Todos"},
    {L"ContentExt_Invert", L"Inverter"},
    {L"ContentExt_OpenConfig", L"Config."},
    {L"ContentExt_InputHint", L"Digite extensões, por exemplo .pdf ou pdf,docx"},
    {L"ContentExt_DeleteHint", L"Primeiro marque ou selecione as extensões a excluir."},
    {L"ContentExt_DeleteConfirm", L"Excluir da lista as extensões selecionadas?\n(O arquivo de configuração também é atualizado.)"},
    {L"ContentExt_NeedOne", L"Marque pelo menos uma extensão."},
    {L"Status_ContentExtPicked", L"Extensões da pesquisa de conteúdo definidas. Digite as palavras-chave e pressione Enter. Você ainda pode editar |exts manualmente."},
    {L"Status_ContentSearchNoCandidates", L"Nenhum arquivo para examinar após os filtros."},
    {L"Status_ContentSearchIncompleteFmt", L"Pesquisa de conteúdo incompleta: uma thread de varredura não pôde iniciar (%zu encontrados até agora)"},
    {L"Status_HotkeyInUse", L"O atalho %s está em uso por outro programa; atalho ativo: %s."},
    {L"Status_HotkeyNone", L"nenhum"},
    {L"Msg_RecycleFailedAskPermanentFmt", L"%zu item(ns) não puderam ser movidos para a Lixeira.\n\nExcluí-los permanentemente?"},
    {L"Msg_RenameTrailingDot", L"Um nome não pode terminar com ponto ou espaço."},
    {L"Msg_OpenManyConfirmFmt", L"Abrir %zu itens?"},
    {L"Dup_PhaseSlowRetry", L"Tentando de novo os arquivos lentos"},
    {L"Analysis_DeleteChangedFmt", L"%zu arquivo(s) selecionado(s) mudaram no disco desde a análise e não foram excluídos. Verifique de novo para vê-los como estão agora."},
};

const wchar_t* const kSettings[] = {
    L"Fechar",  // Button_Close
    L"Claro",  // Theme_Light
    L"Escuro",  // Theme_Dark
    L"Sem limite (pode ser lento)",  // Menu_ContentSizeNoLimit
    L"Central de configurações",  // Settings_Title
    L"Idioma",  // Settings_Language
    L"Tema",  // Settings_Theme
    L"Mostrar filtros na barra lateral",  // Settings_UseSidebarLayout
    L"Ignorar arquivos maiores que",  // Settings_ContentMaxSize
    L"Threads da pesquisa de conteúdo",  // Settings_ContentThreads
    L"Auto",  // Settings_Auto
    L"Definir",  // Settings_ChangeHotkey
    L"Dica: clique em Definir e pressione as teclas (Esc cancela)",  // Settings_HotkeyTip
    L"Extensões da pesquisa de conteúdo",  // Settings_OpenZipExts
    L"Caminhos internos de Office/ZIP",  // Settings_OpenZipPatterns
    L"Aparência e idioma",  // Settings_Cat1
    L"Geral",  // Settings_Cat2
    L"Pesquisa de conteúdo",  // Settings_Cat3
    L"Atalhos",  // Settings_Cat4
    L"Arquivos de configuração",  // Settings_Cat5
    L"Manutenção",  // Settings_Cat6
    L"Configurações salvas.",  // Settings_Saved
    L"Tema alterado.",  // Settings_ThemeChanged
    L"Arquivos recentes limpos.",  // Settings_RecentCleared
    L"Idioma alterado.",  // Settings_LanguageChanged
    L"Aguardando...",  // Settings_HotkeyWaiting
    L"Requer Ctrl/Alt/Shift",  // Settings_HotkeyNeedModifierShort
    L"Conflito, tente de novo",  // Settings_HotkeyConflictShort
    L"Falhou, tente de novo",  // Settings_HotkeyFailedShort
};

const wchar_t* const kAnalysis[] = {
    L"Mudar para análise",  // Menu_SwitchToAnalysis
    L"Modo análise (use Voltar à pesquisa para retornar).",  // Status_SwitchedToAnalysis
    L"Modo pesquisa (análise pelo menu de contexto).",  // Status_SwitchedToSearch
    L"Verificar novamente",  // Analysis_Rescan
    L"Verificar",  // Analysis_StartScan
    L"Verificando...",  // Analysis_ScanningBtn
    L"Todas as unidades (ALL)",  // Analysis_DriveAll
    L"Unidade a analisar",  // Analysis_DriveLabel
    L"Voltar à pesquisa",  // Analysis_BackToSearch
    L"Análise de disco",  // Analysis_ToolbarTitle
    L"Verificando a MFT...",  // Analysis_ScanningMft
    L"Análise concluída: %s (%zu itens)",  // Analysis_ScanDoneFmt
    L"Falha na análise do disco",  // Analysis_ScanFailed
    L"Selecione uma unidade para analisar",  // Analysis_NeedDrive
    L"Acima",  // Analysis_Up
    L"Verificando todos os discos...",  // Analysis_ScanningAll
    L"Análise concluída",  // Analysis_ScanDoneSimple
    L"Caminho",  // Analysis_Path
    L"Usado",  // Analysis_Used
    L"Livre",  // Analysis_Free
    L"Total",  // Analysis_Total
    L"Analisado",  // Analysis_Analyzed
    L"Todos os discos",  // Analysis_AllDisks
    L"Análise de todos os discos",  // Analysis_AllDisksTitle
    L"O que ocupa espaço",  // Analysis_StoryTitle
    L"Parcela",  // Analysis_Pct
    L"Tamanho",  // Analysis_Size
    L"Por tipo (maior->menor)",  // Analysis_ByType
    L"Clique para expandir",  // Analysis_ClickExpand
    L"Sem estatísticas por extensão",  // Analysis_NoExtStats
    L"Nenhum item para mostrar nesta pasta",  // Analysis_NoItems
    L"Nenhuma distribuição de uso para mostrar aqui",  // Analysis_NoSunburst
    L"Verificando, aguarde...",  // Analysis_ScanningWait
    L"Selecione uma unidade ou ALL para iniciar a análise",  // Analysis_SelectDriveHint
    L"Falha na verificação",  // Analysis_ScanFailedShort
    L"Outros",  // Analysis_Other
    L"Outros (%d itens)",  // Analysis_OtherFmt
    L"Clique no centro para subir",  // Analysis_ClickCenterBack
    L"Clique para abrir",  // Analysis_ClickEnter
    L"Selecionado",  // Analysis_Selected
    L"(sem extensão)",  // Analysis_NoExt
    L" itens",  // Analysis_CountUnit
};

}  // namespace

LanguageTexts PortugueseTexts() {
    LanguageTexts t;
    t.texts = kTexts;
    t.textCount = sizeof(kTexts) / sizeof(kTexts[0]);
    t.settings = kSettings;
    t.analysis = kAnalysis;
    return t;
}

}  // namespace i18n_detail
