#include "Preview.h"

#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "ArtPalette.h"

namespace {

class Surface {
public:
    explicit Surface(const AtlasIndices& atlas) : atlas_(atlas), pixels_(640 * 480, 0) {}
    void Blit(int dx, int dy, const Sprite& s) { Blit(dx, dy, s.x, s.y, s.width, s.height, s.key); }
    void Blit(int dx, int dy, int sx, int sy, int w, int h, int key) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                if (sx + x < 0 || sy + y < 0 || sx + x >= kAtlasWidth || sy + y >= kAtlasHeight) continue;
                if (dx + x < 0 || dy + y < 0 || dx + x >= 640 || dy + y >= 480) continue;
                const uint8_t v = atlas_.At(sx + x, sy + y);
                if (v == key) continue;
                pixels_[(dy + y) * 640 + dx + x] = v;
            }
        }
    }
    void Digits(const int (&xs)[5], int n, int y, int value, bool large) {
        int w = value;
        for (int k = n - 1; k >= 0; --k) {
            int p = 1;
            for (int i = 0; i < k; ++i) p *= 10;
            const int q = w / p;
            w -= q * p;
            if (q >= 0 && q <= 9) Blit(xs[n - 1 - k], y, large ? LargeDigit(q) : SmallDigit(q));
        }
    }
    bool Write(const std::string& path) const {
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 640, 480);
        cairo_surface_flush(s);
        uint8_t* data = cairo_image_surface_get_data(s);
        const int stride = cairo_image_surface_get_stride(s);
        for (int y = 0; y < 480; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
            for (int x = 0; x < 640; ++x) {
                const Rgb8 c = AtlasPalette()[pixels_[y * 640 + x]];
                row[x] = (static_cast<uint32_t>(c.r) << 16) | (static_cast<uint32_t>(c.g) << 8) | c.b;
            }
        }
        cairo_surface_mark_dirty(s);
        const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
        cairo_surface_destroy(s);
        return ok;
    }

private:
    const AtlasIndices& atlas_;
    std::vector<uint8_t> pixels_;
};

struct State {
    int horizonColumn, horizonRow, pitch, bank, heading;
    int airspeedFrame, localizer, glideY;
    int gauges[6];
    int distance, compass, airspeed, altitude, climb, glide, course;
    bool view;
    bool controls;  // lamps lit and some controls shown pressed
};

void Compose(Surface& s, const State& st) {
    using namespace sprite;
    s.Blit(0, 0, kBasePanel);
    s.Blit(285, 230, kAttitudeWindow.x + 64 * st.horizonColumn, kAttitudeWindow.y + st.horizonRow, 63, 63, 247);
    s.Blit(280, 224, kAttitudeBezel1);
    s.Blit(280, 224, kAttitudeBezel2);
    s.Blit(143, 230, kAirspeedFace);
    const AirspeedNeedle& n = kAirspeedNeedles[st.airspeedFrame];
    s.Blit(n.destX, n.destY, n.srcX, n.srcY, n.width, n.height, kNeedleKey);
    s.Blit(143, 230, kAirspeedFaceOver);
    s.Blit(25, 230, kIlsFace);
    s.Blit(27 + st.localizer, 232, kLocalizerNeedle);
    s.Blit(28, st.glideY, kGlideSlopeBar);
    s.Blit(25, 230, kIlsOverlay);
    s.Digits({65, 78, 90}, 3, 208, st.distance, true);
    s.Digits({299, 311, 323}, 3, 300, st.compass, true);
    s.Digits({207, 215, 223}, 3, 209, st.airspeed, false);
    s.Digits({318, 326, 334, 342, 350}, 5, 209, st.altitude, false);
    s.Digits({356, 364, 372}, 3, 262, st.climb, false);
    const int origins[6][2] = {{395, 225}, {465, 225}, {535, 225}, {395, 308}, {465, 308}, {535, 308}};
    for (int g = 0; g < 6; ++g) {
        const GaugeNeedle& k = kGaugeNeedles[st.gauges[g]];
        s.Blit(origins[g][0] + k.dx, origins[g][1] + k.dy, k.srcX, k.srcY, k.width, k.height, kNeedleKey);
        s.Blit(origins[g][0], origins[g][1], kGaugeFace);
    }
    s.Digits({38, 46, 54}, 3, 274, st.glide, false);
    s.Digits({78, 86, 94}, 3, 294, st.course, false);
    if (st.view) {
        float step = 0.0f;
        for (int c = 0; c < 590; ++c) {
            step = static_cast<float>(step + st.bank * 0.09);
            const int y = static_cast<int>(static_cast<float>(1700 - 2 * st.pitch - 15 * st.bank) + step);
            s.Blit(c + 20, 20, c - 3 * st.heading + 334, y, 1, 152, kNeedleKey);
        }
    }
    if (st.controls) {
        s.Blit(61, 349, kDragLampOn);
        s.Blit(62, 383, kLiftLampOn);
        s.Blit(181, 349, kTurbulenceLampOn);
        s.Blit(181, 383, kViewLampOn);
        s.Blit(442, 380, kPageLampOn);
        s.Blit(534, 380, kRestartLamp);
        s.Blit(280, 323, kPadPressed);
        s.Blit(245, 395, kPedalPressed);
        s.Blit(363, 335, kPowerUpPressed);
        s.Blit(364, 320, kFullPowerPressed);
        s.Blit(34, 341, kLeverUp);
        s.Blit(34, 377, kLeverDown);
        s.Blit(507, 377, kLeverUp);
    } else {
        s.Blit(61, 349, kDragLampOff);
        s.Blit(63, 382, kLiftLampOff);
        s.Blit(181, 349, kTurbulenceLampOff);
        s.Blit(181, 383, kViewLampOff);
        s.Blit(442, 380, kPageLampOff);
    }
}

}  // namespace

bool WriteCockpitPreviews(const AtlasIndices& atlas, const std::string& dir) {
    // clang-format off
    const State states[] = {
        {0, 109, -10, 0, 0, 34, 50, 280, {25, 51, 52, 12, 50, 52}, 896, 0, 150, 3202, 0, 0, 0, true, false},
        {-3, 95, 4, 3, 5, 17, 80, 240, {70, 20, 31, 40, 41, 43}, 412, 15, 75, 1800, 12, 48, 30, true, true},
        {5, 130, -31, -3, -8, 62, 10, 320, {5, 2, 69, 66, 3, 71}, 35, 355, 273, 120, -25, 95, 40, false, false},
    };
    // clang-format on
    int n = 0;
    for (const State& st : states) {
        Surface s(atlas);
        Compose(s, st);
        const std::string path = dir + "/cockpit-" + std::to_string(n++) + ".png";
        if (!s.Write(path)) {
            std::fprintf(stderr, "atlasgen: cannot write %s\n", path.c_str());
            return false;
        }
    }
    return true;
}
