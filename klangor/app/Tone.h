#pragma once
// The Tone page: per element whether it sounds, its wave, volume, frequency shift, pan,
// aftertouch and velocity sensitivity and LFO, plus tone level and feedback of the FM elements,
// and the two random buttons that send at once.

#include "EditPage.h"

#include "morvex/ToneValues.h"

#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QSpinBox;

namespace klangor {

// A group box of exclusive radio buttons addressed by index, like the toolkit's radio group.
struct RadioGroup {
    QGroupBox* box = nullptr;
    QButtonGroup* buttons = nullptr;

    int index() const;
    // An index outside the items selects the nearest item, as a spin box clamps its value.
    void setIndex(int index);
};

class TFTone : public EditPage {
    Q_OBJECT
public:
    explicit TFTone(Session& session, QWidget* parent = nullptr);

    void ChVars() override;
    int helpContext() const override { return 1400; }

protected:
    void fillControls() override;

private:
    // Four-wide controls are held A, B, C, D; two-wide ones B, D. Each widget's object name is its
    // own name (Volume1, LFODlyA, ToneLevD ...).
    void buildControls();
    void buildLayout();
    void connectHandlers();

    void AWMSelect1(int element);
    void FMSelect1(int element);
    void CheckClick(int element);
    void RandWaveTypes();
    void RandLFOValues();

    morvex::ToneControls controls() const;
    // Which of the values the controls show the user changed since the page was filled.
    morvex::ToneEdits edits() const;
    void showControls(const morvex::ToneControls& c);
    void showWaves(const morvex::ToneControls& c);
    void showReports(const std::vector<morvex::Report>& reports);

    std::array<QCheckBox*, 4> Check{};    // CheckA..CheckD
    std::array<QComboBox*, 4> ComboBox{}; // ComboBox1..ComboBox4
    std::array<QSpinBox*, 4> Volume{};    // Volume1..Volume4
    std::array<QSpinBox*, 4> FreqShift{}; // FreqShift1..FreqShift4
    std::array<RadioGroup, 4> Pano{};     // PanoA..PanoD
    std::array<QSpinBox*, 4> ATouch{};
    std::array<QSpinBox*, 4> Velo{};
    std::array<QSpinBox*, 4> LFOAM{};
    std::array<QSpinBox*, 4> LFOPM{};
    std::array<QCheckBox*, 2> AMtoMod{};
    std::array<QCheckBox*, 2> AMtoCar{};
    std::array<QCheckBox*, 2> PMtoMod{};
    std::array<QCheckBox*, 2> PMtoCar{};
    std::array<QSpinBox*, 4> LFODly{};
    std::array<QSpinBox*, 4> LFODlyRate{};
    std::array<RadioGroup, 4> LFOForm{};
    std::array<QSpinBox*, 4> LFOSpeed{};
    std::array<QSpinBox*, 2> ToneLev{};
    std::array<QSpinBox*, 2> ToneFB{};
    QPushButton* RandVoices = nullptr;
    QPushButton* RandLFO = nullptr;
};

} // namespace klangor
