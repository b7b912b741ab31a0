// Reading and writing the localization's text files (language files, templates, language.ini).
#include <windows.h>

#include <algorithm>

#include "core/Core.h"
#include "i18n/I18nInternal.h"

namespace i18n_detail {

void WriteDiagnostic(const std::wstring& text) {
    AppendPerfMetric(text);
}

namespace {

std::wstring DecodeUtf8(const char* data, size_t size) {
    if (size == 0) return std::wstring();
    // Decoded in slices so that no size passed to the converter exceeds an int.
    std::wstring out;
    size_t pos = 0;
    while (pos < size) {
        size_t n = std::min<size_t>(size - pos, 1u << 24);
        // Do not cut a multi-byte sequence: back up to a lead byte when more data follows.
        if (pos + n < size) {
            size_t back = 0;
            while (back < 3 && n > back &&
                   (static_cast<unsigned char>(data[pos + n - back]) & 0xC0) == 0x80) {
                ++back;
            }
            if (back < n) n -= back;
        }
        int wide = MultiByteToWideChar(CP_UTF8, 0, data + pos, static_cast<int>(n), nullptr, 0);
        if (wide > 0) {
            size_t at = out.size();
            out.resize(at + static_cast<size_t>(wide));
            MultiByteToWideChar(CP_UTF8, 0, data + pos, static_cast<int>(n), &out[at], wide);
        }
        pos += n;
    }
    return out;
}

}  // namespace

bool ReadTextFileLines(const std::wstring& path, size_t maxLineChars,
                       std::vector<std::wstring>& lines, size_t maxBytes) {
    lines.clear();
    if (maxLineChars == 0) maxLineChars = 1;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string bytes;
    char chunk[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, chunk, sizeof(chunk), &got, nullptr) || got == 0) break;
        size_t take = std::min<size_t>(got, maxBytes - bytes.size());
        bytes.append(chunk, take);
        if (bytes.size() >= maxBytes) break;
    }
    CloseHandle(file);

    std::wstring text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        size_t units = (bytes.size() - 2) / 2;
        text.resize(units);
        for (size_t i = 0; i < units; ++i) {
            text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                                           (static_cast<unsigned char>(bytes[3 + 2 * i]) << 8));
        }
    } else {
        size_t skip = (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
                       static_cast<unsigned char>(bytes[1]) == 0xBB &&
                       static_cast<unsigned char>(bytes[2]) == 0xBF)
                          ? 3
                          : 0;
        text = DecodeUtf8(bytes.data() + skip, bytes.size() - skip);
    }

    // Split at line feeds; a CR before the line feed belongs to the line end. A NUL character
    // ends the line's text (as it would for a C string reader).
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        bool lastLine = end == std::wstring::npos;
        if (lastLine) end = text.size();
        size_t stop = end;
        if (stop > start && text[stop - 1] == L'\r') --stop;
        std::wstring line = text.substr(start, stop - start);
        size_t nul = line.find(L'\0');
        if (nul != std::wstring::npos) line.resize(nul);
        if (line.empty()) {
            lines.emplace_back();
        } else {
            for (size_t at = 0; at < line.size(); at += maxLineChars) {
                lines.push_back(line.substr(at, maxLineChars));
            }
        }
        start = lastLine ? text.size() : end + 1;
    }
    return true;
}

bool WriteUtf8TextFile(const std::wstring& path, const std::wstring& text, bool createNew) {
    std::wstring crlf;
    crlf.reserve(text.size() + text.size() / 16);
    for (wchar_t c : text) {
        if (c == L'\n') crlf += L'\r';
        crlf += c;
    }
    std::string bytes = "\xEF\xBB\xBF";
    if (!crlf.empty()) {
        int n = WideCharToMultiByte(CP_UTF8, 0, crlf.data(), static_cast<int>(crlf.size()),
                                    nullptr, 0, nullptr, nullptr);
        if (n <= 0) return false;
        size_t at = bytes.size();
        bytes.resize(at + static_cast<size_t>(n));
        WideCharToMultiByte(CP_UTF8, 0, crlf.data(), static_cast<int>(crlf.size()), &bytes[at],
                            n, nullptr, nullptr);
    }
    const std::wstring target = createNew ? path : path + L".tmp";
    HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr,
                              createNew ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    ok = FlushFileBuffers(file) && ok;
    CloseHandle(file);
    if (!ok) {
        DeleteFileW(target.c_str());
        return false;
    }
    if (createNew) return true;
    if (!MoveFileExW(target.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(target.c_str());
        return false;
    }
    return true;
}

}  // namespace i18n_detail
