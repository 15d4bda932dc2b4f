#include "platform/headless/EventScript.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "files/Files.h"
#include "keymap/Keymap.h"

#include <unistd.h>

namespace {

// Parses one whole word as an integer in [low, high]; false if it is not one.
bool ParseInt(std::string_view word, long long low, long long high, int& out) {
    long long v = 0;
    if (!files::ParseInteger(word, low, high, v)) return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace

std::string QuoteForMessage(std::string_view text) { return files::Quote(text, files::Utf8::kEscaped); }

bool ParseEventLine(std::string_view line, Event& event, std::string& why) {
    event = Event{};
    if (const size_t i = files::FirstControl(line); i != std::string_view::npos) {
        // Quoted from a little before the byte, so that it shows.
        const size_t from = i > kQuoteLimit / 2 ? i - kQuoteLimit / 2 : 0;
        why = "a control byte at column " + std::to_string(i + 1) + ": " + (from > 0 ? "..." : "") +
              QuoteForMessage(line.substr(from));
        return false;
    }
    const std::vector<std::string_view> w = files::Words(line.substr(0, line.find('#')));
    if (w.empty()) return true;
    const std::string_view verb = w[0];
    constexpr int kCountMax = std::numeric_limits<int>::max();
    constexpr int kCoordMax = std::numeric_limits<int>::max();
    constexpr int kCoordMin = std::numeric_limits<int>::min();

    if (verb == "tick") {
        event.kind = Event::Kind::Tick;
        if (w.size() > 2 || (w.size() == 2 && !ParseInt(w[1], 0, kCountMax, event.count))) {
            why = "'tick' takes one optional count of periods, a whole number 0 or more";
            return false;
        }
    } else if (verb == "press" || verb == "release" || verb == "move") {
        event.kind = verb == "press" ? Event::Kind::Press : verb == "release" ? Event::Kind::Release : Event::Kind::Move;
        if (w.size() != 3 || !ParseInt(w[1], kCoordMin, kCoordMax, event.x) ||
            !ParseInt(w[2], kCoordMin, kCoordMax, event.y)) {
            why = "'" + std::string(verb) + "' takes two whole numbers, X and Y";
            return false;
        }
    } else if (verb == "state") {
        event.kind = Event::Kind::State;
        if (w.size() != 1) {
            why = "'state' takes nothing after it";
            return false;
        }
    } else if (verb == "screenshot") {
        event.kind = Event::Kind::Screenshot;
        if (w.size() != 2) {
            why = "'screenshot' takes one file name (without spaces)";
            return false;
        }
        event.file = std::string(w[1]);
    } else if (verb == "key" || verb == "keydown" || verb == "keyup") {
        event.kind = verb == "key" ? Event::Kind::Key : verb == "keydown" ? Event::Kind::KeyDown : Event::Kind::KeyUp;
        const auto names = keymap::KeyNames();
        if (w.size() != 2 || std::find(names.begin(), names.end(), w[1]) == names.end()) {
            why = "'" + std::string(verb) + "' takes one key name, such as Up, KP_8, Return or A";
            return false;
        }
        event.file = std::string(w[1]);
    } else {
        why = "unknown event " + QuoteForMessage(verb) +
              " (expected tick, press, release, move, key, keydown, keyup, state or screenshot)";
        return false;
    }
    return true;
}

EventLineReader EventLineReader::ForDescriptor(int fd) {
    return EventLineReader([fd](char* buffer, size_t size) -> long {
        for (;;) {
            const ssize_t n = ::read(fd, buffer, size);
            if (n < 0 && errno == EINTR) continue;
            return static_cast<long>(n);
        }
    });
}

bool EventLineReader::Fill() {
    if (atEnd_ || !error_.empty()) return false;
    const long n = read_(buffer_, sizeof buffer_);
    if (n < 0) {
        error_ = std::strerror(errno);
        return false;
    }
    if (n == 0) {
        atEnd_ = true;
        return false;
    }
    begin_ = 0;
    end_ = static_cast<size_t>(n);
    return true;
}

EventLineReader::Status EventLineReader::Next(std::string& line) {
    line.clear();
    for (;;) {
        if (begin_ == end_ && !Fill()) break;
        if (afterCr_) {
            afterCr_ = false;
            if (buffer_[begin_] == '\n') {
                ++begin_;
                continue;
            }
        }
        const char* start = buffer_ + begin_;
        const size_t avail = end_ - begin_;
        size_t i = 0;
        while (i < avail && start[i] != '\n' && start[i] != '\r') ++i;
        const size_t take = i < kMaxEventLine + 1 - line.size() ? i : kMaxEventLine + 1 - line.size();
        line.append(start, take);
        if (line.size() > kMaxEventLine) {
            line.resize(kMaxEventLine);
            begin_ += take;
            return Status::TooLong;
        }
        begin_ += i;
        if (i < avail) {
            afterCr_ = start[i] == '\r';
            ++begin_;
            return Status::Line;
        }
    }
    if (!error_.empty()) return Status::ReadError;
    // The last line may lack its end.
    return line.empty() ? Status::End : Status::Line;
}
