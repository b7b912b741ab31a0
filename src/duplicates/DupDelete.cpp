#include "duplicates/DupDelete.h"

#include <algorithm>
#include <memory>

#include "core/Logs.h"
#include "core/Tasks.h"
#include "core/Window.h"
#include "duplicates/DupMode.h"
#include "i18n/I18n.h"
#include "results/FileActions.h"

namespace {

bool SamePath(const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }

bool Listed(const std::vector<std::wstring>& list, const std::wstring& path) {
    return std::any_of(list.begin(), list.end(), [&](const std::wstring& p) { return SamePath(p, path); });
}

bool IsSet(const std::atomic<bool>* flag) { return flag && flag->load(); }

}  // namespace

DupKeepCheck DupCheckKeptCopy(const DupGroup& group, const std::vector<std::wstring>& paths,
                              const std::atomic<bool>* cancel, const DupCheckProgressFn& progress,
                              DupKeepProof* proof) {
    auto failed = [&] { return IsSet(cancel) ? DupKeepCheck::Cancelled : DupKeepCheck::NoOtherCopy; };
    std::vector<const DupFileItem*> others;
    for (const DupFileItem& f : group.files) {
        if (!Listed(paths, f.path)) others.push_back(&f);
    }
    if (others.empty()) return DupKeepCheck::NothingLeft;
    if (paths.empty()) return DupKeepCheck::NoOtherCopy;

    // What is about to go, as it is now: a selected file that cannot be identified might be a
    // kept file reached another way.
    std::vector<DupFileIdentity> leaving(paths.size());
    uint64_t total = 0;
    for (size_t i = 0; i < paths.size(); ++i) {
        if (!DupQueryFileIdentity(paths[i], &leaving[i], cancel)) return failed();
        total += (uint64_t)std::max<int64_t>(0, leaving[i].size);
    }
    // A member that may stay: another file, of the size of what goes.
    auto mayStay = [&](const DupFileIdentity& id) {
        return id.size == leaving.front().size && std::find(leaving.begin(), leaving.end(), id) == leaving.end();
    };
    std::vector<DupFileIdentity> otherIds(others.size());
    size_t next = 0;
    auto nextCandidate = [&] {
        while (next < others.size()) {
            const size_t k = next++;
            if (DupQueryFileIdentity(others[k]->path, &otherIds[k], cancel) && mayStay(otherIds[k])) return k;
            if (IsSet(cancel)) return others.size();
        }
        return others.size();
    };
    size_t candidate = nextCandidate();
    if (candidate == others.size()) return failed();
    total += (uint64_t)std::max<int64_t>(0, otherIds[candidate].size);

    uint64_t done = 0;
    if (progress) progress(done, total);
    const DupReadProgress onBytes = [&](uint64_t bytes) {
        done += bytes;
        if (progress) progress(done, total);
    };
    DupKeepProof found;
    // Every selected file is read whole now; all must have one content.
    std::wstring content;
    std::vector<DupFileIdentity> read;  // identities of the selected files as they were read
    for (const std::wstring& path : paths) {
        DupFileIdentity stamp;
        UniqueHandle hold;
        const std::wstring hash = DupHashFileNow(path, cancel, &onBytes, &stamp, &hold, DupHold::AgainstWriting);
        if (hash.empty() || (!content.empty() && hash != content)) return failed();
        content = hash;
        read.push_back(stamp);
        found.leaving.push_back({path, stamp, std::move(hold)});
    }
    // The first other member with that content, read now, is the copy that stays.
    bool first = true;
    for (; candidate < others.size(); candidate = nextCandidate(), first = false) {
        if (!first) {
            total += (uint64_t)std::max<int64_t>(0, otherIds[candidate].size);
            if (progress) progress(done, total);
        }
        const std::wstring& path = others[candidate]->path;
        DupFileIdentity stamp;
        UniqueHandle hold;
        const std::wstring hash = DupHashFileNow(path, cancel, &onBytes, &stamp, &hold, DupHold::AgainstAnyChange);
        if (IsSet(cancel)) return DupKeepCheck::Cancelled;
        if (hash.empty() || hash != content || std::find(read.begin(), read.end(), stamp) != read.end()) continue;
        found.kept = {path, stamp, std::move(hold)};
        found.content = content;
        if (proof) *proof = std::move(found);
        return DupKeepCheck::Ok;
    }
    return failed();
}

