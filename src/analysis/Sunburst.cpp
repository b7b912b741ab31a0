// The ring chart of one folder level: layout, hit test and painting (segments and labels with
// GDI+, the centre texts with GDI).
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
using std::max;
using std::min;
#include <objidl.h>
#include <gdiplus.h>

#include "analysis/AnalysisView.h"
#include "i18n/I18n.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2 * kPi;
constexpr double kGap = 0.008;
constexpr int kOffsets[8] = {22, 10, -2, -14, 28, 4, -22, 14};

int Clamp255(int v) { return std::clamp(v, 0, 255); }

double Normalize(double a) {
    a = std::fmod(a, kTwoPi);
    if (a < 0) a += kTwoPi;
    return a;
}

}  // namespace

void LayoutSunburst(SunburstChart& chart, const std::vector<ChildEntry>& rows, const RECT& rect, COLORREF accent,
                    COLORREF folderBase) {
    chart.segments.clear();
    chart.cx = chart.cy = 0;
    chart.outerRadius = chart.innerRadius = 0;
    chart.otherCount = 0;
    chart.otherLabel = Tr(L"Analysis_Other", L"其他", L"Other");
    chart.rect = rect;
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w < 40 || h < 40) return;
    chart.cx = (rect.left + rect.right) / 2;
    chart.cy = (rect.top + rect.bottom) / 2;
    chart.outerRadius = 0.34 * std::min(w, h);
    chart.innerRadius = 0.52 * chart.outerRadius;
    if (chart.outerRadius < 24.0) return;

    struct Item {
        ChildEntry row;
        double size;
        int32_t rowIndex;
        bool other;
    };
    std::vector<Item> items;
    double total = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const ChildEntry& r = rows[i];
        if (r.nameLength == 2 && r.name[0] == L'.' && r.name[1] == L'.') continue;
        if (r.totalSize <= 0) continue;
        items.push_back({r, static_cast<double>(r.totalSize), static_cast<int32_t>(i), false});
        total += static_cast<double>(r.totalSize);
    }
    if (items.empty() || total <= 0) return;
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.size > b.size; });
    std::vector<Item> chartItems;
    double otherSum = 0;
    uint32_t otherCount = 0;
    for (const Item& it : items) {
        if (chartItems.size() < 16 && it.size / total >= 0.015) chartItems.push_back(it);
        else {
            otherSum += it.size;
            ++otherCount;
        }
    }
    chart.otherCount = otherCount;
    if (otherSum > 0 && otherCount >= 1) {
        Item o{};
        o.row.name = chart.otherLabel.c_str();
        o.row.nameLength = static_cast<uint16_t>(chart.otherLabel.size());
        o.row.totalSize = static_cast<int64_t>(otherSum);
        o.size = otherSum;
        o.rowIndex = -1;
        o.other = true;
        chartItems.push_back(o);
    }
    double S = 0;
    for (const Item& it : chartItems) S += it.size;
    const size_t n = chartItems.size();
    const double budget = kTwoPi - static_cast<double>(n) * kGap;
    double angle = kPi / 2;
    for (size_t i = 0; i < n; ++i) {
        const Item& it = chartItems[i];
        const double share = it.size / S;
        RingSegment seg;
        seg.start = angle + kGap / 2;
        seg.sweep = share * budget;
        seg.innerRadius = chart.innerRadius;
        seg.outerRadius = chart.outerRadius;
        seg.frn = it.other ? 0 : it.row.frn;
        seg.isFolder = it.other ? 0 : it.row.isFolder;
        seg.isOther = it.other ? 1 : 0;
        seg.name = it.row.name ? it.row.name : L"";
        seg.nameLength = it.row.nameLength;
        seg.size = static_cast<int64_t>(it.size);
        seg.percent = it.size * 100.0 / total;
        seg.rowIndex = it.rowIndex;
        if (it.other) {
            seg.color = RGB((GetRValue(accent) + 270) * 25 / 100, (GetGValue(accent) + 282) * 25 / 100,
                            (GetBValue(accent) + 318) * 25 / 100);
        } else if (it.row.isFolder) {
            const int o = kOffsets[i % 8];
            seg.color = RGB(Clamp255(GetRValue(folderBase) + o), Clamp255(GetGValue(folderBase) + o),
                            Clamp255(GetBValue(folderBase) + o));
        } else {
            const COLORREF e = ExtensionColor(it.row.name, it.row.nameLength);
            seg.color = RGB((GetRValue(e) * 38 + GetRValue(accent) * 62) / 100,
                            (GetGValue(e) * 38 + GetGValue(accent) * 62) / 100,
                            (GetBValue(e) * 38 + GetBValue(accent) * 62) / 100);
        }
        chart.segments.push_back(seg);
        angle += share * budget + kGap;
    }
}

