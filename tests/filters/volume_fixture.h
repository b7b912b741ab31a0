#pragma once
// A small in-memory volume for the filter and sort tests: records with names, folder flags,
// cached attributes and file sizes, without any drive behind it.
#include <memory>
#include <string>
#include <vector>

#include "index/Index.h"
#include "search/Search.h"
#include "support/synthetic_volume.h"

struct TestVolume {
    std::unique_ptr<VolumeIndex> v = MakeVolumeIndex();

    TestVolume() { v->root = L"T:"; }

    uint32_t Add(const std::wstring& name, bool folder = false, uint64_t parentFrn = 5) {
        AcquireSRWLockExclusive(&v->indexLock);
        const uint32_t index = testfx::AddSyntheticRecord(*v, 1000 + v->records.size(), parentFrn, name, folder);
        ReleaseSRWLockExclusive(&v->indexLock);
        return index;
    }
    uint64_t Frn(uint32_t index) const { return v->records[index].frn; }
    void SetAttr(uint32_t index, uint64_t size, uint64_t lastWrite = 0, uint64_t creation = 0, bool valid = true) {
        FileAttrInfo info;
        info.size = size;
        info.lastWrite = U64ToFileTime(lastWrite);
        info.creation = U64ToFileTime(creation);
        info.valid = valid;
        AcquireSRWLockExclusive(&v->attrCacheLock);
        v->attrCache[Frn(index)] = info;
        ReleaseSRWLockExclusive(&v->attrCacheLock);
    }
    void SetMapSize(uint32_t index, int64_t size) {
        AcquireSRWLockExclusive(&v->fileSizesLock);
        v->fileSizes[Frn(index)] = SizePair{size, size};
        ReleaseSRWLockExclusive(&v->fileSizesLock);
    }
    void Delete(uint32_t index) {
        AcquireSRWLockExclusive(&v->indexLock);
        v->records[index].deleted = 1;
        ReleaseSRWLockExclusive(&v->indexLock);
    }
    MatchItem Row(uint32_t index) const { return MatchItem{v.get(), index}; }
};

// Publishes rows as the current result set (a new vector each time) and returns it.
inline std::shared_ptr<std::vector<MatchItem>> PublishRows(const std::vector<MatchItem>& rows) {
    auto set = std::make_shared<std::vector<MatchItem>>(rows);
    std::lock_guard<std::mutex> lock(g_resultsMutex);
    g_results = set;
    return set;
}

inline std::vector<uint32_t> RecordIndices(const std::vector<MatchItem>& rows) {
    std::vector<uint32_t> out;
    for (const auto& r : rows) out.push_back(r.recordIndex);
    return out;
}
