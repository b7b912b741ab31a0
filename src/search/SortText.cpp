// The text sort of the Name, Type and Path columns.
//
// The order is that of NameSortRowLess: the texts with only A..Z folded, compared by UTF-16 code
// unit (a text that is a prefix of another goes first), reversed for a descending sort, and then
// the volume address and the record index, ascending in both directions.
//
// It is built as a most-significant-first sort on short integer keys, so that no comparison ever
// reads a text: every row has one 16-byte entry holding the next five code units of its text,
// a length state, the volume's rank and the record index (or row position). A range of entries
// is sorted by those keys; each run of equal keys whose texts go on gets the next five code units
// loaded and is sorted again; a run of equal whole texts gets the tie-break key (volume rank,
// record index) loaded instead. Large ranges are split by three-way partitioning and shared
// between the threads of the scan pool (the calling thread takes part; every call has returned
// when the sort goes on); names are read from the volume's records under its shared index lock,
// many rows per lock and with look-ahead. Type and Path texts are made once into buffers.
//
// The Size, Modified and Created sorts use the same engine: each row's key (SortKeyLess before
// its tie-break) is five units long (EncodeSortKey), so one level orders it and equal keys go
// straight to the tie-break.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cwctype>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

#include "core/Core.h"
#include "index/Index.h"
#include "search/ScanThreads.h"
#include "search/Search.h"
#include "search/SortKeys.h"

bool IsSortRequestCurrent(const SortRequest& r) {
    return g_searchGeneration.load() == r.generation && !g_shuttingDown.load();
}

namespace {

// Rows read under one shared index lock at most.
constexpr size_t kTextLockRun = 4096;
// Code units per key: four in k0, one in the high half of k1 beside the length state.
constexpr size_t kKeyChars = 5;
// Sets smaller than this are sorted on the calling thread alone.
constexpr size_t kParallelRows = 32768;
// Ranges at least this large are partitioned around a pivot instead of sorted whole.
constexpr size_t kSplitRows = 16384;
// Work at least this large goes to the queue shared by the workers; smaller work stays local.
constexpr size_t kShareRows = 4096;
// Runs at least this large get their next keys loaded in chunks by several workers.
constexpr size_t kChunkedRunRows = 65536;
constexpr size_t kReloadChunkRows = 16384;
// Small runs waiting for their next keys are loaded together once they hold this many rows.
constexpr size_t kBatchRows = 8192;
// Partitioning depth after which a range is sorted whole (guards against bad pivots).
constexpr uint8_t kMaxSplits = 48;

// One row of the sort.
// Text phase: k0 = code units depth..depth+3 (16 bits each, 0 past the end); the high half of
// k1 = code unit depth+4 (16 bits), the length state (3 bits: remaining units 0..5, or 6 when
// the text goes on) and the volume rank (13 bits, not compared). For a descending sort the
// compared bits are complemented.
// Size and time keys are five units of this kind from EncodeSortKey (not folded, direction
// already built in, so nothing is complemented).
// Tie phase: k0 = volume rank and record index; the high half of k1 holds only the rank.
// The low half of k1 is the row: the record index (names read from the volume) or the row's
// position in the result vector (texts kept in buffers).
// Entries compare by k0 and the compared bits of k1's high half only.
struct Entry {
    uint64_t k0;
    uint64_t k1;
};

constexpr uint32_t kRankBits = 13;
constexpr uint32_t kMaxRanks = 1u << kRankBits;
constexpr uint32_t kRankMask = kMaxRanks - 1;
constexpr uint32_t kStateMask = 7;

inline uint32_t LowOf(const Entry& e) { return static_cast<uint32_t>(e.k1); }
inline uint32_t HighOf(const Entry& e) { return static_cast<uint32_t>(e.k1 >> 32); }
inline uint32_t RankBits(const Entry& e) { return HighOf(e) & kRankMask; }
inline uint32_t Compared(const Entry& e) { return HighOf(e) >> kRankBits; }
inline bool KeyLess(const Entry& a, const Entry& b) { return a.k0 != b.k0 ? a.k0 < b.k0 : Compared(a) < Compared(b); }
inline bool KeyEqual(const Entry& a, const Entry& b) { return a.k0 == b.k0 && Compared(a) == Compared(b); }

inline uint64_t Fold(wchar_t ch) {
    const uint16_t u = static_cast<uint16_t>(ch);
    return (u >= L'A' && u <= L'Z') ? u + (L'a' - L'A') : u;
}

constexpr uint32_t kStateGoesOn = 6;

inline void Prefetch(const void* p) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(p);
#elif defined(_M_ARM64)
    __prefetch(p);
#elif defined(_M_X64)
    _mm_prefetch(static_cast<const char*>(p), _MM_HINT_T0);
#else
    (void)p;
#endif
}

