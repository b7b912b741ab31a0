// The icon cache: lookup order, thumbnails (shell, then image decoding), failure memory, LRU
// eviction with destruction, the GDI-pressure trim and the path safety test.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "results/Results.h"
#include "support/fixture.h"
#include "results/ResultsInternal.h"

namespace {

struct IconPixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> bgra;  // top-down
    uint32_t At(int x, int y) const { return bgra[static_cast<size_t>(y) * width + x]; }
};

IconPixels ReadIcon(HICON icon) {
    IconPixels px;
    ICONINFO ii{};
    if (!icon || !GetIconInfo(icon, &ii)) return px;
    BITMAP bm{};
    GetObjectW(ii.hbmColor, sizeof(bm), &bm);
    px.width = bm.bmWidth;
    px.height = bm.bmHeight;
    px.bgra.resize(static_cast<size_t>(px.width) * px.height);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = px.width;
    bi.bmiHeader.biHeight = -px.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, ii.hbmColor, 0, px.height, px.bgra.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    return px;
}

bool IconAlive(HICON icon) {
    ICONINFO ii{};
    if (!GetIconInfo(icon, &ii)) return false;
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    return true;
}

// Appends n distinct keys at the back of the use order, as stores would. Their icons are null
// placeholders: only the bookkeeping matters here, and icon handles are slow to make under test.
void FillCache(int n) {
    std::lock_guard<std::mutex> lock(g_iconCacheMutex);
    for (int i = 0; i < n; ++i) {
        std::wstring name = L"fill" + std::to_wstring(i);
        uint64_t key = MakeIconCacheKey(false, name.c_str(), 16, false);
        g_iconCache[key] = nullptr;
        g_iconLru.push_back(key);
        g_iconLruIndex[key] = std::prev(g_iconLru.end());
    }
}

class IconCacheTest : public testing::Test {
protected:
    void SetUp() override { ClearIconCache(); }
    void TearDown() override { ClearIconCache(); }
};

}  // namespace

TEST_F(IconCacheTest, GenericIconsAreCachedByFoldedPathAndSizeZeroMeansSixteen) {
    HICON a = GetIconForPath(false, L"C:\\Data\\Report.TXT", 0, false, false);
    ASSERT_NE(nullptr, a);
    EXPECT_TRUE(IsIconCached(false, L"c:\\data\\report.txt", 16, false));
    EXPECT_EQ(a, GetIconForPath(false, L"c:\\data\\report.txt", 16, false, false));
    EXPECT_FALSE(IsIconCached(false, L"c:\\data\\report.txt", 32, false));
    EXPECT_FALSE(IsIconCached(false, L"", 16, false));
    EXPECT_FALSE(IsIconCached(false, nullptr, 16, false));
    EXPECT_EQ(nullptr, GetIconForPath(false, L"", 16, false, false));
}

TEST_F(IconCacheTest, SmallFoldersUseTheDefaultFolderIconExceptDriveRoots) {
    HICON folder = GetDefaultFolderIcon();
    ASSERT_NE(nullptr, folder);
    EXPECT_EQ(folder, GetDefaultFolderIcon());
    EXPECT_EQ(folder, GetIconForPath(true, L"C:\\Windows", 16, false, false));
    EXPECT_EQ(folder, GetIconForPath(true, L"", 16, false, false));
    EXPECT_FALSE(IsIconCached(true, L"C:\\Windows", 16, false));
    HICON root = GetIconForPath(true, L"C:\\", 16, false, false);
    EXPECT_NE(folder, root);
    EXPECT_TRUE(IsIconCached(true, L"C:\\", 16, false));
    HICON big = GetIconForPath(true, L"C:\\Windows", 32, false, false);
    EXPECT_NE(folder, big);
    EXPECT_TRUE(IsIconCached(true, L"C:\\Windows", 32, false));
    ClearIconCache();
    EXPECT_EQ(folder, GetDefaultFolderIcon());  // not owned by the cache
    EXPECT_TRUE(IconAlive(folder));
}

