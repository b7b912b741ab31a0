#include "duplicates/DupHash.h"
#include "duplicates/DupTypes.h"

#include <bcrypt.h>

#include <algorithm>
#include <cwchar>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "core/Logs.h"

std::atomic<bool> g_dupTimedAccessForAllDrives{false};
thread_local bool tls_hashTimedOut = false;
thread_local uint64_t tls_hashDeadline = 0;

namespace {

constexpr uint64_t kDefaultFullDeadlineMs = 30000;
// While waiting for a helper, the cancel flag is looked at this often; the wait itself ends
// the moment the helper signals.
constexpr DWORD kCancelSliceMs = 15;

void StartDeadline(uint32_t timeoutMs) {
    tls_hashTimedOut = false;
    tls_hashDeadline = GetTickCount64() + timeoutMs;
}

bool Cancelled(const std::atomic<bool>* cancel) { return cancel && cancel->load(); }

// ---------------------------------------------------------------------------------------------
// SHA-256 through CNG. The algorithm provider is opened once and shared (a provider handle
// may be used from several threads to create hash objects). A failed open is not kept: the next
// hash tries again, and each new failure status is logged once.
std::mutex g_providerMutex;
BCRYPT_ALG_HANDLE g_provider = nullptr;
DWORD g_objectLength = 0;
const wchar_t* g_providerName = nullptr;  // the algorithm g_provider was opened for
const wchar_t* g_algorithm = BCRYPT_SHA256_ALGORITHM;
long g_lastLoggedStatus = 0;

BCRYPT_ALG_HANDLE Sha256Provider(DWORD* objectLength, long* status = nullptr) {
    std::lock_guard<std::mutex> lock(g_providerMutex);
    if (status) *status = 0;
    if (g_provider && wcscmp(g_providerName, g_algorithm) == 0) {
        *objectLength = g_objectLength;
        return g_provider;
    }
    if (g_provider) {
        BCryptCloseAlgorithmProvider(g_provider, 0);
        g_provider = nullptr;
    }
    auto failed = [&](const wchar_t* what, NTSTATUS st) -> BCRYPT_ALG_HANDLE {
        if (status) *status = (long)st;
        if ((long)st != g_lastLoggedStatus) {
            g_lastLoggedStatus = (long)st;
            wchar_t code[16];
            _snwprintf(code, 16, L"0x%08lX", (unsigned long)st);
            AppendPerfMetric(std::wstring(L"dup sha256 ") + what + L" failed status=" + code);
        }
        *objectLength = 0;
        return nullptr;
    };
    BCRYPT_ALG_HANDLE alg = nullptr;
    NTSTATUS st = BCryptOpenAlgorithmProvider(&alg, g_algorithm, nullptr, 0);
    if (st != 0 || !alg) return failed(L"provider open", st ? st : (NTSTATUS)0xC0000001L);
    DWORD len = 0, got = 0;
    st = BCryptGetProperty(alg, BCRYPT_OBJECT_LENGTH, (PUCHAR)&len, sizeof len, &got, 0);
    if (st != 0 || got != sizeof len || len == 0 || len > (1u << 20)) {
        BCryptCloseAlgorithmProvider(alg, 0);
        return failed(L"object length", st ? st : (NTSTATUS)0xC0000001L);
    }
    g_provider = alg;
    g_providerName = g_algorithm;
    g_objectLength = len;
    g_lastLoggedStatus = 0;
    *objectLength = len;
    return alg;
}

class Sha256 {
public:
    Sha256() {
        DWORD length = 0;
        BCRYPT_ALG_HANDLE alg = Sha256Provider(&length);
        if (!alg) return;
        object_.resize(length);
        if (BCryptCreateHash(alg, &hash_, object_.data(), length, nullptr, 0, 0) != 0) hash_ = nullptr;
    }
    ~Sha256() {
        if (hash_) BCryptDestroyHash(hash_);
    }
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    bool ok() const { return hash_ != nullptr; }
    bool Update(const void* data, size_t n) {
        return hash_ && BCryptHashData(hash_, (PUCHAR)data, (ULONG)n, 0) == 0;
    }
    bool Finish(uint8_t out[32]) {
        if (!hash_) return false;
        const bool done = BCryptFinishHash(hash_, out, 32, 0) == 0;
        BCryptDestroyHash(hash_);
        hash_ = nullptr;
        return done;
    }

private:
    BCRYPT_HASH_HANDLE hash_ = nullptr;
    std::vector<uint8_t> object_;
};

// ---------------------------------------------------------------------------------------------
// Helper threads for calls that may hang (opening a file on a device that does not answer).
struct HelperShared {
    HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::function<void()> job;
    std::atomic<bool> quit{false};
    ~HelperShared() {
        if (wake) CloseHandle(wake);
        if (done) CloseHandle(done);
    }
};

void HelperLoop(std::shared_ptr<HelperShared> shared) {
    for (;;) {
        if (WaitForSingleObject(shared->wake, INFINITE) != WAIT_OBJECT_0) return;
        if (shared->quit) return;
        std::function<void()> job = std::move(shared->job);
        shared->job = nullptr;
        try {
            if (job) job();
        } catch (...) {
            LogBackgroundException(L"dup_timed_helper");
        }
        SetEvent(shared->done);
        if (shared->quit) return;
    }
}

thread_local std::shared_ptr<HelperShared>* t_helper = nullptr;  // set by DupTimedHelperScope
thread_local bool t_helperScope = false;

std::shared_ptr<HelperShared> StartHelper(bool loop) {
    auto shared = std::make_shared<HelperShared>();
    if (!shared->wake || !shared->done) return nullptr;
    if (loop) {
        std::thread(HelperLoop, shared).detach();
    }
    return shared;
}

// Runs job on a helper thread and waits until it is done, waitMs have passed, the thread's
// deadline has passed or (when given) the cancel flag is set. False when the wait gave up;
// the job then finishes on its own and must settle its result through its own state.
bool RunTimed(std::function<void()> job, uint32_t waitMs, const std::atomic<bool>* cancel) {
    std::shared_ptr<HelperShared> shared;
    if (t_helperScope) {
        if (!t_helper) t_helper = new std::shared_ptr<HelperShared>(StartHelper(true));
        shared = *t_helper;
        if (!shared) {
            delete t_helper;
            t_helper = nullptr;
            return false;
        }
        ResetEvent(shared->done);
        shared->job = std::move(job);
        SetEvent(shared->wake);
    } else {
        shared = StartHelper(false);
        if (!shared) return false;
        auto oneShot = shared;
        std::thread([oneShot, job = std::move(job)] {
            try {
                job();
            } catch (...) {
                LogBackgroundException(L"dup_timed_helper");
            }
            SetEvent(oneShot->done);
        }).detach();
    }
    const uint64_t start = GetTickCount64();
    for (;;) {
        const uint64_t now = GetTickCount64();
        uint64_t limit = start + waitMs;
        if (tls_hashDeadline) limit = std::min(limit, tls_hashDeadline);
        if (now >= limit) break;
        DWORD slice = (DWORD)std::min<uint64_t>(limit - now, cancel ? kCancelSliceMs : 0xFFFFFFF0ull);
        const DWORD w = WaitForSingleObject(shared->done, slice);
        if (w == WAIT_OBJECT_0) return true;
        if (w != WAIT_TIMEOUT) break;
        if (Cancelled(cancel)) break;
    }
    if (t_helperScope && t_helper) {
        // The helper is stuck: let it end by itself after its call; the next call gets a new one.
        (*t_helper)->quit = true;
        SetEvent((*t_helper)->wake);
        delete t_helper;
        t_helper = nullptr;
    }
    return false;
}

enum : int { kPending = 0, kDone = 1, kAbandoned = 2 };

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

struct OpenState {
    std::wstring path;
    DWORD access = GENERIC_READ;
    DWORD flags = FILE_FLAG_OVERLAPPED | FILE_FLAG_SEQUENTIAL_SCAN;
    DWORD share = kShareAll;
    std::atomic<int> state{kPending};
    HANDLE handle = INVALID_HANDLE_VALUE;
    DWORD error = 0;
};

// The helper's half of a timed open: the handle is handed over only while the caller still
// waits; otherwise the helper closes it itself. Exactly one side ends up owning it.
void OpenOnHelper(const std::shared_ptr<OpenState>& st) {
    HANDLE h = CreateFileW(st->path.c_str(), st->access, st->share, nullptr, OPEN_EXISTING, st->flags, nullptr);
    st->error = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    st->handle = h;
    int expected = kPending;
    if (!st->state.compare_exchange_strong(expected, kDone) && h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

HANDLE OpenTimed(const std::wstring& path, DWORD access, DWORD flags, const std::atomic<bool>* cancel,
                 DWORD share = kShareAll) {
    if (DupHashDeadlinePassed() || Cancelled(cancel)) {
        tls_hashTimedOut = true;
        return INVALID_HANDLE_VALUE;
    }
    auto st = std::make_shared<OpenState>();
    st->path = path;
    st->access = access;
    st->flags = flags;
    st->share = share;
    RunTimed([st] { OpenOnHelper(st); }, kDupOpenWaitMs, cancel);
    int expected = kPending;
    if (st->state.compare_exchange_strong(expected, kAbandoned)) {
        tls_hashTimedOut = true;  // gave up waiting (time or cancel)
        return INVALID_HANDLE_VALUE;
    }
    return st->handle;  // done: a handle or INVALID_HANDLE_VALUE when the open failed
}

// ---------------------------------------------------------------------------------------------
// Read blocks: buffer, event and OVERLAPPED of one file's reads. The buffer holds one byte more
// than a read piece, so that the last read of a file can ask for one byte past its listed end
// and tell a grown file from an unchanged one without a separate size query.
// A block whose read could not be brought to an end after cancelling is never freed or
// reused, since the system may still write into it.
constexpr DWORD kReadBufferSize = kDupFullReadSize + 1;
struct ReadBlock {
    OVERLAPPED ov{};
    HANDLE event = nullptr;
    std::unique_ptr<uint8_t[]> buffer;
    bool abandoned = false;
};

std::mutex g_blockPoolMutex;
std::vector<ReadBlock*> g_blockPool;
constexpr size_t kBlockPoolMax = 32;

ReadBlock* AcquireBlock() {
    {
        std::lock_guard<std::mutex> lock(g_blockPoolMutex);
        if (!g_blockPool.empty()) {
            ReadBlock* b = g_blockPool.back();
            g_blockPool.pop_back();
            return b;
        }
    }
    auto block = std::make_unique<ReadBlock>();
    block->event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!block->event) return nullptr;
    block->buffer.reset(new (std::nothrow) uint8_t[kReadBufferSize]);
    if (!block->buffer) {
        CloseHandle(block->event);
        return nullptr;
    }
    return block.release();
}

void ReleaseBlock(ReadBlock* block) {
    if (!block) return;
    if (block->abandoned) {
        AppendPerfMetric(L"dup read abandoned after cancel; its buffer is kept");
        return;  // deliberately kept alive: a late completion may still write into it
    }
    {
        std::lock_guard<std::mutex> lock(g_blockPoolMutex);
        if (g_blockPool.size() < kBlockPoolMax) {
            g_blockPool.push_back(block);
            return;
        }
    }
    CloseHandle(block->event);
    delete block;
}

struct BlockLease {
    ReadBlock* block = AcquireBlock();
    ~BlockLease() { ReleaseBlock(block); }
};

void SetOffset(OVERLAPPED& ov, uint64_t offset) {
    ov.Offset = (DWORD)(offset & 0xFFFFFFFFu);
    ov.OffsetHigh = (DWORD)(offset >> 32);
}

// Cancels a pending read and waits for it to end; marks the block abandoned when it does not.
void CancelPendingRead(HANDLE file, ReadBlock* block) {
    CancelIoEx(file, &block->ov);
    if (WaitForSingleObject(block->event, kDupCancelWaitMs) != WAIT_OBJECT_0) block->abandoned = true;
}

// One overlapped read of n bytes at the block's offset into its buffer.
bool ReadFileTimed(HANDLE file, ReadBlock* block, DWORD n, DWORD* read, const std::atomic<bool>* cancel) {
    *read = 0;
    if (DupHashDeadlinePassed() || Cancelled(cancel)) {
        tls_hashTimedOut = true;
        return false;
    }
    ResetEvent(block->event);
    block->ov.hEvent = block->event;
    block->ov.Internal = 0;
    block->ov.InternalHigh = 0;
    if (ReadFile(file, block->buffer.get(), n, read, &block->ov)) return true;
    DWORD err = GetLastError();
    if (err == ERROR_HANDLE_EOF) {
        *read = 0;
        return true;
    }
    if (err != ERROR_IO_PENDING) return false;
    const uint64_t start = GetTickCount64();
    for (;;) {
        if (Cancelled(cancel)) {
            CancelPendingRead(file, block);
            return false;
        }
        const uint64_t now = GetTickCount64();
        uint64_t limit = start + kDupReadWaitMs;
        if (tls_hashDeadline) limit = std::min(limit, tls_hashDeadline);
        if (now >= limit) break;
        const DWORD slice = (DWORD)std::min<uint64_t>(limit - now, cancel ? kCancelSliceMs : 0xFFFFFFF0ull);
        const DWORD w = WaitForSingleObject(block->event, slice);
        if (w == WAIT_OBJECT_0) {
            if (GetOverlappedResult(file, &block->ov, read, FALSE)) return true;
            if (GetLastError() == ERROR_HANDLE_EOF) {
                *read = 0;
                return true;
            }
            return false;
        }
        if (w != WAIT_TIMEOUT) {
            CancelPendingRead(file, block);
            return false;
        }
    }
    CancelPendingRead(file, block);
    tls_hashTimedOut = true;
    return false;
}

// Feeds length bytes from offset into the digest; false on any failure or a short file.
bool DigestRange(HANDLE file, ReadBlock* block, uint64_t offset, uint64_t length, Sha256& sha,
                 const std::atomic<bool>* cancel, const DupReadProgress* progress = nullptr) {
    uint64_t done = 0;
    while (done < length) {
        if (Cancelled(cancel)) return false;
        if (DupHashDeadlinePassed()) {
            tls_hashTimedOut = true;
            return false;
        }
        SetOffset(block->ov, offset + done);
        DWORD want = (DWORD)std::min<uint64_t>(kDupFullReadSize, length - done);
        DWORD got = 0;
        if (!ReadFileTimed(file, block, want, &got, cancel)) return false;
        if (got == 0) return false;  // the file is shorter than expected
        if (!sha.Update(block->buffer.get(), got)) return false;
        done += got;
        if (progress) (*progress)(got);
    }
    return true;
}

bool CurrentSize(HANDLE file, int64_t* size) {
    LARGE_INTEGER li{};
    if (!GetFileSizeEx(file, &li)) return false;
    *size = li.QuadPart;
    return true;
}

struct FileCloser {
    HANDLE h;
    ~FileCloser() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

// ---------------------------------------------------------------------------------------------
// Direct access for local fixed drives: the open and the reads run on the calling thread, the
// reads are plain positioned reads, and the listed size is checked by the reads themselves
// (the last one asks for one byte more than should be left). Such drives answer at once, so
// the helper thread and the overlapped waits would only add system calls per file; the
// per-file deadline and the cancel flag are still checked before the open and every read.

HANDLE OpenDirect(const std::wstring& path, DWORD access, DWORD flags, const std::atomic<bool>* cancel,
                  DWORD share = kShareAll) {
    if (DupHashDeadlinePassed() || Cancelled(cancel)) {
        tls_hashTimedOut = true;
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, flags, nullptr);
}

// Reads n bytes at offset (n at most kReadBufferSize), fewer only where the file ends.
bool ReadDirect(HANDLE file, ReadBlock* block, uint64_t offset, DWORD n, DWORD* got, const std::atomic<bool>* cancel) {
    *got = 0;
    if (Cancelled(cancel)) return false;
    if (DupHashDeadlinePassed()) {
        tls_hashTimedOut = true;
        return false;
    }
    while (*got < n) {
        OVERLAPPED ov{};
        SetOffset(ov, offset + *got);
        DWORD piece = 0;
        if (!ReadFile(file, block->buffer.get() + *got, n - *got, &piece, &ov)) {
            if (GetLastError() == ERROR_HANDLE_EOF) return true;
            return false;
        }
        if (piece == 0) return true;
        *got += piece;
    }
    return true;
}

// Digests exactly length bytes at offset; with atEnd the file must end right after them.
bool DigestRangeDirect(HANDLE file, ReadBlock* block, uint64_t offset, uint64_t length, bool atEnd, Sha256& sha,
                       const std::atomic<bool>* cancel, const DupReadProgress* progress = nullptr) {
    uint64_t done = 0;
    for (;;) {
        const uint64_t left = length - done;
        const bool last = left <= kDupFullReadSize;
        const DWORD want = last ? (DWORD)left + (atEnd ? 1 : 0) : kDupFullReadSize;
        if (want == 0) return true;
        DWORD got = 0;
        if (!ReadDirect(file, block, offset + done, want, &got, cancel)) return false;
        if (got != (last ? left : (uint64_t)want)) return false;  // shorter or longer than listed
        if (got && !sha.Update(block->buffer.get(), got)) return false;
        if (progress && got) (*progress)(got);
        if (last) return true;
        done += got;
    }
}

// The three sample digests of a file larger than the small-file limit, read through one open.
bool DigestSamplesDirect(HANDLE file, int64_t size, const std::atomic<bool>* cancel, uint8_t out[3 * 32]) {
    BlockLease lease;
    if (!lease.block) return false;
    const uint64_t offsets[3] = {0, (uint64_t)((size >> 1) - kDupSampleLength / 2), (uint64_t)(size - kDupSampleLength)};
    for (int i = 0; i < 3; ++i) {
        Sha256 sha;
        if (!sha.ok()) return false;
        if (!DigestRangeDirect(file, lease.block, offsets[i], kDupSampleLength, i == 2, sha, cancel)) return false;
        if (!sha.Finish(out + 32 * i)) return false;
    }
    return true;
}

// The drive kind per letter, asked again after a while (a letter may be mapped anew).
constexpr uint64_t kDriveKindTtlMs = 5000;
std::atomic<uint64_t> g_driveKind[26];  // (tick << 2) | 1 local fixed, | 2 other; 0 unknown

// The whole-file digest through an open handle, read directly or with timed overlapped reads.
// With expectedSize >= 0 the file must have that size before and after the read; otherwise it
// is read up to its end.
bool DigestWholeFile(HANDLE file, bool direct, int64_t expectedSize, const std::atomic<bool>* cancel,
                     uint8_t out[32], const DupReadProgress* progress = nullptr) {
    BlockLease lease;
    if (!lease.block) return false;
    Sha256 sha;
    if (!sha.ok()) return false;
    if (direct && expectedSize >= 0) {
        return DigestRangeDirect(file, lease.block, 0, (uint64_t)expectedSize, true, sha, cancel, progress) &&
               sha.Finish(out);
    }
    if (expectedSize >= 0) {
        int64_t now = -1;
        if (!CurrentSize(file, &now) || now != expectedSize) return false;
        if (!DigestRange(file, lease.block, 0, (uint64_t)expectedSize, sha, cancel, progress)) return false;
        if (!CurrentSize(file, &now) || now != expectedSize) return false;
        return sha.Finish(out);
    }
    uint64_t offset = 0;
    for (;;) {
        if (Cancelled(cancel)) return false;
        if (DupHashDeadlinePassed()) {
            tls_hashTimedOut = true;
            return false;
        }
        DWORD got = 0;
        if (direct) {
            if (!ReadDirect(file, lease.block, offset, kDupFullReadSize, &got, cancel)) return false;
        } else {
            SetOffset(lease.block->ov, offset);
            if (!ReadFileTimed(file, lease.block, kDupFullReadSize, &got, cancel)) return false;
        }
        if (got == 0) return sha.Finish(out);
        if (!sha.Update(lease.block->buffer.get(), got)) return false;
        offset += got;
    }
}

// The quick hash of a large file: the SHA-256 of its three sample digests and its size.
std::wstring SamplesToQuickHash(uint8_t buffer[3 * 32 + 8], int64_t size) {
    for (int i = 0; i < 8; ++i) buffer[96 + i] = (uint8_t)(((uint64_t)size >> (8 * i)) & 0xFF);
    Sha256 sha;
    uint8_t digest[32];
    if (!sha.Update(buffer, 3 * 32 + 8) || !sha.Finish(digest)) return {};
    return HashDigestToHex(digest);
}

}  // namespace

bool DupHashDeadlinePassed() { return tls_hashDeadline != 0 && GetTickCount64() >= tls_hashDeadline; }

std::wstring HashDigestToHex(const uint8_t digest[32]) {
    static const wchar_t kHex[] = L"0123456789abcdef";
    std::wstring out(64, L'0');
    for (int i = 0; i < 32; ++i) {
        out[2 * i] = kHex[digest[i] >> 4];
        out[2 * i + 1] = kHex[digest[i] & 15];
    }
    return out;
}

DupTimedHelperScope::DupTimedHelperScope() { t_helperScope = true; }

DupTimedHelperScope::~DupTimedHelperScope() {
    if (t_helper) {
        if (*t_helper) {
            (*t_helper)->quit = true;
            SetEvent((*t_helper)->wake);
        }
        delete t_helper;
        t_helper = nullptr;
    }
    t_helperScope = false;
}

bool DupPathIsOnLocalFixedDrive(const std::wstring& path) {
    if (g_dupTimedAccessForAllDrives.load()) return false;
    size_t at = 0;
    if (path.compare(0, 4, L"\\\\?\\") == 0) at = 4;
    if (path.size() < at + 3 || path[at + 1] != L':' || (path[at + 2] != L'\\' && path[at + 2] != L'/')) return false;
    wchar_t letter = path[at];
    if (letter >= L'a' && letter <= L'z') letter = (wchar_t)(letter - L'a' + L'A');
    if (letter < L'A' || letter > L'Z') return false;
    std::atomic<uint64_t>& slot = g_driveKind[letter - L'A'];
    const uint64_t now = GetTickCount64();
    const uint64_t known = slot.load();
    if (known && now - (known >> 2) < kDriveKindTtlMs) return (known & 3) == 1;
    const wchar_t root[4] = {letter, L':', L'\\', 0};
    const UINT type = GetDriveTypeW(root);
    const bool local = type == DRIVE_FIXED || type == DRIVE_RAMDISK;
    slot.store((now << 2) | (local ? 1 : 2));
    return local;
}

HANDLE OpenFileForHashTimed(const std::wstring& path, const std::atomic<bool>* cancel) {
    return OpenTimed(path, GENERIC_READ, FILE_FLAG_OVERLAPPED | FILE_FLAG_SEQUENTIAL_SCAN, cancel);
}

std::wstring DupComputeFullHash(const std::wstring& path, const std::atomic<bool>* cancel, uint32_t timeoutMs,
                                int64_t expectedSize) {
    if (timeoutMs) {
        StartDeadline(timeoutMs);
    } else if (!tls_hashDeadline) {
        StartDeadline((uint32_t)kDefaultFullDeadlineMs);
    }
    uint8_t digest[32];
    if (DupPathIsOnLocalFixedDrive(path)) {
        FileCloser file{OpenDirect(path, GENERIC_READ, FILE_FLAG_SEQUENTIAL_SCAN, cancel)};
        if (file.h == INVALID_HANDLE_VALUE || !DigestWholeFile(file.h, true, expectedSize, cancel, digest)) return {};
        return HashDigestToHex(digest);
    }
    FileCloser file{OpenFileForHashTimed(path, cancel)};
    if (file.h == INVALID_HANDLE_VALUE) return {};
    if (!DigestWholeFile(file.h, false, expectedSize, cancel, digest)) return {};
    return HashDigestToHex(digest);
}

std::wstring DupComputeQuickHash(const std::wstring& path, int64_t size, const std::atomic<bool>* cancel,
                                 uint32_t timeoutMs) {
    StartDeadline(timeoutMs);
    if (size < 0) return {};
    if (size <= kDupSmallFileLimit) return DupComputeFullHash(path, cancel, 0, size);

    uint8_t buffer[3 * 32 + 8];
    if (DupPathIsOnLocalFixedDrive(path)) {
        FileCloser file{OpenDirect(path, GENERIC_READ, FILE_FLAG_RANDOM_ACCESS, cancel)};
        if (file.h == INVALID_HANDLE_VALUE || !DigestSamplesDirect(file.h, size, cancel, buffer)) return {};
        return SamplesToQuickHash(buffer, size);
    }
    FileCloser file{OpenFileForHashTimed(path, cancel)};
    if (file.h == INVALID_HANDLE_VALUE) return {};
    int64_t now = -1;
    if (!CurrentSize(file.h, &now) || now != size) return {};  // changed since it was listed
    BlockLease lease;
    if (!lease.block) return {};
    const uint64_t offsets[3] = {0, (uint64_t)((size >> 1) - kDupSampleLength / 2), (uint64_t)(size - kDupSampleLength)};
    for (int i = 0; i < 3; ++i) {
        Sha256 sha;
        if (!sha.ok()) return {};
        if (!DigestRange(file.h, lease.block, offsets[i], kDupSampleLength, sha, cancel)) return {};
        if (!sha.Finish(buffer + 32 * i)) return {};
        if (tls_hashTimedOut || Cancelled(cancel)) return {};
    }
    return SamplesToQuickHash(buffer, size);
}

namespace {

DupFileStat StatNow(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    DupFileStat s;
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        s.valid = true;
        s.size = (int64_t)(((uint64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow);
        s.mtime = ((uint64_t)data.ftLastWriteTime.dwHighDateTime << 32) | data.ftLastWriteTime.dwLowDateTime;
    }
    return s;
}

struct StatState {
    std::wstring path;
    DupFileStat stat;
};

}  // namespace

DupFileStat DupQueryFileStat(const std::wstring& path) {
    if (DupPathIsOnLocalFixedDrive(path)) return StatNow(path);
    auto st = std::make_shared<StatState>();
    st->path = path;
    // The helper writes only into st, which it shares; a late finish is harmless.
    std::shared_ptr<std::atomic<int>> state = std::make_shared<std::atomic<int>>(kPending);
    const bool finished = RunTimed(
        [st, state] {
            const DupFileStat s = StatNow(st->path);
            int expected = kPending;
            if (state->load() == kPending) st->stat = s;
            state->compare_exchange_strong(expected, kDone);
        },
        kDupTimeQueryWaitMs, nullptr);
    int expected = kPending;
    if (!finished && state->compare_exchange_strong(expected, kAbandoned)) {
        tls_hashTimedOut = true;
        return {};
    }
    return st->stat;
}

uint64_t DupQueryFileMtime(const std::wstring& path) {
    DupFileStat s = DupQueryFileStat(path);
    return s.valid ? s.mtime : 0;
}

namespace {

constexpr DWORD kShareAgainstWriting = FILE_SHARE_READ | FILE_SHARE_DELETE;

}  // namespace

bool DupIdentityOfHandle(HANDLE file, DupFileIdentity* out, bool* deletePending) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) return false;
    out->volumeSerial = info.dwVolumeSerialNumber;
    out->fileIndex = ((uint64_t)info.nFileIndexHigh << 32) | info.nFileIndexLow;
    out->size = (int64_t)(((uint64_t)info.nFileSizeHigh << 32) | info.nFileSizeLow);
    out->mtime = ((uint64_t)info.ftLastWriteTime.dwHighDateTime << 32) | info.ftLastWriteTime.dwLowDateTime;
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof(basic))) return false;
    out->ctime = basic.ChangeTime.QuadPart;
    if (deletePending) {
        FILE_STANDARD_INFO standard{};
        if (!GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof(standard))) return false;
        *deletePending = standard.DeletePending != FALSE;
    }
    return true;
}

