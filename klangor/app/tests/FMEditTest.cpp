#include "FMEdit.h"
#include "GuiTestSupport.h"
#include "Main.h"

#include "morvex/ScaleTables.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

#include <filesystem>

using namespace klangor;

namespace {

// Scaling pictures whose width tells which file was loaded: Sclev<n> is n pixels wide, Scrate<n>
// 100 + n.
void writePictures(const std::filesystem::path& startDir) {
    std::filesystem::create_directories(startDir / "bmp");
    const auto write = [&](const std::string& name, int width) {
        QImage image(width, 2, QImage::Format_RGB32);
        image.fill(Qt::darkBlue);
        ASSERT_TRUE(image.save(QString::fromStdString((startDir / "bmp" / name).string()), "BMP"));
    };
    for (int n = 1; n <= 16; ++n) write("Sclev" + std::to_string(n) + ".bmp", n);
    for (int n = 1; n <= 8; ++n) write("Scrate" + std::to_string(n) + ".bmp", 100 + n);
}

struct FmPageFixture : ::testing::Test {
    FmPageFixture() {
        state.startDir = dir.path().string();
        state.midiDevice = 250; // no such output: a send becomes a status note
        writePictures(dir.path());
        state.fmParams[0][2] = 0x7F;
        state.fmParams[0][1] = 1;
        state.fmParams[0][4] = 99;
        state.fmParams[0][6] = 0x35;
        state.fmParams[1][17] = 1;
        state.fmParams[1][13] = 95;
        before = state;
        page.show();
        page.InitVars();
    }

    QSpinBox* box(const char* name) { return page.findChild<QSpinBox*>(name); }
    QCheckBox* check(const char* name) { return page.findChild<QCheckBox*>(name); }
    int pictureWidth(const char* name) { return page.findChild<QLabel*>(name)->pixmap().width(); }
    void press(const char* name) { page.findChild<QPushButton*>(name)->click(); }

    testing_support::TempDir dir;
    morvex::MorvexState state;
    Session session{state};
    ReportCapture boxes{session};
    NoteCapture notes{session};
    morvex::MorvexState before;
    TFFMEdit page{session};
};

} // namespace

TEST_F(FmPageFixture, ShowsTheBlockSplitClampedAndWithItsPictures) {
    EXPECT_EQ(box("FMB6a")->value(), 3);
    EXPECT_EQ(box("FMB6b")->value(), 5);
    EXPECT_EQ(pictureWidth("IFMB6a"), 4);   // Sclev4.bmp
    EXPECT_EQ(pictureWidth("IFMB6b"), 106); // Scrate6.bmp
    EXPECT_EQ(pictureWidth("IFMD6a"), 1);   // a box that stays 0 still shows its picture
    EXPECT_EQ(box("FMB2a")->value(), 7);
    EXPECT_EQ(box("FMB2b")->value(), 15);
    EXPECT_EQ(box("FMB4a")->value(), 3); // 99 = 6 * 16 + 3, clamped
    EXPECT_EQ(box("FMB4b")->value(), 3);
    EXPECT_TRUE(check("FMB1")->isChecked());
    EXPECT_TRUE(check("FMD17")->isChecked());
    EXPECT_FALSE(check("FMB17")->isChecked());
    EXPECT_EQ(box("FMD13")->value(), 95);
    EXPECT_TRUE(boxes.reports.empty());

    box("FMB6b")->setValue(2);
    EXPECT_EQ(pictureWidth("IFMB6b"), 103);

    page.ChVars();
    EXPECT_EQ(state.fmParams[0][4], 99); // shown clamped, kept while its boxes are untouched
    EXPECT_EQ(state.fmParams[0][6], 0x32);
    EXPECT_EQ(state.fmParams[1], before.fmParams[1]);
    EXPECT_EQ(state.voiceData, before.voiceData); // storing marks nothing
    box("FMB4b")->setValue(4);
    page.ChVars();
    EXPECT_EQ(state.fmParams[0][4], 3 * 16 + 4);
}

TEST_F(FmPageFixture, AMissingPictureIsReportedAndThePageGoesOn) {
    std::filesystem::remove(dir.path() / "bmp" / "Sclev10.bmp");
    box("FMD6a")->setValue(9);
    ASSERT_EQ(boxes.reports.size(), 1u);
    EXPECT_NE(boxes.reports[0].text.find("Sclev10.bmp"), std::string::npos);
    EXPECT_EQ(boxes.reports[0].icon, morvex::Report::Icon::Error);
    EXPECT_EQ(box("FMD6a")->value(), 9);
    EXPECT_TRUE(page.findChild<QLabel*>("IFMD6a")->pixmap().isNull());

    std::filesystem::remove_all(dir.path() / "bmp");
    boxes.reports.clear();
    page.InitVars();
    EXPECT_EQ(boxes.reports.size(), 4u); // both pictures of both elements
    page.ChVars();
    EXPECT_EQ(state.fmParams[1][6], 0);
}

