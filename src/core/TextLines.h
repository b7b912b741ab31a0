#pragma once
// Reading the program's small UTF-8 text files (settings, lists) line by line.
#include <cstddef>
#include <functional>
#include <string>

// Calls onLine with every whole line of a UTF-8 text file (a byte-order mark is skipped, the
// line end is removed, NUL characters are dropped). A line longer than maxLineChars is skipped
// whole, never cut into pieces; reading stops after maxFileChars characters. False when the
// file cannot be opened.
bool ReadTextLines(const std::wstring& path, const std::function<void(const std::wstring&)>& onLine,
                   size_t maxLineChars = size_t(1) << 20, size_t maxFileChars = size_t(16) << 20);

// Writes text as a UTF-8 file (byte-order mark, CR LF line ends) through "<path>.tmp" and a
// replacing, write-through move, so that a failed save leaves the old file whole. False (the
// temporary file removed) when any step fails; GetLastError tells the move's failure.
[[nodiscard]] bool WriteTextFileReplacing(const std::wstring& path, const std::wstring& text);
