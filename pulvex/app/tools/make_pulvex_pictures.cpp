// make-pulvex-pictures DIR: draws Pulvex's pictures and its icon and writes them as PNG files
// into DIR.
// make-pulvex-pictures --icon OUT.png SIZE: draws the icon alone at SIZE pixels, for the desktop.
//
// Everything is drawn from shapes with antialiasing off and no fonts: the result depends on
// nothing installed on the machine, so the committed files can be checked against a fresh run.
// The version lines and all other words belong to the dialogs, not to the pictures.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <QString>
#include <QVector>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <set>
#include <vector>

namespace {

using Draw = std::function<void(QPainter&)>;

// The sixteen colours of the splash picture.
const QVector<QRgb> kSixteen = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};

QImage canvas(int width, int height, QColor background, const Draw& draw) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(background);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    draw(painter);
    return image;
}

void pen(QPainter& p, QColor colour, int width = 1) {
    p.setPen(colour.alpha() == 0 ? QPen(Qt::NoPen) : QPen(colour, width));
}

// A drum seen slightly from above: shell, lower rim, head and lugs.
void drum(QPainter& p, QRect body, QColor shell, QColor head, QColor rim) {
    const int lid = body.height() / 4;
    const QRect top(body.left(), body.top() - lid / 2, body.width(), lid);
    const QRect bottom(body.left(), body.bottom() - lid / 2, body.width(), lid);
    pen(p, rim);
    p.setBrush(shell);
    p.drawEllipse(bottom);
    p.setPen(Qt::NoPen);
    p.drawRect(body.left(), top.center().y(), body.width(), bottom.center().y() - top.center().y());
    pen(p, rim);
    p.drawLine(body.left(), top.center().y(), body.left(), bottom.center().y());
    p.drawLine(body.right(), top.center().y(), body.right(), bottom.center().y());
    for (int x = body.left() + body.width() / 6; x < body.right() - 2; x += body.width() / 3)
        p.drawLine(x, top.center().y() + 2, x, bottom.center().y() - 1);
    p.setBrush(head);
    p.drawEllipse(top);
}

// A cymbal on its stand.
void cymbal(QPainter& p, QPoint centre, int radius, QColor metal, QColor stand) {
    pen(p, stand, 2);
    p.drawLine(centre, centre + QPoint(0, radius * 2));
    pen(p, stand);
    p.setBrush(metal);
    p.drawEllipse(QRect(centre.x() - radius, centre.y() - radius / 4, radius * 2, radius / 2));
    p.drawEllipse(QRect(centre.x() - 2, centre.y() - 2, 4, 3));
}

// The front of the rhythm module: a display and a field of pads, one of them lit.
void module(QPainter& p, QRect front, QColor panel, QColor display, QColor pad, QColor lit) {
    pen(p, Qt::black);
    p.setBrush(panel);
    p.drawRect(front);
    p.setBrush(display);
    const QRect screen(front.left() + 6, front.top() + 6, front.width() * 2 / 5,
                       front.height() / 4);
    p.drawRect(screen);
    const int size = front.height() / 4, gap = size / 3;
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 4; ++column) {
            p.setBrush(row == 1 && column == 2 ? lit : pad);
            p.drawRect(front.right() - 4 * (size + gap) + column * (size + gap),
                       front.top() + 6 + row * (size + gap), size, size);
        }
    for (int knob = 0; knob < 3; ++knob) {
        p.setBrush(pad);
        p.drawEllipse(QPoint(front.left() + 10 + knob * 14, front.bottom() - 9), 4, 4);
    }
}

