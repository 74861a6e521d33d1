#include "Envelope.h"

#include "AccessibleNames.h"
#include "Audiogra.h"
#include "Session.h"

#include "morvex/RandomSource.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <tuple>
#include <utility>
#include <vector>

namespace klangor {

namespace {

using morvex::kElementCount;

constexpr const char* kElementLetters[kElementCount] = {"A", "B", "C", "D"};

// Object name stems of the boxes, in the order of morvex::EnvelopeField.
constexpr const char* kFieldStems[morvex::kEnvelopeFieldCount] = {
    "Initial", "AL", "AR", "D1L", "D1R", "D2L", "D2R", "RR", "ScLev", "ScRate"};

// The boxes whose changes move the graph: all levels and rates, not release, scaling or delay.
constexpr bool drawsGraph(int field) {
    return field <= morvex::kDecay2Rate;
}

// Every row of the element columns has this height, so the groups line up side by side.
constexpr int kRowHeight = 36;
constexpr QSize kPictureSize(48, 32);

QSpinBox* spinBox(const QString& name, int minimum, int maximum, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(minimum, maximum);
    return box;
}

// A group of element columns: row 0 holds the column captions (or `header` widgets), rows 1..4
// the elements A..D.
QGroupBox* elementGroup(const QString& caption, const QStringList& columns,
                        const std::vector<std::array<QWidget*, kElementCount>>& cells,
                        QWidget* parent, QWidget* header = nullptr) {
    auto* group = new QGroupBox(caption, parent);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 4, 6, 6);
    grid->setHorizontalSpacing(4);
    grid->setRowMinimumHeight(0, 26);
    for (int e = 0; e < kElementCount; ++e) grid->setRowMinimumHeight(e + 1, kRowHeight);
    if (header) grid->addWidget(header, 0, 0, 1, static_cast<int>(cells.size()));
    for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
        if (!header && c < columns.size()) grid->addWidget(new QLabel(columns[c], group), 0, c);
        for (int e = 0; e < kElementCount; ++e) {
            cells[c][e]->setParent(group);
            grid->addWidget(cells[c][e], e + 1, c);
        }
    }
    return group;
}

} // namespace

TFEnvelope::TFEnvelope(Session& session, QWidget* parent) : EditPage(session, parent) {
    setWindowTitle("Envelope");
    buildControls();
    buildLayout();
    FAudioGra = new TFAudioGra(state(), this);
    nameControls(*this);
    // Not on a value box: leaving one marks its element "User", and the first click anywhere
    // would mark element A although nothing was edited.
    EnvGra->setFocus();
}

