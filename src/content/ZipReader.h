#pragma once
// A small reader of ZIP containers (the archives of Office and OpenDocument files): the central
// directory, local headers, stored and deflated entries with their CRC-32 checked. Every size and
// offset read from the archive is bounded by the archive's size before it is used; multi-disk and
// zip64 archives are refused, entries it cannot read are reported as unsupported.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Where the archive's bytes come from.
class ZipSource {
public:
    virtual ~ZipSource() = default;
    virtual uint64_t Size() const = 0;
    // Reads exactly `length` bytes at `offset`; false on any shortfall.
    virtual bool ReadAt(uint64_t offset, void* buffer, size_t length) = 0;
};

// An open file handle (not owned).
class ZipFileSource : public ZipSource {
public:
    ZipFileSource(HANDLE file, uint64_t size) : file_(file), size_(size) {}
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, void* buffer, size_t length) override;

private:
    HANDLE file_;
    uint64_t size_;
};

// Bytes in memory (not owned).
class ZipMemorySource : public ZipSource {
public:
    ZipMemorySource(const void* data, size_t size) : data_(static_cast<const unsigned char*>(data)), size_(size) {}
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, void* buffer, size_t length) override;

private:
    const unsigned char* data_;
    size_t size_;
};

struct ZipEntry {
    std::string name;            // as stored (bytes), not terminated
    uint64_t compressedSize = 0;
    uint64_t uncompressedSize = 0;
    uint64_t localHeaderOffset = 0;
    uint32_t crc32 = 0;
    uint16_t method = 0;
    uint16_t flags = 0;
    bool isDirectory = false;
    bool isEncrypted = false;
    bool isSupported = false;    // stored or deflated, not encrypted, sizes within 32 bits
};

enum class ZipExtractStatus { Ok, Unsupported, TooLarge, NoMemory, ReadFailed, BadData, BadCrc };

class ZipReader {
public:
    // Reads the end record and the central directory. False when the source is no ZIP archive this
    // reader accepts (damaged, truncated, multi-disk, zip64).
    [[nodiscard]] bool Open(ZipSource& source);
    size_t EntryCount() const { return entries_.size(); }
    const ZipEntry& Entry(size_t index) const { return entries_[index]; }
    // Inflates one entry into `out` (uncompressed size + 1 bytes, the last one 0) and checks its
    // CRC-32. Entries larger than `maxSize` are refused before anything is allocated.
    ZipExtractStatus Extract(size_t index, uint64_t maxSize, std::unique_ptr<char[]>& out);

private:
    ZipSource* source_ = nullptr;
    uint64_t directoryOffset_ = 0;  // entry data must lie before the central directory
    std::vector<ZipEntry> entries_;
};
