// Holds the single-instance lock of the program name given as its argument, reports
// "locked" on its output once it does, and then waits to be killed.

#include "SingleInstanceGuard.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    SingleInstanceGuard guard(QString::fromLocal8Bit(argv[1]));
    if (!guard.tryLock())
        return 1;
    std::fputs("locked\n", stdout);
    std::fflush(stdout);
    return app.exec();
}
