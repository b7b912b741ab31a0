#pragma once
// Folder listings of the layer's own journal (StandInJournal.cpp): one folder at a time, and the
// listers of a drive's first walk. Internal to src/platform.
#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace volumeio {

struct ListedEntry {
    uint64_t fileId = 0;
    int64_t created = 0, written = 0, size = 0;
    DWORD attrs = 0;
    uint32_t nameAt = 0;       // in Listing::names
    uint16_t nameLength = 0;   // 1..255
};

// One folder's entries, their names side by side in one buffer.
struct Listing {
    std::vector<ListedEntry> entries;
    std::vector<wchar_t> names;
    std::wstring_view Name(const ListedEntry& e) const { return {names.data() + e.nameAt, e.nameLength}; }
    void Clear() {
        entries.clear();
        names.clear();
    }
};

// Lists a folder's entries without "." and ".." (names of 1 to 255 characters); `buffer` is the
// caller's scratch. False when the folder cannot be listed to its end.
bool ListFolderEntries(const std::wstring& path, std::vector<BYTE>& buffer, Listing& out);

// Lists the folders of a tree on threads of its own while the caller builds its model from the
// listings. Under Wine a listing holds one lock of the process for most of its time, so a few
// listers at most pay (the caller chooses how many) and the caller lists nothing itself. The
// listers walk the tree on their
// own and the caller takes the listings by path (Take) in the order of a depth-first walk by one
// thread that enters a folder's subfolders from its last listed to its first, so that what it
// builds does not depend on which listing ends first. The listers list the folders in that same
// order (the first the caller will need first), so the caller seldom waits and few listings wait
// for it; a folder it does wait for is listed before any other. A folder is entered when it is a
// folder and no reparse point, down to `maxDepth` levels.
class ParallelLister {
public:
    struct Result {
        std::wstring path;
        bool ok = false;
        Listing listing;
    };

    ParallelLister(unsigned listers, const std::wstring& root, int maxDepth);
    ~ParallelLister();
    ParallelLister(const ParallelLister&) = delete;
    ParallelLister& operator=(const ParallelLister&) = delete;

    // The listing of a folder of the tree (waits for it); each folder is taken once. A folder
    // the listers do not know (or without lister threads) is listed on the caller's thread.
    void Take(const std::wstring& path, Result& out);

private:
    enum class State { Waiting, Busy, Done };
    using Order = std::vector<uint32_t>;   // place in the caller's walk: compared as words
    struct Folder {
        int depth = 0;
        State state = State::Waiting;
        Order order;
        Result result;
    };
    static constexpr size_t kMaxReady = 256;   // listings made ahead and not taken, at most
    void Run();
    // The next folder to list, marked busy (caller holds mutex_); false when there is none.
    bool TakeWork(std::wstring& path);
    void AddFound(const std::wstring& path, int depth, Order order);   // caller holds mutex_

    const int maxDepth_;
    std::mutex mutex_;
    std::condition_variable workCv_, doneCv_;
    std::unordered_map<std::wstring, Folder> folders_;   // found and not taken
    std::map<Order, std::wstring> waiting_;              // folders to list, in the caller's order
    size_t ready_ = 0, busy_ = 0;
    std::wstring wanted_;                                // the caller waits for it, not started
    bool stop_ = false;
    std::vector<std::thread> threads_;
    std::vector<BYTE> callerBuffer_;
};

}  // namespace volumeio
