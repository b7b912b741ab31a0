// The live colour picker and the re-theming after a colour change.
#include "core/Logs.h"
#include "settings/ColorPicker.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "core/Raii.h"
#include "core/Window.h"
#include "i18n/I18n.h"
#include "ui/Theme.h"
#include "ui/Ui.h"
#include "ui/UiColors.h"

namespace {

std::function<void()> g_colorsListener;

COLORREF Hex(unsigned rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// Everything the one open picker knows.
struct LiveColorPickerState {
    HWND window = nullptr;
    HWND owner = nullptr;
    int slot = -1;
    bool slotWasCustomised = false;
    COLORREF customBefore = 0;
    COLORREF current = 0;
    double hue = 0;
    double saturation = 0;
    double value = 0;
    bool okPressed = false;
    bool syncingControls = false;
    bool draggingSquare = false;
    bool draggingHue = false;
    RECT preview{};
    RECT square{};
    RECT hueStrip{};
    RECT swatchGrid{};
    RECT tip{};
    GdiObject<HBITMAP> gradient;
    int gradientWidth = 0;
    int gradientHeight = 0;
    double gradientHue = -1.0;
    GdiObject<HFONT> font;
    GdiObject<HBRUSH> backgroundBrush;  // behind the labels
};

LiveColorPickerState g_picker;
bool g_pickerRunning = false;
bool g_pickerClassRegistered = false;

HFONT PickerFont() {
    return g_picker.font ? g_picker.font.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

COLORREF PickerBackground() { return g_darkTheme ? Hex(0x1A1C26) : Hex(0xF7F9FC); }
COLORREF PickerTipColor() { return g_darkTheme ? Hex(0xE2E8F0) : Hex(0x2D3A4A); }

int WidthOf(const RECT& r) { return r.right - r.left; }
int HeightOf(const RECT& r) { return r.bottom - r.top; }

double Clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

void SetCurrentFromColor(COLORREF color) {
    g_picker.current = color;
    RgbToHsv(color, g_picker.hue, g_picker.saturation, g_picker.value);
}

std::wstring SlotLabel(int slot) {
    const ColorSlot& s = g_colorSlots[slot];
    return Tr(s.key, s.labelChinese, s.labelEnglish);
}

std::wstring PickerTitle(int slot) {
    return Tr(L"Settings_ColorPickerTitle", L"实时配色 - ", L"Live color - ") + SlotLabel(slot);
}
std::wstring OkText() { return Tr(L"Button_OK", L"确定", L"OK"); }
std::wstring CancelText() { return Tr(L"Button_Cancel", L"取消", L"Cancel"); }

// Centres the window in the work area of the monitor of reference (the main window's without).
void CenterOnMonitor(HWND window, HWND reference) {
    HWND basis = reference && IsWindow(reference) ? reference : g_hMainWnd;
    HMONITOR monitor = MonitorFromWindow(basis && IsWindow(basis) ? basis : window, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) return;
    RECT r{};
    GetWindowRect(window, &r);
    const RECT& work = info.rcWork;
    int x = work.left + (WidthOf(work) - WidthOf(r)) / 2;
    int y = work.top + (HeightOf(work) - HeightOf(r)) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CreateChild(HWND parent, DWORD exStyle, const wchar_t* cls, const wchar_t* text, DWORD style, int id, int x,
                 int y, int w, int h) {
    HWND child = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, ScaleForDpi(x), ScaleForDpi(y),
                                 ScaleForDpi(w), ScaleForDpi(h), parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                 nullptr);
    if (child) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(PickerFont()), FALSE);
    return child;
}

void SetTrackbars(COLORREF c) {
    if (!g_picker.window) return;
    const int values[3] = {GetRValue(c), GetGValue(c), GetBValue(c)};
    for (int i = 0; i < 3; ++i) {
        HWND bar = GetDlgItem(g_picker.window, kPickerRedId + i);
        if (bar) SendMessageW(bar, TBM_SETPOS, TRUE, values[i]);
    }
}

void SetHexEdit(COLORREF c) {
    HWND edit = g_picker.window ? GetDlgItem(g_picker.window, kPickerHexId) : nullptr;
    if (edit) SetWindowTextW(edit, FormatHexColor(c).c_str());
}

// A new colour from one of the picker's own controls: HSV follow it, the square is rendered anew.
void TakeColorFromControl(COLORREF color) {
    RgbToHsv(color, g_picker.hue, g_picker.saturation, g_picker.value);
    ResetPickerGradientCache();
    SetPickerColor(color);
}

void RenderGradient(HDC dc, int w, int h) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiObject<HBITMAP> bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) {
        g_picker.gradient.reset();
        return;
    }
    auto* pixels = static_cast<DWORD*>(bits);
    const double wd = std::max(w - 1, 1);
    const double hd = std::max(h - 1, 1);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            COLORREF c = HsvToRgb(g_picker.hue, x / wd, 1.0 - y / hd);
            pixels[static_cast<size_t>(y) * w + x] =
                0xFF000000u | (static_cast<DWORD>(GetRValue(c)) << 16) | (static_cast<DWORD>(GetGValue(c)) << 8) |
                GetBValue(c);
        }
    }
    g_picker.gradient = std::move(bitmap);
    g_picker.gradientWidth = w;
    g_picker.gradientHeight = h;
    g_picker.gradientHue = g_picker.hue;
}

