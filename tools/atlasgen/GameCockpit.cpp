#include "GameCockpit.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>

#include "Outputs.h"
#include "game/AveluneView.h"
#include "gfx/Palette.h"
#include "input/ControlTables.h"
#include "platform/common/WindowRaster.h"

namespace {

// A host with no window of its own: the surface is read back directly, the
// window's black lines are kept as a mask, and rand() hands out the scene's
// values (0 once they run out).
class PictureHost : public GameHost {
public:
    explicit PictureHost(const std::vector<int>& randValues) : rand_(randValues.begin(), randValues.end()) {}
    void RearmTimer(uint32_t) override {}
    void KillTimer() override {}
    int RecommendedSurfaceOrientation() override { return kTopDown; }
    std::array<Rgb, 20> SystemColors() override { return ClassicSystemColors(); }
    void RealizePalette(const PaletteColors&) override {}
    void ShowSurface(const uint8_t*, int, int, int) override {}
    void DrawBlackLine(int x0, int y0, int x1, int y1) override {
        ForEachLinePixel(x0, y0, x1, y1, kSurfaceWidth, kSurfaceHeight,
                         [this](int x, int y) { line[static_cast<size_t>(y) * kSurfaceWidth + x] = 1; });
    }
    void PostQuit() override {}
    void StartSound(const std::string&) override {}
    int Rand() override {
        if (rand_.empty()) return 0;
        const int v = rand_.front();
        rand_.pop_front();
        return v;
    }

    std::vector<uint8_t> line = std::vector<uint8_t>(static_cast<size_t>(kSurfaceWidth) * kSurfaceHeight, 0);

private:
    std::deque<int> rand_;
};

[[noreturn]] void Fail(const char* what, std::string_view detail) {
    std::fprintf(stderr, "atlasgen: %s%.*s\n", what, static_cast<int>(detail.size()), detail.data());
    std::exit(1);
}

const controls::PressRow& CockpitPress(std::string_view name) {
    for (const controls::PressRow& row : controls::kCockpitPresses) {
        if (name == row.name) return row;
    }
    Fail("no cockpit control is called ", name);
}

}  // namespace

CockpitPicture ComposeCockpitThroughGame(const AtlasIndices& atlas, const CockpitScene& scene, uint8_t background) {
    const std::vector<uint8_t> bmp = AtlasBmpBytes(atlas);
    auto image = std::make_unique<CDibImage>(bmp.data(), bmp.size());
    const std::string problem = AtlasProblem(*image);
    if (!problem.empty()) Fail("the game cannot use the atlas being painted: ", problem);

    PictureHost host(scene.randValues);
    CAveluneView view(host, std::move(image));
    std::fill(view.surfaceBits(), view.surfaceBits() + kSurfaceWidth * kSurfaceHeight, background);
    static_cast<FlightState&>(view) = scene.record;
    view.ComposeCockpit();

    // The lamps, as the judgement after the composition lights them.
    view.dragSwitch = scene.lamps.dragSwitch;
    view.liftSwitch = scene.lamps.liftSwitch;
    view.turbulenceSwitch = scene.lamps.turbulenceSwitch;
    view.outsideViewSwitch = scene.lamps.outsideViewSwitch;
    view.pageSwitch = scene.lamps.pageSwitch;
    view.restartLamp = scene.lamps.restartLamp;
    view.JudgeApproach();
    for (std::string_view name : scene.pressed) {
        const controls::PressRow& row = CockpitPress(name);
        if (controls::HasPicture(row.picture)) view.Draw(row.picture);
    }

    CockpitPicture picture;
    picture.pixels.resize(static_cast<size_t>(kClientWidth) * kClientHeight);
    for (int y = 0; y < kClientHeight; ++y) {
        for (int x = 0; x < kClientWidth; ++x) {
            const bool line = host.line[static_cast<size_t>(y) * kSurfaceWidth + x] != 0;
            picture.pixels[static_cast<size_t>(y) * kClientWidth + x] = line ? 0 : view.PixelAt(x, y);
        }
    }
    return picture;
}
