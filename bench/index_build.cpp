// Index build from synthetic FSCTL_ENUM_USN_DATA output: USN_RECORD_V2 buffers of 64 KiB
// go through the build's queue and parser thread, then the reference map is built.
// Prints index_build_records_per_s_1m, index_build_records_per_s_10m and
// index_bytes_per_record_10m (records, names with their lower-case copies, reference map, and
// the name search's signatures, which the first search over the volume makes).
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "../tests/index/UsnTestData.h"
#include "index/Index.h"

namespace {

struct Rng {
    uint64_t s;
    uint32_t Next() {
        s = s * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(s >> 33);
    }
};

// The enumeration's output for `total` records, made before the clock starts: one 64 KiB
// batch per FSCTL_ENUM_USN_DATA call (8-byte next reference, then entries).
std::vector<UsnBatch*> Generate(uint64_t total) {
    std::vector<UsnBatch*> out;
    Rng rng{42};
    std::vector<uint64_t> folders = {5};
    usntest::Entry e;
    std::vector<uint8_t> buf;
    buf.reserve(0x10000);
    uint64_t made = 0;
    while (made < total) {
        buf.assign(8, 0);
        while (made < total) {
            const uint64_t number = 64 + made;
            e.frn = number | (static_cast<uint64_t>(1 + number % 7) << 48);
            e.parent = folders[rng.Next() % folders.size()];
            const bool dir = made % 16 == 0;
            e.attributes = dir ? 0x10 : 0x20;
            const uint32_t len = 10 + rng.Next() % 21;  // 10..30 characters, 20 on average
            e.name.clear();
            for (uint32_t i = 0; i < len; ++i) {
                const uint32_t r = rng.Next() % 40;
                e.name += r < 26 ? static_cast<wchar_t>(L'a' + r) : r < 36 ? static_cast<wchar_t>(L'A' + r - 26) : L'.';
            }
            const size_t need = (60 + e.name.size() * 2 + 7) & ~size_t(7);
            if (buf.size() + need > 0x10000) break;
            usntest::AppendRecord(buf, e);
            if (dir && folders.size() < 200000) folders.push_back(e.frn);
            ++made;
        }
        auto* batch = new UsnBatch;
        batch->data.resize(0x10000);
        std::memcpy(batch->data.data(), buf.data(), buf.size());
        batch->bytesReturned = static_cast<uint32_t>(buf.size());
        out.push_back(batch);
    }
    return out;
}

// Queues the batches the way the enumerating thread does.
void Produce(UsnBuildQueue& q, const std::vector<UsnBatch*>& batches) {
    for (UsnBatch* batch : batches) {
        {
            std::lock_guard<std::mutex> lock(q.mutex);
            q.queue.push_back(batch);
        }
        q.cv.notify_one();
    }
}

// Seconds per 4 KiB page for the first touch of freshly committed memory on this machine
// (measured, since some virtual machines make it very slow).
double FirstTouchSecondsPerPage() {
    const size_t bytes = size_t(256) << 20;
    const auto start = std::chrono::steady_clock::now();
    auto* p = static_cast<volatile uint8_t*>(VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    for (size_t i = 0; i < bytes; i += 4096) p[i] = 1;
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    VirtualFree(const_cast<uint8_t*>(p), 0, MEM_RELEASE);
    return secs / (bytes / 4096);
}

struct Result {
    double seconds;
    double recordsPerSecond;
    double structuralBytesPerRecord;
};

Result Run(uint64_t total) {
    std::vector<UsnBatch*> buffers = Generate(total);
    auto v = MakeVolumeIndex();
    v->root = L"B:";
    const auto start = std::chrono::steady_clock::now();
    AcquireSRWLockExclusive(&v->indexLock);
    {
        UsnBuildQueue q;
        q.volume = v.get();
        std::thread consumer(UsnRecordWorkerThread, &q);
        Produce(q, buffers);
        {
            std::lock_guard<std::mutex> lock(q.mutex);
            q.stop = true;
        }
        q.cv.notify_one();
        consumer.join();
    }
    v->BuildReferenceMap();
    ReleaseSRWLockExclusive(&v->indexLock);
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const uint64_t n = v->records.size();
    // Sign every complete block, as the first name search does.
    constexpr size_t kSig = NameSignatures::kBlockRecords;
    for (size_t b = 0; (b + 1) * kSig <= n; ++b) {
        uint64_t* bits = v->nameSignatures.BeginSign(b);
        if (!bits) continue;
        for (size_t r = b * kSig; r < (b + 1) * kSig; ++r) {
            const FileRecord& rec = v->records[r];
            NameSignatures::AddTextBits(bits, rec.name + rec.nameLength + 1, rec.nameLength);
        }
        v->nameSignatures.EndSign(b);
    }
    if (n != total) std::fprintf(stderr, "index_build: %llu of %llu records\n", (unsigned long long)n, (unsigned long long)total);
    // Records in deque nodes of 512 bytes (plus a heap header each and the node map), the name
    // chunks, the reference map and the signatures.
    const double perNode = 512.0 / sizeof(FileRecord);
    const double recordBytes = n * (sizeof(FileRecord) + (16.0 + 8.0) / static_cast<int>(perNode));
    const double structural = (recordBytes + v->names.MemoryBytes() + v->frnToRecord.MemoryBytes() +
                               v->nameSignatures.MemoryBytes()) / n;
    return {secs, n / secs, structural};
}

}  // namespace

int main() {
    const Result one = Run(1000000);
    std::printf("index_build_records_per_s_1m=%.0f\n", one.recordsPerSecond);
    const Result ten = Run(10000000);
    std::printf("index_build_records_per_s_10m=%.0f\n", ten.recordsPerSecond);
    std::printf("index_bytes_per_record_10m=%.1f\n", ten.structuralBytesPerRecord);
    // The same build with the time this machine spends on first touches of the index's own
    // memory taken out (an estimate from the measured cost per page).
    const double perPage = FirstTouchSecondsPerPage();
    const double faultSecs = ten.structuralBytesPerRecord * 10000000.0 / 4096.0 * perPage;
    std::printf("index_first_touch_us_per_page=%.2f\n", perPage * 1e6);
    if (ten.seconds > faultSecs)
        std::printf("index_build_records_per_s_10m_without_first_touch=%.0f\n", 10000000.0 / (ten.seconds - faultSecs));
    return 0;
}
