// The process-wide icon cache: HICONs keyed by path, size, folder flag and thumbnail flag, with
// LRU eviction and remembered failures. GetIconForPath is the only way to get an icon; the cache
// owns every icon it hands out.
//
// The mutex guards the containers only; it is never held while the shell, WIC or a file is
// called, so two threads may load the same key at once and the second store keeps the first icon.
#include "results/Results.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wincodec.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "results/ResultsInternal.h"

std::mutex g_iconCacheMutex;
std::unordered_map<uint64_t, HICON> g_iconCache;
std::list<uint64_t> g_iconLru;
std::unordered_map<uint64_t, std::list<uint64_t>::iterator> g_iconLruIndex;
std::unordered_map<uint64_t, uint64_t> g_iconFailures;

namespace {

constexpr uint64_t kThumbnailRetryMs = 10000;
constexpr uint64_t kOwnIconRetryMs = 30000;
constexpr size_t kGdiPressureTarget = 1024;
// Failure records of keys that never made it into the cache are pruned once this many exist.
constexpr size_t kFailureRecordLimit = 4096;
constexpr DWORD kPlaceholderAttributes = 0x441000;  // OFFLINE | RECALL_ON_OPEN | RECALL_ON_DATA_ACCESS
constexpr int kMaxDecodedIconSize = 1024;

template <class T>
void SafeRelease(T*& p) {
    if (p) {
        p->Release();
        p = nullptr;
    }
}

bool FailedRecently(uint64_t key, uint64_t now, uint64_t windowMs) {
    auto it = g_iconFailures.find(key);
    return it != g_iconFailures.end() && now - it->second < windowMs;
}

// Caller holds the mutex.
void RecordFailure(uint64_t key, uint64_t now) {
    if (g_iconFailures.size() >= kFailureRecordLimit) {
        for (auto it = g_iconFailures.begin(); it != g_iconFailures.end();) {
            if (now - it->second >= kOwnIconRetryMs)
                it = g_iconFailures.erase(it);
            else
                ++it;
        }
    }
    g_iconFailures[key] = now;
}

// Stores an icon under the mutex; returns the icon that the cache now holds for the key.
HICON StoreIcon(uint64_t storeKey, HICON icon, bool thumbnailRequest, bool gotThumbnail,
                uint64_t requestKey) {
    std::lock_guard<std::mutex> lock(g_iconCacheMutex);
    auto found = g_iconCache.find(storeKey);
    if (found != g_iconCache.end()) {
        if (found->second != icon) DestroyIcon(icon);
        IconCacheTouch(storeKey);
        return found->second;
    }
    while (g_iconCache.size() >= kIconCacheCapacity && !g_iconLru.empty()) IconCacheEvictOldest();
    g_iconCache[storeKey] = icon;
    g_iconLru.push_back(storeKey);
    g_iconLruIndex[storeKey] = std::prev(g_iconLru.end());
    if (thumbnailRequest) {
        if (gotThumbnail)
            g_iconFailures.erase(requestKey);
        else
            RecordFailure(requestKey, GetTickCount64());
    }
    return icon;
}

bool IsDriveRootPath(const wchar_t* path) {
    if (!path[0] || path[1] != L':') return false;
    if (path[2] == 0) return true;
    return (path[2] == L'\\' || path[2] == L'/') && path[3] == 0;
}

std::wstring LowerExtensionOfFileName(const wchar_t* path) {
    const wchar_t* name = path;
    const wchar_t* dot = nullptr;
    for (const wchar_t* p = path; *p; ++p) {
        if (*p == L'\\' || *p == L'/') {
            name = p + 1;
            dot = nullptr;
        } else if (*p == L'.') {
            dot = p;
        }
    }
    if (!dot || dot < name) return {};
    std::wstring ext(dot);
    for (wchar_t& c : ext)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
    return ext;
}

// A shell thumbnail bitmap that is empty or a single pixel is no thumbnail.
bool IsMeaningfulBitmap(HBITMAP bitmap) {
    BITMAP bm{};
    if (!bitmap || GetObjectW(bitmap, sizeof(bm), &bm) == 0) return false;
    return bm.bmWidth > 1 || bm.bmHeight > 1;
}

struct ComThreadGuard {
    bool initialised = false;
    bool weInitialisedCom = false;
    bool comUsable = false;
    ~ComThreadGuard();
};

void ComThreadGuardTeardown(ComThreadGuard& guard) {
    if (guard.weInitialisedCom) {
        CoUninitialize();
        guard.weInitialisedCom = false;
        guard.comUsable = false;
    }
}

ComThreadGuard::~ComThreadGuard() { ComThreadGuardTeardown(*this); }

thread_local ComThreadGuard t_comGuard;

}  // namespace

