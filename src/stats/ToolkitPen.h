#pragma once

#include <QColor>
#include <QPoint>

class QPainter;

// The line primitive the charts are specified in: a pen position and colour, and lines that
// colour their start pixel and stop before their end pixel, one pixel wide, unsmoothed.
// The charts draw only horizontal and vertical lines.
class ToolkitPen {
public:
    ToolkitPen(QPainter& painter, QColor colour);

    void setColour(QColor colour) { m_colour = colour; }
    QColor colour() const { return m_colour; }
    void moveTo(int x, int y) { m_at = QPoint(x, y); }
    // From the pen position to (x, y), which becomes the new position.
    void lineTo(int x, int y);

private:
    QPainter& m_painter;
    QColor m_colour;
    QPoint m_at;
};
