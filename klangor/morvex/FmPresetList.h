#pragma once
// The FM preset list "morvex.lst": line k holds the 21 FM block bytes of FM wave k, one character
// each; codes 200..255 stand for the bytes 0..55, every other code for itself.

#include "morvex/MorvexState.h"
#include "morvex/Report.h"

#include <string>

namespace morvex {

inline constexpr const char* kFmPresetListName = "morvex.lst";

// Loads FM preset `index` into the element's FM block: the block bytes of VoiceData, FmParams, and
// the element's tone feedback and tone level. `dir` is the folder of the list (StartDir).
//
// Without the list file: a warning, and the block bytes in VoiceData become 1 (FmParams and the
// tone values stay). A missing line, a line shorter than 21 characters, or a byte above 127 where
// the byte is read through the 0..127 scale: an error, and nothing changes.
Status LoadFmPreset(MorvexState& state, int index, FmElement element, const std::string& dir);

} // namespace morvex
