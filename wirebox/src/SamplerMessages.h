#pragma once
// The sampler dialect (manufacturer 47h): building its messages and reading its replies.

#include "midi/Port.h"

#include <array>
#include <cstdint>
#include <optional>

namespace wirebox {
using Bytes = midi::Bytes;
}

namespace wirebox::sampler {

inline constexpr std::uint8_t kManufacturer = 0x47;
inline constexpr int kParameterMessageLength = 132; // F7 at 129, then two zero bytes
inline constexpr int kPacketLength = 122;
inline constexpr int kLargestPacketData = 120;
inline constexpr int kHeaderLength = 20;
inline constexpr int kHandshakeAccepted = 0x7F;

Bytes catalogueRequest(int channel);

// The highest sample number of the catalogue reply + 1 (0 without samples); nothing when the
// reply is not a catalogue.
std::optional<int> sampleCount(const Bytes& reply);

std::array<std::uint8_t, kParameterMessageLength> parameterMessage(int channel, int sample,
                                                                   const char* name,
                                                                   std::uint32_t first, int second,
                                                                   int third);

// Nothing for a data length that is odd, negative or above 120.
std::optional<std::array<std::uint8_t, kPacketLength>> dataPacket(int packet, int length,
                                                                  const std::uint8_t* data);

// The value of a handshake reply (F0 7E vv F7), 0 for anything else.
int handshakeValue(const std::uint8_t* reply, std::uint32_t length);

} // namespace wirebox::sampler
