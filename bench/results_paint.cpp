// Paint cost of the List view over a large result set: a paint touches only the rows on screen,
// so its time must not grow with the number of results. Prints name=value lines.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "index/Index.h"
#include "results/Results.h"
#include "search/Search.h"
#include "shell/Shell.h"
#include "ui/Ui.h"

namespace {

double PaintMs(HDC target, int paints, int64_t rowCount) {
    using Clock = std::chrono::steady_clock;
    double worst = 0;
    double total = 0;
    for (int i = 0; i < paints; ++i) {
        g_scrollY = (rowCount * 44 / paints) * i;
        auto t0 = Clock::now();
        PaintMainWindow(target, nullptr);
        double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        total += ms;
        worst = std::max(worst, ms);
    }
    std::printf("results_list_paint_max_ms_%lld=%.2f\n", static_cast<long long>(rowCount), worst);
    return total / paints;
}

void Publish(const std::vector<MatchItem>& rows, size_t count) {
    auto set = std::make_shared<std::vector<MatchItem>>(rows.begin(), rows.begin() + count);
    std::lock_guard<std::mutex> lock(g_resultsMutex);
    g_results = set;
}

}  // namespace

int main() {
    const int kWidth = 1400, kHeight = 900;
    g_dpi = 96;
    g_clientWidth = kWidth;
    g_clientHeight = kHeight;
    g_listAreaTop = 70;
    g_fontUi = CreateUiFont(12, 500);
    g_fontUiMedium = CreateUiFont(13, 500);
    g_fontUiSemibold = CreateUiFont(12, 600);
    ApplyThemePalette(false);

    HDC screen = GetDC(nullptr);
    g_hBackBufferDC = CreateCompatibleDC(screen);
    HBITMAP back = CreateCompatibleBitmap(screen, kWidth, kHeight);
    HGDIOBJ oldBack = SelectObject(g_hBackBufferDC, back);
    HDC target = CreateCompatibleDC(screen);
    HBITMAP front = CreateCompatibleBitmap(screen, kWidth, kHeight);
    HGDIOBJ oldFront = SelectObject(target, front);
    ReleaseDC(nullptr, screen);

    const uint32_t kRecords = 1000000;
    VolumeIndex volume;
    volume.root = L"C:";
    volume.rootFrn = 5;
    std::vector<MatchItem> rows;
    rows.reserve(kRecords);
    const wchar_t* exts[] = {L".txt", L".jpg", L".docx", L".exe", L".log"};
    for (uint32_t i = 0; i < kRecords; ++i) {
        std::wstring name = L"report_" + std::to_wstring(i) + exts[i % 5];
        FileRecord r{};
        r.frn = 0x100000 + i;
        r.parentFrn = 5;
        r.name = volume.names.Append(name.c_str(), name.size());
        r.nameLength = static_cast<uint16_t>(name.size());
        volume.records.push_back(r);
        rows.push_back({&volume, i});
    }

    const int kPaints = 200;
    Publish(rows, 1000);
    double small = PaintMs(target, kPaints, 1000);
    Publish(rows, kRecords);
    double large = PaintMs(target, kPaints, kRecords);
    std::printf("results_list_paint_avg_ms_1000=%.2f\n", small);
    std::printf("results_list_paint_avg_ms_1000000=%.2f\n", large);

    using Clock = std::chrono::steady_clock;
    const int kLookups = 200000;
    GetIconForPath(false, L"report.txt", 16, false, false);
    auto t0 = Clock::now();
    for (int i = 0; i < kLookups; ++i) GetIconForPath(false, L"report.txt", 16, false, false);
    double ns = std::chrono::duration<double, std::nano>(Clock::now() - t0).count() / kLookups;
    std::printf("results_icon_cache_hit_ns=%.0f\n", ns);

    Publish(rows, 0);
    ClearIconCache();
    SelectObject(target, oldFront);
    DeleteObject(front);
    DeleteDC(target);
    SelectObject(g_hBackBufferDC, oldBack);
    DeleteObject(back);
    DeleteDC(g_hBackBufferDC);
    g_hBackBufferDC = nullptr;
    return 0;
}
