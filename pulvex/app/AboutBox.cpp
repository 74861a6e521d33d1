#include "AboutBox.h"

#include "DialogUnits.h"
#include "Pictures.h"
#include "midi/Backend.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
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
    const auto units = [this](int across, int down) {
        return dialogUnits(*this, 0, 0, across, down).size();
    };

    picture_ = new QuenbyPicture(this);
    picture_->setFixedSize(units(164, 180));

    // The texts are laid out, not placed: whatever font the system substitutes and whatever the
    // scale, each label gets the room its text needs and the box grows around them.
    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap::fromImage(loadPicture(kProgramIcon)).scaled(32, 32));
    auto* texts = new QVBoxLayout;
    texts->setSpacing(0);
    texts->addWidget(new QLabel(kAboutVersion, this));
    texts->addSpacing(units(0, 11).height());
    const std::string builtWith =
        std::string("Built with Qt and ") + midi::systemMidiLibrary() + ".";
    const char* details[] = {"Reads drum kits from the Pulvex", "rhythm module and saves them",
                             "as sequencer drum maps.", "", builtWith.c_str()};
    for (const char* text : details) texts->addWidget(new QLabel(text, this));
    auto* heading = new QHBoxLayout;
    heading->setSpacing(units(7, 0).width());
    heading->addWidget(icon, 0, Qt::AlignTop);
    heading->addLayout(texts, 1);

    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setMinimumSize(units(135, 65));
    auto* frameText = new QLabel("Use the MIDI ports of your\ncomputer; set them up with\n"
                                 "Options, Setup.",
                                 frame);
    frameText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(6, 6, 6, 6);
    frameLayout->addWidget(frameText);

    auto* ok = new QPushButton("OK", this);
    ok->setDefault(true);
    ok->setMinimumSize(units(70, 25));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* column = new QVBoxLayout;
    column->setContentsMargins(0, units(0, 1).height(), 0, 0);
    column->addLayout(heading);
    column->addSpacing(units(0, 4).height());
    column->addWidget(frame);
    column->addStretch(1);
    column->addWidget(ok, 0, Qt::AlignHCenter);

    auto* layout = new QHBoxLayout(this);
    const QSize margin = units(5, 5);
    layout->setContentsMargins(margin.width(), margin.height(), margin.width(), margin.height());
    layout->setSpacing(units(11, 0).width());
    layout->addWidget(picture_, 0, Qt::AlignTop);
    layout->addLayout(column, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
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
