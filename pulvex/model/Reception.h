#pragma once
// Reading the module's voice names and one kit over MIDI, through Wirebox.
//
// Two exchanges, each an OpenExchange that closes the ports on every path: the configuration read
// (the internal and wave-card voice names, once per run) and the kit read. What the user sees goes
// through ReceptionUi, which the windows and the command-line tool implement.

#include "pulvex/model/WireboxBinding.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pulvex {

class CPulvexDoc;
class SettingsStore;
class WaveNameTable;
class OpenExchange;

using Bytes = std::vector<std::uint8_t>;

// Texts of the exchanges.
inline constexpr const char* kNoResponse =
    "Pulvex does not respond - check cable and/or configuration";
inline constexpr const char* kCommunicationError = "MIDI communication error";
inline constexpr const char* kReceivingInternal = "Now receiving Internal Voices...";
inline constexpr const char* kReceivingWavecard = "Now receiving Wavecard Voices...";
inline constexpr const char* kNamesFinished = "Finished retrieving names";
inline constexpr const char* kReceptionFailed = "Error during reception of data";
inline constexpr const char* kProgressInternal = "Internal Voices";
inline constexpr const char* kProgressWavecard = "Wavecard Voices";

// How long each reply may take: a full name list takes a few seconds at MIDI speed.
inline constexpr std::chrono::milliseconds kReplyTimeOut{10000};

// Kit banks as the user picks them; the request carries another code (bankCode()).
enum class KitBank { Preset = 0, Internal = 1, Card = 2 };
std::uint8_t bankCode(KitBank bank);   // Preset 00, Internal 02, Card 01
const char* kitBankName(KitBank bank); // "Preset", "Internal", "Card"
inline constexpr int kKitsInBank = 64;

// The list types of a name-list request.
inline constexpr const char* kInternalVoices = "VI";
inline constexpr const char* kWavecardVoices = "VW";
inline constexpr const char* kKitType = "KT";

class ReceptionUi {
public:
    virtual ~ReceptionUi() = default;
    virtual void showReadyPrompt() = 0;                     // "Ready to read Pulvex configuration"
    virtual void openProgress(const std::string& text) = 0; // "Now reading:" window
    virtual void setProgress(const std::string& text) = 0;
    virtual void closeProgress() = 0;
    virtual bool hasStatusBar() const = 0;
    virtual void setStatus(const std::string& text) = 0; // first pane of the status bar
    virtual void showError(const std::string& text) = 0; // message box, error icon
    virtual void beginBusy() = 0;                        // busy cursor; OpenExchange ends it
    virtual void endBusy() = 0;
    virtual void dispatchPendingEvent() = 0; // one waiting window message
    // Runs a wait for the module, which may last the whole time-out. The windows run it beside
    // their event loop, so that they paint meanwhile; a terminal just waits.
    virtual void whileWaiting(const std::function<void()>& wait) { wait(); }
    // The kit dialog: false on Cancel.
    virtual bool chooseKit(KitBank& bank, int& number) = 0;
};

// The requests.
Bytes nameListRequest(const char* type, int deviceNumber);       // 15 bytes
Bytes kitRequest(int deviceNumber, KitBank bank, int kitNumber); // 31 bytes, kit 1..64

// Decodes a reply's ASCII-hexadecimal blocks in place: the decoded bytes replace the message from
// its first byte on, and the result is their number. Stops at a block without "LM  0087" and never
// reads or writes outside the message; a block that claims more digits than the message holds
// ends the decoding (what was decoded so far stands).
std::size_t decodeBlocks(std::uint8_t* message, std::size_t length);

// The type letters of a reply's first block (bytes 14-15), or empty when it is too short.
std::string replyType(const Bytes& reply);

// Asked while a reply is awaited; true ends the wait. A wait that asks goes in slices of
// kCancelSlice, so that the answer is heard within one.
using CancelCheck = std::function<bool()>;
inline constexpr std::chrono::milliseconds kCancelSlice{50};

class KitReception {
public:
    // How a step within an open exchange ended.
    enum class Outcome { Done, NoAnswer, Damaged, ServiceStopped, Cancelled };

    KitReception(const WireboxBinding& wirebox, const SettingsStore& settings, WaveNameTable& names,
                 ReceptionUi& ui, std::chrono::milliseconds replyTimeOut = kReplyTimeOut);

    // The receive command: configuration read when the names are missing, the kit dialog, the kit
    // read. The MIDI service is held throughout, so that it starts once for both exchanges. True
    // when the document was filled.
    bool ReceiveCommand(CPulvexDoc& doc);

    // True when both name lists were read; sets namesRetrieved.
    bool ConfigurationRead();
    // True when the document was filled with the kit.
    bool KitRead(CPulvexDoc& doc, KitBank bank, int kitNumber);

    // The steps of the commands within an exchange the caller opened, so that one opening of the
    // ports serves many of them.
    // The ready prompt and both name lists; on a failure the exchange has ended and the user was
    // told. The exchange stays open on success.
    bool NamesRead(OpenExchange& exchange);
    // One kit request and its reply into `doc` (unchanged unless Done). Tells the user nothing and
    // leaves the exchange open: the outcome says what happened. A request that cannot be sent is
    // NoAnswer; a reply cut short or too short for a kit is Damaged.
    Outcome KitExchange(OpenExchange& exchange, CPulvexDoc& doc, KitBank bank, int kitNumber,
                        const CancelCheck& cancelled = {});
    // What the user is told of a step that failed.
    static std::string outcomeText(Outcome outcome);

private:
    // The decoded name list of type "VI" or "VW", or false with the exchange ended.
    bool NameListExchange(OpenExchange& exchange, const char* type, Bytes& decoded);
    // Waits for the reply of `type`, skipping other SysEx traffic: Done, NoAnswer (the time-out
    // passed), ServiceStopped, Damaged (a reply cut short) or Cancelled. Without `cancelled` one
    // wait of the exchange's time-out per message, as Wirebox counts it.
    Outcome receiveReply(OpenExchange& exchange, const char* type, Bytes& reply,
                         const CancelCheck& cancelled = {});

    WireboxBinding wirebox_; // a copy: callers often hand in a temporary
    const SettingsStore& settings_;
    WaveNameTable& names_;
    ReceptionUi& ui_;
    const std::chrono::milliseconds replyTimeOut_;
};

} // namespace pulvex
