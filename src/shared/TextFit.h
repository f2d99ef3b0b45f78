#pragma once

#include <QFont>
#include <QSize>
#include <QString>

class QPaintDevice;

// Shrinking a text's font until the text fits its box, for labels whose place is fixed but
// whose text grows with the data or comes out wider in another font than designed.
namespace TextFit {

// True when every line of `text` (lines end at '\n') fits into `box` in `font`, measured
// with the font's metrics on `device` (nullptr: the screen's).
bool fits(const QFont& font, const QString& text, const QSize& box,
          const QPaintDevice* device = nullptr);

// `font` itself when the text fits; otherwise the same font at the largest smaller pixel
// size at which it fits, but never below `smallest` pixels.
QFont fitted(const QFont& font, const QString& text, const QSize& box,
             const QPaintDevice* device = nullptr, int smallest = 6);

} // namespace TextFit
