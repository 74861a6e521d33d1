#pragma once
// What went over the wire. With a log file, one line per message as a protocol analyser shows it
// (time stamp, direction, bytes in hexadecimal); on standard output, one summary line per message.

#include "Instrument.h"

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

namespace emulator {

class WireLog {
public:
    // An empty path logs summaries only. False when the file cannot be opened.
    bool open(const std::string& path, std::string& error);
    ~WireLog();

    void received(const Bytes& bytes, const std::string& summary);
    void sent(const Bytes& bytes, const std::string& summary);
    void note(const std::string& text); // start, stop and the like

private:
    void write(const char* direction, const Bytes& bytes, const std::string& summary);

    std::mutex mutex_;
    std::FILE* file_ = nullptr;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

std::string hex(const Bytes& bytes);

} // namespace emulator
