#pragma once
// The one owner of the voice Klangor edits, made by the main window and handed to each page. It
// keeps what outlives a page (the envelope snapshot, the muted volumes, the random generator, the
// MIDI setup), sends the voice, keeps its history for undo and the original for compare, and says
// through signals when the voice was replaced and what the user should see. No widgets.

#include "Sender.h"
#include "morvex/EnvelopeLogic.h"
#include "morvex/MidiSettings.h"
#include "morvex/MorvexState.h"
#include "morvex/RandomSource.h"
#include "morvex/ReceiveVoice.h"
#include "morvex/Report.h"
#include "morvex/Transmission.h"
#include "morvex/VoiceSnapshot.h"

#include <QObject>
#include <QString>
#include <QUndoStack>
#include <QUrl>
#include <string>

namespace klangor {

class Session : public QObject {
    Q_OBJECT
public:
    // `voice` is the storage of the voice; it outlives the session.
    explicit Session(morvex::MorvexState& voice, QObject* parent = nullptr);
    ~Session() override;

    morvex::MorvexState& state() const { return state_; }
    morvex::EnvelopeSnapshot& envelopeSnapshot() { return envelopeSnapshot_; }
    // The volume each element had when it was switched off.
    morvex::PerElement& mutedVolume() { return mutedVolume_; }
    morvex::RandomSource& random() { return random_; }

    // --- MIDI ---
    const morvex::MidiSettings& midiSettings() const { return settings_; }
    // Makes `settings` the setup in use (the pause applies to the next send); stores nothing.
    void useMidiSettings(const morvex::MidiSettings& settings);
    // What morvex.dev said: the port it names (empty when it gives a number), and whether it
    // chooses the output. It then wins over the stored output, so that set-ups made before the
    // settings file existed do not change.
    void useDeviceFile(std::string portName, bool choosesOutput);
    // Where a send goes: what morvex.dev chose, else the stored output, else the device number.
    morvex::Destination destination() const;
    // A receive: the request goes where sends go, the answer is awaited on the setup's input (none
    // chosen: the one named like the output), for the setup's device number.
    morvex::ReceiveOptions receiveOptions() const;
    VoiceSender& sender() { return sender_; }

    // Encodes the voice, each byte above 127 reported as a "Fehler" box, and updates the check
    // bytes: what a save or a send carries.
    void encodeVoice();
    // encodeVoice, then the dump off the GUI thread; the result comes back as a note.
    void sendVoice();
    // The same for an edit while "send while editing" is on: coalesced with the edits before it.
    void sendEditedVoice();
    // The dump as VoiceData holds it now, without encoding (the Direct edit page's way).
    void transmitVoice();

    // --- what the user sees ---
    void report(const morvex::Report& report) { emit reportRequested(report); }
    // A short note that needs no answer; the status bar shows it.
    void note(const QString& text);
    void requestHelp(int context) { emit helpRequested(context); }

    // --- history ---
    // One step of undo per stored change, each the voice before and after it.
    QUndoStack& history() { return history_; }
    // Records the voice as it is now as a step named `what` ("Random FM B"), when it differs from
    // the voice of the last step. Nothing is recorded while comparing.
    void recordChange(const QString& what);
    // The voice as it is now is what was loaded, received or saved: compare goes back to it.
    void markOriginal();
    // ... and it is what its file holds: the voice counts as unchanged until the next step.
    void markSaved();
    // After a load that starts afresh (the start-up voice): no history, unchanged.
    void startAfresh();

    // Compare: shows and sends the original while on, the edited voice again when off.
    bool comparing() const { return comparing_; }
    void setComparing(bool on);

signals:
    // The voice was replaced by undo, redo or compare: the open page shows it again.
    void voiceChanged();
    void statusMessage(const QString& text);
    // The note of a send that went.
    void sentMessage(const QString& text);
    void reportRequested(const morvex::Report& report);
    // A dump is about to be queued for sending.
    void sendRequested();
    void helpRequested(int context);
    void comparingChanged(bool comparing);

private:
    class Step;
    void restore(const morvex::VoiceSnapshot& voice);

    morvex::MorvexState& state_;
    morvex::EnvelopeSnapshot envelopeSnapshot_{};
    morvex::PerElement mutedVolume_{};
    morvex::RandomSource random_;
    morvex::MidiSettings settings_;
    std::string deviceFilePort_;
    bool deviceFileChoosesOutput_ = false;

    QUndoStack history_;
    morvex::VoiceSnapshot recorded_; // the voice of the last step
    morvex::VoiceSnapshot original_;
    morvex::VoiceSnapshot edited_; // while comparing
    bool comparing_ = false;

    VoiceSender sender_; // last: its worker reports to the session while it winds down
};

// The manual's page for a help context (1000 index, 1200..1600 the pages) below StartDir/help.
QUrl helpPage(const std::string& startDir, int context);

} // namespace klangor
