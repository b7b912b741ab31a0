#pragma once
// Saves the language state (active table, language group, code) and restores it at the end of
// a test, so that tests can switch languages freely.
#include <gtest/gtest.h>

#include "i18n/I18n.h"

class LanguageStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedTable_ = g_activeTextTable;
        savedChinese_ = g_languageIsChinese;
        savedCode_ = g_uiLanguageCode;
    }
    void TearDown() override {
        g_activeTextTable = savedTable_;
        g_languageIsChinese = savedChinese_;
        g_uiLanguageCode = savedCode_;
    }

private:
    TextTable savedTable_;
    bool savedChinese_ = true;
    std::wstring savedCode_;
};
