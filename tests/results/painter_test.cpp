// The main window painter and the List view: rendered into a memory back buffer and checked by
// pixels where it matters (highlight runs, sort arrow column, selection, gaps, clipping).
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "index/Index.h"
#include "results/Results.h"
#include "results/ResultsInternal.h"
#include "search/Search.h"
#include "shell/Shell.h"
#include "support/fixture.h"
#include "support/synthetic_volume.h"
#include "ui/Theme.h"
#include "ui/Ui.h"

namespace {

constexpr COLORREF kSurface = RGB(240, 241, 242);
constexpr COLORREF kToolbar = RGB(230, 231, 232);
constexpr COLORREF kHeaderBg = RGB(220, 221, 222);
constexpr COLORREF kRowSel = RGB(200, 240, 220);
constexpr COLORREF kRowHover = RGB(210, 210, 250);
constexpr COLORREF kSearchHit = RGB(176, 237, 208);
constexpr COLORREF kDivider = RGB(190, 191, 192);
constexpr COLORREF kSidebarBg = RGB(180, 200, 220);
constexpr COLORREF kMagenta = RGB(255, 0, 255);

// A 32-bit top-down DIB with a DC, for reading back what was drawn.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    uint32_t* bits = nullptr;
    int width = 0;
    int height = 0;

