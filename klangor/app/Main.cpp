#include "Main.h"

#include "EditPage.h"
#include "MidiSetupDialog.h"
#include "PageRegistry.h"
#include "ReceiveProgress.h"
#include "Sender.h"
#include "Services.h"
#include "morvex/Checksum.h"
#include "morvex/StartDir.h"
#include "morvex/VoiceCodec.h"
#include "morvex/VoiceFile.h"

#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <algorithm>
#include <filesystem>

namespace klangor {
namespace {

const QString kCaption = "Klangor for Morvex";
const QString kInitialName = morvex::kInitialVoiceName;

} // namespace

QString runOpenDialog(QWidget* parent, const QString& current) {
    QFileDialog dialog(parent, "Datei laden", QString(), "Sysex-Dateien (*.syx *.mid)");
    dialog.setDefaultSuffix("syx");
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.selectFile(current);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QString runSaveDialog(QWidget* parent, const QString& current) {
    QFileDialog dialog(parent, QString(), QString(), "Sysex-Dateien (*.syx)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("syx");
    dialog.selectFile(current);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

THaupt::THaupt(morvex::MorvexState& state, QWidget* parent, std::vector<PageInfo> pages)
    : QMainWindow(parent), fileDialogs{runOpenDialog, runSaveDialog}, state_(state),
      pages_(std::move(pages)), workspace_(new QMdiArea(this)), openName_(kInitialName),
      saveName_("backup.syx") {
    setWindowTitle(kCaption);
    QFont font("Arial");
    font.setPixelSize(12);
    setFont(font);
    setCentralWidget(workspace_);
    workspace_->viewport()->installEventFilter(this);
    createMenus();
    offerSetupAfterMissingPorts();
}

THaupt::~THaupt() {
    // The page goes with the window; nothing is stored or sent.
    closingPage_ = true;
    workspace_->viewport()->removeEventFilter(this);
    if (pageWindow_) pageWindow_->removeEventFilter(this);
}

void THaupt::createMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    const auto item = [&](const QString& caption, const QKeySequence& key, auto handler) {
        QAction* action = file->addAction(caption, this, handler);
        action->setShortcut(key);
        return action;
    };
    item("I&nput File...  ", QKeySequence(Qt::CTRL | Qt::Key_N), &THaupt::SourceFile1Click);
    item("Save  ", QKeySequence(Qt::Key_F2), &THaupt::SaveDestinationFile1Click);
    item("&Save as....", QKeySequence(Qt::CTRL | Qt::Key_S), &THaupt::DestinationFile1Click);
    item("Send to Morvex  ", QKeySequence(Qt::Key_F12), &THaupt::Senden1Click);
    item("Initialize", QKeySequence(Qt::Key_F5), &THaupt::ReInit);
    file->addSeparator();
    file->addAction("Info", this, &THaupt::AboutClick);
    file->addSeparator();
    item("&Receive from Morvex", QKeySequence(Qt::CTRL | Qt::Key_R), &THaupt::ReceiveClick);

    createPageCommands();

    QMenu* options = menuBar()->addMenu("&Options");
    options->addAction("MIDI Setup...", this, [this] { runMidiSetup(this); })
        ->setObjectName("MidiSetup");

    QMenu* help = menuBar()->addMenu("  ");
    help->addAction(QString(), this, &THaupt::H1Click);
    menuBar()->addAction("?", this, &THaupt::H1Click);

    // F1: the manual's page of the open page.
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this,
            [this] { showHelp(state_.startDir, page_ ? page_->helpContext() : 1000); });
}

void THaupt::offerSetupAfterMissingPorts() {
    auto* offer = new QPushButton("MIDI Setup...", statusBar());
    offer->setObjectName("OfferMidiSetup");
    statusBar()->addPermanentWidget(offer);
    offer->hide();
    connect(offer, &QPushButton::clicked, this, [this] { runMidiSetup(this); });
    // Stays until the next note, so it does not vanish under the mouse when the note times out.
    connect(statusBar(), &QStatusBar::messageChanged, offer, [offer](const QString& text) {
        if (!text.isEmpty()) offer->setVisible(text.endsWith(kSetupOffer));
    });
}

void THaupt::createPageCommands() {
    // The page commands sit on the menu bar itself. Ctrl+F belongs to "&FM-Edit"; the File menu
    // opens with Alt+F.
    for (const PageInfo& page : pages_) {
        QAction* action = menuBar()->addAction(page.command);
        action->setObjectName("Show" + page.name.mid(1));
        action->setShortcut(page.shortcut);
        const QString name = page.name;
        connect(action, &QAction::triggered, this, [this, name] { showPage(name); });
    }
}

EditPage* THaupt::activePageWidget() const {
    return page_;
}

QString THaupt::voicePath(const QString& name) const {
    // The start-up voice lives in StartDir, which is the current folder only when that holds it.
    if (name == kInitialName && !state_.startDir.empty())
        return QString::fromStdString(state_.startDir) + "/" + kInitialName;
    return name;
}

bool THaupt::loadVoice() {
    const morvex::LoadedVoiceFile loaded =
        morvex::LoadVoiceFile(state_, voicePath(openName_).toStdString(),
                              [this](const std::vector<morvex::VoiceInFile>& voices) {
                                  return voiceChooser(this, voices);
                              });
    if (loaded.problem) showReport(this, *loaded.problem);
    if (!loaded) return false; // refused, or no voice chosen
    if (!loaded.note.empty()) statusNote()(QString::fromStdString(loaded.note));
    morvex::DecodeVoice(state_);
    return true;
}

bool THaupt::Initialize() {
    if (openName_ == kInitialName) {
        state_.startDir = morvex::findStartDir();
        const morvex::Status problem = morvex::ReadDeviceFile(state_, &midiPortName());
        // The morvex.dev of a data folder of the user's own (the current folder) wins over the
        // stored output, so such set-ups stay as they were; the installed one, which holds "0" as
        // shipped and cannot be edited, only stands in while no output was chosen.
        std::error_code error;
        const std::filesystem::path here = std::filesystem::current_path(error);
        deviceFileChoosesOutput() =
            !problem && !error && std::filesystem::equivalent(state_.startDir, here, error);
        if (problem) showReport(this, *problem);
    }
    const bool loaded = loadVoice();
    if (!page_) ActivePage.clear();
    return loaded;
}

void THaupt::showPage(const QString& name) {
    const auto info = std::find_if(pages_.begin(), pages_.end(),
                                   [&](const PageInfo& page) { return page.name == name; });
    if (info == pages_.end() || !info->create || ActivePage == name) return;
    SaveActivePage();
    FreeActivePage();
    EditPage* page = info->create(state_, nullptr);
    QMdiSubWindow* window = workspace_->addSubWindow(page);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->installEventFilter(this);
    window->showMaximized();
    pageWindow_ = window;
    page_ = page;
    ActivePage = name;
    page->InitVars();
}

void THaupt::SaveActivePage() {
    if (page_) page_->StoreVars();
}

void THaupt::FreeActivePage() {
    if (!pageWindow_) return;
    closingPage_ = true;
    // The window's own teardown sends it events; it is half destroyed by then.
    pageWindow_->removeEventFilter(this);
    delete pageWindow_.data();
    closingPage_ = false;
    page_ = nullptr;
}

void THaupt::RefreshActivePage() {
    if (page_) page_->InitVars();
}

void THaupt::setFileCaption(const QString& name) {
    setWindowTitle(kCaption + "   " + name);
}

void THaupt::SourceFile1Click() {
    SaveActivePage();
    FreeActivePage();
    ActivePage.clear();
    // A cancelled dialog keeps the name it had: the current voice is read again.
    const QString lastRead = openName_;
    if (const QString chosen = fileDialogs.open(this, openName_); !chosen.isEmpty())
        openName_ = chosen;
    if (!Initialize()) {
        // A refused file is not the voice's file: F5 and the next dialog keep to the one the
        // caption names.
        openName_ = lastRead;
        return;
    }
    setFileCaption(openName_);
    sendVoice(state_, this);
}

bool THaupt::saveVoice() {
    morvex::EncodeVoice(state_, [this](int offset) {
        showReport(this, morvex::errorReport(morvex::rangeMessage(offset)));
    });
    morvex::UpdateChecksum(state_.voiceData);
    if (morvex::Status problem = morvex::SaveVoiceFile(state_, saveName_.toStdString())) {
        showReport(this, *problem);
        return false;
    }
    setFileCaption(saveName_);
    return true;
}

void THaupt::SaveDestinationFile1Click() {
    SaveActivePage();
    saveVoice();
}

void THaupt::DestinationFile1Click() {
    SaveActivePage();
    FreeActivePage();
    ActivePage.clear();
    if (const QString chosen = fileDialogs.save(this, saveName_); !chosen.isEmpty())
        saveName_ = chosen;
    saveVoice();
}

void THaupt::Senden1Click() {
    SaveActivePage();
    sendVoice(state_, this);
}

void THaupt::ReceiveClick() {
    morvex::ReceiveOptions options = receiveOptions(state_);
    options.timeout = receiveTimeout;
    ReceiveProgress progress(this, std::move(options));
    const morvex::ReceivedVoice received = progress.run();
    if (received.outcome == morvex::ReceivedVoice::Outcome::Cancelled) return;
    if (!received) {
        showReport(this, morvex::Report{morvex::Report::Icon::Warning, "Receive from Morvex",
                                        received.text});
        return;
    }
    morvex::takeVoiceDump(state_, received.dump);
    morvex::DecodeVoice(state_);
    RefreshActivePage();
    setFileCaption("received from Morvex"); // until it is saved
}

void THaupt::ReInit() {
    // The open page's unsaved values are dropped; nothing is sent.
    if (loadVoice()) RefreshActivePage();
}

void THaupt::AboutClick() {
    showReport(this, morvex::Report{morvex::Report::Icon::Information, "Info",
                                    "Klangor for Yamaha Morvex   \n"
                                    "A voice editor by the Klangor developers."});
}

void THaupt::H1Click() {
    showHelp(state_.startDir, 1000);
}

bool THaupt::eventFilter(QObject* watched, QEvent* event) {
    if (watched == workspace_->viewport()) {
        if (event->type() == QEvent::ContextMenu) return true;
        if (event->type() == QEvent::MouseButtonPress) {
            // RMouseF12: a right press on the empty workspace sends; other buttons do nothing.
            if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) Senden1Click();
            return true;
        }
    } else if (event->type() == QEvent::Close && !closingPage_ && watched == pageWindow_) {
        // The user closed the page: keep its values, as a switch to another page would.
        SaveActivePage();
        ActivePage.clear();
        page_ = nullptr;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace klangor
