#pragma once
// The value types of the duplicate finder: compare modes, candidate files and groups.
#include <cstdint>
#include <string>
#include <vector>

// How files of equal size are compared.
enum class DupCompareMode : int32_t {
    SizeOnly = 0,  // no content read; equal size and extension
    Fast = 1,      // equal sampled SHA-256
    Exact = 2,     // sampled SHA-256, then the whole-file SHA-256 above 262144 bytes
};

// Files up to this size are hashed whole even for the quick hash.
constexpr int64_t kDupSmallFileLimit = 262144;

// One candidate file.
struct DupFileItem {
    std::wstring path;
    int64_t size = 0;    // as known when the candidate was collected
    uint64_t mtime = 0;  // last-write FILETIME as one number; 0 = not known
};

// One group of files with equal content (or equal size and extension in SizeOnly mode).
struct DupGroup {
    int64_t size = 0;
    std::wstring key;  // 64 lower-case hex digits, or "size-only:..." in SizeOnly mode
    std::vector<DupFileItem> files;
    int64_t totalBytes = 0;
};

// size x number of files (INT64_MAX where that does not fit), 0 for an empty group or a size
// below 1.
int64_t DupGroupTotalBytes(const DupGroup& group);

// The extension of the file name (after the last dot of the last path element), lower-cased
// in ASCII; empty when the name has no dot or ends in one.
std::wstring DupLowerExtension(const std::wstring& path);

// A combo index turned into a mode: 1 and 2 stay, anything else is SizeOnly.
DupCompareMode NormalizeDupCompareMode(int index);
