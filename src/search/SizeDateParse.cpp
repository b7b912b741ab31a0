// Size and date filters: settings, parsing of the custom size range and of stored dates, the
// size-class and date-class tests, and the clock seam they use.
#include <cmath>
#include <cwchar>

#include "core/Core.h"
#include "search/Search.h"

namespace {

void RealSystemTimeNow(FILETIME* out) { GetSystemTimeAsFileTime(out); }
void RealLocalTimeNow(SYSTEMTIME* out) { GetLocalTime(out); }
BOOL RealLocalToUtc(const SYSTEMTIME* local, SYSTEMTIME* utc) {
    return TzSpecificLocalTimeToSystemTime(nullptr, local, utc);
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && IsLeapYear(year)) return 29;
    return kDays[month - 1];
}

bool LocalToUtcFileTime(const SYSTEMTIME& local, uint64_t& out) {
    SYSTEMTIME utc{};
    if (!g_filterTimeSource.localToUtc || !g_filterTimeSource.localToUtc(&local, &utc)) return false;
    FILETIME ft{};
    if (!SystemTimeToFileTime(&utc, &ft)) return false;
    out = FileTimeToU64(ft);
    return true;
}

// Largest double below 2^63: products at or above it do not fit a signed 64-bit number.
constexpr double kInt64Limit = 9223372036854775808.0;

// One bound of the custom range: false for a negative, infinite, NaN or too large number.
bool ParseSizeBound(const std::wstring& text, int64_t multiplier, int64_t& out) {
    const double v = wcstod(text.c_str(), nullptr);
    if (std::isnan(v) || v < 0) return false;
    const double bytes = v * static_cast<double>(multiplier);
    if (!std::isfinite(bytes) || bytes >= kInt64Limit) return false;
    out = static_cast<int64_t>(bytes);
    return true;
}

}  // namespace

int g_sizeFilterMode = 0;
int g_dateFilterMode = 0;
int g_sizeFilterUnit = 2;
std::wstring g_customSizeText = L"1-100";
std::atomic<uint32_t> g_customSizeTextHash{0};
int g_customDateFrom = 0;
int g_customDateTo = 0;
FilterTimeSource g_filterTimeSource = {RealSystemTimeNow, RealLocalTimeNow, RealLocalToUtc};

FILETIME U64ToFileTime(uint64_t v) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(v & 0xFFFFFFFFu);
    ft.dwHighDateTime = static_cast<DWORD>(v >> 32);
    return ft;
}

uint64_t FileTimeToU64(const FILETIME& ft) {
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

int64_t SizeUnitMultiplier(int unit) {
    switch (unit) {
        case 0: return 1;
        case 1: return 1024;
        case 2: return 1048576;
        case 3: return 1073741824;
        default: return 1048576;
    }
}

void StripParenthesized(std::wstring& s) {
    size_t p = s.find(L'(');
    if (p != std::wstring::npos) s.erase(p);
    TrimWhitespace(s);
}

bool ParseSizeRangeText(const std::wstring& text, int unit, int64_t& outMin, int64_t& outMax) {
    std::wstring s = text;
    TrimWhitespace(s);
    if (s.empty()) return false;
    std::wstring compact;
    compact.reserve(s.size());
    for (wchar_t ch : s)
        if (ch != L' ') compact.push_back(ch);
    if (compact.empty()) return false;
    size_t dash = compact.find(L'-');
    if (dash == std::wstring::npos) return false;
    std::wstring lo = compact.substr(0, dash);
    std::wstring hi = compact.substr(dash + 1);
    StripParenthesized(lo);
    StripParenthesized(hi);
    const int64_t mult = SizeUnitMultiplier(unit);
    outMin = outMax = -1;
    if (!lo.empty() && !ParseSizeBound(lo, mult, outMin)) return false;
    if (!hi.empty() && !ParseSizeBound(hi, mult, outMax)) return false;
    if (outMin >= 0) return outMax < 0 || outMin <= outMax;
    return outMax >= 0;
}

bool ParseFilterDateInt(int value, SYSTEMTIME& out) {
    if (value < 19700000) return false;
    const int year = value / 10000;
    const int month = (value / 100) % 100;
    const int day = value % 100;
    if (month < 1 || month > 12 || day < 1 || day > 31) return false;
    if (year > 30827 || day > DaysInMonth(year, month)) return false;
    out = SYSTEMTIME{};
    out.wYear = static_cast<WORD>(year);
    out.wMonth = static_cast<WORD>(month);
    out.wDay = static_cast<WORD>(day);
    return true;
}

int SystemTimeToYyyymmdd(const SYSTEMTIME& st) { return st.wYear * 10000 + st.wMonth * 100 + st.wDay; }

bool LocalDayRangeToUtc(SYSTEMTIME first, SYSTEMTIME last, uint64_t& start, uint64_t& end) {
    if (SystemTimeToYyyymmdd(first) > SystemTimeToYyyymmdd(last)) std::swap(first, last);
    SYSTEMTIME a{};
    a.wYear = first.wYear;
    a.wMonth = first.wMonth;
    a.wDay = first.wDay;
    SYSTEMTIME b{};
    b.wYear = last.wYear;
    b.wMonth = last.wMonth;
    b.wDay = last.wDay;
    b.wHour = 23;
    b.wMinute = 59;
    b.wSecond = 59;
    b.wMilliseconds = 999;
    return LocalToUtcFileTime(a, start) && LocalToUtcFileTime(b, end);
}

void FillFilterClock(SizeDateFilterParams& p) {
    FILETIME now{};
    if (g_filterTimeSource.systemTimeNow) g_filterTimeSource.systemTimeNow(&now);
    p.now = FileTimeToU64(now);
    p.todayStart = 0;
    if (p.dateMode == 1) {
        SYSTEMTIME local{};
        if (g_filterTimeSource.localTimeNow) g_filterTimeSource.localTimeNow(&local);
        local.wHour = local.wMinute = local.wSecond = local.wMilliseconds = 0;
        uint64_t t = 0;
        if (LocalToUtcFileTime(local, t)) p.todayStart = t;
    }
}

void PrepareCustomDateRange(SizeDateFilterParams& p) {
    p.customDateValid = false;
    p.customStart = p.customEnd = 0;
    if (!p.pickersValid) return;
    uint64_t s = 0, e = 0;
    if (LocalDayRangeToUtc(p.pickerFrom, p.pickerTo, s, e)) {
        p.customStart = s;
        p.customEnd = e;
        p.customDateValid = true;
    }
}

bool SizePassesFilter(const SizeDateFilterParams& p, int64_t size) {
    switch (p.sizeMode) {
        case 1: return size < 1048576;
        case 2: return size >= 1048576 && size <= 104857600;
        case 3: return size > 104857600;
        case 4:
            if (!p.customSizeValid) return true;
            if (p.customMin >= 0 && size < p.customMin) return false;
            if (p.customMax >= 0 && size > p.customMax) return false;
            return true;
        default: return true;
    }
}

bool TimePassesFilter(const SizeDateFilterParams& p, uint64_t t) {
    if (p.dateMode == 0) return true;
    if (t == 0) return false;
    switch (p.dateMode) {
        case 1: return t >= p.todayStart;
        case 2: return t >= p.now || p.now - t <= 6048000000000ull;
        case 3: return t >= p.now || p.now - t <= 25920000000000ull;
        case 4:
            if (!p.customDateValid) return p.invalidCustomDatePasses;
            return p.customStart <= t && t <= p.customEnd;
        default: return true;
    }
}
