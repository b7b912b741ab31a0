// Filling the size, date and unit drop-downs, the custom size edit and the date pickers with
// texts of the current language and the stored settings.
#include <windows.h>
#include <commctrl.h>

#include "core/Window.h"
#include "i18n/I18n.h"
#include "results/FilterBar.h"
#include "search/FiltersInternal.h"
#include "search/Search.h"

void PopulateSizeDateFilterCombos() {
    const std::wstring all = Tr(L"Common_All", L"全部", L"All");
    const std::wstring custom = Tr(L"Common_Custom", L"自定义", L"Custom");
    auto fill = [](HWND combo, const std::vector<std::wstring>& items, int sel) {
        if (!IsLiveWindow(combo)) return;
        SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        for (const auto& s : items) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(sel), 0);
    };
    fill(g_hSizeFilterCombo, {all, L"< 1MB", L"1~100MB", L"> 100MB", custom}, g_sizeFilterMode);
    fill(g_hDateFilterCombo,
         {all, Tr(L"Time_Today", L"今天", L"Today"), Tr(L"Time_7Days", L"7天内", L"7 days"),
          Tr(L"Time_30Days", L"30天内", L"30 days"), custom},
         g_dateFilterMode);
    fill(g_hSizeUnitCombo, {L"B", L"KB", L"MB", L"GB"}, g_sizeFilterUnit);
    if (IsLiveWindow(g_hCustomSizeEdit)) {
        const std::wstring shown = g_customSizeText.empty() ? std::wstring(L"1-100") : g_customSizeText;
        SetWindowTextW(g_hCustomSizeEdit, shown.c_str());
        g_customSizeTextHash.store(Fnv1aHash32(g_customSizeText));
    }
    if (IsLiveWindow(g_hDateRangeHintEdit)) {
        SetWindowTextW(g_hDateRangeHintEdit, Tr(L"Time_RangeDefault", L"0-7(天前)", L"0-7(days ago)").c_str());
    }
    if (IsLiveWindow(g_hDateFromPicker) && IsLiveWindow(g_hDateToPicker)) {
        SYSTEMTIME now{};
        if (g_filterTimeSource.localTimeNow) g_filterTimeSource.localTimeNow(&now);
        SYSTEMTIME from = now, to = now;
        SYSTEMTIME parsed{};
        if (ParseFilterDateInt(g_customDateFrom, parsed)) {
            from = now;
            from.wYear = parsed.wYear;
            from.wMonth = parsed.wMonth;
            from.wDay = parsed.wDay;
        }
        if (ParseFilterDateInt(g_customDateTo, parsed)) {
            to = now;
            to.wYear = parsed.wYear;
            to.wMonth = parsed.wMonth;
            to.wDay = parsed.wDay;
        }
        SendMessageW(g_hDateFromPicker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&from));
        SendMessageW(g_hDateToPicker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&to));
        g_customDateFrom = SystemTimeToYyyymmdd(from);
        g_customDateTo = SystemTimeToYyyymmdd(to);
    }
}
