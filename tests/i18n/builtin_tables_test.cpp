// The 13 built-in tables: keys, placeholders, which texts are translated, and the texts that
// the program's layout depends on.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <map>
#include <set>
#include <string>

#include "i18n/I18n.h"
#include "i18n/I18nInternal.h"

namespace {

const TextTable& T(const wchar_t* code) { return GetBuiltinTextTable(code); }

std::set<std::wstring> KeysOf(const std::vector<const std::vector<std::wstring>*>& groups) {
    std::set<std::wstring> keys;
    for (const auto* g : groups) keys.insert(g->begin(), g->end());
    return keys;
}

// Keys of the feature texts, which every language translates.
bool IsFeatureKey(const std::wstring& key) {
    size_t count = 0;
    const i18n_detail::FeatureText* texts = i18n_detail::SettingsToolTexts(count);
    for (size_t i = 0; i < count; ++i)
        if (key == texts[i].key) return true;
    return false;
}

std::wstring Join(const std::vector<std::wstring>& v) {
    std::wstring s;
    for (const auto& t : v) s += t + L" ";
    return s;
}

TEST(BuiltinTables, ThirteenCompleteTablesWithTheRightKeys) {
    EnsureBuiltinLanguageTables();
    EnsureBuiltinLanguageTables();  // a second call changes nothing
    ASSERT_EQ(g_builtinTextTables.size(), 13u);
    const TextTable& en = T(L"en-us");
    // 272 keys of the six groups, the English caption of an unlabeled drive and the keys added
    // since (the duplicate view's safe delete and failed scan, the re-indexing of a drive, a
    // settings file that cannot be written, the live colour picker, the content extension picker
    // and messages of the file actions, hotkeys and scans).
    EXPECT_EQ(en.size(), 273u + GetAddedKeys().size());
    std::set<std::wstring> groups =
        KeysOf({&GetMenuGroupKeys(), &GetTitleGroupKeys(), &GetMainGroupKeys(),
                &GetSettingsGroupKeys(), &GetAnalysisGroupKeys(), &GetRestGroupKeys()});
    EXPECT_EQ(groups.size(), 272u);
    for (const auto& k : groups) EXPECT_EQ(en.count(k), 1u) << k.c_str();
    for (const auto& k : GetAddedKeys()) {
        EXPECT_EQ(en.count(k), 1u) << k.c_str();
        EXPECT_EQ(groups.count(k), 0u) << k.c_str();
    }
    EXPECT_EQ(en.at(L"Drive_LocalDiskOnly"), L"Local Disk");
    EXPECT_EQ(GetMenuGroupKeys().size(), 45u);
    EXPECT_EQ(GetTitleGroupKeys().size(), 7u);
    EXPECT_EQ(GetMainGroupKeys().size(), 93u);
    EXPECT_EQ(GetSettingsGroupKeys().size(), 29u);
    EXPECT_EQ(GetAnalysisGroupKeys().size(), 42u);
    EXPECT_EQ(GetRestGroupKeys().size(), 56u);

    for (const std::wstring& code : GetBuiltinLanguageCodes()) {
        const TextTable& t = GetBuiltinTextTable(code);
        ASSERT_EQ(g_builtinTextTables.count(code), 1u) << code.c_str();
        bool chinese = code == L"zh-cn" || code == L"zh-tw";
        EXPECT_EQ(t.size(), (chinese ? 275u : 273u) + GetAddedKeys().size()) << code.c_str();
        for (const auto& [k, v] : en) EXPECT_EQ(t.count(k), 1u) << code.c_str() << " " << k.c_str();
        for (const auto& [k, v] : t) {
            bool chineseOnly = k == L"Mode_Search" || k == L"Mode_Analysis";
            EXPECT_TRUE(en.count(k) || (chinese && chineseOnly)) << code.c_str() << " " << k.c_str();
            EXPECT_FALSE(v.empty()) << code.c_str() << " " << k.c_str();
        }
        EXPECT_EQ(t.at(L"LanguageIsChinese"), chinese ? L"1" : L"0");
        EXPECT_EQ(t.at(L"app.name"), t.at(L"App_Name")) << code.c_str();
    }
    EXPECT_EQ(g_textKeyAliases.size(), 6u);
    EXPECT_EQ(g_textKeyAliases.at(L"dialog.title.information"), L"MsgTitle_Information");
    // The feature texts land in their own language's table.
    EXPECT_EQ(T(L"de-de").at(L"Button_Cancel"), L"Abbrechen");
    EXPECT_EQ(T(L"zh-tw").at(L"Settings_ColorPickerTitle"), L"即時配色 - ");
    EXPECT_EQ(T(L"ar-sa").at(L"Button_OK"), L"موافق");
    EXPECT_EQ(T(L"en-us").at(L"Settings_ColorPickerTitle"), L"Live color - ");
}

// Every text of every table keeps the printf conversions, "{0}", line breaks and TABs of the
// English text of its key, in number, type and order.
TEST(BuiltinTables, EveryTextKeepsThePlaceholdersOfItsEnglishText) {
    const TextTable& en = T(L"en-us");
    size_t checked = 0;
    for (const auto& [code, table] : g_builtinTextTables) {
        for (const auto& [key, text] : table) {
            auto e = en.find(key);
            const std::wstring english = e != en.end() ? e->second : std::wstring();
            EXPECT_EQ(Join(ExtractTextPlaceholders(text)), Join(ExtractTextPlaceholders(english)))
                << code.c_str() << " " << key.c_str();
            ++checked;
        }
    }
    EXPECT_GT(checked, 13u * 272u);
}

// Formatted with the arguments of its English text, every format text of every table is complete.
TEST(BuiltinTables, EveryFormatTextFormatsCompletely) {
    const std::map<std::wstring, std::function<std::wstring(const std::wstring&)>> byArgs = {
        {L"%lu ", [](const std::wstring& f) { return FormatTableText(f.c_str(), 4242UL); }},
        {L"%zu ", [](const std::wstring& f) { return FormatTableText(f.c_str(), size_t(4242)); }},
        {L"%zu %zu ",
         [](const std::wstring& f) { return FormatTableText(f.c_str(), size_t(4242), size_t(4242)); }},
        {L"%lld ", [](const std::wstring& f) { return FormatTableText(f.c_str(), 4242LL); }},
        {L"%d ", [](const std::wstring& f) { return FormatTableText(f.c_str(), 4242); }},
        {L"%s ", [](const std::wstring& f) { return FormatTableText(f.c_str(), L"4242"); }},
        {L"%s %s ", [](const std::wstring& f) { return FormatTableText(f.c_str(), L"4242", L"4242"); }},
        {L"%s %zu ",
         [](const std::wstring& f) { return FormatTableText(f.c_str(), L"4242", size_t(4242)); }},
        {L"%llu %llu %llu %llu ",
         [](const std::wstring& f) {
             return FormatTableText(f.c_str(), 4242ULL, 4242ULL, 4242ULL, 4242ULL);
         }},
    };
    for (const auto& [code, table] : g_builtinTextTables) {
        for (const auto& [key, text] : table) {
            std::wstring sig = Join(ExtractFormatPlaceholders(text));
            if (sig.empty() || sig == L"{0} ") continue;
            auto f = byArgs.find(sig);
            ASSERT_NE(f, byArgs.end()) << code.c_str() << " " << key.c_str();
            std::wstring out = f->second(text);
            size_t n = std::count(sig.begin(), sig.end(), L'%');
            size_t found = 0;
            for (size_t at = out.find(L"4242"); at != std::wstring::npos; at = out.find(L"4242", at + 4)) ++found;
            EXPECT_EQ(found, n) << code.c_str() << " " << key.c_str();
            EXPECT_EQ(out.find(L'%'), std::wstring::npos) << code.c_str() << " " << key.c_str();
        }
    }
}

// Which texts each table translates: own texts differ from the text of the table they were
// copied from except the listed ones; every other key keeps the copied text, except the later
// texts that every table translates.
TEST(BuiltinTables, TranslatedGroupsPerLanguage) {
    const std::set<std::wstring> kTranslatedEverywhere(GetAddedKeys().begin(), GetAddedKeys().end());
    // "OK" is the button's text in several languages.
    const std::set<std::wstring> okIsOk = {L"de-de", L"fr-fr", L"ja-jp", L"no-no", L"pt-br", L"it-it"};
    const TextTable& en = T(L"en-us");
    const TextTable& zh = T(L"zh-cn");
    struct Lang {
        const wchar_t* code;
        bool ownTitleAndMain;
        std::set<std::wstring> equalToEnglish;
    };
    const std::set<std::wstring> common = {L"LanguageIsChinese"};
    auto with = [&](std::set<std::wstring> s) { s.insert(common.begin(), common.end()); return s; };
    const Lang langs[] = {
        // The titles hold the product's name alone, which is "Tarnwick" in Latin-script languages.
        {L"de-de", true, with({L"app.name", L"App_Name", L"app.title.main", L"App_TitleMain",
                               L"App_TitleMainLower", L"Filter.6", L"Filter.7", L"Log_ResultOk",
                               L"Scope_Desktop", L"Header_Name", L"Status_FilterApplyingPrefix",
                               L"Status_FilterHitsPrefix", L"Settings_Auto", L"Settings_Cat4"})},
        {L"ja-jp", true, with({L"Header_RowNumber"})},
        {L"fr-fr", true, with({L"app.name", L"app.title.main", L"App_Name", L"App_TitleMain",
                               L"App_TitleMainLower", L"MsgTitle_Information", L"Filter.2", L"Filter.3",
                               L"Filter.4", L"Filter.5", L"Filter.7", L"Log_ResultOk", L"Header_RowNumber",
                               L"Header_Type", L"Analysis_Total", L"Settings_Auto", L"Settings_Cat6"})},
        {L"ko-kr", true, with({L"Header_RowNumber"})},
        {L"es-es", true, with({L"app.name", L"app.title.main", L"App_Name", L"App_TitleMain",
                               L"App_TitleMainLower", L"MsgTitle_Error", L"Filter.7", L"Log_ResultOk",
                               L"Header_RowNumber", L"Analysis_Total", L"Settings_Auto"})},
        {L"ru-ru", true, with({L"app.name", L"App_Name", L"app.title.main", L"App_TitleMain",
                               L"App_TitleMainLower"})},
        {L"no-no", true, with({L"app.name", L"App_Name", L"app.title.main", L"App_TitleMain",
                               L"App_TitleMainLower", L"Log_ResultOk", L"Header_RowNumber",
                               L"Header_Type", L"Status_FilterApplyingPrefix", L"Status_FilterHitsPrefix",
                               L"Settings_Auto"})},
        {L"ar-sa", true, with({L"app.name", L"app.title.main", L"App_Name", L"App_TitleMain",
                               L"App_TitleMainLower", L"Header_RowNumber"})},
        {L"pt-br", false, with({L"Analysis_Total", L"Settings_Auto"})},
        {L"it-it", false, with({L"Menu_Homepage", L"Filter.7", L"Settings_Auto"})},
    };
    for (const Lang& l : langs) {
        const TextTable& t = T(l.code);
        std::set<std::wstring> own = KeysOf({&GetMenuGroupKeys(), &GetSettingsGroupKeys(),
                                             &GetAnalysisGroupKeys()});
        if (l.ownTitleAndMain) {
            std::set<std::wstring> more = KeysOf({&GetTitleGroupKeys(), &GetMainGroupKeys()});
            own.insert(more.begin(), more.end());
        }
        for (const auto& [k, english] : en) {
            if (k == L"Drive_LocalDiskOnly" || IsFeatureKey(k)) continue;
            bool equal = t.at(k) == english;
            if (kTranslatedEverywhere.count(k)) {
                EXPECT_EQ(equal, k == L"Button_OK" && okIsOk.count(l.code) == 1) << l.code << " " << k.c_str();
                continue;
            }
            if (own.count(k)) {
                EXPECT_EQ(equal, l.equalToEnglish.count(k) == 1) << l.code << " " << k.c_str();
            } else {
                EXPECT_TRUE(equal) << l.code << " " << k.c_str();
            }
        }
    }
    // zh-cn translates everything; zh-tw keeps the Simplified texts of the main and rest groups.
    for (const auto& [k, english] : en) EXPECT_NE(zh.at(k), english) << k.c_str();
    const TextTable& tw = T(L"zh-tw");
    for (const auto* g : {&GetMainGroupKeys(), &GetRestGroupKeys(), &GetChineseOnlyKeys()}) {
        for (const auto& k : *g) EXPECT_EQ(tw.at(k), zh.at(k)) << k.c_str();
    }
    // The content picker's texts have Traditional forms of their own ("取消" is written alike).
    for (const auto& k : {L"Button_OK", L"ContentExt_Title", L"ContentExt_SelectAll", L"Status_HotkeyNone",
                          L"Msg_RecycleFailedAskPermanentFmt", L"Dup_PhaseSlowRetry"}) {
        EXPECT_NE(tw.at(k), zh.at(k)) << k;
    }
    EXPECT_EQ(tw.at(L"Title_SearchFinalFmt"), L"塔恩维克 - 共命中 %lld 个");
    EXPECT_EQ(tw.at(L"Mode_Search"), L"搜索");
    EXPECT_EQ(tw.at(L"Settings_AlwaysOnTop"), zh.at(L"Settings_AlwaysOnTop"));
    for (const wchar_t* code : {L"de-de", L"pt-br", L"it-it"}) {
        EXPECT_EQ(T(code).at(L"Settings_AlwaysOnTop"), L"Keep window on top");
    }
    EXPECT_EQ(T(L"de-de").at(L"Dup_Title"), L"Duplicate Files");
    EXPECT_EQ(T(L"ja-jp").at(L"Menu_SelectAll"), L"Select All\tCtrl+A");
    EXPECT_EQ(T(L"pt-br").at(L"MsgTitle_Error"), L"Error");
}

TEST(BuiltinTables, TextsTheLayoutDependsOn) {
    struct Row {
        const wchar_t* code;
        const wchar_t* name;
        const wchar_t* trayTip;
        const wchar_t* partial;
        const wchar_t* final;
        const wchar_t* recycle;
        const wchar_t* permanent;
    };
    const Row rows[] = {
        {L"en-us", L"English (US)", L"Tarnwick - {0} Show/Hide", L"Tarnwick - %lld+ results...",
         L"Tarnwick - %lld results", L"Delete", L"Shift+Delete"},
        {L"zh-cn", L"中文(简体)", L"塔恩维克 - {0} 显示/隐藏", L"塔恩维克 - 已找到 %lld+ 个...",
         L"塔恩维克 - 共命中 %lld 个", L"Delete", L"Shift+Delete"},
        {L"zh-tw", L"中文(繁體)", L"塔恩維克 - {0} 顯示/隱藏", L"塔恩维克 - 已找到 %lld+ 个...",
         L"塔恩维克 - 共命中 %lld 个", L"Delete", L"Shift+Delete"},
        {L"de-de", L"Deutsch (DE)", L"Tarnwick – {0} Ein-/Ausblenden", L"Tarnwick – %lld+ Treffer...",
         L"Tarnwick – %lld Treffer", L"Entf", L"Umschalt+Entf"},
        {L"ja-jp", L"日本語", L"ターンウィック - {0} 表示/非表示",
         L"ターンウィック - %lld+ 件が見つかりました...", L"ターンウィック - %lld 件ヒット", L"Delete",
         L"Shift+Delete"},
        {L"fr-fr", L"Français", L"Tarnwick - {0} Afficher/Masquer", L"Tarnwick - %lld+ résultats...",
         L"Tarnwick - %lld résultats", L"Suppr", L"Maj+Suppr"},
        {L"ko-kr", L"한국어", L"탄윅 - {0} 표시/숨기기", L"탄윅 - %lld개 이상 발견...", L"탄윅 - %lld개 일치",
         L"Delete", L"Shift+Delete"},
        {L"es-es", L"Español", L"Tarnwick - {0} Mostrar/Ocultar", L"Tarnwick - %lld+ resultados...",
         L"Tarnwick - %lld resultados", L"Supr", L"Mayús+Supr"},
        {L"ru-ru", L"Русский", L"Tarnwick — {0} Показать/Скрыть", L"Tarnwick — найдено %lld+...",
         L"Tarnwick — совпадений: %lld", L"Del", L"Shift+Del"},
        {L"no-no", L"Norsk", L"Tarnwick – {0} Vis/Skjul", L"Tarnwick – %lld+ treff...",
         L"Tarnwick – %lld treff", L"Del", L"Shift+Del"},
        {L"ar-sa", L"العربية", L"Tarnwick - {0} إظهار/إخفاء", L"Tarnwick - وُجد %lld+...",
         L"Tarnwick - %lld نتيجة", L"Delete", L"Shift+Delete"},
        {L"pt-br", L"Português (BR)", L"Tarnwick - {0} Mostrar/Ocultar", L"Tarnwick - %lld+ results...",
         L"Tarnwick - %lld results", L"Delete", L"Shift+Delete"},
        {L"it-it", L"Italiano", L"Tarnwick - {0} Mostra/Nascondi", L"Tarnwick - %lld+ results...",
         L"Tarnwick - %lld results", L"Canc", L"Maiusc+Canc"},
    };
    for (const Row& r : rows) {
        const TextTable& t = T(r.code);
        EXPECT_EQ(t.at(L"Name"), r.name) << r.code;
        EXPECT_EQ(t.at(L"TrayTip"), r.trayTip) << r.code;
        EXPECT_EQ(t.at(L"Title_SearchPartialFmt"), r.partial) << r.code;
        EXPECT_EQ(t.at(L"Title_SearchFinalFmt"), r.final) << r.code;
        const std::wstring& recycle = t.at(L"Menu_MoveToRecycleDelete");
        const std::wstring& permanent = t.at(L"Menu_DeletePermanentShiftDelete");
        EXPECT_EQ(recycle.substr(recycle.find(L'\t') + 1), r.recycle) << r.code;
        EXPECT_EQ(permanent.substr(permanent.find(L'\t') + 1), r.permanent) << r.code;
        const std::wstring& rename = t.at(L"Menu_RenameF2");
        EXPECT_EQ(rename.substr(rename.find(L'\t')), L"\tF2") << r.code;
    }

    struct Group {
        const wchar_t* code;
        const wchar_t* title;
        const wchar_t* done;
        const wchar_t* other;
        const wchar_t* unit;
    };
    const Group groups[] = {
        {L"de-de", L"Einstellungen", L"Analyse fertig: %s (%zu Einträge)", L"Sonstiges (%d Einträge)", L" Einträge"},
        {L"ja-jp", L"設定センター", L"分析完了: %s（%zu 件）", L"その他 (%d 件)", L" 件"},
        {L"fr-fr", L"Centre de paramètres", L"Analyse terminée : %s (%zu éléments)", L"Autre (%d éléments)", L" éléments"},
        {L"ko-kr", L"설정 센터", L"분석 완료: %s(%zu개)", L"기타(%d개)", L"개"},
        {L"es-es", L"Centro de configuración", L"Análisis listo: %s (%zu elementos)", L"Otros (%d elementos)", L" elementos"},
        {L"ru-ru", L"Центр настроек", L"Анализ завершён: %s (%zu элем.)", L"Прочее (%d элем.)", L" шт."},
        {L"no-no", L"Innstillingssenter", L"Analyse ferdig: %s (%zu elementer)", L"Annet (%d elementer)", L" elementer"},
        {L"ar-sa", L"مركز الإعدادات", L"اكتمل التحليل: %s (%zu عنصرًا)", L"أخرى (%d عناصر)", L" عنصر"},
        {L"pt-br", L"Central de configurações", L"Análise concluída: %s (%zu itens)", L"Outros (%d itens)", L" itens"},
        {L"it-it", L"Centro impostazioni", L"Analisi completata: %s (%zu elementi)", L"Altro (%d elementi)", L" elementi"},
    };
    for (const Group& g : groups) {
        const TextTable& t = T(g.code);
        EXPECT_EQ(t.at(L"Settings_Title"), g.title) << g.code;
        EXPECT_EQ(t.at(L"Analysis_ScanDoneFmt"), g.done) << g.code;
        EXPECT_EQ(t.at(L"Analysis_OtherFmt"), g.other) << g.code;
        EXPECT_EQ(t.at(L"Analysis_CountUnit"), g.unit) << g.code;
        std::wstring done = FormatTableText(t.at(L"Analysis_ScanDoneFmt").c_str(), L"D:", size_t(77));
        EXPECT_NE(done.find(L"D:"), std::wstring::npos);
        EXPECT_NE(done.find(L"77"), std::wstring::npos);
    }
    EXPECT_EQ(T(L"zh-tw").at(L"Settings_Title"), L"設定中心");

    // Fragments joined with a count carry their own spaces.
    const TextTable& en = T(L"en-us");
    EXPECT_EQ(en.at(L"Msg_DeleteMultiConfirmPrefix") + L"3" + en.at(L"Msg_DeleteMultiConfirmSuffix"),
              L"Permanently delete the selected 3 items?");
    const TextTable& ko = T(L"ko-kr");
    EXPECT_EQ(ko.at(L"Msg_DeleteMultiConfirmPrefix") + L"3" + ko.at(L"Msg_DeleteMultiConfirmSuffix"),
              L"선택한 3개 항목을 영구 삭제할까요?");
    for (const wchar_t* k : {L"Msg_DeleteMultiConfirmSuffix", L"Status_SearchingShowingSuffix",
                             L"Status_RefreshNonNtfsSingleSuffix", L"Status_RefreshNonNtfsFailedMid",
                             L"Status_RefreshNonNtfsFailedSuffix", L"Analysis_CountUnit"}) {
        EXPECT_EQ(ko.at(k).substr(0, 1), L"개") << k;
    }
    EXPECT_EQ(T(L"zh-cn").at(L"Msg_HotkeySetPrefix"), L"快捷键已设置为：");
    EXPECT_EQ(T(L"zh-cn").at(L"Msg_HotkeySetPrefixFgExe"), L"「前台程序位置」快捷键已设置为：");
    EXPECT_EQ(en.at(L"Status_SwitchedToDup").back(), L')');
    EXPECT_EQ(en.at(L"Msg_AlreadyRunningPrefix").back(), L'"');
    EXPECT_EQ(en.at(L"Msg_AlreadyRunningSuffix").front(), L'"');
    EXPECT_EQ(T(L"de-de").at(L"Analysis_DriveAll"), L"Alle Laufwerke (ALL)");
    for (const auto& [code, table] : g_builtinTextTables) {
        EXPECT_NE(table.at(L"Analysis_DriveAll").find(L"(ALL)"), std::wstring::npos) << code.c_str();
        EXPECT_NE(table.at(L"Analysis_SelectDriveHint").find(L"ALL"), std::wstring::npos) << code.c_str();
        EXPECT_NE(table.at(L"Msg_AdminRequired").find(L"USN"), std::wstring::npos) << code.c_str();
        EXPECT_NE(table.at(L"Msg_LanguageSwitchFilterConflict").find(L"filters.ini"), std::wstring::npos);
        EXPECT_NE(table.at(L"Settings_OpenZipPatterns").find(L"Office/ZIP"), std::wstring::npos);
    }
}

TEST(BuiltinTables, SettingsAndAnalysisGroupOperations) {
    std::vector<const wchar_t*> s;
    for (const auto& k : GetSettingsGroupKeys()) s.push_back(k.c_str());
    TextTable t;
    AddSettingsTexts(t, s[0], s[1], s[2], s[3], s[4], s[5], s[6], s[7], s[8], s[9], s[10], s[11],
                     s[12], s[13], s[14], s[15], s[16], s[17], s[18], s[19], s[20], s[21], s[22],
                     s[23], s[24], s[25], s[26], s[27], s[28]);
    EXPECT_EQ(t.size(), 29u);
    for (const auto& k : GetSettingsGroupKeys()) EXPECT_EQ(t.at(k), k);  // position i -> key i
    TextTable again = t;
    AddSettingsTexts(again, s[0], s[1], s[2], s[3], s[4], s[5], s[6], s[7], s[8], s[9], s[10], s[11],
                     s[12], s[13], s[14], s[15], s[16], s[17], s[18], s[19], s[20], s[21], s[22],
                     s[23], s[24], s[25], s[26], s[27], s[28]);
    EXPECT_EQ(again, t);

    std::vector<const wchar_t*> a;
    for (const auto& k : GetAnalysisGroupKeys()) a.push_back(k.c_str());
    TextTable u = T(L"en-us");
    AddAnalysisTexts(u, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11],
                     a[12], a[13], a[14], a[15], a[16], a[17], a[18], a[19], a[20], a[21], a[22],
                     a[23], a[24], a[25], a[26], a[27], a[28], a[29], a[30], a[31], a[32], a[33],
                     a[34], a[35], a[36], a[37], a[38], a[39], a[40], a[41]);
    EXPECT_EQ(u.size(), T(L"en-us").size());
    EXPECT_EQ(u.at(L"Analysis_CountUnit"), L"Analysis_CountUnit");
    EXPECT_EQ(u.at(L"Menu_SwitchToAnalysis"), L"Menu_SwitchToAnalysis");
}