int SunburstHitTest(const SunburstChart& chart, int x, int y) {
    if (chart.outerRadius <= 0) return -1;
    const double dx = x - chart.cx, dy = chart.cy - y;
    const double d = std::sqrt(dx * dx + dy * dy);
    if (d < chart.innerRadius) return -2;
    if (d > chart.outerRadius) return -1;
    const double a = Normalize(std::atan2(dy, dx));
    for (size_t i = 0; i < chart.segments.size(); ++i) {
        const double s = Normalize(chart.segments[i].start);
        const double e = Normalize(chart.segments[i].start + chart.segments[i].sweep);
        const bool hit = s <= e ? (s <= a && a < e) : (a >= s || a < e);
        if (hit) return static_cast<int>(i);
    }
    return -1;
}

int FindSegmentForItem(const SunburstChart& chart, int rowIndex) {
    if (rowIndex < 0) return -1;
    for (size_t i = 0; i < chart.segments.size(); ++i)
        if (chart.segments[i].rowIndex == rowIndex) return static_cast<int>(i);
    return -1;
}

// ---- Painting ----------------------------------------------------------------------------------

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

INIT_ONCE g_gdiplusOnce = INIT_ONCE_STATIC_INIT;
bool g_gdiplusReady = false;

BOOL CALLBACK StartGdiplus(PINIT_ONCE, PVOID, PVOID*) {
    GdiplusStartupInput input;
    ULONG_PTR token = 0;
    g_gdiplusReady = GdiplusStartup(&token, &input, nullptr) == Ok;
    return TRUE;
}

ARGB Argb(COLORREF c, int alpha = 255) {
    return (static_cast<ARGB>(alpha & 255) << 24) | (static_cast<ARGB>(GetRValue(c)) << 16) |
           (static_cast<ARGB>(GetGValue(c)) << 8) | GetBValue(c);
}

COLORREF Mix(COLORREF a, COLORREF b, int pa) {
    return RGB((GetRValue(a) * pa + GetRValue(b) * (100 - pa)) / 100, (GetGValue(a) * pa + GetGValue(b) * (100 - pa)) / 100,
               (GetBValue(a) * pa + GetBValue(b) * (100 - pa)) / 100);
}

void FillDisc(GpGraphics* g, float cx, float cy, float r, ARGB color) {
    GpSolidFill* brush = nullptr;
    if (GdipCreateSolidFill(color, &brush) != Ok) return;
    GdipFillEllipse(g, reinterpret_cast<GpBrush*>(brush), cx - r, cy - r, 2 * r, 2 * r);
    GdipDeleteBrush(reinterpret_cast<GpBrush*>(brush));
}

void DrawCircle(GpGraphics* g, float cx, float cy, float r, ARGB color, float width) {
    GpPen* pen = nullptr;
    if (GdipCreatePen1(color, width, UnitPixel, &pen) != Ok) return;
    GdipDrawEllipse(g, pen, cx - r, cy - r, 2 * r, 2 * r);
    GdipDeletePen(pen);
}

