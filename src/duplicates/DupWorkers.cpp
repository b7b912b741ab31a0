#include <algorithm>
#include <exception>
#include <mutex>
#include <thread>

#include "core/Logs.h"
#include "core/Messages.h"
#include "core/Tasks.h"
#include "duplicates/DupEngine.h"
#include "i18n/I18n.h"

std::atomic<uint64_t> g_lastDupProgressPostTick{0};

void DupParallelFor(uint64_t count, const std::atomic<bool>* cancel,
                    const std::function<void(uint64_t, int)>& task) {
    if (count == 0) return;
    const unsigned hw = std::thread::hardware_concurrency();
    int threads = hw < 2 ? 2 : (int)std::min(hw, (unsigned)kDupMaxHashThreads);
    if ((uint64_t)threads > count) threads = (int)count;
    std::atomic<uint64_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr firstError;
    std::mutex errorMutex;
    auto body = [&](int number) {
        DupTimedHelperScope helpers;
        try {
            for (;;) {
                if (failed || (cancel && cancel->load()) || g_shuttingDown) return;
                const uint64_t i = next.fetch_add(1);
                if (i >= count) return;
                task(i, number);
            }
        } catch (...) {
            LogBackgroundException(L"dup_hash_worker");
            std::lock_guard<std::mutex> lock(errorMutex);
            if (!firstError) firstError = std::current_exception();
            failed = true;
        }
    };
    std::vector<std::thread> pool;
    pool.reserve((size_t)threads);
    try {
        for (int t = 0; t < threads; ++t) pool.emplace_back(body, t);
    } catch (...) {
        failed = true;  // the threads already running stop at their next index
        for (auto& th : pool) th.join();
        throw;
    }
    for (auto& th : pool) th.join();
    if (firstError) std::rethrow_exception(firstError);
}

void DupPostProgressThrottled(DuplicateFindView* view) {
    if (!view) return;
    HWND hwnd = view->notifyWindow.load();
    if (!hwnd) return;
    const uint64_t now = GetTickCount64();
    uint64_t last = g_lastDupProgressPostTick.load();
    if (now >= last && now - last < 80) return;
    if (!g_lastDupProgressPostTick.compare_exchange_strong(last, now) && now >= last && now - last < 80) return;
    PostMessageIfWindow(hwnd, WM_APP_DUP_PROGRESS, 0, 0);
}

DupStatus DupPhaseStatus(uint32_t phase) {
    switch (phase) {
        case 1: return {L"Dup_PhaseIndex", L"读取索引", L"Reading index"};
        case 2: return {L"Dup_PhaseMft", L"读取 MFT 大小", L"Reading MFT sizes"};
        case 3: return {L"Dup_PhaseFilter", L"按大小筛选", L"Filtering by size"};
        case 4: return {L"Dup_PhaseQuick", L"快速哈希比较", L"Quick hash compare"};
        case 5: return {L"Dup_PhaseFull", L"完整哈希校验", L"Full hash verify"};
        case 6: return {L"Dup_PhaseCache", L"加载缓存", L"Loading cache"};
        default: return {};
    }
}

std::wstring DupPhaseName(uint32_t phase) { return DupPhaseStatus(phase).Text(); }

void DupReportPhase(DuplicateFindView* view, uint32_t phase, uint64_t total, uint32_t permille) {
    if (!view) return;
    view->SetPhase(phase, DupPhaseStatus(phase));
    view->progressDone = 0;
    view->progressTotal = total;
    view->permille = std::min<uint32_t>(permille, 1000);
    DupPostProgressThrottled(view);
}
