#include "MainFrame.h"

#include "DocumentCommands.h"
#include "Pictures.h"
#include "PulvexView.h"
#include "RecentFiles.h"
#include "UserDialogs.h"
#include "pulvex/model/DrumMapExport.h"
#include "pulvex/model/PulvexDoc.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

namespace pulvex_app {
namespace {

constexpr int kToolButtonWidth = 16;
constexpr int kToolButtonHeight = 15;

// The toolbar's pictures, one 16 x 15 image per button, in the order of the buttons.
QIcon toolbarIcon(const QImage& strip, int index) {
    if (strip.isNull()) return {};
    return QIcon(QPixmap::fromImage(
        strip.copy(index * kToolButtonWidth, 0, kToolButtonWidth, kToolButtonHeight)));
}

} // namespace

CMainFrame::CMainFrame(pulvex::CPulvexDoc& doc, RecentFiles& recent, ApplicationCommands commands)
    : doc_(doc), recent_(recent) {
    view_ = new CPulvexView(doc_, this);
    setCentralWidget(view_);
    documentCommands_ = new DocumentCommands(doc_, recent_, *this);
    documentCommands_->onDocumentReplaced = [this] { view_->OnInitialUpdate(); };
    setWindowIcon(QIcon(QPixmap::fromImage(loadPicture(kProgramIcon))));
    createActions(commands);
    createMenus();
    createToolBar();
    createStatusBar();
    connect(view_, &CPulvexView::selectionToggled, this, &CMainFrame::updateFromDocument);
    resize(760, 560);
    updateFromDocument();
}

CMainFrame::~CMainFrame() {
    delete documentCommands_;
}

QAction* CMainFrame::addCommand(int command, const QString& text, const QString& prompt,
                                std::function<void()> handler) {
    auto* action = new QAction(text, this);
    // A prompt is the status bar text, then after a line feed the tool tip.
    const QStringList parts = prompt.split('\n');
    action->setStatusTip(parts.value(0));
    if (parts.size() > 1) action->setToolTip(parts.value(1));
    connect(action, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
    actions_.insert(command, action);
    return action;
}

void CMainFrame::createActions(const ApplicationCommands& commands) {
    DocumentCommands& documents = *documentCommands_;
    addCommand(ID_FILE_RECEIVE, "&Receive from Pulvex...\tCtrl+R",
               "Receive a drumset from Pulvex\nReceive data from MIDI", commands.receive)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    addCommand(ID_FILE_RECEIVE_ALL, "Receive all &kits...",
               "Receive every kit of a bank or of all banks and save them as drum maps",
               commands.receiveAll);
    addCommand(ID_FILE_OPEN, "&Open...\tCtrl+O", "Open an existing document\nOpen drumset",
               [&documents] { documents.OnFileOpen(); })
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    addCommand(ID_FILE_SAVE_AS, "&Save as Cubase Drumset...\tCtrl+S",
               "Save the active document as a Cubase Drumset\nSave drumset",
               [&documents] { documents.OnFileSaveAs(); })
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    addCommand(ID_FILE_SAVE_THEDRUM, "S&ave as The*Drum Drumset...",
               "Save the active document as a The*Drum Drumset",
               [&documents] { documents.OnSaveTheDrum(); });
    addCommand(ID_FILE_SAVE_MASTERDRUM, "Sa&ve as MasterDrum Drumset...",
               "Save the active document as a MasterDrum Drumset",
               [&documents] { documents.OnSaveMasterDrum(); });
    // File > Export as: every format of the table.
    int exportCommand = ID_FILE_EXPORT_FIRST;
    for (const pulvex::DrumMapFormat& format : pulvex::drumMapFormats()) {
        addCommand(exportCommand++, format.label,
                   "Save the active document as " +
                       QString::fromStdString(pulvex::formatTitle(format)),
                   [&documents, &format] { documents.OnExport(format); });
    }
    addCommand(ID_APP_EXIT, "E&xit", "Quit the application; prompts to save documents\nExit",
               [this] { close(); });
    addCommand(ID_EDIT_UNSELECT_ALL, "&Unselect all\tCtrl+U",
               "Unselect all selected voices\nUnselect all",
               [this] {
                   view_->OnEditUnselectAll();
                   updateFromDocument();
               })
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
    addCommand(ID_VIEW_TOOLBAR, "&Toolbar", "Show or hide the toolbar\nToggle ToolBar",
               [this] { toolBar_->setVisible(!toolBar_->isVisible()); });
    addCommand(ID_VIEW_STATUS_BAR, "&Status Bar", "Show or hide the status bar\nToggle StatusBar",
               [this] { statusBar()->setVisible(!statusBar()->isVisible()); });
    addCommand(ID_OPTIONS_SETUP, "&Setup...", "Setup of the program", commands.setup);
    addCommand(ID_APP_ABOUT, "&About Pulvex...",
               "Display program information, version number and copyright\nAbout", commands.about);
    for (int command : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}) {
        actions_[command]->setCheckable(true);
        actions_[command]->setChecked(true);
    }
    // Shortcuts work whichever child has the focus, as accelerators of the frame do.
    for (QAction* action : std::as_const(actions_)) action->setShortcutContext(Qt::WindowShortcut);
}

void CMainFrame::createMenus() {
    fileMenu_ = menuBar()->addMenu("&File");
    for (int command : {ID_FILE_RECEIVE, ID_FILE_RECEIVE_ALL, ID_FILE_OPEN, ID_FILE_SAVE_AS,
                        ID_FILE_SAVE_THEDRUM, ID_FILE_SAVE_MASTERDRUM})
        fileMenu_->addAction(actions_[command]);
    exportMenu_ = fileMenu_->addMenu("&Export as");
    for (std::size_t i = 0; i < pulvex::drumMapFormats().size(); ++i)
        exportMenu_->addAction(actions_[ID_FILE_EXPORT_FIRST + static_cast<int>(i)]);
    fileMenu_->addSeparator();
    recentPlaceholder_ = fileMenu_->addAction("Recent File");
    recentPlaceholder_->setEnabled(false);
    recentEnd_ = fileMenu_->addSeparator();
    fileMenu_->addAction(actions_[ID_APP_EXIT]);
    connect(fileMenu_, &QMenu::aboutToShow, this, &CMainFrame::updateFromDocument);
    rebuildRecentFiles();

    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->addAction(actions_[ID_EDIT_UNSELECT_ALL]);
    connect(edit, &QMenu::aboutToShow, this, &CMainFrame::updateFromDocument);
    QMenu* view = menuBar()->addMenu("&View");
    view->addAction(actions_[ID_VIEW_TOOLBAR]);
    view->addAction(actions_[ID_VIEW_STATUS_BAR]);
    connect(view, &QMenu::aboutToShow, this, [this] {
        actions_[ID_VIEW_TOOLBAR]->setChecked(toolBar_->isVisible());
        actions_[ID_VIEW_STATUS_BAR]->setChecked(statusBar()->isVisible());
    });
    menuBar()->addMenu("&Options")->addAction(actions_[ID_OPTIONS_SETUP]);
    menuBar()->addMenu("&Help")->addAction(actions_[ID_APP_ABOUT]);
}

void CMainFrame::rebuildRecentFiles() {
    for (QAction* action : std::as_const(recentActions_)) {
        actions_.remove(actions_.key(action));
        fileMenu_->removeAction(action);
        // Later: the entry may be the one whose command is running.
        action->deleteLater();
    }
    recentActions_.clear();
    const QStringList& paths = recent_.paths();
    recentPlaceholder_->setVisible(paths.isEmpty());
    for (int i = 0; i < paths.size(); ++i) {
        const QString path = paths[i];
        auto* action =
            new QAction(QString("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)), this);
        action->setStatusTip("Open this document");
        connect(action, &QAction::triggered, this, [this, path] {
            if (documentCommands_->SaveModified()) documentCommands_->OpenDocumentFile(path);
            updateFromDocument();
        });
        fileMenu_->insertAction(recentEnd_, action);
        recentActions_.append(action);
        actions_.insert(ID_FILE_MRU_FILE1 + i, action);
    }
}

void CMainFrame::createToolBar() {
    toolBar_ = addToolBar("Toolbar");
    toolBar_->setObjectName("toolbar");
    toolBar_->setIconSize(QSize(kToolButtonWidth, kToolButtonHeight));
    toolBar_->setMovable(false);
    const QImage strip = loadPicture(kToolbarPicture);
    int image = 0;
    // Receive | Open, Save as Cubase | Unselect all | About
    constexpr int kSeparator = 0;
    for (int command : {int(ID_FILE_RECEIVE), kSeparator, int(ID_FILE_OPEN), int(ID_FILE_SAVE_AS),
                        kSeparator, int(ID_EDIT_UNSELECT_ALL), kSeparator, int(ID_APP_ABOUT)}) {
        if (command == kSeparator) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* action = actions_[command];
        action->setIcon(toolbarIcon(strip, image++));
        toolBar_->addAction(action);
    }
    // The menus show text only; the pictures belong to the toolbar.
    for (QAction* action : std::as_const(actions_)) action->setIconVisibleInMenu(false);
}

void CMainFrame::createStatusBar() {
    countPane_ = new QLabel(this);
    countPane_->setObjectName("countPane");
    countPane_->setAlignment(Qt::AlignCenter);
    countPane_->setMinimumWidth(countPane_->fontMetrics().horizontalAdvance("000") + 8);
    statusBar()->addPermanentWidget(countPane_);
    // "Ready" is the idle message: whenever a message goes (a menu's or a button's prompt when
    // the mouse leaves it), it comes back.
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& message) {
        if (message.isEmpty()) statusBar()->showMessage("Ready");
    });
    statusBar()->showMessage("Ready");
}

void CMainFrame::updateFromDocument() {
    setWindowTitle(QString::fromStdString(doc_.title) + " - " + kAppTitle);
    const bool hasKit = doc_.HasKit();
    for (int command : {ID_FILE_SAVE_AS, ID_FILE_SAVE_THEDRUM, ID_FILE_SAVE_MASTERDRUM})
        actions_[command]->setEnabled(hasKit);
    exportMenu_->menuAction()->setEnabled(hasKit);
    for (QAction* action : exportMenu_->actions()) action->setEnabled(hasKit);
    actions_[ID_EDIT_UNSELECT_ALL]->setEnabled(hasKit && doc_.SelectedCount() > 0);
    countPane_->setEnabled(hasKit);
    countPane_->setText(hasKit ? QString::asprintf("%03i", doc_.SelectedCount()) : QString());
    rebuildRecentFiles();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (documentCommands_->SaveModified())
        event->accept();
    else
        event->ignore();
}

} // namespace pulvex_app
