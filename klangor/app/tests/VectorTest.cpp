#include "Vector.h"
#include "GuiTestSupport.h"
#include "Main.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace klangor;

namespace {

// A page on a voice whose vectors are known, without a window around it.
struct VectorPageFixture : ::testing::Test {
    VectorPageFixture() {
        state.midiDevice = 250; // no such output: a send becomes a status note
        state.voiceParams.levelSpeed = 30;
        state.voiceParams.detuneSpeed = 170; // more than the box can show
        state.voiceParams.levelVector[0] = {3, -31, 31};
        state.voiceParams.levelVector[1] = {5, 2, -2};
        state.voiceParams.levelVector[2] = {254, 0, 1};
        state.voiceParams.detuneVector[0] = {255, 4, 4};
        page.show();
        page.InitVars();
    }

    QTableWidget* grid(const char* name) { return page.findChild<QTableWidget*>(name); }
    QString cell(const char* name, int row, int column) {
        return grid(name)->item(row, column)->text();
    }
    void setCell(const char* name, int row, int column, const QString& text) {
        grid(name)->item(row, column)->setText(text);
    }
    QSpinBox* box(const char* name) { return page.findChild<QSpinBox*>(name); }
    void press(const char* name) { page.findChild<QPushButton*>(name)->click(); }

    morvex::MorvexState state;
    Session session{state};
    ReportCapture boxes{session};
    NoteCapture notes{session};
    TFVector page{session};
};

} // namespace

TEST_F(VectorPageFixture, ShowsStepsWithTheLengthMarks) {
    EXPECT_EQ(cell("StringGrid1", 0, 0), "-31");
    EXPECT_EQ(cell("StringGrid1", 0, 2), "3");
    EXPECT_EQ(cell("StringGrid1", 1, 2), "5");
    EXPECT_EQ(cell("StringGrid1", 2, 2), "Rep");
    EXPECT_EQ(cell("StringGrid2", 0, 2), "End");
    EXPECT_EQ(cell("StringGrid2", 49, 0), "0");
    EXPECT_EQ(grid("StringGrid1")->rowCount(), 50);
    EXPECT_EQ(grid("StringGrid1")->horizontalHeaderItem(2)->text(), "Length");
    EXPECT_EQ(grid("StringGrid1")->verticalHeaderItem(49)->text(), "50");
    EXPECT_EQ(box("LevelSpeed")->value(), 30);
    EXPECT_EQ(box("DetuneSpeed")->value(), 160);
    EXPECT_EQ(box("Finesse")->value(), 4);
    EXPECT_EQ(box("DetuneMaxX")->value(), 5);

    // Nothing changed, nothing stored: not even the speed the box clamps; a set box stores.
    const morvex::VoiceParams before = state.voiceParams;
    page.ChVars();
    EXPECT_TRUE(boxes.reports.empty());
    EXPECT_EQ(state.voiceParams, before);
    box("DetuneSpeed")->setValue(150);
    page.ChVars();
    EXPECT_EQ(state.voiceParams.detuneSpeed, 150);
}

TEST_F(VectorPageFixture, BadCellsWarnOncePerCellAndStoreTheirPartialNumbers) {
    setCell("StringGrid1", 0, 2, "end");
    setCell("StringGrid1", 3, 1, "12x");
    setCell("StringGrid2", 4, 0, "");
    page.ChVars();
    ASSERT_EQ(boxes.reports.size(), 3u);
    EXPECT_EQ(boxes.reports[0].text, "Wrong character in LevelEdit table (Column 3)");
    EXPECT_EQ(boxes.reports[0].caption, "Error");
    EXPECT_EQ(boxes.reports[0].icon, morvex::Report::Icon::Warning);
    EXPECT_EQ(boxes.reports[1].text, "Wrong character in LevelEdit table (Column 2)");
    EXPECT_EQ(boxes.reports[2].text, "Wrong character in DetuneEdit table (Column 1)");
    EXPECT_EQ(state.voiceParams.levelVector[0].time, 0);
    EXPECT_EQ(state.voiceParams.levelVector[3].y, 12);
    EXPECT_EQ(state.voiceParams.detuneVector[4].x, 0);
    EXPECT_TRUE(notes.notes.empty()); // storing sends nothing
}

TEST_F(VectorPageFixture, ACellStillBeingTypedIsStored) {
    QTableWidget* level = grid("StringGrid1");
    level->setCurrentCell(1, 0);
    level->editItem(level->item(1, 0));
    auto* editor = level->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "-17");
    page.ChVars();
    EXPECT_EQ(state.voiceParams.levelVector[1].x, -17);
    EXPECT_TRUE(boxes.reports.empty());
}

