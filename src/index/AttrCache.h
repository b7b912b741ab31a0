#pragma once
// The attribute cache (sizes and times of files, per volume, kept in attrcache.v1.bin), the
// record attribute fill that feeds it, and the start-up prewarm.
#include <atomic>
#include <cstdint>
#include <string>
#include <unordered_set>
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
// the section being read. Each section carries the journal position its entries were current
// to: the entries of files the journal names since then are dropped (a file changed, deleted
// or re-created while the program was closed), and a section whose journal cannot say (a
// recreated journal, a position the journal no longer holds, a file without positions) is
// dropped whole.
void LoadAttrCache(SearchEngine& engine);

// Reads what changed on a volume since a journal position: every file reference the journal
// names from `from` to its end goes into `changed`, *reached is where the reading ended. False
// when the journal cannot say. The default reads the volume's own journal through its handle;
// tests of volumes without a drive put their own in (null restores the default).
using AttrCacheJournalReader = bool (*)(VolumeIndex& volume, uint64_t journalId, int64_t from,
                                        std::unordered_set<uint64_t>& changed, int64_t* reached);
void SetAttrCacheJournalReader(AttrCacheJournalReader reader);

// Writes the caches of the engine's available NTFS volumes to attrcache.v1.bin (through
// "<name>.tmp" moved over the old file), each with the journal position up to which the volume's
// monitor had applied changes. Whole saves run one at a time. Returns true only when
// the file was written and moved into place; the saved mark (g_attrCacheSavedCount) then
// covers the changes made before the entries were collected. Does nothing (false) while a
// crash is being reported.
[[nodiscard]] bool SaveAttrCache(SearchEngine& engine);

// The periodic save (task "cache_autosave"): SaveAttrCache, and when that fails the saved mark
// is raised all the same to the change count taken before it, so that a cache that cannot be
// written is not collected and written again every round until something changes. The failure
// is logged once ("cache_save failed path=...") until a save succeeds again.
bool AutosaveAttrCache(SearchEngine& engine);

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
