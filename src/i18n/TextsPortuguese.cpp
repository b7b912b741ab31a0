// Brazilian Portuguese texts: the menu group, then the settings and analysis groups.
#include "i18n/I18nInternal.h"

namespace i18n_detail {
namespace {

const TextPair kTexts[] = {
    {L"Name", L"Português (BR)"},
    {L"LanguageIsChinese", L"0"},
};

}  // namespace

LanguageTexts PortugueseTexts() {
    LanguageTexts t;
    t.texts = kTexts;
    t.textCount = sizeof(kTexts) / sizeof(kTexts[0]);
    return t;
}

}  // namespace i18n_detail