HICON GetDefaultFolderIcon() {
    static HICON icon = GetShellFileIcon(L"folder", SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES,
                                         FILE_ATTRIBUTE_DIRECTORY);
    return icon;
}

void IconCacheTouch(uint64_t key) {
    auto it = g_iconLruIndex.find(key);
    if (it == g_iconLruIndex.end()) return;
    g_iconLru.splice(g_iconLru.end(), g_iconLru, it->second);
}

void IconCacheEvictOldest() {
    if (g_iconLru.empty()) return;
    uint64_t key = g_iconLru.front();
    g_iconLru.pop_front();
    g_iconLruIndex.erase(key);
    auto it = g_iconCache.find(key);
    if (it != g_iconCache.end()) {
        if (it->second) DestroyIcon(it->second);
        g_iconCache.erase(it);
    }
    g_iconFailures.erase(key);
}

void ClearIconCache() {
    std::lock_guard<std::mutex> lock(g_iconCacheMutex);
    for (auto& entry : g_iconCache)
        if (entry.second) DestroyIcon(entry.second);
    g_iconCache.clear();
    g_iconLru.clear();
    g_iconLruIndex.clear();
    g_iconFailures.clear();
}

void TrimIconCacheForGdiPressure(DWORD gdiObjects) {
    if (gdiObjects < 7200 || gdiObjects > 65535) return;
    std::lock_guard<std::mutex> lock(g_iconCacheMutex);
    while (g_iconCache.size() > kGdiPressureTarget && !g_iconLru.empty()) IconCacheEvictOldest();
}

bool IsIconCached(bool isDir, const wchar_t* path, int size, bool thumbnail) {
    if (!path || !*path) return false;
    if (size < 1) size = 16;
    uint64_t key = MakeIconCacheKey(isDir, path, size, thumbnail);
    std::lock_guard<std::mutex> lock(g_iconCacheMutex);
    if (g_iconCache.find(key) == g_iconCache.end()) return false;
    IconCacheTouch(key);
    return true;
}

bool IsThumbnailFailureRecent(const wchar_t* path, int size) {
    if (!path || !*path) return false;
    if (size < 1) size = 16;
    const uint64_t key = MakeIconCacheKey(false, path, size, true);
    std::lock_guard<std::mutex> lock(g_iconCacheMutex);
    return FailedRecently(key, GetTickCount64(), kThumbnailRetryMs);
}

bool IsUsableLocalPath(const wchar_t* path, bool isDir) {
    if (!path) return false;
    size_t len = wcsnlen(path, 32768);
    if (len < 3 || len > 32767) return false;
    bool drivePath = ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
                     path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
    bool uncPath = path[0] == L'\\' && path[1] == L'\\';
    if (!drivePath && !uncPath) return false;
    for (size_t i = 0; i < len; ++i) {
        wchar_t c = path[i];
        if (c < 32 || c == L'"') return false;
        if (drivePath && i < 2) continue;
        if (c == L'*' || c == L':' || c == L'<' || c == L'>' || c == L'?' || c == L'|') return false;
    }
    for (size_t i = 0; i + 2 < len; ++i) {
        if ((path[i] == L'\\' || path[i] == L'/') && path[i + 1] == L'.' && path[i + 2] == L'.') {
            wchar_t after = path[i + 3];  // the terminator at the end
            if (after == 0 || after == L'\\' || after == L'/') return false;
        }
    }
    DWORD attrs = GetFileAttributesW(path);
    if (attrs == INVALID_FILE_ATTRIBUTES) return false;
    if (((attrs & FILE_ATTRIBUTE_DIRECTORY) != 0) != isDir) return false;
    return (attrs & kPlaceholderAttributes) == 0;
}

HICON ExtractFileIcon(const wchar_t* path, int size) {
    if (!path || !*path) return nullptr;
    if (size < 1) size = 16;
    HICON icon = nullptr;
    UINT id = 0;
    UINT got = PrivateExtractIconsW(path, 0, size, size, &icon, &id, 1, 0);
    if (got != 0 && got != 0xFFFFFFFFu && icon) return icon;
    if (icon) DestroyIcon(icon);
    HICON large = nullptr;
    HICON small = nullptr;
    UINT n = ExtractIconExW(path, 0, &large, &small, 1);
    if (n == 0 || n == 0xFFFFFFFFu || (!large && !small)) {
        if (large) DestroyIcon(large);
        if (small) DestroyIcon(small);
        return nullptr;
    }
    HICON chosen;
    if (size < 28)
        chosen = small ? small : large;
    else
        chosen = large ? large : small;
    if (large && large != chosen) DestroyIcon(large);
    if (small && small != chosen) DestroyIcon(small);
    return chosen;
}

HICON GetShellFileIcon(const wchar_t* path, UINT flags, DWORD attributes) {
    if (!path || !*path) return nullptr;
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(path, attributes, &info, sizeof(info), flags)) return nullptr;
    return info.hIcon;
}

