#include "NeedleArt.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "PanelLayout.h"
#include "PaintKit.h"

namespace {

// ------------------------------------------------------------- geometry

struct Anchor {
    double frame, degrees;
};
// clang-format off
constexpr Anchor kAirspeedAnchors[] = {
    { 0,   0}, { 9,  45}, {17,  90}, {25, 135}, {34, 180}, {35, 187}, {36, 187},
    {46, 225}, {54, 270}, {62, 315}, {68, 346}, {70, 353},
};
// clang-format on

// The needle as drawn: a counterweight disc on the pivot and a pointer that
// narrows to its tip, white with an orange tip.
struct NeedleShape {
    double tip;         // pivot to tip
    double weight;      // counterweight radius
    double baseHalf;    // pointer half-width at the pivot
    double tipHalf;     // and at the tip
};
constexpr NeedleShape kAirspeedShape{36.5, 4.5, 1.9, 0.6};
constexpr NeedleShape kGaugeShape{26.5, 3.5, 1.6, 0.5};

// Paints the needle with its pivot at (px, py) of the current user space.
void PaintNeedle(cairo_t* cr, double px, double py, double degrees, const NeedleShape& s) {
    const double a = degrees * M_PI / 180.0;
    const double ux = std::sin(a), uy = -std::cos(a);  // along the needle
    const double nx = -uy, ny = ux;                    // across it
    FillDisc(cr, px, py, s.weight, RampIndex(Ramp::Grey, 2));
    auto pointer = [&](double from, double to, double halfFrom, double halfTo) {
        Polygon(cr, {{px + ux * from + nx * halfFrom, py + uy * from + ny * halfFrom},
                     {px + ux * to + nx * halfTo, py + uy * to + ny * halfTo},
                     {px + ux * to - nx * halfTo, py + uy * to - ny * halfTo},
                     {px + ux * from - nx * halfFrom, py + uy * from - ny * halfFrom}});
    };
    const double split = s.tip * 0.78;
    const double halfSplit = s.baseHalf + (s.tipHalf - s.baseHalf) * 0.78;
    pointer(0, split, s.baseHalf, halfSplit);
    SetIndex(cr, RampIndex(Ramp::Grey, 13));
    cairo_fill(cr);
    pointer(split, s.tip, halfSplit, s.tipHalf);
    SetIndex(cr, RampIndex(Ramp::Red, 6));
    cairo_fill(cr);
}

struct Box {
    int x, y, w, h;
};

// The needle's bounding box in dial coordinates (pixels the atlas mapping
// keeps: alpha of one half or more).
Box NeedleBox(double px, double py, double degrees, const NeedleShape& s) {
    constexpr int kSize = 128;
    cairo_surface_t* canvas = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSize, kSize);
    cairo_t* cr = cairo_create(canvas);
    cairo_translate(cr, 10, 10);  // room for the tail
    PaintNeedle(cr, px, py, degrees, s);
    cairo_destroy(cr);
    cairo_surface_flush(canvas);
    const uint8_t* data = cairo_image_surface_get_data(canvas);
    const int stride = cairo_image_surface_get_stride(canvas);
    int x0 = kSize, y0 = kSize, x1 = -1, y1 = -1;
    for (int y = 0; y < kSize; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < kSize; ++x) {
            if ((row[x] >> 24) >= 128) {
                x0 = std::min(x0, x);
                y0 = std::min(y0, y);
                x1 = std::max(x1, x);
                y1 = std::max(y1, y);
            }
        }
    }
    cairo_surface_destroy(canvas);
    return {x0 - 10, y0 - 10, x1 - x0 + 1, y1 - y0 + 1};
}

// Dial origins: the airspeed face's top-left on the surface; gauge needles
// are placed relative to the face.
constexpr int kAirspeedFaceX = 143, kAirspeedFaceY = 230;

Box AirspeedBox(int frame) {
    return NeedleBox(layout::kAirspeedCentre, layout::kAirspeedCentre, AirspeedNeedleDegrees(frame), kAirspeedShape);
}
Box GaugeBox(int entry) {
    return NeedleBox(layout::kGaugeCentreX, layout::kGaugeCentreY, GaugeNeedleDegrees(entry), kGaugeShape);
}

// ------------------------------------------------------------- painting

// ------------------------------------------------------------- layout

struct LaidNeedle {
    int index;
    Box src;        // atlas rectangle
    Box dialBox;    // bounding box in dial coordinates
};

bool Overlaps(const Box& a, const Box& b, int gap) {
    return a.x < b.x + b.w + gap && b.x < a.x + a.w + gap && a.y < b.y + b.h + gap && b.y < a.y + a.h + gap;
}

// A run of needles laid side by side from startX in direction dir (+1 right,
// -1 left), each at the row interpolated between two anchor rows.
struct Run {
    int first, last, step;       // indices in placement order
    int startX, dir;
    double rowFrom, rowTo;       // srcY at index (first - step) and (last + step)
};

