// The main window: page switching, file commands, sending paths, help and the menu bar.
#include "Common.h"
#include "Direct.h"
#include "EditPage.h"
#include "GuiTestSupport.h"
#include "Main.h"
#include "Sender.h"
#include "morvex/VoiceFile.h"

#include <QAction>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>

using namespace klangor;
using testing_support::TempDir;
using namespace std::chrono_literals;

namespace {

std::vector<std::string> pageLog;

// A page that writes down what the window does with it.
class LogPage : public EditPage {
public:
    LogPage(Session& session, QWidget* parent, std::string name)
        : EditPage(session, parent), name_(std::move(name)) {
        pageLog.push_back("create " + name_);
    }
    ~LogPage() override { pageLog.push_back("free " + name_); }
    void ChVars() override { pageLog.push_back("ch " + name_); }

protected:
    void fillControls() override {
        pageLog.push_back("init " + name_ + (isVisible() ? " shown" : " hidden"));
    }

private:
    std::string name_;
};

template <char Letter>
EditPage* makeLogPage(Session& session, QWidget* parent) {
    return new LogPage(session, parent, std::string(1, Letter));
}

std::vector<PageInfo> logPages() {
    return {{"FA", "&A", QKeySequence(), 1200, makeLogPage<'A'>},
            {"FB", "&B", QKeySequence(), 1300, makeLogPage<'B'>},
            {"FNone", "&None", QKeySequence(), 1400, nullptr}};
}

std::string voiceName(const morvex::MorvexState& state) {
    return std::string(state.voiceName.begin(), state.voiceName.end());
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        pageLog.clear();
        window.askToSave = [this](QWidget*, const QString& text) {
            questions.push_back(text);
            return QMessageBox::No;
        };
        window.show();
        ASSERT_TRUE(window.Initialize());
        ASSERT_TRUE(boxes.reports.empty());
        fileName = voiceName(state);
    }

    TempDir dir;
    // morvex.dev names a device that does not exist: every send ends in a status note.
    StartDirFixture start{dir, "200"};
    morvex::MorvexState state;
    THaupt window{state};
    ReportCapture boxes{window.session()};
    NoteCapture notes{window.session()};
    std::string fileName;
    std::vector<QString> questions; // "Save changes to ...?", each answered No
};

class PageSwitchTest : public MainWindowTest {};

} // namespace

TEST(PageSwitch, FixedOrderAndActivePage) {
    TempDir dir;
    StartDirFixture start(dir);
    morvex::MorvexState state;
    THaupt window(state, nullptr, logPages());
    ReportCapture boxes{window.session()};
    NoteCapture notes{window.session()};
    window.show();
    window.Initialize();
    pageLog.clear();

    window.showPage("FA");
    EXPECT_EQ(pageLog, (std::vector<std::string>{"create A", "init A shown"}));
    EXPECT_EQ(window.activePage(), "FA");

    pageLog.clear();
    window.showPage("FA"); // already open: its unsaved values stay
    window.showPage("FNone");
    window.showPage("FUnknown");
    EXPECT_TRUE(pageLog.empty());
    EXPECT_EQ(window.activePage(), "FA");

    window.showPage("FB");
    EXPECT_EQ(pageLog, (std::vector<std::string>{"ch A", "free A", "create B", "init B shown"}));
    EXPECT_EQ(window.activePage(), "FB");
    EXPECT_EQ(window.workspace()->subWindowList().size(), 1);

    pageLog.clear();
    window.Senden1Click(); // stores the page, keeps it open
    window.ReInit();       // refills it from the file
    EXPECT_EQ(pageLog, (std::vector<std::string>{"ch B", "init B shown"}));
    EXPECT_EQ(window.activePage(), "FB");

    pageLog.clear();
    window.fileDialogs.open = [](QWidget*, const QString&) { return QString(); };
    window.SourceFile1Click();
    EXPECT_EQ(pageLog, (std::vector<std::string>{"ch B", "free B"}));
    EXPECT_EQ(window.activePage(), "");
    EXPECT_EQ(window.activePageWidget(), nullptr);
}

