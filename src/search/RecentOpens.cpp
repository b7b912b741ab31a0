#include "search/RecentOpens.h"

#include <cstdio>
#include <cwchar>

#include "core/Core.h"
#include "index/Index.h"
#include "search/QueryParser.h"
#include "core/Window.h"

std::vector<RecentEntry> g_recentEntries;
std::mutex g_recentMutex;

namespace {

// Caller holds the volume's index lock.
bool IsLiveLocked(const MatchItem& item) {
    return item.recordIndex < item.volume->records.size() && !item.volume->records[item.recordIndex].deleted;
}

// NTFS file references survive renames and are not handed to another file by a rebuild.
uint64_t StableReferenceLocked(const MatchItem& item) {
    return item.volume->fileSystem == L"NTFS" ? item.volume->records[item.recordIndex].frn : 0;
}

// The entry's row, when it still names the entry's file: a live record with the entry's NTFS file
// reference or, failing that, with the entry's path. A row that a rebuild of the volume gave to
// another file is not this entry's file.
bool ItemStillNamesEntry(const MatchItem& item, const std::wstring& path, uint64_t frn) {
    if (!item.volume) return false;
    AcquireSRWLockShared(&item.volume->indexLock);
    bool ok = IsLiveLocked(item);
    if (ok && frn != 0 && StableReferenceLocked(item) == frn) {
        ReleaseSRWLockShared(&item.volume->indexLock);
        return true;
    }
    if (ok) {
        bool reachedRoot = false;
        std::wstring current = item.volume->BuildFullPath(item.recordIndex, &reachedRoot);
        ok = reachedRoot && NormalizePathKey(std::move(current)) == NormalizePathKey(std::wstring(path));
    }
    ReleaseSRWLockShared(&item.volume->indexLock);
    return ok;
}

}  // namespace

std::wstring GetRecentListPath() { return GetConfigDir() + L"\\recent.ini"; }

bool SaveRecentList() {
    std::wstring text;
    {
        std::lock_guard<std::mutex> lock(g_recentMutex);
        for (const auto& e : g_recentEntries) {
            if (e.path.empty()) continue;
            text += std::to_wstring(e.openedTick) + L"\t" + e.path + L"\n";
        }
    }
    return WriteTextFileReplacing(GetRecentListPath(), text);
}

void LoadRecentList() {
    std::vector<RecentEntry> loaded;
    const bool opened = ReadTextLines(GetRecentListPath(), [&](const std::wstring& text) {
        std::wstring line = text;
        TrimWhitespace(line);
        if (line.empty()) return;
        size_t tab = line.find(L'\t');
        if (tab == std::wstring::npos) return;
        std::wstring number = line.substr(0, tab);
        std::wstring path = line.substr(tab + 1);
        if (path.empty()) return;
        RecentEntry e;
        e.openedTick = wcstoull(number.c_str(), nullptr, 10);
        e.path = std::move(path);
        loaded.push_back(std::move(e));
    });
    if (!opened) return;
    std::lock_guard<std::mutex> lock(g_recentMutex);
    g_recentEntries = std::move(loaded);
}

bool ClearRecentList() {
    {
        std::lock_guard<std::mutex> lock(g_recentMutex);
        g_recentEntries.clear();
    }
    return SaveRecentList();
}

void RecordRecentOpen(const MatchItem& item) {
    if (!item.volume) return;
    std::wstring path;
    bool reachedRoot = false;
    AcquireSRWLockShared(&item.volume->indexLock);
    const bool live = IsLiveLocked(item);
    uint64_t frn = 0;
    if (live) {
        path = item.volume->BuildFullPath(item.recordIndex, &reachedRoot);
        frn = StableReferenceLocked(item);
    }
    ReleaseSRWLockShared(&item.volume->indexLock);
    // A path from a broken parent chain is not the opened file's path: record nothing.
    if (!live || path.empty() || !reachedRoot) return;

    RecentEntry entry{item, GetTickCount64(), path, frn};
    {
        std::lock_guard<std::mutex> lock(g_recentMutex);
        const std::wstring key = NormalizePathKey(std::wstring(path));
        for (auto it = g_recentEntries.begin(); it != g_recentEntries.end(); ++it) {
            if (it->item == item || NormalizePathKey(std::wstring(it->path)) == key) {
                g_recentEntries.erase(it);
                break;
            }
        }
        g_recentEntries.insert(g_recentEntries.begin(), std::move(entry));
        if (g_recentEntries.size() > kMaxRecentEntries) g_recentEntries.resize(kMaxRecentEntries);
    }
    (void)SaveRecentList();  // a failure is told by the main window
}

void UpdateRecentPath(const MatchItem& renamed, const std::wstring& oldPath, const std::wstring& newPath) {
    if (!renamed.volume || oldPath.empty() || newPath.empty()) return;
    const std::wstring oldKey = NormalizePathKey(std::wstring(oldPath));
    bool changed = false;
    {
        std::lock_guard<std::mutex> lock(g_recentMutex);
        for (auto& e : g_recentEntries) {
            if (e.item == renamed || NormalizePathKey(std::wstring(e.path)) == oldKey) {
                if (!(e.item == renamed)) e.frn = 0;
                e.item = renamed;
                e.path = newPath;
                changed = true;
            }
        }
    }
    if (changed) (void)SaveRecentList();
}

std::shared_ptr<std::vector<MatchItem>> BuildRecentMatchItems() {
    auto set = std::make_shared<std::vector<MatchItem>>();
    std::lock_guard<std::mutex> lock(g_recentMutex);
    for (auto& e : g_recentEntries) {
        if (ItemStillNamesEntry(e.item, e.path, e.frn)) {
            set->push_back(e.item);
            continue;
        }
        MatchItem found;
        if (!e.path.empty() && FindMatchItemByPath(e.path, found)) {
            e.item = found;
            AcquireSRWLockShared(&found.volume->indexLock);
            e.frn = IsLiveLocked(found) ? StableReferenceLocked(found) : 0;
            ReleaseSRWLockShared(&found.volume->indexLock);
            set->push_back(found);
        }
    }
    return set;
}

void LoadRecentOpensAsync() {
    try {
        RunBackgroundTask(L"load_recent_opens", [] {
            LoadRecentList();
            if (!g_shuttingDown.load()) PostMessageIfWindow(g_hMainWnd, WM_RECENT_OPENS_LOADED, 0, 0);
        });
    } catch (const std::exception&) {
        LogBackgroundException(L"load_recent_opens");
    }
}