TEST_F(FmPageFixture, TenSteppingOnTheModulatorOnly) {
    box("FMB8")->setValue(5);
    leftClick(box("FMB8"));
    EXPECT_EQ(box("FMB8")->value(), 0);
    rightClick(box("FMD13"));
    EXPECT_EQ(box("FMD13")->value(), 99);
    rightClick(box("FMB6a"));
    EXPECT_EQ(box("FMB6a")->value(), 13);
    EXPECT_EQ(pictureWidth("IFMB6a"), 14);
    rightClick(box("FMB18a"));
    EXPECT_EQ(box("FMB18a")->value(), 0);
    EXPECT_TRUE(notes.notes.empty());
}

TEST_F(FmPageFixture, CopyTouchesOnlyTheBoxesUntilTheNextStore) {
    press("CopyBD1");
    EXPECT_EQ(box("FMD2a")->value(), 7);
    EXPECT_EQ(box("FMD2b")->value(), 15);
    EXPECT_EQ(box("FMD6b")->value(), 5);
    EXPECT_EQ(pictureWidth("IFMD6b"), 106);
    EXPECT_TRUE(check("FMD1")->isChecked());
    EXPECT_FALSE(check("FMD17")->isChecked());
    EXPECT_EQ(state.fmParams, before.fmParams);
    EXPECT_EQ(state.voiceData[129], 1);
    EXPECT_EQ(state.voiceData[55], 0);
    EXPECT_TRUE(notes.notes.empty());

    const QPoint background = backgroundPoint(&page);
    ASSERT_FALSE(background.isNull());
    rightClick(&page, background);
    EXPECT_EQ(state.fmParams[1][2], 0x7F);
    EXPECT_EQ(state.fmParams[1][1], 1);
    EXPECT_EQ(notes.notes.size(), 1u);

    press("CopyDB1");
    EXPECT_EQ(state.voiceData[55], 1);
}

TEST_F(FmPageFixture, ALeftClickOnTheBackgroundStoresWithoutSending) {
    box("FMD10")->setValue(42);
    check("FMB9")->setChecked(true);
    const QPoint background = backgroundPoint(&page);
    ASSERT_FALSE(background.isNull());
    leftClick(&page, background);
    EXPECT_EQ(state.fmParams[1][10], 42);
    EXPECT_EQ(state.fmParams[0][9], 1);
    EXPECT_TRUE(notes.notes.empty());
    leftClick(page.findChild<QLabel*>("IFMB6a")); // a picture is no background
    EXPECT_TRUE(notes.notes.empty());
}

TEST_F(FmPageFixture, RandomFmBKeepsToneValuesAndVolumeAndSends) {
    state.voiceParams.toneFeedback = {6, 1};
    state.voiceParams.toneLevel = {40, 2};
    state.voiceParams.volume = {0, 77, 0, 0};
    press("RandFMB");
    EXPECT_EQ(notes.notes.size(), 1u);
    EXPECT_EQ(state.voiceData[55], 1);
    EXPECT_EQ(state.voiceData[129], 0);
    EXPECT_EQ(state.voiceData[62], 6);
    EXPECT_EQ(state.voiceData[65], morvex::Scale99To127(99 - 40));
    EXPECT_EQ(state.voiceData[81], morvex::Scale99To127(99 - 77));
    const morvex::FmBlock& b = state.fmParams[0];
    EXPECT_EQ(box("FMB8")->value(), b[8]);
    EXPECT_EQ(box("FMB4a")->value(), std::min(b[4] / 16, 3));
    EXPECT_EQ(check("FMB7")->isChecked(), b[7] == 1);
    EXPECT_EQ(state.fmParams[1], before.fmParams[1]);
}

TEST(FmEditPage, MarksAnElementWhenItsControlsGetFocusNotWhenShown) {
    testing_support::TempDir dir;
    StartDirFixture start(dir);
    writePictures(dir.path());
    morvex::MorvexState state;
    THaupt window(state);
    ReportCapture boxes{window.session()};
    NoteCapture notes{window.session()};
    window.show();
    window.Initialize();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    state.voiceData[55] = 0;
    state.voiceData[129] = 0;
    window.showPage("FFMEdit");
    auto* page = dynamic_cast<TFFMEdit*>(window.activePageWidget());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->windowTitle(), "FMEdit");
    QTest::qWait(50);
    EXPECT_EQ(QApplication::focusWidget(), page->findChild<QPushButton*>("RandFMB"));
    EXPECT_EQ(state.voiceData[55], 0);
    EXPECT_EQ(state.voiceData[129], 0);

    QTest::mouseClick(page->findChild<QCheckBox*>("FMB17"), Qt::LeftButton); // no change needed
    EXPECT_EQ(state.voiceData[55], 1);
    EXPECT_EQ(state.voiceData[129], 0);
    page->findChild<QSpinBox*>("FMD20b")->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(state.voiceData[129], 1);

    state.voiceData[129] = 0;
    page->findChild<QPushButton*>("RandFMD")->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(state.voiceData[129], 1);
    EXPECT_TRUE(boxes.reports.empty());
}
