// The Common and Direct edit pages through their widgets.
#include "Common.h"
#include "Direct.h"
#include "GuiTestSupport.h"
#include "morvex/Checksum.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QValidator>
#include <gtest/gtest.h>

using namespace klangor;

namespace {

template <class W>
W* control(QWidget* page, const char* name) {
    W* widget = page->findChild<W*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

class CommonPageTest : public ::testing::Test {
protected:
    void SetUp() override { page.show(); }
    morvex::MorvexState state;
    Session session{state};
    ReportCapture boxes{session};
    NoteCapture notes{session};
    TFCommon page{session};
};

class DirectPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < morvex::kVoiceDataSize; ++i)
            state.voiceData[i] = static_cast<std::uint8_t>(i % 128);
        state.midiDevice = 200; // not there: a send is a status note
        page.show();
        page.InitVars();
    }
    morvex::MorvexState state;
    Session session{state};
    ReportCapture boxes{session};
    NoteCapture notes{session};
    TFDirectEd page{session};
};

} // namespace

TEST_F(CommonPageTest, EffectSplitsIntoTypeAndDepthAndJoinsBack) {
    state.voiceParams.effect = 37;
    page.InitVars();
    EXPECT_EQ(control<QListWidget>(&page, "Style")->currentItem()->text(), "Delay 1");
    EXPECT_EQ(control<QSpinBox>(&page, "Depth")->value(), 2);

    control<QListWidget>(&page, "Style")->setCurrentRow(15);
    control<QSpinBox>(&page, "Depth")->setValue(7);
    page.ChVars();
    EXPECT_EQ(state.voiceParams.effect, 127);
    EXPECT_EQ(effectNames().size(), 16);
    EXPECT_EQ(effectNames()[8], "Doubler ");
}

TEST_F(CommonPageTest, ControllerSwitchesKeepTheirWeightsAndAnEditForcesFourOnAndEightOff) {
    state.voiceParams.switches = 85; // 1 + 4 + 16 + 64
    page.InitVars();
    EXPECT_TRUE(control<QCheckBox>(&page, "WheelAM")->isChecked());
    EXPECT_FALSE(control<QCheckBox>(&page, "WheelPM")->isChecked());
    EXPECT_TRUE(control<QCheckBox>(&page, "AftertouchAM")->isChecked());
    EXPECT_FALSE(control<QCheckBox>(&page, "AftertouchPM")->isChecked());
    EXPECT_TRUE(control<QCheckBox>(&page, "AftertouchLev")->isChecked());
    page.ChVars();
    EXPECT_EQ(state.voiceParams.switches, 85);

    state.voiceParams.switches = 8 + 1; // weight 8 has no box: kept until a box is changed
    page.InitVars();
    page.ChVars();
    EXPECT_EQ(state.voiceParams.switches, 9);

    control<QCheckBox>(&page, "WheelPM")->setChecked(true);
    control<QCheckBox>(&page, "AftertouchPM")->setChecked(true);
    page.ChVars();
    EXPECT_EQ(state.voiceParams.switches, 1 + 2 + 4 + 32);
}

TEST_F(CommonPageTest, ConfigurationWithoutItemIsLeftAlone) {
    const auto group = page.findChild<QGroupBox*>("Configuration")->findChildren<QRadioButton*>();
    ASSERT_EQ(group.size(), 2);
    state.voiceParams.configuration = 2;
    page.InitVars();
    EXPECT_FALSE(group[0]->isChecked());
    EXPECT_FALSE(group[1]->isChecked());
    page.ChVars();
    EXPECT_EQ(state.voiceParams.configuration, 2);

    state.voiceParams.configuration = 1;
    page.InitVars();
    EXPECT_TRUE(group[1]->isChecked());
    state.voiceParams.configuration = 7; // the group keeps showing "A-B-C-D"
    page.InitVars();
    EXPECT_TRUE(group[1]->isChecked());
    group[0]->setChecked(true);
    page.ChVars();
    EXPECT_EQ(state.voiceParams.configuration, 0);
}

TEST_F(CommonPageTest, VoiceNameIsPaddedWithBlanksAndPlainAscii) {
    const std::string loaded = "Brass\x01 9";
    std::copy(loaded.begin(), loaded.end(), state.voiceName.begin());
    page.InitVars();
    auto* name = control<QLineEdit>(&page, "VName");
    EXPECT_EQ(name->text().size(), 8);
    page.ChVars(); // a loaded name comes back byte for byte
    EXPECT_EQ(std::string(state.voiceName.begin(), state.voiceName.end()), loaded);

    name->setText("Abc");
    page.ChVars();
    EXPECT_EQ(std::string(state.voiceName.begin(), state.voiceName.end()), "Abc     ");

    QString typed = QString::fromUtf8("Grü");
    int position = 0;
    EXPECT_EQ(name->validator()->validate(typed, position), QValidator::Invalid);
    typed = "Pad~ 1";
    EXPECT_EQ(name->validator()->validate(typed, position), QValidator::Acceptable);
    EXPECT_EQ(name->maxLength(), 8);
}