    Canvas(int w, int h, COLORREF fill) : width(w), height(h) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        old = SelectObject(dc, bitmap);
        Fill(fill);
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    void Fill(COLORREF c) {
        HBRUSH b = CreateSolidBrush(c);
        RECT rc{0, 0, width, height};
        FillRect(dc, &rc, b);
        DeleteObject(b);
    }
    COLORREF At(int x, int y) const {
        GdiFlush();
        uint32_t v = bits[static_cast<size_t>(y) * width + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    // Column ranges [start, end) in which some pixel of rows y0..y1-1 has colour c.
    std::vector<std::pair<int, int>> ColumnRuns(COLORREF c, int y0, int y1) const {
        std::vector<std::pair<int, int>> runs;
        int start = -1;
        for (int x = 0; x <= width; ++x) {
            bool hit = false;
            for (int y = y0; x < width && y < y1 && !hit; ++y) hit = At(x, y) == c;
            if (hit && start < 0) start = x;
            if (!hit && start >= 0) {
                runs.emplace_back(start, x);
                start = -1;
            }
        }
        return runs;
    }
};

int TextWidth(HDC dc, const std::wstring& s) {
    SIZE sz{};
    GetTextExtentPoint32W(dc, s.c_str(), static_cast<int>(s.size()), &sz);
    return sz.cx;
}

void AddRecord(VolumeIndex& v, uint64_t frn, const std::wstring& name, bool dir, bool deleted = false) {
    uint32_t index = testfx::AddSyntheticRecord(v, frn, v.rootFrn, name, dir);
    v.records[index].deleted = deleted ? 1 : 0;
}

void Publish(std::vector<MatchItem> rows) {
    auto set = std::make_shared<std::vector<MatchItem>>(std::move(rows));
    std::lock_guard<std::mutex> lock(g_resultsMutex);
    g_results = set;
}

// Palette, fonts and a back buffer as the main window would make them.
class PainterTest : public testing::Test {
protected:
    std::unique_ptr<Canvas> backBuffer;
    HWND searchEdit = nullptr;
    VolumeIndex volume;

    void SetUp() override {
        g_dpi = 96;
        g_uiPalette.surface = kSurface;
        g_uiPalette.text = RGB(30, 41, 59);
        g_uiPalette.textHit = RGB(15, 118, 70);
        g_uiPalette.searchHit = kSearchHit;
        g_uiPalette.header = RGB(51, 65, 85);
        g_uiPalette.rowNumberText = RGB(148, 163, 184);
        g_uiPalette.textSecondary = RGB(100, 116, 139);
        g_uiPalette.scrollThumb = RGB(203, 213, 225);
        g_uiPalette.scrollThumbHot = RGB(148, 163, 184);
        g_uiPalette.toolbar = kToolbar;
        g_uiPalette.headerBg = kHeaderBg;
        g_uiPalette.rowSel = kRowSel;
        g_uiPalette.rowHover = kRowHover;
        g_uiPalette.divider = kDivider;
        g_uiPalette.sidebarBg = kSidebarBg;
        g_uiPalette.sidebarItemSel = RGB(255, 255, 255);
        g_uiPalette.sidebarItemHover = RGB(220, 227, 236);
        g_uiPalette.border = RGB(203, 213, 225);
        g_uiPalette.accent = RGB(47, 163, 110);
        g_fontUi = CreateUiFont(12, 500);
        g_fontUiMedium = CreateUiFont(13, 500);
        g_fontUiSemibold = CreateUiFont(12, 600);
        g_fontButton = CreateUiFont(12, 600);
        g_darkTheme = false;
        g_tableGridLines = true;
        g_appMode = 0;
        g_viewMode = 0;
        g_filterLayoutSidebar = false;
        g_clientWidth = 1100;
        g_clientHeight = 400;
        g_listAreaTop = 70;
        g_scrollY = 0;
        g_scrollX = 0;
        const int defaults[kResultColumnCount] = {60, 280, 100, 160, 160, 72, 400};
        for (int c = 0; c < kResultColumnCount; ++c) g_columnWidths[c] = defaults[c];
        g_sortColumn = -1;
        ClearSelection();
        backBuffer = std::make_unique<Canvas>(1100, 400, kMagenta);
        g_hBackBufferDC = backBuffer->dc;

        volume.root = L"T:";
        volume.rootFrn = 5;
        AddRecord(volume, 0x100001, L"Q3 REPORT final report.txt", false);  // row 0
        AddRecord(volume, 0x100002, L"gone.txt", false, true);              // row 1, deleted
        AddRecord(volume, 0x100003, L"aaab.bin", false);                    // row 2
        AddRecord(volume, 0x100004, L"Docs", true);                         // row 3
        Publish({{&volume, 0}, {&volume, 1}, {&volume, 2}, {&volume, 3}});
    }

    void TearDown() override {
        Publish({});
        ClearSelection();
        if (searchEdit) DestroyWindow(searchEdit);
        g_hSearchEdit = nullptr;
        g_hBackBufferDC = nullptr;
        backBuffer.reset();
        for (HFONT* f : {&g_fontUi, &g_fontUiMedium, &g_fontUiSemibold, &g_fontButton}) {
            DeleteObject(*f);
            *f = nullptr;
        }
        ClearIconCache();
    }

    void SetQuery(const wchar_t* text) {
        if (!searchEdit)
            searchEdit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr,
                                         GetModuleHandleW(nullptr), nullptr);
        SetWindowTextW(searchEdit, text);
        g_hSearchEdit = searchEdit;
    }

    // Rows start at y 110 (header 70..110) and are 44 px high.
    static int RowTop(int row) { return 110 + 44 * row; }
};

}  // namespace

