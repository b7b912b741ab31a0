#include "content/ZipReader.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kZip64LocatorSize = 20;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kMaxCommentLength = 65535;
// A central directory larger than this is not a document's: refuse it rather than hold it.
constexpr uint64_t kMaxDirectorySize = 64ull << 20;
constexpr size_t kReadChunk = 64 * 1024;

uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

bool ZipFileSource::ReadAt(uint64_t offset, void* buffer, size_t length) {
    if (offset > size_ || length > size_ - offset) return false;
    unsigned char* p = static_cast<unsigned char*>(buffer);
    while (length > 0) {
        OVERLAPPED ov{};
        ov.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
        ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD want = static_cast<DWORD>(std::min<size_t>(length, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file_, p, want, &got, &ov) || got == 0) return false;
        p += got;
        offset += got;
        length -= got;
    }
    return true;
}

bool ZipMemorySource::ReadAt(uint64_t offset, void* buffer, size_t length) {
    if (offset > size_ || length > size_ - offset) return false;
    if (length) memcpy(buffer, data_ + offset, length);
    return true;
}

bool ZipReader::Open(ZipSource& source) {
    source_ = &source;
    entries_.clear();
    const uint64_t size = source.Size();
    if (size < kEndRecordSize) return false;

    // The end record lies in the last 22 + 65535 bytes; the last one whose comment reaches
    // exactly to the end of the archive wins, else the last one found.
    const size_t tailLength = static_cast<size_t>(std::min<uint64_t>(size, kEndRecordSize + kMaxCommentLength));
    std::vector<unsigned char> tail(tailLength);
    const uint64_t tailOffset = size - tailLength;
    if (!source.ReadAt(tailOffset, tail.data(), tailLength)) return false;
    size_t found = SIZE_MAX, fallback = SIZE_MAX;
    for (size_t p = tailLength - kEndRecordSize + 1; p-- > 0;) {
        if (Le32(&tail[p]) != kEndSignature) continue;
        const size_t commentLength = Le16(&tail[p + 20]);
        if (p + kEndRecordSize + commentLength == tailLength) {
            found = p;
            break;
        }
        if (fallback == SIZE_MAX && p + kEndRecordSize + commentLength <= tailLength) fallback = p;
    }
    if (found == SIZE_MAX) found = fallback;
    if (found == SIZE_MAX) return false;
    const unsigned char* end = &tail[found];
    const uint64_t endOffset = tailOffset + found;
    const uint16_t diskNumber = Le16(end + 4), directoryDisk = Le16(end + 6);
    const uint16_t entriesOnDisk = Le16(end + 8), entryCount = Le16(end + 10);
    const uint32_t directorySize = Le32(end + 12), directoryOffset = Le32(end + 16);
    if (diskNumber != 0 || directoryDisk != 0 || entriesOnDisk != entryCount) return false;
    // zip64: the marker values, or a zip64 locator just before the end record.
    if (entryCount == 0xFFFF || directorySize == 0xFFFFFFFFu || directoryOffset == 0xFFFFFFFFu) return false;
    if (endOffset >= kZip64LocatorSize) {
        unsigned char locator[4];
        if (source.ReadAt(endOffset - kZip64LocatorSize, locator, 4) && Le32(locator) == kZip64LocatorSignature)
            return false;
    }
    if (directoryOffset > endOffset || directorySize > endOffset - directoryOffset) return false;
    if (directorySize > kMaxDirectorySize) return false;
    if (static_cast<uint64_t>(entryCount) * kCentralHeaderSize > directorySize) return false;
    directoryOffset_ = directoryOffset;

    std::vector<unsigned char> directory(directorySize);
    if (directorySize && !source.ReadAt(directoryOffset, directory.data(), directorySize)) return false;
    entries_.reserve(entryCount);
    size_t p = 0;
    for (uint32_t i = 0; i < entryCount; ++i) {
        if (directorySize - p < kCentralHeaderSize) return false;
        const unsigned char* h = &directory[p];
        if (Le32(h) != kCentralSignature) return false;
        const size_t nameLength = Le16(h + 28), extraLength = Le16(h + 30), commentLength = Le16(h + 32);
        const size_t recordLength = kCentralHeaderSize + nameLength + extraLength + commentLength;
        if (recordLength > directorySize - p) return false;
        ZipEntry e;
        const uint16_t versionMadeBy = Le16(h + 4);
        e.flags = Le16(h + 8);
        e.method = Le16(h + 10);
        e.crc32 = Le32(h + 16);
        const uint32_t compressed = Le32(h + 20), uncompressed = Le32(h + 24), local = Le32(h + 42);
        const uint16_t startDisk = Le16(h + 34);
        const uint32_t externalAttributes = Le32(h + 38);
        e.compressedSize = compressed;
        e.uncompressedSize = uncompressed;
        e.localHeaderOffset = local;
        e.name.assign(reinterpret_cast<const char*>(h + kCentralHeaderSize), nameLength);
        const bool dosHost = (versionMadeBy >> 8) == 0 || (versionMadeBy >> 8) == 11 || (versionMadeBy >> 8) == 14;
        e.isDirectory = (!e.name.empty() && (e.name.back() == '/' || e.name.back() == '\\')) ||
                        (dosHost && (externalAttributes & 0x10));
        // Bit 0: encrypted; bit 6: strong encryption; bit 13: masked local headers.
        e.isEncrypted = (e.flags & (1u << 0)) || (e.flags & (1u << 6)) || (e.flags & (1u << 13));
        const bool zip64Sizes = compressed == 0xFFFFFFFFu || uncompressed == 0xFFFFFFFFu || local == 0xFFFFFFFFu;
        const bool patched = (e.flags & (1u << 5)) != 0;
        e.isSupported = !e.isEncrypted && !zip64Sizes && !patched && startDisk == 0 &&
                        (e.method == 0 || e.method == 8) && local < directoryOffset &&
                        compressed <= directoryOffset - local;
        entries_.push_back(std::move(e));
        p += recordLength;
    }
    return true;
}

