#include "Envelope.h"
#include "Audiogra.h"
#include "GuiTestSupport.h"
#include "Main.h"

#include "morvex/EnvelopeGraph.h"
#include "morvex/ScaleTables.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

using namespace klangor;
using morvex::A, morvex::B, morvex::C, morvex::D;

namespace {

// A page on the data folder of the sources (initial.syx and the pictures), with a voice whose
// envelope values are all different, so a value in the wrong place shows.
class EnvelopePage : public ::testing::Test {
protected:
    void SetUp() override {
        state.startDir = dataDir().string();
        ASSERT_TRUE(loadInitialVoice(state));
        morvex::VoiceParams& v = state.voiceParams;
        for (int e = 0; e < 4; ++e) {
            v.initialLevel[e] = 10 + e;
            v.attackLevel[e] = 90 + e;
            v.attackRate[e] = 30 + e;
            v.decay1Level[e] = 70 + e;
            v.decay1Rate[e] = 40 + e;
            v.decay2Level[e] = 50 + e;
            v.decay2Rate[e] = 20 + e;
            v.releaseRate[e] = 60 + e;
        }
        v.scaling = {0x23, 0, 0xF7, 0x10};
        v.delaySwitch = {0, 0, 1, 0};
        v.delayRate = 33;
        page = std::make_unique<TFEnvelope>(session);
        page->show();
        page->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(page.get()));
        page->InitVars();
    }

    QSpinBox* box(const QString& name) const { return page->findChild<QSpinBox*>(name); }
    QComboBox* combo(const QString& name) const { return page->findChild<QComboBox*>(name); }
    void push(const char* name) const { page->findChild<QPushButton*>(name)->click(); }
    void openGraph() const {
        push("EnvGra");
        ASSERT_TRUE(QTest::qWaitForWindowExposed(page->graphWindow()));
        QTest::qWait(20);
    }

    // Types into a box as a user does; `leave` then tabs out of it.
    void type(const QString& name, const QString& text, bool leave = false) const {
        QSpinBox* b = box(name);
        b->setFocus();
        QTest::keyClick(b, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(b, text);
        if (leave) QTest::keyClick(b, Qt::Key_Tab);
    }

    morvex::MorvexState state;
    Session session{state};
    ReportCapture boxes{session};
    NoteCapture notes{session};
    std::unique_ptr<TFEnvelope> page;
};

QImage pictureOf(const QLabel* label) {
    return label->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
}

QImage fileImage(const char* name) {
    return QImage(QString::fromStdString((dataDir() / "bmp" / name).string()))
        .convertToFormat(QImage::Format_RGB32);
}

TEST_F(EnvelopePage, ShowsTheVoiceAndStoresItBackUnchanged) {
    EXPECT_EQ(box("InitialB")->value(), 11);
    EXPECT_EQ(box("D2LD")->value(), 53);
    EXPECT_EQ(box("RRC")->value(), 62);
    EXPECT_EQ(box("ScLevA")->value(), 3);
    EXPECT_EQ(box("ScRateA")->value(), 4);
    EXPECT_EQ(box("ScLevC")->value(), 16);
    EXPECT_EQ(box("ScRateC")->value(), 8);
    EXPECT_EQ(pictureOf(page->findChild<QLabel*>("IScLevA")), fileImage("Sclev3.bmp"));
    EXPECT_EQ(pictureOf(page->findChild<QLabel*>("IScRateA")), fileImage("Scrate4.bmp"));
    EXPECT_EQ(box("DelRate")->value(), 33);
    for (const char* name : {"DRA", "DRB", "DRD"})
        EXPECT_FALSE(page->findChild<QCheckBox*>(name)->isChecked()) << name;
    EXPECT_TRUE(page->findChild<QCheckBox*>("DRC")->isChecked());
    for (const char* name : {"EnvTypeA", "EnvTypeB", "EnvTypeC", "EnvTypeD"})
        EXPECT_EQ(combo(name)->currentText(), "Preset") << name;
    EXPECT_EQ(combo("ParmSource")->currentText(), "A");
    EXPECT_EQ(combo("ParmDest")->currentText(), "C");
    EXPECT_TRUE(boxes.reports.empty());

    const morvex::VoiceParams before = state.voiceParams;
    page->ChVars();
    EXPECT_EQ(state.voiceParams, before);
}

TEST_F(EnvelopePage, PresetUserAndLeavingABox) {
    QComboBox* list = combo("EnvTypeB");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down); // "User": a marker, nothing changes
    EXPECT_EQ(box("InitialB")->value(), 11);
    QTest::keyClick(list, Qt::Key_Down); // "Piano"
    const char* stems[] = {"InitialB", "ALB",  "ARB", "D1LB",   "D1RB",
                           "D2LB",     "D2RB", "RRB", "ScLevB", "ScRateB"};
    const int piano[] = {67, 99, 99, 92, 40, 0, 28, 64, 1, 3};
    for (int f = 0; f < 10; ++f) EXPECT_EQ(box(stems[f])->value(), piano[f]) << stems[f];
    EXPECT_EQ(pictureOf(page->findChild<QLabel*>("IScRateB")), fileImage("Scrate3.bmp"));
    EXPECT_EQ(box("InitialA")->value(), 10) << "other elements stay";

