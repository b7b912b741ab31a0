#include <algorithm>
#include <thread>
#include <unordered_map>

#include "core/Tasks.h"
#include "duplicates/DupEngine.h"
#include "i18n/I18n.h"

namespace {

constexpr uint32_t kQuickDeadlineMs = 10000;
constexpr uint32_t kFullDeadlineMs = 30000;
constexpr uint32_t kQuickRetryDeadlineMs = 25000;
constexpr uint32_t kFullRetryDeadlineMs = 60000;

struct DupHashTask {
    uint32_t group;
    uint32_t file;
};

bool IsSet(const std::atomic<bool>* flag) { return flag && flag->load(); }

// One hashing pass (quick or full) over groups of files.
struct HashPass {
    bool full = false;
    std::atomic<bool>* cancel = nullptr;
    DuplicateFindView* view = nullptr;
    DupFileHashStore* store = nullptr;
    std::vector<std::vector<DupFileItem>>* groups = nullptr;
    std::vector<DupHashTask> tasks;
    std::vector<std::vector<std::wstring>> results;
    std::vector<uint8_t> timedOut;
    std::atomic<uint64_t> counter{0};
    std::atomic<uint64_t>* done = nullptr;

    // One task per file of every group; the caller's counters start at 0 of the task count.
    HashPass(bool fullPass, std::atomic<bool>* cancelFlag, DuplicateFindView* v, DupFileHashStore* s,
             std::vector<std::vector<DupFileItem>>* g, std::atomic<uint64_t>* doneCounter,
             std::atomic<uint64_t>* totalCounter)
        : full(fullPass), cancel(cancelFlag), view(v), store(s), groups(g), done(doneCounter) {
        Prepare();
        if (totalCounter) *totalCounter = tasks.size();
        if (done) *done = 0;
    }

    void Prepare() {
        tasks.clear();
        results.assign(groups->size(), {});
        for (uint32_t g = 0; g < groups->size(); ++g) {
            results[g].resize((*groups)[g].size());
            for (uint32_t f = 0; f < (*groups)[g].size(); ++f) tasks.push_back({g, f});
        }
        timedOut.assign(tasks.size(), 0);
        counter = 0;
    }

    void WaitWhilePaused() const {
        while (view && view->paused && !IsSet(cancel) && !view->stopRequested && !g_shuttingDown) Sleep(50);
    }

    // Candidates from the index come without a time: it is asked once and kept with the file, so
    // that the cache lookup does not ask again and members of a group with different times are
    // known to be different files without opening them (DupDropSameFileMembers). False when
    // the file changed size since it was listed or the query ran out of time.
    static bool KeepCurrentTime(DupFileItem& item, uint32_t deadline) {
        tls_hashTimedOut = false;
        tls_hashDeadline = GetTickCount64() + deadline;
        const DupFileStat st = DupQueryFileStat(item.path);
        if (!st.valid) return !tls_hashTimedOut;
        if (st.size != item.size) return false;
        item.mtime = st.mtime;
        return true;
    }

    std::wstring Hash(DupFileItem& item, uint32_t deadline) const {
        if (store && item.mtime == 0 && !KeepCurrentTime(item, deadline)) return {};
        if (full) {
            return store ? DupGetFullHashCached(item.path, item.size, item.mtime, cancel, store, deadline)
                         : DupComputeFullHash(item.path, cancel, deadline, item.size);
        }
        return store ? DupGetQuickHashCached(item.path, item.size, item.mtime, cancel, store, deadline)
                     : DupComputeQuickHash(item.path, item.size, cancel, deadline);
    }

    void RunTask(uint64_t i, int thread) {
        if (IsSet(cancel)) return;
        WaitWhilePaused();
        if (IsSet(cancel)) return;
        const DupHashTask t = tasks[i];
        DupFileItem& item = (*groups)[t.group][t.file];
        if (view) view->SetWorkerFile(thread, item.path);
        results[t.group][t.file] = Hash(item, full ? kFullDeadlineMs : kQuickDeadlineMs);
        const bool late = tls_hashTimedOut;
        if (late) {
            timedOut[i] = 1;
            if (view) view->timeoutCount.fetch_add(1);
        }
        if (view) view->ClearWorkerFile(thread);
        const uint64_t n = counter.fetch_add(1) + 1;
        if (done) done->store(n);
        if (!view) return;
        if (n % (full ? 8 : 16) != 0 && !late) return;
        const uint64_t total = std::max<uint64_t>(tasks.size(), 1);
        view->permille = full ? (uint32_t)std::min<uint64_t>(700 + n * 300 / total, 1000)
                              : (uint32_t)std::min<uint64_t>(360 + n * 340 / total, 700);
        view->progressDone = n;
        view->progressTotal = tasks.size();
        DupPostProgressThrottled(view);
    }

