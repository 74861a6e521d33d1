#pragma once
// File > Receive all kits...: banks and format asked, the kits read in one exchange with a progress
// window whose Cancel keeps what was read, then saved (one file where the format holds many kits,
// else a file per kit in a folder), and the report shown: what was read, what ended the run early,
// every kit not read, and where the kits went.

#include "pulvex/model/WireboxBinding.h"

#include <chrono>

class QMainWindow;

namespace pulvex {
class SettingsStore;
class WaveNameTable;
} // namespace pulvex

namespace pulvex_app {

inline constexpr const char* kNothingSaved = "Nothing was saved.";

void receiveAllKits(QMainWindow& frame, const pulvex::WireboxBinding& wirebox,
                    const pulvex::SettingsStore& settings, pulvex::WaveNameTable& names,
                    std::chrono::milliseconds replyTimeOut);

} // namespace pulvex_app
