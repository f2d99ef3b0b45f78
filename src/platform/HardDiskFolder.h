#pragma once

#include <QStringList>

// The fixed folder of hard-disk mode: C:\KALMOR\VANTORA\DATA on Windows; the same three
// levels below the per-user data location (or below `base`) elsewhere.
namespace HardDiskFolder {

// The three folders in the order they are created.
QStringList levels(const QString& base = {});
QString dataDir(const QString& base = {});
// Creates the folder the three levels start from (the per-user data location may not
// exist yet on a new account); the drive itself on Windows.
bool makeBase(const QString& base = {});

} // namespace HardDiskFolder
