#pragma once

#include "TitleMatches.h"

#include <QString>

// The text of one line of the menu that leads from a record to the same title in another
// view: "CD & DVD: 2 Einträge (Vollversion 2001/11, Demo 1998/03)", at most three records
// named, then "…"; "Tipps: keine Einträge" when there are none.
namespace CrossViewLine {

inline constexpr int kNamedAtMost = 3;

// `newestFirst` holds every match of the view, newest issue first.
QString text(const QString& viewCaption, const QList<TitleMatch>& newestFirst);

} // namespace CrossViewLine
