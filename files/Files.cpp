#include "files/Files.h"
#include "files/ReplaceFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files {

// ---- Quoting ----------------------------------------------------------------

namespace {

// The length of the UTF-8 character at the start of `s` (2 to 4 bytes), or 0
// when it is not one: a stray continuation byte, an overlong form, a
// surrogate, past U+10FFFF, cut short, or a C1 control (U+0080 to U+009F).
size_t Utf8Length(std::string_view s) {
    const auto b = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char c = b(0);
    size_t n = 0;
    uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) n = 2, cp = c & 0x1F;
    else if (c >= 0xE0 && c <= 0xEF) n = 3, cp = c & 0x0F;
    else if (c >= 0xF0 && c <= 0xF4) n = 4, cp = c & 0x07;
    else return 0;
    if (s.size() < n) return 0;
    for (size_t i = 1; i < n; ++i) {
        if ((b(i) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(i) & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) ||
        cp < 0xA0) {
        return 0;
    }
    return n;
}

}  // namespace

std::string Quote(std::string_view text, Utf8 utf8) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "'";
    size_t i = 0;
    for (size_t shown = 0; i < text.size() && shown < kQuoteLimit; ++shown) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '\'') {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        if (const size_t n = c >= 0x80 && utf8 == Utf8::kShown ? Utf8Length(text.substr(i)) : 0; n > 0) {
            out.append(text.substr(i, n));
            i += n;
            continue;
        }
        out += "\\x";
        out += kHex[c >> 4];
        out += kHex[c & 15];
        ++i;
    }
    out += "'";
    if (i < text.size()) out += "...";
    return out;
}

// ---- Lines ------------------------------------------------------------------

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const size_t begin = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > begin) words.push_back(line.substr(begin, i - begin));
    }
    return words;
}

bool ParseInteger(std::string_view word, long long low, long long high, long long& out) {
    if (word.empty()) return false;
    const std::string text(word);
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < low || v > high) return false;
    out = v;
    return true;
}

size_t FirstControl(std::string_view line) {
    for (size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if ((c < 0x20 && c != '\t') || c == 0x7F) return i;
    }
    return std::string_view::npos;
}

// ---- Reading ----------------------------------------------------------------

namespace {

const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "it is a directory";
    if (S_ISFIFO(mode)) return "it is a named pipe";
    if (S_ISCHR(mode)) return "it is a character device";
    if (S_ISBLK(mode)) return "it is a block device";
    if (S_ISSOCK(mode)) return "it is a socket";
    return "it is not a regular file";
}

std::string Bytes(unsigned long long n) {
    if (n >= (1ull << 20) && n % (1ull << 20) == 0) return std::to_string(n >> 20) + " MiB";
    return std::to_string(n) + " bytes";
}

}  // namespace

ReadStatus ReadFile(const std::string& path, const char* what, size_t cap, std::string& bytes, std::string& reason) {
    bytes.clear();
    if (path.empty()) {
        reason = "no file name";
        return ReadStatus::kRefused;
    }
    // Opened without waiting and without taking a terminal, so that a named
    // pipe or a device is refused below instead of blocking here.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            reason = "there is no such file";
            return ReadStatus::kMissing;
        }
        reason = errno == EISDIR ? "it is a directory, not a regular file" : std::string("cannot open it: ") + std::strerror(errno);
        return ReadStatus::kRefused;
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st{};
    if (::fstat(fd, &st) != 0) {
        reason = std::string("cannot read it: ") + std::strerror(errno);
        return ReadStatus::kRefused;
    }
    if (!S_ISREG(st.st_mode)) {
        reason = std::string(KindOf(st.st_mode)) + ", not a regular file";
        return ReadStatus::kRefused;
    }
    const auto tooLarge = [&](const std::string& size) {
        reason = "it is " + size + ", more than " + what + " may be (at most " + Bytes(cap) + ")";
        return ReadStatus::kRefused;
    };
    if (static_cast<unsigned long long>(st.st_size) > cap) return tooLarge(Bytes(static_cast<unsigned long long>(st.st_size)));
    try {
        // One byte more than the size says, up to one past the cap: a file
        // that grows while it is read is refused like one that was too large.
        std::string held(static_cast<size_t>(st.st_size) + 1, '\0');
        size_t size = 0;
        for (;;) {
            if (size == held.size()) {
                if (size > cap) break;
                held.resize(std::min(size * 2, cap + 1));
            }
            const ssize_t n = ::read(fd, held.data() + size, held.size() - size);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (n < 0) {
                reason = std::string("cannot read it: ") + std::strerror(errno);
                return ReadStatus::kRefused;
            }
            if (n == 0) break;
            size += static_cast<size_t>(n);
        }
        if (size > cap) return tooLarge("more than " + Bytes(cap));
        held.resize(size);
        bytes = std::move(held);
    } catch (const std::bad_alloc&) {
        reason = "there is not enough memory to read it";
        return ReadStatus::kRefused;
    }
    return ReadStatus::kRead;
}

