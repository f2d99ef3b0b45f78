// What the charts show, in words, for screen readers: the charts are painted on the window
// and have no text of their own.
#include "StatisticsWindows.h"

#include "NumberText.h"

#include <QFrame>

namespace {

// "Wertung 85: 12" for every rating value that occurs, lowest first.
QString distributionText(const RatingFigures& figures) {
    QStringList parts;
    for (int value = 0; value < RatingFigures::kValues; ++value)
        if (figures.distribution(value) > 0)
            parts.append(QStringLiteral("Wertung %1: %2")
                             .arg(value)
                             .arg(NumberText::general(figures.distribution(value))));
    return parts.isEmpty() ? QStringLiteral("keine Wertungen") : parts.join(QStringLiteral("; "));
}

} // namespace

void TStatForm::describeCharts() {
    // The monthly chart: the hover read-out of each month, January to December.
    QStringList months;
    for (int month = 1; month <= 12; ++month)
        months.append(readout(month));
    Bevel2->setAccessibleDescription(months.join(QStringLiteral("; ")));

    if (auto* games = qobject_cast<TForm3*>(this))
        games->Bevel1->setAccessibleDescription(distributionText(games->figures()));
}
