#pragma once
// Reading many kits in one go: one opening of the ports, the voice names once per run, then each
// asked-for kit in order. A kit that does not come (no answer in time, a damaged reply) is asked
// for once more, then named in the report: a run never leaves a kit out without saying so. Cancel
// and a stopped MIDI service end the run; what was read is kept either way.

#include "pulvex/model/DrumMapExport.h"
#include "pulvex/model/Reception.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pulvex {

// Texts of the run.
inline constexpr const char* kKitsNotRead = "Kits not read: ";
inline constexpr const char* kNoAnswer = "no answer";
inline constexpr const char* kDamagedReply = "damaged reply";
inline constexpr const char* kCancelledKeepsKits = "Cancelled: the kits read so far are kept.";
inline constexpr const char* kStoppedKeepsKits =
    "The MIDI service stopped: the kits read so far are kept.";

struct KitAddress {
    KitBank bank;
    int number; // 1..64
    bool operator==(const KitAddress&) const = default;
};

// The kits to read, bank by bank (Preset, Internal, Card): `number` of `bank`; without a bank, of
// every bank; without a number, all 64.
std::vector<KitAddress> kitsToRead(std::optional<KitBank> bank, std::optional<int> number);

// "Internal 12".
std::string kitAddressText(const KitAddress& kit);
// "kit 12 of 192".
std::string kitProgressText(int k, int n);

struct KitsResult {
    enum class End {
        Finished,       // every kit was asked for
        Cancelled,      // by the user, between kits or during a wait
        ServiceStopped, // the user was told as for one kit
        NotStarted,     // the ports did not open or the names did not come; the user was told
    };
    struct Failure {
        KitAddress kit;
        const char* reason; // kNoAnswer or kDamagedReply
    };

    std::vector<NamedKit> kits; // read, in the order asked
    std::vector<Failure> failed;
    int requested = 0;
    End end = End::NotStarted;

    // Everything asked for was read.
    bool complete() const { return end == End::Finished && failed.empty(); }
    // "Read 190 of 192 kits.", what ended the run early, and "Kits not read: Internal 12 (no
    // answer), Card 3 (damaged reply)." in lines of their own.
    std::string report() const;
};

struct KitsProgress {
    // Before kit k (1-based) of n is asked for.
    std::function<void(int k, int n, const KitAddress& kit)> kitStarted;
    // Asked between kits and, in slices of kCancelSlice, during every wait for a kit; true ends
    // the run. The window answers its events here.
    CancelCheck cancelled;
};

class KitsReception {
public:
    KitsReception(const WireboxBinding& wirebox, const SettingsStore& settings,
                  WaveNameTable& names, ReceptionUi& ui,
                  std::chrono::milliseconds replyTimeOut = kReplyTimeOut);

    KitsResult read(const std::vector<KitAddress>& kits, const KitsProgress& progress = {});

private:
    WireboxBinding wirebox_;
    const SettingsStore& settings_;
    WaveNameTable& names_;
    ReceptionUi& ui_;
    const std::chrono::milliseconds replyTimeOut_;
};

} // namespace pulvex
