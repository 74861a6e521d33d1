// Klangor, the Morvex voice editor.
#include "Main.h"

#include "Icon.h"
#include <QApplication>

#include <QIcon>
#include <QPixmap>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Klangor");
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(klangor::klangorIcon(128))));
    morvex::MorvexState voice;
    klangor::THaupt window(voice);
    window.session().useMidiSettings(morvex::readMidiSettings(morvex::midiSettingsPath()));
    window.showMaximized();
    window.Initialize();
    return QApplication::exec();
}
