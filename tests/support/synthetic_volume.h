#pragma once
// Builds volume indexes in memory (records, names, reference map) for search tests and
// benchmarks, and puts them into the engine.
#include <memory>
#include <mutex>
#include <string>

#include "index/Index.h"

namespace testfx {

// A volume with the given root ("T:"), root reference 5, available, not building.
inline std::unique_ptr<VolumeIndex> MakeSyntheticVolume(const std::wstring& root) {
    auto v = MakeVolumeIndex();
    v->root = root;
    v->fileSystem = L"NTFS";
    v->rootFrn = 5;
    return v;
}

// Appends a record the way the builds do, without entering it in the reference map; returns
// its index. parentFrn 5 puts it in the drive root.
inline uint32_t AppendSyntheticRecord(VolumeIndex& v, uint64_t frn, uint64_t parentFrn, const std::wstring& name,
                                      bool isDirectory = false) {
    FileRecord r{};
    r.frn = frn;
    r.parentFrn = parentFrn;
    r.name = v.names.Append(name.c_str(), name.size());
    r.nameLength = static_cast<uint16_t>(name.size());
    r.isDirectory = isDirectory ? 1 : 0;
    r.deleted = 0;
    v.records.push_back(r);
    return static_cast<uint32_t>(v.records.size() - 1);
}

// Appends a record and enters it in the reference map; returns its index.
inline uint32_t AddSyntheticRecord(VolumeIndex& v, uint64_t frn, uint64_t parentFrn, const std::wstring& name,
                                   bool isDirectory = false) {
    const uint32_t index = AppendSyntheticRecord(v, frn, parentFrn, name, isDirectory);
    v.frnToRecord.Insert(frn, index);
    return index;
}

// Gives the engine these volumes (replacing its list) and marks the index ready.
inline void InstallVolumes(std::vector<std::unique_ptr<VolumeIndex>> volumes) {
    std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
    for (auto& v : g_searchEngine.volumes) g_searchEngine.retiredVolumes.push_back(std::move(v));
    g_searchEngine.volumes = std::move(volumes);
    g_searchEngine.indexReady.store(!g_searchEngine.volumes.empty());
}

}  // namespace testfx
