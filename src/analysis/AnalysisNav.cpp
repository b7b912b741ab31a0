// Breadcrumbs, the two scroll bars, hit testing and deleting in the analysis panel.
#include <algorithm>
#include <cwchar>
#include <unordered_map>

#include "analysis/AnalysisView.h"
#include "core/Core.h"
#include "i18n/I18n.h"
#include "platform/VolumeIo.h"
#include "results/FileActions.h"

namespace {

int Scaled(int v, int dpi) { return std::max(MulDiv(v, std::max(dpi, 96), 96), 1); }
bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }
int Height(const RECT& r) { return r.bottom - r.top; }

}  // namespace

void AnalysisView::AddBreadcrumb(const std::wstring& text, bool allDisks, int32_t drive, uint64_t frn) {
    AnalysisBreadcrumb c;
    c.text = text;
    c.allDisks = allDisks;
    c.drive = drive;
    c.frn = frn;
    crumbs.push_back(std::move(c));
}

void AnalysisView::LayoutBreadcrumbs() {
    crumbs.clear();
    if (!ready.load()) return;
    const int dpi = layoutDpi;
    auto s = [&](int v) { return Scaled(v, dpi); };
    const DiskAnalysisModel* m = CurrentModel();
    if (allDisksMode) {
        AddBreadcrumb(Tr(L"Analysis_AllDisks", L"全部磁盘", L"All Disks"), true, -1, 0);
        if (const DriveAnalysis* d = CurrentDrive()) AddBreadcrumb(d->displayName, false, currentDrive, 0);
    } else if (CurrentDrive() && m) {
        AddBreadcrumb(std::wstring(1, m->driveLetter ? m->driveLetter : L'?') + L":\\", false, currentDrive, m->rootFrn);
    }
    if (m && currentDrive >= 0 && !m->IsRoot(currentFolder)) {
        std::vector<AnalysisBreadcrumb> folders;
        uint64_t at = currentFolder;
        for (int step = 0; step < 512; ++step) {
            if (m->IsRoot(at)) break;
            ChildEntry info;
            if (!m->GetNodeInfo(at, info)) break;
            const std::vector<std::wstring> parts = m->GetPathComponents(at);
            AnalysisBreadcrumb c;
            c.text = parts.empty() ? std::wstring(L"?") : parts.back();
            c.drive = currentDrive;
            c.frn = at;
            folders.push_back(std::move(c));
            uint64_t parent = 0;
            if (!m->GetParentFrn(at, parent) || parent == at || m->FindNode(parent) < 0) break;
            at = parent;
        }
        for (auto it = folders.rbegin(); it != folders.rend(); ++it) crumbs.push_back(*it);
    }

    // Widths, measured with the default GUI font on the screen.
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = dc ? SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT)) : nullptr;
    auto measure = [&](const std::wstring& text) {
        int w = 0;
        SIZE sz{};
        if (dc && GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &sz)) {
            w = s(16) + sz.cx;
        } else if (dc) {
            w = s(8) * static_cast<int>(text.size());
        } else {
            for (wchar_t ch : text) w += ch < 128 ? s(8) : s(14);
        }
        return std::clamp(w, s(36), s(220));
    };
    auto widths = [&] {
        std::vector<int> out;
        for (const auto& c : crumbs) out.push_back(measure(c.text));
        return out;
    };
    std::vector<int> w = widths();
    const int x0 = pathBarRect.left + pathLabelWidth;
    const int limit = upRect.left - s(10);
    const int top = pathBarRect.top + s(3), bottom = pathBarRect.bottom - s(3);
    int sum = 0;
    for (size_t i = 0; i < w.size(); ++i) sum += w[i] + (i ? s(16) : 0);
    if (sum > std::max(s(40), limit - x0) && crumbs.size() >= 3) {
        std::vector<AnalysisBreadcrumb> shortList;
        shortList.push_back(crumbs.front());
        AnalysisBreadcrumb dots;
        dots.text = L"...";
        shortList.push_back(dots);
        if (crumbs.size() >= 4) shortList.push_back(crumbs[crumbs.size() - 2]);
        shortList.push_back(crumbs.back());
        crumbs = std::move(shortList);
        w = widths();
    }
    if (dc) {
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
    }
    int x = x0;
    for (size_t i = 0; i < crumbs.size(); ++i) {
        if (x + w[i] <= limit) {
            crumbs[i].rect = RECT{x, top, x + w[i], bottom};
            x += w[i] + s(16);
            continue;
        }
        crumbs[i].rect = RECT{x, top, x + std::max(limit - x, s(28)), bottom};
        crumbs.resize(i + 1);
        break;
    }
}

int AnalysisView::RowScrollMax() const {
    return std::max(static_cast<int>(rows.size()) * std::max(rowHeight, 28) - std::max(Height(rowListRect), 0), 0);
}

