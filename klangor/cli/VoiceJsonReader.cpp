#include "VoiceJsonReader.h"

#include "VoiceFields.h"
#include "morvex/WaveNames.h"

#include <cctype>
#include <charconv>
#include <string>
#include <vector>

namespace klangor_cli {
namespace {

// One value of the JSON: where it sits ("elements.0.wave"), its text, and whether it was quoted.
struct Leaf {
    std::string path;
    std::string text;
    bool quoted = false;
};

constexpr int kDeepest = 8; // the voice nests four deep; deeper text is not a voice

// A small reader for the JSON decode writes: objects, arrays, whole numbers and strings, the
// numbers kept as text so that the range check sees exactly what was written.
class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    std::optional<std::string> read(std::vector<Leaf>& leaves) {
        leaves_ = &leaves;
        if (!value("", 0)) return error_;
        skipBlanks();
        if (at_ != text_.size()) return where("more than one voice, or text after the voice");
        return std::nullopt;
    }

private:
    void skipBlanks() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
    }

    bool take(char c) {
        skipBlanks();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    std::string where(const std::string& what) {
        return "not the JSON of a voice: " + what + " at character " + std::to_string(at_ + 1);
    }

    bool fail(const std::string& what) {
        error_ = where(what);
        return false;
    }

    static std::string join(const std::string& path, const std::string& key) {
        return path.empty() ? key : path + "." + key;
    }

    bool value(const std::string& path, int depth) {
        if (depth > kDeepest) return fail("nested too deep");
        skipBlanks();
        if (at_ >= text_.size()) return fail("the text ends early");
        const char c = text_[at_];
        if (c == '{') return object(path, depth);
        if (c == '[') return array(path, depth);
        Leaf leaf{path, {}, c == '"'};
        if (leaf.quoted) {
            if (!string(leaf.text)) return false;
        } else {
            const std::size_t start = at_;
            while (at_ < text_.size() &&
                   (std::isalnum(static_cast<unsigned char>(text_[at_])) || text_[at_] == '-' ||
                    text_[at_] == '+' || text_[at_] == '.'))
                ++at_;
            if (at_ == start) return fail("a value was expected");
            leaf.text = text_.substr(start, at_ - start);
        }
        leaves_->push_back(std::move(leaf));
        return true;
    }

    bool object(const std::string& path, int depth) {
        ++at_;
        if (take('}')) return true;
        do {
            skipBlanks();
            std::string key;
            if (at_ >= text_.size() || text_[at_] != '"' || !string(key))
                return error_.empty() ? fail("a quoted name was expected") : false;
            if (!take(':')) return fail("':' was expected");
            if (!value(join(path, key), depth + 1)) return false;
        } while (take(','));
        return take('}') || fail("',' or '}' was expected");
    }

    bool array(const std::string& path, int depth) {
        ++at_;
        if (take(']')) return true;
        int index = 0;
        do {
            if (!value(join(path, std::to_string(index++)), depth + 1)) return false;
        } while (take(','));
        return take(']') || fail("',' or ']' was expected");
    }

    // A quoted string; \uXXXX below 256 becomes that byte, as decode writes a name's bytes.
    bool string(std::string& out) {
        ++at_;
        while (at_ < text_.size() && text_[at_] != '"') {
            char c = text_[at_++];
            if (c == '\\') {
                if (at_ >= text_.size()) break;
                const char escaped = text_[at_++];
                static constexpr std::string_view kFrom = "\"\\/bfnrt", kTo = "\"\\/\b\f\n\r\t";
                if (const std::size_t i = kFrom.find(escaped); i != std::string_view::npos) {
                    c = kTo[i];
                } else if (escaped == 'u' && at_ + 4 <= text_.size()) {
                    unsigned code = 0;
                    const char* hex = text_.data() + at_;
                    const auto [end, ec] = std::from_chars(hex, hex + 4, code, 16);
                    if (ec != std::errc() || end != hex + 4) return fail("a bad \\u escape");
                    if (code > 0xFF) return fail("a character outside a voice name's bytes");
                    at_ += 4;
                    c = static_cast<char>(code);
                } else {
                    return fail("an unknown escape");
                }
            }
            out += c;
        }
        if (at_ >= text_.size()) return fail("a string does not end");
        ++at_;
        return true;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::vector<Leaf>* leaves_ = nullptr;
    std::string error_;
};

int number(std::string_view text) {
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != text.npos)
        return -1;
    return std::stoi(std::string(text));
}

// The name `set` knows a value by ("elements.0.wave" is "A.wave"); empty for a value that is
// written from another one and so is not set itself.
std::string fieldName(const std::string& path) {
    const auto p = splitFieldPath(path);
    if (p[0] == "elements" && p.size() == 3 && number(p[1]) >= 0 && number(p[1]) < 4)
        return std::string(1, "ABCD"[number(p[1])]) + "." + std::string(p[2]);
    if (p[0] == "fm" && p.size() >= 3 && (p[1] == "0" || p[1] == "1")) {
        const int fm = number(p[1]);
        const std::string element = fm == 0 ? "B." : "D.";
        if (p.size() == 4 && p[2] == "block" && number(p[3]) >= 0 && number(p[3]) < 21)
            return writtenFromAnother(fm, number(p[3])) ? ""
                                                        : element + "block." + std::string(p[3]);
        if (p.size() == 3) return element + std::string(p[2]);
    }
    if ((p[0] == "level_vector" || p[0] == "detune_vector") && p.size() == 4 && p[1] == "steps") {
        static constexpr std::string_view kStep[] = {"time", "x", "y"};
        if (number(p[3]) >= 0 && number(p[3]) < 3)
            return std::string(p[0]) + "." + std::string(p[2]) + "." +
                   std::string(kStep[number(p[3])]);
    }
    return path;
}

} // namespace

std::optional<std::string> assignVoiceJson(morvex::MorvexState& state, std::string_view json) {
    std::vector<Leaf> leaves;
    if (auto refused = Reader(json).read(leaves)) return refused;
    if (leaves.empty()) return "not the JSON of a voice: it holds no values";
    for (const Leaf& leaf : leaves) {
        if (leaf.path == "file") continue; // a line of decode's JSON Lines
        if (leaf.path == "error") return "the line holds no voice: " + leaf.text;
        if (leaf.path == "name") {
            if (auto refused = assignName(state, leaf.text)) return refused;
            continue;
        }
        const std::string name = fieldName(leaf.path);
        if (name.empty()) continue;
        std::string error;
        const auto field = findField(state, name, error);
        if (!field) return error;
        if (leaf.quoted)
            return name + " must be a whole number " + field->range.text() + ", not a text";
        if (auto refused = assignField(*field, name, leaf.text)) return refused;
    }
    // The voice keeps "edited by hand" in a marker byte that decode shows as the wave 256.
    for (int fm = 0; fm < morvex::kFmElementCount; ++fm) {
        const int wave = state.voiceParams.wave[fm == 0 ? morvex::B : morvex::D];
        state.voiceData[morvex::kFmMarkerOffset[fm]] = wave == morvex::kUserDefinedWave ? 1 : 0;
    }
    return std::nullopt;
}

} // namespace klangor_cli
