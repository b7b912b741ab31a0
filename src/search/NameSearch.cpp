#include "search/NameSearch.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cwchar>
#include <exception>
#include <functional>
#include <mutex>
#include <system_error>

#include "core/Core.h"
#include "i18n/I18n.h"
#include "index/Index.h"
#include "search/Filters.h"
#include "search/QueryParser.h"
#include "search/RecentOpens.h"
#include "search/ScanThreads.h"
#include "search/SearchInternal.h"
#include "core/Window.h"

std::atomic<bool> g_suppressRecentView{false};
std::wstring g_currentQuery;
std::atomic<bool> g_currentQueryEmpty{true};
std::atomic<int> g_searchScope{0};
bool g_initialSearchEnabled = true;
bool g_showRecentOnEmpty = true;

void SetCurrentQuery(std::wstring query) {
    g_currentQueryEmpty.store(query.empty());
    g_currentQuery = std::move(query);
}

namespace {

constexpr UINT_PTR kIdleTrimTimer = 30011;
constexpr size_t kSearchReserveRows = 8192;
constexpr size_t kListingReserveRows = 100000;

// Matches prepared (lower-case) term groups against the lower-case names of records.
class NameMatcher {
public:
    NameMatcher(const TermGroups& groups, bool pinyin) : groups_(groups), pinyin_(pinyin && !groups.empty()) {}

    bool Matches(const FileRecord& rec) const {
        const wchar_t* lower = rec.name + rec.nameLength + 1;
        if (groups_.empty()) return true;
        for (const auto& g : groups_) {
            bool all = true;
            for (const auto& t : g) {
                if (!Contains(lower, rec.nameLength, t)) {
                    all = false;
                    break;
                }
            }
            if (all) return true;
        }
        return pinyin_ && MatchPinyinInitials(rec.name, rec.nameLength, groups_[0][0]);
    }

private:
    // Whether the n characters at s hold t. s[n] must be readable (the name pool ends every
    // lower-case name with a NUL): the vector loop reads up to it.
    static bool Contains(const wchar_t* s, size_t n, const std::wstring& t) {
        const size_t m = t.size();
        if (m == 0) return true;
        if (m > n) return false;
        const size_t last = n - m;  // last possible start
        const wchar_t first = t[0];
        size_t i = 0;
#if defined(__SSE2__) || defined(_M_X64)
        if (m >= 2) {
            static_assert(sizeof(wchar_t) == 2, "UTF-16 names");
            // Eight starts at a time: the first two characters of the term against s[i..i+8].
            const __m128i c0 = _mm_set1_epi16(static_cast<short>(first));
            const __m128i c1 = _mm_set1_epi16(static_cast<short>(t[1]));
            for (; i <= last && i + 8 <= n; i += 8) {
                const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
                const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 1));
                auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(a, c0), _mm_cmpeq_epi16(b, c1))));
                while (mask) {
                    const unsigned bit = static_cast<unsigned>(std::countr_zero(mask));
                    const size_t p = i + bit / 2;
                    if (p > last) return false;
                    if (std::wmemcmp(s + p + 2, t.data() + 2, m - 2) == 0) return true;
                    mask &= ~(3u << bit);
                }
            }
        }
#endif
        const wchar_t* tail = t.data() + 1;
        for (; i <= last; ++i) {
            if (s[i] != first) continue;
            size_t k = 1;
            while (k < m && s[i + k] == tail[k - 1]) ++k;
            if (k == m) return true;
        }
        return false;
    }

    const TermGroups& groups_;
    bool pinyin_;
};

// Row vectors of earlier searches come back here when their last holder lets go of them, so
// that a large result set fills memory that is already committed and touched instead of fresh
// pages. A few are kept, none larger than kKeptRowsCapacity rows.
constexpr size_t kKeptRowVectors = 2;
constexpr size_t kKeptRowsCapacity = size_t(1) << 20;  // 16 MiB

struct SpareRowVectors {
    std::mutex mutex;
    std::vector<std::vector<MatchItem>*> spare;
    SpareRowVectors() { spare.reserve(kKeptRowVectors); }  // giving one back never allocates
};

