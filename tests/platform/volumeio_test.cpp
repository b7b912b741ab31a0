#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/VolumeIo.h"
#include "support/fixture.h"

namespace {

constexpr DWORD kCreate = 0x100, kDelete = 0x200, kOldName = 0x1000, kNewName = 0x2000, kDataExtend = 0x2;
constexpr DWORD kDataMask = 0x7, kBasicInfo = 0x8000, kClose = 0x80000000;

struct Rec {
    uint64_t ref = 0, parent = 0;
    std::wstring name;
    DWORD reason = 0, attrs = 0;
    int64_t usn = 0;
};

std::vector<Rec> ParseRecords(const std::vector<BYTE>& buf, DWORD got) {
    std::vector<Rec> out;
    size_t off = 8;
    while (off + 64 <= got) {
        VolumeIoUsnRecordV2 h;
        memcpy(&h, buf.data() + off, 60);
        if (h.RecordLength < 64 || off + h.RecordLength > got || h.FileNameOffset + h.FileNameLength > h.RecordLength) {
            ADD_FAILURE() << "malformed record at " << off;
            break;
        }
        EXPECT_EQ(h.RecordLength % 8, 0u);
        EXPECT_EQ(h.MajorVersion, 2);
        Rec r;
        r.ref = h.FileReferenceNumber;
        r.parent = h.ParentFileReferenceNumber;
        r.reason = h.Reason;
        r.attrs = h.FileAttributes;
        r.usn = h.Usn;
        r.name.assign(reinterpret_cast<const wchar_t*>(buf.data() + off + h.FileNameOffset), h.FileNameLength / 2);
        out.push_back(r);
        off += h.RecordLength;
    }
    return out;
}

class VolumeIoDrive : public ::testing::Test {
protected:
    void SetUp() override {
        VolumeIoResetForTests();
        stateDir_ = testfx::MakeScratchDir(L"volumeio-state");
        VolumeIoSetStateFolder(stateDir_);
        root_ = testfx::FixtureDrive(L'T');
        if (root_.empty()) GTEST_SKIP() << "fixture drive T: not mapped";
        host_ = testfx::FixtureDriveHostPath(L'T');
    }
    void TearDown() override {
        CloseVolume();
        VolumeIoResetForTests();
        VolumeIoSetStateFolder(L"");
    }

    HANDLE OpenVolume() {
        CloseVolume();
        volume_ = VolumeIoCreateFile(L"\\\\.\\T:", GENERIC_READ | GENERIC_WRITE, 7, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_ATTRIBUTE_NORMAL, nullptr);
        if (volume_ == INVALID_HANDLE_VALUE)
            volume_ = VolumeIoCreateFile(L"\\\\.\\T:", GENERIC_READ, 7, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        return volume_;
    }
    void CloseVolume() {
        if (volume_ != INVALID_HANDLE_VALUE) VolumeIoCloseHandle(volume_);
        volume_ = INVALID_HANDLE_VALUE;
    }
    bool Query(VolumeIoUsnJournalDataV0* data, DWORD* error = nullptr) {
        DWORD got = 0;
        BOOL ok = VolumeIoDeviceIoControl(volume_, FSCTL_QUERY_USN_JOURNAL, nullptr, 0, data, sizeof *data, &got, nullptr);
        if (error) *error = ok ? 0 : GetLastError();
        return ok && got == sizeof *data;
    }
    void CreateJournal() {
        VolumeIoCreateUsnJournalData c{0x10000000, 0x1000000};
        DWORD got = 0;
        ASSERT_TRUE(VolumeIoDeviceIoControl(volume_, FSCTL_CREATE_USN_JOURNAL, &c, sizeof c, nullptr, 0, &got, nullptr))
            << GetLastError();
    }
    VolumeIoUsnJournalDataV0 OpenJournal() {
        EXPECT_NE(OpenVolume(), INVALID_HANDLE_VALUE);
        VolumeIoUsnJournalDataV0 d{};
        if (!Query(&d)) {
            CreateJournal();
            EXPECT_TRUE(Query(&d));
        }
        EXPECT_NE(d.UsnJournalID, 0u);
        return d;
    }
    std::vector<Rec> EnumerateAll(int64_t highUsn, int* calls = nullptr) {
        std::vector<Rec> all;
        VolumeIoMftEnumDataV0 in{0, 0, highUsn};
        std::vector<BYTE> buf(65536);
        for (int i = 0; i < 100000; ++i) {
            DWORD got = 0;
            if (!VolumeIoDeviceIoControl(volume_, FSCTL_ENUM_USN_DATA, &in, sizeof in, buf.data(), (DWORD)buf.size(), &got,
                                         nullptr)) {
                EXPECT_EQ(GetLastError(), (DWORD)ERROR_HANDLE_EOF);
                break;
            }
            EXPECT_GE(got, 8u);
            uint64_t next = 0;
            memcpy(&next, buf.data(), 8);
            EXPECT_GT(next, in.StartFileReferenceNumber) << "next start reference must advance";
            in.StartFileReferenceNumber = next;
            auto recs = ParseRecords(buf, got);
            all.insert(all.end(), recs.begin(), recs.end());
            if (calls) ++*calls;
        }
        return all;
    }
    // Reads the journal from `usn` until `done` holds for what was read (at most ~10 s).
    std::vector<Rec> ReadUntil(const VolumeIoUsnJournalDataV0& j, int64_t& usn, DWORD mask,
                               const std::function<bool(const std::vector<Rec>&)>& done) {
        std::vector<Rec> all;
        std::vector<BYTE> buf(65536);
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < until) {
            VolumeIoReadUsnJournalDataV0 in{usn, mask, 0, 0, 0, j.UsnJournalID};
            DWORD got = 0;
            if (!VolumeIoDeviceIoControl(volume_, FSCTL_READ_USN_JOURNAL, &in, sizeof in, buf.data(), (DWORD)buf.size(),
                                         &got, nullptr)) {
                ADD_FAILURE() << "read failed " << GetLastError();
                break;
            }
            EXPECT_GE(got, 8u);
            auto recs = ParseRecords(buf, got);
            for (auto& r : recs) EXPECT_NE(r.reason & mask, 0u);
            all.insert(all.end(), recs.begin(), recs.end());
            int64_t next = 0;
            memcpy(&next, buf.data(), 8);
            EXPECT_GE(next, usn);
            usn = next;
            if (done(all)) break;
            Sleep(100);
        }
        return all;
    }
    uint64_t FileIndexOf(const std::wstring& path) {
        HANDLE h = VolumeIoCreateFile(path.c_str(), 0, 7, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) return 0;
        BY_HANDLE_FILE_INFORMATION bi{};
        BOOL ok = VolumeIoGetFileInformationByHandle(h, &bi);
        VolumeIoCloseHandle(h);
        return ok ? ((uint64_t)bi.nFileIndexHigh << 32) | bi.nFileIndexLow : 0;
    }
    void Host(const std::string& cmd) {
        ASSERT_EQ(testfx::RunHostCommand("cd '" + host_ + "' && " + cmd), 0) << cmd;
    }

