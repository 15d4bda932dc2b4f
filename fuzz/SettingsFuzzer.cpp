// libFuzzer target: the desktop's settings reader, through its file. What
// it reads must be written and read again to the same text and settings;
// every warning must name the file and quote nothing raw.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "platform/sdl/DesktopSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/avelune-settings-fuzz-" +
               std::to_string(::getpid()) + ".ini";
    }();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return 0;
    const bool written = size == 0 || ::write(fd, data, size) == static_cast<ssize_t>(size);
    ::close(fd);
    if (!written) return 0;

    std::string warning;
    const DesktopSettings settings = LoadSettings(path, warning);
    size_t begin = 0;
    while (begin < warning.size()) {
        const size_t end = std::min(warning.find('\n', begin), warning.size());
        const std::string line = warning.substr(begin, end - begin);
        if (line.find(path) == std::string::npos) std::abort();
        for (const char c : line) {
            const auto b = static_cast<unsigned char>(c);
            if (b < 0x20 || b == 0x7F) std::abort();
        }
        begin = end + 1;
    }
    const std::string once = FormatSettings(settings);
    DesktopSettings again;
    std::string problem;
    if (!ParseSettings(once, again, problem)) std::abort();
    if (!(again == settings) || FormatSettings(again) != once) std::abort();
    return 0;
}