// Never destroyed: result sets may be let go while static objects are being destroyed.
SpareRowVectors& SpareRows() {
    static SpareRowVectors* spare = new SpareRowVectors;
    return *spare;
}

void GiveBackRows(std::vector<MatchItem>* rows) noexcept {
    if (rows->capacity() <= kKeptRowsCapacity) {
        rows->clear();
        SpareRowVectors& s = SpareRows();
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.spare.size() < kKeptRowVectors) {
            s.spare.push_back(rows);
            return;
        }
    }
    delete rows;
}

// An empty row vector for a search's result set (room for at least `reserve` rows).
std::shared_ptr<std::vector<MatchItem>> MakeResultRows(size_t reserve) {
    std::vector<MatchItem>* rows = nullptr;
    {
        SpareRowVectors& s = SpareRows();
        std::lock_guard<std::mutex> lock(s.mutex);
        if (!s.spare.empty()) {
            rows = s.spare.back();
            s.spare.pop_back();
        }
    }
    if (!rows) rows = new std::vector<MatchItem>();
    std::shared_ptr<std::vector<MatchItem>> set(rows, GiveBackRows);  // gives it back if this throws
    set->reserve(reserve);
    return set;
}

std::vector<VolumeIndex*> CopyVolumeList() {
    std::vector<VolumeIndex*> list;
    list.reserve(g_searchEngine.volumes.size());
    for (const auto& v : g_searchEngine.volumes)
        if (v) list.push_back(v.get());
    return list;
}

// Full path of a record for the Desktop scope test; empty when it does not reach the root.
bool RecordUnderDesktop(const VolumeIndex& v, size_t r, const std::wstring& desktop) {
    bool reachedRoot = false;
    std::wstring path = v.BuildFullPath(r, &reachedRoot);
    return reachedRoot && IsPathUnderBase(path, desktop);
}

std::wstring ReadSearchBoxText() {
    if (!g_hSearchEdit) return {};
    wchar_t buf[256] = {};
    GetWindowTextW(g_hSearchEdit, buf, 256);
    std::wstring text = buf;
    TrimWhitespace(text);
    return text;
}

void StartTask(const wchar_t* name, const std::function<void()>& work) {
    try {
        RunBackgroundTask(name, work);
    } catch (const std::exception&) {
        // No thread could be started: nothing runs and the shown set stays.
        LogBackgroundException(name);
    }
}

// Records per block of the parallel name scan; blocks are taken in order by the scan threads.
// Small blocks let the frontier of finished blocks (and so the partial set) advance early.
constexpr size_t kScanBlockRecords = 4096;
static_assert(kScanBlockRecords % NameSignatures::kBlockRecords == 0, "scan blocks hold whole signature blocks");

void AddRecordSignatureBits(uint64_t* bits, const FileRecord& rec) {
    if (rec.name && rec.nameLength != 0) AddNameSignatureBits(bits, rec.name, rec.nameLength);
}

// Builds sign their blocks with the same texts as they go.
[[maybe_unused]] const bool g_nameBitsSet = (NameSignatures::SetNameBits(AddNameSignatureBits), true);

// Decides from a block's name signature whether a name of the block can match the query: some
// term group whose every term has all its bits in the block's set (a one-character term has
// none: it rules nothing out). A pinyin-initials term is a substring of a name's initials form,
// whose bits the signature holds too.
class BlockFilter {
public:
    explicit BlockFilter(const TermGroups& groups) {
        if (groups.empty()) return;  // every name matches
        for (const auto& g : groups) {
            uint64_t bits[NameSignatures::kBlockWords] = {};
            for (const auto& t : g) NameSignatures::AddTextBits(bits, t.data(), t.size());
            for (unsigned w = 0; w < NameSignatures::kBlockWords; ++w)
                if (bits[w]) words_.push_back(Word{w, bits[w]});
            groupEnds_.push_back(words_.size());
        }
        active_ = true;
    }

