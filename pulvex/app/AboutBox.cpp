#include "AboutBox.h"

#include "DialogUnits.h"
#include "Pictures.h"
#include "midi/Backend.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <string>

namespace pulvex_app {

QuenbyPicture::QuenbyPicture(QWidget* parent)
    : QWidget(parent), picture_(loadPicture(kAboutPicture)),
      stamp128_(loadPicture(kStampPicture128)), stamp129_(loadPicture(kStampPicture129)) {
    setObjectName("aboutPicture");
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
    setCursor(Qt::PointingHandCursor);
}

void QuenbyPicture::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (!picture_.isNull()) painter.drawImage(QPoint(0, 0), picture_);
    // A paint inside the stamps' area (a new stamp) keeps them all; any other paint (the window
    // covered and uncovered, resized, ...) shows the bare picture again.
    if (!(event->region() - stampArea_).isEmpty()) {
        stamps_.clear();
        stampArea_ = QRegion();
    }
    for (const Stamp& stamp : std::as_const(stamps_))
        painter.drawImage(stamp.at, stamp.right ? stamp129_ : stamp128_);
}

void QuenbyPicture::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        const bool right = event->button() == Qt::RightButton;
        const QPoint at = event->position().toPoint();
        stamps_.append({at, right});
        const QRect area(at, (right ? stamp129_ : stamp128_).size().expandedTo(QSize(1, 1)));
        stampArea_ += area;
        update(area);
    }
    QWidget::mousePressEvent(event);
}

CAboutDlg::CAboutDlg(QWidget* mainWindow) : QDialog(mainWindow), mainWindow_(mainWindow) {
    setWindowTitle("About Pulvex for Windows");
    QFont font("MS Sans Serif");
    font.setPointSize(8);
    setFont(font);
    setFixedSize(dialogUnits(*this, 0, 0, 322, 191).size());

    picture_ = new QuenbyPicture(this);
    picture_->setGeometry(dialogUnits(*this, 5, 5, 164, 180));

    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap::fromImage(loadPicture(kProgramIcon)).scaled(32, 32));
    icon->move(dialogUnits(*this, 180, 11, 0, 0).topLeft());
    auto* version = new QLabel(kAboutVersion, this);
    version->setGeometry(dialogUnits(*this, 205, 5, 115, 8));
    const std::string builtWith =
        std::string("Built with Qt and ") + midi::systemMidiLibrary() + ".";
    const char* details[] = {"Reads drum kits from the Pulvex", "rhythm module and saves them",
                             "as sequencer drum maps.", "", builtWith.c_str()};
    int y = 24;
    for (const char* text : details) {
        auto* label = new QLabel(text, this);
        label->setGeometry(dialogUnits(*this, 205, y, 115, 8));
        y += 8;
    }
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(dialogUnits(*this, 180, 63, 135, 65));
    auto* frameText = new QLabel("Use the MIDI ports of your\ncomputer; set them up with\n"
                                 "Options, Setup.",
                                 frame);
    frameText->setGeometry(6, 6, frame->width() - 12, frame->height() - 12);

    auto* ok = new QPushButton("OK", this);
    ok->setDefault(true);
    ok->setGeometry(dialogUnits(*this, 212, 153, 70, 25));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void CAboutDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!mainWindow_) return;
    // Centred over the main window's client area when it is smaller in both directions.
    const QWidget* client = mainWindow_;
    if (width() < client->width() && height() < client->height())
        move(client->mapToGlobal(client->rect().center()) - rect().center());
}

} // namespace pulvex_app
