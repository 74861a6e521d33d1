#include "Vector.h"

#include "AccessibleNames.h"
#include "Session.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace klangor {

namespace {

using morvex::VectorKind;

constexpr int kColumns = 3; // x, y, length; the step numbers are the row headers

// Hands every keystroke to the table at once, so that a store while a cell is still being edited
// reads what the cell shows.
class LiveCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            auto* self = const_cast<LiveCellDelegate*>(this);
            connect(edit, &QLineEdit::textEdited, self,
                    [self, edit] { emit self->commitData(edit); });
        }
        return editor;
    }
};

QTableWidget* stepTable(const char* name, QWidget* parent) {
    auto* grid = new QTableWidget(morvex::kVectorSteps, kColumns, parent);
    grid->setObjectName(name);
    grid->setHorizontalHeaderLabels({"x-Vect.", "y-Vect.", "Length"});
    QStringList steps;
    for (int p = 1; p <= morvex::kVectorSteps; ++p) steps << QString::number(p);
    grid->setVerticalHeaderLabels(steps);
    grid->horizontalHeader()->setDefaultSectionSize(47);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(18);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setItemDelegate(new LiveCellDelegate(grid));
    for (int row = 0; row < morvex::kVectorSteps; ++row)
        for (int column = 0; column < kColumns; ++column)
            grid->setItem(row, column, new QTableWidgetItem());
    // Room for the three columns and the step numbers, so that only the rows scroll.
    grid->setFixedWidth(kColumns * 47 + 28 + grid->verticalScrollBar()->sizeHint().width());
    return grid;
}

QSpinBox* spinBox(const char* name, int minimum, int maximum, int design, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(minimum, maximum);
    box->setValue(design);
    return box;
}

} // namespace

TFVector::TFVector(Session& session, QWidget* parent) : EditPage(session, parent) {
    setWindowTitle("Vector");

    LevelSpeed = spinBox("LevelSpeed", 10, 160, 10, this);
    DetuneSpeed = spinBox("DetuneSpeed", 10, 160, 10, this);
    LevelSpeed->setSingleStep(10);
    DetuneSpeed->setSingleStep(10);
    StringGrid1 = stepTable("StringGrid1", this);
    StringGrid2 = stepTable("StringGrid2", this);

    RandLev = namedButton("RandLev", "Random Level");
    RandDet = namedButton("RandDet", "Random Detune");
    ZeroLev = namedButton("ZeroLev", " Zero Level");
    ZeroDet = namedButton("ZeroDet", "Zero Detune");
    Finesse = spinBox("Finesse", 1, 9, 4, this);
    MaxRate = spinBox("MaxRate", 0, 256, 4, this);
    LevelMaxX = spinBox("LevelMaxX", 0, 31, 20, this);
    LevelMaxY = spinBox("LevelMaxY", 0, 31, 20, this);
    DetuneMaxX = spinBox("DetuneMaxX", 0, 31, 5, this);
    DetuneMaxY = spinBox("DetuneMaxY", 0, 31, 5, this);

    connect(RandLev, &QPushButton::clicked, this, [this] { RandVal(VectorKind::Level); });
    connect(RandDet, &QPushButton::clicked, this, [this] { RandVal(VectorKind::Detune); });
    connect(ZeroLev, &QPushButton::clicked, this, [this] { Zero(VectorKind::Level); });
    connect(ZeroDet, &QPushButton::clicked, this, [this] { Zero(VectorKind::Detune); });

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setHorizontalSpacing(24);
    // A nested layout takes no spacing from a grid whose columns and rows are spaced differently:
    // each one below sets its own, so that no caption touches its box.
    constexpr int kAcross = 8;
    constexpr int kDown = 3;
    const auto sequenceColumn = [&](const char* title, QSpinBox* speed, QTableWidget* grid,
                                    int column) {
        auto* speedRow = new QGridLayout();
        speedRow->setHorizontalSpacing(kAcross);
        speedRow->setVerticalSpacing(kDown);
        auto* heading = new QLabel(title, this);
        heading->setBuddy(grid);
        auto* rate = new QLabel("Rate [ms]", this);
        rate->setBuddy(speed);
        speedRow->addWidget(heading, 0, 0);
        speedRow->addWidget(rate, 1, 0);
        speedRow->addWidget(speed, 1, 1);
        layout->addLayout(speedRow, 0, column);
        layout->addWidget(grid, 1, column);
    };
    sequenceColumn("Level", LevelSpeed, StringGrid1, 0);
    sequenceColumn("Detune ", DetuneSpeed, StringGrid2, 1);

    auto* random = new QGridLayout();
    random->setHorizontalSpacing(kAcross);
    random->setVerticalSpacing(kDown);
    const auto labelled = [&](const char* label, QSpinBox* box) {
        const int row = random->rowCount();
        auto* caption = new QLabel(label, this);
        caption->setBuddy(box);
        random->addWidget(caption, row, 0);
        random->addWidget(box, row, 1);
    };
    labelled("Finesse", Finesse);
    labelled("Maximum Length", MaxRate);
    labelled("Level MaxX", LevelMaxX);
    labelled("Level MaxY", LevelMaxY);
    labelled("Detune MaxX", DetuneMaxX);
    labelled("Detune MaxY", DetuneMaxY);
    for (QPushButton* b : {RandLev, RandDet, ZeroLev, ZeroDet})
        random->addWidget(b, random->rowCount(), 0, 1, 2);
    random->setRowStretch(random->rowCount(), 1);
    layout->addLayout(random, 1, 2);
    layout->setColumnStretch(3, 1);
    nameControls(*this);
}

