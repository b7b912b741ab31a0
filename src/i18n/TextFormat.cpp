// Placeholders of table texts and formatting them with the Microsoft wide printf convention.
#include <stdio.h>
#include <wchar.h>

#include <algorithm>

#include "i18n/I18n.h"

namespace {

bool IsConversionChar(wchar_t c) {
    return wcschr(L"diouxXeEfFgGaAcCsSpnZ", c) != nullptr && c != 0;
}

// One printf conversion starting at text[pos] == '%'. Sets end to the index after it and fills
// the parts; returns false for "%%" (a literal percent sign).
struct Conversion {
    std::wstring flags;      // flags, width and precision as written
    std::wstring length;     // length modifier as written ("ll", "z", "I64", ...)
    wchar_t type = 0;        // conversion character, 0 when the text ends first
    int starCount = 0;       // '*' widths/precisions (each takes an int argument)
};

bool ParseConversion(const std::wstring& text, size_t pos, size_t& end, Conversion& conv) {
    size_t i = pos + 1;
    if (i < text.size() && text[i] == L'%') {
        end = i + 1;
        return false;
    }
    while (i < text.size() && wcschr(L"-+ #0", text[i]) && text[i] != 0) conv.flags += text[i++];
    while (i < text.size() && ((text[i] >= L'0' && text[i] <= L'9') || text[i] == L'*')) {
        if (text[i] == L'*') ++conv.starCount;
        conv.flags += text[i++];
    }
    if (i < text.size() && text[i] == L'.') {
        conv.flags += text[i++];
        while (i < text.size() && ((text[i] >= L'0' && text[i] <= L'9') || text[i] == L'*')) {
            if (text[i] == L'*') ++conv.starCount;
            conv.flags += text[i++];
        }
    }
    static const wchar_t* const kLengths[] = {L"I64", L"I32", L"hh", L"ll", L"h", L"l",
                                              L"L",   L"z",   L"j",  L"t",  L"I", L"w"};
    for (const wchar_t* len : kLengths) {
        size_t n = wcslen(len);
        if (text.compare(i, n, len) == 0) {
            conv.length = len;
            i += n;
            break;
        }
    }
    if (i < text.size() && IsConversionChar(text[i])) conv.type = text[i++];
    end = i;
    return true;
}

void Collect(const std::wstring& text, bool withLayout, std::vector<std::wstring>& out) {
    for (size_t i = 0; i < text.size();) {
        wchar_t c = text[i];
        if (c == L'%') {
            size_t end = i + 1;
            Conversion conv;
            if (ParseConversion(text, i, end, conv)) {
                std::wstring token = L"%";
                token.append(static_cast<size_t>(conv.starCount), L'*');
                token += conv.length;
                if (conv.type) token += conv.type;
                else token += L"?";  // an unfinished conversion never matches a real one
                out.push_back(token);
            }
            i = end;
            continue;
        }
        if (c == L'{' && text.compare(i, 3, L"{0}") == 0) {
            out.push_back(L"{0}");
            i += 3;
            continue;
        }
        if (withLayout && (c == L'\n' || c == L'\t')) out.push_back(std::wstring(1, c));
        ++i;
    }
}

// The format rewritten for every Microsoft runtime (old msvcrt.dll included): size_t and
// 64-bit length modifiers become "I"/"I64"; "%n" (which would write memory) becomes "%p".
std::wstring ToRuntimeFormat(const wchar_t* format) {
    std::wstring text(format);
    std::wstring out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size();) {
        if (text[i] != L'%') {
            out += text[i++];
            continue;
        }
        size_t end = i + 1;
        Conversion conv;
        if (!ParseConversion(text, i, end, conv) || conv.type == 0) {
            out.append(text, i, end - i);
            i = end;
            continue;
        }
        std::wstring length = conv.length;
        if (length == L"z" || length == L"t") length = L"I";
        else if (length == L"ll" || length == L"j") length = L"I64";
        wchar_t type = conv.type == L'n' ? L'p' : conv.type;
        if (conv.type == L'n') length.clear();
        out += L'%';
        out += conv.flags;
        out += length;
        out += type;
        i = end;
    }
    return out;
}

}  // namespace

std::vector<std::wstring> ExtractTextPlaceholders(const std::wstring& text) {
    std::vector<std::wstring> out;
    Collect(text, true, out);
    return out;
}

std::vector<std::wstring> ExtractFormatPlaceholders(const std::wstring& text) {
    std::vector<std::wstring> out;
    Collect(text, false, out);
    return out;
}

std::wstring FormatTableTextV(const wchar_t* format, va_list args) {
    if (!format) return std::wstring();
    const std::wstring runtimeFormat = ToRuntimeFormat(format);
    constexpr size_t kMaxChars = size_t(1) << 20;
    std::wstring buffer(256, L'\0');
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        // _vsnwprintf is the runtime's own formatter (Microsoft semantics: "%s" is wide) even
        // where the C99 printf family is replaced by MinGW's.
        int n = _vsnwprintf(&buffer[0], buffer.size(), runtimeFormat.c_str(), copy);
        va_end(copy);
        if (n >= 0 && static_cast<size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<size_t>(n));
            return buffer;
        }
        if (buffer.size() >= kMaxChars) {
            buffer.resize(kMaxChars - 1);
            size_t len = wcsnlen(buffer.c_str(), buffer.size());
            buffer.resize(len);
            return buffer;
        }
        size_t want = n > 0 ? static_cast<size_t>(n) + 1 : buffer.size() * 2;
        buffer.assign(std::min(std::max(want, buffer.size() * 2), kMaxChars), L'\0');
    }
}

std::wstring FormatTableText(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring out = FormatTableTextV(format, args);
    va_end(args);
    return out;
}
