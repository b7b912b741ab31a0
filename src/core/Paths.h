#pragma once
// Configuration folder, well-known folders, path operations and text helpers.
// None of these keeps state; all may be called from any thread.
#include <windows.h>

#include <string>

// The per-user configuration folder without a trailing backslash: Documents\Tarnwick\config,
// else LocalAppData\Tarnwick\config, else %TEMP%Tarnwick\config, else "C:\Tarnwick\config".
// Both folder levels are created on every call (the fixed fallback creates nothing).
std::wstring GetConfigDir();
// GetConfigDir() + "\lang", created on every call.
std::wstring GetLangDir();
// The user's Desktop folder; empty when it cannot be had.
std::wstring GetDesktopDir();

// Replaces the folder GetConfigDir returns (created like the real one); an empty text restores
// the normal search. Meant for tests and tools that must not write into the user's folder.
void SetConfigDirOverride(const std::wstring& dir);

// True for 'A'..'Z' and 'a'..'z' only.
bool IsAsciiLetter(wchar_t c);
// The last "<letter>:" pair of the text as the upper-case letter and ':'; the text unchanged
// when it holds none (or is shorter than 2 characters).
std::wstring DriveRootOf(const std::wstring& path);
// '/' to '\', trailing backslashes removed down to 3 characters, "X:\" to "X:".
std::wstring NormalizePath(std::wstring path);
// True when path is base itself or lies below it (ASCII case ignored, both normalised).
bool IsPathUnderBase(const std::wstring& path, const std::wstring& base);
// Removes one pair of enclosing double quotes or apostrophes (at least 2 characters).
void StripEnclosingQuotes(std::wstring& s);
// Removes leading and trailing space, TAB, CR and LF.
void TrimWhitespace(std::wstring& s);
// True when name is one plain file name that stays in the folder it is joined to: 1 to 255
// characters; no path separator, no colon (drive or stream), none of * ? " < > | and no control
// character; not "." or ".."; no trailing dot or space (the system would drop them); and no
// device name (CON, PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$, CONOUT$, CLOCK$), with or without an
// extension.
bool IsPlainFileName(const std::wstring& name);
// folder + "\" + name when name IsPlainFileName, otherwise an empty text: every path built from
// what a file says (a language code, a drive letter) goes through it, so that it cannot leave
// the folder it belongs to.
[[nodiscard]] std::wstring PathInFolder(const std::wstring& folder, const std::wstring& name);
// True when path is the full path of a file on a local drive: the drive letter given (any letter
// for '*'), ":\", then names joined by single backslashes, none of them "." or "..", none holding
// a colon, a slash or a control character. Names of files as a drive holds them (trailing dots,
// device names) are accepted.
bool IsFullLocalPath(const std::wstring& path, wchar_t drive);
// Splits a "key=value" line at its first '=' into the trimmed key and value; false when the
// line holds no '='.
bool SplitKeyValue(const std::wstring& line, std::wstring& key, std::wstring& value);

// "%lld B", "%lld KB", "%.2f MB", "%.2f GB" in units of 1024.
std::wstring FormatSize(long long bytes);
// Local "%04d-%02d-%02d %02d:%02d"; "-" for a zero time (and for one that cannot be converted).
std::wstring FormatFileTime(const FILETIME& time);
std::wstring FormatFileTime(const FILETIME* time);  // null formats as "-"

namespace core_detail {
// The choice of GetConfigDir with its sources injected (tests): shellFolder(csidl, buffer of
// MAX_PATH) returns an HRESULT; tempPath(bufferLength, buffer) behaves like GetTempPathW;
// createDir is called for each folder to create.
using ShellFolderFn = HRESULT (*)(int csidl, wchar_t* buffer);
using TempPathFn = DWORD (*)(DWORD length, wchar_t* buffer);
using CreateDirFn = void (*)(const std::wstring& dir);
std::wstring ChooseConfigDir(ShellFolderFn shellFolder, TempPathFn tempPath, CreateDirFn createDir);
}  // namespace core_detail
