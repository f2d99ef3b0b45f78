#pragma once

#include <QColor>
#include <QPoint>

class QPainter;

// The line primitive the charts are specified in: a pen position and colour, and lines that
// colour their start pixel and stop before their end pixel, one pixel wide, unsmoothed.
// The charts draw only horizontal and vertical lines. Lines and areas are filled as
// rectangles of whole pixels, so that on a scaled screen they stay solid instead of
// breaking into one-device-pixel strokes with gaps between them.
class ToolkitPen {
public:
    ToolkitPen(QPainter& painter, QColor colour);

    void setColour(QColor colour) { m_colour = colour; }
    QColor colour() const { return m_colour; }
    void moveTo(int x, int y) { m_at = QPoint(x, y); }
    // From the pen position to (x, y), which becomes the new position.
    void lineTo(int x, int y);
    // Fills w x h pixels from (x, y) in the pen's colour, as w lines of h pixels would; the
    // pen position stays. Nothing when w or h is 0 or less.
    void fill(int x, int y, int w, int h);

private:
    QPainter& m_painter;
    QColor m_colour;
    QPoint m_at;
};
