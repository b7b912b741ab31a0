#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cwctype>
#include <new>
#include <string_view>

#include "content/ContentScan.h"
#include "content/ContentSettings.h"
#include "content/ViewGuard.h"

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

bool Occurs(std::string_view data, const std::string& needle) { return ContainsBytes(data, needle); }

// The term forms of the groups, with the UTF-16 forms as bytes, made before a mapped view is
// read so that the guarded matching allocates nothing.
struct PreparedForms {
    struct Group {
        std::vector<std::string_view> utf8, ansi;
        std::vector<std::string> utf16;
    };
    std::vector<Group> groups;
    explicit PreparedForms(const std::vector<EncodedTermGroup>& encoded) {
        groups.resize(encoded.size());
        for (size_t g = 0; g < encoded.size(); ++g) {
            for (const auto& t : encoded[g].utf8Terms) groups[g].utf8.emplace_back(t);
            for (const auto& t : encoded[g].ansiTerms) groups[g].ansi.emplace_back(t);
            for (const auto& t : encoded[g].utf16Terms) groups[g].utf16.push_back(Utf16Bytes(t));
        }
    }
};

bool OccursView(std::string_view data, std::string_view needle) { return ContainsBytes(data, needle); }

struct MappedMatch {
    const PreparedForms* forms;
    std::string_view data;
    uint64_t generation;
};

// The rules of MatchTermGroupsInBytes over prepared forms (no allocation: see CallWithViewGuard).
bool MatchMappedView(void* context) {
    const MappedMatch& m = *static_cast<const MappedMatch*>(context);
    for (const auto& g : m.forms->groups) {
        if (!IsContentSearchCurrent(m.generation)) return false;
        const size_t n = std::max({g.utf8.size(), g.ansi.size(), g.utf16.size()});
        for (size_t i = 0; i < n; ++i) {
            if (!IsContentSearchCurrent(m.generation)) return false;
            const bool found = (i < g.utf8.size() && OccursView(m.data, g.utf8[i])) ||
                               (i < g.ansi.size() && OccursView(m.data, g.ansi[i])) ||
                               (i < g.utf16.size() && m.data.size() >= 2 && OccursView(m.data, g.utf16[i]));
            if (!found) break;
            if (i + 1 == n) return true;
        }
    }
    return false;
}

// Only files on local fixed drives are mapped; a file elsewhere can vanish under a view at any
// moment and is read instead.
// The drive type is asked once per drive and second, not once per file: the question costs as
// much as opening a small file.
bool MayMapFile(const std::wstring& path) {
    if (path.size() < 3 || path[1] != L':' || (path[2] != L'\\' && path[2] != L'/')) return false;
    const wchar_t letter = static_cast<wchar_t>(towupper(path[0]));
    if (letter < L'A' || letter > L'Z') return false;
    struct Known {
        std::atomic<uint64_t> tick{0};
        std::atomic<bool> fixed{false};
    };
    static Known known[26];
    Known& k = known[letter - L'A'];
    const uint64_t now = GetTickCount64();
    const uint64_t asked = k.tick.load(std::memory_order_acquire);
    if (asked != 0 && now - asked < 1000) return k.fixed.load(std::memory_order_relaxed);
    const wchar_t root[4] = {letter, L':', L'\\', 0};
    const bool fixed = GetDriveTypeW(root) == DRIVE_FIXED;
    k.fixed.store(fixed, std::memory_order_relaxed);
    k.tick.store(now, std::memory_order_release);
    return fixed;
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

bool MatchMappedBytes(const char* view, size_t size, const std::vector<EncodedTermGroup>& groups, uint64_t generation) {
    const PreparedForms forms(groups);
    MappedMatch match{&forms, std::string_view(view, size), generation};
    bool hit = false;
    // A fault inside the view (the file was cut short meanwhile) is no match.
    if (!CallWithViewGuard(view, size, MatchMappedView, &match, &hit)) return false;
    return hit;
}

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

    if (bytes <= kContentReadWholeLimit) {
        // Small files are read whole into the thread's buffer: mapping one costs several reads.
        thread_local std::vector<char> buffer;
        try {
            if (buffer.size() < bytes) buffer.resize(static_cast<size_t>(bytes));
        } catch (const std::bad_alloc&) {
            return false;
        }
        size_t filled = 0;
        DWORD got = 0;
        while (filled < bytes &&
               ReadFile(file.h, buffer.data() + filled, static_cast<DWORD>(bytes - filled), &got, nullptr) && got)
            filled += got;
        const bool hit = filled > 0 && MatchTermGroupsInBytes(buffer.data(), buffer.data() + filled, filled, groups,
                                                              generation);
        return hit && IsContentSearchCurrent(generation);
    }
    if (bytes <= kContentMapLimit && MayMapFile(path)) {
        HandleCloser mapping{CreateFileMappingW(file.h, nullptr, PAGE_READONLY, 0, 0, nullptr)};
        if (!mapping.h) return false;
        const char* view = static_cast<const char*>(MapViewOfFile(mapping.h, FILE_MAP_READ, 0, 0, 0));
        if (!view) return false;
        bool hit = MatchMappedBytes(view, static_cast<size_t>(bytes), groups, generation);
        UnmapViewOfFile(view);
        return hit && IsContentSearchCurrent(generation);
    }
    try {
        return StreamedMatch(file.h, groups, generation);
    } catch (const std::bad_alloc&) {
        return false;  // no room for the read buffer: this file is no match
    }
}
