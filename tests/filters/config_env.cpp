// Every filters test writes into a configuration folder of its own, never the user's.
#include <gtest/gtest.h>

#include "core/Core.h"
#include "filters_test_env.h"
#include "shell/Shell.h"
#include "support/fixture.h"

namespace {

std::wstring g_dir;

class FiltersConfigEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        g_dir = testfx::MakeScratchDir(L"filters-config-env");
        SetConfigDirOverride(g_dir);
        InstallShellHooks();  // as the program does before its window exists
    }
    void TearDown() override { SetConfigDirOverride(L""); }
};

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new FiltersConfigEnvironment);

}  // namespace

std::wstring FiltersTestConfigDir() { return g_dir; }
