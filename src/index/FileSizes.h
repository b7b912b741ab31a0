#pragma once
// File-size maps built from paths, and the per-drive MFT size cache files (mftsizes\X.v1.bin).
// The per-volume maps and folder totals are members of VolumeIndex.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "index/VolumeIndex.h"

// A file of a volume for BuildSizeMapFromPaths: the key to use and its full path.
struct FilePathEntry {
    uint64_t frn = 0;
    std::wstring path;
};

using SizeScanProgress = std::function<void(uint64_t done, uint64_t total)>;
using SizeScanCancel = std::function<bool()>;

// Sizes of the listed files (folders and vanished files are left out; allocated = size).
// Clears out first. False only when cancel returned true.
[[nodiscard]] bool BuildSizeMapFromPaths(const std::vector<FilePathEntry>& entries, MftSizeMap& out,
                           const SizeScanProgress& progress, const SizeScanCancel& cancel);

struct MftSizeCacheHeader {
    uint32_t volumeSerial = 0;
    uint64_t usnJournalId = 0;
    int64_t usn = 0;
    uint32_t bytesPerFileRecord = 0;
};

// Most entries a size cache file may announce.
constexpr uint64_t kMftSizeCacheMaxEntries = 200000000;

// GetConfigDir() + "\mftsizes\X.v1.bin" (folder created; X upper-cased, C for a non-letter).
std::wstring GetMftSizeCachePath(wchar_t letter);
// Reads a size cache written for the volume serial expectedSerial. False (out empty) for a
// missing, damaged, foreign or truncated file.
[[nodiscard]] bool LoadMftSizeCache(const std::wstring& path, uint32_t expectedSerial, MftSizeMap& out,
                      MftSizeCacheHeader& header);
// Writes the cache through "<path>.tmp" moved over the old file; true when it is in place.
[[nodiscard]] bool SaveMftSizeCache(const std::wstring& path, const MftSizeCacheHeader& header, const MftSizeMap& map);
