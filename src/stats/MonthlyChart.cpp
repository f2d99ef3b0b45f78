#include "MonthlyChart.h"

#include "MonthlyFigures.h"
#include "ToolkitPen.h"

#include <algorithm>
#include <cmath>

namespace MonthlyChart {

QColor bandColour(int month) {
    return month % 2 == 1 ? kGray : kSilver;
}

int columnHeight(const MonthlyFigures& figures, int month) {
    const double h = std::trunc(figures.perIssue(month) / figures.highestPerIssue() * kHeight);
    return int(std::clamp(h, 0.0, double(kHeight)));
}

void paint(ToolkitPen& pen, const MonthlyFigures& figures, const std::array<double, 12>* averages) {
    for (int m = 1; m <= 12; ++m) {
        const int x0 = kLeft + kSlot * (m - 1);
        const int h = columnHeight(figures, m);
        for (int j = 0; j < kSlot; ++j) {
            const int x = x0 + j;
            pen.setColour(j == 0 ? kBlack : kNavy);
            pen.moveTo(x, kBaseline);
            pen.lineTo(x, kBaseline - h);
            pen.setColour(bandColour(m));
            pen.lineTo(x, kTop);
        }
        if (!averages)
            continue;
        pen.setColour(kRed);
        const double average = std::clamp((*averages)[size_t(m - 1)], 0.0, 100.0);
        const int y = kBaseline - int(std::trunc(average / 100 * kHeight));
        pen.moveTo(x0 + 1, y);
        pen.lineTo(x0 + kSlot, y);
        pen.moveTo(x0 + 1, y + 1);
        pen.lineTo(x0 + kSlot, y + 1);
    }
}

int monthAt(int x, int y) {
    if (!(x > kLeft && x < 516 && y > 160 && y < 210))
        return 0;
    return (x - kLeft) / kSlot + 1;
}

} // namespace MonthlyChart
