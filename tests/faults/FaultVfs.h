#pragma once

#include <QString>

// A file layer put in front of SQLite's default one that counts the writes into a table
// file and lets one of them fail the way a bad disk, a full disk or a killed process
// would. Every connection opened after install() goes through it.
namespace FaultVfs {

enum class Fault {
    WriteError,   // the write and every later one report an I/O error
    DiskFull,     // the write and every later one report a full disk
    KillMidWrite, // the first half of the write reaches the file, then SIGKILL
};

// Registers the layer as SQLite's default; later calls do nothing.
void install();

// From now on, the `nth` write (1-based) into the main database file whose name ends
// with `fileName` (case-insensitive) meets `fault`.
void arm(const QString& fileName, int nth, Fault fault);

// Writes go through untouched again.
void disarm();

// Writes into the armed file since arm(), the failed ones included.
int writesSinceArmed();

} // namespace FaultVfs
