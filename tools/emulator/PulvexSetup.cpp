// The virtual Pulvex module's built-in content, and the reader for a --setup JSON file that
// replaces parts of it.

#include "PulvexSetup.h"

#include "files/BoundedRead.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace emulator {
namespace {

// How many sounds each wave-ROM bank (0..5) holds; banks 7..12 mirror them.
constexpr std::array<int, 6> kRomFill = {102, 108, 107, 65, 67, 51};
constexpr int kMirrorOffset = 7;
constexpr int kInternalVoiceBank = 6;
constexpr int kFirstCardBank = 20;
constexpr int kCardBankFill = 32; // wave-card voices sit at the head of banks 20, 21 and 22
constexpr int kFirstSilentBank = 23;
constexpr int kMaxSound = 0xFFF;
constexpr int kVoiceNameLength = 8;
constexpr int kKitNameLength = 9;
// Three banks of 64 kits of 49 sounds, written out with names and generous indentation, stay under
// half a megabyte; a setup file larger than eight times that is not one.
constexpr std::size_t kLargestSetupFile = 4 * 1024 * 1024;

// The ROM bank each kit entry draws from (entry k sounds on key 35 + k): 0 kick, 1 snare,
// 2 tom, 3 hi-hat/cymbal, 4 percussion, 5 effect. It follows the usual drum-key layout, so a
// kit played from any drum map lands roughly where a drummer expects it.
constexpr std::string_view kEntryCategory = "0011412323232232333434353" // keys 35..59
                                            "44444444444"               // 60..70 percussion
                                            "55"                        // 71, 72 whistles
                                            "444444444"                 // 73..81 percussion
                                            "55";                       // 82, 83 effects
static_assert(kEntryCategory.size() == kKitEntries);

// Fixed integer hash: the built-in kits must come out the same on every run and machine.
std::uint32_t hashOf(int salt, int bank, int kit, int entry) {
    std::uint32_t x = (std::uint32_t(salt) << 24) ^ (std::uint32_t(bank) << 16) ^
                      (std::uint32_t(kit) << 8) ^ std::uint32_t(entry);
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

int sound(int bank, int position) {
    return bank * 128 + position;
}

std::vector<std::string> voiceNames(const char* prefix, std::initializer_list<const char*> families,
                                    int perFamily) {
    std::vector<std::string> names;
    for (const char* family : families)
        for (int n = 1; n <= perFamily; ++n)
            names.push_back(std::string(prefix) + family + (n < 10 ? "0" : "") + std::to_string(n));
    return names;
}

// Sixteen styles of up to seven characters, four kits each: a name never exceeds nine.
constexpr std::array<const char*, 16> kStyles = {
    "Rock",    "Jazz",   "Dance",  "Hip Hop", "Funk",    "Latin", "Metal", "Fusion",
    "Ambient", "Techno", "Reggae", "Brush",   "Electro", "Pop",   "Lo-Fi", "Studio"};

std::string kitName(KitBank bank, int kit) {
    const std::string style = kStyles[kit / 4];
    switch (bank) {
    case PresetBank:
        return style + " " + std::to_string(kit % 4 + 1);
    case InternalBank:
        return style + " " + "ABCD"[kit % 4];
    case CardBank:
        return "Card-" + std::string(kit < 9 ? "0" : "") + std::to_string(kit + 1);
    }
    return {};
}

KitSetup makeKit(KitBank bank, int kit) {
    KitSetup result{kitName(bank, kit), {}};
    // Preset kit 1 is a reference kit: each entry takes the next sound of its ROM bank, so the
    // first key plays the first kick and the whole kit tours the head of the ROM.
    const bool reference = bank == PresetBank && kit == 0;
    const bool mirror = !reference && hashOf(1, bank, kit, 0) % 3 == 0;
    const bool internalVoices = bank == InternalBank && kit % 4 == 1;
    const bool withGaps = kit % 5 == 3; // keys with no sound must occur in every bank
    std::array<int, 6> taken{};
    for (int e = 0; e < kKitEntries; ++e) {
        const int category = kEntryCategory[e] - '0';
        const std::uint32_t h = hashOf(2, bank, kit, e);
        const int pick = int((h >> 4) % 16);
        if (withGaps && h % 6 == 0) {
            // Any bank from 23 up is silent; vary it so a reader cannot rely on one value.
            result.sounds.push_back(
                h & 8 ? kNoSound
                      : sound(kFirstSilentBank + int((h >> 8) % 9), int((h >> 12) % 128)));
        } else if (bank == CardBank && h % 3 != 0) {
            // Card voice families run kick, snare, tom, hat, perc, effect: same order as ROM.
            const int voice = category * 16 + pick;
            result.sounds.push_back(
                sound(kFirstCardBank + voice / kCardBankFill, voice % kCardBankFill));
        } else if (internalVoices && h % 4 != 0) {
            // Internal families: kick, snare, tom, hat, cymbal, perc, effect, hit.
            static constexpr std::array<int, 6> family = {0, 1, 2, 3, 5, 6};
            const int f = family[category] + ((category == 3 || category == 5) && (h & 2) ? 1 : 0);
            result.sounds.push_back(sound(kInternalVoiceBank, f * 16 + pick));
        } else {
            const int position = reference ? taken[category]++ : int((h >> 8) % kRomFill[category]);
            result.sounds.push_back(sound(category + (mirror ? kMirrorOffset : 0), position));
        }
    }
    return result;
}

// ---- JSON reading ----

struct Reader {
    std::string error;

    bool fail(const std::string& where, const std::string& what) {
        error = where + " " + what;
        return false;
    }

    bool checkKeys(const QJsonObject& object, const std::string& where,
                   std::initializer_list<const char*> allowed) {
        for (const QString& key : object.keys()) {
            bool known = false;
            for (const char* a : allowed) known = known || key == QLatin1String(a);
            if (!known) return fail(where, "has an unknown key \"" + key.toStdString() + "\"");
        }
        return true;
    }

    bool readName(const QJsonValue& value, const std::string& where, int maxLength,
                  std::string& out) {
        if (!value.isString()) return fail(where, "must be a string");
        const QString name = value.toString();
        for (const QChar c : name)
            if (c.unicode() < 32 || c.unicode() > 126)
                return fail(where, "may hold only printable ASCII (codes 32..126)");
        if (name.size() > maxLength)
            return fail(where, "is " + std::to_string(name.size()) + " characters long; at most " +
                                   std::to_string(maxLength) + " fit");
        out = name.toStdString();
        return true;
    }

    bool readVoices(const QJsonValue& value, const std::string& where, int maxCount,
                    std::vector<std::string>& out) {
        if (!value.isArray()) return fail(where, "must be an array of names");
        const QJsonArray array = value.toArray();
        if (array.size() > maxCount)
            return fail(where, "has " + std::to_string(array.size()) + " names; at most " +
                                   std::to_string(maxCount) + " fit");
        std::vector<std::string> names(array.size());
        for (qsizetype i = 0; i < array.size(); ++i)
            if (!readName(array[i], where + "[" + std::to_string(i) + "]", kVoiceNameLength,
                          names[i]))
                return false;
        out = std::move(names);
        return true;
    }

    bool readKit(const QJsonValue& value, const std::string& where, KitSetup& out) {
        if (!value.isObject()) return fail(where, "must be an object with \"name\" and \"sounds\"");
        const QJsonObject object = value.toObject();
        if (!checkKeys(object, where, {"name", "sounds"})) return false;
        if (!object.contains("name")) return fail(where, "lacks \"name\"");
        if (!object.contains("sounds")) return fail(where, "lacks \"sounds\"");
        if (!readName(object["name"], where + ".name", kKitNameLength, out.name)) return false;
        const std::string at = where + ".sounds";
        if (!object["sounds"].isArray()) return fail(at, "must be an array of integers");
        const QJsonArray sounds = object["sounds"].toArray();
        if (sounds.size() > kKitEntries)
            return fail(at, "has " + std::to_string(sounds.size()) + " entries; at most " +
                                std::to_string(kKitEntries) + " fit");
        out.sounds.clear();
        for (qsizetype i = 0; i < sounds.size(); ++i) {
            // JSON numbers arrive as doubles: refuse fractions rather than round them quietly.
            const double v = sounds[i].toDouble(-1);
            if (!sounds[i].isDouble() || v != std::floor(v) || v < 0 || v > kMaxSound)
                return fail(at + "[" + std::to_string(i) + "]", "must be an integer 0..4095");
            out.sounds.push_back(int(v));
        }
        return true;
    }

    bool readKits(const QJsonValue& value, const std::string& where, std::vector<KitSetup>& out) {
        if (!value.isArray()) return fail(where, "must be an array of kits");
        const QJsonArray array = value.toArray();
        if (array.size() > kKitsPerBank)
            return fail(where, "has " + std::to_string(array.size()) + " kits; at most " +
                                   std::to_string(kKitsPerBank) + " fit");
        std::vector<KitSetup> kits(array.size());
        for (qsizetype i = 0; i < array.size(); ++i)
            if (!readKit(array[i], where + "[" + std::to_string(i) + "]", kits[i])) return false;
        out = std::move(kits);
        return true;
    }
};

} // namespace

PulvexSetup builtInSetup() {
    PulvexSetup setup;
    setup.internalVoices =
        voiceNames("IV ", {"Kik", "Snr", "Tom", "Hat", "Cym", "Prc", "Fx.", "Hit"}, 16);
    setup.wavecardVoices = voiceNames("WC ", {"Kik", "Snr", "Tom", "Hat", "Prc", "Fx-"}, 16);
    for (KitBank bank : {PresetBank, CardBank, InternalBank})
        for (int kit = 0; kit < kKitsPerBank; ++kit) setup.kits[bank].push_back(makeKit(bank, kit));
    return setup;
}

// Sections the file leaves out keep what `setup` already holds (the emulator passes
// builtInSetup()); within "kits" only the named banks are replaced. Everything is read into a
// copy first, so a file with an error leaves `setup` untouched.
bool loadSetup(const std::string& path, PulvexSetup& setup, std::string& error) {
    const files::ReadResult file = files::readFileBounded(path, kLargestSetupFile);
    if (file.error) {
        error = *file.error;
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray::fromRawData(reinterpret_cast<const char*>(file.bytes.data()),
                                static_cast<qsizetype>(file.bytes.size())),
        &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        error = path + ": not valid JSON: " + parseError.errorString().toStdString() +
                " at offset " + std::to_string(parseError.offset);
        return false;
    }
    if (!document.isObject()) {
        error = path + ": the top level must be an object";
        return false;
    }

    const QJsonObject root = document.object();
    PulvexSetup result = setup;
    Reader reader;
    bool ok =
        reader.checkKeys(root, "the top level", {"internal_voices", "wavecard_voices", "kits"});
    if (ok && root.contains("internal_voices"))
        ok = reader.readVoices(root["internal_voices"], "internal_voices", kInternalVoices,
                               result.internalVoices);
    if (ok && root.contains("wavecard_voices"))
        ok = reader.readVoices(root["wavecard_voices"], "wavecard_voices", kWavecardVoices,
                               result.wavecardVoices);
    if (ok && root.contains("kits")) {
        const QJsonValue kits = root["kits"];
        if (!kits.isObject())
            ok = reader.fail("kits",
                             "must be an object with \"preset\", \"internal\" and/or \"card\"");
        else
            ok = reader.checkKeys(kits.toObject(), "kits", {"preset", "internal", "card"});
        const std::pair<const char*, KitBank> banks[] = {
            {"preset", PresetBank}, {"internal", InternalBank}, {"card", CardBank}};
        for (const auto& [key, bank] : banks)
            if (ok && kits.toObject().contains(key))
                ok = reader.readKits(kits.toObject()[key], std::string("kits.") + key,
                                     result.kits[bank]);
    }
    if (!ok) {
        error = path + ": " + reader.error;
        return false;
    }
    setup = std::move(result);
    return true;
}

} // namespace emulator
