// Any bytes as "morvex.lst" (the first byte picks the preset): loading must either report a
// problem and change nothing, or fill the FM block with values the encoder can take.

#include "morvex/FmPresetList.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("fuzz-fm-list-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    {
        std::ofstream list(dir / morvex::kFmPresetListName, std::ios::binary | std::ios::trunc);
        list.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }
    morvex::MorvexState state;
    const morvex::MorvexState before = state;
    const int index = data[0] % 8;
    const morvex::Status problem =
        morvex::LoadFmPreset(state, index, morvex::FmElement::D, dir.string());
    if (problem && problem->icon == morvex::Report::Icon::Error &&
        (state.voiceData != before.voiceData || state.fmParams != before.fmParams))
        std::abort();
    const int toneLevel = state.voiceParams.toneLevel[1];
    if (toneLevel < 0 || toneLevel > 99) std::abort();
    return 0;
}
