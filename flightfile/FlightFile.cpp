#include "flightfile/FlightFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <new>
#include <string_view>
#include <sstream>
#include <type_traits>

#include "files/Files.h"

#ifndef AVELUNE_GAME_VERSION
#define AVELUNE_GAME_VERSION "unknown"
#endif

namespace flightfile {

const char* GameVersion() { return AVELUNE_GAME_VERSION; }

// ---- Hashes ------------------------------------------------------------------

uint64_t Fnv1a64(const void* data, size_t size, uint64_t h) {
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) {
        h ^= p[i];
        h *= kFnvPrime;
    }
    return h;
}

namespace {

// The whole of the file `path`, `kind` of file ("a flight file"), at most
// kMaxFileBytes; a failure is "cannot read `named`PATH: why".
bool ReadWhole(const std::string& path, const char* kind, const char* named, std::string& bytes, std::string& error) {
    std::string reason;
    if (files::ReadFile(path, kind, kMaxFileBytes, bytes, reason) == files::ReadStatus::kRead) return true;
    error = "cannot read " + (named + path) + ": " + reason;
    return false;
}

}  // namespace

bool HashFile(const std::string& path, uint64_t& hash, std::string& error) {
    std::string bytes;
    if (!ReadWhole(path, "an atlas", "", bytes, error)) return false;
    hash = Fnv1a64(bytes.data(), bytes.size());
    return true;
}

namespace {

template <typename T>
uint64_t Bits(T value) {
    if constexpr (std::is_floating_point_v<T>) {
        static_assert(sizeof(T) == 4);
        uint32_t bits = 0;
        std::memcpy(&bits, &value, 4);
        return bits;
    } else {
        return static_cast<uint64_t>(static_cast<std::make_unsigned_t<T>>(value));
    }
}

template <typename T>
uint64_t HashMember(uint64_t h, T value) {
    const uint64_t bits = Bits(value);
    uint8_t bytes[sizeof(T)];
    for (size_t i = 0; i < sizeof(T); ++i) bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
    return Fnv1a64(bytes, sizeof bytes, h);
}

}  // namespace

uint64_t RecordHash(const FlightState& s) {
    uint64_t h = kFnvOffset;
#define AVELUNE_HASH_MEMBER(type, name) h = HashMember<type>(h, s.name);
    AVELUNE_FLIGHT_STATE_MEMBERS(AVELUNE_HASH_MEMBER)
#undef AVELUNE_HASH_MEMBER
    return h;
}

uint32_t Checkpoint(const FlightState& s) {
    const uint64_t h = RecordHash(s);
    return static_cast<uint32_t>(h ^ (h >> 32));
}

const char* InputName(InputKind kind) {
    switch (kind) {
    case InputKind::kPress: return "press";
    case InputKind::kRelease: return "release";
    case InputKind::kMove: return "move";
    }
    return "?";
}

const char* EndingName(Ending ending) {
    switch (ending) {
    case Ending::kArrived: return "arrived";
    case Ending::kFailed: return "failed";
    case Ending::kLeft: return "left";
    case Ending::kFlying: return "flying";
    }
    return "?";
}

// ---- Writing -------------------------------------------------------------------

namespace {

constexpr int kChecksPerLine = 16;
constexpr uint32_t kMaxTicks = 1u << 24;    // 19 days of ticks; bounds what a file may ask for
constexpr size_t kMaxInputs = 1u << 22;
// The longest line a flight file holds is its record, about a kilobyte.
constexpr size_t kMaxLineBytes = 16384;

template <typename T>
void AppendValue(std::string& out, T value) {
    char text[48];
    if constexpr (std::is_floating_point_v<T>) {
        // Hexadecimal: read back to the very same bits.
        std::snprintf(text, sizeof text, "%a", static_cast<double>(value));
    } else if constexpr (std::is_signed_v<T>) {
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    } else {
        std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(value));
    }
    out += text;
}

std::string Hex64(uint64_t v) {
    char text[24];
    std::snprintf(text, sizeof text, "%016" PRIx64, v);
    return text;
}

}  // namespace