void TFEnvelope::buildControls() {
    for (int f = 0; f < morvex::kEnvelopeFieldCount; ++f) {
        const int maximum = f == morvex::kLevelType  ? morvex::kLevelTypeCount
                            : f == morvex::kRateType ? morvex::kRateTypeCount
                                                     : 99;
        const int minimum = f >= morvex::kLevelType ? 1 : 0;
        for (int e = 0; e < kElementCount; ++e) {
            QSpinBox* box =
                spinBox(QString(kFieldStems[f]) + kElementLetters[e], minimum, maximum, this);
            boxes[f][e] = box;
            box->installEventFilter(this); // leaving the box marks the element "User"
            if (f < morvex::kLevelType) attachStepping(box, StepRule::Snap);
            if (drawsGraph(f))
                connect(box, &QSpinBox::valueChanged, this, [this, box] { ChGra(box); });
            if (f >= morvex::kLevelType)
                connect(box, &QSpinBox::valueChanged, this, [this, box] { ConnectImage(box); });
        }
    }
    for (int e = 0; e < kElementCount; ++e) {
        for (auto [pictures, stem] : {std::pair{&IScLev, "IScLev"}, {&IScRate, "IScRate"}}) {
            auto* picture = new QLabel(this);
            picture->setObjectName(QString(stem) + kElementLetters[e]);
            picture->setFixedSize(kPictureSize);
            picture->setScaledContents(true);
            (*pictures)[e] = picture;
        }
        DR[e] = new QCheckBox("on", this);
        DR[e]->setObjectName(QString("DR") + kElementLetters[e]);

        EnvType[e] = new QComboBox(this);
        EnvType[e]->setObjectName(QString("EnvType") + kElementLetters[e]);
        for (std::string_view name : morvex::kEnvelopeTypeNames)
            EnvType[e]->addItem(QString::fromLatin1(name.data(), qsizetype(name.size())));
        connect(EnvType[e], &QComboBox::activated, this,
                [this, e](int entry) { LoadEnvelopeType(e, entry); });
    }
    DelRate = spinBox("DelRate", 0, 99, this);
    attachStepping(DelRate, StepRule::Snap);

    // The copy boxes take typed text as well; a text that names no element copies nothing.
    for (auto [combo, name] : {std::pair{&ParmSource, "ParmSource"}, {&ParmDest, "ParmDest"}}) {
        *combo = new QComboBox(this);
        (*combo)->setObjectName(name);
        (*combo)->setEditable(true);
        (*combo)->setInsertPolicy(QComboBox::NoInsert);
        for (const char* letter : kElementLetters) (*combo)->addItem(letter);
    }
    Button1 = new QPushButton("OK", this);
    Button1->setObjectName("Button1");
    connect(Button1, &QPushButton::clicked, this, &TFEnvelope::CopyParms);
    RandEnv = new QPushButton("Rand. Env.", this);
    RandEnv->setObjectName("RandEnv");
    connect(RandEnv, &QPushButton::clicked, this, &TFEnvelope::RandEnvelope);
    EnvGra = new QPushButton("Envelope Graphics", this);
    EnvGra->setObjectName("EnvGra");
    connect(EnvGra, &QPushButton::clicked, this, &TFEnvelope::EnvGraClick);
}

void TFEnvelope::buildLayout() {
    const auto cells = [](const auto& widgets) {
        std::array<QWidget*, kElementCount> column{};
        for (int e = 0; e < kElementCount; ++e) column[e] = widgets[e];
        return column;
    };
    const auto field = [&](int f) { return cells(boxes[f]); };

    // The element letters lead the first group, on the rows of the element columns.
    std::array<QWidget*, kElementCount> letters{};
    for (int e = 0; e < kElementCount; ++e) letters[e] = new QLabel(kElementLetters[e], this);

    auto* top = new QHBoxLayout;
    top->setSpacing(8);
    top->addWidget(elementGroup("Initial", {"", ""}, {letters, field(morvex::kInitial)}, this));
    top->addWidget(elementGroup("Attack", {"Level", "Rate"},
                                {field(morvex::kAttackLevel), field(morvex::kAttackRate)}, this));
    top->addWidget(elementGroup("Decay 1", {"Level", "Rate"},
                                {field(morvex::kDecay1Level), field(morvex::kDecay1Rate)}, this));
    top->addWidget(elementGroup("Decay 2", {"Level", "Rate"},
                                {field(morvex::kDecay2Level), field(morvex::kDecay2Rate)}, this));
    top->addWidget(elementGroup("Release R.", {""}, {field(morvex::kReleaseRate)}, this));
    top->addWidget(elementGroup("Scaling Level Type", {"", ""},
                                {field(morvex::kLevelType), cells(IScLev)}, this));
    top->addWidget(elementGroup("Scaling Rate Type", {"", ""},
                                {field(morvex::kRateType), cells(IScRate)}, this));
    top->addWidget(elementGroup("Delay Rate", {}, {cells(DR)}, this, DelRate));
    top->addWidget(elementGroup("EnvelopeType", {""}, {cells(EnvType)}, this));
    top->addStretch(1);

    auto* copy = new QGroupBox("Copy Parameters", this);
    auto* copyGrid = new QGridLayout(copy);
    for (auto [column, caption, list] :
         {std::tuple{0, "Source", ParmSource}, std::tuple{1, "Destination", ParmDest}}) {
        auto* label = new QLabel(caption, copy);
        label->setBuddy(list);
        copyGrid->addWidget(label, 0, column);
    }
    ParmSource->setParent(copy);
    ParmDest->setParent(copy);
    Button1->setParent(copy);
    copyGrid->addWidget(ParmSource, 1, 0);
    copyGrid->addWidget(ParmDest, 1, 1);
    copyGrid->addWidget(Button1, 1, 2);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(copy);
    bottom->addSpacing(24);
    bottom->addWidget(RandEnv, 0, Qt::AlignBottom);
    bottom->addWidget(EnvGra, 0, Qt::AlignBottom);
    bottom->addStretch(1);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(10, 10, 10, 10);
    page->setSpacing(16);
    page->addLayout(top);
    page->addLayout(bottom);
    page->addStretch(1);
}

