#include "TextFit.h"

#include <QFontMetrics>

namespace TextFit {

bool fits(const QFont& font, const QString& text, const QSize& box, const QPaintDevice* device) {
    const QFontMetrics metrics = device ? QFontMetrics(font, device) : QFontMetrics(font);
    // Laid out as a label lays out plain text: no wrapping, lines at the font's spacing.
    const QRect laidOut = metrics.boundingRect(QRect(0, 0, box.width(), box.height()),
                                               Qt::AlignLeft | Qt::AlignTop, text);
    return laidOut.width() <= box.width() && laidOut.height() <= box.height();
}

QFont fitted(const QFont& font, const QString& text, const QSize& box, const QPaintDevice* device,
             int smallest) {
    if (font.pixelSize() <= 0 || fits(font, text, box, device))
        return font;
    QFont smaller = font;
    for (int pixels = font.pixelSize() - 1; pixels >= smallest; --pixels) {
        smaller.setPixelSize(pixels);
        if (fits(smaller, text, box, device))
            return smaller;
    }
    return smaller;
}

} // namespace TextFit
