// A second name for everything a shell call may delete: the shell deletes for good what the
// Recycle Bin cannot take, and says nothing about it. Before the call every file gets a hard
// link under a hidden name beside it (a folder: a hidden sibling folder that mirrors its tree of
// folders and links); after the call a file whose only name left is the guard's was deleted for
// good, and goes back where it was.
#pragma once

#include <string>
#include <vector>

class RecycleGuard {
public:
    RecycleGuard() = default;
    RecycleGuard(const RecycleGuard&) = delete;
    RecycleGuard& operator=(const RecycleGuard&) = delete;
    ~RecycleGuard();

    // Makes the second names. False when the path cannot be guarded (no hard links on its file
    // system, a link or junction in it, a folder of more than kMaxEntries entries): nothing is
    // left behind then, and the path must not be handed to a call that may delete for good.
    bool Guard(const std::wstring& path);
    // After the shell call: puts back every file whose only name left is the guard's (at its
    // old path, or beside it under a clear name when that path was taken meanwhile), removes the
    // guard's names, and tells whether the shell took the path: it is gone and nothing had to
    // be put back.
    bool Finish();

    bool Active() const { return active_; }

    static constexpr size_t kMaxEntries = 2000;  // each costs about 1.5 ms under Wine

private:
    struct Entry {
        std::wstring rel;  // below the guarded path ("" for the path itself), with a leading '\'
        bool folder = false;
    };
    bool GuardFolder();
    void Rescue(const std::wstring& rel);
    bool Remove();  // true when a file had to be put back

    std::wstring original_;
    unsigned long originalAttributes_ = 0;
    std::wstring root_;           // the guard's name of the path: a link, or the mirror folder
    std::vector<Entry> entries_;  // parents before children
    bool active_ = false;
};