class Packer {
public:
    explicit Packer(std::vector<Box> obstacles) : obstacles_(std::move(obstacles)) {}
    void Fix(int index, const Box& src, const Box& dialBox) {
        placed_.push_back({index, src, dialBox});
        obstacles_.push_back(src);
    }
    bool Lay(const Run& run, Box (*boxOf)(int)) {
        int x = run.startX;
        const int count = (run.last - run.first) / run.step + 1;
        for (int i = 0; i < count; ++i) {
            const int index = run.first + i * run.step;
            const Box dial = boxOf(index);
            const double t = static_cast<double>(i + 1) / (count + 1);
            const int y = static_cast<int>(std::lround(run.rowFrom + (run.rowTo - run.rowFrom) * t));
            Box src{run.dir > 0 ? x : x - dial.w + 1, y, dial.w, dial.h};
            int guard = 0;
            while (Collides(src)) {
                src.x += run.dir;
                if (++guard > 400) {
                    std::fprintf(stderr, "atlasgen: no room for needle %d\n", index);
                    return false;
                }
            }
            Fix(index, src, dial);
            x = run.dir > 0 ? src.x + src.w + 1 : src.x - 2;
        }
        return true;
    }
    const std::vector<LaidNeedle>& placed() const { return placed_; }

private:
    bool Collides(const Box& b) const {
        for (const Box& o : obstacles_) {
            if (Overlaps(b, o, 1)) return true;
        }
        return false;
    }
    std::vector<Box> obstacles_;
    std::vector<LaidNeedle> placed_;
};

std::vector<Box> CatalogueObstacles() {
    std::vector<Box> boxes;
    for (int i = 0; i < kCatalogueSize; ++i) {
        const Sprite& s = kCatalogue[i].sprite;
        boxes.push_back({s.x, s.y, s.width, s.height});
    }
    return boxes;
}

// The rows whose places stay as gfx/NeedleTables.cpp holds them (the quarter
// and eighth turns and the scale's ends); the others follow the pictures
// drawn here.
constexpr int kFixedAirspeed[] = {0, 9, 17, 25, 34, 35, 36, 46, 54, 62, 68, 70};
constexpr int kFixedGauge[] = {0, 1, 9, 18, 27, 36, 45, 54, 63, 70, 71};

template <size_t N>
bool IsFixed(const int (&fixed)[N], int k) {
    return std::find(std::begin(fixed), std::end(fixed), k) != std::end(fixed);
}

}  // namespace

double AirspeedNeedleDegrees(double frame) {
    constexpr int n = sizeof kAirspeedAnchors / sizeof kAirspeedAnchors[0];
    if (frame <= 0) return 0;
    for (int i = 1; i < n; ++i) {
        const Anchor& a = kAirspeedAnchors[i - 1];
        const Anchor& b = kAirspeedAnchors[i];
        if (frame <= b.frame) return a.degrees + (b.degrees - a.degrees) * (frame - a.frame) / (b.frame - a.frame);
    }
    return kAirspeedAnchors[n - 1].degrees;
}

double GaugeNeedleDegrees(int entry) { return 5.0 * entry; }

Sprite AirspeedNeedlePicture(int frame) {
    const AirspeedNeedle& n = kAirspeedNeedles[frame];
    return {n.srcX, n.srcY, n.width, n.height, kNeedleKey};
}

Sprite GaugeNeedlePicture(int entry) {
    const GaugeNeedle& n = kGaugeNeedles[entry];
    return {n.srcX, n.srcY, n.width, n.height, kNeedleKey};
}

void PaintAirspeedNeedle(cairo_t* cr, const Sprite&, int frame) {
    const AirspeedNeedle& n = kAirspeedNeedles[frame];
    // The picture's own origin is its destination on the surface.
    PaintNeedle(cr, kAirspeedFaceX + layout::kAirspeedCentre - n.destX, kAirspeedFaceY + layout::kAirspeedCentre - n.destY,
                AirspeedNeedleDegrees(frame), kAirspeedShape);
}

void PaintGaugeNeedle(cairo_t* cr, const Sprite&, int entry) {
    const GaugeNeedle& n = kGaugeNeedles[entry];
    PaintNeedle(cr, layout::kGaugeCentreX - n.dx, layout::kGaugeCentreY - n.dy, GaugeNeedleDegrees(entry), kGaugeShape);
}

