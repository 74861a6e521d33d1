#include "Services.h"

#include "Sender.h"
#include "morvex/Checksum.h"
#include "morvex/ParameterMap.h"
#include "morvex/Transmission.h"
#include "morvex/VoiceCodec.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace klangor {
namespace {

QMessageBox::Icon boxIcon(morvex::Report::Icon icon) {
    switch (icon) {
    case morvex::Report::Icon::Error:
        return QMessageBox::Critical;
    case morvex::Report::Icon::Warning:
        return QMessageBox::Warning;
    case morvex::Report::Icon::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

// Where a send goes, looked up again by the worker before each send: what morvex.dev chose (a
// port name, else its device number), else the stored output, else the device number.
morvex::Destination destination(const morvex::MorvexState& state) {
    if (!deviceFileChoosesOutput() && !midiSettings().outputPort.empty())
        return {state.midiDevice, midiSettings().outputPort};
    return {state.midiDevice, midiPortName()};
}

morvex::MidiSettings& settingsInUse() {
    static morvex::MidiSettings settings;
    return settings;
}

void showInStatusBar(const QString& text) {
    // The main window's status bar when there is one; the program never blocks on such a note.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* main = qobject_cast<QMainWindow*>(window); main && main->isVisible()) {
            main->statusBar()->showMessage(text, 10000);
            return;
        }
    }
    std::fprintf(stderr, "klangor: %s\n", qPrintable(text));
}

// The dump of VoiceData as it is now, named as the synthesizer's display will show it.
VoiceSender::Outgoing dumpOf(const morvex::MorvexState& state) {
    const auto name = state.voiceData.begin() + morvex::kVoiceNameOffset;
    std::string shown(name, name + morvex::kVoiceNameLength);
    shown.erase(std::find(shown.begin(), shown.end(), '\0'), shown.end());
    return {morvex::sysExMessage(state, morvex::SysExKind::VoiceDump), destination(state), shown};
}

VoiceSender::Outgoing encodedDump(morvex::MorvexState& state, QWidget* parent) {
    morvex::EncodeVoice(state, [parent](int offset) {
        showReport(parent, morvex::errorReport(morvex::rangeMessage(offset)));
    });
    morvex::UpdateChecksum(state.voiceData);
    return dumpOf(state);
}

} // namespace

morvex::Destination voiceDestination(const morvex::MorvexState& state) {
    return destination(state);
}

ReportBox& reportBox() {
    static ReportBox box = [](QWidget* parent, const morvex::Report& report) {
        QMessageBox message(boxIcon(report.icon), QString::fromStdString(report.caption),
                            QString::fromStdString(report.text), QMessageBox::Ok, parent);
        message.exec();
    };
    return box;
}

void showReport(QWidget* parent, const morvex::Report& report) {
    reportBox()(parent, report);
}

StatusNote& statusNote() {
    static StatusNote note = showInStatusBar;
    return note;
}

StatusNote& sentNote() {
    static StatusNote note = showInStatusBar;
    return note;
}

const morvex::MidiSettings& midiSettings() {
    return settingsInUse();
}

void useMidiSettings(const morvex::MidiSettings& settings) {
    settingsInUse() = settings;
    voiceSender().setPause(std::chrono::milliseconds(settings.pauseMs));
}

std::string receiveInputPort() {
    return midiSettings().inputPort;
}

bool& deviceFileChoosesOutput() {
    static bool chooses = false;
    return chooses;
}

std::string& midiPortName() {
    static std::string name;
    return name;
}

void sendVoice(morvex::MorvexState& state, QWidget* parent) {
    voiceSender().send(encodedDump(state, parent));
}

void sendEditedVoice(morvex::MorvexState& state, QWidget* parent) {
    voiceSender().sendLatest(encodedDump(state, parent));
}

void transmitVoice(morvex::MorvexState& state) {
    voiceSender().send(dumpOf(state));
}

HelpOpener& helpOpener() {
    static HelpOpener opener = [](const QUrl& page) { QDesktopServices::openUrl(page); };
    return opener;
}

QUrl helpPage(const std::string& startDir, int context) {
    const char* file = "index.html";
    switch (context) {
    case 1200:
        file = "common.html";
        break;
    case 1300:
        file = "vector.html";
        break;
    case 1400:
        file = "tone.html";
        break;
    case 1500:
        file = "envelope.html";
        break;
    case 1600:
        file = "fmedit.html";
        break;
    default:
        break;
    }
    const std::filesystem::path path = std::filesystem::path(startDir) / "help" / file;
    return QUrl::fromLocalFile(QFileInfo(QString::fromStdString(path.string())).absoluteFilePath());
}

void showHelp(const std::string& startDir, int context) {
    helpOpener()(helpPage(startDir, context));
}

} // namespace klangor
