#include "Common.h"

#include "AccessibleNames.h"
#include "Session.h"

#include "morvex/Arithmetic.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <initializer_list>
#include <utility>

namespace klangor {

const QStringList& effectNames() {
    static const QStringList names = {"Rev Hall",  "Rev Room",    "Rev Plate",   "Rev Club",
                                      "Rev Metal", "Delay 1",     "Delay 2",     "Delay 3",
                                      "Doubler ",  "Ping - pong", "Pan Ref",     "Early Ref",
                                      "Gate Rev",  "Dly & Rev 1", "Dly & Rev 2", "Dist & Rev"};
    return names;
}

namespace {

// The typed letters that the name's validator refuses on their own. Keys such as Backspace or
// Ctrl+C bring control characters, which are no letters the user meant to type.
QString lettersLeftOut(const QString& typed, const QValidator& validator) {
    QString left;
    for (QChar letter : typed) {
        QString alone(letter);
        int position = 0;
        if (letter.isPrint() && validator.validate(alone, position) == QValidator::Invalid)
            left += letter;
    }
    return left;
}

// A list as high as all its entries in the font it is shown in: the page is made before the main
// window's font reaches it, so no height can be fixed when it is made.
class WholeList : public QListWidget {
public:
    using QListWidget::QListWidget;

