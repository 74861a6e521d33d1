#include "VoicePickerDialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

namespace klangor {

VoicePickerDialog::VoicePickerDialog(const std::vector<morvex::VoiceInFile>& voices,
                                     QWidget* parent)
    : QDialog(parent), list_(new QListWidget(this)) {
    setWindowTitle("Choose a voice");
    list_->setObjectName("Voices");
    for (const morvex::VoiceInFile& voice : voices)
        list_->addItem(QString("%1  %2")
                           .arg(voice.position)
                           .arg(QString::fromLatin1(voice.name.data(),
                                                    static_cast<qsizetype>(voice.name.size()))));
    list_->setCurrentRow(0);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
}

int VoicePickerDialog::chosenIndex() const {
    return list_->currentRow();
}

std::optional<int> pickVoice(QWidget* parent, const std::vector<morvex::VoiceInFile>& voices) {
    VoicePickerDialog dialog(voices, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.chosenIndex();
}

} // namespace klangor
