#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QProcess;

// Fault tests run their victims as children of the test program itself.
namespace ChildProcess {

// Starts this program as a child with `arguments`; true once it printed "started". What it
// printed so far is in `out`. Generous: the child writes its tables and files first, under a
// sanitizer too.
bool start(QProcess& child, const QStringList& arguments, QByteArray& out);

// The child's root folder, from its "root ..." line.
QString rootOf(const QByteArray& out);

// Kills the child with SIGKILL unless it has ended already (a pid of 0 would mean the whole
// group), and waits for it.
void kill(QProcess& child);

} // namespace ChildProcess
