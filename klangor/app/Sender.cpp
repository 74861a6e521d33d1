#include "Sender.h"

#include "Services.h"

#include <QCoreApplication>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace klangor {

struct VoiceSender::Queue {
    struct Job {
        std::vector<std::uint8_t> message;
        morvex::Destination to;
    };

    void run();

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Job> jobs;
    bool stopping = false;
    bool busy = false;
    std::chrono::milliseconds timeout{5000};
    QObject* inbox = nullptr;       // null once the sender is gone
    std::atomic<int> unreported{0}; // sends whose result the GUI thread has not yet shown
    std::thread worker;
};

void VoiceSender::Queue::run() {
    std::unique_lock lock(mutex);
    for (;;) {
        changed.wait(lock, [&] { return stopping || !jobs.empty(); });
        if (jobs.empty()) return;
        const Job job = std::move(jobs.front());
        jobs.pop_front();
        busy = true;
        morvex::SendOptions options;
        options.timeout = timeout;
        lock.unlock();
        const morvex::Status problem = morvex::sendMessage(job.message, job.to, options);
        lock.lock();
        busy = false;
        changed.notify_all();
        if (!inbox) continue;
        const QString note = problem ? QString::fromStdString(problem->text) : QString();
        QMetaObject::invokeMethod(
            inbox,
            [this, note] {
                if (!note.isEmpty()) statusNote()(note);
                --unreported;
            },
            Qt::QueuedConnection);
    }
}

VoiceSender::VoiceSender() : queue_(std::make_shared<Queue>()) {
    queue_->inbox = &inbox_;
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

void VoiceSender::send(std::vector<std::uint8_t> message, morvex::Destination to) {
    ++queue_->unreported;
    std::lock_guard lock(queue_->mutex);
    queue_->jobs.push_back({std::move(message), std::move(to)});
    queue_->changed.notify_all();
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

VoiceSender& voiceSender() {
    static VoiceSender sender;
    return sender;
}

} // namespace klangor
