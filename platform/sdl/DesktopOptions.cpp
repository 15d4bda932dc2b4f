#include "platform/sdl/DesktopOptions.h"

#include <charconv>
#include <cstring>
#include <string_view>

#include "platform/sdl/DesktopLayout.h"

namespace {

bool ParseScale(std::string_view text, int& scale) {
    int value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return false;
    if (value < 1 || value > kMaxScale) return false;
    scale = value;
    return true;
}

}  // namespace

DesktopOptions ParseDesktopOptions(int argc, const char* const* argv) {
    DesktopOptions options;
    const std::string scaleProblem = "--scale takes a whole number from 1 to " + std::to_string(kMaxScale);
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] == nullptr ? std::string_view() : std::string_view(argv[i]);
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--scale") {
            if (i + 1 >= argc || argv[i + 1] == nullptr || !ParseScale(argv[i + 1], options.scale)) {
                options.error = scaleProblem;
                return options;
            }
            ++i;
        } else if (arg.starts_with("--scale=")) {
            if (!ParseScale(arg.substr(std::strlen("--scale=")), options.scale)) {
                options.error = scaleProblem;
                return options;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            options.error = "unknown option " + std::string(arg);
            return options;
        }
        // Anything else is a file name, and the game opens no files.
    }
    return options;
}

std::string DesktopUsage(const char* programName) {
    const std::string name = programName != nullptr ? programName : "avelune";
    return "Usage: " + name + " [--scale N] [--help] [--version]\n"
           "       " + name + " --headless ...   (the game without a window; see --headless --help)\n"
           "       " + name + " --share-link FILE.avflight [--page-url URL]\n"
           "              (print a link that opens the flight in the web page)\n"
           "\n"
           "Avelune, an instrument landing simulator game. Fly the approach with the\n"
           "left mouse button, the keys or a gamepad (Help > Keys lists them).\n"
           "\n"
           "  --scale N   show every game pixel as N x N screen pixels (1 to " + std::to_string(kMaxScale) + ");\n"
           "              remembered for the next start. Default: the largest that\n"
           "              fits the screen.\n"
           "  --help      show this text\n"
           "  --version   show the program's version\n"
           "\n"
           "Keys: P or Pause pause, M mute the start sound, Alt+Enter or F11 full\n"
           "screen, F12 screenshot (PNG in the current folder), Alt+F4 quit.\n"
           "Settings and the key map: settings.ini in ~/.local/share/avelune/.\n";
}
