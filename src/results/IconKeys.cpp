// Icon cache keys and the extension tests that decide which files get their own icon or a
// thumbnail. Pure functions, no cache state.
#include "results/Results.h"

#include <cwctype>

uint64_t MakeIconCacheKey(bool isDir, const wchar_t* path, int size, bool thumbnail) {
    uint64_t h = 0x14650FB0739D0383ull;
    constexpr uint64_t kPrime = 0x100000001B3ull;
    if (path) {
        for (const wchar_t* p = path; *p; ++p) {
            uint32_t c = static_cast<uint16_t>(*p);
            if (c >= L'A' && c <= L'Z') c += 32;
            h = (h ^ (c & 0xFF)) * kPrime;
            h = (h ^ (c >> 8)) * kPrime;
        }
    }
    uint64_t key = h ^ (static_cast<uint64_t>(static_cast<uint16_t>(size)) << 48);
    if (thumbnail) key ^= 0x4000000000000000ull;
    if (isDir) key ^= 0x8000000000000000ull;
    return key;
}

namespace {

// ASCII-only lower-casing of an extension, enough for the fixed lists below.
std::wstring AsciiLower(const wchar_t* begin, const wchar_t* end) {
    std::wstring s(begin, end);
    for (wchar_t& c : s)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
    return s;
}

bool InList(const std::wstring& ext, const wchar_t* const* list, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (ext == list[i]) return true;
    return false;
}

}  // namespace

bool HasOwnIconExtension(const wchar_t* path) {
    static const wchar_t* const kExts[] = {L".exe", L".lnk", L".ico", L".dll", L".scr",
                                           L".cpl", L".msc", L".msi", L".url", L".appref-ms"};
    if (!path || !*path) return false;
    const wchar_t* name = path;
    const wchar_t* dot = nullptr;
    const wchar_t* p = path;
    for (; *p; ++p) {
        if (*p == L'\\' || *p == L'/') {
            name = p + 1;
            dot = nullptr;
        } else if (*p == L'.') {
            dot = p;
        }
    }
    if (!dot || dot < name || dot + 1 >= p) return false;
    return InList(AsciiLower(dot, p), kExts, sizeof(kExts) / sizeof(kExts[0]));
}

bool HasThumbnailExtension(const wchar_t* path) {
    static const wchar_t* const kExts[] = {
        L".jpg", L".jpeg", L".jpe", L".jfif", L".pjpeg", L".pjp", L".png", L".bmp",
        L".gif", L".webp", L".tif", L".tiff", L".ico", L".heic", L".heif", L".avif",
        L".jxl", L".jp2", L".j2k", L".jpf", L".jpx", L".raw", L".dng", L".cr2",
        L".cr3", L".nef", L".arw", L".orf", L".rw2", L".mp4", L".mkv", L".avi",
        L".mov", L".wmv", L".flv", L".m4v", L".ts", L".mpeg", L".mpg"};
    if (!path || !*path) return false;
    const wchar_t* dot = nullptr;
    const wchar_t* p = path;
    for (; *p; ++p)
        if (*p == L'.') dot = p;
    if (!dot) return false;
    return InList(AsciiLower(dot, p), kExts, sizeof(kExts) / sizeof(kExts[0]));
}
