#include "morvex/FmPresetList.h"

#include "morvex/ParameterMap.h"
#include "morvex/ScaleTables.h"

#include <QFile>
#include <algorithm>
#include <filesystem>

namespace morvex {
namespace {

constexpr int kStoredAboveCode = 200; // codes 200..255 stand for 0..55
constexpr int kToneLevelIndex = 3;

int presetByte(unsigned char code) {
    return code >= kStoredAboveCode ? code - kStoredAboveCode : code;
}

std::string where(int index) {
    return "FM preset " + std::to_string(index) + " in \"" + kFmPresetListName + "\"";
}

// Line `index` of the list, without its line end; false when the list has fewer lines.
bool readLine(QFile& file, int index, QByteArray& line) {
    for (int k = 0; k <= index; ++k) {
        if (file.atEnd()) return false;
        line = file.readLine();
    }
    while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
    return true;
}

} // namespace

Status LoadFmPreset(MorvexState& state, int index, FmElement element, const std::string& dir) {
    const int e = fmIndex(element);
    const int base = kFmBlockOffset[e];
    const std::string path = (std::filesystem::path(dir) / kFmPresetListName).string();

    QFile file(QString::fromStdString(path));
    if (!file.exists()) {
        std::fill_n(state.voiceData.begin() + base, kFmBlockSize, 1);
        return warningReport(std::string("File \"") + kFmPresetListName + "\" not found!");
    }
    if (!file.open(QIODevice::ReadOnly))
        return errorReport("Cannot open \"" + path + "\": " + file.errorString().toStdString());

    QByteArray line;
    if (index < 0 || !readLine(file, index, line))
        return errorReport(where(index) + " is missing!");
    if (line.size() < kFmBlockSize)
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
