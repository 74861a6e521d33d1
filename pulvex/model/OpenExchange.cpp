#include "pulvex/model/OpenExchange.h"

#include "midi/Backend.h"
#include "pulvex/model/Reception.h"
#include "pulvex/model/Settings.h"

namespace pulvex {

bool OpenExchange::open(const SettingsStore& settings, std::chrono::milliseconds timeOut) {
    const std::string in = settings.readText(SettingKey::MidiIn);
    const std::string out = settings.readText(SettingKey::MidiOut);
    wirebox_.SetTimeOut(static_cast<std::uint32_t>(timeOut.count()));
    serviceThere_ = midi::service().problem().empty();
    open_ = wirebox_.OpenMidi(nullptr, settings.readNumber(SettingKey::Channel), in.c_str(),
                              out.c_str()) != 0;
    return open_;
}

bool OpenExchange::serviceStopped() const {
    return serviceThere_ && !midi::service().problem().empty();
}

void OpenExchange::beginBusy() {
    if (busy_) return;
    ui_.beginBusy();
    busy_ = true;
}

void OpenExchange::endBusy() {
    if (busy_) ui_.endBusy();
    busy_ = false;
}

void OpenExchange::end() {
    endBusy();
    if (open_) wirebox_.CloseMidi();
    open_ = false;
}

void OpenExchange::fail(const std::string& text) {
    end();
    ui_.showError(text);
}

} // namespace pulvex
