#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class CaptionLabel;
class QFrame;
class QWidget;
class VerticalCaption;

// The controls the statistics windows are built of, each named and placed.
namespace StatControls {

inline const QColor kWhite{0xFF, 0xFF, 0xFF};
inline const QColor kRed{0xFF, 0x00, 0x00};
inline const QColor kBlue{0x00, 0x00, 0xFF};

// A transparent label.
CaptionLabel* label(QWidget* parent, const char* name, const QRect& place, const QFont& font,
                    QColor colour, const QString& caption);
// A vertical caption in Arial 11 px.
VerticalCaption* verticalCaption(QWidget* parent, const char* name, const QRect& place,
                                 QColor colour, const QString& text);
// A sunken frame around a chart.
QFrame* bevel(QWidget* parent, const char* name, const QRect& place, const QString& accessibleName);

} // namespace StatControls
