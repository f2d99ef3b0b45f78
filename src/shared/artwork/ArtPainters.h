#pragma once

#include <QFont>
#include <QPainterPath>
#include <QPixmap>
#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;

// Drawing pieces shared by the program's pictures. All coordinates are logical pixels.
namespace ArtPainters {

enum class ButtonLook { Raised, Lit };
enum class LampColour { Grey, Red };

// Arial at a pixel size, so the pictures do not follow the system's font scaling.
QFont artFont(qreal pixelSize, bool bold, bool italic = false);

// A transparent pixmap of the given logical size at the device pixel ratio.
QPixmap makeCanvas(QSize logicalSize, qreal dpr);

// A raised, rounded push-button face filling rect, with its caption centred.
void paintButton(QPainter& painter, const QRectF& rect, const QString& caption, ButtonLook look,
                 qreal fontPixelSize = 12);

// A round lamp in a dark bezel, centred in box. Both colours share the same outline, so a red
// lamp painted over a grey one in the same box hides it completely.
void paintLamp(QPainter& painter, const QRectF& box, LampColour colour);

// A framed group: a slightly lighter panel with an etched rim.
void paintGroupFrame(QPainter& painter, const QRectF& rect);

// A sunken rim one pixel outside box, where a text box or list will lie.
void paintSlot(QPainter& painter, const QRectF& box);

// The magazine's logo, a slanted red banner with its name, and the tag line below it, fitted
// into area.
void paintMagazineLogo(QPainter& painter, const QRectF& area);

// The outline of text, scaled to fit box (keeping its proportions) and centred there.
QPainterPath fittedTextPath(const QRectF& box, const QString& text, QFont font,
                            qreal letterSpacing = 0);

} // namespace ArtPainters
