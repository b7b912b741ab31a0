#pragma once
// The threads of a content search: each tests its slice of the candidate rows with the content
// scan and publishes partial result sets while the search is current.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "content/Content.h"
#include "search/ResultSet.h"

// What a partial publication of a content search needs.
struct ContentSearchPublishContext {
    const uint64_t& generation;
    std::mutex& hitsMutex;
    std::shared_ptr<std::vector<MatchItem>>& results;
};

// One scan thread's view of its search (everything referenced lives in the search task).
struct ContentSearchWorkerContext {
    uint32_t index;
    const uint64_t& slice;
    const uint64_t& candidateCount;
    const uint64_t& generation;
    const std::vector<MatchItem>& candidates;
    const std::vector<std::wstring>& zipExts;
    const std::vector<EncodedTermGroup>& groups;
    const std::vector<std::string>& zipPatterns;
    const ContentQuery& query;
    std::mutex& hitsMutex;
    std::shared_ptr<std::vector<MatchItem>>& results;
    std::atomic<uint64_t>& lastPublishTick;
    ContentSearchPublishContext& publish;
    std::atomic<uint64_t>& processed;
    std::atomic<uint64_t>& lastProgressTick;
};

// Body of one scan thread; takes ownership of the context and frees it.
void ContentSearchWorker(ContentSearchWorkerContext* context);
void PublishContentSearchBatch(const ContentSearchPublishContext& context);

// Test seam: starting scan thread `fromIndex` and every later one fails (-1: none fails).
void SetContentThreadStartFailureForTest(int fromIndex);

// Runs a content search over the candidates with `threadCount` threads, joining every thread
// that was started (also when starting a later one fails). Returns false when a thread could not
// be started. Hits are appended to `results`.
bool RunContentScanThreads(const std::vector<MatchItem>& candidates, const std::vector<EncodedTermGroup>& groups,
                           const ContentQuery& query, const std::vector<std::wstring>& zipExts,
                           const std::vector<std::string>& zipPatterns, uint64_t generation, uint32_t threadCount,
                           std::shared_ptr<std::vector<MatchItem>>& results);