// What a row's record gives the sort.
struct NameRead {
    const wchar_t* text;
    uint32_t length;
    bool live;  // the record exists (index inside the records) and is not deleted
};

// Reads the records idx[0..count) of v (the caller holds v's index lock shared): the name (empty
// for a record past the end or without a name) and whether the record is live. The records and
// then the texts (from unit depth[k], or 0) are fetched ahead block by block, so that the memory
// misses of many rows overlap instead of following one another.
void ReadNames(const VolumeIndex& v, const uint32_t* idx, const uint32_t* depth, size_t count, NameRead* out) {
    constexpr size_t kBlock = 256;
    const FileRecord* recs[kBlock];
    const size_t records = v.records.size();
    for (size_t b = 0; b < count; b += kBlock) {
        const size_t m = std::min(kBlock, count - b);
        for (size_t k = 0; k < m; ++k) {
            const uint32_t i = idx[b + k];
            recs[k] = i < records ? &v.records[i] : nullptr;
            if (recs[k]) Prefetch(recs[k]);
        }
        for (size_t k = 0; k < m; ++k) {
            NameRead& r = out[b + k];
            const FileRecord* rec = recs[k];
            r.live = rec && rec->deleted == 0;
            if (rec && rec->name) {
                r.text = rec->name;
                r.length = rec->nameLength;
                const uint32_t d = depth ? depth[b + k] : 0;
                if (d < r.length) Prefetch(r.text + d);
            } else {
                r.text = L"";
                r.length = 0;
            }
        }
    }
}

enum class Phase : uint8_t { Text, Tie };

struct Join;

// A range of entries and what its keys hold (or must be loaded with).
struct Item {
    size_t lo = 0;
    size_t hi = 0;
    size_t depth = 0;  // code units already equal within the range (text phase)
    Phase phase = Phase::Text;
    bool loaded = false;  // keys for depth/phase are in place
    uint8_t splits = 0;
    Join* join = nullptr;  // set on a chunk of a large run's key loading
};

// A large run whose keys are loaded by several chunks; the last chunk queues the run.
struct Join {
    std::atomic<size_t> left{0};
    Item then;
};

class TextSorter {
public:
    // A text sort (Name, Type, Path) for a request, which it tests for staleness; or, without a
    // request, a size or time sort (Size, Modified, Created) of every row.
    TextSorter(const SortRequest* req, const std::vector<MatchItem>& rows, int column, bool ascending)
        : req_(req),
          rows_(rows),
          column_(column),
          keyMode_(column >= 2 && column <= 4),
          ascending_(keyMode_ ? true : ascending),
          keyState_{column, ascending} {}

    bool Run(std::vector<MatchItem>& out);

private:
    // Where a Type or Path row's text lies: buffer of the worker that made it, offset, length.
    struct TextRef {
        uint64_t offset;
        uint32_t buffer;
        uint32_t length;
    };
    struct WorkerState {
        std::vector<Item> ready;    // keys loaded, to be sorted
        std::vector<Item> pending;  // waiting for their keys
        size_t pendingRows = 0;
        // Scratch of a batch of names: entry position, depth, record index, what was read.
        std::vector<size_t> at;
        std::vector<uint32_t> depth;
        std::vector<uint32_t> index;
        std::vector<NameRead> read;
    };

    // Runs job(worker) on this thread and on up to workers_ - 1 threads of the scan pool, and
    // returns when every call has returned; the first exception of a call is rethrown then.
    void RunJob(const std::function<void(unsigned)>& job);
    void Gather(unsigned worker);
    void Compact();
    void SortWorker(unsigned worker);
    void RunItem(Item item, WorkerState& ws);
    void Process(const Item& item, WorkerState& ws);
    void HandleRun(size_t lo, size_t hi, size_t depth, Phase phase, WorkerState& ws);
    void Emit(const Item& item, WorkerState& ws);
    void PushShared(const Item* items, size_t count);
    void LoadKeys(Item* items, size_t count, WorkerState& ws);
    void FlushPending(WorkerState& ws);

