#pragma once
// Every file the suite reads comes through here: at most a fixed number of bytes, so that an
// endless input (/dev/zero, a pipe that never ends) or a huge file is refused instead of filling
// the memory. Devices and pipes, whose size the system does not know, are read in pieces up to the
// bound as well.

#include "files/AtomicWrite.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace files {

struct ReadResult {
    std::vector<std::uint8_t> bytes;
    // "Cannot read \"PATH\": the file is larger than 1 MiB" and the like; nothing on success.
    FileError error;
    bool notFound = false; // the path does not exist (some callers only warn then)
};

// The whole file when it holds at most `limit` bytes.
ReadResult readFileBounded(const std::string& path, std::size_t limit);

// "1 MiB", "64 KiB", "100 bytes": a bound as the messages show it.
std::string sizeText(std::size_t bytes);

} // namespace files
