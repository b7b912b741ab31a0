#pragma once
// Bounds the memory the content-scan threads hold at once for extracted document parts: a thread
// waits for room before it extracts an entry, so 64 threads never hold 64 large parts together.
#include <condition_variable>
#include <cstdint>
#include <mutex>

class ContentMemoryBudget {
public:
    explicit ContentMemoryBudget(uint64_t limit) : limit_(limit) {}
    // Waits until `bytes` fit (a request larger than the whole limit waits until nothing else is
    // held). False when the search became stale or the program is stopping meanwhile.
    [[nodiscard]] bool Acquire(uint64_t bytes, uint64_t generation);
    void Release(uint64_t bytes);
    uint64_t InUse();
    uint64_t Limit() const { return limit_; }

private:
    std::mutex mutex_;
    std::condition_variable released_;
    uint64_t limit_;
    uint64_t inUse_ = 0;
};

// The budget shared by every content search.
ContentMemoryBudget& ContentScanMemoryBudget();

// Holds bytes of a budget for one scope.
class ContentMemoryLease {
public:
    ContentMemoryLease(ContentMemoryBudget& budget, uint64_t bytes, uint64_t generation)
        : budget_(budget), bytes_(bytes), held_(budget.Acquire(bytes, generation)) {}
    ~ContentMemoryLease() {
        if (held_) budget_.Release(bytes_);
    }
    ContentMemoryLease(const ContentMemoryLease&) = delete;
    ContentMemoryLease& operator=(const ContentMemoryLease&) = delete;
    bool Held() const { return held_; }

private:
    ContentMemoryBudget& budget_;
    uint64_t bytes_;
    bool held_;
};
