// The back buffer follows the client size and keeps the DC's original bitmap for the restore.
#include <gtest/gtest.h>
#include <windows.h>

#include "results/Results.h"

TEST(BackBuffer, ResizeKeepsTheOriginalBitmapAndIgnoresBadSizes) {
    HWND wnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, wnd);
    ResizeBackBuffer(wnd, 100, 100);  // no DC yet: nothing happens
    EXPECT_EQ(nullptr, g_backBufferBitmap);
    CreateBackBuffer(wnd);
    ASSERT_NE(nullptr, g_hBackBufferDC);
    HBITMAP first = g_backBufferBitmap;
    HBITMAP original = g_backBufferOriginalBitmap;
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, original);
    ResizeBackBuffer(wnd, 0, 50);
    ResizeBackBuffer(nullptr, 50, 50);
    EXPECT_EQ(first, g_backBufferBitmap);
    ResizeBackBuffer(wnd, 640, 480);
    EXPECT_NE(first, g_backBufferBitmap);
    EXPECT_EQ(original, g_backBufferOriginalBitmap);
    BITMAP bm{};
    EXPECT_EQ(0, GetObjectW(first, sizeof(bm), &bm));  // the previous bitmap was deleted
    GetObjectW(g_backBufferBitmap, sizeof(bm), &bm);
    EXPECT_EQ(640, bm.bmWidth);
    EXPECT_EQ(480, bm.bmHeight);
    DestroyBackBuffer();
    EXPECT_EQ(nullptr, g_hBackBufferDC);
    EXPECT_EQ(nullptr, g_backBufferBitmap);
    DestroyWindow(wnd);
}
