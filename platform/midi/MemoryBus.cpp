#include "midi/MemoryBus.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace midi {
namespace {

constexpr std::uint8_t kSysExStart = 0xF0;
constexpr std::uint8_t kSysExEnd = 0xF7;
constexpr std::uint8_t kClock = 0xF8;
constexpr std::uint8_t kActiveSensing = 0xFE;
const char* const kStoppedText = "The MIDI service stopped";

bool isStatus(std::uint8_t byte) {
    return byte >= 0x80;
}

// Joins SysEx that arrives in pieces up to its F7, as RtMidi does. A status byte other than a
// real-time one ends an unfinished SysEx as it would on a cable, so a message that lost its F7
// never reaches the program, not even glued to the next one.
class SysExJoiner {
public:
    // The whole message that `piece` completes, if any.
    std::optional<Bytes> take(const Bytes& piece) {
        if (piece.empty()) return {};
        const std::uint8_t first = piece[0];
        if (first >= kClock) return piece; // real-time bytes may come between the pieces
        if (isStatus(first) && first != kSysExEnd) partial_.clear();
        if (partial_.empty() && first != kSysExStart) {
            if (!isStatus(first) || first == kSysExEnd) return {}; // a SysEx whose start was lost
            return piece;
        }
        partial_.insert(partial_.end(), piece.begin(), piece.end());
        if (partial_.back() != kSysExEnd) return {};
        return std::exchange(partial_, Bytes{});
    }

private:
    Bytes partial_;
};

// One open port of the bus. Connections are to ports, not names: a port that closes and another
// that opens under its name are not connected.
struct End {
    int id = 0;
    Port port;
    int peer = 0; // the port its connectTo named
};

struct InputEnd : End {
    bool timingMessages = false;
    InputHandlers handlers;
    SysExJoiner joiner; // used on the delivery thread only
    bool toldStopped = false;
};

struct OutputEnd : End {
    std::size_t undelivered = 0; // puts not yet handed to every input
};

struct Delivery {
    std::shared_ptr<OutputEnd> from;
    std::vector<int> to;
    Bytes bytes;
};

// Everything the bus knows, shared with its ports: a worker left behind in a hung put may hold a
// port after the bus has gone.
struct BusState {
    explicit BusState(Carriage rule) : carriage(rule) {}

    void run();
    void handOver(std::unique_lock<std::mutex>& lock, int input, const std::function<void()>& call);
    void tellStopped(std::unique_lock<std::mutex>& lock);
    void closeInput(int id);
    bool onDeliveryThread() const { return std::this_thread::get_id() == deliveryThread; }
    std::string open(const OpenRequest& request, End& end, Direction side);
    BackendOutput::Put put(const std::shared_ptr<OutputEnd>& from, const std::uint8_t* bytes,
                           std::size_t length, std::string& error);
    BackendOutput::Drained drain(const OutputEnd& from, std::chrono::milliseconds limit);

