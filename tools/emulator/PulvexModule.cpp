#include "PulvexModule.h"

#include <algorithm>
#include <cstring>

namespace emulator {
namespace {

constexpr std::uint8_t kStart = 0xF0, kEnd = 0xF7, kYamaha = 0x43;
constexpr char kModel[] = "LM  0087";
constexpr std::size_t kModelLength = 8;
constexpr std::uint8_t kNameListFormat = 0x7E, kKitFormat = 0x7A;

constexpr std::size_t kRecordLength = 72; // one voice of a name list
constexpr std::size_t kRecordNameOffset = 9;
constexpr std::size_t kKitLength = 192; // a kit's parameters as the module dumps them
constexpr std::size_t kKitNameOffset = 8;
constexpr std::size_t kKitNameLength = 9;
constexpr std::size_t kKitEntriesOffset = 31;
constexpr std::size_t kShortKitLength = 24; // the "short" fault: cut before the entries

// The module sends an internal-voice list in blocks of seven voices whose count field is 1008 less
// than the number of digits it carries, and every other dump in blocks of up to 512 bytes.
constexpr std::size_t kVoiceBlockBytes = 7 * kRecordLength; // 504, i.e. 1008 digits
constexpr int kVoiceCountBias = 1008;
constexpr std::size_t kBlockBytes = 512;

constexpr std::chrono::milliseconds kSlowAnswer{12000};
// The kit the "silent-kit" fault leaves unanswered: Internal 12.
constexpr int kSilentKitBank = InternalBank;
constexpr int kSilentKitNumber = 11;

char hexDigit(int value) {
    return "0123456789ABCDEF"[value & 0x0F];
}

bool isRequest(const Bytes& m, std::size_t length, std::uint8_t format, int device) {
    return m.size() == length && m[0] == kStart && m[1] == kYamaha && m[2] == (0x20 | device) &&
           m[3] == format && std::memcmp(m.data() + 4, kModel, kModelLength) == 0 &&
           m.back() == kEnd;
}

std::string typeOf(const Bytes& m) {
    return std::string(m.begin() + 12, m.begin() + 14);
}

const char* bankName(int code) {
    switch (code) {
    case PresetBank:
        return "Preset";
    case CardBank:
        return "Card";
    case InternalBank:
        return "Internal";
    }
    return "?";
}

} // namespace

PulvexModule::PulvexModule(PulvexSetup setup, int device, Fault fault)
    : setup_(std::move(setup)), device_(device), fault_(fault) {}

Bytes PulvexModule::reply(int device, std::string_view type, const Bytes& data) {
    const bool voiceList = type == "VI";
    const std::uint8_t format = type == "KT" ? kKitFormat : kNameListFormat;
    Bytes message = {kStart, kYamaha, static_cast<std::uint8_t>(device & 0x0F), format};
    const std::size_t blockBytes = voiceList ? kVoiceBlockBytes : kBlockBytes;
    for (std::size_t at = 0; at < data.size() || (at == 0 && data.empty()); at += blockBytes) {
        Bytes chunk(data.begin() + static_cast<std::ptrdiff_t>(at),
                    data.begin() +
                        static_cast<std::ptrdiff_t>(std::min(data.size(), at + blockBytes)));
        if (voiceList) chunk.resize(kVoiceBlockBytes, 0); // the last block is filled up
        const int digits = static_cast<int>(2 * chunk.size());
        const int count = voiceList ? digits + 10 - kVoiceCountBias : digits + 10;
        const std::size_t blockStart = message.size();
        message.push_back(static_cast<std::uint8_t>((count >> 7) & 0x7F));
        message.push_back(static_cast<std::uint8_t>(count & 0x7F));
        message.insert(message.end(), kModel, kModel + kModelLength);
        message.insert(message.end(), type.begin(), type.end());
        for (std::uint8_t byte : chunk) {
            message.push_back(static_cast<std::uint8_t>(hexDigit(byte >> 4)));
            message.push_back(static_cast<std::uint8_t>(hexDigit(byte)));
        }
        int sum = 0;
        for (std::size_t i = blockStart; i < message.size(); ++i) sum += message[i];
        message.push_back(static_cast<std::uint8_t>(-sum & 0x7F));
        if (data.empty()) break;
    }
    message.push_back(kEnd);
    return message;
}

Bytes PulvexModule::nameList(std::string_view type) const {
    const auto& names = type == "VI" ? setup_.internalVoices : setup_.wavecardVoices;
    Bytes data(names.size() * kRecordLength, 0);
    for (std::size_t k = 0; k < names.size(); ++k) {
        std::uint8_t* record = data.data() + k * kRecordLength;
        record[0] = static_cast<std::uint8_t>(k); // the voice's number in its list
        std::memset(record + kRecordNameOffset, ' ', 8);
        std::memcpy(record + kRecordNameOffset, names[k].data(),
                    std::min<std::size_t>(names[k].size(), 8));
    }
    return data;
}

Bytes PulvexModule::kit(int bank, int number) const {
    Bytes data(kKitLength, 0);
    const auto& kits = setup_.kits[static_cast<std::size_t>(bank)];
    const KitSetup empty{"Empty", {}};
    const KitSetup& kit =
        number < static_cast<int>(kits.size()) ? kits[static_cast<std::size_t>(number)] : empty;
    data[0] = static_cast<std::uint8_t>(bank);
    data[1] = static_cast<std::uint8_t>(number);
    std::memcpy(data.data() + kKitNameOffset, kit.name.data(),
                std::min(kit.name.size(), kKitNameLength));
    for (int k = 0; k < kKitEntries; ++k) {
        const int sound = k < static_cast<int>(kit.sounds.size())
                              ? kit.sounds[static_cast<std::size_t>(k)]
                              : kNoSound;
        std::uint8_t* entry = data.data() + kKitEntriesOffset + 3 * k;
        entry[0] = static_cast<std::uint8_t>((sound >> 8) & 0x0F);
        entry[1] = static_cast<std::uint8_t>(sound & 0xFF);
        entry[2] = 100; // the entry's level
    }
    return data;
}

Reaction PulvexModule::answer(std::string_view type, Bytes data, std::string summary) {
    Reaction reaction{std::move(summary), {}};
    if (fault_ == Fault::Silent) {
        reaction.summary += "; stays silent";
        return reaction;
    }
    if (fault_ == Fault::Short && type == "KT") data.resize(kShortKitLength);
    if (fault_ == Fault::Garbage) {
        reaction.replies.push_back({{0x90, 0x3C, 0x64}, "note on (garbage)"});
        reaction.replies.push_back({{0xF8}, "clock (garbage)"});
        reaction.replies.push_back({{0xFE}, "active sensing (garbage)"});
        reaction.replies.push_back(
            {{kStart, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, kEnd},
             "foreign SysEx (garbage)"});
        reaction.replies.push_back({{0x80, 0x3C, 0x00}, "note off (garbage)"});
    }
    if (fault_ == Fault::WrongTypeFirst) {
        const std::string_view other = type == "VW" ? "VI" : "VW";
        reaction.replies.push_back({reply(device_, other, nameList(other)),
                                    std::string(other) + " reply (the wrong type, first)"});
    }
    Bytes message = reply(device_, type, data);
    if (fault_ == Fault::NoF7) message.pop_back();
    Outgoing outgoing{std::move(message), std::string(type) + " reply, " +
                                              std::to_string(data.size()) + " bytes of data" +
                                              (fault_ == Fault::NoF7 ? ", no F7" : "")};
    if (fault_ == Fault::Slow) outgoing.delay = kSlowAnswer;
    reaction.replies.push_back(std::move(outgoing));
    return reaction;
}

Reaction PulvexModule::handle(const Bytes& m) {
    if (isRequest(m, 15, kNameListFormat, device_) && (typeOf(m) == "VI" || typeOf(m) == "VW")) {
        const std::string type = typeOf(m);
        return answer(type, nameList(type),
                      type == "VI" ? "request: internal voice names"
                                   : "request: wave-card voice names");
    }
    if (isRequest(m, 31, kKitFormat, device_) && typeOf(m) == "KT" && m[26] <= 2 &&
        m[27] < kKitsPerBank) {
        const int bank = m[26], number = m[27];
        if (fault_ == Fault::SilentKit && bank == kSilentKitBank && number == kSilentKitNumber)
            return {std::string("request: kit ") + std::to_string(number + 1) + " of the " +
                        bankName(bank) + " bank; stays silent",
                    {}};
        return answer("KT", kit(bank, number),
                      std::string("request: kit ") + std::to_string(number + 1) + " of the " +
                          bankName(bank) + " bank");
    }
    return {"ignored", {}};
}

} // namespace emulator
