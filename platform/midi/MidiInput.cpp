#include "midi/MidiInput.h"

namespace midi {

std::shared_ptr<MidiInput> MidiInput::open(const OpenRequest& request, std::string& error,
                                           Backend& backend, Limits limits) {
    std::shared_ptr<MidiInput> input(new MidiInput(limits));
    MidiInput* raw = input.get(); // the port is closed before the object goes
    InputHandlers handlers{
        .message = [raw](const std::uint8_t* bytes,
                         std::size_t length) { raw->arrive(bytes, length); },
        .serviceStopped = [raw] { raw->stop(); },
    };
    input->port_ = backend.openInput(request, std::move(handlers), error);
    if (!input->port_) return nullptr;
    return input;
}

MidiInput::~MidiInput() {
    close();
}

void MidiInput::close() {
    std::lock_guard once(closing_);
    {
        std::lock_guard lock(mutex_);
        open_ = false;
        queue_.clear();
        queuedBytes_ = 0;
    }
    changed_.notify_all();
    // The port goes without the queue's lock: closing waits for a handler in progress, and that
    // handler may be waiting for the lock.
    port_.reset();
}

void MidiInput::arrive(const std::uint8_t* bytes, std::size_t length) {
    if (length == 0 || (limits_.sysExOnly && bytes[0] != 0xF0)) return;
    {
        std::lock_guard lock(mutex_);
        if (!open_) return;
        if (queue_.size() + 1 > limits_.messages || queuedBytes_ + length > limits_.bytes) {
            ++dropped_;
            return;
        }
        queue_.emplace_back(bytes, bytes + length);
        queuedBytes_ += length;
    }
    changed_.notify_all();
}

void MidiInput::stop() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    changed_.notify_all();
}

MidiInput::Outcome MidiInput::next(Bytes& message, std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    // What arrived before the service stopped is still handed out.
    changed_.wait_for(lock, wait, [&] { return !queue_.empty() || !open_ || stopped_; });
    if (!open_) return Outcome::Closed;
    if (!queue_.empty()) {
        message = std::move(queue_.front());
        queue_.pop_front();
        queuedBytes_ -= message.size();
        return Outcome::Message;
    }
    return stopped_ ? Outcome::ServiceStopped : Outcome::TimedOut;
}

bool MidiInput::serviceStopped() const {
    std::lock_guard lock(mutex_);
    return stopped_;
}

std::size_t MidiInput::dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

const char* describe(MidiInput::Outcome outcome) {
    switch (outcome) {
    case MidiInput::Outcome::Message:
        return "A message arrived";
    case MidiInput::Outcome::TimedOut:
        return "Nothing arrived in time";
    case MidiInput::Outcome::ServiceStopped:
        return "The MIDI service stopped";
    case MidiInput::Outcome::Closed:
        return "The MIDI input was closed";
    }
    return "";
}

} // namespace midi