void TFEnvelope::fillControls() {
    const morvex::VoiceParams& voice = state().voiceParams;
    morvex::EnvelopeSnapshot& snapshot = session().envelopeSnapshot();
    const bool redrawAfterwards = !EnvRedrawSuspended;
    filling_ = true;
    for (int f = 0; f < morvex::kLevelType; ++f) {
        for (int e = 0; e < kElementCount; ++e) {
            const int value = morvex::envelopeOf(voice, e)[f];
            boxes[f][e]->setValue(value);
            snapshot[e][f] = value;
        }
    }
    for (int e = 0; e < kElementCount; ++e) {
        const morvex::ScalingTypes types = morvex::scalingTypesOf(voice.scaling[e]);
        boxes[morvex::kLevelType][e]->setValue(types.level);
        snapshot[e][morvex::kLevelType] = boxes[morvex::kLevelType][e]->value();
        boxes[morvex::kRateType][e]->setValue(types.rate);
        snapshot[e][morvex::kRateType] = boxes[morvex::kRateType][e]->value();
        // The pictures of the types as shown: a voice file can hold rate types 9..16, which the
        // box clamps to 8 and for which there is no picture.
        loadPicture(IScLev[e], true, snapshot[e][morvex::kLevelType]);
        loadPicture(IScRate[e], false, snapshot[e][morvex::kRateType]);
    }
    DelRate->setValue(voice.delayRate);
    for (int e = 0; e < kElementCount; ++e) DR[e]->setChecked(voice.delaySwitch[e] != 0);
    for (QComboBox* list : EnvType) list->setCurrentIndex(morvex::kEnvTypeSnapshot);
    EnvRedrawSuspended = false;
    ParmSource->setCurrentIndex(morvex::A);
    ParmDest->setCurrentIndex(morvex::C);
    filling_ = false;
    // The boxes did not redraw while they were filled; the graph catches up once, unless the
    // caller draws it itself (Rand. Env.).
    if (redrawAfterwards && FAudioGra->isEnabled()) redrawGraph();
}

void TFEnvelope::ChVars() {
    morvex::VoiceParams& voice = state().voiceParams;
    const auto read = [&](int field, morvex::PerElement& values) {
        for (int e = 0; e < kElementCount; ++e)
            if (edited({boxes[field][e]})) values[e] = boxes[field][e]->value();
    };
    read(morvex::kInitial, voice.initialLevel);
    read(morvex::kAttackLevel, voice.attackLevel);
    read(morvex::kAttackRate, voice.attackRate);
    read(morvex::kDecay1Level, voice.decay1Level);
    read(morvex::kDecay1Rate, voice.decay1Rate);
    read(morvex::kDecay2Level, voice.decay2Level);
    read(morvex::kDecay2Rate, voice.decay2Rate);
    read(morvex::kReleaseRate, voice.releaseRate);
    for (int e = 0; e < kElementCount; ++e) {
        QSpinBox* level = boxes[morvex::kLevelType][e];
        QSpinBox* rate = boxes[morvex::kRateType][e];
        if (edited({level, rate}))
            voice.scaling[e] = morvex::scalingValueOf(level->value(), rate->value());
    }
    if (edited({DelRate})) voice.delayRate = DelRate->value();
    for (int e = 0; e < kElementCount; ++e)
        if (edited({DR[e]})) voice.delaySwitch[e] = DR[e]->checkState() != Qt::Unchecked ? 1 : 0;
}

