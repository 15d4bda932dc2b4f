// Writing a file so that what was there is never lost: the new bytes go to a
// temporary file beside the target, are written, synced and closed with every
// error checked, and only then is it renamed over the target. A failure at any
// step (a full disk, a file-size limit) leaves the target exactly as it was.
#pragma once

#include <cstddef>
#include <string>

// Replaces the file at `path` with `size` bytes. A path that exists and is
// not a regular file (a folder, a device, a named pipe) is refused untouched;
// a symbolic link to a file replaces the file it names. On failure returns
// false with `reason` saying why, in words without the path.
bool ReplaceFile(const std::string& path, const void* bytes, size_t size, std::string& reason);
