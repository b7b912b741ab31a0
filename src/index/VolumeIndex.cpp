// Records, the name pool, the reference map and path building of one volume.
#include "index/VolumeIndex.h"

#include "core/Raii.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwctype>
#include <new>
#include <thread>

#include <type_traits>

#include "platform/VolumeIo.h"
#if defined(__MINGW32__)
#include <pthread.h>
#endif

// ---------------------------------------------------------------------------------------------
// NamePool

const wchar_t* NamePool::Append(const wchar_t* text, uint64_t n) {
    const uint64_t needed = 2 * n + 2;
    if (usedChars + needed > chunkChars) {
        chunks.emplace_back(static_cast<size_t>(std::max(needed, chunkChars)), L'\0');
        usedChars = 0;
    }
    wchar_t* dest = chunks.back().data() + usedChars;
    wchar_t* lower = dest + n + 1;
    for (uint64_t i = 0; i < n; ++i) {
        const wchar_t c = text[i];
        dest[i] = c;
        if (c >= L'A' && c <= L'Z')
            lower[i] = static_cast<wchar_t>(c + 32);
        else if (c >= 128)
            lower[i] = static_cast<wchar_t>(towlower(c));  // the "C" locale leaves these as they are
        else
            lower[i] = c;
    }
    dest[n] = 0;
    dest[2 * n + 1] = 0;
    usedChars += needed;
    return dest;
}

void NamePool::AddChunk(std::vector<wchar_t>&& chunk) {
    chunks.push_back(std::move(chunk));
    usedChars = 0;
}

void NamePool::Clear() {
    chunks.clear();
    chunks.shrink_to_fit();
    usedChars = chunkChars;
}

uint64_t NamePool::MemoryBytes() const {
    uint64_t total = chunks.capacity() * sizeof(std::vector<wchar_t>);
    for (const auto& c : chunks) total += c.capacity() * sizeof(wchar_t);
    return total;
}

// ---------------------------------------------------------------------------------------------
// RecordNodePool

RecordNodePool::~RecordNodePool() {
    for (const Block& b : blocks_) FreeBlock(b.base);
}

void* RecordNodePool::NewBlock() { return ::operator new(kBlockBytes, std::nothrow); }

void RecordNodePool::FreeBlock(void* block) noexcept { ::operator delete(block); }

void* RecordNodePool::Allocate(size_t bytes) {
    bytes = (std::max<size_t>(bytes, 1) + 15) & ~size_t(15);
    if (!cur_ || static_cast<size_t>(end_ - cur_) < bytes) {
        void* block = source_ ? source_->TakeBlock() : nullptr;
        if (!block) block = NewBlock();
        if (!block) throw std::bad_alloc();
        char* base = static_cast<char*>(block);
        const Block entry{base, 0};
        try {
            blocks_.insert(std::upper_bound(blocks_.begin(), blocks_.end(), entry,
                                            [](const Block& a, const Block& b) { return a.base < b.base; }),
                           entry);
        } catch (...) {
            FreeBlock(block);
            throw;
        }
        curBase_ = base;
        cur_ = base;
        end_ = base + kBlockBytes;
        lastFound_ = FindBlock(base);
    }
    void* p = cur_;
    cur_ += bytes;
    const size_t i = FindBlock(p);
    ++blocks_[i].live;
    return p;
}

size_t RecordNodePool::FindBlock(const void* p) noexcept {
    const char* c = static_cast<const char*>(p);
    if (lastFound_ < blocks_.size() && c >= blocks_[lastFound_].base && c < blocks_[lastFound_].base + kBlockBytes)
        return lastFound_;
    size_t lo = 0, hi = blocks_.size();
    while (hi - lo > 1) {
        const size_t mid = (lo + hi) / 2;
        if (blocks_[mid].base <= c)
            lo = mid;
        else
            hi = mid;
    }
    lastFound_ = lo;
    return lo;
}

