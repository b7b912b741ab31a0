#include "search/QueryParser.h"

#include "content/Content.h"

#include <cwctype>
#include <string_view>

namespace {

bool IsTrimChar(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

// Trims space, TAB, CR and LF at both ends (the configuration trimming rule).
std::wstring Trimmed(const std::wstring& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsTrimChar(s[b])) ++b;
    while (e > b && IsTrimChar(s[e - 1])) --e;
    return s.substr(b, e - b);
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Case-insensitive (ASCII) comparison of text[i, i + n) with a connector form.
bool MatchesAt(const std::wstring& text, size_t i, const wchar_t* form, size_t n) {
    if (i + n > text.size()) return false;
    for (size_t k = 0; k < n; ++k)
        if (AsciiToLower(text[i + k]) != AsciiToLower(form[k])) return false;
    return true;
}

constexpr const wchar_t* kAndForms[] = {L" and ", L"\tand\t", L" and\t", L"\tand "};
constexpr const wchar_t* kOrForms[] = {L" or ", L"\tor\t", L" or\t", L"\tor "};

bool IsAndAt(const std::wstring& text, size_t i) {
    for (const wchar_t* f : kAndForms)
        if (MatchesAt(text, i, f, 5)) return true;
    return false;
}

bool IsOrAt(const std::wstring& text, size_t i) {
    for (const wchar_t* f : kOrForms)
        if (MatchesAt(text, i, f, 4)) return true;
    return false;
}

bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool IsCjk(wchar_t c) { return c >= 0x4E00 && c <= 0x9FFF; }

// Strips one pair of enclosing double or single quotes.
bool StripQuotes(std::wstring& s) {
    if (s.size() >= 2 && ((s.front() == L'"' && s.back() == L'"') || (s.front() == L'\'' && s.back() == L'\''))) {
        s = s.substr(1, s.size() - 2);
        return true;
    }
    return false;
}

void SlashesToBackslashes(std::wstring& s) {
    for (auto& c : s)
        if (c == L'/') c = L'\\';
}

}  // namespace

TermGroups ParseTermGroups(const std::wstring& text) {
    TermGroups result;
    std::vector<std::wstring> group;
    std::wstring term;
    bool escaped = false, quoted = false;

    auto addTerm = [&] {
        std::wstring t = Trimmed(term);
        if (!t.empty()) group.push_back(std::move(t));
        term.clear();
    };
    auto closeGroup = [&] {
        addTerm();
        if (!group.empty()) {
            result.push_back(group);
            group.clear();
        }
    };

    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        wchar_t c = text[i];
        if (escaped) {
            term.push_back(c);
            escaped = false;
        } else if (c == L'\\') {
            escaped = true;
        } else if (c == L'"') {
            quoted = !quoted;
        } else if (quoted || !IsBlank(c)) {
            term.push_back(c);
        } else {
            if (i + 5 <= n && IsAndAt(text, i)) {
                addTerm();
                i += 5;
                continue;
            }
            if (i + 4 <= n && IsOrAt(text, i)) {
                closeGroup();
                i += 4;
                continue;
            }
            term.push_back(c);
        }
        ++i;
    }
    closeGroup();
    return result;
}

TermGroups PrepareNameTermGroups(TermGroups groups) {
    TermGroups out;
    out.reserve(groups.size());
    for (auto& g : groups) {
        std::vector<std::wstring> terms;
        for (auto& t : g) {
            std::wstring lower = Trimmed(ToLowerMove(std::move(t)));
            if (!lower.empty()) terms.push_back(std::move(lower));
        }
        if (!terms.empty()) out.push_back(std::move(terms));
    }
    return out;
}

int64_t FindFirstBooleanConnector(const std::wstring& text) {
    if (text.empty()) return -1;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == L'"') {
            quoted = !quoted;
            continue;
        }
        if (quoted || !IsBlank(c)) continue;
        if (IsAndAt(text, i) || IsOrAt(text, i)) return static_cast<int64_t>(i);
    }
    return -1;
}

bool IsAbsoluteFolderToken(const std::wstring& token) {
    std::wstring t = Trimmed(token);
    if (StripQuotes(t)) t = Trimmed(t);
    SlashesToBackslashes(t);
    return t.size() >= 3 && IsAsciiLetter(t[0]) && t[1] == L':' && t[2] == L'\\';
}

std::wstring NormalizeScopeFolder(std::wstring token) {
    std::wstring t = Trimmed(token);
    StripQuotes(t);
    SlashesToBackslashes(t);
    while (t.size() > 3 && (t.back() == L'\\' || t.back() == L'/')) t.pop_back();
    if (t.size() == 3 && t[1] == L':' && (t[2] == L'\\' || t[2] == L'/')) t.resize(2);
    return t;
}

