// The analysis panel's state: reset, summary, rows of a location, navigation and history.
#include "analysis/AnalysisView.h"

#include <algorithm>
#include <cwchar>

#include "i18n/I18n.h"

AnalysisView g_analysisView;

namespace {
constexpr size_t kMaxHistory = 64;
constexpr int kMaxWalk = 512;
}  // namespace

AnalysisView::AnalysisView() { chart.otherLabel = L"Other"; }
AnalysisView::~AnalysisView() = default;

void AnalysisView::ClearChart() {
    chart.segments.clear();
    chart.cx = chart.cy = 0;
    chart.outerRadius = chart.innerRadius = 0;
    chart.rect = RECT{};
    chart.otherCount = 0;
}

void AnalysisView::Reset() {
    cancel.store(true);
    busy.store(false);
    failed.store(false);
    progressDone.store(0);
    progressTotal.store(0);
    {
        std::lock_guard<std::mutex> lock(mutex);
        status = AnalysisStatus::None;
        errorText.clear();
        drives.clear();
    }
    ClearChart();
    allDisksMode = false;
    currentDrive = -1;
    currentFolder = focusFrn = 0;
    selection.clear();
    anchorRow = hoveredRow = hoveredSegment = hoveredExtRow = hoveredCrumb = -1;
    rowScroll = extScroll = draggedBar = hoveredBar = 0;
    ready.store(false);
    extExpanded = true;
    summaryLetter = 0;
    summaryLabel.clear();
    summaryFileSystem.clear();
    totalBytes = freeBytes = 0;
    rows.clear();
    extRows.clear();
    crumbs.clear();
    driveRows.clear();
    ringTitle.clear();
    ringValue.clear();
    backStack.clear();
    forwardStack.clear();
    fromHistory = false;
}

std::wstring AnalysisView::StatusText() {
    AnalysisStatus now;
    std::wstring error;
    {
        std::lock_guard<std::mutex> lock(mutex);
        now = status;
        error = errorText;
    }
    switch (now) {
    case AnalysisStatus::NeedDrive: return Tr(L"Analysis_NeedDrive", L"请选择一个磁盘", L"Please select a drive");
    case AnalysisStatus::ScanningAll: return Tr(L"Analysis_ScanningAll", L"正在扫描全部磁盘...", L"Scanning all disks...");
    case AnalysisStatus::ScanningDrive: return Tr(L"Analysis_ScanningMft", L"正在扫描 MFT...", L"Scanning MFT...");
    case AnalysisStatus::Done: return Tr(L"Analysis_ScanDoneSimple", L"分析完成", L"Analysis done");
    case AnalysisStatus::Failed:
        return error.empty() ? Tr(L"Analysis_ScanFailed", L"磁盘分析失败", L"Disk analysis failed") : error;
    case AnalysisStatus::None: break;
    }
    return {};
}

void AnalysisView::SetStatus(AnalysisStatus newStatus, const std::wstring& error) {
    std::lock_guard<std::mutex> lock(mutex);
    status = newStatus;
    errorText = error;
}

void AnalysisView::Relocalize() {
    for (const auto& d : drives)
        if (d) NameDriveAnalysis(d.get());
    UpdateSummary();
    Rebuild();
}

DriveAnalysis* AnalysisView::CurrentDrive() const {
    if (currentDrive < 0 || static_cast<size_t>(currentDrive) >= drives.size()) return nullptr;
    return drives[static_cast<size_t>(currentDrive)].get();
}

DiskAnalysisModel* AnalysisView::CurrentModel() const {
    DriveAnalysis* d = CurrentDrive();
    return d ? &d->model : nullptr;
}

AnalysisLocation AnalysisView::CurrentLocation() const {
    if (IsAllDisksLocation()) return {true, -1, 0};
    return {false, currentDrive, currentFolder};
}

void AnalysisView::UpdateSummary() {
    if (IsAllDisksLocation()) {
        summaryLetter = 0;
        summaryLabel = summaryFileSystem = L"ALL";
        totalBytes = freeBytes = 0;
        for (const auto& d : drives)
            if (d && d->ready) {
                totalBytes += d->totalBytes;
                freeBytes += d->freeBytes;
            }
        return;
    }
    if (DriveAnalysis* d = CurrentDrive()) {
        summaryLetter = d->letter;
        summaryLabel = d->label;
        summaryFileSystem = d->fileSystem;
        totalBytes = d->totalBytes;
        freeBytes = d->freeBytes;
    }
}

