// The name signatures' claim protocol and bookkeeping (the search's use of them is tested with
// the name search).
#include <gtest/gtest.h>

#include <windows.h>
#include <winioctl.h>

#include <string>

#include "index/Index.h"
#include "UsnTestData.h"

namespace {

bool HasAll(const uint64_t* set, const std::wstring& text) {
    uint64_t bits[NameSignatures::kBlockWords] = {};
    NameSignatures::AddTextBits(bits, text.data(), text.size());
    for (size_t w = 0; w < NameSignatures::kBlockWords; ++w)
        if ((set[w] & bits[w]) != bits[w]) return false;
    return true;
}

TEST(NameSignatures, SubstringsHaveTheirBitsAndOthersMostlyNot) {
    uint64_t set[NameSignatures::kBlockWords] = {};
    const std::wstring name = L"annual report 2024.docx";
    NameSignatures::AddTextBits(set, name.data(), name.size());
    for (const wchar_t* part : {L"an", L"report", L"l r", L"2024.docx", L"annual report 2024.docx"})
        EXPECT_TRUE(HasAll(set, part)) << testing::PrintToString(std::wstring(part));
    int absent = 0;
    for (const wchar_t* other : {L"zebra", L"qqq", L"xylophone", L"\u5317\u4eac", L"tropper"}) absent += !HasAll(set, other);
    EXPECT_GE(absent, 4);
    NameSignatures::AddTextBits(set, nullptr, 5);  // nothing to add
    NameSignatures::AddTextBits(set, name.data(), 0);
}

TEST(NameSignatures, ClaimSignInvalidateAndClear) {
    NameSignatures sigs;
    EXPECT_EQ(sigs.Find(3), nullptr);
    EXPECT_EQ(sigs.MemoryBytes(), 0u);

    uint64_t* bits = sigs.BeginSign(3);
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(sigs.BeginSign(3), nullptr);  // one signer per block
    EXPECT_EQ(sigs.Find(3), nullptr);       // not usable before it is finished
    bits[0] = 0x5;
    sigs.AbandonSign(3);  // a stopped scan gives its claim back
    EXPECT_EQ(sigs.Find(3), nullptr);
    bits = sigs.BeginSign(3);
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(bits[0], 0u);  // a new claim starts from an empty set
    bits[1] = 0x9;
    sigs.EndSign(3);
    ASSERT_NE(sigs.Find(3), nullptr);
    EXPECT_EQ(sigs.Find(3)[1], 0x9u);
    EXPECT_EQ(sigs.BeginSign(3), nullptr);
    EXPECT_GT(sigs.MemoryBytes(), 0u);
    EXPECT_EQ(sigs.SignedBlocks(), 1u);

    // A renamed record drops its own block's signature only.
    ASSERT_NE(sigs.BeginSign(4), nullptr);
    sigs.EndSign(4);
    sigs.Invalidate(3 * NameSignatures::kBlockRecords + 5);
    EXPECT_EQ(sigs.Find(3), nullptr);
    EXPECT_NE(sigs.Find(4), nullptr);
    EXPECT_EQ(sigs.SignedBlocks(), 1u);
    sigs.Invalidate(3 * NameSignatures::kBlockRecords);  // already unsigned: counted once
    EXPECT_EQ(sigs.SignedBlocks(), 1u);
    sigs.Invalidate(size_t(1) << 40);  // far past any segment: nothing happens

    // Blocks in other segments and past the largest record index.
    ASSERT_NE(sigs.BeginSign(100000), nullptr);
    sigs.EndSign(100000);
    EXPECT_NE(sigs.Find(100000), nullptr);
    EXPECT_EQ(sigs.BeginSign((size_t(1) << 32) / NameSignatures::kBlockRecords), nullptr);

    EXPECT_EQ(sigs.SignedBlocks(), 2u);
    sigs.Clear();
    EXPECT_EQ(sigs.SignedBlocks(), 0u);
    EXPECT_EQ(sigs.Find(4), nullptr);
    EXPECT_EQ(sigs.Find(100000), nullptr);
    EXPECT_NE(sigs.BeginSign(4), nullptr);  // usable again after clearing
}

// The writers' hooks: a record renamed in place or by the journal, and a rebuild's clearing.
TEST(NameSignatures, WritersDropTheSignaturesTheyOutdate) {
    VolumeIndex v;
    v.root = L"T:";
    for (int i = 0; i < 130; ++i) {
        FileRecord r{};
        r.frn = 0x40 + i;
        r.parentFrn = 5;
        const std::wstring n = L"f" + std::to_wstring(i);
        r.name = v.names.Append(n.c_str(), n.size());
        r.nameLength = static_cast<uint16_t>(n.size());
        v.records.push_back(r);
        v.frnToRecord.Insert(r.frn, i);
    }
    for (size_t b = 0; b < 2; ++b) {
        ASSERT_NE(v.nameSignatures.BeginSign(b), nullptr);
        v.nameSignatures.EndSign(b);
    }
    AcquireSRWLockExclusive(&v.indexLock);
    EXPECT_TRUE(v.RenameRecord(70, L"renamed", 7));
    ReleaseSRWLockExclusive(&v.indexLock);
    EXPECT_NE(v.nameSignatures.Find(0), nullptr);
    EXPECT_EQ(v.nameSignatures.Find(1), nullptr);

    // Journal: a rename of record 3 (frn 0x43).
    const std::vector<uint8_t> buf = usntest::MakeBuffer(1000, {{0x43, 5, L"moved", USN_REASON_RENAME_NEW_NAME}});
    ASSERT_NE(v.nameSignatures.BeginSign(1), nullptr);
    v.nameSignatures.EndSign(1);
    AcquireSRWLockExclusive(&v.indexLock);
    v.ApplyUsnJournalBuffer(buf.data(), static_cast<uint32_t>(buf.size()));
    ReleaseSRWLockExclusive(&v.indexLock);
    EXPECT_EQ(std::wstring(v.records[3].name, v.records[3].nameLength), L"moved");
    EXPECT_EQ(v.nameSignatures.Find(0), nullptr);
    EXPECT_NE(v.nameSignatures.Find(1), nullptr);

    AcquireSRWLockExclusive(&v.indexLock);
    v.ResetContents();
    ReleaseSRWLockExclusive(&v.indexLock);
    EXPECT_EQ(v.nameSignatures.Find(1), nullptr);
}

}  // namespace
