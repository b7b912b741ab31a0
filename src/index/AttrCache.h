#pragma once
// The attribute cache (sizes and times of files, per volume, kept in attrcache.v1.bin), the
// record attribute fill that feeds it, and the start-up prewarm.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "index/VolumeIndex.h"

// Cache statistics (process-wide; read by the exit summary line of the performance log).
extern std::atomic<uint64_t> g_attrCacheHits;
extern std::atomic<uint64_t> g_attrCacheMisses;
extern std::atomic<uint64_t> g_attrCacheLockWaitUs;
// Grows on every insert or update by StoreAttr, every entry dropped for a changed file and once
// per successful load. The file on disk is current while it is not above g_attrCacheSavedCount.
extern std::atomic<uint64_t> g_attrCacheChangeCount;
extern std::atomic<uint64_t> g_attrCacheSavedCount;
extern std::atomic<uint64_t> g_attrCacheLoadMs;
extern std::atomic<uint64_t> g_attrCacheLoadEntries;
extern std::atomic<uint64_t> g_attrCacheLoadBytes;
extern std::atomic<uint64_t> g_attrCacheSaveMs;
extern std::atomic<uint64_t> g_attrCacheSaveEntries;
extern std::atomic<uint64_t> g_attrCacheSaveBytes;

// A start-up prewarm of the cache runs (sorting waits for it); a cache save runs.
extern std::atomic<bool> g_attrPrewarmActive;
extern std::atomic<bool> g_attrCacheSaveBusy;

// HydrateRecordAttributes statistics.
extern std::atomic<uint64_t> g_hydrateCalls;
extern std::atomic<uint64_t> g_hydrateDiskReads;
extern std::atomic<uint64_t> g_hydrateMicros;

// Most entries one volume's attribute cache takes (updates of existing keys go on).
constexpr size_t kAttrCacheMaxEntries = 2000000;

// Candidate paths of the cache file: GetConfigDir() + "\attrcache.v1.bin".
std::vector<std::wstring> GetAttrCachePath();

// Reads attrcache.v1.bin into the caches of the engine's available NTFS volumes. A damaged file
// is deleted (logged as "cache_load corrupt_deleted path=") and never harms the caches beyond
// the section being read.
void LoadAttrCache(SearchEngine& engine);

// Writes the caches of the engine's available NTFS volumes to attrcache.v1.bin (through
// "<name>.tmp" moved over the old file). Whole saves run one at a time. Returns true only when
// the file was written and moved into place; the saved mark (g_attrCacheSavedCount) then
// covers the changes made before the entries were collected. Does nothing (false) while a
// crash is being reported.
[[nodiscard]] bool SaveAttrCache(SearchEngine& engine);

// Closes *file (clearing it), deletes the file at path and logs it.
void DeleteCorruptAttrCache(FILE** file, const std::wstring& path);

// Gives the record its size and, when needTimes, its times: from the attribute cache, then
// the size map, then the file system (what the disk gave is stored in the cache). info is in
// and out. Nothing happens for a null or unavailable volume or an index past the records.
void HydrateRecordAttributes(VolumeIndex* volume, uint64_t recordIndex, FileAttrInfo* info, bool needTimes);

// Context of one prewarm worker thread (the thread frees it).
struct PrewarmWorkerContext {
    uint32_t workerIndex = 0;
    uint64_t sliceSize = 0;
    uint64_t end = 0;
    VolumeIndex* volume = nullptr;
};
unsigned PrewarmAttrCacheWorker(PrewarmWorkerContext* context);

// Records per volume the start-up prewarm fills.
constexpr uint64_t kPrewarmRecordsPerVolume = 3000;
