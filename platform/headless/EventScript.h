// The events file of `avelune --headless`: its lines and what each one says.
//
// Kept apart from the session that plays the events, so that the reader and
// the parser can be fuzzed on their own. A line ends at LF, CR LF or a lone
// CR; it may hold printable text and tabs, nothing else, and at most
// kMaxEventLine bytes.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "files/Files.h"

constexpr size_t kMaxEventLine = 4096;

// One event line, parsed.
struct Event {
    enum class Kind { None, Tick, Press, Release, Move, State, Screenshot, Key, KeyDown, KeyUp };
    Kind kind = Kind::None;  // None: an empty or comment line
    int count = 1;           // tick: periods, 0 or more
    int x = 0, y = 0;        // press, release, move: window pixel
    std::string file;        // screenshot: where to write; key, keydown, keyup: the key's name

    bool operator==(const Event&) const = default;
};

// Parses one line (without its end). False with `why` saying what is wrong
// when it is not an event line; `why` quotes no more than a few dozen
// characters of it.
bool ParseEventLine(std::string_view line, Event& event, std::string& why);

// Splits a byte stream into event lines.
class EventLineReader {
public:
    // read(buffer, size) returns the bytes it put in buffer, 0 at the end, or
    // -1 with errno set on a read error.
    using ReadFunction = std::function<long(char* buffer, size_t size)>;
    explicit EventLineReader(ReadFunction read) : read_(std::move(read)) {}
    // Reads a file descriptor (standard input, an events file, a pipe).
    static EventLineReader ForDescriptor(int fd);

    enum class Status {
        Line,       // `line` holds the next line, without its end
        End,        // no more lines
        TooLong,    // the next line is longer than kMaxEventLine; `line` holds its
                    // start (reading on is not meant: the rest of it comes as lines)
        ReadError,  // error() says why
    };
    Status Next(std::string& line);
    const std::string& error() const { return error_; }

private:
    bool Fill();  // false at the end or on an error

    ReadFunction read_;
    char buffer_[8192];
    size_t begin_ = 0, end_ = 0;
    bool afterCr_ = false;  // an LF right after a CR ends no second line
    bool atEnd_ = false;
    std::string error_;
};

// Text for a message: at most kQuoteLimit characters of `text` between single
// quotes, bytes outside printable ASCII written as \xNN, "..." when cut.
constexpr size_t kQuoteLimit = files::kQuoteLimit;
std::string QuoteForMessage(std::string_view text);