    bool MayMatch(const uint64_t* sig) const {
        if (!active_) return true;
        size_t k = 0;
        for (size_t end : groupEnds_) {
            bool all = true;
            for (; k < end; ++k) {
                if ((sig[words_[k].index] & words_[k].mask) != words_[k].mask) {
                    all = false;
                    k = end;
                    break;
                }
            }
            if (all) return true;
        }
        return false;
    }

private:
    struct Word {
        unsigned index;
        uint64_t mask;
    };
    std::vector<Word> words_;
    std::vector<size_t> groupEnds_;
    bool active_ = false;
};

// Gives a claimed signature block back when its scan stops part way (or throws).
struct SignClaim {
    NameSignatures& sigs;
    size_t block;
    uint64_t* bits;
    ~SignClaim() {
        if (bits) sigs.AbandonSign(block);
    }
    void Done() {
        if (bits) sigs.EndSign(block);
        bits = nullptr;
    }
};

// Complete signature blocks signed per turn of the signing pass (the index lock and the scan
// threads are let go between turns).
constexpr size_t kSignTurnBlocks = 2048;
// Blocks a thread takes at once (neighbouring blocks share cache lines of their state).
constexpr size_t kSignChunkBlocks = 64;

// Signs the complete blocks without a signature of the volumes, on the scan threads, a turn at a
// time under each volume's shared index lock. A search runs it after publishing its final set,
// so the signatures never delay results; it stops as soon as the generation moves on (a newer
// search or sort) and a volume whose lock a writer holds is left for a later pass.
void SignUnsignedBlocks(const std::vector<VolumeIndex*>& volumes, int volumePosition, uint64_t generation) {
    constexpr size_t kSigRecords = NameSignatures::kBlockRecords;
    for (size_t i = 0; i < volumes.size(); ++i) {
        if (volumePosition >= 0 && static_cast<size_t>(volumePosition) != i) continue;
        VolumeIndex* v = volumes[i];
        if (!v || !v->available.load() || v->building.load()) continue;
        for (size_t first = 0;;) {
            if (!IsSearchCurrent(generation)) return;
            if (!TryAcquireSRWLockShared(&v->indexLock)) break;
            SharedIndexLockRelease release{&v->indexLock};
            const size_t complete = v->records.size() / kSigRecords;
            if (first >= complete || v->nameSignatures.SignedBlocks() >= complete) break;
            const size_t end = std::min(complete, first + kSignTurnBlocks);
            std::atomic<size_t> next{first};
            std::atomic<bool> stop{false};
            const std::function<void()> body = [&] {
                try {
                    for (size_t from; (from = next.fetch_add(kSignChunkBlocks)) < end;) {
                        for (size_t b = from; b < std::min(end, from + kSignChunkBlocks); ++b) {
                            if (stop.load(std::memory_order_relaxed)) return;
                            if (!IsSearchCurrent(generation)) {
                                stop.store(true);
                                return;
                            }
                            if (v->nameSignatures.Find(b)) continue;
                            SignClaim claim{v->nameSignatures, b, v->nameSignatures.BeginSign(b)};
                            if (!claim.bits) continue;
                            auto it = v->records.begin() + static_cast<std::ptrdiff_t>(b * kSigRecords);
                            for (size_t k = 0; k < kSigRecords; ++k, ++it) AddRecordSignatureBits(claim.bits, *it);
                            claim.Done();
                        }
                    }
                } catch (...) {
                    stop.store(true);  // memory exhausted: the blocks stay unsigned and are scanned
                }
            };
            const size_t chunks = (end - first + kSignChunkBlocks - 1) / kSignChunkBlocks;
            RunOnScanThreads(static_cast<unsigned>(std::min<size_t>(NameScanThreadCount(), chunks) - 1), body);
            if (stop.load()) return;
            first = end;
        }
    }
}

// The one partial publication of a search: the first kPartialPublishRows rows in final order.
struct PartialState {
    bool pending;  // still to publish (false for a single CJK character or once published)
    uint64_t generation;
};

