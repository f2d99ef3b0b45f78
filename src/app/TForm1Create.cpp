// The main window's creation handler: mode, data location, engine check, hard-disk copy.
#include "TForm1.h"

#include "AppState.h"
#include "Connection.h"
#include "Dialogs.h"
#include "EngineRegistry.h"
#include "FileOps.h"
#include "HardDiskFolder.h"
#include "ProgramLauncher.h"
#include "Startup.h"
#include "TableCopy.h"
#include "Views.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>

namespace {

const QString kMessageA =
    QStringLiteral("Achtung! Auf Ihrem System wird jetzt die \"Vantora-Engine\" installiert.\n"
                   "Diese Datenbanktreiber-Installation ist nur ein einziges Mal notwendig.\n"
                   "Rufen Sie das Vantora-Hauptprogramm danach bitte erneut auf (\"Start\").");
const QString kMessageB =
    QStringLiteral("Achtung! Jetzt wird ein Update der \"Vantora-Engine\" installiert. Starten "
                   "Sie bitte danach den \"Vantora\" nochmal.");
const QString kInstaller = QStringLiteral("VTEngine\\Setup.exe");

QChar sep() {
    return QDir::separator();
}

} // namespace

bool TForm1::isHardDiskProgram(const QString& programPath) {
    const QString upper = programPath.toUpper();
    if (upper.right(6) == QLatin1String("HD.EXE"))
        return true;
    // Programs on Linux carry no extension: "vantorahd".
    const QFileInfo info(programPath);
    return info.suffix().isEmpty() && info.fileName().toUpper().endsWith(QLatin1String("HD"));
}

TForm1::CreateOutcome TForm1::FormCreate(const StartupOptions& options) {
    AppState& s = State();
    // Centred on the screen, at its outer size.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(640 / 2, 487 / 2));
    // The program file's name tells the mode.
    s.HardDiskMode = isHardDiskProgram(options.programPath) ? 1 : 0;
    // The archive starts with the issue of October 1997 in every table.
    s.GamesFirstMonth = s.DiscFirstMonth = s.TipsFirstMonth = 10;
    s.GamesFirstYear = s.DiscFirstYear = s.TipsFirstYear = 1997;
    // The tables are read from DATA below the start folder until hard-disk mode moves them.
    QString start = QDir::toNativeSeparators(options.startDir);
    s.SourceDataDir =
        start + (start.endsWith(sep()) ? QString() : QString(sep())) + QStringLiteral("DATA");
    s.DataDir = s.SourceDataDir;
    // The full stop is the decimal separator for the whole run.
    QLocale::setDefault(QLocale::c());

    // The engine must be installed, in version 1 or later; else its installer is started.
    EngineRegistry defaultRegistry;
    EngineRegistry* registry = options.registry ? options.registry : &defaultRegistry;
    const QString value = registry->engineVersion();
    bool ok = false;
    const double version = QLocale::c().toDouble(value.trimmed(), &ok);
    if (!ok) {
        // The rest of the creation handler is skipped; the start-up goes on.
        Dialogs::error(QStringLiteral("'%1' ist kein gültiger Gleitkommawert").arg(value));
        return CreateOutcome::Continue;
    }
    s.EngineVersion = version;
    if (s.EngineVersion == 0 || s.EngineVersion < 1) {
        Dialogs::message(s.EngineVersion == 0 ? kMessageA : kMessageB);
        ProgramLauncher defaultLauncher;
        ProgramLauncher* launcher = options.launcher ? options.launcher : &defaultLauncher;
        const QString before = QDir::currentPath();
        FileOps::setCurrentDir(options.startDir);
        launcher->start(kInstaller);
        FileOps::setCurrentDir(before);
        return CreateOutcome::EndProgram;
    }

    // Hard-disk mode: the disc's tables are copied at every start.
    if (s.HardDiskMode == 1) {
        s.SourceDataDir += sep();
        s.DataDir = QDir::toNativeSeparators(HardDiskFolder::dataDir(options.hardDiskBase));
        HardDiskFolder::makeBase(options.hardDiskBase);
        for (const QString& level : HardDiskFolder::levels(options.hardDiskBase))
            FileOps::makeDir(level);
        for (const QString& file : Views::diskTableFiles()) {
            QString source = s.SourceDataDir + file;
            const QString found = Connection::resolvePath(source);
            if (!found.isEmpty())
                source = found;
            const QString target = s.DataDir + sep() + file;
            FileOps::clearAttributes(target);
            // A copy appears under its name only when complete, and no journal of an
            // earlier session survives beside it.
            TableCopy::copyTable(source, target);
            FileOps::clearAttributes(target);
        }
    }

    // The start folder may be a read-only disc: the run works in the temporary folder.
    FileOps::setCurrentDir(FileOps::tempFolder());
    return CreateOutcome::Continue;
}
