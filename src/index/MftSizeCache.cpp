// Per-drive cache files of file-size maps: mftsizes\X.v1.bin in the configuration folder.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <io.h>

#include "core/Core.h"
#include "index/FileSizes.h"

namespace {

constexpr char kMagic[8] = {'M', 'F', 'T', 'S', 'Z', '0', '1', '\0'};
constexpr uint32_t kVersion = 1;
constexpr uint64_t kHeaderBytes = 48;
constexpr uint64_t kEntryBytes = 24;
constexpr size_t kMaxReserve = 16777216;

template <typename T>
bool ReadField(FILE* f, T& value) {
    return fread(&value, sizeof(T), 1, f) == 1;
}

template <typename T>
void Put(std::vector<uint8_t>& b, const T& v) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&v);
    b.insert(b.end(), p, p + sizeof(T));
}

}  // namespace

std::wstring GetMftSizeCachePath(wchar_t letter) {
    std::wstring dir = GetConfigDir() + L"\\mftsizes";
    CreateDirectoryW(dir.c_str(), nullptr);
    wchar_t up = static_cast<wchar_t>(towupper(letter));
    if (up < L'A' || up > L'Z') up = L'C';
    return dir + L"\\" + up + L".v1.bin";
}

bool LoadMftSizeCache(const std::wstring& path, uint32_t expectedSerial, MftSizeMap& out,
                      MftSizeCacheHeader& header) {
    out.clear();
    header = MftSizeCacheHeader{};
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return false;
    char magic[8];
    uint32_t version = 0;
    uint32_t reserved = 0;
    uint64_t count = 0;
    MftSizeCacheHeader h;
    bool ok = fread(magic, 1, 8, f) == 8 && std::memcmp(magic, kMagic, 8) == 0 && ReadField(f, version) &&
              version == kVersion && ReadField(f, h.volumeSerial) && ReadField(f, h.usnJournalId) &&
              ReadField(f, h.usn) && ReadField(f, h.bytesPerFileRecord) && ReadField(f, reserved) &&
              ReadField(f, count);
    if (!ok || h.volumeSerial != expectedSerial || count > kMftSizeCacheMaxEntries) {
        fclose(f);
        return false;
    }
    // The entries must be in the file before any room is reserved for them: a damaged count
    // never makes the reader allocate for entries that are not there.
    int64_t fileSize = -1;
    if (_fseeki64(f, 0, SEEK_END) == 0) fileSize = _ftelli64(f);
    if (fileSize < 0 || _fseeki64(f, static_cast<int64_t>(kHeaderBytes), SEEK_SET) != 0 ||
        static_cast<uint64_t>(fileSize) < kHeaderBytes + count * kEntryBytes) {
        fclose(f);
        return false;
    }
    out.reserve(static_cast<size_t>(count < kMaxReserve ? count : kMaxReserve));
    std::vector<uint8_t> block;
    const uint64_t blockEntries = 8192;
    for (uint64_t done = 0; done < count;) {
        const uint64_t n = std::min(blockEntries, count - done);
        block.resize(static_cast<size_t>(n * kEntryBytes));
        if (fread(block.data(), 1, block.size(), f) != block.size()) {
            out.clear();
            fclose(f);
            return false;
        }
        for (uint64_t i = 0; i < n; ++i) {
            const uint8_t* p = block.data() + i * kEntryBytes;
            uint64_t frn;
            SizePair sp;
            std::memcpy(&frn, p, 8);
            std::memcpy(&sp.size, p + 8, 8);
            std::memcpy(&sp.allocated, p + 16, 8);
            if (sp.size < 1 && sp.allocated < 1) continue;
            out.emplace(frn, sp);  // a key already present keeps its first value
        }
        done += n;
    }
    fclose(f);
    header = h;
    return true;
}

bool SaveMftSizeCache(const std::wstring& path, const MftSizeCacheHeader& header, const MftSizeMap& map) {
    const std::wstring tmp = path + L".tmp";
    FILE* f = _wfopen(tmp.c_str(), L"wb");
    if (!f) return false;
    std::vector<uint8_t> buf;
    buf.reserve(1 << 20);
    bool ok = true;
    auto flushBuf = [&]() {
        if (ok && !buf.empty() && fwrite(buf.data(), 1, buf.size(), f) != buf.size()) ok = false;
        buf.clear();
    };
    buf.insert(buf.end(), kMagic, kMagic + 8);
    Put(buf, kVersion);
    Put(buf, header.volumeSerial);
    Put(buf, header.usnJournalId);
    Put(buf, header.usn);
    Put(buf, header.bytesPerFileRecord);
    Put(buf, uint32_t{0});
    Put(buf, static_cast<uint64_t>(map.size()));
    for (const auto& [frn, sp] : map) {
        Put(buf, frn);
        Put(buf, sp.size);
        Put(buf, sp.allocated);
        if (buf.size() >= (1u << 20)) flushBuf();
    }
    flushBuf();
    if (ok) ok = fflush(f) == 0 && _commit(_fileno(f)) == 0;
    fclose(f);
    if (!ok || !MoveFileExW(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(tmp.c_str());
        return false;
    }
    return true;
}
