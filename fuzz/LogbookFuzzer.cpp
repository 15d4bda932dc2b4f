// libFuzzer target: the logbook reader, line by line. Every entry it
// accepts must be written and read again to the same line; every skipped
// line's note must name the file and quote nothing raw.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "logbook/Logbook.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string name = "fuzz-logbook.txt";
    const std::string text(reinterpret_cast<const char*>(data), size);
    logbook::Contents contents;
    if (!logbook::ParseLogbook(text, name, contents)) std::abort();
    for (const std::string& note : contents.notes) {
        if (note.rfind(name, 0) != 0) std::abort();
        for (const char c : note) {
            const auto b = static_cast<unsigned char>(c);
            if (b < 0x20 || b == 0x7F) std::abort();
        }
    }
    for (const logbook::Entry& entry : contents.entries) {
        const std::string line = logbook::FormatEntry(entry);
        logbook::Entry again;
        std::string why;
        if (!logbook::ParseEntry(line, again, why)) std::abort();
        if (logbook::FormatEntry(again) != line) std::abort();
    }
    return 0;
}
