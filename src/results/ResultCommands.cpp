// The result commands on the selection (open, reveal, run as administrator, properties, copy
// paths, copy and cut files, recycle, delete) and the small shell and clipboard helpers the
// other views share.
#include <windows.h>
#include <shellapi.h>

#include <unordered_set>

#include "core/Core.h"
#include "i18n/I18n.h"
#include "index/Index.h"
#include "results/FileActions.h"
#include "search/Search.h"
#include "core/Window.h"

std::atomic<int64_t> g_restoreScrollY{0};
std::atomic<bool> g_restoreScrollPending{false};

namespace {

std::wstring PathOfItem(const MatchItem& item) {
    if (!item.volume) return std::wstring();
    bool reachedRoot = false;
    std::wstring path = item.volume->BuildFullPathLocked(item.recordIndex, &reachedRoot);
    return reachedRoot ? path : std::wstring();
}

bool ShellExecuteVerb(const wchar_t* verb, const std::wstring& path, ULONG mask, HWND owner) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = mask;
    info.hwnd = owner;
    info.lpVerb = verb;
    info.lpFile = path.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&info)) return true;
    const std::wstring line = L"[Tarnwick][Shell] " + std::wstring(verb) + L" failed, error " +
                              std::to_wstring(GetLastError()) + L": " + path + L"\r\n";
    OutputDebugStringW(line.c_str());
    return false;
}

std::wstring SearchBoxText() {
    wchar_t buffer[257] = {};
    if (g_hSearchEdit && IsWindow(g_hSearchEdit)) GetWindowTextW(g_hSearchEdit, buffer, 257);
    std::wstring text(buffer, wcsnlen(buffer, 256));
    TrimWhitespace(text);
    return text;
}

