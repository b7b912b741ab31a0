#pragma once
// The rules behind the content-extension picker window: reading its rows back, writing the picked
// extensions into the search text, when typing opens it, and what a deletion leaves.
#include <string>
#include <vector>

// A row's text as an extension: trimmed, every letter lower-cased, a leading '.' added; empty
// when nothing is left.
std::wstring NormalizeExtensionRow(const std::wstring& text);
// Normalised rows in order without empty ones and duplicates (ignoring case).
std::vector<std::wstring> NormalizeExtensionRows(const std::vector<std::wstring>& rows);

// The search text after picking `exts`: "s:" + the keywords of a content query in `boxText` (up
// to its '|') + "|" + the extensions; `caret` is where the keywords end.
struct PickedSearchText {
    std::wstring text;
    size_t caret = 0;
};
PickedSearchText BuildPickedSearchText(const std::wstring& boxText, const std::vector<std::wstring>& exts);

// Whether a change of the search text from `previous` to `current` (both trimmed) opens the
// picker: the text became exactly "s:", or a content query gained a trailing '|'.
bool ShouldOpenExtensionPicker(const std::wstring& current, const std::wstring& previous);

// The picked set after the offer shrank to `offer`: the picked entries still offered, in order.
std::vector<std::wstring> KeepOfferedExtensions(const std::vector<std::wstring>& picked,
                                                const std::vector<std::wstring>& offer);