// Scans one volume's records in blocks on several threads. The rows come out in record order;
// `rows` holds the earlier volumes' rows on entry and this volume's appended on return. Blocks
// of records whose signature rules a match out are passed by. The caller holds the volume's
// index lock shared for the whole call. False: stale, stop.
template <class Pred>
bool ScanVolumeBlocks(VolumeIndex& v, const BlockFilter& filter, Pred&& pred, std::vector<MatchItem>& rows,
                      PartialState& partial) {
    const size_t count = v.records.size();
    const size_t blocks = (count + kScanBlockRecords - 1) / kScanBlockRecords;
    if (blocks == 0) return true;
    std::vector<std::vector<MatchItem>> blockRows(blocks);
    std::vector<uint8_t> done(blocks, 0);
    std::mutex frontierMutex;
    size_t frontier = 0, frontierRows = rows.size();
    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};
    const uint64_t generation = partial.generation;
    NameSignatures& sigs = v.nameSignatures;
    constexpr size_t kSigRecords = NameSignatures::kBlockRecords;

    // Scans records [begin, end) into `out`; false when the scan must stop.
    auto scanRange = [&](size_t begin, size_t end, std::vector<MatchItem>& out) {
        for (size_t s = begin; s < end; s += kSigRecords) {
            if (g_shuttingDown.load(std::memory_order_relaxed) || stop.load(std::memory_order_relaxed) ||
                g_searchGeneration.load() != generation)
                return false;
            const size_t sEnd = std::min(end, s + kSigRecords);
            if (sEnd - s == kSigRecords) {
                const uint64_t* sig = sigs.Find(s / kSigRecords);
                if (sig && !filter.MayMatch(sig)) continue;
            }
            auto it = v.records.begin() + static_cast<std::ptrdiff_t>(s);
            for (size_t r = s; r < sEnd; ++r, ++it) {
                const FileRecord& rec = *it;
                if (!rec.deleted && pred(rec, r)) out.push_back(MatchItem{&v, static_cast<uint32_t>(r)});
            }
        }
        return true;
    };

    auto worker = [&] {
        std::vector<MatchItem> scratch;
        scratch.reserve(kScanBlockRecords);
        for (;;) {
            const size_t b = next.fetch_add(1);
            if (b >= blocks || stop.load(std::memory_order_relaxed)) return;
            const size_t begin = b * kScanBlockRecords, end = std::min(count, begin + kScanBlockRecords);
            scratch.clear();
            if (!scanRange(begin, end, scratch)) {
                stop.store(true);
                return;
            }
            if (!scratch.empty()) blockRows[b].assign(scratch.begin(), scratch.end());
            std::lock_guard<std::mutex> lock(frontierMutex);
            done[b] = 1;
            if (!partial.pending) continue;
            while (frontier < blocks && done[frontier]) frontierRows += blockRows[frontier++].size();
            if (frontierRows >= kPartialPublishRows && IsSearchCurrent(generation)) {
                partial.pending = false;
                auto set = std::make_shared<std::vector<MatchItem>>();
                set->reserve(kPartialPublishRows);
                set->assign(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(std::min(rows.size(), kPartialPublishRows)));
                for (size_t k = 0; k < frontier && set->size() < kPartialPublishRows; ++k) {
                    const size_t take = std::min(blockRows[k].size(), kPartialPublishRows - set->size());
                    set->insert(set->end(), blockRows[k].begin(), blockRows[k].begin() + static_cast<std::ptrdiff_t>(take));
                }
                PublishResultSet(std::move(set), generation, kResultsPartial);
            }
        }
    };

    // A helper's exception (memory exhausted) stops the scan and is rethrown on the task's thread.
    std::exception_ptr failure;
    std::mutex failureMutex;
    const std::function<void()> guarded = [&] {
        try {
            worker();
        } catch (...) {
            stop.store(true);
            std::lock_guard<std::mutex> lock(failureMutex);
            if (!failure) failure = std::current_exception();
        }
    };
    const size_t threads = std::min<size_t>(NameScanThreadCount(), blocks);
    RunOnScanThreads(static_cast<unsigned>(threads - 1), guarded);
    if (failure) std::rethrow_exception(failure);
    if (stop.load()) return false;
    size_t total = rows.size();
    for (const auto& b : blockRows) total += b.size();
    rows.reserve(total);
    for (const auto& b : blockRows) rows.insert(rows.end(), b.begin(), b.end());
    return true;
}