std::string FormatFlight(const Flight& f) {
    std::string out;
    out += std::string(kFormatName) + " " + std::to_string(kFormatVersion) + "\n";
    out += "game " + (f.gameVersion.empty() ? std::string("unknown") : f.gameVersion) + "\n";
    out += "atlas fnv1a64:" + Hex64(f.atlasHash) + "\n";
    out += std::string("start ") + (f.fromRestart ? "restart" : "title") + "\n";
    out += "rand " + std::to_string(f.randState) + "\n";
    out += std::string("timer ") + (f.timerRunning ? "running" : "stopped") + "\n";
    out += "record";
#define AVELUNE_WRITE_MEMBER(type, name) \
    out += " " #name "=";                \
    AppendValue<type>(out, f.start.name);
    AVELUNE_FLIGHT_STATE_MEMBERS(AVELUNE_WRITE_MEMBER)
#undef AVELUNE_WRITE_MEMBER
    out += "\n";
    for (const Input& in : f.inputs) {
        out += "input " + std::to_string(in.tick) + " " + InputName(in.kind) + " " + std::to_string(in.x) + " " +
               std::to_string(in.y) + "\n";
    }
    out += "ticks " + std::to_string(f.ticks) + "\n";
    for (size_t i = 0; i < f.checkpoints.size(); i += kChecksPerLine) {
        out += "check " + std::to_string(i);
        for (size_t j = i; j < f.checkpoints.size() && j < i + kChecksPerLine; ++j) {
            char text[12];
            std::snprintf(text, sizeof text, " %08" PRIx32, f.checkpoints[j]);
            out += text;
        }
        out += "\n";
    }
    out += std::string("end ") + EndingName(f.ending) + " distance=" + std::to_string(f.endDistance) +
           " altitude=" + std::to_string(f.endAltitude) + " airspeed=" + std::to_string(f.endAirspeed) + "\n";
    out += "final fnv1a64:" + Hex64(f.finalHash) + "\n";
    return out;
}

// ---- Reading -------------------------------------------------------------------

namespace {

// A flight file writes no '+'.
bool ParseSigned(const std::string& word, long long low, long long high, long long& out) {
    if (word.empty() || word[0] == '+' || std::isspace(static_cast<unsigned char>(word[0]))) return false;
    return files::ParseInteger(word, low, high, out);
}

bool ParseUnsigned(const std::string& word, unsigned long long high, unsigned long long& out) {
    if (word.empty() || !std::isdigit(static_cast<unsigned char>(word[0]))) return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(word.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v > high) return false;
    out = v;
    return true;
}

bool ParseHex(const std::string& word, size_t digits, uint64_t& out) {
    if (word.size() != digits) return false;
    uint64_t v = 0;
    for (const char c : word) {
        int d = 0;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        v = (v << 4) | static_cast<uint64_t>(d);
    }
    out = v;
    return true;
}

template <typename T>
bool ParseValue(const std::string& word, T& out) {
    if constexpr (std::is_floating_point_v<T>) {
        if (word.empty() || std::isspace(static_cast<unsigned char>(word[0]))) return false;
        char* end = nullptr;
        errno = 0;
        const float v = std::strtof(word.c_str(), &end);
        if (*end != '\0') return false;
        // Too large for a float, or too small to be told from zero: the
        // file holds a value its member cannot (a written float reads back
        // exactly, infinities and subnormals included).
        if (errno == ERANGE && (std::isinf(v) || v == 0)) return false;
        out = v;
        return true;
    } else if constexpr (std::is_signed_v<T>) {
        long long v = 0;
        if (!ParseSigned(word, std::numeric_limits<T>::min(), std::numeric_limits<T>::max(), v)) return false;
        out = static_cast<T>(v);
        return true;
    } else {
        unsigned long long v = 0;
        if (!ParseUnsigned(word, std::numeric_limits<T>::max(), v)) return false;
        out = static_cast<T>(v);
        return true;
    }
}

// Walks the file's lines, skipping blank lines and '#' comments, and words
// every complaint with the file and the line.
class Reader {
public:
    Reader(const std::string& text, const std::string& fileName) : text_(text), fileName_(fileName) {}

