#pragma once

#include <QFont>
#include <QString>

// Fonts of the statistics windows, by name and character height in pixels.
namespace StatFonts {

inline QFont arial(int pixels, bool bold = false) {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

// The windows' own font: "MS Sans Serif", 11 pixels.
inline QFont defaultFont() {
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11);
    return f;
}

} // namespace StatFonts
