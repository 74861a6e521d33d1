#include "SetupIntegerEdit.h"

#include "SetupValues.h"

#include <QLineEdit>
#include <algorithm>
#include <limits>

namespace pulvex_app {

SetupIntegerEdit::SetupIntegerEdit(QWidget* parent, int maximum)
    : QAbstractSpinBox(parent), maximum_(maximum) {
    setAccelerated(false);
}

void SetupIntegerEdit::setNumber(int value) {
    lineEdit()->setText(QString::number(value));
}

QString SetupIntegerEdit::fieldText() const {
    return lineEdit()->text();
}

QValidator::State SetupIntegerEdit::validate(QString&, int&) const {
    return QValidator::Acceptable;
}

int SetupIntegerEdit::stepBase() const {
    const ParsedInteger parsed =
        parseInteger(fieldText().toStdString(), std::numeric_limits<int>::min() / 2,
                     std::numeric_limits<int>::max() / 2);
    if (parsed.outcome != ParsedInteger::Outcome::Valid) return kMinimum;
    return std::clamp(parsed.value, kMinimum, maximum_);
}

void SetupIntegerEdit::stepBy(int steps) {
    setNumber(std::clamp(stepBase() + steps, kMinimum, maximum_));
    lineEdit()->selectAll();
}

QAbstractSpinBox::StepEnabled SetupIntegerEdit::stepEnabled() const {
    const int base = stepBase();
    StepEnabled enabled = StepNone;
    if (base < maximum_) enabled |= StepUpEnabled;
    if (base > kMinimum) enabled |= StepDownEnabled;
    return enabled;
}

} // namespace pulvex_app
