#include "pulvex/model/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <cstdlib>
#include <utility>

namespace pulvex {

namespace {

constexpr SettingInfo kSettings[kSettingCount] = {
    {SettingKey::MidiIn, "MIDI In", true, 0},
    {SettingKey::MidiOut, "MIDI Out", true, 0},
    {SettingKey::Channel, "Channel", false, 0},
    {SettingKey::DeviceNumber, "Device Number", false, 0},
    {SettingKey::Duration, "Duration", false, 2},
    {SettingKey::Quantize, "Quantize", false, 2},
    {SettingKey::Velocity1, "Velocity 1", false, 70},
    {SettingKey::Velocity2, "Velocity 2", false, 90},
    {SettingKey::Velocity3, "Velocity 3", false, 110},
    {SettingKey::Velocity4, "Velocity 4", false, 120},
    {SettingKey::PatchBayChannel, "Patch Bay Channel", false, 0},
    {SettingKey::ProgramChange, "Program Change", false, 0},
    {SettingKey::SendProgramChange, "Send Program Change", false, 0},
};

const SettingInfo& infoOf(SettingKey key) {
    return kSettings[static_cast<int>(key)];
}

QString keyOf(SettingKey key) {
    const std::string_view name = infoOf(key).name;
    return "Settings/" + QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

std::string defaultPath() {
    const char* chosen = std::getenv("PULVEX_INI");
    if (chosen != nullptr && *chosen != '\0') return chosen;
    return (QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
            "/pulvex/Pulvex.ini")
        .toStdString();
}

// A fresh QSettings per call: another program (or another store) may have changed the file since.
QSettings open(const std::string& path) {
    return QSettings(QString::fromStdString(path), QSettings::IniFormat);
}

bool store(const std::string& path, SettingKey key, const QVariant& value) {
    // QSettings does not create missing folders, and the first write goes to an empty config dir.
    const QFileInfo file(QString::fromStdString(path));
    QDir().mkpath(file.absolutePath());
    QSettings settings(QString::fromStdString(path), QSettings::IniFormat);
    settings.setValue(keyOf(key), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace

const SettingInfo (&settingTable())[kSettingCount] {
    return kSettings;
}

const SettingInfo* findSetting(std::string_view name) {
    for (const SettingInfo& info : kSettings)
        if (info.name == name) return &info;
    return nullptr;
}

SettingsStore::SettingsStore() : path_(defaultPath()) {}

SettingsStore::SettingsStore(std::string iniPath) : path_(std::move(iniPath)) {}

SettingsStore::SettingsStore(std::string iniPath,
                             std::optional<std::array<std::string, kSettingCount>> memory)
    : path_(std::move(iniPath)), memory_(std::move(memory)) {}

SettingsStore SettingsStore::inMemoryCopy(const SettingsStore& source) {
    std::array<std::string, kSettingCount> values;
    for (const SettingInfo& info : kSettings)
        values[static_cast<std::size_t>(info.key)] = source.storedText(info.key);
    return SettingsStore({}, std::move(values));
}

std::string SettingsStore::storedText(SettingKey key) const {
    if (memory_) return (*memory_)[static_cast<std::size_t>(key)];
    const QVariant value = open(path_).value(keyOf(key));
    // A hand-edited port name with an unquoted comma comes back from the INI reader as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(", ").toStdString();
    return value.toString().toStdString();
}

int SettingsStore::readNumber(SettingKey key) const {
    bool ok = false;
    const int number = QString::fromStdString(storedText(key)).trimmed().toInt(&ok);
    return ok ? number : infoOf(key).defaultNumber;
}

std::string SettingsStore::readText(SettingKey key) const {
    return storedText(key);
}

bool SettingsStore::writeNumber(SettingKey key, int value) {
    if (memory_) return writeText(key, std::to_string(value));
    return store(path_, key, value);
}

bool SettingsStore::writeText(SettingKey key, const std::string& value) {
    if (memory_) {
        (*memory_)[static_cast<std::size_t>(key)] = value;
        return true;
    }
    return store(path_, key, QString::fromStdString(value));
}

} // namespace pulvex
