// The file commands from the menu: what each writes, what it asks, and what it leaves alone.

#include "PulvexWindowsFixture.h"
#include "RecentFiles.h"
#include "pulvex/model/DrumMapFormats.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>
#include <functional>

using namespace pulvex_app;

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An environment variable set for a test's time.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnvironment() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

} // namespace

class SaveCommands : public PulvexWindows {
protected:
    void SetUp() override {
        PulvexWindows::SetUp();
        startApp();
        receiveTestKit("Kit1.drm");
    }
    void trigger(int command) { frame().action(command)->trigger(); }
    QString pathOf(const char* name) { return QString::fromStdString(dir.file(name)); }
};

TEST_F(SaveCommands, TheDrumWithOneKey) {
    select({4});
    savePath = pathOf("one.kbr");
    trigger(ID_FILE_SAVE_THEDRUM);
    ASSERT_EQ(saveRequests.size(), 1u);
    EXPECT_EQ(saveRequests[0].proposedPath, "Kit1");
    EXPECT_EQ(saveRequests[0].filters,
              QStringList({"The*Drum DrumMap (*.kbr)", "All Files (*.*)"}));
    EXPECT_EQ(saveRequests[0].defaultSuffix, "kbr");
    const QByteArray bytes = contents(savePath);
    ASSERT_EQ(bytes.size(), 300);
    EXPECT_EQ(bytes.left(10), QByteArray("Sound 4\0\0\0", 10));
    EXPECT_EQ(bytes.mid(10, 2), QByteArray("\x27\0", 2)); // note 39
    EXPECT_EQ(bytes.mid(12, 12), QByteArray("- emtpy -\0\x18\0", 12));
    // Saving a selection leaves the document's title and mark alone.
    EXPECT_EQ(doc().title, "Kit1.drm");
    EXPECT_TRUE(doc().modified);
}

TEST_F(SaveCommands, MasterDrumWithOneKey) {
    select({0});
    savePath = pathOf("one.cfg");
    trigger(ID_FILE_SAVE_MASTERDRUM);
    ASSERT_EQ(saveRequests.size(), 1u);
    EXPECT_EQ(saveRequests[0].filters, QStringList({"Master Drum (*.cfg)", "All Files (*.*)"}));
    EXPECT_EQ(saveRequests[0].defaultSuffix, "cfg");
    const QList<QByteArray> lines = contents(savePath).split('\n');
    ASSERT_EQ(lines.size(), 18); // 17 lines, each ending in a line feed
    EXPECT_EQ(lines[0], "\"Pulvex Drum Kit: one.cfg\"");
    EXPECT_EQ(lines[1], "\"Sound 0\", 35, 1, 1 , 20 , 35 , 25 , 4");
    EXPECT_EQ(lines[16], "\"- empty -\", 24, 0, 1 , 20 , 35 , 25 , 4");
}

TEST_F(SaveCommands, NothingSelectedTooManySelectedAndCancel) {
    trigger(ID_FILE_SAVE_THEDRUM);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "There is nothing to save!");
    EXPECT_EQ(messages[0].icon, QMessageBox::Warning);
    EXPECT_TRUE(saveRequests.empty());

    for (int key = 0; key < 30; ++key) doc().ToggleSelected(key);
    answers = {QMessageBox::No};
    savePath = pathOf("many.kbr");
    trigger(ID_FILE_SAVE_THEDRUM);
    EXPECT_EQ(messages.back().text, "Too many entires selected. Continue?");
    EXPECT_EQ(messages.back().icon, QMessageBox::Question);
    EXPECT_TRUE(saveRequests.empty());

    answers = {QMessageBox::Yes};
    trigger(ID_FILE_SAVE_THEDRUM);
    const QByteArray bytes = contents(savePath);
    ASSERT_EQ(bytes.size(), 300);
    EXPECT_EQ(bytes.mid(24 * 12, 10), QByteArray("Sound 24\0\0", 10)); // the 25th, no filler

    savePath.clear(); // the dialog cancelled
    answers = {QMessageBox::Yes};
    const auto shown = messages.size();
    trigger(ID_FILE_SAVE_MASTERDRUM);
    EXPECT_EQ(messages.size(), shown + 1); // only the question
    EXPECT_FALSE(QFileInfo::exists(pathOf("many.cfg")));
}