    const Carriage carriage;
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::map<int, std::shared_ptr<InputEnd>> inputs;
    std::map<int, std::shared_ptr<OutputEnd>> outputs;
    std::deque<Delivery> deliveries;
    int nextId = 1;
    int handlerRunning = 0; // the input whose handler runs now
    bool refusing = false;
    bool stopped = false;
    bool allTold = false;
    bool hanging = false;
    bool ending = false;
    bool cutNext = false;
    int busyPuts = 0;
    std::size_t violations = 0;
    std::size_t taken = 0;
    std::thread deliverer;
    std::thread::id deliveryThread;
};

void BusState::run() {
    std::unique_lock lock(mutex);
    for (;;) {
        changed.wait(lock, [&] { return ending || (stopped && !allTold) || !deliveries.empty(); });
        if (stopped && !allTold) {
            tellStopped(lock);
            continue;
        }
        if (ending) return;
        Delivery delivery = std::move(deliveries.front());
        deliveries.pop_front();
        for (const int id : delivery.to) {
            const auto found = inputs.find(id);
            if (stopped || found == inputs.end()) continue;
            const std::shared_ptr<InputEnd> input = found->second;
            const std::optional<Bytes> message = input->joiner.take(delivery.bytes);
            if (!message || !input->handlers.message) continue;
            const std::uint8_t first = message->front();
            if (!input->timingMessages && (first == kClock || first == kActiveSensing)) continue;
            handOver(lock, id, [&] { input->handlers.message(message->data(), message->size()); });
        }
        --delivery.from->undelivered;
        changed.notify_all();
    }
}

// Runs an input's handler without the lock; closing that input waits until it has returned.
void BusState::handOver(std::unique_lock<std::mutex>& lock, int input,
                        const std::function<void()>& call) {
    handlerRunning = input;
    lock.unlock();
    call();
    lock.lock();
    handlerRunning = 0;
    changed.notify_all();
}

void BusState::tellStopped(std::unique_lock<std::mutex>& lock) {
    std::vector<int> ids;
    for (const auto& [id, input] : inputs) ids.push_back(id);
    for (const int id : ids) {
        const auto found = inputs.find(id);
        if (found == inputs.end() || found->second->toldStopped) continue;
        const std::shared_ptr<InputEnd> input = found->second;
        input->toldStopped = true;
        if (input->handlers.serviceStopped)
            handOver(lock, id, [&] { input->handlers.serviceStopped(); });
    }
    allTold = true;
    changed.notify_all();
}

void BusState::closeInput(int id) {
    std::unique_lock lock(mutex);
    inputs.erase(id);
    // A handler that closes its own port cannot wait for itself.
    if (!onDeliveryThread()) changed.wait(lock, [&] { return handlerRunning != id; });
}

// Names the port and finds the one its connectTo names; the error, or empty when it may open.
// A second client of the same name gets the first free "-NN", as on JACK.
std::string BusState::open(const OpenRequest& request, End& end, Direction side) {
    if (stopped) return kStoppedText;
    if (refusing) return "The MIDI service refused the port";
    std::vector<const End*> open;
    for (const auto& [id, input] : inputs) open.push_back(input.get());
    for (const auto& [id, output] : outputs) open.push_back(output.get());
    if (request.connectTo) {
        for (const End* other : open)
            if (other->port.name == request.connectTo->name &&
                (outputs.count(other->id) > 0) == (side == Direction::Input))
                end.peer = other->id;
        if (!end.peer) return "The MIDI port \"" + request.connectTo->name + "\" has gone.";
    }
    const auto inUse = [&](const std::string& client) {
        return std::any_of(open.begin(), open.end(),
                           [&](const End* other) { return other->port.client() == client; });
    };
    std::string client = request.clientName;
    for (int number = 1; inUse(client); ++number) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "-%02d", number);
        client = request.clientName + suffix;
    }
    end.port.name = client + ":" + request.portName;
    end.id = nextId++;
    return {};
}

BackendOutput::Put BusState::put(const std::shared_ptr<OutputEnd>& from, const std::uint8_t* bytes,
                                 std::size_t length, std::string& error) {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return !hanging || stopped || ending; });
    if (stopped) {
        error = kStoppedText;
        return BackendOutput::Put::ServiceStopped;
    }
    if (ending) {
        error = "The MIDI bus has gone";
        return BackendOutput::Put::Refused;
    }
    if (busyPuts > 0) {
        --busyPuts;
        return BackendOutput::Put::Busy;
    }
    if (length > carriage.largestPiece) {
        ++violations;
        error = "The MIDI service takes at most " + std::to_string(carriage.largestPiece) +
                " bytes at once, not " + std::to_string(length);
        return BackendOutput::Put::Refused;
    }
    ++taken;
    // Where SysEx goes only whole, the service reports success and drops what breaks the rule.
    if (carriage.sysExWhole && length > 0 &&
        (bytes[0] == kSysExStart ? bytes[length - 1] != kSysExEnd : length > 3)) {
        ++violations;
        return BackendOutput::Put::Taken;
    }
    Delivery delivery{from, {}, Bytes(bytes, bytes + length)};
    if (cutNext && !delivery.bytes.empty()) delivery.bytes.pop_back();
    cutNext = false;
    // Routed when either side named the other on opening.
    for (const auto& [id, input] : inputs)
        if (id == from->peer || input->peer == from->id) delivery.to.push_back(id);
    if (delivery.to.empty()) return BackendOutput::Put::Taken;
    ++from->undelivered;
    deliveries.push_back(std::move(delivery));
    changed.notify_all();
    return BackendOutput::Put::Taken;
}

BackendOutput::Drained BusState::drain(const OutputEnd& from, std::chrono::milliseconds limit) {
    using Drained = BackendOutput::Drained;
    std::unique_lock lock(mutex);
    const bool delivered =
        changed.wait_for(lock, limit, [&] { return stopped || ending || from.undelivered == 0; });
    if (stopped || ending) return Drained::ServiceStopped;
    if (!delivered) return Drained::TimedOut;
    // What was sent to a port that has gone did not arrive.
    return from.peer == 0 || inputs.count(from.peer) > 0 ? Drained::Done : Drained::PortGone;
}

