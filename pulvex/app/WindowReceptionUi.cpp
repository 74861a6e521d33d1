#include "WindowReceptionUi.h"

#include "ReadDialogs.h"
#include "UserDialogs.h"

#include <QApplication>
#include <QMainWindow>
#include <QStatusBar>

namespace pulvex_app {

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

bool WindowReceptionUi::chooseKit(pulvex::KitBank& bank, int& number) {
    CRead_Kit dialog(&frame_);
    if (userDialogs().run(dialog) != QDialog::Accepted) return false;
    bank = dialog.bank();
    number = dialog.kitNumber();
    return true;
}

} // namespace pulvex_app
