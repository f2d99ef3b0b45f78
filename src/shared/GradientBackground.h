#pragma once

#include <QColor>
#include <QRect>

class QPainter;

// The background of the info and statistics windows: 64 horizontal bands from #353556 at
// the top to the windows' dark blue (ArtPalette::darkBlue) at the bottom.
namespace GradientBackground {

inline constexpr int kBands = 64;

// The client rows of band i (bounds rounded to the nearest pixel) for a height h.
int bandTop(int band, int height);
// The colour of band i: start plus i/63 of the difference, per channel, rounded.
QColor bandColour(int band);

void paint(QPainter& painter, const QRect& clientRect);

} // namespace GradientBackground
