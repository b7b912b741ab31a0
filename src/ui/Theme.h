#pragma once
// Window theming: dark or light title bars and control themes, and the brushes, pens and the
// default folder icon that the painters of the main window draw with. Everything is made from
// the current palette and rebuilt whenever it changes. UI thread only.
#include <windows.h>

#include <vector>

// Theme GDI objects (null until CreateThemeGdiResources, and again after Destroy...).
extern HBRUSH g_brushSurface;
extern HBRUSH g_brushHeaderBg;
extern HBRUSH g_brushSidebarBg;
extern HBRUSH g_brushSidebarItemSel;
extern HBRUSH g_brushSidebarItemHover;
extern HBRUSH g_brushRowSel;
extern HBRUSH g_brushCellBg;
extern HBRUSH g_brushSearchHit;
extern HBRUSH g_brushRowHover;
extern HBRUSH g_brushToolbar;
extern HBRUSH g_brushBorder;
extern HPEN g_penDivider;
extern HPEN g_penBorder;
extern HPEN g_penCellBorder;
extern HPEN g_penCellBorderSel;
extern HPEN g_penSidebarItemSel;
extern HPEN g_penSidebarItemHover;
extern HPEN g_penSidebarEdge;
extern HICON g_defaultFolderIcon;

// Brushes of the colour-queried controls (edit wells and control faces).
extern HBRUSH g_brushEditWell;
extern HBRUSH g_brushControlBg;

// Makes every theme object from the current palette (deleting any that exist first).
void CreateThemeGdiResources();
// Deletes every theme object and the folder icon (each set to null).
void DestroyThemeGdiResources();
// Deletes and remakes g_brushEditWell and g_brushControlBg from the palette.
void RecreateControlBrushes();
void DestroyControlBrushes();

// DWM dark mode and caption colours of a top-level window (older systems ignore them).
void SetTitleBarTheme(HWND window, bool dark);
void EnableDarkTitleBar(HWND window);
void DisableDarkTitleBar(HWND window);
// The per-control theme switch.
void ApplyDarkControlTheme(HWND control);
void ApplyLightControlTheme(HWND control);
void ApplyControlTheme(HWND control, bool dark);
// Fills a rectangle of a DC with the palette's surface colour (the ground of a view).
void FillWithSurface(HDC dc, const RECT& rect);

// The themed child controls of the main window (any may be null).
struct ThemedControls {
    HWND searchEdit = nullptr;
    std::vector<HWND> combos;        // scope, size, date, unit (the mode units theme their own)
    std::vector<HWND> datePickers;   // from, to
    std::vector<HWND> scrollBars;    // list vertical, list horizontal, sidebar
    std::vector<HWND> pushButtons;   // in repaint order
    std::vector<HWND> filterTags;
};

// Re-themes the main window and its controls from the current palette (the palette is built by
// the caller): control brushes, theme objects, title bar, control themes, flat scroll bars, the
// month calendars and combo lists, then a full repaint.
void ApplyThemeToWindow(HWND mainWindow, const ThemedControls& controls);
