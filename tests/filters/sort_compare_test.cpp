// The sort comparators for every column and direction.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>

#include "search/SortKeys.h"

namespace {

VolumeIndex* const kVolA = reinterpret_cast<VolumeIndex*>(0x1000);
VolumeIndex* const kVolB = reinterpret_cast<VolumeIndex*>(0x2000);

SortKey Key(uint32_t id, bool folder, bool hasValue, int64_t size, uint64_t lastWrite, uint64_t creation,
            VolumeIndex* v = kVolA) {
    SortKey k;
    k.item = MatchItem{v, id};
    k.isFolder = folder ? 1 : 0;
    k.hasValue = hasValue ? 1 : 0;
    k.size = size;
    k.lastWrite = U64ToFileTime(lastWrite);
    k.creation = U64ToFileTime(creation);
    return k;
}

std::vector<uint32_t> SortedIds(std::vector<SortKey> keys, int column, bool ascending) {
    const SortComparatorState st{column, ascending};
    std::sort(keys.begin(), keys.end(), [&](const SortKey& a, const SortKey& b) { return SortKeyLess(st, a, b); });
    std::vector<uint32_t> ids;
    for (const auto& k : keys) ids.push_back(k.item.recordIndex);
    return ids;
}

std::vector<uint32_t> SortedNames(std::vector<NameSortRow> rows, bool ascending) {
    for (auto& r : rows) FoldAsciiInPlace(r.text);
    const SortComparatorState st{1, ascending};
    std::sort(rows.begin(), rows.end(), [&](const NameSortRow& a, const NameSortRow& b) { return NameSortRowLess(st, a, b); });
    std::vector<uint32_t> ids;
    for (const auto& r : rows) ids.push_back(r.item.recordIndex);
    return ids;
}

}  // namespace

TEST(SortKeys, SizeMixesFoldersAndFilesAndKeepsRowsWithoutValueLast) {
    const std::vector<SortKey> keys = {
        Key(1, false, true, 10, 0, 0),  Key(2, true, true, 500, 0, 0),  Key(3, false, false, 0, 0, 0),
        Key(4, false, true, 0, 0, 0),   Key(5, true, false, 0, 0, 0),   Key(6, false, true, -3, 0, 0),
        Key(7, false, true, 10, 0, 0, kVolB), Key(0, false, true, 10, 0, 0, kVolB),
    };
    // Descending: largest first; equal sizes by volume address then record index; no value last.
    EXPECT_EQ((std::vector<uint32_t>{2, 1, 0, 7, 4, 6, 3, 5}), SortedIds(keys, 2, false));
    // Ascending: smallest first (zero and negative below every positive); no value still last.
    EXPECT_EQ((std::vector<uint32_t>{6, 4, 1, 0, 7, 2, 3, 5}), SortedIds(keys, 2, true));
}

TEST(SortKeys, TimesPutFoldersFirstAscendingAndFilesFirstDescending) {
    const std::vector<SortKey> keys = {
        Key(1, false, true, 0, 300, 50), Key(2, false, true, 0, 100, 70), Key(3, false, false, 0, 0, 0),
        Key(4, true, true, 99, 0, 0),    Key(5, true, false, 0, 0, 0),    Key(6, false, true, 0, 200, 60),
    };
    // Modified ascending: folders (with value first), then files by last-write time, then no time.
    EXPECT_EQ((std::vector<uint32_t>{4, 5, 2, 6, 1, 3}), SortedIds(keys, 3, true));
    // Modified descending: files first, latest first, those without a time after; then folders.
    EXPECT_EQ((std::vector<uint32_t>{1, 6, 2, 3, 4, 5}), SortedIds(keys, 3, false));
    // Created uses the creation times.
    EXPECT_EQ((std::vector<uint32_t>{4, 5, 1, 6, 2, 3}), SortedIds(keys, 4, true));
    EXPECT_EQ((std::vector<uint32_t>{2, 6, 1, 3, 4, 5}), SortedIds(keys, 4, false));
}

