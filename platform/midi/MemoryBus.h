#pragma once
// A MIDI service inside the process, for tests: every port opened on it is listed as
// "client:port" (a second client of the same name gets "-01" appended, as on JACK), outputs deliver
// to the inputs connected to them on a delivery thread of the bus (like a service's own thread),
// and SysEx that arrives in pieces is joined up to its F7 as RtMidi does: a message that never
// gets its F7 never arrives. Faults can be injected, and the bus can impose either carriage rule
// (pieces of at most N bytes; SysEx only whole) and counts the sends that broke it.

#include "midi/Backend.h"

#include <memory>
#include <string>

namespace midi {

class MemoryBus : public Backend {
public:
    explicit MemoryBus(Carriage carriage = {});
    ~MemoryBus() override; // every port of the bus must be closed first

    std::string name() const override { return "memory"; }
    std::string problem() override; // empty, or "The MIDI service stopped" after stopService()
    std::vector<Port> ports(Direction direction) override;
    std::unique_ptr<BackendInput> openInput(const OpenRequest& request, InputHandlers handlers,
                                            std::string& error) override;
    std::unique_ptr<BackendOutput> openOutput(const OpenRequest& request,
                                              std::string& error) override;
    Carriage carriage() const override;

    // Faults.
    void refuseOpens(bool refuse); // every open fails with "The MIDI service refused the port"
    void stopService();            // inputs told; puts answer ServiceStopped, drains fail, no ports
    void hangPuts(bool hang);      // puts block until released (or the service stops)
    void answerBusy(int puts);     // the next `puts` puts answer Busy and take nothing
    void cutNextMessage();         // the next put loses its last byte (a SysEx its F7)

    // What the bus saw.
    std::size_t carriageViolations() const; // puts that broke the carriage rule (dropped)
    std::size_t puts() const;               // puts taken, all outputs together
    int openClients() const;                // ports open now

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace midi