TEST_F(MainWindowTest, SaveKeepsThePageAndSaveAsClosesIt) {
    window.showPage("FCommon");
    auto* name = window.activePageWidget()->findChild<QLineEdit*>("VName");
    ASSERT_NE(name, nullptr);
    name->setText("Saved");

    window.SaveDestinationFile1Click(); // "backup.syx" in the current folder
    EXPECT_EQ(window.activePage(), "FCommon");
    EXPECT_NE(window.activePageWidget(), nullptr);
    EXPECT_TRUE(shownCaption(window).startsWith("Klangor for Morvex   backup.syx"));
    morvex::MorvexState saved;
    ASSERT_FALSE(morvex::LoadVoiceFile(saved, dir.file("backup.syx")));
    EXPECT_EQ(std::string(saved.voiceData.begin() + 3, saved.voiceData.begin() + 11), "Saved   ");

    const QString other = QString::fromStdString(dir.file("other.syx"));
    window.fileDialogs.save = [&](QWidget*, const QString& current) {
        EXPECT_EQ(current, "backup.syx");
        return other;
    };
    window.DestinationFile1Click();
    EXPECT_EQ(window.activePage(), "");
    EXPECT_EQ(window.activePageWidget(), nullptr);
    EXPECT_TRUE(std::filesystem::exists(dir.file("other.syx")));
    EXPECT_EQ(shownCaption(window), "Klangor for Morvex   " + other);

    // A cancelled Save as saves under the name the dialog still holds.
    std::filesystem::remove(dir.file("other.syx"));
    window.fileDialogs.save = [](QWidget*, const QString&) { return QString(); };
    window.DestinationFile1Click();
    EXPECT_TRUE(std::filesystem::exists(dir.file("other.syx")));
    EXPECT_TRUE(notes.notes.empty()); // saving sends nothing
}

TEST_F(MainWindowTest, CancelledInputFileReloadsTheCurrentVoiceAndSendsIt) {
    window.showPage("FCommon");
    window.activePageWidget()->findChild<QLineEdit*>("VName")->setText("Edited");
    window.fileDialogs.open = [](QWidget*, const QString& current) {
        EXPECT_EQ(current, "initial.syx");
        return QString();
    };
    window.SourceFile1Click();
    EXPECT_EQ(questions, std::vector<QString>{"Save changes to backup.syx?"});
    EXPECT_EQ(voiceName(state), fileName);
    EXPECT_EQ(window.activePage(), "");
    EXPECT_EQ(shownCaption(window), "Klangor for Morvex   initial.syx");
    ASSERT_EQ(notes.notes.size(), 1u); // the send, to a device that is not there
    EXPECT_TRUE(boxes.reports.empty());
}

TEST_F(MainWindowTest, UnreadableFileEndsTheCommandWithABox) {
    std::ofstream(dir.file("broken.syx")) << "no dump here";
    window.fileDialogs.open = [&](QWidget*, const QString&) {
        return QString::fromStdString(dir.file("broken.syx"));
    };
    window.SourceFile1Click();
    ASSERT_EQ(boxes.reports.size(), 1u);
    EXPECT_EQ(boxes.reports[0].caption, "Fehler");
    EXPECT_EQ(shownCaption(window), "Klangor for Morvex");
    EXPECT_TRUE(notes.notes.empty());
    EXPECT_EQ(voiceName(state), fileName);

    window.fileDialogs.save = [&](QWidget*, const QString&) {
        return QString::fromStdString(dir.file("missing/folder/x.syx"));
    };
    window.DestinationFile1Click();
    ASSERT_EQ(boxes.reports.size(), 2u);
    EXPECT_EQ(boxes.reports[1].caption, "Fehler");
    EXPECT_EQ(shownCaption(window), "Klangor for Morvex");
}

