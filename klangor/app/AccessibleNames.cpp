#include "AccessibleNames.h"

#include "morvex/FmEditLogic.h"
#include "morvex/MorvexState.h"
#include "morvex/ParameterMap.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <optional>
#include <string_view>

namespace klangor {
namespace {

// What follows the stem of a control's object name.
enum class Suffix {
    None,
    Letter,   // the element: A, B, C, D
    Number,   // the element: 1, 2, 3, 4 for A, B, C, D
    FmLetter, // the FM element: B, D
    Row,      // the row of a page without elements: 1, 2 ... said as its number
};

// A part of a parameter that is the control's own text (the controller switches).
constexpr std::string_view kOwnText = "\x01";

struct ControlName {
    std::string_view stem;
    Suffix suffix;
    std::string_view parameter; // in the parameter table; empty for controls that set none
    std::string_view part = {}; // the part of the value the control sets, when not all of it
};

using S = Suffix;

// The controls named by their parameter, by object name; radio buttons go by their frame's. The
// rest are named by what the page shows, with their letter or row where these are listed.
constexpr ControlName kControlNames[] = {
    // Common.
    {"Style", S::None, "effect", "Type"},
    {"Depth", S::None, "effect", "Depth"},
    {"Configuration", S::None, "configuration"},
    {"PitchBend", S::None, "pitch_bend"},
    {"AftertouchPitch", S::None, "aftertouch_pitch"},
    {"EnvelopeAR", S::None, "attack_offset"},
    {"EnvelopeRR", S::None, "release_offset"},
    {"WheelAM", S::None, "switches", kOwnText},
    {"WheelPM", S::None, "switches", kOwnText},
    {"AftertouchAM", S::None, "switches", kOwnText},
    {"AftertouchPM", S::None, "switches", kOwnText},
    {"AftertouchLev", S::None, "switches", kOwnText},
    // Vector.
    {"LevelSpeed", S::None, "level_vector.speed"},
    {"DetuneSpeed", S::None, "detune_vector.speed"},
    // Tone.
    {"ComboBox", S::Number, "wave"},
    {"Volume", S::Number, "volume"},
    {"FreqShift", S::Number, "freq_shift"},
    {"Pano", S::Letter, "pan"},
    {"ATouch", S::Letter, "sensitivity", "Aftertouch"},
    {"Velo", S::Letter, "sensitivity", "Velocity"},
    {"LFOAM", S::Letter, "lfo_am"},
    {"LFOPM", S::Letter, "lfo_pm"},
    {"AMtoMod", S::FmLetter, "lfo_am", "to Modulator"},
    {"AMtoCar", S::FmLetter, "lfo_am", "to Carrier"},
    {"PMtoMod", S::FmLetter, "lfo_pm", "to Modulator"},
    {"PMtoCar", S::FmLetter, "lfo_pm", "to Carrier"},
    {"LFODly", S::Letter, "lfo_delay"},
    {"LFODlyRate", S::Letter, "lfo_rate"},
    {"LFOForm", S::Letter, "lfo_form_speed", "Form"},
    {"LFOSpeed", S::Letter, "lfo_form_speed", "Speed"},
    {"ToneLev", S::FmLetter, "tone_level"},
    {"ToneFB", S::FmLetter, "tone_feedback"},
    // Envelope.
    {"Initial", S::Letter, "initial_level"},
    {"AL", S::Letter, "attack_level"},
    {"AR", S::Letter, "attack_rate"},
    {"D1L", S::Letter, "decay1_level"},
    {"D1R", S::Letter, "decay1_rate"},
    {"D2L", S::Letter, "decay2_level"},
    {"D2R", S::Letter, "decay2_rate"},
    {"RR", S::Letter, "release_rate"},
    {"ScLev", S::Letter, "scaling", "Level Type"},
    {"ScRate", S::Letter, "scaling", "Rate Type"},
    {"DelRate", S::None, "delay_rate"},
    {"DR", S::Letter, "delay_switch"},
    {"EnvType", S::Letter, {}},
    // Direct edit.
    {"Position", S::Row, {}},
    {"ASCIIEdit", S::Row, {}},
};

static_assert([] {
    for (const ControlName& control : kControlNames)
        if (!control.parameter.empty() && morvex::parameterIndex(control.parameter) < 0)
            return false;
    return true;
}());

QString text(std::string_view view) {
    return QString::fromLatin1(view.data(), qsizetype(view.size()));
}

struct Match {
    const ControlName* name = nullptr;
    int index = 0; // the element A..D as 0..3, or the row
};

std::optional<int> suffixIndex(Suffix suffix, QStringView rest) {
    if (suffix == Suffix::None) return rest.isEmpty() ? std::optional<int>(0) : std::nullopt;
    if (suffix == Suffix::Row) {
        bool number = false;
        const int row = rest.toInt(&number);
        return number ? std::optional<int>(row) : std::nullopt;
    }
    if (rest.size() != 1) return std::nullopt;
    const char c = rest.front().toLatin1();
    if (suffix == Suffix::Letter && c >= 'A' && c <= 'D') return c - 'A';
    if (suffix == Suffix::Number && c >= '1' && c <= '4') return c - '1';
    if (suffix == Suffix::FmLetter && (c == 'B' || c == 'D')) return c - 'A';
    return std::nullopt;
}

Match match(const QString& objectName) {
    for (const ControlName& name : kControlNames) {
        const QString stem = text(name.stem);
        if (!objectName.startsWith(stem)) continue;
        if (const auto index = suffixIndex(name.suffix, QStringView(objectName).mid(stem.size())))
            return {&name, *index};
    }
    return {};
}

// "Level/rate scaling" as a caption: "Level/Rate Scaling"; "and" stays small.
QString titleCase(std::string_view label) {
    QString title = text(label);
    bool wordStart = true;
    for (qsizetype i = 0; i < title.size(); ++i) {
        if (wordStart && i > 0 && QStringView(title).mid(i).startsWith(u"and ")) {
            wordStart = false;
            continue;
        }
        if (wordStart) title[i] = title[i].toUpper();
        wordStart = title[i] == ' ' || title[i] == '/' || title[i] == '-';
    }
    return title;
}

// The label of the parameter, for the element `element` where it has one slot per element.
QString parameterLabel(std::string_view parameter, int element) {
    const morvex::ParameterDescriptor* first = morvex::findParameter(parameter);
    const int slot =
        first->slotCount == morvex::kFmElementCount
            ? morvex::fmIndex(element == morvex::B ? morvex::FmElement::B : morvex::FmElement::D)
            : element;
    const morvex::ParameterDescriptor* entry = morvex::findParameter(parameter, slot);
    return titleCase((entry ? entry : first)->label);
}

QString ownText(const QWidget* control) {
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text().remove('&').trimmed();
    return {};
}

// What the page shows for a control: its own text, its label's, or its frame's title.
QString caption(const QWidget* control, const QWidget& page) {
    if (const QString own = ownText(control); !own.isEmpty()) return own;
    for (const QLabel* label : page.findChildren<QLabel*>())
        if (label->buddy() == control) return label->text().remove('&').trimmed();
    if (auto* frame = qobject_cast<const QGroupBox*>(control->parentWidget()))
        return frame->title().trimmed();
    return {};
}

QString name(const Match& found, const QWidget* control, const QWidget& page) {
    const ControlName& row = *found.name;
    QString name;
    if (!row.parameter.empty()) {
        name = parameterLabel(row.parameter, found.index);
    } else if (row.suffix == Suffix::Row) {
        // A column's caption stands over its first row only.
        const QString first = text(row.stem) + "1";
        if (const QWidget* top = page.findChild<QWidget*>(first)) name = caption(top, page);
    } else {
        name = caption(control, page);
    }
    if (row.suffix == Suffix::Row)
        name += ' ' + QString::number(found.index);
    else if (row.suffix != Suffix::None)
        name += ' ' + QChar::fromLatin1(char('A' + found.index));
    const QString part = row.part == kOwnText ? ownText(control) : text(row.part);
    if (!part.isEmpty()) name += ": " + part;
    return name;
}

// FM edit's boxes: "FMB" or "FMD" and the suffix of their field.
QString fmFieldName(const QString& objectName) {
    for (const auto& [prefix, letter] : {std::pair{"FMB", 'B'}, std::pair{"FMD", 'D'}}) {
        if (!objectName.startsWith(prefix)) continue;
        const QString suffix = objectName.mid(3);
        for (const morvex::FmEditField& field : morvex::fmEditFields()) {
            if (suffix != text(field.suffix)) continue;
            const QString group = field.group == morvex::FmFieldGroup::Modulator ? "Modulator "
                                  : field.group == morvex::FmFieldGroup::Carrier ? "Carrier "
                                                                                 : "";
            return group + text(field.caption) + ' ' + QChar::fromLatin1(letter);
        }
    }
    return {};
}

// A control of its own, not a part of another one (a spin box's line edit, a table's header).
bool isControl(const QWidget* widget, const QWidget& page) {
    for (const QWidget* above = widget->parentWidget(); above && above != &page;
         above = above->parentWidget())
        if (qobject_cast<const QAbstractSpinBox*>(above) || qobject_cast<const QComboBox*>(above) ||
            qobject_cast<const QAbstractItemView*>(above))
            return false;
    return qobject_cast<const QAbstractButton*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractItemView*>(widget) || qobject_cast<const QLineEdit*>(widget);
}

QString controlName(const QWidget* control, const QWidget& page) {
    // A radio button is one value of its frame's parameter: "Pan A: LL".
    if (qobject_cast<const QRadioButton*>(control)) {
        const QWidget* frame = control->parentWidget();
        const Match found = match(frame->objectName());
        if (!found.name) return ownText(control);
        return name(found, frame, page) + (found.name->part.empty() ? ": " : " ") +
               ownText(control);
    }
    if (const QString fm = fmFieldName(control->objectName()); !fm.isEmpty()) return fm;
    if (const Match found = match(control->objectName()); found.name)
        return name(found, control, page);
    return caption(control, page);
}

// Qt's own interface of a combo box says its current entry as its name on Linux and leaves the
// name to a label beside it; the pages' lists have none (Tone's waves, Envelope's types). A list
// named here says its name, and its entry as its value.
class NamedComboBox : public QAccessibleWidget {
public:
    explicit NamedComboBox(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text kind) const override {
        if (kind != QAccessible::Value) return QAccessibleWidget::text(kind);
        return box()->isEditable() ? box()->lineEdit()->text() : box()->currentText();
    }
    QStringList actionNames() const override {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == showMenuAction())
            box()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* namedComboBox(const QString& className, QObject* object) {
    auto* box = qobject_cast<QComboBox*>(object);
    if (className != "QComboBox" || !box || box->accessibleName().isEmpty()) return nullptr;
    return new NamedComboBox(box);
}

} // namespace

void nameControls(QWidget& page) {
    static const bool comboBoxesSayTheirNames = [] {
        QAccessible::installFactory(namedComboBox);
        return true;
    }();
    Q_UNUSED(comboBoxesSayTheirNames);
    for (QWidget* widget : page.findChildren<QWidget*>()) {
        if (!isControl(widget, page)) continue;
        const QString name = controlName(widget, page);
        if (name.isEmpty()) continue;
        widget->setAccessibleName(name);
        // Qt made the list's interface while the list was filled; the next one comes from
        // namedComboBox.
        if (qobject_cast<QComboBox*>(widget)) {
            QAccessibleInterface* made = QAccessible::queryAccessibleInterface(widget);
            if (made && !dynamic_cast<NamedComboBox*>(made))
                QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
        }
    }
}

} // namespace klangor