    void Run() { DupParallelFor(tasks.size(), cancel, [this](uint64_t i, int t) { RunTask(i, t); }); }

    // Files that ran out of time get one more try on one or two threads with a longer deadline.
    void Retry(uint32_t phase) {
        std::vector<uint64_t> list;
        for (uint64_t i = 0; i < tasks.size(); ++i) {
            if (timedOut[i] && results[tasks[i].group][tasks[i].file].empty()) list.push_back(i);
        }
        if (list.empty()) return;
        if (view) {
            view->SetPhase(phase, DupStatus(L"Dup_PhaseSlowRetry", L"重试慢速文件", L"Retrying slow files"));
            DupPostProgressThrottled(view);
        }
        std::atomic<uint64_t> next{0};
        DupParallelFor(list.size() >= 2 ? 2 : 1, cancel, [&](uint64_t, int thread) {
            for (;;) {
                if (IsSet(cancel)) return;
                WaitWhilePaused();
                if (IsSet(cancel)) return;
                const uint64_t k = next.fetch_add(1);
                if (k >= list.size()) return;
                const DupHashTask t = tasks[list[k]];
                DupFileItem& item = (*groups)[t.group][t.file];
                if (view) view->SetWorkerFile(thread, item.path);
                results[t.group][t.file] = Hash(item, full ? kFullRetryDeadlineMs : kQuickRetryDeadlineMs);
                if (tls_hashTimedOut && view) view->timeoutCount.fetch_add(1);
                if (view) {
                    view->ClearWorkerFile(thread);
                    DupPostProgressThrottled(view);
                }
            }
        });
    }

    // Appends a group for every result shared by two or more files of group g.
    void AppendGroups(uint32_t g, std::vector<DupGroup>* out) const {
        const int64_t size = (*groups)[g].front().size;
        for (auto& [hash, files] : Split(g)) {
            if (files.size() < 2) continue;
            DupGroup group{size, hash, std::move(files), 0};
            group.totalBytes = DupGroupTotalBytes(group);
            out->push_back(std::move(group));
        }
    }

