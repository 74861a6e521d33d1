#pragma once
// THaupt, Klangor's main window: the MDI frame with the menu bar, the file commands and the page
// management (exactly one editor page is open at a time).

#include "PageRegistry.h"
#include "VoicePickerDialog.h"
#include "morvex/MorvexState.h"

#include <QMainWindow>
#include <QPointer>
#include <chrono>
#include <functional>
#include <vector>

class QMdiArea;
class QMdiSubWindow;

namespace klangor {

class EditPage;

class THaupt : public QMainWindow {
    Q_OBJECT
public:
    // `pages` are the page commands in menu order; tests give pages of their own.
    explicit THaupt(morvex::MorvexState& state = morvex::theMorvex(), QWidget* parent = nullptr,
                    std::vector<PageInfo> pages = registeredPages());
    ~THaupt() override;

    // The open and save dialogs: given the name they hold, they return the chosen one, or an empty
    // string when the user cancels. Tests replace them.
    using FileDialog = std::function<QString(QWidget* parent, const QString& current)>;
    struct FileDialogs {
        FileDialog open;
        FileDialog save;
    } fileDialogs;

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
    QMdiArea* workspace() const { return workspace_; }
    const QString& openFileName() const { return openName_; }
    const QString& saveFileName() const { return saveName_; }

    // The page commands: nothing when the page is open already or does not exist yet.
    void showPage(const QString& name);
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createMenus();
    void createPageCommands();
    // A button beside the status bar's note of a send to a port that is not there.
    void offerSetupAfterMissingPorts();
    bool loadVoice();
    bool saveVoice();
    void setFileCaption(const QString& name);
    QString voicePath(const QString& name) const;

    morvex::MorvexState& state_;
    std::vector<PageInfo> pages_;
    QMdiArea* workspace_;
    QString ActivePage;
    QPointer<QMdiSubWindow> pageWindow_;
    QPointer<EditPage> page_;
    QString openName_;
    QString saveName_;
    bool closingPage_ = false;
};

// The file dialogs as the user sees them.
QString runOpenDialog(QWidget* parent, const QString& current);
QString runSaveDialog(QWidget* parent, const QString& current);

} // namespace klangor
