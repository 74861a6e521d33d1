#include "Icon.h"

#include <QPainter>
#include <QPainterPath>

namespace klangor {

// Four element bars under an envelope line, on a dark tile.
QImage klangorIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1e, 0x2a, 0x44));
    painter.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);

    const QColor bars[] = {QColor(0x4f, 0xb0, 0xe8), QColor(0xf2, 0xa6, 0x3b),
                           QColor(0x6c, 0xcf, 0x7a), QColor(0xe8, 0x5d, 0x75)};
    const int heights[] = {30, 22, 34, 18};
    for (int i = 0; i < 4; ++i) {
        painter.setBrush(bars[i]);
        painter.drawRoundedRect(QRectF(10 + i * 12, 54 - heights[i], 8, heights[i]), 2, 2);
    }

    QPainterPath envelope;
    envelope.moveTo(8, 50);
    envelope.lineTo(18, 12);
    envelope.lineTo(30, 24);
    envelope.lineTo(46, 26);
    envelope.lineTo(56, 50);
    painter.setPen(QPen(QColor(0xf4, 0xf4, 0xf4), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(envelope);
    return image;
}

} // namespace klangor
