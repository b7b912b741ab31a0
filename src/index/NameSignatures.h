#pragma once
// Name signatures: a skip structure for the name search. For every block of kBlockRecords
// consecutive records it keeps a small bit set of the character pairs (hashed) of the texts the search matches the records' names by (the search decides which texts; see
// AddTextBits). When a search term's bits are not all in a block's set, no name of the block
// contains the term and the search passes the block by.
//
// Rules:
// - A block has a signature only once it is complete (kBlockRecords records) and some search has
//   signed it; a block without a signature is simply scanned. Records are only appended, so a
//   complete block stays complete until the records are cleared.
// - A build signs each block as soon as its parser completes it (see SetNameBits), so that the
//   first search after a build passes blocks by too. Searches sign the blocks left unsigned
//   after publishing their results, holding the volume's indexLock shared: several searches may
//   sign at once (a block goes to whoever claims it first).
// - Writers hold indexLock exclusively: a record's new name drops its block's signature (the
//   next search signs the block again), and clearing the records drops them all.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

class NameSignatures {
public:
    static constexpr size_t kBlockRecords = 64;
    static constexpr size_t kBlockWords = 16;  // 1024 bits: 2 bytes per record

    NameSignatures();
    ~NameSignatures();
    NameSignatures(const NameSignatures&) = delete;
    NameSignatures& operator=(const NameSignatures&) = delete;

    // Adds the bits of a text to a set: one for every pair of neighbouring characters (none for a
    // one-character text). A text that holds another text as a substring has all of its bits.
    // Returns the bitwise OR of the text's characters (below 0x80: the text is plain ASCII).
    static uint32_t AddTextBits(uint64_t* bits, const wchar_t* text, size_t length);

    // Adds the bits of one record's name (`name` is followed by NUL and its lower-case copy, as
    // in the name pool): those of every text the name search matches a name by.
    using NameBitsFn = void (*)(uint64_t* bits, const wchar_t* name, uint16_t length);
    // Set by the name search, which owns those texts. While none is set, builds leave their
    // blocks for the search to sign.
    static void SetNameBits(NameBitsFn fn);
    static NameBitsFn NameBits();

    // --- Searches (indexLock held shared) ----------------------------------------------------
    // The signature of a block, or nullptr when it has none.
    const uint64_t* Find(size_t block) const;
    // Claims a block for signing: its zeroed bit set, or nullptr when the block is being signed
    // or already signed, or no memory could be had. Add the bits of every record of the block,
    // then call EndSign (done) or AbandonSign (the scan stopped part way).
    uint64_t* BeginSign(size_t block);
    void EndSign(size_t block);
    void AbandonSign(size_t block);

    // --- Writers (indexLock held exclusively) ------------------------------------------------
    // A record got a new name: its block loses its signature.
    void Invalidate(size_t recordIndex);
    // Drops every signature (the records are being cleared).
    void Clear();

    // Number of blocks with a signature.
    size_t SignedBlocks() const { return signed_.load(std::memory_order_acquire); }

    // Bytes held (directory and segments).
    uint64_t MemoryBytes() const;

private:
    static constexpr size_t kSegmentBlocks = 4096;  // 262,144 records per segment
    static constexpr size_t kDirectorySize = (size_t(1) << 32) / (kBlockRecords * kSegmentBlocks);
    struct Segment;
    Segment* SegmentOf(size_t block) const;
    Segment* SegmentFor(size_t block);  // allocates the segment on first use; nullptr on failure

    std::atomic<std::atomic<Segment*>*> directory_{nullptr};
    std::atomic<uint64_t> segments_{0};
    std::atomic<size_t> signed_{0};
};
