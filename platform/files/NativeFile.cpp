// What the platforms have in common: writing every byte, and the reasons of failures in plain
// words.

#include "files/NativeFile.h"

#include <cerrno>
#include <cstring>

namespace files::native {

int File::writeAll(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        std::size_t written = 0;
        if (int error = writeSome(data, size, written)) return error;
        if (written == 0) return ENOSPC; // nothing more fits
        data += written;
        size -= written;
    }
    return 0;
}

std::string reasonText(int error, Access access) {
    switch (error) {
    case ENOSPC:
    case EFBIG:
        return "the disk is full";
#ifdef EDQUOT
    case EDQUOT:
        return "the disk quota is used up";
#endif
    case EACCES:
    case EPERM:
        return "permission denied";
    case ENOENT:
        return access == Access::Writing ? "the folder does not exist" : "the file does not exist";
    case ENOTDIR:
        return "a part of the path is not a folder";
    case EISDIR:
        return "it is a folder";
    case EROFS:
        return "the disk is read-only";
    case ENAMETOOLONG:
        return "the name is too long";
    case EIO:
        return "the disk reported an input/output error";
    default:
        return std::strerror(error);
    }
}

} // namespace files::native
