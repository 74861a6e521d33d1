#pragma once
// The virtual Pulvex rhythm module: it answers name-list requests ("VI", "VW") and kit requests
// ("KT") addressed to its device number with one SysEx reply in the module's block format, and
// ignores everything else.

#include "Instrument.h"
#include "PulvexSetup.h"

#include <string>

namespace emulator {

class PulvexModule : public Instrument {
public:
    PulvexModule(PulvexSetup setup, int device, Fault fault);
    Reaction handle(const Bytes& message) override;

    // The reply of the given type ("VI", "VW", "KT") carrying `data`: a header, then blocks of a
    // two-byte count, "LM  0087", the type letters, the data as ASCII hexadecimal digits and a
    // checksum byte, then F7.
    static Bytes reply(int device, std::string_view type, const Bytes& data);

    Bytes nameList(std::string_view type) const; // 72-byte records, name at offset 9
    Bytes kit(int bank, int number) const;       // number 0..63

private:
    Reaction answer(std::string_view type, Bytes data, std::string summary);

    PulvexSetup setup_;
    int device_;
    Fault fault_;
};

} // namespace emulator