TEST(HighlightTerm, FromSearchBoxText) {
    struct Case {
        const wchar_t* text;
        const wchar_t* term;
    } cases[] = {
        {L"  Report \t", L"report"},
        {L"s:budget|.xlsx", L"budget"},   // content query: its terms before the extension list
        {L"s: two words |.txt", L"two words"},
        {L"S:Budget", L"s:budget"},       // only a lower-case s makes the prefix
        {L"\u4E2D", L""},                 // a single CJK character highlights nothing
        {L"\u4E2D\u6587", L"\u4E2D\u6587"},
        {L"   ", L""},
        {L"s:", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.term, HighlightTermFromText(c.text)) << c.text;
    g_hSearchEdit = nullptr;
    EXPECT_EQ(L"", GetHighlightTerm());
}

TEST(ListText, RowNumbersAndHeaderTitles) {
    EXPECT_EQ(L"01", FormatRowNumber(0));
    EXPECT_EQ(L"09", FormatRowNumber(8));
    EXPECT_EQ(L"10", FormatRowNumber(9));
    EXPECT_EQ(L"100", FormatRowNumber(99));
    EXPECT_EQ(L"1000000", FormatRowNumber(999999));
    g_sortColumn = 6;
    g_sortAscending = false;
    for (int c = 0; c < 6; ++c) EXPECT_EQ(std::wstring::npos, GetResultHeaderTitle(c).find(L'\u2193')) << c;
    EXPECT_EQ(L" \u2193", GetResultHeaderTitle(6).substr(GetResultHeaderTitle(6).size() - 2));
    g_sortColumn = 0;  // the row-number column never shows an arrow
    EXPECT_EQ(L"#", GetResultHeaderTitle(0));
    g_sortColumn = -1;
}

TEST_F(PainterTest, HighlightRunsMatchTheOccurrences) {
    Canvas c(600, 40, RGB(255, 255, 255));
    SelectObject(c.dc, g_fontUiMedium);
    SetBkMode(c.dc, TRANSPARENT);
    RECT clip{0, 0, 600, 40};
    const std::wstring name = L"Q3 REPORT final report.txt";
    DrawTextWithHighlight(c.dc, name, L"report", 10, 10, clip);
    auto runs = c.ColumnRuns(kSearchHit, 0, 40);
    ASSERT_EQ(2u, runs.size());
    int a1 = TextWidth(c.dc, L"Q3 "), b1 = TextWidth(c.dc, L"REPORT");
    int a2 = TextWidth(c.dc, L"Q3 REPORT final "), b2 = TextWidth(c.dc, L"report");
    EXPECT_NEAR(10 + a1, runs[0].first, 1);
    EXPECT_NEAR(10 + a1 + b1, runs[0].second, 1);
    EXPECT_NEAR(10 + a2, runs[1].first, 1);
    EXPECT_NEAR(10 + a2 + b2, runs[1].second, 1);

    // Occurrences do not overlap: "ab" in "aaab" is one run after "aa".
    c.Fill(RGB(255, 255, 255));
    DrawTextWithHighlight(c.dc, L"aaab", L"ab", 10, 10, clip);
    runs = c.ColumnRuns(kSearchHit, 0, 40);
    ASSERT_EQ(1u, runs.size());
    EXPECT_NEAR(10 + TextWidth(c.dc, L"aa"), runs[0].first, 1);

    // A phrase is highlighted only where it occurs whole.
    c.Fill(RGB(255, 255, 255));
    DrawTextWithHighlight(c.dc, L"final report", L"report final", 10, 10, clip);
    EXPECT_TRUE(c.ColumnRuns(kSearchHit, 0, 40).empty());
}

TEST_F(PainterTest, HighlightAndTextStayInsideTheClip) {
    Canvas c(600, 40, RGB(255, 255, 255));
    SelectObject(c.dc, g_fontUiMedium);
    SetBkMode(c.dc, TRANSPARENT);
    RECT clip{40, 5, 90, 35};
    DrawTextWithHighlight(c.dc, L"report report report report", L"report", 10, 10, clip);
    bool inside = false;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 600; ++x) {
            bool changed = c.At(x, y) != RGB(255, 255, 255);
            bool within = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
            if (changed && !within) FAIL() << "pixel outside the clip at " << x << "," << y;
            inside = inside || (changed && within);
        }
    EXPECT_TRUE(inside);
    EXPECT_FALSE(c.ColumnRuns(kSearchHit, 0, 40).empty());
}

TEST_F(PainterTest, SortArrowChangesOnlyItsHeaderColumn) {
    Canvas plain(1100, 400, kMagenta), sorted(1100, 400, kMagenta);
    PaintMainWindow(plain.dc, nullptr);
    g_sortColumn = 2;
    g_sortAscending = true;
    EXPECT_EQ(L" \u2191", GetResultHeaderTitle(2).substr(GetResultHeaderTitle(2).size() - 2));
    PaintMainWindow(sorted.dc, nullptr);
    // Size column: left 340 (60 + 280), width 100; its title is clipped to 352..432.
    int changed = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 1100; ++x)
            if (plain.At(x, y) != sorted.At(x, y)) {
                ++changed;
                ASSERT_TRUE(x >= 352 && x < 432 && y >= 70 && y < 110) << x << "," << y;
            }
    EXPECT_GT(changed, 0);
    g_sortAscending = false;
    EXPECT_EQ(L" \u2193", GetResultHeaderTitle(2).substr(GetResultHeaderTitle(2).size() - 2));
    EXPECT_EQ(L"#", GetResultHeaderTitle(0));
}