void AddRoundRect(GpPath* path, float x, float y, float w, float h, float r) {
    const float d = 2 * r;
    GdipAddPathArc(path, x, y, d, d, 180, 90);
    GdipAddPathArc(path, x + w - d, y, d, d, 270, 90);
    GdipAddPathArc(path, x + w - d, y + h - d, d, d, 0, 90);
    GdipAddPathArc(path, x, y + h - d, d, d, 90, 90);
    GdipClosePathFigure(path);
}

struct RingLabel {
    int segment = -1;
    bool highlighted = false;
    bool right = true;
    RECT box{};
    float ax = 0, ay = 0, ex = 0, ey = 0;
    std::wstring text;
    COLORREF color = 0;
};

struct LabelPaint {
    GpGraphics* g = nullptr;
    GpFont* regular = nullptr;
    GpFont* bold = nullptr;
    GpStringFormat* format = nullptr;
    COLORREF bg = 0, border = 0, text = 0, secondary = 0, accent = 0;
};

void FillPathArgb(GpGraphics* g, GpPath* path, ARGB color) {
    GpSolidFill* brush = nullptr;
    if (GdipCreateSolidFill(color, &brush) != Ok) return;
    GdipFillPath(g, reinterpret_cast<GpBrush*>(brush), path);
    GdipDeleteBrush(reinterpret_cast<GpBrush*>(brush));
}

void StrokePath(GpGraphics* g, GpPath* path, ARGB color, float width) {
    GpPen* pen = nullptr;
    if (GdipCreatePen1(color, width, UnitPixel, &pen) != Ok) return;
    GdipSetPenLineJoin(pen, LineJoinRound);
    GdipDrawPath(g, pen, path);
    GdipDeletePen(pen);
}

}  // namespace

void DrawRingSegment(GpGraphics* g, COLORREF color, bool highlighted, float cx, float cy, float inner, float outer,
                     double start, double end) {
    if (outer <= 1.0f || end - start < 1e-6) return;
    const double sweep = end - start;
    GpPath* path = nullptr;
    if (GdipCreatePath(FillModeAlternate, &path) != Ok) return;
    if (sweep * outer < 2.0) {
        // A sliver a pixel or two wide is drawn with straight edges: at that width an arc is a
        // straight line to the eye, and flattening a near-degenerate arc can subdivide without
        // end in some GDI+ implementations (a stack overflow).
        auto at = [&](double radius, double angle) {
            return GpPointF{static_cast<REAL>(cx + radius * std::cos(angle)),
                            static_cast<REAL>(cy - radius * std::sin(angle))};
        };
        const GpPointF corners[4] = {at(outer, start), at(outer, end), at(inner, end), at(inner, start)};
        GdipAddPathPolygon(path, corners, 4);
    } else {
        const float startDeg = static_cast<float>(-start * 180 / kPi);
        const float sweepDeg = static_cast<float>(-sweep * 180 / kPi);
        GdipAddPathArc(path, cx - outer, cy - outer, 2 * outer, 2 * outer, startDeg, sweepDeg);
        GdipAddPathArc(path, cx - inner, cy - inner, 2 * inner, 2 * inner,
                       static_cast<float>(-(start + sweep) * 180 / kPi), static_cast<float>(sweep * 180 / kPi));
        GdipClosePathFigure(path);
    }
    FillPathArgb(g, path, Argb(color));
    StrokePath(g, path, highlighted ? Argb(RGB(255, 255, 255), 220) : Argb(RGB(0, 0, 0), 70), highlighted ? 1.6f : 0.9f);
    GdipDeletePath(path);
}

