#include "duplicates/DupView.h"

#include <algorithm>

#include "i18n/I18n.h"

DuplicateFindView g_dupFindView;

// The counts go to the text's placeholders ("%zu", "%llu") as 64-bit values.
static_assert(sizeof(size_t) == sizeof(unsigned long long), "counts are passed as 64-bit values");

DupStatus::DupStatus(const wchar_t* k, const wchar_t* c, const wchar_t* e, std::initializer_list<uint64_t> values)
    : key(k), chinese(c), english(e) {
    for (uint64_t v : values) {
        if (countCount == 4) break;
        counts[countCount++] = v;
    }
}

std::wstring DupStatus::Text() const {
    if (!key) return {};
    const std::wstring text = TrW(key, chinese, english);
    if (countCount == 0) return text;
    std::wstring formatted = FormatTableText(text.c_str(), (unsigned long long)counts[0], (unsigned long long)counts[1],
                                             (unsigned long long)counts[2], (unsigned long long)counts[3]);
    if (formatted.size() > 255) formatted.resize(255);
    return formatted;
}

DupStatus DupHintStatus() { return {L"Dup_HintStart", L"选择磁盘后点击“扫描”", L"Select a drive and click Scan"}; }

namespace {

bool PointIn(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

int Height(const RECT& r) { return std::max<int>(0, r.bottom - r.top); }

}  // namespace

DuplicateFindView::DuplicateFindView() {
    selectedFiles.max_load_factor(1.0f);
    selectedFiles.rehash(8);
}

void DuplicateFindView::SetWorkerFile(int slot, const std::wstring& path) {
    if (slot < 0 || slot >= kDupWorkerSlots) return;
    std::lock_guard<std::mutex> lock(slotMutex);
    slotPath[slot] = path;
    slotStartTick[slot] = GetTickCount64();
}

void DuplicateFindView::ClearWorkerFile(int slot) {
    if (slot < 0 || slot >= kDupWorkerSlots) return;
    std::lock_guard<std::mutex> lock(slotMutex);
    slotPath[slot].clear();
    slotStartTick[slot] = 0;
}

bool DuplicateFindView::GetOldestWorkerFile(std::wstring* path, uint32_t* ageSeconds) {
    if (path) path->clear();
    if (ageSeconds) *ageSeconds = 0;
    std::lock_guard<std::mutex> lock(slotMutex);
    int best = -1;
    for (int i = 0; i < kDupWorkerSlots; ++i) {
        if (slotPath[i].empty() || slotStartTick[i] == 0) continue;
        if (best < 0 || slotStartTick[i] < slotStartTick[best]) best = i;
    }
    if (best < 0) return false;
    if (path) *path = slotPath[best];
    const uint64_t now = GetTickCount64();
    if (ageSeconds) *ageSeconds = now > slotStartTick[best] ? (uint32_t)((now - slotStartTick[best]) / 1000) : 0;
    return true;
}

void DuplicateFindView::SetStatus(const DupStatus& newStatus) {
    std::lock_guard<std::mutex> lock(mutex);
    status = newStatus;
}

std::wstring DuplicateFindView::GetStatusText() {
    DupStatus copy;
    {
        std::lock_guard<std::mutex> lock(mutex);
        copy = status;
    }
    return copy.Text();
}

void DuplicateFindView::SetPhase(uint32_t newPhase, const DupStatus& newStatus) {
    phase = newPhase;
    SetStatus(newStatus);
}

void DuplicateFindView::ParkResults(std::vector<DupGroup> newGroups, bool cached, uint64_t generation) {
    std::lock_guard<std::mutex> lock(mutex);
    parkedGroups_ = std::move(newGroups);
    parkedFromCache_ = cached;
    parkedGeneration_ = generation;
    hasParked_ = true;
}

bool DuplicateFindView::TakeParkedResults(std::vector<DupGroup>* out, bool* cached, uint64_t* generation) {
    std::lock_guard<std::mutex> lock(mutex);
    if (!hasParked_) return false;
    if (out) *out = std::move(parkedGroups_);
    if (cached) *cached = parkedFromCache_;
    if (generation) *generation = parkedGeneration_;
    parkedGroups_.clear();
    hasParked_ = false;
    return true;
}

void DuplicateFindView::ClearSelection() {
    selectedFiles.clear();
    focusFile = -1;
    anchorFile = -1;
}

void DuplicateFindView::Reset() {
    stopRequested = true;
    paused = false;
    running = false;
    progressDone = 0;
    progressTotal = 0;
    phase = 0;
    permille = 0;
    resultsReady = false;
    fromCache = false;
    timeoutCount = 0;
    {
        std::lock_guard<std::mutex> lock(mutex);
        status = DupStatus{};
        parkedGroups_.clear();
        hasParked_ = false;
    }
    {
        std::lock_guard<std::mutex> lock(slotMutex);
        for (int i = 0; i < kDupWorkerSlots; ++i) {
            slotPath[i].clear();
            slotStartTick[i] = 0;
        }
    }
    groups.clear();
    totalBytes = 0;
    totalFiles = 0;
    groupScroll = 0;
    fileScroll = 0;
    hoverGroup = -1;
    hoverFile = -1;
    selectedGroup = -1;
    drive = 0;
    ClearSelection();
    dragMode = 0;
    hoverBar = 0;
}

void DuplicateFindView::RecomputeTotals() {
    totalBytes = 0;
    totalFiles = 0;
    constexpr uint64_t kMaxBytes = (uint64_t)INT64_MAX;
    for (DupGroup& g : groups) {
        g.totalBytes = DupGroupTotalBytes(g);
        const uint64_t bytes = (uint64_t)std::max<int64_t>(0, g.totalBytes);
        totalBytes = bytes > kMaxBytes - totalBytes ? kMaxBytes : totalBytes + bytes;
        const uint64_t files = std::min<uint64_t>(g.files.size(), UINT32_MAX);
        totalFiles = files > UINT32_MAX - totalFiles ? UINT32_MAX : totalFiles + (uint32_t)files;
    }
}

void DuplicateFindView::SetResults(std::vector<DupGroup> newGroups, bool cached) {
    groups = std::move(newGroups);
    RecomputeTotals();
    std::stable_sort(groups.begin(), groups.end(), [](const DupGroup& a, const DupGroup& b) {
        if (a.totalBytes != b.totalBytes) return a.totalBytes > b.totalBytes;
        if (a.size != b.size) return a.size > b.size;
        return a.files.size() > b.files.size();
    });
    resultsReady = true;
    fromCache = cached;
    phase = 7;
    permille = 1000;
    groupScroll = 0;
    fileScroll = 0;
    ClearSelection();
    selectedGroup = groups.empty() ? -1 : 0;
}

int DuplicateFindView::SelectedFileCount() const {
    if (selectedGroup < 0 || selectedGroup >= (int)groups.size()) return 0;
    return (int)groups[selectedGroup].files.size();
}

void DuplicateFindView::SelectGroup(int i) {
    if (i < 0 || i >= (int)groups.size()) return;
    if (i != selectedGroup) {
        selectedGroup = i;
        ClearSelection();
        fileScroll = 0;
    }
    UpdateScrollbars();
}

bool DuplicateFindView::IsFileSelected(int i) const { return selectedFiles.count(i) != 0; }

void DuplicateFindView::SelectFile(int i) {
    if (i < 0 || i >= SelectedFileCount()) return;
    selectedFiles.clear();
    selectedFiles.insert(i);
    focusFile = anchorFile = i;
}

void DuplicateFindView::ToggleFileSelection(int i) {
    if (i < 0 || i >= SelectedFileCount()) return;
    if (!selectedFiles.erase(i)) selectedFiles.insert(i);
    focusFile = anchorFile = i;
    if (selectedFiles.empty()) focusFile = -1;
}

void DuplicateFindView::SelectFileRange(int i) {
    const int count = SelectedFileCount();
    if (i < 0 || i >= count) return;
    selectedFiles.clear();
    if (anchorFile < 0 || anchorFile >= count) {
        anchorFile = i;
        selectedFiles.insert(i);
    } else {
        for (int k = std::min(anchorFile, i); k <= std::max(anchorFile, i); ++k) selectedFiles.insert(k);
    }
    focusFile = i;
}

void DuplicateFindView::SelectAllFiles() {
    if (selectedGroup < 0 || selectedGroup >= (int)groups.size()) return;
    const int count = SelectedFileCount();
    selectedFiles.clear();
    for (int k = 0; k < count; ++k) selectedFiles.insert(k);
    focusFile = anchorFile = count > 0 ? 0 : -1;
}

std::vector<std::wstring> DuplicateFindView::GetSelectedPaths() const {
    std::vector<std::wstring> out;
    if (selectedGroup < 0 || selectedGroup >= (int)groups.size()) return out;
    const auto& files = groups[selectedGroup].files;
    std::vector<int32_t> picked(selectedFiles.begin(), selectedFiles.end());
    std::sort(picked.begin(), picked.end());
    for (int32_t i : picked) {
        if (i >= 0 && i < (int)files.size() && !files[i].path.empty()) out.push_back(files[i].path);
    }
    if (out.empty() && picked.empty() && focusFile >= 0 && focusFile < (int)files.size() &&
        !files[focusFile].path.empty()) {
        out.push_back(files[focusFile].path);
    }
    return out;
}

bool DuplicateFindView::GetPrimarySelectedPath(std::wstring* out) const {
    auto paths = GetSelectedPaths();
    if (paths.empty()) return false;
    if (out) *out = paths.front();
    return true;
}

int DuplicateFindView::MaxGroupScroll() const {
    return std::max(0, (int)groups.size() * groupRowHeight - Height(groupListRect));
}

int DuplicateFindView::MaxFileScroll() const {
    return std::max(0, SelectedFileCount() * fileRowHeight - Height(fileListRect));
}

void DuplicateFindView::ClampScroll() {
    groupScroll = std::clamp(groupScroll, 0, MaxGroupScroll());
    fileScroll = std::clamp(fileScroll, 0, MaxFileScroll());
}

void DupComputeScrollbar(const RECT& view, int content, int scroll, int barWidth, int dpi, bool* shown,
                         RECT* track, RECT* thumb) {
    const int viewH = Height(view);
    *shown = content > viewH + 2;
    *track = RECT{};
    *thumb = RECT{};
    if (!*shown) return;
    *track = RECT{view.right - barWidth, view.top, view.right, view.bottom};
    int thumbH = content < 1 ? viewH : MulDiv(viewH, viewH, content);
    const int minThumb = std::max(1, MulDiv(28, std::max(dpi, 96), 96));
    thumbH = std::max(minThumb, std::min(thumbH, viewH));
    const int freeSpace = std::max(0, viewH - thumbH);
    const int range = std::max(0, content - viewH);
    const int offset = (freeSpace < 1 || range < 1) ? 0 : MulDiv(freeSpace, scroll, range);
    *thumb = RECT{track->left + 1, track->top + offset, track->right - 1, track->top + offset + thumbH};
}

void DuplicateFindView::UpdateScrollbars() {
    ClampScroll();
    DupComputeScrollbar(groupListRect, (int)groups.size() * groupRowHeight, groupScroll, scrollbarWidth,
                        layoutDpi, &groupBarShown, &groupTrackRect, &groupThumbRect);
    DupComputeScrollbar(fileListRect, SelectedFileCount() * fileRowHeight, fileScroll, scrollbarWidth, layoutDpi,
                        &fileBarShown, &fileTrackRect, &fileThumbRect);
}

void DuplicateFindView::OnMouseWheel(int x, int y, int notches) {
    if (PointIn(fileListRect, x, y) || PointIn(fileHeaderRect, x, y)) {
        fileScroll -= notches * 3 * fileRowHeight;
    } else {
        groupScroll -= notches * 2 * groupRowHeight;
    }
    ClampScroll();
    UpdateScrollbars();
}

bool DuplicateFindView::BeginScrollbarDrag(int x, int y) {
    UpdateScrollbars();
    auto begin = [&](int mode, const RECT& thumb) {
        dragMode = mode;
        if (!(y >= thumb.top && y < thumb.bottom)) DragScrollTo(y);
        return true;
    };
    if (groupBarShown && PointIn(groupTrackRect, x, y)) return begin(1, groupThumbRect);
    if (fileBarShown && PointIn(fileTrackRect, x, y)) return begin(2, fileThumbRect);
    return false;
}

void DuplicateFindView::DragScrollTo(int y) {
    UpdateScrollbars();
    if (dragMode != 1 && dragMode != 2) return;
    const RECT& track = dragMode == 1 ? groupTrackRect : fileTrackRect;
    const RECT& thumb = dragMode == 1 ? groupThumbRect : fileThumbRect;
    const int thumbH = thumb.bottom - thumb.top;
    const int freeSpace = (track.bottom - track.top) - thumbH;
    const int maxScroll = dragMode == 1 ? MaxGroupScroll() : MaxFileScroll();
    int scroll = 0;
    if (maxScroll >= 1 && freeSpace >= 1) {
        scroll = MulDiv(maxScroll, std::clamp(y - thumbH / 2 - (int)track.top, 0, freeSpace), freeSpace);
    }
    (dragMode == 1 ? groupScroll : fileScroll) = scroll;
    UpdateScrollbars();
}

DupHit DuplicateFindView::HitTest(int x, int y) const {
    DupHit hit;
    if (groupBarShown && PointIn(groupTrackRect, x, y)) {
        hit.kind = 2;
        return hit;
    }
    if (fileBarShown && PointIn(fileTrackRect, x, y)) {
        hit.kind = 4;
        return hit;
    }
    auto row = [](int scroll, const RECT& list, int y, int rowHeight) {
        const int num = scroll - (int)list.top + y;
        return (num >= 0 && rowHeight > 0) ? num / rowHeight : -1;
    };
    if (PointIn(groupListRect, x, y)) {
        if (x < groupListRect.right - (groupBarShown ? scrollbarWidth : 0)) {
            const int r = row(groupScroll, groupListRect, y, groupRowHeight);
            if (r >= 0 && r < (int)groups.size()) {
                hit.kind = 1;
                hit.group = r;
            }
        }
        return hit;
    }
    if (PointIn(fileListRect, x, y) && selectedGroup >= 0 && selectedGroup < (int)groups.size()) {
        if (x < fileListRect.right - (fileBarShown ? scrollbarWidth : 0)) {
            const int r = row(fileScroll, fileListRect, y, fileRowHeight);
            if (r >= 0 && r < SelectedFileCount()) {
                hit.kind = 3;
                hit.group = selectedGroup;
                hit.file = r;
            }
        }
    }
    return hit;
}