    QSize sizeHint() const override {
        int rows = 0;
        for (int row = 0; row < count(); ++row) rows += sizeHintForRow(row);
        const QMargins margins = contentsMargins() + viewportMargins();
        return {QListWidget::sizeHint().width(), rows + margins.top() + margins.bottom()};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }
};

QSpinBox* spinBox(const char* name, int minimum, int maximum, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(minimum, maximum);
    box->setValue(0);
    return box;
}

} // namespace

TFCommon::TFCommon(Session& session, QWidget* parent) : EditPage(session, parent) {
    setWindowTitle("Common");

    VName = new QLineEdit(QString(8, ' '), this);
    VName->setObjectName("VName");
    VName->setMaxLength(morvex::kVoiceNameLength);
    // Only printable ASCII: a byte above 127 in the name would break the dump on the wire.
    VName->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[\\x20-\\x7E]{0,8}"), VName));
    VName->installEventFilter(this);

    Style = new WholeList(this);
    Style->setObjectName("Style");
    Style->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    Style->addItems(effectNames());
    Style->setCurrentRow(0);

    Depth = spinBox("Depth", 0, 7, this);
    PitchBend = spinBox("PitchBend", 0, 12, this);
    AftertouchPitch = spinBox("AftertouchPitch", -12, 12, this);
    EnvelopeAR = spinBox("EnvelopeAR", -99, 99, this);
    EnvelopeRR = spinBox("EnvelopeRR", -99, 99, this);
    attachStepping(EnvelopeAR, StepRule::SkipNearLimit);
    attachStepping(EnvelopeRR, StepRule::SkipNearLimit);

    auto* configurationBox = new QGroupBox("Configuration", this);
    configurationBox->setObjectName("Configuration");
    Configuration = new QButtonGroup(configurationBox);
    auto* configurationLayout = new QVBoxLayout(configurationBox);
    const char* configurationItems[] = {"A-B", "A-B-C-D"};
    for (int i = 0; i < 2; ++i) {
        auto* item = new QRadioButton(configurationItems[i], configurationBox);
        Configuration->addButton(item, i);
        configurationLayout->addWidget(item);
    }

    auto* switches = new QGroupBox("Switches", this);
    switches->setObjectName("Switches");
    auto* switchLayout = new QVBoxLayout(switches);
    const char* switchNames[] = {"WheelAM", "WheelPM", "AftertouchAM", "AftertouchPM",
                                 "AftertouchLev"};
    const char* switchCaptions[] = {"Wheel AM", "Wheel PM", "Aftertouch AM", "Aftertouch PM",
                                    "Aftertouch Lev"};
    for (std::size_t i = 0; i < switchBoxes.size(); ++i) {
        switchBoxes[i] = new QCheckBox(switchCaptions[i], switches);
        switchBoxes[i]->setObjectName(switchNames[i]);
        switchLayout->addWidget(switchBoxes[i]);
    }

    // Three columns: the name and effect, the configuration and pitch, the switches and offsets.
    for (QSpinBox* box : {Depth, PitchBend, AftertouchPitch, EnvelopeAR, EnvelopeRR})
        box->setFixedWidth(90);
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(24, 24, 24, 24);
    columns->setSpacing(32);
    const auto column = [&](std::initializer_list<std::pair<const char*, QWidget*>> rows) {
        auto* layout = new QVBoxLayout;
        layout->setSpacing(4);
        for (const auto& [label, control] : rows) {
            if (label) {
                auto* caption = new QLabel(label, this);
                caption->setBuddy(control);
                layout->addWidget(caption);
            }
            layout->addWidget(control, 0, Qt::AlignLeft);
            layout->addSpacing(12);
        }
        layout->addStretch(1);
        columns->addLayout(layout);
    };
    column({{"Voice Name", VName}, {"Effect", Style}, {"Effect Depth", Depth}});
    column({{nullptr, configurationBox},
            {"Pitch Bend", PitchBend},
            {"Aftertouch Pitch", AftertouchPitch}});
    column({{nullptr, switches}, {"Envelope AR", EnvelopeAR}, {"Envelope RR", EnvelopeRR}});
    columns->addStretch(1);

    nameControls(*this);
    VName->setFocus();
}

bool TFCommon::eventFilter(QObject* watched, QEvent* event) {
    QString typed;
    if (watched == VName && event->type() == QEvent::KeyPress)
        typed = static_cast<QKeyEvent*>(event)->text();
    if (watched == VName && event->type() == QEvent::InputMethod)
        typed = static_cast<QInputMethodEvent*>(event)->commitString();
    if (const QString left = lettersLeftOut(typed, *VName->validator()); !left.isEmpty())
        session().note("The voice name takes plain ASCII letters only: \"" + left +
                       "\" was left out.");
    return EditPage::eventFilter(watched, event);
}

void TFCommon::fillControls() {
    const morvex::VoiceParams& voice = state().voiceParams;
    VName->setText(QString::fromLatin1(state().voiceName.data(), morvex::kVoiceNameLength));

    const morvex::HighLow effect = morvex::DivMod(16, voice.effect);
    Depth->setValue(effect.high);
    Style->setCurrentRow(effect.low);

    const std::array<int, 7> bits = morvex::SplitBits(voice.switches);
    constexpr std::array<int, 5> bitOfBox = {0, 1, 4, 5, 6};
    for (std::size_t i = 0; i < switchBoxes.size(); ++i)
        switchBoxes[i]->setChecked(bits[bitOfBox[i]] == kSwitchWeights[i]);

    PitchBend->setValue(voice.pitchBend);
    AftertouchPitch->setValue(voice.aftertouchPitch);
    EnvelopeAR->setValue(voice.attackOffset);
    EnvelopeRR->setValue(voice.releaseOffset);

    // A value the group has no item for (from a file) leaves the group as it is.
    if (QAbstractButton* item = Configuration->button(voice.configuration)) item->setChecked(true);
}

void TFCommon::ChVars() {
    morvex::VoiceParams& voice = state().voiceParams;
    if (edited({Depth, Style}))
        voice.effect = morvex::MulAdd(16, Depth->value(), std::max(0, Style->currentRow()));
    if (edited({PitchBend})) voice.pitchBend = PitchBend->value();

    if (edited(switchBoxes)) {
        int switches = kSwitchAlwaysSet;
        for (std::size_t i = 0; i < switchBoxes.size(); ++i)
            if (switchBoxes[i]->isChecked()) switches += kSwitchWeights[i];
        voice.switches = switches;
    }

    if (edited({AftertouchPitch})) voice.aftertouchPitch = AftertouchPitch->value();
    if (edited({EnvelopeAR})) voice.attackOffset = EnvelopeAR->value();
    if (edited({EnvelopeRR})) voice.releaseOffset = EnvelopeRR->value();

    // A shorter name is filled with blanks, as the empty field shows it.
    if (edited({VName})) {
        const QByteArray name = VName->text().toLatin1();
        for (int i = 0; i < morvex::kVoiceNameLength; ++i)
            state().voiceName[i] = i < name.size() ? name[i] : ' ';
    }

    if (const int item = Configuration->checkedId(); item >= 0 && edited({Configuration}))
        voice.configuration = item;
}

} // namespace klangor
