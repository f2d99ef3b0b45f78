#pragma once

#include <QString>

// Issue texts "YYYY/MM" as the tables hold them.
namespace IssueText {

inline const QString kTemplate = QStringLiteral("2001/00");

// Characters 6-7 as a number; -1 when they are not two digits.
int month(const QString& issue);
// Characters 1-4 as a number; -1 when they are not four digits.
int year(const QString& issue);
// The same for UTF-8 bytes, for the statistics walk.
int month(QByteArrayView issue);

// Completes a shorter entry from the front of "2001/00"; values of 0 or more than
// seven characters have no completion (returns false).
bool complete(const QString& typed, QString& completed);

// A seven-character issue with a month 01..12 and a year from 1997 to `maxYear`.
bool isWellFormed(const QString& issue, int maxYear);

} // namespace IssueText
