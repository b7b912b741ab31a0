#pragma once
// Result list and file actions: the owner-drawn results list (geometry, hit testing, painting),
// the main window's painter and back buffer, the icon and thumbnail cache, the scroll state and
// the hydration requests of the visible rows.
//
// Everything here runs on the UI thread unless a declaration says otherwise; the icon cache and
// the hydration flags are also used by background tasks.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

struct MatchItem;

// ---------------------------------------------------------------------------------------------
// View modes and columns
// ---------------------------------------------------------------------------------------------

// Stored in g_viewMode (an int) and in window.ini as viewMode. Any other value behaves as List.
enum class ResultViewMode : int { List = 0, SmallIcons = 1, LargeIcons = 2 };

// The commands of the result list; the main window maps its menu ids and keys to them.
enum class ResultCommand : int {
    OpenContainingFolder = 0,
    Open = 1,
    DeletePermanently = 2,
    CopyFullPath = 3,
    CopyFiles = 4,
    CutFiles = 5,
    RunAsAdministrator = 6,
    Properties = 7,
    MoveToRecycleBin = 8,
};

// List columns in order: 0 "#", 1 Name, 2 Size, 3 Modified, 4 Created, 5 Type, 6 Path.
// A column's position is also its sort column (1..6; 0 is never sorted).
inline constexpr int kResultColumnCount = 7;

// ---------------------------------------------------------------------------------------------
// Geometry state (UI thread)
// ---------------------------------------------------------------------------------------------

extern int g_viewMode;                         // ResultViewMode value
extern int g_columnWidths[kResultColumnCount]; // device pixels; initial 60,280,100,160,160,72,400
extern int g_pathColumnMinWidth;               // device pixels; initial 400 (window.ini col5)
extern int g_listAreaTop;                      // top of the list area (header starts here)
extern int g_filterSidebarWidth;               // width of the filter sidebar (sidebar layout only)
extern int g_filterSidebarScrollY;             // whole sidebar rows, in pixels
extern int g_clientWidth;                      // client size of the main window, never negative
extern int g_clientHeight;
extern int64_t g_scrollY;                      // vertical list offset in pixels
extern int g_scrollX;                          // horizontal List offset in pixels
extern bool g_filterLayoutSidebar;             // filter categories in a left sidebar
extern bool g_tableGridLines;                  // grid lines in the List view

// A snapshot of everything the list geometry depends on. The geometry functions below read the
// globals through CurrentResultListLayout(); the *In variants take an explicit layout so that the
// arithmetic can be checked without a window.
struct ResultListLayout {
    int dpi = 96;
    int viewMode = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    int sidebarWidth = 0;  // 0 in the top-bar layout
    int listAreaTop = 70;
    int columnWidths[kResultColumnCount] = {60, 280, 100, 160, 160, 72, 400};
    int64_t scrollY = 0;
    int scrollX = 0;
};

ResultListLayout CurrentResultListLayout();

int ResultScale(const ResultListLayout& l, int value96);  // MulDiv(value, l.dpi, 96)
bool IsIconViewModeIn(const ResultListLayout& l);
int GetResultRowHeightIn(const ResultListLayout& l);
int GetIconCellWidthIn(const ResultListLayout& l);
int GetResultIconSizeIn(const ResultListLayout& l);
int GetResultsListTopIn(const ResultListLayout& l);
int GetIconColumnsPerRowIn(const ResultListLayout& l, int width);
int GetUsableClientWidthIn(const ResultListLayout& l);
int GetResultsRightEdgeIn(const ResultListLayout& l);
int GetResultsAreaWidthIn(const ResultListLayout& l);
int GetTotalColumnWidthIn(const ResultListLayout& l);
bool NeedsHorizontalScrollIn(const ResultListLayout& l);
int GetResultsAreaHeightIn(const ResultListLayout& l);
int GetColumnLeftIn(const ResultListLayout& l, int column);  // after the horizontal scroll
int64_t HitTestResultRowIn(const ResultListLayout& l, int x, int y, int64_t rowCount);

