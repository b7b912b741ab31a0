#pragma once
// The duplicate finder's engine without a window: the hash workers and progress, grouping,
// candidates by folder walk, and the group cache file dupcache\<drive>.dup (DUPCACHE1).
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "duplicates/DupHash.h"
#include "duplicates/DupTypes.h"
#include "duplicates/DupView.h"

// Tick of the last progress message posted by the hash workers (shared by all scans).
extern std::atomic<uint64_t> g_lastDupProgressPostTick;

// Hashing threads at most. Every file costs an open, a read and a close, and systems that
// serialise those per process gain nothing from more threads (measured: 1 thread 5.2 s, 2 and 4
// threads 2.7 to 3.8 s, 8 threads 4.2 s for 11,500 files); four reads at a time also keep a
// solid-state drive busy.
constexpr int kDupMaxHashThreads = 4;

// Runs task(index, thread number) for every index below count on 2..kDupMaxHashThreads threads
// (never more threads than indexes) and returns when all have ended. Stops handing out indexes when the cancel flag is set. An exception in
// a task stops the others and is passed on (after logging) once every thread has been joined.
void DupParallelFor(uint64_t count, const std::atomic<bool>* cancel,
                    const std::function<void(uint64_t index, int thread)>& task);

// Posts WM_APP_DUP_PROGRESS to the view's window at most once per 80 ms across all threads.
void DupPostProgressThrottled(DuplicateFindView* view);
// Phase with its name as status, progress 0 of total, the given permille.
void DupReportPhase(DuplicateFindView* view, uint32_t phase, uint64_t total, uint32_t permille);
// "Reading index", ... for the phases 1..6; none (empty) for any other.
DupStatus DupPhaseStatus(uint32_t phase);
std::wstring DupPhaseName(uint32_t phase);

// Groups the candidates (taken over) by size and extension (SizeOnly), by sampled hash (Fast),
// or by sampled and then whole-file hash (Exact). Files reached twice (same volume serial and
// file index) count once. Sorted largest first; empty when cancelled. Every pointer may be null.
std::vector<DupGroup> DupBuildGroups(std::vector<DupFileItem> candidates, std::atomic<bool>* cancel,
                                     std::atomic<uint64_t>* done, std::atomic<uint64_t>* total,
                                     DuplicateFindView* view, DupFileHashStore* store, DupCompareMode mode);

// Drops from each group the members that are the same file as an earlier member, and the
// groups left with fewer than two files.
void DupDropSameFileMembers(std::vector<DupGroup>& groups, const std::atomic<bool>* cancel);

// Every file of at least minSize below root (reparse points are not followed), with size and
// time from the listing. False when cancelled. counter counts every file seen.
bool DupCollectFilesByWalk(const std::wstring& root, int64_t minSize, std::vector<DupFileItem>& out,
                           const std::atomic<bool>* cancel, std::atomic<uint64_t>* counter);

// ---------------------------------------------------------------------------------------------
// Group cache.

// Config folder + "\dupcache", created on demand.
std::wstring GetDupCacheDir();
// "ALL.dup" for '*', else "<letter>.dup" (a letter outside A..Z counts as C).
std::wstring GetDupCachePath(wchar_t drive);

// The index sample of one volume: the references at a step that gives 64..127 of them, then
// the last one again (once the volume has two files or more).
void DupSampleReferences(const std::vector<uint64_t>& refs, wchar_t letter,
                         std::vector<std::pair<uint64_t, uint64_t>>* samples);
uint64_t ComputeDupCacheSignature(wchar_t drive, uint64_t minimumSize, uint32_t compareMode,
                                  const std::vector<std::pair<uint64_t, uint64_t>>& samples, uint64_t fileCount);

// Writes the groups through a temporary file and a replacing move; false on any failure.
[[nodiscard]] bool SaveDupCache(const std::wstring& path, wchar_t drive, int64_t minSize, uint64_t signature,
                  const std::vector<DupGroup>& groups);

// Reads a group cache written for exactly this drive, minimum size and signature. False for a
// missing, foreign, stale or damaged file (a cut last line, a hash that is not 64 hexadecimal
// digits, a size that is not a plain number from the minimum up to 2^62, a path listed twice in
// one group); groups of fewer than two files are dropped.
bool ReadDupCache(const std::wstring& path, wchar_t drive, int64_t minSize, uint64_t signature,
                  std::vector<DupGroup>* groups);
