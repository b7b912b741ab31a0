// Filter categories: the built-in list, the active list, filters.ini reading and writing, the
// start-up load with backup and migration, and the reload on a language change.
#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <cstdio>

#include "core/Core.h"
#include "i18n/I18n.h"
#include "search/Search.h"

namespace {

struct BuiltinCategory {
    const wchar_t* chineseName;
    const wchar_t* englishName;
    std::vector<std::wstring> exts;
};

const std::vector<BuiltinCategory>& BuiltinCategories() {
    static const std::vector<BuiltinCategory> list = {
        {L"所有文件", L"All Files", {}},
        {L"文件夹", L"Folders", {L".dir"}},
        {L"文档", L"Documents",
         {L".doc", L".docx", L".pdf", L".txt", L".xls", L".xlsx", L".ppt", L".pptx", L".md", L".csv"}},
        {L"图片", L"Images",
         {L".jpg", L".jpeg", L".png", L".gif", L".bmp", L".webp", L".ico", L".svg", L".tif", L".psd"}},
        {L"压缩包", L"Archives", {L".zip", L".rar", L".7z", L".tar", L".gz", L".iso", L".cab"}},
        {L"应用程序", L"Applications", {L".exe", L".msi", L".bat", L".cmd", L".dll", L".sys", L".ps1"}},
        {L"视频", L"Videos", {L".mp4", L".mkv", L".avi", L".mov", L".wmv", L".flv", L".rmvb", L".m3u8"}},
        {L"音频", L"Audio", {L".mp3", L".wav", L".flac", L".aac", L".ogg", L".m4a"}},
    };
    return list;
}

std::vector<FilterCategory> BuildDefaults(bool chinese) {
    std::vector<FilterCategory> out;
    for (const auto& b : BuiltinCategories()) out.push_back({chinese ? b.chineseName : b.englishName, b.exts});
    return out;
}

// A pending line longer than this is dropped whole (a damaged or hostile file).
constexpr size_t kMaxFilterLineChars = 1u << 20;

int DefaultQuestion(HWND owner, const std::wstring& text, const std::wstring& title) {
    return MessageBoxW(owner, text.c_str(), title.c_str(), MB_YESNOCANCEL | MB_ICONQUESTION);
}

bool IsFolderMarker(const std::wstring& e) {
    return _wcsicmp(e.c_str(), L".dir") == 0 || _wcsicmp(e.c_str(), L".folder") == 0;
}

// An entry that a file name can end with: no longer than a name, no path separator, no colon
// (stream or drive). A typed wildcard or quote is a mistake that matches nothing, not damage.
bool IsPossibleExtension(const std::wstring& e) {
    return e.size() <= 255 && e.find_first_of(L"\\/:") == std::wstring::npos;
}

// Moves a damaged filters file out of the way as "<file>.damaged" (".damaged.2" to ".damaged.9"
// when that name is taken; an earlier one is never replaced), so that what it held stays for the
// user and the file can be written anew. False when it stays where it is: it must then not be
// overwritten.
bool SetDamagedFileAside(const std::wstring& path) {
    for (int i = 1; i <= 9; ++i) {
        std::wstring target = path + L".damaged";
        if (i > 1) target += L"." + std::to_wstring(i);
        if (MoveFileExW(path.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            LogGdi((L"filters file set aside as " + target).c_str());
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
            LogFailure((L"setting aside the damaged " + path).c_str(), error);
            return false;
        }
    }
    LogGdi((L"damaged filters file kept in place (no free name to set it aside): " + path).c_str());
    return false;
}

}  // namespace

std::vector<FilterCategory> g_defaultFilterCategories = BuildDefaults(true);
std::vector<FilterCategory> g_filterCategories = g_defaultFilterCategories;
std::atomic<int> g_currentFilterCategory{0};
FilterConflictQuestionFn g_filterConflictQuestion = DefaultQuestion;

std::wstring GetFiltersPath() {
    std::wstring dir = GetConfigDir();
    std::wstring code = g_uiLanguageCode;
    if (code.empty()) return dir + L"\\filters.ini";
    for (auto& ch : code) {
        ch = static_cast<wchar_t>(towlower(ch));
        if (ch == L' ') ch = L'_';
    }
    // A code that is no language code names no file (and never one outside the folder).
    if (!IsValidLanguageCode(code)) return std::wstring();
    return PathInFolder(dir, L"filters." + code + L".ini");
}

std::wstring GetDefaultFiltersPath() { return GetConfigDir() + L"\\filters.ini"; }

bool ParseFilterLine(const std::wstring& line, FilterCategory& out) {
    std::wstring s = line;
    TrimWhitespace(s);
    if (s.empty() || s[0] == L'#') return false;
    std::wstring name, rest;
    if (!SplitKeyValue(s, name, rest) || name.empty()) return false;
    std::vector<std::wstring> exts;
    size_t pos = 0;
    while (pos <= rest.size()) {
        size_t comma = rest.find(L',', pos);
        if (comma == std::wstring::npos) comma = rest.size();
        std::wstring piece = rest.substr(pos, comma - pos);
        TrimWhitespace(piece);
        if (!piece.empty()) {
            for (auto& ch : piece) ch = static_cast<wchar_t>(towlower(ch));
            if (piece[0] != L'.') piece.insert(piece.begin(), L'.');
            exts.push_back(std::move(piece));
        }
        pos = comma + 1;
    }
    out.name = std::move(name);
    out.exts = std::move(exts);
    return true;
}

bool ReadFilterCategories(const std::wstring& path, std::vector<FilterCategory>& out, FilterFileState* state) {
    FilterFileState local = FilterFileState::kUnreadable;
    FilterFileState& st = state ? *state : local;
    st = FilterFileState::kUnreadable;
    if (path.empty()) return false;
    std::vector<FilterCategory> list;
    bool impossibleEntry = false;
    TextLinesShape shape;
    const bool opened = ReadTextLines(
        path,
        [&](const std::wstring& line) {
            FilterCategory c;
            if (!ParseFilterLine(line, c)) return;
            for (const auto& e : c.exts) {
                if (!IsPossibleExtension(e)) impossibleEntry = true;
            }
            if (list.size() < kMaxFilterCategories) list.push_back(std::move(c));
        },
        kMaxFilterLineChars, size_t(16) << 20, &shape);
    if (!opened) return false;
    if (!shape.IsText() || impossibleEntry) {
        st = FilterFileState::kDamaged;
        LogGdi((L"filters file damaged, not used: " + path +
                (shape.invalidBytes ? L" (not UTF-8 or UTF-16 text)"
                 : shape.controlChars ? L" (control characters)" : L" (an entry no file name can end with)"))
                   .c_str());
        return false;
    }
    if (list.empty()) {
        st = FilterFileState::kNoCategories;
        return false;
    }
    st = shape.Complete() ? FilterFileState::kWhole : FilterFileState::kCutShort;
    out = std::move(list);
    return true;
}

bool WriteFilterCategories(const std::wstring& path, const std::vector<FilterCategory>& list) {
    if (path.empty()) return false;
    std::wstring text;
    for (const auto& c : list) {
        text += c.name + L"=";
        for (size_t i = 0; i < c.exts.size(); ++i) {
            if (i) text += L",";
            text += c.exts[i];
        }
        text += L"\n";
    }
    return WriteTextFileReplacing(path, text);
}

void ResetFilterCategoriesToDefaults() {
    g_filterCategories = g_languageIsChinese ? g_defaultFilterCategories : BuildDefaults(false);
}

std::vector<FilterCategory> BuildLocalizedDefaultFilters() {
    std::vector<FilterCategory> out;
    const auto& builtin = BuiltinCategories();
    for (size_t i = 0; i < g_defaultFilterCategories.size(); ++i) {
        std::wstring name;
        if (!FindActiveText(L"Filter." + std::to_wstring(i), name) || name.empty()) {
            const std::wstring chinese = i < builtin.size() ? builtin[i].chineseName
                                                            : g_defaultFilterCategories[i].name;
            if (!FindActiveText(chinese, name) || name.empty()) {
                name = (g_languageIsChinese || i >= builtin.size()) ? chinese : builtin[i].englishName;
            }
        }
        out.push_back({name, g_defaultFilterCategories[i].exts});
    }
    return out;
}

bool FilterCategoriesEqual(const std::vector<FilterCategory>& a, const std::vector<FilterCategory>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].exts != b[i].exts) return false;
    }
    return true;
}

