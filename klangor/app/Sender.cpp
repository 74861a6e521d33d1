#include "Sender.h"

#include "midi/Pacer.h"

#include <QCoreApplication>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace klangor {

QString sentText(const std::string& voiceName, const std::string& port, std::size_t bytes) {
    return QString("Sent \"%1\" to %2 (%3 bytes)")
        .arg(QString::fromStdString(voiceName).trimmed(), QString::fromStdString(port))
        .arg(bytes);
}

struct VoiceSender::Queue {
    struct Job {
        Outgoing outgoing;
        bool replaceable = false; // a latest send, not started yet
    };

    void run();
    void push(Outgoing outgoing, bool replaceable);

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Job> jobs;
    bool stopping = false;
    bool busy = false;
    std::chrono::milliseconds timeout{5000};
    std::chrono::milliseconds pause{0};
    midi::Pacer pacer;              // the worker's alone
    QObject* inbox = nullptr;       // null once the sender is gone
    ResultHandler onResult;         // called on the GUI thread only
    std::atomic<int> unreported{0}; // sends whose result the GUI thread has not yet shown
    std::thread worker;
};

void VoiceSender::Queue::run() {
    std::unique_lock lock(mutex);
    for (;;) {
        changed.wait(lock, [&] { return stopping || !jobs.empty(); });
        if (jobs.empty()) return;
        // The pause after the last dump runs out before the next job is taken, so that edits
        // made meanwhile still replace it and the newest voice goes.
        pacer.setPause(pause);
        lock.unlock();
        pacer.beginMessage();
        lock.lock();
        const Job job = std::move(jobs.front());
        jobs.pop_front();
        busy = true;
        morvex::SendOptions options;
        options.timeout = timeout;
        options.pacer = &pacer;
        std::string port;
        options.opened = [&port](const std::string& name) { port = name; };
        bool missing = false;
        options.missing = [&missing] { missing = true; };
        lock.unlock();
        const Outgoing& out = job.outgoing;
        const morvex::Status problem = morvex::sendMessage(out.message, out.to, options);
        lock.lock();
        busy = false;
        changed.notify_all();
        if (!inbox) continue;
        const QString note = problem ? QString::fromStdString(problem->text) +
                                           (missing ? QString(kSetupOffer) : QString())
                                     : sentText(out.voiceName, port, out.message.size());
        QMetaObject::invokeMethod(
            inbox,
            [this, note, sent = !problem] {
                onResult(note, sent);
                --unreported;
            },
            Qt::QueuedConnection);
    }
}

VoiceSender::VoiceSender(ResultHandler onResult) : queue_(std::make_shared<Queue>()) {
    queue_->inbox = &inbox_;
    queue_->onResult = std::move(onResult);
    // The worker holds the queue too, so one left behind in a hung service keeps what it uses.
    queue_->worker = std::thread([queue = queue_] { queue->run(); });
}

VoiceSender::~VoiceSender() {
    std::unique_lock lock(queue_->mutex);
    queue_->inbox = nullptr;
    queue_->stopping = true;
    queue_->changed.notify_all();
    const auto patience = queue_->timeout * static_cast<int>(queue_->jobs.size() + 1);
    const bool finished = queue_->changed.wait_for(
        lock, patience, [&] { return queue_->jobs.empty() && !queue_->busy; });
    lock.unlock();
    if (finished)
        queue_->worker.join();
    else
        queue_->worker.detach();
}

void VoiceSender::Queue::push(Outgoing outgoing, bool replaceable) {
    std::lock_guard lock(mutex);
    if (replaceable && !jobs.empty() && jobs.back().replaceable) {
        jobs.back().outgoing = std::move(outgoing);
        return;
    }
    ++unreported;
    jobs.push_back({std::move(outgoing), replaceable});
    changed.notify_all();
}

void VoiceSender::send(std::vector<std::uint8_t> message, morvex::Destination to) {
    send({std::move(message), std::move(to), {}});
}

void VoiceSender::send(Outgoing outgoing) {
    queue_->push(std::move(outgoing), false);
}

void VoiceSender::sendLatest(Outgoing outgoing) {
    queue_->push(std::move(outgoing), true);
}

void VoiceSender::setPause(std::chrono::milliseconds pause) {
    std::lock_guard lock(queue_->mutex);
    queue_->pause = pause;
}

void VoiceSender::setTimeout(std::chrono::milliseconds timeout) {
    std::lock_guard lock(queue_->mutex);
    queue_->timeout = timeout;
}

bool VoiceSender::waitUntilIdle(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (queue_->unreported > 0) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace klangor
