#pragma once
// The UI toolkit shared by every window of the program: DPI scaling, the UI fonts and the
// colour palette that every painter reads. Owned by the UI thread.
#include <windows.h>

// ---------------------------------------------------------------------------------------------
// DPI
extern UINT g_dpi;  // DPI of the main window (96 until known)

UINT GetSystemDpi();
UINT GetWindowDpi(HWND window);
// MulDiv(value, g_dpi, 96).
int ScaleForDpi(int value);

// The main window's tracking tooltip (created by the main window; null until then).
extern HWND g_hTooltip;

// ---------------------------------------------------------------------------------------------
// Fonts (created by RecreateUiFonts, deleted with the main window).
extern HFONT g_fontUi;          // 12 px, 500: child controls, rows
extern HFONT g_fontUiMedium;    // 13 px, 500: list texts
extern HFONT g_fontUiSemibold;  // 12 px, 600: list header
extern HFONT g_fontTitle;       // 16 px, 600: titles
extern HFONT g_fontButton;      // 12 px, 600: push buttons and filter tags
extern HFONT g_fontSmall;       // 11 px, 400: small print

// One UI font of the given 96-DPI pixel size and weight in the face of the UI language.
HFONT CreateUiFont(int size, int weight);
// Who takes which font: Ui = g_fontUi, Button = g_fontButton (g_fontUi when missing),
// CenteredEdit = g_fontUi and the text re-centred after every font change.
enum class UiFontRole { Ui, Button, CenteredEdit };
// Hands the control its font now and again after every RecreateUiFonts (dead windows are
// forgotten on their own).
void RegisterUiFontUser(HWND control, UiFontRole role);
void UnregisterUiFontUser(HWND control);
// The window whose filter tag children (ids 200..1199) take g_fontButton.
void SetUiFontHost(HWND mainWindow);
// The search box: centred by its font's height, framed with rounded corners.
void SetSearchEditForCentering(HWND edit);
// Replaces the UI fonts for the current DPI and language and hands them to every registered
// user and to the host's filter tags before the old fonts are deleted.
void RecreateUiFonts();
// Deletes the UI fonts.
void DeleteUiFonts();
// Centres the text of a single-row (multi-line style) edit box vertically.
void CenterEditTextVertically(HWND edit);
void CenterEditTextIfWindow(HWND edit);

// ---------------------------------------------------------------------------------------------
// Palette: 26 colours filled from a light or dark base.
struct UiPalette {
    COLORREF text;
    COLORREF rowNumberText;
    COLORREF textHit;
    COLORREF surface;
    COLORREF toolbar;
    COLORREF scrollThumbHot;
    COLORREF textMuted;
    COLORREF controlBg;
    COLORREF divider;
    COLORREF textSecondary;
    COLORREF sidebarBg;
    COLORREF searchHit;
    COLORREF sidebarItemSel;
    COLORREF header;
    COLORREF accent;
    COLORREF scrollThumb;
    COLORREF border;
    COLORREF editWell;
    COLORREF rowSel;
    COLORREF rowHover;
    COLORREF accentTint;
    COLORREF accentPressed;
    COLORREF headerBg;
    COLORREF sidebarItemHover;
    COLORREF tagText;
    COLORREF hoverBg;
};

extern UiPalette g_uiPalette;  // holds the dark base until ApplyThemePalette runs
extern bool g_darkTheme;       // window.ini themeMode

// Writes all 26 entries from the dark or the light base (then ApplyCustomColorOverrides,
// ui/UiColors.h).
void ApplyThemePalette(bool dark);
