#pragma once
// The voice back from the JSON that decode prints (pretty, or one line of JSON Lines): each value
// goes through the same names and range checks as `set`.

#include "morvex/MorvexState.h"

#include <optional>
#include <string>
#include <string_view>

namespace klangor_cli {

// Sets every value `json` holds in `state`; values it leaves out keep theirs. Returns why the
// text is refused, naming the field ("A.pan must be 0..4, not 5"); `state` may then be half set.
std::optional<std::string> assignVoiceJson(morvex::MorvexState& state, std::string_view json);

} // namespace klangor_cli
