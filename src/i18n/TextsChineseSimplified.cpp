// Simplified Chinese texts: every key, plus the three keys only the Chinese tables have.
#include "i18n/I18nInternal.h"

namespace i18n_detail {
namespace {

const TextPair kTexts[] = {
    {L"Name", L"中文(简体)"},
    {L"LanguageIsChinese", L"1"},
};

}  // namespace

LanguageTexts ChineseSimplifiedTexts() {
    LanguageTexts t;
    t.texts = kTexts;
    t.textCount = sizeof(kTexts) / sizeof(kTexts[0]);
    return t;
}

}  // namespace i18n_detail
