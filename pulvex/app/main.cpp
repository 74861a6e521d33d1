// Pulvex: reads a drum kit from the Pulvex module and saves it as a sequencer drum map.
#include "PulvexApplication.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Pulvex");
    pulvex_app::CPulvexApp app(pulvex::SettingsStore(),
                               pulvex_app::startOptionsFromArguments(QApplication::arguments()));
    app.InitInstance();
    return QApplication::exec();
}
