#include "Preview.h"

#include <cairo.h>

#include <cstdio>

#include "ArtPalette.h"
#include "GameCockpit.h"
#include "Outputs.h"

namespace {

bool WritePng(const CockpitPicture& picture, const std::string& path) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kClientWidth, kClientHeight);
    cairo_surface_flush(s);
    uint8_t* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < kClientHeight; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = 0; x < kClientWidth; ++x) {
            const Rgb8 c = AtlasPalette()[picture.At(x, y)];
            row[x] = (static_cast<uint32_t>(c.r) << 16) | (static_cast<uint32_t>(c.g) << 8) | c.b;
        }
    }
    cairo_surface_mark_dirty(s);
    const bool ok = WriteCairoPng(s, path);
    cairo_surface_destroy(s);
    return ok;
}

// The start of the approach, every lamp dark.
CockpitScene AtTheStart() {
    CockpitScene scene;
    scene.record = {
        .power = 25,
        .fuel = 51000,
        .altitude = 3202,
        .enginePointerA = 50,
        .enginePointerB = 52,
        .lateralOffset = 50,
        .glideSlopeBarY = 280,
        .glideSlopeError = 50,
        .airspeed = 150,
        .airspeedFrame = 34,
        .pitch = -10,
        .horizonRow = 109,
        .sweepCounter = 11,
        .distanceToGo = 896,
        .outsideViewSwitch = kOutsideViewShown,
    };
    scene.randValues = {0, 0, 0, 0, 20000};
    scene.lamps = {.dragSwitch = kDragOff, .liftSwitch = kLiftOff, .turbulenceSwitch = kTurbulenceOff,
                   .outsideViewSwitch = kOutsideViewHidden, .pageSwitch = kPageOff};
    return scene;
}

// Banked and climbing with every switch on and some controls held down.
CockpitScene BankedWithControls() {
    CockpitScene scene;
    scene.record = {
        .power = 70,
        .fuel = 20000,
        .altitude = 1800,
        .enginePointerA = 40,
        .distanceFlown = 26000,
        .enginePointerB = 30,
        .lateralOffset = 80,
        .glideSlopeBarY = 240,
        .glideSlopeError = 98,
        .airspeed = 75,
        .airspeedFrame = 17,
        .pitch = 4,
        .horizonRow = 95,
        .horizonColumn = -3,
        .bank = 3,
        .sweepCounter = 39,
        .climbRate = 12,
        .compassHeading = 15,
        .headingOffset = 5,
        .distanceToGo = 412,
        .outsideViewSwitch = kOutsideViewShown,
    };
    scene.randValues = {0, 10000, 10000, 10000, 30000};
    scene.lamps = {.dragSwitch = kDragOn, .liftSwitch = kLiftOn, .turbulenceSwitch = kTurbulenceOn,
                   .outsideViewSwitch = kOutsideViewShown, .pageSwitch = kPageOn, .restartLamp = kRestartLampLit};
    scene.pressed = {"pad upper left", "left pedal", "power up", "full power", "drag on", "lift off", "restart"};
    return scene;
}

// Low, fast and far off the centre line, the outside view switched off.
CockpitScene LowAndFast() {
    CockpitScene scene;
    scene.record = {
        .power = 5,
        .fuel = 2000,
        .altitude = 120,
        .enginePointerA = 3,
        .enginePointerB = 69,
        .lateralOffset = 10,
        .glideSlopeBarY = 320,
        .glideSlopeError = 145,
        .airspeed = 273,
        .airspeedFrame = 62,
        .pitch = -31,
        .horizonRow = 130,
        .horizonColumn = 5,
        .bank = -3,
        .sweepCounter = 65,
        .climbRate = -25,
        .compassHeading = 355,
        .headingOffset = -8,
        .distanceToGo = 35,
        .outsideViewSwitch = kOutsideViewHidden,
    };
    scene.randValues = {0, 0, 0, 0, 0};
    scene.lamps = {.dragSwitch = kDragOff, .liftSwitch = kLiftOff, .turbulenceSwitch = kTurbulenceOff,
                   .outsideViewSwitch = kOutsideViewHidden, .pageSwitch = kPageOff};
    return scene;
}

}  // namespace

bool WriteCockpitPreviews(const AtlasIndices& atlas, const std::string& dir) {
    int n = 0;
    for (const CockpitScene& scene : {AtTheStart(), BankedWithControls(), LowAndFast()}) {
        const std::string path = dir + "/cockpit-" + std::to_string(n++) + ".png";
        if (!WritePng(ComposeCockpitThroughGame(atlas, scene, 0), path)) return false;
    }
    return true;
}
