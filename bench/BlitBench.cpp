// The keyed blitter against SDL2's colour-keyed SDL_BlitSurface, on the same
// atlas pictures in the same run.
//
// Three classes of picture, as the cockpit draws them:
//   Panel   the base panel, 632 x 440, key 3 (once per cockpit picture)
//   Glyph   the small digit 7, 7 x 11, key 95 (17 per picture)
//   Column  one column of the outside view, 1 x 152, key 95 (590 per picture)
// SDL gets its best case: 8-bit surfaces that share one palette (so the blit
// is a plain index copy), the panel and the glyph cut into surfaces of their
// own, the columns cut from one surface of the whole outside-view picture, and
// the colour key set with and without SDL_RLEACCEL (the run-length encoding is
// made before timing starts). The destination is a 640 x 480 surface, as the
// game's own.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "gfx/AtlasCatalogue.h"
#include "gfx/Blit.h"
#include "gfx/DibImage.h"
#include "bench/BenchAtlas.h"
#include "platform/common/AtlasFiles.h"
#include "platform/headless/HeadlessSession.h"

namespace {

// The generated atlas when it can be read; otherwise a made-up one whose
// pictures have runs of key pixels between runs of colour.
struct Atlas {
    std::unique_ptr<CDibImage> image;
    std::string label;
};

uint8_t KeyRuns(int x, int y) {
    // Runs of 1 to 31 pixels; every third run is a key colour.
    static constexpr uint8_t keys[] = {3, 95, 255};
    const int run = (x * 5 + y * 3) / 23;
    return run % 3 == 0 ? keys[run % 9 / 3] : static_cast<uint8_t>(10 + (x + y) % 200);
}

const Atlas& TheAtlas() {
    static const Atlas atlas = [] {
        Atlas a;
        a.image = BenchAtlas(a.label, KeyRuns);
        return a;
    }();
    return atlas;
}

// One picture class: where it comes from, where it goes.
struct PictureClass {
    const char* name;
    Sprite source;      // the rectangle blitted (with its key)
    Sprite sdlSurface;  // the rectangle SDL holds as one surface (the source, or the whole scenery)
    int destX, destY;
};

// clang-format off
const PictureClass kClasses[] = {
    {"Panel",  sprite::kBasePanel, sprite::kBasePanel, 0, 0},
    {"Glyph",  SmallDigit(7),      SmallDigit(7),      300, 200},
    {"Column", {static_cast<int16_t>(sprite::kScenery.x + 640), static_cast<int16_t>(sprite::kScenery.y + 129),
                1, 152, sprite::kScenery.key},
               sprite::kScenery, 25, 20},
};
// clang-format on

// ---- Our blitter ---------------------------------------------------------------

void BM_BlitKeyed(benchmark::State& state) {
    const PictureClass& c = kClasses[state.range(0)];
    const Atlas& atlas = TheAtlas();
    // Rows on 64-byte lines, as the game's surface and SDL's both are.
    struct alignas(64) Surface {
        std::array<uint8_t, static_cast<size_t>(kSurfaceWidth) * kSurfaceHeight> bytes{};
        uint8_t* data() { return bytes.data(); }
    };
    const auto owned = std::make_unique<Surface>();
    Surface& surface = *owned;
    SetBlitPath((state.range(1) != 0) ? BlitPath::Portable : BlitPath::Fastest);
    const char* path = (CurrentBlitPath() == BlitPath::Fastest) ? ", AVX-512" : ", portable";
    for (auto _ : state) {
        BlitKeyed(surface.data(), kTopDown, c.destX, c.destY, *atlas.image, c.source.x, c.source.y,
                  static_cast<uint32_t>(c.source.width), static_cast<uint32_t>(c.source.height), c.source.key);
        benchmark::DoNotOptimize(surface.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * c.source.width * c.source.height);
    state.SetLabel(std::string(c.name) + path + ", " + atlas.label);
    SetBlitPath(BlitPath::Fastest);
}

// ---- SDL2 ----------------------------------------------------------------------

struct SdlSurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SdlSurfaceDeleter>;

SurfacePtr MakeIndexSurface(int width, int height) {
    SurfacePtr s(SDL_CreateRGBSurfaceWithFormat(0, width, height, 8, SDL_PIXELFORMAT_INDEX8));
    if (!s) throw std::runtime_error(SDL_GetError());
    return s;
}

// The atlas rectangle r as an 8-bit SDL surface (rows top-down, as SDL keeps them).
SurfacePtr CutSurface(const CDibImage& atlas, const Sprite& r) {
    SurfacePtr s = MakeIndexSurface(r.width, r.height);
    const int w = atlas.GetWidth(), h = atlas.GetHeight();
    for (int y = 0; y < r.height; ++y) {
        const uint8_t* from = atlas.GetBits() + static_cast<size_t>(h - 1 - (r.y + y)) * w + r.x;
        std::memcpy(static_cast<uint8_t*>(s->pixels) + static_cast<size_t>(y) * s->pitch, from, r.width);
    }
    return s;
}

void BM_SdlBlitKeyed(benchmark::State& state) {
    const PictureClass& c = kClasses[state.range(0)];
    const bool rle = state.range(1) != 0;
    const Atlas& atlas = TheAtlas();

    SDL_Palette* palette = SDL_AllocPalette(256);
    std::vector<SDL_Color> colors(256);
    const RgbQuad* table = atlas.image->GetColorTable();
    for (int k = 0; k < 256; ++k) colors[k] = {table[k].red, table[k].green, table[k].blue, 255};
    SDL_SetPaletteColors(palette, colors.data(), 0, 256);

    SurfacePtr source = CutSurface(*atlas.image, c.sdlSurface);
    SurfacePtr dest = MakeIndexSurface(kSurfaceWidth, kSurfaceHeight);
    SDL_SetSurfacePalette(source.get(), palette);
    SDL_SetSurfacePalette(dest.get(), palette);
    SDL_SetColorKey(source.get(), SDL_TRUE | (rle ? SDL_RLEACCEL : 0), c.source.key);
    SDL_Rect from{c.source.x - c.sdlSurface.x, c.source.y - c.sdlSurface.y, c.source.width, c.source.height};
    SDL_Rect to{c.destX, c.destY, 0, 0};
    // The first blit maps the surfaces to each other (and encodes the runs).
    SDL_Rect first = to;
    if (SDL_BlitSurface(source.get(), &from, dest.get(), &first) != 0) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    for (auto _ : state) {
        SDL_Rect where = to;  // SDL writes the clipped rectangle back into it
        SDL_BlitSurface(source.get(), &from, dest.get(), &where);
        benchmark::DoNotOptimize(dest->pixels);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * c.source.width * c.source.height);
    state.SetLabel(std::string(c.name) + (rle ? ", RLE" : "") + ", " + atlas.label);
    source.reset();
    dest.reset();
    SDL_FreePalette(palette);
}

// Our blitter and SDL's, class by class, so that each pair reads side by side.
// Ours with AVX-512 where the processor has it (portable:0) and with the
// portable copier forced at run time (portable:1).
void ClassArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"class", "portable"});
    for (int c = 0; c < 3; ++c) {
        b->Args({c, 0});
        b->Args({c, 1});
    }
}
void SdlArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"class", "rle"});
    for (int c = 0; c < 3; ++c) {
        b->Args({c, 0});
        b->Args({c, 1});
    }
}
BENCHMARK(BM_BlitKeyed)->Apply(ClassArgs);
BENCHMARK(BM_SdlBlitKeyed)->Apply(SdlArgs);

