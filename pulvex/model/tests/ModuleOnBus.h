#pragma once
// The Pulvex module as a scripted peer on an in-memory MIDI bus: a thread answers each request
// with what the script returns for it. The real Wirebox reaches it through the bus like a cable.

#include "midi/MemoryBus.h"
#include "midi/MidiInput.h"
#include "midi/MidiOutput.h"

#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

class ModuleOnBus {
public:
    using Bytes = midi::Bytes;
    using Script = std::function<std::vector<Bytes>(const Bytes& request)>;

    // The names Pulvex's settings give as its MIDI In and MIDI Out (a client each: the bus, like
    // JACK, numbers a second client of the same name).
    static constexpr const char* kModuleOut = "Pulvex Out:MIDI Out";
    static constexpr const char* kModuleIn = "Pulvex In:MIDI In";

    ModuleOnBus(midi::MemoryBus& bus, Script script) : script_(std::move(script)) {
        std::string error;
        requests_ = midi::MidiInput::open({"Pulvex In", "MIDI In", {}, false}, error, bus);
        replies_ = midi::MidiOutput::open({"Pulvex Out", "MIDI Out", {}, false}, error, bus);
        EXPECT_TRUE(requests_ && replies_) << error;
        if (requests_ && replies_) thread_ = std::thread([this] { answer(); });
    }
    ~ModuleOnBus() {
        if (requests_) requests_->close(); // ends the thread's wait
        if (thread_.joinable()) thread_.join();
    }
    ModuleOnBus(const ModuleOnBus&) = delete;
    ModuleOnBus& operator=(const ModuleOnBus&) = delete;

    int requests() const { return requests_count_; }

    // What a request asks for: its type letters ("VI", "VW", "KT"), and of a kit request the bank
    // code and the kit (1..64).
    static std::string requestType(const Bytes& request) {
        if (request.size() < 14) return {};
        return {static_cast<char>(request[12]), static_cast<char>(request[13])};
    }
    static int bankCodeOf(const Bytes& kitRequest) { return kitRequest.at(26); }
    static int kitNumberOf(const Bytes& kitRequest) { return kitRequest.at(27) + 1; }

private:
    void answer() {
        Bytes request;
        while (requests_->next(request, std::chrono::seconds(5)) !=
               midi::MidiInput::Outcome::Closed) {
            if (requests_->serviceStopped()) return;
            if (request.empty()) continue;
            ++requests_count_;
            for (Bytes& reply : script_(request))
                if (!replies_->send(std::move(reply), std::chrono::seconds(2))) return;
            request.clear();
        }
    }

    Script script_;
    std::shared_ptr<midi::MidiInput> requests_;
    std::shared_ptr<midi::MidiOutput> replies_;
    std::atomic<int> requests_count_{0};
    std::thread thread_;
};
