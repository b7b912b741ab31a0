#pragma once
// The small topmost window in which the user picks the file types of a content search: the offered
// extensions with check boxes, adding and deleting custom ones, and OK writing the picked set into
// the search box. The main window calls the hooks below.
#include <windows.h>

#include <string>
#include <vector>

extern HWND g_contentExtPickerWnd;

// Opens the picker, or reloads and brings forward the open one. `activate` false (opened by
// typing) leaves the keyboard in the search box.
void ShowContentExtPicker(HWND owner, bool activate = true);
// Destroys the picker when it is open (Cancel, the main window's end).
void CloseContentExtPicker();
// Puts an open picker's title and labels into the current language (its list, checks and typed
// text stay).
void RelocalizeContentExtPicker();
// Called on every change of the search box text; true when it opened the picker.
bool MaybeShowContentExtPicker(const std::wstring& text);
// Writes "s:<keywords>|<exts>" into the search box with the caret after the keywords.
void ApplyPickedExtsToSearchBox(const std::vector<std::wstring>& exts);
