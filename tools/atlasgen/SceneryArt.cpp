#include "SceneryArt.h"

#include <cmath>
#include <cstdint>

#include "PaintKit.h"

namespace {

// The view looks down the approach: the vanishing point sits on the horizon
// above the runway, which the outline draws at screen column 320 (scenery
// column 634 with the view at rest).
constexpr double kVanishX = 634.0;
constexpr double kHorizon = kSceneryHorizonRow;

// Ground row of a point `depth` units away (1 = the nearest line).
double RowAt(double depth) { return kHorizon + 190.0 / depth; }
// Scenery column of lateral offset `lateral` at a given row.
double ColumnAt(double lateral, double row) { return kVanishX + lateral * (row - kHorizon); }

void Quad(cairo_t* cr, double l0, double l1, double r0, double r1) {
    // Field between lateral lines l0..l1 and rows r0 (far) .. r1 (near).
    Polygon(cr, {{ColumnAt(l0, r0), r0}, {ColumnAt(l1, r0), r0}, {ColumnAt(l1, r1), r1}, {ColumnAt(l0, r1), r1}});
}

void Hills(cairo_t* cr, int width, double amplitude, double base, double phase, int index) {
    cairo_move_to(cr, 0, kHorizon + 1);
    for (int x = 0; x <= width; x += 3) {
        const double h = amplitude * (0.55 + 0.25 * std::sin(x * 0.011 + phase) + 0.15 * std::sin(x * 0.037 + 2 * phase) +
                                      0.05 * std::sin(x * 0.13 + phase));
        cairo_line_to(cr, x, base - h);
    }
    cairo_line_to(cr, width, kHorizon + 1);
    cairo_close_path(cr);
    SetIndex(cr, index);
    cairo_fill(cr);
}

void Building(cairo_t* cr, double x, double y, double w, double h, int wall, int roof) {
    FillIndex(cr, static_cast<int>(x), static_cast<int>(y - h), static_cast<int>(w), static_cast<int>(h), wall);
    Polygon(cr, {{x - 0.5, y - h}, {x + w / 2, y - h - std::max(2.0, w / 2.5)}, {x + w + 0.5, y - h}});
    SetIndex(cr, roof);
    cairo_fill(cr);
}

// ---- The layers, back to front ------------------------------------------------
//
// One generator runs through the layers in this order, so each layer's
// scatter depends on the ones before it.

// The sky, deep overhead to haze at the horizon, with banks of cloud. It is
// the scenery's own, so it tilts and climbs with the land.
void SkyWithClouds(cairo_t* cr, int width, ArtRand& rand) {
    FillVerticalGradient(cr, 0, 0, width, kHorizon + 1, 0, kHorizon,
                         {{0.0, RampIndex(Ramp::Sky, 1)}, {0.55, RampIndex(Ramp::Sky, 8)}, {1.0, RampIndex(Ramp::Sky, 17)}});
    for (int i = 0; i < 26; ++i) {
        const double x = rand.Below(width), y = 40 + rand.Below(static_cast<int>(kHorizon) - 70);
        const double scale = 0.5 + y / kHorizon;
        for (int puff = 0; puff < 4; ++puff) {
            cairo_save(cr);
            cairo_translate(cr, x + puff * 9 * scale, y - (puff % 2) * 3 * scale);
            cairo_scale(cr, (12 + rand.Below(10)) * scale, (3 + rand.Below(3)) * scale);
            cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
            cairo_restore(cr);
            SetIndexAlpha(cr, RampIndex(Ramp::Sky, 17), 0.85);
            cairo_fill(cr);
        }
    }
}

// The rows of the field patchwork, far to near.
struct FieldRows {
    double depths[40];
    int count = 0;
};
FieldRows FieldDepths() {
    FieldRows rows;
    for (double d = 40.0; d > 0.55 && rows.count < 40; d /= 1.32) rows.depths[rows.count++] = d;
    return rows;
}

// Ground base and the patchwork of fields in perspective.
void Fields(cairo_t* cr, int width, int height, const FieldRows& rows, ArtRand& rand) {
    FillIndex(cr, 0, static_cast<int>(kHorizon), width, height - static_cast<int>(kHorizon), RampIndex(Ramp::Grass, 4));
    const int fieldColours[] = {
        RampIndex(Ramp::Grass, 3), RampIndex(Ramp::Grass, 5), RampIndex(Ramp::Grass, 7), RampIndex(Ramp::Grass, 9),
        RampIndex(Ramp::Crop, 1),  RampIndex(Ramp::Crop, 3),  RampIndex(Ramp::Soil, 3),  RampIndex(Ramp::Soil, 5),
        RampIndex(Ramp::Grass, 6), RampIndex(Ramp::Grass, 4),
    };
    for (int r = 0; r + 1 < rows.count; ++r) {
        const double r0 = RowAt(rows.depths[r]), r1 = RowAt(rows.depths[r + 1]);
        double lateral = -40.0 + rand.Below(10) * 0.4;
        while (lateral < 40.0) {
            const double next = lateral + 1.6 + rand.Below(30) * 0.12;
            Quad(cr, lateral, next, r0, r1 + 0.6);
            SetIndex(cr, fieldColours[rand.Below(10)]);
            cairo_fill(cr);
            lateral = next;
        }
    }
}

// Hedgerows along a few field edges near the viewer.
void Hedgerows(cairo_t* cr, int width, const FieldRows& rows, ArtRand& rand) {
    for (int r = rows.count / 2; r + 1 < rows.count; ++r) {
        const double row = RowAt(rows.depths[r]);
        for (int i = 0; i < 10; ++i) {
            const double x = rand.Below(width);
            const double size = 1.0 + (row - kHorizon) / 50.0;
            cairo_save(cr);
            cairo_translate(cr, x, row);
            cairo_scale(cr, size * 3.0, size * 1.3);
            cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
            cairo_restore(cr);
            SetIndex(cr, RampIndex(Ramp::Grass, 1));
            cairo_fill(cr);
        }
    }
}

// A river winding in from the left, a road along the approach to the left
// of the runway, one further out and one across.
void RiverAndRoads(cairo_t* cr, int width, int height) {
    cairo_move_to(cr, 0, kHorizon + 6);
    cairo_curve_to(cr, 200, kHorizon + 4, 280, kHorizon + 30, 180, kHorizon + 70);
    cairo_curve_to(cr, 100, kHorizon + 120, 160, height - 40, 60, height + 10);
    cairo_set_line_width(cr, 5.0);
    SetIndex(cr, RampIndex(Ramp::Sky, 6));
    cairo_stroke(cr);
    for (double lateral : {-3.2, 7.5}) {
        cairo_move_to(cr, ColumnAt(lateral, kHorizon + 2), kHorizon + 2);
        cairo_line_to(cr, ColumnAt(lateral, height), height);
        cairo_set_line_width(cr, 2.0);
        SetIndex(cr, RampIndex(Ramp::Asphalt, 3));
        cairo_stroke(cr);
    }
    const double crossRow = RowAt(3.1);
    cairo_move_to(cr, 0, crossRow - 4);
    cairo_line_to(cr, width, crossRow + 2);
    cairo_set_line_width(cr, 2.0);
    SetIndex(cr, RampIndex(Ramp::Asphalt, 4));
    cairo_stroke(cr);
}

// The airfield: a pale mown patch around the runway's far end, hangars.
void Airfield(cairo_t* cr) {
    Quad(cr, -0.4, 0.4, kHorizon + 1, kHorizon + 24);
    SetIndex(cr, RampIndex(Ramp::Grass, 8));
    cairo_fill(cr);
    Building(cr, kVanishX + 14, kHorizon + 8, 7, 3, RampIndex(Ramp::Wall, 2), RampIndex(Ramp::Asphalt, 2));
    Building(cr, kVanishX + 23, kHorizon + 9, 5, 3, RampIndex(Ramp::Wall, 1), RampIndex(Ramp::Asphalt, 2));
}

// A town with a church on the left, a village on the right.
void TownAndVillage(cairo_t* cr, ArtRand& rand) {
    for (int i = 0; i < 34; ++i) {
        const double x = 440 + rand.Below(130), y = kHorizon + 4 + rand.Below(14);
        const double scale = 1.0 + (y - kHorizon) / 14.0;
        Building(cr, x, y, 3 * scale, 2 * scale, RampIndex(Ramp::Wall, rand.Below(4)), RampIndex(Ramp::Roof, 1 + rand.Below(4)));
    }
    FillIndex(cr, 512, static_cast<int>(kHorizon) - 8, 2, 16, RampIndex(Ramp::Wall, 1));  // church tower
    cairo_move_to(cr, 511, kHorizon - 8);
    cairo_line_to(cr, 513, kHorizon - 15);
    cairo_line_to(cr, 515, kHorizon - 8);
    SetIndex(cr, RampIndex(Ramp::Roof, 0));
    cairo_fill(cr);
    for (int i = 0; i < 10; ++i) {
        const double x = 800 + rand.Below(60), y = kHorizon + 10 + rand.Below(10);
        const double scale = 1.0 + (y - kHorizon) / 12.0;
        Building(cr, x, y, 3 * scale, 2 * scale, RampIndex(Ramp::Wall, rand.Below(4)), RampIndex(Ramp::Roof, 2 + rand.Below(3)));
    }
}

// Aerial perspective: the distance fades into the haze.
void Haze(cairo_t* cr, int width) {
    const int mist = RampIndex(Ramp::Hills, 4);
    SetLinearGradient(cr, 0, kHorizon, 0, kHorizon + 70, {IndexColorStop(0.0, mist, 0.45), IndexColorStop(1.0, mist, 0.0)});
    FillRect(cr, 0, kHorizon, width, 70);
}

}  // namespace

void PaintScenery(cairo_t* cr, int width, int height) {
    ArtRand rand(20260u);
    SkyWithClouds(cr, width, rand);
    // Two ranges of hills, the far one paler.
    Hills(cr, width, 16, kHorizon, 0.7, RampIndex(Ramp::Hills, 3));
    Hills(cr, width, 8, kHorizon + 1, 2.3, RampIndex(Ramp::Hills, 1));
    const FieldRows rows = FieldDepths();
    Fields(cr, width, height, rows, rand);
    Hedgerows(cr, width, rows, rand);
    RiverAndRoads(cr, width, height);
    Airfield(cr);
    TownAndVillage(cr, rand);
    Haze(cr, width);
}