namespace {

void DrawSegmentLabel(const LabelPaint& p, const RingLabel& l) {
    const bool h = l.highlighted;
    GpPen* pen = nullptr;
    const ARGB lead = h ? Argb(Mix(l.color, p.accent, 55), 230) : Argb(Mix(l.color, Mix(p.text, p.border, 65), 55), 180);
    if (GdipCreatePen1(lead, h ? 1.8f : 1.1f, UnitPixel, &pen) == Ok) {
        GdipSetPenStartCap(pen, LineCapRound);
        GdipSetPenEndCap(pen, LineCapRound);
        const float nearX = static_cast<float>(l.right ? l.box.left : l.box.right);
        const float midY = (l.box.top + l.box.bottom) / 2.0f;
        GdipDrawLine(p.g, pen, l.ax, l.ay, l.ex, l.ey);
        GdipDrawLine(p.g, pen, l.ex, l.ey, nearX, midY);
        GdipDeletePen(pen);
    }
    const float x = static_cast<float>(l.box.left), y = static_cast<float>(l.box.top);
    const float w = static_cast<float>(l.box.right - l.box.left), hh = static_cast<float>(l.box.bottom - l.box.top);
    const float radius = h ? 6.0f : 5.0f;
    GpPath* path = nullptr;
    if (h && GdipCreatePath(FillModeAlternate, &path) == Ok) {
        AddRoundRect(path, x + 1.5f, y + 2.0f, w, hh, radius);
        FillPathArgb(p.g, path, Argb(RGB(0, 0, 0), 55));
        GdipDeletePath(path);
    }
    if (GdipCreatePath(FillModeAlternate, &path) == Ok) {
        AddRoundRect(path, x, y, w, hh, radius);
        FillPathArgb(p.g, path, h ? Argb(Mix(p.accent, p.bg, 58), 245) : Argb(Mix(l.color, p.bg, 22), 200));
        StrokePath(p.g, path, h ? Argb(p.accent, 230) : Argb(Mix(l.color, p.border, 40), 120), h ? 1.8f : 1.0f);
        GdipDeletePath(path);
    }
    GpSolidFill* brush = nullptr;
    if (GdipCreateSolidFill(h ? Argb(p.text) : Argb(Mix(p.secondary, p.text, 30)), &brush) == Ok) {
        GdipSetStringFormatAlign(p.format, l.right ? StringAlignmentNear : StringAlignmentFar);
        RectF layout(x + 4.8f, y, w - 9.6f, hh);
        GpFont* font = h ? p.bold : p.regular;
        if (font)
            GdipDrawString(p.g, l.text.c_str(), static_cast<INT>(l.text.size()), font, &layout, p.format,
                           reinterpret_cast<GpBrush*>(brush));
        GdipDeleteBrush(reinterpret_cast<GpBrush*>(brush));
    }
}

bool Overlaps(const RECT& a, const std::vector<RECT>& placed) {
    for (const RECT& b : placed) {
        RECT out;
        if (IntersectRect(&out, &a, &b)) return true;
    }
    return false;
}

void ShiftInside(RECT& box, const RECT& area) {
    if (box.left < area.left + 2) OffsetRect(&box, area.left + 2 - box.left, 0);
    if (box.right > area.right - 2) OffsetRect(&box, area.right - 2 - box.right, 0);
    if (box.top < area.top + 2) OffsetRect(&box, 0, area.top + 2 - box.top);
    if (box.bottom > area.bottom - 2) OffsetRect(&box, 0, area.bottom - 2 - box.bottom);
}

// A font for the labels: the family by name, else one made from a LOGFONT (some systems do not
// know the usual UI families by name).
GpFont* MakeLabelFont(HDC dc, float pixels, bool bold) {
    GpFontFamily* family = nullptr;
    GpFont* font = nullptr;
    if (GdipCreateFontFamilyFromName(L"Segoe UI", nullptr, &family) == Ok) {
        GdipCreateFont(family, pixels, bold ? FontStyleBold : FontStyleRegular, UnitPixel, &font);
        GdipDeleteFontFamily(family);
        if (font) return font;
    }
    LOGFONTW lf{};
    lf.lfHeight = -static_cast<LONG>(std::lround(pixels));
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    wcscpy(lf.lfFaceName, L"Segoe UI");
    GdipCreateFontFromLogfontW(dc, &lf, &font);
    return font;
}

void PlaceAndDrawLabels(const SunburstChart& chart, HDC dc, GpGraphics* g, int hovered, uint64_t focusFrn,
                        const LabelPaint& paint) {
    const double R = chart.outerRadius;
    const RECT area = chart.rect;
    auto highlighted = [&](size_t i) {
        const RingSegment& s = chart.segments[i];
        return static_cast<int>(i) == hovered || (s.frn != 0 && s.frn == focusFrn && !s.isOther);
    };
    std::vector<size_t> order;
    for (size_t i = 0; i < chart.segments.size(); ++i)
        if (highlighted(i)) order.push_back(i);
    std::vector<size_t> rest;
    for (size_t i = 0; i < chart.segments.size(); ++i)
        if (!highlighted(i)) rest.push_back(i);
    std::stable_sort(rest.begin(), rest.end(),
                     [&](size_t a, size_t b) { return chart.segments[a].sweep > chart.segments[b].sweep; });
    order.insert(order.end(), rest.begin(), rest.end());

    std::vector<RingLabel> labels;
    std::vector<RECT> placed;
    for (size_t idx : order) {
        const RingSegment& s = chart.segments[idx];
        if (s.nameLength == 0) continue;
        const bool h = highlighted(idx);
        std::wstring text(s.name, s.nameLength);
        RectF layout(0, 0, 10000, 100), bounds{};
        GpFont* font = h ? paint.bold : paint.regular;
        int W = 36;
        if (font && GdipMeasureString(g, text.c_str(), static_cast<INT>(text.size()), font, &layout, nullptr, &bounds,
                                      nullptr, nullptr) == Ok)
            W = std::max(static_cast<int>(std::ceil(bounds.Width)) + 16, 36);
        const int H = h ? 26 : 23;
        const double mid = s.start + s.sweep / 2;
        const bool right = std::cos(mid) >= 0;
        const float ax = static_cast<float>(chart.cx + (R - 1) * std::cos(mid));
        const float ay = static_cast<float>(chart.cy - (R - 1) * std::sin(mid));
        bool found = false;
        RingLabel label;
        auto tryBox = [&](double ex, double ey, bool secondPass) {
            int avail = static_cast<int>(right ? area.right - ex : ex - area.left) - 8;
            avail = std::clamp(avail, 36, 260);
            int width = std::min(avail, W);
            if (secondPass) width = std::max(width, 36);
            const int x = static_cast<int>(ex), y = static_cast<int>(ey);
            RECT box = right ? RECT{x + 4, y - H / 2, x + 4 + width, y + H / 2} : RECT{x - width - 4, y - H / 2, x - 4, y + H / 2};
            ShiftInside(box, area);
            if (box.right - box.left < 36) return false;
            if (Overlaps(box, placed) && !(secondPass && (h || s.sweep < 0.25))) return false;
            label.segment = static_cast<int>(idx);
            label.highlighted = h;
            label.right = right;
            label.box = box;
            label.ax = ax;
            label.ay = ay;
            label.ex = static_cast<float>(ex);
            label.ey = static_cast<float>(ey);
            label.text = text;
            label.color = s.color;
            return true;
        };
        const int K = h ? 10 : 8;
        for (int k = 0; k < K && !found; ++k)
            for (int j = 0; j < (h ? 7 : 6) && !found; ++j) {
                const int v = j == 0 ? 0 : 25 * ((j + 1) / 2) * (j % 2 ? 1 : -1);
                const double off = j <= 2 ? 0 : 0.08 * (j - 2) * (j % 2 ? 1 : -1);
                const double q = k * 18 + R + 14 + (h ? 6 : 0);
                found = tryBox(chart.cx + q * std::cos(mid + off), chart.cy - q * std::sin(mid + off) + v, false);
            }
        for (int k = K; k < K + 6 && !found; ++k)
            for (int sign : {1, -1}) {
                if (found) break;
                const double q = k * 18 + R + 14;
                found = tryBox(chart.cx + q * std::cos(mid), chart.cy - q * std::sin(mid) + sign * (k - K + 1) * 27, true);
            }
        if (!found) continue;
        RECT inflated = label.box;
        InflateRect(&inflated, h ? 2 : 1, h ? 2 : 1);
        placed.push_back(inflated);
        labels.push_back(std::move(label));
    }
    for (int round = 0; round < 4; ++round)
        for (size_t i = 0; i < labels.size(); ++i)
            for (size_t j = i + 1; j < labels.size(); ++j) {
                RingLabel& a = labels[i];
                RingLabel& b = labels[j];
                RECT out;
                if (a.right != b.right || !IntersectRect(&out, &a.box, &b.box)) continue;
                const int ci = (a.box.top + a.box.bottom) / 2, cj = (b.box.top + b.box.bottom) / 2;
                const int need = ((a.box.bottom - a.box.top) + (b.box.bottom - b.box.top)) / 2 + 3 - std::abs(ci - cj);
                if (need <= 0) continue;
                const int d = (need + 1) / 2;
                RingLabel& lower = ci >= cj ? a : b;
                RingLabel& upper = ci >= cj ? b : a;
                OffsetRect(&lower.box, 0, d);
                lower.ey += static_cast<float>(d);
                OffsetRect(&upper.box, 0, -d);
                upper.ey -= static_cast<float>(d);
                ShiftInside(lower.box, area);
                ShiftInside(upper.box, area);
            }
    (void)dc;
    for (const RingLabel& l : labels)
        if (!l.highlighted) DrawSegmentLabel(paint, l);
    for (const RingLabel& l : labels)
        if (l.highlighted) DrawSegmentLabel(paint, l);
}

}  // namespace

