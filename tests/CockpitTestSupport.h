// A synthetic atlas for the cockpit tests, and ways to read the instruments
// back off the surface.
//
// Every pixel of the atlas is a scrambled function of its place that never
// takes a colour key's value, so a test can tell which atlas rectangle landed
// where, down to the pixel. Only the glass of the faces is transparent, as it
// is in the real art: the gauges' and the airspeed dial's glass, the inside of
// the attitude bezels and of the ILS overlay. The airspeed dial also has
// corners in the first pass's key, which only the second pass draws.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "cockpit/CockpitGeometry.h"
#include "game/AveluneView.h"
#include "tests/RecordingHost.h"
#include "tests/TestAtlas.h"

namespace cockpit_test {

constexpr uint8_t kGaugeGlass = 248;     // the gauge faces' and the airspeed dial's see-through key
constexpr uint8_t kBezelGlass = 247;
constexpr uint8_t kOverlayGlass = 95;
constexpr int kFaceRim = 3;              // opaque rim of a face, in pixels
constexpr int kOverlayRim = 1;
constexpr int kDialCorner = 5;           // airspeed dial corners in the first pass's key
constexpr int kHubRadius = 3;            // opaque hub at the middle of a face

inline bool Inside(const Sprite& s, int x, int y, int inset = 0) {
    return x >= s.x + inset && x < s.x + s.width - inset && y >= s.y + inset && y < s.y + s.height - inset;
}

// A scrambled index of (x, y) that is never 0 nor any colour key in use
// (3, 95, 247, 248, 255): 250 values are left.
inline uint8_t Scrambled(int x, int y) {
    uint32_t h = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    int v = 1 + static_cast<int>(h % 250u);  // 1..250
    if (v >= 3) ++v;                         // skip 3
    if (v >= 95) ++v;                        // skip 95
    if (v >= 247) v += 2;                    // skip 247, 248
    return static_cast<uint8_t>(v);          // never above 254
}

// Within the hub of a face: the pixels around its middle that cover a needle's pivot.
inline bool InHub(const Sprite& face, int x, int y) {
    const int dx = x - (face.x + face.width / 2), dy = y - (face.y + face.height / 2);
    return dx >= -kHubRadius && dx <= kHubRadius && dy >= -kHubRadius && dy <= kHubRadius;
}

inline uint8_t CockpitPixel(int x, int y) {
    using namespace sprite;
    if (Inside(kGaugeFace, x, y, kFaceRim) && !InHub(kGaugeFace, x, y)) return kGaugeGlass;
    if (Inside(kAirspeedFace, x, y)) {
        const bool nearLeft = x < kAirspeedFace.x + kDialCorner, nearRight = x >= kAirspeedFace.x + kAirspeedFace.width - kDialCorner;
        const bool nearTop = y < kAirspeedFace.y + kDialCorner, nearBottom = y >= kAirspeedFace.y + kAirspeedFace.height - kDialCorner;
        if ((nearLeft || nearRight) && (nearTop || nearBottom)) return kBezelGlass;
        if (Inside(kAirspeedFace, x, y, kFaceRim) && !InHub(kAirspeedFace, x, y)) return kGaugeGlass;
    }
    if (Inside(kAttitudeBezel1, x, y, kFaceRim) || Inside(kAttitudeBezel2, x, y, kFaceRim)) return kBezelGlass;
    if (Inside(kIlsOverlay, x, y, kOverlayRim)) return kOverlayGlass;
    return Scrambled(x, y);
}

// The cockpit atlas as a bitmap file's bytes, made once for all the tests.
inline const std::vector<uint8_t>& CockpitAtlasBytes() {
    static const std::vector<uint8_t> bytes = [] {
        BitmapOptions o;
        o.pixel = CockpitPixel;
        return MakeBitmapBytes(kAtlasWidth, kAtlasHeight, 8, o);
    }();
    return bytes;
}

inline std::unique_ptr<CAveluneView> MakeCockpitView(GameHost& host) {
    const auto& bytes = CockpitAtlasBytes();
    return std::make_unique<CAveluneView>(host, std::make_unique<CDibImage>(bytes.data(), bytes.size()));
}

// A view on the cockpit atlas over a recording host.
struct CockpitView {
    RecordingHost host;
    std::unique_ptr<CAveluneView> view = MakeCockpitView(host);
    CAveluneView& operator*() { return *view; }
    CAveluneView* operator->() { return view.get(); }
};

// An area of the surface, inclusive at both ends.
struct Area {
    int left, top, right, bottom;
    bool Contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
    bool operator()(int x, int y) const { return Contains(x, y); }
};
constexpr Area kWholeSurface{0, 0, kSurfaceWidth - 1, kSurfaceHeight - 1};

// Which surface pixels a comparison looks at.
using Visible = std::function<bool(int x, int y)>;

// The see-through pixels of a face drawn at (ox, oy): where a needle can show.
inline Visible GlassOf(const Sprite& face, int ox, int oy) {
    return [face, ox, oy](int x, int y) {
        return x >= ox && y >= oy && x < ox + face.width && y < oy + face.height &&
               CockpitPixel(face.x + x - ox, face.y + y - oy) == kGaugeGlass;
    };
}

// True when every pixel of the atlas rectangle (srcX, srcY, w x h) that is
// not its key lies at (destX, destY) on the surface, counting only the pixels
// that fall inside `visible`.
inline bool ShowsAtlasRect(const CAveluneView& v, int destX, int destY, int srcX, int srcY, int w, int h,
                           int key = -1, const Visible& visible = kWholeSurface) {
    int compared = 0;
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            const int x = destX + i, y = destY + j;
            if (!kWholeSurface.Contains(x, y) || !visible(x, y)) continue;
            const uint8_t want = CockpitPixel(srcX + i, srcY + j);
            if (want == key) continue;
            if (v.PixelAt(x, y) != want) return false;
            ++compared;
        }
    }
    return compared > 0;
}

inline bool ShowsSprite(const CAveluneView& v, const Sprite& s, int x, int y, const Visible& visible = kWholeSurface) {
    return ShowsAtlasRect(v, x, y, s.x, s.y, s.width, s.height, s.key, visible);
}

// Every pixel of the area (of its visible part) holds `index`.
inline bool AreaIs(const CAveluneView& v, const Area& a, uint8_t index, const Visible& visible = kWholeSurface) {
    for (int y = a.top; y <= a.bottom; ++y)
        for (int x = a.left; x <= a.right; ++x)
            if (visible(x, y) && v.PixelAt(x, y) != index) return false;
    return true;
}

// The atlas corners (x, y) whose w x h rectangle the surface shows at
// (destX, destY), searched over the whole atlas.
inline std::vector<CockpitPoint> FindAtlasSources(const CAveluneView& v, int destX, int destY, int w, int h) {
    std::vector<CockpitPoint> found;
    const uint8_t first = v.PixelAt(destX, destY);
    for (int sy = 0; sy + h <= kAtlasHeight; ++sy) {
        for (int sx = 0; sx + w <= kAtlasWidth; ++sx) {
            if (CockpitPixel(sx, sy) != first) continue;
            bool same = true;
            for (int j = 0; j < h && same; ++j)
                for (int i = 0; i < w && same; ++i) same = CockpitPixel(sx + i, sy + j) == v.PixelAt(destX + i, destY + j);
            if (same) found.push_back({sx, sy});
        }
    }
    return found;
}

}  // namespace cockpit_test
