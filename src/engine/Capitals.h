#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Upper-casing as the title boxes and the engine's UPPER share it: every character becomes
// its capital when that capital is one character, and stays itself otherwise (ß, the
// ligatures, Greek letters with a written-out iota), so whatever a user types as the title
// writes it can occur in the upper-cased title.
namespace Capitals {

char32_t of(char32_t c);

QString ofText(const QString& text);

// A UTF-8 text upper-cased; bytes that are not UTF-8 read as U+FFFD.
QByteArray ofUtf8(QByteArrayView text);

} // namespace Capitals