TEST_F(SaveCommands, CubaseSaveIsTheDocumentsOwnSave) {
    doc().title = "Kit1";
    select({2});
    savePath = pathOf("saved.drm");
    trigger(ID_FILE_SAVE_AS);
    ASSERT_EQ(saveRequests.size(), 1u);
    EXPECT_EQ(saveRequests[0].proposedPath, "Kit1.drm");
    EXPECT_EQ(saveRequests[0].filters.first(), "Cubase DrumMap (*.drm)");
    const QByteArray bytes = contents(savePath);
    const auto expected = pulvex::storeDrm(doc());
    EXPECT_EQ(bytes, QByteArray(reinterpret_cast<const char*>(expected.data()), expected.size()));
    EXPECT_EQ(bytes.size(), 1630);
    EXPECT_EQ(doc().title, "saved.drm");
    EXPECT_FALSE(doc().modified);
    EXPECT_EQ(frame().windowTitle(), "saved.drm - Pulvex for Windows");
    EXPECT_TRUE(doc().IsSelected(2));
    // It joins the recent files, and the next save proposes where it came from.
    ASSERT_NE(frame().action(ID_FILE_MRU_FILE1), nullptr);
    EXPECT_TRUE(frame().action(ID_FILE_MRU_FILE1)->text().endsWith("saved.drm"));
    trigger(ID_FILE_SAVE_AS);
    EXPECT_EQ(saveRequests[1].proposedPath, QFileInfo(savePath).absoluteFilePath());
}

TEST_F(SaveCommands, OpenReadsTheKitBackAndClearsTheSelection) {
    const auto before = doc().keys;
    savePath = pathOf("round.drm");
    trigger(ID_FILE_SAVE_AS);
    select({1, 2});
    receiveTestKit("Other");
    doc().SetKeySound(0, "Changed", 40);
    doc().modified = false;

    openPath = savePath;
    trigger(ID_FILE_OPEN);
    EXPECT_TRUE(doc().keys == before);
    EXPECT_EQ(doc().SelectedCount(), 0);
    EXPECT_EQ(doc().title, "round.drm");
    EXPECT_EQ(countPane(), "000");
}

TEST_F(SaveCommands, FailedOpenAndFailedSaveLeaveEverythingAsItWas) {
    QFile shortFile(pathOf("short.drm"));
    ASSERT_TRUE(shortFile.open(QIODevice::WriteOnly));
    shortFile.write(QByteArray(1545, 'x'));
    shortFile.close();
    doc().modified = false;
    const auto keys = doc().keys;
    openPath = shortFile.fileName();
    trigger(ID_FILE_OPEN);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Failed to open document.\n\n\"" + openPath +
                                    "\" is too short for a drum map (1545 bytes)");
    EXPECT_EQ(messages[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(doc().keys == keys);
    EXPECT_EQ(doc().title, "Kit1.drm");

    select({0});
    savePath = pathOf("missing-folder/out.kbr");
    trigger(ID_FILE_SAVE_THEDRUM);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(messages[1].text.contains(savePath)) << messages[1].text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(savePath));
}

// The list is read from the file at each change: another window's entries stay. A list that
// cannot be saved is reported; the menu still shows it.
TEST_F(SaveCommands, RecentFilesAreSharedAndAFailedSaveOfTheListIsReported) {
    RecentFiles(pathOf("Pulvex.ini")).add(pathOf("other.drm"));
    savePath = pathOf("mine.drm");
    trigger(ID_FILE_SAVE_AS);
    EXPECT_TRUE(frame().action(ID_FILE_MRU_FILE1)->text().endsWith("mine.drm"));
    EXPECT_TRUE(frame().action(ID_FILE_MRU_FILE1 + 1)->text().endsWith("other.drm"));
    EXPECT_TRUE(messages.empty());

    QFile::remove(pathOf("Pulvex.ini"));
    ASSERT_TRUE(QDir().mkdir(pathOf("Pulvex.ini"))); // cannot be read, so not replaced
    savePath = pathOf("third.drm");
    trigger(ID_FILE_SAVE_AS);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].icon, QMessageBox::Critical);
    EXPECT_EQ(messages[0].text, "The list of recent files could not be saved.\nCannot read \"" +
                                    pathOf("Pulvex.ini") + "\": it is a folder");
    EXPECT_TRUE(frame().action(ID_FILE_MRU_FILE1)->text().endsWith("third.drm"));
}

TEST_F(SaveCommands, OpenAsksFirstAboutAModifiedKit) {
    answers = {QMessageBox::Cancel};
    trigger(ID_FILE_OPEN);
    EXPECT_EQ(messages.at(0).text, "Save changes to Kit1.drm?");
    EXPECT_TRUE(openRequests.empty());

    answers = {QMessageBox::Yes}; // saves first, then opens
    savePath = pathOf("first.drm");
    openPath = savePath;
    trigger(ID_FILE_OPEN);
    EXPECT_TRUE(QFileInfo::exists(savePath));
    EXPECT_EQ(openRequests.size(), 1u);
    EXPECT_EQ(doc().title, "first.drm");
}

