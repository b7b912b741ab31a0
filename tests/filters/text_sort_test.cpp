// The text sort of the Name, Type and Path columns over a small volume: stale rows dropped,
// ASCII-only folding, both directions, and a stale request giving up.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "results/Results.h"
#include "search/Search.h"
#include "search/SortKeys.h"
#include "volume_fixture.h"

TEST(TextSort, NameTypeAndPathOrders) {
    TestVolume vol;
    const uint32_t b = vol.Add(L"beta.TXT");
    const uint32_t a = vol.Add(L"Alpha.doc");
    const uint32_t dir = vol.Add(L"zeta", true);
    const uint32_t gone = vol.Add(L"gone.txt");
    vol.Delete(gone);
    const uint32_t c = vol.Add(L"gamma");
    const std::vector<MatchItem> rows = {vol.Row(b), vol.Row(a), vol.Row(dir), vol.Row(gone), vol.Row(c),
                                         MatchItem{nullptr, 0}, MatchItem{vol.v.get(), 999}};
    SortRequest req;
    req.generation = g_searchGeneration.load();
    std::vector<MatchItem> out;
    struct Case {
        int column;
        bool ascending;
        std::vector<uint32_t> expected;
    };
    const Case cases[] = {
        {1, true, {a, b, c, dir}},    // names, ASCII case folded; deleted and vanished rows dropped
        {1, false, {dir, c, b, a}},
        {5, true, {dir, c, a, b}},    // type: "" (folder), "" (no dot), .doc, .txt
        {6, false, {dir, c, b, a}},   // path: T:\zeta, T:\gamma, T:\beta.TXT, T:\Alpha.doc
    };
    for (const auto& k : cases) {
        req.column = k.column;
        req.ascending = k.ascending;
        ASSERT_TRUE(SortRowsByText(req, rows, out));
        EXPECT_EQ(k.expected, RecordIndices(out)) << k.column << " " << k.ascending;
    }
    req.generation = g_searchGeneration.load() + 1;  // a newer search or sort exists
    EXPECT_FALSE(SortRowsByText(req, rows, out));
}

// A large set (sorted by several threads) over two volumes: names that share prefixes of every
// length, differ only in ASCII case, hold non-ASCII units (accented, CJK, full-width, U+FFFF),
// repeat across and within volumes, are prefixes of one another or empty, plus deleted rows. The
// order must equal the reference comparator on the folded texts, for every text column and both
// directions.
TEST(TextSort, LargeSetEqualsTheReferenceOrder) {
    TestVolume vols[2];
    std::mt19937 rng(2024);
    const wchar_t alphabet[] = {L'a', L'A', L'b', L'B', L'_', L'.', L'z', L'Z', 0x00E9, 0x00C9, 0x4E2D, 0xFF21, 0xFFFF};
    const std::wstring stems[] = {L"", L"report", L"Report_2024", L"REPORT_2024_final", L"abcde", L"ABCDEfghij"};
    std::vector<MatchItem> rows;
    std::vector<uint32_t> folders[2];
    for (int v = 0; v < 2; ++v)
        for (int f = 0; f < 4; ++f) folders[v].push_back(vols[v].Add(L"Dir" + std::to_wstring(f), true));
    for (uint32_t i = 0; i < 240000; ++i) {
        const int v = static_cast<int>(rng() % 2);
        std::wstring name = stems[rng() % 6];
        const size_t extra = rng() % 9;
        for (size_t c = 0; c < extra; ++c) name.push_back(alphabet[rng() % (sizeof(alphabet) / sizeof(alphabet[0]))]);
        const uint64_t parent = (rng() % 3) ? 5 : vols[v].Frn(folders[v][rng() % 4]);
        const uint32_t index = vols[v].Add(name, rng() % 16 == 0, parent);
        if (rng() % 50 == 0) vols[v].Delete(index);
        rows.push_back(vols[v].Row(index));
        if (rng() % 20 == 0) rows.push_back(vols[v].Row(index));  // the same row twice
    }
    std::shuffle(rows.begin(), rows.end(), rng);
    for (int column : {1, 5, 6}) {
        // The reference: live rows with their folded texts, ordered by NameSortRowLess.
        std::vector<NameSortRow> reference;
        for (const MatchItem& row : rows) {
            const FileRecord& rec = row.volume->records[row.recordIndex];
            if (rec.deleted) continue;
            std::wstring text(rec.name, rec.nameLength);
            if (column == 5) text = GetLowerExtension(rec.isDirectory != 0, text);
            if (column == 6) text = row.volume->BuildFullPath(row.recordIndex, nullptr);
            FoldAsciiInPlace(text);
            reference.push_back({row, text});
        }
        for (bool ascending : {true, false}) {
            auto expected = reference;
            const SortComparatorState st{column, ascending};
            std::sort(expected.begin(), expected.end(),
                      [&](const NameSortRow& a, const NameSortRow& b) { return NameSortRowLess(st, a, b); });
            SortRequest req;
            req.generation = g_searchGeneration.load();
            req.column = column;
            req.ascending = ascending;
            std::vector<MatchItem> out;
            ASSERT_TRUE(SortRowsByText(req, rows, out));
            ASSERT_EQ(expected.size(), out.size());
            size_t mismatches = 0, first = out.size();
            for (size_t i = 0; i < out.size(); ++i) {
                if (!(expected[i].item == out[i])) {
                    ++mismatches;
                    first = std::min(first, i);
                }
            }
            EXPECT_EQ(0u, mismatches) << "column " << column << " ascending " << ascending << " first at " << first;
        }
    }
}

// Size and time sorts of a large set over two volumes (sorted by several threads): the order
// equals SortKeyLess on each row's key, folders and files, cached and missing attributes, equal
// values, rows past the end of the records.
TEST(TextSort, LargeKeySortEqualsTheComparatorOrder) {
    TestVolume vols[2];
    std::mt19937 rng(77);
    std::vector<MatchItem> rows;
    for (uint32_t i = 0; i < 120000; ++i) {
        const int v = static_cast<int>(rng() % 2);
        const bool folder = rng() % 10 == 0;
        const uint32_t index = vols[v].Add(L"f" + std::to_wstring(i), folder);
        const uint32_t kind = rng() % 8;
        if (!folder && kind < 5) vols[v].SetAttr(index, rng() % 50, rng() % 4 * 1000, rng() % 3 * 700, kind != 0);
        if (!folder && kind == 5) vols[v].SetMapSize(index, static_cast<int64_t>(rng() % 40) - 5);
        rows.push_back(vols[v].Row(index));
        if (rng() % 500 == 0) rows.push_back(MatchItem{vols[v].v.get(), 5000000 + i});  // past the end
    }
    std::shuffle(rows.begin(), rows.end(), rng);
    for (int column : {2, 3, 4}) {
        for (bool ascending : {true, false}) {
            std::vector<SortKey> keys(rows.size());
            for (size_t i = 0; i < rows.size(); ++i) MakeSortKeys(rows[i].volume, &rows[i], 1, column, &keys[i]);
            const SortComparatorState st{column, ascending};
            std::sort(keys.begin(), keys.end(), [&](const SortKey& a, const SortKey& b) { return SortKeyLess(st, a, b); });
            std::vector<MatchItem> actual = rows;
            BuildSortKeys(actual, column, ascending);
            ASSERT_EQ(keys.size(), actual.size());
            size_t mismatches = 0;
            for (size_t i = 0; i < actual.size(); ++i) mismatches += keys[i].item == actual[i] ? 0 : 1;
            EXPECT_EQ(0u, mismatches) << "column " << column << " ascending " << ascending;
        }
    }
}
