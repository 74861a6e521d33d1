#include "SplashWindow.h"

#include "DialogUnits.h"
#include "Pictures.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace pulvex_app {
namespace {

constexpr const char* kDisclaimer[] = {
    "This program is free software. It comes without any",
    "warranty, to the extent permitted by law. Keep copies",
    "of your kits: a program that talks to an instrument",
    "can lose or change what the instrument holds.",
    "Pulvex reads kits over MIDI and writes drum maps",
    "for three sequencer programs.",
};

QLabel* textAt(QWidget* parent, const QString& text, const QRect& where) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(where);
    return label;
}

} // namespace

CSplashWnd::CSplashWnd() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("splash");
    QFont font("Helvetica");
    font.setPointSize(8);
    setFont(font);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(192, 192, 192));
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    setFixedSize(dialogUnits(*this, 0, 0, 333, 110).size());

    auto* picture = new QLabel(this);
    picture->setObjectName("splashPicture");
    picture->setFrameStyle(QFrame::Panel | QFrame::Raised);
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(QPixmap::fromImage(loadPicture(kSplashPicture)));
    picture->setGeometry(dialogUnits(*this, 6, 6, 131, 94));

    textAt(this, kSplashVersion, dialogUnits(*this, 142, 12, 188, 8));
    textAt(this, "Drum kits of the Pulvex module as sequencer drum maps",
           dialogUnits(*this, 142, 22, 188, 8));
    auto* line = new QFrame(this);
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    line->setGeometry(dialogUnits(*this, 142, 35, 188, 2));
    int y = 43;
    for (const char* text : kDisclaimer) {
        textAt(this, text, dialogUnits(*this, 142, y, 188, 8));
        y += 9;
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

} // namespace pulvex_app
