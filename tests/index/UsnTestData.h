#pragma once
// Builds FSCTL_ENUM_USN_DATA / FSCTL_READ_USN_JOURNAL output buffers of USN_RECORD_V2 entries
// (also used by the index benchmark).
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace usntest {

struct Entry {
    uint64_t frn = 0;
    uint64_t parent = 5;
    std::wstring name;
    uint32_t reason = 0;
    uint32_t attributes = 0x20;
};

// Appends one USN_RECORD_V2 entry (record length rounded up to 8 bytes).
inline void AppendRecord(std::vector<uint8_t>& buf, const Entry& e) {
    const uint32_t nameBytes = static_cast<uint32_t>(e.name.size() * 2);
    const uint32_t length = (60 + nameBytes + 7) & ~7u;
    const size_t at = buf.size();
    buf.resize(at + length, 0);
    uint8_t* r = buf.data() + at;
    const uint16_t major = 2, nameLen = static_cast<uint16_t>(nameBytes), nameOff = 60;
    std::memcpy(r + 0, &length, 4);
    std::memcpy(r + 4, &major, 2);
    std::memcpy(r + 8, &e.frn, 8);
    std::memcpy(r + 16, &e.parent, 8);
    std::memcpy(r + 40, &e.reason, 4);
    std::memcpy(r + 52, &e.attributes, 4);
    std::memcpy(r + 56, &nameLen, 2);
    std::memcpy(r + 58, &nameOff, 2);
    std::memcpy(r + 60, e.name.data(), nameBytes);
}

// A buffer: the 8-byte next reference / next USN, then the entries.
inline std::vector<uint8_t> MakeBuffer(uint64_t next, const std::vector<Entry>& entries) {
    std::vector<uint8_t> buf(8);
    std::memcpy(buf.data(), &next, 8);
    for (const Entry& e : entries) AppendRecord(buf, e);
    return buf;
}

// Patches a 32-bit field of the entry that starts at `offset`.
inline void Patch32(std::vector<uint8_t>& buf, size_t offset, uint32_t value) { std::memcpy(buf.data() + offset, &value, 4); }
inline void Patch16(std::vector<uint8_t>& buf, size_t offset, uint16_t value) { std::memcpy(buf.data() + offset, &value, 2); }

}  // namespace usntest
