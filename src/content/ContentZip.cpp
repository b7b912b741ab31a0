// The ZIP document scanner slot, the ZIP document test of an extension, and the thread count of
// a content search.
#include <algorithm>
#include <atomic>
#include <cwchar>

#include "content/ContentScan.h"
#include "content/ContentSettings.h"

namespace {
std::atomic<ZipDocumentScanner> g_zipDocumentScanner{SearchZipDocument};
}  // namespace

void SetZipDocumentScanner(ZipDocumentScanner scanner) { g_zipDocumentScanner.store(scanner); }

ZipDocumentScanner GetZipDocumentScanner() { return g_zipDocumentScanner.load(); }

bool IsZipDocumentExtension(const std::wstring& ext, const std::vector<std::wstring>& zipExts) {
    if (ext.empty()) return false;
    for (const auto& d : DefaultZipExtensions())
        if (_wcsicmp(d.c_str(), ext.c_str()) == 0) return true;
    return std::find(zipExts.begin(), zipExts.end(), ext) != zipExts.end();
}

uint32_t ChooseContentThreadCount(int setting, uint32_t processors, uint64_t candidates) {
    uint64_t n = setting >= 1 ? static_cast<uint64_t>(setting) : (processors ? processors : 1);
    n = std::min<uint64_t>(n, 64);
    n = std::min<uint64_t>(n, candidates);
    return static_cast<uint32_t>(n);
}
