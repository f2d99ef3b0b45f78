#pragma once

#include "CrossViewMenu.h"

#include <QString>

// Gets the sort ranks of every field a heading click sorts by ready, for all three views'
// tables, on a thread of their own once the first screen is up: the click then puts the rows
// in order without reading the whole table, and a later start finds the ranks in the cache.
namespace HeadingSorts {

// Begins those builds for the tables `openTables` holds (CrossViewMenu::prepare opened them).
void prepare(const QString& dataDir, const CrossViewMenu::OpenTables& openTables);

} // namespace HeadingSorts
