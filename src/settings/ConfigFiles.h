#pragma once
// Opening the user-editable configuration files in the editor the shell associates with them. A
// file that does not exist yet is written first (current or default content), so the editor
// never opens a missing or empty file. UI thread.
#include <functional>
#include <string>

// Opens path with the shell's "open" verb (nothing for an empty path; the result is ignored).
void ShellOpenPath(const std::wstring& path);
// Opens the filter categories file of the current language: filters.<code>.ini, else the
// language-independent filters.ini when only that exists, else filters.<code>.ini written from
// the categories in use.
void OpenFiltersIni();
// Opens lang\<code>.ini of the current UI language ("zh-cn" when none is set), writing the
// templates of the built-in languages and of the current one first.
void OpenLanguageFile();

// Tests: receives the paths ShellOpenPath would open instead of the shell (an empty function
// restores the shell).
void SetShellOpenHook(std::function<void(const std::wstring&)> hook);
