// Placement of the filter bar's buttons in the top bar, as pure functions of the widths.
#include <algorithm>

#include "results/FilterBar.h"
#include "ui/Ui.h"

FilterBarMetrics GetFilterBarMetrics() {
    return {ScaleForDpi(20), ScaleForDpi(8), ScaleForDpi(74), ScaleForDpi(40),
            ScaleForDpi(16), ScaleForDpi(4), ScaleForDpi(70)};
}

FilterBarLayout ComputeFilterBarLayout(const std::vector<int>& widths, int clientWidth,
                                       const FilterBarMetrics& m) {
    FilterBarLayout out;
    const int left = m.leftMargin;
    const int available = std::max(0, clientWidth - 2 * m.leftMargin);
    int x = left;
    int y = m.rowTop;
    int row = 0;
    for (int measured : widths) {
        const int w = std::min(measured, available);
        if (x > left && x + w > left + available) {
            ++row;
            x = left;
            y = m.rowTop + row * (m.height + m.gap);
        }
        out.rects.push_back(RECT{x, y, x + w, y + m.height});
        x += w + m.gap;
    }
    out.listAreaTop = m.bottomPad + row * m.gap + m.height * (row + 1) + m.listPad + m.listBase;
    return out;
}

int FilterButtonWidthFromParts(int nameWidth, int countWidth, bool hasCount) {
    int w = nameWidth + (hasCount ? countWidth + ScaleForDpi(6) : 0) + 2 * ScaleForDpi(12);
    w = std::max(w, ScaleForDpi(72));
    w = std::min(w, ScaleForDpi(220));
    return w;
}
