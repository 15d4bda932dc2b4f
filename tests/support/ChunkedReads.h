// A text handed out in reads of a few bytes at a time, as a pipe may give
// it, for the tests and the fuzzer of a reader that takes a read function.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <string>

// Each call copies the next bytes of `text` into `buffer`, at most `chunk`
// and at most `room` of them, and says how many; 0 once all are given.
inline std::function<long(char* buffer, size_t room)> ChunkedReads(std::string text, size_t chunk) {
    return [text = std::move(text), chunk, at = size_t{0}](char* buffer, size_t room) mutable -> long {
        const size_t n = std::min({chunk, room, text.size() - at});
        std::memcpy(buffer, text.data() + at, n);
        at += n;
        return static_cast<long>(n);
    };
}
