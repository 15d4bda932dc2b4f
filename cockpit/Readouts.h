// The digital readouts: numbers shown as rows of digit pictures.
//
// A readout has three or five digit positions and shows leading zeros. The
// split into digits is kept apart from the drawing so that its rules (what a
// position shows when the value is too large, or negative) can be checked on
// their own.
#pragma once

#include <array>
#include <cstdint>
#include <type_traits>

// The most digit positions a readout has.
constexpr int kMaxReadoutPositions = 5;
// A position that stays empty: whatever lies beneath it shows through.
constexpr int8_t kBlankDigit = -1;

// What one readout shows: the digit of each position, most significant
// first (kBlankDigit for an empty one), and the working value left once the
// units position is reached, which the readout's scratch member keeps.
struct ReadoutSplit {
    std::array<int8_t, kMaxReadoutPositions> digits{};  // the first `positions` are used
    int positions = 0;
    int32_t work = 0;
};

// Splits `value` over `positions` (1..5) digit positions in the value's own
// arithmetic: uint32_t for the readouts of unsigned members, int32_t for the
// others. A leading position whose weight the remaining value does not reach
// shows 0 (so a negative value shows 0 in every leading position); a quotient
// of 10 or more leaves the position empty (the value's leading part is lost);
// the units position is empty unless 0..9 remain (a negative value).
template <typename T>
constexpr ReadoutSplit SplitReadout(T value, int positions) {
    static_assert(std::is_same_v<T, uint32_t> || std::is_same_v<T, int32_t>);
    ReadoutSplit split;
    split.positions = positions < 1 ? 1 : (positions > kMaxReadoutPositions ? kMaxReadoutPositions : positions);
    T weights[kMaxReadoutPositions] = {1, 10, 100, 1000, 10000};
    T w = value;
    int at = 0;
    for (int k = split.positions - 1; k >= 1; --k, ++at) {
        const T weight = weights[k];
        if (w <= weight - 1) {
            split.digits[at] = 0;
            continue;
        }
        const T q = w / weight;  // at least 1: w is at least the weight here
        w -= q * weight;
        split.digits[at] = (q <= 9) ? static_cast<int8_t>(q) : kBlankDigit;
    }
    bool unitsShown = (w <= 9);
    if constexpr (std::is_signed_v<T>) unitsShown = unitsShown && w >= 0;
    split.digits[at] = unitsShown ? static_cast<int8_t>(w) : kBlankDigit;
    split.work = static_cast<int32_t>(w);
    return split;
}
