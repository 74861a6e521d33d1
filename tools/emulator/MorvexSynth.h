#pragma once
// The virtual Morvex synthesizer: it takes voice dumps, checks them as the instrument does, keeps
// the last good one, and answers a dump request with it.

#include "Instrument.h"

#include <string>

namespace emulator {

class MorvexSynth : public Instrument {
public:
    // `voice`: the 592-byte dump it holds at start. `saveDir`: where accepted dumps are stored as
    // numbered voice files (empty: nowhere).
    MorvexSynth(Bytes voice, std::string saveDir);
    Reaction handle(const Bytes& message) override;

    // Why a message is not a good voice dump, or empty when it is one.
    static std::string dumpProblem(const Bytes& message);

    const Bytes& voice() const { return voice_; }

private:
    std::string save(const Bytes& dump);

    Bytes voice_;
    std::string saveDir_;
    int saved_ = 0;
};

// A voice file (26 stored as 226) as the dump it holds, with fresh check bytes; false with `error`.
bool loadVoiceDump(const std::string& path, Bytes& dump, std::string& error);

} // namespace emulator
