#include "morvex/StartDir.h"

#include "files/BoundedRead.h"
#include "morvex/Transmission.h"

#include <filesystem>
#include <sstream>
#include <system_error>
#if defined(_WIN32)
#include <windows.h>
#elif defined(__APPLE__)
#include <mach-o/dyld.h>
#endif

namespace morvex {
namespace fs = std::filesystem;
namespace {

// The file holds a number or a port name on one line; a page of text is already far more.
constexpr std::size_t kLargestDeviceFile = 64 * 1024;

} // namespace

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
    const std::string path = (fs::path(state.startDir) / kDeviceFileName).string();
    const files::ReadResult content = files::readFileBounded(path, kLargestDeviceFile);
    if (content.notFound)
        return warningReport(std::string("File \"") + kDeviceFileName + "\" not found!");
    if (content.error) return warningReport(*content.error);
    std::istringstream file(std::string(content.bytes.begin(), content.bytes.end()));
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
