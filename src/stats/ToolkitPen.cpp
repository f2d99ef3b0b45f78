#include "ToolkitPen.h"

#include <QPainter>
#include <QRect>

ToolkitPen::ToolkitPen(QPainter& painter, QColor colour) : m_painter(painter), m_colour(colour) {
    m_painter.setRenderHint(QPainter::Antialiasing, false);
}

void ToolkitPen::lineTo(int x, int y) {
    const QPoint to(x, y);
    const QPoint delta = to - m_at;
    if (delta.x() != 0 && delta.y() != 0) {
        // Not used by the charts; a slanted line keeps the toolkit's own stroke, whose
        // square caps colour both end points, so it is drawn to the pixel before the end.
        const QPoint step(delta.x() > 0 ? 1 : -1, delta.y() > 0 ? 1 : -1);
        QPen pen(m_colour, 1);
        pen.setCosmetic(true);
        pen.setCapStyle(Qt::SquareCap);
        m_painter.setPen(pen);
        m_painter.drawLine(m_at, to - step);
    } else if (delta.x() != 0 || delta.y() != 0) {
        // The pixels from the start up to the one before the end point.
        const QPoint last(x - (delta.x() > 0) + (delta.x() < 0),
                          y - (delta.y() > 0) + (delta.y() < 0));
        m_painter.fillRect(QRect(QPoint(qMin(m_at.x(), last.x()), qMin(m_at.y(), last.y())),
                                 QPoint(qMax(m_at.x(), last.x()), qMax(m_at.y(), last.y()))),
                           m_colour);
    }
    m_at = to;
}

void ToolkitPen::fill(int x, int y, int w, int h) {
    if (w > 0 && h > 0)
        m_painter.fillRect(QRect(x, y, w, h), m_colour);
}