ZipExtractStatus ZipReader::Extract(size_t index, uint64_t maxSize, std::unique_ptr<char[]>& out) {
    out.reset();
    if (!source_ || index >= entries_.size()) return ZipExtractStatus::Unsupported;
    const ZipEntry& e = entries_[index];
    if (!e.isSupported || e.isDirectory) return ZipExtractStatus::Unsupported;
    if (e.uncompressedSize > maxSize || e.uncompressedSize >= SIZE_MAX) return ZipExtractStatus::TooLarge;
    if (e.method == 0 && e.compressedSize != e.uncompressedSize) return ZipExtractStatus::BadData;

    unsigned char local[kLocalHeaderSize];
    if (!source_->ReadAt(e.localHeaderOffset, local, sizeof local)) return ZipExtractStatus::ReadFailed;
    if (Le32(local) != kLocalSignature) return ZipExtractStatus::BadData;
    if (Le16(local + 6) & 1u) return ZipExtractStatus::Unsupported;  // encrypted after all
    const uint64_t dataOffset = e.localHeaderOffset + kLocalHeaderSize + Le16(local + 26) + Le16(local + 28);
    if (dataOffset > directoryOffset_ || e.compressedSize > directoryOffset_ - dataOffset)
        return ZipExtractStatus::BadData;

    const size_t size = static_cast<size_t>(e.uncompressedSize);
    out.reset(new (std::nothrow) char[size + 1]);
    if (!out) return ZipExtractStatus::NoMemory;
    out[size] = '\0';

    if (e.method == 0) {
        if (size && !source_->ReadAt(dataOffset, out.get(), size)) {
            out.reset();
            return ZipExtractStatus::ReadFailed;
        }
    } else {
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK) {
            out.reset();
            return ZipExtractStatus::NoMemory;
        }
        struct InflateEnd {
            z_stream* z;
            ~InflateEnd() { inflateEnd(z); }
        } ender{&z};
        std::unique_ptr<unsigned char[]> chunk(new (std::nothrow) unsigned char[kReadChunk]);
        if (!chunk) {
            out.reset();
            return ZipExtractStatus::NoMemory;
        }
        uint64_t remaining = e.compressedSize, offset = dataOffset;
        size_t produced = 0;
        bool ended = false;
        // One spare byte of room lets data beyond the declared size show up as an error.
        unsigned char spare = 0;
        while (!ended) {
            if (z.avail_in == 0) {
                if (remaining == 0) break;
                const size_t n = static_cast<size_t>(std::min<uint64_t>(remaining, kReadChunk));
                if (!source_->ReadAt(offset, chunk.get(), n)) {
                    out.reset();
                    return ZipExtractStatus::ReadFailed;
                }
                offset += n;
                remaining -= n;
                z.next_in = chunk.get();
                z.avail_in = static_cast<uInt>(n);
            }
            if (produced < size) {
                z.next_out = reinterpret_cast<Bytef*>(out.get() + produced);
                z.avail_out = static_cast<uInt>(std::min<size_t>(size - produced, UINT_MAX));
            } else {
                z.next_out = &spare;
                z.avail_out = 1;
            }
            const uInt before = z.avail_out;
            const int rc = inflate(&z, Z_NO_FLUSH);
            const size_t made = before - z.avail_out;
            if (produced >= size && made > 0) {
                out.reset();
                return ZipExtractStatus::BadData;  // more data than the directory says
            }
            produced += made;
            if (rc == Z_STREAM_END) {
                ended = true;
            } else if (rc == Z_BUF_ERROR) {
                if (z.avail_in == 0 && remaining == 0) break;
            } else if (rc != Z_OK) {
                out.reset();
                return rc == Z_MEM_ERROR ? ZipExtractStatus::NoMemory : ZipExtractStatus::BadData;
            }
        }
        if (!ended || produced != size) {
            out.reset();
            return ZipExtractStatus::BadData;
        }
    }
    uLong crc = crc32(0L, Z_NULL, 0);
    size_t done = 0;
    while (done < size) {
        const uInt n = static_cast<uInt>(std::min<size_t>(size - done, 1u << 30));
        crc = crc32(crc, reinterpret_cast<const Bytef*>(out.get() + done), n);
        done += n;
    }
    if (static_cast<uint32_t>(crc) != e.crc32) {
        out.reset();
        return ZipExtractStatus::BadCrc;
    }
    return ZipExtractStatus::Ok;
}
