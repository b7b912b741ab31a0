#pragma once
// The "UI Colors" page of the Settings Center: the swatch buttons of the ten colour slots, the
// presets, re-theming every window after a colour change, and the subclass procedure that every
// Settings Center page and control carries (hotkey capture keys, forwarding of the pages'
// notifications, swatch painting). UI thread only.
#include <windows.h>
#include <commctrl.h>

#include <string>

// Subclass id of the Settings Center's pages and controls.
inline constexpr UINT_PTR kSettingsSubclassId = 5;

LRESULT CALLBACK SettingsPageSubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR data);

// "<slot name>  #RRGGBB" plus " *" when the slot is customised; empty outside 0..9.
std::wstring GetColorSlotLabel(int slot);
// Sets every swatch's text again and repaints it (after every colour change).
void RefreshColorSlotLabels(HWND settingsWindow);
// Customises all ten slots with a preset's colours (its theme too when it names one), saves and
// re-themes; preset outside 0..9 is ignored.
void ApplyColorPreset(int preset, HWND settingsWindow);

// The colours of a swatch button in the Settings Center's own light or dark look.
struct SwatchLook {
    COLORREF background;
    COLORREF backgroundPressed;
    COLORREF frame;
    COLORREF label;
    COLORREF hex;
    COLORREF change;
};
SwatchLook GetSwatchLook(bool dark, COLORREF accent);
// Paints a swatch item (DRAWITEMSTRUCT of a button 40100..40109).
void PaintColorSwatch(const DRAWITEMSTRUCT& item);