    void SetTextKey(Entry& e, uint32_t rank, uint32_t low, const wchar_t* text, size_t length, size_t depth) const;
    void SetTieKey(Entry& e) const;
    uint32_t RankOf(const VolumeIndex* v) const {
        return static_cast<uint32_t>(std::lower_bound(volumes_.begin(), volumes_.end(), v, std::less<const VolumeIndex*>()) -
                                     volumes_.begin());
    }
    bool GoesOn(const Entry& e) const {
        const uint32_t state = Compared(e) & kStateMask;
        return state == (ascending_ ? kStateGoesOn : (kStateMask ^ kStateGoesOn));
    }
    MatchItem ItemOf(const Entry& e) const {
        if (!byRecord_) return rows_[LowOf(e)];
        return MatchItem{const_cast<VolumeIndex*>(volumes_[RankBits(e)]), LowOf(e)};
    }
    bool Current() const { return !req_ || IsSortRequestCurrent(*req_); }
    bool Stale() {
        if (abort_.load(std::memory_order_relaxed)) return true;
        if (!Current()) {
            abort_.store(true);
            return true;
        }
        return false;
    }

    const SortRequest* req_;
    const std::vector<MatchItem>& rows_;
    const int column_;
    // Size and time keys: the whole order before the tie-break is five units made by
    // EncodeSortKey (direction built in, no case folding), so no row ever needs a second load.
    const bool keyMode_;
    const bool ascending_;
    const SortComparatorState keyState_;
    unsigned workers_ = 1;
    std::unique_ptr<Entry[]> entries_;  // not initialised: the gather writes each entry first
    size_t live_ = 0;
    std::vector<const VolumeIndex*> volumes_;  // distinct volumes of the rows, by address
    // Names are read from the volumes and entries hold record indices (else: texts in buffers,
    // entries hold row positions).
    bool byRecord_ = false;

    // Gather: chunks of kTextLockRun rows, the live rows of chunk c at entries c * kTextLockRun.
    std::atomic<size_t> nextChunk_{0};
    std::vector<uint32_t> chunkLive_;
    // Type and Path: the texts, one buffer per worker.
    std::vector<std::vector<wchar_t>> buffers_;
    std::unique_ptr<TextRef[]> refs_;

    // Sort: the shared queue of work, the number of items queued or being worked on, and the
    // joins of large runs (a deque keeps their addresses).
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<Item> queue_;
    size_t busy_ = 0;
    std::deque<Join> joins_;
    std::atomic<bool> abort_{false};
};

void TextSorter::SetTextKey(Entry& e, uint32_t rank, uint32_t low, const wchar_t* text, size_t length,
                            size_t depth) const {
    const size_t rest = length > depth ? length - depth : 0;
    const wchar_t* p = text + depth;
    uint64_t units[kKeyChars] = {0, 0, 0, 0, 0};
    const size_t n = std::min(rest, kKeyChars);
    if (keyMode_) {
        for (size_t i = 0; i < n; ++i) units[i] = static_cast<uint16_t>(p[i]);
    } else {
        for (size_t i = 0; i < n; ++i) units[i] = Fold(p[i]);
    }
    uint64_t k0 = (units[0] << 48) | (units[1] << 32) | (units[2] << 16) | units[3];
    uint32_t compared = static_cast<uint32_t>((units[4] << 3) | (rest > kKeyChars ? kStateGoesOn : rest));
    if (!ascending_) {
        k0 = ~k0;
        compared ^= (1u << (32 - kRankBits)) - 1;
    }
    e.k0 = k0;
    e.k1 = (static_cast<uint64_t>((compared << kRankBits) | (rank & kRankMask)) << 32) | low;
}

void TextSorter::SetTieKey(Entry& e) const {
    const MatchItem item = ItemOf(e);
    const uint32_t rank = byRecord_ ? RankBits(e) : RankOf(item.volume);
    e.k0 = (static_cast<uint64_t>(rank) << 32) | item.recordIndex;
    e.k1 = (static_cast<uint64_t>(rank & kRankMask) << 32) | LowOf(e);
}

