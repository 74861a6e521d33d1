// Pulvex: reads a drum kit from the Pulvex module and saves it as a sequencer drum map.
#include "PulvexApplication.h"
#include "cli/WindowProgram.h"

#include <QApplication>

namespace {

constexpr const char* kUsage =
    "usage: pulvex [--no-splash] [QT-OPTION ...]\n"
    "       pulvex --help | --version\n"
    "Pulvex reads drum kits from the Pulvex module and saves them as drum maps: opens its window.\n"
    "  --no-splash  start without the splash window\n"
    "QT-OPTION: Qt's own, such as -platform NAME or -style NAME.\n";

} // namespace

int main(int argc, char** argv) {
    if (auto status = cli::answerHelpOrVersion("pulvex", kUsage, {argv + 1, argv + argc}))
        return *status;
    QApplication application(argc, argv); // takes Qt's own options out of argv
    if (auto status =
            cli::refuseUnknownOptions("pulvex", kUsage, {argv + 1, argv + argc}, {"--no-splash"}))
        return *status;
    QApplication::setApplicationName("Pulvex");
    pulvex_app::CPulvexApp app(pulvex::SettingsStore(),
                               pulvex_app::startOptionsFromArguments(QApplication::arguments()));
    app.InitInstance();
    return QApplication::exec();
}
