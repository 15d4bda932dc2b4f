// AVELUNE_TRACE_STARTUP=1 (any value but 0) prints one line on standard
// error when the first picture has been presented: how long after the
// process started (as the kernel counts it, in its 10 ms clock ticks), the
// wall-clock time then, for scripts that started the clock themselves, and
// the renderer drawing the window and why it was chosen.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Milliseconds from the process's start to `nowBootMs`, from the text of
// /proc/PID/stat; nullopt when the text is not such a line.
std::optional<int64_t> MsSinceProcessStart(std::string_view procStat, int64_t nowBootMs, long clockTicksPerSecond);

// Prints the line the first time it is called, when tracing is on.
void TraceFirstPresent(SDL_Renderer* renderer, const std::string& why);
