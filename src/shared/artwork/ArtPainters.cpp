#include "ArtPainters.h"

#include "ArtPalette.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QtMath>

#include <algorithm>

namespace ArtPainters {

QFont artFont(qreal pixelSize, bool bold, bool italic) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif, QFont::PreferAntialias);
    font.setPixelSize(qRound(pixelSize));
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QPixmap makeCanvas(QSize logicalSize, qreal dpr) {
    QPixmap pixmap(qCeil(logicalSize.width() * dpr), qCeil(logicalSize.height() * dpr));
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void paintButton(QPainter& painter, const QRectF& rect, const QString& caption, ButtonLook look,
                 qreal fontPixelSize) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const bool lit = look == ButtonLook::Lit;
    const qreal radius = 3.5;

    QLinearGradient face(rect.topLeft(), rect.bottomLeft());
    if (lit) {
        face.setColorAt(0.0, QColor(0xF2, 0x5C, 0x50));
        face.setColorAt(0.46, QColor(0xD8, 0x16, 0x10));
        face.setColorAt(0.54, QColor(0xC0, 0x00, 0x00));
        face.setColorAt(1.0, QColor(0x90, 0x00, 0x00));
    } else {
        face.setColorAt(0.0, QColor(0xFB, 0xFB, 0xFD));
        face.setColorAt(0.46, QColor(0xDE, 0xDE, 0xE8));
        face.setColorAt(0.54, QColor(0xC9, 0xC9, 0xD9));
        face.setColorAt(1.0, QColor(0xA2, 0xA2, 0xBF));
    }
    painter.setPen(QPen(ArtPalette::outline, 1));
    painter.setBrush(face);
    painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);

    // Light catches the upper rim, the lower rim falls into shade.
    QLinearGradient rim(rect.topLeft(), rect.bottomLeft());
    rim.setColorAt(0.0, QColor(255, 255, 255, lit ? 150 : 230));
    rim.setColorAt(0.55, QColor(255, 255, 255, 0));
    rim.setColorAt(1.0, QColor(0, 0, 0, lit ? 70 : 50));
    painter.setPen(QPen(QBrush(rim), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(rect.adjusted(1.5, 1.5, -1.5, -1.5), radius - 1, radius - 1);

    painter.setFont(artFont(fontPixelSize, true));
    painter.setPen(lit ? QColor(0x50, 0x00, 0x00, 170) : QColor(255, 255, 255, 170));
    painter.drawText(rect.translated(0, 1), Qt::AlignCenter, caption);
    painter.setPen(lit ? QColor(Qt::white) : ArtPalette::darkBlue);
    painter.drawText(rect, Qt::AlignCenter, caption);
    painter.restore();
}

void paintLamp(QPainter& painter, const QRectF& box, LampColour colour) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const qreal diameter = std::min(box.width(), box.height());
    const QPointF centre = box.center();
    const QRectF socket(centre.x() - diameter / 2, centre.y() - diameter / 2, diameter, diameter);

    // A sunken socket: dark above, lit from below.
    QLinearGradient bezel(socket.topLeft(), socket.bottomRight());
    bezel.setColorAt(0.0, QColor(0x00, 0x00, 0x12));
    bezel.setColorAt(1.0, QColor(0x8A, 0x8A, 0xB0));
    painter.setBrush(bezel);
    painter.drawEllipse(socket);

    const QRectF glass = socket.adjusted(1.5, 1.5, -1.5, -1.5);
    const QPointF focus = centre + QPointF(-glass.width() * 0.2, -glass.height() * 0.22);
    QRadialGradient light(centre, glass.width() / 2, focus);
    if (colour == LampColour::Red) {
        light.setColorAt(0.0, QColor(0xFF, 0xB4, 0xA0));
        light.setColorAt(0.3, QColor(0xFF, 0x26, 0x18));
        light.setColorAt(0.75, QColor(0xC8, 0x00, 0x00));
        light.setColorAt(1.0, QColor(0x74, 0x00, 0x00));
    } else {
        light.setColorAt(0.0, QColor(0xE4, 0xE4, 0xEC));
        light.setColorAt(0.3, QColor(0xA8, 0xA8, 0xBC));
        light.setColorAt(0.75, QColor(0x78, 0x78, 0x94));
        light.setColorAt(1.0, QColor(0x46, 0x46, 0x62));
    }
    painter.setBrush(light);
    painter.setPen(QPen(QColor(0x00, 0x00, 0x10), 0.6));
    painter.drawEllipse(glass);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 190));
    painter.drawEllipse(QPointF(focus.x() - 0.3, focus.y() - 0.3), glass.width() * 0.14,
                        glass.height() * 0.11);
    painter.restore();
}

