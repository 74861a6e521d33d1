#include "pulvex/model/Reception.h"

#include "midi/MidiInput.h"
#include "midi/Pacer.h"
#include "pulvex/model/NameLists.h"
#include "pulvex/model/OpenExchange.h"
#include "pulvex/model/PulvexDoc.h"
#include "pulvex/model/Settings.h"
#include "pulvex/model/WaveNameTable.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

namespace pulvex {

namespace {

constexpr std::uint8_t kSysExStart = 0xF0;
constexpr std::uint8_t kSysExEnd = 0xF7;
constexpr std::uint8_t kManufacturer = 0x43;
constexpr std::uint8_t kDumpRequest = 0x20;
constexpr std::uint8_t kNameListFormat = 0x7E;
constexpr std::uint8_t kKitFormat = 0x7A;
constexpr char kSignature[] = "LM  0087";
constexpr std::size_t kSignatureLength = 8;
constexpr std::size_t kProgramChangeBytes = 2;

// The reply's SysEx header (F0 43 device format), not examined: the type letters decide.
constexpr std::size_t kReplyHeader = 4;
// Count (2), signature (8), type letters (2).
constexpr std::size_t kBlockHead = 12;
// The module counts its internal-voice ("VI") blocks 1008 digits short; the other lists honestly.
constexpr int kInternalListExtraDigits = 1008;

Bytes requestHead(int deviceNumber, std::uint8_t format) {
    Bytes bytes;
    bytes.reserve(31); // room for the longer (kit) request
    bytes.push_back(kSysExStart);
    bytes.push_back(kManufacturer);
    bytes.push_back(static_cast<std::uint8_t>(kDumpRequest | (deviceNumber & 0x0F)));
    bytes.push_back(format);
    for (std::size_t i = 0; i < kSignatureLength; ++i)
        bytes.push_back(static_cast<std::uint8_t>(kSignature[i]));
    return bytes;
}

std::uint8_t hexDigit(std::uint8_t code) {
    // No validation: the module only ever sends upper-case digits, and garbage decodes to garbage
    // rather than aborting a whole list.
    return static_cast<std::uint8_t>(code > '9' ? code - 0x37 : code - 0x30);
}

std::string serviceStoppedText() {
    return midi::describe(midi::MidiInput::Outcome::ServiceStopped);
}

std::string typeOf(const unsigned char* message, std::size_t length) {
    if (length < 16) return {};
    return std::string{static_cast<char>(message[14]), static_cast<char>(message[15])};
}

} // namespace

std::uint8_t bankCode(KitBank bank) {
    switch (bank) {
    case KitBank::Preset:
        return 0x00;
    case KitBank::Internal:
        return 0x02;
    case KitBank::Card:
        return 0x01;
    }
    return 0x00;
}

const char* kitBankName(KitBank bank) {
    switch (bank) {
    case KitBank::Preset:
        return "Preset";
    case KitBank::Internal:
        return "Internal";
    case KitBank::Card:
        return "Card";
    }
    return "";
}

Bytes nameListRequest(const char* type, int deviceNumber) {
    Bytes bytes = requestHead(deviceNumber, kNameListFormat);
    bytes.push_back(static_cast<std::uint8_t>(type[0]));
    bytes.push_back(static_cast<std::uint8_t>(type[1]));
    bytes.push_back(kSysExEnd);
    return bytes;
}

Bytes kitRequest(int deviceNumber, KitBank bank, int kitNumber) {
    Bytes bytes = requestHead(deviceNumber, kKitFormat);
    bytes.push_back(static_cast<std::uint8_t>(kKitType[0]));
    bytes.push_back(static_cast<std::uint8_t>(kKitType[1]));
    bytes.insert(bytes.end(), 12, 0x00);
    bytes.push_back(bankCode(bank));
    bytes.push_back(static_cast<std::uint8_t>((kitNumber - 1) & 0x7F));
    bytes.push_back(0x00);
    bytes.push_back(0x00);
    bytes.push_back(kSysExEnd);
    return bytes;
}

std::size_t decodeBlocks(std::uint8_t* message, std::size_t length) {
    if (length < kReplyHeader) return 0;
    // Two digits become one byte and every block drops its 12-byte head and its checksum, so the
    // write position stays behind the read position and decoding in place never overwrites a
    // digit not yet read.
    std::size_t read = kReplyHeader;
    std::size_t written = 0;
    // What is left counts the closing F7 as well, so a block is only looked at while more than a
    // bare head remains.
    while (length - read > kBlockHead) {
        const std::uint8_t* block = message + read;
        if (std::memcmp(block + 2, kSignature, kSignatureLength) != 0) break;
        int digits = block[0] * 128 + block[1] - 10;
        if (block[10] == kInternalVoices[0] && block[11] == kInternalVoices[1])
            digits += kInternalListExtraDigits;
        if (digits < 0) break;
        const std::size_t data = read + kBlockHead;
        const auto count = static_cast<std::size_t>(digits);
        // The digits and the checksum after them must all be in the message.
        if (count + 1 > length - data) break;
        // An odd count pairs its last digit with the checksum byte, which the check above keeps
        // inside.
        for (std::size_t i = 0; i < count; i += 2) {
            const auto high = hexDigit(message[data + i]);
            const auto low = hexDigit(message[data + i + 1]);
            message[written++] = static_cast<std::uint8_t>(high * 16 + low);
        }
        read = data + count + 1;
    }
    return written;
}

std::string replyType(const Bytes& reply) {
    return typeOf(reply.data(), reply.size());
}

std::string KitReception::outcomeText(Outcome outcome) {
    switch (outcome) {
    case Outcome::ServiceStopped:
        return serviceStoppedText();
    case Outcome::Damaged:
        return kCommunicationError;
    default: // no answer, far more often than anything else
        return kNoResponse;
    }
}

KitReception::KitReception(const WireboxBinding& wirebox, const SettingsStore& settings,
                           WaveNameTable& names, ReceptionUi& ui,
                           std::chrono::milliseconds replyTimeOut)
    : wirebox_(wirebox), settings_(settings), names_(names), ui_(ui), replyTimeOut_(replyTimeOut) {}

bool KitReception::ReceiveCommand(CPulvexDoc& doc) {
    const auto held = midi::service().hold();
    if (!names_.namesRetrieved && !ConfigurationRead()) return false;
    KitBank bank = KitBank::Preset;
    int number = 1;
    if (!ui_.chooseKit(bank, number)) return false;
    return KitRead(doc, bank, number);
}

bool KitReception::ConfigurationRead() {
    OpenExchange exchange(wirebox_, ui_);
    if (!exchange.open(settings_, replyTimeOut_)) return false;
    return NamesRead(exchange);
}

bool KitReception::NamesRead(OpenExchange& exchange) {
    ui_.showReadyPrompt();
    exchange.beginBusy();
    ui_.openProgress(kProgressInternal);
    // A patch bay in front of the module may need to be switched to it first, and time to switch
    // before the request goes.
    if (settings_.readNumber(SettingKey::SendProgramChange) != 0) {
        midi::Pacer pacer(std::chrono::milliseconds(std::clamp(
            settings_.readNumber(SettingKey::ProgramChangePause), 0, kLongestProgramChangePause)));
        const auto start = pacer.beginMessage();
        wirebox_.ProgramChange(settings_.readNumber(SettingKey::PatchBayChannel),
                               settings_.readNumber(SettingKey::ProgramChange));
        pacer.endMessage(start, kProgramChangeBytes);
        pacer.beginMessage();
    }

    const auto fail = [this, &exchange] {
        exchange.end();
        if (ui_.hasStatusBar()) ui_.setStatus(kReceptionFailed);
        ui_.closeProgress();
        return false;
    };

    if (ui_.hasStatusBar()) {
        ui_.setStatus(kReceivingInternal);
        ui_.dispatchPendingEvent();
    }
    Bytes decoded;
    if (!NameListExchange(exchange, kInternalVoices, decoded)) return fail();
    storeVoiceNames(names_, true, decoded);

    if (ui_.hasStatusBar()) {
        ui_.setStatus(kReceivingWavecard);
        ui_.dispatchPendingEvent();
    }
    ui_.setProgress(kProgressWavecard);
    if (!NameListExchange(exchange, kWavecardVoices, decoded)) return fail();
    storeVoiceNames(names_, false, decoded);

    if (ui_.hasStatusBar()) ui_.setStatus(kNamesFinished);
    names_.namesRetrieved = true;
    ui_.closeProgress();
    return true;
}

bool KitReception::NameListExchange(OpenExchange& exchange, const char* type, Bytes& decoded) {
    const Bytes request = nameListRequest(type, settings_.readNumber(SettingKey::DeviceNumber));
    if (!wirebox_.MidiTransmit(static_cast<std::uint32_t>(request.size()), request.data())) {
        // A plain failure to send is left to the caller's status line; a stopped service is news.
        if (exchange.serviceStopped())
            exchange.fail(serviceStoppedText());
        else
            exchange.end();
        return false;
    }
    Bytes reply;
    if (const Outcome outcome = receiveReply(exchange, type, reply); outcome != Outcome::Done) {
        exchange.fail(outcomeText(outcome));
        return false;
    }
    reply.resize(decodeBlocks(reply.data(), reply.size()));
    decoded = std::move(reply);
    return true;
}

bool KitReception::KitRead(CPulvexDoc& doc, KitBank bank, int kitNumber) {
    OpenExchange exchange(wirebox_, ui_);
    exchange.beginBusy();
    if (!exchange.open(settings_, replyTimeOut_)) return false;
    if (const Outcome outcome = KitExchange(exchange, doc, bank, kitNumber);
        outcome != Outcome::Done) {
        exchange.fail(outcomeText(outcome));
        return false;
    }
    return true;
}

KitReception::Outcome KitReception::KitExchange(OpenExchange& exchange, CPulvexDoc& doc,
                                                KitBank bank, int kitNumber,
                                                const CancelCheck& cancelled) {
    const Bytes request =
        kitRequest(settings_.readNumber(SettingKey::DeviceNumber), bank, kitNumber);
    if (!wirebox_.MidiTransmit(static_cast<std::uint32_t>(request.size()), request.data()))
        return exchange.serviceStopped() ? Outcome::ServiceStopped : Outcome::NoAnswer;
    Bytes reply;
    const Outcome outcome = receiveReply(exchange, kKitType, reply, cancelled);
    // Wirebox's time-out serves the sends too: after a wait in slices it is the exchange's again.
    if (cancelled) wirebox_.SetTimeOut(static_cast<std::uint32_t>(replyTimeOut_.count()));
    if (outcome != Outcome::Done) return outcome;
    reply.resize(decodeBlocks(reply.data(), reply.size()));
    return doc.LoadKitBlock(reply, names_, settings_) ? Outcome::Done : Outcome::Damaged;
}

KitReception::Outcome KitReception::receiveReply(OpenExchange& exchange, const char* type,
                                                 Bytes& reply, const CancelCheck& cancelled) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + replyTimeOut_;
    for (;;) {
        // Keeps the windows painted between the waits.
        ui_.dispatchPendingEvent();
        if (cancelled) {
            if (cancelled()) return Outcome::Cancelled;
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (left <= std::chrono::milliseconds(0)) return Outcome::NoAnswer;
            wirebox_.SetTimeOut(static_cast<std::uint32_t>(std::min(left, kCancelSlice).count()));
        }
        std::uint32_t length = 0;
        unsigned char* message = nullptr;
        ui_.whileWaiting([&] { message = wirebox_.MidiReceive(&length); });
        if (message == nullptr) {
            if (exchange.serviceStopped()) return Outcome::ServiceStopped;
            if (cancelled) continue; // a slice passed; the deadline decides
            return Outcome::NoAnswer;
        }
        // Wirebox's block is freed on every way out of this turn.
        const std::unique_ptr<unsigned char, void(WIREBOX_CALL*)(unsigned char*)> owned(
            message, wirebox_.DiscardMidiMessage);
        // Other SysEx traffic on the line (another device's dump, an echo of ours) is not ours.
        if (typeOf(message, length) != type) continue;
        // A reply cut short: its blocks cannot be trusted.
        if (message[length - 1] != kSysExEnd) return Outcome::Damaged;
        reply.assign(message, message + length);
        return Outcome::Done;
    }
}

} // namespace pulvex
