// The Settings Center as a unit of the main window: it opens on the results menu's command as
// the window receives it, and follows a theme switched from elsewhere while it is open.
#include "settings/SettingsCenter.h"
#include "core/Window.h"
#include "ui/WindowUnit.h"

namespace {

class SettingsCenterUnit final : public WindowUnit {
public:
    bool OnCommand(HWND window, int id, int code, HWND control) override {
        if (control || code != 0 || id != kMenuSettingsCenter) return false;
        ShowSettingsCenter(window);
        return true;
    }
    void OnThemeChanged(HWND /*window*/) override {
        if (IsLiveWindow(g_hSettingsWnd)) SyncSettingsControls(g_hSettingsWnd);
    }
};

}  // namespace

WindowUnit& SettingsCenterWindowUnit() {
    static SettingsCenterUnit unit;
    return unit;
}
