#include "files/BoundedRead.h"

#include "files/NativeFile.h"

#include <algorithm>
#include <cerrno>

namespace files {
namespace {

constexpr std::size_t kPiece = 64 * 1024;

std::string cannotRead(const std::string& path, const std::string& reason) {
    return "Cannot read \"" + path + "\": " + reason;
}

std::string tooLarge(const std::string& path, std::size_t limit) {
    return cannotRead(path, "the file is larger than " + sizeText(limit));
}

} // namespace

std::string sizeText(std::size_t bytes) {
    constexpr std::size_t kKiB = 1024, kMiB = 1024 * 1024;
    if (bytes >= kMiB && bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
    if (bytes >= kKiB && bytes % kKiB == 0) return std::to_string(bytes / kKiB) + " KiB";
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

ReadResult readFileBounded(const std::string& path, std::size_t limit) {
    ReadResult result;
    native::File file;
    if (int error = file.openForReading(path)) {
        result.notFound = error == ENOENT;
        result.error = cannotRead(path, native::reasonText(error, native::Access::Reading));
        return result;
    }
    native::PathInfo info;
    if (int error = file.inspect(info)) {
        result.error = cannotRead(path, native::reasonText(error, native::Access::Reading));
        return result;
    }
    if (info.directory) {
        result.error = cannotRead(path, native::reasonText(EISDIR, native::Access::Reading));
        return result;
    }
    // A regular file tells its size: a huge one is refused before anything is read.
    if (info.regular && info.size > limit) {
        result.error = tooLarge(path, limit);
        return result;
    }
    // One byte beyond the bound tells a file of exactly `limit` bytes from a longer one.
    std::vector<std::uint8_t>& bytes = result.bytes;
    for (;;) {
        const std::size_t room = limit + 1 - bytes.size();
        if (room == 0) break;
        const std::size_t before = bytes.size();
        bytes.resize(before + std::min(room, kPiece));
        std::size_t got = 0;
        if (int error = file.read(bytes.data() + before, bytes.size() - before, got)) {
            result.bytes.clear();
            result.error = cannotRead(path, native::reasonText(error, native::Access::Reading));
            return result;
        }
        bytes.resize(before + got);
        if (got == 0) break;
    }
    if (bytes.size() > limit) {
        result.bytes.clear();
        result.bytes.shrink_to_fit();
        result.error = tooLarge(path, limit);
    }
    return result;
}

} // namespace files