TEST_F(IconCacheTest, ThumbnailIsDecodedScaledAndCentred) {
    std::wstring dir = testfx::MakeScratchDir(L"thumbs");
    std::wstring path = dir + L"\\wide.bmp";
    ASSERT_TRUE(testfx::WriteFileBytes(path, testfx::MakeBmp(100, 50, 255, 0, 0)));
    // A single-pixel shell thumbnail counts as none: the image itself is decoded.
    HICON icon = GetIconForPath(false, path.c_str(), 48, true, true);
    ASSERT_NE(nullptr, icon);
    EXPECT_TRUE(IsIconCached(false, path.c_str(), 48, true));
    IconPixels px = ReadIcon(icon);
    ASSERT_EQ(48, px.width);
    ASSERT_EQ(48, px.height);
    // 100 x 50 scaled to 48 x 24, centred vertically: rows 12..35 red, the rest transparent.
    EXPECT_EQ(0x00FF0000u, px.At(24, 24) & 0x00FFFFFFu);
    EXPECT_EQ(0xFFu, px.At(24, 24) >> 24);
    EXPECT_EQ(0u, px.At(24, 2) >> 24);
    EXPECT_EQ(0u, px.At(24, 45) >> 24);
}

TEST_F(IconCacheTest, FailedThumbnailServesTheBaseIconUntilRetryTime) {
    std::wstring dir = testfx::MakeScratchDir(L"thumbfail");
    std::wstring path = dir + L"\\later.bmp";
    ASSERT_TRUE(testfx::WriteFileBytes(path, testfx::MakeBmp(20, 20, 0, 0, 255)));
    // Without file access: the generic icon for the type, cached under the base key, and a
    // remembered thumbnail failure.
    HICON generic = GetIconForPath(false, path.c_str(), 48, true, false);
    ASSERT_NE(nullptr, generic);
    EXPECT_FALSE(IsIconCached(false, path.c_str(), 48, true));
    EXPECT_TRUE(IsIconCached(false, path.c_str(), 48, false));
    uint64_t key = MakeIconCacheKey(false, path.c_str(), 48, true);
    {
        std::lock_guard<std::mutex> lock(g_iconCacheMutex);
        ASSERT_EQ(1u, g_iconFailures.count(key));
    }
    // Within the retry time even a request with file access gets the base icon back.
    EXPECT_EQ(generic, GetIconForPath(false, path.c_str(), 48, true, true));
    EXPECT_FALSE(IsIconCached(false, path.c_str(), 48, true));
    // Once the failure is older than 10 s the thumbnail is tried again and replaces the record.
    {
        std::lock_guard<std::mutex> lock(g_iconCacheMutex);
        g_iconFailures[key] = GetTickCount64() - 10001;
    }
    HICON thumb = GetIconForPath(false, path.c_str(), 48, true, true);
    ASSERT_NE(nullptr, thumb);
    EXPECT_NE(generic, thumb);
    EXPECT_TRUE(IsIconCached(false, path.c_str(), 48, true));
    std::lock_guard<std::mutex> lock(g_iconCacheMutex);
    EXPECT_EQ(0u, g_iconFailures.count(key));
}

TEST_F(IconCacheTest, UnusablePathsNeverGetThumbnailsOrOwnIcons) {
    std::wstring dir = testfx::MakeScratchDir(L"unusable");
    ASSERT_TRUE(testfx::WriteFileBytes(dir + L"\\pic.bmp", testfx::MakeBmp(8, 8, 0, 255, 0)));
    std::wstring dotted = dir + L"\\..\\unusable\\pic.bmp";
    HICON icon = GetIconForPath(false, dotted.c_str(), 48, true, true);
    EXPECT_NE(nullptr, icon);  // the generic icon for the type
    EXPECT_FALSE(IsIconCached(false, dotted.c_str(), 48, true));
}

TEST_F(IconCacheTest, LeastRecentlyUsedIconIsEvictedAndDestroyed) {
    HICON first = GetIconForPath(false, L"first.txt", 16, false, false);
    HICON second = GetIconForPath(false, L"second.txt", 16, false, false);
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    FillCache(2046);  // the cache is now full
    EXPECT_TRUE(IsIconCached(false, L"first.txt", 16, false));  // touched: second is the oldest
    HICON extra = GetIconForPath(false, L"one-more.txt", 16, false, false);
    ASSERT_NE(nullptr, extra);
    EXPECT_TRUE(IsIconCached(false, L"first.txt", 16, false));
    EXPECT_FALSE(IsIconCached(false, L"second.txt", 16, false));
    EXPECT_FALSE(IconAlive(second));
    EXPECT_TRUE(IconAlive(first));
    std::lock_guard<std::mutex> lock(g_iconCacheMutex);
    EXPECT_EQ(2048u, g_iconCache.size());
    EXPECT_EQ(2048u, g_iconLru.size());
    EXPECT_EQ(2048u, g_iconLruIndex.size());
}

