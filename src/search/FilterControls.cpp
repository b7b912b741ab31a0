// Reading the filter controls of the main window (custom size text, date pickers).
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "core/Window.h"
#include "search/FiltersInternal.h"

HWND g_hSizeFilterCombo = nullptr;
HWND g_hDateFilterCombo = nullptr;
HWND g_hSizeUnitCombo = nullptr;
HWND g_hCustomSizeEdit = nullptr;
HWND g_hDateRangeHintEdit = nullptr;
HWND g_hDateFromPicker = nullptr;
HWND g_hDateToPicker = nullptr;

std::wstring ReadWindowTextBounded(HWND hwnd, int maxChars) {
    if (!IsLiveWindow(hwnd) || maxChars <= 0) return std::wstring();
    std::vector<wchar_t> buf(static_cast<size_t>(maxChars) + 1, L'\0');
    int n = GetWindowTextW(hwnd, buf.data(), maxChars + 1);
    if (n < 0) n = 0;
    if (n > maxChars) n = maxChars;
    return std::wstring(buf.data(), static_cast<size_t>(n));
}

bool ReadDatePickers(SYSTEMTIME& from, SYSTEMTIME& to) {
    if (!IsLiveWindow(g_hDateFromPicker) || !IsLiveWindow(g_hDateToPicker)) return false;
    SYSTEMTIME a{}, b{};
    if (SendMessageW(g_hDateFromPicker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&a)) != GDT_VALID)
        return false;
    if (SendMessageW(g_hDateToPicker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&b)) != GDT_VALID)
        return false;
    from = a;
    to = b;
    return true;
}