void AnalysisView::Rebuild() {
    rows.clear();
    extRows.clear();
    ringTitle.clear();
    ringValue.clear();
    if (!ready.load()) {
        ClearChart();
        crumbs.clear();
        ClampScroll();
        UpdateScrollbars();
        return;
    }
    auto sortExt = [](std::vector<ExtStat>& v) {
        std::sort(v.begin(), v.end(), [](const ExtStat& a, const ExtStat& b) {
            if (a.totalSize != b.totalSize) return a.totalSize > b.totalSize;
            return a.fileCount > b.fileCount;
        });
    };
    if (IsAllDisksLocation()) {
        driveRows.clear();
        for (size_t i = 0; i < drives.size(); ++i) {
            const DriveAnalysis* d = drives[i].get();
            if (!d || !d->ready) continue;
            ChildEntry e;
            e.frn = MakeDriveRowFrn(static_cast<uint32_t>(i));
            e.isFolder = 1;
            e.name = d->displayName.c_str();
            e.nameLength = static_cast<uint16_t>(std::min<size_t>(d->displayName.size(), 0xFFFF));
            ChildEntry root;
            if (d->model.GetNodeInfo(d->model.rootFrn, root)) {
                e.totalSize = e.size = root.totalSize;
                e.totalAllocated = root.totalAllocated;
            }
            driveRows.push_back(e);
        }
        std::sort(driveRows.begin(), driveRows.end(),
                  [](const ChildEntry& a, const ChildEntry& b) { return a.totalSize > b.totalSize; });
        int64_t sum = 0;
        for (const ChildEntry& e : driveRows) sum += e.totalSize;
        const double s = static_cast<double>(std::max<int64_t>(sum, 1));
        for (ChildEntry& e : driveRows) e.share = static_cast<double>(e.totalSize) * 100.0 / s;
        rows = driveRows;
        for (const auto& d : drives) {
            if (!d || !d->ready) continue;
            for (const ExtStat& x : d->model.extensions) {
                auto it = std::find_if(extRows.begin(), extRows.end(),
                                       [&](const ExtStat& y) { return y.extension == x.extension; });
                if (it == extRows.end()) {
                    extRows.push_back(x);
                } else {
                    it->totalSize += x.totalSize;
                    it->totalAllocated += x.totalAllocated;
                    it->fileCount += x.fileCount;
                }
            }
        }
        sortExt(extRows);
        ringTitle = Tr(L"Analysis_AllDisks", L"全部磁盘", L"All Disks");
        ringValue = FormatSizeShort(std::max<int64_t>(sum, 1));
    } else if (DiskAnalysisModel* m = CurrentModel()) {
        if (const std::vector<ChildEntry>* list = m->ChildrenOf(currentFolder)) rows = *list;
        int64_t sum = 0;
        for (const ChildEntry& e : rows) sum += e.totalSize;
        const double s = static_cast<double>(std::max<int64_t>(sum, 1));
        for (ChildEntry& e : rows) e.share = static_cast<double>(e.totalSize) * 100.0 / s;
        std::sort(rows.begin(), rows.end(), [](const ChildEntry& a, const ChildEntry& b) {
            if (a.isFolder != b.isFolder) return a.isFolder > b.isFolder;
            return a.size > b.size;
        });
        extRows = m->extensions;
        sortExt(extRows);
        if (m->IsRoot(currentFolder)) {
            ringTitle = std::wstring(1, m->driveLetter ? m->driveLetter : L'?') + L":\\";
        } else {
            const std::vector<std::wstring> parts = m->GetPathComponents(currentFolder);
            ringTitle = parts.empty() ? std::wstring(L"?") : parts.back();
        }
        if (sum > 0) ringValue = FormatSizeShort(sum);
        else if (m->IsRoot(currentFolder)) ringValue = FormatSizeShort(m->RootTotalSize());
        else ringValue = FormatSizeShort(0);
    }
    LayoutBreadcrumbs();
    ClampScroll();
    UpdateScrollbars();
    if (ringRect.right - ringRect.left > 0) LayoutSunburst(chart, rows, ringRect, chartAccent, folderBase);
}

void AnalysisView::MoveTo(int32_t drive, uint64_t folder, bool summary) {
    currentDrive = drive;
    currentFolder = focusFrn = folder;
    selection.clear();
    anchorRow = -1;
    rowScroll = 0;
    if (summary) UpdateSummary();
    Rebuild();
}