    // Files of one group with equal results, in group order; files without a result are left out.
    std::vector<std::pair<std::wstring, std::vector<DupFileItem>>> Split(uint32_t g) const {
        std::vector<std::pair<std::wstring, std::vector<DupFileItem>>> out;
        std::unordered_map<std::wstring, size_t> at;
        const auto& files = (*groups)[g];
        for (size_t f = 0; f < files.size(); ++f) {
            const std::wstring& h = results[g][f];
            if (h.empty()) continue;
            auto [it, added] = at.try_emplace(h, out.size());
            if (added) out.push_back({h, {}});
            out[it->second].second.push_back(files[f]);
        }
        return out;
    }
};

void SortLargestFirst(std::vector<DupGroup>& groups) {
    std::stable_sort(groups.begin(), groups.end(), [](const DupGroup& a, const DupGroup& b) {
        if (a.totalBytes != b.totalBytes) return a.totalBytes > b.totalBytes;
        return a.size > b.size;
    });
}

std::vector<DupGroup> GroupBySizeAndExtension(std::unordered_map<int64_t, std::vector<DupFileItem>>& buckets,
                                              uint64_t candidates, std::atomic<bool>* cancel,
                                              std::atomic<uint64_t>* done, std::atomic<uint64_t>* total,
                                              DuplicateFindView* view) {
    std::vector<DupGroup> groups;
    uint64_t skipped = 0, sameExt = 0, mixed = 0;
    for (auto& [size, files] : buckets) {
        if (IsSet(cancel)) return {};
        if (files.size() < 2) {
            ++skipped;
            continue;
        }
        std::unordered_map<std::wstring, std::vector<DupFileItem>> byExt;
        byExt.reserve(files.size());
        std::vector<std::wstring> order;
        for (auto& f : files) {
            std::wstring ext = DupLowerExtension(f.path);
            auto [it, added] = byExt.try_emplace(ext);
            if (added) order.push_back(ext);
            it->second.push_back(std::move(f));
        }
        std::vector<DupFileItem> alone;
        for (const std::wstring& ext : order) {
            auto& list = byExt[ext];
            if (list.size() < 2) {
                alone.push_back(std::move(list.front()));
                continue;
            }
            groups.push_back({size, ext.empty() ? L"size-only:" : L"size-only:." + ext, std::move(list), 0});
            ++sameExt;
        }
        if (alone.size() >= 2) {
            groups.push_back({size, L"size-only:mixed", std::move(alone), 0});
            ++mixed;
        }
    }
    for (DupGroup& g : groups) {
        std::sort(g.files.begin(), g.files.end(),
                  [](const DupFileItem& a, const DupFileItem& b) { return a.path < b.path; });
        g.totalBytes = DupGroupTotalBytes(g);
    }
    DupDropSameFileMembers(groups, cancel);
    if (IsSet(cancel)) return {};
    std::sort(groups.begin(), groups.end(), [](const DupGroup& a, const DupGroup& b) {
        if (a.totalBytes != b.totalBytes) return a.totalBytes > b.totalBytes;
        if (a.size != b.size) return a.size > b.size;
        if (a.files.size() != b.files.size()) return a.files.size() > b.files.size();
        return a.key < b.key;
    });
    if (view) {
        view->SetPhase(3, DupStatus(L"Dup_StatusSizeOnlyFmt", L"", L"", {sameExt, mixed, skipped, candidates}));
        view->permille = 1000;
        view->progressDone = candidates;
        view->progressTotal = std::max<uint64_t>(candidates, 1);
        DupPostProgressThrottled(view);
    }
    if (done) *done = candidates;
    if (total) *total = std::max<uint64_t>(candidates, 1);
    return groups;
}

}  // namespace

int64_t DupGroupTotalBytes(const DupGroup& group) {
    const uint64_t n = group.files.size();
    if (group.size <= 0 || n == 0) return 0;
    if ((uint64_t)group.size > (uint64_t)INT64_MAX / n) return INT64_MAX;
    return group.size * (int64_t)n;
}

std::wstring DupLowerExtension(const std::wstring& path) {
    const size_t sep = path.find_last_of(L"\\/");
    const size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || (sep != std::wstring::npos && dot < sep) || dot + 1 >= path.size()) return {};
    std::wstring ext = path.substr(dot + 1);
    for (wchar_t& c : ext) {
        if (c >= L'A' && c <= L'Z') c = (wchar_t)(c - L'A' + L'a');
    }
    return ext;
}

DupCompareMode NormalizeDupCompareMode(int index) {
    return index == 1 ? DupCompareMode::Fast : index == 2 ? DupCompareMode::Exact : DupCompareMode::SizeOnly;
}

void DupDropSameFileMembers(std::vector<DupGroup>& groups, const std::atomic<bool>* cancel) {
    // One file reached by two paths has one last-write time: members whose known time no other
    // member of their group shares are different files and need not be opened.
    std::vector<std::pair<uint32_t, uint32_t>> members;
    std::vector<std::vector<int64_t>> slot(groups.size());  // member index per file, -1 when not asked
    for (uint32_t g = 0; g < groups.size(); ++g) {
        const auto& files = groups[g].files;
        std::unordered_map<uint64_t, uint32_t> timeCount;
        for (const DupFileItem& f : files) ++timeCount[f.mtime];
        slot[g].assign(files.size(), -1);
        for (uint32_t f = 0; f < files.size(); ++f) {
            if (files[f].mtime != 0 && timeCount[files[f].mtime] < 2) continue;
            slot[g][f] = (int64_t)members.size();
            members.push_back({g, f});
        }
    }
    std::vector<DupFileIdentity> ids(members.size());
    std::vector<uint8_t> known(members.size(), 0);
    DupParallelFor(members.size(), cancel, [&](uint64_t i, int) {
        tls_hashDeadline = GetTickCount64() + kQuickDeadlineMs;
        tls_hashTimedOut = false;
        known[i] = DupQueryFileIdentity(groups[members[i].first].files[members[i].second].path, &ids[i], cancel);
    });
    if (IsSet(cancel)) return;
    std::vector<DupGroup> kept;
    kept.reserve(groups.size());
    for (uint32_t gi = 0; gi < groups.size(); ++gi) {
        DupGroup& g = groups[gi];
        std::vector<DupFileIdentity> seen;
        std::vector<DupFileItem> files;
        for (uint32_t fi = 0; fi < g.files.size(); ++fi) {
            DupFileItem& f = g.files[fi];
            const int64_t i = slot[gi][fi];
            if (i >= 0 && known[i]) {
                if (std::find(seen.begin(), seen.end(), ids[i]) != seen.end()) continue;
                seen.push_back(ids[i]);
            }
            files.push_back(std::move(f));
        }
        if (files.size() < 2) continue;
        g.files = std::move(files);
        g.totalBytes = DupGroupTotalBytes(g);
        kept.push_back(std::move(g));
    }
    groups = std::move(kept);
}

