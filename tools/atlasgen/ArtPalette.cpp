#include "ArtPalette.h"

#include <cstdlib>
#include <limits>
#include <vector>

namespace {

struct RampSpec {
    Ramp ramp;
    int steps;
    Rgb8 dark, light;
};

// clang-format off
// Dark to light, linear in RGB. The order here is the order in the table.
constexpr RampSpec kRamps[] = {
    {Ramp::Panel,   22, { 14,  17,  22}, {226, 230, 236}},
    {Ramp::Grey,    14, { 16,  16,  16}, {250, 250, 250}},
    {Ramp::Amber,   12, { 44,  22,   0}, {255, 226, 120}},
    {Ramp::Green,   10, {  0,  34,   6}, {150, 255, 150}},
    {Ramp::Red,      8, { 50,   0,   0}, {255, 120,  96}},
    {Ramp::Sky,     18, { 28,  64, 150}, {206, 222, 236}},
    {Ramp::Horizon,  5, { 24,  96, 190}, {120, 182, 240}},
    {Ramp::Earth,    6, { 72,  40,  14}, {184, 124,  64}},
    {Ramp::Grass,   12, { 22,  52,  16}, {150, 196,  92}},
    {Ramp::Soil,     8, { 64,  42,  26}, {200, 168, 122}},
    {Ramp::Crop,     6, {150, 128,  40}, {236, 216, 120}},
    {Ramp::Hills,    5, { 56,  80,  96}, {156, 176, 184}},
    {Ramp::Asphalt,  6, { 34,  36,  40}, {150, 152, 156}},
    {Ramp::Roof,     6, { 90,  30,  20}, {220, 110,  80}},
    {Ramp::Wall,     4, {150, 138, 118}, {244, 236, 216}},
    {Ramp::Navy,     8, {  4,   8,  40}, { 60,  90, 190}},
    {Ramp::Gold,     8, { 96,  60,   0}, {255, 236, 140}},
    {Ramp::Violet,   4, { 40,   8,  60}, {190, 140, 230}},
    {Ramp::Cyan,     4, {  0,  60,  80}, {140, 230, 240}},
    {Ramp::Skin,     3, {120,  70,  40}, {240, 200, 160}},
};
// clang-format on

// Colours of the key indices: quiet colours, since an opaque copy of a
// picture shows whatever keys it holds.
constexpr std::pair<int, Rgb8> kKeyColours[] = {
    {kKeyLabelRestart, {40, 40, 72}},   {kKeySprite, {48, 56, 64}},  {kKeyTitleAnim, {24, 32, 64}},
    {kKeyPageRedraw, {32, 48, 80}},     {kKeyPreviewApproach, {64, 48, 48}},
    {kKeyInformationPage, {16, 24, 48}}, {kKeyTitle, {8, 16, 56}},
};

constexpr Rgb8 kClassic[20] = {
    {0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00}, {0x00, 0x00, 0x80},
    {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0}, {0xC0, 0xDC, 0xC0}, {0xA6, 0xCA, 0xF0},
    {0xFF, 0xFB, 0xF0}, {0xA0, 0xA0, 0xA4}, {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00},
    {0xFF, 0xFF, 0x00}, {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF},
};

bool IsKeyIndex(int index) {
    for (const auto& [k, c] : kKeyColours) {
        if (k == index) return true;
    }
    return false;
}

struct Table {
    std::array<Rgb8, 256> colours{};
    std::vector<int> rampIndices[static_cast<int>(Ramp::Cube) + 1];
};

Table Build() {
    Table t;
    for (int k = 0; k < 10; ++k) {
        t.colours[k] = kClassic[k];
        t.colours[246 + k] = kClassic[10 + k];
    }
    for (const auto& [k, c] : kKeyColours) t.colours[k] = c;
    int next = 10;
    auto take = [&](Rgb8 c) {
        while (IsKeyIndex(next)) ++next;
        if (next > 245) std::abort();  // the ramps outgrew the table: a build-time fault
        t.colours[next] = c;
        return next++;
    };
    for (const RampSpec& spec : kRamps) {
        for (int s = 0; s < spec.steps; ++s) {
            auto mix = [&](uint8_t a, uint8_t b) {
                return static_cast<uint8_t>((a * (spec.steps - 1 - s) + b * s + (spec.steps - 1) / 2) / (spec.steps - 1));
            };
            t.rampIndices[static_cast<int>(spec.ramp)].push_back(
                take({mix(spec.dark.r, spec.light.r), mix(spec.dark.g, spec.light.g), mix(spec.dark.b, spec.light.b)}));
        }
    }
    // A general colour cube fills the rest, so the title art has every hue;
    // its greys are left out, the grey ramp has them.
    constexpr uint8_t level[4] = {0, 96, 176, 240};
    for (int r = 0; r < 4; ++r)
        for (int g = 0; g < 4; ++g)
            for (int b = 0; b < 4; ++b)
                if (!(r == g && g == b))
                    t.rampIndices[static_cast<int>(Ramp::Cube)].push_back(take({level[r], level[g], level[b]}));
    return t;
}

const Table& TheTable() {
    static const Table table = Build();
    return table;
}

}  // namespace

const std::array<Rgb8, 256>& AtlasPalette() { return TheTable().colours; }


int RampIndex(Ramp ramp, int step) {
    const auto& v = TheTable().rampIndices[static_cast<int>(ramp)];
    if (step < 0) step = 0;
    if (step >= static_cast<int>(v.size())) step = static_cast<int>(v.size()) - 1;
    return v[step];
}

bool IsReservedIndex(int index) { return IsKeyIndex(index) || index == kKeyBezel || index == kKeyDial; }

int NearestIndex(int r, int g, int b, int excluded) {
    const auto& pal = AtlasPalette();
    int best = -1;
    long bestDistance = std::numeric_limits<long>::max();
    for (int k = 0; k < 256; ++k) {
        if (k == excluded || IsReservedIndex(k)) continue;
        // Weighted for the eye: green counts most, blue least.
        const long dr = pal[k].r - r, dg = pal[k].g - g, db = pal[k].b - b;
        const long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = k;
            if (d == 0) break;
        }
    }
    return best;
}
