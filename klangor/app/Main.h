#pragma once
// THaupt, Klangor's main window: the MDI frame with the menu bar, the file commands, undo, compare
// and the page management (exactly one editor page is open at a time). It owns the session.

#include "PageRegistry.h"
#include "Session.h"
#include "VoicePickerDialog.h"
#include "morvex/MorvexState.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <chrono>
#include <functional>
#include <vector>

class QLabel;
class QMdiArea;
class QMdiSubWindow;

namespace klangor {

class EditPage;
class HelpWindow;

class THaupt : public QMainWindow {
    Q_OBJECT
public:
    // `voice` holds the voice for as long as the window lives. `pages` are the page commands in
    // menu order; tests give pages of their own.
    explicit THaupt(morvex::MorvexState& voice, QWidget* parent = nullptr,
                    std::vector<PageInfo> pages = registeredPages());
    ~THaupt() override;

    Session& session() { return session_; }

    // The open and save dialogs: given the name they hold, they return the chosen one, or an empty
    // string when the user cancels. Tests replace them.
    using FileDialog = std::function<QString(QWidget* parent, const QString& current)>;
    struct FileDialogs {
        FileDialog open;
        FileDialog save;
    } fileDialogs;

    // "Save changes to NAME?" before a changed voice is left: Yes, No or Cancel. Tests replace it.
    using SaveQuestion =
        std::function<QMessageBox::StandardButton(QWidget* parent, const QString& text)>;
    SaveQuestion askToSave;

    // Which voice to read from a file of several: an index into `voices`, or none to read none and
    // keep everything as it was. Tests replace it.
    using VoiceChooser = std::function<std::optional<int>(
        QWidget* parent, const std::vector<morvex::VoiceInFile>& voices)>;
    VoiceChooser voiceChooser = pickVoice;

    // How long Receive from Morvex waits for the answer; tests shorten it.
    std::chrono::milliseconds receiveTimeout{5000};

    // Start-up: StartDir and morvex.dev while the open name is still "initial.syx", then the
    // voice from the open name. Returns false when the voice could not be read.
    bool Initialize();

    const QString& activePage() const { return ActivePage; }
    EditPage* activePageWidget() const;
    HelpWindow* helpWindow() const { return help_; }
    QMdiArea* workspace() const { return workspace_; }
    const QString& openFileName() const { return openName_; }
    const QString& saveFileName() const { return saveName_; }

    // The page commands: nothing when the page is open already or does not exist yet.
    void showPage(const QString& name);
    // The next or previous page in menu order (Ctrl+PgDown, Ctrl+PgUp), round the end.
    void showNeighbourPage(int direction);
    // Stores the open page into the voice; what changed becomes a step of the history.
    void SaveActivePage();
    void FreeActivePage();
    void RefreshActivePage();

    void SourceFile1Click();
    void SaveDestinationFile1Click();
    void DestinationFile1Click();
    void Senden1Click();
    // File > Receive from Morvex: the synthesizer's voice becomes the current one, or nothing
    // changes and a box says why.
    void ReceiveClick();
    void ReInit();
    void AboutClick();
    void H1Click();
    void undo();
    void redo();
    // Ctrl+K: the voice as last loaded, received or saved, and back.
    void setComparing(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    void createEditMenu();
    void createPageCommands();
    void connectSession();
    // A button beside the status bar's note of a send to a port that is not there.
    void offerSetupAfterMissingPorts();
    // The keys of the window's own commands, which no field may take for itself.
    bool isWindowKey(const QKeyEvent& key) const;
    bool loadVoice();
    bool saveVoice();
    // A changed voice: asks whether to save it first. False when the user cancelled or the save
    // failed, so the command that asked must not go on.
    bool maySetVoiceAside();
    void setFileCaption(const QString& name);
    QString voicePath(const QString& name) const;
    void openHelp(int context);

    Session session_;
    std::vector<PageInfo> pages_;
    QMdiArea* workspace_;
    QLabel* compareNote_;
    QAction* compareAction_ = nullptr;
    QString ActivePage;
    QPointer<QMdiSubWindow> pageWindow_;
    QPointer<EditPage> page_;
    HelpWindow* help_ = nullptr; // made on the first F1
    QString openName_;
    QString saveName_;
    QString loadNote_; // which voice of a file of several was read, until the next note
};

// The file dialogs and the save question as the user sees them.
QString runOpenDialog(QWidget* parent, const QString& current);
QString runSaveDialog(QWidget* parent, const QString& current);
QMessageBox::StandardButton runSaveQuestion(QWidget* parent, const QString& text);

// The status bar's text while comparing.
inline constexpr const char* kComparingNote =
    "Comparing with the original \u2014 press Ctrl+K to go back";

} // namespace klangor
