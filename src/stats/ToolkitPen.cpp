#include "ToolkitPen.h"

#include <QPainter>

ToolkitPen::ToolkitPen(QPainter& painter, QColor colour) : m_painter(painter), m_colour(colour) {
    m_painter.setRenderHint(QPainter::Antialiasing, false);
}

void ToolkitPen::lineTo(int x, int y) {
    const QPoint to(x, y);
    const QPoint delta = to - m_at;
    if (delta.x() != 0 || delta.y() != 0) {
        // Qt's cosmetic line with square caps colours both end points, so it is drawn
        // to the pixel before the end point.
        const QPoint step(delta.x() > 0   ? 1
                          : delta.x() < 0 ? -1
                                          : 0,
                          delta.y() > 0   ? 1
                          : delta.y() < 0 ? -1
                                          : 0);
        QPen pen(m_colour, 1);
        pen.setCosmetic(true);
        pen.setCapStyle(Qt::SquareCap);
        m_painter.setPen(pen);
        m_painter.drawLine(m_at, to - step);
    }
    m_at = to;
}