HANDLE DupOpenHeldAgainstWriting(const std::wstring& path) {
    return DupPathIsOnLocalFixedDrive(path)
               ? OpenDirect(path, GENERIC_READ, FILE_FLAG_SEQUENTIAL_SCAN, nullptr, kShareAgainstWriting)
               : OpenTimed(path, GENERIC_READ, FILE_FLAG_OVERLAPPED | FILE_FLAG_SEQUENTIAL_SCAN, nullptr,
                           kShareAgainstWriting);
}

bool DupQueryFileIdentity(const std::wstring& path, DupFileIdentity* out, const std::atomic<bool>* cancel) {
    FileCloser file{DupPathIsOnLocalFixedDrive(path)
                        ? OpenDirect(path, FILE_READ_ATTRIBUTES, FILE_FLAG_BACKUP_SEMANTICS, cancel)
                        : OpenTimed(path, FILE_READ_ATTRIBUTES, FILE_FLAG_BACKUP_SEMANTICS, cancel)};
    if (file.h == INVALID_HANDLE_VALUE) return false;
    return DupIdentityOfHandle(file.h, out);
}

std::wstring DupHashFileNow(const std::wstring& path, const std::atomic<bool>* cancel, const DupReadProgress* progress,
                            DupFileIdentity* stamp, UniqueHandle* hold, DupHold how) {
    // No overall deadline for this thread while the file is read (restored afterwards).
    struct DeadlineOff {
        uint64_t saved = tls_hashDeadline;
        DeadlineOff() {
            tls_hashDeadline = 0;
            tls_hashTimedOut = false;
        }
        ~DeadlineOff() { tls_hashDeadline = saved; }
    } off;
    const bool direct = DupPathIsOnLocalFixedDrive(path);
    // A held file is opened without write sharing (and without delete sharing when it must not
    // go or move either): nobody can do that while the handle lives.
    const DWORD share = !hold                              ? kShareAll
                        : how == DupHold::AgainstAnyChange ? FILE_SHARE_READ
                                                           : kShareAgainstWriting;
    FileCloser file{direct ? OpenDirect(path, GENERIC_READ, FILE_FLAG_SEQUENTIAL_SCAN, cancel, share)
                           : OpenTimed(path, GENERIC_READ, FILE_FLAG_OVERLAPPED | FILE_FLAG_SEQUENTIAL_SCAN,
                                       cancel, share)};
    if (file.h == INVALID_HANDLE_VALUE) return {};
    DupFileIdentity before, after;
    if (!DupIdentityOfHandle(file.h, &before) || before.size < 0) return {};
    uint8_t digest[32];
    if (!DigestWholeFile(file.h, direct, before.size, cancel, digest, progress)) return {};
    // Written to while it was read: what was read is no content the file has.
    if (!DupIdentityOfHandle(file.h, &after) || !after.SameState(before)) return {};
    if (stamp) *stamp = before;
    if (hold) hold->reset(std::exchange(file.h, INVALID_HANDLE_VALUE));
    return HashDigestToHex(digest);
}

bool DupSha256Available(long* status) {
    DWORD length = 0;
    return Sha256Provider(&length, status) != nullptr;
}

void SetDupHashAlgorithmForTest(const wchar_t* name) {
    std::lock_guard<std::mutex> lock(g_providerMutex);
    g_algorithm = name ? name : BCRYPT_SHA256_ALGORITHM;
}
