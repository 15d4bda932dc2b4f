// What the game costs per tick: one flight step alone, and one whole tick of
// each game state as the headless host runs it (drawing, presenting to the
// in-memory window, and the state's changes to the record). A tick has 100 ms;
// these figures say how little of it the game uses.
//
// Every iteration starts from the same record, copied back in before the tick
// (a copy of a few hundred bytes, included in the figure). What is read
// afterwards is the window's picture: the game never reads its surface, and a
// read would make at once the copies that wait for the next show.
#include <benchmark/benchmark.h>


#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bench/BenchAtlas.h"
#include "platform/common/FlightCycle.h"
#include "game/AveluneView.h"
#include "platform/headless/HeadlessHost.h"
#include "platform/common/AtlasFiles.h"
#include "platform/headless/HeadlessSession.h"

namespace {

// Without the generated art a plain pattern serves: costs do not depend on colours.
uint8_t Plain(int x, int y) { return static_cast<uint8_t>((static_cast<uint32_t>(y) * kAtlasWidth + x) * 7 / 5); }

// One game state's tick, from the record that state is normally entered with.
struct StateCase {
    const char* name;
    uint32_t state;
    void (*adjust)(FlightState&);
};

// clang-format off
const StateCase kStates[] = {
    {"0 title picture",     kStateTitlePicture,    [](FlightState& s) { s.pressMode = s.releaseMode = kModeTitle; }},
    {"1 information page",  kStateInformationPage, [](FlightState& s) { s.pressMode = s.releaseMode = kModeTitle; }},
    {"3 title animation",   kStateTitleAnimation,  [](FlightState& s) { s.pressMode = s.releaseMode = kModeTitle; s.titleFrame = 6; }},
    {"4 cockpit picture",   kStateCockpit,         [](FlightState&) {}},
    {"6 judgement",         kStateJudgement,       [](FlightState& s) { s.dragSwitch = kDragOn; s.liftSwitch = kLiftOn; s.turbulenceSwitch = kTurbulenceOn; }},
    {"7 failure screen",    kStateFailure,         [](FlightState& s) { s.localizerNeedle = 2; }},
    {"8 warning screen",    kStateWarning,         [](FlightState& s) { s.airspeed = 280; }},
    {"9 second page",       kStateSecondPage,      [](FlightState& s) { s.releaseMode = kModeInformationPage; }},
    {"10 flight step",      kStateFlightStep,      [](FlightState&) {}},
    {"10 arrival",          kStateFlightStep,      [](FlightState& s) { s.distanceFlown = 47300; }},
};
// clang-format on

void BM_Tick(benchmark::State& state) {
    const StateCase& c = kStates[state.range(0)];
    BenchView bench(Plain);
    CAveluneView& view = bench.view;
    view.OnCreate();
    FlightState start;
    MidApproach(start);
    c.adjust(start);
    start.gameState = c.state;
    for (auto _ : state) {
        static_cast<FlightState&>(view) = start;
        view.OnTimer();
        benchmark::DoNotOptimize(bench.host.WindowPixel(0, 0));
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::string(c.name) + ", " + bench.label);
}
BENCHMARK(BM_Tick)->ArgName("state")->DenseRange(0, static_cast<int>(std::size(kStates)) - 1)->Unit(benchmark::kMicrosecond);

// The flight model alone: the step without the screen it may show.
void BM_FlightStep(benchmark::State& state) {
    BenchView bench(Plain);
    CAveluneView& view = bench.view;
    FlightState start;
    MidApproach(start);
    start.gameState = kStateFlightStep;
    for (auto _ : state) {
        static_cast<FlightState&>(view) = start;
        view.FlyOneSecond();
        benchmark::DoNotOptimize(view.altitude);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FlightStep);

// One simulated second as the player sees it: the flight step, the cockpit
// picture and the judgement, three ticks, over `count` seconds flown one
// after another from the middle of the approach (one: the same second again
// and again).
void FlyCycles(benchmark::State& state, size_t count) {
    BenchView bench(Plain);
    CAveluneView& view = bench.view;
    view.OnCreate();
    FlightState start;
    MidApproach(start);
    const std::vector<FlightState> seconds = FlownSeconds(view, start, count);
    size_t i = 0;
    for (auto _ : state) {
        FlyCycle(view, seconds[i]);
        i = (i + 1) % seconds.size();
        // The window's picture, not the surface: the game never reads its
        // surface, and a read would make the lamps the judgement leaves
        // waiting, and with them the next picture's copies, at once.
        benchmark::DoNotOptimize(bench.host.WindowPixel(0, 0));
        benchmark::ClobberMemory();
    }
    state.SetLabel(count == 1 ? bench.label : std::to_string(count) + " seconds, " + bench.label);
}

// The same second each time. The web build runs the very same cycle in the
// browser (tests/web/measure.mjs) to compare wasm with native.
void BM_FlightCycle(benchmark::State& state) { FlyCycles(state, 1); }
BENCHMARK(BM_FlightCycle)->Unit(benchmark::kMicrosecond);

// 32 seconds, so that each picture's instruments have moved on from the last
// one's, as in play. (The jump from the last second back to the first is one
// cycle in 32.)
void BM_FlightCycleFlown(benchmark::State& state) { FlyCycles(state, 32); }
BENCHMARK(BM_FlightCycleFlown)->Unit(benchmark::kMicrosecond);

// Copying the record back alone: what every figure above includes.
void BM_RecordCopy(benchmark::State& state) {
    BenchView bench(Plain);
    CAveluneView& view = bench.view;
    FlightState start;
    MidApproach(start);
    for (auto _ : state) {
        static_cast<FlightState&>(view) = start;
        benchmark::DoNotOptimize(view.altitude);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RecordCopy);

}  // namespace
