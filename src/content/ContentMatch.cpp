#include "content/ContentMatch.h"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <climits>
#include <cwctype>
#include <string_view>

#include "core/Core.h"

namespace {

std::string WideToCodePage(UINT codePage, const std::wstring& s) {
    if (s.empty()) return {};
    int n = WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

bool Occurs(const char* begin, const char* end, const char* needle, size_t needleLen) {
    return ContainsBytes(std::string_view(begin, static_cast<size_t>(end - begin)), std::string_view(needle, needleLen));
}

// Drops blank bytes and the UTF-8 forms of no-break, ideographic and zero-width spaces.
std::string CompactUtf8(const char* begin, const char* end) {
    std::string out;
    out.reserve(static_cast<size_t>(end - begin));
    const unsigned char* p = reinterpret_cast<const unsigned char*>(begin);
    const unsigned char* e = reinterpret_cast<const unsigned char*>(end);
    while (p < e) {
        unsigned char b = *p;
        if (b == 0x09 || b == 0x0A || b == 0x0D || b == 0x20) {
            ++p;
            continue;
        }
        if (b == 0xC2 && e - p >= 2 && p[1] == 0xA0) {
            p += 2;
            continue;
        }
        if (b == 0xE3 && e - p >= 3 && p[1] == 0x80 && p[2] == 0x80) {
            p += 3;
            continue;
        }
        if (b == 0xE2 && e - p >= 3 && p[1] == 0x80 && p[2] == 0x8B) {
            p += 3;
            continue;
        }
        out.push_back(static_cast<char>(b));
        ++p;
    }
    return out;
}

bool IsInvisible(wchar_t c) {
    return iswspace(c) || c == 0x00A0 || (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
           c == 0x2060 || c == 0x3000 || c == 0xFEFF;
}

}  // namespace

std::string WideToUtf8(const std::wstring& s) { return WideToCodePage(CP_UTF8, s); }

// A term the ANSI code page cannot hold has no ANSI form: its default characters ('?') would
// match any question marks, and a best-fit letter another word.
std::string WideToAnsi(const std::wstring& s) {
    if (s.empty()) return {};
    if (GetACP() == CP_UTF8) return WideToUtf8(s);
    BOOL usedDefault = FALSE;
    const int length = static_cast<int>(s.size());
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, s.data(), length, nullptr, 0, nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return {};
    std::string out(static_cast<size_t>(n), '\0');
    usedDefault = FALSE;
    n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, s.data(), length, out.data(), n, nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return {};
    out.resize(static_cast<size_t>(n));
    return out;
}

std::vector<EncodedTermGroup> EncodeTermGroups(const TermGroups& groups) {
    std::vector<EncodedTermGroup> out;
    out.reserve(groups.size());
    for (const auto& g : groups) {
        EncodedTermGroup e;
        e.utf8Terms.reserve(g.size());
        e.ansiTerms.reserve(g.size());
        e.utf16Terms.reserve(g.size());
        for (const auto& t : g) {
            e.utf8Terms.push_back(WideToUtf8(t));
            e.ansiTerms.push_back(WideToAnsi(t));
            e.utf16Terms.push_back(t);
        }
        out.push_back(std::move(e));
    }
    return out;
}

bool ContainsBytes(std::string_view hay, std::string_view needle) {
    if (needle.empty() || hay.size() < needle.size()) return false;
    // Skipping by the needle's length beats a first-byte scan on long texts; short ones are not
    // worth the table.
    if (needle.size() >= 4 && hay.size() >= 1024) {
        const std::boyer_moore_horspool_searcher searcher(needle.begin(), needle.end());
        return std::search(hay.begin(), hay.end(), searcher) != hay.end();
    }
    return hay.find(needle) != std::string_view::npos;
}
std::atomic<uint64_t> g_searchGeneration{0};

namespace {
// The crash text names the search that was current.
[[maybe_unused]] const bool g_ticketRegistered = (SetCrashTicketSource(&g_searchGeneration), true);
}  // namespace

bool IsContentSearchCurrent(uint64_t generation) {
    return g_searchGeneration.load() == generation && !g_shuttingDown.load();
}

bool MatchTermGroupsInBytes(const char* begin, const char* end, size_t size,
                            const std::vector<EncodedTermGroup>& groups, uint64_t generation) {
    if (groups.empty()) return false;
    if (!begin || end < begin) return false;
    for (const auto& g : groups) {
        if (!IsContentSearchCurrent(generation)) return false;
        size_t n = std::max({g.utf8Terms.size(), g.ansiTerms.size(), g.utf16Terms.size()});
        if (n == 0) continue;
        for (size_t i = 0; i < n; ++i) {
            if (!IsContentSearchCurrent(generation)) return false;
            bool found = false;
            if (i < g.utf8Terms.size() && !g.utf8Terms[i].empty())
                found = Occurs(begin, end, g.utf8Terms[i].data(), g.utf8Terms[i].size());
            // An ANSI form equal to the UTF-8 one (plain ASCII) was searched already.
            if (!found && i < g.ansiTerms.size() && !g.ansiTerms[i].empty() &&
                !(i < g.utf8Terms.size() && g.ansiTerms[i] == g.utf8Terms[i]))
                found = Occurs(begin, end, g.ansiTerms[i].data(), g.ansiTerms[i].size());
            if (!found && i < g.utf16Terms.size() && !g.utf16Terms[i].empty() && size >= 2) {
                const std::wstring& w = g.utf16Terms[i];
                std::string bytes(w.size() * 2, '\0');
                for (size_t k = 0; k < w.size(); ++k) {
                    bytes[2 * k] = static_cast<char>(static_cast<uint16_t>(w[k]) & 0xFF);
                    bytes[2 * k + 1] = static_cast<char>(static_cast<uint16_t>(w[k]) >> 8);
                }
                found = Occurs(begin, end, bytes.data(), bytes.size());
            }
            if (!found) break;
            if (i + 1 == n) return true;
        }
    }
    return false;
}

bool MatchQueryInUtf8Text(const char* begin, const char* end, const std::vector<EncodedTermGroup>& groups,
                          uint64_t generation) {
    if (!begin || end <= begin) return false;
    size_t length = static_cast<size_t>(end - begin);
    if (MatchTermGroupsInBytes(begin, end, length, groups, generation)) return true;
    std::string compact = CompactUtf8(begin, end);
    if (compact.empty()) return false;
    std::vector<EncodedTermGroup> retry;
    retry.reserve(groups.size());
    for (const auto& g : groups) {
        if (!IsContentSearchCurrent(generation)) return false;
        EncodedTermGroup r;
        for (const auto& t : g.utf8Terms) r.utf8Terms.push_back(CompactUtf8(t.data(), t.data() + t.size()));
        retry.push_back(std::move(r));
    }
    // A term made only of removed characters is empty now: it is never found, so its group fails.
    return MatchTermGroupsInBytes(compact.data(), compact.data() + compact.size(), compact.size(), retry, generation);
}

std::wstring StripInvisibleChars(const std::wstring& s) {
    std::wstring out;
    out.reserve(s.size());
    for (wchar_t c : s)
        if (!IsInvisible(c)) out.push_back(c);
    return out;
}

bool MatchTermGroupsInWideText(const std::wstring& text, const TermGroups& groups, uint64_t generation) {
    if (text.empty() || groups.empty()) return false;
    std::wstring stripped;
    bool strippedReady = false;
    for (const auto& g : groups) {
        if (!IsContentSearchCurrent(generation)) return false;
        bool all = true;
        for (const auto& term : g) {
            if (!IsContentSearchCurrent(generation)) return false;
            if (text.find(term) != std::wstring::npos) continue;
            std::wstring st = StripInvisibleChars(term);
            if (!st.empty()) {
                if (!strippedReady) {
                    stripped = StripInvisibleChars(text);
                    strippedReady = true;
                }
                if (stripped.find(st) != std::wstring::npos) continue;
            }
            all = false;
            break;
        }
        if (all) return true;
    }
    return false;
}

bool MatchTermGroupsInUtf8AsWide(const char* begin, const char* end, const TermGroups& groups,
                                 uint64_t generation) {
    if (!begin || end <= begin || groups.empty()) return false;
    if (end - begin > INT_MAX) return false;
    int len = static_cast<int>(end - begin);
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, begin, len, nullptr, 0);
    if (n <= 0) n = MultiByteToWideChar(CP_UTF8, 0, begin, len, nullptr, 0);
    if (n < 1) return false;
    std::wstring text(static_cast<size_t>(n), L'\0');
    n = MultiByteToWideChar(CP_UTF8, 0, begin, len, text.data(), n);
    if (n < 1) return false;
    text.resize(static_cast<size_t>(n));
    return MatchTermGroupsInWideText(text, groups, generation);
}
