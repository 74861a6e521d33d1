#pragma once
// The decoded voice's values by name, as scripts write them: "effect", "A.attack_rate",
// "B.tone_level", "D.block.6", "level_vector.speed", "level_vector.3.time". The names come from
// the voice's parameter map, so the JSON output and the setter always agree.

#include "morvex/MorvexState.h"

#include <string>
#include <string_view>

namespace klangor_cli {

// The value named by path, or null with `error` saying why.
int* findField(morvex::MorvexState& state, std::string_view path, std::string& error);

// The voice as JSON (see the README for the layout).
std::string voiceToJson(const morvex::MorvexState& state);

} // namespace klangor_cli
