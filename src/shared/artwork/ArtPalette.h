#pragma once

#include <QColor>

// The colours of the program's artwork.
namespace ArtPalette {

inline const QColor darkBlue{0x01, 0x00, 0x41};    // every window's background
inline const QColor headingBlue{0x99, 0x99, 0xBA}; // grid headings, captions on dark blue
inline const QColor nearWhite{0xF5, 0xF5, 0xF5};   // the grid and pages to read on
inline const QColor silver{0xC0, 0xC0, 0xC0};      // edit mode's grid, the statistics' cells
inline const QColor panelBlue{0x0A, 0x0A, 0x56};   // inside a framed group
inline const QColor frameLight{0x6E, 0x6E, 0x9E};
inline const QColor frameDark{0x00, 0x00, 0x1C};
inline const QColor litRed{0xC0, 0x00, 0x00};
inline const QColor outline{0x00, 0x00, 0x1C};

} // namespace ArtPalette
