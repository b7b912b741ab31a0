// Size-range and date parsing, the size and date classes, with a fixed clock and time zone.
#include <gtest/gtest.h>

#include <cmath>

#include "search/Search.h"

namespace {

// Fixed clock: 2024-03-15 12:00:00 UTC; the local zone is UTC+2 without daylight saving.
SYSTEMTIME FixedUtcNow() {
    SYSTEMTIME st{};
    st.wYear = 2024;
    st.wMonth = 3;
    st.wDay = 15;
    st.wHour = 12;
    return st;
}
void FakeSystemNow(FILETIME* out) {
    SYSTEMTIME st = FixedUtcNow();
    SystemTimeToFileTime(&st, out);
}
void FakeLocalNow(SYSTEMTIME* out) {
    *out = FixedUtcNow();
    out->wHour = 14;
}
BOOL FakeLocalToUtc(const SYSTEMTIME* local, SYSTEMTIME* utc) {
    FILETIME ft{};
    if (!SystemTimeToFileTime(local, &ft)) return FALSE;
    uint64_t v = FileTimeToU64(ft) - 2ull * 3600 * 10000000;
    FILETIME o = U64ToFileTime(v);
    return FileTimeToSystemTime(&o, utc);
}
BOOL FailingLocalToUtc(const SYSTEMTIME*, SYSTEMTIME*) { return FALSE; }

uint64_t Utc(int y, int mo, int d, int h, int mi, int s, int ms) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(mo);
    st.wDay = static_cast<WORD>(d);
    st.wHour = static_cast<WORD>(h);
    st.wMinute = static_cast<WORD>(mi);
    st.wSecond = static_cast<WORD>(s);
    st.wMilliseconds = static_cast<WORD>(ms);
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    return FileTimeToU64(ft);
}

class FixedClock : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = g_filterTimeSource;
        g_filterTimeSource = {FakeSystemNow, FakeLocalNow, FakeLocalToUtc};
    }
    void TearDown() override { g_filterTimeSource = saved_; }
    FilterTimeSource saved_{};
};

}  // namespace

TEST(SizeRange, ParsesTheTableOfTexts) {
    struct Case {
        const wchar_t* text;
        int unit;
        bool ok;
        int64_t min;
        int64_t max;
    };
    const Case cases[] = {
        {L"1-100", 2, true, 1048576, 104857600},
        {L"1.5-2", 1, true, 1536, 2048},
        {L"100-", 2, true, 104857600, -1},
        {L"-100", 2, true, -1, 104857600},
        {L"1 - 100", 2, true, 1048576, 104857600},
        {L"1(MB)-100(MB)", 2, true, 1048576, 104857600},
        {L"  5-5  ", 0, true, 5, 5},
        {L"abc-10", 2, true, 0, 10485760},
        {L"0-1", 3, true, 0, 1073741824},
        {L"1-2", 9, true, 1048576, 2097152},  // unknown unit counts as MB
        {L"-", 2, false, 0, 0},
        {L"", 2, false, 0, 0},
        {L"   ", 2, false, 0, 0},
        {L"100", 2, false, 0, 0},
        {L"50-10", 2, false, 0, 0},
        {L"1--5", 2, false, 0, 0},          // negative maximum
        // Numbers that do not fit: rejected instead of converted.
        {L"inf-", 0, false, 0, 0},
        {L"-infinity", 0, false, 0, 0},
        {L"nan-5", 0, false, 0, 0},
        {L"1-nan", 0, false, 0, 0},
        {L"1e300-", 0, false, 0, 0},
        {L"9000000000-", 3, false, 0, 0},    // 9e9 GB is beyond 2^63 bytes
        {L"-8589934592", 3, false, 0, 0},    // exactly 2^63 bytes
        {L"-8589934591", 3, true, -1, 9223372035781033984LL},
    };
    for (const auto& c : cases) {
        int64_t mn = -1, mx = -1;
        const bool ok = ParseSizeRangeText(c.text, c.unit, mn, mx);
        EXPECT_EQ(c.ok, ok) << "text '" << testing::PrintToString(std::wstring(c.text)) << "'";
        if (ok && c.ok) {
            EXPECT_EQ(c.min, mn) << testing::PrintToString(std::wstring(c.text));
            EXPECT_EQ(c.max, mx) << testing::PrintToString(std::wstring(c.text));
        }
    }
}

TEST(SizeRange, StripParenthesizedCutsAtFirstParenthesis) {
    std::wstring s = L" 12 (MB) (x)";
    StripParenthesized(s);
    EXPECT_EQ(L"12", s);
    s = L"7";
    StripParenthesized(s);
    EXPECT_EQ(L"7", s);
}

TEST(SizeClasses, BoundariesOfEveryMode) {
    SizeDateFilterParams p;
    struct Case {
        int mode;
        int64_t size;
        bool pass;
    };
    const Case cases[] = {
        {0, 1LL << 40, true},       {1, 1048575, true},        {1, 1048576, false},
        {2, 1048575, false},        {2, 1048576, true},        {2, 104857600, true},
        {2, 104857601, false},      {3, 104857600, false},     {3, 104857601, true},
        {7, 0, true},
    };
    for (const auto& c : cases) {
        p.sizeMode = c.mode;
        EXPECT_EQ(c.pass, SizePassesFilter(p, c.size)) << c.mode << " " << c.size;
    }
    p.sizeMode = 4;
    p.customSizeValid = true;
    p.customMin = 1048576;
    p.customMax = 104857600;
    EXPECT_TRUE(SizePassesFilter(p, 104857600));
    EXPECT_FALSE(SizePassesFilter(p, 104857601));
    EXPECT_FALSE(SizePassesFilter(p, 1048575));
    p.customMax = -1;
    EXPECT_TRUE(SizePassesFilter(p, 1LL << 50));
    p.customSizeValid = false;  // an invalid text lets every file pass
    EXPECT_TRUE(SizePassesFilter(p, 0));
}

