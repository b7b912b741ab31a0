#include <windows.h>

#include <algorithm>
#include <string_view>

#include "content/ContentScan.h"
#include "content/ContentSettings.h"

namespace {

struct HandleCloser {
    HANDLE h;
    ~HandleCloser() {
        if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

std::string Utf16Bytes(const std::wstring& w) {
    std::string bytes(w.size() * 2, '\0');
    for (size_t k = 0; k < w.size(); ++k) {
        bytes[2 * k] = static_cast<char>(static_cast<uint16_t>(w[k]) & 0xFF);
        bytes[2 * k + 1] = static_cast<char>(static_cast<uint16_t>(w[k]) >> 8);
    }
    return bytes;
}

bool Occurs(std::string_view data, const std::string& needle) {
    return !needle.empty() && data.size() >= needle.size() && data.find(needle) != std::string_view::npos;
}

// Streams a large file in chunks, carrying the last (longest form - 1) bytes into the next chunk
// so that a term crossing a chunk border is still found.
bool StreamedMatch(HANDLE file, const std::vector<EncodedTermGroup>& groups, uint64_t generation) {
    size_t maxLen = 0;
    std::vector<std::vector<std::string>> utf16(groups.size());
    for (size_t g = 0; g < groups.size(); ++g) {
        for (const auto& t : groups[g].utf8Terms) maxLen = std::max(maxLen, t.size());
        for (const auto& t : groups[g].ansiTerms) maxLen = std::max(maxLen, t.size());
        for (const auto& t : groups[g].utf16Terms) {
            maxLen = std::max(maxLen, t.size() * 2);
            utf16[g].push_back(Utf16Bytes(t));
        }
    }
    const size_t overlap = std::min<size_t>(maxLen ? maxLen - 1 : 0, kContentMaxOverlap);
    std::vector<char> buffer(overlap + kContentChunkSize, 0);
    std::vector<std::vector<bool>> found(groups.size());
    for (size_t g = 0; g < groups.size(); ++g) {
        const auto& grp = groups[g];
        found[g].assign(std::max({grp.utf8Terms.size(), grp.ansiTerms.size(), grp.utf16Terms.size()}), false);
    }
    size_t carried = 0;
    if (!IsContentSearchCurrent(generation)) return false;
    for (;;) {
        if (!IsContentSearchCurrent(generation)) return false;
        DWORD read = 0;
        if (!ReadFile(file, buffer.data() + carried, static_cast<DWORD>(kContentChunkSize), &read, nullptr) || read == 0)
            break;
        std::string_view data(buffer.data(), carried + read);
        for (size_t g = 0; g < groups.size(); ++g) {
            const auto& grp = groups[g];
            if (found[g].empty()) continue;
            if (!IsContentSearchCurrent(generation)) return false;
            bool all = true;
            for (size_t i = 0; i < found[g].size(); ++i) {
                if (found[g][i]) continue;
                if (!IsContentSearchCurrent(generation)) return false;
                bool hit = (i < grp.utf8Terms.size() && Occurs(data, grp.utf8Terms[i])) ||
                           (i < grp.ansiTerms.size() && Occurs(data, grp.ansiTerms[i])) ||
                           (i < utf16[g].size() && Occurs(data, utf16[g][i]));
                if (hit)
                    found[g][i] = true;
                else
                    all = false;
            }
            if (all) return true;
        }
        size_t keep = overlap > 0 ? std::min(overlap, data.size()) : 0;
        if (keep) memmove(buffer.data(), buffer.data() + data.size() - keep, keep);
        carried = keep;
    }
    return false;
}

}  // namespace

bool SearchPlainFile(const std::wstring& path, const std::vector<EncodedTermGroup>& groups, uint64_t generation) {
    if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') return false;
    if (!IsContentSearchCurrent(generation)) return false;
    HandleCloser file{CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr)};
    if (file.h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.h, &size) || size.QuadPart <= 0) return false;
    if (!IsContentSearchCurrent(generation)) return false;
    const uint64_t bytes = static_cast<uint64_t>(size.QuadPart);
    const int capMb = g_contentMaxFileSizeMB.load(std::memory_order_relaxed);
    if (capMb >= 1 && bytes > static_cast<uint64_t>(capMb) * 1048576ull) return false;
    if (groups.empty()) return false;

    if (bytes <= kContentMapLimit) {
        HandleCloser mapping{CreateFileMappingW(file.h, nullptr, PAGE_READONLY, 0, 0, nullptr)};
        if (!mapping.h) return false;
        const char* view = static_cast<const char*>(MapViewOfFile(mapping.h, FILE_MAP_READ, 0, 0, 0));
        if (!view) return false;
        bool hit = MatchTermGroupsInBytes(view, view + bytes, static_cast<size_t>(bytes), groups, generation);
        UnmapViewOfFile(view);
        return hit && IsContentSearchCurrent(generation);
    }
    return StreamedMatch(file.h, groups, generation);
}
