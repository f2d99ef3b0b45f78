#pragma once

#include <QColor>

class QPainter;
class RatingFigures;
class ToolkitPen;

// The games window's rating distribution: one 5-pixel slot per rating 0..100 from x 11,
// columns from the baseline y 366 up to the top y 266, and the percent texts below.
namespace DistributionChart {

inline constexpr int kLeft = 11;
inline constexpr int kSlot = 5;
inline constexpr int kBaseline = 366;
inline constexpr int kTop = 266;

// The band of rating r: silver when trunc(r / 10) is odd, else gray.
QColor bandColour(int rating);
int columnHeight(const RatingFigures& figures, int rating);

// The slots. The first pixel column of each slot keeps the pen's colour from before, the
// band colour of the slot to its left (for rating 0 whatever the pen held).
void paint(ToolkitPen& pen, const RatingFigures& figures);

// "0%" to "90%", white Arial 8 pt on the window colour, top-left at (12 + 50k, 370).
void paintPercentTexts(QPainter& painter, QColor windowColour);

} // namespace DistributionChart