int AnalysisView::ExtScrollMax() const {
    if (!extExpanded) return 0;
    return std::max(static_cast<int>(extRows.size()) * std::max(extRowHeight, 22) - std::max(Height(extListRect), 0), 0);
}

void AnalysisView::ClampScroll() {
    rowScroll = std::clamp(rowScroll, 0, RowScrollMax());
    extScroll = std::clamp(extScroll, 0, ExtScrollMax());
}

void AnalysisView::UpdateScrollbars() {
    auto place = [&](const RECT& list, int max, int offset, bool visible, RECT& track, RECT& thumb) {
        track = thumb = RECT{};
        if (!visible || list.right - list.left <= 0) return;
        const int w = std::max(scrollbarWidth, 8);
        track = RECT{list.right - w, list.top, list.right, list.bottom};
        const int h = Height(list);
        const int length = std::min(std::max(MulDiv(h, h, h + max), 24), h);
        const int top = track.top + ((max > 0 && h - length > 0) ? MulDiv(h - length, offset, max) : 0);
        thumb = RECT{track.left + 1, top, track.right - 1, top + length};
    };
    const int rmax = RowScrollMax(), emax = ExtScrollMax();
    rowBarVisible = rmax > 0;
    extBarVisible = extExpanded && emax > 0;
    place(rowListRect, rmax, rowScroll, rowBarVisible, rowTrack, rowThumb);
    place(extListRect, emax, extScroll, extBarVisible, extTrack, extThumb);
}

void AnalysisView::OnMouseWheel(bool rowsList, int notches) {
    if (rowsList) rowScroll -= std::max(rowHeight, 28) * notches * 3;
    else extScroll -= std::max(extRowHeight, 22) * notches * 3;
    ClampScroll();
    UpdateScrollbars();
}

bool AnalysisView::BeginScrollbarDrag(int x, int y) {
    UpdateScrollbars();
    if (rowBarVisible && Inside(rowTrack, x, y)) draggedBar = 1;
    else if (extBarVisible && Inside(extTrack, x, y)) draggedBar = 2;
    else return false;
    DragScrollbar(y);
    return true;
}

void AnalysisView::DragScrollbar(int y) {
    UpdateScrollbars();
    const bool rowsBar = draggedBar == 1;
    if (draggedBar != 1 && draggedBar != 2) return;
    const int max = rowsBar ? RowScrollMax() : ExtScrollMax();
    if (max < 1) return;
    const RECT& track = rowsBar ? rowTrack : extTrack;
    const RECT& thumb = rowsBar ? rowThumb : extThumb;
    const int t = Height(thumb);
    const int room = Height(track) - t;
    const int offset = room < 1 ? 0 : MulDiv(max, std::min(room, std::max(y - t / 2 - static_cast<int>(track.top), 0)), room);
    (rowsBar ? rowScroll : extScroll) = offset;
    ClampScroll();
    UpdateScrollbars();
}

AnalysisHit AnalysisView::HitTest(int x, int y) const {
    AnalysisHit hit;
    if (Inside(upRect, x, y)) {
        hit.kind = kHitUp;
        return hit;
    }
    if (Inside(pathBarRect, x, y)) {
        hit.kind = kHitPathBar;
        for (size_t i = 0; i < crumbs.size(); ++i)
            if (Inside(crumbs[i].rect, x, y)) {
                hit.kind = kHitCrumb;
                hit.crumb = static_cast<int32_t>(i);
                hit.index = static_cast<int32_t>(i);
                break;
            }
        return hit;
    }
    if (Inside(headerRect, x, y)) {
        hit.kind = kHitHeader;
        return hit;
    }
    if (rowBarVisible && Inside(rowTrack, x, y)) {
        hit.kind = kHitRowScroll;
        return hit;
    }
    if (extBarVisible && Inside(extTrack, x, y)) {
        hit.kind = kHitExtScroll;
        return hit;
    }
    if (Inside(extHeaderRect, x, y)) {
        hit.kind = kHitExtHeader;
        return hit;
    }
    if (extExpanded && Inside(extListRect, x, y)) {
        hit.kind = kHitExtList;
        const int i = (extScroll - extListRect.top + y) / std::max(extRowHeight, 22);
        if (i >= 0 && static_cast<size_t>(i) < extRows.size()) hit.index = i;
        return hit;
    }
    RECT rowsHeader{rowsPanelRect.left, rowsPanelRect.top, rowsPanelRect.right, rowListRect.top};
    if (Inside(rowListRect, x, y) || Inside(rowsHeader, x, y)) {
        hit.kind = kHitRows;
        if (Inside(rowListRect, x, y)) {
            const int i = (rowScroll - rowListRect.top + y) / std::max(rowHeight, 28);
            if (i >= 0 && static_cast<size_t>(i) < rows.size()) {
                hit.index = i;
                hit.frn = rows[static_cast<size_t>(i)].frn;
                hit.isFolder = rows[static_cast<size_t>(i)].isFolder;
            }
        }
        return hit;
    }
    if (Inside(ringRect, x, y)) {
        const int seg = SunburstHitTest(chart, x, y);
        if (seg == -2) {
            hit.kind = kHitHole;
            return hit;
        }
        hit.kind = kHitRing;
        if (seg >= 0 && static_cast<size_t>(seg) < chart.segments.size()) {
            hit.index = seg;
            hit.frn = chart.segments[static_cast<size_t>(seg)].frn;
            hit.isFolder = chart.segments[static_cast<size_t>(seg)].isFolder;
        }
        return hit;
    }
    return hit;
}

