// pulvex-screenshots FOLDER: pictures of Pulvex's main states, drawn on the offscreen platform:
// the empty window, a kit with a selection, the three setup pages and the about box; then the kit
// again in a dark palette (pulvex-kit-dark.png), and File > Export as opened over the window
// (pulvex-export-menu.png).
#include "AboutBox.h"
#include "MainFrame.h"
#include "PulvexApplication.h"
#include "PulvexView.h"
#include "SetupSheet.h"
#include "UserDialogs.h"
#include "testing/DarkPalette.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

namespace {

bool save(QWidget& window, const QString& path) {
    QApplication::processEvents();
    if (window.grab().save(path)) {
        std::printf("%s\n", qPrintable(path));
        return true;
    }
    std::fprintf(stderr, "pulvex-screenshots: cannot write %s\n", qPrintable(path));
    return false;
}

// The window with File and its Export as submenu open: the menus are windows of their own, drawn
// onto the window's picture where they stand.
bool saveExportMenu(pulvex_app::CMainFrame& frame, const QString& path) {
    QMenu* file = frame.fileMenu();
    QMenu* exports = frame.exportMenu();
    file->popup(frame.menuBar()->mapToGlobal(
        frame.menuBar()->actionGeometry(file->menuAction()).bottomLeft()));
    QApplication::processEvents();
    const QRect item = file->actionGeometry(exports->menuAction());
    exports->popup(file->mapToGlobal(item.topRight()));
    QApplication::processEvents();
    QPixmap picture = frame.grab();
    {
        QPainter painter(&picture);
        for (QMenu* menu : {file, exports})
            painter.drawPixmap(menu->pos() - frame.pos(), menu->grab());
    }
    exports->hide();
    file->hide();
    if (picture.save(path)) {
        std::printf("%s\n", qPrintable(path));
        return true;
    }
    std::fprintf(stderr, "pulvex-screenshots: cannot write %s\n", qPrintable(path));
    return false;
}

// A kit as the module would give it: sounds from the built-in list on keys 35 up.
void fillExampleKit(pulvex_app::CPulvexApp& app) {
    pulvex::CPulvexDoc& doc = app.document();
    doc.ResetAllKeys(app.settings());
    const int sounds[] = {0, 130, 260, 131, 390, 261, 520, 262, 650, 263, 780, 264};
    for (int i = 0; i < pulvex::kKitKeys; ++i) {
        std::string name = app.names().Name(sounds[i % std::size(sounds)] + i / 12);
        if (name.empty()) name = app.names().Name(i);
        doc.SetKeySound(i, name, pulvex::kFirstKitNote + i);
    }
    for (int key : {0, 2, 5, 6}) doc.ToggleSelected(key);
    doc.title = "Rock_1";
    doc.modified = true;
    doc.changed();
    pulvex_app::CPulvexView& view = app.frame()->view();
    view.OnUpdate();
    // The keyboard's current row, where the arrow keys left it.
    app.frame()->activateWindow();
    view.setFocus();
    view.setCurrentIndex(view.model()->index(9, 0));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pulvex-screenshots FOLDER\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "pulvex-screenshots: cannot create %s\n", qPrintable(folder));
        return 1;
    }
    // Settings of its own, so that the pictures show the defaults and the user's file stays.
    QTemporaryDir settingsDir;
    pulvex_app::StartOptions options;
    options.splash = false;
    pulvex_app::CPulvexApp app(
        pulvex::SettingsStore(settingsDir.filePath("Pulvex.ini").toStdString()), options);
    app.InitInstance();
    pulvex_app::CMainFrame& frame = *app.frame();
    frame.resize(900, 560);

    bool ok = save(frame, folder + "/pulvex-empty.png");
    fillExampleKit(app);
    ok = save(frame, folder + "/pulvex-kit.png") && ok;

    pulvex_app::CSetupSheet sheet(app.settings(), &frame);
    sheet.show();
    const char* pages[] = {"midi", "drumset", "patchbay"};
    for (int i = 0; i < 3; ++i) {
        sheet.tabs->setCurrentIndex(i);
        ok = save(sheet, folder + "/pulvex-setup-" + pages[i] + ".png") && ok;
    }
    pulvex_app::CAboutDlg about(&frame);
    about.show();
    ok = save(about, folder + "/pulvex-about.png") && ok;
    about.hide();
    sheet.hide();
    frame.activateWindow();
    frame.view().setFocus();
    ok = saveExportMenu(frame, folder + "/pulvex-export-menu.png") && ok;

    // The kit on a desktop with a dark theme.
    QApplication::setStyle("Fusion");
    QApplication::setPalette(testing_support::darkPalette());
    ok = save(frame, folder + "/pulvex-kit-dark.png") && ok;
    return ok ? 0 : 1;
}