void FrameBlack(HDC dc, const RECT& r) { FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))); }

void PaintPicker(HWND window, HDC target) {
    RECT client{};
    GetClientRect(window, &client);
    MemoryDc mem(CreateCompatibleDC(target));
    GdiObject<HBITMAP> buffer(CreateCompatibleBitmap(target, std::max(WidthOf(client), 1), std::max(HeightOf(client), 1)));
    HDC dc = target;
    std::unique_ptr<SelectedObject> keepBuffer;
    if (mem && buffer) {
        dc = mem.get();
        keepBuffer = std::make_unique<SelectedObject>(dc, buffer.get());
    }
    {
        GdiObject<HBRUSH> background(CreateSolidBrush(PickerBackground()));
        FillRect(dc, &client, background.get());
        GdiObject<HBRUSH> preview(CreateSolidBrush(g_picker.current));
        FillRect(dc, &g_picker.preview, preview.get());
        FrameBlack(dc, g_picker.preview);
    }
    // The square.
    const RECT& sq = g_picker.square;
    const int w = WidthOf(sq), h = HeightOf(sq);
    if (w > 0 && h > 0) {
        if (!g_picker.gradient || g_picker.gradientWidth != w || g_picker.gradientHeight != h ||
            std::fabs(g_picker.gradientHue - g_picker.hue) >= 0.05)
            RenderGradient(dc, w, h);
        if (g_picker.gradient) {
            MemoryDc src(CreateCompatibleDC(dc));
            if (src) {
                SelectedObject keep(src.get(), g_picker.gradient.get());
                BitBlt(dc, sq.left, sq.top, w, h, src.get(), 0, 0, SRCCOPY);
            }
        }
        FrameBlack(dc, sq);
        const int mx = sq.left + static_cast<int>(g_picker.saturation * std::max(w - 1, 1));
        const int my = sq.top + static_cast<int>(std::max(h - 1, 1) * (1.0 - g_picker.value));
        SelectedObject keepBrush(dc, GetStockObject(NULL_BRUSH));
        GdiObject<HPEN> white(CreatePen(PS_SOLID, 2, RGB(255, 255, 255)));
        GdiObject<HPEN> black(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
        {
            SelectedObject keepPen(dc, white.get());
            Ellipse(dc, mx - 6, my - 6, mx + 6, my + 6);
        }
        {
            SelectedObject keepPen(dc, black.get());
            Ellipse(dc, mx - 6, my - 6, mx + 6, my + 6);
        }
    }
    // The hue strip.
    const RECT& strip = g_picker.hueStrip;
    const int sh = HeightOf(strip);
    if (sh > 0 && WidthOf(strip) > 0) {
        const double hd = std::max(sh - 1, 1);
        for (int y = strip.top; y < strip.bottom; ++y) {
            GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, HsvToRgb((y - strip.top) * 360.0 / hd, 1, 1)));
            SelectedObject keep(dc, pen.get());
            MoveToEx(dc, strip.left, y, nullptr);
            LineTo(dc, strip.right, y);
        }
        FrameBlack(dc, strip);
        const int hy = strip.top + static_cast<int>(g_picker.hue / 360.0 * hd);
        GdiObject<HPEN> white(CreatePen(PS_SOLID, 2, RGB(255, 255, 255)));
        SelectedObject keep(dc, white.get());
        MoveToEx(dc, strip.left - 3, hy, nullptr);
        LineTo(dc, strip.right + 3, hy);
    }
    // The swatches.
    const RECT& grid = g_picker.swatchGrid;
    const int cw = std::max(WidthOf(grid) / 8, 1), ch = std::max(HeightOf(grid) / 3, 1);
    for (int i = 0; i < 24; ++i) {
        RECT cell{grid.left + (i % 8) * cw + 1, grid.top + (i / 8) * ch + 1, grid.left + (i % 8 + 1) * cw - 1,
                  grid.top + (i / 8 + 1) * ch - 1};
        GdiObject<HBRUSH> fill(CreateSolidBrush(kPickerSwatches[i]));
        FillRect(dc, &cell, fill.get());
        FrameRect(dc, &cell, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    }
    // The tip.
    {
        SelectedObject keepFont(dc, PickerFont());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, PickerTipColor());
        std::wstring tip = Tr(L"Settings_ColorLiveTip", L"拖动色板/滑条即可实时预览主窗口，确定后保存，取消则还原。",
                              L"Drag to preview live. OK saves, Cancel restores.");
        RECT r = g_picker.tip;
        DrawTextW(dc, tip.c_str(), -1, &r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    }
    if (dc != target) {
        BitBlt(target, 0, 0, WidthOf(client), HeightOf(client), dc, 0, 0, SRCCOPY);
    }
}

