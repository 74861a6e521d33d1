#pragma once
// What a reception shows in the windows: the dialogs, the status bar's first pane, error boxes
// and the busy cursor. While an exchange waits for the module the windows paint, but input is
// dropped, so no second exchange can start while the ports are open and no click made meanwhile
// acts later.

#include "pulvex/model/Reception.h"

#include <QPointer>

class QMainWindow;

namespace pulvex_app {

class CRead_Progress;

class WindowReceptionUi : public pulvex::ReceptionUi {
public:
    explicit WindowReceptionUi(QMainWindow& frame);
    ~WindowReceptionUi() override;

    void showReadyPrompt() override;
    void openProgress(const std::string& text) override;
    void setProgress(const std::string& text) override;
    void closeProgress() override;
    bool hasStatusBar() const override;
    void setStatus(const std::string& text) override;
    void showError(const std::string& text) override;
    void beginBusy() override;
    void endBusy() override;
    void dispatchPendingEvent() override;
    void whileWaiting(const std::function<void()>& wait) override;
    bool chooseKit(pulvex::KitBank& bank, int& number) override;

private:
    QMainWindow& frame_;
    QPointer<CRead_Progress> progress_;
};

} // namespace pulvex_app