TEST_F(PainterTest, SelectionGapAndGrid) {
    SelectSingleRow(0);
    Canvas out(1100, 400, kMagenta);
    PaintMainWindow(out.dc, nullptr);
    // Row boxes run from x 8 to R - 8 and leave the 4 px below them free.
    EXPECT_EQ(kRowSel, out.At(300, RowTop(0) + 3));
    EXPECT_EQ(kSurface, out.At(300, RowTop(2) + 3));
    EXPECT_EQ(kSurface, out.At(300, RowTop(3) + 3));
    // The deleted row leaves an empty slot: no text, no grid lines.
    for (int y = RowTop(1) + 1; y < RowTop(2); ++y)
        for (int x = 0; x < 1088; ++x)
            ASSERT_EQ(kSurface, out.At(x, y)) << x << "," << y;
    // Grid: the horizontal line under a drawn row and the vertical line after column 0.
    EXPECT_EQ(kDivider, out.At(500, RowTop(0) + 44));
    EXPECT_EQ(kDivider, out.At(60, RowTop(3) + 20));
    // Header band and top band.
    EXPECT_EQ(kHeaderBg, out.At(1000, 75));
    EXPECT_EQ(kToolbar, out.At(500, 10));
    EXPECT_EQ(kDivider, out.At(500, 69));  // the line under the top filter bar

    g_tableGridLines = false;
    PaintMainWindow(out.dc, nullptr);
    EXPECT_EQ(kSurface, out.At(500, RowTop(3) + 44));
}

TEST_F(PainterTest, NameMatchesAreHighlightedInTheList) {
    SetQuery(L"report");
    Canvas out(1100, 400, kMagenta);
    PaintMainWindow(out.dc, nullptr);
    // Name column 60..340: two runs in row 0, none elsewhere.
    auto runs = out.ColumnRuns(kSearchHit, RowTop(0), RowTop(0) + 44);
    ASSERT_EQ(2u, runs.size());
    EXPECT_GE(runs[0].first, 60 + 10);
    EXPECT_LE(runs[1].second, 340 - 10);
    EXPECT_TRUE(out.ColumnRuns(kSearchHit, RowTop(2), RowTop(4)).empty());
}

TEST_F(PainterTest, SizeColumnFromAttributesOrTheMftSizeMap) {
    // Without a valid attribute entry a file shows its MFT size; the text differs from "0 B".
    Canvas withoutSize(1100, 400, kMagenta), withSize(1100, 400, kMagenta);
    PaintMainWindow(withoutSize.dc, nullptr);
    volume.fileSizes[0x100003] = SizePair{5 * 1024 * 1024, 5 * 1024 * 1024};
    PaintMainWindow(withSize.dc, nullptr);
    // Size column 340..440 of row 2 changes, nothing else.
    int changed = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 1100; ++x)
            if (withoutSize.At(x, y) != withSize.At(x, y)) {
                ++changed;
                ASSERT_TRUE(x >= 350 && x < 430 && y >= RowTop(2) && y < RowTop(3)) << x << "," << y;
            }
    EXPECT_GT(changed, 0);
    // A valid attribute entry wins over the size map.
    FileAttrInfo info;
    info.valid = true;
    info.size = 0;
    info.lastWrite.dwLowDateTime = 1;
    volume.attrCache[0x100003] = info;
    Canvas fromAttributes(1100, 400, kMagenta);
    PaintMainWindow(fromAttributes.dc, nullptr);
    for (int x = 350; x < 430; ++x)
        for (int y = RowTop(2); y < RowTop(3); ++y)
            ASSERT_EQ(withoutSize.At(x, y), fromAttributes.At(x, y)) << x << "," << y;
}

