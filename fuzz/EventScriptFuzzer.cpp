// A libFuzzer target for the event-script reader and parser of
// `avelune --headless` (platform/headless/EventScript), without the game.
//
// The first input byte sets how many bytes each read returns (so that line
// ends fall across reads); the rest is the events file. Checked on every run:
//   - the reader gives exactly the lines a plain splitter finds in the whole
//     text (LF, CR LF or a lone CR ends one), none longer than kMaxEventLine,
//     and stops with TooLong at the first line that is;
//   - every line parses or is refused with a short, printable reason;
//   - an event that parses, written out again, parses to the same event.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/headless/EventScript.h"
#include "tests/support/ChunkedReads.h"

namespace {

// The rule written out plainly over the whole text.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || text[i] == '\r') {
            lines.push_back(line);
            line.clear();
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += text[i];
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

bool Printable(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) return false;
    return true;
}

std::string Written(const Event& e) {
    switch (e.kind) {
    case Event::Kind::None: return "";
    case Event::Kind::Tick: return "tick " + std::to_string(e.count);
    case Event::Kind::Press: return "press " + std::to_string(e.x) + " " + std::to_string(e.y);
    case Event::Kind::Release: return "release " + std::to_string(e.x) + "\t" + std::to_string(e.y);
    case Event::Kind::Move: return "  move " + std::to_string(e.x) + " " + std::to_string(e.y) + " # there";
    case Event::Kind::State: return "state";
    case Event::Kind::Screenshot: return "screenshot " + e.file;
    case Event::Kind::Key: return "key " + e.file;
    case Event::Kind::KeyDown: return "keydown\t" + e.file;
    case Event::Kind::KeyUp: return "keyup " + e.file + " # let go";
    }
    return "";
}

void CheckLine(const std::string& line) {
    Event event;
    std::string why;
    if (!ParseEventLine(line, event, why)) {
        // Short whatever the line: a few dozen quoted characters and the words round them.
        if (why.empty() || why.size() > 300 || !Printable(why)) std::abort();
        return;
    }
    if (event.kind == Event::Kind::Tick && event.count < 0) std::abort();
    Event again;
    if (!ParseEventLine(Written(event), again, why) || !(again == event)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t chunk = data[0] == 0 ? 8192 : data[0];
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    EventLineReader reader(ChunkedReads(text, chunk));
    const std::vector<std::string> want = SplitLines(text);
    size_t count = 0;
    std::string line;
    for (;;) {
        const EventLineReader::Status status = reader.Next(line);
        if (status == EventLineReader::Status::End) {
            if (count != want.size()) std::abort();
            break;
        }
        if (status == EventLineReader::Status::ReadError) std::abort();
        if (count >= want.size() || line.size() > kMaxEventLine) std::abort();
        if (status == EventLineReader::Status::TooLong) {
            // The start of the first line that is too long.
            if (want[count].size() <= kMaxEventLine || want[count].compare(0, line.size(), line) != 0) std::abort();
            break;
        }
        if (line != want[count] || want[count].size() > kMaxEventLine) std::abort();
        CheckLine(line);
        ++count;
    }
    const std::string quoted = QuoteForMessage(text);
    if (quoted.size() > 2 + 4 * kQuoteLimit + 3 || !Printable(quoted)) std::abort();
    return 0;
}
