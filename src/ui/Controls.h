#pragma once
// Themed standard controls: owner-drawn combo boxes with their frames, arrows and drop-down
// lists, owner-drawn push buttons and filter tags with hover feedback, flat scroll bars, date
// pickers with their month calendars, edit frames, and the plain pop-up menu helpers. Every
// colour comes from the palette. UI thread only; every entry point accepts a dead or null window.
#include <windows.h>

#include <string>
#include <vector>

// Child control ids the toolkit knows by kind.
inline constexpr int kComboScopeId = 104;
inline constexpr int kComboSizeId = 106;
inline constexpr int kComboDateId = 107;
inline constexpr int kComboUnitId = 110;
inline constexpr int kComboAnalysisDriveId = 123;
inline constexpr int kComboDupDriveId = 126;
inline constexpr int kComboDupModeId = 128;
inline constexpr int kButtonAnalysisScanId = 122;
inline constexpr int kButtonAnalysisBackId = 124;
inline constexpr int kButtonDupScanId = 125;
inline constexpr int kButtonDupBackId = 127;
inline constexpr int kButtonDupPauseId = 129;
inline constexpr int kFilterTagFirstId = 200;
inline constexpr int kFilterTagLastId = 1199;

// ---------------------------------------------------------------------------------------------
// Combo boxes
bool IsOwnerDrawnComboId(int id);
int GetComboBaseHeight();       // 38 scaled: top-bar controls
int GetComboDropHeight();       // 280 scaled: window height of a combo (bounds its list)
int GetComboSelectionHeight();  // 38 - 2 scaled, at least 24 scaled
void ApplyComboItemHeights(HWND combo);
void PlaceCombo(HWND combo, int x, int y, int width);
// Makes the closed combo as high as targetHeight (at most 8 passes).
void FitComboHeight(HWND combo, int targetHeight);
int MeasureComboHeight(HWND combo);
// WM_DRAWITEM of an owner-drawn combo; false when the item is not one.
bool DrawOwnerDrawnComboItem(const DRAWITEMSTRUCT* dis);
void InstallComboBoxSubclass(HWND combo);
void DrawComboFrame(HWND combo);
// CBN_DROPDOWN / CBN_CLOSEUP of an owner-drawn combo.
void ApplyComboListTheme(HWND combo);
void RemoveComboListSubclass(HWND combo);
void DrawOverlayScrollBar(HWND list);
void DrawClientBorder(HWND window);
void DrawWindowBorder(HWND window);
// The closed box of the scope combo shows the drive root of a drive item.
std::wstring ComboSelectionDisplayText(int id, const std::wstring& itemText);

// Child controls of the toolkit's look, placed at (x, y) in 96-DPI units with a width in 96-DPI
// units: an owner-drawn drop-down list combo (the UI font, themed, subclassed; its dropped width
// set when `droppedWidth` > 0) and an owner-drawn push button with hover feedback (the button
// font). Null when the window could not be made.
HWND CreateThemedCombo(HWND parent, int id, bool visible, int x, int y, int width, int droppedWidth);
HWND CreateThemedButton(HWND parent, int id, int x, int y, int width, const std::wstring& text);

// A drive combo: a first "all drives" item, then one item per drive whose letter is kept as the
// item's data, so that a refill keeps the drive the user chose when drives before it come or go.
struct DriveComboItem {
    wchar_t letter = 0;  // 'A'..'Z'
    std::wstring text;
};
// Refills `combo` with `allText` and the drives. The selection becomes the drive selected before
// when it is still listed, else "all" when the combo had a selection (it was "all" or a drive
// that went), else `preferred` when it is an index of the new list, else 0. Returns the selection
// (-1 when the combo is not a window).
int FillDriveCombo(HWND combo, const std::wstring& allText, const std::vector<DriveComboItem>& drives, int preferred);

// ---------------------------------------------------------------------------------------------
// Push buttons, filter tags and menus
extern HWND g_hoverButton;        // push button under the mouse
extern int g_hoveredFilterIndex;  // filter category under the mouse, -1 none

void FillRoundRect(HDC dc, RECT rc, int radius, HBRUSH brush);
void SubclassHoverButton(HWND button);
bool DrawThemedButton(const DRAWITEMSTRUCT* dis);
bool DrawFilterTag(const DRAWITEMSTRUCT* dis);

// The look of a push button in one state (exposed for checking the colour rules).
struct ButtonLook {
    COLORREF fill;
    COLORREF outline;
    COLORREF text;
};
bool IsPrimaryButtonId(int id);
ButtonLook ComputeButtonLook(bool primary, bool pressed, bool disabled, bool hover);
// Text on an accent fill: light on a dark accent, dark on a light one.
COLORREF OnAccentTextColor(COLORREF accent);
// A filter tag's text "name\r\n(count)" as one line "name (count)".
std::wstring FilterTagLine(const std::wstring& text);

void SplitMenuText(const std::wstring& text, std::wstring& label, std::wstring& rest);
// Plain string items (an owner-draw flag is dropped).
BOOL AppendMenuItem(HMENU menu, UINT flags, UINT_PTR id, const std::wstring& text);
BOOL AppendMenuSeparator(HMENU menu);

// ---------------------------------------------------------------------------------------------
// Scroll bars, date pickers and edit frames
void ApplyFlatScrollBarTheme(HWND scrollBar);
BOOL CALLBACK ApplyScrollBarThemeCallback(HWND child, LPARAM);
BOOL CALLBACK RemoveScrollBarSubclassCallback(HWND child, LPARAM);
void PaintFlatScrollBar(HWND scrollBar, HDC dc);

// The thumb of a flat bar along a track of the given length (0 length: no thumb).
struct FlatThumb {
    int offset = 0;
    int length = 0;
};
FlatThumb ComputeFlatThumb(int track, const SCROLLINFO& si);

void InstallDateTimePickerSubclass(HWND picker);
void ApplyMonthCalendarTheme(HWND picker);
// Filter tag buttons erase in the toolbar colour.
void SubclassThemedBackground(HWND button);
// A one-pixel frame, or the rounded frame for the search box.
void DrawEditFrame(HWND edit);
// The search box's rounded frame on `dc`: the corners outside it in the top band's colour, the
// well inside it in the edit colour (unless frameOnly), then the 1-px border.
void DrawRoundedEditFrame(HWND edit, HDC dc, bool frameOnly);
// The edit that gets the rounded frame (the search box).
void SetRoundFramedEdit(HWND edit);
