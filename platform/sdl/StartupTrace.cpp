#include "platform/sdl/StartupTrace.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>

#include <unistd.h>

std::optional<int64_t> MsSinceProcessStart(std::string_view procStat, int64_t nowBootMs, long clockTicksPerSecond) {
    // The program's name (field 2) is in parentheses and may hold spaces and
    // parentheses itself: the fields are counted from the last ')'.
    const auto close = procStat.rfind(')');
    if (close == std::string_view::npos || clockTicksPerSecond <= 0) return std::nullopt;
    std::string_view rest = procStat.substr(close + 1);
    constexpr int kStartTimeField = 22;  // counted from 1; field 3 follows the ')'
    for (int field = 3; field <= kStartTimeField; ++field) {
        const auto begin = rest.find_first_not_of(' ');
        if (begin == std::string_view::npos) return std::nullopt;
        rest.remove_prefix(begin);
        const auto end = std::min(rest.find(' '), rest.size());
        if (field == kStartTimeField) {
            uint64_t ticks = 0;
            const auto [ptr, ec] = std::from_chars(rest.data(), rest.data() + end, ticks);
            if (ec != std::errc() || ptr != rest.data() + end) return std::nullopt;
            const int64_t startMs = static_cast<int64_t>(ticks / static_cast<uint64_t>(clockTicksPerSecond) * 1000 +
                                                         ticks % static_cast<uint64_t>(clockTicksPerSecond) * 1000 /
                                                             static_cast<uint64_t>(clockTicksPerSecond));
            return nowBootMs - startMs;
        }
        rest.remove_prefix(end);
    }
    return std::nullopt;
}

void TraceFirstPresent(SDL_Renderer* renderer, const std::string& why) {
    static bool done = false;
    if (done) return;
    done = true;
    const char* trace = std::getenv("AVELUNE_TRACE_STARTUP");
    if (trace == nullptr || *trace == '\0' || std::strcmp(trace, "0") == 0) return;

    timespec boot{}, wall{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    clock_gettime(CLOCK_REALTIME, &wall);
    std::ifstream in("/proc/self/stat");
    const std::string stat{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const int64_t nowMs = static_cast<int64_t>(boot.tv_sec) * 1000 + boot.tv_nsec / 1000000;
    const auto ms = MsSinceProcessStart(stat, nowMs, sysconf(_SC_CLK_TCK));
    SDL_RendererInfo info{};
    const char* name = (renderer && SDL_GetRendererInfo(renderer, &info) == 0) ? info.name : "none";
    std::fprintf(stderr, "avelune: first picture presented %s ms after the process started, at %lld.%09ld s; "
                 "renderer %s (%s)\n",
                 ms ? std::to_string(*ms).c_str() : "?", static_cast<long long>(wall.tv_sec), wall.tv_nsec, name,
                 why.c_str());
    std::fflush(stderr);
}
