#pragma once
// The UI colour model: the ten user-adjustable colour slots over the 26-entry palette, the ten
// built-in presets, the rules that derive dependent colours from customised slots, the outline
// contrast rule, the hex form of a colour and ui_colors.ini. Owned by the UI thread.
#include <windows.h>

#include <string>

#include "ui/Ui.h"

inline constexpr int kColorSlotCount = 10;
inline constexpr int kColorPresetCount = 10;

// One adjustable colour: its ui_colors.ini key (also the text key of its label), its labels and
// the palette entry it sets.
struct ColorSlot {
    const wchar_t* key;
    const wchar_t* labelChinese;
    const wchar_t* labelEnglish;
    COLORREF UiPalette::*entry;
};
extern const ColorSlot g_colorSlots[kColorSlotCount];

// A built-in colour set: names, whether it is a dark set, and the ten slot colours in slot order.
struct ColorPreset {
    const wchar_t* nameChinese;
    const wchar_t* nameEnglish;
    unsigned isDark;
    COLORREF colors[kColorSlotCount];
};
extern const ColorPreset g_colorPresets[kColorPresetCount];

// The user's customisation: a colour per slot, meaningful where the flag is set.
extern COLORREF g_customColors[kColorSlotCount];
extern bool g_customColorSet[kColorSlotCount];
extern int g_lastColorPreset;  // -1 none

// The light or dark base palette.
const UiPalette& GetBasePalette(bool dark);
// Writes the customised slots into the palette and re-derives their dependent entries.
void ApplyCustomColorOverrides();
// The effective colour of a slot (custom or palette); black outside 0..9.
COLORREF GetUiColor(int slot);

// (R*299 + G*587 + B*114) / 1000.
int ColorLuminance(COLORREF c);
// An outline colour that stays visible against the fill it surrounds and the background.
COLORREF PickContrastOutlineColor(COLORREF fill, COLORREF candidate, COLORREF background);

// "#RRGGBB" in upper case.
std::wstring FormatHexColor(COLORREF c);
// Six hex digits with an optional leading "#", surrounding blanks ignored.
bool ParseHexColor(const std::wstring& text, COLORREF& out);

// ui_colors.ini in the configuration folder.
std::wstring GetUiColorsPath();
// Reads ui_colors.ini into the customisation state (nothing customised when it is missing).
void LoadUiColors();
void LoadUiColorsFrom(const std::wstring& path);
// Writes the customised slots; false when the file could not be written.
[[nodiscard]] bool SaveUiColors();
[[nodiscard]] bool SaveUiColorsTo(const std::wstring& path);
// Forgets every customisation and the last preset and rewrites the file without colour lines.
bool ResetUiColors();
