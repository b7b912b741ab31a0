// Texts of the settings tools (the live colour picker) in all 13
// built-in languages, one row per key in the order of GetBuiltinLanguageCodes().
#include "i18n/I18nInternal.h"

namespace i18n_detail {
namespace {

const FeatureText kTexts[] = {
    {L"Button_OK",
     {L"确定", L"確定", L"OK", L"OK", L"확인", L"OK", L"OK", L"Aceptar", L"OK", L"OK", L"ОК", L"OK", L"موافق"}},
    {L"Button_Cancel",
     {L"取消", L"取消", L"Cancel", L"キャンセル", L"취소", L"Abbrechen", L"Annuler", L"Cancelar", L"Cancelar",
      L"Annulla", L"Отмена", L"Avbryt", L"إلغاء"}},
    {L"Settings_ColorPickerTitle",
     {L"实时配色 - ", L"即時配色 - ", L"Live color - ", L"ライブカラー - ", L"실시간 색상 - ", L"Live-Farbe - ",
      L"Couleur en direct - ", L"Color en vivo - ", L"Cor ao vivo - ", L"Colore dal vivo - ",
      L"Цвет в реальном времени - ", L"Direktefarge - ", L"لون مباشر - "}},
    {L"Settings_ColorLiveTip",
     {L"拖动色板/滑条即可实时预览主窗口，确定后保存，取消则还原。",
      L"拖曳色板/滑桿即可即時預覽主視窗，確定後儲存，取消則還原。",
      L"Drag to preview live. OK saves, Cancel restores.",
      L"ドラッグするとすぐにプレビューされます。OK で保存、キャンセルで元に戻します。",
      L"드래그하면 바로 미리 볼 수 있습니다. 확인은 저장, 취소는 되돌립니다.",
      L"Ziehen zeigt die Farbe sofort an. OK speichert, Abbrechen stellt wieder her.",
      L"Faites glisser pour prévisualiser en direct. OK enregistre, Annuler rétablit.",
      L"Arrastre para previsualizar en vivo. Aceptar guarda, Cancelar restaura.",
      L"Arraste para visualizar ao vivo. OK salva, Cancelar restaura.",
      L"Trascina per l'anteprima dal vivo. OK salva, Annulla ripristina.",
      L"Перетаскивайте для предпросмотра. ОК сохраняет, Отмена восстанавливает.",
      L"Dra for å forhåndsvise direkte. OK lagrer, Avbryt gjenoppretter.",
      L"اسحب للمعاينة المباشرة. موافق يحفظ، وإلغاء يستعيد."}},
};

}  // namespace

const FeatureText* SettingsToolTexts(size_t& count) {
    count = sizeof(kTexts) / sizeof(kTexts[0]);
    return kTexts;
}

}  // namespace i18n_detail