// Name search over the volumes (the road without a folder scope). Returns false when the task
// must end without publishing.
bool ScanVolumes(const std::vector<VolumeIndex*>& volumes, int volumePosition, int scope, const std::wstring& desktop,
                 const TermGroups& groups, bool pinyin, bool singleCjk, uint64_t generation,
                 std::shared_ptr<std::vector<MatchItem>>& results) {
    const NameMatcher matcher(groups, pinyin);
    const BlockFilter filter(groups);
    PartialState partial{!singleCjk, generation};  // a single CJK character never publishes a partial set
    for (size_t i = 0; i < volumes.size(); ++i) {
        if (volumePosition >= 0 && static_cast<size_t>(volumePosition) != i) continue;
        VolumeIndex* v = volumes[i];
        if (!v || !v->available.load() || v->building.load()) continue;
        if (!TryAcquireSRWLockShared(&v->indexLock)) continue;  // a writer holds it: leave it out
        SharedIndexLockRelease release{&v->indexLock};
        const bool complete = ScanVolumeBlocks(
            *v, filter,
            [&](const FileRecord& rec, size_t r) {
                if (!rec.name || rec.nameLength == 0 || !matcher.Matches(rec)) return false;
                return scope != 1 || RecordUnderDesktop(*v, r, desktop);
            },
            *results, partial);
        if (!complete) return false;
    }
    return true;
}

// Keeps the rows of a folder-scope listing whose names pass the query. False: stale.
bool FilterScopeRows(const TermGroups& groups, bool pinyin, uint64_t generation,
                     std::shared_ptr<std::vector<MatchItem>>& results) {
    VolumeIndex* v = results->front().volume;
    const NameMatcher matcher(groups, pinyin);
    auto kept = std::make_shared<std::vector<MatchItem>>();
    kept->reserve(results->size());
    AcquireSRWLockShared(&v->indexLock);
    SharedIndexLockRelease release{&v->indexLock};
    size_t n = 0;
    for (const MatchItem& item : *results) {
        if (g_shuttingDown.load(std::memory_order_relaxed) || ((n++ & 255) == 0 && g_searchGeneration.load() != generation))
            return false;
        if (item.volume != v || item.recordIndex >= v->records.size()) continue;
        const FileRecord& rec = v->records[item.recordIndex];
        if (rec.deleted || !rec.name || rec.nameLength == 0) continue;
        if (matcher.Matches(rec)) kept->push_back(item);
    }
    results = std::move(kept);
    return true;
}

}  // namespace

// The texts a name search matches a record by: the lower-case name and, for a name with CJK
// characters, its pinyin-initials form (whether or not initial search is on now, so that the
// signature serves every later query).
void AddNameSignatureBits(uint64_t* bits, const wchar_t* name, uint16_t length) {
    // CJK characters are beyond ASCII and lower-case as themselves.
    if (NameSignatures::AddTextBits(bits, name + length + 1, length) < 0x80) return;
    wchar_t initials[kPinyinInitialsMax];
    NameSignatures::AddTextBits(bits, initials, PinyinInitials(name, length, initials));
}

bool IsSearchCurrent(uint64_t generation) { return g_searchGeneration.load() == generation && !g_shuttingDown.load(); }

void PostSearchStatusText(uint64_t generation, const std::wstring& text) {
    auto* heap = new std::wstring(text);
    if (!PostMessageIfWindow(g_hMainWnd, WM_SEARCH_STATUS_TEXT, static_cast<WPARAM>(generation),
                             reinterpret_cast<LPARAM>(heap)))
        delete heap;
}

