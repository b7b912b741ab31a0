// Brazilian Portuguese texts: the menu group, then the settings and analysis groups.
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
    {L"Menu_ClearRecent", L"Limpar a lista de arquivos recentes"},
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
    {L"Dup_StatusCheckingFmt", L"Verificando as cópias antes de excluir: %s de %s lidos (Esc cancela)"},
    {L"Dup_StatusDeleteCancelled", L"Exclusão cancelada: nada foi excluído."},
    {L"Dup_StatusHashUnavailable", L"Falha na verificação: o hash SHA-256 do sistema não está disponível."},
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
    L"Lista de arquivos recentes limpa.",  // Settings_RecentCleared
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
