// The Tone page's controls and their arrangement; what they do is in Tone.cpp.
#include "Tone.h"

#include "morvex/WaveNames.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace klangor {
namespace {

constexpr std::array<char, 4> kLetters = {'A', 'B', 'C', 'D'};
constexpr int kRowHeight = 26;

QString letterName(const char* family, int element) {
    return QString::fromLatin1(family) + QChar::fromLatin1(kLetters[element]);
}

QString numberName(const char* family, int element) {
    return QString::fromLatin1(family) + QString::number(element + 1);
}

// Two-wide controls belong to the FM elements: slot 0 is B, slot 1 is D.
QString fmName(const char* family, int fmSlot) {
    return letterName(family, fmSlot == 0 ? morvex::B : morvex::D);
}

QSpinBox* spinBox(QWidget* parent, const QString& name, int minimum, int maximum, int design) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(minimum, maximum);
    box->setValue(design);
    return box;
}

QCheckBox* checkBox(QWidget* parent, const QString& name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

RadioGroup radioGroup(QWidget* parent, const QString& name, const QString& title,
                      const QStringList& items, int design) {
    RadioGroup group;
    group.box = new QGroupBox(title, parent);
    group.box->setObjectName(name);
    group.buttons = new QButtonGroup(group.box);
    auto* row = new QHBoxLayout(group.box);
    row->setContentsMargins(4, 2, 4, 2);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], group.box);
        group.buttons->addButton(button, i);
        row->addWidget(button);
    }
    group.setIndex(design);
    return group;
}

// A group box that holds one widget per element row A..D; rows without a widget stay empty so
// that the rows of all groups line up.
QGroupBox* rowGroup(QWidget* parent, const QString& title,
                    const std::array<std::vector<QWidget*>, 4>& rows) {
    auto* group = new QGroupBox(title, parent);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(4, 2, 4, 2);
    for (int e = 0; e < 4; ++e) {
        grid->setRowMinimumHeight(e, kRowHeight);
        grid->setRowStretch(e, 1);
        for (int column = 0; column < static_cast<int>(rows[e].size()); ++column)
            grid->addWidget(rows[e][column], e, column);
    }
    return group;
}

template <class Widget>
std::array<std::vector<QWidget*>, 4> fourRows(const std::array<Widget*, 4>& widgets) {
    return {{{widgets[0]}, {widgets[1]}, {widgets[2]}, {widgets[3]}}};
}

template <class Widget>
std::array<std::vector<QWidget*>, 4> fmRows(const std::array<Widget*, 2>& widgets) {
    return {{{}, {widgets[0]}, {}, {widgets[1]}}};
}

} // namespace

int RadioGroup::index() const {
    return buttons->checkedId();
}

void RadioGroup::setIndex(int index) {
    const int last = static_cast<int>(buttons->buttons().size()) - 1;
    buttons->button(std::clamp(index, 0, last))->setChecked(true);
}

