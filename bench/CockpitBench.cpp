// What one cockpit picture costs, beside a plain copy of the bytes it writes.
//
// The cockpit is composed from scratch every flight cycle: about 640 keyed
// copies from the atlas (590 of them the one-pixel columns of the outside
// view) and one copy of the whole surface to the window. The yardstick is a
// memcpy of as many bytes as the composition stores; a composition should cost
// no more than three of those.
//
// The generated atlas (bin/prop.bmp) is used when it can be read, since its
// transparent runs are what the keyed copies meet in play; otherwise a made-up
// atlas with a sprinkling of key pixels stands in, and the label says so.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "game/AveluneView.h"
#include "platform/headless/HeadlessHost.h"
#include "bench/BenchAtlas.h"
#include "platform/common/FlightCycle.h"
#include "platform/common/AtlasFiles.h"
#include "platform/headless/HeadlessSession.h"

namespace {

// A pattern with every thirteenth pixel on the usual key indices.
uint8_t SprinkledKeys(int x, int y) {
    static constexpr uint8_t keys[] = {3, 95, 247, 248, 255};
    const uint32_t i = static_cast<uint32_t>(y) * kAtlasWidth + static_cast<uint32_t>(x);
    return (i % 13 == 0) ? keys[(i / 13) % 5] : static_cast<uint8_t>(10 + (i * 7) % 200);
}

// Bytes one composition stores: the panel, the attitude picture and its two
// bezels, the airspeed dial twice with a needle, the ILS face, needles and
// overlay, 23 digits, six gauges with needles, the 590 view columns, and the
// copy of the whole surface to the window.
constexpr int64_t Area(const Sprite& s) { return int64_t{s.width} * s.height; }
constexpr int64_t kLargeNeedleArea = 42 * 42;
constexpr int64_t kComposedBytes =
    Area(sprite::kBasePanel) + Area(sprite::kAttitudeWindow) + Area(sprite::kAttitudeBezel1) +
    Area(sprite::kAttitudeBezel2) + Area(sprite::kAirspeedFace) + Area(sprite::kAirspeedFaceOver) + kLargeNeedleArea +
    Area(sprite::kIlsFace) + Area(sprite::kLocalizerNeedle) + Area(sprite::kGlideSlopeBar) + Area(sprite::kIlsOverlay) +
    6 * Area(sprite::kLargeDigit0) + 17 * Area(sprite::kSmallDigit0) + 6 * (Area(sprite::kGaugeFace) + 32 * 32) +
    590 * 152 + int64_t{kSurfaceWidth} * kSurfaceHeight;

// Arguments: the bank (0: one copy of the whole view; 3: the steepest
// shear, a run of about four columns each), and 1 for the portable blitter
// even where AVX-512 is present.
void BankArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"bank", "portable"});
    for (int portable : {0, 1})
        for (int bank : {0, 2, 3}) b->Args({bank, portable});
}

// A view in the middle of an approach (outside view on) at the run's bank,
// drawing with the blitter the run asks for, which the label names; the
// fastest blitter comes back afterwards.
struct CockpitRun : BenchView {
    explicit CockpitRun(const benchmark::State& state) : BenchView(SprinkledKeys) {
        MidApproach(view);
        view.bank = static_cast<int16_t>(state.range(0));
        SetBlitPath((state.range(1) != 0) ? BlitPath::Portable : BlitPath::Fastest);
        label += (CurrentBlitPath() == BlitPath::Fastest) ? ", AVX-512" : ", portable";
    }
    ~CockpitRun() { SetBlitPath(BlitPath::Fastest); }
};

void BM_ComposeCockpit(benchmark::State& state) {
    CockpitRun run(state);
    CAveluneView& view = run.view;
    for (auto _ : state) {
        view.gameState = kStateCockpit;
        view.ComposeCockpit();
        // Read, as the game reads it: a writer's access would make the next
        // show compare the whole picture.
        benchmark::DoNotOptimize(std::as_const(view).surfaceBits());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kComposedBytes);
    state.SetLabel(run.label);
}
BENCHMARK(BM_ComposeCockpit)->Apply(BankArgs);

// The composition in play: the cockpit picture and the judgement that
// follows it (which draws the switch lamps), over 32 seconds flown one after
// another, so that each picture's instruments have moved on from the last.
void BM_ComposeCockpitFlown(benchmark::State& state) {
    CockpitRun run(state);
    CAveluneView& view = run.view;
    FlightState start = view;
    const std::vector<FlightState> seconds = FlownSeconds(view, start, 32);
    size_t i = 0;
    for (auto _ : state) {
        static_cast<FlightState&>(view) = seconds[i];
        view.bank = static_cast<int16_t>(state.range(0));
        i = (i + 1) % seconds.size();
        view.gameState = kStateCockpit;
        view.OnTimer();
        // Read where nothing waits to be made, right after the show: the
        // game itself never reads its surface, and a read before the lamps
        // the judgement draws last were made would make them, and the next
        // picture's copies, at once.
        benchmark::DoNotOptimize(std::as_const(view).surfaceBits());
        benchmark::ClobberMemory();
        view.OnTimer();
    }
    state.SetBytesProcessed(state.iterations() * kComposedBytes);
    state.SetLabel(std::to_string(seconds.size()) + " seconds, " + run.label);
}
BENCHMARK(BM_ComposeCockpitFlown)->Apply(BankArgs);

// The outside view alone: 590 keyed columns of 152 pixels.
void BM_OutsideView(benchmark::State& state) {
    CockpitRun run(state);
    CAveluneView& view = run.view;
    for (auto _ : state) {
        view.DrawOutsideView();
        benchmark::DoNotOptimize(view.surfaceBits());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 590 * 152);
    state.SetLabel(run.label);
}
BENCHMARK(BM_OutsideView)->Apply(BankArgs);

void BM_MemcpyComposedBytes(benchmark::State& state) {
    std::vector<uint8_t> from(static_cast<size_t>(kComposedBytes), 7), to(static_cast<size_t>(kComposedBytes));
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), to.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kComposedBytes);
}
BENCHMARK(BM_MemcpyComposedBytes);

void BM_BlitKeyedBasePanel(benchmark::State& state) {
    BenchView bench(SprinkledKeys);
    CAveluneView& view = bench.view;
    const Sprite& p = sprite::kBasePanel;
    for (auto _ : state) {
        view.BlitKeyed(0, 0, p.x, p.y, static_cast<uint32_t>(p.width), static_cast<uint32_t>(p.height), p.key);
        benchmark::DoNotOptimize(view.surfaceBits());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * Area(p));
    state.SetLabel(bench.label);
}
BENCHMARK(BM_BlitKeyedBasePanel);

void BM_MemcpyBasePanelBytes(benchmark::State& state) {
    const size_t bytes = static_cast<size_t>(Area(sprite::kBasePanel));
    std::vector<uint8_t> from(bytes, 7), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_MemcpyBasePanelBytes);

}  // namespace