    std::wstring stateDir_, root_;
    std::string host_;
    HANDLE volume_ = INVALID_HANDLE_VALUE;
};

const Rec* Find(const std::vector<Rec>& recs, const std::wstring& name, DWORD reasonBits = 0) {
    for (auto& r : recs)
        if (r.name == name && (reasonBits == 0 || (r.reason & reasonBits) == reasonBits)) return &r;
    return nullptr;
}

TEST_F(VolumeIoDrive, EnumeratesTheDriveWithStableReferences) {
    ASSERT_TRUE(CreateDirectoryW((root_ + L"A").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((root_ + L"A\\B").c_str(), nullptr));
    ASSERT_TRUE(testfx::WriteFileBytes(root_ + L"A\\B\\f.txt", "x"));
    ASSERT_TRUE(testfx::WriteFileBytes(root_ + L"g.txt", "yy"));
    ASSERT_TRUE(testfx::WriteFileBytes(root_ + L"A\\\x00c4pfel \x4e2d.txt", ""));
    Host("mkdir -p many && for i in $(seq 1 1500); do : > many/file_with_a_longer_name_$i.dat; done && "
         ": > A/orig.txt && ln A/orig.txt A/hardlink.txt && ln -s ../A many/linkdir");

    EXPECT_EQ(FileIndexOf(root_), 5u);
    auto j = OpenJournal();
    // A small probe buffer is answered as the system does (success or more data).
    {
        VolumeIoMftEnumDataV0 in{0, 0, j.NextUsn};
        BYTE probe[520];
        DWORD got = 0;
        BOOL ok = VolumeIoDeviceIoControl(volume_, FSCTL_ENUM_USN_DATA, &in, sizeof in, probe, sizeof probe, &got, nullptr);
        EXPECT_TRUE(ok || GetLastError() == ERROR_MORE_DATA || GetLastError() == ERROR_HANDLE_EOF) << GetLastError();
    }
    int calls = 0;
    auto recs = EnumerateAll(j.NextUsn, &calls);
    EXPECT_GT(calls, 1) << "1500 entries do not fit one 64 KiB buffer";
    std::map<std::wstring, Rec> byName;
    std::set<uint64_t> refs;
    for (auto& r : recs) {
        EXPECT_TRUE(refs.insert(r.ref & 0xFFFFFFFFFFFFull).second) << "duplicate reference for " << r.name.size();
        EXPECT_NE(r.ref, 5u);
        byName[r.name] = r;
    }
    EXPECT_EQ(recs.size(), 1500u + 9u);
    ASSERT_TRUE(byName.count(L"A") && byName.count(L"B") && byName.count(L"f.txt") && byName.count(L"g.txt"));
    EXPECT_EQ(byName[L"A"].parent, 5u);
    EXPECT_EQ(byName[L"g.txt"].parent, 5u);
    EXPECT_EQ(byName[L"B"].parent, byName[L"A"].ref);
    EXPECT_EQ(byName[L"f.txt"].parent, byName[L"B"].ref);
    EXPECT_TRUE(byName[L"A"].attrs & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(byName[L"B"].attrs & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(byName[L"f.txt"].attrs & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(byName.count(L"\x00c4pfel \x4e2d.txt"));
    EXPECT_TRUE(byName.count(L"hardlink.txt") && byName.count(L"orig.txt"));
    ASSERT_TRUE(byName.count(L"linkdir"));
    EXPECT_EQ(byName[L"linkdir"].parent, byName[L"many"].ref);
    // The file references are the ones GetFileInformationByHandle gives.
    EXPECT_EQ(FileIndexOf(root_ + L"A\\B\\f.txt"), byName[L"f.txt"].ref);
    EXPECT_EQ(FileIndexOf(root_ + L"A"), byName[L"A"].ref);

    // A fresh layer (a new run) gives the same references.
    CloseVolume();
    VolumeIoResetForTests();
    auto j2 = OpenJournal();
    EXPECT_EQ(j2.UsnJournalID, j.UsnJournalID);
    auto again = EnumerateAll(j2.NextUsn);
    ASSERT_EQ(again.size(), recs.size());
    for (auto& r : again) {
        if (r.name == L"hardlink.txt" || r.name == L"orig.txt" || r.name == L"linkdir") continue;
        EXPECT_EQ(byName[r.name].ref, r.ref);
    }
}

// References are dense record numbers that the NTFS view's table is laid out by; a deleted
// file's number comes back only with the next sequence number, and the FILE record call answers
// a reference in use with its own record and one no longer in use with a lower one.
TEST_F(VolumeIoDrive, ReferencesAreDenseRecordNumbersReusedWithTheNextSequence) {
    constexpr uint64_t kMask = 0xFFFFFFFFFFFFull;
    Host("mkdir -p d && for i in $(seq 1 300); do head -c $((i * 37)) /dev/zero > d/f$i; done");
    auto j = OpenJournal();
    auto recs = EnumerateAll(j.NextUsn);
    ASSERT_EQ(recs.size(), 301u);
    uint64_t highest = 0;
    for (auto& r : recs) {
        EXPECT_GE(r.ref & kMask, 24u);
        EXPECT_GE(r.ref >> 48, 1u);
        highest = std::max(highest, r.ref & kMask);
    }
    // The files and the extension records some of them keep their data in, without gaps.
    EXPECT_LT(highest, 24u + 301u + 301u / 5);
    uint8_t data[96] = {};
    DWORD got = 0;
    ASSERT_TRUE(VolumeIoDeviceIoControl(volume_, FSCTL_GET_NTFS_VOLUME_DATA, nullptr, 0, data, sizeof data, &got, nullptr));
    uint64_t valid = 0;
    memcpy(&valid, data + 56, 8);
    EXPECT_GE(valid / 1024, highest + 1);
    EXPECT_LE(valid / 1024, highest + 2 + 128);   // with room for the next files, as NTFS keeps

    // The reference the FILE record call answers for a reference (its record's sequence number
    // is the reference's high 16 bits); 0 when the call fails.
    auto answerFor = [&](uint64_t ref) -> uint64_t {
        LARGE_INTEGER in;
        in.QuadPart = static_cast<LONGLONG>(ref & kMask);
        std::vector<BYTE> out(12 + 1024 + 64);
        DWORD n = 0;
        if (!VolumeIoDeviceIoControl(volume_, FSCTL_GET_NTFS_FILE_RECORD, &in, sizeof in, out.data(), (DWORD)out.size(),
                                     &n, nullptr))
            return 0;
        uint64_t answered = 0;
        uint16_t sequence = 0;
        memcpy(&answered, out.data(), 8);
        memcpy(&sequence, out.data() + 12 + 16, 2);
        EXPECT_EQ(sequence, answered >> 48);
        return answered;
    };
    const Rec victim = *Find(recs, L"f7");
    EXPECT_EQ(answerFor(victim.ref), victim.ref);
    EXPECT_EQ(FileIndexOf(root_ + L"d\\f7"), victim.ref);

    ASSERT_TRUE(DeleteFileW((root_ + L"d\\f7").c_str()));
    ASSERT_TRUE(VolumeIoRunChangeScan(L'T', true));
    const uint64_t lower = answerFor(victim.ref);
    EXPECT_NE(lower, 0u);
    EXPECT_LT(lower & kMask, victim.ref & kMask);

    ASSERT_TRUE(testfx::WriteFileBytes(root_ + L"d\\n.txt", "new"));
    ASSERT_TRUE(VolumeIoRunChangeScan(L'T', true));
    const uint64_t reused = FileIndexOf(root_ + L"d\\n.txt");
    EXPECT_EQ(reused & kMask, victim.ref & kMask);
    EXPECT_EQ(reused >> 48, (victim.ref >> 48) + 1);
    EXPECT_EQ(answerFor(reused), reused);

    // A rename keeps the reference.
    ASSERT_TRUE(MoveFileW((root_ + L"d\\n.txt").c_str(), (root_ + L"m.txt").c_str()));
    ASSERT_TRUE(VolumeIoRunChangeScan(L'T', true));
    EXPECT_EQ(FileIndexOf(root_ + L"m.txt"), reused);
}

// The first walk lists folders ahead on a second thread: every folder of an uneven tree (deep
// chains, wide and empty folders) must still be entered once, under the right parent.
TEST_F(VolumeIoDrive, FirstWalkFindsEveryEntryOfADeepAndWideTree) {
    Host("for a in $(seq 1 30); do mkdir -p t$a; for b in $(seq 1 $((a % 7))); do mkdir -p t$a/s$b; "
         ": > t$a/s$b/f; done; done && mkdir -p deep && cd deep && "
         "for d in $(seq 1 40); do mkdir n$d && : > n$d/leaf && cd n$d; done");
    // The expected paths: the host's own listing, written into the drive; the list file itself is
    // added by name (whether find meets a file its shell has just created is not certain).
    Host("find . -mindepth 1 ! -name .expected | sed 's|^\\./||' > .expected && echo .expected >> .expected");
    auto j = OpenJournal();
    auto recs = EnumerateAll(j.NextUsn);
    std::map<uint64_t, const Rec*> byRef;
    for (const auto& r : recs) byRef[r.ref] = &r;
    std::vector<std::string> paths;
    for (const auto& r : recs) {
        std::wstring path = r.name;
        for (uint64_t p = r.parent; p != 5;) {
            auto it = byRef.find(p);
            ASSERT_NE(it, byRef.end()) << "parent chain broken";
            path = it->second->name + L"/" + path;
            p = it->second->parent;
        }
        paths.push_back(std::string(path.begin(), path.end()));
    }
    std::sort(paths.begin(), paths.end());
    const std::string expected = testfx::ReadFileBytes(root_ + L".expected");
    std::vector<std::string> want;
    for (size_t at = 0; at < expected.size();) {
        size_t nl = expected.find('\n', at);
        if (nl == std::string::npos) nl = expected.size();
        if (nl > at) want.push_back(expected.substr(at, nl - at));
        at = nl + 1;
    }
    std::sort(want.begin(), want.end());
    EXPECT_GT(want.size(), 150u);
    std::vector<std::string> missing, extra;
    std::set_difference(want.begin(), want.end(), paths.begin(), paths.end(), std::back_inserter(missing));
    std::set_difference(paths.begin(), paths.end(), want.begin(), want.end(), std::back_inserter(extra));
    EXPECT_TRUE(missing.empty()) << missing.size() << " missing, first " << missing.front();
    EXPECT_TRUE(extra.empty()) << extra.size() << " extra, first " << extra.front();
    EXPECT_EQ(paths.size(), want.size());
}

// The first walk lists on several threads, but an unchanged drive gets the same references in
// every run (caches keyed by reference, such as the duplicate finder's, rely on it).
TEST_F(VolumeIoDrive, AnUnchangedDriveKeepsItsReferencesFromRunToRun) {
    Host("for a in $(seq 1 40); do mkdir -p w$a/x/y w$a/z; : > w$a/f; : > w$a/x/g; : > w$a/x/y/h; done");
    std::map<std::wstring, uint64_t> first;
    for (int run = 0; run < 3; ++run) {
        VolumeIoResetForTests();   // as a new process
        VolumeIoSetStateFolder(stateDir_);
        auto j = OpenJournal();
        std::map<uint64_t, Rec> byRef;
        for (auto& r : EnumerateAll(j.NextUsn)) byRef[r.ref] = r;
        std::map<std::wstring, uint64_t> refs;
        for (auto& [ref, r] : byRef) {
            std::wstring path = r.name;
            for (uint64_t p = r.parent; p != 5 && byRef.count(p); p = byRef[p].parent) path = byRef[p].name + L"\\" + path;
            refs[path] = ref;
        }
        ASSERT_EQ(refs.size(), 40u * 7);
        if (run == 0) first = refs;
        else EXPECT_EQ(refs, first) << "run " << run;
        CloseVolume();
    }
}

TEST_F(VolumeIoDrive, JournalFollowsNativeAndWin32Changes) {
    Host("mkdir -p A/B/C && echo x > A/B/f.txt && echo y > A/B/C/deep.txt && mkdir -p Old/Sub && echo z > Old/Sub/s.txt");
    auto j = OpenJournal();
    auto base = EnumerateAll(j.NextUsn);
    std::map<std::wstring, uint64_t> ref;
    for (auto& r : base) ref[r.name] = r.ref;
    int64_t usn = j.NextUsn;
    const DWORD all = 0xFFFFFFFF;

    // Creations in folders that existed before the journal was read, by a native program.
    Host("mkdir A/B/C/newdir && echo n > A/B/C/newdir/n.txt");
    auto recs = ReadUntil(j, usn, all, [](auto& r) { return Find(r, L"n.txt", kCreate) != nullptr; });
    const Rec* newdir = Find(recs, L"newdir", kCreate);
    const Rec* n = Find(recs, L"n.txt", kCreate);
    ASSERT_TRUE(newdir && n);
    EXPECT_EQ(newdir->parent, ref[L"C"]);
    EXPECT_TRUE(newdir->attrs & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(n->parent, newdir->ref);
    EXPECT_EQ(FileIndexOf(root_ + L"A\\B\\C\\newdir\\n.txt"), n->ref);
    const uint64_t newdirRef = newdir->ref;
    int64_t afterCreate = usn;

    // A move to another folder: old name, then new name, same reference.
    Host("mv A/B/f.txt A/moved.txt");
    recs = ReadUntil(j, usn, all, [](auto& r) { return Find(r, L"moved.txt", kNewName) != nullptr; });
    const Rec* oldName = Find(recs, L"f.txt", kOldName);
    const Rec* newName = Find(recs, L"moved.txt", kNewName);
    ASSERT_TRUE(oldName && newName);
    EXPECT_EQ(oldName->ref, ref[L"f.txt"]);
    EXPECT_EQ(oldName->parent, ref[L"B"]);
    EXPECT_EQ(newName->ref, ref[L"f.txt"]);
    EXPECT_EQ(newName->parent, ref[L"A"]);
    EXPECT_LT(oldName->usn, newName->usn);
    EXPECT_TRUE(newName->reason & kClose);
    EXPECT_EQ(Find(recs, L"moved.txt", kCreate), nullptr);

    // A folder renamed with its contents: one rename, the contents keep their references.
    Host("mv Old New");
    recs = ReadUntil(j, usn, all, [](auto& r) { return Find(r, L"New", kNewName) != nullptr; });
    ASSERT_TRUE(Find(recs, L"New", kNewName));
    EXPECT_EQ(Find(recs, L"New", kNewName)->ref, ref[L"Old"]);
    EXPECT_EQ(Find(recs, L"s.txt"), nullptr);
    // A folder moved into a folder that is itself new keeps its reference and contents.
    Host("mkdir Fresh && mv New/Sub Fresh/Sub");
    recs = ReadUntil(j, usn, all, [](auto& r) { return Find(r, L"Sub", kNewName) != nullptr; });
    ASSERT_TRUE(Find(recs, L"Fresh", kCreate) && Find(recs, L"Sub", kNewName));
    EXPECT_EQ(Find(recs, L"Sub", kNewName)->ref, ref[L"Sub"]);
    EXPECT_EQ(Find(recs, L"Sub", kNewName)->parent, Find(recs, L"Fresh", kCreate)->ref);
    EXPECT_EQ(Find(recs, L"Sub", kCreate), nullptr);
    EXPECT_EQ(Find(recs, L"s.txt"), nullptr);

    // Data and basic-info changes, native and through Win32.
    Host("echo more >> A/B/C/deep.txt && chmod a-w A/moved.txt");
    recs = ReadUntil(j, usn, all, [](auto& r) {
        return Find(r, L"deep.txt") && Find(r, L"moved.txt", kBasicInfo);
    });
    ASSERT_TRUE(Find(recs, L"deep.txt"));
    EXPECT_TRUE(Find(recs, L"deep.txt")->reason & kDataMask);
    EXPECT_FALSE(Find(recs, L"deep.txt")->reason & kBasicInfo) << "an append is a data change only";
    EXPECT_TRUE(Find(recs, L"moved.txt", kBasicInfo));
    ASSERT_TRUE(testfx::WriteFileBytes(root_ + L"Fresh\\Sub\\s.txt", "longer content"));
    recs = ReadUntil(j, usn, all, [](auto& r) { return Find(r, L"s.txt") != nullptr; });
    ASSERT_TRUE(Find(recs, L"s.txt"));
    EXPECT_TRUE(Find(recs, L"s.txt")->reason & 0x2) << std::hex << Find(recs, L"s.txt")->reason;

    // Deletions of a folder with its contents: contents first.
    Host("rm -r A/B/C/newdir");
    recs = ReadUntil(j, usn, all, [](auto& r) { return Find(r, L"newdir", kDelete) != nullptr; });
    const Rec* delDir = Find(recs, L"newdir", kDelete);
    const Rec* delFile = Find(recs, L"n.txt", kDelete);
    ASSERT_TRUE(delDir && delFile);

    EXPECT_LT(delFile->usn, delDir->usn);
    EXPECT_EQ(delDir->ref, newdirRef);

    // ReasonMask and StartUsn: reading again from an earlier position with the index's mask
    // gives the creations, renames and deletions only.
    int64_t from = afterCreate;
    auto again = ReadUntil(j, from, kCreate | kDelete | kOldName | kNewName,
                           [&](auto&) { return from >= usn; });
    EXPECT_TRUE(Find(again, L"moved.txt", kNewName));
    EXPECT_TRUE(Find(again, L"newdir", kDelete));
    EXPECT_EQ(Find(again, L"deep.txt"), nullptr);
    EXPECT_EQ(Find(again, L"n.txt", kCreate), nullptr);
}

// A drive with more folders than the first walk lists under the change notification: the
// folders past the limit are not watched, and creations, deletions and moves in them are found
// by the sweep of the folders' times.
TEST_F(VolumeIoDrive, ChangesPastTheWalkWatchLimitAreFoundByTheSweep) {
    VolumeIoDriveOptions options;
    options.walkWatchLimit = 2;
    VolumeIoSetDriveOptions(L'T', options);
    Host("mkdir -p a/b/c/d e/f/g h/i/j && echo x > a/b/c/d/old.txt && echo y > e/f/g/keep.txt && "
         "echo z > h/i/j/data.txt");
    auto j = OpenJournal();
    std::map<std::wstring, uint64_t> ref;
    for (auto& r : EnumerateAll(j.NextUsn)) ref[r.name] = r.ref;
    int64_t usn = j.NextUsn;
    Host("echo n > a/b/c/d/new.txt && rm e/f/g/keep.txt && mv a/b/c/d/old.txt e/f/g/moved.txt");
    auto recs = ReadUntil(j, usn, 0xFFFFFFFF, [](auto& r) {
        return Find(r, L"new.txt", kCreate) && Find(r, L"keep.txt", kDelete) && Find(r, L"moved.txt", kNewName);
    });
    const Rec* created = Find(recs, L"new.txt", kCreate);
    const Rec* deleted = Find(recs, L"keep.txt", kDelete);
    const Rec* moved = Find(recs, L"moved.txt", kNewName);
    ASSERT_TRUE(created && deleted && moved);
    EXPECT_EQ(created->parent, ref[L"d"]);
    EXPECT_EQ(deleted->ref, ref[L"keep.txt"]);
    EXPECT_EQ(moved->ref, ref[L"old.txt"]);
    EXPECT_EQ(moved->parent, ref[L"g"]);
    EXPECT_EQ(Find(recs, L"moved.txt", kCreate), nullptr) << "a move is not a new file";

    // A file's data changed in place leaves its folder's time alone: the files' sweep finds it,
    // and finds nothing on files that did not change.
    const VolumeIoStandInStats before = VolumeIoGetStandInStats(L'T');
    ASSERT_TRUE(VolumeIoRunChangeScan(L'T', true));
    const VolumeIoStandInStats quiet = VolumeIoGetStandInStats(L'T');
    EXPECT_GT(quiet.filesChecked, before.filesChecked);
    EXPECT_EQ(quiet.filesChanged, before.filesChanged) << "an unchanged file looked changed";
    Host("echo more >> h/i/j/data.txt");
    ASSERT_TRUE(VolumeIoRunChangeScan(L'T', true));
    recs = ReadUntil(j, usn, 0xFFFFFFFF, [](auto& r) { return Find(r, L"data.txt", kDataExtend) != nullptr; });
    const Rec* grown = Find(recs, L"data.txt", kDataExtend);
    ASSERT_TRUE(grown);
    EXPECT_EQ(grown->ref, ref[L"data.txt"]);
}

TEST_F(VolumeIoDrive, JournalIdIsKeptAcrossRunsAndRenewedByDelete) {
    ASSERT_NE(OpenVolume(), INVALID_HANDLE_VALUE);
    VolumeIoUsnJournalDataV0 d{};
    DWORD error = 0;
    EXPECT_FALSE(Query(&d, &error));
    EXPECT_EQ(error, (DWORD)ERROR_JOURNAL_NOT_ACTIVE);
    auto j1 = OpenJournal();
    ASSERT_TRUE(testfx::WriteFileBytes(root_ + L"a.txt", "1"));
    EnumerateAll(j1.NextUsn);

    CloseVolume();
    VolumeIoResetForTests();   // a new run
    auto j2 = OpenJournal();
    EXPECT_EQ(j2.UsnJournalID, j1.UsnJournalID);
    EXPECT_GE(j2.FirstUsn, j1.NextUsn) << "positions of an earlier run are not served again";
    // A read from a position of the earlier run says the entries are gone.
    std::vector<BYTE> buf(4096);
    VolumeIoReadUsnJournalDataV0 in{j1.FirstUsn + 8, 0xFFFFFFFF, 0, 0, 0, j2.UsnJournalID};
    DWORD got = 0;
    if (j1.FirstUsn + 8 < j2.FirstUsn) {
        EXPECT_FALSE(VolumeIoDeviceIoControl(volume_, FSCTL_READ_USN_JOURNAL, &in, sizeof in, buf.data(), 4096, &got, nullptr));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_JOURNAL_ENTRY_DELETED);
    }

    VolumeIoDeleteUsnJournalData del{j2.UsnJournalID, 1};
    ASSERT_TRUE(VolumeIoDeviceIoControl(volume_, FSCTL_DELETE_USN_JOURNAL, &del, sizeof del, nullptr, 0, &got, nullptr));
    EXPECT_FALSE(Query(&d, &error));
    EXPECT_EQ(error, (DWORD)ERROR_JOURNAL_NOT_ACTIVE);
    CreateJournal();
    ASSERT_TRUE(Query(&d));
    EXPECT_NE(d.UsnJournalID, j2.UsnJournalID);
    EXPECT_NE(d.UsnJournalID, 0u);
    // A reader of the deleted journal is told its entries are gone.
    in = {d.NextUsn, 0xFFFFFFFF, 0, 0, 0, j2.UsnJournalID};
    EXPECT_FALSE(VolumeIoDeviceIoControl(volume_, FSCTL_READ_USN_JOURNAL, &in, sizeof in, buf.data(), 4096, &got, nullptr));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_JOURNAL_ENTRY_DELETED);

    uint64_t renewed = d.UsnJournalID;
    CloseVolume();
    VolumeIoResetForTests();
    auto j3 = OpenJournal();
    EXPECT_EQ(j3.UsnJournalID, renewed);
}

TEST_F(VolumeIoDrive, DamagedStateFilesAreIgnored) {
    const std::string damaged[] = {
        std::string(100000, 'x'),
        "id=zzzz\nroot=1\nreserved=1\n",
        "id=0\nroot=0\nreserved=0\n",
        std::string("id=\0\0\0\n", 7),
        "id=ffffffffffffffffffff\nreserved=ffffffffffffffff\nroot=0\n",
    };
    for (const auto& text : damaged) {
        ASSERT_TRUE(testfx::WriteFileBytes(stateDir_ + L"\\standin-journal.T.txt", text));
        VolumeIoResetForTests();
        ASSERT_NE(OpenVolume(), INVALID_HANDLE_VALUE);
        VolumeIoUsnJournalDataV0 d{};
        DWORD error = 0;
        EXPECT_FALSE(Query(&d, &error));
        EXPECT_EQ(error, (DWORD)ERROR_JOURNAL_NOT_ACTIVE);
        CreateJournal();
        ASSERT_TRUE(Query(&d));
        EXPECT_NE(d.UsnJournalID, 0u);
        EXPECT_LE(d.NextUsn, 1ll << 62);
        CloseVolume();
    }
}

TEST_F(VolumeIoDrive, BadInputsAreRejected) {
    auto j = OpenJournal();
    BYTE buf[256];
    DWORD got = 0;
    struct Case { DWORD code; DWORD inSize; DWORD outSize; DWORD error; };
    const Case cases[] = {
        {FSCTL_ENUM_USN_DATA, 8, sizeof buf, ERROR_INVALID_PARAMETER},
        {FSCTL_ENUM_USN_DATA, 24, 4, ERROR_INSUFFICIENT_BUFFER},
        {FSCTL_READ_USN_JOURNAL, 16, sizeof buf, ERROR_INVALID_PARAMETER},
        {FSCTL_READ_USN_JOURNAL, 40, 0, ERROR_INSUFFICIENT_BUFFER},
        {FSCTL_QUERY_USN_JOURNAL, 0, 40, ERROR_INSUFFICIENT_BUFFER},
        {FSCTL_CREATE_USN_JOURNAL, 4, 0, ERROR_INVALID_PARAMETER},
        {FSCTL_DELETE_USN_JOURNAL, 4, 0, ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        BYTE in[64] = {};
        VolumeIoReadUsnJournalDataV0 r{j.NextUsn, 0xFFFFFFFF, 0, 0, 0, j.UsnJournalID};
        memcpy(in, &r, sizeof r);
        EXPECT_FALSE(VolumeIoDeviceIoControl(volume_, c.code, in, c.inSize, c.outSize ? buf : nullptr, c.outSize, &got, nullptr))
            << std::hex << c.code;
        EXPECT_EQ(GetLastError(), c.error) << std::hex << c.code;
    }
    // A version range without version 2 records is refused.
    VolumeIoMftEnumDataV1 v1{0, 0, j.NextUsn, 3, 4};
    EXPECT_FALSE(VolumeIoDeviceIoControl(volume_, FSCTL_ENUM_USN_DATA, &v1, sizeof v1, buf, sizeof buf, &got, nullptr));
    // NTFS volume data: the system's answer when it gives one, else the layer's own view.
    BYTE vd[96];
    BOOL sys = DeviceIoControl(volume_, FSCTL_GET_NTFS_VOLUME_DATA, nullptr, 0, vd, sizeof vd, &got, nullptr);
    DWORD sysError = sys ? 0 : GetLastError();
    BOOL lay = VolumeIoDeviceIoControl(volume_, FSCTL_GET_NTFS_VOLUME_DATA, nullptr, 0, vd, sizeof vd, &got, nullptr);
    if (sys || (sysError != ERROR_INVALID_FUNCTION && sysError != ERROR_NOT_SUPPORTED)) {
        EXPECT_EQ(lay, sys);
    } else {
        ASSERT_TRUE(lay) << GetLastError();
        uint32_t cluster = 0, record = 0;
        memcpy(&cluster, vd + 44, 4);
        memcpy(&record, vd + 48, 4);
        EXPECT_EQ(cluster, 4096u);
        EXPECT_EQ(record, 1024u);
        EXPECT_FALSE(VolumeIoDeviceIoControl(volume_, FSCTL_GET_NTFS_VOLUME_DATA, nullptr, 0, vd, 40, &got, nullptr));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
    }
}

TEST_F(VolumeIoDrive, ScriptedAnswersAndOptions) {
    auto j = OpenJournal();
    std::vector<BYTE> buf(4096);
    VolumeIoReadUsnJournalDataV0 in{j.NextUsn, 0xFFFFFFFF, 0, 0, 0, j.UsnJournalID};
    for (DWORD error : {995u, 1181u, 1179u, 1167u, 5u, 6u}) {
        VolumeIoScriptError(L'T', FSCTL_READ_USN_JOURNAL, error);
        DWORD got = 123;
        EXPECT_FALSE(VolumeIoDeviceIoControl(volume_, FSCTL_READ_USN_JOURNAL, &in, sizeof in, buf.data(), 4096, &got, nullptr));
        EXPECT_EQ(GetLastError(), error);
        EXPECT_EQ(got, 0u);
        // The next call is answered normally again.
        EXPECT_TRUE(VolumeIoDeviceIoControl(volume_, FSCTL_READ_USN_JOURNAL, &in, sizeof in, buf.data(), 4096, &got, nullptr));
    }
    // A scripted buffer (malformed on purpose) comes back as it is, cut to the caller's buffer.
    std::vector<BYTE> junk(100, 0xAB);
    VolumeIoScriptOutput(L't', FSCTL_ENUM_USN_DATA, junk, 2);
    VolumeIoMftEnumDataV0 e{0, 0, j.NextUsn};
    for (DWORD size : {4096u, 50u}) {
        DWORD got = 0;
        std::fill(buf.begin(), buf.end(), 0);
        EXPECT_TRUE(VolumeIoDeviceIoControl(volume_, FSCTL_ENUM_USN_DATA, &e, sizeof e, buf.data(), size, &got, nullptr));
        EXPECT_EQ(got, std::min<DWORD>(size, 100));
        EXPECT_EQ(buf[got - 1], 0xAB);
    }
    // Code 0 answers any code; other drives are not affected.
    VolumeIoScriptError(L'T', 0, ERROR_ACCESS_DENIED);
    VolumeIoUsnJournalDataV0 d{};
    DWORD error = 0;
    EXPECT_FALSE(Query(&d, &error));
    EXPECT_EQ(error, (DWORD)ERROR_ACCESS_DENIED);
    EXPECT_TRUE(Query(&d));
    VolumeIoScriptError(L'U', 0, ERROR_ACCESS_DENIED);
    EXPECT_TRUE(Query(&d));
    VolumeIoClearScripts();

    // File-system name override per drive.
    VolumeIoDriveOptions o;
    o.fileSystemName = L"FAT32";
    VolumeIoSetDriveOptions(L'T', o);
    wchar_t fs[32] = {};
    ASSERT_TRUE(VolumeIoGetVolumeInformation(L"T:\\", nullptr, 0, nullptr, nullptr, nullptr, fs, 32));
    EXPECT_STREQ(fs, L"FAT32");
    wchar_t small[4] = {};
    EXPECT_FALSE(VolumeIoGetVolumeInformation(L"T:\\", nullptr, 0, nullptr, nullptr, nullptr, small, 4));
    wchar_t other[32] = {};
    wchar_t real[32] = {};
    if (GetVolumeInformationW(L"U:\\", nullptr, 0, nullptr, nullptr, nullptr, real, 32)) {
        ASSERT_TRUE(VolumeIoGetVolumeInformation(L"U:\\", nullptr, 0, nullptr, nullptr, nullptr, other, 32));
        EXPECT_STREQ(other, real);
    }
    VolumeIoClearDriveOptions();
    ASSERT_TRUE(VolumeIoGetVolumeInformation(L"T:\\", nullptr, 0, nullptr, nullptr, nullptr, fs, 32));
    GetVolumeInformationW(L"T:\\", nullptr, 0, nullptr, nullptr, nullptr, real, 32);
    EXPECT_STREQ(fs, real);

    // Forcing the layer's journal on a drive: served without the system's answer.
    VolumeIoResetForTests();
    VolumeIoDriveOptions force;
    force.forceStandIn = true;
    VolumeIoSetDriveOptions(L'T', force);
    ASSERT_NE(OpenVolume(), INVALID_HANDLE_VALUE);
    EXPECT_TRUE(Query(&d));
    EXPECT_EQ(d.UsnJournalID, j.UsnJournalID);
    EXPECT_TRUE(VolumeIoGetStandInStats(L'T').active);
}

struct WaitingRead {
    HANDLE volume;
    uint64_t journal;
    int64_t usn;
    BOOL ok = FALSE;
    DWORD error = 0;
    DWORD got = 0;
    std::vector<BYTE> buf = std::vector<BYTE>(65536);
    static DWORD WINAPI Run(void* p) {
        auto* w = static_cast<WaitingRead*>(p);
        VolumeIoReadUsnJournalDataV0 in{w->usn, 0xFFFFFFFF, 0, 0, 1, w->journal};
        w->ok = VolumeIoDeviceIoControl(w->volume, FSCTL_READ_USN_JOURNAL, &in, sizeof in, w->buf.data(),
                                        (DWORD)w->buf.size(), &w->got, nullptr);
        w->error = w->ok ? 0 : GetLastError();
        return 0;
    }
};

TEST_F(VolumeIoDrive, WaitingReadsEndOnChangeOrCancellation) {
    auto j = OpenJournal();
    EnumerateAll(j.NextUsn);
    VolumeIoUsnJournalDataV0 now{};
    ASSERT_TRUE(Query(&now));
    for (int how = 0; how < 3; ++how) {
        WaitingRead w{volume_, j.UsnJournalID, now.NextUsn};
        HANDLE t = CreateThread(nullptr, 0, &WaitingRead::Run, &w, 0, nullptr);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(WaitForSingleObject(t, 400), (DWORD)WAIT_TIMEOUT) << "the read waits for data";
        auto t0 = std::chrono::steady_clock::now();
        if (how == 0) {
            EXPECT_TRUE(VolumeIoCancelSynchronousIo(t));
        } else if (how == 1) {
            EXPECT_TRUE(VolumeIoCancelIoEx(volume_, nullptr));
        } else {
            Host("echo w > waited.txt");
        }
        ASSERT_EQ(WaitForSingleObject(t, 8000), (DWORD)WAIT_OBJECT_0);
        CloseHandle(t);
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
        if (how < 2) {
            EXPECT_FALSE(w.ok);
            EXPECT_EQ(w.error, (DWORD)ERROR_OPERATION_ABORTED);
            EXPECT_LT(ms, 1000);
        } else {
            ASSERT_TRUE(w.ok) << w.error;
            EXPECT_TRUE(Find(ParseRecords(w.buf, w.got), L"waited.txt", kCreate));
        }
    }
}

// A monitor reads while other threads query and enumerate the same drive and files change.
TEST_F(VolumeIoDrive, ConcurrentReadersQueriesAndEnumerations) {
    Host("mkdir -p d0 d1 d2 d3 && for i in $(seq 1 50); do : > d0/f$i; done");
    auto j = OpenJournal();
    EnumerateAll(j.NextUsn);
    std::atomic<bool> stop{false};
    std::atomic<int> failures{0};
    auto reader = [&] {
        std::vector<BYTE> buf(4096);   // small: several reads per batch of changes
        int64_t usn = j.NextUsn;
        std::set<std::wstring> seen;
        auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while ((!stop || seen.size() < 40) && std::chrono::steady_clock::now() < limit) {
            VolumeIoReadUsnJournalDataV0 in{usn, kCreate, 0, 0, 0, j.UsnJournalID};
            DWORD got = 0;
            if (!VolumeIoDeviceIoControl(volume_, FSCTL_READ_USN_JOURNAL, &in, sizeof in, buf.data(), 4096, &got, nullptr)) {
                ++failures;
                break;
            }
            for (auto& r : ParseRecords(buf, got)) seen.insert(r.name);
            memcpy(&usn, buf.data(), 8);
            if (stop && seen.size() < 40) Sleep(20);
        }
        if (seen.size() < 40) ++failures;
    };
    auto querier = [&] {
        while (!stop) {
            VolumeIoUsnJournalDataV0 d{};
            DWORD got = 0;
            if (!VolumeIoDeviceIoControl(volume_, FSCTL_QUERY_USN_JOURNAL, nullptr, 0, &d, sizeof d, &got, nullptr) ||
                d.UsnJournalID != j.UsnJournalID)
                ++failures;
            VolumeIoMftEnumDataV0 e{0, 0, 0x7FFFFFFFFFFFFFFFll};
            std::vector<BYTE> buf(65536);
            if (!VolumeIoDeviceIoControl(volume_, FSCTL_ENUM_USN_DATA, &e, sizeof e, buf.data(), 65536, &got, nullptr)) ++failures;
            ParseRecords(buf, got);
        }
    };
    std::thread r1(reader), r2(reader), q1(querier);
    for (int k = 1; k <= 4; ++k)
        Host("for i in $(seq 1 10); do : > d" + std::to_string(k % 4) + "/new" + std::to_string(k) + "_$i; done; mv d0/f" +
             std::to_string(k) + " d1/");
    stop = true;
    r1.join();
    r2.join();
    q1.join();
    EXPECT_EQ(failures.load(), 0);
}

TEST(VolumeIo, PassesPlainFileCallsThrough) {
    std::wstring dir = testfx::MakeScratchDir(L"volumeio-plain");
    std::wstring path = dir + L"\\a.txt";
    ASSERT_TRUE(testfx::WriteFileBytes(path, "hello"));
    HANDLE h = VolumeIoCreateFile(path.c_str(), GENERIC_READ, 7, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER to{};
    to.QuadPart = 1;
    EXPECT_TRUE(VolumeIoSetFilePointerEx(h, to, nullptr, FILE_BEGIN));
    char buf[16]{};
    DWORD got = 0;
    EXPECT_TRUE(VolumeIoReadFile(h, buf, sizeof buf, &got, nullptr));
    EXPECT_EQ(std::string(buf, got), "ello");
    EXPECT_TRUE(VolumeIoCloseHandle(h));
    EXPECT_EQ(VolumeIoCreateFile((dir + L"\\missing").c_str(), GENERIC_READ, 7, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
}

}  // namespace
