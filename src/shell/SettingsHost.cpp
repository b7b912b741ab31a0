// What the Settings Center (a lower layer) uses of the main window: theme, window.ini, filter
// layout, always-on-top, centring and the hotkey capture; and its re-translation after a
// language switch.
#include "i18n/I18n.h"
#include "settings/SettingsCenter.h"
#include "shell/Shell.h"

namespace {

bool AlwaysOnTop() { return g_alwaysOnTop; }

void SetAlwaysOnTop(bool onTop) {
    g_alwaysOnTop = onTop;
    ApplyAlwaysOnTop();
}

bool CaptureActive() { return g_hotkeyCaptureActive; }

std::wstring HotkeyText(int target) {
    return target == 1 ? FormatHotkeyText(g_fgHotkeyModifiers, g_fgHotkeyKey)
                       : FormatHotkeyText(g_hotkeyModifiers, g_hotkeyKey);
}

}  // namespace

void InstallSettingsHost() {
    SettingsHostHooks& h = g_settingsHost;
    h.applyTheme = &ApplyTheme;
    h.saveWindowIni = &SaveWindowIni;
    h.setFilterLayout = &SetFilterLayout;
    h.alwaysOnTop = &AlwaysOnTop;
    h.setAlwaysOnTop = &SetAlwaysOnTop;
    h.centerWindow = &CenterWindowOnMonitor;
    h.beginHotkeyCapture = &BeginHotkeyCapture;
    h.handleHotkeyCaptureKey = &HandleHotkeyCaptureKey;
    h.endHotkeyCapture = &EndHotkeyCapture;
    h.hotkeyCaptureActive = &CaptureActive;
    h.hotkeyCaptureShownIn = &IsHotkeyCaptureShownIn;
    h.hotkeyText = &HotkeyText;
    g_languageSwitchHooks.relocalizeSettingsCenter = &RelocalizeSettingsCenter;
}
