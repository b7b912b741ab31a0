#pragma once
// Reading the program's small UTF-8 text files (settings, lists) line by line.
#include <cstddef>
#include <functional>
#include <string>

// What a read saw of the file's shape, beyond its lines.
struct TextLinesShape {
    // The last line ended with a line end (or the file holds no text): a file cut short in the
    // middle of a line has false here.
    bool lastLineEnded = true;
    // Reading stopped at maxFileChars: lines after that point were not seen.
    bool cutAtLimit = false;
    // Bytes that are not UTF-8 were met (a file without a byte-order mark is then read in the
    // system's ANSI code page, as a legacy editor saved it; with the mark they read as U+FFFD).
    // A UTF-16 file of an odd length or with a surrogate that has no partner counts here too.
    bool invalidBytes = false;
    // Characters that no text file holds were met: NUL or another control character (TAB and
    // the line ends aside; a CR counts only before a line feed or at the end of the file), DEL,
    // the C1 controls U+0080 to U+009F, U+FFFE and U+FFFF.
    bool controlChars = false;
    // Every line of the file was seen whole.
    bool Complete() const { return lastLineEnded && !cutAtLimit; }
    // The file is text in one of the accepted encodings: a damaged or binary file is not.
    bool IsText() const { return !invalidBytes && !controlChars; }
};

// Calls onLine with every whole line of a text file: UTF-8 with or without a byte-order mark,
// or UTF-16LE with its mark. Bytes that are not UTF-8 never end the reading (see
// TextLinesShape). The line end (LF, with any CR before it) is removed and NUL characters are
// dropped (the shape tells both). A line longer than maxLineChars is skipped whole, never cut
// into pieces; reading stops after maxFileChars characters. False when the file cannot be opened.
bool ReadTextLines(const std::wstring& path, const std::function<void(const std::wstring&)>& onLine,
                   size_t maxLineChars = size_t(1) << 20, size_t maxFileChars = size_t(16) << 20,
                   TextLinesShape* shape = nullptr);

// Writes text as a UTF-8 file (byte-order mark, CR LF line ends) through "<path>.tmp" and a
// replacing, write-through move, so that a failed save leaves the old file whole. False (the
// temporary file removed) when any step fails; GetLastError tells the move's failure. A failure
// is reported with ReportSettingsNotSaved.
[[nodiscard]] bool WriteTextFileReplacing(const std::wstring& path, const std::wstring& text);

// A settings file could not be written (a folder in its place, a folder without write access, a
// full disk): logged every time, and the first time in a run the main window is asked to tell
// the user (WM_SETTINGS_NOT_SAVED), at once or as soon as it exists.
void ReportSettingsNotSaved(const std::wstring& path, unsigned long error);
// The main window's side: true once per run, with the path of the first file that could not be
// written; false when nothing failed or the user was told already.
bool TakeSettingsNotSavedNotice(std::wstring* path);