void paintGroupFrame(QPainter& painter, const QRectF& rect) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient panel(rect.topLeft(), rect.bottomLeft());
    panel.setColorAt(0.0, ArtPalette::panelBlue.lighter(125));
    panel.setColorAt(1.0, ArtPalette::panelBlue);
    painter.setPen(QPen(ArtPalette::frameDark, 1));
    painter.setBrush(panel);
    painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    painter.setPen(QPen(ArtPalette::frameLight, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(rect.adjusted(1.5, 1.5, -1.5, -1.5), 4, 4);
    painter.restore();
}

void paintSlot(QPainter& painter, const QRectF& box) {
    painter.save();
    painter.fillRect(box, ArtPalette::nearWhite);
    // Lines on half pixels cover whole pixels at every integer device pixel ratio.
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF rim = box.adjusted(-0.5, -0.5, 0.5, 0.5);
    painter.setPen(QPen(ArtPalette::frameDark, 1, Qt::SolidLine, Qt::SquareCap));
    painter.drawLine(rim.topLeft(), rim.topRight());
    painter.drawLine(rim.topLeft(), rim.bottomLeft());
    painter.setPen(QPen(ArtPalette::frameLight, 1, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(rim.bottomLeft() + QPointF(0.5, 0), rim.bottomRight() + QPointF(0.5, 0));
    painter.drawLine(rim.topRight() + QPointF(0, 0.5), rim.bottomRight());
    painter.restore();
}

QPainterPath fittedTextPath(const QRectF& box, const QString& text, QFont font,
                            qreal letterSpacing) {
    font.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF bounds = path.boundingRect();
    if (bounds.isEmpty())
        return path;
    const qreal scale = std::min(box.width() / bounds.width(), box.height() / bounds.height());
    QTransform fit;
    fit.translate(box.center().x(), box.center().y());
    fit.scale(scale, scale);
    fit.translate(-bounds.center().x(), -bounds.center().y());
    return fit.map(path);
}

void paintMagazineLogo(QPainter& painter, const QRectF& area) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal bannerHeight = std::round(area.height() * 0.7);
    const QRectF banner(area.left(), area.top(), area.width(), bannerHeight);
    const qreal slant = bannerHeight * 0.32;
    const QPolygonF shape{{banner.left() + slant, banner.top()},
                          {banner.right(), banner.top()},
                          {banner.right() - slant, banner.bottom()},
                          {banner.left(), banner.bottom()}};

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 130));
    painter.drawPolygon(shape.translated(1.5, 1.5));

    QLinearGradient red(banner.topLeft(), banner.bottomLeft());
    red.setColorAt(0.0, QColor(0xEE, 0x30, 0x24));
    red.setColorAt(0.5, ArtPalette::litRed);
    red.setColorAt(1.0, QColor(0x96, 0x00, 0x00));
    painter.setBrush(red);
    painter.setPen(QPen(QColor(255, 255, 255, 110), 1));
    painter.drawPolygon(shape);

    const QRectF nameBox =
        banner.adjusted(slant * 0.85, bannerHeight * 0.18, -slant * 0.85, -bannerHeight * 0.18);
    const QPainterPath name =
        fittedTextPath(nameBox, QStringLiteral("KALMOR"), artFont(40, true, true), 2);
    painter.setPen(QPen(QColor(0x4A, 0x00, 0x00), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(name.translated(0.6, 0.8));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(name);

    const QRectF tagLine(area.left(), banner.bottom() + 2, area.width(),
                         area.bottom() - banner.bottom() - 2);
    const QString tag = QStringLiteral("DAS SPIELE-MAGAZIN");
    QFont tagFont = artFont(std::max<qreal>(7, tagLine.height() * 0.85), true);
    tagFont.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    while (tagFont.pixelSize() > 7 &&
           QFontMetricsF(tagFont).horizontalAdvance(tag) > tagLine.width())
        tagFont.setPixelSize(tagFont.pixelSize() - 1);
    painter.setFont(tagFont);
    painter.setPen(ArtPalette::headingBlue);
    painter.drawText(tagLine, Qt::AlignCenter, tag);
    painter.restore();
}

} // namespace ArtPainters
