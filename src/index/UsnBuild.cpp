// Building an NTFS volume's index by enumerating its file records through the USN interface.
#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/Core.h"
#include "index/UsnRecords.h"
#include "index/VolumeIndex.h"
#include "platform/VolumeIo.h"

namespace {

constexpr DWORD kEnumBufferBytes = 0x10000;
constexpr DWORD kProbeBufferBytes = 520;
constexpr DWORDLONG kJournalMaximumSize = 0x10000000;
constexpr DWORDLONG kJournalAllocationDelta = 0x1000000;
constexpr LONGLONG kHighestUsn = 0x7FFFFFFFFFFFFFFFll;

struct ScopedFlag {
    std::atomic<bool>& flag;
    explicit ScopedFlag(std::atomic<bool>& f) : flag(f) { flag = true; }
    ~ScopedFlag() { flag = false; }
};

struct ExclusiveLock {
    SRWLOCK* lock;
    bool held = true;
    explicit ExclusiveLock(SRWLOCK* l) : lock(l) { AcquireSRWLockExclusive(lock); }
    void Release() {
        if (held) ReleaseSRWLockExclusive(lock);
        held = false;
    }
    ~ExclusiveLock() { Release(); }
};

uint64_t ReadRootFrn(const std::wstring& root) {
    if (root.size() < 2) return 5;
    std::wstring path = root.substr(0, 2) + L"\\";
    HANDLE h = VolumeIoCreateFile(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 5;
    uint64_t frn = 5;
    BY_HANDLE_FILE_INFORMATION info{};
    if (VolumeIoGetFileInformationByHandle(h, &info))
        frn = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    VolumeIoCloseHandle(h);
    return frn == 0 ? 5 : frn;
}

bool QueryJournal(HANDLE volume, VolumeIoUsnJournalDataV0& data) {
    DWORD bytes = 0;
    data = {};
    return VolumeIoDeviceIoControl(volume, FSCTL_QUERY_USN_JOURNAL, nullptr, 0, &data, sizeof data, &bytes, nullptr) != 0;
}

void CreateJournal(HANDLE volume) {
    VolumeIoCreateUsnJournalData create{kJournalMaximumSize, kJournalAllocationDelta};
    DWORD bytes = 0;
    VolumeIoDeviceIoControl(volume, FSCTL_CREATE_USN_JOURNAL, &create, sizeof create, nullptr, 0, &bytes, nullptr);
}

// One enumeration pass: this thread issues FSCTL_ENUM_USN_DATA calls and queues the buffers,
// a consumer thread parses them. Returns when every queued buffer has been parsed.
void RunEnumerationPass(VolumeIndex& volume, VolumeIoMftEnumDataV0& input) {
    UsnBuildQueue queue;
    queue.volume = &volume;
    std::thread consumer(UsnRecordWorkerThread, &queue);
    auto finish = [&] {
        {
            std::lock_guard<std::mutex> lock(queue.mutex);
            queue.stop = true;
        }
        queue.cv.notify_one();
        consumer.join();
        for (UsnBatch* b : queue.queue) delete b;  // left over only at shutdown
        queue.queue.clear();
    };
    try {
        while (!g_shuttingDown) {
            auto batch = std::make_unique<UsnBatch>();
            batch->data.assign(kEnumBufferBytes, 0);
            DWORD bytes = 0;
            if (!VolumeIoDeviceIoControl(volume.volumeHandle, FSCTL_ENUM_USN_DATA, &input, sizeof input,
                                         batch->data.data(), kEnumBufferBytes, &bytes, nullptr))
                break;  // ERROR_HANDLE_EOF is the normal end; every error ends the pass alike
            if (bytes == 0) break;
            batch->bytesReturned = bytes > kEnumBufferBytes ? kEnumBufferBytes : bytes;
            std::memcpy(&input.StartFileReferenceNumber, batch->data.data(), 8);
            if (batch->bytesReturned <= 8) continue;
            {
                std::lock_guard<std::mutex> lock(queue.mutex);
                queue.queue.push_back(batch.get());
            }
            batch.release();
            queue.cv.notify_one();
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

}  // namespace

namespace {

// The names of complete record blocks, for their signatures: the parser collects them (the
// record list may grow under other threads' feet, its names never move) and helper threads sign.
struct SignJob {
    NameSignatures* signatures = nullptr;
    NameSignatures::NameBitsFn addNameBits = nullptr;
    size_t firstBlock = 0;
    std::vector<std::pair<const wchar_t*, uint16_t>> names;  // whole blocks

    void Run() const {
        constexpr size_t kRecords = NameSignatures::kBlockRecords;
        for (size_t b = 0; b < names.size() / kRecords; ++b) {
            uint64_t* bits = signatures->BeginSign(firstBlock + b);  // null: no memory, or signed
            if (!bits) continue;
            for (size_t k = b * kRecords; k < (b + 1) * kRecords; ++k)
                if (names[k].first && names[k].second) addNameBits(bits, names[k].first, names[k].second);
            signatures->EndSign(firstBlock + b);
        }
    }
};

}  // namespace

// Memory for one enumeration pass, made ready by helper threads ahead of the parser: name-pool
// chunks and record-node blocks whose pages are already touched. The first touch of fresh
// memory is the largest cost of a build (on some virtual machines about 10 us per 4 KiB page,
// more than the parsing itself); it is paid on several threads at once, while the parser runs.
// How far ahead the helpers work grows with what the parser has taken, so a small volume costs
// little more than the memory it uses. Unused memory is freed when the pass ends.
// The same helpers sign the blocks the parser completes, when no memory is wanted; the pass ends
// once every queued block is signed.
struct BuildSupply final : RecordNodePool::BlockSource {
    explicit BuildSupply(uint64_t chunkChars) : chunkChars_(chunkChars) {
        const unsigned cores = std::thread::hardware_concurrency();
        // All cores but the parser's and the enumerating thread's, at most six (more did not
        // touch pages faster).
        const unsigned helpers = cores > 3 ? std::min(cores - 2, 6u) : 1u;
        try {
            for (unsigned i = 0; i < helpers; ++i) threads_.emplace_back(&BuildSupply::HelperLoop, this);
        } catch (...) {
            // Fewer helpers (or none: then the parser allocates for itself).
        }
    }

    ~BuildSupply() {
        FinishSigning();
        stopping_ = true;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        helperCv_.notify_all();
        for (std::thread& t : threads_) t.join();
        for (void* b : blocks_) RecordNodePool::FreeBlock(b);
    }

    // A chunk of chunkChars zero characters for the name pool.
    std::vector<wchar_t> TakeNameChunk() {
        std::unique_lock<std::mutex> lock(mutex_);
        ++chunksTaken_;
        helperCv_.notify_one();
        takerCv_.wait(lock, [&] { return !chunks_.empty() || chunksInProgress_ == 0; });
        if (!chunks_.empty()) {
            std::vector<wchar_t> c = std::move(chunks_.back());
            chunks_.pop_back();
            helperCv_.notify_one();
            return c;
        }
        lock.unlock();
        return std::vector<wchar_t>(static_cast<size_t>(chunkChars_), L'\0');
    }

    // Parser thread: adds the names of the complete blocks [from, to) of `records` to the job it
    // collects, and queues the job for the helpers once it is large (a wake-up per small job
    // costs more than signing it). Blocks whose names cannot be kept stay for the search.
    void CollectForSigning(NameSignatures& signatures, const RecordList& records, size_t from, size_t to,
                           NameSignatures::NameBitsFn addNameBits) {
        constexpr size_t kRecords = NameSignatures::kBlockRecords;
        if (!collecting_.names.empty() &&
            (collecting_.signatures != &signatures || collecting_.addNameBits != addNameBits ||
             collecting_.firstBlock + collecting_.names.size() / kRecords != from))
            QueueCollected();
        if (collecting_.names.empty()) {
            collecting_.signatures = &signatures;
            collecting_.addNameBits = addNameBits;
            collecting_.firstBlock = from;
        }
        try {
            collecting_.names.reserve(kSignJobBlocks * kRecords);
            auto it = records.begin() + static_cast<std::ptrdiff_t>(from * kRecords);
            for (size_t i = from * kRecords; i < to * kRecords; ++i, ++it) collecting_.names.emplace_back(it->name, it->nameLength);
        } catch (...) {
            collecting_.names = {};  // out of memory: these blocks stay unsigned
            return;
        }
        if (collecting_.names.size() >= kSignJobBlocks * kRecords) QueueCollected();
    }

    void* TakeBlock() override {
        std::unique_lock<std::mutex> lock(mutex_);
        ++blocksTaken_;
        helperCv_.notify_one();
        takerCv_.wait(lock, [&] { return !blocks_.empty() || blocksInProgress_ == 0; });
        if (blocks_.empty()) return nullptr;  // the pool allocates one itself
        void* b = blocks_.back();
        blocks_.pop_back();
        helperCv_.notify_one();
        return b;
    }

private:
    static constexpr size_t kMaxChunksAhead = 8;   // 32 MiB of names
    static constexpr size_t kMaxBlocksAhead = 16;  // 16 MiB of records
    static constexpr size_t kFillStep = 0x10000;   // characters zero-filled at a time
    static constexpr size_t kSignJobBlocks = 256;  // 16,384 records

    size_t ChunkTarget() const { return std::min(kMaxChunksAhead, chunksTaken_ + 3); }
    size_t BlockTarget() const { return std::min(kMaxBlocksAhead, blocksTaken_ + 3); }
    bool MemoryWanted() const {  // mutex_ held
        return chunks_.size() + chunksInProgress_ < ChunkTarget() || blocks_.size() + blocksInProgress_ < BlockTarget();
    }

    // Runs the oldest sign job; mutex_ held on entry and on return (released meanwhile).
    void RunOneSignJob(std::unique_lock<std::mutex>& lock) {
        SignJob job = std::move(signJobs_.front());
        signJobs_.pop_front();
        ++signsInProgress_;
        lock.unlock();
        job.Run();
        job.names = {};
        lock.lock();
        --signsInProgress_;
        takerCv_.notify_all();
    }

    void QueueCollected() {
        if (collecting_.names.empty()) return;
        try {
            std::lock_guard<std::mutex> lock(mutex_);
            signJobs_.push_back(std::move(collecting_));
        } catch (...) {
            // Out of memory: these blocks stay unsigned.
        }
        collecting_ = SignJob{};
        helperCv_.notify_one();
    }

    // Signs what is still queued, on this thread too, and waits for the helpers' jobs.
    void FinishSigning() {
        QueueCollected();
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            if (!signJobs_.empty()) {
                RunOneSignJob(lock);
            } else if (signsInProgress_ > 0) {
                takerCv_.wait(lock);
            } else {
                return;
            }
        }
    }

    void HelperLoop() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            helperCv_.wait(lock, [&] { return stop_ || MemoryWanted() || !signJobs_.empty(); });
            if (stop_) return;
            if (!MemoryWanted()) {
                RunOneSignJob(lock);
                continue;
            }
            // The kind further below its target first.
            const double chunkFill = double(chunks_.size() + chunksInProgress_) / ChunkTarget();
            const double blockFill = double(blocks_.size() + blocksInProgress_) / BlockTarget();
            if (chunkFill <= blockFill) {
                ++chunksInProgress_;
                lock.unlock();
                // Zero-filled in steps, so that the end of the pass need not wait for a whole
                // chunk that nobody will take.
                std::vector<wchar_t> chunk;
                bool failed = false;
                try {
                    chunk.reserve(static_cast<size_t>(chunkChars_));
                    for (size_t filled = 0; filled < chunkChars_ && !stopping_;) {
                        filled = std::min<size_t>(filled + kFillStep, static_cast<size_t>(chunkChars_));
                        chunk.resize(filled, L'\0');
                    }
                } catch (...) {
                    failed = true;
                }
                lock.lock();
                --chunksInProgress_;
                if (failed) {  // out of memory: the parser allocates for itself
                    takerCv_.notify_all();
                    return;
                }
                if (chunk.size() == chunkChars_) chunks_.push_back(std::move(chunk));
            } else {
                ++blocksInProgress_;
                lock.unlock();
                void* block = RecordNodePool::NewBlock();
                if (block) {
                    volatile char* p = static_cast<char*>(block);
                    for (size_t i = 0; i < RecordNodePool::kBlockBytes && !stopping_; i += 4096) p[i] = 0;
                }
                lock.lock();
                --blocksInProgress_;
                if (!block) {
                    takerCv_.notify_all();
                    return;
                }
                blocks_.push_back(block);
            }
            takerCv_.notify_all();
        }
    }

    const uint64_t chunkChars_;
    std::mutex mutex_;
    std::condition_variable helperCv_;
    std::condition_variable takerCv_;
    std::vector<std::vector<wchar_t>> chunks_;
    std::vector<void*> blocks_;
    std::deque<SignJob> signJobs_;
    SignJob collecting_;  // the parser's
    size_t signsInProgress_ = 0;
    size_t chunksInProgress_ = 0;
    size_t blocksInProgress_ = 0;
    size_t chunksTaken_ = 0;
    size_t blocksTaken_ = 0;
    bool stop_ = false;
    std::atomic<bool> stopping_{false};  // read by the helpers while they fill
    std::vector<std::thread> threads_;
};

void UsnRecordWorkerThread(UsnBuildQueue* queue) {
    if (g_shuttingDown) return;
    VolumeIndex* volume = queue->volume;
    std::unique_ptr<BuildSupply> supply;
    try {
        supply = std::make_unique<BuildSupply>(volume->names.chunkChars);
    } catch (...) {
        // Without helpers the parser allocates for itself.
    }
    struct Attach {
        VolumeIndex* v;
        BuildSupply* s;
        Attach(VolumeIndex* volume, BuildSupply* supply) : v(volume), s(supply) {
            v->SetBuildSupply(s);
            v->RecordNodes().SetBlockSource(s);
        }
        ~Attach() {
            v->SetBuildSupply(nullptr);
            v->RecordNodes().SetBlockSource(nullptr);
        }
    } attach(volume, supply.get());
    for (;;) {
        UsnBatch* batch = nullptr;
        {
            std::unique_lock<std::mutex> lock(queue->mutex);
            queue->cv.wait(lock, [&] { return !queue->queue.empty() || queue->stop || g_shuttingDown; });
            if (g_shuttingDown) return;
            if (queue->queue.empty()) return;
            batch = queue->queue.front();
            queue->queue.pop_front();
        }
        try {
            queue->volume->AddUsnRecords(batch);
        } catch (...) {
            // Out of memory while parsing: the rest of this buffer is lost, the build goes on.
        }
        if (g_shuttingDown) return;
    }
}

void VolumeIndex::AddUsnRecords(UsnBatch* batch) {
    std::unique_ptr<UsnBatch> owned(batch);
    if (!batch) return;
    const uint32_t bytes = batch->bytesReturned > batch->data.size() ? static_cast<uint32_t>(batch->data.size())
                                                                       : batch->bytesReturned;
    BuildSupply* supply = buildSupply_;
    ForEachUsnEntry(
        batch->data.data(), bytes,
        [&](const UsnEntry& e) {
            FileRecord r;
            r.frn = e.frn;
            r.parentFrn = e.parentFrn;
            const uint64_t needed = 2 * static_cast<uint64_t>(e.nameLength) + 2;
            if (supply && names.NeedsChunk(needed) && needed <= names.chunkChars) names.AddChunk(supply->TakeNameChunk());
            r.name = names.Append(e.name, e.nameLength);
            r.nameLength = e.nameLength;
            r.isDirectory = (e.attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
            r.deleted = 0;
            records.push_back(r);
        },
        [] { return !g_shuttingDown.load(); });
    // The blocks this batch completed are signed by the supply's helpers (or here, without them).
    constexpr size_t kRecords = NameSignatures::kBlockRecords;
    const NameSignatures::NameBitsFn addNameBits = NameSignatures::NameBits();
    const size_t complete = records.size() / kRecords;
    if (!supply || !addNameBits || complete <= builtBlocksSigned_) {
        SignBuiltBlocks();
        return;
    }
    supply->CollectForSigning(nameSignatures, records, builtBlocksSigned_, complete, addNameBits);
    builtBlocksSigned_ = complete;
}

bool VolumeIndex::BuildNtfs(const std::wstring& rootArg) {
    std::lock_guard<std::mutex> buildGuard(buildMutex);
    ScopedFlag buildingFlag(building);
    // Readers look at root without a lock: a rebuild leaves an equal value alone. The
    // file-system name is replaced under its own lock.
    if (&rootArg != &root && root != rootArg) root = rootArg;
    fileSystem = L"NTFS";
    available = true;
    rootFrn = ReadRootFrn(root);
    const std::wstring volumePath = L"\\\\.\\" + root;

    CloseVolume();
    releasePending = false;
    journalLost = false;

    ExclusiveLock lock(&indexLock);
    HANDLE h = VolumeIoCreateFile(volumePath.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        h = VolumeIoCreateFile(volumePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_ATTRIBUTE_NORMAL, nullptr);
    {
        std::lock_guard<std::mutex> hg(handleMutex);
        volumeHandle = h;
    }
    if (h == INVALID_HANDLE_VALUE) {
        available = false;
        return false;
    }

    auto journalFailure = [&] {
        available = false;
        {
            std::lock_guard<std::mutex> hg(handleMutex);
            VolumeIoCloseHandle(volumeHandle);
            volumeHandle = INVALID_HANDLE_VALUE;
        }
        return false;
    };

    VolumeIoUsnJournalDataV0 journal{};
    if (!QueryJournal(h, journal)) {
        CreateJournal(h);
        if (!QueryJournal(h, journal)) return journalFailure();
    }
    usnJournalId = journal.UsnJournalID;
    nextUsn = journal.NextUsn;

    // Enumerate every record whatever its last USN: a file changed while the enumeration runs
    // is then neither missed (its USN passed the journal position read above) nor lost to the
    // monitor (which reads from that position on and applies its changes again).
    VolumeIoMftEnumDataV0 input{0, 0, kHighestUsn};
    {
        std::vector<uint8_t> probe(kProbeBufferBytes, 0);
        DWORD bytes = 0;
        if (!VolumeIoDeviceIoControl(h, FSCTL_ENUM_USN_DATA, &input, sizeof input, probe.data(), kProbeBufferBytes,
                                     &bytes, nullptr)) {
            const DWORD err = GetLastError();
            if (err != ERROR_HANDLE_EOF && err != ERROR_MORE_DATA) {
                VolumeIoDeleteUsnJournalData del{usnJournalId, USN_DELETE_FLAG_DELETE};
                VolumeIoDeviceIoControl(h, FSCTL_DELETE_USN_JOURNAL, &del, sizeof del, nullptr, 0, &bytes, nullptr);
                CreateJournal(h);
                if (!QueryJournal(h, journal)) return journalFailure();
                usnJournalId = journal.UsnJournalID;
                nextUsn = journal.NextUsn;
            }
        }
    }

    ResetContents();
    RunEnumerationPass(*this, input);
    // (An empty pass is not repeated: the pass above already asked for every USN.)

    // Available before the monitor starts: a monitor that fails at once clears it for good.
    available = true;
    if (!g_shuttingDown) {
        BuildReferenceMap();
        std::lock_guard<std::mutex> hg(handleMutex);
        if (!monitorRunning.exchange(true)) {
            try {
                monitorThread = std::thread(&VolumeIndex::RunUsnMonitor, this);
            } catch (...) {
                monitorRunning = false;
                throw;
            }
        }
    }
    lock.Release();
    return true;
}