// Emptying the list of recent opens deletes no file, and no language may say it does: where the
// command or its done message names the files, it names the list of them.
TEST(BuiltinTables, ClearingRecentOpensNamesTheListNotTheFiles) {
    struct Words {
        const wchar_t* code;
        const wchar_t* files;
        const wchar_t* list;
    };
    const Words words[] = {
        {L"zh-cn", L"文件", L"记录"},      {L"zh-tw", L"檔案", L"記錄"},    {L"en-us", L"file", L"list"},
        {L"ja-jp", L"ファイル", L"履歴"},  {L"ko-kr", L"파일", L"목록"},    {L"de-de", L"dateien", L"liste"},
        {L"fr-fr", L"fichiers", L"liste"}, {L"es-es", L"archivos", L"lista"}, {L"pt-br", L"arquivos", L"lista"},
        {L"it-it", L"file", L"elenco"},    {L"ru-ru", L"файл", L"список"},  {L"no-no", L"filer", L"liste"},
        {L"ar-sa", L"الملفات", L"قائمة"},
    };
    auto lower = [](std::wstring text) {
        if (!text.empty()) CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
        return text;
    };
    ASSERT_EQ(std::size(words), GetBuiltinLanguageCodes().size());
    for (const Words& w : words) {
        for (const wchar_t* key : {L"Menu_ClearRecent", L"Settings_RecentCleared"}) {
            const std::wstring text = lower(T(w.code).at(key));
            if (text.find(w.files) == std::wstring::npos) continue;
            EXPECT_NE(text.find(w.list), std::wstring::npos) << w.code << " " << key;
        }
    }
}

}  // namespace
