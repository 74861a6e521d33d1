#pragma once
// The FM edit page: the FM blocks of the elements B and D box by box. Touching a control of an
// element makes its FM wave user-defined.

#include "EditPage.h"

#include "morvex/FmEditLogic.h"

#include <array>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace klangor {

class TFFMEdit : public EditPage {
    Q_OBJECT
public:
    explicit TFFMEdit(Session& session, QWidget* parent = nullptr);

    void ChVars() override;
    int helpContext() const override { return 1600; }

protected:
    void fillControls() override;
    // A left click on the background stores the page as well, without sending.
    void RMouse12(Qt::MouseButton button) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct ElementControls {
        // Per field of the field table: a check box for switches, a spin box otherwise.
        std::array<QCheckBox*, morvex::kFmEditFieldCount> checks{};
        std::array<QSpinBox*, morvex::kFmEditFieldCount> spins{};
        QLabel* levelPicture = nullptr; // IFMB6a / IFMD6a
        QLabel* ratePicture = nullptr;  // IFMB6b / IFMD6b
    };

    void createControls(morvex::FmElement element);
    void layOut();

    morvex::FmEditValues boxes(morvex::FmElement element) const;
    void setBoxes(morvex::FmElement element, const morvex::FmEditValues& values);

    void RandomFMBVal();
    void RandomFMDVal();
    void CopyBD();
    void CopyDB();
    void ConnectImage(morvex::FmElement element, bool level);

    ElementControls& controls(morvex::FmElement element) {
        return controls_[morvex::fmIndex(element)];
    }
    const ElementControls& controls(morvex::FmElement element) const {
        return controls_[morvex::fmIndex(element)];
    }

    std::array<ElementControls, morvex::kFmElementCount> controls_{};
    QPushButton* RandFMB;
    QPushButton* RandFMD;
    QPushButton* CopyBD1;
    QPushButton* CopyDB1;
};

} // namespace klangor