// One pass over the rows drops the rows whose record is gone (no volume, index past the end,
// deleted) and gives each remaining row its first key, reading the records in runs of one
// volume under one shared index lock.
void TextSorter::Gather(unsigned worker) {
    std::wstring scratch;
    std::wstring name;
    std::vector<uint32_t> runIndex;
    std::vector<NameRead> runRead;
    std::vector<SortKey> runKeys;
    std::vector<wchar_t>& buffer = buffers_[worker];
    const size_t chunks = chunkLive_.size();
    for (;;) {
        const size_t c = nextChunk_.fetch_add(1);
        if (c >= chunks) return;
        if (Stale()) return;
        const size_t first = c * kTextLockRun;
        const size_t last = std::min(first + kTextLockRun, rows_.size());
        Entry* out = entries_.get() + first;
        size_t i = first;
        while (i < last) {
            VolumeIndex* v = rows_[i].volume;
            if (keyMode_) {
                // Every row is kept; a row without a volume has the key of a file without value.
                size_t end = i;
                while (end < last && rows_[end].volume == v) ++end;
                runKeys.resize(end - i);
                if (v) {
                    MakeSortKeys(v, rows_.data() + i, end - i, column_, runKeys.data());
                } else {
                    for (size_t k = 0; k < end - i; ++k) {
                        runKeys[k] = SortKey{};
                        runKeys[k].item = rows_[i + k];
                    }
                }
                const uint32_t rank = RankOf(v);
                wchar_t units[kSortKeyUnits];
                for (size_t k = 0; k < end - i; ++k) {
                    EncodeSortKey(keyState_, runKeys[k], units);
                    const uint32_t low = byRecord_ ? rows_[i + k].recordIndex : static_cast<uint32_t>(i + k);
                    SetTextKey(*out++, rank, low, units, kSortKeyUnits, 0);
                }
                i = end;
                continue;
            }
            if (!v) {
                ++i;
                continue;
            }
            const uint32_t rank = RankOf(v);
            if (byRecord_) {
                size_t end = i;
                runIndex.clear();
                for (; end < last && rows_[end].volume == v; ++end) runIndex.push_back(rows_[end].recordIndex);
                runRead.resize(runIndex.size());
                AcquireSRWLockShared(&v->indexLock);
                ReadNames(*v, runIndex.data(), nullptr, runIndex.size(), runRead.data());
                for (size_t k = 0; k < runIndex.size(); ++k)
                    if (runRead[k].live) SetTextKey(*out++, rank, runIndex[k], runRead[k].text, runRead[k].length, 0);
                ReleaseSRWLockShared(&v->indexLock);
                i = end;
                continue;
            }
            AcquireSRWLockShared(&v->indexLock);
            const size_t count = v->records.size();
            for (; i < last && rows_[i].volume == v; ++i) {
                const uint32_t index = rows_[i].recordIndex;
                if (index >= count) continue;
                const FileRecord& rec = v->records[index];
                if (rec.deleted != 0) continue;
                const wchar_t* text = rec.name ? rec.name : L"";
                size_t length = rec.name ? rec.nameLength : 0;
                if (column_ != 1) {
                    if (column_ == 5) {
                        name.assign(text, length);
                        scratch = GetLowerExtension(rec.isDirectory != 0, name);
                    } else {
                        // As the full path everywhere: the root alone when the record cannot
                        // be resolved, an empty text when the walk fails.
                        try {
                            v->BuildFullPath(index, scratch, nullptr);
                            if (scratch.empty()) scratch = v->root;
                        } catch (...) {
                            scratch.clear();
                        }
                    }
                    text = scratch.c_str();
                    length = scratch.size();
                }
                refs_[i] = TextRef{buffer.size(), worker, static_cast<uint32_t>(length)};
                buffer.insert(buffer.end(), text, text + length);
                SetTextKey(*out++, rank, static_cast<uint32_t>(i), text, length, 0);
            }
            ReleaseSRWLockShared(&v->indexLock);
        }
        chunkLive_[c] = static_cast<uint32_t>(out - (entries_.get() + first));
    }
}

// Moves the live entries of every chunk together (nothing moves before the first dropped row).
void TextSorter::Compact() {
    size_t write = 0;
    for (size_t c = 0; c < chunkLive_.size(); ++c) {
        const Entry* from = entries_.get() + c * kTextLockRun;
        if (write != c * kTextLockRun) std::copy(from, from + chunkLive_[c], entries_.get() + write);
        write += chunkLive_[c];
    }
    live_ = write;
}