// The same values from the current globals (device pixels).
int GetResultRowHeight();
int GetIconCellWidth();
int GetResultIconSize();
int GetResultsListTop();
bool IsIconViewMode();
int GetIconColumnsPerRow(int width);
int GetFilterSidebarRowPitch();
int GetEffectiveSidebarWidth();  // g_filterSidebarWidth in the sidebar layout, else 0
void UpdateClientSize(HWND hwnd);
int GetUsableClientWidth();
int GetResultsRightEdge();
int GetResultsAreaWidth();
int GetTotalColumnWidth();
bool NeedsHorizontalScroll();
int GetResultsAreaHeight();  // the area bottom, a y coordinate

// Row index under (x, y) in the visible set, or -1.
int64_t HitTestResultRow(int x, int y);
int64_t HitTestResultRow(int x, int y, const std::shared_ptr<std::vector<MatchItem>>& rows);

// List mode only: Type column fitted to the visible extensions, Path column to the room and the
// visible paths.
void AutoSizeColumns();

// The arithmetic of AutoSizeColumns: typeHeaderTextWidth < 0 means nothing could be measured
// (no window or DC) and the Type column keeps its base width.
struct AutoColumnWidths {
    int type = 0;
    int path = 0;
};
AutoColumnWidths ComputeAutoColumnWidths(const ResultListLayout& l, int typeHeaderTextWidth,
                                         const std::vector<int>& extensionTextWidths,
                                         const std::vector<int>& pathTextWidths, int pathMinWidth);

// The arithmetic of UpdateFilterSidebarScroll: the sidebar offset pulled back to whole rows and
// to the last full page.
struct SidebarScrollState {
    int rowsThatFit = 1;
    int firstRow = 0;
    int scrollY = 0;
    bool barNeeded = false;
};
SidebarScrollState ComputeSidebarScroll(int buttonCount, int clientHeight, int listAreaTop, int pad8,
                                        int pitch, int scrollY);


// Sidebar scroll bar (id 117) range, page, position and visibility.
void UpdateFilterSidebarScroll();

// ---------------------------------------------------------------------------------------------
// Scrolling and repaint scheduling
// ---------------------------------------------------------------------------------------------

struct OverlayScrollBars {
    RECT verticalTrack{};
    RECT verticalThumb{};
    RECT horizontalTrack{};
    RECT horizontalThumb{};
    bool verticalVisible = false;
    bool horizontalVisible = false;
};

extern std::atomic<uint64_t> g_lastScrollTick;  // GetTickCount64 of the last scroll input
extern bool g_scrollDragging;                   // a vertical thumb is being dragged
extern int g_overlayScrollDrag;                 // 0 none, 1 vertical, 2 horizontal
extern int g_overlayScrollHover;                // 0 none, 1 vertical, 2 horizontal
extern OverlayScrollBars g_overlayScrollBars;
extern std::atomic<bool> g_listRepaintPending;

bool IsScrollInteractionActive();
void ScheduleResultsRepaint(UINT delayMs);
void InvalidateResultsArea();
void SetVerticalScroll(int64_t y);
void SetHorizontalScroll(int x);
void UpdateScrollBar();
void LayoutNativeScrollBars();
void RelayoutResults();
// Handler of TIMER_LIST_REPAINT: kills the timer and invalidates the list once per pending request.
void OnListRepaintTimer(HWND hwnd);
void ComputeOverlayScrollBars();
void DrawOverlayScrollBars();

// ---------------------------------------------------------------------------------------------
// Main window painter and back buffer
// ---------------------------------------------------------------------------------------------

extern HDC g_hBackBufferDC;
extern HBITMAP g_backBufferBitmap;
extern HBITMAP g_backBufferOriginalBitmap;

