#pragma once

#include <QString>

// The condition texts the search page builds (without the word WHERE).
namespace SearchConditions {

// Upper-cases the letters a-z only; every other character stays as it is.
QString upperAsciiOnly(const QString& text);

// `categoryField` LIKE "%<letters 2-4 of item>%"; empty for "(alle)".
QString category(const QString& categoryField, const QString& item);
// WERTUNG >= <item>; empty for "(alle)".
QString rating(const QString& item);
// UPPER(TITEL) LIKE "%<text>%", the text upper-cased (a-z only) and a double quote
// doubled, so that the constant always stays well formed.
QString title(const QString& text);
// Category and rating joined by " AND " as the search joins them.
QString selection(const QString& categoryField, const QString& categoryItem,
                  const QString& ratingItem);

} // namespace SearchConditions
