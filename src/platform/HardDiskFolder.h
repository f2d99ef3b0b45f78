#pragma once

#include <QString>
#include <QStringList>

// The fixed folder that hard-disk mode copies the tables to: "C:\KALMOR\VANTORA\DATA" on
// Windows; elsewhere the same three levels below `base`, by default the per-user data
// location (~/.local/share, $XDG_DATA_HOME).
namespace HardDiskFolder {

// The three folders in the order they are created: KALMOR, KALMOR/VANTORA,
// KALMOR/VANTORA/DATA.
QStringList levels(const QString& base = {});

// The innermost level, the folder that holds the copies.
QString dataDir(const QString& base = {});

// Creates the folder the three levels start from, which may not exist yet on a new account;
// on Windows the drive itself, which is only checked. Returns whether it exists afterwards.
bool makeBase(const QString& base = {});

} // namespace HardDiskFolder
