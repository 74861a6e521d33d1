// klangor-screenshots FOLDER [WIDTHxHEIGHT]: pictures of the main window with each editor page,
// drawn on the offscreen platform, saved as FOLDER/klangor-<page>.png (and klangor-main.png,
// klangor-midi-setup.png), and the progress window of Receive from Morvex (klangor-receive.png);
// then the Tone page and the graph window again in a dark palette (klangor-tone-dark.png,
// klangor-graph-dark.png).
#include "Audiogra.h"
#include "EditPage.h"
#include "Envelope.h"
#include "HelpWindow.h"
#include "Icon.h"
#include "Main.h"
#include "MidiSetupDialog.h"
#include "PageRegistry.h"
#include "ReceiveProgress.h"
#include "Session.h"
#include "testing/DarkPalette.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QPushButton>
#include <cstdio>

namespace {

// Opens the Envelope page's graph window from its button.
QWidget* openGraph(klangor::THaupt& window) {
    auto* envelope = qobject_cast<klangor::TFEnvelope*>(window.activePageWidget());
    if (!envelope) return nullptr;
    if (auto* button = envelope->findChild<QPushButton*>("EnvGra")) button->click();
    return envelope->graphWindow();
}

bool save(QWidget& window, const QString& path) {
    QApplication::processEvents();
    if (window.grab().save(path)) {
        std::printf("%s\n", qPrintable(path));
        return true;
    }
    std::fprintf(stderr, "klangor-screenshots: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: klangor-screenshots FOLDER [WIDTHxHEIGHT]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(klangor::klangorIcon(64))));
    const QString folder = QString::fromLocal8Bit(argv[1]);
    int width = 1100, height = 760;
    if (argc > 2 && std::sscanf(argv[2], "%dx%d", &width, &height) != 2) {
        std::fprintf(stderr, "klangor-screenshots: size must be WIDTHxHEIGHT\n");
        return 2;
    }
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "klangor-screenshots: cannot create %s\n", qPrintable(folder));
        return 1;
    }

    morvex::MorvexState voice;
    klangor::THaupt window(voice);
    // Nothing may wait for a click here: boxes go to standard error instead.
    klangor::Session& session = window.session();
    QObject::disconnect(&session, &klangor::Session::reportRequested, nullptr, nullptr);
    QObject::connect(
        &session, &klangor::Session::reportRequested, [](const morvex::Report& report) {
            std::fprintf(stderr, "%s: %s\n", report.caption.c_str(), report.text.c_str());
        });
    window.resize(width, height);
    window.show();
    window.Initialize();

    bool ok = save(window, folder + "/klangor-main.png");
    for (const klangor::PageInfo& page : klangor::registeredPages()) {
        if (!page.create) continue;
        window.showPage(page.name);
        ok = save(window, folder + "/klangor-" + page.name.mid(1).toLower() + ".png") && ok;
        if (QWidget* graph = openGraph(window))
            ok = save(*graph, folder + "/klangor-graph.png") && ok;
    }
    // The window Receive from Morvex shows while it waits (shown only: nothing is received).
    klangor::ReceiveProgress progress(&window, session.receiveOptions());
    progress.show();
    ok = save(progress, folder + "/klangor-receive.png") && ok;
    // The MIDI setup, with ports of a typical session; the stored input is not there now.
    klangor::MidiSetupDialog setup(
        {"Morvex Emulator In:MIDI In", "USB MIDI Interface:out", 1, 40, true},
        {"Morvex Emulator In:MIDI In", "Synth:Synth MIDI 1"}, {"Synth:Synth MIDI 1"});
    setup.show();
    ok = save(setup, folder + "/klangor-midi-setup.png") && ok;
    setup.hide();
    progress.hide();
    // Comparing an edited voice with the original, and the manual in Klangor's own help window.
    window.showPage("FFMEdit");
    if (auto* random = window.activePageWidget()->findChild<QPushButton*>("RandFMB"))
        random->click();
    window.setComparing(true);
    ok = save(window, folder + "/klangor-compare.png") && ok;
    window.setComparing(false);
    session.requestHelp(1400);
    if (QWidget* help = window.helpWindow()) {
        help->resize(760, 560);
        ok = save(*help, folder + "/klangor-help.png") && ok;
    }

    // The same windows on a desktop with a dark theme.
    QApplication::setStyle("Fusion");
    QApplication::setPalette(testing_support::darkPalette());
    window.showPage("FTone");
    ok = save(window, folder + "/klangor-tone-dark.png") && ok;
    window.showPage("FEnvelope");
    if (QWidget* graph = openGraph(window))
        ok = save(*graph, folder + "/klangor-graph-dark.png") && ok;
    session.requestHelp(1400);
    if (QWidget* help = window.helpWindow())
        ok = save(*help, folder + "/klangor-help-dark.png") && ok;
    return ok ? 0 : 1;
}