    // The next line with content; false at the end of the text.
    // A line that cannot be read (too long, a control byte in it) ends the
    // walk with its fault in fault(); Fail then reports that fault.
    bool Next() {
        while (pos_ < text_.size() && fault_.empty()) {
            const size_t eol = text_.find('\n', pos_);
            const bool finished = eol != std::string::npos;
            std::string_view line = std::string_view(text_).substr(pos_, finished ? eol - pos_ : std::string::npos);
            pos_ = finished ? eol + 1 : text_.size();
            ++lineNumber_;
            unfinished_ = !finished;
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            // A comment is skipped unread, however long.
            const size_t first = line.find_first_not_of(" \t");
            if (first == std::string_view::npos || line[first] == '#') continue;
            if (line.size() > kMaxLineBytes) {
                fault_ = "the line is " + std::to_string(line.size()) + " bytes long, more than a flight file's line may be (" +
                         std::to_string(kMaxLineBytes) + ")";
                return false;
            }
            if (const size_t i = files::FirstControl(line); i != std::string_view::npos) {
                fault_ = line[i] == '\r' ? "a carriage return at column " + std::to_string(i + 1) +
                                                ", inside the line: a flight file's lines end at LF (or CR LF)"
                                          : "a control byte " + files::Quote(line.substr(i, 1)) + " at column " +
                                                std::to_string(i + 1);
                return false;
            }
            const std::vector<std::string_view> words = files::Words(line);
            words_.assign(words.begin(), words.end());
            return true;
        }
        return false;
    }
    const std::string& fault() const { return fault_; }
    const std::vector<std::string>& words() const { return words_; }
    bool unfinished() const { return unfinished_; }
    long lineNumber() const { return lineNumber_; }

    bool Fail(std::string& error, const std::string& why) const {
        error = fileName_ + " line " + std::to_string(lineNumber_) + ": " + why;
        if (unfinished_ && why.find("no line end") == std::string::npos && why != fault_) {
            error += " (the line has no line end: the file is cut short)";
        }
        return false;
    }
    bool FailAtEnd(std::string& error, const std::string& expected) const {
        if (!fault_.empty()) return Fail(error, fault_);
        error = fileName_ + ": the file ends after line " + std::to_string(lineNumber_) + " where " + expected +
                " was expected (it is cut short)";
        return false;
    }

private:
    const std::string& text_;
    const std::string& fileName_;
    size_t pos_ = 0;
    long lineNumber_ = 0;
    std::vector<std::string> words_;
    bool unfinished_ = false;
    std::string fault_;
};

bool ParseRecord(const std::vector<std::string>& w, FlightState& s, const Reader& r, std::string& error) {
    size_t i = 1;
    bool ok = true;
    std::string why;
    auto member = [&](const char* name, auto& value) {
        if (!ok) return;
        if (i >= w.size()) {
            ok = false;
            why = std::string("the record stops before the member ") + name;
            return;
        }
        const std::string& word = w[i++];
        const size_t eq = word.find('=');
        if (eq == std::string::npos || word.compare(0, eq, name) != 0 || eq != std::strlen(name)) {
            ok = false;
            why = std::string("the record has ") + files::Quote(word) + " where the member " + name +
                  " was expected";
            return;
        }
        if (!ParseValue(word.substr(eq + 1), value)) {
            ok = false;
            why = std::string("the record's member ") + name + " has no value of its type: " +
                  files::Quote(std::string_view(word).substr(eq + 1));
        }
    };
#define AVELUNE_READ_MEMBER(type, name) member(#name, s.name);
    AVELUNE_FLIGHT_STATE_MEMBERS(AVELUNE_READ_MEMBER)
#undef AVELUNE_READ_MEMBER
    if (ok && i != w.size()) {
        ok = false;
        why = "the record has more than its members: " + files::Quote(w[i]);
    }
    return ok ? true : r.Fail(error, why);
}

bool Keyword(const Reader& r, const char* keyword, size_t words, const char* shape, std::string& error) {
    const std::vector<std::string>& w = r.words();
    if (w[0] != keyword) {
        return r.Fail(error, files::Quote(w[0]) + " where the '" + keyword + "' line was expected");
    }
    if (w.size() != words) return r.Fail(error, std::string("the '") + keyword + "' line takes " + shape);
    return true;
}

}  // namespace

