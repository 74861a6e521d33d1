#include "morvex/StartDir.h"

#include "morvex/Transmission.h"

#include <filesystem>
#include <fstream>
#include <system_error>
#if defined(_WIN32)
#include <windows.h>
#elif defined(__APPLE__)
#include <mach-o/dyld.h>
#endif

namespace morvex {
namespace fs = std::filesystem;

std::string executableDir() {
    std::error_code error;
#if defined(_WIN32)
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return {};
    return fs::path(buffer).parent_path().string();
#elif defined(__APPLE__)
    char buffer[4096];
    uint32_t size = sizeof buffer;
    if (_NSGetExecutablePath(buffer, &size) != 0) return {};
    return fs::weakly_canonical(buffer, error).parent_path().string();
#else
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string{} : self.parent_path().string();
#endif
}

std::string findStartDir() {
    std::error_code error;
    const fs::path current = fs::current_path(error);
    if (!error && fs::exists(current / kInitialVoiceName, error)) return current.string();
    const std::string programDir = executableDir();
    if (!programDir.empty()) {
        for (const fs::path& candidate :
             {fs::path(programDir) / ".." / "share" / "klangor", fs::path(programDir)}) {
            if (fs::exists(candidate / kInitialVoiceName, error))
                return fs::weakly_canonical(candidate, error).string();
        }
    }
    return error ? std::string(".") : current.string();
}

Status ReadDeviceFile(MorvexState& state, std::string* portName) {
    const fs::path path = fs::path(state.startDir) / kDeviceFileName;
    std::ifstream file(path);
    if (!file) return warningReport(std::string("File \"") + kDeviceFileName + "\" not found!");
    if (portName) portName->clear();
    long long device = 0;
    if (file >> device) {
        state.midiDevice = static_cast<std::uint8_t>(device & 0xFF);
        return std::nullopt;
    }
    // Not a number: the first non-blank line names the port.
    file.clear();
    file.seekg(0);
    std::string line;
    while (std::getline(file, line)) {
        const auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos) continue;
        const std::string name = line.substr(first, line.find_last_not_of(" \t\r") + 1 - first);
        if (portName) *portName = name;
        const int index = findMidiOutput(name);
        if (index >= 0) {
            state.midiDevice = static_cast<std::uint8_t>(index);
            return std::nullopt;
        }
        if (portName) return std::nullopt;
        return warningReport("There is no MIDI output \"" + name + "\"!");
    }
    return warningReport(std::string("File \"") + kDeviceFileName + "\" holds no device number!");
}

} // namespace morvex
