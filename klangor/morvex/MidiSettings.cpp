#include "morvex/MidiSettings.h"

#include "files/IniFile.h"

#include <QStandardPaths>
#include <QString>
#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace morvex {
namespace {

constexpr const char* kSection = "MIDI";
constexpr const char* kOutputKey = "Output";
constexpr const char* kInputKey = "Input";
constexpr const char* kDeviceKey = "Device";
constexpr const char* kPauseKey = "Pause";
constexpr const char* kSendWhileEditingKey = "SendWhileEditing";

int numberOr(const std::optional<std::string>& text, int fallback, int lowest, int highest) {
    if (!text) return fallback;
    long long value = 0;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, value);
    if (error == std::errc::result_out_of_range) return text->starts_with('-') ? lowest : highest;
    if (error != std::errc() || stop != end) return fallback;
    return static_cast<int>(std::clamp<long long>(value, lowest, highest));
}

} // namespace

std::string midiSettingsPath() {
    if (const char* named = std::getenv("KLANGOR_INI"); named && *named) return named;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return (config + "/klangor/Klangor.ini").toStdString();
}

MidiSettings readMidiSettings(const std::string& path) {
    const files::IniText text = files::readIniFile(path).text;
    const auto value = [&](const char* key) { return text.value(kSection, key); };
    MidiSettings settings;
    settings.outputPort = value(kOutputKey).value_or("");
    settings.inputPort = value(kInputKey).value_or("");
    settings.deviceNumber =
        numberOr(value(kDeviceKey), kFirstDeviceNumber, kFirstDeviceNumber, kLastDeviceNumber);
    settings.pauseMs = numberOr(value(kPauseKey), 0, 0, kLongestPauseMs);
    settings.sendWhileEditing = value(kSendWhileEditingKey) == "true";
    return settings;
}

files::FileError writeMidiSettings(const std::string& path, const MidiSettings& settings) {
    return files::editIniFile(path, [&](files::IniText& text) {
        text.setValue(kSection, kOutputKey, settings.outputPort);
        text.setValue(kSection, kInputKey, settings.inputPort);
        text.setValue(kSection, kDeviceKey, std::to_string(settings.deviceNumber));
        text.setValue(kSection, kPauseKey, std::to_string(settings.pauseMs));
        text.setValue(kSection, kSendWhileEditingKey, settings.sendWhileEditing ? "true" : "false");
    });
}

} // namespace morvex
