#include "ReceiveProgress.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace klangor {

ReceiveProgress::ReceiveProgress(QWidget* parent, morvex::ReceiveOptions options)
    : QDialog(parent), options_(std::move(options)),
      label_(new QLabel("Waiting for the voice from the Morvex...", this)) {
    setWindowTitle("Receive from Morvex");
    setModal(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &ReceiveProgress::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(buttons);
    options_.cancel = &cancel_;
    setMinimumWidth(320);
}

ReceiveProgress::~ReceiveProgress() {
    cancel_ = true;
    if (worker_.joinable()) worker_.join();
}

morvex::ReceivedVoice ReceiveProgress::run() {
    worker_ = std::thread([this] {
        morvex::ReceivedVoice result = morvex::ReceiveVoice(options_);
        // Back on the GUI thread; the window waits for this before it goes.
        QMetaObject::invokeMethod(
            this,
            [this, result = std::move(result)] {
                result_ = result;
                QDialog::done(Accepted);
            },
            Qt::QueuedConnection);
    });
    exec();
    worker_.join();
    return result_;
}

void ReceiveProgress::reject() {
    // The window stays until the worker has returned: it ends within moments of the flag.
    cancel_ = true;
    label_->setText("Cancelling...");
}

} // namespace klangor
