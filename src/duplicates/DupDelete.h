#pragma once
// Deleting copies from the duplicate view. Before anything is deleted, another copy of the
// file must be found that stays: a member of the group that is not selected, still has the
// group's size, is not the same file as a selected one (a link or a second drive letter), and,
// when the group was not made by this session's full comparison (loaded from the cache, or the
// fast and size-only modes), has the same whole-file hash as every selected file.
#include <windows.h>

#include <string>
#include <vector>

#include "duplicates/DupTypes.h"
#include "duplicates/DupView.h"

enum class DupKeepCheck {
    Ok,           // another copy stays
    NothingLeft,  // every member of the group is selected
    NoOtherCopy,  // no unselected member could be confirmed as a copy
};

// `paths` are members of `group` about to be deleted; verifyContent asks for the full hashes.
// *kept (when given) receives the confirmed copy.
DupKeepCheck DupCheckKeptCopy(const DupGroup& group, const std::vector<std::wstring>& paths, bool verifyContent,
                              std::wstring* kept = nullptr);

// Takes the deleted paths (case ignored) out of every group of the view, drops groups left with
// fewer than two files, recomputes the totals, keeps the selected group in range and clears the
// file selection. UI thread.
void DupApplyDeletedPaths(DuplicateFindView& view, const std::vector<std::wstring>& deleted);

// The Delete key and the two delete items of the context menu: checks that a copy stays, then
// deletes through the common routine (a question before a permanent deletion) and updates the
// groups. The group cache on disk is left as it is. True when anything was deleted.
bool DeleteSelectedInDuplicateView(HWND window, bool recycle);
