// The per-drive size cache files.
#include <gtest/gtest.h>

#include <random>

#include "CacheTestSupport.h"

namespace {

using namespace cachetest;

struct Bytes {
    std::string b;
    template <typename T>
    Bytes& Put(T v) {
        b.append(reinterpret_cast<const char*>(&v), sizeof(T));
        return *this;
    }
    Bytes& Header(uint64_t count, uint32_t serial = 0xABCD, uint32_t version = 1, const char* magic = "MFTSZ01") {
        b.append(magic, 7);
        b.push_back('\0');
        return Put(version).Put(serial).Put(uint64_t{0x77}).Put(int64_t{0x1000}).Put(uint32_t{1024}).Put(uint32_t{0}).Put(count);
    }
    Bytes& Entry(uint64_t frn, int64_t size, int64_t alloc) { return Put(frn).Put(size).Put(alloc); }
};

TEST(MftSizeCache, PathPerDriveLetter) {
    ScratchConfig cfg(L"mftsizes-path");
    EXPECT_EQ(GetMftSizeCachePath(L'q'), cfg.dir + L"\\mftsizes\\Q.v1.bin");
    EXPECT_EQ(GetMftSizeCachePath(L'1'), cfg.dir + L"\\mftsizes\\C.v1.bin");
    EXPECT_EQ(GetMftSizeCachePath(L'\u00E9'), cfg.dir + L"\\mftsizes\\C.v1.bin");
    DWORD a = GetFileAttributesW((cfg.dir + L"\\mftsizes").c_str());
    EXPECT_TRUE(a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY));
}

TEST(MftSizeCache, RoundTripThroughTemporaryFile) {
    ScratchConfig cfg(L"mftsizes-rt");
    std::wstring path = GetMftSizeCachePath(L'D');
    ASSERT_TRUE(testfx::WriteFileBytes(path, "old contents"));
    MftSizeMap m{{0x0001000000000010ull, {10, 4096}}, {0x11, {0, 4096}}, {0x12, {5, 0}}};
    MftSizeCacheHeader h{0xABCD, 0x77, 0x1000, 1024};
    ASSERT_TRUE(SaveMftSizeCache(path, h, m));
    EXPECT_FALSE(FileExists(path + L".tmp"));
    EXPECT_EQ(testfx::ReadFileBytes(path).size(), 48u + 3 * 24);
    MftSizeMap out;
    MftSizeCacheHeader got;
    ASSERT_TRUE(LoadMftSizeCache(path, 0xABCD, out, got));
    EXPECT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0x0001000000000010ull].allocated, 4096);
    EXPECT_EQ(got.usnJournalId, 0x77u);
    EXPECT_EQ(got.usn, 0x1000);
    EXPECT_EQ(got.bytesPerFileRecord, 1024u);
    EXPECT_FALSE(LoadMftSizeCache(path, 0xABCE, out, got));  // another volume
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(got.usnJournalId, 0u);
}

TEST(MftSizeCache, EntriesSkippedOrKeptFirst) {
    ScratchConfig cfg(L"mftsizes-entries");
    std::wstring path = cfg.dir + L"\\E.v1.bin";
    Bytes b;
    b.Header(4).Entry(1, 0, 0).Entry(2, 7, 8).Entry(2, 9, 9).Entry(3, -1, 0);
    b.b += "trailing bytes are ignored";
    ASSERT_TRUE(testfx::WriteFileBytes(path, b.b));
    MftSizeMap out;
    MftSizeCacheHeader h;
    ASSERT_TRUE(LoadMftSizeCache(path, 0xABCD, out, h));
    EXPECT_EQ(out.size(), 1u);
    EXPECT_EQ(out[2].size, 7);
}

TEST(MftSizeCache, DamagedFilesAreNotLoaded) {
    ScratchConfig cfg(L"mftsizes-bad");
    std::wstring path = cfg.dir + L"\\F.v1.bin";
    std::mt19937 rng(99);
    std::string random(5000, '\0');
    for (char& c : random) c = static_cast<char>(rng());
    std::string good = Bytes().Header(2).Entry(1, 5, 5).Entry(2, 6, 6).b;
    const std::pair<const char*, std::string> cases[] = {
        {"missing", ""},
        {"empty", ""},
        {"wrong magic", Bytes().Header(0, 0xABCD, 1, "MFTSZ02").b},
        {"version 2", Bytes().Header(0, 0xABCD, 2).b},
        {"count over the limit", Bytes().Header(200000001).b},
        {"huge count in a small file", Bytes().Header(150000000).Entry(1, 1, 1).b},
        {"truncated entry", good.substr(0, good.size() - 3)},
        {"truncated header", good.substr(0, 30)},
        {"random bytes", random},
    };
    bool first = true;
    for (const auto& [what, bytes] : cases) {
        if (first) {
            DeleteFileW(path.c_str());
            first = false;
        } else {
            ASSERT_TRUE(testfx::WriteFileBytes(path, bytes));
        }
        MftSizeMap out{{9, {9, 9}}};
        MftSizeCacheHeader h{1, 2, 3, 4};
        EXPECT_FALSE(LoadMftSizeCache(path, 0xABCD, out, h)) << what;
        EXPECT_TRUE(out.empty()) << what;
        EXPECT_EQ(h.volumeSerial, 0u) << what;
    }
}

TEST(MftSizeCache, FailedWriteKeepsTheOldFile) {
    ScratchConfig cfg(L"mftsizes-fail");
    std::wstring path = cfg.dir + L"\\G.v1.bin";
    ASSERT_TRUE(testfx::WriteFileBytes(path, "old"));
    ASSERT_TRUE(CreateDirectoryW((path + L".tmp").c_str(), nullptr));
    EXPECT_FALSE(SaveMftSizeCache(path, MftSizeCacheHeader{}, MftSizeMap{{1, {1, 1}}}));
    EXPECT_EQ(testfx::ReadFileBytes(path), "old");
}

}  // namespace
