#pragma once

#include "ArtPalette.h"

#include <QColor>
#include <array>

class MonthlyFigures;
class ToolkitPen;

// The monthly chart of all three statistics windows: one 22-pixel slot per calendar month
// from x 252, columns from the baseline y 174 up to the top y 34, and the hover strip below.
namespace MonthlyChart {

inline constexpr int kLeft = 252;
inline constexpr int kSlot = 22;
inline constexpr int kBaseline = 174;
inline constexpr int kTop = 34;
inline constexpr int kHeight = kBaseline - kTop; // 140

inline const QColor kBlack{0x00, 0x00, 0x00};
inline const QColor kNavy{0x00, 0x00, 0x80};
inline const QColor kGray{0x80, 0x80, 0x80};
inline const QColor& kSilver = ArtPalette::silver;
inline const QColor kRed{0xFF, 0x00, 0x00};

// The band of month m: gray for the odd months, silver for the even ones.
QColor bandColour(int month);

// Column height of month m: trunc(rows per issue / highest × 140).
int columnHeight(const MonthlyFigures& figures, int month);

// The columns; with `averages` (0..100 per month) also the red two-pixel marks, each drawn
// after its month's columns.
void paint(ToolkitPen& pen, const MonthlyFigures& figures,
           const std::array<double, 12>* averages = nullptr);

// The calendar month under a pointer position in the hover strip 252 < X < 516,
// 160 < Y < 210; 0 outside it.
int monthAt(int x, int y);

} // namespace MonthlyChart