void AnalysisView::TakeDrives(std::vector<std::unique_ptr<DriveAnalysis>> list, bool allDisks) {
    const size_t count = list.size();
    {
        std::lock_guard<std::mutex> lock(mutex);
        drives = std::move(list);
        status = AnalysisStatus::Done;
        errorText.clear();
    }
    allDisksMode = allDisks || count > 1;
    ready.store(true);
    failed.store(false);
    if (allDisksMode || drives.empty()) MoveTo(-1, 0, true);
    else MoveTo(0, drives[0]->model.rootFrn, true);
}

void AnalysisView::ShowAllDisks() {
    if (!allDisksMode) return;
    const AnalysisLocation before = CurrentLocation();
    MoveTo(-1, 0, true);
    PushHistory(before);
}

void AnalysisView::OpenDrive(int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= drives.size() || !drives[static_cast<size_t>(index)] ||
        !drives[static_cast<size_t>(index)]->ready)
        return;
    const AnalysisLocation before = CurrentLocation();
    MoveTo(index, drives[static_cast<size_t>(index)]->model.rootFrn, true);
    PushHistory(before);
}

void AnalysisView::NavigateTo(uint64_t frn) {
    if (IsDriveRowFrn(frn)) {
        OpenDrive(static_cast<int32_t>(frn & 0xFFFFFFFFu));
        return;
    }
    if (IsAllDisksLocation() || !CurrentModel()) return;
    const AnalysisLocation before{false, currentDrive, currentFolder};
    MoveTo(currentDrive, frn, false);
    PushHistory(before);
}

bool AnalysisView::CanGoUp() const {
    if (!ready.load() || IsAllDisksLocation()) return false;
    const DiskAnalysisModel* m = CurrentModel();
    if (!m) return !(allDisksMode && currentDrive < 0);
    if (allDisksMode && m->IsRoot(currentFolder)) return true;
    return !m->IsRoot(currentFolder);
}

void AnalysisView::GoUp() {
    if (!CanGoUp()) return;
    DiskAnalysisModel* m = CurrentModel();
    if (allDisksMode && (!m || m->IsRoot(currentFolder))) {
        ShowAllDisks();
        return;
    }
    if (!m) return;
    uint64_t parent = 0;
    if (m->GetParentFrn(currentFolder, parent) && parent != 0) NavigateTo(parent);
}

void AnalysisView::OnBreadcrumbClick(int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= crumbs.size()) return;
    const AnalysisBreadcrumb crumb = crumbs[static_cast<size_t>(index)];
    if (crumb.text == L"...") return;
    if (crumb.allDisks) {
        ShowAllDisks();
        return;
    }
    if (crumb.drive >= 0 && (crumb.frn == 0 || crumb.drive != currentDrive)) OpenDrive(crumb.drive);
    if (crumb.frn != 0) NavigateTo(crumb.frn);
}

void AnalysisView::PushHistory(const AnalysisLocation& previous) {
    if (fromHistory || previous == CurrentLocation()) return;
    backStack.push_back(previous);
    if (backStack.size() > kMaxHistory) backStack.erase(backStack.begin());
    forwardStack.clear();
}

void AnalysisView::ApplyHistoryEntry(const AnalysisLocation& entry) {
    if (entry.allDisks) {
        if (!allDisksMode) return;
        MoveTo(-1, 0, true);
    } else {
        if (entry.drive < 0 || static_cast<size_t>(entry.drive) >= drives.size() ||
            !drives[static_cast<size_t>(entry.drive)] || !drives[static_cast<size_t>(entry.drive)]->ready)
            return;
        MoveTo(entry.drive, entry.folder ? entry.folder : drives[static_cast<size_t>(entry.drive)]->model.rootFrn, true);
    }
}

bool AnalysisView::GoBack() {
    if (backStack.empty()) {
        if (!CanGoUp()) return false;
        GoUp();
        return true;
    }
    forwardStack.push_back(CurrentLocation());
    const AnalysisLocation entry = backStack.back();
    backStack.pop_back();
    fromHistory = true;
    ApplyHistoryEntry(entry);
    fromHistory = false;
    return true;
}

