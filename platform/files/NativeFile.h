#pragma once
// The few operating-system file calls that the atomic writer and the bounded reader stand on, with
// failures as errno values. Everything that differs between POSIX and Windows lives behind this
// header, so the writer and the reader are written once.

#include <cstddef>
#include <cstdint>
#include <string>

namespace files::native {

struct PathInfo {
    bool exists = false;
    bool directory = false;
    bool regular = false;
    bool writable = false; // for this user; filled by native::inspect(path, ...) only
    unsigned permissions = 0;
    std::uint64_t size = 0;
};

// 0 or an errno value. A path that does not exist is not a failure: info.exists is false then.
// Links are followed.
int inspect(const std::string& path, PathInfo& info);

// Where a symbolic link points, so that saving through a link replaces the file and keeps the link;
// the path itself when it is no link or the link leads nowhere.
std::string followLinks(const std::string& path);

// An open file, closed when it goes.
class File {
public:
    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    int openForReading(const std::string& path);
    // Fails with EEXIST when the path is taken. The permissions are what a new file gets.
    int createNew(const std::string& path);
    // For a device or a pipe: there is nothing to replace, so it is written where it is.
    int openForWriting(const std::string& path);

    // Up to size bytes; `got` is 0 at the end of the input. Interrupted reads are repeated.
    int read(std::uint8_t* buffer, std::size_t size, std::size_t& got);
    // Every byte, over short writes and interruptions; a write that takes nothing is a full disk.
    int writeAll(const std::uint8_t* data, std::size_t size);
    // Down to the disk; 0 where the file system cannot do it (there is nothing more to do then).
    int sync();
    int inspect(PathInfo& info) const;
    int setPermissions(unsigned permissions);
    // Some file systems report a failed write only here.
    int close();

private:
    // Some of the bytes: `written` is how many. Interrupted writes are repeated.
    int writeSome(const std::uint8_t* data, std::size_t size, std::size_t& written);

    int fd_ = -1;
};

// Renames `from` over `to`, replacing it in one step.
int replace(const std::string& from, const std::string& to);
void remove(const std::string& path);
// Makes a rename in the folder durable where the system allows it; failures are ignored, the
// rename itself has already succeeded.
void syncFolder(const std::string& folder);

// The reason of a failure in plain words: "the disk is full", "permission denied", ... A missing
// path is "the folder does not exist" when writing and "the file does not exist" when reading.
enum class Access { Reading, Writing };
std::string reasonText(int error, Access access);

} // namespace files::native
