#include "duplicates/DupDelete.h"

#include <algorithm>

#include "core/Window.h"
#include "duplicates/DupHash.h"
#include "i18n/I18n.h"
#include "results/FileActions.h"

namespace {

constexpr uint32_t kVerifyDeadlineMs = 30000;

bool SamePath(const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }

bool Listed(const std::vector<std::wstring>& list, const std::wstring& path) {
    return std::any_of(list.begin(), list.end(), [&](const std::wstring& p) { return SamePath(p, path); });
}

// Each query gets its own time limit (an earlier hash on this thread may have used up its own).
bool Identity(const std::wstring& path, DupFileIdentity* id) {
    tls_hashTimedOut = false;
    tls_hashDeadline = GetTickCount64() + kDupOpenWaitMs;
    return DupQueryFileIdentity(path, id, nullptr);
}

std::wstring FullHash(const std::wstring& path, int64_t size) {
    return DupComputeFullHash(path, nullptr, kVerifyDeadlineMs, size);
}

}  // namespace

DupKeepCheck DupCheckKeptCopy(const DupGroup& group, const std::vector<std::wstring>& paths, bool verifyContent,
                              std::wstring* kept) {
    std::vector<const DupFileItem*> others;
    for (const DupFileItem& f : group.files) {
        if (!Listed(paths, f.path)) others.push_back(&f);
    }
    if (others.empty()) return DupKeepCheck::NothingLeft;

    // What is about to go: its identities, and its content when that must be compared.
    std::vector<DupFileIdentity> leaving;
    std::vector<std::wstring> leavingHashes;
    for (const std::wstring& p : paths) {
        // A selected file that cannot be identified might be a kept file reached another way.
        DupFileIdentity id;
        if (!Identity(p, &id)) return DupKeepCheck::NoOtherCopy;
        leaving.push_back(id);
        if (verifyContent) {
            std::wstring h = FullHash(p, group.size);
            // A selected file that cannot be read whole cannot be shown to equal anything.
            if (h.empty()) return DupKeepCheck::NoOtherCopy;
            leavingHashes.push_back(std::move(h));
        }
    }
    for (const DupFileItem* f : others) {
        DupFileIdentity id;
        if (!Identity(f->path, &id) || id.size != group.size) continue;
        if (std::find(leaving.begin(), leaving.end(), id) != leaving.end()) continue;
        if (verifyContent) {
            const std::wstring h = FullHash(f->path, group.size);
            if (h.empty() || std::any_of(leavingHashes.begin(), leavingHashes.end(),
                                         [&](const std::wstring& x) { return x != h; })) {
                continue;
            }
        }
        if (kept) *kept = f->path;
        return DupKeepCheck::Ok;
    }
    return DupKeepCheck::NoOtherCopy;
}

void DupApplyDeletedPaths(DuplicateFindView& view, const std::vector<std::wstring>& deleted) {
    if (deleted.empty() || view.groups.empty()) return;
    std::vector<DupGroup> kept;
    kept.reserve(view.groups.size());
    for (DupGroup& g : view.groups) {
        g.files.erase(std::remove_if(g.files.begin(), g.files.end(),
                                     [&](const DupFileItem& f) { return Listed(deleted, f.path); }),
                      g.files.end());
        g.totalBytes = DupGroupTotalBytes(g);
        if (g.files.size() >= 2) kept.push_back(std::move(g));
    }
    view.groups = std::move(kept);
    view.totalBytes = 0;
    view.totalFiles = 0;
    for (const DupGroup& g : view.groups) {
        view.totalBytes += (uint64_t)std::max<int64_t>(0, g.totalBytes);
        view.totalFiles += (uint32_t)g.files.size();
    }
    if (view.selectedGroup >= (int)view.groups.size()) view.selectedGroup = (int)view.groups.size() - 1;
    view.selectedFiles.clear();
    view.focusFile = -1;
    view.anchorFile = -1;
    view.ClampScroll();
    view.UpdateScrollbars();
}

bool DeleteSelectedInDuplicateView(HWND window, bool recycle) {
    DuplicateFindView& view = g_dupFindView;
    const std::vector<std::wstring> paths = view.GetSelectedPaths();
    if (paths.empty() || view.selectedGroup < 0 || view.selectedGroup >= (int)view.groups.size()) return false;
    const bool verify = view.fromCache.load() || view.compareMode != DupCompareMode::Exact;
    const DupKeepCheck check = DupCheckKeptCopy(view.groups[view.selectedGroup], paths, verify);
    if (check != DupKeepCheck::Ok) {
        const std::wstring text =
            check == DupKeepCheck::NothingLeft
                ? TrW(L"Dup_KeepOneCopy", L"该组的所有副本都已选中。请至少保留一个副本：未删除任何文件。",
                      L"Every copy in this group is selected. Keep at least one copy: nothing was deleted.")
                : TrW(L"Dup_NoOtherCopy",
                      L"无法确认还有其他相同的副本（文件可能在扫描后被修改或移除）。未删除任何文件。",
                      L"No other identical copy could be confirmed (files may have changed or gone since the "
                      L"scan). Nothing was deleted.");
        FileActionMessageBox(window, text, TrW(L"Dup_Title", L"重复文件", L"Duplicate Files"), MB_OK | MB_ICONWARNING);
        return false;
    }
    const std::vector<std::wstring> deleted = DeleteFilesWithConfirm(paths, recycle);
    if (deleted.empty()) return false;
    DupApplyDeletedPaths(view, deleted);
    if (IsLiveWindow(window)) InvalidateRect(window, nullptr, FALSE);
    return true;
}
