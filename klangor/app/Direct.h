#pragma once
// The Direct edit page: sets any two raw voice bytes by their offset and sends the voice at once,
// for the bytes no other page edits.

#include "EditPage.h"

class QPushButton;
class QSpinBox;

namespace klangor {

class TFDirectEd : public EditPage {
    Q_OBJECT
public:
    explicit TFDirectEd(Session& session, QWidget* parent = nullptr);

    // Writes the bytes whose value box the user set, and sends: also whenever the main window
    // leaves the page.
    void ChVars() override;
    // Its value boxes only count once "Send Directly" takes them.
    bool storesEachCommit() const override { return false; }

protected:
    void fillControls() override;
    void RMouse12(Qt::MouseButton) override {} // this page sends with its button only

private:
    void LinkASCII(QSpinBox* position);

    QSpinBox* Position1;
    QSpinBox* ASCIIEdit1;
    QSpinBox* Position2;
    QSpinBox* ASCIIEdit2;
    QPushButton* SendDirect;
};

} // namespace klangor
