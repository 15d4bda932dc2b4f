// Timer 1 of a game window, driven by the host's event loop.
//
// The loop asks how long it may sleep (WaitMs), sleeps in the event queue at
// most that long, and after every wake-up asks whether the tick is due
// (TakeDue). Like a window timer, a late tick is delivered once, not once for
// every period missed, and the next one falls a period after it was due (or a
// period from now when the loop fell a whole period behind). Re-arming puts
// the next tick one full period from the moment of the call.
//
// A pause is the player's, outside the game: while paused no tick comes, but
// the game's own Rearm and Kill still say whether the timer runs. Resuming
// re-arms it a full period on if the game has it running; a timer the game
// had stopped stays stopped.
#pragma once

#include <cstdint>

class TickTimer {
public:
    void Rearm(uint64_t nowMs, uint32_t periodMs) {
        running_ = true;
        periodMs_ = periodMs == 0 ? 1 : periodMs;
        dueMs_ = nowMs + periodMs_;
    }
    void Kill() { running_ = false; }
    bool running() const { return running_; }

    void Pause() { paused_ = true; }
    void Resume(uint64_t nowMs) {
        if (!paused_) return;
        paused_ = false;
        if (running_) dueMs_ = nowMs + periodMs_;
    }
    bool paused() const { return paused_; }

    // Milliseconds the loop may sleep before the next tick; -1 when the timer
    // is stopped (sleep until something happens).
    int WaitMs(uint64_t nowMs) const {
        if (!running_ || paused_) return -1;
        return nowMs >= dueMs_ ? 0 : static_cast<int>(dueMs_ - nowMs);
    }

    // True when a tick is due now; the next one is then scheduled. The tick's
    // handler may re-arm or kill the timer after this.
    bool TakeDue(uint64_t nowMs) {
        if (!running_ || paused_ || nowMs < dueMs_) return false;
        dueMs_ += periodMs_;
        if (dueMs_ <= nowMs) dueMs_ = nowMs + periodMs_;
        return true;
    }

private:
    bool running_ = false;
    bool paused_ = false;
    uint32_t periodMs_ = 1;
    uint64_t dueMs_ = 0;
};
