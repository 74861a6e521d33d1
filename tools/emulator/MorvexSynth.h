#pragma once
// The virtual Morvex synthesizer: it takes voice dumps, checks them as the instrument does, keeps
// the last good one, and answers a dump request with it. Requests and dumps for another device
// number are ignored, as the instrument ignores them.

#include "Instrument.h"

#include <string>

namespace emulator {

class MorvexSynth : public Instrument {
public:
    // `voice`: the 592-byte dump it holds at start. `saveDir`: where accepted dumps are stored as
    // numbered voice files (empty: nowhere).
    // `device`: its device number, 0..15. `fault`: how its answers to a request go wrong.
    MorvexSynth(Bytes voice, std::string saveDir, int device = 0, Fault fault = Fault::None);
    Reaction handle(const Bytes& message) override;

    // Why a message is not a good voice dump, or empty when it is one.
    static std::string dumpProblem(const Bytes& message);

    const Bytes& voice() const { return voice_; }

private:
    std::string save(const Bytes& dump);
    Reaction answer() const;

    Bytes voice_;
    std::string saveDir_;
    int saved_ = 0;
    int device_;
    Fault fault_;
};

// A voice file (26 stored as 226) as the dump it holds, with fresh check bytes; false with `error`.
bool loadVoiceDump(const std::string& path, Bytes& dump, std::string& error);

} // namespace emulator
