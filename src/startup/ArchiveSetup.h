#pragma once

struct StartupOptions;

// The start-up's work before any view is read, none of it on a window: the mode taken from
// the program file's name, the folders the tables are read from, the engine check (which
// starts the engine installer when the engine is missing or too old) and, in hard-disk
// mode, the copy of the disc's tables into the hard-disk folder. With an archive on a server
// the tables are read from the server into a private folder instead, in both modes.
namespace ArchiveSetup {

// Starts reading the contents of the disc's tables for their proofs, when they are the ones
// the run reads (not in hard-disk mode, which reads copies made later).
void readDiscTablesAhead(const StartupOptions& options);

enum class Prepared { Ready, InstallerStarted, ArchiveUnavailable };

// Anything but Ready: the program must end (the installer was started, or the server's tables
// could not be read, which a box has said).
Prepared prepare(const StartupOptions& options);

} // namespace ArchiveSetup
