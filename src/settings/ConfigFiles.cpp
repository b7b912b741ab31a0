// Openers of the configuration files: filters, the current language's texts, any other file.
#include "settings/ConfigFiles.h"

#include <windows.h>
#include <shellapi.h>

#include "core/Paths.h"
#include "i18n/I18n.h"
#include "search/Filters.h"

namespace {

std::function<void(const std::wstring&)> g_shellOpenHook;

bool IsExistingFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void ShellOpenPath(const std::wstring& path) {
    if (path.empty()) return;
    if (g_shellOpenHook) {
        g_shellOpenHook(path);
        return;
    }
    ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void OpenFiltersIni() {
    std::wstring path = GetFiltersPath();
    if (!IsExistingFile(path)) {
        const std::wstring base = GetConfigDir() + L"\\filters.ini";
        if (IsExistingFile(base)) {
            path = base;
        } else {
            if (g_filterCategories.empty()) ResetFilterCategoriesToDefaults();
            WriteFilterCategories(path, g_filterCategories);
        }
    }
    ShellOpenPath(path);
}

void OpenLanguageFile() {
    EnsureAllLanguageTemplates();
    const std::wstring stored = g_uiLanguageCode.empty() ? std::wstring(L"zh-cn") : g_uiLanguageCode;
    std::wstring code = stored;
    for (wchar_t& c : code)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    const std::wstring folder = GetConfigDir() + L"\\lang";
    CreateDirectoryW(folder.c_str(), nullptr);
    // A code that is no plain name (never a valid language code) gives no path: nothing opens.
    const std::wstring path = PathInFolder(folder, code + L".ini");
    EnsureLanguageTemplate(stored);
    ShellOpenPath(path);
}

void SetShellOpenHook(std::function<void(const std::wstring&)> hook) { g_shellOpenHook = std::move(hook); }