TEST_F(MainWindowTest, InitializeAfterARefusedFileReadsTheFileTheCaptionNames) {
    std::filesystem::copy_file(dir.file("initial.syx"), dir.file("good.syx"));
    std::ofstream(dir.file("broken.syx")) << "no dump here";
    QString chosen = QString::fromStdString(dir.file("good.syx"));
    window.fileDialogs.open = [&](QWidget*, const QString&) { return chosen; };
    window.SourceFile1Click();
    chosen = QString::fromStdString(dir.file("broken.syx"));
    window.SourceFile1Click();
    ASSERT_EQ(boxes.reports.size(), 1u);
    const QString caption = "Klangor for Morvex   " + QString::fromStdString(dir.file("good.syx"));
    EXPECT_EQ(shownCaption(window), caption);

    state.voiceName.fill('x');
    window.ReInit();
    EXPECT_EQ(boxes.reports.size(), 1u) << boxes.reports.back().text;
    EXPECT_EQ(voiceName(state), fileName);
    EXPECT_EQ(shownCaption(window), caption);
    // The next dialog starts from that file too, and a cancel reads it again.
    window.fileDialogs.open = [&](QWidget*, const QString& current) {
        EXPECT_EQ(current.toStdString(), dir.file("good.syx"));
        return QString();
    };
    window.SourceFile1Click();
    EXPECT_EQ(boxes.reports.size(), 1u);
}

TEST_F(MainWindowTest, InitializeRestoresTheFilesVoiceIntoTheOpenPage) {
    window.showPage("FCommon");
    EditPage* page = window.activePageWidget();
    auto* name = page->findChild<QLineEdit*>("VName");
    auto* depth = page->findChild<QSpinBox*>("Depth");
    const int fileDepth = depth->value();
    name->setText("Changed");
    depth->setValue(fileDepth == 7 ? 0 : 7);
    window.SaveDestinationFile1Click(); // stored in the voice too, not only in the controls

    window.ReInit();
    EXPECT_EQ(window.activePageWidget(), page);
    EXPECT_EQ(name->text().toStdString(), fileName);
    EXPECT_EQ(depth->value(), fileDepth);
    EXPECT_EQ(voiceName(state), fileName);
    EXPECT_TRUE(notes.notes.empty()); // nothing is sent
}

TEST_F(MainWindowTest, RightClicksSendFromTheWorkspaceAndThePageBackgroundOnly) {
    rightClick(window.workspace()->viewport()); // no page open: encodes and sends
    EXPECT_EQ(notes.notes.size(), 1u);
    leftClick(window.workspace()->viewport());
    EXPECT_EQ(notes.notes.size(), 1u);

    window.showPage("FCommon");
    EditPage* page = window.activePageWidget();
    page->findChild<QLineEdit*>("VName")->setText("Right");
    const auto sends = [&] { return notes.notes.size(); };

    for (const char* control : {"VName", "Style", "Depth", "Switches", "WheelAM", "EnvelopeAR"}) {
        auto* widget = page->findChild<QWidget*>(control);
        ASSERT_NE(widget, nullptr) << control;
        rightClick(widget, QPoint(4, 4));
        EXPECT_EQ(sends(), 1u) << control;
    }
    EXPECT_EQ(voiceName(state), fileName); // nothing stored either

    leftClick(page, QPoint(2, 2));
    EXPECT_EQ(sends(), 1u);
    rightClick(page, QPoint(2, 2));
    EXPECT_EQ(sends(), 2u);
    EXPECT_EQ(voiceName(state), "Right   ");
    EXPECT_TRUE(boxes.reports.empty());
}

TEST_F(MainWindowTest, LeavingTheDirectEditPageWritesAndSends) {
    window.showPage("FDirectEd");
    EditPage* page = window.activePageWidget();
    page->findChild<QSpinBox*>("ASCIIEdit1")->setValue(10);
    window.showPage("FCommon");
    EXPECT_EQ(state.voiceData[35], 10);
    EXPECT_EQ(notes.notes.size(), 1u);

    // A byte the codec covers lasts only until the next encoding send.
    window.showPage("FDirectEd");
    page = window.activePageWidget();
    page->findChild<QSpinBox*>("Position1")->setValue(2);
    page->findChild<QSpinBox*>("ASCIIEdit1")->setValue(99);
    page->findChild<QPushButton*>("SendDirect")->click();
    EXPECT_EQ(state.voiceData[2], 99);
    window.showPage("FCommon");
    window.Senden1Click();
    EXPECT_EQ(state.voiceData[2], state.voiceParams.effect);
    EXPECT_EQ(state.voiceData[35], 10); // the codec keeps this one
}

