#include "Tone.h"
#include "GuiTestSupport.h"
#include "Main.h"

#include "morvex/FmPresetList.h"
#include "morvex/ScaleTables.h"
#include "morvex/ToneValues.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <gtest/gtest.h>

#include <memory>

using namespace klangor;

namespace {

// EncodeVoice writes 0 here on every run: a non-zero value left in it proves nothing was sent.
constexpr int kSendWitness = 40;

class ToneTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.startDir = dir.path().string();
        ASSERT_TRUE(loadInitialVoice(state));
    }

    void openPage() {
        page = std::make_unique<TFTone>(session);
        page->resize(1200, 700);
        page->show();
        page->InitVars();
    }

    template <class W>
    W* control(const char* name) {
        W* widget = page->findChild<W*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QSpinBox* spin(const char* name) { return control<QSpinBox>(name); }
    QComboBox* combo(const char* name) { return control<QComboBox>(name); }

    void armWitness() { state.voiceData[kSendWitness] = 99; }
    bool sent() const { return state.voiceData[kSendWitness] == 0; }

    // The FM block and tone values that preset `index` brings along, loaded on its own.
    morvex::MorvexState preset(int index, morvex::FmElement e) {
        morvex::MorvexState s = state;
        EXPECT_FALSE(morvex::LoadFmPreset(s, index, e, state.startDir));
        return s;
    }

    testing_support::TempDir dir;
    StartDirFixture start{dir};
    morvex::MorvexState state;
    Session session{state};
    ReportCapture boxes{session};
    NoteCapture notes{session};
    std::unique_ptr<TFTone> page;
};

} // namespace

TEST_F(ToneTest, OffersBothWaveListsWhole) {
    openPage();
    EXPECT_EQ(combo("ComboBox1")->count(), 128);
    EXPECT_EQ(combo("ComboBox3")->count(), 128);
    EXPECT_EQ(combo("ComboBox2")->count(), 257);
    EXPECT_EQ(combo("ComboBox4")->count(), 257);
    EXPECT_EQ(combo("ComboBox1")->itemText(0), "Piano");
    EXPECT_EQ(combo("ComboBox3")->itemText(127), "Drum Set");
    EXPECT_EQ(combo("ComboBox2")->itemText(256), "UserDefined");
    EXPECT_EQ(combo("ComboBox4")->itemText(0), "E.Piano1");
    EXPECT_EQ(page->windowTitle(), "Tone");
}

TEST_F(ToneTest, RightClickOnBackgroundStoresAndSends) {
    openPage();
    spin("Volume1")->setValue(42);
    spin("VeloC")->setValue(-1);
    spin("ATouchC")->setValue(-1);
    armWitness();
    rightClick(page.get(), QPoint(2, 2));
    EXPECT_EQ(state.voiceParams.volume[morvex::A], 42);
    EXPECT_EQ(state.voiceParams.sensitivity[morvex::C], 122);
    EXPECT_TRUE(sent());
    EXPECT_EQ(state.voiceData[34], morvex::Scale99To127(99 - 42));
    // The left button on the background does nothing.
    spin("Volume1")->setValue(43);
    armWitness();
    leftClick(page.get(), QPoint(2, 2));
    EXPECT_EQ(state.voiceParams.volume[morvex::A], 42);
    EXPECT_FALSE(sent());
}

TEST_F(ToneTest, RightClickOnControlsSendsNothing) {
    openPage();
    const morvex::VoiceParams before = state.voiceParams;
    spin("LFODlyA")->setValue(50);
    spin("ToneLevB")->setValue(50);
    spin("FreqShift1")->setValue(3);
    armWitness();
    rightClick(spin("LFODlyA"));
    rightClick(spin("ToneLevB"));
    rightClick(spin("FreqShift1")); // not a stepping box: the press must not reach the page
    EXPECT_EQ(spin("LFODlyA")->value(), 60);
    EXPECT_EQ(spin("ToneLevB")->value(), 60);
    EXPECT_EQ(spin("FreqShift1")->value(), 3);
    EXPECT_EQ(state.voiceParams, before);
    EXPECT_FALSE(sent());
}