// ---- Writing ----------------------------------------------------------------

namespace {

// The mode a new file would get: 0666 less the umask, read without changing
// it (umask() would change it for every thread for a moment).
mode_t NewFileMode() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Umask:", 0) == 0) return 0666 & ~static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    }
    return 0644;
}

bool WriteAll(int fd, const unsigned char* bytes, size_t size, std::string& reason) {
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            reason = n < 0 ? std::strerror(errno) : "nothing could be written";
            return false;
        }
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Gives the written temporary file the name `target`, which must be new: a
// hard link fails when the name is taken, however close two writers come.
bool TakeNewName(const char* temp, const char* target, std::string& reason, bool* taken) {
    int error = ::link(temp, target) == 0 ? 0 : errno;
#ifdef RENAME_NOREPLACE
    // A file system without hard links may still rename without replacing.
    if (error == EPERM || error == EOPNOTSUPP || error == ENOSYS) {
        error = ::renameat2(AT_FDCWD, temp, AT_FDCWD, target, RENAME_NOREPLACE) == 0 ? 0 : errno;
        if (error == 0) return true;
    }
#endif
    if (error == EEXIST) {
        if (taken != nullptr) *taken = true;
        reason = "the name is taken";
        return false;
    }
    if (error != 0) {
        reason = std::strerror(error);
        return false;
    }
    ::unlink(temp);
    return true;
}

}  // namespace

bool WriteFile(const std::string& path, const void* bytes, size_t size, WriteMode mode, std::string& reason,
               bool* taken) {
    if (taken != nullptr) *taken = false;
    if (path.empty()) {
        reason = "no file name";
        return false;
    }
    std::string target = path;
    mode_t fileMode = 0;
    struct stat st{};
    struct stat link{};
    if (::lstat(path.c_str(), &link) == 0) {
        if (mode == WriteMode::kNew) {
            if (taken != nullptr) *taken = true;
            reason = "the name is taken";
            return false;
        }
        if (S_ISLNK(link.st_mode) && ::stat(path.c_str(), &st) != 0) {
            reason = errno == ENOENT ? "it is a symbolic link to nothing" : std::string("cannot follow its link: ") + std::strerror(errno);
            return false;
        }
        if (!S_ISLNK(link.st_mode)) st = link;
        if (!S_ISREG(st.st_mode)) {
            reason = std::string(KindOf(st.st_mode)) + ", not a regular file";
            return false;
        }
        fileMode = st.st_mode & 07777;
        // Through a link, the file it names is written and the link stays.
        if (S_ISLNK(link.st_mode)) {
            char resolved[PATH_MAX];
            if (::realpath(path.c_str(), resolved) == nullptr) {
                reason = std::string("cannot follow its link: ") + std::strerror(errno);
                return false;
            }
            target = resolved;
        }
    } else if (errno != ENOENT) {
        reason = std::strerror(errno);
        return false;
    } else {
        fileMode = NewFileMode();
    }

    // Beside the target, so that the rename stays within one file system;
    // a short name, so that any name the folder allows leaves room for it.
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    std::string tempName = (slash == std::string::npos ? "" : target.substr(0, slash + 1)) + ".avelune-XXXXXX";
    std::vector<char> temp(tempName.begin(), tempName.end());
    temp.push_back('\0');
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        reason = "cannot make a temporary file in " + folder + ": " + std::strerror(errno);
        return false;
    }
    bool ok = ::fchmod(fd, fileMode) == 0 || (reason = std::string("cannot set its permissions: ") + std::strerror(errno), false);
    ok = ok && WriteAll(fd, static_cast<const unsigned char*>(bytes), size, reason);
    if (ok && ::fsync(fd) != 0) {
        reason = std::strerror(errno);
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        reason = std::strerror(errno);
        ok = false;
    }
    if (ok && mode == WriteMode::kNew) {
        ok = TakeNewName(temp.data(), target.c_str(), reason, taken);
    } else if (ok && ::rename(temp.data(), target.c_str()) != 0) {
        reason = std::strerror(errno);
        ok = false;
    }
    if (!ok) {
        ::unlink(temp.data());
        return false;
    }
    // The new name itself reaches the disk with the folder.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", u);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace files

bool ReplaceFile(const std::string& path, const void* bytes, size_t size, std::string& reason) {
    return files::WriteFile(path, bytes, size, files::WriteMode::kReplace, reason);
}
