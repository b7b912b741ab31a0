// Index build from synthetic FSCTL_ENUM_USN_DATA output: USN_RECORD_V2 buffers of 64 KiB
// go through the build's queue and parser thread, then the reference map is built.
// Prints index_build_records_per_s_1m, index_build_records_per_s_10m and
// index_bytes_per_record_10m (records, names with their lower-case copies, reference map, and
// the name search's signatures, which the build makes), then
// index_first_touch_us_per_page and index_first_touch_us_per_page_4_threads (this machine's cost
// of touching fresh memory for the first time, one thread and four at once) and
// index_build_records_per_s_10m_warm (see the provisioned region below).
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <thread>

#include "../tests/index/UsnTestData.h"
#include "UsnBatches.h"
#include "index/Index.h"
#include "search/NameSearch.h"

// ---- Memory already provisioned, for the _warm figure --------------------------------------
// While g_arenaOn is set, every operator new of this program (the index's name chunks, record
// blocks, reference map, the list's maps, the build's threads) is served from one region whose
// pages were all touched before the clock started; deletes inside the region are ignored. The
// warm build thus runs exactly the code of the cold one, but memory costs it no first touch: it
// shows the build's own speed on a machine where fresh pages are cheap, while the cold figures
// show this machine, where a first touch costs index_first_touch_us_per_page.
namespace {
char* g_arena = nullptr;
size_t g_arenaBytes = 0;
std::atomic<size_t> g_arenaUsed{0};
std::atomic<bool> g_arenaOn{false};

void* Allocate(size_t n) noexcept {
    if (g_arenaOn.load(std::memory_order_relaxed)) {
        const size_t need = (std::max<size_t>(n, 1) + 15) & ~size_t(15);
        const size_t at = g_arenaUsed.fetch_add(need);
        if (at + need <= g_arenaBytes) return g_arena + at;
    }
    return std::malloc(n ? n : 1);
}

void Release(void* p) noexcept {
    if (!p) return;
    if (g_arena && static_cast<char*>(p) >= g_arena && static_cast<char*>(p) < g_arena + g_arenaBytes) return;
    std::free(p);
}

// Commits `bytes` and touches every page on four threads.
void ProvisionArena(size_t bytes) {
    g_arena = static_cast<char*>(VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!g_arena) return;
    g_arenaBytes = bytes;
    g_arenaUsed = 0;
    std::vector<std::thread> touch;
    for (size_t t = 0; t < 4; ++t)
        touch.emplace_back([t, bytes] {
            for (size_t i = bytes / 4 * t; i < bytes / 4 * (t + 1); i += 4096) g_arena[i] = 0;
        });
    for (std::thread& t : touch) t.join();
}
}  // namespace

void* operator new(size_t n) {
    if (void* p = Allocate(n)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t n) {
    if (void* p = Allocate(n)) return p;
    throw std::bad_alloc();
}
void* operator new(size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }

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
        out.push_back(MakeUsnBatch(buf));
    }
    return out;
}

// Seconds per 4 KiB page for the first touch of freshly committed memory on this machine
// (measured, since some virtual machines make it very slow), wall time with `threads` threads
// touching their parts of one region.
double FirstTouchSecondsPerPage(size_t threads) {
    const size_t bytes = size_t(256) << 20;
    const auto start = std::chrono::steady_clock::now();
    auto* p = static_cast<volatile uint8_t*>(VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    std::vector<std::thread> touch;
    for (size_t t = 0; t < threads; ++t)
        touch.emplace_back([=] {
            for (size_t i = bytes / threads * t; i < bytes / threads * (t + 1); i += 4096) p[i] = 1;
        });
    for (std::thread& t : touch) t.join();
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    VirtualFree(const_cast<uint8_t*>(p), 0, MEM_RELEASE);
    return secs / (bytes / 4096);
}

struct Result {
    double seconds;
    double recordsPerSecond;
    double structuralBytesPerRecord;
};

Result Run(uint64_t total, bool warm = false) {
    std::vector<UsnBatch*> buffers = Generate(total);
    if (warm) g_arenaOn = true;
    auto v = MakeVolumeIndex();
    v->root = L"B:";
    const auto start = std::chrono::steady_clock::now();
    BuildFromBatches(*v, buffers);
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    g_arenaOn = false;
    const uint64_t n = v->records.size();
    if (n != total) std::fprintf(stderr, "index_build: %llu of %llu records\n", (unsigned long long)n, (unsigned long long)total);
    // Records (node blocks and the list's map), the name chunks, the reference map and the
    // signatures.
    const double structural = double(v->RecordMemoryBytes() + v->names.MemoryBytes() + v->frnToRecord.MemoryBytes() +
                                     v->nameSignatures.MemoryBytes()) /
                              double(n);
    return {secs, n / secs, structural};
}

}  // namespace

int main() {
    NameSignatures::SetNameBits(AddNameSignatureBits);  // as in every program that searches
    const Result one = Run(1000000);
    std::printf("index_build_records_per_s_1m=%.0f\n", one.recordsPerSecond);
    const Result ten = Run(10000000);
    std::printf("index_build_records_per_s_10m=%.0f\n", ten.recordsPerSecond);
    std::printf("index_bytes_per_record_10m=%.1f\n", ten.structuralBytesPerRecord);
    std::printf("index_first_touch_us_per_page=%.2f\n", FirstTouchSecondsPerPage(1) * 1e6);
    std::printf("index_first_touch_us_per_page_4_threads=%.2f\n", FirstTouchSecondsPerPage(4) * 1e6);
    // Room for the index, the memory the build's helpers make ready beyond it, the maps, and the
    // names handed to the signing helpers (16 bytes a record; freed memory is not reused here).
    ProvisionArena(static_cast<size_t>(ten.structuralBytesPerRecord * 10000000.0 * 1.1) + (size_t(512) << 20));
    if (g_arena) {
        const Result warm = Run(10000000, true);
        if (g_arenaUsed <= g_arenaBytes)
            std::printf("index_build_records_per_s_10m_warm=%.0f\n", warm.recordsPerSecond);
        else
            std::fprintf(stderr, "index_build: the provisioned region was too small\n");
    }
    return 0;
}