// Loads the keys of the items' rows for their depth or phase. Names are read under each
// volume's shared index lock, taken once per volume for the whole batch.
void TextSorter::LoadKeys(Item* items, size_t count, WorkerState& ws) {
    Entry* const e = entries_.get();
    bool names = false;
    for (size_t k = 0; k < count; ++k) {
        const Item& it = items[k];
        if (it.phase == Phase::Tie) {
            for (size_t j = it.lo; j < it.hi; ++j) SetTieKey(e[j]);
        } else {
            names = true;
        }
    }
    if (!names) return;
    if (!byRecord_) {
        // Texts in buffers: the rows' references and then their texts are fetched ahead.
        ws.at.clear();
        ws.depth.clear();
        for (size_t k = 0; k < count; ++k) {
            const Item& it = items[k];
            if (it.phase != Phase::Text) continue;
            for (size_t j = it.lo; j < it.hi; ++j) {
                ws.at.push_back(j);
                ws.depth.push_back(static_cast<uint32_t>(it.depth));
            }
        }
        constexpr size_t kBlock = 256;
        const wchar_t* texts[kBlock];
        for (size_t b = 0; b < ws.at.size(); b += kBlock) {
            const size_t m = std::min(kBlock, ws.at.size() - b);
            for (size_t k = 0; k < m; ++k) Prefetch(&refs_[LowOf(e[ws.at[b + k]])]);
            for (size_t k = 0; k < m; ++k) {
                const TextRef& ref = refs_[LowOf(e[ws.at[b + k]])];
                texts[k] = buffers_[ref.buffer].data() + ref.offset;
                if (ws.depth[b + k] < ref.length) Prefetch(texts[k] + ws.depth[b + k]);
            }
            for (size_t k = 0; k < m; ++k) {
                Entry& x = e[ws.at[b + k]];
                const uint32_t row = LowOf(x);
                SetTextKey(x, RankBits(x), row, texts[k], refs_[row].length, ws.depth[b + k]);
            }
        }
        return;
    }
    uint32_t minRank = kRankMask, maxRank = 0;
    for (size_t k = 0; k < count; ++k) {
        const Item& it = items[k];
        if (it.phase != Phase::Text) continue;
        for (size_t j = it.lo; j < it.hi; ++j) {
            minRank = std::min(minRank, RankBits(e[j]));
            maxRank = std::max(maxRank, RankBits(e[j]));
        }
    }
    for (uint32_t rank = minRank; rank <= maxRank && rank < volumes_.size(); ++rank) {
        ws.at.clear();
        ws.depth.clear();
        ws.index.clear();
        for (size_t k = 0; k < count; ++k) {
            const Item& it = items[k];
            if (it.phase != Phase::Text) continue;
            for (size_t j = it.lo; j < it.hi; ++j) {
                if (RankBits(e[j]) != rank) continue;
                ws.at.push_back(j);
                ws.depth.push_back(static_cast<uint32_t>(it.depth));
                ws.index.push_back(LowOf(e[j]));
            }
        }
        if (ws.at.empty()) continue;
        ws.read.resize(ws.at.size());
        VolumeIndex* v = const_cast<VolumeIndex*>(volumes_[rank]);
        AcquireSRWLockShared(&v->indexLock);
        // A record gone past the end since the gather (rebuilt volume) has no text.
        ReadNames(*v, ws.index.data(), ws.depth.data(), ws.at.size(), ws.read.data());
        for (size_t b = 0; b < ws.at.size(); ++b)
            SetTextKey(e[ws.at[b]], rank, ws.index[b], ws.read[b].text, ws.read[b].length, ws.depth[b]);
        ReleaseSRWLockShared(&v->indexLock);
    }
}

void TextSorter::PushShared(const Item* items, size_t count) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.insert(queue_.end(), items, items + count);
        busy_ += count;
    }
    if (count == 1)
        cv_.notify_one();
    else
        cv_.notify_all();
}

void TextSorter::Emit(const Item& item, WorkerState& ws) {
    if (item.hi - item.lo < 2) return;
    if (item.hi - item.lo >= kShareRows)
        PushShared(&item, 1);
    else
        ws.ready.push_back(item);
}