// Picks the swatch under a client point of the grid; false outside the 24 cells.
bool SwatchAt(int x, int y, COLORREF& color) {
    const RECT& grid = g_picker.swatchGrid;
    const int cw = std::max(WidthOf(grid) / 8, 1), ch = std::max(HeightOf(grid) / 3, 1);
    const int column = (x - grid.left) / cw, row = (y - grid.top) / ch;
    const int index = column + 8 * row;
    if (column < 0 || column > 7 || row < 0 || index > 23) return false;
    color = kPickerSwatches[index];
    return true;
}

bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

void OnHexEdited(HWND window) {
    if (g_picker.syncingControls) return;
    wchar_t text[32] = {};
    GetWindowTextW(GetDlgItem(window, kPickerHexId), text, 32);
    COLORREF color = 0;
    if (!ParseHexColor(text, color)) return;
    TakeColorFromControl(color);
    g_picker.syncingControls = true;
    SetTrackbars(color);
    g_picker.syncingControls = false;
}

void OnTrackbarMoved(HWND window) {
    if (g_picker.syncingControls) return;
    int channel[3] = {};
    for (int i = 0; i < 3; ++i) {
        HWND bar = GetDlgItem(window, kPickerRedId + i);
        channel[i] = bar ? static_cast<int>(SendMessageW(bar, TBM_GETPOS, 0, 0)) : 0;
        channel[i] = std::clamp(channel[i], 0, 255);
    }
    const COLORREF color = RGB(channel[0], channel[1], channel[2]);
    TakeColorFromControl(color);
    g_picker.syncingControls = true;
    SetHexEdit(color);
    g_picker.syncingControls = false;
}

bool RegisterPickerClass() {
    if (g_pickerClassRegistered) return true;
    WNDCLASSW wc{};
    wc.lpfnWndProc = LiveColorPickerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kLiveColorPickerClass;
    if (!RegisterClassW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    g_pickerClassRegistered = true;
    return true;
}

}  // namespace

const COLORREF kPickerSwatches[24] = {
    Hex(0x000000), Hex(0x404040), Hex(0x808080), Hex(0xC0C0C0), Hex(0xFFFFFF), Hex(0xFF4040), Hex(0xFF9020), Hex(0xFFE020),
    Hex(0x40C040), Hex(0x20B0E0), Hex(0x3070FF), Hex(0x9040FF), Hex(0xFF40B0), Hex(0x42B883), Hex(0xB0EDD0), Hex(0xE8F8F1),
    Hex(0x168B4F), Hex(0x475569), Hex(0xF8FAFC), Hex(0x1A1C26), Hex(0x12141C), Hex(0x2A303C), Hex(0x5CE0AB), Hex(0xE2E8F0),
};

