#include "ArtPainters.h"
#include "ArtPalette.h"
#include "Artwork.h"
#include "StripLayout.h"

#include <QPainter>

using namespace ArtPainters;

namespace {

// The framed groups of the strip; the buttons and lamps lie inside them.
constexpr QRect viewGroup{5, 120, 124, 90};
constexpr QRect searchGroup{5, 226, 124, 80};
constexpr QRect statisticsGroup{5, 319, 124, 40};

const QString viewCaptions[3] = {QStringLiteral("Spiele"), QStringLiteral("CD & DVD"),
                                 QStringLiteral("Tipps")};
const QString searchCaption = QStringLiteral("Auswahl");

QRectF columnFace(const QRect& clickArea) {
    return QRectF(clickArea.left(), clickArea.top(), StripLayout::columnFaceWidth,
                  clickArea.height());
}

// A small bar chart beside "Statistik", in the place where the other buttons have their lamps.
void paintChartGlyph(QPainter& painter, const QRectF& box) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const qreal heights[3] = {0.45, 1.0, 0.7};
    const qreal barWidth = 4;
    for (int i = 0; i < 3; ++i) {
        const qreal h = std::round(box.height() * heights[i]);
        const QRectF bar(box.left() + i * (barWidth + 1), box.bottom() - h, barWidth, h);
        painter.fillRect(bar, i == 1 ? ArtPalette::litRed : ArtPalette::headingBlue);
    }
    painter.fillRect(QRectF(box.left() - 1, box.bottom(), 3 * barWidth + 4, 1),
                     ArtPalette::frameLight);
    painter.restore();
}

// Everything of the strip except its buttons and lamps: the lit faces repaint the part of this
// that lies behind them, so they blend into the strip at their place.
void paintStripBackdrop(QPainter& painter) {
    painter.fillRect(QRect(QPoint(0, 0), StripLayout::pictureSize), ArtPalette::darkBlue);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    paintMagazineLogo(painter, QRectF(9, 8, 112, 40));

    const QPainterPath name =
        fittedTextPath(QRectF(10, 60, 110, 18), QStringLiteral("VANTORA"), artFont(40, true), 6);
    QLinearGradient silver(0, 60, 0, 78);
    silver.setColorAt(0.0, Qt::white);
    silver.setColorAt(0.55, ArtPalette::nearWhite);
    silver.setColorAt(1.0, ArtPalette::headingBlue);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 160));
    painter.drawPath(name.translated(1, 1));
    painter.setBrush(silver);
    painter.drawPath(name);

    painter.setFont(artFont(12, false, true));
    painter.setPen(ArtPalette::headingBlue);
    painter.drawText(QRectF(0, 82, 130, 16), Qt::AlignCenter, QStringLiteral("Spielearchiv"));
    painter.fillRect(QRectF(30, 103, 70, 1), ArtPalette::litRed);

    paintGroupFrame(painter, viewGroup);
    paintGroupFrame(painter, searchGroup);
    paintGroupFrame(painter, statisticsGroup);

    painter.setFont(artFont(11, true));
    painter.setPen(ArtPalette::headingBlue);
    painter.drawText(QRectF(17, 262, 100, 15), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Schnellsuche"));
    paintSlot(painter, StripLayout::titleBox);

    paintChartGlyph(painter, QRectF(111, 332, 14, 14));

    painter.fillRect(QRectF(14, 383, 102, 1), ArtPalette::frameLight);
    painter.setFont(artFont(9, false));
    painter.setPen(ArtPalette::frameLight);
    painter.drawText(QRectF(0, 433, 130, 12), Qt::AlignCenter, QStringLiteral("© Kalmor"));
}

} // namespace

namespace Artwork {

QPixmap stripPicture(qreal dpr) {
    QPixmap pixmap = makeCanvas(StripLayout::pictureSize, dpr);
    QPainter painter(&pixmap);
    paintStripBackdrop(painter);

    const QRect viewButtons[3] = {StripLayout::spiele, StripLayout::cdDvd, StripLayout::tipps};
    for (int i = 0; i < 3; ++i) {
        paintButton(painter, columnFace(viewButtons[i]), viewCaptions[i], ButtonLook::Raised);
        paintLamp(painter, QRectF(StripLayout::viewLamps[i], StripLayout::lampSize),
                  LampColour::Grey);
    }
    paintButton(painter, columnFace(StripLayout::auswahl), searchCaption, ButtonLook::Raised);
    paintLamp(painter, QRectF(StripLayout::searchLamp, StripLayout::lampSize), LampColour::Grey);
    paintButton(painter, columnFace(StripLayout::statistik), QStringLiteral("Statistik"),
                ButtonLook::Raised);
    paintButton(painter, StripLayout::info, QStringLiteral("Info"), ButtonLook::Raised, 11);
    paintButton(painter, StripLayout::ende, QStringLiteral("Ende"), ButtonLook::Raised, 11);
    return pixmap;
}

QPixmap litFace(int index, qreal dpr) {
    if (index < 0 || index > 3)
        return QPixmap();
    const QRect place = StripLayout::litFaces[index];
    QPixmap pixmap = makeCanvas(place.size(), dpr);
    QPainter painter(&pixmap);
    painter.translate(-place.topLeft());
    painter.setClipRect(place);
    paintStripBackdrop(painter);
    paintButton(painter, place, index < 3 ? viewCaptions[index] : searchCaption, ButtonLook::Lit);
    return pixmap;
}

QPixmap redLamp(qreal dpr) {
    QPixmap pixmap = makeCanvas(StripLayout::lampSize, dpr);
    QPainter painter(&pixmap);
    paintLamp(painter, QRectF(QPointF(0, 0), StripLayout::lampSize), LampColour::Red);
    return pixmap;
}

} // namespace Artwork