void RunNameSearchTask(const std::wstring& query, uint64_t generation, bool keepSort,
                       const SizeDateFilterParams& filter) {
    if (!g_searchEngine.indexReady.load() || g_shuttingDown.load()) return;
    if (!query.empty()) g_suppressRecentView.store(false);
    const SortStateChange sortChange = keepSort ? SortStateChange::None : SortStateChange::ResetColumn;

    ContentQuery cq = ParseContentQuery(query);
    std::wstring scopeFolder, scopeRest;
    bool hasScope = !cq.isContent && SplitFolderScope(query, scopeFolder, scopeRest);

    TermGroups groups;
    bool pinyin = false, singleCjk = false;
    if (!cq.isContent) {
        groups = PrepareNameTermGroups(ParseTermGroups(hasScope ? scopeRest : query));
        if (groups.size() == 1 && groups[0].size() == 1) {
            pinyin = g_initialSearchEnabled && IsAsciiLowerAlnumToken(groups[0][0]);
            singleCjk = IsSingleCjkChar(groups[0][0]);
        }
    }

    auto results = MakeResultRows(kSearchReserveRows);

    const int scope = g_searchScope.load();
    std::wstring desktop;
    if (scope == 1) {
        desktop = GetDesktopDir();
        if (desktop.empty()) {
            PublishResultSet(results, generation, kResultsFinal, sortChange);
            return;
        }
    }

    std::unique_lock<std::mutex> engineLock(g_searchEngine.mutex);
    const std::vector<VolumeIndex*> volumes = CopyVolumeList();
    const int volumePosition = ScopeVolumeIndex(volumes, scope);

    if (cq.isContent) {
        RunContentSearchBranch(ContentSearchRequest{cq, generation, keepSort, volumePosition, scope, desktop, volumes, filter},
                               engineLock);
        return;
    }

    if (hasScope) {
        if (scope == 1 && !IsPathUnderBase(scopeFolder, desktop)) {
            PublishResultSet(results, generation, kResultsFinal, sortChange);
            return;
        }
        CollectFolderSubtree(scopeFolder, volumes, results, generation);
        if (!IsSearchCurrent(generation)) return;
        if (!groups.empty() && !results->empty() && !FilterScopeRows(groups, pinyin, generation, results)) return;
        PublishResultSet(results, generation, kResultsFinal, sortChange);
        return;
    }

    if (!ScanVolumes(volumes, volumePosition, scope, desktop, groups, pinyin, singleCjk, generation, results)) return;
    if (PublishResultSet(results, generation, kResultsFinal, sortChange)) SignUnsignedBlocks(volumes, volumePosition, generation);
}

void RunNameSearchTask(const std::wstring& query, uint64_t generation, bool keepSort) {
    RunNameSearchTask(query, generation, keepSort, BuildSearchSizeDateFilterParams());
}

void RunRecentResultsTask(uint64_t generation, bool keepSort) {
    auto set = g_showRecentOnEmpty ? BuildRecentMatchItems() : std::make_shared<std::vector<MatchItem>>();
    PublishResultSet(set, generation, kResultsFinal, keepSort ? SortStateChange::None : SortStateChange::ResetColumn);
}

void RunScopeListingTask(uint64_t generation, int volumePosition, int scope, const std::wstring& desktop,
                         int sortColumn, bool sortAscending) {
    auto results = std::make_shared<std::vector<MatchItem>>();
    results->reserve(kListingReserveRows);
    std::lock_guard<std::mutex> engineLock(g_searchEngine.mutex);
    const std::vector<VolumeIndex*> volumes = CopyVolumeList();
    volumePosition = ScopeVolumeIndex(volumes, scope);
    if (scope == 1 && desktop.empty()) {
        PublishResultSet(results, generation, kResultsFinal, SortStateChange::Restore, sortColumn, sortAscending);
        return;
    }
    const bool complete =
        ForEachLiveRecord(volumes, volumePosition, generation, [&](VolumeIndex& v, size_t r, const FileRecord&) {
            if (scope == 1 && !RecordUnderDesktop(v, r, desktop)) return;
            results->push_back(MatchItem{&v, static_cast<uint32_t>(r)});
        });
    if (!complete) return;
    if (!PublishResultSet(results, generation, kResultsFinal, SortStateChange::Restore, sortColumn, sortAscending))
        return;
    if ((sortColumn == 2 || sortColumn == 3 || sortColumn == 4) && IsSearchCurrent(generation))
        PostMessageIfWindow(g_hMainWnd, WM_RESORT_RESULTS, static_cast<WPARAM>(sortColumn), sortAscending ? 1 : 0);
}