TEST_F(ToneTest, SteppingStopsAtTheLimits) {
    openPage();
    QSpinBox* delay = spin("LFODlyA");
    const std::pair<int, int> leftSteps[] = {{95, 85}, {5, 0}, {10, 0}};
    for (auto [from, to] : leftSteps) {
        delay->setValue(from);
        leftClick(delay);
        EXPECT_EQ(delay->value(), to) << from;
    }
    delay->setValue(95);
    rightClick(delay);
    EXPECT_EQ(delay->value(), 99);
    QSpinBox* volume = spin("Volume4");
    volume->setValue(99);
    rightClick(volume);
    EXPECT_EQ(volume->value(), 99);
}

TEST_F(ToneTest, PickingAPresetLoadsItAtOnce) {
    state.voiceData[55] = 1;
    openPage();
    EXPECT_EQ(combo("ComboBox2")->currentIndex(), morvex::kUserDefinedWave);
    const morvex::MorvexState expected = preset(17, morvex::FmElement::B);
    combo("ComboBox2")->setCurrentIndex(17);
    EXPECT_EQ(state.voiceParams.wave[morvex::B], 17);
    EXPECT_EQ(state.voiceData[55], 0);
    EXPECT_EQ(state.fmParams[0], expected.fmParams[0]);
    EXPECT_EQ(spin("ToneLevB")->value(), expected.voiceParams.toneLevel[0]);
    EXPECT_EQ(spin("ToneFBB")->value(), expected.voiceParams.toneFeedback[0]);
    EXPECT_TRUE(boxes.reports.empty());
}

TEST_F(ToneTest, UserDefinedChangesNothingUntilStored) {
    openPage();
    const morvex::MorvexState before = state;
    QSpinBox* level = spin("ToneLevD");
    level->setValue((level->value() + 7) % 100);
    combo("ComboBox4")->setCurrentIndex(morvex::kUserDefinedWave);
    EXPECT_EQ(state.voiceParams, before.voiceParams);
    EXPECT_EQ(state.voiceData, before.voiceData);
    EXPECT_EQ(state.fmParams, before.fmParams);
    EXPECT_EQ(level->value(), before.voiceParams.toneLevel[1]); // refilled from the voice
    page->ChVars();
    EXPECT_EQ(state.voiceParams.wave[morvex::D], 255);
    EXPECT_EQ(state.voiceData[129], 1);
    EXPECT_EQ(state.fmParams[1], before.fmParams[1]); // D loads no preset
}

TEST_F(ToneTest, ElementSwitchRemembersTheVolume) {
    openPage();
    QCheckBox* checkA = control<QCheckBox>("CheckA");
    spin("Volume1")->setValue(63);
    checkA->click();
    EXPECT_EQ(spin("Volume1")->value(), 0);
    EXPECT_EQ(state.elementSwitch[morvex::A], 0);
    page->ChVars();
    EXPECT_EQ(state.voiceParams.volume[morvex::A], 0);

    // A fresh page for the switched-off element shows it off and still remembers 63.
    openPage();
    EXPECT_FALSE(control<QCheckBox>("CheckA")->isChecked());
    EXPECT_EQ(spin("Volume1")->value(), 0);
    control<QCheckBox>("CheckA")->click();
    EXPECT_EQ(spin("Volume1")->value(), 63);
    EXPECT_EQ(state.elementSwitch[morvex::A], 1);
}

