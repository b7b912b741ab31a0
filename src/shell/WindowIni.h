#pragma once
// window.ini: the main window's size, column widths, filter settings, layout, theme and view
// choices, feature toggles and content-search options. Pixel values are stored at 96 DPI.
#include <windows.h>

#include <string>
#include <vector>

// Every value of window.ini, sizes at 96 DPI (as stored in the file).
struct WindowIniSettings {
    int width = 1100;
    int height = 700;
    int col[5] = {60, 280, 100, 160, 160};  // #, Name, Size, Modified, Created
    int colType = 72;
    int col5 = 400;                         // minimum width of the Path column
    int sizePreset = 0;
    int timePreset = 0;
    int sizeUnit = 2;
    std::wstring sizeRange;
    int timeStart = 0;
    int timeEnd = 0;
    bool filterLayoutSidebar = false;
    bool darkTheme = false;
    bool initialSearchEnabled = true;
    int viewMode = 0;
    bool globalTrimOnToggle = false;
    bool tableGridLines = true;
    bool alwaysOnTop = false;
    bool showRecentOpens = true;
    int contentMaxFileSizeMB = 100;
    int contentSearchThreads = 0;
    std::vector<std::wstring> contentSearchExts;
};

// Bounds a damaged or hand-edited file cannot pass (96 DPI): larger values read as these, so
// that no size overflows when scaled or summed.
constexpr int kWindowIniMaxSide = 16384;
constexpr int kWindowIniMaxColumn = 3000;

// Applies one line of window.ini ("key=value"; other lines are ignored).
void ParseWindowIniLine(WindowIniSettings& settings, std::wstring line);
// Reads the file into settings (missing or unreadable file: settings unchanged). Lines of any
// length are read whole; the file is read up to a sane bound.
bool ReadWindowIniFile(const std::wstring& path, WindowIniSettings& settings);
// The file's text, keys in their fixed order.
std::wstring FormatWindowIni(const WindowIniSettings& settings);
// Writes the file through a temporary file moved over the old one, so that a crash while
// saving leaves either the old or the new file. False when nothing was replaced.
[[nodiscard]] bool WriteWindowIniFile(const std::wstring& path, const WindowIniSettings& settings);

// Makes a window size (pixels) fit the work area, so that a stored size can never put the
// window's frame out of reach.
void ClampWindowSizeToWorkArea(int* width, int* height, const RECT& workArea);

// The path of window.ini in the configuration folder.
std::wstring GetWindowIniPath();

// Conversion between 96-DPI values and pixels. A pixel value that is still the one produced
// from a stored value at the same DPI converts back to exactly that stored value, so that an
// unchanged size never drifts from run to run.
int WindowIniToPixels(int stored96, UINT dpi);
int WindowIniFromPixels(int pixels, int stored96, UINT dpi);

// The settings as last loaded or saved (96-DPI values) and the DPI their pixels were made for.
extern WindowIniSettings g_windowIni;
extern UINT g_windowIniDpi;

// Reads window.ini once at start-up, sets every target and returns the window size in pixels of
// the current DPI through the two pointers (they hold the defaults when called).
void LoadWindowIni(int* width, int* height);
// Rewrites window.ini from the current state of the main window.
void SaveWindowIni(HWND window);
// Re-expresses the loaded pixel sizes for a new DPI (the window's own DPI replaces the system
// DPI at creation; a DPI change scales the column widths).
void RescaleWindowIniDpi(UINT newDpi);
