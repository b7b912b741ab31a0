#pragma once
// Walking the USN_RECORD_V2 entries of an FSCTL_ENUM_USN_DATA or FSCTL_READ_USN_JOURNAL buffer.
// Internal to the index.
#include <cstdint>
#include <cstring>

// The fixed part of USN_RECORD_V2 that the index reads (copied out of the buffer, so entries at
// any offset are read safely).
struct UsnEntry {
    uint64_t frn;
    uint64_t parentFrn;
    uint32_t reason;
    uint32_t attributes;
    const wchar_t* name;  // aligned copy or in place
    uint16_t nameLength;  // characters
};

constexpr uint32_t kUsnMinRecordLength = 64;

// Calls fn(const UsnEntry&) for each well-formed entry from offset 8 up to `bytes`. Stops at
// the first entry that is shorter than 64 bytes, runs past `bytes`, or whose name runs past
// the entry; stops early when keepGoing() returns false. Returns the number of entries seen.
template <typename Fn, typename KeepGoing>
uint64_t ForEachUsnEntry(const uint8_t* data, uint32_t bytes, Fn&& fn, KeepGoing&& keepGoing) {
    uint64_t count = 0;
    if (!data || bytes <= 8) return 0;
    wchar_t aligned[256];
    uint64_t offset = 8;
    while (offset < bytes) {
        if (!keepGoing()) break;
        if (bytes - offset < 4) break;
        uint32_t recordLength;
        std::memcpy(&recordLength, data + offset, 4);
        if (recordLength < kUsnMinRecordLength || recordLength > bytes - offset) break;
        const uint8_t* rec = data + offset;
        uint16_t nameBytes, nameOffset;
        std::memcpy(&nameBytes, rec + 56, 2);
        std::memcpy(&nameOffset, rec + 58, 2);
        if (static_cast<uint32_t>(nameOffset) + nameBytes > recordLength) break;
        UsnEntry e;
        std::memcpy(&e.frn, rec + 8, 8);
        std::memcpy(&e.parentFrn, rec + 16, 8);
        std::memcpy(&e.reason, rec + 40, 4);
        std::memcpy(&e.attributes, rec + 52, 4);
        e.nameLength = static_cast<uint16_t>(nameBytes / 2);
        const uint8_t* namePtr = rec + nameOffset;
        if ((reinterpret_cast<uintptr_t>(namePtr) & (alignof(wchar_t) - 1)) == 0) {
            e.name = reinterpret_cast<const wchar_t*>(namePtr);
        } else {
            // An odd offset: read the characters through a copy (names of a well-formed
            // entry are at most 255 characters; a longer one is cut to what the copy holds).
            if (e.nameLength > 255) e.nameLength = 255;
            std::memcpy(aligned, namePtr, e.nameLength * sizeof(wchar_t));
            e.name = aligned;
        }
        fn(e);
        ++count;
        offset += recordLength;
    }
    return count;
}