void DeleteSelectedInAnalysisView(bool recycle, AnalysisDeleter deleter) {
    AnalysisView& v = g_analysisView;
    const std::vector<uint64_t> frns = v.GetSelectedFrns();
    DiskAnalysisModel* m = v.CurrentModel();
    if (frns.empty() || !m) return;
    // The model may be older than the disk: only a path that still names the file the panel
    // shows (the file's size and, where references are the file system's own, the same file) is
    // handed on. Whether the file keeps other names is read at the same moment.
    const DriveAnalysis* drive = v.CurrentDrive();
    const bool ownReferences = drive && _wcsicmp(drive->fileSystem.c_str(), L"NTFS") == 0;
    struct Target {
        std::wstring path;
        uint64_t frn;
        uint64_t reference;  // the file's identity, as the file system gave it
        uint32_t links;      // names the file had before the deletion
    };
    std::vector<Target> checked;
    size_t asked = 0;
    for (uint64_t f : frns) {
        const int64_t i = m->FindNode(f);
        if (i < 0 || m->nodes[i].isFolder) continue;
        std::wstring path = m->GetFullPath(f);
        if (path.empty()) continue;
        ++asked;
        const AnalysisNode& node = m->nodes[i];
        AnalysisFileFacts facts;
        if (!QueryAnalysisFile(path, facts) || facts.isFolder || facts.size != node.size) continue;
        if (ownReferences &&
            AnalysisRecordNumber(facts.reference) != AnalysisRecordNumber(m->FileIdentity(static_cast<uint32_t>(i))))
            continue;
        checked.push_back({std::move(path), f, facts.reference, facts.links});
    }
    if (checked.size() < asked) {
        // Silence here would read as a deletion that worked: the user is told what was left.
        const std::wstring text = FormatTableText(
            Tr(L"Analysis_DeleteChangedFmt", L"%zu 个选中的文件在分析后已在磁盘上更改，未被删除。请重新扫描以查看其当前状态。",
               L"%zu selected file(s) changed on disk since the analysis and were not deleted. Rescan to see them as "
               L"they are now.")
                .c_str(),
            asked - checked.size());
        FileActionMessageBox(g_hMainWnd, text, Tr(L"MsgTitle_Information", L"提示", L"Information"),
                             MB_OK | MB_ICONINFORMATION);
    }
    if (checked.empty()) return;
    std::vector<std::wstring> paths;
    for (const Target& t : checked) paths.push_back(t.path);
    const std::vector<std::wstring> deleted = (deleter ? deleter : &DeleteFilesWithConfirm)(paths, recycle);
    if (deleted.empty()) return;
    auto wasDeleted = [&](const Target& t) {
        return std::any_of(deleted.begin(), deleted.end(),
                           [&](const std::wstring& d) { return _wcsicmp(d.c_str(), t.path.c_str()) == 0; });
    };
    // Names of each file that went in this deletion: the file keeps its data only while it has
    // more names than that (two names of one file both deleted free its data).
    std::unordered_map<uint64_t, uint32_t> goneNames;
    for (const Target& t : checked)
        if (wasDeleted(t)) ++goneNames[t.reference];
    std::vector<uint64_t> removed;
    bool any = false;
    for (const Target& t : checked) {
        if (!wasDeleted(t)) continue;
        removed.push_back(t.frn);
        // A name of a file that keeps other names frees no space: the totals keep it.
        any = m->RemoveFileNode(t.frn, t.links > goneNames[t.reference]) || any;
    }
    if (any) {
        m->BuildChildLists();
        m->BuildExtensionStats();
    }
    for (uint64_t f : removed) {
        v.selection.erase(f);
        // A deleted file is no target of the menu or the keys any more: the folder is.
        if (v.focusFrn == f) v.focusFrn = 0;
    }
    if (v.selection.empty()) v.anchorRow = -1;
    v.Rebuild();
    if (IsLiveWindow(g_hMainWnd)) InvalidateRect(g_hMainWnd, nullptr, FALSE);
}
