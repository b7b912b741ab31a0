// Icon cache keys and the own-icon / thumbnail extension tests.
#include <gtest/gtest.h>

#include "results/Results.h"

TEST(IconKeys, KeyFoldsOnlyAsciiCase) {
    EXPECT_EQ(MakeIconCacheKey(false, L"C:\\Data\\A.JPG", 48, true),
              MakeIconCacheKey(false, L"c:\\data\\a.jpg", 48, true));
    // Non-ASCII letters in different case stay different keys.
    EXPECT_NE(MakeIconCacheKey(false, L"C:\\\u00C4.txt", 16, false),
              MakeIconCacheKey(false, L"C:\\\u00E4.txt", 16, false));
}

TEST(IconKeys, KeyBitsForSizeThumbnailAndFolder) {
    const wchar_t* p = L"C:\\x\\photo.png";
    uint64_t base = MakeIconCacheKey(false, p, 48, false);
    EXPECT_EQ(base ^ 0x4000000000000000ull, MakeIconCacheKey(false, p, 48, true));
    EXPECT_EQ(base ^ 0x8000000000000000ull, MakeIconCacheKey(true, p, 48, false));
    // Sizes differ only in the 16 bits at 48.
    EXPECT_EQ(base ^ (uint64_t(48) << 48) ^ (uint64_t(24) << 48), MakeIconCacheKey(false, p, 24, false));
    EXPECT_NE(MakeIconCacheKey(false, p, 24, true), MakeIconCacheKey(false, p, 48, true));
    // The hash itself: FNV-1a over the bytes, low byte first, from the fixed start value.
    uint64_t h = 0x14650FB0739D0383ull;
    for (wchar_t c : std::wstring(L"ab")) {
        h = (h ^ (uint64_t(c) & 0xFF)) * 0x100000001B3ull;
        h = (h ^ (uint64_t(c) >> 8)) * 0x100000001B3ull;
    }
    EXPECT_EQ(h ^ (uint64_t(16) << 48), MakeIconCacheKey(false, L"AB", 16, false));
    EXPECT_EQ(0x14650FB0739D0383ull ^ (uint64_t(16) << 48), MakeIconCacheKey(false, nullptr, 16, false));
}

TEST(IconKeys, OwnIconExtensions) {
    struct Case {
        const wchar_t* path;
        bool own;
    } cases[] = {
        {L"C:\\Tools\\setup.EXE", true},   {L"C:\\a\\b.lnk", true},
        {L"x.appref-ms", true},            {L"C:\\a\\b.Url", true},
        {L"C:\\a.exe\\readme", false},     // the extension of a folder part does not count
        {L"C:\\a\\file.", false},          {L"C:\\a\\exe", false},
        {L"C:/a/b.msi", true},             {L"C:\\a\\b.txt", false},
        {L"", false},                      {nullptr, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.own, HasOwnIconExtension(c.path)) << (c.path ? c.path : L"(null)");
}

TEST(IconKeys, ThumbnailExtensions) {
    struct Case {
        const wchar_t* path;
        bool thumb;
    } cases[] = {
        {L"C:\\p\\IMG_1.JPG", true}, {L"C:\\p\\a.webp", true}, {L"C:\\v\\clip.MP4", true},
        {L"C:\\v\\clip.ts", true},   {L"C:\\p\\a.ico", true},  {L"C:\\p\\a.txt", false},
        {L"C:\\p\\jpg", false},      {L"C:\\p.jpg\\x", false}, {nullptr, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.thumb, HasThumbnailExtension(c.path)) << (c.path ? c.path : L"(null)");
}
