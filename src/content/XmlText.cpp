#include "content/XmlText.h"

#include <windows.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <cwctype>

namespace {

constexpr int kEntityNameMax = 15;

bool IsBlankByte(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }
bool IsBlankWide(wchar_t c) { return iswspace(c) != 0; }

int HexDigit(int c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The code point of a numeric reference ("#65", "#x41"), or 0 when it is none. Values that do not
// fit in 32 bits, 0, surrogates and values past U+10FFFF are no reference.
template <typename Ch>
uint32_t ParseNumericReference(const Ch* name, size_t length) {
    if (length < 2 || name[0] != Ch('#')) return 0;
    const bool hex = name[1] == Ch('x') || name[1] == Ch('X');
    const size_t first = hex ? 2 : 1;
    if (first >= length) return 0;
    const uint32_t base = hex ? 16 : 10;
    uint64_t value = 0;
    for (size_t i = first; i < length; ++i) {
        const int c = static_cast<int>(name[i]);
        int digit = hex ? HexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (digit < 0) return 0;
        value = value * base + static_cast<uint32_t>(digit);
        if (value > 0x10FFFF) return 0;  // also stops any wrap past 32 bits
    }
    if (value == 0 || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    return static_cast<uint32_t>(value);
}

int EncodeUtf8(uint32_t cp, char out[4]) {
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (cp >> 18));
    out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

template <typename Ch>
Ch AsciiLower(Ch c) {
    return (c >= Ch('A') && c <= Ch('Z')) ? Ch(c + 32) : c;
}

// The local name (after the last ':') equals one of `names`, ignoring ASCII case.
template <typename Ch>
bool LocalNameIsOneOf(const Ch* name, size_t length, std::initializer_list<const char*> names) {
    size_t start = 0;
    for (size_t i = 0; i < length; ++i)
        if (name[i] == Ch(':')) start = i + 1;
    const size_t n = length - start;
    for (const char* candidate : names) {
        if (strlen(candidate) != n) continue;
        bool same = true;
        for (size_t i = 0; i < n && same; ++i) same = AsciiLower(name[start + i]) == Ch(candidate[i]);
        if (same) return true;
    }
    return false;
}

const std::initializer_list<const char*> kTextNames = {"t", "v"};
const std::initializer_list<const char*> kBreakNames = {"p", "br", "cr", "tab", "tc", "tr", "row", "c"};

// Writer of the byte extractors: runs of blanks become one space.
struct ByteOut {
    char* out;
    size_t n = 0;
    bool spaceAtStart;  // XmlToPlainText writes a leading space (trimmed later), the Office one not
    void Put(char c) { out[n++] = c; }
    void Blank() {
        if (n == 0 ? spaceAtStart : out[n - 1] != ' ') Put(' ');
    }
    void Text(char c) {
        if (IsBlankByte(c))
            Blank();
        else
            Put(c);
    }
    void Finish(size_t* outLength) {
        size_t begin = 0, end = n;
        while (begin < end && out[begin] == ' ') ++begin;
        while (end > begin && out[end - 1] == ' ') --end;
        if (begin) memmove(out, out + begin, end - begin);
        n = end - begin;
        out[n] = '\0';
        if (outLength) *outLength = n;
    }
};

// An entity being read by a byte extractor. It ends at ';' (decoded), or is abandoned at '<', a
// blank, or when its name grows past the longest name it can be: then the '&' and the bytes read
// are ordinary text, and the byte that ended it is processed as usual.
struct ByteEntity {
    bool active = false;
    char name[kEntityNameMax];
    int length = 0;
    void Start() {
        active = true;
        length = 0;
    }
    // True when the byte was taken by the entity.
    bool Take(char c, ByteOut& w) {
        if (c == ';') {
            active = false;
            if (char named = DecodeXmlNamedEntity(name, length)) {
                w.Text(named);
            } else {
                char bytes[4];
                const int k = DecodeXmlNumericEntity(name, length, bytes);
                for (int i = 0; i < k; ++i) w.Put(bytes[i]);
            }
            return true;
        }
        if (c == '<' || IsBlankByte(c) || length == kEntityNameMax) {
            Abandon(w);
            return false;
        }
        name[length++] = c;
        return true;
    }
    void Abandon(ByteOut& w) {
        if (!active) return;
        active = false;
        w.Put('&');
        for (int i = 0; i < length; ++i) w.Text(name[i]);
    }
};

// Finds the '>' that ends the tag starting after position `from`, skipping quoted attribute
// values. Returns `length` when there is none.
template <typename Ch>
size_t FindTagEnd(const Ch* in, size_t length, size_t from) {
    Ch quote = 0;
    for (size_t j = from; j < length; ++j) {
        const Ch c = in[j];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == Ch('"') || c == Ch('\'')) {
            quote = c;
        } else if (c == Ch('>')) {
            return j;
        }
    }
    return length;
}

enum class TagKind { Other, TextOpen, TextClose, Break };

// Classifies the tag in in[begin, end) (between '<' and '>').
template <typename Ch, typename IsBlank>
TagKind ClassifyTag(const Ch* in, size_t begin, size_t end, IsBlank isBlank) {
    size_t p = begin;
    while (p < end && isBlank(in[p])) ++p;
    bool closing = false;
    if (p < end && in[p] == Ch('/')) {
        closing = true;
        ++p;
    }
    if (p < end && (in[p] == Ch('!') || in[p] == Ch('?'))) return TagKind::Other;
    const size_t nameBegin = p;
    while (p < end && !isBlank(in[p]) && in[p] != Ch('/') && in[p] != Ch('>')) ++p;
    const size_t nameLength = p - nameBegin;
    if (nameLength == 0) return TagKind::Other;
    size_t q = end;
    while (q > begin && (isBlank(in[q - 1]) || in[q - 1] == Ch('>'))) --q;
    const bool selfClosing = q > begin && in[q - 1] == Ch('/');
    if (LocalNameIsOneOf(in + nameBegin, nameLength, kTextNames))
        return (!closing && !selfClosing) ? TagKind::TextOpen : TagKind::TextClose;
    if (LocalNameIsOneOf(in + nameBegin, nameLength, kBreakNames)) return TagKind::Break;
    return TagKind::Other;
}

}  // namespace

char DecodeXmlNamedEntity(const char* name, int length) {
    if (!name || length <= 0) return 0;
    const std::string s(name, static_cast<size_t>(length));
    if (s == "amp") return '&';
    if (s == "lt") return '<';
    if (s == "gt") return '>';
    if (s == "quot") return '"';
    if (s == "apos") return '\'';
    return 0;
}

int DecodeXmlNumericEntity(const char* name, int length, char out[4]) {
    if (!name || length < 2) return 0;
    const uint32_t cp = ParseNumericReference(name, static_cast<size_t>(length));
    return cp ? EncodeUtf8(cp, out) : 0;
}

wchar_t DecodeXmlNamedEntityW(const std::wstring& name) {
    if (name == L"amp") return L'&';
    if (name == L"lt") return L'<';
    if (name == L"gt") return L'>';
    if (name == L"quot") return L'"';
    if (name == L"apos") return L'\'';
    const uint32_t cp = ParseNumericReference(name.data(), name.size());
    return (cp >= 1 && cp <= 0xFFFF) ? static_cast<wchar_t>(cp) : 0;
}

bool IsOoxmlTextElement(const char* name, size_t length) { return LocalNameIsOneOf(name, length, kTextNames); }
bool IsOoxmlBreakElement(const char* name, size_t length) { return LocalNameIsOneOf(name, length, kBreakNames); }
bool IsOoxmlTextElementW(const std::wstring& name) { return LocalNameIsOneOf(name.data(), name.size(), kTextNames); }
bool IsOoxmlBreakElementW(const std::wstring& name) {
    return LocalNameIsOneOf(name.data(), name.size(), kBreakNames);
}

void XmlToPlainText(const char* in, size_t length, char* out, size_t* outLength) {
    ByteOut w{out, 0, true};
    ByteEntity entity;
    bool inCdata = false, inTag = false;
    // Inside a tag: the quote of the attribute value being read (0: none) and the last byte
    // that was not a blank. A quote opens a value only after '=', so that the apostrophe of a
    // comment's text opens none.
    char quote = 0, lastInTag = 0;
    for (size_t i = 0; in && i < length; ++i) {
        const char c = in[i];
        if (inCdata) {
            if (c == ']' && i + 2 < length && in[i + 1] == ']' && in[i + 2] == '>') {
                inCdata = false;
                i += 2;
            } else {
                w.Text(c);
            }
            continue;
        }
        if (entity.active && entity.Take(c, w)) continue;
        if (inTag && quote && c != '<') {
            // An attribute value is never text, a '>' in it included. ('<' cannot stand in a
            // value: it starts the next tag of a damaged one.)
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '<') {
            quote = lastInTag = 0;
            if (i + 8 < length && memcmp(in + i, "<![CDATA[", 9) == 0) {
                inCdata = true;
                i += 8;
            } else {
                inTag = true;
            }
        } else if (c == '>') {
            inTag = false;
        } else if (inTag) {
            if ((c == '"' || c == '\'') && lastInTag == '=') quote = c;
            if (!IsBlankByte(c)) lastInTag = c;
            continue;
        } else if (c == '&') {
            entity.Start();
        } else {
            w.Text(c);
        }
    }
    entity.Abandon(w);
    w.Finish(outLength);
}

void OoxmlXmlToText(const char* in, size_t length, char* out, size_t* outLength) {
    ByteOut w{out, 0, false};
    ByteEntity entity;
    bool inText = false;
    for (size_t i = 0; in && i < length; ++i) {
        const char c = in[i];
        if (entity.active && entity.Take(c, w)) continue;
        if (c != '<') {
            if (!inText) continue;
            if (c == '&')
                entity.Start();
            else
                w.Text(c);
            continue;
        }
        const size_t close = FindTagEnd(in, length, i + 1);
        if (close >= length) break;  // an unterminated tag ends the extraction
        switch (ClassifyTag(in, i + 1, close, IsBlankByte)) {
        case TagKind::TextOpen: inText = true; break;
        case TagKind::TextClose: inText = false; break;
        case TagKind::Break: w.Blank(); break;
        case TagKind::Other: break;
        }
        i = close;
    }
    entity.Abandon(w);
    w.Finish(outLength);
}

std::wstring OoxmlXmlToTextW(const std::wstring& in) {
    std::wstring out;
    out.reserve(in.size() / 4);
    auto blank = [&] {
        if (!out.empty() && out.back() != L' ') out.push_back(L' ');
    };
    const wchar_t* s = in.data();
    const size_t length = in.size();
    bool inText = false;
    for (size_t i = 0; i < length; ++i) {
        const wchar_t c = s[i];
        if (c != L'<') {
            if (!inText) continue;
            if (c == L'&') {
                size_t semi = i + 1;
                while (semi < length && semi <= i + 16 && s[semi] != L';') ++semi;
                if (semi < length && semi <= i + 16 && s[semi] == L';') {
                    if (wchar_t decoded = DecodeXmlNamedEntityW(std::wstring(s + i + 1, semi - i - 1))) {
                        if (IsBlankWide(decoded))
                            blank();
                        else
                            out.push_back(decoded);
                        i = semi;
                        continue;
                    }
                }
                out.push_back(L'&');
            } else if (IsBlankWide(c)) {
                blank();
            } else {
                out.push_back(c);
            }
            continue;
        }
        const size_t close = FindTagEnd(s, length, i + 1);
        if (close >= length) break;
        switch (ClassifyTag(s, i + 1, close, IsBlankWide)) {
        case TagKind::TextOpen: inText = true; break;
        case TagKind::TextClose: inText = false; break;
        case TagKind::Break: blank(); break;
        case TagKind::Other: break;
        }
        i = close;
    }
    size_t begin = 0, end = out.size();
    while (begin < end && out[begin] == L' ') ++begin;
    while (end > begin && out[end - 1] == L' ') --end;
    return out.substr(begin, end - begin);
}

bool DecodeTextBytes(const unsigned char* bytes, size_t length, std::wstring& out) {
    out.clear();
    if (!bytes || length == 0) return false;
    if (length >= 2 && ((bytes[0] == 0xFE && bytes[1] == 0xFF) || (bytes[0] == 0xFF && bytes[1] == 0xFE))) {
        const bool bigEndian = bytes[0] == 0xFE;
        const size_t units = (length - 2) / 2;
        out.resize(units);
        for (size_t k = 0; k < units; ++k) {
            const unsigned char a = bytes[2 + 2 * k], b = bytes[3 + 2 * k];
            out[k] = static_cast<wchar_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
        }
        return true;
    }
    if (length >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        bytes += 3;
        length -= 3;
    }
    if (length == 0 || length > INT_MAX) return false;
    const char* p = reinterpret_cast<const char*>(bytes);
    const int n = static_cast<int>(length);
    UINT codePage = CP_UTF8;
    DWORD flags = MB_ERR_INVALID_CHARS;
    int units = MultiByteToWideChar(codePage, flags, p, n, nullptr, 0);
    if (units <= 0) {
        codePage = CP_ACP;
        flags = 0;
        units = MultiByteToWideChar(codePage, flags, p, n, nullptr, 0);
    }
    if (units <= 0) return false;
    out.resize(static_cast<size_t>(units));
    units = MultiByteToWideChar(codePage, flags, p, n, out.data(), units);
    if (units <= 0) {
        out.clear();
        return false;
    }
    out.resize(static_cast<size_t>(units));
    return true;
}