bool TFEnvelope::eventFilter(QObject* watched, QEvent* event) {
    // Only a move of the focus inside the program counts as leaving a box, not another window
    // (such as the graph window) becoming active.
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            for (const ElementBoxes& field : boxes)
                for (int e = 0; e < kElementCount; ++e)
                    if (field[e] == watched) ChEnvType(e);
        }
    }
    return EditPage::eventFilter(watched, event);
}

void TFEnvelope::ChGra(QSpinBox* box) {
    if (!filling_ && !EnvRedrawSuspended && FAudioGra->isEnabled()) {
        StoreVars();
        redrawGraph();
    }
    if (box == boxes[morvex::kDecay2Rate][morvex::D]) EnvRedrawSuspended = false;
}

void TFEnvelope::ChAllGra() {
    if (!FAudioGra->isEnabled()) return;
    StoreVars();
    redrawGraph();
}

// Repainting the paint box repaints the window's background under it first, so no separate
// refresh of the window is needed (it would only paint the curves a second time).
void TFEnvelope::redrawGraph() {
    FAudioGra->Malen();
}

void TFEnvelope::ChEnvType(int element) {
    EnvType[element]->setCurrentIndex(morvex::kEnvTypeUser);
}

void TFEnvelope::ConnectImage(QSpinBox* box) {
    if (filling_) return; // InitVars loads each picture once itself
    for (int e = 0; e < kElementCount; ++e) {
        if (box == boxes[morvex::kLevelType][e]) loadPicture(IScLev[e], true, box->value());
        if (box == boxes[morvex::kRateType][e]) loadPicture(IScRate[e], false, box->value());
    }
}

// A picture that cannot be read is reported, and the page goes on without it.
void TFEnvelope::loadPicture(QLabel* picture, bool level, int type) {
    const std::string path = level ? morvex::levelScalingPicture(state().startDir, type)
                                   : morvex::rateScalingPicture(state().startDir, type);
    QPixmap pixmap;
    if (pixmap.load(QString::fromStdString(path))) {
        picture->setPixmap(pixmap);
        return;
    }
    picture->clear();
    showReport(morvex::errorReport("Cannot load the picture \"" + path + "\"."));
}

void TFEnvelope::LoadEnvelopeType(int element, int entry) {
    const std::optional<morvex::EnvelopeRecord> values =
        morvex::envelopeForType(entry, session().envelopeSnapshot(), element);
    if (values) setEnvelopeBoxes(element, *values, morvex::kEnvelopeFieldCount);
}

void TFEnvelope::setEnvelopeBoxes(int element, const morvex::EnvelopeRecord& values, int fields) {
    for (int f = 0; f < fields; ++f) boxes[f][element]->setValue(values[f]);
}

void TFEnvelope::RandEnvelope() {
    // Edits of the values that are not drawn (release, scaling, delay) would otherwise be lost
    // when the page is refilled from the voice.
    StoreVars();
    EnvRedrawSuspended = true;
    morvex::RandEnvelopes(state().voiceParams, session().random());
    InitVars();
    ChAllGra();
    sendVoice();
}

void TFEnvelope::CopyParms() {
    const std::optional<int> source =
        morvex::elementFromLetter(ParmSource->currentText().toStdString());
    const std::optional<int> dest =
        morvex::elementFromLetter(ParmDest->currentText().toStdString());
    if (!source || !dest) return;
    morvex::EnvelopeRecord values{};
    for (int f = 0; f < morvex::kCopiedEnvelopeFields; ++f) values[f] = boxes[f][*source]->value();
    setEnvelopeBoxes(*dest, values, morvex::kCopiedEnvelopeFields);
}

void TFEnvelope::EnvGraClick() {
    FAudioGra->setEnabled(true);
    FAudioGra->show();
    FAudioGra->setVisible(true);
    FAudioGra->raise();
    redrawGraph();
}

} // namespace klangor