namespace {

// The file at the path now is the one stamped, in the same state.
bool PathStillStamped(const std::wstring& path, const DupFileIdentity& stamp) {
    DupFileIdentity now;
    return DupQueryFileIdentity(path, &now, nullptr) && now.SameState(stamp);
}

// The largest selected copy read again on the window's thread when it did not go to the Recycle
// Bin (about a quarter of a second).
constexpr int64_t kReadAgainLimit = 64ll << 20;

// The same file with the same size and last-write time; its change time may have moved.
bool SameButChangeTime(const DupFileIdentity& a, const DupFileIdentity& b) {
    return a == b && a.size == b.size && a.mtime == b.mtime;
}

template <typename Proof>  // DupKeepProof, const or not
auto FindLeaving(Proof& proof, const std::wstring& path) -> decltype(&proof.leaving.front()) {
    for (auto& c : proof.leaving) {
        if (SamePath(c.path, path)) return &c;
    }
    return nullptr;
}

}  // namespace

bool DupKeptCopyStillHolds(const DupKeepProof& proof) {
    const DupKeepProof::Copy& kept = proof.kept;
    if (kept.path.empty() || !kept.held) return false;
    DupFileIdentity now;
    bool pending = true;
    return DupIdentityOfHandle(kept.held.get(), &now, &pending) && !pending && now.SameState(kept.stamp) &&
           PathStillStamped(kept.path, kept.stamp);
}

bool DupLeavingCopyUnchanged(const DupKeepProof& proof, const std::wstring& path, bool mustBeHeld) {
    const DupKeepProof::Copy* c = FindLeaving(proof, path);
    return c && (!mustBeHeld || c->held) && PathStillStamped(c->path, c->stamp);
}

bool DupKeepProofStillHolds(const DupKeepProof& proof) {
    if (proof.leaving.empty() || !DupKeptCopyStillHolds(proof)) return false;
    return std::all_of(proof.leaving.begin(), proof.leaving.end(),
                       [&](const DupKeepProof::Copy& c) { return PathStillStamped(c.path, c.stamp); });
}

void DupReleaseLeavingCopy(DupKeepProof& proof, const std::wstring& path) {
    if (DupKeepProof::Copy* c = FindLeaving(proof, path)) c->held.reset();
}

bool DupHoldLeavingCopyAgain(DupKeepProof& proof, const std::wstring& path) {
    DupKeepProof::Copy* c = FindLeaving(proof, path);
    if (!c) return false;
    UniqueHandle held(DupOpenHeldAgainstWriting(c->path));
    DupFileIdentity now;
    if (!held || !DupIdentityOfHandle(held.get(), &now) || !SameButChangeTime(now, c->stamp)) return false;
    if (now.ctime != c->stamp.ctime) {
        // The recycle attempt moves the change time itself (the file had a second name for a
        // while), and so does a rewrite with its time put back: the content tells them apart.
        // Read under the new hold, so nothing can write it meanwhile; a large file is not read
        // here on the window's thread and stays (it is not deleted).
        if (proof.content.empty() || now.size > kReadAgainLimit) return false;
        held.reset();
        DupFileIdentity stamp;
        UniqueHandle again;
        if (DupHashFileNow(c->path, nullptr, nullptr, &stamp, &again, DupHold::AgainstWriting) != proof.content ||
            !SameButChangeTime(stamp, c->stamp))
            return false;
        c->stamp = stamp;
        held = std::move(again);
    }
    c->held = std::move(held);
    return true;
}

void DupApplyDeletedPaths(DuplicateFindView& view, const std::vector<std::wstring>& deleted) {
    if (deleted.empty() || view.groups.empty()) return;
    std::vector<DupGroup> kept;
    kept.reserve(view.groups.size());
    for (DupGroup& g : view.groups) {
        g.files.erase(std::remove_if(g.files.begin(), g.files.end(),
                                     [&](const DupFileItem& f) { return Listed(deleted, f.path); }),
                      g.files.end());
        if (g.files.size() >= 2) kept.push_back(std::move(g));
    }
    view.groups = std::move(kept);
    view.RecomputeTotals();
    if (view.selectedGroup >= (int)view.groups.size()) view.selectedGroup = (int)view.groups.size() - 1;
    view.selectedFiles.clear();
    view.focusFile = -1;
    view.anchorFile = -1;
    view.ClampScroll();
    view.UpdateScrollbars();
}

// ---------------------------------------------------------------------------------------------
// The view's delete.

