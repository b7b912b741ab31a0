#pragma once
// Volumes with hand-made records for the cache tests, and a scratch configuration folder.
#include <windows.h>

#include <memory>
#include <string>

#include "core/Core.h"
#include "index/Index.h"
#include "support/fixture.h"
#include "support/synthetic_volume.h"

namespace cachetest {

inline uint64_t AddRec(VolumeIndex& v, uint64_t frn, uint64_t parent, const std::wstring& name, bool dir = false) {
    return testfx::AppendSyntheticRecord(v, frn, parent, name, dir);
}

// An available volume; records are added by the test, then Index() enters them in the map.
inline std::unique_ptr<VolumeIndex> MakeVolume(const std::wstring& root, const std::wstring& fs = L"NTFS",
                                               uint64_t journalId = 0x1111) {
    auto v = MakeVolumeIndex();
    v->root = root;
    v->fileSystem = fs;
    v->usnJournalId = journalId;
    v->available = true;
    return v;
}

inline FileAttrInfo Attr(uint64_t size, uint64_t write, uint64_t create) {
    FileAttrInfo a;
    a.size = size;
    a.lastWrite.dwLowDateTime = static_cast<DWORD>(write);
    a.lastWrite.dwHighDateTime = static_cast<DWORD>(write >> 32);
    a.creation.dwLowDateTime = static_cast<DWORD>(create);
    a.creation.dwHighDateTime = static_cast<DWORD>(create >> 32);
    a.valid = true;
    return a;
}

inline uint64_t Ft(const FILETIME& f) { return (static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime; }

// Points GetConfigDir at a fresh scratch folder for the life of the object.
class ScratchConfig {
public:
    explicit ScratchConfig(const std::wstring& name) {
        dir = testfx::MakeScratchDir(name);
        SetConfigDirOverride(dir);
    }
    ~ScratchConfig() { SetConfigDirOverride(L""); }
    std::string PerfLog() const { return testfx::ReadFileBytes(dir + L"\\perf_metrics.log"); }
    std::wstring dir;
};

inline bool FileExists(const std::wstring& p) { return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace cachetest
