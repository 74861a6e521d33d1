#include "FMEdit.h"

#include "AccessibleNames.h"
#include "Session.h"

#include "morvex/EnvelopeLogic.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace klangor {

namespace {

using morvex::FmElement;
using morvex::FmFieldGroup;
using morvex::FmFieldKind;

constexpr std::array<FmElement, 2> kElements = {FmElement::B, FmElement::D};
const char* const kElementProperty = "klangorFmElement";

int fieldIndex(std::string_view suffix) {
    const auto& fields = morvex::fmEditFields();
    for (int i = 0; i < morvex::kFmEditFieldCount; ++i)
        if (fields[i].suffix == suffix) return i;
    return 0;
}
const int kLevelTypeField = fieldIndex("6a");
const int kRateTypeField = fieldIndex("6b");

QString prefix(FmElement element) {
    return element == FmElement::B ? "FMB" : "FMD";
}
QString letter(FmElement element) {
    return element == FmElement::B ? "B" : "D";
}

} // namespace

TFFMEdit::TFFMEdit(Session& session, QWidget* parent) : EditPage(session, parent) {
    setWindowTitle("FMEdit");
    // Made before the element controls, so that they sit above the frames that hold them.
    for (FmElement e : kElements) {
        auto* frame = new QGroupBox("Modulator " + letter(e), this);
        frame->setObjectName("Modulator" + letter(e));
    }
    for (FmElement e : kElements) createControls(e);

    RandFMB = namedButton("RandFMB", "Random FM B");
    RandFMD = namedButton("RandFMD", "Random FM D");
    CopyBD1 = namedButton("CopyBD1", "Copy B>D");
    CopyDB1 = namedButton("CopyDB1", "Copy D>B");
    RandFMD->setProperty(kElementProperty, morvex::fmIndex(FmElement::D));
    RandFMD->installEventFilter(this);
    connect(RandFMB, &QPushButton::clicked, this, &TFFMEdit::RandomFMBVal);
    connect(RandFMD, &QPushButton::clicked, this, &TFFMEdit::RandomFMDVal);
    connect(CopyBD1, &QPushButton::clicked, this, &TFFMEdit::CopyBD);
    connect(CopyDB1, &QPushButton::clicked, this, &TFFMEdit::CopyDB);

    layOut();
    nameControls(*this);
    // Showing the page must mark neither element: the first focus goes to a button that does not,
    // and the MDI area, which may pass the focus one step on while it shows the page, finds
    // another such button next.
    setTabOrder(RandFMB, CopyBD1);
    setTabOrder(CopyBD1, CopyDB1);
    setTabOrder(CopyDB1, RandFMD);
    RandFMB->setFocus(Qt::OtherFocusReason);
}

void TFFMEdit::createControls(FmElement element) {
    ElementControls& c = controls(element);
    const auto& fields = morvex::fmEditFields();
    const morvex::FmEditValues design = morvex::fmEditDesignValues(element);
    for (int i = 0; i < morvex::kFmEditFieldCount; ++i) {
        const morvex::FmEditField& f = fields[i];
        QWidget* control = nullptr;
        if (f.kind == FmFieldKind::Switch) {
            c.checks[i] = new QCheckBox(this);
            c.checks[i]->setChecked(design[i] != 0);
            control = c.checks[i];
        } else {
            QGroupBox* carrier = nullptr;
            if (f.group == FmFieldGroup::Carrier) {
                const QString name = "Carrier" + letter(element);
                carrier = findChild<QGroupBox*>(name);
                if (!carrier) {
                    carrier = new QGroupBox("Carrier " + letter(element), this);
                    carrier->setObjectName(name);
                }
            }
            auto* box = new QSpinBox(carrier ? static_cast<QWidget*>(carrier) : this);
            box->setRange(f.minimum, f.maximum);
            box->setValue(design[i]);
            if (f.tenStepping) attachStepping(box, StepRule::Snap);
            c.spins[i] = box;
            control = box;
        }
        control->setObjectName(prefix(element) + QString::fromLatin1(f.suffix));
        control->setProperty(kElementProperty, morvex::fmIndex(element));
        control->installEventFilter(this);
    }
    for (bool level : {true, false}) {
        auto* picture = new QLabel(this);
        picture->setObjectName("I" + prefix(element) + (level ? "6a" : "6b"));
        picture->setScaledContents(true); // the pictures are stretched to the picture's size
        picture->setFixedSize(48, 24);
        (level ? c.levelPicture : c.ratePicture) = picture;
        QSpinBox* box = c.spins[level ? kLevelTypeField : kRateTypeField];
        connect(box, &QSpinBox::valueChanged, this,
                [this, element, level] { ConnectImage(element, level); });
    }
}