void ReapplyUiColors() {
    ApplyThemePalette(g_darkTheme);
    ApplyCustomColorOverrides();
    RecreateControlBrushes();
    CreateThemeGdiResources();
    if (IsLiveWindow(g_hMainWnd))
        RedrawWindow(g_hMainWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (g_colorsListener) g_colorsListener();
}

void SetUiColorsReappliedListener(std::function<void()> listener) { g_colorsListener = std::move(listener); }

COLORREF HsvToRgb(double hue, double saturation, double value) {
    value = Clamp01(value);
    saturation = Clamp01(saturation);
    const double c = saturation * value;
    if (!std::isfinite(hue)) hue = 0;
    hue = std::fmod(hue, 360.0);
    if (hue < 0) hue += 360.0;
    const double x = c * (1 - std::fabs(std::fmod(hue / 60.0, 2.0) - 1));
    double r = 0, g = 0, b = 0;
    switch (static_cast<int>(hue / 60.0)) {
    case 0: r = c; g = x; break;
    case 1: r = x; g = c; break;
    case 2: g = c; b = x; break;
    case 3: g = x; b = c; break;
    case 4: r = x; b = c; break;
    default: r = c; b = x; break;
    }
    const double m = value - c;
    auto channel = [m](double part) { return static_cast<int>(std::min(255.0, (part + m) * 255.0 + 0.5)); };
    return RGB(channel(r), channel(g), channel(b));
}

void RgbToHsv(COLORREF color, double& hue, double& saturation, double& value) {
    const double r = GetRValue(color) / 255.0, g = GetGValue(color) / 255.0, b = GetBValue(color) / 255.0;
    const double max = std::max({r, g, b}), min = std::min({r, g, b});
    const double d = max - min;
    value = max;
    saturation = max <= 1e-9 ? 0 : d / max;
    if (d <= 1e-9) {
        hue = 0;
        return;
    }
    if (max == r) hue = (g - b) / d;
    else if (max == g) hue = (b - r) / d + 2;
    else hue = (r - g) / d + 4;
    hue *= 60;
    if (hue < 0) hue += 360;
}

bool IsLiveColorPickerOpen() { return g_pickerRunning; }

HWND GetLiveColorPickerWindow() { return g_picker.window; }

void SetPickerColor(COLORREF color) {
    SetCurrentFromColor(color);
    if (g_picker.slot >= 0 && g_picker.slot < kColorSlotCount) {
        g_customColors[g_picker.slot] = color;
        g_customColorSet[g_picker.slot] = true;
        ReapplyUiColors();
    }
    if (g_picker.window) InvalidateRect(g_picker.window, nullptr, FALSE);
}

void SyncPickerControls() {
    g_picker.syncingControls = true;
    SetTrackbars(g_picker.current);
    SetHexEdit(g_picker.current);
    g_picker.syncingControls = false;
}

void LayoutColorPicker(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    auto s = [](int v) { return ScaleForDpi(v); };
    g_picker.preview = {s(16), s(16), s(96), s(96)};
    g_picker.square = {s(112), s(16), s(112) + s(220), s(16) + s(180)};
    g_picker.hueStrip = {s(344), s(16), s(344) + s(22), s(16) + s(180)};
    g_picker.swatchGrid = {s(16), s(210), client.right - s(16), s(210) + s(72)};
    g_picker.tip = {s(16), s(288), client.right - s(16), s(320)};
}

void PickSaturationValueAt(int x, int y) {
    const RECT& sq = g_picker.square;
    const double saturation = Clamp01(static_cast<double>(x - sq.left) / std::max(WidthOf(sq) - 1, 1));
    const double value = 1.0 - Clamp01(static_cast<double>(y - sq.top) / std::max(HeightOf(sq) - 1, 1));
    g_picker.saturation = saturation;
    g_picker.value = value;
    SetPickerColor(HsvToRgb(g_picker.hue, saturation, value));
    SyncPickerControls();
}

void PickHueAt(int y) {
    const RECT& strip = g_picker.hueStrip;
    g_picker.hue = Clamp01(static_cast<double>(y - strip.top) / std::max(HeightOf(strip) - 1, 1)) * 360.0;
    const COLORREF color = HsvToRgb(g_picker.hue, g_picker.saturation, g_picker.value);
    ResetPickerGradientCache();
    SetPickerColor(color);
    SyncPickerControls();
}

void ResetPickerGradientCache() {
    g_picker.gradient.reset();
    g_picker.gradientWidth = 0;
    g_picker.gradientHeight = 0;
    g_picker.gradientHue = -1.0;
}

HWND CreatePickerTrackbar(HWND parent, int id, int y) {
    HWND bar = CreateChild(parent, 0, TRACKBAR_CLASSW, L"", WS_TABSTOP | TBS_AUTOTICKS | TBS_NOTICKS, id, 36, y, 220, 28);
    if (bar) SendMessageW(bar, TBM_SETRANGE, FALSE, MAKELPARAM(0, 255));
    return bar;
}

LRESULT CALLBACK LiveColorPickerProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: {
        g_picker.window = window;
        LayoutColorPicker(window);
        const wchar_t* labels[3] = {L"R", L"G", L"B"};
        for (int i = 0; i < 3; ++i) {
            CreateChild(window, 0, L"STATIC", labels[i], 0, -1, 16, 330 + 32 * i, 16, 22);
            CreatePickerTrackbar(window, kPickerRedId + i, 326 + 32 * i);
        }
        HWND edit = CreateChild(window, WS_EX_CLIENTEDGE, L"EDIT", L"", WS_TABSTOP | ES_UPPERCASE | ES_AUTOHSCROLL,
                                kPickerHexId, 270, 330, 100, 26);
        if (edit) SendMessageW(edit, EM_LIMITTEXT, 31, 0);
        CreateChild(window, 0, L"BUTTON", OkText().c_str(), WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, 270, 370, 100, 30);
        CreateChild(window, 0, L"BUTTON", CancelText().c_str(), WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL, 270, 406, 100,
                    30);
        SyncPickerControls();
        return 0;
    }
    case WM_SIZE:
        LayoutColorPicker(window);
        ResetPickerGradientCache();
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        if (dc) PaintPicker(window, dc);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, PickerTipColor());
        SetBkColor(dc, PickerBackground());
        g_picker.backgroundBrush.reset(CreateSolidBrush(PickerBackground()));
        return reinterpret_cast<LRESULT>(g_picker.backgroundBrush.get());
    }
    case WM_LBUTTONDOWN: {
        const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
        COLORREF swatch = 0;
        if (Inside(g_picker.square, x, y)) {
            g_picker.draggingSquare = true;
            SetCapture(window);
            PickSaturationValueAt(x, y);
        } else if (Inside(g_picker.hueStrip, x, y)) {
            g_picker.draggingHue = true;
            SetCapture(window);
            PickHueAt(y);
        } else if (Inside(g_picker.swatchGrid, x, y) && SwatchAt(x, y, swatch)) {
            double h = 0, s = 0, v = 0;
            RgbToHsv(swatch, h, s, v);
            g_picker.hue = h;
            g_picker.saturation = s;
            g_picker.value = v;
            ResetPickerGradientCache();
            SetPickerColor(HsvToRgb(h, s, v));
            SyncPickerControls();
        }
        return 0;
    }
    case WM_MOUSEMOVE:
        if (wParam & MK_LBUTTON) {
            const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
            if (g_picker.draggingSquare) PickSaturationValueAt(x, y);
            else if (g_picker.draggingHue) PickHueAt(y);
        }
        return 0;
    case WM_LBUTTONUP:
        g_picker.draggingSquare = false;
        g_picker.draggingHue = false;
        if (GetCapture() == window) ReleaseCapture();
        return 0;
    case WM_CAPTURECHANGED:
        g_picker.draggingSquare = false;
        g_picker.draggingHue = false;
        return 0;
    case WM_HSCROLL: {
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        if (id >= kPickerRedId && id <= kPickerBlueId) OnTrackbarMoved(window);
        return 0;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id == kPickerHexId && HIWORD(wParam) == EN_CHANGE) {
            OnHexEdited(window);
        } else if (id == IDOK) {
            g_picker.okPressed = true;
            DestroyWindow(window);
        } else if (id == IDCANCEL) {
            g_picker.okPressed = false;
            DestroyWindow(window);
        }
        return 0;
    }
    case WM_CLOSE:
        g_picker.okPressed = false;
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        ResetPickerGradientCache();
        g_picker.window = nullptr;
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

