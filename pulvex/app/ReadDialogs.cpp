#include "ReadDialogs.h"

#include "UserDialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

namespace pulvex_app {
namespace {

constexpr int kFirstKit = 1;
constexpr int kLastKit = 64;

QLabel* iconLabel(QWidget* parent, QStyle::StandardPixmap which) {
    auto* label = new QLabel(parent);
    label->setPixmap(parent->style()->standardIcon(which).pixmap(32, 32));
    label->setAlignment(Qt::AlignTop);
    return label;
}

std::optional<int> integerIn(const QString& text) {
    bool isNumber = false;
    const int number = text.trimmed().toInt(&isNumber);
    if (!isNumber) return std::nullopt;
    return number;
}

} // namespace

KitNumberBox::KitNumberBox(QWidget* parent) : QAbstractSpinBox(parent) {
    setValue(kFirstKit);
    setMinimumWidth(fontMetrics().horizontalAdvance(QString::number(kLastKit)) * 3);
}

std::optional<int> KitNumberBox::number() const {
    const std::optional<int> typed = integerIn(text());
    if (!typed || *typed < kFirstKit || *typed > kLastKit) return std::nullopt;
    return typed;
}

void KitNumberBox::setValue(int number) {
    lineEdit()->setText(QString::number(number));
}

void KitNumberBox::stepBy(int steps) {
    // A text that is no kit number steps to the nearest one first.
    const int from = integerIn(text()).value_or(kFirstKit);
    const int to = number() ? from + steps : from;
    setValue(std::clamp(to, kFirstKit, kLastKit));
    selectAll();
}

QAbstractSpinBox::StepEnabled KitNumberBox::stepEnabled() const {
    const std::optional<int> typed = number();
    if (!typed) return StepUpEnabled | StepDownEnabled;
    StepEnabled enabled = StepNone;
    if (*typed < kLastKit) enabled |= StepUpEnabled;
    if (*typed > kFirstKit) enabled |= StepDownEnabled;
    return enabled;
}

void centreOver(QWidget& dialog, const QWidget* window) {
    if (!window) return;
    const QRect client(window->mapToGlobal(QPoint(0, 0)), window->size());
    const QSize size = dialog.sizeHint().expandedTo(dialog.size());
    if (size.width() < client.width() && size.height() < client.height())
        dialog.move(client.center() - QPoint(size.width() / 2, size.height() / 2));
}

CRead_Kit::CRead_Kit(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Read a Pulvex Drum Kit");
    auto* bankBox = new QGroupBox("Bank", this);
    preset_ = new QRadioButton("&Preset", bankBox);
    internal_ = new QRadioButton("&Internal", bankBox);
    card_ = new QRadioButton("&Card", bankBox);
    internal_->setChecked(true);
    auto* bankLayout = new QVBoxLayout(bankBox);
    for (auto* button : {preset_, internal_, card_}) bankLayout->addWidget(button);

    number_ = new KitNumberBox(this);
    auto* numberLabel = new QLabel("&Kit number:", this);
    numberLabel->setBuddy(number_);
    auto* numberLayout = new QHBoxLayout;
    numberLayout->addWidget(numberLabel);
    numberLayout->addWidget(number_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bankBox);
    layout->addLayout(numberLayout);
    layout->addWidget(buttons);
}

pulvex::KitBank CRead_Kit::bank() const {
    if (preset_->isChecked()) return pulvex::KitBank::Preset;
    if (internal_->isChecked()) return pulvex::KitBank::Internal;
    return pulvex::KitBank::Card;
}

int CRead_Kit::kitNumber() const {
    // The dialog ends with OK only on a kit number.
    return number_->number().value_or(kFirstKit);
}

void CRead_Kit::accept() {
    if (!number_->number()) {
        showExclamation(
            this,
            QString("Please enter an integer between %1 and %2.").arg(kFirstKit).arg(kLastKit));
        number_->setFocus();
        return;
    }
    QDialog::accept();
}

void CRead_Kit::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOver(*this, parentWidget());
}

CRead_Ready::CRead_Ready(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Ready to read Pulvex configuration");
    auto* text = new QLabel("Switch on the Pulvex and connect it to the PC", this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(iconLabel(this, QStyle::SP_MessageBoxInformation));
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

CRead_Progress::CRead_Progress(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setModal(false);
    setEnabled(false);
    text_ = new QLabel(pulvex::kProgressInternal, this);
    text_->setMinimumWidth(160);
    auto* column = new QVBoxLayout;
    column->addWidget(new QLabel("Now reading:", this));
    column->addWidget(text_);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(iconLabel(this, QStyle::SP_DriveNetIcon));
    layout->addLayout(column, 1);
}

void CRead_Progress::SetText(const QString& text) {
    text_->setText(text);
    show();
}

QString CRead_Progress::text() const {
    return text_->text();
}

} // namespace pulvex_app
