#include "VoiceFields.h"

#include "morvex/ParameterMap.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <initializer_list>
#include <vector>

namespace klangor_cli {
namespace {
using morvex::FmByteRole;
using morvex::ParameterDescriptor;

constexpr std::string_view kElementLetters = "ABCD";
constexpr std::string_view kVectors[] = {"level_vector", "detune_vector"};

bool parseIndex(std::string_view text, int limit, int& index) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), index);
    return ec == std::errc() && end == text.data() + text.size() && index >= 0 && index < limit;
}

// The entry that encodes `name` for `slot` (the wave of A and C has another entry than B and D).
const ParameterDescriptor* descriptor(std::string_view name, int slots, int slot = 0) {
    for (const ParameterDescriptor& p : morvex::voiceParameterMap())
        if (p.value && p.slotCount == slots && p.name == name && p.covers(slot)) return &p;
    return nullptr;
}

std::optional<VoiceField> fieldOf(const ParameterDescriptor* p, morvex::VoiceParams& params,
                                  int slot) {
    if (!p) return std::nullopt;
    return VoiceField{&p->value(params, slot), p->range};
}

// The value EncodeVoice writes an FM block position from, when that is not the position itself:
// setting the position would change nothing.
std::string writtenFrom(int fm, int index) {
    if (morvex::fmBlockRoles()[index] == FmByteRole::FlagOfNext)
        return "block." + std::to_string(index + 1);
    const int offset = morvex::kFmBlockOffset[fm] + index;
    for (const ParameterDescriptor& p : morvex::voiceParameterMap())
        for (int slot = 0; slot < p.slotCount; ++slot)
            if (p.value && p.covers(slot) && p.offset(slot) == offset) return std::string(p.name);
    return {};
}

// Bytes outside printable ASCII are escaped in a voice name (the synthesizer's own characters);
// a file name keeps them, as the file system's UTF-8.
void appendJsonString(std::string& out, std::string_view text, bool escapeNonAscii) {
    out += '"';
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F || (escapeNonAscii && byte > 0x7E)) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
}

std::string jsonString(const std::array<char, morvex::kVoiceNameLength>& name) {
    std::string out;
    appendJsonString(out, std::string_view(name.data(), name.size()), true);
    return out;
}

} // namespace

std::vector<std::string_view> splitFieldPath(std::string_view path) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t dot = path.find('.', start);
        parts.push_back(path.substr(start, dot - start));
        if (dot == std::string_view::npos) return parts;
        start = dot + 1;
    }
}

bool writtenFromAnother(int fm, int index) {
    return !writtenFrom(fm, index).empty();
}

std::optional<std::string> assignName(morvex::MorvexState& state, std::string_view name) {
    if (name.size() > static_cast<std::size_t>(morvex::kVoiceNameLength)) {
        std::string refused = "a voice name has at most 8 characters: \"";
        return refused.append(name).append("\"");
    }
    state.voiceName.fill(' ');
    std::copy(name.begin(), name.end(), state.voiceName.begin());
    return std::nullopt;
}

std::optional<VoiceField> findField(morvex::MorvexState& state, std::string_view path,
                                    std::string& error) {
    const auto parts = splitFieldPath(path);
    error = "unknown value \"" + std::string(path) + "\"";
    morvex::VoiceParams& params = state.voiceParams;
    int index = 0;
    if (parts.size() == 1) return fieldOf(descriptor(parts[0], 1), params, 0);
    const std::size_t element = kElementLetters.find(parts[0]);
    if (parts[0].size() == 1 && element != std::string_view::npos) {
        const int fm = element == morvex::B ? 0 : element == morvex::D ? 1 : -1;
        if (parts.size() == 2) {
            const int slot = static_cast<int>(element);
            if (const ParameterDescriptor* p = descriptor(parts[1], morvex::kElementCount, slot))
                return fieldOf(p, params, slot);
            if (fm < 0) return std::nullopt;
            return fieldOf(descriptor(parts[1], morvex::kFmElementCount, fm), params, fm);
        }
        if (parts.size() == 3 && parts[1] == "block" && fm >= 0) {
            if (!parseIndex(parts[2], morvex::kFmBlockSize, index)) {
                error = "FM block index must be 0..20 in \"" + std::string(path) + "\"";
                return std::nullopt;
            }
            if (const std::string source = writtenFrom(fm, index); !source.empty()) {
                error = std::string(path) + " is written from " + std::string(parts[0]) + "." +
                        source + "; set that instead";
                return std::nullopt;
            }
            return VoiceField{&state.fmParams[fm][index], morvex::fmBlockRange(index)};
        }
        return std::nullopt;
    }
    for (std::string_view vector : kVectors) {
        if (parts[0] != vector) continue;
        const std::string prefix = std::string(vector) + ".";
        if (parts.size() == 2)
            return fieldOf(descriptor(prefix + std::string(parts[1]), 1), params, 0);
        if (parts.size() == 3 && parseIndex(parts[1], morvex::kVectorSteps, index)) {
            const auto* p = descriptor(prefix + std::string(parts[2]), morvex::kVectorSteps);
            return fieldOf(p, params, index);
        }
        if (parts.size() == 3) error = "vector step must be 0..49 in \"" + std::string(path) + "\"";
    }
    return std::nullopt;
}

