#pragma once
// Every file the suite writes goes through here. The bytes go to a new file in the target's folder,
// which is flushed, synced to the disk and checked for its size before it is renamed over the
// target in one step. Any failure removes that file again: an earlier file keeps every byte, and
// there is never a short or empty file where the user expects one.
//
// Qt's QSaveFile is not used: in Qt 6.4 its write() only buffers, and commit() renames a short file
// over the old one and returns true when the disk is full.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace files {

// Why a file could not be read or written, naming the file; nothing on success.
using FileError = std::optional<std::string>;

// "Cannot write \"PATH\": the disk is full" and the like on failure. A device or a pipe as the
// target is written in place (there is no earlier file to keep); a folder is refused.
FileError writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);
FileError writeFileAtomically(const std::string& path, std::string_view text);

} // namespace files
