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

    // The whole generator, so a saved flight can start it where it was.
    uint32_t state() const { return state_; }
    void SetState(uint32_t state) { state_ = state; }

private:
    uint32_t state_ = 1;
};
