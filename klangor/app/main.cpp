// Klangor, the Morvex voice editor.
#include "Main.h"

#include "Icon.h"
#include "Services.h"
#include <QApplication>

#include <QIcon>
#include <QPixmap>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Klangor");
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(klangor::klangorIcon(128))));
    klangor::useMidiSettings(morvex::readMidiSettings(morvex::midiSettingsPath()));
    klangor::THaupt window;
    window.showMaximized();
    window.Initialize();
    return QApplication::exec();
}