void RecordNodePool::Deallocate(void* p, size_t) noexcept {
    if (!p || blocks_.empty()) return;
    const size_t i = FindBlock(p);
    Block& b = blocks_[i];
    if (b.live > 0) --b.live;
    if (b.live != 0) return;
    if (b.base == curBase_) {
        cur_ = curBase_;  // the newest block is reused from its start
        return;
    }
    FreeBlock(b.base);
    blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(i));
    lastFound_ = 0;
}

// ---------------------------------------------------------------------------------------------
// FrnMap
//
// Slots are keyed by the 48-bit record number and hold the full reference of the latest record
// entered with that number. A lookup of a full reference answers from the slot when the slot's
// reference is that one; a lookup of a plain record number (no sequence bits) answers from the
// slot whoever owns it, exactly as the 48-bit alias key would. Full references whose record
// number was taken over by a later record keep their entry in exact_.

namespace {
inline size_t HashLow(uint64_t low, size_t mask) {
    // Record numbers are dense from 0 upward: keep them nearly in order (cache-friendly inserts)
    // while folding the higher bits in so that strided numbers still spread.
    return static_cast<size_t>(low ^ (low >> 21) ^ (low >> 42)) & mask;
}
}  // namespace

size_t FrnMap::SlotOf(uint64_t low48) const {
    const size_t mask = keys_.size() - 1;
    size_t i = HashLow(low48, mask);
    for (;;) {
        const uint64_t k = keys_[i];
        if (k == kEmpty || (k & kFrnRecordMask) == low48) return i;
        i = (i + 1) & mask;
    }
}

FrnMap::const_iterator FrnMap::find(uint64_t key) const {
    const_iterator it;
    if (!exact_.empty()) {
        auto e = exact_.find(key);
        if (e != exact_.end()) {
            it.v_ = {key, e->second};
            it.end_ = false;
            return it;
        }
    }
    if (key == kEmpty) return it;
    const uint64_t low = key & kFrnRecordMask;
    if (low < directSize_) {
        const uint32_t v = directValues_[low];
        if (v == 0) return it;
        const uint64_t full = (static_cast<uint64_t>(directSeq_[low]) << 48) | low;
        if (full != key && key != low) return it;
        it.v_ = {key, v == kSlotRootMarker ? kRootMarker : static_cast<uint64_t>(v - 1)};
        it.end_ = false;
        return it;
    }
    if (keys_.empty()) return it;
    const size_t i = SlotOf(low);
    const uint64_t full = keys_[i];
    if (full == kEmpty) return it;
    if (full != key && key != low) return it;  // a full reference that does not own this number
    const uint32_t v = values_[i];
    it.v_ = {key, v == kSlotRootMarker ? kRootMarker : static_cast<uint64_t>(v)};
    it.end_ = false;
    return it;
}

size_t FrnMap::size() const { return used_ + hashUsed_ + aliasKeys_ + exact_.size(); }

void FrnMap::clear() {
    keys_.clear();
    keys_.shrink_to_fit();
    values_.clear();
    values_.shrink_to_fit();
    directValues_.reset();
    directSeq_.reset();
    directSize_ = 0;
    used_ = 0;
    hashUsed_ = 0;
    aliasKeys_ = 0;
    exact_.clear();
}

void FrnMap::reserve(size_t n) {
    size_t cap = 16;
    while (cap * 4 < n * 5) cap <<= 1;  // load factor at most 0.8
    if (cap <= keys_.size()) return;
    std::vector<uint64_t> oldKeys;
    std::vector<uint32_t> oldValues;
    oldKeys.swap(keys_);
    oldValues.swap(values_);
    keys_.assign(cap, kEmpty);
    values_.assign(cap, 0);
    const size_t mask = cap - 1;
    for (size_t j = 0; j < oldKeys.size(); ++j) {
        const uint64_t k = oldKeys[j];
        if (k == kEmpty) continue;
        size_t i = HashLow(k & kFrnRecordMask, mask);
        while (keys_[i] != kEmpty) i = (i + 1) & mask;
        keys_[i] = k;
        values_[i] = oldValues[j];
    }
}

