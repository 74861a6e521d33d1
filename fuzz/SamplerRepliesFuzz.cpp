// Any bytes as a sampler's reply: the catalogue reader and the handshake reader must stay inside
// the reply and give a sample count of 0..128 or nothing.

#include "SamplerMessages.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const wirebox::Bytes reply(data, data + size);
    if (const auto count = wirebox::sampler::sampleCount(reply);
        count && (*count < 0 || *count > 128))
        std::abort();
    const int handshake = wirebox::sampler::handshakeValue(data, static_cast<std::uint32_t>(size));
    if (handshake < -128 || handshake > 127) std::abort();
    return 0;
}