QImage splash() {
    return canvas(185, 150, QColor(0, 0, 128), [](QPainter& p) {
        // Sound waves spreading from the kit.
        pen(p, QColor(0, 128, 128));
        p.setBrush(Qt::NoBrush);
        for (int r = 40; r < 230; r += 12) p.drawEllipse(QPoint(92, 118), r, r * 3 / 4);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 128, 128));
        p.drawRect(0, 132, 185, 18);
        cymbal(p, QPoint(30, 48), 22, QColor(255, 255, 0), QColor(192, 192, 192));
        cymbal(p, QPoint(156, 40), 24, QColor(255, 255, 0), QColor(192, 192, 192));
        drum(p, QRect(52, 58, 34, 22), QColor(255, 0, 0), QColor(255, 255, 255), Qt::black);
        drum(p, QRect(100, 54, 38, 24), QColor(255, 0, 0), QColor(255, 255, 255), Qt::black);
        // Bass drum, front view.
        pen(p, Qt::black, 2);
        p.setBrush(QColor(128, 0, 0));
        p.drawEllipse(QPoint(92, 104), 38, 38);
        p.setBrush(QColor(255, 255, 255));
        p.drawEllipse(QPoint(92, 104), 30, 30);
        p.setBrush(QColor(255, 0, 0));
        p.drawEllipse(QPoint(92, 104), 12, 12);
        drum(p, QRect(14, 96, 34, 28), QColor(128, 0, 0), QColor(192, 192, 192), Qt::black);
        drum(p, QRect(138, 94, 36, 30), QColor(128, 0, 0), QColor(192, 192, 192), Qt::black);
        // Stars of the hits.
        pen(p, QColor(0, 255, 255));
        for (const QPoint at : {QPoint(69, 40), QPoint(119, 34), QPoint(92, 60)}) {
            p.drawLine(at - QPoint(5, 0), at + QPoint(5, 0));
            p.drawLine(at - QPoint(0, 5), at + QPoint(0, 5));
            p.drawLine(at - QPoint(3, 3), at + QPoint(3, 3));
            p.drawLine(at - QPoint(3, -3), at + QPoint(3, -3));
        }
    });
}

QImage about() {
    return canvas(247, 294, Qt::black, [](QPainter& p) {
        // An evening sky in bands, so the picture keeps to 256 colours without dithering.
        for (int y = 0; y < 190; y += 2) {
            const int t = y * 255 / 190;
            p.fillRect(0, y, 247, 2, QColor(20 + t * 3 / 4, 10 + t / 3, 90 - t / 4));
        }
        p.fillRect(0, 190, 247, 104, QColor(40, 30, 30));
        for (int x = -300; x < 247; x += 24) {
            pen(p, QColor(60, 48, 44));
            p.drawLine(x, 294, x + 300, 190);
        }
        pen(p, QColor(255, 220, 120));
        p.setBrush(QColor(255, 200, 90));
        p.drawEllipse(QPoint(190, 150), 34, 34);
        cymbal(p, QPoint(40, 122), 30, QColor(230, 190, 60), QColor(170, 170, 180));
        cymbal(p, QPoint(208, 104), 28, QColor(230, 190, 60), QColor(170, 170, 180));
        drum(p, QRect(74, 150, 44, 30), QColor(180, 30, 40), QColor(240, 240, 230), Qt::black);
        drum(p, QRect(132, 146, 48, 32), QColor(180, 30, 40), QColor(240, 240, 230), Qt::black);
        pen(p, Qt::black, 2);
        p.setBrush(QColor(120, 20, 30));
        p.drawEllipse(QPoint(124, 222), 48, 48);
        p.setBrush(QColor(235, 230, 215));
        p.drawEllipse(QPoint(124, 222), 38, 38);
        drum(p, QRect(16, 212, 50, 40), QColor(120, 20, 30), QColor(200, 200, 200), Qt::black);
        drum(p, QRect(184, 208, 50, 44), QColor(120, 20, 30), QColor(200, 200, 200), Qt::black);
        module(p, QRect(78, 200, 92, 44), QColor(70, 70, 80), QColor(120, 200, 120),
               QColor(160, 160, 170), QColor(255, 120, 40));
        // Shelf the module stands on.
        p.fillRect(QRect(70, 244, 108, 6), QColor(90, 60, 40));
    });
}

QImage emptyKit() {
    QImage picture = canvas(525, 69, Qt::white, [](QPainter& p) {
        // Left: the module sending over a cable; right: the table that a received kit fills.
        module(p, QRect(8, 14, 110, 42), Qt::white, Qt::black, Qt::white, Qt::black);
        pen(p, Qt::black, 3);
        p.setBrush(Qt::NoBrush);
        p.drawLine(118, 35, 200, 35);
        p.drawEllipse(QPoint(210, 35), 10, 10);
        p.setBrush(Qt::black);
        for (const QPoint pin :
             {QPoint(204, 33), QPoint(216, 33), QPoint(210, 29), QPoint(206, 39), QPoint(214, 39)})
            p.drawRect(pin.x() - 1, pin.y() - 1, 2, 2);
        // An arrow towards the table.
        p.drawPolygon(QPolygon({QPoint(236, 25), QPoint(268, 25), QPoint(268, 15), QPoint(290, 35),
                                QPoint(268, 55), QPoint(268, 45), QPoint(236, 45)}));
        pen(p, Qt::black);
        p.setBrush(Qt::NoBrush);
        const QRect table(310, 6, 206, 56);
        p.drawRect(table);
        p.fillRect(QRect(311, 7, 205, 9), Qt::black);
        for (int y = 16 + 8; y < table.bottom(); y += 8)
            for (int x = table.left() + 2; x < table.right(); x += 2) p.drawPoint(x, y);
        for (const int x : {370, 392, 414, 436, 458, 480, 498})
            for (int y = 16; y < table.bottom(); y += 2) p.drawPoint(x, y);
        p.fillRect(QRect(311, 33, 205, 7), Qt::black);
    });
    return picture.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
}

