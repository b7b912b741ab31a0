// Text lookup cost: building the 13 built-in tables once, a Tr lookup answered by the active
// table, one answered by the en-us fallback, and formatting a table text.
// Prints i18n_build_tables_ms, i18n_tr_active_ns, i18n_tr_fallback_ns, i18n_format_ns.
#include <windows.h>

#include <chrono>
#include <cstdio>

#include "core/Core.h"
#include "i18n/I18n.h"

namespace {

double NsPerCall(int n, const std::chrono::steady_clock::time_point& start) {
    auto elapsed = std::chrono::steady_clock::now() - start;
    return std::chrono::duration<double, std::nano>(elapsed).count() / n;
}

}  // namespace

int main() {
    auto t0 = std::chrono::steady_clock::now();
    EnsureBuiltinLanguageTables();
    double buildMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();

    {
        std::unique_lock<std::shared_mutex> lock(g_activeTextTableMutex);
        g_activeTextTable = GetBuiltinTextTable(L"de-de");
        g_activeTextTable.erase(L"Header_Size");
    }
    g_languageIsChinese = false;
    const int n = 200000;
    size_t sink = 0;

    auto t1 = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) sink += Tr(L"Menu_Open", L"打开", L"Open").size();
    double activeNs = NsPerCall(n, t1);

    auto t2 = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) sink += Tr(L"Header_Size", L"大小", L"Size").size();
    double fallbackNs = NsPerCall(n, t2);

    const std::wstring fmt = Tr(L"Analysis_ScanDoneFmt", L"", L"");
    auto t3 = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) sink += FormatTableText(fmt.c_str(), L"C:", size_t(i)).size();
    double formatNs = NsPerCall(n, t3);

    std::printf("i18n_build_tables_ms=%.2f\n", buildMs);
    std::printf("i18n_tr_active_ns=%.0f\n", activeNs);
    std::printf("i18n_tr_fallback_ns=%.0f\n", fallbackNs);
    std::printf("i18n_format_ns=%.0f\n", formatNs);
    return sink == 0 ? 1 : 0;
}
