#pragma once
// Choosing and opening the MIDI service through RtMidi.
//
// The API comes from the environment variable MIDI_API ("jack", "alsa", "winmm", "core"); without
// it, JACK when a JACK server answers, otherwise the platform's own API. RtMidi's default
// constructor is never used: it throws where the ALSA sequencer is missing, and a machine without
// any MIDI service must simply show no ports.

#include <chrono>
#include <memory>
#include <rtmidi/RtMidi.h>
#include <string>
#include <vector>

namespace midi {

// The API the suite uses in this process.
RtMidi::Api chooseApi();

// A client of the chosen API, or null when the MIDI service cannot be reached.
std::unique_ptr<RtMidiOut> makeOutputClient(const std::string& clientName);
std::unique_ptr<RtMidiIn> makeInputClient(const std::string& clientName);

// A port's product name: the name RtMidi lists, without the "client:port" numbers that ALSA
// appends ("Synth:Synth MIDI 1 128:0" becomes "Synth:Synth MIDI 1").
std::string productName(const std::string& listedName);

// Product names of all ports of a client, in RtMidi's order (index = port number).
std::vector<std::string> portNames(RtMidi& client);

// A JACK connection made by openPort() becomes live a cycle or two later; a message sent before
// that is lost. Call after openPort() before sending.
void waitUntilConnectionIsLive(RtMidi::Api api);

// Closes an output once what was sent has left it, and destroys the client. Use it instead of
// closePort() and the destructor: on JACK both can lose the last message or crash otherwise.
void closeOutput(std::unique_ptr<RtMidiOut>& out);

// Waits until the JACK server has run `cycles` more process cycles, at most `limit`. Without a JACK
// server it just sleeps a little.
void waitForJackCycles(int cycles, std::chrono::milliseconds limit = std::chrono::seconds(1));

} // namespace midi