std::optional<std::string> assignField(const VoiceField& field, std::string_view path,
                                       std::string_view text) {
    const std::string range = field.range.text();
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    const bool whole = !text.empty() && end == text.data() + text.size();
    if (whole && (ec == std::errc::result_out_of_range || !field.range.contains(value)))
        return std::string(path) + " must be " + range + ", not " + std::string(text);
    if (!whole || ec != std::errc())
        return std::string(path) + " must be a whole number " + range + ", not \"" +
               std::string(text) + "\"";
    *field.value = value;
    return std::nullopt;
}

std::string voiceToJson(const morvex::MorvexState& state) {
    const auto map = morvex::voiceParameterMap();
    // The map's accessors hand out references into a voice they may change: read from a copy.
    morvex::VoiceParams params = state.voiceParams;
    auto get = [&](const ParameterDescriptor& p, int slot) {
        return std::to_string(p.value(params, slot));
    };
    std::string json;
    // The text is appended piece by piece: GCC 12 at -O3 takes "literal" + a temporary string for
    // an overlapping copy (-Wrestrict) and stops a Release build.
    const auto append = [&json](std::initializer_list<std::string_view> pieces) {
        for (std::string_view piece : pieces) json += piece;
    };
    append({"{\n  \"name\": ", jsonString(state.voiceName)});
    for (const ParameterDescriptor& p : map)
        if (p.value && p.slotCount == 1 && p.name.find('.') == std::string_view::npos)
            append({", \"", p.name, "\": ", get(p, 0)});

    append({",\n  \"elements\": ["});
    for (int e = 0; e < morvex::kElementCount; ++e) {
        append({e ? ",\n    {" : "\n    {"});
        bool first = true;
        for (const ParameterDescriptor& p : map) {
            if (!p.value || p.slotCount != morvex::kElementCount || !p.covers(e)) continue;
            append({first ? "\"" : ", \"", p.name, "\": ", get(p, e)});
            first = false;
        }
        append({"}"});
    }
    append({"\n  ],\n  \"fm\": ["});
    for (int f = 0; f < morvex::kFmElementCount; ++f) {
        append({f ? ",\n    {" : "\n    {"});
        for (const ParameterDescriptor& p : map)
            if (p.value && p.slotCount == morvex::kFmElementCount)
                append({"\"", p.name, "\": ", get(p, f), ", "});
        append({"\"block\": ["});
        for (int i = 0; i < morvex::kFmBlockSize; ++i)
            append({i ? ", " : "", std::to_string(state.fmParams[f][i])});
        append({"]}"});
    }
    append({"\n  ]"});
    for (std::string_view vector : kVectors) {
        const std::string prefix = std::string(vector) + ".";
        const auto* speed = descriptor(prefix + "speed", 1);
        const auto* time = descriptor(prefix + "time", morvex::kVectorSteps);
        const auto* x = descriptor(prefix + "x", morvex::kVectorSteps);
        const auto* y = descriptor(prefix + "y", morvex::kVectorSteps);
        append({",\n  \"", vector, "\": {\"speed\": ", get(*speed, 0), ", \"steps\": ["});
        for (int s = 0; s < morvex::kVectorSteps; ++s)
            append({s % 10 ? ", "
                    : s    ? ",\n    "
                           : "\n    ",
                    "[", get(*time, s), ", ", get(*x, s), ", ", get(*y, s), "]"});
        append({"\n  ]}"});
    }
    append({"\n}\n"});
    return json;
}

std::string voiceToJsonLine(const morvex::MorvexState& state, std::string_view file) {
    const std::string pretty = voiceToJson(state);
    std::string line = "{\"file\": ";
    line.reserve(pretty.size());
    appendJsonString(line, file, false);
    line += ", ";
    // The pretty text breaks lines only between values (a name's control bytes are escaped), so
    // a break with the indent after it becomes nothing, or one blank after a comma.
    for (std::size_t i = 1; i < pretty.size(); ++i) {
        if (pretty[i] != '\n') {
            line += pretty[i];
            continue;
        }
        while (i + 1 < pretty.size() && pretty[i + 1] == ' ') ++i;
        if (line.back() == ',') line += ' ';
    }
    line += '\n';
    return line;
}

std::string errorJsonLine(std::string_view file, std::string_view error) {
    std::string line = "{\"file\": ";
    appendJsonString(line, file, false);
    line += ", \"error\": ";
    appendJsonString(line, error, false);
    line += "}\n";
    return line;
}

} // namespace klangor_cli
