#include "Tone.h"

#include "AccessibleNames.h"
#include "Session.h"

#include "morvex/RandomSource.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <algorithm>

namespace klangor {
namespace {

int fmSlot(int element) {
    return element == morvex::D ? 1 : 0;
}

} // namespace

TFTone::TFTone(Session& session, QWidget* parent) : EditPage(session, parent) {
    setWindowTitle("Tone");
    buildControls();
    buildLayout();
    connectHandlers();
    nameControls(*this);
}

void TFTone::connectHandlers() {
    for (int e = 0; e < 4; ++e) {
        connect(Check[e], &QCheckBox::toggled, this, [this, e] { CheckClick(e); });
        connect(ComboBox[e], &QComboBox::currentIndexChanged, this, [this, e] {
            if (morvex::isFmElement(e))
                FMSelect1(e);
            else
                AWMSelect1(e);
        });
        attachStepping(Volume[e], StepRule::Snap);
        attachStepping(LFODly[e], StepRule::Snap);
        attachStepping(LFODlyRate[e], StepRule::Snap);
    }
    for (QSpinBox* box : ToneLev) attachStepping(box, StepRule::Snap);
    connect(RandVoices, &QPushButton::clicked, this, &TFTone::RandWaveTypes);
    connect(RandLFO, &QPushButton::clicked, this, &TFTone::RandLFOValues);
}

void TFTone::fillControls() {
    // The boxes follow the element switches without running their handlers: an element that is
    // already off keeps the volume it had when it was switched off, instead of remembering the
    // design value the fresh page shows.
    for (int e = 0; e < 4; ++e) {
        const QSignalBlocker quiet(Check[e]);
        Check[e]->setChecked(state().elementSwitch[e] != 0);
    }
    showControls(morvex::ReadToneControls(state()));
}

void TFTone::ChVars() {
    showReports(morvex::StoreToneControls(state(), controls(), state().startDir, edits()));
}

morvex::ToneEdits TFTone::edits() const {
    morvex::ToneEdits edits;
    for (int e = 0; e < 4; ++e) {
        morvex::ToneElementEdits& changed = edits.elements[e];
        const bool fm = morvex::isFmElement(e);
        const int f = fmSlot(e);
        changed.wave = edited({ComboBox[e]});
        changed.volume = edited({Volume[e]});
        changed.freqShift = edited({FreqShift[e]});
        changed.pan = edited({Pano[e].buttons});
        changed.sensitivity = edited({ATouch[e], Velo[e]});
        changed.am = edited({LFOAM[e]}) || (fm && edited({AMtoMod[f], AMtoCar[f]}));
        changed.pm = edited({LFOPM[e]}) || (fm && edited({PMtoMod[f], PMtoCar[f]}));
        changed.lfoDelay = edited({LFODly[e]});
        changed.lfoRate = edited({LFODlyRate[e]});
        changed.formSpeed = edited({LFOForm[e].buttons, LFOSpeed[e]});
    }
    for (int f = 0; f < 2; ++f) {
        edits.toneLevel[f] = edited({ToneLev[f]});
        edits.toneFeedback[f] = edited({ToneFB[f]});
    }
    return edits;
}

morvex::ToneControls TFTone::controls() const {
    morvex::ToneControls c;
    for (int e = 0; e < 4; ++e) {
        morvex::ToneElement& t = c.elements[e];
        t.wave = ComboBox[e]->currentIndex();
        t.volume = Volume[e]->value();
        t.freqShift = FreqShift[e]->value();
        t.pan = Pano[e].index();
        t.sensitivity = {ATouch[e]->value(), Velo[e]->value()};
        t.am.depth = LFOAM[e]->value();
        t.pm.depth = LFOPM[e]->value();
        if (morvex::isFmElement(e)) {
            const int f = fmSlot(e);
            t.am.routing = {AMtoMod[f]->isChecked(), AMtoCar[f]->isChecked()};
            t.pm.routing = {PMtoMod[f]->isChecked(), PMtoCar[f]->isChecked()};
        }
        t.lfoDelay = LFODly[e]->value();
        t.lfoRate = LFODlyRate[e]->value();
        t.formSpeed = {LFOForm[e].index(), LFOSpeed[e]->value()};
    }
    for (int f = 0; f < 2; ++f) {
        c.toneLevel[f] = ToneLev[f]->value();
        c.toneFeedback[f] = ToneFB[f]->value();
    }
    return c;
}

void TFTone::showWaves(const morvex::ToneControls& c) {
    // Showing a wave is not choosing one: the change handlers stay quiet.
    for (int e = 0; e < 4; ++e) {
        const QSignalBlocker quiet(ComboBox[e]);
        ComboBox[e]->setCurrentIndex(std::clamp(c.elements[e].wave, 0, ComboBox[e]->count() - 1));
    }
}

void TFTone::showControls(const morvex::ToneControls& c) {
    showWaves(c);
    for (int e = 0; e < 4; ++e) {
        const morvex::ToneElement& t = c.elements[e];
        Volume[e]->setValue(t.volume);
        FreqShift[e]->setValue(t.freqShift);
        Pano[e].setIndex(t.pan);
        ATouch[e]->setValue(t.sensitivity.aftertouch);
        Velo[e]->setValue(t.sensitivity.velocity);
        LFOAM[e]->setValue(t.am.depth);
        LFOPM[e]->setValue(t.pm.depth);
        if (morvex::isFmElement(e)) {
            const int f = fmSlot(e);
            AMtoMod[f]->setChecked(t.am.routing.toModulator);
            AMtoCar[f]->setChecked(t.am.routing.toCarrier);
            PMtoMod[f]->setChecked(t.pm.routing.toModulator);
            PMtoCar[f]->setChecked(t.pm.routing.toCarrier);
        }
        LFODly[e]->setValue(t.lfoDelay);
        LFODlyRate[e]->setValue(t.lfoRate);
        LFOForm[e].setIndex(t.formSpeed.form);
        LFOSpeed[e]->setValue(t.formSpeed.speed);
    }
    for (int f = 0; f < 2; ++f) {
        ToneLev[f]->setValue(c.toneLevel[f]);
        ToneFB[f]->setValue(c.toneFeedback[f]);
    }
}

void TFTone::showReports(const std::vector<morvex::Report>& reports) {
    for (const morvex::Report& report : reports) showReport(report);
}

void TFTone::AWMSelect1(int element) {
    state().voiceParams.wave[element] = ComboBox[element]->currentIndex();
}

void TFTone::FMSelect1(int element) {
    const int f = fmSlot(element);
    if (morvex::Status problem =
            morvex::SelectFmWave(state(), morvex::fmElementOf(element),
                                 ComboBox[element]->currentIndex(), state().startDir))
        showReport(*problem);
    ToneLev[f]->setValue(state().voiceParams.toneLevel[f]);
    ToneFB[f]->setValue(state().voiceParams.toneFeedback[f]);
}

void TFTone::CheckClick(int element) {
    Volume[element]->setValue(morvex::SwitchElement(state(), session().mutedVolume(), element,
                                                    Check[element]->isChecked(),
                                                    Volume[element]->value()));
}

void TFTone::RandWaveTypes() {
    sendChangedVoice([this] {
        showReports(morvex::RandomizeWaves(state(), session().random(), state().startDir));
    });
}

void TFTone::RandLFOValues() {
    sendChangedVoice([this] {
        morvex::ToneControls shown = controls();
        morvex::RandomizeLfo(state(), session().random(), shown);
    });
}

} // namespace klangor
