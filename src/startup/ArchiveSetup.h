#pragma once

struct StartupOptions;

// The start-up's work before any view is read, none of it on a window: the mode taken from
// the program file's name, the folders the tables are read from, the engine check (which
// starts the engine installer when the engine is missing or too old) and, in hard-disk
// mode, the copy of the disc's tables into the hard-disk folder.
namespace ArchiveSetup {

// Starts reading the contents of the disc's tables for their proofs, when they are the ones
// the run reads (not in hard-disk mode, which reads copies made later).
void readDiscTablesAhead(const StartupOptions& options);

// False when the engine installer was started and the program must end.
bool prepare(const StartupOptions& options);

} // namespace ArchiveSetup
