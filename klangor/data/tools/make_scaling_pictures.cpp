// make-scaling-pictures OUTDIR: writes the pictures that the Envelope and FM edit pages show
// beside their scaling boxes, Sclev1.bmp..Sclev16.bmp and Scrate1.bmp..Scrate8.bmp.
//
// Each picture is a small graph over the keyboard (low keys left, high keys right, a key strip
// along the bottom). A level picture shows how loud a note sounds across the keyboard:
//   type 1       no scaling, flat;
//   types 2..6   high keys softer, the deeper the higher the type, falling from middle C;
//   types 7..11  low keys softer, likewise below middle C;
//   types 12..16 both ends softer.
// A rate picture shows how fast the envelope runs: type 1 the same everywhere, each further type
// speeds the high keys up more.
//
// Pixels are set one by one (no painter, no antialiasing), so the output does not change with
// the Qt version and the committed files can be checked against a fresh run.

#include "files/AtomicWrite.h"

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

constexpr int kWidth = 48;
constexpr int kHeight = 32;
constexpr int kKeysHeight = 5; // the key strip at the bottom
// The graph area inside the frame, above the key strip.
constexpr int kTop = 3;
constexpr int kBottom = kHeight - kKeysHeight - 3;
constexpr int kLeft = 2;
constexpr int kRight = kWidth - 3;

const QRgb kBackground = qRgb(255, 255, 255);
const QRgb kFrame = qRgb(128, 128, 128);
const QRgb kGrid = qRgb(200, 200, 200);
const QRgb kLevelCurve = qRgb(0, 0, 160);
const QRgb kRateCurve = qRgb(160, 0, 0);
const QRgb kBlackKey = qRgb(0, 0, 0);

// A curve maps the keyboard position 0..1 to a height 0..1 of the graph area.
using Curve = std::function<double(double)>;

void drawBase(QImage& image) {
    image.fill(kBackground);
    for (int x = 0; x < kWidth; ++x) {
        image.setPixel(x, 0, kFrame);
        image.setPixel(x, kHeight - 1, kFrame);
        image.setPixel(x, kHeight - kKeysHeight - 1, kFrame);
    }
    for (int y = 0; y < kHeight; ++y) {
        image.setPixel(0, y, kFrame);
        image.setPixel(kWidth - 1, y, kFrame);
    }
    // Middle C, where the level curves break.
    const int middle = (kLeft + kRight) / 2;
    for (int y = kTop; y <= kBottom; y += 2) image.setPixel(middle, y, kGrid);
    // Black keys in the pattern of an octave, seven white keys of two pixels each.
    static constexpr bool kBlackAfter[7] = {true, true, false, true, true, true, false};
    for (int key = 0, x = 2; x + 2 < kWidth - 1; ++key, x += 2) {
        if (!kBlackAfter[key % 7]) continue;
        for (int y = kHeight - kKeysHeight; y < kHeight - 3; ++y)
            image.setPixel(x + 1, y, kBlackKey);
    }
}

int rowOf(double height) {
    const double h = std::clamp(height, 0.0, 1.0);
    return kBottom - static_cast<int>(std::lround(h * (kBottom - kTop)));
}

// Two pixels thick, columns joined so steep parts stay closed.
void drawCurve(QImage& image, const Curve& curve, QRgb colour) {
    int previous = rowOf(curve(0.0));
    for (int x = kLeft; x <= kRight; ++x) {
        const int row = rowOf(curve(double(x - kLeft) / (kRight - kLeft)));
        const int from = std::min(row, previous), to = std::max(row, previous);
        for (int y = from; y <= to + 1 && y <= kBottom + 1; ++y) image.setPixel(x, y, colour);
        previous = row;
    }
}

// How far the level falls at the far end for a depth of 1..5.
double fall(int depth) {
    return 0.17 * depth;
}

Curve levelCurve(int type) {
    const double full = 0.95;
    if (type == 1) return [=](double) { return full; };
    if (type <= 6) {
        const double d = fall(type - 1);
        return [=](double k) { return k <= 0.5 ? full : full - d * (k - 0.5) * 2; };
    }
    if (type <= 11) {
        const double d = fall(type - 6);
        return [=](double k) { return k >= 0.5 ? full : full - d * (0.5 - k) * 2; };
    }
    const double d = fall(type - 11);
    return [=](double k) { return full - d * std::pow(std::abs(k - 0.5) * 2, 1.5); };
}

Curve rateCurve(int type) {
    const double slope = 0.12 * (type - 1);
    return [=](double k) { return 0.15 + slope * k; };
}

bool save(const QImage& image, const QString& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    const files::FileError error =
        buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "BMP")
            ? files::writeFileAtomically(path.toStdString(),
                                         std::string_view(bytes.constData(), bytes.size()))
            : files::FileError("Cannot encode \"" + path.toStdString() + "\" as BMP");
    if (error) std::fprintf(stderr, "make-scaling-pictures: %s\n", error->c_str());
    return !error;
}

bool writePicture(const QDir& dir, const QString& stem, int type, const Curve& curve, QRgb colour) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    drawBase(image);
    drawCurve(image, curve, colour);
    return save(image, dir.filePath(stem + QString::number(type) + ".bmp"));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-scaling-pictures OUTDIR\n");
        return 1;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "make-scaling-pictures: cannot create %s\n", argv[1]);
        return 1;
    }
    for (int type = 1; type <= 16; ++type)
        if (!writePicture(dir, "Sclev", type, levelCurve(type), kLevelCurve)) return 1;
    for (int type = 1; type <= 8; ++type)
        if (!writePicture(dir, "Scrate", type, rateCurve(type), kRateCurve)) return 1;
    return 0;
}