TEST_F(PainterTest, PaintCountsItsAttributeProbesInTheCacheTotals) {
    // Row 0 has a valid entry, row 2 one that is not valid, the folder row 3 none; the deleted
    // row 1 is not probed. While a thumb is dragged the paint starts no hydration, so nothing
    // else probes the cache meanwhile.
    FileAttrInfo valid;
    valid.valid = true;
    valid.size = 10;
    valid.lastWrite.dwLowDateTime = 1;
    volume.attrCache[0x100001] = valid;
    FileAttrInfo notValid;
    notValid.size = 7;
    volume.attrCache[0x100003] = notValid;
    g_scrollDragging = true;
    // Hydration that earlier paints started reads the cache too: it ends first.
    for (int i = 0; i < 500 && (g_attrHydrationBusy || g_prewarmBusy); ++i) Sleep(10);
    ASSERT_FALSE(g_attrHydrationBusy || g_prewarmBusy);

    // The cache is held for writing while the paint starts: the paint's wait is counted too.
    std::atomic<bool> held{false};
    std::thread writer([&] {
        AcquireSRWLockExclusive(&volume.attrCacheLock);
        held = true;
        Sleep(60);
        ReleaseSRWLockExclusive(&volume.attrCacheLock);
    });
    while (!held) Sleep(1);
    const uint64_t hits = g_attrCacheHits, misses = g_attrCacheMisses, waited = g_attrCacheLockWaitUs;
    Canvas out(1100, 400, kMagenta);
    PaintMainWindow(out.dc, nullptr);
    writer.join();
    g_scrollDragging = false;

    EXPECT_EQ(1u, g_attrCacheHits - hits);
    EXPECT_EQ(2u, g_attrCacheMisses - misses);
    EXPECT_GE(g_attrCacheLockWaitUs - waited, 30000u);
}

TEST_F(PainterTest, EmptySetAndTinyWindow) {
    Publish({});
    Canvas out(1100, 400, kMagenta);
    PaintMainWindow(out.dc, nullptr);
    EXPECT_EQ(kHeaderBg, out.At(500, 75));
    EXPECT_EQ(kSurface, out.At(500, 200));
    // A client no taller than the list top is not painted at all.
    Canvas untouched(1100, 400, kMagenta);
    g_clientHeight = 70;
    PaintMainWindow(untouched.dc, nullptr);
    EXPECT_EQ(kMagenta, untouched.At(500, 10));
    EXPECT_EQ(kMagenta, untouched.At(500, 60));
}

TEST_F(PainterTest, SidebarLayoutPaintsTheSidebarAndShiftsTheList) {
    g_filterLayoutSidebar = true;
    g_filterSidebarWidth = 200;
    SelectSingleRow(0);
    Canvas out(1100, 400, kMagenta);
    PaintMainWindow(out.dc, nullptr);
    EXPECT_EQ(kSidebarBg, out.At(50, 300));
    EXPECT_EQ(kRowSel, out.At(220, RowTop(0) + 3));
    EXPECT_NE(kRowSel, out.At(150, RowTop(0) + 3));
}

TEST_F(PainterTest, PaintRestoresTheBackBufferState) {
    HGDIOBJ font = GetCurrentObject(g_hBackBufferDC, OBJ_FONT);
    HGDIOBJ pen = GetCurrentObject(g_hBackBufferDC, OBJ_PEN);
    HGDIOBJ brush = GetCurrentObject(g_hBackBufferDC, OBJ_BRUSH);
    SetQuery(L"report");
    SelectSingleRow(0);
    Canvas out(1100, 400, kMagenta);
    for (int i = 0; i < 3; ++i) PaintMainWindow(out.dc, nullptr);
    EXPECT_EQ(font, GetCurrentObject(g_hBackBufferDC, OBJ_FONT));
    EXPECT_EQ(pen, GetCurrentObject(g_hBackBufferDC, OBJ_PEN));
    EXPECT_EQ(brush, GetCurrentObject(g_hBackBufferDC, OBJ_BRUSH));
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(0, GetClipRgn(g_hBackBufferDC, clip));  // no clip left behind
    DeleteObject(clip);
}

