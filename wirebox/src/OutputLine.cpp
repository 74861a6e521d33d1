#include "OutputLine.h"

namespace wirebox {

std::shared_ptr<OutputLine> OutputLine::start(std::unique_ptr<MidiOutputPort> port,
                                              std::size_t largestPiece) {
    std::shared_ptr<OutputLine> line(new OutputLine(std::move(port), largestPiece));
    // The worker holds the line too, so a worker left behind in a dead service keeps what it uses.
    line->worker_ = std::thread([line] { line->run(); });
    return line;
}

void OutputLine::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty()) break;
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        busy_ = true;
        lock.unlock();
        const bool ok = sendInPieces(job.bytes);
        lock.lock();
        busy_ = false;
        *job.ok = ok;
        *job.done = true;
        changed_.notify_all();
    }
    lock.unlock();
    port_.reset(); // closes the port once what was sent has left it
}

// A long message goes out in pieces that the receiver joins again: SysEx continues until its F7.
bool OutputLine::sendInPieces(const Bytes& bytes) {
    bool ok = true;
    for (std::size_t at = 0; at < bytes.size() && ok; at += largestPiece_)
        ok = port_->send(bytes.data() + at, std::min(largestPiece_, bytes.size() - at));
    return ok;
}

bool OutputLine::send(Bytes bytes, std::chrono::milliseconds ready,
                      std::chrono::milliseconds done) {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, ready, [&] { return idle() || stopping_; }) || stopping_)
        return false;
    Job job{std::move(bytes), std::make_shared<bool>(false), std::make_shared<bool>(false)};
    const auto finished = job.done;
    const auto ok = job.ok;
    jobs_.push_back(std::move(job));
    changed_.notify_all();
    return changed_.wait_for(lock, done, [&] { return *finished; }) && *ok;
}

void OutputLine::stop(std::chrono::milliseconds patience) {
    std::unique_lock lock(mutex_);
    stopping_ = true;
    jobs_.clear();
    changed_.notify_all();
    const bool finished = changed_.wait_for(lock, patience, [&] { return !busy_; });
    lock.unlock();
    if (finished)
        worker_.join();
    else
        worker_.detach(); // stuck in the MIDI service: it owns the line and frees it if it returns
}

} // namespace wirebox
