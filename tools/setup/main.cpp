// Installs the database engine: records its version where the program looks for it.
// Shows the outcome in a message box, or only on the terminal when there is no display
// or when started with --quiet.

#include "EngineRegistry.h"

#include <QApplication>
#include <QMessageBox>
#include <QTextStream>

#include <cstring>
#include <memory>

namespace {

const QString engineVersion = QStringLiteral("1.00");
const QString title = QStringLiteral("Vantora-Engine");

bool displayAvailable(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quiet") == 0)
            return false;
    }
#ifdef Q_OS_WIN
    return true;
#else
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("offscreen") || platform.startsWith("minimal"))
        return false;
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
#endif
}

} // namespace

int main(int argc, char** argv) {
    const bool withWindow = displayAvailable(argc, argv);
    std::unique_ptr<QCoreApplication> app;
    if (withWindow)
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);

    QString where;
    const bool installed = EngineRegistry::recordEngineVersion(engineVersion, &where);
    const QString text =
        installed
            ? QStringLiteral("Vantora-Engine %1 wurde installiert.\n%2").arg(engineVersion, where)
            : QStringLiteral("Die Vantora-Engine konnte nicht installiert werden.");

    QTextStream(installed ? stdout : stderr) << text << Qt::endl;
    if (withWindow) {
        if (installed)
            QMessageBox::information(nullptr, title, text);
        else
            QMessageBox::critical(nullptr, title, text);
    }
    return installed ? 0 : 1;
}