void FrnMap::PrepareDirect(uint64_t numbers) {
    if (size() != 0 || numbers == 0 || numbers > kFrnRecordMask) return;
    std::unique_ptr<uint32_t[]> values(new uint32_t[static_cast<size_t>(numbers)]);
    std::unique_ptr<uint16_t[]> seqs(new uint16_t[static_cast<size_t>(numbers)]);
    // Clearing the table is where its pages are first touched, which costs far more than the
    // writing on some machines: several threads share it when the table is large.
    const size_t n = static_cast<size_t>(numbers);
    auto clearRange = [&](size_t from, size_t to) {
        std::memset(values.get() + from, 0, (to - from) * sizeof(uint32_t));
        std::memset(seqs.get() + from, 0, (to - from) * sizeof(uint16_t));
    };
    constexpr size_t kPerThread = size_t(1) << 18;
    const size_t threads = std::clamp<size_t>(n / kPerThread, 1, 4);
    const size_t part = n / threads;
    std::vector<std::thread> helpers;
    try {
        for (size_t t = 1; t < threads; ++t) helpers.emplace_back(clearRange, part * t, t + 1 == threads ? n : part * (t + 1));
    } catch (...) {
        // Fewer threads: the ranges no thread took are cleared here.
    }
    clearRange(0, threads == 1 ? n : part);
    if (helpers.size() + 1 < threads) clearRange(part * (helpers.size() + 1), n);
    for (std::thread& t : helpers) t.join();
    directValues_ = std::move(values);
    directSeq_ = std::move(seqs);
    directSize_ = numbers;
}

void FrnMap::PutDirect(uint64_t low, uint64_t fullKey, uint32_t value) {
    const uint32_t old = directValues_[low];
    if (old == 0) {
        ++used_;
    } else {
        const uint64_t oldFull = (static_cast<uint64_t>(directSeq_[low]) << 48) | low;
        if (oldFull != low) --aliasKeys_;
        if (oldFull != low && oldFull != fullKey) exact_[oldFull] = old == kSlotRootMarker ? kRootMarker : old - 1;
    }
    if (fullKey != low) ++aliasKeys_;
    directValues_[low] = value == kSlotRootMarker ? kSlotRootMarker : value + 1;
    directSeq_[low] = static_cast<uint16_t>(fullKey >> 48);
}

void FrnMap::Grow() { reserve(std::max<size_t>(16, (hashUsed_ + 1) * 2)); }

void FrnMap::PutLow(uint64_t low, uint64_t fullKey, uint32_t value) {
    if (keys_.empty() || (hashUsed_ + 1) * 5 > keys_.size() * 4) Grow();
    const size_t i = SlotOf(low);
    const uint64_t old = keys_[i];
    if (old == kEmpty) {
        ++hashUsed_;
    } else {
        if (old != low) --aliasKeys_;
        // The old owner's full reference keeps pointing at its record.
        if (old != low && old != fullKey) {
            const uint32_t ov = values_[i];
            exact_[old] = ov == kSlotRootMarker ? kRootMarker : ov;
        }
    }
    if (fullKey != low) ++aliasKeys_;
    keys_[i] = fullKey;
    values_[i] = value;
}

void FrnMap::Insert(uint64_t frn, uint64_t value) {
    if (!exact_.empty()) exact_.erase(frn);
    const uint64_t low = frn & kFrnRecordMask;
    const bool fitsSlot = value == kRootMarker || value < kSlotRootMarker - 1;
    if (frn == kEmpty || !fitsSlot) {
        // Cannot be told apart from a free slot (or too large an index): keep it exact, and the
        // record number as its own key.
        exact_[frn] = value;
        if (low != frn) exact_[low] = value;
        return;
    }
    const uint32_t v = value == kRootMarker ? kSlotRootMarker : static_cast<uint32_t>(value);
    if (low < directSize_)
        PutDirect(low, frn, v);
    else
        PutLow(low, frn, v);
}

void FrnMap::InsertExact(uint64_t key, uint64_t value) {
    if ((key & kFrnRecordMask) == key) {
        Insert(key, value);  // a plain record number has no second key anyway
        return;
    }
    exact_[key] = value;
}

