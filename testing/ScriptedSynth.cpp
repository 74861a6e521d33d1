#include "testing/ScriptedSynth.h"

#include <stdexcept>

namespace testing_support {

ScriptedSynth::ScriptedSynth(const std::string& name, Script script) : name_(name) {
    std::string error;
    in_ = midi::MidiInput::open({name + " In", "MIDI In", std::nullopt, false}, error);
    if (in_) out_ = midi::MidiOutput::open({name + " Out", "MIDI Out", std::nullopt, false}, error);
    if (!in_ || !out_) throw std::runtime_error("the scripted synthesizer has no ports: " + error);
    worker_ = std::thread([this, script = std::move(script)] {
        using namespace std::chrono_literals;
        for (midi::Bytes request; in_->next(request, 5s) == midi::MidiInput::Outcome::Message;) {
            requests_.push_back(request);
            for (midi::Bytes& reply : script(request)) out_->send(std::move(reply), 1s);
        }
    });
}

const std::vector<midi::Bytes>& ScriptedSynth::stop() {
    in_->close();
    if (worker_.joinable()) worker_.join();
    return requests_;
}

} // namespace testing_support