namespace {

constexpr COLORREF kCellBg = RGB(250, 250, 235);

// Icon modes over real image files (thumbnails are decoded from them): a volume whose root is a
// scratch folder. Large icons at 96 DPI: cells 150 x 112 from y 70, seven per line in 1100 px,
// the 48 px icon at (x + 51, y + 8).
class IconViewPaintTest : public PainterTest {
protected:
    VolumeIndex images;
    std::wstring dir;
    HBRUSH cellBrush = nullptr;

    void SetUp() override {
        PainterTest::SetUp();
        cellBrush = CreateSolidBrush(kCellBg);
        g_brushCellBg = cellBrush;
        dir = testfx::MakeScratchDir(L"iconview");
        images.root = dir;
        images.rootFrn = 5;
        ASSERT_TRUE(testfx::WriteFileBytes(dir + L"\\red.bmp", testfx::MakeBmp(48, 48, 255, 0, 0)));
        ASSERT_TRUE(testfx::WriteFileBytes(dir + L"\\blue.bmp", testfx::MakeBmp(48, 48, 0, 0, 255)));
        AddRecord(images, 0x200001, L"red.bmp", false);    // row 0
        AddRecord(images, 0x200002, L"gone.bmp", false, true);  // row 1, deleted
        AddRecord(images, 0x200003, L"blue.bmp", false);   // row 2
        AddRecord(images, 0x200004, L"Docs", true);        // row 3
        Publish({{&images, 0}, {&images, 1}, {&images, 2}, {&images, 3}});
        g_viewMode = static_cast<int>(ResultViewMode::LargeIcons);
    }
    void TearDown() override {
        g_brushCellBg = nullptr;
        DeleteObject(cellBrush);
        g_viewMode = 0;
        PainterTest::TearDown();
    }
    std::wstring PathOf(const wchar_t* name) const { return dir + L"\\" + name; }
    static int CellX(int row) { return (row % 7) * 150; }
    static int CellY(int row) { return 70 + (row / 7) * 112; }
    // The centre of a cell's icon in large icons.
    static POINT IconCentre(int row) { return {CellX(row) + 75, CellY(row) + 32}; }
};

}  // namespace

TEST_F(IconViewPaintTest, LargeIconsDrawCachedThumbnailsAndLeaveGapsForGoneRows) {
    ASSERT_NE(nullptr, GetIconForPath(false, PathOf(L"red.bmp").c_str(), 48, true, true));
    SelectSingleRow(3);
    Canvas out(1100, 400, kMagenta);
    PaintMainWindow(out.dc, nullptr);

    POINT red = IconCentre(0);
    EXPECT_EQ(RGB(255, 0, 0), out.At(red.x, red.y)) << "cached thumbnail drawn";
    EXPECT_EQ(kCellBg, out.At(CellX(0) + 20, CellY(0) + 60));
    // The deleted row gets no cell at all: its slot keeps the surface.
    for (int y = CellY(1) + 2; y < CellY(1) + 110; y += 4)
        for (int x = CellX(1) + 2; x < CellX(1) + 148; x += 4) ASSERT_EQ(kSurface, out.At(x, y)) << x << "," << y;
    // Not cached yet: the file type's icon, not the picture.
    POINT blue = IconCentre(2);
    EXPECT_NE(RGB(0, 0, 255), out.At(blue.x, blue.y));
    // The selected cell is filled with the selection colour.
    EXPECT_EQ(kRowSel, out.At(CellX(3) + 20, CellY(3) + 60));
    // The caption is drawn below the icon, inside the cell.
    bool caption = false;
    for (int y = CellY(0) + 62; y < CellY(0) + 106 && !caption; ++y)
        for (int x = CellX(0) + 6; x < CellX(0) + 144 && !caption; ++x) caption = out.At(x, y) != kCellBg;
    EXPECT_TRUE(caption);

    // Once the hydration task has stored the thumbnail, the next paint shows it.
    ASSERT_NE(nullptr, GetIconForPath(false, PathOf(L"blue.bmp").c_str(), 48, true, true));
    PaintMainWindow(out.dc, nullptr);
    EXPECT_EQ(RGB(0, 0, 255), out.At(blue.x, blue.y));
}

