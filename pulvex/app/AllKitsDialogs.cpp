#include "AllKitsDialogs.h"

#include "ReadDialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace pulvex_app {

CReceiveAllKits::CReceiveAllKits(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Receive all kits");
    auto* bankBox = new QGroupBox("Bank", this);
    all_ = new QRadioButton("&All banks", bankBox);
    preset_ = new QRadioButton("&Preset", bankBox);
    internal_ = new QRadioButton("&Internal", bankBox);
    card_ = new QRadioButton("&Card", bankBox);
    all_->setChecked(true);
    auto* bankLayout = new QVBoxLayout(bankBox);
    for (auto* button : {all_, preset_, internal_, card_}) bankLayout->addWidget(button);

    format_ = new QComboBox(this);
    for (const pulvex::DrumMapFormat& format : pulvex::drumMapFormats()) {
        if (format.limit != 0) continue;
        offered_.push_back(&format);
        format_->addItem(QString::fromStdString(pulvex::formatTitle(format)));
    }
    auto* formatRow = new QFormLayout;
    formatRow->addRow("&Save as:", format_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bankBox);
    layout->addLayout(formatRow);
    layout->addWidget(buttons);
}

std::optional<pulvex::KitBank> CReceiveAllKits::bank() const {
    if (preset_->isChecked()) return pulvex::KitBank::Preset;
    if (internal_->isChecked()) return pulvex::KitBank::Internal;
    if (card_->isChecked()) return pulvex::KitBank::Card;
    return std::nullopt;
}

QRadioButton* CReceiveAllKits::bankButton(pulvex::KitBank bank) const {
    switch (bank) {
    case pulvex::KitBank::Preset:
        return preset_;
    case pulvex::KitBank::Internal:
        return internal_;
    case pulvex::KitBank::Card:
        return card_;
    }
    return nullptr;
}

const pulvex::DrumMapFormat& CReceiveAllKits::format() const {
    return *offered_.at(static_cast<std::size_t>(std::max(0, format_->currentIndex())));
}

bool CReceiveAllKits::chooseFormat(std::string_view name) {
    for (std::size_t i = 0; i < offered_.size(); ++i)
        if (name == offered_[i]->name) {
            format_->setCurrentIndex(static_cast<int>(i));
            return true;
        }
    return false;
}

void CReceiveAllKits::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOver(*this, parentWidget());
}

CKitsProgress::CKitsProgress(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Receive all kits");
    setWindowModality(Qt::WindowModal);
    count_ = new QLabel(this);
    kit_ = new QLabel(this);
    kit_->setMinimumWidth(fontMetrics().horizontalAdvance("Internal 64") * 2);
    bar_ = new QProgressBar(this);
    cancel_ = new QPushButton("Cancel", this);
    connect(cancel_, &QPushButton::clicked, this, &CKitsProgress::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Now reading:", this));
    layout->addWidget(count_);
    layout->addWidget(kit_);
    layout->addWidget(bar_);
    layout->addWidget(cancel_, 0, Qt::AlignRight);
}

void CKitsProgress::setKit(int k, int n, const pulvex::KitAddress& kit) {
    count_->setText(QString::fromStdString(pulvex::kitProgressText(k, n)));
    kit_->setText(QString::fromStdString(pulvex::kitAddressText(kit)));
    bar_->setRange(0, n);
    bar_->setValue(k - 1);
    if (!isVisible()) {
        show();
        centreOver(*this, parentWidget());
    }
}

QString CKitsProgress::text() const {
    return count_->text();
}

void CKitsProgress::reject() {
    cancelled_ = true;
    cancel_->setEnabled(false); // heard; the run ends at its next look
}

} // namespace pulvex_app