bool ShowLiveColorPicker(HWND owner, int slot) {
    if (slot < 0 || slot >= kColorSlotCount || g_pickerRunning) return false;
    // The track bars are common controls: their class must be registered before the first one.
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);

    g_picker.window = nullptr;
    g_picker.owner = owner && IsWindow(owner) ? owner : nullptr;
    g_picker.slot = slot;
    g_picker.slotWasCustomised = g_customColorSet[slot];
    g_picker.customBefore = g_customColors[slot];
    g_picker.okPressed = false;
    g_picker.syncingControls = false;
    g_picker.draggingSquare = false;
    g_picker.draggingHue = false;
    ResetPickerGradientCache();
    SetCurrentFromColor(GetUiColor(slot));
    if (!RegisterPickerClass()) return false;
    g_picker.font.reset(CreateUiFont(12, FW_NORMAL));

    const std::wstring title = PickerTitle(slot);
    // The window exists from WM_CREATE on; a slot that is not yet shown stays untouched until then.
    HWND window = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_CONTROLPARENT, kLiveColorPickerClass,
                                  title.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                                  ScaleForDpi(400), ScaleForDpi(480), g_picker.owner, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!window) {
        g_picker = LiveColorPickerState{};
        return false;
    }
    g_picker.window = window;
    CenterOnMonitor(window, g_picker.owner);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetPickerColor(g_picker.current);
    SyncPickerControls();

    const bool ownerWasEnabled = g_picker.owner && IsWindowEnabled(g_picker.owner);
    if (ownerWasEnabled) EnableWindow(g_picker.owner, FALSE);
    g_pickerRunning = true;

    bool quit = false;
    WPARAM quitCode = 0;
    MSG m{};
    while (g_picker.window && IsWindow(g_picker.window)) {
        const BOOL got = GetMessageW(&m, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending (or the queue failed): close as Cancel and let the quit reach
            // the main loop.
            if (got == 0) {
                quit = true;
                quitCode = m.wParam;
            }
            g_picker.okPressed = false;
            if (g_picker.window && IsWindow(g_picker.window)) DestroyWindow(g_picker.window);
            break;
        }
        if (g_picker.window && IsDialogMessageW(g_picker.window, &m)) continue;
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    g_picker.window = nullptr;
    g_pickerRunning = false;
    if (ownerWasEnabled && IsWindow(g_picker.owner)) {
        EnableWindow(g_picker.owner, TRUE);
        SetForegroundWindow(g_picker.owner);
    }

    const int s = g_picker.slot;
    const bool ok = g_picker.okPressed;
    if (!ok) {
        g_customColorSet[s] = g_picker.slotWasCustomised;
        g_customColors[s] = g_picker.customBefore;
        ReapplyUiColors();
    } else {
        g_customColors[s] = g_picker.current;
        g_customColorSet[s] = true;
        g_lastColorPreset = -1;
        if (!SaveUiColors()) LogFailure(L"saving ui_colors.ini", GetLastError());
        ReapplyUiColors();
    }
    g_picker.font.reset();
    g_picker.backgroundBrush.reset();
    g_picker.slot = -1;
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
    return ok;
}

void RelocalizeLiveColorPicker() {
    HWND window = g_picker.window;
    if (!window || !IsWindow(window)) return;
    SetWindowTextW(window, PickerTitle(g_picker.slot).c_str());
    if (HWND ok = GetDlgItem(window, IDOK)) SetWindowTextW(ok, OkText().c_str());
    if (HWND cancel = GetDlgItem(window, IDCANCEL)) SetWindowTextW(cancel, CancelText().c_str());
    InvalidateRect(window, nullptr, FALSE);  // the tip is drawn in the language of its paint
}
