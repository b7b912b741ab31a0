// Records, the name pool, the reference map and path building of one volume.
#include "index/VolumeIndex.h"

#include <algorithm>
#include <cstdio>
#include <cwctype>

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
    if (keys_.empty() || key == kEmpty) return it;
    const uint64_t low = key & kFrnRecordMask;
    const size_t i = SlotOf(low);
    const uint64_t full = keys_[i];
    if (full == kEmpty) return it;
    if (full != key && key != low) return it;  // a full reference that does not own this number
    const uint32_t v = values_[i];
    it.v_ = {key, v == kSlotRootMarker ? kRootMarker : static_cast<uint64_t>(v)};
    it.end_ = false;
    return it;
}

size_t FrnMap::size() const { return used_ + aliasKeys_ + exact_.size(); }

void FrnMap::clear() {
    keys_.clear();
    keys_.shrink_to_fit();
    values_.clear();
    values_.shrink_to_fit();
    used_ = 0;
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

void FrnMap::Grow() { reserve(std::max<size_t>(16, (used_ + 1) * 2)); }

void FrnMap::PutLow(uint64_t low, uint64_t fullKey, uint32_t value) {
    if (keys_.empty() || (used_ + 1) * 5 > keys_.size() * 4) Grow();
    const size_t i = SlotOf(low);
    const uint64_t old = keys_[i];
    if (old == kEmpty) {
        ++used_;
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
    const bool fitsSlot = value == kRootMarker || value < kSlotRootMarker;
    if (frn == kEmpty || !fitsSlot) {
        // Cannot be told apart from a free slot (or too large an index): keep it exact, and the
        // record number as its own key.
        exact_[frn] = value;
        if (low != frn) exact_[low] = value;
        return;
    }
    PutLow(low, frn, value == kRootMarker ? kSlotRootMarker : static_cast<uint32_t>(value));
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
           exact_.size() * 32 + exact_.bucket_count() * sizeof(void*);
}

// ---------------------------------------------------------------------------------------------
// VolumeIndex: construction, paths, reset

VolumeIndex::VolumeIndex() = default;

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

void VolumeIndex::BuildReferenceMap() {
    frnToRecord.clear();
    frnToRecord.reserve(records.size());
    uint64_t i = 0;
    for (const FileRecord& r : records) frnToRecord.Insert(r.frn, i++);
}
