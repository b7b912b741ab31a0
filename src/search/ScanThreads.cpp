#include "search/ScanThreads.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <exception>
#include <thread>
#include <vector>

namespace {

class ScanThreadPool {
public:
    void Run(unsigned helpers, const std::function<void()>& body) {
        // One scan at a time uses the helpers; another one meanwhile runs alone. It waits a
        // little for them first (a scan that has just been made stale is winding down), but
        // never for long and never from inside a scan: waiting could close a cycle with the
        // index locks the running scan needs.
        if (helpers == 0 || !AcquireRunLock()) {
            InJobScope scope;
            body();
            return;
        }
        AcquireSRWLockExclusive(&lock_);
        StartThreadsLocked(helpers);
        job_ = &body;
        wanted_ = std::min<size_t>(helpers, threads_.size());
        ReleaseSRWLockExclusive(&lock_);
        WakeAllConditionVariable(&wake_);
        // The helpers hold a pointer to body: they are waited for even when it throws here.
        std::exception_ptr failure;
        {
            InJobScope scope;
            try {
                body();
            } catch (...) {
                failure = std::current_exception();
            }
        }
        AcquireSRWLockExclusive(&lock_);
        wanted_ = 0;  // helpers that have not picked the job up yet leave it alone
        while (running_ > 0) SleepConditionVariableSRW(&idle_, &lock_, INFINITE, 0);
        job_ = nullptr;
        ReleaseSRWLockExclusive(&lock_);
        ReleaseSRWLockExclusive(&runLock_);
        if (failure) std::rethrow_exception(failure);
    }

    // Process exit: lets every helper finish the call it is in and joins it. Later scans run
    // on their calling thread alone.
    void Stop() {
        AcquireSRWLockExclusive(&lock_);
        stopping_ = true;
        std::vector<std::thread> threads = std::move(threads_);
        threads_.clear();
        ReleaseSRWLockExclusive(&lock_);
        WakeAllConditionVariable(&wake_);
        for (auto& t : threads)
            if (t.joinable()) t.join();
    }

private:
    // Marks the thread as running a scan body (nested scans run alone at once).
    static thread_local bool inJob_;
    struct InJobScope {
        bool outer = !inJob_;
        InJobScope() { inJob_ = true; }
        ~InJobScope() {
            if (outer) inJob_ = false;
        }
    };

    bool AcquireRunLock() {
        if (TryAcquireSRWLockExclusive(&runLock_)) return true;
        if (inJob_) return false;
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(3);
        while (std::chrono::steady_clock::now() < until) {
            SwitchToThread();
            if (TryAcquireSRWLockExclusive(&runLock_)) return true;
        }
        return false;
    }

    void StartThreadsLocked(size_t count) {
        while (!stopping_ && threads_.size() < count) {
            try {
                threads_.emplace_back([this] { Loop(); });
            } catch (...) {
                return;  // fewer helpers
            }
        }
    }

    void Loop() {
        AcquireSRWLockExclusive(&lock_);
        for (;;) {
            while (!stopping_ && wanted_ == 0) SleepConditionVariableSRW(&wake_, &lock_, INFINITE, 0);
            if (stopping_) break;
            --wanted_;
            ++running_;
            const std::function<void()>* job = job_;
            ReleaseSRWLockExclusive(&lock_);
            {
                InJobScope scope;
                (*job)();
            }
            AcquireSRWLockExclusive(&lock_);
            if (--running_ == 0) WakeAllConditionVariable(&idle_);
        }
        ReleaseSRWLockExclusive(&lock_);
    }

    SRWLOCK runLock_ = SRWLOCK_INIT;
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE wake_ = CONDITION_VARIABLE_INIT;
    CONDITION_VARIABLE idle_ = CONDITION_VARIABLE_INIT;
    std::vector<std::thread> threads_;  // changed under lock_
    const std::function<void()>* job_ = nullptr;
    size_t wanted_ = 0;   // helpers still to join the current job
    size_t running_ = 0;  // helpers inside the current job
    bool stopping_ = false;
};

thread_local bool ScanThreadPool::inJob_ = false;

// The pool lives until the process ends (a scan still running on another thread during exit
// keeps a valid object); its threads are stopped and joined when static objects are destroyed,
// so they neither keep the process alive nor run past the globals they might use.
ScanThreadPool& Pool() {
    static ScanThreadPool* pool = new ScanThreadPool;
    static struct Stopper {
        ~Stopper() { pool->Stop(); }
    } stopper;
    return *pool;
}

}  // namespace

unsigned NameScanThreadCount() {
    static const unsigned n = [] {
        SYSTEM_INFO si{};
        GetNativeSystemInfo(&si);
        return std::clamp<unsigned>(si.dwNumberOfProcessors, 1, 16);
    }();
    return n;
}

void RunOnScanThreads(unsigned helpers, const std::function<void()>& body) { Pool().Run(helpers, body); }

void StartScanThreads() {
    const unsigned n = NameScanThreadCount();
    if (n > 1) Pool().Run(n - 1, [] {});
}
