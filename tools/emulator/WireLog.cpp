#include "WireLog.h"

#include <cerrno>
#include <cstring>
#include <ctime>

namespace emulator {

std::string hex(const Bytes& bytes) {
    std::string text;
    text.reserve(bytes.size() * 3);
    char pair[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(pair, sizeof pair, i ? " %02X" : "%02X", bytes[i]);
        text += pair;
    }
    return text;
}

bool WireLog::open(const std::string& path, std::string& error) {
    if (path.empty()) return true;
    file_ = std::fopen(path.c_str(), "a");
    if (!file_) error = "cannot open log file \"" + path + "\": " + std::strerror(errno);
    return file_ != nullptr;
}

WireLog::~WireLog() {
    if (file_) std::fclose(file_);
}

void WireLog::received(const Bytes& bytes, const std::string& summary) {
    write("in ", bytes, summary);
}

void WireLog::sent(const Bytes& bytes, const std::string& summary) {
    write("out", bytes, summary);
}

void WireLog::note(const std::string& text) {
    std::lock_guard lock(mutex_);
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

void WireLog::write(const char* direction, const Bytes& bytes, const std::string& summary) {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    std::lock_guard lock(mutex_);
    std::printf("%9.3f %s %5zu bytes  %s\n", seconds, direction, bytes.size(), summary.c_str());
    std::fflush(stdout);
    if (!file_) return;
    std::fprintf(file_, "%.3f %s %s\n", seconds, direction, hex(bytes).c_str());
    std::fflush(file_);
}

} // namespace emulator