bool CategoryIsFolder(const FilterCategory& category) {
    for (const auto& e : category.exts)
        if (IsFolderMarker(e)) return true;
    return false;
}

bool IsFolderCategory(int index) {
    return index >= 1 && index < static_cast<int>(g_filterCategories.size()) &&
           CategoryIsFolder(g_filterCategories[static_cast<size_t>(index)]);
}

bool FileNameMatchesExtensions(const wchar_t* fileName, const std::vector<std::wstring>& exts) {
    if (!fileName || exts.empty()) return false;
    const wchar_t* dot = wcsrchr(fileName, L'.');
    if (!dot) return false;
    for (const auto& e : exts)
        if (_wcsicmp(dot, e.c_str()) == 0) return true;
    return false;
}

bool MatchesFilterCategory(const wchar_t* fileName, int index) {
    if (index == 0) return true;
    if (index < 0 || index >= static_cast<int>(g_filterCategories.size())) return false;
    return FileNameMatchesExtensions(fileName, g_filterCategories[static_cast<size_t>(index)].exts);
}

FilterCategory MakeFolderCategory() {
    return {Tr(L"Filter_Folders", L"文件夹", L"Folders"), {L".dir"}};
}

bool EnsureFolderCategory(std::vector<FilterCategory>& list) {
    for (const auto& c : list)
        if (CategoryIsFolder(c)) return false;
    if (list.empty())
        list.push_back(MakeFolderCategory());
    else
        list.insert(list.begin() + 1, MakeFolderCategory());
    return true;
}

