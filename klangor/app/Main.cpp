#include "Main.h"

#include "EditPage.h"
#include "HelpWindow.h"
#include "MidiSetupDialog.h"
#include "PageRegistry.h"
#include "ReceiveProgress.h"
#include "Sender.h"
#include "Session.h"
#include "morvex/StartDir.h"
#include "morvex/VoiceCodec.h"
#include "morvex/VoiceFile.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>
#include <filesystem>

namespace klangor {
namespace {

const QString kCaption = "Klangor for Morvex";
const QString kInitialName = morvex::kInitialVoiceName;

QMessageBox::Icon boxIcon(morvex::Report::Icon icon) {
    switch (icon) {
    case morvex::Report::Icon::Error:
        return QMessageBox::Critical;
    case morvex::Report::Icon::Warning:
        return QMessageBox::Warning;
    case morvex::Report::Icon::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

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

QMessageBox::StandardButton runSaveQuestion(QWidget* parent, const QString& text) {
    return QMessageBox::question(parent, kCaption, text,
                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                 QMessageBox::Yes);
}

THaupt::THaupt(morvex::MorvexState& voice, QWidget* parent, std::vector<PageInfo> pages)
    : QMainWindow(parent), fileDialogs{runOpenDialog, runSaveDialog}, askToSave(runSaveQuestion),
      session_(voice), pages_(std::move(pages)), workspace_(new QMdiArea(this)),
      compareNote_(new QLabel(this)), openName_(kInitialName), saveName_("backup.syx") {
    setWindowTitle(kCaption + "[*]");
    QFont font("Arial");
    font.setPixelSize(12);
    setFont(font);
    setCentralWidget(workspace_);
    workspace_->viewport()->installEventFilter(this);
    compareNote_->setObjectName("CompareNote");
    statusBar()->addPermanentWidget(compareNote_);
    compareNote_->hide();
    createMenus();
    offerSetupAfterMissingPorts();
    connectSession();
    // The window's keys must work while a field has the focus (see isWindowKey).
    qApp->installEventFilter(this);
}

THaupt::~THaupt() {
    // The page goes first, while the window it reports to is whole; nothing is stored or sent.
    qApp->removeEventFilter(this);
    delete pageWindow_.data();
}

void THaupt::connectSession() {
    connect(&session_, &Session::reportRequested, this, [this](const morvex::Report& report) {
        QMessageBox box(boxIcon(report.icon), QString::fromStdString(report.caption),
                        QString::fromStdString(report.text), QMessageBox::Ok, this);
        box.exec();
    });
    const auto show = [this](const QString& text) {
        if (loadNote_.isEmpty() || text == loadNote_) {
            statusBar()->showMessage(text, 10000);
            return;
        }
        statusBar()->showMessage(loadNote_ + " \u2014 " + text, 10000);
        loadNote_.clear();
    };
    connect(&session_, &Session::statusMessage, this, show);
    connect(&session_, &Session::sentMessage, this, show);
    connect(&session_, &Session::helpRequested, this, &THaupt::openHelp);
    connect(&session_, &Session::voiceChanged, this, &THaupt::RefreshActivePage);
    connect(&session_.history(), &QUndoStack::cleanChanged, this,
            [this](bool clean) { setWindowModified(!clean); });
    connect(&session_, &Session::comparingChanged, this, [this](bool on) {
        compareAction_->setChecked(on);
        compareNote_->setText(on ? kComparingNote : QString());
        compareNote_->setVisible(on);
        if (page_) page_->setEnabled(!on);
    });
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

    createEditMenu();
    createPageCommands();

    QMenu* options = menuBar()->addMenu("&Options");
    options->addAction("MIDI Setup...", this, [this] { runMidiSetup(session_, this); })
        ->setObjectName("MidiSetup");

    QMenu* help = menuBar()->addMenu("  ");
    help->addAction(QString(), this, &THaupt::H1Click);
    menuBar()->addAction("?", this, &THaupt::H1Click);

    // F1: the manual's page of the open page.
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this,
            [this] { session_.requestHelp(page_ ? page_->helpContext() : 1000); });
}

void THaupt::createEditMenu() {
    QUndoStack& history = session_.history();
    QMenu* edit = menuBar()->addMenu("&Edit");
    // The texts name the step: "Undo Random FM B".
    QAction* undo = edit->addAction("Undo", this, &THaupt::undo);
    undo->setObjectName("Undo");
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    undo->setEnabled(false);
    connect(&history, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(&history, &QUndoStack::undoTextChanged, undo, [undo](const QString& step) {
        undo->setText(step.isEmpty() ? "Undo" : "Undo " + step);
    });
    QAction* redo = edit->addAction("Redo", this, &THaupt::redo);
    redo->setObjectName("Redo");
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    redo->setEnabled(false);
    connect(&history, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    connect(&history, &QUndoStack::redoTextChanged, redo, [redo](const QString& step) {
        redo->setText(step.isEmpty() ? "Redo" : "Redo " + step);
    });
    edit->addSeparator();
    compareAction_ = edit->addAction("Compare");
    compareAction_->setObjectName("Compare");
    compareAction_->setCheckable(true);
    compareAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    compareAction_->setToolTip("Compare with the voice as last loaded, received or saved (Ctrl+K)");
    connect(compareAction_, &QAction::triggered, this, &THaupt::setComparing);
    QToolBar* tools = addToolBar("Compare");
    tools->setObjectName("Tools");
    tools->setMovable(false);
    tools->addAction(compareAction_);
}

void THaupt::offerSetupAfterMissingPorts() {
    auto* offer = new QPushButton("MIDI Setup...", statusBar());
    offer->setObjectName("OfferMidiSetup");
    statusBar()->addPermanentWidget(offer);
    offer->hide();
    connect(offer, &QPushButton::clicked, this, [this] { runMidiSetup(session_, this); });
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
    const auto neighbour = [this](const QKeySequence& key, int direction) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, this,
                [this, direction] { showNeighbourPage(direction); });
    };
    neighbour(QKeySequence(Qt::CTRL | Qt::Key_PageDown), +1);
    neighbour(QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1);
}

bool THaupt::isWindowKey(const QKeyEvent& key) const {
    const QKeySequence pressed(key.keyCombination());
    for (const QAction* action : findChildren<QAction*>())
        if (action->isEnabled() && action->shortcuts().contains(pressed)) return true;
    for (const QShortcut* shortcut : findChildren<QShortcut*>())
        if (shortcut->key() == pressed) return true;
    return false;
}

EditPage* THaupt::activePageWidget() const {
    return page_;
}

QString THaupt::voicePath(const QString& name) const {
    // The start-up voice lives in StartDir, which is the current folder only when that holds it.
    if (name == kInitialName && !session_.state().startDir.empty())
        return QString::fromStdString(session_.state().startDir) + "/" + kInitialName;
    return name;
}

bool THaupt::loadVoice() {
    morvex::MorvexState& state = session_.state();
    const morvex::LoadedVoiceFile loaded =
        morvex::LoadVoiceFile(state, voicePath(openName_).toStdString(),
                              [this](const std::vector<morvex::VoiceInFile>& voices) {
                                  return voiceChooser(this, voices);
                              });
    if (loaded.problem) session_.report(*loaded.problem);
    if (!loaded) return false; // refused, or no voice chosen
    // Said together with the note of the send that follows a load, which would hide it.
    loadNote_ = QString::fromStdString(loaded.note);
    if (!loadNote_.isEmpty()) session_.note(loadNote_);
    morvex::DecodeVoice(state);
    return true;
}

bool THaupt::Initialize() {
    morvex::MorvexState& state = session_.state();
    const bool starting = openName_ == kInitialName;
    if (starting) {
        state.startDir = morvex::findStartDir();
        std::string portName;
        const morvex::Status problem = morvex::ReadDeviceFile(state, &portName);
        // The morvex.dev of a data folder of the user's own (the current folder) wins over the
        // stored output, so such set-ups stay as they were; the installed one, which holds "0" as
        // shipped and cannot be edited, only stands in while no output was chosen.
        std::error_code error;
        const std::filesystem::path here = std::filesystem::current_path(error);
        session_.useDeviceFile(portName,
                               !problem && !error &&
                                   std::filesystem::equivalent(state.startDir, here, error));
        if (problem) session_.report(*problem);
    }
    const bool loaded = loadVoice();
    if (!page_) ActivePage.clear();
    if (loaded && starting && session_.history().count() == 0) session_.startAfresh();
    return loaded;
}

void THaupt::showPage(const QString& name) {
    const auto info = std::find_if(pages_.begin(), pages_.end(),
                                   [&](const PageInfo& page) { return page.name == name; });
    if (info == pages_.end() || !info->create || ActivePage == name) return;
    SaveActivePage();
    FreeActivePage();
    EditPage* page = info->create(session_, nullptr);
    QMdiSubWindow* window = workspace_->addSubWindow(page);
    window->setAttribute(Qt::WA_DeleteOnClose);
    // The user closing the page keeps its values, as a switch to another page would; the page
    // stores itself on its way out.
    connect(page, &EditPage::closed, this, [this] {
        ActivePage.clear();
        page_ = nullptr;
    });
    window->showMaximized();
    pageWindow_ = window;
    page_ = page;
    ActivePage = name;
    page->InitVars();
    page->setEnabled(!session_.comparing());
}

void THaupt::showNeighbourPage(int direction) {
    std::vector<QString> open;
    for (const PageInfo& page : pages_)
        if (page.create) open.push_back(page.name);
    if (open.empty()) return;
    const auto here = std::find(open.begin(), open.end(), ActivePage);
    const int count = static_cast<int>(open.size());
    int next = direction > 0 ? 0 : count - 1;
    if (here != open.end())
        next = (static_cast<int>(here - open.begin()) + direction + count) % count;
    showPage(open[static_cast<std::size_t>(next)]);
}

void THaupt::SaveActivePage() {
    if (!page_ || session_.comparing()) return;
    page_->StoreVars();
    session_.recordChange("Edit");
}

void THaupt::FreeActivePage() {
    if (!pageWindow_) return;
    // Deleted, not closed: the page was stored already or its values are dropped on purpose.
    delete pageWindow_.data();
    page_ = nullptr;
    ActivePage.clear();
}

void THaupt::RefreshActivePage() {
    if (page_) page_->InitVars();
}

void THaupt::setFileCaption(const QString& name) {
    setWindowTitle(kCaption + "   " + name + "[*]");
}

bool THaupt::maySetVoiceAside() {
    if (session_.history().isClean()) return true;
    const QString text = "Save changes to " + QFileInfo(saveName_).fileName() + "?";
    switch (askToSave(this, text)) {
    case QMessageBox::Yes:
        return saveVoice();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

void THaupt::SourceFile1Click() {
    setComparing(false);
    SaveActivePage();
    if (!maySetVoiceAside()) return;
    FreeActivePage();
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
    session_.recordChange("Input File");
    session_.markSaved();
    setFileCaption(openName_);
    session_.sendVoice();
}

bool THaupt::saveVoice() {
    session_.encodeVoice();
    if (morvex::Status problem = morvex::SaveVoiceFile(session_.state(), saveName_.toStdString())) {
        session_.report(*problem);
        return false;
    }
    session_.markSaved();
    setFileCaption(saveName_);
    return true;
}

void THaupt::SaveDestinationFile1Click() {
    setComparing(false);
    SaveActivePage();
    saveVoice();
}

void THaupt::DestinationFile1Click() {
    setComparing(false);
    SaveActivePage();
    FreeActivePage();
    if (const QString chosen = fileDialogs.save(this, saveName_); !chosen.isEmpty())
        saveName_ = chosen;
    saveVoice();
}

void THaupt::Senden1Click() {
    // While comparing, the original is what is shown and what goes.
    SaveActivePage();
    session_.sendVoice();
}

void THaupt::ReceiveClick() {
    setComparing(false);
    SaveActivePage();
    morvex::ReceiveOptions options = session_.receiveOptions();
    options.timeout = receiveTimeout;
    ReceiveProgress progress(this, std::move(options));
    const morvex::ReceivedVoice received = progress.run();
    if (received.outcome == morvex::ReceivedVoice::Outcome::Cancelled) return;
    if (!received) {
        session_.report(
            morvex::Report{morvex::Report::Icon::Warning, "Receive from Morvex", received.text});
        return;
    }
    morvex::takeVoiceDump(session_.state(), received.dump);
    morvex::DecodeVoice(session_.state());
    session_.recordChange("Receive from Morvex");
    // Compare goes back to it, but it is in no file yet: it counts as changed until saved.
    session_.markOriginal();
    RefreshActivePage();
    setFileCaption("received from Morvex"); // until it is saved
}

void THaupt::ReInit() {
    // The open page's unsaved values are dropped; nothing is sent.
    setComparing(false);
    if (!loadVoice()) return;
    session_.recordChange("Initialize");
    session_.markSaved();
    RefreshActivePage();
}

void THaupt::undo() {
    setComparing(false);
    SaveActivePage();
    session_.history().undo();
}

void THaupt::redo() {
    setComparing(false);
    SaveActivePage();
    session_.history().redo();
}

void THaupt::setComparing(bool on) {
    if (on == session_.comparing()) {
        compareAction_->setChecked(on);
        return;
    }
    if (on) SaveActivePage();
    session_.setComparing(on);
}

void THaupt::AboutClick() {
    session_.report(morvex::Report{morvex::Report::Icon::Information, "Info",
                                   "Klangor for Yamaha Morvex   \n"
                                   "A voice editor by the Klangor developers."});
}

void THaupt::H1Click() {
    session_.requestHelp(1000);
}

void THaupt::openHelp(int context) {
    // Klangor's own window: the manual opens offline and without a browser.
    if (!help_) help_ = new HelpWindow(this);
    help_->showPage(helpPage(session_.state().startDir, context));
}

void THaupt::closeEvent(QCloseEvent* event) {
    setComparing(false);
    SaveActivePage();
    if (!maySetVoiceAside()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

bool THaupt::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // A field takes Ctrl+C, Ctrl+V, Ctrl+E, Ctrl+Z ... for itself unless told otherwise; in
        // this window they are the page and edit commands the menu promises.
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this && isWindowKey(*static_cast<QKeyEvent*>(event)))
            return true; // left unaccepted: the shortcut runs
        return false;
    }
    if (watched == workspace_->viewport()) {
        if (event->type() == QEvent::ContextMenu) return true;
        if (event->type() == QEvent::MouseButtonPress) {
            // RMouseF12: a right press on the empty workspace sends; other buttons do nothing.
            if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) Senden1Click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace klangor