void TFTone::buildControls() {
    QStringList awmWaves, fmWaves;
    for (std::string_view name : morvex::AwmWaveNames())
        awmWaves << QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    for (std::string_view name : morvex::FmWaveNames())
        fmWaves << QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));

    for (int e = 0; e < 4; ++e) {
        const bool fm = morvex::isFmElement(e);
        Check[e] = checkBox(this, letterName("Check", e), QString(QChar::fromLatin1(kLetters[e])));
        Check[e]->setChecked(true);
        ComboBox[e] = new QComboBox(this);
        ComboBox[e]->setObjectName(numberName("ComboBox", e));
        ComboBox[e]->addItems(fm ? fmWaves : awmWaves);
        ComboBox[e]->setMaxVisibleItems(24);
        Volume[e] = spinBox(this, numberName("Volume", e), 0, 99, 99);
        FreqShift[e] = spinBox(this, numberName("FreqShift", e), -12, 12, 0);
        Pano[e] = radioGroup(this, letterName("Pano", e), letterName(" PAN ", e),
                             {"LL", "L", "M", "R", "RR"}, 0);
        ATouch[e] = spinBox(this, letterName("ATouch", e), -3, 3, 0);
        Velo[e] = spinBox(this, letterName("Velo", e), -5, 5, 0);
        LFOAM[e] = spinBox(this, letterName("LFOAM", e), 0, 15, 0);
        LFOPM[e] = spinBox(this, letterName("LFOPM", e), 0, 31, 0);
        LFODly[e] = spinBox(this, letterName("LFODly", e), 0, 99, 0);
        LFODlyRate[e] = spinBox(this, letterName("LFODlyRate", e), 0, 99, 0);
        LFOForm[e] = radioGroup(this, letterName("LFOForm", e), letterName("LFO Form ", e),
                                {"1", "2", "3", "4", "5"}, 2);
        LFOSpeed[e] = spinBox(this, letterName("LFOSpeed", e), 0, 31, 0);
    }
    for (int f = 0; f < 2; ++f) {
        // The captions stand beside B's boxes only; D's boxes sit under them.
        const bool captioned = f == 0;
        AMtoMod[f] = checkBox(this, fmName("AMtoMod", f), captioned ? " AM to Modulator" : "");
        AMtoCar[f] = checkBox(this, fmName("AMtoCar", f), captioned ? "   AM to Carrier" : "");
        PMtoMod[f] = checkBox(this, fmName("PMtoMod", f), captioned ? " PM to Modulator" : "");
        PMtoCar[f] = checkBox(this, fmName("PMtoCar", f), captioned ? "   PM to Carrier" : "");
        ToneLev[f] = spinBox(this, fmName("ToneLev", f), 0, 99, 0);
        ToneFB[f] = spinBox(this, fmName("ToneFB", f), 0, morvex::kToneFeedbackMaximum, 0);
    }
    RandVoices = new QPushButton("Rand. El.", this);
    RandVoices->setObjectName("RandVoices");
    RandLFO = new QPushButton("Rand. LFO", this);
    RandLFO->setObjectName("RandLFO");
}

void TFTone::buildLayout() {
    std::array<std::vector<QWidget*>, 4> elements, am, pm;
    for (int e = 0; e < 4; ++e) {
        elements[e] = {Check[e], ComboBox[e]};
        am[e] = {LFOAM[e]};
        pm[e] = {LFOPM[e]};
    }
    for (int f = 0; f < 2; ++f) {
        const int e = f == 0 ? morvex::B : morvex::D;
        am[e].insert(am[e].end(), {AMtoMod[f], AMtoCar[f]});
        pm[e].insert(pm[e].end(), {PMtoMod[f], PMtoCar[f]});
    }

    auto* top = new QHBoxLayout;
    top->addWidget(rowGroup(this, "Elements", elements), 3);
    top->addWidget(rowGroup(this, "Volume", fourRows(Volume)), 1);
    top->addWidget(rowGroup(this, "Freq. Shift", fourRows(FreqShift)), 1);
    top->addWidget(rowGroup(this, "Aftertouch", fourRows(ATouch)), 1);
    top->addWidget(rowGroup(this, "Velocity", fourRows(Velo)), 1);
    top->addWidget(rowGroup(this, "Tone Lev. ", fmRows(ToneLev)), 1);
    top->addWidget(rowGroup(this, "Tone FB", fmRows(ToneFB)), 1);

    auto* lfo = new QHBoxLayout;
    lfo->addWidget(rowGroup(this, "LFO AM", am), 3);
    lfo->addWidget(rowGroup(this, "LFO PM", pm), 3);
    lfo->addWidget(rowGroup(this, "LFO Delay", fourRows(LFODly)), 1);
    lfo->addWidget(rowGroup(this, "LFO Rate", fourRows(LFODlyRate)), 1);
    lfo->addWidget(rowGroup(this, "LFO Speed", fourRows(LFOSpeed)), 1);

    auto* radios = new QGridLayout;
    for (int e = 0; e < 4; ++e) {
        radios->addWidget(Pano[e].box, e, 0);
        radios->addWidget(LFOForm[e].box, e, 1);
    }
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(RandVoices);
    buttons->addWidget(RandLFO);
    buttons->addStretch();
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(radios);
    bottom->addSpacing(24);
    bottom->addLayout(buttons);
    bottom->addStretch();

    // The margins and spacing are page background: a right click there stores and sends.
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(12, 12, 12, 12);
    page->setSpacing(12);
    page->addLayout(top);
    page->addLayout(lfo);
    page->addLayout(bottom);
    page->addStretch();
}

} // namespace klangor
