#pragma once
// Deleting copies from the duplicate view. Nothing is deleted unless another copy of the file
// stays, and that is decided from the files as they are at the moment of deleting, whatever the
// compare mode and wherever the group came from (a scan, the group cache): every selected file
// and a member of the group that is not selected are read whole and hashed now (never from a
// cache), their hashes must be equal, and the copy that stays must be another file (identity)
// than each selected one.
//
// Reading big files takes a while, so the check runs as a background task ("dup_delete_check")
// with its progress (bytes read of the total) in the view's status text; Esc, another scan, a
// drive or mode change, leaving the mode and closing the window cancel it, and a cancelled check
// deletes nothing. The question before a permanent deletion and the deletion itself come on the
// UI thread once the check has succeeded.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "duplicates/DupHash.h"
#include "duplicates/DupTypes.h"
#include "duplicates/DupView.h"

enum class DupKeepCheck {
    Ok,           // another copy stays
    NothingLeft,  // every member of the group is selected
    NoOtherCopy,  // no unselected member could be confirmed as a copy
    Cancelled,    // the cancel flag was set
};

// What a successful check found: the copy that stays and each selected file, with the identity,
// size and times of each as they were when read. From the reading until the proof goes, the
// copy that stays is held open sharing reading only (no program can write, delete or rename
// it), and each selected file is held against writing (it can still be deleted, by this program
// too); a selected file's hold is let go right before its own deletion (a held file would stay
// where it is until its handle closes on some systems) and taken again when it did not go.
struct DupKeepProof {
    struct Copy {
        std::wstring path;
        DupFileIdentity stamp;
        UniqueHandle held;
    };
    Copy kept;
    std::vector<Copy> leaving;
    std::wstring content;  // the hash all of them had when read
};

// Told the bytes read so far and the bytes the check expects to read.
using DupCheckProgressFn = std::function<void(uint64_t done, uint64_t total)>;

// `paths` are members of `group` about to be deleted. Reads them and the other members in full
// (see above); any thread. progress and proof may be null.
DupKeepCheck DupCheckKeptCopy(const DupGroup& group, const std::vector<std::wstring>& paths,
                              const std::atomic<bool>* cancel, const DupCheckProgressFn& progress,
                              DupKeepProof* proof);

// The last looks, just before deleting (each opens only what it names):
// The copy that stays is still held, and both through its handle and by its path it is the file
// that was read, unchanged (size, last-write time, change time) and not about to be deleted.
bool DupKeptCopyStillHolds(const DupKeepProof& proof);
// The selected file at `path` (one of the proof's) is, by its path, the file that was read,
// unchanged; with `mustBeHeld`, it must also be held.
bool DupLeavingCopyUnchanged(const DupKeepProof& proof, const std::wstring& path, bool mustBeHeld = false);
// Both of the above for every file of the proof.
bool DupKeepProofStillHolds(const DupKeepProof& proof);
// Lets go of the selected file's hold (right before it is deleted) or takes it again (it did not
// go); taking it again fails, and holds nothing, when the file is not the one read, unchanged
// (where only its change time moved, as the recycle attempt itself moves it, its content is read
// again under the new hold and must be the one read; a file over 64 MiB is not read again).
void DupReleaseLeavingCopy(DupKeepProof& proof, const std::wstring& path);
bool DupHoldLeavingCopyAgain(DupKeepProof& proof, const std::wstring& path);

// Takes the deleted paths (case ignored) out of every group of the view, drops groups left with
// fewer than two files, recomputes the totals, keeps the selected group in range and clears the
// file selection. UI thread.
void DupApplyDeletedPaths(DuplicateFindView& view, const std::vector<std::wstring>& deleted);

// ---------------------------------------------------------------------------------------------
// The view's delete (UI thread).

// The Delete key and the two delete items of the context menu: refuses at once when every copy
// is selected, otherwise starts the check of the selected files. False when nothing was started
// (nothing selected, every copy selected, or a check already runs).
bool DeleteSelectedInDuplicateView(HWND window, bool recycle);
// True while a check runs.
bool IsDupDeleteCheckRunning();
// Cancels a running check (nothing is deleted); the status says so. False when none ran.
bool CancelDupDeleteCheck(HWND window);
// The window is going: the check is cancelled and waited for (up to timeoutMs).
void StopDupDeleteCheckForExit(uint32_t timeoutMs);
// The check's progress and done messages; true when msg was one of them. After a successful
// check: the question before a permanent deletion, a last look at the files, the deletion
// through the common routine and the groups updated. The group cache on disk is left as it is.
bool HandleDupDeleteCheckMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
