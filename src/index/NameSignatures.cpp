#include "index/NameSignatures.h"

#include <cstring>
#include <new>

namespace {

// Bit of a pair of characters in a block's set (0..1023).
inline unsigned BitOf(uint32_t a, uint32_t b) { return (((a << 16) | b) * 0x9E3779B1u) >> 22; }

inline void SetBit(uint64_t* bits, unsigned bit) { bits[bit >> 6] |= uint64_t(1) << (bit & 63); }

}  // namespace

struct NameSignatures::Segment {
    std::atomic<uint8_t> state[kSegmentBlocks];  // 0 none, 1 being signed, 2 signed
    uint64_t bits[kSegmentBlocks][kBlockWords];  // valid while state is 2 (or 1 for the signer)
};

namespace {
constexpr uint8_t kUnsigned = 0, kSigning = 1, kSigned = 2;
std::atomic<NameSignatures::NameBitsFn> g_nameBits{nullptr};
}  // namespace

void NameSignatures::SetNameBits(NameBitsFn fn) { g_nameBits.store(fn, std::memory_order_release); }

NameSignatures::NameBitsFn NameSignatures::NameBits() { return g_nameBits.load(std::memory_order_acquire); }

NameSignatures::NameSignatures() = default;

NameSignatures::~NameSignatures() {
    Clear();
    delete[] directory_.load();
}

uint32_t NameSignatures::AddTextBits(uint64_t* bits, const wchar_t* text, size_t length) {
    if (!text || length == 0) return 0;
    uint32_t prev = static_cast<uint16_t>(text[0]);
    uint32_t all = prev;
    for (size_t i = 1; i < length; ++i) {
        const uint32_t c = static_cast<uint16_t>(text[i]);
        all |= c;
        SetBit(bits, BitOf(prev, c));
        prev = c;
    }
    return all;
}

NameSignatures::Segment* NameSignatures::SegmentOf(size_t block) const {
    const size_t s = block / kSegmentBlocks;
    if (s >= kDirectorySize) return nullptr;
    std::atomic<Segment*>* dir = directory_.load(std::memory_order_acquire);
    return dir ? dir[s].load(std::memory_order_acquire) : nullptr;
}

NameSignatures::Segment* NameSignatures::SegmentFor(size_t block) {
    const size_t s = block / kSegmentBlocks;
    if (s >= kDirectorySize) return nullptr;
    std::atomic<Segment*>* dir = directory_.load(std::memory_order_acquire);
    if (!dir) {
        auto* fresh = new (std::nothrow) std::atomic<Segment*>[kDirectorySize]();
        if (!fresh) return nullptr;
        if (directory_.compare_exchange_strong(dir, fresh, std::memory_order_acq_rel)) {
            dir = fresh;
        } else {
            delete[] fresh;  // another signer was first; `dir` holds its directory
        }
    }
    Segment* seg = dir[s].load(std::memory_order_acquire);
    if (!seg) {
        // The state bytes start at zero; the bit sets are zeroed when a block is claimed.
        auto* fresh = new (std::nothrow) Segment;
        if (!fresh) return nullptr;
        if (dir[s].compare_exchange_strong(seg, fresh, std::memory_order_acq_rel)) {
            seg = fresh;
            segments_.fetch_add(1, std::memory_order_relaxed);
        } else {
            delete fresh;
        }
    }
    return seg;
}

const uint64_t* NameSignatures::Find(size_t block) const {
    Segment* seg = SegmentOf(block);
    if (!seg) return nullptr;
    const size_t i = block % kSegmentBlocks;
    return seg->state[i].load(std::memory_order_acquire) == kSigned ? seg->bits[i] : nullptr;
}

uint64_t* NameSignatures::BeginSign(size_t block) {
    Segment* seg = SegmentFor(block);
    if (!seg) return nullptr;
    const size_t i = block % kSegmentBlocks;
    uint8_t expected = kUnsigned;
    if (!seg->state[i].compare_exchange_strong(expected, kSigning, std::memory_order_acq_rel)) return nullptr;
    std::memset(seg->bits[i], 0, sizeof seg->bits[i]);
    return seg->bits[i];
}

void NameSignatures::EndSign(size_t block) {
    Segment* seg = SegmentOf(block);
    if (!seg) return;
    seg->state[block % kSegmentBlocks].store(kSigned, std::memory_order_release);
    signed_.fetch_add(1, std::memory_order_acq_rel);
}

void NameSignatures::AbandonSign(size_t block) {
    if (Segment* seg = SegmentOf(block)) seg->state[block % kSegmentBlocks].store(kUnsigned, std::memory_order_release);
}

void NameSignatures::Invalidate(size_t recordIndex) {
    const size_t block = recordIndex / kBlockRecords;
    Segment* seg = SegmentOf(block);
    if (seg && seg->state[block % kSegmentBlocks].exchange(kUnsigned, std::memory_order_acq_rel) == kSigned)
        signed_.fetch_sub(1, std::memory_order_acq_rel);
}

void NameSignatures::Clear() {
    std::atomic<Segment*>* dir = directory_.load();
    if (!dir) return;
    for (size_t s = 0; s < kDirectorySize; ++s) delete dir[s].exchange(nullptr);
    segments_ = 0;
    signed_ = 0;
}

uint64_t NameSignatures::MemoryBytes() const {
    const uint64_t dir = directory_.load() ? kDirectorySize * sizeof(std::atomic<Segment*>) : 0;
    return dir + segments_.load() * sizeof(Segment);
}