uint64_t FrnMap::MemoryBytes() const {
    return keys_.capacity() * sizeof(uint64_t) + values_.capacity() * sizeof(uint32_t) +
           directSize_ * (sizeof(uint32_t) + sizeof(uint16_t)) +
           exact_.size() * 32 + exact_.bucket_count() * sizeof(void*);
}

// ---------------------------------------------------------------------------------------------
// VolumeIndex: construction, paths, reset

VolumeIndex::VolumeIndex() : records(RecordAllocator<FileRecord>(&recordNodes_)) {}

std::unique_ptr<VolumeIndex> MakeVolumeIndex() { return std::make_unique<VolumeIndex>(); }

bool VolumeIndex::IsRootFrn(uint64_t frn) const {
    if (frn == 0) return true;
    if ((frn & kFrnRecordMask) == (rootFrn & kFrnRecordMask)) return true;
    auto it = frnToRecord.find(frn);
    if (it == frnToRecord.end()) it = frnToRecord.find(frn & kFrnRecordMask);
    if (it == frnToRecord.end()) return false;
    return it->second == kRootMarker;
}

namespace {
enum class PathOutcome { Open, Root, Broken };
constexpr int kMaxAncestors = 64;
constexpr uint64_t kMaxPathChars = 32768;

inline bool NameUsable(const FileRecord& r) { return r.name && r.nameLength > 0 && r.nameLength <= 255; }
}  // namespace

bool VolumeIndex::BuildFullPath(uint64_t recordIndex, std::wstring& path, bool* reachedRoot) const {
    if (reachedRoot) *reachedRoot = false;
    path.clear();
    if (recordIndex >= records.size() || !NameUsable(records[recordIndex])) return false;
    const FileRecord& self = records[recordIndex];

    // Parts from the record up; each part is (pointer, length) into the pool.
    struct Part {
        const wchar_t* p;
        uint16_t n;
    };
    Part parts[kMaxAncestors + 1];
    int partCount = 0;
    uint64_t visited[kMaxAncestors];
    int visitedCount = 0;
    parts[partCount++] = {self.name, self.nameLength};
    visited[visitedCount++] = self.frn;
    uint64_t total = self.nameLength + root.size() + 1;
    uint64_t parent = self.parentFrn;
    PathOutcome outcome = PathOutcome::Open;

    for (int depth = 0;; ) {
        if (depth >= kMaxAncestors) break;
        if (IsRootFrn(parent)) {
            outcome = PathOutcome::Root;
            break;
        }
        if (std::find(visited, visited + visitedCount, parent) != visited + visitedCount) {
            outcome = PathOutcome::Broken;
            break;
        }
        auto it = frnToRecord.find(parent);
        if (it == frnToRecord.end() && (parent & kFrnRecordMask) != parent) it = frnToRecord.find(parent & kFrnRecordMask);
        if (it == frnToRecord.end()) break;
        if (it->second == kRootMarker) {
            outcome = PathOutcome::Root;
            break;
        }
        if (it->second >= records.size()) {
            outcome = PathOutcome::Broken;
            break;
        }
        const FileRecord& p = records[it->second];
        if (!NameUsable(p)) {
            outcome = PathOutcome::Broken;
            break;
        }
        if (p.deleted) break;
        if (p.frn == p.parentFrn || IsRootFrn(p.frn)) {
            outcome = PathOutcome::Root;
            break;
        }
        if (visitedCount < kMaxAncestors) visited[visitedCount++] = parent;
        total += p.nameLength + 1;
        if (total > kMaxPathChars) {
            outcome = PathOutcome::Broken;
            break;
        }
        parts[partCount++] = {p.name, p.nameLength};
        parent = p.parentFrn;
        ++depth;
    }

    try {
        path.reserve(static_cast<size_t>(total));
        path = root;
        for (int i = partCount - 1; i >= 0; --i) {
            if (parts[i].n == 0) continue;
            path += L'\\';
            path.append(parts[i].p, parts[i].n);
        }
    } catch (...) {
        path.clear();
        return false;
    }
    const bool ok = outcome == PathOutcome::Root;
    if (reachedRoot) *reachedRoot = ok;
    return ok;
}

