// Integer arithmetic of the game's exact widths, without undefined behaviour.
//
// The game's values are 32-bit numbers that wrap and 16-bit members that keep
// the low 16 bits of what is stored in them. Signed overflow is undefined in
// C++, so every sum and product that may wrap is formed in uint32_t, where
// wrapping is defined, and converted back (modular since C++20).
#pragma once

#include <cstdint>

constexpr int32_t WrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
constexpr int32_t WrapSub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
constexpr int32_t WrapMul(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
// Truncating division that cannot trap: INT32_MIN / -1 wraps to INT32_MIN, as
// the 32-bit machine result would (the divisors in this game are constants).
constexpr int32_t WrapDiv(int32_t a, int32_t b) {
    return (b == -1) ? WrapSub(0, a) : a / b;
}
// |v| in 32 bits; |INT32_MIN| wraps to itself.
constexpr int32_t WrapAbs(int32_t v) { return v < 0 ? WrapSub(0, v) : v; }
// The low 16 bits of v, as a 16-bit member keeps them.
constexpr int16_t Low16(int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(v))); }
