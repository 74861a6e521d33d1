// The library's exported calls: the port family on the process-wide PortState, the sampler family
// as message builders over its transmit and receive.

#include "PortState.h"
#include "SamplerMessages.h"
#include "wirebox/Wirebox.h"

#include <cstdlib>

using wirebox::thePortState;
namespace sampler = wirebox::sampler;

namespace {

// One reply, as a vector; empty when none came.
wirebox::Bytes receiveOne() {
    std::uint32_t length = 0;
    std::uint8_t* block = thePortState().receive(&length);
    if (!block) return {};
    wirebox::Bytes reply(block, block + length);
    std::free(block);
    return reply;
}

int readHandshake() {
    const wirebox::Bytes reply = receiveOne();
    return sampler::handshakeValue(reply.data(), static_cast<std::uint32_t>(reply.size()));
}

} // namespace

extern "C" {

WIREBOX_API int WIREBOX_CALL OpenMidi(void* owner, int channel, const char* inName,
                                      const char* outName) {
    return thePortState().open(owner, channel, inName, outName);
}

WIREBOX_API int WIREBOX_CALL CloseMidi(void) {
    return thePortState().close();
}

WIREBOX_API int WIREBOX_CALL MidiTransmit(uint32_t length, const unsigned char* bytes) {
    return thePortState().transmit(bytes, length);
}

WIREBOX_API unsigned char* WIREBOX_CALL MidiReceive(uint32_t* length) {
    return thePortState().receive(length);
}

WIREBOX_API void WIREBOX_CALL DiscardMidiMessage(unsigned char* message) {
    std::free(message);
}

WIREBOX_API uint32_t WIREBOX_CALL SetTimeOut(uint32_t milliseconds) {
    return thePortState().setTimeOut(milliseconds);
}

WIREBOX_API int WIREBOX_CALL ProgramChange(int channel, int program) {
    return thePortState().programChange(channel, program);
}

WIREBOX_API int WIREBOX_CALL GetSampleNum(void) {
    const wirebox::Bytes request = sampler::catalogueRequest(thePortState().channel());
    if (!thePortState().transmit(request.data(), static_cast<std::uint32_t>(request.size())))
        return -1;
    return sampler::sampleCount(receiveOne()).value_or(-1);
}

WIREBOX_API int WIREBOX_CALL SendSampleData(int sample, const char* name, uint32_t first,
                                            int second, int third) {
    const auto message =
        sampler::parameterMessage(thePortState().channel(), sample, name, first, second, third);
    return thePortState().transmit(message.data(), static_cast<std::uint32_t>(message.size()));
}

WIREBOX_API int WIREBOX_CALL SendSampleHeader(const unsigned char* header) {
    if (!header || !thePortState().transmit(header, sampler::kHeaderLength)) return 0;
    return readHandshake() == sampler::kHandshakeAccepted ? 1 : 0;
}

WIREBOX_API int WIREBOX_CALL SendChunk(int packet, int length, const unsigned char* data) {
    const auto built = sampler::dataPacket(packet, length, data);
    if (!built || !thePortState().transmit(built->data(), sampler::kPacketLength)) return 0;
    return readHandshake() == sampler::kHandshakeAccepted ? 1 : 0;
}

WIREBOX_API int WIREBOX_CALL EndOfEx(void) {
    const unsigned char end = 0xF7;
    return thePortState().transmit(&end, 1);
}

WIREBOX_API void WIREBOX_CALL SetMessageHandler(WireboxMessageHandler handler) {
    thePortState().setMessageSink(handler);
}

} // extern "C"