class MemoryInput : public BackendInput {
public:
    MemoryInput(std::shared_ptr<BusState> bus, int id) : bus_(std::move(bus)), id_(id) {}
    ~MemoryInput() override { bus_->closeInput(id_); }

private:
    std::shared_ptr<BusState> bus_;
    int id_;
};

class MemoryOutput : public BackendOutput {
public:
    MemoryOutput(std::shared_ptr<BusState> bus, std::shared_ptr<OutputEnd> end)
        : bus_(std::move(bus)), end_(std::move(end)) {}
    ~MemoryOutput() override {
        std::lock_guard lock(bus_->mutex);
        bus_->outputs.erase(end_->id);
    }

    Put put(const std::uint8_t* bytes, std::size_t length, std::string& error) override {
        return bus_->put(end_, bytes, length, error);
    }
    Drained drain(std::chrono::milliseconds limit) override { return bus_->drain(*end_, limit); }

private:
    std::shared_ptr<BusState> bus_;
    std::shared_ptr<OutputEnd> end_;
};

} // namespace

struct MemoryBus::State : BusState {
    using BusState::BusState;
};

MemoryBus::MemoryBus(Carriage carriage) : state_(std::make_shared<State>(carriage)) {
    std::lock_guard lock(state_->mutex);
    state_->deliverer = std::thread([state = state_.get()] { state->run(); });
    state_->deliveryThread = state_->deliverer.get_id();
}

MemoryBus::~MemoryBus() {
    {
        std::lock_guard lock(state_->mutex);
        state_->ending = true;
    }
    state_->changed.notify_all();
    state_->deliverer.join();
}

std::string MemoryBus::problem() {
    std::lock_guard lock(state_->mutex);
    return state_->stopped ? kStoppedText : "";
}

std::vector<Port> MemoryBus::ports(Direction direction) {
    std::lock_guard lock(state_->mutex);
    std::vector<Port> listed;
    if (state_->stopped) return listed;
    // Others send to an input of the bus and read from an output of it.
    if (direction == Direction::Output)
        for (const auto& [id, input] : state_->inputs) listed.push_back(input->port);
    else
        for (const auto& [id, output] : state_->outputs) listed.push_back(output->port);
    return listed;
}

std::unique_ptr<BackendInput> MemoryBus::openInput(const OpenRequest& request,
                                                   InputHandlers handlers, std::string& error) {
    std::lock_guard lock(state_->mutex);
    auto end = std::make_shared<InputEnd>();
    error = state_->open(request, *end, Direction::Input);
    if (!error.empty()) return nullptr;
    end->timingMessages = request.timingMessages;
    end->handlers = std::move(handlers);
    state_->inputs.emplace(end->id, end);
    return std::make_unique<MemoryInput>(state_, end->id);
}

std::unique_ptr<BackendOutput> MemoryBus::openOutput(const OpenRequest& request,
                                                     std::string& error) {
    std::lock_guard lock(state_->mutex);
    auto end = std::make_shared<OutputEnd>();
    error = state_->open(request, *end, Direction::Output);
    if (!error.empty()) return nullptr;
    state_->outputs.emplace(end->id, end);
    return std::make_unique<MemoryOutput>(state_, std::move(end));
}

Carriage MemoryBus::carriage() const {
    return state_->carriage;
}

void MemoryBus::refuseOpens(bool refuse) {
    std::lock_guard lock(state_->mutex);
    state_->refusing = refuse;
}

void MemoryBus::stopService() {
    std::unique_lock lock(state_->mutex);
    if (!state_->stopped) {
        state_->stopped = true;
        state_->deliveries.clear(); // what was on its way is lost with the service
        state_->changed.notify_all();
    }
    // Once this returns every input has been told.
    if (!state_->onDeliveryThread())
        state_->changed.wait(lock, [&] { return state_->allTold || state_->ending; });
}

void MemoryBus::hangPuts(bool hang) {
    std::lock_guard lock(state_->mutex);
    state_->hanging = hang;
    state_->changed.notify_all();
}

void MemoryBus::answerBusy(int puts) {
    std::lock_guard lock(state_->mutex);
    state_->busyPuts = puts;
}

void MemoryBus::cutNextMessage() {
    std::lock_guard lock(state_->mutex);
    state_->cutNext = true;
}

std::size_t MemoryBus::carriageViolations() const {
    std::lock_guard lock(state_->mutex);
    return state_->violations;
}

std::size_t MemoryBus::puts() const {
    std::lock_guard lock(state_->mutex);
    return state_->taken;
}

int MemoryBus::openClients() const {
    std::lock_guard lock(state_->mutex);
    return static_cast<int>(state_->inputs.size() + state_->outputs.size());
}

} // namespace midi
