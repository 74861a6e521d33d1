#include "DarkPalette.h"

#include <QColor>

namespace klangor {

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

} // namespace klangor
