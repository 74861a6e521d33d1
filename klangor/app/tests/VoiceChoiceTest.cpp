// Input File with a file of several voices: the chooser's voice is read and the status bar says
// which it was; the picker lists the voices and takes a double-clicked one.
#include "GuiTestSupport.h"
#include "Main.h"
#include "VoicePickerDialog.h"
#include "morvex/Checksum.h"
#include "morvex/ParameterMap.h"
#include "morvex/Transmission.h"

#include <QListWidget>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>

using namespace klangor;
using testing_support::TempDir;

namespace {

// The file form of a whole, valid dump of the voice named `name` (8 characters).
std::vector<std::uint8_t> voiceMessage(const std::string& name) {
    morvex::MorvexState state;
    EXPECT_FALSE(morvex::LoadVoiceFile(state, (dataDir() / "initial.syx").string()));
    std::copy(name.begin(), name.end(), state.voiceData.begin() + morvex::kVoiceNameOffset);
    morvex::UpdateChecksum(state.voiceData);
    state.voiceData.back() = 0xF7;
    return morvex::voiceFileBytes(state);
}

std::string voiceName(const morvex::MorvexState& state) {
    return std::string(state.voiceName.begin(), state.voiceName.end());
}

} // namespace

TEST(VoiceChoice, InputFileReadsTheChosenVoiceAndNotesWhichItWas) {
    MainWindowUnderTest app{"200"}; // no such device: the send after loading is a note too
    auto& [dir, start, state, window, boxes, notes] = app;
    window.show();
    ASSERT_TRUE(window.Initialize());

    std::ofstream file(dir.file("bank.syx"), std::ios::binary);
    for (const auto& message :
         {voiceMessage("Init Pad"),
          std::vector<std::uint8_t>(morvex::kDumpRequest.begin(), morvex::kDumpRequest.end()),
          voiceMessage("Bass 1  ")})
        file.write(reinterpret_cast<const char*>(message.data()),
                   static_cast<std::streamsize>(message.size()));
    file.close();
    const QString bank = QString::fromStdString(dir.file("bank.syx"));
    window.fileDialogs.open = [&](QWidget*, const QString&) { return bank; };
    std::vector<std::string> offered;
    window.voiceChooser =
        [&](QWidget* parent, const std::vector<morvex::VoiceInFile>& voices) -> std::optional<int> {
        EXPECT_EQ(parent, &window);
        for (const auto& voice : voices) offered.push_back(voice.name);
        return 1;
    };
    window.SourceFile1Click();
    EXPECT_EQ(offered, (std::vector<std::string>{"Init Pad", "Bass 1"}));
    EXPECT_TRUE(boxes.reports.empty());
    EXPECT_EQ(voiceName(state), "Bass 1  ");
    EXPECT_EQ(shownCaption(window), "Klangor for Morvex   " + bank);
    ASSERT_EQ(notes.notes.size(), 2u); // then the send's
    EXPECT_EQ(notes.notes[0], "voice 3 of 3 messages in the file");
    // The send's note does not hide which voice was read.
    EXPECT_TRUE(window.statusBar()->currentMessage().startsWith(
        "voice 3 of 3 messages in the file \u2014 "))
        << window.statusBar()->currentMessage().toStdString();

    // Choosing none reads nothing, sends nothing and says nothing.
    window.voiceChooser = [](QWidget*, const std::vector<morvex::VoiceInFile>&) {
        return std::optional<int>();
    };
    state.voiceName.fill('x');
    window.SourceFile1Click();
    EXPECT_EQ(voiceName(state), "xxxxxxxx");
    EXPECT_TRUE(boxes.reports.empty());
    EXPECT_EQ(notes.notes.size(), 2u);
}

TEST(VoiceChoice, PickerListsNumberAndNameAndTakesADoubleClickedRow) {
    VoicePickerDialog dialog({{2, "Init Pad", {}}, {5, "Bass 1", {}}});
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto* list = dialog.findChild<QListWidget*>("Voices");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Choose a voice");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "2  Init Pad");
    EXPECT_EQ(list->item(1)->text(), "5  Bass 1");
    EXPECT_EQ(dialog.chosenIndex(), 0);

    // A double-click as the window system delivers it: a click, then the double-click event.
    const QPoint second = list->visualItemRect(list->item(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.chosenIndex(), 1);
}
