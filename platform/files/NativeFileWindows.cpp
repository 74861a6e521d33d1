// The file calls on Windows: the C runtime's descriptor calls, which report errno values as the
// POSIX ones do, and MoveFileExW for the rename (rename() there refuses to replace a file).

#include "files/NativeFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

namespace files::native {
namespace {

// Paths reach the platform layer as UTF-8; Windows takes them as UTF-16.
std::filesystem::path widePath(const std::string& utf8) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

void describe(const struct _stat64& st, PathInfo& info) {
    info.exists = true;
    info.directory = (st.st_mode & _S_IFMT) == _S_IFDIR;
    info.regular = (st.st_mode & _S_IFMT) == _S_IFREG;
    info.permissions = static_cast<unsigned>(st.st_mode & 0777);
    info.size = static_cast<std::uint64_t>(st.st_size);
}

int errnoOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    default:
        return EIO;
    }
}

} // namespace

int inspect(const std::string& path, PathInfo& info) {
    info = {};
    struct _stat64 st {};
    if (_wstat64(widePath(path).c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
    describe(st, info);
    info.writable = _waccess(widePath(path).c_str(), 2) == 0;
    return 0;
}

std::string followLinks(const std::string& path) {
    std::error_code error;
    const std::filesystem::path wide = widePath(path);
    if (!std::filesystem::is_symlink(wide, error)) return path;
    const std::filesystem::path target = std::filesystem::canonical(wide, error);
    if (error) return path;
    const std::u8string text = target.u8string();
    return std::string(text.begin(), text.end());
}

File::~File() {
    if (fd_ >= 0) _close(fd_);
}

int File::openForReading(const std::string& path) {
    return _wsopen_s(&fd_, widePath(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT, _SH_DENYNO,
                     0);
}

int File::createNew(const std::string& path) {
    return _wsopen_s(&fd_, widePath(path).c_str(),
                     _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _SH_DENYNO,
                     _S_IREAD | _S_IWRITE);
}

int File::openForWriting(const std::string& path) {
    return _wsopen_s(&fd_, widePath(path).c_str(), _O_WRONLY | _O_TRUNC | _O_BINARY | _O_NOINHERIT,
                     _SH_DENYNO, 0);
}

int File::read(std::uint8_t* buffer, std::size_t size, std::size_t& got) {
    got = 0;
    const int n = _read(fd_, buffer, static_cast<unsigned>(std::min<std::size_t>(size, 1 << 30)));
    if (n < 0) return errno;
    got = static_cast<std::size_t>(n);
    return 0;
}

int File::writeSome(const std::uint8_t* data, std::size_t size, std::size_t& written) {
    written = 0;
    const int n = _write(fd_, data, static_cast<unsigned>(std::min<std::size_t>(size, 1 << 30)));
    if (n < 0) return errno;
    written = static_cast<std::size_t>(n);
    return 0;
}

int File::sync() {
    return _commit(fd_) == 0 || errno == EBADF ? 0 : errno;
}

int File::inspect(PathInfo& info) const {
    info = {};
    struct _stat64 st {};
    if (_fstat64(fd_, &st) != 0) return errno;
    describe(st, info);
    return 0;
}

int File::setPermissions(unsigned) {
    return 0; // a new file is writable, which is all that Windows' permission bits say
}

int File::close() {
    if (fd_ < 0) return 0;
    const int fd = fd_;
    fd_ = -1;
    return _close(fd) == 0 ? 0 : errno;
}

int replace(const std::string& from, const std::string& to) {
    return MoveFileExW(widePath(from).c_str(), widePath(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : errnoOf(GetLastError());
}

void remove(const std::string& path) {
    _wunlink(widePath(path).c_str());
}

void syncFolder(const std::string&) {
    // MOVEFILE_WRITE_THROUGH has already made the rename durable.
}

} // namespace files::native