// Toolbar buttons and stamps sit on a transparent ground.
QImage button(const Draw& draw) {
    return canvas(16, 15, Qt::transparent, draw);
}

QImage receiveButton() {
    return button([](QPainter& p) {
        pen(p, Qt::black);
        p.setBrush(QColor(192, 192, 192));
        p.drawEllipse(QRect(1, 0, 9, 9));
        p.setPen(Qt::black);
        // The five pins of a MIDI socket in their half circle.
        for (const QPoint pin :
             {QPoint(3, 5), QPoint(3, 3), QPoint(5, 2), QPoint(7, 3), QPoint(7, 5)})
            p.drawPoint(pin);
        p.drawPoint(5, 7);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 128, 0));
        p.drawPolygon(QPolygon({QPoint(11, 3), QPoint(13, 3), QPoint(13, 8), QPoint(15, 8),
                                QPoint(12, 11), QPoint(9, 8), QPoint(11, 8)}));
        pen(p, Qt::black);
        p.drawLine(2, 14, 14, 14);
        p.drawLine(2, 11, 2, 14);
        p.drawLine(14, 11, 14, 14);
    });
}

QImage openButton() {
    return button([](QPainter& p) {
        pen(p, Qt::black);
        p.setBrush(QColor(255, 255, 128));
        p.drawPolygon(QPolygon({QPoint(0, 3), QPoint(5, 3), QPoint(6, 4), QPoint(12, 4),
                                QPoint(12, 13), QPoint(0, 13)}));
        p.setBrush(QColor(192, 160, 0));
        p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(12, 13), QPoint(0, 13)}));
        pen(p, QColor(0, 0, 128));
        p.drawLine(9, 1, 12, 1);
        p.drawLine(12, 1, 12, 3);
    });
}

QImage saveButton() {
    return button([](QPainter& p) {
        pen(p, Qt::black);
        p.setBrush(QColor(0, 0, 160));
        p.drawPolygon(
            QPolygon({QPoint(1, 0), QPoint(13, 0), QPoint(14, 1), QPoint(14, 14), QPoint(1, 14)}));
        p.fillRect(QRect(4, 1, 8, 5), Qt::white);
        p.fillRect(QRect(9, 2, 2, 3), QColor(0, 0, 160));
        p.fillRect(QRect(4, 9, 8, 5), QColor(192, 192, 192));
    });
}

QImage unselectButton() {
    return button([](QPainter& p) {
        pen(p, Qt::black);
        p.setBrush(Qt::white);
        p.drawRect(0, 1, 13, 12);
        p.fillRect(QRect(1, 5, 12, 3), Qt::black);
        pen(p, QColor(128, 128, 128));
        p.drawLine(1, 4, 12, 4);
        p.drawLine(1, 9, 12, 9);
        p.drawLine(5, 2, 5, 12);
        pen(p, QColor(220, 0, 0), 2);
        p.drawLine(9, 8, 14, 13);
        p.drawLine(14, 8, 9, 13);
    });
}

QImage aboutButton() {
    return button([](QPainter& p) {
        pen(p, QColor(0, 0, 128));
        p.setBrush(QColor(0, 64, 192));
        p.drawEllipse(QRect(1, 0, 14, 14));
        p.fillRect(QRect(7, 3, 2, 2), Qt::white);
        p.fillRect(QRect(7, 6, 2, 6), Qt::white);
        p.fillRect(QRect(6, 6, 1, 1), Qt::white);
        p.fillRect(QRect(6, 11, 4, 1), Qt::white);
    });
}

// The toolbar's buttons side by side, in the toolbar's order: Receive, Open, Save as Cubase,
// Unselect all, About.
QImage toolbar() {
    const QImage buttons[] = {receiveButton(), openButton(), saveButton(), unselectButton(),
                              aboutButton()};
    return canvas(16 * 5, 15, Qt::transparent, [&](QPainter& p) {
        for (int k = 0; k < 5; ++k) p.drawImage(16 * k, 0, buttons[k]);
    });
}