void TFFMEdit::layOut() {
    const auto& fields = morvex::fmEditFields();
    auto* page = new QGridLayout(this);
    page->setContentsMargins(16, 16, 16, 16);
    page->setHorizontalSpacing(24);
    // A nested layout takes no spacing from a grid whose columns and rows are spaced differently:
    // each one below sets its own, so that no caption touches its boxes.
    constexpr int kAcross = 8;
    constexpr int kDown = 3;

    // The modulator columns B and D, with the row captions between them.
    auto* modulators = new QGridLayout();
    modulators->setHorizontalSpacing(kAcross);
    modulators->setVerticalSpacing(kDown);
    modulators->setRowMinimumHeight(0, 22); // the frames' titles
    // The frames go in first: a widget added over cells another spans takes those cells, and
    // spacing is kept only between cells that hold different widgets.
    const int frameRows = 2 + static_cast<int>(std::count_if(
                                  fields.begin(), fields.end(), [](const morvex::FmEditField& f) {
                                      return f.group == FmFieldGroup::Modulator;
                                  }));
    modulators->addWidget(findChild<QGroupBox*>("ModulatorB"), 0, 0, frameRows, 2);
    modulators->addWidget(findChild<QGroupBox*>("ModulatorD"), 0, 3, frameRows, 2);
    int row = 1;
    for (int i = 0; i < morvex::kFmEditFieldCount; ++i) {
        if (fields[i].group != FmFieldGroup::Modulator) continue;
        modulators->addWidget(controls(FmElement::B).spins[i], row, 1);
        modulators->addWidget(new QLabel(QString::fromLatin1(fields[i].caption), this), row, 2);
        modulators->addWidget(controls(FmElement::D).spins[i], row, 3);
        if (i == kLevelTypeField || i == kRateTypeField) {
            const bool level = i == kLevelTypeField;
            for (FmElement e : kElements)
                modulators->addWidget(level ? controls(e).levelPicture : controls(e).ratePicture,
                                      row, e == FmElement::B ? 0 : 4);
        }
        ++row;
    }
    modulators->setRowMinimumHeight(row, 8);
    page->addLayout(modulators, 0, 0, 2, 1);

    // The four switches with their captions.
    auto* switches = new QGridLayout();
    switches->setHorizontalSpacing(kAcross);
    switches->setVerticalSpacing(kDown);
    switches->addWidget(new QLabel("B", this), 0, 1);
    switches->addWidget(new QLabel("D", this), 0, 2);
    for (int i = 0; i < morvex::kFmEditFieldCount; ++i) {
        if (fields[i].kind != FmFieldKind::Switch) continue;
        const int line = switches->rowCount();
        switches->addWidget(new QLabel(QString::fromLatin1(fields[i].caption), this), line, 0);
        switches->addWidget(controls(FmElement::B).checks[i], line, 1);
        switches->addWidget(controls(FmElement::D).checks[i], line, 2);
    }
    page->addLayout(switches, 0, 1, Qt::AlignTop);

    // The carriers and the buttons below them.
    auto* lower = new QVBoxLayout();
    lower->setSpacing(kAcross);
    auto* carriers = new QHBoxLayout();
    carriers->setSpacing(kAcross);
    for (FmElement e : kElements) {
        auto* frame = findChild<QGroupBox*>("Carrier" + letter(e));
        auto* grid = new QGridLayout(frame);
        for (int i = 0; i < morvex::kFmEditFieldCount; ++i) {
            if (fields[i].group != FmFieldGroup::Carrier) continue;
            const int line = grid->rowCount();
            grid->addWidget(new QLabel(QString::fromLatin1(fields[i].caption), frame), line, 0);
            grid->addWidget(controls(e).spins[i], line, 1);
        }
        carriers->addWidget(frame);
    }
    lower->addLayout(carriers);
    auto* buttons = new QGridLayout();
    buttons->setHorizontalSpacing(kAcross);
    buttons->setVerticalSpacing(kDown);
    buttons->addWidget(RandFMB, 0, 0);
    buttons->addWidget(RandFMD, 0, 1);
    buttons->addWidget(CopyBD1, 1, 0);
    buttons->addWidget(CopyDB1, 1, 1);
    lower->addLayout(buttons);
    lower->addStretch(1);
    page->addLayout(lower, 1, 1);
    page->setColumnStretch(2, 1);
    page->setRowStretch(2, 1);
}