TEST_F(IconCacheTest, GdiPressureTrimsToOneThousandTwentyFour) {
    FillCache(1100);
    TrimIconCacheForGdiPressure(7199);
    TrimIconCacheForGdiPressure(70000);
    {
        std::lock_guard<std::mutex> lock(g_iconCacheMutex);
        EXPECT_EQ(1100u, g_iconCache.size());
    }
    TrimIconCacheForGdiPressure(8000);
    std::lock_guard<std::mutex> lock(g_iconCacheMutex);
    EXPECT_EQ(1024u, g_iconCache.size());
    EXPECT_EQ(1024u, g_iconLru.size());
    // The most recently used entries stay.
    EXPECT_EQ(1u, g_iconCache.count(MakeIconCacheKey(false, L"fill1099", 16, false)));
    EXPECT_EQ(0u, g_iconCache.count(MakeIconCacheKey(false, L"fill0", 16, false)));
}

TEST(IconHelpers, UsableLocalPath) {
    std::wstring dir = testfx::MakeScratchDir(L"usable");
    std::wstring file = dir + L"\\a.txt";
    ASSERT_TRUE(testfx::WriteFileBytes(file, "x"));
    struct Case {
        std::wstring path;
        bool isDir;
        bool usable;
    } cases[] = {
        {file, false, true},
        {dir, true, true},
        {file, true, false},               // the folder flag must match
        {dir, false, false},
        {dir + L"\\missing.txt", false, false},
        {dir + L"\\..\\usable\\a.txt", false, false},
        {dir + L"\\a?.txt", false, false},
        {dir + L"\\a\".txt", false, false},
        {dir + L"\\x:y", false, false},
        {std::wstring(L"a.txt"), false, false},
        {std::wstring(L"C:"), true, false},
        {dir + L"\\a\x01.txt", false, false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.usable, IsUsableLocalPath(c.path.c_str(), c.isDir)) << c.path;
    EXPECT_FALSE(IsUsableLocalPath(nullptr, false));
    std::wstring tooLong = L"C:\\" + std::wstring(33000, L'a');
    EXPECT_FALSE(IsUsableLocalPath(tooLong.c_str(), false));
}

TEST(IconHelpers, BitmapToIconRejectsEmptyBitmaps) {
    EXPECT_EQ(nullptr, BitmapToIcon(nullptr));
    HDC dc = GetDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 5, 7);
    ReleaseDC(nullptr, dc);
    HICON icon = BitmapToIcon(bmp);
    ASSERT_NE(nullptr, icon);
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(icon, &ii));
    EXPECT_TRUE(ii.fIcon);
    BITMAP bm{};
    GetObjectW(ii.hbmColor, sizeof(bm), &bm);
    EXPECT_EQ(5, bm.bmWidth);
    EXPECT_EQ(7, bm.bmHeight);
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    DestroyIcon(icon);
    EXPECT_NE(0, GetObjectW(bmp, sizeof(bm), &bm));  // the caller keeps its bitmap
    DeleteObject(bmp);
}

TEST(IconHelpers, DecodeRejectsBadInput) {
    std::wstring dir = testfx::MakeScratchDir(L"decode");
    std::wstring junk = dir + L"\\junk.png";
    ASSERT_TRUE(testfx::WriteFileBytes(junk, "\x89PNG\r\n\x1a\n this is not an image"));
    EXPECT_EQ(nullptr, DecodeImageThumbnailIcon(junk.c_str(), 48));
    EXPECT_EQ(nullptr, DecodeImageThumbnailIcon((dir + L"\\none.png").c_str(), 48));
    EXPECT_EQ(nullptr, DecodeImageThumbnailIcon(L"", 48));
    EXPECT_EQ(nullptr, DecodeImageThumbnailIcon(junk.c_str(), 0));
    std::string truncated = testfx::MakeBmp(64, 64, 1, 2, 3).substr(0, 200);
    ASSERT_TRUE(testfx::WriteFileBytes(dir + L"\\cut.bmp", truncated));
    HICON icon = DecodeImageThumbnailIcon((dir + L"\\cut.bmp").c_str(), 48);  // must not crash
    if (icon) DestroyIcon(icon);
}