std::vector<DupGroup> DupBuildGroups(std::vector<DupFileItem> candidates, std::atomic<bool>* cancel,
                                     std::atomic<uint64_t>* done, std::atomic<uint64_t>* total,
                                     DuplicateFindView* view, DupFileHashStore* store, DupCompareMode mode) {
    if (view) {
        view->SetPhase(3, DupPhaseStatus(3));
        view->permille = 360;
        DupPostProgressThrottled(view);
    }
    const uint64_t candidateCount = candidates.size();
    std::unordered_map<int64_t, std::vector<DupFileItem>> buckets;
    buckets.reserve(candidates.size() / 2 + 1);
    for (auto& c : candidates) buckets[c.size].push_back(std::move(c));
    candidates.clear();
    candidates.shrink_to_fit();

    if (mode == DupCompareMode::SizeOnly) return GroupBySizeAndExtension(buckets, candidateCount, cancel, done, total, view);

    std::vector<std::vector<DupFileItem>> sizeGroups;
    uint64_t skipped = 0;
    for (auto& [size, files] : buckets) {
        if (files.size() < 2) {
            ++skipped;
        } else {
            sizeGroups.push_back(std::move(files));
        }
    }
    buckets.clear();
    if (IsSet(cancel)) return {};

    HashPass quick(false, cancel, view, store, &sizeGroups, done, total);
    const uint64_t n = quick.tasks.size();
    if (view) {
        view->SetPhase(4, DupStatus(L"Dup_StatusQuickStatsFmt", L"", L"", {n, skipped, candidateCount, sizeGroups.size()}));
        view->progressDone = 0;
        view->progressTotal = std::max<uint64_t>(n, 1);
        view->permille = 360;
        DupPostProgressThrottled(view);
    }
    quick.Run();
    if (IsSet(cancel)) return {};
    quick.Retry(4);
    if (IsSet(cancel)) return {};

    std::vector<DupGroup> groups;
    std::vector<std::vector<DupFileItem>> fullCandidates;
    for (uint32_t g = 0; g < sizeGroups.size(); ++g) {
        if (mode == DupCompareMode::Exact && sizeGroups[g].front().size > kDupSmallFileLimit) {
            for (auto& [hash, files] : quick.Split(g)) {
                if (files.size() >= 2) fullCandidates.push_back(std::move(files));
            }
        } else {
            quick.AppendGroups(g, &groups);
        }
    }
    quick.results.clear();
    quick.tasks.clear();
    sizeGroups.clear();

    if (mode == DupCompareMode::Exact && !fullCandidates.empty()) {
        HashPass fullPass(true, cancel, view, store, &fullCandidates, done, total);
        DupReportPhase(view, 5, fullPass.tasks.size(), 700);
        fullPass.Run();
        if (IsSet(cancel)) return {};
        fullPass.Retry(5);
        if (IsSet(cancel)) return {};
        for (uint32_t g = 0; g < fullCandidates.size(); ++g) fullPass.AppendGroups(g, &groups);
        if (view) {
            view->permille = 1000;
            DupPostProgressThrottled(view);
        }
    } else if (view) {
        view->permille = 1000;
        view->progressDone = n;
        view->progressTotal = std::max<uint64_t>(n, 1);
        DupPostProgressThrottled(view);
    }
    DupDropSameFileMembers(groups, cancel);
    if (IsSet(cancel)) return {};
    SortLargestFirst(groups);
    return groups;
}
