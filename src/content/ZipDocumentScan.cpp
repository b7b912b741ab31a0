#include <windows.h>

#include <new>

#include "content/ContentMemory.h"
#include "content/ContentScan.h"
#include "content/ContentSettings.h"
#include "content/XmlText.h"
#include "content/ZipReader.h"

namespace {

constexpr size_t kEntryNameMax = 512;
// Memory one part may need at its peak, per byte of the part: the part itself, the UTF-16
// decoding with its extracted text and the matcher's stripped copy, or the byte extractors'
// output with the matcher's copies.
constexpr uint64_t kPartMemoryFactor = 7;

struct FileHandle {
    HANDLE h;
    ~FileHandle() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

std::string NormalizedEntryName(const std::string& stored) {
    std::string name = stored.substr(0, kEntryNameMax);
    for (char& c : name) {
        if (c == '\\') c = '/';
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return name;
}

bool EntryIsScanned(const std::string& name, const std::vector<std::string>& patterns) {
    for (const auto& p : patterns)
        if (!p.empty() && WildcardMatch(name.c_str(), p.c_str())) return true;
    return false;
}

// The three attempts on one extracted part: its decoded text through the Office extractor, then
// the raw bytes through the Office extractor, then every character of the XML.
bool PartMatches(const char* data, size_t size, const std::vector<EncodedTermGroup>& groups, uint64_t generation,
                 const TermGroups& queryGroups) {
    {
        std::wstring decoded;
        if (DecodeTextBytes(reinterpret_cast<const unsigned char*>(data), size, decoded)) {
            const std::wstring text = OoxmlXmlToTextW(decoded);
            decoded.clear();
            decoded.shrink_to_fit();
            if (MatchTermGroupsInWideText(text, queryGroups, generation)) return true;
        }
    }
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[size + 1]());
    if (!buffer) return false;
    auto matches = [&](size_t length) {
        const char* b = buffer.get();
        return MatchQueryInUtf8Text(b, b + length, groups, generation) ||
               MatchTermGroupsInUtf8AsWide(b, b + length, queryGroups, generation);
    };
    size_t length = 0;
    OoxmlXmlToText(data, size, buffer.get(), &length);
    if (length > 0 && matches(length)) return true;
    XmlToPlainText(data, size, buffer.get(), &length);
    return matches(length);
}

}  // namespace

bool WildcardMatch(const char* name, const char* pattern) {
    if (!name || !pattern) return false;
    if (!*pattern) return !*name;
    while (*name) {
        if (*pattern == '*') {
            if (!pattern[1]) return true;
            for (const char* rest = name; *rest; ++rest)
                if (WildcardMatch(rest, pattern + 1)) return true;
            return false;
        }
        if (*pattern != *name) return false;
        ++name;
        ++pattern;
        if (!*pattern) return !*name;
    }
    return !*pattern;
}

bool SearchZipDocument(const std::wstring& path, const std::vector<EncodedTermGroup>& groups, uint64_t generation,
                       const std::vector<std::string>& patterns, const TermGroups& queryGroups) {
    if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') return false;
    if (!IsContentSearchCurrent(generation) || groups.empty() || patterns.empty()) return false;
    FileHandle file{CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (file.h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.h, &size) || size.QuadPart <= 0) return false;
    const int capMb = g_contentMaxFileSizeMB.load(std::memory_order_relaxed);
    if (capMb > 0 && static_cast<uint64_t>(size.QuadPart) > static_cast<uint64_t>(capMb) * 1048576ull) return false;

    ZipFileSource source(file.h, static_cast<uint64_t>(size.QuadPart));
    ZipReader zip;
    try {
        if (!zip.Open(source)) return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    bool matched = false;
    for (size_t i = 0; i < zip.EntryCount() && !matched; ++i) {
        if (!IsContentSearchCurrent(generation)) break;
        const ZipEntry& entry = zip.Entry(i);
        if (entry.isDirectory || entry.isEncrypted || !entry.isSupported) continue;
        if (!EntryIsScanned(NormalizedEntryName(entry.name), patterns)) continue;
        if (entry.uncompressedSize < 1 || entry.uncompressedSize > kContentMapLimit) continue;
        ContentMemoryLease lease(ContentScanMemoryBudget(), entry.uncompressedSize * kPartMemoryFactor, generation);
        if (!lease.Held()) break;
        try {
            std::unique_ptr<char[]> data;
            if (zip.Extract(i, kContentMapLimit, data) != ZipExtractStatus::Ok) continue;
            matched = PartMatches(data.get(), static_cast<size_t>(entry.uncompressedSize), groups, generation,
                                  queryGroups);
        } catch (const std::bad_alloc&) {
            // Not enough memory for this part: it is no match; the next part may be smaller.
        }
    }
    return matched && IsContentSearchCurrent(generation);
}
