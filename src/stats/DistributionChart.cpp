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
        const int h = columnHeight(figures, r);
        for (int j = 0; j < kSlot; ++j) {
            const int x = kLeft + kSlot * r + j;
            if (j >= 1)
                pen.setColour(MonthlyChart::kNavy);
            pen.moveTo(x, kBaseline);
            pen.lineTo(x, kBaseline - h);
            pen.setColour(bandColour(r));
            pen.lineTo(x, kTop);
        }
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
