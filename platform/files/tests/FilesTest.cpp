// The atomic writer under the conditions a user's machine can have (a full disk, a read-only
// folder or file, a missing folder), and the bounded reader on files, devices and pipes.

#include "files/AtomicWrite.h"
#include "files/BoundedRead.h"
#include "testing/TempDir.h"
#include "testing/WriteObstacles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

using testing_support::Obstacle;

Bytes pattern(std::size_t size, std::uint8_t seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    return bytes;
}

Bytes readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writePlain(const fs::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<std::string> entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The message the write returned, "" on success, or nullopt when the obstacle could not be set up.
std::optional<std::string> writeInChild(const std::string& path, const Bytes& bytes,
                                        Obstacle obstacle) {
    return testing_support::writeUnderObstacle(obstacle, [&] {
        const files::FileError error = files::writeFileAtomically(path, bytes);
        return error ? *error : "";
    });
}

} // namespace

TEST(AtomicWrite, AFailedWriteKeepsTheOldFileAndLeavesNothingElse) {
    struct Case {
        const char* name;
        bool fileExisted;
        Obstacle obstacle;
        const char* reason; // null: the write succeeds
    };
    const Case cases[] = {
        {"new file", false, Obstacle::None, nullptr},
        {"replaced file", true, Obstacle::None, nullptr},
        {"full disk, file existed", true, Obstacle::FullDisk, "the disk is full"},
        {"full disk, new file", false, Obstacle::FullDisk, "the disk is full"},
        {"read-only folder, file existed", true, Obstacle::ReadOnlyFolder, "permission denied"},
        {"read-only folder, new file", false, Obstacle::ReadOnlyFolder, "permission denied"},
        {"read-only file", true, Obstacle::ReadOnlyFile, "permission denied"},
        {"missing folder", false, Obstacle::MissingFolder, "the folder does not exist"},
    };
    // Larger than the size limit, so that the writer meets a short write before the failure.
    const Bytes fresh = pattern(3000, 1);
    const Bytes old = pattern(700, 9);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::TempDir dir;
        const fs::path folder = dir.path() / "folder";
        fs::create_directory(folder);
        const fs::path target =
            (c.obstacle == Obstacle::MissingFolder ? folder / "missing" : folder) / "kit.drm";
        if (c.fileExisted) {
            writePlain(target, old);
            fs::permissions(target, c.obstacle == Obstacle::ReadOnlyFile ? fs::perms(0444)
                                                                         : fs::perms(0666));
        }
        const auto folderMode = c.obstacle == Obstacle::ReadOnlyFolder ? 0555
                                : c.obstacle == Obstacle::ReadOnlyFile ? 0777
                                                                       : 0755;
        fs::permissions(folder, fs::perms(folderMode));

        const std::optional<std::string> message = writeInChild(target.string(), fresh, c.obstacle);
        fs::permissions(folder, fs::perms(0755));
        if (!message) GTEST_SKIP() << "this system does not let a child set up " << c.name;

        if (!c.reason) {
            EXPECT_EQ(*message, "");
            EXPECT_EQ(readAll(target), fresh);
            if (c.fileExisted) { // the permissions of the file it replaced
                EXPECT_EQ(fs::status(target).permissions(), fs::perms(0666));
            }
        } else {
            EXPECT_EQ(*message, "Cannot write \"" + target.string() + "\": " + c.reason);
            if (c.fileExisted) {
                EXPECT_EQ(readAll(target), old);
            }
        }
        const bool fileThere = c.fileExisted || !c.reason;
        EXPECT_EQ(entries(folder),
                  fileThere ? std::vector<std::string>{"kit.drm"} : std::vector<std::string>{});
    }
}

TEST(AtomicWrite, FoldersAreRefusedPipesWrittenInPlaceAndLinksKept) {
    testing_support::TempDir dir;
    const Bytes bytes = pattern(100, 3);

    fs::create_directory(dir.path() / "folder");
    writePlain(dir.path() / "folder" / "inside", {7});
    EXPECT_EQ(files::writeFileAtomically(dir.file("folder"), bytes),
              "Cannot write \"" + dir.file("folder") + "\": it is a folder");
    EXPECT_EQ(readAll(dir.path() / "folder" / "inside"), Bytes{7});

    // Writing to a pipe must not put a file in its place. The reading end is open first, and the
    // pipe holds the few bytes until they are read.
    ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
    const int reader = open(dir.file("pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_FALSE(files::writeFileAtomically(dir.file("pipe"), bytes));
    Bytes received(2 * bytes.size());
    received.resize(
        std::size_t(std::max<ssize_t>(0, read(reader, received.data(), received.size()))));
    close(reader);
    EXPECT_EQ(received, bytes);
    EXPECT_TRUE(fs::is_fifo(dir.path() / "pipe"));

    writePlain(dir.path() / "real.syx", {1, 2});
    fs::create_symlink("real.syx", dir.path() / "link.syx");
    EXPECT_FALSE(files::writeFileAtomically(dir.file("link.syx"), bytes));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.syx"));
    EXPECT_EQ(readAll(dir.path() / "real.syx"), bytes);
}

TEST(BoundedRead, ReadsUpToTheBoundAndRefusesMore) {
    testing_support::TempDir dir;
    constexpr std::size_t kLimit = 100 * 1024; // more than one piece of the reader
    writePlain(dir.path() / "exact", pattern(kLimit, 5));
    writePlain(dir.path() / "over", pattern(kLimit + 1, 5));
    fs::create_directory(dir.path() / "folder");
    ASSERT_EQ(mkfifo(dir.file("short-pipe").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(dir.file("long-pipe").c_str(), 0600), 0);
    // Pipes tell no size; what comes through them is counted as it arrives.
    auto feed = [&](const char* name, std::size_t size) {
        return std::thread([path = dir.path() / name, size] {
            std::ofstream out(path, std::ios::binary);
            const Bytes bytes = pattern(size, 5);
            out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(size));
        });
    };
    // The writer of the long pipe stops with EPIPE when the reader has had enough.
    std::signal(SIGPIPE, SIG_IGN);
    std::thread shortFeed = feed("short-pipe", 1000);
    std::thread longFeed = feed("long-pipe", 4 * kLimit);

    const std::string larger = "the file is larger than 100 KiB";
    const struct {
        std::string path;
        std::size_t size; // of the bytes read, when there is no error
        std::string reason;
    } cases[] = {
        {dir.file("exact"), kLimit, ""},
        {dir.file("short-pipe"), 1000, ""},
        {dir.file("over"), 0, larger},
        {"/dev/zero", 0, larger},
        {dir.file("long-pipe"), 0, larger},
        {dir.file("missing"), 0, "the file does not exist"},
        {dir.file("folder"), 0, "it is a folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const auto start = std::chrono::steady_clock::now();
        const files::ReadResult result = files::readFileBounded(c.path, kLimit);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        if (c.reason.empty()) {
            EXPECT_FALSE(result.error) << *result.error;
            EXPECT_EQ(result.bytes, pattern(c.size, 5));
        } else {
            EXPECT_EQ(result.error, "Cannot read \"" + c.path + "\": " + c.reason);
            EXPECT_TRUE(result.bytes.empty());
        }
        EXPECT_EQ(result.notFound, c.path == dir.file("missing"));
    }
    shortFeed.join();
    longFeed.join();
}
