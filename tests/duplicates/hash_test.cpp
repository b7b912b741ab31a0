#include <gtest/gtest.h>

#include <thread>

#include "dup_test_support.h"
#include "duplicates/Duplicates.h"

namespace {

std::wstring W(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// Sends every path through the timed access while it lives.
struct TimedAccess {
    explicit TimedAccess(bool on = true) { g_dupTimedAccessForAllDrives = on; }
    ~TimedAccess() { g_dupTimedAccessForAllDrives = false; }
};

class DupHashTest : public ::testing::Test {
protected:
    void SetUp() override { dir_ = testfx::MakeScratchDir(L"duphash"); }
    std::wstring File(const std::wstring& name, const std::string& bytes) {
        std::wstring p = dir_ + L"\\" + name;
        EXPECT_TRUE(duptest::Put(p, bytes));
        return p;
    }
    std::wstring dir_;
};

TEST_F(DupHashTest, SmallFilesHashWholeContent) {
    const std::wstring abc = File(L"abc.txt", "abc");
    const std::wstring empty = File(L"empty.txt", "");
    EXPECT_EQ(DupComputeFullHash(abc, nullptr, 5000), L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(DupComputeFullHash(empty, nullptr, 5000),
              L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    // Up to 262144 bytes the quick hash is the whole-file hash.
    const std::wstring limit = File(L"limit.bin", duptest::Bytes(262144, 1));
    EXPECT_EQ(DupComputeQuickHash(limit, 262144, nullptr, 5000), DupComputeFullHash(limit, nullptr, 5000));
    EXPECT_EQ(DupComputeQuickHash(abc, 3, nullptr, 5000), DupComputeFullHash(abc, nullptr, 5000));
}

TEST_F(DupHashTest, FullHashAgreesWithHostSha256) {
    const std::wstring root = testfx::FixtureDrive(L'T');
    if (root.empty()) GTEST_SKIP() << "fixture drive T: not mapped";
    // Several read pieces and a last partial one.
    const std::wstring file = root + L"big.bin";
    ASSERT_TRUE(duptest::Put(file, duptest::Bytes(3 * 262144 + 777, 7)));
    const std::string host = duptest::HostSha256(file, testfx::FixtureDriveHostPath(L'T') + "/big.bin");
    ASSERT_EQ(host.size(), 64u);
    EXPECT_EQ(DupComputeFullHash(file, nullptr, 5000), W(host));
    EXPECT_EQ(DupComputeFullHash(file, nullptr, 5000, 3 * 262144 + 777), W(host));
}

TEST_F(DupHashTest, QuickHashSeesOnlyTheSamplesAndTheSize) {
    const size_t n = 600000;
    const std::string base = duptest::Bytes(n, 3);
    std::string outside = base, inside = base;
    outside[150000] ^= 0x5A;        // between the first and the middle sample
    inside[n / 2] ^= 0x5A;          // inside the middle sample
    const std::wstring a = File(L"a.bin", base), b = File(L"b.bin", outside), c = File(L"c.bin", inside);
    const std::wstring qa = DupComputeQuickHash(a, n, nullptr, 5000);
    ASSERT_TRUE(IsDupHexDigest(qa));
    EXPECT_EQ(DupComputeQuickHash(b, n, nullptr, 5000), qa);
    EXPECT_NE(DupComputeQuickHash(c, n, nullptr, 5000), qa);
    EXPECT_NE(DupComputeFullHash(b, nullptr, 5000), DupComputeFullHash(a, nullptr, 5000));
}

TEST_F(DupHashTest, FileThatChangedSizeSinceListingIsNotHashed) {
    const std::wstring big = File(L"big.bin", duptest::Bytes(400000, 5));
    const std::wstring small = File(L"small.bin", duptest::Bytes(5000, 5));
    // Listed larger than it now is (it shrank): no sample may be skipped silently.
    EXPECT_EQ(DupComputeQuickHash(big, 400001, nullptr, 5000), L"");
    EXPECT_EQ(DupComputeQuickHash(big, 399999, nullptr, 5000), L"");
    EXPECT_EQ(DupComputeQuickHash(small, 5001, nullptr, 5000), L"");
    EXPECT_EQ(DupComputeFullHash(small, nullptr, 5000, 4000), L"");
    EXPECT_FALSE(tls_hashTimedOut);
    EXPECT_EQ(DupComputeQuickHash(dir_ + L"\\missing.bin", 5000, nullptr, 5000), L"");
    EXPECT_FALSE(tls_hashTimedOut);
}

TEST_F(DupHashTest, CancelAndDeadlineEndTheHashAsTimedOut) {
    const std::wstring big = File(L"big.bin", duptest::Bytes(2000000, 9));
    std::atomic<bool> cancel{true};
    EXPECT_EQ(DupComputeFullHash(big, &cancel, 5000), L"");
    EXPECT_TRUE(tls_hashTimedOut);
    // A deadline already passed gives up before opening.
    tls_hashDeadline = GetTickCount64() - 1;
    tls_hashTimedOut = false;
    EXPECT_EQ(OpenFileForHashTimed(big, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_TRUE(tls_hashTimedOut);
    // Reused helper threads serve many opens in a row and end with their scope.
    {
        TimedAccess timed;
        DupTimedHelperScope scope;
        for (int i = 0; i < 50; ++i) ASSERT_TRUE(IsDupHexDigest(DupComputeQuickHash(big, 2000000, nullptr, 5000)));
    }
}

// Local fixed drives are read directly on the hashing thread, every other place through the
// timed helper and overlapped reads: both must give the same hashes and refuse the same files.
TEST_F(DupHashTest, DirectAndTimedAccessAgree) {
    struct Case {
        const wchar_t* name;
        size_t bytes;
        int64_t listed;  // the size the candidate was listed with
        bool hashed;
    };
    const Case cases[] = {
        {L"empty", 0, 0, true},
        {L"three", 3, 3, true},
        {L"limit", 262144, 262144, true},
        {L"limit-grown", 262145, 262144, false},
        {L"sampled", 262145, 262145, true},
        {L"pieces", 3 * 262144 + 777, 3 * 262144 + 777, true},
        {L"shrunk", 600000, 600001, false},
        {L"grown", 600001, 600000, false},
        {L"small-shrunk", 5000, 5001, false},
    };
    ASSERT_TRUE(DupPathIsOnLocalFixedDrive(dir_ + L"\\x"));  // the scratch folder is read directly
    for (const Case& c : cases) {
        const std::wstring path = File(c.name, duptest::Bytes(c.bytes, 11));
        std::wstring quick[2], full[2], fullUnchecked[2];
        for (int timedWay = 0; timedWay < 2; ++timedWay) {
            TimedAccess timed(timedWay == 1);
            quick[timedWay] = DupComputeQuickHash(path, c.listed, nullptr, 5000);
            full[timedWay] = DupComputeFullHash(path, nullptr, 5000, c.listed);
            fullUnchecked[timedWay] = DupComputeFullHash(path, nullptr, 5000);
            EXPECT_FALSE(tls_hashTimedOut) << c.name;
        }
        EXPECT_EQ(quick[0], quick[1]) << c.name;
        EXPECT_EQ(full[0], full[1]) << c.name;
        EXPECT_EQ(fullUnchecked[0], fullUnchecked[1]) << c.name;
        EXPECT_EQ(IsDupHexDigest(quick[0]), c.hashed) << c.name;
        EXPECT_EQ(IsDupHexDigest(full[0]), c.hashed) << c.name;
        EXPECT_TRUE(IsDupHexDigest(fullUnchecked[0])) << c.name;
        if (c.hashed && c.bytes <= 262144) {
            EXPECT_EQ(quick[0], full[0]) << c.name;
        }
    }
    // Which way a path takes.
    const std::pair<std::wstring, bool> ways[] = {
        {L"C:\\windows\\x", true},
        {L"c:/windows/x", true},
        {L"\\\\?\\C:\\windows\\x", true},
        {L"\\\\server\\share\\x", false},
        {L"relative\\x", false},
        {L"C:", false},
        {L"", false},
    };
    for (const auto& [path, local] : ways) EXPECT_EQ(DupPathIsOnLocalFixedDrive(path), local) << path;
}

TEST_F(DupHashTest, IdentityIsTheSameThroughAHardLink) {
    const std::wstring a = File(L"a.bin", "content");
    const std::wstring b = File(L"b.bin", "content");
    ASSERT_TRUE(CreateHardLinkW((dir_ + L"\\a-link.bin").c_str(), a.c_str(), nullptr));
    DupFileIdentity ia, ib, il;
    ASSERT_TRUE(DupQueryFileIdentity(a, &ia, nullptr));
    ASSERT_TRUE(DupQueryFileIdentity(b, &ib, nullptr));
    ASSERT_TRUE(DupQueryFileIdentity(dir_ + L"\\a-link.bin", &il, nullptr));
    EXPECT_EQ(ia, il);
    EXPECT_FALSE(ia == ib);
    EXPECT_FALSE(DupQueryFileIdentity(dir_ + L"\\none", &ia, nullptr));
}

// ---------------------------------------------------------------------------------------------

TEST_F(DupHashTest, HashCacheRoundTripAndHits) {
    const std::wstring f = File(L"f.bin", duptest::Bytes(300000, 11));
    const std::wstring cachePath = dir_ + L"\\files.hash";
    DupFileHashStore store;
    const std::wstring q = DupGetQuickHashCached(f, 300000, 42, nullptr, &store, 5000);
    const std::wstring full = DupGetFullHashCached(f, 300000, 42, nullptr, &store, 5000);
    ASSERT_TRUE(IsDupHexDigest(q));
    ASSERT_TRUE(IsDupHexDigest(full));
    ASSERT_TRUE(store.Save(cachePath));

    DupFileHashStore loaded;
    ASSERT_TRUE(loaded.Load(cachePath));
    EXPECT_EQ(loaded.size(), 1u);
    // A hit opens nothing: the file locked against every open still gives its hashes.
    HANDLE lock = CreateFileW(f.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(DupGetQuickHashCached(f, 300000, 42, nullptr, &loaded, 5000), q);
    EXPECT_EQ(DupGetFullHashCached(f, 300000, 42, nullptr, &loaded, 5000), full);
    // Another time means another content: no hit, and the locked file cannot be hashed.
    EXPECT_EQ(DupGetQuickHashCached(f, 300000, 43, nullptr, &loaded, 5000), L"");
    CloseHandle(lock);
    // Rewritten with the same size: a new quick hash clears the stale full hash with it.
    loaded.PutQuick(f, 300000, 44, q);
    std::wstring out;
    EXPECT_FALSE(loaded.FindFull(f, 300000, 44, &out));
    EXPECT_FALSE(loaded.FindFull(f, 300000, 42, &out));
}

TEST_F(DupHashTest, DamagedHashCacheLoadsNothing) {
    const std::string h(64, 'a');
    const std::string good = "DUPHASH1\npath=C:\\x y \nsize=5\nmtime=9\nquick=" + h + "\nfull=\n---\n";
    struct Case {
        const char* name;
        std::string bytes;
        bool loads;
        size_t entries;
    } cases[] = {
        {"whole", good, true, 1},
        {"crlf", "DUPHASH1\r\npath=C:\\a\r\nsize=5\r\nmtime=9\r\nquick=" + h + "\r\nfull=\r\n---\r\n", true, 1},
        {"empty file", "", false, 0},
        {"wrong magic", "DUPHASH2\n", false, 0},
        {"last line cut", good.substr(0, good.size() - 20), false, 0},
        {"no final line end", good.substr(0, good.size() - 1), false, 0},
        {"short hash", "DUPHASH1\npath=C:\\a\nquick=" + h.substr(1) + "\n---\n", false, 0},
        {"upper-case hash", "DUPHASH1\npath=C:\\a\nfull=" + std::string(64, 'A') + "\n---\n", false, 0},
        {"line over 1 MiB", "DUPHASH1\npath=" + std::string(0x100001, 'x') + "\n---\n", false, 0},
    };
    const std::wstring path = dir_ + L"\\files.hash";
    for (const Case& c : cases) {
        ASSERT_TRUE(testfx::WriteFileBytes(path, c.bytes));
        DupFileHashStore store;
        EXPECT_EQ(store.Load(path), c.loads) << c.name;
        EXPECT_EQ(store.size(), c.entries) << c.name;
    }
    // Only the line end is trimmed: a path ending in a blank keeps it.
    ASSERT_TRUE(testfx::WriteFileBytes(path, good));
    DupFileHashStore store;
    ASSERT_TRUE(store.Load(path));
    std::wstring q;
    EXPECT_TRUE(store.FindQuick(L"C:\\x y ", 5, 9, &q));
}

TEST_F(DupHashTest, SaveReplacesTheFileWhole) {
    const std::wstring path = dir_ + L"\\files.hash";
    ASSERT_TRUE(testfx::WriteFileBytes(path, "old contents that are longer than the new ones\n"));
    DupFileHashStore store;
    EXPECT_TRUE(store.Save(path));  // nothing to write: untouched
    EXPECT_EQ(testfx::ReadFileBytes(path).substr(0, 3), "old");
    store.PutFull(L"C:\\a", 1, 2, std::wstring(64, L'b'));
    ASSERT_TRUE(store.Save(path));
    EXPECT_EQ(testfx::ReadFileBytes(path),
              "DUPHASH1\npath=C:\\a\nsize=1\nmtime=2\nquick=\nfull=" + std::string(64, 'b') + "\n---\n");
    EXPECT_EQ(GetFileAttributesW((path + L".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
