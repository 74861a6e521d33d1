#pragma once
// The SysEx messages in a file's bytes. Captures from other tools hold several: other devices'
// messages, requests, a whole bank of voices.

#include <cstdint>
#include <span>
#include <vector>

namespace morvex {

// A voice dump as its first four bytes say (F0 43 0n 7E), whatever its length or check bytes.
bool startsLikeVoiceDump(std::span<const std::uint8_t> message);

// Each message from its F0 up to and with its F7. One without an F7 ends where the next F0 starts
// or the bytes end. Bytes between messages are skipped. A message that starts like a voice dump and
// has an F7 where a dump ends is a dump long, whatever lies inside: a saved voice keeps bytes above
// 127 (the range check reports them but they are written all the same), an F0 or F7 among them.
std::vector<std::span<const std::uint8_t>> splitSysExMessages(std::span<const std::uint8_t> bytes);

} // namespace morvex
