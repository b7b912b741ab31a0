#include <windows.h>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "duplicates/DupEngine.h"

namespace {

// Two folders are listed at a time: listings wait mostly on the file system, and a second one
// nearly halves a walk where more would only contend.
constexpr int kWalkThreads = 2;

bool IsSet(const std::atomic<bool>* flag) { return flag && flag->load(); }

// The folders still to list, shared by the walking threads. A thread takes the last folder
// pushed (depth first) and pushes the sub-folders it finds; the walk ends when no folder is
// left and no thread is listing one.
struct WalkQueue {
    std::mutex mutex;
    std::condition_variable wake;
    std::vector<std::wstring> folders;
    int listing = 0;
    bool stop = false;

    // False when the walk is over (done, cancelled or failed).
    bool Take(std::wstring* folder) {
        std::unique_lock<std::mutex> lock(mutex);
        wake.wait(lock, [&] { return stop || !folders.empty() || listing == 0; });
        if (stop || folders.empty()) return false;
        *folder = std::move(folders.back());
        folders.pop_back();
        ++listing;
        return true;
    }

    void Finish(std::vector<std::wstring>& found, bool stopNow) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            for (auto& f : found) folders.push_back(std::move(f));
            --listing;
            if (stopNow) stop = true;
        }
        found.clear();
        wake.notify_all();
    }

    void Stop() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stop = true;
        }
        wake.notify_all();
    }
};

// Lists one folder: its files of at least minSize into out, its sub-folders (reparse points
// left out) into folders. False when cancelled.
bool ListFolder(std::wstring folder, int64_t minSize, std::vector<DupFileItem>& out, std::vector<std::wstring>& folders,
                const std::atomic<bool>* cancel, std::atomic<uint64_t>* counter) {
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return true;
    do {
        if (IsSet(cancel)) {
            FindClose(find);
            return false;
        }
        const wchar_t* name = data.cFileName;
        if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))) continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            folders.push_back(folder + name);
            continue;
        }
        const int64_t size = (int64_t)(((uint64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow);
        if (size >= minSize) {
            const uint64_t mtime =
                ((uint64_t)data.ftLastWriteTime.dwHighDateTime << 32) | data.ftLastWriteTime.dwLowDateTime;
            out.push_back({folder + name, size, mtime});
        }
        if (counter) counter->fetch_add(1);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return true;
}

}  // namespace

bool DupCollectFilesByWalk(const std::wstring& root, int64_t minSize, std::vector<DupFileItem>& out,
                           const std::atomic<bool>* cancel, std::atomic<uint64_t>* counter) {
    out.clear();
    WalkQueue queue;
    queue.folders.push_back(root);
    std::vector<std::vector<DupFileItem>> found(kWalkThreads);
    std::exception_ptr error;
    std::mutex errorMutex;
    auto walk = [&](int number) {
        try {
            std::vector<std::wstring> folders;
            std::wstring folder;
            while (queue.Take(&folder)) {
                const bool listed = ListFolder(std::move(folder), minSize, found[number], folders, cancel, counter);
                queue.Finish(folders, !listed || IsSet(cancel));
            }
        } catch (...) {
            {
                std::lock_guard<std::mutex> lock(errorMutex);
                if (!error) error = std::current_exception();
            }
            queue.Stop();  // the other thread must not wait for a folder this one never finishes
        }
    };
    std::vector<std::thread> helpers;
    try {
        for (int t = 1; t < kWalkThreads; ++t) helpers.emplace_back(walk, t);
    } catch (...) {
        // No second thread: this one walks alone.
    }
    walk(0);
    for (auto& th : helpers) th.join();
    if (error) std::rethrow_exception(error);
    size_t total = 0;
    for (const auto& part : found) total += part.size();
    out.reserve(total);
    for (auto& part : found) {
        for (auto& item : part) out.push_back(std::move(item));
    }
    // The same order whichever thread listed which folder.
    std::sort(out.begin(), out.end(), [](const DupFileItem& a, const DupFileItem& b) { return a.path < b.path; });
    return !IsSet(cancel);
}
