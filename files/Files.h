// Reading and writing the program's files, one way for all of them.
//
// Reading: only a regular file is read, refused before a byte is read when
// it is anything else (a directory, a named pipe, a device) or larger than
// the cap its kind states; the bytes are held once, in a string sized by the
// file, so reading costs the file's size and no more.
//
// Writing: only over a regular file (or where nothing is); through a
// symbolic link the file it names is written and the link stays. The bytes
// go whole to a temporary file with a short name in the same folder, are
// synced, and the temporary file takes the target's name by a rename (or a
// link, where the name must be new), keeping the target's mode. A failure at
// any step leaves the target as it was and no temporary file behind.
//
// Messages: whatever a file holds is shown through Quote, so that a message
// stays short and nothing in a file reaches the terminal as a control.
//
// Lines: the text files (events, flight files, the logbook) split a line
// into words and find the control bytes in it by the same rule.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace files {

// ---- Quoting ----------------------------------------------------------------

// At most this many characters of a file's text appear in a message.
constexpr size_t kQuoteLimit = 40;

enum class Utf8 {
    kShown,    // a UTF-8 character is shown as it is
    kEscaped,  // every byte above 0x7E is written as \xNN
};

// `text` in single quotes: at most kQuoteLimit characters, each control
// byte, each byte that is not part of a UTF-8 character (with kEscaped, each
// byte above 0x7E), and the quote and backslash themselves as \xNN; "..."
// after the quote when text was left off.
std::string Quote(std::string_view text, Utf8 utf8 = Utf8::kShown);

// `text` as a JSON string, quotes included: the quote and the backslash
// escaped, control bytes as \u00NN, everything else as it is (UTF-8 passes).
std::string JsonString(std::string_view text);

// ---- Lines ------------------------------------------------------------------

// The words of a line of a text file: its runs of bytes other than spaces
// and tabs, as views into `line`.
std::vector<std::string_view> Words(std::string_view line);

// The whole of `word` as a whole number in [low, high], as strtoll reads it
// (a sign allowed); false, `out` untouched, when it is not one.
bool ParseInteger(std::string_view word, long long low, long long high, long long& out);

// Where the first control byte of a line stands (a byte below 0x20 other
// than the tab, or DEL); npos when there is none.
size_t FirstControl(std::string_view line);

// ---- Reading ----------------------------------------------------------------

enum class ReadStatus { kRead, kMissing, kRefused };

// Reads the whole of the regular file `path`, at most `cap` bytes, into
// `bytes`. kMissing when nothing has that name; kRefused, with `reason` in
// words without the path, when it is not a regular file, is larger than
// `cap` (`what` names the kind: "a flight file"), or cannot be read.
ReadStatus ReadFile(const std::string& path, const char* what, size_t cap, std::string& bytes, std::string& reason);

// ---- Writing ----------------------------------------------------------------

enum class WriteMode {
    kReplace,  // a file already there is replaced
    kNew,      // the name must be new: a file there is left alone (taken)
};

// Writes `size` bytes to `path` by the rules above. On failure returns false
// with `reason` in words without the path; with kNew, `taken` (when given)
// says the failure was only that the name was in use.
bool WriteFile(const std::string& path, const void* bytes, size_t size, WriteMode mode, std::string& reason,
               bool* taken = nullptr);

}  // namespace files
