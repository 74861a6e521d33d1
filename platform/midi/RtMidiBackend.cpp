#include "midi/RtMidiBackend.h"

#include "midi/ApiChoice.h"
#include "midi/JackHelper.h"

#include <cstdlib>
#include <mutex>
#include <thread>
#if defined(__linux__)
#include <alsa/asoundlib.h>
#endif

namespace midi {
namespace {

// RtMidi's JACK output takes at most this much in one call (its ring buffer holds 16 kB and drops a
// longer message with a warning).
constexpr std::size_t kJackLargestPiece = 16000;
// A connection made by openPort on JACK becomes live in a later cycle; a message sent before that
// is lost.
constexpr int kCyclesUntilLive = 2;
// What has been put has left the process once the output's process callback ran after it.
constexpr int kCyclesUntilDrained = 2;
// A process callback under way when a port is let go has ended by then.
constexpr int kCyclesUntilCallbackEnded = 2;
constexpr std::chrono::milliseconds kCycleWaitLimit{1000};
constexpr std::chrono::milliseconds kRetryPause{100};
// A loaded machine refuses several clients in a row now and then.
constexpr int kOpenAttempts = 4;

void recordError(RtMidiError::Type, const std::string& text, void* sink) {
    *static_cast<std::string*>(sink) = text;
}

#if defined(__linux__)
void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

// Asked first because RtMidi and the ALSA library both print their complaints before RtMidi
// throws, and a machine without MIDI is no error.
bool alsaSequencerAnswers() {
    snd_lib_error_set_handler(ignoreAlsaMessage);
    snd_seq_t* sequencer = nullptr;
    const bool opened = snd_seq_open(&sequencer, "default", SND_SEQ_OPEN_DUPLEX, 0) == 0;
    if (opened) snd_seq_close(sequencer);
    snd_lib_error_set_handler(nullptr);
    return opened;
}
#endif

// Closing a port or client of a JACK server that died crashes inside libjack, so such RtMidi
// objects are kept here, never closed, for the rest of the process.
template <class Client>
void abandon(std::unique_ptr<Client> client) {
    static auto* mutex = new std::mutex;
    static auto* kept = new std::vector<std::shared_ptr<void>>;
    std::lock_guard lock(*mutex);
    kept->push_back(std::shared_ptr<Client>(std::move(client)));
}

// Where RtMidi's input callback goes. It outlives the port (the session keeps it), because RtMidi
// cancels a callback without waiting for one in progress.
struct Gate {
    std::mutex mutex;
    bool open = true;
    InputHandlers handlers;

    static void deliver(double, std::vector<unsigned char>* message, void* self) {
        auto* gate = static_cast<Gate*>(self);
        std::lock_guard lock(gate->mutex);
        if (gate->open && gate->handlers.message && !message->empty())
            gate->handlers.message(message->data(), message->size());
    }
    void stopped() {
        std::lock_guard lock(mutex);
        if (open && handlers.serviceStopped) handlers.serviceStopped();
    }
    void shut() {
        std::lock_guard lock(mutex);
        open = false;
    }
};

// What the process holds while MIDI is in use: the JACK helper, and the RtMidi clients whose ports
// were closed, ready for the next open, so that an exchange that opens and closes its ports twice
// starts each client once.
struct Session {
    RtMidi::Api api = RtMidi::UNSPECIFIED;
    std::string problem;
    std::shared_ptr<JackHelper> helper; // on JACK
    std::mutex mutex;
    std::vector<std::pair<std::string, std::unique_ptr<RtMidiIn>>> idleInputs;
    std::vector<std::pair<std::string, std::unique_ptr<RtMidiOut>>> idleOutputs;
    std::vector<std::shared_ptr<Gate>> gates;

    bool serviceGone() const { return helper && helper->serverGone(); }

    ~Session() {
        if (serviceGone()) {
            for (auto& idle : idleInputs) abandon(std::move(idle.second));
            for (auto& idle : idleOutputs) abandon(std::move(idle.second));
        }
    }

