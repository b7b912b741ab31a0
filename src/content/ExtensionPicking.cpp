#include "content/ExtensionPicking.h"

#include <cwchar>

#include "content/ContentSettings.h"
#include "core/Core.h"

namespace {

bool ContainsIgnoringCase(const std::vector<std::wstring>& list, const std::wstring& s) {
    for (const auto& e : list)
        if (_wcsicmp(e.c_str(), s.c_str()) == 0) return true;
    return false;
}

bool HasContentPrefix(const std::wstring& s) { return s.size() >= 2 && (s[0] == L's' || s[0] == L'S') && s[1] == L':'; }

}  // namespace

std::wstring NormalizeExtensionRow(const std::wstring& text) {
    std::wstring s = text;
    TrimWhitespace(s);
    s = LowerCaseText(std::move(s));
    if (s.empty()) return s;
    if (s[0] != L'.') s.insert(s.begin(), L'.');
    return s;
}

std::vector<std::wstring> NormalizeExtensionRows(const std::vector<std::wstring>& rows) {
    std::vector<std::wstring> out;
    for (const auto& r : rows) {
        std::wstring e = NormalizeExtensionRow(r);
        if (!e.empty() && !ContainsIgnoringCase(out, e)) out.push_back(std::move(e));
    }
    return out;
}

PickedSearchText BuildPickedSearchText(const std::wstring& boxText, const std::vector<std::wstring>& exts) {
    std::wstring text = boxText.substr(0, 511);
    TrimWhitespace(text);
    std::wstring keywords;
    if (HasContentPrefix(text)) {
        keywords = text.substr(2, text.find(L'|') == std::wstring::npos ? std::wstring::npos : text.find(L'|') - 2);
        TrimWhitespace(keywords);
    }
    PickedSearchText picked;
    picked.text = L"s:" + keywords + L"|" + JoinExtensionList(exts);
    picked.caret = keywords.size() + 2;
    return picked;
}

bool ShouldOpenExtensionPicker(const std::wstring& current, const std::wstring& previous) {
    if ((current == L"s:" || current == L"S:") && _wcsicmp(previous.c_str(), current.c_str()) != 0) return true;
    return HasContentPrefix(current) && current.back() == L'|' && (previous.empty() || previous.back() != L'|');
}

std::vector<std::wstring> KeepOfferedExtensions(const std::vector<std::wstring>& picked,
                                                const std::vector<std::wstring>& offer) {
    std::vector<std::wstring> kept;
    for (const auto& e : picked)
        if (ContainsIgnoringCase(offer, e)) kept.push_back(e);
    return kept;
}