bool AnalysisView::GoForward() {
    if (!forwardStack.empty()) {
        backStack.push_back(CurrentLocation());
        const AnalysisLocation entry = forwardStack.back();
        forwardStack.pop_back();
        fromHistory = true;
        ApplyHistoryEntry(entry);
        fromHistory = false;
        return true;
    }
    uint64_t target = focusFrn;
    if (target == 0 && hoveredRow >= 0 && static_cast<size_t>(hoveredRow) < rows.size())
        target = rows[static_cast<size_t>(hoveredRow)].frn;
    if (IsDriveRowFrn(target)) {
        const int32_t index = static_cast<int32_t>(target & 0xFFFFFFFFu);
        if (!IsAllDisksLocation() && index == currentDrive) return false;
        OpenDrive(index);
        return true;
    }
    const DiskAnalysisModel* m = CurrentModel();
    ChildEntry info;
    if (m && target != currentFolder && m->GetNodeInfo(target, info) && info.isFolder) {
        NavigateTo(target);
        return true;
    }
    return false;
}

// ---- Selection ---------------------------------------------------------------------------------

bool AnalysisView::IsSelectableRow(int32_t row) const {
    if (row < 0 || static_cast<size_t>(row) >= rows.size()) return false;
    const ChildEntry& e = rows[static_cast<size_t>(row)];
    return !e.isFolder && e.frn != 0 && !IsDriveRowFrn(e.frn);
}

void AnalysisView::SelectRow(int32_t row) {
    if (!IsSelectableRow(row)) return;
    selection.clear();
    selection.insert(rows[static_cast<size_t>(row)].frn);
    anchorRow = row;
    focusFrn = rows[static_cast<size_t>(row)].frn;
}

void AnalysisView::ToggleRowSelection(int32_t row) {
    if (!IsSelectableRow(row)) return;
    const uint64_t frn = rows[static_cast<size_t>(row)].frn;
    if (!selection.erase(frn)) selection.insert(frn);
    focusFrn = frn;
    anchorRow = row;
}

void AnalysisView::SelectRowRange(int32_t row) {
    if (!IsSelectableRow(row)) return;
    selection.clear();
    const bool anchorOk = anchorRow >= 0 && static_cast<size_t>(anchorRow) < rows.size() &&
                          !rows[static_cast<size_t>(anchorRow)].isFolder && rows[static_cast<size_t>(anchorRow)].frn != 0 &&
                          !IsDriveRowFrn(rows[static_cast<size_t>(anchorRow)].frn);
    if (anchorOk) {
        for (int32_t i = std::min(anchorRow, row); i <= std::max(anchorRow, row); ++i)
            if (IsSelectableRow(i)) selection.insert(rows[static_cast<size_t>(i)].frn);
    } else {
        selection.insert(rows[static_cast<size_t>(row)].frn);
    }
    focusFrn = rows[static_cast<size_t>(row)].frn;
    anchorRow = row;
}

void AnalysisView::SelectAllFiles() {
    selection.clear();
    int32_t first = -1;
    for (int32_t i = 0; static_cast<size_t>(i) < rows.size(); ++i)
        if (IsSelectableRow(i)) {
            selection.insert(rows[static_cast<size_t>(i)].frn);
            if (first < 0) first = i;
        }
    if (first >= 0) {
        anchorRow = first;
        focusFrn = rows[static_cast<size_t>(first)].frn;
    }
}

std::vector<uint64_t> AnalysisView::GetSelectedFrns() const {
    std::vector<uint64_t> out;
    for (uint64_t f : selection)
        if (f != 0 && !IsDriveRowFrn(f)) out.push_back(f);
    return out;
}

std::vector<std::wstring> AnalysisView::GetSelectedPaths() const {
    std::vector<std::wstring> out;
    const DiskAnalysisModel* m = CurrentModel();
    if (!m) return out;
    for (uint64_t f : GetSelectedFrns()) {
        ChildEntry info;
        if (!m->GetNodeInfo(f, info) || info.isFolder) continue;
        std::wstring p = m->GetFullPath(f);
        if (!p.empty()) out.push_back(std::move(p));
    }
    return out;
}

int32_t GetAnalysisItemIndex(const AnalysisHit& hit) {
    if (hit.kind == kHitRows) return hit.index;
    if (hit.kind == kHitRing && hit.frn != 0) {
        const auto& rows = g_analysisView.rows;
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].frn == hit.frn) return static_cast<int32_t>(i);
    }
    return -1;
}

std::wstring GetAnalysisItemPath(uint64_t frn) {
    const AnalysisView& v = g_analysisView;
    if (IsDriveRowFrn(frn)) {
        const size_t index = static_cast<size_t>(frn & 0xFFFFFFFFu);
        if (index < v.drives.size() && v.drives[index]) return std::wstring(1, v.drives[index]->letter) + L":\\";
        return L"";
    }
    const DiskAnalysisModel* m = v.CurrentModel();
    if (frn == 0 || !m) return L"";
    return m->GetFullPath(frn);
}