// A run of equal keys [lo, hi): its texts go on (next five code units) or are equal (tie-break).
void TextSorter::HandleRun(size_t lo, size_t hi, size_t depth, Phase phase, WorkerState& ws) {
    if (phase == Phase::Tie) return;  // the same row twice: any order is the same
    Item next;
    next.lo = lo;
    next.hi = hi;
    if (GoesOn(entries_[lo])) {
        next.phase = Phase::Text;
        next.depth = depth + kKeyChars;
    } else {
        next.phase = Phase::Tie;
    }
    const size_t n = hi - lo;
    if (n >= kChunkedRunRows) {
        Join* join = nullptr;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            joins_.emplace_back();
            join = &joins_.back();
        }
        next.loaded = true;
        join->then = next;
        std::vector<Item> chunks;
        for (size_t a = lo; a < hi; a += kReloadChunkRows) {
            Item c = next;
            c.loaded = false;
            c.lo = a;
            c.hi = std::min(a + kReloadChunkRows, hi);
            c.join = join;
            chunks.push_back(c);
        }
        join->left.store(chunks.size());
        PushShared(chunks.data(), chunks.size());
    } else if (n >= kShareRows) {
        PushShared(&next, 1);
    } else {
        ws.pending.push_back(next);
        ws.pendingRows += n;
        if (ws.pendingRows >= kBatchRows) FlushPending(ws);
    }
}

void TextSorter::FlushPending(WorkerState& ws) {
    if (ws.pending.empty()) return;
    LoadKeys(ws.pending.data(), ws.pending.size(), ws);
    for (Item& it : ws.pending) {
        it.loaded = true;
        ws.ready.push_back(it);
    }
    ws.pending.clear();
    ws.pendingRows = 0;
}

// Sorts one range whose keys are loaded: large ranges are split around a pivot (three ways, so
// that a huge class of equal keys is one run at once), small ones are sorted whole; every run of
// equal keys is handed on.
void TextSorter::Process(const Item& item, WorkerState& ws) {
    Entry* const e = entries_.get();
    const size_t n = item.hi - item.lo;
    if (n < 2) return;
    if (n >= kSplitRows && item.splits < kMaxSplits) {
        auto median = [](const Entry& a, const Entry& b, const Entry& c) -> const Entry& {
            if (KeyLess(a, b)) return KeyLess(b, c) ? b : (KeyLess(a, c) ? c : a);
            return KeyLess(a, c) ? a : (KeyLess(b, c) ? c : b);
        };
        const size_t s = n / 8;
        const size_t lo = item.lo;
        const Entry pivot = median(median(e[lo], e[lo + s], e[lo + 2 * s]), median(e[lo + 3 * s], e[lo + 4 * s], e[lo + 5 * s]),
                                   median(e[lo + 6 * s], e[lo + 7 * s], e[item.hi - 1]));
        size_t lt = item.lo, i = item.lo, gt = item.hi;
        while (i < gt) {
            if (KeyLess(e[i], pivot)) {
                std::swap(e[lt++], e[i++]);
            } else if (KeyLess(pivot, e[i])) {
                std::swap(e[i], e[--gt]);
            } else {
                ++i;
            }
        }
        Item less = item, greater = item;
        less.hi = lt;
        greater.lo = gt;
        less.splits = greater.splits = static_cast<uint8_t>(item.splits + 1);
        Emit(less, ws);
        Emit(greater, ws);
        if (gt - lt >= 2) HandleRun(lt, gt, item.depth, item.phase, ws);
        return;
    }
    std::sort(e + item.lo, e + item.hi, KeyLess);
    size_t runStart = item.lo;
    for (size_t j = item.lo + 1; j <= item.hi; ++j) {
        if (j == item.hi || !KeyEqual(e[j], e[runStart])) {
            if (j - runStart >= 2) HandleRun(runStart, j, item.depth, item.phase, ws);
            runStart = j;
        }
    }
}

void TextSorter::RunItem(Item item, WorkerState& ws) {
    if (item.join) {
        LoadKeys(&item, 1, ws);
        if (item.join->left.fetch_sub(1) == 1) PushShared(&item.join->then, 1);
        return;
    }
    if (!item.loaded) {
        LoadKeys(&item, 1, ws);
        item.loaded = true;
    }
    ws.ready.push_back(item);
    for (;;) {
        while (!ws.ready.empty()) {
            if (Stale()) return;
            const Item next = ws.ready.back();
            ws.ready.pop_back();
            Process(next, ws);
        }
        if (ws.pending.empty()) return;
        FlushPending(ws);
    }
}

