#pragma once
// A synthesizer played by a script, on whatever MIDI service the test installed: requests arrive
// at "<name> In:MIDI In" and each is answered on "<name> Out:MIDI Out" with what the script says.

#include "midi/MidiInput.h"
#include "midi/MidiOutput.h"

#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace testing_support {

class ScriptedSynth {
public:
    using Script = std::function<std::vector<midi::Bytes>(const midi::Bytes& request)>;

    ScriptedSynth(const std::string& name, Script script);
    ~ScriptedSynth() { stop(); }
    ScriptedSynth(const ScriptedSynth&) = delete;
    ScriptedSynth& operator=(const ScriptedSynth&) = delete;

    // Closes its ports; the requests it saw.
    const std::vector<midi::Bytes>& stop();

    std::string inPort() const { return name_ + " In:MIDI In"; }

private:
    std::string name_;
    std::shared_ptr<midi::MidiInput> in_;
    std::shared_ptr<midi::MidiOutput> out_;
    std::vector<midi::Bytes> requests_;
    std::thread worker_;
};

} // namespace testing_support
