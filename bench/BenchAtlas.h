// The atlas a benchmark cuts from: the generated one (bin/prop.bmp) when it
// can be read, since its transparent runs are what the keyed copies meet in
// play; otherwise a made-up atlas of the same size whose pixels `madeUp`
// gives, and the label says so.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "game/AveluneView.h"
#include "gfx/AtlasCatalogue.h"
#include "gfx/DibImage.h"
#include "platform/common/AtlasFiles.h"
#include "platform/headless/HeadlessHost.h"
#include "tests/support/TestBitmap.h"

inline std::unique_ptr<CDibImage> BenchAtlas(std::string& label, const PixelFn& madeUp) {
    std::string error;
    if (auto atlas = LoadAtlas(AVELUNE_ATLAS, error)) {
        label = "generated atlas";
        return atlas;
    }
    label = "made-up atlas (" + error + ")";
    BitmapOptions o;
    o.pixel = madeUp;
    const std::vector<uint8_t> bytes = MakeBitmapBytes(kAtlasWidth, kAtlasHeight, 8, o);
    return std::make_unique<CDibImage>(bytes.data(), bytes.size());
}

// A view over the headless host on the bench atlas, and the label naming
// that atlas.
struct BenchView {
    explicit BenchView(const PixelFn& madeUp) : view(host, BenchAtlas(label, madeUp)) {}
    HeadlessHost host;
    std::string label;  // made before the view, which the atlas is loaded for
    CAveluneView view;
};
