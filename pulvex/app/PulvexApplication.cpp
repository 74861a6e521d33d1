#include "PulvexApplication.h"

#include "AboutBox.h"
#include "DocumentCommands.h"
#include "MainFrame.h"
#include "PulvexView.h"
#include "ReceiveAllKits.h"
#include "RecentFiles.h"
#include "SetupCommand.h"
#include "SplashWindow.h"
#include "UserDialogs.h"
#include "WindowReceptionUi.h"
#include "pulvex/model/Reception.h"
#include "wirebox/Wirebox.h"

#include <QApplication>
#include <QFileInfo>
#include <QPalette>
#include <QSettings>
#include <QTimer>

namespace pulvex_app {
namespace {

// Wirebox's messages (it has some only while opening the ports) as error boxes.
void WIREBOX_CALL showWireboxMessage(const char* caption, const char* text, void*) {
    userDialogs().message(QApplication::activeWindow(), QMessageBox::Critical,
                          caption ? QString::fromLocal8Bit(caption) : QString(),
                          QString::fromLocal8Bit(text), QMessageBox::Ok);
}

// Qt's file dialog remembers its folders and view in the user scope of QSettings ("QtProject"),
// by default in the user's config folder: that goes beside the settings file instead, so that a
// run on a settings file of its own writes nothing anywhere else.
void keepQtSettingsBeside(const pulvex::SettingsStore& settings) {
    if (settings.path().empty()) return;
    const QString folder = QFileInfo(QString::fromStdString(settings.path())).absolutePath();
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, folder);
}

} // namespace

StartOptions startOptionsFromArguments(const QStringList& arguments) {
    StartOptions options;
    options.splash = !arguments.contains("--no-splash");
    return options;
}

CPulvexApp::CPulvexApp(pulvex::SettingsStore settings, StartOptions options,
                       pulvex::WireboxBinding wirebox)
    : settings_(std::move(settings)), options_(std::move(options)), wirebox_(wirebox) {
    SetMessageHandler(&showWireboxMessage);
}

CPulvexApp::~CPulvexApp() {
    SetMessageHandler(nullptr);
    delete splash_.data();
}

void CPulvexApp::InitInstance() {
    if (options_.splash) {
        splash_ = options_.makeSplash ? options_.makeSplash() : new CSplashWnd;
        if (splash_) {
            splash_->show();
            splash_->repaint();
        }
    }
    splashTime_.start();

    // Grey dialogs with black text.
    QPalette colours = QApplication::palette();
    colours.setColor(QPalette::Window, QColor(192, 192, 192));
    colours.setColor(QPalette::WindowText, Qt::black);
    QApplication::setPalette(colours, "QDialog");

    keepQtSettingsBeside(settings_);
    recent_ = std::make_unique<RecentFiles>(QString::fromStdString(settings_.path()));
    frame_ = std::make_unique<CMainFrame>(
        doc_, *recent_,
        ApplicationCommands{[this] { OnReceive(); }, [this] { OnSetup(); }, [this] { OnAbout(); },
                            [this] { OnReceiveAll(); }});
    doc_.onChanged = [this] { frame_->updateFromDocument(); };
    frame_->documentCommands().keepLastFolderIn(settings_);
    frame_->documentCommands().OnFileNew();

    names_.Load();

    if (!splash_) {
        showMainWindow();
        return;
    }
    const int remaining =
        std::max<qint64>(0, options_.splashMilliseconds - splashTime_.elapsed() + 1);
    // A coarse timer, Qt's choice for long waits, may fire up to 5 % early.
    QTimer::singleShot(remaining, Qt::PreciseTimer, this, &CPulvexApp::onSplashTimeout);
}

void CPulvexApp::onSplashTimeout() {
    // Once the time has passed, at the next idle moment.
    QTimer::singleShot(0, this, [this] {
        delete splash_.data();
        showMainWindow();
    });
}

void CPulvexApp::showMainWindow() {
    frame_->show();
    frame_->repaint();
    emit mainWindowShown();
}

void CPulvexApp::OnReceive() {
    // Events are dispatched while an exchange waits; a second one must not start meanwhile.
    if (exchangeRunning_) return;
    exchangeRunning_ = true;
    {
        WindowReceptionUi ui(*frame_);
        pulvex::KitReception reception(wirebox_, settings_, names_, ui, options_.replyTimeOut);
        if (reception.ReceiveCommand(doc_)) frame_->view().OnUpdate();
    }
    exchangeRunning_ = false;
    frame_->updateFromDocument();
}

void CPulvexApp::OnReceiveAll() {
    if (exchangeRunning_) return;
    exchangeRunning_ = true;
    receiveAllKits(*frame_, wirebox_, settings_, names_, options_.replyTimeOut);
    exchangeRunning_ = false;
}

void CPulvexApp::OnSetup() {
    runSetupCommand(frame_.get(), settings_);
}

void CPulvexApp::OnAbout() {
    CAboutDlg about(frame_.get());
    userDialogs().run(about);
}

} // namespace pulvex_app
