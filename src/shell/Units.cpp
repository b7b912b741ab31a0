// The feature units of the main window, in the order they are created (and, reversed, destroyed).
// A new feature registers its unit here.
#include "analysis/AnalysisMode.h"
#include "duplicates/DupMode.h"
#include "settings/SettingsCenter.h"
#include "settings/SettingsTools.h"
#include "shell/Shell.h"
#include "ui/WindowUnit.h"

void RegisterShellUnits() {
    RegisterWindowUnit(TrayWindowUnit());
    RegisterWindowUnit(HotkeysWindowUnit());
    RegisterWindowUnit(LanguageMenuWindowUnit());
    RegisterWindowUnit(ListTooltipWindowUnit());
    RegisterWindowUnit(DuplicatesWindowUnit());
    RegisterWindowUnit(AnalysisWindowUnit());
    RegisterWindowUnit(SettingsToolsWindowUnit());
    RegisterWindowUnit(SettingsCenterWindowUnit());
}
