#include "testing/DarkPalette.h"

#include <QApplication>
#include <QColor>
#include <QStyle>
#include <algorithm>
#include <cmath>

namespace testing_support {

QPalette darkPalette() {
    // Qt derives the other roles from the button and window colours: light text on dark grounds.
    QPalette palette(QColor(0x45, 0x45, 0x45), QColor(0x30, 0x30, 0x30));
    palette.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
    palette.setColor(QPalette::AlternateBase, QColor(0x2a, 0x2a, 0x2a));
    palette.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(0x6c, 0xb4, 0xf8)); // as dark desktop themes have it
    palette.setColor(QPalette::LinkVisited, QColor(0xb0, 0x9c, 0xf0));
    return palette;
}

DarkFusion::DarkFusion()
    : previousStyle_(QApplication::style()->name()), previousPalette_(QApplication::palette()) {
    QApplication::setStyle("Fusion");
    QApplication::setPalette(darkPalette());
}

DarkFusion::~DarkFusion() {
    QApplication::setStyle(previousStyle_);
    QApplication::setPalette(previousPalette_);
}

double luminance(QRgb pixel) {
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(pixel)) + 0.7152 * linear(qGreen(pixel)) +
           0.0722 * linear(qBlue(pixel));
}

double contrast(QRgb a, QRgb b) {
    const auto [dark, light] = std::minmax({luminance(a), luminance(b)});
    return (light + 0.05) / (dark + 0.05);
}

} // namespace testing_support
