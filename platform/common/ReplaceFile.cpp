#include "platform/common/ReplaceFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "it is a directory";
    if (S_ISFIFO(mode)) return "it is a named pipe";
    if (S_ISCHR(mode)) return "it is a character device";
    if (S_ISBLK(mode)) return "it is a block device";
    if (S_ISSOCK(mode)) return "it is a socket";
    return "it is not a regular file";
}

// The mode a new file would get: 0666 less the umask, read without changing
// it (umask() would change it for every thread for a moment).
mode_t NewFileMode() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Umask:", 0) == 0) return 0666 & ~static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    }
    return 0644;
}

std::string Reason(const char* what, int error) { return std::string(what) + std::strerror(error); }

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

}  // namespace

bool ReplaceFile(const std::string& path, const void* bytes, size_t size, std::string& reason) {
    if (path.empty()) {
        reason = "no file name";
        return false;
    }
    std::string target = path;
    mode_t mode = NewFileMode();
    struct stat st{};
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            reason = std::string(KindOf(st.st_mode)) + ", not a regular file";
            return false;
        }
        mode = st.st_mode & 07777;
        // Through a link, the file it names is replaced and the link stays.
        struct stat link{};
        if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
            char resolved[PATH_MAX];
            if (::realpath(path.c_str(), resolved) == nullptr) {
                reason = Reason("cannot follow its link: ", errno);
                return false;
            }
            target = resolved;
        }
    } else if (errno != ENOENT) {
        reason = std::strerror(errno);
        return false;
    }

    // Beside the target, so that the rename stays within one file system;
    // a unique name, so that nothing already there is opened or followed.
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string tempName = (slash == std::string::npos ? "" : target.substr(0, slash + 1)) + "." + base + ".XXXXXX";
    std::vector<char> temp(tempName.begin(), tempName.end());
    temp.push_back('\0');
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        reason = "cannot make a temporary file in " + folder + ": " + std::strerror(errno);
        return false;
    }
    bool ok = ::fchmod(fd, mode) == 0 || (reason = Reason("cannot set its permissions: ", errno), false);
    ok = ok && WriteAll(fd, static_cast<const unsigned char*>(bytes), size, reason);
    if (ok && ::fsync(fd) != 0) {
        reason = std::strerror(errno);
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        reason = std::strerror(errno);
        ok = false;
    }
    if (ok && ::rename(temp.data(), target.c_str()) != 0) {
        reason = std::strerror(errno);
        ok = false;
    }
    if (!ok) {
        ::unlink(temp.data());
        return false;
    }
    // The rename itself reaches the disk with the folder.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}
