#pragma once

class Connection;

// SQLite's quick_check of a table file before edit mode writes into it. The check reads the
// whole file, so it runs once per file and run, and again only when the file changed
// behind this program's back (replaced, cut short, written by another program).
namespace TableFileCheck {

// Whether the file passes; runs the check when it has not passed in its present state.
bool passes(Connection& connection);

// Takes a write of this program as part of the checked state, so that it calls for no
// new check.
void noteOwnWrite(const Connection& connection);

} // namespace TableFileCheck
