// Record attribute fill (HydrateRecordAttributes) and the start-up prewarm of the attribute
// cache.
#include <algorithm>
#include <chrono>
#include <memory>
#include <system_error>
#include <thread>

#include "core/Core.h"
#include "index/AttrCache.h"

std::atomic<uint64_t> g_hydrateCalls{0};
std::atomic<uint64_t> g_hydrateDiskReads{0};
std::atomic<uint64_t> g_hydrateMicros{0};

namespace {

using Clock = std::chrono::steady_clock;

bool HasTimes(const FileAttrInfo& info) {
    return info.lastWrite.dwLowDateTime || info.lastWrite.dwHighDateTime || info.creation.dwLowDateTime ||
           info.creation.dwHighDateTime;
}

}  // namespace

void HydrateRecordAttributes(VolumeIndex* volume, uint64_t recordIndex, FileAttrInfo* info, bool needTimes) {
    if (!volume || !info || !volume->available.load()) return;
    g_hydrateCalls.fetch_add(1, std::memory_order_relaxed);
    const auto t0 = Clock::now();

    uint64_t frn = 0;
    AcquireSRWLockShared(&volume->indexLock);
    const bool inside = recordIndex < volume->records.size();
    if (inside) frn = volume->records[static_cast<size_t>(recordIndex)].frn;
    ReleaseSRWLockShared(&volume->indexLock);
    if (!inside) return;

    bool done = false;
    if (volume->LookupAttr(frn, info)) {
        done = HasTimes(*info) || !needTimes;
    } else if (!needTimes) {
        SizePair sp;
        if (volume->LookupFileSize(frn, &sp)) {
            info->size = static_cast<uint64_t>(sp.size);
            info->valid = true;
            done = true;
        }
    }

    if (!done) {
        // Only a path that reaches the drive root names the file (else nothing is read).
        const std::wstring path = volume->BuildResolvedPathLocked(recordIndex);
        bool read = false;
        if (!path.empty()) {
            g_hydrateDiskReads.fetch_add(1, std::memory_order_relaxed);
            WIN32_FILE_ATTRIBUTE_DATA data{};
            if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
                info->valid = true;
                info->size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
                info->lastWrite = data.ftLastWriteTime;
                info->creation = data.ftCreationTime;
                read = true;
            }
        }
        if (!read) {
            SizePair sp;
            if (volume->LookupFileSize(frn, &sp)) {
                info->size = static_cast<uint64_t>(sp.size);
            } else if (!info->valid) {
                info->size = 0;
            }
            info->valid = true;
        }
        // A failed read that leaves no time stores nothing: the next request tries again.
        if (read || HasTimes(*info)) volume->StoreAttr(frn, *info);
    }
    g_hydrateMicros.fetch_add(
        static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - t0).count()),
        std::memory_order_relaxed);
}

unsigned PrewarmAttrCacheWorker(PrewarmWorkerContext* context) {
    std::unique_ptr<PrewarmWorkerContext> ctx(context);
    if (!ctx || !ctx->volume) return 0;
    const uint64_t first = static_cast<uint64_t>(ctx->workerIndex) * ctx->sliceSize;
    const uint64_t last = std::min(ctx->end, first + ctx->sliceSize);
    for (uint64_t i = first; i < last; ++i) {
        if (g_shuttingDown.load()) break;
        FileAttrInfo info;
        HydrateRecordAttributes(ctx->volume, i, &info, true);
        if ((i & 127) == 0) Sleep(1);
    }
    return 0;
}

void SearchEngine::PrewarmAttrCacheAsync() {
    if (prewarmBusy.exchange(true)) return;
    try {
        RunBackgroundTask(L"prewarm_attr_cache", [this] {
            // Cleared however the body ends.
            struct ClearBusy {
                std::atomic<bool>& flag;
                ~ClearBusy() { flag = false; }
            } clear{prewarmBusy};
            std::vector<VolumeIndex*> empty;
            {
                std::lock_guard<std::mutex> lock(mutex);
                for (auto& v : volumes) {
                    if (!v || !v->available.load()) continue;
                    AcquireSRWLockShared(&v->attrCacheLock);
                    const bool isEmpty = v->attrCache.empty();
                    ReleaseSRWLockShared(&v->attrCacheLock);
                    if (isEmpty) empty.push_back(v.get());
                }
            }
            for (VolumeIndex* v : empty) {
                if (!v || g_shuttingDown.load()) break;
                const uint64_t count = v->RecordCountLocked();
                if (count == 0) continue;
                const uint64_t n = std::min(count, kPrewarmRecordsPerVolume);
                auto* ctx = new PrewarmWorkerContext{0, n, n, v};
                std::thread worker;
                try {
                    worker = std::thread(&PrewarmAttrCacheWorker, ctx);
                } catch (...) {
                    delete ctx;
                    throw;
                }
                worker.join();
            }
        });
    } catch (const std::system_error&) {
        prewarmBusy = false;  // the task never started
    }
}
