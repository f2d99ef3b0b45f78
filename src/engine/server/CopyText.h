#pragma once

#include <QByteArray>

// Rows in the text form a server's COPY ... FROM STDIN reads: fields separated by tabs, one
// row a line, NULL as \N, and backslash, tab, newline and carriage return escaped.
namespace CopyText {

// Appends one field (UTF-8; a null array is NULL) to `line`, after a tab unless `first`.
void appendField(QByteArray& line, const QByteArray& utf8, bool first);

// Ends a row.
inline void endRow(QByteArray& line) {
    line.append('\n');
}

} // namespace CopyText