HICON BitmapToIcon(HBITMAP bitmap) {
    BITMAP bm{};
    if (!bitmap || GetObjectW(bitmap, sizeof(bm), &bm) == 0) return nullptr;
    if (bm.bmWidth <= 0 || bm.bmHeight <= 0) return nullptr;
    // An all-zero AND mask: every pixel opaque unless the colour bitmap carries alpha.
    size_t stride = ((static_cast<size_t>(bm.bmWidth) + 15) / 16) * 2;
    std::vector<BYTE> maskBits(stride * static_cast<size_t>(bm.bmHeight), 0);
    HBITMAP mask = CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 1, maskBits.data());
    if (!mask) return nullptr;
    ICONINFO ii{};
    ii.fIcon = TRUE;
    ii.hbmMask = mask;
    ii.hbmColor = bitmap;
    HICON icon = CreateIconIndirect(&ii);
    DeleteObject(mask);
    return icon;
}

bool EnsureComInitializedForThread() {
    ComThreadGuard& g = t_comGuard;
    if (g.initialised) return g.comUsable;
    g.initialised = true;
    HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (hr == S_OK || hr == S_FALSE) {
        g.weInitialisedCom = true;
        g.comUsable = true;
    } else if (hr == RPC_E_CHANGED_MODE) {
        g.comUsable = true;
    }
    return g.comUsable;
}

HICON GetShellThumbnailIcon(const wchar_t* path, int size) {
    if (!path || !*path || size < 1) return nullptr;
    if (!EnsureComInitializedForThread()) return nullptr;
    IShellItem* item = nullptr;
    if (FAILED(SHCreateItemFromParsingName(path, nullptr, IID_IShellItem,
                                           reinterpret_cast<void**>(&item))) ||
        !item)
        return nullptr;
    IShellItemImageFactory* factory = nullptr;
    HRESULT hr = item->QueryInterface(IID_IShellItemImageFactory, reinterpret_cast<void**>(&factory));
    SafeRelease(item);
    if (FAILED(hr) || !factory) return nullptr;
    int side = std::max(size, 16);
    SIZE want{side, side};
    HICON icon = nullptr;
    const SIIGBF attempts[] = {SIIGBF_THUMBNAILONLY | SIIGBF_BIGGERSIZEOK, SIIGBF_BIGGERSIZEOK};
    for (SIIGBF flags : attempts) {
        HBITMAP bitmap = nullptr;
        if (SUCCEEDED(factory->GetImage(want, flags, &bitmap)) && bitmap) {
            if (IsMeaningfulBitmap(bitmap)) icon = BitmapToIcon(bitmap);
            DeleteObject(bitmap);
        }
        if (icon) break;
    }
    SafeRelease(factory);
    return icon;
}

HICON DecodeImageThumbnailIcon(const wchar_t* path, int size) {
    if (!path || !*path || size < 1 || size > kMaxDecodedIconSize) return nullptr;
    if (!EnsureComInitializedForThread()) return nullptr;
    IWICImagingFactory* factory = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    IWICBitmapScaler* scaler = nullptr;
    HICON icon = nullptr;
    do {
        if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))) ||
            !factory)
            break;
        if (FAILED(factory->CreateDecoderFromFilename(path, nullptr, GENERIC_READ,
                                                      WICDecodeMetadataCacheOnDemand, &decoder)) ||
            !decoder)
            break;
        if (FAILED(decoder->GetFrame(0, &frame)) || !frame) break;
        if (FAILED(factory->CreateFormatConverter(&converter)) || !converter) break;
        if (FAILED(converter->Initialize(frame, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                                         nullptr, 0.0, WICBitmapPaletteTypeCustom)) &&
            FAILED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                         nullptr, 0.0, WICBitmapPaletteTypeCustom)))
            break;
        UINT w = 0, h = 0;
        if (FAILED(converter->GetSize(&w, &h)) || w == 0 || h == 0) break;
        IWICBitmapSource* source = converter;
        UINT outW = w, outH = h;
        if (w > static_cast<UINT>(size) || h > static_cast<UINT>(size)) {
            double factor = std::min(static_cast<double>(size) / w, static_cast<double>(size) / h);
            outW = std::max<UINT>(1, static_cast<UINT>(w * factor));
            outH = std::max<UINT>(1, static_cast<UINT>(h * factor));
            outW = std::min<UINT>(outW, static_cast<UINT>(size));
            outH = std::min<UINT>(outH, static_cast<UINT>(size));
            if (FAILED(factory->CreateBitmapScaler(&scaler)) || !scaler) break;
            if (FAILED(scaler->Initialize(converter, outW, outH, WICBitmapInterpolationModeFant))) break;
            source = scaler;
        }
        std::vector<uint32_t> pixels(static_cast<size_t>(outW) * outH);
        UINT stride = outW * 4;
        if (FAILED(source->CopyPixels(nullptr, stride, static_cast<UINT>(pixels.size() * 4),
                                      reinterpret_cast<BYTE*>(pixels.data()))))
            break;
        std::vector<uint32_t> canvas(static_cast<size_t>(size) * size, 0);
        int offX = std::max(0, (size - static_cast<int>(outW)) / 2);
        int offY = std::max(0, (size - static_cast<int>(outH)) / 2);
        for (UINT y = 0; y < outH && offY + static_cast<int>(y) < size; ++y) {
            size_t count = std::min<size_t>(outW, static_cast<size_t>(size - offX));
            std::memcpy(&canvas[static_cast<size_t>(offY + y) * size + offX],
                        &pixels[static_cast<size_t>(y) * outW], count * 4);
        }
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = size;
        bi.bmiHeader.biHeight = -size;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!dib || !bits) {
            if (dib) DeleteObject(dib);
            break;
        }
        std::memcpy(bits, canvas.data(), canvas.size() * 4);
        icon = BitmapToIcon(dib);
        DeleteObject(dib);
    } while (false);
    SafeRelease(scaler);
    SafeRelease(converter);
    SafeRelease(frame);
    SafeRelease(decoder);
    SafeRelease(factory);
    return icon;
}

