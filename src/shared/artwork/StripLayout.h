#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include "Views.h"

// Geometry of the main window's left strip, in the window's logical pixels. The strip picture
// is painted to these numbers and the main window places its click areas, lit faces, lamps and
// the title box on the same ones.
namespace StripLayout {

constexpr QSize pictureSize{130, 453};

// Click areas (Image1, Image2, Image3, Image6, Image7, Image10, Image11).
constexpr QRect spiele{12, Views::kButtonTops[0], 91, 24};
constexpr QRect cdDvd{12, Views::kButtonTops[1], 91, 24};
constexpr QRect tipps{12, Views::kButtonTops[2], 90, 24};
constexpr QRect auswahl{12, 234, 90, 24};
constexpr QRect statistik{12, 327, 90, 24};
constexpr QRect info{11, 401, 50, 25};
constexpr QRect ende{69, 401, 50, 25};

// Every button of the column is painted this wide, so the lit faces cover their buttons.
constexpr int columnFaceWidth = 91;

// Lit faces Aktiv1 to Aktiv4, in the order of litFace()'s index.
constexpr QSize litFaceSize{91, 24};
constexpr QRect litFaces[4] = {
    {spiele.topLeft(), litFaceSize},
    {cdDvd.topLeft(), litFaceSize},
    {tipps.topLeft(), litFaceSize},
    {auswahl.topLeft(), litFaceSize},
};

// Lamps: LED1 moves between the view lamps (a view button's top plus 12), LED2 marks "Auswahl".
constexpr QSize lampSize{14, 13};
constexpr int lampLeft = 112;
constexpr int lampOffsetBelowButtonTop = 12;
constexpr QPoint viewLamps[3] = {{lampLeft, spiele.top() + lampOffsetBelowButtonTop},
                                 {lampLeft, cdDvd.top() + lampOffsetBelowButtonTop},
                                 {lampLeft, tipps.top() + lampOffsetBelowButtonTop}};
constexpr QPoint searchLamp{lampLeft, auswahl.top() + lampOffsetBelowButtonTop};

// The title box Edit1 sits in the "Schnellsuche" slot below "Auswahl".
constexpr QRect titleBox{17, 280, 78, 18};

} // namespace StripLayout
