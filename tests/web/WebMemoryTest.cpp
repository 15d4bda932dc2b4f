// The browser build's memcmp, bcmp and memchr (platform/web/WebMemory.cpp)
// against plain byte loops, over every length to 200, every place of the
// first difference or the first hit, bytes either side of 128, and buffers
// that start off any 16-byte boundary. Built to run in node; exits 1 on the
// first wrong answer.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

int ReferenceCompare(const uint8_t* a, const uint8_t* b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

const uint8_t* ReferenceFind(const uint8_t* p, int c, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (p[i] == static_cast<uint8_t>(c)) return p + i;
    }
    return nullptr;
}

int failures = 0;
void Expect(bool ok, const char* what, size_t n, size_t at, int offset) {
    if (ok) return;
    if (++failures <= 10) std::printf("wrong %s: length %zu, at %zu, offset %d\n", what, n, at, offset);
}

}  // namespace

int main() {
    std::vector<uint8_t> a(256 + 16), b(256 + 16);
    // Pairs of bytes that make the first difference: the signs must come out
    // as unsigned bytes compare.
    const uint8_t pairs[][2] = {{0, 1}, {1, 0}, {127, 128}, {128, 127}, {0, 255}, {255, 0}};
    for (int offset = 0; offset < 16; offset += 5) {
        uint8_t* x = a.data() + offset;
        uint8_t* y = b.data() + (15 - offset);
        for (size_t n = 0; n <= 200; ++n) {
            for (size_t i = 0; i < n; ++i) x[i] = y[i] = static_cast<uint8_t>(i * 37 + 11);
            Expect(memcmp(x, y, n) == 0 && bcmp(x, y, n) == 0, "memcmp of equal bytes", n, n, offset);
            for (size_t at = 0; at < n; ++at) {
                for (const auto& p : pairs) {
                    const uint8_t keep = x[at], keepY = y[at];
                    x[at] = p[0];
                    y[at] = p[1];
                    Expect(Sign(memcmp(x, y, n)) == ReferenceCompare(x, y, n), "memcmp", n, at, offset);
                    Expect((bcmp(x, y, n) != 0) == (ReferenceCompare(x, y, n) != 0), "bcmp", n, at, offset);
                    x[at] = keep;
                    y[at] = keepY;
                }
            }
            // memchr: no hit, then a hit at each place (with a second one
            // after it), for keys 0 and 200 and a key above 255.
            for (const int key : {0, 200, 0x1c8}) {
                for (size_t i = 0; i < n; ++i) x[i] = static_cast<uint8_t>(1 + i % 100);
                Expect(memchr(x, key, n) == nullptr, "memchr without a hit", n, n, offset);
                for (size_t at = 0; at < n; ++at) {
                    x[at] = static_cast<uint8_t>(key);
                    if (at + 7 < n) x[at + 7] = static_cast<uint8_t>(key);
                    Expect(memchr(x, key, n) == ReferenceFind(x, key, n), "memchr", n, at, offset);
                    x[at] = static_cast<uint8_t>(1 + at % 100);
                    if (at + 7 < n) x[at + 7] = static_cast<uint8_t>(1 + (at + 7) % 100);
                }
            }
        }
    }
    std::printf("%s\n", failures == 0 ? "memory functions agree with byte loops" : "memory functions disagree");
    return failures == 0 ? 0 : 1;
}