HICON GetIconForPath(bool isDir, const wchar_t* path, int size, bool thumbnail,
                     bool allowFileAccess) {
    HICON defaultFolderIcon = isDir ? GetDefaultFolderIcon() : nullptr;
    if (!path || !*path) return defaultFolderIcon;
    if (size < 1) size = 16;
    bool driveRoot = IsDriveRootPath(path);
    if (isDir && !thumbnail && size < 21 && defaultFolderIcon && !driveRoot) return defaultFolderIcon;

    uint64_t key = MakeIconCacheKey(isDir, path, size, thumbnail);
    uint64_t baseKey = MakeIconCacheKey(isDir, path, size, false);
    bool thumbnailRequest = thumbnail && !isDir;
    bool recentThumbnailFailure = false;
    bool recentOwnIconFailure = false;
    {
        std::lock_guard<std::mutex> lock(g_iconCacheMutex);
        auto it = g_iconCache.find(key);
        if (it != g_iconCache.end()) {
            IconCacheTouch(key);
            return it->second;
        }
        uint64_t now = GetTickCount64();
        if (thumbnailRequest && FailedRecently(key, now, kThumbnailRetryMs)) {
            auto base = g_iconCache.find(baseKey);
            if (base != g_iconCache.end()) {
                IconCacheTouch(baseKey);
                return base->second;
            }
            recentThumbnailFailure = true;
        }
        recentOwnIconFailure = FailedRecently(key, now, kOwnIconRetryMs);
    }

    bool fileAccess = allowFileAccess && IsUsableLocalPath(path, isDir);
    uint64_t storeKey = thumbnailRequest ? baseKey : key;

    if (thumbnailRequest && !recentThumbnailFailure && fileAccess) {
        HICON thumb = GetShellThumbnailIcon(path, size);
        if (!thumb) thumb = DecodeImageThumbnailIcon(path, size);
        if (thumb) return StoreIcon(key, thumb, true, true, key);
    }

    UINT flags = SHGFI_ICON | (size < 28 ? SHGFI_SMALLICON : 0);
    DWORD attributes = isDir ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;

    if (fileAccess && !isDir && HasOwnIconExtension(path) && !recentOwnIconFailure) {
        std::wstring ext = LowerExtensionOfFileName(path);
        HICON own = nullptr;
        if (ext == L".exe" || ext == L".dll" || ext == L".scr" || ext == L".ico" || ext == L".cpl")
            own = ExtractFileIcon(path, size);
        else
            own = GetShellFileIcon(path, flags, 0);
        if (own) return StoreIcon(storeKey, own, thumbnailRequest, false, key);
        std::lock_guard<std::mutex> lock(g_iconCacheMutex);
        RecordFailure(key, GetTickCount64());
    }

    if (driveRoot && fileAccess) {
        HICON rootIcon = GetShellFileIcon(path, flags, 0);
        if (rootIcon) return StoreIcon(storeKey, rootIcon, thumbnailRequest, false, key);
    }

    HICON generic = GetShellFileIcon(path, flags | SHGFI_USEFILEATTRIBUTES, attributes);
    if (generic) return StoreIcon(storeKey, generic, thumbnailRequest, false, key);
    if (thumbnailRequest) {
        std::lock_guard<std::mutex> lock(g_iconCacheMutex);
        RecordFailure(key, GetTickCount64());
    }
    return nullptr;
}
