#include "DistributionChart.h"

#include "MonthlyChart.h"
#include "RatingFigures.h"
#include "ToolkitPen.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace DistributionChart {

QColor bandColour(int rating) {
    return (rating / 10) % 2 == 1 ? MonthlyChart::kSilver : MonthlyChart::kGray;
}

int columnHeight(const RatingFigures& figures, int rating) {
    const double h = std::trunc(figures.distribution(rating) / figures.highestDistribution() * 100);
    return int(std::clamp(h, 0.0, 100.0));
}

void paint(ToolkitPen& pen, const RatingFigures& figures) {
    for (int r = 0; r < RatingFigures::kValues; ++r) {
        const int x0 = kLeft + kSlot * r;
        const int h = columnHeight(figures, r);
        const int columnTop = kBaseline - h + 1;
        // The slot's first pixel column keeps the colour the pen held before.
        pen.fill(x0, columnTop, 1, h);
        pen.setColour(MonthlyChart::kNavy);
        pen.fill(x0 + 1, columnTop, kSlot - 1, h);
        pen.setColour(bandColour(r));
        pen.fill(x0, kTop + 1, kSlot, columnTop - kTop - 1);
    }
}

void paintPercentTexts(QPainter& painter, QColor windowColour) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11); // 8 pt at 96 dots per inch
    painter.setFont(font);
    painter.setPen(QColor(0xFF, 0xFF, 0xFF));
    const QFontMetrics metrics(font);
    for (int k = 0; k <= 9; ++k) {
        const QString text = QString::number(k * 10) + u'%';
        const QRect cell(12 + 50 * k, 370, metrics.horizontalAdvance(text), metrics.height());
        painter.fillRect(cell, windowColour);
        painter.drawText(cell, Qt::AlignLeft | Qt::AlignTop, text);
    }
}

} // namespace DistributionChart