void DoSearchAsync(std::wstring query, bool keepSort, bool showRecent) {
    g_lastUserActivityTick.store(GetTickCount64());
    if (g_hMainWnd && IsWindow(g_hMainWnd)) KillTimer(g_hMainWnd, kIdleTrimTimer);
    const uint64_t generation = ++g_searchGeneration;
    TrimWhitespace(query);

    bool recentView = showRecent;
    if (query.empty()) {
        if (g_searchScope.load() == 1) {
            RefreshSearchResultsAfterIndexUpdate();
            return;
        }
        recentView = true;
    }
    if (!recentView) {
        if (g_searchEngine.indexReady.load()) {
            SizeDateFilterParams filter = BuildSearchSizeDateFilterParams();
            StartTask(L"do_search", [query, generation, keepSort, filter] {
                RunNameSearchTask(query, generation, keepSort, filter);
            });
            return;
        }
        SetCurrentQuery(query);
        if (g_hStatusText)
            SetWindowTextW(g_hStatusText,
                           Tr(L"Status_IndexNotReadyRetry",
                              L"\u7d22\u5f15\u5c1a\u672a\u5c31\u7eea\uff0c\u6b63\u5728\u81ea\u52a8\u91cd\u8bd5\u641c\u7d22...",
                              L"Index is still initializing. Retrying search shortly...")
                               .c_str());
        if (g_hMainWnd && IsWindow(g_hMainWnd)) {
            KillTimer(g_hMainWnd, TIMER_SEARCH_DEBOUNCE);
            SetTimer(g_hMainWnd, TIMER_SEARCH_DEBOUNCE, 350, nullptr);
        }
        return;
    }
    if (g_suppressRecentView.load()) return;
    StartTask(L"search_recent_results", [generation, keepSort] { RunRecentResultsTask(generation, keepSort); });
}

void RerunCurrentSearch() {
    std::wstring text = ReadSearchBoxText();
    const bool empty = text.empty();
    DoSearchAsync(std::move(text), false, empty);
}

void RefreshSearchResultsAfterIndexUpdate() {
    g_suppressRecentView.store(true);
    std::wstring text = ReadSearchBoxText();
    if (!text.empty()) {
        DoSearchAsync(std::move(text), false, false);
        return;
    }
    const uint64_t generation = ++g_searchGeneration;
    const int scope = g_searchScope.load();
    const int volumePosition = scope >= 2 ? scope - 2 : -1;
    std::wstring desktop = scope == 1 ? GetDesktopDir() : std::wstring();
    const int sortColumn = g_sortColumn.load();
    const bool sortAscending = g_sortAscending.load();
    StartTask(L"refresh_results_after_volume_removal", [=] {
        RunScopeListingTask(generation, volumePosition, scope, desktop, sortColumn, sortAscending);
    });
}

void RefreshRecentViewIfNeeded() {
    if (!g_hSearchEdit) return;
    wchar_t buf[2] = {};
    GetWindowTextW(g_hSearchEdit, buf, 2);
    if (buf[0] != L'\0') return;
    StartTask(L"refresh_recent_view", [] {
        if (!g_suppressRecentView.load()) DoSearchAsync(L"", false, true);
    });
}

// Index in `volumes` of the volume a scope names: the scope combo lists only the available
// volumes, so scope n >= 2 is the (n - 2)-th available one. -1 for all volumes (scopes 0 and 1);
// the list size (matching no volume) when that volume is gone.
int ScopeVolumeIndex(const std::vector<VolumeIndex*>& volumes, int scope) {
    if (scope < 2) return -1;
    int wanted = scope - 2;
    for (size_t i = 0; i < volumes.size(); ++i) {
        if (!volumes[i] || !volumes[i]->available.load()) continue;
        if (wanted-- == 0) return static_cast<int>(i);
    }
    return static_cast<int>(volumes.size());
}
