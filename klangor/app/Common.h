#pragma once
// The Common page: voice name, effect, element configuration, pitch bend, controller switches,
// aftertouch pitch and the two envelope offsets.

#include "EditPage.h"

#include <QStringList>
#include <array>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QSpinBox;

namespace klangor {

// The effect types in the order of their number (the effect value's low part).
const QStringList& effectNames();

// The controller switch check boxes' weights in the voice; weight 4 is always set and 8 never.
inline constexpr std::array<int, 5> kSwitchWeights = {1, 2, 16, 32, 64};
inline constexpr int kSwitchAlwaysSet = 4;

class TFCommon : public EditPage {
    Q_OBJECT
public:
    explicit TFCommon(Session& session, QWidget* parent = nullptr);

    void ChVars() override;
    int helpContext() const override { return 1200; }

protected:
    // Notes a typed letter that the voice name leaves out.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void fillControls() override;

private:
    QLineEdit* VName;
    QListWidget* Style;
    QSpinBox* Depth;
    QButtonGroup* Configuration;
    QSpinBox* PitchBend;
    std::array<QCheckBox*, 5>
        switchBoxes{}; // WheelAM, WheelPM, AftertouchAM, AftertouchPM, AftertouchLev
    QSpinBox* AftertouchPitch;
    QSpinBox* EnvelopeAR;
    QSpinBox* EnvelopeRR;
};

} // namespace klangor
