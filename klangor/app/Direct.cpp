#include "Direct.h"

#include "AccessibleNames.h"
#include "Session.h"
#include "morvex/Checksum.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <tuple>

namespace klangor {
namespace {

constexpr int kFirstPosition = 35; // two of the bytes the codec keeps as they are
constexpr int kSecondPosition = 109;

QSpinBox* spinBox(const char* name, int minimum, int maximum, int value, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(minimum, maximum);
    box->setValue(value);
    attachStepping(box, StepRule::Snap);
    return box;
}

} // namespace

TFDirectEd::TFDirectEd(Session& session, QWidget* parent) : EditPage(session, parent) {
    setWindowTitle("Direct Edit");

    auto* group = new QGroupBox("Direct Edit", this);
    group->setObjectName("DirectEdit");
    // Offset 0 and the check bytes 572..575 cannot be chosen.
    Position1 = spinBox("Position1", 1, 571, kFirstPosition, group);
    ASCIIEdit1 = spinBox("ASCIIEdit1", 0, 127, 1, group);
    Position2 = spinBox("Position2", 1, 570, kSecondPosition, group);
    ASCIIEdit2 = spinBox("ASCIIEdit2", 0, 127, 1, group);
    SendDirect = new QPushButton("Send Directly", group);
    SendDirect->setObjectName("SendDirect");
    SendDirect->setProperty("klangorStep", "Direct Edit");

    auto* grid = new QGridLayout(group);
    // Each caption heads its column; it is the label of the first row's box.
    for (auto [column, caption, box] :
         {std::tuple{0, "Position", Position1}, std::tuple{1, "ASCII Number", ASCIIEdit1}}) {
        auto* label = new QLabel(caption, group);
        label->setBuddy(box);
        grid->addWidget(label, 0, column);
    }
    grid->addWidget(Position1, 1, 0);
    grid->addWidget(ASCIIEdit1, 1, 1);
    grid->addWidget(Position2, 2, 0);
    grid->addWidget(ASCIIEdit2, 2, 1);
    grid->addWidget(SendDirect, 3, 0, 1, 2);

    auto* outer = new QGridLayout(this);
    outer->setContentsMargins(24, 24, 24, 24);
    outer->addWidget(group, 0, 0);
    outer->setRowStretch(1, 1);
    outer->setColumnStretch(1, 1);

    connect(Position1, &QSpinBox::valueChanged, this, [this] { LinkASCII(Position1); });
    connect(Position2, &QSpinBox::valueChanged, this, [this] { LinkASCII(Position2); });
    connect(SendDirect, &QPushButton::clicked, this, [this] { StoreVars(); });
    nameControls(*this);
}

void TFDirectEd::fillControls() {
    Position1->setValue(kFirstPosition);
    Position2->setValue(kSecondPosition);
    LinkASCII(Position1);
    LinkASCII(Position2);
}

void TFDirectEd::LinkASCII(QSpinBox* position) {
    // A loaded file may hold any byte; the value box shows it clamped to 0..127, and the byte is
    // written back only when the user sets the box.
    const int value = state().voiceData[static_cast<std::size_t>(position->value())];
    QSpinBox* valueBox = position == Position1 ? ASCIIEdit1 : ASCIIEdit2;
    valueBox->setValue(value);
    recordShown(valueBox);
}

void TFDirectEd::ChVars() {
    morvex::VoiceBytes& data = state().voiceData;
    if (edited({ASCIIEdit1}))
        data[static_cast<std::size_t>(Position1->value())] =
            static_cast<std::uint8_t>(ASCIIEdit1->value());
    if (edited({ASCIIEdit2}))
        data[static_cast<std::size_t>(Position2->value())] =
            static_cast<std::uint8_t>(ASCIIEdit2->value());
    morvex::UpdateChecksum(data);
    session().transmitVoice();
}

} // namespace klangor
