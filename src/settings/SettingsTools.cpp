// The settings tools as a unit of the main window.
#include "settings/SettingsTools.h"

#include "settings/AutoStart.h"
#include "settings/ColorPicker.h"
#include "settings/ConfigFiles.h"
#include "ui/UiColors.h"

bool RunSettingsToolCommand(HWND owner, int id) {
    if (id == kCmdToggleAutoStart) {
        ToggleAutoStartAsync();  // refused while a query or change runs
    } else if (id == kCmdOpenFiltersIni) {
        OpenFiltersIni();
    } else if (id == kCmdOpenLanguageFile) {
        OpenLanguageFile();
    } else if (id >= kCmdColorSlotFirst && id < kCmdColorSlotFirst + kColorSlotCount) {
        ShowLiveColorPicker(owner, id - kCmdColorSlotFirst);
    } else {
        return false;
    }
    return true;
}

void SettingsToolsUnit::OnCreate(HWND /*window*/) { RefreshAutoStartStateAsync(); }

bool SettingsToolsUnit::OnCommand(HWND window, int id, int code, HWND control) {
    if (control || code != 0) return false;
    return RunSettingsToolCommand(window, id);
}

bool SettingsToolsUnit::OnMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!HandleAutoStartMessage(window, msg, wParam, lParam)) return false;
    result = 0;
    return true;
}

SettingsToolsUnit& SettingsToolsWindowUnit() {
    static SettingsToolsUnit unit;
    return unit;
}
