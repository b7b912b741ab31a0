// Russian texts: menu, title and main groups, then the settings and analysis groups.
#include "i18n/I18nInternal.h"

namespace i18n_detail {
namespace {

const TextPair kTexts[] = {
    {L"Name", L"Русский"},
    {L"LanguageIsChinese", L"0"},
};

}  // namespace

LanguageTexts RussianTexts() {
    LanguageTexts t;
    t.texts = kTexts;
    t.textCount = sizeof(kTexts) / sizeof(kTexts[0]);
    return t;
}

}  // namespace i18n_detail