// Creates the back-buffer DC (compatible with the window's DC) and a bitmap of the client size.
// For WM_CREATE; does nothing when the DC already exists.
void CreateBackBuffer(HWND hwnd);
// Puts the original bitmap back and deletes the back-buffer bitmap and DC (WM_DESTROY).
void DestroyBackBuffer();
void ResizeBackBuffer(HWND hwnd, int width, int height);
// Paints the whole client of the current mode into the back buffer and copies it to target.
void PaintMainWindow(HDC target, const RECT* paintRect);

// ---------------------------------------------------------------------------------------------
// List view painting
// ---------------------------------------------------------------------------------------------

// The term highlighted in result names (search box text, trimmed, lower-cased; see the .cpp).
std::wstring GetHighlightTerm();
// The same rule applied to a given search box text.
std::wstring HighlightTermFromText(std::wstring text);
// Draws text at (x, y) clipped to clip, with every occurrence of term (already lower-case)
// drawn on the search-hit background in the hit text colour.
void DrawTextWithHighlight(HDC hdc, const std::wstring& text, const std::wstring& term, int x,
                           int y, RECT clip);

// ---------------------------------------------------------------------------------------------
// Icon and thumbnail cache
// ---------------------------------------------------------------------------------------------

extern std::mutex g_iconCacheMutex;
extern std::unordered_map<uint64_t, HICON> g_iconCache;
extern std::list<uint64_t> g_iconLru;
extern std::unordered_map<uint64_t, std::list<uint64_t>::iterator> g_iconLruIndex;
extern std::unordered_map<uint64_t, uint64_t> g_iconFailures;

inline constexpr size_t kIconCacheCapacity = 2048;

uint64_t MakeIconCacheKey(bool isDir, const wchar_t* path, int size, bool thumbnail);
bool HasOwnIconExtension(const wchar_t* path);
bool HasThumbnailExtension(const wchar_t* path);

// An icon for a path, owned by the cache (callers never destroy it). Painters pass
// allowFileAccess false; the hydration tasks pass true to load thumbnails and own icons.
HICON GetIconForPath(bool isDir, const wchar_t* path, int size, bool thumbnail,
                     bool allowFileAccess);
bool IsIconCached(bool isDir, const wchar_t* path, int size, bool thumbnail);
// True when a thumbnail load of this file at this size failed less than 10 s ago.
bool IsThumbnailFailureRecent(const wchar_t* path, int size);
void IconCacheTouch(uint64_t key);   // caller holds g_iconCacheMutex
void IconCacheEvictOldest();         // caller holds g_iconCacheMutex
void ClearIconCache();
// Evicts least recently used icons down to 1024 when gdiObjects is in 7200..65535.
void TrimIconCacheForGdiPressure(DWORD gdiObjects);

bool IsUsableLocalPath(const wchar_t* path, bool isDir);
HICON ExtractFileIcon(const wchar_t* path, int size);
HICON GetShellFileIcon(const wchar_t* path, UINT flags, DWORD attributes);
HICON BitmapToIcon(HBITMAP bitmap);
bool EnsureComInitializedForThread();
HICON GetShellThumbnailIcon(const wchar_t* path, int size);
HICON DecodeImageThumbnailIcon(const wchar_t* path, int size);

// ---------------------------------------------------------------------------------------------
// Hydration of the visible rows (background tasks)
// ---------------------------------------------------------------------------------------------

extern std::atomic<uint64_t> g_hydrationGeneration;
extern std::atomic<bool> g_attrHydrationBusy;
extern std::atomic<uint64_t> g_prewarmGeneration;
extern std::atomic<bool> g_prewarmBusy;
extern std::atomic<uint64_t> g_thumbHydrationGeneration;
extern std::atomic<bool> g_thumbHydrationBusy;
extern std::atomic<uint64_t> g_ownIconHydrationGeneration;
extern std::atomic<bool> g_ownIconHydrationBusy;

void RequestVisibleAttrHydrationAsync();
void RequestResultAttrPrewarmAsync();
void RequestVisibleThumbnailHydrationAsync();
void RequestVisibleOwnIconHydrationAsync();
