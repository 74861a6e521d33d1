#include "testing/WriteObstacles.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {
namespace {
constexpr int kSkipped = 77;
constexpr uid_t kNobody = 65534;
} // namespace

std::optional<std::string> writeUnderObstacle(Obstacle obstacle,
                                              const std::function<std::string()>& write,
                                              std::size_t sizeLimit) {
    int channel[2];
    if (pipe(channel) != 0) return std::nullopt;
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        if (obstacle == Obstacle::FullDisk) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{sizeLimit, sizeLimit};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(kSkipped);
        }
        const bool permissionsMatter =
            obstacle == Obstacle::ReadOnlyFolder || obstacle == Obstacle::ReadOnlyFile;
        if (permissionsMatter && geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
            _exit(kSkipped);
        const std::string text = write();
        const bool sent = ::write(channel[1], text.data(), text.size()) == ssize_t(text.size());
        _exit(sent ? 0 : 1);
    }
    close(channel[1]);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return text;
}

} // namespace testing_support