    QTest::keyClick(list, Qt::Key_Home); // "Preset": back to the values the page was opened with
    const int opened[] = {11, 91, 31, 71, 41, 51, 21, 61, 1, 1};
    for (int f = 0; f < 10; ++f) EXPECT_EQ(box(stems[f])->value(), opened[f]) << stems[f];
    EXPECT_EQ(state.voiceParams.initialLevel[B], 11) << "choosing a shape stores nothing";

    type("ALC", "55", true);
    EXPECT_EQ(combo("EnvTypeC")->currentText(), "User");
    EXPECT_EQ(box("ALC")->value(), 55);
    for (const char* name : {"EnvTypeA", "EnvTypeD"})
        EXPECT_EQ(combo(name)->currentText(), "Preset") << name;
}

TEST_F(EnvelopePage, StoresEachChangeOnlyWhileTheGraphIsInUse) {
    const morvex::VoiceParams before = state.voiceParams;
    type("ALA", "12");
    type("RRA", "7");
    EXPECT_EQ(state.voiceParams, before) << "never opened: nothing stored before ChVars";

    TFAudioGra* graph = page->graphWindow();
    EXPECT_FALSE(graph->isEnabled());
    EXPECT_FALSE(graph->isVisible());
    push("EnvGra");
    EXPECT_TRUE(graph->isEnabled());
    EXPECT_TRUE(graph->isVisible());
    EXPECT_TRUE(graph->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(state.voiceParams, before) << "opening the graph does not store the page";

    type("ARB", "5");
    EXPECT_EQ(state.voiceParams.attackRate[B], 5);
    EXPECT_EQ(state.voiceParams.attackLevel[A], 12) << "the whole page is stored";
    EXPECT_EQ(state.voiceParams.releaseRate[A], 7);

    graph->close();
    EXPECT_FALSE(graph->isVisible());
    EXPECT_TRUE(graph->isEnabled());
    type("D1LC", "3");
    EXPECT_EQ(state.voiceParams.decay1Level[C], 3) << "a hidden graph still stores";
    type("RRD", "9");
    EXPECT_EQ(state.voiceParams.releaseRate[D], 63) << "release is not a graph box";
}

// Refilling with the graph in use must not store the half-filled page over the new voice.
TEST_F(EnvelopePage, RefillingWithTheGraphOpenKeepsTheNewVoice) {
    openGraph();
    morvex::VoiceParams& v = state.voiceParams;
    for (int e = 0; e < 4; ++e) {
        v.initialLevel[e] = 1 + e;
        v.attackLevel[e] = 5 + e;
        v.decay2Rate[e] = 80 + e;
        v.scaling[e] = 0x51;
    }
    v.attackRate[C] = 120; // beyond the box, as a voice file can hold it
    const morvex::VoiceParams fresh = v;
    const int painted = page->graphWindow()->paintCount();
    page->InitVars();
    QTest::qWait(20);
    EXPECT_EQ(state.voiceParams, fresh);
    EXPECT_EQ(box("InitialD")->value(), 4);
    EXPECT_EQ(box("D2RA")->value(), 80);
    EXPECT_EQ(box("ARC")->value(), 99);
    EXPECT_EQ(page->graphWindow()->paintCount(), painted + 1);
}

TEST_F(EnvelopePage, RandomEnvelopesKeepTheirShapeDrawOnceAndSend) {
    type("RRB", "77"); // not drawn by the button, and not to be lost by it
    openGraph();
    const int painted = page->graphWindow()->paintCount();
    push("RandEnv");
    QTest::qWait(20);
    EXPECT_EQ(page->graphWindow()->paintCount(), painted + 1);

    const morvex::VoiceParams& v = state.voiceParams;
    for (int e = 0; e < 4; ++e) {
        EXPECT_GE(v.attackLevel[e], 50);
        EXPECT_LT(v.initialLevel[e], v.attackLevel[e]);
        EXPECT_LT(v.decay1Level[e], v.attackLevel[e]);
        EXPECT_TRUE(v.decay2Level[e] < v.decay1Level[e] || v.decay2Level[e] == 0);
        EXPECT_EQ(session.envelopeSnapshot()[e][morvex::kAttackLevel], v.attackLevel[e]);
    }
    EXPECT_EQ(box("ALD")->value(), v.attackLevel[D]);
    EXPECT_EQ(box("D2RC")->value(), v.decay2Rate[C]);
    EXPECT_EQ(v.releaseRate[B], 77);
    EXPECT_EQ(v.scaling[A], 0x23);
    for (const char* name : {"EnvTypeA", "EnvTypeD"})
        EXPECT_EQ(combo(name)->currentText(), "Preset");
    // Sending encodes the voice first: the attack level byte of A is the new one.
    EXPECT_EQ(state.voiceData[45], morvex::Scale99To127(99 - v.attackLevel[A]));
}

TEST_F(EnvelopePage, CopyParametersCarriesTheEnvelopeButNotTheScaling) {
    push("Button1"); // A -> C
    EXPECT_EQ(box("InitialC")->value(), 10);
    EXPECT_EQ(box("D2RC")->value(), 20);
    EXPECT_EQ(box("RRC")->value(), 60);
    EXPECT_EQ(box("ScLevC")->value(), 16);
    EXPECT_EQ(state.voiceParams.initialLevel[C], 12) << "nothing stored without the graph";

    combo("ParmSource")->setEditText("X");
    combo("ParmDest")->setCurrentIndex(B);
    push("Button1");
    EXPECT_EQ(box("InitialB")->value(), 11);
}

TEST_F(EnvelopePage, TenStepsStopAtTheLimits) {
    box("ALA")->setValue(5);
    leftClick(box("ALA"));
    EXPECT_EQ(box("ALA")->value(), 0);
    rightClick(box("DelRate"));
    EXPECT_EQ(box("DelRate")->value(), 43);
    box("DelRate")->setValue(95);
    rightClick(box("DelRate"));
    EXPECT_EQ(box("DelRate")->value(), 99);
    EXPECT_EQ(state.voiceParams.delayRate, 33);
}

TEST_F(EnvelopePage, AMissingPictureIsReportedAndThePageGoesOn) {
    testing_support::TempDir empty;
    state.startDir = empty.path().string();
    box("ScLevD")->setValue(9);
    ASSERT_EQ(boxes.reports.size(), 1u);
    EXPECT_EQ(boxes.reports[0].caption, "Fehler");
    EXPECT_NE(boxes.reports[0].text.find("Sclev9.bmp"), std::string::npos);
    EXPECT_EQ(box("ScLevD")->value(), 9);
    EXPECT_TRUE(page->findChild<QLabel*>("IScLevD")->pixmap().isNull());

    page->InitVars(); // each of the eight pictures once
    EXPECT_EQ(boxes.reports.size(), 9u);

    // A rate type beyond the box (low part 15 from a file) shows type 8 with its picture.
    state.startDir = dataDir().string();
    state.voiceParams.scaling[B] = 0x1F;
    page->InitVars();
    EXPECT_EQ(boxes.reports.size(), 9u);
    EXPECT_EQ(box("ScRateB")->value(), 8);
    EXPECT_EQ(pictureOf(page->findChild<QLabel*>("IScRateB")), fileImage("Scrate8.bmp"));
}

TEST(EnvelopeGraphWindow, PaintsTheComputedCurves) {
    morvex::MorvexState state;
    morvex::VoiceParams& v = state.voiceParams;
    // A: level 99 throughout, rates 10 (221 pixels each): a flat line 70 pixels up.
    v.initialLevel[A] = v.attackLevel[A] = v.decay1Level[A] = v.decay2Level[A] = 99;
    v.attackRate[A] = v.decay1Rate[A] = v.decay2Rate[A] = 10;
    // D: everything 99: one point, then the dotted sustain line.
    v.initialLevel[D] = v.attackLevel[D] = v.decay1Level[D] = v.decay2Level[D] = 99;
    v.attackRate[D] = v.decay1Rate[D] = v.decay2Rate[D] = 99;

    QWidget owner;
    TFAudioGra graph(state, &owner);
    EXPECT_EQ(graph.paintBox()->geometry(), QRect(16, 4, 761, 297));
    const QImage image = graph.paintBox()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb magenta = qRgb(255, 0, 255), cyan = qRgb(0, 255, 255), black = qRgb(0, 0, 0);
    const auto anyOf = [&](int x, int y, QRgb colour) {
        for (int dx = 0; dx < 4; ++dx)
            if (image.pixel(x + dx, y) == colour) return true;
        return false;
    };
    EXPECT_EQ(image.pixel(16, 4), magenta);
    EXPECT_EQ(image.pixel(400, 4), magenta);
    EXPECT_EQ(image.pixel(16 + 3 * 221, 4), magenta);
    EXPECT_TRUE(anyOf(700, 4, magenta)) << "dotted sustain";
    EXPECT_NE(image.pixel(400, 10), magenta);
    EXPECT_TRUE(anyOf(400, 74, black)) << "baseline of A";
    EXPECT_TRUE(anyOf(600, 293, black)) << "baseline of D";
    EXPECT_TRUE(anyOf(500, 223, cyan));
    EXPECT_FALSE(anyOf(500, 222, cyan));
    EXPECT_EQ(image.pixel(16, 223), cyan);
}

TEST(EnvelopeGraphWindow, BelongsToTheEnvelopePageInTheMainWindow) {
    MainWindowUnderTest app;
    auto& [dir, start, state, window, boxes, notes] = app;
    window.show();
    ASSERT_TRUE(window.Initialize());
    state.startDir = dataDir().string(); // where the pictures are
    window.showPage("FEnvelope");
    auto* page = dynamic_cast<TFEnvelope*>(window.activePageWidget());
    ASSERT_NE(page, nullptr);
    QPointer<TFAudioGra> graph = page->graphWindow();
    EXPECT_FALSE(graph->isEnabled());
    EXPECT_FALSE(graph->isVisible());
    page->findChild<QSpinBox*>("ALB")->setValue(3);
    window.showPage("FCommon");
    EXPECT_TRUE(graph.isNull());
    EXPECT_EQ(state.voiceParams.attackLevel[B], 3);
    EXPECT_TRUE(boxes.reports.empty());
}

} // namespace