morvex::FmEditValues TFFMEdit::boxes(FmElement element) const {
    const ElementControls& c = controls(element);
    morvex::FmEditValues values{};
    for (int i = 0; i < morvex::kFmEditFieldCount; ++i)
        values[i] = c.checks[i] ? int(c.checks[i]->isChecked()) : c.spins[i]->value();
    return values;
}

void TFFMEdit::setBoxes(FmElement element, const morvex::FmEditValues& values) {
    ElementControls& c = controls(element);
    for (int i = 0; i < morvex::kFmEditFieldCount; ++i) {
        if (c.checks[i]) {
            c.checks[i]->setChecked(values[i] != 0);
        } else {
            c.spins[i]->setValue(values[i]);
        }
    }
}

void TFFMEdit::fillControls() {
    for (FmElement e : kElements) {
        QSpinBox* level = controls(e).spins[kLevelTypeField];
        QSpinBox* rate = controls(e).spins[kRateTypeField];
        const int levelBefore = level->value();
        const int rateBefore = rate->value();
        setBoxes(e, morvex::fmEditValues(state().fmParams[morvex::fmIndex(e)]));
        // Setting a scaling box shows its picture even when its value stays.
        if (level->value() == levelBefore) ConnectImage(e, true);
        if (rate->value() == rateBefore) ConnectImage(e, false);
    }
}

void TFFMEdit::ChVars() {
    for (FmElement e : kElements) {
        const ElementControls& c = controls(e);
        morvex::FmEditChanges changed{};
        for (int i = 0; i < morvex::kFmEditFieldCount; ++i)
            changed[i] = c.checks[i] ? edited({c.checks[i]}) : edited({c.spins[i]});
        morvex::storeFmEditValues(boxes(e), state().fmParams[morvex::fmIndex(e)], changed);
    }
}

void TFFMEdit::RMouse12(Qt::MouseButton button) {
    if (button == Qt::LeftButton)
        StoreVars();
    else
        EditPage::RMouse12(button);
}

bool TFFMEdit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        const QVariant element = watched->property(kElementProperty);
        if (element.isValid())
            morvex::SetUserDefined(state(), kElements[static_cast<std::size_t>(element.toInt())]);
    }
    return EditPage::eventFilter(watched, event);
}

void TFFMEdit::RandomFMBVal() {
    sendChangedVoice([this] { morvex::RandomFMBVal(state(), session().random()); });
}

void TFFMEdit::RandomFMDVal() {
    sendChangedVoice([this] { morvex::RandomFMDVal(state(), session().random()); });
}

void TFFMEdit::CopyBD() {
    setBoxes(FmElement::D, morvex::CopyFmElement(boxes(FmElement::B), state(), FmElement::D));
}

void TFFMEdit::CopyDB() {
    setBoxes(FmElement::B, morvex::CopyFmElement(boxes(FmElement::D), state(), FmElement::B));
}

void TFFMEdit::ConnectImage(FmElement element, bool level) {
    const ElementControls& c = controls(element);
    const int type = c.spins[level ? kLevelTypeField : kRateTypeField]->value() + 1;
    const std::string path = level ? morvex::levelScalingPicture(state().startDir, type)
                                   : morvex::rateScalingPicture(state().startDir, type);
    QLabel* picture = level ? c.levelPicture : c.ratePicture;
    QImageReader reader(QString::fromStdString(path));
    const QImage image = reader.read();
    if (image.isNull()) {
        // The box keeps its new value; only the picture is missing.
        picture->clear();
        showReport(morvex::Report{morvex::Report::Icon::Error, "Klangor",
                                  "Cannot open file \"" + path + "\". " +
                                      reader.errorString().toStdString()});
        return;
    }
    picture->setPixmap(QPixmap::fromImage(image));
}

} // namespace klangor
