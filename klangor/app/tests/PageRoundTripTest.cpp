// Visiting a page without an edit leaves the voice as it was. For the shipped voice, every FM
// preset in B and D, random voices drawn within the parameter table's ranges and random dumps (any
// byte a file may hold), each page is opened, filled and left, the Envelope page with its graph
// window shown, and the encoded voice, check bytes included, must be what it was before the visit.

#include "Envelope.h"
#include "GuiTestSupport.h"
#include "Main.h"

#include "morvex/Checksum.h"
#include "morvex/ParameterMap.h"
#include "morvex/ToneValues.h"
#include "morvex/VoiceCodec.h"
#include "morvex/WaveNames.h"

#include <QPushButton>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace klangor;

namespace {

constexpr int kRandomValidVoices = 200;
constexpr int kRandomDumps = 100;
constexpr std::uint8_t kEndOfDump = 0xF7;

struct TestVoice {
    std::string name;
    morvex::VoiceBytes data;
};

morvex::VoiceBytes encoded(morvex::MorvexState state) {
    morvex::EncodeVoice(state);
    morvex::UpdateChecksum(state.voiceData);
    return state.voiceData;
}

int draw(std::mt19937& random, int minimum, int maximum) {
    return std::uniform_int_distribution<int>(minimum, maximum)(random);
}

// Every byte up to `largest`, the dump's end byte last.
morvex::MorvexState randomBytes(std::mt19937& random, int largest) {
    morvex::MorvexState s;
    for (std::uint8_t& byte : s.voiceData)
        byte = static_cast<std::uint8_t>(draw(random, 0, largest));
    s.voiceData.back() = kEndOfDump;
    return s;
}

// Every value of the parameter table and of the FM blocks within its valid range, a printable name,
// each FM element user-defined or not by the toss of a coin.
TestVoice randomValidVoice(std::mt19937& random, int number) {
    // The bytes the codec does not cover (and the markers) hold what a valid dump may hold.
    morvex::MorvexState s = randomBytes(random, 127);
    for (const morvex::ParameterDescriptor& p : morvex::voiceParameterMap()) {
        if (!p.value) continue;
        for (int slot = 0; slot < p.slotCount; ++slot)
            if (p.covers(slot))
                p.value(s.voiceParams, slot) = draw(random, p.range.minimum, p.range.maximum);
    }
    for (morvex::FmBlock& block : s.fmParams)
        for (int i = 0; i < morvex::kFmBlockSize; ++i)
            block[i] =
                draw(random, morvex::fmBlockRange(i).minimum, morvex::fmBlockRange(i).maximum);
    for (int f = 0; f < morvex::kFmElementCount; ++f) {
        const bool userDefined =
            s.voiceParams.wave[f == 0 ? morvex::B : morvex::D] == morvex::kUserDefinedWave ||
            draw(random, 0, 1) == 1;
        s.voiceData[morvex::kFmMarkerOffset[f]] = userDefined ? draw(random, 1, 127) : 0;
    }
    for (char& letter : s.voiceName) letter = static_cast<char>(draw(random, 0x20, 0x7E));
    return {"random voice " + std::to_string(number), encoded(s)};
}

// Any byte a file may hold, even those no MIDI data byte can.
TestVoice randomDump(std::mt19937& random, int number) {
    morvex::MorvexState s = randomBytes(random, 255);
    morvex::UpdateChecksum(s.voiceData);
    return {"random dump " + std::to_string(number), s.voiceData};
}

std::vector<TestVoice> testVoices(const morvex::MorvexState& shipped) {
    std::vector<TestVoice> voices = {{"shipped voice", shipped.voiceData}};
    for (int preset = 0; preset < morvex::kFmPresetCount; ++preset) {
        morvex::MorvexState s = shipped;
        for (morvex::FmElement e : {morvex::FmElement::B, morvex::FmElement::D})
            EXPECT_FALSE(morvex::SelectFmWave(s, e, preset, s.startDir));
        voices.push_back({"FM preset " + std::to_string(preset), encoded(s)});
    }
    std::mt19937 random(20240612);
    for (int n = 0; n < kRandomValidVoices; ++n) voices.push_back(randomValidVoice(random, n));
    for (int n = 0; n < kRandomDumps; ++n) voices.push_back(randomDump(random, n));
    return voices;
}

// The first offset at which two encoded voices differ, as text for the failure message.
std::string firstDifference(const morvex::VoiceBytes& before, const morvex::VoiceBytes& after) {
    for (std::size_t n = 0; n < before.size(); ++n)
        if (before[n] != after[n])
            return "byte " + std::to_string(n) + ": " + std::to_string(before[n]) + " -> " +
                   std::to_string(after[n]);
    return {};
}

} // namespace

TEST(PageRoundTrip, OpeningAndLeavingEveryPageWithoutAnEditKeepsTheVoice) {
    morvex::MorvexState state;
    state.startDir = dataDir().string();
    state.midiDevice = 250; // no such output: Direct edit's send on leaving is only a note
    ASSERT_TRUE(loadInitialVoice(state));
    const std::vector<TestVoice> voices = testVoices(state);

    THaupt window(state);
    ReportCapture boxes{window.session()};
    NoteCapture notes{window.session()};
    window.show();
    // Each page is opened for the first voice; the others come as a reload while it is open
    // (Initialize, F5), which fills the page the same way and costs no new window.
    for (const PageInfo& page : registeredPages()) {
        int changed = 0;
        for (const TestVoice& voice : voices) {
            state.voiceData = voice.data;
            morvex::DecodeVoice(state);
            const morvex::VoiceBytes before = encoded(state);
            if (window.activePage() != page.name) {
                window.showPage(page.name);
                if (auto* envelope = dynamic_cast<TFEnvelope*>(window.activePageWidget()))
                    envelope->findChild<QPushButton*>("EnvGra")->click();
            } else {
                window.RefreshActivePage();
            }
            window.SaveActivePage();
            const morvex::VoiceBytes after = encoded(state);
            if (after != before && ++changed <= 3)
                ADD_FAILURE() << voice.name << " changed on leaving " << page.name.toStdString()
                              << ", " << firstDifference(before, after);
        }
        window.FreeActivePage();
        EXPECT_EQ(changed, 0) << "voices changed by " << page.name.toStdString();
    }
    EXPECT_TRUE(boxes.reports.empty());
}
