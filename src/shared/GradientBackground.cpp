#include "GradientBackground.h"

#include "ArtPalette.h"

#include <QPainter>
#include <cmath>

namespace GradientBackground {

namespace {
constexpr int kStart[3] = {0x35, 0x35, 0x56};
// Down to the windows' background colour.
const int kEnd[3] = {ArtPalette::darkBlue.red(), ArtPalette::darkBlue.green(),
                     ArtPalette::darkBlue.blue()};

int channel(int c, int band) {
    return int(std::nearbyint(kStart[c] + double(band) / (kBands - 1) * (kEnd[c] - kStart[c])));
}
} // namespace

// Halves go to the even pixel, as the toolkit's rounding does.
int bandTop(int band, int height) {
    return int(std::nearbyint(double(band) * height / kBands));
}

QColor bandColour(int band) {
    return QColor(channel(0, band), channel(1, band), channel(2, band));
}

void paint(QPainter& painter, const QRect& clientRect) {
    const int h = clientRect.height();
    for (int i = 0; i < kBands; ++i) {
        const int top = bandTop(i, h);
        const int bottom = bandTop(i + 1, h);
        if (bottom > top)
            painter.fillRect(
                QRect(clientRect.left(), clientRect.top() + top, clientRect.width(), bottom - top),
                bandColour(i));
    }
}

} // namespace GradientBackground
