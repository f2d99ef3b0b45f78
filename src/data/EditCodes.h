#pragma once

#include <QString>

// The short codes edit mode completes, and the medium cycle.
namespace EditCodes {

// Each returns true and sets `stored` when the upper-cased value (a-z only) is a code.
bool tipKind(const QString& value, QString& stored);
bool rubric(const QString& value, QString& stored);
bool genre(const QString& value, QString& stored);

// "CD" -> "CD/DVD" -> "DVD" -> "CD" on the upper-cased value; false for anything else.
bool nextMedium(const QString& value, QString& next);

} // namespace EditCodes
