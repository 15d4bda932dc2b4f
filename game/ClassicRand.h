// The classic C runtime generator, so that every run and replay repeats.
#pragma once

#include <cstdint>

class ClassicRand {
public:
    // 0..32767; the state starts at 1, as an unseeded runtime's does.
    int Next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }

private:
    uint32_t state_ = 1;
};
