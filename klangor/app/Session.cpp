#include "Session.h"

#include "morvex/Checksum.h"
#include "morvex/ParameterMap.h"
#include "morvex/VoiceCodec.h"

#include <QFileInfo>
#include <QMetaMethod>
#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace klangor {
namespace {

// The dump of VoiceData as it is now, named as the synthesizer's display will show it.
VoiceSender::Outgoing dumpOf(const morvex::MorvexState& state, morvex::Destination to) {
    const auto name = state.voiceData.begin() + morvex::kVoiceNameOffset;
    std::string shown(name, name + morvex::kVoiceNameLength);
    shown.erase(std::find(shown.begin(), shown.end(), '\0'), shown.end());
    return {morvex::sysExMessage(state, morvex::SysExKind::VoiceDump), std::move(to), shown};
}

} // namespace

// One change of the voice: undo puts back the voice before it, redo the voice after it.
class Session::Step : public QUndoCommand {
public:
    Step(Session& session, const QString& what, morvex::VoiceSnapshot before,
         morvex::VoiceSnapshot after)
        : QUndoCommand(what), session_(session), before_(std::move(before)),
          after_(std::move(after)) {}

    void undo() override { session_.restore(before_); }
    void redo() override {
        // Pushing a step runs redo(); the change has happened already.
        if (pushed_) session_.restore(after_);
        pushed_ = true;
    }

private:
    Session& session_;
    morvex::VoiceSnapshot before_;
    morvex::VoiceSnapshot after_;
    bool pushed_ = false;
};

Session::Session(morvex::MorvexState& voice, QObject* parent)
    : QObject(parent), state_(voice), sender_([this](const QString& text, bool sent) {
          if (sent)
              emit sentMessage(text);
          else
              note(text);
      }) {
    history_.setUndoLimit(1000);
    startAfresh();
}

Session::~Session() = default;

void Session::useMidiSettings(const morvex::MidiSettings& settings) {
    settings_ = settings;
    sender_.setPause(std::chrono::milliseconds(settings.pauseMs));
}

void Session::useDeviceFile(std::string portName, bool choosesOutput) {
    deviceFilePort_ = std::move(portName);
    deviceFileChoosesOutput_ = choosesOutput;
}

morvex::Destination Session::destination() const {
    if (!deviceFileChoosesOutput_ && !settings_.outputPort.empty())
        return {state_.midiDevice, settings_.outputPort};
    return {state_.midiDevice, deviceFilePort_};
}

morvex::ReceiveOptions Session::receiveOptions() const {
    morvex::ReceiveOptions options;
    options.to = destination();
    options.inputName = settings_.inputPort;
    // The setup counts devices 1..16 as the synthesizer's panel does; the request carries 0..15.
    options.deviceNumber = settings_.deviceNumber - morvex::kFirstDeviceNumber;
    return options;
}

void Session::encodeVoice() {
    morvex::EncodeVoice(
        state_, [this](int offset) { report(morvex::errorReport(morvex::rangeMessage(offset))); });
    morvex::UpdateChecksum(state_.voiceData);
}

void Session::sendVoice() {
    encodeVoice();
    emit sendRequested();
    sender_.send(dumpOf(state_, destination()));
}

void Session::sendEditedVoice() {
    encodeVoice();
    emit sendRequested();
    sender_.sendLatest(dumpOf(state_, destination()));
}

void Session::transmitVoice() {
    emit sendRequested();
    sender_.send(dumpOf(state_, destination()));
}

void Session::note(const QString& text) {
    // Without a window to show it (a page on its own), the note goes to stderr.
    if (isSignalConnected(QMetaMethod::fromSignal(&Session::statusMessage)))
        emit statusMessage(text);
    else
        std::fprintf(stderr, "klangor: %s\n", qPrintable(text));
}

void Session::recordChange(const QString& what) {
    if (comparing_) return;
    morvex::VoiceSnapshot now = morvex::VoiceSnapshot::of(state_);
    if (morvex::sameVoice(now, recorded_)) return;
    history_.push(new Step(*this, what, recorded_, now));
    recorded_ = std::move(now);
}

void Session::markOriginal() {
    original_ = morvex::VoiceSnapshot::of(state_);
    recorded_ = original_;
}

void Session::markSaved() {
    markOriginal();
    history_.setClean();
}

void Session::startAfresh() {
    history_.clear();
    markSaved();
}

void Session::restore(const morvex::VoiceSnapshot& voice) {
    voice.restoreInto(state_);
    recorded_ = voice;
    emit voiceChanged();
    if (settings_.sendWhileEditing) sendEditedVoice();
}

void Session::setComparing(bool on) {
    if (on == comparing_) return;
    comparing_ = on;
    if (on) {
        edited_ = morvex::VoiceSnapshot::of(state_);
        original_.restoreInto(state_);
    } else {
        edited_.restoreInto(state_);
    }
    emit voiceChanged();
    emit comparingChanged(on);
    sendVoice();
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

} // namespace klangor
