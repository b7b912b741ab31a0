#pragma once
// Small helpers of the duplicate finder's tests: files of known content and host oracles.
#include <windows.h>

#include <cstdint>
#include <string>

#include "support/fixture.h"

namespace duptest {

// Deterministic bytes: the same seed gives the same content.
inline std::string Bytes(size_t n, uint32_t seed) {
    std::string s(n, '\0');
    uint32_t x = seed * 2654435761u + 12345u;
    for (size_t i = 0; i < n; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        s[i] = (char)(x & 0xFF);
    }
    return s;
}

inline void MakeDirs(const std::wstring& path) {
    for (size_t i = 3; i < path.size(); ++i) {
        if (path[i] == L'\\') CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
    }
}

inline bool Put(const std::wstring& path, const std::string& bytes) {
    MakeDirs(path);
    return testfx::WriteFileBytes(path, bytes);
}

inline std::string Narrow(const std::wstring& w) {
    std::string s;
    for (wchar_t c : w) s += (char)c;
    return s;
}

// sha256sum of a fixture-drive file computed on the host, "" when host commands cannot run.
inline std::string HostSha256(const std::wstring& file, const std::string& hostFile) {
    if (testfx::RunHostCommand("sha256sum '" + hostFile + "' | cut -c1-64 > '" + hostFile + ".sum'") != 0) return {};
    std::string sum = testfx::ReadFileBytes(file + L".sum");
    DeleteFileW((file + L".sum").c_str());
    while (!sum.empty() && (sum.back() == '\n' || sum.back() == '\r')) sum.pop_back();
    return sum;
}

}  // namespace duptest
