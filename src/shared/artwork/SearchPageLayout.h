#pragma once

#include <QRect>
#include <QSize>

// Geometry of the search page, in the page's logical pixels. The background picture Image3 is
// painted to these numbers and the page places its boxes and click areas on the same ones.
namespace SearchPageLayout {

constexpr QSize pictureSize{115, 217};

constexpr QRect titleBox{9, 26, 97, 23};     // Edit1
constexpr QRect ratingBox{9, 81, 97, 23};    // ComboBox1
constexpr QRect categoryBox{9, 135, 97, 23}; // ComboBox2
constexpr QRect alleButton{8, 179, 48, 27};  // Image2
constexpr QRect okButton{62, 179, 45, 27};   // Image1

} // namespace SearchPageLayout