// Stamp 128, left click: a burst where the stick hit.
QImage stampHit() {
    return canvas(32, 32, Qt::transparent, [](QPainter& p) {
        QPolygon star;
        for (int k = 0; k < 16; ++k) {
            const double angle = k * std::numbers::pi / 8, radius = k % 2 ? 6.5 : 15.0;
            star << QPoint(16 + static_cast<int>(std::lround(radius * std::sin(angle))),
                           16 - static_cast<int>(std::lround(radius * std::cos(angle))));
        }
        pen(p, QColor(160, 0, 0));
        p.setBrush(QColor(255, 220, 0));
        p.drawPolygon(star);
        p.setBrush(QColor(255, 90, 0));
        p.drawEllipse(QPoint(16, 16), 4, 4);
    });
}

// Stamp 129, right click: a note.
QImage stampNote() {
    return canvas(32, 32, Qt::transparent, [](QPainter& p) {
        pen(p, Qt::black);
        p.setBrush(QColor(0, 0, 160));
        p.drawEllipse(QRect(4, 22, 11, 8));
        p.drawEllipse(QRect(17, 18, 11, 8));
        p.fillRect(QRect(13, 4, 2, 22), Qt::black);
        p.fillRect(QRect(26, 2, 2, 20), Qt::black);
        p.drawPolygon(QPolygon({QPoint(13, 4), QPoint(27, 1), QPoint(27, 6), QPoint(14, 9)}));
    });
}

// An application icon: a rounded tile with the program's own emblem, drawn on a 64 pixel grid.
// Other sizes scale that grid and smooth the edges; 64 stays the committed pixel drawing.
QImage icon(QColor tile, int size, const Draw& emblem) {
    return canvas(size, size, Qt::transparent, [&](QPainter& p) {
        if (size != 64) {
            p.setRenderHint(QPainter::Antialiasing, true);
            p.scale(size / 64.0, size / 64.0);
        }
        pen(p, Qt::black, 2);
        p.setBrush(tile);
        p.drawRoundedRect(QRect(2, 2, 59, 59), 10, 10);
        emblem(p);
    });
}

QImage pulvexIcon(int size = 64) {
    return icon(QColor(30, 40, 110), size, [](QPainter& p) {
        cymbal(p, QPoint(16, 18), 11, QColor(240, 200, 60), QColor(200, 200, 210));
        drum(p, QRect(30, 16, 22, 14), QColor(200, 30, 40), Qt::white, Qt::black);
        module(p, QRect(9, 38, 46, 18), QColor(90, 90, 100), QColor(120, 220, 120),
               QColor(180, 180, 190), QColor(255, 120, 40));
    });
}

// The picture with a colour table of exactly the colours it uses, in a fixed order, so no colour
// is approximated; a picture of more than 256 colours is a fault of this generator.
QImage indexed(const QImage& picture) {
    std::set<QRgb> colours;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) colours.insert(picture.pixel(x, y));
    if (colours.size() > 256) {
        std::fprintf(stderr, "make-pulvex-pictures: %zu colours in an 8-bit picture\n",
                     colours.size());
        return {};
    }
    return picture.convertToFormat(QImage::Format_Indexed8,
                                   QVector<QRgb>(colours.begin(), colours.end()),
                                   Qt::ThresholdDither);
}

bool save(QImage image, const QString& path) {
    // A fixed resolution in the header, whatever the defaults of this Qt are.
    image.setDotsPerMeterX(2835);
    image.setDotsPerMeterY(2835);
    if (!image.isNull() && image.save(path, "PNG")) return true;
    std::fprintf(stderr, "make-pulvex-pictures: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && QString(argv[1]) == "--icon") {
        const int size = std::atoi(argv[3]);
        if (size < 16 || size > 1024) {
            std::fprintf(stderr, "make-pulvex-pictures: icon size must be 16..1024, not %s\n",
                         argv[3]);
            return 2;
        }
        return save(pulvexIcon(size), QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-pulvex-pictures DIR\n"
                             "       make-pulvex-pictures --icon OUT.png SIZE\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]) + "/";
    const QImage splashColours =
        splash().convertToFormat(QImage::Format_Indexed8, kSixteen, Qt::ThresholdDither);
    const std::vector<std::pair<QImage, QString>> files = {
        {splashColours, dir + "splash.png"}, {indexed(about()), dir + "about.png"},
        {emptyKit(), dir + "emptykit.png"},  {toolbar(), dir + "toolbar.png"},
        {stampHit(), dir + "stamp128.png"},  {stampNote(), dir + "stamp129.png"},
        {pulvexIcon(), dir + "pulvex.png"},
    };
    bool ok = true;
    for (const auto& [image, path] : files) ok = save(image, path) && ok;
    return ok ? 0 : 1;
}
