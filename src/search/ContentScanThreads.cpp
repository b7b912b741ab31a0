#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <system_error>
#include <thread>

#include "search/ContentScanThreads.h"

#include "core/Core.h"
#include "i18n/I18n.h"
#include "index/Index.h"
#include "search/QueryParser.h"

namespace {

std::atomic<int> g_failThreadStartFrom{-1};

constexpr uint64_t kBatchRows = 16;
constexpr int64_t kPublishIntervalMs = 250;
constexpr int64_t kProgressIntervalMs = 100;

// Advances `tick` to `now` when more than `interval` ms passed; only one thread wins.
bool TryAdvanceTick(std::atomic<uint64_t>& tick, uint64_t now, int64_t interval) {
    uint64_t last = tick.load();
    if (static_cast<int64_t>(now - last) <= interval) return false;
    return tick.compare_exchange_strong(last, now);
}

void AppendBatch(ContentSearchWorkerContext& c, std::vector<MatchItem>& batch) {
    std::lock_guard<std::mutex> lock(c.hitsMutex);
    c.results->insert(c.results->end(), batch.begin(), batch.end());
    batch.clear();
}

void PostProgress(ContentSearchWorkerContext& c, uint64_t processed) {
    std::wstring text = FormatTableText(
        Tr(L"Status_ScanningProgressFmt", L"\u6b63\u5728\u626b\u63cf\u5185\u5bb9... (\u5df2\u5904\u7406 %zu / %zu)",
           L"Scanning contents... (Processed %zu / %zu)")
            .c_str(),
        static_cast<size_t>(processed), static_cast<size_t>(c.candidateCount));
    if (text.size() > 255) text.resize(255);
    PostValueToMainWindow(WM_SEARCH_STATUS_TEXT, static_cast<WPARAM>(c.generation),
                          std::make_unique<std::wstring>(std::move(text)));
}

bool TestCandidate(ContentSearchWorkerContext& c, const std::wstring& path) {
    size_t dot = path.find_last_of(L'.');
    const std::wstring ext = dot == std::wstring::npos ? std::wstring() : LowerCaseText(path.substr(dot));
    if (IsZipDocumentExtension(ext, c.zipExts)) {
        ZipDocumentScanner scanner = GetZipDocumentScanner();
        return scanner && scanner(path, c.groups, c.generation, c.zipPatterns, c.query.termGroups);
    }
    return SearchPlainFile(path, c.groups, c.generation);
}

void RunWorker(ContentSearchWorkerContext& c) {
    const uint64_t begin = static_cast<uint64_t>(c.index) * c.slice;
    const uint64_t end = std::min(begin + c.slice, c.candidateCount);
    std::vector<MatchItem> batch;
    for (uint64_t i = begin; i < end; ++i) {
        if (!IsContentSearchCurrent(c.generation)) return;  // unflushed hits are dropped
        const MatchItem item = c.candidates[static_cast<size_t>(i)];
        if (!item.volume) continue;
        std::wstring path;
        bool reachedRoot = false;
        AcquireSRWLockShared(&item.volume->indexLock);
        if (item.recordIndex < item.volume->records.size())
            path = item.volume->BuildFullPath(item.recordIndex, &reachedRoot);
        ReleaseSRWLockShared(&item.volume->indexLock);
        // A path from a broken parent chain names another file: never open it.
        if (path.empty() || !reachedRoot) continue;

        if (TestCandidate(c, path)) {
            batch.push_back(item);
            if (batch.size() >= kBatchRows && IsContentSearchCurrent(c.generation)) {
                AppendBatch(c, batch);
                if (TryAdvanceTick(c.lastPublishTick, GetTickCount64(), kPublishIntervalMs))
                    PublishContentSearchBatch(c.publish);
            }
        }
        uint64_t processed = c.processed.fetch_add(1) + 1;
        if (processed % 5 == 0 && TryAdvanceTick(c.lastProgressTick, GetTickCount64(), kProgressIntervalMs))
            PostProgress(c, processed);
    }
    if (!batch.empty() && IsContentSearchCurrent(c.generation)) AppendBatch(c, batch);
    if (TryAdvanceTick(c.lastPublishTick, GetTickCount64(), kPublishIntervalMs)) PublishContentSearchBatch(c.publish);
}

}  // namespace

void SetContentThreadStartFailureForTest(int fromIndex) { g_failThreadStartFrom.store(fromIndex); }

void PublishContentSearchBatch(const ContentSearchPublishContext& context) {
    if (!IsContentSearchCurrent(context.generation)) return;
    std::shared_ptr<std::vector<MatchItem>> copy;
    {
        std::lock_guard<std::mutex> lock(context.hitsMutex);
        if (!context.results || context.results->empty()) return;
        copy = std::make_shared<std::vector<MatchItem>>(*context.results);
    }
    PublishResultSet(std::move(copy), context.generation, kResultsPartial);
}

void ContentSearchWorker(ContentSearchWorkerContext* context) {
    std::unique_ptr<ContentSearchWorkerContext> owned(context);
    try {
        RunWorker(*owned);
    } catch (...) {
        LogBackgroundException(L"content_search_worker");
    }
}

bool RunContentScanThreads(const std::vector<MatchItem>& candidates, const std::vector<EncodedTermGroup>& groups,
                           const ContentQuery& query, const std::vector<std::wstring>& zipExts,
                           const std::vector<std::string>& zipPatterns, uint64_t generation, uint32_t threadCount,
                           std::shared_ptr<std::vector<MatchItem>>& results) {
    const uint64_t count = candidates.size();
    if (count == 0 || threadCount == 0) return true;
    const uint64_t slice = (count + threadCount - 1) / threadCount;
    std::mutex hitsMutex;
    std::atomic<uint64_t> lastPublishTick{0}, processed{0}, lastProgressTick{0};
    ContentSearchPublishContext publish{generation, hitsMutex, results};

    std::vector<std::thread> threads;
    threads.reserve(threadCount);
    bool allStarted = true;
    for (uint32_t i = 0; i < threadCount; ++i) {
        auto* ctx = new ContentSearchWorkerContext{i,          slice,       count,         generation, candidates,
                                                   zipExts,    groups,      zipPatterns,   query,      hitsMutex,
                                                   results,    lastPublishTick, publish,   processed,  lastProgressTick};
        try {
            const int failFrom = g_failThreadStartFrom.load();
            if (failFrom >= 0 && static_cast<int>(i) >= failFrom)
                throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
            threads.emplace_back(ContentSearchWorker, ctx);
        } catch (...) {
            // The threads already running refer to this frame: they are joined below.
            delete ctx;
            allStarted = false;
            break;
        }
    }
    for (auto& t : threads) t.join();
    return allStarted;
}