namespace {

// Shared by the check's task and the UI thread.
struct CheckShared {
    std::atomic<uint64_t> done{0};
    std::atomic<uint64_t> total{0};
    std::atomic<uint64_t> lastPost{0};
};

struct CheckOutcome {
    DupKeepCheck result = DupKeepCheck::NoOtherCopy;
    DupKeepProof proof;
};

// The running check (UI thread); id 0 when none runs.
struct ActiveCheck {
    uint64_t id = 0;
    TaskId task = 0;
    bool recycle = false;
    std::vector<std::wstring> paths;
    std::shared_ptr<CheckShared> shared;
};
ActiveCheck g_active;
uint64_t g_lastCheckId = 0;

constexpr uint64_t kProgressPostMs = 100;

void SetStatusLine(const std::wstring& text) {
    if (IsLiveWindow(g_hStatusText)) SetWindowTextW(g_hStatusText, text.c_str());
}

void Repaint(HWND window) {
    if (IsLiveWindow(window)) InvalidateRect(window, nullptr, FALSE);
}

void ShowRefusal(HWND window, DupKeepCheck check) {
    const std::wstring text =
        check == DupKeepCheck::NothingLeft
            ? TrW(L"Dup_KeepOneCopy", L"该组的所有副本都已选中。请至少保留一个副本：未删除任何文件。",
                  L"Every copy in this group is selected. Keep at least one copy: nothing was deleted.")
            : TrW(L"Dup_NoOtherCopy", L"无法确认还有其他相同的副本（文件可能在扫描后被修改或移除）。未删除任何文件。",
                  L"No other identical copy could be confirmed (files may have changed or gone since the scan). "
                  L"Nothing was deleted.");
    FileActionMessageBox(window, text, TrW(L"Dup_Title", L"重复文件", L"Duplicate Files"), MB_OK | MB_ICONWARNING);
}

std::wstring CancelledText() {
    return TrW(L"Dup_StatusDeleteCancelled", L"删除已取消：未删除任何文件。", L"Delete cancelled: nothing was deleted.");
}

// The view enters or leaves the checking state (its summary card changes height).
void ShowChecking(HWND window, bool on) {
    DuplicateFindView& view = g_dupFindView;
    view.deleteChecking = on;
    view.checkBytesDone = 0;
    view.checkBytesTotal = 0;
    InvalidateDupLayout();
    Repaint(window);
}

void EndCheck(HWND window) {
    g_active = ActiveCheck{};
    ShowChecking(window, false);
}

void FinishDelete(HWND window, const ActiveCheck& check, CheckOutcome& outcome) {
    switch (outcome.result) {
    case DupKeepCheck::Cancelled:
        SetStatusLine(CancelledText());
        return;
    case DupKeepCheck::NothingLeft:
    case DupKeepCheck::NoOtherCopy:
        SetStatusLine(L"");
        ShowRefusal(window, outcome.result);
        return;
    case DupKeepCheck::Ok:
        break;
    }
    SetStatusLine(L"");
    DupKeepProof& proof = outcome.proof;
    // The proof holds the files while the user answers (the copy that stays against any change,
    // the selected ones against writing); they must still be those that were read, unchanged.
    if (!check.recycle && !ConfirmPermanentDelete(check.paths)) return;
    if (!DupKeepProofStillHolds(proof)) {
        ShowRefusal(window, DupKeepCheck::NoOtherCopy);
        return;
    }
    // Looked at again right before each file goes, and after the question that follows a failed
    // recycle; the copy that stays is held until the deletion is over.
    bool changed = false;
    DeleteStepHooks steps;
    steps.before = [&](const std::wstring& path) {
        if (!DupKeptCopyStillHolds(proof) || !DupLeavingCopyUnchanged(proof, path)) {
            changed = true;
            return false;
        }
        DupReleaseLeavingCopy(proof, path);
        return true;
    };
    steps.after = [&](const std::wstring& path, bool gone) {
        if (!gone) DupHoldLeavingCopyAgain(proof, path);
    };
    steps.beforePermanent = [&](const std::vector<std::wstring>& left) {
        const bool holds = DupKeptCopyStillHolds(proof) &&
                           std::all_of(left.begin(), left.end(),
                                       [&](const std::wstring& p) { return DupLeavingCopyUnchanged(proof, p, true); });
        if (!holds) changed = true;
        return holds;
    };
    const DeleteOutcome deleted = DeletePaths(check.paths, check.recycle, true, steps);
    proof = DupKeepProof{};
    if (changed && deleted.deleted.empty()) {
        ShowRefusal(window, DupKeepCheck::NoOtherCopy);
    } else if (changed) {
        // Some went before a later one was refused: the refusal's "nothing was deleted" is wrong.
        const std::wstring text = FormatTableText(
            Tr(L"Msg_DeleteFailedCountFmt", L"无法删除 %zu 个选中的项目。", L"Failed to delete %zu selected items.").c_str(),
            check.paths.size() - deleted.deleted.size());
        FileActionMessageBox(window, text, TrW(L"Dup_Title", L"重复文件", L"Duplicate Files"), MB_OK | MB_ICONWARNING);
    }
    if (deleted.deleted.empty()) return;
    DupApplyDeletedPaths(g_dupFindView, deleted.deleted);
    Repaint(window);
}

}  // namespace

