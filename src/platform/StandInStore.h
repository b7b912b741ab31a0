#pragma once
// Compact storage of the layer's model of a drive (StandInJournal.cpp): a million entries must
// cost little more than their names. Internal to src/platform.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

namespace volumeio {

// Names in large chunks that never move; an entry refers to its name by offset and length.
// Names are never freed one by one: a rename adds the new name and counts the old one as dead,
// and the owner compacts the store (Compact) once dead names outweigh live ones.
class NameStore {
public:
    static constexpr uint32_t kChunkChars = 1u << 20;
    static constexpr uint32_t kMaxChunks = 4095;   // offsets stay below 2^32

    // Stores a name of 1..255 characters; returns its offset.
    uint32_t Add(std::wstring_view name) {
        if (name.size() > 255) throw std::length_error("name too long");
        const uint32_t n = static_cast<uint32_t>(name.size());
        if (used_ + n > kChunkChars) {
            if (chunks_.size() >= kMaxChunks) throw std::length_error("name store full");
            chunks_.push_back(std::make_unique<wchar_t[]>(kChunkChars));
            used_ = 0;
        }
        const uint32_t at = static_cast<uint32_t>((chunks_.size() - 1) * kChunkChars + used_);
        std::memcpy(chunks_.back().get() + used_, name.data(), n * sizeof(wchar_t));
        used_ += n;
        live_ += n;
        return at;
    }
    std::wstring_view Get(uint32_t at, uint32_t length) const {
        if (length == 0) return {};
        return {chunks_[at / kChunkChars].get() + at % kChunkChars, length};
    }
    void Release(uint32_t length) {
        live_ -= std::min<uint64_t>(live_, length);
        dead_ += length;
    }
    bool WantsCompaction() const { return dead_ > (1u << 16) && dead_ > live_; }
    void Clear() {
        chunks_.clear();
        used_ = kChunkChars;
        live_ = dead_ = 0;
    }
    void Swap(NameStore& other) noexcept {
        chunks_.swap(other.chunks_);
        std::swap(used_, other.used_);
        std::swap(live_, other.live_);
        std::swap(dead_, other.dead_);
    }

private:
    std::vector<std::unique_ptr<wchar_t[]>> chunks_;
    uint32_t used_ = kChunkChars;   // characters used in the last chunk
    uint64_t live_ = 0, dead_ = 0;
};

// An array in fixed chunks: growing it never moves or copies its elements.
template <class T, unsigned kChunkBits = 16>
class ChunkedArray {
public:
    static constexpr size_t kChunk = size_t(1) << kChunkBits;
    T& operator[](size_t i) { return chunks_[i >> kChunkBits][i & (kChunk - 1)]; }
    const T& operator[](size_t i) const { return chunks_[i >> kChunkBits][i & (kChunk - 1)]; }
    size_t size() const { return size_; }
    T& emplace_back() {
        if (size_ == chunks_.size() * kChunk) chunks_.push_back(std::make_unique<T[]>(kChunk));
        T& t = (*this)[size_++];
        t = T{};
        return t;
    }
    void grow_to(size_t n) {
        while (size_ < n) emplace_back();
    }
    void clear() {
        chunks_.clear();
        size_ = 0;
    }

private:
    std::vector<std::unique_ptr<T[]>> chunks_;
    size_t size_ = 0;
};

// Record numbers by a 64-bit key that the records themselves hold (open addressing with linear
// probing; 0 marks an empty bucket, so record number 0 cannot be entered). `keyOf(number)` gives
// the key of an entered record.
class RecordIndex {
public:
    template <class KeyOf>
    uint32_t Find(uint64_t key, KeyOf keyOf) const {
        if (buckets_.empty()) return 0;
        for (size_t i = Home(key);; i = (i + 1) & mask_) {
            const uint32_t n = buckets_[i];
            if (n == 0) return 0;
            if (keyOf(n) == key) return n;
        }
    }
    // Enters `number` under `key` (a record already entered under the key is replaced).
    template <class KeyOf>
    void Insert(uint64_t key, uint32_t number, KeyOf keyOf) {
        if (number == 0) return;
        if ((count_ + 1) * 10 > buckets_.size() * 7) Grow(keyOf);
        for (size_t i = Home(key);; i = (i + 1) & mask_) {
            uint32_t& b = buckets_[i];
            if (b == 0) {
                b = number;
                ++count_;
                return;
            }
            if (b == number || keyOf(b) == key) {
                b = number;
                return;
            }
        }
    }
    // Removes `number` when it is the record entered under `key`. Call it before the record's
    // key changes.
    template <class KeyOf>
    void Erase(uint64_t key, uint32_t number, KeyOf keyOf) {
        if (buckets_.empty()) return;
        size_t i = Home(key);
        for (;; i = (i + 1) & mask_) {
            if (buckets_[i] == 0) return;
            if (buckets_[i] == number) break;
        }
        // Backward shift: later members of the probe run move up into the hole.
        size_t hole = i;
        for (size_t j = (i + 1) & mask_; buckets_[j] != 0; j = (j + 1) & mask_) {
            const size_t home = Home(keyOf(buckets_[j]));
            if (((j - home) & mask_) >= ((j - hole) & mask_)) {
                buckets_[hole] = buckets_[j];
                hole = j;
            }
        }
        buckets_[hole] = 0;
        --count_;
    }
    void Clear() {
        buckets_.clear();
        buckets_.shrink_to_fit();
        mask_ = 0;
        count_ = 0;
    }

private:
    size_t Home(uint64_t key) const {
        key ^= key >> 31;
        key *= 0x9E3779B97F4A7C15ull;
        key ^= key >> 29;
        return static_cast<size_t>(key) & mask_;
    }
    template <class KeyOf>
    void Grow(KeyOf keyOf) {
        std::vector<uint32_t> old;
        old.swap(buckets_);
        buckets_.assign(old.empty() ? 1024 : old.size() * 2, 0);
        mask_ = buckets_.size() - 1;
        count_ = 0;
        for (uint32_t n : old)
            if (n) Insert(keyOf(n), n, keyOf);
    }

    std::vector<uint32_t> buckets_;
    size_t mask_ = 0;
    size_t count_ = 0;
};

}  // namespace volumeio