TEST_F(MainWindowTest, UserClosingThePageKeepsItsValues) {
    window.showPage("FCommon");
    window.activePageWidget()->findChild<QLineEdit*>("VName")->setText("Closed");
    window.workspace()->subWindowList().constFirst()->close();
    QTest::qWait(0);
    EXPECT_EQ(window.activePage(), "");
    EXPECT_EQ(window.activePageWidget(), nullptr);
    EXPECT_EQ(voiceName(state), "Closed  ");
    window.showPage("FCommon");
    EXPECT_EQ(window.activePage(), "FCommon");
}

TEST_F(MainWindowTest, HelpAndInfo) {
    window.H1Click();
    window.showPage("FCommon");
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(window.activePageWidget(), Qt::Key_F1);
    ASSERT_EQ(notes.helpPages.size(), 2u);
    EXPECT_TRUE(notes.helpPages[0].toLocalFile().endsWith("/help/index.html"));
    EXPECT_TRUE(notes.helpPages[1].toLocalFile().endsWith("/help/common.html"));
    EXPECT_EQ(helpPage("/x", 1600).toLocalFile(), "/x/help/fmedit.html");

    window.AboutClick();
    ASSERT_EQ(boxes.reports.size(), 1u);
    EXPECT_EQ(boxes.reports[0].caption, "Info");
    EXPECT_EQ(boxes.reports[0].text.rfind("Klangor for Yamaha Morvex   ", 0), 0u);
}

TEST_F(MainWindowTest, MenuBarAsTheUserSeesIt) {
    QStringList bar;
    for (QAction* action : window.menuBar()->actions()) bar << action->text();
    EXPECT_EQ(bar, (QStringList{"&File", "&Edit", "&Common", "&Vector", "&Tone", "&Envelope",
                                "&FM-Edit", "&Direct Edit", "&Options", "  ", "?"}));

    QMenu* file = window.menuBar()->actions().constFirst()->menu();
    ASSERT_NE(file, nullptr);
    QStringList items, keys;
    for (QAction* action : file->actions()) {
        items << action->text();
        keys << action->shortcut().toString();
    }
    EXPECT_EQ(items, (QStringList{"I&nput File...  ", "Save  ", "&Save as....", "Send to Morvex  ",
                                  "Initialize", "", "Info", "", "&Receive from Morvex"}));
    EXPECT_EQ(keys, (QStringList{"Ctrl+N", "F2", "Ctrl+S", "F12", "F5", "", "", "", "Ctrl+R"}));
    EXPECT_TRUE(file->actions().constLast()->isEnabled());
    EXPECT_EQ(window.menuBar()->actions()[6]->shortcut().toString(), "Ctrl+F");
}

TEST(MainWindowStart, MissingDeviceFileWarnsAndGoesOn) {
    TempDir dir;
    StartDirFixture start(dir);
    std::filesystem::remove(dir.path() / "morvex.dev");
    morvex::MorvexState state;
    state.midiDevice = 3;
    THaupt window(state);
    ReportCapture boxes{window.session()};
    EXPECT_TRUE(window.Initialize());
    ASSERT_EQ(boxes.reports.size(), 1u);
    EXPECT_EQ(boxes.reports[0].text, "File \"morvex.dev\" not found!");
    EXPECT_EQ(boxes.reports[0].caption, "Fehler");
    EXPECT_EQ(state.midiDevice, 3);
    EXPECT_EQ(state.startDir, dir.path().string());
}

TEST(MainWindowStart, AnUnreachableDeviceIsNotedInTheStatusBar) {
    TempDir dir;
    StartDirFixture start(dir, "200");
    morvex::MorvexState state;
    THaupt window(state);
    ReportCapture boxes{window.session()};
    window.show();
    ASSERT_TRUE(window.Initialize());
    window.Senden1Click();
    ASSERT_TRUE(window.session().sender().waitUntilIdle(5s));
    EXPECT_FALSE(window.statusBar()->currentMessage().isEmpty());
    EXPECT_TRUE(boxes.reports.empty());
}
