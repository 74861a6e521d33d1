#pragma once
// The three windows of a reception: the kit choice, the "ready" prompt before the names are read,
// and the progress window while they are read.

#include "pulvex/model/Reception.h"

#include <QAbstractSpinBox>
#include <QDialog>
#include <optional>

class QLabel;
class QRadioButton;

namespace pulvex_app {

// Centres a dialog over the window's client area when it fits inside it.
void centreOver(QWidget& dialog, const QWidget* window);

// The kit number field with its arrows. Unlike a spin box it keeps whatever the user typed (0, 65,
// an empty field, letters), so that the dialog checks the typed text instead of a value the box
// has already corrected. The arrows step within 1..64.
class KitNumberBox : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit KitNumberBox(QWidget* parent = nullptr);

    // The typed kit number, or nothing when the text is not an integer in 1..64.
    std::optional<int> number() const;
    void setValue(int number);

protected:
    void stepBy(int steps) override;
    StepEnabled stepEnabled() const override;
};

class CRead_Kit : public QDialog {
    Q_OBJECT
public:
    explicit CRead_Kit(QWidget* parent = nullptr);

    pulvex::KitBank bank() const;
    int kitNumber() const;

    QRadioButton* presetButton() const { return preset_; }
    QRadioButton* internalButton() const { return internal_; }
    QRadioButton* cardButton() const { return card_; }
    KitNumberBox* kitNumberBox() const { return number_; }

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QRadioButton* preset_;
    QRadioButton* internal_;
    QRadioButton* card_;
    KitNumberBox* number_;
};

class CRead_Ready : public QDialog {
    Q_OBJECT
public:
    explicit CRead_Ready(QWidget* parent = nullptr);
};

// Modeless, without a caption, and disabled: it only shows what is being read.
class CRead_Progress : public QDialog {
    Q_OBJECT
public:
    explicit CRead_Progress(QWidget* parent = nullptr);
    void SetText(const QString& text);
    QString text() const;

private:
    QLabel* text_;
};

} // namespace pulvex_app
