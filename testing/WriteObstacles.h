#pragma once
// What a user's machine can put in the way of a write, made without root: a full disk, a read-only
// folder or file. (A missing folder needs nothing but its path.)
//
// A full disk: with a file-size limit and SIGXFSZ ignored, write() fails with EFBIG once a file
// would grow past the limit, as it fails with ENOSPC on a full disk. The write runs in a child
// process, so that the limit (and, for root, the switch to an unprivileged user that makes
// permissions count) never reaches the test process.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace testing_support {

enum class Obstacle { None, FullDisk, ReadOnlyFolder, ReadOnlyFile, MissingFolder };

// Runs `write` in a child under the obstacle; what it returned ("" for success), or nothing when
// the child could not set the obstacle up (the test should skip then). Under FullDisk no file can
// grow past `sizeLimit` bytes.
std::optional<std::string> writeUnderObstacle(Obstacle obstacle,
                                              const std::function<std::string()>& write,
                                              std::size_t sizeLimit = 1024);

} // namespace testing_support
