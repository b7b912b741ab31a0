// The main window's back buffer: a memory DC with a bitmap of the client size.
#include "results/Results.h"

HDC g_hBackBufferDC = nullptr;
HBITMAP g_backBufferBitmap = nullptr;
HBITMAP g_backBufferOriginalBitmap = nullptr;

void CreateBackBuffer(HWND hwnd) {
    if (g_hBackBufferDC || !hwnd || !IsWindow(hwnd)) return;
    HDC wdc = GetDC(hwnd);
    if (!wdc) return;
    g_hBackBufferDC = CreateCompatibleDC(wdc);
    ReleaseDC(hwnd, wdc);
    RECT rc{};
    GetClientRect(hwnd, &rc);
    ResizeBackBuffer(hwnd, rc.right - rc.left, rc.bottom - rc.top);
}

void DestroyBackBuffer() {
    if (g_hBackBufferDC) {
        if (g_backBufferOriginalBitmap) SelectObject(g_hBackBufferDC, g_backBufferOriginalBitmap);
        DeleteDC(g_hBackBufferDC);
    }
    if (g_backBufferBitmap) DeleteObject(g_backBufferBitmap);
    g_hBackBufferDC = nullptr;
    g_backBufferBitmap = nullptr;
    g_backBufferOriginalBitmap = nullptr;
}

void ResizeBackBuffer(HWND hwnd, int width, int height) {
    if (!g_hBackBufferDC || !hwnd || !IsWindow(hwnd) || width <= 0 || height <= 0) return;
    HDC wdc = GetDC(hwnd);
    if (!wdc) return;
    HBITMAP bitmap = CreateCompatibleBitmap(wdc, width, height);
    ReleaseDC(hwnd, wdc);
    if (!bitmap) return;
    HGDIOBJ previous = SelectObject(g_hBackBufferDC, bitmap);
    if (!previous || previous == HGDI_ERROR) {
        DeleteObject(bitmap);
        return;
    }
    if (!g_backBufferOriginalBitmap) g_backBufferOriginalBitmap = static_cast<HBITMAP>(previous);
    if (g_backBufferBitmap) DeleteObject(g_backBufferBitmap);
    g_backBufferBitmap = bitmap;
}
