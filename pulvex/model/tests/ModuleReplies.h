#pragma once
// Replies as the Pulvex module builds them, encoded independently of the decoder: for the tests of
// the reception and for the module the window tests script on an in-memory bus.

#include "pulvex/model/PulvexDoc.h"
#include "pulvex/model/Reception.h"
#include "pulvex/model/WaveNameTable.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace pulvex_test {

using pulvex::Bytes;

inline const std::string kModel = "LM  0087";

// One block: count, model, type, the data as upper-case hex digits, a checksum. `count` overrides
// the honest count, for blocks that lie about their length.
inline Bytes hexBlock(const std::string& type, const Bytes& data, int count = -1) {
    const int digits = static_cast<int>(2 * data.size());
    if (count < 0) count = type == "VI" ? digits + 10 - 1008 : digits + 10;
    Bytes block{static_cast<std::uint8_t>((count >> 7) & 0x7F),
                static_cast<std::uint8_t>(count & 0x7F)};
    // Room made first: GCC 12 at -O3 takes the growing inserts for copies out of bounds.
    block.reserve(2 + kModel.size() + type.size() + 2 * data.size() + 1);
    block.insert(block.end(), kModel.begin(), kModel.end());
    block.insert(block.end(), type.begin(), type.end());
    for (std::uint8_t byte : data) {
        block.push_back(static_cast<std::uint8_t>("0123456789ABCDEF"[byte >> 4]));
        block.push_back(static_cast<std::uint8_t>("0123456789ABCDEF"[byte & 0x0F]));
    }
    block.push_back(0x55); // checksum: never verified
    return block;
}

inline Bytes message(const std::vector<Bytes>& blocks, bool closed = true) {
    Bytes m{0xF0, 0x43, 0x00, 0x7E};
    for (const Bytes& block : blocks) m.insert(m.end(), block.begin(), block.end());
    if (closed) m.push_back(0xF7);
    return m;
}

// A whole list in blocks the way the module cuts it: 504-byte "VI" blocks (count 10 each, the last
// filled up), 512-byte blocks otherwise.
inline Bytes listReply(const std::string& type, const Bytes& data) {
    const std::size_t size = type == "VI" ? 504 : 512;
    std::vector<Bytes> blocks;
    for (std::size_t at = 0; at < data.size(); at += size) {
        Bytes chunk(data.begin() + static_cast<long>(at),
                    data.begin() + static_cast<long>(std::min(data.size(), at + size)));
        if (type == "VI") chunk.resize(size, 0);
        blocks.push_back(hexBlock(type, chunk));
    }
    return message(blocks);
}

inline std::string voiceName(const char* prefix, int k) {
    std::string digits = std::to_string(k);
    return prefix + std::string(4 - digits.size(), '0') + digits; // 8 characters
}

// Name-list records: 72 bytes, the name at 9.
inline Bytes nameRecords(const char* prefix, int count) {
    Bytes data(static_cast<std::size_t>(count) * 72, 0x20);
    for (int k = 0; k < count; ++k) {
        const std::string name = voiceName(prefix, k);
        std::memcpy(data.data() + k * 72 + 9, name.data(), 8);
        data[static_cast<std::size_t>(k) * 72] = static_cast<std::uint8_t>(k & 0x7F);
    }
    return data;
}

inline Bytes kitData(const std::string& name) {
    Bytes data(192, 0);
    std::memcpy(data.data() + pulvex::kKitNameOffset, name.data(), name.size());
    for (int k = 0; k < 49; ++k) {
        std::uint8_t* entry = data.data() + pulvex::kKitEntriesOffset + 3 * k;
        const int sound = pulvex::kInternalVoiceSlot + k; // the internal voices read before
        entry[0] = static_cast<std::uint8_t>(sound >> 8);
        entry[1] = static_cast<std::uint8_t>(sound & 0xFF);
        entry[2] = 100;
    }
    return data;
}

} // namespace pulvex_test
