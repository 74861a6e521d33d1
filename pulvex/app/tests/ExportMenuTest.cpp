// File > Export as: every format of the table, from the menu to the file, with the file dialog and
// the question about a shared suffix answered by the test.

#include "PulvexWindowsFixture.h"
#include "pulvex/model/DrumMapExport.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>

using namespace pulvex_app;

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class ExportMenu : public PulvexWindows {
protected:
    void SetUp() override {
        PulvexWindows::SetUp();
        startApp();
        receiveTestKit("Kit1");
    }
    QAction* exportAction(const char* format) {
        const auto& formats = pulvex::drumMapFormats();
        for (std::size_t i = 0; i < formats.size(); ++i)
            if (std::string_view(formats[i].name) == format)
                return frame().action(ID_FILE_EXPORT_FIRST + static_cast<int>(i));
        return nullptr;
    }
    void exportAs(const char* format) { exportAction(format)->trigger(); }
    QString pathOf(const char* name) { return QString::fromStdString(dir.file(name)); }
    // Answers the question about a shared suffix with the format of that title.
    void answerWith(const QString& title) {
        answerDialog = [this, title](QDialog& dialog) {
            auto* question = qobject_cast<QInputDialog*>(&dialog);
            if (!question) return int(QDialog::Rejected);
            offeredChoices = question->comboBoxItems();
            question->setTextValue(title);
            return int(QDialog::Accepted);
        };
    }
    QStringList offeredChoices;
};

TEST_F(ExportMenu, ListsEveryFormatOnlyForAKit) {
    QStringList labels;
    for (const pulvex::DrumMapFormat& format : pulvex::drumMapFormats()) labels << format.label;
    QStringList shown;
    for (const QAction* action : frame().exportMenu()->actions()) shown << action->text();
    EXPECT_EQ(shown, labels);
    EXPECT_EQ(frame().fileMenu()->actions().at(6)->menu(), frame().exportMenu());
    EXPECT_TRUE(exportAction("midnam")->isEnabled());

    frame().documentCommands().OnFileNew();
    frame().updateFromDocument();
    EXPECT_FALSE(frame().exportMenu()->menuAction()->isEnabled());
    EXPECT_FALSE(exportAction("midnam")->isEnabled());
}

TEST_F(ExportMenu, WritesTheWholeKitAndLeavesTheDocumentAlone) {
    select({1}); // the selection does not matter to a whole-kit format
    savePath = pathOf("kit.txt");
    exportAs("reaper");
    ASSERT_EQ(saveRequests.size(), 1u);
    EXPECT_EQ(saveRequests[0].proposedPath, "Kit1");
    EXPECT_EQ(saveRequests[0].filters,
              QStringList({"REAPER Note Names (*.txt)", "All Files (*.*)"}));
    EXPECT_EQ(saveRequests[0].defaultSuffix, "txt");
    const QList<QByteArray> lines = contents(savePath).split('\n');
    ASSERT_EQ(lines.size(), 52); // the header, 50 keys, the last line feed
    EXPECT_EQ(lines[0], "# MIDI note/CC name map");
    EXPECT_EQ(lines[1], "35 Sound 0");
    EXPECT_EQ(lines[50], "84 Sound 49");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(doc().title, "Kit1");
    EXPECT_TRUE(doc().modified);
    EXPECT_EQ(frame().windowTitle(), "Kit1 - Pulvex for Windows");

    // The selection formats keep their rules in the menu too.
    doc().UnselectAll();
    exportAs("cfg");
    EXPECT_EQ(messages.back().text, "There is nothing to save!");
    EXPECT_EQ(saveRequests.size(), 1u);
}

TEST_F(ExportMenu, ASharedSuffixIsSettledByTheChosenFilterOrByAQuestion) {
    // The format's own filter, or all files with its own suffix: no question.
    saveFilter = "All Files (*.*)";
    savePath = pathOf("score.drm");
    exportAs("musescore");
    EXPECT_TRUE(shownDialogs.empty());
    EXPECT_TRUE(contents(savePath).contains("<museScore version=\"4.50\">"));

    // All files and a .drm name from another format's entry: the user says which.
    answerWith("Cubase / Nuendo Drum Map, XML (.drm)");
    savePath = pathOf("cubase.drm");
    exportAs("studio-one");
    ASSERT_EQ(shownDialogs.size(), 1u);
    EXPECT_EQ(shownDialogs[0], "Pulvex for Windows");
    EXPECT_EQ(offeredChoices,
              QStringList({"Cubase Drumset (.drm)", "Cubase / Nuendo Drum Map, XML (.drm)",
                           "MuseScore Drumset (.drm)"}));
    EXPECT_TRUE(contents(savePath).contains("<DrumMap>"));

    answerDialog = nullptr; // cancelled: nothing written
    savePath = pathOf("cancelled.drm");
    exportAs("studio-one");
    EXPECT_EQ(shownDialogs.size(), 2u);
    EXPECT_FALSE(QFileInfo::exists(savePath));

    // A name that turns the export into a selection format meets that format's rules.
    savePath = pathOf("picked.kbr");
    exportAs("reaper");
    EXPECT_EQ(messages.back().text, "There is nothing to save!");
    EXPECT_FALSE(QFileInfo::exists(savePath));
    select({0});
    exportAs("reaper");
    EXPECT_EQ(contents(savePath).size(), 300);
}