bool ParseFlight(const std::string& text, const std::string& fileName, Flight& flight, std::string& error) {
    Flight f;
    Reader r(text, fileName);
    auto next = [&](const char* expected) { return r.Next() ? true : r.FailAtEnd(error, expected); };

    // The format and its version.
    if (!r.Next()) {
        if (!r.fault().empty()) return r.Fail(error, r.fault());
        error = fileName + ": the file is empty: it is not a flight file";
        return false;
    }
    if (r.words()[0] != kFormatName) {
        return r.Fail(error, std::string("not a flight file: it does not begin with '") + kFormatName + " " +
                                 std::to_string(kFormatVersion) + "'");
    }
    unsigned long long version = 0;
    if (r.words().size() != 2 || !ParseUnsigned(r.words()[1], 1000000, version) || version == 0) {
        return r.Fail(error, std::string("the '") + kFormatName + "' line takes one format version, a whole number");
    }
    if (version > static_cast<unsigned long long>(kFormatVersion)) {
        return r.Fail(error, "written in format version " + std::to_string(version) +
                                 " by a later program; this one reads version " + std::to_string(kFormatVersion));
    }

    if (!next("the 'game' line") || !Keyword(r, "game", 2, "the game's version", error)) return false;
    f.gameVersion = r.words()[1];

    if (!next("the 'atlas' line") || !Keyword(r, "atlas", 2, "the atlas hash, fnv1a64:HEX", error)) return false;
    const std::string& atlas = r.words()[1];
    f.atlasLine = static_cast<int>(r.lineNumber());
    if (atlas.rfind("fnv1a64:", 0) != 0 || !ParseHex(atlas.substr(8), 16, f.atlasHash)) {
        return r.Fail(error, "the atlas hash is not fnv1a64: with 16 hexadecimal digits");
    }

    if (!next("the 'start' line") || !Keyword(r, "start", 2, "title or restart", error)) return false;
    if (r.words()[1] != "title" && r.words()[1] != "restart") return r.Fail(error, "the start is not title or restart");
    f.fromRestart = r.words()[1] == "restart";

    if (!next("the 'rand' line") || !Keyword(r, "rand", 2, "the generator's state", error)) return false;
    if (!ParseValue(r.words()[1], f.randState)) return r.Fail(error, "the generator's state is not a 32-bit whole number");

    if (!next("the 'timer' line") || !Keyword(r, "timer", 2, "running or stopped", error)) return false;
    if (r.words()[1] != "running" && r.words()[1] != "stopped") return r.Fail(error, "the timer is not running or stopped");
    f.timerRunning = r.words()[1] == "running";

    if (!next("the 'record' line")) return false;
    if (r.words()[0] != "record") return r.Fail(error, files::Quote(r.words()[0]) + " where the 'record' line was expected");
    if (!ParseRecord(r.words(), f.start, r, error)) return false;

    // The inputs, then the tick count. Room for as many as there are input
    // lines, each longer than the input it holds, so the inputs cost no more
    // than the file.
    size_t inputLines = 0;
    for (size_t at = text.find("\ninput "); at != std::string::npos; at = text.find("\ninput ", at + 1)) ++inputLines;
    f.inputs.reserve(std::min(inputLines, kMaxInputs));
    for (;;) {
        if (!next("an 'input' or the 'ticks' line")) return false;
        const std::vector<std::string>& w = r.words();
        if (w[0] != "input") break;
        if (f.inputs.size() >= kMaxInputs) return r.Fail(error, "more inputs than a flight file may hold");
        Input in;
        long long x = 0, y = 0;
        if (w.size() != 5 || !ParseValue(w[1], in.tick) ||
            !ParseSigned(w[3], INT32_MIN, INT32_MAX, x) || !ParseSigned(w[4], INT32_MIN, INT32_MAX, y)) {
            return r.Fail(error, "an 'input' line takes a tick, press, release or move, and X and Y");
        }
        if (w[2] == "press") in.kind = InputKind::kPress;
        else if (w[2] == "release") in.kind = InputKind::kRelease;
        else if (w[2] == "move") in.kind = InputKind::kMove;
        else return r.Fail(error, "the input " + files::Quote(w[2]) + " is not press, release or move");
        if (!f.inputs.empty() && in.tick < f.inputs.back().tick) {
            return r.Fail(error, "the input's tick " + files::Quote(w[1]) + " comes before the tick of the input above it");
        }
        in.x = static_cast<int32_t>(x);
        in.y = static_cast<int32_t>(y);
        f.inputs.push_back(in);
    }
    if (!Keyword(r, "ticks", 2, "the number of ticks", error)) return false;
    if (!ParseValue(r.words()[1], f.ticks) || f.ticks > kMaxTicks) {
        return r.Fail(error, "the number of ticks is not a whole number up to " + std::to_string(kMaxTicks));
    }
    if (!f.inputs.empty() && f.inputs.back().tick > f.ticks) {
        return r.Fail(error, "an input comes at tick " + std::to_string(f.inputs.back().tick) +
                                 ", after the last tick " + std::to_string(f.ticks));
    }

    // One checkpoint a tick.
    // At most as many as the text has room for (nine bytes each).
    f.checkpoints.reserve(std::min<size_t>(f.ticks, text.size() / 9 + 1));
    while (f.checkpoints.size() < f.ticks) {
        if (!next("a 'check' line")) return false;
        const std::vector<std::string>& w = r.words();
        if (w[0] != "check") {
            return r.Fail(error, files::Quote(w[0]) + " where a 'check' line was expected (" +
                                     std::to_string(f.checkpoints.size()) + " of " + std::to_string(f.ticks) +
                                     " checkpoints so far)");
        }
        unsigned long long first = 0;
        if (w.size() < 3 || !ParseUnsigned(w[1], kMaxTicks, first)) {
            return r.Fail(error, "a 'check' line takes the index of its first checkpoint, then checkpoints");
        }
        if (first != f.checkpoints.size()) {
            return r.Fail(error, "the checkpoints jump from " + std::to_string(f.checkpoints.size()) + " to " + std::to_string(first));
        }
        for (size_t i = 2; i < w.size(); ++i) {
            uint64_t v = 0;
            if (!ParseHex(w[i], 8, v)) return r.Fail(error, "the checkpoint " + files::Quote(w[i]) + " is not 8 hexadecimal digits");
            if (f.checkpoints.size() >= f.ticks) return r.Fail(error, "more checkpoints than ticks");
            f.checkpoints.push_back(static_cast<uint32_t>(v));
        }
    }

    if (!next("the 'end' line") || !Keyword(r, "end", 5, "the ending and distance=, altitude= and airspeed=", error)) {
        return false;
    }
    const std::vector<std::string>& e = r.words();
    if (e[1] == "arrived") f.ending = Ending::kArrived;
    else if (e[1] == "failed") f.ending = Ending::kFailed;
    else if (e[1] == "left") f.ending = Ending::kLeft;
    else if (e[1] == "flying") f.ending = Ending::kFlying;
    else return r.Fail(error, "the ending " + files::Quote(e[1]) + " is not arrived, failed, left or flying");
    auto field = [&](const std::string& word, const char* name, auto& value) {
        const std::string prefix = std::string(name) + "=";
        return word.rfind(prefix, 0) == 0 && ParseValue(word.substr(prefix.size()), value);
    };
    if (!field(e[2], "distance", f.endDistance) || !field(e[3], "altitude", f.endAltitude) ||
        !field(e[4], "airspeed", f.endAirspeed)) {
        return r.Fail(error, "the 'end' line takes distance=, altitude= and airspeed= with whole numbers");
    }

    if (!next("the 'final' line") || !Keyword(r, "final", 2, "the final record hash, fnv1a64:HEX", error)) return false;
    const std::string& last = r.words()[1];
    if (last.rfind("fnv1a64:", 0) != 0 || !ParseHex(last.substr(8), 16, f.finalHash)) {
        return r.Fail(error, "the final record hash is not fnv1a64: with 16 hexadecimal digits");
    }
    if (r.unfinished()) return r.Fail(error, "the line has no line end: the file is cut short");
    if (r.Next() || !r.fault().empty()) return !r.fault().empty() ? r.Fail(error, r.fault()) : r.Fail(error, files::Quote(r.words()[0]) + " after the final line");

    flight = std::move(f);
    return true;
}

