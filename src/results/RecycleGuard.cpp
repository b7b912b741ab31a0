// The second names that keep a file the shell deleted for good in place of recycling it.
#include "results/RecycleGuard.h"

#include <windows.h>

#include <atomic>

#include "core/Logs.h"
#include "core/Raii.h"
#include "results/FileActions.h"

namespace {

std::atomic<unsigned> g_guardCounter{0};

// A name in the folder that no other program and no earlier guard uses: hidden by its leading
// dot where the file system says so, and never left behind.
std::wstring GuardName(const std::wstring& folder, const wchar_t* kind) {
    return folder + L"\\.~tw-" + kind + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++g_guardCounter);
}

DWORD LinkCount(const std::wstring& path) {
    UniqueHandle h(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                               nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!h || !GetFileInformationByHandle(h.get(), &info)) return 0;
    return info.nNumberOfLinks;
}

void Log(const std::wstring& text) { LogGdi((L"[Delete] " + text).c_str()); }

// Removes one name of a file that has another. A read-only file refuses DeleteFileW, and the
// attribute belongs to the file, not to the name: it is cleared and put back through one handle
// while the name is removed.
bool RemoveName(const std::wstring& path) {
    if (DeleteFileW(path.c_str())) return true;
    UniqueHandle h(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    FILE_BASIC_INFO basic{};
    if (!h || !GetFileInformationByHandleEx(h.get(), FileBasicInfo, &basic, sizeof basic) ||
        !(basic.FileAttributes & FILE_ATTRIBUTE_READONLY))
        return false;
    FILE_BASIC_INFO writable = basic;
    writable.FileAttributes &= ~FILE_ATTRIBUTE_READONLY;
    if (writable.FileAttributes == 0) writable.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    if (!SetFileInformationByHandle(h.get(), FileBasicInfo, &writable, sizeof writable)) return false;
    FILE_DISPOSITION_INFO disposition{TRUE};
    const bool removed = SetFileInformationByHandle(h.get(), FileDispositionInfo, &disposition, sizeof disposition);
    SetFileInformationByHandle(h.get(), FileBasicInfo, &basic, sizeof basic);
    return removed;
}

}  // namespace

RecycleGuard::~RecycleGuard() {
    if (active_) (void)Finish();
}

bool RecycleGuard::Guard(const std::wstring& path) {
    if (active_) return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash == 0 || slash + 1 >= path.size()) return false;
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::wstring parent = path.substr(0, slash);
    for (int attempt = 0; attempt < 16 && root_.empty(); ++attempt) {
        std::wstring name = GuardName(parent, folder ? L"recycle-dir" : L"recycle");
        if (folder ? CreateDirectoryW(name.c_str(), nullptr) : CreateHardLinkW(name.c_str(), path.c_str(), nullptr)) {
            root_ = std::move(name);
        } else if (const DWORD error = GetLastError(); error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    if (root_.empty()) return false;
    original_ = path;
    originalAttributes_ = attributes;
    entries_.assign(1, Entry{L"", folder});
    active_ = true;
    if (!folder) return true;
    SetFileAttributesW(root_.c_str(), FILE_ATTRIBUTE_HIDDEN);
    if (GuardFolder()) return true;
    Remove();
    return false;
}

bool RecycleGuard::GuardFolder() {
    // The tree is read whole first (cheap), so that a folder that cannot be guarded costs no links.
    std::vector<Entry> found;
    std::vector<std::wstring> folders{L""};
    for (size_t i = 0; i < folders.size(); ++i) {
        const std::wstring rel = folders[i];
        WIN32_FIND_DATAW data;
        UniqueFindHandle find(FindFirstFileExW((original_ + rel + L"\\*").c_str(), FindExInfoBasic, &data,
                                               FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (!find) return false;
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            if (found.size() >= kMaxEntries || (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
            found.push_back(Entry{rel + L"\\" + name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
            if (found.back().folder) folders.push_back(found.back().rel);
        } while (FindNextFileW(find.get(), &data));
        if (GetLastError() != ERROR_NO_MORE_FILES) return false;
    }
    // Parents come before their children: a folder is listed after it was found.
    for (Entry& e : found) {
        const std::wstring to = root_ + e.rel;
        if (!(e.folder ? CreateDirectoryW(to.c_str(), nullptr)
                       : CreateHardLinkW(to.c_str(), (original_ + e.rel).c_str(), nullptr)))
            return false;
        entries_.push_back(std::move(e));
    }
    return true;
}

// A file whose only name is the guard's goes back to its path; when something else took that
// path meanwhile, it stays beside it under a name that says what it is.
void RecycleGuard::Rescue(const std::wstring& rel) {
    const std::wstring from = root_ + rel;
    const std::wstring to = original_ + rel;
    if (!rel.empty()) {
        CreateDirectoryW(original_.c_str(), nullptr);
        for (size_t i = rel.find(L'\\', 1); i != std::wstring::npos; i = rel.find(L'\\', i + 1))
            CreateDirectoryW((original_ + rel.substr(0, i)).c_str(), nullptr);
    }
    if (MoveFileExW(from.c_str(), to.c_str(), 0)) {
        Log(L"the shell deleted for good what the Recycle Bin did not take; put back: " + to);
        return;
    }
    for (int n = 1; n <= 16; ++n) {
        const std::wstring kept = to + L".kept-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(n);
        if (MoveFileExW(from.c_str(), kept.c_str(), 0)) {
            Log(L"the shell deleted for good what the Recycle Bin did not take; its path was taken, kept as: " + kept);
            return;
        }
    }
    LogFailure((L"[Delete] putting back " + to + L" from " + from).c_str(), GetLastError());
}

bool RecycleGuard::Remove() {
    bool rescued = false;
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        const std::wstring path = root_ + it->rel;
        if (it->folder) {
            if (!RemoveDirectoryW(path.c_str()) && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
                LogFailure((L"[Delete] removing the guard folder " + path).c_str(), GetLastError());
            continue;
        }
        const DWORD links = LinkCount(path);
        if (links == 1) {
            Rescue(it->rel);
            rescued = true;
        } else if (links > 1 && !RemoveName(path)) {
            LogFailure((L"[Delete] removing the guard name " + path).c_str(), GetLastError());
        }
    }
    entries_.clear();
    active_ = false;
    return rescued;
}

bool RecycleGuard::Finish() {
    if (!active_) return false;
    const bool gone = PathIsGone(original_);
    if (gone && entries_.front().folder) {
        // The folder went for good with something in it: the mirror takes its place whole.
        for (const Entry& e : entries_) {
            if (e.folder || LinkCount(root_ + e.rel) != 1) continue;
            constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                        FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
            const DWORD attributes = originalAttributes_ & kSettable;
            SetFileAttributesW(root_.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
            entries_.assign(1, Entry{L"", false});  // the mirror is now moved like one file
            Rescue(L"");
            entries_.clear();
            active_ = false;
            return false;
        }
    }
    const bool rescued = Remove();
    return gone && !rescued && PathIsGone(original_);
}
