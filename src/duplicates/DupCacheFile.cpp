#include <cstdio>
#include <cstdlib>
#include <unordered_set>

#include "core/Paths.h"
#include "duplicates/DupEngine.h"

namespace {

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

uint64_t Combine(uint64_t x, uint64_t v) { return x ^ (v + 0x9E3779B97F4A7C15ull + (x << 6) + (x >> 2)); }

uint64_t VolumeSerial(wchar_t letter) {
    const wchar_t root[4] = {letter, L':', L'\\', 0};
    DWORD serial = 0;
    if (!GetVolumeInformationW(root, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) return 0;
    return serial;
}

// A group key as written by a scan: a SHA-256 in hex, or one of the size-only keys.
bool IsValidGroupKey(const std::wstring& key) {
    return IsDupHexDigest(key) || key.rfind(L"size-only:", 0) == 0;
}

// No file system gives a file more bytes than this.
constexpr int64_t kMaxFileSize = (int64_t)1 << 62;

// A file size as a scan writes it: decimal digits only, at most kMaxFileSize; -1 otherwise.
int64_t ParseFileSize(const char* text) {
    if (!*text) return -1;
    int64_t value = 0;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9') return -1;
        value = value * 10 + (*p - '0');
        if (value > kMaxFileSize) return -1;
    }
    return value;
}

// A path compared as Windows compares names here: ASCII letters in either case are equal.
std::wstring PathKey(const std::wstring& path) {
    std::wstring key = path;
    for (wchar_t& c : key) {
        if (c >= L'A' && c <= L'Z') c = (wchar_t)(c - L'A' + L'a');
    }
    return key;
}

}  // namespace

std::wstring GetDupCacheDir() {
    std::wstring dir = GetConfigDir() + L"\\dupcache";
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

std::wstring GetDupCachePath(wchar_t drive) {
    std::wstring dir = GetDupCacheDir();
    if (drive == L'*') return dir + L"\\ALL.dup";
    wchar_t letter = (wchar_t)towupper(drive);
    if (letter < L'A' || letter > L'Z') letter = L'C';
    return dir + L"\\" + letter + L".dup";
}

void DupSampleReferences(const std::vector<uint64_t>& refs, wchar_t letter,
                         std::vector<std::pair<uint64_t, uint64_t>>* samples) {
    const size_t n = refs.size();
    if (n == 0) return;
    const size_t step = n < 64 ? 1 : n / 64;
    for (size_t k = 0; k < n; k += step) samples->push_back({refs[k], (uint64_t)letter});
    if (n > 1) samples->push_back({refs[n - 1], (uint64_t)letter});
}

uint64_t ComputeDupCacheSignature(wchar_t drive, uint64_t minimumSize, uint32_t compareMode,
                                  const std::vector<std::pair<uint64_t, uint64_t>>& samples, uint64_t fileCount) {
    uint64_t x = 0xCBF29CE484222325ull;
    x = Combine(x, (uint64_t)(uint16_t)towupper(drive));
    x = Combine(x, minimumSize);
    x = Combine(x, compareMode);
    x = Combine(x, fileCount);
    if (drive == L'*') {
        const DWORD mask = GetLogicalDrives();
        x = Combine(x, mask);
        for (int i = 0; i < 26; ++i) {
            if (!(mask & (1u << i))) continue;
            const wchar_t root[4] = {(wchar_t)(L'A' + i), L':', L'\\', 0};
            if (GetDriveTypeW(root) != DRIVE_FIXED) continue;
            x = Combine(x, VolumeSerial((wchar_t)(L'A' + i)));
            x = Combine(x, (uint64_t)(65 + i));
        }
    } else {
        x = Combine(x, VolumeSerial((wchar_t)towupper(drive)));
    }
    for (const auto& [first, second] : samples) {
        x = Combine(x, first);
        x = Combine(x, second);
    }
    return x;
}

bool SaveDupCache(const std::wstring& path, wchar_t drive, int64_t minSize, uint64_t signature,
                  const std::vector<DupGroup>& groups) {
    char line[128];
    snprintf(line, sizeof line, "DUPCACHE1\ndrive=%c\nmin=%lld\nsig=%llu\n---\n", (char)drive, (long long)minSize,
             (unsigned long long)signature);
    std::string out = line;
    for (const DupGroup& g : groups) {
        snprintf(line, sizeof line, "size=%lld\nhash=", (long long)g.size);
        out += line;
        out += DupWideToUtf8(g.key) + "\n";
        for (const DupFileItem& f : g.files) out += DupWideToUtf8(f.path) + "\n";
        out += "---\n";
    }
    return DupWriteFileAtomically(path, out);
}

bool ReadDupCache(const std::wstring& path, wchar_t drive, int64_t minSize, uint64_t signature,
                  std::vector<DupGroup>* groups) {
    groups->clear();
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return false;
    DupLineReader reader(f);
    std::string line;
    bool good = reader.Next(&line) && line == "DUPCACHE1";
    char fileDrive = 0;
    long long fileMin = 0;
    unsigned long long fileSig = 0;
    bool headerDone = false;
    while (good && !headerDone) {
        if (!reader.Next(&line) || line.empty()) {
            good = false;
        } else if (line == "---") {
            headerDone = true;
        } else if (StartsWith(line, "drive=") && line.size() > 6) {
            fileDrive = line[6];
        } else if (StartsWith(line, "min=")) {
            fileMin = strtoll(line.c_str() + 4, nullptr, 10);
        } else if (StartsWith(line, "sig=")) {
            fileSig = strtoull(line.c_str() + 4, nullptr, 10);
        }
    }
    good = good && (wchar_t)(unsigned char)fileDrive == drive && fileMin == minSize && fileSig == signature;

    std::vector<DupGroup> result;
    DupGroup open;
    bool isOpen = false;
    std::unordered_set<std::wstring> openPaths;  // the open group's paths, to find one listed twice
    // A group whose hash line is missing or damaged spoils the whole file.
    auto commit = [&] {
        bool valid = true;
        if (isOpen && !open.files.empty()) valid = IsValidGroupKey(open.key);
        if (valid && isOpen && open.files.size() >= 2) {
            open.totalBytes = DupGroupTotalBytes(open);
            result.push_back(std::move(open));
        }
        open = DupGroup{};
        isOpen = false;
        openPaths.clear();
        return valid;
    };
    while (good) {
        if (!reader.NextBodyLine(&line)) {
            good = !reader.failed();
            break;
        }
        if (line == "---") {
            good = commit();
        } else if (StartsWith(line, "size=")) {
            good = commit();
            open.size = ParseFileSize(line.c_str() + 5);
            isOpen = true;
            good = good && open.size >= 0 && open.size >= minSize;
        } else if (StartsWith(line, "hash=")) {
            DupUtf8ToWide(line.substr(5), &open.key);
            good = IsValidGroupKey(open.key);
        } else if (isOpen) {
            DupFileItem item;
            DupUtf8ToWide(line, &item.path);
            // Every path a scan wrote is a full path on its drive: anything else (another drive,
            // "..", a stream, a relative name) was not written by it, and the view would offer
            // it for deletion.
            // One file listed twice would stand for a second copy that does not exist.
            good = IsFullLocalPath(item.path, drive) && openPaths.insert(PathKey(item.path)).second;
            item.size = open.size;
            open.files.push_back(std::move(item));
        }
    }
    fclose(f);
    if (!good || !commit()) return false;
    *groups = std::move(result);
    return true;
}
