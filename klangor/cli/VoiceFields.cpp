#include "VoiceFields.h"

#include "morvex/ParameterMap.h"

#include <charconv>
#include <cstdio>
#include <vector>

namespace klangor_cli {
namespace {
using morvex::ParameterDescriptor;

constexpr std::string_view kElementLetters = "ABCD";
constexpr std::string_view kVectors[] = {"level_vector", "detune_vector"};

std::vector<std::string_view> split(std::string_view path) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t dot = path.find('.', start);
        parts.push_back(path.substr(start, dot - start));
        if (dot == std::string_view::npos) return parts;
        start = dot + 1;
    }
}

bool parseIndex(std::string_view text, int limit, int& index) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), index);
    return ec == std::errc() && end == text.data() + text.size() && index >= 0 && index < limit;
}

// The entry that encodes `name` for `slot` (the wave of A and C has another entry than B and D).
const ParameterDescriptor* descriptor(std::string_view name, int slots, int slot = 0) {
    for (const ParameterDescriptor& p : morvex::voiceParameterMap())
        if (p.value && p.slots == slots && p.name == name && p.covers(slot)) return &p;
    return nullptr;
}

std::string jsonString(const std::array<char, morvex::kVoiceNameLength>& name) {
    std::string out = "\"";
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte > 0x7E) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

} // namespace

int* findField(morvex::MorvexState& state, std::string_view path, std::string& error) {
    const auto parts = split(path);
    error = "unknown value \"" + std::string(path) + "\"";
    int index = 0;
    if (parts.size() == 1) {
        const ParameterDescriptor* p = descriptor(parts[0], 1);
        return p ? &p->value(state.voiceParams, 0) : nullptr;
    }
    const std::size_t element = kElementLetters.find(parts[0]);
    if (parts[0].size() == 1 && element != std::string_view::npos) {
        const int fm = element == morvex::B ? 0 : element == morvex::D ? 1 : -1;
        if (parts.size() == 2) {
            const int slot = static_cast<int>(element);
            if (const ParameterDescriptor* p = descriptor(parts[1], morvex::kElementCount, slot))
                return &p->value(state.voiceParams, static_cast<int>(element));
            if (fm < 0) return nullptr;
            const ParameterDescriptor* p = descriptor(parts[1], morvex::kFmElementCount, fm);
            return p ? &p->value(state.voiceParams, fm) : nullptr;
        }
        if (parts.size() == 3 && parts[1] == "block" && fm >= 0) {
            if (parseIndex(parts[2], morvex::kFmBlockSize, index))
                return &state.fmParams[fm][index];
            error = "FM block index must be 0..20 in \"" + std::string(path) + "\"";
        }
        return nullptr;
    }
    for (std::string_view vector : kVectors) {
        if (parts[0] != vector) continue;
        const std::string prefix = std::string(vector) + ".";
        if (parts.size() == 2) {
            const ParameterDescriptor* p = descriptor(prefix + std::string(parts[1]), 1);
            return p ? &p->value(state.voiceParams, 0) : nullptr;
        }
        if (parts.size() == 3 && parseIndex(parts[1], morvex::kVectorSteps, index)) {
            const ParameterDescriptor* p =
                descriptor(prefix + std::string(parts[2]), morvex::kVectorSteps);
            return p ? &p->value(state.voiceParams, index) : nullptr;
        }
        if (parts.size() == 3) error = "vector step must be 0..49 in \"" + std::string(path) + "\"";
    }
    return nullptr;
}

std::string voiceToJson(const morvex::MorvexState& state) {
    const auto map = morvex::voiceParameterMap();
    // The map's accessors hand out references into a voice they may change: read from a copy.
    morvex::VoiceParams params = state.voiceParams;
    auto get = [&](const ParameterDescriptor& p, int slot) { return p.value(params, slot); };
    std::string json = "{\n  \"name\": " + jsonString(state.voiceName);
    auto field = [&](std::string_view name, int value) {
        json += ", \"" + std::string(name) + "\": " + std::to_string(value);
    };
    for (const ParameterDescriptor& p : map)
        if (p.value && p.slots == 1 && p.name.find('.') == std::string_view::npos)
            field(p.name, get(p, 0));

    json += ",\n  \"elements\": [";
    for (int e = 0; e < morvex::kElementCount; ++e) {
        json += e ? ",\n    {" : "\n    {";
        bool first = true;
        for (const ParameterDescriptor& p : map) {
            if (!p.value || p.slots != morvex::kElementCount || !p.covers(e)) continue;
            json +=
                (first ? "\"" : ", \"") + std::string(p.name) + "\": " + std::to_string(get(p, e));
            first = false;
        }
        json += "}";
    }
    json += "\n  ],\n  \"fm\": [";
    for (int f = 0; f < morvex::kFmElementCount; ++f) {
        json += f ? ",\n    {" : "\n    {";
        for (const ParameterDescriptor& p : map)
            if (p.value && p.slots == morvex::kFmElementCount)
                json += "\"" + std::string(p.name) + "\": " + std::to_string(get(p, f)) + ", ";
        json += "\"block\": [";
        for (int i = 0; i < morvex::kFmBlockSize; ++i)
            json += (i ? ", " : "") + std::to_string(state.fmParams[f][i]);
        json += "]}";
    }
    json += "\n  ]";
    for (std::string_view vector : kVectors) {
        const std::string prefix = std::string(vector) + ".";
        const auto* speed = descriptor(prefix + "speed", 1);
        const auto* time = descriptor(prefix + "time", morvex::kVectorSteps);
        const auto* x = descriptor(prefix + "x", morvex::kVectorSteps);
        const auto* y = descriptor(prefix + "y", morvex::kVectorSteps);
        json += ",\n  \"" + std::string(vector) +
                "\": {\"speed\": " + std::to_string(get(*speed, 0)) + ", \"steps\": [";
        for (int s = 0; s < morvex::kVectorSteps; ++s) {
            json += (s % 10 ? ", " : s ? ",\n    " : "\n    ");
            json += "[" + std::to_string(get(*time, s)) + ", " + std::to_string(get(*x, s)) + ", " +
                    std::to_string(get(*y, s)) + "]";
        }
        json += "\n  ]}";
    }
    return json + "\n}\n";
}

} // namespace klangor_cli