std::wstring VolumeIndex::BuildFullPath(uint64_t recordIndex, bool* reachedRoot) const {
    std::wstring path;
    try {
        BuildFullPath(recordIndex, path, reachedRoot);
        if (path.empty()) path = root;
    } catch (...) {
        if (reachedRoot) *reachedRoot = false;
        return std::wstring();
    }
    return path;
}

std::wstring VolumeIndex::BuildFullPathLocked(uint64_t recordIndex, bool* reachedRoot) {
    std::wstring path;
    AcquireSRWLockShared(&indexLock);
    try {
        BuildFullPath(recordIndex, path, reachedRoot);
    } catch (...) {
        path.clear();
    }
    ReleaseSRWLockShared(&indexLock);
    return path;
}

std::wstring VolumeIndex::BuildResolvedPath(uint64_t recordIndex) const {
    std::wstring path;
    if (!BuildFullPath(recordIndex, path, nullptr)) path.clear();
    return path;
}

std::wstring VolumeIndex::BuildResolvedPathLocked(uint64_t recordIndex) {
    AcquireSRWLockShared(&indexLock);
    std::wstring path = BuildResolvedPath(recordIndex);
    ReleaseSRWLockShared(&indexLock);
    return path;
}

bool VolumeIndex::RenameRecord(uint64_t recordIndex, const wchar_t* newName, size_t newLength) {
    if (recordIndex >= records.size() || !newName || newLength == 0 || newLength > 255) return false;
    FileRecord& r = records[recordIndex];
    if (r.deleted) return false;
    r.name = names.Append(newName, newLength);
    r.nameLength = static_cast<uint16_t>(newLength);
    nameSignatures.Invalidate(recordIndex);
    return true;
}

uint64_t VolumeIndex::RecordCountLocked() {
    AcquireSRWLockShared(&indexLock);
    const uint64_t n = records.size();
    ReleaseSRWLockShared(&indexLock);
    return n;
}

void VolumeIndex::ResetContents() {
    records.clear();
    records.shrink_to_fit();
    names.Clear();
    frnToRecord.clear();
    nameSignatures.Clear();
    builtBlocksSigned_ = 0;
    deletedCount = 0;
    AcquireSRWLockExclusive(&attrCacheLock);
    attrCache.clear();
    ReleaseSRWLockExclusive(&attrCacheLock);
    AcquireSRWLockExclusive(&fileSizesLock);
    fileSizes.clear();
    ReleaseSRWLockExclusive(&fileSizesLock);
    AcquireSRWLockExclusive(&folderSizesLock);
    folderSizes.clear();
    ReleaseSRWLockExclusive(&folderSizesLock);
    folderSizesDirty = true;
}

// ---------------------------------------------------------------------------------------------
// Handle and monitor thread

VolumeIndex::~VolumeIndex() { CloseVolume(); }

namespace {
// The Win32 handle of a std::thread (the posix thread model of MinGW wraps it in a pthread_t).
template <typename Native>
HANDLE ToWin32Handle(Native native) {
    if constexpr (std::is_convertible_v<Native, HANDLE>) {
        return static_cast<HANDLE>(native);
    } else {
#if defined(__MINGW32__)
        return static_cast<HANDLE>(pthread_gethandle(native));
#else
        return nullptr;
#endif
    }
}
HANDLE NativeThreadHandle(std::thread& t) { return ToWin32Handle(t.native_handle()); }
}  // namespace

void VolumeIndex::StopUsnMonitor() {
    std::lock_guard<std::mutex> guard(handleMutex);
    StopUsnMonitorLocked();
}

void VolumeIndex::StopUsnMonitorLocked() {
    monitorRunning = false;
    if (!monitorThread.joinable()) return;
    if (monitorThread.get_id() == std::this_thread::get_id()) return;  // never join itself
    HANDLE thread = NativeThreadHandle(monitorThread);
    if (thread) VolumeIoCancelSynchronousIo(thread);
    if (volumeHandle != INVALID_HANDLE_VALUE) VolumeIoCancelIoEx(volumeHandle, nullptr);
    monitorThread.join();
}

