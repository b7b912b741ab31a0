// Every localization test runs against a scratch configuration folder, so that the performance
// log, language files and language.ini never touch the user's (or another test's) folder.
#include <gtest/gtest.h>

#include "core/Core.h"
#include "support/fixture.h"

namespace {

class ScratchConfigEnvironment : public ::testing::Environment {
public:
    void SetUp() override { SetConfigDirOverride(testfx::MakeScratchDir(L"i18n_config")); }
    void TearDown() override { SetConfigDirOverride(L""); }
};

[[maybe_unused]] ::testing::Environment* const g_env =
    ::testing::AddGlobalTestEnvironment(new ScratchConfigEnvironment);

}  // namespace