QTableWidget* TFVector::table(VectorKind kind) const {
    return kind == VectorKind::Level ? StringGrid1 : StringGrid2;
}

morvex::VectorTableTexts TFVector::tableTexts(VectorKind kind) const {
    const QTableWidget* grid = table(kind);
    morvex::VectorTableTexts texts;
    for (int row = 0; row < morvex::kVectorSteps; ++row)
        for (int column = 0; column < kColumns; ++column)
            if (const QTableWidgetItem* item = grid->item(row, column))
                texts[row][column] = item->text().toStdString();
    return texts;
}

void TFVector::setTableTexts(VectorKind kind, const morvex::VectorTableTexts& texts) {
    QTableWidget* grid = table(kind);
    for (int row = 0; row < morvex::kVectorSteps; ++row)
        for (int column = 0; column < kColumns; ++column)
            grid->item(row, column)->setText(QString::fromStdString(texts[row][column]));
}

void TFVector::fillControls() {
    const morvex::VoiceParams& voice = state().voiceParams;
    LevelSpeed->setValue(voice.levelSpeed);
    DetuneSpeed->setValue(voice.detuneSpeed);
    setTableTexts(VectorKind::Level, morvex::vectorTableTexts(voice.levelVector));
    setTableTexts(VectorKind::Detune, morvex::vectorTableTexts(voice.detuneVector));
}

void TFVector::ChVars() {
    morvex::VoiceParams& voice = state().voiceParams;
    if (edited({LevelSpeed})) voice.levelSpeed = LevelSpeed->value();
    if (edited({DetuneSpeed})) voice.detuneSpeed = DetuneSpeed->value();
    for (VectorKind kind : {VectorKind::Level, VectorKind::Detune}) {
        if (!edited({table(kind)})) continue;
        std::vector<morvex::Report> warnings;
        const morvex::VectorSteps steps = morvex::readVectorTable(tableTexts(kind), kind, warnings);
        (kind == VectorKind::Level ? voice.levelVector : voice.detuneVector) = steps;
        for (const morvex::Report& warning : warnings) showReport(warning);
    }
}

void TFVector::RandVal(VectorKind kind) {
    const bool level = kind == VectorKind::Level;
    const morvex::VectorRandomSettings settings{Finesse->value(), MaxRate->value(),
                                                (level ? LevelMaxX : DetuneMaxX)->value(),
                                                (level ? LevelMaxY : DetuneMaxY)->value()};
    sendChangedVoice(
        [&] { morvex::RandVal(state().voiceParams, kind, settings, session().random()); });
}

void TFVector::Zero(VectorKind kind) {
    morvex::VectorTableTexts texts = tableTexts(kind);
    morvex::zeroVectorTable(texts);
    setTableTexts(kind, texts);
}

} // namespace klangor
