// Replacing an output file whole, by the rules of files::WriteFile.
#pragma once

#include <cstddef>
#include <string>

// Replaces the file at `path` with `size` bytes. A path that exists and is
// not a regular file (a folder, a device, a named pipe) is refused untouched;
// a symbolic link to a file replaces the file it names. On failure returns
// false with `reason` saying why, in words without the path.
bool ReplaceFile(const std::string& path, const void* bytes, size_t size, std::string& reason);
