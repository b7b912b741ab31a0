// Icon modes of the results list (small and large icon grids).
#include "results/ResultsInternal.h"

void PaintIconViewRows(HDC hdc, const ListPaintFrame& frame, const std::vector<MatchItem>& rows) {
    // The cell grid is drawn here once the icon views are built; until then the list area keeps
    // the surface the frame painted.
    (void)hdc;
    (void)frame;
    (void)rows;
}
