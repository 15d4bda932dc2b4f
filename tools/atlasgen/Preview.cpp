#include "Preview.h"

#include <cairo.h>

#include <cstdio>

#include "ArtPalette.h"
#include "GameCockpit.h"

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
    const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

// The start of the approach, every lamp dark.
CockpitScene AtTheStart() {
    CockpitScene scene;
    FlightState& s = scene.record;
    s.power = 25;
    s.fuel = 51000;
    s.enginePointerA = 50;
    s.enginePointerB = 52;
    s.sweepCounter = 11;
    s.airspeed = 150;
    s.airspeedFrame = 34;
    s.altitude = 3202;
    s.distanceToGo = 896;
    s.lateralOffset = 50;
    s.glideSlopeError = 50;
    s.glideSlopeBarY = 280;
    s.horizonRow = 109;
    s.pitch = -10;
    s.outsideViewSwitch = kOutsideViewShown;
    scene.randValues = {0, 0, 0, 0, 20000};
    scene.dragSwitch = kDragOff;
    scene.liftSwitch = kLiftOff;
    scene.turbulenceSwitch = kTurbulenceOff;
    scene.outsideViewSwitch = kOutsideViewHidden;
    scene.pageSwitch = kPageOff;
    return scene;
}

// Banked and climbing with every switch on and some controls held down.
CockpitScene BankedWithControls() {
    CockpitScene scene;
    FlightState& s = scene.record;
    s.power = 70;
    s.fuel = 20000;
    s.enginePointerA = 40;
    s.enginePointerB = 30;
    s.sweepCounter = 39;
    s.airspeed = 75;
    s.airspeedFrame = 17;
    s.altitude = 1800;
    s.climbRate = 12;
    s.distanceFlown = 26000;
    s.distanceToGo = 412;
    s.compassHeading = 15;
    s.headingOffset = 5;
    s.lateralOffset = 80;
    s.glideSlopeError = 98;
    s.glideSlopeBarY = 240;
    s.horizonColumn = -3;
    s.horizonRow = 95;
    s.pitch = 4;
    s.bank = 3;
    s.outsideViewSwitch = kOutsideViewShown;
    scene.randValues = {0, 10000, 10000, 10000, 30000};
    scene.dragSwitch = kDragOn;
    scene.liftSwitch = kLiftOn;
    scene.turbulenceSwitch = kTurbulenceOn;
    scene.outsideViewSwitch = kOutsideViewShown;
    scene.pageSwitch = kPageOn;
    scene.restartLamp = kRestartLampLit;
    scene.pressed = {"pad upper left", "left pedal", "power up", "full power", "drag on", "lift off", "restart"};
    return scene;
}

// Low, fast and far off the centre line, the outside view switched off.
CockpitScene LowAndFast() {
    CockpitScene scene;
    FlightState& s = scene.record;
    s.power = 5;
    s.fuel = 2000;
    s.enginePointerA = 3;
    s.enginePointerB = 69;
    s.sweepCounter = 65;
    s.airspeed = 273;
    s.airspeedFrame = 62;
    s.altitude = 120;
    s.climbRate = -25;
    s.distanceToGo = 35;
    s.compassHeading = 355;
    s.headingOffset = -8;
    s.lateralOffset = 10;
    s.glideSlopeError = 145;
    s.glideSlopeBarY = 320;
    s.horizonColumn = 5;
    s.horizonRow = 130;
    s.pitch = -31;
    s.bank = -3;
    s.outsideViewSwitch = kOutsideViewHidden;
    scene.randValues = {0, 0, 0, 0, 0};
    scene.dragSwitch = kDragOff;
    scene.liftSwitch = kLiftOff;
    scene.turbulenceSwitch = kTurbulenceOff;
    scene.outsideViewSwitch = kOutsideViewHidden;
    scene.pageSwitch = kPageOff;
    return scene;
}

}  // namespace

bool WriteCockpitPreviews(const AtlasIndices& atlas, const std::string& dir) {
    int n = 0;
    for (const CockpitScene& scene : {AtTheStart(), BankedWithControls(), LowAndFast()}) {
        const std::string path = dir + "/cockpit-" + std::to_string(n++) + ".png";
        if (!WritePng(ComposeCockpitThroughGame(atlas, scene, 0), path)) {
            std::fprintf(stderr, "atlasgen: cannot write %s\n", path.c_str());
            return false;
        }
    }
    return true;
}
