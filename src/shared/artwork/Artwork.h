#pragma once

#include <QIcon>
#include <QPixmap>

// The program's pictures, painted in code. Every pixmap is drawn in logical pixels at the given
// device pixel ratio, so it stays sharp on high-density screens; its deviceIndependentSize()
// is the logical size the windows lay it out at.
namespace Artwork {

// Image4: the main window's left strip, 130 x 453 (see StripLayout.h).
QPixmap stripPicture(qreal dpr);

// Aktiv1 to Aktiv4: the lit faces of "Spiele", "CD & DVD", "Tipps" and "Auswahl" for index 0 to
// 3, 91 x 24 each, to be laid over the strip at StripLayout::litFaces[index]. A null pixmap
// for any other index.
QPixmap litFace(int index, qreal dpr);

// LED1 and LED2: the red lamp, 14 x 13, covering a grey lamp of the strip exactly.
QPixmap redLamp(qreal dpr);

// The wait window's picture, 153 x 78.
QPixmap waitPicture(qreal dpr);

// Image3: the search page's background, 115 x 217 (see SearchPageLayout.h).
QPixmap searchPageBackground(qreal dpr);

// The program's icon, from 16 to 256 pixels.
QIcon programIcon();

} // namespace Artwork