bool SplitFolderScope(const std::wstring& query, std::wstring& folder, std::wstring& rest) {
    rest.clear();
    if (query.empty()) return false;
    if (query.size() >= 2 && query[0] == L's' && query[1] == L':') return false;
    std::wstring t = Trimmed(query);
    if (t.empty()) return false;
    int64_t k = FindFirstBooleanConnector(t);
    std::wstring head = k < 0 ? t : t.substr(0, static_cast<size_t>(k));
    std::wstring tail = k < 0 ? std::wstring() : t.substr(static_cast<size_t>(k));
    if (!IsAbsoluteFolderToken(head)) return false;
    std::wstring f = NormalizeScopeFolder(head);
    if (f.size() >= 2 && IsAsciiLetter(f[0]) && f[1] == L':') {
        folder = std::move(f);
        rest = std::move(tail);
        return true;
    }
    return false;
}

ContentQuery ParseContentQuery(const std::wstring& text) {
    ContentQuery q;
    if (text.size() < 2 || text[0] != L's' || text[1] != L':') return q;
    std::wstring rest = Trimmed(text.substr(2));
    if (rest.empty()) return q;
    q.isContent = true;
    size_t bar = rest.find(L'|');
    if (bar != std::wstring::npos) {
        q.termGroups = ParseTermGroups(rest.substr(0, bar));
        std::wstring list = rest.substr(bar + 1);
        size_t start = 0;
        while (start <= list.size()) {
            size_t comma = list.find(L',', start);
            std::wstring piece = list.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
            // Folded as the files' extensions and the extension settings are (every letter, not
            // only A to Z), so that a capital beyond ASCII still names the same files.
            piece = Trimmed(LowerCaseText(std::move(piece)));
            if (!piece.empty()) {
                if (piece[0] != L'.') piece.insert(piece.begin(), L'.');
                q.exts.push_back(std::move(piece));
            }
            if (comma == std::wstring::npos) break;
            start = comma + 1;
        }
    } else {
        q.termGroups = ParseTermGroups(rest);
        if (!q.termGroups.empty()) q.exts = GetActiveContentSearchExts();
    }
    if (q.termGroups.empty()) q.isContent = false;
    return q;
}

bool HasContentSearchPrefix(const std::wstring& text) {
    std::wstring t = Trimmed(text);
    return t.size() >= 2 && AsciiToLower(t[0]) == L's' && t[1] == L':';
}

bool NameMatchesTermGroups(const TermGroups& groups, const wchar_t* lowerName, size_t length) {
    if (!lowerName) return false;
    if (groups.empty()) return true;
    std::wstring_view name(lowerName, length);
    for (const auto& g : groups) {
        bool all = true;
        for (const auto& t : g) {
            if (t.empty()) continue;
            if (t.size() > length || name.find(t) == std::wstring_view::npos) {
                all = false;
                break;
            }
        }
        if (all) return true;
    }
    return false;
}

