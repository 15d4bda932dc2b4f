// memcmp, bcmp and memchr for the browser build. The C library emscripten
// links compares and searches a byte or a word at a time, and the game
// compares every row of every picture it shows with the one before
// (WindowPicture::Show) and finds the key pixels of every wide row it copies
// with memchr (gfx/Blit.cpp): sixteen bytes at a time with WebAssembly's SIMD,
// the browser build keeps closer to the native one. Linked straight into the
// module, so these stand in for the library's.
#include <wasm_simd128.h>

#include <cstddef>
#include <cstdint>

namespace {

int CompareBytes(const uint8_t* a, const uint8_t* b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

}  // namespace

extern "C" int memcmp(const void* left, const void* right, size_t n) {
    const auto* a = static_cast<const uint8_t*>(left);
    const auto* b = static_cast<const uint8_t*>(right);
    size_t i = 0;
    // Four vectors a step while they are alike, then the vector that differs.
    for (; i + 64 <= n; i += 64) {
        const v128_t x0 = wasm_v128_xor(wasm_v128_load(a + i), wasm_v128_load(b + i));
        const v128_t x1 = wasm_v128_xor(wasm_v128_load(a + i + 16), wasm_v128_load(b + i + 16));
        const v128_t x2 = wasm_v128_xor(wasm_v128_load(a + i + 32), wasm_v128_load(b + i + 32));
        const v128_t x3 = wasm_v128_xor(wasm_v128_load(a + i + 48), wasm_v128_load(b + i + 48));
        if (wasm_v128_any_true(wasm_v128_or(wasm_v128_or(x0, x1), wasm_v128_or(x2, x3)))) break;
    }
    for (; i + 16 <= n; i += 16) {
        const v128_t same = wasm_i8x16_eq(wasm_v128_load(a + i), wasm_v128_load(b + i));
        if (!wasm_i8x16_all_true(same)) return CompareBytes(a + i, b + i, 16);
    }
    return CompareBytes(a + i, b + i, n - i);
}

extern "C" int bcmp(const void* left, const void* right, size_t n) { return memcmp(left, right, n); }

extern "C" void* memchr(const void* where, int c, size_t n) {
    const auto* p = static_cast<const uint8_t*>(where);
    const auto key = static_cast<uint8_t>(c);
    const v128_t keys = wasm_i8x16_splat(static_cast<int8_t>(key));
    size_t i = 0;
    for (; i + 64 <= n; i += 64) {
        const v128_t e0 = wasm_i8x16_eq(wasm_v128_load(p + i), keys);
        const v128_t e1 = wasm_i8x16_eq(wasm_v128_load(p + i + 16), keys);
        const v128_t e2 = wasm_i8x16_eq(wasm_v128_load(p + i + 32), keys);
        const v128_t e3 = wasm_i8x16_eq(wasm_v128_load(p + i + 48), keys);
        if (wasm_v128_any_true(wasm_v128_or(wasm_v128_or(e0, e1), wasm_v128_or(e2, e3)))) break;
    }
    for (; i + 16 <= n; i += 16) {
        const uint32_t hits = wasm_i8x16_bitmask(wasm_i8x16_eq(wasm_v128_load(p + i), keys));
        if (hits != 0) return const_cast<uint8_t*>(p + i + __builtin_ctz(hits));
    }
    for (; i < n; ++i) {
        if (p[i] == key) return const_cast<uint8_t*>(p + i);
    }
    return nullptr;
}