TEST(SortKeys, NamesFoldOnlyAsciiAndTieBreakOnVolumeAndRecord) {
    std::vector<NameSortRow> rows = {
        {MatchItem{kVolB, 1}, L"beta"},  {MatchItem{kVolA, 9}, L"Alpha"}, {MatchItem{kVolA, 2}, L"alpha"},
        {MatchItem{kVolA, 3}, L"\u00c9t\u00e9"}, {MatchItem{kVolA, 4}, L"\u00e9t\u00e9"},
        {MatchItem{kVolA, 5}, L"Zed"},   {MatchItem{kVolA, 6}, L""},
    };
    // Ascending: empty first; alpha/Alpha by record index; accented letters compare by code unit
    // (E-acute U+00C9 before e-acute U+00E9, both after every ASCII letter).
    EXPECT_EQ((std::vector<uint32_t>{6, 2, 9, 1, 5, 3, 4}), SortedNames(rows, true));
    // Descending reverses the texts but keeps the tie-break ascending.
    EXPECT_EQ((std::vector<uint32_t>{4, 3, 5, 1, 2, 9, 6}), SortedNames(rows, false));
}

TEST(SortKeys, HydrationThreadCount) {
    EXPECT_EQ(2u, SortHydrateThreadCount(0));
    EXPECT_EQ(2u, SortHydrateThreadCount(1));
    EXPECT_EQ(2u, SortHydrateThreadCount(5));
    EXPECT_EQ(4u, SortHydrateThreadCount(8));
    EXPECT_EQ(6u, SortHydrateThreadCount(13));
    EXPECT_EQ(6u, SortHydrateThreadCount(64));
}

// The five-unit form of a key orders keys as SortKeyLess does before its tie-break, for every
// size and time column and both directions: negative, zero and huge sizes, times with the top bit
// set, folders and files with and without values.
TEST(SortKeys, EncodedKeysOrderAsTheComparator) {
    std::mt19937_64 rng(99);
    const int64_t sizes[] = {0, 1, -1, -3, 10, 4096, INT64_MAX, INT64_MIN, 1ll << 40};
    const uint64_t times[] = {0, 1, 0xFFFFFFFFull, 0x100000000ull, 0x8000000000000000ull, 0xFFFFFFFFFFFFFFFFull, 133000000000000000ull};
    std::vector<SortKey> keys;
    for (uint32_t i = 0; i < 4000; ++i) {
        keys.push_back(Key(i, rng() % 3 == 0, rng() % 4 != 0, sizes[rng() % 9], times[rng() % 7], times[rng() % 7],
                           rng() % 2 ? kVolA : kVolB));
    }
    for (int column : {2, 3, 4}) {
        for (bool ascending : {true, false}) {
            const SortComparatorState st{column, ascending};
            auto encodedLess = [&](const SortKey& a, const SortKey& b) {
                wchar_t ua[kSortKeyUnits], ub[kSortKeyUnits];
                EncodeSortKey(st, a, ua);
                EncodeSortKey(st, b, ub);
                for (size_t i = 0; i < kSortKeyUnits; ++i)
                    if (ua[i] != ub[i]) return static_cast<uint16_t>(ua[i]) < static_cast<uint16_t>(ub[i]);
                if (a.item.volume != b.item.volume) return std::less<const void*>()(a.item.volume, b.item.volume);
                return a.item.recordIndex < b.item.recordIndex;
            };
            auto expected = keys;
            std::sort(expected.begin(), expected.end(), [&](const SortKey& a, const SortKey& b) { return SortKeyLess(st, a, b); });
            auto actual = keys;
            std::sort(actual.begin(), actual.end(), encodedLess);
            for (size_t i = 0; i < keys.size(); ++i)
                ASSERT_TRUE(expected[i].item == actual[i].item) << column << " " << ascending << " at " << i;
        }
    }
}