void VolumeIndex::CloseVolume() {
    StopUsnMonitor();
    std::lock_guard<std::mutex> guard(handleMutex);
    CloseVolumeHandleLocked();
}

void VolumeIndex::CloseVolumeHandleLocked() {
    if (volumeHandle == INVALID_HANDLE_VALUE) return;
    if (!VolumeIoCloseHandle(volumeHandle)) {
        const DWORD err = GetLastError();
        char line[160];
        snprintf(line, sizeof line, "[Tarnwick] CloseHandle failed, Error: %lu (0x%08X), Drive: %ls\n", err,
                 static_cast<unsigned>(err), root.c_str());
        OutputDebugStringA(line);
    }
    volumeHandle = INVALID_HANDLE_VALUE;
    Sleep(50);
}

void VolumeIndex::ReleaseDetached() {
    std::lock_guard<std::mutex> guard(handleMutex);
    if (available) return;  // a rebuild brought it back meanwhile: its handle is in use again
    StopUsnMonitorLocked();
    CloseVolumeHandleLocked();
    releasePending = false;
}

void VolumeIndex::SignBuiltBlocks() {
    constexpr size_t kRecords = NameSignatures::kBlockRecords;
    const NameSignatures::NameBitsFn addNameBits = NameSignatures::NameBits();
    const size_t complete = records.size() / kRecords;
    if (!addNameBits || builtBlocksSigned_ >= complete) return;
    auto it = records.begin() + static_cast<std::ptrdiff_t>(builtBlocksSigned_ * kRecords);
    for (size_t b = builtBlocksSigned_; b < complete; ++b) {
        uint64_t* bits = nameSignatures.BeginSign(b);  // null: no memory, or already signed
        if (!bits) {
            it += kRecords;
            continue;
        }
        for (size_t k = 0; k < kRecords; ++k, ++it)
            if (it->name && it->nameLength) addNameBits(bits, it->name, it->nameLength);
        nameSignatures.EndSign(b);
    }
    builtBlocksSigned_ = complete;
}

void VolumeIndex::BuildReferenceMap() {
    frnToRecord.clear();
    // NTFS record numbers are dense from 0 up to about the record count: then every number gets
    // a slot of its own (with a little room for the files the monitor adds later), and the few
    // numbers beyond are hashed.
    const uint64_t count = records.size();
    const uint64_t bound = 2 * count + 65536;
    uint64_t highest = 0, below = 0;
    for (const FileRecord& r : records) {
        const uint64_t low = r.frn & kFrnRecordMask;
        if (low < bound) {
            ++below;
            if (low > highest) highest = low;
        }
    }
    if (count >= 4096 && below >= count - count / 8)
        frnToRecord.PrepareDirect(highest + 1 + (highest >> 6));
    else
        frnToRecord.reserve(static_cast<size_t>(count));
    uint64_t i = 0;
    for (const FileRecord& r : records) frnToRecord.Insert(r.frn, i++);
}

void VolumeIndex::SetBuildSupply(BuildSupply* supply) { buildSupply_ = supply; }

uint64_t VolumeIndex::RecordMemoryBytes() const {
    // Node blocks, and the list's map: one pointer per node of 512 bytes' worth of records.
    const uint64_t perNode = std::max<uint64_t>(1, 512 / sizeof(FileRecord));
    return recordNodes_.MemoryBytes() + (records.size() / perNode + 8) * sizeof(void*);
}

FileSystemName& FileSystemName::operator=(std::wstring name) {
    {
        SrwExclusive lock(lock_);
        name_.swap(name);
    }
    return *this;  // the old name is freed outside the lock
}

std::wstring FileSystemName::Get() const {
    SrwShared lock(lock_);
    return name_;
}

bool FileSystemName::operator==(const wchar_t* other) const {
    SrwShared lock(lock_);
    return name_ == (other ? other : L"");
}