    template <class Client>
    auto& idle() {
        if constexpr (std::is_same_v<Client, RtMidiIn>)
            return idleInputs;
        else
            return idleOutputs;
    }

    template <class Client>
    std::unique_ptr<Client> take(const std::string& clientName, std::string& error) {
        {
            std::lock_guard lock(mutex);
            auto& clients = idle<Client>();
            for (auto at = clients.begin(); at != clients.end(); ++at)
                if (at->first == clientName) {
                    auto client = std::move(at->second);
                    clients.erase(at);
                    return client;
                }
        }
        try {
            return std::make_unique<Client>(api, clientName);
        } catch (const RtMidiError& e) {
            error = e.getMessage();
            return nullptr;
        }
    }

    template <class Client>
    void giveBack(const std::string& clientName, std::unique_ptr<Client> client) {
        std::lock_guard lock(mutex);
        idle<Client>().emplace_back(clientName, std::move(client));
    }
};

template <class Client>
int currentIndex(Client& client, const Port& port) {
    const unsigned count = client.getPortCount();
    for (unsigned i = 0; i < count; ++i)
        if (productName(client.getPortName(i)) == port.name) return static_cast<int>(i);
    return -1;
}

std::string goneText(const Port& port) {
    return "The MIDI port \"" + port.name + "\" has gone.";
}

class RtInput : public BackendInput {
public:
    RtInput(std::shared_ptr<Session> session, std::string clientName, bool isVirtual)
        : session_(std::move(session)), clientName_(std::move(clientName)), virtual_(isVirtual),
          gate_(std::make_shared<Gate>()) {
        std::lock_guard lock(session_->mutex);
        session_->gates.push_back(gate_);
    }

    ~RtInput() override {
        gate_->shut();
        if (session_->helper) session_->helper->forget(ticket_);
        if (!in_) return;
        if (session_->serviceGone()) {
            abandon(std::move(in_));
            return;
        }
        in_->cancelCallback();
        in_->closePort();
        in_->setErrorCallback(nullptr, nullptr);
        if (virtual_)
            in_.reset();
        else
            session_->giveBack(clientName_, std::move(in_));
    }

    bool open(const OpenRequest& request, InputHandlers handlers, std::string& error) {
        in_ = session_->take<RtMidiIn>(clientName_, error);
        if (!in_) return false;
        in_->setErrorCallback(recordError, &error_);
        gate_->handlers = std::move(handlers);
        // SysEx is what the suite is for; timing only reaches an instrument that asks for it.
        in_->ignoreTypes(false, !request.timingMessages, !request.timingMessages);
        in_->setCallback(&Gate::deliver, gate_.get());
        if (request.connectTo) {
            const int index = currentIndex(*in_, *request.connectTo);
            if (index < 0) return fail(goneText(*request.connectTo), error);
            in_->openPort(static_cast<unsigned>(index), request.portName);
            if (!in_->isPortOpen() && error_.empty()) error_ = "The MIDI input cannot be opened.";
        } else {
            in_->openVirtualPort(request.portName);
        }
        if (!error_.empty()) return fail(error_, error);
        if (session_->helper) {
            std::weak_ptr<Gate> gate = gate_;
            ticket_ = session_->helper->onServerGone([gate] {
                if (auto open = gate.lock()) open->stopped();
            });
            if (request.connectTo) session_->helper->waitCycles(kCyclesUntilLive, kCycleWaitLimit);
        }
        return true;
    }

private:
    // A client that failed to open a port is not kept for the next open.
    bool fail(const std::string& text, std::string& error) {
        error = text;
        in_.reset();
        return false;
    }

    std::shared_ptr<Session> session_;
    std::string clientName_;
    bool virtual_;
    std::shared_ptr<Gate> gate_;
    std::unique_ptr<RtMidiIn> in_;
    std::string error_;
    int ticket_ = 0;
};

class RtOutput : public BackendOutput {
public:
    RtOutput(std::shared_ptr<Session> session, std::string clientName, bool isVirtual)
        : session_(std::move(session)), clientName_(std::move(clientName)), virtual_(isVirtual) {}