TEST_F(VectorPageFixture, ZeroEmptiesTheTableButNotItsLastRowNorTheVoice) {
    setCell("StringGrid1", 49, 0, "7");
    setCell("StringGrid1", 49, 2, "Rep");
    const morvex::VoiceParams before = state.voiceParams;
    press("ZeroLev");
    EXPECT_EQ(cell("StringGrid1", 0, 0), "0");
    EXPECT_EQ(cell("StringGrid1", 0, 1), "0");
    EXPECT_EQ(cell("StringGrid1", 0, 2), "End");
    for (int row = 1; row < 49; ++row)
        for (int column = 0; column < 3; ++column)
            EXPECT_EQ(cell("StringGrid1", row, column), "0") << row << "," << column;
    EXPECT_EQ(cell("StringGrid1", 49, 0), "7");
    EXPECT_EQ(cell("StringGrid1", 49, 2), "Rep");
    EXPECT_EQ(cell("StringGrid2", 0, 2), "End");
    EXPECT_EQ(state.voiceParams, before);
    EXPECT_TRUE(notes.notes.empty());
}

TEST_F(VectorPageFixture, RandomDetuneKeepsAndSendsTheLevelTableEdits) {
    setCell("StringGrid1", 0, 0, "9"); // typed, not stored yet: goes out with the new sequence
    box("DetuneMaxX")->setValue(0);
    box("DetuneMaxY")->setValue(0);
    box("MaxRate")->setValue(0);
    box("LevelSpeed")->setValue(100); // likewise
    press("RandDet");
    EXPECT_EQ(cell("StringGrid1", 0, 0), "9");
    EXPECT_EQ(box("LevelSpeed")->value(), 100);
    EXPECT_EQ(state.voiceParams.levelVector[0], (morvex::VectorStep{3, 9, 31}));
    EXPECT_EQ(state.voiceParams.levelSpeed, 100);
    int repeatRow = -1;
    for (int row = 0; row < 50; ++row) {
        EXPECT_EQ(cell("StringGrid2", row, 0), "0");
        EXPECT_EQ(cell("StringGrid2", row, 1), "0");
        const QString length = cell("StringGrid2", row, 2);
        if (length == "Rep" && repeatRow < 0) {
            repeatRow = row;
            continue;
        }
        EXPECT_EQ(length, "0") << row;
    }
    EXPECT_GE(repeatRow, 0);
    EXPECT_EQ(notes.notes.size(), 1u); // the send, to a device that is not there
}

TEST_F(VectorPageFixture, RightClickOnTheBackgroundStoresAndSendsAndOnControlsDoesNothing) {
    setCell("StringGrid2", 1, 1, "-5");
    setCell("StringGrid1", 2, 2, "x");
    rightClick(grid("StringGrid1")->viewport());
    rightClick(page.findChild<QPushButton*>("RandLev"));
    EXPECT_TRUE(notes.notes.empty());
    EXPECT_EQ(state.voiceParams.detuneVector[1].y, 0);

    page.resize(1200, 900);
    QPoint background;
    for (int y = 890; y > 0 && background.isNull(); y -= 10)
        for (int x = 1190; x > 0 && background.isNull(); x -= 10)
            if (!page.childAt(x, y)) background = QPoint(x, y);
    ASSERT_FALSE(background.isNull());
    leftClick(&page, background);
    EXPECT_EQ(state.voiceParams.detuneVector[1].y, 0);
    rightClick(&page, background);
    EXPECT_EQ(state.voiceParams.detuneVector[1].y, -5);
    ASSERT_EQ(boxes.reports.size(), 1u);
    EXPECT_EQ(boxes.reports[0].text, "Wrong character in LevelEdit table (Column 3)");
    EXPECT_EQ(notes.notes.size(), 1u);
}

TEST(VectorPage, OpensFromTheMainWindowAndStoresOnASwitch) {
    MainWindowUnderTest app;
    auto& [dir, start, state, window, boxes, notes] = app;
    window.show();
    window.Initialize();
    window.showPage("FVector");
    auto* page = dynamic_cast<TFVector*>(window.activePageWidget());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->windowTitle(), "Vector");
    const int shown = state.voiceParams.levelVector[0].x;
    page->findChild<QTableWidget*>("StringGrid1")
        ->item(0, 0)
        ->setText(QString::number(shown == 7 ? 8 : 7));
    window.showPage("FCommon");
    EXPECT_EQ(state.voiceParams.levelVector[0].x, shown == 7 ? 8 : 7);
}
