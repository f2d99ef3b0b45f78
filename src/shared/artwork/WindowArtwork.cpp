#include "ArtPainters.h"
#include "ArtPalette.h"
#include "Artwork.h"
#include "SearchPageLayout.h"

#include <QPainter>

using namespace ArtPainters;

namespace {

constexpr QSize waitPictureSize{153, 78};

// A white caption standing on the box below it.
void paintCaptionAbove(QPainter& painter, const QRect& box, const QString& caption) {
    const QRectF line(box.left(), box.top() - 17, box.width(), 15);
    painter.drawText(line, Qt::AlignLeft | Qt::AlignBottom, caption);
}

} // namespace

namespace Artwork {

QPixmap waitPicture(qreal dpr) {
    QPixmap pixmap = makeCanvas(waitPictureSize, dpr);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF all(QPointF(0, 0), waitPictureSize);
    painter.fillRect(all, ArtPalette::darkBlue);
    painter.setPen(QPen(ArtPalette::frameLight, 1));
    painter.drawRect(all.adjusted(0.5, 0.5, -0.5, -0.5));

    paintMagazineLogo(painter, QRectF(18, 9, 117, 40));

    painter.setFont(artFont(13, true));
    painter.setPen(ArtPalette::nearWhite);
    painter.drawText(QRectF(0, 53, all.width(), 18), Qt::AlignCenter,
                     QStringLiteral("Moment bitte..."));
    return pixmap;
}

QPixmap searchPageBackground(qreal dpr) {
    QPixmap pixmap = makeCanvas(SearchPageLayout::pictureSize, dpr);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF all(QPointF(0, 0), SearchPageLayout::pictureSize);
    painter.fillRect(all, ArtPalette::darkBlue);
    painter.fillRect(QRectF(0, 0, all.width(), 3), ArtPalette::litRed);

    painter.setFont(artFont(11, true));
    painter.setPen(Qt::white);
    paintCaptionAbove(painter, SearchPageLayout::titleBox, QStringLiteral("Titel-Suchbegriff"));
    paintCaptionAbove(painter, SearchPageLayout::ratingBox, QStringLiteral("Mindestwertung"));
    paintCaptionAbove(painter, SearchPageLayout::categoryBox, QStringLiteral("Genre / Art"));
    paintSlot(painter, SearchPageLayout::titleBox);
    paintSlot(painter, SearchPageLayout::ratingBox);
    paintSlot(painter, SearchPageLayout::categoryBox);

    painter.fillRect(QRectF(8, 170, 99, 1), ArtPalette::frameLight);
    paintButton(painter, SearchPageLayout::alleButton, QStringLiteral("Alle"), ButtonLook::Raised);
    paintButton(painter, SearchPageLayout::okButton, QStringLiteral("OK"), ButtonLook::Raised);
    return pixmap;
}

} // namespace Artwork