// The blitter and SDL must draw the same picture, or the race means nothing.
void BM_CheckSamePicture(benchmark::State& state) {
    const Atlas& atlas = TheAtlas();
    for (auto _ : state) {
        for (int portable = 0; portable < 2; ++portable)
        for (const PictureClass& c : kClasses) {
            SetBlitPath((portable != 0) ? BlitPath::Portable : BlitPath::Fastest);
            std::vector<uint8_t> ours(static_cast<size_t>(kSurfaceWidth) * kSurfaceHeight, 0);
            BlitKeyed(ours.data(), kTopDown, c.destX, c.destY, *atlas.image, c.source.x, c.source.y,
                      static_cast<uint32_t>(c.source.width), static_cast<uint32_t>(c.source.height), c.source.key);
            SurfacePtr source = CutSurface(*atlas.image, c.sdlSurface);
            SurfacePtr dest = MakeIndexSurface(kSurfaceWidth, kSurfaceHeight);
            SDL_Palette* palette = SDL_AllocPalette(256);
            SDL_SetSurfacePalette(source.get(), palette);
            SDL_SetSurfacePalette(dest.get(), palette);
            SDL_FillRect(dest.get(), nullptr, 0);
            SDL_SetColorKey(source.get(), SDL_TRUE | SDL_RLEACCEL, c.source.key);
            SDL_Rect from{c.source.x - c.sdlSurface.x, c.source.y - c.sdlSurface.y, c.source.width, c.source.height};
            SDL_Rect to{c.destX, c.destY, 0, 0};
            SDL_BlitSurface(source.get(), &from, dest.get(), &to);
            for (int y = 0; y < kSurfaceHeight; ++y) {
                if (std::memcmp(ours.data() + static_cast<size_t>(y) * kSurfaceWidth,
                                static_cast<uint8_t*>(dest->pixels) + static_cast<size_t>(y) * dest->pitch,
                                kSurfaceWidth) != 0) {
                    state.SkipWithError((std::string(c.name) + (portable ? ", portable" : "") + ": the pictures differ").c_str());
                    SetBlitPath(BlitPath::Fastest);
                    SDL_FreePalette(palette);
                    return;
                }
            }
            source.reset();
            dest.reset();
            SDL_FreePalette(palette);
        }
    }
    SetBlitPath(BlitPath::Fastest);
}
BENCHMARK(BM_CheckSamePicture)->Iterations(1);

}  // namespace
