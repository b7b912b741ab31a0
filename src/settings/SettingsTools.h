#pragma once
// The settings tools (autostart, configuration files, live colour picker) as a feature unit of
// the main window: the autostart state is asked for once the window exists and its answers are
// taken in here, and the tools' commands work when they reach the main window as commands
// without a control (posted by a tool or a test, or chosen from the tray menu).
#include <windows.h>
#include "ui/WindowUnit.h"

// Command ids of the tools: the Settings Center's buttons and the tray menu item use the same.
inline constexpr int kCmdToggleAutoStart = 20005;
inline constexpr int kCmdOpenFiltersIni = 40009;
inline constexpr int kCmdOpenLanguageFile = 40010;
inline constexpr int kCmdColorSlotFirst = 40100;  // 40100 + slot 0..9: the live picker on that slot

// Runs a tool command for a window (the picker's owner); false for an id that is no tool's.
bool RunSettingsToolCommand(HWND owner, int id);

class SettingsToolsUnit final : public WindowUnit {
public:
    void OnCreate(HWND window) override;
    bool OnCommand(HWND window, int id, int code, HWND control) override;
    bool OnMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

SettingsToolsUnit& SettingsToolsWindowUnit();
