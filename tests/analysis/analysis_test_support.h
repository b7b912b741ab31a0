#pragma once
// Small trees for the analysis tests: entries with their own name text, sizes by reference.
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "analysis/AnalysisModel.h"
#include "analysis/AnalysisScan.h"
#include "analysis/AnalysisView.h"

namespace atest {

struct Tree {
    std::deque<std::wstring> names;  // stable addresses
    std::vector<AnalysisIndexEntry> entries;
    MftSizeMap sizes;

    Tree& Folder(uint64_t frn, uint64_t parent, const std::wstring& name) { return Add(frn, parent, name, true, 0); }
    Tree& File(uint64_t frn, uint64_t parent, const std::wstring& name, int64_t size) {
        return Add(frn, parent, name, false, size);
    }
    Tree& Add(uint64_t frn, uint64_t parent, const std::wstring& name, bool folder, int64_t size) {
        names.push_back(name);
        AnalysisIndexEntry e;
        e.frn = frn;
        e.parentFrn = parent;
        e.name = names.back().empty() ? nullptr : names.back().c_str();
        e.nameLength = static_cast<uint16_t>(names.back().size());
        e.isFolder = folder ? 1 : 0;
        entries.push_back(e);
        if (!folder && size >= 0) sizes[frn] = SizePair{size, (size + 4095) / 4096 * 4096};
        return *this;
    }
    std::unique_ptr<DriveAnalysis> Drive(wchar_t letter) const {
        auto d = std::make_unique<DriveAnalysis>();
        d->letter = letter;
        d->label = L"Local Disk";
        d->displayName = std::wstring(1, letter) + L":  Local Disk";
        d->fileSystem = L"NTFS";
        d->totalBytes = 1000000;
        d->freeBytes = 400000;
        d->sizes = sizes;
        d->ready = d->model.Build(entries.data(), entries.size(), d->sizes, letter);
        return d;
    }
};

// Puts drives into the global view as a finished scan would, and lays the panel out.
inline void ShowDrives(std::vector<std::unique_ptr<DriveAnalysis>> drives, bool allDisks) {
    g_analysisView.Reset();
    InvalidateAnalysisLayout();
    ComputeAnalysisLayout();
    g_analysisView.TakeDrives(std::move(drives), allDisks);
}

}  // namespace atest
