// The text sort of the Name, Type and Path columns over a small volume: stale rows dropped,
// ASCII-only folding, both directions, and a stale request giving up.
#include <gtest/gtest.h>

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