void PaintSunburst(const SunburstChart& chart, HDC dc, int hovered, uint64_t focusFrn, COLORREF bg, COLORREF border,
                   COLORREF text, COLORREF secondary, COLORREF accent, HFONT titleFont, HFONT valueFont,
                   const std::wstring& title, const std::wstring& value) {
    if (chart.outerRadius <= 0) return;
    InitOnceExecuteOnce(&g_gdiplusOnce, StartGdiplus, nullptr, nullptr);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, chart.rect.left, chart.rect.top, chart.rect.right, chart.rect.bottom);
    HBRUSH bgBrush = CreateSolidBrush(bg);
    FillRect(dc, &chart.rect, bgBrush);
    DeleteObject(bgBrush);
    const float cx = static_cast<float>(chart.cx), cy = static_cast<float>(chart.cy);
    const float R = static_cast<float>(chart.outerRadius), r = static_cast<float>(chart.innerRadius);

    GpGraphics* g = nullptr;
    if (g_gdiplusReady && GdipCreateFromHDC(dc, &g) == Ok) {
        GdipSetSmoothingMode(g, SmoothingModeAntiAlias);
        GdipSetPixelOffsetMode(g, PixelOffsetModeHighQuality);
        GdipSetCompositingQuality(g, CompositingQualityHighQuality);
        GdipSetTextRenderingHint(g, TextRenderingHintClearTypeGridFit);
        FillDisc(g, cx, cy, R + 3, Argb(Mix(bg, border, 88)));
        FillDisc(g, cx, cy, r - 1, Argb(bg));
        for (size_t i = 0; i < chart.segments.size(); ++i) {
            const RingSegment& s = chart.segments[i];
            const bool h = static_cast<int>(i) == hovered || (s.frn != 0 && s.frn == focusFrn && !s.isOther);
            COLORREF c = s.color;
            if (h) c = RGB(std::min(GetRValue(c) + 28, 255), std::min(GetGValue(c) + 28, 255), std::min(GetBValue(c) + 28, 255));
            DrawRingSegment(g, c, h, cx, cy, r, h ? R + 2.5f : R, s.start, s.start + s.sweep);
        }
        DrawCircle(g, cx, cy, R, Argb(Mix(border, accent, 45), 160), 1.25f);
        DrawCircle(g, cx, cy, r, Argb(accent, 140), 1.5f);

        LabelPaint paint;
        paint.g = g;
        paint.regular = MakeLabelFont(dc, 12.5f, false);
        paint.bold = MakeLabelFont(dc, 13.3f, true);
        GdipCreateStringFormat(StringFormatFlagsNoWrap, LANG_NEUTRAL, &paint.format);
        if (paint.format) {
            GdipSetStringFormatLineAlign(paint.format, StringAlignmentCenter);
            GdipSetStringFormatTrimming(paint.format, StringTrimmingEllipsisCharacter);
        }
        paint.bg = bg;
        paint.border = border;
        paint.text = text;
        paint.secondary = secondary;
        paint.accent = accent;
        if (paint.format) PlaceAndDrawLabels(chart, dc, g, hovered, focusFrn, paint);
        if (paint.format) GdipDeleteStringFormat(paint.format);
        if (paint.regular) GdipDeleteFont(paint.regular);
        if (paint.bold) GdipDeleteFont(paint.bold);

        FillDisc(g, cx, cy, r - 1, Argb(bg));
        DrawCircle(g, cx, cy, r - 2, Argb(accent, 160), 2.0f);
        GdipDeleteGraphics(g);
    }

    // Centre texts.
    SetBkMode(dc, TRANSPARENT);
    const int half = static_cast<int>(r * 0.88);
    std::wstring t = title, v = value;
    std::wstring hint = Tr(L"Analysis_ClickCenterBack", L"点击中心返回上一级", L"Click center to go up");
    if (hovered >= 0 && static_cast<size_t>(hovered) < chart.segments.size()) {
        const RingSegment& s = chart.segments[static_cast<size_t>(hovered)];
        if (s.isOther) {
            const std::wstring fmt = Tr(L"Analysis_OtherFmt", L"其他（%d 项）", L"Other (%d items)");
            t = FormatTableText(fmt.c_str(), static_cast<int>(chart.otherCount));
        } else {
            t = s.nameLength ? std::wstring(s.name, s.nameLength) : std::wstring(L"?");
        }
        wchar_t buf[96];
        _snwprintf(buf, 95, L"  \u00B7  %.1f%%", s.percent);
        buf[95] = 0;
        v = FormatSizeShort(s.size) + buf;
        hint = s.isFolder ? Tr(L"Analysis_ClickEnter", L"点击进入", L"Click to open")
                          : Tr(L"Analysis_Selected", L"已选中", L"Selected");
    }
    HGDIOBJ oldFont = SelectObject(dc, titleFont ? titleFont : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    RECT tr{chart.cx - half, chart.cy - half + 10, chart.cx + half, chart.cy - 2};
    SetTextColor(dc, text);
    DrawTextW(dc, t.c_str(), static_cast<int>(t.size()), &tr, DT_CENTER | DT_BOTTOM | DT_SINGLELINE | DT_END_ELLIPSIS);
    if (valueFont) SelectObject(dc, valueFont);
    RECT vr{chart.cx - half, chart.cy + 2, chart.cx + half, chart.cy + half / 2};
    SetTextColor(dc, secondary);
    DrawTextW(dc, v.c_str(), static_cast<int>(v.size()), &vr, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS);
    RECT hr{chart.cx - half, chart.cy + half / 2, chart.cx + half, chart.cy + half - 8};
    SetTextColor(dc, Mix(text, secondary, 45));
    DrawTextW(dc, hint.c_str(), static_cast<int>(hint.size()), &hr, DT_CENTER | DT_BOTTOM | DT_SINGLELINE | DT_END_ELLIPSIS);
    SelectObject(dc, oldFont);
    RestoreDC(dc, saved);
}