// Opening many files at once starts as many programs: above the limit the user is asked.
bool ConfirmOpenMany(size_t count) {
    std::wstring text = FormatTableText(
        Tr(L"Msg_OpenManyConfirmFmt", L"确定要打开 %zu 个项目吗？", L"Open %zu items?").c_str(), count);
    return FileActionMessageBox(g_hMainWnd, text, Tr(L"App_TitleMainLower", L"Tarnwick", L"Tarnwick"),
                                MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void OpenSelection(const std::vector<MatchItem>& items) {
    size_t openable = 0;
    for (const MatchItem& item : items)
        if (item.volume) ++openable;
    if (openable > kMaxOpenAtOnce && !ConfirmOpenMany(openable)) return;
    for (const MatchItem& item : items) {
        std::wstring path = PathOfItem(item);
        if (path.empty()) continue;
        ShellExecuteVerb(L"open", path, SEE_MASK_FLAG_NO_UI, nullptr);
        RecordRecentOpen(item);
    }
    if (!g_suppressRecentView.load()) RefreshRecentViewIfNeeded();
}

void RevealFirst(const MatchItem& first, const std::wstring& path) {
    const std::wstring parameters = L"/select,\"" + path + L"\"";
    ShellExecuteW(nullptr, L"open", L"explorer.exe", parameters.c_str(), nullptr, SW_SHOWNORMAL);
    VolumeIndex* volume = first.volume;
    if (!volume) return;
    bool found = false;
    uint64_t parentIndex = 0;
    AcquireSRWLockShared(&volume->indexLock);
    if (first.recordIndex < volume->records.size()) {
        auto it = volume->frnToRecord.find(volume->records[first.recordIndex].parentFrn);
        if (it != volume->frnToRecord.end() && it->second < volume->records.size() &&
            !volume->records[it->second].deleted) {
            found = true;
            parentIndex = it->second;
        }
    }
    ReleaseSRWLockShared(&volume->indexLock);
    if (!found) return;
    RecordRecentOpen(MatchItem{volume, static_cast<uint32_t>(parentIndex)});
    RefreshRecentViewIfNeeded();
}

void CopyFullPaths(const std::vector<std::wstring>& paths) { (void)CopyTextToClipboard(JoinLinesCrLf(paths)); }

// Records of files this program deleted leave the index at once (the change journal reports
// them later, and a search run before that would show them again).
void MarkDeletedInIndex(const std::vector<MatchItem>& items, const std::vector<std::wstring>& deleted) {
    std::unordered_set<std::wstring> gone;
    for (const std::wstring& path : deleted) gone.insert(NormalizePathKey(std::wstring(path)));
    for (const MatchItem& item : items) {
        if (!item.volume) continue;
        std::wstring path = PathOfItem(item);
        if (path.empty() || !gone.count(NormalizePathKey(std::move(path)))) continue;
        VolumeIndex* v = item.volume;
        AcquireSRWLockExclusive(&v->indexLock);
        if (item.recordIndex < v->records.size() && !v->records[item.recordIndex].deleted) {
            v->records[item.recordIndex].deleted = 1;
            ++v->deletedCount;
        }
        ReleaseSRWLockExclusive(&v->indexLock);
    }
}

void DeleteSelection(const std::vector<MatchItem>& items, const std::vector<std::wstring>& paths, bool recycle) {
    DeleteOutcome outcome = DeletePaths(paths, recycle);
    MarkDeletedInIndex(items, outcome.deleted);
    if (outcome.failed == 0 && !outcome.refused && !outcome.deleted.empty()) RemoveDeletedFromResults(paths);
}

}  // namespace

std::vector<std::wstring> GetSelectedResultPaths() {
    std::vector<std::wstring> paths;
    for (const MatchItem& item : GetSelectedMatchItems()) {
        std::wstring path = PathOfItem(item);
        if (!path.empty()) paths.push_back(std::move(path));
    }
    return paths;
}

void ExecuteResultCommand(ResultCommand command) {
    std::vector<MatchItem> items = GetSelectedMatchItems();
    if (items.empty()) return;
    const std::wstring first = PathOfItem(items.front());
    if (first.empty()) return;
    std::vector<std::wstring> paths;
    paths.reserve(items.size());
    for (const MatchItem& item : items) {
        std::wstring path = PathOfItem(item);
        if (!path.empty()) paths.push_back(std::move(path));
    }
    if (paths.empty()) return;
    switch (command) {
    case ResultCommand::OpenContainingFolder: RevealFirst(items.front(), first); break;
    case ResultCommand::Open: OpenSelection(items); break;
    case ResultCommand::DeletePermanently: DeleteSelection(items, paths, false); break;
    case ResultCommand::CopyFullPath: CopyFullPaths(paths); break;
    case ResultCommand::CopyFiles:
    case ResultCommand::CutFiles:
        if (!CopyFilesToClipboard(paths, command == ResultCommand::CutFiles)) {
            FileActionMessageBox(g_hMainWnd,
                                 Tr(L"Msg_CopyClipboardFailed", L"复制到剪贴板失败。", L"Failed to copy to clipboard."),
                                 Tr(L"MsgTitle_Error", L"错误", L"Error"), MB_ICONERROR);
        }
        break;
    case ResultCommand::RunAsAdministrator:
        ShellExecuteVerb(L"runas", first, SEE_MASK_FLAG_NO_UI, nullptr);
        RecordRecentOpen(items.front());
        if (!g_suppressRecentView.load()) RefreshRecentViewIfNeeded();
        break;
    case ResultCommand::Properties:
        ShellExecuteVerb(L"properties", first, SEE_MASK_INVOKEIDLIST | SEE_MASK_FLAG_NO_UI, nullptr);
        break;
    case ResultCommand::MoveToRecycleBin: DeleteSelection(items, paths, true); break;
    default: break;
    }
}

void RemoveDeletedFromResults(const std::vector<std::wstring>& deleted) {
    const std::wstring text = SearchBoxText();
    g_restoreScrollY.store(g_scrollY);
    g_restoreScrollPending.store(true);
    if (text.rfind(L"s:", 0) == 0) {
        std::shared_ptr<std::vector<MatchItem>> snapshot = GetResultsSnapshot();
        if (snapshot && !snapshot->empty() && !deleted.empty()) {
            std::unordered_set<std::wstring> keys;
            for (const std::wstring& path : deleted) keys.insert(NormalizePathKey(std::wstring(path)));
            auto kept = std::make_shared<std::vector<MatchItem>>();
            kept->reserve(snapshot->size());
            for (const MatchItem& item : *snapshot) {
                if (!item.volume) continue;
                std::wstring path = item.volume->BuildFullPathLocked(item.recordIndex);
                if (!path.empty() && !keys.count(NormalizePathKey(std::move(path)))) kept->push_back(item);
            }
            std::lock_guard<std::mutex> lock(g_resultsMutex);
            g_results = kept;
        }
        PostMessageIfWindow(g_hMainWnd, WM_SEARCH_RESULTS_READY, static_cast<WPARAM>(g_searchGeneration.load()), 0);
        return;
    }
    if (!text.empty() || !g_suppressRecentView.load()) DoSearchAsync(text, true, false);
    else RefreshSearchResultsAfterIndexUpdate();
}

void RevealInExplorer(const std::wstring& path) {
    if (path.empty()) return;
    const std::wstring parameters = L"/select,\"" + path + L"\"";
    const auto rc = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", L"explorer.exe", parameters.c_str(), nullptr, SW_SHOWNORMAL));
    if (rc > 32) return;
    const size_t cut = path.find_last_of(L"\\/");
    const std::wstring target = (cut != std::wstring::npos && cut > 0) ? path.substr(0, cut) : path;
    ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void ShowFileProperties(const std::wstring& path) {
    if (path.empty()) return;
    ShellExecuteVerb(L"properties", path, SEE_MASK_INVOKEIDLIST | SEE_MASK_FLAG_NO_UI, g_hMainWnd);
}

void OpenFiles(HWND owner, const std::vector<std::wstring>& paths) {
    const size_t n = std::min(paths.size(), kMaxOpenAtOnce);
    for (size_t i = 0; i < n; ++i)
        if (!paths[i].empty()) ShellExecuteW(owner, L"open", paths[i].c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool CopyTextToClipboard(const std::wstring& text) {
    if (text.empty() || !g_hMainWnd) return false;
    if (!OpenClipboard(g_hMainWnd)) return false;
    EmptyClipboard();
    bool ok = false;
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        if (void* dst = GlobalLock(block)) {
            memcpy(dst, text.c_str(), bytes);
            GlobalUnlock(block);
            ok = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        }
        if (!ok) GlobalFree(block);
    }
    CloseClipboard();
    return ok;
}

std::wstring JoinLinesCrLf(const std::vector<std::wstring>& lines) {
    std::wstring out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) out += L"\r\n";
        out += lines[i];
    }
    return out;
}

bool IsFocusInTextInput(HWND mainWindow) {
    HWND focus = GetFocus();
    if (!focus || focus == mainWindow) return false;
    wchar_t cls[64] = {};
    GetClassNameW(focus, cls, 64);
    for (const wchar_t* name : {L"Edit", L"ComboBox", L"ComboBoxEx32", L"SysDateTimePick32"})
        if (_wcsicmp(cls, name) == 0) return true;
    return false;
}