bool IsDupDeleteCheckRunning() { return g_active.id != 0; }

bool DeleteSelectedInDuplicateView(HWND window, bool recycle) {
    DuplicateFindView& view = g_dupFindView;
    // Input while a check (or a scan) runs starts nothing.
    if (IsDupDeleteCheckRunning() || view.running.load()) return false;
    const std::vector<std::wstring> paths = view.GetSelectedPaths();
    if (paths.empty() || view.selectedGroup < 0 || view.selectedGroup >= (int)view.groups.size()) return false;
    const DupGroup& group = view.groups[view.selectedGroup];
    if (std::all_of(group.files.begin(), group.files.end(),
                    [&](const DupFileItem& f) { return Listed(paths, f.path); })) {
        ShowRefusal(window, DupKeepCheck::NothingLeft);
        return false;
    }
    auto shared = std::make_shared<CheckShared>();
    const uint64_t id = ++g_lastCheckId;
    TaskId task = 0;
    try {
        task = RunCancellableTask(L"dup_delete_check", [group, paths, shared, id, window](const std::atomic<bool>& cancel) {
            auto outcome = std::make_unique<CheckOutcome>();
            const DupCheckProgressFn progress = [&](uint64_t done, uint64_t total) {
                shared->done = done;
                shared->total = total;
                const uint64_t now = GetTickCount64();
                if (now - shared->lastPost.load() < kProgressPostMs) return;
                shared->lastPost = now;
                PostMessageIfWindow(window, WM_APP_DUP_CHECK_PROGRESS, (WPARAM)id, 0);
            };
            try {
                outcome->result = DupCheckKeptCopy(group, paths, &cancel, progress, &outcome->proof);
            } catch (...) {
                // The window must hear that the check ended (it refuses the delete); the runner logs.
                PostValue(window, WM_APP_DUP_CHECK_DONE, (WPARAM)id, std::make_unique<CheckOutcome>());
                throw;
            }
            PostValue(window, WM_APP_DUP_CHECK_DONE, (WPARAM)id, std::move(outcome));
        });
    } catch (const std::exception&) {
        LogBackgroundException(L"dup_delete_check");
        return false;
    }
    g_active = ActiveCheck{id, task, recycle, paths, shared};
    ShowChecking(window, true);
    SetStatusLine(DupDeleteCheckText(0, 0));
    // Esc reaches the view's key handling while the window has the keyboard focus (its controls
    // pass it on as well).
    if (IsLiveWindow(window) && GetFocus() != window) SetFocus(window);
    return true;
}

bool CancelDupDeleteCheck(HWND window) {
    if (!IsDupDeleteCheckRunning()) return false;
    CancelTask(g_active.task);
    EndCheck(window);
    SetStatusLine(CancelledText());
    return true;
}

void StopDupDeleteCheckForExit(uint32_t timeoutMs) {
    const TaskId task = g_active.task;
    if (!CancelDupDeleteCheck(nullptr) || !task) return;
    const uint64_t end = GetTickCount64() + timeoutMs;
    while (IsTaskRunning(task) && GetTickCount64() < end) Sleep(10);
}

bool HandleDupDeleteCheckMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP_DUP_CHECK_PROGRESS) {
        if (IsDupDeleteCheckRunning() && wParam == (WPARAM)g_active.id) {
            DuplicateFindView& view = g_dupFindView;
            view.checkBytesDone = g_active.shared->done.load();
            view.checkBytesTotal = g_active.shared->total.load();
            SetStatusLine(DupDeleteCheckText(view.checkBytesDone, view.checkBytesTotal));
            Repaint(window);
        }
        return true;
    }
    if (msg != WM_APP_DUP_CHECK_DONE) return false;
    std::unique_ptr<CheckOutcome> outcome = TakePosted<CheckOutcome>(lParam);
    // A check that was cancelled (or whose window went) deletes nothing.
    if (!outcome || !IsDupDeleteCheckRunning() || wParam != (WPARAM)g_active.id) return true;
    const ActiveCheck check = g_active;
    EndCheck(window);
    FinishDelete(window, check, *outcome);
    return true;
}