void TextSorter::SortWorker(unsigned) {
    WorkerState ws;
    for (;;) {
        Item item;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            cv_.wait(lock, [this]() { return !queue_.empty() || busy_ == 0; });
            if (queue_.empty()) return;
            item = queue_.back();
            queue_.pop_back();
        }
        try {
            if (!Stale()) RunItem(item, ws);
        } catch (...) {
            abort_.store(true);
            std::lock_guard<std::mutex> lock(mutex_);
            if (--busy_ == 0) cv_.notify_all();
            throw;
        }
        ws.ready.clear();
        ws.pending.clear();
        ws.pendingRows = 0;
        bool done = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done = --busy_ == 0;
        }
        if (done) cv_.notify_all();
    }
}

void TextSorter::RunJob(const std::function<void(unsigned)>& job) {
    std::atomic<unsigned> next{0};
    std::mutex errorMutex;
    std::exception_ptr error;
    RunOnScanThreads(workers_ - 1, [&]() {
        const unsigned worker = next.fetch_add(1);
        if (worker >= workers_) return;
        try {
            job(worker);
        } catch (...) {
            abort_.store(true);
            std::lock_guard<std::mutex> lock(errorMutex);
            if (!error) error = std::current_exception();
        }
    });
    if (error) std::rethrow_exception(error);
}

bool TextSorter::Run(std::vector<MatchItem>& out) {
    out.clear();
    const size_t n = rows_.size();
    if (n == 0) return Current();
    workers_ = n < kParallelRows ? 1u : std::clamp(NameScanThreadCount(), 1u, 8u);

    entries_.reset(new Entry[n]);
    chunkLive_.assign((n + kTextLockRun - 1) / kTextLockRun, 0);
    // The distinct volumes, by address (rows come in long runs of one volume).
    for (size_t i = 0; i < n; ++i) {
        const VolumeIndex* v = rows_[i].volume;
        if ((v || keyMode_) && (volumes_.empty() || volumes_.back() != v) &&
            std::find(volumes_.begin(), volumes_.end(), v) == volumes_.end())
            volumes_.push_back(v);
    }
    std::sort(volumes_.begin(), volumes_.end(), std::less<const VolumeIndex*>());
    byRecord_ = (column_ == 1 || keyMode_) && volumes_.size() <= kMaxRanks;
    buffers_.assign(workers_, {});
    if (!byRecord_ && !keyMode_) refs_.reset(new TextRef[n]);
    RunJob([this](unsigned w) { Gather(w); });
    if (Stale()) return false;
    Compact();

    // The result vector's fresh pages are touched (value-initialised) by the first worker of the
    // sort while the others sort.
    std::atomic<bool> sized{false};
    auto size = [&]() {
        if (!sized.exchange(true)) out.resize(live_);
    };
    if (live_ >= 2) {
        Item all;
        all.lo = 0;
        all.hi = live_;
        all.loaded = true;
        queue_.push_back(all);
        busy_ = 1;
        RunJob([&](unsigned w) {
            if (w == 0 && workers_ > 1) size();
            SortWorker(w);
        });
        if (Stale()) return false;
    }
    size();

    std::atomic<size_t> next{0};
    const Entry* e = entries_.get();
    RunJob([&](unsigned) {
        for (;;) {
            const size_t first = next.fetch_add(kReloadChunkRows);
            if (first >= live_) return;
            const size_t last = std::min(first + kReloadChunkRows, live_);
            for (size_t j = first; j < last; ++j) out[j] = ItemOf(e[j]);
        }
    });
    return Current();
}

}  // namespace

// Name, Type and Path: the live rows of the published set (record index inside the volume's
// records, not deleted) in the request's text order.
bool SortRowsByText(const SortRequest& req, const std::vector<MatchItem>& rows, std::vector<MatchItem>& out) {
    TextSorter sorter(&req, rows, req.column, req.ascending);
    return sorter.Run(out);
}

void SortRowsByKeys(const std::vector<MatchItem>& rows, int column, bool ascending, std::vector<MatchItem>& out) {
    TextSorter sorter(nullptr, rows, column, ascending);
    sorter.Run(out);
}

std::wstring GetLowerExtension(bool isDirectory, const std::wstring& name) {
    if (isDirectory) return {};
    size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos || dot + 1 >= name.size()) return {};
    std::wstring ext = name.substr(dot);
    for (wchar_t& c : ext) c = static_cast<wchar_t>(std::towlower(c));
    return ext;
}
