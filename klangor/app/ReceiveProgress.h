#pragma once
// Receiving a voice from the synthesizer in the window: a small modal window with Cancel while the
// exchange runs off the GUI thread, so the window keeps painting and Cancel is heard at once.

#include "morvex/ReceiveVoice.h"

#include <QDialog>
#include <atomic>
#include <thread>

class QLabel;

namespace klangor {

class ReceiveProgress : public QDialog {
    Q_OBJECT
public:
    ReceiveProgress(QWidget* parent, morvex::ReceiveOptions options);
    ~ReceiveProgress() override;

    // Runs the exchange while the window is shown; its result once it has ended.
    morvex::ReceivedVoice run();

    // Cancel, Escape and closing the window: the wait ends at once, the window with it.
    void reject() override;

private:
    morvex::ReceiveOptions options_;
    std::atomic<bool> cancel_{false};
    morvex::ReceivedVoice result_;
    std::thread worker_;
    QLabel* label_;
};

} // namespace klangor
