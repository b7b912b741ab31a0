#include "content/ContentMemory.h"

#include <chrono>

#include "content/ContentMatch.h"

bool ContentMemoryBudget::Acquire(uint64_t bytes, uint64_t generation) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (!IsContentSearchCurrent(generation)) return false;
        if (inUse_ == 0 || (bytes <= limit_ && inUse_ <= limit_ - bytes)) {
            inUse_ += bytes;
            return true;
        }
        // Woken by a release; the timeout lets a cancelled search leave without one.
        released_.wait_for(lock, std::chrono::milliseconds(20));
    }
}

void ContentMemoryBudget::Release(uint64_t bytes) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        inUse_ = bytes > inUse_ ? 0 : inUse_ - bytes;
    }
    released_.notify_all();
}

uint64_t ContentMemoryBudget::InUse() {
    std::lock_guard<std::mutex> lock(mutex_);
    return inUse_;
}

ContentMemoryBudget& ContentScanMemoryBudget() {
    // Room for two of the largest parts (50 MiB each, with their decoded copies) at a time.
    static ContentMemoryBudget budget(640ull << 20);
    return budget;
}