namespace {

// Airspeed: two rows of pictures per half turn, as the fixed rows set out.
bool LayAirspeedNeedles(Packer& air) {
    for (int k : kFixedAirspeed) {
        const AirspeedNeedle& n = kAirspeedNeedles[k];
        if (k == 36) continue;  // the same picture as 35
        air.Fix(k, {n.srcX, n.srcY, n.width, n.height}, {n.destX - kAirspeedFaceX, n.destY - kAirspeedFaceY, 0, 0});
    }
    // clang-format off
    const Run airRuns[] = {
        { 1,  8,  1,  125, +1, 1481, 1487},
        {10, 16,  1,  370, +1, 1487, 1496},
        {24, 18, -1,  371, +1, 1534, 1520},
        {33, 26, -1,  127, +1, 1530, 1534},
        {37, 45,  1, 1302, -1, 1483, 1487},
        {47, 53,  1, 1074, -1, 1487, 1500},
        {55, 61,  1,  728, +1, 1520, 1533},
        {63, 67,  1, 1109, +1, 1533, 1527},
        {69, 69,  1, 1285, +1, 1527, 1527},
    };
    // clang-format on
    for (const Run& r : airRuns) {
        if (!air.Lay(r, AirspeedBox)) return false;
    }
    return true;
}

// The gauges' needles, clear of the airspeed needles laid before them.
bool LayGaugeNeedles(Packer& gauge, const Packer& air) {
    for (const LaidNeedle& p : air.placed()) gauge.Fix(-1, p.src, {});
    for (int k : kFixedGauge) {
        const GaugeNeedle& n = kGaugeNeedles[k];
        gauge.Fix(k, {n.srcX, n.srcY, n.width, n.height}, {n.dx, n.dy, 0, 0});
    }
    // clang-format off
    const Run gaugeRuns[] = {
        { 2,  8,  1,  745, +1,  915,  922},
        {10, 17,  1,  916, +1,  922,  931},
        {28, 35,  1,  888, -1,  957,  956},
        {26, 19, -1,  913, +1,  957,  964},
        {46, 53,  1, 1016, -1,  992,  996},
        {44, 37, -1, 1042, +1,  992,  998},
        {64, 69,  1, 1025, +1, 1031, 1025},
        {62, 55, -1, 1001, -1, 1031, 1037},
    };
    // clang-format on
    for (const Run& r : gaugeRuns) {
        if (!gauge.Lay(r, GaugeBox)) return false;
    }
    return true;
}

void PrintTables(const AirspeedNeedle (&air)[kAirspeedNeedleCount], const GaugeNeedle (&gauge)[kGaugeNeedleCount]) {
    std::printf(
        "// Generated by atlasgen --needle-tables from the needle pictures it draws (tools/atlasgen/NeedleArt.cpp);\n"
        "// rows marked \"fixed\" are the game's own and are kept as they are.\n"
        "// The needle tables of the airspeed indicator and of the round gauges.\n"
        "#include \"gfx/AtlasCatalogue.h\"\n\n"
        "// clang-format off\n"
        "const AirspeedNeedle kAirspeedNeedles[kAirspeedNeedleCount] = {\n"
        "//  destX destY srcX  srcY  w   h\n");
    for (int k = 0; k < kAirspeedNeedleCount; ++k) {
        const AirspeedNeedle& n = air[k];
        std::printf("    {%4d, %4d, %4d, %4d, %3d, %3d},  // %d%s\n", n.destX, n.destY, n.srcX, n.srcY, n.width, n.height,
                    k, IsFixed(kFixedAirspeed, k) ? ", fixed" : "");
    }
    std::printf(
        "};\n\n"
        "const GaugeNeedle kGaugeNeedles[kGaugeNeedleCount] = {\n"
        "//  dx  dy  srcX  srcY  w   h\n");
    for (int k = 0; k < kGaugeNeedleCount; ++k) {
        const GaugeNeedle& n = gauge[k];
        std::printf("    {%3d, %3d, %4d, %4d, %3d, %3d},  // %d%s\n", n.dx, n.dy, n.srcX, n.srcY, n.width, n.height, k,
                    IsFixed(kFixedGauge, k) ? ", fixed" : "");
    }
    std::printf("};\n// clang-format on\n");
}

}  // namespace

bool PrintNeedleTables() {
    Packer air(CatalogueObstacles());
    if (!LayAirspeedNeedles(air)) return false;
    Packer gauge(CatalogueObstacles());
    if (!LayGaugeNeedles(gauge, air)) return false;

    AirspeedNeedle air71[kAirspeedNeedleCount];
    for (const LaidNeedle& p : air.placed()) {
        const bool fixed = IsFixed(kFixedAirspeed, p.index);
        const AirspeedNeedle& old = kAirspeedNeedles[p.index];
        air71[p.index] = fixed ? old
                               : AirspeedNeedle{static_cast<int16_t>(kAirspeedFaceX + p.dialBox.x),
                                                static_cast<int16_t>(kAirspeedFaceY + p.dialBox.y),
                                                static_cast<int16_t>(p.src.x), static_cast<int16_t>(p.src.y),
                                                static_cast<int16_t>(p.src.w), static_cast<int16_t>(p.src.h)};
    }
    air71[36] = kAirspeedNeedles[36];
    GaugeNeedle gauge72[kGaugeNeedleCount];
    for (const LaidNeedle& p : gauge.placed()) {
        if (p.index < 0) continue;
        const bool fixed = IsFixed(kFixedGauge, p.index);
        gauge72[p.index] = fixed ? kGaugeNeedles[p.index]
                                 : GaugeNeedle{static_cast<int16_t>(p.dialBox.x), static_cast<int16_t>(p.dialBox.y),
                                               static_cast<int16_t>(p.src.x), static_cast<int16_t>(p.src.y),
                                               static_cast<int16_t>(p.src.w), static_cast<int16_t>(p.src.h)};
    }
    PrintTables(air71, gauge72);
    return true;
}
