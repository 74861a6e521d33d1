#pragma once
// An edit field with up and down arrows for a number in a range (0..127 unless told). Unlike
// QSpinBox it takes any text, so that a wrong entry reaches the page's check and its message
// instead of being clamped silently.

#include <QAbstractSpinBox>

namespace pulvex_app {

class SetupIntegerEdit : public QAbstractSpinBox {
public:
    explicit SetupIntegerEdit(QWidget* parent = nullptr, int maximum = kMaximum);

    void setNumber(int value); // plain digits, no group separators
    QString fieldText() const;

    static constexpr int kMinimum = 0;
    static constexpr int kMaximum = 127;
    int maximum() const { return maximum_; }

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

protected:
    StepEnabled stepEnabled() const override;

private:
    // The number the arrows step from: the text's number within the range, else the minimum.
    int stepBase() const;

    int maximum_;
};

} // namespace pulvex_app
