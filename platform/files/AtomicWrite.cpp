#include "files/AtomicWrite.h"

#include "files/NativeFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>

namespace files {
namespace {

using native::Access;

constexpr int kNameAttempts = 100;
constexpr std::size_t kLongestNamePart = 120; // leaves room for the suffix within any name limit

std::string cannotWrite(const std::string& path, const std::string& reason) {
    return "Cannot write \"" + path + "\": " + reason;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos) return ".";
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

// "<name>.<random>.tmp" beside the target: the same folder, so that the rename never crosses file
// systems, and a name that no save dialog's filter shows.
std::string temporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = path.find_last_of("/\\");
    std::size_t length = path.size() - (slash == std::string::npos ? 0 : slash + 1);
    std::size_t end = path.size() - length + std::min(length, kLongestNamePart);
    while (end < path.size() && (static_cast<unsigned char>(path[end]) & 0xC0) == 0x80) --end;
    const auto ticks = static_cast<unsigned>(
        std::chrono::steady_clock::now().time_since_epoch().count() & 0xFFFFFF);
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%06x.tmp", (ticks + counter++ * 7919u) & 0xFFFFFF);
    return path.substr(0, end) + suffix;
}

FileError writeInPlace(const std::string& shown, const std::string& path,
                       std::span<const std::uint8_t> bytes) {
    native::File file;
    int error = file.openForWriting(path);
    if (!error) error = file.writeAll(bytes.data(), bytes.size());
    if (!error) error = file.close();
    if (error) return cannotWrite(shown, native::reasonText(error, Access::Writing));
    return std::nullopt;
}

// Writes and checks the temporary file; an errno value, or 0 when it holds exactly `bytes`.
int fillTemporary(native::File& file, std::span<const std::uint8_t> bytes,
                  const native::PathInfo& target) {
    if (target.exists)
        if (int error = file.setPermissions(target.permissions)) return error;
    if (int error = file.writeAll(bytes.data(), bytes.size())) return error;
    if (int error = file.sync()) return error;
    native::PathInfo written;
    if (int error = file.inspect(written)) return error;
    // A file system that dropped bytes without saying so.
    if (written.size != bytes.size()) return ENOSPC;
    return file.close();
}

} // namespace

FileError writeFileAtomically(const std::string& shown, std::span<const std::uint8_t> bytes) {
    const std::string path = native::followLinks(shown);
    native::PathInfo target;
    if (int error = native::inspect(path, target))
        return cannotWrite(shown, native::reasonText(error, Access::Writing));
    if (target.directory) return cannotWrite(shown, native::reasonText(EISDIR, Access::Writing));
    // A file the user made read-only stays as it is, although the folder would allow replacing it.
    if (target.exists && !target.writable)
        return cannotWrite(shown, native::reasonText(EACCES, Access::Writing));
    if (target.exists && !target.regular) return writeInPlace(shown, path, bytes);

    native::File file;
    std::string temporary;
    int error = EEXIST;
    for (int attempt = 0; error == EEXIST && attempt < kNameAttempts; ++attempt) {
        temporary = temporaryName(path);
        error = file.createNew(temporary);
    }
    if (error) return cannotWrite(shown, native::reasonText(error, Access::Writing));

    error = fillTemporary(file, bytes, target);
    if (!error) error = native::replace(temporary, path);
    if (error) {
        file.close();
        native::remove(temporary);
        return cannotWrite(shown, native::reasonText(error, Access::Writing));
    }
    native::syncFolder(folderOf(path));
    return std::nullopt;
}

FileError writeFileAtomically(const std::string& path, std::string_view text) {
    return writeFileAtomically(path,
                               {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

} // namespace files
