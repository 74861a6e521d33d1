#pragma once
// The decoded voice's values by name, as scripts write them: "effect", "A.attack_rate",
// "B.tone_level", "D.block.6", "level_vector.speed", "level_vector.3.time". The names come from
// the voice's parameter map, so the JSON output and the setter always agree.

#include "morvex/MorvexState.h"
#include "morvex/ParameterMap.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace klangor_cli {

// The dot-separated parts of a field's path: "A.attack_rate" is "A", "attack_rate".
std::vector<std::string_view> splitFieldPath(std::string_view path);

// One value of the voice and the range it may take.
struct VoiceField {
    int* value;
    morvex::ValueRange range;
};

// The value named by path, or nothing with `error` saying why.
std::optional<VoiceField> findField(morvex::MorvexState& state, std::string_view path,
                                    std::string& error);

// Stores the whole number in `text` into the field named by path when it lies in the field's
// range; otherwise leaves the field and returns why ("effect must be 0..127, not 300").
std::optional<std::string> assignField(const VoiceField& field, std::string_view path,
                                       std::string_view text);

// Sets the voice's name: at most eight characters, padded with blanks; otherwise returns why.
std::optional<std::string> assignName(morvex::MorvexState& state, std::string_view name);

// Whether FM block position `index` is written from another value (set that one instead).
bool writtenFromAnother(int fm, int index);

// The voice as JSON (see the README for the layout).
std::string voiceToJson(const morvex::MorvexState& state);

// The same voice on one line, the file it came from first: a line of JSON Lines.
std::string voiceToJsonLine(const morvex::MorvexState& state, std::string_view file);

// {"file": ..., "error": ...}: the line for a file that could not be decoded.
std::string errorJsonLine(std::string_view file, std::string_view error);

} // namespace klangor_cli