TEST(FilterDates, ParseFilterDateIntRejectsImpossibleDates) {
    struct Case {
        int value;
        bool ok;
    };
    const Case cases[] = {
        {20240315, true}, {20240229, true},  {20230229, false}, {20240231, false},
        {20240431, false}, {20241231, true}, {20241301, false}, {20240100, false},
        {19691231, false}, {19700101, true}, {0, false},        {-20240101, false},
        {21000229, false}, {20000229, true}, {2147483647, false},
    };
    for (const auto& c : cases) {
        SYSTEMTIME st{};
        EXPECT_EQ(c.ok, ParseFilterDateInt(c.value, st)) << c.value;
        if (c.ok) {
            EXPECT_EQ(c.value, SystemTimeToYyyymmdd(st));
        }
    }
}

TEST_F(FixedClock, RelativeDateClasses) {
    SizeDateFilterParams p;
    const uint64_t now = Utc(2024, 3, 15, 12, 0, 0, 0);
    p.dateMode = 2;
    FillFilterClock(p);
    EXPECT_EQ(now, p.now);
    EXPECT_EQ(0u, p.todayStart);  // only the Today mode needs it
    EXPECT_TRUE(TimePassesFilter(p, now - 6048000000000ull));
    EXPECT_FALSE(TimePassesFilter(p, now - 6048000000000ull - 1));
    EXPECT_TRUE(TimePassesFilter(p, now + 10));  // future times pass
    EXPECT_FALSE(TimePassesFilter(p, 0));        // no time never passes
    p.dateMode = 3;
    EXPECT_TRUE(TimePassesFilter(p, now - 25920000000000ull));
    EXPECT_FALSE(TimePassesFilter(p, now - 25920000000000ull - 1));

    // Today: local midnight of 2024-03-15 in UTC+2 is 2024-03-14 22:00 UTC.
    p.dateMode = 1;
    FillFilterClock(p);
    EXPECT_EQ(Utc(2024, 3, 14, 22, 0, 0, 0), p.todayStart);
    EXPECT_TRUE(TimePassesFilter(p, Utc(2024, 3, 14, 22, 0, 0, 0)));
    EXPECT_FALSE(TimePassesFilter(p, Utc(2024, 3, 14, 21, 59, 59, 999)));

    // A failed conversion leaves todayStart 0: every non-zero time passes Today.
    g_filterTimeSource.localToUtc = FailingLocalToUtc;
    FillFilterClock(p);
    EXPECT_EQ(0u, p.todayStart);
    EXPECT_TRUE(TimePassesFilter(p, 1));
}

TEST_F(FixedClock, CustomDateRangeIsSwappedAndInclusive) {
    SizeDateFilterParams p;
    p.dateMode = 4;
    p.pickersValid = true;
    ASSERT_TRUE(ParseFilterDateInt(20240310, p.pickerFrom));
    ASSERT_TRUE(ParseFilterDateInt(20240305, p.pickerTo));
    PrepareCustomDateRange(p);
    ASSERT_TRUE(p.customDateValid);
    // Local 2024-03-05 00:00 .. 2024-03-10 23:59:59.999 at UTC+2.
    EXPECT_EQ(Utc(2024, 3, 4, 22, 0, 0, 0), p.customStart);
    EXPECT_EQ(Utc(2024, 3, 10, 21, 59, 59, 999), p.customEnd);
    EXPECT_TRUE(TimePassesFilter(p, Utc(2024, 3, 10, 21, 59, 59, 999)));
    EXPECT_FALSE(TimePassesFilter(p, Utc(2024, 3, 10, 22, 0, 0, 0)));
    EXPECT_TRUE(TimePassesFilter(p, Utc(2024, 3, 4, 22, 0, 0, 0)));
    EXPECT_FALSE(TimePassesFilter(p, Utc(2024, 3, 4, 21, 59, 59, 999)));

    // Without pickers the filtered view lets nothing pass; the counts let everything pass.
    p.pickersValid = false;
    PrepareCustomDateRange(p);
    EXPECT_FALSE(p.customDateValid);
    p.invalidCustomDatePasses = false;
    EXPECT_FALSE(TimePassesFilter(p, Utc(2024, 3, 6, 0, 0, 0, 0)));
    p.invalidCustomDatePasses = true;
    EXPECT_TRUE(TimePassesFilter(p, Utc(2024, 3, 6, 0, 0, 0, 0)));
}
TEST_F(FixedClock, SearchSnapshotRejectsAnImpossibleStoredDate) {
    const int savedMode = g_dateFilterMode, savedFrom = g_customDateFrom, savedTo = g_customDateTo;
    g_dateFilterMode = 4;
    g_customDateFrom = 20240231;  // 31 February: no such day
    g_customDateTo = 20240305;
    SizeDateFilterParams p = BuildSearchSizeDateFilterParams();
    EXPECT_FALSE(p.customDateValid);
    g_customDateFrom = 20240301;
    p = BuildSearchSizeDateFilterParams();
    EXPECT_TRUE(p.customDateValid);
    EXPECT_EQ(Utc(2024, 2, 29, 22, 0, 0, 0), p.customStart);
    g_dateFilterMode = savedMode;
    g_customDateFrom = savedFrom;
    g_customDateTo = savedTo;
}
