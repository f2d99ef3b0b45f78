#include "ArtPainters.h"
#include "ArtPalette.h"
#include "Artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace {

// The icon is designed on a 256-unit square and scaled; below 32 pixels it drops the disc
// behind the letter so that the letter stays legible.
QPixmap paintIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 256.0, size / 256.0);
    const bool detailed = size >= 32;

    QLinearGradient sky(0, 0, 0, 256);
    sky.setColorAt(0.0, QColor(0x35, 0x35, 0x56));
    sky.setColorAt(1.0, ArtPalette::darkBlue);
    painter.setPen(QPen(ArtPalette::outline, size < 32 ? 12 : 6));
    painter.setBrush(sky);
    painter.drawRoundedRect(QRectF(6, 6, 244, 244), 44, 44);

    if (detailed) {
        QConicalGradient shine(QPointF(128, 128), 30);
        shine.setColorAt(0.0, QColor(0xE8, 0xE8, 0xF0));
        shine.setColorAt(0.25, QColor(0x99, 0x99, 0xBA));
        shine.setColorAt(0.5, ArtPalette::nearWhite);
        shine.setColorAt(0.75, QColor(0x80, 0x80, 0xA8));
        shine.setColorAt(1.0, QColor(0xE8, 0xE8, 0xF0));
        QPainterPath disc;
        disc.addEllipse(QPointF(128, 128), 100, 100);
        disc.addEllipse(QPointF(128, 128), 20, 20);
        painter.setPen(QPen(ArtPalette::outline, 3));
        painter.setBrush(shine);
        painter.drawPath(disc);
    }

    // The letter V with a flat foot; the small sizes get thicker arms.
    const qreal arm = detailed ? 52 : 64;
    const QPolygonF letter{{40, 52},        {40 + arm, 52}, {128, 150 - (arm - 52)},
                           {216 - arm, 52}, {216, 52},      {150, 214},
                           {106, 214}};
    QLinearGradient red(0, 52, 0, 214);
    red.setColorAt(0.0, QColor(0xF2, 0x4A, 0x3C));
    red.setColorAt(1.0, QColor(0xA0, 0x00, 0x00));
    painter.setPen(
        QPen(ArtPalette::outline, detailed ? 8 : 14, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(red);
    painter.drawPolygon(letter);
    return pixmap;
}

} // namespace

namespace Artwork {

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(paintIcon(size));
    return icon;
}

} // namespace Artwork
