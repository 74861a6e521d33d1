#include "morvex/SysExMessages.h"

#include "morvex/MorvexState.h"

#include <algorithm>

namespace morvex {
namespace {

constexpr std::uint8_t kSysExStart = 0xF0;
constexpr std::uint8_t kSysExEnd = 0xF7;

// Where the message that starts at `start` ends (one past its last byte).
std::size_t messageEnd(std::span<const std::uint8_t> bytes, std::size_t start) {
    const auto from = bytes.subspan(start);
    if (startsLikeVoiceDump(from) && from.size() >= static_cast<std::size_t>(kDumpSize) &&
        from[kDumpSize - 1] == kSysExEnd)
        return start + kDumpSize;
    const auto end = std::find_if(from.begin() + 1, from.end(), [](std::uint8_t b) {
        return b == kSysExStart || b == kSysExEnd;
    });
    if (end == from.end()) return bytes.size();
    const std::size_t at = start + static_cast<std::size_t>(end - from.begin());
    return *end == kSysExEnd ? at + 1 : at;
}

} // namespace

bool startsLikeVoiceDump(std::span<const std::uint8_t> m) {
    return m.size() >= 4 && m[0] == kSysExStart && m[1] == 0x43 && (m[2] & 0xF0) == 0x00 &&
           m[3] == 0x7E;
}

std::vector<std::span<const std::uint8_t>> splitSysExMessages(std::span<const std::uint8_t> bytes) {
    std::vector<std::span<const std::uint8_t>> messages;
    std::size_t at = 0;
    while (true) {
        const auto start =
            std::find(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end(), kSysExStart);
        if (start == bytes.end()) break;
        const std::size_t first = static_cast<std::size_t>(start - bytes.begin());
        at = messageEnd(bytes, first);
        messages.push_back(bytes.subspan(first, at - first));
    }
    return messages;
}

} // namespace morvex
