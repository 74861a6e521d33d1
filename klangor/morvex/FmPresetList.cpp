#include "morvex/FmPresetList.h"

#include "files/BoundedRead.h"
#include "morvex/ParameterMap.h"
#include "morvex/ScaleTables.h"

#include <algorithm>
#include <filesystem>
#include <string_view>

namespace morvex {
namespace {

constexpr int kStoredAboveCode = 200; // codes 200..255 stand for 0..55
constexpr int kToneLevelIndex = 3;
// 256 lines of 21 characters are under 6 KiB; forty times that leaves room for any hand-edited
// list, and anything larger is not a preset list.
constexpr std::size_t kLargestPresetList = 256 * 1024;

int presetByte(unsigned char code) {
    return code >= kStoredAboveCode ? code - kStoredAboveCode : code;
}

std::string where(int index) {
    return "FM preset " + std::to_string(index) + " in \"" + kFmPresetListName + "\"";
}

// Line `index` of the list, without its line end; false when the list has fewer lines.
bool findLine(std::string_view list, int index, std::string_view& line) {
    std::size_t at = 0;
    for (int k = 0; k <= index; ++k) {
        if (at >= list.size()) return false;
        const std::size_t end = std::min(list.find('\n', at), list.size());
        line = list.substr(at, end - at);
        at = end + 1;
    }
    while (line.ends_with('\r')) line.remove_suffix(1);
    return true;
}

} // namespace

Status LoadFmPreset(MorvexState& state, int index, FmElement element, const std::string& dir) {
    const int e = fmIndex(element);
    const int base = kFmBlockOffset[e];
    const std::string path = (std::filesystem::path(dir) / kFmPresetListName).string();

    const files::ReadResult file = files::readFileBounded(path, kLargestPresetList);
    if (file.notFound) {
        std::fill_n(state.voiceData.begin() + base, kFmBlockSize, 1);
        return warningReport(std::string("File \"") + kFmPresetListName + "\" not found!");
    }
    if (file.error) return errorReport(*file.error);

    const std::string_view list(reinterpret_cast<const char*>(file.bytes.data()),
                                file.bytes.size());
    std::string_view line;
    if (index < 0 || !findLine(list, index, line))
        return errorReport(where(index) + " is missing!");
    if (line.size() < static_cast<std::size_t>(kFmBlockSize))
        return errorReport(where(index) + " is shorter than 21 characters!");

    // Check the whole line before changing anything.
    const auto& roles = fmBlockRoles();
    FmBlock bytes{};
    for (int i = 0; i < kFmBlockSize; ++i) {
        bytes[i] = presetByte(static_cast<unsigned char>(line[i]));
        const bool scaled = i == kToneLevelIndex || roles[i] == FmByteRole::Inverted;
        if (scaled && bytes[i] > 127)
            return errorReport(where(index) + ": value " + std::to_string(bytes[i]) +
                               " at position " + std::to_string(i) + " is above 127!");
    }

    BuildScaleTables();
    FmBlock& params = state.fmParams[e];
    for (int i = 0; i < kFmBlockSize; ++i) {
        params[i] = bytes[i];
        state.voiceData[base + i] = static_cast<std::uint8_t>(bytes[i]);
        if (roles[i] == FmByteRole::Inverted) params[i] = Scale127To99(127 - bytes[i]);
    }
    state.voiceParams.toneFeedback[e] = bytes[0];
    state.voiceParams.toneLevel[e] = Scale127To99(127 - bytes[kToneLevelIndex]);
    for (int i = 1; i < kFmBlockSize; ++i)
        if (roles[i] == FmByteRole::LowOfFlagged && params[i - 1] == 1) params[i] += 128;
    return std::nullopt;
}

} // namespace morvex
