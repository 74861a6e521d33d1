// A whole reception from the menu, end to end: the virtual Pulvex module on the private JACK
// server, reached through the real Wirebox. What each failure shows is tested on the in-memory bus.

#include "ReceptionWindowsFixture.h"
#include "pulvex/model/tests/MidnamPatches.h"
#include "testing/EmulatorProcess.h"

#include <QApplication>
#include <QStatusBar>
#include <fstream>

using namespace pulvex_app;

class ReceptionWindowsOnJack : public ReceptionWindows {
protected:
    void SetUp() override {
        ReceptionWindows::SetUp();
        startApp();
    }

    void startModule(std::vector<std::string> extra = {}) {
        ASSERT_TRUE(module.start(MIDI_EMULATOR, "pulvex", extra, dir.file("module.txt")));
        usePorts(module.outPort(), module.inPort());
    }

    testing_support::EmulatorProcess module;
};

TEST_F(ReceptionWindowsOnJack, FirstReceiveReadsTheNamesTheSecondGoesStraightToTheKit) {
    startModule();
    receive();
    EXPECT_EQ(count("Ready to read Pulvex configuration"), 1);
    EXPECT_EQ(count("Read a Pulvex Drum Kit"), 1);
    EXPECT_TRUE(messages.empty()) << messages[0].text.toStdString();
    EXPECT_TRUE(app->names().namesRetrieved);
    ASSERT_TRUE(doc().HasKit());
    EXPECT_EQ(doc().title, "Rock_1");
    EXPECT_TRUE(doc().modified);
    EXPECT_EQ(frame().windowTitle(), "Rock_1 - Pulvex for Windows");
    EXPECT_EQ(countPane(), "000");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(frame().findChild<CRead_Progress*>(), nullptr);
    EXPECT_EQ(frame().statusBar()->currentMessage(), "Finished retrieving names");

    kitNumber = 2;
    receive();
    EXPECT_EQ(count("Ready to read Pulvex configuration"), 1);
    EXPECT_EQ(count("Read a Pulvex Drum Kit"), 2);
    EXPECT_EQ(doc().title, "Rock_2");

    // Cancel in the kit dialog leaves the document as it was.
    chooseKit = false;
    const auto keys = doc().keys;
    receive();
    EXPECT_EQ(count("Ready to read Pulvex configuration"), 1);
    EXPECT_TRUE(doc().keys == keys);
    EXPECT_EQ(doc().title, "Rock_2");
}

TEST_F(ReceptionWindowsOnJack, AllKitsOfEveryBankGoIntoOneMidiNameDocument) {
    startModule();
    savePath = QString::fromStdString(dir.file("kits.midnam"));
    receiveAll();
    EXPECT_EQ(count("Ready to read Pulvex configuration"), 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text.toStdString(),
              "Read 192 of 192 kits.\nSaved in \"" + dir.file("kits.midnam") + "\".");
    std::ifstream in(dir.file("kits.midnam"), std::ios::binary);
    const auto patches = pulvex_test::patchesOf(
        {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
    ASSERT_EQ(patches.size(), 192u);
    EXPECT_EQ(patches[0], std::pair(0, std::string("Rock_1")));
    EXPECT_EQ(patches[191], std::pair(191, std::string("Card_64")));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(frame().findChild<CKitsProgress*>(), nullptr);
}
