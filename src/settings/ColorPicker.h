#pragma once
// The live colour picker: a small modal window (class "TarnwickLiveColorPickerV1") that edits one
// colour slot with a saturation/value square, a hue strip, 24 swatches, R/G/B track bars and a
// hex edit. Every change is applied to the whole program at once; OK keeps the colour and writes
// ui_colors.ini, Cancel (Esc, the close box, or the end of the program) puts the slot back.
// Also the re-theming after any colour change. UI thread.
#include <windows.h>

#include <functional>

// ---------------------------------------------------------------------------------------------
// Re-theming

// Rebuilds every colour-dependent resource from the current theme and customisation: the
// palette, the control brushes and the theme objects; repaints the main window before it
// returns, then tells the colours listener (the Settings Center refreshes its swatches).
void ReapplyUiColors();
// Called at the end of every ReapplyUiColors. One listener; an empty function removes it.
void SetUiColorsReappliedListener(std::function<void()> listener);

// ---------------------------------------------------------------------------------------------
// Colour arithmetic

// HSV (hue in degrees, any value; saturation and value clamped to 0..1) to a colour.
COLORREF HsvToRgb(double hue, double saturation, double value);
// A colour's hue (0 <= hue < 360; 0 for a grey), saturation and value.
void RgbToHsv(COLORREF color, double& hue, double& saturation, double& value);

// ---------------------------------------------------------------------------------------------
// The picker

inline constexpr wchar_t kLiveColorPickerClass[] = L"TarnwickLiveColorPickerV1";
inline constexpr int kPickerRedId = 301;
inline constexpr int kPickerGreenId = 302;
inline constexpr int kPickerBlueId = 303;
inline constexpr int kPickerHexId = 304;

// Runs the picker for slot 0..9 modally over owner (may be null); true when the user pressed OK.
// False at once for another slot, while a picker runs, or when its window cannot be made.
bool ShowLiveColorPicker(HWND owner, int slot);
// True while a picker runs.
bool IsLiveColorPickerOpen();
// Puts an open picker's title and buttons into the current language.
void RelocalizeLiveColorPicker();
// The picker window (null while none is open).
HWND GetLiveColorPickerWindow();

// Makes a colour current and previews it live (the slot is customised with it at once).
void SetPickerColor(COLORREF color);
// Pushes the current colour to the track bars and the hex edit.
void SyncPickerControls();
// Computes the preview, square, hue strip and swatch rectangles for the current DPI.
void LayoutColorPicker(HWND window);
// Mouse picking in the square (client coordinates) and in the hue strip.
void PickSaturationValueAt(int x, int y);
void PickHueAt(int y);
// Forgets the cached square bitmap.
void ResetPickerGradientCache();
// One R/G/B track bar (range 0..255) at the 96-DPI row y.
HWND CreatePickerTrackbar(HWND parent, int id, int y);
LRESULT CALLBACK LiveColorPickerProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

// The 24 swatch colours, row by row (8 columns, 3 rows).
extern const COLORREF kPickerSwatches[24];
