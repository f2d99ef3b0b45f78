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
        // The column stands on the baseline pixel; the band fills the rest up to, not
        // including, the top. The slot's first pixel column is black, the others navy.
        const int columnTop = kBaseline - h + 1;
        pen.setColour(kBlack);
        pen.fill(x0, columnTop, 1, h);
        pen.setColour(kNavy);
        pen.fill(x0 + 1, columnTop, kSlot - 1, h);
        pen.setColour(bandColour(m));
        pen.fill(x0, kTop + 1, kSlot, columnTop - kTop - 1);
        if (!averages)
            continue;
        // The mark: two pixel rows from the slot's second pixel column to its end.
        pen.setColour(kRed);
        const double average = std::clamp((*averages)[size_t(m - 1)], 0.0, 100.0);
        const int y = kBaseline - int(std::trunc(average / 100 * kHeight));
        pen.fill(x0 + 1, y, kSlot - 1, 2);
    }
}

int monthAt(int x, int y) {
    if (!(x > kLeft && x < 516 && y > 160 && y < 210))
        return 0;
    return (x - kLeft) / kSlot + 1;
}

} // namespace MonthlyChart