    ~RtOutput() override {
        if (!out_) return;
        if (session_->serviceGone()) {
            abandon(std::move(out_));
            return;
        }
        // RtMidi's JACK output waits for a process cycle before it lets go of its port, so what
        // is still in its buffer goes out first.
        out_->closePort();
        // Its destructor then frees the ring buffer before it closes the client, so a process
        // callback that began before the port was let go, and was held up on a loaded machine,
        // would read freed memory. By two cycles later it has ended; later ones find no port.
        if (session_->helper)
            session_->helper->waitCycles(kCyclesUntilCallbackEnded, kCycleWaitLimit);
        out_->setErrorCallback(nullptr, nullptr);
        if (virtual_)
            out_.reset();
        else
            session_->giveBack(clientName_, std::move(out_));
    }

    bool open(const OpenRequest& request, std::string& error) {
        out_ = session_->take<RtMidiOut>(clientName_, error);
        if (!out_) return false;
        out_->setErrorCallback(recordError, &error_);
        if (request.connectTo) {
            target_ = request.connectTo->name;
            const int index = currentIndex(*out_, *request.connectTo);
            if (index < 0) return fail(goneText(*request.connectTo), error);
            out_->openPort(static_cast<unsigned>(index), request.portName);
            if (!out_->isPortOpen() && error_.empty()) error_ = "The MIDI output cannot be opened.";
        } else {
            out_->openVirtualPort(request.portName);
        }
        if (!error_.empty()) return fail(error_, error);
        if (session_->helper && request.connectTo)
            session_->helper->waitCycles(kCyclesUntilLive, kCycleWaitLimit);
        return true;
    }

    Put put(const std::uint8_t* bytes, std::size_t length, std::string& error) override {
        if (session_->serviceGone()) return Put::ServiceStopped;
        error_.clear();
        out_->sendMessage(bytes, length);
        if (error_.empty()) return Put::Taken;
        error = error_;
        const bool full = error_.find("ringbuffer full") != std::string::npos;
        return full && length <= kJackLargestPiece ? Put::Busy : Put::Refused;
    }

    Drained drain(std::chrono::milliseconds limit) override {
        if (!session_->helper)
            return Drained::Done; // the other services have sent once put returns
        if (!session_->helper->waitCycles(kCyclesUntilDrained, limit))
            return session_->serviceGone() ? Drained::ServiceStopped : Drained::TimedOut;
        return target_.empty() || session_->helper->portExists(target_) ? Drained::Done
                                                                        : Drained::PortGone;
    }

private:
    bool fail(const std::string& text, std::string& error) {
        error = text;
        out_.reset();
        return false;
    }

    std::shared_ptr<Session> session_;
    std::string clientName_;
    bool virtual_;
    std::unique_ptr<RtMidiOut> out_;
    std::string error_;
    std::string target_;
};

class RtMidiBackend : public Backend {
public:
    std::string name() const override {
        const_cast<RtMidiBackend*>(this)->session(); // the API is chosen on first use
        std::lock_guard lock(mutex_);
        for (const ApiName& entry : kApiNames)
            if (entry.api == api_) return std::string(entry.name);
        return "none";
    }

    std::string problem() override { return session()->problem; }

    std::vector<Port> ports(Direction direction) override {
        const auto held = session();
        if (!held->problem.empty()) return {};
        if (held->helper) return held->helper->ports(direction);
        std::string error;
        return direction == Direction::Input ? listWith<RtMidiIn>(*held, error)
                                             : listWith<RtMidiOut>(*held, error);
    }

    std::unique_ptr<BackendInput> openInput(const OpenRequest& request, InputHandlers handlers,
                                            std::string& error) override {
        return openWithRetry<RtInput>(request, error, [&](RtInput& port, std::string& why) {
            return port.open(request, handlers, why);
        });
    }

