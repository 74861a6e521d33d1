// Any bytes as a reply from the rhythm module: the block decoder must stay inside the message it
// decodes in place and never claim more bytes than it was given, whatever the counts say.

#include "pulvex/model/Reception.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so that a read or write past the end is an overflow the sanitizer sees.
    std::vector<std::uint8_t> message(data, data + size);
    message.shrink_to_fit();
    const std::string type = pulvex::replyType(message);
    if (!type.empty() && type.size() != 2) std::abort();
    if (pulvex::decodeBlocks(message.data(), message.size()) > size) std::abort();
    return 0;
}
