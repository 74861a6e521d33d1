#pragma once
// Dialog layouts are given in dialog units: a quarter of the font's average character width
// across and an eighth of its height down.

#include <QFontMetrics>
#include <QRect>
#include <QWidget>

namespace pulvex_app {

inline QRect dialogUnits(const QWidget& dialog, int x, int y, int width, int height) {
    const QFontMetrics metrics(dialog.font());
    const int across = metrics.averageCharWidth();
    const int down = metrics.height();
    return QRect(x * across / 4, y * down / 8, width * across / 4, height * down / 8);
}

} // namespace pulvex_app
