#include "WindowReceptionUi.h"

#include "ReadDialogs.h"
#include "UserDialogs.h"

#include <QApplication>
#include <QEventLoop>
#include <QMainWindow>
#include <QStatusBar>
#include <exception>
#include <thread>

namespace pulvex_app {
namespace {

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

// Drops all user input to every window while it exists, the window's close button included: its
// question about saving could not be answered meanwhile.
class InputBlocker : public QObject {
public:
    InputBlocker() { QApplication::instance()->installEventFilter(this); }
    ~InputBlocker() override { QApplication::instance()->removeEventFilter(this); }
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        return isUserInput(event->type()) ||
               (event->type() == QEvent::Close && event->spontaneous());
    }
};

} // namespace

WindowReceptionUi::WindowReceptionUi(QMainWindow& frame) : frame_(frame) {}

WindowReceptionUi::~WindowReceptionUi() {
    closeProgress();
}

void WindowReceptionUi::showReadyPrompt() {
    CRead_Ready ready(&frame_);
    userDialogs().run(ready);
}

void WindowReceptionUi::openProgress(const std::string& text) {
    closeProgress();
    progress_ = new CRead_Progress(&frame_);
    progress_->SetText(QString::fromStdString(text));
    centreOver(*progress_, &frame_);
    progress_->repaint();
}

void WindowReceptionUi::setProgress(const std::string& text) {
    if (progress_) progress_->SetText(QString::fromStdString(text));
}

void WindowReceptionUi::closeProgress() {
    if (progress_) delete progress_.data();
}

bool WindowReceptionUi::hasStatusBar() const {
    return frame_.statusBar() != nullptr;
}

void WindowReceptionUi::setStatus(const std::string& text) {
    frame_.statusBar()->showMessage(QString::fromStdString(text));
}

void WindowReceptionUi::showError(const std::string& text) {
    pulvex_app::showError(&frame_, QString::fromStdString(text));
}

void WindowReceptionUi::beginBusy() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void WindowReceptionUi::endBusy() {
    QApplication::restoreOverrideCursor();
}

void WindowReceptionUi::dispatchPendingEvent() {
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void WindowReceptionUi::whileWaiting(const std::function<void()>& wait) {
    // Wirebox blocks until the reply or the time-out; on a thread of its own the event loop goes
    // on meanwhile, so the windows paint. The thread only waits (Wirebox shows nothing while it
    // receives) and fills in what the caller asked for: everything else stays on this one. Input
    // made meanwhile is dropped, not kept for later: a click on a busy window must not act once
    // it is idle.
    const InputBlocker blocker;
    QEventLoop loop;
    std::exception_ptr failure;
    std::thread waiting([&] {
        try {
            wait();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    waiting.join();
    if (failure) std::rethrow_exception(failure);
}

bool WindowReceptionUi::chooseKit(pulvex::KitBank& bank, int& number) {
    CRead_Kit dialog(&frame_);
    if (userDialogs().run(dialog) != QDialog::Accepted) return false;
    bank = dialog.bank();
    number = dialog.kitNumber();
    return true;
}

} // namespace pulvex_app
