// The engine installer on the disc: records the engine version the program checks for.
#include "EngineRegistry.h"

#include <QApplication>
#include <QMessageBox>
#include <QTextStream>

namespace {
bool hasDisplay() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform == "offscreen" || platform == "minimal")
        return false;
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}
} // namespace

int main(int argc, char** argv) {
    bool quiet = false;
    for (int i = 1; i < argc; ++i)
        if (QByteArray(argv[i]) == "--quiet")
            quiet = true;
    const bool windowed = !quiet && hasDisplay();

    QString where;
    const bool ok = EngineRegistry::recordEngineVersion(QStringLiteral("1.00"), &where);
    const QString text = ok ? QStringLiteral("Vantora-Engine 1.00 wurde installiert.\n(%1)").arg(where)
                            : QStringLiteral("Die Vantora-Engine konnte nicht eingetragen werden:\n%1")
                                  .arg(where);
    QTextStream(ok ? stdout : stderr) << text << '\n';
    if (windowed) {
        QApplication app(argc, argv);
        QMessageBox box(ok ? QMessageBox::Information : QMessageBox::Warning,
                        QStringLiteral("Vantora-Engine Setup"), text);
        box.exec();
    }
    return ok ? 0 : 1;
}
