// The title picture, the title animation and the buttons of the title and
// information screens.
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "ScreensArt.h"

namespace screens {

namespace {

void Stars(cairo_t* cr, int x, int y, int w, int h, int count, uint32_t seed) {
    ArtRand s(seed);
    for (int i = 0; i < count; ++i) {
        const int sx = x + static_cast<int>(s.Unit() * w), sy = y + static_cast<int>(s.Unit() * h);
        const double bright = s.Unit();
        FillIndex(cr, sx, sy, 1, 1, bright > 0.8 ? RampIndex(Ramp::Grey, 13) : RampIndex(Ramp::Sky, 10));
        if (bright > 0.93) {  // a few brighter ones with a small cross
            FillIndex(cr, sx - 1, sy, 3, 1, RampIndex(Ramp::Sky, 8));
            FillIndex(cr, sx, sy - 1, 1, 3, RampIndex(Ramp::Sky, 8));
            FillIndex(cr, sx, sy, 1, 1, RampIndex(Ramp::Grey, 13));
        }
    }
}

// Lettering filled with a vertical gold gradient over a dark outline.
void GoldLettering(cairo_t* cr, const char* text, Font font, double size, double cx, double baseline) {
    SelectFont(cr, font, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, text, &e);
    const double x = std::round(cx - e.width / 2 - e.x_bearing);
    cairo_save(cr);
    cairo_move_to(cr, x + 2, baseline + 2);
    cairo_text_path(cr, text);
    SetIndex(cr, RampIndex(Ramp::Navy, 0));
    cairo_set_line_width(cr, 3.0);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
    cairo_fill(cr);
    cairo_move_to(cr, x, baseline);
    cairo_text_path(cr, text);
    SetIndex(cr, RampIndex(Ramp::Gold, 0));
    cairo_set_line_width(cr, 2.0);
    cairo_stroke_preserve(cr);
    SetLinearGradient(cr, 0, baseline + e.y_bearing, 0, baseline,
                      {Stop255(0.0, 255, 240, 170), Stop255(0.5, 240, 190, 70), Stop255(1.0, 170, 100, 10)});
    cairo_fill(cr);
    cairo_restore(cr);
}

// ---- The airliner in profile, layer by layer, in its own units: 150 from
// tail to nose, nose to the right.

// Landing light beam, ahead and down.
void LandingBeam(cairo_t* cr) {
    SetLinearGradient(cr, 140, 10, 260, 40, {{0, 1, 0.97, 0.85, 0.55}, {1, 1, 0.97, 0.85, 0.0}});
    Polygon(cr, {{112, 13}, {230, 16}, {230, 52}});
    cairo_fill(cr);
}

// Far wing and engine (darker).
void FarWing(cairo_t* cr) {
    SetRgb(cr, 34, 38, 66);
    Polygon(cr, {{70, 8}, {92, -8}, {100, -8}, {88, 8}});
    cairo_fill(cr);
}

// The fuselage, lit from above; its outline one pixel wide at any `scale`,
// as are the outlines painted after it.
void Fuselage(cairo_t* cr, double scale) {
    cairo_new_path(cr);
    cairo_move_to(cr, 6, 4);
    cairo_line_to(cr, 130, 2);
    cairo_curve_to(cr, 144, 2, 152, 8, 152, 11);
    cairo_curve_to(cr, 150, 16, 142, 19, 130, 19);
    cairo_line_to(cr, 30, 19);
    cairo_curve_to(cr, 18, 18, 10, 14, 2, 6);
    cairo_close_path(cr);
    SetLinearGradient(cr, 0, 2, 0, 19, {Stop255(0, 236, 200, 190), Stop255(0.45, 150, 140, 170), Stop255(1, 50, 52, 86)});
    cairo_fill_preserve(cr);
    SetRgb(cr, 16, 18, 40);
    cairo_set_line_width(cr, 1.0 / scale);
    cairo_stroke(cr);
}

// Fills the current path in one colour and outlines it in the dark one.
void FillOutlined(cairo_t* cr, int r, int g, int b) {
    SetRgb(cr, r, g, b);
    cairo_fill_preserve(cr);
    SetRgb(cr, 16, 18, 40);
    cairo_stroke(cr);
}

// Tail fin and tailplane.
void Tail(cairo_t* cr) {
    Polygon(cr, {{4, 5}, {-6, -26}, {6, -26}, {30, 4}});
    FillOutlined(cr, 60, 70, 140);
    Polygon(cr, {{2, 8}, {-8, 4}, {22, 8}});
    SetRgb(cr, 90, 90, 130);
    cairo_fill(cr);
}

// Gold cheat line, cabin windows and the cockpit's.
void CheatLineAndWindows(cairo_t* cr) {
    SetRgb(cr, 230, 170, 60);
    FillRect(cr, 20, 12, 118, 1.4);
    for (int i = 0; i < 22; ++i) {
        SetRgb(cr, 255, 222, 140);
        FillRect(cr, 30 + i * 4.6, 8, 2.2, 2.2);
    }
    SetRgb(cr, 30, 36, 70);
    Polygon(cr, {{138, 6}, {146, 6}, {148, 9}, {140, 9}});
    cairo_fill(cr);
}

// Near wing, swept back, and its engine.
void NearWing(cairo_t* cr) {
    Polygon(cr, {{62, 15}, {96, 15}, {70, 34}, {58, 34}});
    FillOutlined(cr, 120, 118, 150);
    cairo_new_path(cr);
    cairo_rectangle(cr, 72, 22, 24, 8);
    FillOutlined(cr, 170, 160, 180);
}

void LandingGear(cairo_t* cr) {
    SetRgb(cr, 20, 20, 30);
    cairo_rectangle(cr, 120, 18, 2, 10);
    cairo_rectangle(cr, 70, 18, 2.5, 14);
    cairo_fill(cr);
    cairo_arc(cr, 121, 30, 3, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_arc(cr, 68, 34, 3.6, 0, 2 * M_PI);
    cairo_arc(cr, 75, 34, 3.6, 0, 2 * M_PI);
    cairo_fill(cr);
}

// A round light of radius r at (x, y).
void Light(cairo_t* cr, double x, double y, double r, int red, int green, int blue) {
    SetRgb(cr, red, green, blue);
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    cairo_fill(cr);
}

// An airliner in profile, nose to the right and a little up, gear down and
// landing lights on: the title picture's aircraft on short final.
void AirlinerProfile(cairo_t* cr, double x, double y, double length) {
    const double s = length / 150.0;
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, -4 * M_PI / 180);
    cairo_scale(cr, s, s);
    LandingBeam(cr);
    FarWing(cr);
    Fuselage(cr, s);
    Tail(cr);
    CheatLineAndWindows(cr);
    NearWing(cr);
    LandingGear(cr);
    // Lights: landing light, red beacon, white strobe on the tail.
    Light(cr, 112, 15, 2.6, 255, 255, 230);
    Light(cr, 60, 1.5, 1.8, 255, 40, 30);
    Light(cr, -5, -26, 1.6, 255, 255, 255);
    cairo_restore(cr);
}

// ---- The approach lights at night, from the cockpit on final

// Sky in flat bands over the window's `w` columns down to `horizon`, from
// dark overhead to the last glow of the sunset, with `bandRows` rows each
// and the last band down to the horizon.
template <size_t N>
void SkyBands(cairo_t* cr, int w, int horizon, const int (&bands)[N], const int (&bandRows)[N]) {
    int y = 0;
    for (size_t i = 0; i < N; ++i) {
        FillIndex(cr, 0, y, w, bandRows[i], bands[i]);
        y += bandRows[i];
    }
    FillIndex(cr, 0, y, w, horizon - y, bands[N - 1]);
}

// The perspective of the view ahead: a point `across` (runway half-widths)
// off the centre line and `z` ahead lands at (X, Y).
struct NightView {
    cairo_t* cr;
    double cx, horizon, f;
    double X(double across, double z) const { return cx + f * across / z; }
    double Y(double z) const { return horizon + f / z; }
    // A lamp, a dot or a small cross as its size and distance make it.
    void Lamp(double across, double z, int index, double size) const {
        const double r = std::max(0.5, size * 24 / z);
        const int ix = static_cast<int>(std::floor(X(across, z))), iy = static_cast<int>(std::floor(Y(z)));
        if (r < 1.0) {
            FillIndex(cr, ix, iy, 1, 1, index);
        } else {
            FillIndex(cr, ix - static_cast<int>(r / 2), iy, static_cast<int>(r) + 1, 1, index);
            if (r >= 1.5) FillIndex(cr, ix, iy - 1, 1, 3, index);
        }
    }
};

// Lights of the country round the airfield, thinning out near the horizon,
// and the dark ground under them.
void CountryAtNight(cairo_t* cr, int w, int h, double horizon, double cx) {
    ArtRand far(31);
    for (int i = 0; i < 50; ++i) {
        const double t = far.Unit(), d = far.Unit();
        const int lx = static_cast<int>(t * w), ly = static_cast<int>(horizon + 3 + d * d * 60);
        if (std::fabs(lx - cx) < 20 + (ly - horizon) * 2.5) continue;
        FillIndex(cr, lx, ly, 1, 1, far.Unit() > 0.5 ? RampIndex(Ramp::Amber, 7) : RampIndex(Ramp::Panel, 12));
    }
    FillIndex(cr, 0, static_cast<int>(horizon), w, h - static_cast<int>(horizon), RampIndex(Ramp::Navy, 0));
    FillIndex(cr, 0, static_cast<int>(horizon), w, 2, RampIndex(Ramp::Hills, 0));
}

// At night the runway is its lights: two converging rows and the centre
// line, the far end and the green threshold, then the approach lights'
// centre-line bars of five lamps, every 30 m or so, and the crossbar.
void RunwayLightsAtNight(const NightView& v) {
    const int white = RampIndex(Ramp::Grey, 12), dimWhite = RampIndex(Ramp::Amber, 9);
    for (double z = 42; z <= 400; z *= 1.1) {
        v.Lamp(-1.5, z, dimWhite, 1.0);
        v.Lamp(1.5, z, dimWhite, 1.0);
    }
    for (double z = 44; z <= 400; z *= 1.07) v.Lamp(0, z, RampIndex(Ramp::Panel, 15), 0.6);
    for (double X = -1.2; X <= 1.21; X += 0.4) v.Lamp(X, 400, RampIndex(Ramp::Red, 6), 1.0);
    for (double X = -1.8; X <= 1.81; X += 0.3) v.Lamp(X, 42, RampIndex(Ramp::Green, 8), 1.3);
    for (double z = 15; z <= 40; z += 2) {
        for (double X = -0.4; X <= 0.41; X += 0.2) v.Lamp(X, z, white, 1.0);
    }
    for (double X = -1.6; X <= 1.61; X += 0.2) {
        if (std::fabs(X) > 0.45) v.Lamp(X, 23, white, 1.0);
    }
}

// The sequenced flasher `rabbit` (0..3): a bright burst with a blue-white
// halo on the centre line.
void Flasher(const NightView& v, int rabbit) {
    cairo_t* cr = v.cr;
    const double zFlash[4] = {15, 21, 29, 37};
    const double z = zFlash[rabbit];
    const double fx = v.X(0, z), fy = v.Y(z);
    const double halo = 110 / z;
    FillDisc(cr, fx, fy, halo, RampIndex(Ramp::Cyan, 2));
    FillDisc(cr, fx, fy, halo * 0.7, RampIndex(Ramp::Sky, 14));
    FillDisc(cr, fx, fy, halo * 0.4, RampIndex(Ramp::Grey, 13));
    SetIndex(cr, RampIndex(Ramp::Sky, 16));
    cairo_rectangle(cr, std::floor(fx - halo * 2), std::floor(fy), std::ceil(halo * 4), 1);
    cairo_rectangle(cr, std::floor(fx), std::floor(fy - halo * 1.4), 1, std::ceil(halo * 2.8));
    cairo_fill(cr);
}

// The approach lights and runway seen from the cockpit on final, as in the
// title animation's window; `rabbit` (0..3) is the sequenced flasher that
// is lit, running towards the runway, or -1 for none.
void ApproachLights(cairo_t* cr, int w, int h, int rabbit) {
    const double horizon = 38, cx = w / 2.0, f = 900;
    const int sky[] = {RampIndex(Ramp::Navy, 0), RampIndex(Ramp::Navy, 1), RampIndex(Ramp::Navy, 2),
                       RampIndex(Ramp::Navy, 3), RampIndex(Ramp::Violet, 1), RampIndex(Ramp::Roof, 2),
                       RampIndex(Ramp::Roof, 4)};
    const int bandRows[] = {8, 8, 7, 6, 4, 3, 2};
    SkyBands(cr, w, static_cast<int>(horizon), sky, bandRows);
    Stars(cr, 0, 0, w, 20, 30, 77);
    CountryAtNight(cr, w, h, horizon, cx);
    const NightView view{cr, cx, horizon, f};
    RunwayLightsAtNight(view);
    if (rabbit >= 0) Flasher(view, rabbit);
}

// ---- The rotating airport beacon, 193 x 189, in its round window

// Ground, a hangar and lines of taxiway lights.
void AirfieldAtNight(cairo_t* cr) {
    FillIndex(cr, 0, 142, 193, 47, RampIndex(Ramp::Navy, 0));
    FillIndex(cr, 0, 142, 193, 1, RampIndex(Ramp::Hills, 0));
    FillIndex(cr, 118, 118, 56, 24, RampIndex(Ramp::Panel, 3));
    SetIndex(cr, RampIndex(Ramp::Panel, 3));
    cairo_move_to(cr, 116, 119);
    cairo_curve_to(cr, 130, 106, 162, 106, 176, 119);
    cairo_close_path(cr);
    cairo_fill(cr);
    FillIndex(cr, 130, 128, 32, 14, RampIndex(Ramp::Amber, 5));
    FillIndex(cr, 146, 128, 1, 14, RampIndex(Ramp::Amber, 3));
    FillIndex(cr, 145, 109, 2, 2, RampIndex(Ramp::Red, 7));  // obstruction light
    for (int i = 0; i < 12; ++i) {
        FillIndex(cr, 8 + i * 15, 156 + (i % 2), 2, 1, RampIndex(Ramp::Cyan, 3));
        FillIndex(cr, 4 + i * 16, 170, 3, 1, RampIndex(Ramp::Amber, 9));
    }
}

// The beacon tower: a tapering lattice with a platform on top.
void BeaconTower(cairo_t* cr) {
    const int steel = RampIndex(Ramp::Panel, 8), steelLight = RampIndex(Ramp::Panel, 13);
    SetIndex(cr, steel);
    cairo_set_line_width(cr, 1.0);
    cairo_move_to(cr, 62.5, 160);
    cairo_line_to(cr, 72.5, 64);
    cairo_move_to(cr, 92.5, 160);
    cairo_line_to(cr, 82.5, 64);
    cairo_stroke(cr);
    for (int k = 0; k < 8; ++k) {
        const double y0 = 160 - k * 12, y1 = y0 - 12;
        const double l0 = 62.5 + (160 - y0) * 10 / 96, r0 = 92.5 - (160 - y0) * 10 / 96;
        const double l1 = 62.5 + (160 - y1) * 10 / 96, r1 = 92.5 - (160 - y1) * 10 / 96;
        cairo_move_to(cr, l0, y0);
        cairo_line_to(cr, r1, y1);
        cairo_move_to(cr, r0, y0);
        cairo_line_to(cr, l1, y1);
        cairo_move_to(cr, l1, y1 + 0.5);
        cairo_line_to(cr, r1, y1 + 0.5);
    }
    cairo_stroke(cr);
    SetIndex(cr, steelLight);
    cairo_move_to(cr, 71.5, 64);
    cairo_line_to(cr, 61.5, 160);
    cairo_stroke(cr);
    FillIndex(cr, 66, 60, 24, 4, RampIndex(Ramp::Panel, 10));
    FillIndex(cr, 66, 60, 24, 1, steelLight);
}

// The lamp's beam reaching out of the window, bright at the lamp at (lx, ly):
// white to the left, or green to the right.
void BeaconBeam(cairo_t* cr, double lx, double ly, bool white) {
    const double dir = white ? -1 : 1;
    const double ex = white ? 0 : 193;
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
    Polygon(cr, {{lx, ly - 3}, {ex, ly - 3 - 26}, {ex, ly + 3 + 20}, {lx, ly + 3}});
    if (white) {
        SetLinearGradient(cr, lx, ly, ex, ly, {{0, 1, 1, 0.92, 0.95}, {1, 0.75, 0.8, 0.95, 0.25}});
    } else {
        SetLinearGradient(cr, lx, ly, ex, ly, {{0, 0.6, 1, 0.6, 0.95}, {1, 0.1, 0.7, 0.3, 0.25}});
    }
    cairo_fill(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    const int glow = white ? RampIndex(Ramp::Grey, 13) : RampIndex(Ramp::Green, 9);
    FillDisc(cr, lx + dir * 2, ly, 7, white ? RampIndex(Ramp::Sky, 15) : RampIndex(Ramp::Green, 7));
    FillDisc(cr, lx + dir * 2, ly, 4.5, glow);
}

// The rotating airport beacon in its round window: `phase` 0 shows the white
// beam, 2 the green, 1 the beacon turned away between them.
void BeaconFrame(cairo_t* cr, int phase) {
    const double cx = 96.5, cy = 94.5, radius = 92;
    cairo_save(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_arc(cr, cx, cy, radius, 0, 2 * M_PI);
    cairo_clip(cr);
    // Night sky in flat bands.
    const int sky[] = {RampIndex(Ramp::Navy, 0), RampIndex(Ramp::Navy, 1), RampIndex(Ramp::Navy, 2),
                       RampIndex(Ramp::Navy, 3), RampIndex(Ramp::Violet, 1), RampIndex(Ramp::Roof, 2)};
    const int bandRows[] = {46, 32, 24, 16, 12, 12};
    SkyBands(cr, 193, 142, sky, bandRows);
    Stars(cr, 0, 0, 193, 90, 60, 1234);
    AirfieldAtNight(cr);
    BeaconTower(cr);
    // The lamp housing.
    FillIndex(cr, 71, 44, 14, 16, RampIndex(Ramp::Panel, 5));
    FillIndex(cr, 73, 40, 10, 4, RampIndex(Ramp::Panel, 7));
    const double lx = 78, ly = 51;
    if (phase == 0 || phase == 2) {
        BeaconBeam(cr, lx, ly, phase == 0);
    } else {
        // Turned away: only the lamp's back and a faint glow behind it.
        FillDisc(cr, lx, ly, 6, RampIndex(Ramp::Navy, 4));
        FillDisc(cr, lx, ly, 4, RampIndex(Ramp::Panel, 9));
        FillIndex(cr, 75, 47, 6, 8, RampIndex(Ramp::Panel, 6));
    }
    cairo_restore(cr);
}

// ---- The title picture's dusk landscape, 632 wide, its horizon 331 down

constexpr double kTitleHorizon = 331;

// Dusk sky: navy overhead, violet, the glow of the set sun low in the west.
void DuskSky(cairo_t* cr, int w) {
    const double horizon = kTitleHorizon;
    SetLinearGradient(cr, 0, 0, 0, horizon,
                      {Stop255(0.0, 4, 8, 40), Stop255(0.35, 24, 34, 96), Stop255(0.65, 86, 56, 130),
                       Stop255(0.86, 200, 100, 96), Stop255(1.0, 255, 190, 100)});
    FillRect(cr, 0, 0, w, horizon);
    SetRadialGradient(cr, 470, horizon + 6, 4, 470, horizon + 6, 170, {{0, 1, 0.9, 0.6, 0.9}, {1, 1, 0.6, 0.4, 0.0}});
    FillRect(cr, 0, 0, w, horizon);
    Stars(cr, 0, 1, w, 150, 150, 99);
}

// An ellipse path of half-width rx and half-height ry about (cx, cy).
void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
}

// Long thin clouds lit from below by the sunset.
void SunsetClouds(cairo_t* cr) {
    struct Cloud {
        double x, y, w;
    };
    const Cloud clouds[] = {{-20, 268, 220}, {30, 292, 160}, {520, 250, 150}, {470, 282, 200}, {140, 306, 90}};
    for (const Cloud& c : clouds) {
        Ellipse(cr, c.x + c.w / 2, c.y, c.w / 2, 4.5);
        SetRgb(cr, 70, 46, 96);
        cairo_fill(cr);
        Ellipse(cr, c.x + c.w / 2, c.y + 2.5, c.w / 2.3, 2.0);
        SetRgb(cr, 240, 140, 90);
        cairo_fill(cr);
    }
}

// Hills, then the dark ground with the lights of a town; the airfield
// ahead stays dark.
void HillsAndTown(cairo_t* cr, int w, int h) {
    const double horizon = kTitleHorizon;
    SetRgb(cr, 36, 30, 64);
    cairo_move_to(cr, 0, horizon + 1);
    for (int i = 0; i <= w; i += 3) {
        const double t = i / static_cast<double>(w);
        cairo_line_to(cr, i, horizon - 6 - 5 * std::sin(t * 9 + 0.5) - 3 * std::sin(t * 23));
    }
    cairo_line_to(cr, w, horizon + 1);
    cairo_close_path(cr);
    cairo_fill(cr);
    SetLinearGradient(cr, 0, horizon, 0, h, {Stop255(0, 30, 34, 56), Stop255(1, 8, 14, 20)});
    FillRect(cr, 0, horizon, w, h - horizon);
    ArtRand town(4242);
    for (int i = 0; i < 140; ++i) {
        const double t = town.Unit();
        const int tx = static_cast<int>(t * w);
        const int ty = static_cast<int>(horizon + 2 + town.Unit() * town.Unit() * 40);
        if (std::fabs(tx - 316.0) < 40 + (ty - horizon) * 2) continue;
        FillIndex(cr, tx, ty, 1, 1, town.Unit() > 0.3 ? RampIndex(Ramp::Amber, 9) : RampIndex(Ramp::Grey, 12));
    }
}

// The runway ahead in perspective: a point `across` half-widths off the
// centre line and z ahead lands at (X, Y).
struct DuskRunway {
    double X(double across, double z) const { return 316 + 60 * across / z; }
    double Y(double z) const { return kTitleHorizon + 50 / z; }
};

// The runway's surface and its centre-line stripes.
void RunwaySurface(cairo_t* cr, const DuskRunway& v) {
    SetRgb(cr, 40, 42, 52);
    Polygon(cr, {{v.X(-1, 1), v.Y(1)}, {v.X(1, 1), v.Y(1)}, {v.X(1, 40), v.Y(40)}, {v.X(-1, 40), v.Y(40)}});
    cairo_fill(cr);
    for (double z = 1.3; z < 30; z *= 1.35) {
        SetRgb(cr, 170, 170, 180);
        Polygon(cr, {{v.X(-0.03, z), v.Y(z)},
                     {v.X(0.03, z), v.Y(z)},
                     {v.X(0.03, z * 1.12), v.Y(z * 1.12)},
                     {v.X(-0.03, z * 1.12), v.Y(z * 1.12)}});
        cairo_fill(cr);
    }
}

// Edge lights, the green threshold and the approach lights before it.
void RunwayLightsAtDusk(cairo_t* cr, const DuskRunway& v) {
    auto light = [&](double X, double z, int index) {
        const double radius = std::min(2.2, 0.6 + 0.5 / z);
        FillDisc(cr, v.X(X, z), v.Y(z), radius, index);
    };
    for (double z = 1; z <= 40; z *= 1.15) {
        light(-1.02, z, RampIndex(Ramp::Amber, 10));
        light(1.02, z, RampIndex(Ramp::Amber, 10));
    }
    for (double X = -1.0; X <= 1.01; X += 0.1) light(X, 1, RampIndex(Ramp::Green, 8));
    for (double z = 0.47; z < 0.98; z += 0.07) {
        for (double X = -0.12; X <= 0.121; X += 0.06) light(X, z, RampIndex(Ramp::Grey, 13));
    }
    for (double X = -0.6; X <= 0.61; X += 0.06) {
        if (std::fabs(X) > 0.15) light(X, 0.7, RampIndex(Ramp::Grey, 13));
    }
}

// ---- The title animation's background, 632 x 440, layer by layer

// Navy console, darker towards the bottom, framed by a bevelled rim.
void Console(cairo_t* cr, int w, int h) {
    const int bands[] = {RampIndex(Ramp::Navy, 2), RampIndex(Ramp::Navy, 2), RampIndex(Ramp::Navy, 1),
                         RampIndex(Ramp::Navy, 1)};
    for (int i = 0; i < 4; ++i) FillIndex(cr, 0, i * h / 4, w, h / 4 + 1, bands[i]);
    for (int y = 3; y < h - 3; y += 3) FillIndex(cr, 4, y, w - 8, 1, RampIndex(Ramp::Navy, y < h / 2 ? 3 : 2));
    Bevel(cr, 0, 0, w, h, 3, RampIndex(Ramp::Navy, 6), RampIndex(Ramp::Navy, 0));
    Rivet(cr, 12, 12, 3);
    Rivet(cr, w - 13, 12, 3);
    Rivet(cr, 12, h - 13, 3);
    Rivet(cr, w - 13, h - 13, 3);
}

// The beacon's round window at (59, 64): a steel ring round the frames.
void BeaconWindow(cairo_t* cr) {
    const double cx = 59 + 96.5, cy = 64 + 94.5;
    FillDisc(cr, cx + 2, cy + 2, 102, RampIndex(Ramp::Navy, 0));
    FillDisc(cr, cx, cy, 101, RampIndex(Ramp::Panel, 1));
    FillDisc(cr, cx - 1, cy - 1, 99.5, RampIndex(Ramp::Panel, 17));
    FillDisc(cr, cx + 1, cy + 1, 98.5, RampIndex(Ramp::Panel, 6));
    FillDisc(cr, cx, cy, 97.5, RampIndex(Ramp::Panel, 11));
    FillDisc(cr, cx, cy, 94, RampIndex(Ramp::Panel, 0));
    for (int k = 0; k < 4; ++k) {
        const double a = M_PI / 4 + k * M_PI / 2;
        Rivet(cr, cx + 96 * std::cos(a), cy + 96 * std::sin(a), 1.8);
    }
    cairo_save(cr);
    cairo_translate(cr, 59, 64);
    BeaconFrame(cr, 0);
    cairo_restore(cr);
}

// The approach-light window at (300, 67), with the name above it and the
// game's title and version below.
void ApproachLightWindow(cairo_t* cr) {
    FillIndex(cr, 294, 61, 278, 116, RampIndex(Ramp::Panel, 0));
    Bevel(cr, 295, 62, 276, 114, 2, RampIndex(Ramp::Panel, 17), RampIndex(Ramp::Panel, 5));
    FillIndex(cr, 297, 64, 272, 110, RampIndex(Ramp::Panel, 10));
    Bevel(cr, 298, 65, 270, 108, 1, RampIndex(Ramp::Panel, 4), RampIndex(Ramp::Panel, 16));
    FillIndex(cr, 299, 66, 268, 106, RampIndex(Ramp::Panel, 0));
    cairo_save(cr);
    cairo_translate(cr, 300, 67);
    ApproachLights(cr, 266, 104, 0);
    cairo_restore(cr);
    GoldLettering(cr, "Avelune", Font::SerifBold, 44, 433, 50);
    SetIndex(cr, RampIndex(Ramp::Cyan, 3));
    FitFont(cr, Font::SansBold, "Instrument Landing Simulator Game", 270, 13, 10);
    TextCentredAt(cr, "Instrument Landing Simulator Game", 433, 195);
    SetIndex(cr, RampIndex(Ramp::Gold, 6));
    SelectFont(cr, Font::Sans, 11);
    TextCentredAt(cr, "Version 1.07AC", 433, 211);
}

// The strip window where the small aircraft flies: it is redrawn from these
// pixels one column over every frame, so its scene runs smoothly past both
// ends of that copy (59..574) and has no sharp upright edge.
void StripWindow(cairo_t* cr) {
    FillIndex(cr, 53, 293, 526, 82, RampIndex(Ramp::Panel, 0));
    Bevel(cr, 54, 294, 524, 80, 2, RampIndex(Ramp::Panel, 17), RampIndex(Ramp::Panel, 5));
    FillIndex(cr, 56, 296, 520, 76, RampIndex(Ramp::Panel, 10));
    FillIndex(cr, 58, 298, 518, 72, RampIndex(Ramp::Panel, 0));
    DuskScene(cr, 59, 299, 516, 70, 336, 350, 70);
}

// What the buttons do, and what the game asks of the player.
void ButtonHints(cairo_t* cr, int w) {
    SetIndex(cr, RampIndex(Ramp::Panel, 19));
    const char* hint = "START  fly the approach      i  cockpit guide      QUIT  leave the game";
    FitFont(cr, Font::SansBold, hint, w - 60, 12, 9);
    TextCentredAt(cr, hint, w / 2.0, 398);
    SetIndex(cr, RampIndex(Ramp::Gold, 6));
    const char* brief = "Fly the ILS down a 1 in 15 glide slope to the runway threshold, 47320 ft away";
    FitFont(cr, Font::Sans, brief, w - 60, 12, 9);
    TextCentredAt(cr, brief, w / 2.0, 420);
}

}  // namespace

// ---- Title picture and its plates ---------------------------------------------

void PaintTitlePicture(cairo_t* cr, const Sprite& r, int) {
    DuskSky(cr, r.width);
    SunsetClouds(cr);
    HillsAndTown(cr, r.width, r.height);
    const DuskRunway runway;
    RunwaySurface(cr, runway);
    RunwayLightsAtDusk(cr, runway);
    // The airliner on short final, left of the plate, and the name above.
    AirlinerProfile(cr, 12, 196, 156);
    GoldLettering(cr, "Avelune", Font::SerifBold, 72, 316, 84);
    FillIndex(cr, 0, 0, r.width, 1, TitleTopSky());
}

void PaintTitlePanel(cairo_t* cr, const Sprite& r, int) {
    TitlePlate(cr, r.width, r.height);
    const double cx = r.width / 2.0;
    GoldLettering(cr, "Avelune", Font::SerifBold, 56, cx, 74);
    FillIndex(cr, 40, 88, r.width - 80, 1, RampIndex(Ramp::Gold, 5));
    FillIndex(cr, 40, 89, r.width - 80, 1, RampIndex(Ramp::Gold, 1));
    SetIndex(cr, RampIndex(Ramp::Panel, 20));
    FitFont(cr, Font::SansBold, "Instrument Landing Simulator Game", r.width - 40, 17, 12);
    TextCentredAt(cr, "Instrument Landing Simulator Game", cx, 120);
    SetIndex(cr, RampIndex(Ramp::Cyan, 3));
    SelectFont(cr, Font::Sans, 13);
    TextCentredAt(cr, "Version 1.07AC", cx, 143);
    // The approach drawn small: a glide path falling at 1 in 15 to a runway.
    const int gold = RampIndex(Ramp::Gold, 6), dim = RampIndex(Ramp::Gold, 3);
    FillIndex(cr, 214, 188, 110, 4, RampIndex(Ramp::Asphalt, 2));
    for (int x = 222; x < 320; x += 12) FillIndex(cr, x, 189, 6, 1, RampIndex(Ramp::Grey, 12));
    FillIndex(cr, 212, 186, 2, 8, RampIndex(Ramp::Green, 8));
    for (int x = 58; x < 212; x += 6) {
        const int y = static_cast<int>(std::round(162 + (x - 58) * 26.0 / 154));
        FillIndex(cr, x, y, 3, 1, x < 80 ? gold : dim);
    }
    AirlinerProfile(cr, 20, 152, 36);
    SetIndex(cr, RampIndex(Ramp::Gold, 5));
    SelectFont(cr, Font::Sans, 10);
    TextAt(cr, "1 in 15", 120, 166);
}

// ---- The title animation's background -------------------------------------------

void PaintTitleBackground(cairo_t* cr, const Sprite& r, int) {
    Console(cr, r.width, r.height);
    BeaconWindow(cr);
    ApproachLightWindow(cr);
    // The three buttons at their places (their pictures cover them exactly).
    ButtonFace(cr, 298, 219, 73, 35, ButtonState::Raised, "START");
    ButtonFace(cr, 420, 219, 33, 35, ButtonState::Raised, nullptr);
    InfoGlyph(cr, 420 + 16.5, 219 + 17.5, RampIndex(Ramp::Navy, 1));
    ButtonFace(cr, 497, 219, 73, 35, ButtonState::Raised, "QUIT");
    StripWindow(cr);
    ButtonHints(cr, r.width);
}

void PaintBeacon(cairo_t* cr, const Sprite&, int phase) { BeaconFrame(cr, phase); }

void PaintApproachLights(cairo_t* cr, const Sprite& r, int rabbit) { ApproachLights(cr, r.width, r.height, rabbit); }

// Seen from behind: banked into a correction, then wings level.
void PaintAircraft(cairo_t* cr, const Sprite&, int bankDegrees) { AirlinerRear(cr, 16, 18, 28, bankDegrees); }

// ---- Buttons --------------------------------------------------------------------

void PaintStartButton(cairo_t* cr, const Sprite& r, int state) {
    ButtonEdge(cr, 0, 0, r.width, r.height, static_cast<ButtonState>(state));
}
void PaintQuitButton(cairo_t* cr, const Sprite& r, int state) {
    ButtonFace(cr, 0, 0, r.width, r.height, static_cast<ButtonState>(state), "QUIT");
}
// The page button's face is 33 pixels wide: the pressed picture is drawn at
// x 420 and the released one at x 418, so they meet on the same face.
void PaintPagePressed(cairo_t* cr, const Sprite&, int) {
    ButtonFace(cr, 0, 0, 33, 35, ButtonState::Pressed, nullptr);
    InfoGlyph(cr, 16.5 + 1, 17.5 + 1, RampIndex(Ramp::Navy, 1));
}
void PaintPageReleased(cairo_t* cr, const Sprite&, int) {
    ButtonFace(cr, 2, 0, 33, 35, ButtonState::Raised, nullptr);
    InfoGlyph(cr, 2 + 16.5, 17.5, RampIndex(Ramp::Navy, 1));
}
void PaintContinuePressed(cairo_t* cr, const Sprite& r, int) {
    ButtonFace(cr, 0, 0, r.width, r.height, ButtonState::Pressed, "CONTINUE");
}

void FinishAircraft(AtlasIndices& atlas, const Sprite& r) {
    // A key pixel shut in by the aircraft (between tailplane, fin and wing)
    // would be a hole: give it the outline's colour.
    const int w = r.width, h = r.height;
    std::vector<char> outside(static_cast<size_t>(w) * h, 0);
    std::vector<std::pair<int, int>> todo;
    for (int x = 0; x < w; ++x) todo.insert(todo.end(), {{x, 0}, {x, h - 1}});
    for (int y = 0; y < h; ++y) todo.insert(todo.end(), {{0, y}, {w - 1, y}});
    while (!todo.empty()) {
        const auto [x, y] = todo.back();
        todo.pop_back();
        if (x < 0 || y < 0 || x >= w || y >= h) continue;
        char& seen = outside[static_cast<size_t>(y) * w + x];
        if (seen || atlas.At(r.x + x, r.y + y) != r.key) continue;
        seen = 1;
        todo.insert(todo.end(), {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}});
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (atlas.At(r.x + x, r.y + y) == r.key && !outside[static_cast<size_t>(y) * w + x])
                atlas.Set(r.x + x, r.y + y, static_cast<uint8_t>(RampIndex(Ramp::Navy, 0)));
}

void FinishMiddleReleased(AtlasIndices& atlas, const Sprite& r) {
    // The middle button's picture is the page button's, one pixel over; its
    // last column and row lie outside that picture and stay transparent.
    const Sprite& page = sprite::kPageReleased;
    for (int y = r.y; y < r.y + r.height; ++y)
        for (int x = r.x; x < r.x + r.width; ++x)
            if (x >= page.x + page.width || y >= page.y + page.height) atlas.Set(x, y, static_cast<uint8_t>(r.key));
}

}  // namespace screens
