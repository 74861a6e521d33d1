#include "Services.h"

#include "Sender.h"
#include "morvex/Checksum.h"
#include "morvex/Transmission.h"
#include "morvex/VoiceCodec.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>
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

} // namespace

morvex::Destination voiceDestination(const morvex::MorvexState& state) {
    return {state.midiDevice, midiPortName()};
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
    // The main window's status bar when there is one; the program never blocks on such a note.
    static StatusNote note = [](const QString& text) {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* main = qobject_cast<QMainWindow*>(window); main && main->isVisible()) {
                main->statusBar()->showMessage(text, 10000);
                return;
            }
        }
        std::fprintf(stderr, "klangor: %s\n", qPrintable(text));
    };
    return note;
}

std::string& midiPortName() {
    static std::string name;
    return name;
}

void sendVoice(morvex::MorvexState& state, QWidget* parent) {
    morvex::EncodeVoice(state, [parent](int offset) {
        showReport(parent, morvex::errorReport(morvex::rangeMessage(offset)));
    });
    morvex::UpdateChecksum(state.voiceData);
    transmitVoice(state);
}

void transmitVoice(morvex::MorvexState& state) {
    voiceSender().send(morvex::sysExMessage(state, morvex::SysExKind::VoiceDump),
                       voiceDestination(state));
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