void InitFilterCategories() {
    const std::wstring p = GetFiltersPath();
    const std::wstring d = GetDefaultFiltersPath();
    const std::wstring b = GetConfigDir() + L"\\filters.bak";
    std::vector<FilterCategory> list;
    // The file the list came from, written back when the list changes; empty when nothing may be
    // written (a damaged file that could not be set aside).
    std::wstring file;
    // Only a whole, undamaged file refreshes the backup: a file cut in the middle of a line or
    // full of junk would replace a good backup with a list that lost categories.
    bool backUp = true;
    // False while the per-language file is a damaged one that could not be set aside.
    bool perLanguageWritable = true;
    auto readSource = [&](const std::wstring& path) {
        FilterFileState state = FilterFileState::kUnreadable;
        ReadFilterCategories(path, list, &state);
        if (state == FilterFileState::kWhole) {
            file = path;
            return true;
        }
        if (state != FilterFileState::kCutShort && state != FilterFileState::kDamaged) return false;
        std::vector<FilterCategory> saved;
        FilterFileState backupState = FilterFileState::kUnreadable;
        if (ReadFilterCategories(b, saved, &backupState) && backupState == FilterFileState::kWhole) {
            // Restored from the backup; the damaged file is kept beside it, never overwritten.
            LogGdi((L"filters file restored from the backup: " + path).c_str());
            file = SetDamagedFileAside(path) ? path : std::wstring();
            if (!file.empty()) (void)WriteFilterCategories(path, saved);  // failing, the session still uses it
            list = std::move(saved);
            backUp = false;
            return true;
        }
        if (state == FilterFileState::kCutShort) {  // no better copy: the part that was read
            file = path;
            backUp = false;
            return true;
        }
        // Damaged and no backup: the next source; the file is set aside so that it can be written.
        if (!SetDamagedFileAside(path) && path == p) perLanguageWritable = false;
        return false;
    };
    if (!readSource(p) && !readSource(d)) {
        if (ReadFilterCategories(b, list)) {
            EnsureFolderCategory(list);
            g_filterCategories = std::move(list);
        } else {
            ResetFilterCategoriesToDefaults();
        }
        if (perLanguageWritable) (void)WriteFilterCategories(p, g_filterCategories);
        return;
    }
    if (!g_languageIsChinese && !list.empty() && list[0].name == L"所有文件") {
        ResetFilterCategoriesToDefaults();
        if (!file.empty()) (void)WriteFilterCategories(file, g_filterCategories);
        if (backUp) CopyFileW(file.c_str(), b.c_str(), FALSE);
        return;
    }
    bool changed = EnsureFolderCategory(list);
    g_filterCategories = std::move(list);
    if (changed && !file.empty()) (void)WriteFilterCategories(file, g_filterCategories);
    if (backUp) CopyFileW(file.c_str(), b.c_str(), FALSE);
}

bool ReloadFilterCategoriesForLanguage(HWND owner) {
    const std::wstring p = GetFiltersPath();
    const std::wstring d = GetDefaultFiltersPath();
    std::vector<FilterCategory> list;
    std::vector<FilterCategory> defaults = BuildLocalizedDefaultFilters();
    FilterFileState perLanguage = FilterFileState::kUnreadable;
    if (ReadFilterCategories(p, list, &perLanguage)) {
        g_filterCategories = std::move(list);
        return true;
    }
    // A damaged per-language file is not used; it is set aside before anything takes its place.
    auto writePerLanguage = [&](const std::vector<FilterCategory>& categories) {
        if (perLanguage == FilterFileState::kDamaged && !SetDamagedFileAside(p)) return;
        (void)WriteFilterCategories(p, categories);
    };
    if (!ReadFilterCategories(d, list)) {
        writePerLanguage(defaults);
        g_filterCategories = std::move(defaults);
        return true;
    }
    if (FilterCategoriesEqual(list, defaults)) return false;
    const std::wstring text = Tr(
        L"Msg_LanguageSwitchFilterConflict",
        L"检测到你已自定义筛选配置 (filters.ini)。切换语言时你想如何处理？\n\n是: 用新语言的默认筛选覆盖配置文件（永久）。\n否: 保持当前自定义配置（建议）。\n取消: 临时使用新语言的默认筛选，仅在本次程序运行内生效。",
        L"You have customized filters (filters.ini). How would you like to handle it when switching language?\n\nYes: Overwrite filters.ini with language defaults (permanent).\nNo: Keep your current custom filters (recommended).\nCancel: Use language defaults temporarily for this session only.");
    const std::wstring title = Tr(L"MsgTitle_LanguageSwitchConflict", L"语言切换 - 筛选配置冲突",
                                  L"Language Switch - Filters Conflict");
    const int answer = g_filterConflictQuestion ? g_filterConflictQuestion(owner, text, title) : IDCANCEL;
    if (answer == IDYES) {
        writePerLanguage(defaults);
        g_filterCategories = std::move(defaults);
    } else if (answer == IDNO) {
        g_filterCategories = std::move(list);
    } else {
        g_filterCategories = std::move(defaults);
    }
    return true;
}
