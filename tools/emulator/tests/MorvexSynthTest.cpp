// The virtual Morvex's answers to a dump request, for its device number and each fault.

#include "MorvexSynth.h"
#include "morvex/ReceiveVoice.h"

#include <gtest/gtest.h>

using namespace emulator;

TEST(MorvexSynth, AnswersItsOwnDeviceNumberAndGoesWrongAsTold) {
    Bytes voice;
    std::string error;
    ASSERT_TRUE(loadVoiceDump(KLANGOR_DATA_DIR "/initial.syx", voice, error)) << error;
    struct Case {
        Fault fault;
        int asked; // the device number in the request
        std::size_t replies;
        std::string lastProblem; // what is wrong with the last reply as a voice dump
    };
    const Case cases[] = {
        {Fault::None, 3, 1, ""},
        {Fault::None, 0, 0, ""}, // another device number
        {Fault::Silent, 3, 0, ""},
        {Fault::Short, 3, 1, "a voice dump has 592 bytes, this one 301"},
        {Fault::NoF7, 3, 1, "a voice dump has 592 bytes, this one 591"},
        {Fault::BadCheck, 3, 1, "check bytes do not fit"},
        {Fault::WrongTypeFirst, 3, 2, ""},
        {Fault::Garbage, 3, 3, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        MorvexSynth synth(voice, {}, 3, c.fault);
        const Reaction reaction = synth.handle(morvex::dumpRequest(c.asked));
        ASSERT_EQ(reaction.replies.size(), c.replies) << reaction.summary;
        if (c.replies == 0) continue;
        const Bytes& last = reaction.replies.back().bytes;
        EXPECT_EQ(last[2], 3);
        EXPECT_EQ(MorvexSynth::dumpProblem(last).find(c.lastProblem), 0u)
            << MorvexSynth::dumpProblem(last);
    }
    // A dump for another device number is ignored, one for its own taken.
    MorvexSynth synth(voice, {}, 3, Fault::None);
    Bytes other = voice;
    other[2] = 4;
    EXPECT_EQ(synth.handle(other).summary, "ignored: a voice dump for device 4");
    EXPECT_EQ(synth.handle(morvex::dumpRequest(4)).summary, "ignored: a dump request for device 4");
    other[2] = 3;
    EXPECT_NE(synth.handle(other).summary.find("accepted"), std::string::npos);
}
