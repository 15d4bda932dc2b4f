// The desktop program's command line. A word that is not an option (a file
// name, say) is ignored, as the game always ignored its command line.
#pragma once

#include <string>

struct DesktopOptions {
    int scale = 0;          // 0: not given
    bool help = false;
    bool version = false;
    std::string error;      // non-empty: the command line is wrong, and why
};

DesktopOptions ParseDesktopOptions(int argc, const char* const* argv);

// The --help text.
std::string DesktopUsage(const char* programName);
