#pragma once
// The few things that pages and the main window hand to the user: message boxes, status notes,
// sending and help. Each goes through a replaceable function so tests can capture it.

#include "morvex/MidiSettings.h"
#include "morvex/MorvexState.h"
#include "morvex/Report.h"
#include "morvex/Transmission.h"

#include <QString>
#include <QUrl>
#include <functional>
#include <string>

class QWidget;

namespace klangor {

// Shows one report; the default is a modal QMessageBox with the report's caption and icon.
using ReportBox = std::function<void(QWidget* parent, const morvex::Report& report)>;
ReportBox& reportBox();
void showReport(QWidget* parent, const morvex::Report& report);

// A short note that needs no answer (the main window shows it in its status bar).
using StatusNote = std::function<void(const QString& text)>;
StatusNote& statusNote();

// The note of a send that went (the main window's status bar); separate from the problems above.
StatusNote& sentNote();

// The MIDI setup in use: read from the settings file at start, changed by the setup dialog.
const morvex::MidiSettings& midiSettings();
// Makes `settings` the setup in use (the pause applies to the next send); stores nothing.
void useMidiSettings(const morvex::MidiSettings& settings);
// The input a voice is received from: the stored one (empty when none was chosen).
std::string receiveInputPort();

// Whether morvex.dev chose the output at start; it then wins over the stored output, so that
// set-ups made before the settings file existed do not change.
bool& deviceFileChoosesOutput();

// The MIDI output named in morvex.dev when it names a port instead of giving a number; looked up
// again before each send, because port numbers change as other programs come and go.
std::string& midiPortName();

// Where a send goes: the port named in morvex.dev, looked up again before each send, else the
// device number.
morvex::Destination voiceDestination(const morvex::MorvexState& state);

// EncodeVoice (each byte above 127 reported as a "Fehler" box), UpdateChecksum, then the voice
// dump to the current MIDI device. The dump goes out off the GUI thread (voiceSender()); a device
// that cannot be reached is a status note, not a box.
void sendVoice(morvex::MorvexState& state, QWidget* parent);
// The same for an edit while "send while editing" is on: coalesced with the edits before it, so a
// burst of edits sends only the newest voice once the dump in flight has gone.
void sendEditedVoice(morvex::MorvexState& state, QWidget* parent);

// The voice dump as VoiceData holds it now, without encoding (the Direct edit page's way).
void transmitVoice(morvex::MorvexState& state);

// Opens a page of the HTML manual; the default hands the URL to the desktop's browser.
using HelpOpener = std::function<void(const QUrl& page)>;
HelpOpener& helpOpener();
// The manual's page for a help context (1000 index, 1200..1600 the pages) below StartDir/help.
QUrl helpPage(const std::string& startDir, int context);
void showHelp(const std::string& startDir, int context);

} // namespace klangor
