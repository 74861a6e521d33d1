#include "SamplerMessages.h"

#include <algorithm>
#include <cstring>

namespace wirebox::sampler {
namespace {

constexpr std::uint8_t kStart = 0xF0, kEnd = 0xF7;

// Bytes that may have their top bit set travel as two: the low seven bits, then the top bit.
std::uint8_t* putSplit(std::uint8_t* at, std::uint8_t byte) {
    *at++ = byte & 0x7F;
    *at++ = byte >> 7;
    return at;
}

std::uint8_t* putSplit(std::uint8_t* at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at = putSplit(at, static_cast<std::uint8_t>(value >> (8 * i)));
    return at;
}

std::uint8_t channelByte(int channel) {
    return static_cast<std::uint8_t>(channel & 0xFF);
}

} // namespace

Bytes catalogueRequest(int channel) {
    return {kStart, kManufacturer, channelByte(channel), 0x03, 0x40, 0x00, 0x00, kEnd};
}

std::optional<int> sampleCount(const Bytes& reply) {
    if (reply.size() <= 9 || reply[0] != kStart || reply[1] != kManufacturer || reply[3] != 0x0B ||
        reply[4] != 0x40)
        return std::nullopt;
    constexpr std::size_t kFirstEntry = 7, kEntryLength = 12;
    int highest = -1;
    for (std::size_t entry = kFirstEntry; entry + 2 < reply.size(); entry += kEntryLength)
        if (reply[entry] == 'S')
            highest = std::max<int>(highest, static_cast<std::int8_t>(reply[entry + 1]));
    return highest + 1;
}

std::array<std::uint8_t, kParameterMessageLength> parameterMessage(int channel, int sample,
                                                                   const char* name,
                                                                   std::uint32_t first, int second,
                                                                   int third) {
    std::array<std::uint8_t, kParameterMessageLength> m{};
    const std::uint8_t head[] = {kStart, kManufacturer, channelByte(channel),
                                 0x0A,   0x40,          static_cast<std::uint8_t>(sample & 0xFF)};
    std::copy(std::begin(head), std::end(head), m.begin());
    const std::size_t nameLength = name ? std::min<std::size_t>(std::strlen(name), 10) : 0;
    std::uint8_t* at = m.data() + 8;
    for (std::size_t i = 0; i < 10; ++i)
        at = putSplit(at, static_cast<std::uint8_t>(i < nameLength ? name[i] : ' '));
    putSplit(m.data() + 40, first, 4);
    putSplit(m.data() + 48, static_cast<std::uint32_t>(second), 2);
    putSplit(m.data() + 52, static_cast<std::uint32_t>(third), 2);
    putSplit(m.data() + 60, std::uint8_t{'O'});
    putSplit(m.data() + 64, first, 4);
    putSplit(m.data() + 94, std::uint8_t{'N'});
    std::uint8_t checksum = 0;
    for (int i = 7; i <= 127; ++i) checksum ^= m[i];
    m[128] = checksum;
    m[129] = kEnd;
    return m;
}

std::optional<std::array<std::uint8_t, kPacketLength>> dataPacket(int packet, int length,
                                                                  const std::uint8_t* data) {
    if (length < 0 || length > kLargestPacketData || length % 2 != 0 || (length > 0 && !data))
        return std::nullopt;
    std::array<std::uint8_t, kPacketLength> p{};
    p[0] = static_cast<std::uint8_t>(((packet % 127) + 127) % 127);
    std::copy(data, data + length, p.begin() + 1);
    for (int at = 1 + length; at + 1 <= kLargestPacketData; at += 2) {
        p[at] = 0x3F;
        p[at + 1] = 0x40;
    }
    std::uint8_t checksum = 0;
    for (int i = 1; i <= kLargestPacketData; ++i) checksum ^= p[i];
    p[kPacketLength - 1] = checksum;
    return p;
}

int handshakeValue(const std::uint8_t* reply, std::uint32_t length) {
    if (!reply || length != 4 || reply[0] != kStart || reply[1] != 0x7E || reply[3] != kEnd)
        return 0;
    return static_cast<std::int8_t>(reply[2]);
}

} // namespace wirebox::sampler
