// The theme of the main window: the re-theming of every control (the light/dark choice is the
// Settings Center's).
#include "duplicates/DupMode.h"
#include "results/Results.h"
#include "search/Search.h"
#include "shell/Shell.h"
#include "ui/Theme.h"
#include "ui/Ui.h"
#include "ui/UiColors.h"
#include "ui/WindowUnit.h"

void ApplyTheme(HWND mainWindow) {
    ApplyThemePalette(g_darkTheme);
    ApplyCustomColorOverrides();
    // Icons are fetched again for the new theme.
    DestroyThemeGdiResources();
    ClearIconCache();
    ThemedControls controls;
    controls.searchEdit = g_hSearchEdit;
    controls.combos = {g_hScopeCombo, g_hSizeFilterCombo, g_hDateFilterCombo, g_hSizeUnitCombo};
    controls.datePickers = {g_hDateFromPicker, g_hDateToPicker};
    controls.scrollBars = {g_hListVScroll, g_hListHScroll, g_hSidebarScroll};
    controls.filterTags = g_filterButtons;
    ApplyThemeToWindow(mainWindow, controls);
    UnitsThemeChanged(mainWindow);
    if (g_brushWindowClass) {
        // The class background follows the surface too (it shows while the window is resized).
        HBRUSH fresh = CreateSolidBrush(g_uiPalette.surface);
        if (fresh && mainWindow && IsWindow(mainWindow)) {
            SetClassLongPtrW(mainWindow, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(fresh));
            DeleteObject(g_brushWindowClass);
            g_brushWindowClass = fresh;
        } else if (fresh) {
            DeleteObject(fresh);
        }
    }
}
