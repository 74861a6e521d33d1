// The file calls on Linux and macOS.

#include "files/NativeFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files::native {
namespace {

constexpr mode_t kNewFilePermissions = 0666; // narrowed by the umask, as for any new file

// open(2), repeated when a signal interrupts it; 0 or an errno value.
int openRetrying(const std::string& path, int flags, int& fd) {
    do fd = ::open(path.c_str(), flags | O_CLOEXEC, kNewFilePermissions);
    while (fd < 0 && errno == EINTR);
    return fd < 0 ? errno : 0;
}

void describe(const struct stat& st, PathInfo& info) {
    info.exists = true;
    info.directory = S_ISDIR(st.st_mode);
    info.regular = S_ISREG(st.st_mode);
    info.permissions = static_cast<unsigned>(st.st_mode & 07777);
    info.size = static_cast<std::uint64_t>(st.st_size);
}

} // namespace

int inspect(const std::string& path, PathInfo& info) {
    info = {};
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
    describe(st, info);
    info.writable = ::access(path.c_str(), W_OK) == 0;
    return 0;
}

std::string followLinks(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return path;
    std::string target = resolved;
    std::free(resolved);
    return target;
}

File::~File() {
    if (fd_ >= 0) ::close(fd_);
}

int File::openForReading(const std::string& path) {
    return openRetrying(path, O_RDONLY, fd_);
}

int File::createNew(const std::string& path) {
    return openRetrying(path, O_WRONLY | O_CREAT | O_EXCL, fd_);
}

int File::openForWriting(const std::string& path) {
    return openRetrying(path, O_WRONLY | O_TRUNC, fd_);
}

int File::read(std::uint8_t* buffer, std::size_t size, std::size_t& got) {
    got = 0;
    ssize_t n;
    do n = ::read(fd_, buffer, size);
    while (n < 0 && errno == EINTR);
    if (n < 0) return errno;
    got = static_cast<std::size_t>(n);
    return 0;
}

int File::writeSome(const std::uint8_t* data, std::size_t size, std::size_t& written) {
    written = 0;
    ssize_t n;
    do n = ::write(fd_, data, size);
    while (n < 0 && errno == EINTR);
    if (n < 0) return errno;
    written = static_cast<std::size_t>(n);
    return 0;
}

int File::sync() {
    if (::fsync(fd_) == 0) return 0;
    return errno == EINVAL || errno == ENOTSUP || errno == EROFS ? 0 : errno;
}

int File::inspect(PathInfo& info) const {
    info = {};
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return errno;
    describe(st, info);
    return 0;
}

int File::setPermissions(unsigned permissions) {
    return ::fchmod(fd_, static_cast<mode_t>(permissions)) == 0 ? 0 : errno;
}

int File::close() {
    if (fd_ < 0) return 0;
    const int fd = fd_;
    fd_ = -1;
    // Linux closes the descriptor even when close() fails, so it is never retried.
    return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
}

int replace(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

void remove(const std::string& path) {
    ::unlink(path.c_str());
}

void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace files::native
