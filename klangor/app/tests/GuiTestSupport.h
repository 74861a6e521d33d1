#pragma once
// Helpers of Klangor's window tests: a start folder with the data files, captured message boxes
// and status notes, and mouse clicks that reach a widget the way a user's do.

#include "Main.h"
#include "Session.h"
#include "morvex/MorvexState.h"
#include "morvex/Report.h"
#include "testing/TempDir.h"

#include <QObject>
#include <QPoint>
#include <QString>
#include <filesystem>
#include <string>
#include <vector>

class QWidget;

namespace klangor {

// Copies initial.syx, morvex.lst and a morvex.dev holding `device` into dir and makes dir the
// current folder, so THaupt::Initialize finds them there; the old current folder comes back after.
class StartDirFixture {
public:
    explicit StartDirFixture(const testing_support::TempDir& dir, const std::string& device = "0");
    ~StartDirFixture();

private:
    std::filesystem::path previous_;
};

// Every message box of the session, in order, instead of a modal box.
class ReportCapture {
public:
    explicit ReportCapture(Session& session);
    std::vector<morvex::Report> reports;

private:
    QObject scope_; // the connections end with the capture
};

// Status notes in order. Sends report from their worker, so reading the notes first waits until
// every send made so far has reported.
class Notes {
public:
    explicit Notes(Session& session) : session_(session) {}
    std::size_t size() const { return settled().size(); }
    bool empty() const { return settled().empty(); }
    const QString& operator[](std::size_t index) const { return settled()[index]; }
    void push_back(const QString& note) { list_.push_back(note); }

private:
    const std::vector<QString>& settled() const;
    Session& session_;
    std::vector<QString> list_;
};

// Every status note and every help page asked for in the session.
class NoteCapture {
public:
    explicit NoteCapture(Session& session);
    Notes notes;
    std::vector<QUrl> helpPages;

private:
    QObject scope_; // the connections end with the capture
};

// The main window on a start folder of its own (its morvex.dev holding `device`), with its message
// boxes and status notes captured; neither shown nor initialised yet.
struct MainWindowUnderTest {
    explicit MainWindowUnderTest(const std::string& device = "0") : start(dir, device) {}
    testing_support::TempDir dir;
    StartDirFixture start;
    morvex::MorvexState state;
    THaupt window{state};
    ReportCapture boxes{window.session()};
    NoteCapture notes{window.session()};
};

// LoadVoiceFile and DecodeVoice of state.startDir/initial.syx; false when it failed.
bool loadInitialVoice(morvex::MorvexState& state);

// A press and release of `button` at `position` (the widget's centre when null), sent to the
// widget itself as the window system would deliver it; a right click opens no context menu.
void click(QWidget* widget, Qt::MouseButton button, QPoint position = {});
inline void leftClick(QWidget* widget, QPoint position = {}) {
    click(widget, Qt::LeftButton, position);
}
inline void rightClick(QWidget* widget, QPoint position = {}) {
    click(widget, Qt::RightButton, position);
}

// A point of the page's own background (no control under it), after giving the page room; null
// when the controls cover it all.
QPoint backgroundPoint(QWidget* page);

// The caption as the window system shows it: "[*]" is "*" while the window is modified.
QString shownCaption(const QWidget& window);

// The data folder of the sources.
std::filesystem::path dataDir();

} // namespace klangor
