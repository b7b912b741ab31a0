// Per-volume file sizes (fileSizes), folder totals (folderSizes) and size maps built from paths.
#include "index/FileSizes.h"

#include <unordered_set>

#include "core/Core.h"

namespace {
constexpr int kMaxClimb = 64;
}  // namespace

bool VolumeIndex::LookupFileSize(uint64_t frn, SizePair* out) {
    bool found = false;
    AcquireSRWLockShared(&fileSizesLock);
    if (!fileSizes.empty()) {
        auto it = fileSizes.find(frn);
        if (it == fileSizes.end()) it = fileSizes.find(frn & kFrnRecordMask);
        if (it != fileSizes.end()) {
            if (out) *out = it->second;
            found = true;
        }
    }
    ReleaseSRWLockShared(&fileSizesLock);
    return found;
}

void VolumeIndex::ReplaceFileSizes(MftSizeMap sizes) {
    AcquireSRWLockExclusive(&fileSizesLock);
    fileSizes.clear();
    fileSizes.swap(sizes);
    ReleaseSRWLockExclusive(&fileSizesLock);
    folderSizesDirty = true;
    RebuildFolderSizes();
}

void VolumeIndex::MergeFileSizes(MftSizeMap sizes) {
    AcquireSRWLockExclusive(&fileSizesLock);
    if (fileSizes.empty()) {
        fileSizes.swap(sizes);
    } else {
        for (auto& [frn, sp] : sizes) fileSizes[frn] = sp;
    }
    ReleaseSRWLockExclusive(&fileSizesLock);
    folderSizesDirty = true;
    RebuildFolderSizes();
}

void VolumeIndex::RebuildFolderSizes() {
    // The flag is cleared before the pass: a size that changes while the pass runs marks the
    // totals stale again instead of being lost.
    folderSizesDirty = false;

    std::unordered_map<uint64_t, uint64_t> totals;
    totals.max_load_factor(1.0f);
    // The sizes are read in place under the index lock and then one cache lock (the documented
    // order): the size map, or the attribute cache while the map is empty.
    AcquireSRWLockShared(&indexLock);
    AcquireSRWLockShared(&fileSizesLock);
    const bool fromAttrCache = fileSizes.empty();
    if (fromAttrCache) {
        ReleaseSRWLockShared(&fileSizesLock);
        AcquireSRWLockShared(&attrCacheLock);
    }
    const uint64_t count = records.size();

    // First the sizes of each folder's own files, then each folder's sum climbs its parent chain
    // once: the same totals as a climb per file, with far fewer lookups.
    std::unordered_map<uint64_t, uint64_t> own;
    own.max_load_factor(1.0f);
    own.reserve(static_cast<size_t>((count >> 4) + 1));
    for (uint64_t i = 0; i < count; ++i) {
        const FileRecord& r = records[static_cast<size_t>(i)];
        if (r.deleted || r.isDirectory || r.parentFrn == 0) continue;
        int64_t size = 0;
        if (!fromAttrCache) {
            auto it = fileSizes.find(r.frn);
            if (it == fileSizes.end()) it = fileSizes.find(r.frn & kFrnRecordMask);
            if (it == fileSizes.end()) continue;
            size = it->second.size;
        } else {
            auto it = attrCache.find(r.frn);
            if (it == attrCache.end() || !it->second.valid) continue;
            size = static_cast<int64_t>(it->second.size);
        }
        if (size <= 0) continue;
        own[r.parentFrn] += static_cast<uint64_t>(size);
    }
    if (fromAttrCache) ReleaseSRWLockShared(&attrCacheLock);
    else ReleaseSRWLockShared(&fileSizesLock);

    totals.reserve(own.size() * 2 + 1);
    uint64_t counted[kMaxClimb];
    for (const auto& [folder, size] : own) {
        uint64_t parent = folder;
        int steps = 0;
        while (steps < kMaxClimb) {
            if (parent == 0) break;
            totals[parent] += size;
            counted[steps++] = parent;
            auto found = frnToRecord.find(parent);
            if (found == frnToRecord.end()) break;
            const uint64_t idx = found->second;
            if (idx == kRootMarker || idx >= count) break;
            const FileRecord& f = records[static_cast<size_t>(idx)];
            if (f.deleted) break;
            const uint64_t next = f.parentFrn;
            bool seen = false;
            for (int k = 0; k < steps && !seen; ++k) seen = counted[k] == next;
            if (seen) break;
            parent = next;
        }
    }
    ReleaseSRWLockShared(&indexLock);

    AcquireSRWLockExclusive(&folderSizesLock);
    folderSizes.swap(totals);
    ReleaseSRWLockExclusive(&folderSizesLock);
}

bool VolumeIndex::GetFolderSize(uint64_t folderFrn, uint64_t* out, bool rebuildIfDirty) {
    if (rebuildIfDirty && folderSizesDirty.load()) RebuildFolderSizes();
    bool found = false;
    AcquireSRWLockShared(&folderSizesLock);
    auto it = folderSizes.find(folderFrn);
    if (it != folderSizes.end()) {
        if (out) *out = it->second;
        found = true;
    }
    ReleaseSRWLockShared(&folderSizesLock);
    return found;
}

bool BuildSizeMapFromPaths(const std::vector<FilePathEntry>& entries, MftSizeMap& out,
                           const SizeScanProgress& progress, const SizeScanCancel& cancel) {
    out.clear();
    uint64_t count = 0;
    const uint64_t total = entries.size();
    for (const FilePathEntry& e : entries) {
        if (cancel && cancel()) return false;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (GetFileAttributesExW(e.path.c_str(), GetFileExInfoStandard, &data) &&
            !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            const int64_t size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
            out[e.frn] = SizePair{size, size};
        }
        ++count;
        if (progress && (count % 256) == 0) progress(count, total);
    }
    if (progress) progress(count, total);
    return true;
}