TEST_F(CommonPageTest, ATypedLetterTheNameCannotHoldIsNoted) {
    state.voiceName[7] = '\xE4'; // from a file: shown as it is, not typed
    page.InitVars();
    auto* name = control<QLineEdit>(&page, "VName");
    name->setFocus();
    name->clear();
    QTest::keyClicks(name, "Ab");
    QTest::keyClick(name, Qt::Key_Backspace);
    EXPECT_TRUE(notes.notes.empty());
    QKeyEvent umlaut(QEvent::KeyPress, Qt::Key_Adiaeresis, Qt::NoModifier, QString::fromUtf8("ä"));
    QApplication::sendEvent(name, &umlaut);
    EXPECT_EQ(name->text(), "A");
    ASSERT_EQ(notes.notes.size(), 1u);
    EXPECT_TRUE(notes.notes[0].contains(QString::fromUtf8("\"ä\" was left out")))
        << notes.notes[0].toStdString();
    QTest::keyClicks(name, "bcdefghij"); // a full field is no wrong letter
    EXPECT_EQ(name->text(), "Abcdefgh");
    EXPECT_EQ(notes.notes.size(), 1u);
}

TEST_F(CommonPageTest, OffsetsAndRangesAsShown) {
    state.voiceParams.aftertouchPitch = -12;
    state.voiceParams.attackOffset = -99;
    state.voiceParams.releaseOffset = 73;
    state.voiceParams.pitchBend = 12;
    page.InitVars();
    page.ChVars();
    EXPECT_EQ(state.voiceParams.aftertouchPitch, -12);
    EXPECT_EQ(state.voiceParams.attackOffset, -99);
    EXPECT_EQ(state.voiceParams.releaseOffset, 73);
    EXPECT_EQ(state.voiceParams.pitchBend, 12);
}

TEST_F(DirectPageTest, ShowsTheBytesAtTheDesignPositionsAndFollowsThePosition) {
    EXPECT_EQ(control<QSpinBox>(&page, "Position1")->value(), 35);
    EXPECT_EQ(control<QSpinBox>(&page, "ASCIIEdit1")->value(), 35);
    EXPECT_EQ(control<QSpinBox>(&page, "Position2")->value(), 109);
    EXPECT_EQ(control<QSpinBox>(&page, "ASCIIEdit2")->value(), 109);
    EXPECT_EQ(control<QSpinBox>(&page, "Position1")->maximum(), 571);
    EXPECT_EQ(control<QSpinBox>(&page, "Position2")->maximum(), 570);

    control<QSpinBox>(&page, "Position2")->setValue(300);
    EXPECT_EQ(control<QSpinBox>(&page, "ASCIIEdit2")->value(), 300 % 128);
    EXPECT_EQ(control<QSpinBox>(&page, "ASCIIEdit1")->value(), 35);

    control<QSpinBox>(&page, "Position1")->setValue(0); // clamps: offset 0 cannot be chosen
    EXPECT_EQ(control<QSpinBox>(&page, "Position1")->value(), 1);
}

TEST_F(DirectPageTest, SendDirectlyWritesBothBytesSecondWinsAndRecomputesTheCheckBytes) {
    control<QSpinBox>(&page, "ASCIIEdit1")->setValue(10);
    control<QPushButton>(&page, "SendDirect")->click();
    EXPECT_EQ(state.voiceData[35], 10);
    EXPECT_EQ(state.voiceData[109], 109);
    morvex::VoiceBytes expected = state.voiceData;
    morvex::UpdateChecksum(expected);
    EXPECT_EQ(state.voiceData, expected);
    EXPECT_EQ(notes.notes.size(), 1u);

    control<QSpinBox>(&page, "Position2")->setValue(35);
    control<QSpinBox>(&page, "ASCIIEdit1")->setValue(20);
    control<QSpinBox>(&page, "ASCIIEdit2")->setValue(30);
    page.ChVars();
    EXPECT_EQ(state.voiceData[35], 30);
    EXPECT_TRUE(boxes.reports.empty());
}

TEST_F(DirectPageTest, NoSendFromTheBackgroundAndStepsSnapToTheLimits) {
    rightClick(&page, QPoint(1, 1));
    EXPECT_TRUE(notes.notes.empty());

    auto* position = control<QSpinBox>(&page, "Position1");
    position->setValue(565);
    rightClick(position);
    EXPECT_EQ(position->value(), 571);
    EXPECT_EQ(control<QSpinBox>(&page, "ASCIIEdit1")->value(), 571 % 128); // LinkASCII ran
    position->setValue(7);
    leftClick(position);
    EXPECT_EQ(position->value(), 1);
    leftClick(position);
    EXPECT_EQ(position->value(), 1);

    auto* value = control<QSpinBox>(&page, "ASCIIEdit2");
    value->setValue(120);
    rightClick(value);
    EXPECT_EQ(value->value(), 127);
    value->setValue(50);
    click(value, Qt::MiddleButton);
    EXPECT_EQ(value->value(), 50);
    EXPECT_TRUE(notes.notes.empty());
}
