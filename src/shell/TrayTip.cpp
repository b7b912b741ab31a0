// The tray icon's tip text.
#include <cwchar>

#include "i18n/I18n.h"
#include "shell/Shell.h"

void UpdateTrayTip() {
    std::wstring tip = Tr(L"TrayTip", L"Tarnwick - {0} 显示/隐藏", L"Tarnwick - {0} Show/Hide");
    const std::wstring hotkey = FormatHotkeyText(g_hotkeyModifiers, g_hotkeyKey);
    size_t at = tip.find(L"{0}");
    if (at != std::wstring::npos) tip.replace(at, 3, hotkey);
    else tip += L" " + hotkey;
    const size_t capacity = sizeof(g_trayIconData.szTip) / sizeof(g_trayIconData.szTip[0]);
    wcsncpy(g_trayIconData.szTip, tip.c_str(), capacity - 1);
    g_trayIconData.szTip[capacity - 1] = 0;
    if (g_trayIconAdded && g_trayIconData.hWnd) Shell_NotifyIconW(NIM_MODIFY, &g_trayIconData);
}
