#pragma once
// "Choose a voice": which of the voices in a file of several becomes the current one.

#include "morvex/VoiceFile.h"

#include <QDialog>
#include <optional>
#include <vector>

class QListWidget;

namespace klangor {

class VoicePickerDialog : public QDialog {
    Q_OBJECT
public:
    // One row a voice, "2  Init Pad": its message number in the file and its name. The first row
    // is chosen until the user picks another; a double-click takes the row at once.
    explicit VoicePickerDialog(const std::vector<morvex::VoiceInFile>& voices,
                               QWidget* parent = nullptr);

    // The chosen row, an index into the voices.
    int chosenIndex() const;

private:
    QListWidget* list_;
};

// Asks the user which voice to take; none when the dialog is cancelled. THaupt::voiceChooser.
std::optional<int> pickVoice(QWidget* parent, const std::vector<morvex::VoiceInFile>& voices);

} // namespace klangor
