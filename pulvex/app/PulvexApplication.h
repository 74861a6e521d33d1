#pragma once
// The application object: start-up with the splash window, the single document and its frame,
// the wave-name table, and the commands that are the application's own (receive, setup, about).

#include "SplashWindow.h"
#include "pulvex/model/PulvexDoc.h"
#include "pulvex/model/Reception.h"
#include "pulvex/model/Settings.h"
#include "pulvex/model/WaveNameTable.h"
#include "pulvex/model/WireboxBinding.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <chrono>
#include <functional>
#include <memory>

namespace pulvex_app {

class CMainFrame;
class RecentFiles;

struct StartOptions {
    bool splash = true; // false with --no-splash
    int splashMilliseconds = 2500;
    // Makes the splash window; a null result means it could not be made (start-up goes on).
    std::function<CSplashWnd*()> makeSplash;
    // How long a reception waits for each reply of the module.
    std::chrono::milliseconds replyTimeOut = pulvex::kReplyTimeOut;
};

// The options of a command line: "--no-splash" turns the splash window off.
StartOptions startOptionsFromArguments(const QStringList& arguments);

class CPulvexApp : public QObject {
    Q_OBJECT
public:
    CPulvexApp(pulvex::SettingsStore settings, StartOptions options,
               pulvex::WireboxBinding wirebox = pulvex::linkedWirebox());
    ~CPulvexApp() override;

    // Splash window, settings, document and frame, wave names; the frame shows itself at once
    // without a splash window, else once the program is idle and the splash time has passed.
    void InitInstance();

    CMainFrame* frame() const { return frame_.get(); }
    CSplashWnd* splash() const { return splash_; }
    pulvex::CPulvexDoc& document() { return doc_; }
    pulvex::WaveNameTable& names() { return names_; }
    pulvex::SettingsStore& settings() { return settings_; }
    bool exchangeRunning() const { return exchangeRunning_; }

    void OnReceive();
    void OnReceiveAll();
    void OnSetup();
    void OnAbout();

signals:
    void mainWindowShown();

private:
    void showMainWindow();
    void onSplashTimeout();

    pulvex::SettingsStore settings_;
    StartOptions options_;
    pulvex::WireboxBinding wirebox_;
    pulvex::CPulvexDoc doc_;
    pulvex::WaveNameTable names_;
    std::unique_ptr<RecentFiles> recent_;
    std::unique_ptr<CMainFrame> frame_;
    QPointer<CSplashWnd> splash_;
    QElapsedTimer splashTime_;
    bool exchangeRunning_ = false;
};

} // namespace pulvex_app