// A recent file that is gone leaves the list when it fails to open; one that is there but cannot
// be read stays, and the message says which file and why.
TEST_F(SaveCommands, ARecentFileThatIsGoneLeavesTheList) {
    struct Case {
        const char* what;
        std::function<void(const QString& path)> spoil;
        QString reason;
        bool stays;
    };
    const Case cases[] = {
        {"deleted", [](const QString& path) { QFile::remove(path); }, "the file does not exist",
         false},
        {"cut short", [](const QString& path) { QFile::resize(path, 100); },
         "is too short for a drum map (100 bytes)", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        savePath = pathOf("spoilt.drm");
        trigger(ID_FILE_SAVE_AS);
        savePath = pathOf("good.drm");
        trigger(ID_FILE_SAVE_AS);
        c.spoil(pathOf("spoilt.drm"));
        messages.clear();

        frame().action(ID_FILE_MRU_FILE1 + 1)->trigger();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].text.startsWith("Failed to open document.\n\n"));
        EXPECT_TRUE(messages[0].text.contains(pathOf("spoilt.drm")));
        EXPECT_TRUE(messages[0].text.contains(c.reason)) << messages[0].text.toStdString();
        EXPECT_EQ(RecentFiles(pathOf("Pulvex.ini")).paths().contains(pathOf("spoilt.drm")),
                  c.stays);
        EXPECT_EQ(frame().action(ID_FILE_MRU_FILE1 + 1) != nullptr, c.stays);
        EXPECT_EQ(doc().title, "good.drm");
    }
}

// Save as proposes the title of the kit shown, not the file an earlier kit was saved to.
TEST_F(SaveCommands, SaveAsAfterAnotherKitProposesItsTitle) {
    savePath = pathOf("first.drm");
    trigger(ID_FILE_SAVE_AS);
    receiveTestKit("Kit2");
    savePath.clear();
    trigger(ID_FILE_SAVE_AS);
    ASSERT_EQ(saveRequests.size(), 2u);
    EXPECT_EQ(saveRequests[1].proposedPath, pathOf("Kit2.drm"));
}

// Every file dialog starts in the folder of the file last opened or saved, also in the next run.
TEST_F(SaveCommands, FileDialogsStartInTheLastFolder) {
    ASSERT_TRUE(QDir().mkpath(pathOf("maps/kits")));
    ASSERT_TRUE(QDir().mkpath(pathOf("maps/sets")));
    const QString kits = pathOf("maps/kits"), sets = pathOf("maps/sets");
    doc().title = "Kit1";
    select({0});
    savePath = kits + "/one.kbr";
    trigger(ID_FILE_SAVE_THEDRUM);
    EXPECT_EQ(saveRequests.back().proposedPath, "Kit1"); // none yet: the working folder
    trigger(ID_FILE_SAVE_MASTERDRUM);
    EXPECT_EQ(saveRequests.back().proposedPath, kits + "/Kit1");

    savePath = sets + "/Rock.drm";
    trigger(ID_FILE_SAVE_AS);
    EXPECT_EQ(saveRequests.back().proposedPath, kits + "/Kit1.drm");
    openPath = savePath;
    trigger(ID_FILE_OPEN);
    EXPECT_EQ(openRequests.back().proposedPath, sets);

    openPath.clear(); // a cancelled dialog leaves the folder alone
    trigger(ID_FILE_OPEN);
    startApp();
    trigger(ID_FILE_OPEN);
    EXPECT_EQ(openRequests.back().proposedPath, sets);

    // A folder that is gone since: the working folder.
    ASSERT_TRUE(QDir(pathOf("maps")).removeRecursively());
    trigger(ID_FILE_OPEN);
    EXPECT_EQ(openRequests.back().proposedPath, "");
}

// Qt's own file dialog remembers things in a file of its own: it goes beside the settings file the
// program was given, not into the user's config folder.
TEST_F(PulvexWindows, AFileDialogWritesOnlyBesideTheSettingsFile) {
    testing_support::TempDir config;
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir.file("settings"))));
    const ScopedEnvironment ini("PULVEX_INI",
                                QByteArray::fromStdString(dir.file("settings/Pulvex.ini")));
    const ScopedEnvironment xdg("XDG_CONFIG_HOME",
                                QByteArray::fromStdString(config.path().string()));
    app = std::make_unique<CPulvexApp>(pulvex::SettingsStore(), noSplash());
    app->InitInstance();
    const QString kit = QString::fromStdString(dir.file("kit.drm"));
    receiveTestKit();
    ASSERT_FALSE(pulvex::saveDrmFile(doc(), kit.toStdString()));
    doc().modified = false;

    const auto answer = userDialogs().message;
    restoreDefaultDialogs();
    userDialogs().message = answer;
    QTimer::singleShot(0, [kit] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(kit);
        static_cast<QDialog*>(dialog)->accept(); // what the Open button does
    });
    frame().action(ID_FILE_OPEN)->trigger();

    EXPECT_EQ(doc().title, "kit.drm");
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(QDir(QString::fromStdString(config.path().string()))
                    .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden)
                    .isEmpty());
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(dir.file("settings/QtProject.conf"))));
}