// ---- Files -----------------------------------------------------------------------

bool LoadFlight(const std::string& path, Flight& flight, std::string& error) {
    std::string text;
    if (!ReadWhole(path, "a flight file", "the flight file ", text, error)) return false;
    if (text.find('\0') != std::string::npos) {
        error = path + ": the file holds binary data: it is not a flight file";
        return false;
    }
    try {
        return ParseFlight(text, path, flight, error);
    } catch (const std::bad_alloc&) {
        error = "cannot read the flight file " + path + ": there is not enough memory for what it holds";
        return false;
    }
}

bool WriteFileAtomically(const std::string& path, const std::string& text, std::string& error) {
    std::string reason;
    if (!files::WriteFile(path, text.data(), text.size(), files::WriteMode::kReplace, reason)) {
        error = "cannot write " + path + ": " + reason;
        return false;
    }
    return true;
}

bool SaveFlight(const std::string& path, const Flight& flight, std::string& error) {
    return WriteFileAtomically(path, FormatFlight(flight), error);
}

bool SaveNewFlight(const std::string& path, const Flight& flight, std::string& error, bool& taken) {
    const std::string text = FormatFlight(flight);
    std::string reason;
    if (!files::WriteFile(path, text.data(), text.size(), files::WriteMode::kNew, reason, &taken)) {
        error = "cannot write " + path + ": " + reason;
        return false;
    }
    return true;
}

}  // namespace flightfile
