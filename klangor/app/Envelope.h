#pragma once
// The Envelope page: the amplitude envelopes of the four elements with their scaling types and
// pictures, the envelope delay, preset shapes, random envelopes, copying between elements, and
// the graph window that follows every change while it is in use.

#include "EditPage.h"

#include "morvex/EnvelopeLogic.h"

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace klangor {

class TFAudioGra;

class TFEnvelope : public EditPage {
    Q_OBJECT
public:
    explicit TFEnvelope(Session& session, QWidget* parent = nullptr);

    void ChVars() override;
    int helpContext() const override { return 1500; }

    TFAudioGra* graphWindow() const { return FAudioGra; }

protected:
    void fillControls() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using ElementBoxes = std::array<QSpinBox*, morvex::kElementCount>;
    using ElementLabels = std::array<QLabel*, morvex::kElementCount>;

    void buildControls();
    void buildLayout();

    void ChGra(QSpinBox* box);
    void ChAllGra();
    void redrawGraph();
    void ChEnvType(int element);
    void ConnectImage(QSpinBox* box);
    void loadPicture(QLabel* picture, bool level, int type);
    void LoadEnvelopeType(int element, int entry);
    void RandEnvelope();
    void CopyParms();
    void EnvGraClick();
    void setEnvelopeBoxes(int element, const morvex::EnvelopeRecord& values, int fields);

    // boxes[field][element] in the order of morvex::EnvelopeField: InitialA..D, ALA..D, ARA..D,
    // D1LA..D, D1RA..D, D2LA..D, D2RA..D, RRA..D, ScLevA..D, ScRateA..D.
    std::array<ElementBoxes, morvex::kEnvelopeFieldCount> boxes{};
    ElementLabels IScLev{};
    ElementLabels IScRate{};
    QSpinBox* DelRate = nullptr;
    std::array<QCheckBox*, morvex::kElementCount> DR{};
    std::array<QComboBox*, morvex::kElementCount> EnvType{};
    QComboBox* ParmSource = nullptr;
    QComboBox* ParmDest = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* RandEnv = nullptr;
    QPushButton* EnvGra = nullptr;
    TFAudioGra* FAudioGra = nullptr;

    // Set by "Rand. Env." while it refills the page: the level and rate boxes do not redraw.
    bool EnvRedrawSuspended = false;
    // Set while InitVars fills the page, so no change handler stores a half-filled page.
    bool filling_ = false;
};

} // namespace klangor
