// Klangor, the Morvex voice editor.
#include "Main.h"

#include "Icon.h"
#include "cli/WindowProgram.h"
#include <QApplication>

#include <QIcon>
#include <QPixmap>

namespace {

constexpr const char* kUsage =
    "usage: klangor [QT-OPTION ...]\n"
    "       klangor --help | --version\n"
    "Klangor, the Morvex voice editor: opens its window. QT-OPTION: Qt's own, such as\n"
    "-platform NAME or -style NAME.\n";

} // namespace

int main(int argc, char** argv) {
    if (auto status = cli::answerHelpOrVersion("klangor", kUsage, {argv + 1, argv + argc}))
        return *status;
    QApplication application(argc, argv); // takes Qt's own options out of argv
    if (auto status = cli::refuseUnknownOptions("klangor", kUsage, {argv + 1, argv + argc}, {}))
        return *status;
    QApplication::setApplicationName("Klangor");
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(klangor::klangorIcon(128))));
    morvex::MorvexState voice;
    klangor::THaupt window(voice);
    window.session().useMidiSettings(morvex::readMidiSettings(morvex::midiSettingsPath()));
    window.showMaximized();
    window.Initialize();
    return QApplication::exec();
}