TEST_F(ToneTest, RandomElementsShowWhatTheyLoadedAndKeepOtherEdits) {
    openPage();
    state.voiceData[55] = 1; // the drawn preset replaces B's own block: B holds a preset again
    spin("Volume2")->setValue(12);
    armWitness();
    control<QPushButton>("RandVoices")->click();
    EXPECT_TRUE(sent());
    for (int e = 0; e < 4; ++e)
        EXPECT_EQ(page->findChild<QComboBox*>(QString("ComboBox%1").arg(e + 1))->currentIndex(),
                  state.voiceParams.wave[e]);
    EXPECT_EQ(state.voiceData[55], 0);
    const morvex::MorvexState b = preset(state.voiceParams.wave[morvex::B], morvex::FmElement::B);
    const morvex::MorvexState d = preset(state.voiceParams.wave[morvex::D], morvex::FmElement::D);
    EXPECT_EQ(spin("ToneLevB")->value(), b.voiceParams.toneLevel[0]);
    EXPECT_EQ(spin("ToneFBB")->value(), b.voiceParams.toneFeedback[0]);
    EXPECT_EQ(spin("ToneLevD")->value(), d.voiceParams.toneLevel[1]);
    EXPECT_EQ(spin("ToneFBD")->value(), d.voiceParams.toneFeedback[1]);
    EXPECT_EQ(state.voiceParams.toneLevel[1], d.voiceParams.toneLevel[1]);
    // An edit the button does not draw is neither lost nor left out of the send.
    EXPECT_EQ(spin("Volume2")->value(), 12);
    EXPECT_EQ(state.voiceParams.volume[morvex::B], 12);
}

TEST_F(ToneTest, RandomLfoSendsWhatThePageShows) {
    openPage();
    control<QCheckBox>("AMtoCarB")->setChecked(true);
    control<QCheckBox>("AMtoModB")->setChecked(false);
    spin("LFODlyD")->setValue(33);
    spin("Volume2")->setValue(12); // not an LFO value: stays on the page and goes out with it
    armWitness();
    control<QPushButton>("RandLFO")->click();
    EXPECT_TRUE(sent());
    EXPECT_EQ(state.voiceParams.lfoAm[morvex::B], 2 * 16 + spin("LFOAMB")->value());
    EXPECT_EQ(state.voiceParams.lfoAm[morvex::A], 16 + spin("LFOAMA")->value());
    EXPECT_EQ(state.voiceParams.lfoPm[morvex::C], 32 + spin("LFOPMC")->value());
    EXPECT_EQ(state.voiceParams.lfoDelay[morvex::D], 33);
    EXPECT_EQ(state.voiceParams.lfoFormSpeed[morvex::A] % 32, spin("LFOSpeedA")->value());
    EXPECT_EQ(state.voiceParams.volume[morvex::B], 12);
    // Storing the page afterwards changes none of the LFO values just sent.
    const morvex::VoiceParams sentValues = state.voiceParams;
    page->ChVars();
    EXPECT_EQ(state.voiceParams.lfoAm, sentValues.lfoAm);
    EXPECT_EQ(state.voiceParams.lfoPm, sentValues.lfoPm);
    EXPECT_EQ(state.voiceParams.lfoFormSpeed, sentValues.lfoFormSpeed);
}

TEST_F(ToneTest, StoringAFreshPageKeepsTheVoice) {
    openPage();
    const morvex::VoiceParams before = state.voiceParams;
    page->ChVars();
    EXPECT_EQ(state.voiceParams, before);
    EXPECT_TRUE(boxes.reports.empty());
}

TEST(ToneWindow, OpensFromTheMainWindowAndStoresOnSwitch) {
    MainWindowUnderTest app;
    auto& [dir, start, state, window, boxes, notes] = app;
    window.show();
    ASSERT_TRUE(window.Initialize());
    window.showPage("FTone");
    auto* tone = dynamic_cast<TFTone*>(window.activePageWidget());
    ASSERT_NE(tone, nullptr);
    tone->findChild<QSpinBox*>("FreqShift3")->setValue(-7);
    window.showPage("FCommon");
    EXPECT_EQ(state.voiceParams.freqShift[morvex::C], -7);
}
