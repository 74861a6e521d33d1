#include "midi/MidiOutput.h"

#include <algorithm>

namespace midi {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint8_t kSysExStart = 0xF0;
constexpr std::uint8_t kSysExEnd = 0xF7;
// How long a worker waits before offering a piece again to a service whose buffer was full: about
// a JACK period at the usual settings.
constexpr std::chrono::milliseconds kBusyRetry{1};

bool endsSysEx(const Bytes& bytes) {
    return std::find(bytes.begin(), bytes.end(), kSysExEnd) != bytes.end();
}

// A status byte other than F7 and the real-time ones ends an unfinished SysEx, as on a cable.
bool startsNewMessage(const Bytes& bytes) {
    return !bytes.empty() && bytes[0] >= 0x80 && bytes[0] < 0xF8 && bytes[0] != kSysExEnd;
}

} // namespace

struct MidiOutput::Job {
    Bytes bytes;
    Clock::time_point deadline;
    std::shared_ptr<Result> result;
    std::shared_ptr<bool> done;
};

struct MidiOutput::Line {
    Line(std::unique_ptr<BackendOutput> p, Carriage c) : port(std::move(p)), carriage(c) {}

    void run();
    Result deliver(const Bytes& bytes, Clock::time_point deadline);
    Result putAll(const Bytes& message, Clock::time_point deadline);
    bool idle() const { return !busy && jobs.empty(); }

    std::unique_ptr<BackendOutput> port;
    const Carriage carriage;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Job> jobs;
    bool busy = false;
    bool stopping = false;
    std::chrono::milliseconds pause{0};
    std::thread worker;
    // Used by the worker only.
    Bytes partial; // a SysEx being joined for a back-end that takes it only whole
    Pacer pacer;
};

void MidiOutput::Line::run() {
    std::unique_lock lock(mutex);
    for (;;) {
        changed.wait(lock, [&] { return stopping || !jobs.empty(); });
        if (jobs.empty()) break;
        Job job = std::move(jobs.front());
        jobs.pop_front();
        busy = true;
        lock.unlock();
        const Result result = deliver(job.bytes, job.deadline);
        lock.lock();
        busy = false;
        *job.result = result;
        *job.done = true;
        changed.notify_all();
    }
    lock.unlock();
    port.reset(); // closes the port once what was sent has left it
}

MidiOutput::Result MidiOutput::Line::deliver(const Bytes& bytes, Clock::time_point deadline) {
    if (!carriage.sysExWhole) return putAll(bytes, deadline);
    // Pieces of one SysEx that the caller sends one by one are joined up to the F7 first.
    if (!partial.empty() && startsNewMessage(bytes)) partial.clear();
    if (partial.empty() && (bytes.empty() || bytes[0] != kSysExStart || endsSysEx(bytes)))
        return putAll(bytes, deadline);
    partial.insert(partial.end(), bytes.begin(), bytes.end());
    if (!endsSysEx(partial)) return {}; // taken; it leaves with its end
    const Bytes whole = std::move(partial);
    partial.clear();
    return putAll(whole, deadline);
}

MidiOutput::Result MidiOutput::Line::putAll(const Bytes& message, Clock::time_point deadline) {
    {
        std::lock_guard lock(mutex);
        pacer.setPause(pause);
    }
    const Clock::time_point start = pacer.beginMessage();

    Result result;
    for (std::size_t at = 0; at < message.size();) {
        const std::size_t length =
            std::min(std::max<std::size_t>(carriage.largestPiece, 1), message.size() - at);
        switch (port->put(message.data() + at, length, result.error)) {
        case BackendOutput::Put::Taken:
            at += length;
            break;
        case BackendOutput::Put::Busy:
            if (Clock::now() >= deadline) return {Outcome::TimedOut, result.error};
            std::this_thread::sleep_for(kBusyRetry);
            break;
        case BackendOutput::Put::Refused:
            return {Outcome::Refused, result.error};
        case BackendOutput::Put::ServiceStopped:
            return {Outcome::ServiceStopped, result.error};
        }
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    switch (port->drain(std::max(left, std::chrono::milliseconds(0)))) {
    case BackendOutput::Drained::Done:
        break;
    case BackendOutput::Drained::TimedOut:
        return {Outcome::TimedOut, result.error};
    case BackendOutput::Drained::ServiceStopped:
        return {Outcome::ServiceStopped, result.error};
    case BackendOutput::Drained::PortGone:
        return {Outcome::PortGone, result.error};
    }
    pacer.endMessage(start, message.size());
    return result;
}

std::shared_ptr<MidiOutput> MidiOutput::open(const OpenRequest& request, std::string& error,
                                             Backend& backend) {
    auto port = backend.openOutput(request, error);
    if (!port) return nullptr;
    auto line = std::make_shared<Line>(std::move(port), backend.carriage());
    // The worker holds the line too, so a worker left behind in a dead service keeps what it uses.
    line->worker = std::thread([line] { line->run(); });
    return std::shared_ptr<MidiOutput>(new MidiOutput(std::move(line)));
}

MidiOutput::~MidiOutput() {
    close(std::chrono::seconds(1));
}

void MidiOutput::setPause(std::chrono::milliseconds pause) {
    std::lock_guard lock(line_->mutex);
    line_->pause = std::max(pause, std::chrono::milliseconds(0));
}

MidiOutput::Result MidiOutput::send(Bytes message, std::chrono::milliseconds ready,
                                    std::chrono::milliseconds done) {
    Line& line = *line_;
    std::unique_lock lock(line.mutex);
    if (line.stopping) return {Outcome::Closed, {}};
    if (!line.changed.wait_for(lock, ready, [&] { return line.idle() || line.stopping; }))
        return {Outcome::TimedOut, {}};
    if (line.stopping) return {Outcome::Closed, {}};
    Job job{std::move(message), Clock::now() + done, std::make_shared<Result>(),
            std::make_shared<bool>(false)};
    const auto result = job.result;
    const auto finished = job.done;
    line.jobs.push_back(std::move(job));
    line.changed.notify_all();
    if (!line.changed.wait_for(lock, done, [&] { return *finished; }))
        return {Outcome::TimedOut, {}};
    return *result;
}

void MidiOutput::close(std::chrono::milliseconds patience) {
    Line& line = *line_;
    std::unique_lock lock(line.mutex);
    if (!line.worker.joinable()) return;
    line.stopping = true;
    for (Job& job : line.jobs) {
        job.result->outcome = Outcome::Closed;
        *job.done = true;
    }
    line.jobs.clear();
    line.changed.notify_all();
    const bool finished = line.changed.wait_for(lock, patience, [&] { return !line.busy; });
    lock.unlock();
    if (finished)
        line.worker.join();
    else
        line.worker
            .detach(); // stuck in the MIDI service: it owns the line and frees it if it returns
}

std::string MidiOutput::Result::text() const {
    std::string text = describe(outcome);
    if (!error.empty() && outcome != Outcome::Sent) text += " (" + error + ")";
    return text;
}

const char* describe(MidiOutput::Outcome outcome) {
    switch (outcome) {
    case MidiOutput::Outcome::Sent:
        return "Sent";
    case MidiOutput::Outcome::TimedOut:
        return "The MIDI output did not take the message in time";
    case MidiOutput::Outcome::Refused:
        return "The MIDI output refused the message";
    case MidiOutput::Outcome::ServiceStopped:
        return "The MIDI service stopped";
    case MidiOutput::Outcome::PortGone:
        return "The MIDI port went away before the message had left";
    case MidiOutput::Outcome::Closed:
        return "The MIDI output is closed";
    }
    return "";
}

} // namespace midi