TEST_F(IconViewPaintTest, SmallIconsNeverDrawThumbnailsAndANarrowWindowKeepsOneColumn) {
    ASSERT_NE(nullptr, GetIconForPath(false, PathOf(L"red.bmp").c_str(), 48, true, true));
    g_viewMode = static_cast<int>(ResultViewMode::SmallIcons);
    Canvas out(1100, 400, kMagenta);
    PaintMainWindow(out.dc, nullptr);
    // Small cells are 110 x 84 with a 24 px icon at (x + 43, y + 8).
    for (int y = 78; y < 102; ++y)
        for (int x = 43; x < 67; ++x) ASSERT_NE(RGB(255, 0, 0), out.At(x, y)) << x << "," << y;
    EXPECT_EQ(kCellBg, out.At(5, 70 + 80));
    EXPECT_EQ(kCellBg, out.At(220 + 5, 70 + 80)) << "row 2 in the third column";

    // 100 px of client: still one column, rows below each other.
    g_clientWidth = 100;
    Canvas narrow(1100, 400, kMagenta);
    PaintMainWindow(narrow.dc, nullptr);
    EXPECT_EQ(kSurface, narrow.At(5, 70 + 84 + 5)) << "row 1 (gone) on the second line";
    EXPECT_EQ(kCellBg, narrow.At(5, 70 + 84 * 2 + 5)) << "row 2 on the third line";
}

TEST(ThumbnailCandidates, WaitingFilesBySizeThenRow) {
    auto cell = [](int64_t row, bool sizeKnown, uint64_t size) {
        IconCellInfo c;
        c.row = row;
        c.thumbnailEligible = true;
        c.sizeKnown = sizeKnown;
        c.size = size;
        c.fullPath = L"C:\\p\\" + std::to_wstring(row) + L".jpg";
        return c;
    };
    std::vector<IconCellInfo> cells = {cell(0, false, 0), cell(1, true, 900), cell(2, true, 50),
                                       cell(3, false, 0),  cell(4, true, 50),  cell(5, true, 10),
                                       cell(6, true, 1),   cell(7, true, 1),   cell(8, true, 1)};
    cells[6].thumbnailCached = true;           // already there
    cells[7].thumbnailFailedRecently = true;   // failed a moment ago: not waited for
    cells[8].thumbnailEligible = false;        // a folder or a file without a picture type
    std::vector<int64_t> order;
    for (size_t i : ThumbnailCandidates(cells)) order.push_back(cells[i].row);
    EXPECT_EQ((std::vector<int64_t>{5, 2, 4, 1, 0, 3}), order);
}

TEST(ThumbnailSettleGate, RestartsOnlyForANewSetOfMoreThanFortyEight) {
    std::vector<IconCellInfo> cells(60);
    for (size_t i = 0; i < cells.size(); ++i) {
        cells[i].row = static_cast<int64_t>(i);
        cells[i].fullPath = L"C:\\v\\clip" + std::to_wstring(i) + L".mp4";
    }
    auto firstN = [](size_t n) {
        std::vector<size_t> v(n);
        for (size_t i = 0; i < n; ++i) v[i] = i;
        return v;
    };
    ThumbnailSettleGate gate;
    EXPECT_FALSE(gate.ShouldRestart(cells, firstN(48)));
    EXPECT_TRUE(gate.ShouldRestart(cells, firstN(49)));
    // The same files waiting again (a repaint with nothing loaded) do not restart the timer.
    EXPECT_FALSE(gate.ShouldRestart(cells, firstN(49)));
    EXPECT_FALSE(gate.ShouldRestart(cells, firstN(49)));
    EXPECT_TRUE(gate.ShouldRestart(cells, firstN(55)));
    // Other files in the same cells (a new result set) are a new set.
    cells[3].fullPath = L"C:\\v\\other.mp4";
    EXPECT_TRUE(gate.ShouldRestart(cells, firstN(55)));
    EXPECT_FALSE(gate.ShouldRestart(cells, firstN(40)));
    EXPECT_TRUE(gate.ShouldRestart(cells, firstN(55))) << "the set is new again after dropping to 48";
}