    std::unique_ptr<BackendOutput> openOutput(const OpenRequest& request,
                                              std::string& error) override {
        return openWithRetry<RtOutput>(request, error, [&](RtOutput& port, std::string& why) {
            return port.open(request, why);
        });
    }

    Carriage carriage() const override {
        std::lock_guard lock(mutex_);
        switch (api_) {
        case RtMidi::UNIX_JACK:
            return {.largestPiece = kJackLargestPiece, .sysExWhole = false};
        case RtMidi::WINDOWS_MM:
            return {.sysExWhole = true};
        default:
            return {};
        }
    }

    std::shared_ptr<void> hold() override { return session(); }

private:
    std::shared_ptr<Session> session() {
        std::lock_guard lock(mutex_);
        if (auto held = current_.lock(); held && !held->serviceGone()) return held;
        auto held = std::make_shared<Session>();
        if (!chosen_) {
            const ApiChoice choice = chooseApi(std::getenv("MIDI_API"), [&] {
                held->helper = JackHelper::acquire(false);
                return held->helper != nullptr;
            });
            api_ = choice.api;
            choiceError_ = choice.error;
            chosen_ = true;
        }
        held->api = api_;
        held->problem = choiceError_;
        if (held->problem.empty() && api_ == RtMidi::UNIX_JACK && !held->helper) {
            held->helper = JackHelper::acquire(true);
            if (!held->helper) held->problem = "No JACK server answers" + serverNameNote() + ".";
        }
#if defined(__linux__)
        if (held->problem.empty() && api_ == RtMidi::LINUX_ALSA && !alsaSequencerAnswers())
            held->problem = "The ALSA sequencer cannot be opened.";
#endif
        current_ = held;
        return held;
    }

    static std::string serverNameNote() {
        const char* server = std::getenv("JACK_DEFAULT_SERVER");
        return server && *server ? " (JACK_DEFAULT_SERVER=" + std::string(server) + ")" : "";
    }

    template <class Client>
    static std::vector<Port> listWith(Session& held, std::string& error) {
        static const std::string kLister = "MIDI ports";
        auto client = held.take<Client>(kLister, error);
        std::vector<Port> ports;
        if (!client) return ports;
        const unsigned count = client->getPortCount();
        for (unsigned i = 0; i < count; ++i)
            ports.push_back(Port{productName(client->getPortName(i))});
        held.giveBack(kLister, std::move(client));
        return ports;
    }

    // JACK refuses a new client now and then (about one open in a hundred on a busy machine); a
    // later try succeeds. A port that has gone is not tried again.
    template <class PortType, class Open>
    std::unique_ptr<PortType> openWithRetry(const OpenRequest& request, std::string& error,
                                            Open open) {
        for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
            const auto held = session();
            if (!held->problem.empty()) {
                error = held->problem;
                return nullptr;
            }
            error.clear();
            auto port = std::make_unique<PortType>(held, request.clientName, !request.connectTo);
            if (open(*port, error)) return port;
            if (error.empty()) error = "The MIDI port cannot be opened.";
            // A client JACK refused finds no port at all, so "gone" is only final when it is.
            const bool listed = held->helper && request.connectTo &&
                                held->helper->portExists(request.connectTo->name);
            if (error.find("has gone") != std::string::npos && !listed) return nullptr;
            port.reset();
            if (attempt + 1 < kOpenAttempts) std::this_thread::sleep_for(kRetryPause);
        }
        return nullptr;
    }

    mutable std::mutex mutex_;
    bool chosen_ = false;
    RtMidi::Api api_ = RtMidi::UNSPECIFIED;
    std::string choiceError_;
    std::weak_ptr<Session> current_;
};

} // namespace

const char* systemMidiLibrary() {
    return "RtMidi";
}

Backend& rtMidiService() {
    static auto* backend = new RtMidiBackend; // never destroyed: ports may close during exit
    return *backend;
}

} // namespace midi
