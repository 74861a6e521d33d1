// Any bytes as a voice file: the reader must reject or accept them without reading out of bounds,
// and every voice it finds must survive decoding, encoding and the check bytes.

#include "morvex/Checksum.h"
#include "morvex/VoiceCodec.h"
#include "morvex/VoiceFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (const morvex::VoiceInFile& voice : morvex::scanVoiceFile({data, size}).voices) {
        morvex::MorvexState state;
        state.dumpHeader = voice.dump.header;
        std::copy(voice.dump.parameters.begin(), voice.dump.parameters.end(),
                  state.voiceData.begin());
        morvex::DecodeVoice(state);
        const bool inRange = morvex::EncodeVoice(state).empty();
        morvex::UpdateChecksum(state.voiceData);
        // A byte above 127 has no faithful file form (226 is how a file writes 26), and the range
        // check has told the user about it already.
        if (!inRange) continue;

        // What is saved must load again as the same voice.
        const auto bytes = morvex::voiceFileBytes(state);
        const morvex::ParsedVoiceFile again = morvex::parseVoiceFile(bytes);
        if (!again.ok || !std::equal(again.dump.parameters.begin(), again.dump.parameters.end(),
                                     state.voiceData.begin()))
            std::abort();
    }
    return 0;
}