bool IsAsciiLowerAlnumToken(const std::wstring& s) {
    if (s.size() < 2 || s.size() > 32) return false;
    for (wchar_t c : s)
        if (!((c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9'))) return false;
    return true;
}

bool IsSingleCjkChar(const std::wstring& s) {
    std::wstring t = Trimmed(s);
    return t.size() == 1 && IsCjk(t[0]);
}

char PinyinInitialOfGbCode(unsigned code) {
    // First-level GB2312 characters are ordered by pinyin; each letter owns one code range.
    struct Range {
        unsigned from, to;
        char letter;
    };
    static constexpr Range kRanges[] = {
        {0xB0A1, 0xB0C4, 'a'}, {0xB0C5, 0xB2C0, 'b'}, {0xB2C1, 0xB4ED, 'c'}, {0xB4EE, 0xB6E9, 'd'},
        {0xB6EA, 0xB7A1, 'e'}, {0xB7A2, 0xB8C0, 'f'}, {0xB8C1, 0xB9FD, 'g'}, {0xB9FE, 0xBBF6, 'h'},
        {0xBBF7, 0xBFA5, 'j'}, {0xBFA6, 0xC0AB, 'k'}, {0xC0AC, 0xC2E7, 'l'}, {0xC2E8, 0xC4C2, 'm'},
        {0xC4C3, 0xC5B5, 'n'}, {0xC5B6, 0xC5BD, 'o'}, {0xC5BE, 0xC6D9, 'p'}, {0xC6DA, 0xC8BA, 'q'},
        {0xC8BB, 0xC8F5, 'r'}, {0xC8F6, 0xCBF9, 's'}, {0xCBFA, 0xCDD9, 't'}, {0xCDDA, 0xCEF3, 'w'},
        {0xCEF4, 0xD1B8, 'x'}, {0xD1B9, 0xD4D0, 'y'}, {0xD4D1, 0xD7F9, 'z'},
    };
    for (const auto& r : kRanges)
        if (code >= r.from && code <= r.to) return r.letter;
    return 0;
}

namespace {

// GBK (or ANSI) double-byte code of one character, or 0 when it has none.
unsigned DoubleByteCode(wchar_t c) {
    char bytes[2] = {};
    int n = WideCharToMultiByte(936, 0, &c, 1, bytes, 2, nullptr, nullptr);
    if (n < 2) n = WideCharToMultiByte(CP_ACP, 0, &c, 1, bytes, 2, nullptr, nullptr);
    if (n < 2) return 0;
    return (static_cast<unsigned>(static_cast<unsigned char>(bytes[0])) << 8) | static_cast<unsigned char>(bytes[1]);
}

// Initial letter of every character U+4E00..U+9FFF (0 for none), computed once per process:
// the code-page conversion of one character is far slower than a table read.
const char* CjkInitialTable() {
    static const std::vector<char> table = [] {
        std::vector<char> t(0x9FFF - 0x4E00 + 1, 0);
        for (unsigned c = 0x4E00; c <= 0x9FFF; ++c) {
            unsigned code = DoubleByteCode(static_cast<wchar_t>(c));
            t[c - 0x4E00] = code ? PinyinInitialOfGbCode(code) : 0;
        }
        return t;
    }();
    return table.data();
}

}  // namespace

size_t PinyinInitials(const wchar_t* name, size_t length, wchar_t* out) {
    if (!name || length == 0) return 0;
    size_t len = length;
    bool cjkSeen = false;
    for (size_t i = 0; i < length; ++i) {
        if (name[i] == L'.') {
            len = i;
            break;
        }
        cjkSeen = cjkSeen || IsCjk(name[i]);
    }
    // Names without a CJK character (before the first '.') have no initials form.
    if (len == 0 || !cjkSeen) return 0;
    const char* table = CjkInitialTable();
    size_t n = 0;
    for (size_t i = 0; i < len && n < kPinyinInitialsMax; ++i) {
        wchar_t c = name[i];
        if (c >= L'A' && c <= L'Z') {
            out[n++] = wchar_t(c + 32);
        } else if ((c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9')) {
            out[n++] = c;
        } else if (IsCjk(c)) {
            if (char letter = table[c - 0x4E00]) out[n++] = wchar_t(letter);
        }
    }
    return n;
}

bool MatchPinyinInitials(const wchar_t* name, uint16_t length, const std::wstring& term) {
    if (term.empty()) return false;
    wchar_t initials[kPinyinInitialsMax];
    const size_t n = PinyinInitials(name, length, initials);
    if (n == 0) return false;
    return std::wstring_view(initials, n).find(term) != std::wstring_view::npos;
}

std::wstring ToLowerMove(std::wstring&& s) {
    for (auto& c : s) c = AsciiToLower(c);
    return std::move(s);
}

std::wstring NormalizePathKey(std::wstring&& path) {
    for (auto& c : path) c = (c == L'/') ? L'\\' : AsciiToLower(c);
    return std::move(path);
}

uint32_t Fnv1aHash32(const std::wstring& s) {
    uint32_t h = 0x811C9DC5u;
    for (wchar_t c : s) {
        h ^= static_cast<uint16_t>(c);
        h *= 0x01000193u;
    }
    return h;
}

bool ParseYyyymmdd(int value, SYSTEMTIME& out) {
    if (value < 1 || value < 19700000) return false;
    int month = (value / 100) % 100, day = value % 100;
    if (month < 1 || month > 12 || day < 1 || day > 31) return false;
    if (value / 10000 > 30827) return false;  // beyond the last year a SYSTEMTIME can hold
    out = SYSTEMTIME{};
    out.wYear = static_cast<WORD>(value / 10000);
    out.wMonth = static_cast<WORD>(month);
    out.wDay = static_cast<WORD>(day);
    return true;
}

int CompareYmd(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    long ka = a.wYear * 10000L + a.wMonth * 100L + a.wDay;
    long kb = b.wYear * 10000L + b.wMonth * 100L + b.wDay;
    return ka < kb ? -1 : (ka > kb ? 1 : 0);
}
